#pragma once
// Actions: commands with a caption, enabled, checked and visible state shared by the menu
// items and buttons that use them. Every time the application goes idle, each action of a
// list runs its OnUpdate (after the list's own OnUpdate, which may handle all of them), so
// that its state follows the window's data.
#include "Component.h"
#include "Menus.h"

#include <vector>

class TActionList;
class TSpeedButton;
class TButton;

class TAction : public TComponent {
public:
    explicit TAction(TComponent* owner);
    ~TAction() override;
    String ClassName() const override { return "TAction"; }

    TActionList* ActionList() const { return list_; }
    void SetActionList(TActionList* list);

    String Caption() const { return caption_; }
    void SetCaption(const String& caption);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool on);
    bool Checked() const { return checked_; }
    void SetChecked(bool on);
    bool Visible() const { return visible_; }
    void SetVisible(bool on);
    String Hint() const { return hint_; }
    void SetHint(const String& hint);
    TShortCut ShortCut() const { return shortCut_; }
    void SetShortCut(TShortCut shortCut);

    // Runs OnExecute (when enabled); false when there is none.
    virtual bool Execute();
    // Runs OnUpdate; false when there is none.
    virtual bool Update();

    TNotifyEvent OnExecute;
    TNotifyEvent OnUpdate;

    // Clients take the action's state now and whenever it changes; their clicks execute it.
    void Link(TMenuItem* item);
    void Link(TControl* control);
    void Unlink(const TObject* client);

private:
    friend class TActionList;
    void Changed();
    TActionList* list_ = nullptr;
    String caption_;
    String hint_;
    bool enabled_ = true;
    bool checked_ = false;
    bool visible_ = true;
    TShortCut shortCut_ = 0;
    std::vector<TMenuItem*> items_;
    std::vector<TControl*> controls_;
};

using TActionEvent = std::function<void(TAction* Action, bool& Handled)>;

class TActionList : public TComponent {
public:
    explicit TActionList(TComponent* owner);
    ~TActionList() override;
    String ClassName() const override { return "TActionList"; }
    int ActionCount() const { return int(actions_.size()); }
    TAction* Actions(int index) const { return actions_.at(size_t(index)); }
    // The idle update of every action (also called by the application when it goes idle).
    void UpdateActions();
    // Runs for each action before its own update; Handled stops the action's own.
    TActionEvent OnUpdate;
    TActionEvent OnExecute;
    // False stops the idle updates (and the executes) of the list.
    bool State = true;

private:
    friend class TAction;
    std::vector<TAction*> actions_;
};
