#pragma once
// TDxLine: one text line split into fields by a separator. Splitting keeps positions
// only; a field's text is copied out of the line when it is asked for.
#include "CommonUnits/GeneralUnits/DxUtil.h"

#include <array>
#include <initializer_list>
#include <vector>

class TDxLine : public TObject {
public:
    static constexpr int MaxFields = 255;

    TDxLine() = default;

    // Empty: blank mode (runs of blanks separate, leading and trailing blanks give no
    // fields). "^X" with X a letter or '[': the control character of caret notation (^I is
    // the tab); '^' followed by anything else: '^'. Otherwise the first character (one
    // blank gives every blank as separator, without blank mode).
    String SeparatorSpec;

    // Stores the line and splits it. A line of more than 255 fields raises EDxError; the
    // reader then holds no fields.
    void SetText(const String& line);
    const String& Text() const { return text_; }
    int FieldCount() const { return fieldCount_; }

    // n = 0: the whole line; 1..FieldCount: field n; any other n: empty.
    String Field(int n) const;
    // From the start of field n to the end of the line; n = 0: the whole line; a field
    // beyond the count, or an empty field at the line's end, gives empty.
    String RestFrom(int n) const;
    // The line has at least lastIndex + 1 fields and fields 1..lastIndex + 1 equal
    // words[0..lastIndex] exactly.
    bool MatchesFields(const std::vector<String>& words, int lastIndex) const;
    bool MatchesFields(std::initializer_list<String> words) const;

private:
    struct Entry {
        int start = 0; // 1-based position in the line; 0 = no field
        int length = 0;
    };
    char DecodeSeparator(bool& blankMode) const;

    String text_;
    int fieldCount_ = 0;
    std::array<Entry, MaxFields + 1> fields_{};
};
