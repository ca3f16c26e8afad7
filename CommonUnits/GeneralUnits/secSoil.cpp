#include "CommonUnits/GeneralUnits/secSoil.h"

#include "CommonUnits/GeneralUnits/dmQuelm_Unit.h"

#include <memory>

namespace {

struct TTortuosityModel {
    const char* name;         // TortNameCode, compared exactly
    const char* detailTable;
    const char* parameters[4];
};

const TTortuosityModel kTortuosityModels[] = {
    {"MillingtonQuirk", "SOILTORTMILLQUIRK", {"ExpDifLiqMilNom", "ExpDifLiqMilDen", "ExpDifGasMilNom", "ExpDifGasMilDen"}},
    {"Troeh", "SOILTORTTROEH", {"CofDifLiqTro", "ExpDifLiqTro", "CofDifGasTro", "ExpDifGasTro"}},
    {"Currie", "SOILTORTCURRIE", {"CofDifLiqCur", "ExpDifLiqCur", "CofDifGasCur", "ExpDifGasCur"}},
};

} // namespace

void TSectionSoil::WriteBody(TStrings* list, int runId)
{
    if (list == nullptr)
        return;
    std::unique_ptr<TQuery> query(dmQuelm->NewQuery());
    if (!query)
        return;
    dmQuelm->QuerySoilHorizonsOfRun(runId, query.get());
    TQuery* q = query.get();
    // Walks the horizons from the first row, once per table.
    auto eachHorizon = [&](const auto& row) {
        if (!q->Active())
            return;
        for (q->First(); !q->Eof(); q->Next())
            list->Add(row());
    };
    auto text = [&](const char* field, int width) { return PadRight(FieldText(q, field), width); };

    list->Add(FieldText(q, "SOILPROFILECODE") + "_Soil SoilTypeID");
    list->Add(FieldText(q, "LOCATIONCODE") + " Location");
    list->Add("table SoilProfile");
    list->Add("ThiHor NumLay");
    list->Add("(m)");
    eachHorizon([&] { return text("THICKNESS", 9) + FieldText(q, "COMPARTMENTCNT"); });
    list->Add("end_table");
    list->Add("table  horizon SoilProperties");
    list->Add("Nr     FraSand    FraSilt    FraClay    CntOm         pH");
    list->Add("       (kg.kg-1)  (kg.kg-1)  (kg.kg-1)  (kg.kg-1)     (-)");
    eachHorizon([&] {
        return text("HORIZONSEQNO", 7) + text("FRASAND", 11) + text("FRASILT", 11) + text("FRACLAY", 11) +
               text("CNTOM", 14) + FieldText(q, "PH");
    });
    list->Add("end_table");
    list->Add("table  horizon VanGenuchtenPar");
    list->Add("Nr     ThetaSat    ThetaRes    AlphaDry    AlphaWet    n       KSat      l");
    list->Add("       (m3.m-3)    (m3.m-3)    (cm-1)      (cm-1)     (-)     (m.d-1)   (-)");
    eachHorizon([&] {
        return text("HORIZONSEQNO", 7) + text("THETASAT", 12) + text("THETARES", 12) + text("ALPHA", 11) +
               text("ALPHAWET", 11) + text("N", 8) + text("KSAT", 10) + FieldText(q, "L");
    });
    list->Add("end_table");

    const String profile = FieldText(q, "SOILPROFILECODE");
    const String optRho = dmQuelm->LookupStringByCode(dmQuelm->tblSoilProfiles, profile, "OptRho", "SoilProfileCode");
    const String tortName =
        dmQuelm->LookupStringByCode(dmQuelm->tblSoilProfiles, profile, "TortNameCode", "SoilProfileCode");
    list->Add(KeyLine(optRho, "OptRho"));
    list->Add("table horizon     Rho             (kg.m-3)");
    eachHorizon([&] { return text("HORIZONSEQNO", 5) + PadRight(FieldReal(q, "RHO"), 10); });
    list->Add("end_table");
    list->Add(" ");
    list->Add(KeyLine(FieldText(q, "ZPNDMAX"), "ZPndMax         (m)"));
    list->Add(" ");
    list->Add("* Soil evaporation parameters");
    list->Add(KeyLine("Boesten", "OptSolEvp"));
    list->Add(KeyLine(FieldText(q, "FACEVPSOL"), "FacEvpSol       (-)"));
    list->Add(KeyLine(FieldText(q, "COFREDEVP"), "CofRedEvp       (cm1/2)"));
    list->Add(KeyLine("0.01", "PrcMinEvp       (m.d-1)"));
    list->Add(" ");
    list->Add("Table horizon LenDisLiq (m)");
    eachHorizon([&] { return text("HORIZONSEQNO", 3) + FieldText(q, "LENDISLIQ"); });
    list->Add("end_table");
    list->Add(KeyLine(tortName, "OptCofDifRel"));

    const TTortuosityModel* model = nullptr;
    for (const TTortuosityModel& m : kTortuosityModels)
        if (tortName == m.name)
            model = &m;
    // An unknown relation leaves the detail table name empty: the query layer reports the
    // failing query and no parameter lines are written.
    if (dmQuelm->QuerySoilProfileDetail(model != nullptr ? model->detailTable : "", profile, q) && model != nullptr) {
        for (const char* parameter : model->parameters)
            list->Add(KeyLine(FieldText(q, UpperCase(parameter)), String(parameter) + " (-)"));
    }
    list->Add(KeyLine("Constant", "OptPnd"));
    list->Add(" ");
}
