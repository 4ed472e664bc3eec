// Test helper: what the ticker makes of a content reply. It turns reply bytes into the strip
// text (segments split by '|', odd ones labels, even ones values, an optional colour marker
// first) and the list of link addresses, following the ticker's reply grammar, so tests can
// check what a reply will look like on the strip rather than only its bytes.
#pragma once

#include <cctype>
#include <string>
#include <vector>

namespace portal::model {

struct Strip {
    std::string text;                // up to the first zero byte, as the ticker would show it
    std::vector<std::string> links;  // absolute addresses in reply order
};

inline Strip readStrip(const std::string& reply) {
    Strip strip;
    std::vector<char> out(reply.size() * 6 + 16, '\0');
    std::size_t w = 0, i = 0;
    auto at = [&](std::size_t k) -> unsigned char {
        return k < reply.size() ? static_cast<unsigned char>(reply[k]) : 0;
    };
    auto isText = [](unsigned char c) { return c >= 0x1F && c <= 0x7F; };
    auto lower = [](std::string s) {
        for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return s;
    };
    char column = '1', marker = '\0';
    std::string tag = "  ";
    while (unsigned char c = at(i)) {
        if (c == 0x0E) {
            tag = {static_cast<char>(at(i + 1)), static_cast<char>(at(i + 2))};
            i += 3;
        } else if (c == 0x05) {
            char code = static_cast<char>(at(i + 1));
            if (code == column) {
                ++i;
                continue;
            }
            column = code;
            out[w++] = '|';
            const std::string rs = "t{w}b~p!s@e^c?";
            if (tag[0] == 's')
                marker = '@';
            else if (tag[0] == 'v')
                marker = '^';
            else if (tag[0] == 'q')
                marker = '%';
            else if (tag[0] == 'w')
                marker = '{';
            else if (tag[0] == 'r')
                for (std::size_t k = 0; k < rs.size(); k += 2)
                    if (rs[k] == tag[1]) marker = rs[k + 1];
            out[w] = marker;
            if (tag[0] != 'q') ++w;
            i += 2;
        } else if (c == 0x0B) {
            ++i;
            if (tag[0] == 'q') {
                bool any = false;
                for (std::size_t k = i; isText(at(k)); ++k) {
                    if (at(k) == '+' || at(k) == '-') {
                        out[w] = static_cast<char>(at(k));
                        any = true;
                    }
                    if (at(k) == '0') any = true;
                }
                if (any) ++w;
            }
            unsigned char last = 0;
            while (isText(at(i))) {
                std::string ahead = lower(reply.substr(i + 1, 4));
                if (at(i) == '&' && (ahead.rfind("amp", 0) == 0 || ahead == "quot")) {
                    if (ahead == "quot") out[w++] = '"';
                    while (at(i) && at(i) != ';') ++i;
                    if (!at(i)) break;
                    last = at(i++);
                    if (isText(at(i)))
                        last = static_cast<unsigned char>(out[w++] = static_cast<char>(at(i++)));
                    continue;
                }
                last = at(i);
                out[w++] = static_cast<char>(at(i++));
            }
            if (at(i) == 0x0B)
                ++i;
            else if (last == ':') {
                out[w++] = ' ';
                out[w++] = ' ';
            }
            if (column == '2' && lower(tag) != "qt" && lower(tag) != "wt")
                for (char b : std::string("  \x95  ")) out[w++] = b;
            out[w] = '\0';
        } else if (c == 0x0D) {
            std::string link(1, static_cast<char>(at(i + 1)));
            i += 2;
            while (isText(at(i))) link += static_cast<char>(at(i++));
            if (at(i)) ++i;
            strip.links.push_back(lower(link.substr(0, 5)) == "http:" ? link : "http://" + link);
        } else {
            ++i;
        }
    }
    out[w++] = '|';
    strip.text = std::string(out.data());
    return strip;
}

}  // namespace portal::model
