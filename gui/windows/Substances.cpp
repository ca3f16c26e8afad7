#include "gui/windows/Substances.h"

#include "gui/windows/EditorControls.h"
#include "gui/windows/MetaboliteEditor2.h"
#include "CommonUnits/GeneralUnits/Utils_Sql_Unit.h"
#include "CommonUnits/GeneralUnits/dmQuelm_Unit.h"

#include "platform/framework/Dialogs.h"

#include <memory>

using namespace editor;

namespace {

constexpr int kPageLabel = 330; // label column of the pages
constexpr int kValue = 110;     // width of a value edit

// A label of two lines beside a field: the first line level with the field.
void TwoLineLabel(TComponent* owner, TWinControl* parent, const String& first, const String& second, int left,
                  int top, int width)
{
    Label(owner, parent, first, left, top + 1, width);
    Label(owner, parent, second, left, top + 17, width);
}

} // namespace

TfrmSubstances::TfrmSubstances(TComponent* owner) : TEditorForm(owner, "%s - Substances", 440)
{
    SetName("frmSubstances");
    SetClientWidth(944);
    SetClientHeight(560);
    Position = poScreenCenter;
    TDataSource* ds = dmQuelm ? dmQuelm->dsSubstances : nullptr;

    grdSubstances = BrowseGrid(this, this, "grdSubstances", ds,
                               {{"SUBSTANCECODE", "Code", 60}, {"NAME", "Name", 150}, {"ISPARENT", "Parent", 50},
                                {"MOLMAS", "Molar Mass", 80}},
                               8, 8, 384, 448);
    DBNavigator = Navigator(this, this, "DBNavigator", ds, 8, 464);
    btnCopy = Button(this, this, "btnCopy", "Copy", 8, 496, 80);
    btnTransformationScheme = Button(this, this, "btnTransformationScheme", "Transformation Scheme...", 96, 496, 200);
    btnHelp = Button(this, this, "btnHelp", "Help", 754, 528, 90);
    btnHelp->SetVisible(false);
    btnClose = Button(this, this, "btnClose", "Close", 846, 528, 90);
    btnClose->OnClick = [this](TObject* sender) { btnCloseClick(sender); };

    pgSubstance = Make<TPageControl>(this, this, "pgSubstance", 400, 8, 536, 512);
    auto page = [this](const char* name, const char* caption, int help) {
        auto* sheet = new TTabSheet(this);
        sheet->SetName(name);
        sheet->SetCaption(caption);
        sheet->HelpContext = help;
        sheet->SetPageControl(pgSubstance);
        return sheet;
    };
    tsGeneral = page("tsGeneral", " General ", 442);
    tsFreundlich = page("tsFreundlich", "  Freundlich sorption ", 444);
    tsPartitioning = page("tsPartitioning", "Transformation", 446);
    tsDiffusion = page("tsDiffusion", " Diffusion ", 448);
    tsHalflife = page("tsHalflife", "Crop", 449);
    pgSubstance->SetActivePage(tsGeneral);
    pgSubstance->OnChange = [this](TObject* sender) { pgSubstanceChange(sender); };

    CreateGeneralPage();
    CreateFreundlichPage();
    CreateTransformationPage();
    CreateDiffusionPage();
    CreateCropPage();

    edtChangeDetect = Edit(this, this, "edtChangeDetect", ds, "OPTCOFFRECODE", 0, 0, 10);
    edtChangeDetect->SetVisible(false);
    edtChangeDetect->OnChange = [this](TObject*) { ShowSorptionGroup(); };
    edtChangeDetect2 = Edit(this, this, "edtChangeDetect2", ds, "OPTDSPCRP", 0, 0, 10);
    edtChangeDetect2->SetVisible(false);
    edtChangeDetect2->OnChange = [this](TObject*) { EnableCanopyEdits(); };

    WireNavigator(DBNavigator, edtCode);
    // an insert shows the general page first, so that the code edit can take the focus
    auto focusAfterInsert = DBNavigator->OnClick;
    DBNavigator->OnClick = [this, focusAfterInsert](TObject* sender, TNavigateBtn button) {
        if (button == nbInsert)
            pgSubstance->SetActivePage(tsGeneral);
        focusAfterInsert(sender, button);
    };
    WireCharacterFilter(edtCode);
    WireCharacterFilter(edtName);
    btnCopy->OnClick = [this](TObject* sender) { btnCopyClick(sender); };
    btnTransformationScheme->OnClick = [this](TObject* sender) { btnTransformationSchemeClick(sender); };
    if (ds)
        WireCommentsButton(btnComments, ds);
    TablesPostedOnClose = {dmQuelm ? dmQuelm->tblSubstances : nullptr};
}

void TfrmSubstances::CreateGeneralPage()
{
    TDataSource* ds = dmQuelm ? dmQuelm->dsSubstances : nullptr;
    TFieldColumn rows(this, tsGeneral, 12, 16, kPageLabel, kValue);
    edtCode = rows.Edit("edtCode", "Code:", ds, "SUBSTANCECODE", 80);
    edtName = rows.Edit("edtName", "Name:", ds, "NAME", 180);
    chkbxIsParent = Check(this, tsGeneral, "chkbxIsParent", "Parent", ds, "ISPARENT", rows.FieldLeft(), rows.Top());
    rows.Skip(kRowStep);
    rows.Edit("dbedtMolMas", "Molar mass (g mol-1):", ds, "MOLMAS");
    rows.Edit("dbedtPreVapRef", "Saturated vapour pressure (Pa):", ds, "PREVAPREF");
    rows.Edit("dbedtTemRefVap", "measured at (C):", ds, "TEMREFVAP");
    rows.Edit("dbedtSlbWatRef", "Solubility in water (mg L-1):", ds, "SLBWATREF");
    rows.Edit("dbedtTemRefSlb", "measured at (C):", ds, "TEMREFSLB");
    rows.Edit("dbedtMolEntSlb", "Molar enthalpy of dissolution (kJ mol-1):", ds, "MOLENTSLB");
    rows.Edit("dbedtMolEntVap", "Molar enthalpy of vaporisation (kJ mol-1):", ds, "MOLENTVAP");
    rows.Skip(8);
    btnComments = Button(this, tsGeneral, "btnComments", "Comments...", rows.FieldLeft(), rows.Top(), 100);
}

void TfrmSubstances::CreateFreundlichPage()
{
    TDataSource* ds = dmQuelm ? dmQuelm->dsSubstances : nullptr;
    TDataSource* options = dmQuelm ? dmQuelm->dsOptCofFres : nullptr;
    TFieldColumn top(this, tsFreundlich, 12, 12, 70, 220);
    cmbOptCofFre = top.Lookup("cmbOptCofFre", "Option:", ds, "OPTCOFFRECODE", options, "OPTCOFFRECODE", "NAME");

    auto* equilibrium = Group(this, tsFreundlich, "grpbxEquilibrium", " Equilibrium sorption ", 8, 44, 512, 236);
    TFieldColumn enthalpy(this, equilibrium, 10, 22, kPageLabel, kValue);
    enthalpy.Edit("dbedtMolEntSor", "Molar enthalpy of sorption (kJ mol-1):", ds, "MOLENTSOR");

    const int groupTop = 50;
    const int groupWidth = 492;
    grpbxPHIndependent = Group(this, equilibrium, "grpbxPHIndependent", " pH - independent ", 10, groupTop, groupWidth, 90);
    TwoLineLabel(this, grpbxPHIndependent, "Kom (coef. for sorption on", "org. matter (L kg-1):", 10, 22, 300);
    Edit(this, grpbxPHIndependent, "dbedtKomEql", ds, "KOMEQL", 320, 26, kValue);
    Label(this, grpbxPHIndependent, "measured at (C):", 10, 61, 300);
    Edit(this, grpbxPHIndependent, "dbedtTemRefSorIndependent", ds, "TEMREFSOR", 320, 58, kValue);

    grpbxPHDependent = Group(this, equilibrium, "grpbxPHDependent", " pH - dependent ", 10, groupTop, groupWidth, 176);
    TwoLineLabel(this, grpbxPHDependent, "Kom - acid (coef. for sorption", "on org. matter) (L kg-1):", 10, 20, 300);
    Edit(this, grpbxPHDependent, "dbedtKomEqlAcid", ds, "KOMEQLACID", 320, 24, kValue);
    TwoLineLabel(this, grpbxPHDependent, "Kom - base (coef. for sorption", "on org. matter) (L kg-1):", 10, 56, 300);
    Edit(this, grpbxPHDependent, "dbedtKomEqlBase", ds, "KOMEQLBASE", 320, 60, kValue);
    TFieldColumn dependent(this, grpbxPHDependent, 10, 94, 310, kValue);
    dependent.Edit("dbedtPKa", "pKa (-):", ds, "PKA");
    dependent.Edit("dbedtPHCorrection", "pH correction (-):", ds, "PHCORRECTION");
    dependent.Edit("dbedtTemRefSorDependent", "measured at (C):", ds, "TEMREFSOR");

    grpbxKfUserDefined = Group(this, equilibrium, "grpbxKfUserDefined", " Kf User Defined ", 10, groupTop, groupWidth, 80);
    TFieldColumn user(this, grpbxKfUserDefined, 10, 22, 310, kValue);
    user.Edit("dbedtKSorEql", "Kf (Coef. for sorption) (L kg-1):", ds, "KSOREQL");
    user.Edit("dbedtTemRefSorUser", "measured at (C):", ds, "TEMREFSOR");
    for (TGroupBox* group : {grpbxPHIndependent, grpbxPHDependent, grpbxKfUserDefined})
        group->SetVisible(false);

    auto* reference = Group(this, tsFreundlich, "grpbxEquilibrium2", " Equilibrium sorption ", 8, 288, 512, 82);
    TFieldColumn freundlich(this, reference, 10, 22, kPageLabel + 30, kValue);
    freundlich.Edit("dbedtConLiqRef", "Reference concentration in liquid phase (mg L-1):", ds, "CONLIQREF");
    freundlich.Edit("dbedtExpFre", "Freundlich sorption exponent (-):", ds, "EXPFRE");

    auto* nonEquilibrium = Group(this, tsFreundlich, "grpbxNonEquilibrium", " Non-equilibrium sorption ", 8, 378, 512, 82);
    TFieldColumn neq(this, nonEquilibrium, 10, 22, kPageLabel + 30, kValue);
    neq.Edit("dbedtCofDesRat", "Desorption rate coefficient (d-1):", ds, "COFDESRAT");
    neq.Edit("dbedtFacSorNeqEql", "Factor relating CofFreNeq and CofFreEql (-):", ds, "FACSORNEQEQL");
}

void TfrmSubstances::CreateTransformationPage()
{
    TDataSource* ds = dmQuelm ? dmQuelm->dsSubstances : nullptr;
    auto* group = Group(this, tsPartitioning, "grpbxTransformation", " Transformation ", 8, 8, 512, 196);
    TFieldColumn rows(this, group, 10, 22, kPageLabel + 30, kValue);
    rows.Edit("dbedtMolEntTra", "Molar activation energy (kJ mol-1):", ds, "MOLENTTRA");
    rows.Edit("dbedtDt50Ref", "Half-life (d):", ds, "DT50REF");
    rows.Edit("dbedtTemRefTra", "measured at (C):", ds, "TEMREFTRA");
    rows.Caption("Optimum moisture conditions (pF 2 or wetter):");
    chkbxOptCntLiqTraRef =
        Check(this, group, "chkbxOptCntLiqTraRef", "", ds, "OPTCNTLIQTRAREF", rows.FieldLeft(), rows.Top(), 24);
    chkbxOptCntLiqTraRef->OnClick = [this](TObject*) { EnableLiquidContentEdit(); };
    rows.Skip(kRowStep);
    dbedtCntLiqTraRef = rows.Edit("dbedtCntLiqTraRef", "Liquid content in incubation experiment (kg kg-1):", ds,
                                  "CNTLIQTRAREF");
    rows.Edit("dbedtExpLiqTra", "Exponent for the effect of liquid (-):", ds, "EXPLIQTRA");
}

void TfrmSubstances::CreateDiffusionPage()
{
    TDataSource* ds = dmQuelm ? dmQuelm->dsSubstances : nullptr;
    auto* group = Group(this, tsDiffusion, "grpbxDiffusion", "Diffusion of solute in liquid and gas phases ", 8, 8,
                        512, 110);
    TFieldColumn rows(this, group, 10, 22, kPageLabel + 30, kValue);
    rows.Edit("dbedtTemRefDif", "Reference temperature for diffusion (C):", ds, "TEMREFDIF");
    rows.Edit("dbedtCofDifWatRef", "Reference diffusion coefficient in water (m2 d-1):", ds, "COFDIFWATREF");
    rows.Edit("dbedtCofDifAirRef", "Reference diffusion coefficient in air (m2 d-1):", ds, "COFDIFAIRREF");
}

void TfrmSubstances::CreateCropPage()
{
    TDataSource* ds = dmQuelm ? dmQuelm->dsSubstances : nullptr;
    TDataSource* options = dmQuelm ? dmQuelm->dsOptDspCrps : nullptr;
    auto* canopy = Group(this, tsHalflife, "grpbxCanopy", " Canopy processes ", 8, 8, 512, 290);
    TwoLineLabel(this, canopy, "Canopy process", "option:", 10, 20, 200);
    cmbOptDspCrp = Lookup(this, canopy, "cmbOptDspCrp", ds, "OPTDSPCRP", options, "OPTDSPCRP", "OPTDSPCRP", 220, 24, 150);
    TFieldColumn wash(this, canopy, 10, 58, kPageLabel, kValue);
    wash.Edit("dbedtFacWasCrp", "Wash-off factor (m-1):", ds, "FACWASCRP");

    auto* lumped = Group(this, canopy, "grpbxLumped", " Lumped ", 10, 88, 492, 54);
    TFieldColumn lump(this, lumped, 10, 22, kPageLabel - 10, kValue);
    edtDt50DspCrp = lump.Edit("edtDt50DspCrp", "Half-life at crop surface (d):", ds, "DT50DSPCRP");

    auto* specified = Group(this, canopy, "grpbxSpecified", " Specified ", 10, 148, 492, 132);
    Label(this, specified, "Half-life due to:", 10, 22);
    TFieldColumn specifiedColumn(this, specified, 10, 42, kPageLabel - 10, kValue);
    edtDt50PenCrp = specifiedColumn.Edit("edtDt50PenCrp", "- Penetration (d):", ds, "DT50PENCRP");
    edtDt50VolCrp = specifiedColumn.Edit("edtDt50VolCrp", "- Volatilization (d):", ds, "DT50VOLCRP");
    edtDt50TraCrp = specifiedColumn.Edit("edtDt50TraCrp", "- Transformation (d):", ds, "DT50TRACRP");

    auto* root = Group(this, tsHalflife, "grpbxRoot", " Root processes ", 8, 306, 512, 56);
    TFieldColumn uptake(this, root, 10, 22, kPageLabel, kValue);
    uptake.Edit("dbedtFacUpt", "Coefficient for uptake by plant (-):", ds, "FACUPT");
}

void TfrmSubstances::OpenTables()
{
    // every substance, parents and metabolites (the main window shows parents only); the
    // substance that the caller chose stays the current one
    TTable* substances = dmQuelm->tblSubstances;
    const String current = substances->Active() ? substances->FieldByName("SUBSTANCECODE")->AsString() : String();
    substances->Close();
    substances->SetFiltered(false);
    substances->Open();
    if (!current.empty())
        substances->Locate("SUBSTANCECODE", Variant(ToQString(current)), loCaseInsensitive);
    OpenOrRefresh(dmQuelm->tblOptCofFres);
    OpenOrRefresh(dmQuelm->tblOptDspCrps);
}

void TfrmSubstances::AfterOpenTables()
{
    pgSubstance->SetActivePage(tsGeneral);
    AttachScrollRule(dmQuelm->tblSubstances, "SUBSTANCECODE", {btnCopy, btnTransformationScheme, pgSubstance});
}

void TfrmSubstances::ShowPage(TTabSheet* page)
{
    pgSubstance->SetActivePage(page);
    pgSubstanceChange(pgSubstance);
}

void TfrmSubstances::pgSubstanceChange(TObject*)
{
    TTabSheet* page = pgSubstance->ActivePage();
    if (page == tsFreundlich)
        ShowSorptionGroup();
    else if (page == tsPartitioning)
        EnableLiquidContentEdit();
    else if (page == tsHalflife)
        EnableCanopyEdits();
}

void TfrmSubstances::ShowSorptionGroup()
{
    if (pgSubstance->ActivePage() != tsFreundlich || !dmQuelm->tblSubstances->Active())
        return;
    grpbxPHIndependent->SetVisible(false);
    grpbxPHDependent->SetVisible(false);
    grpbxKfUserDefined->SetVisible(false);
    const String option = UpperCase(dmQuelm->tblSubstances->FieldByName("OPTCOFFRECODE")->AsString());
    if (option == "PH-INDEPENDENT")
        grpbxPHIndependent->SetVisible(true);
    else if (option == "PH-DEPENDENT")
        grpbxPHDependent->SetVisible(true);
    else if (option == "USERDEFINED")
        grpbxKfUserDefined->SetVisible(true);
    // an option not chosen yet (a new substance, an empty field) shows none of the groups
}

void TfrmSubstances::EnableLiquidContentEdit()
{
    if (pgSubstance->ActivePage() != tsPartitioning)
        return;
    EnableDBEdit(dbedtCntLiqTraRef, !chkbxOptCntLiqTraRef->Checked());
}

void TfrmSubstances::EnableCanopyEdits()
{
    if (pgSubstance->ActivePage() != tsHalflife || !dmQuelm->tblSubstances->Active())
        return;
    const String option = UpperCase(dmQuelm->tblSubstances->FieldByName("OPTDSPCRP")->AsString());
    EnableDBEdit(edtDt50DspCrp, option == "LUMPED");
    for (TDBEdit* edit : {edtDt50PenCrp, edtDt50VolCrp, edtDt50TraCrp})
        EnableDBEdit(edit, option == "SPECIFIED");
}

void TfrmSubstances::btnCopyClick(TObject*)
{
    TCopySpec plan;
    plan.master = dmQuelm->tblSubstances;
    plan.keyField = "SUBSTANCECODE";
    plan.nameField = "NAME";
    plan.fixedKey = "copy";
    plan.postFirst = {dmQuelm->tblSubstanceTransformations};
    plan.children = {{dmQuelm->tblSubstanceTransformations, "SUBSTANCECODEIN"}};
    CopyRecord(plan);
    MessageDlg("It is a good idea to rename your Substance, otherwise future copying will fail.", mtInformation,
               {mbOK}, 0);
}

void TfrmSubstances::btnTransformationSchemeClick(TObject*)
{
    PostPendingEdits(dmQuelm->tblSubstances);
    std::unique_ptr<TfrmMetaboliteEditor2> editor(New<TfrmMetaboliteEditor2>(nullptr));
    editor->ShowModal();
}
