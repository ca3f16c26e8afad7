#include "gui/windows/Tortuosity.h"

#include "gui/windows/EditorLayout.h"
#include "CommonUnits/GeneralUnits/dmQuelm_Unit.h"

using namespace editorlayout;

TfrmTortuosity::TfrmTortuosity(TComponent* owner) : TEditorForm(owner, "%s - Relative Diffusion Coefficient", 332)
{
    SetName("frmTortuosity");
    SetBorderStyle(bsDialog);
    Position = poScreenCenter;
    SetClientWidth(480);
    SetClientHeight(262);
    TdmQuelm* dm = dmQuelm;

    Label(this, this, "Selected Relative Diffusion Coefficient:", 8, 8, 250);
    EdtTort = Edit(this, this, "EdtTort", dm->dsSoilProfiles, "TORTNAMECODE", 262, 8, 160);
    EdtTort->SetReadOnly(true);
    EdtTort->SetColor(clBtnFace);

    pgTortuosity = Make<TPageControl>(this, this, "pgTortuosity", 8, 38, 464, 180);
    pgTortuosity->OnChange = [this](TObject* s) { pgTortuosityChange(s); };
    struct Field {
        TDBEdit** edit;
        const char* name;
        const char* field;
        const char* label;
    };
    auto page = [&](TTabSheet** sheet, const char* name, const char* caption, TDataSource* source,
                    std::initializer_list<Field> fields) {
        *sheet = new TTabSheet(this);
        (*sheet)->SetName(name);
        (*sheet)->SetCaption(caption);
        (*sheet)->SetPageControl(pgTortuosity);
        int y = 12;
        for (const Field& f : fields) {
            Label(this, *sheet, f.label, 8, y, 250);
            *f.edit = Edit(this, *sheet, f.name, source, f.field, 262, y, 100);
            y += kRow;
        }
    };
    page(&tsMillington, "tsMillington", "Millington", dm->dsMillington,
         {{&edtExpDifLiqMilNom, "edtExpDifLiqMilNom", "EXPDIFLIQMILNOM", "Exponent Dif Liquid Mil Nom (-):"},
          {&edtExpDifLiqMilDen, "edtExpDifLiqMilDen", "EXPDIFLIQMILDEN", "Exponent Dif Liquid Mil Den (-):"},
          {&edtExpDifGasMilNom, "edtExpDifGasMilNom", "EXPDIFGASMILNOM", "Exponent Dif Gas Mil Nom (-):"},
          {&edtExpDifGasMilDen, "edtExpDifGasMilDen", "EXPDIFGASMILDEN", "Exponent Dif Gas Mil Den (-):"}});
    page(&tsTroeh, "tsTroeh", "Troeh", dm->dsTroeh,
         {{&edtCofDifGasTro, "edtCofDifGasTro", "COFDIFGASTRO", "Coefficient Dif Gas (-):"},
          {&edtExpDifGasTro, "edtExpDifGasTro", "EXPDIFGASTRO", "Exponent Dif Gas (-):"},
          {&edtCofDifLiqTro, "edtCofDifLiqTro", "COFDIFLIQTRO", "Coefficient Dif Liquid (-):"},
          {&edtExpDifLiqTro, "edtExpDifLiqTro", "EXPDIFLIQTRO", "Exponent Dif Liquid (-):"}});
    page(&tsCurrie, "tsCurrie", "Currie", dm->dsCurrie,
         {{&edtCofDifGasCur, "edtCofDifGasCur", "COFDIFGASCUR", "Coefficient Dif Gas (-):"},
          {&edtExpDifGasCur, "edtExpDifGasCur", "EXPDIFGASCUR", "Exponent Dif Gas (-):"},
          {&edtCofDifLiqCur, "edtCofDifLiqCur", "COFDIFLIQCUR", "Coefficient Dif Liquid (-):"},
          {&edtExpDifLiqCur, "edtExpDifLiqCur", "EXPDIFLIQCUR", "Exponent Dif Liquid (-):"}});

    btnHelp = Button(this, this, "btnHelp", "Help", 316, 228, 75);
    btnHelp->SetVisible(false);
    btnClose = Button(this, this, "btnClose", "Close", 397, 228, 75, [this](TObject* s) { btnCloseClick(s); });

    TablesPostedOnClose = {dm->tblSoilTortTroeh, dm->tblSoilTortMillington, dm->tblSoilTortCurrie};
    // activation shows the profile's page before the tables open
    OnActivate = [this](TObject*) {
        Screen->SetCursor(crHourGlass);
        SelectTortuosityPage();
        OpenTables();
    };
}

void TfrmTortuosity::OpenTables()
{
    for (TTable* table : {dmQuelm->tblSoilTortTroeh, dmQuelm->tblSoilTortMillington, dmQuelm->tblSoilTortCurrie})
        OpenOrRefresh(table);
}

void TfrmTortuosity::SelectTortuosityPage()
{
    TTable* profiles = dmQuelm->tblSoilProfiles;
    const String model =
        profiles->Active() ? UpperCase(profiles->FieldByName("TORTNAMECODE")->AsString()) : String();
    const std::pair<const char*, TTabSheet*> pages[] = {
        {"MILLINGTONQUIRK", tsMillington}, {"TROEH", tsTroeh}, {"CURRIE", tsCurrie}};
    for (const auto& [code, sheet] : pages)
        if (model == code)
            pgTortuosity->SetActivePage(sheet);
    if (pgTortuosity->Visible())
        pgTortuosity->SetFocus();
}

void TfrmTortuosity::pgTortuosityChange(TObject*)
{
    for (TTable* table : TablesPostedOnClose)
        PostPendingEdits(table);
}
