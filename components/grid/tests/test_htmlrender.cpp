#include "components/grid/HtmlRender.h"
#include "components/grid/PictureContainer.h"
#include "platform/testing/quelm_test_support.h"

#include <QBuffer>
#include <QImage>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

// A canvas on a white 96-dpi recording device with the grid's default font.
struct HtmlSurface {
    explicit HtmlSurface(int w = 300, int h = 200) : dc(w, h)
    {
        dc.Recorder = &log;
        canvas.SetHandle(&dc);
        canvas.Brush->Color = clWhite;
        canvas.Font->Name = "DejaVu Sans";
        canvas.Font->Color = clBlack;
    }
    ~HtmlSurface() { canvas.SetHandle(nullptr); }
    COLORREF At(int x, int y) { return GetPixel(&dc, x, y); }
    int Width(const String& s, bool bold = false)
    {
        if (bold)
            canvas.Font->Style << fsBold;
        const int w = canvas.TextWidth(s);
        canvas.Font->Style >> fsBold;
        return w;
    }
    int Gh() { return canvas.TextHeight("gh"); }
    // Draws (or with the args' flags measures / hit-tests) in (0, 0, width, height).
    bool Run(const String& html, THtmlDrawArgs args = {}, TRect r = TRect(0, 0, 300, 200))
    {
        result = THtmlDrawResult();
        return DrawHtml(&canvas, html, r, args, result);
    }
    std::vector<TGdiRecord> Texts()
    {
        std::vector<TGdiRecord> out;
        for (const TGdiRecord& rec : log.Of("DrawText"))
            out.push_back(rec);
        return out;
    }
    DeviceContext dc;
    TGdiRecorder log;
    TCanvas canvas;
    THtmlDrawResult result;
};

THtmlDrawArgs Measure()
{
    THtmlDrawArgs a;
    a.MeasureOnly = true;
    return a;
}

THtmlDrawArgs HitAt(int x, int y)
{
    THtmlDrawArgs a;
    a.HitTestOnly = true;
    a.HitX = x;
    a.HitY = y;
    return a;
}

std::vector<uint8_t> PngBytes(int w, int h, QRgb color)
{
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

} // namespace

TEST(HtmlRender, MeasuresTextAndPlainText)
{
    HtmlSurface s;
    const int gh = s.Gh();
    struct Case {
        String html;
        String plain;
        int width;
        int lines;
    };
    const Case cases[] = {
        {"", "", 0, 1},
        {"Hello", "Hello", s.Width("Hello"), 1},
        {"<b>Hello</b>", "Hello", s.Width("Hello", true), 1},
        {"<BOLD>Hello</b>", "Hello", s.Width("Hello"), 1}, // B must be followed by ">"
        {"a<br>b", "a\rb", s.Width("a"), 2},
        {"a\r\nb", "a\rb", s.Width("a"), 2},           // CR LF is one break
        {"a\nb", "ab", s.Width("ab"), 1},               // a lone LF is none
        {"&lt;b&gt;", "<b>", s.Width("<b>"), 1},        // escaped brackets start no tag
        {"&AMP;&LT;", "&&LT;", s.Width("&&LT;"), 1},    // only the fixed entities in any case
        {"abc<", "abc", s.Width("abc"), 1},
        {"abc<b", "abc", s.Width("abc"), 1},
        {"abc<i never closed", "abc", s.Width("abc"), 1},
        {"<z>secret</z>x", "secretx", s.Width("x"), 1}, // hidden text counts in the plain text only
        {"x<#Name>", "x#Name", s.Width("x#Name"), 1},   // field marks show their name
        {"<qq attr=\"v\">t", "t", s.Width("t"), 1},
        {"a<ul>b", "ab", s.Width("a"), 2}, // U not followed by ">" opens a list level
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(s.Run(c.html, Measure())) << c.html;
        EXPECT_EQ(s.result.PlainText, c.plain) << c.html;
        EXPECT_EQ(s.result.ExtentX, c.width) << c.html;
        EXPECT_EQ(s.result.ExtentY, c.lines * gh) << c.html;
    }
}

TEST(HtmlRender, WrapsWords)
{
    HtmlSurface s;
    const int gh = s.Gh();
    const int w = s.Width("aaaa bbbb ") + 4;
    // three words, two fit on a line (with the blank after the second)
    s.Run("aaaa bbbb cccc", Measure(), TRect(0, 0, w, 200));
    EXPECT_EQ(s.result.ExtentY, 2 * gh);
    EXPECT_EQ(s.result.ExtentX, s.Width("aaaa bbbb")); // the trailing blank does not count

    // a word split by a bold tag is never broken between its halves
    const int narrow = s.Width("aaaa") + 4;
    s.Run("aaaa<b>bbbb</b>", Measure(), TRect(0, 0, narrow, 200));
    EXPECT_EQ(s.result.ExtentY, gh);

    // a word wider than the whole line is placed where it stands
    s.Run("a wordthatisverylong b", Measure(), TRect(0, 0, narrow, 200));
    EXPECT_EQ(s.result.ExtentY, 2 * gh);

    // without wrapping the first run that crosses the edge ends in an ellipsis, the rest goes
    THtmlDrawArgs noWrap;
    noWrap.WrapWords = false;
    s.log.Clear();
    s.Run("first <b>second</b> third", noWrap, TRect(0, 0, s.Width("first ") + 10, 200));
    const auto texts = s.Texts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].Text, "first ");
    EXPECT_NE(texts[1].Lines.at(0).find("..."), String::npos);
    EXPECT_EQ(s.result.PlainText, "first second");

    // text below the rectangle is dropped unless only measured
    s.Run("a<br>b<br>c", {}, TRect(0, 0, 100, gh + 2));
    EXPECT_EQ(s.result.ExtentY, gh);
    s.Run("a<br>b<br>c", Measure(), TRect(0, 0, 100, gh + 2));
    EXPECT_EQ(s.result.ExtentY, 3 * gh);
}

TEST(HtmlRender, AlignsParagraphsAndIndents)
{
    HtmlSurface s;
    s.log.Clear();
    s.Run("<p align=\"right\">word </p>", {}, TRect(0, 0, 200, 100));
    auto texts = s.Texts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].Rect.left, 200 - s.Width("word")); // flush with the right edge
    s.log.Clear();
    s.Run("<p align=\"center\">word</p>", {}, TRect(0, 0, 201, 100));
    texts = s.Texts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].Rect.left, 1 + (200 - s.Width("word")) / 2);
    s.log.Clear();
    s.Run("ab<ind x=\"50\">cd", {}, TRect(0, 0, 200, 100));
    texts = s.Texts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[1].Rect.left, 50);
    // an IN tag behind text that already passed x moves nothing back
    s.Run("abcdefghijkl<ind x=\"5\">cd", Measure());
    EXPECT_EQ(s.result.ExtentX, s.Width("abcdefghijkl") + s.Width("cd"));
}

TEST(HtmlRender, HitTestsLinks)
{
    HtmlSurface s;
    const String html = "<a href=\"one\">first</a> <a href=\"two\" title=\"Two!\">second</a> <a href=\"three\">third</a>";
    s.Run(html, Measure());
    EXPECT_EQ(s.result.LinkCount, 3);
    const int x3 = 1 + s.Width("first second ") + 3;
    const int y = s.Gh() / 2;
    EXPECT_TRUE(s.Run(html, HitAt(x3, y)));
    EXPECT_EQ(s.result.MouseLink, 3);
    EXPECT_EQ(s.result.AnchorUnderPoint, "three");
    EXPECT_EQ(s.result.HoverRect.Left, 1 + s.Width("first second "));
    EXPECT_EQ(s.result.HoverRect.Right, 1 + s.Width("first second third"));
    EXPECT_EQ(s.result.HoverRect.Top, 0);

    EXPECT_TRUE(s.Run(html, HitAt(1 + s.Width("first ") + 2, y)));
    EXPECT_EQ(s.result.MouseLink, 2);
    EXPECT_EQ(s.result.AnchorTitle, "Two!");

    // over the blank between links, or below the text: no link
    EXPECT_FALSE(s.Run(html, HitAt(200, y)));
    EXPECT_EQ(s.result.MouseLink, -1);
    EXPECT_FALSE(s.Run(html, HitAt(x3, 3 * s.Gh())));
    EXPECT_EQ(s.result.MouseLink, -1);
    EXPECT_EQ(s.result.AnchorUnderPoint, "");
}

TEST(HtmlRender, LinkWrappedToTheNextLine)
{
    HtmlSurface s;
    const int gh = s.Gh();
    const int w = s.Width("intro linkword ") + 4;
    const String html = "intro <a href=\"x\">linkword more</a>";
    EXPECT_TRUE(s.Run(html, HitAt(5, gh + gh / 2), TRect(0, 0, w, 200)));
    EXPECT_EQ(s.result.MouseLink, 1);
    EXPECT_EQ(s.result.HoverRect.Left, 1); // the second line's left edge
    EXPECT_EQ(s.result.HoverRect.Top, gh);
}

TEST(HtmlRender, ColoursAndFonts)
{
    HtmlSurface s;
    s.log.Clear();
    s.Run("<font color=\"#00ff00\" face=\"DejaVu Serif\" size=\"5\">g</font>n<a href=\"u\">l</a>");
    const auto texts = s.Texts();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0].TextColor, COLORREF(0x00FF00)); // hex digits read upper-cased
    EXPECT_EQ(texts[0].FontName, "DEJAVU SERIF");
    EXPECT_EQ(texts[0].FontHeight, -21); // size 5 = 16 points
    EXPECT_EQ(texts[1].TextColor, COLORREF(0));
    EXPECT_EQ(texts[1].FontName, "DejaVu Sans");
    EXPECT_EQ(texts[2].TextColor, COLORREF(0xFF0000)); // link colour

    THtmlDrawArgs keep;
    keep.KeepColors = true;
    s.log.Clear();
    s.Run("<font color=\"clred\">r</font><a href=\"u\">l</a>", keep);
    for (const TGdiRecord& t : s.Texts())
        EXPECT_EQ(t.TextColor, COLORREF(0)) << t.Text;

    // the canvas gets its font, pen and brush back
    s.canvas.Pen->Color = clTeal;
    s.Run("<b><i><font color=\"clred\" bgcolor=\"clyellow\">x");
    EXPECT_EQ(s.canvas.Font->Color, clBlack);
    EXPECT_FALSE(s.canvas.Font->Style.Contains(fsBold));
    EXPECT_EQ(s.canvas.Pen->Color, clTeal);
    EXPECT_EQ(s.canvas.Brush->Color, clWhite);
}

TEST(HtmlRender, SubAndSuperscript)
{
    HtmlSurface s;
    const int gh = s.Gh();
    s.Run("x<sup>2</sup>", Measure());
    EXPECT_EQ(s.result.ExtentY, gh + gh / 4);
    s.Run("x<sub>2</sub>y", Measure());
    EXPECT_EQ(s.result.ExtentY, gh + gh / 4);
    s.log.Clear();
    s.Run("x<sup>2</sup>");
    const auto texts = s.Texts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[1].Rect.bottom, texts[0].Rect.bottom - gh / 4); // raised by a quarter
}

TEST(HtmlRender, Lists)
{
    HtmlSurface s;
    const int gh = s.Gh();
    s.log.Clear();
    s.Run("<ul><li>one<li>two</ul>");
    const auto texts = s.Texts();
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[0].FontName, "Symbol");
    EXPECT_EQ(texts[0].Text, String(1, '\xB7'));
    EXPECT_EQ(texts[1].Text, "one");
    EXPECT_EQ(texts[1].Rect.left, 1 + 12);
    EXPECT_EQ(texts[2].Rect.top, texts[0].Rect.top + gh); // the second item starts a new line
    s.log.Clear();
    s.Run("<ul><ul><li>deep</ul></ul>");
    ASSERT_FALSE(s.Texts().empty());
    EXPECT_EQ(s.Texts()[0].Text, "o");
    EXPECT_EQ(s.Texts()[0].Rect.left, 1 + 12);
}

TEST(HtmlRender, ControlsAndPictures)
{
    HtmlSurface s;
    const String html = "ab<control type=\"check\" id=\"c1\" value=\"true\" width=\"16\">"
                        "<control type=\"edit\" id=\"e1\" value=\"v\" width=\"60\">";
    // the control named by ControlID is reported wherever the point is
    THtmlDrawArgs args = HitAt(-1, -1);
    s.result.ControlID = "e1";
    THtmlDrawResult r;
    r.ControlID = "e1";
    EXPECT_TRUE(DrawHtml(&s.canvas, html, TRect(0, 0, 300, 100), args, r));
    EXPECT_EQ(r.ControlType, "EDIT");
    EXPECT_EQ(r.ControlValue, "v");
    EXPECT_EQ(r.AnchorUnderPoint, "ctrl");
    const int ab = s.Width("ab");
    EXPECT_EQ(r.ControlRect.Left, 1 + ab + 16);
    EXPECT_EQ(r.ControlRect.Right, 1 + ab + 16 + 60);
    // by the point
    EXPECT_TRUE(s.Run(html, HitAt(1 + ab + 8, 8)));
    EXPECT_EQ(s.result.ControlID, "c1");
    EXPECT_EQ(s.result.ControlType, "CHECK");
    // without WIDTH a control takes no room
    s.Run("a<control type=\"edit\" id=\"x\">b", Measure());
    EXPECT_EQ(s.result.ExtentX, s.Width("ab"));

    // a container picture of 80 x 20 with WIDTH 40 takes 40 x 10
    TPictureContainer pictures(nullptr);
    TPictureItem* item = pictures.Items()->Add();
    item->Name = "Logo";
    item->Picture()->LoadFromBytes(PngBytes(80, 20, qRgb(255, 0, 0)));
    THtmlDrawArgs m = Measure();
    m.Pictures = &pictures;
    s.Run("<img src=\"logo\" width=\"40\">", m);
    EXPECT_EQ(s.result.ExtentX, 40);
    s.Run("<img src=\"LOGO\">", m);
    EXPECT_EQ(s.result.ExtentX, 80);
    EXPECT_EQ(s.result.ExtentY, std::max(20, s.Gh()));
    // drawn: red pixels inside the box, none beside it
    THtmlDrawArgs d;
    d.Pictures = &pictures;
    s.Run("<img src=\"logo\" width=\"40\" height=\"10\">", d, TRect(10, 10, 200, 100));
    EXPECT_EQ(s.At(11 + 20, 10 + 5), COLORREF(0x0000FF));
    EXPECT_EQ(s.At(11 + 45, 10 + 5), COLORREF(0xFFFFFF));
    // a linked picture is hit; a missing one takes no room
    THtmlDrawArgs h = HitAt(20, 5);
    h.Pictures = &pictures;
    EXPECT_TRUE(s.Run("<a href=\"go\"><img src=\"logo\"></a>", h));
    EXPECT_EQ(s.result.AnchorUnderPoint, "go");
    s.Run("a<img src=\"nothere\">b", m);
    EXPECT_EQ(s.result.ExtentX, s.Width("ab"));
}

TEST(HtmlRender, PixelsOfDrawnCells)
{
    HtmlSurface s(120, 60);
    // paragraph background fills the line across the rectangle
    s.Run("<p bgcolor=\"#0000FF\">x</p>", {}, TRect(0, 0, 100, 40));
    EXPECT_EQ(s.At(90, 2), COLORREF(0xFF0000));
    EXPECT_EQ(s.At(110, 2), COLORREF(0xFFFFFF));
    // a rule one pixel under its line, across the whole rectangle
    HtmlSurface r(120, 60);
    r.Run("a<hr>b", {}, TRect(0, 0, 100, 60));
    const int y = r.Gh() + 1;
    EXPECT_EQ(r.At(50, y), COLORREF(0));
    EXPECT_EQ(r.At(50, y + 3), COLORREF(0xFFFFFF));
    // body colour fills the whole text rectangle
    HtmlSurface b(120, 60);
    b.Run("<body bgcolor=\"clyellow\">t</body>", {}, TRect(0, 0, 100, 50));
    EXPECT_EQ(b.At(99, 49), COLORREF(0x00FFFF));
    EXPECT_EQ(b.At(101, 49), COLORREF(0xFFFFFF));
    // highlighted text gets the highlight background behind it
    HtmlSurface hi(120, 60);
    SetHtmlHighlightColors(clLime, clBlack);
    hi.Run("<hi>MMMM</hi>", {}, TRect(0, 0, 100, 50));
    SetHtmlHighlightColors(clHighlight, clHighlightText);
    int green = 0;
    for (int x = 1; x < hi.Width("MMMM"); ++x)
        green += hi.At(x, 2) == COLORREF(0x00FF00);
    EXPECT_GT(green, 0);
    // the error mark: a red zig-zag along the line's bottom
    HtmlSurface e(120, 60);
    e.Run("<e>wrong</e>", {}, TRect(0, 0, 100, 50));
    int red = 0;
    for (int x = 2; x < e.Width("wrong"); ++x)
        for (int yy = e.Gh() - 2; yy <= e.Gh() + 2; ++yy)
            red += e.At(x, yy) == COLORREF(0x0000FF);
    EXPECT_GT(red, 5);
    // a shadow: the text once more in the shadow colour, under and right of the text, so it
    // inks more pixels than the text alone
    auto inked = [](const char* html) {
        HtmlSurface t(120, 60);
        t.Run(html, {}, TRect(0, 0, 100, 50));
        int n = 0;
        for (int x = 0; x < 110; ++x)
            for (int yy = 0; yy < 50; ++yy)
                n += t.At(x, yy) != COLORREF(0xFFFFFF);
        return n;
    };
    EXPECT_GT(inked("<sh>MMMM</sh>"), inked("MMMM") + 5);
}

TEST(HtmlRender, SurvivesHostileInput)
{
    HtmlSurface s;
    const String cases[] = {
        "<", "<<", "<a", "</", "</a", "<a href=\"", "<font size=\"99999999999\">x", "<img src=\"IDX:\">",
        "<img src=\"IDX:99\">", "<control type=\"button\" width=\"-5\">", "<p indent=\"-40\">x",
        "<ind x=\"2147483647\">x", "<r a=\"45\">rot</r>", String(5000, '<'), "<" + String(100000, 'a') + ">",
        "<font face=\"" + String(1000, 'F') + "\">x", "&amp;&amp;lt;&", "<li><li><li><li>", "</ul></ul>x",
    };
    for (const String& c : cases) {
        s.Run(c, Measure());
        s.Run(c);
        s.Run(c, HitAt(5, 5));
    }
    SUCCEED();
}

// "SSYS:"/"LSYS:" show the system image list's icon of a file's kind (or of an index) in a box
// of the list's icon size; "RES://" pictures come from the program's resources.
TEST(HtmlRender, SystemIconsAndResourcePictures)
{
    // the icon's pixels of the drawn box, as colours
    auto iconPixels = [](const String& html, THtmlDrawArgs args, int side) {
        HtmlSurface s(80, 60);
        s.Run(html, args, TRect(0, 0, 80, 60));
        std::vector<COLORREF> px;
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side + 2; ++x)
                px.push_back(s.At(x, y));
        return px;
    };
    auto count = [](const std::vector<COLORREF>& px, COLORREF c) { return std::count(px.begin(), px.end(), c); };
    struct IconCase {
        String html;
        int side;
        COLORREF mark; // a colour the kind's icon holds, 0xFFFFFF for none drawn
    };
    const String folder = quelmtest::SourceDir() + "/components/grid/tests";
    for (const IconCase& c : std::vector<IconCase>{{"<img src=\"SSYS:notes.txt\">", 16, 0x707070},
                                                   {"<img src=\"LSYS:NOTES.TXT\">", 32, 0x707070},
                                                   {"<img src=\"SSYS:3\">", 16, 0x707070},
                                                   {"<img src=\"SSYS:photo.png\">", 16, 0x3C9A3C},
                                                   {"<img src=\"SSYS:" + folder + "\">", 16, 0x7EDDFB},
                                                   {"<img src=\"SSYS:99\">", 16, 0xFFFFFF}}) {
        HtmlSurface s;
        s.Run(c.html, Measure());
        EXPECT_EQ(s.result.ExtentX, c.side) << c.html;
        EXPECT_EQ(s.result.ExtentY, std::max(c.side, s.Gh())) << c.html;
        const std::vector<COLORREF> px = iconPixels(c.html, {}, c.side);
        if (c.mark == 0xFFFFFF)
            EXPECT_EQ(count(px, 0xFFFFFF), long(px.size())) << c.html;
        else
            EXPECT_GT(count(px, c.mark), 0) << c.html;
    }
    // the index of a kind draws as a file of that kind does
    EXPECT_EQ(iconPixels("<img src=\"SSYS:3\">", {}, 16), iconPixels("<img src=\"SSYS:a.log\">", {}, 16));
    // stretched by ImageScale with ScaleImages; the box keeps the icon's size
    THtmlDrawArgs scaled;
    scaled.ScaleImages = true;
    scaled.ImageScale = 2.0;
    HtmlSurface big(80, 60);
    big.Run("<img src=\"SSYS:a.txt\">", scaled, TRect(0, 0, 80, 60));
    EXPECT_NE(big.At(1 + 16, 15), COLORREF(0xFFFFFF)); // a text line at twice its place
    EXPECT_NE(big.At(1 + 26, 26), COLORREF(0xFFFFFF)); // the page edge beyond 16 pixels
    scaled.MeasureOnly = true;
    big.Run("<img src=\"SSYS:a.txt\">", scaled, TRect(0, 0, 80, 60));
    EXPECT_EQ(big.result.ExtentX, 16);

    // RES://: the program's resource, found by its name in any case, kept in the cache by the URL
    THTMLPictureCache cache;
    THtmlDrawArgs m = Measure();
    m.PictureCache = &cache;
    HtmlSurface s;
    s.Run("<img src=\"RES://logo\">", m);
    EXPECT_EQ(s.result.ExtentX, 6);
    ASSERT_NE(cache.FindPicture("RES://logo"), nullptr);
    THtmlDrawArgs d;
    d.PictureCache = &cache;
    s.Run("<img src=\"RES://logo\">", d, TRect(10, 10, 200, 100));
    EXPECT_EQ(s.At(11 + 2, 10 + 1), COLORREF(0xFF0000));
    EXPECT_EQ(s.At(11 + 7, 10 + 1), COLORREF(0xFFFFFF));
    // no such resource, or one that is no picture: no picture, no room, no fault
    for (const String& src : {String("RES://missing"), String("RES://notes"), String("RES://")}) {
        s.Run("a<img src=\"" + src + "\">b", m);
        EXPECT_EQ(s.result.ExtentX, s.Width("ab")) << src;
    }
}
