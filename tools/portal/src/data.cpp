// Loading of the portal's sample content from a data directory (see data.h).
#include "data.h"

#include <sys/stat.h>

#include <fstream>
#include <functional>

#include "text.h"

namespace portal {

namespace {

constexpr std::size_t kMaxLineLength = 2000;
constexpr std::size_t kMaxLines = 5000;
constexpr std::size_t kMaxHeadlineLength = 120;

const char* const kSkies[] = {"Sunny", "Clear",   "Cloudy", "Partly Cloudy",
                              "Rain",  "Showers", "Fog",    "Windy"};

// Reads the meaningful lines of a text file: trimmed, without blank lines and '#' comments.
// Returns false when the file cannot be opened.
bool ReadLines(const std::string& path, std::vector<std::pair<int, std::string>>& lines,
               std::vector<std::string>& warnings) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::string line;
    int number = 0;
    while (std::getline(in, line) && lines.size() < kMaxLines) {
        ++number;
        if (line.size() > kMaxLineLength) {
            warnings.push_back(path + ":" + std::to_string(number) + ": line too long, skipped");
            continue;
        }
        std::string t = Trim(line);
        if (t.empty() || t[0] == '#') continue;
        lines.emplace_back(number, t);
    }
    return true;
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> parts = Split(line, '|');
    for (auto& p : parts) p = Trim(p);
    return parts;
}

// Calls `read` with the fields of each meaningful line of a table file; a line it refuses is
// skipped with a warning that names the kind of line. A missing file gives a warning.
void ReadTable(const std::string& path, const std::string& kind, std::vector<std::string>& warnings,
               const std::function<bool(const std::vector<std::string>&)>& read) {
    std::vector<std::pair<int, std::string>> lines;
    if (!ReadLines(path, lines, warnings)) {
        warnings.push_back(path + ": missing, no " + kind + " loaded");
        return;
    }
    for (const auto& [number, line] : lines)
        if (!read(Fields(line)))
            warnings.push_back(path + ":" + std::to_string(number) + ": bad " + kind +
                               " line, skipped");
}

void LoadQuotes(const std::string& path, Catalog& catalog, std::vector<std::string>& warnings) {
    ReadTable(path, "quote", warnings, [&](const std::vector<std::string>& f) {
        // SYMBOL | PRICE | CHANGE | NAME
        Quote q;
        if (f.size() < 3 || f[0].empty() || f[0].size() > 12 ||
            !ParsePrice(f[1], q.unit, q.price) || !ParseChange(f[2], q.unit, q.change) ||
            q.price - q.change <= 0)
            return false;
        q.symbol = ToUpper(f[0]);
        q.name = f.size() > 3 ? CleanText(f[3], 60) : "";
        if (!catalog.FindQuote(q.symbol)) catalog.quotes.push_back(q);
        return true;
    });
}

void LoadNews(const std::string& dir, Catalog& catalog, std::vector<std::string>& warnings) {
    for (const Topic& topic : NewsTopics()) {
        std::string path = dir + "/news/" + topic.code + ".txt";
        std::vector<std::pair<int, std::string>> lines;
        if (!ReadLines(path, lines, warnings)) {
            warnings.push_back(path + ": missing, no headlines for this topic");
            continue;
        }
        std::vector<Headline>& list = catalog.news[topic.code];
        for (const auto& line : lines) {
            std::string title = CleanText(line.second, kMaxHeadlineLength);
            list.push_back({title, StoryLink(topic.code, list.size() + 1)});
        }
    }
}

void LoadWeather(const std::string& path, Catalog& catalog, std::vector<std::string>& warnings) {
    ReadTable(path, "weather", warnings, [&](const std::vector<std::string>& f) {
        // CODE | CITY | FAHRENHEIT | SKY
        char* end = nullptr;
        long temp = f.size() == 4 ? std::strtol(f[2].c_str(), &end, 10) : 0;
        if (f.size() != 4 || f[0].empty() || f[0].size() > 5 || f[2].empty() || *end != '\0' ||
            temp < -80 || temp > 140)
            return false;
        Weather w{ToUpper(f[0]), CleanText(f[1], 40), static_cast<int>(temp), CleanText(f[3], 30)};
        if (!catalog.FindWeather(w.code)) catalog.weather.push_back(w);
        return true;
    });
}

void LoadAccounts(const std::string& path, Catalog& catalog, std::vector<std::string>& warnings) {
    ReadTable(path, "account", warnings, [&](const std::vector<std::string>& f) {
        // LOGIN | PASSWORD | SELECTION
        if (f.size() != 3 || f[0].empty()) return false;
        if (!catalog.FindAccount(f[0])) catalog.accounts.push_back({f[0], f[1], f[2]});
        return true;
    });
}

}  // namespace

const std::vector<Topic>& NewsTopics() {
    static const std::vector<Topic> topics = {
        {"rt", "Top Stories:", "US"},
        {"rw", "World:", "World"},
        {"rb", "Business:", "Business"},
        {"rp", "Politics:", "Politics"},
        {"rc", "Technology:", "Technology"},
        {"rs", "Sports:", "Sports"},
        {"re", "Entertainment:", "Entertainment"},
    };
    return topics;
}

const Topic* FindTopic(std::string_view code) {
    for (const Topic& t : NewsTopics())
        if (code == t.code) return &t;
    return nullptr;
}

const Quote* Catalog::FindQuote(std::string_view symbol) const {
    for (const Quote& q : quotes)
        if (q.symbol == symbol) return &q;
    return nullptr;
}

const Weather* Catalog::FindWeather(std::string_view code) const {
    for (const Weather& w : weather)
        if (w.code == code) return &w;
    return nullptr;
}

const Account* Catalog::FindAccount(std::string_view login) const {
    for (const Account& a : accounts)
        if (a.login == login) return &a;
    return nullptr;
}

std::string StoryLink(std::string_view topicCode, std::size_t index) {
    return "my.tamzo.example/news/" + std::string(topicCode) + "/" + std::to_string(index) +
           ".html";
}

std::string LiveStoryLink(std::string_view id) {
    return "my.tamzo.example/story/" + std::string(id) + ".html";
}

Weather MadeUpWeather(const std::string& code) {
    std::uint64_t h = StableHash(code);
    return {code, "", static_cast<int>(10 + h % 80), kSkies[(h >> 8) % 8]};
}

bool LoadCatalog(const std::string& dir, Catalog& catalog, std::vector<std::string>& warnings,
                 std::string& error) {
    struct stat st {};
    if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        error = "data directory not found: " + dir;
        return false;
    }
    catalog = Catalog{};
    LoadQuotes(dir + "/quotes.txt", catalog, warnings);
    LoadNews(dir, catalog, warnings);
    LoadWeather(dir + "/weather.txt", catalog, warnings);
    LoadAccounts(dir + "/accounts.txt", catalog, warnings);
    return true;
}

}  // namespace portal
