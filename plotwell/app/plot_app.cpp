// Start-up and command line.
#include "plotwell/app/plot_app.h"

#include "plotwell/app/plot_frame.h"
#include "plotwell/core/xy_call.h"
#include "platform/win/WinEnvironment.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/SysUtils.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <unistd.h>

namespace plotwell {

namespace {
CPlotApp* the_plot_app = nullptr;

long leading_integer(const std::string& text)
{
    return std::strtol(text.c_str(), nullptr, 10);
}

std::string windows_folder()
{
    if (const char* d = std::getenv("QUELM_WINDIR"); d && *d) return d;
    if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x) return std::string(x) + "/quelm";
    const char* home = std::getenv("HOME");
    return std::string(home ? home : ".") + "/.config/quelm";
}
} // namespace

CPlotApp& plot_app() { return *the_plot_app; }

std::string make_xy_call(const std::string& command_line)
{
    if (!command_line.empty()) return "xy " + command_line;
    if (std::FILE* f = std::fopen("plotwell.arg", "r")) {
        char line[512] = {};
        const bool got = std::fgets(line, sizeof line, f) != nullptr;
        std::fclose(f);
        std::string s = got ? line : "";
        while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
        // A damaged or empty file is no xy call: the usage job is drawn instead.
        if (s.size() >= 2 && (s.compare(0, 2, "xy") == 0 || s.compare(0, 2, "XY") == 0)) return s;
    }
    return "xy -j xyusage.job";
}

window_geometry take_window_geometry(std::vector<std::string>& words)
{
    window_geometry g;
    const bool present = std::find(words.begin(), words.end(), "-W") != words.end();
    std::string value;
    take_option_argument(value, words, "-W");
    if (!present || (!value.empty() && (value[0] == 'p' || value[0] == 'l'))) return g;
    const std::vector<std::string> fields = split_fields(value, ',', 0);
    if (fields.size() != 4) fatal_error("%s setting needs %d coordinates ','-seperated\n", "window", 4);
    double v[4];
    for (int i = 0; i < 4; ++i) v[i] = std::atof(fields[static_cast<std::size_t>(i)].c_str());
    g.given = true;
    g.x = static_cast<float>(v[0] > 0 ? v[0] : 0);
    g.y = static_cast<float>(v[1] > 0 ? v[1] : 0);
    g.w = static_cast<float>(v[2]);
    g.h = static_cast<float>(v[3]);
    if (1.0f - g.x <= g.w) g.w = 1.0f - g.x;
    if (0.999f - g.y <= g.h) g.h = 0.999f - g.y;
    return g;
}

export_request parse_export_value(const std::string& value)
{
    export_request r;
    r.given = true;
    const std::vector<std::string> f = split_fields(value, ',', 4);
    if (f.empty()) return r;
    r.file_name = f[0];
    if (f.size() == 1) return r;
    const std::string& o = f[1];
    auto has = [&](const char* s) { return o.find(s) != std::string::npos; };
    r.page_shape = has("l") ? 1 : has("s") ? 2 : has("f") ? 3 : 0;
    r.grey = has("g");
    r.transparent = has("t");
    if (has("8")) r.depth = 8;
    else if (has("16")) r.depth = 16;
    else if (has("24")) r.depth = 24;
    if (r.page_shape == 3) {
        if (f.size() >= 3) {
            r.width = leading_integer(f[2]);
            r.height = f.size() >= 4 ? leading_integer(f[3]) : r.width;
        } else {
            r.width = 1600;
            r.height = 1200;
        }
        return r;
    }
    if (f.size() >= 3) r.resolution = static_cast<int>(leading_integer(f[2]));
    if (r.resolution != 0) {
        const double a = r.page_shape == 1 ? 9.65 : 6.25, b = r.page_shape == 0 ? 9.65 : 6.25;
        r.width = static_cast<long>(r.resolution * a);
        r.height = static_cast<long>(r.resolution * b);
    }
    return r;
}

std::string find_settings_folder(const std::string& program_folder)
{
    std::string folder;
    if (std::FILE* f = std::fopen((windows_folder() + "/plotwell.ini").c_str(), "r")) {
        char line[128] = {};
        if (std::fgets(line, sizeof line, f)) folder = line;
        std::fclose(f);
        while (!folder.empty() && (folder.back() == '\n' || folder.back() == '\r' || folder.back() == ' ')) folder.pop_back();
    }
    // An empty first line names no folder: the next source is taken.
    if (folder.empty()) {
        if (const char* d = std::getenv("XY_DEF"); d && *d) folder = d;
        else folder = program_folder;
    }
    if (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\')) folder.pop_back();
    return folder;
}

std::string find_temp_folder()
{
    // The platform's temp folder, which plotwell keeps only when its name fits 127 characters.
    const std::string folder = GetTempDir();
    return folder.size() > 127 ? std::string("./") : folder;
}

CPlotApp::CPlotApp() { the_plot_app = this; }

CPlotApp::~CPlotApp()
{
    frame.reset();
    if (the_plot_app == this) the_plot_app = nullptr;
}

void CPlotApp::show_message(const std::string& text)
{
    skip_next_paint = true;
    if (batch_mode) {
        std::fprintf(stderr, "%s", text.c_str());
        if (text.empty() || text.back() != '\n') std::fputc('\n', stderr);
        exit_status = 1;
        return;
    }
    ::MessageBox(nullptr, text, "Message", MB_OK | MB_ICONWARNING);
}

void CPlotApp::HandleException(const std::exception& e) { show_message(e.what()); }

bool CPlotApp::render()
{
    try {
        render_graph(*settings);
        return true;
    } catch (const plot_error& e) {
        show_message(e.what());
        return false;
    }
}

BOOL CPlotApp::InitInstance()
{
    minimised = command_line.find("--") != std::string::npos;
    xy_call_line = make_xy_call(command_line);
    settings = std::make_unique<plot_settings>(layer);
    layer.settings = settings.get();
    layer.on_close_workstation = [this] { drawing_ready = true; };
    settings->app.show_message = [this](const std::string& text) { show_message(text); };
    const bool batch_print = command_line.find("-#") != std::string::npos;
    const bool batch_export = command_line.find("-@") != std::string::npos;
    batch_mode = batch_print || batch_export;
    try {
        std::vector<std::string> words = split_fields(xy_call_line, ' ', 32);
        geometry = take_window_geometry(words);
        frame = std::make_unique<CPlotFrame>();
        m_pMainWnd = frame.get();
        temp_folder = find_temp_folder();
        settings_folder = find_settings_folder(program_folder);
        layer.settings_folder = settings_folder;
        try {
            scratch_file_name = CreateUniqueFile("XYT", String(), temp_folder);
        } catch (const Exception&) {
            scratch_file_name.clear(); // no scratch file: nothing to remove at the end
        }
        printer_settings_path = windows_folder() + "/plotwellPrint.ini";
        application_state& app = settings->app;
        app.xy_call_line = xy_call_line;
        app.temp_folder = temp_folder;
        app.settings_folder = settings_folder;

        if (batch_mode) {
            drawing_ready = true;
            if (batch_print) {
                frame->OnPrint();
            } else {
                std::string value;
                const bool present = std::find(words.begin(), words.end(), "-@") != words.end();
                take_option_argument(value, words, "-@");
                if (present) {
                    export_options = parse_export_value(value);
                    if (export_options.file_name.empty()) {
                        show_message("-@ needs an output file name");
                    } else {
                        app.extra_arguments.clear();
                        frame->OnOutputFile();
                    }
                } else {
                    show_message("-@ needs an output file name");
                }
            }
            frame->OnClose();
            return TRUE;
        }
        frame->ShowFrame(geometry, minimised, m_nCmdShow);
    } catch (const std::exception& e) {
        show_message(e.what());
        if (frame) frame->OnClose();
    }
    return TRUE;
}

} // namespace plotwell
