#pragma once
// Actions: commands with a caption, enabled, checked and visible state shared by the menu
// items and buttons that use them. Every time the application goes idle, each action of a
// list runs its OnUpdate (after the list's own OnUpdate, which may handle all of them), so
// that its state follows the window's data.
#include "platform/framework/Component.h"
#include "platform/framework/Menus.h"

#include <vector>

class TActionList;
class TSpeedButton;
class TButton;
class TAction;

// The link between an action and a control that takes its state through its own rules: each
// change of the action is offered to the link (SetCaption...) before the action stores it, and
// the link passes it on only while the matching Is...Linked test holds (the control still shows
// the action's value, say). Controls with their own rules derive from it.
class TControlActionLink {
public:
    virtual ~TControlActionLink();
    TAction* Action() const { return action_; }
    // Links to the action (null: unlinks); the link is then told of its changes.
    void SetAction(TAction* action);
    TControl* Client() const { return client_; }
    // The client must be a control: any other raises EConvertError "Invalid class typecast".
    virtual void AssignClient(TObject* client);
    virtual bool IsCaptionLinked();   // the client's caption is the action's
    virtual bool IsCheckedLinked();
    virtual bool IsEnabledLinked();
    virtual bool IsVisibleLinked();
    virtual bool IsHintLinked();
    virtual bool IsGroupIndexLinked();
    virtual void SetCaption(const String& value);
    virtual void SetChecked(bool value);
    virtual void SetEnabled(bool value);
    virtual void SetVisible(bool value);
    virtual void SetHint(const String& value);
    virtual void SetGroupIndex(int value);
    // Runs the action; false without one.
    bool Execute();

protected:
    TControl* client_ = nullptr;
    TAction* action_ = nullptr;
};

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
    // Actions of one non-zero group index are checked one at a time by their clients.
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int value);

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
    void AddLink(TControlActionLink* link);
    void RemoveLink(TControlActionLink* link);

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
    int groupIndex_ = 0;
    std::vector<TControlActionLink*> links_;
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
