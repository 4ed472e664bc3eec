// The network half of a refresh: the optional account login, the content request, the reply
// read whole and parsed into strip text. Feed worker thread only, inside FeedLock.
#pragma once
#include <windows.h>
#include <wininet.h>

#include "base/internet_win.h"

// Fills contentBuffer (kContentBufferSize bytes, zero-filled) from the portal and returns the
// end of the text written: contentBuffer itself when there is nothing new to show. Text that
// is returned always leaves room for the two spaces and the zero of the hand-over. Links are
// measured against TickerWindow. Sets FeedDisabled when the content request cannot be opened.
// A refresh whose requests run past the deadline, or that the end of the program overtakes,
// shows nothing new and leaves the feed as it was: the next refresh asks again.
char* FetchAndParseFeed(HINTERNET internet, char* contentBuffer, Deadline deadline);
