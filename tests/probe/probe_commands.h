// The probe's commands. Each takes the arguments after the command name and returns the
// process exit code: 0 success, 1 the looked-for thing is absent or the call failed, 2 usage.
// Everything runs on the probe's only thread.
#pragma once

#include <windows.h>

#include <string>

// Windows (probe_windows.cpp)
int CmdTree(int argc, char** argv);
int CmdInfo(int argc, char** argv);
int CmdSend(int argc, char** argv);
int CmdPost(int argc, char** argv);
int CmdWait(int argc, char** argv);
int CmdWaitGone(int argc, char** argv);
int CmdText(int argc, char** argv);

// Registry (probe_registry.cpp)
int CmdReg(int argc, char** argv);

// Input (probe_input.cpp)
int CmdMouse(int argc, char** argv);

// Shared helpers (probe_windows.cpp)
// Parses a decimal number (an optional leading '-') or 0x hex; false on anything else.
bool ParseNumber(const char* text, long long& value);
// A hex handle, or "class:NAME" for the first window of that class at any level.
HWND ParseTarget(const char* text);
