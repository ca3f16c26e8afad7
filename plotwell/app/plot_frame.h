#pragma once
// plotwell's main window: shows the graph of the xy call and keeps it in an off-screen bitmap, so
// that the plot core draws only when the picture must change (first paint, resize, zoom); ordinary
// repaints copy the bitmap. It hosts zoom by dragging, the coordinate read-out in the title, and
// the menu commands for printing, PostScript, picture export and the dialogs.
#include "platform/mfc/AfxWin.h"

#include <string>

namespace plotwell {

struct window_geometry;

// Command ids of the main window's menu and accelerators.
enum : UINT {
    ID_ABOUT = 100, ID_HELP = 150, ID_EXIT = 200, ID_PRINT = 300, ID_OUTPUT_FILE = 310, ID_ZOOM = 320,
    ID_CLASS_DISTRIBUTION = 400, ID_CLASS_DISTRIBUTION_2 = 410, ID_CUMULATIVE_DISTRIBUTION = 420,
    ID_PERCENTILES = 430, ID_MAP_INFO = 40003, ID_EDIT_SETTINGS = 40004, ID_POSTSCRIPT_FILE = 40007,
    ID_SHOW_PALETTE = 40014,
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
    void OnStatistics();

    // Prints the chart: 1 printed, 0 failed, 2 cancelled.
    int PrintChart();

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
    // Draws the chart anew; false when the drawing was abandoned with a fatal error.
    bool Redraw(HDC paint_dc);
    void PruneMenu();
    void ReleaseBitmap();
    POINT ClampToMap(CPoint p) const;
    void ToWorld(POINT p, double& x, double& y) const;
    void DrawDragRect();
};

} // namespace plotwell
