#include "components/grid/PlusGDIP.h"

#include <new>

namespace {

uintptr_t gToken = 0;
uintptr_t gHookToken = 0;
GdiplusStartupInput gInput;
GdiplusStartupOutput gOutput;
bool gStarted = false;

template <class T>
auto N(T* wrapper) -> decltype(wrapper->Native())
{
    return wrapper ? wrapper->Native() : nullptr;
}

// The system code page text as UTF-16 in a zero-filled buffer of 2 x length + 2 bytes.
std::u16string Widen(const String& text)
{
    std::u16string out(text.size() + 1, u'\0');
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        static const char16_t high[32] = {0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                          0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D,   0x017D, 0x8F,
                                          0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                          0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};
        out[i] = (c >= 0x80 && c < 0xA0) ? high[c - 0x80] : char16_t(c);
    }
    return out;
}

// A starter that runs when the unit is loaded, and shuts GDI+ down at the program's end.
struct Lifetime {
    Lifetime() { StartGdiplus(); }
    ~Lifetime() { ShutdownGdiplus(); }
} gLifetime;

} // namespace

ARGB ColorToARGB(TColor Color)
{
    const uint32_t c = uint32_t(ColorToRGB(Color));
    return 0xFF000000u | ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

ARGB ARGBFromBytes(uint8_t Alpha, uint8_t Red, uint8_t Green, uint8_t Blue)
{
    return (ARGB(Alpha) << 24) | (ARGB(Red) << 16) | (ARGB(Green) << 8) | ARGB(Blue);
}

ARGB ARGBFromRGB(uint8_t Red, uint8_t Green, uint8_t Blue)
{
    return ARGBFromBytes(255, Red, Green, Blue);
}

uint8_t ARGBRed(ARGB Color) { return uint8_t(Color >> 16); }
uint8_t ARGBGreen(ARGB Color) { return uint8_t(Color >> 8); }
uint8_t ARGBBlue(ARGB Color) { return uint8_t(Color); }

GpPoint NewGpPoint(int X, int Y)
{
    return GpPoint{X, Y};
}

GpRectF NewGpRectF(REAL X, REAL Y, REAL Width, REAL Height)
{
    return GpRectF{X, Y, Width, Height};
}

bool IsVistaOrLater()
{
    // the platform this system runs on stands for a Windows of version 6 or later
    return true;
}

void StartGdiplus()
{
    if (gStarted)
        return;
    gInput = GdiplusStartupInput{};
    gInput.SuppressBackgroundThread = TRUE;
    gOutput = GdiplusStartupOutput{};
    if (GdiplusStartup(&gToken, &gInput, &gOutput) != Ok)
        return;
    gStarted = true;
    if (!IsVistaOrLater() && gOutput.NotificationHook)
        gOutput.NotificationHook(&gHookToken);
}

void ShutdownGdiplus()
{
    if (!gStarted)
        return;
    if (!IsVistaOrLater() && gOutput.NotificationUnhook)
        gOutput.NotificationUnhook(gHookToken);
    GdiplusShutdown(gToken);
    gStarted = false;
}

void* TGdiplusBase::operator new(size_t Size)
{
    void* p = GdipAlloc(Size);
    if (!p) {
        uintptr_t token = 0;
        GdiplusStartupOutput output;
        if (GdiplusStartup(&token, &gInput, &output) == Ok)
            p = GdipAlloc(Size);
    }
    if (!p)
        throw std::bad_alloc();
    return p;
}

void TGdiplusBase::operator delete(void* P)
{
    GdipFree(P);
}

// ---------------------------------------------------------------- graphics

TGPGraphics::TGPGraphics(HDC DC)
{
    lastStatus_ = ::GdipCreateFromHDC(DC, &native_);
}

TGPGraphics::~TGPGraphics()
{
    ::GdipDeleteGraphics(native_);
}

GpStatus TGPGraphics::GdipSetSmoothingMode(SmoothingMode Mode) { return Keep(::GdipSetSmoothingMode(native_, Mode)); }
GpStatus TGPGraphics::GdipSetTextRenderingHint(TextRenderingHint Hint)
{
    return Keep(::GdipSetTextRenderingHint(native_, Hint));
}
GpStatus TGPGraphics::GdipDrawPath(TGPPen* Pen, TGPGraphicsPath* Path)
{
    return Keep(::GdipDrawPath(native_, N(Pen), N(Path)));
}
GpStatus TGPGraphics::GdipFillPath(TGPBrush* Brush, TGPGraphicsPath* Path)
{
    return Keep(::GdipFillPath(native_, Brush->Native(), Path->Native()));
}
GpStatus TGPGraphics::GdipFillRectangle(TGPBrush* Brush, REAL X, REAL Y, REAL Width, REAL Height)
{
    return Keep(::GdipFillRectangle(native_, Brush->Native(), X, Y, Width, Height));
}
GpStatus TGPGraphics::GdipDrawRectangle(TGPPen* Pen, REAL X, REAL Y, REAL Width, REAL Height)
{
    return Keep(::GdipDrawRectangle(native_, Pen->Native(), X, Y, Width, Height));
}
GpStatus TGPGraphics::GdipDrawEllipse(TGPPen* Pen, REAL X, REAL Y, REAL Width, REAL Height)
{
    return Keep(::GdipDrawEllipse(native_, Pen->Native(), X, Y, Width, Height));
}
GpStatus TGPGraphics::GdipFillEllipse(TGPBrush* Brush, REAL X, REAL Y, REAL Width, REAL Height)
{
    return Keep(::GdipFillEllipse(native_, Brush->Native(), X, Y, Width, Height));
}

GpStatus TGPGraphics::GdipMeasureString(const std::u16string& Text, int Length, TGPFont* Font, const GpRectF& Layout,
                                        TGPStringFormat* Format, GpRectF& BoundingBox, int* CodepointsFitted,
                                        int* LinesFilled)
{
    if (Length > int(Text.size()))
        Length = int(Text.size());
    return Keep(::GdipMeasureString(native_, Text.c_str(), Length, N(Font), &Layout, N(Format), &BoundingBox,
                                    CodepointsFitted, LinesFilled));
}

GpStatus TGPGraphics::GdipDrawString(const String& Text, int Length, TGPFont* Font, const GpRectF& Layout,
                                     TGPStringFormat* Format, TGPBrush* Brush)
{
    const std::u16string wide = Widen(Text);
    if (Length > int(Text.size()))
        Length = int(Text.size());
    return Keep(::GdipDrawString(native_, wide.c_str(), Length, N(Font), &Layout, N(Format), N(Brush)));
}

GpStatus TGPGraphics::GdipDrawWideString(const std::u16string& Text, int Length, TGPFont* Font,
                                         const GpRectF& Layout, TGPStringFormat* Format, TGPBrush* Brush)
{
    if (Length > int(Text.size()))
        Length = int(Text.size());
    return Keep(::GdipDrawString(native_, Text.c_str(), Length, N(Font), &Layout, N(Format), N(Brush)));
}

GpStatus TGPGraphics::GdipDrawImageI(TGPImage* Image, int X, int Y)
{
    return Keep(::GdipDrawImageI(native_, N(Image), X, Y));
}

GpStatus TGPGraphics::GdipDrawImageRect(TGPImage* Image, int X, int Y, int Width, int Height)
{
    return Keep(::GdipDrawImageRect(native_, N(Image), REAL(X), REAL(Y), REAL(Width), REAL(Height)));
}

GpStatus TGPGraphics::GdipDrawImageRectRect(TGPImage* Image, const GpRectF& Dest, REAL SrcX, REAL SrcY,
                                            REAL SrcWidth, REAL SrcHeight, GpUnit SrcUnit,
                                            TGPImageAttributes* Attributes, DrawImageAbort Callback,
                                            void* CallbackData)
{
    return Keep(::GdipDrawImageRectRect(native_, N(Image), Dest.X, Dest.Y, Dest.Width, Dest.Height, SrcX, SrcY,
                                        SrcWidth, SrcHeight, SrcUnit, N(Attributes), Callback, CallbackData));
}

// ---------------------------------------------------------------- pens and brushes

TGPPen::TGPPen(ARGB Color, REAL Width)
{
    lastStatus_ = ::GdipCreatePen1(Color, Width, UnitWorld, &native_);
}

TGPPen::~TGPPen()
{
    ::GdipDeletePen(native_);
}

TGPBrush::~TGPBrush()
{
    ::GdipDeleteBrush(native_);
}

TGPSolidBrush::TGPSolidBrush(ARGB Color)
{
    lastStatus_ = ::GdipCreateSolidFill(Color, &native_);
}

TGPLinearGradientBrush::TGPLinearGradientBrush(const GpRectF& Rect, ARGB Color1, ARGB Color2, LinearGradientMode Mode)
{
    lastStatus_ = ::GdipCreateLineBrushFromRect(&Rect, Color1, Color2, Mode, WrapModeTile, &native_);
}

TGPPathGradientBrush::TGPPathGradientBrush(TGPGraphicsPath* Path)
{
    lastStatus_ = ::GdipCreatePathGradientFromPath(Path->Native(), &native_);
}

GpStatus TGPPathGradientBrush::GdipSetPathGradientCenterColor(ARGB Color)
{
    Keep(::GdipSetPathGradientCenterColor(native_, Color));
    return lastStatus_;
}

int TGPPathGradientBrush::GdipGetPathGradientPointCount()
{
    int count = 0;
    if (Keep(::GdipGetPathGradientPointCount(native_, &count)) != Ok)
        return 0;
    return count;
}

GpStatus TGPPathGradientBrush::GdipSetPathGradientSurroundColorsWithCount(const ARGB* Colors, int& Count)
{
    if (!Colors)
        return Keep(InvalidParameter);
    const int n = GdipGetPathGradientPointCount();
    if (Count > n || n <= 0)
        return Keep(InvalidParameter);
    int c = Count;
    Keep(::GdipSetPathGradientSurroundColorsWithCount(native_, Colors, &c));
    if (lastStatus_ == Ok)
        Count = c;
    return lastStatus_;
}

GpStatus TGPPathGradientBrush::GdipSetPathGradientCenterPointI(const GpPoint& Point)
{
    return Keep(::GdipSetPathGradientCenterPointI(native_, &Point));
}

// ---------------------------------------------------------------- paths

TGPGraphicsPath::TGPGraphicsPath(GpFillMode Mode)
{
    lastStatus_ = ::GdipCreatePath(Mode, &native_);
}

TGPGraphicsPath::~TGPGraphicsPath()
{
    ::GdipDeletePath(native_);
}

GpStatus TGPGraphicsPath::GdipAddPathLine(REAL X1, REAL Y1, REAL X2, REAL Y2)
{
    return Keep(::GdipAddPathLine(native_, X1, Y1, X2, Y2));
}
GpStatus TGPGraphicsPath::GdipAddPathArc(REAL X, REAL Y, REAL Width, REAL Height, REAL StartAngle, REAL SweepAngle)
{
    return Keep(::GdipAddPathArc(native_, X, Y, Width, Height, StartAngle, SweepAngle));
}
GpStatus TGPGraphicsPath::GdipAddPathEllipse(REAL X, REAL Y, REAL Width, REAL Height)
{
    return Keep(::GdipAddPathEllipse(native_, X, Y, Width, Height));
}
GpStatus TGPGraphicsPath::GdipAddPathPolygon(const GpPointF* Points, int Count)
{
    return Keep(::GdipAddPathPolygon(native_, Points, Count));
}
GpStatus TGPGraphicsPath::GdipClosePathFigure()
{
    return Keep(::GdipClosePathFigure(native_));
}

// ---------------------------------------------------------------- fonts and formats

TGPFontFamily::TGPFontFamily(const std::u16string& Name)
{
    lastStatus_ = ::GdipCreateFontFamilyFromName(Name.c_str(), nullptr, &native_);
}

TGPFontFamily::~TGPFontFamily()
{
    ::GdipDeleteFontFamily(native_);
}

TGPFont::TGPFont(TGPFontFamily* Family, REAL Size, int Style, GpUnit Unit)
{
    lastStatus_ = ::GdipCreateFont(N(Family), Size, Style, Unit, &native_);
}

TGPFont::~TGPFont()
{
    ::GdipDeleteFont(native_);
}

TGPStringFormat::TGPStringFormat(int Flags, uint16_t Language)
{
    lastStatus_ = ::GdipCreateStringFormat(Flags, Language, &native_);
}

TGPStringFormat::~TGPStringFormat()
{
    ::GdipDeleteStringFormat(native_);
}

GpStatus TGPStringFormat::GdipSetStringFormatAlign(StringAlignment Align)
{
    return Keep(::GdipSetStringFormatAlign(native_, Align));
}
GpStatus TGPStringFormat::GdipSetStringFormatLineAlign(StringAlignment Align)
{
    return Keep(::GdipSetStringFormatLineAlign(native_, Align));
}
GpStatus TGPStringFormat::GdipSetStringFormatTrimming(StringTrimming Trimming)
{
    return Keep(::GdipSetStringFormatTrimming(native_, Trimming));
}
GpStatus TGPStringFormat::GdipSetStringFormatHotkeyPrefix(int Prefix)
{
    return Keep(::GdipSetStringFormatHotkeyPrefix(native_, Prefix));
}

// ---------------------------------------------------------------- images

TGPImage::TGPImage(IStream* Stream, bool UseEmbeddedColorManagement)
{
    if (Stream)
        Stream->AddRef();
    lastStatus_ = UseEmbeddedColorManagement ? ::GdipLoadImageFromStreamICM(Stream, &native_)
                                             : ::GdipLoadImageFromStream(Stream, &native_);
    if (Stream)
        Stream->Release();
}

TGPImage::~TGPImage()
{
    ::GdipDisposeImage(native_);
}

UINT TGPImage::GdipGetImageWidth()
{
    UINT w = 0;
    return Keep(::GdipGetImageWidth(native_, &w)) == Ok ? w : 0;
}

UINT TGPImage::GdipGetImageHeight()
{
    UINT h = 0;
    return Keep(::GdipGetImageHeight(native_, &h)) == Ok ? h : 0;
}

TGPImageKind TGPImage::ImageKind()
{
    GUID format;
    if (::GdipGetImageRawFormat(native_, &format) != Ok)
        return ikNone;
    const GUID* kinds[] = {&ImageFormatMemoryBMP, &ImageFormatBMP, &ImageFormatEMF, &ImageFormatWMF,
                           &ImageFormatJPEG,      &ImageFormatPNG, &ImageFormatGIF, &ImageFormatTIFF,
                           &ImageFormatEXIF,      &ImageFormatIcon};
    for (int i = 0; i < 10; ++i)
        if (format == *kinds[i])
            return TGPImageKind(i + 1);
    return ikNone;
}

TGPBitmap::TGPBitmap(IStream* Stream, bool UseEmbeddedColorManagement)
{
    if (Stream)
        Stream->AddRef();
    lastStatus_ = UseEmbeddedColorManagement ? ::GdipCreateBitmapFromStreamICM(Stream, &native_)
                                             : ::GdipCreateBitmapFromStream(Stream, &native_);
    if (Stream)
        Stream->Release();
}

GpStatus TGPBitmap::GdipBitmapGetPixel(int X, int Y, ARGB& Color)
{
    return Keep(::GdipBitmapGetPixel(native_, X, Y, &Color));
}

TGPImageAttributes::TGPImageAttributes()
{
    lastStatus_ = ::GdipCreateImageAttributes(&native_);
}

TGPImageAttributes::~TGPImageAttributes()
{
    ::GdipDisposeImageAttributes(native_);
}

GpStatus TGPImageAttributes::GdipSetImageAttributesColorKeys(ARGB Low, ARGB High, ColorAdjustType Type)
{
    return Keep(::GdipSetImageAttributesColorKeys(native_, Type, TRUE, Low, High));
}
