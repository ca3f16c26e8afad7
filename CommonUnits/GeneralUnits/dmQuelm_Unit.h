#pragma once
// The data module: the one connection to the project database (alias "theDatabase"), a table
// component for every use of a table with the data sources that link them as master and
// detail, the meteo-data query and the program-wide confirmation switch.
//
// The module is created once at start-up (DataModuleCreate: server check, database
// selection, test, upgrade, connection, first-access check) and lives until the program ends.
// Every table starts closed; its users open it.
#include "platform/db/DBTables.h"
#include "platform/framework/Component.h"

#include <memory>
#include <vector>

class TdmQuelm : public TComponent {
public:
    explicit TdmQuelm(TComponent* owner);
    ~TdmQuelm() override;
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

    // Dataset event handlers, connected to the components that the dataset rules name: the
    // shared lock guards and prompts, the default values after insert, the default detail
    // rows after post and the post-error handler of the vertical-profile dates. Their rules
    // are filled in with the dataset rules; until then they let every operation pass.
    void tblBeforeInsert(TDataSet* dataSet);
    void tblBeforeEdit(TDataSet* dataSet);
    void tblBeforePost(TDataSet* dataSet);
    void tblAfterCancel(TDataSet* dataSet);
    void tblBeforeDelete(TDataSet* dataSet);
    void tblAfterInsert(TDataSet* dataSet);
    void tblAfterPost(TDataSet* dataSet);
    void tblPrintVertProfDates2PostError(TDataSet* dataSet, EDatabaseError& error, TDataAction& action);

private:
    void CreateComponents();
    void ConnectEvents();
    std::vector<std::unique_ptr<TTable>> tables_;
    std::vector<TTable*> tableList_;
    std::vector<std::unique_ptr<TDataSource>> dataSources_;
    std::unique_ptr<TDatabase> database_;
    std::unique_ptr<TQuery> meteoQuery_;
};

// The module of the running program (set while one exists).
extern TdmQuelm* dmQuelm;
