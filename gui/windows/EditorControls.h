#pragma once
// Building blocks of the editor windows' layouts: named controls bound to the data module's
// data sources, and a column of labelled fields that places each label and its control on
// one row. Label widths follow their text, so that a caption always fits its label.
#include "platform/dbctrls/DBCtrls.h"
#include "platform/dbctrls/DBGrids.h"
#include "platform/framework/ComCtrls.h"
#include "platform/framework/ExtCtrls.h"
#include "platform/framework/Forms.h"
#include "platform/framework/StdCtrls.h"

#include <initializer_list>
#include <utility>

namespace editor {

constexpr int kFieldHeight = 21;
constexpr int kRowStep = 26;
constexpr int kButtonHeight = 25;

template <class T>
T* Make(TComponent* owner, TWinControl* parent, const String& name, int left, int top, int width, int height)
{
    auto* control = new T(owner);
    if (!name.empty())
        control->SetName(name);
    control->SetParent(parent);
    control->SetBounds(left, top, width, height);
    return control;
}

// Room a caption needs in the window font, generously.
inline int TextWidth(const String& text)
{
    return int(text.size()) * 7 + 8;
}

inline TLabel* Label(TComponent* owner, TWinControl* parent, const String& caption, int left, int top,
                     int width = 0, const String& name = String())
{
    auto* label = Make<TLabel>(owner, parent, name, left, top, width > 0 ? width : TextWidth(caption), 17);
    label->SetCaption(caption);
    return label;
}

inline TGroupBox* Group(TComponent* owner, TWinControl* parent, const String& name, const String& caption, int left,
                        int top, int width, int height)
{
    auto* group = Make<TGroupBox>(owner, parent, name, left, top, width, height);
    group->SetCaption(caption);
    return group;
}

inline TPanel* Panel(TComponent* owner, TWinControl* parent, const String& name, int left, int top, int width,
                     int height)
{
    auto* panel = Make<TPanel>(owner, parent, name, left, top, width, height);
    panel->SetBevelOuter(bvNone);
    panel->SetCaption("");
    return panel;
}

inline TButton* Button(TComponent* owner, TWinControl* parent, const String& name, const String& caption, int left,
                       int top, int width = 0)
{
    auto* button = Make<TButton>(owner, parent, name, left, top, width > 0 ? width : TextWidth(caption) + 12,
                                 kButtonHeight);
    button->SetCaption(caption);
    return button;
}

inline TDBEdit* Edit(TComponent* owner, TWinControl* parent, const String& name, TDataSource* source,
                     const String& field, int left, int top, int width)
{
    auto* edit = Make<TDBEdit>(owner, parent, name, left, top, width, kFieldHeight);
    edit->SetDataSource(source);
    edit->SetDataField(field);
    return edit;
}

inline TDBCheckBox* Check(TComponent* owner, TWinControl* parent, const String& name, const String& caption,
                          TDataSource* source, const String& field, int left, int top, int width = 0)
{
    auto* check = Make<TDBCheckBox>(owner, parent, name, left, top, width > 0 ? width : TextWidth(caption) + 24,
                                    kFieldHeight);
    check->SetCaption(caption);
    check->SetDataSource(source);
    check->SetDataField(field);
    check->ValueChecked = "Yes";
    check->ValueUnchecked = "No";
    return check;
}

inline TDBLookupComboBox* Lookup(TComponent* owner, TWinControl* parent, const String& name, TDataSource* source,
                                 const String& field, TDataSource* list, const String& keyField,
                                 const String& listField, int left, int top, int width)
{
    auto* combo = Make<TDBLookupComboBox>(owner, parent, name, left, top, width, kFieldHeight);
    combo->SetDataSource(source);
    combo->SetDataField(field);
    combo->SetListSource(list);
    combo->SetKeyField(keyField);
    combo->SetListField(listField);
    return combo;
}

struct TGridColumn {
    String field;
    String title; // empty: the field's own title
    int width = -1;
};

// A browse grid: whole rows selected, not edited in place.
inline TDBGrid* BrowseGrid(TComponent* owner, TWinControl* parent, const String& name, TDataSource* source,
                           std::initializer_list<TGridColumn> columns, int left, int top, int width, int height)
{
    auto* grid = Make<TDBGrid>(owner, parent, name, left, top, width, height);
    grid->SetOptions(TDBGridOptions{dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines, dgTabs,
                                    dgRowSelect, dgAlwaysShowSelection});
    grid->SetReadOnly(true);
    grid->SetDataSource(source);
    for (const TGridColumn& c : columns) {
        TColumn* column = grid->Columns()->Add();
        column->SetFieldName(c.field);
        if (!c.title.empty())
            column->Title()->Caption = c.title;
        if (c.width > 0)
            column->SetWidth(c.width);
    }
    return grid;
}

inline TButtonSet StandardButtons()
{
    return TButtonSet{nbFirst, nbLast, nbInsert, nbDelete, nbPost, nbCancel};
}

inline TDBNavigator* Navigator(TComponent* owner, TWinControl* parent, const String& name, TDataSource* source,
                               int left, int top, const TButtonSet& buttons = StandardButtons())
{
    int count = 0;
    for (int b = nbFirst; b <= nbRefresh; ++b)
        if (buttons.Contains(TNavigateBtn(b)))
            ++count;
    auto* navigator = Make<TDBNavigator>(owner, parent, name, left, top, count * 25, kButtonHeight);
    navigator->SetVisibleButtons(buttons);
    navigator->SetDataSource(source);
    return navigator;
}

// A column of labelled fields: each row a label at `left` and the field at `left + labelWidth`.
class TFieldColumn {
public:
    TFieldColumn(TComponent* owner, TWinControl* parent, int left, int top, int labelWidth, int fieldWidth)
        : owner_(owner), parent_(parent), left_(left), top_(top), labelWidth_(labelWidth), fieldWidth_(fieldWidth)
    {
    }
    int Top() const { return top_; }
    void Skip(int pixels) { top_ += pixels; }
    int FieldLeft() const { return left_ + labelWidth_; }

    TLabel* Caption(const String& caption, const String& name = String())
    {
        return Label(owner_, parent_, caption, left_, top_ + 3, labelWidth_ - 4, name);
    }
    // An empty caption: the row's label was placed with Caption already.
    TDBEdit* Edit(const String& name, const String& caption, TDataSource* source, const String& field,
                  int width = 0)
    {
        if (!caption.empty())
            lastLabel = Caption(caption);
        auto* edit = editor::Edit(owner_, parent_, name, source, field, FieldLeft(), top_, width > 0 ? width : fieldWidth_);
        top_ += kRowStep;
        return edit;
    }
    TDBLookupComboBox* Lookup(const String& name, const String& caption, TDataSource* source, const String& field,
                              TDataSource* list, const String& keyField, const String& listField, int width = 0)
    {
        lastLabel = Caption(caption);
        auto* combo = editor::Lookup(owner_, parent_, name, source, field, list, keyField, listField, FieldLeft(),
                                     top_, width > 0 ? width : fieldWidth_);
        top_ += kRowStep;
        return combo;
    }
    TLabel* lastLabel = nullptr;

private:
    TComponent* owner_;
    TWinControl* parent_;
    int left_;
    int top_;
    int labelWidth_;
    int fieldWidth_;
};

} // namespace editor
