#include "update/updater/ticker_process_win.h"

#include <tlhelp32.h>

#include "base/messages.h"
#include "base/program_win.h"
#include "base/text.h"
#include "update/updater/late_binding_win.h"
#include "update/updater/update_log_win.h"
#include "update/update_rules.h"

namespace {

constexpr DWORD kPollMs = 100;
constexpr UINT kCloseRequestMs = 5000;

// The program file of process id, in its short form (so that a long and a short spelling of
// one path compare equal). NT answers through psapi.dll, Windows 95 and 98 through the tool
// help functions of kernel32; neither exists on every system of the era, so both are looked up
// at run time. Where neither answers, no process counts as the installed ticker.
bool ProcessImage(DWORD id, char* path, DWORD size) {
    using ModuleFileNameEx = DWORD(WINAPI*)(HANDLE, HMODULE, LPSTR, DWORD);
    using Snapshot = HANDLE(WINAPI*)(DWORD, DWORD);
    using FirstModule = BOOL(WINAPI*)(HANDLE, MODULEENTRY32*);
    static const auto moduleFileNameEx =
        LookUp<ModuleFileNameEx>(LoadQuietly("psapi.dll"), "GetModuleFileNameExA");
    static const HMODULE kernel = GetModuleHandleA("kernel32.dll");
    static const auto snapshot = LookUp<Snapshot>(kernel, "CreateToolhelp32Snapshot");
    static const auto firstModule = LookUp<FirstModule>(kernel, "Module32First");

    char found[MAX_PATH] = "";
    if (HANDLE process = moduleFileNameEx
                             ? OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id)
                             : nullptr) {
        const DWORD length = moduleFileNameEx(process, nullptr, found, sizeof found);
        if (length == 0 || length >= sizeof found) found[0] = 0;
        CloseHandle(process);
    }
    if (!found[0] && snapshot && firstModule) {
        HANDLE modules = snapshot(TH32CS_SNAPMODULE, id);
        if (modules != INVALID_HANDLE_VALUE) {
            MODULEENTRY32 module = {};
            module.dwSize = sizeof module;
            if (firstModule(modules, &module)) CopyText(found, module.szExePath);  // the program
            CloseHandle(modules);
        }
    }
    if (!found[0]) return false;
    const DWORD length = GetShortPathNameA(found, path, size);
    if (length == 0 || length >= size) CopyText(path, size, found);
    return true;
}

struct TickerSearch {
    DWORD processId;      // 0: any process
    const char* program;  // short path, or null: any program file
    HWND found;
};

BOOL CALLBACK CheckWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<TickerSearch*>(param);
    char name[32];
    if (!GetClassNameA(window, name, sizeof name) || lstrcmpA(name, kTickerClass) != 0) return TRUE;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (search->processId && owner != search->processId) return TRUE;
    char image[MAX_PATH];
    if (search->program &&
        !(ProcessImage(owner, image, sizeof image) && lstrcmpiA(image, search->program) == 0))
        return TRUE;
    search->found = window;
    return FALSE;
}

// The ticker lives inside the taskbar's notification area, so top-level windows alone would
// not find it: each top-level window's descendants are searched as well.
BOOL CALLBACK CheckTopLevel(HWND window, LPARAM param) {
    if (!CheckWindow(window, param)) return FALSE;
    EnumChildWindows(window, CheckWindow, param);
    return reinterpret_cast<TickerSearch*>(param)->found ? FALSE : TRUE;
}

HWND FindTicker(DWORD processId, const char* program) {
    TickerSearch search{processId, program, nullptr};
    EnumWindows(CheckTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

HWND FindInstalledTicker(const char* program) {
    char shortPath[MAX_PATH];
    const DWORD length = GetShortPathNameA(program, shortPath, sizeof shortPath);
    if (length == 0 || length >= sizeof shortPath) CopyText(shortPath, program);
    return FindTicker(0, shortPath);
}

TickerEnd WaitForTickerToEnd(const char* program, DWORD limitMs) {
    HANDLE process = nullptr;
    if (HWND window = FindInstalledTicker(program)) {
        DWORD id = 0;
        GetWindowThreadProcessId(window, &id);
        process = OpenProcess(SYNCHRONIZE, FALSE, id);
    }
    const DWORD start = GetTickCount();
    bool asked = false, ended = false;
    for (;;) {
        const bool windowGone = FindInstalledTicker(program) == nullptr;
        const bool processGone = !process || WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
        if (windowGone && processGone) {
            ended = true;
            break;
        }
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= limitMs) break;
        if (!asked && elapsed >= limitMs / 2) {
            asked = true;
            if (HWND window = FindInstalledTicker(program)) {
                DWORD_PTR result;
                SendMessageTimeoutA(window, WM_TICKER_CLOSE, 0, 0, SMTO_NORMAL, kCloseRequestMs,
                                    &result);
            }
        }
        Sleep(kPollMs);
    }
    if (process) CloseHandle(process);
    if (!ended) return TickerEnd::StillRunning;
    return asked ? TickerEnd::EndedWhenAsked : TickerEnd::Ended;
}

StartResult StartTicker(const char* program, const char* folder, const char* which, DWORD limitMs,
                        DWORD settleMs, DWORD* exitCode) {
    char command[kInstallFileSize + 2];
    QuoteText(command, sizeof command, program);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(program, command, nullptr, nullptr, FALSE, 0, nullptr, folder, &startup,
                        &info))
        return StartResult::NotStarted;
    CloseHandle(info.hThread);

    StartResult result = StartResult::NoWindow;
    const DWORD start = GetTickCount();
    for (;;) {
        if (FindTicker(info.dwProcessId, nullptr)) {
            result = StartResult::Up;
            break;
        }
        if (WaitForSingleObject(info.hProcess, 0) == WAIT_OBJECT_0) {
            result = StartResult::Exited;
            break;
        }
        if (GetTickCount() - start >= limitMs) break;
        Sleep(kPollMs);
    }
    if (result == StartResult::Up && settleMs) {
        LogLine("The %s build showed its window; it has to keep running for %lu s.", which,
                settleMs / 1000);
        if (WaitForSingleObject(info.hProcess, settleMs) == WAIT_OBJECT_0)
            result = StartResult::DiedAfterWindow;
    }
    if (result == StartResult::Exited || result == StartResult::DiedAfterWindow)
        GetExitCodeProcess(info.hProcess, exitCode);
    if (result == StartResult::NoWindow) {
        TerminateProcess(info.hProcess, 1);
        WaitForSingleObject(info.hProcess, limitMs);
    }
    CloseHandle(info.hProcess);
    return result;
}
