// Rules of the self-update that need no system: the files it works with, when the server's
// build counts as newer, and whether an expanded download is a program this machine can run.
// Plain data in, plain answers out; the ticker's check and the updater both use them.
#pragma once
#include <cstddef>
#include <cstdint>

// Files in the install directory, each with its leading backslash.
constexpr char kProgramFile[] = "\\Ticker.exe";         // the installed ticker
constexpr char kCompressedFile[] = "\\zrt-comp.exe";    // the download, LZ-compressed
constexpr char kExpandedFile[] = "\\zrttemp.exe";       // the expanded new build
constexpr char kUpdaterFile[] = "\\Update.exe";         // the updater program
constexpr char kBackupFile[] = "\\Ticker.bak";          // the build an update replaced
constexpr char kUpdateLogFile[] = "\\update.log";       // what the updater did, and why
constexpr char kOldUpdateLogFile[] = "\\update.log.1";  // the log before it grew too long

// Room for the install directory (at most 259 characters) and any of the names above.
constexpr size_t kInstallFileSize = 260 + 16;

// Writes folder followed by name into dst (size bytes). Returns false, leaving dst empty, when
// the whole path does not fit: a path cut short would name some other file.
bool JoinInstallPath(char* dst, size_t size, const char* folder, const char* name);

// A file time as Windows keeps it: 100-nanosecond intervals since 1601, in two halves.
struct FileStamp {
    uint32_t low;
    uint32_t high;
};

// The server's build is newer only when its listing time is strictly later than the local
// program's last-write time (already turned into local time by the caller).
bool ServerBuildIsNewer(FileStamp server, FileStamp local);

// One install (or one refusal) per published build, whatever the two clocks say: the check
// gives the expanded build the listing time it acted on (in the terms it compares in), so an
// installed build compares equal to its own listing. When the updater keeps the installed
// program instead (refused, rolled back, the same build again), the program takes on that
// listing time too, unless it is already later: returns the time the kept program gets.
FileStamp KeptBuildStamp(FileStamp installed, FileStamp listed);

// The machines a build can be made for (the values of the PE file header).
enum class ExeMachine : uint16_t { I386 = 0x014c, Amd64 = 0x8664 };

enum class ExeVerdict {
    Ok,
    TooSmall,           // shorter than a DOS header
    NoDosHeader,        // no "MZ"
    BadHeaderOffset,    // the PE header lies outside what was read, or in the DOS header
    NoPeSignature,      // no "PE\0\0"
    WrongMachine,       // built for another processor
    NotAProgram,        // not marked executable, or a DLL
    BadOptionalHeader,  // wrong magic for the machine, or too short
    NotGui,             // console, driver or other subsystem
    BadAlignment,       // file or section alignment not a sane power of two
    BadSections,        // no sections, too many, out of order or outside the image
    BadEntryPoint,      // no entry point, or not inside a section
    Truncated,          // the headers or a section's data run past the end of the file
};

// How many bytes of the start of a file CheckExecutable wants to see: the DOS header, the PE
// headers and the section table of any sane program lie well within this.
constexpr size_t kExeHeaderBytes = 64 * 1024;

// Checks that a file is a Windows GUI program for `machine`: headers is the start of the file
// (count bytes, at most fileSize), fileSize the size of the whole file. Reads nothing outside
// headers[0, count), whatever the bytes say.
ExeVerdict CheckExecutable(const uint8_t* headers, size_t count, uint64_t fileSize,
                           ExeMachine machine);

// A short reason for the updater's log ("not a Windows program", ...).
const char* DescribeVerdict(ExeVerdict verdict);
