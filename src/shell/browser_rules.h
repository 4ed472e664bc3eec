// Text rules of opening a page in the browser: which page a point asks for, the trimming of
// the shell's open command for http, the query text of a search, and how an address goes into
// a DDE item or onto a command line. Plain text in fixed buffers, no Windows types.
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
// What follows the address in the item of a "WWW_OpenURL" request.
constexpr char kOpenUrlTail[] = ",,0xFFFFFFFF,0x03";
// A DDE item is a DDE string, which holds at most 255 characters: an item any longer reaches
// no browser.
constexpr size_t kMaxDdeItemLength = 255;

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
// A query too long for the address to reach a browser in a DDE item (some 200 characters) is
// first shortened in place, at the end of its last word that fits (a word longer than all the
// room is cut where the room ends), so that a long search still opens.
void BuildSearchAddress(char* address, size_t size, const char* root, char* query);

// An address as it may go into a DDE item or onto a command line: every blank, double or
// single quote, control byte and byte above 0x7E becomes %XX (upper-case hex), so that the
// address stays one argument and one item field whatever a feed put into it. Every other byte,
// '%' included, stays as it is, so an ordinary address is passed on byte for byte. Returns
// false, leaving dst empty, when the whole encoded address does not fit its size bytes.
bool EncodeAddress(char* dst, size_t size, const char* address);
// The length EncodeAddress gives the address.
size_t EncodedAddressLength(const char* address);

// The item of a "WWW_OpenURL" request: the encoded address followed by kOpenUrlTail. Returns
// false, leaving item empty, when it does not fit size bytes or kMaxDdeItemLength characters.
bool BuildOpenUrlItem(char* item, size_t size, const char* encodedAddress);

// The command line that starts the registered browser: the trimmed command from its first
// non-blank (some loaders take leading blanks as part of the program name), then the encoded
// address directly. Returns false, leaving line empty, when the command holds nothing to start
// or the whole line does not fit size bytes.
bool BuildBrowserCommandLine(char* line, size_t size, const char* command,
                             const char* encodedAddress);
