#pragma once
// Datasets, fields, data sources and data links of the desktop database engine.
//
// A dataset keeps its rows in memory: opening runs one SELECT, every later navigation works on
// that snapshot, and a post or delete writes one row through the dataset's own SQL and then
// updates the snapshot. The cursor is always at a valid row or, for an empty dataset, at none.
#include "platform/rtl/Classes.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/SysUtils.h"

#include <QVariant>

#include <functional>
#include <memory>
#include <vector>

// The framework's variant: null, integer, real, text (QString) or a date-time (real days).
using Variant = QVariant;
Variant Null();
bool VarIsNull(const Variant& v);

// Errors of the dataset layer ("Field 'X' not found", "Dataset not in edit or insert mode"...).
QUELM_DECLARE_EXCEPTION(EDatabaseError, Exception)

enum TFieldType { ftUnknown, ftString, ftInteger, ftFloat, ftDateTime, ftDate, ftMemo, ftBoolean };

enum TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert };

enum TDataEvent {
    deFieldChange,
    deRecordChange,
    deDataSetChange,
    deDataSetScroll,
    deLayoutChange,
    deUpdateRecord,
    deUpdateState,
    deCheckBrowseMode
};

enum TDataAction { daFail, daAbort, daRetry };

enum TLocateOption { loCaseInsensitive = 1, loPartialKey = 2 };
using TLocateOptions = int;

enum TFilterOption { foCaseInsensitive = 1, foNoPartialCompare = 2 };
using TFilterOptions = int;

class TDataSet;
class TDataSource;
class TField;

using TDataSetNotifyEvent = std::function<void(TDataSet*)>;
using TDataSetErrorEvent = std::function<void(TDataSet*, EDatabaseError&, TDataAction&)>;
using TNotifyEvent = std::function<void(TObject*)>;
using TDataChangeEvent = std::function<void(TObject*, TField*)>;

// A bookmark names one row of a dataset; it stays valid while that row exists.
struct TBookmarkData {
    int64_t rowId = 0;
    int index = -1;
};
using TBookmark = std::shared_ptr<TBookmarkData>;

// ---------------------------------------------------------------- fields

class TField : public TObject {
public:
    TField(TDataSet* dataSet, String name, TFieldType type, int size, bool required, int index);

    const String& FieldName() const { return name_; }
    TFieldType DataType() const { return type_; }
    int Size() const { return size_; } // declared text width, 0 for other types
    bool Required() const { return required_; }
    int Index() const { return index_; }
    TDataSet* DataSet() const { return dataSet_; }
    String DisplayLabel() const { return displayLabel_.empty() ? name_ : displayLabel_; }
    void SetDisplayLabel(const String& label) { displayLabel_ = label; }
    bool ReadOnly = false;
    bool Visible = true;
    int DisplayWidth = 0;

    bool IsNull() const;
    Variant Value() const;
    String AsString() const;
    int AsInteger() const;
    double AsFloat() const;
    TDateTime AsDateTime() const;
    bool AsBoolean() const;
    String DisplayText() const { return AsString(); }
    // The text AsString gives for a value of this field (for rows other than the current one).
    String TextOf(const Variant& value) const;

    // Assignments check what the database declares: the text width of string fields and the
    // type of numeric and date fields. A text that does not fit or does not convert is refused
    // before the record changes.
    void SetValue(const Variant& v);
    void SetAsString(const String& s);
    void SetAsInteger(int v);
    void SetAsFloat(double v);
    void SetAsDateTime(TDateTime v);
    void SetAsBoolean(bool v);
    void Clear();

    // Converts a value to this field's storage form (throws as the assignments do).
    Variant Coerce(const Variant& v) const;

private:
    TDataSet* dataSet_;
    String name_;
    TFieldType type_;
    int size_;
    bool required_;
    int index_;
    String displayLabel_;
};

// ---------------------------------------------------------------- data links

// Connects a data-aware object (a control, a detail dataset) to a data source.
class TDataLink : public TObject {
public:
    TDataLink() = default;
    ~TDataLink() override;
    TDataLink(const TDataLink&) = delete;
    TDataLink& operator=(const TDataLink&) = delete;

    TDataSource* DataSource() const { return dataSource_; }
    void SetDataSource(TDataSource* source);
    TDataSet* DataSet() const;
    bool Active() const;
    bool Editing() const;
    // Puts the dataset in edit state when it can; true when it is in edit or insert state after.
    bool Edit();
    void UpdateRecord(); // asks the link to write pending control text (UpdateData)

    virtual void ActiveChanged() {}
    virtual void DataSetChanged() { RecordChanged(nullptr); }
    virtual void DataSetScrolled(int /*distance*/) { DataSetChanged(); }
    virtual void EditingChanged() {}
    virtual void LayoutChanged() { DataSetChanged(); }
    virtual void RecordChanged(TField* /*field*/) {}
    virtual void UpdateData() {}
    virtual void CheckBrowseMode() {}

private:
    friend class TDataSource;
    void DataEvent(TDataEvent event, TField* field);
    TDataSource* dataSource_ = nullptr;
    bool updating_ = false;
};

class TDataSource : public TObject {
public:
    TDataSource() = default;
    explicit TDataSource(TDataSet* dataSet) { SetDataSet(dataSet); }
    ~TDataSource() override;
    TDataSource(const TDataSource&) = delete;
    TDataSource& operator=(const TDataSource&) = delete;

    String Name;
    TDataSet* DataSet() const { return dataSet_; }
    void SetDataSet(TDataSet* dataSet);
    TDataSetState State() const;
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    bool AutoEdit = true;
    void Edit(); // puts the dataset in edit state when AutoEdit allows

    TNotifyEvent OnStateChange;
    TDataChangeEvent OnDataChange;
    TNotifyEvent OnUpdateData;

private:
    friend class TDataSet;
    friend class TDataLink;
    void DataEvent(TDataEvent event, TField* field);
    void AddLink(TDataLink* link);
    void RemoveLink(TDataLink* link);
    TDataSet* dataSet_ = nullptr;
    bool enabled_ = true;
    std::vector<TDataLink*> links_;
};

// ---------------------------------------------------------------- datasets

class TDataSet : public TObject {
public:
    TDataSet();
    ~TDataSet() override;
    TDataSet(const TDataSet&) = delete;
    TDataSet& operator=(const TDataSet&) = delete;

    String Name;

    // State
    bool Active() const { return state_ != dsInactive; }
    void SetActive(bool active);
    void Open();
    void Close();
    TDataSetState State() const { return state_; }
    bool Modified() const { return modified_; }
    bool IsEmpty() const;
    int RecordCount() const;
    int RecNo() const; // 1-based, 0 when empty
    bool Eof() const { return eof_; }
    bool Bof() const { return bof_; }
    virtual bool CanModify() const { return true; }

    // Navigation
    void First();
    void Last();
    void Next();
    void Prior();
    int MoveBy(int distance);
    void Refresh();
    bool Locate(const String& keyFields, const std::vector<Variant>& values, TLocateOptions options);
    bool Locate(const String& keyField, const Variant& value, TLocateOptions options);

    // Bookmarks
    TBookmark GetBookmark() const;
    void GotoBookmark(const TBookmark& bookmark);
    bool BookmarkValid(const TBookmark& bookmark) const;
    void FreeBookmark(TBookmark& bookmark) { bookmark.reset(); }

    // Editing
    void Edit();
    void Insert();
    void Append();
    void Post();
    void Cancel();
    void Delete();
    void CheckBrowseMode();
    void UpdateRecord();

    // Fields
    int FieldCount() const { return static_cast<int>(fields_.size()); }
    TField* Fields(int index) const;
    TField* FindField(const String& name) const;
    TField* FieldByName(const String& name) const;
    void GetFieldNames(TStrings& list) const;
    Variant FieldValues(const String& name) const { return FieldByName(name)->Value(); }

    // Filters: an expression of comparisons "Field op 'text'" or "Field op number" joined with
    // and/or/not and parentheses; with foCaseInsensitive texts compare without regard to case.
    String Filter() const { return filter_; }
    void SetFilter(const String& filter);
    bool Filtered() const { return filtered_; }
    void SetFiltered(bool filtered);
    TFilterOptions FilterOptions = 0;

    // Controls
    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return disableCount_ > 0; }

    // Events, in the order the framework fires them.
    TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
    TDataSetNotifyEvent BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
    TDataSetNotifyEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
    TDataSetNotifyEvent BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
    TDataSetNotifyEvent BeforeRefresh, AfterRefresh, OnNewRecord;
    TDataSetErrorEvent OnPostError, OnDeleteError, OnEditError;

    // Rows by position, for views that show many rows (grids): the value of a field in row
    // `row` (0-based, in the dataset's order) without moving the cursor; the current row
    // gives its edit buffer while it is edited. RecIndex is the cursor's row (-1 when empty).
    Variant RowValue(int row, int fieldIndex) const;
    String RowText(int row, int fieldIndex) const;
    // The stored value of row `row`, leaving out any edit buffer.
    Variant StoredRowValue(int row, int fieldIndex) const;
    int RecIndex() const { return cursor_; }
    void MoveToRecord(int row) { MoveBy(row - cursor_); }

    // Raw values of the current record (edit buffer while editing); used by TField.
    Variant CurrentValue(int fieldIndex) const;
    void SetCurrentValue(int fieldIndex, const Variant& value);

protected:
    struct Row {
        int64_t rowId = 0;
        std::vector<Variant> values;
    };

    // Subclass hooks: read the rows (and the field definitions when they are empty) into
    // `rows`; write one row; delete one row; reread one row after a write.
    virtual void InternalOpen(std::vector<std::unique_ptr<TField>>& fields, std::vector<Row>& rows) = 0;
    virtual void InternalClose() {}
    virtual void InternalPost(Row& row, const std::vector<bool>& changed, bool inserting);
    virtual void InternalDelete(const Row& row);
    virtual void InternalInitRecord(Row& /*row*/) {}
    virtual bool KeepsRowOrder() const { return false; }
    // Sort order of rows (the index fields); empty for the order of the SELECT.
    virtual std::vector<int> OrderFields() const { return {}; }

    void DataEvent(TDataEvent event, TField* field = nullptr);
    void CheckActive() const;
    void CheckInactive() const;
    void CheckCursorInvariant() const;
    bool RowPassesFilter(const Row& row) const;
    TField* AddField(const String& name, TFieldType type, int size, bool required);
    void ClearFields() { fields_.clear(); }
    void Fire(const TDataSetNotifyEvent& event) { if (event) event(this); }
    // Rereads the rows; keeps the row with `keepRowId` current, or goes to the first row for 0.
    void ReloadRows(int64_t keepRowId);

private:
    friend class TDataSource;
    friend class TField;
    void SetState(TDataSetState state);
    void DoScroll(const std::function<void()>& move);
    void CheckOperation(const std::function<void()>& operation, const TDataSetErrorEvent& onError);
    void PlaceRow(int index);
    int RowCompare(const Row& a, const Row& b) const;
    const Row* CurrentRow() const;

    std::vector<std::unique_ptr<TField>> fields_;
    std::vector<Row> rows_;
    int cursor_ = -1;
    bool eof_ = true;
    bool bof_ = true;
    TDataSetState state_ = dsInactive;
    Row editRow_;
    std::vector<bool> changed_;
    int insertIndex_ = -1;
    bool modified_ = false;
    String filter_;
    bool filtered_ = false;
    int disableCount_ = 0;
    bool pendingChange_ = false;
    std::vector<TDataSource*> sources_;

public:
    struct FilterNode; // a parsed filter expression

private:
    std::shared_ptr<FilterNode> filterTree_;
};

// Value helpers shared by the engine.
int CompareVariants(const Variant& a, const Variant& b, bool caseInsensitive);
// Date-time to the stored text: "yyyy-mm-dd" for a whole day, "yyyy-mm-dd hh:nn:ss[.zzz]" else.
QString DateTimeToSqlText(TDateTime dt);
bool SqlTextToDateTime(const QString& text, TDateTime& dt);
