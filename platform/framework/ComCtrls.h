#pragma once
// Common controls: the page control with its tab sheets and the status bar with its panels.
#include "Controls.h"

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
