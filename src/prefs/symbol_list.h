// Editing the quoted symbol list: symbols joined by "+" in one zero-terminated string, with no
// "+" before the first or after the last ("^DJI+IBM+MSFT"). Plain text in, plain text out;
// the Stock Symbols page keeps the list box and calls these for the string.
#pragma once
#include <cstddef>

// The edit box takes a symbol of at most this many characters.
constexpr size_t kMaxSymbolLength = 9;
// The stored value is a 200-byte field, so the joined list holds at most 199 characters.
constexpr size_t kMaxSymbolListLength = 199;

// Whether symbol stands in list as a whole piece: bounded on the left by "+" or the start and
// on the right by "+" or the end. Exact and case-sensitive; IB is not a piece of IBM+T.
bool HasSymbol(const char* list, const char* symbol);

// Appends symbol to list (size bytes), after a "+" unless the list is empty, when the joined
// list stays within maxLength characters. False, and list unchanged, when it would not.
bool JoinSymbol(char* list, size_t size, size_t maxLength, const char* symbol);

enum class AddResult { Added, Empty, Duplicate, NoRoom };
// The page's Add: an empty symbol or one already listed changes nothing, nor does one that
// would make the joined list longer than maxLength.
AddResult AddSymbol(char* list, size_t size, size_t maxLength, const char* symbol);

// The page's Remove: takes the first whole piece equal to symbol out of list with the "+" that
// follows it (the last piece: the string ends where it began), then drops every "+" left at
// the end. False, and list unchanged, when symbol is not a piece of the list.
bool RemoveSymbol(char* list, const char* symbol);

// Walks the pieces of a list: copies the piece at *pos into piece (pieceSize bytes; a longer
// piece is cut to fit) and moves *pos past it and its "+". False once the list has ended.
// Empty pieces ("A++B") come out as empty strings.
bool NextSymbol(const char** pos, char* piece, size_t pieceSize);
