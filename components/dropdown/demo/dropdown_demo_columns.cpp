// The demo's multi-column and grid drop-downs, filled with cities.
#include "components/dropdown/PlusCustomGridDropDown.h"
#include "components/dropdown/PlusMultiColumnDropDown.h"

#include "platform/framework/Forms.h"

#include <functional>

struct ColumnDropDowns {
    TPlusCustomDropDown* multi;
    TPlusCustomDropDown* grid;
    TPlusCustomDropDown* narrowing;
    std::function<void()> typeIntoNarrowing;
};

namespace {

const char* const kCities[][3] = {{"Berlin", "Germany", "3,850,000"}, {"Arles", "France", "51,000"},
                                  {"Bremen", "Germany", "577,000"},   {"Paris", "France", "2,100,000"},
                                  {"Carthage", "Tunisia", "24,000"},  {"Zagreb", "Croatia", "767,000"},
                                  {"Brno", "Czechia", "400,000"},     {"Lisbon", "Portugal", "545,000"},
                                  {"Quito", "Ecuador", "2,800,000"},  {"Osaka", "Japan", "2,750,000"}};

template <class D, class Item>
void FillCities(D* d, TCustomImageList* images)
{
    const char* headers[] = {"City", "Country", "Population"};
    for (int c = 0; c < 3; ++c)
        d->Columns()->Add()->Header = headers[c];
    d->Columns()->Items(0)->ColumnType = PlusMultiColumnDropDown::ctImage;
    d->Columns()->Items(0)->Width = 100;
    d->Columns()->Items(2)->Alignment = taRightJustify;
    int i = 0;
    for (const auto& city : kCities) {
        auto* it = static_cast<Item*>(d->Items()->Add());
        for (const char* t : city)
            it->Text()->Add(t);
        it->ImageIndex = i++ % 4;
    }
    d->SetImages(images);
    d->UpdateLookupList();
}

} // namespace

ColumnDropDowns MakeColumnDropDowns(TForm* form, TCustomImageList* images,
                                    const std::function<void(TPlusCustomDropDown*, const String&)>& place)
{
    auto* multi = new TPlusMultiColumnDropDown(form);
    place(multi, "Multi-column");
    FillCities<TPlusMultiColumnDropDown, PlusMultiColumnDropDown::TDropDownItem>(multi, images);
    multi->SetItemIndex(2);

    auto* grid = new TPlusGridDropDown(form);
    place(grid, "Grid drop-down");
    FillCities<TPlusGridDropDown, PlusCustomGridDropDown::TDropDownItem>(grid, images);
    grid->Sorting = gsSingleColumn;
    grid->HoverRow = true;
    grid->SetItemIndex(3);

    auto* narrowing = new TPlusGridDropDown(form);
    place(narrowing, "Narrowing grid");
    FillCities<TPlusGridDropDown, PlusCustomGridDropDown::TDropDownItem>(narrowing, images);
    narrowing->LookupMethod = lmNarrowDown;
    narrowing->ApplyColorStyle(0);
    auto type = [narrowing] {
        for (char c : {'a', 'r'})
            narrowing->GetGrid()->Perform(WM_CHAR, WPARAM(c), 0);
    };
    return {multi, grid, narrowing, type};
}
