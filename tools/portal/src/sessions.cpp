// Login sessions and cookie reading (see sessions.h).
#include "sessions.h"

#include <cstdio>

#include "text.h"

namespace portal {

std::string Sessions::Open(const std::string& login) {
    std::lock_guard<std::mutex> lock(mutex_);
    // Tokens follow from the seed, the login and the number of logins so far.
    std::uint64_t z = seed_ ^ StableHash(login) ^ (++count_ * 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    char token[17];
    std::snprintf(token, sizeof token, "%016llx", static_cast<unsigned long long>(z));
    if (logins_.emplace(token, login).second) order_.push_back(token);
    while (order_.size() > kMaxSessions) {
        logins_.erase(order_.front());
        order_.pop_front();
    }
    return token;
}

std::optional<std::string> Sessions::Find(const std::string& token) const {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = logins_.find(token);
    if (it == logins_.end()) return std::nullopt;
    return it->second;
}

std::string CookieValue(const std::vector<std::string>& cookieHeaders, std::string_view name) {
    for (const std::string& header : cookieHeaders) {
        for (const std::string& part : Split(header, ';')) {
            std::string pair = Trim(part);
            std::size_t eq = pair.find('=');
            if (eq != std::string::npos && Trim(pair.substr(0, eq)) == name)
                return Trim(pair.substr(eq + 1));
        }
    }
    return "";
}

}  // namespace portal
