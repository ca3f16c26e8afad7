#include "common/runtime/shared_routines.h"

#include <cctype>
#include <cerrno>
#include <clocale>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <locale.h>

namespace {

locale_t c_locale()
{
    static locale_t loc = newlocale(LC_ALL_MASK, "C", nullptr);
    return loc;
}

// Switches the calling thread to the C locale for the lifetime of the object.
class c_locale_scope {
public:
    c_locale_scope() : previous_(uselocale(c_locale())) {}
    ~c_locale_scope() { uselocale(previous_); }

private:
    locale_t previous_;
};

bool is_plotwell(const shared_context& context)
{
    return context.variant == shared_variant::plotwell;
}

} // namespace

std::string vformat_text(const char* format, va_list args)
{
    c_locale_scope scope;
    va_list copy;
    va_copy(copy, args);
    char small[256];
    int n = std::vsnprintf(small, sizeof small, format, copy);
    va_end(copy);
    if (n < 0)
        return std::string();
    if (n < static_cast<int>(sizeof small))
        return std::string(small, static_cast<size_t>(n));
    std::string text(static_cast<size_t>(n) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, args);
    text.resize(static_cast<size_t>(n));
    return text;
}

std::string format_text(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string text = vformat_text(format, args);
    va_end(args);
    return text;
}

void fatal_error(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string text = vformat_text(format, args);
    va_end(args);
    throw fatal_error_exception(text);
}

void show_message(const shared_context& context, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string text = vformat_text(format, args);
    va_end(args);
    const auto& handler = context.message_handler;
    if (handler)
        handler(text);
    else
        std::fprintf(stderr, "%s%s", text.c_str(), (!text.empty() && text.back() == '\n') ? "" : "\n");
}

void report_fatal_error(const shared_context& context, const std::string& text,
                        const std::function<void(const std::string&)>& exit_box)
{
    if (text.size() > 34) {
        show_message(context, "%s", text.c_str());
        exit_box("Fatal error!");
    } else {
        exit_box(text);
    }
}

std::string expand_environment_path(const std::string& name)
{
    std::string path;
    path.reserve(name.size());
    for (size_t i = 0; i < name.size();) {
        char c = name[i];
        if (c == '$') {
            size_t end = i + 1;
            while (end < name.size() && name[end] != '/' && name[end] != '\\')
                ++end;
            std::string variable = name.substr(i + 1, end - i - 1);
            const char* value = std::getenv(variable.c_str());
            if (!value)
                fatal_error("Environment setting '%s' is not set!", variable.c_str());
            path += value;
            i = end;
            continue;
        }
        path += (c == '\\') ? '/' : c;
        ++i;
    }
    return path;
}

namespace {

// The name as the variant opens it: rowsift expands "$NAME" parts, plotwell only converts separators.
std::string file_path(const shared_context& context, const std::string& name)
{
    if (!is_plotwell(context))
        return expand_environment_path(name);
    std::string path = name;
    for (char& c : path)
        if (c == '\\')
            c = '/';
    return path;
}

} // namespace

std::FILE* open_file_if_present(const shared_context& context, const std::string& name, const char* mode)
{
    if (name.empty())
        return nullptr;
    std::string path = file_path(context, name);
    std::FILE* f = std::fopen(path.c_str(), mode);
    const std::string& folder = context.settings_folder;
    if (!f && is_plotwell(context) && mode[0] == 'r' && !folder.empty()) {
        std::string retry = folder;
        if (retry.back() != '/')
            retry += '/';
        retry += path;
        f = std::fopen(retry.c_str(), mode);
    }
    return f;
}

std::FILE* open_file_or_fail(const shared_context& context, const std::string& name, const char* mode)
{
    if (std::FILE* f = open_file_if_present(context, name, mode))
        return f;
    if (is_plotwell(context))
        fatal_error("Cannot open %s\n", file_path(context, name).c_str());
    fatal_error("Cannot open %s!", file_path(context, name).c_str());
}

void* checked_calloc(const shared_context& context, long count, long size)
{
    void* block = nullptr;
    if (count >= 0 && size >= 0)
        block = std::calloc(static_cast<size_t>(count) + (count == 0 ? 1 : 0), static_cast<size_t>(size) + (size == 0 ? 1 : 0));
    if (!block) {
        if (is_plotwell(context))
            fatal_error("Can't allocate %ld times %ld bytes memory\n", count, size);
        fatal_error("Can't allocate %ld times %ld bytes of memory", count, size);
    }
    return block;
}

void checked_free(void* block)
{
    std::free(block);
}

int split_fields(char* text, std::vector<char*>& fields, char separator, int maximum)
{
    fields.clear();
    if (!text)
        return 0;
    auto is_separator = [separator](char c) {
        if (c == '\n')
            return true;
        return separator == ' ' ? is_white(c) : c == separator;
    };
    char* p = text;
    while (*p) {
        while (*p && is_separator(*p))
            ++p;
        if (!*p)
            break;
        bool last = maximum > 0 && static_cast<int>(fields.size()) + 1 == maximum;
        char quote = (*p == '\'' || *p == '"' || *p == '`') ? *p : 0;
        if (quote) {
            // The field starts after the quote and runs to the same quote; in single quotes a
            // doubled quote is one quote (how file names with a quote are passed).
            char* start = ++p;
            char* out = p;
            while (*p && *p != '\n') {
                if (*p == quote) {
                    if (quote == '\'' && p[1] == '\'') {
                        *out++ = '\'';
                        p += 2;
                        continue;
                    }
                    break;
                }
                *out++ = *p++;
            }
            bool more = *p != 0;
            if (more)
                ++p;
            *out = 0;
            fields.push_back(start);
            if (last || !more)
                break;
            continue;
        }
        char* start = p;
        while (*p && !is_separator(*p))
            ++p;
        fields.push_back(start);
        if (!*p)
            break;
        *p++ = 0;
        if (last)
            break;
    }
    return static_cast<int>(fields.size());
}

std::vector<std::string> split_fields(std::string_view text, char separator, int maximum)
{
    std::string copy(text);
    std::vector<char*> fields;
    split_fields(copy.data(), fields, separator, maximum);
    std::vector<std::string> words;
    words.reserve(fields.size());
    for (char* f : fields)
        words.emplace_back(f);
    return words;
}

int take_option_argument(std::string& value, std::vector<std::string>& words, const std::string& option)
{
    value.clear();
    for (size_t i = 0; i < words.size(); ++i) {
        if (words[i] != option)
            continue;
        size_t end = i + 1;
        if (end < words.size()) {
            value = words[end];
            ++end;
        }
        words.erase(words.begin() + static_cast<long>(i), words.begin() + static_cast<long>(end));
        break;
    }
    return static_cast<int>(words.size());
}

int collect_flag_letters(unsigned& mask, std::vector<std::string>& words, const std::string& letters,
                         const std::function<void(char)>& unknown_letter)
{
    mask = 0;
    std::vector<std::string> rest;
    for (const std::string& word : words) {
        if (word.empty() || word[0] != '-') {
            rest.push_back(word);
            continue;
        }
        for (size_t i = 1; i < word.size(); ++i) {
            size_t k = letters.find(word[i]);
            if (k == std::string::npos) {
                unknown_letter(word[i]);
                continue;
            }
            mask |= 1u << (letters.size() - (k + 1));
        }
    }
    words = std::move(rest);
    return static_cast<int>(words.size());
}

int char_position(char c, std::string_view text)
{
    size_t p = text.find(c);
    return p == std::string_view::npos ? 0 : static_cast<int>(p) + 1;
}

int find_substring(std::string_view text, std::string_view pattern)
{
    size_t p = text.find(pattern);
    return p == std::string_view::npos ? 0 : static_cast<int>(p) + 1;
}

void to_upper_string(char* text)
{
    for (; text && *text; ++text)
        if (*text >= 'a' && *text <= 'z')
            *text = static_cast<char>(*text - 'a' + 'A');
}

void to_upper_string(std::string& text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
}

bool is_number(shared_variant variant, const char* text)
{
    if (!text)
        return false;
    if (variant == shared_variant::plotwell)
        while (*text == ' ' || *text == '\t')
            ++text;
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (digit(text[0]))
        return true;
    if (text[0] == '+' || text[0] == '-' || text[0] == '.') {
        if (digit(text[1]))
            return true;
        if (text[0] != '.' && text[1] == '.' && digit(text[2]))
            return true;
    }
    return false;
}

bool is_integer(const char* text)
{
    if (!text || !*text)
        return false;
    for (; *text; ++text)
        if (*text < '0' || *text > '9')
            return false;
    return true;
}

double c_strtod(const char* text, char** end)
{
    return strtod_l(text, end, c_locale());
}

long c_atol(const char* text)
{
    errno = 0;
    long v = strtol_l(text, nullptr, 10, c_locale());
    return v;
}

std::string format_double(const char* format, double value)
{
    c_locale_scope scope;
    char buffer[64];
    int n = std::snprintf(buffer, sizeof buffer, format, value);
    if (n >= 0 && n < static_cast<int>(sizeof buffer))
        return std::string(buffer, static_cast<size_t>(n));
    std::string text(static_cast<size_t>(n > 0 ? n : 0) + 1, '\0');
    std::snprintf(text.data(), text.size(), format, value);
    text.resize(static_cast<size_t>(n > 0 ? n : 0));
    return text;
}
