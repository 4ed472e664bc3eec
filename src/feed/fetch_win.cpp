#include "feed/fetch_win.h"

#include "base/text.h"
#include "app/ticker_host_win.h"
#include "display/banner_win.h"
#include "display/banners.h"
#include "display/strip_win.h"
#include "feed/content_model.h"
#include "feed/feed_query.h"
#include "feed/feed_worker_win.h"
#include "feed/http_get_win.h"
#include "feed/reply_parser.h"
#include "settings/settings.h"
#include "settings/settings_store.h"

namespace {

// Exactly as the portal has always been sent them, the doubled slashes included.
constexpr char kLoginHeaders[] = "Accept: text//plain\r\nAccept: text//html\r\n";
constexpr char kContentHeaders[] = "User-Agent: ZRT Ticker V1.0\r\n\r\n";
constexpr size_t kHeaderSize = 100;

void RecordParsedLink(void* window, const char* textSoFar, const char* url, uint32_t topicStart) {
    // A full table drops the link anyway; measuring the whole text for it would only cost
    // time on a reply with thousands of links.
    if (LinkCount.load() >= kLinkTableSize) return;
    RecordLink(static_cast<HWND>(window), textSoFar, url, topicStart);
}

char* WriteBanner(char* content, const char* banner) {
    return content + CopyText(content, kContentBufferSize, banner);
}

// The settings as they stand when the refresh starts: a preferences page applied meanwhile
// on the window thread changes the next refresh, not this one halfway through.
TickerSettingsData SettingsSnapshot() {
    TickerSettingsData s = TickerSettings;
    s.stockSymbols[sizeof s.stockSymbols - 1] = 0;
    s.userId[sizeof s.userId - 1] = 0;
    s.password[sizeof s.password - 1] = 0;
    s.airports[sizeof s.airports - 1] = 0;
    return s;
}

}  // namespace

char* FetchAndParseFeed(HINTERNET internet, char* content) {
    if (FirstRefresh) ShowBanner(kContactingBanner, true);
    char headers[kHeaderSize];
    CopyText(headers, kLoginHeaders);

    // Without the reply buffer there is nothing to read into: the refresh shows nothing new.
    char* response = static_cast<char*>(GlobalAlloc(GPTR, kResponseBufferSize));
    if (!response) return content;
    const TickerSettingsData settings = SettingsSnapshot();
    size_t received = 0;

    if (settings.useMyTamzo) {
        char login[kLoginAddressSize];
        if (!BuildLoginAddress(login, sizeof login, settings.userId, settings.password)) {
            GlobalFree(response);
            return WriteBanner(content, kBadLoginBanner);
        }
        HttpReply reply = HttpGet(internet, login, headers, response, kResponseBufferSize);
        // A login that cannot be opened gives no verdict; the content request follows.
        if (reply.opened) {
            received += reply.length;
            if (!LoginAccepted(response, reply.length)) {
                GlobalFree(response);
                return WriteBanner(content, kBadLoginBanner);
            }
        }
    }

    CopyText(headers, kContentHeaders);
    // "Airports" alone is read afresh at every refresh; an unreadable value keeps the one the
    // window loaded.
    char airports[kAirportsField];
    CopyText(airports, settings.airports);
    ReadSettingString(kAirportsValue, airports);
    char address[kRequestAddressSize];
    BuildContentAddress(address, sizeof address, settings, airports);

    HttpReply reply = HttpGet(internet, address, headers, response, kResponseBufferSize);
    if (!reply.opened) {
        FeedDisabled = 1;
        GlobalFree(response);
        return content;
    }
    received += reply.length;
    if (received == 0) {
        GlobalFree(response);
        return WriteBanner(content, kNoDataBanner);
    }

    size_t length =
        ParseReply(response, content, kContentBufferSize, {RecordParsedLink, TickerWindow});
    GlobalFree(response);
    return content + length;
}
