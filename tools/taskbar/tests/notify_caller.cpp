// notify_caller: adds and removes notification icons the way the ticker does (no owner window,
// ids 0, 1, 2, ...) and prints, as one JSON line, the notification area's client width before,
// right after and some time after. Single-threaded console program.
//
//   notify_caller add N [--wait MS] [--keep]   add ids 0..N-1, then (unless --keep) delete them
//   notify_caller delete N                      delete ids 0..N-1
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#if defined(__i386__)
static_assert(NOTIFYICONDATAA_V1_SIZE == 88, "the 32-bit shell's record size");
#endif

namespace {

struct Args {
    bool add = true;
    int count = 0;
    int waitMs = -1;
    bool keep = false;
};

HWND NotifyArea() {
    HWND tray = FindWindowA("Shell_TrayWnd", nullptr);
    return tray ? FindWindowExA(tray, nullptr, "TrayNotifyWnd", nullptr) : nullptr;
}

int AreaWidth(HWND area) {
    RECT rc = {};
    return area && GetClientRect(area, &rc) ? rc.right - rc.left : -1;
}

HICON BlankIcon() {
    BYTE andMask[16 * 16 / 8];
    BYTE xorMask[16 * 16 / 8];
    std::memset(andMask, 0xFF, sizeof(andMask));
    std::memset(xorMask, 0, sizeof(xorMask));
    return CreateIcon(GetModuleHandleA(nullptr), 16, 16, 1, 1, andMask, xorMask);
}

int Notify(DWORD message, int count, HICON icon) {
    int done = 0;
    for (int id = 0; id < count; ++id) {
        NOTIFYICONDATAA data;
        std::memset(&data, 0, sizeof(data));
        data.cbSize = NOTIFYICONDATAA_V1_SIZE;
        data.hWnd = nullptr;
        data.uID = static_cast<UINT>(id);
        data.uFlags = message == NIM_ADD ? NIF_ICON : 0;
        data.hIcon = icon;
        if (Shell_NotifyIconA(message, &data)) ++done;
    }
    return done;
}

bool ParseArgs(int argc, char** argv, Args& args) {
    if (argc < 3) return false;
    if (std::strcmp(argv[1], "delete") == 0)
        args.add = false;
    else if (std::strcmp(argv[1], "add") != 0)
        return false;
    char* end = nullptr;
    args.count = static_cast<int>(std::strtol(argv[2], &end, 10));
    if (*end || args.count < 0 || args.count > 500) return false;
    for (int i = 3; i < argc; ++i) {
        if (std::strcmp(argv[i], "--keep") == 0) {
            args.keep = true;
        } else if (std::strcmp(argv[i], "--wait") == 0 && i + 1 < argc) {
            args.waitMs = static_cast<int>(std::strtol(argv[++i], &end, 10));
            if (*end || args.waitMs < 0 || args.waitMs > 60000) return false;
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Args args;
    if (!ParseArgs(argc, argv, args)) {
        std::fprintf(stderr, "usage: notify_caller add N [--wait MS] [--keep] | delete N\n");
        return 2;
    }
    HWND area = NotifyArea();
    if (!area) {
        std::printf("{\"error\":\"no notification area\"}\n");
        return 1;
    }
    HICON icon = BlankIcon();
    const int before = AreaWidth(area);
    if (!args.add) {
        const int removed = Notify(NIM_DELETE, args.count, nullptr);
        std::printf("{\"before\":%d,\"removed\":%d,\"after\":%d}\n", before, removed,
                    AreaWidth(area));
        return 0;
    }
    const int added = Notify(NIM_ADD, args.count, icon);
    const int after = AreaWidth(area);
    int later = after;
    if (args.waitMs >= 0) {
        Sleep(static_cast<DWORD>(args.waitMs));
        later = AreaWidth(area);
    }
    int removed = 0;
    int afterDelete = later;
    if (!args.keep) {
        removed = Notify(NIM_DELETE, args.count, nullptr);
        afterDelete = AreaWidth(area);
    }
    std::printf("{\"before\":%d,\"added\":%d,\"after\":%d,\"later\":%d,\"removed\":%d,"
                "\"after_delete\":%d}\n",
                before, added, after, later, removed, afterDelete);
    if (icon) DestroyIcon(icon);
    return 0;
}
