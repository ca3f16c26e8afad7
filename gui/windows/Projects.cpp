#include "gui/windows/Projects.h"

#include "CommonUnits/GeneralUnits/dmQuelm_Unit.h"

namespace {

template <class T>
T* MakeProjectsControl(TComponent* owner, TWinControl* parent, const String& name)
{
    auto* control = new T(owner);
    control->SetName(name);
    control->SetParent(parent);
    return control;
}

} // namespace

TfrmProjects::TfrmProjects(TComponent* owner) : TEditorForm(owner, "%s - Projects", 100)
{
    SetName("frmProjects");
    Position = poScreenCenter;
    SetClientWidth(560);
    SetClientHeight(430);
    TDataSource* projects = dmQuelm ? dmQuelm->dsProjects : nullptr;

    gbxBrowseProjects = MakeProjectsControl<TGroupBox>(this, this, "gbxBrowseProjects");
    gbxBrowseProjects->SetCaption(" Browse Projects ");
    grdProjects = MakeProjectsControl<TDBGrid>(this, gbxBrowseProjects, "grdProjects");
    grdProjects->SetDataSource(projects);
    grdProjects->SetReadOnly(true);
    grdProjects->SetOptions(TDBGridOptions{dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines, dgRowSelect,
                                           dgAlwaysShowSelection});
    grdProjects->SetHint("Double click to select project");
    grdProjects->ShowHint = true;
    struct Column {
        const char* field;
        const char* title;
        int width;
    } const columns[] = {{"PROJECTID", "ID", 40}, {"DESCRIPTION", "Description", 330}, {"MODIFICATIONDATE", "Last modified", 100}};
    for (const Column& c : columns) {
        TColumn* column = grdProjects->Columns()->Add();
        column->SetFieldName(c.field);
        column->Title()->Caption = c.title;
        column->SetWidth(c.width);
    }
    grdProjects->OnDblClick = [this](TObject* sender) { grdProjectsDblClick(sender); };
    navProjects = MakeProjectsControl<TDBNavigator>(this, gbxBrowseProjects, "navProjects");
    navProjects->SetDataSource(projects);
    navProjects->SetVisibleButtons(TButtonSet{nbFirst, nbLast, nbInsert, nbDelete, nbPost, nbCancel});
    navProjects->SetShowHint(true);

    gbxEditProject = MakeProjectsControl<TGroupBox>(this, this, "gbxEditProject");
    gbxEditProject->SetCaption(" Edit Project ");
    lblDescription = MakeProjectsControl<TLabel>(this, gbxEditProject, "lblDescription");
    lblDescription->SetCaption("Description:");
    edtDescription = MakeProjectsControl<TDBEdit>(this, gbxEditProject, "edtDescription");
    edtDescription->SetDataSource(projects);
    edtDescription->SetDataField("DESCRIPTION");
    WireCharacterFilter(edtDescription);
    btnComments = MakeProjectsControl<TButton>(this, gbxEditProject, "btnComments");
    btnComments->SetCaption("Comments...");
    if (projects)
        WireCommentsButton(btnComments, projects);
    WireNavigator(navProjects, edtDescription);

    gbxSelectProject = MakeProjectsControl<TGroupBox>(this, this, "gbxSelectProject");
    lblSelectProject = MakeProjectsControl<TLabel>(this, gbxSelectProject, "lblSelectProject");
    lblSelectProject->SetCaption("Select Project");
    btnOK = MakeProjectsControl<TButton>(this, gbxSelectProject, "btnOK");
    btnOK->SetCaption("OK");
    btnOK->SetDefault(true);
    btnOK->OnClick = [this](TObject* sender) { btnOKClick(sender); };

    if (dmQuelm)
        TablesPostedOnClose = {dmQuelm->tblProjects};
    OnResize = [this](TObject*) { LayOut(); };
    LayOut();
}

void TfrmProjects::LayOut()
{
    const int w = ClientWidth(), h = ClientHeight();
    const int inner = std::max(300, w - 16);
    const int selectTop = h - 8 - 52;
    const int editTop = selectTop - 8 - 84;
    gbxBrowseProjects->SetBounds(8, 8, inner, std::max(120, editTop - 8 - 8));
    const TRect browse = gbxBrowseProjects->ClientRect();
    navProjects->SetBounds(browse.Left + 8, browse.Bottom - 8 - 25, 240, 25);
    grdProjects->SetBounds(browse.Left + 8, browse.Top + 4, browse.Right - browse.Left - 16,
                           std::max(40, browse.Bottom - 8 - 25 - 8 - browse.Top - 4));

    gbxEditProject->SetBounds(8, editTop, inner, 84);
    const TRect edit = gbxEditProject->ClientRect();
    lblDescription->SetBounds(edit.Left + 8, edit.Top + 7, 80, 17);
    edtDescription->SetBounds(edit.Left + 92, edit.Top + 4, edit.Right - edit.Left - 100, 21);
    btnComments->SetBounds(edit.Left + 92, edit.Top + 33, 100, 25);

    gbxSelectProject->SetBounds(8, selectTop, inner, 52);
    const TRect select = gbxSelectProject->ClientRect();
    lblSelectProject->SetBounds(select.Left + 8, select.Top + 7, 120, 17);
    btnOK->SetBounds(select.Right - 8 - 75, select.Top + 2, 75, 25);
}

void TfrmProjects::OpenTables()
{
    OpenOrRefresh(dmQuelm->tblProjects);
}
