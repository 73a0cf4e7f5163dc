-- The program's empty database: three tables and the four stored queries
-- that the program reads. hourvane_make_template runs this text in one
-- transaction and marks the file as ours (application_id, user_version).
--
-- Values are stored so that the engine layer can hand them back with their
-- kinds: dates as ISO 8601 text ('2026-12-07' or '2026-12-07T08:30:00'),
-- yes/no as -1 or 0, numbers as numbers. The checks below keep anything
-- else out of the date, number and whole-number columns, whoever writes.

CREATE TABLE "Employees" (
    "ID"             INTEGER PRIMARY KEY AUTOINCREMENT,
    "First Name"     TEXT,
    "Last Name"      TEXT,
    "E-mail Address" TEXT,
    "Company"        TEXT,
    "Job Title"      TEXT,
    "Business Phone" TEXT,
    "Home Phone"     TEXT,
    "Mobile Phone"   TEXT,
    "Fax Number"     TEXT,
    "Address"        TEXT,
    "City"           TEXT,
    "State"          TEXT,
    "ZIP"            TEXT,
    "Country"        TEXT,
    "Web Page"       TEXT,
    "Notes"          TEXT
);

CREATE TABLE "Work Codes" (
    "ID"          INTEGER PRIMARY KEY AUTOINCREMENT,
    "Description" TEXT,
    "Billable"    YESNO NOT NULL DEFAULT 0
        CONSTRAINT "Billable must be -1 (yes) or 0 (no)" CHECK ("Billable" IN (-1, 0))
);

CREATE TABLE "Work Hours" (
    "ID"               INTEGER PRIMARY KEY AUTOINCREMENT,
    "Employee"         INTEGER
        CONSTRAINT "Employee must be a whole number"
        CHECK (typeof("Employee") IN ('integer', 'null')),
    "Date Worked"      DATETIME
        CONSTRAINT "Date Worked must be a date"
        CHECK ("Date Worked" IS NULL
               OR (typeof("Date Worked") = 'text'
                   AND datetime("Date Worked") IS NOT NULL
                   AND ((length("Date Worked") = 10
                         AND date("Date Worked") = "Date Worked")
                        OR (length("Date Worked") = 19
                            AND strftime('%Y-%m-%dT%H:%M:%S', "Date Worked") = "Date Worked")))),
    "Work Code"        INTEGER
        CONSTRAINT "Work Code must be a whole number"
        CHECK (typeof("Work Code") IN ('integer', 'null')),
    "Hours"            DOUBLE
        CONSTRAINT "Hours must be a number"
        CHECK (typeof("Hours") IN ('real', 'integer', 'null')),
    "Work Description" TEXT
);

CREATE INDEX "Work Hours by Employee" ON "Work Hours" ("Employee");
CREATE INDEX "Work Hours by Work Code" ON "Work Hours" ("Work Code");

-- One row per employee with the display name used everywhere: first name,
-- a blank and last name, trimmed, so that either name alone stands by itself;
-- the company when both names are empty. The other queries take the name
-- from here, so it is composed in this one place.
CREATE VIEW "Employees Extended" AS
SELECT e."ID" AS "ID",
       CASE WHEN trim(coalesce(e."First Name", '') || ' ' || coalesce(e."Last Name", '')) <> ''
            THEN trim(coalesce(e."First Name", '') || ' ' || coalesce(e."Last Name", ''))
            ELSE coalesce(e."Company", '')
       END AS "Employee Name"
FROM "Employees" AS e
ORDER BY "Employee Name" COLLATE NOCASE, "ID";

-- "Work Hours Extended", one row per work-hour entry, is made with the
-- report queries (report_views.sql).
