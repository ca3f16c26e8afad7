#pragma once
// The framework's grids: TCustomGrid (geometry, scrolling, the paint loop, the current cell
// and the selection, keys, wheel and mouse, column and row sizing and moving, the in-place
// editor) and TStringGrid (a text and an object per cell).
//
// Geometry: column c spans ColWidths(c) pixels followed by GridLineWidth pixels of grid line;
// fixed columns stay at the left, the others scroll so that LeftCol follows the fixed ones
// (rows alike). CellRect of a cell out of view is empty; a partly visible cell keeps its full
// width and height.
//
// Paint calls DrawCell for every visible cell that meets the area being painted (fixed rows
// and columns first), draws the grid lines, and fills the rest of the client area with Color.
#include "platform/framework/Controls.h"
#include "platform/framework/Mask.h"
#include "platform/rtl/Classes.h"

#include <cstring>
#include <map>
#include <string_view>
#include <memory>
#include <vector>

enum TGridOption { goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect, goDrawFocusSelected,
                   goRowSizing, goColSizing, goRowMoving, goColMoving, goEditing, goTabs, goRowSelect,
                   goAlwaysShowEditor, goThumbTracking, goFixedColClick, goFixedRowClick, goFixedHotTrack };
using TGridOptions = TSet<TGridOption>;
enum TGridDrawStateFlag { gdSelected, gdFocused, gdFixed, gdHotTrack, gdPressed };
using TGridDrawState = TSet<TGridDrawStateFlag>;
enum TGridState { gsNormal, gsSelecting, gsRowSizing, gsColSizing, gsRowMoving, gsColMoving };

struct TGridCoord {
    int X = 0;
    int Y = 0;
    bool operator==(const TGridCoord& o) const { return X == o.X && Y == o.Y; }
};

// Columns Left..Right and rows Top..Bottom, inclusive.
struct TGridRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    bool Contains(int col, int row) const { return col >= Left && col <= Right && row >= Top && row <= Bottom; }
    bool operator==(const TGridRect& o) const
    {
        return Left == o.Left && Top == o.Top && Right == o.Right && Bottom == o.Bottom;
    }
};

using TDrawCellEvent = std::function<void(TObject* Sender, int ACol, int ARow, TRect Rect, TGridDrawState State)>;
using TSelectCellEvent = std::function<void(TObject* Sender, int ACol, int ARow, bool& CanSelect)>;
using TGetEditEvent = std::function<void(TObject* Sender, int ACol, int ARow, String& Value)>;
using TSetEditEvent = std::function<void(TObject* Sender, int ACol, int ARow, const String& Value)>;
using TMovedEvent = std::function<void(TObject* Sender, int FromIndex, int ToIndex)>;

// The drawing information of one axis, in client pixels: the fixed cells' extent with their
// lines, the first scrolled cell and how far the visible cells reach.
struct TGridAxisDrawInfo {
    int EffectiveLineWidth = 0;
    int FixedBoundary = 0;       // end of the fixed cells and their lines
    int GridBoundary = 0;        // end of the last visible cell's line, at most GridExtent
    int GridExtent = 0;          // the client width or height
    int LastFullVisibleCell = 0; // the last cell shown whole
    int FullVisBoundary = 0;     // end of that cell's line
    int FixedCellCount = 0;
    int FirstGridCell = 0;       // LeftCol or TopRow
    int GridCellCount = 0;       // ColCount or RowCount
};
struct TGridDrawInfo {
    TGridAxisDrawInfo Horz;
    TGridAxisDrawInfo Vert;
};

class TCustomGrid;

// The editor a grid places over its current cell: the framework's masked, multi-line edit
// without a border. Keys that move between cells (up, down, page keys, Tab with goTabs, and
// left/right at the ends of the text, Ctrl+Home/End) go to the grid's KeyDown; Escape restores
// the cell's text and hides the editor; each character passes the grid's KeyPress (OnKeyPress,
// Enter opens and closes the editor) and CanEditAcceptKey, and changes only where
// CanEditModify; every change of the text goes to the grid (SetEditText) as it is typed.
class TInplaceEdit : public TCustomMaskEdit {
public:
    explicit TInplaceEdit(TCustomGrid* grid);
    String ClassName() const override { return "TInplaceEdit"; }
    TCustomGrid* Grid() const { return grid_; }
    // The shown text; setting it does not go back to the grid.
    void SetEditText(const String& text);
    void Deselect();
    // Places the editor over `r` (SetWindowPos), then BoundsChanged, and shows it.
    void Move(const TRect& r);
    // Loads the current cell: its mask (GetEditMask), text (GetEditText) and limit (GetEditLimit).
    virtual void UpdateContents();
    bool KeyGoesToGrid(WORD key, TShiftState shift) const;

protected:
    void CreateParams(TCreateParams& params) override;
    // The formatting rectangle after a move: (2, 2, Width - 2, Height), caret in view.
    virtual void BoundsChanged();
    void Change() override;
    void KeyDown(WORD& key, TShiftState shift) override;
    void KeyPress(char& key) override;
    void Dispatch(TMessage& message) override;

private:
    friend class TCustomGrid;
    TCustomGrid* grid_;
    String original_;
    bool updating_ = false;
};

class TCustomGrid : public TCustomControl {
public:
    explicit TCustomGrid(TComponent* owner);
    ~TCustomGrid() override;
    String ClassName() const override { return "TCustomGrid"; }

    // Size
    int ColCount() const { return int(colWidths_.size()); }
    int RowCount() const { return int(rowHeights_.size()); }
    void SetColCount(int count);
    void SetRowCount(int count);
    int FixedCols() const { return fixedCols_; }
    int FixedRows() const { return fixedRows_; }
    void SetFixedCols(int count);
    void SetFixedRows(int count);
    int DefaultColWidth() const { return defaultColWidth_; }
    int DefaultRowHeight() const { return defaultRowHeight_; }
    void SetDefaultColWidth(int width);  // all columns take it
    void SetDefaultRowHeight(int height);
    int ColWidths(int col) const;
    int RowHeights(int row) const;
    void SetColWidths(int col, int width);
    void SetRowHeights(int row, int height);
    int GridLineWidth() const { return gridLineWidth_; }
    void SetGridLineWidth(int width);
    TGridOptions Options() const { return options_; }
    void SetOptions(const TGridOptions& options);
    bool DefaultDrawing = true;
    TColor FixedColor() const { return fixedColor_; }
    void SetFixedColor(TColor color);
    TScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(TScrollStyle bars);

    // Position
    int Col() const { return current_.X; }
    int Row() const { return current_.Y; }
    void SetCol(int col);
    void SetRow(int row);
    int LeftCol() const { return topLeft_.X; }
    int TopRow() const { return topLeft_.Y; }
    void SetLeftCol(int col);
    void SetTopRow(int row);
    int VisibleColCount() const;
    int VisibleRowCount() const;
    TGridRect Selection() const;
    void SetSelection(const TGridRect& r);

    // Geometry
    TRect CellRect(int col, int row) const;
    void MouseToCell(int x, int y, int& col, int& row) const;
    TGridCoord MouseCoord(int x, int y) const;

    // Repaints
    virtual void InvalidateCell(int col, int row);
    void InvalidateCol(int col);
    void InvalidateRow(int row);
    void InvalidateGrid();

    // Editor
    bool EditorMode() const { return editorMode_; }
    void SetEditorMode(bool on);
    TInplaceEdit* InplaceEditor() const { return editor_; }
    virtual String GetEditText(int col, int row);
    virtual void SetEditText(int col, int row, const String& value);
    virtual String GetEditMask(int col, int row);  // OnGetEditMask; empty: no mask
    virtual int GetEditLimit() { return 0; }       // 0: no limit
    // Whether the editor takes a typed character / may change the text at all.
    virtual bool CanEditAcceptKey(char key) { return true; }
    virtual bool CanEditModify() { return true; }
    void ShowEditor();
    void HideEditor();

    TGridState GridState() const { return gridState_; }
    // Reloads the shown editor from the current cell (text, mask, limit) and places it again.
    void InvalidateEditor();
    // The drawing information of both axes as the grid stands (fixed cells only: FixedInfo).
    void CalcDrawInfo(TGridDrawInfo& info) const;
    void CalcFixedInfo(TGridDrawInfo& info) const;
    // The position of the sizing line while a column or row is being sized (-1: none).
    int SizingPos() const { return gridState_ == gsColSizing || gridState_ == gsRowSizing ? sizingPos_ : -1; }

    TDrawCellEvent OnDrawCell;
    TSelectCellEvent OnSelectCell;
    TNotifyEvent OnTopLeftChanged;
    TGetEditEvent OnGetEditText;
    TGetEditEvent OnGetEditMask;
    TSetEditEvent OnSetEditText;
    TMovedEvent OnColumnMoved;
    TMovedEvent OnRowMoved;

    // Moves the current cell (and with moveAnchor the anchor of the selection) when
    // SelectCell allows it, scrolling it into view.
    void FocusCell(int col, int row, bool moveAnchor);
    void MoveColumn(int fromIndex, int toIndex);
    void MoveRow(int fromIndex, int toIndex);
    void DeleteColumn(int col);
    void DeleteRow(int row);

protected:
    void Paint() override;
    virtual void DrawCell(int col, int row, const TRect& rect, TGridDrawState state);
    virtual bool SelectCell(int col, int row);
    virtual void TopLeftChanged();
    virtual void ColWidthsChanged();
    virtual void RowHeightsChanged();
    virtual void ColumnMoved(int fromIndex, int toIndex);
    virtual void RowMoved(int fromIndex, int toIndex);
    virtual void SizeChanged(int oldColCount, int oldRowCount) {}
    virtual bool CanEditShow();
    virtual TInplaceEdit* CreateEditor();
    virtual void ChangeScale(int m, int d);
    void KeyDown(WORD& key, TShiftState shift) override;
    void KeyPress(char& key) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    bool DoMouseWheelDown(TShiftState shift, TPoint mousePos) override;
    bool DoMouseWheelUp(TShiftState shift, TPoint mousePos) override;
    void DoExit() override;
    void Resize() override;
    void Dispatch(TMessage& message) override;

    // Whether a press at (X, Y) starts sizing: with goColSizing a point inside the fixed rows
    // at the far edge of a scrolled column (from (7 - line width) / 2 pixels before its grid
    // line to 7 pixels after that start; lines wider than 6 pixels: on the line), with
    // goRowSizing a point inside the fixed columns at the far edge of a scrolled row. Fills the
    // state (gsNormal: no sizing), the column or row, the line's position and line - point.
    virtual void CalcSizingState(int X, int Y, TGridState& State, int& Index, int& SizingPos, int& SizingOfs,
                                 TGridDrawInfo& FixedInfo);
    // Shows or hides (every call inverts) the sizing line at SizingPos across the grid.
    virtual void DrawSizingLine(const TGridDrawInfo& DrawInfo);
    // Moves the current cell (the selection's anchor too when MoveAnchor or without
    // goRangeSelect) when SelectCell allows it; with Show it is scrolled into view.
    void MoveColRow(int ACol, int ARow, bool MoveAnchor, bool Show);
    // The drag-scroll timer: identifier 1, every 60 ms while a range is selected or a row or
    // column is moved with the mouse; each tick with the mouse beyond the scrolled cells
    // scrolls one cell that way (the selection follows to the cell now at that edge).
    static constexpr UINT_PTR DragScrollTimerId = 1;
    static constexpr UINT DragScrollPeriod = 60;
    virtual void TimedScroll(int directionX, int directionY);

    // ---- the grid's mouse state set by a descendant
    // A descendant that kept a press for itself may hand it back: gsSelecting makes the mouse
    // select a range from there on (the drag-scroll timer runs as for the grid's own press),
    // gsNormal ends that. Sizing and moving start only from the grid's own press, so other
    // states are not taken.
    void SetGridState(TGridState state);

    // Moves the top-left scrolled cell; TopLeftChanged runs when it changed.
    void MoveTopLeft(int col, int row);
    // Whether a vertical scroll may copy the rows that stay in view instead of painting them
    // again (not when the picture depends on the position in the window).
    virtual bool CanScrollByCopy() const { return true; }
    // The height the rows may fill from the client top: the client height less what a
    // descendant keeps docked over the bottom (rows that end below it are not fully visible).
    virtual int RowsClientHeight() const { return ClientHeight(); }
    // Scrolls so that the cell is fully visible (when it can be).
    void ClampInView(int col, int row);
    void UpdateScrollBars();
    void UpdateEditor();
    bool HasFocusForDrawing() const;

private:
    friend class TInplaceEdit;
    friend class TInplaceEditHost;
    // One axis as the code shared by columns and rows sees it: the sizes, fixed count and
    // default size of its lines, and its coordinate in the current cell, the anchor and the
    // top-left cell.
    struct GridAxis {
        std::vector<int> TCustomGrid::*sizes;
        int TCustomGrid::*fixed;
        int TCustomGrid::*defaultSize;
        int TGridCoord::*coord;
        bool horizontal;
    };
    static const GridAxis colAxis_;
    static const GridAxis rowAxis_;
    int LineCount(const GridAxis& a) const { return int((this->*a.sizes).size()); }
    int LineSize(const GridAxis& a, int index) const;
    // The client position of the line's start (as if in view).
    int LineStart(const GridAxis& a, int index) const;
    // The extent the axis' cells may fill: the client width, or RowsClientHeight.
    int AxisClientExtent(const GridAxis& a) const;
    // The fixed lines with their grid lines.
    int FixedExtent(const GridAxis& a) const;
    int LastVisibleLine(const GridAxis& a, bool full) const;
    int VisibleLineCount(const GridAxis& a) const;
    // The first scrolled line of the last page: the smallest that still shows the last line whole.
    int MaxFirstLine(const GridAxis& a) const;
    // The first scrolled line after the least scrolling that shows `index` whole (when it can be).
    int FirstLineShowing(const GridAxis& a, int index) const;
    void LineSizesChanged(const GridAxis& a);
    void SetLineSize(const GridAxis& a, int index, int size);
    void SetDefaultLineSize(const GridAxis& a, int size);
    void SetLineCount(const GridAxis& a, int count);
    void SetFixedLines(const GridAxis& a, int count, const char* tooMany);
    void MoveLine(const GridAxis& a, int fromIndex, int toIndex);
    void DeleteLine(const GridAxis& a, int index);
    bool WantsScrollBar(const GridAxis& a) const;
    void SetScrollBarInfo(const GridAxis& a, int bar);
    std::vector<int> ShownLines(const GridAxis& a) const; // the fixed lines, then the visible ones
    void CalcAxis(TGridAxisDrawInfo& axis, const GridAxis& a, bool fixedOnly) const;
    void InvertSizingLine(HDC dc, const TGridDrawInfo& info) const;
    void StartDragScroll();
    void StopDragScroll();
    void DragScrollTick();
    void InvalidateGridRect(const TGridRect& r);
    void ScrollMessage(int bar, TMessage& m);
    int ColLeft(int col) const { return LineStart(colAxis_, col); } // client x of the column's left edge
    int RowTop(int row) const { return LineStart(rowAxis_, row); }
    int LastVisibleCol(bool full) const { return LastVisibleLine(colAxis_, full); }
    int LastVisibleRow(bool full) const { return LastVisibleLine(rowAxis_, full); }
    int MaxTopRow() const { return MaxFirstLine(rowAxis_); }
    int MaxLeftCol() const { return MaxFirstLine(colAxis_); }

    std::vector<int> colWidths_;
    std::vector<int> rowHeights_;
    int fixedCols_ = 1;
    int fixedRows_ = 1;
    int defaultColWidth_ = 64;
    int defaultRowHeight_ = 24;
    int gridLineWidth_ = 1;
    TGridOptions options_;
    TColor fixedColor_ = clBtnFace;
    TScrollStyle scrollBars_ = ssBoth;
    TGridCoord current_{1, 1};
    TGridCoord anchor_{1, 1};
    TGridCoord topLeft_{1, 1};
    TGridState gridState_ = gsNormal;
    int sizingIndex_ = -1;
    int sizingPos_ = 0;
    int sizingOfs_ = 0;
    bool sizingLineShown_ = false;
    bool dragScrolling_ = false;
    TPoint lastMouse_;
    int moveFrom_ = -1;
    bool editorMode_ = false;
    bool updatingBars_ = false;
    TInplaceEdit* editor_ = nullptr;
    bool clickedCurrent_ = false;
};

// Text and an object per cell. The store is sparse and reaches beyond ColCount and RowCount
// (the string grid keeps hidden columns there); objects are not owned.
class TStringGrid : public TCustomGrid {
public:
    explicit TStringGrid(TComponent* owner);
    String ClassName() const override { return "TStringGrid"; }
    String Cells(int col, int row) const;
    void SetCells(int col, int row, const String& text);
    TObject* Objects(int col, int row) const;
    virtual void SetObjects(int col, int row, TObject* object);
    // Every cell of the store that holds an object (for owners that must free them).
    void ForEachObject(const std::function<void(int col, int row, TObject* object)>& visit) const;
    // A column's cells (RowCount lines) and a row's cells (ColCount lines) as string lists:
    // Put and PutObject write the cells, Clear empties them, Add fills the first empty cell
    // (-1 when none is), Insert and Delete raise EInvalidGridOperation.
    TStrings* Cols(int col);
    TStrings* Rows(int row);
    String GetEditText(int col, int row) override;
    void SetEditText(int col, int row, const String& value) override;

    // The store's highest column and row that hold anything, plus one.
    int StoreColCount() const { return int(columns_.size()); }
    // Visits the cells of the area col1..col2 x row1..row2 that hold a text or an object, column
    // by column; the store's empty rest of the area is never visited.
    void ForEachStoredCell(int col1, int row1, int col2, int row2,
                           const std::function<void(int col, int row)>& visit) const;
    // Rows taken out of the store together: their texts moved (not copied) into one block.
    class TStoreRows;

protected:
    // Moves a stored column (texts and objects) to another index of the store, shifting those
    // between; widths and events are left alone.
    void MoveStoreColumn(int fromIndex, int toIndex);
    // Rotates the stored rows first..last-1 of every column so that row `middle` comes first
    // (texts and objects; heights and events are left alone).
    void RotateStoreRows(int first, int middle, int last);
    // Reorders the stored rows first..first+order.size()-1: new row first+i is old row
    // first+order[i] (`order` is a permutation of 0..n-1).
    void PermuteStoreRows(int first, const std::vector<int>& order);
    // Drops the stored texts of rows from `rowCount` on; the objects there must already be gone.
    void TruncateStoreRows(int rowCount);
    // Moves the stored texts of rows from `rowCount` on into a block (row rowCount is its row 0)
    // and ends the store there; the objects there must already be gone.
    std::shared_ptr<TStoreRows> TakeStoreRowsFrom(int rowCount);
    void DrawCell(int col, int row, const TRect& rect, TGridDrawState state) override;
    void ColumnMoved(int fromIndex, int toIndex) override;
    void RowMoved(int fromIndex, int toIndex) override;

private:
    // A cell's text in 16 bytes: up to 15 bytes inline, a longer text on the heap. An empty
    // cell is 16 zero bytes and owns nothing.
    class CellText {
    public:
        CellText() { std::memset(raw_, 0, sizeof raw_); }
        CellText(const CellText& other) : CellText() { Assign(other.View()); }
        CellText(CellText&& other) noexcept
        {
            std::memcpy(raw_, other.raw_, sizeof raw_);
            std::memset(other.raw_, 0, sizeof other.raw_);
        }
        CellText& operator=(const CellText& other)
        {
            if (this != &other) {
                const String copy(other.View());
                Assign(copy);
            }
            return *this;
        }
        CellText& operator=(CellText&& other) noexcept
        {
            if (this != &other) {
                Release();
                std::memcpy(raw_, other.raw_, sizeof raw_);
                std::memset(other.raw_, 0, sizeof other.raw_);
            }
            return *this;
        }
        ~CellText() { Release(); }
        std::string_view View() const;
        void Assign(std::string_view text);
        bool Empty() const { return raw_[15] == 0; }

    private:
        static constexpr unsigned char kHeap = 0xFF;
        void Release();
        char raw_[16];
    };
    // One column: the texts up to its last written row, and the objects only once the column
    // holds one.
    struct Column {
        std::vector<CellText> texts;
        std::vector<TObject*> objects;
    };
    static void MoveWithin(Column& column, int fromIndex, int toIndex);
    // The string list of a column or a row, made on first use.
    TStrings* LineStrings(bool column, int index);

public:
    class TStoreRows {
    public:
        // The text of a cell of the block (empty outside it); the objects of a row are its
        // owner's to keep beside it (SetObject), the block never frees them.
        String Text(int col, int row) const;
        TObject* Object(int col, int row) const;
        void SetObject(int col, int row, TObject* object);

    private:
        friend class TStringGrid;
        int rows_ = 0;
        std::vector<std::vector<CellText>> texts_;
        std::vector<std::vector<TObject*>> objects_;
    };

private:
    std::vector<Column> columns_;
    std::map<std::pair<bool, int>, std::unique_ptr<TStrings>> lines_;
};

using TObjStringGrid = TStringGrid;

QUELM_DECLARE_EXCEPTION(EInvalidGridOperation, Exception)
