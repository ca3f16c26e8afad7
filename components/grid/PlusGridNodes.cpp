// Row nodes: a node row heads a block of rows (its span) that contracts into
// hidden rows and expands back; nodes nest, and every row carries the node
// level that indents it and draws its tree lines. Contracting and expanding go
// through the hidden-row machinery, so the rows of a contracted node keep their
// cells, heights and properties until they come back.
#include "components/grid/PlusGrid.h"

#include "platform/win/WinFrameControl.h"

#include <algorithm>

// ---------------------------------------------------------------- node look

TCellNode::TCellNode(TPlusStringGrid* grid) : grid_(grid), expandGlyph_(new TBitmap), contractGlyph_(new TBitmap)
{
}

TCellNode::~TCellNode()
{
    delete expandGlyph_;
    delete contractGlyph_;
}

void TCellNode::Assign(TPersistent* source)
{
    auto* other = dynamic_cast<TCellNode*>(source);
    if (!other || other == this)
        return;
    Color = other->Color;
    NodeColor = other->NodeColor;
    ExpandOne = other->ExpandOne;
    nodeType_ = other->nodeType_;
    expandGlyph_->Assign(other->expandGlyph_);
    contractGlyph_->Assign(other->contractGlyph_);
    showTree_ = other->showTree_;
    showTreeFull_ = other->showTreeFull_;
    nodeIndent_ = other->nodeIndent_;
    treeColor_ = other->treeColor_;
}

namespace {

// Sets a setting to a new value; false when it already held it.
template <class T>
bool PlusGridNodesChange(T& setting, const T& value)
{
    if (value == setting)
        return false;
    setting = value;
    return true;
}

} // namespace

void TCellNode::Changed()
{
    if (grid_)
        grid_->Invalidate();
}

void TCellNode::SetNodeType(TNodeType value)
{
    if (PlusGridNodesChange(nodeType_, value))
        Changed();
}

void TCellNode::SetExpandGlyph(TBitmap* value)
{
    expandGlyph_->Assign(value);
}
void TCellNode::SetContractGlyph(TBitmap* value)
{
    contractGlyph_->Assign(value);
}

void TCellNode::SetShowTree(bool value)
{
    if (PlusGridNodesChange(showTree_, value))
        Changed();
}

void TCellNode::SetShowTreeFull(bool value)
{
    if (PlusGridNodesChange(showTreeFull_, value))
        Changed();
}

void TCellNode::SetNodeIndent(int value)
{
    if (PlusGridNodesChange(nodeIndent_, value))
        Changed();
}

void TCellNode::SetTreeColor(TColor value)
{
    if (PlusGridNodesChange(treeColor_, value))
        Changed();
}

// ---------------------------------------------------------------- queries

namespace {

TCellGraphic* NodeGraphic(TPlusStringGrid* grid, int row)
{
    if (row < 0 || row >= grid->RowCount())
        return nullptr;
    TCellGraphic* g = grid->GetCellGraphicOf(0, row);
    return g && g->CellType == ctNode ? g : nullptr;
}

} // namespace

bool TPlusStringGrid::IsNodeRow(int row)
{
    return NodeGraphic(this, row) != nullptr;
}

bool TPlusStringGrid::IsSummaryRow(int row)
{
    if (row < 0 || row >= RowCount())
        return false;
    const TCellGraphic* g = GetCellGraphicOf(0, row);
    return g && g->CellType == ctSummary;
}

bool TPlusStringGrid::IsNodeContracted(int row)
{
    const TCellGraphic* g = NodeGraphic(this, row);
    return g && g->CellBoolean;
}

int TPlusStringGrid::GetNodeLevel(int row)
{
    if (!NodeGraphic(this, row))
        return -1;
    const TCellProperties* p = CellProperties(0, row);
    return p ? p->NodeLevel : 0;
}

int TPlusStringGrid::GetNodeSpan(int row)
{
    const TCellGraphic* g = NodeGraphic(this, row);
    return g ? g->CellIndex : -1;
}

int TPlusStringGrid::GetNodeUncountedRows(int row)
{
    const TCellGraphic* g = NodeGraphic(this, row);
    return g ? g->CellErrFrom : 0;
}

void TPlusStringGrid::AddNodeSpan(int row, int delta)
{
    if (TCellGraphic* g = NodeGraphic(this, row))
        g->CellIndex += delta;
}

void TPlusStringGrid::AddNodeUncountedRows(int row, int delta)
{
    if (TCellGraphic* g = NodeGraphic(this, row))
        g->CellErrFrom += delta;
}

int TPlusStringGrid::GetNodeIndent(int row)
{
    if (NodeCount <= 0 || row < 0 || row >= RowCount())
        return 0;
    const TCellProperties* p = CellProperties(0, row);
    return p ? p->NodeLevel * cellNode_->NodeIndent() : 0;
}

TCellProperties* TPlusStringGrid::NodeLevelRecord(int row)
{
    if (TCellProperties* p = CellProperties(0, row))
        return p;
    TCellProperties* p = EnsureCellProperties(0, row);
    p->SetBrushColor(clNone);
    p->SetBrushColorTo(clNone);
    p->FontColor = clNone;
    p->FontName.clear();
    p->FontStyle = TFontStyles();
    return p;
}

int TPlusStringGrid::NodeEnd(int row)
{
    const int span = GetNodeSpan(row);
    if (span > 0)
        return std::min(row + span, RowCount());
    int e = row + 1;
    while (e < RowCount() && !IsNodeRow(e))
        ++e;
    return e;
}

int TPlusStringGrid::GetParentNode(int row)
{
    if (NodeCount == 0 || row < 0 || row >= RowCount())
        return -1;
    int level = 65535;
    int answer = -1;
    if (IsNodeRow(row)) {
        level = GetNodeLevel(row);
        answer = row;
    }
    int hidden = 0;
    for (int i = row; i >= TBaseGrid::FixedRows(); --i) {
        if (!IsNodeRow(i) || GetNodeLevel(i) >= level)
            continue;
        const int span = GetNodeSpan(i);
        if (IsNodeContracted(i))
            hidden += span - 1;
        if (i + span - hidden > row)
            return i;
    }
    return answer;
}

int TPlusStringGrid::GetTreeLineKind(int row)
{
    if (IsNodeRow(row))
        return 0;
    if (row >= RowCount() - FixedFooters() - 1)
        return 1;
    const TCellProperties* next = CellProperties(0, row + 1);
    if (!next)
        return 1;
    const TCellProperties* own = CellProperties(0, row);
    return next->NodeLevel < (own ? own->NodeLevel : 0) ? 1 : 2;
}

bool TPlusStringGrid::HitNodeGlyph(int row, int x)
{
    if (!mouseActions_->PreciseNodeClick)
        return true;
    const int level = GetNodeLevel(row);
    const int indent = cellNode_->NodeIndent();
    int w = 4, m = 4;
    switch (cellNode_->NodeType()) {
    case cn3D:
        w = 6;
        m = 0;
        break;
    case cnGlyph: {
        const bool empty = cellNode_->ExpandGlyph()->Empty();
        w = empty ? 0 : cellNode_->ExpandGlyph()->Width() / 2;
        m = empty ? 0 : 2;
        break;
    }
    case cnLeaf:
        w = 8;
        m = 2;
        break;
    default:
        break;
    }
    if (BiDiMode == bdRightToLeft) {
        const int sb = RowCount() - TBaseGrid::FixedRows() > VisibleRowCount() ? GetSystemMetrics(SM_CXVSCROLL) : 0;
        return Width() - 2 - level * indent - w <= x + sb && x + sb < Width() - (level - 1) * indent;
    }
    return (level - 1) * indent + m < x && x < level * indent + w;
}

// ---------------------------------------------------------------- creating and
// removing

void TPlusStringGrid::AddNode(int realRow, int span)
{
    const int d = RealToDisplayRow(realRow);
    if (realRow < 0 || IsRowHidden(realRow) || d >= RowCount() || TotalColCount() < 1)
        return;
    span = std::max(0, span);
    const bool wasNode = IsNodeRow(d);
    TCellGraphic* g = CreateCellGraphic(0, d);
    if (!g)
        return;
    g->CellType = ctNode;
    g->CellAngle = d;
    g->CellBoolean = false;
    g->CellIndex = span;
    g->CellHAlign = haBeforeText;
    g->CellVAlign = vaCenter;
    g->CellErrFrom = 0;
    g->CellVariant = -1;
    for (int r = d; r < d + span && r < RowCount(); ++r)
        ++NodeLevelRecord(r)->NodeLevel;
    // a node row counts once, however often it is made a node
    if (!wasNode) {
        if (NodeCount == 0)
            RepaintCol(0);
        ++NodeCount;
    }
    if (Col() == 0 && ColCount() > 1)
        SetCol(1);
}

void TPlusStringGrid::MarkSummaryRow(int realRow)
{
    const int d = RealToDisplayRow(realRow);
    if (realRow < 0 || IsRowHidden(realRow) || d >= RowCount())
        return;
    if (TCellGraphic* g = CreateCellGraphic(0, d))
        g->CellType = ctSummary;
}

void TPlusStringGrid::RemoveNode(int realRow)
{
    const int before = RealToDisplayRow(realRow);
    if (realRow < 0 || IsRowHidden(realRow) || !IsNodeRow(before))
        return;
    DoExpandNode(realRow);
    const int d = RealToDisplayRow(realRow);
    const int span = GetNodeSpan(d);
    for (int r = d; r < d + span && r < RowCount(); ++r) {
        TCellProperties* p = NodeLevelRecord(r);
        p->NodeLevel = std::max(0, p->NodeLevel - 1);
    }
    RemoveCellGraphicOfType(0, d, ctNode);
    if (NodeCount > 0)
        --NodeCount;
}

void TPlusStringGrid::RemoveAllNodes()
{
    if (NodeCount == 0)
        return;
    BeginUpdate();
    try {
        for (int i = 0; i < RowCount(); ++i) {
            if (!IsNodeRow(i))
                continue;
            DoExpandNode(DisplayToRealRow(i));
            const int span = GetNodeSpan(i);
            for (int r = i; r < i + span && r < RowCount(); ++r) {
                TCellProperties* p = NodeLevelRecord(r);
                p->NodeLevel = std::max(0, p->NodeLevel - 1);
            }
            RemoveCellGraphicOfType(0, i, ctNode);
            if (NodeCount > 0)
                --NodeCount;
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

// ---------------------------------------------------------------- expanding
// and contracting

void TPlusStringGrid::ExpandNode(int realRow)
{
    if (realRow < 0 || NodeCount == 0)
        return;
    if (cellNode_->ExpandOne) {
        // the node to expand is found again by its real index after the others
        // closed
        for (int a = TBaseGrid::FixedRows(); a < RowCount(); ++a)
            if (IsNodeRow(a) && !IsNodeContracted(a) && DisplayToRealRow(a) != realRow)
                ContractNode(DisplayToRealRow(a));
    }
    DoExpandNode(realRow);
}

bool TPlusStringGrid::DoExpandNode(int realRow)
{
    if (realRow < 0 || IsRowHidden(realRow))
        return false;
    const int d = RealToDisplayRow(realRow);
    TCellGraphic* g = NodeGraphic(this, d);
    if (!g || !g->CellBoolean)
        return false;
    g->CellBoolean = false;
    int b = d + 1;
    if (g->CellIndex == 0) {
        b = d + 1;
        while (b < RowCount() && !IsNodeRow(b))
            ++b;
    }
    const int c = DisplayToRealRow(b);
    const int e = realRow;
    const int top = TopRow();
    const int current = Row();
    const bool disjunct = mouseActions_->DisjunctRowSelect();
    mouseActions_->SetDisjunctRowSelect(false);
    const bool rowSelect = Options().Contains(goRowSelect);
    try {
        if (rowSelect) {
            TGridOptions o = Options();
            o >> goRowSelect;
            SetOptions(o);
        }
        BeginUpdate();
        try {
            if (e + 1 <= c - 1)
                UnhideNodeRows(e + 1, c - 1);
        } catch (...) {
            EndUpdate();
            throw;
        }
        EndUpdate();
        if (rowSelect) {
            TGridOptions o = Options();
            o << goRowSelect;
            SetOptions(o);
            if (current >= TBaseGrid::FixedRows() && current < RowCount())
                SetRow(current);
            SetTopRowChecked(top);
        }
    } catch (...) {
        mouseActions_->SetDisjunctRowSelect(disjunct);
        throw;
    }
    mouseActions_->SetDisjunctRowSelect(disjunct);
    RepaintCell(0, d);
    return true;
}

void TPlusStringGrid::ContractNode(int realRow)
{
    if (realRow < 0 || IsRowHidden(realRow) || NodeCount == 0)
        return;
    if (EditorMode())
        HideEditor();
    InternalRowChange = true;
    const int d = RealToDisplayRow(realRow);
    TCellGraphic* g = NodeGraphic(this, d);
    if (!g || g->CellBoolean) {
        InternalRowChange = false;
        return;
    }
    g->CellBoolean = true;
    try {
        int e = NodeEnd(d);
        const int start = d + 1;
        int i = d + 1;
        while (i < e && i < RowCount()) {
            if (IsNodeRow(i) && IsNodeContracted(i)) {
                // a nested node whose children are hidden already: it goes with them,
                // marked expanded, so that expanding this node later shows every row of
                // it
                TCellGraphic* nested = NodeGraphic(this, i);
                nested->CellBoolean = false;
                if (TControl* control = GetCellControl(1, i + 1))
                    control->SetVisible(false);
                const int before = RowCount();
                hidingForNode_ = true;
                HideRows(DisplayToRealRow(start), DisplayToRealRow(i));
                hidingForNode_ = false;
                if (RowCount() == before) {
                    ++i;
                    continue;
                }
                e = e - std::max(0, nested->CellIndex) - (i - start);
                i = start;
            } else {
                ++i;
            }
        }
        if (i - 1 >= start) {
            hidingForNode_ = true;
            HideRows(DisplayToRealRow(start), DisplayToRealRow(i - 1));
            hidingForNode_ = false;
        }
    } catch (...) {
        hidingForNode_ = false;
        InternalRowChange = false;
        throw;
    }
    InternalRowChange = false;
    RepaintCell(0, d);
}

void TPlusStringGrid::ExpandAllNodes()
{
    if (NodeCount == 0)
        return;
    BeginUpdate();
    try {
        for (int b = TBaseGrid::FixedRows(); b < RowCount(); ++b) {
            if (!IsNodeRow(b))
                continue;
            ExpandNode(DisplayToRealRow(b));
            if (TCellGraphic* g = NodeGraphic(this, b))
                g->CellBoolean = false;
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
    UpdateCellControls(false);
}

void TPlusStringGrid::ContractAllNodes()
{
    if (NodeCount == 0)
        return;
    BeginUpdate();
    try {
        ExpandAllNodes();
        TIntList rows(-1, -1);
        std::vector<TCellGraphic*> marked;
        int a = TBaseGrid::FixedRows();
        while (a < RowCount()) {
            if (!IsNodeRow(a)) {
                ++a;
                continue;
            }
            TCellGraphic* g = NodeGraphic(this, a);
            g->CellBoolean = true;
            marked.push_back(g);
            const int e = NodeEnd(a);
            for (int r = a + 1; r < e; ++r)
                rows.Add(r);
            a = std::max(e, a + 1);
        }
        const int before = RowCount();
        hidingForNode_ = true;
        HideRowList(&rows);
        hidingForNode_ = false;
        // rows that could not go (the grid keeps one row shown) leave their nodes
        // open
        if (rows.Count() > 0 && RowCount() == before)
            for (TCellGraphic* g : marked)
                g->CellBoolean = false;
    } catch (...) {
        hidingForNode_ = false;
        EndUpdate();
        throw;
    }
    EndUpdate();
    UpdateCellControls(false);
}

bool TPlusStringGrid::ToggleNode(int row)
{
    if (!IsNodeRow(row))
        return false;
    const int real = DisplayToRealRow(row);
    bool allow = true;
    if (IsNodeContracted(row)) {
        if (OnBeforeExpandNode)
            OnBeforeExpandNode(this, row, real, allow);
        if (!allow)
            return true;
        ExpandNode(real);
        if (OnExpandNode)
            OnExpandNode(this, RealToDisplayRow(real), real);
    } else {
        if (OnBeforeContractNode)
            OnBeforeContractNode(this, row, real, allow);
        if (!allow)
            return true;
        ContractNode(real);
        if (OnContractNode)
            OnContractNode(this, RealToDisplayRow(real), real);
    }
    return true;
}

bool TPlusStringGrid::NodeClick(int row, int x)
{
    if (!IsNodeRow(row) || !HitNodeGlyph(row, x))
        return false;
    return ToggleNode(row);
}

// ---------------------------------------------------------------- inserting
// and removing rows

void TPlusStringGrid::InsertRowOutsideNodes(int realRow)
{
    if (realRow < 0 || realRow > GetAllRowCount())
        return;
    // the row insertion keeps hidden rows below the new row in their places
    InsertRows(RealToDisplayRow(realRow), 1, true);
}

void TPlusStringGrid::InsertRowInNode(int realRow, int offset)
{
    if (realRow < 0 || IsRowHidden(realRow) || RealToDisplayRow(realRow) >= RowCount())
        return;
    int b = RealToDisplayRow(realRow);
    const int p = GetParentNode(b);
    int level = 1;
    if (p != -1) {
        const int pr = DisplayToRealRow(p);
        AddNodeSpan(p, 1);
        AddNodeUncountedRows(p, 1);
        ExpandNode(pr);
        const int pd = RealToDisplayRow(pr);
        level = CellProperties(0, pd) ? CellProperties(0, pd)->NodeLevel : 0;
        int lvl = level;
        int a = pd;
        while (lvl > 1 && a != -1 && a >= TBaseGrid::FixedRows()) {
            const int parent = GetParentNode(a);
            if (parent == -1 || parent == a)
                break;
            a = parent;
            const int al = GetNodeLevel(a);
            if (al < lvl) {
                const int ar = DisplayToRealRow(a);
                AddNodeSpan(a, 1);
                AddNodeUncountedRows(a, 1);
                ExpandNode(ar);
                a = RealToDisplayRow(ar);
                lvl = al;
            }
        }
        b = RealToDisplayRow(realRow);
    }
    bool moveTexts = false;
    if (IsNodeRow(b) && offset == 0) {
        offset = 1;
        moveTexts = true;
    }
    offset = std::max(0, offset);
    if (b + offset > RowCount())
        return;
    InsertRows(b + offset, 1, true);
    if (moveTexts) {
        for (int c = 0; c < TotalColCount(); ++c) {
            SetCellText(c, b + 1, GetRawCell(c, b));
            SetCellText(c, b, String());
            if (c > 0) {
                SetCellObject(c, b + 1, GetCellObject(c, b));
                SetCellObject(c, b, nullptr);
            }
        }
    }
    if (p != -1)
        NodeLevelRecord(b + offset)->NodeLevel = level;
}

void TPlusStringGrid::RemoveRowOutsideNodes(int row)
{
    if (row < 0 || row >= RowCount())
        return;
    const bool nodeGoes = IsNodeRow(row);
    RemoveRowsWithCells(row, 1);
    if (nodeGoes && NodeCount > 0)
        --NodeCount;
    HighestRowCount = std::max(RowCount(), HighestRowCount - 1);
}

void TPlusStringGrid::RemoveRowInNode(int realRow)
{
    if (realRow < 0 || IsRowHidden(realRow) || RealToDisplayRow(realRow) >= RowCount())
        return;
    int b = RealToDisplayRow(realRow);
    for (int i = 0; i < cellControlList_->Count(); ++i) {
        TControlItem* item = cellControlList_->ItemAt(i);
        if (item->CellRow >= realRow)
            --item->CellRow;
    }
    const bool nodeGoes = IsNodeRow(b);
    int p = GetParentNode(b);
    if (p != -1) {
        const int d = GetNodeLevel(p);
        if (GetNodeSpan(p) > 1) {
            AddNodeSpan(p, -1);
            AddNodeUncountedRows(p, -1);
        }
        for (;;) {
            const int pr = DisplayToRealRow(p);
            ExpandNode(pr);
            p = RealToDisplayRow(pr);
            if (GetNodeLevel(p) <= 1)
                break;
            const int parent = GetParentNode(p);
            if (parent == -1 || parent == p || GetNodeLevel(parent) >= d)
                break;
            p = parent;
            if (GetNodeSpan(p) > 1) {
                AddNodeSpan(p, -1);
                AddNodeUncountedRows(p, -1);
            }
        }
        b = RealToDisplayRow(realRow);
    }
    RemoveRows(b, 1);
    // a node row that goes takes its node with it
    if (nodeGoes && NodeCount > 0)
        --NodeCount;
    HighestRowCount = std::max(RowCount(), HighestRowCount - 1);
}

// ---------------------------------------------------------------- painting

void TPlusStringGrid::DrawNodeGlyph(TCanvas* canvas, TCellGraphic* g, int row, const TRect& r)
{
    const int indent = cellNode_->NodeIndent();
    const int own = GetNodeIndent(row);
    const bool contracted = g->CellBoolean;
    const int x0 = own - indent + 2 + indent / 2;
    const TColor savedPen = canvas->Pen->Color;
    const TColor savedBrush = canvas->Brush->Color;
    const int h = r.Bottom - r.Top;
    if (cellNode_->ShowTree() && row >= TBaseGrid::FixedRows()) {
        canvas->Pen->Color = cellNode_->TreeColor();
        canvas->Pen->Width = 1;
        const int next = row + 1 < RowCount() ? GetNodeIndent(row + 1) : 0;
        if (next >= 1 && row + 1 < RowCount() && !(contracted && next < own)) {
            canvas->MoveTo(x0, r.Top + h / 2);
            canvas->LineTo(x0, r.Bottom);
        }
        if (row > 0 && GetNodeIndent(row - 1) >= own) {
            canvas->MoveTo(x0, r.Top);
            canvas->LineTo(x0, r.Top + 6);
        }
    }
    const int left = own - indent / 2 - 4;
    TColor bg = canvas->Brush->Color;
    if (bg == clNone)
        bg = TBaseGrid::FixedCols() > 0 ? FixedColor() : Color();
    auto flatBox = [&](bool sign) {
        const TRect box(left + 4, r.Top + std::max(0, h - 8) / 2, left + 12, r.Top + std::max(0, h - 8) / 2 + 8);
        canvas->Brush->Color = cellNode_->Color;
        canvas->Pen->Color = cellNode_->NodeColor;
        canvas->Rectangle(TRect(box.Left - 1, box.Top - 1, box.Right + 1, box.Bottom + 1));
        if (!sign)
            return box;
        canvas->MoveTo(box.Left + 1, box.Top + 3);
        canvas->LineTo(box.Left + 6, box.Top + 3);
        if (contracted) {
            canvas->MoveTo(box.Left + 3, box.Top + 1);
            canvas->LineTo(box.Left + 3, box.Top + 6);
        }
        return box;
    };
    switch (cellNode_->NodeType()) {
    case cn3D: {
        const TRect area(left, r.Top, r.Right, r.Bottom);
        FillRectColor(canvas, area, cellNode_->Color);
        const TRect box = flatBox(false);
        RECT wr = TRect(box.Left - 1, box.Top - 1, box.Right + 1, box.Bottom + 1);
        canvas->RequiredState();
        DrawEdge(canvas->Handle(), &wr, contracted ? EDGE_RAISED : EDGE_SUNKEN, BF_RECT | BF_SOFT);
        break;
    }
    case cnGlyph: {
        TBitmap* glyph = contracted ? cellNode_->ContractGlyph() : cellNode_->ExpandGlyph();
        if (cellNode_->ExpandGlyph()->Empty() || cellNode_->ContractGlyph()->Empty()) {
            flatBox(true);
            break;
        }
        const int top = r.Top + (h - glyph->Height()) / 2;
        DrawTransparentBitmap(canvas, glyph, bg, TRect(left, top, left + glyph->Width(), top + glyph->Height()));
        break;
    }
    case cnLeaf: {
        // a folder leaf: open when expanded, closed when contracted
        const int top = r.Top + (h - 12) / 2;
        canvas->Pen->Color = TColor(0x2C86C4);
        canvas->Brush->Color = contracted ? TColor(0x5CC4F0) : TColor(0x9DDDF8);
        canvas->Polygon({TPoint(left + 1, top + 2), TPoint(left + 5, top + 2), TPoint(left + 6, top + 3),
                         TPoint(left + 11, top + 3), TPoint(left + 11, top + 10), TPoint(left + 1, top + 10)});
        if (!contracted) {
            canvas->Brush->Color = TColor(0x5CC4F0);
            canvas->Polygon({TPoint(left + 3, top + 5), TPoint(left + 12, top + 5), TPoint(left + 10, top + 10),
                             TPoint(left + 1, top + 10)});
        }
        break;
    }
    case cnXP: {
        // a 9-pixel box with a soft gradient face and a grey-blue frame
        const int top = r.Top + (h - 10) / 2;
        const TRect box(left + 4, top, left + 13, top + 9);
        FillGradient(canvas, clWhite, TColor(0xC9D6D9), 9,
                     TRect(box.Left + 1, box.Top + 1, box.Right - 1, box.Bottom - 1), false);
        canvas->Brush->Style = bsClear;
        canvas->Pen->Color = TColor(0xA99A7B);
        canvas->Rectangle(box);
        canvas->Brush->Style = bsSolid;
        canvas->Pen->Color = clBlack;
        canvas->MoveTo(box.Left + 2, box.Top + 4);
        canvas->LineTo(box.Right - 2, box.Top + 4);
        if (contracted) {
            canvas->MoveTo(box.Left + 4, box.Top + 2);
            canvas->LineTo(box.Left + 4, box.Bottom - 2);
        }
        break;
    }
    default:
        flatBox(true);
        break;
    }
    canvas->Pen->Color = savedPen;
    canvas->Brush->Color = savedBrush;
}

void TPlusStringGrid::DrawTreeLines(TCanvas* canvas, int row, const TRect& r)
{
    if (NodeCount == 0 || row < TBaseGrid::FixedRows() || !cellNode_->ShowTree() || IsNodeRow(row))
        return;
    const int indent = cellNode_->NodeIndent();
    const TCellProperties* own = CellProperties(0, row);
    const int level = own ? own->NodeLevel : 0;
    const int left = GetNodeIndent(row);
    const int x = left - indent + indent / 2 + 2;
    const int m = r.Top + (r.Bottom - r.Top) / 2;
    const TColor savedPen = canvas->Pen->Color;
    canvas->Pen->Color = cellNode_->TreeColor();
    canvas->Pen->Width = 1;
    canvas->Pen->Style = psSolid;
    if (level > 0) {
        canvas->MoveTo(x, m);
        canvas->LineTo(cellNode_->ShowTreeFull() ? r.Right : left + 4, m);
    }
    const int kind = GetTreeLineKind(row);
    if (kind == 1) {
        canvas->MoveTo(x, r.Top);
        canvas->LineTo(x, m);
    } else if (kind == 2) {
        canvas->MoveTo(x, r.Top);
        canvas->LineTo(x, r.Bottom + 4);
    }
    const bool last = row >= RowCount() - 1;
    const TCellProperties* next = last ? nullptr : CellProperties(0, row + 1);
    for (int i = 1; i <= level; ++i) {
        const int xi = x - i * indent;
        canvas->MoveTo(xi, r.Top);
        if (!last && next && next->NodeLevel != 0)
            canvas->LineTo(xi, r.Bottom + 4);
        else if (i < level) {
            canvas->LineTo(xi, m);
            canvas->LineTo(xi + indent, m);
        } else {
            canvas->LineTo(xi, m);
        }
    }
    canvas->Pen->Color = savedPen;
}
