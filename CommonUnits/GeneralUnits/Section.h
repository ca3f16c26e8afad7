#pragma once
// The base of the nine section writers of the model input file. A section is numbered
// ("1" to "8", "4a", "4b") and titled; writing it appends its four header lines and then its
// body to a string list. Section writers keep no state between writes: each body reads what
// it needs for the RunID it is given.
#include "CommonUnits/GeneralUnits/Utils_Format_Unit.h"

#include "platform/db/DB.h"
#include "platform/rtl/Classes.h"

class TSection : public TObject {
public:
    TSection(String number, String title);
    ~TSection() override = default;

    const String& Number() const { return number_; }
    const String& Title() const { return title_; }

    // The section header, then the body. Without a list nothing is written (the output
    // section's body asserts instead).
    void WriteSection(TStrings* list, int runId);
    // Rule line, "* Section <number>: <title>", rule line, empty line.
    void WriteSectionHeader(TStrings* list) const;
    virtual void WriteBody(TStrings* list, int runId) = 0;

    // "*" followed by 79 "-".
    static String RuleLine();

protected:
    // A keyword line: the value padded to the column, then the keyword literal.
    static String KeyLine(const String& value, const String& keyword, int width = VALUE_COLUMN_WIDTH)
    {
        return PadRight(value, width) + keyword;
    }
    // The real form of a value ("5.0", "0.25", "1E-5").
    static String RealText(double value);
    static String YesNoText(bool value) { return value ? YES_TEXT : NO_TEXT; }
    // A field of the current row: its own text form (reals without ".0", null as nothing),
    // as a number (0 for null), or in the real form; an inactive or empty dataset, or a
    // missing field, gives an empty text or 0.
    static String FieldText(const TDataSet* dataSet, const String& field);
    static double FieldFloat(const TDataSet* dataSet, const String& field);
    static String FieldReal(const TDataSet* dataSet, const String& field) { return RealText(FieldFloat(dataSet, field)); }

private:
    String number_;
    String title_;
};
