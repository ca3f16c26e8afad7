#pragma once
// Shared constants and the text-field routines of the model input file and its side
// files: padded fields, numbers in the general real format, dates with English month
// abbreviations, the 7-bit text filter, and dates as SQL literals.
#include "platform/rtl/DateUtils.h"

// Database flags are written "Yes"/"No" and compared in upper case.
inline const String YES_TEXT = "Yes";
inline const String YES_UPPER = "YES";
inline const String NO_TEXT = "No";
inline const String NO_UPPER = "NO";

// Width of the value column of the model input file.
constexpr int VALUE_COLUMN_WIDTH = 18;

// Category code of the vertical-profile print variables.
inline const String VERTICAL_PROFILE_CATEGORY = "QuelmVerticalProfiles";

inline const char* const MONTH_ABBREVIATIONS[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                    "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Blanks appended up to width; a text of width characters or more gets exactly one blank.
String PadRight(const String& text, int width);
// Blanks put in front up to width; a text of width characters or more gets exactly one
// blank appended at its end.
String PadLeft(const String& text, int width);
String IntField(int64_t value, int width);
String IntFieldRight(int64_t value, int width);
// The general real format (15 significant digits, '.'); a text that reads as a 32-bit
// signed integer gets ".0" (3 -> "3.0", but 3E9 -> "3000000000" and 1E20 -> "1E20").
String FloatField(double value, int width);
// The general real format with at least four exponent digits ("1E-0005"), right-aligned.
String FloatFieldRight(double value, int width);
String YesNoField(bool value, int width);
String DateField(TDateTime date, int width);
// "05-Mar-2001" whatever the regional settings.
String FormatDateDMY(TDateTime date);

bool HasExtendedAscii(const String& text);   // a character of code 128 or above
String StripExtendedAscii(const String& text);

// "'2001-03-05'": the date converted with the format "yyyy-mm-dd" and '-' as separator,
// between single quotes; the forced regional settings hold again afterwards.
String SqlDateLiteral(TDateTime date);
