"""Checks every `#include "..."` under src/ against the layer order written in src/README.md.

    python3 tests/layers_test.py [SRC_DIR]

The "Layers" section of src/README.md holds two tables: the layers from the bottom up, each
with the files it holds (a folder, or a file pattern that takes files out of their folder's
layer), and the upward includes the design needs. A file may include its own layer and the
layers below it; any other include fails, naming the file, the line and the two layers.
"""
import fnmatch
import re
import sys
from pathlib import Path

SOURCES = ("*.h", "*.cpp", "*.rc")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def section_tables(readme):
    """The rows of the tables in the "Layers" section, table by table: each row's cells as
    text and as the names in backticks."""
    text = readme.read_text(encoding="utf-8")
    match = re.search(r"^## Layers\s*$(.*?)(?=^## |\Z)", text, re.M | re.S)
    if not match:
        sys.exit(f"{readme}: no '## Layers' section")
    tables, rows = [], None
    for line in match.group(1).splitlines():
        if not line.startswith("|"):
            rows = None
            continue
        cells = [c.strip() for c in line.strip().strip("|").split("|")]
        if set("".join(cells)) <= set("-: "):
            continue  # the line under the header
        if rows is None:
            rows = []
            tables.append(rows)
            continue  # the header itself
        rows.append((cells, [re.findall(r"`([^`]+)`", c) for c in cells]))
    if len(tables) != 2:
        sys.exit(f"{readme}: the Layers section needs two tables (layers, exceptions)")
    return tables


def layer_of(path, patterns):
    """The layer of a path relative to src/: the longest pattern that takes it."""
    best = None
    for pattern, layer in patterns:
        taken = path.startswith(pattern) if pattern.endswith("/") else fnmatch.fnmatch(path, pattern)
        if taken and (best is None or len(pattern) > len(best[0])):
            best = (pattern, layer)
    return best[1] if best else None


def main():
    src = Path(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).parent.parent / "src")
    layers, exceptions = section_tables(src / "README.md")
    names = [cells[0] for cells, _ in layers]
    patterns = [(p, i) for i, (_, named) in enumerate(layers) for p in named[1]]
    allowed = {(named[0][0], named[1][0]) for _, named in exceptions if named[0] and named[1]}

    failures, used = [], set()
    files = sorted(p for pattern in SOURCES for p in src.rglob(pattern))
    for file in files:
        rel = file.relative_to(src).as_posix()
        own = layer_of(rel, patterns)
        if own is None:
            failures.append(f"{rel}: in no layer of src/README.md")
            continue
        for number, line in enumerate(file.read_text(encoding="latin-1").splitlines(), 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            target = match.group(1)
            if not (src / target).exists():
                target = (file.parent / target).relative_to(src).as_posix()  # beside the file
            other = layer_of(target, patterns)
            if other is None or other <= own:
                continue
            if (rel, target) in allowed:
                used.add((rel, target))
                continue
            failures.append(f"{rel}:{number}: includes {target}: {names[own]} may not use "
                            f"{names[other]}, a later layer")
    failures += [f"exception {a} -> {b} is no upward include: remove it from src/README.md"
                 for a, b in sorted(allowed - used)]
    print("\n".join(failures) or f"{len(files)} files keep the layer order")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
