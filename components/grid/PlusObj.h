#pragma once
// Settings objects and small containers of the string grid: integer lists that know their
// cell, the multi-column sort index, the controls placed in cells, a picture kept as a file
// name, and the option objects the grid publishes (search footer, navigation, mouse
// actions, synchronised grid, row bands, focus helper).
// Option objects hold settings only; each takes effect where the grid reads it. Their Assign
// accepts only a source of their own class and ignores any other.
#include "platform/framework/ActnList.h"
#include "platform/framework/Component.h"
#include "platform/framework/Controls.h"
#include "platform/framework/Graphics.h"
#include "platform/rtl/Classes.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class TControl;
class TStringGrid;

// ---------------------------------------------------------------- file picture

// A picture referenced by file name and read only when needed. Width and Height are the
// size found when the name was set; a file that cannot be read raises the framework's
// picture error (the name stays set).
class TFilePicture : public TPersistent {
public:
    String ClassName() const override { return "TFilePicture"; }
    // Copies Filename, Width and Height without reading the file; the source must be a
    // TFilePicture.
    void Assign(TPersistent* Source) override;

    const String& Filename() const { return filename_; }
    void SetFilename(const String& value);
    int Width() const { return width_; }
    int Height() const { return height_; }
    // Reads the file and stretches it into r; nothing at all without a file name.
    void Draw(TCanvas* Canvas, const TRect& r);

private:
    String filename_;
    int width_ = 0;
    int height_ = 0;
};

// ---------------------------------------------------------------- search footer

enum TSearchDirection { sdTopBottom, sdLeftRight };

// The search bar under the grid. Setting a colour, caption, hint, ShowClose, the font or
// AutoThemeAdapt notifies OnChange; the other Show switches and Visible notify only when
// they change.
class TSearchFooter : public TPersistent {
public:
    // With captions, the captions and hints get their English texts; otherwise they stay
    // empty. The owner is not kept.
    TSearchFooter(TComponent* AOwner, bool WithCaptions);
    ~TSearchFooter() override;
    String ClassName() const override { return "TSearchFooter"; }
    // Copies everything but AutoSearch and SearchFixedCells (and the hooks), firing nothing.
    void Assign(TPersistent* Source) override;

    TColor Color() const { return color_; }
    void SetColor(TColor value);
    TColor ColorTo() const { return colorTo_; }
    void SetColorTo(TColor value);
    TFont* Font() const { return font_.get(); }
    void SetFont(TFont* value);

    const String& FindNextCaption() const { return findNextCaption_; }
    void SetFindNextCaption(const String& value);
    const String& FindPrevCaption() const { return findPrevCaption_; }
    void SetFindPrevCaption(const String& value);
    const String& MatchCaseCaption() const { return matchCaseCaption_; }
    void SetMatchCaseCaption(const String& value);
    const String& HighLightCaption() const { return highLightCaption_; }
    void SetHighLightCaption(const String& value);
    const String& HintClose() const { return hintClose_; }
    void SetHintClose(const String& value);
    const String& HintFindNext() const { return hintFindNext_; }
    void SetHintFindNext(const String& value);
    const String& HintFindPrev() const { return hintFindPrev_; }
    void SetHintFindPrev(const String& value);
    const String& HintHighlight() const { return hintHighlight_; }
    void SetHintHighlight(const String& value);

    bool ShowClose() const { return showClose_; }
    void SetShowClose(bool value);
    bool ShowFindNext() const { return showFindNext_; }
    void SetShowFindNext(bool value);
    bool ShowFindPrev() const { return showFindPrev_; }
    void SetShowFindPrev(bool value);
    bool ShowHighLight() const { return showHighLight_; }
    void SetShowHighLight(bool value);
    bool ShowMatchCase() const { return showMatchCase_; }
    void SetShowMatchCase(bool value);
    bool Visible() const { return visible_; }
    void SetVisible(bool value);
    bool AutoThemeAdapt() const { return autoThemeAdapt_; } // not published
    void SetAutoThemeAdapt(bool value);

    // published plain settings
    bool AutoSearch = true;
    bool AlwaysHighLight = false;
    bool SearchActiveColumnOnly = false;
    bool SearchMatchStart = false;
    bool SearchFixedCells = false;
    bool SearchHiddenRows = false;
    int SearchColumn = -1;
    TSearchDirection SearchDirection = sdTopBottom;

    TNotifyEvent OnChange;

private:
    void Changed();
    void SetText(String& field, const String& value);
    void SetSwitch(bool& field, bool value);

    TColor color_ = TColor(0xFFFFFF);
    TColor colorTo_ = clBtnFace;
    std::unique_ptr<TFont> font_;
    String findNextCaption_, findPrevCaption_, matchCaseCaption_, highLightCaption_;
    String hintClose_, hintFindNext_, hintFindPrev_, hintHighlight_;
    bool showClose_ = true;
    bool showFindNext_ = true;
    bool showFindPrev_ = true;
    bool showHighLight_ = true;
    bool showMatchCase_ = true;
    bool visible_ = false;
    bool autoThemeAdapt_ = false;
};

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

class TNavigation : public TPersistent {
public:
    TNavigation() = default;
    String ClassName() const override { return "TNavigation"; }
    // Copies every published setting except KeepScrollOnSort, firing nothing.
    void Assign(TPersistent* Source) override;

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

class TMouseActions : public TPersistent {
public:
    explicit TMouseActions(TComponent* AOwner = nullptr);
    String ClassName() const override { return "TMouseActions"; }
    // Copies every published setting except EditOnDblClickOnly, HotmailRowSelect and
    // SizeFixedRow, firing nothing.
    void Assign(TPersistent* Source) override;

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

class TSyncGrid : public TPersistent {
public:
    explicit TSyncGrid(TStringGrid* AOwner) : owner_(AOwner) {}
    String ClassName() const override { return "TSyncGrid"; }
    // Copies Grid (through its setter) and the six switches.
    void Assign(TPersistent* Source) override;

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

// ---------------------------------------------------------------- bands

// Banded row colours: a non-fixed row r (counted from the first non-fixed row) is painted
// in PrimaryColor when r mod BandPeriod < PrimaryLength, else in SecondaryColor. Colour and
// length changes notify OnChange only while Active.
class TBands : public TPersistent {
public:
    TBands() = default;
    String ClassName() const override { return "TBands"; }
    void Assign(TPersistent* Source) override;

    bool Active() const { return active_; }
    void SetActive(bool value);
    TColor PrimaryColor() const { return primaryColor_; }
    void SetPrimaryColor(TColor value);
    int PrimaryLength() const { return primaryLength_; }
    void SetPrimaryLength(int value);
    TColor SecondaryColor() const { return secondaryColor_; }
    void SetSecondaryColor(TColor value);
    int SecondaryLength() const { return secondaryLength_; }
    void SetSecondaryLength(int value);
    int BandPeriod() const { return bandPeriod_; } // not published
    // Whether non-fixed row r takes the primary colour (a period of 0 or less: always).
    bool IsPrimaryRow(int r) const;
    TColor RowColor(int r) const { return IsPrimaryRow(r) ? primaryColor_ : secondaryColor_; }

    bool Print = false; // published
    TNotifyEvent OnChange;

private:
    void ChangedWhileActive();

    bool active_ = false;
    TColor primaryColor_ = clInfoBk;
    int primaryLength_ = 1;
    TColor secondaryColor_ = clWindow;
    int secondaryLength_ = 1;
    int bandPeriod_ = 2;
};

// ---------------------------------------------------------------- focus helper

class TFocusHelper : public TPersistent {
public:
    explicit TFocusHelper(TComponent* AOwnerGrid = nullptr) { (void)AOwnerGrid; }
    String ClassName() const override { return "TFocusHelper"; }
    void Assign(TPersistent* Source) override;

    bool Enabled = false; // published
};

// ---------------------------------------------------------------- grid button

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
enum TPlusGridButtonStyle { tasButton, tasCheck };
enum TPlusGridButtonState : uint8_t { gbsUp = 0, gbsDisabled = 1, gbsDown = 2, gbsExclusive = 3 };

// Vertical (or horizontal) colour bands from `from` to `to`, each one pixel longer than its
// band so that neighbours overlap; an outline in border unless it is clNone.
void DrawButtonGradient(TCanvas* Canvas, TColor From, TColor To, bool Horizontal, TRect R, int Steps, TColor Border);
// 0 none, 1 "NormalColor", 2 "HomeStead", 3 "Metallic" (the visual style's colour scheme).
int GetGridButtonXPScheme();

// The speed button of the grid components: a flat Office face with hot tracking and colour
// gradients, or the standard push-button face; a check style that toggles; grouped buttons of
// which one stays down; an optional drop-down part.
class TPlusGridButton : public TGraphicControl {
public:
    explicit TPlusGridButton(TComponent* AOwner);
    ~TPlusGridButton() override;
    String ClassName() const override { return "TPlusGridButton"; }

    TBitmap* Glyph() const { return glyph_.get(); }
    // Copies the bitmap; an empty GlyphDisabled gets a lightened grey copy.
    void SetGlyph(TBitmap* Value);
    TBitmap* GlyphHot() const { return glyphHot_.get(); }
    void SetGlyphHot(TBitmap* Value);
    TBitmap* GlyphDown() const { return glyphDown_.get(); }
    void SetGlyphDown(TBitmap* Value);
    TBitmap* GlyphDisabled() const { return glyphDisabled_.get(); }
    void SetGlyphDisabled(TBitmap* Value);
    TBitmap* ShadeBitmap() const { return shade_.get(); }

    bool Down() const { return down_; }
    void SetDown(bool Value);
    bool Flat() const { return flat_; }
    void SetFlat(bool Value);
    TPlusGridButtonStyle Style() const { return style_; }
    void SetStyle(TPlusGridButtonStyle Value);
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int Value);
    bool AllowAllUp() const { return allowAllUp_; }
    void SetAllowAllUp(bool Value);
    int Margin() const { return margin_; }
    void SetMargin(int Value);
    bool Shaded() const { return shaded_; }
    void SetShaded(bool Value);
    bool AutoThemeAdapt() const { return autoThemeAdapt_; }
    void SetAutoThemeAdapt(bool Value);

    TButtonLayout Layout = blGlyphLeft;
    int Spacing = 4;
    bool ShowCaption = true;
    bool AutoXPStyle = false;
    bool Rounded = false;
    bool DropDownButton = false;
    // Shown below the button when its drop-down part is pressed; cleared when the menu goes.
    TPopupMenu* DropDownMenu() const { return dropDownMenu_; }
    void SetDropDownMenu(TPopupMenu* Value);
    // The action whose caption, enabled, visible, hint, group index and checked state the
    // button takes (through TPlusGridButtonActionLink) and whose Execute a click runs when
    // OnClick is not set.
    TAction* Action() const;
    void SetAction(TAction* Value);
    TColor ColorTo = clNone;
    TColor ColorHot = 0xCAC7C7, ColorHotTo = clNone;
    TColor ColorDown = 0xD8D3D2, ColorDownTo = clNone;
    TColor ColorChecked = clGray, ColorCheckedTo = clNone;
    TColor BorderColor = clNone, BorderHotColor = clNone, BorderDownColor = clNone;
    TNotifyEvent OnDropDown;

    // set 1 (no colour scheme) to 4 ("Metallic")
    void ApplyColorSet(int Set);
    void ThemeAdapt();
    void GenerateShade();
    void Loaded() override;
    TPlusGridButtonState State() const { return state_; }
    bool MouseInside() const { return mouseInside_; }
    void Click() override;

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void WndProc(TMessage& Message) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend class TPlusGridButtonActionLink;
    void UpdateExclusive();
    void DrawButtonContent(TRect R, TPlusGridButtonState ContentState, TPoint Offset);
    // Steps of Paint. SettlePaintState makes the state agree with Enabled and a checked button;
    // the face is the system's push button (PaintSystemFace, R becomes its inside) or, when flat,
    // the hot or the resting face in the button's colours and borders (R grows back over a
    // rounded edge); a grouped button that is down gets the checked face (PaintExclusiveFace);
    // ContentOffset moves the glyph and caption of a pressed or raised button; the drop-down
    // arrow takes its part from the right of R.
    void SettlePaintState();
    void PaintSystemFace(TRect& R, bool pressed);
    void PaintFlatHotFace(TRect& R);
    void PaintFlatRestingFace(TRect& R);
    // R in a gradient from `from` to `to` (plain `from` when `to` is clNone) inside an edge
    // (none: the fill's own colour).
    void PaintFlatFill(const TRect& R, TColor from, TColor to, TColor edge);
    void PaintRoundedEdge(const TRect& R, TColor edge);
    void PaintExclusiveFace(TRect& R);
    TPoint ContentOffset(bool pressed);
    void PaintDropDownArrow(TRect& R);
    void DrawGlyph(TPoint G);
    void DrawCaption(TRect T, TPlusGridButtonState ContentState);
    void CalcButtonLayout(const TRect& R, TPoint Offset, TPoint& G, TRect& T);
    bool Inside(int X, int Y) const { return X >= 0 && X < ClientWidth() && Y >= 0 && Y < ClientHeight(); }

    std::unique_ptr<TBitmap> glyph_, glyphHot_, glyphDown_, glyphDisabled_, shade_;
    TPlusGridButtonState state_ = gbsUp;
    bool dragging_ = false;
    bool mouseInside_ = false;
    bool down_ = false;
    bool flat_ = true;
    TPlusGridButtonStyle style_ = tasButton;
    int groupIndex_ = 0;
    bool allowAllUp_ = false;
    int margin_ = -1;
    bool shaded_ = true;
    bool autoThemeAdapt_ = false;
    TPopupMenu* dropDownMenu_ = nullptr;
    std::unique_ptr<class TPlusGridButtonActionLink> actionLink_;
};

// The grid button's link to its action: the caption passes while the button shows the
// action's caption; Checked passes as Down only for a grouped button that may be all up and
// shows the action's state; the group index passes while it is the action's.
class TPlusGridButtonActionLink : public TControlActionLink {
public:
    // The client must be a TPlusGridButton (EConvertError "Invalid class typecast" otherwise).
    void AssignClient(TObject* AClient) override;
    bool IsCaptionLinked() override;
    bool IsCheckedLinked() override;
    bool IsGroupIndexLinked() override;
    void SetCaption(const String& Value) override;
    void SetChecked(bool Value) override;
    void SetGroupIndex(int Value) override;

private:
    TPlusGridButton* button_ = nullptr;
};

// ---------------------------------------------------------------- check box

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };
enum TLeftRight { lrLeftJustify, lrRightJustify };
enum TTextLayout { tlTop, tlCenter, tlBottom };

// A check box drawn by the control itself: themed, right-aligned, transparent, with an
// ellipsis; it fires Click itself (also when read-only).
class TPlusCheckBox : public TCustomControl {
public:
    explicit TPlusCheckBox(TComponent* AOwner);
    String ClassName() const override { return "TPlusCheckBox"; }

    TCheckBoxState State() const { return state_; }
    void SetState(TCheckBoxState Value);
    bool Checked() const { return state_ == cbChecked; }
    void SetChecked(bool Value);
    void SetCaption(const String& Value) override;
    bool Transparent() const { return transparent_; }
    // The parent's background shows through: the parent paints itself under the box first.
    void SetTransparent(bool Value);
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment Value); // taLeftJustify or taRightJustify
    TTextLayout ButtonVertAlign() const { return vertAlign_; }
    void SetButtonVertAlign(TTextLayout Value);
    bool Ellipsis() const { return ellipsis_; }
    void SetEllipsis(bool Value);
    bool ReadOnly = false;
    bool ReturnIsTab = false;
    virtual void Toggle();

    // The box's rectangle (themed 14 x 14, classic 13 x 13) and the caption's.
    TRect BoxRect() const;
    TRect CaptionRect() const;
    bool IsDown() const { return down_; }
    bool IsHot() const { return hot_; }

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void KeyDown(WORD& Key, TShiftState Shift) override;
    void KeyUp(WORD& Key, TShiftState Shift) override;
    void DoEnter() override;
    void DoExit() override;
    void WndProc(TMessage& Message) override;

private:
    void PaintParentBackground(HDC DC);
    void RepaintBox();
    bool Themed() const;
    TCheckBoxState state_ = cbUnchecked;
    TAlignment alignment_ = taLeftJustify;
    TTextLayout vertAlign_ = tlTop;
    bool ellipsis_ = false;
    bool transparent_ = false;
    bool down_ = false, hot_ = false, focused_ = false, mouseDown_ = false;
};

// ---------------------------------------------------------------- file string list

// A string list read line by line.
class TFileStringList : public TStringList {
public:
    void Reset() { position_ = 0; }
    bool AtEnd() const { return position_ >= Count(); }
    // The line at the read position, then the position moves on; at the end the list's index
    // error is raised and the position stays.
    void ReadLine(String& Line);

private:
    int position_ = 0;
};

// ---------------------------------------------------------------- overlay windows and glow

// The seven points of the arrow window's outline for a direction (0 up, 1 down, 2 right,
// 3 left); all at the origin for any other direction.
std::vector<TPoint> ArrowWindowPoints(uint8_t Direction);

// A tiny arrow shown at the insertion place while columns are moved or data dragged over the
// grid; it fills itself with its colour (green).
class TArrowWindow : public TCustomControl {
public:
    TArrowWindow(TComponent* AOwner, uint8_t Direction);
    String ClassName() const override { return "TArrowWindow"; }
    uint8_t Direction() const { return direction_; }
    const std::vector<TPoint>& Points() const { return points_; }

protected:
    // Exactly WS_POPUP: a window of its own above the grid, placed in screen coordinates.
    void CreateParams(TCreateParams& Params) override;
    // The window's shape is the arrow's outline.
    void CreateWnd() override;
    void Paint() override;

private:
    uint8_t direction_;
    std::vector<TPoint> points_;
};

// A popup with a gradient and a plain or mini-HTML caption.
class TPopupButton : public TCustomControl {
public:
    explicit TPopupButton(TComponent* AOwner);
    String ClassName() const override { return "TPopupButton"; }
    bool Flat = false;
    TColor GradFrom = clNone, GradTo = clNone, GradMirrorFrom = clBlack, GradMirrorTo = clBlack;
    class THtmlImages* CaptionImages = nullptr;

protected:
    // A disabled, bordered pop-up that keeps what lies below it; top-most once created.
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void Paint() override;
};

// The window that shows the glow around the focused cell.
class TGridFocusWindow : public TCustomControl {
public:
    explicit TGridFocusWindow(TComponent* AOwner);
    String ClassName() const override { return "TGridFocusWindow"; }

protected:
    // A disabled top-most tool pop-up; it shows what UpdateLayeredWindow gives it.
    void CreateParams(TCreateParams& Params) override;
};

// A 32-bit premultiplied picture (blue, green, red, alpha) built from a mask.
class TGridAlphaMask : public TBitmap {
public:
    TGridAlphaMask();
    String ClassName() const override { return "TGridAlphaMask"; }
    void Assign(TPersistent* Source) override;
    // Every pixel: a = the mask's red byte; the picture's channels times a / 255 (rounded,
    // halves to even) and a. Nothing unless the picture is 24-bit; the mask must be at least
    // as large as the picture.
    void BuildFromMask(TBitmap* Mask, TBitmap* Picture, TColor Color);
    // The bitmap's image holds the same bytes, so that its canvas is the source of a layered
    // window with per-pixel alpha (UpdateLayeredWindow with AC_SRC_ALPHA).
    // The pixel at (x, y) as blue, green, red, alpha.
    uint32_t PixelBGRA(int X, int Y) const;
    uint8_t MaskOpacity = 255;

private:
    std::vector<uint32_t> pixels_;
    int width_ = 0, height_ = 0;
};

// A black 24-bit bitmap with a white rounded rectangle (an outline of pen width, or filled
// when it is 0), blurred with the radius when that is above 0.
void DrawRoundRectMask(TBitmap* Bitmap, int Width, int Height, int PenWidth, int CornerSize, double BlurRadius);
// Separable gaussian blur in place; raises Exception "Blur only works for 24-bit bitmaps"
// for any other bitmap. Interior rows and columns (more than 20 pixels in) copy row and
// column 15.
void BlurBitmap(TBitmap* Bitmap, double Radius);
bool VisualStylesInUse();
