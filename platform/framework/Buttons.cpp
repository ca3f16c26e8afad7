#include "platform/framework/Buttons.h"

#include "platform/framework/ControlHost.h"
#include "platform/framework/Forms.h"

#include <QKeySequence>
#include <QPixmap>
#include <QToolButton>

namespace {

class TSpeedButtonHost : public QToolButton, public TControlHostLink {
public:
    TSpeedButtonHost()
    {
        setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        QObject::connect(this, &QToolButton::clicked, [this] {
            if (auto* button = dynamic_cast<TSpeedButton*>(control_))
                Application->Guard([button] { button->Click(); }, button);
        });
    }
    // the caption's accelerator works through CM_DIALOGCHAR only, not as a shortcut of Qt's
    void CaptionChanged() override
    {
        setText(ToQString(control_->Caption()));
        setShortcut(QKeySequence());
    }
};

} // namespace

TSpeedButton::TSpeedButton(TComponent* owner) : TControl(owner, new TSpeedButtonHost)
{
    SetBounds(0, 0, 23, 22);
    ApplyHint();
}

TSpeedButton::~TSpeedButton() = default;

QToolButton* TSpeedButton::Widget() const { return static_cast<QToolButton*>(Host()); }

void TSpeedButton::SetCaption(const String& text)
{
    TControl::SetCaption(text);
    // '&' marks the accelerator as on the framework's buttons
    Widget()->setText(ToQString(text));
}

void TSpeedButton::SetShowHint(bool on)
{
    ShowHint = on;
    ApplyHint();
}

void TSpeedButton::ApplyHint()
{
    // The tool tip is the hint while hints are shown; TControl::SetHint puts it up at once,
    // so the button takes it down again when ShowHint is off.
    Widget()->setToolTip(ShowHint ? ToQString(Hint()) : QString());
}

void TSpeedButton::SetFlat(bool on)
{
    flat_ = on;
    Widget()->setAutoRaise(on);
}

void TSpeedButton::SetGroupIndex(int index)
{
    groupIndex_ = index;
    Widget()->setCheckable(index > 0);
    Widget()->setChecked(down_);
}

void TSpeedButton::SetDown(bool on)
{
    if (groupIndex_ == 0)
        on = false;
    down_ = on;
    Widget()->setChecked(on);
    if (on && Parent())
        for (int i = 0; i < Parent()->ControlCount(); ++i)
            if (auto* other = dynamic_cast<TSpeedButton*>(Parent()->Controls(i));
                other && other != this && other->groupIndex_ == groupIndex_ && other->down_) {
                other->down_ = false;
                other->Widget()->setChecked(false);
            }
}

void TSpeedButton::SetGlyph(TBitmap* bitmap)
{
    if (!bitmap || bitmap->Empty()) {
        glyph_.reset();
        Widget()->setIcon(QIcon());
        return;
    }
    glyph_ = std::make_unique<TBitmap>();
    glyph_->Assign(bitmap);
    Widget()->setIcon(QIcon(QPixmap::fromImage(glyph_->Image())));
}

void TSpeedButton::Dispatch(TMessage& m)
{
    if (m.Msg == CM_DIALOGCHAR && IsAccel(m.CharCode(), Caption()) && Enabled() && Visible() && Parent() &&
        Parent()->Showing()) {
        Click();
        m.Result = 1;
        return;
    }
    TControl::Dispatch(m);
}

void TSpeedButton::Click()
{
    if (groupIndex_ > 0) {
        // a grouped button goes down on a click; the down one comes up only with AllowAllUp
        const bool wasDown = down_;
        SetDown(wasDown ? !AllowAllUp : true);
        if (!AllowAllUp && wasDown)
            Widget()->setChecked(true);
    }
    TControl::Click();
}

// ---------------------------------------------------------------- TBitBtn

TBitBtn::TBitBtn(TComponent* owner) : TButton(owner) {}

void TBitBtn::SetKind(TBitBtnKind kind)
{
    kind_ = kind;
    struct KindInfo {
        const char* caption;
        TModalResult result;
    };
    static const KindInfo kinds[] = {{"", mrNone},       {"OK", mrOk},         {"Cancel", mrCancel}, {"&Help", mrNone},
                                     {"&Yes", mrYes},    {"&No", mrNo},        {"&Close", mrNone},   {"Abort", mrAbort},
                                     {"&Retry", mrRetry}, {"&Ignore", mrIgnore}, {"&All", mrAll}};
    if (kind == bkCustom)
        return;
    SetCaption(kinds[kind].caption);
    ModalResult = kinds[kind].result;
    if (kind == bkOK || kind == bkYes)
        SetDefault(true);
    if (kind == bkCancel || kind == bkNo)
        Cancel = true;
}

void TBitBtn::Click()
{
    if (kind_ == bkClose)
        if (TForm* form = GetParentForm(this)) {
            form->Close();
            return;
        }
    TButton::Click();
}
