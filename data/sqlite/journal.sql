-- The journal of changes, for Undo and Redo: every row added, edited or
-- deleted in the three tables, whoever writes it, is recorded by the triggers
-- below in the same transaction, as its images before and after the change.
-- A change is one transaction of the program: the first row it touches opens
-- a record in hourvane_changes (open = 1), always the newest one, and the
-- program closes it (with who made it and, where it knows, what it was) just
-- before it commits. A write by another program opens a record that the
-- program's next write closes before it begins its own. A change touches as
-- few pages as it can (the newest record, the end of the rows): the program
-- drops old changes when it opens the database, not on the way of a write. hourvane_make_template runs this text after
-- schema.sql; the program runs it alone to bring a file of version 1 up to
-- date. Every statement here can run again without harm.

CREATE TABLE IF NOT EXISTS hourvane_changes (
    id          INTEGER PRIMARY KEY,
    made_at     TEXT NOT NULL,
    made_by     TEXT,
    description TEXT,
    open        INTEGER NOT NULL DEFAULT 1,
    undone      INTEGER NOT NULL DEFAULT 0
);

-- One row per table row a change touched: whether it existed before and
-- after the change, and its values then, by position (b1 and a1 hold the
-- column after "ID", and so on, in the table's order). The columns have no
-- type, so every value is kept exactly as it was stored.
CREATE TABLE IF NOT EXISTS hourvane_change_rows (
    change INTEGER NOT NULL,
    tbl    TEXT NOT NULL,
    row_id INTEGER NOT NULL,
    before INTEGER NOT NULL,
    after  INTEGER NOT NULL,
    b1, b2, b3, b4, b5, b6, b7, b8, b9, b10, b11, b12, b13, b14, b15, b16,
    a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11, a12, a13, a14, a15, a16,
    PRIMARY KEY (change, tbl, row_id)
) WITHOUT ROWID;

CREATE TRIGGER IF NOT EXISTS "hourvane_changes rows" AFTER DELETE ON hourvane_changes BEGIN
    DELETE FROM hourvane_change_rows WHERE change = OLD.id;
END;

-- Employees
CREATE TRIGGER IF NOT EXISTS "Employees added (journal)" AFTER INSERT ON "Employees" BEGIN
    INSERT INTO hourvane_changes (made_at) SELECT strftime('%Y-%m-%dT%H:%M:%SZ', 'now')
        WHERE NOT EXISTS (SELECT 1 FROM hourvane_changes WHERE id = (SELECT max(id) FROM hourvane_changes) AND open = 1);
    INSERT INTO hourvane_change_rows (change, tbl, row_id, before, after, a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11, a12, a13, a14, a15, a16)
        VALUES ((SELECT max(id) FROM hourvane_changes), 'Employees', NEW."ID", 0, 1, NEW."First Name", NEW."Last Name", NEW."E-mail Address", NEW."Company", NEW."Job Title", NEW."Business Phone", NEW."Home Phone", NEW."Mobile Phone", NEW."Fax Number", NEW."Address", NEW."City", NEW."State", NEW."ZIP", NEW."Country", NEW."Web Page", NEW."Notes")
        ON CONFLICT (change, tbl, row_id) DO UPDATE SET after = 1, a1 = excluded.a1, a2 = excluded.a2, a3 = excluded.a3, a4 = excluded.a4, a5 = excluded.a5, a6 = excluded.a6, a7 = excluded.a7, a8 = excluded.a8, a9 = excluded.a9, a10 = excluded.a10, a11 = excluded.a11, a12 = excluded.a12, a13 = excluded.a13, a14 = excluded.a14, a15 = excluded.a15, a16 = excluded.a16;
END;
CREATE TRIGGER IF NOT EXISTS "Employees edited (journal)" AFTER UPDATE ON "Employees" WHEN OLD."ID" IS NEW."ID" BEGIN
    INSERT INTO hourvane_changes (made_at) SELECT strftime('%Y-%m-%dT%H:%M:%SZ', 'now')
        WHERE NOT EXISTS (SELECT 1 FROM hourvane_changes WHERE id = (SELECT max(id) FROM hourvane_changes) AND open = 1);
    INSERT INTO hourvane_change_rows (change, tbl, row_id, before, after, b1, b2, b3, b4, b5, b6, b7, b8, b9, b10, b11, b12, b13, b14, b15, b16, a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11, a12, a13, a14, a15, a16)
        VALUES ((SELECT max(id) FROM hourvane_changes), 'Employees', NEW."ID", 1, 1, OLD."First Name", OLD."Last Name", OLD."E-mail Address", OLD."Company", OLD."Job Title", OLD."Business Phone", OLD."Home Phone", OLD."Mobile Phone", OLD."Fax Number", OLD."Address", OLD."City", OLD."State", OLD."ZIP", OLD."Country", OLD."Web Page", OLD."Notes", NEW."First Name", NEW."Last Name", NEW."E-mail Address", NEW."Company", NEW."Job Title", NEW."Business Phone", NEW."Home Phone", NEW."Mobile Phone", NEW."Fax Number", NEW."Address", NEW."City", NEW."State", NEW."ZIP", NEW."Country", NEW."Web Page", NEW."Notes")
        ON CONFLICT (change, tbl, row_id) DO UPDATE SET after = 1, a1 = excluded.a1, a2 = excluded.a2, a3 = excluded.a3, a4 = excluded.a4, a5 = excluded.a5, a6 = excluded.a6, a7 = excluded.a7, a8 = excluded.a8, a9 = excluded.a9, a10 = excluded.a10, a11 = excluded.a11, a12 = excluded.a12, a13 = excluded.a13, a14 = excluded.a14, a15 = excluded.a15, a16 = excluded.a16;
END;
CREATE TRIGGER IF NOT EXISTS "Employees renumbered (journal)" AFTER UPDATE ON "Employees" WHEN OLD."ID" IS NOT NEW."ID" BEGIN
    INSERT INTO hourvane_changes (made_at) SELECT strftime('%Y-%m-%dT%H:%M:%SZ', 'now')
        WHERE NOT EXISTS (SELECT 1 FROM hourvane_changes WHERE id = (SELECT max(id) FROM hourvane_changes) AND open = 1);
    INSERT INTO hourvane_change_rows (change, tbl, row_id, before, after, b1, b2, b3, b4, b5, b6, b7, b8, b9, b10, b11, b12, b13, b14, b15, b16)
        VALUES ((SELECT max(id) FROM hourvane_changes), 'Employees', OLD."ID", 1, 0, OLD."First Name", OLD."Last Name", OLD."E-mail Address", OLD."Company", OLD."Job Title", OLD."Business Phone", OLD."Home Phone", OLD."Mobile Phone", OLD."Fax Number", OLD."Address", OLD."City", OLD."State", OLD."ZIP", OLD."Country", OLD."Web Page", OLD."Notes")
        ON CONFLICT (change, tbl, row_id) DO UPDATE SET after = 0, a1 = NULL, a2 = NULL, a3 = NULL, a4 = NULL, a5 = NULL, a6 = NULL, a7 = NULL, a8 = NULL, a9 = NULL, a10 = NULL, a11 = NULL, a12 = NULL, a13 = NULL, a14 = NULL, a15 = NULL, a16 = NULL;
    INSERT INTO hourvane_change_rows (change, tbl, row_id, before, after, a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11, a12, a13, a14, a15, a16)
        VALUES ((SELECT max(id) FROM hourvane_changes), 'Employees', NEW."ID", 0, 1, NEW."First Name", NEW."Last Name", NEW."E-mail Address", NEW."Company", NEW."Job Title", NEW."Business Phone", NEW."Home Phone", NEW."Mobile Phone", NEW."Fax Number", NEW."Address", NEW."City", NEW."State", NEW."ZIP", NEW."Country", NEW."Web Page", NEW."Notes")
        ON CONFLICT (change, tbl, row_id) DO UPDATE SET after = 1, a1 = excluded.a1, a2 = excluded.a2, a3 = excluded.a3, a4 = excluded.a4, a5 = excluded.a5, a6 = excluded.a6, a7 = excluded.a7, a8 = excluded.a8, a9 = excluded.a9, a10 = excluded.a10, a11 = excluded.a11, a12 = excluded.a12, a13 = excluded.a13, a14 = excluded.a14, a15 = excluded.a15, a16 = excluded.a16;
END;
CREATE TRIGGER IF NOT EXISTS "Employees deleted (journal)" AFTER DELETE ON "Employees" BEGIN
    INSERT INTO hourvane_changes (made_at) SELECT strftime('%Y-%m-%dT%H:%M:%SZ', 'now')
        WHERE NOT EXISTS (SELECT 1 FROM hourvane_changes WHERE id = (SELECT max(id) FROM hourvane_changes) AND open = 1);
    INSERT INTO hourvane_change_rows (change, tbl, row_id, before, after, b1, b2, b3, b4, b5, b6, b7, b8, b9, b10, b11, b12, b13, b14, b15, b16)
        VALUES ((SELECT max(id) FROM hourvane_changes), 'Employees', OLD."ID", 1, 0, OLD."First Name", OLD."Last Name", OLD."E-mail Address", OLD."Company", OLD."Job Title", OLD."Business Phone", OLD."Home Phone", OLD."Mobile Phone", OLD."Fax Number", OLD."Address", OLD."City", OLD."State", OLD."ZIP", OLD."Country", OLD."Web Page", OLD."Notes")
        ON CONFLICT (change, tbl, row_id) DO UPDATE SET after = 0, a1 = NULL, a2 = NULL, a3 = NULL, a4 = NULL, a5 = NULL, a6 = NULL, a7 = NULL, a8 = NULL, a9 = NULL, a10 = NULL, a11 = NULL, a12 = NULL, a13 = NULL, a14 = NULL, a15 = NULL, a16 = NULL;
END;

-- Work Codes
CREATE TRIGGER IF NOT EXISTS "Work Codes added (journal)" AFTER INSERT ON "Work Codes" BEGIN
    INSERT INTO hourvane_changes (made_at) SELECT strftime('%Y-%m-%dT%H:%M:%SZ', 'now')
        WHERE NOT EXISTS (SELECT 1 FROM hourvane_changes WHERE id = (SELECT max(id) FROM hourvane_changes) AND open = 1);
    INSERT INTO hourvane_change_rows (change, tbl, row_id, before, after, a1, a2)
        VALUES ((SELECT max(id) FROM hourvane_changes), 'Work Codes', NEW."ID", 0, 1, NEW."Description", NEW."Billable")
        ON CONFLICT (change, tbl, row_id) DO UPDATE SET after = 1, a1 = excluded.a1, a2 = excluded.a2;
END;
CREATE TRIGGER IF NOT EXISTS "Work Codes edited (journal)" AFTER UPDATE ON "Work Codes" WHEN OLD."ID" IS NEW."ID" BEGIN
    INSERT INTO hourvane_changes (made_at) SELECT strftime('%Y-%m-%dT%H:%M:%SZ', 'now')
        WHERE NOT EXISTS (SELECT 1 FROM hourvane_changes WHERE id = (SELECT max(id) FROM hourvane_changes) AND open = 1);
    INSERT INTO hourvane_change_rows (change, tbl, row_id, before, after, b1, b2, a1, a2)
        VALUES ((SELECT max(id) FROM hourvane_changes), 'Work Codes', NEW."ID", 1, 1, OLD."Description", OLD."Billable", NEW."Description", NEW."Billable")
        ON CONFLICT (change, tbl, row_id) DO UPDATE SET after = 1, a1 = excluded.a1, a2 = excluded.a2;
END;
CREATE TRIGGER IF NOT EXISTS "Work Codes renumbered (journal)" AFTER UPDATE ON "Work Codes" WHEN OLD."ID" IS NOT NEW."ID" BEGIN
    INSERT INTO hourvane_changes (made_at) SELECT strftime('%Y-%m-%dT%H:%M:%SZ', 'now')
        WHERE NOT EXISTS (SELECT 1 FROM hourvane_changes WHERE id = (SELECT max(id) FROM hourvane_changes) AND open = 1);
    INSERT INTO hourvane_change_rows (change, tbl, row_id, before, after, b1, b2)
        VALUES ((SELECT max(id) FROM hourvane_changes), 'Work Codes', OLD."ID", 1, 0, OLD."Description", OLD."Billable")
        ON CONFLICT (change, tbl, row_id) DO UPDATE SET after = 0, a1 = NULL, a2 = NULL;
    INSERT INTO hourvane_change_rows (change, tbl, row_id, before, after, a1, a2)
        VALUES ((SELECT max(id) FROM hourvane_changes), 'Work Codes', NEW."ID", 0, 1, NEW."Description", NEW."Billable")
        ON CONFLICT (change, tbl, row_id) DO UPDATE SET after = 1, a1 = excluded.a1, a2 = excluded.a2;
END;
CREATE TRIGGER IF NOT EXISTS "Work Codes deleted (journal)" AFTER DELETE ON "Work Codes" BEGIN
    INSERT INTO hourvane_changes (made_at) SELECT strftime('%Y-%m-%dT%H:%M:%SZ', 'now')
        WHERE NOT EXISTS (SELECT 1 FROM hourvane_changes WHERE id = (SELECT max(id) FROM hourvane_changes) AND open = 1);
    INSERT INTO hourvane_change_rows (change, tbl, row_id, before, after, b1, b2)
        VALUES ((SELECT max(id) FROM hourvane_changes), 'Work Codes', OLD."ID", 1, 0, OLD."Description", OLD."Billable")
        ON CONFLICT (change, tbl, row_id) DO UPDATE SET after = 0, a1 = NULL, a2 = NULL;
END;

-- Work Hours
CREATE TRIGGER IF NOT EXISTS "Work Hours added (journal)" AFTER INSERT ON "Work Hours" BEGIN
    INSERT INTO hourvane_changes (made_at) SELECT strftime('%Y-%m-%dT%H:%M:%SZ', 'now')
        WHERE NOT EXISTS (SELECT 1 FROM hourvane_changes WHERE id = (SELECT max(id) FROM hourvane_changes) AND open = 1);
    INSERT INTO hourvane_change_rows (change, tbl, row_id, before, after, a1, a2, a3, a4, a5)
        VALUES ((SELECT max(id) FROM hourvane_changes), 'Work Hours', NEW."ID", 0, 1, NEW."Employee", NEW."Date Worked", NEW."Work Code", NEW."Hours", NEW."Work Description")
        ON CONFLICT (change, tbl, row_id) DO UPDATE SET after = 1, a1 = excluded.a1, a2 = excluded.a2, a3 = excluded.a3, a4 = excluded.a4, a5 = excluded.a5;
END;
CREATE TRIGGER IF NOT EXISTS "Work Hours edited (journal)" AFTER UPDATE ON "Work Hours" WHEN OLD."ID" IS NEW."ID" BEGIN
    INSERT INTO hourvane_changes (made_at) SELECT strftime('%Y-%m-%dT%H:%M:%SZ', 'now')
        WHERE NOT EXISTS (SELECT 1 FROM hourvane_changes WHERE id = (SELECT max(id) FROM hourvane_changes) AND open = 1);
    INSERT INTO hourvane_change_rows (change, tbl, row_id, before, after, b1, b2, b3, b4, b5, a1, a2, a3, a4, a5)
        VALUES ((SELECT max(id) FROM hourvane_changes), 'Work Hours', NEW."ID", 1, 1, OLD."Employee", OLD."Date Worked", OLD."Work Code", OLD."Hours", OLD."Work Description", NEW."Employee", NEW."Date Worked", NEW."Work Code", NEW."Hours", NEW."Work Description")
        ON CONFLICT (change, tbl, row_id) DO UPDATE SET after = 1, a1 = excluded.a1, a2 = excluded.a2, a3 = excluded.a3, a4 = excluded.a4, a5 = excluded.a5;
END;
CREATE TRIGGER IF NOT EXISTS "Work Hours renumbered (journal)" AFTER UPDATE ON "Work Hours" WHEN OLD."ID" IS NOT NEW."ID" BEGIN
    INSERT INTO hourvane_changes (made_at) SELECT strftime('%Y-%m-%dT%H:%M:%SZ', 'now')
        WHERE NOT EXISTS (SELECT 1 FROM hourvane_changes WHERE id = (SELECT max(id) FROM hourvane_changes) AND open = 1);
    INSERT INTO hourvane_change_rows (change, tbl, row_id, before, after, b1, b2, b3, b4, b5)
        VALUES ((SELECT max(id) FROM hourvane_changes), 'Work Hours', OLD."ID", 1, 0, OLD."Employee", OLD."Date Worked", OLD."Work Code", OLD."Hours", OLD."Work Description")
        ON CONFLICT (change, tbl, row_id) DO UPDATE SET after = 0, a1 = NULL, a2 = NULL, a3 = NULL, a4 = NULL, a5 = NULL;
    INSERT INTO hourvane_change_rows (change, tbl, row_id, before, after, a1, a2, a3, a4, a5)
        VALUES ((SELECT max(id) FROM hourvane_changes), 'Work Hours', NEW."ID", 0, 1, NEW."Employee", NEW."Date Worked", NEW."Work Code", NEW."Hours", NEW."Work Description")
        ON CONFLICT (change, tbl, row_id) DO UPDATE SET after = 1, a1 = excluded.a1, a2 = excluded.a2, a3 = excluded.a3, a4 = excluded.a4, a5 = excluded.a5;
END;
CREATE TRIGGER IF NOT EXISTS "Work Hours deleted (journal)" AFTER DELETE ON "Work Hours" BEGIN
    INSERT INTO hourvane_changes (made_at) SELECT strftime('%Y-%m-%dT%H:%M:%SZ', 'now')
        WHERE NOT EXISTS (SELECT 1 FROM hourvane_changes WHERE id = (SELECT max(id) FROM hourvane_changes) AND open = 1);
    INSERT INTO hourvane_change_rows (change, tbl, row_id, before, after, b1, b2, b3, b4, b5)
        VALUES ((SELECT max(id) FROM hourvane_changes), 'Work Hours', OLD."ID", 1, 0, OLD."Employee", OLD."Date Worked", OLD."Work Code", OLD."Hours", OLD."Work Description")
        ON CONFLICT (change, tbl, row_id) DO UPDATE SET after = 0, a1 = NULL, a2 = NULL, a3 = NULL, a4 = NULL, a5 = NULL;
END;
