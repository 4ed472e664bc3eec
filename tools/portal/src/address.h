// Web addresses of feed sources and articles: split into their parts for the HTTP client, and
// references (redirects, relative article links) resolved against the address they came from.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace portal {

struct Address {
    std::string scheme;  // "http" or "https", lower case
    std::string host;    // lower case; an IPv6 literal keeps its brackets
    int port = 0;        // given or the scheme's own
    std::string target;  // path and query, beginning with '/'; no fragment
};

// An absolute http or https address. None for other schemes, user names, bad ports, or
// bytes outside printable ASCII.
std::optional<Address> ParseAddress(std::string_view text);

// "https://host:port", as the HTTP client takes it.
std::string OriginOf(const Address& address);

// The address that `reference` names when found at `base`: absolute, scheme-relative
// ("//host/x"), rooted ("/x") or relative ("x", "../x"). "" when the result is no http(s)
// address.
std::string ResolveAddress(std::string_view base, std::string_view reference);

}  // namespace portal
