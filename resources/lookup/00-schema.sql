-- Lookup database of the editor: code/description lists shown in the forms, and the roads.
-- Descriptions compare without regard to case everywhere, so the order the database gives
-- agrees with the searches of the sorted combos. Every code is a primary key and every
-- description is UNIQUE, so both directions of a lookup go through an index.

CREATE TABLE TQ_CATEGORY (
    CATEGORY_CODE TEXT NOT NULL PRIMARY KEY,
    CATEGORY_DESC TEXT NOT NULL COLLATE NOCASE UNIQUE
);

CREATE TABLE TQ_LAND_OWNERSHIP (
    LAND_OWNERSHIP_CODE TEXT NOT NULL PRIMARY KEY,
    LAND_OWNERSHIP_DESC TEXT NOT NULL COLLATE NOCASE UNIQUE
);

CREATE TABLE TQ_CLASSIFICATION (
    CLASSIFICATION_CODE TEXT NOT NULL PRIMARY KEY,
    CLASSIFICATION_DESC TEXT NOT NULL COLLATE NOCASE UNIQUE
);

-- Survey districts a land lot lies in: mukims (MKnn) and town subdivisions (TSnn).
CREATE TABLE TQ_MUKIM_TS (
    MK_TS_CODE TEXT NOT NULL PRIMARY KEY,
    MK_TS_DESC TEXT NOT NULL COLLATE NOCASE UNIQUE
);

-- The letters put in front of a professional registration number ("A" + 1234 = A1234).
CREATE TABLE TQ_PREFIX (
    PREFIX_CODE TEXT NOT NULL PRIMARY KEY,
    PREFIX_DESC TEXT NOT NULL COLLATE NOCASE UNIQUE
);

-- COORDINATOR_CODE: set for the professions that may coordinate a project (it names the prefix
-- the project reference starts with); NULL for roles that cannot coordinate.
-- PREFIX_CODE: set for roles that carry a professional number; NULL otherwise.
CREATE TABLE TQ_ROLE (
    ROLE_CODE TEXT NOT NULL PRIMARY KEY,
    ROLE_DESC TEXT NOT NULL COLLATE NOCASE UNIQUE,
    COORDINATOR_CODE TEXT REFERENCES TQ_PREFIX (PREFIX_CODE),
    PREFIX_CODE TEXT REFERENCES TQ_PREFIX (PREFIX_CODE)
);

-- ISO 3166-1 countries; SORT_NAME is the name with accents folded, for the list order.
CREATE TABLE TQ_COUNTRY (
    COUNTRY_CODE TEXT NOT NULL PRIMARY KEY,
    COUNTRY_NAME TEXT NOT NULL COLLATE NOCASE UNIQUE,
    SORT_NAME TEXT NOT NULL COLLATE NOCASE
);

CREATE TABLE TQ_ROAD (
    ROAD_CODE TEXT NOT NULL PRIMARY KEY,
    ROAD_NAME TEXT NOT NULL COLLATE NOCASE UNIQUE
);
