#pragma once
// plotwell's side of the routines it shares with rowsift. The shared routines themselves (fatal
// errors and messages, file opening, the word splitter, option taking, is_number, upper-casing,
// C-locale formatting) live once in common/runtime/shared_routines.h; plotwell's drawing hands them
// its shared context (plot_settings::shared). What stays here is plotwell's own: numbers read from
// words, file sizes, the line reader and the drawing's temporary files.
#include "plotwell/core/plot_settings.h"
#include "common/runtime/shared_routines.h"

#include <cstdio>
#include <string>

namespace plotwell {

// Takes the application part's settings folder and message handler into the drawing's shared
// context. Called when a drawing starts and whenever the settings folder changes (DEFAULT_DIR).
void refresh_shared_context(plot_settings& ps);

// plotwell's number test: leading blanks are allowed.
inline bool is_number(const char* text) { return ::is_number(shared_variant::plotwell, text); }
inline bool is_number(const std::string& text) { return ::is_number(shared_variant::plotwell, text); }

// Reads a number as the C library does, with '.' whatever the user's locale; 0 when there is none.
double to_double(const std::string& text);
// The same cut to the range of int.
int to_int(const std::string& text);
// A number that must be finite ("1e999" is refused with a message naming `what`).
double finite_number(const std::string& word, const char* what);

// Size in bytes of a file found as open_file_if_present finds it; 0 when absent.
long file_size(const plot_settings& ps, const std::string& name);

// Reads one line of a text file into `line` without its CR LF or LF; false at the end of the file.
bool read_text_line(std::FILE* file, std::string& line);

// A new unique temporary file (prefix "XYT") in the temporary folder, registered with the drawing so
// that it is removed when the drawing ends, whatever way it ends.
std::string make_temp_file(plot_settings& ps);
void remove_temp_files(plot_settings& ps);

} // namespace plotwell
