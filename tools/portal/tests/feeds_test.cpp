// News feed files: the shipped RSS 2.0 and Atom samples, and files that are not feeds.
#include <gtest/gtest.h>

#include "feeds.h"

namespace portal {
namespace {

std::string Sample(const char* name) { return std::string(PORTAL_TEST_DATA) + "/" + name; }

TEST(FeedsFile, Rss2ItemsBecomeCleanHeadlines) {
    std::vector<Headline> h;
    std::string error;
    ASSERT_TRUE(LoadFeedFile(Sample("sample-rss.xml"), h, error)) << error;
    ASSERT_EQ(h.size(), 5u);  // the item without a title is left out
    EXPECT_EQ(h[0].title, "Town Hall Approves New Library Wing");
    EXPECT_EQ(h[0].link, "http://gazette.example/1997/library.html");
    EXPECT_EQ(h[1].title,
              "Diner Owners \"Cheer\" Parking Plan / Gazette");        // '|' would split the strip
    EXPECT_EQ(h[1].link, "http://gazette.example/1997/parking.html");  // served as http
    EXPECT_EQ(h[2].title, "Cr me br l e contest draws record crowd");  // non-ASCII and blanks
    EXPECT_EQ(h[2].link, "http://gazette.example/1997/contest.html");  // from a permalink guid
    EXPECT_EQ(h[3].title, "Council Minutes Posted");
    EXPECT_EQ(h[3].link, "");  // a guid that is no permalink is no link
    EXPECT_LE(h[4].title.size(), kMaxFeedTitle);
    EXPECT_EQ(h[4].title.substr(h[4].title.size() - 3), "...");
    for (const Headline& item : h)
        for (unsigned char c : item.title) EXPECT_TRUE(c >= 0x20 && c < 0x7F) << item.title;
}

TEST(FeedsFile, AtomEntriesBecomeHeadlines) {
    std::vector<Headline> h;
    std::string error;
    ASSERT_TRUE(LoadFeedFile(Sample("sample-atom.xml"), h, error)) << error;
    ASSERT_EQ(h.size(), 3u);
    EXPECT_EQ(h[0].title, "Ferry Schedule Changes for Winter");
    EXPECT_EQ(h[0].link, "http://harbor.example/ferry.html");    // the alternate link, not self
    EXPECT_EQ(h[1].title, "Lighthouse Restored AT&T Sponsors");  // escaped HTML title
    EXPECT_EQ(h[1].link, "http://harbor.example/lighthouse.html");
    EXPECT_EQ(h[2].title, "Harbor Seals Return");
    EXPECT_EQ(h[2].link, "");
}

TEST(FeedsFile, OtherFilesAreRefusedWithAReason) {
    std::vector<Headline> h;
    std::string error;
    EXPECT_FALSE(ParseFeed("<rss><channel><item><title>x</title></item>", h, error));
    EXPECT_NE(error.find("not well-formed"), std::string::npos) << error;
    EXPECT_FALSE(ParseFeed("<html><body>hello</body></html>", h, error));
    EXPECT_NE(error.find("neither an RSS nor an Atom"), std::string::npos) << error;
    EXPECT_FALSE(LoadFeedFile(Sample("no-such-file.xml"), h, error));
    EXPECT_NE(error.find("cannot read"), std::string::npos) << error;

    // RSS 1.0 items stand beside the channel; an empty channel is no error.
    ASSERT_TRUE(ParseFeed("<rdf:RDF xmlns:rdf=\"x\"><channel/><item><title>One</title>"
                          "<link>http://a.example/1</link></item></rdf:RDF>",
                          h, error));
    ASSERT_EQ(h.size(), 1u);
    EXPECT_EQ(h[0].title, "One");
    ASSERT_TRUE(ParseFeed("<rss version=\"2.0\"><channel/></rss>", h, error));
    EXPECT_TRUE(h.empty());
}

}  // namespace
}  // namespace portal
