#pragma once
// The framework's graphics: colours, fonts, pens, brushes, the canvas over a device context,
// bitmaps and pictures.
//
// TFont, TPen and TBrush keep their settings in public fields (Canvas->Brush->Color = clRed;
// Canvas->Font->Style << fsBold); their API handle is made from the fields when a canvas
// draws, so a change takes effect at the next drawing call. TCanvas selects its font, pen
// and brush into its device context before each call and sets the text colour from the font,
// the background colour from the brush and the background mode from the brush style (clear
// brush: transparent), as the framework does.
#include "platform/framework/Component.h"
#include "platform/framework/Types.h"
#include "platform/rtl/Classes.h"
#include "platform/win/WinGdi.h"

#include <memory>
#include <vector>

// ---------------------------------------------------------------- colours

// 0x00BBGGRR; 0xFF0000nn is system colour nn; clNone switches off what would use it.
using TColor = int32_t;
constexpr TColor SystemColor(int index) { return TColor(0xFF000000u | unsigned(index)); }

constexpr TColor clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000, clOlive = 0x008080,
                 clNavy = 0x800000, clPurple = 0x800080, clTeal = 0x808000, clGray = 0x808080,
                 clSilver = 0xC0C0C0, clRed = 0x0000FF, clLime = 0x00FF00, clYellow = 0x00FFFF,
                 clBlue = 0xFF0000, clFuchsia = 0xFF00FF, clAqua = 0xFFFF00, clWhite = 0xFFFFFF,
                 clLtGray = 0xC0C0C0, clDkGray = 0x808080, clMoneyGreen = 0xC0DCC0, clSkyBlue = 0xF0CAA6,
                 clCream = 0xF0FBFF, clMedGray = 0xA4A0A0;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;
constexpr TColor clScrollBar = SystemColor(COLOR_SCROLLBAR), clBackground = SystemColor(COLOR_BACKGROUND),
                 clActiveCaption = SystemColor(COLOR_ACTIVECAPTION),
                 clInactiveCaption = SystemColor(COLOR_INACTIVECAPTION), clMenu = SystemColor(COLOR_MENU),
                 clWindow = SystemColor(COLOR_WINDOW), clWindowFrame = SystemColor(COLOR_WINDOWFRAME),
                 clMenuText = SystemColor(COLOR_MENUTEXT), clWindowText = SystemColor(COLOR_WINDOWTEXT),
                 clCaptionText = SystemColor(COLOR_CAPTIONTEXT), clActiveBorder = SystemColor(COLOR_ACTIVEBORDER),
                 clInactiveBorder = SystemColor(COLOR_INACTIVEBORDER),
                 clAppWorkSpace = SystemColor(COLOR_APPWORKSPACE), clHighlight = SystemColor(COLOR_HIGHLIGHT),
                 clHighlightText = SystemColor(COLOR_HIGHLIGHTTEXT), clBtnFace = SystemColor(COLOR_BTNFACE),
                 clBtnShadow = SystemColor(COLOR_BTNSHADOW), clGrayText = SystemColor(COLOR_GRAYTEXT),
                 clBtnText = SystemColor(COLOR_BTNTEXT),
                 clInactiveCaptionText = SystemColor(COLOR_INACTIVECAPTIONTEXT),
                 clBtnHighlight = SystemColor(COLOR_BTNHIGHLIGHT), cl3DDkShadow = SystemColor(COLOR_3DDKSHADOW),
                 cl3DLight = SystemColor(COLOR_3DLIGHT), clInfoText = SystemColor(COLOR_INFOTEXT),
                 clInfoBk = SystemColor(COLOR_INFOBK), clHotLight = SystemColor(COLOR_HOTLIGHT),
                 clGradientActiveCaption = SystemColor(COLOR_GRADIENTACTIVECAPTION),
                 clGradientInactiveCaption = SystemColor(COLOR_GRADIENTINACTIVECAPTION),
                 clMenuHighlight = SystemColor(COLOR_MENUHILIGHT), clMenuBar = SystemColor(COLOR_MENUBAR);

// A system colour turned into its RGB value from the fixed table; other values unchanged.
TColor ColorToRGB(TColor color);
// The COLORREF the device context gets for a colour (system colours resolved, the high byte dropped).
COLORREF ColorToColorRef(TColor color);

// ---------------------------------------------------------------- font, pen, brush

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle>;
enum TFontPitch { fpDefault, fpVariable, fpFixed };
enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TPenMode { pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot, pmMergeNotPen,
                pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor };
enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };

class TBitmap;

class TFont : public TPersistent {
public:
    TFont();
    ~TFont() override;
    String ClassName() const override { return "TFont"; }
    void Assign(TPersistent* source) override;

    String Name = "Tahoma";
    TColor Color = clWindowText;
    TFontStyles Style;
    int Height = -11; // pixels; negative: character height without internal leading
    BYTE Charset = DEFAULT_CHARSET;
    TFontPitch Pitch = fpDefault;
    int Orientation = 0; // tenths of a degree, counter-clockwise

    // Points at 96 pixels per inch: Size 8 is Height -11.
    int Size() const;
    void SetSize(int points);
    HFONT Handle();
    TNotifyEvent OnChange;
    void Changed();

private:
    LOGFONT Describe() const;
    HFONT handle_ = nullptr;
    LOGFONT made_{};
    std::vector<HFONT> retired_;
};

class TPen : public TPersistent {
public:
    ~TPen() override;
    String ClassName() const override { return "TPen"; }
    void Assign(TPersistent* source) override;
    TColor Color = clBlack;
    int Width = 1;
    TPenStyle Style = psSolid;
    TPenMode Mode = pmCopy;
    HPEN Handle();

private:
    HPEN handle_ = nullptr;
    LOGPEN made_{};
    std::vector<HPEN> retired_;
};

class TBrush : public TPersistent {
public:
    ~TBrush() override;
    String ClassName() const override { return "TBrush"; }
    void Assign(TPersistent* source) override;
    TColor Color = clWhite;
    TBrushStyle Style = bsSolid;
    TBitmap* Bitmap = nullptr; // a pattern; not owned
    HBRUSH Handle();

private:
    HBRUSH handle_ = nullptr;
    LOGBRUSH made_{};
    TBitmap* madeBitmap_ = nullptr;
    std::vector<HBRUSH> retired_;
};

// ---------------------------------------------------------------- canvas

class TGraphic;

class TCanvas : public TPersistent {
public:
    TCanvas();
    ~TCanvas() override;
    String ClassName() const override { return "TCanvas"; }

    // The device context drawn on (not owned); null when there is none.
    HDC Handle() const { return dc_; }
    void SetHandle(HDC dc);
    bool HandleAllocated() const { return dc_ != nullptr; }

    std::unique_ptr<TFont> FontObject = std::make_unique<TFont>();
    std::unique_ptr<TPen> PenObject = std::make_unique<TPen>();
    std::unique_ptr<TBrush> BrushObject = std::make_unique<TBrush>();
    TFont* const Font = FontObject.get();
    TPen* const Pen = PenObject.get();
    TBrush* const Brush = BrushObject.get();
    DWORD CopyMode = SRCCOPY;

    TPoint PenPos() const;
    void SetPenPos(const TPoint& p) { MoveTo(p.X, p.Y); }
    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void Rectangle(int left, int top, int right, int bottom);
    void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
    void FillRect(const TRect& r);
    void FrameRect(const TRect& r);
    void Ellipse(int left, int top, int right, int bottom);
    void Ellipse(const TRect& r) { Ellipse(r.Left, r.Top, r.Right, r.Bottom); }
    void RoundRect(int left, int top, int right, int bottom, int width, int height);
    void Polygon(const std::vector<TPoint>& points);
    void Polyline(const std::vector<TPoint>& points);
    void DrawFocusRect(const TRect& r);
    void TextOut(int x, int y, const String& text);
    // Text clipped to r; with a brush that is not clear, r is filled first.
    void TextRect(const TRect& r, int x, int y, const String& text);
    int TextWidth(const String& text);
    int TextHeight(const String& text);
    TSize TextExtent(const String& text);
    void Draw(int x, int y, TGraphic* graphic);
    void StretchDraw(const TRect& r, TGraphic* graphic);
    void CopyRect(const TRect& dest, TCanvas* source, const TRect& sourceRect);
    // Copies `source` of the bitmap onto dest with the pixels of `color` replaced by the brush.
    void BrushCopy(const TRect& dest, TBitmap* bitmap, const TRect& source, TColor color);
    TColor Pixels(int x, int y);
    void SetPixel(int x, int y, TColor color);
    TRect ClipRect() const;
    // Deselects the canvas's objects from the device context.
    void Refresh();
    void Lock() {}
    void Unlock() {}

    // Selects font, pen and brush and sets colours and modes (called before every drawing).
    void RequiredState();
    // Called for a handle when the canvas draws without one (a control's drawing "at once").
    std::function<HDC()> AcquireHandle;

private:
    HDC dc_ = nullptr;
    HGDIOBJ oldPen_ = nullptr, oldBrush_ = nullptr, oldFont_ = nullptr;
};

// ---------------------------------------------------------------- graphics

class TGraphic : public TPersistent {
public:
    String ClassName() const override { return "TGraphic"; }
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual bool Empty() const { return Width() == 0 || Height() == 0; }
    virtual void Draw(TCanvas* canvas, const TRect& r) = 0;
    virtual void LoadFromFile(const String& fileName) = 0;
    virtual void SaveToFile(const String& fileName) = 0;
    // Streams: SaveToStream writes the graphic's file format at the stream's position;
    // LoadFromStream reads one from the position to the end. The base goes by way of a
    // temporary file; TBitmap (BMP) and TIcon (ICO) work in memory.
    virtual void LoadFromStream(TStream* stream);
    virtual void SaveToStream(TStream* stream);
    bool Transparent = false;
};

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit };

class TBitmap : public TGraphic {
public:
    TBitmap();
    ~TBitmap() override;
    String ClassName() const override { return "TBitmap"; }
    void Assign(TPersistent* source) override;

    int Width() const override;
    int Height() const override;
    void SetWidth(int w) { SetSize(w, Height()); }
    void SetHeight(int h) { SetSize(Width(), h); }
    // Keeps the top-left part of the old picture.
    void SetSize(int width, int height);
    TCanvas* Canvas();
    HBITMAP Handle(); // drawing of the canvas is in it
    // The pixels (after the canvas's drawing).
    const QImage& Image();
    void SetImage(const QImage& image);
    // The bytes of a row, 4 a pixel (blue, green, red and a fourth byte that drawing leaves
    // alone: a 32-bit picture's alpha), whatever PixelFormat says; null outside the picture.
    uint8_t* ScanLine(int row);
    TPixelFormat PixelFormat = pfDevice;
    // clDefault: the colour of the bottom-left pixel.
    TColor TransparentColor() ;
    void SetTransparentColor(TColor color) { transparentColor_ = color; }
    bool Monochrome = false;

    void Draw(TCanvas* canvas, const TRect& r) override;
    // BMP, PNG and the other formats Qt reads; EInvalidGraphic "Bitmap image is not valid"
    // when the file cannot be read.
    void LoadFromFile(const String& fileName) override;
    void SaveToFile(const String& fileName) override; // BMP
    void LoadFromStream(TStream* stream) override;    // BMP, PNG... from the position on
    void SaveToStream(TStream* stream) override;      // BMP

private:
    void Deselect();
    HBITMAP bitmap_ = nullptr;
    HBITMAP placeholder_ = nullptr;
    HDC dc_ = nullptr;
    std::unique_ptr<TCanvas> canvas_;
    TColor transparentColor_ = clDefault;
};

// An icon: pixels with alpha drawn by DrawIconEx. The icon owns its handle.
class TIcon : public TGraphic {
public:
    TIcon() = default;
    ~TIcon() override;
    String ClassName() const override { return "TIcon"; }
    void Assign(TPersistent* source) override; // a TIcon or a TBitmap (opaque)
    int Width() const override;
    int Height() const override;
    void Draw(TCanvas* canvas, const TRect& r) override;
    // ICO, PNG and the other formats Qt reads; EInvalidGraphic "Icon image is not valid".
    void LoadFromFile(const String& fileName) override;
    void SaveToFile(const String& fileName) override; // ICO
    void LoadFromStream(TStream* stream) override;
    void SaveToStream(TStream* stream) override;
    HICON Handle() const { return handle_; }
    void SetHandle(HICON icon); // takes it over; the old one is destroyed
    HICON ReleaseHandle();      // gives it away; the icon is empty after
    TNotifyEvent OnChange;

private:
    HICON handle_ = nullptr;
};

class TPicture : public TPersistent {
public:
    TPicture();
    ~TPicture() override;
    String ClassName() const override { return "TPicture"; }
    void Assign(TPersistent* source) override;
    TGraphic* Graphic() const { return graphic_.get(); }
    // Copies the graphic (null empties the picture).
    void SetGraphic(TGraphic* graphic);
    // The graphic as a bitmap, made empty when the picture holds none.
    TBitmap* Bitmap();
    int Width() const { return graphic_ ? graphic_->Width() : 0; }
    int Height() const { return graphic_ ? graphic_->Height() : 0; }
    void LoadFromFile(const String& fileName);
    void SaveToFile(const String& fileName);
    TNotifyEvent OnChange;

private:
    std::unique_ptr<TGraphic> graphic_;
};

QUELM_DECLARE_EXCEPTION(EInvalidGraphic, Exception)

// How far text drawn in font reaches after each of its first n characters, n = 0 .. its length
// in UTF-16 code units: the places a single-line edit gives its characters.
std::vector<int> TextPrefixAdvances(TFont* font, const String& text);
