#include "CommonUnits/GeneralUnits/DxLine.h"

char TDxLine::DecodeSeparator(bool& blankMode) const
{
    blankMode = SeparatorSpec.empty();
    if (blankMode)
        return ' ';
    if (SeparatorSpec[0] == '^' && SeparatorSpec.size() >= 2) {
        const char c = SeparatorSpec[1];
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '[') {
            const char upper = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
            return static_cast<char>(upper - 64);
        }
        return '^';
    }
    return SeparatorSpec[0];
}

void TDxLine::SetText(const String& line)
{
    text_ = line;
    fieldCount_ = 0;
    fields_.fill(Entry{});
    bool blankMode = false;
    const char separator = DecodeSeparator(blankMode);

    int k = 0;
    bool inside = false;
    auto next = [&] {
        // a further field needs an entry: more than the reader holds is an error, not a
        // write past the table
        if (++k > MaxFields) {
            fields_.fill(Entry{});
            throw EDxError("Line has more than " + IntToStr(MaxFields) + " fields");
        }
        fields_[k].start = 0;
    };
    const int length = static_cast<int>(line.size());
    for (int i = 1; i <= length; ++i) {
        if (line[i - 1] == separator) {
            if (inside) {
                inside = false;
                next();
            } else if (!blankMode) {
                fields_[k] = Entry{i, 0};
                next();
            }
        } else if (inside) {
            ++fields_[k].length;
        } else {
            fields_[k] = Entry{i, 1};
            inside = true;
        }
    }
    if (blankMode && !inside)
        --k;
    if (fields_[0].start > 0 && k + 1 > MaxFields) {
        fields_.fill(Entry{});
        throw EDxError("Line has more than " + IntToStr(MaxFields) + " fields");
    }
    fieldCount_ = fields_[0].start > 0 ? k + 1 : 0;
}

String TDxLine::Field(int n) const
{
    if (n == 0)
        return text_;
    if (n < 1 || n > fieldCount_)
        return String();
    const Entry& e = fields_[n - 1];
    if (e.start == 0)
        return String();
    return text_.substr(static_cast<size_t>(e.start - 1), static_cast<size_t>(e.length));
}

String TDxLine::RestFrom(int n) const
{
    if (n == 0)
        return text_;
    if (n < 1 || n > fieldCount_)
        return String();
    const Entry& e = fields_[n - 1];
    if (e.start == 0)
        return String();
    return text_.substr(static_cast<size_t>(e.start - 1));
}

bool TDxLine::MatchesFields(const std::vector<String>& words, int lastIndex) const
{
    if (lastIndex < 0 || lastIndex >= static_cast<int>(words.size()) || fieldCount_ < lastIndex + 1)
        return false;
    for (int i = 0; i <= lastIndex; ++i)
        if (Field(i + 1) != words[static_cast<size_t>(i)])
            return false;
    return true;
}

bool TDxLine::MatchesFields(std::initializer_list<String> words) const
{
    return MatchesFields(std::vector<String>(words), static_cast<int>(words.size()) - 1);
}
