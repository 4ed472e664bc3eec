// The Stock Symbols page's list editing: whole-piece matching, Add, Remove, the walk over the
// pieces and the 199-character bound of the stored value.
#include "prefs/symbol_list.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

struct AddCase {
    const char* list;
    const char* symbol;
    AddResult result;
    const char* after;
};

const AddCase kAddCases[] = {
    {"", "IBM", AddResult::Added, "IBM"},       // no "+" before the only symbol
    {"IBM", "IB", AddResult::Added, "IBM+IB"},  // IB is not a piece of IBM
    {"IBM", "IBMX", AddResult::Added, "IBM+IBMX"},
    {"^DJI+IBM+MSFT", "^DJI", AddResult::Duplicate, "^DJI+IBM+MSFT"},  // first piece
    {"^DJI+IBM+MSFT", "IBM", AddResult::Duplicate, "^DJI+IBM+MSFT"},   // middle piece
    {"^DJI+IBM+MSFT", "MSFT", AddResult::Duplicate, "^DJI+IBM+MSFT"},  // last piece
    {"IBM", "ibm", AddResult::Added, "IBM+ibm"},                       // matching is case-sensitive
    {"IBM", "", AddResult::Empty, "IBM"},
    {"IBMX+XIBM", "IBM", AddResult::Added, "IBMX+XIBM+IBM"},
};

TEST(SymbolList, AddAppendsNewSymbolsAndIgnoresListedOnes) {
    for (const AddCase& c : kAddCases) {
        char list[260];
        std::strcpy(list, c.list);
        EXPECT_EQ(c.result, AddSymbol(list, sizeof list, kMaxSymbolListLength, c.symbol))
            << c.list << " + " << c.symbol;
        EXPECT_STREQ(c.after, list) << c.list << " + " << c.symbol;
    }
}

struct RemoveCase {
    const char* list;
    const char* symbol;
    bool removed;
    const char* after;
};

const RemoveCase kRemoveCases[] = {
    {"IBMX+IBM", "IBM", true, "IBMX"},  // the whole piece, not the start of IBMX
    {"IBM+IBMX", "IBM", true, "IBMX"},
    {"A+IBM+B", "IBM", true, "A+B"},
    {"IBM", "IBM", true, ""},   // the only symbol: an empty list
    {"A+B++", "B", true, "A"},  // trailing "+" are dropped
    {"IBMX+XIBM", "IBM", false, "IBMX+XIBM"},
    {"IBM", "ibm", false, "IBM"},
    {"IBM", "", false, "IBM"},
    {"IBM+T+IBM", "IBM", true, "T+IBM"},  // only the first of two equal pieces
};

TEST(SymbolList, RemoveTakesOutOneWholePiece) {
    for (const RemoveCase& c : kRemoveCases) {
        char list[260];
        std::strcpy(list, c.list);
        EXPECT_EQ(c.removed, RemoveSymbol(list, c.symbol)) << c.list << " - " << c.symbol;
        EXPECT_STREQ(c.after, list) << c.list << " - " << c.symbol;
    }
}

std::vector<std::string> Pieces(const char* list, size_t pieceSize) {
    std::vector<std::string> out;
    std::vector<char> piece(pieceSize + 1, '#');  // one guard byte past the piece buffer
    for (const char* at = list; NextSymbol(&at, piece.data(), pieceSize);) {
        out.push_back(piece.data());
        EXPECT_EQ('#', piece[pieceSize]) << "wrote past the piece buffer";
    }
    return out;
}

TEST(SymbolList, WalkGivesEveryPieceAndStaysInItsBuffer) {
    using V = std::vector<std::string>;
    EXPECT_EQ((V{"^DJI", "^SPC", "IBM"}), Pieces("^DJI+^SPC+IBM", 260));
    EXPECT_EQ((V{}), Pieces("", 260));
    EXPECT_EQ((V{"A", "", "B"}), Pieces("A++B", 260));
    EXPECT_EQ((V{"", "A"}), Pieces("+A", 260));
    EXPECT_EQ((V{"A"}), Pieces("A+", 260));
    // A stored piece longer than the buffer is cut to fit, and the walk goes on after it.
    EXPECT_EQ((V{"ABCDEFG", "IBM"}), Pieces("ABCDEFGHIJKLMNOP+IBM", 8));
}

TEST(SymbolList, JoinedListNeverPassesTheStoredLength) {
    char list[260] = "";
    // 19 symbols of 9 characters and their "+": 19 * 10 - 1 = 189 characters.
    for (int i = 0; i < 19; ++i) {
        std::string symbol = "SYMBOL00" + std::to_string(i % 10);
        symbol[6] = static_cast<char>('A' + i);
        ASSERT_EQ(AddResult::Added,
                  AddSymbol(list, sizeof list, kMaxSymbolListLength, symbol.c_str()));
    }
    EXPECT_EQ(189u, std::strlen(list));
    EXPECT_EQ(AddResult::Added, AddSymbol(list, sizeof list, kMaxSymbolListLength, "ABCDEFGHI"));
    EXPECT_EQ(199u, std::strlen(list));  // exactly full
    EXPECT_EQ(AddResult::NoRoom, AddSymbol(list, sizeof list, kMaxSymbolListLength, "T"));
    EXPECT_EQ(199u, std::strlen(list));

    // A list that is already longer than the stored value takes nothing more, but still lets
    // symbols be removed.
    char overlong[260];
    std::memset(overlong, 'X', 230);
    std::strcpy(overlong + 230, "+IBM");
    EXPECT_EQ(AddResult::NoRoom, AddSymbol(overlong, sizeof overlong, kMaxSymbolListLength, "T"));
    EXPECT_TRUE(RemoveSymbol(overlong, "IBM"));
    EXPECT_EQ(230u, std::strlen(overlong));

    // Joining never writes past a small buffer either.
    char small[8] = "ABC";
    EXPECT_FALSE(JoinSymbol(small, sizeof small, kMaxSymbolListLength, "DEFG"));
    EXPECT_STREQ("ABC", small);
    EXPECT_TRUE(JoinSymbol(small, sizeof small, kMaxSymbolListLength, "DEF"));
    EXPECT_STREQ("ABC+DEF", small);
}

}  // namespace
