// Taskbar.exe: runs the stand-in taskbar on the main thread until it is closed.
#include "taskbar_standin.h"

#include <cstdio>
#include <cstdlib>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    TaskbarOptions options;
    std::string error;
    if (!ParseTaskbarArgs(__argc, __argv, options, error)) {
        std::fprintf(stderr, "Taskbar: %s\n", error.c_str());
        return 2;
    }
    return RunTaskbar(options);
}
