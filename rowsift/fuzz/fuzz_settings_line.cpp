// Fuzzes the reading of selection settings: the input is a settings file (own format,
// "-xy" or plotwell's prepared form, chosen by the first byte). Every accepted line's
// conditions and column expressions are then tried on a fixed data row.
#include "rowsift/row_selection.h"
#include "common/runtime/shared_routines.h"

#include <cstdint>
#include <cstdio>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > 8192)
        return 0;
    std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    data_selection_setup setup;
    setup.variant = (data[0] & 3) == 2 ? selection_variant::plotwell : selection_variant::rowsift;
    setup.xy_mode = (data[0] & 3) == 1;
    setup.detection_given = (data[0] & 4) != 0;
    setup.context.variant =
        setup.variant == selection_variant::plotwell ? shared_variant::plotwell : shared_variant::rowsift;
    const shared_variant variant = setup.context.variant;
    setup.settings = fmemopen(text.data(), text.size(), "r");
    if (!setup.settings)
        return 0;
    data_selection selection(std::move(setup));
    try {
        selection.read_selection_settings();
    } catch (const fatal_error_exception&) {
        return 0;
    }
    expression_variables variables;
    static const char* const row[] = {"1", "-2.5", "abc", "0", "1e3", "<4", "x y", "-", ".5", "0x10"};
    static const std::string raw = "1 -2.5 abc 0 1e3 <4 'x y' - .5 0x10";
    for (const selection_entry& entry : selection.entries()) {
        for (const selection_condition& c : entry.conditions)
            test_condition(c, c.column >= 1 && c.column <= 10 ? row[c.column - 1] : "", raw, variant);
        for (const column_expression* e : {entry.x_expression.get(), entry.y_expression.get()}) {
            if (!e)
                continue;
            std::vector<const char*> fields;
            for (int column : e->references())
                fields.push_back(column >= 1 && column <= 10 ? row[column - 1] : "7");
            double value = 0;
            try {
                e->evaluate(variables, fields.data(), value);
            } catch (const fatal_error_exception&) {
            }
        }
    }
    return 0;
}
