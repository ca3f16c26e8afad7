#pragma once
// plotwell's application object: start-up settles the xy call, the window placement, the settings
// and temporary folders and the printer settings file once per process, then either shows the
// main window or runs one print (-#) or one picture export (-@) and ends.
//
// Batch runs (-# or -@) never show a window or a box: messages go to standard error and the exit
// status tells whether the print or export succeeded.
#include "plotwell/app/graphics/graphics_state.h"
#include "platform/mfc/AfxWin.h"
#include "plotwell/core/plot_settings.h"

#include <memory>
#include <string>
#include <vector>

namespace plotwell {

class CPlotFrame;

// The picture requested with -@ file,options[,resolution[,height]].
struct export_request {
    bool given = false;
    std::string file_name;
    int page_shape = 0; // 0 portrait, 1 landscape, 2 square, 3 free
    bool grey = false;
    bool transparent = false;
    int depth = 8;
    int resolution = 600;
    long width = 0, height = 0;
};

// Window position and size as fractions of the screen.
struct window_geometry {
    bool given = false;
    float x = 0, y = 0, w = 1.0f, h = 0.999f;
};

// The xy call of a command line: "xy " and the line; an empty line takes plotwell.arg's first
// line from the current folder, else "xy -j xyusage.job".
std::string make_xy_call(const std::string& command_line);
// -W x,y,w,h (removed from the words); fatal "window setting needs 4 coordinates" otherwise.
window_geometry take_window_geometry(std::vector<std::string>& words);
// The -@ value file,options[,resolution[,height]].
export_request parse_export_value(const std::string& value);
// The settings folder: plotwell.ini's first line in the Windows folder, else XY_DEF, else the
// program's folder; one trailing separator removed.
std::string find_settings_folder(const std::string& program_folder);
// The temporary folder with a trailing separator.
std::string find_temp_folder();

class CPlotApp : public CWinApp {
public:
    CPlotApp();
    ~CPlotApp() override;
    BOOL InitInstance() override;
    int ExitInstance() override { return exit_status; }
    void HandleException(const std::exception& e) override;

    // ---- process-wide values ----
    std::string command_line;
    std::string program_folder;
    std::string xy_call_line;
    std::string settings_folder;
    std::string temp_folder;
    std::string scratch_file_name;
    std::string printer_settings_path;
    std::string title_base = "plotwell";
    window_geometry geometry;
    bool minimised = false;
    bool batch_mode = false;
    export_request export_options;
    int exit_status = 0;

    // Drawing state shared by the windows, printing and export.
    bool drawing_ready = false;
    bool skip_next_paint = false;
    int drawing_resolution = 96;
    plot_graphics layer;
    std::unique_ptr<plot_settings> settings;
    // The main window, owned by the program: it goes (with the device contexts it keeps) before the
    // drawing layer, which frees what those contexts held.
    std::unique_ptr<CPlotFrame> frame;

    // Shows a message in the "Message" box (standard error in batch runs) and makes the next paint
    // of either window do nothing. In a batch run it also marks the run as failed.
    void show_message(const std::string& text);
    // Runs render_graph for the current device; a fatal error is shown and false returned.
    bool render();
};

CPlotApp& plot_app();

} // namespace plotwell
