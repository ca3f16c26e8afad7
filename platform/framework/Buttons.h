#pragma once
// TSpeedButton: a flat tool button with a caption and an optional picture, a hint shown when
// ShowHint is on, and the grouped "down" state; TBitBtn: a push button of a kind (OK, Cancel,
// Close...) that brings its caption and modal result.
#include "platform/framework/Controls.h"
#include "platform/framework/StdCtrls.h"

#include <memory>

class QToolButton;

class TSpeedButton : public TControl {
public:
    explicit TSpeedButton(TComponent* owner);
    ~TSpeedButton() override;
    String ClassName() const override { return "TSpeedButton"; }
    void SetCaption(const String& text) override;
    // The hint shows as a tool tip while ShowHint is on.
    void SetShowHint(bool on);
    bool Flat() const { return flat_; }
    void SetFlat(bool on);
    // Buttons of one GroupIndex (> 0) under one parent stay down one at a time; AllowAllUp lets
    // the down one come up again.
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int index);
    bool Down() const { return down_; }
    void SetDown(bool on);
    bool AllowAllUp = false;
    TBitmap* Glyph() const { return glyph_.get(); }
    void SetGlyph(TBitmap* bitmap);
    void Click() override;
    QToolButton* Widget() const;

protected:
    // CM_DIALOGCHAR: the caption's accelerator clicks an enabled, showing button.
    void Dispatch(TMessage& message) override;

private:
    void ApplyHint();
    std::unique_ptr<TBitmap> glyph_;
    bool flat_ = false;
    int groupIndex_ = 0;
    bool down_ = false;
};

enum TBitBtnKind { bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore, bkAll };

class TBitBtn : public TButton {
public:
    explicit TBitBtn(TComponent* owner);
    String ClassName() const override { return "TBitBtn"; }
    TBitBtnKind Kind() const { return kind_; }
    // Sets the caption and modal result of the kind; bkClose closes the parent form when clicked.
    void SetKind(TBitBtnKind kind);
    void Click() override;

private:
    TBitBtnKind kind_ = bkCustom;
};
