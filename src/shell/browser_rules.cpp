#include "shell/browser_rules.h"

#include <cstring>

#include "base/button_panel.h"
#include "base/text.h"

BrowserPage PageForPoint(PagePoint point, int32_t stripWidth) {
    if (point.x > stripWidth - kLogoFrame) return BrowserPage::kSearch;
    if (point.x >= 0) return BrowserPage::kStripItem;
    if (point.x == kHelpPagePoint.x && point.y == kHelpPagePoint.y) return BrowserPage::kHelp;
    return BrowserPage::kSymbolLookup;
}

void TrimBrowserCommand(char* command, size_t size) {
    if (size == 0) return;
    command[BoundedLength(command, size - 1)] = 0;
    // Only one cut: "-nohome" wins over "-h", which it also contains.
    char* cut = std::strstr(command, "-nohome");
    if (!cut) cut = std::strstr(command, "-h");
    if (cut) *cut = 0;
    size_t length = std::strlen(command);
    if (command[0] == '"') command[0] = ' ';
    if (length >= 2 && command[length - 2] == '"') command[length - 2] = ' ';
}

size_t SearchQueryFromBoxText(char* query, size_t size, const char* boxText) {
    if (size == 0) return 0;
    size_t limit = size - 1 < kSearchQueryLength ? size - 1 : kSearchQueryLength;
    size_t n = 0;
    for (; n < limit && boxText[n]; ++n) {
        unsigned char c = static_cast<unsigned char>(boxText[n]);
        if (c == ' ')
            query[n] = '+';
        else if (c < 0x20 || c >= 0x80)
            query[n] = ' ';
        else
            query[n] = static_cast<char>(c);
    }
    query[n] = 0;
    return n;
}

namespace {

bool NeedsEncoding(unsigned char c) { return c <= ' ' || c >= 0x7F || c == '"' || c == '\''; }

size_t EncodedWidth(char c) { return NeedsEncoding(static_cast<unsigned char>(c)) ? 3 : 1; }

bool IsWordBreak(char c) { return c == '+' || c == ' '; }

// Shortens query so that it takes at most room characters once encoded.
void FitQuery(char* query, size_t room) {
    size_t used = 0, n = 0, lastBreak = 0;
    for (; query[n]; ++n) {
        used += EncodedWidth(query[n]);
        if (used > room) break;
        if (IsWordBreak(query[n])) lastBreak = n;
    }
    if (!query[n]) return;
    // query[n] does not fit: the query ends with the last word before it, without the breaks
    // after that word; a first word longer than the room is cut where the room ends.
    size_t cut = IsWordBreak(query[n]) ? n : lastBreak;
    while (cut > 0 && IsWordBreak(query[cut - 1])) --cut;
    query[cut ? cut : n] = 0;
}

}  // namespace

void BuildSearchAddress(char* address, size_t size, const char* root, char* query) {
    CopyText(address, size, root);
    const size_t fixed =
        EncodedAddressLength(root) + sizeof kSearchPath - 1 + sizeof kOpenUrlTail - 1;
    FitQuery(query, fixed < kMaxDdeItemLength ? kMaxDdeItemLength - fixed : 0);
    if (!query[0]) return;
    AppendText(address, size, kSearchPath);
    AppendText(address, size, query);
}

size_t EncodedAddressLength(const char* address) {
    size_t length = 0;
    for (; *address; ++address) length += EncodedWidth(*address);
    return length;
}

bool EncodeAddress(char* dst, size_t size, const char* address) {
    static const char kHex[] = "0123456789ABCDEF";
    if (size == 0) return false;
    if (EncodedAddressLength(address) >= size) {
        dst[0] = 0;
        return false;
    }
    for (; *address; ++address) {
        const unsigned char c = static_cast<unsigned char>(*address);
        if (NeedsEncoding(c)) {
            *dst++ = '%';
            *dst++ = kHex[c >> 4];
            *dst++ = kHex[c & 15];
        } else {
            *dst++ = static_cast<char>(c);
        }
    }
    *dst = 0;
    return true;
}

bool BuildOpenUrlItem(char* item, size_t size, const char* encodedAddress) {
    const size_t length = std::strlen(encodedAddress) + sizeof kOpenUrlTail - 1;
    if (size == 0) return false;
    if (length > kMaxDdeItemLength || length >= size) {
        item[0] = 0;
        return false;
    }
    CopyText(item, size, encodedAddress);
    AppendText(item, size, kOpenUrlTail);
    return true;
}

bool BuildBrowserCommandLine(char* line, size_t size, const char* command,
                             const char* encodedAddress) {
    if (size == 0) return false;
    line[0] = 0;
    while (*command == ' ' || *command == '\t') ++command;
    if (!*command || std::strlen(command) + std::strlen(encodedAddress) >= size) return false;
    CopyText(line, size, command);
    AppendText(line, size, encodedAddress);
    return true;
}
