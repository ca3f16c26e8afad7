#pragma once
// TTimer: fires OnTimer every Interval milliseconds while Enabled and assigned; what OnTimer
// throws reaches the application's exception handler.
#include "platform/framework/Component.h"

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

// ---------------------------------------------------------------- panels, bevels, pictures

#include "platform/framework/Controls.h"
#include "platform/rtl/Classes.h"

class QGroupBox;

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
using TPanelBevel = TBevelCut;

// A panel: a windowed container with an outer and an inner bevel and a caption in the middle.
// Aligned children fill the area inside the bevels and the border.
class TPanel : public TCustomControl {
public:
    explicit TPanel(TComponent* owner);
    String ClassName() const override { return "TPanel"; }
    TBevelCut BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TBevelCut cut);
    TBevelCut BevelInner() const { return bevelInner_; }
    void SetBevelInner(TBevelCut cut);
    int BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(int width);
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int width);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment alignment);
    void SetCaption(const String& text) override;
    // The area left to aligned children.
    TRect ClientRect() const override;

protected:
    void Paint() override;

private:
    int FrameWidth() const;
    TBevelCut bevelOuter_ = bvRaised;
    TBevelCut bevelInner_ = bvNone;
    int bevelWidth_ = 1;
    int borderWidth_ = 0;
    TAlignment alignment_ = taCenter;
};

enum TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
enum TBevelStyle { bsLowered, bsRaised };

// A bevel: a sunken or raised box, frame or line drawn in the shadow and highlight colours.
class TBevel : public TGraphicControl {
public:
    explicit TBevel(TComponent* owner);
    String ClassName() const override { return "TBevel"; }
    TBevelShape Shape() const { return shape_; }
    void SetShape(TBevelShape shape);
    TBevelStyle Style() const { return style_; }
    void SetStyle(TBevelStyle style);

protected:
    void Paint() override;

private:
    TBevelShape shape_ = bsBox;
    TBevelStyle style_ = bsLowered;
};

// A picture control: draws Picture at its top-left corner, centred (Center) or scaled to the
// control (Stretch, keeping the aspect with Proportional). AutoSize fits the control to the
// picture whenever the picture changes.
class TImage : public TGraphicControl {
public:
    explicit TImage(TComponent* owner);
    ~TImage() override;
    String ClassName() const override { return "TImage"; }
    TPicture* Picture() const { return picture_.get(); }
    bool Stretch() const { return stretch_; }
    void SetStretch(bool on);
    bool Center() const { return center_; }
    void SetCenter(bool on);
    bool Proportional() const { return proportional_; }
    void SetProportional(bool on);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool on);
    // The rectangle the picture is drawn into.
    TRect DestRect() const;

protected:
    void Paint() override;

private:
    void PictureChanged();
    std::unique_ptr<TPicture> picture_;
    bool stretch_ = false;
    bool center_ = false;
    bool proportional_ = false;
    bool autoSize_ = false;
};

// A group of radio buttons, one per line of Items, in Columns columns; ItemIndex is the
// checked one (-1: none). OnClick fires when the checked button changes, by the user or by
// ItemIndex.
class TRadioGroup : public TWinControl {
public:
    explicit TRadioGroup(TComponent* owner);
    ~TRadioGroup() override;
    String ClassName() const override { return "TRadioGroup"; }
    TStrings* Items() const;
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int index);
    int Columns() const { return columns_; }
    void SetColumns(int columns);
    // The button of an item (tests and windows that enable single items).
    TWinControl* Buttons(int index) const;
    QGroupBox* Widget() const;

private:
    class TItems;
    friend class TRadioGroupHost;
    void Rebuild();
    void Arrange();
    void CheckButtons();
    void ButtonToggled(int index);
    std::unique_ptr<TItems> items_;
    std::vector<TWinControl*> buttons_;
    int itemIndex_ = -1;
    int columns_ = 1;
    bool updating_ = false;
};
