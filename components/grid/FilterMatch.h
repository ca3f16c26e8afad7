#pragma once
// Filter conditions: wildcard patterns, negated patterns and comparisons with numbers,
// dates and strings, joined by "&" (and) and ";", "^", "|" (or) strictly from left to
// right, with groups in parentheses. A pure function of the condition, the cell text, the
// case flag and the format settings (decimal, thousand, date and time separators, short
// date format), read on every call.
#include "platform/rtl/DateUtils.h"

#include <bitset>

using TCharSet = std::bitset<256>;

bool MatchFilterExpression(const String& condition, const String& text, bool caseSensitive);
// One term; both sides are upper-cased unless caseSensitive.
bool MatchFilterTerm(const String& term, const String& text, bool caseSensitive);
// One term on zero-terminated texts that are already upper-cased where wanted.
bool MatchFilterCondition(const char* term, const char* text);

// A date with an optional time in the order of the short date format, with the date and
// time separators. The year stands as written.
bool ParseDateTimeText(const String& text, TDateTime& value);
// Decimal separator -> ".", thousand separators removed.
String NormalizeDecimalText(const char* text);
// Removes blanks outside double quotes (a blank is inside after an odd number of quotes).
String RemoveSpacesOutsideQuotes(const String& text);
// The ")" at which the counts of ")" and "(" seen from the start are equal; 0 when none.
int MatchingParenPos(const String& text);
// The first character of text that is in chars and outside quotes, with its 1-based
// position in index; character 0 and index -1 when there is none.
char FirstSetCharOutsideQuotes(const TCharSet& chars, const String& text, int& index);
