#include "base/text.h"

#include <cstring>

size_t BoundedLength(const char* buf, size_t size) {
    const void* zero = std::memchr(buf, 0, size);
    return zero ? static_cast<const char*>(zero) - buf : size;
}

size_t CopyText(char* dst, size_t size, const char* src) {
    if (size == 0) return 0;
    size_t n = BoundedLength(src, size - 1);
    std::memmove(dst, src, n);
    dst[n] = 0;
    return n;
}

size_t AppendText(char* dst, size_t size, const char* src) {
    if (size == 0) return 0;
    size_t used = BoundedLength(dst, size - 1);
    return used + CopyText(dst + used, size - used, src);
}

bool QuoteText(char* dst, size_t size, const char* src) {
    const size_t length = BoundedLength(src, size);
    if (size < 3 || length > size - 3) {
        if (size) dst[0] = 0;
        return false;
    }
    dst[0] = '"';
    std::memcpy(dst + 1, src, length);
    dst[length + 1] = '"';
    dst[length + 2] = 0;
    return true;
}

bool EqualsNoCase(const char* a, const char* b) {
    for (;; ++a, ++b) {
        unsigned char x = static_cast<unsigned char>(*a), y = static_cast<unsigned char>(*b);
        if (x >= 'A' && x <= 'Z') x += 'a' - 'A';
        if (y >= 'A' && y <= 'Z') y += 'a' - 'A';
        if (x != y) return false;
        if (x == 0) return true;
    }
}
