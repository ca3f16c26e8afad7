#pragma once
// The mini-HTML renderer: lays a mini-HTML text out in a rectangle of a canvas and, in one
// call, draws it, only measures it, or finds what lies under a point (a link, a linked
// picture, a form control).
//
// Every line is measured first (which decides what fits on it, and its width and height),
// then aligned and processed again on exactly the text the measuring took: drawn, or
// measured once more at its aligned position for hit tests. The renderer reads only inside
// its text and the tags' attribute text: unclosed tags, unknown tags and entities, and
// attribute values of any size are skipped or drawn as text, never a fault.
#include "components/grid/PictureContainer.h"

#include "platform/framework/Graphics.h"

class THTMLPictureCache;
class TPictureContainer;

// The images of an "IDX:" picture source (the caller's image list).
class THtmlImages {
public:
    virtual ~THtmlImages() = default;
    virtual int Count() const = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual void Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled) = 0;
    // Image Index as a bitmap of Width x Height.
    virtual void GetBitmap(int Index, TBitmap* Bitmap) = 0;
};

// The inputs of a call (defaults: no point, no focus or hover link, wrap words).
struct THtmlDrawArgs {
    THtmlImages* Images = nullptr;
    int HitX = -1;
    int HitY = -1;
    int FocusLink = -1; // from 0
    int HoverLink = -1; // from 1
    int ShadowOffset = 1;
    bool HitTestOnly = false;
    bool MeasureOnly = false;
    bool ScaleImages = false;
    bool KeepColors = false;
    bool BlinkVisible = true;
    bool UnderlineOnHover = false;
    bool WrapWords = true;
    bool ControlDown = false;
    double ImageScale = 1.0;
    TColor LinkColor = clBlue;
    TColor HoverBrushColor = clNone;
    TColor HoverFontColor = clNone;
    TColor ShadowColor = clGray;
    THTMLPictureCache* PictureCache = nullptr;
    TPictureContainer* Pictures = nullptr;
    HWND ThemeWindow = nullptr;
    int BiDiMode = 0; // 0 left to right, 1 right to left, 2 and 3 right-to-left reading only
};

// The outputs; AnchorUnderPoint and HoverRect are left as the caller set them when nothing
// is found, ControlID is also an input with HitTestOnly.
struct THtmlDrawResult {
    String AnchorUnderPoint; // link target under the point, or "ctrl" for a control
    String PlainText;        // the text without tags, CR for each line break, hidden text included
    String FocusAnchor;
    String AnchorTitle;
    int ExtentX = 0;
    int ExtentY = 0;
    int LinkCount = 0;
    int MouseLink = -1;
    TRect HoverRect;
    TRect ControlRect;
    String ControlID;
    String ControlValue;
    String ControlType;
};

// True when the point lies over a link's text, a linked picture or a control; always False
// with MeasureOnly.
bool DrawHtml(TCanvas* Canvas, const String& HtmlText, const TRect& TextRect, const THtmlDrawArgs& Args,
              THtmlDrawResult& Result);

// The renderer with its full argument list (see THtmlDrawArgs and THtmlDrawResult).
bool DrawHtmlText(TCanvas* Canvas, const String& HtmlText, const TRect& TextRect, THtmlImages* Images, int HitX,
                  int HitY, int FocusLink, int HoverLink, int ShadowOffset, bool HitTestOnly, bool MeasureOnly,
                  bool ScaleImages, bool KeepColors, bool BlinkVisible, bool UnderlineOnHover, bool WrapWords,
                  bool ControlDown, double ImageScale, TColor LinkColor, TColor HoverBrushColor,
                  TColor HoverFontColor, TColor ShadowColor, String& AnchorUnderPoint, String& PlainText,
                  String& FocusAnchor, String& AnchorTitle, int& ExtentX, int& ExtentY, int& LinkCount,
                  int& MouseLink, TRect& HoverRect, TRect& ControlRect, String& ControlID, String& ControlValue,
                  String& ControlType, THTMLPictureCache* PictureCache, TPictureContainer* Pictures,
                  HWND ThemeWindow, int BiDiMode);

// Colours of the HI tag for every later call (defaults clHighlight and clHighlightText).
void SetHtmlHighlightColors(TColor Background, TColor Text);
// Flags for the bidirectional mode: only under a Middle-East system locale, mode 1 flips
// DT_RIGHT (unless DT_CENTER) and any mode but 0 adds DT_RTLREADING; else unchanged.
UINT ApplyBiDiTextFlags(UINT Flags, int BiDiMode);
// Tests: act as if the system locale were (or were not) a Middle-East one.
void SetHtmlMiddleEastLocaleForTest(bool On);

// The system icon of a file (its kind) or of an index into the system image list (small or
// Large): the list's icon size and, when Draw, the icon drawn at (X, Y), stretched by Scale
// when Stretch. An index outside the list draws nothing.
TSize DrawSystemIcon(TCanvas* Canvas, int X, int Y, double Scale, bool Stretch, bool Draw, bool Large,
                     const String& Name);
void StretchDrawBitmapDIB(TCanvas* Canvas, const TRect& Rect, TBitmap* Bitmap);
bool DirExists(const String& Path);
