// Stand-in for the shell's taskbar: options, the private test-control messages and the entry
// points. The taskbar runs on one thread (the caller's, or a thread of its own) and owns all
// of its windows there; the other functions may be called from any thread.
#pragma once

#include <windows.h>

#include <string>

struct TaskbarOptions {
    bool top = false;        // dock at the top edge instead of the bottom
    int height = 28;         // taskbar height in pixels
    int clockWidth = 60;     // width of the clock window
    int lazyMs = 0;          // 0: resize the notification area at once; else this much later
    int foreignIcons = 0;    // foreign 20-pixel icons present from the start
    bool notifyArea = true;  // false: no TrayNotifyWnd child (and so no clock)
    std::string logPath;     // append one line per icon event, empty: no log
};

// Parses the command line (argv[0] is the program). On failure returns false and puts a
// one-line reason into error. Options:
//   --top  --height N  --clock-width N  --lazy MS  --foreign N  --no-notify  --log FILE
bool ParseTaskbarArgs(int argc, char** argv, TaskbarOptions& options, std::string& error);

// Creates the taskbar windows on the calling thread and runs its message loop until the
// taskbar is closed (WM_CLOSE to the taskbar window, or StopTaskbar). Returns 0, or 1 if the
// windows could not be created. Only one taskbar may exist in a process.
int RunTaskbar(const TaskbarOptions& options);

// Runs the taskbar on a new thread; returns once its windows exist (true) or failed (false).
bool StartTaskbarThread(const TaskbarOptions& options);

// Closes a taskbar started by StartTaskbarThread and waits for its thread to end.
void StopTaskbar();

// The "Shell_TrayWnd" window of the running taskbar, or NULL.
HWND TaskbarWindow();

// Geometry constants of the notification area.
const int kTaskbarNotifyPadding = 4;  // client width with no icons and no clock
const int kTaskbarShellIconWidth = 16;
const int kTaskbarForeignIconWidth = 20;

// Private messages for tests, sent to the "Shell_TrayWnd" window (SendMessage).
enum : UINT {
    // Adds a foreign icon (one that no Shell_NotifyIcon caller owns). wParam = its width in
    // pixels (0: 20; at most 200). Returns the new icon's id (1, 2, ...), or 0 on failure.
    WM_TASKBAR_ADD_FOREIGN = WM_APP + 0x100,
    // Removes a foreign icon. wParam = its id, or 0 for the most recently added one.
    // Returns TRUE if an icon was removed.
    WM_TASKBAR_REMOVE_FOREIGN = WM_APP + 0x101,
    // Slides the taskbar away like an auto-hidden one: only 2 pixels stay on the screen.
    WM_TASKBAR_SLIDE_AWAY = WM_APP + 0x102,
    // Slides the taskbar back onto the screen.
    WM_TASKBAR_SLIDE_BACK = WM_APP + 0x103,
    // Returns how many icons the notification area holds. wParam 0: all of them,
    // 1: those added through Shell_NotifyIcon, 2: the foreign ones.
    WM_TASKBAR_ICON_COUNT = WM_APP + 0x104,
    // Sets the resize delay in milliseconds (0: resize at once). Returns the previous delay.
    WM_TASKBAR_SET_LAZY = WM_APP + 0x105,
};
