#pragma once
// plotwell's main window: shows the graph of the xy call and keeps it in an off-screen bitmap, so
// that the plot core draws only when the picture must change (first paint, resize, zoom); ordinary
// repaints copy the bitmap. It hosts zoom by dragging, the coordinate read-out in the title, and
// the menu commands for printing, PostScript, picture export and the dialogs.
#include "plotwell/app/plotwell_dialogs.h"
#include "platform/mfc/AfxWin.h"
#include "plotwell/core/plot_settings.h"

#include <memory>
#include <string>
#include <vector>

namespace plotwell {

struct window_geometry;

// Command ids of the main window's menu and accelerators.
enum : UINT {
    ID_ABOUT = 100, ID_HELP = 150, ID_EXIT = 200, ID_PRINT = 300, ID_OUTPUT_FILE = 310, ID_ZOOM = 320,
    ID_CLASS_DISTRIBUTION = 400, ID_CLASS_DISTRIBUTION_2 = 410, ID_CUMULATIVE_DISTRIBUTION = 420,
    ID_PERCENTILES = 430, ID_MAP_INFO = 40003, ID_EDIT_SETTINGS = 40004, ID_POSTSCRIPT_FILE = 40007,
    ID_SHOW_PALETTE = 40014,
};
// Command ids of the Statistics window.
enum : UINT {
    ID_STAT_EXIT = 500, ID_STAT_PRINT = 600, ID_STAT_ZOOM = 660, ID_STAT_POSTSCRIPT_FILE = 40008,
    ID_STAT_OUTPUT_FILE = 40015,
};

class CPlotFrame;

// The map of the main window's last drawing, as the read-out, digitising, Map Info and the
// statistics commands need it. A drawing of the Statistics window overwrites these values in the
// plot core's record; the main window puts its copy back.
struct shown_map {
    bool drawn = false;          // a map (grid or polygons) was drawn
    bool grid = false;           // its cells come from a grid map file
    bool statistics = false;     // a classified grid: the statistics commands apply
    map_settings map;            // file, header, cell sizes, extent of the cells with values
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0; // the map window of the drawing (plot core's order)
    std::string skip_string = "*";
    std::vector<std::string> settings_lines; // the classes and titles of the map's call
    std::vector<double> percentiles;
    std::string percentile_file;
    void save(const plot_settings& ps);
    void restore(plot_settings& ps) const;
};

// The secondary window: the frequency-distribution chart of the classified map, drawn by the plot
// core straight on the window (no off-screen bitmap) with its own zoom.
class CStatisticsFrame : public CFrameWnd {
public:
    explicit CStatisticsFrame(CPlotFrame* main);
    ~CStatisticsFrame() override;

    void OnPaint() override;
    void OnLButtonDown(UINT flags, CPoint point) override;
    void OnLButtonUp(UINT flags, CPoint point) override;
    void OnMouseMove(UINT flags, CPoint point) override;
    void OnRButtonUp(UINT flags, CPoint point) override;
    void OnClose() override;

    void OnPrint();
    void OnPostScriptFile();
    void OnOutputFile();
    void OnZoomOut();

    bool zoomed = false;
    int paint_count = 0;
    // The axis ranges of the last drawing and the graph frame they fill, in client pixels; the
    // read-out and the zoom convert through them.
    double world_x1 = 0, world_x2 = 1, world_y1 = 0, world_y2 = 1;
    RECT graph_rect{0, 0, 0, 0};
    bool drawn = false;
    double zoom_x1 = 0, zoom_y1 = 0, zoom_x2 = 0, zoom_y2 = 0;

    DECLARE_MESSAGE_MAP()

private:
    CPlotFrame* m_main;
    bool m_tracking = false;
    POINT m_dragStart{0, 0}, m_dragEnd{0, 0};
    std::string m_title;
    std::string analysed_name() const;
    // Runs a drawing of the distribution with this window's zoom in place of the main window's.
    bool RenderDistribution();
    void ToWorld(POINT p, double& x, double& y) const;
    void DrawDragRect();
    void RunDistribution(bool cumulative, bool percentiles);
    void MakeChartObject();
    void WriteChartSettings();
    void RepaintNow();
};


class CPlotFrame : public CFrameWnd {
public:
    CPlotFrame();
    ~CPlotFrame() override;

    // Places and shows the window (minimised with "--", maximised without a geometry).
    void ShowFrame(const window_geometry& geometry, bool minimised, int show_command);

    void OnPaint() override;
    void OnSize(UINT type, int cx, int cy) override;
    void OnLButtonDown(UINT flags, CPoint point) override;
    void OnLButtonUp(UINT flags, CPoint point) override;
    void OnMouseMove(UINT flags, CPoint point) override;
    void OnRButtonUp(UINT flags, CPoint point) override;
    void OnClose() override;
    BOOL OnCommand(UINT id, UINT code) override;

    void OnPrint();
    void OnPostScriptFile();
    void OnOutputFile();
    void OnZoomOut();
    void OnEditSettings();
    void OnShowPalette();
    void OnAbout();
    void OnHelp();
    void OnClassDistribution();
    void OnCumulativeDistribution();
    void OnPercentiles();
    void OnMapInfo();

    // Prints the chart: 1 printed, 0 failed (the reason in m_printFailure), 2 cancelled.
    int PrintChart();
    std::string m_printFailure;
    // Closes the Statistics window when it is open.
    void CloseStatistics();
    // Puts the current off-screen bitmap on the clipboard (a copy: the window keeps drawing on its own).
    void CopyToClipboard();
    // The value of the grid cell under a world point: false outside the grid or on a missing value.
    bool GridValueAt(double x, double y, double& value, double& cell_x, double& cell_y);

    // State read by tests.
    bool first_paint = true;
    bool redraw_needed = true;
    bool bitmap_made = false;
    bool zoomed = false;
    int redraw_count = 0;
    RECT map_rect{0, 0, 0, 0};
    double world_x1 = 0, world_x2 = 1, world_y1 = 0, world_y2 = 1;
    HDC memory_dc() const { return m_memDC; }
    HBITMAP bitmap() const { return m_bitmap; }
    int calls_drawn = 0;
    bool closed = false;
    bool job_drawing = false;
    bool write_chart_settings = false;
    shown_map map;
    std::unique_ptr<CChartObject> chart;
    std::unique_ptr<CStatisticsFrame> statistics;
    std::string analysed_file; // the file the statistics commands analyse, fixed at the first one
    RECT client_on_screen{0, 0, 0, 0};
    bool cumulative_next = false; // the class distribution being opened is the cumulative one
    const std::string& title() const { return m_title; }

    DECLARE_MESSAGE_MAP()

private:
    HDC m_memDC = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_previousBitmap = nullptr;
    RECT m_client{0, 0, 0, 0};
    UINT m_lastSizeType = 0;
    bool m_tracking = false;
    POINT m_dragStart{0, 0}, m_dragEnd{0, 0};
    std::string m_title;
    std::unique_ptr<CStatisticsFrame> m_retiredStatistics;
    // Draws the chart anew; false when the drawing was abandoned with a fatal error.
    bool Redraw(HDC paint_dc);
    void PruneMenu();
    void ReleaseBitmap();
    POINT ClampToMap(CPoint p) const;
    void ToWorld(POINT p, double& x, double& y) const;
    void DrawDragRect();
    void RunDistribution(bool cumulative, bool percentiles);
    void MakeChartObject();
    void WriteChartSettings();
    void RepaintNow();
};


} // namespace plotwell
