// libFuzzer target: the small text rules over text from the registry, the feed or the user.
// The first byte picks the rule, the second a buffer size; the rest is two texts split at the
// first line break. Every buffer is a heap block of its exact size, so AddressSanitizer sees
// any byte written past it; the checks are the promises the callers rely on.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/text.h"
#include "prefs/field_rules.h"
#include "prefs/symbol_list.h"
#include "settings/settings.h"
#include "shell/browser_rules.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

bool All(const char* s, bool (*keeps)(unsigned char)) {
    return std::all_of(s, s + std::strlen(s), [keeps](char c) { return keeps(c); });
}

void Run(uint8_t rule, size_t size, const char* a, const char* b) {
    std::vector<char> dst(size), list(kStockSymbolsField), big(1200), item(kMaxDdeItemLength + 1);
    switch (rule % 5) {
    case 0: {  // bounded copies, and the typed fields
        const size_t n = CopyText(dst.data(), size, a), m = AppendText(dst.data(), size, b);
        Check(n == std::min(std::strlen(a), size - 1) && m == BoundedLength(dst.data(), size) &&
              m == std::min(n + std::strlen(b), size - 1));
        Check(TypedNumberInRange(a, uint32_t(size), uint32_t(size) * 9) - size <= size * 8);
        std::vector<char> airports(kAirportsField);
        CopyText(airports.data(), airports.size(), a);
        NormaliseAirports(airports.data());
        Check(All(airports.data(), [](unsigned char c) { return c >= 0x20 && c < 0x80; }));
        break;
    }
    case 1: {  // a search from any box text, under a root of up to 40 characters, still opens
        char query[kSearchQueryLength + 1], root[41], address[400];
        SearchQueryFromBoxText(query, sizeof query, a);
        CopyText(root, sizeof root, *b ? b : "http://search.example");
        BuildSearchAddress(address, sizeof address, root, query);
        Check(EncodeAddress(big.data(), big.size(), address) &&
              BuildOpenUrlItem(item.data(), item.size(), big.data()));
        break;
    }
    case 2: {  // any address goes on as one argument and one item field, or not at all
        const size_t length = EncodedAddressLength(a);
        std::vector<char> encoded(length + 1), command(kBrowserCommandSize),
            line(kBrowserCommandSize + length);
        Check(EncodeAddress(dst.data(), size, a) == (length < size));
        Check(EncodeAddress(encoded.data(), encoded.size(), a));
        Check(All(encoded.data(),
                  [](unsigned char c) { return c > ' ' && c < 0x7F && c != '"' && c != '\''; }));
        Check(BuildOpenUrlItem(item.data(), item.size(), encoded.data()) ==
              (length + sizeof kOpenUrlTail - 1 <= kMaxDdeItemLength));
        std::memcpy(command.data(), b, std::min(std::strlen(b), command.size()));  // unterminated
        TrimBrowserCommand(command.data(), command.size());
        if (BuildBrowserCommandLine(line.data(), line.size(), command.data(), encoded.data()))
            Check(!std::strcmp(line.data() + std::strlen(line.data()) - length, encoded.data()));
        break;
    }
    default: {  // the symbol list as the registry may hold it, and a symbol as typed
        char symbol[kMaxSymbolLength + 1], piece[6];
        CopyText(list.data(), kMaxSymbolListLength + 1, a);
        CopyText(symbol, sizeof symbol, b);
        const size_t before = std::strlen(list.data());
        if (rule & 8) {
            AddResult r = AddSymbol(list.data(), list.size(), kMaxSymbolListLength, symbol);
            Check(r != AddResult::Added || HasSymbol(list.data(), symbol));
            Check(std::strlen(list.data()) <=
                  (r == AddResult::Added ? kMaxSymbolListLength : before));
        } else if (RemoveSymbol(list.data(), symbol)) {
            Check(std::strlen(list.data()) < before || !symbol[0]);
        }
        const char* end = list.data() + std::strlen(list.data());
        for (const char* pos = list.data(); NextSymbol(&pos, piece, sizeof piece);)
            Check(pos <= end);
    }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    std::string a(reinterpret_cast<const char*>(data + 2), size - 2), b;
    const size_t lineBreak = a.find('\n');
    if (lineBreak != std::string::npos) b = a.substr(lineBreak + 1), a.resize(lineBreak);
    Run(data[0], data[1] + 1u, a.c_str(), b.c_str());
    return 0;
}
