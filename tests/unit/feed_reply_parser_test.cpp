// The reply parser: replies built from the grammar's pieces, the exact strip text they give and
// the links they report.
#include "feed/reply_parser.h"

#include <gtest/gtest.h>

#include <tuple>
#include <string>
#include <vector>

#include "feed/content_model.h"

namespace {

// Grammar bytes written readably: <T> tag, <C> column change, <F> field, <L> link, <0> zero.
std::string Bytes(std::string s) {
    const std::pair<const char*, char> marks[] = {
        {"<T>", '\x0E'}, {"<C>", '\x05'}, {"<F>", '\x0B'}, {"<L>", '\x0D'}, {"<0>", '\0'}};
    for (const auto& [mark, byte] : marks)
        for (size_t at; (at = s.find(mark)) != std::string::npos;) s.replace(at, 3, 1, byte);
    return s;
}
const std::string kBullet = "  \x95  ";

struct Parsed {
    std::string text;
    std::vector<std::string> links;  // "textSoFar => url topicStart"
};

// Parses reply (the first zero byte ends it) as a refresh does. That no parse writes past its
// buffer and every text ends with a bar is the reply parser fuzzer's check.
Parsed Parse(const std::string& reply) {
    static char content[kContentBufferSize];
    Parsed parsed;
    auto collect = [](void* c, const char* textSoFar, const char* url, uint32_t topicStart) {
        static_cast<Parsed*>(c)->links.push_back(std::string(textSoFar) + " => " + url + " " +
                                                 std::to_string(topicStart));
    };
    parsed.text.assign(content,
                       ParseReply(reply.c_str(), content, sizeof content, {collect, &parsed}));
    return parsed;
}

TEST(ReplyParser, WorkedExampleAndLinks) {
    Parsed p =
        Parse(Bytes("<T>rt<C>1<F>Top:<C>2<F>Headline A<F><L>x/a<L><F>Headline B<F><L>x/b<L>"));
    const std::string a = "Top:  |{Headline A" + kBullet, b = a + "Headline B" + kBullet;
    EXPECT_EQ(b + "|", p.text);
    EXPECT_EQ((std::vector<std::string>{a + "| => http://x/a 1", b + "| => http://x/b 0"}),
              p.links);

    // Every tag starts a topic for its first link only.
    p = Parse(Bytes("<T>rt<L>a<L><L>b<L><T>rw<L>c<L><T>xx<T>rb<L>d<L>"));
    EXPECT_EQ((std::vector<std::string>{"| => http://a 1", "| => http://b 0", "| => http://c 1",
                                        "| => http://d 1"}),
              p.links);
}

TEST(ReplyParser, TheStripTextOfEachPieceOfTheGrammar) {
    const std::pair<std::string, std::string> cases[] = {
        // Without control bytes there is only the closing bar.
        {"", "|"},
        {"just some text \x95\x01\x1e", "|"},
        // Entities: the input is skipped through the next ";", whatever stands before it; the
        // byte after it is copied as it stands, even another "&"; the reply's end stops one.
        {"<F>AT&AMP;T &QuOt;x", "ATT \"x|"},
        {"<F>R&D & co", "R&D & co|"},
        {"<F>A&ampere;B", "AB|"},
        {"<F>A&amp<C>2;", "A|"},
        {"<F>&amp;&amp;", "&amp;|"},
        {"<F>x&amp;<F>", "x|"},
        {"<F>x&quot<0>;y", "x\"|"},
        // Quote signs choose the colour of a quote; the last sign wins; unmarked is white.
        {"<T>qt<F>IBM<C>2<F>101 1/4 +1/2", "IBM|+101 1/4 +1/2|"},
        {"<T>qt<F>IBM<C>2<F>99 +1/4 -1/8", "IBM|-99 +1/4 -1/8|"},
        {"<T>qt<F>IBM<C>2<F>98 1/2 0", "IBM|%98 1/2 0|"},
        {"<T>qt<F>IBM<C>2<F>98 1/2", "IBM|98 1/2|"},
        // A zero commits no provisional marker in a later field, nor in a group opened without
        // a column change; a sign always commits.
        {"<T>qt<F>IBM<C>2<F>98 1/2 0<F><F>0", "IBM|%98 1/2 00|"},
        {"<T>qt<F>10", "10|"},
        {"<T>qt<F>1<F><F>-1", "1--1|"},
        // Signs mean nothing outside quote groups.
        {"<T>rt<C>2<F>+1 -2 0", "|{+1 -2 0" + kBullet + "|"},
        // Unknown tags keep the marker of the group before; the first group gets "{".
        {"<T>rw<C>2<T>rz<C>1<T>re<C>2<T>zz<C>1", "|}|}|^|^|"},
        {"<C>2", "|{|"},
        // A colon gets room only when its field is left open (the reply's end leaves it open).
        {"<T>rs<F>Sports:<C>2", "Sports:  |@|"},
        {"<T>rs<F>Sports:<F><C>2", "Sports:|@|"},
        {"<F>Sports:", "Sports:  |"},
        // Bullets follow value fields, except those of quotes and weather (tags in any case).
        {"<T>rt<C>2<F>a<F><F>b", "|{a" + kBullet + "b" + kBullet + "|"},
        {"<T>rt<F>a", "a|"},
        {"<T>wt<C>2<F>JFK 71F", "|{JFK 71F|"},
        {"<T>QT<C>2<F>x", "|{x|"},
        {"<T>qx<C>2<F>x", "|x" + kBullet + "|"},
        // A repeated column code writes nothing; a bar inside a field is copied.
        {"<T>rt<C>2<C>2<F>a", "|{a" + kBullet + "|"},
        {"<T>rt<F>Top|ics:<C>2", "Top|ics:  |{|"},
        // The byte that ends a link goes with it: the 0x0B after it opens no field.
        {"<L>x<F>text", "|"},
        {"<F>a<L>x<L><F>b", "ab|"},
    };
    for (const auto& [reply, text] : cases) EXPECT_EQ(text, Parse(Bytes(reply)).text) << reply;
}

TEST(ReplyParser, LinkAddresses) {
    const std::pair<std::string, std::string> cases[] = {
        {"x/a", "http://x/a"},         {"HTTP://X/A", "HTTP://X/A"},
        {"Http:x", "Http:x"},          {"https://x", "http://https://x"},
        {"\x95x", "http://\x95x"},  // the first byte belongs to the link, whatever it is
        {"a b\x01rest", "http://a b"},
    };
    for (const auto& [link, url] : cases)
        EXPECT_EQ(std::vector<std::string>{"| => " + url + " 0"},
                  Parse(Bytes("<L>" + link + "<L>")).links);
    // An overlong link is cut, and the rest of it consumed, not parsed.
    Parsed p = Parse(Bytes("<L>" + std::string(5000, 'a') + "<L><F>after"));
    const std::string url = "http://" + std::string(kLinkAddressSize - 8, 'a');
    EXPECT_EQ(std::vector<std::string>{"| => " + url + " 0"}, p.links);
    EXPECT_EQ("after|", p.text);
}

TEST(ReplyParserBounds, ContentStopsWithRoomForTheHandOverAndNothingAfterTheCut) {
    EXPECT_EQ(std::string(kContentBufferSize - 4, 'A') + "|",
              Parse(Bytes("<F>") + std::string(30000, 'A')).text);

    // Headlines with links until the buffer is full; the last writes are bullets and bars.
    std::string reply = "<T>rt<C>2";
    for (int i = 0; i < 3000; ++i)
        reply +=
            "<F>Headline " + std::to_string(i) + "<F><L>x/" + std::to_string(i) + "<L><C>1<C>2";
    Parsed p = Parse(Bytes(reply));
    EXPECT_GE(p.text.size(), static_cast<size_t>(kContentBufferSize) - 3 - 16);
    ASSERT_FALSE(p.links.empty());
    const std::string last = p.links.back().substr(0, p.links.back().find("| => "));
    EXPECT_EQ(last, p.text.substr(0, last.size()));
    // A multi-byte piece (bullet, bar and marker) is written whole or not at all.
    EXPECT_EQ(std::string::npos, p.text.find("  \x95|"));
}

TEST(LoginVerdict, OkAnywhereCaseSensitive) {
    for (auto [reply, length, ok] : {std::tuple{"OK", 2, true},
                                     {"<html>\0 welcome OK", 18, true},  // past a zero byte too
                                     {"ok", 2, false},
                                     {"OK", 1, false},
                                     {"", 0, false}})
        EXPECT_EQ(ok, LoginAccepted(reply, length)) << reply;
}

}  // namespace
