#pragma once
// The framework's basic classes: TPersistent, TStrings and TStringList (an ordered list of
// texts, each with an object slot), TList (untyped pointers), the streams (TStream,
// TMemoryStream, TFileStream, TStringStream) and TCollection with its items.
#include "platform/rtl/SysUtils.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <vector>

using TNotifyEvent = std::function<void(TObject* Sender)>;

// Base of the framework's persistent objects: a class name (for code that tells objects apart
// by it) and Assign.
class TPersistent : public TObject {
public:
    // The most derived class's name as the framework reports it; classes that code asks for
    // by name override it.
    virtual String ClassName() const { return "TPersistent"; }
    // Copies from `source`; the base raises EConvertError "Cannot assign a <source class> to a
    // <class>".
    virtual void Assign(TPersistent* source);
};

enum TDuplicates { dupIgnore, dupAccept, dupError };
enum TLineBreakStyle { lbCRLF, lbLF };

class TStrings : public TObject {
public:
    ~TStrings() override = default;

    virtual int Count() const = 0;
    virtual String Get(int index) const = 0;
    virtual void Put(int index, const String& s) = 0;
    virtual TObject* GetObject(int index) const = 0;
    virtual void PutObject(int index, TObject* object) = 0;
    virtual void Insert(int index, const String& s) = 0;
    virtual void Delete(int index) = 0;
    virtual void Clear() = 0;

    virtual int Add(const String& s);
    int AddObject(const String& s, TObject* object);
    void InsertObject(int index, const String& s, TObject* object);
    void AddStrings(const TStrings& other);
    void Assign(const TStrings& other);
    virtual int IndexOf(const String& s) const; // case-blind, as the framework's default
    int IndexOfName(const String& name) const;
    int IndexOfObject(const TObject* object) const;
    void Move(int from, int to);
    void Exchange(int a, int b);

    String operator[](int index) const { return Get(index); }
    String Strings(int index) const { return Get(index); }
    TObject* Objects(int index) const { return GetObject(index); }

    // "Name=Value" pairs
    String Names(int index) const;
    String ValueFromIndex(int index) const;
    String Values(const String& name) const;
    void SetValue(const String& name, const String& value);

    // Every line followed by the line break (CR LF unless LineBreak says otherwise).
    String Text() const;
    void SetText(const String& text); // accepts CR LF, LF and CR line ends
    String CommaText() const;
    void SetCommaText(const String& text);
    String DelimitedText(char delimiter, char quote = '"') const;

    // Files: single-byte text; SaveToFile writes every line with LineBreak.
    void LoadFromFile(const String& path); // EFOpenError-like EInOutError when unreadable
    void SaveToFile(const String& path) const;

    TLineBreakStyle LineBreak = lbCRLF;

    void BeginUpdate() { ++updateCount_; }
    void EndUpdate() { if (updateCount_ > 0) --updateCount_; }

protected:
    int updateCount_ = 0;
};

class TStringList : public TStrings {
public:
    TStringList() = default;
    explicit TStringList(bool ownsObjects) : OwnsObjects(ownsObjects) {}
    TStringList(std::initializer_list<String> lines);
    TStringList(const TStringList& other);
    TStringList& operator=(const TStringList& other);
    ~TStringList() override;

    int Count() const override { return static_cast<int>(items_.size()); }
    String Get(int index) const override;
    void Put(int index, const String& s) override;
    TObject* GetObject(int index) const override;
    void PutObject(int index, TObject* object) override;
    int Add(const String& s) override;
    void Insert(int index, const String& s) override;
    void Delete(int index) override;
    void Clear() override;
    int IndexOf(const String& s) const override;

    // Sorted lists keep their order on Add and find with a binary search.
    bool Sorted() const { return sorted_; }
    void SetSorted(bool sorted);
    bool Find(const String& s, int& index) const;
    void Sort();
    void CustomSort(const std::function<int(const TStringList&, int, int)>& compare);

    TDuplicates Duplicates = dupIgnore;
    bool CaseSensitive = false;
    bool OwnsObjects = false;
    std::function<void(TStringList&)> OnChange;

    std::vector<String> Lines() const;
    // Room for this many lines without reallocating (never less than the lines held).
    int Capacity() const { return static_cast<int>(items_.capacity()); }
    void SetCapacity(int capacity) { items_.reserve(static_cast<size_t>(std::max(capacity, Count()))); }

private:
    struct Item {
        String text;
        TObject* object = nullptr;
    };
    int CompareStrings(const String& a, const String& b) const;
    void CheckIndex(int index) const;
    void Changed();

    std::vector<Item> items_;
    bool sorted_ = false;
};

// ---------------------------------------------------------------- TList

// An ordered list of untyped pointers. Indexes out of range raise EListError
// "List index out of bounds (<index>)".
class TList : public TObject {
public:
    using TListSortCompare = std::function<int(void* a, void* b)>;

    int Count() const { return static_cast<int>(items_.size()); }
    void SetCount(int count); // new slots are null
    int Capacity() const { return static_cast<int>(items_.capacity()); }
    void SetCapacity(int capacity);
    void* Get(int index) const;
    void Put(int index, void* item);
    void* Items(int index) const { return Get(index); }
    void* operator[](int index) const { return Get(index); }
    int Add(void* item);
    void Insert(int index, void* item); // index == Count appends
    void Delete(int index);
    int Remove(void* item); // the index it had, -1 when absent
    void* Extract(void* item); // removes and returns it, null when absent
    int IndexOf(const void* item) const;
    void Exchange(int a, int b);
    void Move(int from, int to);
    void* First() const { return Get(0); }
    void* Last() const { return Get(Count() - 1); }
    void Pack(); // drops the null entries
    void Sort(const TListSortCompare& compare); // stable
    virtual void Clear() { items_.clear(); }
    const std::vector<void*>& List() const { return items_; }

private:
    void CheckIndex(int index, int limit) const;
    std::vector<void*> items_;
};

// ---------------------------------------------------------------- streams

QUELM_DECLARE_EXCEPTION(EStreamError, Exception)
QUELM_DECLARE_EXCEPTION(EReadError, EStreamError)
QUELM_DECLARE_EXCEPTION(EWriteError, EStreamError)
QUELM_DECLARE_EXCEPTION(EFCreateError, EStreamError)
QUELM_DECLARE_EXCEPTION(EFOpenError, EStreamError)

enum TSeekOrigin { soBeginning = 0, soCurrent = 1, soEnd = 2 };
enum : int { soFromBeginning = 0, soFromCurrent = 1, soFromEnd = 2 };

// A stream of bytes with a position. Read and Write move as far as they can and return how
// many bytes they moved; ReadBuffer and WriteBuffer move all or raise EReadError "Stream read
// error" / EWriteError "Stream write error".
class TStream : public TObject {
public:
    virtual long Read(void* buffer, long count) = 0;
    virtual long Write(const void* buffer, long count) = 0;
    // The new position; a position before the start is refused (the position stays, -1).
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
    int64_t Seek(int64_t offset, int origin) { return Seek(offset, static_cast<TSeekOrigin>(origin)); }

    int64_t Position() { return Seek(0, soCurrent); }
    void SetPosition(int64_t position) { Seek(position, soBeginning); }
    virtual int64_t Size();
    virtual void SetSize(int64_t size);

    void ReadBuffer(void* buffer, long count);
    void WriteBuffer(const void* buffer, long count);
    // Copies `count` bytes from the source's position; 0 copies the whole source from its start.
    // Returns the bytes copied.
    int64_t CopyFrom(TStream* source, int64_t count);

    // Typed helpers in the machine's byte order (little-endian), as the framework writes them.
    template <class T> void WriteValue(const T& value) { WriteBuffer(&value, sizeof(T)); }
    template <class T> T ReadValue() { T value{}; ReadBuffer(&value, sizeof(T)); return value; }
};

// A stream in memory. Writing past the end grows it; SetSize keeps what fits.
class TMemoryStream : public TStream {
public:
    long Read(void* buffer, long count) override;
    long Write(const void* buffer, long count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    using TStream::Seek;
    int64_t Size() override { return static_cast<int64_t>(data_.size()); }
    void SetSize(int64_t size) override;

    void* Memory() { return data_.data(); }
    const std::vector<char>& Bytes() const { return data_; }
    void Clear();
    // Replace the content with the whole of the other stream or file; the position goes to 0.
    void LoadFromStream(TStream* stream);
    void LoadFromFile(const String& fileName); // EFOpenError
    void SaveToStream(TStream* stream);        // the whole content, whatever the position
    void SaveToFile(const String& fileName);   // EFCreateError

private:
    std::vector<char> data_;
    int64_t position_ = 0;
};

// A stream over a text (DataString).
class TStringStream : public TMemoryStream {
public:
    explicit TStringStream(const String& data = String());
    String DataString() const { return String(Bytes().begin(), Bytes().end()); }
    String ReadString(long count);
    void WriteString(const String& s) { WriteBuffer(s.data(), static_cast<long>(s.size())); }
};

// File modes of TFileStream.
enum : unsigned {
    fmOpenRead = 0x0000, fmOpenWrite = 0x0001, fmOpenReadWrite = 0x0002,
    fmShareCompat = 0x0000, fmShareExclusive = 0x0010, fmShareDenyWrite = 0x0020,
    fmShareDenyRead = 0x0030, fmShareDenyNone = 0x0040, fmCreate = 0xFF00,
};

// A stream over a file. fmCreate makes (or empties) the file and opens it for reading and
// writing; the others open an existing file. Failures raise EFCreateError "Cannot create file
// "<name>"" and EFOpenError "Cannot open file "<name>"". The share modes have no effect here.
class TFileStream : public TStream {
public:
    TFileStream(const String& fileName, unsigned mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    long Read(void* buffer, long count) override;
    long Write(const void* buffer, long count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    using TStream::Seek;
    void SetSize(int64_t size) override;
    const String& FileName() const { return fileName_; }

private:
    String fileName_;
    std::FILE* file_ = nullptr;
    bool canRead_ = false;
    bool canWrite_ = false;
};

// ---------------------------------------------------------------- collections

class TCollection;

// An item of a collection. Creating it with a collection adds it there; freeing it removes
// it; SetCollection moves it from one collection to another.
class TCollectionItem : public TPersistent {
public:
    explicit TCollectionItem(TCollection* collection);
    ~TCollectionItem() override;
    TCollectionItem(const TCollectionItem&) = delete;
    TCollectionItem& operator=(const TCollectionItem&) = delete;
    String ClassName() const override { return "TCollectionItem"; }

    TCollection* Collection() const { return collection_; }
    void SetCollection(TCollection* collection);
    int ID() const { return id_; } // unique in the collection, never reused
    int Index() const;
    virtual void SetIndex(int index);
    // The name shown for the item; the class name when the item has none.
    virtual String DisplayName() const { return ClassName(); }

protected:
    // Tells the collection that this item (or, with allItems, every item) changed.
    void Changed(bool allItems);

private:
    friend class TCollection;
    TCollection* collection_ = nullptr;
    int id_ = 0;
};

// An owned, ordered list of items of one class. Add creates an item of that class; the
// collection frees its items when it is cleared or freed. Update runs after each change
// (with the item, or null for a change of the whole collection) unless updates are held
// between BeginUpdate and EndUpdate; EndUpdate then runs one Update(null).
class TCollection : public TPersistent {
public:
    using TItemFactory = std::function<TCollectionItem*(TCollection*)>;
    template <class T> static TItemFactory ItemClassOf()
    {
        return [](TCollection* c) -> TCollectionItem* { return new T(c); };
    }

    explicit TCollection(TItemFactory itemClass);
    ~TCollection() override;
    TCollection(const TCollection&) = delete;
    TCollection& operator=(const TCollection&) = delete;
    String ClassName() const override { return "TCollection"; }

    int Count() const { return static_cast<int>(items_.size()); }
    TCollectionItem* Items(int index) const; // EListError out of range
    TCollectionItem* Add();
    TCollectionItem* Insert(int index);
    void Delete(int index);
    void Clear();
    TCollectionItem* FindItemID(int id) const;
    void Exchange(int a, int b);
    void BeginUpdate() { ++updateCount_; }
    void EndUpdate();
    int UpdateCount() const { return updateCount_; }
    // Clears and adds one item per item of the source, each item assigned from its source
    // item; any other source raises as TPersistent does.
    void Assign(TPersistent* source) override;
    // The persistent object the collection belongs to (a grid for its columns), or null.
    virtual TPersistent* Owner() const { return nullptr; }

    TNotifyEvent OnChange;

protected:
    virtual void Update(TCollectionItem* item);
    // Item added (cnAdded) or about to be removed (cnDeleting).
    enum TCollectionNotification { cnAdded, cnExtracting, cnDeleting };
    virtual void Notify(TCollectionItem* item, TCollectionNotification action);
    void Changed();

private:
    friend class TCollectionItem;
    void InsertItem(TCollectionItem* item);
    void RemoveItem(TCollectionItem* item);

    TItemFactory itemClass_;
    std::vector<TCollectionItem*> items_;
    int nextId_ = 0;
    int updateCount_ = 0;
};
