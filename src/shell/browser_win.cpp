// Browser launch. The address goes to a running browser over DDE ("NETSCAPE", then
// "Iexplore") on "WWW_OpenURL" and the browser is brought forward on "WWW_Activate"; when no
// browser answers, the shell's open command for http is run with the address appended. Either
// way the address is encoded first (browser_rules.h): a feed's link is the feed's text, and
// must not become several arguments or item fields.
//
// Threads: window thread only. The DDE state below is one conversation at a time; each
// exchange initialises its own DDEML instance and uninitialises it before the next begins.
// A request waits for the browser's answer in a message loop of the system's, where a second
// double click, a search or a menu command can arrive: such a call is refused (it opens
// nothing) rather than queued, as it would otherwise overwrite the conversation in progress,
// and a page the user asked for while a slow browser still works on the last one is more
// likely a repeated click than a wish to be kept waiting for a second page.
#include "shell/browser_win.h"

#include <ddeml.h>

#include <initializer_list>

#include "base/endpoints.h"
#include "base/program_win.h"
#include "base/text.h"
#include "feed/content_model.h"
#include "settings/settings.h"
#include "settings/settings_store_win.h"
#include "shell/search_box_win.h"

namespace {

constexpr size_t kAddressSize =
    kMaxAddressLength(sizeof kSearchRootUrl - 1, kPathField - 1, kLinkUrlSize - 1) + 1;
constexpr size_t kEncodedAddressSize = 3 * kAddressSize;  // every byte may take three
constexpr char kOpenUrlTopic[] = "WWW_OpenURL";
constexpr char kActivateTopic[] = "WWW_Activate";
// Window 0xFFFFFFFF (the browser's last active one), flags 0.
constexpr char kActivateItem[] = "\"0xFFFFFFFF\",\"0\"";
static_assert(sizeof kActivateItem - 1 == 16, "the activate item is 16 characters");
constexpr DWORD kRequestTimeoutMs = 10000;

DWORD DdeInstance;
HCONV DdeConversation;
HSZ DdeItem;       // item of the last request, kept until the conversation is closed
bool OpeningPage;  // an OpenBrowserPage is under way

HDDEDATA CALLBACK DdeCallback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) {
    return nullptr;
}

bool DdeOpenConversation(const char* topic) {
    DdeInstance = 0;
    DdeConversation = nullptr;
    DdeItem = nullptr;
    if (DdeInitializeA(&DdeInstance, DdeCallback, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR) {
        DdeInstance = 0;
        return false;
    }
    HSZ netscape = DdeCreateStringHandleA(DdeInstance, "NETSCAPE", CP_WINANSI);
    HSZ iexplore = DdeCreateStringHandleA(DdeInstance, "Iexplore", CP_WINANSI);
    HSZ topicName = DdeCreateStringHandleA(DdeInstance, topic, CP_WINANSI);
    DdeConversation = DdeConnect(DdeInstance, netscape, topicName, nullptr);
    if (!DdeConversation) DdeConversation = DdeConnect(DdeInstance, iexplore, topicName, nullptr);
    for (HSZ name : {netscape, iexplore, topicName})
        if (name) DdeFreeStringHandle(DdeInstance, name);
    if (!DdeConversation) {
        DdeUninitialize(DdeInstance);
        DdeInstance = 0;
        return false;
    }
    return true;
}

// One request on the open conversation; what the browser answers is not used.
void DdeSendRequest(const char* item) {
    if (!DdeConversation) return;  // the conversation was not made: the request fails
    DdeItem = DdeCreateStringHandleA(DdeInstance, item, CP_WINANSI);
    HDDEDATA data = DdeClientTransaction(nullptr, 0, DdeConversation, DdeItem, CF_TEXT,
                                         XTYP_REQUEST, kRequestTimeoutMs, nullptr);
    if (data) DdeFreeDataHandle(data);
}

void DdeCloseConversation() {
    if (!DdeInstance) return;
    DdeDisconnect(DdeConversation);
    if (DdeItem) DdeFreeStringHandle(DdeInstance, DdeItem);
    DdeUninitialize(DdeInstance);
    DdeInstance = 0;
    DdeConversation = nullptr;
    DdeItem = nullptr;
}

// The search box's text made into a query, or an empty query while the box is closed.
void ReadSearchQuery(char* query, size_t size) {
    query[0] = 0;
    if (!SearchOpen || !SearchBoxWindow) return;
    char text[kSearchQueryLength + 1] = "";
    GetWindowTextA(SearchBoxWindow, text, sizeof text);
    SearchQueryFromBoxText(query, size, text);
}

// Builds the address that (x, y) asks for. Returns false when there is nothing to open: a
// strip point beyond the last link's right edge, or a strip without links. The walk over the
// table would end on a stale entry there, so the click opens nothing rather than an old page.
bool BuildAddress(PagePoint point, int stripWidth, char* address, size_t size) {
    switch (PageForPoint(point, stripWidth)) {
    case BrowserPage::kSearch: {
        char query[kSearchQueryLength + 1];
        ReadSearchQuery(query, sizeof query);
        BuildSearchAddress(address, size, kSearchRootUrl, query);
        return true;
    }
    case BrowserPage::kStripItem: {
        uint32_t position =
            static_cast<uint32_t>(point.x) + static_cast<uint32_t>(ScrollOffset.load());
        LinkEntry entry;
        if (FindLinkAt(position, &entry) < 0) return false;
        CopyText(address, size, entry.url);
        return true;
    }
    case BrowserPage::kHelp: {
        char folder[kPathField];
        ReadInstallPath(folder);
        CopyText(address, size, folder);
        AppendText(address, size, kHelpFileName);
        return true;
    }
    case BrowserPage::kSymbolLookup: CopyText(address, size, kSymbolLookupUrl); return true;
    }
    return false;
}

// Opens the keys one at a time, for reading only: on NT a user who is not an administrator may
// read the machine's classes but not change them, and nothing here is changed or created.
bool ReadCommandValue(char* command) {
    static const char* const kPath[] = {"SOFTWARE", "Classes", "http", "shell", "open", "command"};
    HKEY keys[6] = {};
    int opened = 0;
    HKEY parent = HKEY_LOCAL_MACHINE;
    for (const char* name : kPath) {
        if (RegOpenKeyExA(parent, name, 0, KEY_READ, &keys[opened]) != ERROR_SUCCESS) break;
        parent = keys[opened++];
    }
    bool read = false;
    if (opened == 6) {
        char value[kBrowserCommandSize];
        DWORD size = sizeof value;
        if (RegQueryValueExA(parent, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(value),
                             &size) == ERROR_SUCCESS) {
            // A value of the full 260 bytes may come without its terminator.
            value[size < sizeof value ? size : sizeof value - 1] = 0;
            CopyText(command, kBrowserCommandSize, value);
            read = true;
        }
    }
    while (opened > 0) RegCloseKey(keys[--opened]);
    return read;
}

// Hands the encoded address to a running browser, else starts the registered one with it. An
// address too long for a DDE item goes straight to the command line.
void OpenAddress(const char* command, const char* address) {
    char item[kMaxDdeItemLength + 1];
    if (BuildOpenUrlItem(item, sizeof item, address) && DdeOpenConversation(kOpenUrlTopic)) {
        DdeSendRequest(item);
        DdeCloseConversation();
        DdeOpenConversation(kActivateTopic);
        DdeSendRequest(kActivateItem);
        DdeCloseConversation();
        return;
    }
    // No browser answered: start the registered one. Without a command there is nothing to
    // start (the address alone is no program), so the request ends here.
    char commandLine[kBrowserCommandSize + kEncodedAddressSize];
    if (BuildBrowserCommandLine(commandLine, sizeof commandLine, command, address))
        WinExec(commandLine, SW_SHOWNORMAL);
}

void OpenPage(PagePoint point) {
    char command[kBrowserCommandSize] = "";
    ReadBrowserCommand(command);

    HWND window = TickerWindow;
    RECT client = {};
    GetClientRect(window, &client);
    char address[kAddressSize], encoded[kEncodedAddressSize];
    bool haveAddress = BuildAddress(point, client.right, address, sizeof address);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE);
    if (haveAddress && EncodeAddress(encoded, sizeof encoded, address))
        OpenAddress(command, encoded);
}

}  // namespace

void ReadBrowserCommand(char* command) {
    if (ReadCommandValue(command)) TrimBrowserCommand(command, kBrowserCommandSize);
}

void OpenBrowserPage(PagePoint point) {
    if (OpeningPage) return;
    OpeningPage = true;
    OpenPage(point);
    OpeningPage = false;
}
