// Export settings and colour chooser dialogs.
#include "plotwell/app/export_settings_dialogs.h"

#include "plotwell/app/plot_app.h"
#include "platform/win/WinPrint.h"
#include "plotwell/core/shared_routines.h"

#include <cstdlib>

namespace plotwell {

namespace {
enum : int { IDC_PORTRAIT = 1021, IDC_LANDSCAPE = 1022, IDC_GREY = 1023, IDC_SQUARE = 1029, IDC_RESOLUTION = 1031,
             IDC_TRANSPARENT = 1039, IDC_PIXELS_X = 1040, IDC_PIXELS_Y = 1041, IDC_FREE = 1051, IDC_BITS8 = 1052,
             IDC_BITS16 = 1053, IDC_BITS24 = 1054 };

const DLGTEMPLATE orient_meta = {
    "ORIENTMETA", "Settings outputfile", 260, 180,
    {
        {0, DlgKind::Group, "Orientation", 7, 7, 100, 75},
        {IDC_PORTRAIT, DlgKind::Radio, "Portrait", 14, 20, 80, 12},
        {IDC_LANDSCAPE, DlgKind::Radio, "Landscape", 14, 34, 80, 12},
        {IDC_SQUARE, DlgKind::Radio, "Square", 14, 48, 80, 12},
        {IDC_FREE, DlgKind::Radio, "Free", 14, 62, 80, 12},
        {0, DlgKind::Group, "Color", 115, 7, 138, 90},
        {IDC_GREY, DlgKind::CheckBox, "Grey scale", 122, 20, 120, 12},
        {IDC_BITS8, DlgKind::Radio, "8 Bit colors", 122, 34, 120, 12},
        {IDC_BITS16, DlgKind::Radio, "16 Bit colors", 122, 48, 120, 12},
        {IDC_BITS24, DlgKind::Radio, "24 Bit colors", 122, 62, 120, 12},
        {IDC_TRANSPARENT, DlgKind::CheckBox, "Transparent background", 122, 76, 125, 12},
        {0, DlgKind::Group, "Size", 7, 100, 246, 50},
        {0, DlgKind::Static, "Resolution (dots/inch)", 14, 113, 90, 10},
        {IDC_RESOLUTION, DlgKind::Edit, "", 14, 126, 60, 14},
        {0, DlgKind::Static, "Pixels X", 110, 113, 60, 10},
        {IDC_PIXELS_X, DlgKind::Edit, "", 110, 126, 60, 14},
        {0, DlgKind::Static, "Pixels Y", 180, 113, 60, 10},
        {IDC_PIXELS_Y, DlgKind::Edit, "", 180, 126, 60, 14},
        {IDOK, DlgKind::DefButton, "OK", 140, 158, 50, 14},
        {IDCANCEL, DlgKind::Button, "Cancel", 200, 158, 50, 14},
    }};

const DLGTEMPLATE color_box = {"GET_COLOR_BOX", "Choose a Color", 210, 260,
                               {{IDOK, DlgKind::DefButton, "OK", 40, 240, 50, 14},
                                {IDCANCEL, DlgKind::Button, "Cancel", 110, 240, 50, 14}}};

long field_number(const std::string& text)
{
    const std::string t = text.substr(0, 10);
    return is_number(t) ? std::atol(t.c_str()) : 0;
}
} // namespace

int& current_colour_number()
{
    static int n = 1;
    return n;
}

void complete_pixel_size(long& width, long& height)
{
    if (width != 0 && height != 0) return;
    if (width != 0) height = width * 2 / 3;
    else if (height != 0) width = height * 3 / 2;
    else {
        width = 1600;
        height = 1200;
    }
}

BEGIN_MESSAGE_MAP(COrientMetaDlg, CDialog)
    ON_BN_CLICKED(IDC_PORTRAIT, OnOrientation)
    ON_BN_CLICKED(IDC_LANDSCAPE, OnOrientation)
    ON_BN_CLICKED(IDC_SQUARE, OnOrientation)
    ON_BN_CLICKED(IDC_FREE, OnFree)
    ON_EN_CHANGE(IDC_RESOLUTION, OnResolution)
END_MESSAGE_MAP()

COrientMetaDlg::COrientMetaDlg(CWnd* parent) : CDialog(orient_meta, parent) {}

INT_PTR COrientMetaDlg::AskSettings(int* orientation, int* resolution, int* transparent, int* depth, long* width, long* height,
                                    int file_type)
{
    m_orientation = orientation;
    m_resolution = resolution;
    m_transparent = transparent;
    m_depth = depth;
    m_width = width;
    m_height = height;
    m_type = file_type;
    return DoModal();
}

void COrientMetaDlg::FillPixels()
{
    const long r = field_number(GetDlgItemText(IDC_RESOLUTION));
    double a = 6.25, b = 9.65;
    if (IsDlgButtonChecked(IDC_LANDSCAPE)) a = 9.65, b = 6.25;
    else if (IsDlgButtonChecked(IDC_SQUARE)) b = 6.25;
    else if (IsDlgButtonChecked(IDC_FREE)) return;
    SetDlgItemText(IDC_PIXELS_X, format_text("%d", static_cast<int>(r * a)));
    SetDlgItemText(IDC_PIXELS_Y, format_text("%d", static_cast<int>(r * b)));
}

BOOL COrientMetaDlg::OnInitDialog()
{
    EnableWindow(TRUE);
    CheckRadioButton(IDC_PORTRAIT, IDC_LANDSCAPE, m_orientation && *m_orientation == 1 ? IDC_PORTRAIT : IDC_LANDSCAPE);
    CheckDlgButton(IDC_BITS8, 1);
    SetDlgItemText(IDC_RESOLUTION, m_type == TYPE_EMF ? "600" : "300");
    GetDlgItem(IDC_PIXELS_X)->EnableWindow(FALSE);
    GetDlgItem(IDC_PIXELS_Y)->EnableWindow(FALSE);
    FillPixels();
    auto enable = [&](int id, bool on) { GetDlgItem(id)->EnableWindow(on); };
    switch (m_type) {
    case TYPE_BMP: case TYPE_PCX: case TYPE_TIFF: case TYPE_PSD:
        enable(IDC_BITS8, true), enable(IDC_BITS16, true), enable(IDC_BITS24, true);
        CheckDlgButton(IDC_TRANSPARENT, 0), enable(IDC_TRANSPARENT, false);
        break;
    case TYPE_JPEG:
        CheckDlgButton(IDC_BITS8, 0), CheckDlgButton(IDC_BITS16, 0), CheckDlgButton(IDC_BITS24, 1);
        enable(IDC_BITS8, false), enable(IDC_BITS16, false), enable(IDC_BITS24, false);
        CheckDlgButton(IDC_TRANSPARENT, 0), enable(IDC_TRANSPARENT, false);
        break;
    case TYPE_PNG:
    case TYPE_TGA:
        enable(IDC_BITS8, true), enable(IDC_BITS16, false), enable(IDC_BITS24, true);
        if (m_type == TYPE_PNG) CheckDlgButton(IDC_TRANSPARENT, 0), enable(IDC_TRANSPARENT, true);
        break;
    case TYPE_EMF: {
        const int d = m_depth ? *m_depth : 24;
        CheckDlgButton(IDC_BITS8, d == 8), CheckDlgButton(IDC_BITS16, d == 16), CheckDlgButton(IDC_BITS24, d == 24);
        enable(IDC_BITS8, false), enable(IDC_BITS16, false), enable(IDC_BITS24, false);
        CheckDlgButton(IDC_TRANSPARENT, 1), enable(IDC_TRANSPARENT, true);
        break;
    }
    default: break;
    }
    return TRUE;
}

void COrientMetaDlg::OnOrientation() { FillPixels(); OnFree(); }

void COrientMetaDlg::OnFree()
{
    const bool free = IsDlgButtonChecked(IDC_FREE) != 0;
    GetDlgItem(IDC_RESOLUTION)->EnableWindow(!free);
    GetDlgItem(IDC_PIXELS_X)->EnableWindow(free);
    GetDlgItem(IDC_PIXELS_Y)->EnableWindow(free);
}

void COrientMetaDlg::OnResolution()
{
    if (is_number(GetDlgItemText(IDC_RESOLUTION))) FillPixels();
}

void COrientMetaDlg::OnOK()
{
    if (m_orientation)
        *m_orientation = IsDlgButtonChecked(IDC_PORTRAIT) ? 1 : IsDlgButtonChecked(IDC_LANDSCAPE) ? 2 : IsDlgButtonChecked(IDC_SQUARE) ? 3 : 4;
    if (m_resolution) *m_resolution = static_cast<int>(field_number(GetDlgItemText(IDC_RESOLUTION)));
    long w = field_number(GetDlgItemText(IDC_PIXELS_X)), h = field_number(GetDlgItemText(IDC_PIXELS_Y));
    complete_pixel_size(w, h);
    if (m_width) *m_width = w;
    if (m_height) *m_height = h;
    colour_export = !IsDlgButtonChecked(IDC_GREY);
    if (m_transparent) *m_transparent = IsDlgButtonChecked(IDC_TRANSPARENT) ? 1 : 0;
    if (m_type != TYPE_EMF && m_depth)
        *m_depth = IsDlgButtonChecked(IDC_BITS8) ? 8 : IsDlgButtonChecked(IDC_BITS16) ? 16 : 24;
    EndDialog(IDOK);
}

// ---------------------------------------------------------------- colour box

CColorBoxDlg::CColorBoxDlg(CWnd* parent, int mode) : CDialog(color_box, parent), m_mode(mode) {}

int CColorBoxDlg::index_at(int x, int y)
{
    int i = (y - 40) / 18 * 16 + (x - 10) / 18;
    if (i > 255) i = 255;
    if (i <= 0) i = 0;
    return i;
}

BOOL CColorBoxDlg::OnInitDialog()
{
    if (m_mode == 1) {
        SetDlgItemText(IDOK, "Print");
    } else {
        m_old = m_new = current_colour_number();
        SetDlgItemText(IDOK, "OK");
    }
    return TRUE;
}

RECT CColorBoxDlg::cell_rect(int index)
{
    const int column = index % 16, row = index / 16;
    return RECT{18 * column + 10, 18 * row + 40, 18 * column + 25, 18 * row + 55};
}

void CColorBoxDlg::OnPaint()
{
    CPaintDC dc(this);
    if (!dc.GetSafeHdc()) return;
    const auto& table = plot_app().layer.colours();
    for (int i = 0; i < 256; ++i) {
        const auto& c = table[static_cast<std::size_t>(i)];
        RECT r = cell_rect(i);
        if (m_mode == 0 && i == m_new) {
            RECT frame = r;
            InflateRect(&frame, 2, 2);
            HBRUSH black = CreateSolidBrush(RGB(0, 0, 0));
            FillRect(dc, &frame, black);
            DeleteObject(black);
        }
        HBRUSH brush = CreateSolidBrush(RGB(c[0] & 255, c[1] & 255, c[2] & 255));
        FillRect(dc, &r, brush);
        DeleteObject(brush);
    }
}

void CColorBoxDlg::OnLButtonUp(UINT, CPoint point)
{
    if (m_mode == 1) return;
    m_new = index_at(point.x, point.y);
    m_old = m_new;
    Invalidate();
}

void CColorBoxDlg::OnOK()
{
    if (m_mode == 0) {
        current_colour_number() = m_new;
        EndDialog(IDOK);
        return;
    }
    print_palette();
    EndDialog(IDOK);
}

void CColorBoxDlg::print_palette()
{
    const PRINTDLG_RESULT chosen = PrintDlg(GetSafeHwnd(), nullptr);
    if (!chosen.ok) return;
    if (chosen.mode.dmColor == DMCOLOR_MONOCHROME) {
        MessageBox("Not usefull to print palette to a monochrome printer", "Message", MB_OK | MB_ICONWARNING);
        return;
    }
    HDC dc = CreatePrinterDC(chosen.device, &chosen.mode);
    if (!dc) return;
    const int width = GetPrinterDeviceCaps(dc, HORZRES), height = GetPrinterDeviceCaps(dc, VERTRES);
    // margins of a tenth of the printable area, sixteen cells of 4/80 of it in each direction
    const int left = width / 10, top = height / 10;
    const int cell_w = width * 4 / 80, cell_h = height * 4 / 80;
    DOCINFO info;
    info.lpszDocName = "Printing color palette...";
    if (StartDoc(dc, &info) > 0) {
        StartPage(dc);
        const auto& table = plot_app().layer.colours();
        LOGFONT lf;
        lf.lfHeight = -std::max(cell_h / 3, 8);
        std::snprintf(lf.lfFaceName, sizeof lf.lfFaceName, "%s", "Arial");
        HFONT font = CreateFontIndirect(&lf);
        HGDIOBJ old_font = SelectObject(dc, font);
        SetTextColor(dc, RGB(table[1][0] & 255, table[1][1] & 255, table[1][2] & 255));
        SetBkMode(dc, TRANSPARENT);
        SetTextAlign(dc, TA_CENTER | TA_BASELINE);
        for (int column = 0; column < 16; ++column) {
            const std::string number = std::to_string(column + 1);
            TextOut(dc, left + column * cell_w + cell_w / 2, top * 9 / 10, number.c_str(), static_cast<int>(number.size()));
        }
        SetTextAlign(dc, TA_RIGHT | TA_BASELINE);
        for (int row = 0; row < 16; ++row) {
            const std::string number = std::to_string(row * 16);
            TextOut(dc, left * 9 / 10, top + row * cell_h + cell_h * 2 / 3, number.c_str(), static_cast<int>(number.size()));
        }
        for (int i = 0; i < 256; ++i) {
            const auto& c = table[static_cast<std::size_t>(i)];
            const RECT r{left + i % 16 * cell_w, top + i / 16 * cell_h, left + (i % 16 + 1) * cell_w, top + (i / 16 + 1) * cell_h};
            HBRUSH brush = CreateSolidBrush(RGB(c[0] & 255, c[1] & 255, c[2] & 255));
            FillRect(dc, &r, brush);
            DeleteObject(brush);
        }
        SelectObject(dc, old_font);
        DeleteObject(font);
        EndPage(dc);
        EndDoc(dc);
    }
    DeletePrinterDC(dc);
}

} // namespace plotwell
