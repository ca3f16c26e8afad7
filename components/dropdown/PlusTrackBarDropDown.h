#pragma once
// A drop-down edit for an integer in a range: the pop-up holds a horizontal slider whose moves
// write the number into the edit at once. With the editor disabled (the default) the number
// also steps with Up and Down and follows the mouse dragged over the edit.
#include "components/dropdown/PlusDropDown.h"

#include "platform/framework/ComCtrls.h"

class TPlusTrackBarDropDown : public TPlusCustomDropDown {
public:
    explicit TPlusTrackBarDropDown(TComponent* AOwner);
    String ClassName() const override { return "TPlusTrackBarDropDown"; }

    int Min() const { return min_; }
    void SetMin(int v);
    int Max() const { return max_; }
    void SetMax(int v);
    int Position() const { return position_; }
    void SetPosition(int v);
    int Frequency() const { return frequency_; }
    void SetFrequency(int v);
    int PageSize() const { return pageSize_; }
    void SetPageSize(int v);
    TTrackBar* TrackBar() const { return trackBar_; }
    TNotifyEvent OnTrackChange;
    void KeyDown(WORD& Key, TShiftState Shift) override;

protected:
    void CreateDropDownForm() override;
    void BeforeDropDown() override;
    // Esc gives back the number the edit showed when the pop-up opened, not the one last set
    // through SetText (which the slider's moves never are).
    String CancelledText() const override { return textAtOpening_; }
    void Change() override;
    void MouseDown(TMouseButton b, TShiftState s, int x, int y) override;
    void MouseMove(TShiftState s, int x, int y) override;
    void MouseUp(TMouseButton b, TShiftState s, int x, int y) override;

private:
    void TrackBarChanged();
    TTrackBar* trackBar_ = nullptr;
    int min_ = 0, max_ = 10, position_ = 0, frequency_ = 1, pageSize_ = 2;
    bool dragging_ = false;
    int lastX_ = 0;
    String textAtOpening_;
};
