-- The journal of changes, for Undo and Redo: every row added, edited or
-- deleted in the three tables is recorded in the same transaction, in one
-- table kept in the order things happened: a row of hourvane_journal is a row
-- of one of the tables (tbl, row_id), with whether it existed before and
-- after the event and its values then.
--
-- A change is one transaction of the program: its events, of which the last
-- also holds the change's record (made_at is set only there): when, by whom,
-- what, whether it is undone (undone: the newest change at the time, so that
-- one made since puts it out of Redo's reach; 0: not undone), and the seq of
-- the previous change's last event (prev), so that the changes are walked
-- from the newest without an index.
-- The program records its own writes as it makes them (the engine's update
-- hook) and writes them out just before it commits, the last one with the
-- record; the triggers below record every other program's writes (and the
-- program's, where the engine has no such hook), and the program gives their
-- last event a record when it next writes. A write touches only the end of
-- the table, with no lookup and no index. Old changes are dropped when the
-- program opens the database. hourvane_make_template runs this text after
-- schema.sql; the program runs it to bring a file of an older version up to
-- date. Every statement here can run again without harm.

-- b1 and a1 hold the column after "ID", and so on, in the table's order. The
-- columns have no type, so every value is kept exactly as it was stored.
CREATE TABLE IF NOT EXISTS hourvane_journal (
    seq         INTEGER PRIMARY KEY,
    tbl         TEXT,
    row_id      INTEGER,
    before      INTEGER,
    after       INTEGER,
    b1, b2, b3, b4, b5, b6, b7, b8, b9, b10, b11, b12, b13, b14, b15, b16,
    a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11, a12, a13, a14, a15, a16,
    made_at     TEXT,
    made_by     TEXT,
    description TEXT,
    undone      INTEGER,
    prev        INTEGER
);

-- The changes alone; a change's events are the rows after its prev up to it.
CREATE VIEW IF NOT EXISTS hourvane_journal_changes AS
SELECT seq AS id, made_at, made_by, description, undone, prev FROM hourvane_journal WHERE made_at IS NOT NULL;

-- A row whose "ID" changes is deleted under the old one and added under the
-- new one. That trigger names the columns it watches, so that the engine
-- leaves it out of every statement that sets none of them.

-- Employees
DROP TRIGGER IF EXISTS "Employees added (journal)";
CREATE TRIGGER "Employees added (journal)" AFTER INSERT ON "Employees" BEGIN
    INSERT INTO hourvane_journal (tbl, row_id, before, after, a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11, a12, a13, a14, a15, a16)
        VALUES ('Employees', NEW."ID", 0, 1, NEW."First Name", NEW."Last Name", NEW."E-mail Address", NEW."Company", NEW."Job Title", NEW."Business Phone", NEW."Home Phone", NEW."Mobile Phone", NEW."Fax Number", NEW."Address", NEW."City", NEW."State", NEW."ZIP", NEW."Country", NEW."Web Page", NEW."Notes");
END;
DROP TRIGGER IF EXISTS "Employees edited (journal)";
CREATE TRIGGER "Employees edited (journal)" AFTER UPDATE ON "Employees" WHEN OLD."ID" IS NEW."ID" BEGIN
    INSERT INTO hourvane_journal (tbl, row_id, before, after, b1, b2, b3, b4, b5, b6, b7, b8, b9, b10, b11, b12, b13, b14, b15, b16, a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11, a12, a13, a14, a15, a16)
        VALUES ('Employees', NEW."ID", 1, 1, OLD."First Name", OLD."Last Name", OLD."E-mail Address", OLD."Company", OLD."Job Title", OLD."Business Phone", OLD."Home Phone", OLD."Mobile Phone", OLD."Fax Number", OLD."Address", OLD."City", OLD."State", OLD."ZIP", OLD."Country", OLD."Web Page", OLD."Notes", NEW."First Name", NEW."Last Name", NEW."E-mail Address", NEW."Company", NEW."Job Title", NEW."Business Phone", NEW."Home Phone", NEW."Mobile Phone", NEW."Fax Number", NEW."Address", NEW."City", NEW."State", NEW."ZIP", NEW."Country", NEW."Web Page", NEW."Notes");
END;
DROP TRIGGER IF EXISTS "Employees renumbered (journal)";
CREATE TRIGGER "Employees renumbered (journal)" AFTER UPDATE OF "ID", rowid, oid, _rowid_ ON "Employees"
    WHEN OLD."ID" IS NOT NEW."ID" BEGIN
    INSERT INTO hourvane_journal (tbl, row_id, before, after, b1, b2, b3, b4, b5, b6, b7, b8, b9, b10, b11, b12, b13, b14, b15, b16)
        VALUES ('Employees', OLD."ID", 1, 0, OLD."First Name", OLD."Last Name", OLD."E-mail Address", OLD."Company", OLD."Job Title", OLD."Business Phone", OLD."Home Phone", OLD."Mobile Phone", OLD."Fax Number", OLD."Address", OLD."City", OLD."State", OLD."ZIP", OLD."Country", OLD."Web Page", OLD."Notes");
    INSERT INTO hourvane_journal (tbl, row_id, before, after, a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11, a12, a13, a14, a15, a16)
        VALUES ('Employees', NEW."ID", 0, 1, NEW."First Name", NEW."Last Name", NEW."E-mail Address", NEW."Company", NEW."Job Title", NEW."Business Phone", NEW."Home Phone", NEW."Mobile Phone", NEW."Fax Number", NEW."Address", NEW."City", NEW."State", NEW."ZIP", NEW."Country", NEW."Web Page", NEW."Notes");
END;
DROP TRIGGER IF EXISTS "Employees deleted (journal)";
CREATE TRIGGER "Employees deleted (journal)" AFTER DELETE ON "Employees" BEGIN
    INSERT INTO hourvane_journal (tbl, row_id, before, after, b1, b2, b3, b4, b5, b6, b7, b8, b9, b10, b11, b12, b13, b14, b15, b16)
        VALUES ('Employees', OLD."ID", 1, 0, OLD."First Name", OLD."Last Name", OLD."E-mail Address", OLD."Company", OLD."Job Title", OLD."Business Phone", OLD."Home Phone", OLD."Mobile Phone", OLD."Fax Number", OLD."Address", OLD."City", OLD."State", OLD."ZIP", OLD."Country", OLD."Web Page", OLD."Notes");
END;

-- Work Codes
DROP TRIGGER IF EXISTS "Work Codes added (journal)";
CREATE TRIGGER "Work Codes added (journal)" AFTER INSERT ON "Work Codes" BEGIN
    INSERT INTO hourvane_journal (tbl, row_id, before, after, a1, a2)
        VALUES ('Work Codes', NEW."ID", 0, 1, NEW."Description", NEW."Billable");
END;
DROP TRIGGER IF EXISTS "Work Codes edited (journal)";
CREATE TRIGGER "Work Codes edited (journal)" AFTER UPDATE ON "Work Codes" WHEN OLD."ID" IS NEW."ID" BEGIN
    INSERT INTO hourvane_journal (tbl, row_id, before, after, b1, b2, a1, a2)
        VALUES ('Work Codes', NEW."ID", 1, 1, OLD."Description", OLD."Billable", NEW."Description", NEW."Billable");
END;
DROP TRIGGER IF EXISTS "Work Codes renumbered (journal)";
CREATE TRIGGER "Work Codes renumbered (journal)" AFTER UPDATE OF "ID", rowid, oid, _rowid_ ON "Work Codes"
    WHEN OLD."ID" IS NOT NEW."ID" BEGIN
    INSERT INTO hourvane_journal (tbl, row_id, before, after, b1, b2)
        VALUES ('Work Codes', OLD."ID", 1, 0, OLD."Description", OLD."Billable");
    INSERT INTO hourvane_journal (tbl, row_id, before, after, a1, a2)
        VALUES ('Work Codes', NEW."ID", 0, 1, NEW."Description", NEW."Billable");
END;
DROP TRIGGER IF EXISTS "Work Codes deleted (journal)";
CREATE TRIGGER "Work Codes deleted (journal)" AFTER DELETE ON "Work Codes" BEGIN
    INSERT INTO hourvane_journal (tbl, row_id, before, after, b1, b2)
        VALUES ('Work Codes', OLD."ID", 1, 0, OLD."Description", OLD."Billable");
END;

-- Work Hours
DROP TRIGGER IF EXISTS "Work Hours added (journal)";
CREATE TRIGGER "Work Hours added (journal)" AFTER INSERT ON "Work Hours" BEGIN
    INSERT INTO hourvane_journal (tbl, row_id, before, after, a1, a2, a3, a4, a5)
        VALUES ('Work Hours', NEW."ID", 0, 1, NEW."Employee", NEW."Date Worked", NEW."Work Code", NEW."Hours", NEW."Work Description");
END;
DROP TRIGGER IF EXISTS "Work Hours edited (journal)";
CREATE TRIGGER "Work Hours edited (journal)" AFTER UPDATE ON "Work Hours" WHEN OLD."ID" IS NEW."ID" BEGIN
    INSERT INTO hourvane_journal (tbl, row_id, before, after, b1, b2, b3, b4, b5, a1, a2, a3, a4, a5)
        VALUES ('Work Hours', NEW."ID", 1, 1, OLD."Employee", OLD."Date Worked", OLD."Work Code", OLD."Hours", OLD."Work Description", NEW."Employee", NEW."Date Worked", NEW."Work Code", NEW."Hours", NEW."Work Description");
END;
DROP TRIGGER IF EXISTS "Work Hours renumbered (journal)";
CREATE TRIGGER "Work Hours renumbered (journal)" AFTER UPDATE OF "ID", rowid, oid, _rowid_ ON "Work Hours"
    WHEN OLD."ID" IS NOT NEW."ID" BEGIN
    INSERT INTO hourvane_journal (tbl, row_id, before, after, b1, b2, b3, b4, b5)
        VALUES ('Work Hours', OLD."ID", 1, 0, OLD."Employee", OLD."Date Worked", OLD."Work Code", OLD."Hours", OLD."Work Description");
    INSERT INTO hourvane_journal (tbl, row_id, before, after, a1, a2, a3, a4, a5)
        VALUES ('Work Hours', NEW."ID", 0, 1, NEW."Employee", NEW."Date Worked", NEW."Work Code", NEW."Hours", NEW."Work Description");
END;
DROP TRIGGER IF EXISTS "Work Hours deleted (journal)";
CREATE TRIGGER "Work Hours deleted (journal)" AFTER DELETE ON "Work Hours" BEGIN
    INSERT INTO hourvane_journal (tbl, row_id, before, after, b1, b2, b3, b4, b5)
        VALUES ('Work Hours', OLD."ID", 1, 0, OLD."Employee", OLD."Date Worked", OLD."Work Code", OLD."Hours", OLD."Work Description");
END;
