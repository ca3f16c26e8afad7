#pragma once
// TTimer: fires OnTimer every Interval milliseconds while Enabled and assigned; what OnTimer
// throws reaches the application's exception handler.
#include "Component.h"

#include <memory>

class QTimer;

class TTimer : public TComponent {
public:
    explicit TTimer(TComponent* owner);
    ~TTimer() override;
    String ClassName() const override { return "TTimer"; }

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    unsigned Interval() const { return interval_; }
    void SetInterval(unsigned milliseconds);
    TNotifyEvent OnTimer() const { return onTimer_; }
    void SetOnTimer(TNotifyEvent handler);

protected:
    virtual void Timer();

private:
    void Update();
    bool enabled_ = true;
    unsigned interval_ = 1000;
    TNotifyEvent onTimer_;
    std::unique_ptr<QTimer> timer_;
};
