#pragma once
// The analog clock: a face with marks, numbers, an AM/PM box and hands. In automatic mode it
// shows the current time (plus an offset) and moves its hands every 100 ms while it is on screen;
// in manual mode the user sets the hour (click inside the face), the minute (click in the ring
// around it) and the half of the day (click on the AM/PM box). Hour and minute changes can walk
// toward their target in shrinking steps.
#include "components/dropdown/PlusDropDown.h"

#include "components/grid/PlusGDIP.h"
#include "platform/framework/ExtCtrls.h"
#include "platform/rtl/DateUtils.h"

enum TWatchStyle { wsClassic, wsTower, wsFluorescent, wsEmerald, wsBlueStar, wsFuchsia, wsBlack, wsBlackWhite,
                   wsGray, wsSuperNova, wsSports, wsSmooth };
enum TWatchShape { wsCircle, wsRect, wsRoundRect };
enum TWatchGradient { wgRadial, wgVertical, wgDiagonalForward, wgDiagonalBackward };
enum TPointerStyle { psLine, psPointer, psShortLine, psLineArrow };
enum TTickMarks { tmAll, tmHours, tmQuartHours, tmNone };
enum THourMarkStyle { hmsLine, hmsQuartDblLine };
enum TAMPMFrame { apRect, apRoundRect };

// A property that notifies its owner only when the stored value changes.
#define QUELM_WATCH_PROP(T, Name)                                                                                \
public:                                                                                                          \
    T Name() const { return Name##_; }                                                                           \
    void Set##Name(T v)                                                                                          \
    {                                                                                                            \
        if (v != Name##_) {                                                                                      \
            Name##_ = v;                                                                                         \
            Changed();                                                                                           \
        }                                                                                                        \
    }                                                                                                            \
                                                                                                                 \
private:                                                                                                         \
    T Name##_{};

// The look of the clock: colours, sizes, fonts and switches.
class TWatchAppearance : public TPersistent {
public:
    TWatchAppearance();
    ~TWatchAppearance() override;
    String ClassName() const override { return "TWatchAppearance"; }
    void Assign(TPersistent* Source) override;
    void SetDefaults();

    TFont* AMPMFont() const { return ampmFont_; }
    void SetAMPMFont(TFont* f);
    TFont* HourFont() const { return hourFont_; }
    void SetHourFont(TFont* f);
    TPicture* Picture() const { return picture_; }
    void SetPicture(TPicture* p);
    // plain fields: writing them notifies nothing
    TColor AMPMBorderColor = 0;
    TColor AMPMColor = 0xFFFFFF;
    TNotifyEvent OnChange;

    QUELM_WATCH_PROP(TAMPMFrame, AMPMFrame)
    QUELM_WATCH_PROP(TColor, BorderColor)
    QUELM_WATCH_PROP(int, BorderWidth)
    QUELM_WATCH_PROP(TColor, BackgroundColor)
    QUELM_WATCH_PROP(TColor, BackgroundColorTo)
    QUELM_WATCH_PROP(TWatchGradient, BackgroundGradient)
    QUELM_WATCH_PROP(TColor, CenterPointBorderColor)
    QUELM_WATCH_PROP(TColor, CenterPointOuterBorderColor)
    QUELM_WATCH_PROP(TColor, CenterPointColor)
    QUELM_WATCH_PROP(uint8_t, CenterPointSize)
    QUELM_WATCH_PROP(TColor, HourColor)
    QUELM_WATCH_PROP(uint8_t, HourMarkLength)
    QUELM_WATCH_PROP(uint8_t, HourMarkWidth)
    QUELM_WATCH_PROP(THourMarkStyle, HourMarkStyle)
    QUELM_WATCH_PROP(TColor, HourPointer)
    QUELM_WATCH_PROP(TColor, HourPointerShadow)
    QUELM_WATCH_PROP(uint8_t, HourPointerSize)
    QUELM_WATCH_PROP(TColor, MinuteColor)
    QUELM_WATCH_PROP(TColor, MinutePointer)
    QUELM_WATCH_PROP(TColor, MinutePointerShadow)
    QUELM_WATCH_PROP(uint8_t, MinutePointerSize)
    QUELM_WATCH_PROP(uint8_t, MinuteMarkLength)
    QUELM_WATCH_PROP(uint8_t, MinuteMarkWidth)
    QUELM_WATCH_PROP(TPointerStyle, PointerStyle)
    QUELM_WATCH_PROP(TColor, SecondPointer)
    QUELM_WATCH_PROP(uint8_t, SecondPointerSize)
    QUELM_WATCH_PROP(TWatchShape, Shape)
    QUELM_WATCH_PROP(int, Size)
    QUELM_WATCH_PROP(TTickMarks, TickMarks)

private:
    void Changed()
    {
        if (OnChange)
            OnChange(this);
    }
    TFont* ampmFont_ = nullptr;
    TFont* hourFont_ = nullptr;
    TPicture* picture_ = nullptr;
};

// Automatic or manual mode, the offset of automatic mode and the seconds hand.
class TWatchSettings : public TPersistent {
public:
    String ClassName() const override { return "TWatchSettings"; }
    void Assign(TPersistent* Source) override;
    TNotifyEvent OnChange;

    QUELM_WATCH_PROP(bool, Auto)
    QUELM_WATCH_PROP(int, TimeOffset)

public:
    bool Second() const { return second_; }
    void SetSecond(bool v)
    {
        if (v != second_) {
            second_ = v;
            Changed();
        }
    }

private:
    void Changed()
    {
        if (OnChange)
            OnChange(this);
    }
    bool second_ = true;
};

#undef QUELM_WATCH_PROP

class TPlusWatch : public TCustomControl, public IColorStyled {
public:
    explicit TPlusWatch(TComponent* AOwner);
    ~TPlusWatch() override;
    String ClassName() const override { return "TPlusWatch"; }

    TDateTime Time() const { return time_; }
    void SetTime(TDateTime Value);
    TWatchSettings* Settings() const { return settings_; }
    void SetSettings(TWatchSettings* Value) { settings_->Assign(Value); }
    TWatchAppearance* Appearance() const { return appearance_; }
    void SetAppearance(TWatchAppearance* Value) { appearance_->Assign(Value); }
    TWatchStyle Style() const { return style_; }
    void SetStyle(TWatchStyle Value);
    bool ShowAMPM() const { return showAMPM_; }
    void SetShowAMPM(bool Value);
    bool ShowNumbers() const { return showNumbers_; }
    void SetShowNumbers(bool Value);
    bool Animation() const { return animation_; }
    void SetAnimation(bool Value) { animation_ = Value; }
    int AnimationFactor() const { return animationFactor_; }
    // a factor below 1 counts as 1
    void SetAnimationFactor(int Value) { animationFactor_ = std::max(1, Value); }
    TNotifyEvent OnChange;

    void SetHour(int h);
    void SetMinute(int m);
    void HandleKey(WORD Key);
    void ApplyColorStyle(uint8_t Style) override;
    bool IsAM() const { return isAM_; }
    void SetIsAM(bool am);

    // geometry in client coordinates
    TRect GetFaceRect();
    TPoint GetCenter();
    double GetFaceRadius();
    TRect GetAMPMRect();
    int PointToMinute(int X, int Y);
    int PointToHour(int X, int Y);
    TDateTime GetDisplayTime() const;

    TTimer* ClockTimer() const { return clockTimer_; }
    TTimer* AnimationTimer() const { return animTimer_; }
    // one animation step, as the animation timer runs it
    void AnimationTimerTick();

    void PaintAll();
    void RepaintHands();

protected:
    void Paint() override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void WndProc(TMessage& Message) override;

private:
    void SetTimeValue(TDateTime Value);
    void SettingsChanged();
    void UpdateClockTimer();
    bool Quiet() const;
    void DrawFace(TGPGraphics* g, TCanvas* c, const TRect& r);
    void DrawMarks(TGPGraphics* g, TCanvas* c);
    void DrawNumbers(TGPGraphics* g, TCanvas* c);
    void DrawAMPM(TGPGraphics* g, TCanvas* c);
    void DrawHands(TGPGraphics* g, TCanvas* c);

    TDateTime time_ = 0;
    TWatchSettings* settings_ = nullptr;
    TWatchAppearance* appearance_ = nullptr;
    TWatchStyle style_ = wsClassic;
    bool showAMPM_ = true;
    bool showNumbers_ = true;
    bool animation_ = true;
    int animationFactor_ = 10;
    bool isAM_ = true;
    int targetHour_ = 0, targetMinute_ = 0, minuteFrom_ = 0;
    bool hourAnimating_ = false;
    bool internalCall_ = false;
    bool internalSet_ = false;
    TTimer* clockTimer_ = nullptr;
    TTimer* animTimer_ = nullptr;
    TBitmap* cache_ = nullptr;
};

// Free drawing helpers of the clock.
void DrawGdipText(TCanvas* Canvas, TGPGraphics* Graphics, int Alignment, const TRect& InRect, const String& Text,
                  const std::u16string& WideText, TFont* Font, bool Enabled, bool DoDraw, int AntiAlias,
                  TRect& OutRect);
void DrawGdipRoundRect(TGPGraphics* Graphics, TGPPen* Pen, int X, int Y, int W, int H, int Radius);
void FillGdipRoundRect(TGPGraphics* Graphics, TGPBrush* Brush, int X, int Y, int W, int H, int Radius);
TGPGraphicsPath* CreateRoundRectPath(const TRect& R, int Radius);
TGPGraphicsPath* CreateRectPath(const TRect& R);
bool PointInEllipse(const TPoint& P, int Left, int Top, int Right, int Bottom);
// The colour-style table of the clock, applied to an appearance.
void ApplyWatchColorStyle(TWatchAppearance* Appearance, uint8_t Style);
