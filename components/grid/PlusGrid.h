#pragma once
// TPlusStringGrid: the feature-rich string grid, a TBaseGrid that adds typed cell access, per-cell
// colours and the settings the rest of the grid reads. Cells live in the framework grid's store
// (text and one object slot per written cell, nothing for cells never written), so a grid of a
// million rows costs nothing until its cells are filled.
//
// Index rule: every cell, row and column index a caller passes is checked. Writers ignore a cell
// outside the grid (a no-op); readers answer the empty value ("" / 0 / clNone / ctEmpty).
#include "BaseGrid.h"

#include "platform/rtl/DateUtils.h"

QUELM_DECLARE_EXCEPTION(EPlusGridError, Exception)

enum TGridLook { glStandard, glXP, glSoft, glClassic, glTMS, glVista, glWin7, glOffice2007, glWindows8 };
enum THoverFixedCells { hfNone, hfFixedRows, hfFixedColumns, hfAll };
enum TInvalidEntryIcon { ieNone, ieInfo, ieWarning, ieError };

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
    int GetAllRowCount() const { return RowCount(); }
    // True when (col, row) lies in the grid (hidden columns included).
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
};
