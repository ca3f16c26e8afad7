#pragma once
// Building blocks of the editor windows' layouts: a labelled row of a data-aware control, the
// read-only browse grid, the navigator of the pattern's buttons, group boxes and buttons. Each
// control gets its component name, its parent and its place; the window keeps the pointer.
#include "gui/windows/EditorControls.h"

#include <functional>
#include <initializer_list>

namespace editorlayout {

constexpr int kRow = 28;          // height of one labelled row
constexpr int kTwoLineRow = 36;   // a row whose label has two lines
constexpr int kControlHeight = 21;
constexpr int kButtonHeight = 25;

// The controls that both layouts build alike.
using editor::Edit;
using editor::Group;
using editor::Lookup;
using editor::Make;

// One line of label text; a second line, when given, is a label of its own right below it.
inline TLabel* Label(TComponent* owner, TWinControl* parent, const String& text, int left, int top, int width,
                     const String& secondLine = String())
{
    auto* label = Make<TLabel>(owner, parent, String(), left, top + 3, width, 16);
    label->SetCaption(text);
    if (!secondLine.empty()) {
        auto* second = Make<TLabel>(owner, parent, String(), left, top + 19, width, 16);
        second->SetCaption(secondLine);
    }
    return label;
}

inline TButton* Button(TComponent* owner, TWinControl* parent, const String& name, const String& caption, int left,
                       int top, int width, std::function<void(TObject*)> click = nullptr)
{
    auto* button = Make<TButton>(owner, parent, name, left, top, width, kButtonHeight);
    button->SetCaption(caption);
    button->OnClick = std::move(click);
    return button;
}

struct TGridColumn {
    const char* field;
    const char* title;
    int width;
};

// A browse grid: whole rows selected; read-only unless the window edits in place.
inline TDBGrid* Grid(TComponent* owner, TWinControl* parent, const String& name, TDataSource* source,
                     std::initializer_list<TGridColumn> columns, int left, int top, int width, int height,
                     bool editInPlace = false)
{
    auto* grid = Make<TDBGrid>(owner, parent, name, left, top, width, height);
    grid->SetDataSource(source);
    if (editInPlace) {
        grid->SetOptions(TDBGridOptions{dgEditing, dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines,
                                        dgTabs, dgAlwaysShowSelection});
    } else {
        grid->SetReadOnly(true);
        grid->SetOptions(TDBGridOptions{dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines, dgRowSelect,
                                        dgAlwaysShowSelection});
    }
    for (const TGridColumn& c : columns) {
        TColumn* column = grid->Columns()->Add();
        column->SetFieldName(c.field);
        column->Title()->Caption = c.title;
        column->SetWidth(c.width);
    }
    return grid;
}

// The pattern's navigator: First, Last, Insert, Delete, Post and Cancel.
inline TDBNavigator* Navigator(TComponent* owner, TWinControl* parent, const String& name, TDataSource* source,
                               int left, int top, int width = 240)
{
    auto* navigator = Make<TDBNavigator>(owner, parent, name, left, top, width, kButtonHeight);
    navigator->SetDataSource(source);
    navigator->SetVisibleButtons(TButtonSet{nbFirst, nbLast, nbInsert, nbDelete, nbPost, nbCancel});
    navigator->SetShowHint(true);
    return navigator;
}

} // namespace editorlayout
