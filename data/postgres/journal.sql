-- The journal of changes, for Undo and Redo, on a server: every row added,
-- edited or deleted in the three tables is recorded by the trigger below in
-- the writer's own transaction, as its images (jsonb) before and after. A
-- change is one transaction: its first row makes the change's record, with
-- the login (current_user), the time and the description the program set for
-- the transaction (hourvane.description), and the rest of the transaction
-- finds it through hourvane.change. Nothing here reads the journal on the way
-- of a write, so that two people's writes never conflict over it (every
-- transaction is serializable). Run after schema.sql when a database is
-- created, and alone to bring a database of version 1 up to date: every
-- statement here can run again without harm.

CREATE TABLE IF NOT EXISTS hourvane_changes (
    id          bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
    made_at     timestamptz NOT NULL DEFAULT now(),
    made_by     text NOT NULL DEFAULT current_user,
    description text,
    undone      boolean NOT NULL DEFAULT false
);

-- One row per row a trigger saw, in order (seq); a change that touched a row
-- twice has two, and the row's state before the change is the first one's
-- "before", after it the last one's "after" (Null: the row did not exist).
CREATE TABLE IF NOT EXISTS hourvane_change_rows (
    seq    bigint GENERATED ALWAYS AS IDENTITY,
    change bigint NOT NULL,
    tbl    text NOT NULL,
    row_id bigint NOT NULL,
    before jsonb,
    after  jsonb
);
CREATE INDEX IF NOT EXISTS hourvane_change_rows_by_change ON hourvane_change_rows (change);

-- Numbers go into the images with every digit they need: the program's
-- sessions run with extra_float_digits = 3, so an image holds the value exactly.
CREATE OR REPLACE FUNCTION hourvane_journal() RETURNS trigger LANGUAGE plpgsql AS $$
DECLARE
    current_change bigint;
BEGIN
    IF coalesce(current_setting('hourvane.journal_off', true), '') = 'on' THEN
        RETURN NULL;
    END IF;
    current_change := nullif(current_setting('hourvane.change', true), '')::bigint;
    IF current_change IS NULL THEN
        INSERT INTO hourvane_changes (description)
            VALUES (nullif(current_setting('hourvane.description', true), ''))
            RETURNING id INTO current_change;
        PERFORM set_config('hourvane.change', current_change::text, true);
    END IF;
    IF TG_OP = 'INSERT' THEN
        INSERT INTO hourvane_change_rows (change, tbl, row_id, before, after)
            VALUES (current_change, TG_TABLE_NAME, NEW."ID", NULL, to_jsonb(NEW));
    ELSIF TG_OP = 'DELETE' THEN
        INSERT INTO hourvane_change_rows (change, tbl, row_id, before, after)
            VALUES (current_change, TG_TABLE_NAME, OLD."ID", to_jsonb(OLD), NULL);
    ELSIF OLD."ID" = NEW."ID" THEN
        INSERT INTO hourvane_change_rows (change, tbl, row_id, before, after)
            VALUES (current_change, TG_TABLE_NAME, NEW."ID", to_jsonb(OLD), to_jsonb(NEW));
    ELSE
        INSERT INTO hourvane_change_rows (change, tbl, row_id, before, after)
            VALUES (current_change, TG_TABLE_NAME, OLD."ID", to_jsonb(OLD), NULL),
                   (current_change, TG_TABLE_NAME, NEW."ID", NULL, to_jsonb(NEW));
    END IF;
    RETURN NULL;
END
$$;

DROP TRIGGER IF EXISTS "Employees journal" ON "Employees";
CREATE TRIGGER "Employees journal" AFTER INSERT OR UPDATE OR DELETE ON "Employees"
    FOR EACH ROW EXECUTE FUNCTION hourvane_journal();
DROP TRIGGER IF EXISTS "Work Codes journal" ON "Work Codes";
CREATE TRIGGER "Work Codes journal" AFTER INSERT OR UPDATE OR DELETE ON "Work Codes"
    FOR EACH ROW EXECUTE FUNCTION hourvane_journal();
DROP TRIGGER IF EXISTS "Work Hours journal" ON "Work Hours";
CREATE TRIGGER "Work Hours journal" AFTER INSERT OR UPDATE OR DELETE ON "Work Hours"
    FOR EACH ROW EXECUTE FUNCTION hourvane_journal();

-- Each row a change touched, with its state before and after the change.
CREATE OR REPLACE VIEW hourvane_change_net AS
SELECT change, tbl, row_id,
       (array_agg(before ORDER BY seq))[1] AS before,
       (array_agg(after ORDER BY seq DESC))[1] AS after
FROM hourvane_change_rows
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
BEGIN
    FOREACH name IN ARRAY ARRAY['Employees', 'Work Codes', 'Work Hours'] LOOP
        RETURN QUERY EXECUTE format(
            'SELECT n.tbl, n.row_id, c.made_by, c.made_at, c.description
             FROM hourvane_change_net n
             LEFT JOIN LATERAL (SELECT to_jsonb(t) AS now FROM %1$I t WHERE t."ID" = n.row_id) present ON true
             LEFT JOIN LATERAL (SELECT h.made_by, h.made_at, h.description FROM hourvane_change_rows r
                                JOIN hourvane_changes h ON h.id = r.change
                                WHERE r.tbl = n.tbl AND r.row_id = n.row_id AND r.change > $1 AND NOT h.undone
                                ORDER BY r.change DESC LIMIT 1) c ON true
             WHERE n.change = $1 AND n.tbl = %2$L
               AND present.now IS DISTINCT FROM (CASE WHEN $2 THEN n.before ELSE n.after END)
             ORDER BY n.row_id LIMIT 1', name, name)
            USING target, forward;
        IF FOUND THEN
            RETURN;
        END IF;
    END LOOP;
END
$$;

-- Puts every row `target` touched back as it was before the change
-- (forward = false) or as the change left it (forward = true), IDs and all,
-- and marks the change undone or not. The replay is not journaled itself.
CREATE OR REPLACE FUNCTION hourvane_replay(target bigint, forward boolean) RETURNS void
LANGUAGE plpgsql AS $$
DECLARE
    name text;
BEGIN
    PERFORM set_config('hourvane.journal_off', 'on', true);
    PERFORM set_config('hourvane.keep_orphans', 'on', true);
    FOREACH name IN ARRAY ARRAY['Employees', 'Work Codes', 'Work Hours'] LOOP
        EXECUTE format('DELETE FROM %I t USING hourvane_change_net n
                        WHERE n.change = $1 AND n.tbl = %L AND t."ID" = n.row_id', name, name)
            USING target;
        EXECUTE format('INSERT INTO %I SELECT (jsonb_populate_record(NULL::%I, w.image)).*
                        FROM (SELECT CASE WHEN $2 THEN n.after ELSE n.before END AS image
                              FROM hourvane_change_net n WHERE n.change = $1 AND n.tbl = %L) w
                        WHERE w.image IS NOT NULL', name, name, name)
            USING target, forward;
    END LOOP;
    UPDATE hourvane_changes SET undone = NOT forward WHERE id = target;
    PERFORM set_config('hourvane.journal_off', 'off', true);
    PERFORM set_config('hourvane.keep_orphans', '', true);
END
$$;

UPDATE hourvane_schema SET version = 2 WHERE version < 2;
