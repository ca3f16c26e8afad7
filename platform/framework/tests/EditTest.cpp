// The edits at the message level: overrides of a descendant see each key before the text
// changes, and the edit messages and styles behave as the system's edit does.
#include "platform/framework/Forms.h"
#include "platform/framework/Mask.h"
#include "platform/framework/StdCtrls.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QKeyEvent>
#include <QPointer>
#include <QScrollBar>
#include <QWheelEvent>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// An edit as a unit of the system writes one: no digits, no pasting, right-aligned text, and a
// button inside its right edge that the text keeps clear of.
class TNoDigitsEdit : public TEdit {
public:
    explicit TNoDigitsEdit(TComponent* owner) : TEdit(owner)
    {
        button = new TButton(this);
        button->SetParent(this);
        button->SetCaption("...");
    }
    TButton* button;
    int pastesSeen = 0;
    int createCount = 0;
    std::vector<String> calls;

protected:
    void CreateParams(TCreateParams& params) override
    {
        TEdit::CreateParams(params);
        params.Style |= DWORD(ES_RIGHT) | DWORD(WS_CLIPCHILDREN);
        calls.push_back("CreateParams");
    }
    void CreateWnd() override
    {
        TEdit::CreateWnd();
        calls.push_back("CreateWnd");
        ++createCount;
        LayoutButton();
    }
    void WndProc(TMessage& m) override
    {
        if (m.Msg == WM_PASTE) {
            ++pastesSeen;
            return; // swallowed
        }
        if (m.Msg == WM_SIZE)
            LayoutButton();
        TEdit::WndProc(m);
    }
    void KeyPress(char& key) override
    {
        if (key >= '0' && key <= '9')
            key = 0;
        TEdit::KeyPress(key);
    }

private:
    void LayoutButton()
    {
        button->SetBounds(ClientWidth() - 18, 2, 16, ClientHeight() - 4);
        RECT r{2, 2, ClientWidth() - 20, ClientHeight() - 2};
        Perform(EM_SETRECTNP, 0, LPARAM(&r));
    }
};

struct EditFixture : ::testing::Test {
    EditFixture()
    {
        form.SetBounds(0, 0, 400, 300);
    }
    void ShowAndFocus(TWinControl* c)
    {
        form.Show();
        QApplication::setActiveWindow(form.Host());
        c->SetFocus();
    }
    TForm form{nullptr};
};

} // namespace

TEST_F(EditFixture, ADescendantsOverridesSeeEveryKeyBeforeTheText)
{
    auto* edit = new TNoDigitsEdit(&form);
    edit->SetParent(&form);
    edit->SetBounds(10, 10, 200, 24);
    int changes = 0;
    edit->OnChange = [&](TObject*) { ++changes; };
    edit->OnKeyPress = [](TObject*, char& key) {
        if (key == 'x')
            key = 'X';
    };
    ShowAndFocus(edit);
    ASSERT_TRUE(edit->HandleAllocated());
    EXPECT_EQ(edit->calls, (std::vector<String>{"CreateParams", "CreateWnd"}));
    EXPECT_TRUE(GetWindowLong(edit->Handle(), GWL_STYLE) & ES_RIGHT);
    EXPECT_TRUE(GetWindowLong(edit->Handle(), GWL_STYLE) & WS_CLIPCHILDREN);
    EXPECT_TRUE(GetWindowLong(edit->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);

    QTest::keyClicks(edit->Host(), "a1b2x3");
    EXPECT_EQ(edit->Text(), "abX") << "digits dropped in KeyPress, 'x' changed by OnKeyPress";
    EXPECT_EQ(changes, 3) << "one change per character that reached the text";

    QGuiApplication::clipboard()->setText("999");
    QTest::keyClick(edit->Host(), Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(edit->Host(), Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(edit->pastesSeen, 2);
    EXPECT_EQ(edit->Text(), "abX");
    EXPECT_EQ(changes, 3);

    // right-aligned inside the formatting rectangle, which leaves the button free
    RECT rect{};
    edit->Perform(EM_GETRECT, 0, LPARAM(&rect));
    EXPECT_EQ(rect.right, edit->ClientWidth() - 20);
    const LRESULT last = edit->Perform(EM_POSFROMCHAR, 2, 0);
    const int lastRight = LOWORD(uintptr_t(last)) + QFontMetrics(edit->Host()->font()).horizontalAdvance('X');
    EXPECT_LE(std::abs(lastRight - int(rect.right)), 3) << "the text ends at the rectangle's right";
    EXPECT_LT(LOWORD(uintptr_t(edit->Perform(EM_POSFROMCHAR, 0, 0))), rect.right - 20);

    // a long text scrolls inside the rectangle and never runs under the button
    edit->SetText(String(60, 'w'));
    QTest::keyClick(edit->Host(), Qt::Key_End);
    QTest::keyClicks(edit->Host(), "w");
    const LRESULT end = edit->Perform(EM_POSFROMCHAR, 60, 0);
    EXPECT_LE(int(int16_t(LOWORD(uintptr_t(end)))), rect.right);
    EXPECT_LT(rect.right, edit->button->Left());
    EXPECT_EQ(edit->button->Parent(), edit);

    // a click on the button is the button's, not the edit's
    int clicks = 0;
    edit->button->OnClick = [&](TObject*) { ++clicks; };
    QTest::mouseClick(edit->button->Host(), Qt::LeftButton);
    EXPECT_EQ(clicks, 1);

    // recreating the window runs the overrides again and keeps the text
    edit->RecreateWnd();
    EXPECT_EQ(edit->createCount, 2);
    EXPECT_EQ(edit->Text(), String(61, 'w'));
    edit->Perform(EM_GETRECT, 0, LPARAM(&rect));
    EXPECT_EQ(rect.right, edit->ClientWidth() - 20);
}

TEST_F(EditFixture, KeyDownThatConsumesTheKeyKeepsItFromTheEdit)
{
    auto* edit = new TEdit(&form);
    edit->SetParent(&form);
    edit->SetText("abc");
    edit->OnKeyDown = [](TObject*, WORD& key, TShiftState) {
        if (key == VK_DELETE || key == VK_LEFT)
            key = 0;
    };
    QTest::keyClick(edit->Host(), Qt::Key_Delete);
    EXPECT_EQ(edit->Text(), "abc");
    QTest::keyClick(edit->Host(), Qt::Key_End);
    QTest::keyClick(edit->Host(), Qt::Key_Left);
    EXPECT_EQ(edit->SelStart(), 3);
    QTest::keyClick(edit->Host(), Qt::Key_Backspace);
    EXPECT_EQ(edit->Text(), "ab");
}

TEST_F(EditFixture, EditMessagesAnswerAsTheSystemsEdit)
{
    auto* edit = new TEdit(&form);
    edit->SetParent(&form);
    edit->SetText("hello world");
    DWORD a = 9, b = 9;
    struct SelCase {
        WPARAM start;
        LPARAM end;
        DWORD wantA, wantB;
    };
    for (const SelCase& c : std::vector<SelCase>{{0, 5, 0, 5}, {8, 2, 2, 8}, {3, -1, 3, 11}, {WPARAM(-1), 0, 11, 11},
                                                 {50, 60, 11, 11}}) {
        edit->Perform(EM_SETSEL, c.start, c.end);
        const LRESULT r = edit->Perform(EM_GETSEL, WPARAM(&a), LPARAM(&b));
        EXPECT_EQ(a, c.wantA) << c.start << "," << c.end;
        EXPECT_EQ(b, c.wantB) << c.start << "," << c.end;
        EXPECT_EQ(r, MAKELONG(int(c.wantA), int(c.wantB)));
    }
    edit->Perform(EM_SETSEL, 6, 11);
    edit->Perform(EM_REPLACESEL, 1, LPARAM("there"));
    EXPECT_EQ(edit->Text(), "hello there");
    EXPECT_TRUE(edit->CanUndo());
    edit->Undo();
    EXPECT_EQ(edit->Text(), "hello world");

    EXPECT_EQ(edit->Perform(EM_POSFROMCHAR, 11, 0), -1) << "no position past the last character";
    EXPECT_EQ(edit->Perform(EM_CHARFROMPOS, 0, MAKELPARAM(-5, 3)), -1) << "outside the client area";
    const LRESULT p3 = edit->Perform(EM_POSFROMCHAR, 3, 0);
    EXPECT_EQ(LOWORD(uintptr_t(edit->Perform(EM_CHARFROMPOS, 0, MAKELPARAM(LOWORD(uintptr_t(p3)), 5)))), 3);

    // password: shown masked, never copied out
    QGuiApplication::clipboard()->setText("before");
    edit->Perform(EM_SETPASSWORDCHAR, '#', 0);
    EXPECT_EQ(edit->Perform(EM_GETPASSWORDCHAR, 0, 0), '#');
    edit->SelectAll();
    edit->Perform(WM_COPY, 0, 0);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "before");
    edit->Perform(EM_SETPASSWORDCHAR, 0, 0);

    // read-only: no typing, no pasting
    edit->Perform(EM_SETREADONLY, 1, 0);
    EXPECT_TRUE(GetWindowLong(edit->Handle(), GWL_STYLE) & ES_READONLY);
    QTest::keyClicks(edit->Host(), "zz");
    edit->Perform(WM_PASTE, 0, 0);
    EXPECT_EQ(edit->Text(), "hello world");
    edit->Perform(EM_SETREADONLY, 0, 0);

    // the limit cuts typing and pasting
    int maxText = 0;
    struct TNotified : TForm {
        using TForm::TForm;
    };
    edit->SetText("");
    edit->Perform(EM_LIMITTEXT, 4, 0);
    edit->OnChange = [&](TObject*) {};
    QGuiApplication::clipboard()->setText("123456");
    edit->Perform(WM_PASTE, 0, 0);
    EXPECT_EQ(edit->Text(), "1234");
    QTest::keyClicks(edit->Host(), "5");
    EXPECT_EQ(edit->Text(), "1234");
    (void)maxText;

    // a single line pastes the first line only
    edit->Perform(EM_LIMITTEXT, 0, 0);
    edit->SetText("");
    QGuiApplication::clipboard()->setText("first\r\nsecond");
    edit->Perform(WM_PASTE, 0, 0);
    EXPECT_EQ(edit->Text(), "first");

    EDITBALLOONTIP tip;
    tip.pszTitle = "Value";
    tip.pszText = "Not a number";
    tip.ttiIcon = TTI_ERROR;
    EXPECT_EQ(edit->Perform(EM_SHOWBALLOONTIP, 0, LPARAM(&tip)), 1);
    EXPECT_EQ(edit->Balloon().Text, "Not a number");
    EXPECT_TRUE(edit->Balloon().Shown);
    edit->Perform(EM_HIDEBALLOONTIP, 0, 0);
    EXPECT_FALSE(edit->Balloon().Shown);
}

TEST_F(EditFixture, StylesFromCreateParamsShapeTheInput)
{
    struct TStyled : TEdit {
        DWORD add;
        TStyled(TComponent* o, DWORD a) : TEdit(o), add(a) {}
        void CreateParams(TCreateParams& p) override
        {
            TEdit::CreateParams(p);
            p.Style |= add;
        }
    };
    struct StyleCase {
        DWORD style;
        const char* typed;
        String want;
    };
    for (const StyleCase& c : std::vector<StyleCase>{{ES_UPPERCASE, "abC1", "ABC1"},
                                                    {ES_LOWERCASE, "AbC", "abc"},
                                                    {ES_NUMBER, "1a2", "12"},
                                                    {ES_MULTILINE, "a\rb", "a\r\nb"},
                                                    {0, "a\rb", "ab"}}) {
        auto* edit = new TStyled(&form, c.style);
        edit->SetParent(&form);
        edit->HandleNeeded();
        QTest::keyClicks(edit->Host(), c.typed);
        EXPECT_EQ(edit->Text(), c.want) << c.style;
        if (c.style == ES_NUMBER)
            EXPECT_EQ(edit->Balloon().Title, "Unacceptable Character");
        delete edit;
    }
}

TEST_F(EditFixture, MemoLinesAndCaretMovement)
{
    auto* memo = new TCustomMemo(&form);
    memo->SetParent(&form);
    memo->SetBounds(0, 0, 200, 100);
    memo->Lines()->Add("first");
    memo->Lines()->Add("second line");
    memo->Lines()->Add("third");
    EXPECT_EQ(memo->Text(), "first\r\nsecond line\r\nthird\r\n");
    EXPECT_EQ(memo->Lines()->Count(), 3);
    EXPECT_EQ(memo->Perform(EM_GETLINECOUNT, 0, 0), 4);
    EXPECT_EQ(memo->Perform(EM_LINEFROMCHAR, 8, 0), 1);
    EXPECT_EQ(memo->Perform(EM_LINEINDEX, 2, 0), 20);
    EXPECT_EQ(memo->Perform(EM_LINELENGTH, 8, 0), 11);

    memo->SetSelStart(2); // "fi|rst"
    QTest::keyClick(memo->Host(), Qt::Key_Down);
    EXPECT_EQ(memo->CaretPos().Y, 1);
    QTest::keyClick(memo->Host(), Qt::Key_End);
    EXPECT_EQ(memo->CaretPos().X, 11);
    QTest::keyClick(memo->Host(), Qt::Key_Return);
    QTest::keyClicks(memo->Host(), "new");
    EXPECT_EQ(memo->Lines()->Get(2), "new");
    EXPECT_EQ(memo->Lines()->Count(), 4);

    // word wrap: a long line takes several rows
    memo->SetText("aaaa bbbb cccc dddd eeee ffff gggg hhhh iiii jjjj kkkk llll mmmm nnnn");
    EXPECT_GT(memo->Perform(EM_GETLINECOUNT, 0, 0), 1);
    memo->SetWordWrap(false);
    EXPECT_EQ(memo->Perform(EM_GETLINECOUNT, 0, 0), 1);
}

TEST_F(EditFixture, MemoScrollBarsShowAndScrollTheText)
{
    auto* memo = new TCustomMemo(&form);
    memo->SetParent(&form);
    memo->SetBounds(0, 0, 200, 100);
    memo->SetWordWrap(false);
    memo->SetScrollBars(ssBoth);
    String text;
    for (int i = 0; i < 100; ++i)
        text += "line " + std::to_string(i) + (i == 50 ? String(300, 'w') : String()) + "\r\n";
    memo->SetText(text);
    ShowAndFocus(memo);
    QScrollBar* bars[2] = {nullptr, nullptr};
    for (QScrollBar* b : memo->Host()->findChildren<QScrollBar*>())
        bars[b->orientation() == Qt::Vertical ? 1 : 0] = b;
    QScrollBar* horz = bars[0];
    QScrollBar* vert = bars[1];
    ASSERT_TRUE(horz && vert);
    EXPECT_TRUE(horz->isVisible() && horz->isEnabled());
    EXPECT_TRUE(vert->isVisible() && vert->isEnabled());
    // the client area leaves out the bars and the sunken edge around text and bars
    EXPECT_EQ(memo->ClientWidth(), 200 - 4 - vert->width());
    EXPECT_EQ(memo->ClientHeight(), 100 - 4 - horz->height());

    // a click on the vertical track pages down; the caret stays where it was
    QTest::mouseClick(vert, Qt::LeftButton, {}, QPoint(vert->width() / 2, vert->height() - 25));
    const int page = int(memo->Perform(EM_GETFIRSTVISIBLELINE, 0, 0));
    EXPECT_GT(page, 2);
    EXPECT_EQ(vert->value(), page);
    EXPECT_EQ(memo->SelStart(), 0);
    // the wheel scrolls by lines, and not beyond the last line
    QWheelEvent wheel(QPointF(20, 20), memo->Host()->mapToGlobal(QPointF(20, 20)), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(memo->Host(), &wheel);
    EXPECT_EQ(memo->Perform(EM_GETFIRSTVISIBLELINE, 0, 0), page + 3);
    vert->triggerAction(QAbstractSlider::SliderToMaximum);
    const int last = int(memo->Perform(EM_GETFIRSTVISIBLELINE, 0, 0));
    EXPECT_EQ(last + page, 101); // the empty line after the last line break ends the view
    QApplication::sendEvent(memo->Host(), &wheel);
    EXPECT_EQ(memo->Perform(EM_GETFIRSTVISIBLELINE, 0, 0), last);

    // the horizontal track moves the text left: the long line's start goes out of view
    vert->triggerAction(QAbstractSlider::SliderToMinimum);
    memo->Perform(EM_LINESCROLL, 0, 45);
    const int longLine = int(memo->Perform(EM_LINEINDEX, 50, 0));
    const int leftBefore = LOWORD(memo->Perform(EM_POSFROMCHAR, WPARAM(longLine), 0));
    QTest::mouseClick(horz, Qt::LeftButton, {}, QPoint(horz->width() - 25, horz->height() / 2));
    EXPECT_GT(horz->value(), 0);
    EXPECT_EQ(short(LOWORD(memo->Perform(EM_POSFROMCHAR, WPARAM(longLine), 0))), leftBefore - horz->value());
    horz->triggerAction(QAbstractSlider::SliderToMaximum);
    const int lastChar = longLine + int(memo->Perform(EM_LINELENGTH, WPARAM(longLine), 0)) - 1;
    const int lastX = short(LOWORD(memo->Perform(EM_POSFROMCHAR, WPARAM(lastChar), 0)));
    EXPECT_GT(lastX, memo->ClientWidth() / 2); // the line's end stands at the right edge
    EXPECT_LT(lastX, memo->ClientWidth());

    // moving the caret moves the bars with the view
    QTest::keyClick(memo->Host(), Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(vert->value(), vert->maximum());
    EXPECT_EQ(memo->Perform(EM_GETFIRSTVISIBLELINE, 0, 0), vert->value());

    // a text that fits: both bars stay, greyed
    memo->SetText("short");
    EXPECT_TRUE(vert->isVisible() && !vert->isEnabled());
    EXPECT_TRUE(horz->isVisible() && !horz->isEnabled());
    // without bars the edge lies inside the client area again
    memo->SetScrollBars(ssNone);
    EXPECT_FALSE(vert->isVisible() || horz->isVisible());
    EXPECT_EQ(memo->ClientWidth(), 200);
}

TEST_F(EditFixture, MaskedInputFillsTheMaskPositions)
{
    auto* edit = new TMaskEdit(&form);
    edit->SetParent(&form);
    edit->SetEditMask("!00/00/0000;1;_");
    EXPECT_EQ(edit->EditText(), "__/__/____");
    edit->SetSelStart(0);
    QTest::keyClicks(edit->Host(), "1x2031999");
    EXPECT_EQ(edit->EditText(), "12/03/1999") << "the letter is refused, literals are skipped";
    EXPECT_EQ(edit->Text(), "12/03/1999");
    QTest::keyClick(edit->Host(), Qt::Key_Backspace);
    EXPECT_EQ(edit->EditText(), "12/03/199_");
    EXPECT_THROW(edit->ValidateEdit(), EDBEditError);
    QTest::keyClick(edit->Host(), Qt::Key_Escape);
    EXPECT_EQ(edit->EditText(), "__/__/____") << "Escape goes back to the text before the change";
    EXPECT_FALSE(edit->Modified());

    edit->SetEditMask(">LL-9999;0;*");
    edit->SetText("ab12");
    EXPECT_EQ(edit->EditText(), "AB-12**");
    EXPECT_EQ(edit->Text(), "AB12");
    QGuiApplication::clipboard()->setText("x7");
    edit->SetSelStart(0);
    edit->Perform(WM_PASTE, 0, 0);
    EXPECT_EQ(edit->EditText(), "XB-12**") << "pasted characters go through the mask";

    struct FormatCase {
        const char* mask;
        const char* value;
        const char* want;
    };
    for (const FormatCase& c : std::vector<FormatCase>{{"000-000;0;_", "123456", "123456"},
                                                       {"000-000;1;_", "123-456", "123-456"},
                                                       {"(999) 000;0;_", "12345", "12345"},
                                                       {"\\A00;1;_", "A12", "A12"},
                                                       {"", "free", "free"}})
        EXPECT_EQ(FormatMaskText(c.mask, c.value), c.want) << c.mask;
}

TEST_F(EditFixture, AHandlerThatFreesItsOwnEditLeavesNothingDangling)
{
    auto* edit = new TEdit(&form);
    edit->SetParent(&form);
    QPointer<QWidget> host = edit->Host();
    int afterFree = 0;
    edit->OnKeyPress = [&](TObject*, char& key) {
        if (key == 'q')
            delete edit;
    };
    edit->OnKeyUp = [&](TObject*, WORD&, TShiftState) { ++afterFree; };
    SetTimer(host, 1, 10, nullptr);
    PostMessage(host, WM_CHAR, 'z', 0);
    QTest::keyClick(host.data(), Qt::Key_Q); // frees the edit inside its own WM_CHAR
    EXPECT_EQ(form.ControlCount(), 0);
    EXPECT_EQ(afterFree, 0) << "the key release found no control";
    QTest::qWait(30); // the posted message and the timer find no control
    EXPECT_TRUE(host.isNull()) << "the widget goes once the dispatch is over";
}

namespace {
class TNoDigitsCombo : public TComboBox {
public:
    explicit TNoDigitsCombo(TComponent* owner) : TComboBox(owner) {}
    int pastesSeen = 0;

protected:
    void WndProc(TMessage& m) override
    {
        if (m.Msg == WM_PASTE) {
            ++pastesSeen;
            return;
        }
        TComboBox::WndProc(m);
    }
    void KeyPress(char& key) override
    {
        if (key >= '0' && key <= '9')
            key = 0;
        TComboBox::KeyPress(key);
    }
};
} // namespace

TEST_F(EditFixture, ComboBoxInputAndMessages)
{
    auto* combo = new TNoDigitsCombo(&form);
    combo->SetParent(&form);
    std::vector<String> events;
    combo->OnChange = [&](TObject*) { events.push_back("change"); };
    combo->OnDropDown = [&](TObject*) { events.push_back("dropdown"); };
    combo->OnCloseUp = [&](TObject*) { events.push_back("closeup"); };
    for (const char* c : {"a", "1", "b"}) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A + (c[0] == '1' ? Qt::Key_1 - Qt::Key_A : c[0] - 'a'), Qt::NoModifier, c);
        QApplication::sendEvent(combo->Widget()->lineEdit(), &press);
    }
    EXPECT_EQ(combo->Text(), "ab");
    EXPECT_EQ(events, (std::vector<String>{"change", "change"}));
    QGuiApplication::clipboard()->setText("zz");
    QKeyEvent press(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier, "\x16");
    QApplication::sendEvent(combo->Widget()->lineEdit(), &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_V, Qt::ControlModifier, "\x16");
    QApplication::sendEvent(combo->Widget()->lineEdit(), &release);
    EXPECT_EQ(combo->pastesSeen, 1);
    EXPECT_EQ(combo->Text(), "ab");

    QKeyEvent ctrlUp(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier); // Ctrl is up again
    QApplication::sendEvent(form.Host(), &ctrlUp);
    EXPECT_EQ(QGuiApplication::queryKeyboardModifiers(), Qt::NoModifier);
    EXPECT_EQ(combo->Perform(CB_ADDSTRING, 0, LPARAM("Apple")), 0);
    EXPECT_EQ(combo->Perform(CB_ADDSTRING, 0, LPARAM("Apricot")), 1);
    EXPECT_EQ(combo->Perform(CB_INSERTSTRING, 0, LPARAM("Banana")), 0);
    EXPECT_EQ(combo->Perform(CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(combo->Perform(CB_FINDSTRING, WPARAM(-1), LPARAM("ap")), 1);
    EXPECT_EQ(combo->Perform(CB_FINDSTRING, 1, LPARAM("ap")), 2) << "the search starts after the given item";
    EXPECT_EQ(combo->Perform(CB_FINDSTRINGEXACT, WPARAM(-1), LPARAM("apple")), 1);
    EXPECT_EQ(combo->Perform(CB_FINDSTRINGEXACT, WPARAM(-1), LPARAM("app")), CB_ERR);
    char buffer[32] = {};
    EXPECT_EQ(combo->Perform(CB_GETLBTEXT, 2, LPARAM(buffer)), 7);
    EXPECT_STREQ(buffer, "Apricot");
    EXPECT_EQ(combo->Perform(CB_SETCURSEL, 5, 0), CB_ERR);
    EXPECT_EQ(combo->Perform(CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_EQ(combo->Perform(CB_SELECTSTRING, WPARAM(-1), LPARAM("ban")), 0);
    EXPECT_EQ(combo->ItemIndex(), 0);
    int marker = 0;
    combo->Perform(CB_SETITEMDATA, 1, LPARAM(&marker));
    EXPECT_EQ(combo->Items()->Objects(1), reinterpret_cast<TObject*>(&marker));
    EXPECT_EQ(combo->Perform(CB_DELETESTRING, 0, 0), 2);

    events.clear();
    combo->SetDroppedDown(true);
    EXPECT_TRUE(combo->DroppedDown());
    combo->SetDroppedDown(false);
    EXPECT_EQ(events, (std::vector<String>{"dropdown", "closeup"}));

    // a pick by the user: OnSelect when there is one, else OnChange
    events.clear();
    combo->OnSelect = [&](TObject*) { events.push_back("select"); };
    combo->Widget()->activated(1);
    EXPECT_EQ(events, (std::vector<String>{"select"}));
}

TEST_F(EditFixture, EnterAndEscapeInAnEditClickTheDefaultAndCancelButtons)
{
    auto* edit = new TEdit(&form);
    edit->SetParent(&form);
    auto* ok = new TButton(&form);
    ok->SetParent(&form);
    ok->SetDefault(true);
    auto* cancel = new TButton(&form);
    cancel->SetParent(&form);
    cancel->Cancel = true;
    std::vector<String> clicks;
    ok->OnClick = [&](TObject*) { clicks.push_back("ok"); };
    cancel->OnClick = [&](TObject*) { clicks.push_back("cancel"); };
    form.Show();
    QTest::keyClick(edit->Host(), Qt::Key_Return);
    QTest::keyClick(edit->Host(), Qt::Key_Escape);
    EXPECT_EQ(clicks, (std::vector<String>{"ok", "cancel"}));
}
