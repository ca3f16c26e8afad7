#include "CommonUnits/GeneralUnits/secControl.h"

#include "CommonUnits/GeneralUnits/dmQuelm_Unit.h"

void TSectionControl::WriteBody(TStrings* list, int runId)
{
    if (list == nullptr)
        return;
    TTable* runs = dmQuelm->tblRuns;
    auto real = [&](const char* field) { return RealText(dmQuelm->LookupFloat(runs, runId, field, "RunID")); };
    auto text = [&](const char* field) { return dmQuelm->LookupString(runs, runId, field, "RunID"); };
    auto yesNo = [&](const char* field) { return YesNoText(dmQuelm->LookupYesNo(runs, runId, field, "RunID")); };
    auto date = [&](const char* field) { return FormatDateDMY(dmQuelm->LookupDate(runs, runId, field, "RunID")); };
    auto integer = [&](const char* field) { return IntToStr(dmQuelm->LookupInteger(runs, runId, field, "RunID")); };

    list->Add("RAVUZAVEDE        CallingProgram");
    list->Add("1.1.1             CallingProgramVersion Version of calling program");
    list->Add(KeyLine("6", "InitYears"));
    list->Add(KeyLine(date("TimStart"), "TimStart"));
    list->Add(KeyLine(date("TimEnd"), "TimEnd"));
    list->Add(KeyLine(real("AmaSysEnd"), "AmaSysEnd (kg.ha-1)"));
    list->Add(KeyLine(real("ThetaTol"), "ThetaTol (m3.m-3)"));
    list->Add(KeyLine(text("OptDelTimPrnCode"), "OptDelTimPrn"));
    list->Add(KeyLine(integer("DelTimPrn"), "DelTimPrn  (d)"));
    list->Add(KeyLine(yesNo("RepeatHydrology"), "RepeatHydrology"));
    list->Add(KeyLine(text("OptHyd"), "OptHyd"));
    list->Add(KeyLine(real("DelTimSwaMin"), "DelTimSwaMin (d)"));
    list->Add(KeyLine(real("DelTimSwaMax"), "DelTimSwaMax (d)"));
    list->Add(KeyLine(yesNo("PrintCumulatives"), "PrintCumulatives"));
    list->Add(KeyLine(real("GWLTol"), "GWLTol (m)"));
    list->Add(KeyLine(integer("MaxItSwa"), "MaxItSwa"));
    list->Add(KeyLine(text("OptHysteresisCode"), "OptHysteresis"));
    list->Add(KeyLine(real("PreHeaWetDryMin"), "PreHeaWetDryMin (cm)"));
    list->Add(KeyLine(YES_TEXT, "OptScreen"));
    list->Add(KeyLine(NO_TEXT, "OptPersistency"));
    list->Add(KeyLine("All", "OptSys"));
    list->Add(KeyLine(NO_TEXT, "OptPaddy"));
    list->Add(KeyLine(NO_TEXT, "OptMacropore"));
    list->Add(" ");
}
