#pragma once
// The PostScript back end of the graphics layer: the prolog pscinit.xy copied in with its bounding
// box, version check and dash arrays rewritten, the page set-up, and one operator call per
// primitive. Device units are 1/300 inch with y upward. The operations are members of
// plot_graphics (graphics_state.h).
#include "plotwell/app/graphics/graphics_state.h"

namespace plotwell {

// The version the prolog's "%%BeginProcSet:" line must carry as its third word.
inline constexpr const char* prolog_version = "2.1.7";

// PostScript page sizes in device units.
struct ps_page { double width, height; };
ps_page postscript_page(bool landscape, bool a3);

// Escapes a text for a PostScript string operand: brackets and backslashes get a backslash,
// except a backslash followed (after blanks) by a digit; tabs become blanks.
std::string postscript_escape(const std::string& text);

// Writes the value as printf's "%.0f" does (at most 24 characters) and returns the end.
char* ps_rounded(char* out, double value);

} // namespace plotwell
