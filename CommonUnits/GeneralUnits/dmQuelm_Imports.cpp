// Imports of a lower-boundary time series from a text file: the whole file is checked before
// the old series is replaced, in one transaction.
#include "CommonUnits/GeneralUnits/dmQuelm_Unit.h"

#include "CommonUnits/GeneralUnits/DxTxtFle.h"
#include "CommonUnits/GeneralUnits/TDBConnector_Unit.h"
#include "CommonUnits/GeneralUnits/Utils_Sql_Unit.h"
#include "platform/framework/Dialogs.h"
#include "platform/framework/Forms.h"
#include "platform/rtl/SysUtils.h"
#include "platform/win/WinEnvironment.h"

struct TdmQuelm::TImportKind {
    const char* intro;         // the first line after "Important:"
    const char* lines[4];      // items 1), 3), 5) and 7)
    const char* example;       // "A ... on the 5th of February 2002"
    const char* dialogTitle;
    TTable* TdmQuelm::*head;
    TTable* TdmQuelm::*series;
    const char* seriesTable;
    const char* valueField;
};

String ReadSeriesImportFile(const String& fileName, std::vector<TSeriesImportRow>& rows)
{
    rows.clear();
    TDxTextFile file(fileName);
    file.SetSeparator("");
    bool inData = false;
    int lineNo = 0;
    while (file.ReadLine()) {
        ++lineNo;
        const TDxLine& line = file.Line();
        if (line.FieldCount() == 0)
            continue; // an empty line carries nothing
        if (!inData && line.Field(1).compare(0, 1, "*") == 0)
            continue;
        inData = true;
        const String where = Format("Line %d of the file \"%s\" cannot be imported: ", {lineNo, fileName});
        if (line.FieldCount() < 4)
            return where + "it must hold a day, a month, a year and a value.";
        int part[3] = {0, 0, 0};
        for (int i = 0; i < 3; ++i)
            if (!TryStrToInt(line.Field(i + 1), part[i]) || part[i] < 0 || part[i] > 65535)
                return where + "'" + line.Field(i + 1) + "' is not a valid day, month or year.";
        TSeriesImportRow row{lineNo, 0, line.Field(4)};
        double value = 0;
        if (!TryEncodeDate(part[2], part[1], part[0], row.day))
            return where + Format("%d %d %d is not a valid date.", {part[0], part[1], part[2]});
        if (!TryStrToFloat(row.value, value))
            return where + "'" + row.value + "' is not a valid number.";
        rows.push_back(row);
    }
    if (rows.empty())
        return "The file \"" + fileName + "\" holds no data lines; nothing was imported.";
    return String();
}

void TdmQuelm::ImportSeries(const TImportKind& kind, const String& locationCode)
{
    String text = "Important:\r";
    text += String(kind.intro) + "\r";
    text += "selected location: " + locationCode + "\r \r";
    text += "Also make sure each line of the input file contains: \r";
    text += String(kind.lines[0]) + "\r2) one or more space characters,\r" + kind.lines[1] +
            "\r4) one or more space characters,\r" + kind.lines[2] + "\r6) one or more space characters,\r" +
            kind.lines[3] + "\r \r";
    text += String(kind.example) + "\rwould be given like:\r5    2    2002    -100\rin the input file.\r \r";
    text += "Don't use tabs or commas, and remove all empty lines from the file.\r \r";
    text += "Do you want to proceed importing data ?\r";
    if (MessageDlg(text, mtConfirmation, mbYesNo, 0) != mrYes)
        return;
    TOpenFileRequest request;
    request.Title = kind.dialogTitle;
    request.InitialDir = GetEnvironmentVariable("HOME").value_or("/"); // the user's home folder stands for the root of the system drive
    request.Filter = "Text files (*.txt) |*.TXT|All files (*.*)|*.*";
    if (!ExecuteOpenFileDialog(request))
        return;
    if (Screen)
        Screen->SetCursor(crHourGlass);

    // The whole file is read and checked before the old series is touched, and the series is
    // replaced in one transaction: a bad line leaves the old series as it was.
    std::vector<TSeriesImportRow> rows;
    const String problem = ReadSeriesImportFile(request.FileName, rows);
    if (!problem.empty()) {
        MessageDlg(problem + " The existing data are unchanged.", mtError, {mbOK}, 0);
        return;
    }
    TTable* head = this->*kind.head;
    TTable* series = this->*kind.series;
    int current = 0;
    try {
        TTransactionScope transaction(dbDatabase);
        series->Close();
        ExecSql(dbDatabase->DatabaseName(),
                String("DELETE FROM ") + kind.seriesTable + " where LocationCode=" + QuotedStr(locationCode));
        series->Open();
        head->Locate("LOCATIONCODE", ToQString(locationCode), loCaseInsensitive);
        for (const TSeriesImportRow& row : rows) {
            current = row.line;
            ConfirmOff();
            series->Insert();
            series->FieldByName("LOCATIONCODE")->SetAsString(locationCode);
            series->FieldByName("MDATE")->SetAsDateTime(row.day);
            series->FieldByName(kind.valueField)->SetAsString(row.value);
            series->Post();
        }
        transaction.Commit();
    } catch (const std::exception& e) {
        ConfirmOn();
        if (series->State() == dsEdit || series->State() == dsInsert)
            series->Cancel();
        series->Close();
        series->Open();
        MessageDlg(Format("Line %d of the file \"%s\" cannot be imported: %s The existing data are unchanged.",
                          {current, request.FileName, String(e.what())}),
                   mtError, {mbOK}, 0);
        return;
    }
    MessageDlg("Imported: " + IntToStr(static_cast<int64_t>(rows.size())) + " record(s)", mtInformation, {mbOK}, 0);
}

void TdmQuelm::ImportGroundwaterLevels(const String& locationCode)
{
    static const TImportKind kind = {
        "Importing Groundwater data will erase any existing groundwater data for the",
        {"1) the day number within the month of the groundwater level,",
         "3) the month number within the year of the groundwater level,", "5) the year of the groundwater level,",
         "7) the groundwater level in cm (below soil surface is negative)."},
        "A groundwater level of 1 m below the soil surface on the 5th of February 2002",
        "Import groundwater level data",
        &TdmQuelm::tblLocLboGroundWaters,
        &TdmQuelm::tblLocLboGroundWaterTS,
        "LOCATIONLBOGROUNDWATERTS",
        "GRWLEV"};
    ImportSeries(kind, locationCode);
}

void TdmQuelm::ImportPressureHeads(const String& locationCode)
{
    static const TImportKind kind = {
        "Importing Pressure head at the lower boundary data will erase any existing pressure head data for the",
        {"1) the day number within the month of the pressure head value,",
         "3) the month number within the year of the pressure head value,", "5) the year of the pressure head value,",
         "7) the pressure head value at the lower boundary in cm."},
        "A pressure head of -100 cm on the 5th of February 2002",
        "Import pressure head data",
        &TdmQuelm::tblLocLboDirichlets,
        &TdmQuelm::tblLocLboDirichletTS,
        "LOCATIONLBODIRICHLETTS",
        "MVALUE"};
    ImportSeries(kind, locationCode);
}
