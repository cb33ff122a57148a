"""Fails when two of the project's static libraries define the same external
symbol. The linker takes the first definition it meets and says nothing, so
a program linking both would silently use one library's code for the other's.

usage: duplicate_symbols.py [--expect SYMBOL] LIBRARY...

Weak definitions (inline functions, template instances, vtables of classes
defined in headers) are shared by design and not counted. With --expect the
check passes only when SYMBOL is the one duplicate found (for its self-test).
"""
import subprocess
import sys
from collections import defaultdict

# nm's types of strong external definitions: text, data, bss, read-only,
# small data and common symbols.
STRONG = set("TDBRGSC")


def definitions(library):
    out = subprocess.run(["nm", "-g", "--defined-only", "-P", library],
                         check=True, capture_output=True, text=True).stdout
    names = set()
    for line in out.splitlines():
        fields = line.split()
        # "name type value size"; member headers ("lib.a[x.o]:") have no type.
        if len(fields) >= 2 and fields[1] in STRONG:
            names.add(fields[0])
    return names


def demangled(name):
    result = subprocess.run(["c++filt", name], capture_output=True, text=True)
    return result.stdout.strip() or name


def main(argv):
    expect = None
    if len(argv) >= 2 and argv[0] == "--expect":
        expect, argv = argv[1], argv[2:]
    owners = defaultdict(list)
    for library in argv:
        for name in definitions(library):
            owners[name].append(library)
    duplicates = {name: libs for name, libs in owners.items() if len(libs) > 1}
    for name in sorted(duplicates):
        print(f"{demangled(name)} is defined in " + " and ".join(duplicates[name]))
    if expect is not None:
        found = {demangled(name) for name in duplicates}
        return 0 if found == {expect} else 1
    if not duplicates:
        print(f"no external symbol is defined twice in {len(argv)} libraries")
    return 1 if duplicates else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
