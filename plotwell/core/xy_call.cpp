#include "plotwell/core/xy_call.h"

#include "plotwell/core/job_files.h"

#include "plotwell/core/axis_transforms.h"
#include "plotwell/core/chart_frame.h"
#include "plotwell/core/plot_defaults.h"
#include "plotwell/core/plot_driver.h"
#include "plotwell/core/plot_utilities.h"
#include "plotwell/core/shared_routines.h"

#include <cmath>
#include <cstring>

namespace plotwell {

const char* const xy_flag_letters = "#-!Eo?OD3dtICXxgBAazfvlpbm";

static int bit_of(char letter)
{
    const char* p = std::strchr(xy_flag_letters, letter);
    return 26 - static_cast<int>(p - xy_flag_letters + 1);
}

std::vector<std::string> split_call_line(const std::string& line) { return split_fields(line, ' ', 127); }

// take_option_argument that tells whether the option was there at all (an option given as the
// last word has an empty value, but is there).
static bool take_option(std::vector<std::string>& words, const char* option, std::string& value)
{
    const size_t before = words.size();
    return static_cast<size_t>(take_option_argument(value, words, option)) != before;
}

static void parse_viewport(plot_settings& ps, const std::string& value)
{
    std::vector<std::string> parts = split_fields(value, ',', 200);
    if (parts.size() != 4) fatal_error("%s setting needs %d coordinates ','-seperated\n", "VIEWPORT", 4);
    double v[4];
    for (int i = 0; i < 4; ++i) v[i] = finite_number(parts[i], "VIEWPORT");
    if (v[0] == v[2]) fatal_error("x-coordinates of viewport are equal; this is not allowed\n");
    if (v[1] == v[3]) fatal_error("y-coordinates of viewport are equal; this is not allowed\n");
    ps.viewport_x1 = v[0];
    ps.viewport_y1 = v[1];
    ps.viewport_x2 = v[2];
    ps.viewport_y2 = v[3];
    ps.viewport_given = 1;
}

void apply_page_shape(plot_settings& ps, char shape)
{
    if (ps.hardcopy_output() || (shape != 'p' && shape != 'l')) return;
    double r = ps.gr->page_height_pct() / ps.gr->page_width_pct();
    if (shape == 'p') ps.page_scale_x = static_cast<float>(r / (ps.paper_a3 ? 1.4112291 : 1.4496261));
    else ps.page_scale_y = static_cast<float>((ps.paper_a3 ? 0.70860213 : 0.6898331) / r);
    if (!ps.viewport_given) {
        if (shape == 'p') {
            ps.viewport_x1 = 10;
            ps.viewport_y1 = 55;
            ps.viewport_x2 = 90;
            ps.viewport_y2 = 95;
        } else {
            ps.viewport_x1 = 5;
            ps.viewport_y1 = 10;
            ps.viewport_x2 = 95;
            ps.viewport_y2 = 90;
        }
        ps.viewport_given = 1;
    }
    ps.page_shape = shape;
}

int parse_xy_call_arguments(plot_settings& ps, std::vector<std::string>& words)
{
    const bool first = ps.call_number == 0;
    std::string value;

    if (take_option(words, "-j", value) && first) {
        ps.job_file_name = expand_environment_path(value);
        std::FILE* f = open_file_or_fail(ps.shared, ps.job_file_name, "r");
        std::fclose(f);
        ps.job_mode = 1;
    }
    if (take_option(words, "-c", value)) {
        if (ps.job_mode && ps.call_number == 0)
            fatal_error("warning: both \"-j\" and \"-c\" on commandline is impossible\n");
        ps.settings_given = 1;
        ps.settings_file_name = expand_environment_path(value);
    }
    if (take_option(words, "-i", value)) {
        ps.section_given = 1;
        ps.section_name = value;
    }
    ps.skip_string = take_option(words, "-s", value) ? value : "*";
    if (take_option(words, "-$", value)) {
        if (!ps.letter_file_active) {
            ps.letter_file_active = 1;
            ps.letter_file_name = value;
            std::FILE* f = open_file_or_fail(ps.shared, ps.letter_file_name, "a");
            std::fputs("A\n", f);
            std::fclose(f);
            ps.next_letter = 'B';
        }
    } else {
        ps.letter_file_active = 0;
    }
    while (take_option(words, "-data", value)) {
        ps.data_lines.push_back(value);
        ++ps.data_line_count;
        ++ps.series_count;
        ++ps.data_line_total;
    }
    while (take_option(words, "-cmd", value)) {
        if (ps.cmd_lines.empty() && !ps.settings_given) {
            // settings made of the command lines only: an empty settings file in front of them
            ps.settings_given = 1;
            ps.settings_file_name.clear();
        }
        ps.cmd_lines.push_back(value);
        ++ps.cmd_line_count;
    }
    take_option(words, "-@", value);
    if (take_option(words, "-cpv", value)) ps.chars_per_value = std::max(20, to_int(value));
    if (take_option(words, "-wp", value) && first) {
        double d = value == "h" ? 0.5 : value == "f" ? 0.75 : to_double(value);
        ps.dash_divisor = (d == 0 || !std::isfinite(d)) ? 1.0 : d;
    }
    if (take_option(words, "-S", value) && first) {
        ps.postscript_file_name = value;
        ps.postscript_file_given = 1;
    }
    if (take_option(words, "-k", value) && first) {
        int k = to_int(value);
        ps.copies = k >= 100 ? 99 : k;
    }
    if (take_option(words, "-scale", value)) {
        ps.print_scale = 0;
        if (!ps.app.zoom_shown) ps.print_scale = finite_number(value, "-scale");
    }
    if (take_option(words, "-M", value)) ps.x_margin = finite_number(value, "-M");
    if (take_option(words, "-N", value)) ps.nr_bars = to_int(value);
    if (take_option(words, "-V", value)) {
        parse_viewport(ps, value);
    } else if (ps.app.printing && ps.app.page_setup_margins) {
        ps.viewport_x1 = ps.app.page_setup_x1;
        ps.viewport_y1 = ps.app.page_setup_y1;
        ps.viewport_x2 = ps.app.page_setup_x2;
        ps.viewport_y2 = ps.app.page_setup_y2;
        ps.viewport_given = 1;
    } else {
        ps.app.page_setup_margins = false;
    }
    char shape = 0;
    if (take_option(words, "-W", value)) shape = value.empty() ? 0 : value[0];
    else if (ps.app.view_kind == 2) ps.page_scale_x = ps.page_scale_y = 1.0f;

    // flag words
    unsigned mask = 0;
    collect_flag_letters(mask, words, xy_flag_letters, [&](char c) {
        if (ps.call_number > 0)
            fatal_error("error (-%c) in argument list of xy call nr %d in jobfile\n", c, ps.call_number);
        fatal_error("Wrong argumentlist");
    });
    auto has = [&](char c) { return (mask >> bit_of(c)) & 1; };
    ps.markers_only = has('m');
    ps.lines_and_markers = has('b');
    ps.draw_box = has('v');
    ps.position_grid = has('g');
    if (ps.job_mode) {
        if (first && ps.position_grid) ps.job_position_grid = 1;
        ps.position_grid = 0;
    }
    if (first) {
        ps.copy_to_clipboard = has('!');
        ps.minimised = has('-');
        ps.postscript_portrait = has('p');
        ps.postscript_landscape = has('l');
        ps.colour_postscript = has('C');
        ps.paper_a3 = has('3');
        ps.print_papersize = has('o');
        ps.page_background = has('D');
        ps.print_and_stop = has('#');
    }
    ps.fixed_size = ps.job_mode ? 1 : has('f');
    ps.zero_line = has('z');
    ps.stack_data = has('a');
    if (ps.app.view_kind == 1) ps.lock_chart_edit = has('E');
    ps.area_all = ps.area_all_from_letter = has('A');
    ps.bars_all = ps.bars_all_from_letter = has('B');
    ps.justify_bars = has('x');
    ps.justify_xlabels = has('X');
    ps.interrupt_lines_all = has('I');
    ps.cumulative_all = has('t');
    if (ps.no_letter_file_used || ps.app.view_kind == 2 || (first && !ps.app.full_redraw))
        ps.reuse_selection = has('d');
    ps.opaque_graph = has('O');

    ps.postscript_output = ps.postscript_portrait || ps.postscript_landscape;
    if (ps.postscript_output) ps.postscript_message = 1;
    else ps.postscript_file_given = 0;
    ps.colour_output = (ps.colour_postscript || (ps.app.printing && ps.app.colour_printer) ||
                        (ps.app.exporting && ps.app.colour_export)) ? 1 : 0;
    ps.range_colours = (ps.hardcopy_output() && !ps.colour_output) ? 1 : 0;
    if (ps.letter_file_active) ps.no_letter_file_used = 0;
    ++ps.call_number;

    int remaining = static_cast<int>(words.size());
    if (remaining > 2) fatal_error("Wrong argumentlist");
    if (remaining == 1 && !ps.settings_given && !ps.job_mode && ps.data_line_count == 0)
        fatal_error("Wrong argumentlist");

    // page shape
    if (ps.hardcopy_output()) ps.page_scale_x = ps.page_scale_y = 1.0f;
    else apply_page_shape(ps, shape);
    return remaining;
}

namespace {
// Resets the per-drawing state however the drawing ends.
struct drawing_scope {
    plot_settings& ps;
    explicit drawing_scope(plot_settings& p) : ps(p) { ps.drawing = true; }
    ~drawing_scope()
    {
        free_plot_settings(ps);
        remove_temp_files(ps);
        ps.drawing = false;
    }
};
} // namespace

int render_graph(plot_settings& ps)
{
    if (ps.drawing) return 0;
    drawing_scope scope(ps);
    refresh_shared_context(ps);

    // per-drawing state
    ps.evaluator_variables = {};
    ps.call_number = 0;
    ps.job_mode = 0;
    ps.job_file_name.clear();
    ps.settings_given = 0;
    ps.settings_file_name.clear();
    ps.section_given = 0;
    ps.section_name.clear();
    ps.postscript_file_name = "xy_graph.ps";
    ps.postscript_file_given = 0;
    ps.copies = 1;
    ps.chars_per_value = 20;
    ps.dash_divisor = 1.0;
    ps.viewport_given = 0;
    ps.page_scale_x = ps.page_scale_y = 1.0f;
    ps.page_shape = 0;
    ps.calls_on_page = 0;
    ps.state.drawn = 0;
    ps.central_legend = ps.allmaps_given = 0;
    ps.state.text_colour = 1;
    ps.data_lines.clear();
    ps.cmd_lines.clear();
    ps.data_line_count = ps.data_line_total = ps.cmd_line_count = 0;
    ps.state.saved_frame = {};
    ps.marker_shape_loaded = {};
    ps.marker_picture_loaded = {};
    reset_plot_settings(ps);

    std::string line = ps.app.view_kind == 2 ? "xy -j freqdist.job " + ps.app.extra_arguments
                                             : ps.app.xy_call_line + " " + ps.app.extra_arguments;
    std::vector<std::string> words = split_call_line(line);
    bool page_open = false;
    try {
        int remaining = parse_xy_call_arguments(ps, words);
        words.resize(remaining);
        if (ps.app.view_kind == 1)
            ps.graph_settings_file_name = ps.job_mode ? ps.job_file_name : ps.settings_file_name;
        if (!ps.job_mode) {
            draw_plot(ps, words, false);
        } else {
            run_job_file(ps);
            draw_job_page(ps);
        }
        page_open = ps.calls_on_page > 0;
        if (ps.on_screen()) {
            graphics_layer& gr = *ps.gr;
            gr.gr_set_viewport(0, 0, gr.page_width_pct() * 100, gr.page_height_pct() * 100);
            gr.gr_set_colour(1);
            gr.gr_set_window(0, 0, 1, 1);
            if (ps.page_scale_x != 1.0f) {
                double f = ps.page_scale_x;
                gr.gr_set_line_type(10);
                draw_segment(ps, (1 - f) / 2, 0, 0, 1);
                draw_segment(ps, f + (1 - f) / 2, 0, 0, 1);
                gr.gr_set_line_type(1);
            }
            if (ps.page_scale_y != 1.0f) {
                double f = ps.page_scale_y;
                gr.gr_set_line_type(10);
                draw_segment(ps, 0, (1 - f) / 2, 1, 0);
                draw_segment(ps, 0, f + (1 - f) / 2, 1, 0);
                gr.gr_set_line_type(1);
            }
        }
        if (ps.postscript_output && !ps.app.from_postscript_dialog)
            fatal_error("Postscript file %s created!", ps.postscript_file_name.c_str());
    } catch (...) {
        if (ps.calls_on_page > 0 || page_open) ps.gr->gr_close_workstation();
        ps.calls_on_page = 0;
        throw;
    }
    ps.gr->gr_close_workstation();
    ps.calls_on_page = 0;
    return 1;
}

} // namespace plotwell
