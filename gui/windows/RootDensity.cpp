#include "gui/windows/RootDensity.h"

#include "gui/windows/EditorControls.h"
#include "CommonUnits/GeneralUnits/dmQuelm_Unit.h"

using namespace editor;

TfrmRootDensity::TfrmRootDensity(TComponent* owner) : TEditorForm(owner, "%s - Root Density", 386)
{
    SetName("frmRootDensity");
    SetClientWidth(380);
    SetClientHeight(400);
    Position = poScreenCenter;
    TDataSource* ds = dmQuelm ? dmQuelm->dsCropRootDensities : nullptr;
    grdRoot = Make<TDBGrid>(this, this, "grdRoot", 8, 8, 364, 312);
    grdRoot->SetOptions(TDBGridOptions{dgEditing, dgAlwaysShowEditor, dgTitles, dgIndicator, dgColumnResize,
                                       dgColLines, dgRowLines, dgTabs});
    grdRoot->SetDataSource(ds);
    for (auto [field, title] : {std::pair{"RELATIVEDEPTH", "Relative Depth (-)"},
                                std::pair{"ROOTDENSITY", "Relative Density (-)"}}) {
        TColumn* column = grdRoot->Columns()->Add();
        column->SetFieldName(field);
        column->Title()->Caption = title;
        column->SetWidth(150);
    }
    DBNavigator = Navigator(this, this, "DBNavigator", ds, 8, 328);
    btnComments = Button(this, this, "btnComments", "Comments...", 166, 328, 100);
    btnHelp = Button(this, this, "btnHelp", "Help", 184, 368, 90);
    btnHelp->SetVisible(false);
    btnClose = Button(this, this, "btnClose", "Close", 282, 368, 90);
    btnClose->OnClick = [this](TObject* sender) { btnCloseClick(sender); };

    WireNavigator(DBNavigator);
    if (ds)
        WireCommentsButton(btnComments, ds);
    TablesPostedOnClose = {dmQuelm ? dmQuelm->tblCropRootDensities : nullptr};
}

void TfrmRootDensity::OpenTables()
{
    OpenOrRefresh(dmQuelm->tblCropRootDensities);
}

void TfrmRootDensity::AfterOpenTables()
{
    // a root density has no comment field in the database: the button would only fail
    btnComments->SetEnabled(dmQuelm->tblCropRootDensities->FindField("COMMENTS") != nullptr);
}
