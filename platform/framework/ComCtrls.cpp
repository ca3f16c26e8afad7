#include "platform/framework/ComCtrls.h"

#include "platform/framework/ControlHost.h"
#include "platform/framework/Forms.h"
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

// ---------------------------------------------------------------- track bar, date and time picker, month calendar


#include "platform/framework/ControlHost.h"
#include "platform/framework/Forms.h"

#include <QCalendarWidget>
#include <QDateTimeEdit>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QSlider>
#include <QStyleOptionComboBox>
#include <cmath>

// ---------------------------------------------------------------- date conversions

namespace {
const QDate kDayZero(1899, 12, 30);
} // namespace

QDateTime DateTimeToQDateTime(TDateTime value)
{
    const double days = std::floor(value);
    // Before day zero the fraction still counts forward from midnight, as the run-time does.
    const double fraction = std::fabs(value - std::trunc(value));
    const qint64 ms = std::llround(fraction * 86400000.0);
    return QDateTime(kDayZero.addDays(qint64(value < 0 ? std::ceil(value) : days)), QTime(0, 0).addMSecs(int(std::min<qint64>(ms, 86399999))));
}

TDateTime QDateTimeToDateTime(const QDateTime& value)
{
    const double days = double(kDayZero.daysTo(value.date()));
    const double fraction = value.time().msecsSinceStartOfDay() / 86400000.0;
    return days < 0 ? days - fraction : days + fraction;
}

String PickerFormatToQtFormat(const String& format)
{
    String out;
    for (size_t i = 0; i < format.size();) {
        const char c = format[i];
        if (c == '\'') {
            const size_t end = format.find('\'', i + 1);
            out += format.substr(i, end == String::npos ? String::npos : end - i + 1);
            i = end == String::npos ? format.size() : end + 1;
            continue;
        }
        size_t run = 1;
        while (i + run < format.size() && format[i + run] == c)
            ++run;
        if (c == 't')
            out += "AP"; // one letter or two: Qt shows the whole marker
        else if (c == 'y' && run < 4)
            out += run == 1 ? "yy" : String(run == 3 ? "yyyy" : "yy");
        else
            out += format.substr(i, run);
        i += run;
    }
    return out;
}

// ---------------------------------------------------------------- TTrackBar

class TTrackBarHost : public QSlider, public TControlHostLink {
public:
    TTrackBarHost() : QSlider(Qt::Horizontal)
    {
        QObject::connect(this, &QSlider::valueChanged, [this] {
            if (auto* bar = dynamic_cast<TTrackBar*>(control_))
                Application->Guard([bar] { bar->Changed(); }, bar);
        });
    }
};

TTrackBar::TTrackBar(TComponent* owner) : TWinControl(owner, new TTrackBarHost)
{
    TabStop = true;
    Widget()->setRange(0, 10);
    Widget()->setPageStep(2);
    Widget()->setSingleStep(1);
    SetBounds(0, 0, 150, 45);
    ApplyTicks();
}

QSlider* TTrackBar::Widget() const { return static_cast<QSlider*>(Host()); }
int TTrackBar::Min() const { return Widget()->minimum(); }
int TTrackBar::Max() const { return Widget()->maximum(); }
int TTrackBar::Position() const { return Widget()->value(); }
int TTrackBar::PageSize() const { return Widget()->pageStep(); }
int TTrackBar::LineSize() const { return Widget()->singleStep(); }

void TTrackBar::SetMin(int value)
{
    // A minimum above the maximum moves the maximum along.
    Widget()->setRange(value, std::max(value, Max()));
}

void TTrackBar::SetMax(int value)
{
    Widget()->setRange(std::min(value, Min()), value);
}

void TTrackBar::SetPosition(int value)
{
    Widget()->setValue(value);
}

void TTrackBar::SetFrequency(int value)
{
    frequency_ = std::max(1, value);
    ApplyTicks();
}

void TTrackBar::SetPageSize(int value) { Widget()->setPageStep(std::max(0, value)); }
void TTrackBar::SetLineSize(int value) { Widget()->setSingleStep(std::max(0, value)); }

TTrackBarOrientation TTrackBar::Orientation() const
{
    return Widget()->orientation() == Qt::Vertical ? trVertical : trHorizontal;
}

void TTrackBar::SetOrientation(TTrackBarOrientation value)
{
    if (value == Orientation())
        return;
    Widget()->setOrientation(value == trVertical ? Qt::Vertical : Qt::Horizontal);
    SetBounds(Left(), Top(), Height(), Width()); // turning the bar swaps its sides
}

void TTrackBar::SetTickStyle(TTickStyle value)
{
    tickStyle_ = value;
    ApplyTicks();
}

void TTrackBar::SetTickMarks(TTickMark value)
{
    tickMarks_ = value;
    ApplyTicks();
}

void TTrackBar::ApplyTicks()
{
    QSlider::TickPosition position = QSlider::TicksBelow;
    if (tickStyle_ == tsNone)
        position = QSlider::NoTicks;
    else if (tickMarks_ == tmTopLeft)
        position = QSlider::TicksAbove;
    else if (tickMarks_ == tmBoth)
        position = QSlider::TicksBothSides;
    Widget()->setTickPosition(position);
    Widget()->setTickInterval(frequency_);
}

void TTrackBar::Changed()
{
    if (OnChange)
        OnChange(this);
}

// ---------------------------------------------------------------- TDateTimePicker

class TDateTimePickerHost : public QDateTimeEdit, public TControlHostLink, public THostedBand {
public:
    TDateTimePickerHost() : THostedBand(this, this)
    {
        QObject::connect(this, &QDateTimeEdit::dateTimeChanged, [this] {
            if (settingValue)
                return;
            if (auto* picker = dynamic_cast<TDateTimePicker*>(control_))
                Application->Guard([picker] { picker->UserChanged(); }, picker);
        });
    }
    bool settingValue = false;

protected:
    // The calendar of a date field opens on Alt+Down and on F4, as from its button.
    void keyPressEvent(QKeyEvent* e) override
    {
        const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
        const bool opens = (e->key() == Qt::Key_F4 && mods == Qt::NoModifier) ||
                           (e->key() == Qt::Key_Down && mods == Qt::AltModifier);
        if (opens && calendarPopup() && !isReadOnly() && isEnabled()) {
            e->accept();
            OpenCalendar();
            return;
        }
        QDateTimeEdit::keyPressEvent(e);
    }

private:
    void OpenCalendar()
    {
        // the field opens its calendar from a press on its button; that press is made here
        QStyleOptionComboBox opt;
        opt.initFrom(this);
        opt.editable = true;
        opt.frame = true;
        opt.subControls = QStyle::SC_All;
        const QRect arrow = style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxArrow, this);
        const QPoint at = arrow.isValid() ? arrow.center() : QPoint(width() - 4, height() / 2);
        QMouseEvent press(QEvent::MouseButtonPress, at, mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QDateTimeEdit::mousePressEvent(&press);
    }
};

TDateTimePicker::TDateTimePicker(TComponent* owner) : TWinControl(owner, new TDateTimePickerHost)
{
    TabStop = true;
    Widget()->setMinimumDateTime(QDateTime(QDate(1752, 9, 14), QTime(0, 0)));
    Widget()->setMaximumDateTime(QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59, 999)));
    value_ = Now();
    SetBounds(0, 0, 186, 21);
    ApplyFormat();
}

QDateTimeEdit* TDateTimePicker::Widget() const { return static_cast<QDateTimeEdit*>(Host()); }

TDateTime TDateTimePicker::DateTime() const
{
    return value_;
}

void TDateTimePicker::SetDateTime(TDateTime value)
{
    value_ = value;
    ShowValue();
}

void TDateTimePicker::ShowValue()
{
    auto* host = static_cast<TDateTimePickerHost*>(Host());
    host->settingValue = true;
    Widget()->setDateTime(DateTimeToQDateTime(value_));
    host->settingValue = false;
}

void TDateTimePicker::UserChanged()
{
    // The user changed the parts the field shows; the others stay.
    const TDateTime shown = QDateTimeToDateTime(Widget()->dateTime());
    if (kind_ == dtkDate)
        value_ = DateOf(shown) + TimeOf(value_);
    else if (kind_ == dtkTime)
        value_ = DateOf(value_) + TimeOf(shown);
    else
        value_ = shown;
    Change();
}

void TDateTimePicker::SetDate(TDateTime value)
{
    SetDateTime(DateOf(value) + Time());
}

void TDateTimePicker::SetTime(TDateTime value)
{
    SetDateTime(Date() + TimeOf(value));
}

void TDateTimePicker::SetKind(TDateTimeKind kind)
{
    kind_ = kind;
    ApplyFormat();
}

void TDateTimePicker::SetDateMode(TDTDateMode mode)
{
    dateMode_ = mode;
    ApplyFormat();
}

void TDateTimePicker::SetDateFormat(TDTDateFormat format)
{
    dateFormat_ = format;
    ApplyFormat();
}

void TDateTimePicker::SetFormat(const String& format)
{
    format_ = format;
    ApplyFormat();
}

void TDateTimePicker::SetMinDate(TDateTime value)
{
    minDate_ = value;
    if (value != 0)
        Widget()->setMinimumDateTime(DateTimeToQDateTime(value));
}

void TDateTimePicker::SetMaxDate(TDateTime value)
{
    maxDate_ = value;
    if (value != 0)
        Widget()->setMaximumDateTime(DateTimeToQDateTime(value));
}

int TDateTimePicker::CurrentField() const
{
    return Widget()->currentSectionIndex();
}

void TDateTimePicker::SelectNextField()
{
    const int next = Widget()->currentSectionIndex() + 1;
    if (next < Widget()->sectionCount())
        Widget()->setCurrentSectionIndex(next);
}

String TDateTimePicker::Text() const
{
    return FromQString(Widget()->text());
}

void TDateTimePicker::ApplyFormat()
{
    String format = format_;
    if (format.empty()) {
        // The process's formats, turned into the picker's letters.
        const TFormatSettings& fs = FormatSettings();
        String date = dateFormat_ == dfLong ? fs.LongDateFormat : fs.ShortDateFormat;
        for (char& c : date)
            if (c == 'm')
                c = 'M';
        date = StringReplace(date, "/", String(1, fs.DateSeparator), rfReplaceAll);
        const String time = StringReplace(StringReplace(fs.LongTimeFormat, "n", "m", rfReplaceAll), "hh", "HH",
                                          rfReplaceAll);
        format = kind_ == dtkTime ? time : kind_ == dtkDateTime ? date + " " + time : date;
    }
    auto* host = static_cast<TDateTimePickerHost*>(Host());
    host->settingValue = true;
    Widget()->setDisplayFormat(ToQString(PickerFormatToQtFormat(format)));
    Widget()->setCalendarPopup(kind_ != dtkTime && dateMode_ == dmComboBox);
    host->settingValue = false;
    ShowValue();
}

void TDateTimePicker::Change()
{
    if (OnChange)
        OnChange(this);
}

// ---------------------------------------------------------------- TMonthCalendar

class TMonthCalendarHost : public QCalendarWidget, public TControlHostLink {
public:
    TMonthCalendarHost()
    {
        QObject::connect(this, &QCalendarWidget::clicked, [this] {
            if (auto* calendar = dynamic_cast<TMonthCalendar*>(control_); calendar && calendar->OnClick)
                Application->Guard([calendar] { calendar->OnClick(calendar); }, calendar);
        });
        QObject::connect(this, &QCalendarWidget::selectionChanged, [this] {
            if (settingValue)
                return;
            if (auto* calendar = dynamic_cast<TMonthCalendar*>(control_); calendar && calendar->OnChange)
                Application->Guard([calendar] { calendar->OnChange(calendar); }, calendar);
        });
    }
    bool settingValue = false;
};

TMonthCalendar::TMonthCalendar(TComponent* owner) : TWinControl(owner, new TMonthCalendarHost)
{
    TabStop = true;
    Widget()->setFirstDayOfWeek(Qt::Monday);
    Widget()->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    SetBounds(0, 0, 225, 160);
    SetDate(::Date());
}

QCalendarWidget* TMonthCalendar::Widget() const { return static_cast<QCalendarWidget*>(Host()); }

TDateTime TMonthCalendar::Date() const
{
    return double(kDayZero.daysTo(Widget()->selectedDate()));
}

void TMonthCalendar::SetDate(TDateTime value)
{
    auto* host = static_cast<TMonthCalendarHost*>(Host());
    host->settingValue = true;
    Widget()->setSelectedDate(DateTimeToQDateTime(DateOf(value)).date());
    host->settingValue = false;
}

void TMonthCalendar::SetMinDate(TDateTime value)
{
    minDate_ = value;
    auto* host = static_cast<TMonthCalendarHost*>(Host());
    host->settingValue = true; // a date moved into the range is no user change
    if (value != 0)
        Widget()->setMinimumDate(DateTimeToQDateTime(value).date());
    host->settingValue = false;
}

void TMonthCalendar::SetMaxDate(TDateTime value)
{
    maxDate_ = value;
    auto* host = static_cast<TMonthCalendarHost*>(Host());
    host->settingValue = true;
    if (value != 0)
        Widget()->setMaximumDate(DateTimeToQDateTime(value).date());
    host->settingValue = false;
}

bool TMonthCalendar::WeekNumbers() const
{
    return Widget()->verticalHeaderFormat() == QCalendarWidget::ISOWeekNumbers;
}

void TMonthCalendar::SetWeekNumbers(bool on)
{
    Widget()->setVerticalHeaderFormat(on ? QCalendarWidget::ISOWeekNumbers : QCalendarWidget::NoVerticalHeader);
}
