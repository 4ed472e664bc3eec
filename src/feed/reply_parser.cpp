#include "feed/reply_parser.h"

#include <cstring>

namespace {

constexpr unsigned char kTagByte = 0x0E;
constexpr unsigned char kColumnByte = 0x05;
constexpr unsigned char kFieldByte = 0x0B;
constexpr unsigned char kLinkByte = 0x0D;

constexpr char kBullet[] = "  \x95  ";
constexpr size_t kBulletLength = sizeof kBullet - 1;

// A group whose tag names no colour and follows no group that chose one is drawn in the news
// colour of the weather and the banners. Writing some marker, rather than none, also keeps the
// value's own first character from being taken for a marker when it happens to be one.
constexpr char kFirstGroupMarker = '{';
constexpr char kQuoteMarker = '%';

bool IsText(unsigned char b) { return b >= 0x1F && b <= 0x7F; }

unsigned char Lower(unsigned char b) { return b >= 'A' && b <= 'Z' ? b + ('a' - 'A') : b; }

// Whether the zero-terminated bytes at p begin with word (lower case), in any case. Stops at
// the first difference, so it never reads past the reply's zero.
bool StartsWithNoCase(const unsigned char* p, const char* word) {
    for (; *word; ++p, ++word)
        if (Lower(*p) != static_cast<unsigned char>(*word)) return false;
    return true;
}

bool TagIs(const unsigned char tag[2], const char* name) {
    return Lower(tag[0]) == name[0] && Lower(tag[1]) == name[1];
}

char GroupMarker(const unsigned char tag[2], char previous) {
    switch (tag[0]) {
    case 's': return '@';
    case 'v': return '^';
    case 'q': return kQuoteMarker;
    case 'w': return '{';
    case 'r':
        switch (tag[1]) {
        case 't': return '{';
        case 'w': return '}';
        case 'b': return '~';
        case 'p': return '!';
        case 's': return '@';
        case 'e': return '^';
        case 'c': return '?';
        }
        return previous;
    }
    return previous;
}

// The write side. Text advances within [0, limit); the bytes from limit on are the reserve for
// the final "|" and the hand-over's tail. A write that does not fit is not made, in whole, and
// marks the text full, which ends the parse. Bytes written "in place" (a provisional marker, a
// sign, the terminating zero, the "|" before a link) go to the write position, which never
// passes limit, so they always land inside the buffer.
struct Output {
    char* text;
    size_t at;
    size_t limit;
    bool full;

    bool Room(size_t n) {
        if (!full && n <= limit - at) return true;
        full = true;
        return false;
    }
    void Put(char c) {
        if (Room(1)) text[at++] = c;
    }
    void Put(const char* s, size_t n) {
        if (!Room(n)) return;
        std::memcpy(text + at, s, n);
        at += n;
    }
    void Mark(char c) { text[at] = c; }
    char Marked() const { return text[at]; }
    void Commit() {
        if (Room(1)) ++at;
    }
};

class Parser {
  public:
    Parser(const char* reply, char* content, size_t capacity, LinkSink sink)
        : in_(reinterpret_cast<const unsigned char*>(reply)), out_{content, 0,
                                                                   capacity - kContentTailReserve,
                                                                   false},
          sink_(sink) {}

    size_t Run() {
        out_.Mark(0);
        while (*in_ && !out_.full) {
            switch (*in_) {
            case kTagByte: Tag(); break;
            case kColumnByte: Column(); break;
            case kFieldByte: Field(); break;
            case kLinkByte: Link(); break;
            default: ++in_; break;
            }
        }
        // The limit keeps this "|" and its zero inside the reserve.
        out_.text[out_.at++] = '|';
        out_.text[out_.at] = 0;
        return out_.at;
    }

  private:
    bool QuoteTag() const { return tag_[0] == 'q'; }

    void Tag() {
        if (!in_[1] || !in_[2]) {  // the reply ends inside the tag
            in_ += in_[1] ? 2 : 1;
            return;
        }
        tag_[0] = in_[1];
        tag_[1] = in_[2];
        topicPending_ = 1;
        in_ += 3;
    }

    void Column() {
        unsigned char code = in_[1];
        if (!code) {
            ++in_;
            return;
        }
        if (code == column_) {  // only the 0x05 goes; the code byte is read as it comes
            ++in_;
            return;
        }
        column_ = code;
        marker_ = GroupMarker(tag_, marker_);
        // A quote group's marker is provisional: its first field may put a sign in its place.
        if (!out_.Room(QuoteTag() ? 1 : 2)) return;
        out_.Put('|');
        if (QuoteTag())
            out_.Mark(marker_);
        else
            out_.Put(marker_);
        in_ += 2;
    }

    // A quote's colour comes from the sign of its change: the last "+" or "-" of the field
    // wins and is committed in front of the field. A field with only a "0" commits the
    // provisional "%" of its group. Where no provisional marker stands (a later field of the
    // group, or a group that opened without a column change) the "0" commits nothing: the byte
    // in that place is the zero that ended the text so far, and committing it would cut the
    // strip short at that point.
    void QuoteSign() {
        bool sign = false, zero = false;
        for (const unsigned char* p = in_; IsText(*p); ++p) {
            if (*p == '+' || *p == '-') {
                out_.Mark(static_cast<char>(*p));
                sign = true;
            } else if (*p == '0') {
                zero = true;
            }
        }
        if (sign || (zero && out_.Marked() == kQuoteMarker)) out_.Commit();
    }

    void Field() {
        ++in_;
        if (QuoteTag()) QuoteSign();
        while (IsText(*in_) && !out_.full) {
            if (*in_ == '&' &&
                (StartsWithNoCase(in_ + 1, "amp") || StartsWithNoCase(in_ + 1, "quot"))) {
                if (Lower(in_[1]) == 'q') out_.Put('"');
                // Skip through the next ";", whatever stands before it, but not past the end.
                while (*in_ && *in_ != ';') ++in_;
                if (!*in_) break;
                ++in_;
                if (IsText(*in_)) out_.Put(static_cast<char>(*in_++));
                continue;
            }
            out_.Put(static_cast<char>(*in_++));
        }
        if (out_.full) return;

        // A field left open by a column change, a link or the like gets room after a colon,
        // so that a label such as "Sports:" stands apart from what follows.
        if (*in_ == kFieldByte)
            ++in_;
        else if (in_[-1] == ':')
            out_.Put("  ", 2);
        if (column_ == '2' && !TagIs(tag_, "qt") && !TagIs(tag_, "wt"))
            out_.Put(kBullet, kBulletLength);
        out_.Mark(0);
    }

    void Link() {
        ++in_;
        if (!*in_) return;
        // The link text: the byte after 0x0D, whatever it is, then the text bytes after it.
        const unsigned char* start = in_;
        const unsigned char* end = in_ + 1;
        while (IsText(*end)) ++end;

        // Addresses longer than the link buffer are cut; the link table cuts them again to
        // its own field.
        char url[kLinkAddressSize] = {};
        size_t length = 0;
        if (!StartsWithNoCase(start, "http:")) {
            std::memcpy(url, "http://", 7);
            length = 7;
        }
        size_t take = static_cast<size_t>(end - start);
        if (take > sizeof url - 1 - length) take = sizeof url - 1 - length;
        std::memcpy(url + length, start, take);

        // Measure the text so far as if the linked item closed its segment here.
        out_.Mark('|');
        out_.text[out_.at + 1] = 0;
        if (sink_.record) sink_.record(sink_.context, out_.text, url, topicPending_);
        topicPending_ = 0;
        out_.Mark(0);

        in_ = end;
        if (*in_) ++in_;  // the byte that ended the link goes with it
    }

    const unsigned char* in_;
    Output out_;
    LinkSink sink_;
    unsigned char column_ = '1';
    unsigned char tag_[2] = {0, 0};  // none before the first tag
    char marker_ = kFirstGroupMarker;
    uint32_t topicPending_ = 0;
};

}  // namespace

size_t ParseReply(const char* reply, char* content, size_t capacity, LinkSink sink) {
    if (capacity < kContentTailReserve) {
        if (capacity) content[0] = 0;
        return 0;
    }
    return Parser(reply, content, capacity, sink).Run();
}

bool LoginAccepted(const char* reply, size_t length) {
    for (size_t i = 1; i < length; ++i)
        if (reply[i - 1] == 'O' && reply[i] == 'K') return true;
    return false;
}
