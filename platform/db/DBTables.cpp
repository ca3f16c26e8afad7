#include "platform/db/DBTables.h"

#include "platform/rtl/FileUtils.h"

#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <algorithm>
#include <atomic>

namespace {

String Upper(const String& s)
{
    return UpperCase(s);
}

QString Q(const String& s)
{
    return ToQString(s);
}

// Prepares, binds and runs one statement on a forward-only query. On failure the error holds
// the engine's own text of it (the text that the constraint translation reads).
bool RunStatement(QSqlQuery& q, const QString& sql, const std::vector<Variant>& binds, QString& error)
{
    q.setForwardOnly(true);
    bool ok = q.prepare(sql);
    if (ok) {
        for (const Variant& b : binds)
            q.addBindValue(b);
        ok = q.exec();
    }
    if (!ok) {
        error = q.lastError().databaseText();
        if (error.isEmpty())
            error = q.lastError().text();
    }
    return ok;
}

QString QuoteIdent(const String& name)
{
    return u'"' + Q(name).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

void DeclaredToField(const String& declared, TFieldType& type, int& size)
{
    const String up = Upper(declared);
    size = 0;
    auto width = [&] {
        const size_t open = up.find('(');
        if (open != String::npos)
            size = std::atoi(up.c_str() + open + 1);
    };
    if (up.find("CHAR") != String::npos) {
        type = ftString;
        width();
    } else if (up.find("INT") != String::npos) {
        type = ftInteger;
    } else if (up.find("DOUBLE") != String::npos || up.find("FLOAT") != String::npos ||
               up.find("REAL") != String::npos || up.find("NUMERIC") != String::npos ||
               up.find("DECIMAL") != String::npos) {
        type = ftFloat;
    } else if (up.find("TIMESTAMP") != String::npos || up == "TIME") {
        type = ftDateTime;
    } else if (up == "DATE") {
        type = ftDate;
    } else if (up.find("TEXT") != String::npos || up.find("MEMO") != String::npos ||
               up.find("BLOB") != String::npos || up.find("CLOB") != String::npos) {
        type = ftMemo;
    } else {
        type = ftString;
    }
}

// The form a value takes in the file: dates as "yyyy-mm-dd[ hh:nn:ss]" texts.
QVariant ToDb(TFieldType type, const Variant& v)
{
    if (VarIsNull(v))
        return QVariant();
    if ((type == ftDateTime || type == ftDate) && v.typeId() != QMetaType::QString)
        return DateTimeToSqlText(v.toDouble());
    return v;
}

// The form a value takes in a row: dates as real days, integers as 64-bit, reals as double.
Variant FromDb(TFieldType type, const QVariant& v)
{
    if (v.isNull())
        return Variant();
    switch (type) {
    case ftDateTime:
    case ftDate:
        if (v.typeId() == QMetaType::QString) {
            TDateTime dt = 0;
            if (SqlTextToDateTime(v.toString(), dt))
                return dt;
            return v;
        }
        return v.toDouble();
    case ftInteger:
        if (v.typeId() == QMetaType::Double) {
            const double d = v.toDouble();
            if (d == static_cast<double>(static_cast<qlonglong>(d)))
                return static_cast<qlonglong>(d);
        }
        if (v.typeId() == QMetaType::Int || v.typeId() == QMetaType::LongLong)
            return v.toLongLong();
        return v;
    case ftFloat:
        if (v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Int)
            return v.toDouble();
        return v;
    default:
        if (v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Int)
            return QString::number(v.toLongLong());
        return v;
    }
}

bool IsDdl(const String& sql)
{
    const String up = Upper(TrimLeft(sql));
    return StartsText("CREATE", up) || StartsText("ALTER", up) || StartsText("DROP", up);
}

std::vector<String> SplitColumns(const QString& text)
{
    std::vector<String> out;
    for (QString c : text.split(u',')) {
        c = c.trimmed();
        c.remove(u'"');
        if (const int dot = c.lastIndexOf(u'.'); dot >= 0)
            c = c.mid(dot + 1);
        if (!c.isEmpty())
            out.push_back(Upper(FromQString(c)));
    }
    std::sort(out.begin(), out.end());
    return out;
}

} // namespace

// ================================================================ EDBEngineError

namespace {
String JoinMessages(const std::vector<TDBError>& errors)
{
    String text;
    for (const TDBError& e : errors) {
        if (!text.empty())
            text += "\n";
        text += e.Message;
    }
    return text;
}
} // namespace

EDBEngineError::EDBEngineError(std::vector<TDBError> errors)
    : EDatabaseError(JoinMessages(errors)), errors_(std::move(errors))
{
}

// ================================================================ schema knowledge

const TColumnInfo* TTableInfo::Column(const String& name) const
{
    for (const TColumnInfo& c : columns)
        if (SameText(c.name, name))
            return &c;
    return nullptr;
}

// ================================================================ TSession

TSession& Session()
{
    static TSession session;
    return session;
}

TDatabase* TSession::FindDatabase(const String& alias) const
{
    for (auto it = databases_.rbegin(); it != databases_.rend(); ++it)
        if (SameText((*it)->DatabaseName(), alias))
            return *it;
    return nullptr;
}

void TSession::Register(TDatabase* db)
{
    Unregister(db);
    databases_.push_back(db);
}

void TSession::Unregister(TDatabase* db)
{
    databases_.erase(std::remove(databases_.begin(), databases_.end(), db), databases_.end());
}

// ================================================================ TDatabase

TDatabase::TDatabase()
{
    static std::atomic<int> counter{0};
    connectionName_ = QStringLiteral("quelm_db_%1").arg(++counter);
}

TDatabase::~TDatabase()
{
    try {
        SetConnected(false);
    } catch (...) {
    }
    Session().Unregister(this);
}

void TDatabase::SetDatabaseName(const String& alias)
{
    if (connected_ && alias != databaseName_)
        throw EDatabaseError("Cannot perform this operation on an open database");
    databaseName_ = alias;
    if (alias.empty())
        Session().Unregister(this);
    else
        Session().Register(this);
}

String TDatabase::FileName() const
{
    return Params.Values("SERVER NAME");
}

QSqlDatabase TDatabase::Connection() const
{
    return QSqlDatabase::database(connectionName_, false);
}

void TDatabase::SetConnected(bool connected)
{
    if (connected == connected_)
        return;
    if (!connected) {
        for (TDataSet* ds : std::vector<TDataSet*>(dataSets_))
            ds->Close();
        dataSets_.clear();
        {
            QSqlDatabase db = Connection();
            if (inTransaction_)
                db.rollback();
            db.close();
        }
        QSqlDatabase::removeDatabase(connectionName_);
        connected_ = false;
        inTransaction_ = false;
        InvalidateSchema();
        return;
    }
    const String path = FileName();
    auto fail = [&](const String& detail) {
        throw EDBEngineError({{kErrCannotConnect, "Unable to complete network request to host \"localhost\"."},
                              {kErrCannotConnect, detail}});
    };
    if (Trim(path).empty())
        fail("No database file given");
    if (!FileExists(path) || DirectoryExists(path))
        fail("I/O error for file \"" + path + "\"");
    String problem;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName_);
        db.setDatabaseName(Q(path));
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
        if (!db.open()) {
            problem = FromQString(db.lastError().text());
        } else {
            QSqlQuery q(db);
            // Reading the catalogue proves that the file is a database.
            if (!q.exec(QStringLiteral("SELECT COUNT(*) FROM sqlite_master")) ||
                !q.exec(QStringLiteral("PRAGMA foreign_keys=ON")) ||
                !q.exec(QStringLiteral("PRAGMA synchronous=NORMAL")))
                problem = FromQString(q.lastError().databaseText());
        }
        if (!problem.empty())
            db.close();
    }
    if (!problem.empty()) {
        QSqlDatabase::removeDatabase(connectionName_);
        fail("Database file \"" + path + "\" cannot be opened: " + problem);
    }
    connected_ = true;
}

void TDatabase::StartTransaction()
{
    if (!connected_)
        throw EDatabaseError("Cannot perform this operation on a closed database");
    if (inTransaction_)
        throw EDatabaseError("A transaction is already active");
    ExecSql("BEGIN");
    inTransaction_ = true;
}

void TDatabase::Commit()
{
    if (!inTransaction_)
        throw EDatabaseError("No transaction is active");
    ExecSql("COMMIT");
    inTransaction_ = false;
}

void TDatabase::Rollback()
{
    if (!inTransaction_)
        throw EDatabaseError("No transaction is active");
    inTransaction_ = false;
    ExecSql("ROLLBACK");
}

int TDatabase::ExecSql(const String& sql, const std::vector<Variant>& binds, int64_t* lastInsertId)
{
    if (!connected_)
        throw EDatabaseError("Cannot perform this operation on a closed database");
    QString error;
    int affected = 0;
    {
        QSqlQuery q(Connection());
        if (RunStatement(q, Q(sql), binds, error)) {
            affected = q.numRowsAffected();
            if (lastInsertId)
                *lastInsertId = q.lastInsertId().toLongLong();
        }
    }
    if (!error.isNull())
        RaiseSqlError(error, sql, binds);
    if (IsDdl(sql))
        InvalidateSchema();
    return affected;
}

void TDatabase::InvalidateSchema()
{
    schemaLoaded_ = false;
    tables_.clear();
    columnsByName_.clear();
}

void TDatabase::LoadSchema()
{
    if (schemaLoaded_ || !connected_)
        return;
    tables_.clear();
    columnsByName_.clear();
    QSqlDatabase db = Connection();
    std::vector<std::pair<QString, QString>> tableSql;
    std::vector<std::pair<QString, QString>> uniqueIndexes; // name, sql
    {
        QSqlQuery q(db);
        q.exec(QStringLiteral("SELECT type, name, tbl_name, sql FROM sqlite_master "
                              "WHERE type IN ('table','index') AND name NOT LIKE 'sqlite_%'"));
        while (q.next()) {
            if (q.value(0).toString() == QLatin1String("table"))
                tableSql.emplace_back(q.value(1).toString(), q.value(3).toString());
            else if (!q.value(3).isNull())
                uniqueIndexes.emplace_back(q.value(1).toString(), q.value(3).toString());
        }
    }
    static const QRegularExpression constraintRe(
        QStringLiteral("CONSTRAINT\\s+\"?(\\w+)\"?\\s+(PRIMARY\\s+KEY|UNIQUE|CHECK|FOREIGN\\s+KEY)\\s*\\(([^)]*)\\)"
                       "(?:\\s*REFERENCES\\s+\"?(\\w+)\"?)?"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression indexRe(
        QStringLiteral("^\\s*CREATE\\s+UNIQUE\\s+INDEX\\s+\"?(\\w+)\"?\\s+ON\\s+\"?(\\w+)\"?\\s*\\(([^)]*)\\)"),
        QRegularExpression::CaseInsensitiveOption);
    std::map<String, int> typeVotes;
    for (const auto& [name, sql] : tableSql) {
        TTableInfo info;
        info.name = FromQString(name);
        std::vector<String> pkColumns;
        {
            QSqlQuery q(db);
            q.exec(QStringLiteral("PRAGMA table_info(%1)").arg(QuoteIdent(info.name)));
            std::vector<std::pair<int, String>> pk;
            while (q.next()) {
                TColumnInfo c;
                c.name = FromQString(q.value(1).toString());
                c.declaredType = FromQString(q.value(2).toString());
                DeclaredToField(c.declaredType, c.type, c.size);
                c.notNull = q.value(3).toInt() != 0;
                if (q.value(5).toInt() > 0)
                    pk.emplace_back(q.value(5).toInt(), c.name);
                info.columns.push_back(c);
            }
            if (pk.size() == 1) {
                const TColumnInfo* c = info.Column(pk[0].second);
                if (c && Upper(c->declaredType) == "INTEGER")
                    info.rowidColumn = static_cast<int>(c - info.columns.data());
            }
        }
        auto it = constraintRe.globalMatch(sql);
        while (it.hasNext()) {
            const auto m = it.next();
            TConstraintInfo c;
            c.name = FromQString(m.captured(1));
            c.table = info.name;
            const String kind = Upper(FromQString(m.captured(2)));
            c.kind = StartsText("PRIMARY", kind) ? TConstraintInfo::PrimaryKey
                     : kind == "UNIQUE"          ? TConstraintInfo::Unique
                     : kind == "CHECK"           ? TConstraintInfo::Check
                                                 : TConstraintInfo::ForeignKey;
            if (c.kind != TConstraintInfo::Check)
                c.columns = SplitColumns(m.captured(3));
            c.parentTable = Upper(FromQString(m.captured(4)));
            info.constraints.push_back(c);
        }
        for (const TColumnInfo& c : info.columns) {
            const String key = Upper(c.name);
            auto found = columnsByName_.find(key);
            if (found == columnsByName_.end())
                columnsByName_[key] = c;
            else if (found->second.type != c.type)
                found->second.type = ftUnknown;
        }
        tables_[Upper(info.name)] = std::move(info);
    }
    for (const auto& [name, sql] : uniqueIndexes) {
        const auto m = indexRe.match(sql);
        if (!m.hasMatch())
            continue;
        auto t = tables_.find(Upper(FromQString(m.captured(2))));
        if (t == tables_.end())
            continue;
        TConstraintInfo c;
        c.kind = TConstraintInfo::Unique;
        c.name = FromQString(m.captured(1));
        c.table = t->second.name;
        c.columns = SplitColumns(m.captured(3));
        t->second.constraints.push_back(c);
    }
    schemaLoaded_ = true;
}

const TTableInfo* TDatabase::TableInfo(const String& table)
{
    LoadSchema();
    auto it = tables_.find(Upper(Trim(table)));
    return it == tables_.end() ? nullptr : &it->second;
}

const TColumnInfo* TDatabase::ColumnByName(const String& column)
{
    LoadSchema();
    auto it = columnsByName_.find(Upper(column));
    if (it == columnsByName_.end() || it->second.type == ftUnknown)
        return nullptr;
    return &it->second;
}

void TDatabase::AttachDataSet(TDataSet* dataSet)
{
    if (std::find(dataSets_.begin(), dataSets_.end(), dataSet) == dataSets_.end())
        dataSets_.push_back(dataSet);
}

void TDatabase::DetachDataSet(TDataSet* dataSet)
{
    dataSets_.erase(std::remove(dataSets_.begin(), dataSets_.end(), dataSet), dataSets_.end());
}

String TDatabase::DiagnoseForeignKey(const String& sql, const std::vector<Variant>& binds, String& table)
{
    // The file reports only that some foreign key failed. Running the statement again with the
    // check deferred, inside a savepoint that is rolled back, lets the file name the offending
    // row and key.
    QSqlDatabase db = Connection();
    String name;
    {
        QSqlQuery q(db);
        if (!q.exec(QStringLiteral("SAVEPOINT quelm_fk_diagnosis")))
            return name;
        q.exec(QStringLiteral("PRAGMA defer_foreign_keys=ON"));
        {
            QSqlQuery again(db);
            if (again.prepare(Q(sql))) {
                for (const Variant& v : binds)
                    again.addBindValue(v);
                again.exec();
            }
        }
        String child, parent;
        int fkid = -1;
        {
            QSqlQuery check(db);
            if (check.exec(QStringLiteral("PRAGMA foreign_key_check")) && check.next()) {
                child = FromQString(check.value(0).toString());
                parent = Upper(FromQString(check.value(2).toString()));
                fkid = check.value(3).toInt();
            }
        }
        std::vector<String> from;
        if (!child.empty()) {
            QSqlQuery list(db);
            list.exec(QStringLiteral("PRAGMA foreign_key_list(%1)").arg(QuoteIdent(child)));
            while (list.next())
                if (list.value(0).toInt() == fkid)
                    from.push_back(Upper(FromQString(list.value(3).toString())));
            std::sort(from.begin(), from.end());
        }
        q.exec(QStringLiteral("ROLLBACK TO quelm_fk_diagnosis"));
        q.exec(QStringLiteral("RELEASE quelm_fk_diagnosis"));
        q.exec(QStringLiteral("PRAGMA defer_foreign_keys=OFF"));
        if (child.empty())
            return name;
        table = child;
        if (const TTableInfo* info = TableInfo(child)) {
            table = info->name;
            for (const TConstraintInfo& c : info->constraints)
                if (c.kind == TConstraintInfo::ForeignKey && c.parentTable == parent && c.columns == from)
                    name = c.name;
        }
    }
    return name;
}

void TDatabase::RaiseSqlError(const QString& nativeText, const String& sql, const std::vector<Variant>& binds)
{
    const String text = FromQString(nativeText);
    static const String checkPrefix = "CHECK constraint failed: ";
    static const String uniquePrefix = "UNIQUE constraint failed: ";
    static const String notNullPrefix = "NOT NULL constraint failed: ";
    if (StartsText(checkPrefix, text)) {
        const String name = Trim(text.substr(checkPrefix.size()));
        String table;
        LoadSchema();
        for (const auto& [key, info] : tables_)
            for (const TConstraintInfo& c : info.constraints)
                if (c.kind == TConstraintInfo::Check && SameText(c.name, name))
                    table = info.name;
        EDBEngineError e({{kErrGeneralSql, "General SQL error."},
                          {kErrGeneralSql, "Operation violates CHECK constraint " + name + " on view or table " + table}});
        e.SetConstraintName(name);
        throw e;
    }
    if (StartsText(uniquePrefix, text)) {
        const QString list = Q(text.substr(uniquePrefix.size()));
        const std::vector<String> columns = SplitColumns(list);
        String table = FromQString(list.section(u',', 0, 0).trimmed().section(u'.', 0, 0));
        String name;
        if (const TTableInfo* info = TableInfo(table)) {
            table = info->name;
            for (const TConstraintInfo& c : info->constraints)
                if ((c.kind == TConstraintInfo::PrimaryKey || c.kind == TConstraintInfo::Unique) && c.columns == columns)
                    name = c.name;
        }
        EDBEngineError e({{kErrKeyViolation, "Key violation."},
                          {kErrKeyViolation, "violation of PRIMARY or UNIQUE KEY constraint \"" + name +
                                                 "\" on table \"" + table + "\""}});
        e.SetConstraintName(name);
        throw e;
    }
    if (StartsText("FOREIGN KEY constraint failed", text)) {
        String table;
        const String name = DiagnoseForeignKey(sql, binds, table);
        EDBEngineError e({{kErrForeignKey, "Foreign key violation."},
                          {kErrForeignKey, "violation of FOREIGN KEY constraint \"" + name + "\" on table \"" + table +
                                               "\""}});
        e.SetConstraintName(name);
        throw e;
    }
    if (StartsText(notNullPrefix, text)) {
        const String column = FromQString(Q(text.substr(notNullPrefix.size())).section(u'.', -1));
        throw EDBEngineError({{kErrGeneralSql, "General SQL error."},
                              {kErrGeneralSql, "validation error for column " + column + ", value \"*** null ***\""}});
    }
    throw EDBEngineError({{kErrGeneralSql, "General SQL error."}, {kErrGeneralSql, text}});
}

// ================================================================ TDBDataSet

TDBDataSet::~TDBDataSet()
{
    if (attached_)
        attached_->DetachDataSet(this);
}

TDatabase* TDBDataSet::Database() const
{
    return database_ ? database_ : Session().FindDatabase(DatabaseName);
}

TDatabase* TDBDataSet::OpenDatabase() const
{
    TDatabase* db = Database();
    if (!db)
        throw EDatabaseError("Unknown database: " + DatabaseName);
    if (!db->Connected())
        db->Open();
    db->AttachDataSet(const_cast<TDBDataSet*>(this));
    attached_ = db;
    return db;
}

void TDBDataSet::InternalClose()
{
    if (attached_)
        attached_->DetachDataSet(this);
    attached_ = nullptr;
}

// ================================================================ TTable

class TTable::MasterLink : public TDataLink {
public:
    explicit MasterLink(TTable* table) : table_(table) {}
    void ActiveChanged() override { table_->MasterChanged(true); }
    void DataSetChanged() override { table_->MasterChanged(true); }
    void DataSetScrolled(int) override { table_->MasterChanged(false); }
    void RecordChanged(TField*) override { table_->MasterChanged(false); }
    void CheckBrowseMode() override
    {
        if (table_->Active())
            table_->CheckBrowseMode();
    }

private:
    TTable* table_;
};

TTable::TTable() : masterLink_(std::make_unique<MasterLink>(this)) {}

TTable::~TTable()
{
    // a table that goes away does not reload for its master
    destroying_ = true;
    masterLink_->SetDataSource(nullptr);
}

TDataSource* TTable::MasterSource() const
{
    return masterLink_->DataSource();
}

void TTable::SetMasterSource(TDataSource* source)
{
    masterLink_->SetDataSource(source);
}

std::vector<String> TTable::IndexFields() const
{
    std::vector<String> out;
    for (const String& f : SplitString(IndexFieldNames, ';'))
        if (!Trim(f).empty())
            out.push_back(Trim(f));
    return out;
}

std::vector<Variant> TTable::MasterValues() const
{
    std::vector<Variant> values;
    if (!masterLink_->Active() || Trim(MasterFields).empty())
        return values;
    TDataSet* master = masterLink_->DataSet();
    for (const String& f : SplitString(MasterFields, ';')) {
        if (Trim(f).empty())
            continue;
        TField* field = master->FindField(Trim(f));
        values.push_back(field ? field->Value() : Variant());
    }
    return values;
}

void TTable::MasterChanged(bool force)
{
    if (!Active() || destroying_)
        return;
    const std::vector<Variant> values = MasterValues();
    if (!force && values.size() == appliedMaster_.size()) {
        bool same = true;
        for (size_t i = 0; i < values.size() && same; ++i)
            same = CompareVariants(values[i], appliedMaster_[i], false) == 0 &&
                   VarIsNull(values[i]) == VarIsNull(appliedMaster_[i]);
        if (same)
            return;
    }
    CheckBrowseMode();
    Fire(BeforeScroll);
    ReloadRows(0);
    DataEvent(deDataSetChange);
    Fire(AfterScroll);
}

void TTable::InternalOpen(std::vector<std::unique_ptr<TField>>& fields, std::vector<Row>& rows)
{
    TDatabase* db = OpenDatabase();
    const TTableInfo* info = db->TableInfo(TableName);
    if (!info)
        throw EDBEngineError({{kErrGeneralSql, "General SQL error."},
                              {kErrGeneralSql, "Table unknown " + UpperCase(TableName)}});
    tableSql_ = info->name;
    if (fields.empty()) {
        for (const TColumnInfo& c : info->columns)
            AddField(c.name, c.type, c.size, c.notNull);
    }
    QString sql = QStringLiteral("SELECT _ROWID_, * FROM %1").arg(QuoteIdent(tableSql_));
    const std::vector<String> index = IndexFields();
    appliedMaster_ = MasterValues();
    std::vector<QVariant> binds;
    if (!appliedMaster_.empty()) {
        QStringList where;
        for (size_t k = 0; k < appliedMaster_.size(); ++k) {
            if (k >= index.size())
                throw EDatabaseError(Name + ": the master fields outnumber the index fields");
            TField* f = FindField(index[k]);
            if (!f)
                throw EDatabaseError(Name + ": Field '" + index[k] + "' not found");
            where << QStringLiteral("%1 = ?").arg(QuoteIdent(f->FieldName()));
            binds.push_back(ToDb(f->DataType(), appliedMaster_[k]));
        }
        sql += QStringLiteral(" WHERE ") + where.join(QStringLiteral(" AND "));
    }
    QStringList order;
    for (const String& f : index)
        order << QuoteIdent(f);
    order << QStringLiteral("_ROWID_");
    sql += QStringLiteral(" ORDER BY ") + order.join(QStringLiteral(", "));

    QString error;
    {
        QSqlQuery q(db->Connection());
        if (RunStatement(q, sql, binds, error)) {
            const int n = static_cast<int>(fields.size());
            while (q.next()) {
                Row row;
                row.rowId = q.value(0).toLongLong();
                row.values.resize(n);
                for (int i = 0; i < n; ++i)
                    row.values[i] = FromDb(fields[i]->DataType(), q.value(i + 1));
                rows.push_back(std::move(row));
            }
        }
    }
    if (!error.isNull())
        db->RaiseSqlError(error, FromQString(sql), {});
}

std::vector<int> TTable::OrderFields() const
{
    std::vector<int> out;
    for (const String& f : IndexFields())
        if (TField* field = FindField(f))
            out.push_back(field->Index());
    return out;
}

void TTable::InternalInitRecord(Row& row)
{
    // A new detail row starts with its master's key in the linked fields.
    const std::vector<Variant> values = MasterValues();
    const std::vector<String> index = IndexFields();
    for (size_t k = 0; k < values.size() && k < index.size(); ++k)
        if (TField* f = FindField(index[k]))
            row.values[f->Index()] = f->Coerce(values[k]);
}

void TTable::InternalPost(Row& row, const std::vector<bool>& changed, bool inserting)
{
    TDatabase* db = OpenDatabase();
    QStringList columns, markers;
    std::vector<Variant> binds;
    for (int i = 0; i < FieldCount(); ++i) {
        TField* f = Fields(i);
        const bool write = inserting ? !VarIsNull(row.values[i]) : changed[i];
        if (!write)
            continue;
        columns << QuoteIdent(f->FieldName());
        markers << QStringLiteral("?");
        binds.push_back(ToDb(f->DataType(), row.values[i]));
    }
    if (inserting) {
        const QString sql = columns.isEmpty()
                                ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(QuoteIdent(tableSql_))
                                : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                      .arg(QuoteIdent(tableSql_), columns.join(u','), markers.join(u','));
        int64_t rowId = 0;
        db->ExecSql(FromQString(sql), binds, &rowId);
        row.rowId = rowId;
        // Read the row back: the file may have filled defaults.
        QSqlQuery q(db->Connection());
        q.prepare(QStringLiteral("SELECT * FROM %1 WHERE _ROWID_ = ?").arg(QuoteIdent(tableSql_)));
        q.addBindValue(static_cast<qlonglong>(rowId));
        if (q.exec() && q.next())
            for (int i = 0; i < FieldCount(); ++i)
                row.values[i] = FromDb(Fields(i)->DataType(), q.value(i));
        return;
    }
    if (columns.isEmpty())
        return;
    QStringList sets;
    for (const QString& c : columns)
        sets << c + QStringLiteral(" = ?");
    binds.push_back(static_cast<qlonglong>(row.rowId));
    db->ExecSql(FromQString(QStringLiteral("UPDATE %1 SET %2 WHERE _ROWID_ = ?")
                                .arg(QuoteIdent(tableSql_), sets.join(QStringLiteral(", ")))),
                binds);
    if (const TTableInfo* info = db->TableInfo(tableSql_); info && info->rowidColumn >= 0) {
        if (TField* key = FindField(info->columns[info->rowidColumn].name); key && !VarIsNull(row.values[key->Index()]))
            row.rowId = row.values[key->Index()].toLongLong();
    }
}

void TTable::InternalDelete(const Row& row)
{
    TDatabase* db = OpenDatabase();
    db->ExecSql(FromQString(QStringLiteral("DELETE FROM %1 WHERE _ROWID_ = ?").arg(QuoteIdent(tableSql_))),
                {static_cast<qlonglong>(row.rowId)});
}

// ================================================================ TQuery

TQuery::TQuery() = default;

String TQuery::Parse(std::vector<int>& order)
{
    const String text = SQL.Text();
    String out;
    std::vector<String> names;
    for (size_t i = 0; i < text.size();) {
        const char c = text[i];
        if (c == '\'' || c == '"') {
            const size_t end = text.find(c, i + 1);
            const size_t stop = end == String::npos ? text.size() : end + 1;
            out += text.substr(i, stop - i);
            i = stop;
            continue;
        }
        if (c == '-' && i + 1 < text.size() && text[i + 1] == '-') {
            const size_t end = text.find('\n', i);
            const size_t stop = end == String::npos ? text.size() : end;
            out += text.substr(i, stop - i);
            i = stop;
            continue;
        }
        if (c == ':' && i + 1 < text.size() &&
            (std::isalpha(static_cast<unsigned char>(text[i + 1])) || text[i + 1] == '_')) {
            size_t j = i + 1;
            while (j < text.size() && (std::isalnum(static_cast<unsigned char>(text[j])) || text[j] == '_'))
                ++j;
            names.push_back(text.substr(i + 1, j - i - 1));
            out += '?';
            i = j;
            continue;
        }
        out += c;
        ++i;
    }
    if (parsedFor_ != text) {
        std::vector<std::unique_ptr<TParam>> params;
        for (const String& n : names) {
            bool seen = false;
            for (const auto& p : params)
                seen = seen || SameText(p->Name, n);
            if (seen)
                continue;
            auto p = std::make_unique<TParam>();
            p->Name = n;
            for (const auto& old : params_)
                if (SameText(old->Name, n)) {
                    p->Value = old->Value;
                    p->DataType = old->DataType;
                }
            params.push_back(std::move(p));
        }
        params_ = std::move(params);
        parsedFor_ = text;
    }
    order.clear();
    for (const String& n : names)
        for (size_t k = 0; k < params_.size(); ++k)
            if (SameText(params_[k]->Name, n))
                order.push_back(static_cast<int>(k));
    return out;
}

std::vector<Variant> TQuery::BindValues(const std::vector<int>& order)
{
    std::vector<Variant> binds;
    for (int k : order) {
        const TParam& p = *params_[k];
        binds.push_back(ToDb(p.DataType, p.Value));
    }
    return binds;
}

TParam* TQuery::FindParam(const String& name)
{
    std::vector<int> order;
    Parse(order);
    for (const auto& p : params_)
        if (SameText(p->Name, name))
            return p.get();
    return nullptr;
}

TParam* TQuery::ParamByName(const String& name)
{
    TParam* p = FindParam(name);
    if (!p)
        throw EDatabaseError((Name.empty() ? String() : Name + ": ") + "Parameter '" + name + "' not found");
    return p;
}

int TQuery::ParamCount()
{
    std::vector<int> order;
    Parse(order);
    return static_cast<int>(params_.size());
}

TParam* TQuery::Params(int index)
{
    std::vector<int> order;
    Parse(order);
    return params_.at(index).get();
}

void TQuery::Prepare()
{
    std::vector<int> order;
    Parse(order);
    prepared_ = true;
}

void TQuery::ExecSQL()
{
    CheckInactive();
    std::vector<int> order;
    const String sql = Parse(order);
    TDatabase* db = Database();
    if (!db)
        throw EDatabaseError("Unknown database: " + DatabaseName);
    if (!db->Connected())
        db->Open();
    rowsAffected_ = db->ExecSql(sql, BindValues(order));
}

namespace {

// SQLite names a column of a nested join "NAME:1" when it flattens the join, although the
// statement names it once ("SELECT Locations.SoilProfileCode ... FROM A INNER JOIN ((B ...)))").
// The column keeps its own name unless another result column has that name.
void StripJoinNameSuffixes(std::vector<String>& names)
{
    for (String& name : names) {
        const size_t colon = name.rfind(':');
        if (colon == String::npos || colon == 0 || colon + 1 == name.size() ||
            name.find_first_not_of("0123456789", colon + 1) != String::npos)
            continue;
        const String plain = name.substr(0, colon);
        bool taken = false;
        for (const String& other : names)
            taken = taken || SameText(other, plain);
        if (!taken)
            name = plain;
    }
}

} // namespace

void TQuery::InternalOpen(std::vector<std::unique_ptr<TField>>& fields, std::vector<Row>& rows)
{
    TDatabase* db = OpenDatabase();
    std::vector<int> order;
    const String sql = Parse(order);
    const std::vector<Variant> binds = BindValues(order);
    QString error;
    std::vector<String> names;
    std::vector<std::vector<QVariant>> raw;
    {
        QSqlQuery q(db->Connection());
        if (RunStatement(q, Q(sql), binds, error)) {
            const QSqlRecord rec = q.record();
            for (int i = 0; i < rec.count(); ++i)
                names.push_back(FromQString(rec.fieldName(i)));
            StripJoinNameSuffixes(names);
            while (q.next()) {
                std::vector<QVariant> values(names.size());
                for (size_t i = 0; i < names.size(); ++i)
                    values[i] = q.value(static_cast<int>(i));
                raw.push_back(std::move(values));
            }
        }
    }
    if (!error.isNull())
        db->RaiseSqlError(error, sql, binds);
    if (fields.empty()) {
        static const QRegularExpression isoDate(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}( \\d{2}:\\d{2}(:\\d{2}(\\.\\d+)?)?)?$"));
        for (size_t i = 0; i < names.size(); ++i) {
            TFieldType type = ftUnknown;
            int size = 0;
            if (const TColumnInfo* c = db->ColumnByName(names[i])) {
                type = c->type;
                size = c->size;
            } else {
                // An expression column: its type is that of its values.
                for (const auto& r : raw) {
                    const QVariant& v = r[i];
                    if (v.isNull())
                        continue;
                    if (v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Int)
                        type = ftInteger;
                    else if (v.typeId() == QMetaType::Double)
                        type = ftFloat;
                    else if (isoDate.match(v.toString()).hasMatch())
                        type = ftDateTime;
                    else
                        type = ftString;
                    break;
                }
                if (type == ftUnknown)
                    type = ftString;
            }
            AddField(names[i], type, size, false);
        }
    }
    int64_t id = 0;
    for (auto& r : raw) {
        Row row;
        row.rowId = ++id;
        row.values.resize(fields.size());
        for (size_t i = 0; i < fields.size() && i < r.size(); ++i)
            row.values[i] = FromDb(fields[i]->DataType(), r[i]);
        rows.push_back(std::move(row));
    }
}

// ================================================================ scripts

void ExecuteSqlScript(TDatabase& db, const String& script)
{
    std::vector<String> statements;
    String current;
    for (size_t i = 0; i < script.size();) {
        const char c = script[i];
        if (c == '\'' || c == '"') {
            const size_t end = script.find(c, i + 1);
            const size_t stop = end == String::npos ? script.size() : end + 1;
            current += script.substr(i, stop - i);
            i = stop;
            continue;
        }
        if (c == '-' && i + 1 < script.size() && script[i + 1] == '-') {
            const size_t end = script.find('\n', i);
            i = end == String::npos ? script.size() : end;
            continue;
        }
        if (c == '/' && i + 1 < script.size() && script[i + 1] == '*') {
            const size_t end = script.find("*/", i + 2);
            i = end == String::npos ? script.size() : end + 2;
            continue;
        }
        if (c == ';') {
            if (!Trim(current).empty())
                statements.push_back(Trim(current));
            current.clear();
            ++i;
            continue;
        }
        current += c;
        ++i;
    }
    if (!Trim(current).empty())
        statements.push_back(Trim(current));
    const bool own = !db.InTransaction();
    if (own)
        db.StartTransaction();
    try {
        for (const String& s : statements)
            db.ExecSql(s);
        if (own)
            db.Commit();
    } catch (...) {
        if (own)
            db.Rollback();
        throw;
    }
}
