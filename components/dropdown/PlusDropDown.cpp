#include "components/dropdown/PlusDropDown.h"

#include "components/grid/TextRoutines.h"
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

// ============================================================================================
// drawing routines
// ============================================================================================

#include "components/grid/HtmlRender.h"
#include "platform/framework/Clipbrd.h"
#include "platform/win/WinFrameControl.h"
#include "platform/win/WinGdi.h"

namespace {

int RedOf(TColor c) { return int(c & 0xFF); }
int GreenOf(TColor c) { return int((c >> 8) & 0xFF); }
int BlueOf(TColor c) { return int((c >> 16) & 0xFF); }
TColor MakeColor(int r, int g, int b)
{
    return TColor(std::clamp(r, 0, 255) | (std::clamp(g, 0, 255) << 8) | (std::clamp(b, 0, 255) << 16));
}
int RoundEven(double x) { return int(std::nearbyint(x)); }

// the image list as the mini-HTML renderer wants it
class TImageListImages : public THtmlImages {
public:
    explicit TImageListImages(TCustomImageList* list) : list_(list) {}
    int Count() const override { return list_->Count(); }
    int Width() const override { return list_->Width(); }
    int Height() const override { return list_->Height(); }
    void Draw(TCanvas* c, int x, int y, int i, bool enabled) override { list_->Draw(c, x, y, i, enabled); }
    void GetBitmap(int i, TBitmap* b) override { list_->GetBitmap(i, b); }

private:
    TCustomImageList* list_;
};

} // namespace

void DrawGradient(TCanvas* Canvas, TColor FromColor, TColor ToColor, int Steps, TRect R, bool Horizontal)
{
    if (!Canvas)
        return;
    if (Steps <= 0)
        Steps = 1;
    const TColor f = ColorToRGB(FromColor), t = ColorToRGB(ToColor);
    const int dR = RedOf(t) - RedOf(f), dG = GreenOf(t) - GreenOf(f), dB = BlueOf(t) - BlueOf(f);
    if (Horizontal)
        --R.Right;
    else
        --R.Bottom;
    const double s = (Horizontal ? R.Right - R.Left : R.Bottom - R.Top) / double(Steps);
    for (int i = 0; i < Steps; ++i) {
        const TColor c = MakeColor(RedOf(f) + RoundEven(double(i) * dR / Steps),
                                   GreenOf(f) + RoundEven(double(i) * dG / Steps),
                                   BlueOf(f) + RoundEven(double(i) * dB / Steps));
        Canvas->Pen->Color = c;
        Canvas->Brush->Color = c;
        Canvas->Brush->Style = bsSolid;
        const int start = RoundEven(i * s);
        const int end = start + RoundEven(s) + 1;
        if (Horizontal)
            Canvas->Rectangle(R.Left + start, R.Top, R.Left + end, R.Bottom);
        else
            Canvas->Rectangle(R.Left, R.Top + start, R.Right, R.Top + end);
    }
}

TColor BlendColor(TColor Color1, TColor Color2, int Percent)
{
    if (Percent >= 100)
        return Color1;
    if (Percent <= 0)
        return Color2;
    const TColor a = ColorToRGB(Color1), b = ColorToRGB(Color2);
    const double p = Percent / 100.0;
    return MakeColor(RoundEven(p * RedOf(a) + (1 - p) * RedOf(b)), RoundEven(p * GreenOf(a) + (1 - p) * GreenOf(b)),
                     RoundEven(p * BlueOf(a) + (1 - p) * BlueOf(b)));
}

TColor ShiftColor(TColor Color, int DR, int DG, int DB)
{
    const TColor c = ColorToRGB(Color);
    auto shift = [](int ch, int d) {
        if (ch == 0)
            return std::max(0, d);
        return RoundEven(std::min(100, d + 100) / 100.0 * ch);
    };
    return MakeColor(shift(RedOf(c), DR), shift(GreenOf(c), DG), shift(BlueOf(c), DB));
}

void DrawGradientBox(TCanvas* Canvas, TRect R, TColor Color, bool Vertical, int BorderWidth, TColor BorderColor,
                     TColor ColorTo)
{
    if (!Canvas)
        return;
    if (ColorTo != clNone)
        DrawGradient(Canvas, Color, ColorTo, 80, R, !Vertical);
    else if (Color != clNone) {
        Canvas->Brush->Style = bsSolid;
        Canvas->Brush->Color = Color;
        Canvas->Pen->Color = Color;
        Canvas->FillRect(R);
    }
    if (BorderColor != clNone && BorderWidth > 0) {
        Canvas->Brush->Style = bsClear;
        Canvas->Pen->Color = BorderColor;
        Canvas->Pen->Width = BorderWidth;
        Canvas->Rectangle(R);
        Canvas->Pen->Width = 1;
    }
}

void DrawImageAndText(TCanvas* Canvas, TRect R, const String& Text, int ImageIndex, TCustomImageList* Images)
{
    if (!Canvas)
        return;
    bool image = false;
    if (ImageIndex >= 0 && Images) {
        Images->Draw(Canvas, R.Left + 4, R.Top + (R.Height() - Images->Height()) / 2, ImageIndex, true);
        R.Left += 4 + Images->Width() + 4;
        image = true;
    }
    if (!Text.empty()) {
        RECT r = R;
        Canvas->RequiredState();
        DrawText(Canvas->Handle(), Text.c_str(), -1, &r,
                 DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | (image ? 0 : DT_CENTER));
    }
}

TSize GetTextSize(TCanvas* Canvas, const String& Text)
{
    if (Text.empty() || !Canvas)
        return TSize{0, 0};
    RECT r{0, 0, 1000, 500};
    Canvas->RequiredState();
    DrawText(Canvas->Handle(), Text.c_str(), -1, &r, DT_CALCRECT | DT_SINGLELINE);
    return TSize{int(r.right), int(r.bottom)};
}

void FitTextToWidth(TCanvas* Canvas, const String& Text, int MaxWidth, String& Result, bool Ellipsis)
{
    Result = Text;
    if (GetTextSize(Canvas, Text).cx <= MaxWidth)
        return;
    for (size_t cut = 1; cut <= Text.size(); ++cut) {
        String candidate = Text.substr(0, Text.size() - cut) + (Ellipsis ? "..." : "");
        if (GetTextSize(Canvas, candidate).cx < MaxWidth) {
            Result = candidate;
            return;
        }
    }
}

void DrawHtmlCaption(TCanvas* Canvas, const String& Text, TRect R, TSize& Size, bool Draw, TCustomImageList* Images)
{
    Size = TSize{0, 0};
    if (!Canvas || Text.empty())
        return;
    THtmlDrawArgs args;
    std::unique_ptr<TImageListImages> images;
    if (Images) {
        images = std::make_unique<TImageListImages>(Images);
        args.Images = images.get();
    }
    args.HitX = 0;
    args.HitY = 0;
    args.FocusLink = -1;
    args.MeasureOnly = !Draw;
    args.LinkColor = 0xFF0000;
    args.HoverBrushColor = clNone;
    args.HoverFontColor = clNone;
    args.ShadowColor = 0x808080;
    THtmlDrawResult result;
    DrawHtml(Canvas, Text, R, args, result);
    Size = TSize{result.ExtentX, result.ExtentY};
}

String UpperCaseUnless(const String& Text, bool Keep) { return Keep ? Text : AnsiUpperCase(Text); }

TPoint DropDownPlacement(TPoint p, int editHeight, int popupWidth, int popupHeight, TDropPosition position,
                         int screenHeight, const TRect& workArea)
{
    const bool below = position == dpDown || (position == dpAuto && p.Y + popupHeight < screenHeight);
    TPoint at{p.X, below ? p.Y + editHeight - 1 : p.Y - popupHeight};
    if (workArea.Left >= 0 && at.X + popupWidth > workArea.Right && at.X < workArea.Right)
        at.X = workArea.Right - popupWidth;
    return at;
}

// ============================================================================================
// looks
// ============================================================================================

TPlusButtonAppearance::TPlusButtonAppearance()
{
    font_->Name = "Tahoma";
    ColorChecked = ShiftColor(ColorHot, -10, -10, 0);
    ColorCheckedTo = ShiftColor(ColorHotTo, -10, -10, 0);
}

void TPlusButtonAppearance::Changed()
{
    if (OnChange)
        OnChange(this);
}

void TPlusButtonAppearance::Assign(TPersistent* Source)
{
    auto* s = dynamic_cast<TPlusButtonAppearance*>(Source);
    if (!s) {
        TPersistent::Assign(Source);
        return;
    }
    BorderColor = s->BorderColor;
    BorderColorHot = s->BorderColorHot;
    BorderColorDown = s->BorderColorDown;
    BorderColorDisabled = s->BorderColorDisabled;
    BorderColorChecked = s->BorderColorChecked;
    Color = s->Color;
    ColorTo = s->ColorTo;
    ColorDisabled = s->ColorDisabled;
    ColorDisabledTo = s->ColorDisabledTo;
    ColorDown = s->ColorDown;
    ColorDownTo = s->ColorDownTo;
    ColorHot = s->ColorHot;
    ColorHotTo = s->ColorHotTo;
    ColorChecked = s->ColorChecked;
    ColorCheckedTo = s->ColorCheckedTo;
    Gradient = s->Gradient;
    Changed();
}

void THeaderButton::Assign(TPersistent* Source)
{
    auto* s = dynamic_cast<THeaderButton*>(Source);
    if (!s) {
        TCollectionItem::Assign(Source);
        return;
    }
    caption_ = s->caption_;
    ImageIndex = s->ImageIndex;
    enabled_ = s->enabled_;
    width_ = s->width_;
    Height = s->Height;
    Changed(false);
}

void THeaderButton::SetCaption(const String& v)
{
    if (v != caption_) {
        caption_ = v;
        Changed(false);
    }
}

void THeaderButton::SetEnabled(bool v)
{
    if (v != enabled_) {
        enabled_ = v;
        Changed(false);
    }
}

void THeaderButton::SetWidth(int v)
{
    if (v != width_) {
        width_ = v;
        Changed(false);
    }
}

void TFooterButton::Assign(TPersistent* Source)
{
    THeaderButton::Assign(Source);
    if (auto* s = dynamic_cast<TFooterButton*>(Source))
        ModalResult = s->ModalResult;
}

void THeaderButtons::Update(TCollectionItem*)
{
    if (OnChange)
        OnChange(this);
}

THeaderAppearance::THeaderAppearance(TPersistent* Owner)
    : THeaderAppearance(Owner, std::make_unique<THeaderButtons>(nullptr))
{
    font_->Name = "Tahoma";
}

THeaderAppearance::THeaderAppearance(TPersistent* Owner, std::unique_ptr<THeaderButtons> buttons)
    : buttons_(std::move(buttons)), owner_(Owner)
{
    buttons_->OnChange = [this](TObject*) {
        if (OnButtonsChange)
            OnButtonsChange(this);
    };
}

void THeaderAppearance::Changed()
{
    if (OnChange)
        OnChange(this);
}

void THeaderAppearance::SetVisible(bool v)
{
    if (v != visible_) {
        visible_ = v;
        Changed();
    }
}

void THeaderAppearance::Assign(TPersistent* Source)
{
    auto* s = dynamic_cast<THeaderAppearance*>(Source);
    if (!s || s->ClassName() != ClassName())
        return;
    Color = s->Color;
    ColorTo = s->ColorTo;
    Caption = s->Caption;
    font_->Assign(s->font_.get());
    GradientDirection = s->GradientDirection;
    SetVisible(s->Visible());
    Height = s->Height;
    BorderColor = s->BorderColor;
    BorderWidth = s->BorderWidth;
    ImageIndex = s->ImageIndex;
    buttons_->Assign(s->buttons_.get());
    ButtonAlignment = s->ButtonAlignment;
}

TFooterAppearance::TFooterAppearance(TPersistent* Owner)
    : THeaderAppearance(Owner, std::make_unique<TFooterButtons>(Owner))
{
    font_->Name = TFont().Name;
}

void TFooterAppearance::Assign(TPersistent* Source)
{
    THeaderAppearance::Assign(Source);
    if (auto* s = dynamic_cast<TFooterAppearance*>(Source))
        SizeGrip = s->SizeGrip;
}

// ============================================================================================
// bar buttons and bars
// ============================================================================================

TPlusButton::TPlusButton(TComponent* AOwner) : TCustomControl(AOwner)
{
    SetBounds(0, 0, 23, 22);
    ParentFont = true;
    Font()->Name = "Tahoma";
}

void TPlusButton::SizeToContent()
{
    if (!Appearance)
        return;
    // measured on a canvas of its own: the button's size changes below
    TCanvas c;
    HDC dc = CreateCompatibleDC(nullptr);
    c.SetHandle(dc);
    c.Font->Assign(Appearance->Font());
    TSize s = GetTextSize(&c, Caption());
    c.SetHandle(nullptr);
    DeleteDC(dc);
    if (images_ && ImageIndex >= 0) {
        s.cx = std::max<int>(s.cx, images_->Width());
        s.cy = std::max<int>(s.cy, images_->Height());
    }
    SetHeight(s.cy + 4);
    SetWidth(s.cx + 8);
}

void TPlusButton::Paint()
{
    if (Parent()) {
        // the bar's background shows around the button
        Canvas()->Brush->Color = Parent()->Color();
    }
    DrawButton(Canvas());
}

void TPlusButton::DrawButton(TCanvas* c)
{
    if (!Appearance)
        return;
    TColor from, to, border;
    if (!Enabled()) {
        from = Appearance->ColorDisabled, to = Appearance->ColorDisabledTo, border = Appearance->BorderColorDisabled;
    } else if (pressed_ && inside_) {
        from = to = Appearance->ColorDown, border = Appearance->BorderColorDown;
    } else if (down_) {
        from = to = Appearance->ColorChecked, border = Appearance->BorderColorChecked;
    } else if (inside_ || Focused()) {
        from = to = Appearance->ColorHot, border = Appearance->BorderColorHot;
    } else {
        from = Appearance->Color, to = Appearance->ColorTo, border = Appearance->BorderColor;
    }
    DrawGradientBox(c, ClientRect(), from, Appearance->Gradient == gdVertical, 1, border, to);
    c->Brush->Style = bsClear;
    c->Font->Assign(Appearance->Font());
    DrawImageAndText(c, ClientRect(), Caption(), ImageIndex, images_);
}

void TPlusButton::StartHotTimer()
{
    if (!hotTimer_ && SetTimer(Handle(), HotTimerId, 1, nullptr))
        hotTimer_ = true;
}

void TPlusButton::StopHotTimer()
{
    if (hotTimer_)
        KillTimer(Handle(), HotTimerId);
    hotTimer_ = false;
}

void TPlusButton::UpdateTracking()
{
    if (!Enabled())
        return;
    POINT p;
    GetCursorPos(&p);
    const TPoint q = ScreenToClient(TPoint{p.x, p.y});
    const bool over = q.X >= 0 && q.Y >= 0 && q.X < Width() && q.Y < Height();
    Perform(over ? CM_MOUSEENTER : CM_MOUSELEAVE, 0, 0);
}

void TPlusButton::SetDown(bool v)
{
    if (GroupIndex == 0 && Style == 0)
        v = false;
    if (Style == 1) {
        down_ = v;
        Invalidate();
        return;
    }
    if (v == down_ || (down_ && !AllowAllUp))
        return;
    down_ = v;
    Invalidate();
    if (v && Parent()) {
        TWinControl* parent = Parent();
        for (int i = 0; i < parent->ControlCount(); ++i)
            parent->Controls(i)->Perform(CM_BUTTONPRESSED, WPARAM(GroupIndex), LPARAM(this));
    }
}

void TPlusButton::Dispatch(TMessage& m)
{
    switch (m.Msg) {
    case CM_MOUSEENTER:
        if (HasState(csDesigning))
            break;
        inside_ = true;
        if (Enabled())
            Invalidate();
        StartHotTimer();
        break;
    case CM_MOUSELEAVE:
        if (HasState(csDesigning))
            break;
        StopHotTimer();
        inside_ = false;
        if (Enabled())
            Invalidate();
        break;
    case WM_TIMER:
        if (m.WParam == HotTimerId) {
            POINT p;
            GetCursorPos(&p);
            const TPoint q = ScreenToClient(TPoint{p.x, p.y});
            if (q.X < 0 || q.Y < 0 || q.X >= ClientWidth() || q.Y >= ClientHeight()) {
                StopHotTimer();
                inside_ = false;
                if (Enabled())
                    Invalidate();
            }
            return;
        }
        break;
    case WM_KEYDOWN:
        if (m.WParam == VK_RETURN || m.WParam == VK_SPACE) {
            Invalidate();
            internalClick_ = true;
            const auto life = Life();
            Click();
            if (!*life)
                return;
            internalClick_ = false;
        }
        break;
    case CM_DIALOGCHAR:
        if (Enabled() && IsAccel(WORD(m.WParam), Caption())) {
            Click();
            m.Result = 1;
            return;
        }
        break;
    case CM_BUTTONPRESSED: {
        auto* sender = reinterpret_cast<TPlusButton*>(m.LParam);
        if (sender != this && int(m.WParam) == GroupIndex && GroupIndex != 0) {
            if (sender && sender->down_ && down_) {
                down_ = false;
                Invalidate();
            }
            if (sender)
                AllowAllUp = sender->AllowAllUp;
        }
        return;
    }
    case WM_ERASEBKGND:
        m.Result = 1;
        break;
    default:
        break;
    }
    TCustomControl::Dispatch(m);
    if (m.Msg == CM_ENABLEDCHANGED || m.Msg == CM_FOCUSCHANGED)
        Invalidate();
}

void TPlusButton::MouseDown(TMouseButton b, TShiftState s, int x, int y)
{
    if (b == mbLeft && Enabled() && !HasState(csDesigning)) {
        pressed_ = true;
        inside_ = true;
        dragging_ = true;
        Invalidate();
    }
    TCustomControl::MouseDown(b, s, x, y);
}

void TPlusButton::MouseMove(TShiftState s, int x, int y)
{
    TCustomControl::MouseMove(s, x, y);
    if (HasState(csDesigning))
        return;
    if (dragging_) {
        const bool over = x >= 0 && x < ClientWidth() && y >= 0 && y <= ClientHeight();
        if (over != inside_) {
            inside_ = over;
            Invalidate();
        }
    } else if (!inside_) {
        UpdateTracking();
    }
}

void TPlusButton::MouseUp(TMouseButton b, TShiftState s, int x, int y)
{
    pressed_ = false;
    Invalidate();
    if (dragging_ && !HasState(csDesigning)) {
        dragging_ = false;
        const bool over = x >= 0 && x < ClientWidth() && y >= 0 && y <= ClientHeight();
        if (GroupIndex != 0) {
            if (over)
                SetDown(!down_);
        } else {
            inside_ = false;
            if (Style == 1)
                SetDown(!down_);
        }
        UpdateTracking();
    }
    TCustomControl::MouseUp(b, s, x, y);
}

void TPlusButton::Click()
{
    if (TForm* f = GetParentForm(this))
        f->SetModalResult(ModalResult);
    const int mr = ModalResult;
    const bool cancel = mr == 2 || mr == 3 || mr == 5 || mr == 7 || mr == 9;
    const auto life = Life();
    if (dropDown_ && mr != 0 && mr != 4)
        dropDown_->HideDropDown(cancel);
    if (!*life)
        return;
    if (!internalClick_)
        TCustomControl::Click();
}

TPlusHeader::TPlusHeader(TComponent* AOwner) : TPlusHeader(AOwner, std::make_unique<THeaderAppearance>(nullptr), false)
{
}

TPlusHeader::TPlusHeader(TComponent* AOwner, std::unique_ptr<THeaderAppearance> a, bool footer)
    : TCustomControl(AOwner), footer_(footer), appearance_(std::move(a))
{
    appearance_->OnChange = [this](TObject*) { AppearanceChanged(); };
}

TPlusFooter::TPlusFooter(TComponent* AOwner) : TPlusHeader(AOwner, std::make_unique<TFooterAppearance>(nullptr), true)
{
}

void TPlusHeader::AppearanceChanged()
{
    SetVisible(appearance_->Visible());
    SetHeight(appearance_->Height);
}

void TPlusHeader::SetPlusDropDown(TPlusCustomDropDown* d)
{
    dropDown_ = d;
    if (!d) {
        Images = nullptr;
        return;
    }
    Images = d->Images();
    if (footer_)
        appearance_->Assign(d->DropDownFooter());
    else
        appearance_->Assign(d->DropDownHeader());
}

THeaderButtons* TPlusHeader::ItemsOfDropDown() const
{
    if (!dropDown_)
        return nullptr;
    return footer_ ? static_cast<THeaderButtons*>(dropDown_->DropDownFooter()->Buttons())
                   : dropDown_->DropDownHeader()->Buttons();
}

void TPlusHeader::UpdateButtons()
{
    if (dropDown_)
        CreateButtons();
}

TPlusButton* TPlusHeader::Button(int i) const
{
    if (i < 0 || i >= int(buttons_.size()))
        throw Exception("Index out of bounds in list read access");
    return buttons_[size_t(i)];
}

void TPlusHeader::ClearButtons()
{
    while (!buttons_.empty()) {
        delete buttons_.back();
        buttons_.pop_back();
    }
}

TRect TPlusHeader::GetButtonsRect() const
{
    TRect r = ClientRect();
    if (footer_) {
        const bool grip = static_cast<const TPlusFooter*>(this)->ShowSizeGrip();
        return TRect(r.Left + 2, r.Top + 2, r.Right - 2 - (grip ? 12 : 0), r.Bottom - 2);
    }
    return TRect(r.Left + 2, r.Top + 2, r.Right - 2, r.Bottom - 3);
}

TRect TPlusHeader::GetCaptionRect() const
{
    if (buttons_.empty())
        return TRect(-1, -1, -1, -1);
    TRect r = GetButtonsRect();
    r.Right = buttons_.back()->Left() - 2;
    return r;
}

void TPlusHeader::CreateButtons()
{
    THeaderButtons* items = ItemsOfDropDown();
    if (!items)
        return;
    ClearButtons();
    const int h = GetButtonsRect().Height();
    for (int i = 0; i < items->Count(); ++i) {
        THeaderButton* item = items->Items(i);
        auto* b = new TPlusButton(this);
        b->SetParent(this);
        if (footer_)
            b->SetPlusDropDown(dropDown_);
        b->Appearance = dropDown_->ButtonAppearance();
        b->SetCaption(item->Caption());
        b->SetImages(Images);
        b->ImageIndex = item->ImageIndex;
        b->SetEnabled(item->Enabled());
        if (auto* f = dynamic_cast<TFooterButton*>(item))
            b->ModalResult = f->ModalResult;
        b->SizeToContent();
        if (item->Width() > 0)
            b->SetWidth(item->Width());
        if (item->Height > 0)
            b->SetHeight(item->Height);
        if (b->Height() > h)
            b->SetHeight(h);
        b->Tag = i;
        b->OnClick = [this](TObject* s) { ButtonClick(s); };
        buttons_.push_back(b);
    }
    ArrangeButtons();
}

void TPlusHeader::ArrangeButtons()
{
    const TRect a = GetButtonsRect();
    int x = appearance_->ButtonAlignment == baRight ? a.Right : a.Left;
    for (TPlusButton* b : buttons_) {
        const int top = std::max<int>(a.Top, (a.Bottom - b->Height()) / 2);
        if (appearance_->ButtonAlignment == baRight) {
            x -= b->Width();
            b->SetBounds(x, top, b->Width(), b->Height());
        } else {
            b->SetBounds(x, top, b->Width(), b->Height());
            x += b->Width();
        }
    }
}

void TPlusHeader::RefreshButtons()
{
    THeaderButtons* items = ItemsOfDropDown();
    for (int i = 0; i < int(buttons_.size()); ++i) {
        TPlusButton* b = buttons_[size_t(i)];
        b->Appearance = dropDown_ ? dropDown_->ButtonAppearance() : nullptr;
        b->SetImages(Images);
        if (items && i < items->Count()) {
            b->SetCaption(items->Items(i)->Caption());
            b->ImageIndex = items->Items(i)->ImageIndex;
            b->SetEnabled(items->Items(i)->Enabled());
        }
    }
    ArrangeButtons();
}

void TPlusHeader::ButtonClick(TObject* Sender)
{
    auto* b = dynamic_cast<TPlusButton*>(Sender);
    if (!b || !dropDown_)
        return;
    const auto& ev = footer_ ? dropDown_->OnDropDownFooterButtonClick : dropDown_->OnDropDownHeaderButtonClick;
    if (ev)
        ev(dropDown_, b->Tag);
}

void TPlusHeader::Dispatch(TMessage& m)
{
    TCustomControl::Dispatch(m);
    if (m.Msg == WM_SIZE)
        ArrangeButtons();
}

bool TPlusFooter::ShowSizeGrip() const
{
    return Appearance()->SizeGrip && dropDown_ && dropDown_->DropDownSizeable;
}

void TPlusFooter::MouseDown(TMouseButton b, TShiftState s, int x, int y)
{
    TPlusHeader::MouseDown(b, s, x, y);
    // The grip resizes the pop-up: its bottom-right corner follows the mouse while the button
    // is held.
    sizing_ = b == mbLeft && ShowSizeGrip() && x > Width() - 12 && y > Height() - 15 && Parent();
    if (sizing_) {
        grabAt_ = ClientToScreen(TPoint{x, y});
        grabSize_ = TSize{Parent()->Width(), Parent()->Height()};
        SetMouseCapture(true);
    }
}

void TPlusFooter::MouseMove(TShiftState s, int x, int y)
{
    TPlusHeader::MouseMove(s, x, y);
    const bool inZone = ShowSizeGrip() && x > Width() - 12 && y > Height() - 15;
    SetCursor(inZone || sizing_ ? crSizeNWSE : crDefault);
    if (!sizing_ || !Parent())
        return;
    const TPoint p = ClientToScreen(TPoint{x, y});
    TWinControl* form = Parent();
    form->SetBounds(form->Left(), form->Top(), std::max(80, int(grabSize_.cx + p.X - grabAt_.X)),
                    std::max(50, int(grabSize_.cy + p.Y - grabAt_.Y)));
    if (auto* f = dynamic_cast<TDropDownForm*>(form); f && f->OnSizing)
        f->OnSizing(f);
}

void TPlusFooter::MouseUp(TMouseButton b, TShiftState s, int x, int y)
{
    TPlusHeader::MouseUp(b, s, x, y);
    if (sizing_)
        SetMouseCapture(false);
    sizing_ = false;
}

void TPlusHeader::Paint()
{
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    if (OnDrawBackGround) {
        OnDrawBackGround(this, c, r);
        return;
    }
    THeaderAppearance* a = appearance_.get();
    if (a->ColorTo != clNone)
        DrawGradient(c, a->Color, a->ColorTo, 80, r, a->GradientDirection == gdHorizontal);
    else if (a->Color != clNone) {
        c->Brush->Style = bsSolid;
        c->Brush->Color = a->Color;
        c->FillRect(r);
    }
    if (a->BorderColor != clNone && a->BorderWidth > 0) {
        c->Pen->Width = a->BorderWidth;
        c->Pen->Color = a->BorderColor;
        const bool allSides =
            !dropDown_ || dropDown_->DropDownBorderWidth < 1 || dropDown_->DropDownBorderColor == clNone;
        if (!footer_) {
            c->MoveTo(r.Left, r.Bottom - 1);
            c->LineTo(r.Right, r.Bottom - 1);
            if (allSides) {
                c->MoveTo(r.Left, r.Bottom - 1);
                c->LineTo(r.Left, r.Top);
                c->LineTo(r.Right, r.Top);
                c->LineTo(r.Right, r.Bottom - 1);
            }
        } else {
            c->MoveTo(r.Left, r.Top);
            c->LineTo(r.Right, r.Top);
            if (allSides) {
                c->MoveTo(r.Left, r.Top);
                c->LineTo(r.Left, r.Bottom);
                c->LineTo(r.Right, r.Bottom);
                c->LineTo(r.Right, r.Top);
            }
        }
        c->Pen->Width = 1;
        c->Brush->Style = bsClear;
        c->Pen->Color = BlendColor(a->BorderColor, 0xFFFFFF, 20);
        TRect inner = r;
        if (footer_)
            inner.Top += a->BorderWidth;
        else
            inner.Bottom -= a->BorderWidth;
        c->Rectangle(inner);
    }
    TRect content(r.Left + a->BorderWidth, r.Top + a->BorderWidth, r.Right - a->BorderWidth, r.Bottom - a->BorderWidth);
    if (a->ImageIndex >= 0 && Images) {
        const int x = content.Left + 4;
        Images->Draw(c, x, content.Top + (content.Height() - Images->Height()) / 2, a->ImageIndex, true);
        content.Left = x + Images->Width() + 4;
    }
    String text = a->Caption;
    if (OnGetText)
        OnGetText(this, text);
    if (!text.empty()) {
        if (!buttons_.empty())
            content.Right = GetCaptionRect().Right;
        c->Font->Assign(a->Font());
        c->Brush->Style = bsClear;
        TSize size;
        DrawHtmlCaption(c, text, content, size, false, Images);
        if (size.cy < content.Height())
            content.Top += (content.Height() - size.cy) / 2;
        DrawHtmlCaption(c, text, content, size, true, Images);
    }
    if (footer_ && static_cast<TPlusFooter*>(this)->ShowSizeGrip()) {
        const int l = r.Right - a->BorderWidth - 16, b = r.Bottom;
        auto dot = [&](int x, int y, TColor col) {
            c->Pen->Color = col;
            c->Brush->Style = bsSolid;
            c->Brush->Color = col;
            c->Rectangle(x, y, x + 2, y + 2);
        };
        const int pts[6][2] = {{5, -4}, {9, -4}, {13, -4}, {13, -8}, {13, -12}, {9, -8}};
        for (auto& p : pts)
            dot(l + p[0], b + p[1], 0xFFFFFF);
        const TColor dark = a->BorderColor == clNone ? TColor(0x808080) : a->BorderColor;
        for (auto& p : pts)
            dot(l + p[0] - 1, b + p[1] - 1, dark);
    }
}

// ============================================================================================
// the drop-down button
// ============================================================================================

TPlusDropDownSpeedButton::TPlusDropDownSpeedButton(TComponent* AOwner) : TCustomControl(AOwner)
{
    SetTakesFocus(false); // a press leaves the focus in the edit
}

void TPlusDropDownSpeedButton::Dispatch(TMessage& m)
{
    if (m.Msg == CM_MOUSEENTER || m.Msg == CM_MOUSELEAVE) {
        hot_ = m.Msg == CM_MOUSEENTER;
        Invalidate();
    }
    TCustomControl::Dispatch(m);
}

void TPlusDropDownSpeedButton::MouseDown(TMouseButton b, TShiftState s, int x, int y)
{
    TCustomControl::MouseDown(b, s, x, y);
    if (b != mbLeft || !Enabled())
        return;
    Down = true;
    Invalidate();
    // the pop-up opens on the press, not on the release
    auto* holder = dynamic_cast<TDropDownEditButton*>(Owner());
    if (holder && holder->OnButtonPress)
        holder->OnButtonPress(holder);
}

void TPlusDropDownSpeedButton::MouseUp(TMouseButton b, TShiftState s, int x, int y)
{
    Down = false;
    Invalidate();
    TCustomControl::MouseUp(b, s, x, y);
}

void TPlusDropDownSpeedButton::Paint()
{
    TCanvas* c = Canvas();
    auto* holder = dynamic_cast<TDropDownEditButton*>(Owner());
    const TRect r = ClientRect();
    auto arrow = [&](TColor col) {
        c->Pen->Color = col;
        c->Brush->Style = bsSolid;
        c->Brush->Color = col;
        const int dx = (r.Width() - 16) / 2, dy = (r.Height() - 17) / 2;
        c->Polygon({TPoint{5 + dx, 7 + dy}, TPoint{11 + dx, 7 + dy}, TPoint{8 + dx, 10 + dy}});
    };
    if (holder && holder->FaceColor != clNone) {
        TColor face = holder->FaceColor, arrowColor = holder->ArrowColor;
        if (hot_ && holder->FaceColorHot != clNone)
            face = holder->FaceColorHot;
        if (hot_ && holder->ArrowColorHot != clNone)
            arrowColor = holder->ArrowColorHot;
        if (Down && holder->FaceColorDown != clNone)
            face = holder->FaceColorDown;
        if (Down && holder->ArrowColorDown != clNone)
            arrowColor = holder->ArrowColorDown;
        c->Brush->Style = bsSolid;
        c->Brush->Color = face;
        c->Pen->Color = face;
        c->FillRect(r);
        if (holder->DropDown && holder->DropDown->BorderColor() != clNone) {
            c->Pen->Color = holder->DropDown->BorderColor();
            c->MoveTo(0, 0);
            c->LineTo(0, r.Bottom);
        }
        arrow(arrowColor == clNone ? TColor(clBlack) : arrowColor);
        return;
    }
    if (!glyph_->Empty()) {
        c->Brush->Color = clBtnFace;
        c->Pen->Color = 0x808080;
        c->Rectangle(r);
        c->Draw(0, 0, glyph_.get());
        return;
    }
    // the classic face: raised, sunken while pressed
    const bool enabled = Enabled() && !(holder && holder->DropDown && holder->DropDown->ReadOnly());
    c->Brush->Style = bsSolid;
    c->Brush->Color = hot_ && enabled ? TColor(0xF0E6DC) : TColor(clBtnFace);
    c->FillRect(r);
    RECT rr = r;
    DrawEdge(c->Handle(), &rr, Down ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    arrow(enabled ? TColor(clBlack) : TColor(clGrayText));
}

TDropDownEditButton::TDropDownEditButton(TComponent* AOwner) : TCustomControl(AOwner)
{
    SetTakesFocus(false);
    button_ = new TPlusDropDownSpeedButton(this);
    button_->SetParent(this);
    button_->ButtonStyle = bsDropDown;
    TCustomControl::SetBounds(0, 0, 16, 25);
    button_->SetBounds(0, 0, 16, 25);
}

void TDropDownEditButton::SetBounds(int l, int t, int w, int h)
{
    (void)w;
    TCustomControl::SetBounds(l, t, ButtonWidth, h);
    if (button_)
        button_->SetBounds(0, 0, ButtonWidth, h);
}

void TDropDownEditButton::SetEnabled(bool v)
{
    TCustomControl::SetEnabled(v);
    if (button_) {
        button_->SetEnabled(v);
        button_->Invalidate();
    }
}

// ============================================================================================
// the pop-up window
// ============================================================================================

namespace {
// The pop-up's background and border, behind the bars and the hosted control.
class TDropDownBackground : public TCustomControl {
public:
    explicit TDropDownBackground(TDropDownForm* form) : TCustomControl(form), form_(form) { SetTakesFocus(false); }

protected:
    void Paint() override { form_->PaintBackground(Canvas()); }

private:
    TDropDownForm* form_;
};
} // namespace

TRect TDropDownForm::ClientRect() const
{
    TRect r = TPopupForm::ClientRect();
    if (PlusDropDown) {
        const int bw = std::max(0, PlusDropDown->DropDownBorderWidth);
        r = TRect(r.Left + bw, r.Top + bw, r.Right - bw, r.Bottom - bw);
    }
    return r;
}

TDropDownForm::TDropDownForm(TComponent* AOwner) : TPopupForm(AOwner)
{
    background_ = new TDropDownBackground(this);
    background_->SetParent(this);
    // the served drop-down decides about closing
    TPopupForm::DeactivateCloses = false;
    EscapeCloses = false;
    KeyPreview = true;
}

TDropDownForm::~TDropDownForm()
{
    DoDestroy();
}

bool TDropDownForm::Showing() const { return TForm::Showing(); }

void TDropDownForm::CreateParams(TCreateParams& params)
{
    TPopupForm::CreateParams(params);
    params.ExStyle |= WS_EX_TOPMOST;
    if (ShadowEnabled)
        params.WindowClass.style |= CS_DROPSHADOW;
    else
        params.WindowClass.style &= ~DWORD(0x20000); // CS_DROPSHADOW
}

void TDropDownForm::ApplyShadow()
{
    if (!HandleAllocated())
        return; // the window is created with the wanted class style
    const LONG style = GetWindowLong(Handle(), GCL_STYLE);
    SetWindowLong(Handle(), GCL_STYLE, ShadowEnabled ? style | LONG(CS_DROPSHADOW) : style & ~LONG(CS_DROPSHADOW));
}

void TDropDownForm::Dispatch(TMessage& m)
{
    if (m.Msg == WM_ACTIVATE && IgnoreActivation) {
        TForm::Dispatch(m);
        return;
    }
    if (m.Msg == WM_NCHITTEST) {
        // only the bottom-right corner sizes, and only with GripSizing
        const TPoint p = ScreenToClient(TPoint{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)});
        m.Result = GripSizing && p.X > Width() - 10 && p.Y > Height() - 10 ? HTBOTTOMRIGHT : HTNOWHERE;
        return;
    }
    if (m.Msg == WM_GETDLGCODE) {
        m.Result = DLGC_WANTARROWS | DLGC_WANTALLKEYS;
        return;
    }
    const bool wasVisible = Visible();
    TPopupForm::Dispatch(m);
    if (m.Msg == WM_ACTIVATE && LOWORD(m.WParam) == WA_INACTIVE && wasVisible && Visible()) {
        for (HWND w = GetParent(reinterpret_cast<HWND>(m.LParam)); w; w = GetParent(w))
            if (w == Handle())
                return;
        if (PlusDropDown)
            PlusDropDown->HideDropDown(DeactivateCancels);
        else
            SetVisible(false);
        return;
    }
    if (m.Msg == WM_SIZE && background_) {
        background_->SetBounds(0, 0, Width(), Height());
        background_->Invalidate();
    }
}

void TDropDownForm::KeyDown(WORD& key, TShiftState shift)
{
    TForm::KeyDown(key, shift);
    if (key && OnFormKeyDown)
        OnFormKeyDown(this, key, shift);
}

void TDropDownForm::KeyUp(WORD& key, TShiftState shift)
{
    TForm::KeyUp(key, shift);
    if (key && OnFormKeyUp)
        OnFormKeyUp(this, key, shift);
}

void TDropDownForm::KeyPress(char& key)
{
    TForm::KeyPress(key);
    if (key && OnFormKeyPress)
        OnFormKeyPress(this, key);
}

bool TDropDownForm::DoMouseWheelDown(TShiftState shift, TPoint pos)
{
    const bool r = TForm::DoMouseWheelDown(shift, pos);
    if (PlusDropDown)
        PlusDropDown->DropDownFormWheelDown();
    return r;
}

bool TDropDownForm::DoMouseWheelUp(TShiftState shift, TPoint pos)
{
    const bool r = TForm::DoMouseWheelUp(shift, pos);
    if (PlusDropDown)
        PlusDropDown->DropDownFormWheelUp();
    return r;
}

void TDropDownForm::PaintBackground(TCanvas* Canvas)
{
    TPlusCustomDropDown* d = PlusDropDown;
    if (!d || !Canvas)
        return;
    const int bw = d->DropDownBorderWidth;
    TRect full(0, 0, Width(), Height());
    TRect r(bw, bw, Width() - bw, Height() - bw);
    if (d->DropDownColor != clNone && d->DropDownColorEnd != clNone)
        DrawGradient(Canvas, d->DropDownColor, d->DropDownColorEnd, 80, r,
                     d->DropDownGradientDirection == gdHorizontal);
    else if (d->DropDownColor != clNone) {
        Canvas->Brush->Style = bsSolid;
        Canvas->Brush->Color = d->DropDownColor;
        Canvas->FillRect(r);
    }
    if (bw >= 1 && d->DropDownBorderColor != clNone) {
        Canvas->Brush->Style = bsClear;
        Canvas->Pen->Width = bw;
        Canvas->Pen->Color = d->DropDownBorderColor;
        Canvas->Rectangle(full.Left + bw / 2, full.Top + bw / 2, full.Right, full.Bottom);
        Canvas->Pen->Width = 1;
    }
}

void TDropDownForm::UpdateBars()
{
    TPlusCustomDropDown* d = PlusDropDown;
    if (!d)
        return;
    if (header_) {
        header_->SetPlusDropDown(d);
        header_->UpdateButtons();
        header_->SetVisible(d->DropDownHeader()->Visible());
    } else if (d->DropDownHeader()->Visible()) {
        header_ = new TPlusHeader(this);
        header_->SetParent(this);
        header_->SetHeight(d->DropDownHeader()->Height);
        header_->SetPlusDropDown(d);
        header_->UpdateButtons();
        header_->Align = alTop;
    }
    if (header_) {
        header_->OnDrawBackGround = d->OnDrawHeader;
        header_->OnGetText = d->OnGetHeaderText;
    }
    if (footer_) {
        footer_->SetPlusDropDown(d);
        footer_->UpdateButtons();
        footer_->SetVisible(d->DropDownFooter()->Visible());
    } else if (d->DropDownFooter()->Visible()) {
        footer_ = new TPlusFooter(this);
        footer_->SetParent(this);
        footer_->SetHeight(d->DropDownFooter()->Height);
        footer_->SetPlusDropDown(d);
        footer_->UpdateButtons();
        footer_->Align = alBottom;
    }
    if (footer_) {
        footer_->OnDrawBackGround = d->OnDrawFooter;
        footer_->OnGetText = d->OnGetFooterText;
    }
    Realign();
}

// ============================================================================================
// the drop-down edit base
// ============================================================================================

TPlusCustomDropDown::TPlusCustomDropDown(TComponent* AOwner) : TCustomMaskEdit(AOwner)
{
    // keys typed between the opening key and the pop-up taking the keyboard belong to the pop-up
    ForwardKeysTypedAhead(this, [this]() -> TForm* {
        if (!droppedDown_ || !form_ || !form_->Visible() || HasState(csDestroying))
            return nullptr;
        return form_;
    });
    header_ = std::make_unique<THeaderAppearance>(this);
    footer_ = std::make_unique<TFooterAppearance>(this);
    buttonAppearance_ = std::make_unique<TPlusButtonAppearance>();
    header_->OnChange = [this](TObject*) { AppearanceChanged(); };
    footer_->OnChange = [this](TObject*) { AppearanceChanged(); };
    TabStop = true;
    DropDownBorderColor = clBlack;
    SetBounds(Left(), Top(), 200, 21);
    CreateDropDownForm();
    CreateDropDownButton();
    SetReadOnly(false);
    SetText("");
    value_.OnPasteText = [this](const String& v, bool& allow) {
        if (OnPasteText)
            OnPasteText(this, v, allow);
    };
    SetSelectionColorStyle(1);
    ApplyColorStyle(4);
    labelFont_ = std::make_unique<TFont>();
    labelFont_->OnChange = [this](TObject*) {
        if (label_)
            UpdateLabel();
        if (HasState(csDesigning) && !HasState(csLoading))
            ParentFont = false;
    };
    constructing_ = false;
}

TPlusCustomDropDown::~TPlusCustomDropDown()
{
    if (form_) {
        form_->PlusDropDown = nullptr;
        form_->OnHide = nullptr;
        delete form_;
        form_ = nullptr;
    }
}

void TPlusCustomDropDown::Assign(TPersistent* Source)
{
    auto* s = dynamic_cast<TPlusCustomDropDown*>(Source);
    if (!s)
        return;
    ShowFocusLook = s->ShowFocusLook;
    ReshowForShadow = s->ReshowForShadow;
    DropDownEnabled = s->DropDownEnabled;
    DropDownColor = s->DropDownColor;
    DropDownColorEnd = s->DropDownColorEnd;
    DropDownGradientDirection = s->DropDownGradientDirection;
    DropDownBorderColor = s->DropDownBorderColor;
    DropDownBorderWidth = s->DropDownBorderWidth;
    DropDownShadow = s->DropDownShadow;
    SetDropDownWidth(s->dropDownWidth_);
    SetDropDownHeight(s->dropDownHeight_);
    DropDownSizeable = s->DropDownSizeable;
    value_.EditRule = s->value_.EditRule;
    ReturnAsTab = s->ReturnAsTab;
    KeypadDecimalSeparator = s->KeypadDecimalSeparator;
    value_.IntegerDigitLimit = s->value_.IntegerDigitLimit;
    value_.Precision = s->value_.Precision;
    value_.TextPrefix = s->value_.TextPrefix;
    value_.TextSuffix = s->value_.TextSuffix;
    ForwardOnKeyDown = s->ForwardOnKeyDown;
    EscapeSelectsValue = s->EscapeSelectsValue;
    value_.AllowedChars = s->value_.AllowedChars;
    value_.Signed = s->value_.Signed;
    value_.AutoThousands = s->value_.AutoThousands;
    buttonAppearance_->Assign(s->buttonAppearance_.get());
    header_->Assign(s->header_.get());
    footer_->Assign(s->footer_.get());
    DropPosition = s->DropPosition;
    FlatStyle = s->FlatStyle;
    SetDropDownButtonWidth(s->buttonWidth_);
    SetDropDownButtonHint(s->buttonHint_);
    editorEnabled_ = s->editorEnabled_;
    if (button_ && s->button_) {
        button_->SpeedButton()->Glyph()->Assign(s->button_->SpeedButton()->Glyph());
        button_->SpeedButton()->ButtonCaption = s->button_->SpeedButton()->ButtonCaption;
    }
    images_ = s->images_;
    selectionStyle_ = s->selectionStyle_;
    SelectionColor = s->SelectionColor;
    SelectionColorTo = s->SelectionColorTo;
}

// ---------------------------------------------------------------- value text

void TPlusCustomDropDown::PullValue()
{
    value_.EditText = TCustomEdit::Text();
    value_.SelStart = TCustomEdit::SelStart();
    value_.SelLength = TCustomEdit::SelLength();
    value_.MaxLength = MaxLength();
}

void TPlusCustomDropDown::Change()
{
    ++changeCount_;
    TCustomMaskEdit::Change();
}

void TPlusCustomDropDown::PushValue(bool wasModified)
{
    const String old = TCustomEdit::Text();
    const String now = value_.EditText; // a change handler may set the value anew
    if (now != old) {
        const auto ascii = [](const String& t) {
            return std::all_of(t.begin(), t.end(), [](char c) { return (unsigned char)c < 0x80; });
        };
        bool replaced = false;
        if (ascii(old) && ascii(now)) {
            // Only the changed middle is replaced, as the edit does for a typed character, so
            // that a change handler sees the caret after it.
            size_t p = 0;
            while (p < old.size() && p < now.size() && old[p] == now[p])
                ++p;
            size_t q = 0;
            while (q < old.size() - p && q < now.size() - p && old[old.size() - 1 - q] == now[now.size() - 1 - q])
                ++q;
            const unsigned changes = changeCount_;
            Perform(EM_SETSEL, WPARAM(p), LPARAM(old.size() - q));
            const String middle = now.substr(p, now.size() - q - p);
            Perform(EM_REPLACESEL, 1, LPARAM(middle.c_str()));
            if (TCustomEdit::Text() != now && changes != changeCount_)
                return; // a change handler rewrote the text and placed the caret itself
            replaced = TCustomEdit::Text() == now;
        }
        if (!replaced)
            TCustomEdit::SetText(now);
    }
    TCustomEdit::SetSelStart(value_.SelStart);
    TCustomEdit::SetSelLength(value_.SelLength);
    if (value_.Modified && !wasModified)
        TCustomEdit::SetModified(true);
}

String TPlusCustomDropDown::GetText() const
{
    TDropDownValueText v = value_;
    v.EditText = TCustomMaskEdit::Text();
    return v.GetText();
}

void TPlusCustomDropDown::SetText(const String& Value)
{
    value_.SetText(Value);
    SetTextDirect(value_.EditText);
    TCustomEdit::SetModified(false);
}

void TPlusCustomDropDown::SetTextDirect(const String& Value) { TCustomMaskEdit::SetText(Value); }

double TPlusCustomDropDown::GetFloatValue() const
{
    TDropDownValueText v = value_;
    v.EditText = TCustomMaskEdit::Text();
    return v.GetFloatValue();
}

void TPlusCustomDropDown::SetFloatValue(double x)
{
    PullValue();
    const String lastSet = value_.LastSetText();
    value_.SetFloatValue(x);
    SetTextDirect(value_.EditText);
    SetValueModified(true);
    (void)lastSet;
}

void TPlusCustomDropDown::SetIntValue(int64_t n)
{
    PullValue();
    value_.SetIntValue(n);
    SetTextDirect(value_.EditText);
    SetValueModified(true);
}

void TPlusCustomDropDown::SetValueModified(bool v)
{
    value_.Modified = v;
    TCustomEdit::SetModified(v);
}

void TPlusCustomDropDown::SelectValue()
{
    PullValue();
    value_.SelectValue();
    PushValue(true);
}

void TPlusCustomDropDown::SetEditRule(TDropDownEditRule r)
{
    if (r == value_.EditRule)
        return;
    PullValue();
    value_.SetEditRule(r);
    SetPasswordChar(r == erPassword ? '*' : 0);
    if (r == erPassword)
        EscapeSelectsValue = false;
    SetTextDirect(value_.EditText);
}

void TPlusCustomDropDown::SetTextPrefix(const String& v)
{
    const String value = GetText();
    value_.TextPrefix = v;
    SetTextDirect(v + value + value_.TextSuffix);
}

void TPlusCustomDropDown::SetTextSuffix(const String& v)
{
    const String value = GetText();
    value_.TextSuffix = v;
    SetTextDirect(value_.TextPrefix + value + v);
}

void TPlusCustomDropDown::SetPrecision(int v)
{
    PullValue();
    value_.SetPrecision(v);
    if (value_.EditText != TCustomEdit::Text())
        SetTextDirect(value_.EditText);
}

// ---------------------------------------------------------------- properties

void TPlusCustomDropDown::SetEditorEnabled(bool v)
{
    editorEnabled_ = v;
    if (v)
        ControlStyle << csDoubleClicks;
    else
        ControlStyle >> csDoubleClicks;
}

void TPlusCustomDropDown::SetBorderColor(TColor c)
{
    if (c == borderColor_)
        return;
    borderColor_ = c;
    Invalidate();
    if (button_)
        button_->SpeedButton()->Invalidate();
}

void TPlusCustomDropDown::SetDropDownWidth(int v)
{
    if (v != dropDownWidth_)
        userWidth_ = -1;
    dropDownWidth_ = v;
}

void TPlusCustomDropDown::SetDropDownHeight(int v)
{
    if (v != dropDownHeight_)
        userHeight_ = -1;
    dropDownHeight_ = v;
}

void TPlusCustomDropDown::SetDropDownButtonWidth(int v)
{
    if (!button_ || v == buttonWidth_)
        return;
    buttonWidth_ = v;
    button_->ButtonWidth = v;
    AdjustHeightAndButton();
}

void TPlusCustomDropDown::SetDropDownButtonHint(const String& v)
{
    if (v == buttonHint_)
        return;
    buttonHint_ = v;
    if (button_) {
        button_->SetHint(v);
        button_->ShowHint = !v.empty();
        button_->SpeedButton()->SetHint(v);
        button_->SpeedButton()->ShowHint = !v.empty();
    }
}

void TPlusCustomDropDown::SetDropDownControl(TControl* c)
{
    if (c == control_)
        return;
    control_ = c;
    if (c)
        c->FreeNotification(this);
    PlaceDropDownControl();
}

String TPlusCustomDropDown::LabelCaption() const { return label_ ? label_->Caption() : String(); }

void TPlusCustomDropDown::SetLabelCaption(const String& v)
{
    if (!label_) {
        label_ = new TLabel(this);
        label_->FreeNotification(this);
        label_->SetParent(Parent());
        label_->OnClick = [this](TObject*) { DoLabelClick(); };
        label_->OnDblClick = [this](TObject*) { DoLabelDblClick(); };
        label_->Font()->Assign(labelFont_.get());
        label_->ParentFont = ParentFont;
        label_->SetFocusControl(this);
    }
    label_->SetCaption(v);
    UpdateLabel();
}

void TPlusCustomDropDown::SetLabelTransparent(bool v)
{
    labelTransparent_ = v;
    UpdateLabel();
}

void TPlusCustomDropDown::SetLabelAlwaysEnabled(bool v)
{
    labelAlwaysEnabled_ = v;
    if (label_ && v)
        label_->SetEnabled(true);
}

void TPlusCustomDropDown::SetLabelFont(TFont* f)
{
    if (!ParentFont)
        labelFont_->Assign(f);
    UpdateLabel();
}

void TPlusCustomDropDown::Loaded()
{
    TCustomMaskEdit::Loaded();
    parentFontAtLoad_ = ParentFont;
    UpdateEditRect();
    AdjustHeightAndButton();
    if (button_)
        button_->SetEnabled(Enabled());
    if (label_ && !labelAlwaysEnabled_)
        label_->SetEnabled(Enabled());
    UpdateLabel();
    if (label_ && ParentFont)
        label_->Font()->Assign(Font());
}

void TPlusCustomDropDown::Notification(TComponent* component, TOperation operation)
{
    TCustomMaskEdit::Notification(component, operation);
    if (operation != opRemove)
        return;
    if (component == label_)
        label_ = nullptr;
    if (component == control_)
        control_ = nullptr;
    if (component == DropDownFocusControl)
        DropDownFocusControl = nullptr;
    if (component == images_)
        images_ = nullptr;
    if (component == form_)
        form_ = nullptr;
}

void TPlusCustomDropDown::SetLabelPosition(TLabelPosition p)
{
    labelPosition_ = p;
    UpdateLabel();
}

void TPlusCustomDropDown::SetLabelMargin(int m)
{
    labelMargin_ = m;
    UpdateLabel();
}

void TPlusCustomDropDown::DoLabelClick()
{
    if (OnLabelClicked)
        OnLabelClicked(this);
}

void TPlusCustomDropDown::DoLabelDblClick()
{
    if (OnLabelDoubleClicked)
        OnLabelDoubleClicked(this);
}

void TPlusCustomDropDown::UpdateLabel()
{
    if (!label_)
        return;
    if (label_->Parent() != Parent())
        label_->SetParent(Parent());
    if (!label_->Parent())
        return;
    label_->SetTransparent(labelTransparent_);
    label_->Font()->Assign(parentFontAtLoad_ ? Font() : labelFont_.get());
    label_->Font()->Changed();
    const int L = Left(), T = Top(), W = Width(), H = Height(), m = labelMargin_;
    TCanvas c;
    HDC dc = CreateCompatibleDC(nullptr);
    c.SetHandle(dc);
    c.Font->Assign(label_->Font());
    const int w = c.TextWidth(label_->DisplayText());
    label_->SetHeight(c.TextHeight("Ag")); // the label is as high as its text
    c.SetHandle(nullptr);
    DeleteDC(dc);
    const int lh = label_->Height(), lw = w;
    label_->SetWidth(w);
    const int centred = lh < H ? T + (H - lh) / 2 : T - (lh - H) / 2;
    int top = T, left = L - w - m;
    switch (labelPosition_) {
    case lpLeftTop: break;
    case lpLeftCenter: top = centred; break;
    case lpLeftBottom: top = T + H - lh; break;
    case lpTopLeft: top = T - lh - m, left = L; break;
    case lpBottomLeft: top = T + H + m, left = L; break;
    case lpLeftTopLeft: left = L - m; break;
    case lpLeftCenterLeft: top = centred, left = L - m; break;
    case lpLeftBottomLeft: top = T + H - lh, left = L - m; break;
    case lpTopCenter:
    case lpBottomCenter:
        top = labelPosition_ == lpTopCenter ? T - lh - m : T + H + m;
        left = W - lw < 1 ? L - (lw - W) / 2 : L + (W - lw) / 2;
        break;
    case lpRightTop: left = L + W + m; break;
    case lpRightCenter: top = centred, left = L + W + m; break;
    case lpRighBottom: top = T + H - lh, left = L + W + m; break;
    case lpTopRight: top = T - lh - m, left = L + W - lw; break;
    case lpBottomRight: top = T + H + m, left = L + W - lw; break;
    }
    label_->SetBounds(left, top, w, lh);
    label_->SetVisible(Visible());
}

void TPlusCustomDropDown::SetBounds(int l, int t, int w, int h)
{
    TCustomMaskEdit::SetBounds(l, t, w, h);
    if (label_ && label_->Parent())
        UpdateLabel();
}

// ---------------------------------------------------------------- layout

int TPlusCustomDropDown::MinEditHeight()
{
    TCanvas c;
    HDC dc = CreateCompatibleDC(nullptr);
    c.SetHandle(dc);
    c.Font->Assign(Font());
    const int own = c.TextHeight("Ag");
    TFont screenFont;
    c.Font->Assign(&screenFont);
    const int screen = c.TextHeight("Ag");
    c.SetHandle(nullptr);
    DeleteDC(dc);
    return own + std::min(own, screen) / 4;
}

void TPlusCustomDropDown::AdjustHeightAndButton()
{
    const int minH = MinEditHeight();
    if (Height() < minH) {
        SetHeight(minH);
        return;
    }
    if (button_) {
        const int b = BorderStyle() == bsNone ? 2 : (FlatStyle ? 3 : 4);
        const int t = FlatStyle ? 1 : -1;
        if (BorderStyle() == bsSingle)
            button_->SetBounds(Width() - button_->ButtonWidth - b / 2, t + 1 + (b == 4 ? 1 : 0), button_->ButtonWidth,
                               Height() - b);
        else
            button_->SetBounds(Width() - button_->ButtonWidth, 1, button_->ButtonWidth, Height() - 2);
        UpdateEditRect();
    }
    Invalidate();
}

void TPlusCustomDropDown::UpdateEditRect()
{
    RECT r;
    if (BorderStyle() == bsNone)
        r = RECT{2, 3, 0, 0};
    else
        r = RECT{1, 1, 0, 0};
    r.right = ClientWidth() - (button_ ? button_->ButtonWidth : 0) - 3;
    r.bottom = ClientHeight() + 1;
    editRect_ = TRect(r.left, r.top, r.right, r.bottom);
    Perform(EM_SETRECTNP, 0, LPARAM(&r));
}

void TPlusCustomDropDown::CreateParams(TCreateParams& params)
{
    TCustomMaskEdit::CreateParams(params);
    params.Style |= WS_CLIPCHILDREN | ES_MULTILINE;
    // one line that scrolls, not a wrapping block
    params.Style |= ES_AUTOHSCROLL;
}

void TPlusCustomDropDown::CreateWnd()
{
    TCustomMaskEdit::CreateWnd();
    UpdateEditRect();
}

// ---------------------------------------------------------------- the button and the pop-up

void TPlusCustomDropDown::CreateDropDownButton()
{
    if (button_)
        return;
    button_ = new TDropDownEditButton(this);
    button_->DropDown = this;
    button_->SetParent(this);
    button_->OnButtonPress = [this](TObject*) { ButtonPressed(); };
    UpdateDropDownButton();
}

void TPlusCustomDropDown::UpdateDropDownButton()
{
    button_->ButtonWidth = buttonWidth_;
    button_->SetBounds(button_->Left(), button_->Top(), buttonWidth_, 17);
    button_->SetVisible(true);
    button_->FocusControl = this;
    AdjustHeightAndButton();
}

void TPlusCustomDropDown::CreateDropDownForm()
{
    if (form_)
        return;
    form_ = new TDropDownForm(this);
    form_->PlusDropDown = this;
    form_->SetVisible(false);
    form_->SetBounds(0, 0, std::max(1, dropDownWidth_), std::max(1, dropDownHeight_));
    form_->OnHide = [this](TObject*) {
        if (droppedDown_)
            DropDownFormHidden();
    };
    form_->OnFormKeyPress = [this](TObject*, char& k) { DropDownFormKeyPress(k); };
    form_->OnFormKeyDown = [this](TObject*, WORD& k, TShiftState s) { DropDownFormKeyDown(k, s); };
    form_->OnFormKeyUp = [this](TObject*, WORD& k, TShiftState s) { DropDownFormKeyUp(k, s); };
    form_->OnDestroy = [this](TObject*) { DropDownFormDestroyed(); };
    form_->OnSizing = [this](TObject*) { DropDownFormShown(); };
    form_->OnClose = [](TObject*, TCloseAction&) {};
}

void TPlusCustomDropDown::ButtonPressed()
{
    if (!form_ || form_->Visible())
        return;
    const DWORD tick = form_->DeactivationTick();
    if (tick != 0 && GetTickCount() - tick <= 250)
        return;
    ShowDropDown();
}

void TPlusCustomDropDown::BeforeDropDown()
{
    if (OnBeforeDropDown)
        OnBeforeDropDown(this);
}

void TPlusCustomDropDown::FocusDropDownControl()
{
    if (DropDownFocusControl && DropDownFocusControl->TabStop && DropDownFocusControl->CanFocus() &&
        !DropDownFocusControl->Focused())
        DropDownFocusControl->SetFocus();
}

void TPlusCustomDropDown::PlaceDropDownControl()
{
    if (!form_ || !control_)
        return;
    control_->SetParent(form_);
    control_->SetTop(header_->Visible() ? header_->Height + 2 : DropDownBorderWidth);
    // The control fills the open pop-up; while the pop-up is hidden it keeps the size its
    // drop-down gives it, from which the pop-up takes its size at the next opening.
    control_->Align = placing_ ? alClient : alNone;
}

void TPlusCustomDropDown::AdaptDropDownSize()
{
    if (!form_)
        return;
    const bool control = control_ && control_->Visible();
    const int w = dropDownWidth_ > 0 ? dropDownWidth_ : control ? control_->Width() : Width();
    int h = dropDownHeight_;
    if (h <= 0) {
        h = 2 * DropDownBorderWidth;
        if (header_->Visible())
            h += header_->Height;
        if (footer_->Visible())
            h += footer_->Height;
        if (control)
            h += control_->Height();
    }
    form_->SetBounds(form_->Left(), form_->Top(), std::max(80, w), std::max(50, h));
}

void TPlusCustomDropDown::ShowDropDown()
{
    if (!form_ || form_->Visible() || !Enabled() || ReadOnly())
        return;
    BeforeDropDown();
    form_->ShadowEnabled = DropDownShadow;
    form_->UpdateBars();
    form_->ApplyShadow();
    form_->SetBounds(Left(), Top(), form_->Width(), form_->Height());
    AdaptDropDownSize();
    placing_ = true;
    PlaceDropDownControl();
    placing_ = false;
    if (auto* wc = dynamic_cast<TWinControl*>(control_)) {
        wc->OnKeyDown = [this](TObject*, WORD& k, TShiftState s) { DropDownControlKeyDown(k, s); };
        wc->OnKeyUp = [this](TObject*, WORD& k, TShiftState s) { DropDownControlKeyUp(k, s); };
        wc->OnKeyPress = [this](TObject*, char& k) { DropDownControlKeyPress(k); };
    }
    const TPoint p = Parent() ? Parent()->ClientToScreen(TPoint{Left(), Top()}) : ClientToScreen(TPoint{0, 0});
    RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0);
    const TPoint at = DropDownPlacement(p, Height(), form_->Width(), form_->Height(), DropPosition,
                                        GetSystemMetrics(SM_CYSCREEN), TRect(work.left, work.top, work.right, work.bottom));
    bool accept = true;
    if (OnDropDown)
        OnDropDown(this, accept);
    if (!accept)
        return;
    const int w = userWidth_ != -1 ? userWidth_ : form_->Width();
    const int h = userHeight_ != -1 ? userHeight_ : form_->Height();
    form_->SetPopupParent(GetParentForm(this));
    form_->SetBounds(at.X, at.Y, w, h);
    form_->Show();
    if (DropDownShadow && ReshowForShadow) {
        // shown a second time so that the shadow is drawn
        form_->SetVisible(false);
        form_->Show();
    }
    droppedDown_ = true;
    form_->Realign();
    FocusDropDownControl();
}

void TPlusCustomDropDown::HideDropDown(bool Cancel)
{
    if (!form_ || !form_->Visible())
        return;
    if (OnBeforeCloseUp)
        OnBeforeCloseUp(this);
    userWidth_ = form_->Width();
    userHeight_ = form_->Height();
    const auto life = Life();
    // a pop-up that closes while active hands the activation back to the form of the edit
    const bool wasActive = form_->ActiveLook();
    form_->SetVisible(false);
    if (!*life)
        return;
    if (TForm* owner = GetParentForm(this); owner && wasActive && owner->Visible())
        owner->Show();
    if (droppedDown_)
        DropDownFormHidden();
    Application->CancelHint();
    if (Cancel)
        SetText(CancelledText());
    if (OnDropUp)
        OnDropUp(this, Cancel);
}

void TPlusCustomDropDown::DropDownFormHidden()
{
    droppedDown_ = false;
    if (control_ && control_->Parent() == form_)
        control_->Align = alNone;
    if (TabStop && CanFocus() && !Focused() && !HasState(csDestroying))
        SetFocus();
}

void TPlusCustomDropDown::AppearanceChanged()
{
    if (form_ && droppedDown_)
        form_->UpdateBars();
}

void TPlusCustomDropDown::DropDownFormKeyPress(char& Key) { Perform(WM_CHAR, WPARAM(uint8_t(Key)), 0); }
void TPlusCustomDropDown::DropDownFormKeyDown(WORD& Key, TShiftState) { Perform(WM_KEYDOWN, Key, 0); }
void TPlusCustomDropDown::DropDownFormKeyUp(WORD& Key, TShiftState) { Perform(WM_KEYUP, Key, 0); }
void TPlusCustomDropDown::DropDownControlKeyDown(WORD& Key, TShiftState) { Perform(WM_KEYDOWN, Key, 0); }
void TPlusCustomDropDown::DropDownControlKeyUp(WORD& Key, TShiftState) { Perform(WM_KEYUP, Key, 0); }
void TPlusCustomDropDown::DropDownControlKeyPress(char& Key) { Perform(WM_CHAR, WPARAM(uint8_t(Key)), 0); }

// ---------------------------------------------------------------- keys

void TPlusCustomDropDown::KeyDown(WORD& Key, TShiftState Shift)
{
    TCustomMaskEdit::KeyDown(Key, Shift);
    if (inKeyDown_)
        return; // the key-down handler applied the Alt rule already
    if (Shift.Contains(ssAlt) && (Key == VK_UP || Key == VK_DOWN)) {
        if (IsDroppedDown())
            HideDropDown(false);
        else
            ShowDropDown();
    }
}

void TPlusCustomDropDown::KeyPress(char& Key)
{
    TCustomMaskEdit::KeyPress(Key);
    if (Key == '\r')
        Key = 0;
}

void TPlusCustomDropDown::EditKeyDown(TMessage& m)
{
    WORD key = WORD(m.WParam);
    const bool alt = GetKeyState(VK_MENU) < 0;
    const bool ctrl = GetKeyState(VK_CONTROL) < 0;
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    bool altRule = false;
    if (alt && (key == VK_UP || key == VK_DOWN)) {
        altRule = true;
        if (IsDroppedDown())
            HideDropDown(false);
        else
            ShowDropDown();
    }
    auto inherited = [&] {
        inKeyDown_ = altRule;
        TCustomMaskEdit::Dispatch(m);
        inKeyDown_ = false;
    };
    if (editorEnabled_ || !Enabled()) {
        if (ctrl && (key == VK_TAB || key == VK_RETURN)) {
            inherited();
            return;
        }
        if (key == VK_RETURN && ReturnAsTab) {
            key = VK_TAB;
            m.WParam = VK_TAB;
            if (Visible()) {
                TWinControl* top = this;
                while (top->Parent())
                    top = top->Parent();
                PostMessage(top->Handle(), CM_DIALOGKEY, VK_TAB, 0);
            }
        }
        if (!IsMasked()) {
            PullValue();
            if (value_.KeyDown(key, shift)) {
                PushValue(true);
                m.WParam = 0;
                m.Result = 0;
                return;
            }
        }
        const auto life = Life();
        inherited();
        if (!*life)
            return;
        if (!IsMasked()) {
            PullValue();
            value_.AfterKeyDown(key);
            PushValue(true);
        }
        if (key == VK_RETURN)
            HideDropDown(false);
        else if (key == VK_ESCAPE)
            HideDropDown(true);
        else if (key == VK_F4) {
            if (form_ && form_->Visible())
                HideDropDown(false);
            else
                ShowDropDown();
        }
        return;
    }
    if (!ReadOnly()) {
        if (key == VK_RETURN)
            HideDropDown(false);
        else if (key == VK_ESCAPE)
            HideDropDown(true);
        else if (key == VK_F4) {
            if (form_ && form_->Visible())
                HideDropDown(false);
            else
                ShowDropDown();
        }
    }
    if (key == VK_RETURN || key == VK_ESCAPE)
        inherited();
    else if (altRule || key == VK_UP || key == VK_DOWN || key == VK_PRIOR || key == VK_NEXT) {
        // the descendants' own stepping keys still reach KeyDown
        WORD k = key;
        inKeyDown_ = true;
        KeyDown(k, KeyDataToShiftState(m.LParam));
        inKeyDown_ = false;
    }
}

void TPlusCustomDropDown::EditChar(TMessage& m)
{
    if (!editorEnabled_)
        return; // the character is ignored entirely
    char ch = char(m.WParam & 0xFF);
    const bool ctrl = GetKeyState(VK_CONTROL) < 0;
    if (ch == '\r' && ctrl) {
        m.WParam = 0;
        m.Result = 1;
        return;
    }
    if (ch == '\r') {
        char k = '\r';
        if (OnKeyPress)
            OnKeyPress(this, k);
        m.WParam = 0;
        if (!ForwardOnKeyDown && Parent()) {
            PostMessage(Parent()->Handle(), WM_KEYDOWN, VK_RETURN, 0);
            PostMessage(Parent()->Handle(), WM_KEYUP, VK_RETURN, 0);
        }
        return;
    }
    if (ch == 27 && !ForwardOnKeyDown && Parent()) {
        PostMessage(Parent()->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
        PostMessage(Parent()->Handle(), WM_KEYUP, VK_ESCAPE, 0);
    }
    if (ch == 27 && !EscapeSelectsValue) {
        TCustomMaskEdit::Dispatch(m);
        return;
    }
    if (ch == 27)
        return;
    // the numeric keypad's decimal key (bit 6 of its scan code) types the decimal separator
    if (KeypadDecimalSeparator && (ch == '.' || ch == ',') && (m.LParam & (LPARAM(1) << 22)))
        m.WParam = WPARAM(uint8_t(ch = DecSep()));
    if (IsMasked() || ReadOnly()) {
        TCustomMaskEdit::Dispatch(m);
        return;
    }
    // the dynamic key press first (descendants and OnKeyPress may change or drop it)
    KeyPress(ch);
    if (ch == 0)
        return;
    if (ch == 1 || ch == 3 || ch == 22 || ch == 24 || ch == 26) { // Ctrl+A, C, V, X, Z
        m.WParam = WPARAM(uint8_t(ch));
        TCustomEdit::DefaultHandler(m);
        return;
    }
    PullValue();
    const bool wasModified = value_.Modified;
    value_.TypeChar(ch, ctrl);
    PushValue(wasModified);
}

void TPlusCustomDropDown::WantSpecialKey(TMessage& m)
{
    TForm* form = GetParentForm(this);
    if (!form)
        return;
    const WORD key = m.CharCode();
    if (key == VK_ESCAPE && EscapeSelectsValue && !form->KeyPreview) {
        SelectValue();
        SetValueModified(false);
        m.Result = 0;
        if (Parent() && ForwardOnKeyDown) {
            // the parent hears of Esc as well
        }
    } else if (key == VK_RETURN && ForwardOnKeyDown && !form->KeyPreview && Parent() && Parent()->Focused()) {
        PostMessage(Parent()->Handle(), WM_KEYDOWN, VK_RETURN, 0);
        PostMessage(Parent()->Handle(), WM_KEYUP, VK_RETURN, 0);
    }
    TCustomMaskEdit::Dispatch(m);
    if (key == VK_ESCAPE && IsDroppedDown())
        m.Result = 1;
}

String TPlusCustomDropDown::SelectedValueText() const
{
    const String value = GetText();
    const int from = TCustomEdit::SelStart() - int(value_.TextPrefix.size());
    const int n = TCustomEdit::SelLength();
    if (from < 0 || from >= int(value.size()) || n <= 0)
        return String();
    return value.substr(size_t(from), size_t(n));
}

void TPlusCustomDropDown::CopyToClipboardChecked(TMessage& m)
{
    bool allow = true;
    if (OnCopyText && !copyBlocked_)
        OnCopyText(this, SelectedValueText(), allow);
    copyBlocked_ = false;
    if (allow)
        TCustomMaskEdit::Dispatch(m);
}

void TPlusCustomDropDown::CutToClipboardChecked(TMessage& m)
{
    if (!editorEnabled_ || ReadOnly())
        return;
    bool allow = true;
    copyBlocked_ = true;
    if (OnCutText)
        OnCutText(this, SelectedValueText(), allow);
    const auto life = Life();
    if (allow)
        TCustomMaskEdit::Dispatch(m);
    if (*life)
        copyBlocked_ = false;
}

void TPlusCustomDropDown::WndProc(TMessage& m)
{
    TCustomMaskEdit::WndProc(m);
    if (m.Msg == EM_SETREADONLY && button_)
        button_->SpeedButton()->Invalidate();
}

void TPlusCustomDropDown::Dispatch(TMessage& m)
{
    switch (m.Msg) {
    case WM_KEYDOWN:
        EditKeyDown(m);
        return;
    case WM_CHAR:
        EditChar(m);
        return;
    case CM_WANTSPECIALKEY:
        WantSpecialKey(m);
        return;
    case WM_GETDLGCODE:
        // Of the special keys the edit asks for the arrows only: Tab moves the focus on and
        // Return and Esc are offered to the form first (CM_WANTSPECIALKEY claims them while
        // they matter). It keeps asking for characters, so that a typed letter is never taken
        // for a label's accelerator.
        TCustomMaskEdit::Dispatch(m);
        m.Result = DLGC_WANTARROWS | (m.Result & (DLGC_WANTCHARS | DLGC_HASSETSEL));
        return;
    case WM_SETFOCUS:
        TCustomMaskEdit::Dispatch(m);
        if (editorEnabled_) {
            if (AutoSelect)
                SelectValue();
            else if (EditRule() == erFloat || EditRule() == erMoney) {
                PullValue();
                value_.CaretBeforeDecimals();
                PushValue(true);
            }
        } else
            Invalidate();
        return;
    case WM_KILLFOCUS:
        if (!IsMasked()) {
            PullValue();
            const bool wasModified = value_.Modified;
            value_.FocusLost();
            if (value_.EditText != TCustomEdit::Text())
                PushValue(wasModified);
        }
        TCustomMaskEdit::Dispatch(m);
        if (!editorEnabled_)
            Invalidate();
        return;
    case WM_COPY:
        CopyToClipboardChecked(m);
        return;
    case WM_CUT:
        CutToClipboardChecked(m);
        return;
    case WM_PASTE:
        if (IsMasked() || ReadOnly() || !editorEnabled_) {
            TCustomMaskEdit::Dispatch(m);
            return;
        }
        PullValue();
        if (value_.Paste(Clipboard()->AsText()))
            PushValue(false);
        else
            PushValue(true);
        return;
    case WM_LBUTTONUP:
        TCustomMaskEdit::Dispatch(m);
        if (!IsMasked() && editorEnabled_) {
            PullValue();
            value_.KeepSelectionInValue();
            PushValue(true);
        }
        return;
    case WM_SIZE:
        TCustomMaskEdit::Dispatch(m);
        AdjustHeightAndButton();
        return;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
        TCustomMaskEdit::Dispatch(m);
        if (Enabled() && mouseOver_ != (m.Msg == CM_MOUSEENTER)) {
            mouseOver_ = m.Msg == CM_MOUSEENTER;
            Invalidate();
        }
        return;
    case CM_ENABLEDCHANGED:
        TCustomMaskEdit::Dispatch(m);
        if (button_)
            button_->SetEnabled(Enabled());
        return;
    default:
        TCustomMaskEdit::Dispatch(m);
    }
}

void TPlusCustomDropDown::MouseDown(TMouseButton b, TShiftState s, int x, int y)
{
    TCustomMaskEdit::MouseDown(b, s, x, y);
    if (b == mbLeft && !editorEnabled_)
        ButtonPressed();
}

void TPlusCustomDropDown::DoEnter()
{
    TCustomMaskEdit::DoEnter();
    UpdateEditRect();
    Invalidate();
}

void TPlusCustomDropDown::DoExit()
{
    TCustomMaskEdit::DoExit();
    Invalidate();
}

bool TPlusCustomDropDown::DoMouseWheelDown(TShiftState shift, TPoint pos)
{
    const bool r = TCustomMaskEdit::DoMouseWheelDown(shift, pos);
    SelectNext();
    return r;
}

bool TPlusCustomDropDown::DoMouseWheelUp(TShiftState shift, TPoint pos)
{
    const bool r = TCustomMaskEdit::DoMouseWheelUp(shift, pos);
    SelectPrevious();
    return r;
}

// ---------------------------------------------------------------- looks

void TPlusCustomDropDown::PaintWindow(HDC dc)
{
    TCustomMaskEdit::PaintWindow(dc);
    TCanvas c;
    c.SetHandle(dc);
    if (!editorEnabled_ && Focused() && ShowFocusLook && FocusDraw) {
        TRect r(2, 2, Width() - buttonWidth_ - 1, Height() - 2);
        c.Pen->Color = clBlack;
        c.Brush->Color = clHighlight;
        c.Rectangle(r);
        r.Left += 2;
        r.Right -= 3;
        c.Font->Assign(Font());
        c.Font->Color = clHighlightText;
        c.Brush->Style = bsClear;
        RECT rr = r;
        c.RequiredState();
        DrawText(dc, GetText().c_str(), -1, &rr, DT_SINGLELINE | DT_VCENTER);
    }
    c.SetHandle(nullptr);
    if (!Enabled() || FlatStyle || borderColor_ != clNone || FocusBorderColor != clNone)
        DrawBorder(dc);
}

void TPlusCustomDropDown::DrawBorder(HDC dc)
{
    if (HasState(csDesigning))
        return;
    RECT r{0, 0, Width(), Height()};
    auto frame = [dc](const RECT& rr, TColor color) {
        HBRUSH b = CreateSolidBrush(ColorToColorRef(color));
        FrameRect(dc, &rr, b);
        DeleteObject(b);
    };
    if (!Enabled() && DisabledBorder) {
        frame(r, 0xC0C0C0);
    } else if (borderColor_ != clNone && (!Focused() || FocusBorderColor == clNone)) {
        frame(r, borderColor_);
    } else if (FocusBorderColor == clNone) {
        // the flat look: a sunken edge while the mouse is over the edit or it is the active
        // control, the parent's colour otherwise
        TForm* form = GetParentForm(this);
        const bool active = mouseOver_ || (form && form->ActiveControl() == this) || Focused();
        const TColor c = active ? TColor(clBtnFace) : (Parent() ? Parent()->Color() : TColor(clBtnFace));
        if (active) {
            DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
            frame(r, c);
        } else {
            frame(r, c);
            InflateRect(&r, -1, -1);
            frame(r, c);
        }
    } else if (Focused()) {
        frame(r, FocusBorderColor);
    }
    if (button_)
        button_->SpeedButton()->Focused = mouseOver_ || Focused();
}

void TPlusCustomDropDown::DrawFocus() { Invalidate(); }
void TPlusCustomDropDown::PaintBorder() { Invalidate(); }

void TPlusCustomDropDown::ApplyColorSet(const TControlColorSet& Colors)
{
    if (button_) {
        button_->FaceColor = Colors.Colors[0];
        button_->FaceColorHot = Colors.Colors[9];
        button_->FaceColorDown = Colors.Colors[6];
        button_->FaceBorderColor = Colors.Colors[1];
        button_->SpeedButton()->Invalidate();
    }
    SetBorderColor(Colors.Colors[1]);
}

void TPlusCustomDropDown::SetSelectionColorStyle(uint8_t Style)
{
    selectionStyle_ = Style;
    switch (Style) {
    case 1: SelectionColor = 0xD7FFFD, SelectionColorTo = 0x58D4FC; break;
    case 2: SelectionColor = 0xFDF8F1, SelectionColorTo = 0xFCEFD5; break;
    case 3: SelectionColor = 0xFCEBDC, SelectionColorTo = 0xFCDBC1; break;
    default: break;
    }
}

void TPlusCustomDropDown::DrawSelection(TCanvas* Canvas, TRect R, int Kind, int Extra)
{
    (void)Extra;
    switch (selectionStyle_) {
    case 0:
        Canvas->Brush->Color = SelectionColor;
        Canvas->Pen->Color = SelectionColor;
        Canvas->Rectangle(R);
        break;
    case 1:
        DrawOfficeButtonFrame(Canvas, SelectionColor, SelectionColorTo, clNone, clNone, 0xF4FEFF, 0xCAF8FF, 0xC3D9DF,
                              0x8DD7D3, 0x58D4FC, R, Kind);
        break;
    case 2:
        DrawOfficeButtonFrame(Canvas, SelectionColor, SelectionColorTo, clNone, clNone, 0xFDFBF6, 0xFDF5E7, 0xFCEDCB,
                              0xFDDE99, clNone, R, Kind);
        break;
    case 3:
        DrawOfficeButtonFrame(Canvas, SelectionColor, SelectionColorTo, clNone, clNone, 0xFDF4EB, 0xFDEADB, 0xE0C5AE,
                              0xCEA27D, clNone, R, Kind);
        break;
    default: break;
    }
}

void TPlusCustomDropDown::DrawButtonFace(TCanvas* Canvas, TColor Color, bool Vertical, TRect R, int Steps,
                                         TColor ColorTo)
{
    DrawGradient(Canvas, Color, ColorTo, Steps, R, !Vertical);
}

namespace {
struct TStyleColors {
    TColor dropColor, dropEnd, dropBorder;
    TColor barColor, barTo, barFont, barBorder;
    TColor btnColor, btnTo;
};
// The button colours from ColorHot on, shared by the styles of one family.
struct TButtonStateColors {
    TColor hot, hotTo, borderHot, down, downTo, borderDown, disabled, disabledTo, checked, checkedTo, borderChecked;
};
const TButtonStateColors kOfficeButtons{0xEBFDFF, 0xACECFF, 0x99CEDB, 0xAAD9FF, 0x6EBBFF, 0x42AEFE,
                                        0xF2F2F2, 0xB6B6B6, 0x76AFF1, 0x4190F3, 0x45667B};
const TButtonStateColors kModernButtons{0xF5E6D9, 0xF0D5BC, 0xE3B98F, 0xEBCDB0, 0xE2B58C, 0xC98A50,
                                        0xF4F4F4, 0xE6E6E6, 0xEBCDB0, 0xE2B58C, 0xC98A50};
} // namespace

void TPlusCustomDropDown::ApplyColorStyle(uint8_t Style)
{
    virelStyle_ = Style;
    if (Style == 8 || Style > 15)
        return;
    TStyleColors s{};
    TButtonStateColors b = kOfficeButtons;
    switch (Style) {
    case 0: s = {0xFFFFFF, clNone, clNone, 0xFCE1CB, 0xE0A57D, 0x5C3400, 0xE0A57D, 0xFCE1CB, 0xE0A57D}; break;
    case 1: s = {0xFFFFFF, clNone, clNone, 0xECE2E1, 0xB39698, 0x400040, 0xB39698, 0xECE2E1, 0xB39698}; break;
    case 2: s = {0xFFFFFF, clNone, clNone, 0xCFF0EA, 0x8CC0B1, 0x214F3F, 0x8CC0B1, 0xCFF0EA, 0x8CC0B1}; break;
    case 3: s = {0xFAF3EE, 0xF0E4DC, 0xB08C74, 0xFFF4EB, 0xEDD2BE, 0x6F3F1E, 0xD2B49C, 0xFFF4EB, 0xEDD2BE};
            b = {0xE9F8FF, 0xB6E3FF, 0x8FC6E8, 0x8ED1FF, 0x4CA8F4, 0x3C8AD0, 0xF2F2F2, 0xC8C8C8, 0x9CC8F0, 0x6AA8E6, 0x4E6E88};
            break;
    case 4: s = {0xF3E5DA, 0xF0DED0, clNone, 0xFFEFE3, 0xFFD2AF, 0x723708, 0xFFD2AF, 0xFFEFE3, 0xFFDDC4}; break;
    case 5: s = {0xFFFFFF, clNone, clNone, 0xF2F1F0, 0xC9C2BD, 0x303030, 0xC9C2BD, 0xF2F1F0, 0xC9C2BD}; break;
    case 6: s = {0xFFFFFF, clNone, clNone, clBtnFace, clBtnFace, clBtnText, clBtnShadow, clBtnFace, clBtnFace};
            b = {clBtnFace, clBtnFace, clHighlight, clHighlight, clHighlight, clHighlight, clBtnFace, clBtnFace,
                 clActiveCaption, clActiveCaption, clHighlight};
            break;
    case 7: s = {0xFDF8F1, 0xF7EBDA, clNone, 0xFFFFFF, 0xDFEDF0, 0x5C534C, 0xDFEDF0, 0xFFFFFF, 0xDFEDF0}; break;
    case 9: s = {0xF9F8F8, 0xE4E2DF, clNone, 0xF9F8F8, 0xE4E2DF, 0x424242, 0xBFBFBF, 0xF9F8F8, 0xE4E2DF}; break;
    case 10: s = {0xFFFFFF, clNone, 0x979797, 0xF6F6F6, 0xE9E9E9, 0x303030, 0x979797, 0xF6F6F6, 0xE9E9E9};
             b = {0xFCF0E4, 0xF8DEC4, 0xE0B58A, 0xF5DBC4, 0xEFC8A5, 0xC7915A, 0xF5F5F5, 0xE2E2E2, 0xF5DBC4, 0xEFC8A5, 0xB37C46};
             break;
    case 11: s = {0xFFFFFF, clNone, 0x979797, 0x4A4A4A, 0x303030, 0xFFFFFF, 0x202020, 0x5A5A5A, 0x404040};
             b = {0x7A7A7A, 0x606060, 0x202020, 0x9A6A3A, 0x7A4A1A, 0x301000, 0x6E6E6E, 0x5A5A5A, 0x9A6A3A, 0x7A4A1A, 0x301000};
             break;
    case 12: s = {0xFFFFFF, clNone, clBtnShadow, clBtnFace, clNone, clBtnText, clBtnShadow, clBtnFace, clNone};
             b = {clHighlight, clNone, clHighlight, clActiveCaption, clNone, clHighlight, clBtnFace, clNone,
                  clActiveCaption, clNone, clHighlight};
             break;
    default: // 13 to 15
        s = {0xFFFFFF, 0xF1EFED, 0xEDEDEC, 0xFBFAFA, 0xF1EFED, 0x3C3C3C, 0xDCDAD8, 0xFDFDFD, 0xF1EFED};
        b = kModernButtons;
        break;
    }
    DropDownColor = s.dropColor;
    DropDownColorEnd = s.dropEnd;
    DropDownBorderColor = s.dropBorder;
    for (THeaderAppearance* a : {static_cast<THeaderAppearance*>(header_.get()),
                                 static_cast<THeaderAppearance*>(footer_.get())}) {
        a->Color = s.barColor;
        a->ColorTo = s.barTo;
        a->Font()->Color = s.barFont;
        a->BorderColor = s.barBorder;
    }
    TPlusButtonAppearance* ba = buttonAppearance_.get();
    ba->Color = s.btnColor;
    ba->ColorTo = s.btnTo;
    ba->BorderColor = clNone;
    ba->ColorHot = b.hot;
    ba->ColorHotTo = b.hotTo;
    ba->BorderColorHot = b.borderHot;
    ba->ColorDown = b.down;
    ba->ColorDownTo = b.downTo;
    ba->BorderColorDown = b.borderDown;
    ba->ColorDisabled = b.disabled;
    ba->ColorDisabledTo = b.disabledTo;
    ba->ColorChecked = b.checked;
    ba->ColorCheckedTo = b.checkedTo;
    ba->BorderColorChecked = b.borderChecked;
    ba->Changed();
    if (form_)
        form_->Invalidate();
}

// ============================================================================================
// the item selector
// ============================================================================================

#include "components/grid/HtmlUtils.h"

void TSelectorItem::Assign(TPersistent* Source)
{
    auto* s = dynamic_cast<TSelectorItem*>(Source);
    if (!s) {
        TCollectionItem::Assign(Source);
        return;
    }
    SetCaption(s->caption_);
    SetColor(s->color_);
    SetImageIndex(s->imageIndex_);
    image_->Assign(s->image_.get());
    Enabled = s->Enabled;
    Hint = s->Hint;
}

void TSelectorItem::SetCaption(const String& v)
{
    if (v != caption_) {
        caption_ = v;
        Changed(false);
    }
}

void TSelectorItem::SetColor(TColor v)
{
    if (v != color_) {
        color_ = v;
        Changed(false);
    }
}

void TSelectorItem::SetImageIndex(int v)
{
    if (v != imageIndex_) {
        imageIndex_ = v;
        Changed(false);
    }
}

void TSelectorItems::Update(TCollectionItem* item)
{
    // adding, deleting and clearing fire nothing: whoever fills the items lays them out
    if (item && OnChange)
        OnChange(this);
}

TItemAppearance::TItemAppearance(TPersistent*)
{
    font_->Name = "Tahoma";
    SetColorStyle(1);
    ColorSelectedText = ColorHotText = 0;
    BorderColorHot = BorderColorSelected = clNone;
}

void TItemAppearance::SetColorStyle(uint8_t Style)
{
    if (Style == style_)
        return;
    style_ = Style;
    struct Preset {
        TColor hot, hotTo, mirrorHot, mirrorHotTo, top, bottom, border, edge, sel, selTo, mirrorSel, mirrorSelTo;
    };
    static const Preset presets[3] = {
        {0xD7FFFD, 0x58D4FC, 0x58D4FC, 0xB3F1FC, 0xF4FEFF, 0xCAF8FF, 0x8DD7D3, 0xC3D9DF, 0xA6FFFB, 0x04B9F4,
         0x15C1FB, 0x68E3F9},
        {0xFDF8F1, 0xFCEFD5, clNone, clNone, 0xFDFBF6, 0xFDF5E7, 0xFDDE99, 0xFCEDCB, 0xFAEEDE, 0xFAE3B4, clNone,
         clNone},
        {0xFCEBDC, 0xFCDBC1, clNone, clNone, 0xFDF4EB, 0xFDEADB, 0xCEA27D, 0xE0C5AE, 0xF9D8B9, 0xFBCAA2, clNone,
         clNone},
    };
    if (Style < 1 || Style > 3)
        return;
    const Preset& p = presets[Style - 1];
    ColorHot = p.hot, ColorHotTo = p.hotTo, ColorMirrorHot = p.mirrorHot, ColorMirrorHotTo = p.mirrorHotTo;
    BorderColorTop = p.top, BorderColorBottom = p.bottom, BorderColor = p.border, EdgeColor = p.edge;
    ColorSelected = p.sel, ColorSelectedTo = p.selTo, ColorMirrorSelected = p.mirrorSel,
    ColorMirrorSelectedTo = p.mirrorSelTo;
}

void TItemAppearance::Assign(TPersistent* Source)
{
    auto* s = dynamic_cast<TItemAppearance*>(Source);
    if (!s) {
        TPersistent::Assign(Source);
        return;
    }
    ColorHot = s->ColorHot, ColorHotTo = s->ColorHotTo, ColorMirrorHot = s->ColorMirrorHot,
    ColorMirrorHotTo = s->ColorMirrorHotTo;
    BorderColorTop = s->BorderColorTop, BorderColorBottom = s->BorderColorBottom, BorderColor = s->BorderColor,
    EdgeColor = s->EdgeColor;
    ColorSelected = s->ColorSelected, ColorSelectedTo = s->ColorSelectedTo,
    ColorMirrorSelected = s->ColorMirrorSelected, ColorMirrorSelectedTo = s->ColorMirrorSelectedTo;
    font_->Assign(s->font_.get());
    SetColorStyle(s->style_);
    ColorSelectedText = s->ColorSelectedText;
    ColorHotText = s->ColorHotText;
    BorderColorHot = s->BorderColorHot;
    BorderColorSelected = s->BorderColorSelected;
}

void ApplyItemAppearanceStyle(TItemAppearance* a, uint8_t Style)
{
    if (!a || Style == 8 || Style > 15)
        return;
    a->BorderColorHot = a->BorderColorSelected = clNone;
    a->ColorSelectedText = a->ColorHotText = 0;
    switch (Style) {
    case 0: case 1: case 2: case 4: case 5: case 7: case 9:
        a->ColorHot = 0xEBFDFF, a->ColorHotTo = 0xACECFF, a->ColorMirrorHot = 0x59DAFF, a->ColorMirrorHotTo = 0xA4E9FF;
        a->ColorSelected = 0xAAD9FF, a->ColorSelectedTo = 0x6EBBFF, a->ColorMirrorSelected = 0x42AEFE,
        a->ColorMirrorSelectedTo = 0x7AE1FE;
        a->BorderColor = 0x42AEFE;
        if (Style == 4 || Style == 5 || Style == 9)
            a->BorderColorTop = 0xF4FEFF, a->BorderColorBottom = 0xCAF8FF, a->EdgeColor = 0xC3D9DF;
        else
            a->BorderColorTop = a->BorderColorBottom = a->EdgeColor = clNone;
        break;
    case 6: case 12:
        a->ColorHot = a->ColorHotTo = clBtnFace, a->ColorMirrorHot = a->ColorMirrorHotTo = clNone;
        a->ColorSelected = a->ColorSelectedTo = clHighlight, a->ColorMirrorSelected = a->ColorMirrorSelectedTo = clNone;
        a->BorderColor = clHighlight, a->BorderColorTop = a->BorderColorBottom = a->EdgeColor = clNone;
        a->ColorSelectedText = clHighlightText;
        break;
    default: // 3, 10, 11, 13 to 15: a plain blue selection
        a->ColorHot = 0xFCF0E4, a->ColorHotTo = 0xF8DEC4, a->ColorMirrorHot = a->ColorMirrorHotTo = clNone;
        a->ColorSelected = 0xF5DBC4, a->ColorSelectedTo = 0xEFC8A5,
        a->ColorMirrorSelected = a->ColorMirrorSelectedTo = clNone;
        a->BorderColor = 0xC7915A, a->BorderColorTop = a->BorderColorBottom = a->EdgeColor = clNone;
        break;
    }
}

TCustomItemSelector::TCustomItemSelector(TComponent* AOwner)
    : TCustomControl(AOwner), host_(dynamic_cast<TPlusCustomItemSelector*>(AOwner))
{
    if (!host_)
        throw Exception("Invalid parent");
    ParentColor = true;
}

int TCustomItemSelector::Count() const { return host_->Items()->Count(); }

bool TCustomItemSelector::Usable(int Index) const
{
    return !(Index >= 0 && Index < Count() && !host_->Items()->Items(Index)->Enabled);
}

void TCustomItemSelector::SelectItem(int Index)
{
    if (!Usable(Index))
        return;
    if (itemIndex_ >= 0 && Index != itemIndex_) {
        const int old = itemIndex_;
        itemIndex_ = -1;
        InvalidateItem(old);
    }
    itemIndex_ = Index;
    if (Index >= 0) {
        InvalidateItem(Index);
        if (OnSelect)
            OnSelect(this);
    }
}

void TCustomItemSelector::SetHotItem(int Index)
{
    if (Index == itemHot_ || !Usable(Index))
        return;
    const int old = itemHot_;
    itemHot_ = -1;
    InvalidateItem(old);
    itemHot_ = Index;
    if (Index >= 0)
        InvalidateItem(Index);
}

void TCustomItemSelector::SelectFirst()
{
    if (Count() > 0)
        SelectItem(0);
}

void TCustomItemSelector::SelectLast()
{
    if (Count() > 0)
        SelectItem(Count() - 1);
}

void TCustomItemSelector::SelectNext()
{
    if (Count() == 0)
        return;
    if (itemIndex_ < 0)
        SelectItem(0);
    else if (itemIndex_ < Count() - 1)
        SelectItem(itemIndex_ + 1);
}

void TCustomItemSelector::SelectPrevious()
{
    if (Count() == 0)
        return;
    if (itemIndex_ < 0)
        SelectItem(0);
    else if (itemIndex_ > 0)
        SelectItem(itemIndex_ - 1);
}

void TCustomItemSelector::HotNext()
{
    if (Count() == 0)
        return;
    if (itemHot_ < 0)
        SetHotItem(0);
    else if (itemHot_ < Count() - 1)
        SetHotItem(itemHot_ + 1);
}

void TCustomItemSelector::HotPrevious()
{
    if (Count() == 0)
        return;
    if (itemHot_ < 0)
        SetHotItem(0);
    else if (itemHot_ > 0)
        SetHotItem(itemHot_ - 1);
}

bool TCustomItemSelector::SelectByText(const String& Prefix)
{
    for (int i = 0; i < Count(); ++i) {
        const String text = UpperCase(Trim(HtmlToPlainText(host_->Items()->Items(i)->Caption())));
        if (text.compare(0, Prefix.size(), Prefix) == 0) {
            SelectItem(i);
            return true;
        }
    }
    return false;
}

int TCustomItemSelector::ItemAtPos(int X, int Y) const
{
    for (int i = 0; i < Count(); ++i) {
        const TRect& r = host_->Items()->Items(i)->ItemRect;
        if (X >= r.Left && X < r.Right && Y >= r.Top && Y < r.Bottom)
            return i;
    }
    return -1;
}

TRect TCustomItemSelector::GetItemRect(int Index) const
{
    if (Index < 0 || Index >= Count())
        return TRect(-1, -1, -1, -1);
    return host_->Items()->Items(Index)->ItemRect;
}

void TCustomItemSelector::GetItemsRect(TRect& R) const
{
    const TRect c = ClientRect();
    R = TRect(c.Left + OffsetX, c.Top + OffsetY, c.Right - OffsetX, c.Bottom - OffsetY);
}

void TCustomItemSelector::InvalidateItem(int Index)
{
    if (Index < 0 || Index >= Count())
        return;
    const TRect r = host_->Items()->Items(Index)->ItemRect;
    RECT rr = r;
    InvalidateRect(Handle(), &rr, TRUE);
}

void TCustomItemSelector::CalcItemSize(TSize& Size)
{
    if (host_->OnItemSize) {
        host_->OnItemSize(this, Size);
        return;
    }
    const bool color = host_->SelectorType() == stColor;
    int iw = color ? host_->ColorBoxWidth() : 0, ih = color ? host_->ColorBoxHeight() : 0, tw = 0, th = 0;
    TCanvas c;
    HDC dc = CreateCompatibleDC(nullptr);
    c.SetHandle(dc);
    c.Font->Assign(host_->ItemAppearance()->Font());
    for (int i = 0; i < Count(); ++i) {
        TSelectorItem* item = host_->Items()->Items(i);
        if (!color) {
            if (item->Image()->Graphic() && !item->Image()->Graphic()->Empty())
                iw = std::max(iw, item->Image()->Width()), ih = std::max(ih, item->Image()->Height());
            else if (host_->Images() && item->ImageIndex() >= 0)
                iw = std::max(iw, host_->Images()->Width()), ih = std::max(ih, host_->Images()->Height());
        }
        TSize s;
        DrawHtmlCaption(&c, item->Caption(), TRect(0, 0, 1000, 500), s, false, host_->Images());
        tw = std::max<int>(tw, s.cx), th = std::max<int>(th, s.cy);
    }
    c.SetHandle(nullptr);
    DeleteDC(dc);
    if (tw > 0)
        tw += 4;
    const TItemLayout layout = host_->ItemLayout;
    if (layout == ilCaptionLeft || layout == ilCaptionRight) {
        Size.cx = 2 * ItemOffsetX + iw + (tw > 0 ? (iw > 0 ? CaptionGap : 0) + tw : 0);
        Size.cy = std::max(th, ih) + 2 * ItemOffsetY;
    } else {
        Size.cx = std::max(tw, iw) + 2 * ItemOffsetX;
        Size.cy = 2 * ItemOffsetY + ih + (th > 0 ? (ih > 0 ? CaptionGap : 0) + th : 0);
    }
}

void TCustomItemSelector::UpdateLayout()
{
    if (Count() == 0) {
        SetBounds(Left(), Top(), 100, 50);
        return;
    }
    itemHot_ = -1;
    TSize size{0, 0};
    CalcItemSize(size);
    const int W = size.cx, H = size.cy;
    const TRect a(OffsetX, OffsetY, 0, 0);
    int x = a.Left, y = a.Top, column = 0, widest = 0;
    const int columns = host_->Columns();
    for (int i = 0; i < Count(); ++i) {
        host_->Items()->Items(i)->ItemRect = TRect(x, y, x + W, y + H);
        ++column;
        if (i == Count() - 1)
            break;
        if (column < columns)
            x += W;
        else {
            widest = std::max(widest, x);
            x = a.Left, y += H, column = 0;
        }
    }
    widest = std::max(widest, x);
    SetBounds(Left(), Top(), widest + W + a.Left, y + H + a.Top);
    Invalidate();
}

void TCustomItemSelector::DrawItem(int Index, TCanvas* c)
{
    if (Index < 0 || Index >= Count() || !c)
        return;
    TSelectorItem* item = host_->Items()->Items(Index);
    TRect r = item->ItemRect;
    if (r.Left < 0 && r.Right < 0)
        return;
    TItemAppearance* a = host_->ItemAppearance();
    TColor border = a->BorderColor, top = a->BorderColorTop, bottom = a->BorderColorBottom, edge = a->EdgeColor;
    TColor from = clNone, to = clNone, mirror = clNone, mirrorTo = clNone;
    bool active = false;
    if (Index == itemHot_) {
        from = a->ColorHot, to = a->ColorHotTo, mirror = a->ColorMirrorHot, mirrorTo = a->ColorMirrorHotTo;
        if (a->BorderColorHot != clNone)
            border = a->BorderColorHot, top = bottom = edge = clNone;
        active = true;
    }
    if (Index == itemIndex_) {
        border = a->BorderColor, top = a->BorderColorTop, bottom = a->BorderColorBottom, edge = a->EdgeColor;
        from = a->ColorSelected, to = a->ColorSelectedTo, mirror = a->ColorMirrorSelected,
        mirrorTo = a->ColorMirrorSelectedTo;
        if (a->BorderColorSelected != clNone)
            border = a->BorderColorSelected, top = bottom = edge = clNone;
        active = true;
    }
    if (!active) {
        c->Brush->Style = bsSolid;
        c->Brush->Color = host_->Color();
        c->Pen->Color = host_->Color();
        c->FillRect(r);
    } else if (top == clNone) {
        DrawGradientBox(c, r, from, true, 1, border, to);
    } else {
        DrawOfficeButtonFrame(c, from, to, mirror, mirrorTo, top, bottom, border, edge, host_->Color(), r, 0);
    }
    if (host_->OnDrawItem) {
        host_->OnDrawItem(this, c, r, Index);
        return;
    }
    int iw = 0, ih = 0;
    const bool color = host_->SelectorType() == stColor;
    const bool picture = !color && item->Image()->Graphic() && !item->Image()->Graphic()->Empty();
    const bool listImage = !color && !picture && host_->Images() && item->ImageIndex() >= 0;
    if (color)
        iw = host_->ColorBoxWidth(), ih = host_->ColorBoxHeight();
    else if (picture)
        iw = item->Image()->Width(), ih = item->Image()->Height();
    else if (listImage)
        iw = host_->Images()->Width(), ih = host_->Images()->Height();
    TRect t(r.Left + ItemOffsetX, r.Top + ItemOffsetY, r.Right - ItemOffsetX, r.Bottom - ItemOffsetY);
    TRect img = t;
    c->Font->Assign(a->Font());
    if (Index == itemHot_)
        c->Font->Color = a->ColorHotText;
    if (Index == itemIndex_)
        c->Font->Color = a->ColorSelectedText;
    auto drawImage = [&](int x, int y) {
        if (color) {
            c->Pen->Color = clBlack;
            c->Brush->Style = bsSolid;
            c->Brush->Color = item->Color() == clNone ? TColor(clWhite) : item->Color();
            c->Rectangle(x, y, x + iw, y + ih);
        } else if (picture) {
            c->Draw(x, y, item->Image()->Graphic());
        } else if (listImage) {
            host_->Images()->Draw(c, x, y, item->ImageIndex(), item->Enabled);
        }
    };
    c->Brush->Style = bsClear;
    TSize s;
    const String caption = item->Caption();
    switch (host_->ItemLayout) {
    case ilCaptionLeft:
        if (!caption.empty()) {
            t.Right -= iw;
            DrawHtmlCaption(c, caption, t, s, false, host_->Images());
            if (s.cy < t.Height())
                t.Top += (t.Height() - s.cy) / 2;
            c->Brush->Style = bsClear;
            DrawHtmlCaption(c, caption, t, s, true, host_->Images());
            img.Left = t.Left + s.cx + CaptionGap;
        }
        drawImage(img.Left, color ? img.Top : img.Top + (img.Height() - ih) / 2);
        break;
    case ilCaptionRight:
        if (iw > 0) {
            drawImage(img.Left, color ? img.Top : img.Top + (img.Height() - ih) / 2);
            t.Left = img.Left + iw + CaptionGap;
        }
        if (!caption.empty()) {
            DrawHtmlCaption(c, caption, t, s, false, host_->Images());
            if (s.cy < t.Height())
                t.Top += (t.Height() - s.cy) / 2;
            c->Brush->Style = bsClear;
            DrawHtmlCaption(c, caption, t, s, true, host_->Images());
        }
        break;
    case ilCaptionTop:
        if (!caption.empty()) {
            t.Bottom -= ih;
            DrawHtmlCaption(c, caption, t, s, true, host_->Images());
            img.Top = t.Top + s.cy + CaptionGap;
        } else
            img.Top += (img.Height() - ih) / 2;
        img.Left += (img.Width() - iw) / 2;
        drawImage(img.Left, img.Top);
        break;
    case ilCaptionBottom:
        if (caption.empty())
            img.Top += (img.Height() - ih) / 2;
        img.Left += (img.Width() - iw) / 2;
        drawImage(img.Left, img.Top);
        if (iw > 0)
            t.Top = img.Top + ih + CaptionGap;
        if (!caption.empty()) {
            c->Brush->Style = bsClear;
            DrawHtmlCaption(c, caption, t, s, true, host_->Images());
        }
        break;
    }
}

void TCustomItemSelector::Paint()
{
    Canvas()->Brush->Style = bsSolid;
    Canvas()->Brush->Color = host_->Color();
    Canvas()->FillRect(ClientRect());
    for (int i = 0; i < Count(); ++i)
        DrawItem(i, Canvas());
}

void TCustomItemSelector::MouseDown(TMouseButton b, TShiftState s, int x, int y)
{
    TCustomControl::MouseDown(b, s, x, y);
    const int i = ItemAtPos(x, y);
    if (i >= 0 && host_->Items()->Items(i)->Enabled)
        SelectItem(i);
}

void TCustomItemSelector::MouseMove(TShiftState s, int x, int y)
{
    TCustomControl::MouseMove(s, x, y);
    const int i = ItemAtPos(x, y);
    if (i >= 0 && i != itemHot_) {
        TSelectorItem* item = host_->Items()->Items(i);
        SetHotItem(item->Enabled ? i : -1);
        SetHint(item->Hint);
        Application->CancelHint();
    } else if (i < 0 && itemHot_ >= 0)
        SetHotItem(-1);
}

void TCustomItemSelector::Dispatch(TMessage& m)
{
    TCustomControl::Dispatch(m);
    if (m.Msg == CM_MOUSELEAVE && itemHot_ >= 0)
        SetHotItem(-1);
}

TPlusCustomItemSelector::TPlusCustomItemSelector(TComponent* AOwner)
    : TCustomControl(AOwner), items_(std::make_unique<TSelectorItems>(this)),
      appearance_(std::make_unique<TItemAppearance>(this))
{
    SetColor(clWindow);
    items_->OnChange = [this](TObject*) { UpdateLayout(); };
    panel_ = new TCustomItemSelector(this);
    panel_->SetParent(this);
    panel_->OnSelect = [this](TObject*) {
        if (OnItemSelect)
            OnItemSelect(this);
    };
    UpdateLayout();
}

void TPlusCustomItemSelector::SetColumns(int v)
{
    if (v > 0 && v != columns_) {
        columns_ = v;
        UpdateLayout();
    }
}

void TPlusCustomItemSelector::SetItemIndex(int v)
{
    if (!panel_)
        return;
    panel_->SelectItem(v);
    ScrollIntoView(v);
}

void TPlusCustomItemSelector::SetSelectorType(TSelectorType v)
{
    if (v != selectorType_) {
        selectorType_ = v;
        UpdateLayout();
    }
}

void TPlusCustomItemSelector::SetImages(TCustomImageList* v)
{
    if (v != images_) {
        images_ = v;
        UpdateLayout();
    }
}

void TPlusCustomItemSelector::SetColorBoxWidth(int v)
{
    if (v != boxWidth_) {
        boxWidth_ = v;
        UpdateLayout();
    }
}

void TPlusCustomItemSelector::SetColorBoxHeight(int v)
{
    if (v != boxHeight_) {
        boxHeight_ = v;
        UpdateLayout();
    }
}

void TPlusCustomItemSelector::UpdateLayout()
{
    if (!panel_)
        return;
    panel_->UpdateLayout();
    PlacePanel();
}

void TPlusCustomItemSelector::PlacePanel()
{
    if (placing_)
        return; // showing or hiding the bar resizes the client area, which places again
    placing_ = true;
    const bool bar = panel_->Height() > Height();
    if (bar != vertBar_) {
        vertBar_ = bar;
        ShowScrollBar(Handle(), SB_VERT, bar);
    }
    const int maxScroll = std::max(0, panel_->Height() - ClientHeight());
    scroll_ = std::clamp(scroll_, 0, maxScroll);
    if (vertBar_) {
        SCROLLINFO info{};
        info.cbSize = sizeof(info);
        info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        info.nMin = 0;
        info.nMax = panel_->Height() - 1;
        info.nPage = UINT(std::max(1, ClientHeight()));
        info.nPos = scroll_;
        SetScrollInfo(Handle(), SB_VERT, &info, TRUE);
    }
    panel_->SetBounds(0, -scroll_, panel_->Width(), panel_->Height());
    placing_ = false;
}

void TPlusCustomItemSelector::ScrollBy(int Code)
{
    const int line = items_->Count() > 0 ? std::max(1, items_->Items(0)->ItemRect.Height()) : 16;
    const int page = std::max(1, ClientHeight());
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_TRACKPOS | SIF_POS;
    GetScrollInfo(Handle(), SB_VERT, &info);
    switch (Code) {
    case SB_LINEUP: scroll_ -= line; break;
    case SB_LINEDOWN: scroll_ += line; break;
    case SB_PAGEUP: scroll_ -= page; break;
    case SB_PAGEDOWN: scroll_ += page; break;
    case SB_TOP: scroll_ = 0; break;
    case SB_BOTTOM: scroll_ = panel_->Height(); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: scroll_ = info.nTrackPos; break;
    default: return;
    }
    PlacePanel();
}

void TPlusCustomItemSelector::SelectFirst() { if (panel_) { panel_->SelectFirst(); ScrollIntoView(ItemIndex()); } }
void TPlusCustomItemSelector::SelectLast() { if (panel_) { panel_->SelectLast(); ScrollIntoView(ItemIndex()); } }
void TPlusCustomItemSelector::SelectNext() { if (panel_) { panel_->SelectNext(); ScrollIntoView(ItemIndex()); } }
void TPlusCustomItemSelector::SelectPrevious() { if (panel_) { panel_->SelectPrevious(); ScrollIntoView(ItemIndex()); } }
void TPlusCustomItemSelector::HotNext() { if (panel_) { panel_->HotNext(); ScrollIntoView(GetItemHot()); } }
void TPlusCustomItemSelector::HotPrevious() { if (panel_) { panel_->HotPrevious(); ScrollIntoView(GetItemHot()); } }

bool TPlusCustomItemSelector::SelectByText(const String& Prefix)
{
    return panel_ ? panel_->SelectByText(Prefix) : false;
}

int TPlusCustomItemSelector::VisibleItemCount() const
{
    if (!panel_ || items_->Count() == 0)
        return 0;
    const int h = items_->Items(0)->ItemRect.Height();
    return h <= 0 ? 0 : Height() / h * columns_;
}

TSize TPlusCustomItemSelector::GetPanelSize() const
{
    return panel_ ? TSize{panel_->Width(), panel_->Height()} : TSize{100, 50};
}

void TPlusCustomItemSelector::ScrollIntoView(int Index)
{
    if (!panel_ || Index < 0 || Index >= items_->Count() || panel_->Height() <= ClientHeight())
        return;
    TRect r = items_->Items(Index)->ItemRect;
    r.Top -= scroll_;
    r.Bottom -= scroll_;
    const int ch = ClientHeight();
    if (r.Top < 0)
        scroll_ += r.Top;
    else if (r.Bottom > ch) {
        if (r.Height() > ch)
            r.Bottom = ch + r.Top;
        scroll_ += r.Bottom - ch;
    }
    PlacePanel();
}

void TPlusCustomItemSelector::Dispatch(TMessage& m)
{
    if (m.Msg == WM_GETDLGCODE) {
        m.Result = 5;
        return;
    }
    if (m.Msg == WM_MOUSEWHEEL) {
        scroll_ -= m.WheelDelta() / 4;
        PlacePanel();
        return;
    }
    if (m.Msg == WM_VSCROLL && panel_) {
        ScrollBy(LOWORD(m.WParam));
        return;
    }
    TCustomControl::Dispatch(m);
    if (m.Msg == WM_SIZE && panel_)
        PlacePanel();
}
