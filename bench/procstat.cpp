// procstat.exe: the CPU time and memory of a process, by the system's own accounting of it.
// One JSON line:
//   {"pid":N,"user_ms":U,"kernel_ms":K,"private_bytes":P,"committed_private":C,
//    "working_set":W,"peak_working_set":PW}
// private_bytes is what the system reports as the process's private usage; committed_private
// is the sum of its committed private regions, walked with VirtualQueryEx.
//
//   procstat PID        the process's id, as the probe reports it with its windows
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: procstat PID\n");
        return 2;
    }
    const DWORD pid = std::strtoul(argv[1], nullptr, 0);
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (!process) {
        std::fprintf(stderr, "procstat: cannot open process %lu\n", pid);
        return 1;
    }
    FILETIME created, exited, kernel, user;
    GetProcessTimes(process, &created, &exited, &kernel, &user);
    auto ms = [](const FILETIME& t) {
        return ((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) /
               10000ull;
    };
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                         sizeof memory);
    unsigned long long committed = 0;
    MEMORY_BASIC_INFORMATION region;
    for (const char* at = nullptr;
         VirtualQueryEx(process, at, &region, sizeof region) == sizeof region;
         at = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            committed += region.RegionSize;
        if (static_cast<const char*>(region.BaseAddress) + region.RegionSize <= at) break;
    }
    std::printf("{\"pid\":%lu,\"user_ms\":%llu,\"kernel_ms\":%llu,\"private_bytes\":%llu,"
                "\"committed_private\":%llu,\"working_set\":%llu,\"peak_working_set\":%llu}\n",
                pid, ms(user), ms(kernel), static_cast<unsigned long long>(memory.PrivateUsage),
                committed, static_cast<unsigned long long>(memory.WorkingSetSize),
                static_cast<unsigned long long>(memory.PeakWorkingSetSize));
    CloseHandle(process);
    return 0;
}
