#pragma once
// TStrings and TStringList: an ordered list of texts, each with an object slot.
#include "SysUtils.h"

#include <functional>
#include <vector>

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
