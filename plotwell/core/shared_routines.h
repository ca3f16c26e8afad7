#pragma once
// plotwell's forms of the small routines it shares with rowsift: errors and messages, file opening,
// the word splitter and option taking. Fatal errors throw plot_error; nothing here ends the program.
#include "plot_settings.h"

#include <cstdio>
#include <string>
#include <vector>

namespace plotwell {

// Formats like printf and throws the text as plot_error.
[[noreturn]] void fatal_error(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string format_text(const char* format, ...) __attribute__((format(printf, 1, 2)));
void show_message(plot_settings& ps, const std::string& text);

// Splits at white space (separator ' ') or at the separator character; a word opened by a single,
// double or back quote runs to the same quote and keeps its blanks. At most `maximum` words; the last
// one ends at the next separator and the rest of the text is dropped.
std::vector<std::string> split_fields(const std::string& text, char separator = ' ', int maximum = 200);

// Removes the first word equal to `option` and the word after it; returns that word ("" when the
// option is last or absent).
std::string take_option_argument(std::vector<std::string>& words, const std::string& option);

// After blanks: a digit, or a sign or point followed by a digit, or a sign, a point and a digit.
bool is_number(const std::string& text);
bool is_number(const char* text);
// Reads a number as the C library does, with '.' whatever the locale; 0 when there is none.
double to_double(const std::string& text);
int to_int(const std::string& text);
// A number that must be finite ("1e999" is refused with a message naming `what`).
double finite_number(const std::string& word, const char* what);

std::string upper_case(std::string text);

// A name as the system gives it ("/" and "\" both separate folders), resolved against the working folder.
std::string resolve_path(const plot_settings& ps, const std::string& name);
// Opens a file; a file for reading that cannot be found is looked for in the settings folder.
// Fatal "Cannot open %s\n" when it cannot be opened.
std::FILE* open_file_or_fail(const plot_settings& ps, const std::string& name, const char* mode);
// Same search, without failing: nullptr when absent.
std::FILE* try_open_for_reading(const plot_settings& ps, const std::string& name);
// Replaces $NAME parts (up to the next separator) by the environment value.
std::string expand_environment_path(const std::string& name);

// Size in bytes, looked up as given and then in the settings folder; 0 when absent.
long file_size(const plot_settings& ps, const std::string& name);

// Reads one line of a text file into `line` without its CR LF or LF; false at the end of the file.
bool read_text_line(std::FILE* file, std::string& line);

// A new unique temporary file (prefix "XYT") in the temporary folder, registered with the drawing so
// that it is removed when the drawing ends, whatever way it ends.
std::string make_temp_file(plot_settings& ps);
void remove_temp_files(plot_settings& ps);

} // namespace plotwell
