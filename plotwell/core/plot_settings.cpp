#include "plotwell/core/plot_settings.h"

namespace plotwell {

plot_settings::plot_settings()
{
    for (int i = 0; i < max_legend_texts; ++i) legend_text[i] = std::to_string(i + 1);
    for (int n = 0; n <= 50; ++n) default_marker[n] = n;
}

void free_plot_settings(plot_settings& ps)
{
    if (ps.data_file) {
        std::fclose(ps.data_file);
        ps.data_file = nullptr;
    }
    if (ps.map_file) {
        std::fclose(ps.map_file);
        ps.map_file = nullptr;
    }
    for (auto& b : ps.buffers) {
        std::vector<float>().swap(b.x);
        std::vector<float>().swap(b.y);
        b.fill = 0;
    }
    ps.expressions.clear();
    ps.label_items.clear();
    ps.deviation_items.clear();
    ps.data_lines.clear();
    ps.cmd_lines.clear();
    ps.settings_lines.clear();
    ps.settings_open = false;
}

bool apply_keyword(keyword_table table, plot_settings& ps, const keyword_words& words)
{
    if (words.empty()) return false;
    for (const keyword_entry& k : table) {
        if (words[0] != k.name) continue;
        if (static_cast<int>(words.size()) < k.least_words) return false;
        if (k.refused && k.refused(ps, words)) return false;
        k.apply(ps, words);
        return true;
    }
    return false;
}

} // namespace plotwell
