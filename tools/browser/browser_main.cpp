// Browser.exe: a DDE server on the browser's topics that logs every request it receives.
// One thread: the DDEML callbacks run inside its message loop.
#include <windows.h>
#include <ddeml.h>

#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <cstring>

namespace {

constexpr int kMaxConversations = 64;
const char* const kTopics[] = {"WWW_OpenURL", "WWW_Activate"};

DWORD Instance;
FILE* Log;
DWORD ReplyDelayMs;
HSZ Services[2];
int ServiceCount;
HSZ TopicNames[2];

// Which service each open conversation was made with (the request names only the topic).
struct Conversation {
    HCONV conv;
    HSZ service;
};
Conversation Conversations[kMaxConversations];

void WriteLine(const char* a, const char* b, const char* c, const char* d) {
    std::fprintf(Log, "%s\t%s\t%s\t%s\n", a, b, c, d);
    std::fflush(Log);
}

void NameOf(HSZ hsz, char* out, DWORD size) {
    out[0] = 0;
    if (hsz) DdeQueryStringA(Instance, hsz, out, size, CP_WINANSI);
}

bool OneOf(HSZ hsz, const HSZ* list, int count) {
    for (int i = 0; i < count; ++i)
        if (DdeCmpStringHandles(hsz, list[i]) == 0) return true;
    return false;
}

void Remember(HCONV conv, HSZ service) {
    for (Conversation& c : Conversations)
        if (!c.conv) {
            c = {conv, service};
            return;
        }
}

HSZ ServiceOf(HCONV conv) {
    for (const Conversation& c : Conversations)
        if (c.conv == conv) return c.service;
    return nullptr;
}

void Forget(HCONV conv) {
    for (Conversation& c : Conversations)
        if (c.conv == conv) c = {};
}

HDDEDATA CALLBACK Callback(UINT type, UINT format, HCONV conv, HSZ hsz1, HSZ hsz2, HDDEDATA,
                           ULONG_PTR, ULONG_PTR) {
    switch (type) {
    case XTYP_CONNECT:  // hsz1 topic, hsz2 service
        return reinterpret_cast<HDDEDATA>(static_cast<INT_PTR>(
            OneOf(hsz1, TopicNames, 2) && OneOf(hsz2, Services, ServiceCount)));
    case XTYP_CONNECT_CONFIRM:
        for (int i = 0; i < ServiceCount; ++i)
            if (DdeCmpStringHandles(hsz2, Services[i]) == 0) Remember(conv, Services[i]);
        return nullptr;
    case XTYP_DISCONNECT: Forget(conv); return nullptr;
    case XTYP_REQUEST: {
        char service[64], topic[64], item[1024];
        NameOf(ServiceOf(conv), service, sizeof service);
        NameOf(hsz1, topic, sizeof topic);
        NameOf(hsz2, item, sizeof item);
        WriteLine("request", service, topic, item);
        if (ReplyDelayMs) Sleep(ReplyDelayMs);
        if (format != CF_TEXT) return nullptr;
        static const char kReply[] = "1";
        return DdeCreateDataHandle(Instance, (LPBYTE)kReply, sizeof kReply, 0, hsz2, CF_TEXT, 0);
    }
    }
    return nullptr;
}

int Usage() {
    std::fprintf(stderr, "usage: Browser [--netscape] [--iexplore] --log FILE [--delay MS]\n");
    return 2;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    bool netscape = false, iexplore = false;
    const char* logPath = nullptr;
    for (int i = 1; i < __argc; ++i) {
        const char* arg = __argv[i];
        if (!std::strcmp(arg, "--netscape")) {
            netscape = true;
        } else if (!std::strcmp(arg, "--iexplore")) {
            iexplore = true;
        } else if (!std::strcmp(arg, "--log") && i + 1 < __argc) {
            logPath = __argv[++i];
        } else if (!std::strcmp(arg, "--delay") && i + 1 < __argc) {
            char* end = nullptr;
            unsigned long ms = std::strtoul(__argv[++i], &end, 10);
            if (*end || ms > 600000) return Usage();
            ReplyDelayMs = ms;
        } else {
            return Usage();
        }
    }
    if (!logPath) return Usage();
    if (!netscape && !iexplore) netscape = iexplore = true;
    Log = std::fopen(logPath, "a");
    if (!Log) return 1;

    if (DdeInitializeA(&Instance, Callback,
                       APPCLASS_STANDARD | CBF_FAIL_ADVISES | CBF_FAIL_POKES | CBF_FAIL_EXECUTES |
                           CBF_SKIP_REGISTRATIONS | CBF_SKIP_UNREGISTRATIONS,
                       0) != DMLERR_NO_ERROR)
        return 1;
    for (int i = 0; i < 2; ++i)
        TopicNames[i] = DdeCreateStringHandleA(Instance, kTopics[i], CP_WINANSI);
    char names[64] = "";
    for (const char* name : {netscape ? "NETSCAPE" : nullptr, iexplore ? "Iexplore" : nullptr}) {
        if (!name) continue;
        HSZ service = DdeCreateStringHandleA(Instance, name, CP_WINANSI);
        if (!DdeNameService(Instance, service, nullptr, DNS_REGISTER)) return 1;
        Services[ServiceCount++] = service;
        std::strcat(names, ServiceCount > 1 ? "," : "");
        std::strcat(names, name);
    }
    WriteLine("ready", names, "", "");

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    DdeUninitialize(Instance);
    std::fclose(Log);
    return 0;
}
