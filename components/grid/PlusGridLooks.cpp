// Looks and colour styles: the ten looks of the grid, the sixteen colour styles
// (each a set of colours for fixed cells, selection, active cell, search
// footer, grid lines and sort header), the colour set that turns the grid flat
// with glyph check boxes, the adaptation to the desktop's theme, and the
// settings objects of control, progress and modified-row looks.
#include "components/grid/PlusGrid.h"

#include "components/grid/PlusStyleIF.h"

// ---------------------------------------------------------------- control look

TControlLook::TControlLook(TPlusStringGrid* grid)
    : grid_(grid), checkedGlyph_(std::make_unique<TBitmap>()), unCheckedGlyph_(std::make_unique<TBitmap>()),
      radioOnGlyph_(std::make_unique<TBitmap>()), radioOffGlyph_(std::make_unique<TBitmap>())
{
    gradient_ = {clNone, clNone,   clNone, clNone,   clGray, clWhite, clNone,
                 clNone, clSilver, clGray, clSilver, clNone, clNone,  clGray};
}

TControlLook::~TControlLook() = default;

void TControlLook::Repaint()
{
    if (grid_)
        grid_->Invalidate();
}

void TControlLook::CopyGlyph(TBitmap* own, TBitmap* value)
{
    own->Assign(value);
    Repaint();
}

void TControlLook::SetGradient(int index, TColor value, bool skipNone, bool repaint)
{
    gradient_[size_t(index)] = value;
    if (!grid_ || (skipNone && value == clNone))
        return;
    TFixedLookColors& f = grid_->FixedLookColors;
    TColor* targets[14] = {&f.From,         &f.To,        &f.MirrorFrom,      &f.MirrorTo,
                           &f.HoverFrom,    &f.HoverTo,   &f.HoverMirrorFrom, &f.HoverMirrorTo,
                           &f.HoverBorder,  &f.DownFrom,  &f.DownTo,          &f.DownMirrorFrom,
                           &f.DownMirrorTo, &f.DownBorder};
    *targets[index] = value == clNone ? clNone : ColorToRGB(value);
    if (repaint)
        grid_->Invalidate();
}

void TControlLook::SetFixedGradientFrom(TColor v)
{
    SetGradient(0, v, true, true);
}
void TControlLook::SetFixedGradientTo(TColor v)
{
    SetGradient(1, v, true, true);
}
void TControlLook::SetFixedGradientMirrorFrom(TColor v)
{
    SetGradient(2, v, false, true);
}
void TControlLook::SetFixedGradientMirrorTo(TColor v)
{
    SetGradient(3, v, false, true);
}
void TControlLook::SetFixedGradientHoverFrom(TColor v)
{
    SetGradient(4, v, true, false);
}
void TControlLook::SetFixedGradientHoverTo(TColor v)
{
    SetGradient(5, v, true, false);
}
void TControlLook::SetFixedGradientHoverMirrorFrom(TColor v)
{
    SetGradient(6, v, false, false);
}
void TControlLook::SetFixedGradientHoverMirrorTo(TColor v)
{
    SetGradient(7, v, false, false);
}
void TControlLook::SetFixedGradientHoverBorder(TColor v)
{
    SetGradient(8, v, true, false);
}
void TControlLook::SetFixedGradientDownFrom(TColor v)
{
    SetGradient(9, v, true, false);
}
void TControlLook::SetFixedGradientDownTo(TColor v)
{
    SetGradient(10, v, true, false);
}
void TControlLook::SetFixedGradientDownMirrorFrom(TColor v)
{
    SetGradient(11, v, false, false);
}
void TControlLook::SetFixedGradientDownMirrorTo(TColor v)
{
    SetGradient(12, v, false, false);
}
void TControlLook::SetFixedGradientDownBorder(TColor v)
{
    SetGradient(13, v, true, false);
}

void TControlLook::ResetColors()
{
    color_ = clBlack;
    commentColor_ = clRed;
    ProgressBorderColor = clGray;
    gradient_[0] = gradient_[1] = clNone;
    gradient_[4] = clGray;
    gradient_[5] = clWhite;
    gradient_[6] = gradient_[7] = clNone;
    gradient_[8] = clSilver;
    gradient_[9] = clGray;
    gradient_[10] = clSilver;
    gradient_[13] = clGray;
    SetFixedGradientMirrorFrom(clNone);
    SetFixedGradientMirrorTo(clNone);
    SetFixedGradientDownMirrorFrom(clNone);
    SetFixedGradientDownMirrorTo(clNone);
}

void TControlLook::Assign(TPersistent* source)
{
    auto* o = dynamic_cast<TControlLook*>(source);
    if (!o || o == this)
        return;
    checkSize_ = o->checkSize_;
    radioSize_ = o->radioSize_;
    controlStyle_ = o->controlStyle_;
    checkedGlyph_->Assign(o->checkedGlyph_.get());
    unCheckedGlyph_->Assign(o->unCheckedGlyph_.get());
    radioOnGlyph_->Assign(o->radioOnGlyph_.get());
    radioOffGlyph_->Assign(o->radioOffGlyph_.get());
    progressMarginX_ = o->progressMarginX_;
    progressMarginY_ = o->progressMarginY_;
    commentColor_ = o->commentColor_;
    color_ = o->color_;
    ProgressBorderColor = o->ProgressBorderColor;
    CheckAlwaysActive = o->CheckAlwaysActive;
    RadioAlwaysActive = o->RadioAlwaysActive;
    gradient_ = o->gradient_;
    dropDownAlwaysVisible_ = o->dropDownAlwaysVisible_;
    spinButtonsAlwaysVisible_ = o->spinButtonsAlwaysVisible_;
}

// ---------------------------------------------------------------- progress and
// modified looks

void TGridProgressAppearance::Changed()
{
    if (OnChange)
        OnChange(this);
}

void TGridProgressAppearance::Assign(TPersistent* source)
{
    auto* o = dynamic_cast<TGridProgressAppearance*>(source);
    if (!o || o == this)
        return;
    CompleteColor_ = o->CompleteColor_;
    CompleteFontColor_ = o->CompleteFontColor_;
    UnCompleteColor_ = o->UnCompleteColor_;
    UnCompleteFontColor_ = o->UnCompleteFontColor_;
    Level0Color_ = o->Level0Color_;
    Level0ColorTo_ = o->Level0ColorTo_;
    Level1Color_ = o->Level1Color_;
    Level1ColorTo_ = o->Level1ColorTo_;
    Level2Color_ = o->Level2Color_;
    Level2ColorTo_ = o->Level2ColorTo_;
    Level3Color_ = o->Level3Color_;
    Level3ColorTo_ = o->Level3ColorTo_;
    Level1Perc_ = o->Level1Perc_;
    Level2Perc_ = o->Level2Perc_;
    BorderColor_ = o->BorderColor_;
    ShowBorder_ = o->ShowBorder_;
    Stacked_ = o->Stacked_;
    ShowPercentage_ = o->ShowPercentage_;
    CompletionSmooth_ = o->CompletionSmooth_;
    ShowGradient_ = o->ShowGradient_;
    Steps_ = o->Steps_;
    Style = o->Style;
    Changed();
}

void TShowModified::Assign(TPersistent* source)
{
    if (auto* o = dynamic_cast<TShowModified*>(source); o && o != this) {
        color_ = o->color_;
        Enabled = o->Enabled;
    }
}

void TShowModified::SetColor(TColor value)
{
    color_ = value;
    if (OnChange)
        OnChange(this);
}

// ---------------------------------------------------------------- looks

void TPlusStringGrid::GetLookName(TGridLook look, String& name)
{
    static const char* const kNames[] = {"Standard", "Soft",          "Classic",   "Virel",     "Windows XP",
                                         "ListView", "Windows Vista", "Windows 7", "Office2007"};
    if (look >= glStandard && look <= glOffice2007)
        name = kNames[look];
}

void TPlusStringGrid::SetLook(TGridLook value)
{
    if (value == look_)
        return;
    look_ = value;
    const bool designing = HasState(csDesigning);
    if (value != glCustom) {
        controlLook_->SetFixedGradientMirrorFrom(clNone);
        controlLook_->SetFixedGradientMirrorTo(clNone);
        controlLook_->SetFixedGradientFrom(clNone);
        controlLook_->SetFixedGradientTo(clNone);
        FixedLookColors.From = FixedLookColors.To = FixedLookColors.MirrorFrom = FixedLookColors.MirrorTo = clNone;
        sortSettings_->SetHeaderColor(clNone);
    }
    switch (value) {
    case glVista:
        ApplyStyleColors(10);
        CurrentColorStyle = 10;
        SetSelectionLook(1);
        break;
    case glWin7:
        ApplyStyleColors(11);
        CurrentColorStyle = 11;
        SetSelectionLook(2);
        break;
    case glOffice2007:
        ApplyStyleColors(4);
        CurrentColorStyle = 4;
        SetSelectionLook(3);
        break;
    case glCustom:
        break;
    default: {
        if (!designing)
            ApplyStyleToEditors(6);
        SetSelectionLook(0);
        if (Loading())
            break;
        if (value == glStandard || value == glSoft || value == glClassic) {
            SetFixedColor(clBtnFace);
            controlLook_->SetFixedGradientFrom(clBtnFace);
            controlLook_->SetFixedGradientTo(clNone);
        } else {
            controlLook_->SetFixedGradientFrom(clWhite);
            controlLook_->SetFixedGradientTo(clBtnFace);
        }
        SetGridFixedLineColor(clGray);
        controlLook_->SetFixedGradientMirrorFrom(clNone);
        controlLook_->SetFixedGradientMirrorTo(clNone);
        FixedLookColors.MirrorFrom = FixedLookColors.MirrorTo = clNone;
        SetGridLineColor(clSilver);
        if (value == glVirel || value == glXP) {
            activeCellColor_ = TColor(0xEACAB6);
            activeCellColorTo_ = clNone;
            SetSelectionColor(TColor(0xEACAB6));
            SetSelectionColorTo(clNone);
            SetSelectionTextColor(clBlack);
            SearchFooterColor = FixedLookColors.From;
            SearchFooterColorTo = FixedLookColors.To;
            controlLook_->SetFixedGradientFrom(clWhite);
            controlLook_->SetFixedGradientTo(value == glXP ? clBtnFace : clSilver);
            controlLook_->SetFixedGradientHoverFrom(TColor(0xCFD0D1));
            controlLook_->SetFixedGradientHoverTo(TColor(0xBEC6C8));
            controlLook_->SetFixedGradientHoverMirrorFrom(TColor(0xBEC6C8));
            controlLook_->SetFixedGradientHoverMirrorTo(TColor(0xABBCBF));
            controlLook_->SetFixedGradientDownFrom(TColor(0x868788));
            controlLook_->SetFixedGradientDownTo(TColor(0x737C7E));
            controlLook_->SetFixedGradientDownMirrorFrom(TColor(0x737C7E));
            controlLook_->SetFixedGradientDownMirrorTo(TColor(0x627376));
        } else {
            activeCellColor_ = clGray;
            activeCellColorTo_ = clNone;
            SetSelectionColor(clHighlight);
            SetSelectionTextColor(clHighlightText);
            SearchFooterColor = SearchFooterColorTo = clBtnFace;
        }
        break;
    }
    }
    Invalidate();
}

void TPlusStringGrid::ApplyStyleToEditors(uint8_t style)
{
    for (auto& [styled, target] : styledEditors_)
        if (styled)
            styled->ApplyColorStyle(style);
}

void TPlusStringGrid::AddStyledEditor(IColorStyled* editor, IColorSetTarget* colorSetTarget)
{
    styledEditors_.emplace_back(editor, colorSetTarget);
}

void TPlusStringGrid::RemoveStyledEditor(IColorStyled* editor)
{
    std::erase_if(styledEditors_, [editor](const auto& e) { return e.first == editor; });
}

void TPlusStringGrid::ApplyColorStyle(uint8_t style)
{
    CurrentColorStyle = style;
    ApplyStyleColors(style);
    // the look a style sets applies its own style first: the asked one is the one kept
    CurrentColorStyle = style;
    if (!HasState(csDesigning))
        ApplyStyleToEditors(style);
}

void TPlusStringGrid::ApplyStyleColors(uint8_t style)
{
    ResetStyleColors();
    switch (style) {
    case 0:
    case 1:
    case 2: ApplyTintedXPStyle(style); break;
    case 3: ApplyWhiteXPStyle(); break;
    case 4:
    case 5:
    case 9: ApplyOffice2007LookStyle(style); break;
    case 6: ApplyButtonFaceXPStyle(); break;
    case 7: ApplyWhiteHeaderStyle(); break;
    case 10:
    case 11: ApplyVistaOrWin7Style(style == 10); break;
    case 12: SetLook(glStandard); break;
    case 13:
    case 14:
    case 15: ApplyFlatOffice2007Style(style - 13); break;
    default: break;
    }
    Invalidate();
}

void TPlusStringGrid::ResetStyleColors()
{
    SetSelectionColor(clHighlight);
    SetSelectionColorTo(clNone);
    SetSelectionTextColor(clHighlightText);
    SetSelectionLook(0);
    SetStyleSortHeader(clNone, clNone, clNone, clNone);
    controlLook_->ResetColors();
}

void TPlusStringGrid::SetStyleActiveCell(TColor from, TColor to)
{
    activeCellColor_ = from;
    activeCellColorTo_ = to;
}

void TPlusStringGrid::SetStyleFixedColors(TColor from, TColor to)
{
    FixedLookColors.From = from;
    FixedLookColors.To = to;
    FixedLookColors.MirrorFrom = FixedLookColors.MirrorTo = clNone;
}

void TPlusStringGrid::SetStyleLines(TColor grid, TColor fixed)
{
    SetGridLineColor(grid);
    SetGridFixedLineColor(fixed);
}

void TPlusStringGrid::SetStyleFooterFromFixed()
{
    SearchFooterColor = FixedLookColors.From;
    SearchFooterColorTo = FixedLookColors.MirrorTo;
}

void TPlusStringGrid::SetStyleSortHeader(TColor from, TColor to, TColor mirrorFrom, TColor mirrorTo)
{
    sortSettings_->SetHeaderColor(from);
    sortSettings_->SetHeaderColorTo(to);
    sortSettings_->SetHeaderMirrorColor(mirrorFrom);
    sortSettings_->SetHeaderMirrorColorTo(mirrorTo);
}

void TPlusStringGrid::SetStyleFixedGradient(TColor from, TColor to)
{
    controlLook_->SetFixedGradientFrom(from);
    controlLook_->SetFixedGradientTo(to);
}

void TPlusStringGrid::ApplyTintedXPStyle(int tint)
{
    static const TColor kFrom[3] = {TColor(0xFCE1CB), TColor(0xECE2E1), TColor(0xCFF0EA)};
    static const TColor kTo[3] = {TColor(0xE0A57D), TColor(0xB39698), TColor(0x8CC0B1)};
    SetLook(glXP);
    SetStyleFixedColors(kFrom[tint], kTo[tint]);
    SetStyleActiveCell(TColor(0x94E6FB), TColor(0x1595EE));
    SetStyleFixedGradient(kFrom[tint], FixedLookColors.To);
    SetStyleLines(TColor(0xC0C0C0), TColor(0x808080));
    SetStyleFooterFromFixed();
    selectionColor_ = TColor(0x94E6FB);
    selectionColorTo_ = TColor(0x1595EE);
    selectionTextColor_ = clBlack;
}

void TPlusStringGrid::ApplyWhiteXPStyle()
{
    SetLook(glXP);
    SetStyleActiveCell(TColor(0xD8D5D4), TColor(0xD8D5D4));
    SetStyleFixedColors(TColor(0xFFFFFF), TColor(0xCCD4D8));
    SetStyleFixedGradient(clNone, clNone);
    SetStyleLines(TColor(0xC0C0C0), TColor(0x808080));
    SetStyleFooterFromFixed();
}

void TPlusStringGrid::ApplyOffice2007LookStyle(int style)
{
    struct Colours {
        TColor activeFrom, activeTo, fixedFrom, fixedTo, gridLine, fixedLine, selection;
    };
    static const Colours kBlue{TColor(0x9DD8F9), TColor(0x5EC1F1), TColor(0xFBF9F6), TColor(0xE8DBD2),
                               TColor(0xF1EDEB), TColor(0xD1BBA4), TColor(0x5EC1F1)};
    static const Colours kSilver{TColor(0x9DD8F9), TColor(0x5EC1F1), TColor(0xF7F7F7), TColor(0xDEDEDE),
                                 TColor(0xE5D7D0), TColor(0x808080), TColor(0x5EC1F1)};
    static const Colours kGrey{TColor(0x99CCFF), TColor(0x699CFF), TColor(0xF3F3F1), TColor(0xCAC9C8),
                               TColor(0xE5D7D0), TColor(0x808080), TColor(0x95C7F5)};
    const Colours& c = style == 4 ? kBlue : style == 5 ? kSilver : kGrey;
    SetLook(glOffice2007);
    SetStyleActiveCell(c.activeFrom, c.activeTo);
    if (style == 9) { // the mirror colours stay
        FixedLookColors.From = c.fixedFrom;
        FixedLookColors.To = c.fixedTo;
    } else {
        SetStyleFixedColors(c.fixedFrom, c.fixedTo);
    }
    SetStyleFixedGradient(FixedLookColors.From, FixedLookColors.To);
    SetStyleLines(c.gridLine, c.fixedLine);
    SetSelectionColor(c.selection);
    SetSelectionTextColor(clBlack);
    SetStyleFooterFromFixed();
    if (style == 4)
        SetOffice2007BlueHeaderStates();
}

void TPlusStringGrid::SetOffice2007BlueHeaderStates()
{
    TControlLook* cl = controlLook_.get();
    cl->SetFixedGradientHoverFrom(TColor(0xE4E2DF));
    cl->SetFixedGradientHoverTo(TColor(0xDBD3CD));
    cl->SetFixedGradientHoverMirrorFrom(TColor(0xDBD3CD));
    cl->SetFixedGradientHoverMirrorTo(TColor(0xD2C5BC));
    cl->SetFixedGradientHoverBorder(TColor(0xB79F87));
    cl->SetFixedGradientDownFrom(TColor(0xE4C19D));
    cl->SetFixedGradientDownTo(TColor(0xE4C19D));
    cl->SetFixedGradientDownMirrorFrom(TColor(0xE4C19D));
    cl->SetFixedGradientDownMirrorTo(TColor(0xE4C19D));
    cl->SetFixedGradientDownBorder(TColor(0xE4C19D));
    if (look_ == glOffice2007)
        SetSelectionLook(3);
}

void TPlusStringGrid::ApplyButtonFaceXPStyle()
{
    SetLook(glXP);
    SetStyleActiveCell(clBtnFace, clBtnFace);
    SetStyleFixedColors(clBtnFace, clBtnFace);
    SetStyleFixedGradient(clNone, clNone);
    SetStyleLines(TColor(0xC0C0C0), TColor(0x808080));
    SetStyleFooterFromFixed();
}

void TPlusStringGrid::ApplyWhiteHeaderStyle()
{
    SetStyleActiveCell(TColor(0x94E6FB), TColor(0x1595EE));
    SetStyleFixedColors(TColor(0xFFFFFF), clBtnFace);
    SetStyleFixedGradient(clNone, clNone);
    SetStyleLines(TColor(0xC0C0C0), TColor(0x808080));
    SetStyleFooterFromFixed();
}

void TPlusStringGrid::ApplyVistaOrWin7Style(bool vista)
{
    SetLook(vista ? glVista : glWin7);
    SetVistaOrWin7FixedColors(vista);
    SetStyleSortHeader(TColor(0xFCF9F2), TColor(0xFCF9F2), TColor(0xF9F1E1), TColor(0xF6ECD8));
    if (vista)
        SetStyleActiveCell(TColor(0xFDF8F1), TColor(0xFCEFD5));
    else
        SetStyleActiveCell(TColor(0xFCEBDC), TColor(0xFCDBC1));
    // the gradient setters only write the fixed-look colours: the grid keeps them
    SetStyleFixedGradient(clNone, clNone);
    SetSelectionColor(TColor(0xEACAB6));
    SetSelectionTextColor(clBlack);
    SetStyleFooterFromFixed();
    SetSelectionLook(vista ? 1 : 2);
    SetStyleLines(TColor(0xECECF0), TColor(0xD4D2D1));
}

void TPlusStringGrid::SetVistaOrWin7FixedColors(bool vista)
{
    TFixedLookColors& flc = FixedLookColors;
    if (vista) {
        flc.From = flc.To = TColor(0xFFFFFF);
        flc.MirrorFrom = TColor(0xFAF8F7);
        flc.MirrorTo = TColor(0xF4F2F1);
        flc.HoverFrom = flc.HoverTo = TColor(0xFFF7E3);
        flc.HoverMirrorFrom = TColor(0xFFEDBD);
        flc.HoverMirrorTo = TColor(0xFBE7B7);
        flc.HoverBorder = TColor(0xE3C993);
    } else {
        flc.From = TColor(0xFDFCFA);
        flc.To = TColor(0xFAF0E6);
        flc.MirrorFrom = TColor(0xF4E6DC);
        flc.MirrorTo = TColor(0xF7E9DD);
        flc.HoverFrom = TColor(0xFDF8F3);
        flc.HoverTo = TColor(0xF9F3EF);
        flc.HoverMirrorFrom = flc.HoverMirrorTo = clNone;
        flc.HoverBorder = TColor(0xEEE8E3);
    }
    const TFixedLookColors copy = flc;
    TControlLook* cl = controlLook_.get();
    SetStyleFixedGradient(copy.From, copy.To);
    cl->SetFixedGradientMirrorFrom(copy.MirrorFrom);
    cl->SetFixedGradientMirrorTo(copy.MirrorTo);
    // hover, hover mirror and pressed: Vista's hover colours are its fixed-look ones
    const TColor vistaStates[9] = {copy.HoverFrom,    copy.HoverTo,      copy.HoverMirrorFrom,
                                   copy.HoverMirrorTo, TColor(0xF9E4BC), TColor(0xF9E4BC),
                                   TColor(0xF7D68D),   TColor(0xF5D18A), TColor(0xAE904F)};
    const TColor win7States[9] = {TColor(0xFEFBF8), TColor(0xFAF2ED), TColor(0xF4E4D7),
                                  TColor(0xE8D2C1), TColor(0xF1E8DD), TColor(0xF1E4D8),
                                  TColor(0xECDBCF), TColor(0xEDDCCF), TColor(0xD5BCAA)};
    const TColor* s = vista ? vistaStates : win7States;
    cl->SetFixedGradientHoverFrom(s[0]);
    cl->SetFixedGradientHoverTo(s[1]);
    cl->SetFixedGradientHoverMirrorFrom(s[2]);
    cl->SetFixedGradientHoverMirrorTo(s[3]);
    cl->SetFixedGradientDownFrom(s[4]);
    cl->SetFixedGradientDownTo(s[5]);
    cl->SetFixedGradientDownMirrorFrom(s[6]);
    cl->SetFixedGradientDownMirrorTo(s[7]);
    cl->SetFixedGradientDownBorder(s[8]);
}

void TPlusStringGrid::ApplyFlatOffice2007Style(int shade)
{
    static const TColor kFixed[3] = {TColor(0xF5E7DA), TColor(0xE8E3DF), TColor(0x6A6A6A)};
    static const TColor kSortHeader[3] = {TColor(0xD6CEC7), TColor(0xAAAAAA), TColor(0xBABABA)};
    static const TColor kFixedLine[3] = {TColor(0xC7B0A0), TColor(0xBAB5B1), TColor(0x444444)};
    TFixedLookColors& flc = FixedLookColors;
    SetLook(glOffice2007);
    flc.From = flc.To = flc.MirrorFrom = flc.MirrorTo = kFixed[shade];
    flc.HoverFrom = flc.HoverTo = flc.HoverMirrorFrom = flc.HoverMirrorTo = flc.HoverBorder = clNone;
    const TFixedLookColors copy = flc;
    TControlLook* cl = controlLook_.get();
    SetStyleFixedGradient(kFixed[shade], copy.To);
    cl->SetFixedGradientMirrorFrom(copy.MirrorFrom);
    cl->SetFixedGradientMirrorTo(copy.MirrorTo);
    cl->SetFixedGradientHoverFrom(TColor(0x6BDFFF));
    cl->SetFixedGradientHoverTo(TColor(0xAFEFFF));
    cl->SetFixedGradientHoverMirrorFrom(TColor(0xAFEFFF));
    cl->SetFixedGradientHoverMirrorTo(TColor(0xE6FCFF));
    cl->SetFixedGradientHoverBorder(TColor(0x3ABFE8));
    cl->SetFixedGradientDownFrom(TColor(0x5BD5FF));
    cl->SetFixedGradientDownTo(TColor(0x64E0FF));
    cl->SetFixedGradientDownMirrorFrom(TColor(0x64E0FF));
    cl->SetFixedGradientDownMirrorTo(TColor(0x71EFFF));
    cl->SetFixedGradientDownBorder(TColor(0x308AC2));
    SetStyleSortHeader(kSortHeader[shade], kSortHeader[shade], kSortHeader[shade], kSortHeader[shade]);
    SetStyleActiveCell(TColor(0x5BD5FF), TColor(0x71EFFF));
    SetStyleFixedGradient(clNone, clNone);
    SetSelectionColor(TColor(0xFFDBB7));
    SetSelectionTextColor(clBlack);
    SetStyleFooterFromFixed();
    SetSelectionLook(0);
    SetStyleLines(TColor(0xC0C0C0), kFixedLine[shade]);
}

namespace {

// The flat look's glyphs, drawn here: a 15-pixel box or a 12-pixel circle in the flat look's
// grey and blue, on the transparent colour of the top-left pixel.
void LoadFlatGlyph(TBitmap* bitmap, const String& /*name*/, bool radio, bool on)
{
    const int size = radio ? 12 : 15;
    const TColor blue = RGB(0x2B, 0x57, 0x9A);
    const TColor frame = on ? blue : RGB(0x8A, 0x8A, 0x8A);
    bitmap->SetSize(size, size);
    TCanvas* canvas = bitmap->Canvas();
    canvas->Brush->Color = RGB(255, 0, 255);
    canvas->FillRect(TRect(0, 0, size, size));
    canvas->Pen->Color = frame;
    canvas->Pen->Width = 1;
    if (radio) {
        canvas->Brush->Color = clWhite;
        canvas->Ellipse(1, 1, size - 1, size - 1);
        if (on) {
            canvas->Brush->Color = frame;
            canvas->Ellipse(3, 3, size - 3, size - 3);
        }
    } else {
        canvas->Brush->Color = on ? blue : clWhite;
        canvas->Rectangle(1, 1, size - 1, size - 1);
        if (on) {
            canvas->Pen->Color = clWhite;
            canvas->Pen->Width = 2;
            canvas->MoveTo(4, 7);
            canvas->LineTo(6, 10);
            canvas->LineTo(11, 4);
        }
    }
}

} // namespace

void TPlusStringGrid::ApplyColorSet(const TControlColorSet& colors)
{
    GridColorSet = colors;
    SetFlat(true);
    SetLook(glClassic);
    SetFixedColor(colors.Colors[3]);
    fixedFont_->Color = colors.Colors[5];
    fixedFont_->Name = "Segoe UI";
    SetColor(colors.Colors[0]);
    Font()->Name = "Segoe UI";
    Font()->Color = colors.Colors[2];
    SetSelectionColor(colors.Colors[6]);
    SetSelectionTextColor(colors.Colors[8]);
    SetSelectionColorTo(clNone);
    SetGridLineColor(TColor(230 | (230 << 8) | (230 << 16)));
    SetGridFixedLineColor(ScaleColorPercent(colors.Colors[3], -20));
    controlLook_->SetControlStyle(csGlyph);
    LoadFlatGlyph(controlLook_->CheckedGlyph(), "metrocheckon", false, true);
    LoadFlatGlyph(controlLook_->UnCheckedGlyph(), "metrocheckoff", false, false);
    LoadFlatGlyph(controlLook_->RadioOffGlyph(), "metroradiooff", true, false);
    LoadFlatGlyph(controlLook_->RadioOnGlyph(), "metroradioon", true, true);
    for (auto& [styled, target] : styledEditors_)
        if (target)
            target->ApplyColorSet(GridColorSet);
    controlLook_->SetFlatButton(true);
    Invalidate();
}

void TPlusStringGrid::AdaptToOfficeTheme()
{
    if (HasState(csDesigning))
        return;
    const int t = ThemeForTest >= 0 ? ThemeForTest : GetSystemStyleTheme();
    if (t == AdaptedTheme)
        return;
    static const uint8_t kStyles[10] = {0, 1, 2, 3, 4, 9, 5, 13, 14, 15};
    if (t >= 0 && t <= 9)
        ApplyColorStyle(kStyles[t]);
    AdaptedTheme = BYTE(t);
}

void TPlusStringGrid::SetAutoThemeAdapt(bool value)
{
    autoThemeAdapt_ = value;
    if (value && !Loading())
        AdaptToOfficeTheme();
}
