// The string grid's per-cell questions (editable, fixed, password, word wrap, editor kind,
// permanent buttons, check texts, format, filter values) and its notification hooks. Each one
// answers from the grid's settings and then lets the application's event change the answer; a
// descendant may override them.
#include "components/grid/PlusGrid.h"

#include "components/grid/CellText.h"
#include "components/grid/HtmlUtils.h"
#include "components/grid/PlusRichEdit.h"
#include "components/grid/TextRoutines.h"

#include <algorithm>

// ---------------------------------------------------------------- cell questions

void TPlusStringGrid::GetCellFormat(int col, int row, TFont* font, TBrush* brush, TColor& colorTo,
                                    TColor& mirrorColor, TColor& mirrorColorTo, TAlignment& alignment,
                                    TVAlignment& vAlignment, bool& wordWrap, TCellGradientDirection& gradientDirection)
{
    TGridDrawState state;
    GetCellColors(col, row, state, false, false, true, brush, colorTo, mirrorColor, mirrorColorTo, font, alignment,
                  vAlignment, wordWrap, gradientDirection);
    // a new cell record keeps no colour that comes from the grid rather than from the cell
    if (IsFixedCell(col, row) || bands_->Active() || backGround_->IsGradient() || state.Contains(gdSelected)) {
        brush->Color = clNone;
        colorTo = clNone;
    }
}

void TPlusStringGrid::DoCanEditCell(int col, int row, bool& canEdit)
{
    if (OnCanEditCell)
        OnCanEditCell(this, row, col, canEdit);
}

bool TPlusStringGrid::CanEditCell(int col, int row)
{
    bool canEdit = true;
    const TPoint base = BaseCellOf(col, row);
    if (const TCellProperties* record = CellProperties(base.X, base.Y)) {
        canEdit = !record->ReadOnly;
        if (!Options().Contains(goEditing) && !AlwaysEditing && !mouseActions_->RangeSelectAndEdit)
            canEdit = false;
    }
    if (base.X < ColCount() + HiddenColCount)
        DoCanEditCell(base.X, base.Y, canEdit);
    else
        canEdit = true;
    return canEdit;
}

bool TPlusStringGrid::CanEditCellAt(int col, int row)
{
    if (!Options().Contains(goEditing) && !mouseActions_->RangeSelectAndEdit && !AlwaysEditing)
        return false;
    return CanEditCellQuery(col, row);
}

bool TPlusStringGrid::CanEditCellQuery(int col, int row)
{
    if (col < 0 || row < 0)
        return false;
    const TPoint base = BaseCellOf(col, row);
    const bool allow = CanEditCell(base.X, base.Y);
    return allow && !DoIsFixedCell(RealColIndex(base.X), base.Y);
}

void TPlusStringGrid::DoSearchFooterAction(const String& value, int col, int row, TSearchAction action)
{
    if (OnSearchFooterAction)
        OnSearchFooterAction(this, value, col, row, action);
}

void TPlusStringGrid::DoButtonClick(int col, int row)
{
    if (OnButtonClick)
        OnButtonClick(this, col, row);
}

void TPlusStringGrid::DoGridHint(int row, int col, WideString& wideHint, String& hint)
{
    if (OnGridHint) {
        OnGridHint(this, row, col, hint);
        officeHint_->Notes()->SetText(hint);
    }
    if (OnGridWideHint) {
        OnGridWideHint(this, row, col, wideHint);
        if (!wideHint.empty())
            hint = EncodeWideCellText(wideHint);
    }
    if (OnOfficeHint)
        OnOfficeHint(this, col, row, officeHint_.get());
}

void TPlusStringGrid::DoGetCellPrintColor(int col, int row, TGridDrawState state, TBrush* brush, TFont* font)
{
    if (OnGetCellPrintColor)
        OnGetCellPrintColor(this, row, col, state, brush, font);
}

void TPlusStringGrid::DoGetCellPrintBorder(int col, int row, TPen* pen, TCellBorders& borders)
{
    if (OnGetCellPrintBorder)
        OnGetCellPrintBorder(this, row, col, pen, borders);
}

void TPlusStringGrid::DoGetAlignment(int col, int row, TAlignment& hAlign, TVAlignment& vAlign)
{
    if (col == 0 && mouseActions_->HotmailRowSelect())
        hAlign = taCenter;
    if (OnGetAlignment)
        OnGetAlignment(this, row, col, hAlign, vAlign);
}

void TPlusStringGrid::DoIsPasswordCell(int col, int row, bool& isPassword)
{
    if (OnIsPasswordCell)
        OnIsPasswordCell(this, row, col, isPassword);
}

bool TPlusStringGrid::IsPasswordCell(int col, int row)
{
    bool isPassword = false;
    DoIsPasswordCell(col, row, isPassword);
    return isPassword;
}

void TPlusStringGrid::DoGetWordWrap(int col, int row, bool& wordWrap)
{
    if (OnGetWordWrap)
        OnGetWordWrap(this, col, row, wordWrap);
}

bool TPlusStringGrid::HasComboBox(int col, int row)
{
    if (OnHasComboBox) {
        bool has = false;
        OnHasComboBox(this, col, row, has);
        return has;
    }
    if (!DropDownAlwaysVisible)
        return false;
    TEditorType editor = DefaultEditor;
    GetEditorType(col, row, editor);
    return editor == edComboEdit || editor == edComboList || editor == edUniComboEdit || editor == edUniComboList;
}

bool TPlusStringGrid::HasSpinEdit(int col, int row)
{
    if (OnHasSpinEdit) {
        bool has = false;
        OnHasSpinEdit(this, col, row, has);
        return has;
    }
    if (!DropDownAlwaysVisible || IsFixedCell(RealToDisplayColumn(col), row))
        return false;
    TEditorType editor = DefaultEditor;
    QueryEditorType(col, row, editor);
    return editor == edSpinEdit || editor == edFloatSpinEdit || editor == edTimeSpinEdit || editor == edDateSpinEdit;
}

namespace {

// A value with a blank inside is offered by its text and filtered on the quoted text.
// A value as the filter list holds it: a value with a blank is matched as a quoted phrase.
String FilterListEntry(const String& text)
{
    return text.find(' ') != String::npos ? text + "=\"" + text + "\"" : text;
}

} // namespace

bool TPlusStringGrid::BuildColumnFilterList(int col)
{
    filterValues_->Clear();
    if (filterDropDownAuto_ && col >= FixedCols()) {
        // the column's distinct values in order, the first of values equal but for case kept:
        // one sort of them all, so that a column of a million different values lists at once
        std::vector<String> values;
        values.reserve(size_t(std::max(0, RowCount() - fixedFooters_ - FixedRows())) + hiddenRows_.size());
        for (int r = FixedRows(); r <= RowCount() - fixedFooters_ - 1; ++r)
            values.push_back(FilterListEntry(Trim(GetCellText(col, r))));
        for (const TGridItem* item : hiddenRows_)
            values.push_back(
                FilterListEntry(col >= 0 && col < item->Items->Count() ? item->Items->Strings(col) : String()));
        const bool matchCase = filterValues_->CaseSensitive;
        auto compare = [matchCase](const String& a, const String& b) {
            return matchCase ? CompareStr(a, b) : CompareText(a, b);
        };
        std::stable_sort(values.begin(), values.end(),
                         [&](const String& a, const String& b) { return compare(a, b) < 0; });
        values.erase(std::unique(values.begin(), values.end(),
                                 [&](const String& a, const String& b) { return compare(a, b) == 0; }),
                     values.end());
        filterValues_->SetSorted(false);
        filterValues_->SetCapacity(int(values.size()) + 1);
        if (!FilterDropDownClear.empty())
            filterValues_->Add(FilterDropDownClear);
        for (const String& v : values)
            filterValues_->Add(v);
    }
    if (OnGetColumnFilter)
        OnGetColumnFilter(this, col, filterValues_.get());
    return filterValues_->Count() > 0;
}

// ---------------------------------------------------------------- date picker editors

void TPlusStringGrid::DateTimePickerChange(TDateTime dateTime)
{
    if (OnDateTimeChange)
        OnDateTimeChange(this, Col(), Row(), dateTime);
}

void TPlusStringGrid::DatePickerChange(bool showsTime, TDateTime value)
{
    if (OnEditChange)
        OnEditChange(this, Col(), Row(), showsTime ? TimeToStr(value) : DateToStr(value));
}

bool TPlusStringGrid::DatePickerCloseUp()
{
    if (OnDatePickerCloseUp)
        OnDatePickerCloseUp(this, Row(), Col());
    return mouseActions_->DirectDateClose;
}

void TPlusStringGrid::DatePickerDropDown()
{
    if (OnDatePickerDropDown)
        OnDatePickerDropDown(this, Row(), Col());
}

// ---------------------------------------------------------------- notifications

void TPlusStringGrid::SelectionChanged(int left, int top, int right, int bottom)
{
    if (Look() == glVista || Look() == glWin7 || Look() == glOffice2007) {
        const TGridRect s = Selection();
        InvalidateCellRect(s.Left, s.Top, s.Right, s.Bottom);
    }
    if (SelectionRectangle())
        Invalidate();
    if (OnSelectionChanged)
        OnSelectionChanged(this, left, top, right, bottom);
}

void TPlusStringGrid::AutoInsertRow(int row)
{
    if (NodeCount <= 0)
        InsertRows(row, 1, true);
    else if (GetParentNode(RealToDisplayRow(row)) == -1)
        InsertRowOutsideNodes(row);
    else
        InsertRowInNode(row, 0);
}

void TPlusStringGrid::AutoDeleteRow(int row)
{
    if (NodeCount > 0 && GetParentNode(row) == -1)
        RemoveRowOutsideNodes(row);
    else if (NodeCount > 0)
        RemoveRowInNode(row);
    else if (RowCount() - FixedRows() - fixedFooters_ == 1 && !FixedRowAlways)
        ClearRows(row, 1);
    else
        RemoveRows(row, 1);
    if (OnAutoDeleteRow)
        OnAutoDeleteRow(this, row);
}

void TPlusStringGrid::FilterDone()
{
    if (OnFilterDone)
        OnFilterDone(this);
}

void TPlusStringGrid::GetCalcCellText(int col, int row, String& text)
{
    text = GetCellText(col, row);
}

String TPlusStringGrid::GetFormattedCellText(int col, int row)
{
    if (col < 0 || row < 0)
        return String();
    String text = GetCellText(col, row);
    if (IsPasswordCell(col, row))
        text = String(text.size(), PasswordChar);
    return text;
}

void TPlusStringGrid::SaveCellText(int col, int row, String& text)
{
    text = ExportDisplayText ? GetFormattedCellText(col, row) : GetRawCell(col, row);
    if (text.empty() && GetCellType(col, row) == ctCheckBox) {
        text = GetCheckBoxState(col, DisplayToRealRow(row)) ? GetCheckTrue(col, row) : GetCheckFalse(col, row);
    }
    switch (GetCellTextKind(text, true)) {
    case ctkHtml:
        if (!ExportHTMLTags)
            text = HtmlToPlainText(text);
        break;
    case ctkRtf:
        if (ExportRTFLineBreaksOnly) {
            String plain;
            for (char c : text)
                if (c != '\r' && c != '\n')
                    plain += c;
            text = plain;
        } else {
            LoadRichEditFromCell(col, row, GetRichEditRenderer());
            text = GetRichEditRenderer()->Text();
        }
        break;
    default:
        break;
    }
    if (OnSaveCell)
        OnSaveCell(this, col, row, text);
}
