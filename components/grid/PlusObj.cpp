#include "PlusObj.h"

#include "Classes.h"

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

constexpr uint32_t kDescendingBit = 0x80000000u;

int32_t ColumnOf(int32_t entry)
{
    return static_cast<int32_t>(static_cast<uint32_t>(entry) & ~kDescendingBit);
}

} // namespace

void TSortIndexList::AddIndex(int column, bool ascending)
{
    uint32_t entry = static_cast<uint32_t>(column) & ~kDescendingBit;
    if (!ascending)
        entry |= kDescendingBit;
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
    return (static_cast<uint32_t>(GetItem(position)) & kDescendingBit) == 0;
}

void TSortIndexList::ToggleDirection(int column)
{
    const int i = IndexOfColumn(column);
    if (i < 0)
        return;
    SetItem(i, static_cast<int32_t>(static_cast<uint32_t>(GetItem(i)) ^ kDescendingBit));
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
