#include "Classes.h"

#include <algorithm>
#include <fstream>
#include <sstream>

// ---------------------------------------------------------------- TStrings

int TStrings::Add(const String& s)
{
    int index = Count();
    Insert(index, s);
    return index;
}

int TStrings::AddObject(const String& s, TObject* object)
{
    int index = Add(s);
    PutObject(index, object);
    return index;
}

void TStrings::InsertObject(int index, const String& s, TObject* object)
{
    Insert(index, s);
    PutObject(index, object);
}

void TStrings::AddStrings(const TStrings& other)
{
    for (int i = 0; i < other.Count(); ++i)
        AddObject(other.Get(i), other.GetObject(i));
}

void TStrings::Assign(const TStrings& other)
{
    if (&other == this)
        return;
    Clear();
    AddStrings(other);
}

int TStrings::IndexOf(const String& s) const
{
    for (int i = 0; i < Count(); ++i)
        if (SameText(Get(i), s))
            return i;
    return -1;
}

int TStrings::IndexOfName(const String& name) const
{
    for (int i = 0; i < Count(); ++i)
        if (SameText(Names(i), name))
            return i;
    return -1;
}

int TStrings::IndexOfObject(const TObject* object) const
{
    for (int i = 0; i < Count(); ++i)
        if (GetObject(i) == object)
            return i;
    return -1;
}

void TStrings::Move(int from, int to)
{
    if (from == to)
        return;
    String s = Get(from);
    TObject* o = GetObject(from);
    PutObject(from, nullptr);
    Delete(from);
    InsertObject(to, s, o);
}

void TStrings::Exchange(int a, int b)
{
    String sa = Get(a), sb = Get(b);
    TObject* oa = GetObject(a);
    TObject* ob = GetObject(b);
    Put(a, sb);
    PutObject(a, ob);
    Put(b, sa);
    PutObject(b, oa);
}

String TStrings::Names(int index) const
{
    String s = Get(index);
    size_t eq = s.find('=');
    return eq == String::npos ? String() : s.substr(0, eq);
}

String TStrings::ValueFromIndex(int index) const
{
    String s = Get(index);
    size_t eq = s.find('=');
    return eq == String::npos ? String() : s.substr(eq + 1);
}

String TStrings::Values(const String& name) const
{
    int i = IndexOfName(name);
    return i < 0 ? String() : ValueFromIndex(i);
}

void TStrings::SetValue(const String& name, const String& value)
{
    int i = IndexOfName(name);
    if (value.empty()) {
        if (i >= 0)
            Delete(i);
        return;
    }
    if (i < 0)
        Add(name + "=" + value);
    else
        Put(i, name + "=" + value);
}

String TStrings::Text() const
{
    const char* lb = LineBreak == lbCRLF ? "\r\n" : "\n";
    String out;
    for (int i = 0; i < Count(); ++i) {
        out += Get(i);
        out += lb;
    }
    return out;
}

void TStrings::SetText(const String& text)
{
    BeginUpdate();
    Clear();
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == String::npos) {
            Add(text.substr(start));
            break;
        }
        Add(text.substr(start, end - start));
        if (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
    EndUpdate();
}

String TStrings::DelimitedText(char delimiter, char quote) const
{
    String out;
    for (int i = 0; i < Count(); ++i) {
        String s = Get(i);
        bool needsQuote = s.empty() || s.find_first_of(String(" \"") + delimiter + quote) != String::npos;
        if (i > 0)
            out.push_back(delimiter);
        if (needsQuote) {
            out.push_back(quote);
            for (char c : s) {
                out.push_back(c);
                if (c == quote)
                    out.push_back(quote);
            }
            out.push_back(quote);
        } else {
            out += s;
        }
    }
    return out;
}

String TStrings::CommaText() const
{
    return DelimitedText(',');
}

void TStrings::SetCommaText(const String& text)
{
    BeginUpdate();
    Clear();
    size_t i = 0;
    auto skipBlanks = [&] {
        while (i < text.size() && static_cast<unsigned char>(text[i]) <= ' ')
            ++i;
    };
    skipBlanks();
    while (i < text.size()) {
        String item;
        if (text[i] == '"') {
            ++i;
            while (i < text.size()) {
                if (text[i] == '"') {
                    if (i + 1 < text.size() && text[i + 1] == '"') {
                        item.push_back('"');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                item.push_back(text[i++]);
            }
        } else {
            while (i < text.size() && text[i] != ',' && static_cast<unsigned char>(text[i]) > ' ')
                item.push_back(text[i++]);
        }
        Add(item);
        skipBlanks();
        if (i < text.size() && text[i] == ',') {
            ++i;
            skipBlanks();
            if (i >= text.size())
                Add(String());
        }
    }
    EndUpdate();
}

void TStrings::LoadFromFile(const String& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw EInOutError("Cannot open file \"" + path + "\"");
    std::ostringstream ss;
    ss << in.rdbuf();
    SetText(ss.str());
}

void TStrings::SaveToFile(const String& path) const
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        throw EInOutError("Cannot create file \"" + path + "\"");
    out << Text();
    if (!out)
        throw EInOutError("Cannot write file \"" + path + "\"");
}

// ---------------------------------------------------------------- TStringList

TStringList::TStringList(std::initializer_list<String> lines)
{
    for (const String& s : lines)
        Add(s);
}

TStringList::TStringList(const TStringList& other)
    : TStrings(), Duplicates(other.Duplicates), CaseSensitive(other.CaseSensitive)
{
    LineBreak = other.LineBreak;
    sorted_ = other.sorted_;
    for (const Item& item : other.items_)
        items_.push_back({item.text, nullptr});
}

TStringList& TStringList::operator=(const TStringList& other)
{
    if (this != &other) {
        Clear();
        Duplicates = other.Duplicates;
        CaseSensitive = other.CaseSensitive;
        LineBreak = other.LineBreak;
        sorted_ = other.sorted_;
        for (const Item& item : other.items_)
            items_.push_back({item.text, nullptr});
    }
    return *this;
}

TStringList::~TStringList()
{
    if (OwnsObjects)
        for (Item& item : items_)
            delete item.object;
}

void TStringList::CheckIndex(int index) const
{
    if (index < 0 || index >= Count())
        throw EStringListError("List index out of bounds (" + std::to_string(index) + ")");
}

void TStringList::Changed()
{
    if (updateCount_ == 0 && OnChange)
        OnChange(*this);
}

String TStringList::Get(int index) const
{
    CheckIndex(index);
    return items_[static_cast<size_t>(index)].text;
}

void TStringList::Put(int index, const String& s)
{
    if (sorted_)
        throw EStringListError("Operation not allowed on sorted list");
    CheckIndex(index);
    items_[static_cast<size_t>(index)].text = s;
    Changed();
}

TObject* TStringList::GetObject(int index) const
{
    CheckIndex(index);
    return items_[static_cast<size_t>(index)].object;
}

void TStringList::PutObject(int index, TObject* object)
{
    CheckIndex(index);
    items_[static_cast<size_t>(index)].object = object;
    Changed();
}

int TStringList::CompareStrings(const String& a, const String& b) const
{
    return CaseSensitive ? CompareStr(a, b) : CompareText(a, b);
}

int TStringList::Add(const String& s)
{
    if (!sorted_) {
        items_.push_back({s, nullptr});
        Changed();
        return Count() - 1;
    }
    int index = 0;
    if (Find(s, index)) {
        if (Duplicates == dupIgnore)
            return index;
        if (Duplicates == dupError)
            throw EStringListError("String list does not allow duplicates");
    }
    items_.insert(items_.begin() + index, {s, nullptr});
    Changed();
    return index;
}

void TStringList::Insert(int index, const String& s)
{
    if (sorted_)
        throw EStringListError("Operation not allowed on sorted list");
    if (index < 0 || index > Count())
        throw EStringListError("List index out of bounds (" + std::to_string(index) + ")");
    items_.insert(items_.begin() + index, {s, nullptr});
    Changed();
}

void TStringList::Delete(int index)
{
    CheckIndex(index);
    if (OwnsObjects)
        delete items_[static_cast<size_t>(index)].object;
    items_.erase(items_.begin() + index);
    Changed();
}

void TStringList::Clear()
{
    if (OwnsObjects)
        for (Item& item : items_)
            delete item.object;
    items_.clear();
    Changed();
}

int TStringList::IndexOf(const String& s) const
{
    if (sorted_) {
        int index = 0;
        return Find(s, index) ? index : -1;
    }
    for (int i = 0; i < Count(); ++i)
        if (CompareStrings(items_[static_cast<size_t>(i)].text, s) == 0)
            return i;
    return -1;
}

void TStringList::SetSorted(bool sorted)
{
    if (sorted && !sorted_) {
        sorted_ = true;
        Sort();
    }
    sorted_ = sorted;
}

bool TStringList::Find(const String& s, int& index) const
{
    int lo = 0, hi = Count() - 1;
    bool found = false;
    while (lo <= hi) {
        int mid = (lo + hi) / 2;
        int c = CompareStrings(items_[static_cast<size_t>(mid)].text, s);
        if (c < 0) {
            lo = mid + 1;
        } else {
            hi = mid - 1;
            if (c == 0) {
                found = true;
                if (Duplicates != dupAccept)
                    lo = mid;
            }
        }
    }
    index = lo;
    return found;
}

void TStringList::Sort()
{
    std::stable_sort(items_.begin(), items_.end(),
                     [this](const Item& a, const Item& b) { return CompareStrings(a.text, b.text) < 0; });
    Changed();
}

void TStringList::CustomSort(const std::function<int(const TStringList&, int, int)>& compare)
{
    // Sort a permutation with the caller's comparison on the current positions.
    std::vector<int> order(items_.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<int>(i);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return compare(*this, a, b) < 0; });
    std::vector<Item> sorted;
    sorted.reserve(items_.size());
    for (int i : order)
        sorted.push_back(items_[static_cast<size_t>(i)]);
    items_ = std::move(sorted);
    Changed();
}

std::vector<String> TStringList::Lines() const
{
    std::vector<String> lines;
    lines.reserve(items_.size());
    for (const Item& item : items_)
        lines.push_back(item.text);
    return lines;
}
