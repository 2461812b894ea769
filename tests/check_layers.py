#!/usr/bin/env python3
"""The layers' order, kept by their includes as by their libraries.

Each layer folder builds one library, tavrix_<folder>, linked in its CMakeLists.txt to the layers
beneath it. A file of a layer may include its own folder, the folders its library reaches through
those links, and resources/ (the ids the resource script and the code share). Anything else is an
include that goes up or sideways: named with its file and line, and the check fails.

    check_layers.py SOURCE_ROOT
    check_layers.py --self-test SOURCE_ROOT    plants includes that go up and sideways in a copy
"""
import pathlib
import re
import shutil
import sys
import tempfile

SHARED = {"resources"}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"/]+)/[^"]+"')


def layers_of(root):
    """{folder: the folders directly beneath it}, read from each folder's library links."""
    layers = {}
    for cmake in sorted(root.glob("*/CMakeLists.txt")):
        folder = cmake.parent.name
        text = cmake.read_text()
        if not re.search(rf"add_library\(tavrix_{folder}\s", text):
            continue
        below = set()
        for links in re.findall(rf"target_link_libraries\(tavrix_{folder}\s+PUBLIC([^)]*)\)", text):
            below |= set(re.findall(r"\btavrix_(\w+)", links)) - {"flags"}
        layers[folder] = below
    return layers


def reachable(layers, folder):
    seen, todo = set(), list(layers.get(folder, ()))
    while todo:
        below = todo.pop()
        if below not in seen:
            seen.add(below)
            todo.extend(layers.get(below, ()))
    return seen


def offences(root):
    layers = layers_of(root)
    found = []
    for folder in sorted(layers):
        allowed = {folder} | reachable(layers, folder) | SHARED
        for source in sorted((root / folder).glob("*")):
            if source.suffix not in (".h", ".cpp"):
                continue
            for number, line in enumerate(source.read_text(errors="replace").splitlines(), 1):
                match = INCLUDE.match(line)
                if match and match.group(1) not in allowed:
                    found.append(f"{folder}/{source.name}:{number}: includes {match.group(1)}/, which "
                                 f"{folder}/ stands beneath or beside (it may include "
                                 f"{', '.join(sorted(allowed))})")
    return layers, found


def check(root):
    layers, found = offences(root)
    if len(layers) < 2:
        print(f"No layer libraries found under {root}")
        return 1
    for offence in found:
        print(offence)
    order = ", ".join(f"{folder} -> {' '.join(sorted(layers[folder])) or '(ground)'}" for folder in sorted(layers))
    print(("FAILED: " if found else "passed: ") + f"{len(found)} includes out of order; layers: {order}")
    return 1 if found else 0


def self_test(root):
    """The check passes on the tree, and fails on each planted include, naming its file and line."""
    plants = [("imaging/gradient.cpp", "engine/engine_proc.h", "up"),
              ("settings/config_values.h", "imaging/gradient.h", "sideways"),
              ("win32/monitors.h", "host/host_main.h", "up from the ground"),
              ("engine/picture_math.h", "tests/support/screen.h", "out of the product")]
    failures = 0
    with tempfile.TemporaryDirectory() as scratch:
        copy = pathlib.Path(scratch)
        for folder in layers_of(root):
            shutil.copytree(root / folder, copy / folder)
        if offences(copy)[1]:
            print("FAILED: the check refuses the tree as it is")
            failures += 1
        for file, include, way in plants:
            target = copy / file
            original = target.read_text()
            lines = original.splitlines()
            lines.insert(2, f'#include "{include}"')
            target.write_text("\n".join(lines) + "\n")
            found = offences(copy)[1]
            named = any(offence.startswith(f"{file}:3: includes {include.split('/')[0]}/") for offence in found)
            print(("ok    " if named else "FAILED") + f": an include {way} ({file} -> {include}) is refused")
            failures += not named
            target.write_text(original)
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "--self-test":
        sys.exit(self_test(pathlib.Path(sys.argv[2])))
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    sys.exit(check(pathlib.Path(sys.argv[1])))
