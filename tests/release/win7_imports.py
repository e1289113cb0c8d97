#!/usr/bin/env python3
"""Checks that Windows program files import nothing Windows 7 SP1 lacks.

Usage: win7_imports.py TABLE PROGRAM.exe...

TABLE lists, one a line, a DLL, a function and the oldest Windows that has it ("DLL function
minimum client", '#' starts a comment). Every function a program imports, statically or
delay-loaded, must be in it: a program that imports a function Windows 7 SP1 lacks does not
start there at all. A new import fails the check until someone has looked it up and added its
line. Exit code 0 when every file passes, 1 otherwise.
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from pe_check import Image, check_all  # noqa: E402

# What comes after Windows 7 SP1; a line naming one of these is a mistake in the table.
LATER = ("Windows 8", "Windows 10", "Windows 11")


def read_table(path):
    table = {}
    problems = []
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.split("#", 1)[0].strip()
            if not line:
                continue
            fields = line.split(None, 2)
            if len(fields) < 3:
                problems.append(f"{path}:{number}: not 'DLL function minimum client'")
                continue
            dll, function, minimum = fields
            if minimum.startswith(LATER):
                problems.append(f"{path}:{number}: {function} needs {minimum}")
            table[(dll.lower(), function)] = minimum
    return table, problems


def check(path, table):
    with open(path, "rb") as f:
        image = Image(f.read())
    imported = image.imported_functions()
    missing = sorted({(dll, function) for dll, function in imported
                      if (dll.lower(), function) not in table})
    print(f"{path}: {len(imported)} imported functions")
    for dll, function in missing:
        print(f"  FAILED: {dll} {function} is not in the table of Windows 7 SP1 functions")
    if not imported:
        print("  FAILED: no imported function found")
    return bool(imported) and not missing


def main(args):
    if len(args) < 2:
        print(__doc__.strip().splitlines()[2], file=sys.stderr)
        return 2
    table, problems = read_table(args[0])
    for problem in problems:
        print(f"FAILED: {problem}")
    ok = check_all(args[1:], lambda path: check(path, table))
    return 0 if ok and not problems else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
