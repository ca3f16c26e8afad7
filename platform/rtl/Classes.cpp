#include "platform/rtl/Classes.h"

#include <algorithm>
#include <cstring>
#include <unistd.h>
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

// ---------------------------------------------------------------- TPersistent

void TPersistent::Assign(TPersistent* source)
{
    const String from = source ? source->ClassName() : String("nil");
    throw EConvertError("Cannot assign a " + from + " to a " + ClassName());
}

// ---------------------------------------------------------------- TList

void TList::CheckIndex(int index, int limit) const
{
    if (index < 0 || index >= limit)
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}

void TList::SetCount(int count)
{
    if (count < 0)
        throw EListError("List count out of bounds (" + std::to_string(count) + ")");
    items_.resize(static_cast<size_t>(count), nullptr);
}

void TList::SetCapacity(int capacity)
{
    if (capacity < Count())
        throw EListError("List capacity out of bounds (" + std::to_string(capacity) + ")");
    items_.reserve(static_cast<size_t>(capacity));
}

void* TList::Get(int index) const
{
    CheckIndex(index, Count());
    return items_[static_cast<size_t>(index)];
}

void TList::Put(int index, void* item)
{
    CheckIndex(index, Count());
    items_[static_cast<size_t>(index)] = item;
}

int TList::Add(void* item)
{
    items_.push_back(item);
    return Count() - 1;
}

void TList::Insert(int index, void* item)
{
    CheckIndex(index, Count() + 1);
    items_.insert(items_.begin() + index, item);
}

void TList::Delete(int index)
{
    CheckIndex(index, Count());
    items_.erase(items_.begin() + index);
}

int TList::Remove(void* item)
{
    const int index = IndexOf(item);
    if (index >= 0)
        Delete(index);
    return index;
}

void* TList::Extract(void* item)
{
    return Remove(item) >= 0 ? item : nullptr;
}

int TList::IndexOf(const void* item) const
{
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i] == item)
            return static_cast<int>(i);
    return -1;
}

void TList::Exchange(int a, int b)
{
    CheckIndex(a, Count());
    CheckIndex(b, Count());
    std::swap(items_[static_cast<size_t>(a)], items_[static_cast<size_t>(b)]);
}

void TList::Move(int from, int to)
{
    if (from == to)
        return;
    CheckIndex(to, Count());
    void* item = Get(from);
    items_.erase(items_.begin() + from);
    items_.insert(items_.begin() + to, item);
}

void TList::Pack()
{
    items_.erase(std::remove(items_.begin(), items_.end(), nullptr), items_.end());
}

void TList::Sort(const TListSortCompare& compare)
{
    std::stable_sort(items_.begin(), items_.end(), [&](void* a, void* b) { return compare(a, b) < 0; });
}

// ---------------------------------------------------------------- TStream

int64_t TStream::Size()
{
    const int64_t position = Seek(0, soCurrent);
    const int64_t size = Seek(0, soEnd);
    Seek(position, soBeginning);
    return size;
}

void TStream::SetSize(int64_t)
{
    throw EStreamError("Stream size cannot be changed");
}

void TStream::ReadBuffer(void* buffer, long count)
{
    if (count < 0 || (count > 0 && Read(buffer, count) != count))
        throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, long count)
{
    if (count < 0 || (count > 0 && Write(buffer, count) != count))
        throw EWriteError("Stream write error");
}

int64_t TStream::CopyFrom(TStream* source, int64_t count)
{
    if (!source)
        return 0;
    if (count == 0) {
        source->SetPosition(0);
        count = source->Size();
    }
    const int64_t total = count;
    char buffer[64 * 1024];
    while (count > 0) {
        const long chunk = static_cast<long>(std::min<int64_t>(count, sizeof buffer));
        source->ReadBuffer(buffer, chunk);
        WriteBuffer(buffer, chunk);
        count -= chunk;
    }
    return total;
}

// ---------------------------------------------------------------- TMemoryStream

long TMemoryStream::Read(void* buffer, long count)
{
    if (count <= 0 || position_ >= Size())
        return 0;
    const long n = static_cast<long>(std::min<int64_t>(count, Size() - position_));
    std::memcpy(buffer, data_.data() + position_, static_cast<size_t>(n));
    position_ += n;
    return n;
}

long TMemoryStream::Write(const void* buffer, long count)
{
    if (count <= 0)
        return 0;
    const int64_t end = position_ + count;
    if (end > Size())
        data_.resize(static_cast<size_t>(end));
    std::memcpy(data_.data() + position_, buffer, static_cast<size_t>(count));
    position_ = end;
    return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin)
{
    int64_t base = 0;
    if (origin == soCurrent)
        base = position_;
    else if (origin == soEnd)
        base = Size();
    if (base + offset < 0)
        return -1;
    position_ = base + offset;
    return position_;
}

void TMemoryStream::SetSize(int64_t size)
{
    if (size < 0)
        throw EStreamError("Stream size cannot be negative");
    data_.resize(static_cast<size_t>(size));
    if (position_ > size)
        position_ = size;
}

void TMemoryStream::Clear()
{
    data_.clear();
    position_ = 0;
}

void TMemoryStream::LoadFromStream(TStream* stream)
{
    std::vector<char> bytes;
    if (stream) {
        stream->SetPosition(0);
        bytes.resize(static_cast<size_t>(stream->Size()));
        if (!bytes.empty())
            stream->ReadBuffer(bytes.data(), static_cast<long>(bytes.size()));
    }
    data_ = std::move(bytes);
    position_ = 0;
}

void TMemoryStream::LoadFromFile(const String& fileName)
{
    TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&file);
}

void TMemoryStream::SaveToStream(TStream* stream)
{
    if (stream && !data_.empty())
        stream->WriteBuffer(data_.data(), static_cast<long>(data_.size()));
}

void TMemoryStream::SaveToFile(const String& fileName)
{
    TFileStream file(fileName, fmCreate);
    SaveToStream(&file);
}

TStringStream::TStringStream(const String& data)
{
    WriteString(data);
    SetPosition(0);
}

String TStringStream::ReadString(long count)
{
    String s(static_cast<size_t>(std::max<int64_t>(0, std::min<int64_t>(count, Size() - Position()))), '\0');
    if (!s.empty())
        Read(s.data(), static_cast<long>(s.size()));
    return s;
}

// ---------------------------------------------------------------- TFileStream

TFileStream::TFileStream(const String& fileName, unsigned mode) : fileName_(fileName)
{
    if ((mode & 0xFF00) == fmCreate) {
        file_ = std::fopen(fileName.c_str(), "w+b");
        if (!file_)
            throw EFCreateError("Cannot create file \"" + fileName + "\"");
        canRead_ = canWrite_ = true;
        return;
    }
    const unsigned access = mode & 0x3;
    canRead_ = access != fmOpenWrite;
    canWrite_ = access != fmOpenRead;
    file_ = std::fopen(fileName.c_str(), canWrite_ ? "r+b" : "rb");
    if (!file_)
        throw EFOpenError("Cannot open file \"" + fileName + "\"");
}

TFileStream::~TFileStream()
{
    if (file_)
        std::fclose(file_);
}

long TFileStream::Read(void* buffer, long count)
{
    if (!canRead_ || count <= 0)
        return 0;
    return static_cast<long>(std::fread(buffer, 1, static_cast<size_t>(count), file_));
}

long TFileStream::Write(const void* buffer, long count)
{
    if (!canWrite_ || count <= 0)
        return 0;
    const size_t n = std::fwrite(buffer, 1, static_cast<size_t>(count), file_);
    // A following read must see what was written: the C library asks for a positioning call
    // between a write and a read.
    std::fseek(file_, 0, SEEK_CUR);
    return static_cast<long>(n);
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin)
{
    const int whence = origin == soBeginning ? SEEK_SET : origin == soCurrent ? SEEK_CUR : SEEK_END;
    if (fseeko(file_, static_cast<off_t>(offset), whence) != 0)
        return -1;
    return static_cast<int64_t>(ftello(file_));
}

void TFileStream::SetSize(int64_t size)
{
    std::fflush(file_);
    if (!canWrite_ || size < 0 || ftruncate(fileno(file_), static_cast<off_t>(size)) != 0)
        throw EStreamError("Stream size cannot be changed");
    if (Position() > size)
        SetPosition(size);
}

// ---------------------------------------------------------------- collections

TCollectionItem::TCollectionItem(TCollection* collection)
{
    SetCollection(collection);
}

TCollectionItem::~TCollectionItem()
{
    SetCollection(nullptr);
}

void TCollectionItem::SetCollection(TCollection* collection)
{
    if (collection == collection_)
        return;
    if (collection_)
        collection_->RemoveItem(this);
    if (collection)
        collection->InsertItem(this);
}

int TCollectionItem::Index() const
{
    if (!collection_)
        return -1;
    const auto& items = collection_->items_;
    const auto it = std::find(items.begin(), items.end(), this);
    return it == items.end() ? -1 : static_cast<int>(it - items.begin());
}

void TCollectionItem::SetIndex(int index)
{
    const int current = Index();
    if (current < 0 || index == current)
        return;
    auto& items = collection_->items_;
    index = std::clamp(index, 0, static_cast<int>(items.size()) - 1);
    items.erase(items.begin() + current);
    items.insert(items.begin() + index, this);
    Changed(true);
}

void TCollectionItem::Changed(bool allItems)
{
    if (collection_ && collection_->updateCount_ == 0)
        collection_->Update(allItems ? nullptr : this);
}

TCollection::TCollection(TItemFactory itemClass) : itemClass_(std::move(itemClass)) {}

TCollection::~TCollection()
{
    ++updateCount_; // no Update while the collection goes
    Clear();
}

TCollectionItem* TCollection::Items(int index) const
{
    if (index < 0 || index >= Count())
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    return items_[static_cast<size_t>(index)];
}

TCollectionItem* TCollection::Add()
{
    if (!itemClass_)
        throw EInvalidOperation("Collection has no item class");
    // Updates wait until the item is whole: its own constructor runs after the base one has
    // put it into the collection.
    BeginUpdate();
    TCollectionItem* item = nullptr;
    try {
        item = itemClass_(this);
        if (item && item->Collection() != this)
            item->SetCollection(this);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
    return item;
}

TCollectionItem* TCollection::Insert(int index)
{
    TCollectionItem* item = Add();
    item->SetIndex(index);
    return item;
}

void TCollection::Delete(int index)
{
    delete Items(index);
}

void TCollection::Clear()
{
    if (items_.empty())
        return;
    BeginUpdate();
    while (!items_.empty())
        delete items_.back();
    EndUpdate();
}

TCollectionItem* TCollection::FindItemID(int id) const
{
    for (TCollectionItem* item : items_)
        if (item->id_ == id)
            return item;
    return nullptr;
}

void TCollection::Exchange(int a, int b)
{
    Items(a);
    Items(b);
    std::swap(items_[static_cast<size_t>(a)], items_[static_cast<size_t>(b)]);
    Changed();
}

void TCollection::EndUpdate()
{
    if (updateCount_ > 0 && --updateCount_ == 0)
        Changed();
}

void TCollection::Assign(TPersistent* source)
{
    auto* other = dynamic_cast<TCollection*>(source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    if (other == this)
        return;
    BeginUpdate();
    try {
        Clear();
        for (TCollectionItem* from : other->items_)
            Add()->Assign(from);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TCollection::Update(TCollectionItem*)
{
    if (OnChange)
        OnChange(this);
}

void TCollection::Notify(TCollectionItem*, TCollectionNotification) {}

void TCollection::Changed()
{
    if (updateCount_ == 0)
        Update(nullptr);
}

void TCollection::InsertItem(TCollectionItem* item)
{
    items_.push_back(item);
    item->collection_ = this;
    item->id_ = nextId_++;
    Notify(item, cnAdded);
    Changed();
}

void TCollection::RemoveItem(TCollectionItem* item)
{
    Notify(item, cnDeleting);
    // Clear deletes from the back: that removal is constant time, so clearing stays linear
    if (!items_.empty() && items_.back() == item)
        items_.pop_back();
    else
        items_.erase(std::remove(items_.begin(), items_.end(), item), items_.end());
    item->collection_ = nullptr;
    Changed();
}
