// Web addresses (see address.h).
#include "address.h"

#include <cctype>
#include <cstdlib>

#include "text.h"

namespace portal {

namespace {

bool Printable(std::string_view s) {
    for (unsigned char c : s)
        if (c <= ' ' || c >= 0x7F) return false;
    return true;
}

// "/a/b/../c/./d" -> "/a/c/d".
std::string RemoveDotSegments(std::string_view path) {
    std::string out;
    for (const std::string& segment : Split(path.substr(1), '/')) {
        if (segment == "..") {
            std::size_t slash = out.rfind('/');
            out.resize(slash == std::string::npos ? 0 : slash);
        } else if (segment != ".") {
            out += "/" + segment;
        }
    }
    bool endsInDirectory = path.size() > 1 && (EndsWithNoCase(path, "/.") ||
                                               EndsWithNoCase(path, "/..") || path.back() == '/');
    if (endsInDirectory && (out.empty() || out.back() != '/')) out += '/';
    return out.empty() ? "/" : out;
}

}  // namespace

std::optional<Address> ParseAddress(std::string_view text) {
    std::string s = Trim(text);
    s = s.substr(0, s.find('#'));
    std::size_t colon = s.find("://");
    if (colon == std::string::npos || !Printable(s)) return std::nullopt;
    Address a;
    a.scheme = ToLower(s.substr(0, colon));
    if (a.scheme != "http" && a.scheme != "https") return std::nullopt;
    std::size_t start = colon + 3;
    std::size_t end = s.find_first_of("/?", start);
    std::string authority = s.substr(start, end == std::string::npos ? end : end - start);
    a.target = end == std::string::npos ? "/" : s.substr(end);
    if (a.target[0] == '?') a.target = "/" + a.target;
    if (authority.empty() || authority.find('@') != std::string::npos) return std::nullopt;

    std::size_t portColon = authority.rfind(':');
    if (portColon != std::string::npos && authority.find(']', portColon) == std::string::npos) {
        std::string digits = authority.substr(portColon + 1);
        authority.resize(portColon);
        if (digits.empty() || digits.size() > 5) return std::nullopt;
        for (char c : digits)
            if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
        a.port = std::atoi(digits.c_str());
        if (a.port < 1 || a.port > 65535) return std::nullopt;
    } else {
        a.port = a.scheme == "https" ? 443 : 80;
    }
    a.host = ToLower(authority);
    if (a.host.empty()) return std::nullopt;
    return a;
}

std::string OriginOf(const Address& address) {
    return address.scheme + "://" + address.host + ":" + std::to_string(address.port);
}

std::string ResolveAddress(std::string_view base, std::string_view reference) {
    std::string ref = Trim(reference);
    ref = ref.substr(0, ref.find('#'));
    if (ParseAddress(ref)) return ref;
    // Another scheme ("mailto:", "javascript:") is no web address.
    std::size_t colon = ref.find(':');
    if (colon != std::string::npos && ref.find_first_of("/?") > colon) return "";
    std::optional<Address> b = ParseAddress(base);
    if (!b || ref.empty()) return "";
    std::string resolved;
    if (ref.rfind("//", 0) == 0) {
        resolved = b->scheme + ":" + ref;
    } else {
        std::string origin = b->scheme + "://" + b->host;
        if (b->port != (b->scheme == "https" ? 443 : 80)) origin += ":" + std::to_string(b->port);
        std::string path = b->target.substr(0, b->target.find('?'));
        std::string query;
        if (ref[0] == '?') {
            query = ref;
        } else {
            std::size_t q = ref.find('?');
            std::string refPath = ref.substr(0, q);
            query = q == std::string::npos ? "" : ref.substr(q);
            path = refPath[0] == '/' ? refPath : path.substr(0, path.rfind('/') + 1) + refPath;
        }
        resolved = origin + RemoveDotSegments(path) + query;
    }
    return ParseAddress(resolved) ? resolved : "";
}

}  // namespace portal
