#include "CommonUnits/GeneralUnits/secDrainage.h"

#include "CommonUnits/GeneralUnits/dmQuelm_Unit.h"

#include <memory>

namespace {

// Drainage levels known to the kernel; the levels a location does not use are still named.
constexpr int kDrainageLevels = 5;

} // namespace

void TSectionDrainage::WriteBody(TStrings* list, int runId)
{
    if (list == nullptr)
        return;
    const String location = dmQuelm->LookupString(dmQuelm->tblRuns, runId, "LocationCode", "RunID");
    const bool drained = dmQuelm->LookupYesNoByCode(dmQuelm->tblLocations, location, "OptDra", "LocationCode");
    list->Add(KeyLine(drained ? "Basic" : NO_TEXT, "OptDra"));
    list->Add(KeyLine(NO_TEXT, "OptSurDra"));
    if (!drained) {
        list->Add(KeyLine("0", "NumDraLev"));
        list->Add("");
        return;
    }
    std::unique_ptr<TQuery> q(dmQuelm->NewQuery());
    const bool opened = q && dmQuelm->QueryDrainages(location, q.get());
    list->Add(KeyLine(IntToStr(opened ? q->RecordCount() : 0), "NumDraLev"));
    int highest = 0;
    if (opened) {
        for (q->First(); !q->Eof(); q->Next()) {
            const int level = q->FieldByName("DRAINAGELEVEL")->AsInteger();
            const String n = IntToStr(level);
            list->Add("");
            list->Add(KeyLine(n, "SysDra_" + n));
            list->Add(KeyLine(FieldText(q.get(), "OPTDRAINAGETYPECODE"), "TypDra_" + n));
            list->Add(KeyLine(FieldReal(q.get(), "RSTDRA"), PadRight("RstDra_" + n, 16) + " (d)"));
            list->Add(KeyLine(FieldReal(q.get(), "RSTINF"), PadRight("RstInf_" + n, 16) + " (d)"));
            list->Add(KeyLine(FieldReal(q.get(), "DISTDRA"), PadRight("DistDra_" + n, 16) + " (m)"));
            list->Add(KeyLine(FieldReal(q.get(), "ZDRA"), PadRight("ZDra_" + n, 16) + " (m)"));
            // The kernel takes the surface-water level of a level from its drain depth.
            list->Add(KeyLine(FieldReal(q.get(), "ZDRA"), PadRight("ZSurWat_" + n, 16) + " (m)"));
            highest = level;
        }
    }
    for (int k = highest + 1; k <= kDrainageLevels; ++k)
        list->Add(KeyLine(IntToStr(k), "SysDra_" + IntToStr(k)));
}
