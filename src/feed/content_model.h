// The content model: the strip text on show, the link table that ties strip positions to
// addresses, and the numbers that say where the strip stands. Plain process-wide data.
//
// Threads: the feed worker writes DisplayText, LinkTable, LinkCount, WrapWidth, ScrollOffset,
// PenX, PenY and LastUpdatedText; the window thread reads them and also moves ScrollOffset,
// PenX and PenY while it paints. The worker never waits for the window thread and the window
// thread never blocks on the worker:
//  - DisplayText is handed over inside BeginDisplayUpdate / EndDisplayUpdate, which raise
//    DisplayUpdating and make DisplayGeneration odd. The scroll tick copies the text with
//    CopyDisplayText, which refuses a copy that a hand-over overlapped, so a half-written text
//    is never painted, even after a mouse click has cleared DisplayUpdating early.
//  - A LinkEntry is written before LinkCount is raised past it (release), and readers take
//    LinkCount first (acquire), so every entry below the count they saw is complete. Clearing
//    LinkCount at the start of a refresh bumps LinkGeneration; ReadLink uses it to refuse an
//    entry that was rewritten while it was being read.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "settings/settings.h"

constexpr int kDisplayTextSize = 20000;
constexpr int kContentBufferSize = 20000;
constexpr int kResponseBufferSize = 100000;
constexpr int kLastUpdatedSize = kSettingString;  // kept in the store as one of its strings
constexpr int kLinkTableSize = 200;
constexpr int kLinkUrlSize = 200;

struct LinkEntry {
    int32_t rightEdge;       // strip x where the linked item's text ends, appended space included
    char url[kLinkUrlSize];  // absolute address beginning with "http:"
    uint32_t topicStart;     // 1 for the first link after a topic tag
};

extern char DisplayText[kDisplayTextSize];
extern char LastUpdatedText[kLastUpdatedSize];
extern LinkEntry LinkTable[kLinkTableSize];
extern std::atomic<int32_t> LinkCount;
extern std::atomic<uint32_t> LinkGeneration;

extern std::atomic<int32_t> ScrollOffset;   // pixels scrolled, kept within 0..WrapWidth
extern std::atomic<int32_t> WrapWidth;      // scroll period: content width + 8
extern std::atomic<int32_t> PenX;           // painter's running x in strip coordinates
extern std::atomic<int32_t> PenY;           // 0 (label next) or 3 (value next)
extern std::atomic<int32_t> ScrollForward;  // nonzero: the text moves left
extern std::atomic<int32_t> DisplayUpdating;
extern std::atomic<uint32_t> DisplayGeneration;  // odd while DisplayText is being replaced

// Worker side of a hand-over of DisplayText.
void BeginDisplayUpdate();
void EndDisplayUpdate();

// Window side: copies DisplayText into copy (size bytes, terminated). Returns false, leaving
// copy unusable, while DisplayUpdating is set or when a hand-over ran during the copy.
bool CopyDisplayText(char* copy, size_t size);

// Worker side of the link table.
void ClearLinks();
// Appends an entry (url cut to fit). Returns false, recording nothing, when the table is full.
bool AppendLink(int32_t rightEdge, const char* url, uint32_t topicStart);

// Worker side: drops the entries whose items end past edge, which the layout cut off the text.
void DropLinksPast(int32_t edge);

// Window side: the entry of the item at strip position `position` (x + ScrollOffset), copied
// into *entry: the first entry below LinkCount whose rightEdge is greater (compared unsigned).
// A position at or past WrapWidth lies in a repeat copy, which shows there what the strip
// shows one scroll period earlier; it is taken back by whole periods first, so a click on a
// copy opens the item it repeats. Returns the entry's index, or -1 when none qualifies or the
// table changed while it was read.
int FindLinkAt(uint32_t position, LinkEntry* entry);
// Copies entry i (below the count seen) into *entry; false if out of range or rewritten.
bool ReadLink(int i, LinkEntry* entry);
