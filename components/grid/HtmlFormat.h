#pragma once
// The mini-HTML mark-up of cells, hints, headers and drop-down captions: splitting a text
// into runs and tags, identifying a tag by its first letters, reading its attributes,
// colours, entities and picture sources. The format is loose on purpose: nothing is
// validated or reported, unknown tags are skipped by the renderer.
#include "platform/rtl/System.h"

#include <cstdint>

// Colour values are 0x00BBGGRR; 0xFF0000nn is the system colour with index nn.
using THtmlColor = uint32_t;
constexpr THtmlColor kHtmlNoColor = 0x1FFFFFFF;
constexpr THtmlColor kHtmlBlack = 0x000000;

// ---------------------------------------------------------------- tokens

struct THtmlToken {
    bool IsTag = false;
    // a tag from its "<" up to and including its ">" (or to the end of the text when it has
    // no ">"), or a run of text without "<"
    String Text;
};

// Takes the next run or tag from the front of rest. A "<" that is the last or second-to-last
// character drops the remainder. False when nothing is left.
bool NextHtmlToken(String& rest, THtmlToken& token);

// ---------------------------------------------------------------- tags

enum class THtmlTag {
    Unknown,
    Anchor,         // A
    Bold,           // B>
    LineBreak,      // BR
    Blink,          // BL
    Body,           // BO
    Control,        // C
    ErrorMark,      // E
    Font,           // F
    Highlight,      // HI (closing: any H, so also </HR>)
    HorizontalRule, // HR
    Indent,         // IN
    Image,          // IM
    Italic,         // I> (closing: any I)
    ListItem,       // L
    Paragraph,      // P
    Rotate,         // R
    Strike,         // S> (closing: S not followed by H or U)
    Shadow,         // SH
    Subscript,      // <SUB> exactly (closing: any SU, ends sub- and superscript)
    Superscript,    // <SUP> exactly
    Underline,      // U> (closing: U> only)
    List,           // U not followed by ">" (UL)
    Hidden,         // Z
    ColorReset,     // closing B not followed by ">" (</BODY>, </BL>)
};

struct THtmlTagInfo {
    THtmlTag Tag = THtmlTag::Unknown;
    bool Closing = false;
};

// tag: the text from its "<" on. The identifying letters are compared without regard to case.
THtmlTagInfo IdentifyHtmlTag(const String& tag);

// The value of attribute name (upper case; " COLOR" with its blank for the font colour) in
// a tag: the text between the two double quotes after the first occurrence of name in the
// tag's attribute text. The CONTROL tag looks for name followed by "=". Values of BODY,
// FONT, IMG and P come upper-cased; others keep their case. Empty when absent.
String HtmlTagAttribute(const String& tag, const String& name);

// SIZE of a font tag: 1..5 give 8, 10, 12, 14, 16 points; any other number is the size.
int HtmlFontSizeToPoints(int size);

// ---------------------------------------------------------------- colours

// Two characters of "0".."9" and upper-case "A".."F"; a shorter text gives 0.
uint8_t HexPairToByte(const String& pair);
// "#RRGGBB" to 0x00BBGGRR.
THtmlColor HexColorToColor(const String& value);
// One of the 40 colour names (looked up lower-cased); an unknown name gives black.
THtmlColor HtmlColorNameToColor(const String& name);
// A colour value as written in a tag: "#RRGGBB" or a colour name.
THtmlColor HtmlColorValueToColor(const String& value);

// ---------------------------------------------------------------- entities

struct THtmlEntity {
    const char* Entity;
    char Char; // in the system code page
};

// The 51 accented and special characters of the entity encoder and decoder, in table order.
extern const THtmlEntity HtmlEntityTable[51];
constexpr int HtmlEntityCount = 51;

// The nine entities decoded in the whole text before layout (any letter case): &amp;
// &quot; &sect; &permil; &reg; &copy; &para; &trade; &euro;. One pass from left to right,
// so a character produced by an entity never starts another.
String DecodeFixedHtmlEntities(const String& text);
// &nbsp; &lt; &gt; in a run of text after the tags were split off (lower case only).
String DecodeTextRunEntities(const String& run);

// ---------------------------------------------------------------- picture sources

enum class THtmlPictureSourceKind {
    None,
    ImageIndex, // "IDX:" n
    SmallSystemIcon, // "SSYS:" file or number
    LargeSystemIcon, // "LSYS:" file or number
    Container,  // a name without ":"
    Url,        // a URL with "://"
};

struct THtmlPictureSource {
    THtmlPictureSourceKind Kind = THtmlPictureSourceKind::None;
    String Name;   // the file, name or URL (after the prefix)
    int Index = -1; // "IDX:" n, or the number of "SSYS:"/"LSYS:" when one was given
};

THtmlPictureSource ParseHtmlPictureSource(const String& src);
