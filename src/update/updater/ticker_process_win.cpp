#include "update/updater/ticker_process_win.h"

#include "base/messages.h"
#include "base/program_win.h"
#include "base/text.h"
#include "update/update_rules.h"

namespace {

constexpr DWORD kPollMs = 100;
constexpr UINT kCloseRequestMs = 5000;

struct TickerSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK CheckWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<TickerSearch*>(param);
    char name[32];
    if (GetClassNameA(window, name, sizeof name) && lstrcmpA(name, kTickerClass) == 0) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (!search->processId || owner == search->processId) {
            search->found = window;
            return FALSE;
        }
    }
    return TRUE;
}

// The ticker lives inside the taskbar's notification area, so top-level windows alone would
// not find it: each top-level window's descendants are searched as well.
BOOL CALLBACK CheckTopLevel(HWND window, LPARAM param) {
    if (!CheckWindow(window, param)) return FALSE;
    EnumChildWindows(window, CheckWindow, param);
    return reinterpret_cast<TickerSearch*>(param)->found ? FALSE : TRUE;
}

}  // namespace

HWND FindTickerWindow(DWORD processId) {
    TickerSearch search{processId, nullptr};
    EnumWindows(CheckTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

TickerEnd WaitForTickerToEnd(DWORD limitMs) {
    HANDLE process = nullptr;
    if (HWND window = FindTickerWindow(0)) {
        DWORD id = 0;
        GetWindowThreadProcessId(window, &id);
        process = OpenProcess(SYNCHRONIZE, FALSE, id);
    }
    const DWORD start = GetTickCount();
    bool asked = false, ended = false;
    for (;;) {
        const bool windowGone = FindTickerWindow(0) == nullptr;
        const bool processGone = !process || WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
        if (windowGone && processGone) {
            ended = true;
            break;
        }
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= limitMs) break;
        if (!asked && elapsed >= limitMs / 2) {
            asked = true;
            if (HWND window = FindTickerWindow(0)) {
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

StartResult StartTicker(const char* program, const char* folder, DWORD limitMs, DWORD* exitCode) {
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
        if (FindTickerWindow(info.dwProcessId)) {
            result = StartResult::Up;
            break;
        }
        if (WaitForSingleObject(info.hProcess, 0) == WAIT_OBJECT_0) {
            GetExitCodeProcess(info.hProcess, exitCode);
            result = StartResult::Exited;
            break;
        }
        if (GetTickCount() - start >= limitMs) break;
        Sleep(kPollMs);
    }
    if (result == StartResult::NoWindow) {
        TerminateProcess(info.hProcess, 1);
        WaitForSingleObject(info.hProcess, limitMs);
    }
    CloseHandle(info.hProcess);
    return result;
}
