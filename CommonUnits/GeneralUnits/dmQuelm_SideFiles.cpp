// The side files of a run that come from the database: the irrigation and the meteo file.
#include "CommonUnits/GeneralUnits/dmQuelm_Unit.h"

#include "CommonUnits/GeneralUnits/QuelmFileUtils.h"
#include "CommonUnits/GeneralUnits/Utils_Format_Unit.h"
#include "platform/rtl/FileUtils.h"

void TdmQuelm::WriteIrrigationFile(const String& irrigationSchemeCode)
{
    std::unique_ptr<TQuery> query(NewQuery());
    query->SQL.Add("SELECT Irrigations.MDate AS MDATE, Irrigations.Amount AS AMOUNT");
    query->SQL.Add("FROM IrrigationSchemes INNER JOIN Irrigations ON IrrigationSchemes.IrrigationSchemeCode = "
                   "Irrigations.IrrigationSchemeCode");
    query->SQL.Add("WHERE Irrigations.IrrigationSchemeCode=" + QuotedStr(irrigationSchemeCode));
    query->SQL.Add("ORDER BY Irrigations.MDate");
    query->Prepare();
    query->Open();
    // Written under a temporary name and renamed when complete: a run never finds a partial
    // file under the name it refers to.
    const String path = JoinPath(GetWorkDir(), irrigationSchemeCode + ".irr");
    const String temporary = path + ".part";
    try {
        TTextWriter file(temporary, lbCRLF);
        file.WriteLine("table IrrTab (mm)");
        for (query->First(); !query->Eof(); query->Next())
            file.WriteLine(PadRight(FormatDateDMY(query->FieldByName("MDATE")->AsDateTime()), 15) + " " +
                           query->FieldByName("AMOUNT")->AsString());
        file.WriteLine("end_table");
        file.Close();
        if (!RenameFile(temporary, path))
            throw EInOutError("Cannot write the file " + path);
    } catch (...) {
        DeleteFile(temporary);
        DeleteFile(path);
        throw;
    }
}

String TdmQuelm::WriteMeteoFile(const String& meteoStationCode)
{
    // Written under a temporary name and renamed when complete; a failure leaves no file
    // under the name, so no run refers to a partial or stale weather file.
    const String path = JoinPath(GetWorkDir(), meteoStationCode + ".met");
    const String temporary = path + ".part";
    try {
        TTextWriter file(temporary, lbCRLF);
        const String quoted = "'" + meteoStationCode + "'";
        file.WriteLine(StringOfChar('*', 74));
        file.WriteLine("* Contents: Meteo data of " + PadRight(quoted, 13) + " weather station");
        const TDateTime now = Now();
        file.WriteLine("* " + DateToStr(now) + " " + TimeToStr(now));
        file.WriteLine(StringOfChar('*', 75));
        file.WriteLine("*   Station   DD MM YYYY     RAD   Tmin   Tmax    HUM   WIND   RAIN   ETref");
        file.WriteLine("*             nr nr   nr   kJ/m2      C      C    kPa    m/s     mm      mm");
        qryMeteoData->DisableControls();
        try {
            qryMeteoData->Close();
            qryMeteoData->ParamByName("qName")->SetAsString(meteoStationCode);
            qryMeteoData->Open();
            struct Column {
                const char* field;
                int width;
            };
            static const Column columns[] = {{"RDD", 9}, {"TMMN", 7}, {"TMMX", 7}, {"VP", 7},
                                             {"WN", 7},  {"RAIN", 7}, {"ETREF", 8}};
            // The fields are looked up once: a station may hold decades of days.
            const TField* date = qryMeteoData->FieldByName("MDATE");
            std::vector<const TField*> values;
            for (const Column& c : columns)
                values.push_back(qryMeteoData->FieldByName(c.field));
            const String station = PadRight(quoted, 13);
            for (qryMeteoData->First(); !qryMeteoData->Eof(); qryMeteoData->Next()) {
                int year = 0, month = 0, day = 0;
                DecodeDate(date->AsDateTime(), year, month, day);
                String line = station + IntFieldRight(day, 3) + IntFieldRight(month, 3) + IntFieldRight(year, 5);
                for (size_t i = 0; i < values.size(); ++i)
                    line += FloatFieldRight(values[i]->AsFloat(), columns[i].width);
                file.WriteLine(line);
            }
            qryMeteoData->Close();
        } catch (...) {
            qryMeteoData->EnableControls();
            throw;
        }
        qryMeteoData->EnableControls();
        file.Close();
        if (!RenameFile(temporary, path))
            throw EInOutError("Cannot write the file " + path);
    } catch (const std::exception&) {
        DeleteFile(temporary);
        DeleteFile(path);
        return String();
    }
    return ExpandFileName(path);
}
