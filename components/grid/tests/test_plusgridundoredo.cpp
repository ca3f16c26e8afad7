#include "components/grid/PlusGridUndoRedo.h"

#include <gtest/gtest.h>

namespace {

struct Expected {
    int col, row;
    const char* orig;
    const char* value;
    bool start, stop;
};

void ExpectItems(const TPlusGridUndoRedo& undo, const std::vector<Expected>& expected)
{
    ASSERT_EQ(undo.Changes().Count(), static_cast<int>(expected.size()));
    for (size_t i = 0; i < expected.size(); ++i) {
        const TUndoRedoItem* item = undo.Changes().Items(static_cast<int>(i));
        EXPECT_EQ(item->Col, expected[i].col) << i;
        EXPECT_EQ(item->Row, expected[i].row) << i;
        EXPECT_EQ(item->OrigValue, expected[i].orig) << i;
        EXPECT_EQ(item->Value, expected[i].value) << i;
        EXPECT_EQ(item->SequenceStart, expected[i].start) << i;
        EXPECT_EQ(item->SequenceStop, expected[i].stop) << i;
    }
}

TEST(UndoRedo, RecordsChangesOldestFirst)
{
    TPlusGridUndoRedo undo(nullptr);
    EXPECT_EQ(undo.CurrentLevel(), 0);
    EXPECT_EQ(undo.MaxLevel, 0);
    EXPECT_EQ(undo.LinkedGrid(), nullptr);
    undo.AddChange(1, 2, "old", "new");
    undo.AddChange(3, 4, "text", ""); // a cleared cell
    ExpectItems(undo, {{1, 2, "old", "new", false, false}, {3, 4, "text", "", false, false}});
    EXPECT_EQ(undo.CurrentLevel(), 2);
}

TEST(UndoRedo, SequencesAreBracketedByMarkers)
{
    TPlusGridUndoRedo undo(nullptr);
    undo.BeginSequence();
    undo.AddChange(1, 1, "a", "");
    undo.AddChange(2, 1, "b", "");
    undo.EndSequence();
    ExpectItems(undo, {{-1, -1, "", "", true, false}, {1, 1, "a", "", false, false},
                       {2, 1, "b", "", false, false}, {-1, -1, "", "", false, true}});
    EXPECT_EQ(undo.CurrentLevel(), 4);
}

TEST(UndoRedo, MaxLevelDropsTheOldestItems)
{
    TPlusGridUndoRedo undo(nullptr);
    undo.MaxLevel = 3;
    for (int i = 1; i <= 5; ++i)
        undo.AddChange(i, 0, "", IntToStr(i));
    ExpectItems(undo, {{3, 0, "", "3", false, false}, {4, 0, "", "4", false, false}, {5, 0, "", "5", false, false}});
    EXPECT_EQ(undo.CurrentLevel(), 3);
    // markers count and may be dropped from the front
    undo.BeginSequence();
    ExpectItems(undo, {{4, 0, "", "4", false, false}, {5, 0, "", "5", false, false}, {-1, -1, "", "", true, false}});
    undo.MaxLevel = 0;
    for (int i = 0; i < 100; ++i)
        undo.AddChange(0, i, "", "");
    EXPECT_EQ(undo.Changes().Count(), 103);
    EXPECT_THROW(undo.Changes().Items(103), EListError);
}

class FakeGrid : public TComponent {
public:
    using TComponent::TComponent;
};

TEST(UndoRedo, ForgetsAFreedGrid)
{
    TPlusGridUndoRedo undo(nullptr);
    auto* grid = new FakeGrid(nullptr);
    // the recorder never looks into the grid; any component stands in for it here
    undo.SetLinkedGrid(reinterpret_cast<TBaseGrid*>(grid), grid);
    EXPECT_NE(undo.LinkedGrid(), nullptr);
    delete grid;
    EXPECT_EQ(undo.LinkedGrid(), nullptr);
}

} // namespace
