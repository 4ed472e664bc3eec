// procstat.exe: the CPU time and memory of a process, by the system's own accounting of it.
// One JSON line:
//   {"pid":N,"user_ms":U,"kernel_ms":K,"private_bytes":P,"committed_private":C,
//    "working_set":W,"peak_working_set":PW}
// private_bytes is what the system reports as the process's private usage; committed_private
// is the sum of its committed private regions, walked with VirtualQueryEx.
//
//   procstat PID [regions]   the process's id, as the probe reports it with its windows;
//                            regions: also one line per allocation with committed private
//                            memory, largest first, to see where it goes
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: procstat PID [regions]\n");
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
    struct Allocation {
        const void* base;
        unsigned long long committed;
        DWORD protect;
    };
    std::vector<Allocation> allocations;
    unsigned long long committed = 0;
    MEMORY_BASIC_INFORMATION region;
    for (const char* at = nullptr;
         VirtualQueryEx(process, at, &region, sizeof region) == sizeof region;
         at = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) {
            committed += region.RegionSize;
            if (allocations.empty() || allocations.back().base != region.AllocationBase)
                allocations.push_back({region.AllocationBase, 0, region.Protect});
            allocations.back().committed += region.RegionSize;
        }
        if (static_cast<const char*>(region.BaseAddress) + region.RegionSize <= at) break;
    }
    std::printf("{\"pid\":%lu,\"user_ms\":%llu,\"kernel_ms\":%llu,\"private_bytes\":%llu,"
                "\"committed_private\":%llu,\"working_set\":%llu,\"peak_working_set\":%llu}\n",
                pid, ms(user), ms(kernel), static_cast<unsigned long long>(memory.PrivateUsage),
                committed, static_cast<unsigned long long>(memory.WorkingSetSize),
                static_cast<unsigned long long>(memory.PeakWorkingSetSize));
    if (argc == 3 && std::strcmp(argv[2], "regions") == 0) {
        std::sort(
            allocations.begin(), allocations.end(),
            [](const Allocation& a, const Allocation& b) { return a.committed > b.committed; });
        for (const Allocation& a : allocations)
            std::printf("{\"base\":\"%p\",\"committed\":%llu,\"protect\":\"0x%lx\"}\n", a.base,
                        a.committed, a.protect);
    }
    CloseHandle(process);
    return 0;
}
