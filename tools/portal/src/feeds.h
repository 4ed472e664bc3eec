// Headlines from local news feed files: RSS 2.0 (also RSS 0.9x/1.0) and Atom, read with pugixml.
// Titles come out cleaned for the reply (printable ASCII, at most kMaxFeedTitle characters);
// links come out usable by the ticker or empty when the item has none that it could open.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "data.h"

namespace portal {

constexpr std::size_t kMaxFeedTitle = 120;
constexpr std::size_t kMaxFeedItems = 50;
constexpr std::size_t kMaxFeedLink = 180;

bool ParseFeed(std::string_view xml, std::vector<Headline>& headlines, std::string& error);
bool LoadFeedFile(const std::string& path, std::vector<Headline>& headlines, std::string& error);

}  // namespace portal
