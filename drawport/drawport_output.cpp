#include "drawport/drawport_output.h"

#include "drawport/drawport_window.h"
#include "platform/framework/Forms.h"
#include "platform/framework/StdCtrls.h"
#include "platform/win/WinPrint.h"

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

void header_dialog(HWND owner, HENHMETAFILE picture)
{
    (void)owner;
    auto form = std::make_unique<TForm>(nullptr);
    form->SetCaption("Enhanced MetaFile Info");
    form->SetBorderStyle(bsDialog);
    form->SetClientWidth(dux(244));
    form->SetClientHeight(duy(162));
    auto group = [&](const String& title, int x) {
        label(form.get(), "", title, x + 4, 4, 104);
        const char* names[4] = {"Top", "Left", "Right", "Bottom"};
        for (int i = 0; i < 4; ++i)
            label(form.get(), "", names[i], x == 5 ? 20 : 139, 20 + 9 * i, 40);
    };
    group("Metafile Bounds (Device Units)", 5);
    group("Metafile Surface (0.01mm)", 124);
    const char* counts[4] = {"MetaFile Bytes", "MetaFile Records", "Handles in Metafile", "MetaFile Palette Entries"};
    const char* device[4] = {"MetaFile Device Pixels X", "MetaFile Device Pixels Y", "MetaFile Device mm X",
                             "MetaFile Device mm Y"};
    for (int i = 0; i < 4; ++i) {
        label(form.get(), "", counts[i], 6, 70 + 11 * i, 82);
        label(form.get(), "", device[i], 125, 70 + 11 * i, 82);
    }
    label(form.get(), "", "Description", 7, 123, 44);
    for (const auto& [id, text] : header_dialog_fields(picture)) {
        if (id == 616) {
            auto* edit = new TEdit(form.get());
            edit->SetParent(form.get());
            edit->SetName("Item616");
            edit->SetBounds(dux(51), duy(120), dux(185), duy(13));
            edit->SetReadOnly(true);
            edit->SetText(text);
            continue;
        }
        int x, y;
        if (id <= 607) {
            x = id <= 603 ? 68 : 187;
            y = 20 + 9 * ((id - 600) % 4);
        } else {
            static const int rows[8] = {0, 1, 2, 3, 0, 2, 1, 3}; // 612, 613, 614, 615 → rows 0, 2, 1, 3
            x = id <= 611 ? 89 : 209;
            y = 70 + 11 * rows[id - 608];
        }
        label(form.get(), "Item" + std::to_string(id), text, x, y, 30);
    }
    auto* ok = new TButton(form.get());
    ok->SetParent(form.get());
    ok->SetName("OK");
    ok->SetCaption("OK");
    ok->SetBounds(dux(95), duy(142), dux(50), duy(14));
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
