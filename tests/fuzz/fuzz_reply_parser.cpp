// libFuzzer target: arbitrary portal replies through the reply parser, the link table and the
// strip text walk, the way a refresh sends them. Every buffer is its own heap block of the
// exact size the ticker uses, so AddressSanitizer sees any byte read or written past it; the
// checks below are the promises the worker relies on.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <vector>

#include "base/text.h"
#include "display/strip_layout.h"
#include "display/strip_text.h"
#include "feed/content_model.h"
#include "feed/reply_parser.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

int32_t MeasurePiece(void*, const StripPiece& piece) {
    Check(piece.length == std::strlen(piece.bytes));
    return static_cast<int32_t>(piece.length) * (piece.value ? 7 : 6);
}

int32_t MeasureWhole(void*, const char* text, size_t length) {
    Check(length <= std::strlen(text));
    return static_cast<int32_t>(length) * 6;
}

struct Run {
    const char* content;
    size_t capacity;
    int links;
};

void OnLink(void* context, const char* textSoFar, const char* url, uint32_t topicStart) {
    Run& run = *static_cast<Run*>(context);
    Check(textSoFar == run.content);
    size_t length = BoundedLength(textSoFar, run.capacity);
    Check(length >= 1 && length + 3 <= run.capacity);  // "|" and its zero inside, reserve kept
    Check(textSoFar[length - 1] == '|');
    Check(std::strlen(url) < kLinkAddressSize && strncasecmp(url, "http:", 5) == 0);
    Check(topicStart <= 1);
    ++run.links;

    AppendLink(static_cast<int32_t>(length), url, topicStart);
    StripWalker walker = {nullptr, MeasurePiece, nullptr, nullptr};
    WalkStrip(textSoFar, run.capacity, 0, walker);
}

void ParseInto(const char* reply, size_t capacity) {
    char* content = static_cast<char*>(std::malloc(capacity));
    std::memset(content, 0, capacity);
    Run run = {content, capacity, 0};
    ClearLinks();
    size_t length = ParseReply(reply, content, capacity, {OnLink, &run});
    if (capacity < kContentTailReserve) {
        Check(length == 0);
    } else {
        Check(length >= 1 && length + 3 <= capacity && content[length] == 0);
        Check(content[length - 1] == '|');
        Check(LinkCount.load() == (run.links < kLinkTableSize ? run.links : kLinkTableSize));
        // The hand-over: two spaces, then the text goes on show and is extended for the wrap.
        Check(AppendText(content, capacity, "  ") == length + 2);
        if (capacity == static_cast<size_t>(kContentBufferSize)) {
            char* display = static_cast<char*>(std::malloc(kDisplayTextSize));
            CopyText(display, kDisplayTextSize, content);
            StripWalker walker = {nullptr, MeasurePiece, nullptr, nullptr};
            WholeTextMeasure whole = {nullptr, MeasureWhole};
            int32_t wrap = MeasureAndExtend(display, kDisplayTextSize, 1024, walker, whole);
            Check(wrap >= kWrapAllowance);
            Check(BoundedLength(display, kDisplayTextSize) < static_cast<size_t>(kDisplayTextSize));
            std::free(display);
        }
    }
    std::free(content);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The reply ends at its first zero byte; the copy ends there too, so any read past the
    // zero leaves the block.
    const void* zero = std::memchr(data, 0, size);
    size_t length = zero ? static_cast<const uint8_t*>(zero) - data : size;
    char* reply = static_cast<char*>(std::malloc(length + 1));
    std::memcpy(reply, data, length);
    reply[length] = 0;

    ParseInto(reply, kContentBufferSize);
    ParseInto(reply, size % 64);  // small buffers: the cut and the reserve at every offset

    std::free(reply);
    return 0;
}
