#pragma once
// TDBGrid: the rows of a data source's dataset in a grid, one column per field (or per
// Columns item), a title row and an indicator column. The grid's current row is the dataset's
// current record: moving in the grid moves the record and the other way round. With dgEditing
// (and not ReadOnly or dgRowSelect) a cell opens an editor whose text goes into the field when
// the cell is left, on Enter, or before a post; Escape drops it.
#include "platform/db/DB.h"
#include "platform/framework/Grids.h"

#include <memory>
#include <vector>

class TDBGrid;

class TColumnTitle {
public:
    String Caption;
    TAlignment Alignment = taLeftJustify;
};

class TColumn {
public:
    explicit TColumn(TDBGrid* grid) : grid_(grid) {}
    String FieldName() const { return fieldName_; }
    void SetFieldName(const String& name);
    TColumnTitle* Title() { return &title_; }
    int Width() const { return width_; }
    void SetWidth(int width);
    bool ReadOnly = false;
    bool Visible() const { return visible_; }
    void SetVisible(bool on);
    TAlignment Alignment = taLeftJustify;
    // The field shown (null while the dataset is closed or has no such field).
    TField* Field() const;
    int Index() const;

private:
    friend class TDBGrid;
    TDBGrid* grid_;
    String fieldName_;
    TColumnTitle title_;
    int width_ = -1; // -1: from the field and the title
    bool visible_ = true;
};

class TDBGridColumns {
public:
    explicit TDBGridColumns(TDBGrid* grid) : grid_(grid) {}
    int Count() const { return int(items_.size()); }
    TColumn* Items(int index) const { return items_.at(size_t(index)).get(); }
    TColumn* operator[](int index) const { return Items(index); }
    // Adding a column gives the grid customised columns: from then on it shows these only.
    TColumn* Add();
    void Clear();
    void Delete(int index);

private:
    friend class TDBGrid;
    TDBGrid* grid_;
    std::vector<std::unique_ptr<TColumn>> items_;
};

enum TDBGridOption { dgEditing, dgAlwaysShowEditor, dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines,
                     dgTabs, dgRowSelect, dgAlwaysShowSelection, dgConfirmDelete, dgCancelOnExit, dgMultiSelect };
using TDBGridOptions = TSet<TDBGridOption>;

class TDBGrid : public TCustomGrid {
public:
    explicit TDBGrid(TComponent* owner);
    ~TDBGrid() override;
    String ClassName() const override { return "TDBGrid"; }

    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* source);
    TDBGridColumns* Columns() const { return columns_.get(); }
    TDBGridOptions Options() const { return options_; }
    void SetOptions(const TDBGridOptions& options);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool on);
    TColor TitleFontColor = clWindowText;

    // The columns shown: the customised columns, or one per visible field of the dataset.
    int VisibleColumnCount() const { return int(shown_.size()); }
    TColumn* VisibleColumn(int index) const { return shown_.at(size_t(index)); }
    TField* SelectedField() const;
    int SelectedIndex() const; // the current column among the shown ones
    void SetSelectedIndex(int index);
    // The text of a data cell: column `column` (among the shown) of data row `row` (0-based).
    String CellText(int column, int row) const;
    int DataRowCount() const;
    // Writes a pending cell edit into the field.
    void UpdateData();

    TNotifyEvent OnColEnter;
    TNotifyEvent OnColExit;
    TNotifyEvent OnCellClick;

protected:
    void DrawCell(int col, int row, const TRect& rect, TGridDrawState state) override;
    bool SelectCell(int col, int row) override;
    bool CanEditShow() override;
    String GetEditText(int col, int row) override;
    void SetEditText(int col, int row, const String& value) override;
    void KeyDown(WORD& key, TShiftState shift) override;
    void DoExit() override;
    TInplaceEdit* CreateEditor() override;

private:
    class TGridDataLink;
    class TEscapeWatcher;
    friend class TGridDataLink;
    friend class TEscapeWatcher;
    friend class TColumn;
    friend class TDBGridColumns;
    void LinkActive();
    void LayoutChanged();
    void DataChanged();
    void Scrolled();
    void BuildColumns();
    int DataCol(int col) const { return col - FixedCols(); }
    int DataRow(int row) const { return row - FixedRows(); }
    int ColumnWidth(const TColumn* column) const;
    void ApplyGridOptions();

    std::unique_ptr<TGridDataLink> link_;
    std::unique_ptr<TEscapeWatcher> escapeWatcher_;
    std::unique_ptr<TDBGridColumns> columns_;
    std::vector<std::unique_ptr<TColumn>> autoColumns_;
    std::vector<TColumn*> shown_;
    TDBGridOptions options_;
    bool readOnly_ = false;
    bool syncing_ = false;
    bool editPending_ = false;
    String editText_;
};
