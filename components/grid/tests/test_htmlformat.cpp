#include "components/grid/HtmlFormat.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

std::vector<THtmlToken> Tokens(const String& text)
{
    std::vector<THtmlToken> tokens;
    String rest = text;
    THtmlToken t;
    while (NextHtmlToken(rest, t))
        tokens.push_back(t);
    return tokens;
}

TEST(HtmlFormat, TokensAndUnfinishedTags)
{
    auto t = Tokens("a<b>bold</b>c");
    ASSERT_EQ(t.size(), 5u);
    EXPECT_FALSE(t[0].IsTag);
    EXPECT_EQ(t[0].Text, "a");
    EXPECT_TRUE(t[1].IsTag);
    EXPECT_EQ(t[1].Text, "<b>");
    EXPECT_EQ(t[3].Text, "</b>");
    EXPECT_EQ(t[4].Text, "c");
    // a "<" at the end, or second to last, drops the remainder
    t = Tokens("text<");
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0].Text, "text");
    EXPECT_EQ(Tokens("text<x").size(), 1u);
    // a tag without ">" swallows the rest
    t = Tokens("shown<font never");
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[0].Text, "shown");
    EXPECT_TRUE(t[1].IsTag);
}

TEST(HtmlFormat, TagsByTheirFirstLetters)
{
    struct Case { const char* tag; THtmlTag kind; bool closing; };
    const Case cases[] = {
        {"<b>", THtmlTag::Bold, false}, {"<B>", THtmlTag::Bold, false}, {"<BOLD>", THtmlTag::Body, false},
        {"<BLINK>", THtmlTag::Blink, false}, {"<BODY BGCOLOR=\"clred\">", THtmlTag::Body, false},
        {"<br>", THtmlTag::LineBreak, false}, {"<a href=\"x\">", THtmlTag::Anchor, false},
        {"<FONTX color>", THtmlTag::Font, false}, {"<HI>", THtmlTag::Highlight, false},
        {"<hr>", THtmlTag::HorizontalRule, false}, {"<i>", THtmlTag::Italic, false},
        {"<ind x=\"5\">", THtmlTag::Indent, false}, {"<img src=\"a\">", THtmlTag::Image, false},
        {"<IX>", THtmlTag::Unknown, false}, {"<li>", THtmlTag::ListItem, false},
        {"<p align=\"right\">", THtmlTag::Paragraph, false}, {"<r a=\"90\">", THtmlTag::Rotate, false},
        {"<s>", THtmlTag::Strike, false}, {"<sh>", THtmlTag::Shadow, false}, {"<sub>", THtmlTag::Subscript, false},
        {"<SUP>", THtmlTag::Superscript, false}, {"<sub x>", THtmlTag::Unknown, false},
        {"<u>", THtmlTag::Underline, false}, {"<ul>", THtmlTag::List, false}, {"<z>", THtmlTag::Hidden, false},
        {"<e>", THtmlTag::ErrorMark, false}, {"<control type=\"EDIT\">", THtmlTag::Control, false},
        {"<#name>", THtmlTag::Unknown, false}, {"<q>", THtmlTag::Unknown, false},
        {"</b>", THtmlTag::Bold, true}, {"</body>", THtmlTag::ColorReset, true}, {"</BL>", THtmlTag::ColorReset, true},
        {"</hr>", THtmlTag::Highlight, true}, {"</ix>", THtmlTag::Italic, true}, {"</sub>", THtmlTag::Subscript, true},
        {"</sup>", THtmlTag::Subscript, true}, {"</sh>", THtmlTag::Shadow, true}, {"</strike>", THtmlTag::Strike, true},
        {"</u>", THtmlTag::Underline, true}, {"</ul>", THtmlTag::List, true}, {"</font>", THtmlTag::Font, true},
        {"</a>", THtmlTag::Anchor, true}, {"</z>", THtmlTag::Hidden, true},
    };
    for (const Case& c : cases) {
        const THtmlTagInfo info = IdentifyHtmlTag(c.tag);
        EXPECT_EQ(info.Tag, c.kind) << c.tag;
        EXPECT_EQ(info.Closing, c.closing) << c.tag;
    }
}

TEST(HtmlFormat, AttributesOfTags)
{
    const String font = "<FONT face=\"Arial\" color=\"#00ff00\" bgcolor=\"clYellow\" size=\"3\">";
    EXPECT_EQ(HtmlTagAttribute(font, "FACE"), "ARIAL");
    EXPECT_EQ(HtmlTagAttribute(font, " COLOR"), "#00FF00");
    EXPECT_EQ(HtmlColorValueToColor(HtmlTagAttribute(font, " COLOR")), 0x00FF00u);
    EXPECT_EQ(HtmlTagAttribute(font, "BGCOLOR"), "CLYELLOW");
    EXPECT_EQ(HtmlTagAttribute(font, "SIZE"), "3");
    // BGCOLOR alone does not give a font colour
    EXPECT_EQ(HtmlTagAttribute("<FONT bgcolor=\"clred\">", " COLOR"), "");
    // a font tag written with one letter loses its first attribute characters
    EXPECT_EQ(HtmlTagAttribute("<F COLOR=\"clred\">", " COLOR"), "");
    // anchors keep the case of their values
    EXPECT_EQ(HtmlTagAttribute("<A href=\"http://X.org/Page\" title=\"Hint\">", "HREF"), "http://X.org/Page");
    EXPECT_EQ(HtmlTagAttribute("<A href=\"x\" title=\"Hint\">", "TITLE"), "Hint");
    EXPECT_EQ(HtmlTagAttribute("<IMG src=\"pic.bmp\" width=\"20\">", "SRC"), "PIC.BMP");
    EXPECT_EQ(HtmlTagAttribute("<CONTROL TYPE=\"EDIT\" ID=\"ed1\">", "ID"), "ed1");
    EXPECT_EQ(HtmlTagAttribute("<A href=\"unclosed>", "HREF"), "unclosed>");
    EXPECT_EQ(HtmlTagAttribute("<A href=x>", "HREF"), "");
}

TEST(HtmlFormat, ColoursAndSizes)
{
    EXPECT_EQ(HexColorToColor("#FF0000"), 0x0000FFu);
    EXPECT_EQ(HexColorToColor("#0000FF"), 0xFF0000u);
    EXPECT_EQ(HexColorToColor("#12"), 0x12u);
    EXPECT_EQ(HexPairToByte("A"), 0);
    EXPECT_EQ(HexPairToByte("7F"), 0x7F);
    EXPECT_EQ(HtmlColorNameToColor("clorange"), 0u);
    EXPECT_EQ(HtmlColorNameToColor("CL3DDKSHADOW"), 0xFF000015u);
    EXPECT_EQ(HtmlColorNameToColor("clRed"), 0x0000FFu);
    EXPECT_EQ(HtmlColorNameToColor("clinfobk"), 0xFF000018u);
    EXPECT_EQ(HtmlFontSizeToPoints(3), 12);
    EXPECT_EQ(HtmlFontSizeToPoints(9), 9);
    EXPECT_EQ(HtmlFontSizeToPoints(1), 8);
}

TEST(HtmlFormat, RendererEntities)
{
    EXPECT_EQ(DecodeFixedHtmlEntities("a &AMP; b &amp; c"), "a & b & c");
    EXPECT_EQ(DecodeFixedHtmlEntities("&euro;5 &Trade; &sect;"), "\x80" "5 \x99 \xA7");
    // one pass: what an entity produced is not decoded again
    EXPECT_EQ(DecodeFixedHtmlEntities("&amp;quot;"), "&quot;");
    EXPECT_EQ(DecodeFixedHtmlEntities("&lt;"), "&lt;");
    EXPECT_EQ(DecodeTextRunEntities("&lt;x&gt;&nbsp;"), "<x> ");
    EXPECT_EQ(DecodeTextRunEntities("&LT;"), "&LT;");
}

TEST(HtmlFormat, EntityTable)
{
    EXPECT_STREQ(HtmlEntityTable[0].Entity, "&eacute;");
    EXPECT_EQ(HtmlEntityTable[42].Char, '\xD8');
    EXPECT_STREQ(HtmlEntityTable[42].Entity, "&Oslash;");
    EXPECT_STREQ(HtmlEntityTable[50].Entity, "&raquo;");
}

TEST(HtmlFormat, PictureSources)
{
    THtmlPictureSource s = ParseHtmlPictureSource("IDX:2");
    EXPECT_EQ(s.Kind, THtmlPictureSourceKind::ImageIndex);
    EXPECT_EQ(s.Index, 2);
    s = ParseHtmlPictureSource("SSYS:C:/x.txt");
    EXPECT_EQ(s.Kind, THtmlPictureSourceKind::SmallSystemIcon);
    EXPECT_EQ(s.Name, "C:/x.txt");
    EXPECT_EQ(s.Index, -1);
    s = ParseHtmlPictureSource("LSYS:12");
    EXPECT_EQ(s.Kind, THtmlPictureSourceKind::LargeSystemIcon);
    EXPECT_EQ(s.Index, 12);
    EXPECT_EQ(ParseHtmlPictureSource("LOGO").Kind, THtmlPictureSourceKind::Container);
    EXPECT_EQ(ParseHtmlPictureSource("FILE://a.bmp").Kind, THtmlPictureSourceKind::Url);
    EXPECT_EQ(ParseHtmlPictureSource("X:Y").Kind, THtmlPictureSourceKind::None);
}

} // namespace
