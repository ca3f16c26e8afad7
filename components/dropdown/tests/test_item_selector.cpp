// The item selector: layout in columns, selection and hot stepping, text search.
#include "components/dropdown/PlusDropDown.h"

#include "platform/framework/Forms.h"

#include <gtest/gtest.h>

namespace {

struct ItemSelectorFixture {
    TForm* form = New<TForm>(nullptr);
    TPlusCustomItemSelector* s = new TPlusCustomItemSelector(form);
    int selects = 0;
    ItemSelectorFixture()
    {
        s->SetParent(form);
        s->SetBounds(0, 0, 200, 100);
        s->OnItemSelect = [this](TObject* sender) {
            EXPECT_EQ(sender, s);
            ++selects;
        };
    }
    ~ItemSelectorFixture() { delete form; }
    void Fill(std::initializer_list<const char*> captions)
    {
        for (const char* c : captions)
            s->Items()->Add()->SetCaption(c);
        s->UpdateLayout();
    }
};

TEST(ItemSelector, WithoutItemsThePanelIs100By50)
{
    ItemSelectorFixture f;
    EXPECT_EQ(f.s->GetPanelSize().cx, 100);
    EXPECT_EQ(f.s->GetPanelSize().cy, 50);
    EXPECT_EQ(f.s->VisibleItemCount(), 0);
}

TEST(ItemSelector, CellsInColumns)
{
    ItemSelectorFixture f;
    f.s->OnItemSize = [](TObject*, TSize& size) { size = TSize{40, 20}; };
    f.s->SetColumns(2);
    f.Fill({"a", "b", "c", "d", "e"});
    const int expected[5][2] = {{2, 2}, {42, 2}, {2, 22}, {42, 22}, {2, 42}};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(f.s->Items()->Items(i)->ItemRect.Left, expected[i][0]) << i;
        EXPECT_EQ(f.s->Items()->Items(i)->ItemRect.Top, expected[i][1]) << i;
    }
    EXPECT_EQ(f.s->GetPanelSize().cx, 84);
    EXPECT_EQ(f.s->GetPanelSize().cy, 64);
    f.s->SetColumns(0);
    f.s->SetColumns(-3);
    EXPECT_EQ(f.s->Columns(), 2) << "no columns below one";
    EXPECT_EQ(f.s->Panel()->ItemAtPos(45, 25), 3);
    EXPECT_EQ(f.s->Panel()->ItemAtPos(82, 62), -1) << "right and bottom edges lie outside";
    EXPECT_EQ(f.s->VisibleItemCount(), 100 / 20 * 2);
}

TEST(ItemSelector, SteppingSkipsNoDisabledItemAndReselectingFiresAgain)
{
    ItemSelectorFixture f;
    f.Fill({"Red", "Green", "Grey", "Blue"});
    f.s->SelectNext();
    EXPECT_EQ(f.s->ItemIndex(), 0);
    f.s->Items()->Items(1)->Enabled = false;
    f.s->SelectNext();
    EXPECT_EQ(f.s->ItemIndex(), 0) << "the next item is disabled: the selection stays";
    const int before = f.selects;
    f.s->SetItemIndex(0);
    EXPECT_EQ(f.selects, before + 1);
    f.s->SelectLast();
    f.s->SelectNext();
    EXPECT_EQ(f.s->ItemIndex(), 3);
    f.s->HotNext();
    f.s->HotNext();
    EXPECT_EQ(f.s->GetItemHot(), 0) << "a disabled item never becomes hot";
}

TEST(ItemSelector, SelectByTextMatchesThePlainUpperCaseCaption)
{
    ItemSelectorFixture f;
    f.Fill({"<b>Red</b>", "  green", "Grey"});
    EXPECT_TRUE(f.s->SelectByText("GR"));
    EXPECT_EQ(f.s->ItemIndex(), 1);
    EXPECT_FALSE(f.s->SelectByText("gr"));
    EXPECT_TRUE(f.s->SelectByText("RE"));
    EXPECT_EQ(f.s->ItemIndex(), 0);
}

TEST(ItemSelector, ColourBoxCells)
{
    ItemSelectorFixture f;
    f.s->SetSelectorType(stColor);
    f.Fill({"Red", "Dark green"});
    TBitmap b;
    b.SetSize(10, 10);
    b.Canvas()->Font->Assign(f.s->ItemAppearance()->Font());
    TSize text;
    DrawHtmlCaption(b.Canvas(), "Dark green", TRect(0, 0, 1000, 500), text, false, nullptr);
    const TRect r = f.s->Items()->Items(0)->ItemRect;
    EXPECT_EQ(r.Width(), 8 + 14 + 4 + text.cx + 4);
    EXPECT_EQ(r.Height(), std::max<int>(text.cy, 14) + 8);
}

TEST(ItemSelector, APanelNeedsItsHost)
{
    TForm* form = New<TForm>(nullptr);
    EXPECT_THROW(new TCustomItemSelector(form), Exception);
    delete form;
}

TEST(ItemSelector, AppearancePresets)
{
    TItemAppearance a(nullptr);
    EXPECT_EQ(a.ColorStyle(), 1);
    EXPECT_EQ(a.ColorSelectedTo, TColor(0x04B9F4));
    a.SetColorStyle(2);
    EXPECT_EQ(a.ColorHot, TColor(0xFDF8F1));
    EXPECT_EQ(a.ColorMirrorHot, clNone);
    a.SetColorStyle(9);
    EXPECT_EQ(a.ColorHot, TColor(0xFDF8F1)) << "other numbers are only stored";
    ApplyItemAppearanceStyle(&a, 4);
    EXPECT_EQ(a.BorderColor, TColor(0x42AEFE));
    EXPECT_EQ(a.EdgeColor, TColor(0xC3D9DF));
    ApplyItemAppearanceStyle(&a, 8);
    EXPECT_EQ(a.BorderColor, TColor(0x42AEFE));
    ApplyItemAppearanceStyle(nullptr, 4);
}

} // namespace
