// The updater's log, "update.log" in the install directory: one line per step, each with the
// local date and time, in plain words for whoever wonders what became of an update. Each line
// is appended and the file closed again, so the log is whole even if the updater is killed.
// A log past 64 KB becomes "update.log.1" when the updater starts, and a new one begins.
#pragma once

// Where the log goes; until this is called, lines are dropped.
void OpenUpdateLog(const char* folder);

// Appends one line (printf format, cut at about 400 characters).
void LogLine(const char* format, ...) __attribute__((format(printf, 1, 2)));
