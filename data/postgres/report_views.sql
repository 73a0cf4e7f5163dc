-- The two report queries, made with the tables (after schema.sql) and made
-- again when a database of an older version is brought up to date, which is
-- why each is dropped first.
-- The report queries give their rows in date order, then in the order the
-- entries were made. The server's sort does not keep the order of rows it
-- finds equal, so each row also carries its place in that order as
-- hourvane_order: a query that sorts one of these by a column of its own is
-- sent with hourvane_order as the last key, and the column itself is never
-- shown. Nor are the employee's and the work code's IDs (hourvane_employee,
-- hourvane_work_code, Null when the record has gone): the reports group by
-- them, so that two employees of one name stay two.
DROP VIEW IF EXISTS "Billable Hours";
CREATE VIEW "Billable Hours" AS
SELECT en."Employee Name" AS "Employee Name",
       w."Description" AS "Work Code Description",
       h."Date Worked" AS "Date Worked",
       h."Hours" AS "Hours",
       h."Work Description" AS "Work Description",
       row_number() OVER (ORDER BY h."Date Worked", h."ID") AS hourvane_order,
       en."ID" AS hourvane_employee,
       w."ID" AS hourvane_work_code
FROM "Work Hours" AS h
JOIN "Work Codes" AS w ON w."ID" = h."Work Code"
LEFT JOIN "Employees Extended" AS en ON en."ID" = h."Employee"
WHERE w."Billable" <> 0
ORDER BY h."Date Worked", h."ID";

DROP VIEW IF EXISTS "Non Billable Hours";
CREATE VIEW "Non Billable Hours" AS
SELECT en."Employee Name" AS "Employee Name",
       w."Description" AS "Work Code Description",
       h."Date Worked" AS "Date Worked",
       h."Hours" AS "Hours",
       h."Work Description" AS "Work Description",
       row_number() OVER (ORDER BY h."Date Worked", h."ID") AS hourvane_order,
       en."ID" AS hourvane_employee,
       w."ID" AS hourvane_work_code
FROM "Work Hours" AS h
JOIN "Work Codes" AS w ON w."ID" = h."Work Code"
LEFT JOIN "Employees Extended" AS en ON en."ID" = h."Employee"
WHERE w."Billable" = 0
ORDER BY h."Date Worked", h."ID";
