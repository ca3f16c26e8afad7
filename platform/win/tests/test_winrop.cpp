// Raster operations: every binary operation of SetROP2 and every ternary operation of the block
// transfers gives, bit for bit, what its truth table says for the source, pattern and
// destination colours.
#include "platform/win/WinGdi.h"

#include <gtest/gtest.h>

namespace {

// Bit b of the result is bit (p << 2 | s << 1 | d) of the table, p, s, d being bit b of the inputs.
COLORREF TernaryReference(unsigned table, COLORREF s, COLORREF p, COLORREF d)
{
    COLORREF out = 0;
    for (int b = 0; b < 24; ++b) {
        const unsigned at = ((p >> b) & 1) << 2 | ((s >> b) & 1) << 1 | ((d >> b) & 1);
        out |= COLORREF((table >> at) & 1) << b;
    }
    return out;
}

// Binary operations number their table from 1: bit (p << 1 | d) of (code - 1).
COLORREF BinaryReference(int code, COLORREF p, COLORREF d)
{
    COLORREF out = 0;
    for (int b = 0; b < 24; ++b) {
        const unsigned at = ((p >> b) & 1) << 1 | ((d >> b) & 1);
        out |= COLORREF((unsigned(code - 1) >> at) & 1) << b;
    }
    return out;
}

struct Colours {
    COLORREF source, pattern, destination;
};
// The first triple turns each channel's result into the table byte itself.
const Colours kTriples[] = {{0xCCCCCC, 0xF0F0F0, 0xAAAAAA}, {0x3C91E2, 0x5A0FB4, 0xC3617D}};

void Fill(HDC dc, int w, int h, COLORREF c)
{
    HBRUSH b = CreateSolidBrush(c);
    const RECT r{0, 0, w, h};
    FillRect(dc, &r, b);
    DeleteObject(b);
}

} // namespace

// BitBlt from a memory context, StretchDIBits from a 2 × 2 DIB stretched over the target and
// PatBlt, each over all 256 tables: the inside of the target takes the reference result, the
// outside keeps the destination; PatBlt of an operation that needs a source fails and draws
// nothing.
TEST(RasterOps, EveryTernaryOperationFollowsItsTruthTable)
{
    DeviceContext screen(4, 4);
    HDC mem = CreateCompatibleDC(&screen);
    HBITMAP bmp = CreateCompatibleBitmap(&screen, 4, 4);
    HGDIOBJ old = SelectObject(mem, bmp);
    for (const Colours& c : kTriples) {
        Fill(mem, 4, 4, c.source);
        std::uint32_t dib[4];
        for (std::uint32_t& px : dib)
            px = (GetRValue(c.source) << 16) | (GetGValue(c.source) << 8) | GetBValue(c.source);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = 2;
        info.bmiHeader.biHeight = 2;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        HBRUSH pattern = CreateSolidBrush(c.pattern);
        for (unsigned table = 0; table < 256; ++table) {
            const DWORD rop = DWORD(table) << 16;
            const COLORREF expected = TernaryReference(table, c.source, c.pattern, c.destination);
            for (int call = 0; call < 3; ++call) {
                DeviceContext dest(12, 12);
                Fill(&dest, 12, 12, c.destination);
                SelectObject(&dest, pattern);
                BOOL ok = TRUE;
                if (call == 0)
                    ok = BitBlt(&dest, 4, 4, 4, 4, mem, 0, 0, rop);
                else if (call == 1)
                    StretchDIBits(&dest, 4, 4, 4, 4, 0, 0, 2, 2, dib, &info, DIB_RGB_COLORS, rop);
                else
                    ok = PatBlt(&dest, 4, 4, 4, 4, rop);
                const bool drawn = call < 2 || !RopUsesSource(rop);
                EXPECT_EQ(bool(ok), drawn) << std::hex << table << " call " << call;
                const COLORREF inside = drawn ? expected : c.destination;
                EXPECT_EQ(GetPixel(&dest, 4, 4), inside) << std::hex << table << " call " << call;
                EXPECT_EQ(GetPixel(&dest, 7, 7), inside) << std::hex << table << " call " << call;
                EXPECT_EQ(GetPixel(&dest, 3, 5), c.destination) << std::hex << table << " call " << call;
                EXPECT_EQ(GetPixel(&dest, 8, 8), c.destination) << std::hex << table << " call " << call;
                SelectObject(&dest, GetStockObject(WHITE_BRUSH));
            }
        }
        DeleteObject(pattern);
    }
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
}

// A hatched pattern takes the brush colour on its lines and the background colour between them,
// aligned to the device origin, under an operation the painter has no mode for.
TEST(RasterOps, HatchedPatternUnderAGeneralOperation)
{
    DeviceContext dest(16, 16);
    Fill(&dest, 16, 16, 0x00FF00);
    HBRUSH hatch = CreateHatchBrush(HS_HORIZONTAL, RGB(255, 0, 0));
    SelectObject(&dest, hatch);
    SetBkColor(&dest, RGB(0, 0, 255));
    const DWORD patOrDest = 0x00FA0089; // P | D
    ASSERT_TRUE(PatBlt(&dest, 0, 0, 16, 16, patOrDest));
    int lines = 0, gaps = 0;
    for (int y = 0; y < 16; ++y) {
        const COLORREF c = GetPixel(&dest, 5, y);
        lines += c == RGB(255, 255, 0);
        gaps += c == RGB(0, 255, 255);
    }
    EXPECT_GT(lines, 0);
    EXPECT_GT(gaps, lines);
    EXPECT_EQ(lines + gaps, 16);
    SelectObject(&dest, GetStockObject(WHITE_BRUSH));
    DeleteObject(hatch);
}

// SetROP2's sixteen operations on a filled rectangle (pen and brush of the same colour).
TEST(RasterOps, EveryBinaryOperationFollowsItsTruthTable)
{
    for (const Colours& c : kTriples) {
        HBRUSH brush = CreateSolidBrush(c.pattern);
        HPEN pen = CreatePen(PS_SOLID, 1, c.pattern);
        for (int code = R2_BLACK; code <= R2_WHITE; ++code) {
            DeviceContext dest(12, 12);
            Fill(&dest, 12, 12, c.destination);
            SelectObject(&dest, brush);
            SelectObject(&dest, pen);
            SetROP2(&dest, code);
            Rectangle(&dest, 2, 2, 10, 10);
            const COLORREF expected = BinaryReference(code, c.pattern, c.destination);
            EXPECT_EQ(GetPixel(&dest, 2, 2), expected) << "edge, operation " << code;
            EXPECT_EQ(GetPixel(&dest, 5, 5), expected) << "inside, operation " << code;
            EXPECT_EQ(GetPixel(&dest, 11, 11), c.destination) << "outside, operation " << code;
            SelectObject(&dest, GetStockObject(WHITE_BRUSH));
            SelectObject(&dest, GetStockObject(BLACK_PEN));
        }
        DeleteObject(brush);
        DeleteObject(pen);
    }
}
