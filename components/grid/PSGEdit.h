#pragma once
// The edit with a push button at its right edge (ellipsis editor) and its variant that shows
// a unit of measure and lets the user choose another one from a pop-up menu.
#include "components/grid/asgspin.h"

#include "platform/framework/Menus.h"
#include "platform/framework/StdCtrls.h"

#include <memory>

class TPsgEditButton;

// The push button of the holder; it paints with the holder's colours.
class TPlusSpeedButton : public TFaceButton {
public:
    explicit TPlusSpeedButton(TComponent* owner);
    String ClassName() const override { return "TPlusSpeedButton"; }
    TBitmap* Glyph() const { return glyph_.get(); }
    void SetGlyph(TBitmap* glyph);
    TMouseEvent OnMouseUp;

protected:
    void Paint() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

private:
    std::unique_ptr<TBitmap> glyph_;
};

// The window holding the button, which always fills it.
class TPsgEditButton : public TCustomControl, public TButtonColors {
public:
    explicit TPsgEditButton(TComponent* owner);
    String ClassName() const override { return "TPsgEditButton"; }
    TPlusSpeedButton* Button() const { return button_; }
    TWinControl* FocusControl = nullptr;
    TNotifyEvent OnClick;
    bool Flat() const { return button_->Flat; }
    void SetFlat(bool on);
    TBitmap* Glyph() const { return button_->Glyph(); }
    void SetGlyph(TBitmap* glyph) { button_->SetGlyph(glyph); }
    int NumGlyphs = 1;
    String ButtonCaption() const { return button_->Caption(); }
    void SetButtonCaption(const String& caption);
    void SetBounds(int left, int top, int width, int height) override;
    void Notification(TComponent* component, TOperation operation) override;

protected:
    void Dispatch(TMessage& message) override;

private:
    void ButtonMouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    TPlusSpeedButton* button_ = nullptr;
};

// An edit with the button holder at its right edge; the button calls ClickButton. The text
// keeps clear of the button (and of a unit's space), the edit keeps the minimum height of its
// font and the button fills its height. With EditorEnabled off nothing is typed, pasted or cut.
// Edit is the single-byte or the wide edit.
template <class Edit>
class TEditWithButton : public Edit {
public:
    // `borderlessMargin`: the text's margin without a border; `buttonGap`: the space between
    // the text and the button.
    TEditWithButton(TComponent* owner, int borderlessMargin, int buttonGap);
    ~TEditWithButton() override { holder_ = nullptr; }
    TPsgEditButton* ButtonHolder() const { return holder_; }
    String ButtonCaption() const { return holder_->ButtonCaption(); }
    void SetButtonCaption(const String& caption) { holder_->SetButtonCaption(caption); }
    TBitmap* Glyph() const { return holder_->Glyph(); }
    void SetGlyph(TBitmap* glyph) { holder_->SetGlyph(glyph); }
    int ButtonWidth() const { return buttonWidth_; }
    void SetButtonWidth(int width);
    bool EditorEnabled = true;
    bool RightAlign() const { return rightAlign_; }
    void SetRightAlign(bool on);
    bool IsWinXP() const { return holder_->Button()->IsWinXP; }
    void SetIsWinXP(bool on) { holder_->Button()->IsWinXP = on; }
    TNotifyEvent OnClickBtn;
    virtual void ClickButton(TObject* sender);
    int MinimumHeight();
    void LayoutEditRect();

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void Dispatch(TMessage& message) override;
    int unitSpace_ = 0;

private:
    const int borderlessMargin_;
    const int buttonGap_;
    TPsgEditButton* holder_ = nullptr;
    int buttonWidth_ = 0;
    bool rightAlign_ = false;
};

// F4 without Ctrl or Alt presses the button.
class TPsgEditBtn : public TEditWithButton<TCustomEdit> {
public:
    explicit TPsgEditBtn(TComponent* owner);
    String ClassName() const override { return "TPsgEditBtn"; }

protected:
    void KeyDown(WORD& key, TShiftState shift) override;
    void PaintWindow(HDC dc) override;
};

using TUnitChangeEvent = std::function<void(TObject* Sender, String NewUnit)>;

class TPsgUnitEditBtn : public TPsgEditBtn {
public:
    explicit TPsgUnitEditBtn(TComponent* owner);
    ~TPsgUnitEditBtn() override;
    String ClassName() const override { return "TPsgUnitEditBtn"; }
    TStringList* Units() const { return units_.get(); }
    void SetUnits(TStrings* units);
    String UnitID() const { return unitId_; }
    void SetUnitID(const String& id);
    int UnitSpace() const { return unitSpace_; }
    void SetUnitSpace(int space);
    TUnitChangeEvent OnUnitChanged;
    void ClickButton(TObject* sender) override;
    void SetValueWithUnit(const String& s);
    String GetValueWithUnit() const;
    // The menu of the last press (tests choose from it); null when none is shown.
    TPopupMenu* UnitMenu() const { return menu_; }

protected:
    void Dispatch(TMessage& message) override;
    void PaintWindow(HDC dc) override;

private:
    std::unique_ptr<TStringList> units_;
    String unitId_;
    TPopupMenu* menu_ = nullptr;
};
