#include "gui/windows/GraphUsingTemplate.h"

#include "gui/windows/DetailedOutputGraphs2.h"
#include "CommonUnits/GeneralUnits/TVersionInfo_Unit.h"
#include "CommonUnits/GeneralUnits/dmQuelm_Unit.h"

TfrmGraphUsingTemplate::TfrmGraphUsingTemplate(TComponent* owner) : TForm(owner)
{
    SetName("frmGraphUsingTemplate");
    SetBorderStyle(bsSingle);
    Position = poScreenCenter;
    SetClientWidth(400);
    SetClientHeight(300);

    grdTemplates = new TDBGrid(this);
    grdTemplates->SetName("grdTemplates");
    grdTemplates->SetParent(this);
    grdTemplates->SetDataSource(dmQuelm ? dmQuelm->dsXYGraphTemplates : nullptr);
    grdTemplates->SetReadOnly(true);
    grdTemplates->SetOptions(
        TDBGridOptions{dgTitles, dgIndicator, dgColLines, dgRowLines, dgRowSelect, dgAlwaysShowSelection});
    TColumn* name = grdTemplates->Columns()->Add();
    name->SetFieldName("NAME");
    name->Title()->Caption = "Name";
    name->SetWidth(340);
    grdTemplates->SetBounds(8, 8, 384, 244);

    auto button = [this](const String& id, const String& caption, int left) {
        auto* b = new TButton(this);
        b->SetName(id);
        b->SetParent(this);
        b->SetCaption(caption);
        b->SetBounds(left, 264, 90, 25);
        return b;
    };
    btnGraph = button("btnGraph", "Graph...", 206);
    btnGraph->SetDefault(true);
    btnGraph->OnClick = [this](TObject* sender) { btnGraphClick(sender); };
    btnClose = button("btnClose", "&Close", 302);
    btnClose->Cancel = true;
    btnClose->OnClick = [this](TObject* sender) { btnCloseClick(sender); };
    btnHelp = button("btnHelp", "&Help", 110);
    btnHelp->SetVisible(false);

    OnCreate = [this](TObject* sender) { FormCreate(sender); };
    OnActivate = [this](TObject* sender) { FormActivate(sender); };
}

void TfrmGraphUsingTemplate::FormCreate(TObject*)
{
    SetCaption(Format("%s - Use Template With Graph", {GetApplicationTitle()}));
}

void TfrmGraphUsingTemplate::FormActivate(TObject*)
{
    TCursorScope busy(crHourGlass);
    OpenOrRefresh(dmQuelm->tblXYGraphTemplates);
}

void TfrmGraphUsingTemplate::btnGraphClick(TObject*)
{
    if (!GraphsWindow || dmQuelm->tblXYGraphTemplates->IsEmpty())
        return;
    String jobPath;
    GraphsWindow->CreateXYSetFile(true, jobPath);
    StartPlotter(jobPath);
}
