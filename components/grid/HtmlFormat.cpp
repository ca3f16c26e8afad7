#include "components/grid/HtmlFormat.h"

#include "platform/rtl/SysUtils.h"

#include <cctype>
#include <cstring>

namespace {

char Up(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}

// Letter i (0-based) after the "<" or "</" of the tag, upper-cased; 0 past the end.
char Letter(const String& tag, size_t start, size_t i)
{
    return start + i < tag.size() ? Up(tag[start + i]) : 0;
}

bool StartsNoCase(const String& text, const char* prefix)
{
    const size_t n = std::strlen(prefix);
    if (text.size() < n)
        return false;
    for (size_t i = 0; i < n; ++i)
        if (Up(text[i]) != Up(prefix[i]))
            return false;
    return true;
}

THtmlTag OpeningTag(const String& tag)
{
    const char a = Letter(tag, 1, 0);
    const char b = Letter(tag, 1, 1);
    switch (a) {
    case 'A': return THtmlTag::Anchor;
    case 'B':
        if (b == '>') return THtmlTag::Bold;
        if (b == 'R') return THtmlTag::LineBreak;
        if (b == 'L') return THtmlTag::Blink;
        if (b == 'O') return THtmlTag::Body;
        return THtmlTag::Unknown;
    case 'C': return THtmlTag::Control;
    case 'E': return THtmlTag::ErrorMark;
    case 'F': return THtmlTag::Font;
    case 'H':
        if (b == 'I') return THtmlTag::Highlight;
        if (b == 'R') return THtmlTag::HorizontalRule;
        return THtmlTag::Unknown;
    case 'I':
        if (b == '>') return THtmlTag::Italic;
        if (b == 'N') return THtmlTag::Indent;
        if (b == 'M') return THtmlTag::Image;
        return THtmlTag::Unknown;
    case 'L': return THtmlTag::ListItem;
    case 'P': return THtmlTag::Paragraph;
    case 'R': return THtmlTag::Rotate;
    case 'S':
        if (b == '>') return THtmlTag::Strike;
        if (b == 'H') return THtmlTag::Shadow;
        if (StartsNoCase(tag, "<SUB>")) return THtmlTag::Subscript;
        if (StartsNoCase(tag, "<SUP>")) return THtmlTag::Superscript;
        return THtmlTag::Unknown;
    case 'U': return b == '>' ? THtmlTag::Underline : THtmlTag::List;
    case 'Z': return THtmlTag::Hidden;
    default: return THtmlTag::Unknown;
    }
}

THtmlTag ClosingTag(const String& tag)
{
    const char a = Letter(tag, 2, 0);
    const char b = Letter(tag, 2, 1);
    switch (a) {
    case 'A': return THtmlTag::Anchor;
    case 'B': return b == '>' ? THtmlTag::Bold : THtmlTag::ColorReset;
    case 'E': return THtmlTag::ErrorMark;
    case 'F': return THtmlTag::Font;
    case 'H': return THtmlTag::Highlight;
    case 'I': return THtmlTag::Italic;
    case 'L': return THtmlTag::ListItem;
    case 'P': return THtmlTag::Paragraph;
    case 'R': return THtmlTag::Rotate;
    case 'S':
        if (b == 'U') return THtmlTag::Subscript;
        if (b == 'H') return THtmlTag::Shadow;
        return THtmlTag::Strike;
    case 'U': return b == '>' ? THtmlTag::Underline : THtmlTag::List;
    case 'Z': return THtmlTag::Hidden;
    default: return THtmlTag::Unknown;
    }
}

struct ColorName {
    const char* Name;
    THtmlColor Value;
};

const ColorName kColorNames[40] = {
    {"clred", 0x0000FF}, {"clblack", 0x000000}, {"clblue", 0xFF0000}, {"clgreen", 0x008000},
    {"claqua", 0xFFFF00}, {"clyellow", 0x00FFFF}, {"clfuchsia", 0xFF00FF}, {"clwhite", 0xFFFFFF},
    {"cllime", 0x00FF00}, {"clsilver", 0xC0C0C0}, {"clgray", 0x808080}, {"clolive", 0x008080},
    {"clnavy", 0x800000}, {"clpurple", 0x800080}, {"clteal", 0x808000}, {"clmaroon", 0x000080},
    {"clbackground", 0xFF000001}, {"clactivecaption", 0xFF000002}, {"clinactivecaption", 0xFF000003},
    {"clmenu", 0xFF000004}, {"clwindow", 0xFF000005}, {"clwindowframe", 0xFF000006},
    {"clmenutext", 0xFF000007}, {"clwindowtext", 0xFF000008}, {"clcaptiontext", 0xFF000009},
    {"clactiveborder", 0xFF00000A}, {"clinactiveborder", 0xFF00000B}, {"clappworkspace", 0xFF00000C},
    {"clhighlight", 0xFF00000D}, {"clhighlighttext", 0xFF00000E}, {"clbtnface", 0xFF00000F},
    {"clbtnshadow", 0xFF000010}, {"clgraytext", 0xFF000011}, {"clbtntext", 0xFF000012},
    {"clinactivecaptiontext", 0xFF000013}, {"clbtnhighlight", 0xFF000014}, {"cl3ddkshadow", 0xFF000015},
    {"cl3dlight", 0xFF000016}, {"clinfotext", 0xFF000017}, {"clinfobk", 0xFF000018},
};

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 0;
}

// Replaces, from left to right, each entity of the table found at a "&" by its character;
// match decides how an entity is compared with the text.
template <class Table, class Match>
String DecodeOnePass(const String& text, const Table& table, Match match)
{
    if (text.find('&') == String::npos)
        return text;
    String out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] == '&') {
            bool replaced = false;
            for (const THtmlEntity& e : table) {
                const size_t n = std::strlen(e.Entity);
                if (text.size() - i >= n && match(text.data() + i, e.Entity, n)) {
                    out.push_back(e.Char);
                    i += n;
                    replaced = true;
                    break;
                }
            }
            if (replaced)
                continue;
        }
        out.push_back(text[i++]);
    }
    return out;
}

bool SameNoCase(const char* a, const char* b, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        if (Up(a[i]) != Up(b[i]))
            return false;
    return true;
}

bool SameExact(const char* a, const char* b, size_t n)
{
    return std::memcmp(a, b, n) == 0;
}

const THtmlEntity kFixedEntities[9] = {
    {"&amp;", '&'}, {"&quot;", '"'}, {"&sect;", '\xA7'}, {"&permil;", '\x89'}, {"&reg;", '\xAE'},
    {"&copy;", '\xA9'}, {"&para;", '\xB6'}, {"&trade;", '\x99'}, {"&euro;", '\x80'},
};

const THtmlEntity kRunEntities[3] = {{"&nbsp;", ' '}, {"&lt;", '<'}, {"&gt;", '>'}};

bool AllDigits(const String& s)
{
    if (s.empty())
        return false;
    for (char c : s)
        if (c < '0' || c > '9')
            return false;
    return true;
}

} // namespace

const THtmlEntity HtmlEntityTable[51] = {
    {"&eacute;", '\xE9'}, {"&egrave;", '\xE8'}, {"&euml;", '\xEB'}, {"&ecirc;", '\xEA'},
    {"&oacute;", '\xF3'}, {"&ograve;", '\xF2'}, {"&ouml;", '\xF6'}, {"&ocirc;", '\xF4'},
    {"&iacute;", '\xED'}, {"&igrave;", '\xEC'}, {"&iuml;", '\xEF'}, {"&icirc;", '\xEE'},
    {"&uacute;", '\xFA'}, {"&ugrave;", '\xF9'}, {"&uuml;", '\xFC'}, {"&ucirc;", '\xFB'},
    {"&aacute;", '\xE1'}, {"&agrave;", '\xE0'}, {"&auml;", '\xE4'}, {"&acirc;", '\xE2'},
    {"&Eacute;", '\xC9'}, {"&Egrave;", '\xC8'}, {"&Euml;", '\xCB'}, {"&Ecirc;", '\xCA'},
    {"&Oacute;", '\xD3'}, {"&Ograve;", '\xD2'}, {"&Ouml;", '\xD6'}, {"&Ocirc;", '\xD4'},
    {"&Iacute;", '\xCD'}, {"&Igrave;", '\xCC'}, {"&Iuml;", '\xCF'}, {"&Icirc;", '\xCE'},
    {"&Uacute;", '\xDA'}, {"&Ugrave;", '\xD9'}, {"&Uuml;", '\xDC'}, {"&Ucirc;", '\xDB'},
    {"&Aacute;", '\xC1'}, {"&Agrave;", '\xC0'}, {"&Auml;", '\xC4'}, {"&Acirc;", '\xC2'},
    {"&ccedil;", '\xE7'}, {"&Ccedil;", '\xC7'}, {"&Oslash;", '\xD8'}, {"&oslash;", '\xF8'},
    {"&aring;", '\xE5'}, {"&Aring;", '\xC5'}, {"&copy;", '\xA9'}, {"&reg;", '\xAE'},
    {"&euro;", '\x80'}, {"&laquo;", '\xAB'}, {"&raquo;", '\xBB'},
};

bool NextHtmlToken(String& rest, THtmlToken& token)
{
    if (rest.empty())
        return false;
    if (rest[0] != '<') {
        const size_t lt = rest.find('<');
        token.IsTag = false;
        token.Text = rest.substr(0, lt);
        rest.erase(0, lt == String::npos ? rest.size() : lt);
        return true;
    }
    if (rest.size() <= 2) {
        rest.clear();
        return false;
    }
    const size_t gt = rest.find('>');
    token.IsTag = true;
    token.Text = rest.substr(0, gt == String::npos ? String::npos : gt + 1);
    rest.erase(0, token.Text.size());
    return true;
}

THtmlTagInfo IdentifyHtmlTag(const String& tag)
{
    THtmlTagInfo info;
    if (tag.empty() || tag[0] != '<')
        return info;
    info.Closing = tag.size() > 1 && tag[1] == '/';
    info.Tag = info.Closing ? ClosingTag(tag) : OpeningTag(tag);
    return info;
}

String HtmlTagAttribute(const String& tag, const String& name)
{
    const THtmlTagInfo info = IdentifyHtmlTag(tag);
    size_t start = 2; // 0-based index of the third character
    bool upper = false;
    String key = UpperCase(name);
    switch (info.Tag) {
    case THtmlTag::Body:
    case THtmlTag::Font:
        start = 5;
        upper = true;
        break;
    case THtmlTag::Control:
        start = 8;
        key += '=';
        break;
    case THtmlTag::Image:
    case THtmlTag::Paragraph:
        upper = true;
        break;
    default:
        break;
    }
    if (start >= tag.size() || key.empty())
        return String();
    const String attrs = tag.substr(start);
    const String upperAttrs = UpperCase(attrs);
    const size_t at = upperAttrs.find(key);
    if (at == String::npos)
        return String();
    const size_t q1 = attrs.find('"', at + key.size());
    if (q1 == String::npos)
        return String();
    const size_t q2 = attrs.find('"', q1 + 1);
    const String& source = upper ? upperAttrs : attrs;
    return source.substr(q1 + 1, q2 == String::npos ? String::npos : q2 - q1 - 1);
}

int HtmlFontSizeToPoints(int size)
{
    switch (size) {
    case 1: return 8;
    case 2: return 10;
    case 3: return 12;
    case 4: return 14;
    case 5: return 16;
    default: return size;
    }
}

uint8_t HexPairToByte(const String& pair)
{
    if (pair.size() < 2)
        return 0;
    return static_cast<uint8_t>(HexDigit(pair[0]) * 16 + HexDigit(pair[1]));
}

THtmlColor HexColorToColor(const String& value)
{
    const THtmlColor r = HexPairToByte(Copy(value, 2, 2));
    const THtmlColor g = HexPairToByte(Copy(value, 4, 2));
    const THtmlColor b = HexPairToByte(Copy(value, 6, 2));
    return r + g * 256 + b * 65536;
}

THtmlColor HtmlColorNameToColor(const String& name)
{
    const String key = LowerCase(name);
    for (const ColorName& c : kColorNames)
        if (key == c.Name)
            return c.Value;
    return kHtmlBlack;
}

THtmlColor HtmlColorValueToColor(const String& value)
{
    if (!value.empty() && value[0] == '#')
        return HexColorToColor(value);
    return HtmlColorNameToColor(value);
}

String DecodeFixedHtmlEntities(const String& text)
{
    return DecodeOnePass(text, kFixedEntities, SameNoCase);
}

String DecodeTextRunEntities(const String& run)
{
    return DecodeOnePass(run, kRunEntities, SameExact);
}

THtmlPictureSource ParseHtmlPictureSource(const String& src)
{
    THtmlPictureSource result;
    auto systemIcon = [&](THtmlPictureSourceKind kind, size_t prefix) {
        result.Kind = kind;
        result.Name = src.substr(prefix);
        if (AllDigits(result.Name))
            result.Index = StrToIntDef(result.Name, -1);
    };
    if (StartsNoCase(src, "IDX:")) {
        result.Kind = THtmlPictureSourceKind::ImageIndex;
        result.Name = src.substr(4);
        result.Index = StrToIntDef(Trim(result.Name), -1);
    } else if (StartsNoCase(src, "SSYS:")) {
        systemIcon(THtmlPictureSourceKind::SmallSystemIcon, 5);
    } else if (StartsNoCase(src, "LSYS:")) {
        systemIcon(THtmlPictureSourceKind::LargeSystemIcon, 5);
    } else if (src.find("://") != String::npos) {
        result.Kind = THtmlPictureSourceKind::Url;
        result.Name = src;
    } else if (!src.empty() && src.find(':') == String::npos) {
        result.Kind = THtmlPictureSourceKind::Container;
        result.Name = src;
    }
    return result;
}
