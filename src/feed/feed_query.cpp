#include "feed/feed_query.h"

#include <cstdio>
#include <cstring>

#include "base/endpoints.h"
#include "base/text.h"

namespace {

// Topic codes in the order the portal expects them; the last one goes without a comma.
struct TopicCode {
    uint32_t TickerSettingsData::*selected;
    const char* code;
};

const TopicCode kTopicCodes[] = {
    {&TickerSettingsData::showUS, "rt,"},           {&TickerSettingsData::showWorld, "rw,"},
    {&TickerSettingsData::showBusiness, "rb,"},     {&TickerSettingsData::showPolitics, "rp,"},
    {&TickerSettingsData::showTechnology, "rc,"},   {&TickerSettingsData::showSports, "rs,"},
    {&TickerSettingsData::showEntertainment, "re"},
};

}  // namespace

size_t BuildContentAddress(char* address, size_t size, const TickerSettingsData& settings,
                           const char* airports) {
    if (size == 0) return 0;
    size_t length = CopyText(address, size, kContentUrl);
    if (settings.useMyTamzo) return length;  // the account's own selections apply

    AppendText(address, size, "?");
    if (settings.showQuotes) {
        AppendText(address, size, "stocks=");
        length = AppendText(address, size, settings.stockSymbols);
        // The symbols are stored joined by "+"; the portal wants commas.
        for (char* p = address; p < address + length; ++p)
            if (*p == '+') *p = ',';
        AppendText(address, size, "&");
    }
    if (settings.showWeather) {
        AppendText(address, size, "weather=");
        AppendText(address, size, settings.fahrenheit ? "f," : "c,");
        AppendText(address, size, airports);
        AppendText(address, size, "&");
    }
    char news[32];
    std::snprintf(news, sizeof news, "news=%u,", static_cast<unsigned>(settings.storiesPerTopic));
    length = AppendText(address, size, news);
    for (const TopicCode& topic : kTopicCodes)
        if (settings.*topic.selected) length = AppendText(address, size, topic.code);
    return length;
}

bool BuildLoginAddress(char* address, size_t size, const char* userId, const char* password) {
    if (size == 0) return false;
    size_t needed = std::strlen(kLoginUrlStart) + std::strlen(userId) + std::strlen("&passwd=") +
                    std::strlen(password);
    if (needed >= size) {
        address[0] = 0;
        return false;
    }
    CopyText(address, size, kLoginUrlStart);
    AppendText(address, size, userId);
    AppendText(address, size, "&passwd=");
    AppendText(address, size, password);
    return true;
}
