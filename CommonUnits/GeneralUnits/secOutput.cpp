#include "CommonUnits/GeneralUnits/secOutput.h"

#include "CommonUnits/GeneralUnits/dmQuelm_Unit.h"

#include <memory>

namespace {

// The vertical-profile switches; one of them on lets the profile dates through.
const char* const kProfileSwitches[] = {"CONGAS_VPRF",    "CONLIQ_VPRF",    "CONSYS_VPRF", "CONSYSEQL_VPRF",
                                        "CONSYSNEQ_VPRF", "PREHEA_VPRF",    "TEM_VPRF",    "THETA_VPRF"};

} // namespace

void TSectionOutput::WriteBody(TStrings* list, int runId)
{
    Assert(list != nullptr, "", "CommonUnits\\GeneralUnits\\secOutput", 37);
    TTable* runs = dmQuelm->tblRuns;
    std::unique_ptr<TQuery> variables(dmQuelm->NewQuery());
    dmQuelm->QueryPrintVariables(runId, variables.get());
    std::unique_ptr<TQuery> query(dmQuelm->NewQuery());
    TQuery* q = query.get();

    list->Add("table VerticalProfiles");
    bool profiles = false;
    for (const char* name : kProfileSwitches)
        profiles = profiles || UpperCase(FieldText(variables.get(), name)) == YES_UPPER;
    if (profiles && dmQuelm->QueryVertProfDates(runId, q))
        for (q->First(); !q->Eof(); q->Next())
            list->Add(DateField(q->FieldByName("OUTPUTDATE")->AsDateTime(), VALUE_COLUMN_WIDTH));
    list->Add("end_table");

    list->Add(KeyLine(YesNoText(!dmQuelm->LookupYesNo(runs, runId, "DetailedOutput", "RunID")), "OptDelOutFiles"));
    list->Add(KeyLine(dmQuelm->LookupString(runs, runId, "OptDateFormatCode", "RunID"), "DateFormat"));
    list->Add(KeyLine(dmQuelm->LookupString(runs, runId, "RealFormat", "RunID"), "RealFormat"));
    const String depthType = UpperCase(dmQuelm->LookupString(runs, runId, "OptOutputDepthTypeCode", "RunID"));
    if (depthType == "OTHER") {
        list->Add("table OutputDepths (m)");
        if (dmQuelm->QueryOutputDepths(runId, q))
            for (q->First(); !q->Eof(); q->Next())
                list->Add(PadRight(FieldReal(q, "OUTPUTDEPTH"), 10));
        list->Add("end_table");
    } else if (depthType == "ALL") {
        list->Add("All OutputDepths");
    } else if (depthType == "NONE") {
        list->Add("None OutputDepths");
    }

    if (variables->Active() && !variables->IsEmpty()) {
        for (int i = 1; i < variables->FieldCount(); ++i) {
            const TField* field = variables->Fields(i);
            const String name = dmQuelm->PrintVariableName(field->FieldName());
            // A switch that the dictionary does not know would give the kernel a keyword
            // without a name.
            if (name.empty())
                throw Exception("The output variable " + field->FieldName() +
                                " of the run has no row in the dictionary of output variables "
                                "(RUNPRINTVARIABLESDICTIONARY); the input file cannot name it.");
            const String value = field->AsString();
            list->Add(KeyLine(value, "print_" + name));
            if (UpperCase(field->FieldName()) == "STOCAP")
                list->Add(KeyLine(value, "print_FlvLiqGrwSur"));
        }
    }

    static const char* const kFixed[][2] = {
        {"None", "OptAux"}, {"No", "SoilReport"},  {"Yes", "LeachingReport"}, {"90.0", "TargetPercentile (%)"},
        {"No", "AirReport"}, {"No", "DrainageReport"},
    };
    for (const auto& line : kFixed)
        list->Add(KeyLine(line[0], line[1]));
    list->Add(" ");
}
