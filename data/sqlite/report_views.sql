-- The two report queries, made with the tables (after schema.sql) and made
-- again when a file of an older version is brought up to date, which is why
-- each is dropped first.
-- The two report queries give their rows in date order, then in the order
-- the entries were made. The reports sort them by name or work code, and the
-- engine's sort keeps rows of equal names in the order it receives them, so
-- the dates stay in order within each name. "LIMIT -1" (no limit) keeps that
-- ORDER BY in force: without it the engine drops the ORDER BY of a view that
-- is queried with an ORDER BY of its own. The last two columns, the
-- employee's and the work code's IDs (Null when the record has gone), are
-- never shown: the reports group by them, so that two employees of one name
-- stay two.
DROP VIEW IF EXISTS "Billable Hours";
CREATE VIEW "Billable Hours" AS
SELECT en."Employee Name" AS "Employee Name",
       w."Description" AS "Work Code Description",
       h."Date Worked" AS "Date Worked",
       h."Hours" AS "Hours",
       h."Work Description" AS "Work Description",
       en."ID" AS hourvane_employee,
       w."ID" AS hourvane_work_code
FROM "Work Hours" AS h
JOIN "Work Codes" AS w ON w."ID" = h."Work Code"
LEFT JOIN "Employees Extended" AS en ON en."ID" = h."Employee"
WHERE w."Billable" <> 0
ORDER BY h."Date Worked", h."ID"
LIMIT -1;

DROP VIEW IF EXISTS "Non Billable Hours";
CREATE VIEW "Non Billable Hours" AS
SELECT en."Employee Name" AS "Employee Name",
       w."Description" AS "Work Code Description",
       h."Date Worked" AS "Date Worked",
       h."Hours" AS "Hours",
       h."Work Description" AS "Work Description",
       en."ID" AS hourvane_employee,
       w."ID" AS hourvane_work_code
FROM "Work Hours" AS h
JOIN "Work Codes" AS w ON w."ID" = h."Work Code"
LEFT JOIN "Employees Extended" AS en ON en."ID" = h."Employee"
WHERE w."Billable" = 0
ORDER BY h."Date Worked", h."ID"
LIMIT -1;
