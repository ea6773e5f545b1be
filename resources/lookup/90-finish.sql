-- Checks that stop the build when the data went wrong, then statistics for the query planner
-- and the data version the editor was built with. A failed CHECK makes the sqlite3 run fail.
CREATE TEMP TABLE BUILD_CHECK (WHAT TEXT NOT NULL, OK INTEGER NOT NULL CHECK (OK));
INSERT INTO BUILD_CHECK SELECT 'role prefixes and coordinators exist', count(*) = 0
    FROM pragma_foreign_key_check;
INSERT INTO BUILD_CHECK SELECT 'road register is complete', count(*) >= 2000 FROM TQ_ROAD;
INSERT INTO BUILD_CHECK SELECT 'Singapore is a country', count(*) = 1
    FROM TQ_COUNTRY WHERE COUNTRY_NAME = 'Singapore';
DROP TABLE BUILD_CHECK;

ANALYZE;
PRAGMA user_version = 1;
