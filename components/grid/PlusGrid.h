#pragma once
// TPlusStringGrid: the feature-rich string grid, a TBaseGrid that adds typed cell access, per-cell
// colours and the settings the rest of the grid reads. Cells live in the framework grid's store
// (text and one object slot per written cell, nothing for cells never written), so a grid of a
// million rows costs nothing until its cells are filled.
//
// Index rule: every cell, row and column index a caller passes is checked. Writers ignore a cell
// outside the grid (a no-op); readers answer the empty value ("" / 0 / clNone / ctEmpty).
#include "components/grid/BaseGrid.h"
#include "components/grid/DrawRoutines.h"
#include "components/grid/PlusHintInfo.h"
#include "components/grid/PlusObj.h"
#include "platform/framework/ExtCtrls.h"
#include "platform/framework/Forms.h"

#include <array>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "platform/rtl/DateUtils.h"

QUELM_DECLARE_EXCEPTION(EPlusGridError, Exception)

class TCustomImageList;
class TTimer;
class THintWindow;
struct THintInfo;

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
    TGridItem() = default;
    TGridItem(const TGridItem&) = delete;
    TGridItem& operator=(const TGridItem&) = delete;
    int Idx = 0;
    int Height = 0;
    int Level = 0;
    // Hidden by a contracting node: expanding a node brings back only such rows, so rows hidden
    // otherwise stay hidden inside an expanded node.
    bool ByNode = false;
    // The row's text in the grouped column, taken out of its lines while the grid is grouped by
    // that column (the shown rows keep it in their group's header row).
    bool HasGroupText = false;
    String GroupText;
    // The record's lines, one per real column: the cell's text and its cell record. A record
    // parked with a block of rows (Park) makes its lines from the block when first asked.
    class TLines {
    public:
        explicit TLines(const TGridItem* item) : item_(item) {}
        TStringList* operator->() const { return item_->Lines(); }
        operator TStringList*() const { return item_->Lines(); }

    private:
        const TGridItem* item_;
    };
    const TLines Items{this};
    TStringList* Lines() const;
    // The record stands for row `index` of a block of rows taken out of the store together,
    // with `cols` lines; nothing is copied until the lines are asked for.
    void Park(std::shared_ptr<TStringGrid::TStoreRows> block, int index, int cols);
    bool Parked() const { return parked_ != nullptr; }
    // A line's text and record, read from the block while parked (without making the lines).
    int LineCount() const { return parked_ ? parkedCols_ : lines_.Count(); }
    String LineText(int col) const;
    TObject* LineObject(int col) const;

private:
    mutable TStringList lines_;
    mutable std::shared_ptr<TStringGrid::TStoreRows> parked_;
    int parkedIndex_ = 0;
    int parkedCols_ = 0;
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

// ---- find types (PlusGridFind.cpp)
enum TCellSearchOption {
    soMatchCase, soMatchFull, soMatchExpression, soRowByRow, soMatchStart, soCurrentRowOnly, soCurrentColumnOnly,
    soIncludeFixed, soAutoGoto, soIgnoreHTML, soBackward, soIncludeHiddenColumns, soPresetColumn, soPresetRow,
    soSelectionOnly, soIncludeHiddenRows
};
using TCellSearchOptions = TSet<TCellSearchOption>;
enum TSearchAction { saFindFirst, saFindPrevious, saFindNext };
using TSearchEditChangeEvent = std::function<void(TObject* Sender, const String& Value, bool& DefaultSearch)>;
using TSearchFooterActionEvent =
    std::function<void(TObject* Sender, const String& Value, int ACol, int ARow, TSearchAction SearchAction)>;
class TSearchPanel;
class TPlusStringGridCheck;

// ---- auto-size types (PlusGridAutoSize.cpp)
// Places the bounding box (CxCos + CySin wide, CxSin + CyCos high) of a text rotated by Angle
// degrees in R by the alignments; R.Left and R.Top become the point where the text output
// starts.
void PlaceRectForAngle(TRect& R, TAlignment HAlign, TVAlignment VAlign, int CyCos, int CxSin, int CySin, int CxCos,
                       int Angle);

// ---- footer panel types (PlusGridFooter.cpp)
class TPlusStringGrid;
class TFooterPanel;
enum TFooterStyle { fsFixedLastRow, fsColumnPreview, fsCustomPreview, fsCustomPaint };
using TCalcFooterEvent = std::function<void(TObject* Sender, int ACol, int ARow, String& Value)>;
using TFooterPaintEvent = std::function<void(TObject* Sender, int AColumn, TCanvas* Canvas, TRect ARect)>;

// The floating footer's settings: a strip docked under the cells that shows the grid's last row
// (which then is a fixed footer row the grid does not paint) or a preview of the current row.
// Every setter stores the value and repaints the strip; FooterStyle and Visible also decide
// whether the last row is the grid's fixed footer.
class TFloatingFooter : public TPersistent {
public:
    explicit TFloatingFooter(TPlusStringGrid* grid) : grid_(grid) {}
    String ClassName() const override { return "TFloatingFooter"; }
    // Copies CalculateHiddenRows, Color, Column, CustomTemplate, FooterStyle, ShowHint, then
    // Visible through its setter; BorderColor and OnCalcFooter stay.
    void Assign(TPersistent* source) override;

    TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(TColor value);
    bool CalculateHiddenRows = true;
    TColor Color() const { return color_; }
    void SetColor(TColor value);
    int Column() const { return column_; }
    void SetColumn(int value);
    const String& CustomTemplate() const { return customTemplate_; }
    void SetCustomTemplate(const String& value);
    TFooterStyle FooterStyle() const { return footerStyle_; }
    void SetFooterStyle(TFooterStyle value);
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool value);
    bool Visible() const { return visible_; }
    void SetVisible(bool value);
    TCalcFooterEvent OnCalcFooter;

    // The strip's height while visible (the grid's DefaultRowHeight keeps it).
    int FooterHeight = 22;
    // Whether the calculations fill the footer row.
    bool Calculate = true;
    void Repaint();

private:
    TPlusStringGrid* grid_;
    TColor borderColor_ = clNone;
    TColor color_ = clBtnFace;
    int column_ = 0;
    String customTemplate_;
    TFooterStyle footerStyle_ = fsFixedLastRow;
    bool showHint_ = false;
    bool visible_ = false;
};

// The strip itself, a child of the grid aligned to its bottom.
class TFooterPanel : public TPanel {
public:
    explicit TFooterPanel(TPlusStringGrid* grid);
    String ClassName() const override { return "TFooterPanel"; }
    // The template with every "<#N>" tag replaced by the current row's text in column N (a tag
    // whose content is no number is dropped).
    String ExpandTemplate(const String& templ);
    // The fixed columns' widths plus those from the grid's left column to its last one.
    int ColumnsWidth();
    // The rectangle mirrored in the client width in right-to-left mode.
    TRect MirrorRect(bool rightToLeft, const TRect& r);
    // The grid column under x (fixed columns first, then from the left column); -1 beyond the last.
    int ColumnAt(int x);
    int HintColumn() const { return hintColumn_; }

protected:
    void Paint() override;
    void WndProc(TMessage& message) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void CreateWnd() override;

private:
    void PaintFixedLastRow(int width);
    void PaintPreviewFrame(const TRect& area);
    TPlusStringGrid* grid_;
    int hintColumn_ = -1;
};

// ---- selection queries and look border types (PlusGridSelection.cpp)
// A pop-up form that never takes activation (the column drag image is shown in one).
class TNoActiveForm : public TForm {
public:
    explicit TNoActiveForm(TComponent* owner);
    String ClassName() const override { return "TNoActiveForm"; }

protected:
    void CreateParams(TCreateParams& params) override;
    void WndProc(TMessage& message) override;
};

// ---- filter types (PlusGridFilter.cpp)
enum TFilterCells { fcVirtual, fcNormal, fcStripHTML, fcCalculated, fcRow };
enum TFilterOperation { foSHORT, foNONE, foAND, foXOR, foOR };

// One filter condition on a column's text.
class TFilterData : public TPersistent {
public:
    String ClassName() const override { return "TFilterData"; }
    void Assign(TPersistent* source) override;
    int16_t Column = 0;
    String Condition;
    bool CaseSensitive = true;
    TFilterCells Data = fcVirtual;
    String Prefix;
    String Suffix;
    TFilterOperation Operation = foSHORT;
};

// The grid's filter conditions, applied in their order.
class TFilter : public TPersistent {
public:
    explicit TFilter(TPlusStringGrid* grid = nullptr) : grid_(grid) {}
    String ClassName() const override { return "TFilter"; }
    int Count() const { return int(items_.size()); }
    TFilterData* Add();
    TFilterData* Items(int index) const; // EListError out of range
    void Clear() { items_.clear(); }
    // The first item of the column, or a new one for it.
    TFilterData* GetColumnFilter(int Col);
    void RemoveColumnFilter(int Col); // every item of the column; repaints its header cell
    bool HasColumnFilter(int Col) const;

private:
    TPlusStringGrid* grid_;
    std::vector<std::unique_ptr<TFilterData>> items_;
};

// The look of the filter drop-down list.
class TFilterDropDown : public TPersistent {
public:
    TFilterDropDown();
    ~TFilterDropDown() override;
    String ClassName() const override { return "TFilterDropDown"; }
    // Copies all but AutoSize.
    void Assign(TPersistent* source) override;
    TFont* Font() const { return font_.get(); }
    TBitmap* Glyph() const { return glyph_.get(); }
    TBitmap* GlyphActive() const { return glyphActive_.get(); }
    void SetGlyph(TBitmap* value);       // copies; fires OnChange
    void SetGlyphActive(TBitmap* value); // copies; fires OnChange
    bool AutoSize = false;
    TColor Color = clWindow;
    bool ColumnWidth = false;
    int Height = 150;
    int Width = 150;
    TNotifyEvent OnChange;

private:
    std::unique_ptr<TFont> font_;
    std::unique_ptr<TBitmap> glyph_, glyphActive_;
};

using TFilterSelectEvent = std::function<void(TObject* Sender, int Column, int ItemIndex, const String& FriendlyName,
                                              String& FilterCondition)>;
using TGetColumnFilterEvent = std::function<void(TObject* Sender, int Column, TStrings* Filter)>;
using TCustomFilterEvent = std::function<void(TObject* Sender, int ARow, bool& AcceptRow)>;

enum TBackGroundDisplay { bdTile, bdFixed, bdGradientHorz, bdGradientVert };
enum TBackGroundCells { bcNormal, bcFixed, bcAll };
// The picture or gradient behind the cells. Every setter stores the value and repaints the
// grid, changed or not; the picture is copied.
class TBackGround : public TPersistent {
public:
    explicit TBackGround(TPlusStringGrid* grid = nullptr);
    ~TBackGround() override;
    String ClassName() const override { return "TBackGround"; }
    void Assign(TPersistent* source) override;
    int Top() const { return top_; }
    void SetTop(int value);
    int Left() const { return left_; }
    void SetLeft(int value);
    TBackGroundDisplay Display() const { return display_; }
    void SetDisplay(TBackGroundDisplay value);
    TBitmap* Bitmap() const { return bitmap_.get(); }
    void SetBitmap(TBitmap* value);
    TBackGroundCells Cells() const { return cells_; }
    void SetCells(TBackGroundCells value);
    TColor Color() const { return color_; }
    void SetColor(TColor value);
    TColor ColorTo() const { return colorTo_; }
    void SetColorTo(TColor value);
    bool HasPicture() const { return bitmap_ && !bitmap_->Empty(); }
    bool IsGradient() const { return display_ == bdGradientHorz || display_ == bdGradientVert; }

private:
    void Changed();
    TPlusStringGrid* grid_;
    int top_ = 0;
    int left_ = 0;
    TBackGroundDisplay display_ = bdTile;
    std::unique_ptr<TBitmap> bitmap_;
    TBackGroundCells cells_ = bcNormal;
    TColor color_ = clWindow;
    TColor colorTo_ = clBtnFace;
};

// Cells grow in height / width while the user types.
class TSizeWhileTyping : public TPersistent {
public:
    String ClassName() const override { return "TSizeWhileTyping"; }
    bool Height = false;
    bool Width = false;
};

enum TColumnSizeLocation { clRegistry, clIniFile };
enum TAutoSizeRows { arAll, arNormal, arFixed };
// Column stretching and where the column layout is stored.
class TColumnSize : public TPersistent {
public:
    explicit TColumnSize(TPlusStringGrid* grid = nullptr) : grid_(grid) {}
    String ClassName() const override { return "TColumnSize"; }
    void Assign(TPersistent* source) override;
    bool Save = false;
    String Key;     // registry key (clRegistry) or ini file name (clIniFile)
    String Section; // registry subkey or ini section of the values
    bool Stretch() const { return stretch_; }
    // Stores the value; a grid with a parent stretches at once.
    void SetStretch(bool value);
    int StretchColumn = -1; // -1: the last column
    bool SynchWithGrid = false;
    bool SynchNormalCellsOnly = false;
    TColumnSizeLocation Location = clRegistry;
    TAutoSizeRows Rows = arAll;

private:
    TPlusStringGrid* grid_;
    bool stretch_ = false;
};

// HTML export settings; kept, copied and streamed with the grid.
class THTMLSettings : public TPersistent {
public:
    THTMLSettings() : ColWidths(std::make_unique<TIntList>(-1, -1)) {}
    String ClassName() const override { return "THTMLSettings"; }
    // Copies every setting but ExportImages.
    void Assign(TPersistent* source) override;
    bool AutoPreview = false;
    bool ConvertSpecialChars = false;
    bool NonBreakingText = false;
    bool SaveColor = true;
    bool SaveFonts = true;
    String FooterFile;
    String HeaderFile;
    int BorderSize = 1;
    int CellSpacing = 0;
    int CellPadding = 0;
    String TableStyle;
    String PrefixTag;
    String SuffixTag;
    String Summary;
    int Width = 100;
    bool XHTML = false;
    bool ExportImages = true;
    std::unique_ptr<TIntList> ColWidths;
};

enum TPrintPosition { ppNone, ppTopLeft, ppTopRight, ppTopCenter, ppBottomLeft, ppBottomRight, ppBottomCenter };
enum TPrintBorders { pbNoborder, pbSingle, pbDouble, pbVertical, pbHorizontal, pbAround, pbAroundVertical,
                     pbAroundHorizontal, pbCustom };
enum TPrinterOrientation { poPortrait, poLandscape };
enum TFitToPage { fpNever, fpGrow, fpShrink, fpAlways, fpCustom };
// Print settings; kept, copied and streamed with the grid.
class TPrintSettings : public TPersistent {
public:
    explicit TPrintSettings(TPlusStringGrid* grid = nullptr);
    String ClassName() const override { return "TPrintSettings"; }
    // Copies every setting (fonts and title lines by content); any other source raises
    // EConvertError "Invalid class typecast".
    void Assign(TPersistent* source) override;
    TPrintPosition Time = ppNone;
    TPrintPosition Date = ppNone;
    TPrintPosition PageNr = ppNone;
    TPrintPosition Title = ppNone;
    String DateFormat = "dd/mm/yyyy";
    String PageNumSep = "/";
    String TitleText;
    TStringList* TitleLines() const { return titleLines_.get(); }
    void SetTitleLines(TStringList* value);
    TFont* Font() const { return font_.get(); }
    void SetFont(TFont* value);
    TFont* FixedFont() const { return fixedFont_.get(); }
    void SetFixedFont(TFont* value);
    TFont* HeaderFont() const { return headerFont_.get(); }
    void SetHeaderFont(TFont* value);
    TFont* FooterFont() const { return footerFont_.get(); }
    void SetFooterFont(TFont* value);
    TPrintBorders Borders = pbSingle;
    TPenStyle BorderStyle = psSolid;
    TColor BorderColor = clBlack;
    bool Centered = true;
    bool RepeatFixedRows = false;
    bool RepeatFixedCols = false;
    int FooterSize = 0;
    int HeaderSize = 0;
    int LeftSize = 0;
    int RightSize = 0;
    int ColumnSpacing = 0;
    int RowSpacing = 0;
    int TitleSpacing = 0;
    TPrinterOrientation Orientation = poPortrait;
    String PagePrefix;
    String PageSuffix;
    int PageNumberOffset = 0;
    int MaxPagesOffset = 0;
    int FixedWidth = 0;
    int FixedHeight = 0;
    bool UseFixedHeight = false;
    bool UseFixedWidth = false;
    TFitToPage FitToPage = fpNever;
    String JobName;
    bool NoAutoSize = false;
    bool NoAutoSizeRow = false;
    bool PrintGraphics = false;
    bool UseDisplayFont = true;
    bool UseDefaultOrientation = false;

private:
    std::unique_ptr<TStringList> titleLines_;
    std::unique_ptr<TFont> font_;
    std::unique_ptr<TFont> fixedFont_;
    std::unique_ptr<TFont> headerFont_;
    std::unique_ptr<TFont> footerFont_;
};

enum TDragScrollDirectionFlag { dsdUp, dsdDown, dsdLeft, dsdRight };
using TDragScrollDirection = TSet<TDragScrollDirectionFlag>;
// Scrolling while something is dragged near the grid's edges.
class TDragScrollOptions : public TPersistent {
public:
    String ClassName() const override { return "TDragScrollOptions"; }
    void Assign(TPersistent* source) override;
    bool Active = false;
    int InitialDelay = 1000; // ms before the first step
    int RepeatDelay = 250;   // ms between the next ones
    int TopMargin = 50;
    int BottomMargin = 50;
    int LeftMargin = 50;
    int RightMargin = 50;
};

enum TScrollType { ssNormal, ssFlat, ssEncarta };
enum TScrollHintType { shNone, shVertical, shHorizontal, shBoth };
enum TScrollBarAlways { saNone, saVert, saHorz, saBoth };

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
using TScrollCellEvent =
    std::function<void(TObject* Sender, int ACol, int ARow, int ScrollPosition, int ScrollMin, int ScrollMax)>;
using TSearchFooterActionEvent =
    std::function<void(TObject* Sender, const String& Value, int ACol, int ARow, TSearchAction SearchAction)>;
using TButtonClickEvent = std::function<void(TObject* Sender, int ACol, int ARow)>;
using TGridHintEvent = std::function<void(TObject* Sender, int ARow, int ACol, String& hintstr)>;
using TGridWideHintEvent = std::function<void(TObject* Sender, int ARow, int ACol, WideString& hintstr)>;
using TOfficeHintEvent = std::function<void(TObject* Sender, int ACol, int ARow, TPlusHintInfo* OfficeHint)>;
using TIsPasswordCellEvent = std::function<void(TObject* Sender, int ARow, int ACol, bool& IsPassword)>;
using TWordWrapEvent = std::function<void(TObject* Sender, int ACol, int ARow, bool& WordWrap)>;
using THasComboEvent = std::function<void(TObject* Sender, int ACol, int ARow, bool& HasComboBox)>;
using THasSpinEditEvent = std::function<void(TObject* Sender, int ACol, int ARow, bool& HasSpinEdit)>;
using TGetColumnFilterEvent = std::function<void(TObject* Sender, int Column, TStrings* Filter)>;
using TDateTimeChangeEvent = std::function<void(TObject* Sender, int ACol, int ARow, TDateTime ADateTime)>;
using TGetEditMaskEvent = std::function<void(TObject* Sender, int ACol, int ARow, String& Value)>;
using TSelectionChanged = std::function<void(TObject* Sender, int ALeft, int ATop, int ARight, int ABottom)>;
using TAutoDeleteRowEvent = std::function<void(TObject* Sender, int ARow)>;
using TRowDisjunctSelectEvent = std::function<void(TObject* Sender, int ARow, bool AState, bool& Allow)>;
using TRowDisjunctSelectedEvent = std::function<void(TObject* Sender, int ARow)>;
using TScrollHintEvent = std::function<void(TObject* Sender, int ARow, String& hintstr)>;
using TDragScrollEvent =
    std::function<void(TObject* Sender, int ATopRow, int ALeftCol, TDragScrollDirection& Direction, bool& CanScroll)>;
using TEndColumnSizeEvent = std::function<void(TObject* Sender, int ACol)>;
using TEndRowSizeEvent = std::function<void(TObject* Sender, int ARow)>;
using TColumnSizeEvent = std::function<void(TObject* Sender, int ACol, int& AWidth)>;
using TGridGradientEvent = std::function<void(TObject* Sender, int ARow, int ACol, TColor& Color, TColor& ColorTo,
                                              TColor& ColorMirror, TColor& ColorMirrorTo,
                                              TCellGradientDirection& GD)>;
enum THoverFixedCells { hfNone, hfFixedRows, hfFixedColumns, hfAll };
enum TIntelliPan { ipVertical, ipHorizontal, ipBoth, ipNone };
enum TInvalidEntryIcon { ieNone, ieInfo, ieWarning, ieError };

// ---- row nodes: the look of node glyphs and tree lines (PlusGridNodes.cpp)
enum TNodeType { cnFlat, cn3D, cnGlyph, cnLeaf, cnXP };
class TPlusStringGrid;
class TCellNode : public TPersistent {
public:
    explicit TCellNode(TPlusStringGrid* grid);
    ~TCellNode() override;
    String ClassName() const override { return "TCellNode"; }
    // Copies all nine properties (the glyphs by content).
    void Assign(TPersistent* source) override;
    TColor Color = clSilver;
    TColor NodeColor = clBlack;
    bool ExpandOne = false;
    TNodeType NodeType() const { return nodeType_; }
    void SetNodeType(TNodeType value);
    TBitmap* ExpandGlyph() const { return expandGlyph_; }
    void SetExpandGlyph(TBitmap* value);
    TBitmap* ContractGlyph() const { return contractGlyph_; }
    void SetContractGlyph(TBitmap* value);
    bool ShowTree() const { return showTree_; }
    void SetShowTree(bool value);
    bool ShowTreeFull() const { return showTreeFull_; }
    void SetShowTreeFull(bool value);
    int NodeIndent() const { return nodeIndent_; }
    void SetNodeIndent(int value);
    TColor TreeColor() const { return treeColor_; }
    void SetTreeColor(TColor value);

private:
    void Changed();
    TPlusStringGrid* grid_;
    TNodeType nodeType_ = cnXP;
    TBitmap* expandGlyph_;
    TBitmap* contractGlyph_;
    bool showTree_ = true;
    bool showTreeFull_ = true;
    int nodeIndent_ = 12;
    TColor treeColor_ = clGray;
};
using TNodeEvent = std::function<void(TObject* Sender, int ARow, int ARowReal, bool& Allow)>;
using TNodeDoneEvent = std::function<void(TObject* Sender, int ARow, int ARowReal)>;

// ---- controls in cells (PlusGridControls.cpp)
using TRadioClickEvent = std::function<void(TObject* Sender, int ACol, int ARow, int AIdx)>;
using TButtonClickEvent = std::function<void(TObject* Sender, int ACol, int ARow)>;
using TRatingChangeEvent = std::function<void(TObject* Sender, int ACol, int ARow, double& NewRate, bool& Allow)>;
using TCanAddRowEvent = std::function<void(TObject* Sender, bool& CanAdd)>;
using TCanInsertRowEvent = std::function<void(TObject* Sender, int ARow, bool& CanInsert)>;
using TGetCheckTextEvent = std::function<void(TObject* Sender, int ACol, int ARow, String& Value)>;
using TColorSelectEvent = std::function<void(TObject* Sender, int ACol, int ARow, TColor Color, const String& Value)>;
using TImageSelectEvent = std::function<void(TObject* Sender, int ACol, int ARow, int Index)>;

// ---- looks and colour styles (PlusGridLooks.cpp)
enum TGridLook { glStandard, glSoft, glClassic, glVirel, glXP, glListView, glVista, glWin7, glOffice2007, glCustom };
// The look of check boxes and radio buttons in cells (the framework has a TControlStyle of its own).
enum TCellControlStyle { csClassic, csFlat, csWinXP, csKestrix, csVirel, csGlyph, csTheme };
// The colours of fixed cells under the looks above glClassic.
struct TFixedLookColors {
    TColor From = clNone, To = clNone, MirrorFrom = clNone, MirrorTo = clNone;
    TColor HoverFrom = clNone, HoverTo = clNone, HoverMirrorFrom = clNone, HoverMirrorTo = clNone, HoverBorder = clNone;
    TColor DownFrom = clNone, DownTo = clNone, DownMirrorFrom = clNone, DownMirrorTo = clNone, DownBorder = clNone;
};

// The look of the controls and progress bars in cells, and the fixed-cell gradients.
class TControlLook : public TPersistent {
public:
    explicit TControlLook(TPlusStringGrid* grid);
    ~TControlLook() override;
    String ClassName() const override { return "TControlLook"; }
    void Assign(TPersistent* source) override;
    // Back to the constructed colours.
    void ResetColors();

    TColor Color() const { return color_; }
    void SetColor(TColor value) { Store(color_, value); }
    TColor CommentColor() const { return commentColor_; }
    void SetCommentColor(TColor value) { Store(commentColor_, value); }
    TBitmap* CheckedGlyph() const { return checkedGlyph_.get(); }
    void SetCheckedGlyph(TBitmap* value) { CopyGlyph(checkedGlyph_.get(), value); }
    TBitmap* UnCheckedGlyph() const { return unCheckedGlyph_.get(); }
    void SetUnCheckedGlyph(TBitmap* value) { CopyGlyph(unCheckedGlyph_.get(), value); }
    TBitmap* RadioOnGlyph() const { return radioOnGlyph_.get(); }
    void SetRadioOnGlyph(TBitmap* value) { CopyGlyph(radioOnGlyph_.get(), value); }
    TBitmap* RadioOffGlyph() const { return radioOffGlyph_.get(); }
    void SetRadioOffGlyph(TBitmap* value) { CopyGlyph(radioOffGlyph_.get(), value); }
    // These also write the grid's fixed-look colours (see the implementation for which skip
    // clNone and which repaint).
    TColor FixedGradientFrom() const { return gradient_[0]; }
    void SetFixedGradientFrom(TColor value);
    TColor FixedGradientTo() const { return gradient_[1]; }
    void SetFixedGradientTo(TColor value);
    TColor FixedGradientMirrorFrom() const { return gradient_[2]; }
    void SetFixedGradientMirrorFrom(TColor value);
    TColor FixedGradientMirrorTo() const { return gradient_[3]; }
    void SetFixedGradientMirrorTo(TColor value);
    TColor FixedGradientHoverFrom() const { return gradient_[4]; }
    void SetFixedGradientHoverFrom(TColor value);
    TColor FixedGradientHoverTo() const { return gradient_[5]; }
    void SetFixedGradientHoverTo(TColor value);
    TColor FixedGradientHoverMirrorFrom() const { return gradient_[6]; }
    void SetFixedGradientHoverMirrorFrom(TColor value);
    TColor FixedGradientHoverMirrorTo() const { return gradient_[7]; }
    void SetFixedGradientHoverMirrorTo(TColor value);
    TColor FixedGradientHoverBorder() const { return gradient_[8]; }
    void SetFixedGradientHoverBorder(TColor value);
    TColor FixedGradientDownFrom() const { return gradient_[9]; }
    void SetFixedGradientDownFrom(TColor value);
    TColor FixedGradientDownTo() const { return gradient_[10]; }
    void SetFixedGradientDownTo(TColor value);
    TColor FixedGradientDownMirrorFrom() const { return gradient_[11]; }
    void SetFixedGradientDownMirrorFrom(TColor value);
    TColor FixedGradientDownMirrorTo() const { return gradient_[12]; }
    void SetFixedGradientDownMirrorTo(TColor value);
    TColor FixedGradientDownBorder() const { return gradient_[13]; }
    void SetFixedGradientDownBorder(TColor value);
    int CheckSize() const { return checkSize_; }
    void SetCheckSize(int value) { Store(checkSize_, value); }
    int RadioSize() const { return radioSize_; }
    void SetRadioSize(int value) { Store(radioSize_, value); }
    TCellControlStyle ControlStyle() const { return controlStyle_; }
    void SetControlStyle(TCellControlStyle value) { Store(controlStyle_, value); }
    bool DropDownAlwaysVisible() const { return dropDownAlwaysVisible_; }
    void SetDropDownAlwaysVisible(bool value) { Store(dropDownAlwaysVisible_, value); }
    bool SpinButtonsAlwaysVisible() const { return spinButtonsAlwaysVisible_; }
    void SetSpinButtonsAlwaysVisible(bool value) { Store(spinButtonsAlwaysVisible_, value); }
    bool FlatButton() const { return flatButton_; }
    void SetFlatButton(bool value) { Store(flatButton_, value); }
    bool NoDisabledCheckRadioLook() const { return noDisabledCheckRadioLook_; }
    void SetNoDisabledCheckRadioLook(bool value) { Store(noDisabledCheckRadioLook_, value); }
    bool NoDisabledButtonLook() const { return noDisabledButtonLook_; }
    void SetNoDisabledButtonLook(bool value) { Store(noDisabledButtonLook_, value); }
    int ProgressMarginX() const { return progressMarginX_; }
    void SetProgressMarginX(int value) { Store(progressMarginX_, value); }
    int ProgressMarginY() const { return progressMarginY_; }
    void SetProgressMarginY(int value) { Store(progressMarginY_, value); }
    bool ProgressXP() const { return progressXP_; }
    void SetProgressXP(bool value) { Store(progressXP_, value); }
    // plain fields
    bool FixedDropDownButton = false;
    bool CheckAlwaysActive = false;
    bool RadioAlwaysActive = false;
    TColor ProgressBorderColor = clGray;

private:
    template <typename T>
    void Store(T& field, T value)
    {
        field = value;
        Repaint();
    }
    void Repaint();
    void CopyGlyph(TBitmap* own, TBitmap* value);
    void SetGradient(int index, TColor value, bool skipNone, bool repaint);
    TPlusStringGrid* grid_;
    TColor color_ = clBlack;
    TColor commentColor_ = clRed;
    std::unique_ptr<TBitmap> checkedGlyph_, unCheckedGlyph_, radioOnGlyph_, radioOffGlyph_;
    std::array<TColor, 14> gradient_{};
    int checkSize_ = 15;
    int radioSize_ = 10;
    TCellControlStyle controlStyle_ = csTheme;
    bool dropDownAlwaysVisible_ = false;
    bool spinButtonsAlwaysVisible_ = false;
    bool flatButton_ = false;
    bool noDisabledCheckRadioLook_ = false;
    bool noDisabledButtonLook_ = false;
    int progressMarginX_ = 2;
    int progressMarginY_ = 2;
    bool progressXP_ = false;
};

// The look of progress cells; every change fires OnChange (the grid repaints).
class TGridProgressAppearance : public TPersistent {
public:
    String ClassName() const override { return "TGridProgressAppearance"; }
    void Assign(TPersistent* source) override;
    void Changed();
#define QUELM_PROGRESS_PROPERTY(type, name, initial)                                                          \
public:                                                                                                        \
    type name() const { return name##_; }                                                                      \
    void Set##name(type value)                                                                                 \
    {                                                                                                          \
        if (name##_ == value)                                                                                  \
            return;                                                                                            \
        name##_ = value;                                                                                       \
        Changed();                                                                                             \
    }                                                                                                          \
                                                                                                               \
private:                                                                                                       \
    type name##_ = initial;
    QUELM_PROGRESS_PROPERTY(TColor, CompleteColor, clRed)
    QUELM_PROGRESS_PROPERTY(TColor, CompleteFontColor, clBlue)
    QUELM_PROGRESS_PROPERTY(TColor, UnCompleteColor, clNone)
    QUELM_PROGRESS_PROPERTY(TColor, UnCompleteFontColor, clWindowText)
    QUELM_PROGRESS_PROPERTY(TColor, Level0Color, TColor(0x00FF00))
    QUELM_PROGRESS_PROPERTY(TColor, Level0ColorTo, TColor(0xE1FFE1))
    QUELM_PROGRESS_PROPERTY(TColor, Level1Color, TColor(0x00FFFF))
    QUELM_PROGRESS_PROPERTY(TColor, Level1ColorTo, TColor(0xCAFFFF))
    QUELM_PROGRESS_PROPERTY(TColor, Level2Color, TColor(0x53AAFF))
    QUELM_PROGRESS_PROPERTY(TColor, Level2ColorTo, TColor(0xA8D3FF))
    QUELM_PROGRESS_PROPERTY(TColor, Level3Color, TColor(0x0000FF))
    QUELM_PROGRESS_PROPERTY(TColor, Level3ColorTo, TColor(0xCACAFF))
    QUELM_PROGRESS_PROPERTY(int, Level1Perc, 70)
    QUELM_PROGRESS_PROPERTY(int, Level2Perc, 90)
    QUELM_PROGRESS_PROPERTY(TColor, BorderColor, clBlack)
    QUELM_PROGRESS_PROPERTY(bool, ShowBorder, false)
    QUELM_PROGRESS_PROPERTY(bool, Stacked, false)
    QUELM_PROGRESS_PROPERTY(bool, ShowPercentage, true)
    QUELM_PROGRESS_PROPERTY(bool, CompletionSmooth, true)
    QUELM_PROGRESS_PROPERTY(bool, ShowGradient, true)
    QUELM_PROGRESS_PROPERTY(int, Steps, 11)
#undef QUELM_PROGRESS_PROPERTY
public:
    BYTE Style = 0;
    TNotifyEvent OnChange;
};

// The mark of modified rows.
class TShowModified : public TPersistent {
public:
    String ClassName() const override { return "TShowModified"; }
    void Assign(TPersistent* source) override;
    bool Enabled = false;
    TColor Color() const { return color_; }
    // Stores and fires OnChange, also for an unchanged colour.
    void SetColor(TColor value);
    TNotifyEvent OnChange;

private:
    TColor color_ = clYellow;
};

// ---- hints and balloons (PlusGridHints.cpp)
// The font name of wide-text hints: the grid sets it to its own font's before every hint.
extern String HintFontName;
// A hint window that measures and draws mini-HTML, and encoded wide text on one line.
class THTMLHintWindow : public THintWindow {
public:
    explicit THTMLHintWindow(TComponent* owner);
    String ClassName() const override { return "THTMLHintWindow"; }
    // The measured size of the text, without margins.
    TRect CalcHintRect(int maxWidth, const String& hint, void* data) override;
    // Shown at rect's top-left, the text's size plus 16 (wide text 8) by 4, kept on the screen.
    void ActivateHint(const TRect& rect, const String& hint) override;
    void ActivateHintData(const TRect& rect, const String& hint, void* data) override;
    int TextWidth = 0;
    int TextHeight = 0;
    TRect ShownRect;

protected:
    void Paint() override;

private:
    TSize Measure(const String& hint, int maxWidth);
    WideString wideText_; // the decoded wide text of the current hint
    TBitmap measure_;
};

class TBalloonSettings : public TPersistent {
public:
    String ClassName() const override { return "TBalloonSettings"; }
    // Copies all but Transparency; Enable without its event.
    void Assign(TPersistent* source) override;
    bool Enable() const { return enable_; }
    void SetEnable(bool value); // stores and fires OnEnableChange
    int AutoHideDelay = -1;      // ms; -1 the system's
    TColor BackgroundColor = clNone;
    int InitialDelay = -1;
    int ReshowDelay = -1;
    TColor TextColor = clNone;
    BYTE Transparency = 0; // the balloon's alpha is 255 - Transparency
    TNotifyEvent OnEnableChange;
    bool Created = false;

private:
    bool enable_ = false;
};
using TGridHintEvent = std::function<void(TObject* Sender, int ARow, int ACol, String& HintStr)>;
// Makes a window layered and translucent (alpha 0 clear .. 255 opaque), updated from its own
// picture of r; nothing where the system has no layered windows.
void ShowLayeredWindowAlpha(HWND wnd, TColor colorKey, BYTE alpha, const TRect& r);

// ---- file import and cell exchange events (PlusGridIO.cpp)
using TGridProgressEvent = std::function<void(TObject* Sender, short progress)>;
using TCellSaveLoadEvent = std::function<void(TObject* Sender, int ACol, int ARow, String& Value)>;
// ---- clipboard events (PlusGridClipboard.cpp)
using TBeforeCellPasteWideEvent =
    std::function<void(TObject* Sender, int ACol, int ARow, WideString& Value, bool& Allow)>;
using TAfterCellPasteWideEvent = std::function<void(TObject* Sender, int ACol, int ARow, const WideString& Value)>;

// ---- cell editing events and the editor classes the grid owns (PlusGridEditors.cpp)
class TPlusInplaceEdit;
class TGridCombo;
class TGridUniCombo;
class TGridEditBtn;
class TGridUnitEditBtn;
class TGridSpin;
class TGridUniEdit;
class TGridUniEditBtn;
class TGridUniMemo;
class TGridCheckBox;
class TScrollBar;
class TGridButton;
class TGridDatePicker;
class TEditLink;
class TGridTransEdit;
class TPlusRichEdit;
using TGetEditorTypeEvent = std::function<void(TObject* Sender, int ACol, int ARow, TEditorType& AEditor)>;
using TGetEditorPropEvent = std::function<void(TObject* Sender, int ACol, int ARow, TEditLink* AEditLink)>;
using TEditChangeEvent = std::function<void(TObject* Sender, int ACol, int ARow, String Value)>;
using TCellValidateEvent = std::function<void(TObject* Sender, int ACol, int ARow, String& Value, bool& Valid)>;
using TCellValidateWideEvent =
    std::function<void(TObject* Sender, int ACol, int ARow, WideString& Value, bool& Valid)>;
using TEditCellDoneEvent = std::function<void(TObject* Sender, int ACol, int ARow)>;
using TGetEditWideTextEvent = std::function<void(TObject* Sender, int ACol, int ARow, WideString& Value)>;
using TSetEditWideTextEvent = std::function<void(TObject* Sender, int ACol, int ARow, const WideString& Value)>;
using TCustomStrToDateEvent = std::function<void(TObject* Sender, String Value, TDateTime& ADate)>;
using TComboChangeEvent =
    std::function<void(TObject* Sender, int ACol, int ARow, int AItemIndex, String ASelection)>;
using TComboObjectChangeEvent =
    std::function<void(TObject* Sender, int ACol, int ARow, int AItemIndex, String ASelection, TObject* AObject)>;
using TSpinClickEvent = std::function<void(TObject* Sender, int ACol, int ARow, int AValue, bool UpDown)>;
using TFloatSpinClickEvent = std::function<void(TObject* Sender, int ACol, int ARow, double AValue, bool UpDown)>;
using TDateTimeSpinClickEvent =
    std::function<void(TObject* Sender, int ACol, int ARow, TDateTime AValue, bool UpDown)>;
using TEllipsClickEvent = std::function<void(TObject* Sender, int ACol, int ARow, String& S)>;
using TClipboardEvent = std::function<void(TObject* Sender, bool& Allow)>;
using TClipboardPasteCellEvent =
    std::function<void(TObject* Sender, int ACol, int ARow, String& Value, bool& Allow)>;
using TClipboardAfterPasteCellEvent = std::function<void(TObject* Sender, int ACol, int ARow, String Value)>;
using TDblClickCellEvent = std::function<void(TObject* Sender, int ARow, int ACol)>;
using TRowChangingEvent = std::function<void(TObject* Sender, int OldRow, int NewRow, bool& Allow)>;
using TColChangingEvent = std::function<void(TObject* Sender, int OldCol, int NewCol, bool& Allow)>;
using TCellChangingEvent =
    std::function<void(TObject* Sender, int OldRow, int OldCol, int NewRow, int NewCol, bool& Allow)>;

// ---- HTML form controls, OLE drag and drop, auxiliary edits: their classes follow the grid
// (PlusGridForms.cpp, PlusGridDragDrop.cpp, PlusGridAuxEdits.cpp)
class TControlEdit;
class TControlCombo;
class TDragDropSettings;
class TGridDropTarget;
class TArrowWindow;
class TDragCellsWindow;
using TControlEditDoneEvent = std::function<void(TObject* Sender, int ARow, int ACol, const String& CtrlID,
                                                 const String& CtrlType, const String& CtrlVal)>;
using TControlComboListEvent =
    std::function<void(TObject* Sender, int ARow, int ACol, const String& CtrlID, const String& CtrlType,
                       const String& CtrlVal, TStringList* Values, bool& Edit, int& DropCount)>;
using TControlComboSelectEvent = std::function<void(TObject* Sender, int ARow, int ACol, int ItemIndex,
                                                    const String& CtrlID, const String& CtrlValue)>;
using TOleDragDropEvent = std::function<void(TObject* Sender, int ARow, int ACol, const String& data, bool& Allow)>;
using TOleDragStartEvent = std::function<void(TObject* Sender, int ARow, int ACol)>;
using TOleDragStopEvent = std::function<void(TObject* Sender, int OLEEffect)>;
using TOleDragOverEvent = std::function<void(TObject* Sender, int ARow, int ACol, bool& Allow)>;
using TOleDroppedEvent = std::function<void(TObject* Sender, const TGridRect& ARect)>;
using TOleDropColEvent = std::function<void(TObject* Sender, int ARow, int ACol, int DropCol)>;
using TOleDropFileEvent =
    std::function<void(TObject* Sender, int ARow, int ACol, const String& FileName, bool& Allow)>;
using TOleDropURLEvent = std::function<void(TObject* Sender, int ARow, int ACol, const String& URL, bool& Allow)>;

class TPlusStringGrid : public TBaseGrid, public IColorStyled, public IColorSetTarget {
public:
    explicit TPlusStringGrid(TComponent* owner);
    ~TPlusStringGrid() override;
    String ClassName() const override { return "TPlusStringGrid"; }

    // ---- published settings (values as constructed)
    bool EnhRowColMove = true;
    TColor HintColor = clInfoBk;
    TColor HighlightColor() const { return highlightColor_; }
    TColor HighlightTextColor() const { return highlightTextColor_; }
    // Either setter passes both colours on to the HTML highlight and repaints.
    void SetHighlightColor(TColor value);
    void SetHighlightTextColor(TColor value);
    TColor URLColor = 0xFF0000;
    bool IntelliZoom = true;
    bool FixedAsButtons = false;
    bool HideFocusRect = false;
    // One floating-point conversion (%f, %e, %g with optional flags, width and precision) and
    // literal text; any other pattern writes the value as "%.2f" would.
    String FloatFormat = "%.2f";
    bool EnableHTML = true;
    bool EnableWheel = true;
    THoverFixedCells HoverFixedCells = hfNone;
    String FilterDropDownClear = "(All)";
    bool AutoFilterUpdate = true;
    TColor ActiveCellColor() const { return activeCellColor_; }
    void SetActiveCellColor(TColor value);
    TColor ActiveCellColorTo() const { return activeCellColorTo_; }
    void SetActiveCellColorTo(TColor value);
    TEditorType DefaultEditor = edNormal;
    TColor DisabledFontColor = clSilver;
    TInvalidEntryIcon InvalidEntryIcon = ieWarning;
    // The checker an edited cell's text passes through: its correction before validation (with
    // its AutoCorrect), its error marks after it (with AutoMarkError). Not owned; it is dropped
    // when freed.
    TPlusStringGridCheck* CellChecker() const { return cellChecker_; }
    void SetCellChecker(TPlusStringGridCheck* checker);
    // The soft frame around the cell being edited, shown with FocusHelper.Enabled (run-time
    // grids only; nil while designing).
    TGridFocusWindow* EditFrameWindow() const { return editFrameWindow_; }
    void ShowEditFrame();
    void MoveEditFrame();
    void HideEditFrame();
    bool ShowDesignHelper() const { return showDesignHelper_; }
    void SetShowDesignHelper(bool value);
    bool UseInternalHintClass = true;

    // ---- internal state read by the rest of the grid
    int HideLevel = 0;
    int GroupColumn = -1;
    bool LoadedOnce = false;
    TPoint HintCell{-1, -1};
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
    void SetBorderColor(TColor value)
    {
        SetAndRepaint(borderColor_, value);
        PaintLookBorder();
    }
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
    void SetBackGround(TBackGround* value);
    TSizeWhileTyping* SizeWhileTyping() const { return sizeWhileTyping_.get(); }
    TColumnSize* ColumnSize() const { return columnSize_.get(); }
    void SetColumnSize(TColumnSize* value) { columnSize_->Assign(value); }
    THTMLSettings* HTMLSettings() const { return htmlSettings_.get(); }
    void SetHTMLSettings(THTMLSettings* value) { htmlSettings_->Assign(value); }
    TPrintSettings* PrintSettings() const { return printSettings_.get(); }
    void SetPrintSettings(TPrintSettings* value) { printSettings_->Assign(value); }
    TDragScrollOptions* DragScrollOptions() const { return dragScrollOptions_.get(); }
    TSearchFooter* SearchFooter() const { return searchFooter_.get(); }
    TSyncGrid* SyncGrid() const { return syncGrid_.get(); }
    TFocusHelper* FocusHelper() const { return focusHelper_.get(); }
    TPlusHintInfo* OfficeHint() const { return officeHint_.get(); }
    TBitmap* RowIndicator() const { return rowIndicator_.get(); }
    // Copies the bitmap and repaints the current row's header cell.
    void SetRowIndicator(TBitmap* value);
    TIntList* AutoMergeColumns() const { return autoMergeColumns_.get(); }
    TIntList* ColumnOrder() const { return columnOrder_.get(); }
    TIntList* InitialColWidths() const { return initialColWidths_.get(); }
    TStringList* FilterValues() const { return filterValues_.get(); }
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
    bool ActiveCellShow() const { return activeCellShow_; }
    void SetActiveCellShow(bool value);
    void SetActiveCellFont(TFont* value);
    bool AutoNumAlign = false;
    bool URLShowInText = false;
    bool GrayDisabledRows = true;
    bool RowDisablingUsed = false;

    // ---- cell graphics
    virtual TCellType GetCellType(int col, int row);
    TCellGraphic* GetCellGraphicOf(int col, int row) const;
    TCellGraphic* CreateCellGraphic(int col, int row);
    bool RemoveCellGraphic(int col, int row);
    bool RemoveCellGraphicOfType(int col, int row, TCellType type);
    // Convenience setters; each builds the cell's graphic (replacing the one it had).
    void AddCheckBox(int col, int row, bool checked, bool grayed = false);
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

    // ---- row nodes (PlusGridNodes.cpp)
    // Rows are real indexes (hidden rows counted) where the name says so, else displayed ones.
    // A node row holds a ctNode graphic in column 0: CellBoolean contracted, CellIndex the span
    // (rows governed, the node row included; 0 = up to the next node row), CellErrFrom the
    // uncounted rows. Every row has a node level (the NodeLevel of its column-0 cell).
    void AddNode(int realRow, int span);
    void MarkSummaryRow(int realRow);
    void RemoveNode(int realRow);
    void RemoveAllNodes();
    bool IsNodeRow(int row);
    bool IsSummaryRow(int row);
    bool IsNodeContracted(int row);
    bool GetNodeState(int row) { return IsNodeContracted(row); }
    int GetNodeLevel(int row);          // -1 for a row that is no node row
    int GetNodeSpan(int row);           // CellIndex of a node row, -1 for other rows
    int GetNodeUncountedRows(int row);  // 0 for other rows
    void AddNodeSpan(int row, int delta);
    void AddNodeUncountedRows(int row, int delta);
    // The nearest node above the row, of lower level, whose displayed extent covers it; a node
    // row without such a parent answers itself; -1 without one.
    int GetParentNode(int row);
    void ExpandNode(int realRow);
    void ContractNode(int realRow);
    void ExpandAllNodes();
    void ContractAllNodes();
    // True when x (client pixels) lies on the node glyph of the displayed row.
    bool HitNodeGlyph(int row, int x);
    // 0 node row, 1 the branch ends at this row, 2 it goes on below.
    int GetTreeLineKind(int row);
    void InsertRowOutsideNodes(int realRow);
    void InsertRowInNode(int realRow, int offset);
    void RemoveRowOutsideNodes(int row);
    void RemoveRowInNode(int realRow);
    int GetNodeIndent(int row) override;
    // The click entry of the mouse handling: on a node row whose glyph lies under x, asks
    // OnBeforeExpandNode / OnBeforeContractNode, toggles the node and fires OnExpandNode /
    // OnContractNode. True when the click was taken by a node glyph.
    bool NodeClick(int row, int x);
    // Toggles the node of a displayed row with the same events (keyboard: + and -).
    bool ToggleNode(int row);
    TCellNode* CellNode() const { return cellNode_.get(); }
    bool InternalRowChange = false;
    TNodeEvent OnBeforeExpandNode;
    TNodeEvent OnBeforeContractNode;
    TNodeDoneEvent OnExpandNode;
    TNodeDoneEvent OnContractNode;

    // ---- controls in cells (PlusGridControls.cpp)
    // Rows are displayed indexes. ToggleCheckBox, SelectRadioButton, SetRadioButtonState and
    // HitCellCheckBox take a real column; SetCellControlDown and GetCellControlRect a displayed
    // one; the others use the column as given. Cells outside the grid answer False / -1.
    bool IsCheckBoxCell(int col, int row);
    bool IsClickableControlCell(int col, int row);
    bool IsRadioCell(int col, int row);
    bool IsRadioButtonCell(int col, int row);
    bool IsButtonCell(int col, int row);
    bool IsRatingCell(int col, int row);
    bool IsScrollBarCell(int col, int row);
    bool IsScrollBarCellTracking(int col, int row);
    int GetScrollBarCellPosition(int col, int row);
    void GetScrollBarCellRange(int col, int row, int& page, int& max);
    TStrings* GetRadioItems(int col, int row);
    bool GetRadioIndex(int col, int row, int& index);
    bool GetCellComment(int col, int row, String& comment);
    TColor GetShapeColor(int col, int row);
    bool GetCellImageIndex(int col, int row, int& index);
    bool GetCellRotation(int col, int row, int& angle);
    void GetCellErrorRange(int col, int row, int& from, int& len);
    bool GetCellBalloonInfo(int col, int row, int& icon, String& text, String& title);
    bool GetCheckBoxState(int col, int row, bool& state);
    // The state alone: False also for a cell without a check box.
    bool GetCheckBoxState(int col, int row)
    {
        bool state = false;
        return GetCheckBoxState(col, row, state) && state;
    }
    bool GetCellControlRect(int col, int row, TRect& rect);
    bool HitCellCheckBox(int col, int row, int x, int y);
    virtual bool ToggleCheckBox(int col, int row, bool fromUser);
    virtual bool SelectRadioButton(int col, int row, bool fromUser);
    bool ChangeCheckBoxState(int col, int row, bool state);
    bool SetCheckBoxState(int col, int row, bool state);
    bool SetRadioIndex(int col, int row, int index);
    void SelectRadioGroupItem(int col, int row, bool fromUser);
    bool SetRadioButtonState(int col, int row, bool checked);
    void CheckRadioButtonInColumn(int col, int row);
    void SetCellControlDown(int col, int row, bool down);
    void SetShapeColor(int col, int row, TColor color);
    void SetCellImageIndex(int col, int row, int index);
    void SetScrollBarCellPosition(int col, int row, int position);
    void SetScrollBarCellRange(int col, int row, int page, int max);
    void UpdateCellControls(bool recollect);
    void MoveColumnControls(int fromCol, int toCol);
    void MoveRowControls(int fromRow, int toRow);
    void ScrollCellIntoView(int col, int row);
    void ParkSelection();
    void RestoreSelection();
    TControl* GetCellControl(int col, int row);
    TControlList* CellControlList() const { return cellControlList_.get(); }
    TGridRect ParkedSelection{};
    bool SelectionParked = false;
    String GetCheckTrue(int col, int row);
    String GetCheckFalse(int col, int row);
    virtual void DoCanAddRow(bool& canAdd);
    virtual void DoCanInsertRow(int row, bool& canInsert);
    virtual void DoCheckBoxChange(int col, int row, bool state);
    virtual bool DoRatingChange(int col, int row, double& newRate);
    // The radio item of a radio-group cell under the point (client pixels), -1 when none.
    int HitRadioItem(int displayCol, int row, int x, int y);
    // The item boxes (glyph and caption) of a radio group in r, shared by painting and clicks.
    std::vector<TRect> RadioItemRects(TCanvas* canvas, const TRect& r, TStrings* items, int count, bool horizontal);
    // The click entries of the mouse handling, at a displayed cell and client point:
    // CellControlMouseDown toggles a check box (OnCheckBoxClick), selects a radio button or
    // the radio item under the point (OnRadioClick), sets a rating from the star under the
    // point, or presses a button down; CellControlMouseUp releases a pressed button and fires
    // OnButtonClick when the release lies on it. Both answer whether a control took the click.
    bool CellControlMouseDown(int displayCol, int row, int x, int y);
    bool CellControlMouseUp(int displayCol, int row, int x, int y);
    // The key entry: Space on a check box, radio button or radio group cell.
    bool CellControlKey(int displayCol, int row);
    TCheckBoxClickEvent OnCheckBoxClick;
    TRadioClickEvent OnRadioClick;
    TButtonClickEvent OnButtonClick;
    TRatingChangeEvent OnRatingChange;
    TCanAddRowEvent OnCanAddRow;
    TCanInsertRowEvent OnCanInsertRow;
    TGetCheckTextEvent OnGetCheckTrue;
    TGetCheckTextEvent OnGetCheckFalse;
    TColorSelectEvent OnColorSelect;
    TImageSelectEvent OnImageSelect;
    TPoint PressedButtonCell{-1, -1};

    // ---- the grid's scroll bar over a scroll-bar cell (PlusGridControls.cpp)
    // One vertical bar without tab stop, made on first use. The mouse over a ctScrollbar cell
    // whose page is below its maximum shows it at the cell's right edge with the cell's range
    // and position; over any other cell it hides. Moving it stores the position in the cell it
    // serves, repaints that cell and fires OnScrollCell. Scrolling or sizing the grid keeps it
    // over that cell while the cell is in view.
    TScrollBar* CellScrollBar() const { return cellScrollBar_; }
    // The cell the bar serves (displayed column, row); -1, -1 when none.
    TPoint ScrollBarCell() const { return scrollBarCell_; }
    TScrollCellEvent OnScrollCell;
    // After the grid changed a cell's text (an edit): a scroll-bar cell whose range follows its
    // text gets the row's height as page and the text's height as maximum.
    void CellTextChanged(int col, int row) override;
    // A check box in r by ControlLook's style (glyph, drawn or classic frame control).
    void DrawCheckBox(TCanvas* canvas, const TRect& r, bool checked, bool enabled, bool grayed);
    // Count radio items in r, side by side or one under the other; with checkedIndex -1 the
    // item whose caption equals the cell's text is checked.
    void DrawRadioGroup(TCanvas* canvas, const TRect& r, int count, int checkedIndex, bool horizontal, bool disabled,
                        TStrings* items, int col, int row);

    // ---- looks and colour styles (PlusGridLooks.cpp)
    TGridLook Look() const { return look_; }
    void SetLook(TGridLook value);
    // The display name of a look; glCustom and unknown values leave the name unchanged.
    static void GetLookName(TGridLook look, String& name);
    // IColorStyled: remembers the style, applies its colours and passes it to the editors.
    void ApplyColorStyle(uint8_t style) override;
    virtual void ApplyStyleColors(uint8_t style);
    void ApplyStyleToEditors(uint8_t style);
    // IColorSetTarget: a flat look in the colours of the set, with glyph check boxes.
    void ApplyColorSet(const TControlColorSet& colors) override;
    void AdaptToOfficeTheme();
    bool AutoThemeAdapt() const { return autoThemeAdapt_; }
    void SetAutoThemeAdapt(bool value);
    // The drop-down editors the grid created; each gets the grid's style and colour set.
    void AddStyledEditor(IColorStyled* editor, IColorSetTarget* colorSetTarget);
    void RemoveStyledEditor(IColorStyled* editor);
    TControlLook* ControlLook() const { return controlLook_.get(); }
    void SetControlLook(TControlLook* value) { controlLook_->Assign(value); }
    TGridProgressAppearance* ProgressAppearance() const { return progressAppearance_.get(); }
    TShowModified* ShowModified() const { return showModified_.get(); }
    TFixedLookColors FixedLookColors;
    BYTE CurrentColorStyle = 6;
    BYTE AdaptedTheme = 10;
    TControlColorSet GridColorSet;
    // The search footer's colours that looks set (the footer itself reads them).
    TColor SearchFooterColor = clBtnFace;
    TColor SearchFooterColorTo = clBtnFace;
    // Tests: the theme that AdaptToOfficeTheme reads, instead of the system's (-1: the system's).
    int ThemeForTest = -1;

    // ---- hints and balloons (PlusGridHints.cpp)
    // The grid's part of CM_HINTSHOW: the hint of the cell under the mouse (OnGridHint, with
    // the real column), the cell as the area the hint stays for, the hint colour, and the HTML
    // hint window for HTML or wide text. False when there is no hint to show.
    bool HintShow(THintInfo& info);
    TGridHintEvent OnGridHint;
    TBalloonSettings* Balloon();
    void InitBalloonHints();
    void DoneBalloonHints();
    // The balloon tool tip: the common controls' tool tip window the grid owns, and what the
    // grid registered with it (the window's style, the tool and its title and icon).
    struct TBalloonToolTipState {
        HWND Window = nullptr;
        bool Exists = false;
        int Creations = 0;
        int Destructions = 0;
        unsigned Style = 0;       // always-tip, no-prefix, balloon
        bool Topmost = false;
        bool ToolAdded = false;
        unsigned ToolFlags = 0;   // identified by the owner window, subclassing it
        TRect ToolRect;           // the grid's client area
        String Title;             // at most 255 characters
        int Icon = 0;             // 0 none, 1 information, 2 warning, 3 error
        int InitialDelay = -1, ReshowDelay = -1, AutoHideDelay = -1;
        int Alpha = 255;
        int Pops = 0;             // times the shown balloon was taken away
    } BalloonToolTip;

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
    // Raise EPlusGridError "Invalid row accessed" for a row outside the grid (hidden rows
    // included); with the disjunct row selection the answer is the list's.
    bool GetRowSelected(int row);
    void SetRowSelected(int row, bool selected);
    int SelectedRowCount();
    void SelectRowsInRange(bool all);
    void SelectColsInRange(bool all);
    void SelectSingleCell(int col, int row);
    // Moves the current cell and the selection's anchor there and scrolls it into view.
    void FocusCell(int col, int row);
    using TCustomGrid::FocusCell;
    void ClearRowSelection();
    // Raise EPlusGridError "Invalid column accessed" for a column outside the shown ones.
    bool GetColSelected(int col);
    void SetColSelected(int col, bool selected);
    void ClearColSelection();
    bool GetRowModified(int row) const;
    void SetRowModified(int row, bool value);
    bool GetRowEnabled(int row) const;
    bool IsRowEnabled(int row) const { return GetRowEnabled(row); }
    void SetRowEnabled(int row, bool value);
    void SetColumnHeaders(TStrings* value);
    void SetRowHeaders(TStrings* value);
    void ApplyColumnHeaders();
    void ApplyRowHeaders();
    virtual void ColumnHeadersChanging() {} // told before the column headers are applied again
    virtual void CellsChanged(const TRect& r);
    // Scrolls only to a row from FixedRows to RowCount - 1.
    void SetTopRowChecked(int row);
    int GetTopRow() const { return TopRow(); }
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
    void LoadXlsFile(const String& fileName) { ImportExcelWorkbook(fileName, ""); }
    // Reads the used range of the named sheet (the active one for an empty name) of a workbook
    // through the spreadsheet application's automation. Every value is read before the grid
    // changes: a workbook that cannot be read raises (EOleException, or EPlusGridError "Excel
    // worksheet <name> not found") and leaves the grid as it was.
    void ImportExcelWorkbook(const String& fileName, const String& sheetName);
    // The binary cell stream of the rectangle (Left..Right, Top..Bottom), appended to the stream:
    // each cell's text, properties and graphic with the bitmap, icon, picture, file picture,
    // radio captions or image indexes it owns.
    void WriteBinaryCellStream(const TRect& rect, TMemoryStream* stream);
    // Places the cells of a binary cell stream read from the stream's position: the first cell
    // lands on `at`, the others keep their offsets (a full-grid stream keeps its coordinates,
    // shifted by `at`). Every count and length is checked against the bytes left before anything
    // is allocated; a malformed stream raises EReadError (cells placed before it stay). A merged
    // extent goes through MergeCellRange's checks; the user's object reference is not read back.
    void ReadBinaryCellStream(TStream* stream, TPoint at);
    // The size and writer of a binary cell stream (its first record), read from the stream's
    // position; false when the stream does not start with a readable header record.
    bool ReadBinaryCellStreamHeader(TStream* stream, int& cols, int& rows, int32_t& id);
    // The writer mark a stream carries: the low 32 bits of the window handle.
    int32_t StreamID() { return int32_t(reinterpret_cast<intptr_t>(Handle())); }

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

    // ---- cell editing: the editor a cell gets, showing it, writing its value back, validation
    // (PlusGridEditors.cpp)
    bool Editing = false;            // a cell editor of any kind is open
    String SavedCellText;            // the cell's stored text when editing began; Esc puts it back
    bool ValidationPending = false;  // the next validation runs only while this is set
    bool SpecialEditorOpen = false;  // an editor other than the default in-place editor is open
    bool EditingDonePending = false; // the commit of a special editor runs the editing-done step
    bool Committing = false;
    bool EditStarted = false;
    bool InplaceEditorInUse = false;
    bool EditShowInhibit = false;    // while set, no editor opens
    bool LoadingEditorText = false;  // an editor is being loaded from its cell: no OnEditChange
    TWinControl* ActiveEditor = nullptr;
    TDateTime DateTimeShown = 0;
    WideString WideEditText;         // the text a Unicode editor handed over when it lost the focus
    TEditLink* EditLink = nullptr;   // the application's editor of edCustom cells (not owned)
    bool SpinUpPending = false;
    bool SpinDownPending = false;
    bool EditorClickThrough = false; // a click placed the caret request of the opening editor
    String EditStartText;            // the text the last validation compared against
    String ValidatedText;            // the text the last validation left (possibly corrected)
    bool LastValidationPassed = true;
    bool AlwaysEditingSwitched = false;
    bool EditingSwitchedByGrid = false;
    bool InternalMove = false;
    // edit settings
    bool Lookup = false;
    bool LookupCaseSensitive = false;
    bool LookupHistory = false;
    TStringList* LookupItems() const { return lookupItems_.get(); }
    String ValidChars;
    std::array<bool, 256> ValidCharSet{};
    int MaxComboLength = 0;
    bool ExcelStyleDecimalSeparator = false;
    bool EditWithTags = false;
    bool Multilinecells = false;
    String InvalidEntryTitle;
    String InvalidEntryText;

    TGetEditorTypeEvent OnGetEditorType;
    TGetEditorPropEvent OnGetEditorProp;
    TEditChangeEvent OnEditChange;
    TCellValidateEvent OnCellValidate;
    TCellValidateWideEvent OnCellValidateWide;
    TEditCellDoneEvent OnEditCellDone;
    TNotifyEvent OnEditingDone;
    TGetEditWideTextEvent OnGetEditWideText;
    TSetEditWideTextEvent OnSetEditWideText;
    TCustomStrToDateEvent OnCustomStrToDate;
    TComboChangeEvent OnComboChange;
    TComboObjectChangeEvent OnComboObjectChange;
    TSpinClickEvent OnSpinClick;
    TFloatSpinClickEvent OnFloatSpinClick;
    TDateTimeSpinClickEvent OnDateSpinClick;
    TDateTimeSpinClickEvent OnTimeSpinClick;
    TEllipsClickEvent OnEllipsClick;
    TClipboardEvent OnClipboardCopy;
    TClipboardEvent OnClipboardCut;
    TClipboardEvent OnClipboardPaste;
    TClipboardPasteCellEvent OnClipboardBeforePasteCell;
    TClipboardAfterPasteCellEvent OnClipboardAfterPasteCell;
    TDblClickCellEvent OnDblClickCell;
    TRowChangingEvent OnRowChanging;
    TColChangingEvent OnColChanging;
    TCellChangingEvent OnCellChanging;

    // The editor of a cell: DefaultEditor, then OnGetEditorType (real column).
    virtual void GetEditorType(int col, int row, TEditorType& editor);
    virtual void QueryEditorType(int col, int row, TEditorType& editor) { GetEditorType(col, row, editor); }
    // True only when OnGetEditorType answers edNone for the cell.
    virtual bool CellHasNoEditor(int col, int row);
    // Opens the special editor of ActiveEditorType over the cell (display column).
    virtual void ShowCellEditor(int col, int row);
    // Writes the open special editor's value into the cell (display column) and hides the editor.
    virtual void CommitCellEditor(int col, int row);
    virtual void DoGetEditorProp(int col, int row, TEditLink* editLink);
    virtual void RestoreSavedCellText();
    bool EditorWantsTab();
    // The value into the cell (real column) through SetEditText and SetCellText.
    virtual void SetCellFromEditor(int col, int row, const String& value);
    // Opens the editor on the current cell (nothing on a clickable control cell).
    virtual void ShowInplaceEditor();
    // Closes and commits the open editor; nothing while no editor is open.
    virtual void HideInplaceEditor();
    // Validates the edited value of the cell being edited: true when accepted (then it is in the
    // cell). A refused value never reaches the cell: the cell keeps its text from before the
    // edit (or the handler's replacement) and the editor stays open on it. ValidatedText holds
    // the text the editor should show.
    virtual bool ValidateCell(const String& value);
    virtual bool ValidateWideCell(const WideString& value);
    // OnEditingDone, Editing cleared, "GridEditDone" posted (wParam column, lParam row).
    virtual void DoEditingDone(int col, int row);
    // Ends editing and performs the navigation of the key (Tab and arrows to the grid's keys,
    // Enter advances).
    virtual void EndEditAndMove(WORD key, TShiftState shift);
    virtual void TabToNextCell(bool backwards);
    virtual void AdvanceToNextCell(int col, int row, bool doEdit, bool forward);
    String GetCurrentCellText();
    void SetCurrentCellText(const String& text);
    void SetCurrentCellEditText(const String& text);
    virtual String DoEllipsClick(const String& s);
    virtual void DoCellChanging(int col, int row, bool& allow);
    void RepaintActiveCellHeaders(int oldCol, int oldRow, int newCol, int newRow);
    String GetEditText(int col, int row) override;
    void SetEditText(int col, int row, const String& value) override;
    int GetEditLimit() override { return MaxEditLength; }
    // The registered window message "GridEditDone".
    static UINT GridEditDoneMessage();
    // Hooks for descendants, called by the default in-place editor.
    virtual void EditorWMKeyDownHook(TMessage&) {}
    virtual void EditorKeyDownHook(WORD&, TShiftState) {}
    virtual void EditProgress(const String&, TPoint, int) {}
    virtual void FormulaEditChanged(bool) {}
    // The editors, created on first use with the grid as owner and parent, hidden and disabled.
    TPlusInplaceEdit* GetInplaceEditor();
    TGridCombo* ComboEditor();
    TGridUniCombo* UniComboEditor();
    TGridEditBtn* EditBtnEditor();
    TGridUnitEditBtn* UnitEditBtnEditor();
    TGridSpin* GetSpinEditor();
    TGridUniEdit* UniEditor();
    TGridUniEditBtn* UniEditBtnEditor();
    TGridUniMemo* UniMemoEditor();
    TGridCheckBox* CheckBoxEditor();
    TGridButton* ButtonEditor();
    TGridDatePicker* GetDatePicker();
    // Editors that live outside this library (the drop-down family) register here: the creator
    // makes the control for an editor type, Load fills it from the cell text and places it,
    // Value reads the text to write back.
    struct TExternalEditorClass {
        std::function<TWinControl*(TPlusStringGrid* grid)> Create;
        std::function<void(TWinControl* editor, TPlusStringGrid* grid, int realCol, int row, const TRect& r,
                           TColor color)>
            Load;
        std::function<String(TWinControl* editor)> Value;
        // When set, writes the editor's value into the cell (real column) instead of Value.
        std::function<void(TWinControl* editor, TPlusStringGrid* grid, int realCol, int row)> Commit;
    };
    // Events of the drop-down editors: the colour and image pickers' values as they are written
    // (the handler may change them), and clicks on the pop-ups' header and footer buttons.
    using TColorSelectedEvent = std::function<void(TObject* Sender, int ACol, int ARow, TColor& Color, String& Value)>;
    using TImageSelectedEvent = std::function<void(TObject* Sender, int ACol, int ARow, int& Index)>;
    using TDropDownButtonClickEvent = std::function<void(TObject* Sender, int ACol, int ARow, int ButtonIndex)>;
    TColorSelectedEvent OnColorSelected;
    TImageSelectedEvent OnImageSelected;
    TDropDownButtonClickEvent OnDropDownHeaderButtonClick;
    TDropDownButtonClickEvent OnDropDownFooterButtonClick;
    static void RegisterExternalEditor(TEditorType type, TExternalEditorClass editorClass);
    TWinControl* ExternalEditor(TEditorType type);

    // ---- rich-text cells: the hidden renderer that turns them into plain text, measures and
    // draws them, and the rich-text in-place editor, both made on first use (PlusGridRichText.cpp)
    bool IgnoreFocusMessages = false; // while set, the rich-text editor ignores losing the focus
    bool SelectionRTFKeep = false;    // selected rich-text cells keep their own text colours
    TNotifyEvent OnRichEditSelectionChange;
    TPlusRichEdit* GetRichEditRenderer();
    TPlusRichEdit* GetRichEditEditor();
    // The cell's text (merged cells through their base cell) into the control: rich text is
    // parsed, other text is its plain text, an empty cell clears it.
    void LoadRichEditFromCell(int ACol, int ARow, TPlusRichEdit* RichEdit);
    // The control's content as rich text in one string.
    void RichEditToCellText(TPlusRichEdit* RichEdit, String& Text);
    void SaveRichEditToText(TPlusRichEdit* RichEdit, String& S) { RichEditToCellText(RichEdit, S); }
    void RichEditSelectionChange(TObject* Sender);
    // The plain text of a rich text (paragraphs joined by CR LF), through the renderer.
    String RichTextToPlainText(const String& text);
    // Draws the rich text of cell (real column ACol, ARow) into R on the canvas.
    void DrawRichTextCell(int ACol, int ARow, TCanvas* ACanvas, TRect R);

private:
    friend class TPlusRichEdit;
    TPlusRichEdit* richEditRenderer_ = nullptr;
    TPlusRichEdit* richEditEditor_ = nullptr;

public:

protected:
    bool CanEditShow() override;
    TInplaceEdit* CreateEditor() override;
    bool SelectCell(int col, int row) override;
    void Dispatch(TMessage& message) override;

private:
    void ResolveEditorColors(int col, int row, TColor& color, TFont* font);
    bool ValidateNarrow(const String& value);
    std::unique_ptr<TStringList> lookupItems_ = std::make_unique<TStringList>();
    TGridCombo* comboEditor_ = nullptr;
    TGridUniCombo* uniComboEditor_ = nullptr;
    TGridEditBtn* editBtnEditor_ = nullptr;
    TGridUnitEditBtn* unitEditBtnEditor_ = nullptr;
    TGridSpin* spinEditor_ = nullptr;
    TGridUniEdit* uniEditor_ = nullptr;
    TGridUniEditBtn* uniEditBtnEditor_ = nullptr;
    TGridUniMemo* uniMemoEditor_ = nullptr;
    TGridCheckBox* checkBoxEditor_ = nullptr;
    TGridButton* buttonEditor_ = nullptr;
    TGridDatePicker* datePicker_ = nullptr;
    std::map<int, TWinControl*> externalEditors_;
    TPoint snapshotCell_{-1, -1};
    bool validating_ = false;

public:
    // ---- lifecycle (PlusGrid.cpp)
    // Copies the settings, sizes and cell texts of another string grid (no cell colours or
    // graphics); any other source changes nothing.
    void Assign(TPersistent* source) override;
    // Copies the texts of all cells of another string grid, through the text cell stream.
    virtual void CopyCellsFrom(TPersistent* source);
    void Loaded() override;
    void SetBounds(int left, int top, int width, int height) override;
    String GetEditMask(int col, int row) override;
    // The form that holds the control (the control itself when it is one), or none.
    static TForm* FindParentForm(TControl* control);
    void UpdateScrollBarsAlways(bool hideUnneeded);
    bool IntegralHeight = false;
    bool SizeWithForm = false;
    int OwnerFormWidth = 0;
    int OwnerFormHeight = 0;
    int InitialLeftCol = 0;
    int InitialTopRow = 0;
    TGetEditMaskEvent OnGetEditMask;
    TNotifyEvent OnResizeGrid; // the grid's own resize event

    // ---- stored column layout (PlusGridSettings.cpp)
    void StoreColumnWidths();
    void RestoreColumnWidths();
    virtual void StoreColumnOrder();
    // Puts the columns into the stored order (the hidden ones hidden again). Stored positions
    // that do not name every column once are ignored: nothing moves.
    virtual void RestoreColumnOrder();
    // Shows every hidden column and moves column i to place ColumnOrder[i] wherever that lies
    // before it, until nothing moves; an empty list is reset and nothing moves.
    void ApplyColumnOrder();
    void ResetColumnOrder(); // 0 .. ColCount - 1
    void StoreInitialColWidths();

    // ---- cell query hooks (PlusGridHooks.cpp)
    void GetCellFormat(int col, int row, TFont* font, TBrush* brush, TColor& colorTo, TColor& mirrorColor,
                       TColor& mirrorColorTo, TAlignment& alignment, TVAlignment& vAlignment, bool& wordWrap,
                       TCellGradientDirection& gradientDirection) override;
    virtual void DoCanEditCell(int col, int row, bool& canEdit);
    virtual void DoSearchFooterAction(const String& value, int col, int row, TSearchAction action);
    virtual void DoButtonClick(int col, int row);
    virtual void DoGridHint(int row, int col, WideString& wideHint, String& hint);
    virtual void DoGetCellPrintColor(int col, int row, TGridDrawState state, TBrush* brush, TFont* font);
    virtual void DoGetCellPrintBorder(int col, int row, TPen* pen, TCellBorders& borders);
    virtual void DoGetAlignment(int col, int row, TAlignment& hAlign, TVAlignment& vAlign);
    virtual void DoIsPasswordCell(int col, int row, bool& isPassword);
    virtual void DoGetWordWrap(int col, int row, bool& wordWrap);
    // Whether the cell shows a permanent combo / spin button.
    virtual bool HasComboBox(int col, int row);
    virtual bool HasSpinEdit(int col, int row);
    // Fills FilterValues with the values a column offers in its filter drop-down; true when
    // there are any.
    virtual bool BuildColumnFilterList(int col);
    // Whether the header cell of the column in the filter row shows its filter button.
    bool ShowsFilterButton(int realCol);
    void DrawFilterButton(TCanvas* canvas, int realCol, const TRect& rect);
    bool CanEditCellAt(int col, int row);
    bool CanEditCellQuery(int col, int row);
    bool IsPasswordCell(int col, int row);
    // Date picker editors: change and close-up report here. The close-up answers whether the
    // editor is to be closed now (MouseActions.DirectDateClose).
    void DateTimePickerChange(TDateTime dateTime);
    void DatePickerChange(bool showsTime, TDateTime value);
    bool DatePickerCloseUp();
    void DatePickerDropDown();
    bool DropDownAlwaysVisible = false; // permanent drop-down buttons for combo cells
    bool FilterDropDownAuto() const { return filterDropDownAuto_; }
    void SetFilterDropDownAuto(bool value);
    TSearchFooterActionEvent OnSearchFooterAction;
    TGridWideHintEvent OnGridWideHint;
    TOfficeHintEvent OnOfficeHint;
    TGridColorEvent OnGetCellPrintColor;
    TGridBorderEvent OnGetCellPrintBorder;
    TIsPasswordCellEvent OnIsPasswordCell;
    TWordWrapEvent OnGetWordWrap;
    THasComboEvent OnHasComboBox;
    THasSpinEditEvent OnHasSpinEdit;
    TGetColumnFilterEvent OnGetColumnFilter;
    TDateTimeChangeEvent OnDateTimeChange;
    TClickCellEvent OnDatePickerCloseUp;
    TClickCellEvent OnDatePickerDropDown;
    TGridGradientEvent OnGetCellGradient;

    // ---- notification hooks (PlusGridHooks.cpp)
    virtual void SelectionChanged(int left, int top, int right, int bottom);
    virtual void AutoInsertRow(int row);
    virtual void AutoDeleteRow(int row);
    virtual void FilterDone();
    virtual void GetCalcCellText(int col, int row, String& text);
    virtual void SaveCellText(int col, int row, String& text);
    virtual void NotifyProgress(int code, int index) {}
    virtual void NotifyPaste(int, int) {}
    // The text a cell shows, as displayed and exported (display text, password mask).
    virtual String GetFormattedCellText(int col, int row);
    bool ExportRTFLineBreaksOnly = false;
    TSelectionChanged OnSelectionChanged;
    TAutoDeleteRowEvent OnAutoDeleteRow;
    TNotifyEvent OnFilterDone;
    TCellSaveLoadEvent OnSaveCell;
    TRowDisjunctSelectEvent OnRowDisjunctSelect;
    TRowDisjunctSelectedEvent OnRowDisjunctSelected;

    // ---- highlights, repaints, merging of listed columns (PlusGridRows.cpp)
    void HighlightInRange(const String& text, const String& tag, int lastRow, int lastCol, int firstRow, int firstCol,
                          bool caseSensitive);
    void UnHighlightInRange(const String& tag, int firstCol, int lastRow, int lastCol, int firstRow);
    void HighlightInColumn(bool all, bool caseSensitive, const String& text, int col);
    void HighlightInGrid(bool all, bool caseSensitive, const String& text);
    void UnHighlightColumn(bool all, int col);
    void RemoveAllHighlights(bool all);
    // Repaints the screen area of a rectangle of cells (the whole grid when part of it is out of view).
    void InvalidateCellRect(int left, int top, int right, int bottom);
    void SplitAllMergedCells();
    void MergeListedColumns();
    bool LastRowAboveSearchFooter();
    void KeepLastRowAboveSearchFooter();
    int SearchPanelHeight() const;

    // ---- sub-grouping (PlusGridGroup.cpp)
    // Groups the rows of every group again by a column: a sub-header row above each run of
    // equal values, the values moved into the sub-headers.
    virtual void SubGroupRowsByColumn(int col);
    // Removes the sub-headers of a column and writes their values back into its cells.
    virtual void SubUngroup(int col);
    // The node value of a node row: -1 for a group header, the column for a sub-group header.
    int GetNodeValue(int row);

    // ---- HTML form controls in cells (PlusGridForms.cpp)
    // The edit and the combo that edit the EDIT, PASSWORD, MASK and COMBO tags of HTML cells:
    // created hidden on first use, with the grid as owner and parent; at most one is open.
    TControlEdit* FormControlEdit();
    TControlCombo* FormControlCombo();
    TPoint FormControlCell{-1, -1}; // (real column, row) of the cell whose control is open
    String FormControlID;
    String FormControlType;          // empty once the edit ended
    bool FormControlActive = false;  // a control is shown and not yet written back
    TPoint HTMLButtonCell{-1, -1};   // (real column, row) of the pressed BUTTON tag
    bool HTMLButtonPressed = false;
    bool FormControlPressed = false; // the current press was taken by a control
    // Shows the edit or combo over the tag's rectangle (client pixels); other types do nothing.
    void ShowCellFormControl(const String& HTML, const String& CtrlType, int ARow, int ACol, int DisplayCol,
                             const TRect& Rect, const String& Value, const String& CtrlID);
    // Writes the open control's text into its tag's VALUE (the OnExit of both controls).
    void CommitCellFormControl(TObject* Sender);
    void FormComboSelect(TObject* Sender);
    // Opens the next EDIT, PASSWORD, MASK or COMBO tag after CtrlID in the cell; the grid takes
    // the focus back when there is none.
    void ActivateCellFormControl(int ACol, int ARow, const String& CtrlID);
    // The rectangle the mini-HTML of a displayed cell is laid out in (client pixels).
    TRect HTMLCellTextRect(int displayCol, int row);
    // The control tag of a displayed cell's HTML under a client point, or the tag with the given
    // ID (x, y = -1 and ctrlID set); false when none.
    bool HitCellFormControl(int displayCol, int row, int x, int y, String& ctrlID, String& ctrlType,
                            String& ctrlValue, TRect& ctrlRect);
    // The left press on an HTML cell: BUTTON pressed, CHECK and RADIO rewritten, edit types
    // opened. True when a control took the press.
    bool CellFormControlMouseDown(int displayCol, int row, int x, int y);
    // The release: a pressed BUTTON comes up. True when the press was taken by a control.
    bool CellFormControlMouseUp();
    TControlEditDoneEvent OnControlEditDone;
    TControlComboListEvent OnControlComboList;
    TControlComboSelectEvent OnControlComboSelect;

    // ---- design-time quick configuration (PlusGridDesign.cpp)
    // While designing with ShowDesignHelper, a box at the bottom right of the client area:
    // "Allow edit" (zone 1), "Set look: " (zone 2) and the close glyph (zone 3).
    int DesignHelperZone = -1;
    TRect DesignHelperRect();
    int DesignHelperHitTest(int X, int Y);
    void CMDesignHitTest(TMessage& Message);
    virtual void DesignHelperClick(int X, int Y);
    virtual void PaintDesignHelper();

    // ---- OLE drag and drop (PlusGridDragDrop.cpp)
    TDragDropSettings* DragDropSettings();
    void SetDragDropSettings(TDragDropSettings* value);
    TGridDropTarget* DropTarget() const { return dropTarget_.get(); }
    bool OleDropRegistered = false;
    // The selection when a drag last started here (Left, Top, Right, Bottom).
    TRect DragSourceRect{0, 0, 0, 0};
    // The drop indicators (created on first use): 0 the column arrow above a header pointing
    // down, 1 the one below it pointing up, 2 the row arrow left of a row pointing right, 3 the
    // one right of it pointing left. ShowDropArrow places one at a screen point, 11 x 11 pixels
    // (the box of every outline); HideDropArrows always hides the row arrows.
    TArrowWindow* DropArrow(int which);
    void ShowDropArrow(int which, TPoint screen, bool visible = true);
    void HideDropArrows(bool columnArrows, bool lowerColumnArrow);
    // The mouse moved with the left button held: starts an OLE drag once it left the press by
    // more than 3 pixels (DragDropSettings.OleDropSource). True when a drag ran.
    bool OleDragMouseMove(int x, int y);
    // The grid's own start-of-drag and end-of-drag notifications (OnStartDrag, OnEndDrag; nothing
    // when unset): an OLE drag starts and ends, a column or row moves with the enhanced display
    // and is released. A grid hosted in a drop-down listens to them.
    void DragStartHook();
    void DragEndHook();
    // The drag's pictures: the floating cells window (while a drag with ShowCells runs) and
    // the header-button window of a column drag (created on first use, hidden between drags).
    TDragCellsWindow* DragCellsWindow() const { return dragCellsWindow_; }
    TPopupButton* ColumnDragImage();
    TOleDragDropEvent OnOleDrag;
    TOleDragStartEvent OnOleDragStart;
    TOleDragStopEvent OnOleDragStop;
    TOleDragOverEvent OnOleDragOver;
    TOleDragDropEvent OnOleDrop;
    TOleDroppedEvent OnOleDropped;
    TOleDropColEvent OnOleDropCol;
    TOleDropFileEvent OnOleDropFile;
    TOleDropURLEvent OnOleDropURL;

    // ---- auxiliary edit controls (PlusGridAuxEdits.cpp)
    // Scales FixedFont and ActiveCellFont with the form (not while designing, not for m = d).
    void ChangeScale(int m, int d) override;

private:
    friend class TGridDropTarget;
    friend class TDragDropSettings;
    struct TDropTargetRelease {
        void operator()(TGridDropTarget* target) const;
    };
    TControlEdit* formControlEdit_ = nullptr;
    TControlCombo* formControlCombo_ = nullptr;
    std::unique_ptr<TDragDropSettings> dragDropSettings_;
    std::unique_ptr<TGridDropTarget, TDropTargetRelease> dropTarget_;
    std::array<TArrowWindow*, 4> dropArrows_{};
    bool oleDragging_ = false;
    friend class TGridDropSource;
    TDragCellsWindow* dragCellsWindow_ = nullptr;
    TPopupButton* columnDragImage_ = nullptr;
    // Shows the pictures of a drag starting at the display cell (col, row).
    void ShowDragPictures(int col, int row, bool columnDrag);
    // The cells of the range that are in view, as the grid shows them, in a new floating cells
    // window at a screen point; false (and no window) when none is in view.
    bool ShowCellsPicture(const TGridRect& cells, TPoint screen);
    void FreeDragCellsWindow();
    void HideColumnDragImage();

public:

    // ---- scrolling and scroll bars (PlusGridScroll.cpp)
    TScrollStyle ScrollBars() const { return scrollBarsValue_; }
    void SetScrollBars(TScrollStyle value);
    TScrollBarAlways ScrollBarAlways() const { return scrollBarAlways_; }
    void SetScrollBarAlways(TScrollBarAlways value);
    TScrollType ScrollType() const { return scrollType_; }
    void SetScrollType(TScrollType value);
    TColor ScrollColor() const { return scrollColor_; }
    void SetScrollColor(TColor value);
    int ScrollWidth() const { return scrollWidth_; }
    void SetScrollWidth(int value);
    bool ScrollProportional() const { return scrollProportional_; }
    void SetScrollProportional(bool value);
    TScrollHintType ScrollHints = shNone;
    bool ScrollSynch = false;
    bool Hovering = false;
    bool FlatScrollBarsReady = false;
    bool ScrollHintShown = false;
    int ColumnSizeStartWidth = 0;
    int RowSizeStartHeight = 0;
    bool AllColSizing = false;
    bool AllRowSizing = false;
    bool ColumnWidthChangedMark = false;
    // Widens one column (-1: the last) so that the columns fill the client width; raises
    // Exception "Stretch column index out of range" for a column at or beyond ColCount.
    void StretchColumn(int col);
    void UpdateHorzScrollProportional();
    void UpdateVertScrollProportional();
    // The flat scroll bars of the common controls library: there is none here, so the grid keeps
    // ordinary scroll bars and these keep FlatScrollBarsReady false.
    void InitFlatScrollBars();
    void DoneFlatScrollBars();
    void ApplyFlatScrollBars();
    void ApplyFlatScrollStyle();
    void ApplyFlatScrollColor();
    void ApplyFlatScrollWidth();
    void ShowFlatScrollBar(int bar, bool show);
    void UpdateFlatHorzScrollBar();
    void UpdateFlatVertScrollBar();
    void ScreenToCell(TPoint screen, int& col, int& row);
    bool IsOnSizingEdge(int x, int y);
    void DragOver(TObject* source, int x, int y, TDragState state, bool& accept) override;
    void DragScrollTick();
    virtual void DoUpdateColumnSize(int col, int& width);
    virtual void DoUpdateColumnSize2(int col, int& width);
    // The text of the scroll position hint while it shows, else empty.
    String ScrollHintText() const;
    TScrollHintEvent OnScrollHint;
    TDragScrollEvent OnDragScroll;
    TEndColumnSizeEvent OnEndColumnSize;
    TEndRowSizeEvent OnEndRowSize;
    TColumnSizeEvent OnUpdateColumnSize;

protected:
    // The scroll messages and the dialog code; everything else goes on to the base grid.
    void DispatchScrollMessages(TMessage& message);
    void Notification(TComponent* component, TOperation operation) override;
    void SizeChanged(int oldColCount, int oldRowCount) override;
    void ColWidthsChanged() override;
    void RowHeightsChanged() override;
    void TopLeftChanged() override;
    void CreateWnd() override;
    void Resize() override;
    void WMHScroll(TMessage& message);
    void WMVScroll(TMessage& message);
    void WMGetDlgCode(TMessage& message);

public:
    // ---- clipboard (PlusGridClipboard.cpp)
    // Copies write CF_TEXT (cells joined by TAB, rows by CR LF), with AllowRTFClipboard the
    // "Rich Text Format" of the top-left cell and with AllowFmtClipboard the binary cell stream
    // as "TPlusStringGrid Cells". Pastes take the cell stream, then rich text, then text.
    TPoint ClipboardOrigin{-1, -1};
    bool LastCopyWasCopy = false;
    bool ClipboardQuoteMultiLine = false;
    TBeforeCellPasteWideEvent OnClipboardBeforePasteWideCell;
    TAfterCellPasteWideEvent OnClipboardAfterPasteWideCell;
    void CopySelectionToClipboard();
    // Every cell with SaveFixedCells, else the data area.
    void CopyWholeGridToClipboard();
    void CutSelectionToClipboard();
    void PasteFromClipboard();
    void CopyCellRectToClipboard(const TGridRect& rect, bool disjunct);
    // The clipboard text of a rectangle of display cells (what CopyCellRectToClipboard writes).
    String CellRectAsText(const TGridRect& rect, bool disjunct);
    // Cells pasted (0 when nothing was); rows and cols: the extent the paste reported.
    int PasteClipboardAtCell(int col, int row, int& rows, int& cols);
    int PasteTextAtCell(int col, int row, int& rows, int& cols, const String& text);
    void MeasureClipboardText(const String& text, int& cols, int& rows);
    void ExpandSelectionToMergedCells();
    void CopyCellRTFToClipboard(int col, int row);
    void CopyCellStreamToClipboard(const TGridRect& rect);
    virtual void SetPastedCellText(int col, int row, const String& text);
    virtual void BeginPaste() {}
    virtual void EndPaste() {}
    virtual void CellsPasted(TPoint source, const TGridRect& target, bool fromCopy);
    virtual bool CanPasteCellStream();
    virtual void CellPicked(int, int) {}
    String GetCellPlainText(int col, int row);

    // ---- find and search footer (PlusGridFind.cpp)
    // Scans the range the options give, from one step after Start in scan order (from the first
    // cell, or the last backwards, for Start (-1, -1), or for a Start beyond the range's last row
    // and column); no wrap. Found is (-1, -1) when nothing matches.
    void SearchCells(TPoint Start, const String& Text, TPoint& Found, TCellSearchOptions Options);
    bool CellMatchesSearch(int ACol, int ARow);
    void FindCellFrom(TPoint Start, const String& Text, TPoint& Found, TCellSearchOptions Options);
    // The first row from FixedRows whose plain text in the sort column starts with Text (upper
    // case); -1 when none.
    int LookupInSortedColumn(const String& Text);
    TSearchPanel* SearchPanel() const { return searchPanel_; }
    void UpdateSearchPanel();
    // Marks every occurrence of the footer's text (in SearchFooter.SearchColumn when set) and
    // removes those marks again.
    void HighlightSearchText(const String& text);
    void RemoveSearchHighlights();
    void SearchFooterEditChange(TObject* Sender);
    void SearchFooterFindNext(TObject* Sender);
    void SearchFooterFindPrevious(TObject* Sender);
    void SearchFooterClose(TObject* Sender);
    void SearchFooterHighlight(TObject* Sender);
    TPoint LastFoundCell{-1, -1};
    int PresetColumn = -1;
    int PresetRow = -1;
    String LookupText;
    TSearchEditChangeEvent OnSearchEditChange;
    TNotifyEvent OnSearchFooterClose;
    TNotifyEvent OnCreatedSearchFooter;

    // ---- filtering (PlusGridFilter.cpp)
    // Each applied filter is one hiding level over the normal rows: the rows that fail MatchFilter
    // are parked (with their cells, records and heights) and come back at their places, exactly
    // those, when the level is removed. Fixed rows and fixed footers are never hidden; a filter
    // that matches no row leaves only the fixed rows.
    TFilter* Filter() const { return filter_.get(); }
    TFilterDropDown* FilterDropDown() const { return filterDropDown_.get(); }
    bool FilterActive() const { return filterActive_; }
    void SetFilterActive(bool value);
    int FilterDropDownRow() const { return filterDropDownRow_; }
    void SetFilterDropDownRow(int value); // only a value below FixedRows is taken
    virtual bool MatchFilter(int ARow);
    void ApplyFilterLevel();
    void RemoveFilterLevel();
    void ClearFilterLevels();
    void NarrowDownRows(const String& Text, int Column);
    // A pick in the open column's value list (FilterDropDownCol).
    virtual void FilterListSelect(TObject* Sender, int ItemIndex);
    TFilterSelectEvent OnFilterSelect;
    TCustomFilterEvent OnCustomFilter;
    TGridProgressEvent OnFilterProgress;

public:
    // ---- auto-size (PlusGridAutoSize.cpp)
    // Widths and heights handed to the grid go through ClampToLimits with the Min/Max fields.
    bool XYOffsetTopLeftOnly = false;
    bool AutoSize() const { return autoSize_; }
    // True sizes every normal column to its widest text plus 10 pixels (once).
    void SetAutoSize(bool value);
    void MeasureCellText(int RealCol, int DisplayCol, TPoint& Size, bool ReserveButton, bool WrapToWidth, int ARow);
    TPoint CellTextExtent(int realCol, int row);
    void AutoSizeColumn(int ACol, bool GrowOnly);
    void AutoSizeColumnWithMargin(int ACol, int Margin);
    void AutoSizeColumns(bool AllColumns, int Margin);
    void AutoSizeRow(int ARow, bool GrowOnly);
    void AutoSizeRowWithMargin(int ARow, int Margin);
    void SetRowHeightByLines(int ARow, int Lines, int Extra);
    void AutoSizeCells(bool IncludeFixed, int ExtraWidth, int ExtraHeight);
    int HorizontalTextMargins() const;
    int VerticalTextMargins() const;

    // ---- footer panel (PlusGridFooter.cpp)
    TFloatingFooter* FloatingFooter();
    void SetFloatingFooter(TFloatingFooter* value) { FloatingFooter()->Assign(value); }
    // The strip; null until the footer is first made visible.
    TFooterPanel* FooterPanel() const { return footerPanel_; }
    // True while the strip paints the last row in the grid's stead.
    bool HideLastRow() const { return hideLastRow_; }
    void SetHideLastRow(bool value) { hideLastRow_ = value; }
    void InvalidateFooter();
    // The rows end above a visible footer strip, so that scrolling brings the last rows into
    // full view above it.
    int RowsClientHeight() const override;
    // The last row the calculations read as a display row: the one above a visible footer row.
    int LastShownDataRow() const
    {
        return RowCount() - 1 - (floatingFooter_ && floatingFooter_->Visible() ? 1 : 0);
    }
    // Writes the calculation of each footer cell (its FooterCalcKind: 1 sum, 2 average, 3 count,
    // 4 minimum, 5 maximum, 7 the OnFooterCalc or OnCalcFooter event) into the last row; col -1
    // does every real column. Only with the footer visible in fsFixedLastRow style.
    virtual void CalcFloatingFooter(int col);
    void RecalcFooter(int col) { CalcFloatingFooter(col); }
    TCalcFooterEvent OnFooterCalc;
    TFooterPaintEvent OnFooterPaint;
    TNotifyEvent OnCreatedFloatingFooter;

    // ---- selection queries and look border (PlusGridSelection.cpp)
    // Whether a cell counts as selected in the current selection mode; never a fixed cell.
    bool IsCellSelected(int col, int row);
    // The selected cells as text: cells joined by TAB, rows by CR LF (none after the last); with
    // goRowSelect and entireRows (the drag settings' OleEntireRows) the rows span every column.
    String SelectionAsText(bool entireRows = false);
    // The disjunct cell selection: each cell packed as column (low 16 bits) and row (high 16 bits).
    TIntList* SelectedCells();
    static int PackCell(int col, int row) { return int(uint32_t(uint16_t(col)) | uint32_t(uint16_t(row)) << 16); }
    bool InsetLookBorder = true;
    // Whether the common controls are version 6 or later (the outer frame is drawn then).
    bool CommonControls6 = true;
    // The one-pixel border of the soft, Virel, XP, list-view, Vista, Windows 7 and Office looks,
    // drawn on the window's device context.
    void PaintLookBorder();
    // The border on a canvas of the window's size (what PaintLookBorder draws).
    void DrawLookBorder(TCanvas* canvas, int width, int height);
    TBorderStyle BorderStyle = bsSingle;
    // Non-client painting (the look border after the default frame) and common-control notices.
    void WMNCPaint(TMessage& message);
    void WMNotify(TMessage& message);
    // The text a balloon shows for a cell: TABs made blanks, leading CR, LF and TAB skipped, more
    // than 1024 characters cut to 1021 and "...".
    String BalloonCellText(int col, int row);
    std::function<void(TObject* Sender, int ACol, int ARow, String& ATitle, String& AText, int& AIcon)> OnCellBalloon;
    // The cell whose balloon was last asked for.
    TPoint BalloonCell{-1, -1};
    void SetDragScrollOptions(TDragScrollOptions* value) { DragScrollOptions()->Assign(value); }

    // ---- text cell stream (PlusGridStream.cpp)
    // The whole-grid area as ANSI lines: the size, "cw" lines of the column widths, then one
    // "col,row,text" line per non-empty cell (line breaks encoded).
    void WriteTextCellStream(TStream* stream);
    // Reads a text cell stream from the stream's position; a line that is not a cell line ends
    // reading quietly, leaving the stream at that line; a malformed number raises EConvertError.
    void ReadTextCellStream(TStream* stream);

public:
    // ==== keyboard, mouse and message handling (PlusGridInput.cpp, PlusGridKeys.cpp, PlusGridMouse.cpp)
    // Settings.
    bool EnableBlink = false;  // "<BLINK>" text blinks at each grid tick
    TIntelliPan IntelliPan = ipVertical;
    bool HintShowSizing = false;
    bool HintShowCells = false;
    bool HintShowLargeText = false;
    bool HTMLHint = false;
    // Version: 5.8.7.0, packed from the highest byte.
    static int GetVersionNr();
    static String GetVersionString();

    // Grid state the handlers share (read by tests and the painter).
    static constexpr UINT_PTR GridTimerId = 111;
    static constexpr UINT GridTimerPeriod = 500;
    static constexpr UINT_PTR PanTimerId = 999;
    int TickCount() const { return tickCount_; }
    const String& IncrementalSearchText() const { return LookupText; }
    bool BlinkPhase() const { return blinkPhase_; }
    bool Panning() const { return panning_; }
    TPoint PanAnchor() const { return panAnchor_; }
    int ZoomLevel() const { return zoomLevel_; }
    BYTE MouseZone() const { return mouseZone_; }
    bool Modified = false;
    // The messages' numbers: the wheel (0 when none) and the posted end of an edit.
    UINT WheelMessage() const { return wheelMessage_; }
    // The cell when it was last entered, clicked or validated, and its raw text then.
    TPoint SnapshotCell() const { return cellSnapshot_; }
    const String& SnapshotText() const { return cellSnapshotText_; }

    // Operations.
    bool IsHoverFixedCell(int col, int row) const;
    virtual void StoreCellSnapshot(int col, int row);
    virtual void GotoFirstRow() { SetRow(FixedRows()); }
    virtual void WheelRowsMoved(int delta, bool& handled) {}
    void ZoomCells(int delta);
    void SuspendPaint() { ++UpdateCount; }
    void ResetUpdateCount() { UpdateCount = 0; }
    void AdvanceToNextCell(int col, int row, bool doEdit, bool recursing, bool forward, bool autoEdit, bool force);
    void TabNavigate(bool backward);
    void AppendRowAtEnd();
    void SimulateCellClick(int col, int row);
    int FirstNavigableCol();
    int VisibleFixedRightColCount() const;
    bool IsLastDataRow(int row) const { return row == RowCount() - fixedFooters_ - 1; }
    bool IsNavigableCell(int col, int row);
    int FirstNavigableColInRow(int row);
    int LastNavigableColInRow(int row);
    virtual void SelectAllHook(const TGridRect& r) {}
    virtual void EditKeyHook() {}
    bool IsOnColumnSizingEdge(int x, int y);
    void InvalidateRangeArea(const TGridRect& r);
    // The hint over a cell (the grid's answer to CM_HINTSHOW): its text, place and colour.
    void BuildCellHint(String& hintStr, bool& canShow, THintInfo& info);
    // The size the cell's graphic takes on screen; (0, 0) without a graphic.
    void GetCellGraphicSize(int col, int row, TPoint& size);
    // The most lines a cell of the row holds (1 without Multilinecells).
    int MaxRowLineCount(int row);
    TPoint HoverFixedCell() const { return hoverFixedCell_; }
    // How long the last sort by a header click took, in milliseconds.
    unsigned SortDuration() const { return sortDuration_; }

    // ---- selection resizer, hover looks and the drag candidate (PlusGridMouse.cpp)
    // The selection resizer's handle: the 6 x 6 square at the bottom-right corner of the
    // selection's bottom-right cell (bottom-left with a right-to-left BiDiMode); empty unless
    // SelectionResizer and SelectionRectangle are on.
    TRect SelectionResizerHandle();
    // Dragging the handle: the selection at the press, copied to the clipboard, is pasted into
    // the selection at the release.
    bool SelectionResizing() const { return selectionResizing_; }
    std::function<void(TObject* Sender, const TGridRect& OrigSelection, const TGridRect& NewSelection)>
        OnSelectionResize, OnSelectionResized;
    // The cells that look different under the mouse; (-1, -1) when none.
    TPoint ListViewHoverCell() const { return listViewHover_; }
    TPoint HotButtonCell() const { return hotButton_; }
    TPoint LinkHoverCell() const { return linkHover_; }
    int LinkHoverAnchor() const { return linkHoverAnchor_; }
    const String& EnteredAnchor() const { return enteredAnchor_; }
    // Links of mini-HTML cells are underlined only while the mouse is over them.
    bool URLUnderlineOnHover = false;
    std::function<void(TObject* Sender, int ARow, int ACol, const String& Anchor)> OnAnchorEnter, OnAnchorExit;
    // The press landed on a selected cell from which moving the mouse starts an OLE drag.
    bool DragCandidate() const { return dragCandidate_; }
    // Whether a fixed cell offers its drop-down button (ControlLook.FixedDropDownButton).
    bool CanShowFixedDropDown(int col, int row);
    std::function<void(TObject* Sender, int ACol, int ARow, bool& Allow)> OnCanShowFixedDropDown;
    // The column whose filter list is open under the header, -1 when none; the list itself.
    int FilterListColumn() const { return filterListColumn_; }
    TListBox* FilterList() const { return filterList_; }
    // The enhanced move display of a column or row dragged by its header (EnhRowColMove): a
    // button showing the header follows the mouse, arrows mark where it would land, the
    // screen's cursor says whether it may; the release moves it only with the drag cursor.
    TPopupButton* MoveIndicator() const { return moveIndicator_; }
    TPoint MoveTarget() const { return moveTarget_; }
    std::function<void(TObject* Sender, int ACol, bool& Allow)> OnColumnMoving;
    std::function<void(TObject* Sender, int ARow, bool& Allow)> OnRowMoving;
    // Paints the selection resizer's handle (called by the painter).
    void PaintSelectionResizer();
    // Draws a fixed cell that is under the mouse (list-view look or hover fixed cells) hot, or
    // pressed while the left button is down; false for any other cell.
    bool DrawHotFixedLook(TCanvas* canvas, int col, int row, const TRect& rect);

    // Events.
    std::function<void(TObject* Sender, int OldRow, int OldCol, int& NewRow, int& NewCol, bool& Allow)> OnAutoAdvance;
    std::function<void(TObject* Sender, int ARow)> OnAutoAddRow;
    std::function<void(TObject* Sender, int ACol)> OnAutoInsertCol;
    std::function<void(TObject* Sender, int ARow)> OnAutoInsertRow;
    std::function<void(TObject* Sender, int ARow, bool& CanDelete)> OnCanDeleteRow;
    std::function<void(TObject* Sender, int ARow, int ACol, bool& Allow)> OnCanClickCell;
    TClickCellEvent OnClickCell;
    TClickCellEvent OnRightClickCell;
    std::function<void(TObject* Sender, int ACol, bool& Allow)> OnColumnSize;
    std::function<void(TObject* Sender, int ACol, int ColumnSize)> OnColumnSizing;
    std::function<void(TObject* Sender, int ARow, bool& Allow)> OnRowSize;
    std::function<void(TObject* Sender, int ARow, int RowSize)> OnRowSizing;
    std::function<void(TObject* Sender, int ACol, bool& Allow)> OnColumnMove;
    std::function<void(TObject* Sender, int ARow, bool& Allow)> OnRowMove;
    std::function<void(TObject* Sender, int ACol, int ARow)> OnRadioButtonClick;
    std::function<void(TObject* Sender, int ACol, int ARow, bool State)> OnCheckBoxMouseUp;
    std::function<void(TObject* Sender, int ACol, int ARow, int AIdx)> OnRadioMouseUp;
    std::function<void(TObject* Sender, int ARow, int ACol, String Anchor, bool& AutoHandle)> OnAnchorClick;
    std::function<void(TObject* Sender, int ARow, int ACol, String CtrlID, String CtrlType, String CtrlVal)>
        OnControlClick;
    std::function<void(TObject* Sender, int ACol, int ARow, String NewUnit)> OnUnitChanged;

    // Plain cell texts with "://" or "mailto:" are links a press opens.
    bool URLShow = false;
    // The press: spin half pressed, the last press's event shift state.
    bool SpinUpPressed() const { return spinUpMark_; }
    bool SpinDownPressed() const { return spinDownMark_; }
    int HeaderIndex() const { return headerIndex_; }
    bool FixedColSizing() const { return fixedColActive_; }
    bool FixedColSizingHover() const { return fixedColHover_; }
    // The text of the sizing hint last shown, and whether it shows.
    String SizingHintText;
    bool SizingHintShown() const { return sizingHintShown_; }
    TPoint DownPoint() const { return downPoint_; }
    // Chooses the item of a radio-group cell under a point given relative to the cell's corner.
    void ClickRadioGroup(int col, int row, int dx, int dy);
    // Opens the transparent edit over a fixed cell (OnCanEditCell may refuse).
    void EditFixedCell(int col, int row);
    TGridTransEdit* TransEdit();
    // Called when a press on the top-left fixed cells selects all cells.
    virtual void SelectAllClick(const TGridRect& r) {}
    // The message procedure the grid puts in front of an edit link's control.
    void LinkControlWndProc(TMessage& m);
    // The edit link of an edCustom cell: opened over the cell (display column) and committed.
    void ShowEditLink(int col, int row, const TRect& cellRect);
    void CommitEditLink(int col, int row);

    // Balloon tool tip window and the settings notifications.
    void CreateBalloonToolTipWindow();
    void DestroyBalloonToolTipWindow();
    void AddBalloonToolTip(int iconType, const String& text, const String& title);
    void BalloonSettingsChanged(TObject* sender);
    void ShowModifiedChanged(TObject* sender);
    void BandsChanged(TObject* sender);
    void UnitChanged(TObject* sender, const String& newUnit);

protected:
    void WndProc(TMessage& message) override;
    void KeyDown(WORD& key, TShiftState shift) override;
    void KeyUp(WORD& key, TShiftState shift) override;
    void KeyPress(char& key) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    bool DoMouseWheelDown(TShiftState shift, TPoint mousePos) override;
    bool DoMouseWheelUp(TShiftState shift, TPoint mousePos) override;
    void DoEnter() override;
    void DoExit() override;
    void Click() override;
    void ColumnMoved(int fromIndex, int toIndex) override;
    void RowMoved(int fromIndex, int toIndex) override;
    void CalcSizingState(int X, int Y, TGridState& State, int& Index, int& SizingPos, int& SizingOfs,
                         TGridDrawInfo& FixedInfo) override;

private:
    // message handlers
    void WMSetFocus(TMessage& m);
    void WMKillFocus(TMessage& m);
    void WMSetCursor(TMessage& m);
    void WMTimer(TMessage& m);
    void WMKeyDown(TMessage& m);
    // The steps of a key down, in the order WMKeyDown takes them. A step that answers true has
    // ended the key (fired OnKeyDown for a consumed key, or passed the key to the framework).
    void EndKeyConsumed(TMessage& m, WORD key, TShiftState shift);
    // With MoveScrollOnly, up/down/page/home/end move the view and leave the current cell.
    bool KeyScrollsViewOnly(WORD key);
    // Enter and F2 open the editor where the cell may be edited and are consumed where it may not.
    bool KeyStartsOrRefusesEdit(TMessage& m, WORD key, TShiftState shift);
    // Space (Enter on a button) operates the control of the current cell; false when the grid
    // was destroyed by the control's event.
    bool KeyOperatesCellControl(WORD key);
    // Home and End without Ctrl go where Navigation's HomeEndKey says.
    bool KeyMovesHomeOrEnd(TMessage& m, WORD key, TShiftState shift, int leftBefore);
    // With whole-row selection, left and right scroll the view.
    bool KeyScrollsRowSelectSideways(TMessage& m, WORD key, TShiftState shift);
    // With SkipFixedCells, an arrow steps over cells the grid reports fixed.
    bool KeySkipsFixedCells(WORD key, TShiftState shift);
    // The steps after the framework moved the cell: clipboard shortcuts, Insert and Delete of
    // rows, Ctrl+A, and the disjunct row selection following the move.
    bool KeyRunsClipboardShortcut(WORD key, TShiftState shift);
    bool KeyInsertsRow(WORD key, TShiftState shift);
    void SelectAllByKey();
    void KeepDisjunctRowsAfterMove(TShiftState shift, int rowForSelection);
    // Deletes (or, for the last data row, clears) the current row; false when the application refused.
    bool DeleteRowByKey();
    void WMChar(TMessage& m);
    void WMLButtonDown(TMessage& m);
    void WMLButtonUp(TMessage& m);
    void WMLButtonDblClk(TMessage& m);
    void WMRButtonDown(TMessage& m);
    void CMMouseLeave(TMessage& m);
    void Inherited(TMessage& m) { TBaseGrid::WndProc(m); }
    void PanStart(TMessage& m);
    void PanStep();
    void PanEnd();
    bool WheelMessageHandled(TMessage& m);
    // The release of a click on a header cell: sorts unless the click was a sizing click.
    void HeaderSortClick(int displayCol, int row, int x, int y);
    bool CellChangingAllowed(int oldCol, int oldRow, int newCol, int newRow);
    void KeepCellInDataArea();
    TShiftState KeyboardShift() const;
    int tickCount_ = 0;
    int inputDepth_ = 0; // nesting of the grid's message and key handling
    int searchAge_ = 0;
    bool blinkPhase_ = false;
    UINT wheelMessage_ = WM_MOUSEWHEEL;
    int wheelLines_ = 3;
    bool panning_ = false;
    TPoint panAnchor_;
    int zoomLevel_ = 0;
    bool zooming_ = false;
    bool inMouseDown_ = false;
    bool skipEnter_ = false;
    bool committing_ = false;
    bool ignoreSetFocus_ = false;
    BYTE mouseZone_ = 0;
    bool keepMouseZone_ = false;
    TPoint cellSnapshot_{-1, -1};
    String cellSnapshotText_;
    TPoint lastTabCell_{-1, -1};
    TPoint advanceOrigin_{-1, -1};
    bool advancing_ = false;
    bool programmaticMove_ = false;
    int navigationDepth_ = 0;
    TGridRect keySelection_;
    TPoint keyDownCell_;
    TGridRect wndSelection_;
    // mouse state of a press and its release
    bool pressMark_ = false;
    bool buttonDown_ = false;
    TPoint downPoint_;
    TPoint sizingCandidate_{-1, -1};
    TPoint sizingOffset_;
    TPoint clickOffset_;
    int headerIndex_ = -1;
    TPoint pressedControl_{-1, -1};
    int topAtPress_ = 0;
    bool savedShowHint_ = false;
    int leftAtPress_ = 0;
    bool movedMark_ = false;
    bool sizedMark_ = false;
    bool sizingClick_ = false;
    bool colSized_ = false;
    bool rowSized_ = false;
    TPoint hoverFixedCell_{-1, -1};
    unsigned sortDuration_ = 0;
    bool spinUpMark_ = false;
    bool spinDownMark_ = false;
    bool rangeEditMark_ = false;
    bool wasSelected_ = false;
    bool disjunctCleared_ = false;
    bool selectGuard_ = false;
    int headerDragAnchor_ = -1;
    bool scrolledUp_ = false;
    bool linkCursorShown_ = false;
    bool fixedColHover_ = false;
    bool fixedColActive_ = false;
    bool fixedRowHover_ = false;
    bool fixedRowActive_ = false;
    int fixedSizingIndex_ = -1;
    THTMLHintWindow* sizingHint_ = nullptr; // owned as a child component
    bool sizingHintShown_ = false;
    void ShowSizingHint(int x, int y);
    int fixedLinePos_ = 0;
    // The fixed column (row) whose far edge lies within 2 pixels of pos; -1 when none.
    int FixedEdgeAt(bool columns, int pos);
    TCursor normalCursor_ = crDefault;
    TShiftState PressShift() const;
    // The steps of ShowCellEditor: each opens one family of special editors over the cell
    // described by a CellEditorPlace, loads it with the cell's value, focuses it and replays
    // the key that started the edit.
    struct CellEditorPlace;
    // The editor over the cell's rectangle, shown, enabled and in the cell's colour.
    void PlaceCellEditor(TWinControl* editor, const CellEditorPlace& at);
    // The key that started the edit reaches the editor as its first character.
    void ReplayEditStartKey(TWinControl* editor);
    // The editor has the focus and is the active editor; the grid is editing.
    void FocusCellEditor(TWinControl* editor);
    // The cell's wide text as OnGetEditWideText gives it to an editor.
    WideString EditorWideText(const CellEditorPlace& at);
    void OpenSpinEditor(const CellEditorPlace& at);
    void OpenComboEditor(const CellEditorPlace& at);
    void OpenEditBtnEditor(const CellEditorPlace& at);
    void OpenCheckBoxEditor(const CellEditorPlace& at);
    void OpenDateTimeEditor(const CellEditorPlace& at);
    void OpenButtonEditor(const CellEditorPlace& at);
    void OpenUnitEditBtnEditor(const CellEditorPlace& at);
    void OpenUniEditor(const CellEditorPlace& at);
    void OpenUniComboEditor(const CellEditorPlace& at);
    void OpenUniEditBtnEditor(const CellEditorPlace& at);
    void OpenRichTextEditor(const CellEditorPlace& at);
    void OpenExternalEditor(const CellEditorPlace& at);
    // The steps of CommitCellEditor: each writes one family's value into the cell (real column)
    // and hides its editor. EndOpenCellEditor ends an editor only while the grid is editing: it
    // clears Editing, then writeBack writes the value and answers the editor to hide (none: nothing
    // to hide).
    void HideCellEditor(TWinControl* editor);
    void EndOpenCellEditor(const std::function<TWinControl*()>& writeBack);
    // The wide value through OnSetEditWideText, then into the cell.
    void WriteWideEditorValue(int realCol, int row, const WideString& value);
    void CommitSpinEditor(int realCol, int row);
    // An unchecked date picker empties the cell.
    void CommitDatePicker(int realCol, int row);
    // The time as the picker's format shows it (the long time format is put back after).
    void CommitTimePicker(int realCol, int row);
    // A rich-text editor that was not changed leaves the cell as it was.
    TWinControl* CommitRichTextEditor(int realCol, int row);
    TWinControl* CommitExternalEditor(int realCol, int row);
    // The steps of a left press, in the order WMLButtonDown takes them.
    // The marks of a held button are set and the spin marks of the last press cleared.
    void MarkPressStart();
    // The presses that end before the cell is looked at: the selection resizer's handle and
    // zone start sizing the selection, and OnCanClickCell may refuse the press; true then.
    bool PressEndsBeforeCell(TMessage& m, int x, int y, int col, int row);
    // The state every press starts from: a new disjunct cell selection, no lookup text, no drag
    // candidate, the scroll position, the press point and the sizing candidate (returned: the
    // cell whose far edge the press may size).
    TPoint RecordPressPoint(int col, int row, int x, int y);
    // A press on a fixed cell's far edge starts the grid's own sizing of that cell; true then.
    bool StartFixedEdgeSizing(int x, int y);
    // The offset of the press from the sizing candidate's far corner.
    void RecordSizingOffset(TPoint sizing);
    // Disjunct row and column selection at the press (Ctrl toggles, a plain press clears); a
    // Shift press extends the selection through the framework and ends the press (true).
    bool PressDisjunctSelection(TMessage& m, int col, int row, TPoint base);
    // The header index and selection of a press on a header, and the press's offset in its cell.
    void RecordHeaderPress(int col, int row, int x, int y, const TRect& cellRect);
    // Whether the press edits at once (direct edit, or a drop-down button always shown); the
    // editor of the last cell goes and the grid takes the focus then. hasCombo: the cell shows
    // a drop-down button.
    bool PressStartsDirectEdit(int col, int row, int realCol, int baseRow, bool editable, bool& hasCombo);
    // The framework's press (selection, start of sizing and moving) with AlwaysEdit off and the
    // left column kept where KeepHorizScroll asks; false when the grid was destroyed.
    bool PassPressToFramework(TMessage& m);
    // The editor a press opens: a merged range's at once, else the direct edit of the current cell.
    void OpenEditorAfterPress(TPoint base, int realCol, bool mergedEdit, bool directEdit, bool hasCombo);
    // The cell steps of a press on a cell inside the grid; true when the press ended there.
    bool PressCellContent(int col, int row, int x, int y, const TRect& cellRect, bool fixedCell);
    bool PressLink(int col, int row, int x, int y, const TRect& cellRect);
    bool PressCheckOrRadio(int col, int row, int x, int y, bool editable);
    void PressHeaderSelection(int col, int row);
    void ReleaseDisjunct(int col, int row);
    // The steps of a left release, in the order WMLButtonUp takes them. Those that answer bool
    // answer false when the grid was destroyed on the way.
    // The marks of the press and its drags are cleared; form controls in cells get the release.
    void ResetReleaseMarks();
    // The grid's own sizing of a fixed cell ends at the release point (OnEndColumnSize,
    // OnUpdateColumnSize, OnEndRowSize).
    bool EndFixedEdgeSizing(int x, int y);
    // Whether the release lies on the button of a button cell (such a release ends there).
    bool ReleaseIsOnCellButton(int col, int row, int x, int y);
    // A held cell control or fixed button cell is let go (a release on it clicks it), and the
    // mouse capture ends.
    bool LetGoPressedButton(int col, int row, int x, int y);
    // An enhanced row or column move ends: dropped, or called off before the framework could
    // move anything; moveEnded tells that one ended.
    bool EndEnhancedMove(bool& moveEnded);
    // A press that could have started a drag and did not: the release selects its cell, or
    // toggles its row in a disjunct row selection (that ends the release: true).
    bool SelectDragCandidateOnRelease(int col, int row, int x, int y);
    // A dragged selection resizer pastes the selection of the press into the new one.
    bool EndSelectionResize();
    // The steps of a Tab press, in the order TabNavigate takes them. TabStep moves to the next
    // (or, backward, the previous) navigable cell in the direction Navigation asks, merged
    // ranges taken as one cell; past the last cell it wraps, or adds a row where AdvanceInsert
    // allows, and hands the Tab on to the parent where TabToNextAtEnd asks.
    void TabStep(bool backward);
    void TabStepBackward();
    void TabStepForwardDown(int rangeRight, int rangeBottom);
    void TabStepForwardInRow(int rangeRight);
    void TabStepToNextRow();
    void TabStepPastLastCell();
    // The Tab's move: clamped into the grid, to the base cell of a merged range, never into
    // the fixed cells.
    void TabMoveTo(int col, int row);
    void TabPassToParent();
    // The steps of a smart paste (PasteFromClipboard) into a selection larger than what was
    // pasted. A cell takes a pasted value when it may be edited (or, with always, when
    // AllowClipboardAlways); the paste events go for every cell but the top left one.
    bool SmartPasteChangeable(int c, int r, bool always);
    void SmartPasteFillCell(const TGridRect& s, int c, int r, String value, bool eventsAlways);
    // One pasted value fills the whole selection (a check cell's as its check text).
    void SmartPasteOneValue(const TGridRect& s);
    // The first n cells of a single column (down) or row continue as a series of dates, times,
    // decimals or integers, else are repeated along it; texts that do not convert end the series.
    void SmartPasteSeries(const TGridRect& s, int n);
    void SmartPasteRepeat(const TGridRect& s, int n, bool down);
    // Whether the last text pasted ended in a row break (its count of fields then includes the
    // empty one after the break).
    bool pasteEndedWithRowBreak_ = false;
    // selection resizer, hover looks, drag candidate, filter list
    bool selectionResizing_ = false;
    TGridRect resizeOrigin_;
    TPoint listViewHover_{-1, -1};
    TPoint hotButton_{-1, -1};
    TPoint linkHover_{-1, -1};
    int linkHoverAnchor_ = -1;
    String enteredAnchor_;
    String anchorHint_;
    bool dragCandidate_ = false;
    int filterListColumn_ = -1;
    TListBox* filterList_ = nullptr; // owned as a child component
    TPopupButton* moveIndicator_ = nullptr; // owned as a child component
    TPoint moveTarget_{-1, -1};
    void EnhancedMoveDisplay(int col, int row, int x, int y);
    // Hides the move display; true when one was shown.
    bool EndMoveDisplay();
    bool StartSelectionResize(TMessage& m, int x, int y, bool setState);
    void ReleaseDisjunctCells(TMouseButton button, TShiftState shift, int col, int row);
    void HoverLooks(int col, int row, int x, int y);
    // The steps of a mouse move, in the order MouseMove takes them.
    // Hover row, hover fixed cell, scroll-bar cells and the hover looks follow the mouse.
    void TrackHoverCells(int col, int row, int x, int y);
    // While the selection resizer is dragged, the selection's far corner follows; true then.
    bool DragSelectionResizer(int col, int row);
    // Dragging over row or column headers widens the header selection.
    void WidenHeaderSelectionByDrag(int col, int row, int y);
    // The mouse zone under the point (1 column header, 2 row header, 3 corner, 5 resizer);
    // true when a zone owns the cursor.
    bool UpdateMouseZone(int col, int row, int x, int y);
    // The split cursor on fixed-cell edges and the hand on links; the normal cursor back elsewhere.
    void ShowMoveCursor(int col, int row, int x, int y, bool& cursorHandled, TCursor& wantedCursor);
    // A hint or balloon shown for another cell goes.
    void DropHintAndBalloonOfOtherCell(int col, int row);
    // OnColumnSizing/OnRowSizing, the sizing hint, and OnColumnMove/OnRowMove (which may cancel).
    void ReportSizingAndMoving(int x, int y);
    bool HoverLink(int col, int row, int x, int y, bool& cursorHandled);
    bool ShowFilterList(int x, int y, int col, int row);
    void HideFilterList();
    // the scroll bar over a scroll-bar cell
    void HoverScrollBarCell(int col, int row);
    void CellScrollBarScroll(TMessage& message);
    void PlaceCellScrollBar();
    // Paints a scroll-bar cell's bar at the right of r, takes its room from r and answers how
    // far the cell's text is scrolled.
    int DrawScrollBarCell(TCanvas* canvas, int realCol, int row, TRect& r);
    // The text rectangle of a hit test in a scroll-bar cell as the cell paints it: clear of the
    // bar, and starting above the cell by the cell's position (the bottom stays).
    void ScrollBarCellHitArea(int realCol, int row, TRect& textRect);
    TScrollBar* cellScrollBar_ = nullptr; // owned as a child component
    TScrollBar* paintedScrollBar_ = nullptr; // owned; never shown, painted into the cells
    TPoint scrollBarCell_{-1, -1};
    TGridTransEdit* transEdit_ = nullptr; // owned as a child component
    TWndMethod linkControlProc_;           // the edit link's control's own procedure
    TWinControl* linkControl_ = nullptr;
    friend class TEditLink;

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
    // Steps of DrawCellGraphic, one per kind of graphic, each drawing in the cell (or in the box
    // PlaceCellGraphic gave it). PlaceCellGraphic puts a w x h box where the graphic's alignment
    // says, and takes the box's room from the text rectangle when the graphic stands before or
    // after the text.
    TRect PlaceCellGraphic(const TCellGraphic* graphic, const TRect& cell, int w, int h, TRect& textRect);
    void DrawProgressGraphic(TCanvas* canvas, const TCellGraphic* graphic, const TRect& cell, const String& text);
    void DrawProgressPieGraphic(TCanvas* canvas, const TCellGraphic* graphic, const TRect& box);
    // Also records the button's place in the cell in the graphic's CellValue (for hit tests).
    void DrawButtonGraphic(TCanvas* canvas, TCellGraphic* graphic, int col, int row, const TRect& cell,
                           TRect& textRect);
    void DrawRatingGraphic(TCanvas* canvas, const TCellGraphic* graphic, const TRect& cell, const String& text);
    void DrawShapeGraphic(TCanvas* canvas, const TCellGraphic* graphic, const TRect& box);
    void DrawRangeIndicatorGraphic(TCanvas* canvas, const TCellGraphic* graphic, const TRect& cell,
                                   const String& text);
    void DrawBitmapGraphic(TCanvas* canvas, const TCellGraphic* graphic, TBitmap* bitmap, const TRect& box);
    void DrawRotatedGraphic(TCanvas* canvas, const TCellGraphic* graphic, const TRect& cell, const String& text);
    // The background picture or gradient: inside one cell (text rectangle tr), and in the
    // client area beyond the last column and row.
    void DrawCellBackground(TCanvas* canvas, int rc, int row, const TRect& tr, TGridDrawState state);
    void PaintBackgroundOutsideCells();
    void DrawFixedBackground(TCanvas* canvas, const TRect& d);
    void TileBackground(TCanvas* canvas, const TRect& d, int phaseX, int phaseY);
    void Paint() override;
    bool CanScrollByCopy() const override;
    void DrawCell(int col, int row, const TRect& rect, TGridDrawState state) override;
    std::set<std::pair<int, int>> mergedDrawn_; // merged ranges drawn by the current paint
    bool drawingMerged_ = false;
    void ShiftHiddenForRemoval(int firstGone, int count);
    void InsertRowRange(int row, int count, bool shiftHidden);
    // Brings back hidden rows (their records already out of the list), in real order.
    void RestoreHiddenItems(const std::vector<TGridItem*>& back);
    // Brings back the rows of real indexes from..to that a contracting node hid.
    void UnhideNodeRows(int from, int to);
    bool hidingForNode_ = false; // the rows being hidden go with a contracting node
    // Around grouping by col: the hidden rows' texts of col leave their lines and come back.
    void StashHiddenGroupTexts(int col);
    void RestoreHiddenGroupTexts(int col, int headerCol);
    // Splits the merged ranges that a structure change would cut: ranges that meet the rows
    // (columns) from..to without lying inside them, or with from > to, the ranges that hold
    // both `to` and `from` (a cut between two neighbours).
    void SplitMergesAcrossRows(int from, int to);
    void SplitMergesAcrossCols(int from, int to);
    // The two above in one: rows picks the lines that are rows, else columns.
    void SplitMergesAcross(int from, int to, bool rows);
    // Steps of ApplyStyleColors. ResetStyleColors puts back what every style starts from (system
    // selection colours, no sort header colours, the control look's own colours); each Apply...
    // step sets one family of styles, the number in the family picking its colours; each
    // SetStyle... helper sets one group of colours the way every style sets it.
    void ResetStyleColors();
    void ApplyTintedXPStyle(int tint);
    void ApplyWhiteXPStyle();
    void ApplyOffice2007LookStyle(int style);
    void SetOffice2007BlueHeaderStates();
    void ApplyButtonFaceXPStyle();
    void ApplyWhiteHeaderStyle();
    void ApplyVistaOrWin7Style(bool vista);
    void SetVistaOrWin7FixedColors(bool vista);
    void ApplyFlatOffice2007Style(int shade);
    void SetStyleActiveCell(TColor from, TColor to);
    void SetStyleFixedColors(TColor from, TColor to);
    void SetStyleLines(TColor grid, TColor fixed);
    void SetStyleFooterFromFixed();
    void SetStyleSortHeader(TColor from, TColor to, TColor mirrorFrom, TColor mirrorTo);
    void SetStyleFixedGradient(TColor from, TColor to);
    // Steps of DrawCellText: a cell's text without markup, aligned and, when wrapped, in whole
    // lines; the raised or classic edges of a fixed cell; the focus rectangle when the cell is
    // the current one's base.
    void DrawPlainCellText(TCanvas* canvas, const String& text, TRect tr, TAlignment hAlign, TVAlignment vAlign,
                           bool wordWrap);
    void DrawFixedCellEdges(TCanvas* canvas, const TRect& outer);
    void DrawCurrentCellFocus(TCanvas* canvas, int rc, int row, const TRect& outer);
    // Each base or plain cell of the range (clipped to the grid) gets rewrite of its text (the
    // shown text where OnGetDisplText is set).
    void RewriteCellTextsInRange(int firstCol, int firstRow, int lastCol, int lastRow,
                                 const std::function<String(const String&)>& rewrite);
    // Splits the merged ranges that meet the rectangle without lying inside it.
    void SplitMergesCutBy(int col1, int row1, int col2, int row2);
    // Splits every range over several rows that meets rows first..last, and the ranges those rows
    // cut, so that the rows can be reordered.
    void SplitMergesOverRows(int first, int last);
    // Gives every cell of the row from the first scrolled column on a colour (give); clNone
    // takes it off the cells that hold a record, dropping the records of empty unmerged cells
    // when dropEmptyRecords.
    void SetRowLook(int row, TColor value, void (*give)(TCellProperties&, TColor), bool dropEmptyRecords);
    // The smallest or largest number in the column from fromRow to toRow (real rows when toRow
    // lies beyond the shown data rows); grouped, header and summary rows do not count.
    double ColumnExtreme(int col, int fromRow, int toRow, bool largest);
    // Sorts the rows under each open node of the deepest level that holds more than one row.
    void SortDeepestNodeGroups(const std::function<void(int first, int last)>& sortRows);
    void SplitHiddenMerges();
    void FreeGridItem(TGridItem* item);
    void GiveHeaderColors(int col, int row, bool cellOnly);
    void GiveSummaryColors(int col, int row, bool cellOnly);
    // The colours of a header or a summary row: fill, gradient end and text (clNone: left alone).
    struct TGroupRowColors {
        TColor Color, ColorTo, TextColor;
    };
    TGroupRowColors GroupHeaderColors() const;
    TGroupRowColors GroupSummaryColors() const;
    // Gives the colours to the row's cells or to one cell; system colours as RGB unless asSet.
    void GiveGroupColors(const TGroupRowColors& colors, int col, int row, bool cellOnly, bool asSet);
    // Steps of GroupRowsByColumn: the grouped column's width, header and footer are kept (and
    // the rows sorted on it when AutoSortForGrouping); a header row with a node opens each run
    // of equal values, and with Summary a summary row closes it; with MergeHeader and
    // MergeSummary those rows become one cell from column 1 on.
    void RecordGroupColumn(int col);
    void InsertGroupRows(int col);
    void MergeGroupRows();

    // nodes, cell controls and looks (PlusGridNodes.cpp, PlusGridControls.cpp, PlusGridLooks.cpp)
    void DrawNodeGlyph(TCanvas* canvas, TCellGraphic* graphic, int row, const TRect& rect);
    void DrawTreeLines(TCanvas* canvas, int row, const TRect& rect);
    // Check boxes and radio buttons of a cell, placed by the graphic's and the text's alignment;
    // the text rectangle gives way to them.
    void DrawControlGraphic(TCanvas* canvas, TCellGraphic* graphic, int col, int row, const TRect& cell,
                            TRect& textRect, const String& text);
    bool DoExpandNode(int realRow);
    // The column-0 record that carries a row's node level; one made for it keeps no colours or
    // font of its own, so that the cell still paints as its column does.
    TCellProperties* NodeLevelRecord(int row);
    // The displayed row after a node's extent: node row + span, or with span 0 the next node
    // row (RowCount when none); never beyond RowCount.
    int NodeEnd(int row);
    std::unique_ptr<TCellNode> cellNode_;
    std::unique_ptr<TControlList> cellControlList_;
    std::unique_ptr<TControlLook> controlLook_;
    std::unique_ptr<TGridProgressAppearance> progressAppearance_;
    std::unique_ptr<TShowModified> showModified_;
    std::vector<std::pair<IColorStyled*, IColorSetTarget*>> styledEditors_;
    TGridLook look_ = glXP;
    bool autoThemeAdapt_ = false;
    std::unique_ptr<TBalloonSettings> balloon_;

    std::unique_ptr<TBands> bands_;
    std::unique_ptr<TSizeWhileTyping> sizeWhileTyping_;
    std::unique_ptr<TColumnSize> columnSize_;
    std::unique_ptr<THTMLSettings> htmlSettings_;
    std::unique_ptr<TPrintSettings> printSettings_;
    std::unique_ptr<TDragScrollOptions> dragScrollOptions_;
    std::unique_ptr<TSearchFooter> searchFooter_;
    std::unique_ptr<TSyncGrid> syncGrid_;
    std::unique_ptr<TFocusHelper> focusHelper_;
    TPlusStringGridCheck* cellChecker_ = nullptr;
    TGridFocusWindow* editFrameWindow_ = nullptr; // owned as a child component
    std::unique_ptr<TPlusHintInfo> officeHint_;
    std::unique_ptr<TBitmap> rowIndicator_;
    std::unique_ptr<TIntList> autoMergeColumns_;
    std::unique_ptr<TIntList> columnOrder_;
    std::unique_ptr<TIntList> initialColWidths_;
    std::unique_ptr<TStringList> filterValues_;
    TTimer* dragScrollTimer_ = nullptr; // owned by the grid's parent while a drag hovers a margin
    TDragScrollDirection dragScrollDirection_;
    TNotifyEvent savedFormResize_;
    bool formResizeKept_ = false;
    void OwnerFormResize(TObject* sender);
    void StopDragScrollTimer();
    void ShowScrollHint(const String& text);
    void HideScrollHint();
    // Applies what the grid adds to the framework's scroll bars (always shown, proportional).
    void ScrollBarsUpdated();
    std::unique_ptr<THintWindow> scrollHintWindow_;
    bool updatingProportional_ = false;
    TScrollStyle scrollBarsValue_ = ssBoth;
    TScrollBarAlways scrollBarAlways_ = saNone;
    TScrollType scrollType_ = ssNormal;
    TColor scrollColor_ = clNone;
    int scrollWidth_ = 17;
    bool scrollProportional_ = false;
    TColor highlightColor_ = clHighlight;
    TColor highlightTextColor_ = clHighlightText;
    TColor activeCellColor_ = clGray;
    TColor activeCellColorTo_ = clNone;
    bool activeCellShow_ = false;
    bool showDesignHelper_ = true;
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

    // ---- find state (PlusGridFind.cpp)
    // The options the search footer's settings and buttons give every footer search (a preset
    // column is set as PresetColumn).
    TCellSearchOptions SearchFooterOptions();
    void SearchFooterFind(bool backward);
    TCellSearchOptions searchOptions_;
    String searchText_;
    String footerSearchText_;
    TSearchPanel* searchPanel_ = nullptr; // owned as a child component

    // ---- filter state (PlusGridFilter.cpp)
    void HideFilterRows(const std::vector<int>& displayRows);
    void UnhideFilterRows();
    std::unique_ptr<TFilter> filter_ = std::make_unique<TFilter>(this);
    std::unique_ptr<TFilterDropDown> filterDropDown_ = std::make_unique<TFilterDropDown>();
    bool filterActive_ = false;
    bool filterDropDownAuto_ = false;
    int filterDropDownRow_ = 0;
    std::vector<int> savedFixedRows_;
    String narrowDownText_;

    // ---- auto-size state (PlusGridAutoSize.cpp)
    void PrepareMeasureFont(int realCol, int row);
    bool autoSize_ = false;
    std::unique_ptr<TBitmap> measure_; // the canvas text is measured on

    // ---- footer panel state (PlusGridFooter.cpp)
    friend class TFloatingFooter;
    friend class TFooterPanel;
    std::unique_ptr<TFloatingFooter> floatingFooter_;
    TFooterPanel* footerPanel_ = nullptr; // owned as a child component
    bool hideLastRow_ = false;

    // ---- selection queries state (PlusGridSelection.cpp)
    std::unique_ptr<TIntList> selectedCells_;
    String balloonText_; // the text a balloon's notification points at
};

// ---- custom cell editor links and the transparent edit (PlusGridEditLink.cpp)
#include "platform/framework/StdCtrls.h"

enum TEditStyle { esInplace, esPopup };

// The base of user-defined cell editors of kind edCustom. A descendant creates and owns its
// control; the grid drives the link through the virtual operations (create, place, show, fill,
// focus) and the link hands its navigation keys back to the grid through HandleEditKey.
class TEditLink : public TComponent {
public:
    explicit TEditLink(TComponent* owner);
    ~TEditLink() override;
    String ClassName() const override { return "TEditLink"; }

    // Ends the edit on Tab, Enter, Esc, Page Up/Down, End and the arrows unless the Want
    // switches keep them for the control; Home never ends it.
    virtual void HandleEditKey(TObject* sender, WORD& key, TShiftState shift);
    virtual TWinControl* GetEditControl() { return nullptr; }
    virtual void CreateEditor(TWinControl* parent) {}
    virtual void DestroyEditor() {}
    virtual void SetFocus(bool value);
    virtual void SetRect(TRect r);
    virtual void SetVisible(bool value);
    virtual void SetProperties() {}
    virtual void SetCellProps(TColor color, TFont* font) {}
    virtual void GetEditorValue(String& s) { s = String(); }
    virtual void SetEditorValue(const String& s) {}

    void ReleaseEditControl();
    void CommitAndRelease();
    void WriteValueToCell(const String& s);
    void EndEdit();
    void EditExit(TObject* sender);

    TPlusStringGrid* Grid = nullptr;
    bool WantKeyLeftRight = false;
    bool WantKeyUpDown = false;
    bool WantKeyHomeEnd = false;
    bool WantKeyPriorNext = false;
    bool WantKeyReturn = false;
    bool WantKeyEscape = false;
    TEditStyle EditStyle = esInplace;
    TForm* PopupForm = nullptr;
    int PopupWidth = 0;
    int PopupHeight = 0;
    bool AutoPopupWidth = false;
    int PopupLeft = -1;
    int PopupTop = -1;
    int Tag = 0;
    bool ForcedExit = false;
    TPoint EditCell;
    bool Subclassed = false;
    void Notification(TComponent* component, TOperation operation) override;
};

// ---- HTML form controls in cells (PlusGridForms.cpp)
#include "components/grid/PsgCombo.h"
#include "platform/framework/Mask.h"

// The edit of EDIT, PASSWORD and MASK tags. Return commits and gives the focus to the grid;
// Tab commits and moves on (to the next cell with Navigation.AdvanceAuto, else to the next
// edit-type tag of the cell).
class TControlEdit : public TMaskEdit {
public:
    explicit TControlEdit(TComponent* owner) : TMaskEdit(owner) {}
    String ClassName() const override { return "TControlEdit"; }

protected:
    void KeyPress(char& key) override;
    void Dispatch(TMessage& message) override;
};

// The drop-down of COMBO tags, with the same keys as TControlEdit.
class TControlCombo : public TPsgComboBox {
public:
    explicit TControlCombo(TComponent* owner) : TPsgComboBox(owner) {}
    String ClassName() const override { return "TControlCombo"; }

protected:
    void KeyPress(char& key) override;
    void Dispatch(TMessage& message) override;
};

// ---- OLE drag and drop (PlusGridDragDrop.cpp)
#include "components/grid/asgdd.h"

// The grid's drag-and-drop switches (published as DragDropSettings).
class TDragDropSettings : public TPersistent {
public:
    explicit TDragDropSettings(TPlusStringGrid* grid) : grid_(grid) {}
    String ClassName() const override { return "TDragDropSettings"; }
    // Copies the twelve values of another TDragDropSettings, without the setters' effects.
    void Assign(TPersistent* source) override;
    bool OleDropTarget() const { return oleDropTarget_; }
    // True registers the grid's window as a drop target (not while designing); false revokes it.
    void SetOleDropTarget(bool value);
    bool OleDropRTF() const { return oleDropRTF_; }
    // Switches the process-wide rich-text mode of every grid.
    void SetOleDropRTF(bool value);
    bool ShowCells() const { return showCells_; }
    void SetShowCells(bool value) { showCells_ = value; }
    // The accept switches reach a registered target at once.
    bool OleAcceptText() const { return acceptText_; }
    void SetOleAcceptText(bool value);
    bool OleAcceptFiles() const { return acceptFiles_; }
    void SetOleAcceptFiles(bool value);
    bool OleAcceptURLs() const { return acceptURLs_; }
    void SetOleAcceptURLs(bool value);
    bool OleDropSource = false;
    bool OleEntireRows = false;
    bool OleInsertRows = false;
    bool OleRemoveRows = false;
    bool OleCopyAlways = false;
    bool OleColumnDragDrop = false;
    // Passes the accept switches to the grid's drop target.
    void ApplyAcceptSwitches();

private:
    TPlusStringGrid* grid_;
    bool oleDropTarget_ = false;
    bool oleDropRTF_ = false;
    bool showCells_ = true;
    bool acceptText_ = true;
    bool acceptFiles_ = true;
    bool acceptURLs_ = true;
};

// A drag that started in a grid: keeps the last effect the target showed (copy or move) and
// moves the drag's picture with the cursor.
class TGridDropSource : public TPSGDropSource {
public:
    explicit TGridDropSource(TPlusStringGrid* grid) : grid_(grid) {}
    int LastEffect = DROPEFFECT_NONE;

protected:
    // With ShowCells the floating cells window goes when the drag ends.
    void DragFinished() override;
    void EffectChanged(int effect) override;
    // With ShowCells the floating cells window to the cursor + (4, 4), else the header-button
    // window with its bottom-left corner at the cursor.
    void DragQueried() override;

private:
    TPlusStringGrid* grid_;
};

// The floating cells window: a see-through, top-most pop-up showing the dragged cells as they
// look in the grid; it never takes the mouse.
class TDragCellsWindow : public TCustomControl {
public:
    explicit TDragCellsWindow(TComponent* owner);
    String ClassName() const override { return "TDragCellsWindow"; }
    // The picture shown, the window sized to it (a picture of cells in view, so never larger
    // than the grid).
    void SetPicture(const QImage& picture);
    const QImage& Picture() { return picture_.Image(); }
    static constexpr BYTE Opacity = 192;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void Paint() override;

private:
    TBitmap picture_;
};

// The grid as a drop target: cells, text, rich text, URLs, a column index and one CSV or
// spreadsheet file. Detached from its grid when the grid goes (later calls do nothing).
class TGridDropTarget : public TPSGDropTarget {
public:
    explicit TGridDropTarget(TPlusStringGrid* grid) : grid_(grid) {}
    TPlusStringGrid* Grid() const { return grid_; }
    void Detach() { grid_ = nullptr; }
    // Whether the current drag carries a column index.
    bool ColumnDrag() const { return (OfferedFormats() & ofColumn) != 0; }

protected:
    void DropText(POINT point, const String& text) override;
    void DropCells(POINT point, IStream* stream) override;
    void DropColumn(POINT point, int index) override;
    void DropRTF(POINT point, const String& text) override;
    void DropFiles(POINT point, TStrings* names) override;
    void DropURL(POINT point, const String& text) override;
    void DragOverPoint(POINT point, bool& allow, uint8_t formats) override;
    void DragLeft() override;

private:
    // Writes a dropped text into the cell under <point> unless <event> refuses it.
    void DropTextInCell(POINT point, const String& text, const TOleDragDropEvent& event);
    TPlusStringGrid* grid_;
};

// The borderless edit the grid keeps for editing over a fixed cell.
class TGridTransEdit : public TCustomEdit {
public:
    explicit TGridTransEdit(TComponent* owner);
    String ClassName() const override { return "TGridTransEdit"; }
    // Writes the text into the cell it edits and hides the edit; false when the grid's
    // validation refuses the text (the edit stays open).
    bool CommitEdit();
    int Col = -1;
    int Row = -1;
    TPlusStringGrid* GridOf() const { return grid_; }

protected:
    void KeyDown(WORD& key, TShiftState shift) override;
    void DoExit() override;

private:
    TPlusStringGrid* grid_ = nullptr;
};

// ---- auxiliary edit controls (PlusGridAuxEdits.cpp)
// The single-line edit of the search panel: Return fires OnReturn, Ctrl+Return OnCtrlReturn,
// and neither inserts a line.
class TRetEdit : public TCustomEdit {
public:
    explicit TRetEdit(TComponent* owner) : TCustomEdit(owner) {}
    String ClassName() const override { return "TRetEdit"; }
    TNotifyEvent OnReturn;
    TNotifyEvent OnCtrlReturn;

protected:
    void CreateParams(TCreateParams& params) override;
    void Dispatch(TMessage& message) override;
};
