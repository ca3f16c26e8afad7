// Chart data: one class formatted into the class syntax, and the settings rewritten with the
// edited titles, grid and classes.
#include "plotwell/core/chart_objects.h"
#include "plotwell/core/tests/plot_test_support.h"

#include <gtest/gtest.h>

using namespace plotwell;
using plotwell_test::work_folder;

TEST(ChartObjects, ClassValuesFormatted)
{
    struct class_case {
        const char *from, *to, *label;
        int index;
        bool ok;
        const char* out;
        char relation_before = '<';
    } cases[] = {
        {"0", "=10", "low", 1, true, "0 <= 10 `low`"},
        {"0", "10", "", 1, true, "0 <  10   "},
        {"5", "5", "five", 1, true, "5 ! ! `five`"},
        {"10", "0", "", 1, true, "10 >  0   "},
        {"-", "=0", "", 0, true, "- <= 0   "},
        {"-", "=x", "", 0, false, ""},
        {"-", "=5", "", 1, false, ""},
        {"-", "0", "", 1, true, "- >  0   ", '>'}, // a number as typed passes and keeps the relation
        {"", "", "", 1, false, ""},
    };
    for (const class_case& c : cases) {
        SCOPED_TRACE(std::string(c.from) + " " + c.to);
        chart_object chart;
        chart.relation = c.relation_before;
        std::string out, shown;
        const bool ok = parse_class_values(chart, c.from, c.to, c.label, out, c.index, 2, true,
                                           [&](const std::string& m) { shown = m; });
        EXPECT_EQ(ok, c.ok);
        if (ok) EXPECT_EQ(out, c.out);
        else EXPECT_FALSE(shown.empty());
    }
}

TEST(ChartObjects, SettingsRewrittenWithTheEditedValues)
{
    work_folder folder;
    folder.write("s.set", "DRAW_MAP ! m.asc\nTITLE_2 old\nMATRIX_CLASS 1 0 < 1\nMATRIX_CLASS 2 1 < 2\nDRAW_GRID 5,5\n");
    recording_device device;
    plot_settings ps(device);
    chart_object chart;
    chart.settings_file_name = "s.set";
    chart.title_1 = "New title";
    chart.classes = {{"-", "=0", "below", 3}, {"0", "10", "", 4}, {"10", "-", "", 5}};
    write_title_class_settings(ps, chart);
    EXPECT_EQ(folder.read("tmpsetfp.set"), "DRAW_MAP ! m.asc\n"
                                           "MATRIX_CLASS 2 - <= 0 `below`\n"
                                           "MATRIX_CLASS 3 0 <  10   \n"
                                           "MATRIX_CLASS 4 10 <  -   \n"
                                           "TITLE_1 New title\n");

    // a section that is not there ends the rewrite
    ps.section_given = 1;
    ps.section_name = "maps";
    try {
        write_title_class_settings(ps, chart);
        ADD_FAILURE() << "not refused";
    } catch (const plot_error& e) {
        EXPECT_STREQ(e.what(), "maps not found in s.set\n");
    }
}
