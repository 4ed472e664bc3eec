#include "shell/browser_rules.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string Trimmed(const char* registryValue) {
    char command[kBrowserCommandSize] = {};
    size_t n = std::strlen(registryValue);
    std::memcpy(command, registryValue, n < sizeof command ? n : sizeof command);  // may fill all
    TrimBrowserCommand(command, sizeof command);
    return command;
}

std::string Query(const char* boxText) {
    char query[kSearchQueryLength + 1];
    SearchQueryFromBoxText(query, sizeof query, boxText);
    return query;
}

}  // namespace

TEST(BrowserCommand, OptionIsCutAndQuotesBecomeSpaces) {
    // A quoted path and "-nohome": both quotes become spaces, the option goes, and the address
    // will follow after two spaces.
    EXPECT_EQ(" C:\\NS\\netscape.exe  ", Trimmed("\"C:\\NS\\netscape.exe\" -nohome"));
    // "-h" and a quoted placeholder: both go.
    EXPECT_EQ(" C:\\IE\\iexplore.exe  ", Trimmed("\"C:\\IE\\iexplore.exe\" -h \"%1\""));
    // "-nohome" wins over the "-h" it contains, and over an earlier "-h" elsewhere.
    EXPECT_EQ(" C:\\x-hy\\b.exe  ", Trimmed("\"C:\\x-hy\\b.exe\" -nohome -h"));
    // The first "-h" is the cut, even inside a path.
    EXPECT_EQ(" C:\\x", Trimmed("\"C:\\x-h\\b.exe\" \"%1\""));
}

TEST(BrowserCommand, OnlyTheFirstAndNextToLastCharactersAreLookedAt) {
    EXPECT_EQ("C:\\b.exe ", Trimmed("C:\\b.exe "));                     // nothing to change
    EXPECT_EQ(" C:\\b.exe\" \"%1\"", Trimmed("\"C:\\b.exe\" \"%1\""));  // last quote stays
    EXPECT_EQ(" a  ", Trimmed("\"a\" "));
    EXPECT_EQ(" ", Trimmed("\""));      // one character: only the first rule applies
    EXPECT_EQ(" \"", Trimmed("\"\""));  // the first rule has already changed index 0
    EXPECT_EQ("", Trimmed(""));
    EXPECT_EQ("", Trimmed("-nohome"));
}

TEST(BrowserCommand, AValueThatFillsTheWholeFieldIsEndedInside) {
    std::string full(kBrowserCommandSize, 'x');
    std::string trimmed = Trimmed(full.c_str());
    EXPECT_EQ(kBrowserCommandSize - 1, trimmed.size());
}

TEST(SearchQuery, SpacesBecomePlusAndOtherBytesOutsidePrintableAsciiSpaces) {
    EXPECT_EQ("two+words", Query("two words"));
    EXPECT_EQ("two+words  ", Query("two words\r\n"));  // Enter leaves its line break in the box
    EXPECT_EQ("caf  +cr me", Query("caf\xc3\xa9 cr\xe8me"));
    EXPECT_EQ(" a b", Query("\ta\x1f"
                            "b"));
    EXPECT_EQ("a&b=c%d", Query("a&b=c%d"));  // nothing else is escaped
    EXPECT_EQ("", Query(""));
}

TEST(SearchQuery, AtMost255CharactersAreTaken) {
    std::string text(400, 'q');
    EXPECT_EQ(std::string(255, 'q'), Query(text.c_str()));
    char small[4];
    EXPECT_EQ(3u, SearchQueryFromBoxText(small, sizeof small, "a b c"));
    EXPECT_STREQ("a+b", small);
}

TEST(SearchQuery, AddressIsTheRootAloneWithoutAQuery) {
    char address[400];
    BuildSearchAddress(address, sizeof address, "http://search.example", "two+words");
    EXPECT_STREQ("http://search.example/bin/search?p=two+words", address);
    BuildSearchAddress(address, sizeof address, "http://search.example", "");
    EXPECT_STREQ("http://search.example", address);
    char tiny[10];
    BuildSearchAddress(tiny, sizeof tiny, "http://search.example", "x");
    EXPECT_STREQ("http://se", tiny);
}

TEST(BrowserPoint, RegionsOfTheTickerWindowAndTheSpecialRequests) {
    const int w = 341;
    EXPECT_EQ(BrowserPage::kSearch, PageForPoint({w - 64, 5}, w));     // logo area
    EXPECT_EQ(BrowserPage::kSearch, PageForPoint({w - 1, 1}, w));      // Enter in the search box
    EXPECT_EQ(BrowserPage::kStripItem, PageForPoint({w - 65, 5}, w));  // last strip column
    EXPECT_EQ(BrowserPage::kStripItem, PageForPoint({0, 0}, w));
    EXPECT_EQ(BrowserPage::kHelp, PageForPoint({-2, -2}, w));
    EXPECT_EQ(BrowserPage::kSymbolLookup, PageForPoint({-1, 0}, w));  // "Find..."
    EXPECT_EQ(BrowserPage::kSymbolLookup, PageForPoint({-2, 0}, w));
    EXPECT_EQ(BrowserPage::kSymbolLookup, PageForPoint({-1000, -2}, w));
}
