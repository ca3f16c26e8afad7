#include "platform/win/WinGdi.h"

#include <QPainter>
#include <QPixmap>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kBlack = 0x000000;
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

// A white test device with its own recorder.
struct GdiDevice {
    explicit GdiDevice(int w = 40, int h = 40) : dc(w, h) { dc.Recorder = &log; }
    COLORREF At(int x, int y) { return GetPixel(&dc, x, y); }
    HDC operator&() { return &dc; }
    DeviceContext dc;
    TGdiRecorder log;
};

// Selects a new object for the scope of a test and frees it afterwards.
struct Selected {
    Selected(HDC dc, HGDIOBJ object) : dc_(dc), object_(object), old_(SelectObject(dc, object)) {}
    ~Selected()
    {
        SelectObject(dc_, old_);
        DeleteObject(object_);
    }
    HDC dc_;
    HGDIOBJ object_;
    HGDIOBJ old_;
};

QRect InkBox(DeviceContext& dc, COLORREF background = kWhite)
{
    QRect box;
    const QImage* image = dc.Image();
    for (int y = 0; y < image->height(); ++y)
        for (int x = 0; x < image->width(); ++x)
            if (QColorToColorRef(image->pixelColor(x, y)) != background)
                box |= QRect(x, y, 1, 1);
    return box;
}

} // namespace

TEST(GdiShapes, RectangleKeepsThePenInsideAndTheNullPenShrinksTheFill)
{
    GdiDevice d;
    Selected brush(&d, CreateSolidBrush(kRed));
    Rectangle(&d, 2, 2, 6, 6);
    EXPECT_EQ(d.At(2, 2), kBlack);
    EXPECT_EQ(d.At(5, 5), kBlack);
    EXPECT_EQ(d.At(5, 3), kBlack);
    EXPECT_EQ(d.At(3, 3), kRed);
    EXPECT_EQ(d.At(4, 4), kRed);
    EXPECT_EQ(d.At(6, 6), kWhite);
    EXPECT_EQ(d.At(6, 2), kWhite);

    SelectObject(&d, GetStockObject(NULL_PEN));
    Rectangle(&d, 10, 10, 14, 14);
    EXPECT_EQ(d.At(10, 10), kRed);
    EXPECT_EQ(d.At(12, 12), kRed);
    EXPECT_EQ(d.At(13, 13), kWhite);
    EXPECT_EQ(d.At(13, 10), kWhite);

    ASSERT_EQ(d.log.Count("Rectangle"), 2);
    EXPECT_EQ(d.log.Records[0].ToString(), "Rectangle(2,2,6,6) pen=#000000/1 brush=#FF0000");
    EXPECT_EQ(d.log.Records[1].ToString(), "Rectangle(10,10,14,14) pen=null brush=#FF0000");
}

TEST(GdiShapes, WidePenRectangleStaysInside)
{
    GdiDevice d;
    Selected pen(&d, CreatePen(PS_SOLID, 3, kBlue));
    Rectangle(&d, 0, 0, 10, 10);
    for (int i : {0, 1, 2})
        EXPECT_EQ(d.At(i, 5), kBlue) << i;
    EXPECT_EQ(d.At(3, 5), kWhite);
    EXPECT_EQ(d.At(9, 9), kBlue);
    EXPECT_EQ(d.At(10, 10), kWhite);
}

// Wide lines on an image are written directly; through a painter on another surface Qt strokes
// them. Both give round ends and joins and a horizontal or vertical line exactly the pen's width
// thick; over random polylines they differ only on a few pixels of the rims. A clip region holds
// for the direct writing too.
TEST(GdiShapes, WidePolylinesWrittenDirectlyMatchThePaintersStroke)
{
    for (int width : {2, 3, 4, 5, 8}) {
        GdiDevice d(60, 60);
        Selected pen(&d, CreatePen(PS_SOLID, width, kBlue));
        const POINT flat[] = {{10, 10}, {40, 10}, {40, 45}};
        Polyline(&d, flat, 3);
        int thick = 0, wide = 0;
        for (int y = 0; y < 60; ++y)
            thick += d.At(25, y) == kBlue;
        for (int x = 0; x < 60; ++x)
            wide += d.At(x, 30) == kBlue;
        EXPECT_EQ(thick, width) << width;
        EXPECT_EQ(wide, width) << width;
        EXPECT_EQ(d.At(40, 10), kBlue) << "the join is filled, width " << width;
        EXPECT_EQ(d.At(40 + width / 2 + 1, 10 - width / 2 - 1), kWhite) << "the join is round, width " << width;
    }

    std::srand(7);
    for (int width : {2, 3, 6}) {
        std::vector<POINT> points;
        for (int i = 0; i < 40; ++i)
            points.push_back(POINT{5 + std::rand() % 190, 5 + std::rand() % 140});
        GdiDevice direct(200, 150);
        QImage surface(200, 150, QImage::Format_RGB32);
        surface.fill(Qt::white);
        QPixmap pixmap(200, 150);
        pixmap.fill(Qt::white);
        {
            QPainter painter(&pixmap);
            DeviceContext stroked(&painter, QSize(200, 150));
            Selected a(&direct, CreatePen(PS_SOLID, width, kRed));
            Selected b(&stroked, CreatePen(PS_SOLID, width, kRed));
            Polyline(&direct, points.data(), int(points.size()));
            Polyline(&stroked, points.data(), int(points.size()));
        }
        const QImage mine = direct.dc.Image()->convertToFormat(QImage::Format_RGB32);
        const QImage theirs = pixmap.toImage().convertToFormat(QImage::Format_RGB32);
        int ink = 0, differ = 0;
        for (int y = 0; y < 150; ++y)
            for (int x = 0; x < 200; ++x) {
                ink += theirs.pixel(x, y) != 0xFFFFFFFFu;
                differ += mine.pixel(x, y) != theirs.pixel(x, y);
            }
        EXPECT_GT(ink, 1000) << width;
        EXPECT_LT(differ, ink / 25) << width;
    }

    GdiDevice clipped(40, 40);
    Selected pen(&clipped, CreatePen(PS_SOLID, 5, kRed));
    HRGN region = CreateRectRgn(0, 0, 20, 40);
    SelectClipRgn(&clipped, region);
    DeleteObject(region);
    const POINT across[] = {{2, 20}, {38, 20}};
    Polyline(&clipped, across, 2);
    EXPECT_EQ(clipped.At(19, 20), kRed);
    EXPECT_EQ(clipped.At(20, 20), kWhite);
    EXPECT_EQ(clipped.At(30, 20), kWhite);
}

// Lines from a damaged metafile may run billions of pixels: they draw their visible part at once.
TEST(GdiShapes, LinesFarBeyondTheSurfaceDrawTheirVisiblePart)
{
    for (int width : {1, 4}) {
        GdiDevice d;
        Selected pen(&d, CreatePen(PS_SOLID, width, kBlue));
        MoveToEx(&d, -1000000000, 20, nullptr);
        LineTo(&d, 1000000000, 20);
        const POINT far[] = {{20, -2000000000}, {20, 2000000000}};
        Polyline(&d, far, 2);
        EXPECT_EQ(d.At(5, 20), kBlue) << width;
        EXPECT_EQ(d.At(20, 5), kBlue) << width;
        EXPECT_EQ(d.At(5, 5), kWhite) << width;
    }
}

TEST(GdiShapes, LineToLeavesOutItsEndPoint)
{
    GdiDevice d;
    MoveToEx(&d, 0, 5, nullptr);
    LineTo(&d, 5, 5);
    EXPECT_EQ(d.At(0, 5), kBlack);
    EXPECT_EQ(d.At(4, 5), kBlack);
    EXPECT_EQ(d.At(5, 5), kWhite);
    LineTo(&d, 5, 0); // from the current position, upwards
    EXPECT_EQ(d.At(5, 5), kBlack);
    EXPECT_EQ(d.At(5, 1), kBlack);
    EXPECT_EQ(d.At(5, 0), kWhite);
    MoveToEx(&d, 10, 10, nullptr);
    LineTo(&d, 14, 14);
    EXPECT_EQ(d.At(13, 13), kBlack);
    EXPECT_EQ(d.At(14, 14), kWhite);
    ASSERT_EQ(d.log.Count("LineTo"), 3);
    EXPECT_EQ(d.log.Records[1].Rect.left, 5);
    EXPECT_EQ(d.log.Records[1].Rect.top, 5);
    EXPECT_EQ(d.log.Records[1].Rect.bottom, 0);
}

TEST(GdiShapes, StyledPenFollowsItsPatternWithOpaqueGaps)
{
    GdiDevice d;
    Selected pen(&d, CreatePen(PS_DOT, 1, kBlack));
    SetBkColor(&d, kRed);
    MoveToEx(&d, 0, 0, nullptr);
    LineTo(&d, 12, 0);
    const COLORREF expected[] = {kBlack, kBlack, kBlack, kRed, kRed, kRed, kBlack, kBlack, kBlack, kRed};
    for (int x = 0; x < 10; ++x)
        EXPECT_EQ(d.At(x, 0), expected[x]) << x;
    SetBkMode(&d, TRANSPARENT);
    MoveToEx(&d, 0, 2, nullptr);
    LineTo(&d, 12, 2);
    EXPECT_EQ(d.At(4, 2), kWhite);
}

TEST(GdiShapes, XorDrawingAndFocusRectUndoThemselves)
{
    GdiDevice d;
    RECT r{1, 1, 20, 20};
    FillRect(&d, &r, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    const QImage before = d.dc.Image()->copy();
    SetROP2(&d, R2_XORPEN);
    Selected pen(&d, CreatePen(PS_SOLID, 1, kWhite));
    for (int i = 0; i < 2; ++i) {
        MoveToEx(&d, 5, 0, nullptr);
        LineTo(&d, 5, 30);
        if (i == 0)
            EXPECT_EQ(d.At(5, 10), QColorToColorRef(QColor(0x7F, 0x7F, 0x7F)));
    }
    EXPECT_EQ(*d.dc.Image(), before);
    SetROP2(&d, R2_COPYPEN);
    RECT f{3, 3, 15, 12};
    DrawFocusRect(&d, &f);
    EXPECT_NE(*d.dc.Image(), before);
    EXPECT_EQ(d.At(3, 3), QColorToColorRef(QColor(0x7F, 0x7F, 0x7F)));
    DrawFocusRect(&d, &f);
    EXPECT_EQ(*d.dc.Image(), before);
}

TEST(GdiShapes, PolygonFillModes)
{
    // a five-pointed star drawn in one stroke: its centre is inside only with WINDING
    POINT star[5];
    for (int i = 0; i < 5; ++i) {
        const double a = -M_PI / 2 + i * 4 * M_PI / 5;
        star[i] = POINT{LONG(std::lround(50 + 45 * std::cos(a))), LONG(std::lround(50 + 45 * std::sin(a)))};
    }
    for (int mode : {ALTERNATE, WINDING}) {
        GdiDevice d(100, 100);
        Selected brush(&d, CreateSolidBrush(kBlue));
        SelectObject(&d, GetStockObject(NULL_PEN));
        SetPolyFillMode(&d, mode);
        Polygon(&d, star, 5);
        EXPECT_EQ(d.At(50, 50), mode == WINDING ? kBlue : kWhite) << mode;
        EXPECT_EQ(d.At(50, 10), kBlue) << mode; // a point of the star
        EXPECT_EQ(d.At(5, 95), kWhite) << mode;
        EXPECT_EQ(d.log.Records.back().Flags, UINT(mode));
    }
}

TEST(GdiShapes, EllipseAndRoundRectStayInTheirBox)
{
    GdiDevice d;
    Selected brush(&d, CreateSolidBrush(kRed));
    Ellipse(&d, 2, 2, 22, 12);
    EXPECT_EQ(d.At(12, 7), kRed);
    EXPECT_EQ(d.At(2, 2), kWhite); // the corner lies outside the ellipse
    EXPECT_EQ(InkBox(d.dc), QRect(2, 2, 20, 10));
    GdiDevice e;
    Selected brush2(&e, CreateSolidBrush(kRed));
    RoundRect(&e, 1, 1, 31, 21, 8, 8);
    EXPECT_EQ(InkBox(e.dc), QRect(1, 1, 30, 20));
    EXPECT_EQ(e.At(1, 1), kWhite);
    EXPECT_EQ(e.At(15, 1), kBlack);
}

TEST(GdiFills, FillRectFrameRectAndClipping)
{
    GdiDevice d;
    Selected brush(&d, CreateSolidBrush(kRed));
    RECT r{2, 2, 8, 6};
    FillRect(&d, &r, static_cast<HBRUSH>(brush.object_));
    EXPECT_EQ(InkBox(d.dc), QRect(2, 2, 6, 4));
    RECT f{10, 10, 15, 15};
    FrameRect(&d, &f, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    EXPECT_EQ(d.At(10, 10), kBlack);
    EXPECT_EQ(d.At(14, 14), kBlack);
    EXPECT_EQ(d.At(12, 12), kWhite);

    GdiDevice c;
    IntersectClipRect(&c, 5, 5, 10, 10);
    RECT all{0, 0, 40, 40};
    FillRect(&c, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    EXPECT_EQ(InkBox(c.dc), QRect(5, 5, 5, 5));
    SelectClipRgn(&c, nullptr);
    SetViewportOrgEx(&c, 20, 20, nullptr);
    RECT small{0, 0, 2, 2};
    FillRect(&c, &small, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    EXPECT_EQ(c.At(0, 0), kBlack); // logical (0,0) is device (20,20)
    EXPECT_EQ(GetPixel(&c, -15, -15), kBlack);
}

TEST(GdiObjects, SelectedObjectsCannotBeDeletedAndStockObjectsStay)
{
    GdiDevice d;
    HPEN pen = CreatePen(PS_SOLID, 1, kRed);
    HGDIOBJ old = SelectObject(&d, pen);
    EXPECT_EQ(old, GetStockObject(BLACK_PEN));
    EXPECT_FALSE(DeleteObject(pen));
    SelectObject(&d, old);
    EXPECT_TRUE(DeleteObject(pen));
    EXPECT_TRUE(DeleteObject(GetStockObject(WHITE_BRUSH)));
    EXPECT_EQ(GetObjectType(GetStockObject(WHITE_BRUSH)), DWORD(OBJ_BRUSH));

    const int level = SaveDC(&d);
    HBRUSH brush = CreateSolidBrush(kBlue);
    SelectObject(&d, brush);
    SetTextColor(&d, kRed);
    RestoreDC(&d, level);
    EXPECT_EQ(GetCurrentObject(&d, OBJ_BRUSH), GetStockObject(WHITE_BRUSH));
    EXPECT_EQ(GetTextColor(&d), kBlack);
    EXPECT_TRUE(DeleteObject(brush));
}

TEST(GdiObjects, FixedSystemColoursAndDeviceCaps)
{
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), COLORREF(0xC8D0D4));
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), kWhite);
    EXPECT_EQ(GetSysColor(COLOR_WINDOWTEXT), kBlack);
    EXPECT_EQ(GetSysColor(COLOR_BTNSHADOW), COLORREF(0x808080));
    EXPECT_EQ(GetSysColor(COLOR_INFOBK), COLORREF(0xE1FFFF));
    EXPECT_EQ(GetSysColorBrush(COLOR_HIGHLIGHT)->brush.lbColor, GetSysColor(COLOR_HIGHLIGHT));
    GdiDevice d;
    EXPECT_EQ(GetDeviceCaps(&d, LOGPIXELSX), 96);
    EXPECT_EQ(GetDeviceCaps(&d, LOGPIXELSY), 96);
}

TEST(GdiText, DrawTextLayout)
{
    GdiDevice d(300, 100);
    Selected font(&d, CreateFont(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Tahoma"));
    SIZE plain{};
    GetTextExtentPoint32(&d, "Save as", 7, &plain);
    ASSERT_GT(plain.cx, 10);

    // prefix: the '&' takes no room; "&&" is one '&'
    RECT calc{10, 10, 10, 10};
    const int h = DrawText(&d, "&Save as", -1, &calc, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(calc.right - calc.left, plain.cx);
    EXPECT_EQ(calc.bottom - calc.top, h);
    RECT calc2{0, 0, 0, 0};
    DrawText(&d, "&Save as", -1, &calc2, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_GT(calc2.right, plain.cx);
    EXPECT_EQ(d.log.Count("DrawText"), 0); // DT_CALCRECT draws nothing

    struct Case {
        const char* text;
        UINT format;
        std::vector<String> lines;
    };
    const Case cases[] = {
        {"Fish && &Chips", DT_SINGLELINE, {"Fish & Chips"}},
        {"one\r\ntwo\nthree", DT_LEFT, {"one", "two", "three"}},
        {"a very long caption that does not fit", DT_SINGLELINE | DT_END_ELLIPSIS, {}},
        {"a\tb", DT_SINGLELINE | DT_EXPANDTABS, {}},
    };
    for (const Case& c : cases) {
        RECT r{0, 0, 60, 40};
        d.log.Clear();
        DrawText(&d, c.text, -1, &r, c.format);
        ASSERT_EQ(d.log.Count("DrawText"), 1);
        const auto& lines = d.log.Records.back().Lines;
        if (!c.lines.empty())
            EXPECT_EQ(lines, c.lines) << c.text;
    }
    // the ellipsis version fits the rectangle and ends in "..."
    RECT r{0, 0, 60, 40};
    DrawText(&d, "a very long caption that does not fit", -1, &r, DT_SINGLELINE | DT_END_ELLIPSIS);
    const String shown = d.log.Records.back().Lines.at(0);
    ASSERT_GE(shown.size(), 3u);
    EXPECT_EQ(shown.substr(shown.size() - 3), "...");
    SIZE s{};
    GetTextExtentPoint32(&d, shown.c_str(), int(shown.size()), &s);
    EXPECT_LE(s.cx, 60);
    // a tab stop is 8 average characters
    TEXTMETRIC tm{};
    GetTextMetrics(&d, &tm);
    RECT t{0, 0, 0, 0};
    DrawText(&d, "a\tb", -1, &t, DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS);
    SIZE b{};
    GetTextExtentPoint32(&d, "b", 1, &b);
    EXPECT_GE(t.right, 8 * tm.tmAveCharWidth + b.cx);
    // word break grows the height and takes the width of the widest line
    RECT w{0, 0, 50, 0};
    const int wh = DrawText(&d, "one two three four", -1, &w, DT_CALCRECT | DT_WORDBREAK);
    SIZE three{};
    GetTextExtentPoint32(&d, "three", 5, &three);
    EXPECT_LE(w.right, 50);
    EXPECT_GE(w.right, three.cx);
    EXPECT_GE(wh, 2 * tm.tmHeight);
    // a short text narrows the rectangle to itself; a word wider than the rectangle widens it
    RECT narrow{0, 0, 1280, 0};
    DrawText(&d, "Double click to select for graph", -1, &narrow, DT_CALCRECT | DT_WORDBREAK);
    SIZE whole{};
    GetTextExtentPoint32(&d, "Double click to select for graph", 32, &whole);
    EXPECT_EQ(narrow.right, whole.cx);
    RECT wide{0, 0, 10, 0};
    DrawText(&d, "unbreakable", -1, &wide, DT_CALCRECT | DT_WORDBREAK);
    SIZE word{};
    GetTextExtentPoint32(&d, "unbreakable", 11, &word);
    EXPECT_EQ(wide.right, word.cx);
}

// '&' underlines the next character below the baseline, "&&" is a plain '&'; DT_NOPREFIX shows
// the '&', DT_HIDEPREFIX draws no underline and DT_PREFIXONLY nothing but the underline.
TEST(GdiText, DrawTextUnderlinesTheAccelerator)
{
    struct Case {
        const char* text;
        UINT format;
        bool underline; // ink below the baseline under the first letter "S"
        bool glyphs;    // ink above the baseline
        bool ampersand; // the '&' drawn: the line is wider than "Save"
    };
    const Case cases[] = {
        {"&Save", 0, true, true, false},
        {"&&Save", 0, false, true, true},
        {"&Save", DT_NOPREFIX, false, true, true},
        {"&Save", DT_HIDEPREFIX, false, true, false},
        {"&Save", DT_PREFIXONLY, true, false, false},
        {"Save", 0, false, true, false},
    };
    for (const Case& c : cases) {
        GdiDevice d(120, 40);
        Selected font(&d, CreateFont(-16, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Tahoma"));
        SetBkMode(&d, TRANSPARENT);
        TEXTMETRIC tm{};
        GetTextMetrics(&d, &tm);
        SIZE s{}, save{};
        GetTextExtentPoint32(&d, "S", 1, &s);
        GetTextExtentPoint32(&d, "Save", 4, &save);
        RECT r{10, 5, 110, 35};
        DrawText(&d, c.text, -1, &r, DT_SINGLELINE | c.format);
        int below = 0, above = 0;
        const QImage* image = d.dc.Image();
        for (int y = 5; y < 35; ++y)
            for (int x = 10; x < 110; ++x) {
                const bool ink = QColorToColorRef(image->pixelColor(x, y)) != kWhite;
                if (y > 5 + tm.tmAscent && x < 10 + s.cx)
                    below += ink;
                else if (y <= 5 + tm.tmAscent)
                    above += ink;
            }
        EXPECT_EQ(below > 0, c.underline) << c.text << " " << c.format;
        EXPECT_EQ(above > 0, c.glyphs) << c.text << " " << c.format;
        if (c.glyphs)
            EXPECT_EQ(InkBox(d.dc).right() > 10 + save.cx + 2, c.ampersand) << c.text << " " << c.format;
    }
}

TEST(GdiText, DrawTextPlacesAndClipsItsInk)
{
    GdiDevice d(120, 40);
    Selected font(&d, CreateFont(-11, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, "Tahoma"));
    SetBkMode(&d, TRANSPARENT);
    SetTextColor(&d, kBlue);
    RECT r{10, 5, 110, 35};
    DrawText(&d, "Wide", -1, &r, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    const QRect ink = InkBox(d.dc);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_NEAR(ink.center().x(), 60, 3);
    EXPECT_NEAR(ink.center().y(), 20, 3);
    GdiDevice c(120, 40);
    Selected font2(&c, CreateFont(-11, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, "Tahoma"));
    RECT narrow{0, 0, 12, 40};
    DrawText(&c, "WWWWWWWW", -1, &narrow, DT_SINGLELINE);
    EXPECT_LE(InkBox(c.dc).right(), 11);
}

TEST(GdiText, EscapementTurnsTheText)
{
    GdiDevice d(80, 80);
    Selected font(&d, CreateFont(-12, 0, 900, 900, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Arial"));
    SetBkMode(&d, TRANSPARENT);
    TextOut(&d, 30, 70, "HHHHHH", 6);
    const QRect ink = InkBox(d.dc);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GT(ink.height(), 2 * ink.width());
    EXPECT_LE(ink.bottom(), 70);
}

// The alignment of turned text works along the text's own direction: text turned a quarter
// turn, centred and aligned at its bottom, runs up and down around the reference point and lies
// on the side its top points to.
TEST(GdiText, AlignmentFollowsTheTurnedText)
{
    GdiDevice d(200, 200);
    Selected font(&d, CreateFont(-14, 0, 900, 900, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Arial"));
    SetBkMode(&d, TRANSPARENT);
    SetTextAlign(&d, TA_CENTER | TA_BOTTOM);
    TextOut(&d, 100, 100, "Rotated label", 13);
    const QRect ink = InkBox(d.dc);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GT(ink.height(), 3 * ink.width());
    EXPECT_LE(ink.right(), 101);
    EXPECT_GE(ink.left(), 80);
    EXPECT_NEAR(ink.center().y(), 100, 4);
}

TEST(GdiBlit, BitBltCopiesAndMapsMonochromeBitmaps)
{
    GdiDevice d;
    HDC mem = CreateCompatibleDC(&d);
    HBITMAP bmp = CreateCompatibleBitmap(&d, 4, 4);
    HGDIOBJ old = SelectObject(mem, bmp);
    RECT all{0, 0, 4, 4};
    FillRect(mem, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    SetPixel(mem, 1, 1, kRed);
    BitBlt(&d, 10, 10, 4, 4, mem, 0, 0, SRCCOPY);
    EXPECT_EQ(d.At(10, 10), kBlack);
    EXPECT_EQ(d.At(11, 11), kRed);
    EXPECT_EQ(d.At(14, 14), kWhite);
    StretchBlt(&d, 20, 20, 8, 8, mem, 0, 0, 4, 4, SRCCOPY);
    EXPECT_EQ(d.At(22, 22), kRed);
    EXPECT_EQ(d.At(23, 23), kRed);
    SelectObject(mem, old);
    DeleteObject(bmp);

    // monochrome: 1 bits become the background colour, 0 bits the text colour
    const BYTE bits[] = {0xA0, 0, 0xA0, 0}; // rows of 2 bytes: 1010...
    HBITMAP mono = CreateBitmap(4, 2, 1, 1, bits);
    old = SelectObject(mem, mono);
    GdiDevice e;
    SetTextColor(&e, kBlue);
    SetBkColor(&e, kRed);
    BitBlt(&e, 0, 0, 4, 2, mem, 0, 0, SRCCOPY);
    EXPECT_EQ(e.At(0, 0), kRed);
    EXPECT_EQ(e.At(1, 0), kBlue);
    SelectObject(mem, old);
    DeleteObject(mono);
    DeleteDC(mem);
    EXPECT_EQ(d.log.Count("BitBlt"), 1);
    EXPECT_EQ(d.log.Of("BitBlt")[0].Flags, SRCCOPY);
}

// A mapping that would divide by zero, or a mode the context does not know, is refused and
// leaves the mapping as it was.
TEST(GdiMapping, ZeroExtentsAndUnknownModesAreRefused)
{
    DeviceContext dc(40, 30);
    ASSERT_EQ(SetMapMode(&dc, MM_ANISOTROPIC), MM_TEXT);
    EXPECT_TRUE(SetWindowExtEx(&dc, 100, 100, nullptr));
    EXPECT_TRUE(SetViewportExtEx(&dc, 50, 50, nullptr));
    struct Case {
        int x, y;
    } zero[] = {{0, 10}, {10, 0}, {0, 0}};
    for (const Case& c : zero) {
        EXPECT_FALSE(SetWindowExtEx(&dc, c.x, c.y, nullptr));
        EXPECT_FALSE(SetViewportExtEx(&dc, c.x, c.y, nullptr));
    }
    EXPECT_EQ(SetMapMode(&dc, 0), 0);
    EXPECT_EQ(SetMapMode(&dc, 9), 0);
    SIZE ext{};
    EXPECT_TRUE(SetWindowExtEx(&dc, 100, 100, &ext));
    EXPECT_EQ(ext.cx, 100) << "the refused calls left the extent";
    EXPECT_EQ(SetMapMode(&dc, MM_ANISOTROPIC), MM_ANISOTROPIC) << "the refused calls left the mode";
    EXPECT_EQ(dc.ToDevice(80, 40), QPoint(40, 20));
}
