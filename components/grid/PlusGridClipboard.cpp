// The string grid and the system clipboard: copy, cut and paste of cell rectangles as TAB text,
// rich text and the binary cell stream, and the smart fill of a selection after a paste.
#include "components/grid/PlusGrid.h"

#include "components/grid/CellText.h"
#include "components/grid/HtmlUtils.h"
#include "components/grid/PlusGridUndoRedo.h"
#include "components/grid/TextRoutines.h"

#include "platform/framework/Clipbrd.h"
#include "platform/win/WinClipboard.h"

#include <algorithm>
#include <cstring>

namespace {

const char kRtfFormatName[] = "Rich Text Format";
const char kCellsFormatName[] = "TPlusStringGrid Cells";

bool Holds(const String& text, const char* part) { return text.find(part) != String::npos; }

bool IsCheckType(TCellType type) { return type == ctCheckBox || type == ctDataCheckBox; }

// Puts a copy of bytes (and a zero when asked) on the open clipboard under the format; the
// block is freed when the clipboard does not take it.
void PutBlock(UINT format, const char* bytes, size_t size, bool zero, UINT flags)
{
    HGLOBAL block = GlobalAlloc(flags, size + (zero ? 1 : 0));
    if (!block)
        return;
    auto* p = static_cast<char*>(GlobalLock(block));
    if (size)
        std::memcpy(p, bytes, size);
    if (zero)
        p[size] = '\0';
    GlobalUnlock(block);
    if (!SetClipboardData(format, block))
        GlobalFree(block);
}

// The bytes of a clipboard block up to its first zero byte (the whole block without one).
String BlockText(HGLOBAL block)
{
    const char* p = static_cast<const char*>(GlobalLock(block));
    if (!p)
        return String();
    const size_t size = GlobalSize(block);
    const size_t n = strnlen(p, size);
    String text(p, n);
    GlobalUnlock(block);
    return text;
}

// Splits clipboard text into rows: CR LF, LF and CR each end a row (programs differ in what they
// write), except inside a quoted field: a field that starts with a quote and whose closing quote
// (one followed by a TAB, a line break or the end) comes before the next TAB keeps its line
// breaks. The searches only go forward, so splitting a whole text costs its length.
class ClipboardRowSplitter {
public:
    explicit ClipboardRowSplitter(const String& text) : text_(text) {}

    // The end of the row that starts at `pos`; `next` is where the following row starts, npos
    // when the row ends the text without a line break.
    size_t RowEnd(size_t pos, size_t& next)
    {
        bool fieldStart = true;
        size_t i = pos;
        while (i < text_.size()) {
            const char c = text_[i];
            if (fieldStart && c == '"') {
                const size_t close = ClosingQuote(i + 1);
                if (close != String::npos && close < NextTab(i)) {
                    i = close + 1;
                    fieldStart = false;
                    continue;
                }
            }
            if (c == '\r' || c == '\n') {
                next = i + 1;
                if (c == '\r' && next < text_.size() && text_[next] == '\n')
                    ++next;
                return i;
            }
            fieldStart = c == '\t';
            ++i;
        }
        next = String::npos;
        return text_.size();
    }

private:
    size_t ClosingQuote(size_t from)
    {
        if (quoteSearched_ && (quote_ == String::npos || from <= quote_))
            return quote_;
        quoteSearched_ = true;
        for (quote_ = text_.find('"', from); quote_ != String::npos; quote_ = text_.find('"', quote_ + 1)) {
            const size_t after = quote_ + 1;
            if (after == text_.size() || text_[after] == '\t' || text_[after] == '\r' || text_[after] == '\n')
                break;
        }
        return quote_;
    }
    size_t NextTab(size_t from)
    {
        if (tabSearched_ && (tab_ == String::npos || from <= tab_))
            return tab_;
        tabSearched_ = true;
        tab_ = text_.find('\t', from);
        return tab_;
    }

    const String& text_;
    bool quoteSearched_ = false, tabSearched_ = false;
    size_t quote_ = 0, tab_ = 0;
};

} // namespace


String TPlusStringGrid::GetCellPlainText(int col, int row)
{
    return HtmlToPlainText(GetCellText(col, row));
}

// ---------------------------------------------------------------- copy

String TPlusStringGrid::CellRectAsText(const TGridRect& rect, bool disjunct)
{
    const TMouseActions& ma = *mouseActions_;
    String out;
    for (int r = rect.Top; r <= rect.Bottom; ++r) {
        NotifyProgress(1, r);
        if (disjunct && ma.DisjunctRowSelect() && !ma.DisjunctColSelect() &&
            !GetRowSelected(ma.RowSelectPersistent ? DisplayToRealRow(r) : r))
            continue;
        for (int c = rect.Left; c <= rect.Right; ++c) {
            if (disjunct && ma.DisjunctColSelect() && !GetColSelected(c))
                continue;
            String v;
            SaveCellText(DisplayToRealColumn(c), r, v);
            if (v.size() >= 2 && v[0] == '|' && v[1] == '\\')
                v = WideToString(DecodeWideCellText(v));
            if (Holds(v, "\r"))
                v = "\"" + CRToLF(v) + "\"";
            if (!navigation_->CopyHTMLTagsToClipboard && (Holds(v, "</") || Holds(v, "<B") || Holds(v, "<I")))
                v = GetCellPlainText(DisplayToRealColumn(c), r);
            else if (Holds(v, "{\\"))
                v = RichTextToPlainText(GetCellText(DisplayToRealColumn(c), r));
            if (Multilinecells && Holds(v, "\r") && ClipboardQuoteMultiLine)
                QuoteMultiLineText(v);
            out += v;
            if (c < rect.Right)
                out += '\t';
        }
        if (rect.Top < rect.Bottom)
            out += "\r\n";
    }
    return out;
}

void TPlusStringGrid::CopyCellRectToClipboard(const TGridRect& rect, bool disjunct)
{
    ClipboardOrigin = TPoint(rect.Left, rect.Top);
    NotifyProgress(0, -1);
    Clipboard()->SetAsText(CellRectAsText(rect, disjunct));
    if (navigation_->AllowRTFClipboard)
        CopyCellRTFToClipboard(rect.Left, rect.Top);
    if (navigation_->AllowFmtClipboard)
        CopyCellStreamToClipboard(rect);
    NotifyProgress(2, -1);
}

void TPlusStringGrid::CopyCellRTFToClipboard(int col, int row)
{
    const String text = GetCellText(col, row);
    if (!Holds(text, "{\\"))
        return;
    if (!OpenClipboard(Handle()))
        return;
    PutBlock(RegisterClipboardFormat(kRtfFormatName), text.data(), text.size(), true, GMEM_MOVEABLE);
    CloseClipboard();
}

void TPlusStringGrid::CopyCellStreamToClipboard(const TGridRect& rect)
{
    TMemoryStream stream;
    WriteBinaryCellStream(TRect(rect.Left, rect.Top, rect.Right, rect.Bottom), &stream);
    if (!OpenClipboard(Handle()))
        return;
    PutBlock(RegisterClipboardFormat(kCellsFormatName), stream.Bytes().data(), stream.Bytes().size(), false,
             GMEM_MOVEABLE | GMEM_DDESHARE);
    CloseClipboard();
}

void TPlusStringGrid::ExpandSelectionToMergedCells()
{
    TGridRect s = Selection();
    const TGridRect old = s;
    if (InMergedRange(s.Left, s.Top)) {
        const TPoint base = BaseCellOf(s.Left, s.Top);
        s.Left = std::min(s.Left, base.X);
        s.Top = std::min(s.Top, base.Y);
    }
    if (InMergedRange(s.Right, s.Bottom)) {
        const TPoint base = BaseCellOf(s.Right, s.Bottom);
        const TPoint span = MergeSpanOf(s.Right, s.Bottom);
        s.Right = std::max(s.Right, base.X + span.X);
        s.Bottom = std::max(s.Bottom, base.Y + span.Y);
    }
    if (!(s == old))
        SetSelection(s);
}

namespace {

TGridRect GridRect(int left, int top, int right, int bottom)
{
    TGridRect r;
    r.Left = left;
    r.Top = top;
    r.Right = right;
    r.Bottom = bottom;
    return r;
}

} // namespace

void TPlusStringGrid::CopySelectionToClipboard()
{
    ExpandSelectionToMergedCells();
    const TMouseActions& ma = *mouseActions_;
    if (ma.DisjunctRowSelect()) {
        if (navigation_->AllowFmtClipboard)
            CopyCellRectToClipboard(Selection(), false);
        else
            CopyCellRectToClipboard(GridRect(TBaseGrid::FixedCols(), SaveFixedCells ? 0 : TBaseGrid::FixedRows(),
                                             ColCount() - fixedRightCols_ - 1,
                                             RowCount() - (SaveFixedCells ? 0 : fixedFooters_) - 1),
                                    true);
    } else if (ma.DisjunctColSelect() && !navigation_->AllowFmtClipboard) {
        CopyCellRectToClipboard(SaveFixedCells
                                    ? GridRect(0, 0, ColCount() - 1, RowCount() - 1)
                                    : GridRect(TBaseGrid::FixedCols(), TBaseGrid::FixedRows(),
                                               ColCount() - fixedRightCols_ - 1, RowCount() - fixedFooters_ - 1),
                                true);
    } else {
        CopyCellRectToClipboard(Selection(), false);
    }
    LastCopyWasCopy = true;
}

void TPlusStringGrid::CopyWholeGridToClipboard()
{
    if (SaveFixedCells)
        CopyCellRectToClipboard(GridRect(0, 0, ColCount() - 1, RowCount() - 1), false);
    else
        CopyCellRectToClipboard(GridRect(TBaseGrid::FixedCols(), TBaseGrid::FixedRows(),
                                         ColCount() - fixedRightCols_ - 1, RowCount() - fixedFooters_ - 1),
                                false);
    LastCopyWasCopy = true;
}

void TPlusStringGrid::CutSelectionToClipboard()
{
    const TGridRect r = Selection();
    CopySelectionToClipboard();
    const TMouseActions& ma = *mouseActions_;
    if (ma.DisjunctRowSelect()) {
        for (int row = TBaseGrid::FixedRows(); row < RowCount(); ++row)
            if (GetRowSelected(ma.RowSelectPersistent ? DisplayToRealRow(row) : row)) {
                ClearRows(row, 1);
                if (ShowModified()->Enabled)
                    SetRowModified(row, true);
            }
    } else if (ma.DisjunctColSelect()) {
        for (int col = TBaseGrid::FixedCols(); col < ColCount(); ++col)
            if (GetColSelected(col))
                ClearCols(col, 1);
    } else {
        const TGridRect s = Selection();
        TPlusGridUndoRedo* undo = UndoRedo();
        if (undo)
            undo->BeginSequence();
        for (int c = s.Left; c <= s.Right; ++c)
            for (int row = s.Top; row <= s.Bottom; ++row) {
                const int real = DisplayToRealColumn(c);
                if (CanEditCell(real, row) || navigation_->AllowClipboardAlways) {
                    if (undo)
                        undo->AddChange(real, row, GetCellText(real, row), "");
                    SetCellText(real, row, "");
                }
            }
        if (ShowModified()->Enabled)
            for (int row = s.Top; row <= s.Bottom; ++row)
                SetRowModified(row, true);
        if (undo)
            undo->EndSequence();
        if (navigation_->AllowFmtClipboard)
            ClearCellPropertiesRange(s.Left, s.Top, s.Right, s.Bottom);
    }
    LastCopyWasCopy = false;
    if (OnCellsChanged)
        OnCellsChanged(this, TRect(r.Left, r.Top, r.Right, r.Bottom));
    if (HiddenColCount > 0)
        Invalidate();
}

// ---------------------------------------------------------------- paste

bool TPlusStringGrid::CanPasteCellStream()
{
    return navigation_->AllowFmtClipboard;
}

void TPlusStringGrid::CellsPasted(TPoint, const TGridRect& target, bool)
{
    if (ShowModified()->Enabled)
        for (int r = target.Top; r <= target.Bottom; ++r)
            SetRowModified(r, true);
}

void TPlusStringGrid::SetPastedCellText(int col, int row, const String& text)
{
    const int real = DisplayToRealColumn(col);
    if (TPlusGridUndoRedo* undo = UndoRedo())
        undo->AddChange(col, row, GetCellText(real, row), text);
    if (IsCheckType(GetCellType(real, row)))
        SetCheckBoxState(real, row, text == CheckTrueText);
    else
        SetCellText(real, row, text);
    if (real != col)
        RepaintCell(col, row);
}

int TPlusStringGrid::PasteClipboardAtCell(int col, int row, int& rows, int& cols)
{
    pasteEndedWithRowBreak_ = false;
    rows = 0;
    cols = 0;
    const UINT cellsFormat = RegisterClipboardFormat(kCellsFormatName);
    if (CanPasteCellStream() && IsClipboardFormatAvailable(cellsFormat)) {
        if (!OpenClipboard(Handle()))
            return 0;
        BeginPaste();
        TMemoryStream stream;
        HGLOBAL block = GetClipboardData(cellsFormat);
        const void* p = block ? GlobalLock(block) : nullptr;
        if (p) {
            stream.WriteBuffer(p, long(GlobalSize(block)));
            GlobalUnlock(block);
        }
        CloseClipboard();
        int result = 0;
        try {
            stream.Seek(0, soFromBeginning);
            int headerCols = 0, headerRows = 0;
            int32_t id = 0;
            if (!ReadBinaryCellStreamHeader(&stream, headerCols, headerRows, id)) {
                EndPaste();
                return 0;
            }
            const TNavigation& nav = *navigation_;
            if (nav.AllowClipboardRowGrow || nav.AllowClipboardColGrow || nav.ClipboardPasteAction == paInsert) {
                if (headerCols + col >= ColCount() && nav.AllowClipboardColGrow)
                    SetColCount(headerCols + col);
                if (headerRows + row >= RowCount() && nav.AllowClipboardRowGrow)
                    SetRowCount(headerRows + row);
                cols = ColCount();
                rows = RowCount();
                if (nav.ClipboardPasteAction == paInsert)
                    InsertRows(row, headerRows);
            }
            stream.Seek(0, soFromBeginning);
            ReadBinaryCellStream(&stream, TPoint(col, row));
            CellsPasted(id == StreamID() ? ClipboardOrigin : TPoint(-1, -1),
                        GridRect(col, row, col + headerCols - 1, row + headerRows - 1), LastCopyWasCopy);
            result = headerCols * headerRows;
        } catch (...) {
            EndPaste();
            throw;
        }
        EndPaste();
        return result;
    }
    const UINT rtfFormat = RegisterClipboardFormat(kRtfFormatName);
    if (navigation_->AllowRTFClipboard && IsClipboardFormatAvailable(rtfFormat)) {
        if (!OpenClipboard(Handle()))
            return 0;
        HGLOBAL block = GetClipboardData(rtfFormat);
        const String text = block ? BlockText(block) : String();
        CloseClipboard();
        if (!block)
            return 0;
        if (CanEditCell(DisplayToRealColumn(col), row))
            SetPastedCellText(col, row, text);
        rows = 1;
        cols = 1;
        return 0;
    }
    if (IsClipboardFormatAvailable(CF_TEXT)) {
        if (!OpenClipboard(Handle()))
            return 0;
        HGLOBAL block = GetClipboardData(CF_TEXT);
        const String text = block ? BlockText(block) : String();
        CloseClipboard();
        if (!block)
            return 0;
        return PasteTextAtCell(col, row, rows, cols, text);
    }
    return 0;
}

int TPlusStringGrid::PasteTextAtCell(int col, int row, int& rows, int& cols, const String& source)
{
    rows = 0;
    cols = 0;
    const TNavigation& nav = *navigation_;
    if (col < 0 || row < 0 ||
        !(Options().Contains(goEditing) || nav.AllowClipboardAlways || mouseActions_->RangeSelectAndEdit))
        return 0;
    const String text = source.substr(0, strnlen(source.c_str(), source.size()));
    int i = row, j = col, n = 0;
    int maxCol = col, maxRow = row;
    TPlusGridUndoRedo* undo = UndoRedo();
    if (undo)
        undo->BeginSequence();

    auto unquote = [](String& field) {
        if (field.find('\n') == String::npos)
            return;
        if (!field.empty() && field.front() == '"')
            field.erase(0, 1);
        const size_t q = field.find('"');
        if (q != String::npos && q + 1 == field.size())
            field.erase(q, 1);
        VTabToLineBreaks(field);
    };
    auto taken = [&](int jj, int ii) {
        if (ii >= RowCount())
            return false;
        if (jj > ColCount() || (jj == ColCount() && !nav.AllowClipboardColGrow))
            return false;
        if (jj == ColCount())
            SetColCount(jj + 1);
        return CanEditCell(DisplayToRealColumn(jj), ii) || nav.AllowClipboardAlways;
    };
    auto write = [&](int jj, int ii, String field) {
        bool allow = true;
        const bool wide = field.size() >= 2 && field[0] == '|' && field[1] == '\\';
        WideString wvalue;
        if (wide) {
            wvalue = DecodeWideCellText(field);
            if (OnClipboardBeforePasteWideCell)
                OnClipboardBeforePasteWideCell(this, jj, ii, wvalue, allow);
            field = EncodeWideCellText(wvalue);
        } else if (OnClipboardBeforePasteCell) {
            OnClipboardBeforePasteCell(this, jj, ii, field, allow);
        }
        if (!allow)
            return;
        SetPastedCellText(jj, ii, field);
        maxCol = std::max(maxCol, jj);
        maxRow = std::max(maxRow, ii);
        if (wide && OnClipboardAfterPasteWideCell)
            OnClipboardAfterPasteWideCell(this, jj, ii, wvalue);
        else if (!wide && OnClipboardAfterPasteCell)
            OnClipboardAfterPasteCell(this, jj, ii, field);
    };

    // every line up to a row end is a row; the empty remainder after a final line break is a
    // line of its own whose one (empty) field is counted but not written
    ClipboardRowSplitter rowsOf(text);
    size_t pos = 0;
    for (;;) {
        size_t next;
        const size_t end = rowsOf.RowEnd(pos, next);
        const bool hadBreak = next != String::npos;
        const String line = text.substr(pos, end - pos);
        const bool emptyRemainder = !hadBreak && line.empty();
        pasteEndedWithRowBreak_ = emptyRemainder;
        ++rows;
        NotifyPaste(3, i);
        if (!line.empty() && nav.ClipboardPasteAction == paInsert)
            InsertRows(i, 1);
        cols = 1;
        size_t fpos = 0;
        for (;;) {
            const size_t tab = line.find('\t', fpos);
            if (tab == String::npos)
                break;
            ++cols;
            String field = line.substr(fpos, tab - fpos);
            unquote(field);
            if (taken(j, i))
                write(j, i, field);
            ++n;
            ++j;
            if (ColCount() < j && nav.AllowClipboardColGrow)
                SetColCount(j);
            fpos = tab + 1;
        }
        String last = line.substr(fpos);
        unquote(last);
        const bool lastTaken = !emptyRemainder && taken(j, i);
        if (lastTaken)
            write(j, i, last);
        ++n;
        if (lastTaken)
            ++j;
        if (ColCount() < j && nav.AllowClipboardColGrow)
            SetColCount(j);
        if (!hadBreak)
            break;
        pos = next;
        j = col;
        const bool remains = pos < text.size();
        if (remains)
            ++i;
        if (i == RowCount() && remains && nav.AllowClipboardRowGrow)
            SetRowCount(RowCount() + 1);
    }
    if (undo)
        undo->EndSequence();
    CellsPasted(ClipboardOrigin, GridRect(col, row, maxCol, maxRow), LastCopyWasCopy);
    CellsChanged(TRect(DisplayToRealColumn(col), row, DisplayToRealColumn(maxCol), maxRow));
    return n;
}

void TPlusStringGrid::MeasureClipboardText(const String& text, int& cols, int& rows)
{
    cols = 0;
    rows = 0;
    int nonEmpty = 0;
    ClipboardRowSplitter rowsOf(text);
    size_t pos = 0;
    while (pos < text.size()) {
        size_t next;
        const size_t end = rowsOf.RowEnd(pos, next);
        const String line = text.substr(pos, end - pos);
        cols = std::max(cols, 1 + int(std::count(line.begin(), line.end(), '\t')));
        if (!line.empty())
            ++nonEmpty;
        pos = next == String::npos ? text.size() : next;
    }
    rows = nonEmpty - 1;
}

// ---------------------------------------------------------------- paste with smart fill

bool TPlusStringGrid::SmartPasteChangeable(int c, int r, bool always)
{
    return CanEditCell(DisplayToRealColumn(c), r) || (always && navigation_->AllowClipboardAlways);
}

void TPlusStringGrid::SmartPasteFillCell(const TGridRect& s, int c, int r, String value, bool eventsAlways)
{
    const bool topLeft = c == s.Left && r == s.Top;
    bool allow = true;
    if (!topLeft && OnClipboardBeforePasteCell)
        OnClipboardBeforePasteCell(this, c, r, value, allow);
    if (allow)
        SetPastedCellText(c, r, value);
    if (allow || eventsAlways) {
        CellsPasted(ClipboardOrigin, GridRect(c, r, c, r), true);
        if (!topLeft && OnClipboardAfterPasteCell)
            OnClipboardAfterPasteCell(this, c, r, value);
    }
}

void TPlusStringGrid::SmartPasteOneValue(const TGridRect& s)
{
    const int real = DisplayToRealColumn(s.Left);
    String value = GetCellText(real, s.Top);
    if (IsCheckType(GetCellType(real, s.Top)))
        value = GetCheckBoxState(real, s.Top) ? CheckTrueText : CheckFalseText;
    for (int c = s.Left; c <= s.Right; ++c)
        for (int r = s.Top; r <= s.Bottom; ++r)
            if (SmartPasteChangeable(c, r, true))
                SmartPasteFillCell(s, c, r, value, true);
}

void TPlusStringGrid::SmartPasteRepeat(const TGridRect& s, int n, bool down)
{
    const int first = down ? s.Top : s.Left;
    const int last = down ? s.Bottom : s.Right;
    for (int i = first + n; i <= last; ++i) {
        const int c = down ? s.Left : i;
        const int r = down ? i : s.Top;
        if (!SmartPasteChangeable(c, r, false))
            continue;
        String value = down ? GetCellText(DisplayToRealColumn(s.Left), r - n)
                            : GetCellText(DisplayToRealColumn(c - n), s.Top);
        bool allow = true;
        if (i != first && OnClipboardBeforePasteCell)
            OnClipboardBeforePasteCell(this, c, r, value, allow);
        if (allow) {
            SetPastedCellText(c, r, value);
            if (i != first && OnClipboardAfterPasteCell)
                OnClipboardAfterPasteCell(this, c, r, value);
        }
    }
    CellsPasted(TPoint(s.Left, s.Top),
                down ? GridRect(s.Left, s.Top + n, s.Left, s.Bottom) : GridRect(s.Left + n, s.Top, s.Right, s.Top),
                true);
}

void TPlusStringGrid::SmartPasteSeries(const TGridRect& s, int n)
{
    const bool singleCol = s.Left == s.Right;
    const bool singleRow = s.Top == s.Bottom;
    auto textAt = [&](int c, int r) { return GetCellText(DisplayToRealColumn(c), r); };
    const String t1 = textAt(s.Left, s.Top);
    const String t2 = singleRow ? textAt(s.Left + 1, s.Top) : textAt(s.Left, s.Top + 1);
    const TFormatSettings& fs = FormatSettings();
    auto dateLike = [&](const String& t) { return LooksLikeDate(t) || t.find(fs.TimeSeparator) != String::npos; };
    try {
        if (dateLike(t1) && dateLike(t2)) {
            TDateTime d = StrToDateTime(t1);
            const TDateTime d2 = StrToDateTime(t2);
            const double step = d2 - d;
            int y1, m1, dd1, y2, m2, dd2;
            DecodeDate(d, y1, m1, dd1);
            DecodeDate(d2, y2, m2, dd2);
            const bool asDate = t1.find(fs.DateSeparator) != String::npos;
            for (int c = s.Left; c <= s.Right; ++c)
                for (int r = s.Top; r <= s.Bottom; ++r) {
                    if (SmartPasteChangeable(c, r, false))
                        SmartPasteFillCell(s, c, r, asDate ? DateToStr(d) : TimeToStr(d), true);
                    d = AddDateStep(int16_t(y2 - y1), int16_t(m2 - m1), int16_t(dd2 - dd1), d, step);
                }
        } else if (t1.find(fs.DecimalSeparator) != String::npos || t2.find(fs.DecimalSeparator) != String::npos) {
            double f = StrToFloat(t1);
            const double step = StrToFloat(t2) - f;
            for (int c = s.Left; c <= s.Right; ++c)
                for (int r = s.Top; r <= s.Bottom; ++r) {
                    if (SmartPasteChangeable(c, r, false))
                        SmartPasteFillCell(s, c, r, FormatFloatValue(f), false);
                    f += step;
                }
        } else {
            int v1 = 0, v2 = 0;
            if (TryStrToInt(t1, v1) && TryStrToInt(t2, v2)) {
                int64_t v = v1;
                const int64_t step = int64_t(v2) - v1;
                for (int c = s.Left; c <= s.Right; ++c)
                    for (int r = s.Top; r <= s.Bottom; ++r) {
                        if (SmartPasteChangeable(c, r, false))
                            SmartPasteFillCell(s, c, r, std::to_string(v), false);
                        v += step;
                    }
            } else {
                SmartPasteRepeat(s, n, singleCol);
            }
        }
    } catch (const EConvertError&) {
        // a series whose texts do not convert ends here; the cells written stay
    }
}

void TPlusStringGrid::PasteFromClipboard()
{
    NotifyPaste(0, -1);
    ExpandSelectionToMergedCells();
    const TGridRect s = Selection();
    int rows = 0, cols = 0;
    const int n = PasteClipboardAtCell(Options().Contains(goRowSelect) ? TBaseGrid::FixedCols() : s.Left, s.Top,
                                       rows, cols);
    const int cells = (s.Right - s.Left + 1) * (s.Bottom - s.Top + 1);
    // the cells the paste wrote: a text ending in a row break counts the empty field after it
    const int pasted = n - (pasteEndedWithRowBreak_ ? 1 : 0);
    auto finish = [&] {
        NotifyPaste(2, -1);
        CellsChanged(TRect(s.Left, s.Top, s.Right, s.Bottom));
    };
    if (!navigation_->AllowSmartClipboard || pasted == cells) {
        finish();
        return;
    }
    BeginPaste();
    try {
        const bool singleCol = s.Left == s.Right;
        const bool singleRow = s.Top == s.Bottom;
        if (pasted == 1 && cells > 1)
            SmartPasteOneValue(s);
        else if (pasted > 1 && (singleCol || singleRow) && cells > 1)
            SmartPasteSeries(s, pasted);
    } catch (...) {
        EndPaste();
        throw;
    }
    EndPaste();
    const bool block = s.Right > s.Left && s.Bottom > s.Top;
    if (block && rows == 1) {
        for (int r = s.Top + 1; r <= s.Bottom; ++r) {
            SetRow(r);
            int rr = 0, cc = 0;
            PasteClipboardAtCell(s.Left, r, rr, cc);
        }
        SetSelection(s);
    } else if (block && cols == 1) {
        for (int c = s.Left + 1; c <= s.Right; ++c) {
            SetCol(c);
            int rr = 0, cc = 0;
            PasteClipboardAtCell(c, s.Top, rr, cc);
        }
        SetSelection(s);
    }
    finish();
}
