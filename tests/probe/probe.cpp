// Probe.exe: the tests' eyes and hands. A console program whose commands read windows and
// the registry and the controls, send messages and produce real mouse input; every result is
// printed as one JSON object per line. Single-threaded.
#include "json_line.h"
#include "probe_commands.h"

#include <cstdio>
#include <cstring>
#include <vector>

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
    {"send", 4, "send TARGET MSG WPARAM LPARAM", CmdSend},
    {"post", 4, "post TARGET MSG WPARAM LPARAM", CmdPost},
    {"wait", 2, "wait CLASS TIMEOUT_MS [--visible]", CmdWait},
    {"wait-gone", 2, "wait-gone CLASS TIMEOUT_MS [--visible]", CmdWaitGone},
    {"reg", 1, "reg ROOT\\KEY\\PATH", CmdReg},
    {"mouse", 1, "mouse move X Y | down | up | click X Y | dblclick X Y | rclick X Y", CmdMouse},
    {"text", 1, "text TARGET", CmdText},
};

int Usage() {
    std::fprintf(stderr, "usage: Probe COMMAND ... | Probe serve  (TARGET = 0xHANDLE or "
                         "class:NAME)\n");
    for (const Command& command : kCommands) std::fprintf(stderr, "  Probe %s\n", command.usage);
    return 2;
}

int Run(int argc, char** argv) {
    for (const Command& command : kCommands) {
        if (argc < 1 || std::strcmp(argv[0], command.name) != 0) continue;
        if (argc - 1 < command.minArgs) return Usage();
        const int code = command.run(argc - 1, argv + 1);
        return code == 2 ? Usage() : code;
    }
    return Usage();
}

// "serve": one command a line, its arguments separated by tabs, until the input ends; after
// each command's own lines a line {"end":CODE}. One Wine process then answers a whole test.
int Serve() {
    static char line[1 << 16];
    while (std::fgets(line, sizeof line, stdin)) {
        std::vector<char*> args;
        for (char* token = std::strtok(line, "\t\r\n"); token;
             token = std::strtok(nullptr, "\t\r\n"))
            args.push_back(token);
        std::printf("{\"end\":%d}\n", Run(static_cast<int>(args.size()), args.data()));
        std::fflush(stdout);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "serve") == 0) return Serve();
    return Run(argc - 1, argv + 1);
}
