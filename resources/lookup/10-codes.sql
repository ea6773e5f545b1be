-- Code lists of the project and member forms.
BEGIN;

INSERT INTO TQ_CATEGORY (CATEGORY_CODE, CATEGORY_DESC) VALUES
    ('NE', 'NEW ERECTION'),
    ('AA', 'ADDITION AND ALTERATION'),
    ('RC', 'RECONSTRUCTION'),
    ('DM', 'DEMOLITION'),
    ('CU', 'CHANGE OF USE'),
    ('TS', 'TEMPORARY STRUCTURE'),
    ('EW', 'EARTHWORKS AND SITE FORMATION'),
    ('CE', 'CIVIL ENGINEERING WORKS');

INSERT INTO TQ_LAND_OWNERSHIP (LAND_OWNERSHIP_CODE, LAND_OWNERSHIP_DESC) VALUES
    ('FH', 'PRIVATE (FREEHOLD)'),
    ('LH', 'PRIVATE (LEASEHOLD)'),
    ('SL', 'STATE LAND'),
    ('TOL', 'STATE LAND (TEMPORARY OCCUPATION LICENCE)'),
    ('SB', 'STATUTORY BOARD'),
    ('MX', 'MIXED OWNERSHIP');

INSERT INTO TQ_CLASSIFICATION (CLASSIFICATION_CODE, CLASSIFICATION_DESC) VALUES
    ('RL', 'RESIDENTIAL (LANDED)'),
    ('RN', 'RESIDENTIAL (NON-LANDED)'),
    ('CM', 'COMMERCIAL'),
    ('HT', 'HOTEL'),
    ('IB', 'INDUSTRIAL (BUSINESS PARK)'),
    ('IG', 'INDUSTRIAL (GENERAL)'),
    ('IS', 'INSTITUTIONAL'),
    ('ED', 'EDUCATIONAL'),
    ('HC', 'HEALTH AND MEDICAL CARE'),
    ('CC', 'CIVIC AND COMMUNITY'),
    ('PW', 'PLACE OF WORSHIP'),
    ('SR', 'SPORTS AND RECREATION'),
    ('TR', 'TRANSPORT FACILITIES'),
    ('UT', 'UTILITIES'),
    ('AG', 'AGRICULTURE'),
    ('MD', 'MIXED DEVELOPMENT');

WITH RECURSIVE N(I) AS (SELECT 1 UNION ALL SELECT I + 1 FROM N WHERE I < 34)
INSERT INTO TQ_MUKIM_TS (MK_TS_CODE, MK_TS_DESC)
SELECT printf('MK%02d', I), printf('MUKIM %02d', I) FROM N;

WITH RECURSIVE N(I) AS (SELECT 1 UNION ALL SELECT I + 1 FROM N WHERE I < 30)
INSERT INTO TQ_MUKIM_TS (MK_TS_CODE, MK_TS_DESC)
SELECT printf('TS%02d', I), printf('TOWN SUBDIVISION %02d', I) FROM N;

-- A prefix code is what a coordinator code names; its description goes in front of the
-- coordinator's professional number to form the project reference.
INSERT INTO TQ_PREFIX (PREFIX_CODE, PREFIX_DESC) VALUES
    ('AR', 'A'),
    ('PE', 'PE'),
    ('RS', 'RS');

-- Architects, professional engineers and registered surveyors may coordinate a project.
-- Accredited checkers are professional engineers too (so they carry a number), but check the
-- design rather than coordinate. The other parties carry no professional number.
INSERT INTO TQ_ROLE (ROLE_CODE, ROLE_DESC, COORDINATOR_CODE, PREFIX_CODE) VALUES
    ('ARCH', 'ARCHITECT', 'AR', 'AR'),
    ('PE-CS', 'PROFESSIONAL ENGINEER (CIVIL/STRUCTURAL)', 'PE', 'PE'),
    ('PE-ME', 'PROFESSIONAL ENGINEER (MECHANICAL)', 'PE', 'PE'),
    ('PE-EE', 'PROFESSIONAL ENGINEER (ELECTRICAL)', 'PE', 'PE'),
    ('PE-GT', 'PROFESSIONAL ENGINEER (GEOTECHNICAL)', 'PE', 'PE'),
    ('RS', 'REGISTERED SURVEYOR', 'RS', 'RS'),
    ('AC', 'ACCREDITED CHECKER', NULL, 'PE'),
    ('DEV', 'DEVELOPER', NULL, NULL),
    ('OWN', 'OWNER', NULL, NULL),
    ('BLD', 'BUILDER', NULL, NULL),
    ('QS', 'QUANTITY SURVEYOR', NULL, NULL);

COMMIT;
