// Test helper: the strip text and the link addresses that the ticker makes of a reply, read
// with the ticker's own reply parser.
#pragma once

#include <string>
#include <vector>

#include "feed/content_model.h"
#include "feed/reply_parser.h"

namespace portal::test {

struct Strip {
    std::string text;                // segments split by '|', each after its colour marker
    std::vector<std::string> links;  // absolute addresses in reply order
};

inline Strip ReadStrip(const std::string& reply) {
    Strip strip;
    std::vector<char> content(kContentBufferSize);
    auto record = [](void* context, const char*, const char* url, uint32_t) {
        static_cast<Strip*>(context)->links.push_back(url);
    };
    std::size_t length =
        ParseReply(reply.c_str(), content.data(), content.size(), {record, &strip});
    strip.text.assign(content.data(), length);
    return strip;
}

}  // namespace portal::test
