#pragma once
// The grid family's drawing primitives on a framework canvas: stepped gradients, cell
// backgrounds, the rounded Office-style frame, cell buttons in four styles, small arrows,
// transparent bitmaps, the wavy error underline and two colour calculations.
//
// Lines are drawn with MoveTo/LineTo (the end point left out); fills with Rectangle in pen and
// brush of one colour. Colours are TColor values; system colours are resolved with ColorToRGB
// where a routine computes with channels; clNone means "no colour".
#include "platform/framework/Controls.h"
#include "platform/framework/Graphics.h"

// The look colours of a control: five groups of three (fill, border, text or arrow) in the
// order normal, fixed cells, down, hot, disabled.
struct TControlColorSet {
    TColor Colors[15] = {clBtnFace, clBtnShadow, clBtnText, clBtnFace, clBtnShadow, clBtnText,
                         clBtnShadow, cl3DDkShadow, clBtnText, clBtnHighlight, clBtnShadow, clBtnText,
                         clBtnFace, clBtnShadow, clGrayText};
    // The group of a button state: 0 normal, 1 hot, 2 down, 3 disabled.
    TColor Fill(int state) const { return Colors[Group(state) * 3]; }
    TColor Border(int state) const { return Colors[Group(state) * 3 + 1]; }
    TColor Text(int state) const { return Colors[Group(state) * 3 + 2]; }
    static int Group(int state)
    {
        switch (state) {
        case 1: return 3;
        case 2: return 2;
        case 3: return 4;
        default: return 0;
        }
    }
};

// The two one-operation interfaces by which an owner restyles a control (the string grid and
// the drop-down editors implement both).
class IColorStyled {
public:
    virtual ~IColorStyled() = default;
    virtual void ApplyColorStyle(uint8_t Style) = 0;
};
class IColorSetTarget {
public:
    virtual ~IColorSetTarget() = default;
    virtual void ApplyColorSet(const TControlColorSet& Colors) = 0;
};

void FillGradient(TCanvas* canvas, TColor fromColor, TColor toColor, int steps, TRect rect, bool horizontal);
void DrawGradientBackground(TCanvas* canvas, TRect rect, TColor color, TColor colorTo, TColor colorMirror,
                            TColor colorMirrorTo, bool vertical, TColor borderColor, bool sideLinesOnly, bool fill);
TColor GradientColorAt(TColor fromColor, TColor toColor, int start, int finish, int position);
// kind: 0 single, 1 left end, 2 right end, 3 middle (no sides, full-width lines),
// 4 no sides with the top and bottom lines kept 2 pixels in.
void DrawOfficeButtonFrame(TCanvas* canvas, TColor color, TColor colorTo, TColor mirrorColor, TColor mirrorColorTo,
                           TColor innerTopColor, TColor innerBottomColor, TColor outerColor, TColor cornerColor,
                           TColor cornerOuterColor, TRect rect, int kind);
// style: 0 visual style, 1 classic, 2 flat, 3 the colour set's colours; state: 0 normal, 1 hot,
// 2 down, 3 disabled.
void DrawCellComboButton(TCanvas* canvas, HWND window, TRect rect, int style, int state,
                         const TControlColorSet& colorSet);
void DrawCellPushButton(TCanvas* canvas, HWND window, TRect rect, int style, int state,
                        const TControlColorSet& colorSet);
void DrawCellSpinButtons(TCanvas* canvas, HWND window, TRect rect, int style, int state,
                         const TControlColorSet& colorSet);
void DrawSmallDownArrow(TCanvas* canvas, int x, int y, TColor color);
void FillRectColor(TCanvas* canvas, TRect rect, TColor color);
void DrawTransparentBitmap(TCanvas* canvas, TBitmap* bitmap, TColor backColor, TRect rect);
// The bitmap resource is looked up as ":/bitmaps/<name>.bmp" among the program's Qt resources;
// nothing is drawn when there is none.
void DrawTransparentResBitmap(TCanvas* canvas, TColor backColor, TRect rect, const String& resourceName);
void DrawErrorUnderline(TControl* parent, TCanvas* canvas, const String& text, TRect rect, int offsetY, int start,
                        int count);
TColor HalfColor(TColor color);
// Channels are kept within 0..255.
TColor ScaleColorPercent(TColor color, int percent);
