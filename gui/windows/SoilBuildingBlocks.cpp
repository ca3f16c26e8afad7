#include "gui/windows/SoilBuildingBlocks.h"

#include "gui/windows/EditorLayout.h"
#include "CommonUnits/GeneralUnits/dmQuelm_Unit.h"

#include <tuple>

using namespace editorlayout;

TfrmSoilBuildingBlocks::TfrmSoilBuildingBlocks(TComponent* owner)
    : TEditorForm(owner, "%s - Soil Building Blocks", 330)
{
    SetName("frmSoilBuildingBlocks");
    SetBorderStyle(bsDialog);
    Position = poScreenCenter;
    SetClientWidth(980);
    SetClientHeight(560);
    TDataSource* blocks = dmQuelm->dsSoilBuildingBlocks;

    TGroupBox* browse = Group(this, this, "grpBrowse", " Browse Soil Building Blocks ", 8, 8, 540, 512);
    grdHorizont = Grid(this, browse, "grdHorizont", blocks,
                       {{"SOILBUILDINGBLOCKCODE", "Soil Building Block Code", 150},
                        {"FRASAND", "Sand", 50},
                        {"FRASILT", "Silt", 50},
                        {"FRACLAY", "Clay", 50},
                        {"CNTOM", "Org. Mat.", 64},
                        {"PH", "pH", 40},
                        {"RHO", "Rho", 56}},
                       8, 22, 524, 416);
    DBNavigator = Navigator(this, browse, "DBNavigator", blocks, 8, 446);
    btnCopy = Button(this, browse, "btnCopy", "Copy", 8, 478, 80, [this](TObject* s) { btnCopyClick(s); });

    TGroupBox* edit = Group(this, this, "grpEdit", " Edit Soil Building Block ", 556, 8, 416, 512);
    Label(this, edit, "Soil Building Block Code: ", 10, 22, 180);
    edtCode = Edit(this, edit, "edtCode", blocks, "SOILBUILDINGBLOCKCODE", 194, 22, 150);
    btnComments = Button(this, edit, "btnComments", "Comments...", 194, 50, 100);
    WireCommentsButton(btnComments, blocks);

    struct Row {
        TDBEdit** edit;
        const char* name;
        const char* field;
        const char* label;
        const char* second;
    };
    auto rows = [&](TGroupBox* group, int top, std::initializer_list<Row> list) {
        int y = top;
        for (const Row& r : list) {
            Label(this, group, r.label, 10, y, 210, r.second);
            *r.edit = Edit(this, group, r.name, blocks, r.field, 260, y + (*r.second ? 6 : 0), 100);
            y += *r.second ? kTwoLineRow : kRow;
        }
    };
    grpBasic = Group(this, edit, "grpBasic", " Basic parameters ", 8, 84, 400, 190);
    // the three fractions side by side below their heading
    Label(this, grpBasic, "Fraction (kg kg-1 mineral parts):", 10, 18, 250);
    const std::tuple<TDBEdit**, const char*, const char*, const char*> fractions[] = {
        {&edtFraSand, "edtFraSand", "FRASAND", "- Sand:"},
        {&edtFraSilt, "edtFraSilt", "FRASILT", "- Silt:"},
        {&edtFraClay, "edtFraClay", "FRACLAY", "- Clay:"}};
    int x = 10;
    for (const auto& [target, name, field, label] : fractions) {
        Label(this, grpBasic, label, x, 40, 46);
        *target = Edit(this, grpBasic, name, blocks, field, x + 50, 40, 70);
        x += 128;
    }
    rows(grpBasic, 68,
         {{&edtCntOm, "edtCntOm", "CNTOM", "Mass fraction of organic", "matter (kg kg-1):"},
          {&edtPh, "edtPh", "PH", "pH-H2O (-):", ""},
          {&edtRho, "edtRho", "RHO", "Dry bulk density (kg m-3):", ""}});

    grpVanGenuchten = Group(this, edit, "grpVanGenuchten", " Van Genuchten parameters ", 8, 280, 400, 222);
    rows(grpVanGenuchten, 18,
         {{&edtThetaSat, "edtThetaSat", "THETASAT", "Theta Sat (m3 m-3):", ""},
          {&edtThetaRes, "edtThetaRes", "THETARES", "Theta Res (m3 m-3):", ""},
          {&edtAlpha, "edtAlpha", "ALPHA", "Alpha dry (cm-1):", ""},
          {&edtAlphaWet, "edtAlphaWet", "ALPHAWET", "Alpha wet (cm-1):", ""},
          {&edtN, "edtN", "N", "n (-):", ""},
          {&edtKSat, "edtKSat", "KSAT", "K Sat (m d-1):", ""},
          {&edtL, "edtL", "L", "Lambda (-):", ""}});

    WireCharacterFilter(edtCode);
    WireNavigator(DBNavigator, edtCode);

    btnHelp = Button(this, this, "btnHelp", "Help", 816, 528, 75);
    btnHelp->SetVisible(false);
    btnOK = Button(this, this, "btnOK", "&Close", 897, 528, 75, [this](TObject* s) { btnOKClick(s); });

    TablesPostedOnClose = {dmQuelm->tblSoilBuildingBlocks};
}

void TfrmSoilBuildingBlocks::OpenTables()
{
    OpenOrRefresh(dmQuelm->tblSoilBuildingBlocks);
}

void TfrmSoilBuildingBlocks::btnCopyClick(TObject*)
{
    TCopySpec plan;
    plan.master = dmQuelm->tblSoilBuildingBlocks;
    plan.keyField = "SOILBUILDINGBLOCKCODE";
    CopyRecord(plan);
}
