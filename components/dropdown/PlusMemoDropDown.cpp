#include "components/dropdown/PlusMemoDropDown.h"

#include "platform/win/WinGdi.h"

TPlusMemoDropDown::TPlusMemoDropDown(TComponent* AOwner) : TPlusCustomDropDown(AOwner)
{
    memoText_->OnChange = [this](TStringList&) { UpdateEditText(); };
    CreateDropDownForm();
}

void TPlusMemoDropDown::CreateDropDownForm()
{
    TPlusCustomDropDown::CreateDropDownForm();
    if (!form_)
        return;
    if (!memo_) {
        memo_ = new TMemo(this);
        memo_->SetParent(form_);
        memo_->SetHeight(100);
        memo_->OnChange = [this](TObject*) {
            if (OnMemoChange)
                OnMemoChange(this);
        };
        memo_->SetBorderStyle(bsNone);
    }
    SetDropDownControl(memo_);
}

void TPlusMemoDropDown::SetMemoText(const TStrings& lines) { memoText_->Assign(lines); }

void TPlusMemoDropDown::SetMemoReadOnly(bool v)
{
    memoReadOnly_ = v;
    if (IsDroppedDown() && memo_)
        memo_->SetReadOnly(v);
}

void TPlusMemoDropDown::BeforeDropDown()
{
    TPlusCustomDropDown::BeforeDropDown();
    form_->DeactivateCancels = false;
    if (memo_) {
        memo_->Lines()->Assign(*memoText_);
        SetPopupMenu(memo_, MemoPopup);
        memo_->SetScrollBars(MemoScrollBars);
        memo_->SetReadOnly(memoReadOnly_);
    }
}

void TPlusMemoDropDown::HideDropDown(bool Cancel)
{
    const bool autoDrop = AutoDrop;
    AutoDrop = false; // the focus coming back must not reopen the pop-up
    if (Cancel && memo_)
        memo_->Lines()->Assign(*memoText_);
    // A cancelled close puts the edit's last set text back; that text is no typing, so the
    // lines stay, and the edit shows their summary again.
    internalUpdate_ = true;
    TPlusCustomDropDown::HideDropDown(Cancel);
    internalUpdate_ = false;
    if (Cancel)
        UpdateEditText();
    AutoDrop = autoDrop;
}

void TPlusMemoDropDown::DropDownFormHidden()
{
    TPlusCustomDropDown::DropDownFormHidden();
    if (memo_)
        memoText_->Assign(*memo_->Lines());
}

void TPlusMemoDropDown::UpdateEditText()
{
    String summary;
    if (memoText_->Count() > 0) {
        summary = memoText_->Strings(0);
        const int w = GetEditRect().Width();
        TCanvas c;
        HDC dc = CreateCompatibleDC(nullptr);
        c.SetHandle(dc);
        c.Font->Assign(Font());
        if (GetTextSize(&c, summary).cx < w) {
            if (memoText_->Count() > 1)
                summary += "...";
        } else {
            String fitted;
            FitTextToWidth(&c, summary, w, fitted, true);
            summary = fitted;
        }
        c.SetHandle(nullptr);
        DeleteDC(dc);
    }
    const bool was = internalUpdate_;
    internalUpdate_ = true;
    SetTextDirect(summary);
    internalUpdate_ = was;
}

void TPlusMemoDropDown::Change()
{
    if (!internalUpdate_) {
        auto handler = std::move(memoText_->OnChange);
        memoText_->OnChange = nullptr;
        memoText_->Clear();
        memoText_->Add(GetText());
        memoText_->OnChange = std::move(handler);
    }
    TPlusCustomDropDown::Change();
}

void TPlusMemoDropDown::DoEnter()
{
    TPlusCustomDropDown::DoEnter();
    if (AutoDrop)
        ShowDropDown();
}

void TPlusMemoDropDown::DropDownControlKeyDown(WORD& Key, TShiftState Shift)
{
    if (GetKeyState(VK_MENU) < 0 || Key == VK_ESCAPE || Key == VK_F4)
        TPlusCustomDropDown::DropDownControlKeyDown(Key, Shift);
    if ((Key == 65 || Key == 97) && Shift.Contains(ssCtrl) && memo_)
        memo_->SelectAll();
}

void TPlusMemoDropDown::DropDownControlKeyUp(WORD& Key, TShiftState Shift)
{
    if (GetKeyState(VK_MENU) < 0 || Key == VK_ESCAPE || Key == VK_F4)
        TPlusCustomDropDown::DropDownControlKeyUp(Key, Shift);
}

void TPlusMemoDropDown::DropDownControlKeyPress(char& Key)
{
    if (Key == 27 || GetKeyState(VK_MENU) < 0)
        TPlusCustomDropDown::DropDownControlKeyPress(Key);
}
