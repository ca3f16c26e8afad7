// The per-run queries that the input-file writer reads, and the lookups of single values by key.
#include "CommonUnits/GeneralUnits/dmQuelm_Unit.h"

#include "CommonUnits/GeneralUnits/Utils_Sql_Unit.h"
#include "platform/framework/Dialogs.h"

namespace {
String RunKey(int runId)
{
    return IntToStr(runId);
}
} // namespace

TQuery* TdmQuelm::NewQuery()
{
    auto* query = new TQuery();
    query->DatabaseName = dbDatabase->DatabaseName();
    return query;
}

TQuery* TdmQuelm::OpenSql(const String& sql)
{
    std::unique_ptr<TQuery> query(NewQuery());
    query->SQL.Add(sql);
    query->Prepare();
    query->Open();
    query->First();
    return query.release();
}

bool TdmQuelm::OpenQuery(TQuery* query, const std::vector<String>& lines)
{
    String joined;
    for (const String& line : lines)
        joined += (joined.empty() ? "" : "\r\n") + line;
    try {
        query->Close();
        query->SQL.Clear();
        for (const String& line : lines)
            query->SQL.Add(line);
        query->Open();
        query->First();
        return true;
    } catch (const std::exception& e) {
        MessageDlg("Error in query.\rSQL= \"" + joined + "\", Message= \"" + e.what() + "\"", mtError, {mbOK}, 0);
        return false;
    }
}

bool TdmQuelm::QuerySubstanceOfRun(int runId, TQuery* query)
{
    return OpenQuery(query, {"SELECT Substances.*",
                             "FROM Substances INNER JOIN Runs ON Substances.SubstanceCode = Runs.SubstanceCode",
                             "WHERE Runs.RunID=" + RunKey(runId)});
}

bool TdmQuelm::QueryApplicationsAbsolute(int runId, TQuery* query)
{
    return OpenQuery(query, {"SELECT ApplicationsAbsolute.*",
                             "FROM (ApplicationSchemes INNER JOIN Runs ON ApplicationSchemes.ApplicationSchemeCode = "
                             "Runs.ApplicationSchemeCode)",
                             "INNER JOIN ApplicationsAbsolute ON ApplicationSchemes.ApplicationSchemeCode = "
                             "ApplicationsAbsolute.ApplicationSchemeCode",
                             "WHERE RunID=" + RunKey(runId), "ORDER BY ApplicationsAbsolute.MDate"});
}

bool TdmQuelm::QueryApplicationsRelative(int runId, TQuery* query)
{
    return OpenQuery(query, {"SELECT ApplicationsRelative.*",
                             "FROM (ApplicationSchemes INNER JOIN Runs ON ApplicationSchemes.ApplicationSchemeCode = "
                             "Runs.ApplicationSchemeCode)",
                             "INNER JOIN ApplicationsRelative ON ApplicationSchemes.ApplicationSchemeCode = "
                             "ApplicationsRelative.ApplicationSchemeCode",
                             "WHERE RunID=" + RunKey(runId), "ORDER BY ApplicationsRelative.CropCalendarSeqNo"});
}

bool TdmQuelm::QueryCntSysEql(int runId, TQuery* query)
{
    return OpenQuery(query, {"SELECT *", "FROM CntSysEql", "WHERE RunID=" + RunKey(runId), "ORDER BY Z"});
}

bool TdmQuelm::QueryCntSysNeq(int runId, TQuery* query)
{
    return OpenQuery(query, {"SELECT *", "FROM CntSysNeq", "WHERE RunID=" + RunKey(runId), "ORDER BY Z"});
}

bool TdmQuelm::QueryCrop(const String& cropCode, TQuery* query)
{
    return OpenQuery(query, {"SELECT * ", "FROM Crops ", "WHERE CropCode=" + QuotedStr(cropCode)});
}

bool TdmQuelm::QueryCropRootDensities(const String& cropCode, TQuery* query)
{
    return OpenQuery(query,
                     {"SELECT *", "FROM CropRootDensities", "WHERE CropCode=" + QuotedStr(cropCode) + " ORDER BY RelativeDepth"});
}

bool TdmQuelm::QueryCalendarCrops(const String& calendarCode, TQuery* query)
{
    return OpenQuery(query, {"SELECT * ", "FROM CultivationSequencexCropsA ",
                             "WHERE CultivationSequenceCode=" + QuotedStr(calendarCode), "ORDER BY CultivationSeqNo"});
}

bool TdmQuelm::QueryCropStages(int calendarCropId, TQuery* query)
{
    return OpenQuery(query, {"SELECT CultivationSequencexCropsB.*", "FROM CultivationSequencexCropsB ",
                             "WHERE CultivationSequencexCropID=" + IntToStr(calendarCropId), "ORDER BY Developmentstage"});
}

bool TdmQuelm::QueryDepositions(const String& schemeCode, TQuery* query)
{
    return OpenQuery(query, {"SELECT MDate, FlmDep", "FROM Depositions",
                             "WHERE DepositionSchemeCode=" + QuotedStr(schemeCode), "ORDER BY MDate"});
}

bool TdmQuelm::QueryDrainages(const String& locationCode, TQuery* query)
{
    return OpenQuery(query, {"SELECT Drainages.*",
                             "FROM Locations INNER JOIN Drainages ON Locations.LocationCode = Drainages.LocationCode",
                             "WHERE (((Locations.LocationCode)=" + QuotedStr(locationCode) + "))", "ORDER BY DrainageLevel"});
}

bool TdmQuelm::QueryIrrigationTypeOfRun(int runId, TQuery* query)
{
    return OpenQuery(query, {"SELECT IrrigationSchemes.IrrigationTypeCode AS IRRIGATIONTYPECODE,Runs.IrrigationSchemeCode AS IRRIGATIONSCHEMECODE",
                             "FROM IrrigationSchemes INNER JOIN Runs ON IrrigationSchemes.IrrigationSchemeCode = "
                             "Runs.IrrigationSchemeCode",
                             "WHERE Runs.RunID=" + RunKey(runId)});
}

bool TdmQuelm::QueryDirichletSeries(const String& locationCode, TQuery* query)
{
    return OpenQuery(query, {"SELECT LocationLboDirichletTS.MDate AS MDATE, LocationLboDirichletTS.MValue AS MVALUE",
                             "FROM Locations INNER JOIN LocationLboDirichletTS ON Locations.LocationCode = "
                             "LocationLboDirichletTS.LocationCode",
                             "WHERE (((Locations.LocationCode)=" + QuotedStr(locationCode) + "))",
                             "ORDER BY LocationLboDirichletTS.MDate"});
}

bool TdmQuelm::QueryGroundwaterSeries(const String& locationCode, TQuery* query)
{
    return OpenQuery(query, {"SELECT LocationLboGroundWaterTS.MDate AS MDATE, LocationLboGroundWaterTS.GrwLev AS GRWLEV",
                             "FROM Locations,LocationLboGroundWaters,LocationLboGroundWaterTS",
                             "WHERE Locations.LocationCode=" + QuotedStr(locationCode) + " AND",
                             "  Locations.LocationCode = LocationLboGroundWaters.LocationCode AND",
                             "  LocationLboGroundWaters.LocationCode = LocationLboGroundWaterTS.LocationCode",
                             "ORDER BY LocationLboGroundWaterTS.MDate"});
}

bool TdmQuelm::QueryLocationOfRun(int runId, TQuery* query)
{
    return OpenQuery(query, {"SELECT Locations.* FROM Locations,Runs", "WHERE Runs.RunID=" + RunKey(runId) + " AND",
                             "Runs.LocationCode=Locations.LocationCode"});
}

bool TdmQuelm::QueryMeteoStationOfRun(int runId, TQuery* query)
{
    return OpenQuery(query, {"SELECT MeteoStations.MeteoStationCode AS METEOSTATIONCODE, MeteoStations.Latitude AS LATITUDE, "
                             "MeteoStations.Altitude AS ALTITUDE",
                             "FROM MeteoStations INNER JOIN (Locations INNER JOIN Runs ON Locations.LocationCode = "
                             "Runs.LocationCode)",
                             " ON MeteoStations.MeteoStationCode = Locations.MeteoStationCode",
                             "WHERE Runs.RunID=" + RunKey(runId)});
}

bool TdmQuelm::QueryOutputDepths(int runId, TQuery* query)
{
    return OpenQuery(query, {"SELECT RunPrintOutputDepths.OutputDepth AS OUTPUTDEPTH",
                             "FROM Runs INNER JOIN RunPrintOutputDepths ON Runs.RunID = RunPrintOutputDepths.RunID",
                             "WHERE Runs.RunID=" + RunKey(runId) + " ORDER BY OutputDepth"});
}

bool TdmQuelm::QueryPrintVariables(int runId, TQuery* query)
{
    return OpenQuery(query, {"SELECT RunPrintVariables.*",
                             "FROM Runs INNER JOIN RunPrintVariables ON Runs.RunID = RunPrintVariables.RunID",
                             "WHERE Runs.RunID=" + RunKey(runId)});
}

bool TdmQuelm::QueryVertProfDates(int runId, TQuery* query)
{
    return OpenQuery(query, {"SELECT RunPrintVertProfDates.*",
                             "FROM Runs INNER JOIN RunPrintVertProfDates ON Runs.RunID = RunPrintVertProfDates.RunID",
                             "WHERE Runs.RunID=" + RunKey(runId)});
}

bool TdmQuelm::QuerySoilHorizonsOfRun(int runId, TQuery* query)
{
    return OpenQuery(query,
                     {"SELECT Locations.SoilProfileCode AS SOILPROFILECODE,Locations.LocationCode AS LOCATIONCODE, "
                      "Locations.ZPndMax AS ZPNDMAX,",
                      "SoilProfiles.FacEvpSol AS FACEVPSOL, SoilProfiles.CofRedEvp AS COFREDEVP, "
                      "SoilProfilesxSoilBuildingBlocks.HorizonSeqNo AS HORIZONSEQNO,",
                      "SoilProfilesxSoilBuildingBlocks.Thickness AS THICKNESS, "
                      "SoilProfilesxSoilBuildingBlocks.CompartmentCnt AS COMPARTMENTCNT,",
                      "SoilProfilesxSoilBuildingBlocks.LenDisLiq AS LENDISLIQ, SoilBuildingBlocks.*",
                      "FROM SoilBuildingBlocks INNER JOIN ((SoilProfiles INNER JOIN (Locations INNER JOIN Runs",
                      "ON Locations.LocationCode = Runs.LocationCode) ON SoilProfiles.SoilProfileCode = "
                      "Locations.SoilProfileCode)",
                      "INNER JOIN SoilProfilesxSoilBuildingBlocks ON ",
                      "SoilProfiles.SoilProfileCode = SoilProfilesxSoilBuildingBlocks.SoilProfileCode) ON ",
                      "SoilBuildingBlocks.SoilBuildingBlockCode = SoilProfilesxSoilBuildingBlocks.SoilBuildingBlockCode",
                      "WHERE Runs.RunID=" + RunKey(runId) + " ORDER BY SoilProfilesxSoilBuildingBlocks.HorizonSeqNo"});
}

bool TdmQuelm::QuerySubstance(const String& substanceCode, TQuery* query)
{
    return OpenQuery(query, {"SELECT *", "FROM Substances", "WHERE SubstanceCode=" + QuotedStr(substanceCode)});
}

bool TdmQuelm::QueryTransformations(const String& parentCode, TQuery* query)
{
    return OpenQuery(query, {"SELECT *", "FROM SubstanceTransformations", "WHERE SubstanceCodeIn=" + QuotedStr(parentCode)});
}

bool TdmQuelm::QueryDaughters(const String& parentCode, TQuery* query)
{
    return OpenQuery(query, {"SELECT SubstanceCodeOut, FraPrtDau", "FROM SubstanceTransformations",
                             "WHERE SubstanceCodeIn=" + QuotedStr(parentCode)});
}

bool TdmQuelm::QueryTillagesOfRun(int runId, TQuery* query)
{
    return OpenQuery(query, {"SELECT Tillages.*", "FROM Runs,TillageSchemes,Tillages", "WHERE RunID=" + RunKey(runId) + " AND",
                             "      Runs.TillageSchemeCode=TillageSchemes.TillageSchemeCode AND",
                             "      TillageSchemes.TillageSchemeCode=Tillages.TillageSchemeCode"});
}

bool TdmQuelm::QuerySoilProfileDetail(const String& detailTable, const String& soilProfileCode, TQuery* query)
{
    return OpenQuery(query, {"SELECT " + detailTable + ".*",
                             "FROM SoilProfiles INNER JOIN " + detailTable + " ON SoilProfiles.SoilProfileCode = " +
                                 detailTable + ".SoilProfileCode",
                             "WHERE SoilProfiles.SoilProfileCode=" + QuotedStr(soilProfileCode)});
}

String TdmQuelm::EvaporationOptionOfRun(int runId)
{
    std::unique_ptr<TQuery> query(NewQuery());
    if (!OpenQuery(query.get(), {"SELECT MeteoStations.EvaporationOptionCode AS EVAPORATIONOPTIONCODE",
                                 "FROM MeteoStations INNER JOIN (Locations INNER JOIN Runs ON",
                                 "Locations.LocationCode = Runs.LocationCode) ON MeteoStations.MeteoStationCode = "
                                 "Locations.MeteoStationCode",
                                 "WHERE Runs.RunID=" + RunKey(runId)}))
        return String();
    return query->IsEmpty() ? String() : query->Fields(0)->AsString();
}

String TdmQuelm::DateFormatOfRun(int runId)
{
    std::unique_ptr<TQuery> query(NewQuery());
    query->SQL.Add("SELECT OptDateFormats.Description AS DESCRIPTION");
    query->SQL.Add("FROM OptDateFormats INNER JOIN Runs ON OptDateFormats.OptDateFormatCode = Runs.OptDateFormatCode");
    query->SQL.Add("WHERE Runs.RunID=" + RunKey(runId));
    query->Open();
    return query->FieldByName("DESCRIPTION")->AsString();
}

String TdmQuelm::SubstanceCodeOfRun(int runId)
{
    std::unique_ptr<TQuery> query(NewQuery());
    if (!QuerySubstanceOfRun(runId, query.get()))
        return String();
    return query->FieldByName("SUBSTANCECODE")->AsString();
}

String TdmQuelm::PrintVariableName(const String& name)
{
    std::unique_ptr<TQuery> query(NewQuery());
    query->SQL.Add("SELECT VARIABLENAME");
    query->SQL.Add("FROM RUNPRINTVARIABLESDICTIONARY");
    query->SQL.Add("WHERE UPPER(VARIABLENAME)=" + QuotedStr(UpperCase(name)));
    query->Open();
    return query->IsEmpty() ? String() : query->FieldByName("VARIABLENAME")->AsString();
}

String TdmQuelm::DayMonthOfDateInYear(const String& dateInYear)
{
    std::unique_ptr<TQuery> query(NewQuery());
    query->SQL.Add("SELECT MonthShortEnglish,DayInMonth FROM DateTimeCounting WHERE DateInYear=" + QuotedStr(dateInYear));
    query->Prepare();
    query->Open();
    if (query->IsEmpty())
        return String();
    const int day = query->FieldByName("DAYINMONTH")->AsInteger();
    return (day <= 9 ? "0" : "") + IntToStr(day) + "-" + query->FieldByName("MONTHSHORTENGLISH")->AsString();
}

int TdmQuelm::NewKeyValue(const String& tableName, const String& keyField)
{
    // An empty table has no maximum; its first key is 1.
    return QueryIntegerValue(dbDatabase->DatabaseName(),
                             "SELECT MAX(" + keyField + ") AS MVALUE FROM " + tableName) + 1;
}

template <class T, class Convert>
T TdmQuelm::Lookup(TTable* table, const String& keyText, const String& field, const String& keyField, T none,
                   Convert convert)
{
    TQuery query;
    query.DatabaseName = table->DatabaseName;
    query.SQL.Add("Select " + field + " from " + table->TableName);
    query.SQL.Add("where " + keyField + " = " + keyText);
    query.Open();
    if (query.IsEmpty() || query.Fields(0)->IsNull())
        return none;
    return convert(*query.Fields(0));
}

Variant TdmQuelm::LookupValueByCode(TTable* table, const String& key, const String& field, const String& keyField)
{
    return Lookup<Variant>(table, key, field, keyField, Variant(), [](TField& f) { return f.Value(); });
}

Variant TdmQuelm::LookupValue(TTable* table, int key, const String& field, const String& keyField)
{
    return Lookup<Variant>(table, IntToStr(key), field, keyField, Variant(), [](TField& f) { return f.Value(); });
}

String TdmQuelm::LookupString(TTable* table, int key, const String& field, const String& keyField)
{
    return Lookup<String>(table, IntToStr(key), field, keyField, String(), [](TField& f) { return f.AsString(); });
}

String TdmQuelm::LookupStringByCode(TTable* table, const String& key, const String& field, const String& keyField)
{
    return Lookup<String>(table, QuotedStr(key), field, keyField, String(), [](TField& f) { return f.AsString(); });
}

int TdmQuelm::LookupInteger(TTable* table, int key, const String& field, const String& keyField)
{
    return Lookup<int>(table, IntToStr(key), field, keyField, 0, [](TField& f) { return f.AsInteger(); });
}

double TdmQuelm::LookupFloat(TTable* table, int key, const String& field, const String& keyField)
{
    return Lookup<double>(table, IntToStr(key), field, keyField, 0.0, [](TField& f) { return f.AsFloat(); });
}

double TdmQuelm::LookupFloatByCode(TTable* table, const String& key, const String& field, const String& keyField)
{
    return Lookup<double>(table, QuotedStr(key), field, keyField, 0.0, [](TField& f) { return f.AsFloat(); });
}

double TdmQuelm::LookupDate(TTable* table, int key, const String& field, const String& keyField)
{
    return LookupFloat(table, key, field, keyField);
}

bool TdmQuelm::LookupYesNo(TTable* table, int key, const String& field, const String& keyField)
{
    return Lookup<bool>(table, IntToStr(key), field, keyField, false,
                        [](TField& f) { return UpperCase(f.AsString()) == "YES"; });
}

bool TdmQuelm::LookupYesNoByCode(TTable* table, const String& key, const String& field, const String& keyField)
{
    return Lookup<bool>(table, QuotedStr(key), field, keyField, false,
                        [](TField& f) { return UpperCase(f.AsString()) == "YES"; });
}
