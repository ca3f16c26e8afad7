#include "CommonUnits/GeneralUnits/TfrmDBUpdate_Unit.h"

#include "CommonUnits/GeneralUnits/QuelmFileUtils.h"
#include "CommonUnits/GeneralUnits/TVersionInfo_Unit.h"
#include "platform/framework/Dialogs.h"
#include "platform/rtl/FileUtils.h"

#include <cmath>

namespace {

const char* const kStepTitles[] = {
    "Update test",
    "Adding ZPnd part 1",
    "Adding ZPnd part 2",
    "Adding ZPnd part 3",
    "Adding ZPnd part 4",
    "Correcting error in lowerboundary condition JORVIKEN",
    "Changing Report data part 1",
    "Changing Report data part 2",
    "Changing Report data part 3",
    "Changing Report data part 4",
    "Changing Report data part 5",
    "Correcting morvasetfile 1",
    "Correcting morvasetfile 2",
    "Adding duplication message Substances code",
    "Adding duplication message Substances name",
    "Change PreHeaIrrSta part 1",
    "Change PreHeaIrrSta part 2",
    "Change PreHeaIrrSta part 3",
    "Change PreHeaIrrSta part 4",
    "Adding record constraint crops",
    "Adding record constraint crop calendar",
    "Adding record constraint drainages",
    "Adding record constraint soil building blocks",
    "Change of error message",
    "Changed output variable volume flux of groundwater recharge",
    "Change output variable substance concentrations in drainage water",
    "Change PenmanMonteith evaporation to Penman",
    "Delete PenmanMonteith evaporation option",
    "Delete water balance error part 1",
    "Delete water balance error part 2",
    "Delete water balance error part 3",
    "Unit change pressure head boundary condition",
    "Change of GraphTemplates",
    "Adding standard soil building blocks",
    "Add column to system table",
    "Adjust valid range of HLim values",
    "Changed 'There' and 'NotThere' into 'Available' and 'NotAvailable'",
    "Correction of Pressure Head display unit",
    "Correct flags for Cultivationsequences",
    "Truncation to 250 characters of all Comments fields",
    "Change e-mail support address",
    "Shorten Locations.MeteoStationCode",
    "Change ModelErrorText to 2000 characters",
    "Shorten DepthDependentSubstProperties.SubstanceCode",
    "Shorten MeteoData.MeteoStationCode",
    "Change lowerboundary of Sarnela",
    "Change Soybeen into Soybean",
    "Change of unit of FlvLiqGrw",
    "Change of unit of StoCap",
    "Change QUELM Website address",
    "Change in uppercase of constraint codes",
    "Change of ThetaRes valid range",
    "Add print_AvoLiqSol",
    "Change e-mail support address",
    "Correction of LAI for Apples in Pelmar",
    "Change in website and email address",
    "Change of name of national standard scenario",
    "Change of name of national standard scenario in project table",
    "Change in valid range of Crop Wash-off factor",
    "Change in constraint text",
    "Add irrigation threshold",
    "Add irrigation periods",
    "Set Morva data for irrigation period",
    "Correct rooting depth for all crops",
    "Replace MORVA irrigation schemes",
    "Create table for vertical profiles",
    "Add output category for vertical profiles",
    "Add extra columns for vertical profiles",
    "Add extra column in print dictionary",
    "Small changes in MORVA 2009 crop data",
    "Small changes in MORVA 2009 soil data",
    "Update of ETRef data",
    "Invalidate all output and reset wizard settings",
    "Correct PreHeaIrrSta",
    "Correct Tivoren soil pH",
    "Correct Pelmar irrigation",
    "Structural change of irrigation data",
    "Change of RUNS.MAXITSWA",
    "Changes of print variables",
    "Change print variable AmaErrMic",
    "Remove column OptReportCode",
    "Correct print variables",
    "Correct irrigations and substances",
    "Correct irrigations part 2",
};

// The scripts that ship with the form. The statements of the other historic steps are not
// part of this program: no database of those versions exists for it, and such a step fails
// instead of marking a database upgraded that was not.
const std::map<int, std::vector<String>>& ShippedScripts()
{
    static const std::map<int, std::vector<String>> scripts = {
        {39,
         {"ALTER TABLE DBINFO ADD ACCESSED VARCHAR(3) NOT NULL", "<EXECUTE>", "UPDATE DBINFO SET ACCESSED='Yes'",
          "<EXECUTE>", "ALTER TABLE DBINFO ADD CONSTRAINT DBINFO_1 CHECK (Accessed='Yes' Or Accessed='No')",
          "<EXECUTE>"}},
        {70,
         {"CREATE TABLE RUNPRINTVERTPROFDATES ", "(", "  RUNID        INTEGER   NOT NULL,",
          "  OUTPUTDATE   TIMESTAMP NOT NULL,", "CONSTRAINT RUNPRINTVERTPROFDATES_PK PRIMARY KEY (RUNID, OUTPUTDATE)", ")",
          "<EXECUTE>",
          "ALTER TABLE RUNPRINTVERTPROFDATES ADD CONSTRAINT RUNPRINTVERTPROFDATES_FK_001 FOREIGN KEY (RUNID) "
          "REFERENCES RUNS (RUNID) ON UPDATE CASCADE ON DELETE CASCADE",
          "<EXECUTE>"}},
        {76, {"UPDATE FROM FILE !!!"}},
        {77,
         {"UPDATE RUNS SET ResultsReport='No'", "<COMMIT>", "UPDATE RUNS SET ResultsDetailed='NotAvailable'",
          "<COMMIT>", "UPDATE RUNS SET ResultsSummary='NotAvailable'", "<COMMIT>",
          "UPDATE CROPS SET MorvaSelected=1 WHERE MorvaSelected=2", "<COMMIT>",
          "UPDATE LOCATIONS SET MorvaSelected=1 WHERE MorvaSelected=2", "<COMMIT>"}},
    };
    return scripts;
}

bool IsMarker(const String& line, const char* marker)
{
    return UpperCase(line) == marker;
}

} // namespace

TfrmDBUpdate::TfrmDBUpdate(TComponent* owner) : TForm(owner)
{
    SetName("frmDBUpdate");
    for (int n = FirstVersion; n < TargetVersion; ++n) {
        TUpdateStep& step = Step(n);
        step.edit = kStepTitles[n - FirstVersion];
        step.label = Format("%d -> %d", {n, n + 1});
        auto script = ShippedScripts().find(n);
        if (script != ShippedScripts().end())
            for (const String& line : script->second)
                step.memo.Add(line);
    }
}

TfrmDBUpdate::TUpdateStep& TfrmDBUpdate::Step(int n)
{
    if (n < FirstVersion || n >= TargetVersion)
        throw EListError(Format("There is no upgrade step from version %d", {n}));
    return steps_[n];
}

int TfrmDBUpdate::GetDatabaseVersion()
{
    TQuery query;
    query.SetDatabase(database_);
    query.SQL.Add("SELECT DBVERSION FROM DBINFO");
    query.Prepare();
    query.Open();
    query.First();
    if (query.IsEmpty()) {
        MessageDlg("Internal error", mtError, {mbOK}, 0);
        return -99;
    }
    return static_cast<int>(std::lround(query.FieldByName("DBVERSION")->AsFloat()));
}

void TfrmDBUpdate::SetDatabaseVersion(int version)
{
    database_->ExecSql("UPDATE DBINFO SET DBVERSION=" + IntToStr(version) + ", DBDATE=CURRENT_TIMESTAMP");
}

bool TfrmDBUpdate::NeedsUpgrade(bool reconnectFirst)
{
    if (reconnectFirst) {
        database_->Close();
        database_->Open();
    }
    const int version = GetDatabaseVersion();
    if (version != TargetVersion)
        database_->Close();
    return version != TargetVersion;
}

void TfrmDBUpdate::UpgradeDatabase()
{
    database_->Close();
    database_->Open();
    int current = GetDatabaseVersion();
    for (int n = FirstVersion; n < TargetVersion; ++n) {
        if (current != n)
            continue;
        const int target = n + 1;
        ReportUpgradeStep(target, current, false, Edit(n));
        if (n != 76) {
            current = RunUpdateScript(Memo(n), target);
        } else {
            RunUpdateFile(Format("%sUpdate_%d_%d.txt", {GetUpdatesDir(), n, target}), target);
            current = 77;
            SetDatabaseVersion(77);
        }
        ReportUpgradeStep(target, current, true, Edit(n));
    }
    if (current != TargetVersion) {
        MessageDlg("This database with version " + IntToStr(current) + " could not be upgraded by this version of " +
                       GetProductName() + " to database version " + IntToStr(TargetVersion) + ".",
                   mtError, {mbOK}, 0);
        database_->Close();
    }
}

void TfrmDBUpdate::ShowScriptError(const String& sql, const String& message, int targetVersion)
{
    const String product = GetProductName();
    MessageDlg(product + " database update error !\r" + product + " database could not be updated to version " +
                   IntToStr(targetVersion) + ".\rReport the following error message to " + product +
                   " technical support:\r\rSQL= \"" + sql + "\", Message= \"" + message + "\"",
               mtError, {mbOK}, 0);
}

int TfrmDBUpdate::RunUpdateScript(TStrings& memo, int targetVersion)
{
    TQuery query;
    query.SetDatabase(database_);
    query.SQL.Clear();
    bool pending = false;
    bool ran = false;
    auto execute = [&] {
        query.ExecSQL();
        query.SQL.Clear();
        pending = false;
        ran = true;
    };
    database_->StartTransaction();
    try {
        for (int i = 0; i < memo.Count(); ++i) {
            const String line = memo[i];
            if (line.empty() || line.compare(0, 2, "//") == 0)
                continue;
            if (!IsMarker(line, "<EXECUTE>") && !IsMarker(line, "<COMMIT>")) {
                query.SQL.Add(line);
                pending = true;
                continue;
            }
            if (pending)
                execute();
        }
        if (pending)
            execute();
        if (!ran)
            throw EDatabaseError("The statements of this step are not part of this program");
        SetDatabaseVersion(targetVersion);
        database_->Commit();
    } catch (const std::exception& e) {
        if (database_->InTransaction())
            database_->Rollback();
        String sql = query.SQL.Text();
        while (!sql.empty() && (sql.back() == '\n' || sql.back() == '\r'))
            sql.pop_back();
        ShowScriptError(sql, e.what(), targetVersion);
    }
    return GetDatabaseVersion();
}

void TfrmDBUpdate::RunUpdateFile(const String& path, int targetVersion)
{
    Assert(!Trim(path).empty(), "", "CommonUnits\\GeneralUnits\\TfrmDBUpdate_Unit", 382);
    TStringList lines;
    lines.LoadFromFile(path);
    TQuery query;
    query.SetDatabase(database_);
    for (int i = 0; i < lines.Count(); ++i) {
        if (Trim(lines[i]).empty())
            continue;
        query.SQL.Clear();
        query.SQL.Add(lines[i]);
        try {
            query.ExecSQL();
        } catch (const std::exception& e) {
            ShowScriptError(lines[i], e.what(), targetVersion);
        }
    }
}

void TfrmDBUpdate::ReportUpgradeStep(int targetVersion, int currentVersion, bool afterStep, const String& title)
{
    if (!afterStep) {
        MessageDlg("This database is about to be upgraded to version " + IntToStr(targetVersion) + ".\r(" + title +
                       ").\r\rPlease be patient, this could take some time.",
                   mtInformation, {mbOK}, 0);
    } else if (currentVersion == targetVersion) {
        MessageDlg("This database is succesfully upgraded to version " + IntToStr(targetVersion) + ".\r(" + title +
                       ").",
                   mtInformation, {mbOK}, 0);
    } else {
        MessageDlg("This database could not be upgraded to version " + IntToStr(targetVersion) + ".", mtError,
                   {mbOK}, 0);
    }
    if (Application)
        Application->ProcessMessages();
}
