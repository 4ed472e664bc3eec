# Names the scenarios share. The ticker's own numbers are read from the headers that define
# them, so a test and the program cannot disagree: command and control ids (src/res/resource.h),
# the ticker's messages (src/base/messages.h) and the taskbar stand-in's test messages
# (tools/taskbar/taskbar_standin.h). The system's numbers follow below them.
#
#     from names import KEY, ids
#     session.send("class:Ticker", WM_COMMAND, ids.IDM_EXPAND)
import re
from pathlib import Path
from types import SimpleNamespace

ROOT = Path(__file__).resolve().parents[2]
KEY = r"HKLM\SOFTWARE\Ostrivane\Ticker"


def _read(*headers, **known):
    # NAME -> value of every `#define NAME number` and `NAME = expression` (enum entries and
    # constants) whose expression uses numbers and names defined before it.
    for header in headers:
        text = re.sub(r"//[^\n]*", "", (ROOT / header).read_text())
        for name, expr in re.findall(r"#define\s+(\w+)\s+\(?(-?\w+)\)?", text) + re.findall(
                r"(\w+)\s*=\s*([\w\s+]+?)\s*[,;]", text):
            try:
                known[name] = eval(expr, {"__builtins__": {}}, dict(known))
            except (NameError, SyntaxError):
                pass
    return SimpleNamespace(**known)


ids = _read("src/res/resource.h", "src/base/messages.h", "tools/taskbar/taskbar_standin.h",
            WM_APP=0x8000)

# The system's.
WM_NULL, WM_CLOSE, WM_KEYDOWN, WM_CHAR = 0x0000, 0x0010, 0x0100, 0x0102
WM_COMMAND, WM_TIMER = 0x0111, 0x0113
BM_GETCHECK, BM_CLICK = 0x00F0, 0x00F5
LB_GETCOUNT, LB_SETCURSEL = 0x018B, 0x0186
PSM_SETCURSEL = 0x0400 + 101
IDOK, IDCANCEL = 1, 2
VK_ESCAPE, VK_UP = 0x1B, 0x26
WS_DISABLED = 0x08000000
APPLY_BUTTON = 0x3021  # the property sheet's "Apply"
