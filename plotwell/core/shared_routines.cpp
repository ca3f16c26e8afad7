#include "plotwell/core/shared_routines.h"

#include "platform/rtl/FileUtils.h"
#include "platform/rtl/SysUtils.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <sys/stat.h>

namespace plotwell {

void refresh_shared_context(plot_settings& ps)
{
    ps.shared.variant = shared_variant::plotwell;
    ps.shared.settings_folder = ps.app.settings_folder;
    ps.shared.message_handler = ps.app.show_message;
}

double to_double(const std::string& text) { return c_strtod(text.c_str()); }

// Settings numbers are kept within half the int range, so that the colour, column and class
// arithmetic done on them (a number plus or minus one, a small offset) can never overflow.
int to_int(const std::string& text)
{
    return static_cast<int>(std::clamp<long>(c_atol(text.c_str()), INT_MIN / 2, INT_MAX / 2));
}

double finite_number(const std::string& word, const char* what)
{
    double v = to_double(word);
    if (!std::isfinite(v)) fatal_error("%s: the value %s is not a finite number\n", what, word.c_str());
    return v;
}

long file_size(const plot_settings& ps, const std::string& name)
{
    std::FILE* f = open_file_if_present(ps.shared, name, "r");
    if (!f) return 0;
    struct stat st {};
    long size = fstat(fileno(f), &st) == 0 ? static_cast<long>(st.st_size) : 0;
    std::fclose(f);
    return size;
}

bool read_text_line(std::FILE* file, std::string& line)
{
    line.clear();
    int c;
    bool any = false;
    while ((c = std::getc(file)) != EOF) {
        any = true;
        if (c == '\n') break;
        line += static_cast<char>(c);
    }
    if (!any) return false;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

std::string make_temp_file(plot_settings& ps)
{
    const std::string folder = ps.app.temp_folder.empty() ? GetTempDir() : ps.app.temp_folder;
    std::string name;
    try {
        name = CreateUniqueFile("XYT", String(), folder);
    } catch (const Exception&) {
        fatal_error("Cannot open %s\n", PathJoin(folder, "XYTXXXXXX").c_str());
    }
    ps.temp_files.push_back(name);
    return name;
}

void remove_temp_files(plot_settings& ps)
{
    for (const std::string& name : ps.temp_files) std::remove(name.c_str());
    ps.temp_files.clear();
}

} // namespace plotwell
