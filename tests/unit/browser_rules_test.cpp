#include "shell/browser_rules.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

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
    EXPECT_EQ(" ", Trimmed("\""));      // one character: only the first rule applies
    EXPECT_EQ(" \"", Trimmed("\"\""));  // the first rule has already changed index 0
    EXPECT_EQ("", Trimmed(""));
    EXPECT_EQ("", Trimmed("-nohome"));
}

TEST(SearchQuery, SpacesBecomePlusAndOtherBytesOutsidePrintableAsciiSpaces) {
    EXPECT_EQ("caf  +cr me", Query("caf\xc3\xa9 cr\xe8me"));
    EXPECT_EQ(" a b", Query("\ta\037b"));
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

std::string SearchAddress(std::string query, const char* root = "http://search.example") {
    char address[400];
    BuildSearchAddress(address, sizeof address, root, &query[0]);
    return address;
}

TEST(SearchQuery, AddressIsTheRootAloneWithoutAQuery) {
    EXPECT_EQ("http://search.example/bin/search?p=two+words", SearchAddress("two+words"));
    EXPECT_EQ("http://search.example", SearchAddress(""));
    char tiny[10], x[] = "x";
    BuildSearchAddress(tiny, sizeof tiny, "http://search.example", x);
    EXPECT_STREQ("http://se", tiny);
}

TEST(SearchQuery, AQueryTooLongForADdeItemEndsWithItsLastWordThatFits) {
    // Root, path and item tail take 21 + 14 + 17 characters: 203 are left for the query, an
    // encoded blank (a line break the box held) taking three.
    const std::string path = "http://search.example/bin/search?p=";
    const std::string words = std::string(190, 'a') + "+bbbbbbbbbbbbb+c";  // 13 b
    EXPECT_EQ(path + std::string(190, 'a'), SearchAddress(words));
    EXPECT_EQ(path + std::string(203, 'a'), SearchAddress(std::string(255, 'a')));  // one word
    EXPECT_EQ(path + "aaaa", SearchAddress("aaaa  " + std::string(250, 'b')));  // no dangling break
    EXPECT_EQ(path + std::string(202, 'a') + "+", SearchAddress(std::string(202, 'a') + "+"));
}

TEST(BrowserAddress, BlanksQuotesControlAndHighBytesAreEncodedAndNothingElse) {
    // Address and its encoding (none: the same bytes).
    const std::pair<const char*, const char*> cases[] = {
        // Ordinary addresses stay byte for byte: '%' and the characters only a command shell
        // would mind.
        {"http://x/a%20b?q=1+2&r=<>|{}~`;()*", nullptr},
        {"", nullptr},
        {"http://x/a b", "http://x/a%20b"},
        {"http://x/\"a\" -nohome 'b'", "http://x/%22a%22%20-nohome%20%27b%27"},
        {"\t\r\n\x01\x1f\x7f\x80\xe9\xff", "%09%0D%0A%01%1F%7F%80%E9%FF"},
    };
    for (auto [address, encoded] : cases) {
        const std::string want = encoded ? encoded : address;
        char out[128];
        EXPECT_TRUE(EncodeAddress(out, sizeof out, address));
        EXPECT_EQ(want, out);
        EXPECT_EQ(want.size(), EncodedAddressLength(address));
    }
    char small[6] = "junk";
    EXPECT_TRUE(EncodeAddress(small, sizeof small, "a b"));
    EXPECT_STREQ("a%20b", small);
    EXPECT_FALSE(EncodeAddress(small, sizeof small, "a  b"));  // never half an address
    EXPECT_STREQ("", small);
}

TEST(BrowserAddress, DdeItemAndCommandLine) {
    char item[300];
    EXPECT_FALSE(BuildOpenUrlItem(item, sizeof item, std::string(239, 'x').c_str()));  // > 255
    EXPECT_STREQ("", item);

    char line[64];
    EXPECT_FALSE(BuildBrowserCommandLine(line, sizeof line, " \t ", "http://x/"));  // no program
}

TEST(BrowserPoint, RegionsOfTheTickerWindowAndTheSpecialRequests) {
    const int w = 341;
    EXPECT_EQ(BrowserPage::kSearch, PageForPoint({w - 64, 5}, w));     // logo area
    EXPECT_EQ(BrowserPage::kStripItem, PageForPoint({w - 65, 5}, w));  // last strip column
    EXPECT_EQ(BrowserPage::kHelp, PageForPoint({-2, -2}, w));
    EXPECT_EQ(BrowserPage::kSymbolLookup, PageForPoint({-1, 0}, w));  // "Find..."
    EXPECT_EQ(BrowserPage::kSymbolLookup, PageForPoint({-1000, -2}, w));
}
