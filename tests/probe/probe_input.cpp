// Input command of the probe: mouse (real input through SendInput). Single-threaded.
#include "json_line.h"
#include "probe_commands.h"

#include <cstring>

namespace {

const DWORD kStepMs = 30;  // pause between input events, well inside the double-click time

struct MouseAction {
    const char* name;
    bool needsPoint;
    DWORD buttonFlags[4];  // events sent after moving, 0 ends the list
};

const MouseAction kMouseActions[] = {
    {"move", true, {0}},
    {"down", false, {MOUSEEVENTF_LEFTDOWN, 0}},
    {"up", false, {MOUSEEVENTF_LEFTUP, 0}},
    {"click", true, {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, 0}},
    {"dblclick",
     true,
     {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP}},
    {"rclick", true, {MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP, 0}},
};

bool SendMouse(DWORD flags, LONG dx, LONG dy) {
    INPUT input;
    std::memset(&input, 0, sizeof(input));
    input.type = INPUT_MOUSE;
    input.mi.dx = dx;
    input.mi.dy = dy;
    input.mi.dwFlags = flags;
    return SendInput(1, &input, sizeof(INPUT)) == 1;
}

// Absolute coordinates are 0..65535 across the primary screen; this rounds up so that the
// pixel they map back to is exactly the one asked for.
LONG Normalise(LONG pixel, int screen) {
    if (screen <= 0) return 0;
    return static_cast<LONG>((static_cast<long long>(pixel) * 65536 + screen - 1) / screen);
}

bool MoveTo(LONG x, LONG y) {
    const bool sent = SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE,
                                Normalise(x, GetSystemMetrics(SM_CXSCREEN)),
                                Normalise(y, GetSystemMetrics(SM_CYSCREEN)));
    SetCursorPos(x, y);  // exact position whatever the driver's rounding
    Sleep(kStepMs);
    return sent;
}

}  // namespace

int CmdMouse(int argc, char** argv) {
    const MouseAction* action = nullptr;
    for (const MouseAction& a : kMouseActions)
        if (std::strcmp(argv[0], a.name) == 0) action = &a;
    if (!action) return 2;
    long long x = 0, y = 0;
    if (action->needsPoint) {
        if (argc < 3 || !ParseNumber(argv[1], x) || !ParseNumber(argv[2], y)) return 2;
    }
    bool ok = !action->needsPoint || MoveTo(static_cast<LONG>(x), static_cast<LONG>(y));
    for (DWORD flags : action->buttonFlags) {
        if (!flags) break;
        ok = SendMouse(flags, 0, 0) && ok;
        Sleep(kStepMs);
    }
    POINT at = {};
    GetCursorPos(&at);
    JsonLine()
        .Add("ok", ok)
        .Add("x", static_cast<long long>(at.x))
        .Add("y", static_cast<long long>(at.y))
        .Print();
    return ok ? 0 : 1;
}
