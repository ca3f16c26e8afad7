// The string grid's cell content beyond text: cell graphics, the display text, per-row colours,
// read-only flags, alignment and the reading of hidden rows.
#include "components/grid/PlusGrid.h"

#include "components/grid/TextRoutines.h"

#include <algorithm>
#include <cctype>

// ---------------------------------------------------------------- graphics

TCellGraphic* TPlusStringGrid::GetCellGraphicOf(int col, int row) const
{
    if (col < 0 || row < 0)
        return nullptr;
    return dynamic_cast<TCellGraphic*>(GetCellGraphic(col, row));
}

TCellType TPlusStringGrid::GetCellType(int col, int row)
{
    if (col < 0 || row < 0)
        return ctEmpty;
    if (mouseActions_->HotmailRowSelect() && col == 0)
        return ctRowCheckBox;
    const TCellGraphic* graphic = GetCellGraphicOf(col, row);
    return graphic ? graphic->CellType : ctEmpty;
}

TCellGraphic* TPlusStringGrid::CreateCellGraphic(int col, int row)
{
    if (!IsValidCell(col, row))
        return nullptr;
    RemoveCellGraphic(col, row);
    auto* graphic = new TCellGraphic;
    SetCellGraphic(col, row, graphic);
    if (HiddenColCount > 0 && RealToDisplayColumn(col) != col)
        RepaintCell(RealToDisplayColumn(col), row);
    return graphic;
}

bool TPlusStringGrid::RemoveCellGraphic(int col, int row)
{
    TCellGraphic* graphic = GetCellGraphicOf(col, row);
    if (!graphic)
        return false;
    TCellProperties* record = CellProperties(col, row);
    if (record)
        record->Graphic = nullptr;
    if (graphic->CellType != ctVirtCheckBox && graphic->CellType != ctRowCheckBox)
        delete graphic;
    RepaintCell(RealToDisplayColumn(col), row);
    return true;
}

bool TPlusStringGrid::RemoveCellGraphicOfType(int col, int row, TCellType type)
{
    return GetCellType(col, row) == type && RemoveCellGraphic(col, row);
}

void TPlusStringGrid::AddCheckBox(int col, int row, bool checked, bool grayed)
{
    if (TCellGraphic* g = CreateCellGraphic(col, row)) {
        g->CellType = ctCheckBox;
        g->CellBoolean = checked;
        g->CellAngle = grayed ? 2 : 0;
        g->CellHAlign = haBeforeText;
        g->CellVAlign = vaCenter;
    }
}

void TPlusStringGrid::AddDataCheckBox(int col, int row)
{
    if (TCellGraphic* g = CreateCellGraphic(col, row)) {
        g->CellType = ctDataCheckBox;
        g->CellHAlign = haBeforeText;
        g->CellVAlign = vaCenter;
    }
}

void TPlusStringGrid::AddProgress(int col, int row, TColor fromColor, TColor toColor)
{
    if (TCellGraphic* g = CreateCellGraphic(col, row)) {
        g->CellType = ctProgress;
        g->CellColor = fromColor;
        g->CellColor2 = toColor;
        g->CellHAlign = haFull;
        g->CellVAlign = vaFull;
    }
}

void TPlusStringGrid::AddProgressPie(int col, int row, TColor color, int value)
{
    if (TCellGraphic* g = CreateCellGraphic(col, row)) {
        g->CellType = ctProgressPie;
        g->CellColor = color;
        g->CellAngle = std::clamp(value, 0, 100);
        g->CellHAlign = haBeforeText;
        g->CellVAlign = vaCenter;
    }
}

void TPlusStringGrid::AddComment(int col, int row, const String& comment)
{
    if (TCellGraphic* g = CreateCellGraphic(col, row)) {
        g->CellType = ctComment;
        g->CellText = comment;
        g->CellIndex = 0;
    }
}

void TPlusStringGrid::AddButton(int col, int row, int width, int height, const String& caption, TCellHAlign hAlign,
                                TCellVAlign vAlign)
{
    if (TCellGraphic* g = CreateCellGraphic(col, row)) {
        g->CellType = ctButton;
        g->CellIndex = (std::clamp(width, 0, 0xFFFF)) | (std::clamp(height, 0, 0x7FFF) << 16);
        g->CellText = caption;
        g->CellHAlign = hAlign;
        g->CellVAlign = vAlign;
    }
}

void TPlusStringGrid::AddRating(int col, int row, int stars, TColor filled, TColor empty)
{
    if (TCellGraphic* g = CreateCellGraphic(col, row)) {
        g->CellType = ctRating;
        g->CellAngle = std::clamp(stars, 0, 20);
        g->CellColor = filled;
        g->CellColor2 = empty;
    }
}

void TPlusStringGrid::AddShape(int col, int row, int shape, TColor color, TColor color2)
{
    if (TCellGraphic* g = CreateCellGraphic(col, row)) {
        g->CellType = ctShape;
        g->CellAngle = std::clamp(shape, 0, 17);
        g->CellColor = color;
        g->CellColor2 = color2;
        g->CellHAlign = haBeforeText;
        g->CellVAlign = vaCenter;
    }
}

void TPlusStringGrid::AddRangeIndicator(int col, int row, int maximum, TColor negative, TColor positive,
                                        bool showValue)
{
    if (TCellGraphic* g = CreateCellGraphic(col, row)) {
        g->CellType = ctRangeIndicator;
        g->CellIndex = std::max(1, maximum);
        g->CellColor = negative;
        g->CellColor2 = positive;
        g->CellBoolean = showValue;
    }
}

void TPlusStringGrid::AddBitmap(int col, int row, TBitmap* bitmap, bool transparent, TCellHAlign hAlign,
                                TCellVAlign vAlign)
{
    if (TCellGraphic* g = CreateCellGraphic(col, row)) {
        g->CellType = ctBitmap;
        g->CellData = bitmap;
        g->CellTransparent = transparent;
        g->CellHAlign = hAlign;
        g->CellVAlign = vAlign;
    }
}

void TPlusStringGrid::AddRotated(int col, int row, int angle, const String& text)
{
    if (TCellGraphic* g = CreateCellGraphic(col, row)) {
        g->CellType = ctRotated;
        g->CellAngle = angle;
        SetCellText(col, row, text);
    }
}

// ---------------------------------------------------------------- text

void TPlusStringGrid::GetDisplText(int col, int row, String& value)
{
    TBaseGrid::GetDisplText(col, row, value);
    if (URLShowInText) {
        static const char* const kPrefixes[] = {"HTTP://", "WWW.", "MAILTO:", "HTTPS://", "NNTP://", "FILE://",
                                                "FTP://"};
        String upper = value;
        for (char& c : upper)
            c = char(std::toupper(static_cast<unsigned char>(c)));
        for (const char* prefix : kPrefixes)
            if (upper.find(prefix) != String::npos) {
                String wrapped;
                if (WrapUrlInAnchor(value, prefix, wrapped))
                    value = wrapped;
                break;
            }
    }
    if (grouping_->ShowGroupCount && col == 1 && row >= 0 && row < RowCount() && IsNodeRow(row)) {
        const TCellGraphic* node = GetCellGraphicOf(0, row);
        const int n = GetNodeSpan(row) - (node ? node->CellErrFrom : 0) - 1;
        if (!grouping_->GroupCountFormat.empty())
            value += Format(grouping_->GroupCountFormat, {n});
        else
            value += " (" + std::to_string(n) + ")";
    }
}

String TPlusStringGrid::GetAllCells(int col, int realRow)
{
    if (col < 0 || realRow < 0 || col >= TotalColCount() || realRow >= GetAllRowCount())
        return String();
    for (const TGridItem* item : hiddenRows_)
        if (item->Idx == realRow) {
            String value = col < item->Items->Count() ? item->Items->Strings(col) : String();
            GetDisplText(col, realRow, value);
            return value;
        }
    return GetCellText(col, RealToDisplayRow(realRow));
}

TObject* TPlusStringGrid::GetAllObjects(int col, int realRow)
{
    if (col < 0 || realRow < 0 || col >= TotalColCount() || realRow >= GetAllRowCount())
        return nullptr;
    for (const TGridItem* item : hiddenRows_)
        if (item->Idx == realRow)
            return col < item->Items->Count() ? item->Items->Objects(col) : nullptr;
    return GetRawObject(col, RealToDisplayRow(realRow));
}

// ---------------------------------------------------------------- per-row colours and flags

void TPlusStringGrid::SetRowLook(int row, TColor value, void (*give)(TCellProperties&, TColor),
                                 bool dropEmptyRecords)
{
    if (row < 0 || row >= RowCount())
        return;
    for (int c = TBaseGrid::FixedCols(); c < GetAllColCount(); ++c) {
        if (value != clNone)
            give(*EnsureCellProperties(c, row), value);
        else if (!HasCellProperties(c, row))
            continue;
        else if (dropEmptyRecords && GetCellType(c, row) == ctEmpty && !InMergedRange(c, row))
            ClearCellProperties(c, row);
        else
            give(*CellProperties(c, row), clNone);
    }
    RepaintRow(row);
}

void TPlusStringGrid::SetRowColor(int row, TColor value)
{
    SetRowLook(row, value, [](TCellProperties& p, TColor v) { p.SetBrushColor(v); }, true);
}

void TPlusStringGrid::SetRowColorTo(int row, TColor value)
{
    SetRowLook(row, value, [](TCellProperties& p, TColor v) { p.SetBrushColorTo(v); }, false);
}

void TPlusStringGrid::SetRowFontColor(int row, TColor value)
{
    SetRowLook(row, value, [](TCellProperties& p, TColor v) { p.FontColor = v; }, false);
}

bool TPlusStringGrid::GetReadOnly(int col, int row)
{
    if (!IsValidCell(col, row))
        return false;
    return EnsureCellProperties(col, row)->ReadOnly;
}

void TPlusStringGrid::SetReadOnly(int col, int row, bool value)
{
    if (IsValidCell(col, row))
        EnsureCellProperties(col, row)->ReadOnly = value;
}

void TPlusStringGrid::GetCellAlignment(int col, int row, TAlignment& hAlign, TVAlignment& vAlign)
{
    hAlign = defaultAlignment_;
    vAlign = vAlignment_;
    if (AutoNumAlign) {
        const String text = Trim(GetCellText(col, row));
        const int kind = GetNumberKind(text);
        if (!text.empty() && text != "-" && (kind == nkInteger || kind == nkDecimal || kind == nkExponent))
            hAlign = taRightJustify;
    } else if (const TCellProperties* record = CellProperties(col, row)) {
        hAlign = record->Alignment;
    }
    if (OnGetAlignment)
        OnGetAlignment(this, row, col, hAlign, vAlign);
}

void TPlusStringGrid::GetCellColor(int col, int row, TGridDrawState state, TBrush* brush, TFont* font)
{
    if (activeCellShow_) {
        const int lastFixedCol = TBaseGrid::FixedCols() - 1;
        const int lastFixedRow = TBaseGrid::FixedRows() - 1;
        if ((col == lastFixedCol && row == Row()) || (row == lastFixedRow && col == CurrentRealCol())) {
            font->Assign(activeCellFont_.get());
            brush->Color = activeCellColor_;
        }
    }
    if (const TCellProperties* record = CellProperties(col, row)) {
        const TCellType type = GetCellType(col, row);
        if ((type == ctIcon || type == ctNone || type == ctImageList || type == ctEmpty || type == ctImages ||
             type == ctComment) &&
            record->BrushColor() != clNone)
            brush->Color = record->BrushColor();
        if (record->FontColor != clNone)
            font->Color = record->FontColor;
        if (record->FontStyle != TFontStyles())
            font->Style = record->FontStyle;
        if (record->FontSize != 0 && record->FontSize != 8)
            font->SetSize(record->FontSize);
        if (!record->FontName.empty())
            font->Name = record->FontName;
    }
    if (OnGetCellColor)
        OnGetCellColor(this, row, col, state, brush, font);
}

void TPlusStringGrid::DoGetCellBorder(int col, int row, TPen* pen, TCellBorders& borders)
{
    if (GroupColumn != -1 && col >= 1) {
        if (grouping_->HeaderUnderline && IsNodeRow(row)) {
            borders << cbBottom;
            pen->Color = grouping_->HeaderLineColor;
            pen->Width = grouping_->HeaderLineWidth;
        }
        if (grouping_->SummaryLine && IsSummaryRow(row)) {
            borders << cbTop;
            pen->Color = grouping_->SummaryLineColor;
            pen->Width = grouping_->SummaryLineWidth;
        }
    }
    if (OnGetCellBorder)
        OnGetCellBorder(this, row, col, pen, borders);
}
