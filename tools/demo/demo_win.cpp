// TickerDemo.exe: the taskbar stand-in on a thread of its own and the real ticker on the main
// thread, in one process. Wine shows a child window only when a window of its own process
// draws it, so this is how the docked strip can be seen (and screenshotted) here. The command
// line takes the taskbar stand-in's options; the ticker itself reads no command line.
#include <windows.h>

#include <cstdio>

#include "app/ticker_host_win.h"
#include "taskbar/taskbar_standin.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    TaskbarOptions options;
    std::string error;
    if (!ParseTaskbarArgs(__argc, __argv, options, error)) {
        std::fprintf(stderr, "TickerDemo: %s\n", error.c_str());
        return 2;
    }
    if (!StartTaskbarThread(options)) return 1;
    int code = TickerMain(instance);
    StopTaskbar();
    return code;
}
