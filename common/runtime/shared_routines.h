#pragma once
// Routines that rowsift and plotwell share: fatal errors and messages, file opening with
// environment expansion, checked memory, the word splitter and the option parsing.
//
// Both programs link this one copy. Where plotwell's behaviour differs (message texts,
// file lookup, leading blanks before a number), the caller says which variant applies by
// passing a shared_context: rowsift's program owns one, and so does each of plotwell's
// drawings. Nothing here keeps state between calls.
#include <cstdarg>
#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

enum class shared_variant { rowsift, plotwell };

// What the routines that differ between the programs need to know of their caller.
struct shared_context {
    shared_variant variant = shared_variant::rowsift;
    // plotwell: a file that cannot be opened for reading as named is tried in this folder.
    std::string settings_folder;
    // Shows the text of show_message (a "Message" box with the exclamation icon). Without a
    // handler the text goes to standard error.
    std::function<void(const std::string&)> message_handler;
};

// A blank, tab, line end, vertical tab or form feed: what separates words.
inline bool is_white(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// What fatal_error throws. In both programs a fatal error unwinds to the program's top
// level, so temporary files are removed and no half-written output appears: rowsift then
// reports it with report_fatal_error and ends with a non-zero status, plotwell abandons
// the drawing and shows the text.
class fatal_error_exception : public std::runtime_error {
public:
    explicit fatal_error_exception(const std::string& text) : std::runtime_error(text) {}
};

// printf-style formatting in the C locale, whatever the user's locale.
std::string format_text(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string vformat_text(const char* format, va_list args);

[[noreturn]] void fatal_error(const char* format, ...) __attribute__((format(printf, 1, 2)));
void show_message(const shared_context& context, const char* format, ...) __attribute__((format(printf, 2, 3)));

// rowsift's way of ending on a fatal message: a text longer than 34 characters is shown
// first in the "Message" box and the exit box then says "Fatal error!"; a shorter text
// appears only in the exit box. exit_box shows the exit box's text.
void report_fatal_error(const shared_context& context, const std::string& text,
                        const std::function<void(const std::string&)>& exit_box);

// rowsift: expands the name (expand_environment_path) and opens it; plotwell: does not
// expand, only turns '\' into '/', and retries a read in the settings folder. Failure is
// fatal "Cannot open %s!" (plotwell "Cannot open %s\n") with the name after that conversion.
std::FILE* open_file_or_fail(const shared_context& context, const std::string& name, const char* mode);
// The same search without failing: null when the file cannot be opened (an empty name is
// never opened, so a read cannot end up on the settings folder itself).
std::FILE* open_file_if_present(const shared_context& context, const std::string& name, const char* mode);

// Turns '\' into the path separator '/' and replaces every "$NAME" part (NAME runs to the
// next separator or the end) by the environment value. Unset: fatal
// "Environment setting '%s' is not set!".
std::string expand_environment_path(const std::string& name);

// Zero-filled block of count x size bytes; fatal "Can't allocate %d times %d bytes of
// memory" (plotwell: "Can't allocate %d times %d bytes memory\n"). checked_free ignores null.
void* checked_calloc(const shared_context& context, long count, long size);
void checked_free(void* block);

// Splits text in place (separators become NUL bytes). A blank separator means any white
// space; another separator means that character, and a line feed always separates. Runs of
// separators count as one. A field that begins with ', " or ` runs to the matching quote
// (or a line feed, or the end) and keeps its blanks; inside a single-quoted field a doubled
// '' stands for one quote. With maximum > 0 the last field ends at the next separator and
// the rest is ignored; maximum <= 0 means no limit. Returns the number of fields.
int split_fields(char* text, std::vector<char*>& fields, char separator, int maximum);
std::vector<std::string> split_fields(std::string_view text, char separator, int maximum);

// Finds the first word equal to option, removes it and the word after it, and returns that
// word in value (empty when the option is the last word or absent). Returns the count left.
int take_option_argument(std::string& value, std::vector<std::string>& words, const std::string& option);

// Removes every word that begins with '-'; each letter after the '-' must be one of letters
// (1-based position k) and sets bit (letters.size() - k) of mask. Any other character calls
// unknown_letter (rowsift: the usage text, fatal). Returns the count left.
int collect_flag_letters(unsigned& mask, std::vector<std::string>& words, const std::string& letters,
                         const std::function<void(char)>& unknown_letter);

int char_position(char c, std::string_view text);   // 1-based, 0 when absent
int find_substring(std::string_view text, std::string_view pattern); // 1-based, 0 when absent
void to_upper_string(char* text);
void to_upper_string(std::string& text);

// A field "is a number" when it starts like one: a digit; or '+', '-' or '.' followed by a
// digit; or '+'/'-' followed by '.' and a digit. plotwell's variant skips leading blanks.
bool is_number(shared_variant variant, const char* text);
inline bool is_number(shared_variant variant, const std::string& text) { return is_number(variant, text.c_str()); }
inline bool is_number(const shared_context& context, const char* text) { return is_number(context.variant, text); }
inline bool is_number(const shared_context& context, const std::string& text)
{
    return is_number(context.variant, text.c_str());
}
// Every character is a digit (and there is at least one).
bool is_integer(const char* text);

// Text-to-number conversions of the C library in the C locale: the longest numeric prefix,
// 0 when there is none.
double c_strtod(const char* text, char** end = nullptr);
long c_atol(const char* text);
// snprintf of one double in the C locale ("%g", "%G", "%.17g"...).
std::string format_double(const char* format, double value);
