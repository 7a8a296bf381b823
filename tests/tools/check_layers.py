#!/usr/bin/env python3
"""Fails when a source file includes a header from a layer above its own.

The layers, lowest first: tune, emu, backend, convert, frontend. A file may
include headers of its own layer and of the layers below it.
"""
import pathlib
import re
import sys

LAYERS = ["tune", "emu", "backend", "convert", "frontend"]
INCLUDE = re.compile(r'^\s*#\s*include\s+"([a-z]+)/')


def main(source_dir: pathlib.Path) -> int:
    faults = []
    for path in sorted(source_dir.rglob("*")):
        if path.suffix not in (".h", ".cpp"):
            continue
        layer = path.relative_to(source_dir).parts[0]
        if layer not in LAYERS:
            continue
        rank = LAYERS.index(layer)
        for number, line in enumerate(path.read_text(errors="replace").splitlines(), 1):
            match = INCLUDE.match(line)
            if match and match.group(1) in LAYERS and LAYERS.index(match.group(1)) > rank:
                faults.append(f"{path.relative_to(source_dir.parent)}:{number}: "
                              f"{layer} includes {match.group(1)}: {line.strip()}")
    for fault in faults:
        print(fault)
    print(f"{len(faults)} upward include(s)")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "src")))
