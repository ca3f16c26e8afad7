#include "components/grid/CellText.h"

#include <gtest/gtest.h>

namespace {

String Bytes(std::initializer_list<int> bytes)
{
    String s;
    for (int b : bytes)
        s.push_back(static_cast<char>(b));
    return s;
}

TEST(CellText, TextKinds)
{
    struct Case { String text; bool html; int kind; };
    const Case cases[] = {
        {"", true, ctkPlain},
        {"=A1+2", true, ctkFormula},
        {"=", false, ctkFormula},
        {"{\\rtf1 x}", true, ctkRtf},
        {"a</B>", true, ctkHtml},
        {"a</B>", false, ctkPlain},
        {"<b>bold", true, ctkPlain},
        {"<B>bold", true, ctkHtml},
        {"<CONTROL x>", true, ctkHtml},
        {"<i>x</i>", true, ctkHtml},
        {"plain", true, ctkPlain},
        {Bytes({0x7C, 0x5C, 0, '=', 0, '1'}), true, ctkFormula},
        {Bytes({0x7C, 0x5C, 0, '='}), true, ctkWide},
        {Bytes({0x7C, 0x5C, 0, 'a', 0, '<', 0, 'B'}), true, ctkWide},
        {Bytes({0x7C, 0x5C}), true, ctkWide},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GetCellTextKind(c.text, c.html), c.kind) << c.text;
}

TEST(CellText, WideCellTextForms)
{
    EXPECT_EQ(EncodeWideCellText(u""), Bytes({0x7C, 0x5C}));
    EXPECT_EQ(DecodeWideCellText(Bytes({0x7C, 0x5C})), u"");
    EXPECT_EQ(EncodeWideCellText(u"A"), Bytes({0x7C, 0x5C, 0x00, 0x41}));
    EXPECT_EQ(EncodeWideCellText(u"\u20AC"), Bytes({0x7C, 0x5C, 0x20, 0xAC}));
    EXPECT_EQ(DecodeWideCellText(Bytes({0x7C, 0x5C, 0x00, 0x41, 0x20})), u"A");
    // a text without the marker is read in the system code page
    EXPECT_EQ(DecodeWideCellText("caf\xE9 \x80"), u"caf\u00E9 \u20AC");

    const WideString samples[] = {WideString(u"x\0y", 3), u"\U0001F600 smile", u"\u4E2D\u6587", u"=", u"|\\"};
    for (const WideString& w : samples)
        EXPECT_EQ(DecodeWideCellText(EncodeWideCellText(w)), w);
}

TEST(CellText, WideSearch)
{
    EXPECT_EQ(WidePos(u"lo", u"hello"), 4);
    EXPECT_EQ(WidePos(u"", u"hello"), 0);
    EXPECT_EQ(WidePos(u"hello!", u"hello"), 0);
    EXPECT_EQ(WidePos(u"x", u"hello"), 0);
    EXPECT_EQ(WidePos(u"\u20AC", u"a\u20ACb"), 2);
    EXPECT_EQ(WideStrScan(nullptr, u"a"), nullptr);
    EXPECT_EQ(WideStrScan(u"a", nullptr), nullptr);
}

TEST(CellText, OneLineForm)
{
    const String multi = Bytes({'a', 13, 10, 'b'});
    const String oneLine = EncodeLineBreaks(multi);
    EXPECT_EQ(oneLine, Bytes({'a', 9, 8, 'b'}));
    EXPECT_EQ(DecodeLineBreaks(oneLine, true), multi);
    EXPECT_EQ(DecodeLineBreaks(oneLine, false), "a");
    EXPECT_EQ(DecodeLineBreaks(Bytes({'x', 9, 'y'}), true), Bytes({'x', 9, 'y'}));
    // a 0 byte travels as 1 in a text with line breaks
    EXPECT_EQ(EncodeLineBreaks(Bytes({'a', 0, 13, 10})), Bytes({'a', 1, 9, 8}));
    EXPECT_EQ(DecodeLineBreaks(Bytes({'a', 1, 9, 8}), true), Bytes({'a', 0, 13, 10}));
    // without a CR the text is not converted
    EXPECT_EQ(EncodeLineBreaks(Bytes({'a', 10, 0})), Bytes({'a', 10, 0}));
}

TEST(CellText, CutFirstLineAndCount)
{
    String text = Bytes({'a', 13, 10, 'b', 13, 'c'}), line;
    CutFirstLine(text, true, line);
    EXPECT_EQ(line, "a");
    EXPECT_EQ(text, Bytes({'b', 13, 'c'}));
    text = Bytes({'a', 13, 'b'});
    CutFirstLine(text, false, line);
    EXPECT_EQ(line, "a");
    EXPECT_EQ(text, "");
    text = "single";
    CutFirstLine(text, true, line);
    EXPECT_EQ(line, "single");
    EXPECT_EQ(text, "");
    EXPECT_EQ(CountTextLines(Bytes({'a', 13, 10, 'b', 13, 'c'}), true), 3);
    EXPECT_EQ(CountTextLines(Bytes({'a', 13, 10, 'b'}), false), 1);
}

TEST(CellText, ExchangeForms)
{
    String text = Bytes({'a', 13, 10, 'b'});
    QuoteMultiLineText(text);
    EXPECT_EQ(text, Bytes({'"', 'a', 11, 'b', '"'}));
    text = "plain";
    QuoteMultiLineText(text);
    EXPECT_EQ(text, "\"plain\"");
    text = Bytes({'a', 11, 'b'});
    VTabToLineBreaks(text);
    EXPECT_EQ(text, Bytes({'a', 13, 10, 'b'}));
    text = "~";
    TildeToLineBreaks(text);
    EXPECT_EQ(text, "\r\n");
    text = "^";
    TildeToLineBreaks(text);
    EXPECT_EQ(text, "");
    EXPECT_EQ(BackslashNToCR("a\\nb"), "a\rb");
    EXPECT_EQ(CRToLF("a\r\nb"), "a\n\nb");
}

} // namespace
