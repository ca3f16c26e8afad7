#include "components/dropdown/PlusColorPickerDropDown.h"

#include "platform/framework/Forms.h"
#include "platform/win/WinGdi.h"
#include "platform/win/WinWindow.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr TColor RGBColor(int r, int g, int b) { return TColor(r | (g << 8) | (b << 16)); }

int PickerRedOf(TColor c) { return int(c & 0xFF); }
int PickerGreenOf(TColor c) { return int((c >> 8) & 0xFF); }
int PickerBlueOf(TColor c) { return int((c >> 16) & 0xFF); }

// The cube's colours row by row ($BBGGRR).
const TColor kCubeColors[127] = {
    0x663300, 0x996633, 0xCC6633, 0x993300, 0x990000, 0xCC0000, 0x660000,
    0x666600, 0x996600, 0xCC9900, 0xCC6600, 0xCC3300, 0xFF0000, 0xFF3333, 0x993333,
    0x808000, 0x999900, 0xCCCC33, 0xFFCC00, 0xFF9900, 0xFF6600, 0xFF6633, 0xCC3333, 0x996666,
    0x669933, 0x99CC00, 0xCCFF00, 0xFFFF00, 0xFFCC33, 0xFF9933, 0xFF9966, 0xFF6666, 0xFF0066, 0xCC0066,
    0x339933, 0x66CC00, 0x99FF00, 0xCCFF66, 0xFFFF66, 0xFFCC66, 0xFFCC99, 0xFF9999, 0xFF6699, 0xFF3399, 0xFF0099,
    0x006600, 0x00CC00, 0x00FF00, 0x99FF66, 0xCCFF99, 0xFFFFCC, 0xFFECCC, 0xFFCCCC, 0xFF99CC, 0xFF66CC, 0xFF00CC,
    0xCC0099,
    0x003300, 0x008000, 0x33CC33, 0x66FF66, 0x99FF99, 0xCCFFCC, 0xFFFFFF, 0xFFCCFF, 0xFF99FF, 0xFF66FF, 0xFF00FF,
    0xCC00CC, 0x660066,
    0x006633, 0x009900, 0x33FF66, 0x66FF99, 0x99FFCC, 0xCCFFFF, 0xCCCCFF, 0xCC99FF, 0xCC66FF, 0xCC33FF, 0x9900CC,
    0x800080,
    0x003333, 0x009966, 0x33FF99, 0x66FFCC, 0x99FFFF, 0x99CCFF, 0x9999FF, 0x9966FF, 0x9933FF, 0x9933CC, 0x990099,
    0x336666, 0x00CC99, 0x33FFCC, 0x66FFFF, 0x66CCFF, 0x6699FF, 0x807CFF, 0x6600FF, 0x9300D6, 0x663399,
    0x008080, 0x00CCCC, 0x00FFFF, 0x00CCFF, 0x3399FF, 0x0066FF, 0x5050FF, 0x6600CC, 0x330066,
    0x336699, 0x0099CC, 0x0099FF, 0x0066CC, 0x0033FF, 0x0000FF, 0x0000CC, 0x330099,
    0x003366, 0x006699, 0x0033CC, 0x003399, 0x000099, 0x000080, 0x2100A5,
};

// The theme colours, six rows of ten (red, green, blue).
const unsigned char kThemeColors[60][3] = {
    {255, 255, 255}, {0, 0, 0}, {238, 236, 225}, {31, 73, 125}, {79, 129, 189},
    {192, 80, 77}, {155, 187, 89}, {128, 100, 162}, {75, 172, 198}, {247, 150, 70},
    {242, 242, 242}, {127, 127, 127}, {221, 217, 195}, {194, 206, 218}, {219, 229, 241},
    {242, 220, 219}, {235, 241, 221}, {229, 224, 236}, {219, 238, 243}, {253, 234, 218},
    {216, 216, 216}, {89, 89, 89}, {196, 189, 151}, {141, 179, 226}, {184, 204, 228},
    {229, 185, 183}, {215, 227, 188}, {204, 193, 217}, {183, 221, 232}, {251, 213, 181},
    {191, 191, 191}, {63, 63, 63}, {147, 137, 83}, {84, 141, 212}, {149, 179, 215},
    {217, 150, 148}, {195, 214, 155}, {178, 162, 199}, {146, 205, 220}, {250, 192, 143},
    {165, 165, 165}, {38, 38, 38}, {73, 68, 41}, {23, 54, 93}, {54, 96, 146},
    {149, 55, 52}, {118, 146, 60}, {95, 73, 122}, {49, 133, 155}, {227, 108, 9},
    {127, 127, 127}, {12, 12, 12}, {29, 27, 16}, {15, 36, 62}, {36, 64, 97},
    {99, 36, 35}, {79, 97, 40}, {63, 49, 81}, {32, 88, 103}, {151, 72, 6},
};

const struct {
    const char* caption;
    TColor color;
} kStandardColors[16] = {
    {"Black", 0x000000}, {"Maroon", 0x000080}, {"Green", 0x008000},   {"Olive", 0x008080},
    {"Navy", 0x800000},  {"Purple", 0x800080}, {"Teal", 0x808000},    {"Gray", 0x808080},
    {"Silver", 0xC0C0C0}, {"Red", 0x0000FF},   {"Lime", 0x00FF00},    {"Yellow", 0x00FFFF},
    {"Blue", 0xFF0000},  {"Fuchsia", 0xFF00FF}, {"Aqua", 0xFFFF00},   {"White", 0xFFFFFF},
};

String Hex(unsigned value, int digits)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%0*X", digits, value);
    return buf;
}

} // namespace

String ColorValueTextOf(TColor Color, TColorValueText Notation)
{
    const TColor rgb = ColorToRGB(Color);
    switch (Notation) {
    case cvtNone: return String();
    case cvtHex: return Hex(unsigned(Color), 6);
    case cvtWebName: return "#" + Hex(unsigned(Color), 6);
    case cvtRGB:
        return "Red:" + std::to_string(PickerRedOf(rgb)) + ",Green:" + std::to_string(PickerGreenOf(rgb)) +
               ",Blue:" + std::to_string(PickerBlueOf(rgb));
    case cvtHTML: return "#" + Hex(unsigned(PickerRedOf(rgb)), 2) + Hex(unsigned(PickerGreenOf(rgb)), 2) + Hex(unsigned(PickerBlueOf(rgb)), 2);
    }
    return String();
}

// ============================================================================================
// the colour cube
// ============================================================================================

void DrawHexagon(TCanvas* Canvas, int cx, int cy, int w, int q)
{
    Canvas->Polygon({{cx - w, cy - q}, {cx, cy - 2 * q}, {cx + w, cy - q}, {cx + w, cy + q}, {cx, cy + 2 * q},
                     {cx - w, cy + q}});
}

TPlusColorCubePanel::TPlusColorCubePanel(TComponent* AOwner) : TPlusCustomColorSelectorPanel(AOwner)
{
    InitCube();
    SetShowRGBHint(true);
    SetBounds(0, 0, 182, 160);
}

void TPlusColorCubePanel::SetShowRGBHint(bool v)
{
    showRGBHint_ = v;
    ShowHint = v;
}

void TPlusColorCubePanel::InitCube()
{
    CellHalfWidth = 6;
    CellQuarterHeight = 3;
    int n = 1;
    for (int r = 1; r <= 13; ++r) {
        const int count = r <= 7 ? r + 6 : 20 - r;
        const int y = 20 + 10 * (r - 1);
        const int x0 = 19 + 6 * std::abs(7 - r);
        for (int k = 0; k < count; ++k, ++n)
            cells_[size_t(n)] = TCubeCell{x0 + 2 * CellHalfWidth * k, y, kCubeColors[n - 1]};
    }
}

void TPlusColorCubePanel::ResetCubeHot()
{
    hotIndex_ = -1;
    SetHeight(160);
    SetWidth(182);
}

int TPlusColorCubePanel::CellAtPos(int X, int Y) const
{
    const int r2 = CellHalfWidth * CellHalfWidth;
    for (int i = 1; i <= 127; ++i) {
        const int dx = cells_[size_t(i)].X - X, dy = cells_[size_t(i)].Y - Y;
        if (dx * dx + dy * dy <= r2)
            return i;
    }
    return -1;
}

void TPlusColorCubePanel::SelectCubeColor(TColor Color, int Index)
{
    selectedColor_ = Color;
    if (Index >= 1 && Index <= 127) {
        selectedIndex_ = Index;
        return;
    }
    selectedIndex_ = -1;
    for (int i = 1; i <= 127; ++i)
        if (cells_[size_t(i)].Color == Color) {
            selectedIndex_ = i;
            break;
        }
}

void TPlusColorCubePanel::DrawCubeCell(int i)
{
    if (i < 1 || i > 127)
        return;
    TCanvas* c = Canvas();
    const TCubeCell& cell = cells_[size_t(i)];
    const int w = CellHalfWidth, q = CellQuarterHeight;
    c->Brush->Style = bsSolid;
    c->Pen->Color = cell.Color;
    c->Brush->Color = cell.Color;
    DrawHexagon(c, cell.X, cell.Y, w, q);
    auto outline = [&](TColor outer) {
        c->Brush->Style = bsClear;
        c->Pen->Color = outer;
        DrawHexagon(c, cell.X, cell.Y, w - 1, q);
        c->Pen->Color = 0xFFFFFF;
        DrawHexagon(c, cell.X, cell.Y, w - 2, q - 1);
    };
    if (i == hotIndex_)
        outline(0x0000FF);
    if (i == selectedIndex_)
        outline(0x000000);
}

void TPlusColorCubePanel::Paint()
{
    for (int i = 1; i <= 127; ++i)
        DrawCubeCell(i);
}

void TPlusColorCubePanel::MouseMove(TShiftState s, int x, int y)
{
    TPlusCustomColorSelectorPanel::MouseMove(s, x, y);
    const int i = CellAtPos(x, y);
    if (i > 0 && i != hotIndex_) {
        const int old = hotIndex_;
        if (old > 0) {
            hotIndex_ = -1;
            DrawCubeCell(old);
        }
        hotIndex_ = i;
        DrawCubeCell(i);
        if (showRGBHint_) {
            const TColor c = cells_[size_t(i)].Color;
            char buf[64];
            std::snprintf(buf, sizeof buf, "Red: %d,  Green: %d,  Blue: %d", PickerRedOf(c), PickerGreenOf(c), PickerBlueOf(c));
            SetHint(buf);
            Application->CancelHint();
        }
    } else if (i <= 0 && showRGBHint_) {
        SetHint(String());
        Application->CancelHint();
    }
}

void TPlusColorCubePanel::MouseDown(TMouseButton b, TShiftState s, int x, int y)
{
    TPlusCustomColorSelectorPanel::MouseDown(b, s, x, y);
    const int i = CellAtPos(x, y);
    if (i < 1)
        return;
    const int old = selectedIndex_;
    if (old > 0) {
        selectedIndex_ = -1;
        DrawCubeCell(old);
    }
    SelectCubeColor(cells_[size_t(i)].Color, i);
    DrawCubeCell(i);
    if (OnSelect)
        OnSelect(this);
}

// ============================================================================================
// the spectrum
// ============================================================================================

TBitmap* SpectrumBitmap()
{
    static TBitmap* picture = [] {
        auto* b = new TBitmap;
        b->SetSize(128, 128);
        for (int x = 0; x < 128; ++x) {
            // hue around the circle: red, yellow, green, cyan, blue, magenta, red
            const double h = x * 6.0 / 128;
            const int sector = int(h);
            const double f = h - sector;
            double r = 0, g = 0, bl = 0;
            switch (sector % 6) {
            case 0: r = 1, g = f; break;
            case 1: r = 1 - f, g = 1; break;
            case 2: g = 1, bl = f; break;
            case 3: g = 1 - f, bl = 1; break;
            case 4: bl = 1, r = f; break;
            default: bl = 1 - f, r = 1; break;
            }
            for (int y = 0; y < 128; ++y) {
                // near white at the top, the full colour in the middle, near black at the bottom
                double rr, gg, bb;
                if (y < 64) {
                    const double t = (y + 1) / 64.0;
                    rr = 1 - t * (1 - r), gg = 1 - t * (1 - g), bb = 1 - t * (1 - bl);
                } else {
                    const double t = (127 - y) / 64.0;
                    rr = t * r, gg = t * g, bb = t * bl;
                }
                b->Canvas()->SetPixel(x, y, RGBColor(int(std::lround(rr * 255)), int(std::lround(gg * 255)),
                                                      int(std::lround(bb * 255))));
            }
        }
        return b;
    }();
    return picture;
}

TPlusColorSpectrumPanel::TPlusColorSpectrumPanel(TComponent* AOwner) : TPlusCustomColorSelectorPanel(AOwner)
{
    image_ = new TImage(this);
    image_->SetParent(this);
    image_->SetBounds(0, 0, 128, 128);
    image_->Picture()->Assign(SpectrumBitmap());
    image_->SetCursor(crCross);
    image_->OnMouseMove = [this](TObject*, TShiftState, int x, int y) {
        // the colour shown at that point of the picture
        hotColor_ = x >= 0 && y >= 0 && x < 128 && y < 128 ? SpectrumBitmap()->Canvas()->Pixels(x, y) : clNone;
        DrawSwatch(HotSwatch, hotColor_);
    };
    image_->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, int, int) {
        SetSelectedColor(hotColor_);
        DrawSwatch(SelectedSwatch, selectedColor_);
        if (OnSelect)
            OnSelect(this);
    };
    LayoutSpectrum();
}

void TPlusColorSpectrumPanel::LayoutSpectrum()
{
    SetHeight(174);
    SetWidth(150);
    image_->SetLeft((Width() - image_->Width()) / 2);
    image_->SetTop(10);
    const int L = image_->Left(), T = image_->Top(), W = image_->Width(), B = T + image_->Height();
    SelectedSwatch = TRect(L - 1, B + 8, L + W / 2 - 2, B + 28);
    HotSwatch = TRect(SelectedSwatch.Right + 4, SelectedSwatch.Top, L + W + 1, SelectedSwatch.Bottom);
    hotColor_ = clNone;
    Invalidate();
}

void TPlusColorSpectrumPanel::DrawSwatch(const TRect& S, TColor C)
{
    TCanvas* c = Canvas();
    c->Pen->Color = 0x808080;
    c->Brush->Style = bsClear;
    c->Rectangle(S.Left - 1, S.Top - 1, S.Right + 1, S.Bottom + 1);
    c->Pen->Color = 0xFFFFFF;
    if (C == clNone) {
        c->Brush->Style = bsClear;
    } else {
        c->Brush->Style = bsSolid;
        c->Brush->Color = C;
    }
    c->Rectangle(S);
}

void TPlusColorSpectrumPanel::Paint()
{
    TCanvas* c = Canvas();
    const int L = image_->Left(), T = image_->Top(), W = image_->Width(), B = T + image_->Height();
    c->Brush->Style = bsClear;
    c->Pen->Color = 0xFFFFFF;
    c->Rectangle(L - 1, T - 1, L + W + 1, B + 1);
    c->Pen->Color = 0x808080;
    c->Rectangle(L - 2, T - 2, L + W + 2, B + 2);
    DrawSwatch(SelectedSwatch, selectedColor_);
    DrawSwatch(HotSwatch, hotColor_);
}

// ============================================================================================
// the colour box selector
// ============================================================================================

void TColorBoxItem::Assign(TPersistent* Source)
{
    if (auto* s = dynamic_cast<TColorBoxItem*>(Source)) {
        SetColor(s->color_);
        ColorBoxPos = s->ColorBoxPos;
        Enabled = s->Enabled;
        return;
    }
    TCollectionItem::Assign(Source);
}

void TColorBoxItem::SetColor(TColor v)
{
    if (v != color_) {
        color_ = v;
        Changed(false);
    }
}

void TColorBoxAppearance::Assign(TPersistent* Source)
{
    if (auto* s = dynamic_cast<TColorBoxAppearance*>(Source)) {
        BorderColor = s->BorderColor;
        OuterBorderColorHot = s->OuterBorderColorHot;
        InnerBorderColorHot = s->InnerBorderColorHot;
        OuterBorderColorSelected = s->OuterBorderColorSelected;
        InnerBorderColorSelected = s->InnerBorderColorSelected;
        return;
    }
    TPersistent::Assign(Source);
}

TCustomColorSelector::TCustomColorSelector(TComponent* AOwner)
    : TPlusCustomColorSelectorPanel(AOwner), items_(std::make_unique<TColorBoxItems>(this)),
      appearance_(std::make_unique<TColorBoxAppearance>())
{
    SetItemColorStyle(1);
    ParentColor = true;
    UpdateLayout();
}

bool TCustomColorSelector::Disabled(int Index) const
{
    return Index >= 0 && Index < items_->Count() && !items_->Items(Index)->Enabled;
}

void TCustomColorSelector::FillThemeColors()
{
    items_->Clear();
    static const TItemPos rows[6] = {ipStandAlone, ipTop, ipMiddle, ipMiddle, ipMiddle, ipBottom};
    for (int i = 0; i < 60; ++i) {
        TColorBoxItem* b = items_->Add();
        b->SetColor(RGBColor(kThemeColors[i][0], kThemeColors[i][1], kThemeColors[i][2]));
        b->ColorBoxPos = rows[i / 10];
    }
}

void TCustomColorSelector::GetBoxSize(TSize& Size) const { Size = TSize{ColorBoxWidth, ColorBoxHeight}; }

void TCustomColorSelector::GetBoxesRect(TRect& R) const
{
    const TRect c = ClientRect();
    R = TRect(c.Left + OffsetX, c.Top + OffsetY, c.Right - OffsetX, c.Bottom - OffsetY);
}

void TCustomColorSelector::UpdateLayout()
{
    if (items_->Count() == 0) {
        SetHeight(50);
        SetWidth(100);
        return;
    }
    itemHot_ = -1;
    TSize size;
    GetBoxSize(size);
    TRect a;
    GetBoxesRect(a);
    int x = a.Left, y = a.Top, column = 0, widest = 0;
    bool gapRow = false;
    const int n = items_->Count();
    for (int j = 0; j < n; ++j) {
        TColorBoxItem* b = items_->Items(j);
        b->BoxRect = TRect(x, y, x + size.cx, y + size.cy);
        ++column;
        if (j == n - 1)
            break;
        if (b->ColorBoxPos == ipStandAlone)
            gapRow = true;
        if (column < Columns) {
            x += size.cx + ColumnGap;
        } else {
            widest = std::max(widest, x);
            x = a.Left;
            y += size.cy + (gapRow ? ColumnGap : 0);
            column = 0;
            gapRow = false;
        }
    }
    widest = std::max(widest, x);
    SetHeight(y + size.cy + a.Top);
    SetWidth(widest + size.cx + a.Left + 1);
}

void TCustomColorSelector::DrawColorBox(int Index, TCanvas* c)
{
    if (Index < 0 || Index >= items_->Count() || !c)
        return;
    const TColorBoxItem* b = items_->Items(Index);
    TRect r = b->BoxRect;
    if (r.Left < 0 && r.Right < 0)
        return;
    TColor outer = appearance_->BorderColor, inner = clNone;
    bool highlighted = false;
    if (Index == itemHot_)
        outer = appearance_->OuterBorderColorHot, inner = appearance_->InnerBorderColorHot, highlighted = true;
    if (Index == itemIndex_)
        outer = appearance_->OuterBorderColorSelected, inner = appearance_->InnerBorderColorSelected, highlighted = true;
    if (b->Color() != clNone) {
        c->Brush->Style = bsSolid;
        c->Pen->Color = b->Color();
        c->Brush->Color = b->Color();
        c->Rectangle(r);
    }
    if (highlighted) {
        c->Brush->Style = bsClear;
        if (outer != clNone) {
            c->Pen->Color = outer;
            c->Rectangle(r);
            r = TRect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
        }
        if (inner != clNone) {
            c->Pen->Color = inner;
            c->Rectangle(r);
        }
        return;
    }
    c->Pen->Color = outer;
    const int L = r.Left, T = r.Top, R = r.Right, B = r.Bottom;
    switch (b->ColorBoxPos) {
    case ipStandAlone:
        c->MoveTo(L, B), c->LineTo(L, T), c->LineTo(R, T), c->LineTo(R, B), c->LineTo(L, B);
        break;
    case ipTop:
        c->MoveTo(L, B), c->LineTo(L, T), c->LineTo(R, T), c->LineTo(R, B);
        break;
    case ipMiddle:
        c->MoveTo(L, T), c->LineTo(L, B);
        c->MoveTo(R, T), c->LineTo(R, B);
        break;
    case ipBottom:
        c->MoveTo(L, T), c->LineTo(L, B), c->LineTo(R, B);
        c->MoveTo(R, T), c->LineTo(R, B + 1);
        break;
    }
}

void TCustomColorSelector::Paint()
{
    for (int i = 0; i < items_->Count(); ++i)
        DrawColorBox(i, Canvas());
}

void TCustomColorSelector::InvalidateBox(int Index)
{
    if (Index < 0 || Index >= items_->Count())
        return;
    RECT r = items_->Items(Index)->BoxRect;
    InvalidateRect(Handle(), &r, TRUE);
}

int TCustomColorSelector::BoxAtPos(int X, int Y) const
{
    for (int i = 0; i < items_->Count(); ++i) {
        const TRect& r = items_->Items(i)->BoxRect;
        if (X >= r.Left && X < r.Right && Y >= r.Top && Y < r.Bottom)
            return i;
    }
    return -1;
}

void TCustomColorSelector::SelectBox(int Index)
{
    if (Disabled(Index))
        return;
    if (itemIndex_ >= 0 && Index != itemIndex_) {
        const int old = itemIndex_;
        itemIndex_ = -1;
        InvalidateBox(old);
    }
    itemIndex_ = Index;
    if (Index < 0 || Index >= items_->Count())
        return;
    selectedColor_ = items_->Items(Index)->Color();
    DrawColorBox(Index, Canvas());
    if (OnSelect)
        OnSelect(this);
}

void TCustomColorSelector::SetHotBox(int Index)
{
    if (Index == itemHot_ || Disabled(Index))
        return;
    const int old = itemHot_;
    itemHot_ = -1;
    if (old >= 0)
        InvalidateBox(old);
    itemHot_ = Index;
    if (Index >= 0)
        DrawColorBox(Index, Canvas());
}

void TCustomColorSelector::SelectFirstBox()
{
    if (items_->Count() > 0)
        SelectBox(0);
}

void TCustomColorSelector::SelectLastBox()
{
    if (items_->Count() > 0)
        SelectBox(items_->Count() - 1);
}

void TCustomColorSelector::SelectNextBox()
{
    if (itemIndex_ < 0)
        SelectBox(items_->Count() > 0 ? 0 : -1);
    else if (itemIndex_ + 1 < items_->Count())
        SelectBox(itemIndex_ + 1);
}

void TCustomColorSelector::SelectPreviousBox()
{
    if (itemIndex_ - 1 >= 0)
        SelectBox(itemIndex_ - 1);
}

void TCustomColorSelector::HotNextBox()
{
    if (itemHot_ < 0) {
        if (items_->Count() > 0)
            SetHotBox(0);
    } else if (itemHot_ + 1 < items_->Count())
        SetHotBox(itemHot_ + 1);
}

void TCustomColorSelector::HotPreviousBox()
{
    if (itemHot_ - 1 >= 0)
        SetHotBox(itemHot_ - 1);
}

void TCustomColorSelector::MouseDown(TMouseButton b, TShiftState s, int x, int y)
{
    TPlusCustomColorSelectorPanel::MouseDown(b, s, x, y);
    const int i = BoxAtPos(x, y);
    if (i >= 0 && items_->Items(i)->Enabled)
        SelectBox(i);
}

void TCustomColorSelector::MouseMove(TShiftState s, int x, int y)
{
    TPlusCustomColorSelectorPanel::MouseMove(s, x, y);
    const int i = BoxAtPos(x, y);
    if (i >= 0 && i != itemHot_)
        SetHotBox(items_->Items(i)->Enabled ? i : -1);
    else if (i < 0 && itemHot_ >= 0)
        SetHotBox(-1);
}

void TCustomColorSelector::Dispatch(TMessage& m)
{
    TPlusCustomColorSelectorPanel::Dispatch(m);
    if (m.Msg == CM_MOUSELEAVE && itemHot_ >= 0)
        SetHotBox(-1);
}

void TCustomColorSelector::HandleSelectorKey(WORD Key, bool EditorEnabled, bool DroppedDown)
{
    if (!Enabled() || Key < 33 || Key > 40)
        return;
    switch (Key) {
    case VK_PRIOR:
    case VK_HOME: SelectFirstBox(); break;
    case VK_NEXT:
    case VK_END: SelectLastBox(); break;
    case VK_LEFT:
        if (!EditorEnabled || DroppedDown)
            SelectPreviousBox();
        break;
    case VK_RIGHT:
        if (!EditorEnabled || DroppedDown)
            SelectNextBox();
        break;
    case VK_UP:
    case VK_DOWN:
        if (DroppedDown) {
            const int step = Key == VK_UP ? -Columns : Columns;
            const int v = itemIndex_ < 0 ? 0 : itemIndex_ + step;
            if (v >= 0 && v < items_->Count())
                SelectBox(v);
        } else if (Key == VK_UP) {
            SelectPreviousBox();
        } else {
            SelectNextBox();
        }
        break;
    default: break;
    }
}

void TCustomColorSelector::SetSelectedColor(TColor Value)
{
    if (Value == selectedColor_)
        return;
    selectedColor_ = Value;
    if (Value == clNone)
        SelectBox(-1);
    for (int i = 0; i < items_->Count(); ++i)
        if (items_->Items(i)->Color() == Value) {
            SelectBox(i);
            return;
        }
    SelectBox(-1);
}

void TCustomColorSelector::SetItemColorStyle(uint8_t Style)
{
    if (Style == itemColorStyle_)
        return;
    itemColorStyle_ = Style;
    if (Style >= 1 && Style <= 3)
        appearance_->Assign(std::make_unique<TColorBoxAppearance>().get());
}

// ============================================================================================
// the colour picker
// ============================================================================================

void TColorItem::Assign(TPersistent* Source)
{
    if (auto* s = dynamic_cast<TColorItem*>(Source)) {
        SetCaption(s->caption_);
        SetColor(s->color_);
        Hint = s->Hint;
        return;
    }
    TCollectionItem::Assign(Source);
}

TPlusColorPickerDropDown::TPlusColorPickerDropDown(TComponent* AOwner)
    : TPlusCustomDropDown(AOwner), colors_(std::make_unique<TColorItems>(this)),
      itemAppearance_(std::make_unique<TItemAppearance>(this))
{
    itemAppearance_->SetColorStyle(1);
    SetEditorEnabled(false);
    DropDownEnabled = true;
    SetDropDownHeight(200);
    DropDownHeader()->SetVisible(false);
    DropDownFooter()->SetVisible(false);
    SetCursor(crArrow);
    CreateDropDownForm();
}

TPlusColorPickerDropDown::~TPlusColorPickerDropDown()
{
    destroying_ = true;
}

void TPlusColorPickerDropDown::AddStandardColors()
{
    for (const auto& c : kStandardColors) {
        TColorItem* item = colors_->Add();
        item->SetCaption(c.caption);
        item->SetColor(c.color);
    }
}

// ---------------------------------------------------------------- hosted controls

void TPlusColorPickerDropDown::HostControl(TControl* c)
{
    c->SetLeft(0);
    c->SetTop(0);
    c->SetColor(DropDownColor);
    SetDropDownControl(c);
}

void TPlusColorPickerDropDown::EnsureItemSelector()
{
    if (!form_)
        return;
    if (!itemSelector_) {
        itemSelector_ = new TPlusCustomItemSelector(this);
        itemSelector_->SetParent(form_);
    }
    HostControl(itemSelector_);
    itemSelector_->SetSelectorType(stColor);
    itemSelector_->SetHeight(150);
    itemSelector_->UpdateLayout();
}

void TPlusColorPickerDropDown::EnsureCubePanel()
{
    if (!form_)
        return;
    if (!cube_) {
        cube_ = new TPlusColorCubePanel(this);
        cube_->SetParent(form_);
    }
    HostControl(cube_);
}

void TPlusColorPickerDropDown::EnsureSpectrumPanel()
{
    if (!form_)
        return;
    if (!spectrum_) {
        spectrum_ = new TPlusColorSpectrumPanel(this);
        spectrum_->SetParent(form_);
    }
    HostControl(spectrum_);
}

void TPlusColorPickerDropDown::EnsureColorSelector()
{
    if (!form_)
        return;
    if (!colorSelector_) {
        colorSelector_ = new TCustomColorSelector(this);
        colorSelector_->SetParent(form_);
        colorSelector_->FillThemeColors();
    }
    HostControl(colorSelector_);
    colorSelector_->UpdateLayout();
}

void TPlusColorPickerDropDown::CreateDropDownForm()
{
    TPlusCustomDropDown::CreateDropDownForm();
    switch (style_) {
    case csList: EnsureItemSelector(); break;
    case csDiscrete: EnsureColorSelector(); break;
    case csColorCube: EnsureCubePanel(); break;
    case csSpectrum: EnsureSpectrumPanel(); break;
    }
}

void TPlusColorPickerDropDown::HideOthers(TControl* keep)
{
    for (TControl* c : {static_cast<TControl*>(itemSelector_), static_cast<TControl*>(cube_),
                        static_cast<TControl*>(spectrum_), static_cast<TControl*>(colorSelector_)})
        if (c && c != keep)
            c->SetVisible(false);
}

void TPlusColorPickerDropDown::LoadSelector()
{
    TPlusCustomItemSelector* s = itemSelector_;
    if (!s)
        return;
    s->OnItemSelect = nullptr;
    s->SetColumns(Columns);
    s->SetImages(Images());
    s->ItemLayout = Layout;
    s->SetColor(DropDownColor);
    s->Items()->Clear();
    for (int i = 0; i < colors_->Count(); ++i) {
        TSelectorItem* it = s->Items()->Add();
        it->SetCaption(colors_->Items(i)->Caption());
        it->SetColor(colors_->Items(i)->Color());
        it->Hint = colors_->Items(i)->Hint;
    }
    s->SetColorBoxHeight(ColorBoxHeight);
    s->SetColorBoxWidth(ColorBoxWidth);
    s->ItemAppearance()->Assign(itemAppearance_.get());
    s->UpdateLayout();
    s->SetItemIndex(itemIndex_);
    s->OnItemSelect = [this](TObject*) { SelectorItemSelected(); };
    s->ShowHint = ShowHint;
}

void TPlusColorPickerDropDown::PrepareList()
{
    HideOthers(itemSelector_);
    LoadSelector();
    if (OnDrawColor)
        itemSelector_->OnDrawItem = [this](TObject*, TCanvas* c, TRect r, int i) { OnDrawColor(this, c, r, i); };
    else
        itemSelector_->OnDrawItem = nullptr;
    oldItemIndex_ = itemIndex_;
}

void TPlusColorPickerDropDown::BeforeDropDown()
{
    TPlusCustomDropDown::BeforeDropDown();
    PrepareStyle();
    oldSelectedColor_ = selectedColor_;
}

void TPlusColorPickerDropDown::PrepareStyle()
{
    switch (style_) {
    case csList:
        EnsureItemSelector();
        if (itemSelector_) {
            PrepareList();
            itemSelector_->SetVisible(true);
        }
        break;
    case csDiscrete:
        EnsureColorSelector();
        if (colorSelector_) {
            HideOthers(colorSelector_);
            colorSelector_->SetSelectedColor(selectedColor_);
            colorSelector_->UpdateLayout();
            colorSelector_->OnSelect = [this](TObject*) { BoxColorSelected(); };
            colorSelector_->SetItemColorStyle(SelectionColorStyle());
            colorSelector_->SetVisible(true);
        }
        break;
    case csColorCube:
        EnsureCubePanel();
        if (cube_) {
            HideOthers(cube_);
            cube_->SetSelectedColor(selectedColor_);
            cube_->InitCube();
            cube_->ResetCubeHot();
            cube_->OnSelect = [this](TObject*) { PanelColorSelected(cube_->SelectedColor()); };
            cube_->SetVisible(true);
        }
        break;
    case csSpectrum:
        EnsureSpectrumPanel();
        if (spectrum_) {
            HideOthers(spectrum_);
            spectrum_->SetSelectedColor(selectedColor_);
            spectrum_->LayoutSpectrum();
            spectrum_->OnSelect = [this](TObject*) { PanelColorSelected(spectrum_->SelectedColor()); };
            spectrum_->SetVisible(true);
        }
        break;
    }
}

void TPlusColorPickerDropDown::SizeForPanel()
{
    TControl* c = DropDownControl();
    if (!c)
        return;
    c->Align = alNone;
    AdaptDropDownSize();
    c->Align = alClient;
}

void TPlusColorPickerDropDown::SetColorSelectionStyle(TColorSelectionStyle Value)
{
    if (Value == style_)
        return;
    style_ = Value;
    if (HasState(csDesigning))
        return;
    if (Value == csList) {
        EnsureItemSelector();
        if (itemSelector_) {
            itemSelector_->SetVisible(true);
            PrepareList();
            itemSelector_->Align = alNone;
            AdaptDropDownSize();
            itemSelector_->Align = alClient;
        }
    } else {
        if (Value == csDiscrete)
            EnsureColorSelector();
        else if (Value == csColorCube)
            EnsureCubePanel();
        else
            EnsureSpectrumPanel();
        if (TControl* c = DropDownControl())
            c->Align = alNone;
        PrepareStyle();
    }
    oldSelectedColor_ = selectedColor_;
    if (Value != csList)
        SizeForPanel();
    if (form_)
        form_->Invalidate();
}

void TPlusColorPickerDropDown::AdaptDropDownSize()
{
    if (!form_)
        return;
    if (style_ == csList) {
        if (!itemSelector_) {
            TPlusCustomDropDown::AdaptDropDownSize();
            return;
        }
        itemSelector_->Align = alNone;
        const TSize size = itemSelector_->GetPanelSize();
        if (DropDownWidth() < 1)
            itemSelector_->SetWidth(size.cx);
        if (DropDownHeight() < 1)
            itemSelector_->SetHeight(size.cy);
        TPlusCustomDropDown::AdaptDropDownSize();
        if (itemSelector_->VertScrollBarVisible())
            form_->SetWidth(form_->Width() + GetSystemMetrics(SM_CXVSCROLL));
        return;
    }
    TControl* c = DropDownControl();
    const bool shown = c && c->Visible();
    const int bw = DropDownBorderWidth;
    const int w = shown ? c->Width() + 2 * bw : Width();
    int h = 2 * bw;
    if (DropDownHeader()->Visible())
        h += DropDownHeader()->Height;
    if (DropDownFooter()->Visible())
        h += DropDownFooter()->Height;
    if (shown)
        h += c->Height();
    form_->SetBounds(form_->Left(), form_->Top(), w, h);
}

void TPlusColorPickerDropDown::PlaceDropDownControl()
{
    TPlusCustomDropDown::PlaceDropDownControl();
    if (form_ && style_ != csList)
        form_->GripSizing = false;
}

void TPlusColorPickerDropDown::DropDownFormDestroyed()
{
    TPlusCustomDropDown::DropDownFormDestroyed();
    if (!destroying_)
        itemSelector_ = nullptr, cube_ = nullptr, spectrum_ = nullptr, colorSelector_ = nullptr;
}

void TPlusColorPickerDropDown::HideDropDown(bool Cancel)
{
    TPlusCustomDropDown::HideDropDown(Cancel);
    if (!Cancel)
        return;
    if (style_ == csList && itemSelector_)
        SetItemIndex(oldItemIndex_);
    else if (style_ == csDiscrete && colorSelector_)
        colorSelector_->SetSelectedColor(oldSelectedColor_);
}

// ---------------------------------------------------------------- picks

void TPlusColorPickerDropDown::SelectorItemSelected()
{
    SetItemIndex(itemSelector_->ItemIndex());
    if (!internalSelect_)
        HideDropDown(false);
}

void TPlusColorPickerDropDown::BoxColorSelected()
{
    SetSelectedColor(colorSelector_->SelectedColor());
    SetItemIndex(-1);
    if (!internalSelect_)
        HideDropDown(false);
}

void TPlusColorPickerDropDown::PanelColorSelected(TColor c)
{
    SetSelectedColor(c);
    SetItemIndex(-1);
    HideDropDown(false);
}

void TPlusColorPickerDropDown::SetItemIndex(int Value)
{
    if (Value >= colors_->Count())
        return;
    itemIndex_ = Value;
    if (Value >= 0)
        selectedColor_ = colors_->Items(Value)->Color();
    Invalidate();
    if (OnSelect)
        OnSelect(this);
}

void TPlusColorPickerDropDown::SetSelectedColor(TColor Value)
{
    if (Value == selectedColor_)
        return;
    selectedColor_ = Value;
    for (int i = 0; i < colors_->Count(); ++i)
        if (colors_->Items(i)->Color() == Value) {
            SetItemIndex(i);
            break;
        }
    Invalidate();
}

void TPlusColorPickerDropDown::SetShowText(bool v)
{
    if (v != showText_) {
        showText_ = v;
        Invalidate();
    }
}

void TPlusColorPickerDropDown::GetColorText(String& Text)
{
    if (style_ == csList && itemIndex_ >= 0 && itemIndex_ < colors_->Count()) {
        Text = colors_->Items(itemIndex_)->Caption();
        return;
    }
    Text = ColorValueTextOf(selectedColor_, ColorValueText);
}

// ---------------------------------------------------------------- keys and wheel

void TPlusColorPickerDropDown::SelectInList(int v)
{
    if (!itemSelector_ || v < 0 || v >= itemSelector_->Items()->Count())
        return;
    Internal([&] {
        itemSelector_->SetItemIndex(v);
        itemSelector_->ScrollIntoView(itemSelector_->ItemIndex());
    });
}

void TPlusColorPickerDropDown::SelectNext()
{
    TPlusCustomDropDown::SelectNext();
    if (!Enabled() || ReadOnly())
        return;
    if (style_ == csList && itemSelector_) {
        if (IsDroppedDown())
            itemSelector_->HotNext();
        else
            Internal([&] { itemSelector_->SelectNext(); });
    } else if (style_ == csDiscrete && colorSelector_) {
        if (IsDroppedDown())
            colorSelector_->HotNextBox();
        else
            Internal([&] { colorSelector_->SelectNextBox(); });
    }
}

void TPlusColorPickerDropDown::SelectPrevious()
{
    TPlusCustomDropDown::SelectPrevious();
    if (!Enabled() || ReadOnly())
        return;
    if (style_ == csList && itemSelector_) {
        if (IsDroppedDown())
            itemSelector_->HotPrevious();
        else
            Internal([&] { itemSelector_->SelectPrevious(); });
    } else if (style_ == csDiscrete && colorSelector_) {
        if (IsDroppedDown())
            colorSelector_->HotPreviousBox();
        else
            Internal([&] { colorSelector_->SelectPreviousBox(); });
    }
}

void TPlusColorPickerDropDown::ListKey(WORD key, bool picked)
{
    TPlusCustomItemSelector* s = itemSelector_;
    const bool open = IsDroppedDown();
    const int count = colors_->Count();
    auto visible = [&] {
        if (s->Items()->Count() != count)
            LoadSelector();
        return s->VisibleItemCount();
    };
    // the list's own stepping while the pop-up is closed
    auto step = [&](int delta) {
        if (count == 0)
            return;
        if (itemIndex_ < 0)
            SetItemIndex(0);
        else if (itemIndex_ + delta >= 0 && itemIndex_ + delta < count)
            SetItemIndex(itemIndex_ + delta);
    };
    switch (key) {
    case VK_RETURN:
        if (!picked && OnSelect)
            OnSelect(this);
        break;
    case VK_PRIOR: {
        const int n = visible();
        if (n >= 1)
            SelectInList(std::max(s->ItemIndex() - n, 0));
        break;
    }
    case VK_NEXT: {
        const int n = visible();
        const int v = std::min(s->ItemIndex() + n, count - 1);
        if (n >= 1 && v >= 0)
            SelectInList(v);
        break;
    }
    case VK_END:
        if (open)
            Internal([&] { s->SelectLast(); });
        else if (count > 0)
            SetItemIndex(count - 1);
        break;
    case VK_HOME:
        if (open)
            Internal([&] { s->SelectFirst(); });
        else if (count > 0)
            SetItemIndex(0);
        break;
    case VK_LEFT:
        if (open && !EditorEnabled())
            Internal([&] { s->SelectPrevious(); });
        break;
    case VK_RIGHT:
        if (open && !EditorEnabled())
            Internal([&] { s->SelectNext(); });
        break;
    case VK_UP:
        if (open)
            SelectInList(s->ItemIndex() < 0 ? 0 : s->ItemIndex() - Columns);
        else
            step(-1);
        break;
    case VK_DOWN:
        if (open)
            SelectInList(s->ItemIndex() < 0 ? 0 : s->ItemIndex() + Columns);
        else
            step(1);
        break;
    default:
        if (GetKeyState(VK_CONTROL) >= 0 && key >= 0x20 && key < 0x80) {
            const String& text = typeAhead_.Add(char(key));
            Internal([&] { s->SelectByText(text); });
        }
        break;
    }
}

void TPlusColorPickerDropDown::Dispatch(TMessage& m)
{
    if (m.Msg != WM_KEYDOWN) {
        TPlusCustomDropDown::Dispatch(m);
        return;
    }
    const WORD key = WORD(m.WParam);
    bool picked = false;
    if (key == VK_RETURN && Enabled() && IsDroppedDown()) {
        if (style_ == csList && itemSelector_ && itemSelector_->GetItemHot() >= 0) {
            itemSelector_->SetItemIndex(itemSelector_->GetItemHot());
            picked = true;
        } else if (style_ == csDiscrete && colorSelector_ && colorSelector_->ItemHot() >= 0) {
            colorSelector_->SelectBox(colorSelector_->ItemHot());
            picked = true;
        }
    }
    const auto life = Life();
    EditKeyDown(m);
    if (!*life || !Enabled() || GetKeyState(VK_MENU) < 0)
        return;
    if (style_ == csList && itemSelector_) {
        ListKey(key, picked);
    } else if (style_ == csDiscrete && colorSelector_) {
        Internal([&] { colorSelector_->HandleSelectorKey(key, EditorEnabled(), IsDroppedDown()); });
        if (key == VK_RETURN && !picked && OnSelect)
            OnSelect(this);
    }
}

// ---------------------------------------------------------------- looks

void TPlusColorPickerDropDown::PaintWindow(HDC dc)
{
    TPlusCustomDropDown::PaintWindow(dc);
    DrawSelectedColor(dc);
}

void TPlusColorPickerDropDown::DrawSelectedColor(HDC dc)
{
    TCanvas c;
    c.SetHandle(dc);
    const TRect v(1, 1, Width() - DropDownButtonWidth() - 2, Height() - 2);
    if (OnDrawSelectedColor) {
        OnDrawSelectedColor(this, &c, v);
    } else if (selectedColor_ != clNone) {
        const int top = v.Top + (Height() - ColorBoxHeight) / 2;
        const TRect box(v.Left + 4, top, v.Left + 4 + ColorBoxWidth, top + ColorBoxHeight);
        c.Pen->Color = clBlack;
        c.Brush->Style = bsSolid;
        c.Brush->Color = selectedColor_;
        c.Rectangle(box);
        if (showText_) {
            c.Font->Assign(Font());
            const bool focusLook = Focused();
            if (!EditorEnabled() && focusLook)
                c.Font->Color = clHighlightText;
            String text;
            GetColorText(text);
            RECT r{box.Right + 4, v.Top, v.Right, v.Bottom};
            c.Brush->Color = focusLook ? TColor(clHighlight) : Color();
            c.RequiredState();
            SetBkColor(dc, ColorToColorRef(c.Brush->Color));
            SetBkMode(dc, OPAQUE);
            DrawText(dc, text.c_str(), -1, &r, DT_END_ELLIPSIS | DT_SINGLELINE | DT_VCENTER);
        }
    }
    c.SetHandle(nullptr);
}

void TPlusColorPickerDropDown::SetSelectionColorStyle(uint8_t Style)
{
    TPlusCustomDropDown::SetSelectionColorStyle(Style);
    if (itemSelector_)
        itemSelector_->ItemAppearance()->SetColorStyle(Style);
}

void TPlusColorPickerDropDown::ApplyColorStyle(uint8_t Style)
{
    TPlusCustomDropDown::ApplyColorStyle(Style);
    ApplyItemAppearanceStyle(itemAppearance_.get(), Style);
}
