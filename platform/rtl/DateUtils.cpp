#include "platform/rtl/DateUtils.h"

#include <chrono>
#include <cmath>
#include <cstring>
#include <ctime>

namespace {

// Days from 1 January of year 1 to 30 December 1899.
constexpr int kDateDelta = 693594;

std::function<TDateTime()>& ClockHook()
{
    static std::function<TDateTime()> hook;
    return hook;
}

const int kMonthDays[2][12] = {
    {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
    {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
};

} // namespace

bool IsLeapYear(int year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int DaysInAMonth(int year, int month)
{
    return kMonthDays[IsLeapYear(year) ? 1 : 0][month - 1];
}

bool TryEncodeDate(int year, int month, int day, TDateTime& date)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInAMonth(year, month))
        return false;
    const int* days = kMonthDays[IsLeapYear(year) ? 1 : 0];
    for (int m = 0; m < month - 1; ++m)
        day += days[m];
    int y = year - 1;
    date = static_cast<double>(y * 365 + y / 4 - y / 100 + y / 400 + day - kDateDelta);
    return true;
}

TDateTime EncodeDate(int year, int month, int day)
{
    TDateTime d;
    if (!TryEncodeDate(year, month, day, d))
        throw EConvertError("Invalid argument to date encode");
    return d;
}

void DecodeDate(TDateTime date, int& year, int& month, int& day)
{
    long long t = static_cast<long long>(std::floor(date + 1e-9)) + kDateDelta; // days since 1-1-1 minus one... see below
    if (t <= 0) {
        year = month = day = 0;
        return;
    }
    --t; // zero-based day number from 1 January of year 1
    long long y = 1;
    long long n400 = t / 146097;
    t %= 146097;
    y += n400 * 400;
    long long n100 = t / 36524;
    if (n100 == 4)
        n100 = 3;
    t -= n100 * 36524;
    y += n100 * 100;
    long long n4 = t / 1461;
    t %= 1461;
    y += n4 * 4;
    long long n1 = t / 365;
    if (n1 == 4)
        n1 = 3;
    t -= n1 * 365;
    y += n1;
    year = static_cast<int>(y);
    const int* days = kMonthDays[IsLeapYear(year) ? 1 : 0];
    int m = 0;
    while (t >= days[m]) {
        t -= days[m];
        ++m;
    }
    month = m + 1;
    day = static_cast<int>(t) + 1;
}

bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& time)
{
    if (hour < 0 || hour >= 24 || min < 0 || min >= 60 || sec < 0 || sec >= 60 || msec < 0 || msec >= 1000)
        return false;
    time = (hour * 3600000.0 + min * 60000.0 + sec * 1000.0 + msec) / 86400000.0;
    return true;
}

TDateTime EncodeTime(int hour, int min, int sec, int msec)
{
    TDateTime t;
    if (!TryEncodeTime(hour, min, sec, msec, t))
        throw EConvertError("Invalid argument to time encode");
    return t;
}

void DecodeTime(TDateTime time, int& hour, int& min, int& sec, int& msec)
{
    double frac = std::fabs(time - std::trunc(time));
    long long ms = std::llround(frac * 86400000.0);
    if (ms >= 86400000)
        ms = 86399999;
    hour = static_cast<int>(ms / 3600000);
    min = static_cast<int>(ms / 60000 % 60);
    sec = static_cast<int>(ms / 1000 % 60);
    msec = static_cast<int>(ms % 1000);
}

int DayOfWeek(TDateTime date)
{
    long long d = static_cast<long long>(std::floor(date + 1e-9));
    // 30-12-1899 was a Saturday
    return static_cast<int>(((d % 7) + 7 + 6) % 7) + 1;
}

int DayOfTheYear(TDateTime date)
{
    int y, m, d;
    DecodeDate(date, y, m, d);
    return static_cast<int>(std::floor(date + 1e-9) - EncodeDate(y, 1, 1)) + 1;
}

TDateTime DateOf(TDateTime dt)
{
    return std::floor(dt + 1e-9);
}

TDateTime TimeOf(TDateTime dt)
{
    return dt - std::trunc(dt);
}

TDateTime Now()
{
    if (ClockHook())
        return ClockHook()();
    auto now = std::chrono::system_clock::now();
    std::time_t tt = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&tt, &local);
    int ms = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000);
    return EncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) +
           EncodeTime(local.tm_hour, local.tm_min, std::min(local.tm_sec, 59), ms);
}

TDateTime Date()
{
    return DateOf(Now());
}

TDateTime Time()
{
    return TimeOf(Now());
}

void SetClockForTesting(std::function<TDateTime()> clock)
{
    ClockHook() = std::move(clock);
}

namespace {

String Two(int v)
{
    return v < 10 ? "0" + std::to_string(v) : std::to_string(v);
}

String Padded(int v, int width)
{
    String s = std::to_string(v);
    while (static_cast<int>(s.size()) < width)
        s.insert(s.begin(), '0');
    return s;
}

bool MatchCI(const String& format, size_t pos, const char* token)
{
    size_t n = std::strlen(token);
    return pos + n <= format.size() && SameText(format.substr(pos, n), token);
}

void AppendFormatted(String& out, const String& format, TDateTime dt, int depth)
{
    const TFormatSettings& fs = FormatSettings();
    int year, month, day, hour, minute, second, msec;
    DecodeDate(dt, year, month, day);
    DecodeTime(dt, hour, minute, second, msec);
    // Does the format hold an am/pm marker? Then hours are 12-hour.
    bool twelve = false;
    for (size_t k = 0; k < format.size(); ++k)
        if (MatchCI(format, k, "am/pm") || MatchCI(format, k, "a/p") || MatchCI(format, k, "ampm"))
            twelve = true;
    bool lastWasHour = false;
    size_t i = 0;
    while (i < format.size()) {
        char c = format[i];
        char lc = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        auto run = [&](char ch) {
            size_t n = 0;
            while (i + n < format.size() && std::tolower(static_cast<unsigned char>(format[i + n])) == ch)
                ++n;
            return n;
        };
        if (c == '"' || c == '\'') {
            size_t close = format.find(c, i + 1);
            out += format.substr(i + 1, close == String::npos ? String::npos : close - i - 1);
            i = close == String::npos ? format.size() : close + 1;
            continue;
        }
        switch (lc) {
        case 'd': {
            size_t n = run('d');
            if (n == 1) out += std::to_string(day);
            else if (n == 2) out += Two(day);
            else if (n == 3) out += fs.ShortDayNames[DayOfWeek(dt) - 1];
            else if (n == 4) out += fs.LongDayNames[DayOfWeek(dt) - 1];
            else if (n == 5) { if (depth < 2) AppendFormatted(out, fs.ShortDateFormat, dt, depth + 1); }
            else { if (depth < 2) AppendFormatted(out, fs.LongDateFormat, dt, depth + 1); }
            i += n;
            lastWasHour = false;
            continue;
        }
        case 'm': {
            if (MatchCI(format, i, "am/pm") || MatchCI(format, i, "ampm"))
                break;
            size_t n = run('m');
            if (lastWasHour && n <= 2) {
                out += n == 1 ? std::to_string(minute) : Two(minute);
            } else if (n == 1) out += std::to_string(month);
            else if (n == 2) out += Two(month);
            else if (n == 3) out += fs.ShortMonthNames[month - 1];
            else out += fs.LongMonthNames[month - 1];
            i += n;
            lastWasHour = false;
            continue;
        }
        case 'y': {
            size_t n = run('y');
            out += n <= 2 ? Two(year % 100) : Padded(year, 4);
            i += n;
            continue;
        }
        case 'h': {
            size_t n = run('h');
            int h = hour;
            if (twelve) {
                h = hour % 12;
                if (h == 0)
                    h = 12;
            }
            out += n == 1 ? std::to_string(h) : Two(h);
            i += n;
            lastWasHour = true;
            continue;
        }
        case 'n': {
            size_t n = run('n');
            out += n == 1 ? std::to_string(minute) : Two(minute);
            i += n;
            lastWasHour = false;
            continue;
        }
        case 's': {
            size_t n = run('s');
            out += n == 1 ? std::to_string(second) : Two(second);
            i += n;
            continue;
        }
        case 'z': {
            size_t n = run('z');
            out += n == 1 ? std::to_string(msec) : Padded(msec, 3);
            i += n;
            continue;
        }
        case 't': {
            size_t n = run('t');
            if (depth < 2)
                AppendFormatted(out, n == 1 ? fs.ShortTimeFormat : fs.LongTimeFormat, dt, depth + 1);
            i += n;
            continue;
        }
        case 'c': {
            if (depth < 2) {
                AppendFormatted(out, fs.ShortDateFormat, dt, depth + 1);
                if (TimeOf(dt) != 0) {
                    out += ' ';
                    AppendFormatted(out, fs.LongTimeFormat, dt, depth + 1);
                }
            }
            ++i;
            continue;
        }
        case '/':
            out += fs.DateSeparator;
            ++i;
            continue;
        case ':':
            out += fs.TimeSeparator;
            ++i;
            continue;
        default:
            break;
        }
        if (lc == 'a') {
            bool pm = hour >= 12;
            if (MatchCI(format, i, "am/pm")) {
                out += pm ? (std::isupper(static_cast<unsigned char>(format[i])) ? "PM" : "pm")
                          : (std::isupper(static_cast<unsigned char>(format[i])) ? "AM" : "am");
                i += 5;
                continue;
            }
            if (MatchCI(format, i, "a/p")) {
                out += pm ? (std::isupper(static_cast<unsigned char>(format[i])) ? "P" : "p")
                          : (std::isupper(static_cast<unsigned char>(format[i])) ? "A" : "a");
                i += 3;
                continue;
            }
            if (MatchCI(format, i, "ampm")) {
                out += pm ? fs.TimePMString : fs.TimeAMString;
                i += 4;
                continue;
            }
        }
        out.push_back(c);
        ++i;
    }
}

} // namespace

String FormatDateTime(const String& format, TDateTime dt)
{
    String out;
    AppendFormatted(out, format.empty() ? String("c") : format, dt, 0);
    return out;
}

String DateToStr(TDateTime date)
{
    return FormatDateTime("ddddd", date);
}

String TimeToStr(TDateTime time)
{
    return FormatDateTime("tt", time);
}

String DateTimeToStr(TDateTime dt)
{
    return FormatDateTime("c", dt);
}

namespace {

bool ReadInt(const String& s, size_t& i, int& value, int& digits)
{
    while (i < s.size() && s[i] == ' ')
        ++i;
    digits = 0;
    value = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9' && digits < 9) {
        value = value * 10 + (s[i] - '0');
        ++digits;
        ++i;
    }
    return digits > 0;
}

int ExpandYear(int year, int digits)
{
    if (digits > 2)
        return year;
    const TFormatSettings& fs = FormatSettings();
    int y, m, d;
    DecodeDate(Date(), y, m, d);
    int pivot = y - fs.TwoDigitYearCenturyWindow;
    int century = pivot / 100 * 100;
    year += century;
    if (fs.TwoDigitYearCenturyWindow > 0 && year < pivot)
        year += 100;
    return year;
}

} // namespace

bool TryStrToDate(const String& text, TDateTime& date)
{
    const TFormatSettings& fs = FormatSettings();
    String s = Trim(text);
    // order of day, month and year from the short date format
    String order;
    for (char c : fs.ShortDateFormat) {
        char lc = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if ((lc == 'd' || lc == 'm' || lc == 'y') && order.find(lc) == String::npos)
            order.push_back(lc);
    }
    if (order.size() != 3)
        order = "mdy";
    int values[3] = {0, 0, 0}, digits[3] = {0, 0, 0};
    size_t i = 0;
    int count = 0;
    for (; count < 3; ++count) {
        if (!ReadInt(s, i, values[count], digits[count]))
            break;
        while (i < s.size() && s[i] == ' ')
            ++i;
        if (count < 2) {
            if (i < s.size() && s[i] == fs.DateSeparator)
                ++i;
            else {
                ++count;
                break;
            }
        }
    }
    while (i < s.size() && s[i] == ' ')
        ++i;
    if (i != s.size() || count < 2)
        return false;
    int year = 0, month = 0, day = 0, yearDigits = 0;
    if (count == 2) {
        int y, m, d;
        DecodeDate(Date(), y, m, d);
        year = y;
        yearDigits = 4;
        // the two values keep their order without the year
        String two;
        for (char c : order)
            if (c != 'y')
                two.push_back(c);
        for (int k = 0; k < 2; ++k)
            (two[k] == 'd' ? day : month) = values[k];
    } else {
        for (int k = 0; k < 3; ++k) {
            if (order[k] == 'd') day = values[k];
            else if (order[k] == 'm') month = values[k];
            else {
                year = values[k];
                yearDigits = digits[k];
            }
        }
    }
    year = ExpandYear(year, yearDigits);
    return TryEncodeDate(year, month, day, date);
}

TDateTime StrToDate(const String& s)
{
    TDateTime d;
    if (!TryStrToDate(s, d))
        throw EConvertError("'" + s + "' is not a valid date");
    return d;
}

bool TryStrToTime(const String& text, TDateTime& time)
{
    const TFormatSettings& fs = FormatSettings();
    String s = Trim(text);
    int parts[3] = {0, 0, 0}, digits = 0;
    size_t i = 0;
    int count = 0;
    while (count < 3 && ReadInt(s, i, parts[count], digits)) {
        ++count;
        if (i < s.size() && s[i] == fs.TimeSeparator)
            ++i;
        else
            break;
    }
    if (count == 0)
        return false;
    while (i < s.size() && s[i] == ' ')
        ++i;
    String rest = s.substr(i);
    if (!rest.empty()) {
        if (SameText(rest, "PM") || SameText(rest, fs.TimePMString)) {
            if (parts[0] < 12)
                parts[0] += 12;
        } else if (SameText(rest, "AM") || SameText(rest, fs.TimeAMString)) {
            if (parts[0] == 12)
                parts[0] = 0;
        } else {
            return false;
        }
    }
    return TryEncodeTime(parts[0], parts[1], parts[2], 0, time);
}

TDateTime StrToTime(const String& s)
{
    TDateTime t;
    if (!TryStrToTime(s, t))
        throw EConvertError("'" + s + "' is not a valid time");
    return t;
}

bool TryStrToDateTime(const String& text, TDateTime& dt)
{
    String s = Trim(text);
    size_t blank = s.find(' ');
    if (blank == String::npos)
        return TryStrToDate(s, dt);
    TDateTime d, t;
    if (!TryStrToDate(s.substr(0, blank), d) || !TryStrToTime(s.substr(blank + 1), t))
        return false;
    dt = d + t;
    return true;
}

TDateTime StrToDateTime(const String& s)
{
    TDateTime dt;
    if (!TryStrToDateTime(s, dt))
        throw EConvertError("'" + s + "' is not a valid date and time");
    return dt;
}
