#include "ExtCtrls.h"

#include "Forms.h"

#include <QTimer>

TTimer::TTimer(TComponent* owner) : TComponent(owner), timer_(std::make_unique<QTimer>())
{
    QObject::connect(timer_.get(), &QTimer::timeout, [this] { Application->Guard([this] { Timer(); }, this); });
}

TTimer::~TTimer()
{
    timer_->stop();
}

void TTimer::SetEnabled(bool enabled)
{
    enabled_ = enabled;
    Update();
}

void TTimer::SetInterval(unsigned milliseconds)
{
    interval_ = milliseconds;
    Update();
}

void TTimer::SetOnTimer(TNotifyEvent handler)
{
    onTimer_ = std::move(handler);
    Update();
}

void TTimer::Update()
{
    timer_->stop();
    if (enabled_ && interval_ > 0 && onTimer_)
        timer_->start(int(interval_));
}

void TTimer::Timer()
{
    if (onTimer_)
        onTimer_(this);
}
