// Row nodes: levels, parents, contracting and expanding (nested, span 0, one
// open at a time, with other hidden rows), the glyph hit test, tree-line kinds,
// rows inserted and removed in nodes, and the click entry with its events.
#include "components/grid/PlusGrid.h"

#include "platform/framework/Forms.h"

#include <gtest/gtest.h>

namespace {

struct NodesGrid {
    explicit NodesGrid(int rows = 12, int cols = 3)
    {
        grid = new TPlusStringGrid(&form);
        grid->SetParent(&form);
        grid->SetColCount(cols);
        grid->SetRowCount(rows);
        for (int r = 0; r < rows; ++r)
            grid->SetCells(1, r, "r" + std::to_string(r));
    }
    // Column 1 of the displayed rows from `from` on.
    String Shown(int from = 1)
    {
        String out;
        for (int r = from; r < grid->RowCount(); ++r)
            out += (out.empty() ? "" : " ") + grid->GetCellText(1, r);
        return out;
    }
    int Level(int row)
    {
        const TCellProperties* p = grid->CellProperties(0, row);
        return p ? p->NodeLevel : 0;
    }
    TForm form{nullptr};
    TPlusStringGrid* grid = nullptr;
};

} // namespace

TEST(PlusGridNodes, AddingSetsLevelsCountAndLeavesTheNodeColumn)
{
    NodesGrid g;
    g.grid->SetCol(0);
    g.grid->AddNode(5, 3);
    EXPECT_EQ(g.grid->NodeCount, 1);
    EXPECT_EQ(g.grid->Col(), 1);
    for (int r = 0; r < 12; ++r)
        EXPECT_EQ(g.Level(r), r >= 5 && r <= 7 ? 1 : 0) << r;
    EXPECT_TRUE(g.grid->IsNodeRow(5));
    EXPECT_FALSE(g.grid->IsNodeContracted(5));
    EXPECT_EQ(g.grid->GetNodeSpan(5), 3);
    EXPECT_EQ(g.grid->GetNodeSpan(6), -1);
    EXPECT_EQ(g.grid->GetNodeLevel(5), 1);
    EXPECT_EQ(g.grid->GetNodeLevel(6), -1);
    EXPECT_EQ(g.grid->GetNodeIndent(6), 12);
    // a node made again counts once; caller's indexes outside the grid change
    // nothing
    g.grid->AddNode(5, 0);
    EXPECT_EQ(g.grid->NodeCount, 1);
    for (int bad : {-1, 12, 100}) {
        g.grid->AddNode(bad, 2);
        g.grid->RemoveNode(bad);
        g.grid->ExpandNode(bad);
        g.grid->ContractNode(bad);
        g.grid->InsertRowInNode(bad, 0);
        g.grid->RemoveRowInNode(bad);
        EXPECT_EQ(g.grid->GetParentNode(bad), -1);
    }
    EXPECT_EQ(g.grid->NodeCount, 1);
    EXPECT_EQ(g.grid->RowCount(), 12);
}

TEST(PlusGridNodes, NestedNodesContractAndExpandAsOneOutline)
{
    NodesGrid g;
    g.grid->AddNode(2, 6);
    g.grid->AddNode(4, 2);
    for (int r = 0; r < 12; ++r) {
        const int want = (r >= 2 && r <= 3) || (r >= 6 && r <= 7) ? 1 : r == 4 || r == 5 ? 2 : 0;
        EXPECT_EQ(g.Level(r), want) << r;
    }
    EXPECT_EQ(g.grid->GetParentNode(5), 4);
    EXPECT_EQ(g.grid->GetParentNode(4), 2);
    EXPECT_EQ(g.grid->GetParentNode(2), 2);
    EXPECT_EQ(g.grid->GetParentNode(9), -1);

    const String all = g.Shown();
    g.grid->ContractNode(2);
    EXPECT_EQ(g.Shown(), "r1 r2 r8 r9 r10 r11");
    EXPECT_TRUE(g.grid->IsNodeContracted(2));
    g.grid->ExpandNode(2);
    EXPECT_EQ(g.Shown(), all);

    // the inner node first, then the outer: the same rows go, the inner node is
    // left open
    g.grid->ContractNode(4);
    EXPECT_EQ(g.Shown(), "r1 r2 r3 r4 r6 r7 r8 r9 r10 r11");
    EXPECT_EQ(g.grid->GetParentNode(6), 2);
    g.grid->ContractNode(2);
    EXPECT_EQ(g.Shown(), "r1 r2 r8 r9 r10 r11");
    g.grid->ExpandNode(2);
    EXPECT_EQ(g.Shown(), all);
    EXPECT_FALSE(g.grid->IsNodeContracted(4));
    EXPECT_EQ(g.grid->HiddenRowCount(), 0);

    g.grid->ContractAllNodes();
    EXPECT_EQ(g.Shown(), "r1 r2 r8 r9 r10 r11");
    g.grid->ExpandAllNodes();
    EXPECT_EQ(g.Shown(), all);

    g.grid->RemoveAllNodes();
    EXPECT_EQ(g.grid->NodeCount, 0);
    for (int r = 0; r < 12; ++r)
        EXPECT_EQ(g.Level(r), 0) << r;
}

TEST(PlusGridNodes, SpanZeroGovernsUpToTheNextNode)
{
    NodesGrid g;
    g.grid->AddNode(2, 0);
    g.grid->AddNode(6, 0);
    for (int r = 0; r < 12; ++r)
        EXPECT_EQ(g.Level(r), 0) << r;
    g.grid->ContractNode(2);
    EXPECT_EQ(g.Shown(), "r1 r2 r6 r7 r8 r9 r10 r11");
    g.grid->ExpandNode(2);
    g.grid->ContractAllNodes();
    EXPECT_EQ(g.Shown(), "r1 r2 r6");
    g.grid->ExpandAllNodes();
    EXPECT_EQ(g.grid->RowCount(), 12);
}

TEST(PlusGridNodes, ExpandOneLeavesOnlyTheExpandedNodeOpen)
{
    NodesGrid g;
    g.grid->AddNode(1, 3);
    g.grid->AddNode(4, 3);
    g.grid->AddNode(7, 3);
    g.grid->ContractAllNodes();
    g.grid->CellNode()->ExpandOne = true;
    g.grid->ExpandNode(g.grid->RealRowIndex(2)); // the second node, displayed at row 2
    EXPECT_EQ(g.Shown(), "r1 r4 r5 r6 r7 r10 r11");
    g.grid->ExpandNode(7);
    EXPECT_EQ(g.Shown(), "r1 r4 r7 r8 r9 r10 r11");
}

TEST(PlusGridNodes, NodesUnderOtherHiddenRowsWorkOnRealRows)
{
    NodesGrid g;
    g.grid->HideRow(1);
    g.grid->AddNode(4, 3); // displayed at row 3
    EXPECT_TRUE(g.grid->IsNodeRow(3));
    EXPECT_EQ(g.grid->GetCellText(1, 3), "r4");
    g.grid->ContractNode(4);
    EXPECT_EQ(g.Shown(), "r2 r3 r4 r7 r8 r9 r10 r11");
    EXPECT_TRUE(g.grid->IsRowHidden(1));
    g.grid->ExpandNode(4);
    EXPECT_EQ(g.Shown(), "r2 r3 r4 r5 r6 r7 r8 r9 r10 r11");
    EXPECT_TRUE(g.grid->IsRowHidden(1));
    // a hidden row is no node row to operate on
    g.grid->AddNode(1, 2);
    EXPECT_EQ(g.grid->NodeCount, 1);
}

TEST(PlusGridNodes, GlyphHitTestByNodeType)
{
    NodesGrid g;
    g.grid->AddNode(2, 3);
    g.grid->AddNode(3, 2);
    g.grid->CellNode()->SetNodeType(cnFlat);
    struct Case {
        TNodeType type;
        int row, x;
        bool hit;
    } cases[] = {
        {cnFlat, 2, 4, false},  {cnFlat, 2, 5, true},   {cnFlat, 2, 15, true},   {cnFlat, 2, 16, false},
        {cnFlat, 3, 16, false}, {cnFlat, 3, 17, true},  {cnFlat, 3, 27, true},   {cn3D, 2, 0, false},
        {cn3D, 2, 1, true},     {cn3D, 2, 17, true},    {cn3D, 2, 18, false},    {cnLeaf, 2, 2, false},
        {cnLeaf, 2, 3, true},   {cnLeaf, 2, 19, true},  {cnLeaf, 2, 20, false},  {cnGlyph, 2, 0, false},
        {cnGlyph, 2, 1, true},  {cnGlyph, 2, 11, true}, {cnGlyph, 2, 12, false},
    };
    for (const Case& c : cases) {
        g.grid->CellNode()->SetNodeType(c.type);
        EXPECT_EQ(g.grid->HitNodeGlyph(c.row, c.x), c.hit) << int(c.type) << " " << c.row << " " << c.x;
    }
    g.grid->MouseActions()->PreciseNodeClick = false;
    EXPECT_TRUE(g.grid->HitNodeGlyph(2, 300));
}

TEST(PlusGridNodes, TreeLineKinds)
{
    NodesGrid g;
    g.grid->SetFixedFooters(1);
    g.grid->AddNode(2, 4);
    g.grid->AddNode(3, 2);
    EXPECT_EQ(g.grid->GetTreeLineKind(2), 0);
    EXPECT_EQ(g.grid->GetTreeLineKind(4), 1);  // the inner branch ends here
    EXPECT_EQ(g.grid->GetTreeLineKind(5), 1);  // the next row has no properties
    EXPECT_EQ(g.grid->GetTreeLineKind(10), 1); // the row above the footer
    g.grid->AddNode(7, 4);
    EXPECT_EQ(g.grid->GetTreeLineKind(8), 2);
}

TEST(PlusGridNodes, RowsInsertedAndRemovedInNodesKeepSpans)
{
    NodesGrid g;
    g.grid->AddNode(2, 6);
    g.grid->AddNode(4, 3);
    // inserting at a top-level node row: the node stays, its texts move to the
    // new first child
    g.grid->InsertRowInNode(2, 0);
    EXPECT_TRUE(g.grid->IsNodeRow(2));
    EXPECT_EQ(g.grid->GetCellText(1, 2), "");
    EXPECT_EQ(g.grid->GetCellText(1, 3), "r2");
    EXPECT_EQ(g.grid->GetNodeSpan(2), 7);
    EXPECT_EQ(g.Level(3), 1);
    EXPECT_EQ(g.grid->RowCount(), 13);
    // inside the nested node (now at row 5): both enclosing spans grow
    g.grid->InsertRowInNode(6, 1);
    EXPECT_EQ(g.grid->GetNodeSpan(5), 4);
    EXPECT_EQ(g.grid->GetNodeSpan(2), 8);
    EXPECT_EQ(g.Level(7), 2);
    // removing inside the nested node lowers both spans again
    g.grid->RemoveRowInNode(7);
    EXPECT_EQ(g.grid->GetNodeSpan(5), 3);
    EXPECT_EQ(g.grid->GetNodeSpan(2), 7);
    EXPECT_EQ(g.grid->RowCount(), 13);
    // a span of 1 is never lowered
    NodesGrid h;
    h.grid->AddNode(3, 1);
    h.grid->AddNode(5, 2);
    h.grid->RemoveRowInNode(6);
    EXPECT_EQ(h.grid->GetNodeSpan(5), 1);
    h.grid->RemoveRowInNode(5);
    EXPECT_EQ(h.grid->GetNodeSpan(3), 1);
    EXPECT_EQ(h.grid->RowCount(), 10);
}

TEST(PlusGridNodes, ClicksAndKeysAskBeforeAndTellAfter)
{
    NodesGrid g;
    g.grid->AddNode(2, 3);
    std::vector<String> log;
    bool allow = false;
    g.grid->OnBeforeContractNode = [&](TObject*, int row, int real, bool& a) {
        log.push_back("before-contract " + std::to_string(row) + "/" + std::to_string(real));
        a = allow;
    };
    g.grid->OnContractNode = [&](TObject*, int row, int) { log.push_back("contract " + std::to_string(row)); };
    g.grid->OnBeforeExpandNode = [&](TObject*, int, int, bool&) { log.push_back("before-expand"); };
    g.grid->OnExpandNode = [&](TObject*, int row, int) { log.push_back("expand " + std::to_string(row)); };
    EXPECT_FALSE(g.grid->NodeClick(3, 8));  // no node row
    EXPECT_FALSE(g.grid->NodeClick(2, 40)); // beside the glyph
    EXPECT_TRUE(g.grid->NodeClick(2, 8));   // vetoed
    EXPECT_FALSE(g.grid->IsNodeContracted(2));
    allow = true;
    EXPECT_TRUE(g.grid->NodeClick(2, 8));
    EXPECT_TRUE(g.grid->IsNodeContracted(2));
    EXPECT_TRUE(g.grid->ToggleNode(2));
    EXPECT_FALSE(g.grid->IsNodeContracted(2));
    EXPECT_EQ(log, (std::vector<String>{"before-contract 2/2", "before-contract 2/2", "contract 2", "before-expand",
                                        "expand 2"}));
}

TEST(PlusGridNodes, ContractedNodesAreFreedWithTheGrid)
{
    // rows hidden by a contracted node keep their cell records until the grid
    // goes (ASan)
    NodesGrid g;
    g.grid->AddNode(1, 5);
    g.grid->AddCheckBox(2, 3, true);
    g.grid->SetColors(2, 4, clRed);
    g.grid->ContractNode(1);
    EXPECT_EQ(g.grid->HiddenRowCount(), 4);
}

// Sorting node groups sorts only the rows under the deepest nodes that are open and hold more
// than one row, by the sort column or by the index list.
TEST(PlusGridNodes, SortingNodeGroupsSortsTheDeepestOpenGroups)
{
    for (const bool byIndex : {false, true}) {
        SCOPED_TRACE(byIndex ? "by index" : "by column");
        NodesGrid g(12, 3);
        const char* keys[] = {"z", "y", "x", "w", "v", "c", "a", "b", "u", "t", "s", "q"};
        for (int r = 0; r < 12; ++r)
            g.grid->SetCells(2, r, keys[r]);
        g.grid->AddNode(2, 6);
        g.grid->AddNode(4, 4);
        if (byIndex) {
            g.grid->SortIndexList()->AddIndex(2, true);
            g.grid->SortNodeGroupsByIndex();
        } else {
            g.grid->SortSettings()->Column = 2;
            g.grid->SortNodeGroups();
        }
        EXPECT_EQ(g.Shown(), "r1 r2 r3 r4 r6 r7 r5 r8 r9 r10 r11");
    }
}
