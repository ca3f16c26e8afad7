// Wide strings for the Unicode editors: the wide list, its single-byte view, the wide-string
// routines, character folding and the grid's wide cells.
#include "components/grid/CellText.h"
#include "components/grid/PlusGrid.h"
#include "components/grid/PsgUni.h"

#include "platform/framework/Forms.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// The smallest wide list: strings and objects in two vectors.
class TVectorWideStrings : public TWideStrings {
public:
    WideString Get(int index) const override { return strings.at(size_t(index)); }
    int GetCount() const override { return int(strings.size()); }
    TObject* GetObject(int index) const override { return objects.at(size_t(index)); }
    void PutObject(int index, TObject* object) override { objects.at(size_t(index)) = object; }
    void Clear() override
    {
        strings.clear();
        objects.clear();
    }
    void Delete(int index) override
    {
        strings.erase(strings.begin() + index);
        objects.erase(objects.begin() + index);
    }
    void Insert(int index, const WideString& s) override
    {
        strings.insert(strings.begin() + index, s);
        objects.insert(objects.begin() + index, nullptr);
    }
    void SetUpdateState(bool updating) override { updates.push_back(updating); }
    std::vector<WideString> strings;
    std::vector<TObject*> objects;
    std::vector<bool> updates;
};

} // namespace

TEST(WideStrings, TextSplitsAtEveryLineBreakKind)
{
    struct Case {
        WideString text;
        std::vector<WideString> lines;
    } cases[] = {
        {u"a\r\nb\u2028c\r\n", {u"a", u"b", u"c"}},
        {u"a\r\rb", {u"a", u"", u"b"}},
        {u"a\nb\x0b" u"c\x0c" u"d\u2029e", {u"a", u"b", u"c", u"d", u"e"}},
        {WideString(u"x\0y", 3), {u"x"}}, // the zero ends the text
        {u"", {}},
        {u"\r\n", {u""}},
        {u"\u4e2d\u6587", {u"\u4e2d\u6587"}},
    };
    for (const Case& c : cases) {
        TVectorWideStrings list;
        list.Add(u"old");
        list.SetTextStr(c.text);
        EXPECT_EQ(list.strings, c.lines);
    }
    TVectorWideStrings list;
    list.SetTextStr(u"a\r\nb");
    EXPECT_EQ(list.GetTextStr(), u"a\r\nb\r\n");
    char16_t* buffer = list.GetText();
    EXPECT_EQ(WideString(buffer), u"a\r\nb\r\n");
    WideStrDispose(buffer);
    EXPECT_EQ(list.updates, (std::vector<bool>{true, false}));
}

TEST(WideStrings, ListOperationsKeepObjectsAndCompareWithoutCase)
{
    TVectorWideStrings list;
    TObject one, two;
    list.AddObject(u"\u00c4PFEL", &one);
    list.AddObject(u"Stra\u00dfe", &two);
    list.Add(u"\u041c\u041e\u0421\u041a\u0412\u0410");
    EXPECT_EQ(list.IndexOf(u"\u00e4pfel"), 0);
    EXPECT_EQ(list.IndexOf(u"\u043c\u043e\u0441\u043a\u0432\u0430"), 2);
    EXPECT_EQ(list.IndexOf(u"nothing"), -1);
    list.Put(0, u"Birne");
    EXPECT_EQ(list.objects[0], &one) << "Put keeps the object";
    list.Exchange(0, 1);
    EXPECT_EQ(list.strings[0], u"Stra\u00dfe");
    EXPECT_EQ(list.objects[0], &two);
    EXPECT_EQ(list.objects[1], &one);
    list.Move(0, 2);
    EXPECT_EQ(list.strings, (std::vector<WideString>{u"Birne", u"\u041c\u041e\u0421\u041a\u0412\u0410", u"Stra\u00dfe"}));
    EXPECT_EQ(list.objects[2], &two);

    TVectorWideStrings copy;
    copy.Assign(&list);
    EXPECT_TRUE(copy.Equals(list));
    copy.Put(0, u"birne");
    EXPECT_FALSE(copy.Equals(list)) << "equality is exact";
    copy.AddWideStrings(copy);
    EXPECT_EQ(copy.Count(), 6) << "a list added to itself doubles once";

    // the single-byte view converts; characters beyond the code page read as '?'
    TStringList ansi;
    list.AssignTo(ansi);
    EXPECT_EQ(ansi.Strings(2), "Stra\xdf" "e");
    EXPECT_EQ(ansi.Strings(1), "??????");
    EXPECT_EQ(ansi.Objects(2), &two);
    EXPECT_EQ(list.AnsiStrings()->Strings(0), "Birne");
    list.AnsiStrings()->Add("caf\xe9");
    EXPECT_EQ(list.strings.back(), u"caf\u00e9");
    TStringList source;
    source.Add("x");
    list.SetAnsiStrings(source);
    EXPECT_EQ(list.strings, (std::vector<WideString>{u"x"}));
}

TEST(WideStrings, RoutinesStayInsideTheirBuffers)
{
    char16_t* p = WideStrAlloc(4);
    uint32_t size = 0;
    std::memcpy(&size, reinterpret_cast<unsigned char*>(p) - 4, 4);
    EXPECT_EQ(size, 12u);
    EXPECT_EQ(WideStrLength(p), 0);
    WideStrDispose(p);
    EXPECT_EQ(WideStrNew(nullptr), nullptr);
    char16_t text[] = u"abcdef";
    WideStrMove(text + 2, text, 3); // overlapping, source below
    EXPECT_EQ(WideString(text), u"ababcf");
    WideStrMove(text, text + 1, 3); // overlapping, source above
    EXPECT_EQ(WideString(text), u"babbcf");
    EXPECT_TRUE(IsResourceOrdinal(reinterpret_cast<const void*>(uintptr_t(42))));
    EXPECT_FALSE(IsResourceOrdinal(text));
    EXPECT_TRUE(IsWindowTextMessage(WM_GETTEXTLENGTH));
    EXPECT_FALSE(IsWindowTextMessage(WM_CHAR));
    EXPECT_LT(WideCompareTextViaAnsi(u"abc", u"ABD", LOCALE_USER_DEFAULT), 0);
    EXPECT_EQ(WideCompareTextNative(u"\u00c9t\u00e9", u"\u00e9T\u00c9", LOCALE_USER_DEFAULT), 0);
}

TEST(WideStrings, WideCharactersFoldForByteCodeAndUnfoldAgain)
{
    struct Case {
        WPARAM in, folded;
    } cases[] = {{WPARAM(0x4e2d), MAKEWPARAM(255, 0x4e2d)}, {WPARAM('a'), WPARAM('a')}, {WPARAM(0xff), WPARAM(0xff)}, {WPARAM(0x100), MAKEWPARAM(255, 0x100)}};
    for (const Case& c : cases) {
        TMessage m{};
        m.Msg = WM_CHAR;
        m.WParam = c.in;
        FoldWideCharForAnsi(m);
        EXPECT_EQ(m.WParam, c.folded);
        UnfoldWideChar(m);
        EXPECT_EQ(m.WParam, c.in);
    }
    TMessage folded{};
    folded.Msg = WM_CHAR;
    folded.WParam = MAKEWPARAM(255, 0x4e2d);
    EXPECT_THROW(FoldWideCharForAnsi(folded), EAssertionFailed);
    TMessage other{};
    other.Msg = WM_KEYDOWN;
    EXPECT_THROW(UnfoldWideChar(other), EAssertionFailed);
}

TEST(WideStrings, WideCellsReadBackUnchanged)
{
    TForm form(nullptr);
    auto* grid = new TPlusStringGrid(&form);
    grid->SetColCount(3);
    grid->SetRowCount(3);
    const WideString texts[] = {u"\u4e2d\u6587 text", u"", u"\U0001F600 smile", u"plain", WideString(u"nul\0inside", 10)};
    for (const WideString& t : texts) {
        SetWideCellText(*grid, 1, 1, t);
        EXPECT_TRUE(CellHoldsWideText(*grid, 1, 1));
        EXPECT_EQ(grid->GetRawCell(1, 1).substr(0, 2), "|\\");
        EXPECT_EQ(GetWideCellText(*grid, 1, 1), t);
    }
    grid->SetCells(2, 2, "caf\xe9");
    EXPECT_FALSE(CellHoldsWideText(*grid, 2, 2));
    EXPECT_EQ(GetWideCellText(*grid, 2, 2), u"caf\u00e9") << "a plain cell converts unchanged";
}

TEST(WideStrings, AnEditedTextKeepsThePlainFormOnlyWhereItReadsBackTheSame)
{
    TForm form(nullptr);
    auto* grid = new TPlusStringGrid(&form);
    grid->SetColCount(2);
    grid->SetRowCount(2);
    struct Case {
        const char* what;
        String before;
        WideString edited;
        String after;
    } cases[] = {
        {"unchanged", "caf\xe9", u"caf\u00e9", "caf\xe9"},
        {"fits the code page", "abc", u"ab\u20ac", "ab\x80"},
        {"beyond the code page", "", u"\u65e5", EncodeWideCellText(u"\u65e5")},
        {"would read as wide", "x", u"|\\x", EncodeWideCellText(u"|\\x")},
        {"would read as markup", "x", u"<b>y</b>", EncodeWideCellText(u"<b>y</b>")},
        {"markup stays markup", "<b>a</b>", u"<b>b</b>", "<b>b</b>"},
        {"a wide cell stays wide", EncodeWideCellText(u"wide"), u"wider", EncodeWideCellText(u"wider")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        grid->SetCells(1, 1, c.before);
        SetEditedWideCellText(*grid, 1, 1, c.edited);
        EXPECT_EQ(grid->Cells(1, 1), c.after);
        EXPECT_EQ(GetWideCellText(*grid, 1, 1), c.edited);
    }
}
