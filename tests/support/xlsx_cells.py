#!/usr/bin/env python3
"""Prints every cell of a spreadsheet file (.xlsx) as JSON, as openpyxl
reads it: each sheet's name, frozen cell and filter range, and its rows of
cells, each null when blank or its type ("n" number, "s" text, "d" date,
"f" formula, "b" yes/no), value, boldness and number format."""
import datetime
import json
import sys

import openpyxl
from openpyxl.utils.escape import unescape


def cell_of(cell):
    if cell.value is None:
        return None
    value = cell.value
    kind = cell.data_type
    if isinstance(value, (datetime.datetime, datetime.date)):
        kind = "d"
        value = value.isoformat()
    elif isinstance(value, str):
        # A character that XML cannot carry stands as _xHHHH_, as spreadsheet
        # programs read it.
        value = unescape(value)
    return {"t": kind, "v": value, "b": bool(cell.font and cell.font.b), "f": cell.number_format}


def main(path):
    book = openpyxl.load_workbook(path)
    sheets = []
    for sheet in book.worksheets:
        rows = [[cell_of(c) for c in row] for row in sheet.iter_rows()]
        sheets.append({"name": sheet.title, "freeze": sheet.freeze_panes or "",
                       "filter": sheet.auto_filter.ref or "", "rows": rows})
    json.dump({"sheets": sheets}, sys.stdout)


if __name__ == "__main__":
    main(sys.argv[1])
