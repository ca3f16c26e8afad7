#include "plotwell/core/data_selection.h"

#include "plotwell/core/settings_language.h"
#include "plotwell/core/shared_routines.h"

#include "rowsift/row_selection.h"

#include <cstring>

namespace plotwell {

namespace {

std::vector<std::string> read_raw_lines(std::FILE* f)
{
    std::vector<std::string> lines;
    std::string line;
    while (read_text_line(f, line)) {
        if (line.size() > 2047) line.resize(2047);
        lines.push_back(line);
    }
    return lines;
}

// A line that begins with END, in any case, ends a section.
bool ends_section(const std::string& line)
{
    std::string head = line.substr(0, 3);
    to_upper_string(head);
    return head == "END";
}

std::string first_field(const std::string& line)
{
    std::vector<std::string> w = split_fields(line, ' ', 2);
    return w.empty() ? std::string() : w[0];
}

// The lines after the first line whose first field is `section`, up to the first line that begins
// with END (upper-cased), as they stand. `found` tells whether the section was there.
std::vector<std::string> section_raw_lines(const std::vector<std::string>& raw, const std::string& section, bool& found)
{
    std::vector<std::string> out;
    found = false;
    size_t i = 0;
    for (; i < raw.size(); ++i)
        if (first_field(raw[i]) == section) {
            found = true;
            ++i;
            break;
        }
    for (; found && i < raw.size() && !ends_section(raw[i]); ++i) out.push_back(raw[i]);
    return out;
}

std::vector<std::string> normalised(const std::vector<std::string>& raw)
{
    std::vector<std::string> out;
    for (std::string line : raw)
        if (next_settings_line(line)) out.push_back(line);
    return out;
}

// The same lines as the settings reader gives them.
std::vector<std::string> section_lines(const std::vector<std::string>& raw, const std::string& section, bool& found)
{
    return normalised(section_raw_lines(raw, section, found));
}

} // namespace

void expand_include_line(const plot_settings& ps, std::vector<std::string>& output, const std::string& line,
                         const std::vector<std::string>& raw_settings)
{
    std::vector<std::string> w = split_fields(line, ' ', 2);
    if (w.size() < 2) return;
    std::string file = w[1], section;
    size_t comma = file.find(',');
    if (comma != std::string::npos) {
        section = file.substr(comma + 1);
        file = file.substr(0, comma);
    }
    std::vector<std::string> raw;
    if (std::FILE* f = open_file_if_present(ps.shared, file, "r")) {
        raw = read_raw_lines(f);
        std::fclose(f);
    } else if (!section.empty()) {
        fatal_error("File %s does not exist!", file.c_str());
    } else {
        section = file;
        raw = raw_settings;
    }
    if (section.empty()) {
        for (const std::string& l : raw) output.push_back(l);
        return;
    }
    bool found = false; // a section that is not there copies nothing
    for (const std::string& l : section_raw_lines(raw, section, found)) output.push_back(l);
}

std::vector<std::string> expand_includes(const plot_settings& ps, const std::vector<std::string>& lines,
                                         const std::vector<std::string>& raw_settings)
{
    std::vector<std::string> out;
    for (const std::string& line : lines) {
        if (line.compare(0, 7, "INCLUDE") == 0) {
            std::vector<std::string> included;
            expand_include_line(ps, included, line, raw_settings);
            // included lines are read by the settings reader like any other
            for (std::string l : included)
                if (next_settings_line(l)) out.push_back(l);
        } else {
            out.push_back(line);
        }
    }
    return out;
}

std::vector<std::string> merge_winmenu_settings(const plot_settings& ps, const std::vector<std::string>& lines)
{
    std::FILE* f = open_file_if_present(ps.shared, "winmenu.set", "r");
    if (!f) return lines;
    std::vector<std::string> winmenu = read_settings_lines(f);
    std::fclose(f);
    static const char* const keys[] = {"TITLE_1", "TITLE_2", "MATRIX_TITLE", "MATRIX_CLASS", "DRAW_GRID"};
    std::vector<const char*> replaced;
    for (const char* k : keys)
        for (const std::string& l : winmenu)
            if (l.compare(0, std::strlen(k), k) == 0) {
                replaced.push_back(k);
                break;
            }
    std::vector<std::string> out;
    for (const std::string& l : lines) {
        bool drop = false;
        for (const char* k : replaced) drop |= l.compare(0, std::strlen(k), k) == 0;
        if (!drop) out.push_back(l);
    }
    out.insert(out.end(), winmenu.begin(), winmenu.end());
    return out;
}

bool run_plot_data_selection(plot_settings& ps)
{
    std::string settings_name = make_temp_file(ps);
    {
        std::FILE* f = open_file_or_fail(ps.shared, settings_name, "w");
        for (const std::string& l : ps.selection_lines) std::fprintf(f, "%s\n", l.c_str());
        std::fclose(f);
    }
    refresh_shared_context(ps); // data files are also looked for in the current settings folder

    data_selection_setup setup;
    setup.variant = selection_variant::plotwell;
    setup.context = ps.shared;
    setup.variables = &ps.evaluator_variables;
    setup.settings = open_file_or_fail(ps.shared, settings_name, "r");
    setup.output_path = ps.selected_data_name;
    setup.skip_string = ps.skip_string;
    setup.temp_folder = ps.app.temp_folder;
    setup.detection_given = ps.detection_given;
    setup.detection_below = ps.detection_below;
    setup.detection_above = ps.detection_above;

    bool shown = false;
    long long total = 0;
    int percent = 0;
    long largest_shown = 0;
    setup.on_row_accepted = [&](const selection_progress& p) {
        if (!shown) return;
        int pct = static_cast<int>(p.bytes_read * 100 / total);
        bool changed = false;
        if (pct > percent) {
            percent = pct;
            changed = true;
        }
        if (p.line_rows > largest_shown) {
            largest_shown = p.line_rows;
            changed = true;
        }
        if (changed) ps.app.progress("Data selection. Number of data selected:", format_text("%ld", largest_shown), percent);
    };
    try {
        data_selection engine(std::move(setup));
        engine.read_selection_settings();
        for (const std::string& name : engine.data_file_names()) total += file_size(ps, name);
        if (total > 500000 && ps.app.progress) {
            shown = true;
            ps.app.progress("Data selection. Number of data selected:", "0", 0);
        }
        engine.select_rows();
        if (shown) ps.app.progress("Data selection. Number of data selected:", format_text("%ld", largest_shown), 100);
        engine.merge_output_columns();
        if (shown && ps.app.progress_done) ps.app.progress_done();
        return engine.any_selected();
    } catch (...) {
        if (shown && ps.app.progress_done) ps.app.progress_done();
        throw;
    }
}

void run_selection_or_fail(plot_settings& ps)
{
    if (!run_plot_data_selection(ps))
        fatal_error("no xy-data found, check DATA or EXTRA_DATA settings, and/or data file\n");
}

void prepare_settings_and_data(plot_settings& ps, int kind)
{
    std::vector<std::string> raw;
    if (!ps.settings_file_name.empty()) {
        std::FILE* f = open_file_or_fail(ps.shared, ps.settings_file_name, "r");
        raw = read_raw_lines(f);
        std::fclose(f);
    }
    std::vector<std::string> lines;
    if (ps.section_given) {
        bool found = false;
        lines = section_lines(raw, ps.section_name, found);
        if (!found) fatal_error("%s not found in %s", ps.section_name.c_str(), ps.settings_file_name.c_str());
    } else {
        lines = normalised(raw);
    }
    for (std::string l : ps.cmd_lines)
        if (next_settings_line(l)) lines.push_back(l);
    if (ps.on_screen() && ps.app.view_kind == 1) {
        lines = expand_includes(ps, lines, raw);
        if (ps.app.winmenu_written) lines = merge_winmenu_settings(ps, lines);
    }
    ps.settings_lines = lines;
    ps.settings_open = true;
    parse_settings_file(ps, kind, 0);

    const bool data_lines = !ps.data_lines.empty();
    if (kind == 2 && data_lines) {
        if (ps.data_file) std::fclose(ps.data_file);
        ps.data_file = nullptr;
        kind = 1;
    }
    if (kind == 1) {
        if (data_lines) {
            if (!ps.reuse_selection && !ps.app.selection_made) run_selection_or_fail(ps);
            ps.data_file_size = file_size(ps, ps.selected_data_name);
            ps.data_file = open_file_if_present(ps.shared, ps.selected_data_name, "r");
            if (!ps.data_file) {
                run_selection_or_fail(ps);
                ps.data_file_size = file_size(ps, ps.selected_data_name);
                ps.data_file = open_file_or_fail(ps.shared, ps.selected_data_name, "r");
            }
        } else if (!ps.polygons_present && ps.expressions.empty() && ps.extra_data_lines.empty() &&
                   !ps.labels_seen && !ps.draw_map) {
            fatal_error("a DATA or XY_COLUMNS setting needed in configuration file\n");
        }
    }
    if (ps.draw_box) ps.box_offset = 0.1 * (ps.x_axis.max - ps.x_axis.min);
}

} // namespace plotwell
