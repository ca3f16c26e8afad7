#include "CommonUnits/GeneralUnits/secCompound.h"

#include "CommonUnits/GeneralUnits/Metaboliet.h"
#include "CommonUnits/GeneralUnits/dmQuelm_Unit.h"

#include "platform/framework/Dialogs.h"

#include <memory>
#include <vector>

namespace {

// The value column of this section is one narrower than elsewhere.
constexpr int kCompoundColumn = 17;

struct TRealLine {
    const char* field;
    const char* keyword; // the keyword before the code
    const char* unit;    // after the code
};

const TRealLine kTransformation[] = {
    {"DT50REF", "DT50Ref_", " (d)"},
    {"TEMREFTRA", "TemRefTra_", " (C)"},
    {"EXPLIQTRA", "ExpLiqTra_", " (-)"},
    {"CNTLIQTRAREF", "CntLiqTraRef_", " (kg.kg-1)"},
    {"MOLENTTRA", "MolEntTra_", " (kJ.mol-1)"},
};
const TRealLine kVolatilisation[] = {
    {"PREVAPREF", "PreVapRef_", " (Pa)"},      {"TEMREFVAP", "TemRefVap_", " (C)"},
    {"SLBWATREF", "SlbWatRef_", " (mg.L-1)"},  {"TEMREFSLB", "TemRefSlb_", " (C)"},
    {"MOLENTSLB", "MolEntSlb_", " (kJ.mol-1)"}, {"MOLENTVAP", "MolEntVap_", " (kJ.mol-1)"},
};
const TRealLine kNonEquilibrium[] = {
    {"COFDESRAT", "CofDesRat_", " (d-1)"},
    {"FACSORNEQEQL", "FacSorNeqEql_", " (-)"},
};
const TRealLine kUptake[] = {{"FACUPT", "FacUpt_", " (-)"}};
const TRealLine kCanopy[] = {
    {"DT50DSPCRP", "DT50DspCrp_", " (d)"}, {"DT50PENCRP", "DT50PenCrp_", " (d)"},
    {"DT50VOLCRP", "DT50VolCrp_", " (d)"}, {"DT50TRACRP", "DT50TraCrp_", " (d)"},
    {"FACWASCRP", "FacWasCrp_", " (m-1)"},
};
const TRealLine kDiffusion[] = {
    {"TEMREFDIF", "TemRefDif_", " (C)"},
    {"COFDIFWATREF", "CofDifWatRef_", " (m2.d-1)"},
    {"COFDIFAIRREF", "CofDifAirRef_", " (m2.d-1)"},
};

// One compound of the list with its Substances row (an empty query when it has none).
struct TCompound {
    String listCode;             // the code as the compound list holds it
    std::unique_ptr<TQuery> row;
    String code;                 // SUBSTANCECODE of the row, empty without one
    const String& Code() const { return code; }
};

String Line(const String& value, const String& keyword)
{
    return PadRight(value, kCompoundColumn) + keyword;
}

} // namespace

void TSectionCompound::WriteBody(TStrings* list, int runId)
{
    if (list == nullptr)
        return;
    const String substance = dmQuelm->SubstanceCodeOfRun(runId);
    const TMetaboliet tree(substance);
    TStringList codes;
    CollectCompounds(tree, codes);
    if (codes.Count() == 1 && UpperCase(codes[0]) == NO_UPPER) {
        list->Add("table compounds");
        list->Add("end_table");
        return;
    }

    std::vector<TCompound> compounds;
    for (int i = 0; i < codes.Count(); ++i) {
        TCompound c{codes[i], std::unique_ptr<TQuery>(dmQuelm->NewQuery()), String()};
        dmQuelm->QuerySubstance(codes[i], c.row.get());
        c.code = FieldText(c.row.get(), "SUBSTANCECODE");
        compounds.push_back(std::move(c));
    }
    auto real = [](const TCompound& c, const char* field) { return FieldReal(c.row.get(), field); };
    auto realLines = [&](const TCompound& c, const auto& table) {
        for (const TRealLine& l : table)
            list->Add(Line(real(c, l.field), l.keyword + c.Code() + l.unit));
    };

    list->Add(substance + " SubstanceName");
    list->Add("table compounds");
    for (const TCompound& c : compounds)
        list->Add(c.listCode);
    list->Add("end_table");
    for (const TCompound& c : compounds)
        list->Add("EqlDom_Input OptDT50_" + c.listCode);
    for (const TCompound& c : compounds)
        list->Add(Line(real(c, "MOLMAS"), "MolMas_" + c.Code() + " (g.mol-1)"));

    list->Add("table FraPrtDau (mol.mol-1)");
    {
        std::unique_ptr<TQuery> q(dmQuelm->NewQuery());
        for (const TCompound& c : compounds) {
            if (!dmQuelm->QueryTransformations(c.listCode, q.get()))
                continue;
            for (q->First(); !q->Eof(); q->Next())
                list->Add(FieldText(q.get(), "FRAPRTDAU") + " " + c.listCode + " -> " + FieldText(q.get(), "SUBSTANCECODEOUT"));
        }
    }
    list->Add("end_table");

    for (const TCompound& c : compounds) {
        const bool optimum = UpperCase(FieldText(c.row.get(), "OPTCNTLIQTRAREF")) == YES_UPPER;
        list->Add(String(optimum ? "OptimumConditions" : "NonOptimumConditions") + " OptCntLiqTraRef_" + c.Code());
        realLines(c, kTransformation);
    }

    // Depth factors per horizon of the run's soil profile; a compound without its own factor
    // for a horizon takes the horizon's default. Horizons are named by their own sequence
    // numbers, so a gap in the numbering does not move values to another horizon.
    {
        std::unique_ptr<TQuery> loc(dmQuelm->OpenSql("SELECT LOCATIONCODE FROM RUNS WHERE RUNID=" + IntToStr(runId)));
        const String location = FieldText(loc.get(), "LOCATIONCODE");
        std::unique_ptr<TQuery> prof(dmQuelm->OpenSql("SELECT SOILPROFILECODE FROM LOCATIONS WHERE LOCATIONCODE=" +
                                                      QuotedStr(location)));
        const String profile = QuotedStr(FieldText(prof.get(), "SOILPROFILECODE"));
        std::vector<String> horizons;
        {
            std::unique_ptr<TQuery> h(dmQuelm->OpenSql(
                "SELECT HORIZONSEQNO FROM SOILPROFILESXSOILBUILDINGBLOCKS WHERE SOILPROFILECODE=" + profile +
                " ORDER BY HORIZONSEQNO"));
            for (h->First(); !h->Eof(); h->Next())
                horizons.push_back(h->Fields(0)->AsString());
        }
        for (const char* factor : {"FacZTra", "FacZSor"}) {
            list->Add("table horizon " + String(factor) + " (-)");
            String header = "hor";
            for (const TCompound& c : compounds)
                header += " " + c.listCode;
            list->Add(header);
            for (const String& h : horizons) {
                String row = h;
                for (const TCompound& c : compounds) {
                    std::unique_ptr<TQuery> v(dmQuelm->OpenSql(
                        "SELECT " + UpperCase(factor) + " FROM DEPTHDEPENDENTSUBSTPROPERTIES" +
                        " WHERE SOILPROFILECODE=" + profile + " AND   HORIZONSEQNO=" + h +
                        " AND   SUBSTANCECODE=" + QuotedStr(c.listCode)));
                    if (v->IsEmpty())
                        v.reset(dmQuelm->OpenSql("SELECT " + String(factor) + " FROM SOILPROFILESXSOILBUILDINGBLOCKS" +
                                                 " WHERE SOILPROFILECODE=" + profile + " AND   HORIZONSEQNO=" + h));
                    row += " " + (v->IsEmpty() ? String() : v->Fields(0)->AsString());
                }
                list->Add(row);
            }
            list->Add("end_table");
        }
    }

    for (const TCompound& c : compounds) {
        const String code = c.Code();
        list->Add(Line(real(c, "MOLENTSOR"), "MolEntSor_" + code + " (kJ.mol-1)"));
        list->Add(Line(real(c, "TEMREFSOR"), "TemRefSor_" + code + " (C)"));
        const String option = FieldText(c.row.get(), "OPTCOFFRECODE");
        list->Add(Line(option, "OptCofFre_" + code));
        const String upper = UpperCase(option);
        if (upper == "PH-INDEPENDENT") {
            list->Add(Line(real(c, "KOMEQL"), "KomEql_" + code + " (L.kg-1)"));
            list->Add(Line(real(c, "KOMEQL"), "KomEqlMax_" + code + " (L.kg-1)"));
        } else if (upper == "PH-DEPENDENT") {
            list->Add(Line(real(c, "KOMEQLACID"), "KomEqlAcid_" + code + " (L.kg-1)"));
            list->Add(Line(real(c, "KOMEQLBASE"), "KomEqlBase_" + code + " (L.kg-1)"));
            list->Add(Line(real(c, "PKA"), "pKa_" + code + " (-)"));
            list->Add(Line(real(c, "PHCORRECTION"), "pHCorrection (-)"));
        } else if (upper == "USERDEFINED") {
            list->Add(Line(real(c, "KSOREQL"), "KSorEql_" + code + " (L.kg-1)"));
        } else {
            MessageDlg("Internal error", mtError, {mbOK}, 0);
        }
        list->Add(Line(real(c, "CONLIQREF"), "ConLiqRef_" + code + " (mg.L-1)"));
        list->Add(Line(real(c, "EXPFRE"), "ExpFre_" + code + " (-)"));
    }
    for (const TCompound& c : compounds)
        realLines(c, kVolatilisation);
    for (const TCompound& c : compounds)
        realLines(c, kNonEquilibrium);
    for (const TCompound& c : compounds)
        realLines(c, kUptake);
    {
        std::unique_ptr<TQuery> q(dmQuelm->NewQuery());
        dmQuelm->QueryLocationOfRun(runId, q.get());
        list->Add(Line(FieldReal(q.get(), "THIAIRBOULAY"), "ThiAirBouLay (m)"));
    }
    for (const TCompound& c : compounds) {
        list->Add(Line(FieldText(c.row.get(), "OPTDSPCRP"), "OptDspCrp_" + c.Code()));
        realLines(c, kCanopy);
    }
    for (const TCompound& c : compounds)
        realLines(c, kDiffusion);
}
