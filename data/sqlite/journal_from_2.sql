-- Brings the journal of a file of version 2 into the table of journal.sql,
-- which runs first: the table of changes and the table of their rows (one
-- per table row a change touched) become, change by change in their order,
-- the change's row events, the last of which holds the change's record. A
-- change another program left open is a change like any other. The program
-- runs this text once, in the transaction that raises the file's version.

INSERT INTO hourvane_journal (tbl, row_id, before, after, b1, b2, b3, b4, b5, b6, b7, b8, b9, b10, b11, b12, b13, b14, b15, b16, a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11, a12, a13, a14, a15, a16, made_at, made_by, description, undone)
SELECT tbl, row_id, before, after, b1, b2, b3, b4, b5, b6, b7, b8, b9, b10, b11, b12, b13, b14, b15, b16, a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11, a12, a13, a14, a15, a16,
       CASE WHEN last THEN made_at END, CASE WHEN last THEN made_by END,
       CASE WHEN last THEN description END, CASE WHEN last THEN undone END
FROM (SELECT r.*, c.made_at, c.made_by, c.description, c.undone,
             row_number() OVER (PARTITION BY r.change ORDER BY r.tbl DESC, r.row_id DESC) = 1 AS last
      FROM hourvane_change_rows r JOIN hourvane_changes c ON c.id = r.change)
ORDER BY change, tbl, row_id;

-- An undone change was undone after every change it knew.
UPDATE hourvane_journal SET undone = (SELECT max(seq) FROM hourvane_journal) WHERE undone <> 0;

UPDATE hourvane_journal
SET prev = coalesce((SELECT p.seq FROM hourvane_journal p WHERE p.made_at IS NOT NULL AND p.seq < hourvane_journal.seq
                     ORDER BY p.seq DESC LIMIT 1), 0)
WHERE made_at IS NOT NULL;

DROP TABLE hourvane_change_rows;
DROP TABLE hourvane_changes;
