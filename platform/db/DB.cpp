#include "platform/db/DB.h"
#include "platform/db/DBTables.h"

#include <QDateTime>
#include <QRegularExpression>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <cmath>
#include <limits>

// ================================================================ values

Variant Null()
{
    return Variant();
}

bool VarIsNull(const Variant& v)
{
    return !v.isValid() || v.isNull();
}

namespace {

bool IsNumber(const Variant& v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Bool:
        return true;
    default:
        return false;
    }
}

bool IsText(const Variant& v)
{
    return v.typeId() == QMetaType::QString;
}

String UpperQ(const QString& s)
{
    return FromQString(s.toUpper());
}

} // namespace

int CompareVariants(const Variant& a, const Variant& b, bool caseInsensitive)
{
    const bool an = VarIsNull(a), bn = VarIsNull(b);
    if (an || bn)
        return an == bn ? 0 : (an ? -1 : 1);
    if (IsNumber(a) && IsNumber(b)) {
        const double x = a.toDouble(), y = b.toDouble();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    if (IsNumber(a) != IsNumber(b)) {
        // A number against a text: compare as numbers when the text is one, else numbers
        // sort before texts, as in the database.
        const Variant& t = IsNumber(a) ? b : a;
        double parsed = 0;
        if (TryStrToFloat(FromQString(t.toString()), parsed)) {
            const double x = IsNumber(a) ? a.toDouble() : parsed;
            const double y = IsNumber(b) ? b.toDouble() : parsed;
            return x < y ? -1 : (x > y ? 1 : 0);
        }
        return IsNumber(a) ? -1 : 1;
    }
    const int c = QString::compare(a.toString(), b.toString(),
                                   caseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

QString DateTimeToSqlText(TDateTime dt)
{
    int y = 0, m = 0, d = 0, h = 0, n = 0, s = 0, ms = 0;
    DecodeDate(dt, y, m, d);
    DecodeTime(dt, h, n, s, ms);
    QString text = QString::asprintf("%04d-%02d-%02d", y, m, d);
    if (h || n || s || ms) {
        text += QString::asprintf(" %02d:%02d:%02d", h, n, s);
        if (ms)
            text += QString::asprintf(".%03d", ms);
    }
    return text;
}

bool SqlTextToDateTime(const QString& text, TDateTime& dt)
{
    // The form every stored date takes ("yyyy-mm-dd"), read without the pattern below: long
    // series (20 years of daily weather) are read row by row.
    if (text.size() == 10 && text[4] == u'-' && text[7] == u'-') {
        int part[3] = {0, 0, 0};
        const int start[3] = {0, 5, 8};
        const int length[3] = {4, 2, 2};
        bool digits = true;
        for (int k = 0; k < 3 && digits; ++k)
            for (int i = start[k]; i < start[k] + length[k] && digits; ++i) {
                const char16_t c = text[i].unicode();
                digits = c >= u'0' && c <= u'9';
                part[k] = part[k] * 10 + (c - u'0');
            }
        if (digits)
            return TryEncodeDate(part[0], part[1], part[2], dt);
    }
    static const QRegularExpression re(
        QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2})(?:[ T](\\d{2}):(\\d{2})(?::(\\d{2})(?:\\.(\\d{1,3})\\d*)?)?)?$"));
    const auto m = re.match(text.trimmed());
    if (!m.hasMatch())
        return false;
    TDateTime date = 0, time = 0;
    if (!TryEncodeDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt(), date))
        return false;
    if (m.capturedLength(4)) {
        QString msText = m.captured(7);
        while (!msText.isEmpty() && msText.size() < 3)
            msText += u'0';
        if (!TryEncodeTime(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt(),
                           msText.toInt(), time))
            return false;
    }
    dt = date + time;
    return true;
}

// ================================================================ TField

TField::TField(TDataSet* dataSet, String name, TFieldType type, int size, bool required, int index)
    : dataSet_(dataSet), name_(std::move(name)), type_(type), size_(size), required_(required), index_(index)
{
}

bool TField::IsNull() const
{
    return VarIsNull(Value());
}

Variant TField::Value() const
{
    return dataSet_->CurrentValue(index_);
}

String TField::AsString() const
{
    return TextOf(Value());
}

String TField::TextOf(const Variant& v) const
{
    if (VarIsNull(v))
        return String();
    switch (type_) {
    case ftDateTime:
        return IsNumber(v) ? DateTimeToStr(v.toDouble()) : FromQString(v.toString());
    case ftDate:
        return IsNumber(v) ? DateToStr(v.toDouble()) : FromQString(v.toString());
    default:
        break;
    }
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return IntToStr(v.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return FloatToStr(v.toDouble());
    case QMetaType::Bool:
        return v.toBool() ? "True" : "False";
    default:
        return FromQString(v.toString());
    }
}

int TField::AsInteger() const
{
    const Variant v = Value();
    if (VarIsNull(v))
        return 0;
    if (IsNumber(v))
        return static_cast<int>(std::llround(v.toDouble()));
    return StrToInt(FromQString(v.toString()));
}

double TField::AsFloat() const
{
    const Variant v = Value();
    if (VarIsNull(v))
        return 0;
    if (IsNumber(v))
        return v.toDouble();
    TDateTime dt = 0;
    if (SqlTextToDateTime(v.toString(), dt))
        return dt;
    return StrToFloat(FromQString(v.toString()));
}

TDateTime TField::AsDateTime() const
{
    const Variant v = Value();
    if (VarIsNull(v))
        return 0;
    if (IsNumber(v))
        return v.toDouble();
    TDateTime dt = 0;
    if (SqlTextToDateTime(v.toString(), dt))
        return dt;
    return StrToDateTime(FromQString(v.toString()));
}

bool TField::AsBoolean() const
{
    const Variant v = Value();
    if (VarIsNull(v))
        return false;
    if (IsNumber(v))
        return v.toDouble() != 0;
    const String s = UpperCase(Trim(FromQString(v.toString())));
    return s == "TRUE" || s == "YES" || s == "T" || s == "Y";
}

Variant TField::Coerce(const Variant& v) const
{
    if (VarIsNull(v))
        return Variant();
    switch (type_) {
    case ftString:
    case ftMemo: {
        QString text;
        if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float)
            text = ToQString(FloatToStr(v.toDouble()));
        else
            text = v.toString();
        if (size_ > 0 && text.size() > size_) {
            throw EDBEngineError({{0x3303, "General SQL error."},
                                  {0x3303, "arithmetic exception, numeric overflow, or string truncation"},
                                  {0x3303, Format("Field '%s' holds at most %d characters, %d given",
                                                  {name_, size_, static_cast<int>(text.size())})}});
        }
        return text;
    }
    case ftInteger: {
        double d = 0;
        if (IsNumber(v)) {
            d = v.toDouble();
        } else {
            const String s = Trim(FromQString(v.toString()));
            if (s.empty())
                return Variant();
            int64_t i = 0;
            if (!TryStrToInt64(s, i))
                throw EConvertError("'" + s + "' is not a valid integer value");
            d = static_cast<double>(i);
        }
        if (!std::isfinite(d) || d < std::numeric_limits<int>::min() || d > std::numeric_limits<int>::max())
            throw EDatabaseError(Format("%s is not a valid value for field '%s'. The allowed range is %d to %d",
                                        {FloatToStr(d), name_, std::numeric_limits<int>::min(),
                                         std::numeric_limits<int>::max()}));
        return Variant(static_cast<qlonglong>(std::llround(d)));
    }
    case ftFloat: {
        if (IsNumber(v)) {
            const double d = v.toDouble();
            if (!std::isfinite(d))
                throw EDatabaseError("Invalid floating point value for field '" + name_ + "'");
            return Variant(d);
        }
        const String s = Trim(FromQString(v.toString()));
        if (s.empty())
            return Variant();
        return Variant(StrToFloat(s));
    }
    case ftDateTime:
    case ftDate: {
        if (IsNumber(v))
            return Variant(v.toDouble());
        if (v.typeId() == QMetaType::QDateTime || v.typeId() == QMetaType::QDate) {
            const QDateTime qdt = v.toDateTime();
            TDateTime d = EncodeDate(qdt.date().year(), qdt.date().month(), qdt.date().day());
            const QTime t = qdt.time();
            d += EncodeTime(t.hour(), t.minute(), t.second(), t.msec());
            return Variant(d);
        }
        const QString text = v.toString().trimmed();
        if (text.isEmpty())
            return Variant();
        TDateTime dt = 0;
        if (SqlTextToDateTime(text, dt))
            return Variant(dt);
        return Variant(StrToDateTime(FromQString(text)));
    }
    case ftBoolean:
        return Variant(v.toBool());
    default:
        return v;
    }
}

void TField::SetValue(const Variant& v)
{
    if (ReadOnly)
        throw EDatabaseError("Field '" + name_ + "' cannot be modified");
    dataSet_->SetCurrentValue(index_, Coerce(v));
}

void TField::SetAsString(const String& s)
{
    SetValue(Variant(ToQString(s)));
}

void TField::SetAsInteger(int v)
{
    SetValue(Variant(static_cast<qlonglong>(v)));
}

void TField::SetAsFloat(double v)
{
    SetValue(Variant(v));
}

void TField::SetAsDateTime(TDateTime v)
{
    if (type_ == ftString || type_ == ftMemo)
        SetValue(Variant(ToQString(DateTimeToStr(v))));
    else
        SetValue(Variant(v));
}

void TField::SetAsBoolean(bool v)
{
    if (type_ == ftString || type_ == ftMemo)
        SetValue(Variant(v ? QStringLiteral("True") : QStringLiteral("False")));
    else
        SetValue(Variant(v ? 1LL : 0LL));
}

void TField::Clear()
{
    SetValue(Variant());
}

// ================================================================ TDataLink and TDataSource

TDataLink::~TDataLink()
{
    SetDataSource(nullptr);
}

void TDataLink::SetDataSource(TDataSource* source)
{
    if (source == dataSource_)
        return;
    if (dataSource_)
        dataSource_->RemoveLink(this);
    dataSource_ = source;
    if (dataSource_)
        dataSource_->AddLink(this);
    ActiveChanged();
}

TDataSet* TDataLink::DataSet() const
{
    return dataSource_ ? dataSource_->DataSet() : nullptr;
}

bool TDataLink::Active() const
{
    return dataSource_ && dataSource_->Enabled() && dataSource_->DataSet() && dataSource_->DataSet()->Active();
}

bool TDataLink::Editing() const
{
    return Active() && (DataSet()->State() == dsEdit || DataSet()->State() == dsInsert);
}

bool TDataLink::Edit()
{
    if (!Active())
        return false;
    if (!Editing())
        dataSource_->Edit();
    return Editing();
}

void TDataLink::UpdateRecord()
{
    updating_ = true;
    try {
        UpdateData();
    } catch (...) {
        updating_ = false;
        throw;
    }
    updating_ = false;
}

void TDataLink::DataEvent(TDataEvent event, TField* field)
{
    switch (event) {
    case deFieldChange:
    case deRecordChange:
        if (!updating_)
            RecordChanged(field);
        break;
    case deDataSetChange:
        DataSetChanged();
        break;
    case deDataSetScroll:
        DataSetScrolled(0);
        break;
    case deLayoutChange:
        LayoutChanged();
        break;
    case deUpdateRecord:
        UpdateRecord();
        break;
    case deUpdateState:
        ActiveChanged();
        EditingChanged();
        break;
    case deCheckBrowseMode:
        CheckBrowseMode();
        break;
    }
}

TDataSource::~TDataSource()
{
    // A source that goes away tells its links, not its own handlers (whose owner may be
    // gone already).
    OnStateChange = nullptr;
    OnDataChange = nullptr;
    OnUpdateData = nullptr;
    // the links follow as far as they can: a destructor does not throw
    try {
        SetDataSet(nullptr);
    } catch (...) {
    }
    for (TDataLink* link : std::vector<TDataLink*>(links_)) {
        try {
            link->SetDataSource(nullptr);
        } catch (...) {
        }
    }
}

void TDataSource::SetDataSet(TDataSet* dataSet)
{
    if (dataSet == dataSet_)
        return;
    if (dataSet_) {
        auto& s = dataSet_->sources_;
        s.erase(std::remove(s.begin(), s.end(), this), s.end());
    }
    dataSet_ = dataSet;
    if (dataSet_)
        dataSet_->sources_.push_back(this);
    DataEvent(deUpdateState, nullptr);
}

TDataSetState TDataSource::State() const
{
    return dataSet_ && enabled_ ? dataSet_->State() : dsInactive;
}

void TDataSource::SetEnabled(bool enabled)
{
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    DataEvent(deUpdateState, nullptr);
}

void TDataSource::Edit()
{
    if (AutoEdit && dataSet_ && dataSet_->State() == dsBrowse)
        dataSet_->Edit();
}

void TDataSource::AddLink(TDataLink* link)
{
    links_.push_back(link);
}

void TDataSource::RemoveLink(TDataLink* link)
{
    links_.erase(std::remove(links_.begin(), links_.end(), link), links_.end());
}

void TDataSource::DataEvent(TDataEvent event, TField* field)
{
    if (event == deUpdateState && OnStateChange)
        OnStateChange(this);
    // Links may detach themselves while they are notified.
    for (TDataLink* link : std::vector<TDataLink*>(links_)) {
        if (std::find(links_.begin(), links_.end(), link) != links_.end())
            link->DataEvent(event, field);
    }
    switch (event) {
    case deFieldChange:
    case deRecordChange:
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange:
        if (OnDataChange)
            OnDataChange(this, field);
        break;
    case deUpdateRecord:
        if (OnUpdateData)
            OnUpdateData(this);
        break;
    default:
        break;
    }
}

// ================================================================ filter expressions

struct TDataSet::FilterNode {
    enum Kind { And, Or, Not, Compare } kind = Compare;
    std::shared_ptr<FilterNode> left, right;
    String field;
    String op;
    Variant literal;
};

namespace {

class FilterParser {
public:
    explicit FilterParser(const String& text) : s_(text) {}

    std::shared_ptr<TDataSet::FilterNode> Parse()
    {
        auto node = ParseOr();
        SkipBlanks();
        if (pos_ != s_.size())
            Fail();
        return node;
    }

private:
    using Node = TDataSet::FilterNode;

    [[noreturn]] void Fail() const
    {
        throw EDatabaseError("Filter expression incorrectly terminated: \"" + s_ + "\"");
    }

    void SkipBlanks()
    {
        while (pos_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[pos_])))
            ++pos_;
    }

    bool Keyword(const char* word)
    {
        SkipBlanks();
        const size_t n = std::strlen(word);
        if (pos_ + n > s_.size() || !SameText(s_.substr(pos_, n), word))
            return false;
        if (pos_ + n < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[pos_ + n])) || s_[pos_ + n] == '_'))
            return false;
        pos_ += n;
        return true;
    }

    std::shared_ptr<Node> ParseOr()
    {
        auto left = ParseAnd();
        while (Keyword("or")) {
            auto n = std::make_shared<Node>();
            n->kind = Node::Or;
            n->left = left;
            n->right = ParseAnd();
            left = n;
        }
        return left;
    }

    std::shared_ptr<Node> ParseAnd()
    {
        auto left = ParseUnary();
        while (Keyword("and")) {
            auto n = std::make_shared<Node>();
            n->kind = Node::And;
            n->left = left;
            n->right = ParseUnary();
            left = n;
        }
        return left;
    }

    std::shared_ptr<Node> ParseUnary()
    {
        if (Keyword("not")) {
            auto n = std::make_shared<Node>();
            n->kind = Node::Not;
            n->left = ParseUnary();
            return n;
        }
        SkipBlanks();
        if (pos_ < s_.size() && s_[pos_] == '(') {
            ++pos_;
            auto n = ParseOr();
            SkipBlanks();
            if (pos_ >= s_.size() || s_[pos_] != ')')
                Fail();
            ++pos_;
            return n;
        }
        return ParseCompare();
    }

    std::shared_ptr<Node> ParseCompare()
    {
        auto n = std::make_shared<Node>();
        SkipBlanks();
        if (pos_ < s_.size() && s_[pos_] == '[') {
            const size_t end = s_.find(']', pos_);
            if (end == String::npos)
                Fail();
            n->field = s_.substr(pos_ + 1, end - pos_ - 1);
            pos_ = end + 1;
        } else {
            const size_t start = pos_;
            while (pos_ < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[pos_])) || s_[pos_] == '_'))
                ++pos_;
            n->field = s_.substr(start, pos_ - start);
        }
        if (n->field.empty())
            Fail();
        SkipBlanks();
        static const char* ops[] = {"<>", "!=", "<=", ">=", "=", "<", ">"};
        for (const char* op : ops) {
            if (s_.compare(pos_, std::strlen(op), op) == 0) {
                n->op = op;
                pos_ += std::strlen(op);
                break;
            }
        }
        if (n->op.empty()) {
            if (Keyword("is")) {
                const bool negate = Keyword("not");
                if (!Keyword("null"))
                    Fail();
                n->op = negate ? "isnotnull" : "isnull";
                return n;
            }
            Fail();
        }
        SkipBlanks();
        if (pos_ < s_.size() && s_[pos_] == '\'') {
            String text;
            ++pos_;
            for (;;) {
                if (pos_ >= s_.size())
                    Fail();
                if (s_[pos_] == '\'') {
                    if (pos_ + 1 < s_.size() && s_[pos_ + 1] == '\'') {
                        text.push_back('\'');
                        pos_ += 2;
                        continue;
                    }
                    ++pos_;
                    break;
                }
                text.push_back(s_[pos_++]);
            }
            n->literal = ToQString(text);
        } else {
            const size_t start = pos_;
            while (pos_ < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[pos_])) || s_[pos_] == '.' ||
                                        s_[pos_] == '-' || s_[pos_] == '+'))
                ++pos_;
            const String word = s_.substr(start, pos_ - start);
            double d = 0;
            if (SameText(word, "null"))
                n->literal = Variant();
            else if (TryStrToFloat(word, d))
                n->literal = d;
            else
                Fail();
        }
        return n;
    }

    String s_;
    size_t pos_ = 0;
};

} // namespace

// ================================================================ TDataSet

TDataSet::TDataSet() = default;

TDataSet::~TDataSet()
{
    // The sources lose their data set; what follows them (a detail that reloads) may fail, and a
    // destructor does not throw: a link that could not follow keeps what it showed.
    for (TDataSource* source : std::vector<TDataSource*>(sources_)) {
        try {
            source->SetDataSet(nullptr);
        } catch (...) {
        }
    }
}

void TDataSet::SetActive(bool active)
{
    if (active)
        Open();
    else
        Close();
}

void TDataSet::Open()
{
    if (Active())
        return;
    Fire(BeforeOpen);
    fields_.clear();
    rows_.clear();
    InternalOpen(fields_, rows_);
    if (filtered_ && filterTree_)
        rows_.erase(std::remove_if(rows_.begin(), rows_.end(), [this](const Row& r) { return !RowPassesFilter(r); }),
                    rows_.end());
    cursor_ = rows_.empty() ? -1 : 0;
    bof_ = true;
    eof_ = rows_.empty();
    SetState(dsBrowse);
    Fire(AfterOpen);
    if (!rows_.empty())
        Fire(AfterScroll);
}

void TDataSet::Close()
{
    if (!Active())
        return;
    Fire(BeforeClose);
    state_ = dsInactive;
    modified_ = false;
    InternalClose();
    rows_.clear();
    cursor_ = -1;
    eof_ = bof_ = true;
    DataEvent(deUpdateState);
    fields_.clear();
    Fire(AfterClose);
}

void TDataSet::SetState(TDataSetState state)
{
    if (state_ == state)
        return;
    state_ = state;
    modified_ = false;
    DataEvent(deUpdateState);
}

void TDataSet::CheckActive() const
{
    if (!Active())
        throw EDatabaseError(Name.empty() ? String("Cannot perform this operation on a closed dataset")
                                          : Name + ": Cannot perform this operation on a closed dataset");
}

void TDataSet::CheckInactive() const
{
    if (Active())
        throw EDatabaseError(Name + ": Cannot perform this operation on an open dataset");
}

bool TDataSet::IsEmpty() const
{
    if (state_ == dsInsert)
        return false;
    return rows_.empty();
}

int TDataSet::RecordCount() const
{
    CheckActive();
    return static_cast<int>(rows_.size());
}

int TDataSet::RecNo() const
{
    return cursor_ < 0 ? 0 : cursor_ + 1;
}

const TDataSet::Row* TDataSet::CurrentRow() const
{
    if (cursor_ < 0 || cursor_ >= static_cast<int>(rows_.size()))
        return nullptr;
    return &rows_[cursor_];
}

Variant TDataSet::RowValue(int row, int fieldIndex) const
{
    if (row == cursor_ && (state_ == dsEdit || state_ == dsInsert))
        return editRow_.values.at(fieldIndex);
    if (row < 0 || row >= static_cast<int>(rows_.size()))
        return Variant();
    return rows_[row].values.at(fieldIndex);
}

Variant TDataSet::StoredRowValue(int row, int fieldIndex) const
{
    if (row < 0 || row >= static_cast<int>(rows_.size()))
        return Variant();
    return rows_[row].values.at(fieldIndex);
}

String TDataSet::RowText(int row, int fieldIndex) const
{
    return Fields(fieldIndex)->TextOf(RowValue(row, fieldIndex));
}

void TDataSet::CheckCursorInvariant() const
{
    QUELM_INVARIANT(state_ != dsBrowse ||
                        (rows_.empty() ? cursor_ == -1 : cursor_ >= 0 && cursor_ < static_cast<int>(rows_.size())),
                    "while browsing, the cursor is at a row of the snapshot, or at none exactly when it is empty");
}

Variant TDataSet::CurrentValue(int fieldIndex) const
{
    CheckCursorInvariant();
    if (state_ == dsEdit || state_ == dsInsert)
        return editRow_.values.at(fieldIndex);
    const Row* row = CurrentRow();
    if (!row || fieldIndex < 0 || fieldIndex >= static_cast<int>(row->values.size()))
        return Variant();
    return row->values[fieldIndex];
}

void TDataSet::SetCurrentValue(int fieldIndex, const Variant& value)
{
    if (state_ != dsEdit && state_ != dsInsert)
        throw EDatabaseError(Name.empty() ? String("Dataset not in edit or insert mode")
                                          : Name + ": Dataset not in edit or insert mode");
    editRow_.values.at(fieldIndex) = value;
    changed_.at(fieldIndex) = true;
    modified_ = true;
    DataEvent(deFieldChange, fields_.at(fieldIndex).get());
}

TField* TDataSet::Fields(int index) const
{
    if (index < 0 || index >= FieldCount())
        throw EListError("List index out of bounds (" + IntToStr(index) + ")");
    return fields_[index].get();
}

TField* TDataSet::FindField(const String& name) const
{
    for (const auto& f : fields_)
        if (SameText(f->FieldName(), name))
            return f.get();
    return nullptr;
}

TField* TDataSet::FieldByName(const String& name) const
{
    TField* f = FindField(name);
    if (!f)
        throw EDatabaseError(Name.empty() ? "Field '" + name + "' not found" : Name + ": Field '" + name + "' not found");
    return f;
}

void TDataSet::GetFieldNames(TStrings& list) const
{
    list.Clear();
    for (const auto& f : fields_)
        list.Add(f->FieldName());
}

TField* TDataSet::AddField(const String& name, TFieldType type, int size, bool required)
{
    fields_.push_back(std::make_unique<TField>(this, name, type, size, required, static_cast<int>(fields_.size())));
    return fields_.back().get();
}

// ---------------------------------------------------------------- events and controls

void TDataSet::DataEvent(TDataEvent event, TField* field)
{
    if (disableCount_ > 0) {
        if (event != deUpdateRecord && event != deCheckBrowseMode)
            pendingChange_ = true;
        if (event == deUpdateState || event == deFieldChange || event == deRecordChange ||
            event == deDataSetChange || event == deDataSetScroll || event == deLayoutChange)
            return;
    }
    for (TDataSource* source : std::vector<TDataSource*>(sources_)) {
        if (std::find(sources_.begin(), sources_.end(), source) == sources_.end())
            continue;
        if (source->Enabled() || event == deUpdateState)
            source->DataEvent(event, field);
    }
}

void TDataSet::DisableControls()
{
    ++disableCount_;
}

void TDataSet::EnableControls()
{
    if (disableCount_ == 0)
        return;
    if (--disableCount_ == 0 && pendingChange_) {
        pendingChange_ = false;
        DataEvent(deUpdateState);
        DataEvent(deDataSetChange);
    }
}

// ---------------------------------------------------------------- navigation

void TDataSet::DoScroll(const std::function<void()>& move)
{
    CheckBrowseMode();
    CheckCursorInvariant();
    Fire(BeforeScroll);
    move();
    CheckCursorInvariant();
    DataEvent(deDataSetScroll);
    Fire(AfterScroll);
}

void TDataSet::First()
{
    CheckActive();
    DoScroll([this] {
        cursor_ = rows_.empty() ? -1 : 0;
        bof_ = true;
        eof_ = rows_.empty();
    });
}

void TDataSet::Last()
{
    CheckActive();
    DoScroll([this] {
        cursor_ = static_cast<int>(rows_.size()) - 1;
        eof_ = true;
        bof_ = rows_.empty();
    });
}

void TDataSet::Next()
{
    MoveBy(1);
}

void TDataSet::Prior()
{
    MoveBy(-1);
}

int TDataSet::MoveBy(int distance)
{
    CheckActive();
    int moved = 0;
    DoScroll([&] {
        const int count = static_cast<int>(rows_.size());
        if (count == 0) {
            eof_ = bof_ = true;
            return;
        }
        if (distance > 0) {
            bof_ = false;
            const int target = std::min(cursor_ + distance, count - 1);
            moved = target - cursor_;
            eof_ = moved < distance;
            cursor_ = target;
        } else if (distance < 0) {
            eof_ = false;
            const int target = std::max(cursor_ + distance, 0);
            moved = target - cursor_;
            bof_ = moved > distance;
            cursor_ = target;
        }
    });
    return moved;
}

void TDataSet::Refresh()
{
    CheckActive();
    CheckBrowseMode();
    Fire(BeforeRefresh);
    const Row* row = CurrentRow();
    ReloadRows(row ? row->rowId : 0);
    DataEvent(deDataSetChange);
    Fire(AfterRefresh);
}

void TDataSet::ReloadRows(int64_t keepRowId)
{
    const int oldCursor = cursor_;
    rows_.clear();
    InternalOpen(fields_, rows_);
    if (filtered_ && filterTree_)
        rows_.erase(std::remove_if(rows_.begin(), rows_.end(), [this](const Row& r) { return !RowPassesFilter(r); }),
                    rows_.end());
    cursor_ = -1;
    for (size_t i = 0; keepRowId != 0 && i < rows_.size(); ++i)
        if (rows_[i].rowId == keepRowId)
            cursor_ = static_cast<int>(i);
    if (cursor_ < 0 && !rows_.empty())
        cursor_ = keepRowId == 0 ? 0 : std::clamp(oldCursor, 0, static_cast<int>(rows_.size()) - 1);
    eof_ = rows_.empty();
    bof_ = rows_.empty() || cursor_ == 0;
}

bool TDataSet::Locate(const String& keyField, const Variant& value, TLocateOptions options)
{
    return Locate(keyField, std::vector<Variant>{value}, options);
}

bool TDataSet::Locate(const String& keyFields, const std::vector<Variant>& values, TLocateOptions options)
{
    CheckActive();
    CheckBrowseMode();
    std::vector<TField*> fields;
    for (const String& name : SplitString(keyFields, ';')) {
        if (!Trim(name).empty())
            fields.push_back(FieldByName(Trim(name)));
    }
    if (fields.size() != values.size())
        throw EDatabaseError("Locate: " + IntToStr(static_cast<int64_t>(fields.size())) + " key fields but " +
                             IntToStr(static_cast<int64_t>(values.size())) + " values");
    std::vector<Variant> wanted;
    for (size_t k = 0; k < fields.size(); ++k) {
        Variant v = values[k];
        // Compare in the field's own terms (a date as a date, "42" as 42 for a number).
        if (!VarIsNull(v) && !(options & loPartialKey)) {
            try {
                if (fields[k]->DataType() != ftString && fields[k]->DataType() != ftMemo)
                    v = fields[k]->Coerce(v);
            } catch (const Exception&) {
                return false;
            }
        }
        wanted.push_back(v);
    }
    const bool ci = options & loCaseInsensitive;
    for (size_t i = 0; i < rows_.size(); ++i) {
        bool match = true;
        for (size_t k = 0; k < fields.size() && match; ++k) {
            const Variant& have = rows_[i].values[fields[k]->Index()];
            const Variant& want = wanted[k];
            if (VarIsNull(want) || VarIsNull(have)) {
                match = VarIsNull(want) && VarIsNull(have);
            } else if ((options & loPartialKey) && IsText(have)) {
                match = have.toString().startsWith(want.toString(), ci ? Qt::CaseInsensitive : Qt::CaseSensitive);
            } else {
                match = CompareVariants(have, want, ci) == 0;
            }
        }
        if (match) {
            DoScroll([&] {
                cursor_ = static_cast<int>(i);
                eof_ = bof_ = false;
            });
            return true;
        }
    }
    return false;
}

// ---------------------------------------------------------------- bookmarks

TBookmark TDataSet::GetBookmark() const
{
    const Row* row = CurrentRow();
    if (!Active() || !row)
        return nullptr;
    auto b = std::make_shared<TBookmarkData>();
    b->rowId = row->rowId;
    b->index = cursor_;
    return b;
}

bool TDataSet::BookmarkValid(const TBookmark& bookmark) const
{
    if (!bookmark || !Active())
        return false;
    for (const Row& r : rows_)
        if (r.rowId == bookmark->rowId)
            return true;
    return false;
}

void TDataSet::GotoBookmark(const TBookmark& bookmark)
{
    CheckActive();
    if (!bookmark)
        return;
    int target = -1;
    for (size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].rowId == bookmark->rowId)
            target = static_cast<int>(i);
    if (target < 0)
        throw EDatabaseError("Record not found");
    DoScroll([&] {
        cursor_ = target;
        eof_ = bof_ = false;
    });
}

// ---------------------------------------------------------------- editing

void TDataSet::CheckOperation(const std::function<void()>& operation, const TDataSetErrorEvent& onError)
{
    for (;;) {
        try {
            operation();
            return;
        } catch (EDatabaseError& e) {
            TDataAction action = daFail;
            if (onError)
                onError(this, e, action);
            if (action == daFail)
                throw;
            if (action == daAbort)
                Abort();
        }
    }
}

void TDataSet::Edit()
{
    if (state_ == dsEdit || state_ == dsInsert)
        return;
    CheckActive();
    if (rows_.empty()) {
        Insert();
        return;
    }
    if (!CanModify())
        throw EDatabaseError(Name.empty() ? String("Cannot modify a read-only dataset")
                                          : Name + ": Cannot modify a read-only dataset");
    CheckBrowseMode();
    Fire(BeforeEdit);
    editRow_ = rows_[cursor_];
    changed_.assign(fields_.size(), false);
    SetState(dsEdit);
    DataEvent(deRecordChange);
    Fire(AfterEdit);
}

void TDataSet::Insert()
{
    CheckActive();
    if (!CanModify())
        throw EDatabaseError(Name.empty() ? String("Cannot modify a read-only dataset")
                                          : Name + ": Cannot modify a read-only dataset");
    CheckBrowseMode();
    Fire(BeforeInsert);
    Fire(BeforeScroll);
    editRow_ = Row();
    editRow_.values.assign(fields_.size(), Variant());
    changed_.assign(fields_.size(), false);
    insertIndex_ = std::max(cursor_, 0);
    InternalInitRecord(editRow_);
    for (size_t i = 0; i < editRow_.values.size(); ++i)
        if (!VarIsNull(editRow_.values[i]))
            changed_[i] = true;
    state_ = dsInsert;
    DataEvent(deUpdateState);
    Fire(OnNewRecord);
    modified_ = false;
    DataEvent(deDataSetChange);
    Fire(AfterInsert);
    Fire(AfterScroll);
}

void TDataSet::Append()
{
    Insert();
    insertIndex_ = static_cast<int>(rows_.size());
}

void TDataSet::UpdateRecord()
{
    if (state_ != dsEdit && state_ != dsInsert)
        throw EDatabaseError(Name.empty() ? String("Dataset not in edit or insert mode")
                                          : Name + ": Dataset not in edit or insert mode");
    DataEvent(deUpdateRecord);
}

void TDataSet::Post()
{
    UpdateRecord();
    if (state_ != dsEdit && state_ != dsInsert)
        return;
    DataEvent(deCheckBrowseMode);
    Fire(BeforePost);
    if (state_ != dsEdit && state_ != dsInsert)
        return; // a handler cancelled the record
    const bool inserting = state_ == dsInsert;
    CheckOperation(
        [&] {
            for (const auto& f : fields_)
                if (f->Required() && !f->ReadOnly && VarIsNull(editRow_.values[f->Index()]))
                    throw EDatabaseError("Field '" + f->FieldName() + "' must have a value");
            InternalPost(editRow_, changed_, inserting);
        },
        OnPostError);
    if (state_ != dsEdit && state_ != dsInsert)
        return;
    Row posted = std::move(editRow_);
    editRow_ = Row();
    int index;
    if (inserting) {
        index = std::clamp(insertIndex_, 0, static_cast<int>(rows_.size()));
        rows_.insert(rows_.begin() + index, std::move(posted));
    } else {
        index = cursor_;
        rows_[index] = std::move(posted);
    }
    PlaceRow(index);
    eof_ = bof_ = false;
    SetState(dsBrowse);
    DataEvent(deDataSetChange);
    Fire(AfterPost);
}

int TDataSet::RowCompare(const Row& a, const Row& b) const
{
    for (int f : OrderFields()) {
        const int c = CompareVariants(a.values[f], b.values[f], false);
        if (c)
            return c;
    }
    return 0;
}

void TDataSet::PlaceRow(int index)
{
    // Keep the rows in the order of the index fields: move the written row to its place.
    const std::vector<int> order = OrderFields();
    if (order.empty() || KeepsRowOrder()) {
        cursor_ = index;
        return;
    }
    Row row = std::move(rows_[index]);
    rows_.erase(rows_.begin() + index);
    auto pos = std::upper_bound(rows_.begin(), rows_.end(), row,
                                [this](const Row& a, const Row& b) { return RowCompare(a, b) < 0; });
    cursor_ = static_cast<int>(pos - rows_.begin());
    rows_.insert(pos, std::move(row));
}

void TDataSet::Cancel()
{
    if (state_ != dsEdit && state_ != dsInsert)
        return;
    DataEvent(deCheckBrowseMode);
    Fire(BeforeCancel);
    editRow_ = Row();
    if (cursor_ >= static_cast<int>(rows_.size()))
        cursor_ = static_cast<int>(rows_.size()) - 1;
    SetState(dsBrowse);
    DataEvent(deDataSetChange);
    Fire(AfterCancel);
}

void TDataSet::Delete()
{
    CheckActive();
    if (state_ == dsInsert) {
        Cancel();
        return;
    }
    if (rows_.empty())
        throw EDatabaseError(Name.empty() ? String("Cannot perform this operation on an empty dataset")
                                          : Name + ": Cannot perform this operation on an empty dataset");
    if (!CanModify())
        throw EDatabaseError(Name.empty() ? String("Cannot modify a read-only dataset")
                                          : Name + ": Cannot modify a read-only dataset");
    DataEvent(deCheckBrowseMode);
    Fire(BeforeDelete);
    Fire(BeforeScroll);
    CheckOperation([&] { InternalDelete(rows_.at(cursor_)); }, OnDeleteError);
    rows_.erase(rows_.begin() + cursor_);
    if (cursor_ >= static_cast<int>(rows_.size()))
        cursor_ = static_cast<int>(rows_.size()) - 1;
    eof_ = rows_.empty();
    bof_ = rows_.empty();
    editRow_ = Row();
    state_ = dsBrowse;
    modified_ = false;
    DataEvent(deUpdateState);
    DataEvent(deDataSetChange);
    Fire(AfterDelete);
    Fire(AfterScroll);
}

void TDataSet::CheckBrowseMode()
{
    CheckActive();
    DataEvent(deCheckBrowseMode);
    if (state_ == dsEdit || state_ == dsInsert) {
        UpdateRecord();
        if (modified_)
            Post();
        else
            Cancel();
    }
}

void TDataSet::InternalPost(Row&, const std::vector<bool>&, bool)
{
    throw EDatabaseError("Cannot modify a read-only dataset");
}

void TDataSet::InternalDelete(const Row&)
{
    throw EDatabaseError("Cannot modify a read-only dataset");
}

// ---------------------------------------------------------------- filters

void TDataSet::SetFilter(const String& filter)
{
    if (filter == filter_)
        return;
    filterTree_ = Trim(filter).empty() ? nullptr : FilterParser(filter).Parse();
    filter_ = filter;
    if (Active() && filtered_) {
        const Row* row = CurrentRow();
        ReloadRows(row ? row->rowId : 0);
        DataEvent(deDataSetChange);
    }
}

void TDataSet::SetFiltered(bool filtered)
{
    if (filtered == filtered_)
        return;
    filtered_ = filtered;
    if (Active()) {
        CheckBrowseMode();
        const Row* row = CurrentRow();
        ReloadRows(row ? row->rowId : 0);
        cursor_ = rows_.empty() ? -1 : 0;
        bof_ = true;
        DataEvent(deDataSetChange);
    }
}

bool TDataSet::RowPassesFilter(const Row& row) const
{
    const bool ci = FilterOptions & foCaseInsensitive;
    std::function<bool(const FilterNode&)> eval = [&](const FilterNode& n) -> bool {
        switch (n.kind) {
        case FilterNode::And:
            return eval(*n.left) && eval(*n.right);
        case FilterNode::Or:
            return eval(*n.left) || eval(*n.right);
        case FilterNode::Not:
            return !eval(*n.left);
        case FilterNode::Compare:
            break;
        }
        TField* f = FindField(n.field);
        if (!f)
            throw EDatabaseError("Field '" + n.field + "' not found");
        const Variant& v = row.values[f->Index()];
        if (n.op == "isnull")
            return VarIsNull(v);
        if (n.op == "isnotnull")
            return !VarIsNull(v);
        if (VarIsNull(v) || VarIsNull(n.literal))
            return n.op == "<>" || n.op == "!=" ? VarIsNull(v) != VarIsNull(n.literal) : false;
        const int c = CompareVariants(v, n.literal, ci);
        if (n.op == "=")
            return c == 0;
        if (n.op == "<>" || n.op == "!=")
            return c != 0;
        if (n.op == "<")
            return c < 0;
        if (n.op == ">")
            return c > 0;
        if (n.op == "<=")
            return c <= 0;
        return c >= 0;
    };
    return eval(*filterTree_);
}
