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


class SetupPackages(unittest.TestCase):
    def test_every_program_started_comes_from_setups_packages(self):
        # Every installed package's dependencies, virtual packages leading to their providers;
        # and the base system.
        depends, base = {}, set()
        for line in dpkg("-W", "-f", "${Package}\t${Depends}, ${Pre-Depends}\t${Provides}\t"
                         "${Essential}\t${Priority}\n").splitlines():
            name, needs, provides, essential, priority = line.split("\t")
            depends.setdefault(name, set()).update(re.findall(r"(?:^|[,|]\s*)([\w.+-]+)", needs))
            if essential == "yes" or priority == "required":
                base.add(name)
            for virtual in re.findall(r"([\w.+-]+)", re.sub(r"\([^)]*\)", "", provides)):
                depends.setdefault(virtual, set()).add(name)
        allowed, setup = set(), (ROOT / "scripts/setup.sh").read_text()
        todo = re.search(r"packages=\(([^)]*)\)", setup)[1].split()
        while todo:
            name = todo.pop()
            if name not in allowed:
                allowed.add(name)
                todo += depends.get(name, ())

        found = programs.programs()
        self.assertIn("wine", found, "the collector found none of the known programs")
        paths = {name: set() for name in found}  # where each may be found, links followed
        for name in found:
            for folder in os.environ["PATH"].split(os.pathsep):
                if (Path(folder) / name).exists():
                    for p in map(str, (Path(folder) / name, (Path(folder) / name).resolve())):
                        paths[name] |= {p, re.sub(r"^/usr(?=/s?bin/)", "", p)}  # merged /usr
        owners = {}
        for line in dpkg("-S", *set().union(*paths.values())).splitlines():
            packages, _, path = line.partition(": ")
            owners[path] = {p.split(":")[0] for p in packages.split(", ")}
        wrong = {}
        for name, where in sorted(found.items()):
            owned = set().union(*(owners.get(p, set()) for p in paths[name]))
            if not owned & (allowed | base):
                wrong[name] = (sorted(owned) or "no package", where)
        self.assertEqual({}, wrong, "programs no package of setup.sh provides")


if __name__ == "__main__":
    unittest.main(verbosity=2)
