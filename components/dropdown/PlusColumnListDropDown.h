#pragma once
// What the drop-downs whose pop-up is a list of rows in columns have in common (the
// multi-column drop-down and the grid drop-down):
//  - TColumnListGrid: the pop-up list, on either kind of string grid. It holds a copy of the
//    drop-down's columns, sizes columns and rows to what their cells show, and says when a row
//    is taken: a key or a click confirms the current row, the wheel only scrolls.
//  - TPlusColumnListDropDown: the edit with such a list. The edit completes typed text from the
//    lookup texts (one per row, from the lookup column), steps through the rows with the arrow
//    and page keys, and fits the list's columns to the pop-up's width.
#include "components/dropdown/PlusDropDown.h"

#include "platform/win/WinGdi.h"
#include "platform/win/WinWindow.h"

#include <algorithm>
#include <memory>
#include <vector>

template <class Grid, class ColumnsT>
class TColumnListGrid : public Grid {
public:
    explicit TColumnListGrid(TComponent* AOwner) : Grid(AOwner), columns_(std::make_unique<ColumnsT>(this)) {}
    ColumnsT* Columns() const { return columns_.get(); }
    TColor HeaderColor = 0xFFFFFF, HeaderColorTo = 0x808080;
    int HeaderHeight = 25;
    TFont* HeaderFont() const { return headerFont_.get(); }
    TColor LineColor = 0x808080, FixedLineColor = 0;
    int GridLineWidth() const { return lineWidth_; }
    // Stores the width and removes the string grid's own cell lines: the list draws its own.
    void SetGridLineWidth(int v)
    {
        lineWidth_ = v;
        Grid::SetGridLineWidth(0);
        this->Invalidate();
    }
    TCustomImageList* Images() const { return images_; }
    void SetImages(TCustomImageList* v)
    {
        images_ = v;
        if (v)
            v->FreeNotification(this);
    }
    TNotifyEvent OnSelect;

    // The width that shows every column, and the vertical scroll bar when not all rows fit (the
    // list has no border).
    int GetColumnsWidth()
    {
        int w = 0;
        for (int i = 0; i < this->ColCount(); ++i)
            w += this->ColWidths(i);
        if (this->VisibleRowCount() + this->FixedRows() != this->RowCount())
            w += GetSystemMetrics(SM_CXVSCROLL);
        return w;
    }
    void AutoSizeColumns()
    {
        for (int i = 0; i < columns_->Count(); ++i)
            if (columns_->Items(i)->AutoSize)
                AutoSizeColumn(i);
    }
    // An AutoSize column as wide as its widest data cell: the image plus 4, the single-line
    // text plus 6 (only on the pop-up, where the list is measured in its columns' fonts).
    void AutoSizeColumn(int col)
    {
        if (col < 0 || col >= columns_->Count() || !columns_->Items(col)->AutoSize || !OnDropDownForm())
            return;
        TBitmap measure; // measures on a canvas of its own: the list may not be painting now
        measure.SetSize(1, 1);
        TCanvas* c = measure.Canvas();
        c->Font->Assign(columns_->Items(col)->Font());
        int widest = 0;
        for (int r = 1; r < this->RowCount(); ++r) {
            String text;
            int image;
            CellContent(col, r, text, image);
            int w = image >= 0 && images_ ? images_->Width() + 4 : 0;
            if (!text.empty()) {
                RECT rc{0, 0, 1000, 500};
                c->RequiredState();
                DrawText(c->Handle(), text.c_str(), -1, &rc, DT_CALCRECT | DT_SINGLELINE);
                w += (rc.right - rc.left) + 6;
            }
            widest = std::max(widest, w);
        }
        columns_->Items(col)->Width = widest;
        this->SetColWidths(col, widest);
    }
    // With a Wordwrap column, each data row as high as its tallest wrapped cell plus 6 (at
    // least 24).
    void AutoSizeRows()
    {
        bool wraps = false;
        for (int i = 0; i < columns_->Count(); ++i)
            wraps = wraps || columns_->Items(i)->Wordwrap;
        if (!wraps || !OnDropDownForm())
            return;
        TBitmap measure;
        measure.SetSize(1, 1);
        TCanvas* c = measure.Canvas();
        for (int r = this->FixedRows(); r < this->RowCount(); ++r) {
            int height = 24;
            for (int col = 0; col < columns_->Count(); ++col) {
                if (!columns_->Items(col)->Wordwrap)
                    continue;
                String text;
                int image;
                CellContent(col, r, text, image);
                int h = image >= 0 && images_ ? images_->Height() + 6 : 0;
                if (!text.empty()) {
                    c->Font->Assign(columns_->Items(col)->Font());
                    RECT rc{0, 0, col < this->ColCount() ? this->ColWidths(col) : 0, 500};
                    c->RequiredState();
                    DrawText(c->Handle(), text.c_str(), -1, &rc, DT_CALCRECT | DT_WORDBREAK);
                    h = std::max(h, int(rc.bottom - rc.top) + 6);
                }
                height = std::max(height, h);
            }
            this->SetRowHeights(r, height);
        }
    }
    bool Confirmed() const { return confirm_; }
    void SetConfirmed(bool v) { confirm_ = v; }
    bool WheelScrolling() const { return wheel_; }
    // The text and image index (-1: none) of a data cell, as the list shows and measures it.
    virtual void CellContent(int col, int row, String& text, int& image) = 0;

protected:
    void Notification(TComponent* component, TOperation operation) override
    {
        Grid::Notification(component, operation);
        if (operation == opRemove && component == images_ && !this->HasState(csDestroying))
            images_ = nullptr;
    }
    virtual void DoSelect()
    {
        if (OnSelect)
            OnSelect(this);
    }
    // Alt with the up or down arrow goes to the drop-down (which closes the list); true then.
    bool AltStepToDropDown(TControl* dropDown, WORD Key, TShiftState Shift)
    {
        confirm_ = true;
        if (!Shift.Contains(ssAlt) || (Key != VK_UP && Key != VK_DOWN))
            return false;
        if (dropDown)
            dropDown->Perform(WM_KEYDOWN, Key, 0);
        return true;
    }
    void MouseDown(TMouseButton b, TShiftState s, int x, int y) override
    {
        confirm_ = true;
        Grid::MouseDown(b, s, x, y);
    }
    bool DoMouseWheelDown(TShiftState shift, TPoint pos) override
    {
        return Wheel([&] { return Grid::DoMouseWheelDown(shift, pos); });
    }
    bool DoMouseWheelUp(TShiftState shift, TPoint pos) override
    {
        return Wheel([&] { return Grid::DoMouseWheelUp(shift, pos); });
    }
    // The list asks for the arrow keys and Tab, and a Tab does nothing in it.
    void Dispatch(TMessage& m) override
    {
        if (m.Msg == WM_KEYDOWN && m.WParam == VK_TAB) {
            m.Result = 0;
            return;
        }
        if (m.Msg == WM_GETDLGCODE) {
            m.Result = DLGC_WANTARROWS | DLGC_WANTTAB;
            return;
        }
        Grid::Dispatch(m);
    }
    bool OnDropDownForm() const { return dynamic_cast<TDropDownForm*>(this->Parent()) != nullptr; }

    std::unique_ptr<ColumnsT> columns_;
    std::unique_ptr<TFont> headerFont_ = std::make_unique<TFont>();
    int lineWidth_ = 1;
    TCustomImageList* images_ = nullptr;
    bool wheel_ = false, confirm_ = false;

private:
    template <class Scroll>
    bool Wheel(Scroll scroll)
    {
        // scrolling moves the current row without choosing it
        wheel_ = true;
        confirm_ = false;
        const bool r = scroll();
        wheel_ = false;
        return r;
    }
};

class TPlusColumnListDropDown : public TPlusCustomDropDown {
public:
    // `laterStyles`: the colour styles 13 to 15 have list colours of their own too.
    TPlusColumnListDropDown(TComponent* AOwner, bool laterStyles);
    ~TPlusColumnListDropDown() override;
    void Loaded() override;

    int ItemIndex() const { return itemIndex_; }
    virtual void SetItemIndex(int Value) = 0;
    int LookupColumn = 0;
    bool CaseSensitive = false;
    TColor HeaderColor = 0xFFFFFF, HeaderColorTo = 0x808080;
    int HeaderHeight = 25;
    TFont* HeaderFont() const { return headerFont_.get(); }
    void SetHeaderFont(TFont* f) { headerFont_->Assign(f); }
    TColor LineColor = 0xF1EDEB, FixedLineColor = 0xD1BBA4;
    TColor SelectionTextColor = 0;
    int DropDownRowHeight = 22;
    bool DropDownAutoWidth = true;
    bool ColumnSizing = false, ColumnSizeWithDropDown = true;
    TNotifyEvent OnSelect;

    // The first row whose lookup text is `Text` (-1: none).
    int IndexOfLookupText(const String& Text) const;
    // The lookup texts anew from the rows (kept while there is no lookup column or no row).
    void UpdateLookupList();
    virtual void BeforeLookupUpdate() {}
    const TStringList* LookupItems() const { return lookupItems_.get(); }
    String LookupEntry() const { return lookupEntry_; }

    void DropDownFormShown() override;
    void SetSelectionColorStyle(uint8_t Style) override;
    void ApplyColorStyle(uint8_t Style) override;
    void KeyDown(WORD& Key, TShiftState Shift) override;
    void KeyUp(WORD& Key, TShiftState Shift) override;

protected:
    // The rows: items of the multi-column drop-down's item class or of a descendant.
    virtual TCollection* RowItems() const = 0;
    // The list's column widths fitted to the pop-up (when ColumnSizeWithDropDown).
    virtual void ColumnsToDropDownWidth() = 0;
    // The arrow and page keys (and Home and End where `shift` and the style allow) step the
    // chosen row.
    virtual void StepKey(WORD key, bool shift) = 0;
    // Which rows typed text may complete to: all, unless the list hides some.
    virtual void RefreshShownItems() {}
    virtual bool ItemShown(int item) const { return item >= 0; }
    // The looks of a new drop-down (after its pop-up exists).
    void InitListLooks();
    void Change() override;
    void SelectNext() override;
    void SelectPrevious() override;
    // Steps the chosen row of `count` rows by the key; Home and End only with `homeEnd`.
    void StepItem(WORD key, int count, bool homeEnd);
    // Settles a text typed out in full to its row once the key is released.
    void SettleCompletion();
    // Backspace while typing ahead: drops the last typed character, or the selected text.
    void TypeAheadBackspace();
    // Whether `text` starts with `key` (`key` in upper case unless CaseSensitive).
    bool StartsWithLookupKey(const String& text, const String& key) const;
    String LookupKeyOf(const String& text) const { return CaseSensitive ? text : AnsiUpperCase(text); }
    // Sets the edit text without completing it.
    void ShowText(const String& text);

    // The pop-up as wide as the list's columns (when DropDownAutoWidth).
    template <class List>
    void AdaptListWidth(List* list)
    {
        TPlusCustomDropDown::AdaptDropDownSize();
        if (!DropDownAutoWidth || !form_ || !list)
            return;
        const int w = list->GetColumnsWidth();
        list->Align = alNone;
        list->SetWidth(w);
        form_->SetWidth(list->Width() + 2 * DropDownBorderWidth);
    }
    // The columns' widths scaled to fill the pop-up's width (less the scroll bar when not all
    // rows fit).
    template <class List, class Columns>
    void FitColumnsToDropDown(List* list, Columns* columns)
    {
        if (!ColumnSizeWithDropDown || !list || !form_)
            return;
        list->SetScrollBars(ssVertical);
        if (columns->Count() == 0)
            return;
        std::vector<int> widths;
        for (int i = 0; i < list->ColCount(); ++i)
            widths.push_back(i < columns->Count() ? columns->Items(i)->Width : list->ColWidths(i));
        int w = form_->Width();
        if (list->VisibleRowCount() < list->RowCount() - list->FixedRows())
            w -= GetSystemMetrics(SM_CXVSCROLL);
        const std::vector<int> fitted = FillWidths(widths, w);
        for (int i = 0; i < int(fitted.size()); ++i)
            list->SetColWidths(i, fitted[size_t(i)]);
    }

    std::unique_ptr<TFont> headerFont_;
    std::unique_ptr<TStringList> lookupItems_ = std::make_unique<TStringList>();
    int itemIndex_ = -1, oldItemIndex_ = -1;
    bool autoCompleting_ = true, completionPending_ = false;
    int completedIndex_ = -1, completedLength_ = 0;
    String lookupEntry_;

private:
    static std::vector<int> FillWidths(const std::vector<int>& widths, int width);
    String LookupTextOf(int item) const;
    bool laterStyles_;
};
