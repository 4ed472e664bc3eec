// Bounded text helpers. Every string of the ticker lives in a fixed-size buffer; these are the
// only ways the program copies or appends into one, so no caller can write past its end.
#pragma once
#include <cstddef>

// Copies src into dst (size bytes) and terminates it; returns the length written.
// A source that does not fit is cut at size - 1 characters.
size_t CopyText(char* dst, size_t size, const char* src);

// Appends src to the terminated text in dst (size bytes), cutting what does not fit; returns
// the new length.
size_t AppendText(char* dst, size_t size, const char* src);

// Length of the terminated text in buf, reading at most size bytes (size if unterminated).
size_t BoundedLength(const char* buf, size_t size);

// Writes src between double quotes into dst (size bytes), as a command line names a program
// whose path may hold blanks. Returns false, leaving dst empty, when it does not fit whole: a
// path cut short would name some other program.
bool QuoteText(char* dst, size_t size, const char* src);

// Case-insensitive ASCII comparison, as the shell compares class names.
bool EqualsNoCase(const char* a, const char* b);

template <size_t N> size_t CopyText(char (&dst)[N], const char* src) {
    return CopyText(dst, N, src);
}
template <size_t N> size_t AppendText(char (&dst)[N], const char* src) {
    return AppendText(dst, N, src);
}
