#pragma once
// The data module: the one connection to the project database (alias "theDatabase"), a table
// component for every use of a table with the data sources that link them as master and
// detail, the meteo-data query and the program-wide confirmation switch.
//
// The module is created once at start-up (DataModuleCreate: server check, database
// selection, test, upgrade, connection, first-access check) and lives until the program ends.
// Every table starts closed; its users open it.
#include "CommonUnits/GeneralUnits/KernelRun_Unit.h"
#include "platform/db/DBTables.h"
#include "platform/framework/Component.h"

#include <functional>
#include <memory>
#include <vector>

class TdmQuelm : public TComponent {
public:
    explicit TdmQuelm(TComponent* owner);
    ~TdmQuelm() override;
    // Closes every table, each after the tables that take it as their master.
    void CloseTablesDetailsFirst() noexcept;
    void AfterConstruction() override;

    // The connection and the query of the module.
    TDatabase* dbDatabase = nullptr;
    TQuery* qryMeteoData = nullptr;
    // Table components, one per use of a table (named as the components of the module).
    TTable* tblProjects = nullptr;
    TTable* tblRuns = nullptr;
    TTable* tblLocations = nullptr;
    TTable* tblLocLboGroundWaters = nullptr;
    TTable* tblLocLboGroundWaterTS = nullptr;
    TTable* tblLocLboFluxSines = nullptr;
    TTable* tblLocLboQHs = nullptr;
    TTable* tblLocLboDirichlets = nullptr;
    TTable* tblLocLboDirichletTS = nullptr;
    TTable* tblLocLboHeads = nullptr;
    TTable* tblDrainages = nullptr;
    TTable* tblLboNames = nullptr;
    TTable* tblMeteoStations = nullptr;
    TTable* tblMeteoData = nullptr;
    TTable* tblSoilProfiles = nullptr;
    TTable* tblSoilProfilesxSoilBuildingBlocks = nullptr;
    TTable* tblDepthDependentSubstProperties = nullptr;
    TTable* tblSoilBuildingBlocks = nullptr;
    TTable* tblSoilTortMillington = nullptr;
    TTable* tblSoilTortTroeh = nullptr;
    TTable* tblSoilTortCurrie = nullptr;
    TTable* tblSoilTortMillington2 = nullptr;
    TTable* tblSoilTortTroeh2 = nullptr;
    TTable* tblSoilTortCurrie2 = nullptr;
    TTable* tblTortNames = nullptr;
    TTable* tblCrops = nullptr;
    TTable* tblCropRootDensities = nullptr;
    TTable* tblCultivationSeqs = nullptr;
    TTable* tblCultivationSeqxCropsA = nullptr;
    TTable* tblCultivationSeqxCropsB = nullptr;
    TTable* tblCultivationSeqxCropsB2 = nullptr;
    TTable* tblCropEvents = nullptr;
    TTable* tblSubstances = nullptr;
    TTable* tblSubstanceTransformations = nullptr;
    TTable* tblSubstanceTransformations2 = nullptr;
    TTable* tblApplicationSchemes = nullptr;
    TTable* tblApplicationsAbsolute = nullptr;
    TTable* tblApplicationsRelative = nullptr;
    TTable* tblApplicationTypes = nullptr;
    TTable* tblIrrigationSchemes = nullptr;
    TTable* tblIrrigations = nullptr;
    TTable* tblIrrigationTypes = nullptr;
    TTable* tblDepositionSchemes = nullptr;
    TTable* tblDepositions = nullptr;
    TTable* tblTillageSchemes = nullptr;
    TTable* tblTillages = nullptr;
    TTable* tblCntSysEql = nullptr;
    TTable* tblCntSysNeq = nullptr;
    TTable* tblPrintOutputDepths = nullptr;
    TTable* tblPrintOutputDepths2 = nullptr;
    TTable* tblRunPrintVariables = nullptr;
    TTable* tblPrintVertProfDates2 = nullptr;
    TTable* tblRunPrintCategories = nullptr;
    TTable* tblRunPrintVariablesDictionary = nullptr;
    TTable* tblRunPrintVariablesDictionary3 = nullptr;
    TTable* tblXYGraphTemplates = nullptr;
    TTable* tblDateTimeCounting = nullptr;
    TTable* tblEvapOptions = nullptr;
    TTable* tblOptDspCrps = nullptr;
    TTable* tblOptLenCrps = nullptr;
    TTable* tblOptShapeGrwLevs = nullptr;
    TTable* tblOptCofFres = nullptr;
    TTable* tblOptDrainageTypes = nullptr;
    TTable* tblOptDateFormats = nullptr;
    TTable* tblOptHyds = nullptr;
    TTable* tblOptRhos = nullptr;
    TTable* tblOptDelTimEvt = nullptr;
    TTable* tblOptDelTimPrns = nullptr;
    TTable* tblOptHysteresisCodes = nullptr;
    TTable* tblOptOutputDepthTypeCodes = nullptr;
    TTable* tblOptReports = nullptr;
    TTable* tblMorvaOptDelTimEvts = nullptr;
    TTable* tblMorvaOptDelTimEvt = nullptr;
    TTable* tblMorvaSubstance = nullptr;
    TTable* tblMorvaApplicationScheme = nullptr;
    TTable* tblProjectLast = nullptr;
    TTable* tbldbInfo = nullptr;
    // Data sources
    TDataSource* dsProjects = nullptr;
    TDataSource* dsRuns = nullptr;
    TDataSource* dsLocations = nullptr;
    TDataSource* dsLocLboGroundWaters = nullptr;
    TDataSource* dsLocLboGroundWaterTS = nullptr;
    TDataSource* dsLocLboFluxSines = nullptr;
    TDataSource* dsLocLboQHs = nullptr;
    TDataSource* dsLocLboDirichlets = nullptr;
    TDataSource* dsLocLboDirichletsTS = nullptr;
    TDataSource* dsLocLboHeads = nullptr;
    TDataSource* dsDrainages = nullptr;
    TDataSource* dsLboNames = nullptr;
    TDataSource* dsMeteoStations = nullptr;
    TDataSource* dsMeteoData = nullptr;
    TDataSource* dsSoilProfiles = nullptr;
    TDataSource* dsSoilProfilesxSoilBuildingBlocks = nullptr;
    TDataSource* dsDepthDependentSubstProperties = nullptr;
    TDataSource* dsSoilBuildingBlocks = nullptr;
    TDataSource* dsMillington = nullptr;
    TDataSource* dsTroeh = nullptr;
    TDataSource* dsCurrie = nullptr;
    TDataSource* dsTortNames = nullptr;
    TDataSource* dsCrops = nullptr;
    TDataSource* dsCropRootDensities = nullptr;
    TDataSource* dsCultivationSeqs = nullptr;
    TDataSource* dsCultivationSeqxCropsA = nullptr;
    TDataSource* dsCultivationSeqxCropsB = nullptr;
    TDataSource* dsCropStages = nullptr;
    TDataSource* dsCropEvents = nullptr;
    TDataSource* dsSubstances = nullptr;
    TDataSource* dsSubstanceTransformations = nullptr;
    TDataSource* dsApplicationSchemes = nullptr;
    TDataSource* dsApplicationsAbsolute = nullptr;
    TDataSource* dsApplicationsRelative = nullptr;
    TDataSource* dsApplicationTypes = nullptr;
    TDataSource* dsIrrigationSchemes = nullptr;
    TDataSource* dsIrrigations = nullptr;
    TDataSource* dsIrrigationTypes = nullptr;
    TDataSource* dsDepositionSchemes = nullptr;
    TDataSource* dsDepositions = nullptr;
    TDataSource* dsTillageSchemes = nullptr;
    TDataSource* dsTillages = nullptr;
    TDataSource* dsCntSysEql = nullptr;
    TDataSource* dsCntSysNeq = nullptr;
    TDataSource* dsPrintOutputDepths2 = nullptr;
    TDataSource* dsRunPrintVariables = nullptr;
    TDataSource* dsPrintVertProfDates2 = nullptr;
    TDataSource* dsRunPrintCategories = nullptr;
    TDataSource* dsRunPrintVariablesDictionary = nullptr;
    TDataSource* dsXYGraphTemplates = nullptr;
    TDataSource* dsDateTimeCounting = nullptr;
    TDataSource* dsEvapOptions = nullptr;
    TDataSource* dsOptDspCrps = nullptr;
    TDataSource* dsOptLenCrps = nullptr;
    TDataSource* dsOptShapeGrwLevs = nullptr;
    TDataSource* dsOptCofFres = nullptr;
    TDataSource* dsOptDrainageTypes = nullptr;
    TDataSource* dsOptDateFormats = nullptr;
    TDataSource* dsOptHyds = nullptr;
    TDataSource* dsOptRhos = nullptr;
    TDataSource* dsOptDelTimEvt = nullptr;
    TDataSource* dsOptDelTimPrns = nullptr;
    TDataSource* dsOptHysteresisCodes = nullptr;
    TDataSource* dsOptOutputDepthTypeCodes = nullptr;
    TDataSource* dsOptReports = nullptr;
    TDataSource* dsMorvaOptDelTimEvts = nullptr;
    TDataSource* dsMorvaOptDelTimEvt = nullptr;
    TDataSource* dsMorvaSubstance = nullptr;
    TDataSource* dsMorvaApplicationScheme = nullptr;

    // Own fields
    String DatabaseFile;                       // the file in use; empty until connected
    std::unique_ptr<TStringList> PendingMessages;
    bool ConfirmSwitch = false;

    void DataModuleCreate(TObject* sender);
    void DataModuleDestroy(TObject* sender);
    bool CheckServer();
    bool CheckFirstAccess();
    bool OpenOtherDatabase();
    String DatabaseFileName() const { return DatabaseFile; }
    void ConfirmOn() { ConfirmSwitch = true; }
    void ConfirmOff() { ConfirmSwitch = false; }
    bool ConfirmEnabled() const { return ConfirmSwitch; }

    // Every table and data source of the module, and lookup by component name.
    const std::vector<TTable*>& Tables() const { return tableList_; }
    TTable* TableByName(const String& name) const;
    TDataSource* DataSourceByName(const String& name) const;

    // ---- Per-run queries. A query comes from NewQuery and belongs to the caller; a factory
    // loads its SQL lines into the caller's query through OpenQuery and returns its result.
    // Codes are written as SQL string literals, run numbers as decimal digits.
    TQuery* NewQuery();
    TQuery* OpenSql(const String& sql); // prepared, opened, at its first row; errors reach the caller
    // Replaces the query's SQL by the lines and opens it at its first row; a failure shows
    // "Error in query." with the SQL and the message, and gives false.
    bool OpenQuery(TQuery* query, const std::vector<String>& lines);
    bool QuerySubstanceOfRun(int runId, TQuery* query);
    bool QueryApplicationsAbsolute(int runId, TQuery* query);
    bool QueryApplicationsRelative(int runId, TQuery* query);
    bool QueryCntSysEql(int runId, TQuery* query);
    bool QueryCntSysNeq(int runId, TQuery* query);
    bool QueryCrop(const String& cropCode, TQuery* query);
    bool QueryCropRootDensities(const String& cropCode, TQuery* query);
    bool QueryCalendarCrops(const String& calendarCode, TQuery* query);
    bool QueryCropStages(int calendarCropId, TQuery* query);
    bool QueryDepositions(const String& schemeCode, TQuery* query);
    bool QueryDrainages(const String& locationCode, TQuery* query);
    bool QueryIrrigationTypeOfRun(int runId, TQuery* query);
    bool QueryDirichletSeries(const String& locationCode, TQuery* query);
    bool QueryGroundwaterSeries(const String& locationCode, TQuery* query);
    bool QueryLocationOfRun(int runId, TQuery* query);
    bool QueryMeteoStationOfRun(int runId, TQuery* query);
    bool QueryOutputDepths(int runId, TQuery* query);
    bool QueryPrintVariables(int runId, TQuery* query);
    bool QueryVertProfDates(int runId, TQuery* query);
    bool QuerySoilHorizonsOfRun(int runId, TQuery* query);
    bool QuerySubstance(const String& substanceCode, TQuery* query);
    bool QueryTransformations(const String& parentCode, TQuery* query);
    bool QueryDaughters(const String& parentCode, TQuery* query);
    bool QueryTillagesOfRun(int runId, TQuery* query);
    bool QuerySoilProfileDetail(const String& detailTable, const String& soilProfileCode, TQuery* query);

    // Value lookups on a run.
    String EvaporationOptionOfRun(int runId);
    String DateFormatOfRun(int runId);
    String SubstanceCodeOfRun(int runId);
    String PrintVariableName(const String& name); // the dictionary's own spelling, empty when none
    String DayMonthOfDateInYear(const String& dateInYear); // "05-Feb"
    int NewKeyValue(const String& tableName, const String& keyField); // maximum plus one; 1 on an empty table

    // One field of one record of the table's table ("Select <field> from <table> where
    // <keyField> = <key>"). ...ByCode with a text key (quoted here, except LookupValueByCode,
    // whose caller quotes); the others with an integer key. No row: null, empty text, 0, false.
    Variant LookupValueByCode(TTable* table, const String& key, const String& field, const String& keyField);
    Variant LookupValue(TTable* table, int key, const String& field, const String& keyField);
    String LookupString(TTable* table, int key, const String& field, const String& keyField);
    String LookupStringByCode(TTable* table, const String& key, const String& field, const String& keyField);
    int LookupInteger(TTable* table, int key, const String& field, const String& keyField);
    double LookupFloat(TTable* table, int key, const String& field, const String& keyField);
    double LookupFloatByCode(TTable* table, const String& key, const String& field, const String& keyField);
    double LookupDate(TTable* table, int key, const String& field, const String& keyField); // date-time number
    bool LookupYesNo(TTable* table, int key, const String& field, const String& keyField);
    bool LookupYesNoByCode(TTable* table, const String& key, const String& field, const String& keyField);

    // ---- Side files of the kernel in the work folder, CR LF lines.
    // "<code>.irr": the irrigations of the scheme. File errors reach the caller and leave no
    // file under the name.
    void WriteIrrigationFile(const String& irrigationSchemeCode);
    // "<code>.met": the daily weather of the station; the file's full path, empty when
    // anything failed (then no file is left under the name).
    String WriteMeteoFile(const String& meteoStationCode);

    // ---- Dataset rules. While the confirmation switch is on, inserts and edits of locked
    // records are refused, and posts and deletes are confirmed by the user; a refusal is a
    // silent abort. A program that changes data switches the confirmation off right before
    // that one operation; the shared before-post and before-delete handlers switch it on again.
    bool IsRecordLocked(TTable* table);
    void CheckRecordNotLocked(TTable* table);
    void CheckMasterNotLocked(TTable* table);
    void StampModificationDate(TTable* table);
    // Every deposition scheme except "NO" (any case) has a deposition; the first that has
    // none stays current after the error message.
    bool CheckDepositionSchemes();

    // ---- Imports of a location's lower-boundary series from a text file: comment lines
    // starting with "*", then one line per value "day month year value" separated by blanks.
    // After the user agreed and chose a file, the location's series is replaced.
    void ImportGroundwaterLevels(const String& locationCode);
    void ImportPressureHeads(const String& locationCode);

    // ---- The runs of the current project (the main window's run commands). They work on
    // tblRuns, which the caller has open on the project. Every program post comes with the
    // confirmation switched off, and every change of a selection or result field with
    // DISABLERESULTS "No", so that the posting rule keeps the result fields.
    static bool IsSelectedForExecution(TDataSet* runs); // SELECTEDFOREXECUTION upper-cased "YES"
    int CountSelectedRuns();                             // the cursor stays where it was
    void ToggleRunSelection();                           // "Yes" <-> " " for the current run
    void SetAllRunsSelected(bool selected);              // ends at the first run
    // Results that claim files which are gone are set back: "Available" without the .sum or
    // .out file becomes "NotAvailable", a report without the project summary block "No".
    void ReconcileRunResult();
    void ReconcileRunResults(); // every run; ends at the first run
    // Deletes every "<RunID>.*" of the current run in the work folder, then reconciles it.
    void DeleteRunFiles();
    // Copies the current run with its per-run detail rows under a new key, named "copy_" +
    // its name, unrestricted and without results, all in one transaction: a failure leaves
    // no part of the copy. The copy is the current run after; returns its key.
    int CopyCurrentRun();

    // ---- Calculation of the selected runs. The window's share of the work comes in through
    // the view; a part left empty is skipped.
    struct TRunOptions {
        TRunWindowMode WindowMode = rwNormal;
        bool StopOnError = true;
    };
    struct TCalculationView {
        std::function<bool(TRunOptions&)> AskRunOptions; // several runs selected; false: cancelled
        std::function<void(bool busy)> SetBusy;          // commands off and closing refused while busy
        std::function<void(bool visible)> ShowRunsGrid;
        std::function<void()> ShowRunStatus;
        std::function<void()> Repaint;
        std::function<void()> OpenLookupTables;
        std::function<void()> UpdateControlState;
    };
    // Calculates every selected run of the project: resets its results, deletes its old
    // output, summary, log and error files, writes its input file, runs the kernel and
    // stores the outcome. The busy state is taken back on every path; an exception ends the
    // calculation, is raised to the caller after the window is put back on the run it showed.
    void CalculateSelectedRuns(const TCalculationView& view);
    // One selected run (the current one): returns the kernel's outcome.
    TRunResultState CalculateRun(const TRunOptions& options, const TCalculationView& view);
    // The value stored in MODELERRORTEXT after a model error: the error file's text, cut so
    // that with the note on where the whole listing is it fits the field.
    String ModelErrorText(int runId);

    // Work that must happen whole: a transaction on the connection, unless one is already
    // running (then the outer one decides). Rolled back when it ends without Commit.
    class TTransactionScope {
    public:
        explicit TTransactionScope(TDatabase* database);
        ~TTransactionScope();
        TTransactionScope(const TTransactionScope&) = delete;
        TTransactionScope& operator=(const TTransactionScope&) = delete;
        void Commit();
        bool Owns() const { return owns_; }

    private:
        TDatabase* database_;
        bool owns_ = false;
    };

    // Dataset event handlers, connected to the components that the dataset rules name: the
    // shared lock guards and prompts (with the partner posts and table checks), the default
    // values after insert, the default detail rows after post and the post-error handler of
    // the vertical-profile dates.
    void tblBeforeInsert(TDataSet* dataSet);
    void tblBeforeEdit(TDataSet* dataSet);
    void tblBeforePost(TDataSet* dataSet);
    void tblAfterCancel(TDataSet* dataSet);
    void tblBeforeDelete(TDataSet* dataSet);
    void tblAfterInsert(TDataSet* dataSet);
    void tblAfterPost(TDataSet* dataSet);
    void tblPrintVertProfDates2PostError(TDataSet* dataSet, EDatabaseError& error, TDataAction& action);

private:
    // The first column of the first row of the lookup statement, as a field of a query that
    // stays open for the conversion.
    template <class T, class Convert>
    T Lookup(TTable* table, const String& keyText, const String& field, const String& keyField, T none,
             Convert convert);
    struct TImportKind;
    void ImportSeries(const TImportKind& kind, const String& locationCode);
    void PostPartners(TTable* table);
    void TableBeforePost(TTable* table);
    void RunsBeforePost();
    void InsertDefaultLocationRows();
    void InsertDefaultRunRows();
    void CreateComponents();
    void ConnectEvents();
    // A project and its runs are deleted in one transaction; a run's files go once its row
    // is gone (within a project delete, once the delete is committed).
    void ConnectDeleteEvents();
    void FinishProjectDelete(bool committed);
    // Takes every table's handlers away before the tables go, so that no rule runs on a
    // module that is being destroyed.
    void DisconnectEvents();
    std::unique_ptr<TTransactionScope> projectDelete_;
    std::vector<int> deletedRuns_;
    int deletingRun_ = 0;
    std::vector<std::unique_ptr<TTable>> tables_;
    std::vector<TTable*> tableList_;
    std::vector<std::unique_ptr<TDataSource>> dataSources_;
    std::unique_ptr<TDatabase> database_;
    std::unique_ptr<TQuery> meteoQuery_;
};

// The module of the running program (set while one exists).
extern TdmQuelm* dmQuelm;

// Routines of the data-module unit shared by the windows.
void OpenOrRefresh(TTable* table);   // refresh when open, open when closed
void OpenUnfiltered(TTable* table);  // filter off, then OpenOrRefresh
// Posts a table in edit or insert state (through the rules, with the save prompt when the
// switch is on); otherwise switches the confirmation on.
void PostPendingEdits(TTable* table);
// A new table on the same table and order, without master, events or filter, open at its
// first row; the caller frees it.
TTable* CloneTable(TTable* table);
// Field by field by position; a target field named "LOCKED" gets "No".
void CopyFieldValues(TDataSet* source, TDataSet* target);
// Walks from the first row to the row whose first field equals the value; the first row
// when there is none.
void LocateIntegerKey(TDataSet* table, int value);
// Edits the field "Comments" of the data source's current record in the modal comment window.
void EditComment(TDataSource* source);
// Copies every row whose key field equals the old key (letter case included) as a new row
// with the new key, through two clones of the table that see all rows and fire no rules, with
// the copy-progress window. The table is closed meanwhile and open at its first row after;
// copies are unlocked. The rows are copied in one transaction, or within the caller's: a
// failure copies nothing.
bool CopyRecordsWithKey(TTable* table, const String& keyField, const String& oldKey, const String& newKey);
bool CopyRecordsWithIntegerKey(TTable* table, const String& keyField, int oldKey, int newKey);

// One data line of a time-series import file.
struct TSeriesImportRow {
    int line;       // its line number in the file, from 1
    TDateTime day;
    String value;   // the value as the file writes it (a valid number)
};
// Reads a time-series import file: after optional header lines that begin with '*', each
// non-empty line holds a day, a month, a year and a value, separated by spaces. Returns an
// empty text with every data line in `rows`, or the text that names the first line that
// cannot be imported and why (then `rows` holds only the lines before it).
String ReadSeriesImportFile(const String& fileName, std::vector<TSeriesImportRow>& rows);
