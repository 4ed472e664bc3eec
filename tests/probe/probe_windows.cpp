// Window commands of the probe: tree, info, send, post, wait, wait-gone, text. They walk the
// window tree of the whole desktop from the probe's only thread.
#include "json_line.h"
#include "probe_commands.h"

#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>

namespace {

const int kMaxDepth = 64;
const int kMaxWindows = 100000;
const UINT kSendTimeoutMs = 20000;  // a loaded machine may be slow to answer
const DWORD kPollMs = 50;

std::string ClassOf(HWND window) {
    char name[256] = "";
    GetClassNameA(window, name, sizeof(name));
    return name;
}

struct Children {
    HWND parent;
    std::vector<HWND> list;
};

BOOL CALLBACK CollectChild(HWND window, LPARAM context) {
    Children& c = *reinterpret_cast<Children*>(context);
    if (GetAncestor(window, GA_PARENT) == c.parent) c.list.push_back(window);
    return c.list.size() < static_cast<size_t>(kMaxWindows);
}

// The direct children of parent in z-order, taken as one list. EnumChildWindows lists a level
// before it calls back for it, so a sibling destroyed or restacked meanwhile (a dialog closing,
// a tooltip) cannot cut the list short, as it can a walk along GetWindow(GW_HWNDNEXT).
std::vector<HWND> ChildrenOf(HWND parent) {
    Children children{parent, {}};
    EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&children));
    return children.list;
}

// Calls visit(window, depth, zIndex) for every window, parents before their children, in
// z-order among siblings. Stops early when visit returns false.
void WalkWindows(const std::function<bool(HWND, int, int)>& visit) {
    int budget = kMaxWindows;
    std::function<bool(HWND, int)> walkChildren = [&](HWND parent, int depth) {
        int z = 0;
        for (HWND child : ChildrenOf(parent)) {
            if (budget-- <= 0) return false;
            if (!visit(child, depth, z++)) return false;
            if (depth + 1 < kMaxDepth && !walkChildren(child, depth + 1)) return false;
        }
        return true;
    };
    walkChildren(GetDesktopWindow(), 0);
}

bool Matches(HWND window, const char* className, bool visibleOnly) {
    return lstrcmpiA(ClassOf(window).c_str(), className) == 0 &&
           (!visibleOnly || IsWindowVisible(window));
}

HWND FindByClass(const char* className, bool visibleOnly = false) {
    HWND found = nullptr;
    WalkWindows([&](HWND window, int, int) {
        if (!Matches(window, className, visibleOnly)) return true;
        found = window;
        return false;
    });
    return found;
}

JsonLine Describe(HWND window, int depth, int z) {
    JsonLine line;
    HWND parent = GetAncestor(window, GA_PARENT);
    const bool topLevel = !parent || parent == GetDesktopWindow();
    char title[512] = "";
    GetWindowTextA(window, title, sizeof(title));
    DWORD pid = 0;
    const DWORD tid = GetWindowThreadProcessId(window, &pid);
    RECT rc = {};
    GetWindowRect(window, &rc);
    RECT rel = rc;
    if (!topLevel) MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rel), 2);
    RECT client = {};
    GetClientRect(window, &client);
    line.AddHandle("hwnd", window)
        .AddHandle("parent", topLevel ? nullptr : parent)
        .AddHandle("owner", GetWindow(window, GW_OWNER))
        .Add("class", ClassOf(window))
        .Add("id", static_cast<long long>(GetWindowLongPtrA(window, GWLP_ID)))
        .Add("title", title)
        .Add("pid", static_cast<long long>(pid))
        .Add("tid", static_cast<long long>(tid))
        .Add("visible", IsWindowVisible(window) != FALSE)
        .AddRect("rect", rc)
        .AddRect("rel", rel)
        .Add("cw", static_cast<long long>(client.right - client.left))
        .Add("ch", static_cast<long long>(client.bottom - client.top))
        .Add("z", static_cast<long long>(z))
        .Add("depth", static_cast<long long>(depth))
        .AddHex("style", static_cast<unsigned long>(GetWindowLongA(window, GWL_STYLE)))
        .AddHex("exstyle", static_cast<unsigned long>(GetWindowLongA(window, GWL_EXSTYLE)));
    return line;
}

// Index of window among its siblings, counted from the top of the z-order.
int ZIndex(HWND window) {
    int z = 0;
    for (HWND w = GetWindow(window, GW_HWNDPREV); w && z < kMaxWindows;
         w = GetWindow(w, GW_HWNDPREV))
        ++z;
    return z;
}

int Depth(HWND window) {
    int depth = 0;
    for (HWND p = GetAncestor(window, GA_PARENT); p && p != GetDesktopWindow() && depth < kMaxDepth;
         p = GetAncestor(p, GA_PARENT))
        ++depth;
    return depth;
}

bool ParseMessageArgs(char** argv, HWND& target, UINT& msg, WPARAM& wParam, LPARAM& lParam) {
    long long m = 0, w = 0, l = 0;
    target = ParseTarget(argv[0]);
    if (!ParseNumber(argv[1], m) || !ParseNumber(argv[2], w) || !ParseNumber(argv[3], l))
        return false;
    msg = static_cast<UINT>(m);
    wParam = static_cast<WPARAM>(w);
    lParam = static_cast<LPARAM>(l);
    return true;
}

// The optional "--visible" after a command's fixed arguments: count only visible windows.
bool VisibleFlag(int argc, char** argv, int fixed, bool& visibleOnly) {
    visibleOnly = argc > fixed && std::strcmp(argv[fixed], "--visible") == 0;
    return argc <= fixed + (visibleOnly ? 1 : 0);
}

int WaitFor(int argc, char** argv, bool wantPresent) {
    const char* className = argv[0];
    long long timeout = 0;
    bool visibleOnly = false;
    if (!ParseNumber(argv[1], timeout) || timeout < 0 || !VisibleFlag(argc, argv, 2, visibleOnly))
        return 2;
    const DWORD start = GetTickCount();
    auto ms = [](DWORD value) { return static_cast<long long>(value); };
    for (;;) {
        HWND window = FindByClass(className, visibleOnly);
        const DWORD elapsed = GetTickCount() - start;
        if ((window != nullptr) == wantPresent) {
            JsonLine().Add("ok", true).AddHandle("hwnd", window).Add("ms", ms(elapsed)).Print();
            return 0;
        }
        if (static_cast<long long>(elapsed) >= timeout) {
            JsonLine().Add("ok", false).AddHandle("hwnd", window).Add("ms", ms(elapsed)).Print();
            return 1;
        }
        Sleep(kPollMs);
    }
}

}  // namespace

bool ParseNumber(const char* text, long long& value) {
    if (!text || !*text) return false;
    char* end = nullptr;
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        if (!text[2]) return false;
        value = static_cast<long long>(std::strtoull(text + 2, &end, 16));
    } else {
        value = std::strtoll(text, &end, 10);
    }
    return *end == '\0';
}

HWND ParseTarget(const char* text) {
    if (std::strncmp(text, "class:", 6) == 0) return FindByClass(text + 6);
    long long value = 0;
    if (!ParseNumber(text, value)) return nullptr;
    HWND window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(value));
    return IsWindow(window) ? window : nullptr;
}

int CmdTree(int, char**) {
    WalkWindows([](HWND window, int depth, int z) {
        Describe(window, depth, z).Print();
        return true;
    });
    return 0;
}

int CmdInfo(int, char** argv) {
    HWND window = ParseTarget(argv[0]);
    if (!window) {
        JsonLine().Add("error", "no such window").Print();
        return 1;
    }
    Describe(window, Depth(window), ZIndex(window)).Print();
    return 0;
}

int CmdSend(int, char** argv) {
    HWND target;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    if (!ParseMessageArgs(argv, target, msg, wParam, lParam)) return 2;
    if (!target) {
        JsonLine().Add("ok", false).Add("error", "no such window").Print();
        return 1;
    }
    DWORD_PTR result = 0;
    const LRESULT sent = SendMessageTimeoutA(
        target, msg, wParam, lParam, SMTO_NORMAL | SMTO_ABORTIFHUNG, kSendTimeoutMs, &result);
    JsonLine line;
    line.Add("ok", sent != 0).Add("result", static_cast<long long>(static_cast<LRESULT>(result)));
    if (!sent) line.Add("error", "timed out or failed");
    line.Print();
    return sent ? 0 : 1;
}

int CmdPost(int, char** argv) {
    HWND target;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    if (!ParseMessageArgs(argv, target, msg, wParam, lParam)) return 2;
    const bool posted = target && PostMessageA(target, msg, wParam, lParam);
    JsonLine line;
    line.Add("ok", posted);
    if (!posted) line.Add("error", target ? "post failed" : "no such window");
    line.Print();
    return posted ? 0 : 1;
}

int CmdWait(int argc, char** argv) { return WaitFor(argc, argv, true); }

int CmdWaitGone(int argc, char** argv) { return WaitFor(argc, argv, false); }

// What a control holds now, asked of it (across processes GetWindowText gives only the title a
// window was made with): its text, and a list box's entries.
int CmdText(int, char** argv) {
    HWND target = ParseTarget(argv[0]);
    std::vector<char> text(1 << 16);
    DWORD_PTR length = 0;
    if (!target ||
        !SendMessageTimeoutA(target, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                             SMTO_NORMAL, kSendTimeoutMs, &length)) {
        JsonLine().Add("ok", false).Print();
        return 1;
    }
    // List box entries are asked for as Unicode: Wine hands an ANSI caller in another process
    // the Unicode text.
    std::string items = "[";
    if (lstrcmpiA(ClassOf(target).c_str(), "ListBox") == 0) {
        const LRESULT count = SendMessageW(target, LB_GETCOUNT, 0, 0);
        std::vector<WCHAR> item(1 << 12);
        char ansi[1 << 13];
        for (LRESULT i = 0; i < count; ++i) {
            if (SendMessageW(target, LB_GETTEXTLEN, i, 0) >= static_cast<LRESULT>(item.size()))
                continue;
            const LRESULT n =
                SendMessageW(target, LB_GETTEXT, i, reinterpret_cast<LPARAM>(item.data()));
            const int length = WideCharToMultiByte(CP_ACP, 0, item.data(), n > 0 ? int(n) : 0, ansi,
                                                   sizeof ansi, nullptr, nullptr);
            items += (i ? "," : "") + JsonLine::Quote(ansi, length > 0 ? size_t(length) : 0);
        }
    }
    JsonLine()
        .Add("ok", true)
        .Add("text", std::string(text.data(), std::min<size_t>(length, text.size() - 1)))
        .AddRaw("items", items + "]")
        .Print();
    return 0;
}
