#pragma once
// Wide strings for the Unicode editors: the wide string list with its single-byte view, small
// wide-string routines, wide text comparison, the folding of wide characters for framework
// code that sees characters as 8-bit, and the grid's wide-cell accessors.
//
// The framework over Qt is Unicode throughout: every window is a Unicode window, so
// subclassing a control to a Unicode window procedure, registering a Unicode window class and
// delivering input-method results have nothing left to do here; typed characters reach the
// edits as UTF-16 already.
#include "components/grid/BaseGrid.h"
#include "components/grid/PSGEdit.h"
#include "components/grid/PsgCombo.h"
#include "platform/framework/Controls.h"
#include "platform/rtl/Classes.h"

#include <memory>

class TWideStrings;

// The single-byte view of a wide list: reading converts to the system code page, writing
// converts back.
class TAnsiStringsForWideStrings : public TStrings {
public:
    explicit TAnsiStringsForWideStrings(TWideStrings* owner) : owner_(owner) {}
    int Count() const override;
    String Get(int index) const override;
    void Put(int index, const String& s) override;
    TObject* GetObject(int index) const override;
    void PutObject(int index, TObject* object) override;
    void Insert(int index, const String& s) override;
    void Delete(int index) override;
    void Clear() override;

private:
    TWideStrings* owner_;
};

// The locale of a comparison; only the default exists here.
using LCID = unsigned;
constexpr LCID LOCALE_USER_DEFAULT = 0x400;

class TWideStrings : public TPersistent {
public:
    TWideStrings();
    ~TWideStrings() override;
    String ClassName() const override { return "TWideStrings"; }

    // Copies into a single-byte list (converted) or another wide list.
    virtual void AssignTo(TPersistent* dest) const;
    void AssignTo(TStrings& dest) const;
    void Assign(TPersistent* source) override;
    void Assign(const TStrings& source);
    virtual WideString Get(int index) const = 0;
    virtual int GetCapacity() const { return GetCount(); }
    virtual int GetCount() const = 0;
    virtual TObject* GetObject(int) const { return nullptr; }
    virtual WideString GetTextStr() const;
    virtual void Put(int index, const WideString& s);
    virtual void PutObject(int, TObject*) {}
    virtual void SetCapacity(int) {}
    virtual void SetTextStr(const WideString& text);
    virtual void SetUpdateState(bool) {}
    virtual void SetLanguage(LCID language) { language_ = language; }
    virtual int Add(const WideString& s);
    virtual int AddObject(const WideString& s, TObject* object);
    virtual void AddStrings(const TStrings& strings);
    virtual void AddWideStrings(const TWideStrings& strings);
    virtual void Clear() = 0;
    virtual void Delete(int index) = 0;
    virtual void Exchange(int i, int j);
    // A new zero-terminated copy of the text; free it with WideStrDispose.
    virtual char16_t* GetText() const;
    virtual int IndexOf(const WideString& s) const;
    virtual void Insert(int index, const WideString& s) = 0;
    virtual void Move(int from, int to);
    virtual void SetText(const char16_t* text);

    int Count() const { return GetCount(); }
    WideString operator[](int index) const { return Get(index); }
    LCID Language() const { return language_; }
    void BeginUpdate();
    void EndUpdate();
    void InsertObject(int index, const WideString& s, TObject* object);
    bool Equals(const TWideStrings& other) const;
    TStrings* AnsiStrings() const { return ansi_.get(); }
    void SetAnsiStrings(const TStrings& strings) { ansi_->Assign(strings); }

private:
    std::unique_ptr<TAnsiStringsForWideStrings> ansi_;
    LCID language_ = LOCALE_USER_DEFAULT;
    int updateCount_ = 0;
};

bool IsResourceOrdinal(const void* p);
bool IsWindowTextMessage(UINT message);
int WideStrLength(const char16_t* p);
char16_t* WideStrMove(char16_t* dest, const char16_t* source, int count);
// A zero-filled buffer of n characters whose allocation size is kept in front of it.
char16_t* WideStrAlloc(int n);
char16_t* WideStrNew(const char16_t* p);
void WideStrDispose(char16_t* p);
// The single-byte code page of this system (Windows-1252) for every locale.
int LocaleAnsiCodePage(LCID locale);
// Case-blind comparisons: negative, 0 or positive.
int WideCompareTextNative(const WideString& a, const WideString& b, LCID locale);
int WideCompareTextViaAnsi(const WideString& a, const WideString& b, LCID locale);
extern int (*WideCompareTextFunc)(const WideString&, const WideString&, LCID);
// WM_CHAR of a character beyond 8 bits for framework code: the low word becomes 255 and the
// character moves to the high word; UnfoldWideChar undoes it. Other messages (and a folded
// character given to FoldWideCharForAnsi) are programming errors: EAssertionFailed.
void FoldWideCharForAnsi(TMessage& message);
void UnfoldWideChar(TMessage& message);

// The grid's wide cells: "|\" followed by the UTF-16 code units.
bool CellHoldsWideText(TBaseGrid& grid, int col, int row);
WideString GetWideCellText(TBaseGrid& grid, int col, int row);
void SetWideCellText(TBaseGrid& grid, int col, int row, const WideString& text);
// The text a wide editor hands back. An unchanged text leaves the cell as it is. A cell that
// holds no wide text stays plain while the text converts to the system code page and back
// unchanged and its plain form reads as the same kind of text (plain, or the cell's own
// kind); any other text goes into the wide form.
void SetEditedWideCellText(TBaseGrid& grid, int col, int row, const WideString& text);

// ---------------------------------------------------------------- Unicode controls
// Their text is WideText/SetWideText (the framework's Text stays the single-byte view): every
// character typed, pasted or set stays as it is.

// The wide text of an edit or combo box; of any other control, its caption widened.
WideString GetControlWideText(TControl* control);
void SetControlWideText(TControl* control, const WideString& text);

class TCustomUNIEdit : public TCustomEdit {
public:
    explicit TCustomUNIEdit(TComponent* owner) : TCustomEdit(owner) {}
    String ClassName() const override { return "TCustomUNIEdit"; }
};

class TPsgUniEdit : public TCustomUNIEdit {
public:
    explicit TPsgUniEdit(TComponent* owner) : TCustomUNIEdit(owner) {}
    String ClassName() const override { return "TPsgUniEdit"; }
};

class TPsgUniCustomMemo : public TCustomUNIEdit {
public:
    explicit TPsgUniCustomMemo(TComponent* owner) : TCustomUNIEdit(owner) {}
    String ClassName() const override { return "TPsgUniCustomMemo"; }
    TScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(TScrollStyle bars);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool on);
    bool WantTabs = false;
    bool WantReturns = false;

protected:
    void CreateParams(TCreateParams& params) override;
    void Dispatch(TMessage& message) override;

private:
    TScrollStyle scrollBars_ = ssNone;
    bool wordWrap_ = false;
};

class TPsgUniMemo : public TPsgUniCustomMemo {
public:
    explicit TPsgUniMemo(TComponent* owner);
    String ClassName() const override { return "TPsgUniMemo"; }
};

// The Unicode edit with a push button at its right edge; F4 presses it.
class TPsgUniEditBtn : public TEditWithButton<TCustomUNIEdit> {
public:
    explicit TPsgUniEditBtn(TComponent* owner);
    String ClassName() const override { return "TPsgUniEditBtn"; }

protected:
    void KeyDown(WORD& key, TShiftState shift) override;
};

// The items of one Unicode combo box, kept in the combo box itself.
class TComboBoxStrings : public TWideStrings {
public:
    explicit TComboBoxStrings(TCustomComboBox* combo) : combo_(combo) {}
    WideString Get(int index) const override { return combo_->WideItem(index); }
    int GetCount() const override { return combo_->Items()->Count(); }
    TObject* GetObject(int index) const override { return combo_->Items()->Objects(index); }
    void PutObject(int index, TObject* object) override { combo_->Items()->PutObject(index, object); }
    void Put(int index, const WideString& s) override { combo_->PutWideItem(index, s); }
    void Clear() override { combo_->Items()->Clear(); }
    void Delete(int index) override { combo_->Items()->Delete(index); }
    void Insert(int index, const WideString& s) override { combo_->InsertWideItem(index, s); }
    int IndexOf(const WideString& s) const override;

private:
    TCustomComboBox* combo_;
};

class TCustomUNIComboBox : public TCustomComboBox {
public:
    explicit TCustomUNIComboBox(TComponent* owner);
    ~TCustomUNIComboBox() override;
    String ClassName() const override { return "TCustomUNIComboBox"; }
    TWideStrings* WideItems() const { return items_.get(); }
    void SetWideItems(TWideStrings* items);
    // Called with each character that reaches the edit part, before the key-press handling.
    virtual void BeforeEditChar(TMessage&) {}

protected:
    void KeyPress(char& key) override;
    void Dispatch(TMessage& message) override;

private:
    std::unique_ptr<TComboBoxStrings> items_;
};

class TPSGUniCustomCombo : public TCustomUNIComboBox {
public:
    explicit TPSGUniCustomCombo(TComponent* owner);
    String ClassName() const override { return "TPSGUniCustomCombo"; }
    int ButtonWidth() const { return buttonWidth_; }
    // Only 14 to 32 are taken; other widths are ignored.
    void SetButtonWidth(int width);
    bool Flat() const { return flat_; }
    void SetFlat(bool on);
    bool Etched() const { return etched_; }
    void SetEtched(bool on);
    bool FocusBorder = false;
    bool AutoFocus = false;
    int DropWidth() const { return dropWidth_; }
    void SetDropWidth(int width);
    bool IsWinXP = false;
    bool MouseInControl() const { return mouseIn_; }
    bool IsHot() const;
    bool FocusBorderActive() const;

protected:
    void Dispatch(TMessage& message) override;

private:
    int buttonWidth_ = 19;
    bool flat_ = false;
    bool etched_ = false;
    int dropWidth_ = 0;
    bool mouseIn_ = false;
    TColor keptColor_;
    bool keptParentColor_;
};

class TPSGUniComboBox : public TPSGUniCustomCombo {
public:
    explicit TPSGUniComboBox(TComponent* owner) : TPSGUniCustomCombo(owner) {}
    String ClassName() const override { return "TPSGUniComboBox"; }
};
