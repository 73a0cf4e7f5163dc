-- What the program keeps about employees and work codes beside their own
-- tables, whose columns stay as they are: one row a fact.
--   Kind 'Employee inactive' or 'Work Code inactive': the employee or work
--     code whose ID is Record is no longer active (no row: active).
--   Kind 'Contract': from the date Valid From on (until the next such row of
--     the same employee), the employee Record is contracted for Weekly Hours
--     a week.
-- Its rows are journaled like the three tables' (the triggers below, or the
-- program's update hook), so that Undo takes back a change of them.
-- hourvane_make_template runs this text after journal.sql; the program runs
-- it to bring a file of an older version up to date. Every statement here
-- can run again without harm.

CREATE TABLE IF NOT EXISTS hourvane_terms (
    "ID"           INTEGER PRIMARY KEY AUTOINCREMENT,
    "Kind"         TEXT NOT NULL
        CONSTRAINT "Kind must be a kind of term"
        CHECK ("Kind" IN ('Employee inactive', 'Work Code inactive', 'Contract')),
    "Record"       INTEGER NOT NULL
        CONSTRAINT "Record must be a whole number" CHECK (typeof("Record") = 'integer'),
    "Valid From"   TEXT
        CONSTRAINT "Valid From must be a date"
        CHECK ("Valid From" IS NULL OR (typeof("Valid From") = 'text' AND date("Valid From") = "Valid From")),
    "Weekly Hours" DOUBLE
        CONSTRAINT "Weekly Hours must be a number from 0 to 168"
        CHECK ("Weekly Hours" IS NULL OR (typeof("Weekly Hours") IN ('real', 'integer')
                                          AND "Weekly Hours" >= 0 AND "Weekly Hours" <= 168))
);
CREATE INDEX IF NOT EXISTS "hourvane_terms by Record" ON hourvane_terms ("Record");

DROP TRIGGER IF EXISTS "hourvane_terms added (journal)";
CREATE TRIGGER "hourvane_terms added (journal)" AFTER INSERT ON hourvane_terms BEGIN
    INSERT INTO hourvane_journal (tbl, row_id, before, after, a1, a2, a3, a4)
        VALUES ('hourvane_terms', NEW."ID", 0, 1, NEW."Kind", NEW."Record", NEW."Valid From", NEW."Weekly Hours");
END;
DROP TRIGGER IF EXISTS "hourvane_terms edited (journal)";
CREATE TRIGGER "hourvane_terms edited (journal)" AFTER UPDATE ON hourvane_terms WHEN OLD."ID" IS NEW."ID" BEGIN
    INSERT INTO hourvane_journal (tbl, row_id, before, after, b1, b2, b3, b4, a1, a2, a3, a4)
        VALUES ('hourvane_terms', NEW."ID", 1, 1, OLD."Kind", OLD."Record", OLD."Valid From", OLD."Weekly Hours",
                NEW."Kind", NEW."Record", NEW."Valid From", NEW."Weekly Hours");
END;
DROP TRIGGER IF EXISTS "hourvane_terms renumbered (journal)";
CREATE TRIGGER "hourvane_terms renumbered (journal)" AFTER UPDATE OF "ID", rowid, oid, _rowid_ ON hourvane_terms
    WHEN OLD."ID" IS NOT NEW."ID" BEGIN
    INSERT INTO hourvane_journal (tbl, row_id, before, after, b1, b2, b3, b4)
        VALUES ('hourvane_terms', OLD."ID", 1, 0, OLD."Kind", OLD."Record", OLD."Valid From", OLD."Weekly Hours");
    INSERT INTO hourvane_journal (tbl, row_id, before, after, a1, a2, a3, a4)
        VALUES ('hourvane_terms', NEW."ID", 0, 1, NEW."Kind", NEW."Record", NEW."Valid From", NEW."Weekly Hours");
END;
DROP TRIGGER IF EXISTS "hourvane_terms deleted (journal)";
CREATE TRIGGER "hourvane_terms deleted (journal)" AFTER DELETE ON hourvane_terms BEGIN
    INSERT INTO hourvane_journal (tbl, row_id, before, after, b1, b2, b3, b4)
        VALUES ('hourvane_terms', OLD."ID", 1, 0, OLD."Kind", OLD."Record", OLD."Valid From", OLD."Weekly Hours");
END;
