#include "plotwell/core/chart_objects.h"

#include "plotwell/core/shared_routines.h"

#include <cstdio>

namespace plotwell {

namespace {

bool starts_with(const std::string& s, const char* prefix) { return s.compare(0, std::char_traits<char>::length(prefix), prefix) == 0; }

std::string after_equals(const std::string& s) { return !s.empty() && s[0] == '=' ? s.substr(1) : s; }

} // namespace

bool parse_class_values(chart_object& chart, const std::string& from_in, const std::string& to_in, const std::string& label,
                        std::string& out, int index, int last_index, bool matrix_form,
                        const std::function<void(const std::string&)>& show_message)
{
    auto message = [&](const char* text) {
        if (show_message) show_message(text);
        return false;
    };
    if (from_in.empty() && to_in.empty()) return message("No class values have been entered.");
    const std::string from = from_in.empty() ? to_in : from_in;
    const std::string to = to_in.empty() ? from_in : to_in;
    const std::string lower = after_equals(from), upper = after_equals(to);
    const char equality = !to.empty() && to[0] == '=' ? '=' : ' ';
    if (!is_number(from) && !is_number(to)) {
        const bool both_equal_signs = !from.empty() && from[0] == '=' && !to.empty() && to[0] == '=' &&
                                      (is_number(lower) || is_number(upper));
        const bool open_first = index == 0 && !from.empty() && from[0] == '-' && !to.empty() && to[0] == '=' && is_number(upper);
        const bool open_last = index == last_index && !to.empty() && to[0] == '-' && !from.empty() && from[0] == '=' &&
                               is_number(lower);
        if (!both_equal_signs && !open_first && !open_last) return message("Illegal class values have been entered.");
    }
    bool single = false;
    if (is_number(lower) && is_number(upper)) {
        const double a = to_double(lower), b = to_double(upper);
        if (matrix_form && a == b) single = true;
        chart.relation = b >= a ? '<' : '>';
    }
    if (!matrix_form) {
        out = format_text("%s%c%s;%s", from.c_str(), chart.relation, to.c_str(), label.c_str());
        return true;
    }
    const char quote = label.empty() ? ' ' : '`';
    if (single) out = format_text("%s ! ! %c%s%c", from.c_str(), quote, label.c_str(), quote);
    else out = format_text("%s %c%c %s %c%s%c", from.c_str(), chart.relation, equality, upper.c_str(), quote, label.c_str(), quote);
    return true;
}

void write_title_class_settings(plot_settings& ps, chart_object& chart)
{
    std::FILE* in = open_file_or_fail(ps.shared, chart.settings_file_name, "r");
    std::vector<std::string> lines;
    std::string line;
    while (read_text_line(in, line)) lines.push_back(line.substr(0, 2047));
    std::fclose(in);
    std::FILE* out = open_file_or_fail(ps.shared, "tmpsetfp.set", "w");
    size_t i = 0;
    try {
        if (ps.section_given) {
            bool found = false;
            for (; i < lines.size() && !found; ++i) {
                std::fprintf(out, "%s\n", lines[i].c_str());
                found = starts_with(lines[i], ps.section_name.c_str());
            }
            if (!found) fatal_error("%s not found in %s\n", ps.section_name.c_str(), chart.settings_file_name.c_str());
        }
        bool title_1 = false, title_2 = false, matrix_title = false, grid = false, classes_written = false;
        const bool grid_wanted = chart.grid_on && !chart.grid_text.empty();
        auto write_classes = [&] {
            const int count = static_cast<int>(chart.classes.size());
            std::string text;
            auto show = ps.app.show_message;
            if (count >= 2) {
                const chart_data& c = chart.classes[1];
                if (!parse_class_values(chart, c.from_text, c.to_text, c.label, text, 1, count - 1, true, show))
                    fatal_error("Fatal error!");
            }
            for (int k = 0; k < count; ++k) {
                const chart_data& c = chart.classes[static_cast<size_t>(k)];
                if (!parse_class_values(chart, c.from_text, c.to_text, c.label, text, k, count - 1, true, show))
                    fatal_error("Fatal error!");
                std::fprintf(out, "MATRIX_CLASS %d %s\n", c.class_colour - 1, text.c_str());
            }
        };
        for (; i < lines.size(); ++i) {
            const std::string& l = lines[i];
            if (ps.section_given && starts_with(l, "END")) break;
            if (starts_with(l, "TITLE_1")) {
                title_1 = true;
                if (!chart.title_1.empty()) std::fprintf(out, "TITLE_1 %s\n", chart.title_1.c_str());
            } else if (starts_with(l, "TITLE_2")) {
                title_2 = true;
                if (!chart.title_2.empty()) std::fprintf(out, "TITLE_2 %s\n", chart.title_2.c_str());
            } else if (starts_with(l, "MATRIX_TITLE")) {
                matrix_title = true;
                if (!chart.matrix_title.empty()) std::fprintf(out, "MATRIX_TITLE %s\n", chart.matrix_title.c_str());
            } else if (starts_with(l, "DRAW_GRID")) {
                grid = true;
                if (grid_wanted) std::fprintf(out, "DRAW_GRID %s,%s\n", chart.grid_text.c_str(), chart.grid_text.c_str());
            } else if (starts_with(l, "MATRIX_CLASS")) {
                if (!classes_written) write_classes();
                classes_written = true;
            } else {
                std::fprintf(out, "%s\n", l.c_str());
            }
        }
        if (!title_1 && !chart.title_1.empty()) std::fprintf(out, "TITLE_1 %s\n", chart.title_1.c_str());
        if (!title_2 && !chart.title_2.empty()) std::fprintf(out, "TITLE_2 %s\n", chart.title_2.c_str());
        if (!matrix_title && !chart.matrix_title.empty()) std::fprintf(out, "MATRIX_TITLE %s\n", chart.matrix_title.c_str());
        if (!grid && grid_wanted) std::fprintf(out, "DRAW_GRID %s,%s\n", chart.grid_text.c_str(), chart.grid_text.c_str());
        if (ps.section_given) {
            std::fputs("END\n", out);
            for (++i; i < lines.size(); ++i) std::fprintf(out, "%s\n", lines[i].c_str());
        }
    } catch (...) {
        std::fclose(out);
        throw;
    }
    std::fclose(out);
}

} // namespace plotwell
