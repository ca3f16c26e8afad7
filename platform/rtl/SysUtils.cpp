#include "platform/rtl/SysUtils.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

// ---------------------------------------------------------------- exceptions

void Abort()
{
    throw EAbort("Operation aborted");
}

void Assert(bool condition, const String& text, const char* unit, int line)
{
    if (condition)
        return;
    String message = text.empty() ? String("Assertion failed") : text;
    throw EAssertionFailed(message + " (" + (unit ? unit : "") + ", line " + std::to_string(line) + ")");
}

// ---------------------------------------------------------------- format settings

namespace {

TFormatSettings& UserSettingsStore()
{
    static TFormatSettings settings;
    return settings;
}

} // namespace

TFormatSettings& FormatSettings()
{
    static TFormatSettings settings = UserSettingsStore();
    return settings;
}

const TFormatSettings& UserFormatSettings()
{
    return UserSettingsStore();
}

void SetUserFormatSettings(const TFormatSettings& settings, bool applyNow)
{
    UserSettingsStore() = settings;
    if (applyNow)
        FormatSettings() = settings;
}

// ---------------------------------------------------------------- text

namespace {

bool IsBlank(unsigned char c)
{
    return c <= ' ';
}

char AsciiUpper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

char AsciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

// Letters of the Windows-1252 code page: the upper and lower forms differ by 0x20 in the
// Latin-1 range (except the multiplication and division signs), by 0x10 for S/Z caron and OE.
unsigned char CodePageUpper(unsigned char c)
{
    if (c >= 'a' && c <= 'z')
        return c - 32;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return c - 32;
    if (c == 0x9A || c == 0x9C || c == 0x9E)
        return c - 16;
    if (c == 0xFF)
        return 0x9F;
    return c;
}

unsigned char CodePageLower(unsigned char c)
{
    if (c >= 'A' && c <= 'Z')
        return c + 32;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
        return c + 32;
    if (c == 0x8A || c == 0x8C || c == 0x8E)
        return c + 16;
    if (c == 0x9F)
        return 0xFF;
    return c;
}

} // namespace

String Trim(const String& s)
{
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b]))
        ++b;
    while (e > b && IsBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

String TrimLeft(const String& s)
{
    size_t b = 0;
    while (b < s.size() && IsBlank(s[b]))
        ++b;
    return s.substr(b);
}

String TrimRight(const String& s)
{
    size_t e = s.size();
    while (e > 0 && IsBlank(s[e - 1]))
        --e;
    return s.substr(0, e);
}

String UpperCase(const String& s)
{
    String r = s;
    std::transform(r.begin(), r.end(), r.begin(), AsciiUpper);
    return r;
}

String LowerCase(const String& s)
{
    String r = s;
    std::transform(r.begin(), r.end(), r.begin(), AsciiLower);
    return r;
}

String AnsiUpperCase(const String& s)
{
    String r = s;
    for (char& c : r)
        c = static_cast<char>(CodePageUpper(static_cast<unsigned char>(c)));
    return r;
}

String AnsiLowerCase(const String& s)
{
    String r = s;
    for (char& c : r)
        c = static_cast<char>(CodePageLower(static_cast<unsigned char>(c)));
    return r;
}

int CompareText(const String& a, const String& b)
{
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        int ca = static_cast<unsigned char>(AsciiUpper(a[i]));
        int cb = static_cast<unsigned char>(AsciiUpper(b[i]));
        if (ca != cb)
            return ca - cb;
    }
    return static_cast<int>(a.size()) - static_cast<int>(b.size());
}

int CompareStr(const String& a, const String& b)
{
    int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

bool SameText(const String& a, const String& b)
{
    return a.size() == b.size() && CompareText(a, b) == 0;
}

String QuotedStr(const String& s)
{
    String r = "'";
    for (char c : s) {
        r.push_back(c);
        if (c == '\'')
            r.push_back('\'');
    }
    r.push_back('\'');
    return r;
}

String IntToStr(int64_t value)
{
    return std::to_string(value);
}

String IntToHex(int64_t value, int digits)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%0*llX", digits, static_cast<unsigned long long>(value));
    return buf;
}

String StringOfChar(char c, int count)
{
    return count > 0 ? String(static_cast<size_t>(count), c) : String();
}

int Pos(const String& sub, const String& s)
{
    if (sub.empty())
        return 0;
    size_t p = s.find(sub);
    return p == String::npos ? 0 : static_cast<int>(p) + 1;
}

String Copy(const String& s, int start, int count)
{
    if (start < 1)
        start = 1;
    if (count <= 0 || static_cast<size_t>(start) > s.size())
        return String();
    return s.substr(static_cast<size_t>(start - 1), static_cast<size_t>(count));
}

String StringReplace(const String& s, const String& from, const String& to, int flags)
{
    if (from.empty())
        return s;
    const bool all = flags & rfReplaceAll;
    const bool ignoreCase = flags & rfIgnoreCase;
    const String hay = ignoreCase ? AnsiUpperCase(s) : s;
    const String needle = ignoreCase ? AnsiUpperCase(from) : from;
    String out;
    size_t pos = 0;
    while (true) {
        size_t hit = hay.find(needle, pos);
        if (hit == String::npos)
            break;
        out.append(s, pos, hit - pos);
        out.append(to);
        pos = hit + from.size();
        if (!all)
            break;
    }
    out.append(s, pos, String::npos);
    return out;
}

std::vector<String> SplitString(const String& s, char separator)
{
    std::vector<String> parts;
    size_t start = 0;
    while (true) {
        size_t p = s.find(separator, start);
        if (p == String::npos) {
            parts.push_back(s.substr(start));
            return parts;
        }
        parts.push_back(s.substr(start, p - start));
        start = p + 1;
    }
}

bool StartsText(const String& prefix, const String& s)
{
    return s.size() >= prefix.size() && SameText(s.substr(0, prefix.size()), prefix);
}

bool EndsText(const String& suffix, const String& s)
{
    return s.size() >= suffix.size() && SameText(s.substr(s.size() - suffix.size()), suffix);
}

// ---------------------------------------------------------------- numbers

bool TryStrToInt64(const String& s, int64_t& value)
{
    size_t i = 0;
    while (i < s.size() && s[i] == ' ')
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) {
        negative = s[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < s.size() && s[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= s.size())
        return false;
    uint64_t magnitude = 0;
    auto [end, ec] = std::from_chars(s.data() + i, s.data() + s.size(), magnitude, base);
    if (ec != std::errc() || end != s.data() + s.size())
        return false;
    if (base == 10) {
        const uint64_t limit = negative ? uint64_t(INT64_MAX) + 1 : uint64_t(INT64_MAX);
        if (magnitude > limit)
            return false;
    }
    value = negative ? static_cast<int64_t>(0 - magnitude) : static_cast<int64_t>(magnitude);
    return true;
}

bool TryStrToInt(const String& s, int& value)
{
    int64_t v = 0;
    if (!TryStrToInt64(s, v) || v < INT32_MIN || v > INT32_MAX) {
        // hexadecimal literals take the 32-bit pattern as it stands ($FFFFFFFF is -1)
        if (TryStrToInt64(s, v) && v >= 0 && v <= 0xFFFFFFFFLL && s.find_first_of("$xX") != String::npos) {
            value = static_cast<int32_t>(static_cast<uint32_t>(v));
            return true;
        }
        return false;
    }
    value = static_cast<int>(v);
    return true;
}

int StrToInt(const String& s)
{
    int v = 0;
    if (!TryStrToInt(s, v))
        throw EConvertError("'" + s + "' is not a valid integer value");
    return v;
}

int StrToIntDef(const String& s, int def)
{
    int v = 0;
    return TryStrToInt(s, v) ? v : def;
}

int64_t StrToInt64(const String& s)
{
    int64_t v = 0;
    if (!TryStrToInt64(s, v))
        throw EConvertError("'" + s + "' is not a valid integer value");
    return v;
}

bool TryStrToFloat(const String& s, double& value)
{
    return TryStrToFloat(s, value, FormatSettings());
}

bool TryStrToFloat(const String& s, double& value, const TFormatSettings& settings)
{
    const char decimal = settings.DecimalSeparator;
    String t = Trim(s);
    if (t.empty())
        return false;
    // Only sign, digits, one decimal separator and an exponent are valid.
    String normal;
    normal.reserve(t.size());
    size_t i = 0;
    if (t[i] == '+' || t[i] == '-') {
        if (t[i] == '-')
            normal.push_back('-');
        ++i;
    }
    bool digits = false, seenSep = false;
    for (; i < t.size(); ++i) {
        char c = t[i];
        if (c >= '0' && c <= '9') {
            digits = true;
            normal.push_back(c);
        } else if (c == decimal && !seenSep) {
            seenSep = true;
            normal.push_back('.');
        } else {
            break;
        }
    }
    if (!digits)
        return false;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        normal.push_back('e');
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-'))
            normal.push_back(t[i++]);
        bool expDigits = false;
        for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i) {
            expDigits = true;
            normal.push_back(t[i]);
        }
        if (!expDigits)
            return false;
    }
    if (i != t.size())
        return false;
    double v = 0;
    auto [end, ec] = std::from_chars(normal.data(), normal.data() + normal.size(), v);
    if (end != normal.data() + normal.size())
        return false;
    if (ec == std::errc::result_out_of_range) {
        // underflow gives zero; overflow is no valid value
        if (std::fabs(v) > 1.0)
            return false;
    } else if (ec != std::errc()) {
        return false;
    }
    value = v;
    return true;
}

double StrToFloat(const String& s)
{
    double v = 0;
    if (!TryStrToFloat(s, v))
        throw EConvertError("'" + s + "' is not a valid floating point value");
    return v;
}

double StrToFloatDef(const String& s, double def)
{
    double v = 0;
    return TryStrToFloat(s, v) ? v : def;
}

namespace {

// Decimal digits of |x| rounded to `precision` significant digits, trailing zeros removed,
// and the exponent e of 0.d1d2... x 10^e. Independent of the C locale.
struct Decimal {
    String digits; // empty for zero
    int exponent = 0;
    bool negative = false;
};

// Exact decimal expansion of |x| (enough digits for every rounding decision below).
Decimal ExactDecimal(double x)
{
    Decimal d;
    d.negative = std::signbit(x) && x != 0;
    if (x == 0)
        return d;
    char buf[128];
    std::snprintf(buf, sizeof buf, "%.70e", std::fabs(x));
    const char* p = buf;
    String digits;
    digits.push_back(*p++);
    if (!(*p == 'e' || *p == 'E'))
        ++p; // the decimal point of whatever locale is active
    while (*p >= '0' && *p <= '9')
        digits.push_back(*p++);
    int e10 = 0;
    if (*p == 'e' || *p == 'E')
        e10 = std::atoi(p + 1);
    d.digits = digits;
    d.exponent = e10 + 1;
    return d;
}

// Keeps `count` leading digits, rounding half away from zero; trailing zeros removed.
void RoundDigits(Decimal& d, int count)
{
    if (d.digits.empty())
        return;
    if (count < 0) {
        d.digits.clear();
        return;
    }
    if (static_cast<size_t>(count) < d.digits.size()) {
        bool up = d.digits[static_cast<size_t>(count)] >= '5';
        d.digits.resize(static_cast<size_t>(count));
        if (up) {
            int i = count - 1;
            while (i >= 0 && d.digits[static_cast<size_t>(i)] == '9') {
                d.digits[static_cast<size_t>(i)] = '0';
                --i;
            }
            if (i < 0) {
                d.digits.insert(d.digits.begin(), '1');
                ++d.exponent;
            } else {
                ++d.digits[static_cast<size_t>(i)];
            }
        }
    }
    while (!d.digits.empty() && d.digits.back() == '0')
        d.digits.pop_back();
}

// Digits of |x| rounded to `precision` significant digits, trailing zeros removed, and the
// exponent e of 0.d1d2... x 10^e. Independent of the C locale.
Decimal ToDecimal(double x, int precision)
{
    precision = std::clamp(precision, 1, 18);
    // Fast path: the shortest text that reads back as x. When it has no more digits than
    // asked for and at most 15 are asked for, rounding the exact value gives the same digits:
    // x lies within half a unit in the last place of that text, far less than half a unit of
    // the 15th significant digit, so no rounding decision can differ.
    if (precision <= 15 && std::isfinite(x) && x != 0) {
        char buf[32];
        const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, std::fabs(x), std::chars_format::scientific);
        if (ec == std::errc()) {
            Decimal d;
            d.negative = std::signbit(x);
            const char* p = buf;
            for (; p < end && *p != 'e'; ++p)
                if (*p >= '0' && *p <= '9')
                    d.digits.push_back(*p);
            int e10 = 0;
            if (static_cast<int>(d.digits.size()) <= precision && p < end &&
                std::from_chars(p + (p[1] == '+' ? 2 : 1), end, e10).ec == std::errc()) {
                d.exponent = e10 + 1;
                while (!d.digits.empty() && d.digits.back() == '0')
                    d.digits.pop_back();
                return d;
            }
        }
    }
    Decimal d = ExactDecimal(x);
    RoundDigits(d, precision);
    return d;
}

String PlainDigits(const Decimal& d, char decimal)
{
    const int n = static_cast<int>(d.digits.size());
    String r;
    if (d.exponent <= 0) {
        r = "0";
        r.push_back(decimal);
        r.append(static_cast<size_t>(-d.exponent), '0');
        r += d.digits;
    } else if (d.exponent >= n) {
        r = d.digits + String(static_cast<size_t>(d.exponent - n), '0');
    } else {
        r = d.digits.substr(0, static_cast<size_t>(d.exponent));
        r.push_back(decimal);
        r += d.digits.substr(static_cast<size_t>(d.exponent));
    }
    return r;
}

String ExponentText(int e, bool plusSign, int minDigits)
{
    String r;
    if (e < 0)
        r.push_back('-');
    else if (plusSign)
        r.push_back('+');
    String digits = std::to_string(std::abs(e));
    if (static_cast<int>(digits.size()) < minDigits)
        digits.insert(0, static_cast<size_t>(minDigits) - digits.size(), '0');
    return r + digits;
}

String SpecialValue(double x)
{
    if (std::isnan(x))
        return "NAN";
    return x < 0 ? "-INF" : "INF";
}

String InsertThousands(const String& integerPart, char separator)
{
    String r;
    int count = 0;
    for (auto it = integerPart.rbegin(); it != integerPart.rend(); ++it) {
        if (count > 0 && count % 3 == 0)
            r.push_back(separator);
        r.push_back(*it);
        ++count;
    }
    std::reverse(r.begin(), r.end());
    return r;
}

// Fixed notation with exactly `decimals` digits after the separator, rounded half away
// from zero.
String FixedText(double x, int decimals, char decimalSep, bool thousands, char thousandSep)
{
    decimals = std::clamp(decimals, 0, 30);
    Decimal d = ExactDecimal(x);
    // A value below half a unit of the last place rounds to nothing (or up to one unit).
    if (!d.digits.empty() && d.exponent + decimals < 0)
        d.digits.clear();
    else if (!d.digits.empty() && d.exponent + decimals == 0) {
        bool up = d.digits[0] >= '5';
        d.digits = up ? "1" : "";
        d.exponent += up ? 1 : 0;
    } else {
        RoundDigits(d, d.exponent + decimals);
    }
    String intPart, frac;
    if (d.digits.empty()) {
        intPart = "0";
        frac.assign(static_cast<size_t>(decimals), '0');
    } else {
        const int n = static_cast<int>(d.digits.size());
        for (int i = 0; i < d.exponent; ++i)
            intPart.push_back(i < n ? d.digits[static_cast<size_t>(i)] : '0');
        if (intPart.empty())
            intPart = "0";
        for (int i = d.exponent; i < d.exponent + decimals; ++i)
            frac.push_back(i >= 0 && i < n ? d.digits[static_cast<size_t>(i)] : '0');
    }
    if (thousands)
        intPart = InsertThousands(intPart, thousandSep);
    String r = intPart;
    if (decimals > 0) {
        r.push_back(decimalSep);
        r += frac;
    }
    if (d.negative && !d.digits.empty())
        r.insert(r.begin(), '-');
    return r;
}

} // namespace

String FloatToStrF(double value, TFloatFormat format, int precision, int digits)
{
    if (!std::isfinite(value))
        return SpecialValue(value);
    const TFormatSettings& fs = FormatSettings();
    precision = std::clamp(precision, 1, 18);
    switch (format) {
    case ffGeneral: {
        Decimal d = ToDecimal(value, precision);
        if (d.digits.empty())
            return "0";
        String r;
        if (d.exponent >= -3 && d.exponent <= precision) {
            r = PlainDigits(d, fs.DecimalSeparator);
        } else {
            r = d.digits.substr(0, 1);
            if (d.digits.size() > 1) {
                r.push_back(fs.DecimalSeparator);
                r += d.digits.substr(1);
            }
            r += "E" + ExponentText(d.exponent - 1, false, 0);
        }
        return d.negative ? "-" + r : r;
    }
    case ffExponent: {
        Decimal d = ToDecimal(value, precision);
        String mant = d.digits.empty() ? String("0") : d.digits;
        mant.resize(static_cast<size_t>(precision), '0');
        String r = mant.substr(0, 1);
        if (precision > 1) {
            r.push_back(fs.DecimalSeparator);
            r += mant.substr(1);
        }
        r += "E" + ExponentText(d.digits.empty() ? 0 : d.exponent - 1, true, std::clamp(digits, 0, 4));
        return d.negative ? "-" + r : r;
    }
    case ffFixed:
    case ffNumber:
    case ffCurrency: {
        Decimal d = ToDecimal(value, precision);
        if (!d.digits.empty() && d.exponent > precision)
            return FloatToStrF(value, ffExponent, precision, 3);
        // round to the significant digits first, then lay out the decimals
        double rounded = value;
        if (!d.digits.empty()) {
            String text = d.digits + "e" + std::to_string(d.exponent - static_cast<int>(d.digits.size()));
            std::from_chars(text.data(), text.data() + text.size(), rounded);
            if (d.negative)
                rounded = -rounded;
        }
        int decimals = std::clamp(digits, 0, 18);
        String r = FixedText(rounded, decimals, fs.DecimalSeparator, format != ffFixed, fs.ThousandSeparator);
        if (format == ffCurrency) {
            bool negative = !r.empty() && r[0] == '-';
            if (negative)
                r.erase(0, 1);
            r = (negative ? "-" : "") + fs.CurrencyString + r;
        }
        return r;
    }
    }
    return String();
}

String FloatToStr(double value)
{
    return FloatToStrF(value, ffGeneral, 15, 0);
}

namespace {

struct FloatPattern {
    String prefix, suffix;
    int minInt = 0;       // '0' before the point
    int minFrac = 0;      // '0' after the point
    int maxFrac = 0;      // '0' and '#' after the point
    bool thousands = false;
    bool scientific = false;
    bool expPlus = false;
    int expDigits = 0;
    bool any = false;
};

FloatPattern ParsePattern(const String& section)
{
    FloatPattern p;
    bool afterPoint = false, inPlaceholders = false, done = false;
    size_t i = 0;
    while (i < section.size()) {
        char c = section[i];
        if (c == '"' || c == '\'') {
            size_t close = section.find(c, i + 1);
            String literal = section.substr(i + 1, close == String::npos ? String::npos : close - i - 1);
            (p.any ? p.suffix : p.prefix) += literal;
            i = close == String::npos ? section.size() : close + 1;
            continue;
        }
        if (!done && (c == '0' || c == '#')) {
            p.any = inPlaceholders = true;
            if (afterPoint) {
                ++p.maxFrac;
                if (c == '0')
                    p.minFrac = p.maxFrac;
            } else if (c == '0') {
                ++p.minInt;
            }
        } else if (!done && c == '.' && !afterPoint) {
            afterPoint = true;
            p.any = true;
        } else if (!done && c == ',' && inPlaceholders) {
            p.thousands = true;
        } else if (!done && (c == 'E' || c == 'e') && p.any && i + 1 < section.size() &&
                   (section[i + 1] == '+' || section[i + 1] == '-')) {
            p.scientific = true;
            p.expPlus = section[i + 1] == '+';
            i += 2;
            while (i < section.size() && section[i] == '0') {
                ++p.expDigits;
                ++i;
            }
            done = true;
            continue;
        } else {
            if (p.any)
                done = true;
            (p.any ? p.suffix : p.prefix).push_back(c);
        }
        ++i;
    }
    return p;
}

String ApplyPattern(const FloatPattern& p, double value, bool withSign)
{
    const TFormatSettings& fs = FormatSettings();
    double v = std::fabs(value);
    String body;
    if (p.scientific) {
        int intDigits = std::max(1, p.minInt);
        int exp = v == 0 ? 0 : static_cast<int>(std::floor(std::log10(v))) - (intDigits - 1);
        double mant = v == 0 ? 0 : v / std::pow(10.0, exp);
        String m = FixedText(mant, p.maxFrac, '.', false, ',');
        if (m.size() > static_cast<size_t>(intDigits) && m.find('.') > static_cast<size_t>(intDigits)) {
            ++exp;
            mant = v / std::pow(10.0, exp);
            m = FixedText(mant, p.maxFrac, '.', false, ',');
        }
        body = m;
        size_t point = body.find('.');
        if (point != String::npos) {
            while (body.size() - point - 1 > static_cast<size_t>(p.minFrac) && body.back() == '0')
                body.pop_back();
            if (body.back() == '.')
                body.pop_back();
            else
                body[point] = fs.DecimalSeparator;
        }
        body += "E" + ExponentText(exp, p.expPlus, p.expDigits);
    } else {
        String fixed = FixedText(v, p.maxFrac, '.', false, ',');
        size_t point = fixed.find('.');
        String intPart = fixed.substr(0, point);
        String frac = point == String::npos ? String() : fixed.substr(point + 1);
        while (frac.size() > static_cast<size_t>(p.minFrac) && !frac.empty() && frac.back() == '0')
            frac.pop_back();
        if (intPart == "0" && p.minInt == 0)
            intPart.clear();
        while (static_cast<int>(intPart.size()) < p.minInt)
            intPart.insert(intPart.begin(), '0');
        if (p.thousands)
            intPart = InsertThousands(intPart, fs.ThousandSeparator);
        body = intPart;
        if (!frac.empty()) {
            body.push_back(fs.DecimalSeparator);
            body += frac;
        }
    }
    bool nonZero = body.find_first_of("123456789") != String::npos;
    String sign = (withSign && value < 0 && nonZero) ? "-" : "";
    return p.prefix + sign + body + p.suffix;
}

} // namespace

String FormatFloat(const String& format, double value)
{
    if (!std::isfinite(value))
        return SpecialValue(value);
    if (format.empty())
        return FloatToStr(value);
    std::vector<String> sections;
    {
        String current;
        char quote = 0;
        for (char c : format) {
            if (quote) {
                if (c == quote)
                    quote = 0;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == ';') {
                sections.push_back(current);
                current.clear();
                continue;
            }
            current.push_back(c);
        }
        sections.push_back(current);
    }
    if (value == 0 && sections.size() >= 3 && !sections[2].empty())
        return ApplyPattern(ParsePattern(sections[2]), 0, false);
    if (value < 0 && sections.size() >= 2 && !sections[1].empty())
        return ApplyPattern(ParsePattern(sections[1]), value, false);
    FloatPattern p = ParsePattern(sections[0]);
    if (!p.any)
        return p.prefix + p.suffix;
    return ApplyPattern(p, value, true);
}

// ---------------------------------------------------------------- Format

namespace {

[[noreturn]] void FormatError(const String& format)
{
    throw EConvertError("Format '" + format + "' invalid or incompatible with argument");
}

} // namespace

String Format(const String& format, std::initializer_list<TVarRec> args)
{
    return Format(format, std::vector<TVarRec>(args));
}

String Format(const String& format, const std::vector<TVarRec>& args)
{
    String out;
    size_t argIndex = 0;
    size_t i = 0;
    auto nextArg = [&]() -> const TVarRec& {
        if (argIndex >= args.size())
            FormatError(format);
        return args[argIndex++];
    };
    auto readNumber = [&](int& target) -> bool {
        if (i < format.size() && format[i] == '*') {
            const TVarRec& a = nextArg();
            if (a.kind() != TVarRec::vtInteger)
                FormatError(format);
            target = static_cast<int>(a.asInteger());
            ++i;
            return true;
        }
        bool any = false;
        int v = 0;
        while (i < format.size() && format[i] >= '0' && format[i] <= '9') {
            v = v * 10 + (format[i] - '0');
            any = true;
            ++i;
        }
        if (any)
            target = v;
        return any;
    };
    while (i < format.size()) {
        char c = format[i];
        if (c != '%') {
            out.push_back(c);
            ++i;
            continue;
        }
        ++i;
        if (i < format.size() && format[i] == '%') {
            out.push_back('%');
            ++i;
            continue;
        }
        // [index ":"] ["-"] [width] ["." precision] type
        int number = -1;
        size_t save = i;
        if (i < format.size() && format[i] != '*' && readNumber(number) && i < format.size() && format[i] == ':') {
            argIndex = static_cast<size_t>(number);
            ++i;
            number = -1;
        } else {
            i = save;
            number = -1;
        }
        bool left = false;
        if (i < format.size() && format[i] == '-') {
            left = true;
            ++i;
        }
        int width = -1, precision = -1;
        readNumber(width);
        if (i < format.size() && format[i] == '.') {
            ++i;
            precision = 0;
            readNumber(precision);
        }
        if (i >= format.size())
            FormatError(format);
        char type = static_cast<char>(std::tolower(static_cast<unsigned char>(format[i++])));
        const TVarRec& a = nextArg();
        String text;
        switch (type) {
        case 'd':
        case 'u': {
            if (a.kind() != TVarRec::vtInteger)
                FormatError(format);
            int64_t v = a.asInteger();
            if (type == 'u' && v < 0)
                v = static_cast<int64_t>(static_cast<uint32_t>(v));
            String digits = std::to_string(v < 0 ? -v : v);
            if (precision > static_cast<int>(digits.size()))
                digits.insert(0, static_cast<size_t>(precision) - digits.size(), '0');
            text = (v < 0 ? "-" : "") + digits;
            break;
        }
        case 'x': {
            if (a.kind() != TVarRec::vtInteger)
                FormatError(format);
            int64_t v = a.asInteger();
            uint64_t bits = (v >= INT32_MIN && v <= UINT32_MAX) ? static_cast<uint32_t>(v) : static_cast<uint64_t>(v);
            char buf[32];
            std::snprintf(buf, sizeof buf, "%llX", static_cast<unsigned long long>(bits));
            text = buf;
            if (precision > static_cast<int>(text.size()))
                text.insert(0, static_cast<size_t>(precision) - text.size(), '0');
            break;
        }
        case 'e':
        case 'f':
        case 'g':
        case 'n':
        case 'm': {
            double v;
            if (a.kind() == TVarRec::vtExtended)
                v = a.asReal();
            else
                FormatError(format);
            switch (type) {
            case 'e': text = FloatToStrF(v, ffExponent, precision < 0 ? 15 : precision, 3); break;
            case 'f': text = FloatToStrF(v, ffFixed, 18, precision < 0 ? 2 : precision); break;
            case 'g': text = FloatToStrF(v, ffGeneral, precision < 0 ? 15 : std::max(precision, 1), 3); break;
            case 'n': text = FloatToStrF(v, ffNumber, 18, precision < 0 ? 2 : precision); break;
            default: text = FloatToStrF(v, ffCurrency, 18, precision < 0 ? FormatSettings().CurrencyDecimals : precision); break;
            }
            break;
        }
        case 's': {
            if (a.kind() != TVarRec::vtString)
                FormatError(format);
            text = a.asText();
            if (precision >= 0 && static_cast<size_t>(precision) < text.size())
                text.resize(static_cast<size_t>(precision));
            break;
        }
        case 'p': {
            if (a.kind() != TVarRec::vtPointer)
                FormatError(format);
            char buf[32];
            std::snprintf(buf, sizeof buf, "%08llX", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(a.asPointer())));
            text = buf;
            break;
        }
        default:
            FormatError(format);
        }
        if (width > static_cast<int>(text.size())) {
            String pad(static_cast<size_t>(width) - text.size(), ' ');
            text = left ? text + pad : pad + text;
        }
        out += text;
    }
    return out;
}
