// The string grid's settings objects (node look, size while typing, column size, HTML and print
// settings, background, drag scrolling) and the stored column layout: widths under "Col<i>" and
// the column order under "Pos<i>" in a registry key or an ini file.
#include "components/grid/PlusGrid.h"

#include "platform/framework/IniFiles.h"

#include <algorithm>
#include <memory>

namespace {

void CopyBitmap(std::unique_ptr<TBitmap>& target, TBitmap* source)
{
    if (!target)
        target = std::make_unique<TBitmap>();
    if (source)
        target->Assign(source);
    else
        target = std::make_unique<TBitmap>();
}

} // namespace

// ---------------------------------------------------------------- TBackGround

TBackGround::TBackGround(TPlusStringGrid* grid) : grid_(grid), bitmap_(std::make_unique<TBitmap>()) {}

TBackGround::~TBackGround() = default;

void TBackGround::Changed()
{
    if (grid_)
        grid_->Invalidate();
}

void TBackGround::Assign(TPersistent* source)
{
    auto* other = dynamic_cast<TBackGround*>(source);
    if (!other || other == this)
        return;
    top_ = other->top_;
    left_ = other->left_;
    display_ = other->display_;
    CopyBitmap(bitmap_, other->bitmap_.get());
    cells_ = other->cells_;
    color_ = other->color_;
    colorTo_ = other->colorTo_;
    Changed();
}

void TBackGround::SetTop(int value)
{
    top_ = value;
    Changed();
}

void TBackGround::SetLeft(int value)
{
    left_ = value;
    Changed();
}

void TBackGround::SetDisplay(TBackGroundDisplay value)
{
    display_ = value;
    Changed();
}

void TBackGround::SetBitmap(TBitmap* value)
{
    CopyBitmap(bitmap_, value);
    Changed();
}

void TBackGround::SetCells(TBackGroundCells value)
{
    cells_ = value;
    Changed();
}

void TBackGround::SetColor(TColor value)
{
    color_ = value;
    Changed();
}

void TBackGround::SetColorTo(TColor value)
{
    colorTo_ = value;
    Changed();
}

// ---------------------------------------------------------------- TColumnSize

void TColumnSize::Assign(TPersistent* source)
{
    auto* other = dynamic_cast<TColumnSize*>(source);
    if (!other || other == this)
        return;
    Save = other->Save;
    Key = other->Key;
    Section = other->Section;
    stretch_ = other->stretch_;
    StretchColumn = other->StretchColumn;
    SynchWithGrid = other->SynchWithGrid;
    SynchNormalCellsOnly = other->SynchNormalCellsOnly;
    Location = other->Location;
    Rows = other->Rows;
}

void TColumnSize::SetStretch(bool value)
{
    stretch_ = value;
    if (grid_ && grid_->Parent())
        grid_->StretchColumn(StretchColumn);
}

// ---------------------------------------------------------------- THTMLSettings

void THTMLSettings::Assign(TPersistent* source)
{
    auto* other = dynamic_cast<THTMLSettings*>(source);
    if (!other || other == this)
        return;
    AutoPreview = other->AutoPreview;
    ConvertSpecialChars = other->ConvertSpecialChars;
    NonBreakingText = other->NonBreakingText;
    SaveColor = other->SaveColor;
    SaveFonts = other->SaveFonts;
    FooterFile = other->FooterFile;
    HeaderFile = other->HeaderFile;
    BorderSize = other->BorderSize;
    CellSpacing = other->CellSpacing;
    CellPadding = other->CellPadding;
    TableStyle = other->TableStyle;
    PrefixTag = other->PrefixTag;
    SuffixTag = other->SuffixTag;
    Summary = other->Summary;
    Width = other->Width;
    XHTML = other->XHTML;
}

// ---------------------------------------------------------------- TPrintSettings

TPrintSettings::TPrintSettings(TPlusStringGrid*)
    : titleLines_(std::make_unique<TStringList>()), font_(std::make_unique<TFont>()),
      fixedFont_(std::make_unique<TFont>()), headerFont_(std::make_unique<TFont>()),
      footerFont_(std::make_unique<TFont>())
{
}

void TPrintSettings::SetTitleLines(TStringList* value)
{
    if (value)
        titleLines_->Assign(*value);
}

void TPrintSettings::SetFont(TFont* value)
{
    if (value)
        font_->Assign(value);
}

void TPrintSettings::SetFixedFont(TFont* value)
{
    if (value)
        fixedFont_->Assign(value);
}

void TPrintSettings::SetHeaderFont(TFont* value)
{
    if (value)
        headerFont_->Assign(value);
}

void TPrintSettings::SetFooterFont(TFont* value)
{
    if (value)
        footerFont_->Assign(value);
}

void TPrintSettings::Assign(TPersistent* source)
{
    auto* other = dynamic_cast<TPrintSettings*>(source);
    if (!other)
        throw EConvertError("Invalid class typecast");
    if (other == this)
        return;
    Time = other->Time;
    Date = other->Date;
    PageNr = other->PageNr;
    Title = other->Title;
    DateFormat = other->DateFormat;
    PageNumSep = other->PageNumSep;
    TitleText = other->TitleText;
    titleLines_->Assign(*other->titleLines_);
    font_->Assign(other->font_.get());
    fixedFont_->Assign(other->fixedFont_.get());
    headerFont_->Assign(other->headerFont_.get());
    footerFont_->Assign(other->footerFont_.get());
    Borders = other->Borders;
    BorderStyle = other->BorderStyle;
    BorderColor = other->BorderColor;
    Centered = other->Centered;
    RepeatFixedRows = other->RepeatFixedRows;
    RepeatFixedCols = other->RepeatFixedCols;
    FooterSize = other->FooterSize;
    HeaderSize = other->HeaderSize;
    LeftSize = other->LeftSize;
    RightSize = other->RightSize;
    ColumnSpacing = other->ColumnSpacing;
    RowSpacing = other->RowSpacing;
    TitleSpacing = other->TitleSpacing;
    Orientation = other->Orientation;
    PagePrefix = other->PagePrefix;
    PageSuffix = other->PageSuffix;
    PageNumberOffset = other->PageNumberOffset;
    MaxPagesOffset = other->MaxPagesOffset;
    FixedWidth = other->FixedWidth;
    FixedHeight = other->FixedHeight;
    UseFixedHeight = other->UseFixedHeight;
    UseFixedWidth = other->UseFixedWidth;
    FitToPage = other->FitToPage;
    JobName = other->JobName;
    NoAutoSize = other->NoAutoSize;
    NoAutoSizeRow = other->NoAutoSizeRow;
    PrintGraphics = other->PrintGraphics;
    UseDisplayFont = other->UseDisplayFont;
    UseDefaultOrientation = other->UseDefaultOrientation;
}

// ---------------------------------------------------------------- TDragScrollOptions

void TDragScrollOptions::Assign(TPersistent* source)
{
    auto* other = dynamic_cast<TDragScrollOptions*>(source);
    if (!other || other == this)
        return;
    Active = other->Active;
    InitialDelay = other->InitialDelay;
    RepeatDelay = other->RepeatDelay;
    TopMargin = other->TopMargin;
    BottomMargin = other->BottomMargin;
    LeftMargin = other->LeftMargin;
    RightMargin = other->RightMargin;
}

// ---------------------------------------------------------------- stored column layout

namespace {

// The store named by the column size settings, written back when the operation ends (also
// when it fails); none when no key or section is named or the grid is being designed.
class TColumnLayoutStore {
public:
    explicit TColumnLayoutStore(TPlusStringGrid& grid)
    {
        TColumnSize* settings = grid.ColumnSize();
        if (settings->Key.empty() || settings->Section.empty() || grid.HasState(csDesigning))
            return;
        section_ = settings->Section;
        if (settings->Location == clIniFile)
            ini_ = std::make_unique<TMemIniFile>(settings->Key);
        else
            ini_ = std::make_unique<TRegIniFile>(settings->Key);
    }
    ~TColumnLayoutStore()
    {
        if (ini_) {
            try {
                ini_->UpdateFile();
            } catch (...) {
                // a store that cannot be written back keeps its old values
            }
        }
    }
    explicit operator bool() const { return ini_ != nullptr; }
    int Read(const String& name, int def) { return ini_->ReadInteger(section_, name, def); }
    void Write(const String& name, int value) { ini_->WriteInteger(section_, name, value); }

private:
    std::unique_ptr<TCustomIniFile> ini_;
    String section_;
};

String ValueName(const char* prefix, int index) { return prefix + std::to_string(index); }

} // namespace

void TPlusStringGrid::StoreColumnWidths()
{
    TColumnLayoutStore store(*this);
    if (!store)
        return;
    for (int c = 0; c < ColCount(); ++c)
        store.Write(ValueName("Col", c), ColWidths(c));
}

void TPlusStringGrid::RestoreColumnWidths()
{
    TColumnLayoutStore store(*this);
    if (!store)
        return;
    for (int c = 0; c < ColCount(); ++c) {
        const int width = store.Read(ValueName("Col", c), ColWidths(c));
        if (width != ColWidths(c))
            SetColWidths(c, width);
    }
}

void TPlusStringGrid::StoreColumnOrder()
{
    TColumnLayoutStore store(*this);
    if (!store)
        return;
    for (int i = 0; i < columnOrder_->Count(); ++i)
        store.Write(ValueName("Pos", i), columnOrder_->GetItem(i));
}

void TPlusStringGrid::RestoreColumnOrder()
{
    TColumnLayoutStore store(*this);
    if (!store || store.Read("Pos0", -1) == -1)
        return;
    const int n = ColCount() + HiddenColCount;
    std::vector<int> stored;
    for (int i = 0; i < n; ++i) {
        const int value = store.Read(ValueName("Pos", i), -1);
        if (value != -1)
            stored.push_back(value);
    }
    // the stored positions must name every column once; anything else would move columns
    // out of the grid
    std::vector<int> inverse(size_t(n), -1);
    for (size_t k = 0; k < stored.size(); ++k)
        if (stored[k] >= 0 && stored[k] < n && inverse[size_t(stored[k])] == -1)
            inverse[size_t(stored[k])] = int(k);
    if (int(stored.size()) != n || std::count(inverse.begin(), inverse.end(), -1) > 0)
        return;
    std::vector<int> hidden;
    columnOrder_->Clear();
    for (int i = 0; i < n; ++i) {
        if (IsColumnHidden(i))
            hidden.push_back(i);
        columnOrder_->Add(inverse[size_t(i)]);
    }
    UnhideAllColumns();
    if (columnOrder_->Count() > 0)
        ApplyColumnOrder();
    for (int c : hidden)
        HideColumn(c);
    columnOrder_->Clear();
    for (int value : stored)
        columnOrder_->Add(value);
}

void TPlusStringGrid::ResetColumnOrder()
{
    columnOrder_->Clear();
    for (int c = 0; c < ColCount(); ++c)
        columnOrder_->Add(c);
}

void TPlusStringGrid::ApplyColumnOrder()
{
    UnhideAllColumns();
    if (columnOrder_->Count() == 0) {
        ResetColumnOrder();
        return;
    }
    // passes move every column whose entry names an earlier place there, with its entry, until
    // a pass moves nothing (a permutation ends sorted; the pass limit guards any other list)
    const int n = std::min(columnOrder_->Count(), ColCount());
    for (int pass = 0; pass <= n * n; ++pass) {
        bool moved = false;
        for (int i = 0; i < n; ++i) {
            const int to = columnOrder_->GetItem(i);
            if (to < 0 || to >= i)
                continue;
            MoveColumn(i, to);
            columnOrder_->Delete(i);
            columnOrder_->Insert(to, to);
            moved = true;
        }
        if (!moved)
            break;
    }
}

void TPlusStringGrid::StoreInitialColWidths()
{
    initialColWidths_->Clear();
    for (int c = 0; c < ColCount(); ++c)
        initialColWidths_->Add(ColWidths(c));
    InitialGridWidth = Width();
}
