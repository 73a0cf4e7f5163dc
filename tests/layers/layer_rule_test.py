#!/usr/bin/env python3
"""The layer rule's own test: planted includes in a small tree of the
program's folders, each reported or passed as the rule says."""

import pathlib
import sys
import tempfile
import unittest

sys.path.insert(0, str(pathlib.Path(__file__).parent))
import layer_rule  # noqa: E402

# (file, include line, reported)
CASES = [
    ("core/a.cpp", '#include "data/connection.h"', True),
    ("core/a.cpp", "#include <QWidget>", True),
    ("core/a.cpp", "#include <QtGui/QPainter>", True),
    ("core/a.cpp", "#include <QString>", False),
    ("core/a.cpp", "#include <vector>", False),
    ("core/a.cpp", '/* #include "app/main_window.h" */', False),
    ("core/a.cpp", '// #include "app/main_window.h"', False),
    ("data/a.cpp", '#include "data/sqlite/handles.h"', False),
    ("data/a.h", '#include "data/sqlite/file_check.h"', True),
    ("data/a.h", '#include "data/postgres/address.h"', True),
    ("data/sqlite/a.h", '#include "data/sqlite/handles.h"', False),
    ("data/sqlite/a.cpp", '#include "data/connection.h"', False),
    ("data/sqlite/a.cpp", '#include "data/postgres/session.h"', True),
    ("data/a.cpp", '#include "database/local_database.h"', True),
    ("database/a.cpp", '#include "data/sqlite/file_check.h"', False),
    ("backup/a.cpp", '#include "database/local_database.h"', False),
    ("gui/a.cpp", '#include "reports/engine/report_layout.h"', True),
    ("reports/engine/a.cpp", '#include "reports/report_chooser.h"', True),
    ("reports/a.cpp", '#include "reports/engine/report_layout.h"', False),
    ("catalog/a.cpp", '#include "entries/entry_list.h"', True),
    ("entries/a.cpp", '#include "catalog/employee_editor.h"', False),
    ("catalog/a.cpp", '#include "a.h"', True),
    ("app/a.cpp", '#include "cli/command.h"', True),
    ("app/main.cpp", '#include "cli/command.h"', False),
    ("cli/a.cpp", '#include "app/main_window.h"', True),
    ("import/a.cpp", '#include "gui/ui_seam.h"', True),
]


# (files with their text, violations expected, as file:line)
ENGINE_CASES = [
    ({"data/sqlite/handles.h": "#include <sqlite3.h>", "data/sqlite/a.cpp": '#include "data/sqlite/handles.h"'}, []),
    ({"data/a.cpp": "#include <sqlite3.h>"}, ["data/a.cpp:1"]),
    ({"data/postgres/a.cpp": "#include <sqlite3.h>"}, ["data/postgres/a.cpp:1"]),
    ({"data/postgres/handles.h": "#include <libpq-fe.h>",
      "data/postgres/session.h": '#include "data/postgres/handles.h"',
      "data/connection.cpp": '#include "data/postgres/session.h"'}, []),
    ({"data/postgres/handles.h": "#include <libpq-fe.h>",
      "data/postgres/session.h": '#include "data/postgres/handles.h"',
      "data/prepared_statement.h": '#include "data/postgres/session.h"'}, ["data/prepared_statement.h:1"]),
    ({"data/postgres/handles.h": "#include <libpq-fe.h>",
      "data/postgres/session.h": '#include "data/postgres/handles.h"',
      "cli/a.cpp": '#include "data/postgres/session.h"'}, ["cli/a.cpp:1"]),
    ({"data/postgres/handles.h": "#include <libpq-fe.h>",
      "data/postgres/address.h": "#include <QString>",
      "cli/a.cpp": '#include "data/postgres/address.h"'}, []),
]


def write(root, files):
    """A tree of the given files under root/tree, and Qt's headers beside
    it; returns the tree and Qt Core's folder."""
    qt_core = pathlib.Path(root, "qt", "QtCore")
    qt_core.mkdir(parents=True)
    (qt_core / "QString").touch()
    for module, header in (("QtWidgets", "QWidget"), ("QtGui", "QPainter")):
        pathlib.Path(root, "qt", module).mkdir()
        pathlib.Path(root, "qt", module, header).touch()
    tree = pathlib.Path(root, "tree")
    for file, text in files.items():
        (tree / file).parent.mkdir(parents=True, exist_ok=True)
        (tree / file).write_text(text)
    return tree, qt_core


def violations(tree, qt_core):
    """Every violation of the rule in the tree."""
    return list(layer_rule.order_violations(layer_rule.read_tree(tree), qt_core))


class LayerRule(unittest.TestCase):
    def test_planted_includes(self):
        for file, include, reported in CASES:
            with self.subTest(file=file, include=include), tempfile.TemporaryDirectory() as root:
                own = pathlib.PurePosixPath(file).parent
                tree, qt_core = write(root, {file: f'#include "{own}/own.h"\n\n{include}\n'})
                found = violations(tree, qt_core)
                self.assertEqual(len(found), 1 if reported else 0, found)
                if reported:
                    self.assertTrue(found[0].startswith(f"{file}:3: "), found)

    def test_engine_libraries(self):
        for files, expected in ENGINE_CASES:
            with self.subTest(files=sorted(files)), tempfile.TemporaryDirectory() as root:
                tree, _ = write(root, files)
                found = list(layer_rule.engine_violations(layer_rule.read_tree(tree)))
                self.assertEqual(sorted(":".join(v.split(":")[:2]) for v in found), expected, found)


if __name__ == "__main__":
    unittest.main()
