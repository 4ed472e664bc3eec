// Window messages and timers of the ticker window, named once.
#pragma once

constexpr unsigned kWmUser = 0x0400;
// Sent (never posted) to a running ticker to close it: by a newer copy and by the self-update.
constexpr unsigned WM_TICKER_CLOSE = kWmUser + 101;

// Timers of the ticker window.
constexpr unsigned ScrollTimer = 2;     // 50 ms: one scroll tick
constexpr unsigned RefreshTimer = 3;    // "News Refresh" minutes: a feed refresh
constexpr unsigned PlacementTimer = 4;  // 500 ms: placement and display modes
constexpr unsigned kScrollPeriodMs = 50;
constexpr unsigned kPlacementPeriodMs = 500;
