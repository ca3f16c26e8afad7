#pragma once
// Text, number, date and URL routines shared by the grids, their in-place editors and the
// drop-down editors. All are stateless functions on single-byte strings with 1-based
// positions (0 = not found). The decimal, thousand and date separators are read from the
// process-wide format settings on every call.
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/SysUtils.h"

#include <cstdint>

// ---------------------------------------------------------------- number kinds

enum : uint8_t {
    nkInteger = 0,   // digits and a "-" at position 1 only (a lone "-" too)
    nkDecimal = 1,   // digits, leading "-", thousand and decimal separators
    nkNoNumber = 2,  // also the empty text
    nkExponent = 5,  // number with an exponent
};

// ---------------------------------------------------------------- character classes

bool IsDigitChar(char c);
bool IsDigitOrMinus(char c);
bool IsNumberChar(char c);       // digits, E, e, thousand and decimal separator
bool IsSignedNumberChar(char c); // IsNumberChar, "+" and "-"
bool IsFloatChar(char c);        // + - . digits E e
bool IsWordBreakChar(char c);    // blank ' , - .
bool IsUrlChar(char c);          // characters that may continue a URL

// ---------------------------------------------------------------- strings and positions

// value unchanged when min = max; a limit of 0 or less is no limit.
int ClampToLimits(int value, int min, int max);
int IntMax(int a, int b);
int IntMin(int a, int b);

// rect: anything with Left, Top, Right, Bottom in cells (the framework's grid rectangle).
template <class TRect>
bool CellInGridRect(const TRect& rect, int col, int row)
{
    return rect.Left <= col && col <= rect.Right && rect.Top <= row && row <= rect.Bottom;
}

int PosWithResult(const String& substr, const String& text, int& pos);
// substr is searched as given in the ASCII-upper-cased text.
int UpperCasePos(const String& substr, const String& text);
int CharPos(char ch, const String& text);
// pos is written only when ch is found; the position (or 0) is returned.
int FindCharPos(char ch, const String& text, int& pos);
// head := the text before the delimiter; the head and the delimiter's first character are
// removed from text. Without the delimiter head is empty and text stays.
void SplitAtDelimiter(String& text, const String& delimiter, String& head);
void FillWithChar(String& text, char ch);
// Two ch in a row become one (three become two).
String CollapseDoubledChar(char ch, const String& text);
int CountCharOccurrences(char ch, const String& text);
// The position of a delimiter that is not doubled (the closing quote of a CSV field).
int FindUnpairedChar(char ch, const String& text, int& pos);
int CountUnpairedChars(char ch, const String& text);
// OEM code page to the system code page; the result ends at the first 0 byte.
void OemToAnsiText(String& text);
char LowerAsciiChar(char ch);
// Name capitalisation: mcdonald -> McDonald, henry iii -> Henry III.
String CapitalizeWords(const String& text);
// "R<row>C<col>", any case: True with col and row set; False leaves them untouched.
bool ParseRCCellRef(const String& text, int& col, int& row);
template <class TPoint>
bool ParseRCCellRef(const String& text, TPoint& cell)
{
    int col = 0, row = 0;
    if (!ParseRCCellRef(text, col, row))
        return false;
    cell.X = col;
    cell.Y = row;
    return true;
}

// ---------------------------------------------------------------- numbers

uint8_t GetNumberKind(const String& text);
// The number in a formatted cell text, with "." as decimal separator and no thousand
// separators; "(5)" and "-5" give "-5", "$ 12" gives "12".
String ExtractNumberText(const String& text);

// ---------------------------------------------------------------- dates

// Dates written m/d/y or d/m/y with "/", "." or "-"; 0 when the text has not that form.
// A two-digit year y is 2000 + y up to 25 and 1900 + y above; longer years stand as
// written. A day or month that does not exist raises EConvertError.
TDateTime ParseDateMDY(const String& text);
TDateTime ParseDateDMY(const String& text);
bool LooksLikeDate(const String& text);
// The next date of a series from the differences of two example dates.
// Raises EConvertError when the target day or month does not exist.
TDateTime AddDateStep(int16_t years, int16_t months, int16_t days, TDateTime date, double step);

// ---------------------------------------------------------------- URLs

bool IsUrlText(const String& text);
void StripUrlScheme(String& text);
// scheme is upper case ("HTTP://", "WWW.", "MAILTO:"...). True with result set when the
// text holds the scheme; "<" and ">" of the text are escaped.
bool WrapUrlInAnchor(const String& text, const String& scheme, String& result);
