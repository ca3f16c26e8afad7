#include "CommonUnits/GeneralUnits/secManagement.h"

#include "CommonUnits/GeneralUnits/dmQuelm_Unit.h"

#include <cstdlib>
#include <memory>

namespace {

// Application types whose rows carry a parameter (compared exactly).
bool HasParameter(const String& type)
{
    return type == "AppCrpUsr" || type == "AppSolTil" || type == "AppSolInj";
}

// Two digits with a leading zero below 10, else the number as it is.
String TwoDigits(int value)
{
    return (value >= 0 && value <= 9 ? "0" : "") + IntToStr(value);
}

} // namespace

void TSectionManagement::WriteBody(TStrings* list, int runId)
{
    if (list == nullptr)
        return;
    TTable* runs = dmQuelm->tblRuns;
    auto date = [](const TDataSet* q, const char* field) {
        return DateField(q->FieldByName(field)->AsDateTime(), 13);
    };
    auto real9 = [](const TDataSet* q, const char* field) { return PadRight(FieldReal(q, field), 9); };

    list->Add(dmQuelm->LookupString(runs, runId, "ApplicationSchemeCode", "RunID") + " ApplicationScheme");
    list->Add(KeyLine(RealText(dmQuelm->LookupFloat(runs, runId, "ZFoc", "RunID")), "ZTgt (m)"));
    list->Add(KeyLine(dmQuelm->LookupString(runs, runId, "OptDelTimEvt", "RunID"), "DelTimEvt (a)"));

    std::unique_ptr<TQuery> query(dmQuelm->NewQuery());
    TQuery* q = query.get();
    list->Add("table Applications");
    if (dmQuelm->QueryApplicationsAbsolute(runId, q)) {
        for (q->First(); !q->Eof(); q->Next()) {
            const String type = FieldText(q, "APPLICATIONTYPECODE");
            String row = date(q, "MDATE") + PadRight(type, 9) + real9(q, "DOSAGE");
            if (HasParameter(type))
                row += real9(q, "APPLICATIONPARAMETER");
            list->Add(row);
        }
    }
    if (dmQuelm->QueryApplicationsRelative(runId, q)) {
        for (q->First(); !q->Eof(); q->Next()) {
            const String type = FieldText(q, "APPLICATIONTYPECODE");
            const int days = q->FieldByName("DATERELATIVE")->AsInteger();
            // "<crop>-<event><sign><days>", e.g. "01-Emg-05" for five days before emergence
            // of the calendar's first crop.
            const String event = TwoDigits(q->FieldByName("CROPCALENDARSEQNO")->AsInteger()) + "-" +
                                 FieldText(q, "CROPEVENTCODE") + (days < 0 ? "-" : "+") + TwoDigits(std::abs(days));
            String row = event + " " + type + " " + real9(q, "DOSAGE");
            if (HasParameter(type))
                row += real9(q, "APPLICATIONPARAMETER");
            list->Add(row);
        }
    }
    list->Add("end_table");

    list->Add("table TillageDates");
    if (dmQuelm->QueryTillagesOfRun(runId, q))
        for (q->First(); !q->Eof(); q->Next())
            list->Add(date(q, "MDATE") + real9(q, "DEPTH"));
    list->Add("end_table");

    list->Add("table interpolate CntSysEql (mg.kg-1)");
    if (dmQuelm->QueryCntSysEql(runId, q))
        for (q->First(); !q->Eof(); q->Next())
            list->Add(real9(q, "Z") + real9(q, "CNTSYSEQL"));
    list->Add("end_table");
    list->Add("table interpolate CntSysNeq (mg.kg-1)");
    if (dmQuelm->QueryCntSysNeq(runId, q))
        for (q->First(); !q->Eof(); q->Next())
            list->Add(real9(q, "Z") + real9(q, "CNTSYSNEQ"));
    list->Add("end_table");

    const String deposition = dmQuelm->LookupString(runs, runId, "DepositionSchemeCode", "RunID");
    list->Add(deposition + " DepositionScheme");
    list->Add("table    FlmDep   (kg.ha-1.d-1)");
    if (dmQuelm->QueryDepositions(deposition, q))
        for (q->First(); !q->Eof(); q->Next())
            list->Add(date(q, "MDATE") + FieldText(q, "FLMDEP"));
    list->Add("end_table");
    list->Add(KeyLine("0.2", "ZTil (m)"));
}
