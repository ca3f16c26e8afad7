#include "gui/windows/GraphTemplates.h"

#include "CommonUnits/GeneralUnits/dmQuelm_Unit.h"

namespace {

template <class T>
T* MakeGraphTemplatesControl(TComponent* owner, TWinControl* parent, const String& name)
{
    auto* control = new T(owner);
    control->SetName(name);
    control->SetParent(parent);
    return control;
}

TGroupBox* Group(TForm* form, const String& name, const String& caption, int left, int top, int width, int height)
{
    auto* group = MakeGraphTemplatesControl<TGroupBox>(form, form, name);
    group->SetCaption(caption);
    group->SetBounds(left, top, width, height);
    return group;
}

void AddTemplateLabel(TForm* form, TWinControl* parent, const String& text, int left, int top, int width)
{
    auto* label = new TLabel(form);
    label->SetParent(parent);
    label->SetCaption(text);
    label->SetBounds(left, top + 3, width, 17);
}

} // namespace

TfrmGraphTemplates::TfrmGraphTemplates(TComponent* owner) : TEditorForm(owner, "%s - Graph Templates", 915)
{
    SetName("frmGraphTemplates");
    SetBorderStyle(bsSingle);
    Position = poScreenCenter;
    SetClientWidth(740);
    SetClientHeight(536);

    TDataSource* source = dmQuelm ? dmQuelm->dsXYGraphTemplates : nullptr;
    auto edit = [&](TWinControl* parent, const String& name, const String& field, int left, int top, int width) {
        auto* e = MakeGraphTemplatesControl<TDBEdit>(this, parent, name);
        e->SetDataSource(source);
        e->SetDataField(field);
        e->SetBounds(left, top, width, 21);
        return e;
    };
    auto check = [&](TWinControl* parent, const String& name, const String& field, int left, int top) {
        auto* c = MakeGraphTemplatesControl<TDBCheckBox>(this, parent, name);
        c->SetDataSource(source);
        c->SetDataField(field);
        c->ValueChecked = "Yes";
        c->ValueUnchecked = "No";
        c->SetCaption("");
        c->SetBounds(left, top, 20, 21);
        return c;
    };

    gbxEditTemplate = Group(this, "gbxEditTemplate", " Edit Graph Template ", 8, 8, 440, 296);
    AddTemplateLabel(this, gbxEditTemplate, "Template name:", 10, 24, 110);
    DBEdit10 = edit(gbxEditTemplate, "DBEdit10", "NAME", 124, 24, 304);
    AddTemplateLabel(this, gbxEditTemplate, "Template code:", 10, 52, 110);
    DBEdit9 = edit(gbxEditTemplate, "DBEdit9", "GRAPHTEMPLATECODE", 124, 52, 180);
    AddTemplateLabel(this, gbxEditTemplate, "plotwell commands to be inserted in plotwell command file:", 10, 80, 418);
    DBMemoFreeText = MakeGraphTemplatesControl<TDBMemo>(this, gbxEditTemplate, "DBMemoFreeText");
    DBMemoFreeText->SetDataSource(source);
    DBMemoFreeText->SetDataField("FREETEXT");
    DBMemoFreeText->SetBounds(10, 104, 418, 180);
    TEditorForm::WireCharacterFilter(DBEdit9);
    TEditorForm::WireCharacterFilter(DBEdit10);

    struct AxisGroup {
        TGroupBox** group;
        const char* name;
        const char* caption;
        int top;
        TDBEdit** edits[4];
        const char* editNames[4];
        const char* fields[4];
        TDBCheckBox** use;
        const char* useName;
        const char* useField;
    } const axes[] = {
        {&gbxTimeAxis, "gbxTimeAxis", " Time Axis settings ", 8, {&edtXMin, &edtXMax, &edtXMajorDiv, &edtXMinorDiv},
         {"edtXMin", "edtXMax", "edtXMajorDiv", "edtXMinorDiv"}, {"XMIN", "XMAX", "XMAJORDIV", "XMINORDIV"},
         &chkXUse, "chkXUse", "XUSE"},
        {&gbxYAxis, "gbxYAxis", " Y-Axis settings ", 160, {&edtY1Min, &edtY1Max, &edtY1MajorDiv, &edtY1MinorDiv},
         {"edtY1Min", "edtY1Max", "edtY1MajorDiv", "edtY1MinorDiv"}, {"Y1MIN", "Y1MAX", "Y1MAJORDIV", "Y1MINORDIV"},
         &chkYUse, "chkYUse", "YUSE"},
    };
    const char* const labels[4] = {"Starts at:", "Ends at:", "Major divisions:", "Minor divisions:"};
    for (const AxisGroup& a : axes) {
        *a.group = Group(this, a.name, a.caption, 456, a.top, 276, 144);
        for (int i = 0; i < 4; ++i) {
            const int top = 20 + i * 24;
            AddTemplateLabel(this, *a.group, labels[i], 10, top, 120);
            *a.edits[i] = edit(*a.group, a.editNames[i], a.fields[i], 136, top, 120);
        }
        AddTemplateLabel(this, *a.group, "Use axis:", 10, 116, 120);
        *a.use = check(*a.group, a.useName, a.useField, 136, 116);
    }

    gbxBrowse = Group(this, "gbxBrowse", " Browse Graph Templates ", 8, 312, 724, 182);
    grdTemplates = MakeGraphTemplatesControl<TDBGrid>(this, gbxBrowse, "grdTemplates");
    grdTemplates->SetDataSource(source);
    grdTemplates->SetReadOnly(true);
    grdTemplates->SetOptions(
        TDBGridOptions{dgTitles, dgIndicator, dgColLines, dgRowLines, dgRowSelect, dgAlwaysShowSelection});
    for (auto [field, title, width] : {std::tuple{"GRAPHTEMPLATECODE", "GraphTemplateCode", 200},
                                       std::tuple{"NAME", "Name", 440}}) {
        TColumn* column = grdTemplates->Columns()->Add();
        column->SetFieldName(field);
        column->Title()->Caption = title;
        column->SetWidth(width);
    }
    grdTemplates->SetBounds(10, 22, 704, 120);
    DBNavigator = MakeGraphTemplatesControl<TDBNavigator>(this, gbxBrowse, "DBNavigator");
    DBNavigator->SetDataSource(source);
    DBNavigator->SetVisibleButtons(TButtonSet{nbFirst, nbLast, nbInsert, nbDelete, nbPost, nbCancel});
    DBNavigator->SetShowHint(true);
    DBNavigator->SetBounds(10, 148, 240, 25);
    TEditorForm::WireNavigator(DBNavigator, DBEdit10);

    btnClose = MakeGraphTemplatesControl<TButton>(this, this, "btnClose");
    btnClose->SetCaption("&Close");
    btnClose->Cancel = true;
    btnClose->SetBounds(657, 502, 75, 25);
    btnClose->OnClick = [this](TObject* sender) { btnCloseClick(sender); };
    btnHelp = MakeGraphTemplatesControl<TButton>(this, this, "btnHelp");
    btnHelp->SetCaption("&Help");
    btnHelp->SetBounds(576, 502, 75, 25);
    btnHelp->SetVisible(false);

    if (dmQuelm)
        TablesPostedOnClose = {dmQuelm->tblXYGraphTemplates};
}

void TfrmGraphTemplates::OpenTables()
{
    OpenOrRefresh(dmQuelm->tblXYGraphTemplates);
}
