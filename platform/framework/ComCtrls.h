#pragma once
// Common controls: the page control with its tab sheets and the status bar with its panels.
#include "platform/framework/Controls.h"

#include <memory>
#include <vector>

class QTabWidget;
class TPageControl;

// One page of a page control. Its caption is the tab's text; TabVisible hides the tab (and
// the page) without removing it from Pages.
class TTabSheet : public TWinControl {
public:
    explicit TTabSheet(TComponent* owner);
    ~TTabSheet() override;
    String ClassName() const override { return "TTabSheet"; }
    TPageControl* PageControl() const { return pageControl_; }
    // Puts the sheet last in the page control (null takes it out).
    void SetPageControl(TPageControl* control);
    void SetCaption(const String& text) override;
    bool TabVisible() const { return tabVisible_; }
    void SetTabVisible(bool on);
    int PageIndex() const;
    // The index among the visible tabs, -1 when its tab is hidden.
    int TabIndex() const;
    int HelpContext = 0;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;

private:
    friend class TPageControl;
    TPageControl* pageControl_ = nullptr;
    bool tabVisible_ = true;
};

using TTabChangingEvent = std::function<void(TObject* Sender, bool& AllowChange)>;

// Pages with tabs. ActivePage is shown; the user's click on a tab asks OnChanging (which may
// refuse) and then fires OnChange. Setting ActivePage in code fires neither.
class TPageControl : public TWinControl {
public:
    explicit TPageControl(TComponent* owner);
    ~TPageControl() override;
    String ClassName() const override { return "TPageControl"; }
    int PageCount() const { return int(pages_.size()); }
    TTabSheet* Pages(int index) const { return pages_.at(size_t(index)); }
    TTabSheet* ActivePage() const;
    void SetActivePage(TTabSheet* page);
    int ActivePageIndex() const;
    void SetActivePageIndex(int index);
    // The next (or previous) visible page after `current`, wrapping round.
    TTabSheet* FindNextPage(TTabSheet* current, bool goForward) const;
    void SelectNextPage(bool goForward);
    // The area the pages fill, in the control's coordinates.
    TRect DisplayRect() const;
    void SetBounds(int left, int top, int width, int height) override;
    TTabChangingEvent OnChanging;
    TNotifyEvent OnChange;
    QTabWidget* Widget() const;

private:
    friend class TTabSheet;
    friend class TPageControlHost;
    void InsertPage(TTabSheet* page);
    void RemovePage(TTabSheet* page);
    void ShowTabs();
    bool UserSelects(int tabIndex);
    std::vector<TTabSheet*> pages_;
    TTabSheet* active_ = nullptr;
    bool syncing_ = false;
};

// ---------------------------------------------------------------- status bar

enum TStatusPanelBevel { pbNone, pbLowered, pbRaised };

class TStatusBar;

class TStatusPanel {
public:
    explicit TStatusPanel(TStatusBar* bar) : bar_(bar) {}
    String Text() const { return text_; }
    void SetText(const String& text);
    int Width() const { return width_; }
    void SetWidth(int width);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment alignment);
    TStatusPanelBevel Bevel = pbLowered;
    int Index() const;

private:
    TStatusBar* bar_;
    String text_;
    int width_ = 50;
    TAlignment alignment_ = taLeftJustify;
};

class TStatusPanels {
public:
    explicit TStatusPanels(TStatusBar* bar) : bar_(bar) {}
    int Count() const { return int(items_.size()); }
    TStatusPanel* Items(int index) const { return items_.at(size_t(index)).get(); }
    TStatusPanel* operator[](int index) const { return Items(index); }
    TStatusPanel* Add();
    void Delete(int index);
    void Clear();

private:
    TStatusBar* bar_;
    std::vector<std::unique_ptr<TStatusPanel>> items_;
};

// A bar along the bottom of its form (Align alBottom) showing panels side by side (each as wide
// as its Width; the last takes the rest) or, with SimplePanel, the one SimpleText.
class TStatusBar : public TCustomControl {
public:
    explicit TStatusBar(TComponent* owner);
    ~TStatusBar() override;
    String ClassName() const override { return "TStatusBar"; }
    TStatusPanels* Panels() const { return panels_.get(); }
    bool SimplePanel() const { return simplePanel_; }
    void SetSimplePanel(bool on);
    String SimpleText() const { return simpleText_; }
    void SetSimpleText(const String& text);
    bool SizeGrip = true;
    // The rectangle of a panel in the bar's client coordinates.
    TRect PanelRect(int index) const;

protected:
    void Paint() override;

private:
    std::unique_ptr<TStatusPanels> panels_;
    bool simplePanel_ = false;
    String simpleText_;
};

// ---------------------------------------------------------------- track bar, date and time picker, month calendar
// Common controls of the framework: TTrackBar (a slider over a range), TDateTimePicker (a
// date or time field with a calendar drop-down or spin arrows) and TMonthCalendar (a month
// view). Each hosts the matching Qt widget; changes the user makes fire OnChange (TTrackBar
// also on setting Position, as the framework does; the date controls only on user changes).
#include "platform/framework/Controls.h"
#include "platform/rtl/DateUtils.h"

class QSlider;
class QDateTimeEdit;
class QCalendarWidget;

enum TTrackBarOrientation { trHorizontal, trVertical };
enum TTickStyle { tsNone, tsAuto, tsManual };
enum TTickMark { tmBottomRight, tmTopLeft, tmBoth };

class TTrackBar : public TWinControl {
public:
    explicit TTrackBar(TComponent* owner);
    String ClassName() const override { return "TTrackBar"; }

    int Min() const;
    void SetMin(int value); // Position is kept within Min..Max
    int Max() const;
    void SetMax(int value);
    int Position() const;
    void SetPosition(int value); // clipped to the range; a change fires OnChange
    int Frequency() const { return frequency_; } // a tick every Frequency positions
    void SetFrequency(int value);
    int PageSize() const;  // Page Up/Down and clicks beside the thumb
    void SetPageSize(int value);
    int LineSize() const;  // arrow keys
    void SetLineSize(int value);
    TTrackBarOrientation Orientation() const;
    void SetOrientation(TTrackBarOrientation value);
    TTickStyle TickStyle() const { return tickStyle_; }
    void SetTickStyle(TTickStyle value);
    TTickMark TickMarks() const { return tickMarks_; }
    void SetTickMarks(TTickMark value);
    QSlider* Widget() const;

    TNotifyEvent OnChange;

protected:
    virtual void Changed();

private:
    friend class TTrackBarHost;
    void ApplyTicks();
    int frequency_ = 1;
    TTickStyle tickStyle_ = tsAuto;
    TTickMark tickMarks_ = tmBottomRight;
};

enum TDateTimeKind { dtkDate, dtkTime, dtkDateTime };
enum TDTDateMode { dmComboBox, dmUpDown };
enum TDTDateFormat { dfShort, dfLong };

// The value is a TDateTime: dtkDate keeps the date part (the time part stays as set), dtkTime
// shows the time part. Format is the picker's format ("dd/MM/yyyy", "HH:mm:ss", "h:mm tt"...:
// d dd ddd dddd M MM MMM MMMM y yy yyyy h hh H HH m mm s ss t tt, quoted literals); empty uses
// the process's short date or long time format.
class TDateTimePicker : public TWinControl {
public:
    explicit TDateTimePicker(TComponent* owner);
    String ClassName() const override { return "TDateTimePicker"; }

    TDateTime DateTime() const;
    void SetDateTime(TDateTime value);
    TDateTime Date() const { return DateOf(DateTime()); }
    void SetDate(TDateTime value);
    TDateTime Time() const { return TimeOf(DateTime()); }
    void SetTime(TDateTime value);
    TDateTimeKind Kind() const { return kind_; }
    void SetKind(TDateTimeKind kind);
    TDTDateMode DateMode() const { return dateMode_; }
    void SetDateMode(TDTDateMode mode);
    TDTDateFormat DateFormat() const { return dateFormat_; }
    void SetDateFormat(TDTDateFormat format);
    String Format() const { return format_; }
    void SetFormat(const String& format);
    TDateTime MinDate() const { return minDate_; }
    void SetMinDate(TDateTime value); // 0: no limit
    TDateTime MaxDate() const { return maxDate_; }
    void SetMaxDate(TDateTime value);
    // The check box of ShowCheckbox: Checked false means "no value".
    bool ShowCheckbox = false;
    bool Checked = true;
    // The text the field shows.
    String Text() const;
    QDateTimeEdit* Widget() const;
    // The field (section) of the format that the caret is in, from 0; moving to the next one
    // as the right-arrow key does (nothing after the last).
    int CurrentField() const;
    void SelectNextField();

    TNotifyEvent OnChange;

protected:
    virtual void Change();

private:
    friend class TDateTimePickerHost;
    void ApplyFormat();
    TDateTimeKind kind_ = dtkDate;
    TDTDateMode dateMode_ = dmComboBox;
    TDTDateFormat dateFormat_ = dfShort;
    String format_;
    TDateTime minDate_ = 0;
    TDateTime maxDate_ = 0;
    // The whole value: the widget shows only the parts its format has.
    TDateTime value_ = 0;
    void ShowValue();
    void UserChanged();
};

class TMonthCalendar : public TWinControl {
public:
    explicit TMonthCalendar(TComponent* owner);
    String ClassName() const override { return "TMonthCalendar"; }
    TDateTime Date() const;
    void SetDate(TDateTime value);
    TDateTime MinDate() const { return minDate_; }
    void SetMinDate(TDateTime value);
    TDateTime MaxDate() const { return maxDate_; }
    void SetMaxDate(TDateTime value);
    bool WeekNumbers() const;
    void SetWeekNumbers(bool on);
    QCalendarWidget* Widget() const;

    TNotifyEvent OnClick;  // a day chosen by the user
    TNotifyEvent OnChange; // the date changed by the user

private:
    friend class TMonthCalendarHost;
    TDateTime minDate_ = 0;
    TDateTime maxDate_ = 0;
};

// Conversions between TDateTime and Qt's date and time (platform use).
class QDateTime;
QDateTime DateTimeToQDateTime(TDateTime value);
TDateTime QDateTimeToDateTime(const QDateTime& value);
// The Qt display format of a picker format (see TDateTimePicker).
String PickerFormatToQtFormat(const String& format);
