// The proxy the browser is configured with, for when the system's own Internet set-up fails.
// Called on the feed worker thread; uses only its own key handles and the caller's buffer.
#pragma once

constexpr int kProxyField = 260;

// Fills proxy (kProxyField bytes) with the browser's proxy setting, taken whole; true when it
// is not empty.
bool ReadNavigatorProxy(char* proxy);
