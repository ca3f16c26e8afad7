// The track-bar and memo drop-downs.
#include "components/dropdown/PlusMemoDropDown.h"
#include "components/dropdown/PlusTrackBarDropDown.h"

#include "platform/framework/Forms.h"

#include <gtest/gtest.h>

namespace {

struct TrackFixture {
    TForm* form = New<TForm>(nullptr);
    TPlusTrackBarDropDown* t = new TPlusTrackBarDropDown(form);
    TrackFixture() { t->SetParent(form); }
    ~TrackFixture() { delete form; }
    void Key(WORD k)
    {
        WORD key = k;
        t->KeyDown(key, TShiftState());
    }
};

TEST(TrackBarDropDown, StepsStayInTheRange)
{
    TrackFixture f;
    EXPECT_EQ(f.t->GetText(), "0");
    f.Key(VK_UP);
    EXPECT_EQ(f.t->Position(), 0);
    for (int i = 0; i < 11; ++i)
        f.Key(VK_DOWN);
    EXPECT_EQ(f.t->Position(), 10);
    EXPECT_EQ(f.t->GetText(), "10");
}

TEST(TrackBarDropDown, AStepBeyondTheRangeIsNotTaken)
{
    TrackFixture f;
    f.t->SetFrequency(3);
    f.t->SetPosition(9);
    f.Key(VK_DOWN);
    EXPECT_EQ(f.t->Position(), 9);
    f.Key(VK_UP);
    EXPECT_EQ(f.t->Position(), 6);
}

TEST(TrackBarDropDown, ThePositionIsReadBackFromTheSlider)
{
    TrackFixture f;
    f.t->SetPosition(15);
    EXPECT_EQ(f.t->Position(), 10);
    EXPECT_EQ(f.t->GetText(), "10");
    f.t->SetMin(20);
    EXPECT_EQ(f.t->Min(), 0) << "a minimum above the maximum is refused";
}

TEST(TrackBarDropDown, TypedTextAndSliderFollowEachOther)
{
    TrackFixture f;
    f.t->SetEditorEnabled(true);
    std::vector<String> events;
    f.t->OnChange = [&](TObject*) { events.push_back("change"); };
    f.t->OnTrackChange = [&](TObject*) { events.push_back("track"); };
    f.t->SetTextDirect("7");
    EXPECT_EQ(f.t->Position(), 7);
    EXPECT_EQ(f.t->TrackBar()->Position(), 7);
    events.clear();
    f.t->TrackBar()->SetPosition(3);
    EXPECT_EQ(f.t->GetText(), "3");
    EXPECT_EQ(events, (std::vector<String>{"change", "track"}));
    f.t->SetTextDirect("");
    EXPECT_EQ(f.t->Position(), 3) << "a text that is no number leaves the position";
    WORD key = VK_DOWN;
    f.t->KeyDown(key, TShiftState());
    EXPECT_EQ(f.t->Position(), 3) << "keys do not step an editable edit";
}

TEST(TrackBarDropDown, DraggingOverTheEdit)
{
    TrackFixture f;
    f.form->SetBounds(100, 100, 300, 100);
    f.t->SetBounds(10, 10, 200, 21);
    f.form->Show();
    f.t->SetPosition(2);
    f.t->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 5));
    f.t->HideDropDown(false); // the press opens the pop-up
    f.t->Perform(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(27, 5));
    EXPECT_EQ(f.t->Position(), 5) << "7 pixels with page size 2 add 3";
    for (int x = 28; x < 35; ++x)
        f.t->Perform(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, 5));
    EXPECT_EQ(f.t->Position(), 5) << "moves of one pixel add nothing";
    f.t->Perform(WM_LBUTTONUP, 0, MAKELPARAM(34, 5));
    f.t->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(60, 5));
    EXPECT_EQ(f.t->Position(), 5);
}

struct MemoFixture {
    TForm* form = New<TForm>(nullptr);
    TPlusMemoDropDown* m = new TPlusMemoDropDown(form);
    MemoFixture()
    {
        form->SetBounds(100, 100, 400, 200);
        m->SetParent(form);
        m->SetBounds(10, 10, 200, 21);
    }
    ~MemoFixture() { delete form; }
};

TEST(MemoDropDown, TheEditShowsASummary)
{
    MemoFixture f;
    f.m->SetMemoText(TStringList{"one", "two"});
    EXPECT_EQ(f.m->GetText(), "one...");
    f.m->SetMemoText(TStringList{"only"});
    EXPECT_EQ(f.m->GetText(), "only");
    f.m->SetMemoText(TStringList{});
    EXPECT_EQ(f.m->GetText(), "");
    const String longLine(200, 'w');
    f.m->SetMemoText(TStringList{longLine});
    const String shown = f.m->GetText();
    ASSERT_GT(shown.size(), 3u);
    EXPECT_EQ(shown.substr(shown.size() - 3), "...");
    EXPECT_EQ(shown.substr(0, shown.size() - 3), longLine.substr(0, shown.size() - 3));
}

TEST(MemoDropDown, TypingReplacesAllLines)
{
    MemoFixture f;
    f.m->SetMemoText(TStringList{"one", "two"});
    f.m->SetTextDirect("typed");
    ASSERT_EQ(f.m->MemoText()->Count(), 1);
    EXPECT_EQ(f.m->MemoText()->Strings(0), "typed");
    EXPECT_EQ(f.m->GetText(), "typed") << "the edit is not rewritten";
}

TEST(MemoDropDown, CancelDropsTheEditsAndAnyOtherCloseCommitsThem)
{
    MemoFixture f;
    f.form->Show();
    f.m->SetMemoText(TStringList{"one", "two"});
    f.m->ShowDropDown();
    ASSERT_TRUE(f.m->IsDroppedDown());
    f.m->Memo()->Lines()->Add("three");
    f.m->HideDropDown(true);
    EXPECT_EQ(f.m->MemoText()->Count(), 2);
    f.m->ShowDropDown();
    f.m->Memo()->Lines()->Add("three");
    f.m->HideDropDown(false);
    EXPECT_EQ(f.m->MemoText()->Count(), 3);
    EXPECT_EQ(f.m->GetText(), "one...");
}

TEST(MemoDropDown, OnlyEscapeF4AndAltReachTheEdit)
{
    MemoFixture f;
    f.form->Show();
    f.m->ShowDropDown();
    WORD key = VK_RETURN;
    f.m->DropDownControlKeyDown(key, TShiftState());
    EXPECT_TRUE(f.m->IsDroppedDown()) << "Return stays in the memo";
    key = VK_ESCAPE;
    f.m->DropDownControlKeyDown(key, TShiftState());
    EXPECT_FALSE(f.m->IsDroppedDown());
}

} // namespace
