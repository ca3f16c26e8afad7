#pragma once
// TPlusStringGrid: the feature-rich string grid, a TBaseGrid that adds typed cell access, per-cell
// colours and the settings the rest of the grid reads. Cells live in the framework grid's store
// (text and one object slot per written cell, nothing for cells never written), so a grid of a
// million rows costs nothing until its cells are filled.
//
// Index rule: every cell, row and column index a caller passes is checked. Writers ignore a cell
// outside the grid (a no-op); readers answer the empty value ("" / 0 / clNone / ctEmpty).
#include "BaseGrid.h"
#include "PlusObj.h"

#include <array>
#include <memory>
#include <set>
#include <vector>

#include "platform/rtl/DateUtils.h"

QUELM_DECLARE_EXCEPTION(EPlusGridError, Exception)

class TCustomImageList;

enum TGridLook { glStandard, glXP, glSoft, glClassic, glTMS, glVista, glWin7, glOffice2007, glWindows8 };
// What a cell's graphic is; ctEmpty is never stored (the answer for a cell without a graphic).
enum TCellType : uint8_t {
    ctBitmap, ctIcon, ctNone, ctImageList, ctCheckBox, ctDataCheckBox, ctRotated, ctDataImage, ctNode, ctRadio,
    ctEmpty, ctImages, ctPicture, ctFilePicture, ctValue, ctProgress, ctComment, ctButton, ctBitButton,
    ctVirtCheckBox, ctRowCheckBox, ctProgressPie, ctSummary, ctRangeIndicator, ctXPProgress, ctInterface,
    ctScrollbar, ctRadioButton, ctBalloon, ctShape, ctRating
};
enum TCellVAlign { vaTop, vaBottom, vaCenter, vaUnderText, vaAboveText, vaFull };
enum TCellHAlign { haLeft, haRight, haCenter, haBeforeText, haAfterText, haFull };
enum TCellBorder { cbTop, cbLeft, cbRight, cbBottom };
using TCellBorders = TSet<TCellBorder>;

// The graphic of one cell, kept in the cell's properties; the grid frees it with them.
class TCellGraphic : public TPersistent {
public:
    TCellGraphic() = default;
    ~TCellGraphic() override;
    String ClassName() const override { return "TCellGraphic"; }
    // Copies everything but the held objects (CellData, CellData2) and CellVariant.
    void Assign(TPersistent* source) override;
    // The drawn size of a picture graphic in a box of width x height (by CellAngle's fit mode).
    TSize FitPictureSize(int width, int height) const;

    TCellType CellType = ctNone;
    TObject* CellData = nullptr;   // or a colour, by type (CellColor)
    TObject* CellData2 = nullptr;  // or a colour, by type (CellColor2)
    TColor CellColor = clNone;     // the colour held in the first data slot
    TColor CellColor2 = clNone;    // the colour held in the second data slot
    TCellVAlign CellVAlign = vaTop;
    TCellHAlign CellHAlign = haLeft;
    int CellIndex = 0;
    bool CellTransparent = false;
    bool CellCreated = false;
    bool CellBoolean = false;
    int CellAngle = 0;
    double CellValue = 0;
    int CellErrFrom = 0;
    int CellErrLen = 0;
    String CellText;
    int CellVariant = 0;
};

// One hidden row: its cells (all real columns, each string with its cell record) and height.
class TGridItem : public TObject {
public:
    TGridItem() : Items(new TStringList) {}
    ~TGridItem() override { delete Items; }
    int Idx = 0;
    int Height = 0;
    int Level = 0;
    TStringList* Items;
};

// Grouping options and colours.
class TGrouping : public TPersistent {
public:
    String ClassName() const override { return "TGrouping"; }
    void Assign(TPersistent* source) override;
    bool MergeHeader = false;
    bool MergeSummary = false;
    TColor HeaderColor = clNone;
    TColor HeaderColorTo = clNone;
    TColor HeaderTextColor = clNone;
    bool HeaderUnderline = false;
    TColor HeaderLineColor = clBlue;
    int HeaderLineWidth = 2;
    bool Summary = false;
    TColor SummaryColor = clNone;
    TColor SummaryColorTo = clNone;
    TColor SummaryTextColor = clNone;
    bool SummaryLine = false;
    TColor SummaryLineColor = clBlue;
    int SummaryLineWidth = 2;
    bool ShowGroupCount = false;
    String GroupCountFormat;
    bool AutoSelectGroup = false;
};

enum TSortDirection { sdAscending, sdDescending };
// ---- sorting types (PlusGridSort.cpp)
// How two cells of a column compare; chosen per column by OnGetFormat or detected from the text.
enum TSortStyle {
    ssAutomatic, ssAlphabetic, ssNumeric, ssDate, ssAlphaNoCase, ssAlphaCase, ssShortDateEU, ssShortDateUS,
    ssCustom, ssFinancial, ssAnsiAlphaCase, ssAnsiAlphaNoCase, ssRaw, ssHTML, ssImages, ssCheckBox, ssUnicode,
    ssDateTime, ssTime, ssAlphaNumeric, ssAlphaNumericNoCase
};
enum TSortBlankPosition { blFirst, blLast };
enum TIndexSortKey { ikShift, ikCtrl };
class TPlusStringGrid;

// The sort state and options of a grid: read by the header painting and the sorts.
class TSortSettings : public TPersistent {
public:
    explicit TSortSettings(TPlusStringGrid* grid = nullptr);
    ~TSortSettings() override;
    String ClassName() const override { return "TSortSettings"; }
    // Copies every setting but IgnoreCase and SortOnVirtualCells (glyphs by content).
    void Assign(TPersistent* source) override;
    // Raises Exception "Sort row should be smaller than number of fixed rows" (Row unchanged)
    // for a row at or beyond the grid's FixedRows.
    void SetRow(int value);
    void SetShow(bool value); // invalidates the grid
    TBitmap* UpGlyph() const { return upGlyph_.get(); }
    TBitmap* DownGlyph() const { return downGlyph_.get(); }
    TBitmap* IndexUpGlyph() const { return indexUpGlyph_.get(); }
    TBitmap* IndexDownGlyph() const { return indexDownGlyph_.get(); }
    // The setters copy the given picture; the settings keep their own.
    void SetUpGlyph(TBitmap* value);
    void SetDownGlyph(TBitmap* value);
    void SetIndexUpGlyph(TBitmap* value);
    void SetIndexDownGlyph(TBitmap* value);
    // The header colours of the sorted column; a change repaints the last fixed row.
    TColor HeaderColor() const { return headerColor_; }
    TColor HeaderColorTo() const { return headerColorTo_; }
    TColor HeaderMirrorColor() const { return headerMirrorColor_; }
    TColor HeaderMirrorColorTo() const { return headerMirrorColorTo_; }
    void SetHeaderColor(TColor value) { SetHeader(headerColor_, value); }
    void SetHeaderColorTo(TColor value) { SetHeader(headerColorTo_, value); }
    void SetHeaderMirrorColor(TColor value) { SetHeader(headerMirrorColor_, value); }
    void SetHeaderMirrorColorTo(TColor value) { SetHeader(headerMirrorColorTo_, value); }

    TPlusStringGrid* Grid = nullptr; // not owned
    int Column = -1;
    int Row = 0;
    bool Show = false;
    bool IndexShow = false;
    bool Full = true;
    bool SingleColumn = false;
    bool IgnoreBlanks = false;
    TSortBlankPosition BlankPos = blFirst;
    bool AutoFormat = true;
    TSortDirection Direction = sdAscending;
    bool NormalCellsOnly = false;
    bool FixedCols = false;
    bool AutoColumnMerge = false;
    TColor IndexColor = clYellow;
    TSortDirection InitSortDirection = sdAscending;
    bool UndoSort = false;
    bool SortOnVirtualCells = true;
    bool AutoSortForGrouping = true;
    bool IgnoreCase = false;
    TIndexSortKey IndexSortKey = ikShift;

private:
    void SetHeader(TColor& field, TColor value);
    std::unique_ptr<TBitmap> upGlyph_, downGlyph_, indexUpGlyph_, indexDownGlyph_;
    TColor headerColor_ = clNone;
    TColor headerColorTo_ = clNone;
    TColor headerMirrorColor_ = clNone;
    TColor headerMirrorColorTo_ = clNone;
};

using TGetFormatEvent =
    std::function<void(TObject* Sender, int ACol, TSortStyle& AStyle, String& aPrefix, String& aSuffix)>;
using TCustomCompareEvent = std::function<void(TObject* Sender, const String& str1, const String& str2, int& Res)>;
using TRawCompareEvent = std::function<void(TObject* Sender, int ACol, int Row1, int Row2, int& Res)>;
using TRowUpdateEvent = std::function<void(TObject* Sender, int OldRow, int NewRow)>;
using TCanSortEvent = std::function<void(TObject* Sender, int ACol, bool& DoSort)>;
using TClickSortEvent = std::function<void(TObject* Sender, int ACol)>;

// The picture or gradient behind the cells.
class TBackGround : public TPersistent {
public:
    String ClassName() const override { return "TBackGround"; }
    TColor Color = clNone;
    TColor ColorTo = clNone;
    bool Horizontal = false;
    TBitmap* Bitmap = nullptr; // not owned
};

using TCellsChangedEvent = std::function<void(TObject* Sender, const TRect& R)>;
using TGridColorEvent =
    std::function<void(TObject* Sender, int ARow, int ACol, TGridDrawState AState, TBrush* ABrush, TFont* AFont)>;
using TGridAlignEvent =
    std::function<void(TObject* Sender, int ARow, int ACol, TAlignment& HAlign, TVAlignment& VAlign)>;
using TGridBorderEvent =
    std::function<void(TObject* Sender, int ARow, int ACol, TPen* APen, TCellBorders& Borders)>;
using TCustomCellDrawEvent = std::function<void(TObject* Sender, TCanvas* Canvas, int ACol, int ARow,
                                                TGridDrawState AState, TRect ARect, bool Printing)>;
using TIsFixedCellEvent = std::function<void(TObject* Sender, int ARow, int ACol, bool& IsFixed)>;
using TCanEditCellEvent = std::function<void(TObject* Sender, int ARow, int ACol, bool& CanEdit)>;
using TClickCellEvent = std::function<void(TObject* Sender, int ARow, int ACol)>;
using TCheckBoxClickEvent = std::function<void(TObject* Sender, int ACol, int ARow, bool State)>;
enum THoverFixedCells { hfNone, hfFixedRows, hfFixedColumns, hfAll };
enum TInvalidEntryIcon { ieNone, ieInfo, ieWarning, ieError };

// ---- file import and cell exchange events (PlusGridIO.cpp)
using TGridProgressEvent = std::function<void(TObject* Sender, short progress)>;
using TCellSaveLoadEvent = std::function<void(TObject* Sender, int ACol, int ARow, String& Value)>;

class TPlusStringGrid : public TBaseGrid {
public:
    explicit TPlusStringGrid(TComponent* owner);
    ~TPlusStringGrid() override;
    String ClassName() const override { return "TPlusStringGrid"; }

    // ---- published settings (values as constructed)
    bool EnhRowColMove = true;
    TColor HintColor = clInfoBk;
    TColor HighlightColor = clHighlight;
    TColor HighlightTextColor = clHighlightText;
    TColor URLColor = 0xFF0000;
    bool IntelliZoom = true;
    TColor ScrollColor = clNone;
    int ScrollWidth = 17;
    bool FixedAsButtons = false;
    bool HideFocusRect = false;
    // One floating-point conversion (%f, %e, %g with optional flags, width and precision) and
    // literal text; any other pattern writes the value as "%.2f" would.
    String FloatFormat = "%.2f";
    bool EnableHTML = true;
    bool EnableWheel = true;
    THoverFixedCells HoverFixedCells = hfNone;
    TGridLook Look = glXP;
    String FilterDropDownClear = "(All)";
    bool AutoFilterUpdate = true;
    TColor ActiveCellColor = clGray;
    TColor ActiveCellColorTo = clNone;
    TEditorType DefaultEditor = edNormal;
    TColor DisabledFontColor = clSilver;
    TInvalidEntryIcon InvalidEntryIcon = ieWarning;
    bool ShowDesignHelper = true;
    bool UseInternalHintClass = true;

    // ---- internal state read by the rest of the grid
    BYTE ColorStyle = 6;
    int HideLevel = 0;
    int GroupColumn = -1;
    bool LoadedOnce = false;
    TPoint HintCell{-1, -1};
    BYTE AppliedOfficeTheme = 10;
    int UpdateCount = 0;
    bool EditValid = true;
    int NodeCount = 0;
    int HiddenColCount = 0;
    TPoint FixedCellDown{-1, -1};
    int RequestedFixedRows = 0;
    int RequestedFixedCols = 0;
    char Delimiter = '\0';
    bool OwnerDrawCells = false;
    char PasswordChar = '*';
    bool CsvTildeLineBreaks = false;
    String CheckTrueText = "Y";
    String CheckFalseText = "N";
    String EditMaskText;
    bool SaveFixedCells = true;
    bool CsvFirstLineIsData = true;
    bool MapHiddenColumns = false;
    bool ExportDisplayText = true;
    bool ExportHTMLTags = true;
    bool AlwaysEditing = false;
    bool SkipNextInvalidate = false;
    TPoint MouseDownCell{-1, -1};
    char EditStartKey = '\0';
    int LastUpdatedRow = -1;
    int EditorItemIndex = -1;
    int FontSizeDelta = 0;
    bool StretchBusy = false;
    bool StretchPending = true;
    int SizingCol = -1;
    int SizingRow = -1;
    BYTE DragSelectMode = 0;
    int DragSelectRow = -1;
    TEditorType ActiveEditorType = edNormal;
    int FilterDropDownCol = -1;
    TPoint XYOffset{2, 2};
    int InitialGridWidth = -1;
    bool RowsMoving = false;
    TColor SelectionPenColor = 0;
    bool KeepCellProps = false;
    bool AutoSizeGrowOnly = false;
    int MaxColumnWidth = 0;
    int MinRowHeight = 0;
    int MinColumnWidth = 0;
    int MaxRowHeight = 0;
    TColor FixedGradientFrom = 0xFFFFFF; // kept as RGB
    TColor FixedGradientTo;
    TColor FixedGradientMirrorFrom = clNone;
    TColor FixedGradientMirrorTo = clNone;
    bool WriteZeroDates = true;

    // ---- dimensions (these hide the framework setters: they keep the grid's own state in step)
    void SetRowCount(int value);
    void SetColCount(int value);
    // Reads 1 when the framework has none and the matching "always" flag is set.
    int FixedRows() const;
    int FixedCols() const;
    // With the "always" flag, a count that reaches the grid's extent is held one below it and the
    // asked count comes back once the grid grows; without it such a count raises
    // EInvalidGridOperation and nothing changes.
    void SetFixedRows(int value);
    void SetFixedCols(int value);
    bool FixedRowAlways = false;
    bool FixedColAlways = false;
    int HighestRowCount = 0;
    int HighestColCount = 0;
    void SetDefaultRowHeight(int value);
    int FixedRowHeight() const { return fixedRowHeight_; }
    void SetFixedRowHeight(int value);
    int FixedColWidth() const { return ColWidths(0); }
    void SetFixedColWidth(int value);
    int FixedFooters() const { return fixedFooters_; }
    void SetFixedFooters(int value);
    int FixedRightCols() const { return fixedRightCols_; }
    void SetFixedRightCols(int value);

    // ---- appearance with their own setters
    TVAlignment VAlignment() const { return vAlignment_; }
    void SetVAlignment(TVAlignment value);
    // Text-drawing vertical flag matching VAlignment: 0, DT_VCENTER (4) or DT_BOTTOM (8).
    int VAlignFlags = 0;
    void SetWordWrap(bool value); // the base grid's WordWrap
    // These store a changed value and repaint the grid; the same value again repaints nothing.
    TColor SelectionColor() const { return selectionColor_; }
    void SetSelectionColor(TColor value) { SetAndRepaint(selectionColor_, value); }
    TColor SelectionColorTo() const { return selectionColorTo_; }
    void SetSelectionColorTo(TColor value) { SetAndRepaint(selectionColorTo_, value); }
    bool SelectionColorMixer() const { return selectionColorMixer_; }
    void SetSelectionColorMixer(bool value) { SetAndRepaint(selectionColorMixer_, value); }
    TColor SelectionMirrorColor() const { return selectionMirrorColor_; }
    void SetSelectionMirrorColor(TColor value) { SetAndRepaint(selectionMirrorColor_, value); }
    TColor SelectionMirrorColorTo() const { return selectionMirrorColorTo_; }
    void SetSelectionMirrorColorTo(TColor value) { SetAndRepaint(selectionMirrorColorTo_, value); }
    TColor SelectionTextColor() const { return selectionTextColor_; }
    void SetSelectionTextColor(TColor value) { SetAndRepaint(selectionTextColor_, value); }
    bool SelectionRectangle() const { return selectionRectangle_; }
    void SetSelectionRectangle(bool value) { SetAndRepaint(selectionRectangle_, value); }
    bool SelectionResizer() const { return selectionResizer_; }
    void SetSelectionResizer(bool value) { SetAndRepaint(selectionResizer_, value); }
    TAlignment DefaultAlignment() const { return defaultAlignment_; }
    void SetDefaultAlignment(TAlignment value) { SetAndRepaint(defaultAlignment_, value); }
    TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(TColor value) { SetAndRepaint(borderColor_, value); }
    // Copied into the base grid's ShowSelection.
    void SetShowSelection(bool value);
    bool Flat() const { return flat_; }
    void SetFlat(bool value);
    int MaxEditLength = 0;

    // ---- extent
    // Columns and rows the store addresses: shown and hidden ones.
    int GetAllColCount() const { return ColCount() + HiddenColCount; }
    int GetAllRowCount() const { return RowCount() + HiddenRowCount(); }
    // True when (col, row) is a cell of the store: a real column (hidden ones included) and a shown row.
    bool IsValidCell(int col, int row) const;

    // ---- typed access
    void SetCellInteger(int col, int row, int value);
    // Raises EPlusGridError "Cell does not contain integer value".
    int GetCellInteger(int col, int row);
    void SetCellFloat(int col, int row, double value);
    // Raises EPlusGridError "Cell does not contain a float value".
    double GetCellFloat(int col, int row);
    void SetCellDate(int col, int row, TDateTime value);
    String FormatFloatValue(double value) const;

    // ---- per-cell colours
    void SetColors(int col, int row, TColor value);
    TColor GetColors(int col, int row) const;
    void SetColorsTo(int col, int row, TColor value);
    void SetFontColors(int col, int row, TColor value);

    String GetVersion() const;
    void SetVersion(const String&) {}

    // ---- owned settings objects
    TBands* Bands() const { return bands_.get(); }
    TGrouping* Grouping() const { return grouping_.get(); }
    TSortSettings* SortSettings() const { return sortSettings_.get(); }
    TBackGround* BackGround() const { return backGround_.get(); }
    TMouseActions* MouseActions() const { return mouseActions_.get(); }
    TNavigation* Navigation() const { return navigation_.get(); }
    TSortIndexList* SortIndexList() const { return sortIndexList_.get(); }
    TFont* FixedFont() const { return fixedFont_.get(); }
    TFont* ActiveCellFont() const { return activeCellFont_.get(); }
    TStringList* ColumnHeaders() const { return columnHeaders_.get(); }
    TStringList* RowHeaders() const { return rowHeaders_.get(); }
    TIntList* RowModifiedFlags() const { return rowModified_.get(); }
    TIntList* RowDisabledFlags() const { return rowDisabled_.get(); }
    TIntList* SelectedRowOrder() const { return selectedRowOrder_.get(); }
    TCustomImageList* GridImages = nullptr; // not owned
    bool ActiveCellShow = false;
    bool AutoNumAlign = false;
    bool URLShowInText = false;
    bool GrayDisabledRows = true;
    bool RowDisablingUsed = false;
    bool ShowModifiedEnabled = false;
    TColor ShowModifiedColor = clRed;
    TColor CheckBoxColor = clBlack; // the tick of drawn check boxes

    // ---- cell graphics
    virtual TCellType GetCellType(int col, int row);
    TCellGraphic* GetCellGraphicOf(int col, int row) const;
    TCellGraphic* CreateCellGraphic(int col, int row);
    bool RemoveCellGraphic(int col, int row);
    bool RemoveCellGraphicOfType(int col, int row, TCellType type);
    // Convenience setters; each builds the cell's graphic (replacing the one it had).
    void AddCheckBox(int col, int row, bool checked, bool grayed = false);
    bool GetCheckBoxState(int col, int row);
    void SetCheckBoxState(int col, int row, bool checked);
    void AddDataCheckBox(int col, int row);
    void AddProgress(int col, int row, TColor fromColor, TColor toColor);
    void AddProgressPie(int col, int row, TColor color, int value);
    void AddComment(int col, int row, const String& comment);
    void AddButton(int col, int row, int width, int height, const String& caption, TCellHAlign hAlign,
                   TCellVAlign vAlign);
    void AddRating(int col, int row, int stars, TColor filled, TColor empty);
    void AddShape(int col, int row, int shape, TColor color, TColor color2);
    void AddRangeIndicator(int col, int row, int maximum, TColor negative, TColor positive, bool showValue);
    void AddBitmap(int col, int row, TBitmap* bitmap, bool transparent, TCellHAlign hAlign, TCellVAlign vAlign);
    void AddRotated(int col, int row, int angle, const String& text);
    String GetAllCells(int col, int realRow);
    TObject* GetAllObjects(int col, int realRow);
    void SetRowColor(int row, TColor value);
    void SetRowColorTo(int row, TColor value);
    void SetRowFontColor(int row, TColor value);
    bool GetReadOnly(int col, int row);
    void SetReadOnly(int col, int row, bool value);
    void GetCellAlignment(int col, int row, TAlignment& hAlign, TVAlignment& vAlign);
    void GetDisplText(int col, int row, String& value) override;

    // ---- real and display indexes, hidden rows and columns
    int RealToDisplayColumn(int real) const;
    int DisplayToRealColumn(int display) const;
    int RealColIndex(int display) const { return DisplayToRealColumn(display); }
    int MapDisplayColumn(int col) override { return RealToDisplayColumn(col); }
    int TotalColCount() const override { return ColCount() + HiddenColCount; }
    int CurrentRealCol() const { return DisplayToRealColumn(Col()); }
    bool IsColumnHidden(int real) const;
    int HiddenColumnCount() const { return HiddenColCount; }
    int RealToDisplayRow(int real) const;
    int DisplayToRealRow(int display) const;
    int RealRowIndex(int display) const { return DisplayToRealRow(display); }
    int DisplayRowIndex(int real) const { return RealToDisplayRow(real); }
    bool IsRowHidden(int real) const;
    int HiddenRowCount() const { return int(hiddenRows_.size()); }
    const TGridItem* HiddenRowItem(int index) const;
    void HideColumn(int col) { HideColumns(col, col); }
    void HideColumns(int from, int to);
    void UnhideColumn(int col) { UnhideColumns(col, col); }
    void UnhideColumns(int from, int to);
    void UnhideAllColumns() { UnhideColumns(0, ColCount() + HiddenColCount); }
    void HideRow(int row) { HideRows(row, row); }
    void HideRows(int from, int to);
    void UnhideRow(int row) { UnhideRows(row, row); }
    void UnhideRows(int from, int to);
    void UnhideAllRows();
    void HideRowList(TIntList* rows);
    void UnhideLastLevel();
    bool IsFixedCell(int col, int row) override;
    int SavedColumnWidth(int real) const { return real >= 0 && real < 513 ? savedColWidths_[size_t(real)] : 0; }

    // ---- structure
    void InsertRows(int row, int count, bool moveControls = true);
    void RemoveRows(int row, int count);
    void DeleteRowRange(int row, int count, bool shiftHidden);
    void RemoveRowsWithCells(int row, int count);
    void InsertCols(int col, int count);
    void RemoveCols(int col, int count);
    void AddRow() { SetRowCount(RowCount() + 1); }
    void ClearRect(int col1, int row1, int col2, int row2);
    void TrimRect(int col1, int row1, int col2, int row2);
    void ClearRows(int row, int count);
    void ClearCols(int col, int count);
    void ClearAll();
    void MergeColumnCells(int col, bool mergeAlone);
    void SplitColumnCells(int col);
    TRect GetUsedCellsRect();

    // ---- nodes and summary rows (the least grouping needs)
    void AddNode(int row, int span);
    void RemoveNode(int row);
    bool IsNodeRow(int row);
    bool IsSummaryRow(int row);
    void MarkSummaryRow(int row);
    int GetNodeSpan(int row);
    bool GetNodeState(int row); // true: contracted
    void ExpandNode(int row);
    void ContractNode(int row);
    void ExpandAllNodes();
    void ContractAllNodes();

    // ---- grouping
    virtual void GroupRowsByColumn(int col);
    virtual void Ungroup();
    double ColumnSum(int col, int fromRow, int toRow);
    double ColumnAverage(int col, int fromRow, int toRow);
    double ColumnMin(int col, int fromRow, int toRow);
    double ColumnMax(int col, int fromRow, int toRow);
    int GroupColumnWidth = 0;
    String GroupColumnHeader;
    String GroupColumnFooter;
    // Stable ascending sort of the data rows by a column's text (numbers as numbers).
    void SortByColumn(int col);

    // ---- updates, repaints, selection lists
    void BeginUpdate();
    void EndUpdate();
    void RepaintCell(int col, int row);
    void RepaintRow(int row);
    void RepaintCol(int col);
    void Invalidate() override;
    bool GetRowSelected(int row) const;
    void SetRowSelected(int row, bool selected);
    int SelectedRowCount() const;
    void ClearRowSelection();
    bool GetColSelected(int col) const;
    void SetColSelected(int col, bool selected);
    void ClearColSelection();
    bool GetRowModified(int row) const;
    void SetRowModified(int row, bool value);
    bool GetRowEnabled(int row) const;
    void SetRowEnabled(int row, bool value);
    void HeadersChanged();
    virtual void CellsChanged(const TRect& r);
    void SetTopRowChecked(int row);
    void ScrollInView(int col, int row);
    void SetRowChecked(int row);

    // ---- painting
    void GetCellColors(int col, int row, TGridDrawState& state, bool printing, bool applySelection, bool mapColumn,
                       TBrush* brush, TColor& colorTo, TColor& mirrorColor, TColor& mirrorColorTo, TFont* font,
                       TAlignment& alignment, TVAlignment& vAlignment, bool& wordWrap,
                       TCellGradientDirection& gradientDirection) override;
    void DrawCellText(TCanvas* canvas, int col, int row, TRect rect, TGridDrawState state) override;
    bool HasNodes() override { return NodeCount > 0; }
    // Cells drawn by the last paint (for tests and the benchmark).
    int PaintedCellCount = 0;

    // ---- hooks and events
    TCellsChangedEvent OnCellsChanged;
    TGridColorEvent OnGetCellColor;
    TGridAlignEvent OnGetAlignment;
    TGridBorderEvent OnGetCellBorder;
    TCustomCellDrawEvent OnCustomCellDraw;
    TCustomCellDrawEvent OnCustomCellBkgDraw;
    TIsFixedCellEvent OnIsFixedCell;
    TCanEditCellEvent OnCanEditCell;
    TCheckBoxClickEvent OnCheckBoxChange;
    virtual void GetCellColor(int col, int row, TGridDrawState state, TBrush* brush, TFont* font);
    virtual void DoGetCellBorder(int col, int row, TPen* pen, TCellBorders& borders);
    virtual bool CanEditCell(int col, int row);
    bool DoIsFixedCell(int col, int row);

    // ---- file import and cell exchange (PlusGridIO.cpp)
    bool OemConvert = false;
    TGridProgressEvent OnFileProgress;
    TCellSaveLoadEvent OnLoadCell;
    // Fires OnLoadCell (which may change the text), then stores the text in the cell.
    virtual void LoadCellText(int col, int row, const String& text);
    void LoadCsvFile(const String& fileName, int maxRows = 0) { ImportCsvFile(fileName, false, maxRows); }
    // Reads a delimited text file into the grid (below the existing rows with append). A file
    // that cannot be read raises EFOpenError, an empty one Exception "File is empty"; in both
    // cases the grid is unchanged.
    void ImportCsvFile(const String& fileName, bool append, int maxRows = 0);
    // The binary cell stream of the rectangle (Left..Right, Top..Bottom), appended to the stream.
    // Texts are carried; cell properties and graphics are not written yet (HasProp is false).
    void WriteBinaryCellStream(const TRect& rect, TMemoryStream* stream);
    // Places the cells of a binary cell stream read from the stream's position: the first cell
    // lands on `at`, the others keep their offsets (a full-grid stream keeps its coordinates,
    // shifted by `at`). Every count and length is checked against the bytes left before anything
    // is allocated; a malformed stream raises EReadError (cells placed before it stay).
    void ReadBinaryCellStream(TStream* stream, TPoint at);

    // ---- sorting (PlusGridSort.cpp)
    // Every sort orders the normal rows (FixedRows .. RowCount-FixedFooters-1) and nothing else,
    // by a total order for every style: equal keys stay in their order, empty cells, numbers and
    // other texts each form a class of their own (see CompareCellsForSort). A row's cells, its
    // objects, height, order entry and (as the settings say) its selected and modified flags move
    // together.
    TIntList* RowOrderList() const { return rowOrderList_.get(); }
    TIntList* ExcludedColumns() const { return excludedColumns_.get(); }
    TGetFormatEvent OnGetFormat;
    TCustomCompareEvent OnCustomCompare;
    TRawCompareEvent OnRawCompare;
    TRowUpdateEvent OnRowUpdate;
    TCanSortEvent OnCanSort;
    TClickSortEvent OnClickSort;
    bool SortBusy = false;
    bool SortCellByCell = false;
    virtual void ExchangeRows(int Row1, int Row2);
    // By SortSettings.Column in SortSettings.Direction; nothing when Column < 0. Clears the
    // sort index list.
    virtual void SortByColumn();
    // By SortIndexList; EPlusGridError "No indexes specified for indexed sort" when it is empty.
    virtual void SortByIndex();
    // The child rows of the expanded nodes of the deepest node level, by Column or by the list.
    virtual void SortNodeGroups();
    virtual void SortNodeGroupsByIndex();
    // Back to the order recorded in RowOrderList (fixed rows included).
    virtual void RestoreRowOrder();
    // -1, 0 or 1 for the cells (ACol, Row1) and (ACol, Row2); Direction 0 ascending, 1
    // descending (it only places blanks).
    int CompareCellsForSort(int ACol, int Row1, BYTE Direction, int Row2);
    int CompareRowsByColumn(int ACol, int Row1, int Row2);
    int CompareRowsByIndex(int Position, int Row1, int Row2);
    void SortRowRange(int ACol, int First, int Last);
    void SortRowRangeByIndex(int First, int Last);
    void SortRangeByIndex(int First, int Last);
    void SortRowsByOrderList(int First, int Last);
    void ResetRowOrderList();
    // Asks OnGetFormat for the column's style, prefix and suffix.
    virtual void DoGetFormat(int ACol, TSortStyle& AStyle, String& aPrefix, String& aSuffix);
    // What a click on the header cell of column ACol does to the sort (the mouse handler calls it
    // once it knows the click is a sort click; the in-place editor is already hidden):
    // OnCanSort, then with IndexShow the column list (indexKeyDown: the IndexSortKey key was
    // held) and SortByIndex, else the single column (flip, undo) and SortByColumn; OnClickSort.
    void SortByHeaderClick(int ACol, bool indexKeyDown);

private:
    void RepaintCellAt(int col, int row);
    bool Loading() const { return HasState(csLoading); }
    void InvalidateUnlessUpdating();
    template <typename T>
    void SetAndRepaint(T& field, T value)
    {
        if (field == value)
            return;
        field = value;
        Invalidate();
    }

    friend class TPlusStringGridAccess;
    void DrawFixedLook(TCanvas* canvas, int col, int row, const TRect& rect);
    void DrawSortIndicator(TCanvas* canvas, int col, TRect& rect);
    void DrawCellGraphic(TCanvas* canvas, TCellGraphic* graphic, int col, int row, TRect& rect,
                         const String& text);
    void DrawCellBorders(TCanvas* canvas, int col, int row, TRect rect);
    void DrawBackGround(TCanvas* canvas);
    void Paint() override;
    bool CanScrollByCopy() const override;
    void DrawCell(int col, int row, const TRect& rect, TGridDrawState state) override;
    std::set<std::pair<int, int>> mergedDrawn_; // merged ranges drawn by the current paint
    bool drawingMerged_ = false;
    void ShiftHiddenForRemoval(int firstGone, int count);
    void InsertRowRange(int row, int count, bool shiftHidden);
    // Brings back hidden rows (their records already out of the list), in real order.
    void RestoreHiddenItems(const std::vector<TGridItem*>& back);
    // Splits the merged ranges that a structure change would cut: ranges that meet the rows
    // (columns) from..to without lying inside them, or with from > to, the ranges that hold
    // both `to` and `from` (a cut between two neighbours).
    void SplitMergesAcrossRows(int from, int to);
    void SplitMergesAcrossCols(int from, int to);
    // Splits the merged ranges that meet the rectangle without lying inside it.
    void SplitMergesCutBy(int col1, int row1, int col2, int row2);
    void SplitHiddenMerges();
    void FreeGridItem(TGridItem* item);

    std::unique_ptr<TBands> bands_;
    std::unique_ptr<TGrouping> grouping_;
    std::unique_ptr<TSortSettings> sortSettings_;
    std::unique_ptr<TBackGround> backGround_;
    std::unique_ptr<TMouseActions> mouseActions_;
    std::unique_ptr<TNavigation> navigation_;
    std::unique_ptr<TSortIndexList> sortIndexList_;
    std::unique_ptr<TFont> fixedFont_;
    std::unique_ptr<TFont> activeCellFont_;
    std::unique_ptr<TStringList> columnHeaders_;
    std::unique_ptr<TStringList> rowHeaders_;
    std::unique_ptr<TIntList> rowModified_;
    std::unique_ptr<TIntList> rowDisabled_;
    std::unique_ptr<TIntList> selectedRowOrder_;
    std::vector<bool> selectedRows_;
    std::vector<bool> selectedCols_;
    std::array<bool, 513> columnVisible_;
    std::array<int16_t, 513> savedColWidths_{};
    // hidden rows, sorted by Idx except the records of hiding levels (appended per level)
    std::vector<TGridItem*> hiddenRows_;
    bool destroying_ = false;
    int fixedRowHeight_ = 22;
    int fixedFooters_ = 0;
    int fixedRightCols_ = 0;
    TVAlignment vAlignment_ = vtaTop;
    TColor selectionColor_ = 0xEACAB6;
    TColor selectionColorTo_ = clNone;
    bool selectionColorMixer_ = false;
    TColor selectionMirrorColor_ = clNone;
    TColor selectionMirrorColorTo_ = clNone;
    TColor selectionTextColor_ = 0;
    bool selectionRectangle_ = false;
    bool selectionResizer_ = false;
    TAlignment defaultAlignment_ = taLeftJustify;
    TColor borderColor_ = 0xB99D7F;
    bool flat_ = false;

    // ---- sorting state (PlusGridSort.cpp)
    friend class TGridRowSorter;
    // Reorders rows first..first+order.size()-1 (new row first+i is old row first+order[i]) with
    // everything that belongs to a row.
    void ApplyRowOrder(int first, const std::vector<int>& order);
    void RunSort(bool indexed, int first, int last);
    std::unique_ptr<TIntList> rowOrderList_ = std::make_unique<TIntList>(-1, -1);
    std::unique_ptr<TIntList> excludedColumns_ = std::make_unique<TIntList>(-1, -1);
    int trackedRow_ = -1;
};
