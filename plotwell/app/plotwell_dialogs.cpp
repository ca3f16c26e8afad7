// plotwell's dialogs.
#include "plotwell/app/plotwell_dialogs.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "plotwell/app/plot_app.h"
#include "plotwell/core/shared_routines.h"
#include "plotwell/core/xy_call.h"

#include <cstdlib>

namespace plotwell {

namespace {
enum : int { IDC_ADD = 101, IDC_REMOVE = 102, IDC_LEFT = 103, IDC_RIGHT = 104, IDC_MAIN_TITLE = 105, IDC_CLASSES = 106,
             IDC_CLASS_TITLE = 107, IDC_SUB_TITLE = 1002, IDC_DRAW_GRID = 1001, IDC_GRID_DISTANCE = 1003,
             IDC_GRID_LABEL = 1004, IDC_LEGEND_TITLE = 1005, IDC_CHANGE_COLOR = 1006, IDC_CURRENT_COLOR = 1012,
             IDC_SAVE = 1013, IDC_PS_PORTRAIT = 1014, IDC_PS_LANDSCAPE = 1015, IDC_PS_COLOR = 1016,
             IDC_PRINT_PORTRAIT = 1021, IDC_PRINT_LANDSCAPE = 1022, IDC_PRINT_GREY = 1023, IDC_PAGE_SETUP = 1026,
             IDC_CHOOSE_PRINTER = 1036, IDC_DEVICE = 1038, IDC_PROGRESS = 1032, IDC_PROGRESS_LEFT = 1033,
             IDC_PROGRESS_RIGHT = 1034 };

const DLGTEMPLATE about_box = {"ABOUTBOX", "About plotwell", 200, 70,
                               {{0, DlgKind::Static, "plotwell", 40, 10, 150, 10},
                                {0, DlgKind::Static, "Version 4.0", 40, 22, 150, 10},
                                {0, DlgKind::Static, "Built " __DATE__, 40, 34, 150, 10},
                                {IDOK, DlgKind::DefButton, "OK", 140, 50, 50, 14}}};

enum : int { IDC_HELP_TEXT = 1090 };
const DLGTEMPLATE help_viewer = {"HELPVIEWER", "plotwell Help", 440, 300,
                                 {{IDC_HELP_TEXT, DlgKind::Text, "", 7, 7, 426, 264},
                                  {IDOK, DlgKind::DefButton, "Close", 383, 278, 50, 14}}};

const DLGTEMPLATE chart_data = {
    "XYSETDLG", "Chart Data", 380, 250,
    {
        {0, DlgKind::Static, "Main Title:", 7, 9, 60, 10},
        {IDC_MAIN_TITLE, DlgKind::Edit, "", 70, 7, 300, 13},
        {0, DlgKind::Static, "Sub Title:", 7, 26, 60, 10},
        {IDC_SUB_TITLE, DlgKind::Edit, "", 70, 24, 300, 13},
        {0, DlgKind::Group, "Classification", 7, 42, 366, 160},
        {0, DlgKind::Static, "&Legend Title:", 14, 56, 60, 10},
        {IDC_LEGEND_TITLE, DlgKind::Edit, "", 80, 54, 200, 13},
        {0, DlgKind::Static, "Left Class\nBoundary:", 14, 74, 60, 18},
        {IDC_LEFT, DlgKind::Edit, "", 14, 94, 60, 13},
        {0, DlgKind::Static, "Right Class\nBoundary:", 80, 74, 60, 18},
        {IDC_RIGHT, DlgKind::Edit, "", 80, 94, 60, 13},
        {0, DlgKind::Static, "&Class Title", 146, 82, 60, 10},
        {IDC_CLASS_TITLE, DlgKind::Edit, "", 146, 94, 130, 13},
        {IDC_ADD, DlgKind::DefButton, "&Add", 14, 112, 50, 14},
        {IDC_REMOVE, DlgKind::Button, "&Remove", 70, 112, 50, 14, false, true},
        {IDC_CLASSES, DlgKind::ListBox, "", 14, 130, 262, 66},
        {IDC_CURRENT_COLOR, DlgKind::Static, "Current\nColor", 290, 82, 40, 18, true},
        {IDC_CHANGE_COLOR, DlgKind::Button, "C&hange Color", 290, 160, 70, 14, true, true},
        {IDC_DRAW_GRID, DlgKind::CheckBox, "Draw a Grid", 7, 208, 70, 12},
        {IDC_GRID_LABEL, DlgKind::Static, "Grid Distance:", 80, 209, 60, 10, true},
        {IDC_GRID_DISTANCE, DlgKind::Edit, "", 140, 207, 60, 13, true},
        {IDC_SAVE, DlgKind::Button, "&Save", 210, 228, 50, 14, false, true},
        {IDOK, DlgKind::Button, "&OK", 266, 228, 50, 14},
        {IDCANCEL, DlgKind::Button, "&Cancel", 322, 228, 50, 14},
    }};

const DLGTEMPLATE ps_file = {"PSFILEDLG", "Create Postscript File", 180, 80,
                             {{IDC_PS_PORTRAIT, DlgKind::Radio, "&Portrait", 10, 10, 80, 12},
                              {IDC_PS_LANDSCAPE, DlgKind::Radio, "&Landscape", 10, 26, 80, 12},
                              {IDC_PS_COLOR, DlgKind::CheckBox, "Print in &Color", 10, 44, 90, 12},
                              {IDOK, DlgKind::DefButton, "&OK", 120, 10, 50, 14},
                              {IDCANCEL, DlgKind::Button, "C&ancel", 120, 28, 50, 14}}};

const DLGTEMPLATE print_set = {"PRINTSET", "Printer settings", 220, 110,
                               {{IDC_DEVICE, DlgKind::Static, "", 10, 8, 200, 10},
                                {IDC_PRINT_PORTRAIT, DlgKind::Radio, "Portrait", 10, 24, 80, 12},
                                {IDC_PRINT_LANDSCAPE, DlgKind::Radio, "Landscape", 10, 38, 80, 12},
                                {IDC_PRINT_GREY, DlgKind::CheckBox, "Grey scale", 10, 56, 80, 12},
                                {IDC_PAGE_SETUP, DlgKind::CheckBox, "Open Page Setup", 10, 70, 90, 12},
                                {IDC_CHOOSE_PRINTER, DlgKind::Button, "Choose Printer", 110, 24, 90, 14},
                                {IDOK, DlgKind::DefButton, "OK", 100, 90, 50, 14},
                                {IDCANCEL, DlgKind::Button, "Cancel", 160, 90, 50, 14}}};

enum : int { IDC_MARGIN_LEFT = 1101, IDC_MARGIN_TOP = 1102, IDC_MARGIN_RIGHT = 1103, IDC_MARGIN_BOTTOM = 1104,
             IDC_PAPER = 1105 };
const DLGTEMPLATE page_setup = {"PAGESETUP", "Page Setup", 230, 120,
                                {{IDC_PAPER, DlgKind::Static, "", 10, 8, 210, 10},
                                 {0, DlgKind::Group, "Margins (millimeters)", 7, 22, 216, 66},
                                 {0, DlgKind::Static, "Left:", 15, 38, 40, 10},
                                 {IDC_MARGIN_LEFT, DlgKind::Edit, "", 55, 36, 45, 13},
                                 {0, DlgKind::Static, "Right:", 120, 38, 40, 10},
                                 {IDC_MARGIN_RIGHT, DlgKind::Edit, "", 160, 36, 45, 13},
                                 {0, DlgKind::Static, "Top:", 15, 62, 40, 10},
                                 {IDC_MARGIN_TOP, DlgKind::Edit, "", 55, 60, 45, 13},
                                 {0, DlgKind::Static, "Bottom:", 120, 62, 40, 10},
                                 {IDC_MARGIN_BOTTOM, DlgKind::Edit, "", 160, 60, 45, 13},
                                 {IDOK, DlgKind::DefButton, "OK", 110, 98, 50, 14},
                                 {IDCANCEL, DlgKind::Button, "Cancel", 170, 98, 50, 14}}};

const DLGTEMPLATE print_box = {"PRINTDLGBOX", "Chart", 140, 60,
                               {{0, DlgKind::Static, "Printing chart...", 10, 10, 120, 10},
                                {IDCANCEL, DlgKind::Button, "Cancel", 45, 35, 50, 14}}};

const DLGTEMPLATE freq_dist = {"FREQDISTDLG", "", 200, 50,
                               {{IDC_PROGRESS, DlgKind::Progress, "", 10, 10, 180, 12},
                                {IDC_PROGRESS_LEFT, DlgKind::Static, "", 10, 28, 90, 10},
                                {IDC_PROGRESS_RIGHT, DlgKind::Static, "0", 110, 28, 80, 10}}};

bool flag_E() { return plot_app().settings && plot_app().settings->lock_chart_edit; }
} // namespace

bool parse_class_values(std::string left, std::string right, const std::string& title, std::string& output, bool settings_form)
{
    if (left.empty() && right.empty()) {
        plot_app().show_message("No class values have been entered.");
        return false;
    }
    if (left.empty()) left = right;
    if (right.empty()) right = left;
    auto valid = [](const std::string& v) { return v == "-" || (is_number(v) && v[0] != '='); };
    auto value_of = [](const std::string& v) { return v[0] == '=' ? v.substr(1) : v; };
    const std::string l = value_of(left), r = value_of(right);
    if (!(left == "-" || is_number(l)) || !(right == "-" || is_number(r)) || (left[0] == '=' && !is_number(l)) ||
        (!valid(left) && left[0] != '=') || (!valid(right) && right[0] != '=')) {
        plot_app().show_message("Illegal class values have been entered.");
        return false;
    }
    const bool numeric = left != "-" && right != "-";
    const char relation = numeric && std::atof(r.c_str()) < std::atof(l.c_str()) ? '>' : '<';
    if (!settings_form) {
        output = left + relation + right + ";" + title;
        return true;
    }
    if (numeric && std::atof(l.c_str()) == std::atof(r.c_str()) && left[0] != '=' && right[0] != '=') {
        output = format_text("%s ! ! %c%s%c", left.c_str(), '`', title.c_str(), '`');
        return true;
    }
    output = format_text("%s %c%c %s", left.c_str(), relation, right[0] == '=' ? '=' : ' ', r.c_str());
    if (!title.empty()) output += " `" + title + "`";
    return true;
}

void split_class_entry(const std::string& entry, std::string& left, std::string& right, std::string& title)
{
    std::size_t mark = entry.find('<');
    if (mark == std::string::npos) mark = entry.find('>');
    const std::size_t semi = entry.find(';');
    const std::size_t m = mark == std::string::npos ? 0 : mark;
    const std::size_t s = semi == std::string::npos ? entry.size() : semi;
    left = entry.substr(0, m);
    right = s > m + 1 ? entry.substr(m + 1, s - m - 1) : std::string();
    title = semi == std::string::npos ? std::string() : entry.substr(semi + 1);
}

CAboutDlg::CAboutDlg(CWnd* parent) : CDialog(about_box, parent) {}

// ---------------------------------------------------------------- page set-up

void page_setup_viewport(const page_margins& m, double& x1, double& x2, double& y1, double& y2)
{
    const double across = m.width - m.min_left - m.min_right, down = m.height - m.min_top - m.min_bottom;
    x1 = (m.left - m.min_left) / across * 100;
    x2 = (m.width - m.right - m.left) / across * 100 + x1;
    y1 = (m.bottom - m.min_bottom) / down * 100;
    y2 = (m.height - m.top - m.bottom) / down * 100 + y1;
}

CPageSetupDlg::CPageSetupDlg(CWnd* parent, page_margins& margins) : CDialog(page_setup, parent), m_margins(margins) {}

BOOL CPageSetupDlg::OnInitDialog()
{
    const page_margins& m = m_margins;
    SetDlgItemText(IDC_PAPER, format_text("Paper: %.1f x %.1f mm", m.width / 100.0, m.height / 100.0));
    SetDlgItemText(IDC_MARGIN_LEFT, format_text("%g", m.left / 100.0));
    SetDlgItemText(IDC_MARGIN_TOP, format_text("%g", m.top / 100.0));
    SetDlgItemText(IDC_MARGIN_RIGHT, format_text("%g", m.right / 100.0));
    SetDlgItemText(IDC_MARGIN_BOTTOM, format_text("%g", m.bottom / 100.0));
    return TRUE;
}

void CPageSetupDlg::OnOK()
{
    // margins below the printer's own are raised to them; margins that leave no page are refused
    page_margins m = m_margins;
    const int ids[] = {IDC_MARGIN_LEFT, IDC_MARGIN_TOP, IDC_MARGIN_RIGHT, IDC_MARGIN_BOTTOM};
    long* fields[] = {&m.left, &m.top, &m.right, &m.bottom};
    const long minimum[] = {m.min_left, m.min_top, m.min_right, m.min_bottom};
    for (int i = 0; i < 4; ++i) {
        const std::string text = GetDlgItemText(ids[i]);
        char* end = nullptr;
        const double mm = std::strtod(text.c_str(), &end);
        if (text.empty() || end == text.c_str() || !std::isfinite(mm) || mm < 0 || mm > 10000) {
            MessageBox("The margins must be numbers of millimeters.", "Page Setup", MB_OK | MB_ICONWARNING);
            return;
        }
        *fields[i] = std::max(minimum[i], static_cast<long>(std::lround(mm * 100)));
    }
    if (m.left + m.right >= m.width || m.top + m.bottom >= m.height) {
        MessageBox("The margins leave no room on the paper.", "Page Setup", MB_OK | MB_ICONWARNING);
        return;
    }
    m_margins = m;
    EndDialog(IDOK);
}

// ---------------------------------------------------------------- help viewer

CHelpViewerDlg::CHelpViewerDlg(CWnd* parent, std::string text) : CDialog(help_viewer, parent), m_text(std::move(text)) {}

BOOL CHelpViewerDlg::OnInitDialog()
{
    SetDlgItemText(IDC_HELP_TEXT, m_text);
    return TRUE;
}

// ---------------------------------------------------------------- Chart Data

BEGIN_MESSAGE_MAP(CChartDataDlg, CDialog)
    ON_LBN_SELCHANGE(IDC_CLASSES, OnSelChange)
    ON_BN_CLICKED(IDC_ADD, OnAdd)
    ON_BN_CLICKED(IDC_REMOVE, OnRemove)
    ON_BN_CLICKED(IDC_DRAW_GRID, OnDrawGrid)
    ON_BN_CLICKED(IDC_CHANGE_COLOR, OnChangeColor)
END_MESSAGE_MAP()

CChartDataDlg::CChartDataDlg(CWnd* parent) : CDialog(chart_data, parent) {}

INT_PTR CChartDataDlg::AskChartData(CChartObject& chart)
{
    m_chart = &chart;
    chart.saved_grid = chart.grid;
    return DoModal();
}

BOOL CChartDataDlg::OnInitDialog()
{
    m_change = false;
    m_selected = -1;
    m_locked = flag_E();
    SetDlgItemText(IDC_ADD, "&Add");
    GetDlgItem(IDC_REMOVE)->EnableWindow(FALSE);
    if (m_locked) GetDlgItem(IDC_SAVE)->ShowWindow(SW_HIDE);
    CChartObject& c = *m_chart;
    SetDlgItemText(IDC_MAIN_TITLE, c.main_title);
    SetDlgItemText(IDC_SUB_TITLE, c.sub_title);
    SetDlgItemText(IDC_LEGEND_TITLE, c.legend_title);
    SetDlgItemText(IDC_GRID_DISTANCE, c.grid_distance);
    CheckDlgButton(IDC_DRAW_GRID, c.grid);
    GetDlgItem(IDC_GRID_DISTANCE)->ShowWindow(c.grid ? SW_SHOW : SW_HIDE);
    GetDlgItem(IDC_GRID_LABEL)->ShowWindow(c.grid ? SW_SHOW : SW_HIDE);
    ListResetContent(IDC_CLASSES);
    m_colours.clear();
    for (const CChartData& d : c.classes) {
        std::string text;
        if (!parse_class_values(d.left, d.right, d.title, text, false)) fatal_error("Fatal error!");
        ListAddString(IDC_CLASSES, text);
        m_colours.push_back(d.colour);
    }
    current_colour_number() = 1;
    return TRUE;
}

void CChartDataDlg::ClearClassFields()
{
    SetDlgItemText(IDC_RIGHT, "");
    SetDlgItemText(IDC_CLASS_TITLE, "");
    SetDlgItemText(IDC_LEFT, "");
    GetDlgItem(IDC_CURRENT_COLOR)->ShowWindow(SW_HIDE);
    GetDlgItem(IDC_CHANGE_COLOR)->ShowWindow(SW_HIDE);
    GetDlgItem(IDC_CHANGE_COLOR)->EnableWindow(FALSE);
}

void CChartDataDlg::OnSelChange()
{
    m_selected = ListGetCurSel(IDC_CLASSES);
    if (m_selected < 0) return;
    GetDlgItem(IDC_CURRENT_COLOR)->ShowWindow(SW_SHOW);
    GetDlgItem(IDC_CHANGE_COLOR)->ShowWindow(SW_SHOW);
    GetDlgItem(IDC_CHANGE_COLOR)->EnableWindow(TRUE);
    current_colour_number() = m_colours[static_cast<std::size_t>(m_selected)];
    std::string left, right, title;
    split_class_entry(ListGetText(IDC_CLASSES, m_selected), left, right, title);
    SetDlgItemText(IDC_LEFT, left);
    SetDlgItemText(IDC_RIGHT, right);
    SetDlgItemText(IDC_CLASS_TITLE, title);
    m_change = true;
    SetDlgItemText(IDC_ADD, "Change");
    GetDlgItem(IDC_REMOVE)->EnableWindow(TRUE);
}

void CChartDataDlg::OnAdd()
{
    std::string text;
    if (!parse_class_values(GetDlgItemText(IDC_LEFT), GetDlgItemText(IDC_RIGHT), GetDlgItemText(IDC_CLASS_TITLE), text, false)) {
        ClearClassFields();
        return;
    }
    CChartObject& c = *m_chart;
    c.main_title = GetDlgItemText(IDC_MAIN_TITLE);
    c.sub_title = GetDlgItemText(IDC_SUB_TITLE);
    c.legend_title = GetDlgItemText(IDC_LEGEND_TITLE);
    c.grid_distance = GetDlgItemText(IDC_GRID_DISTANCE);
    if (m_change && m_selected >= 0) {
        ListDeleteString(IDC_CLASSES, m_selected);
        ListInsertString(IDC_CLASSES, m_selected, text);
        m_change = false;
        SetDlgItemText(IDC_ADD, "&Add");
        GetDlgItem(IDC_REMOVE)->EnableWindow(FALSE);
        ClearClassFields();
    } else {
        ListAddString(IDC_CLASSES, text);
        m_colours.push_back(std::min(current_colour_number() + 1, 255));
    }
    if (!m_locked) GetDlgItem(IDC_SAVE)->EnableWindow(TRUE);
}

void CChartDataDlg::OnRemove()
{
    if (!m_change || m_selected < 0) return;
    ListDeleteString(IDC_CLASSES, m_selected);
    m_colours.erase(m_colours.begin() + m_selected);
    m_selected = -1;
    m_change = false;
    SetDlgItemText(IDC_ADD, "&Add");
    GetDlgItem(IDC_REMOVE)->EnableWindow(FALSE);
    if (!m_locked) GetDlgItem(IDC_SAVE)->EnableWindow(TRUE);
    ClearClassFields();
}

void CChartDataDlg::OnDrawGrid()
{
    m_chart->grid = IsDlgButtonChecked(IDC_DRAW_GRID) != 0;
    GetDlgItem(IDC_GRID_DISTANCE)->ShowWindow(m_chart->grid ? SW_SHOW : SW_HIDE);
    GetDlgItem(IDC_GRID_LABEL)->ShowWindow(m_chart->grid ? SW_SHOW : SW_HIDE);
    if (!m_locked) GetDlgItem(IDC_SAVE)->EnableWindow(TRUE);
}

void CChartDataDlg::OnChangeColor()
{
    CColorBoxDlg box(this, 0);
    if (box.DoModal() == IDCANCEL || m_selected < 0) return;
    m_colours[static_cast<std::size_t>(m_selected)] = current_colour_number();
    if (!m_locked) GetDlgItem(IDC_SAVE)->EnableWindow(TRUE);
}

bool CChartDataDlg::CollectChartData()
{
    CChartObject& c = *m_chart;
    c.classes.clear();
    c.main_title = GetDlgItemText(IDC_MAIN_TITLE).substr(0, 199);
    c.sub_title = GetDlgItemText(IDC_SUB_TITLE).substr(0, 199);
    c.legend_title = GetDlgItemText(IDC_LEGEND_TITLE).substr(0, 199);
    c.grid_distance = GetDlgItemText(IDC_GRID_DISTANCE).substr(0, 199);
    const int n = ListGetCount(IDC_CLASSES);
    if (n == 0) {
        MessageBox("Warning: no values in chart.", "Chart", MB_OK | MB_ICONWARNING);
        return false;
    }
    for (int i = 0; i < n; ++i) {
        CChartData d;
        split_class_entry(ListGetText(IDC_CLASSES, i), d.left, d.right, d.title);
        d.colour = m_colours[static_cast<std::size_t>(i)];
        c.classes.push_back(d);
    }
    return true;
}

void CChartDataDlg::OnOK()
{
    if (CollectChartData()) EndDialog(IDOK);
}

void CChartDataDlg::OnCancel()
{
    m_chart->grid = m_chart->saved_grid;
    EndDialog(IDCANCEL);
}

// ---------------------------------------------------------------- PostScript file

CPostScriptFileDlg::CPostScriptFileDlg(CWnd* parent) : CDialog(ps_file, parent) {}

BOOL CPostScriptFileDlg::OnInitDialog()
{
    CheckRadioButton(IDC_PS_PORTRAIT, IDC_PS_LANDSCAPE, IDC_PS_PORTRAIT);
    CheckDlgButton(IDC_PS_COLOR, 1);
    return TRUE;
}

std::string CPostScriptFileDlg::extra_arguments(const std::string& file, bool portrait, bool colour)
{
    return format_text(" -S \"%s\" -%c %s", file.c_str(), portrait ? 'p' : 'l', colour ? "-C" : "");
}

void CPostScriptFileDlg::OnOK()
{
    EnableWindow(FALSE);
    CFileDialog files(FALSE, "ps", "*.ps", "Postscript Files (*.ps)|*.ps||", this);
    if (files.DoModal() == IDOK) {
        CPlotApp& app = plot_app();
        application_state& st = app.settings->app;
        st.extra_arguments = extra_arguments(files.GetPathName(), IsDlgButtonChecked(IDC_PS_PORTRAIT) != 0,
                                             IsDlgButtonChecked(IDC_PS_COLOR) != 0);
        st.from_postscript_dialog = true;
        st.view_kind = app.layer.target_window;
        app.render();
        st.view_kind = 1;
        st.from_postscript_dialog = false;
        st.extra_arguments.clear();
    }
    EndDialog(IDOK);
}

// ---------------------------------------------------------------- printer dialogs

BEGIN_MESSAGE_MAP(CPrintSetDlg, CDialog)
    ON_BN_CLICKED(IDC_CHOOSE_PRINTER, OnChoosePrinter)
END_MESSAGE_MAP()

CPrintSetDlg::CPrintSetDlg(CWnd* parent) : CDialog(print_set, parent) {}

INT_PTR CPrintSetDlg::AskSettings(DEVMODE& mode, const std::string& device, print_job_state& state)
{
    m_mode = &mode;
    m_device = device;
    m_state = &state;
    return DoModal();
}

BOOL CPrintSetDlg::OnInitDialog()
{
    SetDlgItemText(IDC_DEVICE, m_device);
    CheckDlgButton(IDC_PRINT_GREY, m_mode->dmColor == DMCOLOR_MONOCHROME);
    CheckRadioButton(IDC_PRINT_PORTRAIT, IDC_PRINT_LANDSCAPE,
                     m_mode->dmOrientation == DMORIENT_LANDSCAPE ? IDC_PRINT_LANDSCAPE : IDC_PRINT_PORTRAIT);
    CheckDlgButton(IDC_PAGE_SETUP, 0);
    return TRUE;
}

void CPrintSetDlg::OnOK()
{
    m_mode->dmOrientation = IsDlgButtonChecked(IDC_PRINT_PORTRAIT) ? DMORIENT_PORTRAIT : DMORIENT_LANDSCAPE;
    const bool grey = IsDlgButtonChecked(IDC_PRINT_GREY) != 0;
    m_mode->dmColor = grey ? DMCOLOR_MONOCHROME : DMCOLOR_COLOR;
    m_state->colour = !grey;
    m_mode->dmYResolution = m_mode->dmPrintQuality;
    m_state->open_page_setup = IsDlgButtonChecked(IDC_PAGE_SETUP) != 0;
    EndDialog(IDOK);
}

void CPrintSetDlg::OnChoosePrinter()
{
    print_settings saved;
    const bool have = read_print_settings(plot_app().printer_settings_path, saved);
    const PRINTDLG_RESULT r = PrintDlg(GetSafeHwnd(), have ? &saved.mode : nullptr);
    if (!r.ok) return;
    print_settings chosen;
    chosen.mode = r.mode;
    chosen.device = r.device;
    chosen.driver = "winspool";
    chosen.port = "plotwell:";
    std::strncpy(chosen.mode.dmDeviceName, chosen.device.c_str(), sizeof chosen.mode.dmDeviceName - 1);
    // the new printer serves this print even when it cannot be saved for the next
    const std::string error = save_print_settings(plot_app().printer_settings_path, chosen);
    if (!error.empty()) plot_app().show_message(error);
    m_state->chosen = chosen;
    m_state->chosen_now = true;
    OnOK();
    EndDialog(9876);
}

CPrintDlgBox::CPrintDlgBox(CWnd* parent, print_job_state& state) : CDialog(print_box, parent), m_state(state) {}

void CPrintDlgBox::OnCancel()
{
    m_state.abort = true;
    DestroyWindow();
}

CFreqDistDlg::CFreqDistDlg(CWnd* parent, const std::string& left, const std::string& right)
    : CDialog(freq_dist, parent), m_left(left), m_right(right)
{
}

BOOL CFreqDistDlg::OnInitDialog()
{
    ProgressSetPos(IDC_PROGRESS, 0);
    SetDlgItemText(IDC_PROGRESS_LEFT, m_left);
    SetDlgItemText(IDC_PROGRESS_RIGHT, m_right);
    return TRUE;
}

void CFreqDistDlg::Progress(const std::string& left, const std::string& right, int percent)
{
    SetDlgItemText(IDC_PROGRESS_LEFT, left);
    SetDlgItemText(IDC_PROGRESS_RIGHT, right);
    ProgressSetPos(IDC_PROGRESS, percent);
}

void CFreqDistDlg::OnCancel() {}

} // namespace plotwell
