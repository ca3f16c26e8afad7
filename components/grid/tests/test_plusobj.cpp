#include "components/grid/PlusObj.h"

#include <gtest/gtest.h>

namespace {

struct ChangeLog {
    int count = 0;
    int col = 0, row = 0;
    TIntListChangeEvent Handler()
    {
        return [this](TObject*, int c, int r) { ++count; col = c; row = r; };
    }
};

TEST(IntList, NotificationsAndCommaText)
{
    TIntList list(2, 7);
    ChangeLog log;
    list.OnListChange = log.Handler();
    list.Add(5);
    list.Add(-2);
    list.Add(17);
    EXPECT_EQ(log.count, 3);
    EXPECT_EQ(log.col, 2);
    EXPECT_EQ(log.row, 7);
    EXPECT_EQ(list.GetCommaText(), "5,-2,17");
    list.Insert(0, 9); // silent
    list.RemoveValue(1000); // absent: silent
    EXPECT_EQ(log.count, 3);
    list.RemoveValue(-2);
    list.SetItem(0, 8);
    EXPECT_EQ(log.count, 5);
    EXPECT_EQ(list.GetCommaText(), "8,5,17");
    EXPECT_TRUE(list.HasValue(17));
    EXPECT_FALSE(list.HasValue(-2));

    log.count = 0;
    list.SetCommaText("1, 2,3");
    EXPECT_EQ(list.GetCommaText(), "1,2,3");
    EXPECT_EQ(log.count, 3);
    EXPECT_THROW(list.SetCommaText("4,x,6"), EConvertError);
    EXPECT_EQ(list.GetCommaText(), "4");
    EXPECT_THROW(list.GetItem(1), EListError);
    EXPECT_THROW(list.Delete(-1), EListError);
    TIntList empty(0, 0);
    EXPECT_EQ(empty.GetCommaText(), "");
}

TEST(SortIndexList, DescendingBit)
{
    TSortIndexList sort;
    ChangeLog log;
    sort.OnListChange = log.Handler();
    EXPECT_EQ(sort.IndexOfColumn(3), -1);
    sort.AddIndex(3, false);
    EXPECT_EQ(sort.GetItem(0), -2147483645);
    EXPECT_EQ(sort.ColumnAt(0), 3);
    EXPECT_FALSE(sort.AscendingAt(0));
    sort.AddIndex(5, true);
    EXPECT_EQ(sort.IndexOfColumn(5), 1);
    log.count = 0;
    sort.ToggleDirection(3);
    EXPECT_EQ(sort.GetItem(0), 3);
    EXPECT_EQ(log.count, 1);
    sort.ToggleDirection(3);
    EXPECT_EQ(sort.GetItem(0), -2147483645);
    sort.ToggleDirection(42);
    EXPECT_EQ(log.count, 2);
}

TEST(ControlList, OwnsItemsNotControls)
{
    TControlList list;
    TControl* control = reinterpret_cast<TControl*>(0x10); // never touched
    list.AddControl(1, 2, control);
    list.AddControl(3, 4, nullptr);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.ItemAt(0)->CellCol, 1);
    EXPECT_EQ(list.ItemAt(0)->CellRow, 2);
    EXPECT_EQ(list.ItemAt(0)->CellControl, control);
    list.Delete(0);
    EXPECT_EQ(list.ItemAt(0)->CellCol, 3);
    EXPECT_THROW(list.ItemAt(1), EListError);
}

TEST(Navigation, DefaultsSettersAndAssign)
{
    TNavigation nav;
    EXPECT_FALSE(nav.AllowInsertRow);
    EXPECT_TRUE(nav.AdvanceOnEnterLoop);
    EXPECT_TRUE(nav.SkipDisabledRows);
    EXPECT_EQ(nav.AdvanceDirection(), adLeftRight);
    EXPECT_EQ(nav.CursorAdvance, caDefault);
    int changes = 0;
    nav.OnSettingsChange = [&](TObject*) { ++changes; };
    nav.SetAdvanceDirection(adLeftRight);
    EXPECT_EQ(changes, 0);
    nav.SetAdvanceDirection(adTopBottom);
    nav.SetAdvanceInsert(true);
    EXPECT_EQ(changes, 2);
    nav.SetAdvanceAuto(true);
    EXPECT_TRUE(nav.AdvanceOnEnter);
    nav.SetAdvanceAuto(false);
    EXPECT_TRUE(nav.AdvanceOnEnter);
    EXPECT_EQ(changes, 2);

    TNavigation source;
    source.TabAdvanceDirection = adTopBottom;
    source.KeepScrollOnSort = true;
    source.AllowRTFClipboard = true;
    source.SetAdvanceAuto(true);
    TNavigation target;
    int targetChanges = 0;
    target.OnSettingsChange = [&](TObject*) { ++targetChanges; };
    target.Assign(&source);
    EXPECT_EQ(target.TabAdvanceDirection, adTopBottom);
    EXPECT_EQ(target.AdvanceDirection(), adLeftRight);
    EXPECT_FALSE(target.KeepScrollOnSort);
    EXPECT_TRUE(target.AllowRTFClipboard);
    EXPECT_TRUE(target.AdvanceAuto());
    EXPECT_EQ(targetChanges, 0);
    ASSERT_TRUE(target.OnSettingsChange);
    TMouseActions other;
    target.AllowRTFClipboard = false;
    target.Assign(&other); // another class: ignored
    EXPECT_FALSE(target.AllowRTFClipboard);
}

TEST(MouseActions, SettersWithSideEffects)
{
    TMouseActions mouse;
    EXPECT_TRUE(mouse.AutoSizeColOnDblClick);
    EXPECT_TRUE(mouse.PreciseNodeClick);
    EXPECT_EQ(mouse.WheelAction(), waMoveSelection);
    EXPECT_EQ(mouse.FixedRowsEdit, fceNone);
    int hotmail = 0, settings = 0, dblClick = 0;
    mouse.OnHotmailSelectChange = [&](TObject*) { ++hotmail; };
    mouse.OnSettingsChange = [&](TObject*) { ++settings; };
    mouse.OnEditOnDblClickOnlySet = [&](TObject*) { ++dblClick; };
    mouse.SetHotmailRowSelect(true);
    EXPECT_TRUE(mouse.DisjunctRowSelect());
    EXPECT_TRUE(mouse.CheckAllCheck);
    mouse.SetHotmailRowSelect(false);
    EXPECT_TRUE(mouse.DisjunctRowSelect());
    EXPECT_TRUE(mouse.CheckAllCheck);
    EXPECT_EQ(hotmail, 2);
    mouse.SetWheelAction(waMoveSelection);
    mouse.SetWheelAction(waScroll);
    EXPECT_EQ(settings, 1);
    mouse.SetEditOnDblClickOnly(false);
    mouse.SetEditOnDblClickOnly(true);
    EXPECT_EQ(dblClick, 1);

    // at run time the disjunct selections combine; at design time they exclude each other
    mouse.SetDisjunctColSelect(true);
    EXPECT_TRUE(mouse.DisjunctRowSelect());
    EXPECT_TRUE(mouse.DisjunctColSelect());
    mouse.OnQueryDesigning = [](TObject*, bool& designing) { designing = true; };
    mouse.SetDisjunctCellSelect(true);
    EXPECT_FALSE(mouse.DisjunctRowSelect());
    EXPECT_FALSE(mouse.DisjunctColSelect());
    EXPECT_TRUE(mouse.DisjunctCellSelect());
}

TEST(MouseActions, AssignSkipsThreeSettings)
{
    TMouseActions source;
    source.SetEditOnDblClickOnly(true);
    source.SetHotmailRowSelect(true);
    source.SizeFixedRow = true;
    source.SizeFixedCol = true;
    source.WheelIncrement = 3;
    source.SetWheelAction(waScroll);
    TMouseActions target;
    target.Assign(&source);
    EXPECT_FALSE(target.EditOnDblClickOnly());
    EXPECT_FALSE(target.HotmailRowSelect());
    EXPECT_FALSE(target.SizeFixedRow);
    EXPECT_TRUE(target.SizeFixedCol);
    EXPECT_TRUE(target.DisjunctRowSelect());
    EXPECT_EQ(target.WheelIncrement, 3);
    EXPECT_EQ(target.WheelAction(), waScroll);
}

TEST(SyncGrid, IgnoresItsOwnerAsGrid)
{
    auto* owner = reinterpret_cast<TStringGrid*>(0x100);
    auto* other = reinterpret_cast<TStringGrid*>(0x200);
    TSyncGrid sync(owner);
    sync.SetGrid(other);
    sync.SetGrid(owner);
    EXPECT_EQ(sync.Grid(), other);
    TSyncGrid source(other);
    source.SetGrid(owner);
    source.MoveRow = true;
    TSyncGrid target(owner);
    target.Assign(&source);
    EXPECT_EQ(target.Grid(), nullptr);
    EXPECT_TRUE(target.MoveRow);
}

TEST(FocusHelper, AssignCopiesEnabled)
{
    TFocusHelper a, b;
    EXPECT_FALSE(a.Enabled);
    b.Enabled = true;
    a.Assign(&b);
    EXPECT_TRUE(a.Enabled);
}

} // namespace

namespace {

TEST(SearchFooter, DefaultsCaptionsAndNotifications)
{
    TSearchFooter bare(nullptr, false);
    for (const String& text : {bare.FindNextCaption(), bare.FindPrevCaption(), bare.MatchCaseCaption(),
                               bare.HighLightCaption(), bare.HintClose(), bare.HintFindNext(),
                               bare.HintFindPrev(), bare.HintHighlight()})
        EXPECT_EQ(text, "");
    EXPECT_TRUE(bare.ShowClose() && bare.ShowFindNext() && bare.ShowFindPrev() && bare.ShowHighLight()
                && bare.ShowMatchCase());
    EXPECT_FALSE(bare.Visible());
    EXPECT_TRUE(bare.AutoSearch);
    EXPECT_EQ(bare.SearchColumn, -1);
    EXPECT_EQ(bare.SearchDirection, sdTopBottom);
    EXPECT_EQ(bare.Color(), TColor(0xFFFFFF));
    EXPECT_EQ(bare.ColorTo(), clBtnFace);
    ASSERT_NE(bare.Font(), nullptr);

    TSearchFooter footer(nullptr, true);
    EXPECT_EQ(footer.FindPrevCaption(), "Find &previous");
    EXPECT_EQ(footer.FindNextCaption(), "Find &next");
    EXPECT_EQ(footer.MatchCaseCaption(), "Match case");
    EXPECT_EQ(footer.HighLightCaption(), "Highlight");
    EXPECT_EQ(footer.HintClose(), "Close");
    EXPECT_EQ(footer.HintFindNext(), "Find next occurrence");
    EXPECT_EQ(footer.HintFindPrev(), "Find previous occurrence");
    EXPECT_EQ(footer.HintHighlight(), "Highlight occurrences");

    int changes = 0;
    TObject* sender = nullptr;
    footer.OnChange = [&](TObject* s) { ++changes; sender = s; };
    footer.SetShowFindNext(true); // unchanged: silent
    EXPECT_EQ(changes, 0);
    footer.SetShowClose(true); // notifies even when unchanged
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(sender, &footer);
    footer.SetVisible(true);
    footer.SetColor(clRed);
    footer.SetHintClose("Shut");
    TFont font;
    font.Name = "Courier New";
    footer.SetFont(&font);
    EXPECT_EQ(footer.Font()->Name, "Courier New");
    EXPECT_GE(changes, 5);
}

TEST(SearchFooter, AssignLeavesAutoSearchAndFixedCells)
{
    TSearchFooter source(nullptr, true);
    source.AutoSearch = false;
    source.SearchFixedCells = true;
    source.SearchColumn = 4;
    source.SearchDirection = sdLeftRight;
    source.SetVisible(true);
    source.SetShowMatchCase(false);
    source.Font()->Name = "Arial";
    TSearchFooter target(nullptr, false);
    int changes = 0;
    target.OnChange = [&](TObject*) { ++changes; };
    target.Assign(&source);
    EXPECT_TRUE(target.AutoSearch);
    EXPECT_FALSE(target.SearchFixedCells);
    EXPECT_EQ(target.SearchColumn, 4);
    EXPECT_EQ(target.SearchDirection, sdLeftRight);
    EXPECT_TRUE(target.Visible());
    EXPECT_FALSE(target.ShowMatchCase());
    EXPECT_EQ(target.FindNextCaption(), "Find &next");
    EXPECT_EQ(target.Font()->Name, "Arial");
    EXPECT_NE(target.Font(), source.Font());
    EXPECT_EQ(changes, 0);
}

TEST(Bands, PeriodsColoursAndNotifications)
{
    TBands bands;
    EXPECT_FALSE(bands.Active());
    EXPECT_EQ(bands.PrimaryColor(), clInfoBk);
    EXPECT_EQ(bands.SecondaryColor(), clWindow);
    EXPECT_EQ(bands.BandPeriod(), 2);
    int changes = 0;
    bands.OnChange = [&](TObject*) { ++changes; };
    bands.SetSecondaryLength(2);
    bands.SetPrimaryLength(3);
    bands.SetPrimaryColor(clYellow);
    EXPECT_EQ(changes, 0); // inactive
    EXPECT_EQ(bands.BandPeriod(), 5);
    const bool primary[] = {true, true, true, false, false, true, true, true};
    for (int r = 0; r < 8; ++r)
        EXPECT_EQ(bands.IsPrimaryRow(r), primary[r]) << r;
    EXPECT_EQ(bands.RowColor(4), clWindow);
    bands.SetActive(true);
    bands.SetActive(true);
    bands.SetSecondaryColor(clAqua);
    bands.SetSecondaryColor(clAqua);
    EXPECT_EQ(changes, 2);

    TBands source;
    source.SetPrimaryLength(2);
    source.SetSecondaryLength(3);
    source.Print = true;
    TBands target;
    target.Assign(&source);
    EXPECT_EQ(target.BandPeriod(), 5);
    EXPECT_TRUE(target.Print);
    TFocusHelper unrelated;
    target.Assign(&unrelated);
    EXPECT_EQ(target.PrimaryLength(), 2);
}

} // namespace
