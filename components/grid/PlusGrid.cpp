#include "components/grid/PlusGrid.h"

#include "components/grid/HtmlRender.h"
#include "components/grid/TextRoutines.h"

#include "platform/framework/Forms.h"

#include "platform/framework/Graphics.h"

#include <cctype>
#include <cstdint>
#include <cstdio>

namespace {

// Strict 32-bit integer: blanks, an optional sign, then decimal digits or hexadecimal digits after
// "$", "x", "X", "0x" or "0X"; the whole text must be consumed.
bool ParseStrictInt(const String& text, int& value)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    } else if (i < text.size() && (text[i] == 'x' || text[i] == 'X')) {
        base = 16;
        ++i;
    }
    if (i >= text.size())
        return false;
    int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        int digit;
        if (std::isdigit(c))
            digit = c - '0';
        else if (base == 16 && std::isxdigit(c))
            digit = std::tolower(c) - 'a' + 10;
        else
            return false;
        magnitude = magnitude * base + digit;
        if (magnitude > int64_t(INT32_MAX) + 1)
            return false;
    }
    const int64_t signedValue = negative ? -magnitude : magnitude;
    if (signedValue > INT32_MAX || signedValue < INT32_MIN)
        return false;
    value = int(signedValue);
    return true;
}

// The one conversion of a float format, or false when the pattern holds anything a single
// floating-point argument cannot safely fill.
bool SafeFloatFormat(const String& format)
{
    int conversions = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%')
            continue;
        if (i + 1 < format.size() && format[i + 1] == '%') {
            ++i;
            continue;
        }
        ++i;
        while (i < format.size() && String("-+ 0#").find(format[i]) != String::npos)
            ++i;
        int digits = 0;
        while (i < format.size() && std::isdigit(static_cast<unsigned char>(format[i])) && ++digits <= 3)
            ++i;
        if (i < format.size() && format[i] == '.') {
            ++i;
            digits = 0;
            while (i < format.size() && std::isdigit(static_cast<unsigned char>(format[i])) && ++digits <= 2)
                ++i;
        }
        if (i >= format.size() || String("fFeEgG").find(format[i]) == String::npos)
            return false;
        ++conversions;
    }
    return conversions == 1;
}

} // namespace

TPlusStringGrid::TPlusStringGrid(TComponent* owner)
    : TBaseGrid(owner), cellNode_(std::make_unique<TCellNode>(this)),
      cellControlList_(std::make_unique<TControlList>()), controlLook_(std::make_unique<TControlLook>(this)),
      progressAppearance_(std::make_unique<TGridProgressAppearance>()),
      showModified_(std::make_unique<TShowModified>()), bands_(std::make_unique<TBands>()),
      grouping_(std::make_unique<TGrouping>()), sortSettings_(std::make_unique<TSortSettings>(this)),
      backGround_(std::make_unique<TBackGround>(this)), mouseActions_(std::make_unique<TMouseActions>()),
      navigation_(std::make_unique<TNavigation>()), sortIndexList_(std::make_unique<TSortIndexList>()),
      fixedFont_(std::make_unique<TFont>()), activeCellFont_(std::make_unique<TFont>()),
      columnHeaders_(std::make_unique<TStringList>()), rowHeaders_(std::make_unique<TStringList>()),
      rowModified_(std::make_unique<TIntList>(-1, -1)), rowDisabled_(std::make_unique<TIntList>(-1, -1)),
      selectedRowOrder_(std::make_unique<TIntList>(-1, -1)),
      sizeWhileTyping_(std::make_unique<TSizeWhileTyping>()), columnSize_(std::make_unique<TColumnSize>(this)),
      htmlSettings_(std::make_unique<THTMLSettings>()), printSettings_(std::make_unique<TPrintSettings>(this)),
      dragScrollOptions_(std::make_unique<TDragScrollOptions>()),
      searchFooter_(std::make_unique<TSearchFooter>(this, HasState(csDesigning) && !HasState(csLoading))),
      syncGrid_(std::make_unique<TSyncGrid>(this)), focusHelper_(std::make_unique<TFocusHelper>(this)),
      officeHint_(std::make_unique<TPlusHintInfo>()), rowIndicator_(std::make_unique<TBitmap>()),
      autoMergeColumns_(std::make_unique<TIntList>(-1, -1)), columnOrder_(std::make_unique<TIntList>(-1, -1)),
      initialColWidths_(std::make_unique<TIntList>(-1, -1)), filterValues_(std::make_unique<TStringList>())
{
    columnVisible_.fill(true);
    FixedLookColors.From = TColor(0xFFFFFF);
    FixedLookColors.To = ColorToRGB(clBtnFace);
    GridColorSet.Colors[0] = GridColorSet.Colors[1] = clNone;
    progressAppearance_->OnChange = [this](TObject*) { Invalidate(); };
    searchFooter_->OnChange = [this](TObject*) { UpdateSearchPanel(); };
    showModified_->OnChange = [this](TObject* sender) { ShowModifiedChanged(sender); };
    fixedFont_->Name = "Tahoma";
    fixedFont_->Style = TFontStyles() << fsBold;
    fixedFont_->OnChange = [this](TObject*) { Invalidate(); };
    activeCellFont_->Style = TFontStyles() << fsBold;
    activeCellFont_->OnChange = [this](TObject*) { Invalidate(); };
    bands_->OnChange = [this](TObject* sender) { BandsChanged(sender); };
    columnHeaders_->OnChange = [this](TStringList&) {
        ColumnHeadersChanging();
        ApplyColumnHeaders();
    };
    rowHeaders_->OnChange = [this](TStringList&) { ApplyRowHeaders(); };
    autoMergeColumns_->OnListChange = [this](TObject*, int, int) {
        SplitAllMergedCells();
        MergeListedColumns();
    };
    filterValues_->Duplicates = dupIgnore;
    filterValues_->SetSorted(true);
    mouseActions_->OnSettingsChange = [this](TObject*) { Invalidate(); };
    mouseActions_->OnQueryDesigning = [this](TObject*, bool& designing) { designing = HasState(csDesigning); };
    ControlStyle << csAcceptsControls;
    SetRowCount(10);
    SetDefaultRowHeight(22);
    fixedRowHeight_ = DefaultRowHeight();
    WordWrap = true;
    SetScrollBars(ssBoth);
    SetWidth(400);
    SetHeight(250);
    scrollWidth_ = GetSystemMetrics(SM_CXVSCROLL);
    InitialLeftCol = LeftCol();
    InitialTopRow = TopRow();
    if (!HasState(csDesigning))
        editFrameWindow_ = new TGridFocusWindow(this);
    // a grid on a form at run time follows the form's size changes (SizeWithForm, stretching)
    if (auto* form = dynamic_cast<TForm*>(owner); form && !HasState(csDesigning)) {
        savedFormResize_ = form->OnResize;
        formResizeKept_ = true;
        form->OnResize = [this](TObject* sender) { OwnerFormResize(sender); };
        OwnerFormWidth = form->Width();
        OwnerFormHeight = form->Height();
    }
}

TPlusStringGrid::~TPlusStringGrid()
{
    if (formResizeKept_ && !HasState(csDesigning))
        if (auto* form = dynamic_cast<TForm*>(Owner()); form && !form->HasState(csDestroying))
            form->OnResize = savedFormResize_;
    StopDragScrollTimer();
    if (columnSize_->Save) {
        try {
            StoreColumnWidths();
        } catch (...) {
            // a layout store that cannot be written loses this layout, not the grid
        }
    }
    destroying_ = true;
    // hidden rows give their records back to the grid's bookkeeping, which frees them
    for (TGridItem* item : hiddenRows_)
        FreeGridItem(item);
    hiddenRows_.clear();
}

void TPlusStringGrid::FreeGridItem(TGridItem* item)
{
    if (!item)
        return;
    for (int i = 0; i < item->LineCount(); ++i)
        if (auto* record = dynamic_cast<TCellProperties*>(item->LineObject(i)))
            ReleaseCellProperties(record);
    delete item;
}

TCellGraphic::~TCellGraphic()
{
    switch (CellType) {
    case ctBitmap:
    case ctRadio:
    case ctPicture:
    case ctFilePicture:
    case ctBitButton:
        if (CellCreated)
            delete CellData;
        break;
    case ctImages:
    case ctBalloon:
        delete CellData;
        break;
    case ctIcon:
        if (CellCreated)
            delete CellData2;
        break;
    case ctCheckBox:
    case ctDataCheckBox:
    case ctRadioButton:
        if (CellAngle == 1)
            delete CellData;
        break;
    default:
        break;
    }
}

void TCellGraphic::Assign(TPersistent* source)
{
    auto* other = dynamic_cast<TCellGraphic*>(source);
    if (!other || other == this)
        return;
    CellType = other->CellType;
    CellVAlign = other->CellVAlign;
    CellHAlign = other->CellHAlign;
    CellIndex = other->CellIndex;
    CellTransparent = other->CellTransparent;
    CellValue = other->CellValue;
    CellAngle = other->CellAngle;
    CellBoolean = other->CellBoolean;
    CellErrFrom = other->CellErrFrom;
    CellErrLen = other->CellErrLen;
    CellText = other->CellText;
    CellCreated = other->CellCreated;
    CellColor = other->CellColor;
    CellColor2 = other->CellColor2;
}

TSize TCellGraphic::FitPictureSize(int width, int height) const
{
    int pw = 0, ph = 0;
    if (auto* picture = dynamic_cast<TPicture*>(CellData)) {
        pw = picture->Width();
        ph = picture->Height();
    } else if (auto* file = dynamic_cast<TFilePicture*>(CellData)) {
        pw = file->Width();
        ph = file->Height();
    }
    const int w = width - CellIndex, h = height - CellIndex;
    const double fx = pw > 0 ? double(w) / pw : 1.0;
    const double fy = ph > 0 ? double(h) / ph : 1.0;
    auto keepAspect = [&](double ax, double ay) {
        if (ax >= ay)
            return TSize{int(std::lround(pw * ay)), h};
        return TSize{w, int(std::lround(ph * ax))};
    };
    switch (CellAngle) {
    case 1:
        return TSize{w, h};
    case 2:
        return keepAspect(fx, fy);
    case 3:
        return w >= pw && h >= ph ? TSize{pw, ph} : TSize{w, h};
    case 4:
        if (w >= pw && h >= ph)
            return TSize{pw, ph};
        return keepAspect(std::min(fx, 1.0), std::min(fy, 1.0));
    default:
        return TSize{pw, ph};
    }
}

void TGrouping::Assign(TPersistent* source)
{
    auto* other = dynamic_cast<TGrouping*>(source);
    if (!other || other == this)
        return;
    GroupCountFormat = other->GroupCountFormat;
    HeaderColor = other->HeaderColor;
    HeaderColorTo = other->HeaderColorTo;
    HeaderTextColor = other->HeaderTextColor;
    HeaderUnderline = other->HeaderUnderline;
    MergeHeader = other->MergeHeader;
    MergeSummary = other->MergeSummary;
    ShowGroupCount = other->ShowGroupCount;
    SummaryColor = other->SummaryColor;
    SummaryColorTo = other->SummaryColorTo;
    SummaryTextColor = other->SummaryTextColor;
    SummaryLine = other->SummaryLine;
}

// ---------------------------------------------------------------- dimensions

void TPlusStringGrid::SetRowCount(int value)
{
    value = std::max(1, value);
    if (value < RowCount()) {
        // the rows that leave take their cells with them
        const bool moving = RowsMoving;
        RowsMoving = false;
        SplitMergesCutBy(0, value, TotalColCount() - 1, RowCount() - 1);
        ClearRect(0, value, std::max(TotalColCount(), StoreColCount()) - 1, RowCount() - 1);
        RowsMoving = moving;
        TruncateStoreRows(value);
        // hidden rows keep their place among the rows that stay: each moves up by the shown
        // rows that left before it
        ShiftHiddenForRemoval(DisplayToRealRow(value), RowCount() - value);
        if (int(selectedRows_.size()) > value && !mouseActions_->RowSelectPersistent)
            selectedRows_.resize(size_t(value));
    }
    TBaseGrid::SetRowCount(value);
    DisplayRowLimit = value;
    if (FixedRowAlways && RequestedFixedRows < RowCount())
        SetFixedRows(RequestedFixedRows);
    HighestRowCount = std::max(HighestRowCount, value);
}

void TPlusStringGrid::SetColCount(int value)
{
    value = std::max(1, value);
    if (value < ColCount()) {
        // the columns from the first one that leaves take their cells with them, hidden ones
        // among them included
        const int total = TotalColCount();
        const int first = DisplayToRealColumn(value);
        const bool moving = RowsMoving;
        RowsMoving = false;
        ClearRect(first, 0, std::max(total, StoreColCount()) - 1, RowCount() - 1);
        RowsMoving = moving;
        for (int c = first; c < std::min(total, 512); ++c)
            if (!columnVisible_[size_t(c)]) {
                columnVisible_[size_t(c)] = true;
                --HiddenColCount;
            }
        if (!hiddenRows_.empty())
            SplitHiddenMerges();
        for (TGridItem* item : hiddenRows_)
            while (item->Items->Count() > first) {
                if (auto* record = dynamic_cast<TCellProperties*>(item->Items->Objects(item->Items->Count() - 1)))
                    ReleaseCellProperties(record);
                item->Items->Delete(item->Items->Count() - 1);
            }
    }
    TBaseGrid::SetColCount(value);
    if (FixedColAlways && RequestedFixedCols < ColCount())
        SetFixedCols(RequestedFixedCols);
    HighestColCount = std::max(HighestColCount, value);
}

int TPlusStringGrid::FixedRows() const
{
    const int rows = TBaseGrid::FixedRows();
    return rows == 0 && FixedRowAlways ? 1 : rows;
}

int TPlusStringGrid::FixedCols() const
{
    const int cols = TBaseGrid::FixedCols();
    return cols == 0 && FixedColAlways ? 1 : cols;
}

void TPlusStringGrid::SetFixedRows(int value)
{
    int rows = value;
    if (FixedRowAlways && value >= RowCount())
        rows = RowCount() - 1;
    TBaseGrid::SetFixedRows(rows);
    if (!Loading())
        RequestedFixedRows = value;
}

void TPlusStringGrid::SetFixedCols(int value)
{
    int cols = value;
    if (FixedColAlways && value >= ColCount())
        cols = ColCount() - 1;
    TBaseGrid::SetFixedCols(cols);
    if (!Loading())
        RequestedFixedCols = value;
}

void TPlusStringGrid::SetDefaultRowHeight(int value)
{
    TBaseGrid::SetDefaultRowHeight(value);
    if (HasState(csDesigning))
        fixedRowHeight_ = value;
    if (floatingFooter_) {
        floatingFooter_->FooterHeight = value;
        if (footerPanel_ && floatingFooter_->Visible())
            footerPanel_->SetHeight(value - 1);
    }
}

void TPlusStringGrid::SetFixedRowHeight(int value)
{
    fixedRowHeight_ = value;
    if (Loading())
        return;
    if (value == DefaultRowHeight()) {
        SetDefaultRowHeight(value);
        return;
    }
    for (int r = 0; r < TBaseGrid::FixedRows(); ++r)
        SetRowHeights(r, value);
}

void TPlusStringGrid::SetFixedColWidth(int value)
{
    if (Loading() || value == DefaultColWidth())
        return;
    for (int c = 0; c < TBaseGrid::FixedCols(); ++c)
        SetColWidths(c, value);
}

void TPlusStringGrid::SetFixedFooters(int value)
{
    fixedFooters_ = value;
    Invalidate();
}

void TPlusStringGrid::SetFixedRightCols(int value)
{
    fixedRightCols_ = value;
    Invalidate();
}

void TPlusStringGrid::InvalidateUnlessUpdating()
{
    if (UpdateCount == 0)
        Invalidate();
}

void TPlusStringGrid::SetVAlignment(TVAlignment value)
{
    vAlignment_ = value;
    VAlignFlags = value == vtaCenter ? 4 : value == vtaBottom ? 8 : 0;
    InvalidateUnlessUpdating();
}

void TPlusStringGrid::SetWordWrap(bool value)
{
    WordWrap = value;
    InvalidateUnlessUpdating();
}

void TPlusStringGrid::SetShowSelection(bool value)
{
    if (value == ShowSelection)
        return;
    ShowSelection = value;
    Invalidate();
}

void TPlusStringGrid::SetFlat(bool value)
{
    flat_ = value;
    if (!Loading())
        Invalidate();
}

// ---------------------------------------------------------------- cells

bool TPlusStringGrid::IsValidCell(int col, int row) const
{
    return col >= 0 && row >= 0 && col < GetAllColCount() && row < RowCount();
}

void TPlusStringGrid::RepaintCellAt(int col, int row)
{
    if (UpdateCount == 0)
        InvalidateCell(col, row);
}

void TPlusStringGrid::SetCellInteger(int col, int row, int value)
{
    if (IsValidCell(col, row))
        SetCellText(col, row, std::to_string(value));
}

int TPlusStringGrid::GetCellInteger(int col, int row)
{
    String text = IsValidCell(col, row) ? Trim(GetCellText(col, row)) : String();
    if (text.empty() || text == "-")
        text = "0";
    int value = 0;
    if (!ParseStrictInt(text, value))
        throw EPlusGridError("Cell does not contain integer value");
    return value;
}

String TPlusStringGrid::FormatFloatValue(double value) const
{
    const String& format = SafeFloatFormat(FloatFormat) ? FloatFormat : String("%.2f");
    char buffer[512];
    const int n = std::snprintf(buffer, sizeof buffer, format.c_str(), value);
    String text = n < 0 ? String() : String(buffer, size_t(std::min(n, int(sizeof buffer) - 1)));
    const char separator = FormatSettings().DecimalSeparator;
    if (separator != '.')
        for (char& c : text)
            if (c == '.')
                c = separator;
    return text;
}

void TPlusStringGrid::SetCellFloat(int col, int row, double value)
{
    if (IsValidCell(col, row))
        SetCellText(col, row, FormatFloatValue(value));
}

double TPlusStringGrid::GetCellFloat(int col, int row)
{
    String text = IsValidCell(col, row) ? ExtractNumberText(GetCellText(col, row)) : String();
    if (text.empty() || text == "-")
        text = "0";
    TFormatSettings dot = FormatSettings();
    dot.DecimalSeparator = '.';
    double value = 0;
    if (!TryStrToFloat(text, value, dot))
        throw EPlusGridError("Cell does not contain a float value");
    return value;
}

void TPlusStringGrid::SetCellDate(int col, int row, TDateTime value)
{
    if (IsValidCell(col, row))
        SetCellText(col, row, value > 0 || WriteZeroDates ? DateToStr(value) : String());
}

void TPlusStringGrid::SetColors(int col, int row, TColor value)
{
    if (!IsValidCell(col, row))
        return;
    EnsureCellProperties(col, row)->SetBrushColor(value);
    RepaintCellAt(col, row);
}

TColor TPlusStringGrid::GetColors(int col, int row) const
{
    const TCellProperties* record = IsValidCell(col, row) ? CellProperties(col, row) : nullptr;
    return record ? record->BrushColor() : clNone;
}

void TPlusStringGrid::SetColorsTo(int col, int row, TColor value)
{
    if (!IsValidCell(col, row))
        return;
    EnsureCellProperties(col, row)->SetBrushColorTo(value);
    RepaintCellAt(col, row);
}

void TPlusStringGrid::SetFontColors(int col, int row, TColor value)
{
    if (!IsValidCell(col, row))
        return;
    EnsureCellProperties(col, row)->FontColor = value;
    RepaintCellAt(col, row);
}

String TPlusStringGrid::GetVersion() const
{
    const uint32_t version = 0x03040200;
    return std::to_string(version >> 24) + "." + std::to_string((version >> 16) & 0xFF) + "." +
           std::to_string((version >> 8) & 0xFF) + "." + std::to_string(version & 0xFF);
}

// ---------------------------------------------------------------- lifecycle

void TPlusStringGrid::Assign(TPersistent* source)
{
    auto* other = dynamic_cast<TPlusStringGrid*>(source);
    if (!other || other == this)
        return;
    Font()->Assign(other->Font());
    SetActiveCellColor(other->activeCellColor_);
    SetActiveCellColorTo(other->activeCellColorTo_);
    SetActiveCellFont(other->ActiveCellFont());
    SetActiveCellShow(other->activeCellShow_);
    SetActiveRowShow(other->ActiveRowShow());
    Align = other->Align;
    AutoNumAlign = other->AutoNumAlign;
    AutoFilterUpdate = other->AutoFilterUpdate;
    mouseActions_->Assign(other->mouseActions_.get());
    navigation_->Assign(other->navigation_.get());
    grouping_->Assign(other->grouping_.get());
    searchFooter_->Assign(other->searchFooter_.get());
    printSettings_->Assign(other->printSettings_.get());
    htmlSettings_->Assign(other->htmlSettings_.get());
    bands_->Assign(other->bands_.get());
    CellNode()->Assign(other->CellNode());
    sortSettings_->Assign(other->sortSettings_.get());
    dragScrollOptions_->Assign(other->dragScrollOptions_.get());
    columnSize_->Assign(other->columnSize_.get());
    syncGrid_->Assign(other->syncGrid_.get());
    focusHelper_->Assign(other->focusHelper_.get());
    officeHint_->Assign(other->officeHint_.get());
    FixedRowAlways = other->FixedRowAlways;
    SetColCount(other->ColCount());
    SetRowCount(other->RowCount());
    SetFixedRows(other->TBaseGrid::FixedRows());
    SetFixedCols(other->TBaseGrid::FixedCols());
    SetDefaultColWidth(other->DefaultColWidth());
    SetDefaultRowHeight(other->DefaultRowHeight());
    SetFixedRowHeight(other->FixedRowHeight());
    SetFixedColWidth(other->FixedColWidth());
    InvalidEntryIcon = other->InvalidEntryIcon;
    SetOptions(other->Options());
    for (int c = 0; c < ColCount(); ++c)
        SetColWidths(c, other->ColWidths(c));
    columnHeaders_->Assign(*other->columnHeaders_);
    for (int r = 0; r < RowCount(); ++r)
        SetRowHeights(r, other->RowHeights(r));
    ScrollSynch = other->ScrollSynch;
    ScrollHints = other->ScrollHints;
    SetScrollBarAlways(other->scrollBarAlways_);
    SetScrollProportional(other->scrollProportional_);
    SetScrollBars(other->scrollBarsValue_);
    SetScrollColor(other->scrollColor_);
    SetScrollType(other->scrollType_);
    SetScrollWidth(other->scrollWidth_);
    CopyCellsFrom(other);
}

void TPlusStringGrid::CopyCellsFrom(TPersistent* source)
{
    auto* other = dynamic_cast<TPlusStringGrid*>(source);
    if (!other || other == this)
        return;
    // what a text cell stream of the whole grid carries: its size, the column widths and
    // every non-empty cell text, read in through the load-cell hook
    SetColCount(other->ColCount());
    SetRowCount(other->RowCount());
    for (int c = 0; c < ColCount(); ++c)
        SetColWidths(c, other->ColWidths(c));
    for (int r = 0; r < RowCount(); ++r)
        for (int c = 0; c < ColCount(); ++c) {
            const String text = other->GetRawCell(other->DisplayToRealColumn(c), r);
            if (!text.empty())
                LoadCellText(DisplayToRealColumn(c), r, text);
        }
    CellsChanged(TRect(0, 0, ColCount(), RowCount()));
}

void TPlusStringGrid::Loaded()
{
    TBaseGrid::Loaded();
    ApplyColumnHeaders();
    ApplyRowHeaders();
    if (columnSize_->Save)
        RestoreColumnWidths();
    RequestedFixedRows = TBaseGrid::FixedRows();
    RequestedFixedCols = TBaseGrid::FixedCols();
    MinRowHeight = DefaultRowHeight();
    MinColumnWidth = 10;
    HighestRowCount = RowCount();
    LoadedOnce = true;
    if (Options().Contains(goAlwaysShowEditor)) {
        SetOptions(Options() >> goAlwaysShowEditor);
        navigation_->AlwaysEdit = true;
    }
    searchFooter_->SetAutoThemeAdapt(false);
    UpdateScrollBarsAlways(false);
    StoreInitialColWidths();
    ResetColumnOrder();
}

void TPlusStringGrid::CreateWnd()
{
    if (destroying_)
        return;
    TBaseGrid::CreateWnd();
    if (!Parent())
        return;
    if (columnSize_->Save)
        RestoreColumnWidths();
    if (scrollType_ != ssNormal && !Loading()) {
        InitFlatScrollBars();
        ApplyFlatScrollWidth();
        ApplyFlatScrollColor();
    }
}

void TPlusStringGrid::SetBounds(int left, int top, int width, int height)
{
    if (IntegralHeight && UpdateCount == 0 && DefaultRowHeight() > 0) {
        const int s = VisibleColCount() + FixedCols() < ColCount() ? GetSystemMetrics(SM_CYHSCROLL) : 0;
        const int b = 2; // the grid's single border
        const int h = height - s - b;
        height = h - (h % DefaultRowHeight()) + s + 2 * b;
    }
    TBaseGrid::SetBounds(left, top, width, height);
    PaintLookBorder();
}

void TPlusStringGrid::Resize()
{
    TBaseGrid::Resize();
    if (OnResizeGrid)
        OnResizeGrid(this);
    if (backGround_->IsGradient() && backGround_->ColorTo() != clNone)
        Invalidate();
    UpdateScrollBarsAlways(false);
    ScrollBarsUpdated();
    if (HasState(csDesigning))
        Invalidate();
}

void TPlusStringGrid::OwnerFormResize(TObject* sender)
{
    if (HasState(csDesigning) || destroying_)
        return;
    if (auto* form = dynamic_cast<TForm*>(sender); form && SizeWithForm) {
        const int w = Width() + form->Width() - OwnerFormWidth;
        const int h = Height() + form->Height() - OwnerFormHeight;
        if (w > 0 && h > 0) {
            SetBounds(Left(), Top(), w, h);
            OwnerFormWidth = form->Width();
            OwnerFormHeight = form->Height();
        }
    }
    if (savedFormResize_) {
        try {
            savedFormResize_(sender);
        } catch (...) {
            // the form's own handler may fail; the grid still follows the form
        }
    }
    if (columnSize_->Stretch())
        StretchColumn(columnSize_->StretchColumn);
}

String TPlusStringGrid::GetEditMask(int col, int row)
{
    String value = EditMaskText;
    if (OnGetEditMask)
        OnGetEditMask(this, col, row, value);
    return value;
}

TForm* TPlusStringGrid::FindParentForm(TControl* control)
{
    for (TControl* c = control; c; c = c->Parent())
        if (auto* form = dynamic_cast<TForm*>(c))
            return form;
    return nullptr;
}

// ---------------------------------------------------------------- settings with their own setters

void TPlusStringGrid::SetHighlightColor(TColor value)
{
    if (value == highlightColor_)
        return;
    highlightColor_ = value;
    SetHtmlHighlightColors(highlightColor_, highlightTextColor_);
    Invalidate();
}

void TPlusStringGrid::SetHighlightTextColor(TColor value)
{
    if (value == highlightTextColor_)
        return;
    highlightTextColor_ = value;
    SetHtmlHighlightColors(highlightColor_, highlightTextColor_);
    Invalidate();
}

void TPlusStringGrid::SetActiveCellShow(bool value)
{
    activeCellShow_ = value;
    Invalidate();
}

void TPlusStringGrid::SetActiveCellColor(TColor value)
{
    activeCellColor_ = value;
    Invalidate();
}

void TPlusStringGrid::SetActiveCellColorTo(TColor value)
{
    activeCellColorTo_ = value;
    Invalidate();
}

void TPlusStringGrid::SetActiveCellFont(TFont* value)
{
    if (value)
        activeCellFont_->Assign(value);
    Invalidate();
}

void TPlusStringGrid::SetShowDesignHelper(bool value)
{
    if (value == showDesignHelper_)
        return;
    showDesignHelper_ = value;
    Invalidate();
}

void TPlusStringGrid::SetBackGround(TBackGround* value)
{
    if (value)
        backGround_->Assign(value);
    Invalidate();
}

void TPlusStringGrid::SetRowIndicator(TBitmap* value)
{
    if (value)
        rowIndicator_->Assign(value);
    else
        rowIndicator_ = std::make_unique<TBitmap>();
    RepaintCell(0, Row());
}
