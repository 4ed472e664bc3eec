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
           "  --feed CODE=ADDRESS  take topic CODE's headlines (rt rw rb rp rc rs re) from an\n"
           "                    RSS or Atom feed: an http:// or https:// address or a file; may\n"
           "                    be repeated, also for one topic (its sources are merged)\n"
           "  --feeds FILE      read more CODE ADDRESS pairs from FILE, one a line, # comments\n"
           "  --quotes ADDRESS  quotes from a CSV source (symbol,last,change,previous close)\n"
           "  --refresh SECONDS fetch every source this often (default 300)\n"
           "  --cache DIR       last good copies of the sources (default: cache beside the data)\n"
           "  --ca-file FILE    certificates to trust for https sources (default: the system's)\n"
           "  --connect-timeout SECONDS  to open a source's connection (default 10)\n"
           "  --timeout SECONDS whole fetch of a source, redirects included (default 30)\n"
           "  --frozen          quotes never move\n"
           "  --seed N          seed of the quote simulator and of session tokens (default 1)\n"
           "  --raw-reply FILE  answer every /zrt/update with the bytes of FILE\n"
           "  --empty-reply     answer every /zrt/update with an empty body\n"
           "  --log FILE        append one JSON line per request to FILE\n"
           "  --help            show this text\n";
}

bool ParseOptions(const std::vector<std::string>& args, Options& options, std::string& error) {
    PortalOptions& p = options.portal;
    const std::pair<const char*, std::string*> texts[] = {
        {"--bind", &options.bind},        {"--data", &p.dataDir},   {"--feeds", &p.feedList},
        {"--quotes", &p.quotesAddress},   {"--cache", &p.cacheDir}, {"--ca-file", &p.caFile},
        {"--raw-reply", &p.rawReplyFile}, {"--log", &p.logFile}};
    struct Number {
        const char* name;
        unsigned long long min, max;
        int* out;
    };
    const Number numbers[] = {{"--port", 0, 65535, &options.port},
                              {"--refresh", 1, 86400, &p.refreshSeconds},
                              {"--connect-timeout", 1, 300, &p.connectSeconds},
                              {"--timeout", 1, 600, &p.timeoutSeconds}};

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
        bool known = false;
        for (const auto& [name, out] : texts) {
            if (arg != name) continue;
            if (!value(*out)) return false;
            known = true;
        }
        for (const Number& n : numbers) {
            if (arg != n.name) continue;
            unsigned long long number = 0;
            if (!value(v)) return false;
            if (!ParseNumber(v, n.max, number) || number < n.min) {
                error = arg + " wants a number from " + std::to_string(n.min) + " to " +
                        std::to_string(n.max) + ", not '" + v + "'";
                return false;
            }
            *n.out = static_cast<int>(number);
            known = true;
        }
        if (known) continue;
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--feed") {
            if (!value(v)) return false;
            std::size_t eq = v.find('=');
            if (eq == std::string::npos || eq == 0 || eq + 1 == v.size()) {
                error = "--feed wants CODE=ADDRESS, e.g. rt=https://news.example/top.rss, not '" +
                        v + "'";
                return false;
            }
            p.feeds.emplace_back(v.substr(0, eq), v.substr(eq + 1));
        } else if (arg == "--frozen") {
            p.frozen = true;
        } else if (arg == "--seed") {
            unsigned long long n = 0;
            if (!value(v)) return false;
            if (!ParseNumber(v, ~0ull, n)) {
                error = "--seed wants a non-negative number, not '" + v + "'";
                return false;
            }
            p.seed = n;
        } else if (arg == "--empty-reply") {
            p.emptyReply = true;
        } else {
            error = "unknown option '" + arg + "'";
            return false;
        }
    }
    return true;
}

}  // namespace portal
