// Command-line options of the portal program.
#pragma once

#include <string>
#include <vector>

#include "server.h"

namespace portal {

struct Options {
    std::string bind = "127.0.0.1";
    int port = 8080;  // 0: any free port
    bool help = false;
    PortalOptions portal;
};

// Fills `options` from the arguments after the program name. On a bad argument returns false
// with a message in `error`.
bool ParseOptions(const std::vector<std::string>& args, Options& options, std::string& error);

const char* UsageText();

}  // namespace portal
