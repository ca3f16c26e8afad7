// TPlusStringGrid: OLE drag and drop. As a source the grid offers its selection (text, the
// pressed cell as rich text, and the cell stream with AllowFmtClipboard) or a header column's
// index; as a target it takes cells, text, rich text, URLs, a column index and one CSV or
// spreadsheet file, on the foundation's drop-target and drop-source classes.
#include "components/grid/PlusGrid.h"

#include "components/grid/LayeredWindows.h"

#include <algorithm>
#include <cstdlib>

// ---------------------------------------------------------------- settings

void TDragDropSettings::Assign(TPersistent* source)
{
    auto* other = dynamic_cast<TDragDropSettings*>(source);
    if (!other)
        return;
    oleDropTarget_ = other->oleDropTarget_;
    OleDropSource = other->OleDropSource;
    acceptText_ = other->acceptText_;
    acceptFiles_ = other->acceptFiles_;
    acceptURLs_ = other->acceptURLs_;
    oleDropRTF_ = other->oleDropRTF_;
    OleEntireRows = other->OleEntireRows;
    OleInsertRows = other->OleInsertRows;
    OleRemoveRows = other->OleRemoveRows;
    OleCopyAlways = other->OleCopyAlways;
    OleColumnDragDrop = other->OleColumnDragDrop;
    showCells_ = other->showCells_;
}

void TDragDropSettings::SetOleDropTarget(bool value)
{
    oleDropTarget_ = value;
    if (!grid_ || grid_->HasState(csDesigning))
        return;
    if (value) {
        // a window registered already keeps its target: registering it again would fail and
        // leave the grid believing it is not registered while it still is
        if (grid_->OleDropRegistered)
            return;
        grid_->dropTarget_.reset(new TGridDropTarget(grid_));
        ApplyAcceptSwitches();
        grid_->OleDropRegistered = RegisterDragDrop(grid_->Handle(), grid_->dropTarget_.get()) == S_OK;
    } else if (grid_->OleDropRegistered) {
        RevokeDragDrop(grid_->Handle());
        grid_->OleDropRegistered = false;
    }
}

void TDragDropSettings::SetOleDropRTF(bool value)
{
    SetDragDropRTFMode(value);
    oleDropRTF_ = value;
}

void TDragDropSettings::SetOleAcceptText(bool value)
{
    acceptText_ = value;
    ApplyAcceptSwitches();
}

void TDragDropSettings::SetOleAcceptFiles(bool value)
{
    acceptFiles_ = value;
    ApplyAcceptSwitches();
}

void TDragDropSettings::SetOleAcceptURLs(bool value)
{
    acceptURLs_ = value;
    ApplyAcceptSwitches();
}

void TDragDropSettings::ApplyAcceptSwitches()
{
    if (!grid_ || !grid_->DropTarget())
        return;
    TGridDropTarget* target = grid_->DropTarget();
    target->AcceptsText = acceptText_;
    target->AcceptsFiles = acceptFiles_;
    target->AcceptsURLs = acceptURLs_;
}

TDragDropSettings* TPlusStringGrid::DragDropSettings()
{
    if (!dragDropSettings_)
        dragDropSettings_ = std::make_unique<TDragDropSettings>(this);
    return dragDropSettings_.get();
}

void TPlusStringGrid::SetDragDropSettings(TDragDropSettings* value)
{
    DragDropSettings()->Assign(value);
}

void TPlusStringGrid::TDropTargetRelease::operator()(TGridDropTarget* target) const
{
    // the window's registration may hold the target a little longer: it must not reach the grid
    target->Detach();
    target->Release();
}

// ---------------------------------------------------------------- indicators

TArrowWindow* TPlusStringGrid::DropArrow(int which)
{
    if (which < 0 || which >= int(dropArrows_.size()))
        return nullptr;
    if (!dropArrows_[size_t(which)]) {
        // down onto a header from above, up from below, right at a row from its left, left from its right
        static constexpr uint8_t Directions[] = {1, 0, 2, 3};
        dropArrows_[size_t(which)] = new TArrowWindow(this, Directions[which]);
    }
    return dropArrows_[size_t(which)];
}

void TPlusStringGrid::ShowDropArrow(int which, TPoint screen, bool visible)
{
    TArrowWindow* arrow = DropArrow(which);
    if (!arrow)
        return;
    // every direction's outline lies within 11 x 11 pixels (points 0 to 10); the window takes
    // that size whatever size it had before, so that the whole arrow shows
    constexpr int Extent = 11;
    arrow->SetBounds(screen.X, screen.Y, Extent, Extent);
    arrow->SetVisible(visible);
}

void TPlusStringGrid::DragStartHook()
{
    if (OnStartDrag) {
        TObject* dragObject = nullptr;
        OnStartDrag(this, dragObject);
    }
}

void TPlusStringGrid::DragEndHook()
{
    if (OnEndDrag)
        OnEndDrag(this, nullptr, 0, 0);
}

void TPlusStringGrid::HideDropArrows(bool columnArrows, bool lowerColumnArrow)
{
    for (size_t i = 0; i < dropArrows_.size(); ++i) {
        TArrowWindow* arrow = dropArrows_[i];
        if (!arrow || (i == 0 && !columnArrows) || (i == 1 && !lowerColumnArrow))
            continue;
        arrow->SetVisible(false);
    }
}

// ---------------------------------------------------------------- source

void TGridDropSource::DragFinished()
{
    TPSGDropSource::DragFinished();
    if (grid_ && grid_->DragDropSettings()->ShowCells())
        grid_->FreeDragCellsWindow();
}

void TGridDropSource::EffectChanged(int effect)
{
    if (effect == DROPEFFECT_MOVE || effect == DROPEFFECT_COPY)
        LastEffect = effect;
}

void TGridDropSource::DragQueried()
{
    if (!grid_)
        return;
    POINT cursor{0, 0};
    GetCursorPos(&cursor);
    if (grid_->DragDropSettings()->ShowCells()) {
        if (TDragCellsWindow* w = grid_->dragCellsWindow_)
            w->SetBounds(cursor.x + 4, cursor.y + 4, w->Width(), w->Height());
    } else if (TPopupButton* header = grid_->columnDragImage_) {
        header->SetBounds(cursor.x, cursor.y - header->Height(), header->Width(), header->Height());
    }
}

// ---------------------------------------------------------------- drag pictures

TDragCellsWindow::TDragCellsWindow(TComponent* owner) : TCustomControl(owner)
{
    SetVisible(false);
}

void TDragCellsWindow::CreateParams(TCreateParams& Params)
{
    TCustomControl::CreateParams(Params);
    Params.Style = WS_POPUP | WS_DISABLED;
    Params.ExStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_TRANSPARENT;
}

void TDragCellsWindow::CreateWnd()
{
    TCustomControl::CreateWnd();
    // the cells show through, so that what lies under the cursor stays visible
    CallSetLayeredWindowAttributes(Handle(), 0, Opacity, LWA_ALPHA);
}

void TDragCellsWindow::SetPicture(const QImage& picture)
{
    picture_.SetImage(picture);
    SetBounds(Left(), Top(), picture.width(), picture.height());
    Invalidate();
}

void TDragCellsWindow::Paint()
{
    TCanvas* c = Canvas();
    c->Draw(0, 0, &picture_);
    // a thin frame sets the picture off from what lies below
    c->Brush->Color = clGray;
    c->FrameRect(ClientRect());
}

TPopupButton* TPlusStringGrid::ColumnDragImage()
{
    if (!columnDragImage_) {
        columnDragImage_ = new TPopupButton(this);
        columnDragImage_->SetVisible(false);
        columnDragImage_->SetEnabled(false);
        columnDragImage_->SetParent(this);
    }
    return columnDragImage_;
}

bool TPlusStringGrid::ShowCellsPicture(const TGridRect& cells, TPoint screen)
{
    TRect area(0, 0, 0, 0);
    const auto addCell = [&](int c, int r) {
        const TRect cell = CellRect(c, r);
        if (cell.Right <= cell.Left || cell.Bottom <= cell.Top)
            return;
        area = area.Right > area.Left ? TRect(std::min(area.Left, cell.Left), std::min(area.Top, cell.Top),
                                              std::max(area.Right, cell.Right), std::max(area.Bottom, cell.Bottom))
                                      : cell;
    };
    // only the cells in view can be pictured: the fixed ones and the scrolled ones on screen
    const int lastCol = std::min(cells.Right, LeftCol() + VisibleColCount());
    const int lastRow = std::min(cells.Bottom, TopRow() + VisibleRowCount());
    for (int r = cells.Top; r <= lastRow; ++r) {
        if (r >= TBaseGrid::FixedRows() && r < TopRow())
            continue;
        for (int c = cells.Left; c <= lastCol; ++c)
            if (c < TBaseGrid::FixedCols() || c >= LeftCol())
                addCell(c, r);
    }
    area = TRect(std::max(area.Left, 0), std::max(area.Top, 0), std::min(area.Right, ClientWidth()),
                 std::min(area.Bottom, RowsClientHeight()));
    if (area.Right <= area.Left || area.Bottom <= area.Top || !Host())
        return false;
    Repaint();
    const QImage picture =
        Host()->grab(QRect(area.Left, area.Top, area.Right - area.Left, area.Bottom - area.Top)).toImage();
    FreeDragCellsWindow();
    dragCellsWindow_ = new TDragCellsWindow(this);
    dragCellsWindow_->SetParent(this);
    dragCellsWindow_->SetPicture(picture);
    dragCellsWindow_->SetBounds(screen.X, screen.Y, dragCellsWindow_->Width(), dragCellsWindow_->Height());
    dragCellsWindow_->SetVisible(true);
    return true;
}

void TPlusStringGrid::ShowDragPictures(int col, int row, bool columnDrag)
{
    // the cells of the drag that are in view, as the grid shows them
    TGridRect cells;
    if (columnDrag) {
        cells.Left = cells.Right = col;
        cells.Top = cells.Bottom = row;
    } else {
        cells = Selection();
        if (Options().Contains(goRowSelect) && dragDropSettings_->OleEntireRows) {
            cells.Left = 0;
            cells.Right = ColCount() - 1;
        }
    }
    if (columnDrag) {
        // the header-button window starts over the header cell it shows
        TPopupButton* header = ColumnDragImage();
        header->SetCaption(GetCellText(DisplayToRealColumn(col), row));
        const TRect cell = CellRect(col, row);
        const TPoint at = ClientToScreen(TPoint(cell.Left, cell.Top));
        header->SetBounds(at.X, at.Y, std::max(cell.Right - cell.Left, 8), std::max(cell.Bottom - cell.Top, 8));
        header->SetVisible(true);
    }
    if (!dragDropSettings_->ShowCells())
        return;
    POINT cursor{0, 0};
    GetCursorPos(&cursor);
    // the picture shows the cells themselves, not the selection's highlight
    const bool selectionShown = ShowSelection;
    SetShowSelection(false);
    ShowCellsPicture(cells, TPoint(cursor.x + 4, cursor.y + 4));
    SetShowSelection(selectionShown);
}

void TPlusStringGrid::FreeDragCellsWindow()
{
    delete dragCellsWindow_;
    dragCellsWindow_ = nullptr;
}

void TPlusStringGrid::HideColumnDragImage()
{
    if (columnDragImage_)
        columnDragImage_->SetVisible(false);
}

bool TPlusStringGrid::OleDragMouseMove(int x, int y)
{
    // only a press on the selection starts a drag, once the mouse left the press by 4 pixels
    if (!dragCandidate_ || oleDragging_ || !buttonDown_ || HasState(csDesigning))
        return false;
    if (std::abs(x - downPoint_.X) <= 3 && std::abs(y - downPoint_.Y) < 4)
        return false;
    int col = -1, row = -1;
    MouseToCell(downPoint_.X, downPoint_.Y, col, row);
    if (!dragDropSettings_ || !dragDropSettings_->OleDropSource || GridState() == gsColSizing ||
        SelectionResizerHandle().Contains(TPoint(x, y))) {
        // no drag can start: the press on a data cell becomes the start of a range selection,
        // as a press the grid had taken itself, and the release keeps the range
        dragCandidate_ = false;
        if (GridState() == gsNormal && col >= TBaseGrid::FixedCols() && row >= TBaseGrid::FixedRows()) {
            const TPoint base = BaseCellOf(col, row);
            if (GetKeyState(VK_SHIFT) < 0 && Options().Contains(goRangeSelect))
                MoveColRow(base.X, base.Y, false, true);
            else
                FocusCell(base.X, base.Y, true);
            SetGridState(gsSelecting);
        }
        return false;
    }
    dragCandidate_ = false;
    if (col < 0 || row < 0)
        return false;
    const int realCol = DisplayToRealColumn(col);
    bool allow = true;
    if (OnOleDrag)
        OnOleDrag(this, row, realCol, GetCellText(realCol, row), allow);
    if (!allow)
        return false;
    // the press becomes the drag: the grid's own selecting ends here
    buttonDown_ = false;
    Perform(WM_CANCELMODE, 0, 0);
    oleDragging_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{oleDragging_};
    TDragDropSettings* settings = dragDropSettings_.get();
    auto* source = new TGridDropSource(this);
    struct Release {
        TGridDropSource* source;
        ~Release() { source->Release(); }
    } release{source};
    if (OnOleDragStart)
        OnOleDragStart(this, row, realCol);
    DragStartHook();
    const bool columnDrag = row < TBaseGrid::FixedRows() && settings->OleColumnDragDrop;
    ShowDragPictures(col, row, columnDrag);
    // however the drag ends (a drop anywhere, Escape, a failure), no picture of it stays up
    struct PicturesGone {
        TPlusStringGrid* grid;
        std::shared_ptr<bool> alive;
        ~PicturesGone()
        {
            if (*alive) {
                grid->FreeDragCellsWindow();
                grid->HideColumnDragImage();
            }
        }
    } picturesGone{this, Life()};
    const auto life = Life();
    DWORD effect = DROPEFFECT_NONE;
    HRESULT result = S_OK;
    if (columnDrag) {
        result = BeginColumnDrag(source, realCol, DROPEFFECT_COPY | DROPEFFECT_MOVE, effect);
    } else {
        TGridRect s = Selection();
        if (Options().Contains(goRowSelect) && settings->OleEntireRows) {
            s.Left = 0;
            s.Right = ColCount() - 1;
        }
        DragSourceRect = TRect(s.Left, s.Top, s.Right, s.Bottom);
        const String text = CellRectAsText(s, false);
        IStream* cells = nullptr;
        if (Navigation()->AllowFmtClipboard) {
            TMemoryStream stream;
            WriteBinaryCellStream(TRect(s.Left, s.Top, s.Right, s.Bottom), &stream);
            cells = SHCreateMemStream(static_cast<const BYTE*>(stream.Memory()), UINT(stream.Size()));
        }
        struct ReleaseCells {
            IStream* cells;
            ~ReleaseCells()
            {
                if (cells)
                    cells->Release();
            }
        } releaseCells{cells};
        const auto alive = Life();
        result = BeginCellTextDrag(source, text, GetCellText(realCol, row), cells, DROPEFFECT_COPY | DROPEFFECT_MOVE,
                                   effect);
        if (!*alive)
            return true;
        if (result == DRAGDROP_S_DROP && effect == DROPEFFECT_MOVE) {
            // the stored rectangle followed rows that a drop into this grid inserted above it
            const TRect r = DragSourceRect;
            if (settings->OleRemoveRows && Options().Contains(goRowSelect))
                RemoveRows(r.Top, r.Bottom - r.Top + 1);
            else if (!settings->OleCopyAlways)
                ClearRect(r.Left, r.Top, r.Right, r.Bottom);
        }
    }
    if (!*life)
        return true;
    DragEndHook();
    if (!*life)
        return true;
    if (result == DRAGDROP_S_DROP && OnOleDragStop)
        OnOleDragStop(this, int(effect));
    return true;
}

// ---------------------------------------------------------------- target

void TGridDropTarget::DragOverPoint(POINT point, bool& allow, uint8_t formats)
{
    TPlusStringGrid* g = grid_;
    if (!g)
        return;
    int col = -1, row = -1;
    g->ScreenToCell(TPoint(point.x, point.y), col, row);
    const TPoint client = g->ScreenToClient(TPoint(point.x, point.y));
    allow = row >= 0 && col >= 0;
    const bool columnDrag = (formats & ofColumn) != 0;
    const int fixedRows = g->TBaseGrid::FixedRows(), fixedCols = g->TBaseGrid::FixedCols();
    if (allow && !columnDrag) {
        if (row == 0 && g->TopRow() > fixedRows)
            g->SetTopRow(g->TopRow() - 1);
        else if (client.Y <= 7 && fixedRows == 0 && g->TopRow() >= 1)
            g->SetTopRow(g->TopRow() - 1);
        else if (row == g->TopRow() + g->VisibleRowCount() && row < g->RowCount())
            g->SetTopRow(g->TopRow() + 1);
        // sideways at most once per timer tick
        if (g->tickCount_ % 2 == 0) {
            ++g->tickCount_;
            if (col == 0 && g->LeftCol() > fixedCols)
                g->SetLeftCol(g->LeftCol() - 1);
            else if (col == g->LeftCol() + g->VisibleColCount() && col < g->ColCount())
                g->SetLeftCol(g->LeftCol() + 1);
        }
    }
    if (columnDrag) {
        if (row >= fixedRows || col < fixedCols)
            allow = false;
    } else if (row < fixedRows && !(g->RowCount() == 1 && g->FixedRowAlways)) {
        allow = false;
    }
    allow = allow || (formats & ofFiles) || (formats & ofCells);
    if (g->OnOleDragOver)
        g->OnOleDragOver(g, row, col, allow);
    allow = allow && ((row >= 0 && col >= 0) || (formats & ofFiles));
    if (allow && columnDrag) {
        const TRect r = g->MergedCellRect(col, row);
        const TPoint top = g->ClientToScreen(TPoint(r.Left, r.Top));
        const TPoint bottom = g->ClientToScreen(TPoint(r.Left, r.Bottom));
        g->ShowDropArrow(0, TPoint(top.X, top.Y - 8));
        g->ShowDropArrow(1, bottom);
    } else if (allow && row >= 0 && col >= 0) {
        if (row == 0 && g->FixedRowAlways)
            row = 1;
        const bool entire = g->DragDropSettings()->OleEntireRows;
        const TRect r = g->MergedCellRect(entire ? fixedCols : col, row);
        const TPoint at = g->ClientToScreen(TPoint(r.Left, r.Top));
        g->ShowDropArrow(2, TPoint(at.X - 10, at.Y));
    } else {
        g->HideDropArrows(true, true);
    }
}

void TGridDropTarget::DragLeft()
{
    if (grid_)
        grid_->HideDropArrows(true, true);
}

void TGridDropTarget::DropText(POINT point, const String& text)
{
    TPlusStringGrid* g = grid_;
    if (!g)
        return;
    int col = -1, row = -1;
    g->ScreenToCell(TPoint(point.x, point.y), col, row);
    bool allow = true;
    int cols = 0, rows = 0;
    g->MeasureClipboardText(text, cols, rows);
    TDragDropSettings* settings = g->DragDropSettings();
    const int fixedCols = g->TBaseGrid::FixedCols();
    if (g->Options().Contains(goRowSelect))
        col = settings->OleEntireRows ? 0 : fixedCols;
    if (g->OnOleDrop)
        g->OnOleDrop(g, row, col, text, allow);
    if (allow && row >= 0 && col >= 0) {
        if (row == 0 && g->FixedRowAlways && g->RowCount() == 1)
            row = 1;
        if (settings->OleInsertRows) {
            // rows inserted above the rectangle of a drag from this grid move it down with them
            TRect r = g->DragSourceRect;
            if (r.Top >= row && settings->OleRemoveRows) {
                r.Top += rows + 1;
                r.Bottom += rows + 1;
                g->DragSourceRect = r;
            }
            const int top = g->TopRow();
            g->InsertRows(row, rows + 1);
            if (top > 0)
                g->SetTopRowChecked(top);
        }
        int pastedRows = 0, pastedCols = 0;
        g->PasteTextAtCell(col, row, pastedRows, pastedCols, text);
        col = std::max(col, fixedCols);
        const int right = g->Options().Contains(goRowSelect) ? col + cols - fixedCols : col + cols - 1;
        TGridRect s;
        s.Left = std::min(col, g->ColCount() - 1);
        s.Top = std::min(row, g->RowCount() - 1);
        s.Right = std::clamp(right, s.Left, g->ColCount() - 1);
        s.Bottom = std::clamp(row + std::max(rows, 0), s.Top, g->RowCount() - 1);
        g->SetSelection(s);
    }
    g->HideDropArrows(true, true);
    if (g->OnOleDropped)
        g->OnOleDropped(g, g->Selection());
}

void TGridDropTarget::DropCells(POINT point, IStream* stream)
{
    TPlusStringGrid* g = grid_;
    if (!g || !stream)
        return;
    int col = -1, row = -1;
    g->ScreenToCell(TPoint(point.x, point.y), col, row);
    if (col >= 0 && row >= 0) {
        TMemoryStream cells;
        const std::vector<uint8_t>& bytes = stream->Bytes();
        if (!bytes.empty())
            cells.Write(bytes.data(), long(bytes.size()));
        cells.SetPosition(0);
        g->ReadBinaryCellStream(&cells, TPoint(g->DisplayToRealColumn(col), row));
    }
    g->HideDropArrows(true, true);
    g->HideColumnDragImage();
    if (g->OnOleDropped)
        g->OnOleDropped(g, g->Selection());
}

void TGridDropTarget::DropColumn(POINT point, int index)
{
    TPlusStringGrid* g = grid_;
    if (!g)
        return;
    int col = -1, row = -1;
    g->ScreenToCell(TPoint(point.x, point.y), col, row);
    g->HideDropArrows(true, true);
    if (ColumnDrag())
        g->HideColumnDragImage();
    if (g->OnOleDropCol)
        g->OnOleDropCol(g, row, col, index);
}

void TGridDropTarget::DropTextInCell(POINT point, const String& text, const TOleDragDropEvent& event)
{
    TPlusStringGrid* g = grid_;
    if (!g)
        return;
    int col = -1, row = -1;
    g->ScreenToCell(TPoint(point.x, point.y), col, row);
    bool allow = true;
    if (event)
        event(g, row, col, text, allow);
    if (allow && col >= 0 && row >= 0)
        g->SetCellText(g->DisplayToRealColumn(col), row, text);
    g->HideDropArrows(true, false);
}

void TGridDropTarget::DropRTF(POINT point, const String& text)
{
    if (grid_)
        DropTextInCell(point, text, grid_->OnOleDrop);
}

void TGridDropTarget::DropURL(POINT point, const String& text)
{
    if (grid_)
        DropTextInCell(point, text, grid_->OnOleDropURL);
}

void TGridDropTarget::DropFiles(POINT point, TStrings* names)
{
    TPlusStringGrid* g = grid_;
    if (!g || !names || names->Count() != 1)
        return;
    const String name = names->Strings(0);
    int col = -1, row = -1;
    g->ScreenToCell(TPoint(point.x, point.y), col, row);
    bool allow = true;
    if (g->OnOleDropFile)
        g->OnOleDropFile(g, row, col, name, allow);
    const String upper = UpperCase(name);
    if (allow && upper.find(".CSV") != String::npos) {
        if (g->OnOleDrop)
            g->OnOleDrop(g, -1, -1, name, allow);
        if (allow)
            g->LoadCsvFile(name);
    }
    if (allow && upper.find(".XLS") != String::npos) {
        if (g->OnOleDrop)
            g->OnOleDrop(g, -1, -1, name, allow);
        if (allow)
            g->LoadXlsFile(name);
    }
    g->HideDropArrows(true, false);
}
