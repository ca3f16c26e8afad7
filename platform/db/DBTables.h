#pragma once
// The desktop database engine over an embedded SQLite file: connections named by an alias,
// tables with index order, master-detail ranges and events, queries with named parameters,
// and engine errors that name the violated constraint.
#include "platform/db/DB.h"

#include <map>
#include <memory>
#include <vector>

class QSqlDatabase;

// ---------------------------------------------------------------- engine errors

// One entry of an engine error: a 16-bit code whose high byte is the category.
struct TDBError {
    uint16_t ErrorCode = 0;
    String Message;
    int NativeError = 0;
    uint8_t Category() const { return static_cast<uint8_t>(ErrorCode >> 8); }
    uint8_t SubCode() const { return static_cast<uint8_t>(ErrorCode & 0xFF); }
};

// Categories the system tells apart.
constexpr uint8_t kCategoryIntegrity = 0x26;  // key, unique and foreign-key violations
constexpr uint8_t kCategoryGeneralSql = 0x33; // check violations and every other SQL error
constexpr uint16_t kErrKeyViolation = 0x2601;
constexpr uint16_t kErrForeignKey = 0x2606;
constexpr uint16_t kErrGeneralSql = 0x3303;
constexpr uint16_t kErrCannotConnect = 0x2104;

// The engine's exception. For a violated constraint the second error's message holds the
// constraint's name after " CONSTRAINT " and before " ON ": a check violation reads
// "Operation violates CHECK constraint NAME on view or table T" (category 0x33), a key or
// foreign-key violation 'violation of ... constraint "NAME" on table "T"' (category 0x26).
class EDBEngineError : public EDatabaseError {
public:
    explicit EDBEngineError(std::vector<TDBError> errors);
    int ErrorCount() const { return static_cast<int>(errors_.size()); }
    const TDBError& Errors(int index) const { return errors_.at(index); }
    // The constraint name carried by the error, empty when none.
    const String& ConstraintName() const { return constraint_; }
    void SetConstraintName(const String& name) { constraint_ = name; }

private:
    std::vector<TDBError> errors_;
    String constraint_;
};

// ---------------------------------------------------------------- schema knowledge

// What the engine knows of one table: its columns as declared and its named constraints.
struct TColumnInfo {
    String name;
    String declaredType;
    TFieldType type = ftString;
    int size = 0;
    bool notNull = false;
};

struct TConstraintInfo {
    enum Kind { PrimaryKey, Unique, Check, ForeignKey } kind = Check;
    String name;
    String table;
    std::vector<String> columns; // upper case
    String parentTable;          // foreign keys
};

struct TTableInfo {
    String name;
    std::vector<TColumnInfo> columns;
    std::vector<TConstraintInfo> constraints;
    int rowidColumn = -1; // the column that is the row id (a single INTEGER primary key)
    const TColumnInfo* Column(const String& name) const;
};

// ---------------------------------------------------------------- connection

class TDatabase;

// The process-wide list of open connections by alias.
class TSession {
public:
    TDatabase* FindDatabase(const String& alias) const;
    void Register(TDatabase* db);
    void Unregister(TDatabase* db);

private:
    std::vector<TDatabase*> databases_;
};
TSession& Session();

class TDatabase : public TObject {
public:
    TDatabase();
    ~TDatabase() override;
    TDatabase(const TDatabase&) = delete;
    TDatabase& operator=(const TDatabase&) = delete;

    String Name;
    String DatabaseName() const { return databaseName_; }
    void SetDatabaseName(const String& alias);
    String DriverName;
    bool LoginPrompt = true;
    String SessionName = "Default";
    TStringList Params; // "SERVER NAME=<file>", "USER NAME=", "PASSWORD=" and tuning lines

    bool Connected() const { return connected_; }
    void SetConnected(bool connected);
    void Open() { SetConnected(true); }
    void Close() { SetConnected(false); }
    String FileName() const;

    // Transactions for work that must happen whole; without one every statement commits.
    void StartTransaction();
    void Commit();
    void Rollback();
    bool InTransaction() const { return inTransaction_; }

    // Runs one statement; `binds` fill its "?" markers. Returns the number of rows changed.
    int ExecSql(const String& sql, const std::vector<Variant>& binds = {}, int64_t* lastInsertId = nullptr);

    // Schema knowledge, read from the file on first use and after data-definition statements.
    const TTableInfo* TableInfo(const String& table);
    // The declared column of this name when every table that has it agrees on its type.
    const TColumnInfo* ColumnByName(const String& column);
    void InvalidateSchema();

    // Engine internals shared with the datasets.
    QSqlDatabase Connection() const;
    void AttachDataSet(TDataSet* dataSet);
    void DetachDataSet(TDataSet* dataSet);
    [[noreturn]] void RaiseSqlError(const QString& nativeText, const String& sql, const std::vector<Variant>& binds);

private:
    void LoadSchema();
    String DiagnoseForeignKey(const String& sql, const std::vector<Variant>& binds, String& table);

    String databaseName_;
    QString connectionName_;
    bool connected_ = false;
    bool inTransaction_ = false;
    bool schemaLoaded_ = false;
    std::map<String, TTableInfo> tables_; // by upper-case name
    std::map<String, TColumnInfo> columnsByName_;
    std::vector<TDataSet*> dataSets_;
};

// ---------------------------------------------------------------- datasets on a database

class TDBDataSet : public TDataSet {
public:
    ~TDBDataSet() override;
    String DatabaseName;
    // The connection used: an explicitly given one, else the one registered under the alias.
    void SetDatabase(TDatabase* db) { database_ = db; }
    TDatabase* Database() const;

protected:
    TDatabase* OpenDatabase() const; // throws when no connected database has the alias
    void InternalClose() override;
    mutable TDatabase* attached_ = nullptr;

private:
    TDatabase* database_ = nullptr;
};

class TTable : public TDBDataSet {
public:
    TTable();
    ~TTable() override;

    String TableName;
    String IndexFieldNames;  // "A;B": the row order, and the leading fields matched to a master
    TDataSource* MasterSource() const;
    void SetMasterSource(TDataSource* source);
    String MasterFields;     // "A;B" fields of the master matched to the leading index fields
    bool ReadOnly = false;
    bool CanModify() const override { return !ReadOnly; }

    void MasterChanged(bool force);

protected:
    void InternalOpen(std::vector<std::unique_ptr<TField>>& fields, std::vector<Row>& rows) override;
    void InternalPost(Row& row, const std::vector<bool>& changed, bool inserting) override;
    void InternalDelete(const Row& row) override;
    void InternalInitRecord(Row& row) override;
    std::vector<int> OrderFields() const override;

private:
    class MasterLink;
    std::vector<Variant> MasterValues() const;
    std::vector<String> IndexFields() const;
    std::unique_ptr<MasterLink> masterLink_;
    std::vector<Variant> appliedMaster_;
    String tableSql_; // the table's name as the database spells it
    bool destroying_ = false;
};

class TParam : public TObject {
public:
    String Name;
    Variant Value;
    TFieldType DataType = ftUnknown;
    void SetAsString(const String& s) { Value = ToQString(s); DataType = ftString; }
    void SetAsInteger(int v) { Value = static_cast<qlonglong>(v); DataType = ftInteger; }
    void SetAsFloat(double v) { Value = v; DataType = ftFloat; }
    void SetAsDateTime(TDateTime v) { Value = v; DataType = ftDateTime; }
    void Clear() { Value = Variant(); }
    String AsString() const { return FromQString(Value.toString()); }
    bool IsNull() const { return VarIsNull(Value); }
};

class TQuery : public TDBDataSet {
public:
    TQuery();
    TStringList SQL;
    TParam* ParamByName(const String& name);
    TParam* FindParam(const String& name);
    int ParamCount();
    TParam* Params(int index);
    bool AutoCalcFields = true;
    bool RequestLive = false;
    bool CanModify() const override { return false; }
    void Prepare();
    void UnPrepare() {}
    bool Prepared() const { return prepared_; }
    void ExecSQL();
    int RowsAffected() const { return rowsAffected_; }

protected:
    void InternalOpen(std::vector<std::unique_ptr<TField>>& fields, std::vector<Row>& rows) override;

private:
    // The SQL with ":name" markers turned into "?", and the parameter of each marker.
    String Parse(std::vector<int>& order);
    std::vector<Variant> BindValues(const std::vector<int>& order);
    std::vector<std::unique_ptr<TParam>> params_;
    String parsedFor_;
    bool prepared_ = false;
    int rowsAffected_ = 0;
};

// Runs a script of ";"-terminated statements (comments "--" and "/* */" allowed) in one
// transaction; on failure everything is rolled back and the engine error is raised.
void ExecuteSqlScript(TDatabase& db, const String& script);
