#pragma once
// Cell text kinds and the stored forms of cell texts: wide (UTF-16) text packed into a
// single-byte cell, the one-line form of the text cell stream and the quoted exchange form
// of clipboard and CSV text. Stateless functions on byte strings that may hold any byte.
#include "platform/rtl/System.h"

#include <cstdint>

enum : uint8_t {
    ctkPlain = 0,
    ctkHtml = 1,
    ctkRtf = 2,
    ctkFormula = 3,
    ctkWide = 5,
};

// The two bytes that open a wide cell text ("|\") and a Rich Text Format text ("{\").
extern const char kWideCellMarker[3];
extern const char kRtfMarker[3];

uint8_t GetCellTextKind(const String& text, bool htmlAllowed);
// Wide cell text: the marker, then every code unit high byte first. A text without the
// marker is converted from the system code page.
WideString DecodeWideCellText(const String& text);
String EncodeWideCellText(const WideString& text);
// First occurrence of substr in the zero-terminated str; null when either is null,
// substr is empty or longer than str.
const char16_t* WideStrScan(const char16_t* str, const char16_t* substr);
int WidePos(const WideString& substr, const WideString& s);

// One-line form: CR -> 9, LF -> 8, 0 -> 1 (only for a text that holds a CR).
String EncodeLineBreaks(const String& text);
// Reverses the one-line form for a text that holds a byte 8; then the whole text, or only
// its first line.
String DecodeLineBreaks(const String& text, bool wholeText);
// line := text up to the first CR; the CR and one LF after it are removed; text keeps the
// rest only when keepRest. A text without CR is all line, and text becomes empty.
void CutFirstLine(String& text, bool keepRest, String& line);
int CountTextLines(const String& text, bool multiLine);

// Exchange form: CR LF -> byte 11, the whole text in double quotes.
void QuoteMultiLineText(String& text);
void VTabToLineBreaks(String& text);
// CSV import: "~" stands for CR LF; a text that is then "^" becomes empty.
void TildeToLineBreaks(String& text);
String BackslashNToCR(const String& text);
String CRToLF(const String& text);
