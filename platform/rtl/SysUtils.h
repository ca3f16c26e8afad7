#pragma once
// The run-time library's exceptions, format settings, number and text conversions and Format.
// Every conversion uses the process-wide format settings below, never the C or Qt locale.
#include "platform/rtl/Invariant.h"
#include "platform/rtl/System.h"

#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <vector>

// ---------------------------------------------------------------- exceptions

class Exception : public std::exception, public TObject {
public:
    explicit Exception(String message = String()) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }
    const String& Message() const { return message_; }
    void SetMessage(const String& message) { message_ = message; }
    int HelpContext = 0;

private:
    String message_;
};

#define QUELM_DECLARE_EXCEPTION(Name, Base)                       \
    class Name : public Base {                                    \
    public:                                                       \
        using Base::Base;                                         \
    };

// Abort raises EAbort: a silent exception that the application-wide handler does not show.
QUELM_DECLARE_EXCEPTION(EAbort, Exception)
QUELM_DECLARE_EXCEPTION(EConvertError, Exception)
QUELM_DECLARE_EXCEPTION(EInOutError, Exception)
QUELM_DECLARE_EXCEPTION(EListError, Exception)
QUELM_DECLARE_EXCEPTION(EStringListError, Exception)
QUELM_DECLARE_EXCEPTION(EAssertionFailed, Exception)
QUELM_DECLARE_EXCEPTION(EOutOfMemory, Exception)
QUELM_DECLARE_EXCEPTION(EInvalidOperation, Exception)
QUELM_DECLARE_EXCEPTION(EInvalidPointer, Exception)
QUELM_DECLARE_EXCEPTION(EOSError, Exception)
QUELM_DECLARE_EXCEPTION(EMathError, Exception)
QUELM_DECLARE_EXCEPTION(EZeroDivide, EMathError)
QUELM_DECLARE_EXCEPTION(EOverflow, EMathError)
QUELM_DECLARE_EXCEPTION(ERangeError, Exception)
QUELM_DECLARE_EXCEPTION(EIntError, Exception)

[[noreturn]] void Abort();

// Internal consistency check. The message reads "<text> (<unit>, line <n>)"; an empty text
// reads "Assertion failed". The unit is the path the system reports, e.g.
// "CommonUnits\GeneralUnits\secOutput".
void Assert(bool condition, const String& text, const char* unit, int line);
#define QUELM_ASSERT(cond, text) ::Assert((cond), (text), __FILE__, __LINE__)

// ---------------------------------------------------------------- format settings

struct TFormatSettings {
    char DecimalSeparator = '.';
    char ThousandSeparator = ',';
    char DateSeparator = '/';
    char TimeSeparator = ':';
    String ShortDateFormat = "dd/mm/yyyy";
    String LongDateFormat = "dd mmmm yyyy";
    String ShortTimeFormat = "hh:nn";
    String LongTimeFormat = "hh:nn:ss";
    String TimeAMString = "AM";
    String TimePMString = "PM";
    String CurrencyString = "$";
    int CurrencyDecimals = 2;
    String ShortMonthNames[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    String LongMonthNames[12] = {"January", "February", "March", "April", "May", "June",
                                 "July", "August", "September", "October", "November", "December"};
    String ShortDayNames[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    String LongDayNames[7] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
    int TwoDigitYearCenturyWindow = 50;
};

// The process-wide settings. They start as the platform's "user settings" (see
// UserFormatSettings), which on this system are fixed, locale-independent values.
TFormatSettings& FormatSettings();
// The settings a fresh process would have before anything forces its own values.
const TFormatSettings& UserFormatSettings();
// Replace the user settings (tests use this to play a user with a decimal comma).
void SetUserFormatSettings(const TFormatSettings& settings, bool applyNow = true);

// ---------------------------------------------------------------- text

String Trim(const String& s);
String TrimLeft(const String& s);
String TrimRight(const String& s);
String UpperCase(const String& s);   // ASCII letters only
String LowerCase(const String& s);
String AnsiUpperCase(const String& s); // code-page letters too
String AnsiLowerCase(const String& s);
int CompareText(const String& a, const String& b); // case-blind, ASCII
int CompareStr(const String& a, const String& b);
bool SameText(const String& a, const String& b);
String QuotedStr(const String& s);
String IntToStr(int64_t value);
String IntToHex(int64_t value, int digits);
String StringOfChar(char c, int count);
// 1-based position of sub in s, 0 when absent (as the framework's Pos).
int Pos(const String& sub, const String& s);
// 1-based copy (as the framework's Copy): start below 1 counts as 1, count is clipped.
String Copy(const String& s, int start, int count);
enum TReplaceFlag { rfReplaceAll = 1, rfIgnoreCase = 2 };
String StringReplace(const String& s, const String& from, const String& to, int flags);
std::vector<String> SplitString(const String& s, char separator);
bool StartsText(const String& prefix, const String& s);
bool EndsText(const String& suffix, const String& s);

// ---------------------------------------------------------------- numbers

int StrToInt(const String& s);            // EConvertError "'x' is not a valid integer value"
int StrToIntDef(const String& s, int def);
bool TryStrToInt(const String& s, int& value);
int64_t StrToInt64(const String& s);
bool TryStrToInt64(const String& s, int64_t& value);
double StrToFloat(const String& s);       // EConvertError "'x' is not a valid floating point value"
double StrToFloatDef(const String& s, double def);
bool TryStrToFloat(const String& s, double& value);
// The same with the given settings' decimal separator ("." for locale-independent text).
bool TryStrToFloat(const String& s, double& value, const TFormatSettings& settings);

enum TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };
// General format with 15 significant digits: plain notation when the decimal exponent of
// 0.d1d2... x 10^e lies in -3..15, otherwise "1E-5", "2.5E-7", "1E15".
String FloatToStr(double value);
String FloatToStrF(double value, TFloatFormat format, int precision, int digits);
// Format strings of the framework: "0.00", "#,##0.0", "0.0E+00", sections separated by ';'.
String FormatFloat(const String& format, double value);

// ---------------------------------------------------------------- Format

// One argument of Format: an integer, a real, a text or a pointer.
class TVarRec {
public:
    enum Kind { vtInteger, vtExtended, vtString, vtPointer };
    TVarRec(int v) : kind_(vtInteger), int_(v) {}
    TVarRec(long v) : kind_(vtInteger), int_(v) {}
    TVarRec(long long v) : kind_(vtInteger), int_(v) {}
    TVarRec(unsigned v) : kind_(vtInteger), int_(v) {}
    TVarRec(unsigned long v) : kind_(vtInteger), int_(static_cast<int64_t>(v)) {}
    TVarRec(unsigned long long v) : kind_(vtInteger), int_(static_cast<int64_t>(v)) {}
    TVarRec(double v) : kind_(vtExtended), real_(v) {}
    TVarRec(float v) : kind_(vtExtended), real_(v) {}
    TVarRec(const char* v) : kind_(vtString), text_(v ? v : "") {}
    TVarRec(const String& v) : kind_(vtString), text_(v) {}
    TVarRec(char v) : kind_(vtString), text_(1, v) {}
    TVarRec(const void* v) : kind_(vtPointer), ptr_(v) {}
    Kind kind() const { return kind_; }
    int64_t asInteger() const { return int_; }
    double asReal() const { return real_; }
    const String& asText() const { return text_; }
    const void* asPointer() const { return ptr_; }

private:
    Kind kind_;
    int64_t int_ = 0;
    double real_ = 0;
    String text_;
    const void* ptr_ = nullptr;
};

// The framework's Format: "%" [index ":"] ["-"] [width] ["." precision] type, with the types
// d u e f g n m p s x and "*" for width or precision taken from the arguments. A mismatch of
// type and argument raises EConvertError "Format '...' invalid or incompatible with argument".
String Format(const String& format, std::initializer_list<TVarRec> args);
String Format(const String& format, const std::vector<TVarRec>& args);
