// Every outside address the ticker uses, in one place. The maker's and the portal's hosts are
// ours to name; they live under the reserved .example domain, so a ticker that is not pointed
// at a portal by its proxy setting reaches nothing by accident.
#pragma once

// Portal (HTTP).
#define PORTAL_ACCOUNT_HOST "login.tamzo.example"  // /bin/zrtlogin
#define PORTAL_CONTENT_HOST "my.tamzo.example"     // /zrt/update
#define PORTAL_SEARCH_HOST "search.tamzo.example"  // root and /bin/search
#define PORTAL_QUOTE_HOST "quote.tamzo.example"    // /lookup.html

constexpr char kLoginUrlStart[] = "http://" PORTAL_ACCOUNT_HOST "/bin/zrtlogin?login=";
constexpr char kContentUrl[] = "http://" PORTAL_CONTENT_HOST "/zrt/update";
constexpr char kSearchRootUrl[] = "http://" PORTAL_SEARCH_HOST;
constexpr char kSymbolLookupUrl[] = "http://" PORTAL_QUOTE_HOST "/lookup.html";

// Update server (FTP) and the address we leave as the anonymous password.
#define UPDATE_HOST "ftp.ostrivane.example"
constexpr char kUpdateHost[] = UPDATE_HOST;
constexpr char kUpdateUser[] = "ftp";
constexpr char kSupportAddress[] = "support@ostrivane.example";
constexpr char kUpdateDirectory[] = "pub/ostrivane";
constexpr char kUpdateFileName[] = "ticker.ex_";
constexpr char kUpdateUrl[] = "ftp://" UPDATE_HOST "/pub/ostrivane/ticker.ex_";

// The agent name of every Internet handle the ticker opens.
constexpr char kInternetAgent[] = "Ostrivane";
