#!/usr/bin/env python3
"""Fails when an executable imports a function that Windows 98 SE, ME, 2000
or XP lacks, according to docs/windows-api.csv.

Wine exports every function whatever version it pretends to be, so a program
that loads under Wine can still fail to load on the real systems; the import
table is the only thing that tells before it reaches one.
"""

import argparse
import csv
import os
import re
import subprocess
import sys

COLUMNS = ["dll", "function", "win9x", "nt", "source"]
WIN9X = ["95", "98", "98SE", "ME"]
NT = ["NT3.1", "NT3.5", "NT3.51", "NT4", "2000", "XP", "Vista", "7", "8", "8.1", "10"]
# Each target system: which column decides, and the last release it has.
TARGETS = [("98SE", "win9x", "98SE"), ("ME", "win9x", "ME"),
           ("2000", "nt", "2000"), ("XP", "nt", "XP")]

DLL_LINE = re.compile(r"^\s*DLL Name:\s*(\S+)\s*$")
# "<vma> <hint or ordinal> <name>"; an ordinal import has "<none>" as name.
ENTRY_LINE = re.compile(r"^\t([0-9a-fA-F]+)\t\s*(\d+)\s+(\S+)")


class TableError(Exception):
    pass


def load_table(path):
    """Returns {(DLL, function): row}; function is "#N" for an ordinal."""
    with open(path, newline="", encoding="utf-8") as f:
        reader = csv.reader(f)
        header = next(reader, None)
        if header != COLUMNS:
            raise TableError(f"{path}: header must be {','.join(COLUMNS)}, got {header}")
        table = {}
        for line, fields in enumerate(reader, start=2):
            if not fields:
                continue
            if len(fields) != len(COLUMNS):
                raise TableError(f"{path}:{line}: {len(fields)} fields, expected {len(COLUMNS)}")
            row = dict(zip(COLUMNS, fields))
            if row["dll"] != row["dll"].upper() or not row["dll"]:
                raise TableError(f"{path}:{line}: dll must be upper case: {row['dll']!r}")
            if not row["function"]:
                raise TableError(f"{path}:{line}: empty function")
            if row["win9x"] not in WIN9X + ["stub", "no"]:
                raise TableError(f"{path}:{line}: win9x {row['win9x']!r} not one of "
                                 f"{', '.join(WIN9X + ['stub', 'no'])}")
            if row["nt"] not in NT + ["no"]:
                raise TableError(f"{path}:{line}: nt {row['nt']!r} not one of {', '.join(NT + ['no'])}")
            if not row["source"].strip():
                raise TableError(f"{path}:{line}: no source for {row['function']}")
            key = (row["dll"], row["function"])
            if key in table:
                raise TableError(f"{path}:{line}: {row['dll']}!{row['function']} listed twice")
            table[key] = row
        return table


def missing_on(row):
    """The target systems on which a program importing this row does not load."""
    lacking = []
    for name, column, release in TARGETS:
        value = row[column]
        order = WIN9X if column == "win9x" else NT
        if value == "stub":
            continue  # exported: the program loads, the call fails at run time
        if value == "no" or order.index(value) > order.index(release):
            lacking.append(name)
    return lacking


def parse_imports(text):
    """Returns [(DLL, function)] from `objdump -p` output; "#N" for ordinals."""
    imports = []
    dll = None
    for line in text.splitlines():
        m = DLL_LINE.match(line)
        if m:
            dll = m.group(1).upper()
            continue
        if dll is None:
            continue
        m = ENTRY_LINE.match(line)
        if m:
            name = m.group(3)
            imports.append((dll, "#" + m.group(2) if name == "<none>" else name))
        elif not line.strip():
            dll = None  # a blank line ends one DLL's list
    return imports


def check(exe_name, imports, table):
    problems = []
    for dll, function in imports:
        row = table.get((dll, function))
        shown = f"{dll}!{function}"
        if row is None:
            what = "ordinal import" if function.startswith("#") else "import"
            problems.append(f"{exe_name}: {shown}: {what} not in the table")
            continue
        lacking = missing_on(row)
        if lacking:
            problems.append(f"{exe_name}: {shown}: missing on {', '.join(lacking)}")
    return problems


def run_objdump(objdump, exe):
    result = subprocess.run([objdump, "-p", exe], capture_output=True, text=True)
    if result.returncode != 0:
        raise RuntimeError(f"{objdump} -p {exe} failed: {result.stderr.strip()}")
    return result.stdout


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--table", required=True, help="docs/windows-api.csv")
    parser.add_argument("--objdump", default="i686-w64-mingw32-objdump")
    parser.add_argument("--objdump-output", action="append", default=[], metavar="FILE",
                        help="saved `objdump -p` output to check instead of an EXE "
                             "(named after the file)")
    parser.add_argument("exes", nargs="*", metavar="EXE")
    args = parser.parse_args(argv)
    if not args.exes and not args.objdump_output:
        parser.error("give at least one EXE or --objdump-output FILE")

    try:
        table = load_table(args.table)
    except (OSError, TableError) as e:
        print(f"check_imports: {e}", file=sys.stderr)
        return 2

    subjects = []
    try:
        for path in args.objdump_output:
            with open(path, encoding="utf-8") as f:
                subjects.append((os.path.basename(path), f.read()))
        for exe in args.exes:
            subjects.append((os.path.basename(exe), run_objdump(args.objdump, exe)))
    except (OSError, RuntimeError) as e:
        print(f"check_imports: {e}", file=sys.stderr)
        return 2

    failed = False
    for name, text in subjects:
        imports = parse_imports(text)
        if not imports:
            # A PE without imports is not what we build; more likely unparsed output.
            print(f"{name}: no imports found in the objdump output", file=sys.stderr)
            failed = True
            continue
        problems = check(name, imports, table)
        for p in problems:
            print(p)
        if problems:
            failed = True
            print(f"FAIL {name}: {len(problems)} of {len(imports)} imports would stop it "
                  f"loading on {', '.join(t[0] for t in TARGETS)} or are not in the table")
        else:
            dlls = len({d for d, _ in imports})
            print(f"OK {name}: {len(imports)} imports from {dlls} DLLs, all present on "
                  f"{', '.join(t[0] for t in TARGETS)}")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
