#include "CommonUnits/GeneralUnits/Utils_Format_Unit.h"

#include "CommonUnits/GeneralUnits/Utils_RegionalSettings_Unit.h"

#include <climits>

String PadRight(const String& text, int width)
{
    if (static_cast<int>(text.size()) >= width)
        return text + ' ';
    return text + String(static_cast<size_t>(width) - text.size(), ' ');
}

String PadLeft(const String& text, int width)
{
    if (static_cast<int>(text.size()) >= width)
        return text + ' ';
    return String(static_cast<size_t>(width) - text.size(), ' ') + text;
}

String IntField(int64_t value, int width)
{
    return PadRight(IntToStr(value), width);
}

String IntFieldRight(int64_t value, int width)
{
    return PadLeft(IntToStr(value), width);
}

String FloatField(double value, int width)
{
    String text = FloatToStr(value);
    int64_t whole = 0;
    if (TryStrToInt64(text, whole) && whole >= INT32_MIN && whole <= INT32_MAX)
        text += ".0";
    return PadRight(text, width);
}

String FloatFieldRight(double value, int width)
{
    String text = FloatToStr(value);
    const size_t e = text.find('E');
    if (e != String::npos) {
        const size_t digits = text[e + 1] == '-' ? e + 2 : e + 1;
        const size_t count = text.size() - digits;
        if (count < 4)
            text.insert(digits, 4 - count, '0');
    }
    return PadLeft(text, width);
}

String YesNoField(bool value, int width)
{
    return PadRight(value ? YES_TEXT : NO_TEXT, width);
}

String DateField(TDateTime date, int width)
{
    return PadRight(FormatDateDMY(date), width);
}

String FormatDateDMY(TDateTime date)
{
    int year = 0, month = 0, day = 0;
    DecodeDate(date, year, month, day);
    return Format("%.2d-%s-%.4d", {day, MONTH_ABBREVIATIONS[month - 1], year});
}

bool HasExtendedAscii(const String& text)
{
    for (unsigned char c : text)
        if (c >= 128)
            return true;
    return false;
}

String StripExtendedAscii(const String& text)
{
    String result;
    result.reserve(text.size());
    for (unsigned char c : text)
        if (c < 128)
            result += static_cast<char>(c);
    return result;
}

String SqlDateLiteral(TDateTime date)
{
    // the forced settings come back even when the conversion fails
    struct Reforce {
        ~Reforce() { ForceRegionalSettings(); }
    } reforce;
    TFormatSettings& fs = FormatSettings();
    fs.DateSeparator = '-';
    fs.ShortDateFormat = "yyyy-mm-dd";
    return QuotedStr(DateToStr(date));
}
