// Probe.exe: the tests' eyes and hands. A console program whose commands read windows and
// the registry, send messages and produce real mouse input; every result is printed as one
// JSON object per line. Single-threaded.
#include "json_line.h"
#include "probe_commands.h"

#include <cstdio>
#include <cstring>

namespace {

struct Command {
    const char* name;
    int minArgs;  // arguments after the command name
    const char* usage;
    int (*run)(int argc, char** argv);
};

const Command kCommands[] = {
    {"tree", 0, "tree", CmdTree},
    {"info", 1, "info TARGET", CmdInfo},
    {"find", 1, "find CLASS [--visible]", CmdFind},
    {"send", 4, "send TARGET MSG WPARAM LPARAM", CmdSend},
    {"post", 4, "post TARGET MSG WPARAM LPARAM", CmdPost},
    {"resize", 3, "resize TARGET WIDTH HEIGHT", CmdResize},
    {"wait", 2, "wait CLASS TIMEOUT_MS [--visible]", CmdWait},
    {"wait-gone", 2, "wait-gone CLASS TIMEOUT_MS [--visible]", CmdWaitGone},
    {"reg", 1, "reg ROOT\\KEY\\PATH", CmdReg},
    {"reg-keys", 1, "reg-keys ROOT\\KEY\\PATH", CmdRegKeys},
    {"mouse", 1, "mouse move X Y | down | up | click X Y | dblclick X Y | rclick X Y", CmdMouse},
    {"pixel", 2, "pixel X Y", CmdPixel},
};

int Usage() {
    std::fprintf(stderr, "usage: Probe COMMAND ...  (TARGET = 0xHANDLE or class:NAME)\n");
    for (const Command& command : kCommands) std::fprintf(stderr, "  Probe %s\n", command.usage);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    for (const Command& command : kCommands) {
        if (std::strcmp(argv[1], command.name) != 0) continue;
        if (argc - 2 < command.minArgs) return Usage();
        const int code = command.run(argc - 2, argv + 2);
        return code == 2 ? Usage() : code;
    }
    return Usage();
}
