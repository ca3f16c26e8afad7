#include "CommonUnits/GeneralUnits/secLBO.h"

#include "CommonUnits/GeneralUnits/QuelmFileUtils.h"
#include "CommonUnits/GeneralUnits/dmQuelm_Unit.h"

#include "platform/framework/Dialogs.h"

#include <memory>

namespace {

const String kFromGroundwater = "FROM LOCATIONLBOGROUNDWATERTS WHERE LOCATIONCODE=";

// The first column of a one-row SQL result, or nothing when the query yields no row.
bool ScalarOf(const String& sql, Variant& value)
{
    std::unique_ptr<TQuery> q(dmQuelm->OpenSql(sql));
    if (!q || q->IsEmpty())
        return false;
    value = q->Fields(0)->Value();
    return true;
}

// The level measured on a date found just before; a missing row is an internal error
// reported once, and its level taken as 0.
double LevelOn(const String& quotedLocation, const String& quotedDate)
{
    Variant v;
    if (!ScalarOf("SELECT GRWLEV AS MVALUE " + kFromGroundwater + quotedLocation + " AND   MDATE=" + quotedDate, v)) {
        MessageDlg("Internal error", mtError, {mbOK}, 0);
        return 0.0;
    }
    return v.toDouble();
}

// The nearest measurement on one side of the date ("<=" or ">="), when there is one.
bool NearestMeasurement(const String& quotedLocation, const String& quotedDate, const char* compare,
                        const char* aggregate, TDateTime& when, double& level)
{
    const String where = quotedLocation + " AND   MDATE" + compare + quotedDate;
    Variant v;
    if (!ScalarOf("SELECT COUNT(*) AS MVALUE " + kFromGroundwater + where, v) || v.toLongLong() < 1)
        return false;
    std::unique_ptr<TQuery> q(dmQuelm->OpenSql("SELECT " + String(aggregate) + "(MDATE) AS MVALUE " +
                                               kFromGroundwater + where));
    when = q->Fields(0)->AsDateTime();
    level = LevelOn(quotedLocation, SqlDateLiteral(when));
    return true;
}

void WriteBoundaryRow(TTextWriter& file, TDateTime date, double value)
{
    file.WriteLine(PadRight(FormatDateDMY(date), 8) + FloatField(value, 10));
}

} // namespace

double InterpolateGroundwaterLevel(const String& locationCode, TDateTime date)
{
    const String location = QuotedStr(locationCode);
    const String quotedDate = SqlDateLiteral(date);
    TDateTime before = 0, after = 0;
    double levelBefore = -99.0, levelAfter = -99.0;
    const bool hasBefore = NearestMeasurement(location, quotedDate, "<=", "MAX", before, levelBefore);
    const bool hasAfter = NearestMeasurement(location, quotedDate, ">=", "MIN", after, levelAfter);
    if (hasBefore && hasAfter) {
        if (before == after)
            return levelBefore;
        return levelBefore + (date - before) * (levelAfter - levelBefore) / (after - before);
    }
    if (hasBefore)
        return levelBefore;
    return levelAfter;
}

void TSectionLBO::WriteBody(TStrings* list, int runId)
{
    if (list == nullptr)
        return;
    TTable* runs = dmQuelm->tblRuns;
    const String location = dmQuelm->LookupString(runs, runId, "LocationCode", "RunID");
    const String lbo = dmQuelm->LookupStringByCode(dmQuelm->tblLocations, location, "LboNameCode", "LocationCode");
    auto lboReal = [&](TTable* table, const char* field) {
        return RealText(dmQuelm->LookupFloatByCode(table, location, field, "LocationCode"));
    };
    auto lboText = [&](TTable* table, const char* field) {
        return dmQuelm->LookupStringByCode(table, location, field, "LocationCode");
    };
    auto lboDayMonth = [&](TTable* table, const char* field) {
        return dmQuelm->DayMonthOfDateInYear(lboText(table, field));
    };

    std::unique_ptr<TQuery> series(dmQuelm->NewQuery());
    String initialLevel;
    if (lbo == "GrwLev") {
        dmQuelm->QueryGroundwaterSeries(location, series.get());
        // A measured groundwater level needs measurements: without them the boundary file
        // would carry the placeholder level -99 for the whole run.
        if (!series->Active() || series->IsEmpty())
            throw Exception("The lower boundary of location " + location +
                            " is a measured groundwater level, but the location has no groundwater level "
                            "measurements. Import or enter them before calculating the run.");
        series->First();
        initialLevel = FieldText(series.get(), "GRWLEV");
    } else {
        initialLevel = dmQuelm->LookupString(runs, runId, "ZGrwLevSta", "RunID");
    }
    list->Add(KeyLine(initialLevel, "ZGrwLevSta (cm)"));
    list->Add("");
    list->Add(KeyLine(lbo, "OptLbo"));

    if (lbo == "GrwLev" || lbo == "Dirichlet") {
        list->Add(KeyLine(IntToStr(runId), "LowerBoundaryFile"));
        TTextWriter file(JoinPath(GetWorkDir(), IntToStr(runId) + ".bot"), lbCRLF);
        if (lbo == "Dirichlet") {
            file.WriteLine("table h (cm)");
            dmQuelm->QueryDirichletSeries(location, series.get());
            if (series->Active())
                for (series->First(); !series->Eof(); series->Next())
                    WriteBoundaryRow(file, series->FieldByName("MDATE")->AsDateTime(), FieldFloat(series.get(), "MVALUE"));
        } else {
            const TDateTime start = dmQuelm->LookupDate(runs, runId, "TimStart", "RunID");
            const TDateTime end = dmQuelm->LookupDate(runs, runId, "TimEnd", "RunID");
            file.WriteLine("table GrwLev (cm)");
            WriteBoundaryRow(file, start, InterpolateGroundwaterLevel(location, start));
            for (series->First(); !series->Eof(); series->Next()) {
                const TDateTime when = series->FieldByName("MDATE")->AsDateTime();
                if (start < when && when < end)
                    WriteBoundaryRow(file, when, FieldFloat(series.get(), "GRWLEV"));
            }
            WriteBoundaryRow(file, end, InterpolateGroundwaterLevel(location, end));
        }
        file.WriteLine("end_table");
        file.Close();
    } else if (lbo == "Flux") {
        TTable* sines = dmQuelm->tblLocLboFluxSines;
        list->Add(KeyLine(lboReal(sines, "FlvLiqLboAvg"), "FlvLiqLboAvg (m.a-1)"));
        list->Add(KeyLine(lboReal(sines, "FlvLiqLboAmp"), "FlvLiqLboAmp (m.a-1)"));
        list->Add(KeyLine(lboDayMonth(sines, "DateInYrFlvLiqLboMax"), "DayFlvLiqLboMax"));
        list->Add(KeyLine("Sine", "OptBotFlux"));
    } else if (lbo == "Cauchy") {
        TTable* heads = dmQuelm->tblLocLboHeads;
        list->Add(KeyLine(UpperCase(lboText(heads, "OptShapeGrwLev")), "OptShapeGrwLev"));
        list->Add(KeyLine(lboReal(heads, "HeaDraBase"), "HeaDraBase (m)"));
        list->Add(KeyLine(lboReal(heads, "RstAqt"), "RstAqt (d)"));
        list->Add(KeyLine(lboReal(heads, "HeaAqfAvg"), "HeaAqfAvg (m)"));
        list->Add(KeyLine(lboReal(heads, "HeaAqfAmp"), "HeaAqfAmp (m)"));
        list->Add(KeyLine(lboDayMonth(heads, "DateInYrHeaAqfMax"), "DayHeaAqfMax (d)"));
    } else if (lbo == "FncGrwLev") {
        TTable* qhs = dmQuelm->tblLocLboQHs;
        list->Add(KeyLine(lboReal(qhs, "CofFncGrwLev"), "CofFncGrwLev (m.d-1)"));
        list->Add(KeyLine(lboReal(qhs, "ExpFncGrwLev"), "ExpFncGrwLev (m-1)"));
    }
}
