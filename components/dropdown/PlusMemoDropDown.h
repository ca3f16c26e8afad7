#pragma once
// A drop-down edit for a multi-line text: the pop-up holds a memo with all lines, the edit
// shows the first line, shortened with "..." when it does not fit or followed by "..." when
// more lines follow. The memo edits a copy that a normal close commits and a cancel drops.
#include "components/dropdown/PlusDropDown.h"

#include "platform/framework/Menus.h"

class TPlusMemoDropDown : public TPlusCustomDropDown {
public:
    explicit TPlusMemoDropDown(TComponent* AOwner);
    String ClassName() const override { return "TPlusMemoDropDown"; }

    TStringList* MemoText() const { return memoText_.get(); }
    void SetMemoText(const TStrings& lines);
    TPopupMenu* MemoPopup = nullptr;
    TScrollStyle MemoScrollBars = ssNone;
    bool MemoReadOnly() const { return memoReadOnly_; }
    void SetMemoReadOnly(bool v);
    bool AutoDrop = false;
    TMemo* Memo() const { return memo_; }
    TNotifyEvent OnMemoChange;

    void HideDropDown(bool Cancel) override;
    void DropDownFormHidden() override;
    void DropDownControlKeyDown(WORD& Key, TShiftState Shift) override;
    void DropDownControlKeyUp(WORD& Key, TShiftState Shift) override;
    void DropDownControlKeyPress(char& Key) override;

protected:
    void CreateDropDownForm() override;
    void BeforeDropDown() override;
    void Change() override;
    void DoEnter() override;

private:
    void UpdateEditText();
    std::unique_ptr<TStringList> memoText_ = std::make_unique<TStringList>();
    TMemo* memo_ = nullptr;
    bool memoReadOnly_ = false;
    bool internalUpdate_ = false;
};
