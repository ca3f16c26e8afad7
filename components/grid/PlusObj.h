#pragma once
// Settings objects and small containers of the string grid: integer lists that know their
// cell, the multi-column sort index, the controls placed in cells, and the option objects
// the grid publishes (navigation, mouse actions, synchronised grid, focus helper).
// Option objects hold settings only; each takes effect where the grid reads it. Their Assign
// accepts only a source of their own class and ignores any other.
#include "platform/framework/Component.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class TControl;
class TStringGrid;

// ---------------------------------------------------------------- integer lists

using TIntListChangeEvent = std::function<void(TObject* Sender, int Col, int Row)>;

// A list of 32-bit integers that belongs to a cell (CellCol, CellRow; -1 or 0 for none).
// SetItem, Add and Delete report through OnListChange; Insert and Clear do not. An index
// out of range raises EListError.
class TIntList : public TObject {
public:
    TIntList(int Col, int Row);

    int Count() const { return static_cast<int>(items_.size()); }
    int GetItem(int index) const;
    void SetItem(int index, int value);
    int Add(int value);
    void Delete(int index);
    void Insert(int index, int value);
    void Clear() { items_.clear(); }
    void RemoveValue(int value);
    bool HasValue(int value) const;
    // Decimal entries joined by "," without blanks.
    String GetCommaText() const;
    // Splits as the framework's comma text (commas or blanks, double quotes group), clears
    // the list silently and adds each item as a strict integer: one OnListChange per item;
    // a bad item raises EConvertError, the items before it stay.
    void SetCommaText(const String& text);

    TIntListChangeEvent OnListChange;
    int CellCol;
    int CellRow;

protected:
    void CheckIndex(int index) const;
    void Changed();

private:
    std::vector<int32_t> items_;
};

// The columns of a multi-column sort in priority order. Bits 0..30 of an entry hold the
// column, bit 31 is set for a descending column.
class TSortIndexList : public TIntList {
public:
    TSortIndexList() : TIntList(-1, -1) {}
    TSortIndexList(int Col, int Row) : TIntList(Col, Row) {}

    void AddIndex(int column, bool ascending);
    int IndexOfColumn(int column) const; // -1 when absent
    int ColumnAt(int position) const;
    bool AscendingAt(int position) const;
    // Flips the direction of the column's first entry (one OnListChange); nothing when absent.
    void ToggleDirection(int column);
};

// ---------------------------------------------------------------- control list

class TControlItem : public TObject {
public:
    TControlItem(int col, int row, TControl* control) : CellCol(col), CellRow(row), CellControl(control) {}
    int CellCol;
    int CellRow;
    TControl* CellControl; // not owned
};

// Owns its items; freeing an item never frees its control.
class TControlList : public TObject {
public:
    ~TControlList() override;
    int Count() const { return static_cast<int>(items_.size()); }
    void AddControl(int col, int row, TControl* control);
    TControlItem* ItemAt(int index) const;
    void Delete(int index);

private:
    std::vector<std::unique_ptr<TControlItem>> items_;
};

// ---------------------------------------------------------------- navigation

enum TAdvanceDirection { adLeftRight, adTopBottom };
enum TInsertPosition { pInsertBefore, pInsertAfter };
enum TClipboardPasteAction { paReplace, paInsert };
enum TCursorAdvance { caDefault, caSnake, caLoop };
enum THomeEndAction { heFirstLastColumn, heFirstLastRow, heFirstLastCell };

class TNavigation : public TObject {
public:
    TNavigation() = default;
    // Copies every published setting except KeepScrollOnSort, firing nothing.
    virtual void Assign(const TObject* Source);

    TAdvanceDirection AdvanceDirection() const { return advanceDirection_; }
    void SetAdvanceDirection(TAdvanceDirection value);
    bool AdvanceInsert() const { return advanceInsert_; }
    void SetAdvanceInsert(bool value);
    bool AdvanceAuto() const { return advanceAuto_; }
    // True also turns AdvanceOnEnter on (without notification); False leaves it.
    void SetAdvanceAuto(bool value);

    // published, default False
    bool AllowInsertRow = false;
    bool AllowDeleteRow = false;
    bool AlwaysEdit = false;
    bool AdvanceOnEnter = false;
    bool AutoGotoWhenSorted = false;
    bool AutoGotoIncremental = false;
    bool AutoComboDropSize = false;
    bool AllowClipboardShortCuts = false;
    bool AllowSmartClipboard = false;
    bool AllowRTFClipboard = false;
    bool AllowFmtClipboard = false;
    bool AllowClipboardAlways = false;
    bool AppendOnArrowDown = false;
    bool CursorWalkEditor = false;
    bool MoveRowOnSort = false;
    bool KeepScrollOnSort = false;
    bool MoveScrollOnly = false;
    bool ImproveMaskSel = false;
    bool KeepHorizScroll = false;
    bool LineFeedOnEnter = false;
    bool TabToNextAtEnd = false;
    // published, default True
    bool AdvanceOnEnterLoop = true;
    bool AdvanceAutoEdit = true;
    bool AllowCtrlEnter = true;
    bool AllowClipboardRowGrow = true;
    bool AllowClipboardColGrow = true;
    bool EditSelectAll = true;
    bool ComboGetUpDown = true;
    bool CursorWalkAlwaysEdit = true;
    bool LeftRightRowSelect = true;
    bool CopyHTMLTagsToClipboard = true;
    bool SkipFixedCells = true;
    bool SkipDisabledRows = true;
    // published enumerations
    TAdvanceDirection TabAdvanceDirection = adLeftRight;
    TInsertPosition InsertPosition = pInsertBefore;
    TClipboardPasteAction ClipboardPasteAction = paReplace;
    TCursorAdvance CursorAdvance = caDefault;
    THomeEndAction HomeEndKey = heFirstLastColumn;

    TNotifyEvent OnSettingsChange;

private:
    void SettingsChanged();

    TAdvanceDirection advanceDirection_ = adLeftRight;
    bool advanceInsert_ = false;
    bool advanceAuto_ = false;
};

// ---------------------------------------------------------------- mouse actions

enum TGridFixedCellEdit { fceNone, fceDblClick, fceLeftClick, fceRightClick };
enum TWheelAction { waMoveSelection, waScroll };

using TQueryDesigningEvent = std::function<void(TObject* Sender, bool& Designing)>;

class TMouseActions : public TObject {
public:
    explicit TMouseActions(TObject* AOwner = nullptr);
    // Copies every published setting except EditOnDblClickOnly, HotmailRowSelect and
    // SizeFixedRow, firing nothing.
    virtual void Assign(const TObject* Source);

    bool HotmailRowSelect() const { return hotmailRowSelect_; }
    // True also sets DisjunctRowSelect and CheckAllCheck; OnHotmailSelectChange either way.
    void SetHotmailRowSelect(bool value);
    bool EditOnDblClickOnly() const { return editOnDblClickOnly_; }
    void SetEditOnDblClickOnly(bool value);
    // At design time (OnQueryDesigning answers True) the three disjunct selections exclude
    // each other; at run time they may be combined.
    bool DisjunctRowSelect() const { return disjunctRowSelect_; }
    void SetDisjunctRowSelect(bool value);
    bool DisjunctColSelect() const { return disjunctColSelect_; }
    void SetDisjunctColSelect(bool value);
    bool DisjunctCellSelect() const { return disjunctCellSelect_; }
    void SetDisjunctCellSelect(bool value);
    TWheelAction WheelAction() const { return wheelAction_; }
    void SetWheelAction(TWheelAction value);

    // published, default False
    bool AllColumnSize = false;
    bool AllRowSize = false;
    bool AllSelect = false;
    bool CaretPositioning = false;
    bool CheckAllCheck = false;
    bool ColSelect = false;
    bool DirectComboClose = false;
    bool DirectComboDrop = false;
    bool DirectDateClose = false;
    bool DirectDateDrop = false;
    bool DirectEdit = false;
    bool DisjunctRowSelectNoCtrl = false;
    bool MoveRowOnNodeClick = false;
    bool NoAutoRangeScroll = false;
    bool NodeAllExpandContract = false;
    bool NoScrollOnPartialRow = false;
    bool PreciseCheckBoxCheck = false;
    bool RangeSelectAndEdit = false;
    bool RowSelect = false;
    bool RowSelectPersistent = false;
    bool SelectOnRightClick = false;
    bool SizeFixedCol = false;
    bool SizeFixedRow = false;
    // published, default True
    bool AutoSizeColOnDblClick = true;
    bool PreciseNodeClick = true;
    TGridFixedCellEdit FixedRowsEdit = fceNone;
    TGridFixedCellEdit FixedColsEdit = fceNone;
    int WheelIncrement = 0;

    // hooks of the owning grid
    TNotifyEvent OnSettingsChange;
    TNotifyEvent OnHotmailSelectChange;
    TQueryDesigningEvent OnQueryDesigning;
    TNotifyEvent OnEditOnDblClickOnlySet;

private:
    bool Designing();
    void SetDisjunct(bool& field, bool value, bool& other1, bool& other2);

    bool hotmailRowSelect_ = false;
    bool editOnDblClickOnly_ = false;
    bool disjunctRowSelect_ = false;
    bool disjunctColSelect_ = false;
    bool disjunctCellSelect_ = false;
    TWheelAction wheelAction_ = waMoveSelection;
};

// ---------------------------------------------------------------- synchronised grid

class TSyncGrid : public TObject {
public:
    explicit TSyncGrid(TStringGrid* AOwner) : owner_(AOwner) {}
    // Copies Grid (through its setter) and the six switches.
    virtual void Assign(const TObject* Source);

    TStringGrid* Grid() const { return grid_; }
    // The owner itself is ignored: a grid cannot follow itself.
    void SetGrid(TStringGrid* value);

    // published, default False
    bool ScrollVertical = false;
    bool ScrollHorizontal = false;
    bool SelectionColumn = false;
    bool SelectionRow = false;
    bool MoveColumn = false;
    bool MoveRow = false;

private:
    TStringGrid* owner_;
    TStringGrid* grid_ = nullptr;
};

// ---------------------------------------------------------------- focus helper

class TFocusHelper : public TObject {
public:
    explicit TFocusHelper(TObject* AOwnerGrid = nullptr) { (void)AOwnerGrid; }
    virtual void Assign(const TObject* Source);

    bool Enabled = false; // published
};
