#include "ComCtrls.h"

#include "ControlHost.h"
#include "Forms.h"
#include "platform/win/WinFrameControl.h"

#include <QCoreApplication>
#include <QResizeEvent>
#include <QStackedWidget>
#include <QStyle>
#include <QStyleOptionTabWidgetFrame>
#include <QTabBar>
#include <QTabWidget>

#include <algorithm>

// ---------------------------------------------------------------- hosts

class TPageControlHost : public QTabWidget, public TControlHostLink {
public:
    TPageControlHost()
    {
        QObject::connect(this, &QTabWidget::currentChanged, [this](int index) {
            auto* control = dynamic_cast<TPageControl*>(control_);
            if (control && !control->syncing_)
                Application->Guard([control, index] { control->UserSelects(index); }, control);
        });
    }
    // The page area (the stack of pages) in the tab widget's coordinates.
    QRect PageArea()
    {
        auto* stack = findChild<QStackedWidget*>();
        if (stack && isVisible())
            return stack->geometry();
        // hidden: where the tab widget will put its pages once shown
        QStyleOptionTabWidgetFrame option;
        initStyleOption(&option);
        return style()->subElementRect(QStyle::SE_TabWidgetTabContents, &option, this);
    }

protected:
    void resizeEvent(QResizeEvent* e) override
    {
        QTabWidget::resizeEvent(e);
        if (auto* control = dynamic_cast<TPageControl*>(control_))
            control->ShowTabs();
    }
};

namespace {

class TTabSheetHost : public QWidget, public TControlHostLink {
protected:
    void resizeEvent(QResizeEvent* e) override
    {
        QWidget::resizeEvent(e);
        if (auto* sheet = dynamic_cast<TTabSheet*>(control_))
            sheet->Realign();
    }
};

} // namespace

// ---------------------------------------------------------------- TTabSheet

TTabSheet::TTabSheet(TComponent* owner) : TWinControl(owner, new TTabSheetHost)
{
    ControlStyle << csAcceptsControls;
    Host()->setAutoFillBackground(false);
}

TTabSheet::~TTabSheet()
{
    if (pageControl_)
        pageControl_->RemovePage(this);
}

void TTabSheet::SetPageControl(TPageControl* control)
{
    if (control == pageControl_)
        return;
    if (pageControl_)
        pageControl_->RemovePage(this);
    pageControl_ = nullptr;
    if (!control) {
        SetParent(nullptr);
        return;
    }
    SetParent(control);
    pageControl_ = control;
    control->InsertPage(this);
}

void TTabSheet::SetCaption(const String& text)
{
    TWinControl::SetCaption(text);
    if (pageControl_)
        pageControl_->Widget()->setTabText(PageIndex(), ToQString(text));
}

void TTabSheet::SetTabVisible(bool on)
{
    tabVisible_ = on;
    if (pageControl_)
        pageControl_->ShowTabs();
}

int TTabSheet::PageIndex() const
{
    if (!pageControl_)
        return -1;
    const auto& pages = pageControl_->pages_;
    return int(std::find(pages.begin(), pages.end(), this) - pages.begin());
}

int TTabSheet::TabIndex() const
{
    if (!pageControl_ || !tabVisible_)
        return -1;
    int index = 0;
    for (TTabSheet* page : pageControl_->pages_) {
        if (page == this)
            return index;
        if (page->tabVisible_)
            ++index;
    }
    return -1;
}

// ---------------------------------------------------------------- TPageControl

TPageControl::TPageControl(TComponent* owner) : TWinControl(owner, new TPageControlHost)
{
    TabStop = true;
    SetBounds(0, 0, 289, 193);
}

TPageControl::~TPageControl()
{
    // The sheets go with the control (its child controls); they must not call back.
    for (TTabSheet* page : pages_)
        page->pageControl_ = nullptr;
    pages_.clear();
    active_ = nullptr;
}

QTabWidget* TPageControl::Widget() const { return static_cast<QTabWidget*>(Host()); }

void TPageControl::InsertPage(TTabSheet* page)
{
    syncing_ = true;
    pages_.push_back(page);
    Widget()->addTab(page->Host(), ToQString(page->Caption()));
    if (!active_ && page->tabVisible_)
        active_ = page;
    syncing_ = false;
    ShowTabs();
}

void TPageControl::RemovePage(TTabSheet* page)
{
    syncing_ = true;
    const int index = page->PageIndex();
    if (index >= 0) {
        Widget()->removeTab(index);
        pages_.erase(pages_.begin() + index);
    }
    if (active_ == page) {
        active_ = nullptr;
        for (TTabSheet* p : pages_)
            if (p->tabVisible_) {
                active_ = p;
                break;
            }
    }
    syncing_ = false;
    ShowTabs();
}

// Brings the tab widget in step with the pages: hidden tabs, the active page, and every page
// placed on the page area (also while the control is hidden, so that the sheets' sizes hold
// from the start).
void TPageControl::ShowTabs()
{
    const bool wasSyncing = syncing_;
    syncing_ = true;
    if (active_ && !active_->tabVisible_)
        active_ = FindNextPage(active_, true);
    for (size_t i = 0; i < pages_.size(); ++i)
        Widget()->setTabVisible(int(i), pages_[i]->tabVisible_);
    if (active_)
        Widget()->setCurrentIndex(active_->PageIndex());
    const QRect area = static_cast<TPageControlHost*>(Widget())->PageArea();
    for (TTabSheet* page : pages_) {
        page->Host()->setGeometry(0, 0, area.width(), area.height());
        page->Host()->setVisible(page == active_);
    }
    syncing_ = wasSyncing;
}

void TPageControl::SetBounds(int left, int top, int width, int height)
{
    TWinControl::SetBounds(left, top, width, height);
    ShowTabs();
}

TTabSheet* TPageControl::ActivePage() const { return active_; }

void TPageControl::SetActivePage(TTabSheet* page)
{
    if (page && (page->pageControl_ != this || !page->tabVisible_))
        return;
    if (page == active_)
        return;
    TTabSheet* old = active_;
    active_ = page;
    ShowTabs();
    if (old && old->OnHide)
        old->OnHide(old);
    if (page && page->OnShow)
        page->OnShow(page);
}

int TPageControl::ActivePageIndex() const { return active_ ? active_->PageIndex() : -1; }

void TPageControl::SetActivePageIndex(int index)
{
    SetActivePage(index >= 0 && index < PageCount() ? pages_[size_t(index)] : nullptr);
}

TTabSheet* TPageControl::FindNextPage(TTabSheet* current, bool goForward) const
{
    if (pages_.empty())
        return nullptr;
    int start = current ? current->PageIndex() : -1;
    if (start < 0)
        start = goForward ? int(pages_.size()) - 1 : 0;
    const int n = int(pages_.size());
    for (int step = 1; step <= n; ++step) {
        const int i = ((start + (goForward ? step : -step)) % n + n) % n;
        if (pages_[size_t(i)]->tabVisible_)
            return pages_[size_t(i)];
    }
    return nullptr;
}

void TPageControl::SelectNextPage(bool goForward)
{
    TTabSheet* next = FindNextPage(active_, goForward);
    if (!next || next == active_)
        return;
    bool allow = true;
    if (OnChanging)
        OnChanging(this, allow);
    if (!allow)
        return;
    SetActivePage(next);
    if (OnChange)
        OnChange(this);
}

TRect TPageControl::DisplayRect() const
{
    const QRect area = static_cast<TPageControlHost*>(Widget())->PageArea();
    return TRect(area.left(), area.top(), area.right() + 1, area.bottom() + 1);
}

bool TPageControl::UserSelects(int tabIndex)
{
    TTabSheet* page = tabIndex >= 0 && tabIndex < PageCount() ? pages_[size_t(tabIndex)] : nullptr;
    if (page == active_)
        return true;
    bool allow = true;
    if (OnChanging)
        OnChanging(this, allow);
    if (!allow) {
        ShowTabs(); // back to the page that stays
        return false;
    }
    SetActivePage(page);
    if (OnChange)
        OnChange(this);
    return true;
}

// ---------------------------------------------------------------- status bar

void TStatusPanel::SetText(const String& text)
{
    text_ = text;
    bar_->Invalidate();
}

void TStatusPanel::SetWidth(int width)
{
    width_ = std::max(0, width);
    bar_->Invalidate();
}

void TStatusPanel::SetAlignment(TAlignment alignment)
{
    alignment_ = alignment;
    bar_->Invalidate();
}

int TStatusPanel::Index() const
{
    for (int i = 0; i < bar_->Panels()->Count(); ++i)
        if (bar_->Panels()->Items(i) == this)
            return i;
    return -1;
}

TStatusPanel* TStatusPanels::Add()
{
    items_.push_back(std::make_unique<TStatusPanel>(bar_));
    bar_->Invalidate();
    return items_.back().get();
}

void TStatusPanels::Delete(int index)
{
    items_.erase(items_.begin() + (Items(index), index));
    bar_->Invalidate();
}

void TStatusPanels::Clear()
{
    items_.clear();
    bar_->Invalidate();
}

TStatusBar::TStatusBar(TComponent* owner) : TCustomControl(owner), panels_(std::make_unique<TStatusPanels>(this))
{
    Align = alBottom;
    SetBounds(0, 0, 185, 19);
}

TStatusBar::~TStatusBar() = default;

void TStatusBar::SetSimplePanel(bool on)
{
    simplePanel_ = on;
    Invalidate();
}

void TStatusBar::SetSimpleText(const String& text)
{
    simpleText_ = text;
    Invalidate();
}

TRect TStatusBar::PanelRect(int index) const
{
    int left = 0;
    for (int i = 0; i < index; ++i)
        left += panels_->Items(i)->Width() + 2;
    const bool last = index == panels_->Count() - 1;
    const int right = last ? ClientWidth() : left + panels_->Items(index)->Width();
    return TRect(left, 2, std::max(left, right), ClientHeight());
}

void TStatusBar::Paint()
{
    TCanvas* c = Canvas();
    c->Font->Assign(Font());
    c->Brush->Style = bsClear;
    auto cell = [c](TRect r, const String& text, TStatusPanelBevel bevel, TAlignment alignment) {
        RECT box = r;
        if (bevel != pbNone)
            DrawEdge(c->Handle(), &box, bevel == pbLowered ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT | BF_ADJUST);
        InflateRect(&box, -2, 0);
        const UINT align = alignment == taCenter ? DT_CENTER : alignment == taRightJustify ? DT_RIGHT : DT_LEFT;
        DrawText(c->Handle(), text, &box, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX | align);
    };
    if (simplePanel_) {
        cell(TRect(0, 2, ClientWidth(), ClientHeight()), simpleText_, pbNone, taLeftJustify);
    } else {
        for (int i = 0; i < panels_->Count(); ++i) {
            TStatusPanel* p = panels_->Items(i);
            cell(PanelRect(i), p->Text(), p->Bevel, p->Alignment());
        }
    }
    c->Brush->Style = bsSolid;
}
