// Strip layout in the ticker window's device context: the link positions and the scroll
// period. Feed worker thread: the parser calls RecordLink at every link, the hand-over and the
// banners call MeasureAndExtendDisplay. A call that has something to measure takes and releases
// its own device context.
//
// Widths are kept from one call to the next in two rulers of this file. The reply's text only
// grows from one link to the next, so a link measures the segments that are new since the link
// before it (and the one that the link itself cut short), not the whole text again; and a new
// DisplayText that repeats the old one measures only where it differs. Link positions are
// summed from the widths of single bytes where the fonts allow it (StripByteWidths), which
// needs no device context at all. Everything kept is dropped when the window or either strip
// font changes. The worker is the only caller, one refresh at a time; the lock makes a call
// from any other thread safe all the same. A call holds the strip fonts' lock while it
// measures, so that the preferences do not delete a font under it.
#include "display/strip_win.h"

#include <mutex>

#include "display/strip_dc_win.h"
#include "display/strip_layout.h"
#include "feed/content_model.h"
#include "shell/strip_fonts_win.h"

namespace {

struct LayoutRulers {
    std::mutex lock;
    HWND window = nullptr;
    StripFontKey fonts;
    StripRuler links;    // the text RecordLink last measured, GetTextExtentPoint32A widths
    StripRuler display;  // DisplayText as last measured, DrawTextA rectangle widths
    bool byteWidthsKnown = false;
    StripByteWidths byteWidths;  // of the window's context, for the links
};
LayoutRulers Layout;

// Whether the rulers may be used: both fonts exist. Widths measured for another window or in
// other fonts are dropped here.
bool RulersFit(HWND window) {
    const StripFontKey fonts = StripFontKey::Current();
    if (window != Layout.window || fonts != Layout.fonts) {
        Layout.links.ForgetWidths();
        Layout.display.ForgetWidths();
        Layout.byteWidthsKnown = false;
        Layout.window = window;
        Layout.fonts = fonts;
    }
    return fonts.Complete();
}

// The context the layout measures in: the window's, or, when the system has none to give (the
// shell of the time kept only a few for all programs), a memory context of the screen, in
// which the same fonts measure the same. Without either nothing can be measured (every width
// would read 0); a caller then keeps nothing. The font it had is put back at the end.
class MeasuringContext {
  public:
    explicit MeasuringContext(HWND window) : window_(window), dc_(GetDC(window)) {
        if (!dc_) dc_ = memory_ = CreateCompatibleDC(nullptr);
        if (dc_) previous_ = GetCurrentObject(dc_, OBJ_FONT);
    }
    ~MeasuringContext() {
        if (!dc_) return;
        SelectObject(dc_, previous_);
        if (memory_)
            DeleteDC(memory_);
        else
            ReleaseDC(window_, dc_);
    }
    MeasuringContext(const MeasuringContext&) = delete;
    MeasuringContext& operator=(const MeasuringContext&) = delete;
    HDC dc() const { return dc_; }

  private:
    HWND window_;
    HDC dc_;
    HDC memory_ = nullptr;
    HGDIOBJ previous_ = nullptr;
};

// A font that could not be made is none; the context's current font is used instead.
void SelectStripFont(HDC dc, bool value) {
    HFONT font = value ? ValueFont : LabelFont;
    if (font) SelectObject(dc, font);
}

// Link positions: each segment measured as the painter measures it.
int32_t ExtentWidth(void* context, const StripPiece& piece) {
    HDC dc = static_cast<HDC>(context);
    SelectStripFont(dc, piece.value);
    SIZE size{0, 0};
    GetTextExtentPoint32A(dc, piece.bytes, static_cast<int>(piece.length), &size);
    return size.cx;
}

// The scroll period: each segment measured as a rectangle, without prefix characters.
int32_t SegmentRectWidth(void* context, const StripPiece& piece) {
    HDC dc = static_cast<HDC>(context);
    SelectStripFont(dc, piece.value);
    RECT rc{0, 0, 0, 0};
    DrawTextA(dc, piece.bytes, static_cast<int>(piece.length), &rc,
              DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    return rc.right;
}

int32_t SwitchedRectWidth(void* context, const StripPiece& piece) {
    StripFontSwitch& fonts = *static_cast<StripFontSwitch*>(context);
    fonts.Use(piece.value);
    RECT rc{0, 0, 0, 0};
    DrawTextA(fonts.dc, piece.bytes, static_cast<int>(piece.length), &rc,
              DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    return rc.right;
}

// The growing text, in one piece, in whatever font the segment walk left selected.
int32_t WholeRectWidth(void* context, const char* text, size_t length) {
    RECT rc{0, 0, 0, 0};
    DrawTextA(static_cast<HDC>(context), text, static_cast<int>(length), &rc,
              DT_CALCRECT | DT_SINGLELINE);
    return rc.right;
}

// The segments of the links' text that have no width yet: sums of byte widths where the fonts
// allow it (the first call after a change of fonts finds that out in the window's context),
// else measured in the window's context. False, measuring nothing, without a context.
bool MeasureLinkText(HWND window, StripRuler& ruler) {
    const PieceMeasure summed{&Layout.byteWidths, SummedWidth};
    if (Layout.byteWidthsKnown && Layout.byteWidths.additive) {
        ruler.MeasureTo(ruler.SegmentCount(), summed);
        return true;
    }
    MeasuringContext context(window);
    if (!context.dc()) return false;
    if (!Layout.byteWidthsKnown) {
        Layout.byteWidths = MeasureByteWidths(context.dc());
        Layout.byteWidthsKnown = true;
    }
    StripFontSwitch fonts{context.dc(), nullptr};
    ruler.MeasureTo(ruler.SegmentCount(), Layout.byteWidths.additive
                                              ? summed
                                              : PieceMeasure{&fonts, SwitchedExtentWidth});
    return true;
}

}  // namespace

void RecordLinkInOrder(HWND window, const char* textSoFar, const char* url, uint32_t topicStart) {
    MeasuringContext context(window);
    SelectStripFont(context.dc(), false);
    const int32_t rightEdge = WalkStrip(textSoFar, kContentBufferSize, 0,
                                        StripWalker{context.dc(), ExtentWidth, nullptr, nullptr});
    AppendLink(rightEdge, url ? url : "", topicStart);  // false: the table is full, link dropped
}

void MeasureAndExtendInOrder(HWND window) {
    MeasuringContext context(window);
    SelectStripFont(context.dc(), false);
    const bool cut = TerminateStripText(DisplayText, sizeof DisplayText);
    WrapWidth = MeasureAndExtend(DisplayText, sizeof DisplayText, GetSystemMetrics(SM_CXSCREEN),
                                 StripWalker{context.dc(), SegmentRectWidth, nullptr, nullptr},
                                 WholeTextMeasure{context.dc(), WholeRectWidth});
    if (cut) DropLinksPast(WrapWidth - kWrapAllowance);
}

void RecordLink(HWND window, const char* textSoFar, const char* url, uint32_t topicStart) {
    std::lock_guard<std::mutex> hold(Layout.lock), holdFonts(StripFontLock);
    if (!RulersFit(window)) return RecordLinkInOrder(window, textSoFar, url, topicStart);

    StripRuler& ruler = Layout.links;
    ruler.SetText(textSoFar, kContentBufferSize);
    if (ruler.MeasuredCount() < ruler.SegmentCount() && !MeasureLinkText(window, ruler))
        return RecordLinkInOrder(window, textSoFar, url, topicStart);
    // false: the table is full, link dropped
    AppendLink(ruler.X(ruler.SegmentCount(), 0), url ? url : "", topicStart);
}

void MeasureAndExtendDisplay(HWND window) {
    std::lock_guard<std::mutex> hold(Layout.lock), holdFonts(StripFontLock);
    if (!RulersFit(window)) return MeasureAndExtendInOrder(window);
    MeasuringContext context(window);
    if (!context.dc()) return MeasureAndExtendInOrder(window);

    const bool cut = TerminateStripText(DisplayText, sizeof DisplayText);
    StripRuler& ruler = Layout.display;
    ruler.SetText(DisplayText, sizeof DisplayText);
    const size_t count = ruler.SegmentCount();
    StripFontSwitch fonts{context.dc(), nullptr};
    ruler.MeasureTo(count, PieceMeasure{&fonts, SwitchedRectWidth});
    // The whole text is measured in the font a walk in text order ends in: that of the last
    // segment, or the label font that it starts with.
    fonts.Use(count > 0 && (count - 1) % 2 == 1);
    RepeatAcrossScreen(DisplayText, sizeof DisplayText, GetSystemMetrics(SM_CXSCREEN),
                       WholeTextMeasure{context.dc(), WholeRectWidth});
    WrapWidth = WrapWidthFor(ruler.X(count, 0));
    // The links of the items the cut took away would lead past the end of the strip.
    if (cut) DropLinksPast(ruler.X(count, 0));
}
