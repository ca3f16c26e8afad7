// Drop-downs on a shown form driven by key presses and clicks as a user makes them: the
// clipboard keys of the value edit, Tab out of the edit, keys typed ahead of an opening pop-up,
// the date-time picker's calendar keys and the track bar's Esc.
#include "components/dropdown/PlusCalculatorDropdown.h"
#include "components/dropdown/PlusColorPickerDropDown.h"
#include "components/dropdown/PlusCustomGridDropDown.h"
#include "components/dropdown/PlusDateTimePicker.h"
#include "components/dropdown/PlusDetailDropDown.h"
#include "components/dropdown/PlusDropDown.h"
#include "components/dropdown/PlusImagePickerDropDown.h"
#include "components/dropdown/PlusMemoDropDown.h"
#include "components/dropdown/PlusMultiColumnDropDown.h"
#include "components/dropdown/PlusTimePickerDropDown.h"
#include "components/dropdown/PlusTrackBarDropDown.h"
#include "platform/testing/quelm_test_support.h"

#include "platform/framework/Forms.h"
#include "platform/framework/ImgList.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QClipboard>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using quelmtest::WaitFor;

// A shown form with a money drop-down "$ 1,234.50 net" and a plain edit after it.
struct UserKeysForm {
    TForm* form = New<TForm>(nullptr);
    TPlusCustomDropDown* d = new TPlusCustomDropDown(form);
    TEdit* next = new TEdit(form);
    std::vector<String> events;
    UserKeysForm()
    {
        form->SetBounds(100, 100, 400, 200);
        d->SetParent(form);
        d->SetBounds(20, 20, 200, 21);
        d->TabOrder = 0;
        next->SetParent(form);
        next->SetBounds(20, 60, 100, 21);
        next->TabOrder = 1;
        d->SetEditRule(erMoney);
        d->SetPrecision(2);
        d->SetTextPrefix("$ ");
        d->SetTextSuffix(" net");
        d->SetText("1234.5");
        form->Show();
        EXPECT_TRUE(WaitFor([&] { return QApplication::activeWindow() == form->Host(); }));
        d->SetFocus();
        EXPECT_TRUE(WaitFor([&] { return d->Focused(); }));
    }
    ~UserKeysForm() { delete form; }
    void Log(const char* what, bool allow)
    {
        auto log = [this, what, allow](TObject* sender, const String& value, bool& a) {
            EXPECT_EQ(sender, d);
            events.push_back(String(what) + ":" + value);
            a = allow;
        };
        (String(what) == "copy" ? d->OnCopyText : d->OnCutText) = log;
    }
    void Ctrl(Qt::Key k) { QTest::keyClick(d->Host(), k, Qt::ControlModifier); }
};

String ClipboardText() { return QApplication::clipboard()->text().toStdString(); }

TEST(DropDownClipboard, CopyAndCutRaiseTheirOwnEventWithTheSelectedValue)
{
    UserKeysForm f;
    f.Log("copy", true);
    f.Log("cut", true);
    QApplication::clipboard()->setText("before");
    f.d->SelectValue();
    f.Ctrl(Qt::Key_C);
    EXPECT_EQ(ClipboardText(), "1,234.50");
    EXPECT_EQ(f.events, (std::vector<String>{"copy:1,234.50"}));

    // part of the value: the event sees that part only
    f.events.clear();
    f.d->SetSelStart(4);
    f.d->SetSelLength(3);
    f.Ctrl(Qt::Key_C);
    EXPECT_EQ(ClipboardText(), "234");
    EXPECT_EQ(f.events, (std::vector<String>{"copy:234"}));

    // the copy that a cut makes raises no copy event of its own
    f.events.clear();
    f.d->SelectValue();
    f.Ctrl(Qt::Key_X);
    EXPECT_EQ(f.events, (std::vector<String>{"cut:1,234.50"}));
    EXPECT_EQ(ClipboardText(), "1,234.50");
    EXPECT_EQ(f.d->GetText(), "");
    EXPECT_EQ(f.d->EditText(), "$  net");

    // and a later copy is heard again
    f.events.clear();
    QTest::keyClicks(f.d->Host(), "77");
    f.d->SelectValue();
    f.Ctrl(Qt::Key_C);
    EXPECT_EQ(f.events, (std::vector<String>{"copy:77"}));
    EXPECT_EQ(ClipboardText(), "77");
}

TEST(DropDownClipboard, AVetoKeepsTheClipboardAndTheValue)
{
    UserKeysForm f;
    f.Log("copy", false);
    f.Log("cut", false);
    QApplication::clipboard()->setText("before");
    f.d->SelectValue();
    f.Ctrl(Qt::Key_C);
    EXPECT_EQ(ClipboardText(), "before");
    f.Ctrl(Qt::Key_X);
    EXPECT_EQ(ClipboardText(), "before");
    EXPECT_EQ(f.d->GetText(), "1,234.50") << "a refused cut removes nothing";
    EXPECT_EQ(f.events, (std::vector<String>{"copy:1,234.50", "cut:1,234.50"}));

    // a refused cut leaves copies unblocked
    f.events.clear();
    f.Log("copy", true);
    f.Ctrl(Qt::Key_C);
    EXPECT_EQ(f.events, (std::vector<String>{"copy:1,234.50"}));
    EXPECT_EQ(ClipboardText(), "1,234.50");
}

TEST(DropDownClipboard, ACutOfAReadOnlyValueDoesNothing)
{
    UserKeysForm f;
    f.Log("cut", true);
    f.Log("copy", true);
    f.d->SetReadOnly(true);
    QApplication::clipboard()->setText("before");
    f.d->SelectValue();
    f.d->CutToClipboard();
    EXPECT_TRUE(f.events.empty());
    EXPECT_EQ(ClipboardText(), "before");
    EXPECT_EQ(f.d->GetText(), "1,234.50");
}

TEST(DropDownTab, TabLeavesTheMoneyAndCalculatorEdits)
{
    UserKeysForm f;
    auto* calc = new TPlusCalculatorDropdown(f.form);
    calc->SetParent(f.form);
    calc->SetBounds(20, 100, 200, 21);
    calc->TabOrder = 2;
    calc->SetFloatValue(42.5);

    // arrows stay the edit's own
    f.d->SetSelStart(4);
    f.d->SetSelLength(0);
    QTest::keyClick(f.d->Host(), Qt::Key_Left);
    EXPECT_TRUE(f.d->Focused());
    EXPECT_EQ(f.d->SelStart(), 3);

    QTest::keyClick(f.d->Host(), Qt::Key_Tab);
    EXPECT_TRUE(WaitFor([&] { return f.next->Focused(); }));
    EXPECT_EQ(f.d->GetText(), "1,234.50") << "no tab character in the value";
    QTest::keyClick(f.next->Host(), Qt::Key_Tab);
    EXPECT_TRUE(WaitFor([&] { return calc->Focused(); }));
    QTest::keyClick(calc->Host(), Qt::Key_Tab);
    EXPECT_TRUE(WaitFor([&] { return f.d->Focused(); })) << "round to the first";
    QTest::keyClick(f.d->Host(), Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_TRUE(WaitFor([&] { return calc->Focused(); }));
    EXPECT_EQ(calc->GetFloatValue(), 42.5);
}

// A shown form with a track-bar drop-down (0 to 20) holding 7.
struct UserKeysTrack {
    TForm* form = New<TForm>(nullptr);
    TPlusTrackBarDropDown* t = new TPlusTrackBarDropDown(form);
    UserKeysTrack()
    {
        form->SetBounds(100, 100, 400, 200);
        t->SetParent(form);
        t->SetBounds(20, 20, 200, 21);
        t->SetMax(20);
        t->SetPosition(7);
        form->Show();
        EXPECT_TRUE(WaitFor([&] { return QApplication::activeWindow() == form->Host(); }));
        t->SetFocus();
        EXPECT_TRUE(WaitFor([&] { return t->Focused(); }));
    }
    ~UserKeysTrack() { delete form; }
    QWidget* Popup() const { return t->DropDownForm()->Host(); }
    // Alt+Down, then the pop-up has the keyboard (a user typing at a slow pace)
    void OpenAndWait()
    {
        QTest::keyClick(t->Host(), Qt::Key_Down, Qt::AltModifier);
        ASSERT_TRUE(t->IsDroppedDown());
        ASSERT_TRUE(WaitFor([&] { return QApplication::activeWindow() == Popup() && QApplication::focusWidget(); }));
    }
    // a key where the keyboard is now
    static void Type(Qt::Key k) { QTest::keyClick(QApplication::focusWidget(), k); }
};

TEST(TrackBarEscape, EscGivesBackTheNumberShownAtOpening)
{
    UserKeysTrack f;
    QTest::keyClick(f.t->Host(), Qt::Key_Down);
    EXPECT_EQ(f.t->Position(), 8) << "Down on the closed edit steps";
    f.OpenAndWait();
    f.Type(Qt::Key_Right);
    f.Type(Qt::Key_Right);
    EXPECT_EQ(f.t->GetText(), "10");
    f.Type(Qt::Key_Escape);
    EXPECT_FALSE(f.t->IsDroppedDown());
    EXPECT_EQ(f.t->GetText(), "8");
    EXPECT_EQ(f.t->Position(), 8);

    // Return keeps the slider's number, and the next Esc goes back to that one
    QTest::qWait(300);
    f.OpenAndWait();
    f.Type(Qt::Key_Right);
    f.Type(Qt::Key_Return);
    EXPECT_FALSE(f.t->IsDroppedDown());
    EXPECT_EQ(f.t->Position(), 9);
    QTest::qWait(300);
    f.OpenAndWait();
    f.Type(Qt::Key_Left);
    f.Type(Qt::Key_Left);
    EXPECT_EQ(f.t->Position(), 7);
    f.Type(Qt::Key_Escape);
    EXPECT_EQ(f.t->Position(), 9);
    EXPECT_EQ(f.t->GetText(), "9");
}

TEST(TypedAhead, AltDownRightReturnInOneBurstMovesTheTrackBarAndAccepts)
{
    UserKeysTrack f;
    std::vector<String> seen;
    f.t->OnTrackChange = [&](TObject*) { seen.push_back(f.t->GetText()); };
    // the three keys reach the edit before the pop-up can take the keyboard
    QTest::keyClick(f.t->Host(), Qt::Key_Down, Qt::AltModifier);
    QTest::keyClick(f.t->Host(), Qt::Key_Right);
    QTest::keyClick(f.t->Host(), Qt::Key_Return);
    EXPECT_FALSE(f.t->IsDroppedDown());
    EXPECT_EQ(f.t->Position(), 8);
    EXPECT_EQ(f.t->GetText(), "8");
    EXPECT_EQ(seen, (std::vector<String>{"8"}));
    QTest::qWait(50);
    EXPECT_FALSE(f.t->DropDownForm()->Visible()) << "the pop-up stays closed";
    EXPECT_EQ(f.t->Position(), 8);

    // Esc typed ahead cancels back to the number at opening
    QTest::qWait(300);
    QTest::keyClick(f.t->Host(), Qt::Key_Down, Qt::AltModifier);
    QTest::keyClick(f.t->Host(), Qt::Key_Left);
    QTest::keyClick(f.t->Host(), Qt::Key_Left);
    QTest::keyClick(f.t->Host(), Qt::Key_Escape);
    EXPECT_FALSE(f.t->IsDroppedDown());
    EXPECT_EQ(f.t->Position(), 8);
}

// A key as the user presses it: a named key with modifiers, or a character.
struct UserKey {
    Qt::Key key;
    Qt::KeyboardModifiers mods = Qt::NoModifier;
    char ch = 0;
};
const UserKey kAltDown{Qt::Key_Down, Qt::AltModifier};

void PressOn(QWidget* w, const UserKey& k)
{
    if (k.ch)
        QTest::keyClick(w, k.ch);
    else
        QTest::keyClick(w, k.key, k.mods);
}

struct TypeAheadCase {
    const char* name;
    std::function<TPlusCustomDropDown*(TForm*)> make;
    std::vector<UserKey> keys; // the first one opens the pop-up
    // the value the user chose, when the edit does not show it as text
    std::function<String(TPlusCustomDropDown*)> value = nullptr;
};

template <class D, class Item>
void TypeAheadRows(D* d)
{
    d->Columns()->Add()->Header = "City";
    d->Columns()->Add()->Header = "Country";
    static const char* const cities[][2] = {{"Arles", "France"}, {"Brno", "Czechia"}, {"Osaka", "Japan"}};
    for (const auto& city : cities) {
        auto* it = static_cast<Item*>(d->Items()->Add());
        it->Text()->Add(city[0]);
        it->Text()->Add(city[1]);
    }
    d->UpdateLookupList();
    d->SetItemIndex(0);
}

TCustomImageList* TypeAheadImages(TForm* form)
{
    auto* images = new TImageList(16, 16, form);
    for (TColor c : {TColor(0x3050E0), TColor(0x30A040), TColor(0xD08020)}) {
        TBitmap b;
        b.SetSize(16, 16);
        b.Canvas()->Brush->Color = c;
        b.Canvas()->FillRect(TRect(0, 0, 16, 16));
        images->Add(&b, nullptr);
    }
    return images;
}

// The edit's text and whether the pop-up is open, after the keys.
struct TypeAheadOutcome {
    String text;
    bool open;
    bool operator==(const TypeAheadOutcome&) const = default;
};
void PrintTo(const TypeAheadOutcome& o, std::ostream* os) { *os << '"' << o.text << '"' << (o.open ? " open" : " closed"); }

TypeAheadOutcome RunTypeAhead(const TypeAheadCase& c, bool burst, String& before)
{
    TForm* form = New<TForm>(nullptr);
    form->SetBounds(100, 100, 400, 300);
    TPlusCustomDropDown* d = c.make(form);
    d->SetParent(form);
    d->SetBounds(20, 20, 200, 21);
    form->Show();
    EXPECT_TRUE(WaitFor([&] { return QApplication::activeWindow() == form->Host(); }));
    d->SetFocus();
    EXPECT_TRUE(WaitFor([&] { return d->Focused(); }));
    auto value = [&] { return c.value ? c.value(d) : d->EditText(); };
    before = value();
    PressOn(d->Host(), c.keys[0]);
    EXPECT_TRUE(d->IsDroppedDown());
    if (!burst)
        EXPECT_TRUE(WaitFor([&] { return QApplication::activeWindow() == d->DropDownForm()->Host(); }));
    for (size_t i = 1; i < c.keys.size(); ++i) {
        if (burst) {
            PressOn(d->Host(), c.keys[i]); // still where the keyboard was before the opening
        } else {
            PressOn(QApplication::focusWidget(), c.keys[i]);
            QTest::qWait(10);
        }
    }
    TypeAheadOutcome now{value(), d->IsDroppedDown()};
    QTest::qWait(100); // the pop-up's late activation changes nothing
    EXPECT_EQ(now, (TypeAheadOutcome{value(), d->IsDroppedDown() && d->DropDownForm()->Visible()}));
    delete form;
    return now;
}

class TypedAheadEveryDropDown : public ::testing::TestWithParam<TypeAheadCase> {};

TEST_P(TypedAheadEveryDropDown, KeysTypedAheadOfThePopupDoWhatTheyDoAtASlowPace)
{
    String before, ignored;
    const TypeAheadOutcome slow = RunTypeAhead(GetParam(), false, before);
    EXPECT_NE(slow.text, before) << "the keys choose something at a slow pace";
    EXPECT_FALSE(slow.open);
    const TypeAheadOutcome burst = RunTypeAhead(GetParam(), true, ignored);
    EXPECT_EQ(burst, slow);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, TypedAheadEveryDropDown,
    ::testing::Values(
        TypeAheadCase{"TrackBar",
                      [](TForm* f) {
                          auto* t = new TPlusTrackBarDropDown(f);
                          t->SetPosition(3);
                          return t;
                      },
                      {kAltDown, {Qt::Key_Right}, {Qt::Key_Return}}},
        TypeAheadCase{"Memo",
                      [](TForm* f) {
                          auto* m = new TPlusMemoDropDown(f);
                          m->SetMemoText(TStringList{"note"});
                          return m;
                      },
                      {kAltDown, {Qt::Key_X, Qt::NoModifier, 'x'}, {Qt::Key_Y, Qt::NoModifier, 'y'},
                       {Qt::Key_Up, Qt::AltModifier}}},
        TypeAheadCase{"Calculator",
                      [](TForm* f) {
                          auto* c = new TPlusCalculatorDropdown(f);
                          c->SetFloatValue(4);
                          return c;
                      },
                      {kAltDown, {Qt::Key_Asterisk, Qt::NoModifier, '*'}, {Qt::Key_3, Qt::NoModifier, '3'},
                       {Qt::Key_Return}}},
        TypeAheadCase{"TimePicker",
                      [](TForm* f) {
                          auto* t = new TPlusTimePickerDropDown(f);
                          t->SetTime(EncodeTime(10, 20, 30, 0));
                          // a walking hand sets the hour only when its walk ends
                          t->Clock()->SetAnimation(false);
                          return t;
                      },
                      {kAltDown, {Qt::Key_PageUp}, {Qt::Key_Return}}},
        TypeAheadCase{"Detail",
                      [](TForm* f) {
                          auto* d = new TPlusDetailDropDown(f);
                          for (const char* c : {"Apple", "Banana", "Cherry"})
                              d->Items()->Add()->SetCaption(c);
                          d->SetItemIndex(0);
                          return d;
                      },
                      {kAltDown, {Qt::Key_Down}, {Qt::Key_Return}}},
        TypeAheadCase{"ColourList",
                      [](TForm* f) {
                          auto* p = new TPlusColorPickerDropDown(f);
                          p->AddStandardColors();
                          p->SetSelectedColor(clBlack);
                          return p;
                      },
                      {kAltDown, {Qt::Key_Down}, {Qt::Key_Return}},
                      [](TPlusCustomDropDown* d) {
                          return IntToStr(static_cast<TPlusColorPickerDropDown*>(d)->SelectedColor());
                      }},
        TypeAheadCase{"ImagePicker",
                      [](TForm* f) {
                          auto* p = new TPlusImagePickerDropDown(f);
                          p->SetImages(TypeAheadImages(f));
                          p->AddImageListItems();
                          for (int i = 0; i < 3; ++i)
                              p->Items()->GetItem(i)->SetCaption(String(1, char('A' + i)));
                          p->SetItemIndex(0);
                          return p;
                      },
                      {kAltDown, {Qt::Key_Down}, {Qt::Key_Return}},
                      [](TPlusCustomDropDown* d) {
                          return IntToStr(static_cast<TPlusImagePickerDropDown*>(d)->ItemIndex());
                      }},
        TypeAheadCase{"MultiColumn",
                      [](TForm* f) {
                          auto* d = new TPlusMultiColumnDropDown(f);
                          TypeAheadRows<TPlusMultiColumnDropDown, PlusMultiColumnDropDown::TDropDownItem>(d);
                          return d;
                      },
                      {kAltDown, {Qt::Key_Down}, {Qt::Key_Return}}},
        TypeAheadCase{"Grid",
                      [](TForm* f) {
                          auto* d = new TPlusGridDropDown(f);
                          TypeAheadRows<TPlusGridDropDown, PlusCustomGridDropDown::TDropDownItem>(d);
                          return d;
                      },
                      {kAltDown, {Qt::Key_Down}, {Qt::Key_Return}}}),
    [](const auto& info) { return std::string(info.param.name); });

// The calendar the date field opens, when it is shown.
QCalendarWidget* ShownCalendar(TPlusDateTimePicker* p)
{
    for (QCalendarWidget* c : p->Host()->findChildren<QCalendarWidget*>())
        if (c->isVisible())
            return c;
    return nullptr;
}

TEST(DateTimePickerKeys, AltDownAndF4OpenTheCalendar)
{
    TForm* form = New<TForm>(nullptr);
    form->SetBounds(100, 100, 400, 300);
    auto* p = new TPlusDateTimePicker(form);
    p->SetParent(form);
    p->SetBounds(20, 20, 240, 23);
    p->SetKind(dkDate);
    p->SetDateTime(EncodeDate(2026, 12, 10));
    form->Show();
    ASSERT_TRUE(WaitFor([&] { return QApplication::activeWindow() == form->Host(); }));
    p->SetFocus();
    ASSERT_TRUE(WaitFor([&] { return p->Focused(); }));

    for (const UserKey& opening : {kAltDown, UserKey{Qt::Key_F4}}) {
        PressOn(p->Host(), opening);
        ASSERT_TRUE(WaitFor([&] { return ShownCalendar(p) != nullptr; })) << "the calendar opens";
        EXPECT_EQ(p->Date(), EncodeDate(2026, 12, 10)) << "no field is stepped";
        // a day picked with the keys in the calendar
        QCalendarWidget* calendar = ShownCalendar(p);
        ASSERT_TRUE(WaitFor([&] { return QApplication::focusWidget() && QApplication::focusWidget()->window() == calendar->window(); }));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_TRUE(WaitFor([&] { return ShownCalendar(p) == nullptr; }));
        EXPECT_EQ(p->Date(), EncodeDate(2026, 12, 11));
        p->SetDateTime(EncodeDate(2026, 12, 10));
        ASSERT_TRUE(WaitFor([&] { return p->Focused(); }));
    }

    // Esc closes the calendar and keeps the date; plain Down still steps the field
    PressOn(p->Host(), kAltDown);
    ASSERT_TRUE(WaitFor([&] { return ShownCalendar(p) != nullptr; }));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_TRUE(WaitFor([&] { return ShownCalendar(p) == nullptr; }));
    EXPECT_EQ(p->Date(), EncodeDate(2026, 12, 10));
    ASSERT_TRUE(WaitFor([&] { return p->Focused(); }));
    const TDateTime before = p->Date();
    QTest::keyClick(p->Host(), Qt::Key_Down);
    EXPECT_NE(p->Date(), before);
    EXPECT_EQ(ShownCalendar(p), nullptr);
    delete form;
}

TEST(ColourListScrollBar, TheListShowsItsScrollBarBesideTheItems)
{
    TForm* form = New<TForm>(nullptr);
    form->SetBounds(100, 100, 400, 300);
    auto* p = new TPlusColorPickerDropDown(form);
    p->SetParent(form);
    p->SetBounds(20, 20, 200, 21);
    p->AddStandardColors();
    p->SetItemIndex(0);
    form->Show();
    ASSERT_TRUE(WaitFor([&] { return QApplication::activeWindow() == form->Host(); }));
    p->SetFocus();
    PressOn(p->Host(), kAltDown);
    ASSERT_TRUE(WaitFor([&] { return QApplication::activeWindow() == p->DropDownForm()->Host(); }));
    TPlusCustomItemSelector* list = p->ItemSelector();
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->Items()->Count(), 16);
    const TSize panel = list->GetPanelSize();
    EXPECT_GT(panel.cy, list->ClientHeight()) << "16 rows are taller than the 200-pixel pop-up";
    EXPECT_TRUE(list->VertScrollBarVisible());
    EXPECT_GE(list->ClientWidth(), panel.cx) << "the bar comes beside the items, not over them";
    EXPECT_EQ(p->DropDownForm()->Width(), std::max(80, panel.cx) + GetSystemMetrics(SM_CXVSCROLL))
        << "the pop-up grows by the bar";

    QScrollBar* bar = nullptr;
    for (QScrollBar* b : list->Host()->findChildren<QScrollBar*>())
        if (b->isVisible() && b->orientation() == Qt::Vertical)
            bar = b;
    ASSERT_NE(bar, nullptr) << "the user sees the scroll bar";
    // a click on its lower arrow scrolls by a row; End scrolls down to White
    EXPECT_EQ(list->ScrollPosition(), 0);
    QTest::mouseClick(bar, Qt::LeftButton, {}, quelmtest::ScrollBarPart(bar, QStyle::SC_ScrollBarAddLine).center());
    EXPECT_TRUE(WaitFor([&] { return list->ScrollPosition() > 0; }));
    EXPECT_EQ(list->ScrollPosition(), list->Items()->Items(0)->ItemRect.Height());
    EXPECT_TRUE(p->IsDroppedDown());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_End);
    EXPECT_EQ(p->ItemIndex(), 15);
    const TRect last = list->Items()->Items(15)->ItemRect;
    EXPECT_LE(last.Bottom - list->ScrollPosition(), list->ClientHeight()) << "White in view";
    EXPECT_EQ(bar->value(), list->ScrollPosition());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_FALSE(p->IsDroppedDown());
    EXPECT_EQ(p->SelectedColor(), TColor(clWhite));
    delete form;
}

TEST(GridDropDownRelays, LinksAndColumnMovesInTheListReachTheDropDown)
{
    TForm* form = New<TForm>(nullptr);
    form->SetBounds(100, 100, 400, 300);
    auto* d = new TPlusGridDropDown(form);
    d->SetParent(form);
    d->SetBounds(20, 20, 240, 21);
    d->Columns()->Add()->Header = "City";
    d->Columns()->Add()->Header = "Country";
    static const char* const cities[][2] = {
        {"<a href=\"go:berlin\">Berlin</a>", "DE"}, {"Arles", "FR"}, {"Paris", "FR"}};
    for (const auto& city : cities) {
        auto* it = d->Items()->Add();
        it->Text()->Add(city[0]);
        it->Text()->Add(city[1]);
    }
    d->UpdateLookupList();
    d->ColumnMoving = true;
    std::vector<String> events;
    bool ignoredActivation = false;
    d->OnGridAnchorEnter = [&](TObject*, int row, int col, const String& a) {
        events.push_back("enter " + IntToStr(col) + "," + IntToStr(row) + " " + a);
    };
    d->OnGridAnchorExit = [&](TObject*, int, int, const String&) { events.push_back("exit"); };
    d->OnGridAnchorClick = [&](TObject*, int row, int col, String a, bool& autoHandle) {
        events.push_back("click " + IntToStr(col) + "," + IntToStr(row) + " " + a);
        ignoredActivation = d->DropDownForm()->IgnoreActivation;
        autoHandle = false;
    };
    d->OnGridColumnMoving = [&](TObject*, int col, bool& allow) {
        events.push_back("column moving " + IntToStr(col));
        allow = false;
    };
    form->Show();
    ASSERT_TRUE(WaitFor([&] { return QApplication::activeWindow() == form->Host(); }));
    d->SetFocus();
    PressOn(d->Host(), kAltDown);
    ASSERT_TRUE(WaitFor([&] { return QApplication::activeWindow() == d->DropDownForm()->Host(); }));
    auto* list = d->GetGrid();
    EXPECT_FALSE(d->BalloonReady());

    // the pointer over the pop-up's window, at a point of the list
    QWidget* popup = d->DropDownForm()->Host();
    auto at = [&](QPoint p) { return list->Host()->mapTo(popup, p); };
    auto moveTo = [&](QPoint p) {
        QTest::mouseMove(popup->windowHandle(), at(p));
        QApplication::processEvents();
    };
    const TRect link = list->CellRect(0, 1);
    const TRect plain = list->CellRect(1, 3);
    const int y = (link.Top + link.Bottom) / 2;
    int linkX = -1;
    for (int x = link.Left + 1; x < link.Right && linkX < 0; ++x) {
        moveTo(QPoint(x, y));
        if (!events.empty())
            linkX = x;
    }
    ASSERT_GE(linkX, 0) << "the link is found by walking across its cell";
    EXPECT_TRUE(d->BalloonReady()) << "set up by the first move over the list";
    moveTo(QPoint(plain.Left + 8, (plain.Top + plain.Bottom) / 2));
    QTest::mouseClick(popup->windowHandle(), Qt::LeftButton, {}, at(QPoint(linkX + 2, y)));
    auto has = [&](const char* e) { return std::find(events.begin(), events.end(), String(e)) != events.end(); };
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(events[0], "enter 0,1 go:berlin");
    EXPECT_EQ(events[1], "exit");
    EXPECT_TRUE(has("click 0,1 go:berlin"));
    EXPECT_TRUE(ignoredActivation) << "a window the handler opens leaves the pop-up open";
    EXPECT_FALSE(d->DropDownForm()->IgnoreActivation);

    // a header dragged onto the next column asks first; the refusal keeps the columns
    if (!d->IsDroppedDown()) {
        QTest::qWait(300);
        PressOn(d->Host(), kAltDown);
        ASSERT_TRUE(WaitFor([&] { return QApplication::activeWindow() == d->DropDownForm()->Host(); }));
    }
    events.clear();
    const TRect h0 = list->CellRect(0, 0), h1 = list->CellRect(1, 0);
    const QPoint from((h0.Left + h0.Right) / 2, (h0.Top + h0.Bottom) / 2);
    const QPoint to((h1.Left + h1.Right) / 2, (h1.Top + h1.Bottom) / 2);
    QTest::mousePress(popup->windowHandle(), Qt::LeftButton, {}, at(from));
    for (int i = 1; i <= 5; ++i)
        moveTo(from + (to - from) * i / 5);
    QTest::mouseRelease(popup->windowHandle(), Qt::LeftButton, {}, at(to));
    EXPECT_TRUE(has("column moving 0"));
    EXPECT_EQ(list->Cells(0, 0), "City");
    delete form;
}

} // namespace
