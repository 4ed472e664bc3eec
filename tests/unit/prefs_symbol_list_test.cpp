// The Stock Symbols page's list editing: whole-piece matching, Add, Remove, the walk over the
// pieces and the 199-character bound of the stored value.
#include "prefs/symbol_list.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "base/text.h"

namespace {

TEST(SymbolList, AddAppendsNewSymbolsAndRemoveTakesOutOneWholePiece) {
    const int added = int(AddResult::Added), duplicate = int(AddResult::Duplicate);
    // List, '+' Add or '-' Remove, symbol, result (an AddResult, or whether it removed), after.
    const std::tuple<const char*, char, const char*, int, const char*> cases[] = {
        {"", '+', "IBM", added, "IBM"},       // no "+" before the only symbol
        {"IBM", '+', "IB", added, "IBM+IB"},  // IB is not a piece of IBM
        {"^DJI+IBM+MSFT", '+', "^DJI", duplicate, "^DJI+IBM+MSFT"},  // first piece
        {"^DJI+IBM+MSFT", '+', "MSFT", duplicate, "^DJI+IBM+MSFT"},  // last piece
        {"IBM", '+', "ibm", added, "IBM+ibm"},                       // case-sensitive
        {"IBM", '+', "", int(AddResult::Empty), "IBM"},
        {"IBMX+IBM", '-', "IBM", true, "IBMX"},  // the whole piece, not the start of IBMX
        {"A+IBM+B", '-', "IBM", true, "A+B"},
        {"IBM", '-', "IBM", true, ""},   // the only symbol: an empty list
        {"A+B++", '-', "B", true, "A"},  // trailing "+" are dropped
        {"IBMX+XIBM", '-', "IBM", false, "IBMX+XIBM"},
        {"IBM+T+IBM", '-', "IBM", true, "T+IBM"},  // only the first of two equal pieces
    };
    for (auto [before, op, symbol, result, after] : cases) {
        char list[260];
        std::strcpy(list, before);
        EXPECT_EQ(result, op == '+'
                              ? int(AddSymbol(list, sizeof list, kMaxSymbolListLength, symbol))
                              : int(RemoveSymbol(list, symbol)))
            << before << op << symbol;
        EXPECT_STREQ(after, list) << before << op << symbol;
    }
}

// The pieces NextSymbol gives; that it stays in a small piece buffer is fuzz_text_rules' check.
std::vector<std::string> Pieces(const char* list, size_t pieceSize) {
    std::vector<std::string> out;
    std::vector<char> piece(pieceSize);
    for (const char* at = list; NextSymbol(&at, piece.data(), pieceSize);)
        out.push_back(piece.data());
    return out;
}

TEST(SymbolList, WalkGivesEveryPieceAndStaysInItsBuffer) {
    using V = std::vector<std::string>;
    EXPECT_EQ((V{}), Pieces("", 260));
    EXPECT_EQ((V{"A", "", "B"}), Pieces("A++B", 260));
    EXPECT_EQ((V{"", "A"}), Pieces("+A", 260));
    EXPECT_EQ((V{"A"}), Pieces("A+", 260));
    // A stored piece longer than the buffer is cut to fit, and the walk goes on after it.
    EXPECT_EQ((V{"ABCDEFG", "IBM"}), Pieces("ABCDEFGHIJKLMNOP+IBM", 8));
}

TEST(SymbolList, JoinedListNeverPassesTheStoredLength) {
    // One piece of 189 characters; nine more and the "+" fill the stored value exactly.
    char list[260];
    CopyText(list, std::string(189, 'S').c_str());
    EXPECT_EQ(AddResult::Added, AddSymbol(list, sizeof list, kMaxSymbolListLength, "ABCDEFGHI"));
    EXPECT_EQ(199u, std::strlen(list));
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
