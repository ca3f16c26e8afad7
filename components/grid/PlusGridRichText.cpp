// Rich-text cells of the string grid: the hidden renderer and the rich-text editor, loading a
// cell into either and taking the rich text back, and drawing a rich-text cell.
#include "components/grid/PlusGrid.h"
#include "components/grid/PlusRichEdit.h"

#include "platform/rtl/Classes.h"

#include <cmath>

TPlusRichEdit* TPlusStringGrid::GetRichEditRenderer()
{
    if (!richEditRenderer_) {
        richEditRenderer_ = new TPlusRichEdit(this);
        richEditRenderer_->SetVisible(false);
        richEditRenderer_->SetBorderStyle(bsNone);
        richEditRenderer_->SetParent(this);
        richEditRenderer_->SetBounds(0, 0, 0, 0);
        richEditRenderer_->HandleNeeded();
        SetWindowTransparentStyle(richEditRenderer_->Handle());
    }
    return richEditRenderer_;
}

TPlusRichEdit* TPlusStringGrid::GetRichEditEditor()
{
    if (!richEditEditor_) {
        richEditEditor_ = new TPlusRichEdit(this);
        richEditEditor_->SetVisible(false);
        richEditEditor_->SetEnabled(false);
        richEditEditor_->SetParent(this);
        richEditEditor_->OnSelectionChange = [this](TObject* sender) { RichEditSelectionChange(sender); };
    }
    return richEditEditor_;
}

void TPlusStringGrid::RichEditSelectionChange(TObject*)
{
    if (OnRichEditSelectionChange)
        OnRichEditSelectionChange(this);
}

namespace {

void LoadRichText(TPlusRichEdit* edit, const String& text)
{
    if (text.empty()) {
        edit->Clear();
    } else {
        TMemoryStream stream;
        stream.WriteBuffer(text.data(), long(text.size()));
        stream.SetPosition(0);
        edit->Lines()->LoadFromStream(stream);
    }
    edit->Perform(EM_SETMODIFY, 0, 0);
}

} // namespace

void TPlusStringGrid::LoadRichEditFromCell(int ACol, int ARow, TPlusRichEdit* RichEdit)
{
    if (!RichEdit)
        return;
    const TPoint base = BaseCellOf(ACol, ARow);
    LoadRichText(RichEdit, GetCellText(base.X, base.Y));
}

void TPlusStringGrid::RichEditToCellText(TPlusRichEdit* RichEdit, String& Text)
{
    Text.clear();
    if (!RichEdit)
        return;
    TMemoryStream stream;
    RichEdit->Lines()->SaveToStream(stream);
    const int64_t size = stream.Size();
    if (size <= 0)
        return;
    Text.resize(size_t(size));
    stream.SetPosition(0);
    stream.ReadBuffer(Text.data(), long(size));
}

String TPlusStringGrid::RichTextToPlainText(const String& text)
{
    TPlusRichEdit* renderer = GetRichEditRenderer();
    LoadRichText(renderer, text);
    return renderer->Text();
}

void TPlusStringGrid::DrawRichTextCell(int ACol, int ARow, TCanvas* ACanvas, TRect R)
{
    if (HasState(csDesigning) || !ACanvas)
        return;
    TPlusRichEdit* renderer = GetRichEditRenderer();
    LoadRichEditFromCell(ACol, ARow, renderer);
    // selected text takes the selection's text colour unless the cell keeps its own colours
    const int displayCol = RealToDisplayColumn(ACol);
    const bool focusedCell = displayCol == Col() && ARow == Row() && HasFocusForDrawing();
    const bool selected = IsCellSelected(displayCol, ARow) &&
                          !(focusedCell && !Options().Contains(goDrawFocusSelected));
    if (selected && !SelectionRTFKeep) {
        renderer->SelectAll();
        if (SelectionTextColor() != clNone)
            renderer->SelAttributes()->SetColor(SelectionTextColor());
    }
    ACanvas->RequiredState();
    HDC dc = ACanvas->Handle();
    const int dpiX = GetDeviceCaps(dc, LOGPIXELSX), dpiY = GetDeviceCaps(dc, LOGPIXELSY);
    const int dx = XYOffset.X * dpiX / 96, dy = XYOffset.Y * dpiY / 96;
    auto twips = [](int pixels, int dpi) { return LONG(std::lround(double(pixels) / dpi * 1440.0)); };
    FORMATRANGE range;
    range.hdc = range.hdcTarget = dc;
    range.rc.left = twips(R.Left + dx, dpiX);
    range.rc.top = twips(R.Top + dy, dpiY);
    range.rc.right = range.rc.left + twips(R.Right - R.Left - 2 * dx, dpiX);
    range.rc.bottom = range.rc.top + twips(R.Bottom - R.Top - 2 * dy, dpiY);
    range.rcPage = range.rc;
    range.chrg = CHARRANGE{0, -1};
    renderer->Perform(EM_FORMATRANGE, 1, LPARAM(&range));
    renderer->Perform(EM_FORMATRANGE, 0, 0);
}
