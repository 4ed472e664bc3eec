// Text rules of opening a page in the browser: which page a point asks for, the trimming of
// the shell's open command for http, and the query text of a search. Plain text in fixed
// buffers, no Windows types.
#pragma once
#include <cstddef>
#include <cstdint>

// The shell's command for http as read from the registry, and its trimmed form.
constexpr size_t kBrowserCommandSize = 260;
// Up to this many characters of the search box go into a search address.
constexpr size_t kSearchQueryLength = 255;
// The path and query key that a search adds to the search server's root.
constexpr char kSearchPath[] = "/bin/search?p=";
// The help page: a file in the install folder.
constexpr char kHelpFileName[] = "\\zrthelp.html";

// The longest address any request can make: a search (root, path, full query), the help page
// in the longest install folder, or a link of the strip.
constexpr size_t kMaxAddressLength(size_t rootLength, size_t installPathLength, size_t linkLength) {
    size_t search = rootLength + sizeof kSearchPath - 1 + kSearchQueryLength;
    size_t help = installPathLength + sizeof kHelpFileName - 1;
    size_t longest = search > help ? search : help;
    return longest > linkLength ? longest : linkLength;
}

// A point of the ticker window's client area, or one of the points below that name a page.
struct PagePoint {
    int32_t x, y;
};
constexpr PagePoint kHelpPagePoint{-2, -2};
constexpr PagePoint kSymbolLookupPoint{-1, 0};  // as any other point left of the window
// A point in the logo area of a window stripWidth wide: the search page.
constexpr PagePoint SearchPagePoint(int32_t stripWidth) { return {stripWidth - 1, 1}; }

// What a call with the point opens. stripWidth is the ticker window's client width. The tests
// run in this order: the logo area first, then the strip, then the help request.
enum class BrowserPage { kSearch, kStripItem, kHelp, kSymbolLookup };
BrowserPage PageForPoint(PagePoint point, int32_t stripWidth);

// Trims the registry's command in place (a buffer of size bytes, terminated within it):
// cuts it at the first "-nohome", or failing that at the first "-h", then turns a leading
// double quote and a double quote in the next-to-last place into spaces. What remains is the
// program path, to which the address is appended directly.
void TrimBrowserCommand(char* command, size_t size);

// Makes the query of a search from the search box's text: at most kSearchQueryLength
// characters, a space becomes '+', any other byte below 0x20 or from 0x80 up becomes a space.
// Returns the length written into query (size bytes, always terminated).
size_t SearchQueryFromBoxText(char* query, size_t size, const char* boxText);

// The search address: the root alone, or root + kSearchPath + query when query is not empty.
void BuildSearchAddress(char* address, size_t size, const char* root, const char* query);
