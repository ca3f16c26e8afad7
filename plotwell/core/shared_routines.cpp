#include "shared_routines.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plotwell {

static std::string vformat(const char* format, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text(n > 0 ? n : 0, '\0');
    if (n > 0) std::vsnprintf(text.data(), n + 1, format, args);
    return text;
}

std::string format_text(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string text = vformat(format, args);
    va_end(args);
    return text;
}

void fatal_error(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string text = vformat(format, args);
    va_end(args);
    throw plot_error(text);
}

void show_message(plot_settings& ps, const std::string& text)
{
    if (ps.app.show_message)
        ps.app.show_message(text);
    else
        std::cerr << "Message: " << text << '\n';
}

static bool is_separator(char c, char separator)
{
    if (c == '\n') return true;
    if (separator == ' ') return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
    return c == separator;
}

std::vector<std::string> split_fields(const std::string& text, char separator, int maximum)
{
    std::vector<std::string> words;
    size_t i = 0, n = text.size();
    while (i < n && static_cast<int>(words.size()) < maximum) {
        while (i < n && is_separator(text[i], separator)) ++i;
        if (i >= n) break;
        char c = text[i];
        if (c == '\'' || c == '"' || c == '`') {
            size_t start = ++i;
            while (i < n && text[i] != c && text[i] != '\n') ++i;
            words.push_back(text.substr(start, i - start));
            if (i < n) ++i;
        } else {
            size_t start = i;
            while (i < n && !is_separator(text[i], separator)) ++i;
            words.push_back(text.substr(start, i - start));
        }
    }
    return words;
}

std::string take_option_argument(std::vector<std::string>& words, const std::string& option)
{
    auto it = std::find(words.begin(), words.end(), option);
    if (it == words.end()) return std::string();
    std::string value;
    auto next = it + 1;
    if (next != words.end()) {
        value = *next;
        words.erase(it, next + 1);
    } else {
        words.erase(it);
    }
    return value;
}

bool is_number(const char* t)
{
    while (*t == ' ' || *t == '\t') ++t;
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (digit(t[0])) return true;
    if ((t[0] == '+' || t[0] == '-' || t[0] == '.') && digit(t[1])) return true;
    if ((t[0] == '+' || t[0] == '-') && t[1] == '.' && digit(t[2])) return true;
    return false;
}

bool is_number(const std::string& text) { return is_number(text.c_str()); }

double to_double(const std::string& text) { return std::strtod(text.c_str(), nullptr); }
double finite_number(const std::string& word, const char* what)
{
    double v = to_double(word);
    if (!std::isfinite(v)) fatal_error("%s: the value %s is not a finite number\n", what, word.c_str());
    return v;
}

int to_int(const std::string& text)
{
    long v = std::strtol(text.c_str(), nullptr, 10);
    return static_cast<int>(std::clamp<long>(v, INT_MIN, INT_MAX));
}

std::string upper_case(std::string text)
{
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string resolve_path(const plot_settings& ps, const std::string& name)
{
    std::string path = name;
    std::replace(path.begin(), path.end(), '\\', '/');
    if (path.empty() || path[0] == '/' || ps.app.working_folder.empty()) return path;
    return (std::filesystem::path(ps.app.working_folder) / path).string();
}

std::FILE* try_open_for_reading(const plot_settings& ps, const std::string& name)
{
    if (name.empty()) return nullptr;
    std::string path = resolve_path(ps, name);
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) return f;
    if (!ps.app.settings_folder.empty()) {
        std::string local = name;
        std::replace(local.begin(), local.end(), '\\', '/');
        std::string in_settings = (std::filesystem::path(ps.app.settings_folder) / local).string();
        if (std::FILE* f = std::fopen(in_settings.c_str(), "rb")) return f;
    }
    return nullptr;
}

std::FILE* open_file_or_fail(const plot_settings& ps, const std::string& name, const char* mode)
{
    std::FILE* f = nullptr;
    if (mode[0] == 'r') {
        f = try_open_for_reading(ps, name);
    } else if (!name.empty()) {
        f = std::fopen(resolve_path(ps, name).c_str(), mode[0] == 'a' ? "ab" : "wb");
    }
    if (!f) fatal_error("Cannot open %s\n", name.c_str());
    return f;
}

std::string expand_environment_path(const std::string& name)
{
    std::string out;
    for (size_t i = 0; i < name.size();) {
        if (name[i] != '$') {
            out += name[i++];
            continue;
        }
        size_t start = ++i;
        while (i < name.size() && name[i] != '/' && name[i] != '\\' && i - start < 31) ++i;
        std::string var = name.substr(start, i - start);
        const char* value = std::getenv(var.c_str());
        if (!value) fatal_error("Environment setting '%s' is not set!", var.c_str());
        out += value;
    }
    return out;
}

long file_size(const plot_settings& ps, const std::string& name)
{
    std::FILE* f = try_open_for_reading(ps, name);
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
    std::string folder = ps.app.temp_folder;
    if (folder.empty()) {
        const char* names[] = {"TMP", "TEMP", "TMPDIR"};
        for (const char* n : names)
            if (const char* v = std::getenv(n); v && *v) { folder = v; break; }
        if (folder.empty()) folder = "/tmp";
    }
    std::string templ = (std::filesystem::path(folder) / "XYTXXXXXX").string();
    std::vector<char> buf(templ.begin(), templ.end());
    buf.push_back('\0');
    int fd = mkstemp(buf.data());
    if (fd < 0) fatal_error("Cannot open %s\n", templ.c_str());
    close(fd);
    std::string name(buf.data());
    ps.temp_files.push_back(name);
    return name;
}

void remove_temp_files(plot_settings& ps)
{
    for (const std::string& name : ps.temp_files) std::remove(name.c_str());
    ps.temp_files.clear();
}

} // namespace plotwell
