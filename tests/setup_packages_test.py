# Every program the build, the demo and the tests start (scripts/programs.py) comes from a
# package that scripts/setup.sh installs, or from one those packages depend on, or from the
# base system every Debian has (Essential or Priority "required"). So an install step that is
# missing fails here even on a machine that happens to have the program.
import os
import re
import subprocess
import sys
import unittest
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "scripts"))
import programs  # noqa: E402


def dpkg(*args):
    return subprocess.run(["dpkg-query", *args], capture_output=True, text=True).stdout


def installed():
    # {package: (its dependencies, essential or required)} of every installed package, with
    # virtual packages pointing at their providers.
    table = {}
    for line in dpkg("-W", "-f", "${Package}\t${Depends}, ${Pre-Depends}\t${Provides}\t"
                     "${Essential}\t${Priority}\n").splitlines():
        name, depends, provides, essential, priority = line.split("\t")
        table.setdefault(name, [set(), False])
        table[name][0] |= set(re.findall(r"(?:^|[,|]\s*)([\w.+-]+)", depends))
        table[name][1] = essential == "yes" or priority == "required"
        for virtual in re.findall(r"([\w.+-]+)", re.sub(r"\([^)]*\)", "", provides)):
            table.setdefault(virtual, [set(), False])[0].add(name)
    return table


def closure(roots, table):
    seen, todo = set(), list(roots)
    while todo:
        name = todo.pop()
        if name not in seen:
            seen.add(name)
            todo += table.get(name, [set()])[0]
    return seen


class SetupPackages(unittest.TestCase):
    def test_every_program_started_comes_from_setups_packages(self):
        listed = re.search(r"packages=\(([^)]*)\)", (ROOT / "scripts/setup.sh").read_text())
        table = installed()
        allowed = closure(listed.group(1).split(), table)
        allowed |= {name for name, (_, base) in table.items() if base}
        found = programs.programs()
        self.assertIn("wine", found, "the collector found none of the known programs")
        candidates = {}  # program: the paths it may be found at, links followed
        for name in found:
            for folder in os.environ["PATH"].split(os.pathsep):
                path = Path(folder) / name
                if path.exists():
                    for p in map(str, (path, path.resolve())):  # Debian 12 merged /usr
                        candidates.setdefault(name, set()).update(
                            {p, re.sub(r"^/usr(?=/s?bin/)", "", p)})
        owners = {}
        for line in dpkg("-S", *set().union(*candidates.values())).splitlines():
            packages, _, path = line.partition(": ")
            owners[path] = {p.split(":")[0] for p in packages.split(", ")}
        wrong = {}
        for name, where in sorted(found.items()):
            owned = set().union(*(owners.get(p, set()) for p in candidates.get(name, ())))
            if not owned & allowed:
                wrong[name] = (sorted(owned) or "no package", where)
        self.assertEqual({}, wrong, "programs no package of setup.sh provides")


if __name__ == "__main__":
    unittest.main(verbosity=2)
