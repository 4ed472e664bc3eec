#include "feed/content_model.h"

#include <cstring>

#include "base/text.h"

char DisplayText[kDisplayTextSize];
char LastUpdatedText[kLastUpdatedSize];
LinkEntry LinkTable[kLinkTableSize];
std::atomic<int32_t> LinkCount{0};
std::atomic<uint32_t> LinkGeneration{0};

std::atomic<int32_t> ScrollOffset{0};
std::atomic<int32_t> WrapWidth{0};
std::atomic<int32_t> PenX{0};
std::atomic<int32_t> PenY{0};
std::atomic<int32_t> ScrollForward{1};
std::atomic<int32_t> DisplayUpdating{0};
std::atomic<uint32_t> DisplayGeneration{0};

void BeginDisplayUpdate() {
    DisplayUpdating.store(1);
    DisplayGeneration.fetch_add(1);  // odd: a hand-over is running
    std::atomic_thread_fence(std::memory_order_seq_cst);
}

void EndDisplayUpdate() {
    DisplayGeneration.fetch_add(1, std::memory_order_release);  // even again
    DisplayUpdating.store(0);
}

bool CopyDisplayText(char* copy, size_t size) {
    if (size == 0 || DisplayUpdating.load()) return false;
    uint32_t before = DisplayGeneration.load(std::memory_order_acquire);
    if (before & 1) return false;
    CopyText(copy, size, DisplayText);
    std::atomic_thread_fence(std::memory_order_acquire);
    return DisplayGeneration.load(std::memory_order_relaxed) == before;
}

void ClearLinks() {
    LinkGeneration.fetch_add(1);
    LinkCount.store(0, std::memory_order_release);
}

bool AppendLink(int32_t rightEdge, const char* url, uint32_t topicStart) {
    int32_t n = LinkCount.load(std::memory_order_relaxed);
    if (n < 0 || n >= kLinkTableSize) return false;
    LinkEntry& e = LinkTable[n];
    e.rightEdge = rightEdge;
    CopyText(e.url, url);
    e.topicStart = topicStart;
    LinkCount.store(n + 1, std::memory_order_release);
    return true;
}

bool ReadLink(int i, LinkEntry* entry) {
    uint32_t generation = LinkGeneration.load(std::memory_order_acquire);
    int32_t n = LinkCount.load(std::memory_order_acquire);
    if (i < 0 || i >= n) return false;
    std::memcpy(entry, &LinkTable[i], sizeof *entry);
    entry->url[kLinkUrlSize - 1] = 0;
    std::atomic_thread_fence(std::memory_order_acquire);
    return LinkGeneration.load(std::memory_order_relaxed) == generation;
}

void DropLinksPast(int32_t edge) {
    int32_t n = LinkCount.load(std::memory_order_relaxed);
    while (n > 0 && LinkTable[n - 1].rightEdge > edge) --n;
    LinkCount.store(n, std::memory_order_release);
}

int FindLinkAt(uint32_t position, LinkEntry* entry) {
    const int32_t wrap = WrapWidth.load();
    if (wrap > 0) position %= static_cast<uint32_t>(wrap);
    int32_t n = LinkCount.load(std::memory_order_acquire);
    for (int i = 0; i < n; ++i) {
        LinkEntry e;
        if (!ReadLink(i, &e)) return -1;
        if (static_cast<uint32_t>(e.rightEdge) > position) {
            *entry = e;
            return i;
        }
    }
    return -1;
}
