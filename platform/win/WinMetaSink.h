#pragma once
// The recording side of a device context. A metafile context (CreateEnhMetaFile, the 16-bit
// metafile writer of the converters) carries a sink; every drawing call of the GDI unit hands
// its arguments to the sink first, in the caller's logical coordinates, with the context's state
// as it stands before the call. Calls that the drawing unit makes internally while serving one
// call are not handed on again.
#include "platform/win/WinBitmap.h"
#include "platform/win/WinDef.h"

#include <string>

class BrushObject;
class RegionObject;

enum class TMetaShape { Rectangle, Ellipse, RoundRect, Arc, Pie, Chord };
enum class TMetaRegionOp { Fill, Paint, Frame, Invert };

class IGdiMetaSink {
public:
    virtual ~IGdiMetaSink() = default;
    virtual void LineTo(HDC dc, int x, int y) = 0;
    // polygon: closed and filled; otherwise an open line.
    virtual void Poly(HDC dc, bool polygon, const POINT* points, int count) = 0;
    virtual void PolyPoly(HDC dc, bool polygon, const POINT* points, const int* counts, int polys) = 0;
    // RoundRect: a = (corner width, corner height); Arc, Pie, Chord: a and b are the radials.
    virtual void Shape(HDC dc, TMetaShape shape, RECT box, POINT a, POINT b) = 0;
    virtual void FillRect(HDC dc, const RECT& rect, BrushObject* brush) = 0;
    virtual void Region(HDC dc, TMetaRegionOp op, RegionObject* region, BrushObject* brush, int w, int h) = 0;
    virtual void SetPixel(HDC dc, int x, int y, COLORREF color) = 0;
    // src null: a pattern operation with the selected brush.
    virtual void Blit(HDC dc, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, DWORD rop) = 0;
    virtual void DibBlit(HDC dc, int x, int y, int w, int h, int sx, int sy, int sw, int sh, const void* bits,
                         const BITMAPINFO* info, UINT usage, DWORD rop) = 0;
    // dx: the advance of every character in logical units, or null.
    virtual void Text(HDC dc, int x, int y, UINT options, const RECT* rect, const std::u16string& text,
                      const int* dx) = 0;
};
