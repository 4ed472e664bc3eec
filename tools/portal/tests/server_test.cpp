// The portal program with its data directory: replies, login and pages, asked over HTTP. The
// request log, the proxy form and the test hooks are seen by the end-to-end scenarios, which
// read the log of the ticker's own requests.
#include "portal_process.h"
#include "strip.h"

namespace portal::test {
namespace {

TEST(ServerFrozen, AccountSelectionFollowsTheSessionCookieAndPagesAnswerOrFailCleanly) {
    PortalProcess portal({"--frozen"});
    auto http = portal.Client();
    const httplib::Headers login = {{"Host", "login.tamzo.example"}};
    for (const char* bad :
         {"/bin/zrtlogin?login=demo&passwd=wrong", "/bin/zrtlogin?login=nobody&passwd=tamzo",
          "/bin/zrtlogin?login=demo", "/bin/zrtlogin"}) {
        auto r = http.Get(bad, login);
        ASSERT_TRUE(r) << bad;
        EXPECT_EQ(r->body.find("OK"), std::string::npos) << bad << ": " << r->body;
        EXPECT_FALSE(r->has_header("Set-Cookie")) << bad;
    }

    auto good = http.Get("/bin/zrtlogin?login=demo&passwd=tamzo", login);
    ASSERT_TRUE(good);
    EXPECT_EQ(good->body, "OK\r\n");
    std::string setCookie = good->get_header_value("Set-Cookie");
    std::string cookie = setCookie.substr(0, setCookie.find(';'));
    EXPECT_EQ(setCookie, cookie + "; path=/; domain=.tamzo.example");
    ASSERT_EQ(cookie.size(), std::string("tamzo_session=").size() + 16) << cookie;

    auto mine = http.Get("/zrt/update", {{"Cookie", cookie}});
    ASSERT_TRUE(mine);
    EXPECT_EQ(mine->get_header_value("X-Tamzo-Selection"), "account demo");
    EXPECT_EQ(ReadStrip(mine->body).text.rfind("^DJI|+7912.44 +32.51|IBM|+101 1/4 +1/2|ZORB|", 0),
              0u);
    for (const char* other : {"", "tamzo_session=0000000000000000"}) {
        auto r = http.Get("/zrt/update", {{"Cookie", other}});
        ASSERT_TRUE(r);
        EXPECT_EQ(r->get_header_value("X-Tamzo-Selection"), "default") << other;
        EXPECT_EQ(ReadStrip(r->body).text.substr(0, 9), "^DJI|+791") << other;
    }
    // A query wins over the session.
    auto asked = http.Get("/zrt/update?news=1,rs", {{"Cookie", cookie}});
    ASSERT_TRUE(asked);
    EXPECT_EQ(asked->get_header_value("X-Tamzo-Selection"), "query");

    // Pages: the search escapes what it is given, the quote page answers the proxy form.
    std::string search = portal.Body("/bin/search?p=power+%3Cgrid%3E");
    EXPECT_NE(search.find("Search results for &quot;power &lt;grid&gt;&quot;"), std::string::npos);
    EXPECT_EQ(search.find("<grid>"), std::string::npos);
    std::string quote = portal.Body("http://quote.tamzo.example/q?s=%5EDJI");  // proxy form
    EXPECT_NE(quote.find("<h1>^DJI - Industrials Average</h1>"), std::string::npos) << quote;
    for (const char* missing : {"/news/rb/0.html", "/news/zz/1.html", "/news/rb/99999.html",
                                "/story/0123456789abcdef.html", "/nothing"}) {
        auto r = http.Get(missing);
        ASSERT_TRUE(r) << missing;
        EXPECT_EQ(r->status, 404) << missing;
    }
    // A malformed request line gets a plain error and the server carries on.
    auto malformed = http.Get("/a?b?c");
    ASSERT_TRUE(malformed);
    EXPECT_EQ(malformed->status, 400);
    EXPECT_EQ(portal.Stop(), 0);  // SIGTERM ends it cleanly
}

TEST(ServerOptions, BadOptionsAndSourcesStopTheStart) {
    Folder folder("options");
    std::ofstream(folder / "list") << "# topic address\nrt\n";
    std::ofstream(folder / "broken.xml") << "<rss><channel>";
    const std::vector<std::vector<std::string>> cases = {{"--port", "x"},
                                                         {"--bogus"},
                                                         {"--refresh", "0"},
                                                         {"--feed", "zz=/dev/null"},
                                                         {"--data", "/no/such"},
                                                         {"--feeds", folder / "list"},
                                                         {"--feed", "rt=" + folder / "missing.xml"},
                                                         {"--feed", "rt=" + folder / "broken.xml"}};
    for (const std::vector<std::string>& bad : cases) {
        PortalProcess portal(bad);
        EXPECT_EQ(portal.Port(), 0) << bad[1];
        EXPECT_NE(portal.Stop(), 0) << bad[1];
    }
}

}  // namespace
}  // namespace portal::test
