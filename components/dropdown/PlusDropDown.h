#pragma once
// The edit part of every drop-down: a value shown between a fixed TextPrefix and TextSuffix,
// filtered by one of twelve character rules, with the number conversions and formats.
//
// TDropDownValueText is the edit's text model (edit text, SelStart, SelLength, modified flag)
// together with the rules; the drop-down edit base holds one and maps its edit window onto it:
// WM_CHAR goes to TypeChar, WM_KEYDOWN to KeyDown, WM_PASTE to Paste, WM_KILLFOCUS to FocusLost.
//
// Invariants the rules keep for the numeric rules (erInteger, erFloat, erMoney): no typed
// character and no paste leaves a value that the rule cannot read back: at most one decimal
// separator, a '-' only as the first character (and only when Signed), thousand separators
// only at their spacing, and no more integer digits than IntegerDigitLimit. The in-between
// forms "" and "-" and a trailing decimal separator stay allowed while typing.
#include "SysUtils.h"

#include <cstdint>
#include <functional>

enum TDropDownEditRule : uint8_t {
    erText = 0,
    erInteger = 1,
    erFloat = 2,
    erUpperCase = 3,
    erCapitalized = 4,
    erLowerCase = 5,
    erPassword = 6,
    erMoney = 7,
    erRangeList = 8,
    erHex = 9,
    erAlphaNumeric = 10,
    erCharSet = 11,
};

// 0 integer text, 1 decimal text, 5 hexadecimal text, 2 anything else (also empty, more than
// one '-' or more than one decimal separator). Uses the process's format settings.
int ClassifyNumberText(const String& s);
String StripThousandSeparators(const String& s);
int HexDigitValue(char ch);
int64_t HexToInt(const String& s);
bool IsRangeSeparator(char ch);
// The number in s with thousand separators removed; 0 when it is no number.
double TextToFloat(const String& s);

class TDropDownValueText {
public:
    // settings
    TDropDownEditRule EditRule = erText;
    String TextPrefix;
    String TextSuffix;
    int Precision = 0;
    bool Signed = false;
    int IntegerDigitLimit = 0;
    String AllowedChars;
    bool AutoThousands = true;
    bool AllowEmptyNumber = false;
    int MaxLength = 0;
    // Pasting: the predicted value and a veto that starts true.
    std::function<void(const String& value, bool& allow)> OnPasteText;

    // the edit window's state
    String EditText;
    int SelStart = 0;
    int SelLength = 0;
    bool Modified = false;

    String GetText() const;               // the value: prefix and suffix cut off
    void SetText(const String& value);    // formats by rule and precision, clears Modified
    void SetTextDirect(const String& text); // the edit text as given
    const String& LastSetText() const { return lastSet_; }

    double GetFloatValue() const;
    void SetFloatValue(double x);
    void SetIntValue(int64_t n);
    void SetEditRule(TDropDownEditRule rule);
    void SetPrecision(int value);

    void SelectValue();
    void CaretToDecimals();
    void CaretBeforeDecimals();
    void ApplyThousandSeparators();

    bool IsNumericRule() const { return EditRule == erInteger || EditRule == erFloat || EditRule == erMoney; }
    int IntegerPartEnd(const String& s) const;
    int DecimalSeparatorPosition() const;

    // A typed character (Backspace is '\b'). ctrlHeld: a Ctrl key is down. Returns true when
    // the character reached the edit (the text may have changed), false when it was dropped.
    bool TypeChar(char ch, bool ctrlHeld = false);
    // The caret keys and Delete (virtual key codes); true when the key is swallowed. A key
    // that is not swallowed is the edit's own business; call AfterKeyDown after it ran.
    bool KeyDown(int key, bool shift);
    void AfterKeyDown(int key);
    // Delete as the edit does it, after KeyDown let it through.
    void DeleteForward();
    // After a mouse release: a caret in the prefix selects the whole value; a caret or a
    // selection reaching into the suffix ends at the end of the value.
    void KeepSelectionInValue();
    // Paste of clipboard text; follows the same rules as typing. True when the value changed.
    bool Paste(const String& clip);
    void FocusLost();

    // true when value is a text the current numeric rule reads back (or an in-between form)
    bool IsReadableValue(const String& value) const;

private:
    void SetValueKeepAffixes(const String& value); // value between prefix and suffix
    void InsertDefault(char ch);                   // the edit's own handling of a character
    bool TypeFloat(char ch, const String& value);
    void ToggleSign();
    bool SpacingRefuses() const;
    bool DecimalsFullAtCaret() const;
    int IntegerDigits(const String& value) const;

    String lastSet_;
};
