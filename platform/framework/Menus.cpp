#include "platform/framework/Menus.h"

#include "platform/framework/Forms.h"

#include <QAction>
#include <QActionGroup>
#include <QContextMenuEvent>
#include <QCursor>
#include <QEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>

#include <algorithm>
#include <map>

// ---------------------------------------------------------------- shortcuts

TShortCut ShortCut(WORD key, TShiftState shift)
{
    TShortCut s = key & 0xFF;
    if (shift.Contains(ssShift))
        s |= scShift;
    if (shift.Contains(ssCtrl))
        s |= scCtrl;
    if (shift.Contains(ssAlt))
        s |= scAlt;
    return s;
}

namespace {

struct KeyName {
    WORD key;
    const char* name;
};
const KeyName keyNames[] = {
    {VK_BACK, "BkSp"}, {VK_TAB, "Tab"},   {VK_ESCAPE, "Esc"},   {VK_RETURN, "Enter"}, {VK_SPACE, "Space"},
    {VK_PRIOR, "PgUp"}, {VK_NEXT, "PgDn"}, {VK_END, "End"},     {VK_HOME, "Home"},    {VK_LEFT, "Left"},
    {VK_UP, "Up"},      {VK_RIGHT, "Right"}, {VK_DOWN, "Down"}, {VK_INSERT, "Ins"},   {VK_DELETE, "Del"},
};

String KeyText(WORD key)
{
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z'))
        return String(1, char(key));
    if (key >= VK_F1 && key <= VK_F1 + 11)
        return "F" + IntToStr(key - VK_F1 + 1);
    for (const KeyName& k : keyNames)
        if (k.key == key)
            return k.name;
    return String();
}

// The Qt key sequence of a shortcut (for the text Qt shows beside the item and its key).
QKeySequence SequenceOf(TShortCut s)
{
    if (s == 0)
        return QKeySequence();
    int qt = QtKeyOfVirtualKey(WORD(s & 0xFF));
    if (qt == 0)
        return QKeySequence();
    int mods = 0;
    if (s & scShift)
        mods |= Qt::ShiftModifier;
    if (s & scCtrl)
        mods |= Qt::ControlModifier;
    if (s & scAlt)
        mods |= Qt::AltModifier;
    return QKeySequence(QKeyCombination(Qt::KeyboardModifiers(mods), Qt::Key(qt)));
}

} // namespace

String ShortCutToText(TShortCut s)
{
    const String key = KeyText(WORD(s & 0xFF));
    if (key.empty())
        return String();
    String text;
    if (s & scShift)
        text += "Shift+";
    if (s & scCtrl)
        text += "Ctrl+";
    if (s & scAlt)
        text += "Alt+";
    return text + key;
}

TShortCut TextToShortCut(const String& text)
{
    String rest = text;
    TShortCut mods = 0;
    for (;;) {
        if (SameText(rest.substr(0, 6), "Shift+"))
            mods |= scShift, rest = rest.substr(6);
        else if (SameText(rest.substr(0, 5), "Ctrl+"))
            mods |= scCtrl, rest = rest.substr(5);
        else if (SameText(rest.substr(0, 4), "Alt+"))
            mods |= scAlt, rest = rest.substr(4);
        else
            break;
    }
    for (int key = 1; key < 256; ++key)
        if (const String name = KeyText(WORD(key)); !name.empty() && SameText(name, rest))
            return TShortCut(mods | key);
    return 0;
}

// ---------------------------------------------------------------- TMenuItem

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner), action_(std::make_unique<QAction>())
{
    QObject::connect(action_.get(), &QAction::triggered, [this] { Application->Guard([this] { Click(); }, this); });
}

TMenuItem::~TMenuItem()
{
    BeginDestroy();
    QObject::disconnect(action_.get(), nullptr, nullptr, nullptr);
    // Sub-items this item does not own through the component tree are its own to free.
    while (!items_.empty()) {
        TMenuItem* item = items_.back();
        items_.pop_back();
        item->parent_ = nullptr;
        if (!item->Owner() || item->Owner() == this)
            delete item;
    }
    if (parent_)
        parent_->Remove(this);
}

void TMenuItem::SetCaption(const String& caption)
{
    caption_ = caption;
    Apply();
    if (parent_)
        parent_->Rebuild();
}

void TMenuItem::SetShortCut(TShortCut shortCut)
{
    shortCut_ = shortCut;
    Apply();
}

void TMenuItem::SetEnabled(bool on)
{
    enabled_ = on;
    ApplyTree();
}

void TMenuItem::SetVisible(bool on)
{
    visible_ = on;
    Apply();
}

void TMenuItem::SetChecked(bool on)
{
    checked_ = on;
    if (on && RadioItem && parent_)
        for (TMenuItem* sibling : parent_->items_)
            if (sibling != this && sibling->RadioItem && sibling->GroupIndex == GroupIndex && sibling->checked_) {
                sibling->checked_ = false;
                sibling->Apply();
            }
    Apply();
}

bool TMenuItem::EffectivelyEnabled() const
{
    for (const TMenuItem* i = this; i; i = i->parent_)
        if (!i->enabled_)
            return false;
    return true;
}

QAction* TMenuItem::Action() const { return action_.get(); }
QMenu* TMenuItem::SubMenu() const { return subMenu_.get(); }

void TMenuItem::Apply()
{
    QAction* a = action_.get();
    a->setText(ToQString(caption_));
    a->setSeparator(IsLine());
    a->setVisible(visible_);
    a->setEnabled(EffectivelyEnabled());
    a->setCheckable(checked_ || RadioItem || AutoCheck);
    a->setChecked(checked_);
    // the key works while the window of the menu is active
    a->setShortcut(SequenceOf(shortCut_));
    a->setShortcutContext(Qt::WindowShortcut);
    if (subMenu_)
        subMenu_->setTitle(ToQString(caption_));
}

void TMenuItem::ApplyTree()
{
    Apply();
    for (TMenuItem* item : items_)
        item->ApplyTree();
}

void TMenuItem::Rebuild()
{
    // An item with sub-items opens a menu of them.
    if (items_.empty()) {
        if (subMenu_) {
            action_->setMenu(nullptr);
            subMenu_.reset();
        }
    } else {
        if (!subMenu_) {
            subMenu_ = std::make_unique<QMenu>();
            action_->setMenu(subMenu_.get());
        }
        subMenu_->clear();
        for (TMenuItem* item : items_)
            subMenu_->addAction(item->action_.get());
    }
    Apply();
    for (TMenuItem* i = this; i; i = i->parent_)
        if (i->menu_)
            i->menu_->ItemsChanged();
}

void TMenuItem::Add(TMenuItem* item) { Insert(Count(), item); }

void TMenuItem::Insert(int index, TMenuItem* item)
{
    if (!item || item->parent_)
        throw Exception("Menu inserted twice");
    index = std::clamp(index, 0, Count());
    items_.insert(items_.begin() + index, item);
    item->parent_ = this;
    item->ApplyTree();
    Rebuild();
}

void TMenuItem::Remove(TMenuItem* item)
{
    auto it = std::find(items_.begin(), items_.end(), item);
    if (it == items_.end())
        return;
    items_.erase(it);
    item->parent_ = nullptr;
    if (!(ComponentState() & csDestroying))
        Rebuild();
}

void TMenuItem::Delete(int index)
{
    if (index < 0 || index >= Count())
        throw Exception("Menu index out of range");
    Remove(items_[size_t(index)]);
}

void TMenuItem::Clear()
{
    while (!items_.empty())
        delete items_.back();
}

int TMenuItem::IndexOf(const TMenuItem* item) const
{
    auto it = std::find(items_.begin(), items_.end(), item);
    return it == items_.end() ? -1 : int(it - items_.begin());
}

TMenuItem* TMenuItem::FindShortCut(TShortCut shortCut)
{
    if (shortCut == 0)
        return nullptr;
    for (TMenuItem* item : items_) {
        if (!item->enabled_ || !item->visible_)
            continue;
        if (item->shortCut_ == shortCut)
            return item;
        if (TMenuItem* found = item->FindShortCut(shortCut))
            return found;
    }
    return nullptr;
}

void TMenuItem::Click()
{
    if (!EffectivelyEnabled())
        return;
    if (AutoCheck)
        SetChecked(!checked_);
    else
        Apply(); // Qt toggles a checkable action by itself: the item keeps its own state
    if (OnClick)
        OnClick(this);
}

// ---------------------------------------------------------------- TMenu

TMenu::TMenu(TComponent* owner) : TComponent(owner), items_(new TMenuItem(nullptr))
{
    items_->menu_ = this;
}

TMenu::~TMenu()
{
    items_->menu_ = nullptr;
    delete items_;
}

TMenuItem* TMenu::FindItem(TShortCut shortCut)
{
    return items_->FindShortCut(shortCut);
}

bool TMenu::IsShortCut(TShortCut shortCut)
{
    TMenuItem* item = FindItem(shortCut);
    if (!item)
        return false;
    item->Click();
    return true;
}

// ---------------------------------------------------------------- TMainMenu

namespace {

// Keeps the menu bar as wide as its form.
class TMenuBarSizer : public QObject {
public:
    TMenuBarSizer(QMenuBar* bar) : bar_(bar) {}
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (e->type() == QEvent::Resize && bar_)
            bar_->setGeometry(0, 0, static_cast<QWidget*>(watched)->width(), bar_->height());
        return false;
    }

private:
    QPointer<QMenuBar> bar_;
};

} // namespace

TMainMenu::TMainMenu(TComponent* owner) : TMenu(owner), bar_(std::make_unique<QMenuBar>())
{
    bar_->setNativeMenuBar(false);
    if (auto* form = dynamic_cast<TForm*>(owner))
        SetForm(form);
}

TMainMenu::~TMainMenu()
{
    SetForm(nullptr);
}

QMenuBar* TMainMenu::Bar() const { return bar_.get(); }

int TMainMenu::Height() const
{
    return std::max(bar_->sizeHint().height(), 20);
}

void TMainMenu::SetForm(TForm* form)
{
    if (form == form_)
        return;
    if (form_) {
        const int clientHeight = form_->ClientHeight();
        bar_->setParent(nullptr);
        if (!(form_->ComponentState() & csDestroying)) {
            form_->SetClientOffset(TPoint(0, 0));
            form_->SetClientHeight(clientHeight);
        }
    }
    form_ = form;
    if (!form_)
        return;
    const int clientHeight = form_->ClientHeight();
    bar_->setParent(form_->Host());
    auto* sizer = new TMenuBarSizer(bar_.get());
    sizer->setParent(bar_.get());
    form_->Host()->installEventFilter(sizer);
    bar_->setGeometry(0, 0, form_->Host()->width(), Height());
    bar_->show();
    form_->SetClientOffset(TPoint(0, Height()));
    form_->SetClientHeight(clientHeight);
}

void TMainMenu::ItemsChanged()
{
    bar_->clear();
    for (int i = 0; i < items_->Count(); ++i)
        bar_->addAction(items_->Items(i)->Action());
}

// ---------------------------------------------------------------- TPopupMenu

std::function<TMenuItem*(TPopupMenu*)> TPopupMenu::ChooseHook;

TPopupMenu::TPopupMenu(TComponent* owner) : TMenu(owner) {}

void TPopupMenu::Popup(int x, int y)
{
    if (OnPopup)
        OnPopup(this);
    if (ChooseHook) {
        if (TMenuItem* item = ChooseHook(this))
            item->Click();
        return;
    }
    QMenu menu;
    for (int i = 0; i < items_->Count(); ++i)
        menu.addAction(items_->Items(i)->Action());
    // the chosen item's action runs its click
    menu.exec(QPoint(x, y));
}

namespace {

// The context-menu requests of a control's window, sent to its pop-up menu.
class TPopupLink : public QObject {
public:
    TPopupLink(TControl* control, TPopupMenu* menu) : control_(control), menu_(menu) {}
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() != QEvent::ContextMenu || !menu_ || !menu_->AutoPopup)
            return false;
        const QPoint p = static_cast<QContextMenuEvent*>(e)->globalPos();
        menu_->PopupComponent = control_;
        Application->Guard([this, p] { menu_->Popup(p.x(), p.y()); }, menu_);
        return true;
    }
    TControl* control_;
    TPopupMenu* menu_;
};

std::map<const TControl*, TPopupLink*>& PopupLinks()
{
    static std::map<const TControl*, TPopupLink*> links;
    return links;
}

} // namespace

void SetPopupMenu(TControl* control, TPopupMenu* menu)
{
    auto& links = PopupLinks();
    if (auto it = links.find(control); it != links.end()) {
        TPopupLink* old = it->second;
        links.erase(it);
        QObject::disconnect(old, &QObject::destroyed, nullptr, nullptr);
        delete old;
    }
    if (!menu || !control->Host())
        return;
    auto* link = new TPopupLink(control, menu);
    link->setParent(control->Host());
    control->Host()->installEventFilter(link);
    links[control] = link;
    // the link goes with the window; forget it then
    QObject::connect(link, &QObject::destroyed, [control] { PopupLinks().erase(control); });
}

TPopupMenu* PopupMenuOf(const TControl* control)
{
    auto& links = PopupLinks();
    auto it = links.find(control);
    return it == links.end() ? nullptr : it->second->menu_;
}
