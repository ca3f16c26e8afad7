#include "components/grid/HtmlUtils.h"

#include <gtest/gtest.h>

namespace {

const String kForm =
    "Name <CONTROL TYPE=\"EDIT\" ID=\"name\" VALUE=\"Jo &amp; Ann\" WIDTH=\"80\" PROP=\"p&lt;1\" MAXLEN=\"12\" EXTRA=\"x\">"
    " <control type=\"check\" id=\"ok\" value=\"TRUE\" width=\"20\">"
    " <CONTROL TYPE=\"RADIO\" ID=\"r1\" VALUE=\"TRUE\" WIDTH=\"20\">"
    " <CONTROL TYPE=\"COMBO\" ID=\"city\" VALUE=\"\" WIDTH=\"60\" HEIGHT=\"30\">"
    " <CONTROL TYPE=\"BUTTON\" ID=\"go\" VALUE=\"Go\" WIDTH=\"40\">";

TEST(HtmlUtils, ParseControlTagReadsAttributes)
{
    const THtmlControlTag tag = ParseControlTag("CONTROL type=\"edit\" ID=\"e1\" VALUE=\"a&lt;b\" WIDTH=\"80\">");
    EXPECT_EQ(tag.Type, "EDIT");
    EXPECT_EQ(tag.ID, "e1");
    EXPECT_EQ(tag.Value, "a<b");
    EXPECT_EQ(tag.Width, "80");
    EXPECT_EQ(tag.Height, "");
    // "ID=" is found inside GRID= first
    EXPECT_EQ(ParseControlTag("CONTROL GRID=\"g\" ID=\"real\">").ID, "g");
}

TEST(HtmlUtils, WalkingControls)
{
    EXPECT_TRUE(HasControlTag("x <control type"));
    EXPECT_FALSE(HasControlTag("x <b>"));
    EXPECT_EQ(NextEditControlID(kForm, ""), "name");
    EXPECT_EQ(NextEditControlID(kForm, "name"), "city");
    EXPECT_EQ(NextEditControlID(kForm, "city"), "");
    EXPECT_EQ(NextEditControlID(kForm, "missing"), "");
    EXPECT_EQ(GetControlProp(kForm, "name"), "p<1");
    EXPECT_EQ(GetControlProp(kForm, "ok"), "");
    EXPECT_EQ(GetControlMaxLen(kForm, "name"), 12);
    EXPECT_EQ(GetControlMaxLen(kForm, "missing"), 0);
}

TEST(HtmlUtils, SetControlValueRewritesTheTag)
{
    String text = kForm;
    ASSERT_TRUE(SetControlValue(text, "name", "a<b \xE9"));
    const THtmlControlTag tag = ParseControlTag(text.substr(text.find("CONTROL")));
    EXPECT_EQ(tag.Value, "a<b \xE9");
    EXPECT_EQ(tag.Width, "80");
    EXPECT_EQ(tag.Type, "EDIT");
    EXPECT_EQ(tag.Prop, "p<1");
    EXPECT_EQ(tag.MaxLen, "12");
    EXPECT_NE(text.find("<CONTROL ID=\"name\" VALUE=\"a&lt;b &eacute;\" WIDTH=\"80\" TYPE=\"EDIT\" PROP=\"p&lt;1\" MAXLEN=\"12\">"),
              String::npos);
    EXPECT_EQ(text.find("EXTRA"), String::npos);
    EXPECT_EQ(text.substr(0, 5), "Name ");
    EXPECT_NE(text.find("HEIGHT=\"30\""), String::npos);

    String lower = "<control type=\"combo\" id=\"c\" value=\"x\" width=\"9\" height=\"22\"> after";
    ASSERT_TRUE(SetControlValue(lower, "c", "y"));
    EXPECT_EQ(lower, "<CONTROL ID=\"c\" VALUE=\"y\" WIDTH=\"9\" TYPE=\"COMBO\" HEIGHT=\"22\"> after");

    String unchanged = kForm;
    EXPECT_FALSE(SetControlValue(unchanged, "missing", "v"));
    EXPECT_EQ(unchanged, kForm);
}

TEST(HtmlUtils, ClearRadioControls)
{
    const String text = "<CONTROL TYPE=\"RADIO\" ID=\"a\" VALUE=\"TRUE\" WIDTH=\"20\">"
                        "<CONTROL TYPE=\"RADIO\" ID=\"b\" VALUE=\"FALSE\" WIDTH=\"20\">"
                        "<CONTROL TYPE=\"CHECK\" ID=\"c\" VALUE=\"TRUE\" WIDTH=\"20\">";
    const String cleared = ClearRadioControls(text);
    EXPECT_EQ(cleared.find("VALUE=\"TRUE\" WIDTH=\"20\" TYPE=\"RADIO\""), String::npos);
    EXPECT_NE(cleared.find("ID=\"a\" VALUE=\"FALSE\""), String::npos);
    EXPECT_NE(cleared.find("TYPE=\"CHECK\" ID=\"c\" VALUE=\"TRUE\""), String::npos);
}

TEST(HtmlUtils, EntityRoundTrips)
{
    struct Case { const char* text; const char* encoded; };
    const Case cases[] = {
        {"a & b", "a &amp; b"}, {"\"q\"", "&quot;q&quot;"}, {"<x>", "&lt;x&gt;"},
        {"\xE9\xC9\xD8\xF8\x80\xA9", "&eacute;&Eacute;&Oslash;&oslash;&euro;&copy;"},
        {"*amp;", "*amp;"}, {"&amp;", "&amp;amp;"}, {"plain", "plain"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EncodeHtmlEntities(c.text), c.encoded) << c.text;
        EXPECT_EQ(DecodeHtmlEntities(c.encoded), c.text) << c.encoded;
    }
    EXPECT_EQ(DecodeHtmlEntities("&Eacute;&eacute;"), "\xC9\xE9");
    EXPECT_EQ(DecodeHtmlEntities("&AMP;&unknown;&"), "&AMP;&unknown;&");
    EXPECT_EQ(DecodeHtmlEntities("&amp;lt;"), "&lt;");
}

TEST(HtmlUtils, PlainTextFromMarkup)
{
    EXPECT_EQ(HtmlToPlainText("one<br>two"), "one\r\ntwo");
    EXPECT_EQ(HtmlToPlainText("<b>bold</b> <HR>x"), "bold \r\nx");
    // a ">" before the first "<" does not duplicate text
    EXPECT_EQ(HtmlToPlainText("a>b<i>c</i>"), "a>bc");
    EXPECT_EQ(HtmlToPlainText("a<b"), "a<b");
    EXPECT_EQ(RemoveHtmlTags("<b>x</b><br>y"), "xy");
    EXPECT_EQ(RemoveHtmlTags("a>b<i>c"), "a>bc");
    EXPECT_EQ(MaskText("abc"), "***");
    EXPECT_EQ(RemoveFieldMarks("Dear <#Name>, <#Town>!"), "Dear #Name, #Town!");
    EXPECT_EQ(LineBreaksToBR("a\r\nb", true), "a<BR>b");
    EXPECT_EQ(LineBreaksToBR("a\r\nb", false), "ab");
}

TEST(HtmlUtils, PlainIndexToHtmlIndex)
{
    const String text = "a<b>bc</b>d";
    EXPECT_EQ(PlainIndexToHtmlIndex(text, 1), 1);
    EXPECT_EQ(PlainIndexToHtmlIndex(text, 2), 2);
    EXPECT_EQ(PlainIndexToHtmlIndex(text, 3), 6);
    EXPECT_EQ(PlainIndexToHtmlIndex(text, 4), 7);
    EXPECT_EQ(PlainIndexToHtmlIndex(text, 5), 12);
    EXPECT_EQ(PlainIndexToHtmlIndex(text, 9), 0);
}

TEST(HtmlUtils, SearchHighlights)
{
    struct Case { const char* text; const char* search; bool caseSensitive; const char* expected; };
    const Case cases[] = {
        {"abcabc", "b", true, "a<HI>b</HI>ca<HI>b</HI>c"},
        {"ABC", "b", false, "A<HI>B</HI>C"},
        {"ABC", "b", true, "ABC"},
        // a letter of a tag name is never wrapped; a tag right before a match ends up inside
        {"<b>bob</b>", "b", true, "<HI><b>b</HI>o<HI>b</HI></b>"},
        {"<i>one</i> two", "o", true, "<HI><i>o</HI>ne</i> tw<HI>o</HI>"},
        {"x", "", true, "x"},
    };
    for (const Case& c : cases) {
        const String highlighted = InsertHighlightTags(c.text, c.search, "HI", c.caseSensitive);
        EXPECT_EQ(highlighted, c.expected) << c.text;
        EXPECT_EQ(RemoveHighlightTags(highlighted, "hi"), c.text) << c.text;
    }
    // visible angle brackets: the mark-up is dropped and the brackets escaped
    const String escaped = InsertHighlightTags("a < b", "<", "HI", true);
    EXPECT_EQ(escaped, "a <HI>&lt;</HI> b");
    EXPECT_EQ(RemoveHighlightTags(escaped, "HI"), "a < b");
}

TEST(HtmlUtils, PositionsAndNumbers)
{
    int p = -1;
    EXPECT_EQ(CaseInsensitivePos("bc", "ABCD"), 2);
    EXPECT_EQ(UpperPosWithResult("ID=", "x id=\"1\"", p), 3);
    EXPECT_EQ(p, 3);
    EXPECT_EQ(HtmlPosWithResult("z", "abc", p), 0);
    EXPECT_EQ(p, 0);
    EXPECT_EQ(FindTextFrom("b", "abab", 2, p, true), 4);
    EXPECT_EQ(FindTextFrom("B", "abab", 0, p, false), 2);
    EXPECT_EQ(FindTextFrom("b", "ab", 5, p, true), 0);
    String t = "x &AMP; y";
    EXPECT_TRUE(ReplaceFirstNoCase("&amp;", "&", t));
    EXPECT_EQ(t, "x & y");
    EXPECT_FALSE(ReplaceFirstNoCase("q", "r", t));
    EXPECT_EQ(TextToIntQuiet("120px"), 120);
    EXPECT_EQ(TextToIntQuiet("px"), 0);
    EXPECT_EQ(TextToIntQuiet("99999999999999"), 2147483647);
}

} // namespace
