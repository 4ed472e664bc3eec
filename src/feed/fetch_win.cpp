#include "feed/fetch_win.h"

#include <cstring>

#include "base/internet_win.h"
#include "base/text.h"
#include "base/program_win.h"
#include "display/banner_win.h"
#include "display/banners.h"
#include "display/strip_win.h"
#include "feed/content_model.h"
#include "feed/feed_query.h"
#include "feed/feed_worker_win.h"
#include "feed/reply_parser.h"
#include "settings/settings.h"
#include "settings/settings_store_win.h"

namespace {

// Exactly as the portal has always been sent them, the doubled slashes included.
constexpr char kLoginHeaders[] = "Accept: text//plain\r\nAccept: text//html\r\n";
constexpr char kContentHeaders[] = "User-Agent: ZRT Ticker V1.0\r\n\r\n";

// The reply buffer (kResponseBufferSize bytes) as one request fills it from its start. A reply
// larger than the buffer is cut where the buffer ends: reading stops, the request is closed and
// what arrived is used. A feed that size is far more than the strip can show.
struct Reply {
    char* data;
    size_t length;
};

bool TakeReply(void* context, const char* bytes, size_t count) {
    Reply& reply = *static_cast<Reply*>(context);
    const size_t room = kResponseBufferSize - 1 - reply.length;
    const size_t taken = count < room ? count : room;
    std::memcpy(reply.data + reply.length, bytes, taken);
    reply.length += taken;
    return reply.length < kResponseBufferSize - 1;
}

// Reads url into the buffer, ended by a zero byte.
UrlRead Get(HINTERNET internet, const char* url, const char* headers, Reply* reply,
            const Deadline& deadline) {
    reply->length = 0;
    const UrlRead read = ReadUrl(internet, url, headers, ReplySink{reply, TakeReply}, deadline);
    reply->data[reply->length] = 0;
    return read;
}

void RecordParsedLink(void* window, const char* textSoFar, const char* url, uint32_t topicStart) {
    // A full table drops the link anyway; measuring the whole text for it would only cost
    // time on a reply with thousands of links. Once the program ends, nothing is measured: the
    // text will not be shown, and the window and its fonts are going.
    if (LinkCount.load() >= kLinkTableSize || ProgramEnding) return;
    RecordLink(static_cast<HWND>(window), textSoFar, url, topicStart);
}

char* WriteBanner(char* content, const char* banner) {
    return content + CopyText(content, kContentBufferSize, banner);
}

// FetchAndParseFeed with its reply buffer.
char* FetchInto(HINTERNET internet, char* content, Reply* reply, const Deadline& deadline) {
    // The settings as they stand when the refresh starts: a preferences page applied meanwhile
    // on the window thread changes the next refresh, not this one halfway through.
    const TickerSettingsData settings = SnapshotSettings();
    size_t received = 0;

    if (settings.useMyTamzo) {
        char login[kLoginAddressSize];
        if (!BuildLoginAddress(login, sizeof login, settings.userId, settings.password))
            return WriteBanner(content, kBadLoginBanner);
        // A login that cannot be opened gives no verdict; the content request follows.
        const UrlRead read = Get(internet, login, kLoginHeaders, reply, deadline);
        if (read == UrlRead::kCut) return content;
        if (read == UrlRead::kRead) {
            received += reply->length;
            if (!LoginAccepted(reply->data, reply->length))
                return WriteBanner(content, kBadLoginBanner);
        }
    }

    // "Airports" alone is read afresh at every refresh; an unreadable value keeps the one the
    // window loaded.
    char airports[kAirportsField];
    CopyText(airports, settings.airports);
    ReadSettingString(kAirportsValue, airports);
    char address[kRequestAddressSize];
    BuildContentAddress(address, sizeof address, settings, airports);

    const UrlRead read = Get(internet, address, kContentHeaders, reply, deadline);
    if (read == UrlRead::kNotOpened) FeedDisabled = 1;
    if (read != UrlRead::kRead) return content;
    received += reply->length;
    if (received == 0) return WriteBanner(content, kNoDataBanner);
    char* end = content + ParseReply(reply->data, content, kContentBufferSize,
                                     {RecordParsedLink, TickerWindow});
    return ProgramEnding ? content : end;
}

}  // namespace

char* FetchAndParseFeed(HINTERNET internet, char* content, Deadline deadline) {
    if (FirstRefresh) ShowBanner(kContactingBanner, true);
    // Without the reply buffer there is nothing to read into: the refresh shows nothing new.
    Reply reply{static_cast<char*>(GlobalAlloc(GPTR, kResponseBufferSize)), 0};
    if (!reply.data) return content;
    char* end = FetchInto(internet, content, &reply, deadline);
    GlobalFree(reply.data);
    return end;
}
