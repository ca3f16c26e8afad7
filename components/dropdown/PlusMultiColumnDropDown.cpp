#include "components/dropdown/PlusMultiColumnDropDown.h"

#include "platform/win/WinGdi.h"
#include "platform/win/WinWindow.h"

#include <algorithm>
#include <cmath>

namespace PlusMultiColumnDropDown {

// ---------------------------------------------------------------- columns and items

TDropDownColumn::TDropDownColumn(TCollection* c) : TCollectionItem(c) {}

void TDropDownColumn::Assign(TPersistent* Source)
{
    if (auto* s = dynamic_cast<TDropDownColumn*>(Source)) {
        Width = s->Width;
        Color = s->Color;
        Alignment = s->Alignment;
        Ellipsis = s->Ellipsis;
        font_->Assign(s->font_.get());
        ColumnType = s->ColumnType;
        Header = s->Header;
        Wordwrap = s->Wordwrap;
        AutoSize = s->AutoSize;
        return;
    }
    TCollectionItem::Assign(Source);
}

void TDropDownItem::Assign(TPersistent* Source)
{
    if (auto* s = dynamic_cast<TDropDownItem*>(Source)) {
        ImageIndex = s->ImageIndex;
        text_->Assign(*s->text_);
        return;
    }
    TCollectionItem::Assign(Source);
}

String TDropDownItem::TextOf(int col) const
{
    return col >= 0 && col < text_->Count() ? text_->Strings(col) : String();
}

// ---------------------------------------------------------------- shared rules

TLookupCompletion CompleteFromLookup(const TStringList* lookup, const String& text, int caret,
                                     const std::function<bool(int)>& usable)
{
    TLookupCompletion r;
    caret = std::clamp(caret, 0, int(text.size()));
    const String key = AnsiUpperCase(text.substr(0, size_t(caret)));
    r.TypedLength = int(key.size());
    if (key.empty() || !lookup)
        return r;
    for (int i = 0; i < lookup->Count(); ++i) {
        const String& candidate = lookup->Strings(i);
        if (candidate.size() < key.size() || AnsiUpperCase(candidate.substr(0, key.size())) != key)
            continue;
        if (usable && !usable(i))
            continue;
        r.Matched = true;
        r.Index = i;
        // the user's own letters are kept; the lookup text supplies the rest, at most 255
        r.Text = text.substr(0, key.size()) + candidate.substr(key.size(), 255);
        return r;
    }
    return r;
}

namespace {

struct StyleRow {
    uint8_t style;
    TColor header, headerTo;
    bool fontSet;
    TColor font;
    uint8_t sel;
    TColor line;
};

constexpr StyleRow kStyleRows[] = {
    {0, 0xD68759, 0x933803, true, 0xFFFFFF, 1, 0x962D00},  {1, 0xBDA4A5, 0x957475, false, 0, 1, 0x947C7C},
    {2, 0x82C0AF, 0x447A63, false, 0, 1, 0x588060},        {3, 0x808080, 0x808080, false, 0, 1, 0x808080},
    {4, 0xFFEFE3, 0xFFD2AF, true, 0x723708, 1, 0xFFD2AF},  {5, 0xF2F1F0, 0xC9C2BD, true, 0x433C37, 1, 0x5C534C},
    {7, 0xEBEEEF, 0x7E9898, true, 0xFFFFFF, 1, 0x962D00},  {9, 0xF8F7F6, 0xE8E0DB, true, 0x8B4215, 1, 0x74706F},
    {10, 0xFFFDF9, 0xFFFAF0, true, 0, 2, 0xFCF2DA},        {11, 0xFDFBFA, 0xFDF3EB, true, 0, 3, 0xFBD6B8},
};

} // namespace

void ApplyColumnListStyle(uint8_t Style, const TColumnListLook& look, bool laterStyles,
                          const std::function<void(uint8_t)>& setSelectionStyle)
{
    for (const StyleRow& row : kStyleRows) {
        if (row.style != Style)
            continue;
        look.HeaderColor = row.header;
        look.HeaderColorTo = row.headerTo;
        if (row.fontSet)
            look.HeaderFont->Color = row.font;
        setSelectionStyle(row.sel);
        look.LineColor = look.FixedLineColor = row.line;
        look.SelectionTextColor = 0;
        return;
    }
    if (Style == 6 || Style == 12) {
        look.FixedLineColor = Style == 6 ? 0 : 0x808080;
        look.LineColor = Style == 6 ? 0xC0C0C0 : 0x808080;
        look.HeaderColor = look.HeaderColorTo = clBtnFace;
        setSelectionStyle(0);
        look.SelectionColor = look.SelectionColorTo = clHighlight;
        look.HeaderFont->Color = 0;
        look.SelectionTextColor = clHighlightText;
        return;
    }
    if (laterStyles && Style >= 13 && Style <= 15) {
        look.LineColor = look.FixedLineColor = 0xEEDDCF;
        look.HeaderColor = Style == 13 ? 0xEDDBCD : Style == 14 ? 0xEDE9E5 : 0x828282;
        look.HeaderColorTo = clNone;
        setSelectionStyle(0);
        look.SelectionColor = look.SelectionColorTo = 0x6CD0FF;
        look.HeaderFont->Color = Style == 15 ? 0xD7D7D6 : 0x5B391E;
        look.SelectionTextColor = 0;
    }
}

std::vector<int> ColumnWidthsToFill(const std::vector<int>& widths, int width)
{
    std::vector<int> out;
    if (widths.empty())
        return out;
    double total = 1;
    for (int w : widths)
        total += w;
    const double factor = width / total;
    double err = 0;
    for (int w : widths) {
        const double e = w * factor;
        const long r = std::lrint(e); // nearest, ties to even
        err += e - double(r);
        if (err > 1.0) {
            out.push_back(int(r) + 1);
            err -= 1.0;
        } else {
            out.push_back(int(r));
        }
    }
    return out;
}

// ---------------------------------------------------------------- the list grid

TPlusColGrid::TPlusColGrid(TComponent* AOwner)
    : TColumnListGrid(AOwner)
{
    SetFixedCols(0);
    SetFixedRows(1);
    TGridOptions o = Options();
    o << goHorzLine;
    o << goRowSelect;
    o >> goRangeSelect;
    o >> goDrawFocusSelected;
    SetOptions(o);
    DefaultDrawing = false;
    TStringGrid::SetGridLineWidth(0);
    SetLeftCol(0); // without fixed columns the first column is the first scrolled one
}

void TPlusColGrid::LoadFromDropDown(TPlusMultiColumnDropDown* d)
{
    if (!d)
        return;
    dropDown_ = d;
    columns_->Assign(d->Columns());
    SetColCount(std::max(1, columns_->Count()));
    const int n = d->Items()->Count();
    if (n == 0) {
        SetFixedRows(0);
        SetRowCount(1);
    } else {
        SetRowCount(n + 1);
        SetFixedRows(1);
        SetRow(1);
    }
    for (int i = 0; i < columns_->Count(); ++i)
        SetColWidths(i, columns_->Items(i)->Width);
    LineColor = d->LineColor;
    FixedLineColor = d->FixedLineColor;
    HeaderColor = d->HeaderColor;
    HeaderColorTo = d->HeaderColorTo;
    HeaderHeight = d->HeaderHeight;
    headerFont_->Assign(d->HeaderFont());
    SetImages(d->Images());
    SetDefaultRowHeight(d->DropDownRowHeight);
    SetRowHeights(0, HeaderHeight);
    TGridOptions o = Options();
    if (d->ColumnSizing)
        o << goColSizing;
    else
        o >> goColSizing;
    SetOptions(o);
    AutoSizeColumns();
    AutoSizeRows();
}

void TPlusColGrid::CellContent(int col, int row, String& text, int& image)
{
    image = -1;
    if (!dropDown_ || row < 1 || row - 1 >= dropDown_->Items()->Count()) {
        text = Cells(col, row);
        return;
    }
    const TDropDownItem* item = dropDown_->Items()->Items(row - 1);
    text = item->TextOf(col);
    if (col < columns_->Count() && columns_->Items(col)->ColumnType == ctImage)
        image = item->ImageIndex;
}

TRect TPlusColGrid::GetCellBounds(int ACol, int ARow) const
{
    TRect r = CellRect(ACol, ARow);
    if (r.Width() <= 0 || r.Height() <= 0)
        r = TRect(0, 0, 0, 0);
    r.Right = r.Left + ColWidths(ACol);
    r.Bottom = r.Top + RowHeights(ARow);
    return r;
}

void TPlusColGrid::DrawCell(int col, int row, const TRect& rect, TGridDrawState state)
{
    TCanvas* c = Canvas();
    TPlusMultiColumnDropDown* d = dropDown_;
    if (d && d->OnDropDownDrawItem) {
        d->OnDropDownDrawItem(d, col, row, c, rect);
        return;
    }
    const bool first = col == FixedCols(), last = col == ColCount() - 1;
    const int kind = first && last ? 0 : first ? 1 : last ? 2 : 3;
    TRect r = GetCellBounds(col, row);
    const bool header = row < FixedRows();
    const bool known = col < columns_->Count() && col >= FixedCols();
    TColor background = Color();
    TAlignment alignment = taLeftJustify;
    bool wrap = false, ellipsis = false;
    String text = Cells(col, row);
    int image = -1;
    if (known) {
        const TDropDownColumn* column = columns_->Items(col);
        background = column->Color;
        alignment = column->Alignment;
        wrap = column->Wordwrap;
        ellipsis = column->Ellipsis;
        c->Font->Assign(column->Font());
        if (!header)
            CellContent(col, row, text, image);
    } else {
        c->Font->Assign(headerFont_.get());
    }
    if (d && d->OnDropDownGetItemText)
        d->OnDropDownGetItemText(d, col, row, text);
    const bool selected = !header && state.Contains(gdSelected);
    if (!header && !selected) {
        c->Brush->Style = bsSolid;
        c->Brush->Color = background;
        c->Pen->Color = background;
        c->Pen->Width = 1;
        c->Rectangle(r);
    } else if (selected) {
        if (d)
            d->DrawSelection(c, r, kind, int(background));
        else {
            c->Brush->Color = clActiveCaption;
            c->FillRect(r);
        }
    } else {
        text = dropDown_ && known ? columns_->Items(col)->Header : String();
        image = -1;
        if (HeaderColor == clNone || HeaderColorTo == clNone) {
            c->Brush->Style = bsSolid;
            c->Brush->Color = HeaderColor;
            c->FillRect(r);
        } else if (d)
            d->DrawButtonFace(c, HeaderColor, true, r, 80, HeaderColorTo);
        else
            DrawGradient(c, HeaderColor, HeaderColorTo, 80, r, false);
    }
    const TGridOptions o = Options();
    int half;
    if (!header) {
        if (lineWidth_ > 0)
            c->Pen->Color = LineColor;
        c->Pen->Width = std::max(1, lineWidth_);
        half = (lineWidth_ + 1) / 2;
    } else {
        c->Pen->Color = FixedLineColor;
        c->Pen->Width = 1;
        half = 1;
    }
    if (lineWidth_ > 0 || header) {
        if (o.Contains(header ? goFixedHorzLine : goHorzLine)) {
            c->MoveTo(r.Left - half + 1, r.Bottom - half);
            c->LineTo(r.Right - half + 1, r.Bottom - half);
        }
        if (o.Contains(header ? goFixedVertLine : goVertLine)) {
            c->MoveTo(r.Right - half, r.Bottom - half);
            c->LineTo(r.Right - half, r.Top - half);
        }
    }
    r.Left += lineWidth_, r.Top += lineWidth_, r.Right -= lineWidth_, r.Bottom -= lineWidth_;
    if (d && images_ && image >= 0) {
        const int y = images_->Height() < r.Height() ? r.Top + (r.Height() - images_->Height()) / 2 : r.Top;
        images_->Draw(c, r.Left + 2, y, image);
        r.Left += images_->Width() + 4;
    } else {
        r.Left += 2;
    }
    if (text.empty())
        return;
    c->Brush->Style = bsClear;
    if (selected && d)
        c->Font->Color = d->SelectionTextColor;
    if (header)
        c->Font->Assign(headerFont_.get());
    UINT flags = (wrap ? DT_WORDBREAK | DT_EDITCONTROL : DT_SINGLELINE) | DT_NOPREFIX | DT_EXPANDTABS | DT_VCENTER;
    flags |= alignment == taRightJustify ? DT_RIGHT : alignment == taCenter ? DT_CENTER : DT_LEFT;
    if (ellipsis)
        flags |= DT_END_ELLIPSIS;
    RECT rc = r;
    c->RequiredState();
    DrawText(c->Handle(), text.c_str(), -1, &rc, flags);
}

void TPlusColGrid::KeyDown(WORD& Key, TShiftState Shift)
{
    if (AltStepToDropDown(dropDown_, Key, Shift))
        return;
    TStringGrid::KeyDown(Key, Shift);
    if (Key == VK_RETURN)
        DoSelect();
}

void TPlusColGrid::MouseUp(TMouseButton b, TShiftState s, int x, int y)
{
    TStringGrid::MouseUp(b, s, x, y);
    int col = -1, row = -1;
    MouseToCell(x, y, col, row);
    if (row >= FixedRows() && row < RowCount())
        DoSelect();
}

} // namespace PlusMultiColumnDropDown

// ---------------------------------------------------------------- the drop-down

using namespace PlusMultiColumnDropDown;

TPlusMultiColumnDropDown::TPlusMultiColumnDropDown(TComponent* AOwner)
    : TPlusColumnListDropDown(AOwner, true), columns_(std::make_unique<TDropDownColumns>(this)),
      items_(std::make_unique<TDropDownItems>(this))
{
    CreateDropDownForm();
    InitListLooks();
}

TPlusMultiColumnDropDown::~TPlusMultiColumnDropDown() = default;

void TPlusMultiColumnDropDown::Assign(TPersistent* Source)
{
    TPlusCustomDropDown::Assign(Source);
    auto* s = dynamic_cast<TPlusMultiColumnDropDown*>(Source);
    if (!s)
        return;
    CaseSensitive = s->CaseSensitive;
    DropDownAutoWidth = s->DropDownAutoWidth;
    DropDownRowHeight = s->DropDownRowHeight;
    LineColor = s->LineColor;
    FixedLineColor = s->FixedLineColor;
    ColumnSizing = s->ColumnSizing;
    ColumnSizeWithDropDown = s->ColumnSizeWithDropDown;
    columns_->Assign(s->columns_.get());
    HeaderColor = s->HeaderColor;
    HeaderColorTo = s->HeaderColorTo;
    HeaderHeight = s->HeaderHeight;
    headerFont_->Assign(s->headerFont_.get());
    LookupColumn = s->LookupColumn;
    SelectionTextColor = s->SelectionTextColor;
    items_->Assign(s->items_.get());
    itemIndex_ = s->itemIndex_;
}

void TPlusMultiColumnDropDown::SetItemIndex(int Value)
{
    if (Value >= items_->Count())
        return;
    itemIndex_ = Value;
    ShowText(Value < 0 || LookupColumn < 0 ? String() : items_->Items(Value)->TextOf(LookupColumn));
    // an open list follows a choice made in the edit
    if (list_ && IsDroppedDown() && !filling_ && Value >= 0 && list_->Row() != Value + 1 &&
        Value + 1 < list_->RowCount()) {
        filling_ = true;
        list_->SetRow(Value + 1);
        filling_ = false;
    }
}

// ---------------------------------------------------------------- the pop-up

void TPlusMultiColumnDropDown::CreateDropDownForm()
{
    TPlusCustomDropDown::CreateDropDownForm();
    if (!form_)
        return;
    if (!list_) {
        list_ = new TPlusColGrid(this);
        list_->SetParent(form_);
    }
    list_->Bind(this);
    list_->SetBounds(0, 0, list_->Width(), 180);
    list_->SetColor(DropDownColor);
}

void TPlusMultiColumnDropDown::BeforeDropDown()
{
    TPlusCustomDropDown::BeforeDropDown();
    if (!form_ || !list_)
        return;
    form_->DeactivateCancels = false;
    filling_ = true;
    list_->SetConfirmed(false);
    list_->LoadFromDropDown(this);
    TGridOptions o = list_->Options();
    o << goThumbTracking;
    list_->SetOptions(o);
    list_->SetColor(DropDownColor);
    list_->OnSelectCell = [this](TObject*, int, int row, bool&) { ListSelectCell(row); };
    list_->OnSelect = [this](TObject*) { ListSelect(); };
    if (list_->RowCount() > 1)
        list_->SetRow(itemIndex_ + 1 >= list_->FixedRows() && itemIndex_ + 1 < list_->RowCount() ? itemIndex_ + 1 : 1);
    oldItemIndex_ = itemIndex_;
}

void TPlusMultiColumnDropDown::PlaceDropDownControl()
{
    SetDropDownControl(list_);
    TPlusCustomDropDown::PlaceDropDownControl();
}

void TPlusMultiColumnDropDown::ShowDropDown()
{
    TPlusCustomDropDown::ShowDropDown();
    if (list_ && IsDroppedDown()) {
        ColumnsToDropDownWidth();
        // the list shows its first column: a narrow list may have scrolled to its current column
        list_->SetCol(list_->FixedCols());
        list_->SetLeftCol(list_->FixedCols());
        if (list_->RowCount() > 1) {
            const int row = std::min(itemIndex_ >= 0 ? itemIndex_ + 1 : 1, list_->RowCount() - 1);
            list_->SetRow(row);
            const TRect r = list_->CellRect(list_->FixedCols(), row);
            if (r.Width() <= 0 || r.Height() <= 0)
                list_->SetTopRow(std::max(list_->FixedRows(), row - list_->VisibleRowCount() + 1));
        }
    }
    filling_ = false;
}

void TPlusMultiColumnDropDown::HideDropDown(bool Cancel)
{
    if (!form_ || !form_->Visible()) {
        TPlusCustomDropDown::HideDropDown(Cancel);
        return;
    }
    const auto life = Life();
    TPlusCustomDropDown::HideDropDown(Cancel);
    if (!*life)
        return;
    if (Cancel)
        SetItemIndex(oldItemIndex_);
    else if (list_ && list_->Confirmed())
        SetItemIndex(list_->Row() - 1);
    oldItemIndex_ = itemIndex_;
}

void TPlusMultiColumnDropDown::ListSelectCell(int row)
{
    if (!list_->WheelScrolling() && !filling_) {
        filling_ = true; // the list is moving there already
        SetItemIndex(row - 1);
        filling_ = false;
    }
}

void TPlusMultiColumnDropDown::ListSelect()
{
    if (list_->Confirmed())
        SetItemIndex(list_->Row() - 1);
    const auto life = Life();
    HideDropDown(false);
    if (*life && OnSelect)
        OnSelect(this);
}

// ---------------------------------------------------------------- completion and keys

void TPlusMultiColumnDropDown::StepKey(WORD key, bool)
{
    StepItem(key, items_->Count(), !EditorEnabled());
}

void TPlusMultiColumnDropDown::Dispatch(TMessage& m)
{
    if (m.Msg != WM_KEYDOWN) {
        TPlusCustomDropDown::Dispatch(m);
        return;
    }
    const WORD key = WORD(m.WParam);
    const auto life = Life();
    TPlusCustomDropDown::Dispatch(m);
    if (*life && Enabled() && GetKeyState(VK_MENU) >= 0)
        StepKey(key, false);
}

static bool IsListStepKey(WORD key) { return key == VK_PRIOR || key == VK_NEXT || key == VK_UP || key == VK_DOWN; }

void TPlusMultiColumnDropDown::DropDownControlKeyDown(WORD& Key, TShiftState Shift)
{
    if (IsListStepKey(Key) && !Shift.Contains(ssAlt))
        return;
    TPlusCustomDropDown::DropDownControlKeyDown(Key, Shift);
}

void TPlusMultiColumnDropDown::DropDownControlKeyUp(WORD& Key, TShiftState Shift)
{
    if (IsListStepKey(Key) && !Shift.Contains(ssAlt))
        return;
    TPlusCustomDropDown::DropDownControlKeyUp(Key, Shift);
}

void TPlusMultiColumnDropDown::DropDownControlKeyPress(char& Key)
{
    const bool alt = GetKeyState(VK_MENU) < 0;
    const unsigned char k = (unsigned char)Key;
    const bool special = k == 13 || k == 27 || (k >= 33 && k <= 36) || k == 38 || k == 40;
    if ((!special || alt) && list_ && !list_->Options().Contains(goEditing)) {
        const int a = ListTypeAhead(Key);
        if (a >= 0) {
            const int r = a + list_->FixedRows();
            if (r < list_->RowCount()) {
                const int top = list_->TopRow();
                if (r > top + list_->VisibleRowCount() || r < top)
                    list_->SetTopRow(r);
                const int selStart = SelStart(), selLength = SelLength();
                filling_ = true; // ItemIndex and the text are set already
                list_->SetCol(0);
                list_->SetRow(r);
                filling_ = false;
                SetSelStart(selStart);
                SetSelLength(selLength);
            }
            return;
        }
    }
    lookupEntry_.clear();
}

int TPlusMultiColumnDropDown::ListTypeAhead(char c)
{
    if (c == '\t')
        return -1;
    if (c == '\b') {
        TypeAheadBackspace();
        return -1;
    }
    lookupEntry_ += c;
    String found;
    int i = FindLookupPrefix(lookupEntry_, found);
    if (i >= 0) {
        itemIndex_ = i;
        ShowText(found);
        SetSelStart(int(lookupEntry_.size()));
        SetSelLength(std::max(0, int(found.size()) - int(lookupEntry_.size())));
        return i;
    }
    i = FindLookupPrefix(String(1, c), found);
    if (i >= 0) {
        itemIndex_ = i;
        ShowText(found);
        lookupEntry_ = String(1, c);
        return i;
    }
    lookupEntry_.clear();
    return -1;
}

int TPlusMultiColumnDropDown::FindLookupPrefix(const String& Text, String& found) const
{
    if (!list_)
        return -1;
    const String key = LookupKeyOf(Text);
    for (int i = 0; i < items_->Count(); ++i) {
        const String t = items_->Items(i)->TextOf(LookupColumn);
        if (StartsWithLookupKey(t, key)) {
            found = t;
            return i;
        }
    }
    return -1;
}
