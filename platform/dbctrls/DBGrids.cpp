#include "platform/dbctrls/DBGrids.h"

#include "platform/framework/Dialogs.h"
#include "platform/framework/Forms.h"
#include "platform/win/WinFrameControl.h"

#include <QEvent>
#include <QKeyEvent>
#include <QWidget>

#include <algorithm>

// ---------------------------------------------------------------- data link

class TDBGrid::TGridDataLink : public TDataLink {
public:
    explicit TGridDataLink(TDBGrid* grid) : grid_(grid) {}
    void ActiveChanged() override { grid_->LinkActive(); }
    void LayoutChanged() override { grid_->LayoutChanged(); }
    void DataSetChanged() override { grid_->DataChanged(); }
    void DataSetScrolled(int) override { grid_->Scrolled(); }
    void RecordChanged(TField*) override { grid_->InvalidateGrid(); }
    void EditingChanged() override { grid_->InvalidateGrid(); }
    void UpdateData() override { grid_->UpdateData(); }

private:
    TDBGrid* grid_;
};

// Escape in the cell editor drops the cell's edit and the record's changes, as it does in
// the grid.
class TDBGrid::TEscapeWatcher : public QObject {
public:
    explicit TEscapeWatcher(TDBGrid* grid) : grid_(grid) {}
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape) {
            WORD key = VK_ESCAPE;
            Application->Guard([this, &key] { grid_->KeyDown(key, TShiftState()); }, grid_);
            if (key == 0)
                return true;
        }
        return QObject::eventFilter(watched, e);
    }

private:
    TDBGrid* grid_;
};

// ---------------------------------------------------------------- columns

void TColumn::SetFieldName(const String& name)
{
    fieldName_ = name;
    grid_->LayoutChanged();
}

void TColumn::SetWidth(int width)
{
    width_ = width;
    grid_->LayoutChanged();
}

void TColumn::SetVisible(bool on)
{
    visible_ = on;
    grid_->LayoutChanged();
}

TField* TColumn::Field() const
{
    TDataSource* source = grid_->DataSource();
    if (!source || !source->DataSet() || !source->DataSet()->Active() || fieldName_.empty())
        return nullptr;
    return source->DataSet()->FindField(fieldName_);
}

int TColumn::Index() const
{
    for (int i = 0; i < grid_->columns_->Count(); ++i)
        if (grid_->columns_->Items(i) == this)
            return i;
    return -1;
}

TColumn* TDBGridColumns::Add()
{
    items_.push_back(std::make_unique<TColumn>(grid_));
    grid_->LayoutChanged();
    return items_.back().get();
}

void TDBGridColumns::Clear()
{
    items_.clear();
    grid_->LayoutChanged();
}

void TDBGridColumns::Delete(int index)
{
    Items(index);
    items_.erase(items_.begin() + index);
    grid_->LayoutChanged();
}

// ---------------------------------------------------------------- TDBGrid

TDBGrid::TDBGrid(TComponent* owner)
    : TCustomGrid(owner), link_(std::make_unique<TGridDataLink>(this)), escapeWatcher_(std::make_unique<TEscapeWatcher>(this)), columns_(std::make_unique<TDBGridColumns>(this))
{
    options_ << dgEditing << dgTitles << dgIndicator << dgColumnResize << dgColLines << dgRowLines << dgTabs
             << dgConfirmDelete << dgCancelOnExit;
    SetColor(clWindow);
    SetDefaultRowHeight(18);
    ApplyGridOptions();
    LayoutChanged();
}

TDBGrid::~TDBGrid()
{
    BeginDestroy();
    link_->SetDataSource(nullptr);
}

TInplaceEdit* TDBGrid::CreateEditor()
{
    TInplaceEdit* editor = TCustomGrid::CreateEditor();
    if (!escapeWatcher_)
        escapeWatcher_ = std::make_unique<TEscapeWatcher>(this);
    editor->Host()->installEventFilter(escapeWatcher_.get());
    return editor;
}

TDataSource* TDBGrid::DataSource() const { return link_->DataSource(); }

void TDBGrid::SetDataSource(TDataSource* source)
{
    link_->SetDataSource(source);
    LayoutChanged();
}

void TDBGrid::SetOptions(const TDBGridOptions& options)
{
    options_ = options;
    ApplyGridOptions();
    LayoutChanged();
}

void TDBGrid::SetReadOnly(bool on)
{
    readOnly_ = on;
    ApplyGridOptions();
}

void TDBGrid::ApplyGridOptions()
{
    TGridOptions o;
    o << goFixedVertLine << goFixedHorzLine;
    if (options_.Contains(dgColLines))
        o << goVertLine;
    if (options_.Contains(dgRowLines))
        o << goHorzLine;
    if (options_.Contains(dgColumnResize))
        o << goColSizing;
    if (options_.Contains(dgTabs))
        o << goTabs;
    if (options_.Contains(dgRowSelect))
        o << goRowSelect;
    else if (options_.Contains(dgEditing) && !readOnly_) {
        o << goEditing;
        if (options_.Contains(dgAlwaysShowEditor))
            o << goAlwaysShowEditor;
    }
    TCustomGrid::SetOptions(o);
}

void TDBGrid::BuildColumns()
{
    shown_.clear();
    if (columns_->Count() > 0) {
        for (int i = 0; i < columns_->Count(); ++i)
            if (columns_->Items(i)->Visible())
                shown_.push_back(columns_->Items(i));
        return;
    }
    // one column per visible field, rebuilt for the dataset's current fields
    autoColumns_.clear();
    TDataSet* ds = link_->Active() ? link_->DataSet() : nullptr;
    for (int i = 0; ds && i < ds->FieldCount(); ++i) {
        TField* f = ds->Fields(i);
        if (!f->Visible)
            continue;
        auto column = std::make_unique<TColumn>(this);
        column->fieldName_ = f->FieldName();
        shown_.push_back(column.get());
        autoColumns_.push_back(std::move(column));
    }
}

int TDBGrid::ColumnWidth(const TColumn* column) const
{
    if (column->width_ >= 0)
        return column->width_;
    // wide enough for the title and for the field's declared width, within reason (measured
    // on a canvas of its own: the grid's canvas is for painting)
    TBitmap measure;
    measure.SetSize(1, 1);
    TCanvas* c = measure.Canvas();
    c->Font->Assign(Font());
    TField* f = column->Field();
    const String title = column->title_.Caption.empty() && f ? f->DisplayLabel() : column->title_.Caption;
    int width = c->TextWidth(title) + 8;
    if (f) {
        const int chars = f->DisplayWidth > 0 ? f->DisplayWidth : f->Size() > 0 ? std::min(f->Size(), 30) : 10;
        width = std::max(width, chars * c->TextWidth("0") + 8);
    }
    return std::max(width, 24);
}

void TDBGrid::LinkActive()
{
    LayoutChanged();
}

void TDBGrid::LayoutChanged()
{
    if (ComponentState() & csDestroying)
        return;
    BuildColumns();
    syncing_ = true;
    const int fixedCols = options_.Contains(dgIndicator) ? 1 : 0;
    const int fixedRows = options_.Contains(dgTitles) ? 1 : 0;
    SetColCount(fixedCols + std::max(1, int(shown_.size())));
    SetFixedCols(fixedCols);
    SetRowCount(fixedRows + 1);
    SetFixedRows(fixedRows);
    if (fixedCols)
        SetColWidths(0, 12);
    for (size_t i = 0; i < shown_.size(); ++i)
        SetColWidths(fixedCols + int(i), ColumnWidth(shown_[i]));
    syncing_ = false;
    DataChanged();
}

int TDBGrid::DataRowCount() const
{
    if (!link_->Active())
        return 0;
    TDataSet* ds = link_->DataSet();
    return ds->RecordCount() + (ds->State() == dsInsert ? 1 : 0);
}

void TDBGrid::DataChanged()
{
    if (ComponentState() & csDestroying)
        return;
    syncing_ = true;
    SetRowCount(FixedRows() + std::max(1, DataRowCount()));
    syncing_ = false;
    Scrolled();
    InvalidateGrid();
}

void TDBGrid::Scrolled()
{
    if (!link_->Active() || syncing_)
        return;
    const int current = std::max(link_->DataSet()->RecIndex(), 0);
    syncing_ = true;
    if (FixedRows() + current < RowCount())
        SetRow(FixedRows() + current);
    syncing_ = false;
    InvalidateGrid();
}

String TDBGrid::CellText(int column, int row) const
{
    if (column < 0 || column >= int(shown_.size()) || !link_->Active())
        return String();
    TField* f = shown_[size_t(column)]->Field();
    if (!f)
        return String();
    TDataSet* ds = link_->DataSet();
    if (ds->State() == dsInsert) {
        // the new record stands where it is inserted; the rows from there on move down
        const int at = std::max(ds->RecIndex(), 0);
        if (row == at)
            return f->AsString();
        return f->TextOf(ds->StoredRowValue(row > at ? row - 1 : row, f->Index()));
    }
    return ds->RowText(row, f->Index());
}

TField* TDBGrid::SelectedField() const
{
    const int index = SelectedIndex();
    return index >= 0 && index < int(shown_.size()) ? shown_[size_t(index)]->Field() : nullptr;
}

int TDBGrid::SelectedIndex() const { return DataCol(Col()); }

void TDBGrid::SetSelectedIndex(int index)
{
    if (index >= 0 && index < int(shown_.size()))
        SetCol(FixedCols() + index);
}

void TDBGrid::DrawCell(int col, int row, const TRect& rect, TGridDrawState state)
{
    TCanvas* c = Canvas();
    c->Font->Assign(Font());
    RECT r = rect;
    const bool currentRow = link_->Active() && DataRow(row) == std::max(link_->DataSet()->RecIndex(), 0);
    if (state.Contains(gdFixed)) {
        c->Brush->Color = FixedColor();
        c->FillRect(rect);
        RECT edge = rect;
        DrawEdge(c->Handle(), &edge, BDR_RAISEDINNER, BF_RECT);
        if (row < FixedRows()) {
            const int column = DataCol(col);
            if (column >= 0 && column < int(shown_.size())) {
                TColumn* colObj = shown_[size_t(column)];
                TField* f = colObj->Field();
                const String title = colObj->title_.Caption.empty() ? (f ? f->DisplayLabel() : colObj->fieldName_)
                                                                     : colObj->title_.Caption;
                InflateRect(&r, -2, 0);
                c->Brush->Style = bsClear;
                c->Font->Color = TitleFontColor;
                const UINT align = colObj->title_.Alignment == taCenter ? DT_CENTER
                                 : colObj->title_.Alignment == taRightJustify ? DT_RIGHT : DT_LEFT;
                DrawText(c->Handle(), title, &r, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX | align);
                c->Brush->Style = bsSolid;
            }
        } else if (col < FixedCols() && currentRow && DataRowCount() > 0) {
            // the indicator: an arrow on the current record, a star on a new one, a bar while editing
            const TDataSetState st = link_->DataSet()->State();
            c->Brush->Color = clWindowText;
            c->Pen->Color = clWindowText;
            const int cx = (rect.Left + rect.Right) / 2;
            const int cy = (rect.Top + rect.Bottom) / 2;
            if (st == dsBrowse)
                c->Polygon({TPoint(cx - 2, cy - 4), TPoint(cx + 2, cy), TPoint(cx - 2, cy + 4)});
            else if (st == dsEdit)
                c->FillRect(TRect(cx - 1, cy - 4, cx + 1, cy + 5));
            else {
                c->Brush->Style = bsClear;
                DrawText(c->Handle(), "*", &r, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
                c->Brush->Style = bsSolid;
            }
        }
        return;
    }
    const bool selected = (options_.Contains(dgRowSelect) && currentRow &&
                           (Focused() || options_.Contains(dgAlwaysShowSelection))) ||
                          (state.Contains(gdFocused) && !options_.Contains(dgRowSelect));
    c->Brush->Color = selected ? clHighlight : Color();
    c->Font->Color = selected ? clHighlightText : Font()->Color;
    c->FillRect(rect);
    const int column = DataCol(col);
    const int dataRow = DataRow(row);
    if (dataRow >= DataRowCount())
        return;
    const String text = column >= 0 && column < int(shown_.size()) ? CellText(column, dataRow) : String();
    InflateRect(&r, -2, 0);
    c->Brush->Style = bsClear;
    const TAlignment alignment = column >= 0 && column < int(shown_.size()) ? shown_[size_t(column)]->Alignment
                                                                          : taLeftJustify;
    const UINT align = alignment == taCenter ? DT_CENTER : alignment == taRightJustify ? DT_RIGHT : DT_LEFT;
    DrawText(c->Handle(), text, &r, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX | align);
    c->Brush->Style = bsSolid;
}

bool TDBGrid::SelectCell(int col, int row)
{
    if (!TCustomGrid::SelectCell(col, row))
        return false;
    if (syncing_ || !link_->Active())
        return true;
    const bool colChanges = col != Col();
    if (colChanges || row != Row())
        UpdateData();
    if (colChanges && OnColExit)
        OnColExit(this);
    TDataSet* ds = link_->DataSet();
    const int target = DataRow(row);
    if (target != std::max(ds->RecIndex(), 0) && target >= 0 && target < ds->RecordCount()) {
        syncing_ = true;
        try {
            ds->MoveToRecord(target);
        } catch (...) {
            syncing_ = false;
            throw;
        }
        syncing_ = false;
        InvalidateGrid();
    }
    return true;
}

bool TDBGrid::CanEditShow()
{
    if (readOnly_ || !options_.Contains(dgEditing) || options_.Contains(dgRowSelect) || !link_->Active())
        return false;
    TField* f = SelectedField();
    const int column = SelectedIndex();
    return f && !f->ReadOnly && column >= 0 && !shown_[size_t(column)]->ReadOnly && link_->DataSet()->CanModify() &&
           TCustomGrid::CanEditShow();
}

String TDBGrid::GetEditText(int col, int)
{
    const int column = DataCol(col);
    if (editPending_ && column == SelectedIndex())
        return editText_;
    TField* f = column >= 0 && column < int(shown_.size()) ? shown_[size_t(column)]->Field() : nullptr;
    return f ? f->AsString() : String();
}

void TDBGrid::SetEditText(int col, int row, const String& value)
{
    if (syncing_ || !link_->Active())
        return;
    if (value == GetEditText(col, row))
        return;
    // the first change puts the record in edit state (which its rules may refuse)
    if (!link_->Edit())
        return;
    editText_ = value;
    editPending_ = true;
    InvalidateCell(col, row);
}

void TDBGrid::UpdateData()
{
    if (!editPending_)
        return;
    TField* f = SelectedField();
    editPending_ = false;
    if (f)
        f->SetAsString(editText_);
}

void TDBGrid::KeyDown(WORD& key, TShiftState shift)
{
    TDataSet* ds = link_->Active() ? link_->DataSet() : nullptr;
    if (ds && key == VK_ESCAPE && (editPending_ || ds->State() != dsBrowse)) {
        // Escape drops the cell's edit and the record's changes
        editPending_ = false;
        HideEditor();
        ds->Cancel();
        key = 0;
        return;
    }
    if (ds && key == VK_RETURN && editPending_) {
        UpdateData();
        InvalidateGrid();
    }
    if (ds && !readOnly_ && options_.Contains(dgEditing) && ds->CanModify()) {
        if (key == VK_INSERT && shift.Empty()) {
            ds->Insert();
            key = 0;
            return;
        }
        if (key == VK_DELETE && shift.Contains(ssCtrl) && !ds->IsEmpty()) {
            key = 0;
            if (!options_.Contains(dgConfirmDelete) ||
                MessageDlg("Delete record?", mtConfirmation, mbOKCancel, 0) != mrCancel)
                ds->Delete();
            return;
        }
    }
    TCustomGrid::KeyDown(key, shift);
}

void TDBGrid::DoExit()
{
    UpdateData();
    TCustomGrid::DoExit();
}
