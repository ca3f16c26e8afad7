#pragma once
// Texts of the graphics layer: escape sequences (super- and subscript, the Math font, composed
// accented letters), segment-by-segment layout, widths (metric tables for PostScript, the device's
// own measure for GDI), character heights and the GDI fonts. The operations are members of
// plot_graphics (graphics_state.h).
#include "plotwell/app/graphics/graphics_state.h"

namespace plotwell {

// Width of character c (33..126) as a fraction of the character height, for the PostScript
// tables: 0 Helvetica, 1 Helvetica-Bold, 2 Times-Roman, 3 Times-Bold, 4 Math.
double postscript_char_width(int table, unsigned char c);

// The Unicode character that a byte of the Math (symbol) font shows.
char16_t math_font_character(unsigned char c);

} // namespace plotwell
