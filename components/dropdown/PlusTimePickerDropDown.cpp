#include "components/dropdown/PlusTimePickerDropDown.h"

#include <cmath>

namespace {
char TimeSep() { return FormatSettings().TimeSeparator; }

bool IsStepKey(WORD k) { return k == VK_PRIOR || k == VK_NEXT || k == VK_UP || k == VK_DOWN; }

// empty, or one or two decimal digits first
bool IsTimeFieldText(const String& s)
{
    if (s.empty())
        return true;
    if (!(s[0] >= '0' && s[0] <= '9'))
        return false;
    return s.size() < 2 || (s[1] >= '0' && s[1] <= '9');
}

int FieldValue(const String& s)
{
    int n = 0;
    return s.empty() ? 0 : (TryStrToInt(s, n) ? n : -1);
}
} // namespace

String FormatTwoDigits(int n)
{
    String s = IntToStr(n);
    if (s.empty())
        return "00";
    return s.size() == 1 ? "0" + s : s;
}

// ---------------------------------------------------------------- the time picker drop-down

TPlusTimePickerDropDown::TPlusTimePickerDropDown(TComponent* AOwner) : TPlusCustomDropDown(AOwner)
{
    SetEditorEnabled(false);
    DropDownEnabled = true;
    internalWrite_ = true;
    SetEditMask(Mask());
    SetTextDirect(String("00") + TimeSep() + "00" + TimeSep() + "00");
    internalWrite_ = false;
    DropDownHeader()->SetVisible(false);
    DropDownFooter()->SetVisible(false);
    CreateDropDownForm();
}

String TPlusTimePickerDropDown::Mask() const
{
    const String ts(1, TimeSep());
    return showSeconds_ ? "!90" + ts + "00" + ts + "00;1; " : "!90" + ts + "00;1; ";
}

String TPlusTimePickerDropDown::FormatTimeText(int h, int m, int s) const
{
    String t = FormatTwoDigits(h) + TimeSep() + FormatTwoDigits(m);
    if (showSeconds_)
        t += TimeSep() + FormatTwoDigits(s);
    return t;
}

void TPlusTimePickerDropDown::CreateDropDownForm()
{
    TPlusCustomDropDown::CreateDropDownForm();
    if (!form_)
        return;
    if (!panel_) {
        panel_ = new TPanel(this);
        panel_->SetParent(form_);
        panel_->SetTakesFocus(false);
        panel_->SetBorderWidth(0);
        panel_->SetBevelInner(bvNone);
        panel_->SetBevelOuter(bvNone);
    }
    panel_->SetBounds(0, 0, 170, 180);
    if (!clock_) {
        clock_ = new TPlusWatch(this);
        clock_->SetParent(panel_);
        clock_->SetTakesFocus(false); // keys reach the clock through the pop-up
    }
    clock_->Align = alClient;
    SetDropDownControl(panel_);
}

void TPlusTimePickerDropDown::SetTime(TDateTime Value)
{
    if (Value == time_)
        return;
    time_ = Value;
    int h = 0, m = 0, s = 0, ms = 0;
    DecodeTime(Value - std::floor(Value), h, m, s, ms);
    SetTextDirect(FormatTimeText(h, m, s));
}

void TPlusTimePickerDropDown::SetShowSeconds(bool Value)
{
    if (Value == showSeconds_)
        return;
    showSeconds_ = Value;
    internalWrite_ = true;
    SetEditMask("");
    TPlusCustomDropDown::SetText("");
    SetEditMask(Mask());
    internalWrite_ = false;
    const TDateTime old = time_;
    time_ = old + 1.0;
    SetTime(old);
}

void TPlusTimePickerDropDown::SetHour(int h)
{
    int hh = 0, m = 0, s = 0, ms = 0;
    DecodeTime(time_ - std::floor(time_), hh, m, s, ms);
    if (h == hh || h < 0 || h > 23)
        return;
    SetTime(EncodeTime(h, m, s, ms));
    if (OnTimeChange)
        OnTimeChange(this);
}

void TPlusTimePickerDropDown::SetMinute(int mm)
{
    int h = 0, m = 0, s = 0, ms = 0;
    DecodeTime(time_ - std::floor(time_), h, m, s, ms);
    if (mm == m || mm < 0 || mm > 59)
        return;
    SetTime(EncodeTime(h, mm, s, ms));
    if (OnTimeChange)
        OnTimeChange(this);
}

void TPlusTimePickerDropDown::SetSecond(int ss)
{
    int h = 0, m = 0, s = 0, ms = 0;
    DecodeTime(time_ - std::floor(time_), h, m, s, ms);
    if (ss == s || ss < 0 || ss > 59)
        return;
    SetTime(EncodeTime(h, m, ss, ms));
    if (OnTimeChange)
        OnTimeChange(this);
}

bool TPlusTimePickerDropDown::HasTimeStructure(const String& text) const
{
    const size_t first = text.find(TimeSep());
    if (first == String::npos)
        return false;
    const String rest = Trim(text.substr(first + 1));
    const auto more = std::count(rest.begin(), rest.end(), TimeSep());
    return showSeconds_ ? more == 1 : more == 0;
}

void TPlusTimePickerDropDown::Change()
{
    TPlusCustomDropDown::Change();
    const String text = GetText();
    const size_t len = Trim(text).size();
    if (text.empty() || !(len == 5 || (showSeconds_ && len == 8)) || internalWrite_)
        return;
    if (!HasTimeStructure(text))
        return;
    String t = text;
    std::replace(t.begin(), t.end(), ' ', '0');
    const size_t first = t.find(TimeSep());
    const String hourText = Trim(t.substr(0, first));
    if (!IsTimeFieldText(hourText))
        return;
    const String rest = Trim(t.substr(first + 1));
    String minuteText = rest, secondText;
    if (showSeconds_) {
        const size_t second = rest.find(TimeSep());
        minuteText = Trim(rest.substr(0, second));
        secondText = second == String::npos ? String() : Trim(rest.substr(second + 1));
    }
    if (!IsTimeFieldText(minuteText) || (showSeconds_ && !IsTimeFieldText(secondText)))
        return;
    const int h = FieldValue(hourText), m = FieldValue(minuteText), s = showSeconds_ ? FieldValue(secondText) : 0;
    TDateTime value = 0;
    // fields outside the clock's range leave the time and the text as they were
    if (!TryEncodeTime(h, m, s, 0, value))
        return;
    time_ = value;
    const String f = FormatTimeText(h, m, s);
    if (f != text && m == 0 && s == 0) {
        internalWrite_ = true;
        TPlusCustomDropDown::SetText(f);
        internalWrite_ = false;
    }
}

void TPlusTimePickerDropDown::KeyDown(WORD& Key, TShiftState Shift)
{
    TPlusCustomDropDown::KeyDown(Key, Shift);
    if (GetKeyState(VK_MENU) < 0 || Shift.Contains(ssAlt) || Shift.Contains(ssCtrl))
        return;
    if (Key != VK_UP && Key != VK_DOWN)
        return;
    String text = GetText();
    const int caret = SelStart();
    int p = caret;
    int h = 0, m = 0, s = 0, ms = 0;
    DecodeTime(time_ - std::floor(time_), h, m, s, ms);
    const int step = Key == VK_UP ? -1 : 1;
    const int s1 = int(text.find(TimeSep())) + 1; // 1-based, 0 when none
    if (s1 == 0 || p < s1) {
        SetHour((h + step + 24) % 24);
    } else {
        text.erase(0, size_t(s1));
        p -= s1;
        const int s2 = int(text.find(TimeSep())) + 1;
        if (showSeconds_ && s2 > 0 && p >= s2)
            SetSecond((s + step + 60) % 60);
        else
            SetMinute((m + step + 60) % 60);
    }
    SetSelStart(caret);
}

void TPlusTimePickerDropDown::BeforeDropDown()
{
    TPlusCustomDropDown::BeforeDropDown();
    panel_->SetBounds(0, 0, 170, 170);
    form_->SetWidth(form_->Width() + 1);
    form_->SetWidth(form_->Width() - 1);
    form_->DeactivateCancels = false;
    panel_->SetColor(DropDownColor);
    clock_->SetColor(DropDownColor == clNone ? TColor(clWhite) : DropDownColor);
    clock_->SetAppearance(watchAppearance_.get());
    clock_->SetSettings(watchSettings_.get());
    clock_->OnChange = nullptr;
    clock_->SetTime(time_);
    clock_->OnChange = [this](TObject*) { WatchChange(); };
    if (!ShowTimePicker) {
        if (picker_)
            picker_->SetVisible(false);
        return;
    }
    if (!picker_) {
        picker_ = new TDateTimePicker(this);
        picker_->SetParent(panel_);
        picker_->SetKind(dtkTime);
    }
    picker_->OnChange = nullptr;
    picker_->Align = alBottom;
    picker_->SetVisible(true);
    picker_->SetTime(time_);
    picker_->BringToFront();
    picker_->OnChange = [this](TObject*) {
        if (picker_ && clock_)
            clock_->SetTime(picker_->Time());
        WatchChange();
    };
    picker_->OnKeyDown = [this](TObject*, WORD& k, TShiftState s) { DropDownControlKeyDown(k, s); };
    picker_->OnKeyUp = [this](TObject*, WORD& k, TShiftState s) { DropDownControlKeyUp(k, s); };
    picker_->OnKeyPress = [this](TObject*, char& k) { DropDownControlKeyPress(k); };
    picker_->SetFormat(showSeconds_ ? "HH:mm:ss" : "HH:mm");
    panel_->SetHeight(picker_->Height() + 170);
}

void TPlusTimePickerDropDown::WatchChange()
{
    if (picker_ && ShowTimePicker && picker_->Time() != clock_->Time()) {
        auto handler = std::move(picker_->OnChange);
        picker_->OnChange = nullptr;
        picker_->SetTime(clock_->Time());
        picker_->OnChange = std::move(handler);
        if (OnTimeChange)
            OnTimeChange(this);
    }
    SetTime(clock_->Time());
}

void TPlusTimePickerDropDown::HideDropDown(bool Cancel)
{
    if (!form_ || !form_->Visible())
        return;
    TPlusCustomDropDown::HideDropDown(Cancel);
    if (Cancel)
        clock_->SetTime(time_);
    else
        SetTime(clock_->Time());
}

void TPlusTimePickerDropDown::DropDownFormHidden()
{
    TPlusCustomDropDown::DropDownFormHidden();
    if (clock_)
        SetTime(clock_->Time());
}

void TPlusTimePickerDropDown::DropDownFormKeyDown(WORD& Key, TShiftState Shift)
{
    if (!IsStepKey(Key) || Shift.Contains(ssAlt))
        TPlusCustomDropDown::DropDownFormKeyDown(Key, Shift);
    if (form_ && form_->Visible() && clock_)
        clock_->HandleKey(Key);
}

void TPlusTimePickerDropDown::DropDownFormKeyUp(WORD& Key, TShiftState Shift)
{
    if (!IsStepKey(Key) || Shift.Contains(ssAlt))
        TPlusCustomDropDown::DropDownFormKeyUp(Key, Shift);
}

void TPlusTimePickerDropDown::DropDownControlKeyDown(WORD& Key, TShiftState Shift)
{
    if (!IsStepKey(Key) || Shift.Contains(ssAlt))
        TPlusCustomDropDown::DropDownControlKeyDown(Key, Shift);
}

void TPlusTimePickerDropDown::DropDownControlKeyUp(WORD& Key, TShiftState Shift)
{
    if (!IsStepKey(Key) || Shift.Contains(ssAlt))
        TPlusCustomDropDown::DropDownControlKeyUp(Key, Shift);
}

void TPlusTimePickerDropDown::ApplyColorStyle(uint8_t Style)
{
    TPlusCustomDropDown::ApplyColorStyle(Style);
    ApplyWatchColorStyle(watchAppearance_.get(), Style);
}
