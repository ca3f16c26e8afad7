#pragma once
// The graphic content of special grid cells: progress bars (two-coloured with text, with
// level colours and blocks, as a pie), value bars that grow from the cell centre, and the
// eighteen filled cell shapes.
#include "platform/framework/Graphics.h"

#include <cstdint>

// The look of a level progress bar (filled by the string grid from its progress appearance).
struct TProgressLook {
    TColor Level0Color = clLime, Level0ColorTo = clLime;
    TColor Level1Color = clYellow, Level1ColorTo = clYellow;
    TColor Level2Color = 0x00A5FF, Level2ColorTo = 0x00A5FF;
    TColor Level3Color = clRed, Level3ColorTo = clRed;
    int Level1Perc = 70;
    int Level2Perc = 90;
    TColor BorderColor = clBlack;
    bool ShowBorder = false;
    bool Stacked = false;
    bool ShowPercentage = true;
    TFont* TextFont = nullptr; // none: the canvas font stays
    TColor TextColor = clBlack;
    bool CompletionSmooth = true;
    bool ShowGradient = true;
    int Steps = 11;
    TColor BackgroundColor = clWhite;
    bool Vertical = false;
};

// value limited to -max..max; a max of 0 or less draws nothing.
void DrawValueBar(TCanvas* Canvas, TRect R, int Value, int Max, bool ShowText, TColor NegColor, TColor PosColor);
// Format empty: "<n>%"; a format with "d" or "u" gets the rounded value, any other the value;
// with a format the percentage is (value - min) of (max - min), 0 when max equals min. A
// format that does not suit its value writes no text.
void DrawSimpleProgressBar(TCanvas* Canvas, TRect R, TColor CompleteColor, TColor CompleteFontColor,
                           TColor UncompleteColor, TColor UncompleteFontColor, double Value, int MarginX,
                           int MarginY, int Min, int Max, const String& Format, TColor BorderColor,
                           bool TextUpward);
void DrawProgressPie(TCanvas* Canvas, TRect R, TColor FillColor, int Percent, bool SeedAbove);
void DrawProgressBar(TCanvas* Canvas, TRect R, int Percent, const TProgressLook& Look);
// Shapes 0..18 (see the shape table of the grid's cell graphics); others draw nothing.
void DrawCellShape(TCanvas* Canvas, int X, int Y, int W, int H, uint8_t Shape, TColor BrushColor, TColor PenColor);
// Fills from (x, y) up to pixels of borderColor (the canvas brush colour), within the
// canvas's surface.
void FloodFillToBorder(TCanvas* Canvas, int X, int Y, TColor BorderColor, TColor FillColor);
