// The portal's content: quotes, headlines per news topic, airport weather and accounts,
// loaded from a data directory of plain text files (layout in README.md).
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "prices.h"

namespace portal {

struct Topic {
    const char* code;   // request code and reply tag, e.g. "rt"
    const char* label;  // column-1 label in the reply, e.g. "Top Stories:"
    const char* name;   // plain name for pages, e.g. "US"
};

// The seven news topics in their usual order.
const std::vector<Topic>& NewsTopics();
const Topic* FindTopic(std::string_view code);

struct Headline {
    std::string title;
    std::string link;  // without "http://" for the portal's own stories
};

// Headlines by topic code, in reply order.
using News = std::map<std::string, std::vector<Headline>>;

struct Weather {
    std::string code;  // airport code, upper case
    std::string city;  // may be empty
    int fahrenheit = 0;
    std::string sky;
};

struct Account {
    std::string login;
    std::string password;
    std::string selection;  // a content query, e.g. "stocks=^DJI,IBM&news=3,rb"
};

struct Catalog {
    std::vector<Quote> quotes;     // in file order
    News news;                     // of the data directory
    std::vector<Weather> weather;  // in file order
    std::vector<Account> accounts;

    const Quote* FindQuote(std::string_view symbol) const;
    const Weather* FindWeather(std::string_view code) const;
    const Account* FindAccount(std::string_view login) const;
};

// Address of the portal's own page for story `index` (1-based) of a topic, without "http://".
std::string StoryLink(std::string_view topicCode, std::size_t index);

// Address of the story page of a live headline, e.g.
// "my.tamzo.example/story/0123456789abcdef.html".
std::string LiveStoryLink(std::string_view id);

// Weather for an airport that the data does not know: derived from the code's letters only.
Weather MadeUpWeather(const std::string& code);

// Loads every file of `dir`. A missing file gives an empty table and a warning; a malformed
// line is skipped with a warning. Fails only when the directory cannot be read at all.
bool LoadCatalog(const std::string& dir, Catalog& catalog, std::vector<std::string>& warnings,
                 std::string& error);

}  // namespace portal
