#include "components/dropdown/PlusTrackBarDropDown.h"

TPlusTrackBarDropDown::TPlusTrackBarDropDown(TComponent* AOwner) : TPlusCustomDropDown(AOwner)
{
    CreateDropDownForm();
    SetEditorEnabled(false);
    DropDownEnabled = true;
    SetEditRule(erInteger);
    DropDownHeader()->SetVisible(false);
    DropDownFooter()->SetVisible(false);
    ReshowForShadow = true;
    SetText("0");
}

void TPlusTrackBarDropDown::CreateDropDownForm()
{
    TPlusCustomDropDown::CreateDropDownForm();
    if (!form_)
        return;
    if (!trackBar_) {
        trackBar_ = new TTrackBar(this);
        trackBar_->SetParent(form_);
        trackBar_->SetBounds(0, 0, trackBar_->Width(), 40);
    }
    trackBar_->OnChange = [this](TObject*) { TrackBarChanged(); };
}

void TPlusTrackBarDropDown::SetMin(int v)
{
    if (v > max_)
        return; // the slider refuses a minimum above its maximum
    min_ = v;
    if (trackBar_) {
        trackBar_->SetMin(v);
        min_ = trackBar_->Min();
    }
}

void TPlusTrackBarDropDown::SetMax(int v)
{
    if (v < min_)
        return; // the slider refuses a maximum below its minimum
    max_ = v;
    if (trackBar_) {
        trackBar_->SetMax(v);
        max_ = trackBar_->Max();
    }
}

void TPlusTrackBarDropDown::SetPosition(int v)
{
    position_ = v;
    if (trackBar_) {
        trackBar_->SetPosition(v); // clamped into the range; a change writes the text
        position_ = trackBar_->Position();
    }
    if (GetText() != IntToStr(position_))
        SetTextDirect(IntToStr(position_));
}

void TPlusTrackBarDropDown::SetFrequency(int v)
{
    frequency_ = v;
    if (trackBar_)
        trackBar_->SetFrequency(v);
}

void TPlusTrackBarDropDown::SetPageSize(int v)
{
    pageSize_ = v;
    if (trackBar_)
        trackBar_->SetPageSize(v);
}

void TPlusTrackBarDropDown::BeforeDropDown()
{
    TPlusCustomDropDown::BeforeDropDown();
    textAtOpening_ = GetText();
    form_->DeactivateCancels = false;
    trackBar_->SetMin(min_);
    trackBar_->SetMax(max_);
    trackBar_->SetPosition(position_);
    trackBar_->SetPageSize(pageSize_);
    trackBar_->SetFrequency(frequency_);
    trackBar_->SetWidth(Width());
    SetDropDownControl(trackBar_);
}

void TPlusTrackBarDropDown::TrackBarChanged()
{
    position_ = trackBar_->Position();
    SetTextDirect(IntToStr(position_));
    if (OnTrackChange)
        OnTrackChange(this);
}

void TPlusTrackBarDropDown::Change()
{
    TPlusCustomDropDown::Change();
    // a text that is no integer (an empty edit while typing) leaves the position alone
    int64_t n = 0;
    if (TryStrToInt64(GetText(), n) && n >= INT32_MIN && n <= INT32_MAX && n != position_)
        SetPosition(int(n));
}

void TPlusTrackBarDropDown::KeyDown(WORD& Key, TShiftState Shift)
{
    TPlusCustomDropDown::KeyDown(Key, Shift);
    if (EditorEnabled() || GetKeyState(VK_MENU) < 0 || Shift.Contains(ssAlt))
        return;
    if (Key == VK_UP && position_ - frequency_ >= min_)
        SetPosition(position_ - frequency_);
    else if (Key == VK_DOWN && position_ + frequency_ <= max_)
        SetPosition(position_ + frequency_);
}

void TPlusTrackBarDropDown::MouseDown(TMouseButton b, TShiftState s, int x, int y)
{
    TPlusCustomDropDown::MouseDown(b, s, x, y);
    if (DropDownEnabled && !EditorEnabled()) {
        lastX_ = x;
        dragging_ = true;
    }
}

void TPlusTrackBarDropDown::MouseMove(TShiftState s, int x, int y)
{
    TPlusCustomDropDown::MouseMove(s, x, y);
    if (!dragging_ || !DropDownEnabled || EditorEnabled() || pageSize_ == 0)
        return;
    const int delta = (x - lastX_) / pageSize_;
    lastX_ = x;
    if (delta != 0)
        SetPosition(position_ + delta);
}

void TPlusTrackBarDropDown::MouseUp(TMouseButton b, TShiftState s, int x, int y)
{
    TPlusCustomDropDown::MouseUp(b, s, x, y);
    dragging_ = false;
}
