#pragma once
// A graphics layer drawing on one recorded memory context of a given page size.
#include "plotwell/app/graphics/graphics_state.h"
#include "plotwell/core/plot_settings.h"

#include <QColor>
#include <QImage>
#include <memory>

namespace plotwell::test {

struct gdi_page {
    // the context outlives the layer, which releases its objects from it
    DeviceContext dc;
    TGdiRecorder recorder;
    plot_graphics gr;
    plot_settings ps;
    gdi_page(int width, int height) : dc(width, height), ps(gr)
    {
        gr.settings = &ps;
        gr.draw_dc = &dc;
        gr.drawing_rect = RECT{0, 0, width, height};
        dc.Recorder = &recorder;
        dc.Image()->fill(Qt::white);
        colour_table t;
        t.entries[0] = {255, 255, 255};
        t.entries[1] = {0, 0, 0};
        t.entries[2] = {255, 0, 0};
        t.entries[3] = {0, 0, 255};
        gr.gr_set_colour_table(t);
        gr.gr_open_workstation();
        gr.gr_set_viewport(0, 0, width, height);
    }
    QRgb pixel(int x, int y) { return dc.Image()->pixel(x, y) & 0xFFFFFF; }
};

} // namespace plotwell::test
