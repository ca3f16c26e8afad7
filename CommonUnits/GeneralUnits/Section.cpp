#include "CommonUnits/GeneralUnits/Section.h"

#include <utility>

TSection::TSection(String number, String title) : number_(std::move(number)), title_(std::move(title)) {}

String TSection::RuleLine()
{
    return "*" + String(79, '-');
}

void TSection::WriteSectionHeader(TStrings* list) const
{
    if (list == nullptr)
        return;
    list->Add(RuleLine());
    list->Add("* Section " + number_ + ": " + title_);
    list->Add(RuleLine());
    list->Add("");
}

void TSection::WriteSection(TStrings* list, int runId)
{
    WriteSectionHeader(list);
    WriteBody(list, runId);
}

String TSection::RealText(double value)
{
    String text = FloatField(value, 0);
    text.pop_back(); // the one blank that a zero-width column appends
    return text;
}

namespace {

const TField* CurrentField(const TDataSet* dataSet, const String& field)
{
    if (dataSet == nullptr || !dataSet->Active() || dataSet->IsEmpty())
        return nullptr;
    return dataSet->FindField(field);
}

} // namespace

String TSection::FieldText(const TDataSet* dataSet, const String& field)
{
    const TField* f = CurrentField(dataSet, field);
    return f != nullptr ? f->AsString() : String();
}

double TSection::FieldFloat(const TDataSet* dataSet, const String& field)
{
    const TField* f = CurrentField(dataSet, field);
    return f != nullptr ? f->AsFloat() : 0.0;
}
