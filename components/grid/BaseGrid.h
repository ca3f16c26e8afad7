#pragma once
// TBaseGrid: the foundation of the grid component. A framework string grid extended with a
// record of properties per cell (TCellProperties), merged cells, its own grid lines and cell
// painting, row highlighting, display-text hooks and a link to an undo recorder. The string
// grid derives from it and overrides the virtual hooks.
//
// Storage rule: the object slot of every cell holds the cell's TCellProperties or nothing; a
// user's object lives in the record's CellObject. Records in slots belong to the grid.
// Ownership of a record out of its slot is explicit:
//  - TakeCellProperties empties the slot and hands the record to the caller, who holds it as
//    long as it likes (hidden rows, filtered rows, contracted nodes park records this way) and
//    gives it back with PutCellProperties or frees it with ReleaseCellProperties. A taken record
//    is never freed behind the taker's back; the grid frees what is still taken when it goes.
//  - A record that a plain slot write (SetObjects, resets) leaves in no slot is loose: it may be
//    stored in another slot during the same event (moving cells), and is freed once the event
//    is over if nobody stored or took it.
//
// Merged ranges: the base (top-left) cell's record holds the extent (CellSpanX = columns - 1,
// CellSpanY = rows - 1, IsBaseCell); every covered cell's record holds its offset from the base
// (IsBaseCell false). A cell without a record is not merged. Merges never overlap and stay
// inside the grid: MergeCellRange refuses a range that would break that.
#include "platform/framework/Grids.h"

#include <unordered_map>
#include <unordered_set>

class TBaseGrid;
class TPlusGridUndoRedo;

enum TVAlignment { vtaTop, vtaCenter, vtaBottom };
enum TCellGradientDirection { GradientVertical, GradientHorizontal };
// The kinds of cell editor the string grid opens over a cell.
enum TEditorType : int {
    edNormal, edSpinEdit, edComboEdit, edComboList, edEditBtn, edCheckBox, edDateEdit, edDateEditUpDown,
    edTimeEdit, edButton, edDataCheckBox, edNumeric, edPositiveNumeric, edFloat, edCapital, edMixedCase,
    edPassword, edUnitEditBtn, edLowerCase, edUpperCase, edFloatSpinEdit, edTimeSpinEdit, edDateSpinEdit,
    edNumericEditBtn, edFloatEditBtn, edCustom, edRichEdit, edNone, edUniEdit, edUniComboEdit, edUniComboList,
    edUniEditBtn, edUniMemo, edDateTimeEdit, edValidChars, edTrackbarDropDown, edMemoDropDown,
    edCalculatorDropDown, edTimePickerDropDown, edDetailDropDown, edGridDropDown, edColorPickerDropDown,
    edImagePickerDropDown, edPlusGridDropDown, edPositiveFloat
};

class TCellProperties : public TPersistent {
public:
    TCellProperties(TBaseGrid* grid, int col, int row);
    ~TCellProperties() override;
    String ClassName() const override { return "TCellProperties"; }
    // Copies the merge state, owner, object and formatting as plain fields (no repaint);
    // BrushColorTo, GradientDirection, Graphic, OwningGrid, FooterCalcKind and CalcRef stay.
    void Assign(TPersistent* source) override;
    // The base cell of the range this record's cell (col, row) lies in.
    TPoint ResolveBaseCell(int col, int row) const;

    TBaseGrid* OwningGrid = nullptr;
    int OwnerCol = 0;
    int OwnerRow = 0;
    TObject* CellObject = nullptr;
    TObject* Graphic = nullptr;
    TBrushStyle BrushStyle = bsSolid;
    TColor BrushColor() const { return brushColor_; }
    void SetBrushColor(TColor color);     // repaints the owner cell
    TColor BrushColorTo() const { return brushColorTo_; }
    void SetBrushColorTo(TColor color);   // repaints the owner cell
    int FontSize = 8;
    TColor FontColor = clNone;
    TFontStyles FontStyle;
    int CellSpanY = -1;
    int CellSpanX = -1;
    int BorderWidth = 0;
    TColor BorderColor = 0;
    TAlignment Alignment = taLeftJustify;
    TVAlignment VAlignment() const { return vAlignment_; }
    void SetVAlignment(TVAlignment alignment); // repaints the owner cell
    int LastPaintPass = 0;
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool wrap);          // repaints the owner cell
    bool IsBaseCell = true;
    BYTE FooterCalcKind = 0;
    TObject* CalcRef = nullptr;
    int NodeLevel = 0;
    TEditorType Editor = edNormal;
    String FontName;
    bool ReadOnly = false;
    TCellGradientDirection GradientDirection = GradientVertical;
    TControl* Control = nullptr;

private:
    friend class TBaseGrid;
    void Repaint();
    TColor brushColor_ = clNone;
    TColor brushColorTo_ = clNone;
    TVAlignment vAlignment_ = vtaTop;
    bool wordWrap_ = true;
};

using TGetDisplTextEvent = std::function<void(TObject* Sender, int ACol, int ARow, String& Value)>;
using TGetDisplWideTextEvent = std::function<void(TObject* Sender, int ACol, int ARow, WideString& Value)>;

class TBaseGrid : public TStringGrid {
public:
    explicit TBaseGrid(TComponent* owner);
    ~TBaseGrid() override;
    String ClassName() const override { return "TBaseGrid"; }

    // ---- state
    // Stored only: the framework's own default drawing is always off.
    bool DefaultDrawing = false;
    int GridLineWidth() const { return gridLineWidth_; }
    void SetGridLineWidth(int width); // the framework's lines stay at 0; repaints
    TColor GridLineColor() const { return gridLineColor_; }
    void SetGridLineColor(TColor color);
    TColor GridFixedLineColor() const { return gridFixedLineColor_; }
    void SetGridFixedLineColor(TColor color);
    int PaintPass = 1;
    TGetDisplTextEvent OnGetDisplText;
    TGetDisplWideTextEvent OnGetDisplWideText;
    bool LastRowHidden = false;
    int DisplayRowLimit = 0;
    TPlusGridUndoRedo* UndoRedo() const { return undoRedo_; }
    void SetUndoRedo(TPlusGridUndoRedo* undoRedo);
    bool WordWrap = true;
    bool ActiveRowShow() const { return activeRowShow_; }
    void SetActiveRowShow(bool show);
    TColor ActiveRowColor() const { return activeRowColor_; }
    void SetActiveRowColor(TColor color);
    TColor ActiveRowGradientTo = clNone;
    TColor ActiveRowMirrorFrom = clNone;
    TColor ActiveRowMirrorTo = clNone;
    BYTE SelectionLook() const { return selectionLook_; }
    void SetSelectionLook(BYTE look); // repaints when it changes; no range check
    int HoverRowIndex = -1;
    bool HoverRow = false;
    TColor HoverRowColor = clInfoBk;
    TColor HoverRowColorTo = clNone;
    bool ShowSelection = true;
    bool CellPropsCreated = false;
    int MergedRangeCount = 0;

    // ---- cell records
    bool HasCellProperties(int col, int row) const;
    TCellProperties* EnsureCellProperties(int col, int row);
    void ReplaceCellProperties(int col, int row, TCellProperties* record);
    void ClearCellProperties(int col, int row);
    void ClearCellPropertiesRange(int col1, int row1, int col2, int row2);
    // Every record of the store, hidden columns and rows beyond RowCount included.
    void ClearAllCellProperties();
    TObject* GetRawObject(int col, int row) const { return Objects(col, row); }
    void SetRawObject(int col, int row, TObject* object) { SetObjects(col, row, object); }
    String GetRawCell(int col, int row) const { return Cells(col, row); }
    void SetRawCell(int col, int row, const String& text) { SetCells(col, row, text); }
    String GetCellText(int col, int row);
    void SetCellText(int col, int row, const String& text);
    TObject* GetCellObject(int col, int row) const;
    void SetCellObject(int col, int row, TObject* object);
    TObject* GetCellGraphic(int col, int row) const;
    void SetCellGraphic(int col, int row, TObject* graphic);
    TObject* GraphicOfProperties(TCellProperties* record) const { return record ? record->Graphic : nullptr; }
    void ResetCell(int col, int row);
    void ResetRow(int row);
    void ResetColumn(int col);
    // The record in the slot (null when none).
    TCellProperties* CellProperties(int col, int row) const;
    // Empties the slot and gives its record to the caller (null when the slot holds none or the
    // cell lies outside the store's bounds).
    TCellProperties* TakeCellProperties(int col, int row);
    // Puts a record of this grid back into a slot; the record the slot held is freed. False
    // (and nothing changed) for a cell with a negative index or a record of another grid.
    bool PutCellProperties(int col, int row, TCellProperties* record);
    // Frees a record the caller took.
    void ReleaseCellProperties(TCellProperties* record);
    bool IsTakenRecord(const TCellProperties* record) const;
    // Records alive: in slots, taken or loose until the current event ends.
    size_t LiveRecordCount() const { return slots_.size(); }

    // ---- merged cells
    // False (and nothing changed) when the range leaves the grid or meets another merged range.
    virtual bool MergeCellRange(int col, int row, int numCols, int numRows);
    virtual void UnmergeCellRange(int col, int row);
    bool InMergedRange(int col, int row) const;
    bool IsCoveredCell(int col, int row) const;
    bool IsMergedAcross(int col, int row) const;
    bool IsMergedDown(int col, int row) const;
    bool IsBaseOrPlainCell(int col, int row) const;
    TPoint BaseCellOf(int col, int row) const;
    bool LocateBaseCell(int col, int row, int& baseCol, int& baseRow) const;
    TPoint MergeSpanOf(int col, int row) const;
    bool RowsInSameMerge(int row1, int row2) const;

    // ---- geometry
    TRect ComputeCellRect(int col, int row) const;
    TRect MergedCellRect(int col, int row) const;
    TPoint MergedCellExtent(int col, int row) const;
    int FixedColsWidth() const;
    int FixedRowsHeight() const;
    void InvalidateCell(int col, int row) override;
    // Whether the cell lies outside the grid or outside the scrolled part that is shown.
    bool CellOutOfView(int col, int row) const;
    void SnapToBaseCell();

    // ---- virtual hooks
    virtual bool IsFixedCell(int col, int row);
    virtual int GetNodeIndent(int row);
    virtual bool HasNodes();
    virtual void DrawCellText(TCanvas* canvas, int col, int row, TRect rect, TGridDrawState state);
    virtual void LastRowChanged();
    virtual void GetDisplText(int col, int row, String& value);
    virtual void GetDisplWideText(int col, int row, WideString& value);
    virtual void GetCellFormat(int col, int row, TFont* font, TBrush* brush, TColor& colorTo, TColor& mirrorColor,
                               TColor& mirrorColorTo, TAlignment& alignment, TVAlignment& vAlignment, bool& wordWrap,
                               TCellGradientDirection& gradientDirection);
    virtual void CellTextChanged(int col, int row);
    virtual bool HasCellBorders();
    virtual void GetCellColors(int col, int row, TGridDrawState& state, bool printing, bool applySelection,
                               bool mapColumn, TBrush* brush, TColor& colorTo, TColor& mirrorColor,
                               TColor& mirrorColorTo, TFont* font, TAlignment& alignment, TVAlignment& vAlignment,
                               bool& wordWrap, TCellGradientDirection& gradientDirection);
    virtual int MapDisplayColumn(int col);
    virtual int TotalColCount() const;

    void SetObjects(int col, int row, TObject* object) override;
    // Frees the records that no slot holds any longer (runs by itself after each event).
    void FreeOrphanRecords();

protected:
    void Paint() override;
    void DrawCell(int col, int row, const TRect& rect, TGridDrawState state) override;
    bool SelectCell(int col, int row) override;
    // The steps of DrawCell: the frame of a selected cell in the selection look (its kind from
    // where the cell lies in the selected columns), and the cell's bottom and right lines in the
    // pen of fixed or normal lines (none with a line width of 0).
    void DrawSelectionLookFrame(TCanvas* canvas, int col, const TRect& r);
    void DrawCellLines(TCanvas* canvas, int col, const TRect& r, bool fixed);
    void KeyDown(WORD& key, TShiftState shift) override;
    bool DoMouseWheelDown(TShiftState shift, TPoint mousePos) override;
    bool DoMouseWheelUp(TShiftState shift, TPoint mousePos) override;
    void TopLeftChanged() override;
    void ChangeScale(int m, int d) override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    friend class TCellProperties;
    void RecordCreated(TCellProperties* record);
    void RecordDestroyed(TCellProperties* record);
    void FreeRecord(TCellProperties* record);
    void ApplyDefaultFormat(TCellProperties* record, int col, int row);
    bool GridFocused() const;

    int gridLineWidth_ = 1;
    TColor gridLineColor_ = 0xC0C0C0;
    TColor gridFixedLineColor_ = 0x808080;
    TPlusGridUndoRedo* undoRedo_ = nullptr;
    bool activeRowShow_ = false;
    TColor activeRowColor_ = clInfoBk;
    BYTE selectionLook_ = 0;
    bool destroying_ = false;
    bool sweepPosted_ = false;
    void PostSweep();
    // records of this grid and how many slots hold each
    std::unordered_map<TCellProperties*, int> slots_;
    // records handed out by TakeCellProperties and not yet given back
    std::unordered_set<const TCellProperties*> taken_;
};
