// The rich-edit control: rich text read and written through streams, the paragraphs as lines,
// the selection's font, typing through real key events, and the notices its parent hears.
#include "platform/framework/Forms.h"
#include "platform/framework/RichEdit.h"

#include "platform/win/WinGdi.h"

#include <QApplication>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <gtest/gtest.h>

namespace {

struct RichEditFixture : ::testing::Test {
    RichEditFixture()
    {
        form.SetBounds(0, 0, 400, 300);
        edit = new TRichEdit(&form);
        edit->SetParent(&form);
        edit->SetBounds(10, 10, 300, 120);
    }
    void ShowAndFocus()
    {
        form.Show();
        QApplication::setActiveWindow(form.Host());
        edit->SetFocus();
    }
    void Load(const std::string& bytes)
    {
        TMemoryStream s;
        if (!bytes.empty())
            s.WriteBuffer(bytes.data(), long(bytes.size()));
        s.SetPosition(0);
        edit->Lines()->LoadFromStream(s);
    }
    std::string Save()
    {
        TMemoryStream s;
        edit->Lines()->SaveToStream(s);
        std::string bytes(size_t(s.Size()), '\0');
        s.SetPosition(0);
        if (!bytes.empty())
            s.ReadBuffer(bytes.data(), long(bytes.size()));
        return bytes;
    }
    std::vector<String> LinesNow()
    {
        std::vector<String> out;
        for (int i = 0; i < edit->Lines()->Count(); ++i)
            out.push_back(edit->Lines()->Get(i));
        return out;
    }
    TForm form{nullptr};
    TRichEdit* edit;
};

} // namespace

TEST_F(RichEditFixture, ReadsTheCommonSubsetOfRichText)
{
    struct Case {
        const char* rtf;
        std::vector<String> lines;
    };
    const Case cases[] = {
        {R"({\rtf1\ansi\deff0{\fonttbl{\f0 Arial;}}\f0\fs20 Hello\par})", {"Hello"}},
        {R"({\rtf1 one\par two\par})", {"one", "two"}},
        {R"({\rtf1 one\par\par})", {"one", ""}},
        {R"({\rtf1 a\line b\tab c})", {"a\vb\tc"}},
        {R"({\rtf1 caf\'e9 \u8364? \{x\}\\})", {"caf\xe9 \x80 {x}\\"}},
        {R"({\rtf1\uc2 \u937\'3f\'3fz})", {"?z"}}, // a letter the code page lacks shows as "?"
        {R"({\rtf1{\*\generator Writer 1.0;}{\info{\title Title}}{\stylesheet{\s0 Normal;}}body{\pict 0102}})", {"body"}},
        {R"({\rtf1 {\b bold} \unknownword42 plain{\*\mystery skipped} end})", {"bold plain end"}},
        {R"({\rtf1 text}after the document)", {"text"}},
        {"not rich text\r\nsecond line", {"not rich text", "second line"}},
        {"", {}},
    };
    for (const Case& c : cases) {
        Load(c.rtf);
        EXPECT_EQ(LinesNow(), c.lines) << c.rtf;
    }
}

TEST_F(RichEditFixture, RoundTripKeepsParagraphsCharactersAndFormats)
{
    Load(R"({\rtf1\ansi\deff0{\fonttbl{\f0 Arial;}{\f1 Courier New;}}{\colortbl ;\red255\green0\blue0;})"
         R"(\f0\fs20 Plain \b Bold\b0  \i It\i0  \ul Under\ulnone  \strike Gone\strike0  \cf1 Red\cf0\par)"
         R"(\f1\fs28 Big\line next \'e9\u8364?\par\qc Centred\par})");
    const std::vector<String> before = LinesNow();
    const std::string once = Save();
    ASSERT_EQ(once.rfind("{\\rtf1", 0), 0u);
    Load(once);
    EXPECT_EQ(LinesNow(), before);
    EXPECT_EQ(Save(), once); // the writer is stable on its own output

    // the formats survive: select each word and ask its attributes
    struct Word {
        const char* text;
        TFontStyles style;
        String font;
        int size;
        TColor color;
    };
    const Word words[] = {
        {"Plain", TFontStyles(), "Arial", 10, clWindowText},
        {"Bold", TFontStyles() << fsBold, "Arial", 10, clWindowText},
        {"It", TFontStyles() << fsItalic, "Arial", 10, clWindowText},
        {"Under", TFontStyles() << fsUnderline, "Arial", 10, clWindowText},
        {"Gone", TFontStyles() << fsStrikeOut, "Arial", 10, clWindowText},
        {"Red", TFontStyles(), "Arial", 10, TColor(0x0000FF)},
        {"Big", TFontStyles(), "Courier New", 14, clWindowText},
    };
    const String text = edit->Text();
    for (const Word& w : words) {
        const size_t at = text.find(w.text);
        ASSERT_NE(at, String::npos) << w.text;
        edit->SetSelStart(int(at));
        edit->SetSelLength(int(strlen(w.text)));
        TTextAttributes* a = edit->SelAttributes();
        EXPECT_TRUE(a->Style() == w.style) << w.text;
        EXPECT_EQ(a->Name(), w.font) << w.text;
        EXPECT_EQ(a->Size(), w.size) << w.text;
        EXPECT_EQ(a->Color(), w.color) << w.text;
    }
    EXPECT_EQ(edit->Document()->lastBlock().blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
}

TEST_F(RichEditFixture, PlainTextModeLoadsAndSavesLines)
{
    edit->PlainText = true;
    Load("{\\rtf1 not parsed}\r\nline two\r\n");
    EXPECT_EQ(LinesNow(), (std::vector<String>{"{\\rtf1 not parsed}", "line two"}));
    EXPECT_EQ(Save(), "{\\rtf1 not parsed}\r\nline two\r\n");
}

TEST_F(RichEditFixture, LinesEditTheParagraphs)
{
    TStrings* lines = edit->Lines();
    lines->Add("first");
    lines->Add("third");
    lines->Insert(1, "second");
    lines->Add("");
    EXPECT_EQ(LinesNow(), (std::vector<String>{"first", "second", "third", ""}));
    lines->Delete(3);
    lines->Delete(0);
    lines->Put(1, "last");
    EXPECT_EQ(LinesNow(), (std::vector<String>{"second", "last"}));
    EXPECT_EQ(edit->Text(), "second\r\nlast");
    EXPECT_THROW(lines->Delete(5), EStringListError);
    lines->Clear();
    EXPECT_EQ(lines->Count(), 0);
    lines->Add("");
    EXPECT_EQ(LinesNow(), (std::vector<String>{""}));
}

TEST_F(RichEditFixture, TypingThroughKeysEditsAndFormatsAndNotifies)
{
    std::vector<String> events;
    edit->OnChange = [&](TObject*) { events.push_back("change"); };
    edit->OnSelectionChange = [&](TObject*) { events.push_back("sel"); };
    ShowAndFocus();
    QTest::keyClicks(edit->Host(), "ab");
    QTest::keyClick(edit->Host(), Qt::Key_Return);
    QTest::keyClick(edit->Host(), Qt::Key_B, Qt::ControlModifier); // bold from here on
    QTest::keyClicks(edit->Host(), "cd");
    QTest::keyClick(edit->Host(), Qt::Key_Left);
    QTest::keyClick(edit->Host(), Qt::Key_Backspace);
    EXPECT_EQ(LinesNow(), (std::vector<String>{"ab", "d"}));
    EXPECT_NE(std::find(events.begin(), events.end(), "change"), events.end());
    EXPECT_NE(std::find(events.begin(), events.end(), "sel"), events.end());
    const std::string rtf = Save();
    EXPECT_NE(rtf.find("\\b d"), std::string::npos) << rtf;
    EXPECT_EQ(rtf.find("\\b ab"), std::string::npos) << rtf;
}

TEST_F(RichEditFixture, RequestResizeReachesTheParentAndTheControl)
{
    struct TParentPanel : TForm {
        using TForm::TForm;
        std::vector<RECT> requests;
        void Dispatch(TMessage& m) override
        {
            if (m.Msg == WM_NOTIFY && reinterpret_cast<NMHDR*>(m.LParam)->code == EN_REQUESTRESIZE)
                requests.push_back(reinterpret_cast<REQRESIZE*>(m.LParam)->rc);
            TForm::Dispatch(m);
        }
    } panel(nullptr);
    auto* e = new TRichEdit(&panel);
    e->SetParent(&panel);
    e->SetBounds(5, 6, 100, 20);
    e->HandleNeeded();
    TRect asked;
    e->OnResizeRequest = [&](TObject*, const TRect& r) { asked = r; };
    e->Lines()->Add("one");
    const size_t before = panel.requests.size();
    e->Lines()->Add("two");
    e->Lines()->Add("three");
    ASSERT_GT(panel.requests.size(), before);
    const RECT last = panel.requests.back();
    EXPECT_EQ(last.left, 5);
    EXPECT_EQ(last.top, 6);
    EXPECT_EQ(last.right - last.left, 100); // word wrap: the width is the control's
    EXPECT_EQ(asked.Bottom, last.bottom);
    const int threeLines = last.bottom - last.top;
    e->Lines()->Delete(2);
    EXPECT_LT(panel.requests.back().bottom - panel.requests.back().top, threeLines);

    // without word wrap the width is what the widest line needs; EM_REQUESTRESIZE asks anew
    e->SetWordWrap(false);
    e->Lines()->Put(0, "a much longer first line than the rest");
    e->Perform(EM_REQUESTRESIZE, 0, 0);
    EXPECT_GT(panel.requests.back().right - panel.requests.back().left, 100);

    // an event mask without the flag: no requests
    e->Perform(EM_SETEVENTMASK, 0, ENM_CHANGE);
    const size_t count = panel.requests.size();
    e->Lines()->Add("four");
    e->Perform(EM_REQUESTRESIZE, 0, 0);
    EXPECT_EQ(panel.requests.size(), count);
}

TEST_F(RichEditFixture, FormatRangeDrawsTheContentIntoADeviceContext)
{
    Load(R"({\rtf1{\fonttbl{\f0 DejaVu Sans;}}\f0\fs40 \b WWW\b0\par})");
    DeviceContext dc(200, 60);
    PatBlt(&dc, 0, 0, 200, 60, WHITENESS);
    FORMATRANGE fr;
    fr.hdc = fr.hdcTarget = &dc;
    fr.rc = RECT{10 * 15, 10 * 15, 190 * 15, 50 * 15}; // twips at 96 dpi: 15 a pixel
    fr.rcPage = fr.rc;
    fr.chrg = CHARRANGE{0, -1};
    edit->Perform(EM_FORMATRANGE, 1, LPARAM(&fr));
    edit->Perform(EM_FORMATRANGE, 0, 0);
    const QImage* img = dc.Image();
    ASSERT_NE(img, nullptr);
    int dark = 0, outside = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 200; ++x)
            if (qGray(img->pixel(x, y)) < 100)
                (x >= 10 && x < 190 && y >= 10 && y < 50 ? dark : outside)++;
    EXPECT_GT(dark, 50);
    EXPECT_EQ(outside, 0); // nothing outside the rectangle
}

TEST_F(RichEditFixture, FormattingRectangleTransparencyAndLook)
{
    edit->SetBorderStyle(bsNone);
    edit->HandleNeeded();
    RECT r{2, 3, 250, 100};
    edit->Perform(EM_SETRECT, 0, LPARAM(&r));
    RECT got{};
    edit->Perform(EM_GETRECT, 0, LPARAM(&got));
    EXPECT_EQ(got.left, 2);
    EXPECT_EQ(got.top, 3);
    EXPECT_EQ(got.right, 250);
    EXPECT_FALSE(edit->Transparent());
    SetWindowLong(edit->Handle(), GWL_EXSTYLE, GetWindowLong(edit->Handle(), GWL_EXSTYLE) | WS_EX_TRANSPARENT);
    EXPECT_TRUE(edit->Transparent());
    EXPECT_FALSE(edit->Widget()->viewport()->autoFillBackground());
    edit->RecreateWnd(); // a new window forgets the formatting rectangle
    edit->Perform(EM_GETRECT, 0, LPARAM(&got));
    EXPECT_EQ(got.left, 0);
}
