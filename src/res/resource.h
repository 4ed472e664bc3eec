// Resource and control ids, named once. Plain #defines so that windres can read this file too.
#pragma once

// Icons, cursors, bitmaps, menus (resources addressed by number)
#define IDI_RESERVE 106       // blank 16 x 16 icon that holds room in the notification area
#define IDC_DRAG_CURSOR 123   // shown while the strip is dragged
#define IDB_LOGO 110          // logo button, 64 x 15
#define IDB_BANNER_LARGE 117  // 205 x 40
#define IDB_BANNER_WIDE 118   // 300 x 40
#define IDB_BANNER_SMALL 119  // 150 x 20
#define IDM_CONTEXT 104       // context menu; its first pop-up is shown

// Dialog templates
#define IDD_SYMBOLS 105
#define IDD_ABOUT 108
#define IDD_TICKER_PAGE 122
#define IDD_NEWS_COLORS 131
#define IDD_MAKER 135

// Menu commands
#define IDM_PREFERENCES 40001
#define IDM_EXIT 40002
#define IDM_ABOUT 40003
#define IDM_UPDATE_NOW 40004
#define IDM_HELP 40005
#define IDM_EXPAND 40008
#define IDM_SEARCH_WINDOW 40011

// Settings addressed by the control that edits them: flags
#define IDC_TICKER_SPEED 1009
#define IDC_MY_TAMZO 1010
#define IDC_FAHRENHEIT 1011
#define IDC_WORLD 1024
#define IDC_SPORTS 1025
#define IDC_ENTERTAINMENT 1026
#define IDC_BUSINESS 1027
#define IDC_US 1028
#define IDC_POLITICS 1029
#define IDC_QUOTES 1032
#define IDC_TECHNOLOGY 1033
#define IDC_WEATHER 1034
#define IDC_BOLD_FONT 1046
#define IDC_SCREEN_SAVER 1054
#define IDC_LARGE_SIZE 1055
#define IDC_MY_TAMZO_ONLY 9999  // no control: the key of a flag set only from outside

// Settings addressed by the control that edits them: colours
#define IDC_COLOR_US 1035
#define IDC_COLOR_WORLD 1036
#define IDC_COLOR_BUSINESS 1037
#define IDC_COLOR_POLITICS 1038
#define IDC_COLOR_SPORTS 1039
#define IDC_COLOR_ENTERTAINMENT 1040
#define IDC_COLOR_TECHNOLOGY 1041
#define IDC_COLOR_QUOTE_UP 1042
#define IDC_COLOR_QUOTE_DOWN 1043
#define IDC_COLOR_SYMBOL 1044
#define IDC_COLOR_BACKGROUND 1045
#define IDC_COLOR_QUOTE_NC 1060

// Other controls
#define IDC_STORIES 1058  // stories per topic edit field

// Preferences sheet, About box and maker's page: controls without a setting of their own.
// Ids are per dialog, so two dialogs may use the same number.
#define IDC_STATIC (-1)
// Stock Symbols page (IDD_SYMBOLS)
#define IDC_SYMBOL_EDIT 1001  // the symbol to add
#define IDC_SYMBOL_LIST 1002  // the quoted symbols, sorted
#define IDC_FIND_SYMBOL 1005  // "Find...": the portal's symbol lookup page
#define IDC_ADD_SYMBOL 1006
#define IDC_REMOVE_SYMBOL 1007
// "Ticker" page (IDD_TICKER_PAGE)
#define IDC_REFRESH_SPIN 1012  // up-down of the refresh period, 10 to 60
#define IDC_REFRESH_EDIT 1013  // refresh period in minutes ("News Refresh")
#define IDC_USER_ID 1048       // "Tamzo! User ID"
#define IDC_PASSWORD 1052      // "Tamzo! Password"
#define IDC_ACCOUNT_LOGO 1057  // bitmap button showing IDB_BANNER_LARGE
// "News && Colors" page (IDD_NEWS_COLORS)
#define IDC_CELSIUS 1014       // clears "Temperature System"
#define IDC_AIRPORTS 1053      // "Airports"
#define IDC_NC_HEADING 1056    // "N" over the no-change colour
#define IDC_STORIES_SPIN 1059  // up-down of IDC_STORIES, 3 to 20
// Maker's page (IDD_MAKER) and About box (IDD_ABOUT)
#define IDC_MAKER_BANNER 1059  // bitmap button showing IDB_BANNER_WIDE
#define IDC_ABOUT_BANNER 1061  // bitmap button showing IDB_BANNER_SMALL
