// Parsing of the portal's command line (see options.h).
#include "options.h"

#include <cctype>

namespace portal {

namespace {

bool ParseNumber(const std::string& text, unsigned long long max, unsigned long long& value) {
    if (text.empty() || text.size() > 20) return false;
    value = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
        unsigned long long digit = static_cast<unsigned long long>(c - '0');
        if (value > (max - digit) / 10) return false;
        value = value * 10 + digit;
    }
    return true;
}

}  // namespace

const char* UsageText() {
    return "usage: portal [options]\n"
           "  --port N          listen on port N (default 8080; 0 picks a free port)\n"
           "  --bind ADDR       listen address (default 127.0.0.1)\n"
           "  --data DIR        content directory (default: the sample data shipped with the "
           "portal)\n"
           "  --feed CODE=FILE  take topic CODE's headlines (rt rw rb rp rc rs re) from an RSS or\n"
           "                    Atom file; may be repeated\n"
           "  --frozen          quotes never move\n"
           "  --seed N          seed of the quote simulator and of session tokens (default 1)\n"
           "  --raw-reply FILE  answer every /zrt/update with the bytes of FILE\n"
           "  --empty-reply     answer every /zrt/update with an empty body\n"
           "  --log FILE        append one JSON line per request to FILE\n"
           "  --help            show this text\n";
}

bool ParseOptions(const std::vector<std::string>& args, Options& options, std::string& error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) {
                error = arg + " needs a value";
                return false;
            }
            out = args[++i];
            return true;
        };
        std::string v;
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--port") {
            unsigned long long n = 0;
            if (!value(v)) return false;
            if (!ParseNumber(v, 65535, n)) {
                error = "--port wants a number from 0 to 65535, not '" + v + "'";
                return false;
            }
            options.port = static_cast<int>(n);
        } else if (arg == "--bind") {
            if (!value(options.bind)) return false;
        } else if (arg == "--data") {
            if (!value(options.portal.dataDir)) return false;
        } else if (arg == "--feed") {
            if (!value(v)) return false;
            std::size_t eq = v.find('=');
            if (eq == std::string::npos || eq == 0 || eq + 1 == v.size()) {
                error = "--feed wants CODE=FILE, e.g. rt=news.xml, not '" + v + "'";
                return false;
            }
            options.portal.feeds.emplace_back(v.substr(0, eq), v.substr(eq + 1));
        } else if (arg == "--frozen") {
            options.portal.frozen = true;
        } else if (arg == "--seed") {
            unsigned long long n = 0;
            if (!value(v)) return false;
            if (!ParseNumber(v, ~0ull, n)) {
                error = "--seed wants a non-negative number, not '" + v + "'";
                return false;
            }
            options.portal.seed = n;
        } else if (arg == "--raw-reply") {
            if (!value(options.portal.rawReplyFile)) return false;
        } else if (arg == "--empty-reply") {
            options.portal.emptyReply = true;
        } else if (arg == "--log") {
            if (!value(options.portal.logFile)) return false;
        } else {
            error = "unknown option '" + arg + "'";
            return false;
        }
    }
    return true;
}

}  // namespace portal
