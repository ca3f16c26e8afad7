// The main window: chart painting, the off-screen bitmap, zoom and read-out.
#include "plotwell/app/plot_frame.h"

#include "plotwell/app/plot_app.h"
#include "plotwell/app/picture_export.h"
#include "plotwell/app/plotwell_dialogs.h"
#include "plotwell/core/freq_distribution.h"
#include "plotwell/core/map_cells.h"
#include "plotwell/core/shared_routines.h"
#include "plotwell/core/xy_call.h"
#include "platform/win/WinClipboard.h"

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
    ON_COMMAND(ID_CLASS_DISTRIBUTION, OnClassDistribution)
    ON_COMMAND(ID_CLASS_DISTRIBUTION_2, OnClassDistribution)
    ON_COMMAND(ID_CUMULATIVE_DISTRIBUTION, OnCumulativeDistribution)
    ON_COMMAND(ID_PERCENTILES, OnPercentiles)
    ON_COMMAND(ID_MAP_INFO, OnMapInfo)
    ON_COMMAND(ID_HELP, OnHelp)
    ON_COMMAND(ID_ABOUT, OnAbout)
END_MESSAGE_MAP()

CPlotFrame::CPlotFrame()
{
    Create("", main_menu(), main_accelerators());
}

CPlotFrame::~CPlotFrame()
{
    statistics.reset();
    m_retiredStatistics.reset();
    ReleaseBitmap();
}

void shown_map::save(const plot_settings& ps)
{
    map = ps.map;
    x1 = ps.map_x1;
    y1 = ps.map_y1;
    x2 = ps.map_x2;
    y2 = ps.map_y2;
    skip_string = ps.skip_string;
    settings_lines = ps.map_settings_lines;
    percentiles = ps.percentiles;
    percentile_file = ps.percentile_file;
}

void shown_map::restore(plot_settings& ps) const
{
    ps.map = map;
    ps.map_x1 = x1;
    ps.map_y1 = y1;
    ps.map_x2 = x2;
    ps.map_y2 = y2;
    ps.skip_string = skip_string;
    ps.map_settings_lines = settings_lines;
    ps.percentiles = percentiles;
    ps.percentile_file = percentile_file;
}

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
        plot_graphics& gr = plot_app().layer;
        if (gr.mirror_dc == m_memDC) gr.mirror_dc = nullptr;
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
        if (app.settings->copy_to_clipboard) CopyToClipboard();
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
    if (write_chart_settings) {
        WriteChartSettings();
        write_chart_settings = false;
    }
    ++redraw_count;
    const bool drawn = app.render();
    gr.draw_dc = nullptr;
    if (!drawn) return false;
    calls_drawn = app.settings->call_number;
    const plot_settings& ps = *app.settings;
    map_rect = RECT{static_cast<LONG>(ps.state.frame_left * m_client.right / 100.0),
                    static_cast<LONG>(m_client.bottom - (ps.state.frame_bottom + ps.state.frame_height) * m_client.bottom / 100.0),
                    static_cast<LONG>((ps.state.frame_left + ps.state.frame_width) * m_client.right / 100.0),
                    static_cast<LONG>(m_client.bottom - ps.state.frame_bottom * m_client.bottom / 100.0)};
    map.drawn = ps.draw_map != 0 || ps.polygons_present != 0;
    std::string shown;
    if (map.drawn) {
        // the map window as drawn (the zoom window while zoomed)
        map.save(ps);
        map.grid = ps.draw_map != 0 && !ps.map.file_name.empty() && ps.map.header.ncols > 0 && ps.map.header.nrows > 0;
        map.statistics = map.grid && ps.matrix_plot != 0 && !ps.classes.empty();
        world_x1 = std::min(ps.map_x1, ps.map_x2);
        world_x2 = std::max(ps.map_x1, ps.map_x2);
        world_y1 = std::min(ps.map_y1, ps.map_y2);
        world_y2 = std::max(ps.map_y1, ps.map_y2);
        shown = ps.polygons_present && !map.grid ? ps.data_file_name : ps.map.file_name;
    } else {
        map.grid = map.statistics = false;
        world_x1 = ps.x_axis.min;
        world_x2 = ps.x_axis.max;
        world_y1 = ps.y1_axis.min;
        world_y2 = ps.y1_axis.max;
        shown = ps.data_file_name;
    }
    // a graph whose DATA lines select its data names no data file on the call: the settings file
    // it was drawn from names it instead
    if (shown.empty()) shown = ps.graph_settings_file_name;
    if (calls_drawn != 1 && calls_drawn != 2) shown = ps.job_file_name;
    m_title = app.title_base + " " + shown;
    SetWindowText(m_title);
    redraw_needed = false;
    if (map.drawn) MakeChartObject();
    return true;
}

void CPlotFrame::MakeChartObject()
{
    const plot_settings& ps = *plot_app().settings;
    auto c = std::make_unique<CChartObject>();
    const size_t n = ps.classes.size();
    for (size_t i = 0; i < n; ++i) {
        const map_class& k = ps.classes[i];
        CChartData d;
        d.left = i == 0 && ps.first_class_open_below ? std::string("-")
                                                       : format_text("%s%g", k.lower_inclusive ? "=" : "", k.lower);
        d.right = i + 1 == n && ps.last_class_open_above ? std::string("-")
                                                           : format_text("%s%g", k.upper_inclusive ? "=" : "", k.upper);
        d.title = k.legend;
        d.colour = k.colour; // the class table holds the MATRIX_CLASS colour + 1 already
        c->classes.push_back(d);
    }
    c->main_title = ps.title_given[0] ? ps.title[0] : std::string();
    c->sub_title = ps.title_given[1] ? ps.title[1] : std::string();
    c->legend_title = ps.matrix_title;
    if (ps.grid_spacing_x != 0) {
        c->grid_distance = format_text("%g", ps.grid_spacing_x);
        c->grid = true;
    }
    if (!ps.lock_chart_edit) c->settings_file = ps.graph_settings_file_name;
    chart = std::move(c);
}

void CPlotFrame::WriteChartSettings()
{
    if (!chart) return;
    std::FILE* f = open_file_or_fail(plot_app().settings->shared, "winmenu.set", "w");
    const CChartObject& c = *chart;
    if (!c.main_title.empty()) std::fprintf(f, "TITLE_1 %s\n", c.main_title.c_str());
    if (!c.sub_title.empty()) std::fprintf(f, "TITLE_2 %s\n", c.sub_title.c_str());
    if (!c.legend_title.empty()) std::fprintf(f, "MATRIX_TITLE %s\n", c.legend_title.c_str());
    if (c.grid && !c.grid_distance.empty())
        std::fprintf(f, "DRAW_GRID %s,%s\n", c.grid_distance.c_str(), c.grid_distance.c_str());
    for (const CChartData& d : c.classes) {
        std::string text;
        if (!parse_class_values(d.left, d.right, d.title, text, true)) {
            std::fclose(f);
            fatal_error("Fatal error!");
        }
        std::fprintf(f, "MATRIX_CLASS %d %s\n", d.colour - 1, text.c_str());
    }
    std::fclose(f);
    plot_app().settings->app.winmenu_written = true;
}

void CPlotFrame::CopyToClipboard()
{
    if (!m_bitmap || !m_memDC) return;
    // the clipboard owns what it is given: it gets a copy, the window keeps its own bitmap
    RECT r;
    GetClientRect(&r);
    const int w = std::max<LONG>(r.right, 1), h = std::max<LONG>(r.bottom, 1);
    HBITMAP copy = CreateCompatibleBitmap(m_memDC, w, h);
    if (!copy) return;
    HDC dc = CreateCompatibleDC(m_memDC);
    HGDIOBJ previous = SelectObject(dc, copy);
    BitBlt(dc, 0, 0, w, h, m_memDC, 0, 0, SRCCOPY);
    SelectObject(dc, previous);
    ::DeleteDC(dc);
    if (!OpenClipboard(m_hWnd)) {
        DeleteObject(copy);
        return;
    }
    EmptyClipboard();
    if (!SetClipboardData(CF_BITMAP, copy)) DeleteObject(copy);
    CloseClipboard();
}

void CPlotFrame::PruneMenu()
{
    CMenu* menu = GetMenu();
    if (!menu) return;
    const plot_settings& ps = *plot_app().settings;
    const bool job = !ps.job_file_name.empty() && ps.job_mode;
    const bool one_or_two = calls_drawn == 1 || calls_drawn == 2;
    if (map.drawn) {
        int statistics_at = 2;
        if (job) {
            job_drawing = true;
            if (!one_or_two) {
                menu->DeleteMenu(1, MF_BYPOSITION);
                statistics_at = 1;
            }
        }
        if (map.statistics) {
            if (CMenu* stats = menu->GetSubMenu(statistics_at)) {
                if (calls_drawn > 1) {
                    stats->DeleteMenu(ID_MAP_INFO, MF_BYCOMMAND);
                    stats->DeleteMenu(3, MF_BYPOSITION); // its separator
                }
                if (map.percentiles.empty()) stats->DeleteMenu(ID_PERCENTILES, MF_BYCOMMAND);
            }
        } else {
            menu->DeleteMenu(static_cast<UINT>(statistics_at), MF_BYPOSITION);
        }
        if (statistics_at == 2 && !ps.zoom_allowed)
            if (CMenu* edit = menu->GetSubMenu(1)) {
                edit->DeleteMenu(1, MF_BYPOSITION);
                edit->DeleteMenu(ID_ZOOM, MF_BYCOMMAND);
            }
        return;
    }
    // Without a map the Statistics menu goes.
    menu->DeleteMenu(2, MF_BYPOSITION);
    if (job && !one_or_two) {
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
    CloseStatistics();
    m_lastSizeType = type;
}

void CPlotFrame::CloseStatistics()
{
    if (!statistics) return;
    // The window may be closing itself from its own handler: its object stays until the next close.
    m_retiredStatistics = std::move(statistics);
    m_retiredStatistics->DestroyWindow();
}

void CPlotFrame::RepaintNow()
{
    Invalidate();
    UpdateWindow();
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

bool CPlotFrame::GridValueAt(double x, double y, double& value, double& cell_x, double& cell_y)
{
    const grid_header& h = map.map.header;
    const double cw = map.map.cell_width, ch = map.map.cell_height;
    if (!map.grid || !(cw > 0) || !(ch > 0)) return false;
    cell_x = h.x_left + std::floor((x - h.x_left) / cw) * cw;
    cell_y = h.y_bottom + std::floor((y - h.y_bottom) / ch) * ch;
    const double column = (x - h.x_left) / cw + 1, row = (h.y_top - y) / ch + 1;
    if (!(column >= 1 && column < h.ncols + 1 && row >= 1 && row < h.nrows + 1)) return false;
    plot_settings& ps = *plot_app().settings;
    // the read-out reads the main window's map, whatever the Statistics window drew since
    map.restore(ps);
    if (!read_map_row_values(ps, static_cast<int>(column), static_cast<int>(row), value)) return false;
    map.map.header.row_positions = ps.map.header.row_positions; // keep the rows found
    const float missing = h.nodata_given ? h.nodata : -9999.0f;
    return static_cast<float>(value) != missing;
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
        if (map.grid) {
            double value = 0, cx = x, cy = y;
            if (GridValueAt(x, y, value, cx, cy))
                SetWindowText(format_text("%s x: %g y: %g     gridvalue: %g", m_title.c_str(), cx, cy, value));
            else
                SetWindowText(format_text("%s x: %g y: %g     gridvalue: no data", m_title.c_str(), cx, cy));
        } else {
            SetWindowText(format_text("%s x: %g y: %g", m_title.c_str(), x, y));
        }
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
    double left = std::min(x1, x2), right = std::max(x1, x2), bottom = std::min(y1, y2), top = std::max(y1, y2);
    if (map.grid) {
        CloseStatistics();
        const double cw = map.map.cell_width, ch = map.map.cell_height;
        if (cw == 0) MessageBox("mboxwidth=0", "maprect", MB_OK | MB_ICONWARNING);
        if (ch == 0) MessageBox("mboxywidth=0", "maprect", MB_OK | MB_ICONWARNING);
        // edges snap to whole cells counted from 0
        auto index = [](double v, double cell) { return static_cast<double>(static_cast<std::int16_t>(static_cast<long>(v / cell))); };
        if (cw != 0) {
            left = index(left, cw) * cw;
            right = (index(right, cw) + 1) * cw;
        }
        if (ch != 0) {
            bottom = index(bottom, ch) * ch;
            top = (index(top, ch) + 1) * ch;
        }
    }
    application_state& st = plot_app().settings->app;
    st.zoom_x1 = left;
    st.zoom_x2 = right;
    st.zoom_y1 = bottom;
    st.zoom_y2 = top;
    st.zoom_shown = true;
    if (CMenu* menu = GetMenu()) menu->ModifyMenu(ID_ZOOM, MF_ENABLED, ID_ZOOM, "&Zoom out to original size\tF8");
    zoomed = true;
    redraw_needed = true;
    RepaintNow();
}

void CPlotFrame::OnRButtonUp(UINT flags, CPoint point)
{
    CPlotApp& app = plot_app();
    plot_settings& ps = *app.settings;
    if (!ps.letter_file_active) {
        OnZoomOut();
        return;
    }
    // digitising into the -$ coordinates file
    if (!app.drawing_ready || (calls_drawn != 1 && calls_drawn != 2)) return;
    if (point.x < map_rect.left || point.x > map_rect.right || point.y < map_rect.top || point.y > map_rect.bottom ||
        map_rect.right <= map_rect.left || map_rect.bottom <= map_rect.top)
        return;
    double x, y;
    ToWorld(POINT{point.x, point.y}, x, y);
    if (map.grid) {
        double value, cx = x, cy = y;
        GridValueAt(x, y, value, cx, cy);
        x = cx;
        y = cy;
    }
    std::FILE* f = std::fopen(ps.letter_file_name.c_str(), "a");
    if (!f) {
        // the file has gone or became unwritable: say so instead of losing the point silently
        app.show_message(format_text("Cannot open %s\n", ps.letter_file_name.c_str()));
        return;
    }
    if (flags & MK_SHIFT) std::fprintf(f, "%c\n", ps.next_letter++);
    std::fprintf(f, "%g %g\n", x, y);
    std::fclose(f);
}

void CPlotFrame::OnZoomOut()
{
    CloseStatistics();
    if (!zoomed) return;
    plot_app().settings->app.zoom_shown = false;
    if (CMenu* menu = GetMenu()) menu->ModifyMenu(ID_ZOOM, MF_GRAYED, ID_ZOOM, "Zoom in with left mouse button!");
    zoomed = false;
    redraw_needed = true;
    RepaintNow();
}

void CPlotFrame::OnMapInfo()
{
    CPlotApp& app = plot_app();
    if (!map.grid) return;
    CloseStatistics();
    const map_settings& m = map.map;
    if (!m.data_box_set) {
        app.show_message("The map shows no cells with values.");
        return;
    }
    std::string text = format_text("Min. and Max. coordinates with values:\n%g,%g - %g,%g", m.data_x1, m.data_y1,
                                   m.data_x2, m.data_y2);
    if (!app.settings->zoom_allowed) {
        app.show_message(text);
        return;
    }
    text += "\nZoom map to this coordinates?";
    if (MessageBox(text, "Map Info", MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    application_state& st = app.settings->app;
    st.zoom_x1 = m.data_x1;
    st.zoom_y1 = m.data_y1;
    st.zoom_x2 = m.data_x2 + m.cell_width;
    st.zoom_y2 = m.data_y2 + m.cell_height;
    st.zoom_shown = true;
    zoomed = true;
    redraw_needed = true;
    RepaintNow();
}

void CPlotFrame::RunDistribution(bool cumulative, bool percentiles)
{
    CPlotApp& app = plot_app();
    plot_settings& ps = *app.settings;
    if (analysed_file.empty()) analysed_file = job_drawing ? ps.job_file_name : map.map.file_name;
    map.restore(ps);
    CFreqDistDlg progress(this, "", "");
    progress.Create();
    progress.ShowWindow(SW_SHOW);
    ps.app.progress = [&progress](const std::string& left, const std::string& right, int percent) {
        progress.Progress(left, right, percent);
    };
    try {
        run_frequency_distribution(ps, map.settings_lines, cumulative, percentiles,
                                   job_drawing ? analysed_file : std::string());
    } catch (const plot_error& e) {
        ps.app.progress = nullptr;
        progress.DestroyWindow();
        throw;
    }
    ps.app.progress = nullptr;
    progress.DestroyWindow();
}

void CPlotFrame::OnClassDistribution()
{
    CPlotApp& app = plot_app();
    if (!app.drawing_ready || !(map.grid || job_drawing)) return;
    CloseStatistics();
    m_retiredStatistics.reset();
    RunDistribution(cumulative_next, false);
    const bool cumulative = cumulative_next;
    statistics = std::make_unique<CStatisticsFrame>(this);
    RECT c;
    GetClientRect(&c);
    ClientToScreen(&c);
    client_on_screen = c;
    const double w = c.right - c.left, h = c.bottom - c.top;
    const double a = !job_drawing ? 0.5 : cumulative ? 0.25 : 0.1;
    const double b = !job_drawing ? 0.5 : cumulative ? 0.5 : 0.8;
    statistics->MoveWindow(static_cast<int>(c.left + w * a), static_cast<int>(c.top + h * a), static_cast<int>(w * b),
                           static_cast<int>(h * b));
    statistics->ShowWindow(SW_SHOW);
    statistics->UpdateWindow();
    statistics->SetFocus();
}

void CPlotFrame::OnCumulativeDistribution()
{
    cumulative_next = true;
    try {
        OnClassDistribution();
    } catch (...) {
        cumulative_next = false;
        throw;
    }
    cumulative_next = false;
}

void CPlotFrame::OnPercentiles()
{
    if (map.percentiles.empty()) return;
    CloseStatistics();
    RunDistribution(true, true);
}

void CPlotFrame::OnEditSettings()
{
    CloseStatistics();
    if (!chart) chart = std::make_unique<CChartObject>();
    CChartDataDlg dialog(this);
    if (dialog.AskChartData(*chart) == IDOK) {
        if (chart->classes.empty()) chart.reset();
        redraw_needed = true;
        write_chart_settings = chart != nullptr;
        RepaintNow();
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
    const std::string name = plot_app().settings_folder + "/plotwell.hlp";
    std::FILE* f = std::fopen(name.c_str(), "rb");
    if (!f) {
        plot_app().show_message(format_text("Cannot open %s\n", name.c_str()));
        return;
    }
    std::string text;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) text.append(buffer, n);
    std::fclose(f);
    CHelpViewerDlg viewer(this, text);
    viewer.DoModal();
}

void CPlotFrame::OnClose()
{
    if (closed) return;
    closed = true;
    CPlotApp& app = plot_app();
    if (!app.scratch_file_name.empty()) ::unlink(app.scratch_file_name.c_str());
    CloseStatistics();
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

// ---------------------------------------------------------------- the Statistics window

namespace plotwell {

namespace {
const std::vector<POPUPMENU>& statistics_menu()
{
    static const std::vector<POPUPMENU> menu = {
        {"&File",
         {{ID_STAT_PRINT, "&Print \tCtrl+P", 0}, {ID_STAT_POSTSCRIPT_FILE, "&Create Postscript File\tF5", 0},
          {ID_STAT_OUTPUT_FILE, "Create &Output File\tF6", 0}, {ID_STAT_EXIT, "E&xit \tESC", 0}}},
        {"&Edit", {{ID_STAT_ZOOM, "Zoom in with left mouse button\tF8", MF_GRAYED}}},
    };
    return menu;
}

const std::vector<ACCELERATOR>& statistics_accelerators()
{
    static const std::vector<ACCELERATOR> keys = {
        {"Ctrl+P", ID_STAT_PRINT}, {"F5", ID_STAT_POSTSCRIPT_FILE}, {"F6", ID_STAT_OUTPUT_FILE}, {"Esc", ID_STAT_EXIT},
        {"F8", ID_STAT_ZOOM},
    };
    return keys;
}
} // namespace

BEGIN_MESSAGE_MAP(CStatisticsFrame, CFrameWnd)
    ON_COMMAND(ID_STAT_PRINT, OnPrint)
    ON_COMMAND(ID_STAT_POSTSCRIPT_FILE, OnPostScriptFile)
    ON_COMMAND(ID_STAT_OUTPUT_FILE, OnOutputFile)
    ON_COMMAND(ID_STAT_EXIT, OnClose)
    ON_COMMAND(ID_STAT_ZOOM, OnZoomOut)
END_MESSAGE_MAP()

CStatisticsFrame::CStatisticsFrame(CPlotFrame* main) : m_main(main)
{
    Create("Statistics", statistics_menu(), statistics_accelerators());
}

CStatisticsFrame::~CStatisticsFrame() = default;

bool CStatisticsFrame::RenderDistribution()
{
    CPlotApp& app = plot_app();
    plot_settings& ps = *app.settings;
    application_state& st = ps.app;
    // this window's zoom in place of the main window's for the one drawing
    const bool shown = st.zoom_shown;
    const double x1 = st.zoom_x1, y1 = st.zoom_y1, x2 = st.zoom_x2, y2 = st.zoom_y2;
    st.zoom_shown = zoomed;
    st.zoom_x1 = zoom_x1;
    st.zoom_y1 = zoom_y1;
    st.zoom_x2 = zoom_x2;
    st.zoom_y2 = zoom_y2;
    const int view = st.view_kind;
    st.view_kind = 2;
    const bool drawn = app.render();
    st.view_kind = view;
    st.zoom_shown = shown;
    st.zoom_x1 = x1;
    st.zoom_y1 = y1;
    st.zoom_x2 = x2;
    st.zoom_y2 = y2;
    // the distribution drawing overwrote the map of the main window's drawing
    m_main->map.restore(ps);
    return drawn;
}

void CStatisticsFrame::OnPaint()
{
    CPlotApp& app = plot_app();
    CPaintDC dc(this);
    // The flag of a message box keeps the repaint after the box from drawing again; a window that
    // has not drawn yet draws all the same, or it would stay blank until something repaints it.
    if (app.skip_next_paint) {
        app.skip_next_paint = false;
        if (drawn) return;
    }
    if (!app.drawing_ready) return;
    plot_graphics& gr = app.layer;
    RECT r;
    GetClientRect(&r);
    SetTextAlign(dc, TA_BASELINE | TA_LEFT);
    SetBkMode(dc, TRANSPARENT);
    gr.draw_dc = dc;
    gr.mirror_dc = nullptr;
    gr.target_window = 2;
    gr.printing = gr.exporting = false;
    gr.drawing_rect = r;
    app.drawing_resolution = r.right / 11;
    application_state& st = app.settings->app;
    st.printing = st.exporting = st.metafile = false;
    st.dots_per_inch = app.drawing_resolution;
    st.extra_arguments.clear();
    ++paint_count;
    const bool rendered = RenderDistribution();
    gr.draw_dc = nullptr;
    gr.target_window = 1;
    if (!rendered) {
        OnClose();
        return;
    }
    const plot_settings& ps = *app.settings;
    world_x1 = ps.x_axis.min;
    world_x2 = ps.x_axis.max;
    world_y1 = ps.y1_axis.min;
    world_y2 = ps.y1_axis.max;
    // the frame of the (last) graph drawn: its place in the graph region, the region on the page
    const double b = ps.draw_box ? ps.title_block_height : 0;
    const double x1 = ps.viewport_x1 + ps.state.frame_left * ps.state.region_scale_x;
    const double x2 = x1 + ps.state.frame_width * ps.state.region_scale_x;
    const double y1 = ps.viewport_y1 + b + ps.state.frame_bottom * ps.state.region_scale_y;
    const double y2 = ps.viewport_y1 + b + ps.state.frame_top * ps.state.region_scale_y;
    graph_rect = RECT{static_cast<LONG>(x1 * r.right / 100.0), static_cast<LONG>(r.bottom - y2 * r.bottom / 100.0),
                      static_cast<LONG>(x2 * r.right / 100.0), static_cast<LONG>(r.bottom - y1 * r.bottom / 100.0)};
    drawn = true;
    m_title = "Statistics " + analysed_name();
    SetWindowText(m_title);
}

std::string CStatisticsFrame::analysed_name() const { return m_main->analysed_file; }

void CStatisticsFrame::OnClose()
{
    // The main window owns this window: it destroys it and lets go of it.
    CPlotFrame* main = m_main;
    main->SetFocus();
    main->CloseStatistics();
}

void CStatisticsFrame::ToWorld(POINT p, double& x, double& y) const
{
    const RECT& r = graph_rect;
    const double w = std::max<LONG>(r.right - r.left, 1), h = std::max<LONG>(r.bottom - r.top, 1);
    x = world_x1 + (p.x - r.left) / w * (world_x2 - world_x1);
    y = world_y2 - (p.y - r.top) / h * (world_y2 - world_y1);
}

void CStatisticsFrame::DrawDragRect()
{
    HDC dc = GetDC();
    RECT r{std::min(m_dragStart.x, m_dragEnd.x), std::min(m_dragStart.y, m_dragEnd.y), std::max(m_dragStart.x, m_dragEnd.x),
           std::max(m_dragStart.y, m_dragEnd.y)};
    DrawFocusRect(dc, &r);
    ReleaseDC(dc);
}

void CStatisticsFrame::OnLButtonDown(UINT, CPoint point)
{
    if (!plot_app().drawing_ready || !plot_app().settings->zoom_allowed) return;
    m_dragStart = m_dragEnd = POINT{point.x, point.y};
    m_tracking = true;
}

void CStatisticsFrame::OnMouseMove(UINT flags, CPoint point)
{
    if (!plot_app().drawing_ready || !drawn) return;
    if (m_tracking && (flags & MK_LBUTTON)) {
        DrawDragRect();
        m_dragEnd = POINT{point.x, point.y};
        DrawDragRect();
    }
    // like the main window's: the graph's coordinates inside its frame, the plain title outside
    const RECT& g = graph_rect;
    if (point.x < g.left || point.x > g.right || point.y < g.top || point.y > g.bottom) {
        SetWindowText(m_title);
        return;
    }
    double x, y;
    ToWorld(POINT{point.x, point.y}, x, y);
    SetWindowText(format_text("%s x: %g y: %g", m_title.c_str(), x, y));
}

void CStatisticsFrame::OnLButtonUp(UINT, CPoint point)
{
    if (!m_tracking) return;
    m_tracking = false;
    m_dragEnd = POINT{point.x, point.y};
    if (m_dragEnd.x == m_dragStart.x || m_dragEnd.y == m_dragStart.y) return;
    double x1, y1, x2, y2;
    ToWorld(m_dragStart, x1, y1);
    ToWorld(m_dragEnd, x2, y2);
    zoom_x1 = std::min(x1, x2);
    zoom_x2 = std::max(x1, x2);
    zoom_y1 = std::min(y1, y2);
    zoom_y2 = std::max(y1, y2);
    zoomed = true;
    if (CMenu* menu = GetMenu()) menu->ModifyMenu(ID_STAT_ZOOM, MF_ENABLED, ID_STAT_ZOOM, "&Zoom out to original size\tF8");
    Invalidate();
    UpdateWindow();
}

void CStatisticsFrame::OnRButtonUp(UINT, CPoint) { OnZoomOut(); }

void CStatisticsFrame::OnZoomOut()
{
    if (!zoomed) return;
    zoomed = false;
    if (CMenu* menu = GetMenu()) menu->ModifyMenu(ID_STAT_ZOOM, MF_GRAYED, ID_STAT_ZOOM, "Zoom in with left mouse button!");
    Invalidate();
    UpdateWindow();
}

void CStatisticsFrame::OnPrint()
{
    if (!plot_app().drawing_ready) return;
    std::string failure;
    if (print_chart(this, 2, &failure) == 0) MessageBox(print_failure_text(failure), "Chart", MB_OK | MB_ICONWARNING);
    m_main->map.restore(*plot_app().settings);
}

void CStatisticsFrame::OnPostScriptFile()
{
    if (!plot_app().drawing_ready) return;
    plot_app().layer.target_window = 2;
    CPostScriptFileDlg dialog(this);
    dialog.DoModal();
    plot_app().layer.target_window = 1;
    m_main->map.restore(*plot_app().settings);
    SetFocus();
}

void CStatisticsFrame::OnOutputFile()
{
    export_chart(this, 0);
    plot_app().layer.target_window = 1;
    m_main->map.restore(*plot_app().settings);
}

} // namespace plotwell
