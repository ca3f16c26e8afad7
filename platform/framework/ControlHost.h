#pragma once
// The link between a host QWidget of our own and its control: the control attaches itself on
// construction and detaches before it deletes the host, so a host never calls back into a
// control that is being destroyed.
class TControl;

class TControlHostLink {
public:
    virtual ~TControlHostLink() = default;
    virtual void AttachControl(TControl* control) { control_ = control; }
    virtual void CaptionChanged() {}
    TControl* LinkedControl() const { return control_; }

protected:
    TControl* control_ = nullptr;
};
