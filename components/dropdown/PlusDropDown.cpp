#include "PlusDropDown.h"

#include "TextRoutines.h"
#include "platform/win/WinWindow.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

char DecSep() { return FormatSettings().DecimalSeparator; }
char ThouSep() { return FormatSettings().ThousandSeparator; }
bool IsDigit(char ch) { return ch >= '0' && ch <= '9'; }
bool Contains(const String& s, char ch) { return s.find(ch) != String::npos; }
constexpr char kBackspace = '\b';

String FormatPrecision(double x, int precision, char type)
{
    if (precision < 0)
        return Format("%g", {x});
    return Format("%." + IntToStr(precision) + String(1, type), {x});
}

// digits grouped by three with the thousand separator ("1234567" -> "1,234,567")
String GroupThousands(const String& digits)
{
    String out;
    const int n = static_cast<int>(digits.size());
    for (int i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += ThouSep();
        out += digits[i];
    }
    return out;
}

} // namespace

// ---------------------------------------------------------------- free routines

int ClassifyNumberText(const String& s)
{
    if (s.empty())
        return 2;
    bool integer = true, decimal = true, hex = true;
    int decimals = 0, signs = 0;
    int lastThousand = -1; // 1-based position of the previous thousand separator
    const char ds = DecSep(), ts = ThouSep();
    for (int i = 0; i < static_cast<int>(s.size()); ++i) {
        const char ch = s[i];
        const bool digit = IsDigit(ch);
        if (!(digit || ch == '-'))
            integer = false;
        if (!(digit || ch == ',' || ch == '-' || ch == '.'))
            decimal = false;
        if (ch == ts) {
            if (i + 1 - lastThousand < 3)
                decimal = false;
            lastThousand = i + 1;
        }
        if (!(digit || ch == '-' || (ch >= 'A' && ch <= 'F') || (ch >= 'a' && ch <= 'f')))
            hex = false;
        if (ch == ds)
            ++decimals;
        if (ch == '-')
            ++signs;
    }
    int result = (hex && !integer) ? 5 : integer ? 0 : decimal ? 1 : 2;
    if (signs > 1 || decimals > 1)
        result = 2;
    return result;
}

String StripThousandSeparators(const String& s)
{
    String out;
    for (char ch : s)
        if (ch != ThouSep())
            out += ch;
    return out;
}

int HexDigitValue(char ch)
{
    if (IsDigit(ch))
        return ch - '0';
    if (ch >= 'A' && ch <= 'F')
        return ch - 'A' + 10;
    if (ch >= 'a' && ch <= 'f')
        return ch - 'a' + 10;
    return 0;
}

int64_t HexToInt(const String& s)
{
    // wraps like the machine word instead of overflowing; a '-' in front negates the value
    uint64_t result = 0;
    const bool negative = !s.empty() && s[0] == '-';
    for (char ch : s)
        result = result * 16 + static_cast<uint64_t>(HexDigitValue(ch));
    return static_cast<int64_t>(negative ? 0 - result : result);
}

bool IsRangeSeparator(char ch) { return ch == ',' || ch == '-' || ch == ';'; }

double TextToFloat(const String& s)
{
    double value = 0;
    if (!TryStrToFloat(StripThousandSeparators(s), value) || !std::isfinite(value))
        return 0;
    return value;
}

// ---------------------------------------------------------------- value text

String TDropDownValueText::GetText() const
{
    String s = EditText;
    if (!TextPrefix.empty() && s.compare(0, TextPrefix.size(), TextPrefix) == 0)
        s.erase(0, TextPrefix.size());
    if (!TextSuffix.empty())
        s.erase(s.size() - std::min(s.size(), TextSuffix.size()));
    return s;
}

void TDropDownValueText::SetText(const String& value)
{
    String v = value;
    if (v.empty() && (IsNumericRule() || EditRule == erHex))
        v = "0";
    if (Precision > 0 && !v.empty() && v != "Error") {
        if (EditRule == erMoney)
            v = FormatPrecision(TextToFloat(v), Precision, 'n');
        else if (EditRule == erFloat)
            v = FormatPrecision(TextToFloat(v), Precision, 'f');
    }
    if (EditRule == erHex)
        v = UpperCase(v);
    EditText = TextPrefix + v + TextSuffix;
    SelStart = SelLength = 0; // a new text puts the caret at the start, as the edit does
    lastSet_ = v;
    Modified = false;
}

void TDropDownValueText::SetTextDirect(const String& text)
{
    EditText = text;
    SelStart = SelLength = 0;
}

void TDropDownValueText::SetValueKeepAffixes(const String& value)
{
    EditText = TextPrefix + value + TextSuffix;
    SelStart = SelLength = 0;
}

double TDropDownValueText::GetFloatValue() const
{
    String v = GetText();
    switch (EditRule) {
    case erText: {
        double x = 0;
        return TryStrToFloat(Trim(v), x, TFormatSettings{}) && std::isfinite(x) ? x : 0;
    }
    case erInteger:
    case erFloat:
        return (v.empty() || v == "Error" || v == "-") ? 0 : TextToFloat(v);
    case erMoney:
        v = StripThousandSeparators(v);
        if (!v.empty() && v.back() == DecSep())
            v.pop_back();
        return (v.empty() || v == "-") ? 0 : TextToFloat(v);
    case erHex:
        return static_cast<double>(HexToInt(v));
    default:
        return 0;
    }
}

void TDropDownValueText::SetFloatValue(double x)
{
    switch (EditRule) {
    case erText:
    case erFloat:
        SetText(FormatPrecision(x, Precision, 'f'));
        break;
    case erInteger: {
        // An integer value is shown as its digits only: a formatted text with grouping,
        // decimals or an exponent would be refused by the integer rule itself.
        const double r = std::round(x);
        const double limit = 9.2e18;
        SetText(IntToStr(static_cast<int64_t>(std::clamp(std::isfinite(r) ? r : 0.0, -limit, limit))));
        break;
    }
    case erMoney: {
        // the money text is regrouped from its digits, so it never takes an exponent form
        String text = FormatPrecision(x, Precision, 'f');
        if (text.find_first_of("Ee") != String::npos) {
            char digits[400];
            std::snprintf(digits, sizeof digits, "%.0f", std::isfinite(x) ? x : 0.0);
            text = digits;
        }
        SetText(text);
        ApplyThousandSeparators();
        break;
    }
        break;
    case erHex: {
        const double t = std::trunc(x);
        SetText(IntToHex(static_cast<int64_t>(std::isfinite(t) ? std::clamp(t, -9.2e18, 9.2e18) : 0.0), 0));
        break;
    }
    default:
        break;
    }
    Modified = true;
}

void TDropDownValueText::SetIntValue(int64_t n)
{
    switch (EditRule) {
    case erInteger:
    case erFloat:
        SetText(IntToStr(n));
        break;
    case erMoney:
        SetText(IntToStr(n));
        ApplyThousandSeparators();
        break;
    case erHex:
        SetText(IntToHex(n, 0));
        break;
    default:
        break;
    }
    Modified = true;
}

void TDropDownValueText::SetEditRule(TDropDownEditRule rule)
{
    if (rule == EditRule)
        return;
    EditRule = rule;
    const int k = ClassifyNumberText(GetText());
    if (rule == erInteger && k != 0)
        SetIntValue(0);
    else if ((rule == erFloat || rule == erMoney) && k > 1)
        SetFloatValue(0);
    else if (rule == erHex && k != 0 && k != 5)
        SetIntValue(0);
}

void TDropDownValueText::SetPrecision(int value)
{
    if (value == Precision || !(EditRule == erText || EditRule == erFloat || EditRule == erMoney))
        return;
    Precision = value;
    if (ClassifyNumberText(GetText()) > 1)
        SetFloatValue(0);
    else
        SetFloatValue(GetFloatValue());
}

void TDropDownValueText::SelectValue()
{
    SelStart = static_cast<int>(TextPrefix.size());
    SelLength = static_cast<int>(GetText().size());
}

void TDropDownValueText::CaretToDecimals()
{
    const int p = Pos(String(1, DecSep()), GetText());
    SelStart = static_cast<int>(TextPrefix.size()) + p;
    SelLength = 0;
}

void TDropDownValueText::CaretBeforeDecimals()
{
    const int p = Pos(String(1, DecSep()), GetText());
    SelStart = static_cast<int>(TextPrefix.size()) + (p > 0 ? p - 1 : 0);
    SelLength = 0;
}

void TDropDownValueText::ApplyThousandSeparators()
{
    String value = GetText();
    if (value.empty())
        return;
    const int l0 = static_cast<int>(value.size());
    const int c0 = SelStart;
    String sign;
    if (value[0] == '-') {
        sign = "-";
        value.erase(0, 1);
    }
    const size_t dp = value.find(DecSep());
    const String fraction = dp == String::npos ? String() : value.substr(dp, 255);
    // The integer part is regrouped from its own digits, so long values keep every digit
    // (a round trip through a floating-point number would change digits past the 15th).
    String digits;
    for (char ch : value.substr(0, dp))
        if (IsDigit(ch))
            digits += ch;
    const size_t firstNonZero = digits.find_first_not_of('0');
    digits = firstNonZero == String::npos ? String("0") : digits.substr(firstNonZero);
    const String integerPart = AutoThousands ? GroupThousands(digits) : digits;
    SetValueKeepAffixes(sign + integerPart + fraction);
    SelStart = std::max(0, c0 + static_cast<int>(GetText().size()) - l0);
    SelLength = 0;
}

int TDropDownValueText::IntegerPartEnd(const String& s) const
{
    const String t = StripThousandSeparators(s);
    const int p = Pos(String(1, DecSep()), t);
    int end = p > 0 ? p : static_cast<int>(t.size()) + 1;
    if (Signed && IsNumericRule() && Contains(t, '-'))
        --end;
    return end;
}

int TDropDownValueText::DecimalSeparatorPosition() const
{
    const String v = GetText();
    const int p = Pos(String(1, DecSep()), v);
    const int prefix = static_cast<int>(TextPrefix.size());
    return p > 0 ? prefix + p : prefix + static_cast<int>(v.size() + TextSuffix.size()) + 1;
}

int TDropDownValueText::IntegerDigits(const String& value) const
{
    int n = 0;
    for (char ch : value) {
        if (ch == DecSep())
            break;
        if (IsDigit(ch))
            ++n;
    }
    return n;
}

bool TDropDownValueText::IsReadableValue(const String& value) const
{
    if (!IsNumericRule())
        return true;
    if (value.empty() || value == "-")
        return true;
    const size_t sign = value.find('-');
    if (sign != String::npos && (sign != 0 || !Signed))
        return false;
    if (EditRule == erInteger)
        return ClassifyNumberText(value) == 0;
    if (ClassifyNumberText(value) > 1)
        return false;
    const char ds = DecSep(), ts = ThouSep();
    String body = value.substr(sign == 0 ? 1 : 0);
    const size_t dp = body.find(ds);
    // thousand separators belong to the integer part only; the other of ',' and '.' that is
    // neither separator is no part of a number here
    for (size_t i = 0; i < body.size(); ++i) {
        const char ch = body[i];
        if (IsDigit(ch) || ch == ds)
            continue;
        if (ch != ts || (dp != String::npos && i > dp) || i == 0)
            return false;
    }
    if (!body.empty() && body.back() == ds)
        body.pop_back();
    if (body.empty())
        return true;
    double x = 0;
    return TryStrToFloat(StripThousandSeparators(body), x);
}

// ---------------------------------------------------------------- typing

void TDropDownValueText::InsertDefault(char ch)
{
    const int len = static_cast<int>(EditText.size());
    SelStart = std::clamp(SelStart, 0, len);
    SelLength = std::clamp(SelLength, 0, len - SelStart);
    if (ch == kBackspace) {
        if (SelLength > 0) {
            EditText.erase(SelStart, SelLength);
        } else if (SelStart > 0) {
            EditText.erase(SelStart - 1, 1);
            --SelStart;
        }
        SelLength = 0;
        Modified = true;
        return;
    }
    if (static_cast<unsigned char>(ch) < 0x20)
        return; // Tab, Return and other control characters insert nothing
    if (MaxLength > 0 && len - SelLength + 1 > MaxLength)
        return;
    EditText.replace(SelStart, SelLength, 1, ch);
    ++SelStart;
    SelLength = 0;
    Modified = true;
}

void TDropDownValueText::ToggleSign()
{
    String v = GetText();
    const int prefix = static_cast<int>(TextPrefix.size());
    const size_t sign = v.find('-');
    int caret = 0;
    if (sign != String::npos) {
        v.erase(sign, 1);
        caret = SelStart <= prefix ? prefix : SelStart - 1;
    } else {
        v.insert(0, "-");
        caret = std::max(SelStart, prefix) + 1;
    }
    SetValueKeepAffixes(v);
    SelStart = caret;
    Modified = true;
}

bool TDropDownValueText::SpacingRefuses() const
{
    int c = SelStart - static_cast<int>(TextPrefix.size());
    String s = GetText();
    int m = static_cast<int>(s.size());
    const char ts = ThouSep();
    if (!Contains(s, ts))
        return false;
    for (;;) {
        const size_t found = s.find(ts);
        if (found == String::npos)
            return m > 3;
        const int p = static_cast<int>(found) + 1;
        const int d = std::abs(p - c);
        m = std::min(m, d);
        if (d < 3)
            return true;
        if (p < c)
            c -= p;
        s.erase(0, p);
    }
}

bool TDropDownValueText::DecimalsFullAtCaret() const
{
    if (Precision <= 0)
        return false;
    const String v = GetText();
    const int c = SelStart - static_cast<int>(TextPrefix.size());
    const int len = static_cast<int>(v.size());
    if (Precision < len - c)
        return false;
    const int q = Pos(String(1, DecSep()), v);
    return q > 0 && c >= q && len - q >= Precision;
}

bool TDropDownValueText::TypeFloat(char ch, const String& value)
{
    const char ds = DecSep(), ts = ThouSep();
    const bool money = EditRule == erMoney;
    if ((ch == ',' && ds != ',' && ts != ',') || (ch == '.' && ds != '.' && ts != '.'))
        return false;
    const bool accepted = money ? (ch == '\t' || ch == '\r' || ch == '-' || IsDigit(ch) || ch == ds || ch == kBackspace)
                                : (ch == '\t' || ch == '\r' || ch == ',' || ch == '-' || ch == '.' || IsDigit(ch) ||
                                   ch == kBackspace);
    if (!accepted)
        return false;
    const String selected = EditText.substr(std::min<size_t>(SelStart, EditText.size()), SelLength);
    if (ch == ds && !Contains(selected, ds) && (Contains(value, ds) || Precision == 0)) {
        if (money && !value.empty() && SelLength == static_cast<int>(value.size()))
            SetText("0" + String(1, ds) + "0");
        if (Precision > 0)
            CaretToDecimals();
        return false;
    }
    if (ch == ',' && Contains(value, ',') && !Contains(selected, ',') && ts != ',')
        return false;
    if ((ch == ts || ch == ds) && !money && SpacingRefuses())
        return false;
    if (DecimalsFullAtCaret() && (IsDigit(ch) || ch == ds) && SelLength == 0) {
        const int c = SelStart - static_cast<int>(TextPrefix.size());
        const int q = Pos(String(1, ds), value);
        if (ch == ds || c < q || c >= static_cast<int>(value.size()))
            return false;
        SelLength = 1; // the digit replaces the next decimal
    }
    if (ch == ds && value.empty() && SelStart <= static_cast<int>(TextPrefix.size())) {
        SetValueKeepAffixes("0" + String(1, ds));
        SelStart = static_cast<int>(TextPrefix.size()) + 2;
        SelLength = 0;
        Modified = true;
        return true;
    }
    if (ch == '-' && SelLength == 0) {
        ToggleSign();
        return true;
    }
    InsertDefault(ch);
    if (money) {
        const String now = GetText();
        if (!now.empty() && now != "-" && ch != ds)
            ApplyThousandSeparators();
    }
    return true;
}

bool TDropDownValueText::TypeChar(char ch, bool ctrlHeld)
{
    const String value = GetText();
    const int prefix = static_cast<int>(TextPrefix.size());
    const bool numeric = IsNumericRule();

    if (ch == kBackspace && !TextPrefix.empty() && SelStart <= prefix && SelLength == 0)
        return false;
    if (IntegerDigitLimit > 0 && IntegerPartEnd(value) > IntegerDigitLimit && SelLength == 0 &&
        SelStart < DecimalSeparatorPosition() && ch != kBackspace && ch != DecSep() &&
        !(Signed && numeric && ch == '-'))
        return false;
    if (ch == '-' && numeric && !Signed)
        return false;

    // Numeric rules keep a value they can read back: a character whose result the rule
    // cannot read is taken back as if it had been dropped.
    const String savedText = EditText;
    const int savedStart = SelStart, savedLength = SelLength;
    const bool savedModified = Modified;
    auto keepReadable = [&](bool reached, bool checkDigitsOnly = false) {
        if (!reached)
            return false;
        const String now = GetText();
        const bool tooManyDigits = IntegerDigitLimit > 0 && IntegerDigits(now) > IntegerDigitLimit &&
                                   IntegerDigits(now) > IntegerDigits(value);
        if ((checkDigitsOnly || IsReadableValue(now)) && !tooManyDigits)
            return true;
        EditText = savedText;
        SelStart = savedStart;
        SelLength = savedLength;
        Modified = savedModified;
        return false;
    };

    if (ch == kBackspace) {
        // a deletion may join the digits around a decimal separator: the digit limit holds
        InsertDefault(ch);
        return keepReadable(true, true);
    }

    switch (EditRule) {
    case erText:
    case erPassword:
        InsertDefault(ch);
        return true;
    case erUpperCase:
        InsertDefault(AnsiUpperCase(String(1, ch))[0]);
        return true;
    case erLowerCase:
        InsertDefault(AnsiLowerCase(String(1, ch))[0]);
        return true;
    case erCapitalized: {
        const int caret = SelStart;
        InsertDefault(ch);
        SetValueKeepAffixes(CapitalizeWords(GetText()));
        SelStart = caret + 1;
        SelLength = 0;
        return true;
    }
    case erHex:
    case erAlphaNumeric:
    case erCharSet: {
        const bool hexDigit = IsDigit(ch) || (ch >= 'A' && ch <= 'F') || (ch >= 'a' && ch <= 'f');
        const bool letter = (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z');
        bool ok = false;
        if (EditRule == erHex) {
            ok = ch == '\t' || ch == '\r' || hexDigit;
            if (ch == '-') {
                // a sign only in front of the value, and only one
                const int c = SelStart - prefix;
                String rest = value;
                rest.erase(std::clamp(c, 0, static_cast<int>(rest.size())),
                           std::max(0, SelLength));
                ok = c == 0 && !Contains(rest, '-');
            }
        }
        else if (EditRule == erAlphaNumeric)
            ok = ch == '\t' || ch == '\r' || IsDigit(ch) || letter;
        else
            ok = Contains(AllowedChars, ch);
        if (!ok)
            return false;
        InsertDefault(ch);
        return true;
    }
    case erRangeList: {
        if (!(ch == '\t' || ch == '\r' || IsRangeSeparator(ch) || IsDigit(ch)))
            return false;
        if (IsRangeSeparator(ch)) {
            // separators never stand side by side or at the start: the neighbours that stay
            // after the selection is replaced decide
            const int end = SelStart + SelLength;
            const bool before = SelStart > prefix && IsRangeSeparator(EditText[SelStart - 1]);
            const bool after = end < static_cast<int>(EditText.size() - TextSuffix.size()) &&
                               IsRangeSeparator(EditText[end]);
            if (SelStart <= prefix || before || after)
                return false;
        }
        InsertDefault(ch);
        return true;
    }
    case erInteger:
        if (ch == '-') {
            if (SelLength == static_cast<int>(value.size())) {
                SetValueKeepAffixes("-");
                SelStart = prefix + 1;
                SelLength = 0;
                Modified = true;
                return true;
            }
            ToggleSign();
            return true;
        }
        if (ch == '\t' || ch == '\r' || IsDigit(ch)) {
            InsertDefault(ch);
            return keepReadable(true);
        }
        if (!ctrlHeld)
            return false;
        InsertDefault(ch);
        return keepReadable(true);
    case erFloat:
    case erMoney:
        return keepReadable(TypeFloat(ch, value));
    }
    return false;
}

// ---------------------------------------------------------------- keys

bool TDropDownValueText::KeyDown(int key, bool shift)
{
    const int prefix = static_cast<int>(TextPrefix.size());
    const int valueEnd = prefix + static_cast<int>(GetText().size());
    const int selEnd = SelStart + SelLength;
    switch (key) {
    case VK_RIGHT:
        return !TextSuffix.empty() && selEnd >= valueEnd;
    case VK_LEFT:
        return !TextPrefix.empty() && selEnd <= prefix;
    case VK_END:
        if (TextSuffix.empty())
            return false;
        if (shift)
            SelLength = std::max(0, valueEnd - SelStart);
        else {
            SelStart = valueEnd;
            SelLength = 0;
        }
        return true;
    case VK_HOME:
        if (TextPrefix.empty())
            return false;
        SelStart = prefix;
        SelLength = shift ? valueEnd - prefix : 0;
        return true;
    case VK_BACK:
        // only the key-down; the character itself follows the prefix rule of TypeChar
        return !TextPrefix.empty() && SelStart <= prefix + 1;
    case VK_DELETE: {
        if (!TextSuffix.empty() && selEnd >= valueEnd && SelLength == 0)
            return true;
        if (SelStart < prefix)
            return false;
        String predicted = GetText();
        const int c = SelStart - prefix;
        if (c < static_cast<int>(predicted.size()))
            predicted.erase(c, SelLength > 0 ? SelLength : 1);
        if (IntegerDigitLimit > 0 && IntegerPartEnd(predicted) - 1 > IntegerDigitLimit)
            return true; // removing a decimal separator may not join too many digits
        if (IsNumericRule() && !IsReadableValue(predicted))
            return true;
        return false;
    }
    default:
        return false;
    }
}

void TDropDownValueText::DeleteForward()
{
    const int len = static_cast<int>(EditText.size());
    SelStart = std::clamp(SelStart, 0, len);
    SelLength = std::clamp(SelLength, 0, len - SelStart);
    if (SelLength > 0)
        EditText.erase(SelStart, SelLength);
    else if (SelStart < len)
        EditText.erase(SelStart, 1);
    SelLength = 0;
    Modified = true;
}

void TDropDownValueText::AfterKeyDown(int key)
{
    if (key == VK_DELETE && EditRule == erMoney)
        ApplyThousandSeparators();
    const int prefix = static_cast<int>(TextPrefix.size());
    if (!TextPrefix.empty() && SelStart < prefix)
        SelStart = prefix;
}

void TDropDownValueText::KeepSelectionInValue()
{
    const int prefix = static_cast<int>(TextPrefix.size());
    const int valueEnd = prefix + static_cast<int>(GetText().size());
    if (!TextPrefix.empty() && SelStart < prefix) {
        SelectValue();
        return;
    }
    if (TextSuffix.empty())
        return;
    if (SelStart > valueEnd) {
        SelStart = valueEnd;
        SelLength = 0;
    } else if (SelStart + SelLength > valueEnd) {
        SelLength = valueEnd - SelStart;
    }
}

// ---------------------------------------------------------------- clipboard and focus

bool TDropDownValueText::Paste(const String& clip)
{
    const String value = GetText();
    const int prefix = static_cast<int>(TextPrefix.size());
    const int c = std::clamp(SelStart - prefix, 0, static_cast<int>(value.size()));
    const int selLen = std::clamp(SelLength, 0, static_cast<int>(value.size()) - c);
    String prediction = value;
    prediction.replace(c, selLen, clip);
    const int newStart = c + prefix + (selLen > 0 ? 0 : static_cast<int>(clip.size()));
    const int newLength = selLen > 0 ? static_cast<int>(clip.size()) : 0;

    bool allow = true;
    if (OnPasteText)
        OnPasteText(prediction, allow);
    if (!allow)
        return false;
    if (MaxLength > 0 && static_cast<int>(clip.size() + value.size()) - selLen > MaxLength)
        return false;

    bool changed = false;
    const bool tooManyDigits = IntegerDigitLimit > 0 && IntegerDigits(prediction) > IntegerDigitLimit;
    switch (EditRule) {
    case erText:
    case erPassword:
        SetText(prediction);
        changed = true;
        break;
    case erInteger:
        if (!prediction.empty() && prediction != "-" && IsReadableValue(prediction) && !tooManyDigits) {
            SetText(prediction);
            Modified = true;
            changed = true;
        }
        break;
    case erFloat:
    case erMoney:
        if (!prediction.empty() && prediction != "-" && IsReadableValue(prediction) && !tooManyDigits &&
            !(Precision == 0 && Contains(clip, DecSep()))) {
            SetText(prediction);
            SetFloatValue(GetFloatValue());
            Modified = true;
            changed = true;
        }
        break;
    case erUpperCase:
        SetText(AnsiUpperCase(prediction));
        changed = true;
        break;
    case erCapitalized:
        SetText(CapitalizeWords(prediction));
        changed = true;
        break;
    case erLowerCase:
        SetText(AnsiLowerCase(prediction));
        changed = true;
        break;
    case erAlphaNumeric:
    case erCharSet: {
        const bool ok = std::all_of(prediction.begin(), prediction.end(), [&](char ch) {
            return IsDigit(ch) || (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || Contains(AllowedChars, ch);
        });
        if (ok) {
            SetText(prediction);
            Modified = true;
            changed = true;
        }
        break;
    }
    case erRangeList:
    case erHex:
        break;
    }

    const int textLen = static_cast<int>(EditText.size());
    if (EditRule == erMoney && GetText().size() > 3) {
        SelectValue();
    } else {
        SelStart = std::clamp(newStart, 0, textLen);
        SelLength = std::clamp(newLength, 0, textLen - SelStart);
    }
    if (EditRule == erText || (EditRule >= erUpperCase && EditRule <= erPassword))
        Modified = true;
    return changed;
}

void TDropDownValueText::FocusLost()
{
    if (Precision > 0 && (EditRule == erFloat || EditRule == erMoney) && (!GetText().empty() || !AllowEmptyNumber)) {
        const bool wasModified = Modified;
        SetFloatValue(GetFloatValue());
        Modified = wasModified;
    }
    if (!GetText().empty() || AllowEmptyNumber)
        return;
    if (EditRule == erInteger)
        SetText("0");
    else if (EditRule == erFloat || EditRule == erMoney)
        SetFloatValue(0);
}
