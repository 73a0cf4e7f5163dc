-- Telling every connected program that the three tables changed: after each
-- statement that adds, edits or deletes rows in them (an undo too), the
-- server sends a notification on the channel hourvane_changes, whose text is
-- the schema that holds the tables; it reaches the programs listening when
-- the writer's transaction commits, and never when it is undone. Run after
-- the tables are made, and alone to bring a database of an older version up
-- to date: every statement here can run again without harm.

-- A notice needs no right to send, so the server's own carries, after the
-- schema, the writer's transaction and its seal (hourvane_journal_seal, with
-- the owner's secret): "schema txid seal". A program believes a notice only
-- when hourvane_notice_true() finds the seal right, once for each transaction
-- (programs keep what they heard), so a notice anyone else sends costs
-- nothing. A transaction's notices are one, as the server sends a text once
-- per transaction.
CREATE OR REPLACE FUNCTION hourvane_notify() RETURNS trigger LANGUAGE plpgsql AS $$
BEGIN
    PERFORM pg_notify('hourvane_changes',
                      TG_TABLE_SCHEMA || ' ' || txid_current()::text || ' ' || hourvane_journal_seal('notice'));
    RETURN NULL;
END
$$;

CREATE OR REPLACE FUNCTION hourvane_notice_true(txid bigint, seal text) RETURNS boolean LANGUAGE sql STABLE AS $$
    SELECT coalesce(bool_or(md5(s.token || ':notice:' || txid::text) = seal), false) FROM hourvane_secret s
$$;

-- Both run as the owner, the check for the groups of rights (ServerRights).
SELECT hourvane_definer('hourvane_notify()'::regprocedure);
SELECT hourvane_definer('hourvane_notice_true(bigint, text)'::regprocedure);

DROP TRIGGER IF EXISTS "Employees changed" ON "Employees";
CREATE TRIGGER "Employees changed" AFTER INSERT OR UPDATE OR DELETE OR TRUNCATE ON "Employees"
    FOR EACH STATEMENT EXECUTE FUNCTION hourvane_notify();
DROP TRIGGER IF EXISTS "Work Codes changed" ON "Work Codes";
CREATE TRIGGER "Work Codes changed" AFTER INSERT OR UPDATE OR DELETE OR TRUNCATE ON "Work Codes"
    FOR EACH STATEMENT EXECUTE FUNCTION hourvane_notify();
DROP TRIGGER IF EXISTS "Work Hours changed" ON "Work Hours";
CREATE TRIGGER "Work Hours changed" AFTER INSERT OR UPDATE OR DELETE OR TRUNCATE ON "Work Hours"
    FOR EACH STATEMENT EXECUTE FUNCTION hourvane_notify();

UPDATE hourvane_schema SET version = 3 WHERE version < 3;
