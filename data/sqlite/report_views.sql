-- The stored queries over the entries: the list's and the two report
-- queries, with the index the reports select periods by. They are made with
-- the tables (after schema.sql) and made again when a file of an older
-- version is brought up to date, which is why each is dropped first.
-- Each employee's name is composed once for a whole reading, in "en", and
-- joined to the entries from there: composing it again for each of a
-- million entries costs more than reading them.
-- Each report query gives its rows in its own order: by date, then in the
-- order the entries were made. A statement that sorts a report query by a
-- column of its own replaces that order, so the order is carried by the
-- last columns, named hourvane_order_...: the report puts the rows its sort
-- finds equal (those of one name) in that order itself, which costs far
-- less than giving the engine's sort more keys. The query itself is a
-- plain join, so that a period, an employee or a work code chosen is
-- selected by the engine's own indexes rather than after every row is read.
-- The employee's and the work code's IDs (Null when the record has gone) are
-- never shown either: the reports group by them, so that two employees of
-- one name stay two.
CREATE INDEX IF NOT EXISTS "Work Hours by Date" ON "Work Hours" ("Date Worked");

-- One row per work-hour entry. The joins are outer joins, so an entry whose
-- employee or work code has gone still appears (with a Null name).
DROP VIEW IF EXISTS "Work Hours Extended";
CREATE VIEW "Work Hours Extended" AS
WITH en AS MATERIALIZED (SELECT "ID", "Employee Name" FROM "Employees Extended")
SELECT h."ID" AS "ID",
       en."Employee Name" AS "Employee Name",
       h."Date Worked" AS "Date Worked",
       w."Description" AS "Work Code Description",
       h."Hours" AS "Hours",
       h."Work Description" AS "Work Description"
FROM "Work Hours" AS h
LEFT JOIN en ON en."ID" = h."Employee"
LEFT JOIN "Work Codes" AS w ON w."ID" = h."Work Code"
ORDER BY h."ID";

DROP VIEW IF EXISTS "Billable Hours";
CREATE VIEW "Billable Hours" AS
WITH en AS MATERIALIZED (SELECT "ID", "Employee Name" FROM "Employees Extended")
SELECT en."Employee Name" AS "Employee Name",
       w."Description" AS "Work Code Description",
       h."Date Worked" AS "Date Worked",
       h."Hours" AS "Hours",
       h."Work Description" AS "Work Description",
       en."ID" AS hourvane_employee,
       w."ID" AS hourvane_work_code,
       h."Date Worked" AS hourvane_order_day,
       h."ID" AS hourvane_order_entry
FROM "Work Hours" AS h
JOIN "Work Codes" AS w ON w."ID" = h."Work Code"
LEFT JOIN en ON en."ID" = h."Employee"
WHERE w."Billable" <> 0
ORDER BY h."Date Worked", h."ID";

DROP VIEW IF EXISTS "Non Billable Hours";
CREATE VIEW "Non Billable Hours" AS
WITH en AS MATERIALIZED (SELECT "ID", "Employee Name" FROM "Employees Extended")
SELECT en."Employee Name" AS "Employee Name",
       w."Description" AS "Work Code Description",
       h."Date Worked" AS "Date Worked",
       h."Hours" AS "Hours",
       h."Work Description" AS "Work Description",
       en."ID" AS hourvane_employee,
       w."ID" AS hourvane_work_code,
       h."Date Worked" AS hourvane_order_day,
       h."ID" AS hourvane_order_entry
FROM "Work Hours" AS h
JOIN "Work Codes" AS w ON w."ID" = h."Work Code"
LEFT JOIN en ON en."ID" = h."Employee"
WHERE w."Billable" = 0
ORDER BY h."Date Worked", h."ID";
