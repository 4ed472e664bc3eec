// The strip painter: one frame composed off screen and its clip rectangle copied to the window,
// so that the buttons the window draws at its right end stay as they are. Window thread only,
// called by the scroll tick with its private copy of the strip text; what it keeps between
// calls belongs to the window thread and nothing else touches it.
//
// A tick paints the same text several times, one pixel further each time, and the next tick
// mostly the same text again, so a frame keeps what the frames before it made:
//  - the memory context and its bitmap, until the window changes size or the text changes;
//  - the widths of the segments, measured once per text and pair of strip fonts (StripRuler,
//    from the widths of single bytes where the fonts allow it), so that a frame measures
//    nothing and goes only to the segments that can show;
//  - the pieces as drawn, in tiles: a piece is drawn once into a tile (kTileWidth columns of
//    it) and copied from there while it scrolls through the window. That is only done where it
//    gives exactly what drawing the piece would: the tile is drawn over a colour that drawing
//    cannot produce, and is used only if drawing changed every pixel of the piece's cell (its
//    columns, and its font's rows from where it is drawn) and no pixel outside it. Then drawing
//    sets the cell to what the tile holds, whatever was there before, and touches nothing else.
//    Anything else, or no free tile, and the piece is drawn as before.
// Everything a frame looks like is still set in every call: the fill, the colours and modes,
// the fonts. The brush is made and deleted in every call; three memory contexts with their
// bitmaps (the frame, the tiles, the tile being drawn) are kept. Only the frame's clip
// rectangle is copied to the window, which leaves the buttons at its right end as they are
// without a clip region in the window's context.
#include "display/strip_painter_win.h"

#include <algorithm>
#include <initializer_list>
#include <vector>

#include "base/program_win.h"
#include "display/strip_dc_win.h"
#include "display/strip_win.h"
#include "feed/content_model.h"
#include "settings/settings.h"
#include "shell/strip_fonts_win.h"

namespace {

// Pixels that smoothing may add at either side of a glyph's black box.
constexpr int32_t kSmoothingSpare = 2;
// Columns of a piece that one tile holds, and the columns either side of them that it checks.
constexpr int32_t kTileWidth = 256;
constexpr int32_t kTileMargin = 16;
constexpr int32_t kTileBitmapWidth = kTileWidth + 2 * kTileMargin;
constexpr int kTileCount = 16;

struct KeptContext {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previousBitmap = nullptr;
};

struct Surface {
    HWND window = nullptr;
    LONG width = 0, height = 0;
    KeptContext frame;  // the frame, client size
};

// Made for the frame's height with the first frame that uses them, until a new text.
struct TileContexts {
    LONG height = 0;
    KeptContext tiles;    // kTileCount tiles one below the other, each the frame's height
    KeptContext drawing;  // the tile being drawn and checked
};

struct Tile {
    int segment = -1;  // none
    int32_t first;     // the piece's column at the tile's column kTileMargin
    int32_t y;
    COLORREF background, color;
    bool exact;     // drawing the piece sets its cell to the tile there and nothing else
    uint32_t used;  // the frame that last used it
};

struct PainterState {
    Surface surface;
    TileContexts tileContexts;
    StripFontKey fonts;
    StripByteWidths byteWidths;         // of these fonts in the memory context
    int32_t inkLeft = 0, inkRight = 0;  // how far ink can stray from a cell in these fonts
    int32_t labelHeight = 0, valueHeight = 0;
    StripRuler ruler;
    Tile tiles[kTileCount];
    uint32_t frame = 0;
    // The colour tiles are drawn over, as it reads back, and the tile's pixels read back.
    COLORREF sentinel = 0;
    uint32_t sentinelPixel = 0;
    bool sentinelKnown = false;
    std::vector<uint32_t> pixels;
};
PainterState Painter;

void ForgetTiles() {
    for (Tile& tile : Painter.tiles) tile.segment = -1;
}

bool MakeContext(HDC dc, LONG width, LONG height, KeptContext& kept) {
    kept.dc = CreateCompatibleDC(dc);
    kept.bitmap = kept.dc ? CreateCompatibleBitmap(dc, width, height) : nullptr;
    if (!kept.bitmap) {
        if (kept.dc) DeleteDC(kept.dc);
        kept = KeptContext{};
        return false;
    }
    kept.previousBitmap = SelectObject(kept.dc, kept.bitmap);
    return true;
}

void DropContext(KeptContext& kept) {
    if (kept.dc) {
        SelectObject(kept.dc, kept.previousBitmap);
        DeleteObject(kept.bitmap);
        DeleteDC(kept.dc);
    }
    kept = KeptContext{};
}

void DropTileContexts() {
    TileContexts& t = Painter.tileContexts;
    DropContext(t.tiles);
    DropContext(t.drawing);
    t = TileContexts{};
    ForgetTiles();
    Painter.sentinelKnown = false;
}

// Whether the tiles' contexts for frames of this height are there, made now (compatible with
// the frame's memory) if need be. Without them every piece is drawn.
bool HaveTileContexts(HDC memory, LONG height) {
    TileContexts& t = Painter.tileContexts;
    if (t.tiles.dc && t.height == height) return true;
    DropTileContexts();
    if (!MakeContext(memory, kTileBitmapWidth, height * kTileCount, t.tiles) ||
        !MakeContext(memory, kTileBitmapWidth, height, t.drawing)) {
        DropTileContexts();
        return false;
    }
    t.height = height;
    SetBkMode(t.drawing.dc, OPAQUE);
    Painter.pixels.resize(size_t{kTileBitmapWidth} * height);
    return true;
}

// How far the ink of a piece can reach left and right of its cell in either strip font: the
// most negative left and right bearings of the fonts' characters, the overhang of a made-up
// bold or italic, and the spare pixels of smoothing; and the fonts' cell heights. Selects
// fonts into dc.
void MeasureFontReach(HDC dc) {
    int32_t left = 0, right = 0;
    for (HFONT font : {LabelFont, ValueFont}) {
        SelectObject(dc, font);
        TEXTMETRICA tm{};
        GetTextMetricsA(dc, &tm);
        (font == LabelFont ? Painter.labelHeight : Painter.valueHeight) = tm.tmHeight;
        ABC abc[256];
        int32_t fontLeft = tm.tmMaxCharWidth, fontRight = tm.tmMaxCharWidth;
        if (GetCharABCWidthsA(dc, 0, 255, abc)) {
            fontLeft = fontRight = 0;
            for (const ABC& c : abc) {
                fontLeft = std::max<int32_t>(fontLeft, -c.abcA);
                fontRight = std::max<int32_t>(fontRight, -c.abcC);
            }
        }
        left = std::max<int32_t>(left, fontLeft + tm.tmOverhang);
        right = std::max<int32_t>(right, fontRight + tm.tmOverhang);
    }
    Painter.inkLeft = left + kSmoothingSpare;
    Painter.inkRight = right + kSmoothingSpare;
}

// The drawing context's pixels, read back top row first (the bitmap is taken out of the
// context for that, as GetDIBits wants).
bool ReadDrawing() {
    const TileContexts& s = Painter.tileContexts;
    BITMAPINFO bi{};
    bi.bmiHeader = {
        sizeof(BITMAPINFOHEADER), kTileBitmapWidth, -s.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    SelectObject(s.drawing.dc, s.drawing.previousBitmap);
    const int rows = GetDIBits(s.tiles.dc, s.drawing.bitmap, 0, s.height, Painter.pixels.data(),
                               &bi, DIB_RGB_COLORS);
    SelectObject(s.drawing.dc, s.drawing.bitmap);
    return rows == s.height;
}

// The colour a tile is drawn over: half the range away from the text colour in every channel,
// so that any ink blended into it changes it, and not the background, which drawing paints.
COLORREF SentinelFor(COLORREF background, COLORREF color) {
    auto opposite = [](BYTE c) { return static_cast<BYTE>(c < 128 ? 255 : 0); };
    COLORREF sentinel =
        RGB(opposite(GetRValue(color)), opposite(GetGValue(color)), opposite(GetBValue(color)));
    if (sentinel == background) sentinel ^= RGB(0x40, 0, 0);  // still 64 away from the text
    return sentinel;
}

// Draws tile number index of piece (its columns from index * kTileWidth) into the drawing
// context over the sentinel colour, and finds out whether drawing the piece is exactly its
// cell there: width columns, height rows from y.
bool DrawTile(const StripPiece& piece, COLORREF background, COLORREF color, int32_t y,
              int32_t first, int32_t width, int32_t height) {
    const TileContexts& s = Painter.tileContexts;
    HDC dc = s.drawing.dc;
    const COLORREF sentinel = SentinelFor(background, color);
    RECT all{0, 0, kTileBitmapWidth, s.height};
    HBRUSH brush = CreateSolidBrush(sentinel);
    FillRect(dc, &all, brush);
    DeleteObject(brush);
    if (!Painter.sentinelKnown || Painter.sentinel != sentinel) {
        if (!ReadDrawing()) return false;
        Painter.sentinel = sentinel;
        Painter.sentinelPixel = Painter.pixels[0];
        Painter.sentinelKnown = true;
    }

    // The font goes back out at once: the preferences may delete it, which a context that
    // holds it would not let them.
    HGDIOBJ previousFont = SelectObject(dc, piece.value ? ValueFont : LabelFont);
    SetBkColor(dc, background);
    SetTextColor(dc, color);
    TextOutA(dc, kTileMargin - first, y, piece.bytes, static_cast<int>(piece.length));
    SelectObject(dc, previousFont);
    if (!ReadDrawing()) return false;

    const int32_t top = std::max(0, y), bottom = std::min<int32_t>(s.height, y + height);
    for (int32_t row = 0; row < s.height; ++row) {
        const bool rowInCell = row >= top && row < bottom;
        const uint32_t* pixel = &Painter.pixels[size_t(row) * kTileBitmapWidth];
        for (int32_t column = 0; column < kTileBitmapWidth; ++column) {
            const int32_t u = first - kTileMargin + column;  // column of the piece
            const bool inCell = rowInCell && u >= 0 && u < width;
            if ((pixel[column] == Painter.sentinelPixel) == inCell) return false;
        }
    }
    return true;
}

// The tile of piece that holds its columns from index * kTileWidth, drawn now if no tile holds
// them yet; none when every tile is in use by this frame.
const Tile* TileFor(const StripPiece& piece, COLORREF background, COLORREF color, int32_t y,
                    int32_t index, int32_t width, int32_t height) {
    const int32_t first = index * kTileWidth;
    Tile* free = nullptr;
    for (Tile& tile : Painter.tiles) {
        if (tile.segment == piece.index && tile.first == first && tile.y == y &&
            tile.background == background && tile.color == color) {
            tile.used = Painter.frame;
            return &tile;
        }
        if (tile.segment < 0 || tile.used != Painter.frame) {
            if (!free || (free->segment >= 0 && (tile.segment < 0 || tile.used < free->used)))
                free = &tile;
        }
    }
    if (!free) return nullptr;
    const bool exact = DrawTile(piece, background, color, y, first, width, height);
    const int slot = static_cast<int>(free - Painter.tiles);
    if (exact) {
        const TileContexts& s = Painter.tileContexts;
        BitBlt(s.tiles.dc, 0, slot * s.height, kTileBitmapWidth, s.height, s.drawing.dc, 0, 0,
               SRCCOPY);
    }
    *free = Tile{piece.index, first, y, background, color, exact, Painter.frame};
    return free;
}

// Puts piece, drawn at frame x and y, into the frame (memory) from its tiles, as far as it can
// show in view. False when it has to be drawn instead (what was copied before that is drawn
// over).
bool CopyFromTiles(HDC memory, const StripPiece& piece, COLORREF color, int32_t x, int32_t y,
                   const FrameView& view) {
    const TileContexts& s = Painter.tileContexts;
    const int32_t width = Painter.ruler.Width(piece.index);
    const int32_t height = piece.value ? Painter.valueHeight : Painter.labelHeight;
    const int32_t top = std::max(0, y), bottom = std::min<int32_t>(s.height, y + height);
    const int64_t from = std::max<int64_t>(0, int64_t{view.left} - x);
    const int64_t to = std::min<int64_t>(width, int64_t{view.right} - x);
    if (top >= bottom || from >= to) return false;  // only its ink could show: draw it
    const COLORREF background = TickerSettings.colors[kBackgroundColor];
    for (int32_t index = static_cast<int32_t>(from / kTileWidth); int64_t{index} * kTileWidth < to;
         ++index) {
        const Tile* tile = TileFor(piece, background, color, y, index, width, height);
        if (!tile || !tile->exact) return false;
        const int32_t slot = static_cast<int32_t>(tile - Painter.tiles);
        const int32_t c0 = static_cast<int32_t>(std::max<int64_t>(from, tile->first));
        const int32_t c1 = static_cast<int32_t>(std::min<int64_t>(to, tile->first + kTileWidth));
        BitBlt(memory, x + c0, top, c1 - c0, bottom - top, s.tiles.dc,
               kTileMargin + c0 - tile->first, slot * s.height + top, SRCCOPY);
    }
    return true;
}

struct FrameContext {
    StripFontSwitch fonts;
    FrameView view;
    bool tiles;
};

void DrawPiece(void* context, const StripPiece& piece, int32_t x, int32_t y) {
    FrameContext& frame = *static_cast<FrameContext*>(context);
    const COLORREF color = PieceColor(piece, TickerSettings.colors);
    if (frame.tiles && CopyFromTiles(frame.fonts.dc, piece, color, x, y, frame.view)) return;
    frame.fonts.Use(piece.value);
    SetTextColor(frame.fonts.dc, color);
    TextOutA(frame.fonts.dc, x, y, piece.bytes, static_cast<int>(piece.length));
}

int32_t MeasurePiece(void* context, const StripPiece& piece) {
    if (Painter.byteWidths.additive) return SummedWidth(&Painter.byteWidths, piece);
    return SwitchedExtentWidth(&static_cast<FrameContext*>(context)->fonts, piece);
}

}  // namespace

// Without both fonts: every segment measured in text order, each in the font the one before
// it left selected, and drawn.
int32_t MeasureInFont(void* context, const StripPiece& piece) {
    HDC dc = static_cast<HDC>(context);
    HFONT font = piece.value ? ValueFont : LabelFont;
    if (font) SelectObject(dc, font);
    SIZE size{0, 0};
    GetTextExtentPoint32A(dc, piece.bytes, static_cast<int>(piece.length), &size);
    return size.cx;
}

void DrawOpaque(void* context, const StripPiece& piece, int32_t x, int32_t y) {
    HDC dc = static_cast<HDC>(context);
    SetTextColor(dc, PieceColor(piece, TickerSettings.colors));
    TextOutA(dc, x, y, piece.bytes, static_cast<int>(piece.length));
}

bool SetPainterText(const char* text) {
    if (!Painter.ruler.SetText(text ? text : "", kDisplayTextSize)) return false;
    DropTileContexts();
    return true;
}

HDC KeptFrameMemory(HDC dc, HWND window, LONG width, LONG height, bool renew) {
    Surface& s = Painter.surface;
    if (renew || s.window != window || s.width != width || s.height != height) {
        DropContext(s.frame);
        s = Surface{};
    }
    if (!s.frame.dc) {
        if (!MakeContext(dc, width, height, s.frame)) return nullptr;
        s.window = window;
        s.width = width;
        s.height = height;
    }
    return s.frame.dc;
}

void ComposeFrame(HDC memory, const RECT& client, const FrameGeometry& g, const char* text,
                  FrameWalk walk) {
    const COLORREF background = TickerSettings.colors[kBackgroundColor];
    HBRUSH brush = CreateSolidBrush(background);
    FillRect(memory, &client, brush);
    DeleteObject(brush);

    SetBkColor(memory, background);
    SetTextColor(memory, TickerSettings.colors[kSymbolColor]);
    const int previousMode = SetBkMode(memory, OPAQUE);
    HGDIOBJ previousFont = GetCurrentObject(memory, OBJ_FONT);

    bool fontsSelected = true;
    const StripFontKey fonts = StripFontKey::Current();
    if (fonts.Complete()) {
        const bool newFonts = fonts != Painter.fonts;
        if (newFonts) {
            Painter.ruler.ForgetWidths();
            ForgetTiles();
            Painter.byteWidths = MeasureByteWidths(memory);
            MeasureFontReach(memory);
            Painter.fonts = fonts;
        }
        ++Painter.frame;
        const FrameView view{g.clipLeft, g.clipRight, Painter.inkLeft, Painter.inkRight};
        // A font is selected only for a piece that is measured or drawn in the context: a
        // frame made of tiles needs none.
        FrameContext frame{StripFontSwitch{memory, nullptr}, view,
                           Painter.inkLeft <= kTileMargin && Painter.inkRight <= kTileMargin &&
                               HaveTileContexts(memory, client.bottom)};
        walk(Painter.ruler, g.margin, ScrollOffset, client.right, view,
             FrameDrawer{&frame, MeasurePiece, DrawPiece});
        fontsSelected = newFonts || frame.fonts.selected;
    } else {
        if (LabelFont) SelectObject(memory, LabelFont);
        WalkFrame(text, kDisplayTextSize, g.margin, ScrollOffset, client.right,
                  FrameDrawer{memory, MeasureInFont, DrawOpaque});
    }
    if (fontsSelected) SelectObject(memory, previousFont);
    SetBkMode(memory, previousMode);
}

void CopyFrameClip(HDC dc, HDC memory, const FrameGeometry& g) {
    BitBlt(dc, g.clipLeft, g.clipTop, g.clipRight - g.clipLeft, g.clipBottom - g.clipTop, memory,
           g.clipLeft, g.clipTop, SRCCOPY);
}

void PaintStrip(HDC dc, HWND window, char* text) {
    RECT client;
    if (GetClientRect(window, &client) && client.right > 0 && client.bottom > 0) {
        const FrameGeometry g = FrameFor(client.right, client.bottom, ScreenSaverWindow != nullptr);
        const char* strip = text ? text : "";
        const bool newText = SetPainterText(strip);
        if (HDC memory = KeptFrameMemory(dc, window, client.right, client.bottom, newText)) {
            ComposeFrame(memory, client, g, strip, WalkVisibleFrame);
            CopyFrameClip(dc, memory, g);
        }
    }
    // The strip keeps moving even when a frame could not be drawn (no size, no memory).
    AdvanceScroll();
}
