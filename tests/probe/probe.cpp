// Probe.exe: the tests' eyes and hands inside Wine. A console program whose commands read the
// window tree, controls and the registry, send messages and produce real mouse input; every
// result is printed as one JSON object per line. Exit codes: 0 success, 1 the looked-for thing
// is absent or the call failed, 2 usage. Single-threaded; the windows it walks are the whole
// desktop's, and the registry is only read.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

const int kMaxDepth = 64, kMaxWindows = 100000;
const UINT kSendTimeoutMs = 20000;            // a loaded machine may be slow to answer
const DWORD kPollMs = 50, kMouseStepMs = 30;  // input steps well inside the double-click time

// ANSI text as a JSON string, with \u escapes past ASCII.
std::string Quote(const char* text, size_t length) {
    const int limit = static_cast<int>(std::min<size_t>(length, 0x100000));
    const int wideLength = limit ? MultiByteToWideChar(CP_ACP, 0, text, limit, nullptr, 0) : 0;
    std::vector<WCHAR> wide(std::max(wideLength, 1));
    if (wideLength > 0) MultiByteToWideChar(CP_ACP, 0, text, limit, wide.data(), wideLength);
    std::string out = "\"";
    for (int i = 0; i < wideLength; ++i) {
        char escape[8];
        const bool plain = wide[i] >= 0x20 && wide[i] < 0x7F && wide[i] != '"' && wide[i] != '\\';
        std::snprintf(escape, sizeof escape, plain ? "%c" : "\\u%04x", unsigned(wide[i]));
        out += escape;
    }
    return out + "\"";
}

// One JSON object, built field by field and printed as one line.
class Json {
  public:
    Json& Raw(const char* key, const std::string& json) {
        body_ += (body_.empty() ? "" : ",") + Quote(key, std::strlen(key)) + ":" + json;
        return *this;
    }
    Json& Num(const char* key, long long value) { return Raw(key, std::to_string(value)); }
    Json& Bool(const char* key, bool value) { return Raw(key, value ? "true" : "false"); }
    Json& Str(const char* key, const std::string& text) {
        return Raw(key, Quote(text.data(), text.size()));
    }
    Json& Hex(const char* key, unsigned long long value) {
        char text[32];
        std::snprintf(text, sizeof text, "0x%08llx", value);
        return Str(key, text);
    }
    Json& Rect(const char* key, const RECT& r) {
        return Raw(key, "[" + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
                            std::to_string(r.right) + "," + std::to_string(r.bottom) + "]");
    }
    int Print(int code = 0) const {
        std::printf("{%s}\n", body_.c_str());
        std::fflush(stdout);
        return code;
    }

  private:
    std::string body_;
};

// A decimal number (an optional leading '-') or 0x hex; false on anything else.
bool ParseNumber(const char* text, long long& value) {
    char* end = nullptr;
    value = std::strtoll(text, &end, 0);
    return *text && !*end;
}

std::string ClassOf(HWND window) {
    char name[256] = "";
    GetClassNameA(window, name, sizeof(name));
    return name;
}

// The direct children of parent in z-order, taken as one list. EnumChildWindows lists a level
// before it calls back for it, so a sibling destroyed or restacked meanwhile (a dialog closing,
// a tooltip) cannot cut the list short, as it can a walk along GetWindow(GW_HWNDNEXT).
using Children = std::pair<HWND, std::vector<HWND>>;
BOOL CALLBACK CollectChild(HWND window, LPARAM context) {
    Children& c = *reinterpret_cast<Children*>(context);
    if (GetAncestor(window, GA_PARENT) == c.first) c.second.push_back(window);
    return c.second.size() < size_t(kMaxWindows);
}
std::vector<HWND> ChildrenOf(HWND parent) {
    Children children{parent, {}};
    EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&children));
    return children.second;
}

// Calls visit(window, depth) for every window, parents before their children, in z-order
// among siblings, until it returns false.
void WalkWindows(const std::function<bool(HWND, int)>& visit) {
    int budget = kMaxWindows;
    std::function<bool(HWND, int)> walk = [&](HWND parent, int depth) {
        for (HWND child : ChildrenOf(parent))
            if (budget-- <= 0 || !visit(child, depth) ||
                (depth + 1 < kMaxDepth && !walk(child, depth + 1)))
                return false;
        return true;
    };
    walk(GetDesktopWindow(), 0);
}

HWND FindByClass(const char* className, bool visibleOnly = false) {
    HWND found = nullptr;
    WalkWindows([&](HWND window, int) {
        if (lstrcmpiA(ClassOf(window).c_str(), className) ||
            (visibleOnly && !IsWindowVisible(window)))
            return true;
        found = window;
        return false;
    });
    return found;
}

// A hex handle, or "class:NAME" for the first window of that class at any level.
HWND ParseTarget(const char* text) {
    if (std::strncmp(text, "class:", 6) == 0) return FindByClass(text + 6);
    long long value = 0;
    HWND window = ParseNumber(text, value) ? reinterpret_cast<HWND>(UINT_PTR(value)) : nullptr;
    return IsWindow(window) ? window : nullptr;
}

// depth < 0: not asked (info), so not written.
Json Describe(HWND window, int depth = -1) {
    HWND parent = GetAncestor(window, GA_PARENT);
    const bool topLevel = !parent || parent == GetDesktopWindow();
    char title[512] = "";
    GetWindowTextA(window, title, sizeof(title));
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    RECT rc = {}, client = {};
    GetWindowRect(window, &rc);
    GetClientRect(window, &client);
    RECT rel = rc;
    if (!topLevel) MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rel), 2);
    Json row;
    row.Hex("hwnd", UINT_PTR(window))
        .Hex("parent", UINT_PTR(topLevel ? nullptr : parent))
        .Hex("owner", UINT_PTR(GetWindow(window, GW_OWNER)))
        .Str("class", ClassOf(window))
        .Num("id", GetWindowLongPtrA(window, GWLP_ID))
        .Str("title", title)
        .Num("pid", pid)
        .Bool("visible", IsWindowVisible(window))
        .Rect("rect", rc)
        .Rect("rel", rel)
        .Num("cw", client.right - client.left)
        .Num("ch", client.bottom - client.top)
        .Hex("style", static_cast<unsigned long>(GetWindowLongA(window, GWL_STYLE)));
    return depth < 0 ? row : row.Num("depth", depth);
}

int CmdTree(int, char**) {
    WalkWindows([](HWND window, int depth) {
        Describe(window, depth).Print();
        return true;
    });
    return 0;
}

int CmdInfo(int, char** argv) {
    HWND window = ParseTarget(argv[0]);
    return window ? Describe(window).Print() : Json().Bool("ok", false).Print(1);
}

// send and post: TARGET MSG WPARAM LPARAM.
int Message(char** argv, bool post) {
    long long m = 0, w = 0, l = 0;
    HWND target = ParseTarget(argv[0]);
    if (!ParseNumber(argv[1], m) || !ParseNumber(argv[2], w) || !ParseNumber(argv[3], l)) return 2;
    DWORD_PTR result = 0;
    const bool ok = target && (post ? PostMessageA(target, UINT(m), WPARAM(w), LPARAM(l))
                                    : SendMessageTimeoutA(target, UINT(m), WPARAM(w), LPARAM(l),
                                                          SMTO_NORMAL | SMTO_ABORTIFHUNG,
                                                          kSendTimeoutMs, &result));
    return Json().Bool("ok", ok).Num("result", static_cast<LRESULT>(result)).Print(!ok);
}
int CmdSend(int, char** argv) { return Message(argv, false); }
int CmdPost(int, char** argv) { return Message(argv, true); }

// wait and wait-gone: CLASS TIMEOUT_MS [--visible] (count only visible windows).
int WaitFor(int argc, char** argv, bool present) {
    long long timeout = 0;
    const bool visibleOnly = argc > 2 && std::strcmp(argv[2], "--visible") == 0;
    if (!ParseNumber(argv[1], timeout) || timeout < 0 || argc > (visibleOnly ? 3 : 2)) return 2;
    for (const DWORD start = GetTickCount();; Sleep(kPollMs)) {
        HWND window = FindByClass(argv[0], visibleOnly);
        const bool done = (window != nullptr) == present;
        if (done || GetTickCount() - start >= timeout)
            return Json().Bool("ok", done).Hex("hwnd", UINT_PTR(window)).Print(!done);
    }
}
int CmdWait(int argc, char** argv) { return WaitFor(argc, argv, true); }
int CmdWaitGone(int argc, char** argv) { return WaitFor(argc, argv, false); }

// What a control holds now, asked of it (across processes GetWindowText gives only the title a
// window was made with): its text, and a list box's entries. These are asked for as Unicode:
// Wine hands an ANSI caller in another process the Unicode text.
int CmdText(int, char** argv) {
    HWND target = ParseTarget(argv[0]);
    std::vector<char> text(1 << 16);
    DWORD_PTR length = 0;
    if (!target ||
        !SendMessageTimeoutA(target, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                             SMTO_NORMAL, kSendTimeoutMs, &length))
        return Json().Bool("ok", false).Print(1);
    std::string items;
    const LRESULT count =
        lstrcmpiA(ClassOf(target).c_str(), "ListBox") ? 0 : SendMessageW(target, LB_GETCOUNT, 0, 0);
    std::vector<WCHAR> item(1 << 12);
    char ansi[1 << 13];
    for (LRESULT i = 0; i < count; ++i) {
        if (SendMessageW(target, LB_GETTEXTLEN, i, 0) >= LRESULT(item.size())) continue;
        const LRESULT n =
            SendMessageW(target, LB_GETTEXT, i, reinterpret_cast<LPARAM>(item.data()));
        const int bytes = WideCharToMultiByte(CP_ACP, 0, item.data(), n > 0 ? int(n) : 0, ansi,
                                              sizeof ansi, nullptr, nullptr);
        items += (items.empty() ? "" : ",") + Quote(ansi, std::max(bytes, 0));
    }
    return Json()
        .Bool("ok", true)
        .Str("text", std::string(text.data(), std::min<size_t>(length, text.size() - 1)))
        .Raw("items", "[" + items + "]")
        .Print();
}

// reg ROOT\KEY: every value of the key as {name, type, length, data}; strings up to their first
// zero byte, DWORDs as numbers.
int CmdReg(int, char** argv) {
    const std::pair<const char*, HKEY> roots[] = {{"HKLM", HKEY_LOCAL_MACHINE},
                                                  {"HKCU", HKEY_CURRENT_USER},
                                                  {"HKU", HKEY_USERS},
                                                  {"HKCR", HKEY_CLASSES_ROOT}};
    const char* slash = std::strchr(argv[0], '\\');
    const std::string root(argv[0], slash ? slash - argv[0] : std::strlen(argv[0]));
    HKEY key = nullptr;
    for (const auto& [name, handle] : roots) {
        if (lstrcmpiA(root.c_str(), name)) continue;
        if (RegOpenKeyExA(handle, slash ? slash + 1 : "", 0, KEY_READ, &key) != ERROR_SUCCESS)
            key = nullptr;
    }
    if (!key) return Json().Bool("ok", false).Print(1);
    DWORD maxName = 0, maxData = 0;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &maxName,
                     &maxData, nullptr, nullptr);
    std::vector<char> name(maxName + 2);
    std::vector<BYTE> data(maxData + 2);
    for (DWORD index = 0, retries = 0;;) {
        DWORD nameLength = DWORD(name.size()), length = DWORD(data.size()), type = 0;
        const LONG status = RegEnumValueA(key, index, name.data(), &nameLength, nullptr, &type,
                                          data.data(), &length);
        if (status == ERROR_MORE_DATA && retries++ < 4) {  // a value grew meanwhile: make room
            name.resize(16384);
            data.resize(data.size() * 4);
            continue;
        }
        if (status != ERROR_SUCCESS) break;
        const char* text = reinterpret_cast<const char*>(data.data());
        DWORD number = 0;  // a DWORD; any other kind (no setting has one) as its first bytes
        std::memcpy(&number, text, std::min<DWORD>(length, sizeof number));
        const bool sz = type == REG_SZ;
        Json()
            .Str("name", std::string(name.data(), nameLength))
            .Str("type", sz                  ? "REG_SZ"
                         : type == REG_DWORD ? "REG_DWORD"
                                             : std::to_string(type))
            .Num("length", length)
            .Raw("data", sz ? Quote(text, std::find(text, text + length, '\0') - text)
                            : std::to_string(number))
            .Print();
        ++index, retries = 0;
    }
    RegCloseKey(key);
    return 0;
}

bool SendMouse(DWORD flags, LONG dx = 0, LONG dy = 0) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = dx;
    input.mi.dy = dy;
    input.mi.dwFlags = flags;
    return SendInput(1, &input, sizeof(INPUT)) == 1;
}

// mouse move X Y | down | up | click X Y | dblclick X Y | rclick X Y: real input, SendInput.
int CmdMouse(int argc, char** argv) {
    const DWORD down = MOUSEEVENTF_LEFTDOWN, up = MOUSEEVENTF_LEFTUP;
    const std::pair<const char*, std::vector<DWORD>> actions[] = {
        {"move", {}},
        {"down", {down}},
        {"up", {up}},
        {"click", {down, up}},
        {"dblclick", {down, up, down, up}},
        {"rclick", {MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP}}};
    const auto* action = std::find_if(std::begin(actions), std::end(actions), [&](const auto& a) {
        return !std::strcmp(argv[0], a.first);
    });
    if (action == std::end(actions)) return 2;
    bool ok = true;
    if (std::strcmp(argv[0], "down") && std::strcmp(argv[0], "up")) {
        long long x = 0, y = 0;
        if (argc < 3 || !ParseNumber(argv[1], x) || !ParseNumber(argv[2], y)) return 2;
        // Absolute coordinates are 0..65535 across the primary screen, rounded up so that the
        // pixel they map back to is exactly the one asked for; then the exact position anyway,
        // whatever the driver's rounding.
        auto normalise = [](long long pixel, int screen) {
            return screen > 0 ? LONG((pixel * 65536 + screen - 1) / screen) : 0;
        };
        ok = SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE,
                       normalise(x, GetSystemMetrics(SM_CXSCREEN)),
                       normalise(y, GetSystemMetrics(SM_CYSCREEN)));
        SetCursorPos(int(x), int(y));
        Sleep(kMouseStepMs);
    }
    for (DWORD flags : action->second) {
        ok = SendMouse(flags) && ok;
        Sleep(kMouseStepMs);
    }
    return Json().Bool("ok", ok).Print(!ok);
}

// TARGET: 0xHANDLE or class:NAME. send/post TARGET MSG WPARAM LPARAM; wait/wait-gone CLASS
// TIMEOUT_MS [--visible]; reg ROOT\\KEY; text TARGET; mouse as above.
struct Command {
    const char* name;
    int minArgs;  // arguments after the command name
    int (*run)(int argc, char** argv);
};
const Command kCommands[] = {
    {"tree", 0, CmdTree}, {"info", 1, CmdInfo},   {"send", 4, CmdSend},
    {"post", 4, CmdPost}, {"wait", 2, CmdWait},   {"wait-gone", 2, CmdWaitGone},
    {"reg", 1, CmdReg},   {"mouse", 1, CmdMouse}, {"text", 1, CmdText}};

int Run(int argc, char** argv) {
    for (const Command& command : kCommands) {
        if (argc < 1 || std::strcmp(argv[0], command.name) != 0) continue;
        const int code = argc - 1 < command.minArgs ? 2 : command.run(argc - 1, argv + 1);
        if (code != 2) return code;
        break;
    }
    std::fprintf(stderr, "usage: Probe COMMAND ARGS... | Probe serve (see probe.cpp)\n");
    return 2;
}

}  // namespace

// "Probe serve": one command a line, its arguments separated by tabs, until the input ends;
// after each command's own lines a line {"end":CODE}. One Wine process then answers a whole
// test.
int main(int argc, char** argv) {
    if (argc != 2 || std::strcmp(argv[1], "serve") != 0) return Run(argc - 1, argv + 1);
    static char line[1 << 16];
    while (std::fgets(line, sizeof line, stdin)) {
        std::vector<char*> args;
        for (char* token = std::strtok(line, "\t\r\n"); token;
             token = std::strtok(nullptr, "\t\r\n"))
            args.push_back(token);
        Json().Num("end", Run(int(args.size()), args.data())).Print();
    }
    return 0;
}
