// System functions that not every system of the era has, looked up at run time: bound at load
// time, one missing function would keep the updater from starting at all, and with it from
// starting the ticker again.
#pragma once
#include <windows.h>

// A system library that may be missing, without the system's box saying so.
inline HMODULE LoadQuietly(const char* name) {
    const UINT mode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE module = LoadLibraryA(name);
    SetErrorMode(mode);
    return module;
}

// name in module as a pointer of type Function; null when either is missing.
template <typename Function> Function LookUp(HMODULE module, const char* name) {
    // Through void (*)(), the one function type that converts to any other without a warning.
    return module ? reinterpret_cast<Function>(
                        reinterpret_cast<void (*)()>(GetProcAddress(module, name)))
                  : nullptr;
}
