#pragma once
// Menus: TMenuItem (a caption with an '&' accelerator, a shortcut such as F9 or Ctrl+C,
// enabled, visible and checked states, sub-items), TMainMenu (the menu bar of its form) and
// TPopupMenu (shown at a screen point).
//
// An item whose parent menu is disabled is disabled with it: neither a click nor its shortcut
// reaches it while any menu above it is disabled.
#include "platform/framework/Component.h"
#include "platform/framework/Controls.h"

#include <memory>
#include <vector>

class QAction;
class QMenu;
class QMenuBar;
class TForm;
class TMenu;

// A shortcut: a virtual-key code with scShift, scCtrl, scAlt.
using TShortCut = WORD;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;
constexpr TShortCut scNone = 0;
TShortCut ShortCut(WORD key, TShiftState shift);
// "F9", "Ctrl+C", "Shift+Del"... and back; an unknown text gives 0.
String ShortCutToText(TShortCut shortCut);
TShortCut TextToShortCut(const String& text);

class TMenuItem : public TComponent {
public:
    explicit TMenuItem(TComponent* owner);
    ~TMenuItem() override;
    String ClassName() const override { return "TMenuItem"; }

    String Caption() const { return caption_; }
    void SetCaption(const String& caption); // "-" makes a separator
    bool IsLine() const { return caption_ == "-"; }
    TShortCut ShortCut() const { return shortCut_; }
    void SetShortCut(TShortCut shortCut);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool on);
    bool Visible() const { return visible_; }
    void SetVisible(bool on);
    bool Checked() const { return checked_; }
    void SetChecked(bool on);
    // Checked radio items of one GroupIndex under one parent uncheck each other.
    bool RadioItem = false;
    int GroupIndex = 0;
    bool AutoCheck = false;
    String Hint;
    int HelpContext = 0;

    // Sub-items.
    int Count() const { return int(items_.size()); }
    TMenuItem* Items(int index) const { return items_.at(size_t(index)); }
    TMenuItem* operator[](int index) const { return Items(index); }
    TMenuItem* Parent() const { return parent_; }
    void Add(TMenuItem* item);
    void Insert(int index, TMenuItem* item);
    void Remove(TMenuItem* item);
    void Delete(int index);
    void Clear(); // frees the sub-items
    int IndexOf(const TMenuItem* item) const;
    int MenuIndex() const { return parent_ ? parent_->IndexOf(this) : -1; }
    // The item of a shortcut among this item's enabled descendants (null when none).
    TMenuItem* FindShortCut(TShortCut shortCut);
    // Enabled here and in every menu above it.
    bool EffectivelyEnabled() const;

    // Runs the item as a user's choice does (nothing while it is disabled).
    virtual void Click();
    TNotifyEvent OnClick;

    QAction* Action() const;
    QMenu* SubMenu() const;

private:
    friend class TMenu;
    void Apply();
    void ApplyTree();
    void Rebuild();
    void Detach();
    String caption_;
    TShortCut shortCut_ = 0;
    bool enabled_ = true;
    bool visible_ = true;
    bool checked_ = false;
    TMenuItem* parent_ = nullptr;
    std::vector<TMenuItem*> items_;
    std::unique_ptr<QAction> action_;
    std::unique_ptr<QMenu> subMenu_;
    TMenu* menu_ = nullptr; // the menu of a root item
};

class TMenu : public TComponent {
public:
    explicit TMenu(TComponent* owner);
    ~TMenu() override;
    TMenuItem* Items() const { return items_; }
    // Clicks the enabled item of a shortcut; false when no item has it.
    bool IsShortCut(TShortCut shortCut);
    // The item of a shortcut (null when none or disabled).
    TMenuItem* FindItem(TShortCut shortCut);

protected:
    friend class TMenuItem;
    virtual void ItemsChanged() {}
    TMenuItem* items_;
};

// The menu bar of its form: created on a form (its owner or SetForm) it lies above the form's
// client area.
class TMainMenu : public TMenu {
public:
    explicit TMainMenu(TComponent* owner);
    ~TMainMenu() override;
    String ClassName() const override { return "TMainMenu"; }
    TForm* Form() const { return form_; }
    void SetForm(TForm* form);
    QMenuBar* Bar() const;
    // The height of the bar on its form.
    int Height() const;

protected:
    void ItemsChanged() override;

private:
    TForm* form_ = nullptr;
    std::unique_ptr<QMenuBar> bar_;
};

class TPopupMenu : public TMenu {
public:
    explicit TPopupMenu(TComponent* owner);
    String ClassName() const override { return "TPopupMenu"; }
    // Shows the menu at a screen point; the chosen item is clicked. OnPopup runs first.
    virtual void Popup(int x, int y);
    TComponent* PopupComponent = nullptr;
    bool AutoPopup = true;
    TNotifyEvent OnPopup;
    // Tests: when set, Popup asks this for the item to choose (null: none) instead of showing.
    static std::function<TMenuItem*(TPopupMenu*)> ChooseHook;
};

// Shows `menu` when the user asks for the context menu of `control` (right click, menu key),
// with PopupComponent set to the control; null takes it off.
void SetPopupMenu(TControl* control, TPopupMenu* menu);
TPopupMenu* PopupMenuOf(const TControl* control);
