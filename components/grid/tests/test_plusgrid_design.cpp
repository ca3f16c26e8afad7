// The quick configuration box of a designing grid, and the grid's small edits and font scaling.
#include "components/grid/PlusGrid.h"

#include "platform/framework/Forms.h"
#include "platform/framework/Menus.h"

#include <QApplication>
#include <QCursor>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// A grid the test puts into the designer's state, as the form designer does.
class TDesignedGrid : public TPlusStringGrid {
public:
    using TPlusStringGrid::TPlusStringGrid;
    using TComponent::SetDesigning;
};

class GridDesign : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(0, 0, 420, 260);
        grid = new TDesignedGrid(form.get());
        grid->SetParent(form.get());
        grid->SetBounds(0, 0, 400, 240);
        form->Show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form->Host()));
        QApplication::processEvents();
    }
    void TearDown() override
    {
        TPopupMenu::ChooseHook = nullptr;
        QApplication::processEvents();
        form.reset();
    }
    // A point inside a zone of the box: 1 "Allow edit", 2 "Set look: ", 3 the close glyph.
    TPoint ZonePoint(int zone)
    {
        const TRect box = grid->DesignHelperRect();
        const int line = (box.Bottom - box.Top - 10) / 3;
        if (zone == 3)
            return TPoint(box.Right - 8, box.Top + 8);
        return TPoint(box.Left + 10, box.Top + zone * line + 4 + line / 2);
    }
    void Click(TPoint p)
    {
        grid->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.X, p.Y));
        grid->Perform(WM_LBUTTONUP, 0, MAKELPARAM(p.X, p.Y));
    }
    std::unique_ptr<TForm> form;
    TDesignedGrid* grid = nullptr;
};

} // namespace

TEST_F(GridDesign, TheBoxExistsOnlyWhileDesigning)
{
    const TRect box = grid->DesignHelperRect();
    const TPoint inside(box.Left + 3, box.Top + 3);
    // at run time: nothing painted, no zone clicked, no hit answered
    const QImage runTime = grid->Host()->grab().toImage();
    EXPECT_NE(runTime.pixelColor(inside.X, inside.Y), QColor(0xFF, 0xFF, 0xE1));
    const TGridOptions before = grid->Options();
    Click(ZonePoint(1));
    EXPECT_EQ(grid->Options(), before);
    QCursor::setPos(grid->Host()->mapToGlobal(QPoint(ZonePoint(1).X, ZonePoint(1).Y)));
    EXPECT_EQ(grid->Perform(CM_DESIGNHITTEST, 0, 0), 0);

    grid->SetDesigning(true);
    grid->Invalidate();
    const QImage design = grid->Host()->grab().toImage();
    EXPECT_EQ(design.pixelColor(inside.X, inside.Y), QColor(0xFF, 0xFF, 0xE1)); // clInfoBk
    if (const char* dir = std::getenv("QUELM_SHOTS"))
        design.save(QString::fromUtf8(dir) + "/grid_design_helper.png");
    // the designer lets the grid take clicks on its zones, and only there
    struct Case {
        TPoint at;
        int zone;
    } cases[] = {{ZonePoint(1), 1}, {ZonePoint(2), 2}, {ZonePoint(3), 3}, {TPoint(5, 5), -1}};
    for (const Case& c : cases) {
        QCursor::setPos(grid->Host()->mapToGlobal(QPoint(c.at.X, c.at.Y)));
        EXPECT_EQ(grid->Perform(CM_DESIGNHITTEST, 0, 0), c.zone > 0 ? 1 : 0) << c.zone;
        EXPECT_EQ(grid->DesignHelperZone, c.zone);
        EXPECT_EQ(grid->DesignHelperHitTest(c.at.X, c.at.Y), c.zone);
    }
    grid->SetShowDesignHelper(false);
    EXPECT_EQ(grid->DesignHelperHitTest(ZonePoint(1).X, ZonePoint(1).Y), 1); // geometry only
    EXPECT_EQ(grid->Perform(CM_DESIGNHITTEST, 0, 0), 0);
}

TEST_F(GridDesign, ClicksSwitchEditingPickALookAndCloseTheBox)
{
    grid->SetDesigning(true);
    const bool editing = grid->Options().Contains(goEditing);
    Click(ZonePoint(1));
    EXPECT_NE(grid->Options().Contains(goEditing), editing);
    Click(ZonePoint(1));
    EXPECT_EQ(grid->Options().Contains(goEditing), editing);

    // the look menu: nine looks, the current one checked; a choice sets the look
    std::vector<std::string> captions;
    std::string checked;
    String pick = "Windows 7";
    TPopupMenu::ChooseHook = [&](TPopupMenu* menu) -> TMenuItem* {
        captions.clear();
        checked.clear();
        TMenuItem* chosen = nullptr;
        for (int i = 0; i < menu->Items()->Count(); ++i) {
            TMenuItem* item = menu->Items()->Items(i);
            captions.push_back(item->Caption());
            if (item->Checked())
                checked += item->Caption();
            if (item->Caption() == pick)
                chosen = item;
        }
        return chosen;
    };
    grid->SetLook(glSoft);
    Click(ZonePoint(2));
    EXPECT_EQ(captions, (std::vector<std::string>{"Standard", "Soft", "Classic", "Virel", "ListView", "Office 2007",
                                                  "Windows XP", "Windows Vista", "Windows 7"}));
    EXPECT_EQ(checked, "Soft");
    EXPECT_EQ(grid->Look(), glWin7);
    // a custom look has no item: none checked, and nothing chosen leaves the look
    grid->SetLook(glCustom);
    pick = "";
    Click(ZonePoint(2));
    EXPECT_EQ(checked, "");
    EXPECT_EQ(grid->Look(), glCustom);

    Click(ZonePoint(3));
    EXPECT_FALSE(grid->ShowDesignHelper());
    Click(ZonePoint(1));
    EXPECT_EQ(grid->Options().Contains(goEditing), editing);
}

TEST_F(GridDesign, SearchEditReportsReturnWithoutInsertingIt)
{
    auto* edit = new TRetEdit(form.get());
    edit->SetParent(form.get());
    edit->SetBounds(10, 245, 100, 20);
    edit->SetVisible(true);
    edit->SetFocus();
    std::vector<std::string> events;
    edit->OnReturn = [&](TObject*) { events.push_back("return"); };
    edit->OnCtrlReturn = [&](TObject*) { events.push_back("ctrl"); };
    edit->OnKeyPress = [&](TObject*, char& key) { events.push_back("key " + IntToStr(int(key))); };
    QTest::keyClicks(edit->Host(), "ab");
    QTest::keyClick(edit->Host(), Qt::Key_Return);
    QTest::keyClick(edit->Host(), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(edit->Text(), "ab");
    EXPECT_EQ(std::count(events.begin(), events.end(), "return"), 1);
    EXPECT_EQ(std::count(events.begin(), events.end(), "ctrl"), 1);
}

TEST_F(GridDesign, FixedAndActiveCellFontsScaleWithTheForm)
{
    struct Case {
        int m, d;
        bool designing;
        int size;
    } cases[] = {{120, 96, false, 10}, {96, 96, false, 8}, {120, 96, true, 8}, {72, 96, false, 6}};
    for (const Case& c : cases) {
        TDesignedGrid g(nullptr);
        g.FixedFont()->SetSize(8);
        g.ActiveCellFont()->SetSize(8);
        g.SetDesigning(c.designing);
        g.ChangeScale(c.m, c.d);
        EXPECT_EQ(g.FixedFont()->Size(), c.size) << c.m << "/" << c.d;
        EXPECT_EQ(g.ActiveCellFont()->Size(), c.size) << c.m << "/" << c.d;
    }
}
