#include "components/grid/PlusObj.h"

#include "platform/framework/Menus.h"

#include "components/grid/DrawRoutines.h"
#include "components/grid/PlusXPVS.h"
#include "platform/win/WinFrameControl.h"
#include "platform/win/WinLayered.h"
#include "platform/win/WinVersion.h"
#include "platform/win/WinWindow.h"

#include <algorithm>
#include <cstring>
#include <cmath>

#include "platform/rtl/Classes.h"

// ---------------------------------------------------------------- TIntList

TIntList::TIntList(int Col, int Row)
    : CellCol(Col), CellRow(Row)
{
}

void TIntList::CheckIndex(int index) const
{
    if (index < 0 || index >= Count())
        throw EListError(Format("List index out of bounds (%d)", {index}));
}

void TIntList::Changed()
{
    if (OnListChange)
        OnListChange(this, CellCol, CellRow);
}

int TIntList::GetItem(int index) const
{
    CheckIndex(index);
    return items_[static_cast<size_t>(index)];
}

void TIntList::SetItem(int index, int value)
{
    CheckIndex(index);
    items_[static_cast<size_t>(index)] = value;
    Changed();
}

int TIntList::Add(int value)
{
    items_.push_back(value);
    Changed();
    return Count() - 1;
}

void TIntList::Delete(int index)
{
    CheckIndex(index);
    items_.erase(items_.begin() + index);
    Changed();
}

void TIntList::Insert(int index, int value)
{
    if (index < 0 || index > Count())
        throw EListError(Format("List index out of bounds (%d)", {index}));
    items_.insert(items_.begin() + index, value);
}

void TIntList::RemoveValue(int value)
{
    for (int i = 0; i < Count(); ++i) {
        if (items_[static_cast<size_t>(i)] == value) {
            Delete(i);
            return;
        }
    }
}

bool TIntList::HasValue(int value) const
{
    for (int32_t v : items_)
        if (v == value)
            return true;
    return false;
}

String TIntList::GetCommaText() const
{
    String text;
    for (size_t i = 0; i < items_.size(); ++i) {
        if (i > 0)
            text += ',';
        text += IntToStr(items_[i]);
    }
    return text;
}

void TIntList::SetCommaText(const String& text)
{
    TStringList parts;
    parts.SetCommaText(text);
    items_.clear();
    for (int i = 0; i < parts.Count(); ++i)
        Add(StrToInt(parts[i]));
}

// ---------------------------------------------------------------- TSortIndexList

namespace {

constexpr uint32_t kSortKeyDescendingBit = 0x80000000u;

int32_t ColumnOf(int32_t entry)
{
    return static_cast<int32_t>(static_cast<uint32_t>(entry) & ~kSortKeyDescendingBit);
}

} // namespace

void TSortIndexList::AddIndex(int column, bool ascending)
{
    uint32_t entry = static_cast<uint32_t>(column) & ~kSortKeyDescendingBit;
    if (!ascending)
        entry |= kSortKeyDescendingBit;
    Add(static_cast<int32_t>(entry));
}

int TSortIndexList::IndexOfColumn(int column) const
{
    for (int i = 0; i < Count(); ++i)
        if (ColumnOf(GetItem(i)) == column)
            return i;
    return -1;
}

int TSortIndexList::ColumnAt(int position) const
{
    return ColumnOf(GetItem(position));
}

bool TSortIndexList::AscendingAt(int position) const
{
    return (static_cast<uint32_t>(GetItem(position)) & kSortKeyDescendingBit) == 0;
}

void TSortIndexList::ToggleDirection(int column)
{
    const int i = IndexOfColumn(column);
    if (i < 0)
        return;
    SetItem(i, static_cast<int32_t>(static_cast<uint32_t>(GetItem(i)) ^ kSortKeyDescendingBit));
}

// ---------------------------------------------------------------- TControlList

TControlList::~TControlList()
{
    while (Count() > 0)
        Delete(0);
}

void TControlList::AddControl(int col, int row, TControl* control)
{
    items_.push_back(std::make_unique<TControlItem>(col, row, control));
}

TControlItem* TControlList::ItemAt(int index) const
{
    if (index < 0 || index >= Count())
        throw EListError(Format("List index out of bounds (%d)", {index}));
    return items_[static_cast<size_t>(index)].get();
}

void TControlList::Delete(int index)
{
    ItemAt(index);
    items_.erase(items_.begin() + index);
}

// ---------------------------------------------------------------- TFilePicture

void TFilePicture::SetFilename(const String& value)
{
    filename_ = value;
    TPicture picture;
    picture.LoadFromFile(value);
    width_ = picture.Width();
    height_ = picture.Height();
}

void TFilePicture::Draw(TCanvas* Canvas, const TRect& r)
{
    if (filename_.empty())
        return;
    TPicture picture;
    picture.LoadFromFile(filename_);
    Canvas->StretchDraw(r, picture.Graphic());
}

void TFilePicture::Assign(TPersistent* Source)
{
    const auto* s = dynamic_cast<const TFilePicture*>(Source);
    if (!s) {
        TPersistent::Assign(Source);
        return;
    }
    filename_ = s->filename_;
    width_ = s->width_;
    height_ = s->height_;
}

// ---------------------------------------------------------------- TSearchFooter

TSearchFooter::TSearchFooter(TComponent* AOwner, bool WithCaptions)
    : font_(std::make_unique<TFont>())
{
    (void)AOwner; // not stored
    if (!WithCaptions)
        return;
    findPrevCaption_ = "Find &previous";
    findNextCaption_ = "Find &next";
    matchCaseCaption_ = "Match case";
    highLightCaption_ = "Highlight";
    hintClose_ = "Close";
    hintFindNext_ = "Find next occurrence";
    hintFindPrev_ = "Find previous occurrence";
    hintHighlight_ = "Highlight occurrences";
}

TSearchFooter::~TSearchFooter() = default;

void TSearchFooter::Changed()
{
    if (OnChange)
        OnChange(this);
}

void TSearchFooter::SetText(String& field, const String& value)
{
    field = value;
    Changed();
}

void TSearchFooter::SetSwitch(bool& field, bool value)
{
    if (field == value)
        return;
    field = value;
    Changed();
}

void TSearchFooter::SetColor(TColor value)
{
    color_ = value;
    Changed();
}

void TSearchFooter::SetColorTo(TColor value)
{
    colorTo_ = value;
    Changed();
}

void TSearchFooter::SetFont(TFont* value)
{
    font_->Assign(value);
    Changed();
}

void TSearchFooter::SetFindNextCaption(const String& value) { SetText(findNextCaption_, value); }
void TSearchFooter::SetFindPrevCaption(const String& value) { SetText(findPrevCaption_, value); }
void TSearchFooter::SetMatchCaseCaption(const String& value) { SetText(matchCaseCaption_, value); }
void TSearchFooter::SetHighLightCaption(const String& value) { SetText(highLightCaption_, value); }
void TSearchFooter::SetHintClose(const String& value) { SetText(hintClose_, value); }
void TSearchFooter::SetHintFindNext(const String& value) { SetText(hintFindNext_, value); }
void TSearchFooter::SetHintFindPrev(const String& value) { SetText(hintFindPrev_, value); }
void TSearchFooter::SetHintHighlight(const String& value) { SetText(hintHighlight_, value); }

void TSearchFooter::SetShowClose(bool value)
{
    showClose_ = value;
    Changed();
}

void TSearchFooter::SetAutoThemeAdapt(bool value)
{
    autoThemeAdapt_ = value;
    Changed();
}

void TSearchFooter::SetShowFindNext(bool value) { SetSwitch(showFindNext_, value); }
void TSearchFooter::SetShowFindPrev(bool value) { SetSwitch(showFindPrev_, value); }
void TSearchFooter::SetShowHighLight(bool value) { SetSwitch(showHighLight_, value); }
void TSearchFooter::SetShowMatchCase(bool value) { SetSwitch(showMatchCase_, value); }
void TSearchFooter::SetVisible(bool value) { SetSwitch(visible_, value); }

void TSearchFooter::Assign(TPersistent* Source)
{
    const auto* s = dynamic_cast<const TSearchFooter*>(Source);
    if (!s || s == this)
        return;
    AlwaysHighLight = s->AlwaysHighLight;
    color_ = s->color_;
    colorTo_ = s->colorTo_;
    findNextCaption_ = s->findNextCaption_;
    findPrevCaption_ = s->findPrevCaption_;
    matchCaseCaption_ = s->matchCaseCaption_;
    highLightCaption_ = s->highLightCaption_;
    hintClose_ = s->hintClose_;
    hintFindNext_ = s->hintFindNext_;
    hintFindPrev_ = s->hintFindPrev_;
    hintHighlight_ = s->hintHighlight_;
    showClose_ = s->showClose_;
    showFindNext_ = s->showFindNext_;
    showFindPrev_ = s->showFindPrev_;
    showHighLight_ = s->showHighLight_;
    showMatchCase_ = s->showMatchCase_;
    SearchActiveColumnOnly = s->SearchActiveColumnOnly;
    SearchMatchStart = s->SearchMatchStart;
    SearchColumn = s->SearchColumn;
    SearchDirection = s->SearchDirection;
    SearchHiddenRows = s->SearchHiddenRows;
    visible_ = s->visible_;
    font_->Assign(s->font_.get());
}

// ---------------------------------------------------------------- TNavigation

void TNavigation::SettingsChanged()
{
    if (OnSettingsChange)
        OnSettingsChange(this);
}

void TNavigation::SetAdvanceDirection(TAdvanceDirection value)
{
    if (value == advanceDirection_)
        return;
    advanceDirection_ = value;
    SettingsChanged();
}

void TNavigation::SetAdvanceInsert(bool value)
{
    if (value == advanceInsert_)
        return;
    advanceInsert_ = value;
    SettingsChanged();
}

void TNavigation::SetAdvanceAuto(bool value)
{
    if (value == advanceAuto_)
        return;
    advanceAuto_ = value;
    if (value)
        AdvanceOnEnter = true;
}

void TNavigation::Assign(TPersistent* Source)
{
    const auto* s = dynamic_cast<const TNavigation*>(Source);
    if (!s)
        return;
    const bool keepScrollOnSort = KeepScrollOnSort;
    TNotifyEvent onSettingsChange = OnSettingsChange;
    *this = *s;
    KeepScrollOnSort = keepScrollOnSort;
    OnSettingsChange = onSettingsChange;
}

// ---------------------------------------------------------------- TMouseActions

TMouseActions::TMouseActions(TComponent* AOwner)
{
    (void)AOwner; // not stored
}

void TMouseActions::SetHotmailRowSelect(bool value)
{
    hotmailRowSelect_ = value;
    if (value) {
        disjunctRowSelect_ = true;
        CheckAllCheck = true;
    }
    if (OnHotmailSelectChange)
        OnHotmailSelectChange(this);
}

void TMouseActions::SetEditOnDblClickOnly(bool value)
{
    editOnDblClickOnly_ = value;
    if (value && OnEditOnDblClickOnlySet)
        OnEditOnDblClickOnlySet(this);
}

bool TMouseActions::Designing()
{
    bool designing = false;
    if (OnQueryDesigning)
        OnQueryDesigning(this, designing);
    return designing;
}

void TMouseActions::SetDisjunct(bool& field, bool value, bool& other1, bool& other2)
{
    field = value;
    if (value && Designing()) {
        other1 = false;
        other2 = false;
    }
}

void TMouseActions::SetDisjunctRowSelect(bool value)
{
    SetDisjunct(disjunctRowSelect_, value, disjunctColSelect_, disjunctCellSelect_);
}

void TMouseActions::SetDisjunctColSelect(bool value)
{
    SetDisjunct(disjunctColSelect_, value, disjunctRowSelect_, disjunctCellSelect_);
}

void TMouseActions::SetDisjunctCellSelect(bool value)
{
    SetDisjunct(disjunctCellSelect_, value, disjunctRowSelect_, disjunctColSelect_);
}

void TMouseActions::SetWheelAction(TWheelAction value)
{
    if (value == wheelAction_)
        return;
    wheelAction_ = value;
    if (OnSettingsChange)
        OnSettingsChange(this);
}

void TMouseActions::Assign(TPersistent* Source)
{
    const auto* s = dynamic_cast<const TMouseActions*>(Source);
    if (!s || s == this)
        return;
    // the hooks belong to the owning grid, and three settings are not copied
    const bool editOnDblClickOnly = editOnDblClickOnly_;
    const bool hotmailRowSelect = hotmailRowSelect_;
    const bool sizeFixedRow = SizeFixedRow;
    TNotifyEvent onSettingsChange = OnSettingsChange;
    TNotifyEvent onHotmailSelectChange = OnHotmailSelectChange;
    TQueryDesigningEvent onQueryDesigning = OnQueryDesigning;
    TNotifyEvent onEditOnDblClickOnlySet = OnEditOnDblClickOnlySet;
    *this = *s;
    editOnDblClickOnly_ = editOnDblClickOnly;
    hotmailRowSelect_ = hotmailRowSelect;
    SizeFixedRow = sizeFixedRow;
    OnSettingsChange = onSettingsChange;
    OnHotmailSelectChange = onHotmailSelectChange;
    OnQueryDesigning = onQueryDesigning;
    OnEditOnDblClickOnlySet = onEditOnDblClickOnlySet;
}

// ---------------------------------------------------------------- TSyncGrid

void TSyncGrid::SetGrid(TStringGrid* value)
{
    if (value != nullptr && value == owner_)
        return;
    grid_ = value;
}

void TSyncGrid::Assign(TPersistent* Source)
{
    const auto* s = dynamic_cast<const TSyncGrid*>(Source);
    if (!s)
        return;
    SetGrid(s->grid_);
    ScrollVertical = s->ScrollVertical;
    ScrollHorizontal = s->ScrollHorizontal;
    SelectionColumn = s->SelectionColumn;
    SelectionRow = s->SelectionRow;
    MoveColumn = s->MoveColumn;
    MoveRow = s->MoveRow;
}

// ---------------------------------------------------------------- TBands

void TBands::ChangedWhileActive()
{
    if (active_ && OnChange)
        OnChange(this);
}

void TBands::SetActive(bool value)
{
    if (value == active_)
        return;
    active_ = value;
    if (OnChange)
        OnChange(this);
}

void TBands::SetPrimaryColor(TColor value)
{
    if (value == primaryColor_)
        return;
    primaryColor_ = value;
    ChangedWhileActive();
}

void TBands::SetSecondaryColor(TColor value)
{
    if (value == secondaryColor_)
        return;
    secondaryColor_ = value;
    ChangedWhileActive();
}

void TBands::SetPrimaryLength(int value)
{
    if (value == primaryLength_)
        return;
    primaryLength_ = value;
    bandPeriod_ = primaryLength_ + secondaryLength_;
    ChangedWhileActive();
}

void TBands::SetSecondaryLength(int value)
{
    if (value == secondaryLength_)
        return;
    secondaryLength_ = value;
    bandPeriod_ = primaryLength_ + secondaryLength_;
    ChangedWhileActive();
}

bool TBands::IsPrimaryRow(int r) const
{
    if (bandPeriod_ <= 0)
        return true;
    int m = r % bandPeriod_;
    if (m < 0)
        m += bandPeriod_;
    return m < primaryLength_;
}

void TBands::Assign(TPersistent* Source)
{
    const auto* s = dynamic_cast<const TBands*>(Source);
    if (!s)
        return;
    active_ = s->active_;
    primaryColor_ = s->primaryColor_;
    primaryLength_ = s->primaryLength_;
    secondaryColor_ = s->secondaryColor_;
    secondaryLength_ = s->secondaryLength_;
    Print = s->Print;
    bandPeriod_ = primaryLength_ + secondaryLength_;
}

// ---------------------------------------------------------------- TFocusHelper

void TFocusHelper::Assign(TPersistent* Source)
{
    if (const auto* s = dynamic_cast<const TFocusHelper*>(Source))
        Enabled = s->Enabled;
}

// ---------------------------------------------------------------- grid button

namespace {

int RoundEven(double v)
{
    return int(std::nearbyint(v));
}

bool ThemesActive()
{
    const TThemeAPI& api = PlusXPVS().API();
    return PlusXPVS().Bound() && api.IsThemeActive && api.IsThemeActive() != 0;
}

void ThemedPart(HWND window, HDC dc, const char16_t* cls, int part, int state, const TRect& r)
{
    const TThemeAPI& api = PlusXPVS().API();
    HTHEME theme = api.OpenThemeData(window, cls);
    const RECT rr = r;
    api.DrawThemeBackground(theme, dc, part, state, &rr, nullptr);
    api.CloseThemeData(theme);
}

void RectOutline(TCanvas* c, const TRect& r, TColor pen)
{
    c->Pen->Color = pen;
    c->Brush->Style = bsClear;
    c->Rectangle(r);
    c->Brush->Style = bsSolid;
}

String StripAccelerator(const String& caption)
{
    String out;
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size())
            ++i;
        out += caption[i];
    }
    return out;
}

} // namespace

void DrawButtonGradient(TCanvas* Canvas, TColor From, TColor To, bool Horizontal, TRect R, int Steps, TColor Border)
{
    if (!Canvas)
        return;
    if (Steps <= 0)
        Steps = 1;
    const COLORREF from = ColorToColorRef(From), to = ColorToColorRef(To);
    const double dr = (int(GetRValue(to)) - int(GetRValue(from))) / double(Steps);
    const double dg = (int(GetGValue(to)) - int(GetGValue(from))) / double(Steps);
    const double db = (int(GetBValue(to)) - int(GetBValue(from))) / double(Steps);
    const double s = (Horizontal ? R.Right - R.Left : R.Bottom - R.Top) / double(Steps);
    Canvas->Brush->Style = bsSolid;
    for (int i = 0; i < Steps; ++i) {
        const TColor c = TColor(RGB(std::clamp(GetRValue(from) + RoundEven(i * dr), 0, 255),
                                    std::clamp(GetGValue(from) + RoundEven(i * dg), 0, 255),
                                    std::clamp(GetBValue(from) + RoundEven(i * db), 0, 255)));
        Canvas->Pen->Color = c;
        Canvas->Brush->Color = c;
        const int o = uint16_t(RoundEven(i * s));
        if (Horizontal)
            Canvas->Rectangle(R.Left + o, R.Top, R.Left + o + RoundEven(s) + 1, R.Bottom);
        else
            Canvas->Rectangle(R.Left, R.Top + o, R.Right, R.Top + o + RoundEven(s) + 1);
    }
    if (Border != clNone)
        RectOutline(Canvas, R, Border);
}

int GetGridButtonXPScheme()
{
    if (!ThemesActive() || !PlusXPVS().API().GetCurrentThemeName)
        return 0;
    char16_t file[256] = {}, color[256] = {}, size[256] = {};
    if (PlusXPVS().API().GetCurrentThemeName(file, 255, color, 255, size, 255) != S_OK)
        return 0;
    const std::u16string scheme(color);
    if (scheme == u"NormalColor")
        return 1;
    if (scheme == u"HomeStead")
        return 2;
    if (scheme == u"Metallic")
        return 3;
    return 0;
}

TPlusGridButton::TPlusGridButton(TComponent* AOwner)
    : TGraphicControl(AOwner), glyph_(std::make_unique<TBitmap>()), glyphHot_(std::make_unique<TBitmap>()),
      glyphDown_(std::make_unique<TBitmap>()), glyphDisabled_(std::make_unique<TBitmap>()),
      shade_(std::make_unique<TBitmap>())
{
    SetBounds(Left(), Top(), 23, 22);
    ParentFont = true;
    ControlStyle >> csClickEvents; // the button fires Click itself
    TControl::SetColor(clBtnFace);
}

TPlusGridButton::~TPlusGridButton() = default;

void TPlusGridButton::SetGlyph(TBitmap* Value)
{
    glyph_->Assign(Value);
    if (glyphDisabled_->Empty() && Value && !Value->Empty()) {
        glyphDisabled_->Assign(Value);
        TCanvas* g = glyphDisabled_->Canvas();
        for (int y = 0; y < glyphDisabled_->Height(); ++y)
            for (int x = 0; x < glyphDisabled_->Width(); ++x) {
                const TColor p = g->Pixels(x, y);
                const int v = ((GetRValue(p) + GetGValue(p) + GetBValue(p)) / 3) / 2 + 96;
                g->SetPixel(x, y, TColor(RGB(v, v, v)));
            }
    }
    Invalidate();
}

void TPlusGridButton::SetGlyphHot(TBitmap* Value) { glyphHot_->Assign(Value); }
void TPlusGridButton::SetGlyphDown(TBitmap* Value) { glyphDown_->Assign(Value); }
void TPlusGridButton::SetGlyphDisabled(TBitmap* Value) { glyphDisabled_->Assign(Value); }

void TPlusGridButton::SetFlat(bool Value)
{
    if (flat_ != Value) {
        flat_ = Value;
        Invalidate();
    }
}

void TPlusGridButton::SetStyle(TPlusGridButtonStyle Value)
{
    style_ = Value;
    Invalidate();
}

void TPlusGridButton::SetGroupIndex(int Value)
{
    if (groupIndex_ != Value) {
        groupIndex_ = Value;
        UpdateExclusive();
    }
}

void TPlusGridButton::SetAllowAllUp(bool Value)
{
    if (allowAllUp_ != Value) {
        allowAllUp_ = Value;
        UpdateExclusive();
    }
}

void TPlusGridButton::SetMargin(int Value)
{
    if (Value >= -1 && Value != margin_) {
        margin_ = Value;
        Invalidate();
    }
}

void TPlusGridButton::SetShaded(bool Value)
{
    shaded_ = Value;
    if (Value && !(ComponentState() & csLoading))
        GenerateShade();
}

void TPlusGridButton::SetAutoThemeAdapt(bool Value)
{
    autoThemeAdapt_ = Value;
    if (Value)
        ThemeAdapt();
}

void TPlusGridButton::ApplyColorSet(int Set)
{
    const TColor border = Set == 1 ? TColor(RGB(49, 106, 197)) : clBlack;
    switch (Set) {
    case 1:
        TControl::SetColor(clBtnFace);
        ColorTo = clNone;
        ColorHot = TColor(RGB(193, 210, 238));
        ColorHotTo = clNone;
        ColorDown = TColor(RGB(152, 181, 226));
        ColorDownTo = clNone;
        ColorChecked = TColor(RGB(225, 230, 232));
        ColorCheckedTo = clNone;
        break;
    default: {
        const TColor from[] = {TColor(RGB(218, 234, 253)), TColor(RGB(234, 240, 207)), TColor(RGB(225, 226, 236))};
        const TColor to[] = {TColor(RGB(136, 174, 228)), TColor(RGB(177, 192, 140)), TColor(RGB(152, 150, 179))};
        const int i = std::clamp(Set, 2, 4) - 2;
        TControl::SetColor(from[i]);
        ColorTo = to[i];
        ColorHot = TColor(RGB(255, 244, 204));
        ColorHotTo = TColor(RGB(255, 208, 145));
        ColorDown = TColor(RGB(254, 145, 78));
        ColorDownTo = TColor(RGB(255, 211, 142));
        ColorChecked = TColor(RGB(255, 211, 142));
        ColorCheckedTo = TColor(RGB(255, 173, 85));
        break;
    }
    }
    BorderHotColor = BorderDownColor = border;
    BorderColor = clNone;
    Rounded = false;
    flat_ = true;
    Invalidate();
}

void TPlusGridButton::ThemeAdapt()
{
    switch (GetGridButtonXPScheme()) {
    case 1: ApplyColorSet(2); break;
    case 2: ApplyColorSet(3); break;
    case 3: ApplyColorSet(4); break;
    default: ApplyColorSet(1); break;
    }
}

void TPlusGridButton::GenerateShade()
{
    if (glyph_->Empty())
        return;
    const int w = glyph_->Width(), h = glyph_->Height();
    TCanvas* g = glyph_->Canvas();
    const TColor c = g->Pixels(0, h - 1);
    shade_->SetSize(w, h);
    TCanvas* out = shade_->Canvas();
    // content becomes grey and the transparent colour stays, except black, which turns grey too
    const TColor grey = TColor(RGB(128, 128, 128));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const TColor v = g->Pixels(x, y) == c ? c : grey;
            out->SetPixel(x, y, ColorToRGB(v) == clBlack ? grey : v);
        }
}

void TPlusGridButton::Loaded()
{
    TGraphicControl::Loaded();
    if (shaded_)
        GenerateShade();
    if (autoThemeAdapt_)
        ThemeAdapt();
}

void TPlusGridButton::Paint()
{
    TCanvas* c = Canvas();
    SettlePaintState();
    c->Font->Assign(Font());
    TRect R(0, 0, Width(), Height());
    const bool pressed = state_ == gbsDown || state_ == gbsExclusive;
    if (!flat_) {
        PaintSystemFace(R, pressed);
    } else {
        if (BorderDownColor == clNone || Rounded)
            R = TRect(R.Left + 1, R.Top + 1, R.Right - 1, R.Bottom - 1);
        c->Pen->Width = 1;
        c->Brush->Style = bsSolid;
        if (mouseInside_ && Enabled())
            PaintFlatHotFace(R);
        else
            PaintFlatRestingFace(R);
        R = TRect(R.Left + 1, R.Top + 1, R.Right - 1, R.Bottom - 1);
    }
    if (state_ == gbsExclusive && (!flat_ || !mouseInside_))
        PaintExclusiveFace(R);
    const TPoint offset = ContentOffset(pressed);
    if (DropDownButton)
        PaintDropDownArrow(R);
    DrawButtonContent(R, (down_ && groupIndex_ != 0) ? gbsDown : state_, offset);
}

void TPlusGridButton::SettlePaintState()
{
    if (!Enabled()) {
        state_ = gbsDisabled;
        dragging_ = false;
    } else if (state_ == gbsDisabled) {
        state_ = (down_ && groupIndex_ != 0) ? gbsExclusive : gbsUp;
    }
    if (style_ == tasCheck && down_)
        state_ = gbsDown;
}

void TPlusGridButton::PaintSystemFace(TRect& R, bool pressed)
{
    TCanvas* c = Canvas();
    c->RequiredState();
    if (AutoXPStyle && ThemesActive()) {
        ThemedPart(Parent() ? Parent()->Handle() : nullptr, c->Handle(), u"button", 1, pressed ? 3 : mouseInside_ ? 2 : 1,
                   R);
    } else {
        RECT r = R;
        DrawFrameControl(c->Handle(), &r, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_ADJUSTRECT | (pressed ? DFCS_PUSHED : 0));
        R = TRect(r);
    }
}

void TPlusGridButton::PaintFlatHotFace(TRect& R)
{
    TCanvas* c = Canvas();
    TColor brush = ColorHot, end = ColorHotTo, pen = BorderHotColor;
    if (state_ == gbsDown) {
        brush = ColorDown;
        end = ColorDownTo;
        pen = BorderDownColor;
    }
    if (style_ == tasCheck && down_ && state_ != gbsDown) {
        brush = ColorChecked;
        end = ColorCheckedTo;
        pen = BorderDownColor;
    }
    if (Rounded)
        pen = clNone;
    PaintFlatFill(R, brush, end, pen);
    const TColor edge = state_ == gbsDown ? BorderDownColor : BorderHotColor;
    if (Rounded) {
        R = TRect(R.Left - 1, R.Top - 1, R.Right + 1, R.Bottom + 1);
        if (edge != clNone)
            PaintRoundedEdge(R, edge);
    }
    if (DropDownButton && edge != clNone) {
        c->Pen->Color = edge;
        c->MoveTo(R.Right - 12, R.Top);
        c->LineTo(R.Right - 12, R.Bottom);
    }
}

void TPlusGridButton::PaintFlatRestingFace(TRect& R)
{
    TCanvas* c = Canvas();
    if (style_ == tasCheck && down_) {
        PaintFlatFill(R, ColorChecked, ColorCheckedTo, BorderDownColor);
    } else {
        const TColor face = ColorToRGB(Color());
        if (ColorTo != clNone)
            DrawButtonGradient(c, face, ColorTo, false, R, 16, Rounded ? clNone : (down_ ? BorderDownColor : BorderColor));
        else
            FillRectColor(c, R, face);
    }
    if (BorderColor == clNone)
        return;
    if (Rounded) {
        R = TRect(R.Left - 1, R.Top - 1, R.Right + 1, R.Bottom + 1);
        PaintRoundedEdge(R, BorderColor);
    } else {
        RectOutline(c, R, BorderColor);
    }
}

void TPlusGridButton::PaintFlatFill(const TRect& R, TColor from, TColor to, TColor edge)
{
    TCanvas* c = Canvas();
    if (to != clNone) {
        DrawButtonGradient(c, from, to, false, R, 16, edge);
    } else {
        c->Brush->Color = from;
        c->Pen->Color = edge == clNone ? from : edge;
        c->Rectangle(R);
    }
}

void TPlusGridButton::PaintRoundedEdge(const TRect& R, TColor edge)
{
    TCanvas* c = Canvas();
    c->Pen->Color = edge;
    c->Brush->Style = bsClear;
    c->RoundRect(R.Left, R.Top, R.Right, R.Bottom, 8, 8);
    c->Brush->Style = bsSolid;
}

void TPlusGridButton::PaintExclusiveFace(TRect& R)
{
    R = TRect(R.Left - 1, R.Top - 1, R.Right + 1, R.Bottom + 1);
    const TColor pen = down_ ? BorderDownColor : BorderColor;
    if (ColorCheckedTo == clNone)
        FillRectColor(Canvas(), R, ColorChecked);
    else
        DrawButtonGradient(Canvas(), ColorChecked, ColorCheckedTo, false, R, 16, pen);
}

TPoint TPlusGridButton::ContentOffset(bool pressed)
{
    const bool designing = (ComponentState() & csDesigning) != 0;
    if (pressed && !flat_ && !designing)
        return TPoint(1, 1);
    if ((state_ == gbsUp || state_ == gbsDisabled) && flat_ && mouseInside_ && Enabled() && shaded_ && !designing)
        return TPoint(-1, -1);
    return TPoint(0, 0);
}

void TPlusGridButton::PaintDropDownArrow(TRect& R)
{
    TCanvas* c = Canvas();
    const int y = R.Top + (R.Bottom - R.Top) / 2;
    c->Brush->Style = bsSolid;
    c->Brush->Color = c->Font->Color;
    c->Pen->Color = c->Font->Color;
    c->Polygon({TPoint(R.Right - 8, y - 1), TPoint(R.Right - 4, y - 1), TPoint(R.Right - 6, y + 1)});
    R.Right -= 12;
}

void TPlusGridButton::CalcButtonLayout(const TRect& R, TPoint Offset, TPoint& G, TRect& T)
{
    TButtonLayout layout = Layout;
    const TPoint C(R.Right - R.Left, R.Bottom - R.Top);
    const TPoint g = glyph_->Empty() ? TPoint(0, 0) : TPoint(glyph_->Width(), glyph_->Height());
    TPoint t(0, 0);
    if (!Caption().empty()) {
        Canvas()->RequiredState();
        RECT r{0, 0, C.X, 0};
        ::DrawText(Canvas()->Handle(), Caption(), &r, DT_CALCRECT | DT_CENTER | DT_VCENTER);
        t = TPoint(r.right - r.left, r.bottom - r.top);
    }
    TPoint text(0, 0);
    G = TPoint(0, 0);
    const bool sideways = layout == blGlyphLeft || layout == blGlyphRight;
    if (sideways) {
        G.Y = (C.Y - g.Y + 1) / 2;
        text.Y = (C.Y - t.Y + 1) / 2;
    } else {
        G.X = (C.X - g.X + 1) / 2;
        text.X = (C.X - t.X + 1) / 2;
    }
    int spacing = Spacing, margin = margin_;
    if (t.X == 0 || g.X == 0)
        spacing = 0;
    const int axisC = sideways ? C.X : C.Y, axisG = sideways ? g.X : g.Y, axisT = sideways ? t.X : t.Y;
    if (margin == -1 && spacing == -1) {
        margin = (axisC - (axisG + axisT)) / 3;
        spacing = margin;
    } else if (margin == -1) {
        margin = (axisC - (axisG + spacing + axisT) + 1) / 2;
    } else if (spacing == -1) {
        spacing = ((axisC - (margin + axisG)) - axisT) / 2;
    }
    switch (layout) {
    case blGlyphLeft:
        G.X = margin;
        text.X = G.X + g.X + spacing;
        break;
    case blGlyphRight:
        G.X = C.X - margin - g.X;
        text.X = G.X - spacing - t.X;
        break;
    case blGlyphTop:
        G.Y = margin;
        text.Y = G.Y + g.Y + spacing;
        break;
    case blGlyphBottom:
        G.Y = C.Y - margin - g.Y;
        text.Y = G.Y - spacing - t.Y;
        break;
    }
    G = TPoint(G.X + R.Left + Offset.X, G.Y + R.Top + Offset.Y);
    T = TRect(text.X + R.Left + Offset.X, text.Y + R.Top + Offset.Y, text.X + R.Left + Offset.X + t.X,
              text.Y + R.Top + Offset.Y + t.Y);
}

void TPlusGridButton::DrawButtonContent(TRect R, TPlusGridButtonState ContentState, TPoint Offset)
{
    TPoint G;
    TRect T;
    CalcButtonLayout(R, Offset, G, T);
    if (Caption().empty())
        G = TPoint(0, 0);
    DrawGlyph(G);
    const bool designing = (ComponentState() & csDesigning) != 0;
    if ((ContentState == gbsUp || ContentState == gbsDisabled) && mouseInside_ && shaded_ && Enabled() && flat_ &&
        !designing)
        T = TRect(T.Left + 1, T.Top + 1, T.Right + 1, T.Bottom + 1);
    if (ShowCaption)
        DrawCaption(T, ContentState);
}

void TPlusGridButton::DrawGlyph(TPoint G)
{
    const bool pressed = state_ == gbsDown || state_ == gbsExclusive;
    const bool designing = (ComponentState() & csDesigning) != 0;
    TBitmap* picture = glyph_.get();
    if (pressed) {
        if (!glyphDown_->Empty())
            picture = glyphDown_.get();
    } else if (mouseInside_ && !glyphHot_->Empty() && !designing) {
        picture = glyphHot_.get();
    }
    if (!Enabled() && !glyphDisabled_->Empty())
        picture = glyphDisabled_.get();
    if (picture->Empty())
        return;
    if (mouseInside_ && shaded_ && Enabled() && state_ != gbsDown && !shade_->Empty()) {
        const TPoint at = Caption().empty() ? G : TPoint(G.X + 2, G.Y + 2);
        shade_->Transparent = true;
        Canvas()->Draw(at.X, at.Y, shade_.get());
    }
    picture->Transparent = true;
    Canvas()->Draw(G.X, G.Y, picture);
}

void TPlusGridButton::DrawCaption(TRect T, TPlusGridButtonState ContentState)
{
    TCanvas* c = Canvas();
    c->Brush->Style = bsClear;
    auto draw = [&](const TRect& r, TColor color) {
        c->Font->Color = color;
        c->RequiredState();
        RECT rr = r;
        ::DrawText(c->Handle(), Caption(), &rr, DT_CENTER | DT_VCENTER);
    };
    if (ContentState == gbsDisabled) {
        draw(TRect(T.Left + 1, T.Top + 1, T.Right + 1, T.Bottom + 1), clBtnHighlight);
        draw(T, clBtnShadow);
    } else {
        draw(T, Font()->Color);
    }
    c->Brush->Style = bsSolid;
}

void TPlusGridButton::Click()
{
    if (!OnClick && actionLink_ && actionLink_->Action()) {
        actionLink_->Execute();
        return;
    }
    TGraphicControl::Click();
}

void TPlusGridButton::SetDropDownMenu(TPopupMenu* Value)
{
    if (dropDownMenu_)
        dropDownMenu_->RemoveFreeNotification(this);
    dropDownMenu_ = Value;
    if (Value)
        Value->FreeNotification(this);
}

void TPlusGridButton::Notification(TComponent* AComponent, TOperation Operation)
{
    TGraphicControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == dropDownMenu_)
        dropDownMenu_ = nullptr;
    if (Operation == opRemove && actionLink_ && AComponent == actionLink_->Action())
        actionLink_.reset();
}

TAction* TPlusGridButton::Action() const
{
    return actionLink_ ? actionLink_->Action() : nullptr;
}

void TPlusGridButton::SetAction(TAction* Value)
{
    if (actionLink_ && actionLink_->Action())
        actionLink_->Action()->RemoveFreeNotification(this);
    actionLink_.reset();
    if (!Value)
        return;
    actionLink_ = std::make_unique<TPlusGridButtonActionLink>();
    actionLink_->AssignClient(this);
    actionLink_->SetAction(Value);
    Value->FreeNotification(this);
    // the button takes the action's state at once
    SetCaption(Value->Caption());
    SetEnabled(Value->Enabled());
    SetVisible(Value->Visible());
    SetHint(Value->Hint());
    if (groupIndex_ == 0)
        SetGroupIndex(Value->GroupIndex());
    SetDown(Value->Checked());
}

void TPlusGridButtonActionLink::AssignClient(TObject* AClient)
{
    button_ = dynamic_cast<TPlusGridButton*>(AClient);
    if (!button_)
        throw EConvertError("Invalid class typecast");
    TControlActionLink::AssignClient(AClient);
}

bool TPlusGridButtonActionLink::IsCaptionLinked()
{
    return TControlActionLink::IsCaptionLinked() && button_->Caption() == action_->Caption();
}

bool TPlusGridButtonActionLink::IsCheckedLinked()
{
    return TControlActionLink::IsCheckedLinked() && button_->GroupIndex() != 0 && button_->AllowAllUp() &&
           action_->Checked() == button_->Down();
}

bool TPlusGridButtonActionLink::IsGroupIndexLinked()
{
    return button_ && action_ && action_->GroupIndex() == button_->GroupIndex();
}

void TPlusGridButtonActionLink::SetCaption(const String& Value)
{
    if (IsCaptionLinked())
        button_->SetCaption(Value);
}

void TPlusGridButtonActionLink::SetChecked(bool Value)
{
    if (IsCheckedLinked())
        button_->SetDown(Value);
}

void TPlusGridButtonActionLink::SetGroupIndex(int Value)
{
    if (IsGroupIndexLinked())
        button_->SetGroupIndex(Value);
}

void TPlusGridButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TGraphicControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft || !Enabled())
        return;
    if (DropDownButton && X > ClientWidth() - 12) {
        state_ = gbsUp;
        const auto alive = Life();
        if (OnDropDown)
            OnDropDown(this);
        if (*alive && dropDownMenu_ && Parent()) {
            // under the button: its bottom-left corner on the screen
            POINT at{Left(), Top() + Height()};
            ::ClientToScreen(Parent()->Handle(), &at);
            dropDownMenu_->Popup(at.x, at.y);
        }
        return;
    }
    if (!down_) {
        state_ = gbsDown;
        Invalidate();
    }
    if (style_ == tasCheck) {
        state_ = gbsDown;
        Repaint();
    }
    dragging_ = true;
}

void TPlusGridButton::MouseMove(TShiftState Shift, int X, int Y)
{
    TGraphicControl::MouseMove(Shift, X, Y);
    if (!dragging_)
        return;
    TPlusGridButtonState s = down_ ? gbsExclusive : gbsUp;
    if (Inside(X, Y))
        s = down_ ? gbsExclusive : gbsDown;
    if (style_ == tasCheck && down_)
        s = gbsDown;
    if (s != state_) {
        state_ = s;
        Invalidate();
    }
}

void TPlusGridButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TGraphicControl::MouseUp(Button, Shift, X, Y);
    if (!dragging_)
        return;
    dragging_ = false;
    const bool inside = Inside(X, Y);
    if (groupIndex_ == 0) {
        state_ = gbsUp;
        if (style_ == tasCheck) {
            SetDown(!down_);
            state_ = gbsUp;
        }
        if (inside)
            Invalidate();
    } else if (inside) {
        SetDown(!down_);
        if (down_)
            Repaint();
    } else {
        if (down_)
            state_ = gbsExclusive;
        Invalidate();
    }
    if (inside)
        Click();
}

void TPlusGridButton::SetDown(bool Value)
{
    if (groupIndex_ == 0 && style_ == tasButton)
        Value = false;
    if (style_ == tasCheck) {
        down_ = Value;
        Invalidate();
        return;
    }
    if (Value == down_ || (down_ && !allowAllUp_))
        return;
    down_ = Value;
    if (Value) {
        if (state_ == gbsUp)
            Invalidate();
        state_ = gbsExclusive;
        UpdateExclusive();
    } else {
        state_ = gbsUp;
        Repaint();
    }
}

void TPlusGridButton::UpdateExclusive()
{
    if (groupIndex_ == 0 || !Parent())
        return;
    for (int i = 0; i < Parent()->ControlCount(); ++i) {
        auto* other = dynamic_cast<TPlusGridButton*>(Parent()->Controls(i));
        if (!other || other == this || other->groupIndex_ != groupIndex_)
            continue;
        if (down_ && other->down_) {
            other->down_ = false;
            other->state_ = gbsUp;
            other->Invalidate();
        }
        other->allowAllUp_ = allowAllUp_;
    }
}

void TPlusGridButton::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case CM_MOUSEENTER:
        TGraphicControl::WndProc(Message);
        if (!mouseInside_ && Enabled()) {
            mouseInside_ = true;
            Repaint();
        }
        return;
    case CM_MOUSELEAVE:
        TGraphicControl::WndProc(Message);
        if (mouseInside_ && Enabled() && !dragging_) {
            mouseInside_ = false;
            Invalidate();
        }
        return;
    case CM_ENABLEDCHANGED:
    case CM_FONTCHANGED:
    case CM_TEXTCHANGED:
    case CM_SYSCOLORCHANGE:
        TGraphicControl::WndProc(Message);
        Invalidate();
        return;
    case CM_DIALOGCHAR:
        if (IsAccel(Message.CharCode(), Caption()) && Enabled() && Visible() && Parent() && Parent()->Showing()) {
            Click();
            Message.Result = 1;
            return;
        }
        break;
    case 794: // the visual style changed
        if (autoThemeAdapt_)
            ThemeAdapt();
        break;
    default:
        break;
    }
    TGraphicControl::WndProc(Message);
}

// ---------------------------------------------------------------- check box

TPlusCheckBox::TPlusCheckBox(TComponent* AOwner) : TCustomControl(AOwner)
{
    SetBounds(Left(), Top(), 98, 20);
    ControlStyle >> csClickEvents; // the box fires Click itself
    TCustomControl::SetCaption("TPlusCheckBox");
    TControl::SetColor(clWindow);
    ParentColor = true;
    TabStop = false;
}

bool TPlusCheckBox::Themed() const
{
    return ThemesActive();
}

TRect TPlusCheckBox::BoxRect() const
{
    const TRect client = ClientRect();
    const bool right = alignment_ == taRightJustify;
    const int side = Themed() ? 14 : 13;
    const int x = right ? (Themed() ? client.Right - 15 : client.Right - 13) : 0;
    int y = 4;
    if (vertAlign_ == tlCenter)
        y = (client.Bottom - client.Top) / 2 - 6;
    else if (vertAlign_ == tlBottom)
        y = client.Bottom - (Themed() ? 14 : 17);
    return TRect(x, y, x + side, y + side);
}

TRect TPlusCheckBox::CaptionRect() const
{
    TRect r = ClientRect();
    if (alignment_ == taRightJustify) {
        r.Left = 0;
        r.Right -= 9;
    } else {
        r.Left += 9;
    }
    r.Top += 4;
    r.Left += 6;
    return r;
}

void TPlusCheckBox::Paint()
{
    TCanvas* c = Canvas();
    c->Font->Assign(Font());
    if (transparent_)
        PaintParentBackground(c->Handle());
    else
        FillRectColor(c, ClientRect(), Color());
    c->RequiredState();
    HDC dc = c->Handle();
    const TRect box = BoxRect();
    if (Themed()) {
        const int base = state_ == cbChecked ? 5 : state_ == cbGrayed ? 9 : 1;
        const int offset = !Enabled() ? 3 : down_ ? 2 : hot_ ? 1 : 0;
        ThemedPart(Handle(), dc, u"button", 3, base + offset, box);
    } else {
        RECT r = box;
        UINT flags = DFCS_BUTTONCHECK;
        if (!Enabled() || state_ == cbGrayed)
            flags |= DFCS_INACTIVE;
        if (state_ == cbChecked)
            flags |= DFCS_CHECKED;
        DrawFrameControl(dc, &r, DFC_BUTTON, flags);
    }
    const TRect cr = CaptionRect();
    c->Brush->Style = bsClear;
    const UINT flags = ellipsis_ ? UINT(DT_END_ELLIPSIS) : 0u;
    auto draw = [&](const TRect& r, TColor color) {
        c->Font->Color = color;
        c->RequiredState();
        RECT rr = r;
        ::DrawText(c->Handle(), Caption(), &rr, flags);
    };
    if (!Enabled()) {
        draw(TRect(cr.Left + 1, cr.Top + 1, cr.Right + 1, cr.Bottom + 1), clWhite);
        draw(cr, clGray);
    } else {
        draw(cr, Font()->Color);
    }
    if (focused_) {
        c->Brush->Style = bsSolid;
        const String shown = StripAccelerator(Caption());
        c->DrawFocusRect(TRect(cr.Left - 2, cr.Top, cr.Left + c->TextWidth(shown) + 1,
                               cr.Top + c->TextHeight(shown) + 1));
    }
}

void TPlusCheckBox::RepaintBox()
{
    Invalidate();
}

void TPlusCheckBox::SetState(TCheckBoxState Value)
{
    if (state_ != Value) {
        state_ = Value;
        RepaintBox();
    }
}

void TPlusCheckBox::SetChecked(bool Value)
{
    SetState(Value ? cbChecked : cbUnchecked);
    Invalidate();
}

void TPlusCheckBox::SetCaption(const String& Value)
{
    TCustomControl::SetCaption(Value);
    Invalidate();
}

void TPlusCheckBox::SetTransparent(bool Value)
{
    transparent_ = Value;
    // a transparent box paints its parent's background itself: no erasing with its own colour
    if (Value)
        ControlStyle << csOpaque;
    else
        ControlStyle >> csOpaque;
    Invalidate();
}

void TPlusCheckBox::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    TCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
    if (transparent_)
        Invalidate();
}

void TPlusCheckBox::PaintParentBackground(HDC DC)
{
    TWinControl* parent = Parent();
    if (!parent)
        return;
    // the parent erases and paints into this context, moved so that its pixels fall where
    // they lie under the box, and clipped to the parent's client area
    const int saved = SaveDC(DC);
    POINT old;
    SetViewportOrgEx(DC, -Left(), -Top(), &old);
    IntersectClipRect(DC, 0, 0, parent->ClientWidth(), parent->ClientHeight());
    FillRectColor(Canvas(), TRect(0, 0, parent->ClientWidth(), parent->ClientHeight()), parent->Color());
    parent->Perform(WM_ERASEBKGND, WPARAM(DC), 0);
    parent->Perform(WM_PAINT, WPARAM(DC), 0);
    RestoreDC(DC, saved);
}

void TPlusCheckBox::SetAlignment(TAlignment Value)
{
    if (alignment_ != Value) {
        alignment_ = Value;
        Invalidate();
    }
}

void TPlusCheckBox::SetButtonVertAlign(TTextLayout Value)
{
    if (vertAlign_ != Value) {
        vertAlign_ = Value;
        Invalidate();
    }
}

void TPlusCheckBox::SetEllipsis(bool Value)
{
    if (ellipsis_ != Value) {
        ellipsis_ = Value;
        Invalidate();
    }
}

void TPlusCheckBox::Toggle()
{
    if (!ReadOnly)
        SetChecked(!Checked());
}

void TPlusCheckBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    mouseDown_ = true;
    if (!focused_) {
        if (CanFocus())
            SetFocus();
        focused_ = true;
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
    SetMouseCapture(true);
    down_ = true;
    RepaintBox();
}

void TPlusCheckBox::MouseMove(TShiftState Shift, int X, int Y)
{
    if (MouseCapture()) {
        const bool inside = X >= 0 && X <= Width() && Y >= 0 && Y <= Height();
        if (inside != down_) {
            down_ = inside;
            RepaintBox();
        }
    }
    TCustomControl::MouseMove(Shift, X, Y);
}

void TPlusCheckBox::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    SetMouseCapture(false);
    down_ = false;
    if (X >= 0 && X <= Width() && Y >= 0 && Y <= Height() && focused_ && mouseDown_) {
        Toggle();
        if (OnClick)
            OnClick(this);
    }
    mouseDown_ = false;
    TCustomControl::MouseUp(Button, Shift, X, Y);
    RepaintBox();
}

void TPlusCheckBox::KeyDown(WORD& Key, TShiftState Shift)
{
    if (Key == VK_RETURN && ReturnIsTab) {
        Key = VK_TAB;
        PostMessage(Handle(), WM_KEYDOWN, VK_TAB, 0);
    }
    if (Key == VK_SPACE) {
        down_ = true;
        RepaintBox();
    }
    TCustomControl::KeyDown(Key, Shift);
}

void TPlusCheckBox::KeyUp(WORD& Key, TShiftState Shift)
{
    if (Key == VK_SPACE) {
        down_ = false;
        Toggle();
        if (OnClick)
            OnClick(this);
    }
    TCustomControl::KeyUp(Key, Shift);
}

void TPlusCheckBox::DoEnter()
{
    focused_ = true;
    Invalidate();
    TCustomControl::DoEnter();
}

void TPlusCheckBox::DoExit()
{
    focused_ = false;
    Invalidate();
    TCustomControl::DoExit();
}

void TPlusCheckBox::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case CM_MOUSEENTER:
        hot_ = true;
        RepaintBox();
        break;
    case CM_MOUSELEAVE:
        hot_ = false;
        RepaintBox();
        break;
    case CM_ENABLEDCHANGED:
        Invalidate();
        break;
    default:
        break;
    }
    TCustomControl::WndProc(Message);
}

// ---------------------------------------------------------------- file string list

void TFileStringList::ReadLine(String& Line)
{
    Line = Get(position_);
    ++position_;
}

// ---------------------------------------------------------------- overlay windows and glow

#include "components/grid/HtmlRender.h"

std::vector<TPoint> ArrowWindowPoints(uint8_t Direction)
{
    static const int table[4][14] = {
        {5, 0, 10, 5, 7, 5, 7, 9, 3, 9, 3, 5, 0, 5},
        {3, 0, 7, 0, 7, 4, 9, 4, 5, 8, 1, 4, 3, 4},
        {0, 3, 0, 7, 4, 7, 4, 10, 8, 5, 4, 0, 4, 3},
        {0, 5, 4, 10, 4, 7, 8, 7, 8, 3, 4, 3, 4, 0},
    };
    std::vector<TPoint> points(7, TPoint(0, 0));
    if (Direction < 4)
        for (int i = 0; i < 7; ++i)
            points[size_t(i)] = TPoint(table[Direction][2 * i], table[Direction][2 * i + 1]);
    return points;
}

TArrowWindow::TArrowWindow(TComponent* AOwner, uint8_t Direction)
    : TCustomControl(AOwner), direction_(Direction), points_(ArrowWindowPoints(Direction))
{
    TControl::SetColor(0x00FF00);
    if (auto* parent = dynamic_cast<TWinControl*>(AOwner))
        SetParent(parent);
    SetVisible(false);
}

void TArrowWindow::CreateParams(TCreateParams& Params)
{
    TCustomControl::CreateParams(Params);
    Params.Style = WS_POPUP;
}

void TArrowWindow::CreateWnd()
{
    TCustomControl::CreateWnd();
    POINT outline[7];
    for (size_t i = 0; i < 7; ++i)
        outline[i] = POINT{points_[i].X, points_[i].Y};
    SetWindowRgn(Handle(), CreatePolygonRgn(outline, 7, WINDING), TRUE);
}

void TArrowWindow::Paint()
{
    Canvas()->Brush->Style = bsSolid;
    Canvas()->Brush->Color = Color();
    Canvas()->Pen->Color = Color();
    Canvas()->FillRect(ClientRect());
}

TPopupButton::TPopupButton(TComponent* AOwner) : TCustomControl(AOwner)
{
    TControl::SetColor(clBtnFace);
}

void TPopupButton::CreateParams(TCreateParams& Params)
{
    TCustomControl::CreateParams(Params);
    Params.Style = WS_POPUP | WS_DISABLED | WS_BORDER;
    Params.WindowClass.style |= CS_SAVEBITS;
    TControl::SetColor(clBtnFace);
}

void TPopupButton::CreateWnd()
{
    TCustomControl::CreateWnd();
    SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

void TPopupButton::Paint()
{
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    if (!Flat) {
        c->Pen->Color = clWhite;
        c->MoveTo(r.Left, r.Bottom - 1);
        c->LineTo(r.Left, r.Top);
        c->LineTo(r.Right - 1, r.Top);
        c->Pen->Color = clGray;
        c->LineTo(r.Right - 1, r.Bottom - 1);
        c->LineTo(r.Left - 1, r.Bottom - 1);
        r = TRect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
    }
    DrawGradientBackground(c, r, GradFrom, GradTo, GradMirrorFrom, GradMirrorTo, true, clNone, false, true);
    c->Brush->Style = bsClear;
    c->RequiredState();
    ::SetBkMode(c->Handle(), TRANSPARENT);
    const String caption = Caption();
    if (caption.find("</") == String::npos) {
        RECT rr = r;
        ::DrawTextEx(c->Handle(), caption.data(), int(caption.size()), &rr, DT_CENTER | DT_END_ELLIPSIS, nullptr);
    } else {
        THtmlDrawArgs args;
        args.Images = CaptionImages;
        args.HitX = args.HitY = 2;
        args.ShadowOffset = 2;
        args.WrapWords = false;
        args.BlinkVisible = false;
        args.LinkColor = 0xFF0000;
        args.ShadowColor = 0x808080;
        args.ThemeWindow = Handle();
        THtmlDrawResult ignored;
        DrawHtml(c, caption, r, args, ignored);
    }
}

TGridFocusWindow::TGridFocusWindow(TComponent* AOwner) : TCustomControl(AOwner)
{
    SetBounds(Left(), Top(), 0, 0);
    TControl::SetColor(0x0000FF);
}

void TGridFocusWindow::CreateParams(TCreateParams& Params)
{
    TCustomControl::CreateParams(Params);
    Params.Style = WS_POPUP | WS_DISABLED;
    Params.ExStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW;
}

TGridAlphaMask::TGridAlphaMask()
{
    PixelFormat = pf32bit;
}

void TGridAlphaMask::Assign(TPersistent* Source)
{
    if (auto* other = dynamic_cast<TGridAlphaMask*>(Source)) {
        MaskOpacity = other->MaskOpacity;
        pixels_ = other->pixels_;
        width_ = other->width_;
        height_ = other->height_;
        SetSize(width_, height_);
    } else {
        TBitmap::Assign(Source);
    }
    PixelFormat = pf32bit;
}

uint32_t TGridAlphaMask::PixelBGRA(int X, int Y) const
{
    if (X < 0 || Y < 0 || X >= width_ || Y >= height_)
        return 0;
    return pixels_[size_t(Y) * size_t(width_) + size_t(X)];
}

void TGridAlphaMask::BuildFromMask(TBitmap* Mask, TBitmap* Picture, TColor)
{
    if (!Mask || !Picture || Picture->PixelFormat != pf24bit)
        return;
    width_ = Picture->Width();
    height_ = Picture->Height();
    SetSize(width_, height_);
    pixels_.assign(size_t(width_) * size_t(height_), 0);
    TCanvas* m = Mask->Canvas();
    TCanvas* p = Picture->Canvas();
    const int mw = Mask->Width(), mh = Mask->Height();
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x) {
            const int a = (x < mw && y < mh) ? GetRValue(ColorToRGB(m->Pixels(x, y))) : 0;
            const TColor c = ColorToRGB(p->Pixels(x, y));
            const double f = a / 255.0;
            const uint32_t b = uint32_t(RoundEven(GetBValue(c) * f)), g = uint32_t(RoundEven(GetGValue(c) * f)),
                           r = uint32_t(RoundEven(GetRValue(c) * f));
            pixels_[size_t(y) * size_t(width_) + size_t(x)] = b | (g << 8) | (r << 16) | (uint32_t(a) << 24);
        }
    // the 32-bit image keeps the fourth byte as it is: the premultiplied alpha
    for (int y = 0; y < height_; ++y)
        if (uint8_t* row = ScanLine(y))
            std::memcpy(row, pixels_.data() + size_t(y) * size_t(width_), size_t(width_) * 4);
}

namespace {

struct Kernel {
    int Size = 1;
    double W[21] = {};
    double& operator[](int j) { return W[j + 10]; }
};

Kernel BuildBlurKernel(double radius)
{
    Kernel k;
    double sum = 0;
    for (int j = -10; j <= 10; ++j) {
        k[j] = std::exp(-(j / radius) * (j / radius) / 2);
        sum += k[j];
    }
    for (int j = -10; j <= 10; ++j)
        k[j] /= sum;
    int size = 10;
    double t = 0;
    while (t < 1.0 / (2 * 255) && size > 1) {
        t += 2 * k[size];
        --size;
    }
    k.Size = size;
    sum = 0;
    for (int j = -size; j <= size; ++j)
        sum += k[j];
    for (int j = -size; j <= size; ++j)
        k[j] /= sum;
    return k;
}

struct Rgb {
    uint8_t B = 0, G = 0, R = 0;
};

void BlurLine(std::vector<Rgb>& line, Kernel& k)
{
    const int n = int(line.size()) - 1;
    std::vector<Rgb> out(line.size());
    for (int i = 0; i <= n; ++i) {
        double b = 0, g = 0, r = 0;
        for (int j = -k.Size; j <= k.Size; ++j) {
            const Rgb& p = line[size_t(std::clamp(i - j, 0, n))];
            b += k[j] * p.B;
            g += k[j] * p.G;
            r += k[j] * p.R;
        }
        // a sum of weights a hair below 1 must not turn 255 into 254
        auto channel = [](double v) { return uint8_t(v < 0 ? 0 : v + 1e-9 >= 255 ? 255 : int(v + 1e-9)); };
        out[size_t(i)] = Rgb{channel(b), channel(g), channel(r)};
    }
    line = std::move(out);
}

} // namespace

void BlurBitmap(TBitmap* Bitmap, double Radius)
{
    if (!Bitmap || Bitmap->PixelFormat != pf24bit)
        throw Exception("Blur only works for 24-bit bitmaps");
    const int w = Bitmap->Width(), h = Bitmap->Height();
    if (w <= 0 || h <= 0 || Radius <= 0)
        return;
    Kernel k = BuildBlurKernel(Radius);
    TCanvas* c = Bitmap->Canvas();
    std::vector<Rgb> px(size_t(w) * size_t(h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const TColor v = ColorToRGB(c->Pixels(x, y));
            px[size_t(y) * size_t(w) + size_t(x)] = Rgb{uint8_t(GetBValue(v)), uint8_t(GetGValue(v)), uint8_t(GetRValue(v))};
        }
    std::vector<Rgb> line;
    for (int y = 0; y < h; ++y) {
        Rgb* row = &px[size_t(y) * size_t(w)];
        if (y > 20 && y < h - 20) {
            std::copy(&px[size_t(15) * size_t(w)], &px[size_t(15) * size_t(w)] + w, row);
        } else {
            line.assign(row, row + w);
            BlurLine(line, k);
            std::copy(line.begin(), line.end(), row);
        }
    }
    for (int x = 0; x < w; ++x) {
        if (x > 20 && x < w - 20) {
            for (int y = 0; y < h; ++y)
                px[size_t(y) * size_t(w) + size_t(x)] = px[size_t(y) * size_t(w) + 15];
        } else {
            line.resize(size_t(h));
            for (int y = 0; y < h; ++y)
                line[size_t(y)] = px[size_t(y) * size_t(w) + size_t(x)];
            BlurLine(line, k);
            for (int y = 0; y < h; ++y)
                px[size_t(y) * size_t(w) + size_t(x)] = line[size_t(y)];
        }
    }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const Rgb& p = px[size_t(y) * size_t(w) + size_t(x)];
            c->SetPixel(x, y, TColor(RGB(p.R, p.G, p.B)));
        }
}

void DrawRoundRectMask(TBitmap* Bitmap, int Width, int Height, int PenWidth, int CornerSize, double BlurRadius)
{
    Bitmap->PixelFormat = pf24bit;
    Bitmap->SetSize(Width, Height);
    TCanvas* c = Bitmap->Canvas();
    FillRectColor(c, TRect(0, 0, Width, Height), clBlack);
    c->Pen->Style = psSolid;
    if (PenWidth > 0) {
        c->Pen->Color = clWhite;
        c->Pen->Width = PenWidth;
        c->Brush->Style = bsClear;
    } else {
        c->Pen->Color = clWhite;
        c->Pen->Width = 1;
        c->Brush->Style = bsSolid;
        c->Brush->Color = clWhite;
    }
    const int d = std::max(0, PenWidth) / 2;
    c->RoundRect(d + 2, d + 2, Width - d - 2, Height - d - 2, CornerSize, CornerSize);
    c->Pen->Width = 1;
    c->Brush->Style = bsSolid;
    if (BlurRadius > 0)
        BlurBitmap(Bitmap, BlurRadius);
}

bool VisualStylesInUse()
{
    const TThemeAPI& api = PlusXPVS().API();
    if (!PlusXPVS().Bound() || !api.IsThemeActive || !api.IsThemeActive())
        return false;
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSize("COMCTL32.DLL", &handle);
    int major = 255;
    if (size) {
        std::vector<char> block(size);
        void* fixed = nullptr;
        UINT length = 0;
        if (GetFileVersionInfo("COMCTL32.DLL", handle, size, block.data()) &&
            VerQueryValue(block.data(), "\\", &fixed, &length) && fixed)
            major = int((static_cast<VS_FIXEDFILEINFO*>(fixed)->dwFileVersionMS >> 16) & 0xFF);
    }
    return major > 5;
}
