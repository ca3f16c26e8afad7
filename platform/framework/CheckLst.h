#pragma once
// TCheckListBox: a list box whose items carry a check box each.
#include "platform/framework/StdCtrls.h"

class TCheckListBox : public TListBox {
public:
    explicit TCheckListBox(TComponent* owner);
    String ClassName() const override { return "TCheckListBox"; }
    bool Checked(int index) const;
    // Does not fire OnClickCheck (only the user's clicks do).
    void SetChecked(int index, bool on);
    bool ItemEnabled(int index) const;
    void SetItemEnabled(int index, bool on);
    // Fires when the user checks or clears an item.
    TNotifyEvent OnClickCheck;

private:
    friend class TCheckListBoxHost;
    void UserToggled();
    bool setting_ = false;
};
