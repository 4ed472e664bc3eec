#include "prefs/field_rules.h"

void NormaliseAirports(char* text) {
    for (unsigned char* p = reinterpret_cast<unsigned char*>(text); *p; ++p) {
        if (*p == ' ')
            *p = ',';
        else if (*p < 0x20 || *p >= 0x80)
            *p = ' ';
    }
}

uint32_t TypedNumberInRange(const char* text, uint32_t lo, uint32_t hi) {
    const char* p = text;
    while (*p == ' ' || *p == '\t') ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    if (*p < '0' || *p > '9') return lo;
    uint64_t value = 0;
    for (; *p >= '0' && *p <= '9'; ++p)
        if (value <= hi)
            value = value * 10 + static_cast<uint32_t>(*p - '0');  // stops growing past hi
    while (*p == ' ' || *p == '\t') ++p;
    if (*p) return lo;
    if (negative || value < lo) return lo;
    return value > hi ? hi : static_cast<uint32_t>(value);
}
