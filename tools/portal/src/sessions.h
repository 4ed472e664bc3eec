// Login sessions of portal accounts: the token that a successful login hands out in the
// tamzo_session cookie, and the account that a token stands for.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace portal {

inline constexpr const char* kSessionCookie = "tamzo_session";

class Sessions {
  public:
    explicit Sessions(std::uint64_t seed) : seed_(seed) {}

    // A new token for the account; the oldest sessions are forgotten beyond kMaxSessions.
    std::string Open(const std::string& login);
    // The account of a token, if it is a live session.
    std::optional<std::string> Find(const std::string& token) const;

    static constexpr std::size_t kMaxSessions = 1000;

  private:
    const std::uint64_t seed_;
    std::uint64_t count_ = 0;
    mutable std::mutex mutex_;
    std::map<std::string, std::string> logins_;  // token -> login
    std::deque<std::string> order_;              // tokens, oldest first
};

// The value of cookie `name` in the given Cookie header values ("" when absent).
std::string CookieValue(const std::vector<std::string>& cookieHeaders, std::string_view name);

}  // namespace portal
