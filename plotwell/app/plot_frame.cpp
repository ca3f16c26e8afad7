// The main window: chart painting, the off-screen bitmap, zoom and read-out.
#include "plot_frame.h"

#include "plot_app.h"
#include "plotwell_dialogs.h"
#include "plotwell/core/xy_call.h"

#include <cmath>
#include <cstdio>
#include <unistd.h>

namespace plotwell {

namespace {
const std::vector<POPUPMENU>& main_menu()
{
    static const std::vector<POPUPMENU> menu = {
        {"&File",
         {{ID_PRINT, "&Print \tCtrl+P", 0}, {ID_POSTSCRIPT_FILE, "&Create Postscript File\tF5", 0},
          {ID_OUTPUT_FILE, "Create &Output File\tF6", 0}, {ID_EXIT, "E&xit \tF10", 0}}},
        {"&Edit",
         {{ID_ZOOM, "Zoom in with left mouse button\tF8", MF_GRAYED}, {0, nullptr, 0},
          {ID_EDIT_SETTINGS, "&Edit Graph Settings\tF7", 0}, {ID_SHOW_PALETTE, "&Show color palette", 0}}},
        {"&Statistics",
         {{ID_CLASS_DISTRIBUTION, "&Map class distribution\tF3", 0}, {ID_CUMULATIVE_DISTRIBUTION, "&Cumulative distribution\tF4", 0},
          {ID_PERCENTILES, "Calculate percentiles\tF11", 0}, {0, nullptr, 0}, {ID_MAP_INFO, "Map &Info\tF9", 0}}},
        {"&Help", {{ID_HELP, "&Help\tF1", 0}, {0, nullptr, 0}, {ID_ABOUT, "&About plotwell...\tF2", 0}}},
    };
    return menu;
}

const std::vector<ACCELERATOR>& main_accelerators()
{
    static const std::vector<ACCELERATOR> keys = {
        {"Ctrl+P", ID_PRINT}, {"F5", ID_POSTSCRIPT_FILE}, {"F6", ID_OUTPUT_FILE}, {"Esc", ID_EXIT}, {"F10", ID_EXIT},
        {"F8", ID_ZOOM}, {"F7", ID_EDIT_SETTINGS}, {"F3", ID_CLASS_DISTRIBUTION}, {"F4", ID_CUMULATIVE_DISTRIBUTION},
        {"F11", ID_PERCENTILES}, {"F9", ID_MAP_INFO}, {"F1", ID_HELP}, {"F2", ID_ABOUT},
    };
    return keys;
}
} // namespace

BEGIN_MESSAGE_MAP(CPlotFrame, CFrameWnd)
    ON_COMMAND(ID_PRINT, OnPrint)
    ON_COMMAND(ID_POSTSCRIPT_FILE, OnPostScriptFile)
    ON_COMMAND(ID_OUTPUT_FILE, OnOutputFile)
    ON_COMMAND(ID_EXIT, OnClose)
    ON_COMMAND(ID_ZOOM, OnZoomOut)
    ON_COMMAND(ID_EDIT_SETTINGS, OnEditSettings)
    ON_COMMAND(ID_SHOW_PALETTE, OnShowPalette)
    ON_COMMAND(ID_CLASS_DISTRIBUTION, OnStatistics)
    ON_COMMAND(ID_CLASS_DISTRIBUTION_2, OnStatistics)
    ON_COMMAND(ID_CUMULATIVE_DISTRIBUTION, OnStatistics)
    ON_COMMAND(ID_PERCENTILES, OnStatistics)
    ON_COMMAND(ID_MAP_INFO, OnStatistics)
    ON_COMMAND(ID_HELP, OnHelp)
    ON_COMMAND(ID_ABOUT, OnAbout)
END_MESSAGE_MAP()

CPlotFrame::CPlotFrame()
{
    Create("", main_menu(), main_accelerators());
}

CPlotFrame::~CPlotFrame() { ReleaseBitmap(); }

void CPlotFrame::ShowFrame(const window_geometry& g, bool minimised, int show_command)
{
    const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    if (g.given)
        MoveWindow(static_cast<int>(sw * g.x), static_cast<int>(sh * g.y), static_cast<int>(sw * g.w), static_cast<int>(sh * g.h));
    if (minimised) ShowWindow(SW_SHOWMINIMIZED);
    else if (!g.given) ShowWindow(SW_SHOWMAXIMIZED);
    else ShowWindow(show_command == SW_HIDE ? SW_SHOW : show_command);
    UpdateWindow();
}

BOOL CPlotFrame::OnCommand(UINT id, UINT code)
{
    // Most commands wait for the drawing; exit, export, percentiles and the palette do not.
    static const UINT need_ready[] = {ID_ABOUT, ID_HELP, ID_PRINT, ID_ZOOM, ID_CLASS_DISTRIBUTION, ID_CLASS_DISTRIBUTION_2,
                                      ID_CUMULATIVE_DISTRIBUTION, ID_MAP_INFO, ID_EDIT_SETTINGS, ID_POSTSCRIPT_FILE};
    for (UINT n : need_ready)
        if (n == id && !plot_app().drawing_ready) return TRUE;
    return CFrameWnd::OnCommand(id, code);
}

void CPlotFrame::ReleaseBitmap()
{
    if (m_memDC) {
        SelectObject(m_memDC, m_previousBitmap);
        ::DeleteDC(m_memDC);
        m_memDC = nullptr;
    }
    if (m_bitmap) {
        DeleteObject(m_bitmap);
        m_bitmap = nullptr;
    }
}

void CPlotFrame::OnPaint()
{
    CPlotApp& app = plot_app();
    CPaintDC dc(this);
    if (app.skip_next_paint) {
        app.skip_next_paint = false;
        return;
    }
    if (!app.drawing_ready && !first_paint) return;
    if (first_paint) redraw_needed = true;
    try {
        if (redraw_needed || !bitmap_made) {
            if (!Redraw(dc)) {
                // the message has been shown; the window closes
                OnClose();
                return;
            }
        } else {
            RECT r;
            GetClientRect(&r);
            BitBlt(dc, 0, 0, r.right, r.bottom, m_memDC, 0, 0, SRCCOPY);
        }
        if (first_paint) {
            PruneMenu();
            DrawMenuBar();
            first_paint = false;
        }
    } catch (const std::exception& e) {
        app.show_message(e.what());
        OnClose();
    }
}

bool CPlotFrame::Redraw(HDC paint_dc)
{
    CPlotApp& app = plot_app();
    plot_graphics& gr = app.layer;
    app.drawing_ready = false;
    ReleaseBitmap();
    GetClientRect(&m_client);
    app.drawing_resolution = m_client.right / 11;
    SetTextAlign(paint_dc, TA_BASELINE | TA_LEFT);
    SetBkMode(paint_dc, TRANSPARENT);
    gr.draw_dc = paint_dc;
    gr.target_window = 1;
    gr.printing = false;
    gr.exporting = false;
    HDC window_dc = GetDC();
    m_memDC = CreateCompatibleDC(window_dc);
    SetTextAlign(m_memDC, TA_BASELINE | TA_LEFT);
    SetBkMode(m_memDC, TRANSPARENT);
    m_bitmap = CreateCompatibleBitmap(window_dc, std::max<LONG>(m_client.right, 1), std::max<LONG>(m_client.bottom, 1));
    bitmap_made = m_bitmap != nullptr;
    ReleaseDC(window_dc);
    if (!bitmap_made) app.show_message("Unable to create bitmap!");
    m_previousBitmap = SelectObject(m_memDC, m_bitmap);
    gr.mirror_dc = m_memDC;
    gr.drawing_rect = m_client;
    gr.capture_plot_area = false;
    application_state& st = app.settings->app;
    st.view_kind = 1;
    st.printing = st.exporting = st.metafile = false;
    st.dots_per_inch = app.drawing_resolution;
    st.full_redraw = redraw_count == 0;
    st.extra_arguments.clear();
    ++redraw_count;
    const bool drawn = app.render();
    gr.draw_dc = nullptr;
    if (!drawn) return false;
    calls_drawn = app.settings->call_number;
    // the graph's world window for zoom and read-out
    const plot_settings& ps = *app.settings;
    world_x1 = ps.x_axis.min;
    world_x2 = ps.x_axis.max;
    world_y1 = ps.y1_axis.min;
    world_y2 = ps.y1_axis.max;
    map_rect = RECT{static_cast<LONG>(ps.frame_left * m_client.right / 100.0),
                    static_cast<LONG>(m_client.bottom - (ps.frame_bottom + ps.frame_height) * m_client.bottom / 100.0),
                    static_cast<LONG>((ps.frame_left + ps.frame_width) * m_client.right / 100.0),
                    static_cast<LONG>(m_client.bottom - ps.frame_bottom * m_client.bottom / 100.0)};
    const std::string& shown = calls_drawn == 1 || calls_drawn == 2 ? ps.data_file_name : ps.job_file_name;
    m_title = app.title_base + (shown.empty() ? std::string() : " " + shown);
    SetWindowText(m_title);
    redraw_needed = false;
    return true;
}

void CPlotFrame::PruneMenu()
{
    CMenu* menu = GetMenu();
    if (!menu) return;
    const plot_settings& ps = *plot_app().settings;
    const bool job = !ps.job_file_name.empty();
    // Without a map the Statistics menu goes.
    menu->DeleteMenu(2, MF_BYPOSITION);
    if (job && calls_drawn != 1 && calls_drawn != 2) {
        menu->DeleteMenu(1, MF_BYPOSITION);
        return;
    }
    menu->DeleteMenu(ID_EDIT_SETTINGS, MF_BYCOMMAND);
    if (CMenu* edit = menu->GetSubMenu(1)) {
        if (edit->GetMenuItemCount() > 1) edit->DeleteMenu(1, MF_BYPOSITION);
        if (!ps.zoom_allowed) edit->DeleteMenu(ID_ZOOM, MF_BYCOMMAND);
    }
}

void CPlotFrame::OnSize(UINT type, int, int)
{
    if (plot_app().drawing_ready && type != 1 && m_lastSizeType != 1) redraw_needed = true;
    m_lastSizeType = type;
}

POINT CPlotFrame::ClampToMap(CPoint p) const
{
    POINT q{p.x, p.y};
    q.x = std::clamp(q.x, map_rect.left, std::max(map_rect.left, map_rect.right));
    q.y = std::clamp(q.y, map_rect.top, std::max(map_rect.top, map_rect.bottom));
    return q;
}

void CPlotFrame::ToWorld(POINT p, double& x, double& y) const
{
    const double w = map_rect.right - map_rect.left, h = map_rect.bottom - map_rect.top;
    const plot_settings& ps = *plot_app().settings;
    if (ps.x_axis.log_scale && world_x1 > 0 && world_x2 > 0) {
        const double f = (p.x - map_rect.left) / w;
        x = std::pow(10, std::log10(world_x1) + f * (std::log10(world_x2) - std::log10(world_x1)));
    } else {
        x = world_x1 + (p.x - map_rect.left) / w * (world_x2 - world_x1);
    }
    if (ps.y1_axis.log_scale && world_y1 > 0 && world_y2 > 0) {
        const double f = (p.y - map_rect.top) / h;
        y = std::pow(10, std::log10(world_y2) - f * (std::log10(world_y2) - std::log10(world_y1)));
    } else {
        y = world_y2 - (p.y - map_rect.top) / h * (world_y2 - world_y1);
    }
}

void CPlotFrame::DrawDragRect()
{
    HDC dc = GetDC();
    RECT r{std::min(m_dragStart.x, m_dragEnd.x), std::min(m_dragStart.y, m_dragEnd.y), std::max(m_dragStart.x, m_dragEnd.x),
           std::max(m_dragStart.y, m_dragEnd.y)};
    DrawFocusRect(dc, &r);
    ReleaseDC(dc);
}

bool zoom_usable(const CPlotFrame& f)
{
    return plot_app().drawing_ready && (f.calls_drawn == 1 || f.calls_drawn == 2) && plot_app().settings->zoom_allowed;
}

void CPlotFrame::OnLButtonDown(UINT, CPoint point)
{
    if (!zoom_usable(*this)) return;
    m_dragStart = m_dragEnd = ClampToMap(point);
    m_tracking = true;
}

void CPlotFrame::OnMouseMove(UINT flags, CPoint point)
{
    if (!plot_app().drawing_ready) return;
    if (m_tracking && (flags & MK_LBUTTON)) {
        DrawDragRect();
        m_dragEnd = ClampToMap(point);
        DrawDragRect();
    }
    if (calls_drawn != 1 && calls_drawn != 2) return;
    if (point.x >= map_rect.left && point.x <= map_rect.right && point.y >= map_rect.top && point.y <= map_rect.bottom &&
        map_rect.right > map_rect.left && map_rect.bottom > map_rect.top) {
        double x, y;
        ToWorld(POINT{point.x, point.y}, x, y);
        SetWindowText(format_text("%s x: %g y: %g", m_title.c_str(), x, y));
    } else {
        SetWindowText(m_title);
    }
}

void CPlotFrame::OnLButtonUp(UINT, CPoint point)
{
    if (!m_tracking) return;
    m_tracking = false;
    m_dragEnd = ClampToMap(point);
    if (m_dragEnd.x == m_dragStart.x || m_dragEnd.y == m_dragStart.y) return;
    if (map_rect.right == map_rect.left) {
        MessageBox("right-left=0", "maprect", MB_OK | MB_ICONWARNING);
        return;
    }
    if (map_rect.bottom == map_rect.top) {
        MessageBox("bottom-top=0", "maprect", MB_OK | MB_ICONWARNING);
        return;
    }
    double x1, y1, x2, y2;
    ToWorld(m_dragStart, x1, y1);
    ToWorld(m_dragEnd, x2, y2);
    application_state& st = plot_app().settings->app;
    st.zoom_x1 = std::min(x1, x2);
    st.zoom_x2 = std::max(x1, x2);
    st.zoom_y1 = std::min(y1, y2);
    st.zoom_y2 = std::max(y1, y2);
    st.zoom_shown = true;
    if (CMenu* menu = GetMenu()) menu->ModifyMenu(ID_ZOOM, MF_ENABLED, ID_ZOOM, "&Zoom out to original size\tF8");
    zoomed = true;
    redraw_needed = true;
    Invalidate();
    UpdateWindow();
}

void CPlotFrame::OnRButtonUp(UINT, CPoint) { OnZoomOut(); }

void CPlotFrame::OnZoomOut()
{
    if (!zoomed) return;
    plot_app().settings->app.zoom_shown = false;
    if (CMenu* menu = GetMenu()) menu->ModifyMenu(ID_ZOOM, MF_GRAYED, ID_ZOOM, "Zoom in with left mouse button!");
    zoomed = false;
    redraw_needed = true;
    Invalidate();
    UpdateWindow();
}

void CPlotFrame::OnEditSettings()
{
    CChartObject chart;
    CChartDataDlg dialog(this);
    if (dialog.AskChartData(chart) == IDOK) {
        redraw_needed = true;
        Invalidate();
    }
}

void CPlotFrame::OnShowPalette()
{
    CColorBoxDlg dialog(this, 1);
    dialog.DoModal();
}

void CPlotFrame::OnPostScriptFile()
{
    plot_app().layer.target_window = 1;
    CPostScriptFileDlg dialog(this);
    dialog.DoModal();
    SetFocus();
}

void CPlotFrame::OnAbout()
{
    CAboutDlg dialog(this);
    dialog.DoModal();
}

void CPlotFrame::OnHelp()
{
    MessageBox(format_text("The help file %s/plotwell.hlp is not available on this system.", plot_app().settings_folder.c_str()),
               "plotwell", MB_OK | MB_ICONINFORMATION);
}

void CPlotFrame::OnStatistics()
{
    plot_app().show_message("The statistics of classified maps are not available for this drawing.");
}

void CPlotFrame::OnClose()
{
    if (closed) return;
    closed = true;
    CPlotApp& app = plot_app();
    if (!app.scratch_file_name.empty()) ::unlink(app.scratch_file_name.c_str());
    if (m_memDC) {
        SelectObject(m_memDC, app.layer.neutral_brush);
        SelectObject(m_memDC, app.layer.neutral_pen);
    }
    app.layer.mirror_dc = m_memDC;
    app.layer.delete_drawing_objects();
    app.layer.mirror_dc = nullptr;
    ReleaseBitmap();
    DestroyWindow();
}

} // namespace plotwell
