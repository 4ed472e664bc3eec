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

void BuildSearchAddress(char* address, size_t size, const char* root, const char* query) {
    CopyText(address, size, root);
    if (!query[0]) return;
    AppendText(address, size, kSearchPath);
    AppendText(address, size, query);
}
