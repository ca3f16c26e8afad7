#include "drawport/drawport_output.h"

#include "drawport/drawport_window.h"
#include "platform/framework/Forms.h"
#include "platform/framework/Graphics.h"
#include "platform/framework/StdCtrls.h"
#include "platform/win/WinPrint.h"

#include <algorithm>
#include <cstring>
#include <memory>

const char* const about_text =
    "drawport reads three types of metafiles - regular(16bit), placeable(16bit), and enhanced(32bit). "
    "These metafiles are converted to enhanced metafiles and then displayed at the size of the window. "
    "Zoom in with the left mousebutton and zoom out with the right mousebutton. It writes regular(16bit) "
    "and enhanced(32bit). It will copy to and paste from the clipboard in enhanced metafile format. These "
    "enhanced metafiles can then be printed at the size of the printer-paper or printed at the original size.";

HDC choose_printer()
{
    const PRINTDLG_RESULT chosen = PrintDlg(nullptr, nullptr);
    if (!chosen.ok)
        return nullptr;
    return CreatePrinterDC(chosen.device, &chosen.mode);
}

int print_abort_proc(HDC, int)
{
    // the page is drawn in one go on this thread; the window's events wait for it
    return 1;
}

int print_metafile()
{
    HDC printer = choose_printer();
    if (!printer)
        return 0;
    SetAbortProc(printer, [](HDC dc, int error) -> BOOL { return print_abort_proc(dc, error); });
    DOCINFO info;
    info.lpszDocName = "EnhMetaFile Document";
    StartDoc(printer, &info);
    StartPage(printer);
    if (print_at_original_size) {
        original_size_rect(printer, current_picture);
    } else {
        const RECT page{0, 0, GetPrinterDeviceCaps(printer, HORZRES), GetPrinterDeviceCaps(printer, VERTRES)};
        printing_in_progress = true;
        paint_metafile(printer, current_picture, page);
        printing_in_progress = false;
    }
    EndPage(printer);
    EndDoc(printer);
    return DeletePrinterDC(printer);
}

int copy_metafile(HWND owner, HENHMETAFILE picture)
{
    (void)owner;
    if (picture) {
        HENHMETAFILE copy = CopyEnhMetaFileA(picture, nullptr);
        SetClipboardEnhMetaFile(copy);
        DeleteEnhMetaFile(copy);
    }
    return 1;
}

HENHMETAFILE paste_metafile(HWND owner)
{
    (void)owner;
    return GetClipboardEnhMetaFile();
}

std::vector<std::pair<int, String>> header_dialog_fields(HENHMETAFILE picture)
{
    ENHMETAHEADER h{};
    std::memset(&h, 0, sizeof h);
    h.nSize = 88;
    if (picture)
        GetEnhMetaFileHeader(picture, 88, &h);
    auto n = [](long long v) { return std::to_string(v); };
    std::vector<std::pair<int, String>> fields = {
        {600, n(h.rclBounds.top)}, {601, n(h.rclBounds.left)}, {602, n(h.rclBounds.right)},
        {603, n(h.rclBounds.bottom)}, {604, n(h.rclFrame.top)}, {605, n(h.rclFrame.left)},
        {606, n(h.rclFrame.right)}, {607, n(h.rclFrame.bottom)}, {608, n(std::int32_t(h.nBytes))},
        {609, n(std::int32_t(h.nRecords))}, {610, n(std::int16_t(h.nHandles))},
        {611, n(std::int32_t(h.nPalEntries))}, {612, n(h.szlDevice.cx)}, {614, n(h.szlDevice.cy)},
        {613, n(h.szlMillimeters.cx)}, {615, n(h.szlMillimeters.cy)},
    };
    // Description: "application\0title\0"; an application part of more than one character is
    // joined to the title by "#".
    String description = "<None>";
    const UINT count = picture ? GetEnhMetaFileDescriptionA(picture, 0, nullptr) : 0;
    if (count != 0 && count != GDI_ERROR) {
        std::vector<char> buffer(size_t(count) + 1, '\0');
        if (GetEnhMetaFileDescriptionA(picture, count, buffer.data()) == GDI_ERROR)
            buffer.assign(buffer.size(), '\0');
        const size_t application = std::strlen(buffer.data());
        if (application > 1 && application < count)
            buffer[application] = '#';
        description = buffer.data();
    }
    fields.emplace_back(616, description);
    return fields;
}

namespace {

// Dialog units of the 8-point dialog font in pixels.
int dux(int x) { return x * 3 / 2; }
int duy(int y) { return y * 13 / 8; }

TLabel* label(TForm* form, const String& name, const String& text, int x, int y, int w = 60)
{
    auto* l = new TLabel(form);
    l->SetParent(form);
    if (!name.empty())
        l->SetName(name);
    l->SetCaption(text);
    l->SetBounds(dux(x), duy(y), dux(w), duy(8));
    return l;
}

} // namespace

// The header dialog keeps the template's places in dialog units and moves a column to the right
// (widening the dialog) wherever the captions of the column before it are wider in the font
// the dialog shows, so that every caption shows whole; the two groups are framed.
void header_dialog(HWND owner, HENHMETAFILE picture)
{
    (void)owner;
    auto form = std::make_unique<TForm>(nullptr);
    form->SetCaption("Enhanced MetaFile Info");
    form->SetBorderStyle(bsDialog);
    TLabel* probe = label(form.get(), "", "", 0, 0, 1);
    probe->SetVisible(false);
    TBitmap measure;
    measure.SetWidth(1);
    measure.SetHeight(1);
    TCanvas* fm = measure.Canvas();
    fm->Font->Assign(probe->Font());
    const int gap = dux(4);
    const auto widest = [&](std::initializer_list<const char*> texts) {
        int w = 0;
        for (const char* t : texts)
            w = std::max(w, fm->TextWidth(t));
        return w;
    };
    const int valueWidth = std::max(dux(30), widest({"-2147483648"}));
    const int rowHeight = std::max(duy(8), fm->TextHeight("Xg"));
    const char* sides[4] = {"Top", "Left", "Right", "Bottom"};
    const char* counts[4] = {"MetaFile Bytes", "MetaFile Records", "Handles in Metafile", "MetaFile Palette Entries"};
    const char* device[4] = {"MetaFile Device Pixels X", "MetaFile Device Pixels Y", "MetaFile Device mm X",
                             "MetaFile Device mm Y"};
    const char* titles[2] = {"Metafile Bounds (Device Units)", "Metafile Surface (0.01mm)"};

    // the two groups: caption, then the four sides with their values
    const int sideValueOffset = std::max(dux(68 - 20), widest({"Top", "Left", "Right", "Bottom"}) + gap);
    int groupLeft[2], sideValueX[2];
    int x = dux(5);
    const int groupTop = duy(4), groupHeight = std::max(duy(60), duy(20) + 3 * duy(9) + rowHeight + duy(5));
    for (int g = 0; g < 2; ++g) {
        if (g == 1)
            x = std::max(dux(124), x);
        groupLeft[g] = x;
        sideValueX[g] = x + dux(15) + sideValueOffset;
        const int width = std::max({dux(108), sideValueX[g] + valueWidth + dux(6) - x,
                                    fm->TextWidth(titles[g]) + dux(16)});
        auto* box = new TGroupBox(form.get());
        box->SetParent(form.get());
        box->SetName(g == 0 ? "BoundsGroup" : "SurfaceGroup");
        box->SetCaption(titles[g]);
        box->SetBounds(x, groupTop, width, groupHeight);
        for (int i = 0; i < 4; ++i) {
            TLabel* l = label(form.get(), "", sides[i], 0, 0, 1);
            l->SetBounds(x + dux(15), duy(20 + 9 * i), sideValueOffset, rowHeight);
        }
        x += width + dux(11);
    }
    const int groupsRight = x - dux(11);

    // the counts and the reference device, four rows each
    const int countLabelX = dux(6);
    const int countValueX = std::max(dux(89), countLabelX + widest({counts[0], counts[1], counts[2], counts[3]}) + gap);
    const int deviceLabelX = std::max({groupLeft[1] + dux(1), countValueX + valueWidth + gap});
    const int deviceValueX = std::max(dux(209), deviceLabelX + widest({device[0], device[1], device[2], device[3]}) + gap);
    const int rowsTop = groupTop + groupHeight + duy(6);
    const auto rowY = [&](int row) { return rowsTop + row * std::max(duy(11), rowHeight + 2); };
    for (int i = 0; i < 4; ++i) {
        label(form.get(), "", counts[i], 0, 0, 1)->SetBounds(countLabelX, rowY(i), countValueX - countLabelX, rowHeight);
        label(form.get(), "", device[i], 0, 0, 1)->SetBounds(deviceLabelX, rowY(i), deviceValueX - deviceLabelX, rowHeight);
    }
    const int clientWidth = std::max({dux(244), groupsRight + dux(5), deviceValueX + valueWidth + dux(5)});
    const int descriptionY = rowY(4) + duy(6);
    TLabel* description = label(form.get(), "", "Description", 0, 0, 1);
    const int descriptionWidth = fm->TextWidth("Description") + gap;
    description->SetBounds(dux(7), descriptionY + duy(3), descriptionWidth, rowHeight);
    const int editX = std::max(dux(51), dux(7) + descriptionWidth);
    const int okY = descriptionY + duy(13) + duy(9);
    form->SetClientWidth(clientWidth);
    form->SetClientHeight(std::max(duy(162), okY + duy(14) + duy(6)));

    for (const auto& [id, text] : header_dialog_fields(picture)) {
        if (id == 616) {
            auto* edit = new TEdit(form.get());
            edit->SetParent(form.get());
            edit->SetName("Item616");
            edit->SetBounds(editX, descriptionY, clientWidth - editX - dux(8), duy(13));
            edit->SetReadOnly(true);
            edit->SetText(text);
            continue;
        }
        int vx, vy;
        if (id <= 607) {
            vx = sideValueX[id <= 603 ? 0 : 1];
            vy = duy(20 + 9 * ((id - 600) % 4));
        } else {
            static const int rows[8] = {0, 1, 2, 3, 0, 2, 1, 3}; // 612, 613, 614, 615 → rows 0, 2, 1, 3
            vx = id <= 611 ? countValueX : deviceValueX;
            vy = rowY(rows[id - 608]);
        }
        label(form.get(), "Item" + std::to_string(id), text, 0, 0, 1)->SetBounds(vx, vy, valueWidth, rowHeight);
    }
    auto* ok = new TButton(form.get());
    ok->SetParent(form.get());
    ok->SetName("OK");
    ok->SetCaption("OK");
    ok->SetBounds((clientWidth - dux(50)) / 2, okY, dux(50), duy(14));
    ok->ModalResult = mrOk;
    ok->SetDefault(true);
    form->ShowModal();
}

void about_dialog(HWND owner)
{
    (void)owner;
    auto form = std::make_unique<TForm>(nullptr);
    form->SetCaption("About drawport");
    form->SetBorderStyle(bsDialog);
    form->SetClientWidth(dux(168));
    form->SetClientHeight(duy(167));
    TLabel* text = label(form.get(), "Item617", about_text, 2, 5, 163);
    text->SetWordWrap(true);
    text->SetBounds(dux(2), duy(5), dux(163), duy(134));
    auto* ok = new TButton(form.get());
    ok->SetParent(form.get());
    ok->SetName("OK");
    ok->SetCaption("OK");
    ok->SetBounds(dux(59), duy(146), dux(50), duy(14));
    ok->ModalResult = mrOk;
    ok->SetDefault(true);
    form->ShowModal();
}
