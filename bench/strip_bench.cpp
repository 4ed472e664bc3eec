// strip_bench.exe: what the strip costs, the product's way and the straightforward way (the
// reference in tests/win/strip_reference_win.h), measured side by side in one run and printed
// as figures with their ratio; and an ablation: the product with each thing it keeps given up
// in turn, composed here from the painter's steps and the layout's pieces, so that the product
// itself has one way only. Nothing here passes or fails on time; it only checks that every way
// gives the same result, and says so.
//
//   strip_bench [--width W] [--height H] [--seconds S] KIND:NAME=FILE...
//     KIND paint:  FILE is a content reply; its strip is painted at the start, the middle and
//                  near the end of the text: time and GDI calls per frame.
//     KIND layout: FILE is a content reply; a refresh parses it, records its links and extends
//                  DisplayText: time and GDI calls per refresh.
//
// Runs on its own thread with a window of its own; needs a display (run it with run_bench.py).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/program_win.h"
#include "base/text.h"
#include "display/strip_dc_win.h"
#include "display/strip_painter_win.h"
#include "display/strip_win.h"
#include "feed/content_model.h"
#include "feed/reply_parser.h"
#include "gdi_calls_win.h"
#include "gdi_objects_win.h"
#include "settings/settings.h"
#include "shell/strip_fonts_win.h"
#include "strip_reference_win.h"

namespace {

double Seconds = 0.5;  // how long each figure is measured, at least

double Now() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

std::string ReadFile(const char* path) {
    std::string data;
    if (FILE* f = std::fopen(path, "rb")) {
        char buffer[65536];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) data.append(buffer, n);
        std::fclose(f);
    }
    return data;
}

HWND Window;

using RecordFn = void (*)(HWND, const char*, const char*, uint32_t);
using ExtendFn = void (*)(HWND);
using PaintFn = void (*)(HDC, HWND, char*);

struct Way {
    const char* name;
    RecordFn record;
    ExtendFn extend;
    PaintFn paint;
};
const Way kReference{"reference", strip_reference::RecordLink,
                     strip_reference::MeasureAndExtendDisplay, strip_reference::PaintStrip};
const Way kProduct{"product", RecordLink, MeasureAndExtendDisplay, PaintStrip};

// ---- the layout without one of the things it keeps ------------------------------------------

// Without kept widths: every link sums the widths of the whole text so far from the byte widths
// of the fonts (measured once per pair of fonts), and the extension measures every segment in
// text order, as the reference does.
StripFontKey SummedFonts;
StripByteWidths SummedBytes;

void RecordLinkSummed(HWND window, const char* textSoFar, const char* url, uint32_t topicStart) {
    const StripFontKey fonts = StripFontKey::Current();
    if (fonts != SummedFonts) {
        HDC dc = GetDC(window);
        HGDIOBJ previous = GetCurrentObject(dc, OBJ_FONT);
        SummedBytes = MeasureByteWidths(dc);
        SelectObject(dc, previous);
        ReleaseDC(window, dc);
        SummedFonts = fonts;
    }
    const int32_t right = WalkStrip(textSoFar, kContentBufferSize, 0,
                                    StripWalker{&SummedBytes, SummedWidth, nullptr, nullptr});
    AppendLink(right, url ? url : "", topicStart);
}

// Without byte widths: the links' widths kept as the product keeps them, every new segment
// measured in the window's context.
StripFontKey MeasuredFonts;
StripRuler MeasuredRuler;

void RecordLinkMeasured(HWND window, const char* textSoFar, const char* url, uint32_t topicStart) {
    const StripFontKey fonts = StripFontKey::Current();
    if (fonts != MeasuredFonts) MeasuredRuler.ForgetWidths();
    MeasuredFonts = fonts;
    MeasuredRuler.SetText(textSoFar, kContentBufferSize);
    if (MeasuredRuler.MeasuredCount() < MeasuredRuler.SegmentCount()) {
        HDC dc = GetDC(window);
        HGDIOBJ previous = GetCurrentObject(dc, OBJ_FONT);
        StripFontSwitch switcher{dc, nullptr};
        MeasuredRuler.MeasureTo(MeasuredRuler.SegmentCount(),
                                PieceMeasure{&switcher, SwitchedExtentWidth});
        SelectObject(dc, previous);
        ReleaseDC(window, dc);
    }
    AppendLink(MeasuredRuler.X(MeasuredRuler.SegmentCount(), 0), url ? url : "", topicStart);
}

const Way kLayoutWithout[] = {
    {"kept widths", RecordLinkSummed, strip_reference::MeasureAndExtendDisplay, nullptr},
    {"byte widths", RecordLinkMeasured, MeasureAndExtendDisplay, nullptr},
};

// ---- the painter's steps, with one of them replaced -----------------------------------------

struct Steps {
    FrameWalk walk;
    bool keptMemory;  // else a memory context and bitmap made and deleted in every frame
    bool clipCopy;    // else the whole frame copied through a clip region, made per frame
};
const Steps* Composed;     // what PaintComposed takes
HDC ComposedMemory;        // the frame being composed
const char* ComposedText;  // and its text

// Without kept widths: every frame measures again what it reaches.
int WalkForgettingWidths(StripRuler& ruler, int32_t margin, int32_t offset, int32_t clientWidth,
                         const FrameView& view, const FrameDrawer& drawer) {
    ruler.ForgetWidths();
    return WalkVisibleFrame(ruler, margin, offset, clientWidth, view, drawer);
}

// Without kept widths where byte widths cannot be used (fonts that kern, double-byte code
// pages): every frame measures what it reaches in a device context, a context of its own so
// that the frame's keeps the fonts as the product leaves them.
HDC MeasuringContext;
struct ContextMeasure {
    StripFontSwitch fonts;
    const FrameDrawer* product;  // for drawing
};
int32_t MeasureInContext(void* context, const StripPiece& piece) {
    return SwitchedExtentWidth(&static_cast<ContextMeasure*>(context)->fonts, piece);
}
void DrawAsProduct(void* context, const StripPiece& piece, int32_t x, int32_t y) {
    const FrameDrawer& product = *static_cast<ContextMeasure*>(context)->product;
    product.draw(product.context, piece, x, y);
}
int WalkMeasuringInContext(StripRuler& ruler, int32_t margin, int32_t offset, int32_t clientWidth,
                           const FrameView& view, const FrameDrawer& drawer) {
    ruler.ForgetWidths();
    ContextMeasure measure{StripFontSwitch{MeasuringContext, nullptr}, &drawer};
    return WalkVisibleFrame(ruler, margin, offset, clientWidth, view,
                            FrameDrawer{&measure, MeasureInContext, DrawAsProduct});
}

// Without the first-visible walk: the walk in text order from the first segment (WalkFrame),
// over the kept widths, drawing every segment up to the right edge.
struct KeptWalk {
    StripRuler* ruler;
    const FrameDrawer* drawer;
};
int32_t KeptWidth(void* context, const StripPiece& piece) {
    return static_cast<KeptWalk*>(context)->ruler->Width(piece.index);
}
void DrawKept(void* context, const StripPiece& piece, int32_t x, int32_t y) {
    const FrameDrawer& drawer = *static_cast<KeptWalk*>(context)->drawer;
    drawer.draw(drawer.context, piece, x, y);
}
int WalkEverySegment(StripRuler& ruler, int32_t margin, int32_t offset, int32_t clientWidth,
                     const FrameView&, const FrameDrawer& drawer) {
    ruler.MeasureTo(ruler.SegmentCount(), PieceMeasure{drawer.context, drawer.measure});
    KeptWalk kept{&ruler, &drawer};
    return WalkFrame(ComposedText, kDisplayTextSize, margin, offset, clientWidth,
                     FrameDrawer{&kept, KeptWidth, DrawKept});
}

// Without tiles: every piece that can show is drawn with TextOutA, the fonts switched only
// when a piece needs the other one.
struct PlainDraw {
    StripFontSwitch fonts;
    const FrameDrawer* product;  // for measuring
};
int32_t MeasureAsProduct(void* context, const StripPiece& piece) {
    const FrameDrawer& product = *static_cast<PlainDraw*>(context)->product;
    return product.measure(product.context, piece);
}
void DrawPlain(void* context, const StripPiece& piece, int32_t x, int32_t y) {
    StripFontSwitch& fonts = static_cast<PlainDraw*>(context)->fonts;
    fonts.Use(piece.value);
    SetTextColor(fonts.dc, PieceColor(piece, TickerSettings.colors));
    TextOutA(fonts.dc, x, y, piece.bytes, static_cast<int>(piece.length));
}
int WalkWithoutTiles(StripRuler& ruler, int32_t margin, int32_t offset, int32_t clientWidth,
                     const FrameView& view, const FrameDrawer& drawer) {
    HGDIOBJ previous = GetCurrentObject(ComposedMemory, OBJ_FONT);
    PlainDraw plain{StripFontSwitch{ComposedMemory, nullptr}, &drawer};
    const int drawn = WalkVisibleFrame(ruler, margin, offset, clientWidth, view,
                                       FrameDrawer{&plain, MeasureAsProduct, DrawPlain});
    if (plain.fonts.selected) SelectObject(ComposedMemory, previous);
    return drawn;
}

// Without the clip rectangle: the whole frame through a clip region of that rectangle.
void CopyThroughRegion(HDC dc, HDC memory, const RECT& client, const FrameGeometry& g) {
    HRGN clip = CreateRectRgn(g.clipLeft, g.clipTop, g.clipRight, g.clipBottom);
    SelectClipRgn(dc, clip);
    BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
    SelectClipRgn(dc, nullptr);
    DeleteObject(clip);
}

// PaintStrip's steps as Composed says.
void PaintComposed(HDC dc, HWND window, char* text) {
    const Steps& steps = *Composed;
    RECT client;
    GetClientRect(window, &client);
    const FrameGeometry g = FrameFor(client.right, client.bottom, ScreenSaverWindow != nullptr);
    const bool newText = SetPainterText(text);
    HDC memory = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previousBitmap = nullptr;
    if (steps.keptMemory) {
        memory = KeptFrameMemory(dc, window, client.right, client.bottom, newText);
    } else {
        memory = CreateCompatibleDC(dc);
        bitmap = CreateCompatibleBitmap(dc, client.right, client.bottom);
        previousBitmap = SelectObject(memory, bitmap);
    }
    ComposedMemory = memory;
    ComposedText = text;
    ComposeFrame(memory, client, g, text, steps.walk);
    if (steps.clipCopy)
        CopyFrameClip(dc, memory, g);
    else
        CopyThroughRegion(dc, memory, client, g);
    if (!steps.keptMemory) {
        SelectObject(memory, previousBitmap);
        DeleteObject(bitmap);
        DeleteDC(memory);
    }
    AdvanceScroll();
}

struct PaintVariant {
    const char* without;
    Steps steps;
};
const PaintVariant kPaintWithout[] = {
    {"kept widths", {WalkForgettingWidths, true, true}},
    {"kept or byte widths", {WalkMeasuringInContext, true, true}},
    {"first-visible walk", {WalkEverySegment, true, true}},
    {"kept memory context", {WalkVisibleFrame, false, true}},
    {"tiles", {WalkWithoutTiles, true, true}},
    {"clip rectangle", {WalkVisibleFrame, true, false}},
};

struct RefreshTimes {
    double parse = 0, extend = 0;
};

// One refresh as the feed worker makes it: the reply parsed with its links recorded (a full
// table drops the rest unmeasured), then the hand-over's two spaces and the extension.
RefreshTimes Refresh(const std::string& reply, const Way& way) {
    static char content[kContentBufferSize];
    std::memset(content, 0, sizeof content);
    ClearLinks();
    const double t0 = Now();
    const size_t length =
        ParseReply(reply.c_str(), content, sizeof content,
                   LinkSink{[](void* record, const char* text, const char* url, uint32_t topic) {
                                if (LinkCount.load() >= kLinkTableSize) return;
                                reinterpret_cast<RecordFn>(record)(Window, text, url, topic);
                            },
                            reinterpret_cast<void*>(way.record)});
    const double t1 = Now();
    content[length] = 0;
    AppendText(content, sizeof content, "  ");
    BeginDisplayUpdate();
    CopyText(DisplayText, sizeof DisplayText, content);
    way.extend(Window);
    ScrollOffset = 0;
    EndDisplayUpdate();
    const double t2 = Now();
    return RefreshTimes{t1 - t0, t2 - t1};
}

struct LayoutResult {
    std::vector<LinkEntry> links;
    std::string display;
    int32_t wrap;
    bool operator==(const LayoutResult& o) const {
        if (links.size() != o.links.size() || display != o.display || wrap != o.wrap) return false;
        for (size_t i = 0; i < links.size(); ++i)
            if (links[i].rightEdge != o.links[i].rightEdge ||
                std::strcmp(links[i].url, o.links[i].url) != 0 ||
                links[i].topicStart != o.links[i].topicStart)
                return false;
        return true;
    }
};

LayoutResult CurrentLayout() {
    LayoutResult r;
    LinkEntry e;
    for (int i = 0; ReadLink(i, &e); ++i) r.links.push_back(e);
    r.display.assign(DisplayText, BoundedLength(DisplayText, sizeof DisplayText));
    r.wrap = WrapWidth;
    return r;
}

struct Measured {
    int runs = 0;
    RefreshTimes total;
    GdiCallCounts calls;
    double Parse() const { return total.parse / runs; }
    double Extend() const { return total.extend / runs; }
    double Whole() const { return (total.parse + total.extend) / runs; }
    double PerRun(GdiCall c) const { return static_cast<double>(calls.calls[c]) / runs; }
};

// Refreshes until Seconds have passed (at least once, at most maxRuns); freshFonts makes the
// strip fonts again before each, outside the time, so that no width is kept from the last.
void Add(Measured& sum, const Measured& more) {
    sum.runs += more.runs;
    sum.total.parse += more.total.parse;
    sum.total.extend += more.total.extend;
}

Measured MeasureRefreshes(const std::string& reply, const Way& way, bool freshFonts, int maxRuns) {
    Measured m;
    double spent = 0;
    while (m.runs < maxRuns && (m.runs == 0 || spent < Seconds)) {
        if (freshFonts) CreateStripFonts(Window);
        const GdiCallCounts before = GdiCallsSoFar();
        const RefreshTimes t = Refresh(reply, way);
        const GdiCallCounts used = GdiCallsSoFar() - before;
        for (int c = 0; c < kGdiCallCount; ++c) m.calls.calls[c] += used.calls[c];
        m.total.parse += t.parse;
        m.total.extend += t.extend;
        spent += t.parse + t.extend;
        ++m.runs;
    }
    return m;
}

void PrintRatio(const char* what, double reference, double product, const char* unit,
                double scale) {
    std::printf("  %-34s reference %10.1f %s   product %9.2f %s   %8.1fx\n", what,
                reference * scale, unit, product * scale, unit,
                product > 0 ? reference / product : 0.0);
}

void BenchLayout(const char* name, const std::string& reply) {
    CreateStripFonts(Window);
    const Measured reference = MeasureRefreshes(reply, kReference, false, 20);
    const LayoutResult expected = CurrentLayout();
    const Measured cold = MeasureRefreshes(reply, kProduct, true, 500);
    const bool same = CurrentLayout() == expected;
    const Measured warm = MeasureRefreshes(reply, kProduct, false, 500);
    const bool sameWarm = CurrentLayout() == expected;
    // A refresh as they mostly come: the fonts as they were, the text new from its first
    // character on (the first field's first character changed in every other reply).
    std::string changed = reply;
    const size_t field = changed.find('\x0b');
    if (field != std::string::npos && field + 1 < changed.size()) changed[field + 1] ^= 0x01;
    Measured kept;
    for (int run = 0; run < 200 && (run < 2 || kept.Whole() * kept.runs < Seconds); ++run)
        Add(kept, MeasureRefreshes(run % 2 ? reply : changed, kProduct, false, 1));

    std::printf("\nlayout %s: reply %zu bytes, %zu links kept, strip %zu bytes, wrap %d px\n", name,
                reply.size(), expected.links.size(), expected.display.size(), expected.wrap);
    std::printf("  (product: fonts made anew before each refresh, as after the preferences)\n");
    PrintRatio("parse + RecordLink", reference.Parse(), cold.Parse(), "ms", 1e3);
    PrintRatio("MeasureAndExtendDisplay", reference.Extend(), cold.Extend(), "ms", 1e3);
    PrintRatio("whole refresh, fonts made anew", reference.Whole(), cold.Whole(), "ms", 1e3);
    PrintRatio("whole refresh, fonts kept", reference.Whole(), kept.Whole(), "ms", 1e3);
    PrintRatio("whole refresh, same reply again", reference.Whole(), warm.Whole(), "ms", 1e3);
    std::printf("  %-34s reference %10.0f       product %9.0f      (%.0f with the same reply "
                "again)\n",
                "GetTextExtentPoint32A per refresh", reference.PerRun(kGetTextExtentPoint32A),
                cold.PerRun(kGetTextExtentPoint32A), warm.PerRun(kGetTextExtentPoint32A));
    std::printf("  %-34s reference %10.0f       product %9.0f\n", "DrawTextA per refresh",
                reference.PerRun(kDrawTextA), cold.PerRun(kDrawTextA));
    std::printf("  %-34s reference %10.0f       product %9.0f\n", "SelectObject per refresh",
                reference.PerRun(kSelectObject), cold.PerRun(kSelectObject));
    std::printf("  %-34s reference %10.0f       product %9.0f\n", "GetDC per refresh",
                reference.PerRun(kGetDC), cold.PerRun(kGetDC));
    std::printf("  same links, text and wrap as the reference: %s\n",
                same && sameWarm ? "yes" : "NO");
    std::printf("  runs: reference %d, product %d (fonts made anew), %d (fonts kept), %d (same "
                "reply)\n",
                reference.runs, cold.runs, kept.runs, warm.runs);

    // Each variant in turns with the product, refresh by refresh, so that a change in the
    // machine's load falls on both alike.
    std::printf("  ablation, whole refresh with fonts made anew (the product in turns with it):\n");
    for (const Way& way : kLayoutWithout) {
        Measured without, product;
        bool sameLayout = true;
        for (int run = 0; run < 400 && (run < 4 || without.Whole() * without.runs < Seconds);
             ++run) {
            Add(without, MeasureRefreshes(reply, way, true, 1));
            sameLayout = sameLayout && CurrentLayout() == expected;
            Add(product, MeasureRefreshes(reply, kProduct, true, 1));
        }
        std::printf("    without %-20s %8.2f ms, product %6.2f ms: %5.2fx%s\n", way.name,
                    without.Whole() * 1e3, product.Whole() * 1e3, without.Whole() / product.Whole(),
                    sameLayout ? "" : " (NOT the same layout)");
    }
}

struct FrameFigures {
    int frames = 0;
    double seconds = 0;
    GdiCallCounts calls;
    double PerFrame() const { return seconds / frames; }
    double Calls(GdiCall c) const { return static_cast<double>(calls.calls[c]) / frames; }
};

void Add(FrameFigures& sum, const FrameFigures& more) {
    sum.frames += more.frames;
    sum.seconds += more.seconds;
}

// Frames from offset on, one pixel apart, as the scroll tick paints them, until Seconds have
// passed (at most maxFrames).
FrameFigures MeasureFrames(PaintFn paint, char* copy, int32_t offset, int maxFrames) {
    FrameFigures f;
    HDC dc = GetDC(Window);
    ScrollOffset = offset;
    const GdiCallCounts before = GdiCallsSoFar();
    const double start = Now();
    while (f.frames < maxFrames && (f.frames == 0 || f.seconds < Seconds)) {
        paint(dc, Window, copy);
        ++f.frames;
        if (f.frames % 8 == 0 || f.frames < 8) f.seconds = Now() - start;
    }
    f.seconds = Now() - start;
    f.calls = GdiCallsSoFar() - before;
    ReleaseDC(Window, dc);
    return f;
}

void BenchPaint(const char* name, const std::string& reply) {
    CreateStripFonts(Window);
    Refresh(reply, kProduct);
    static char copy[kDisplayTextSize];
    if (!CopyDisplayText(copy, sizeof copy))
        std::printf("  (the strip text could not be copied)\n");
    const int32_t wrap = WrapWidth;
    RECT client;
    GetClientRect(Window, &client);
    std::printf("\npaint %s: strip %zu bytes, wrap %d px, window %ldx%ld\n", name,
                BoundedLength(copy, sizeof copy), wrap, client.right, client.bottom);
    struct Place {
        const char* name;
        int32_t offset;
    } places[] = {{"start", 0},
                  {"middle", wrap / 2},
                  {"near the end", std::max<int32_t>(0, wrap - client.right)}};
    char empty[] = "";
    for (const Place& place : places) {
        const FrameFigures reference = MeasureFrames(kReference.paint, copy, place.offset, 400);
        // The first frame of a new text: what follows each hand-over once.
        HDC dc = GetDC(Window);
        PaintStrip(dc, Window, empty);
        ReleaseDC(Window, dc);
        const FrameFigures first = MeasureFrames(kProduct.paint, copy, place.offset, 1);
        const FrameFigures fast = MeasureFrames(kProduct.paint, copy, place.offset, 100000);
        std::printf("  at %s (offset %d):\n", place.name, place.offset);
        PrintRatio("time per frame", reference.PerFrame(), fast.PerFrame(), "us", 1e6);
        std::printf("  %-34s %9.1f us (the product's first frame of a new text)\n", "",
                    first.PerFrame() * 1e6);
        std::printf("  %-34s reference %10.1f       product %9.2f\n",
                    "GetTextExtentPoint32A per frame", reference.Calls(kGetTextExtentPoint32A),
                    fast.Calls(kGetTextExtentPoint32A));
        std::printf("  %-34s reference %10.1f       product %9.2f\n", "TextOutA per frame",
                    reference.Calls(kTextOutA), fast.Calls(kTextOutA));
        std::printf("  %-34s reference %10.1f       product %9.2f\n", "SelectObject per frame",
                    reference.Calls(kSelectObject), fast.Calls(kSelectObject));
        std::printf("  %-34s reference %10.1f       product %9.2f\n", "BitBlt per frame",
                    reference.Calls(kBitBlt), fast.Calls(kBitBlt));
        std::printf("  %-34s reference %10.1f       product %9.4f\n",
                    "CreateCompatibleDC per frame", reference.Calls(kCreateCompatibleDC),
                    fast.Calls(kCreateCompatibleDC));
        std::printf("  %-34s reference %10d       product %9d\n", "frames measured",
                    reference.frames, fast.frames);
    }

    // Each variant paints the same frames as the product after one frame to settle in; its
    // time per frame against the product's at the same place.
    // Each variant in turns with the product, an eighth of the time at once, so that a change
    // in the machine's load falls on both alike.
    std::printf("  ablation, time per frame (the product in turns with it), times the product's,"
                " at start / middle / near the end:\n");
    for (const PaintVariant& variant : kPaintWithout) {
        Composed = &variant.steps;
        std::printf("    without %-20s", variant.without);
        for (const Place& place : places) {
            FrameFigures without, fast;
            const double whole = Seconds;
            Seconds = whole / 8;
            for (int turn = 0; turn < 8; ++turn) {
                Add(without, MeasureFrames(PaintComposed, copy, place.offset, 100000));
                Add(fast, MeasureFrames(kProduct.paint, copy, place.offset, 100000));
            }
            Seconds = whole;
            std::printf(" %7.1f/%5.1f us %5.2fx", without.PerFrame() * 1e6, fast.PerFrame() * 1e6,
                        without.PerFrame() / fast.PerFrame());
        }
        std::printf("\n");
    }
}

// Times of single calls in this window, for reading the figures above.
void BenchCalls() {
    HDC dc = GetDC(Window);
    HDC memory = CreateCompatibleDC(dc);
    RECT client;
    GetClientRect(Window, &client);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, client.right, client.bottom);
    HGDIOBJ old = SelectObject(memory, bitmap);
    const char text[] = "Budget Talks Resume as Lawmakers Eye ";
    const int n = static_cast<int>(sizeof text - 1);
    auto time = [](const char* what, int count, auto call) {
        const double start = Now();
        for (int i = 0; i < count; ++i) call(i);
        std::printf("  %-46s %8.2f us\n", what, (Now() - start) / count * 1e6);
    };
    std::printf("\nsingle calls (%d-character text):\n", n);
    time("SelectObject of a strip font", 4000,
         [&](int i) { SelectObject(memory, i % 2 ? LabelFont : ValueFont); });
    time("GetTextExtentPoint32A", 4000, [&](int) {
        SIZE size;
        GetTextExtentPoint32A(memory, text, n, &size);
    });
    SetBkMode(memory, OPAQUE);
    time("TextOutA", 4000, [&](int i) { TextOutA(memory, i % 300, 0, text, n); });
    time("BitBlt of the strip", 4000,
         [&](int) { BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY); });
    time("memory context and bitmap made and deleted", 400, [&](int) {
        HDC m = CreateCompatibleDC(dc);
        HBITMAP b = CreateCompatibleBitmap(dc, client.right, client.bottom);
        HGDIOBJ o = SelectObject(m, b);
        SelectObject(m, o);
        DeleteObject(b);
        DeleteDC(m);
    });
    time("GetDC and ReleaseDC", 4000, [&](int) { ReleaseDC(Window, GetDC(Window)); });
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(Window, dc);
}

}  // namespace

int main(int argc, char** argv) {
    int width = 600, height = 24;
    std::vector<std::pair<std::string, std::string>> jobs;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--width" && i + 1 < argc)
            width = std::atoi(argv[++i]);
        else if (arg == "--height" && i + 1 < argc)
            height = std::atoi(argv[++i]);
        else if (arg == "--seconds" && i + 1 < argc)
            Seconds = std::atof(argv[++i]);
        else if (arg.find('=') != std::string::npos)
            jobs.emplace_back(arg.substr(0, arg.find('=')), arg.substr(arg.find('=') + 1));
        else {
            std::fprintf(stderr, "usage: strip_bench [--width W] [--height H] [--seconds S] "
                                 "paint:NAME=FILE | layout:NAME=FILE ...\n");
            return 2;
        }
    }
    if (!CountGdiCalls()) std::printf("(GDI calls cannot be counted here: counts read 0)\n");

    Window = gdi_test::TestWindow("StripBench", 0, 0, width, height);
    TickerWindow = Window;
    HDC windowContext = GetDC(Window);
    MeasuringContext = CreateCompatibleDC(windowContext);
    ReleaseDC(Window, windowContext);
    for (int i = 0; i < kColorRoleCount; ++i)
        TickerSettings.colors[i] = RGB(40 + 20 * i, 255 - 20 * i, 128);
    TickerSettings.colors[kBackgroundColor] = RGB(0, 0, 0);
    CreateStripFonts(Window);
    std::printf("strip_bench: window %dx%d, screen %dx%d, at least %.2f s per figure\n", width,
                height, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), Seconds);

    for (const auto& [what, path] : jobs) {
        const std::string reply = ReadFile(path.c_str());
        if (reply.empty()) {
            std::fprintf(stderr, "strip_bench: cannot read %s\n", path.c_str());
            return 1;
        }
        if (what.rfind("layout:", 0) == 0)
            BenchLayout(what.c_str() + 7, reply);
        else if (what.rfind("paint:", 0) == 0)
            BenchPaint(what.c_str() + 6, reply);
    }
    BenchCalls();
    DeleteDC(MeasuringContext);
    DeleteStripFonts();
    DestroyWindow(Window);
    return 0;
}
