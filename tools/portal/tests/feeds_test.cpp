// The feed reader with what feeds really hold: the sample feeds (also the fuzzer's seeds), odd
// titles in every encoding, links, dates, documents that are no feeds, and merging.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "address.h"
#include "feeds.h"
#include "prices.h"

namespace portal {
namespace {

std::string Sample(const char* name) {
    std::ifstream in(std::string(PORTAL_FEEDS) + "/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<FeedItem> Read(const std::string& xml, const char* base = "http://feed.example/a/") {
    std::vector<FeedItem> items;
    std::string error;
    EXPECT_TRUE(ReadFeed(xml, base, items, error)) << error;
    for (const FeedItem& item : items)
        for (unsigned char c : item.title) EXPECT_TRUE(c >= 0x20 && c < 0x7F) << item.title;
    return items;
}

std::string Rss(const std::string& item) {
    return "<rss version=\"2.0\"><channel>" + item + "</channel></rss>";
}

TEST(FeedsRead, SampleFeedsInEveryDialectAndEncoding) {
    struct Case {
        const char* file;
        std::size_t item;
        const char *title, *address;
    };
    const Case cases[] = {
        {"sample-rss.xml", 2, "Creme brulee contest draws record crowd",
         "http://gazette.example/1997/contest.html"},
        {"sample-rss.xml", 3, "Council Minutes Posted", ""},  // a guid that is no permalink
        {"sample-atom.xml", 1, "Lighthouse Restored AT&T Sponsors",
         "http://harbor.example/lighthouse.html"},
        {"rdf.xml", 1, "Bridge Repairs - Week Two", "http://valley.example/notes/11"},
        {"latin1.xml", 1, "Naive garcon wins the GBP500 prize",
         "http://courrier.example/2024/prix.html"},
        {"cp1252.xml", 0, "\"Quoted\" - sniffed as Windows-1252...", "http://wire.example/1"},
    };
    for (const Case& c : cases) {
        std::vector<FeedItem> items = Read(Sample(c.file));
        ASSERT_GT(items.size(), c.item) << c.file;
        EXPECT_EQ(items[c.item].title, c.title) << c.file;
        EXPECT_EQ(items[c.item].address, c.address) << c.file;
    }
    // The item without a title is left out; the long one is cut at a word.
    std::vector<FeedItem> rss = Read(Sample("sample-rss.xml"));
    ASSERT_EQ(rss.size(), 5u);
    EXPECT_LE(rss[4].title.size(), kMaxFeedTitle);
    EXPECT_EQ(rss[4].title.substr(rss[4].title.size() - 3), "...");
    // Dates where RDF and Atom give them, to the second (RSS dates: LinksAndDates).
    EXPECT_EQ(Read(Sample("rdf.xml"))[0].date, 1714654800);  // 2024-05-02 13:00 UTC
    EXPECT_EQ(Read(Sample("sample-atom.xml"))[2].date, 878378400);
}

TEST(FeedsRead, TitlesBecomePlainTextForTheStrip) {
    const std::pair<std::string, std::string> cases[] = {
        {"<![CDATA[<b>Bold</b> news &amp; more]]>", "Bold news & more"},
        {"&lt;i&gt;It&lt;/i&gt; caf&amp;eacute;&amp;nbsp;au lait", "It cafe au lait"},
        {"Caf\xC3\xA9 \xE2\x80\x9Cquoted\xE2\x80\x9D \xE2\x80\x94 dash\xE2\x80\xA6 \xE2\x82\xAC"
         "5",
         "Cafe \"quoted\" - dash... EUR5"},
        {"a&#11;b&#13;c&#x0E;d&#5;e|f\x7F g", "a b c d e/f g"},
        {"\xCE\xA3\xCF\x89 \xE6\x9D\xB1 e\xCC\x81", "?? ? e"},  // no plain likeness; accents
        {"  a \t\n  b  ", "a b"},
        {"1 &lt; 2 &amp;&amp; 3 &gt; 2 &amp;bogus; &amp;#xZZ;", "1 < 2 && 3 > 2 &bogus; &#xZZ;"},
    };
    for (const auto& [title, plain] : cases) {
        std::vector<FeedItem> items = Read(Rss("<item><title>" + title + "</title></item>"));
        ASSERT_EQ(items.size(), 1u) << title;
        EXPECT_EQ(items[0].title, plain) << title;
    }
    // Atom says whether a title is HTML.
    std::vector<FeedItem> atom = Read(
        "<feed xmlns='http://www.w3.org/2005/Atom'><entry><title type='text'>a &lt;b&gt; c</title>"
        "</entry><entry><title type='html'>a &lt;b&gt; c</title></entry></feed>");
    ASSERT_EQ(atom.size(), 2u);
    EXPECT_EQ(atom[0].title, "a <b> c");
    EXPECT_EQ(atom[1].title, "a c");
}

TEST(FeedsRead, LinksAndDatesAsFeedsGiveThem) {
    std::vector<FeedItem> items =
        Read(Rss("<item><title>1</title><link> ../b/c d.html#top </link>"
                 "<pubDate>Tue, 10 Jun 2003 04:00:00 EST</pubDate></item>"
                 "<item><title>2</title><link>mailto:desk@feed.example</link>"
                 "<atom:link xmlns:atom='x' href='https://s.example/'/>"
                 "<pubDate>10 Jun 03 09:00 +0100</pubDate></item>"
                 "<item><title>3</title><link>http://x.example/" +
                 std::string(kMaxArticleAddress, 'p') +
                 "</link><pubDate>Someday</pubDate></item>"
                 "<item><title>4</title><guid>//cdn.example/4</guid>"
                 "<pubDate>2003-06-10T04:00:00.123+02:00</pubDate></item>"),
             "https://feed.example/a/rss.xml");
    std::string seen;  // an Atom link stands in RSS; an address too long for any browser goes
    for (const FeedItem& item : items)
        seen += item.address + " " + std::to_string(item.date) + "\n";
    EXPECT_EQ(seen, "https://feed.example/b/c%20d.html 1055235600\nhttps://s.example/ 1055232000\n"
                    " 0\nhttps://cdn.example/4 1055210400\n");

    const std::pair<const char*, const char*> resolved[] = {
        {"/x?y=1", "http://h.example:81/x?y=1"},
        {"?q", "http://h.example:81/a/b?q"},
        {"./../../../z/", "http://h.example:81/z/"},
        {"HTTPS://Other.example", "HTTPS://Other.example"},
        {"javascript:alert(1)", ""},
        {"ftp://h.example/f", ""},
        {"http://user@h.example/", ""},
        {"http://h.example:99999/", ""}};
    for (const auto& [reference, address] : resolved)
        EXPECT_EQ(ResolveAddress("http://h.example:81/a/b?old#f", reference), address) << reference;
}

TEST(FeedsRead, DocumentsThatAreNoFeedsSayWhy) {
    const std::pair<std::string, const char*> cases[] = {
        {"<rss><channel><item><title>x</title></item>", "not well-formed XML"},
        {"\xEF\xBB\xBF  <!DOCTYPE html><html><body>Moved</body></html>", "an HTML page"},
        {"<html><body><p>hello</body></html>", "an HTML page"},
        {"<opml><body/></opml>", "neither an RSS nor an Atom feed (root element <opml>)"},
        {"", "not well-formed XML"}};
    for (const auto& [bytes, why] : cases) {
        std::vector<FeedItem> items;
        std::string error;
        EXPECT_FALSE(ReadFeed(bytes, "", items, error)) << bytes;
        EXPECT_EQ(error.find(why), 0u) << error;
    }
    EXPECT_TRUE(Read("<rss version=\"2.0\"><channel/></rss>").empty());
}

TEST(FeedsMerge, NewestFirstWithoutRepeatedTitles) {
    std::vector<FeedItem> a = {{"Old", "", 100}, {"Undated A", "", 0}, {"New", "", 300}},
                          b = {{"NEW", "", 200}, {"Undated B", "", 0}, {"undated a", "", 0}};
    std::vector<std::string> titles;
    for (const FeedItem& item : MergeFeeds({&a, &b})) titles.push_back(item.title);
    EXPECT_EQ(titles, (std::vector<std::string>{"New", "Old", "Undated A", "Undated B"}));
    std::vector<FeedItem> many;
    for (int i = 0; i < 80; ++i) many.push_back({"T" + std::to_string(i), "", i});
    std::vector<FeedItem> merged = MergeFeeds({&many, &many});
    ASSERT_EQ(merged.size(), kMaxFeedItems);
    EXPECT_EQ(merged[0].title, "T79");
}

TEST(FeedsQuotes, CsvSourceLines) {
    std::vector<Quote> quotes;
    std::string error;
    ASSERT_TRUE(
        ReadQuotesCsv(Sample("quotes.csv") + "\r\nIBM,1,0\r\n.5X,0.125,+1.995\n", quotes, error));
    ASSERT_EQ(quotes.size(), 2u);  // a repeated symbol and a close below zero are skipped
    EXPECT_EQ(QuoteValue(quotes[0]), "101.25 +0.50");
    EXPECT_EQ(QuoteValue(quotes[1]), "54.38 +0.88");  // the change from the previous close
    EXPECT_FALSE(ReadQuotesCsv("symbol,last\n<html>\n", quotes, error));
    EXPECT_EQ(error, "no quote lines (symbol,last,change,previous close)");
}

}  // namespace
}  // namespace portal
