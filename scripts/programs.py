"""The programs that the build, the demo and the tests start, read from the files that start
them, so that no second list has to be kept: the Python harness, scenarios and scripts (the
commands they hand to subprocess), the shell scripts (the first word of every command) and the
shell commands of the CTest registrations.

    python3 scripts/programs.py     prints the ones not on PATH; exit status 1 if any
"""
import ast
import re
import shutil
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
PYTHON = ["tests/harness", "tests/e2e", "scripts"]
SHELL = ["scripts/*.sh", ".ci/run"]
CMAKE = ["cmake/*.cmake", "tests/**/CMakeLists.txt", "installer/CMakeLists.txt"]
WRAPPERS = {"timeout", "unshare", "exec", "env", "nice"}  # they start the program they name
SHELL_WORDS = {"set", "cd", "export", "echo", "exit", "if", "then", "else", "elif", "fi", "for",
               "do", "done", "while", "case", "esac", "in", "local", "return", "source", "test",
               "true", "false", "read", "shift", "trap", "wait", "printf", "[", "[[", "]", "]]"}
WORD = re.compile(r"[A-Za-z][\w.+-]*$")


def _command(elements):
    """The program of a command given as a list: its first word, or the one a wrapper runs."""
    words = [e.value if isinstance(e, ast.Constant) and isinstance(e.value, str) else None
             for e in elements]
    found = []
    for word in words:
        if word is None or not WORD.match(word):
            if not found or found[-1] not in WRAPPERS or word is None:
                break
            continue
        found.append(word)
        if word not in WRAPPERS:
            break
    return found


def from_python(path):
    tree = ast.parse(path.read_text())
    lists = {t.id: node.value.elts for node in ast.walk(tree) if isinstance(node, ast.Assign)
             and isinstance(node.value, ast.List) for t in node.targets if isinstance(t, ast.Name)}
    for node in ast.walk(tree):
        if not isinstance(node, ast.Call) or not node.args:
            continue
        name = getattr(node.func, "attr", getattr(node.func, "id", ""))
        first = node.args[0]
        if name == "spawn_native":
            yield from _command(node.args)
        elif name in ("run", "Popen", "check_output", "call") and \
                getattr(node.func, "value", None) is not None and \
                getattr(node.func.value, "id", "") == "subprocess":
            elements = first.elts if isinstance(first, ast.List) else lists.get(
                getattr(first, "id", None), [])
            yield from _command(elements)


def from_shell(text):
    text = re.sub(r"\w+=\([^)]*\)", "", text)  # arrays: data, not commands
    for line in text.splitlines():
        line = line.split(" #")[0] if not line.lstrip().startswith("#") else ""
        for segment in re.split(r"&&|\|\||[|;`(]|\$\(", line):
            words = [w for w in segment.split() if not re.match(r"\w+=", w)]
            while words and (words[0] in WRAPPERS | {"!"} or words[0].startswith("$")):
                if words[0] in WRAPPERS - {"exec"}:
                    yield words[0]
                words = words[1:]
                while words and words[0].startswith("-"):
                    words = words[1:]
            if words and WORD.match(words[0]) and words[0] not in SHELL_WORDS:
                yield words[0]


def from_cmake(text):
    for script in re.findall(r'COMMAND\s+sh\s+-c\s+"((?:[^"\\]|\\.)*)"', text):
        yield "sh"
        yield from from_shell(script.replace('\\"', '"'))
    for names in re.findall(r"find_program\(\s*\w+\s+(?:NAMES\s+)?([\w.+-]+)", text):
        yield names


def programs():
    """{program: [files that start it]}"""
    found = {}

    def add(names, path):
        for name in names:
            found.setdefault(name, []).append(str(path.relative_to(ROOT)))

    for folder in PYTHON:
        for path in sorted((ROOT / folder).rglob("*.py")):
            add(set(from_python(path)), path)
    for pattern in SHELL:
        for path in sorted(ROOT.glob(pattern)):
            add(set(from_shell(path.read_text())), path)
    for pattern in CMAKE:
        for path in sorted(ROOT.glob(pattern)):
            add(set(from_cmake(path.read_text())), path)
    return found


if __name__ == "__main__":
    missing = sorted(name for name in programs() if not shutil.which(name))
    for name in missing:
        print(f"missing program: {name}")
    sys.exit(1 if missing else 0)
