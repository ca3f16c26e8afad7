#include "platform/framework/ExtCtrls.h"

#include "platform/framework/ControlHost.h"
#include "platform/framework/Forms.h"
#include "platform/win/WinFrameControl.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QRadioButton>
#include <QTimer>

#include <algorithm>

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

// ---------------------------------------------------------------- TPanel

namespace {

UINT EdgeOf(TBevelCut cut)
{
    return cut == bvLowered ? BDR_SUNKENOUTER : cut == bvRaised ? BDR_RAISEDINNER : 0;
}

} // namespace

TPanel::TPanel(TComponent* owner) : TCustomControl(owner)
{
    ControlStyle << csAcceptsControls;
    SetBounds(0, 0, 185, 41);
}

void TPanel::SetBevelOuter(TBevelCut cut) { bevelOuter_ = cut; Realign(); Invalidate(); }
void TPanel::SetBevelInner(TBevelCut cut) { bevelInner_ = cut; Realign(); Invalidate(); }
void TPanel::SetBevelWidth(int width) { bevelWidth_ = std::max(1, width); Realign(); Invalidate(); }
void TPanel::SetBorderWidth(int width) { borderWidth_ = std::max(0, width); Realign(); Invalidate(); }
void TPanel::SetAlignment(TAlignment alignment) { alignment_ = alignment; Invalidate(); }

void TPanel::SetCaption(const String& text)
{
    TCustomControl::SetCaption(text);
    Invalidate();
}

int TPanel::FrameWidth() const
{
    return (bevelOuter_ != bvNone ? bevelWidth_ : 0) + borderWidth_ + (bevelInner_ != bvNone ? bevelWidth_ : 0);
}

TRect TPanel::ClientRect() const
{
    TRect r = TCustomControl::ClientRect();
    const int f = FrameWidth();
    r.Left += f;
    r.Top += f;
    r.Right = std::max(r.Left, r.Right - f);
    r.Bottom = std::max(r.Top, r.Bottom - f);
    return r;
}

void TPanel::Paint()
{
    RECT r = TRect(0, 0, ClientWidth(), ClientHeight());
    auto bevel = [&](TBevelCut cut) {
        if (cut == bvNone)
            return;
        for (int i = 0; i < bevelWidth_; ++i)
            if (cut == bvSpace)
                InflateRect(&r, -1, -1);
            else
                DrawEdge(Canvas()->Handle(), &r, EdgeOf(cut), BF_RECT | BF_ADJUST);
    };
    bevel(bevelOuter_);
    InflateRect(&r, -borderWidth_, -borderWidth_);
    bevel(bevelInner_);
    if (Caption().empty())
        return;
    Canvas()->Font->Assign(Font());
    Canvas()->Brush->Style = bsClear;
    const UINT align = alignment_ == taLeftJustify ? DT_LEFT : alignment_ == taRightJustify ? DT_RIGHT : DT_CENTER;
    DrawText(Canvas()->Handle(), Caption(), &r, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | align);
    Canvas()->Brush->Style = bsSolid;
}

// ---------------------------------------------------------------- TBevel

TBevel::TBevel(TComponent* owner) : TGraphicControl(owner)
{
    SetBounds(0, 0, 50, 50);
}

void TBevel::SetShape(TBevelShape shape) { shape_ = shape; Invalidate(); }
void TBevel::SetStyle(TBevelStyle style) { style_ = style; Invalidate(); }

void TBevel::Paint()
{
    if (shape_ == bsSpacer)
        return;
    TCanvas* c = Canvas();
    const TColor first = style_ == bsLowered ? clBtnShadow : clBtnHighlight;
    const TColor second = style_ == bsLowered ? clBtnHighlight : clBtnShadow;
    const int w = Width();
    const int h = Height();
    c->Pen->Width = 1;
    auto line = [c](TColor color, int x1, int y1, int x2, int y2) {
        c->Pen->Color = color;
        c->MoveTo(x1, y1);
        c->LineTo(x2, y2);
    };
    switch (shape_) {
    case bsBox:
        line(first, 0, h - 1, 0, 0);
        line(first, 0, 0, w - 1, 0);
        line(second, w - 1, 0, w - 1, h - 1);
        line(second, w - 1, h - 1, -1, h - 1);
        break;
    case bsFrame:
        // two nested boxes: the cut and its light edge
        line(first, 0, h - 2, 0, 0);
        line(first, 0, 0, w - 2, 0);
        line(first, w - 2, 0, w - 2, h - 2);
        line(first, w - 2, h - 2, -1, h - 2);
        line(second, 1, h - 3, 1, 1);
        line(second, 1, 1, w - 3, 1);
        line(second, w - 1, 0, w - 1, h - 1);
        line(second, w - 1, h - 1, -1, h - 1);
        break;
    case bsTopLine:
        line(first, 0, 0, w, 0);
        line(second, 0, 1, w, 1);
        break;
    case bsBottomLine:
        line(first, 0, h - 2, w, h - 2);
        line(second, 0, h - 1, w, h - 1);
        break;
    case bsLeftLine:
        line(first, 0, 0, 0, h);
        line(second, 1, 0, 1, h);
        break;
    case bsRightLine:
        line(first, w - 2, 0, w - 2, h);
        line(second, w - 1, 0, w - 1, h);
        break;
    case bsSpacer:
        break;
    }
}

// ---------------------------------------------------------------- TImage

TImage::TImage(TComponent* owner) : TGraphicControl(owner), picture_(std::make_unique<TPicture>())
{
    SetBounds(0, 0, 105, 105);
    picture_->OnChange = [this](TObject*) { PictureChanged(); };
}

TImage::~TImage()
{
    picture_->OnChange = nullptr;
}

void TImage::SetStretch(bool on) { stretch_ = on; Invalidate(); }
void TImage::SetCenter(bool on) { center_ = on; Invalidate(); }
void TImage::SetProportional(bool on) { proportional_ = on; Invalidate(); }

void TImage::SetAutoSize(bool on)
{
    autoSize_ = on;
    PictureChanged();
}

void TImage::PictureChanged()
{
    if (autoSize_ && picture_->Width() > 0 && picture_->Height() > 0)
        SetBounds(Left(), Top(), picture_->Width(), picture_->Height());
    Invalidate();
}

TRect TImage::DestRect() const
{
    int w = picture_->Width();
    int h = picture_->Height();
    const int cw = Width();
    const int ch = Height();
    if (stretch_ || (proportional_ && (w > cw || h > ch))) {
        if (proportional_ && w > 0 && h > 0) {
            if (double(cw) / w < double(ch) / h) {
                h = MulDiv(h, cw, w);
                w = cw;
            } else {
                w = MulDiv(w, ch, h);
                h = ch;
            }
        } else {
            w = cw;
            h = ch;
        }
    }
    if (center_)
        return Bounds((cw - w) / 2, (ch - h) / 2, w, h);
    return Bounds(0, 0, w, h);
}

void TImage::Paint()
{
    TGraphic* graphic = picture_->Graphic();
    if (!graphic || graphic->Empty())
        return;
    Canvas()->StretchDraw(DestRect(), graphic);
}

// ---------------------------------------------------------------- TRadioGroup

// The items: every change rebuilds the buttons.
class TRadioGroup::TItems : public TStringList {
public:
    explicit TItems(TRadioGroup* group) : group_(group) {}
    int Add(const String& s) override
    {
        const int index = TStringList::Add(s);
        group_->Rebuild();
        return index;
    }
    void Put(int index, const String& s) override { TStringList::Put(index, s); group_->Rebuild(); }
    void Insert(int index, const String& s) override { TStringList::Insert(index, s); group_->Rebuild(); }
    void Delete(int index) override { TStringList::Delete(index); group_->Rebuild(); }
    void Clear() override { TStringList::Clear(); group_->Rebuild(); }

private:
    TRadioGroup* group_;
};

class TRadioGroupHost : public QGroupBox, public TControlHostLink {
public:
    void CaptionChanged() override { setTitle(ToQString(control_->Caption())); }

protected:
    void resizeEvent(QResizeEvent* e) override
    {
        QGroupBox::resizeEvent(e);
        if (auto* group = dynamic_cast<TRadioGroup*>(control_))
            group->Arrange();
    }
};

namespace {

class TRadioButtonHost : public QRadioButton, public TControlHostLink {
public:
    void CaptionChanged() override { setText(ToQString(control_->Caption())); }
};

} // namespace

TRadioGroup::TRadioGroup(TComponent* owner)
    : TWinControl(owner, new TRadioGroupHost), items_(std::make_unique<TItems>(this))
{
    TabStop = true;
    SetBounds(0, 0, 185, 105);
}

TRadioGroup::~TRadioGroup()
{
    items_.reset();
}

QGroupBox* TRadioGroup::Widget() const { return static_cast<QGroupBox*>(Host()); }
TStrings* TRadioGroup::Items() const { return items_.get(); }
TWinControl* TRadioGroup::Buttons(int index) const { return buttons_.at(size_t(index)); }

void TRadioGroup::SetColumns(int columns)
{
    columns_ = std::clamp(columns, 1, 16);
    Arrange();
}

void TRadioGroup::Rebuild()
{
    if (!items_)
        return;
    updating_ = true;
    while (buttons_.size() > size_t(items_->Count())) {
        delete buttons_.back();
        buttons_.pop_back();
    }
    while (buttons_.size() < size_t(items_->Count())) {
        auto* host = new TRadioButtonHost;
        auto* button = new TWinControl(nullptr, host);
        button->TabStop = true;
        button->SetParent(this);
        const int index = int(buttons_.size());
        QObject::connect(host, &QRadioButton::toggled, [this, index](bool checked) {
            if (checked && !updating_)
                Application->Guard([this, index] { ButtonToggled(index); }, this);
        });
        buttons_.push_back(button);
    }
    for (size_t i = 0; i < buttons_.size(); ++i)
        buttons_[i]->SetCaption(items_->Get(int(i)));
    if (itemIndex_ >= int(buttons_.size()))
        itemIndex_ = -1;
    CheckButtons();
    updating_ = false;
    Arrange();
}

void TRadioGroup::Arrange()
{
    // The buttons share the area inside the frame, which the style places below the title:
    // the items run down the columns, each column as wide as the frame allows, each row as
    // high as the frame allows.
    if (buttons_.empty())
        return;
    const int count = int(buttons_.size());
    const int rows = (count + columns_ - 1) / columns_;
    const QRect inside = Widget()->contentsRect();
    const int left = inside.left() + 5;
    const int top = inside.top();
    const int width = std::max(0, inside.width() - 10);
    const int height = std::max(0, inside.height());
    const int rowHeight = std::max(1, height / rows);
    const int colWidth = width / columns_;
    const int buttonHeight = std::min(rowHeight, Widget()->fontMetrics().height() + 6);
    for (int i = 0; i < count; ++i) {
        const int col = i / rows;
        const int row = i % rows;
        buttons_[size_t(i)]->SetBounds(left + col * colWidth, top + row * rowHeight + (rowHeight - buttonHeight) / 2,
                                       colWidth, buttonHeight);
    }
}

void TRadioGroup::SetItemIndex(int index)
{
    index = std::clamp(index, -1, int(buttons_.size()) - 1);
    if (index == itemIndex_)
        return;
    itemIndex_ = index;
    updating_ = true;
    CheckButtons();
    updating_ = false;
    Click();
}

void TRadioGroup::CheckButtons()
{
    // Exclusive buttons refuse to be all unchecked: the group keeps the rule itself.
    for (size_t i = 0; i < buttons_.size(); ++i) {
        auto* button = static_cast<QRadioButton*>(buttons_[i]->Host());
        button->setAutoExclusive(false);
        button->setChecked(int(i) == itemIndex_);
        button->setAutoExclusive(true);
    }
}

void TRadioGroup::ButtonToggled(int index)
{
    if (index == itemIndex_)
        return;
    itemIndex_ = index;
    Click();
}
