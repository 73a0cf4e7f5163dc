#!/usr/bin/env python3
"""The layer rule of the program's own folders, read from their includes.

From the ground up: core/ (Qt Core alone) <- data/ (with its engines
data/sqlite/ and data/postgres/) <- database/ <- import/, backup/, gui/,
reports/engine/ <- catalog/, entries/, reports/ <- cli/, app/. A folder includes itself and
the folders below it, and names the folder in every include of its own
files. Beside that: entries/ may include catalog/ (the entry editor opens
the catalog's editors); data/'s sources include its engines and they include
data/, but no header of data/'s root includes an engine's (the interface
stands on its own) and neither engine includes the other; only app/main.cpp
includes cli/.

The engines' own libraries stay inside them: <sqlite3.h> is included only
in data/sqlite/, <libpq-fe.h> only in data/postgres/, no header outside an
engine's folder brings either in, and no file outside data/ includes a
header that does.

Prints every include that runs against the rule, as file:line, and exits 1
when there is one.
"""

import argparse
import pathlib
import re
import sys

# Each folder with its layer, counted from the ground.
LAYERS = {
    "core": 0,
    "data": 1, "data/sqlite": 1, "data/postgres": 1,
    "database": 2,
    "import": 3, "backup": 3, "gui": 3, "reports/engine": 3,
    "catalog": 4, "entries": 4, "reports": 4,
    "cli": 5, "app": 5,
}
ENGINES = ("data/sqlite", "data/postgres")
# Each engine's folder with the header of the library behind it.
ENGINE_LIBRARIES = {"data/sqlite": "sqlite3.h", "data/postgres": "libpq-fe.h"}
SOURCE_SUFFIXES = (".h", ".cpp", ".h.in")

INCLUDE = re.compile(r'^[ \t]*#[ \t]*include[ \t]*([<"])([^>"]+)[>"]', re.MULTILINE)


def folder_of(path):
    """The product folder a path inside the tree names, or None."""
    best = None
    for folder in LAYERS:
        if (path == folder or path.startswith(folder + "/")) and (best is None or len(folder) > len(best)):
            best = folder
    return best


def without_comments(text):
    """The text with its comments blanked out, line breaks kept, string
    and character literals left as they are."""
    out = []
    i, n = 0, len(text)
    while i < n:
        c = text[i]
        if c in "\"'":
            end = i + 1
            while end < n and text[end] != c and text[end] != "\n":
                end += 2 if text[end] == "\\" else 1
            out.append(text[i:end + 1])
            i = end + 1
        elif text.startswith("//", i):
            end = text.find("\n", i)
            i = n if end < 0 else end
        elif text.startswith("/*", i):
            end = text.find("*/", i + 2)
            end = n if end < 0 else end + 2
            out.append("\n" * text.count("\n", i, end))
            i = end
        else:
            out.append(c)
            i += 1
    return "".join(out)


def includes(path):
    """(line, bracket, name) of every include in a file."""
    text = without_comments(path.read_text(encoding="utf-8", errors="replace"))
    for match in INCLUDE.finditer(text):
        yield text.count("\n", 0, match.start()) + 1, match.group(1), match.group(2)


def product_files(root):
    for folder in sorted({f.split("/")[0] for f in LAYERS}):
        for path in sorted((root / folder).rglob("*")):
            if path.is_file() and path.name.endswith(SOURCE_SUFFIXES):
                yield path


def order_allows(source_file, source, target):
    if source == target or LAYERS[target] < LAYERS[source]:
        return True
    if source == "entries" and target == "catalog":
        return True
    if source == "data" and target in ENGINES:
        return not source_file.endswith(".h")
    if source in ENGINES and target == "data":
        return True
    return source_file == "app/main.cpp" and target == "cli"


def qt_module_of(name, qt_root):
    """The Qt module whose header `name` is, or None for any other header."""
    if "/" in name:
        module = name.split("/")[0]
        return module if re.fullmatch(r"Qt[A-Za-z]+", module) else None
    modules = [d.name for d in sorted(qt_root.iterdir()) if d.is_dir() and (d / name).is_file()]
    if "QtCore" in modules:
        return "QtCore"
    return modules[0] if modules else None


def read_tree(root):
    """(file, folder, includes) of every file of the program's folders."""
    return [(path.relative_to(root).as_posix(), folder_of(path.relative_to(root).as_posix()), list(includes(path)))
            for path in product_files(root)]


def where(file, line, bracket, name):
    closing = ">" if bracket == "<" else '"'
    return f"{file}:{line}: #include {bracket}{name}{closing}"


def order_violations(tree, qt_core_dir):
    """The includes that run against the order of the layers."""
    qt_root = qt_core_dir.parent
    for file, source, found in tree:
        for line, bracket, name in found:
            if bracket == '"':
                target = folder_of(name)
                if target is None:
                    yield f"{where(file, line, bracket, name)}: names none of the program's folders"
                elif not order_allows(file, source, target):
                    yield f"{where(file, line, bracket, name)}: {source}/ may not include {target}/"
            elif source == "core":
                module = qt_module_of(name, qt_root)
                if module is not None and module != "QtCore":
                    yield (f"{where(file, line, bracket, name)}: core/ includes no Qt module but QtCore "
                           f"({name} is {module}'s)")


def engine_libraries_brought_in(tree):
    """For each of the program's files, the engine libraries' headers its
    includes bring in, directly or through the program's own headers."""
    direct = {file: {name for _, bracket, name in found
                     if bracket == "<" and name in ENGINE_LIBRARIES.values()}
              for file, _, found in tree}
    own = {file: [name for _, bracket, name in found if bracket == '"' and name in direct]
           for file, _, found in tree}
    brought = {}

    def visit(file, seen):
        if file in brought:
            return brought[file]
        result = set(direct.get(file, ()))
        for name in own.get(file, ()):
            if name not in seen:
                result |= visit(name, seen | {name})
        brought[file] = result
        return result

    for file in direct:
        visit(file, {file})
    return brought


def engine_violations(tree):
    """The includes through which an engine's library leaves its folder."""
    brought = engine_libraries_brought_in(tree)
    for file, source, found in tree:
        for line, bracket, name in found:
            if bracket == "<" and name in ENGINE_LIBRARIES.values():
                if ENGINE_LIBRARIES.get(source) != name:
                    yield f"{where(file, line, bracket, name)}: only its engine's folder includes {name}"
            elif bracket == '"' and brought.get(name):
                libraries = ", ".join(sorted(brought[name]))
                if source not in ENGINES and file.endswith(".h"):
                    yield f"{where(file, line, bracket, name)}: a header outside the engines brings in {libraries}"
                elif not (source == "data" or source in ENGINES):
                    yield f"{where(file, line, bracket, name)}: {source}/ may not bring in {libraries}"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("source", type=pathlib.Path, help="the top folder of the source tree")
    parser.add_argument("--rule", choices=("order", "engines"), required=True,
                        help="the order of the layers, or the engines' libraries kept in their folders")
    parser.add_argument("--qt-core-headers", type=pathlib.Path,
                        help="the folder of Qt Core's headers (its siblings hold the other modules'); "
                             "the order needs it")
    args = parser.parse_args()
    tree = read_tree(args.source.resolve())
    if args.rule == "engines":
        found = sorted(engine_violations(tree))
    elif args.qt_core_headers is None:
        parser.error("--rule order needs --qt-core-headers")
    else:
        found = sorted(order_violations(tree, args.qt_core_headers))
    for violation in found:
        print(violation)
    if found:
        print(f"{len(found)} include(s) against the layer rule", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
