#pragma once
// Standard controls hosted on the matching Qt widgets: TLabel (QLabel), TButton (QPushButton),
// TEdit (QLineEdit), TCheckBox (QCheckBox) and TComboBox (QComboBox). Their events come from the widgets' signals and
// run under Application->Guard.
#include "Controls.h"
#include "platform/rtl/Classes.h"

#include <memory>

class QLabel;
class QPushButton;
class QLineEdit;
class QCheckBox;
class QComboBox;

class TLabel : public TControl {
public:
    explicit TLabel(TComponent* owner);
    String ClassName() const override { return "TLabel"; }
    // '&' marks an accelerator and is not shown while ShowAccelChar; "&&" shows one '&'.
    bool ShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool on);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment alignment);
    bool WordWrap() const;
    void SetWordWrap(bool wrap);
    // The text as shown.
    String DisplayText() const;
    QLabel* Widget() const;

private:
    friend class TLabelHost;
    void ApplyText();
    bool showAccelChar_ = true;
    TAlignment alignment_ = taLeftJustify;
};

class TButton : public TWinControl {
public:
    explicit TButton(TComponent* owner);
    String ClassName() const override { return "TButton"; }
    // A click sets the parent form's ModalResult to this (when not mrNone), then OnClick runs.
    TModalResult ModalResult = mrNone;
    bool Default() const { return default_; }
    void SetDefault(bool on); // Enter in the form clicks it
    bool Cancel = false;      // Escape in the form clicks it
    void Click() override;
    QPushButton* Widget() const;

private:
    bool default_ = false;
};

class TEdit : public TWinControl {
public:
    explicit TEdit(TComponent* owner);
    String ClassName() const override { return "TEdit"; }
    String Text() const;
    void SetText(const String& text); // fires OnChange, as a typed change does
    int MaxLength() const;
    void SetMaxLength(int length); // 0: no limit
    bool ReadOnly() const;
    void SetReadOnly(bool on);
    char PasswordChar() const { return passwordChar_; }
    void SetPasswordChar(char c);
    void SelectAll();
    TNotifyEvent OnChange;
    QLineEdit* Widget() const;

private:
    char passwordChar_ = 0;
};

class TCheckBox : public TWinControl {
public:
    explicit TCheckBox(TComponent* owner);
    String ClassName() const override { return "TCheckBox"; }
    bool Checked() const;
    void SetChecked(bool on); // a change fires OnClick, as a click does
    void Click() override { TWinControl::Click(); }
    QCheckBox* Widget() const;
};

// csDropDown: an edit with a list; csDropDownList: a choice from the list only.
// csSimple and the owner-drawn styles are shown as csDropDown.
enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };

class TComboBox : public TWinControl {
public:
    explicit TComboBox(TComponent* owner);
    ~TComboBox() override;
    String ClassName() const override { return "TComboBox"; }
    // The list lives in the widget: every change of Items shows at once. Adding items leaves
    // ItemIndex as it was (-1 stays -1); clearing them clears the selection and the text.
    TStrings* Items() const { return items_.get(); }
    int ItemIndex() const;
    void SetItemIndex(int index); // -1: none; does not fire OnChange
    // The number of items the open list shows before it scrolls (at least one is shown).
    int DropDownCount() const { return dropDownCount_; }
    void SetDropDownCount(int count);
    String Text() const;
    // csDropDown: the edit text; csDropDownList: selects the item of that text (case-blind), or none.
    void SetText(const String& text);
    TComboBoxStyle Style() const { return style_; }
    void SetStyle(TComboBoxStyle style);
    // Fires when the user picks an item or edits the text.
    TNotifyEvent OnChange;
    QComboBox* Widget() const;

private:
    std::unique_ptr<TStrings> items_;
    TComboBoxStyle style_ = csDropDown;
    int dropDownCount_ = 8;
};

// The form a control lies on (its nearest TForm parent), null when none.
class TForm;
TForm* GetParentForm(TControl* control);
