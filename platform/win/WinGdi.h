#pragma once
// GDI drawing of the Windows API subset: device contexts with GDI semantics over QPainter,
// pens, brushes, fonts and regions, text output, block transfers, the fixed system colours and
// a recorder that logs every drawing operation for tests.
//
// Pixel rules kept from GDI (callers and tests rely on them):
// - rectangles are half-open: (left, top, right, bottom) covers left..right-1, top..bottom-1;
// - `Rectangle`, `Ellipse` and `RoundRect` keep the pen inside that box and fill the rest with
//   the brush; with a null pen the filled box is one pixel smaller at the right and bottom;
// - `LineTo` leaves out its end point and moves the current position there;
// - one-pixel pens are plotted pixel by pixel (styled pens with their dash pattern, the gaps in
//   the background colour when the background mode is OPAQUE); wider pens are centred;
// - the binary raster operation (SetROP2) applies to pens, brushes and fills alike;
// - the device has 96 pixels per inch; coordinates are logical = device (MM_TEXT) shifted by
//   the viewport and window origins.
#include "platform/win/WinBitmap.h"
#include "platform/win/WinDef.h"
#include "platform/rtl/System.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRegion>
#include <functional>
#include <memory>
#include <vector>

// ---------------------------------------------------------------- objects

enum : UINT { PS_SOLID = 0, PS_DASH = 1, PS_DOT = 2, PS_DASHDOT = 3, PS_DASHDOTDOT = 4, PS_NULL = 5,
              PS_INSIDEFRAME = 6, PS_USERSTYLE = 7, PS_ALTERNATE = 8, PS_STYLE_MASK = 0xF,
              PS_ENDCAP_ROUND = 0, PS_ENDCAP_SQUARE = 0x100, PS_ENDCAP_FLAT = 0x200, PS_ENDCAP_MASK = 0xF00,
              PS_JOIN_ROUND = 0, PS_JOIN_BEVEL = 0x1000, PS_JOIN_MITER = 0x2000, PS_JOIN_MASK = 0xF000,
              PS_COSMETIC = 0, PS_GEOMETRIC = 0x10000 };
enum : UINT { BS_SOLID = 0, BS_NULL = 1, BS_HOLLOW = 1, BS_HATCHED = 2, BS_PATTERN = 3 };
enum : int { HS_HORIZONTAL = 0, HS_VERTICAL = 1, HS_FDIAGONAL = 2, HS_BDIAGONAL = 3, HS_CROSS = 4,
             HS_DIAGCROSS = 5 };

struct LOGPEN {
    UINT lopnStyle = PS_SOLID;
    POINT lopnWidth{1, 0};
    COLORREF lopnColor = 0;
};

struct LOGBRUSH {
    UINT lbStyle = BS_SOLID;
    COLORREF lbColor = 0;
    intptr_t lbHatch = 0;
};

constexpr int LF_FACESIZE = 32;
enum : int { FW_DONTCARE = 0, FW_THIN = 100, FW_LIGHT = 300, FW_NORMAL = 400, FW_MEDIUM = 500,
             FW_SEMIBOLD = 600, FW_BOLD = 700, FW_HEAVY = 900 };
enum : BYTE { ANSI_CHARSET = 0, DEFAULT_CHARSET = 1, SYMBOL_CHARSET = 2, OEM_CHARSET = 255 };
enum : BYTE { OUT_DEFAULT_PRECIS = 0, CLIP_DEFAULT_PRECIS = 0, DEFAULT_QUALITY = 0,
              ANTIALIASED_QUALITY = 4, NONANTIALIASED_QUALITY = 3, DEFAULT_PITCH = 0,
              FIXED_PITCH = 1, VARIABLE_PITCH = 2, FF_DONTCARE = 0, FF_ROMAN = 0x10,
              FF_SWISS = 0x20, FF_MODERN = 0x30, FF_SCRIPT = 0x40, FF_DECORATIVE = 0x50 };

// lfHeight < 0: character height (em) in pixels; > 0: cell height (ascent + descent); 0: default.
// lfEscapement: text angle in tenths of a degree, counter-clockwise.
struct LOGFONT {
    LONG lfHeight = 0;
    LONG lfWidth = 0;
    LONG lfEscapement = 0;
    LONG lfOrientation = 0;
    LONG lfWeight = FW_NORMAL;
    BYTE lfItalic = 0;
    BYTE lfUnderline = 0;
    BYTE lfStrikeOut = 0;
    BYTE lfCharSet = DEFAULT_CHARSET;
    BYTE lfOutPrecision = 0;
    BYTE lfClipPrecision = 0;
    BYTE lfQuality = 0;
    BYTE lfPitchAndFamily = 0;
    char lfFaceName[LF_FACESIZE] = {};
};
using LOGFONTA = LOGFONT;

class PenObject : public GdiObject {
public:
    PenObject() : GdiObject(OBJ_PEN) {}
    int describe(int size, void* out) const override;
    LOGPEN pen;
    // PS_USERSTYLE: lengths of dash, gap, dash... (pixels for a cosmetic pen, logical units for a
    // geometric one); an odd count repeats with dashes and gaps swapped.
    std::vector<DWORD> userStyle;
    DWORD extStyle = 0; // ExtCreatePen's type, end cap and join bits
};
using HPEN = PenObject*;

class BrushObject : public GdiObject {
public:
    BrushObject() : GdiObject(OBJ_BRUSH) {}
    int describe(int size, void* out) const override;
    LOGBRUSH brush;
    QImage pattern; // BS_PATTERN: the pattern bitmap's pixels
};
using HBRUSH = BrushObject*;

class FontObject : public GdiObject {
public:
    FontObject() : GdiObject(OBJ_FONT) {}
    int describe(int size, void* out) const override;
    LOGFONT font;
    QFont QtFont() const; // the Qt font that draws it (pixel sized, substitutions applied)
};
using HFONT = FontObject*;

class RegionObject : public GdiObject {
public:
    RegionObject() : GdiObject(OBJ_REGION) {}
    QRegion region;
};
using HRGN = RegionObject*;

HPEN CreatePen(int style, int width, COLORREF color);
HPEN CreatePenIndirect(const LOGPEN* pen);
// A pen of PS_COSMETIC or PS_GEOMETRIC type with a style, end cap and join; `brush` gives its
// colour (a null brush style makes a null pen). PS_USERSTYLE takes 1 to 16 lengths, not all zero.
HPEN ExtCreatePen(DWORD style, DWORD width, const LOGBRUSH* brush, DWORD styleCount, const DWORD* styleLengths);
HBRUSH CreateSolidBrush(COLORREF color);
HBRUSH CreateHatchBrush(int hatch, COLORREF color);
HBRUSH CreateBrushIndirect(const LOGBRUSH* brush);
HBRUSH CreatePatternBrush(HBITMAP bitmap);
HFONT CreateFontIndirect(const LOGFONT* font);
HFONT CreateFont(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                 DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                 DWORD quality, DWORD pitchAndFamily, const char* faceName);

enum : int { WHITE_BRUSH = 0, LTGRAY_BRUSH = 1, GRAY_BRUSH = 2, DKGRAY_BRUSH = 3, BLACK_BRUSH = 4,
             NULL_BRUSH = 5, HOLLOW_BRUSH = 5, WHITE_PEN = 6, BLACK_PEN = 7, NULL_PEN = 8,
             OEM_FIXED_FONT = 10, ANSI_FIXED_FONT = 11, ANSI_VAR_FONT = 12, SYSTEM_FONT = 13,
             DEVICE_DEFAULT_FONT = 14, DEFAULT_PALETTE = 15, SYSTEM_FIXED_FONT = 16,
             DEFAULT_GUI_FONT = 17, DC_BRUSH = 18, DC_PEN = 19 };
HGDIOBJ GetStockObject(int which);

// Regions
enum : int { RGN_AND = 1, RGN_OR = 2, RGN_XOR = 3, RGN_DIFF = 4, RGN_COPY = 5 };
enum : int { ERROR_REGION = 0, NULLREGION = 1, SIMPLEREGION = 2, COMPLEXREGION = 3 };
HRGN CreateRectRgn(int left, int top, int right, int bottom);
HRGN CreateRectRgnIndirect(const RECT* rect);
HRGN CreateEllipticRgn(int left, int top, int right, int bottom);
// The rectangle (half-open) with corners rounded by ellipses `width` x `height`.
HRGN CreateRoundRectRgn(int left, int top, int right, int bottom, int width, int height);
HRGN CreatePolygonRgn(const POINT* points, int count, int fillMode);
int CombineRgn(HRGN dest, HRGN a, HRGN b, int mode);
BOOL PtInRegion(HRGN region, int x, int y);
int GetRgnBox(HRGN region, RECT* rect);
BOOL OffsetRgn(HRGN region, int dx, int dy);

// ---------------------------------------------------------------- system colours

enum : int {
    COLOR_SCROLLBAR = 0, COLOR_BACKGROUND = 1, COLOR_ACTIVECAPTION = 2, COLOR_INACTIVECAPTION = 3,
    COLOR_MENU = 4, COLOR_WINDOW = 5, COLOR_WINDOWFRAME = 6, COLOR_MENUTEXT = 7, COLOR_WINDOWTEXT = 8,
    COLOR_CAPTIONTEXT = 9, COLOR_ACTIVEBORDER = 10, COLOR_INACTIVEBORDER = 11, COLOR_APPWORKSPACE = 12,
    COLOR_HIGHLIGHT = 13, COLOR_HIGHLIGHTTEXT = 14, COLOR_BTNFACE = 15, COLOR_BTNSHADOW = 16,
    COLOR_GRAYTEXT = 17, COLOR_BTNTEXT = 18, COLOR_INACTIVECAPTIONTEXT = 19, COLOR_BTNHIGHLIGHT = 20,
    COLOR_3DDKSHADOW = 21, COLOR_3DLIGHT = 22, COLOR_INFOTEXT = 23, COLOR_INFOBK = 24,
    COLOR_HOTLIGHT = 26, COLOR_GRADIENTACTIVECAPTION = 27, COLOR_GRADIENTINACTIVECAPTION = 28,
    COLOR_MENUHILIGHT = 29, COLOR_MENUBAR = 30,
    COLOR_3DFACE = COLOR_BTNFACE, COLOR_3DSHADOW = COLOR_BTNSHADOW, COLOR_3DHIGHLIGHT = COLOR_BTNHIGHLIGHT,
    COLOR_3DHILIGHT = COLOR_BTNHIGHLIGHT, COLOR_BTNHILIGHT = COLOR_BTNHIGHLIGHT, COLOR_DESKTOP = 1,
};
// The fixed system-colour table (the classic standard scheme), the same on every machine.
COLORREF GetSysColor(int index);
HBRUSH GetSysColorBrush(int index); // a stock brush
// Tests may change an entry (e.g. to check that painting follows the table); returns the old one.
COLORREF SetSysColorForTest(int index, COLORREF color);

enum : int { SM_CXSCREEN = 0, SM_CYSCREEN = 1, SM_CXVSCROLL = 2, SM_CYHSCROLL = 3, SM_CYCAPTION = 4,
             SM_CXBORDER = 5, SM_CYBORDER = 6, SM_CXDLGFRAME = 7, SM_CYDLGFRAME = 8, SM_CYVTHUMB = 9,
             SM_CXHTHUMB = 10, SM_CXICON = 11, SM_CYICON = 12, SM_CXCURSOR = 13, SM_CYCURSOR = 14,
             SM_CYMENU = 15, SM_CXFULLSCREEN = 16, SM_CYFULLSCREEN = 17, SM_CYVSCROLL = 20,
             SM_CXHSCROLL = 21, SM_CXEDGE = 45, SM_CYEDGE = 46, SM_CXSMICON = 49, SM_CYSMICON = 50,
             SM_CXDRAG = 68, SM_CYDRAG = 69, SM_CXDOUBLECLK = 36, SM_CYDOUBLECLK = 37 };
int GetSystemMetrics(int index);

// System settings: SPI_GETWHEELSCROLLLINES (UINT: 3), SPI_GETWORKAREA (RECT: the primary
// screen's available area), SPI_GETNONCLIENTMETRICS is not kept; others give FALSE.
enum : UINT { SPI_GETWORKAREA = 0x0030, SPI_GETWHEELSCROLLLINES = 0x0068, SPI_GETKEYBOARDDELAY = 0x0016,
              SPI_GETKEYBOARDSPEED = 0x000A, SPI_GETDRAGFULLWINDOWS = 0x0026, SPI_GETDROPSHADOW = 0x1024 };
BOOL SystemParametersInfo(UINT action, UINT param, void* value, UINT winIni);

// ---------------------------------------------------------------- recorder

// One logged drawing operation with the state it drew with.
struct TGdiRecord {
    String Op;                  // "Rectangle", "LineTo", "FillRect", "DrawText", "BitBlt"...
    RECT Rect{};                // the operation's box (LineTo: from x,y in left/top, to in right/bottom)
    std::vector<POINT> Points;  // Polygon, Polyline
    String Text;                // text operations
    std::vector<String> Lines;  // DrawText: the lines as laid out (prefixes gone, ellipses in)
    UINT Flags = 0;             // DrawText flags, raster operation, DrawFrameControl type/state...
    COLORREF PenColor = 0;
    UINT PenStyle = PS_SOLID;
    int PenWidth = 1;
    COLORREF BrushColor = 0;
    UINT BrushStyle = BS_SOLID;
    COLORREF TextColor = 0;
    COLORREF BkColor = 0;
    int BkMode = 0;
    int Rop2 = 0;
    String FontName;
    int FontHeight = 0;
    // "Rectangle(1,2,30,40) pen=#C0C0C0/1 brush=#FFFFFF"-like summary for assertions.
    String ToString() const;
};

class TGdiRecorder {
public:
    std::vector<TGdiRecord> Records;
    void Clear() { Records.clear(); }
    // Records whose Op equals `op`.
    std::vector<TGdiRecord> Of(const String& op) const;
    int Count(const String& op) const;
};

// ---------------------------------------------------------------- device contexts

class IGdiMetaSink; // WinMetaSink.h: the recorder of a metafile context
class PaletteObject; // WinBitmap.h: a logical palette

enum : int { TRANSPARENT = 1, OPAQUE = 2 };
enum : int { R2_BLACK = 1, R2_NOTMERGEPEN = 2, R2_MASKNOTPEN = 3, R2_NOTCOPYPEN = 4, R2_MASKPENNOT = 5,
             R2_NOT = 6, R2_XORPEN = 7, R2_NOTMASKPEN = 8, R2_MASKPEN = 9, R2_NOTXORPEN = 10, R2_NOP = 11,
             R2_MERGENOTPEN = 12, R2_COPYPEN = 13, R2_MERGEPENNOT = 14, R2_MERGEPEN = 15, R2_WHITE = 16 };
enum : int { ALTERNATE = 1, WINDING = 2 };
enum : UINT { TA_NOUPDATECP = 0, TA_UPDATECP = 1, TA_LEFT = 0, TA_RIGHT = 2, TA_CENTER = 6, TA_TOP = 0,
              TA_BOTTOM = 8, TA_BASELINE = 24 };
enum : int { MM_TEXT = 1, MM_ANISOTROPIC = 8, MM_ISOTROPIC = 7 };
enum : int { BLACKONWHITE = 1, WHITEONBLACK = 2, COLORONCOLOR = 3, HALFTONE = 4 };
enum : int { HORZSIZE = 4, VERTSIZE = 6, HORZRES = 8, VERTRES = 10, BITSPIXEL = 12, PLANES = 14,
             NUMCOLORS = 24, RASTERCAPS = 38, LOGPIXELSX = 88, LOGPIXELSY = 90, SIZEPALETTE = 104,
             PHYSICALWIDTH = 110, PHYSICALHEIGHT = 111, PHYSICALOFFSETX = 112, PHYSICALOFFSETY = 113,
             TECHNOLOGY = 2 };
enum : int { RC_PALETTE = 0x100, RC_BITBLT = 1, RC_STRETCHBLT = 0x800, DT_RASDISPLAY = 1 };
constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

class DeviceContext {
public:
    // A context drawing on an image it owns (a recording or test device).
    DeviceContext(int width, int height);
    // A context drawing through a painter that someone else owns (a widget's paint).
    DeviceContext(QPainter* painter, QSize size);
    // A context drawing on an image that someone else owns (a window surface).
    explicit DeviceContext(QImage* image);
    // A memory context: no surface until a bitmap is selected.
    DeviceContext();
    ~DeviceContext();
    DeviceContext(const DeviceContext&) = delete;
    DeviceContext& operator=(const DeviceContext&) = delete;

    TGdiRecorder* Recorder = nullptr;
    IGdiMetaSink* MetaSink = nullptr; // set on metafile contexts: drawing calls are recorded there
    QImage* Image(); // the surface image when the context draws on one (own image or bitmap)
    QPainter* Painter();
    QSize Size() const { return size_; }

    // State
    HPEN pen = nullptr;
    HBRUSH brush = nullptr;
    HFONT font = nullptr;
    HBITMAP bitmap = nullptr;
    COLORREF textColor = 0;
    COLORREF bkColor = 0xFFFFFF;
    int bkMode = OPAQUE;
    int rop2 = R2_COPYPEN;
    int polyFillMode = ALTERNATE;
    UINT textAlign = TA_LEFT | TA_TOP;
    int stretchMode = BLACKONWHITE;
    int mapMode = MM_TEXT; // one of MM_TEXT .. MM_ANISOTROPIC; the extents below are never zero
    POINT current{0, 0};
    POINT viewportOrg{0, 0};
    POINT windowOrg{0, 0};
    SIZE windowExt{1, 1};
    SIZE viewportExt{1, 1};
    bool hasClip = false;
    QRegion clip; // device coordinates
    // The window's update region during a paint: always in force, SelectClipRgn(null) keeps it.
    bool hasSystemClip = false;
    QRegion systemClip;
    HWND window = nullptr; // the window of GetDC
    COLORREF dcBrushColor = 0xFFFFFF;
    COLORREF dcPenColor = 0;
    PaletteObject* palette = nullptr; // selected logical palette; null: the default palette

    // Internals used by the drawing functions.
    QPoint ToDevice(int x, int y) const;
    QRect ToDevice(const RECT& r) const; // normalised, half-open → QRect
    int ScaleX(int dx) const;
    int ScaleY(int dy) const;
    void CheckMapping() const; // the mapping invariants above, in the checking build
    void Record(TGdiRecord record) const;
    TGdiRecord MakeRecord(const String& op) const;
    void PreparePainter(); // raster op and clip of the current state
    void SelectBitmap(HBITMAP bitmap);
    void Flush(); // pushes drawing into a selected DIB section's bits

    struct Saved;
    std::vector<Saved> saved;
    int SavedDepth() const; // states SaveDC holds

private:
    std::unique_ptr<QImage> ownImage_;
    std::unique_ptr<QPainter> ownPainter_;
    QPainter* painter_ = nullptr;
    QSize size_;
    QImage work_; // a paintable copy of a bitmap that QPainter cannot draw on directly
    bool workIsCopy_ = false;
};

HDC CreateCompatibleDC(HDC dc);
BOOL DeleteDC(HDC dc);
HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
HGDIOBJ GetCurrentObject(HDC dc, UINT type);
int SaveDC(HDC dc);
BOOL RestoreDC(HDC dc, int saved); // saved < 0: relative
int GetDeviceCaps(HDC dc, int index);
BOOL GdiFlush();

COLORREF SetTextColor(HDC dc, COLORREF color);
COLORREF GetTextColor(HDC dc);
COLORREF SetBkColor(HDC dc, COLORREF color);
COLORREF GetBkColor(HDC dc);
int SetBkMode(HDC dc, int mode);
int GetBkMode(HDC dc);
int SetROP2(HDC dc, int rop);
int GetROP2(HDC dc);
int SetPolyFillMode(HDC dc, int mode);
UINT SetTextAlign(HDC dc, UINT align);
UINT GetTextAlign(HDC dc);
int SetStretchBltMode(HDC dc, int mode);
COLORREF SetDCBrushColor(HDC dc, COLORREF color);
COLORREF SetDCPenColor(HDC dc, COLORREF color);
int SetMapMode(HDC dc, int mode);
BOOL SetViewportOrgEx(HDC dc, int x, int y, POINT* old);
BOOL GetViewportOrgEx(HDC dc, POINT* org);
BOOL SetWindowOrgEx(HDC dc, int x, int y, POINT* old);
BOOL GetWindowOrgEx(HDC dc, POINT* org);
BOOL OffsetViewportOrgEx(HDC dc, int dx, int dy, POINT* old);
BOOL SetWindowExtEx(HDC dc, int x, int y, SIZE* old);
BOOL SetViewportExtEx(HDC dc, int x, int y, SIZE* old);

// Clipping (rectangles in logical coordinates)
int SelectClipRgn(HDC dc, HRGN region); // null: no clipping
int ExtSelectClipRgn(HDC dc, HRGN region, int mode);
int IntersectClipRect(HDC dc, int left, int top, int right, int bottom);
int ExcludeClipRect(HDC dc, int left, int top, int right, int bottom);
int GetClipBox(HDC dc, RECT* rect);
int GetClipRgn(HDC dc, HRGN region); // 1 with a clip region, 0 without

// Lines and shapes
BOOL MoveToEx(HDC dc, int x, int y, POINT* old);
BOOL LineTo(HDC dc, int x, int y);
BOOL Polyline(HDC dc, const POINT* points, int count);
BOOL PolyPolyline(HDC dc, const POINT* points, const DWORD* counts, DWORD polylines);
BOOL Rectangle(HDC dc, int left, int top, int right, int bottom);
BOOL Ellipse(HDC dc, int left, int top, int right, int bottom);
BOOL RoundRect(HDC dc, int left, int top, int right, int bottom, int width, int height);
BOOL Polygon(HDC dc, const POINT* points, int count);
BOOL PolyPolygon(HDC dc, const POINT* points, const int* counts, int polygons);
BOOL Pie(HDC dc, int left, int top, int right, int bottom, int xr1, int yr1, int xr2, int yr2);
BOOL Arc(HDC dc, int left, int top, int right, int bottom, int xr1, int yr1, int xr2, int yr2);
// The ellipse's segment cut off by the line between the two radial points, outlined and filled.
BOOL Chord(HDC dc, int left, int top, int right, int bottom, int xr1, int yr1, int xr2, int yr2);
int FillRect(HDC dc, const RECT* rect, HBRUSH brush);
int FrameRect(HDC dc, const RECT* rect, HBRUSH brush);
BOOL InvertRect(HDC dc, const RECT* rect);
BOOL FillRgn(HDC dc, HRGN region, HBRUSH brush);
BOOL FrameRgn(HDC dc, HRGN region, HBRUSH brush, int width, int height);
BOOL PaintRgn(HDC dc, HRGN region);
// The dotted focus frame, drawn by inverting pixels: drawing it twice restores the picture.
BOOL DrawFocusRect(HDC dc, const RECT* rect);
COLORREF SetPixel(HDC dc, int x, int y, COLORREF color);
BOOL SetPixelV(HDC dc, int x, int y, COLORREF color);
COLORREF GetPixel(HDC dc, int x, int y);

// Block transfers
constexpr DWORD SRCCOPY = 0x00CC0020;
constexpr DWORD SRCPAINT = 0x00EE0086;
constexpr DWORD SRCAND = 0x008800C6;
constexpr DWORD SRCINVERT = 0x00660046;
constexpr DWORD SRCERASE = 0x00440328;
constexpr DWORD NOTSRCCOPY = 0x00330008;
constexpr DWORD NOTSRCERASE = 0x001100A6;
constexpr DWORD MERGECOPY = 0x00C000CA;
constexpr DWORD MERGEPAINT = 0x00BB0226;
constexpr DWORD PATCOPY = 0x00F00021;
constexpr DWORD PATPAINT = 0x00FB0A09;
constexpr DWORD PATINVERT = 0x005A0049;
constexpr DWORD DSTINVERT = 0x00550009;
constexpr DWORD BLACKNESS = 0x00000042;
constexpr DWORD WHITENESS = 0x00FF0062;
// A ternary raster operation is named by its truth-table byte (bits 16..23): bit
// (pattern << 2 | source << 1 | destination) is the result for those input bits, applied to
// every bit of the colours. RopResult computes it for whole colours.
constexpr unsigned RopIndex(DWORD rop) { return (rop >> 16) & 0xFF; }
constexpr bool RopUsesSource(DWORD rop) { return (((RopIndex(rop) >> 2) ^ RopIndex(rop)) & 0x33) != 0; }
constexpr bool RopUsesPattern(DWORD rop) { return (((RopIndex(rop) >> 4) ^ RopIndex(rop)) & 0x0F) != 0; }
constexpr bool RopUsesDestination(DWORD rop) { return (((RopIndex(rop) >> 1) ^ RopIndex(rop)) & 0x55) != 0; }
std::uint32_t RopResult(DWORD rop, std::uint32_t source, std::uint32_t pattern, std::uint32_t destination);
BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int sx, int sy, DWORD rop);
BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC src, int sx, int sy, int sw, int sh,
                DWORD rop);
BOOL PatBlt(HDC dc, int x, int y, int width, int height, DWORD rop);
// Colour-keyed copy: pixels of `transparent` colour in the source are left out.
BOOL TransparentBlt(HDC dest, int x, int y, int width, int height, HDC src, int sx, int sy, int sw,
                    int sh, UINT transparent);
int StretchDIBits(HDC dc, int x, int y, int width, int height, int sx, int sy, int sw, int sh,
                  const void* bits, const BITMAPINFO* info, UINT usage, DWORD rop);
int SetDIBitsToDevice(HDC dc, int x, int y, DWORD width, DWORD height, int sx, int sy, UINT startScan,
                      UINT lines, const void* bits, const BITMAPINFO* info, UINT usage);

// Blends the source onto the destination (stretched when the sizes differ): without
// AC_SRC_ALPHA every pixel with the constant alpha, with it by the source's own alpha
// (premultiplied colours, as a 32-bit DIB section holds them, times the constant alpha).
// FALSE for a missing context or a source area outside the source.
struct BLENDFUNCTION {
    BYTE BlendOp = 0;   // AC_SRC_OVER
    BYTE BlendFlags = 0;
    BYTE SourceConstantAlpha = 255;
    BYTE AlphaFormat = 0; // AC_SRC_ALPHA = 1
};
enum : BYTE { AC_SRC_OVER = 0, AC_SRC_ALPHA = 1 };
BOOL AlphaBlend(HDC dest, int x, int y, int width, int height, HDC src, int sx, int sy, int sw, int sh,
                BLENDFUNCTION blend);

// Gradient fills: colours are 16-bit per channel (0xFF00 is full). Rectangles shade from the
// upper-left vertex's colour to the lower-right's, across (GRADIENT_FILL_RECT_H) or down
// (GRADIENT_FILL_RECT_V); triangles interpolate the three corner colours.
using COLOR16 = unsigned short;
using ULONG = uint32_t;
struct TRIVERTEX {
    LONG x = 0;
    LONG y = 0;
    COLOR16 Red = 0;
    COLOR16 Green = 0;
    COLOR16 Blue = 0;
    COLOR16 Alpha = 0;
};
struct GRADIENT_RECT {
    ULONG UpperLeft = 0;
    ULONG LowerRight = 0;
};
struct GRADIENT_TRIANGLE {
    ULONG Vertex1 = 0;
    ULONG Vertex2 = 0;
    ULONG Vertex3 = 0;
};
enum : ULONG { GRADIENT_FILL_RECT_H = 0, GRADIENT_FILL_RECT_V = 1, GRADIENT_FILL_TRIANGLE = 2 };
BOOL GradientFill(HDC dc, const TRIVERTEX* vertices, ULONG vertexCount, const void* mesh, ULONG meshCount,
                  ULONG mode);

// ---------------------------------------------------------------- icons

// An icon or cursor: its pixels with alpha and, for cursors, the hot spot.
struct IconObject {
    QImage image; // ARGB32
    bool isIcon = true;
    DWORD xHotspot = 0;
    DWORD yHotspot = 0;
};
using HICON = IconObject*;
using HCURSOR = HICON;

struct ICONINFO {
    BOOL fIcon = TRUE;
    DWORD xHotspot = 0;
    DWORD yHotspot = 0;
    HBITMAP hbmMask = nullptr;  // AND mask (1 = transparent); twice as high without a colour bitmap
    HBITMAP hbmColor = nullptr; // colours; a 32-bit DIB section with alpha uses that alpha
};

// Null without a mask bitmap (the colour bitmap alone does not make an icon).
HICON CreateIconIndirect(ICONINFO* info);
// An icon of a picture's pixels (alpha kept): the platform's way to make icons from files.
HICON CreateIconFromImage(const QImage& image);
HICON CopyIcon(HICON icon);
BOOL DestroyIcon(HICON icon);
// New mask and colour bitmaps of the icon (the caller deletes them).
BOOL GetIconInfo(HICON icon, ICONINFO* info);

enum : UINT { DI_MASK = 0x1, DI_IMAGE = 0x2, DI_NORMAL = 0x3, DI_COMPAT = 0x4, DI_DEFAULTSIZE = 0x8,
              DI_NOMIRROR = 0x10 };
// Draws the icon at x, y, width x height (0: the icon's size, or the system icon size with
// DI_DEFAULTSIZE). With a brush the box is filled with it first. DI_NORMAL blends the icon by
// its alpha; DI_IMAGE alone copies the colours opaque; DI_MASK alone ANDs the mask (black
// where the icon is opaque).
BOOL DrawIconEx(HDC dc, int x, int y, HICON icon, int width, int height, UINT step, HBRUSH flickerFreeBrush,
                UINT flags);
BOOL DrawIcon(HDC dc, int x, int y, HICON icon);

// ---------------------------------------------------------------- text

struct TEXTMETRIC {
    LONG tmHeight = 0;
    LONG tmAscent = 0;
    LONG tmDescent = 0;
    LONG tmInternalLeading = 0;
    LONG tmExternalLeading = 0;
    LONG tmAveCharWidth = 0;
    LONG tmMaxCharWidth = 0;
    LONG tmWeight = 0;
    LONG tmOverhang = 0;
    LONG tmDigitizedAspectX = 96;
    LONG tmDigitizedAspectY = 96;
    char tmFirstChar = 32;
    char tmLastChar = char(255);
    char tmDefaultChar = '?';
    char tmBreakChar = ' ';
    BYTE tmItalic = 0;
    BYTE tmUnderlined = 0;
    BYTE tmStruckOut = 0;
    BYTE tmPitchAndFamily = 0;
    BYTE tmCharSet = 0;
};
using TEXTMETRICA = TEXTMETRIC;

enum : UINT { ETO_OPAQUE = 2, ETO_CLIPPED = 4 };

BOOL TextOut(HDC dc, int x, int y, const char* text, int count);
BOOL ExtTextOut(HDC dc, int x, int y, UINT options, const RECT* rect, const char* text, UINT count,
                const int* dx);
BOOL ExtTextOutW(HDC dc, int x, int y, UINT options, const RECT* rect, const char16_t* text, UINT count,
                 const int* dx);
BOOL GetTextExtentPoint32(HDC dc, const char* text, int count, SIZE* size);
BOOL GetTextMetrics(HDC dc, TEXTMETRIC* metrics);
int GetTextFace(HDC dc, int count, char* name);

enum : UINT {
    DT_TOP = 0x0, DT_LEFT = 0x0, DT_CENTER = 0x1, DT_RIGHT = 0x2, DT_VCENTER = 0x4, DT_BOTTOM = 0x8,
    DT_WORDBREAK = 0x10, DT_SINGLELINE = 0x20, DT_EXPANDTABS = 0x40, DT_TABSTOP = 0x80,
    DT_NOCLIP = 0x100, DT_EXTERNALLEADING = 0x200, DT_CALCRECT = 0x400, DT_NOPREFIX = 0x800,
    DT_INTERNAL = 0x1000, DT_EDITCONTROL = 0x2000, DT_PATH_ELLIPSIS = 0x4000, DT_END_ELLIPSIS = 0x8000,
    DT_MODIFYSTRING = 0x10000, DT_RTLREADING = 0x20000, DT_WORD_ELLIPSIS = 0x40000,
    DT_NOFULLWIDTHCHARBREAK = 0x80000, DT_HIDEPREFIX = 0x100000, DT_PREFIXONLY = 0x200000,
};

struct DRAWTEXTPARAMS {
    UINT cbSize = sizeof(DRAWTEXTPARAMS);
    int iTabLength = 0;   // in average character widths (DT_TABSTOP)
    int iLeftMargin = 0;
    int iRightMargin = 0;
    UINT uiLengthDrawn = 0;
};

// Text in the system code page; count -1 means up to the terminating zero. Returns the height of
// the text drawn (with DT_VCENTER/DT_BOTTOM the offset from the top plus the height); with
// DT_CALCRECT draws nothing and sets the rectangle's right (single line) and bottom.
// '&' marks the next character's underline unless DT_NOPREFIX; "&&" is one '&'.
// Tabs expand to 8 average character widths with DT_EXPANDTABS.
int DrawText(HDC dc, const char* text, int count, RECT* rect, UINT format);
int DrawTextEx(HDC dc, const char* text, int count, RECT* rect, UINT format, DRAWTEXTPARAMS* params);
int DrawText(HDC dc, const String& text, RECT* rect, UINT format);
// Wide-text forms.
int DrawTextW(HDC dc, const char16_t* text, int count, RECT* rect, UINT format);
BOOL TextOutW(HDC dc, int x, int y, const char16_t* text, int count);
BOOL GetTextExtentPoint32W(HDC dc, const char16_t* text, int count, SIZE* size);

// ---------------------------------------------------------------- windows

// A window that keeps an image of its client area: drawing "at once" through GetDC goes into
// it and the window shows it at its next paint; InvalidateRect asks for a repaint of the window
// content. Framework hosts implement it; other widgets get a context that draws nowhere.
class IWindowSurface {
public:
    virtual ~IWindowSurface() = default;
    virtual QImage* SurfaceImage() = 0;
    virtual void SurfaceChanged(const QRect& area) = 0;
    virtual void InvalidateArea(const QRect* area, bool erase) = 0;
};

// A window surface may say which part of it needs painting; BeginPaint takes that region
// (and validates it). Surfaces that keep no region answer false: the whole client is painted.
class IUpdateRegionSource {
public:
    virtual ~IUpdateRegionSource() = default;
    virtual bool TakeUpdateRegion(QRegion* region, bool* erase) = 0;
};

// A window with a non-client band around its client area (WM_NCCALCSIZE). Its band is painted
// on the window image (GetWindowDC); client coordinates start at the client area's corner.
class INonClientWindow {
public:
    virtual ~INonClientWindow() = default;
    // The client area in window coordinates.
    virtual QRect ClientBox() const = 0;
    // The image of the whole window that GetWindowDC draws on; null while the window has no
    // band (GetWindowDC is then the client's context).
    virtual QImage* WindowImage() = 0;
    virtual void WindowImageChanged() = 0;
    // The frame changed (SWP_FRAMECHANGED): WM_NCCALCSIZE again, then WM_NCPAINT.
    virtual void FrameChanged() = 0;
};

struct PAINTSTRUCT {
    HDC hdc = nullptr;
    BOOL fErase = FALSE;
    RECT rcPaint{};
    BOOL fRestore = FALSE;
    BOOL fIncUpdate = FALSE;
    BYTE rgbReserved[32] = {};
};
// A context on the window clipped to its update region, which stops being invalid; rcPaint is
// the region's bounding box (the client area when the window keeps no region). Every
// BeginPaint needs its EndPaint, which gives the context back and shows the drawing.
HDC BeginPaint(HWND window, PAINTSTRUCT* paint);
BOOL EndPaint(HWND window, const PAINTSTRUCT* paint);

HDC GetDC(HWND window);
HDC GetWindowDC(HWND window);
int ReleaseDC(HWND window, HDC dc);
BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase);
BOOL InvalidateRgn(HWND window, HRGN region, BOOL erase);
BOOL UpdateWindow(HWND window);
BOOL GetClientRect(HWND window, RECT* rect);
BOOL GetWindowRect(HWND window, RECT* rect);
BOOL ClientToScreen(HWND window, POINT* point);
BOOL ScreenToClient(HWND window, POINT* point);
BOOL IsWindow(HWND window);
BOOL IsWindowVisible(HWND window);
HWND GetFocus();
HWND SetFocus(HWND window);

// Rectangle helpers
BOOL SetRect(RECT* rect, int left, int top, int right, int bottom);
BOOL SetRectEmpty(RECT* rect);
BOOL InflateRect(RECT* rect, int dx, int dy);
BOOL OffsetRect(RECT* rect, int dx, int dy);
BOOL IntersectRect(RECT* dest, const RECT* a, const RECT* b);
BOOL UnionRect(RECT* dest, const RECT* a, const RECT* b);
BOOL IsRectEmpty(const RECT* rect);
BOOL PtInRect(const RECT* rect, POINT point);
BOOL EqualRect(const RECT* a, const RECT* b);
BOOL CopyRect(RECT* dest, const RECT* src);

// For drawing units built on the device context (frame controls, the visual-style module):
// the painter set up with the context's clip and raster operation, in device coordinates, or
// null when nothing can be drawn.
QPainter* BeginGdiPaint(HDC dc);

QColor ColorRefToQColor(COLORREF color);
COLORREF QColorToColorRef(const QColor& color);
QRect RectToQRect(const RECT& rect);      // half-open RECT → QRect of the same pixels
RECT QRectToRect(const QRect& rect);
