#include "prefs/symbol_list.h"

#include <cstring>

#include "base/text.h"

namespace {

// Start of the first whole piece of list equal to symbol, or null.
char* FindPiece(char* list, const char* symbol) {
    const size_t n = std::strlen(symbol);
    if (n == 0) return nullptr;
    for (char* p = list;; ++p) {
        p = std::strstr(p, symbol);
        if (!p) return nullptr;
        const bool leftBound = p == list || p[-1] == '+';
        const bool rightBound = p[n] == 0 || p[n] == '+';
        if (leftBound && rightBound) return p;
    }
}

}  // namespace

bool HasSymbol(const char* list, const char* symbol) {
    return FindPiece(const_cast<char*>(list), symbol) != nullptr;
}

bool JoinSymbol(char* list, size_t size, size_t maxLength, const char* symbol) {
    const size_t used = BoundedLength(list, size);
    if (used >= size) return false;  // not a terminated list: leave it alone
    const size_t joined = used + (used ? 1 : 0) + std::strlen(symbol);
    if (joined > maxLength || joined >= size) return false;
    if (used) AppendText(list, size, "+");
    AppendText(list, size, symbol);
    return true;
}

AddResult AddSymbol(char* list, size_t size, size_t maxLength, const char* symbol) {
    if (!symbol[0]) return AddResult::Empty;
    if (HasSymbol(list, symbol)) return AddResult::Duplicate;
    return JoinSymbol(list, size, maxLength, symbol) ? AddResult::Added : AddResult::NoRoom;
}

bool RemoveSymbol(char* list, const char* symbol) {
    char* piece = FindPiece(list, symbol);
    if (!piece) return false;
    char* after = piece + std::strlen(symbol);
    if (*after == '+')
        std::memmove(piece, after + 1, std::strlen(after + 1) + 1);
    else
        *piece = 0;
    for (size_t n = std::strlen(list); n && list[n - 1] == '+'; --n) list[n - 1] = 0;
    return true;
}

bool NextSymbol(const char** pos, char* piece, size_t pieceSize) {
    const char* p = *pos;
    if (!p || !*p) return false;
    const char* end = std::strchr(p, '+');
    const size_t n = end ? static_cast<size_t>(end - p) : std::strlen(p);
    if (pieceSize) {
        const size_t kept = n < pieceSize - 1 ? n : pieceSize - 1;
        std::memcpy(piece, p, kept);
        piece[kept] = 0;
    }
    *pos = end ? end + 1 : p + n;
    return true;
}
