# Checks every `#include "..."` under src/ against the layer order written in src/README.md.
#
#     python3 tests/layers_test.py [SRC_DIR]
#
# The "Layers" section of src/README.md holds two tables: the layers from the bottom up, each
# with the files it holds (a folder, or a file pattern that takes files out of their folder's
# layer), and the upward includes the design needs. A file may include its own layer and the
# layers below it; any other include fails, naming the file, the line and the two layers.
import fnmatch
import re
import sys
from pathlib import Path


def layers_section(readme):
    # The layers' names and patterns, and the allowed (file, include) pairs.
    match = re.search(r"^## Layers$(.*?)(?=^## |\Z)", readme.read_text(), re.M | re.S)
    tables = re.findall(r"((?:^\|.*\n?)+)", match.group(1) if match else "", re.M)
    if len(tables) != 2:
        sys.exit(f"{readme}: the Layers section needs two tables (layers, upward includes)")
    rows = [[line.strip("| ").split("|") for line in t.splitlines()[2:]] for t in tables]
    names = [row[0].strip() for row in rows[0]]
    patterns = [(p, i) for i, row in enumerate(rows[0]) for p in re.findall(r"`([^`]+)`", row[1])]
    allowed = {(re.findall(r"`([^`]+)`", r[0])[0], re.findall(r"`([^`]+)`", r[1])[0])
               for r in rows[1]}
    return names, patterns, allowed


def layer_of(path, patterns):
    # The layer of a path relative to src/: that of the longest pattern that takes it.
    taken = [(len(p), i) for p, i in patterns
             if (path.startswith(p) if p.endswith("/") else fnmatch.fnmatch(path, p))]
    return max(taken)[1] if taken else None


def main():
    src = Path(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).parent.parent / "src")
    names, patterns, allowed = layers_section(src / "README.md")
    failures, used = [], set()
    files = sorted(f for f in src.rglob("*") if f.suffix in (".h", ".cpp", ".rc"))
    for file in files:
        rel = file.relative_to(src).as_posix()
        own = layer_of(rel, patterns)
        if own is None:
            failures.append(f"{rel}: in no layer of src/README.md")
            continue
        lines = file.read_text(encoding="latin-1").splitlines()
        for number, target in ((n, m.group(1)) for n, line in enumerate(lines, 1)
                               for m in [re.match(r'\s*#\s*include\s+"([^"]+)"', line)] if m):
            if not (src / target).exists():  # named beside the including file
                target = (file.parent / target).relative_to(src).as_posix()
            other = layer_of(target, patterns)
            if other is None or other <= own:
                continue
            if (rel, target) in allowed:
                used.add((rel, target))
            else:
                failures.append(f"{rel}:{number}: includes {target}: {names[own]} may not use "
                                f"{names[other]}, a later layer")
    failures += [f"{a} -> {b} is listed but no upward include" for a, b in sorted(allowed - used)]
    print("\n".join(failures) or f"{len(files)} files keep the layer order")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
