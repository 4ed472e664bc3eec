// The portal's reply, turned into strip text in one pass.
//
// The reply is a zero-terminated byte stream:
//   0x0E t1 t2   a tag: the kind of what follows ("qt" quotes, "wt" weather, "rt" US news ...)
//   0x05 c       a column change: "1" labels, "2" values; a new column opens a new segment
//   0x0B text    a field; ended by any byte that is not text (0x0B closes it and is eaten)
//   0x0D text    a link to the item written just before it
// Every other byte between fields is skipped. The zero byte ends the reply wherever it stands,
// also inside a tag, an entity or a link; nothing past it is read.
#pragma once
#include <cstddef>
#include <cstdint>

// Called at every link with the strip text written so far, temporarily ended by "|" so that
// it can be measured as if the linked item closed its segment, the absolute address and
// whether this is the first link after a tag.
struct LinkSink {
    void (*record)(void* context, const char* textSoFar, const char* url, uint32_t topicStart);
    void* context;
};

// Bytes kept free at the end of the content buffer: the final "|" and, after it, the two
// spaces and the zero that the worker appends when it hands the text over.
constexpr size_t kContentTailReserve = 4;
constexpr size_t kLinkAddressSize = 999;

// Parses reply into content (capacity bytes) and ends the text with "|". Returns the length of
// the text, "|" included; content[length] is zero and length + 3 <= capacity, so the hand-over
// can always append its two spaces and zero. Text that would reach into the reserve is not
// written: parsing stops there, the text ends with the "|" and the rest of the reply, links
// included, is dropped. A capacity too small for the "|" gives 0 (and an empty text when it
// can hold the zero).
size_t ParseReply(const char* reply, char* content, size_t capacity, LinkSink sink);

// The login verdict: the account server's reply is accepted when the two letters "OK" stand
// anywhere in its length bytes (case-sensitive; "NOT OK" is accepted too).
bool LoginAccepted(const char* reply, size_t length);
