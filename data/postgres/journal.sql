-- The journal of changes, for Undo and Redo, on a server: every row added,
-- edited or deleted in the three tables is recorded by the triggers below in
-- the writer's own transaction, as one row of hourvane_journal holding the
-- table row as it was before and after, in columns of the table's own row
-- type (no conversion on the way of a write; the values are kept exactly).
-- A change is one transaction: its rows share the number (change) its first
-- recorded statement took, found by the rest through hourvane.change, and
-- each row carries who (the login, session_user), when and what (the
-- description the program set for the transaction, hourvane.description).
-- Nothing here reads the journal on the way of a write, so that two people's
-- writes never conflict over it (every transaction is serializable). Undo
-- marks a change undone in hourvane_undone, with the newest change of that
-- moment (mark): a change its login makes since puts it out of Redo's reach;
-- Redo takes the mark away. Run after schema.sql when a database is created,
-- and alone to bring a database of an older version up to date (a journal of
-- version 2 is carried over): every statement here can run again without harm.
--
-- The journal is the owner's: logins of the groups of rights read it but
-- write nothing to it, nor move its numbering. What writes it (the triggers'
-- recording, the replay, the IDs' numbering) runs with the owner's rights
-- (hourvane_definer) on a fixed search path; a replay is the change's own
-- login's, checked here, and records who made it. What a transaction holds
-- in its settings to find its change, or to tell the triggers that the
-- replay writes, is sealed (hourvane_journal_seal) with a secret only the
-- owner reads, for that transaction alone: a session that sets them itself
-- neither joins another's change nor keeps its writes out of the journal.

CREATE SEQUENCE IF NOT EXISTS hourvane_journal_seq;

-- A change that touched a row twice has two rows for it: the row's state
-- before the change is the first one's "before", after it the last one's
-- "after" (Null: the row did not exist).
CREATE TABLE IF NOT EXISTS hourvane_journal (
    seq             bigint NOT NULL,
    change          bigint NOT NULL,
    made_at         timestamptz NOT NULL DEFAULT now(),
    made_by         text NOT NULL DEFAULT session_user,
    description     text DEFAULT nullif(current_setting('hourvane.description', true), ''),
    tbl             text NOT NULL,
    row_id          bigint NOT NULL,
    employee_before "Employees",
    employee_after  "Employees",
    code_before     "Work Codes",
    code_after      "Work Codes",
    entry_before    "Work Hours",
    entry_after     "Work Hours"
);
CREATE INDEX IF NOT EXISTS hourvane_journal_by_change ON hourvane_journal (change, seq);

CREATE TABLE IF NOT EXISTS hourvane_undone (change bigint PRIMARY KEY, mark bigint NOT NULL);
-- Who undid a change, and when (Null for a change undone before version 6).
ALTER TABLE hourvane_undone ADD COLUMN IF NOT EXISTS undone_by text;
ALTER TABLE hourvane_undone ADD COLUMN IF NOT EXISTS undone_at timestamptz;
-- The login, not the role its rights are taken from at the moment.
ALTER TABLE hourvane_journal ALTER COLUMN made_by SET DEFAULT session_user;

-- The secret that seals a transaction's settings, made once, read by the
-- owner alone.
CREATE TABLE IF NOT EXISTS hourvane_secret (token text NOT NULL);
INSERT INTO hourvane_secret (token)
SELECT md5(random()::text || clock_timestamp()::text || pg_backend_pid()::text) || md5(random()::text)
WHERE NOT EXISTS (SELECT 1 FROM hourvane_secret);
REVOKE ALL ON hourvane_secret FROM PUBLIC;

-- `what` sealed for the present transaction.
CREATE OR REPLACE FUNCTION hourvane_journal_seal(what text) RETURNS text LANGUAGE sql VOLATILE AS $$
    SELECT md5(s.token || ':' || what || ':' || txid_current()::text) FROM hourvane_secret s LIMIT 1
$$;
REVOKE ALL ON FUNCTION hourvane_journal_seal(text) FROM PUBLIC;

-- Makes a function of the journal's run with the owner's rights, on a search
-- path no one else can put names of their own before (the temporary schema
-- comes last), and callable by no one it is not granted to.
CREATE OR REPLACE FUNCTION hourvane_definer(fn regprocedure) RETURNS void LANGUAGE plpgsql AS $$
BEGIN
    EXECUTE format('ALTER FUNCTION %s SECURITY DEFINER SET search_path = pg_catalog, %I, pg_temp', fn, current_schema());
    EXECUTE format('REVOKE ALL ON FUNCTION %s FROM PUBLIC', fn);
END
$$;
REVOKE ALL ON FUNCTION hourvane_definer(regprocedure) FROM PUBLIC;

-- The rows one statement touched in one table, from its transition tables
-- (old_rows, new_rows: both for an update, one for an insert or a delete),
-- are recorded by one insert: a copy of 100,000 entries costs the journal one
-- statement, not 100,000 calls of a function. A transition table's row is a
-- record of no type: ROW(...) gives it the table's own. An update's rows are
-- paired by "ID", so a row whose "ID" changes (never by the program) goes
-- under the old one and comes under the new one.

-- The change the transaction's rows go under, taken by its first recorded
-- statement and kept, sealed, in hourvane.change; Null while the replay
-- writes (hourvane.replaying holds its seal).
CREATE OR REPLACE FUNCTION hourvane_journal_change() RETURNS bigint LANGUAGE plpgsql AS $$
DECLARE
    held text := coalesce(current_setting('hourvane.change', true), '');
    change bigint;
BEGIN
    IF current_setting('hourvane.replaying', true) = hourvane_journal_seal('replay') THEN
        RETURN NULL;
    END IF;
    IF held ~ '^[0-9]+:[0-9a-f]+$' AND split_part(held, ':', 2) = hourvane_journal_seal(split_part(held, ':', 1)) THEN
        RETURN split_part(held, ':', 1)::bigint;
    END IF;
    change := nextval('hourvane_journal_seq');
    PERFORM set_config('hourvane.change', change::text || ':' || hourvane_journal_seal(change::text), true);
    RETURN change;
END
$$;

-- The journal's names for `tbl`: its columns' stem (employee_before, ...)
-- and the function that records the statements on it.
CREATE OR REPLACE FUNCTION hourvane_journal_image(tbl text) RETURNS text LANGUAGE sql IMMUTABLE AS $$
    SELECT CASE tbl WHEN 'Employees' THEN 'employee' WHEN 'Work Codes' THEN 'code' ELSE 'entry' END
$$;
CREATE OR REPLACE FUNCTION hourvane_journal_function(tbl text) RETURNS text LANGUAGE sql IMMUTABLE AS $$
    SELECT CASE tbl WHEN 'Employees' THEN 'hourvane_journal_employees' WHEN 'Work Codes' THEN 'hourvane_journal_codes'
                    ELSE 'hourvane_journal_entries' END
$$;

-- One function a table, its statements written for the table's row type
-- (kept once planned, where a text run by EXECUTE would be planned at each
-- write).
DO $do$
DECLARE
    name text;
    image text;
BEGIN
    FOREACH name IN ARRAY ARRAY['Employees', 'Work Codes', 'Work Hours'] LOOP
        image := hourvane_journal_image(name);
        EXECUTE format($f$
CREATE OR REPLACE FUNCTION %1$I() RETURNS trigger LANGUAGE plpgsql AS $$
DECLARE
    change bigint := hourvane_journal_change();
BEGIN
    IF change IS NULL THEN
        RETURN NULL;
    ELSIF TG_OP = 'INSERT' THEN
        INSERT INTO hourvane_journal (seq, change, made_by, tbl, row_id, %3$I)
            SELECT nextval('hourvane_journal_seq'), change, session_user, TG_TABLE_NAME, n."ID", ROW(n.*)::%4$I FROM new_rows n;
    ELSIF TG_OP = 'DELETE' THEN
        INSERT INTO hourvane_journal (seq, change, made_by, tbl, row_id, %2$I)
            SELECT nextval('hourvane_journal_seq'), change, session_user, TG_TABLE_NAME, o."ID", ROW(o.*)::%4$I FROM old_rows o;
    ELSE
        INSERT INTO hourvane_journal (seq, change, made_by, tbl, row_id, %2$I, %3$I)
            SELECT nextval('hourvane_journal_seq'), change, session_user, TG_TABLE_NAME, coalesce(n."ID", o."ID"),
                   CASE WHEN o."ID" IS NOT NULL THEN ROW(o.*)::%4$I END,
                   CASE WHEN n."ID" IS NOT NULL THEN ROW(n.*)::%4$I END
            FROM old_rows o FULL JOIN new_rows n ON n."ID" = o."ID";
    END IF;
    RETURN NULL;
END
$$;
$f$, hourvane_journal_function(name), image || '_before', image || '_after', name);
    END LOOP;
END
$do$;

-- The row-by-row form of version 3 and before goes.
DROP FUNCTION IF EXISTS hourvane_journal() CASCADE;

-- One trigger for each kind of statement: a trigger with transition tables
-- fires on one event only.
DO $$
DECLARE
    name text;
    event text;
BEGIN
    FOREACH name IN ARRAY ARRAY['Employees', 'Work Codes', 'Work Hours'] LOOP
        EXECUTE format('DROP TRIGGER IF EXISTS %I ON %I', name || ' journal', name);
        FOREACH event IN ARRAY ARRAY['INSERT', 'UPDATE', 'DELETE'] LOOP
            EXECUTE format('DROP TRIGGER IF EXISTS %I ON %I', name || ' journal ' || lower(event), name);
            EXECUTE format('CREATE TRIGGER %I AFTER %s ON %I REFERENCING %s FOR EACH STATEMENT '
                           'EXECUTE FUNCTION %I()',
                           name || ' journal ' || lower(event), event, name,
                           CASE event WHEN 'INSERT' THEN 'NEW TABLE AS new_rows'
                                      WHEN 'DELETE' THEN 'OLD TABLE AS old_rows'
                                      ELSE 'OLD TABLE AS old_rows NEW TABLE AS new_rows' END,
                           hourvane_journal_function(name));
        END LOOP;
    END LOOP;
END
$$;

-- The journal of version 2 (a table of changes and one of their rows, the
-- rows' images as jsonb) is carried over, change by change, and goes.
DO $$
BEGIN
    IF (SELECT relkind FROM pg_class WHERE oid = to_regclass('hourvane_changes')) = 'r' THEN
        PERFORM setval('hourvane_journal_seq',
                       greatest((SELECT max(id) FROM hourvane_changes), (SELECT max(seq) FROM hourvane_change_rows), 1));
        INSERT INTO hourvane_journal (seq, change, made_at, made_by, description, tbl, row_id, employee_before,
                                      employee_after, code_before, code_after, entry_before, entry_after)
        SELECT nextval('hourvane_journal_seq'), r.change, c.made_at, c.made_by, c.description, r.tbl, r.row_id,
               CASE WHEN r.tbl = 'Employees' AND r.before IS NOT NULL THEN jsonb_populate_record(NULL::"Employees", r.before) END,
               CASE WHEN r.tbl = 'Employees' AND r.after IS NOT NULL THEN jsonb_populate_record(NULL::"Employees", r.after) END,
               CASE WHEN r.tbl = 'Work Codes' AND r.before IS NOT NULL THEN jsonb_populate_record(NULL::"Work Codes", r.before) END,
               CASE WHEN r.tbl = 'Work Codes' AND r.after IS NOT NULL THEN jsonb_populate_record(NULL::"Work Codes", r.after) END,
               CASE WHEN r.tbl = 'Work Hours' AND r.before IS NOT NULL THEN jsonb_populate_record(NULL::"Work Hours", r.before) END,
               CASE WHEN r.tbl = 'Work Hours' AND r.after IS NOT NULL THEN jsonb_populate_record(NULL::"Work Hours", r.after) END
        FROM hourvane_change_rows r JOIN hourvane_changes c ON c.id = r.change
        ORDER BY r.seq;
        INSERT INTO hourvane_undone (change, mark)
        SELECT id, (SELECT max(id) FROM hourvane_changes) FROM hourvane_changes WHERE undone ON CONFLICT DO NOTHING;
        DROP VIEW IF EXISTS hourvane_change_net;
        DROP TABLE hourvane_change_rows;
        DROP TABLE hourvane_changes;
    END IF;
END
$$;

-- The changes, one row each, newest first, found from one to the next down
-- the index (a change's rows are never read but its first), with the
-- change's record as its first row holds it.
CREATE OR REPLACE VIEW hourvane_changes AS
WITH RECURSIVE c (change) AS (
    SELECT max(change) FROM hourvane_journal
    UNION ALL
    SELECT (SELECT max(j.change) FROM hourvane_journal j WHERE j.change < c.change) FROM c WHERE c.change IS NOT NULL
)
SELECT c.change AS id, f.made_at, f.made_by, f.description,
       EXISTS (SELECT 1 FROM hourvane_undone u WHERE u.change = c.change) AS undone
FROM c
CROSS JOIN LATERAL (SELECT made_at, made_by, description FROM hourvane_journal j WHERE j.change = c.change
                    ORDER BY j.seq LIMIT 1) f
WHERE c.change IS NOT NULL;

-- Each row a change touched, with its state before and after the change.
CREATE OR REPLACE VIEW hourvane_journal_net AS
SELECT change, tbl, row_id,
       (array_agg(employee_before ORDER BY seq))[1] AS employee_before,
       (array_agg(employee_after ORDER BY seq DESC))[1] AS employee_after,
       (array_agg(code_before ORDER BY seq))[1] AS code_before,
       (array_agg(code_after ORDER BY seq DESC))[1] AS code_after,
       (array_agg(entry_before ORDER BY seq))[1] AS entry_before,
       (array_agg(entry_after ORDER BY seq DESC))[1] AS entry_after
FROM hourvane_journal
GROUP BY change, tbl, row_id;

-- The first row of `target` whose present state is not the one the change
-- left (forward = false: Undo) or found (forward = true: Redo), with the
-- newest change not undone that touched it after `target`, if the journal
-- still knows it. No row: the change can be replayed.
CREATE OR REPLACE FUNCTION hourvane_replay_conflict(target bigint, forward boolean)
RETURNS TABLE (tbl text, row_id bigint, made_by text, made_at timestamptz, description text)
LANGUAGE plpgsql AS $$
DECLARE
    name text;
    image text;
BEGIN
    FOREACH name IN ARRAY ARRAY['Employees', 'Work Codes', 'Work Hours'] LOOP
        image := hourvane_journal_image(name);
        RETURN QUERY EXECUTE format(
            'SELECT n.tbl, n.row_id, c.made_by, c.made_at, c.description
             FROM hourvane_journal_net n
             LEFT JOIN LATERAL (SELECT t AS now FROM %1$I t WHERE t."ID" = n.row_id) present ON true
             LEFT JOIN LATERAL (SELECT j.made_by, j.made_at, j.description FROM hourvane_journal j
                                WHERE j.tbl = n.tbl AND j.row_id = n.row_id AND j.change > $1
                                  AND NOT EXISTS (SELECT 1 FROM hourvane_undone u WHERE u.change = j.change)
                                ORDER BY j.change DESC, j.seq DESC LIMIT 1) c ON true
             WHERE n.change = $1 AND n.tbl = %2$L
               AND present.now IS DISTINCT FROM (CASE WHEN $2 THEN n.%3$I ELSE n.%4$I END)
             ORDER BY n.row_id LIMIT 1', name, name, image || '_before', image || '_after')
            USING target, forward;
        IF FOUND THEN
            RETURN;
        END IF;
    END LOOP;
END
$$;

-- Puts every row `target` touched back as it was before the change
-- (forward = false) or as the change left it (forward = true), IDs and all,
-- and marks the change undone (by whom, when) or not. Only the login that
-- made the change replays it, and only while every row it touched stands as
-- the replay expects; the replay is not journaled itself.
CREATE OR REPLACE FUNCTION hourvane_replay(target bigint, forward boolean) RETURNS void
LANGUAGE plpgsql AS $$
DECLARE
    name text;
    image text;
    maker text;
    changed record;
BEGIN
    SELECT j.made_by INTO maker FROM hourvane_journal j WHERE j.change = target ORDER BY j.seq LIMIT 1;
    IF NOT FOUND THEN
        RAISE EXCEPTION 'The change % is not in the journal (any more): nothing was undone or redone.', target
            USING ERRCODE = 'no_data_found';
    END IF;
    IF maker IS DISTINCT FROM session_user THEN
        RAISE EXCEPTION 'The change % was made by the login %, and only that login may undo or redo it: nothing was '
                        'changed.', target, maker
            USING ERRCODE = 'insufficient_privilege';
    END IF;
    IF forward <> EXISTS (SELECT 1 FROM hourvane_undone u WHERE u.change = target) THEN
        RAISE EXCEPTION 'The change % is % undone: nothing was changed.', target,
                        CASE WHEN forward THEN 'not' ELSE 'already' END
            USING ERRCODE = 'object_not_in_prerequisite_state';
    END IF;
    SELECT * INTO changed FROM hourvane_replay_conflict(target, forward) LIMIT 1;
    IF FOUND THEN
        RAISE EXCEPTION 'The row % of % was changed after the change %: nothing was undone or redone.',
                        changed.row_id, changed.tbl, target
            USING ERRCODE = 'object_not_in_prerequisite_state';
    END IF;
    PERFORM set_config('hourvane.replaying', hourvane_journal_seal('replay'), true);
    PERFORM set_config('hourvane.keep_orphans', 'on', true);
    FOREACH name IN ARRAY ARRAY['Employees', 'Work Codes', 'Work Hours'] LOOP
        image := hourvane_journal_image(name);
        EXECUTE format('DELETE FROM %I t USING hourvane_journal j
                        WHERE j.change = $1 AND j.tbl = %L AND t."ID" = j.row_id', name, name)
            USING target;
        EXECUTE format('INSERT INTO %1$I SELECT (w.image).*
                        FROM (SELECT CASE WHEN $2 THEN n.%3$I ELSE n.%4$I END AS image
                              FROM hourvane_journal_net n WHERE n.change = $1 AND n.tbl = %2$L) w
                        WHERE (w.image)."ID" IS NOT NULL
                        ORDER BY (w.image)."ID"', name, name, image || '_after', image || '_before')
            USING target, forward;
    END LOOP;
    IF forward THEN
        DELETE FROM hourvane_undone WHERE change = target;
    ELSE
        INSERT INTO hourvane_undone (change, mark, undone_by, undone_at)
            VALUES (target, (SELECT max(change) FROM hourvane_journal), session_user, now())
            ON CONFLICT (change) DO UPDATE SET mark = excluded.mark, undone_by = excluded.undone_by,
                                               undone_at = excluded.undone_at;
    END IF;
    PERFORM set_config('hourvane.replaying', '', true);
    PERFORM set_config('hourvane.keep_orphans', '', true);
END
$$;

-- Moves the numbering of `tbl`'s IDs on to `highest` (never back), for an
-- import that gives its rows IDs of their own: the editors move it this way
-- only, never set it themselves.
CREATE OR REPLACE FUNCTION hourvane_reserve_ids(tbl text, highest bigint) RETURNS void LANGUAGE plpgsql AS $$
DECLARE
    numbering regclass;
BEGIN
    IF tbl IS NULL OR tbl NOT IN ('Employees', 'Work Codes', 'Work Hours') THEN
        RAISE EXCEPTION 'The table % has no numbering of IDs.', tbl USING ERRCODE = 'invalid_parameter_value';
    END IF;
    IF highest IS NULL OR highest <= 0 THEN
        RETURN;
    END IF;
    numbering := pg_get_serial_sequence(format('%I', tbl), 'ID')::regclass;
    PERFORM setval(numbering, greatest(highest, coalesce(pg_sequence_last_value(numbering), 0)));
END
$$;

-- What writes the journal, or numbers IDs past those given, runs as the
-- owner; the replay and the numbering's move are granted to the editors
-- (ServerRights).
SELECT hourvane_definer(p.oid::regprocedure) FROM pg_proc p
WHERE p.pronamespace = (SELECT oid FROM pg_namespace WHERE nspname = current_schema())
  AND p.proname IN ('hourvane_journal_change', 'hourvane_journal_employees', 'hourvane_journal_codes',
                    'hourvane_journal_entries', 'hourvane_replay', 'hourvane_assign_id', 'hourvane_reserve_ids');

UPDATE hourvane_schema SET version = 4 WHERE version < 4;
