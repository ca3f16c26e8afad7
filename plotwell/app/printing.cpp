// Printing: plotwellPrint.ini, the printer settings dialog and one printed page.
#include "plotwell/app/printing.h"

#include "plotwell/app/plot_app.h"
#include "plotwell/app/plot_frame.h"
#include "plotwell/app/plotwell_dialogs.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace plotwell {

bool write_print_settings(const std::string& path, const print_settings& s)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(&s.mode, sizeof s.mode, 1, f) == 1;
    for (const std::string* name : {&s.device, &s.driver, &s.port}) ok = ok && std::fwrite(name->c_str(), 1, name->size() + 1, f) == name->size() + 1;
    return std::fclose(f) == 0 && ok;
}

std::string save_print_settings(const std::string& path, const print_settings& s)
{
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    std::error_code ec;
    if (!folder.empty() && !std::filesystem::is_directory(folder, ec)) {
        std::filesystem::create_directories(folder, ec);
        if (ec) return format_text("Cannot save the printer choice in %s: %s", path.c_str(), ec.message().c_str());
    }
    errno = 0;
    if (write_print_settings(path, s)) return {};
    const int error = errno;
    return format_text("Cannot save the printer choice in %s: %s", path.c_str(),
                       error ? std::strerror(error) : "the file could not be written");
}

std::string print_failure_text(const std::string& failure)
{
    return failure.empty() ? std::string("Not able to print chart.") : "Not able to print chart.\n" + failure;
}

bool read_print_settings(const std::string& path, print_settings& s)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() < sizeof(DEVMODE) + 3) return false;
    print_settings r;
    std::memcpy(&r.mode, bytes.data(), sizeof r.mode);
    std::size_t at = sizeof(DEVMODE);
    auto take = [&](std::string& out, bool last) {
        const std::size_t start = at;
        while (at < bytes.size() && bytes[at] != 0) ++at;
        if (at >= bytes.size() && !last) return false;
        out.assign(bytes.data() + start, at - start);
        ++at;
        return true;
    };
    if (!take(r.device, false) || !take(r.driver, false) || !take(r.port, true)) return false;
    if (r.device.empty()) return false;
    s = r;
    return true;
}

namespace {
// The first print: the system dialog for the default printer; the choice is saved for later prints
// and used for this one even when it cannot be saved (the message says why). Batch runs take the
// default printer without asking.
bool choose_first_printer(const std::string& path, CWnd* window, print_settings& chosen)
{
    if (plot_app().batch_mode) {
        chosen.device = GetDefaultPrinterName();
        if (chosen.device.empty()) return false;
    } else {
        const PRINTDLG_RESULT r = PrintDlg(window ? window->GetSafeHwnd() : nullptr, nullptr);
        if (!r.ok) return false;
        chosen.mode = r.mode;
        chosen.device = r.device;
    }
    chosen.driver = "winspool";
    chosen.port = "plotwell:";
    std::strncpy(chosen.mode.dmDeviceName, chosen.device.c_str(), sizeof chosen.mode.dmDeviceName - 1);
    const std::string error = save_print_settings(path, chosen);
    if (!error.empty()) plot_app().show_message(error);
    return true;
}

// Why the document could not be started: for a PDF file the reason its file cannot be written.
std::string start_failure(const std::string& device)
{
    if (device.rfind("PDF:", 0) == 0) {
        const std::string file = device.substr(4);
        errno = 0;
        if (std::FILE* f = std::fopen(file.c_str(), "ab")) {
            std::fclose(f);
        } else {
            const int error = errno;
            return format_text("Cannot write %s: %s", file.c_str(), std::strerror(error));
        }
    }
    return format_text("The printer %s did not start the document.", device.c_str());
}
} // namespace

bool run_page_setup(CWnd* window, HDC dc, const DEVMODE& mode, print_job_state& state);

int setup_printer_dc(CWnd* window, HDC& dc, print_job_state& state)
{
    CPlotApp& app = plot_app();
    for (;;) {
        state.page_setup_used = false;
        print_settings s;
        if (state.chosen_now) {
            s = state.chosen;
            state.chosen_now = false;
        } else if (!read_print_settings(app.printer_settings_path, s) &&
                   !choose_first_printer(app.printer_settings_path, window, s)) {
            return 2;
        }
        if (s.port.empty()) return 2;
        state.device = s.device;
        state.colour = s.mode.dmColor != DMCOLOR_MONOCHROME;
        const plot_settings& ps = *app.settings;
        if (ps.page_scale_x != 1.0f) s.mode.dmOrientation = DMORIENT_PORTRAIT;
        else if (ps.page_scale_y != 1.0f) s.mode.dmOrientation = DMORIENT_LANDSCAPE;
        if (!app.batch_mode && !ps.minimised) {
            CPrintSetDlg dialog(window);
            const INT_PTR r = dialog.AskSettings(s.mode, s.device, state);
            if (r == 9876) continue;
            if (r != IDOK) return 2;
        }
        dc = CreatePrinterDC(s.device, &s.mode);
        if (!dc) {
            state.failure = format_text("The printer %s is not available.", s.device.c_str());
            return 0;
        }
        if (state.open_page_setup && !run_page_setup(window, dc, s.mode, state)) {
            DeletePrinterDC(dc);
            dc = nullptr;
            return 2;
        }
        return 1;
    }
}

bool run_page_setup(CWnd* window, HDC dc, const DEVMODE& mode, print_job_state& state)
{
    CPlotApp& app = plot_app();
    const plot_settings& ps = *app.settings;
    const double dpi = std::max(1, GetPrinterDeviceCaps(dc, LOGPIXELSX));
    auto hundredths = [&](int index) { return std::lround(GetPrinterDeviceCaps(dc, index) * 2540.0 / dpi); };
    page_margins m;
    m.width = hundredths(PHYSICALWIDTH);
    m.height = hundredths(PHYSICALHEIGHT);
    m.min_left = hundredths(PHYSICALOFFSETX);
    m.min_top = hundredths(PHYSICALOFFSETY);
    m.min_right = std::max(0L, m.width - m.min_left - hundredths(HORZRES));
    m.min_bottom = std::max(0L, m.height - m.min_top - hundredths(VERTRES));
    // a portrait page of an xy graph leaves the lower part of the page free
    const bool map = ps.draw_map != 0 || ps.polygons_present != 0;
    m.left = 2250;
    m.top = 1500;
    m.right = 2250;
    m.bottom = mode.dmOrientation == DMORIENT_PORTRAIT && !map ? 16000 : 1500;
    if (m.width <= 0 || m.height <= 0) return false;
    CPageSetupDlg dialog(window, m);
    if (dialog.DoModal() != IDOK) return false;
    application_state& st = app.settings->app;
    page_setup_viewport(m, st.page_setup_x1, st.page_setup_x2, st.page_setup_y1, st.page_setup_y2);
    st.page_setup_margins = true;
    state.page_setup_used = true;
    return true;
}

int CPlotFrame::PrintChart() { return print_chart(this, 1, &m_printFailure); }

int print_chart(CWnd* window, int target_window, std::string* failure)
{
    CPlotApp& app = plot_app();
    print_job_state state;
    HDC dc = nullptr;
    if (failure) failure->clear();
    const int ready = setup_printer_dc(window, dc, state);
    if (ready != 1) {
        if (failure) *failure = state.failure;
        return ready;
    }
    const RECT print_rect{0, 0, GetPrinterDeviceCaps(dc, HORZRES), GetPrinterDeviceCaps(dc, VERTRES)};
    const int saved_resolution = app.drawing_resolution;
    app.drawing_resolution = GetPrinterDeviceCaps(dc, LOGPIXELSX);
    application_state& st = app.settings->app;
    st.pixel_aspect = static_cast<double>(GetPrinterDeviceCaps(dc, LOGPIXELSX)) / GetPrinterDeviceCaps(dc, LOGPIXELSY);
    std::unique_ptr<CPrintDlgBox> box;
    if (!app.batch_mode) {
        box = std::make_unique<CPrintDlgBox>(window, state);
        box->Create();
        box->ShowWindow(SW_SHOW);
    }
    bool ok = SetAbortProc(dc, nullptr) > 0;
    if (!ok) state.failure = format_text("The printer %s refused the print.", state.device.c_str());
    if (ok) {
        DOCINFO info;
        info.lpszDocName = "Printing chart...";
        ok = StartDoc(dc, &info) > 0;
        if (!ok) state.failure = start_failure(state.device);
        if (ok) {
            StartPage(dc);
            SetTextAlign(dc, TA_BASELINE | TA_LEFT);
            SetBkMode(dc, TRANSPARENT);
            plot_graphics& gr = app.layer;
            gr.draw_dc = dc;
            gr.printing = true;
            gr.exporting = false;
            gr.target_window = target_window;
            gr.printer_page = print_rect;
            st.view_kind = target_window;
            st.printing = true;
            st.colour_printer = state.colour;
            st.dots_per_inch = app.drawing_resolution;
            st.extra_arguments.clear();
            const bool drawn = app.render();
            gr.printing = false;
            gr.draw_dc = nullptr;
            st.printing = false;
            st.pixel_aspect = 1.0;
            st.view_kind = 1;
            gr.target_window = 1;
            ok = drawn && EndPage(dc) > 0;
            if (ok) ok = EndDoc(dc) > 0;
            else AbortDoc(dc);
            if (!drawn) state.failure = "The drawing ended before the page was complete.";
            else if (!ok) state.failure = format_text("The printer %s did not finish the page.", state.device.c_str());
            else if (state.abort) state.failure = "The print was cancelled.";
            ok = ok && !state.abort;
        }
    }
    app.drawing_resolution = saved_resolution;
    DeletePrinterDC(dc);
    if (box) box->DestroyWindow();
    if (failure) *failure = ok ? std::string() : state.failure;
    return ok ? 1 : 0;
}

void CPlotFrame::OnPrint()
{
    const int r = PrintChart();
    if (r == 0) {
        if (plot_app().batch_mode) {
            std::fprintf(stderr, "%s\n", print_failure_text(m_printFailure).c_str());
            plot_app().exit_status = 1;
        } else {
            MessageBox(print_failure_text(m_printFailure), "Chart", MB_OK | MB_ICONWARNING);
        }
    } else if (r == 2 && plot_app().batch_mode) {
        std::fprintf(stderr, "Not able to print chart: no printer is set up.\n");
        plot_app().exit_status = 1;
    }
}

} // namespace plotwell
