// The reply parser: replies built from the grammar's pieces, the exact strip text they give and
// the links they report.
#include "feed/reply_parser.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "feed/content_model.h"

namespace {

// The reply's control bytes, kept apart from the text so that no hex escape swallows a letter.
const std::string T = "\x0E";  // tag
const std::string C = "\x05";  // column change
const std::string F = "\x0B";  // field
const std::string L = "\x0D";  // link
const std::string kBullet = "  \x95  ";

struct SeenLink {
    std::string textSoFar;
    std::string url;
    uint32_t topicStart;
};

struct Parsed {
    std::string text;
    std::vector<SeenLink> links;
};

void Collect(void* context, const char* textSoFar, const char* url, uint32_t topicStart) {
    static_cast<Parsed*>(context)->links.push_back({textSoFar, url, topicStart});
}

// Parses reply (which may hold zero bytes; the first one ends it) into a 20000-byte buffer
// that sits between guard bytes, and checks the promises every parse keeps.
Parsed Parse(const std::string& reply) {
    static char guarded[kContentBufferSize + 64];
    char* content = guarded + 32;
    std::memset(guarded, 0x5A, sizeof guarded);
    Parsed parsed;
    size_t length = ParseReply(reply.c_str(), content, kContentBufferSize, {Collect, &parsed});
    parsed.text.assign(content, length);
    EXPECT_EQ(0, content[length]);
    EXPECT_LE(length + 3, static_cast<size_t>(kContentBufferSize));
    EXPECT_EQ('|', content[length - 1]);
    for (int i = 0; i < 32; ++i) {
        EXPECT_EQ(0x5A, guarded[i]) << "written before the buffer";
        EXPECT_EQ(0x5A, guarded[32 + kContentBufferSize + i]) << "written past the buffer";
    }
    return parsed;
}

std::string Text(const std::string& reply) { return Parse(reply).text; }

TEST(ReplyParser, WorkedExampleOfTheGrammar) {
    Parsed p = Parse(T + "rt" + C + "1" + F + "Top:" + C + "2" + F + "Headline A" + F + L + "x/a" +
                     L + F + "Headline B" + F + L + "x/b" + L);
    EXPECT_EQ("Top:  |{Headline A" + kBullet + "Headline B" + kBullet + "|", p.text);
    ASSERT_EQ(2u, p.links.size());
    EXPECT_EQ("Top:  |{Headline A" + kBullet + "|", p.links[0].textSoFar);
    EXPECT_EQ("http://x/a", p.links[0].url);
    EXPECT_EQ(1u, p.links[0].topicStart);
    EXPECT_EQ("Top:  |{Headline A" + kBullet + "Headline B" + kBullet + "|", p.links[1].textSoFar);
    EXPECT_EQ("http://x/b", p.links[1].url);
    EXPECT_EQ(0u, p.links[1].topicStart);
}

TEST(ReplyParser, EveryTagStartsATopicForItsFirstLinkOnly) {
    Parsed p = Parse(T + "rt" + L + "a" + L + L + "b" + L + T + "rw" + L + "c" + L + T + "xx" + T +
                     "rb" + L + "d" + L);
    ASSERT_EQ(4u, p.links.size());
    EXPECT_EQ(1u, p.links[0].topicStart);
    EXPECT_EQ(0u, p.links[1].topicStart);
    EXPECT_EQ(1u, p.links[2].topicStart);
    EXPECT_EQ(1u, p.links[3].topicStart);
}

TEST(ReplyParser, ReplyWithoutControlBytesGivesOnlyTheClosingBar) {
    EXPECT_EQ("|", Text(""));
    EXPECT_EQ("|", Text("just some text \x95\x01\x1e"));
}

TEST(ReplyParser, Entities) {
    EXPECT_EQ("ATT|", Text(F + "AT&amp;T"));
    EXPECT_EQ("say \"hi\"|", Text(F + "say &quot;hi&quot;"));
    EXPECT_EQ("ATT \"x|", Text(F + "AT&AMP;T &QuOt;x"));
    EXPECT_EQ("R&D & co|", Text(F + "R&D & co"));
    // The input is skipped through the next ";", whatever stands before it.
    EXPECT_EQ("AB|", Text(F + "A&ampere;B"));
    EXPECT_EQ("A|", Text(F + "A&amp" + C + "2;"));
    // The byte after the ";" is copied as it stands, even another "&".
    EXPECT_EQ("&amp;|", Text(F + "&amp;&amp;"));
    EXPECT_EQ("x|", Text(F + "x&amp;" + F));
    // An entity that never ends stops at the end of the reply.
    EXPECT_EQ("x\"|", Text(F + "x&quot" + std::string(1, '\0') + ";y"));
}

TEST(ReplyParser, QuoteSignsChooseTheColourOfAQuote) {
    const std::string group = T + "qt" + F + "IBM" + C + "2" + F;
    EXPECT_EQ("IBM|+101 1/4 +1/2|", Text(group + "101 1/4 +1/2"));
    EXPECT_EQ("IBM|-99 -1/4|", Text(group + "99 -1/4"));
    EXPECT_EQ("IBM|-99 +1/4 -1/8|", Text(group + "99 +1/4 -1/8"));  // the last sign wins
    EXPECT_EQ("IBM|%98 1/2 0|", Text(group + "98 1/2 0"));
    EXPECT_EQ("IBM|98 1/2|", Text(group + "98 1/2"));  // unmarked: drawn in white
}

TEST(ReplyParser, AZeroWithoutAProvisionalMarkerCommitsNothing) {
    // A later field of the group, and a group opened without a column change.
    EXPECT_EQ("IBM|%98 1/2 00|",
              Text(T + "qt" + F + "IBM" + C + "2" + F + "98 1/2 0" + F + F + "0"));
    EXPECT_EQ("10|", Text(T + "qt" + F + "10"));
    EXPECT_EQ("1--1|", Text(T + "qt" + F + "1" + F + F + "-1"));  // a sign always commits
}

TEST(ReplyParser, SignsMeanNothingOutsideQuoteGroups) {
    EXPECT_EQ("|{+1 -2 0" + kBullet + "|", Text(T + "rt" + C + "2" + F + "+1 -2 0"));
}

TEST(ReplyParser, UnknownTagsKeepTheGroupMarkerBefore) {
    // Unknown tags keep the marker of the group before; the first group gets "{".
    EXPECT_EQ("|}|}|^|^|", Text(T + "rw" + C + "2" + T + "rz" + C + "1" + T + "re" + C + "2" + T +
                                "zz" + C + "1"));
    EXPECT_EQ("|{|", Text(T + "zz" + C + "2"));
    EXPECT_EQ("|{|", Text(C + "2"));
}

TEST(ReplyParser, AColonGetsRoomOnlyWhenTheFieldIsLeftOpen) {
    EXPECT_EQ("Sports:  |@|", Text(T + "rs" + F + "Sports:" + C + "2"));
    EXPECT_EQ("Sports:|@|", Text(T + "rs" + F + "Sports:" + F + C + "2"));
    EXPECT_EQ("Sports:  |", Text(F + "Sports:" + L + "x"));
    EXPECT_EQ("Sports:  |", Text(F + "Sports:"));  // the end of the reply leaves it open too
}

TEST(ReplyParser, BulletsFollowValueFieldsExceptQuotesAndWeather) {
    EXPECT_EQ("|{a" + kBullet + "b" + kBullet + "|",
              Text(T + "rt" + C + "2" + F + "a" + F + F + "b"));
    EXPECT_EQ("a|", Text(T + "rt" + F + "a"));  // column 1: labels
    EXPECT_EQ("|{JFK 71F|", Text(T + "wt" + C + "2" + F + "JFK 71F"));
    EXPECT_EQ("|{JFK|", Text(T + "Wt" + C + "2" + F + "JFK"));  // any case
    EXPECT_EQ("|{x|", Text(T + "QT" + C + "2" + F + "x"));      // not a quote tag, no bullet
    EXPECT_EQ("|x" + kBullet + "|", Text(T + "qx" + C + "2" + F + "x"));
}

TEST(ReplyParser, ARepeatedColumnCodeWritesNothing) {
    EXPECT_EQ("|{a" + kBullet + "|", Text(T + "rt" + C + "2" + C + "2" + F + "a"));
    EXPECT_EQ("a|", Text(T + "rt" + C + "1" + F + "a"));
}

TEST(ReplyParser, ABarInsideAFieldIsCopied) {
    EXPECT_EQ("Top|ics:  |{|", Text(T + "rt" + F + "Top|ics:" + C + "2"));
}

TEST(ReplyParser, LinkAddresses) {
    auto url = [](const std::string& link) {
        Parsed p = Parse(L + link + L);
        EXPECT_EQ(1u, p.links.size());
        return p.links.empty() ? std::string() : p.links[0].url;
    };
    EXPECT_EQ("http://x/a", url("x/a"));
    EXPECT_EQ("HTTP://X/A", url("HTTP://X/A"));
    EXPECT_EQ("Http:x", url("Http:x"));
    EXPECT_EQ("http://https://x", url("https://x"));
    EXPECT_EQ("http://\x95x", url("\x95x"));  // the first byte belongs to the link, whatever it is
    EXPECT_EQ("http://a b", url("a b\x01rest"));
}

TEST(ReplyParser, TheByteThatEndsALinkGoesWithIt) {
    // The 0x0B after the link is eaten, so "text" is not a field.
    EXPECT_EQ("|", Text(L + "x" + F + "text"));
    EXPECT_EQ("ab|", Text(F + "a" + L + "x" + L + F + "b"));
}

TEST(ReplyParser, TheFirstZeroByteEndsTheReplyAnywhere) {
    const std::string tail = std::string(1, '\0') + F + "MORE" + L + "more";
    const std::string heads[] = {
        T, T + "r", C, F + "a", F + "a&amp", F + "a&", L, L + "abc", T + "qt" + C + "2" + F + "1"};
    for (const std::string& head : heads) {
        Parsed p = Parse(head + tail);
        EXPECT_EQ(std::string::npos, p.text.find("MORE")) << p.text;
        for (const SeenLink& link : p.links) EXPECT_EQ(std::string::npos, link.url.find("more"));
    }
}

TEST(ReplyParserBounds, ContentStopsWithRoomForTheHandOver) {
    std::string reply = F + std::string(30000, 'A');
    Parsed p = Parse(reply);
    ASSERT_EQ(static_cast<size_t>(kContentBufferSize) - 3, p.text.size());
    EXPECT_EQ(std::string(kContentBufferSize - 4, 'A') + "|", p.text);
}

TEST(ReplyParserBounds, NothingAfterTheCutIsWrittenOrLinked) {
    // Headlines with links until the buffer is full; the last writes are bullets and bars.
    std::string reply = T + "rt" + C + "2";
    for (int i = 0; i < 3000; ++i)
        reply += F + "Headline " + std::to_string(i) + F + L + "x/" + std::to_string(i) + L + C +
                 "1" + C + "2";
    Parsed p = Parse(reply);
    EXPECT_GE(p.text.size(), static_cast<size_t>(kContentBufferSize) - 3 - 16);
    ASSERT_FALSE(p.links.empty());
    const SeenLink& last = p.links.back();
    EXPECT_LE(last.textSoFar.size(), p.text.size());
    EXPECT_EQ(last.textSoFar.substr(0, last.textSoFar.size() - 1),
              p.text.substr(0, last.textSoFar.size() - 1));
    // A multi-byte piece (bullet, bar and marker) is written whole or not at all.
    EXPECT_EQ(std::string::npos, p.text.find("  \x95|"));
}

TEST(ReplyParserBounds, SmallBuffersStayInBounds) {
    const std::string reply = T + "rt" + C + "2" + F + "Headline" + L + "x" + L;
    for (size_t capacity = 0; capacity < 24; ++capacity) {
        char guarded[40];
        std::memset(guarded, 0x5A, sizeof guarded);
        size_t length = ParseReply(reply.c_str(), guarded + 8, capacity, {nullptr, nullptr});
        if (capacity >= kContentTailReserve) {
            EXPECT_EQ('|', guarded[8 + length - 1]);
            EXPECT_LE(length + 3, capacity);
        } else {
            EXPECT_EQ(0u, length);
        }
        for (int i = 0; i < 8; ++i) EXPECT_EQ(0x5A, guarded[i]);
        for (size_t i = 8 + capacity; i < sizeof guarded; ++i) EXPECT_EQ(0x5A, guarded[i]);
    }
}

TEST(ReplyParserBounds, OverlongLinksAreCut) {
    Parsed p = Parse(L + std::string(5000, 'a') + L);
    ASSERT_EQ(1u, p.links.size());
    EXPECT_EQ(kLinkAddressSize - 1, p.links[0].url.size());
    EXPECT_EQ("http://aaa", p.links[0].url.substr(0, 10));

    p = Parse(L + "HTTP:" + std::string(5000, 'a') + L + F + "after");
    ASSERT_EQ(1u, p.links.size());
    EXPECT_EQ(kLinkAddressSize - 1, p.links[0].url.size());
    EXPECT_EQ("after|", p.text);  // the rest of the link was consumed, not parsed
}

void Append(void*, const char*, const char* url, uint32_t topicStart) {
    AppendLink(0, url, topicStart);
}

TEST(ReplyParserBounds, TheLinkTableKeepsTheFirst200Links) {
    std::string reply = T + "rt" + C + "2";
    for (int i = 0; i < 300; ++i)
        reply += F + "h" + L + std::string(300, 'u') + std::to_string(i) + L;
    ClearLinks();
    char content[kContentBufferSize];
    ParseReply(reply.c_str(), content, sizeof content, {Append, nullptr});
    ASSERT_EQ(kLinkTableSize, LinkCount.load());
    LinkEntry entry;
    ASSERT_TRUE(ReadLink(kLinkTableSize - 1, &entry));
    EXPECT_EQ(static_cast<size_t>(kLinkUrlSize - 1), std::strlen(entry.url));
    EXPECT_EQ(0, std::strncmp(entry.url, "http://uuu", 10));
    ClearLinks();
}

TEST(LoginVerdict, OkAnywhereCaseSensitive) {
    EXPECT_TRUE(LoginAccepted("OK", 2));
    EXPECT_TRUE(LoginAccepted("NOT OK", 6));
    EXPECT_TRUE(LoginAccepted("<html>\0 welcome OK", 18));  // past a zero byte too
    EXPECT_FALSE(LoginAccepted("ok", 2));
    EXPECT_FALSE(LoginAccepted("O K", 3));
    EXPECT_FALSE(LoginAccepted("OK", 1));
    EXPECT_FALSE(LoginAccepted("", 0));
}

}  // namespace
