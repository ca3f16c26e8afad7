#pragma once
// A thin object layer over the GDI+ flat functions: each object owns one native object,
// creates it when constructed and releases it when destroyed. Every operation returns the
// status of its call; the last status keeps the most recent failure (a constructor stores
// its create status, Ok included). Nothing is raised. Wrappers passed as arguments are never
// owned.
#include "platform/framework/Graphics.h"
#include "platform/win/WinGdiPlus.h"

#include <cstddef>
#include <cstdint>

ARGB ColorToARGB(TColor Color);
ARGB ARGBFromBytes(uint8_t Alpha, uint8_t Red, uint8_t Green, uint8_t Blue);
ARGB ARGBFromRGB(uint8_t Red, uint8_t Green, uint8_t Blue);
uint8_t ARGBRed(ARGB Color);
uint8_t ARGBGreen(ARGB Color);
uint8_t ARGBBlue(ARGB Color);
GpPoint NewGpPoint(int X, int Y);
GpRectF NewGpRectF(REAL X, REAL Y, REAL Width, REAL Height);

// GDI+ runs from the first use to ShutdownGdiplus (or the program's end).
void StartGdiplus();
void ShutdownGdiplus();
bool IsVistaOrLater();

enum TGPImageKind { ikNone, ikMemoryBMP, ikBMP, ikEMF, ikWMF, ikJPEG, ikPNG, ikGIF, ikTIFF, ikEXIF, ikIcon };

// Instances live in GDI+'s memory; a failed allocation starts GDI+ once more and retries.
class TGdiplusBase {
public:
    static void* operator new(size_t Size);
    static void operator delete(void* P);
    virtual ~TGdiplusBase() = default;
    GpStatus LastStatus() const { return lastStatus_; }

protected:
    GpStatus Keep(GpStatus S)
    {
        if (S != Ok)
            lastStatus_ = S;
        return S;
    }
    GpStatus lastStatus_ = Ok;
};

class TGPPen;
class TGPBrush;
class TGPGraphicsPath;
class TGPFont;
class TGPStringFormat;
class TGPImage;
class TGPImageAttributes;

class TGPGraphics : public TGdiplusBase {
public:
    explicit TGPGraphics(HDC DC);
    ~TGPGraphics() override;
    GpGraphics* Native() const { return native_; }
    GpStatus GdipSetSmoothingMode(SmoothingMode Mode);
    GpStatus GdipSetTextRenderingHint(TextRenderingHint Hint);
    GpStatus GdipDrawPath(TGPPen* Pen, TGPGraphicsPath* Path);
    GpStatus GdipFillPath(TGPBrush* Brush, TGPGraphicsPath* Path);
    GpStatus GdipFillRectangle(TGPBrush* Brush, REAL X, REAL Y, REAL Width, REAL Height);
    GpStatus GdipDrawRectangle(TGPPen* Pen, REAL X, REAL Y, REAL Width, REAL Height);
    GpStatus GdipDrawEllipse(TGPPen* Pen, REAL X, REAL Y, REAL Width, REAL Height);
    GpStatus GdipFillEllipse(TGPBrush* Brush, REAL X, REAL Y, REAL Width, REAL Height);
    GpStatus GdipMeasureString(const std::u16string& Text, int Length, TGPFont* Font, const GpRectF& Layout,
                               TGPStringFormat* Format, GpRectF& BoundingBox, int* CodepointsFitted = nullptr,
                               int* LinesFilled = nullptr);
    // Text in the system code page; Length -1 draws up to the end.
    GpStatus GdipDrawString(const String& Text, int Length, TGPFont* Font, const GpRectF& Layout,
                            TGPStringFormat* Format, TGPBrush* Brush);
    GpStatus GdipDrawWideString(const std::u16string& Text, int Length, TGPFont* Font, const GpRectF& Layout,
                                TGPStringFormat* Format, TGPBrush* Brush);
    GpStatus GdipDrawImageI(TGPImage* Image, int X, int Y);
    GpStatus GdipDrawImageRect(TGPImage* Image, int X, int Y, int Width, int Height);
    GpStatus GdipDrawImageRectRect(TGPImage* Image, const GpRectF& Dest, REAL SrcX, REAL SrcY, REAL SrcWidth,
                                   REAL SrcHeight, GpUnit SrcUnit, TGPImageAttributes* Attributes,
                                   DrawImageAbort Callback = nullptr, void* CallbackData = nullptr);

private:
    GpGraphics* native_ = nullptr;
};

class TGPPen : public TGdiplusBase {
public:
    TGPPen(ARGB Color, REAL Width);
    ~TGPPen() override;
    GpPen* Native() const { return native_; }

private:
    GpPen* native_ = nullptr;
};

class TGPBrush : public TGdiplusBase {
public:
    ~TGPBrush() override;
    GpBrush* Native() const { return native_; }

protected:
    GpBrush* native_ = nullptr;
};

class TGPSolidBrush : public TGPBrush {
public:
    explicit TGPSolidBrush(ARGB Color);
};

class TGPLinearGradientBrush : public TGPBrush {
public:
    TGPLinearGradientBrush(const GpRectF& Rect, ARGB Color1, ARGB Color2, LinearGradientMode Mode);
};

class TGPPathGradientBrush : public TGPBrush {
public:
    explicit TGPPathGradientBrush(TGPGraphicsPath* Path);
    // returns the last status
    GpStatus GdipSetPathGradientCenterColor(ARGB Color);
    int GdipGetPathGradientPointCount();
    // Count above the path's point count (or a path without points): InvalidParameter, count unchanged.
    GpStatus GdipSetPathGradientSurroundColorsWithCount(const ARGB* Colors, int& Count);
    GpStatus GdipSetPathGradientCenterPointI(const GpPoint& Point);
};

class TGPGraphicsPath : public TGdiplusBase {
public:
    explicit TGPGraphicsPath(GpFillMode Mode = FillModeAlternate);
    ~TGPGraphicsPath() override;
    GpPath* Native() const { return native_; }
    GpStatus GdipAddPathLine(REAL X1, REAL Y1, REAL X2, REAL Y2);
    GpStatus GdipAddPathArc(REAL X, REAL Y, REAL Width, REAL Height, REAL StartAngle, REAL SweepAngle);
    GpStatus GdipAddPathEllipse(REAL X, REAL Y, REAL Width, REAL Height);
    GpStatus GdipAddPathPolygon(const GpPointF* Points, int Count);
    GpStatus GdipClosePathFigure();

private:
    GpPath* native_ = nullptr;
};

class TGPFontFamily : public TGdiplusBase {
public:
    explicit TGPFontFamily(const std::u16string& Name);
    ~TGPFontFamily() override;
    GpFontFamily* Native() const { return native_; }

private:
    GpFontFamily* native_ = nullptr;
};

class TGPFont : public TGdiplusBase {
public:
    TGPFont(TGPFontFamily* Family, REAL Size, int Style, GpUnit Unit);
    ~TGPFont() override;
    GpFont* Native() const { return native_; }

private:
    GpFont* native_ = nullptr;
};

class TGPStringFormat : public TGdiplusBase {
public:
    explicit TGPStringFormat(int Flags = 0, uint16_t Language = 0);
    ~TGPStringFormat() override;
    GpStringFormat* Native() const { return native_; }
    GpStatus GdipSetStringFormatAlign(StringAlignment Align);
    GpStatus GdipSetStringFormatLineAlign(StringAlignment Align);
    GpStatus GdipSetStringFormatTrimming(StringTrimming Trimming);
    GpStatus GdipSetStringFormatHotkeyPrefix(int Prefix);

private:
    GpStringFormat* native_ = nullptr;
};

class TGPImage : public TGdiplusBase {
public:
    TGPImage(IStream* Stream, bool UseEmbeddedColorManagement = false);
    ~TGPImage() override;
    GpImage* Native() const { return native_; }
    // 0 when the call fails
    UINT GdipGetImageWidth();
    UINT GdipGetImageHeight();
    TGPImageKind ImageKind();

protected:
    TGPImage() = default;
    GpImage* native_ = nullptr;
};

class TGPBitmap : public TGPImage {
public:
    TGPBitmap(IStream* Stream, bool UseEmbeddedColorManagement = false);
    GpStatus GdipBitmapGetPixel(int X, int Y, ARGB& Color);
};

class TGPImageAttributes : public TGdiplusBase {
public:
    TGPImageAttributes();
    ~TGPImageAttributes() override;
    GpImageAttributes* Native() const { return native_; }
    GpStatus GdipSetImageAttributesColorKeys(ARGB Low, ARGB High, ColorAdjustType Type = ColorAdjustTypeDefault);

private:
    GpImageAttributes* native_ = nullptr;
};
