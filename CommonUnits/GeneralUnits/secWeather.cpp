#include "CommonUnits/GeneralUnits/secWeather.h"

#include "CommonUnits/GeneralUnits/dmQuelm_Unit.h"

#include <memory>

namespace {

// Irrigation types without an irrigation data file (compared in upper case).
const char* const kTypesWithoutData[] = {"NO", "SPRINKLER_AUTO", "SURFACE_AUTO", "SPRINKLER_WEEKLY"};

bool HasIrrigationData(const String& type)
{
    const String upper = UpperCase(type);
    for (const char* t : kTypesWithoutData)
        if (upper == t)
            return false;
    return true;
}

} // namespace

void TSectionWeather::WriteBody(TStrings* list, int runId)
{
    if (list == nullptr)
        return;
    std::unique_ptr<TQuery> q(dmQuelm->NewQuery());
    if (!q)
        return;
    dmQuelm->QueryMeteoStationOfRun(runId, q.get());
    const String station = FieldText(q.get(), "METEOSTATIONCODE");
    // The kernel reads "<station>.met" from its current folder, the work folder.
    dmQuelm->WriteMeteoFile(station);
    list->Add(KeyLine(station, "MeteoStation"));
    const String evaporation = dmQuelm->EvaporationOptionOfRun(runId);
    list->Add(KeyLine(evaporation, "OptEvp"));
    if (UpperCase(evaporation) == "PENMAN") {
        list->Add(KeyLine(FieldReal(q.get(), "LATITUDE"), "LatMet (degrees)"));
        list->Add(KeyLine(FieldReal(q.get(), "ALTITUDE"), "AltMet (m)"));
    }
    const String location = dmQuelm->LookupString(dmQuelm->tblRuns, runId, "LocationCode", "RunID");
    const String scheme = dmQuelm->LookupString(dmQuelm->tblRuns, runId, "IrrigationSchemeCode", "RunID");
    list->Add(KeyLine(RealText(dmQuelm->LookupFloatByCode(dmQuelm->tblLocations, location, "TemLboSta", "LocationCode")),
                      "TemLboSta       (C)"));
    dmQuelm->QueryIrrigationTypeOfRun(runId, q.get());
    const String type = FieldText(q.get(), "IRRIGATIONTYPECODE");
    list->Add(KeyLine(type, "OptIrr"));
    if (HasIrrigationData(type)) {
        list->Add(KeyLine(scheme, "IrrigationData"));
        dmQuelm->WriteIrrigationFile(scheme);
    }
    list->Add(KeyLine(scheme, "IrrigationScheme"));
    static const char* const kFixed[][2] = {
        {"1.0", "FacPrc (-)"},    {"0.0", "DifTem (C)"},   {"1.0", "FacEvp (-)"},     {"No", "OptRainfall"},
        {"Daily", "OptMetInp"},   {"Laminar", "OptTraRes"}, {"No", "OptRainfallEvents"}, {"No", "OptSnow"},
    };
    for (const auto& line : kFixed)
        list->Add(KeyLine(line[0], line[1]));
    list->Add(" ");
}
