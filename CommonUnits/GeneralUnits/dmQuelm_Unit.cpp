#include "dmQuelm_Unit.h"

#include "TDBConnector_Unit.h"
#include "TQuelmIniFile_Unit.h"
#include "TVersionInfo_Unit.h"
#include "QuelmFileUtils.h"
#include "Comment.h"
#include "DxTxtFle.h"
#include "TfrmCopyProgress_Unit.h"
#include "Utils_Format_Unit.h"
#include "Utils_Sql_Unit.h"
#include "Utils_Registry_Unit.h"
#include "Vantor6_5_Install_Unit.h"
#include "platform/framework/Dialogs.h"
#include "platform/rtl/FileUtils.h"
#include "platform/win/WinEnvironment.h"


#include <cstdlib>
#include <ctime>

TdmQuelm* dmQuelm = nullptr;

namespace {

struct TableSpec {
    const char* component;
    const char* table;
    const char* indexFields;
    const char* masterSource;
    const char* masterFields;
    bool filtered;
};

// The table components: table, index order and master link, as the module defines them.
const TableSpec kTables[] = {
    {"tblProjects", "Projects", "PROJECTID", "", "", false},
    {"tblRuns", "Runs", "PROJECTID;RUNID", "dsProjects", "PROJECTID", false},
    {"tblLocations", "Locations", "LOCATIONCODE", "", "", false},
    {"tblLocLboGroundWaters", "LocationLboGroundWaters", "LOCATIONCODE", "dsLocations", "LocationCode", false},
    {"tblLocLboGroundWaterTS", "LocationLboGroundWaterTS", "LOCATIONCODE;MDATE", "dsLocLboGroundWaters", "LocationCode", false},
    {"tblLocLboFluxSines", "LocationLboFluxSines", "LOCATIONCODE", "dsLocations", "LocationCode", false},
    {"tblLocLboQHs", "LocationLboQHs", "LOCATIONCODE", "dsLocations", "LocationCode", false},
    {"tblLocLboDirichlets", "LocationLboDirichlets", "LOCATIONCODE", "dsLocations", "LocationCode", false},
    {"tblLocLboDirichletTS", "LocationLboDirichletTS", "LOCATIONCODE;MDATE", "dsLocLboDirichlets", "LocationCode", false},
    {"tblLocLboHeads", "LocationLboHeads", "LOCATIONCODE", "dsLocations", "LocationCode", false},
    {"tblDrainages", "Drainages", "LOCATIONCODE;DRAINAGELEVEL", "dsLocations", "LocationCode", false},
    {"tblLboNames", "LboNames", "LBONAMECODE", "", "", false},
    {"tblMeteoStations", "MeteoStations", "METEOSTATIONCODE", "", "", false},
    {"tblMeteoData", "MeteoData", "METEOSTATIONCODE;MDATE", "dsMeteoStations", "MeteoStationCode", false},
    {"tblSoilProfiles", "SoilProfiles", "SOILPROFILECODE", "", "", false},
    {"tblSoilProfilesxSoilBuildingBlocks", "SoilProfilesxSoilBuildingBlocks", "SOILPROFILECODE;HORIZONSEQNO", "dsSoilProfiles", "SoilProfileCode", false},
    {"tblDepthDependentSubstProperties", "DepthDependentSubstProperties", "SOILPROFILECODE;HORIZONSEQNO", "dsSoilProfilesxSoilBuildingBlocks", "SoilProfileCode;HorizonSeqNo", false},
    {"tblSoilBuildingBlocks", "SoilBuildingBlocks", "SOILBUILDINGBLOCKCODE", "", "", false},
    {"tblSoilTortMillington", "SoilTortMillQuirk", "SOILPROFILECODE", "dsSoilProfiles", "SoilProfileCode", false},
    {"tblSoilTortTroeh", "SoilTortTroeh", "SOILPROFILECODE", "dsSoilProfiles", "SoilProfileCode", false},
    {"tblSoilTortCurrie", "SoilTortCurrie", "SOILPROFILECODE", "dsSoilProfiles", "SoilProfileCode", false},
    {"tblSoilTortMillington2", "SoilTortMillQuirk", "SOILPROFILECODE", "dsSoilProfiles", "SoilProfileCode", false},
    {"tblSoilTortTroeh2", "SoilTortTroeh", "SOILPROFILECODE", "dsSoilProfiles", "SoilProfileCode", false},
    {"tblSoilTortCurrie2", "SoilTortCurrie", "SOILPROFILECODE", "dsSoilProfiles", "SoilProfileCode", false},
    {"tblTortNames", "TortNames", "TORTNAMECODE", "", "", false},
    {"tblCrops", "Crops", "CROPCODE", "", "", false},
    {"tblCropRootDensities", "CropRootDensities", "CROPCODE;RELATIVEDEPTH", "dsCrops", "CropCode", false},
    {"tblCultivationSeqs", "CultivationSequences", "CULTIVATIONSEQUENCECODE", "", "", false},
    {"tblCultivationSeqxCropsA", "CultivationSequencexCropsA", "CULTIVATIONSEQUENCECODE;CULTIVATIONSEQNO", "dsCultivationSeqs", "CultivationSequenceCode", false},
    {"tblCultivationSeqxCropsB", "CultivationSequencexCropsB", "CULTIVATIONSEQUENCEXCROPID;DEVELOPMENTSTAGE", "dsCultivationSeqxCropsA", "CultivationSequencexCropID", false},
    {"tblCultivationSeqxCropsB2", "CultivationSequencexCropsB", "CULTIVATIONSEQUENCEXCROPID;DEVELOPMENTSTAGE", "dsCultivationSeqxCropsA", "CultivationSequencexCropID", false},
    {"tblCropEvents", "CropEvents", "CROPEVENTCODE", "", "", false},
    {"tblSubstances", "Substances", "SUBSTANCECODE", "", "", false},
    {"tblSubstanceTransformations", "SubstanceTransformations", "SUBSTANCECODEIN;SUBSTANCECODEOUT", "dsSubstances", "SubstanceCode", false},
    {"tblSubstanceTransformations2", "SubstanceTransformations", "SUBSTANCECODEIN;SUBSTANCECODEOUT", "dsSubstances", "SubstanceCode", false},
    {"tblApplicationSchemes", "ApplicationSchemes", "APPLICATIONSCHEMECODE", "", "", false},
    {"tblApplicationsAbsolute", "ApplicationsAbsolute", "APPLICATIONSCHEMECODE;MDATE;APPLICATIONTYPECODE", "dsApplicationSchemes", "ApplicationSchemeCode", false},
    {"tblApplicationsRelative", "ApplicationsRelative", "APPLICATIONSCHEMECODE;CROPCALENDARSEQNO;CROPEVENTCODE;DATERELATIVE", "dsApplicationSchemes", "ApplicationSchemeCode", false},
    {"tblApplicationTypes", "ApplicationTypes", "APPLICATIONTYPECODE", "", "", false},
    {"tblIrrigationSchemes", "IrrigationSchemes", "IRRIGATIONSCHEMECODE", "", "", false},
    {"tblIrrigations", "Irrigations", "IRRIGATIONSCHEMECODE;MDATE", "dsIrrigationSchemes", "IrrigationSchemeCode", false},
    {"tblIrrigationTypes", "IrrigationTypes", "IRRIGATIONTYPECODE", "", "", false},
    {"tblDepositionSchemes", "DepositionSchemes", "DEPOSITIONSCHEMECODE", "", "", false},
    {"tblDepositions", "Depositions", "DEPOSITIONSCHEMECODE;MDATE", "dsDepositionSchemes", "DepositionSchemeCode", false},
    {"tblTillageSchemes", "TillageSchemes", "TILLAGESCHEMECODE", "", "", false},
    {"tblTillages", "Tillages", "TILLAGESCHEMECODE;MDATE", "dsTillageSchemes", "TillageSchemeCode", false},
    {"tblCntSysEql", "CntSysEql", "RUNID;Z", "dsRuns", "RunID", false},
    {"tblCntSysNeq", "CntSysNeq", "RUNID;Z", "dsRuns", "RunID", false},
    {"tblPrintOutputDepths", "RunPrintOutputDepths", "RUNID;OUTPUTDEPTH", "dsRuns", "RunID", false},
    {"tblPrintOutputDepths2", "RunPrintOutputDepths", "RUNID;OUTPUTDEPTH", "dsRuns", "RunID", false},
    {"tblRunPrintVariables", "RunPrintVariables", "RUNID", "dsRuns", "RunID", false},
    {"tblPrintVertProfDates2", "RunPrintVertProfDates", "RUNID;OUTPUTDATE", "dsRuns", "RunID", false},
    {"tblRunPrintCategories", "RunPrintCategories", "SEQUENCENUMBER", "", "", false},
    {"tblRunPrintVariablesDictionary", "RunPrintVariablesDictionary", "CATEGORYCODE;VARIABLENAME", "dsRunPrintCategories", "CategoryCode", false},
    {"tblRunPrintVariablesDictionary3", "RunPrintVariablesDictionary", "CATEGORYCODE;VARIABLENAME", "", "", true},
    {"tblXYGraphTemplates", "XYGraphTemplates", "GRAPHTEMPLATECODE", "", "", false},
    {"tblDateTimeCounting", "DateTimeCounting", "DAYINYEAR", "", "", false},
    {"tblEvapOptions", "EvaporationOptions", "EVAPORATIONOPTIONCODE", "", "", false},
    {"tblOptDspCrps", "OptDspCrps", "OPTDSPCRP", "", "", false},
    {"tblOptLenCrps", "OptLenCrps", "OPTLENCRP", "", "", false},
    {"tblOptShapeGrwLevs", "OptShapeGrwLevs", "OPTSHAPEGRWLEVCODE", "", "", false},
    {"tblOptCofFres", "OptCofFres", "OPTCOFFRECODE", "", "", false},
    {"tblOptDrainageTypes", "OptDrainageTypes", "OPTDRAINAGETYPECODE", "", "", false},
    {"tblOptDateFormats", "OptDateFormats", "OPTDATEFORMATCODE", "", "", false},
    {"tblOptHyds", "OptHyds", "OPTHYD", "", "", false},
    {"tblOptRhos", "OptRhos", "OPTRHO", "", "", false},
    {"tblOptDelTimEvt", "OptDelTimEvts", "OPTDELTIMEVT", "", "", false},
    {"tblOptDelTimPrns", "OptDelTimPrns", "OPTDELTIMPRNCODE", "", "", false},
    {"tblOptHysteresisCodes", "OptHysteresisCodes", "OPTHYSTERESISCODE", "", "", false},
    {"tblOptOutputDepthTypeCodes", "OptOutputDepthTypeCodes", "OPTOUTPUTDEPTHTYPECODE", "", "", false},
    {"tblOptReports", "OptReports", "OPTREPORTCODE", "", "", false},
    {"tblMorvaOptDelTimEvts", "MorvaOptDelTimEvts", "OPTDELTIMEVT", "", "", false},
    {"tblMorvaOptDelTimEvt", "MorvaOptDelTimEvt", "OPTDELTIMEVT", "", "", false},
    {"tblMorvaSubstance", "MorvaSubstance", "", "", "", false},
    {"tblMorvaApplicationScheme", "MorvaApplicationScheme", "", "", "", false},
    {"tblProjectLast", "ProjectLast", "PROJECTID", "", "", false},
    {"tbldbInfo", "dbInfo", "", "", "", false},
};

struct SourceSpec {
    const char* name;
    const char* dataSet;
};

// The data sources and the table each shows (dsCultivationSeqxCropsB shows the calendar
// crops, not the B table; dsCropStages shows the B table).
const SourceSpec kSources[] = {
    {"dsProjects", "tblProjects"},
    {"dsRuns", "tblRuns"},
    {"dsLocations", "tblLocations"},
    {"dsLocLboGroundWaters", "tblLocLboGroundWaters"},
    {"dsLocLboGroundWaterTS", "tblLocLboGroundWaterTS"},
    {"dsLocLboFluxSines", "tblLocLboFluxSines"},
    {"dsLocLboQHs", "tblLocLboQHs"},
    {"dsLocLboDirichlets", "tblLocLboDirichlets"},
    {"dsLocLboDirichletsTS", "tblLocLboDirichletTS"},
    {"dsLocLboHeads", "tblLocLboHeads"},
    {"dsDrainages", "tblDrainages"},
    {"dsLboNames", "tblLboNames"},
    {"dsMeteoStations", "tblMeteoStations"},
    {"dsMeteoData", "tblMeteoData"},
    {"dsSoilProfiles", "tblSoilProfiles"},
    {"dsSoilProfilesxSoilBuildingBlocks", "tblSoilProfilesxSoilBuildingBlocks"},
    {"dsDepthDependentSubstProperties", "tblDepthDependentSubstProperties"},
    {"dsSoilBuildingBlocks", "tblSoilBuildingBlocks"},
    {"dsMillington", "tblSoilTortMillington"},
    {"dsTroeh", "tblSoilTortTroeh"},
    {"dsCurrie", "tblSoilTortCurrie"},
    {"dsTortNames", "tblTortNames"},
    {"dsCrops", "tblCrops"},
    {"dsCropRootDensities", "tblCropRootDensities"},
    {"dsCultivationSeqs", "tblCultivationSeqs"},
    {"dsCultivationSeqxCropsA", "tblCultivationSeqxCropsA"},
    {"dsCultivationSeqxCropsB", "tblCultivationSeqxCropsA"},
    {"dsCropStages", "tblCultivationSeqxCropsB"},
    {"dsCropEvents", "tblCropEvents"},
    {"dsSubstances", "tblSubstances"},
    {"dsSubstanceTransformations", "tblSubstanceTransformations"},
    {"dsApplicationSchemes", "tblApplicationSchemes"},
    {"dsApplicationsAbsolute", "tblApplicationsAbsolute"},
    {"dsApplicationsRelative", "tblApplicationsRelative"},
    {"dsApplicationTypes", "tblApplicationTypes"},
    {"dsIrrigationSchemes", "tblIrrigationSchemes"},
    {"dsIrrigations", "tblIrrigations"},
    {"dsIrrigationTypes", "tblIrrigationTypes"},
    {"dsDepositionSchemes", "tblDepositionSchemes"},
    {"dsDepositions", "tblDepositions"},
    {"dsTillageSchemes", "tblTillageSchemes"},
    {"dsTillages", "tblTillages"},
    {"dsCntSysEql", "tblCntSysEql"},
    {"dsCntSysNeq", "tblCntSysNeq"},
    {"dsPrintOutputDepths2", "tblPrintOutputDepths2"},
    {"dsRunPrintVariables", "tblRunPrintVariables"},
    {"dsPrintVertProfDates2", "tblPrintVertProfDates2"},
    {"dsRunPrintCategories", "tblRunPrintCategories"},
    {"dsRunPrintVariablesDictionary", "tblRunPrintVariablesDictionary"},
    {"dsXYGraphTemplates", "tblXYGraphTemplates"},
    {"dsDateTimeCounting", "tblDateTimeCounting"},
    {"dsEvapOptions", "tblEvapOptions"},
    {"dsOptDspCrps", "tblOptDspCrps"},
    {"dsOptLenCrps", "tblOptLenCrps"},
    {"dsOptShapeGrwLevs", "tblOptShapeGrwLevs"},
    {"dsOptCofFres", "tblOptCofFres"},
    {"dsOptDrainageTypes", "tblOptDrainageTypes"},
    {"dsOptDateFormats", "tblOptDateFormats"},
    {"dsOptHyds", "tblOptHyds"},
    {"dsOptRhos", "tblOptRhos"},
    {"dsOptDelTimEvt", "tblOptDelTimEvt"},
    {"dsOptDelTimPrns", "tblOptDelTimPrns"},
    {"dsOptHysteresisCodes", "tblOptHysteresisCodes"},
    {"dsOptOutputDepthTypeCodes", "tblOptOutputDepthTypeCodes"},
    {"dsOptReports", "tblOptReports"},
    {"dsMorvaOptDelTimEvts", "tblMorvaOptDelTimEvts"},
    {"dsMorvaOptDelTimEvt", "tblMorvaOptDelTimEvt"},
    {"dsMorvaSubstance", "tblMorvaSubstance"},
    {"dsMorvaApplicationScheme", "tblMorvaApplicationScheme"},
};

// Tables with the shared lock guards and prompts; the after-cancel refresh leaves out the
// depth-dependent substance properties. RunPrintVariables has only the delete guard.
const char* const kRuleTables[] = {"tblProjects", "tblRuns", "tblLocations", "tblLocLboGroundWaters", "tblLocLboGroundWaterTS", "tblLocLboFluxSines", "tblLocLboQHs", "tblLocLboDirichlets", "tblLocLboDirichletTS", "tblLocLboHeads", "tblDrainages", "tblMeteoStations", "tblMeteoData", "tblSoilProfiles", "tblSoilProfilesxSoilBuildingBlocks", "tblDepthDependentSubstProperties", "tblSoilBuildingBlocks", "tblSoilTortMillington", "tblSoilTortTroeh", "tblSoilTortCurrie", "tblTortNames", "tblCrops", "tblCropRootDensities", "tblCultivationSeqs", "tblCultivationSeqxCropsA", "tblCultivationSeqxCropsB", "tblSubstances", "tblSubstanceTransformations", "tblApplicationSchemes", "tblApplicationsAbsolute", "tblApplicationsRelative", "tblApplicationTypes", "tblIrrigationSchemes", "tblIrrigations", "tblDepositionSchemes", "tblDepositions", "tblTillageSchemes", "tblTillages", "tblCntSysEql", "tblCntSysNeq", "tblPrintOutputDepths", "tblXYGraphTemplates"};
const char* const kAfterInsertTables[] = {"tblProjects", "tblRuns", "tblLocations", "tblLocLboGroundWaters", "tblLocLboGroundWaterTS", "tblLocLboFluxSines", "tblLocLboQHs", "tblLocLboDirichlets", "tblLocLboDirichletTS", "tblLocLboHeads", "tblDrainages", "tblLboNames", "tblMeteoStations", "tblMeteoData", "tblSoilProfiles", "tblSoilProfilesxSoilBuildingBlocks", "tblSoilBuildingBlocks", "tblSoilTortMillington", "tblSoilTortTroeh", "tblSoilTortCurrie", "tblCrops", "tblCropRootDensities", "tblCultivationSeqs", "tblCultivationSeqxCropsA", "tblCultivationSeqxCropsB", "tblSubstances", "tblSubstanceTransformations", "tblApplicationSchemes", "tblApplicationsAbsolute", "tblApplicationsRelative", "tblApplicationTypes", "tblIrrigationSchemes", "tblIrrigations", "tblIrrigationTypes", "tblDepositionSchemes", "tblDepositions", "tblTillageSchemes", "tblTillages", "tblCntSysEql", "tblCntSysNeq", "tblPrintOutputDepths", "tblRunPrintVariables", "tblRunPrintVariablesDictionary", "tblXYGraphTemplates"};
const char* const kAfterPostTables[] = {"tblLocations", "tblRuns", "tblCrops", "tblCultivationSeqxCropsA",
                                        "tblSoilProfiles", "tblMeteoData"};

String DatabaseVersionOfModule()
{
    if (!dmQuelm || !dmQuelm->dbDatabase->Connected())
        return String();
    TQuery q;
    q.SetDatabase(dmQuelm->dbDatabase);
    q.SQL.Add("SELECT DBVERSION FROM DBINFO");
    q.Open();
    return q.IsEmpty() ? String() : IntToStr(q.Fields(0)->AsInteger());
}

} // namespace

TdmQuelm::TdmQuelm(TComponent* owner) : TComponent(owner)
{
    SetName("dmQuelm");
    CreateComponents();
    ConnectEvents();
}

TdmQuelm::~TdmQuelm()
{
    DataModuleDestroy(this);
    DisconnectEvents();
    // Tables before data sources before the connection: each detaches from what it uses.
    tables_.clear();
    dataSources_.clear();
    meteoQuery_.reset();
    database_.reset();
    if (dmQuelm == this) {
        dmQuelm = nullptr;
        SetDatabaseFileNameSource(nullptr);
        SetDatabaseVersionSource(nullptr);
    }
}

void TdmQuelm::AfterConstruction()
{
    dmQuelm = this;
    SetDatabaseFileNameSource([this] { return DatabaseFile; });
    SetDatabaseVersionSource(&DatabaseVersionOfModule);
    DataModuleCreate(this);
}

void TdmQuelm::CreateComponents()
{
    database_ = std::make_unique<TDatabase>();
    dbDatabase = database_.get();
    dbDatabase->Name = "dbDatabase";
    dbDatabase->SetDatabaseName("theDatabase");
    dbDatabase->DriverName = "VANTOR";
    dbDatabase->LoginPrompt = false;
    dbDatabase->SessionName = "Default";
    dbDatabase->Params.Add("USER NAME=" + TQuelmIniFile::UserName());

    meteoQuery_ = std::make_unique<TQuery>();
    qryMeteoData = meteoQuery_.get();
    qryMeteoData->Name = "qryMeteoData";
    qryMeteoData->DatabaseName = "theDatabase";
    qryMeteoData->AutoCalcFields = false;
    qryMeteoData->SQL.Add("SELECT *");
    qryMeteoData->SQL.Add("FROM METEODATA");
    qryMeteoData->SQL.Add("WHERE METEOSTATIONCODE=:qName");
    qryMeteoData->SQL.Add("ORDER BY MDATE");
    qryMeteoData->ParamByName("qName")->DataType = ftString;

    for (const TableSpec& entry : kTables) {
        auto table = std::make_unique<TTable>();
        table->Name = entry.component;
        table->DatabaseName = "theDatabase";
        table->TableName = entry.table;
        table->IndexFieldNames = entry.indexFields;
        table->MasterFields = entry.masterFields;
        if (entry.filtered) {
            table->FilterOptions = foCaseInsensitive;
            table->SetFilter("SelectedForPrint = 'Yes'");
            table->SetFiltered(true);
        }
        tableList_.push_back(table.get());
        tables_.push_back(std::move(table));
    }
    for (const SourceSpec& entry : kSources) {
        auto source = std::make_unique<TDataSource>();
        source->Name = entry.name;
        source->SetDataSet(TableByName(entry.dataSet));
        dataSources_.push_back(std::move(source));
    }
    for (const TableSpec& entry : kTables)
        if (*entry.masterSource)
            TableByName(entry.component)->SetMasterSource(DataSourceByName(entry.masterSource));

    // Named members, so that code reads as the module's components do.
    tblProjects = TableByName("tblProjects");
    tblRuns = TableByName("tblRuns");
    tblLocations = TableByName("tblLocations");
    tblLocLboGroundWaters = TableByName("tblLocLboGroundWaters");
    tblLocLboGroundWaterTS = TableByName("tblLocLboGroundWaterTS");
    tblLocLboFluxSines = TableByName("tblLocLboFluxSines");
    tblLocLboQHs = TableByName("tblLocLboQHs");
    tblLocLboDirichlets = TableByName("tblLocLboDirichlets");
    tblLocLboDirichletTS = TableByName("tblLocLboDirichletTS");
    tblLocLboHeads = TableByName("tblLocLboHeads");
    tblDrainages = TableByName("tblDrainages");
    tblLboNames = TableByName("tblLboNames");
    tblMeteoStations = TableByName("tblMeteoStations");
    tblMeteoData = TableByName("tblMeteoData");
    tblSoilProfiles = TableByName("tblSoilProfiles");
    tblSoilProfilesxSoilBuildingBlocks = TableByName("tblSoilProfilesxSoilBuildingBlocks");
    tblDepthDependentSubstProperties = TableByName("tblDepthDependentSubstProperties");
    tblSoilBuildingBlocks = TableByName("tblSoilBuildingBlocks");
    tblSoilTortMillington = TableByName("tblSoilTortMillington");
    tblSoilTortTroeh = TableByName("tblSoilTortTroeh");
    tblSoilTortCurrie = TableByName("tblSoilTortCurrie");
    tblSoilTortMillington2 = TableByName("tblSoilTortMillington2");
    tblSoilTortTroeh2 = TableByName("tblSoilTortTroeh2");
    tblSoilTortCurrie2 = TableByName("tblSoilTortCurrie2");
    tblTortNames = TableByName("tblTortNames");
    tblCrops = TableByName("tblCrops");
    tblCropRootDensities = TableByName("tblCropRootDensities");
    tblCultivationSeqs = TableByName("tblCultivationSeqs");
    tblCultivationSeqxCropsA = TableByName("tblCultivationSeqxCropsA");
    tblCultivationSeqxCropsB = TableByName("tblCultivationSeqxCropsB");
    tblCultivationSeqxCropsB2 = TableByName("tblCultivationSeqxCropsB2");
    tblCropEvents = TableByName("tblCropEvents");
    tblSubstances = TableByName("tblSubstances");
    tblSubstanceTransformations = TableByName("tblSubstanceTransformations");
    tblSubstanceTransformations2 = TableByName("tblSubstanceTransformations2");
    tblApplicationSchemes = TableByName("tblApplicationSchemes");
    tblApplicationsAbsolute = TableByName("tblApplicationsAbsolute");
    tblApplicationsRelative = TableByName("tblApplicationsRelative");
    tblApplicationTypes = TableByName("tblApplicationTypes");
    tblIrrigationSchemes = TableByName("tblIrrigationSchemes");
    tblIrrigations = TableByName("tblIrrigations");
    tblIrrigationTypes = TableByName("tblIrrigationTypes");
    tblDepositionSchemes = TableByName("tblDepositionSchemes");
    tblDepositions = TableByName("tblDepositions");
    tblTillageSchemes = TableByName("tblTillageSchemes");
    tblTillages = TableByName("tblTillages");
    tblCntSysEql = TableByName("tblCntSysEql");
    tblCntSysNeq = TableByName("tblCntSysNeq");
    tblPrintOutputDepths = TableByName("tblPrintOutputDepths");
    tblPrintOutputDepths2 = TableByName("tblPrintOutputDepths2");
    tblRunPrintVariables = TableByName("tblRunPrintVariables");
    tblPrintVertProfDates2 = TableByName("tblPrintVertProfDates2");
    tblRunPrintCategories = TableByName("tblRunPrintCategories");
    tblRunPrintVariablesDictionary = TableByName("tblRunPrintVariablesDictionary");
    tblRunPrintVariablesDictionary3 = TableByName("tblRunPrintVariablesDictionary3");
    tblXYGraphTemplates = TableByName("tblXYGraphTemplates");
    tblDateTimeCounting = TableByName("tblDateTimeCounting");
    tblEvapOptions = TableByName("tblEvapOptions");
    tblOptDspCrps = TableByName("tblOptDspCrps");
    tblOptLenCrps = TableByName("tblOptLenCrps");
    tblOptShapeGrwLevs = TableByName("tblOptShapeGrwLevs");
    tblOptCofFres = TableByName("tblOptCofFres");
    tblOptDrainageTypes = TableByName("tblOptDrainageTypes");
    tblOptDateFormats = TableByName("tblOptDateFormats");
    tblOptHyds = TableByName("tblOptHyds");
    tblOptRhos = TableByName("tblOptRhos");
    tblOptDelTimEvt = TableByName("tblOptDelTimEvt");
    tblOptDelTimPrns = TableByName("tblOptDelTimPrns");
    tblOptHysteresisCodes = TableByName("tblOptHysteresisCodes");
    tblOptOutputDepthTypeCodes = TableByName("tblOptOutputDepthTypeCodes");
    tblOptReports = TableByName("tblOptReports");
    tblMorvaOptDelTimEvts = TableByName("tblMorvaOptDelTimEvts");
    tblMorvaOptDelTimEvt = TableByName("tblMorvaOptDelTimEvt");
    tblMorvaSubstance = TableByName("tblMorvaSubstance");
    tblMorvaApplicationScheme = TableByName("tblMorvaApplicationScheme");
    tblProjectLast = TableByName("tblProjectLast");
    tbldbInfo = TableByName("tbldbInfo");
    dsProjects = DataSourceByName("dsProjects");
    dsRuns = DataSourceByName("dsRuns");
    dsLocations = DataSourceByName("dsLocations");
    dsLocLboGroundWaters = DataSourceByName("dsLocLboGroundWaters");
    dsLocLboGroundWaterTS = DataSourceByName("dsLocLboGroundWaterTS");
    dsLocLboFluxSines = DataSourceByName("dsLocLboFluxSines");
    dsLocLboQHs = DataSourceByName("dsLocLboQHs");
    dsLocLboDirichlets = DataSourceByName("dsLocLboDirichlets");
    dsLocLboDirichletsTS = DataSourceByName("dsLocLboDirichletsTS");
    dsLocLboHeads = DataSourceByName("dsLocLboHeads");
    dsDrainages = DataSourceByName("dsDrainages");
    dsLboNames = DataSourceByName("dsLboNames");
    dsMeteoStations = DataSourceByName("dsMeteoStations");
    dsMeteoData = DataSourceByName("dsMeteoData");
    dsSoilProfiles = DataSourceByName("dsSoilProfiles");
    dsSoilProfilesxSoilBuildingBlocks = DataSourceByName("dsSoilProfilesxSoilBuildingBlocks");
    dsDepthDependentSubstProperties = DataSourceByName("dsDepthDependentSubstProperties");
    dsSoilBuildingBlocks = DataSourceByName("dsSoilBuildingBlocks");
    dsMillington = DataSourceByName("dsMillington");
    dsTroeh = DataSourceByName("dsTroeh");
    dsCurrie = DataSourceByName("dsCurrie");
    dsTortNames = DataSourceByName("dsTortNames");
    dsCrops = DataSourceByName("dsCrops");
    dsCropRootDensities = DataSourceByName("dsCropRootDensities");
    dsCultivationSeqs = DataSourceByName("dsCultivationSeqs");
    dsCultivationSeqxCropsA = DataSourceByName("dsCultivationSeqxCropsA");
    dsCultivationSeqxCropsB = DataSourceByName("dsCultivationSeqxCropsB");
    dsCropStages = DataSourceByName("dsCropStages");
    dsCropEvents = DataSourceByName("dsCropEvents");
    dsSubstances = DataSourceByName("dsSubstances");
    dsSubstanceTransformations = DataSourceByName("dsSubstanceTransformations");
    dsApplicationSchemes = DataSourceByName("dsApplicationSchemes");
    dsApplicationsAbsolute = DataSourceByName("dsApplicationsAbsolute");
    dsApplicationsRelative = DataSourceByName("dsApplicationsRelative");
    dsApplicationTypes = DataSourceByName("dsApplicationTypes");
    dsIrrigationSchemes = DataSourceByName("dsIrrigationSchemes");
    dsIrrigations = DataSourceByName("dsIrrigations");
    dsIrrigationTypes = DataSourceByName("dsIrrigationTypes");
    dsDepositionSchemes = DataSourceByName("dsDepositionSchemes");
    dsDepositions = DataSourceByName("dsDepositions");
    dsTillageSchemes = DataSourceByName("dsTillageSchemes");
    dsTillages = DataSourceByName("dsTillages");
    dsCntSysEql = DataSourceByName("dsCntSysEql");
    dsCntSysNeq = DataSourceByName("dsCntSysNeq");
    dsPrintOutputDepths2 = DataSourceByName("dsPrintOutputDepths2");
    dsRunPrintVariables = DataSourceByName("dsRunPrintVariables");
    dsPrintVertProfDates2 = DataSourceByName("dsPrintVertProfDates2");
    dsRunPrintCategories = DataSourceByName("dsRunPrintCategories");
    dsRunPrintVariablesDictionary = DataSourceByName("dsRunPrintVariablesDictionary");
    dsXYGraphTemplates = DataSourceByName("dsXYGraphTemplates");
    dsDateTimeCounting = DataSourceByName("dsDateTimeCounting");
    dsEvapOptions = DataSourceByName("dsEvapOptions");
    dsOptDspCrps = DataSourceByName("dsOptDspCrps");
    dsOptLenCrps = DataSourceByName("dsOptLenCrps");
    dsOptShapeGrwLevs = DataSourceByName("dsOptShapeGrwLevs");
    dsOptCofFres = DataSourceByName("dsOptCofFres");
    dsOptDrainageTypes = DataSourceByName("dsOptDrainageTypes");
    dsOptDateFormats = DataSourceByName("dsOptDateFormats");
    dsOptHyds = DataSourceByName("dsOptHyds");
    dsOptRhos = DataSourceByName("dsOptRhos");
    dsOptDelTimEvt = DataSourceByName("dsOptDelTimEvt");
    dsOptDelTimPrns = DataSourceByName("dsOptDelTimPrns");
    dsOptHysteresisCodes = DataSourceByName("dsOptHysteresisCodes");
    dsOptOutputDepthTypeCodes = DataSourceByName("dsOptOutputDepthTypeCodes");
    dsOptReports = DataSourceByName("dsOptReports");
    dsMorvaOptDelTimEvts = DataSourceByName("dsMorvaOptDelTimEvts");
    dsMorvaOptDelTimEvt = DataSourceByName("dsMorvaOptDelTimEvt");
    dsMorvaSubstance = DataSourceByName("dsMorvaSubstance");
    dsMorvaApplicationScheme = DataSourceByName("dsMorvaApplicationScheme");
}

void TdmQuelm::ConnectEvents()
{
    auto bind = [this](void (TdmQuelm::*handler)(TDataSet*)) {
        return [this, handler](TDataSet* ds) { (this->*handler)(ds); };
    };
    for (const char* name : kRuleTables) {
        TTable* t = TableByName(name);
        t->BeforeInsert = bind(&TdmQuelm::tblBeforeInsert);
        t->BeforeEdit = bind(&TdmQuelm::tblBeforeEdit);
        t->BeforePost = bind(&TdmQuelm::tblBeforePost);
        if (t != tblDepthDependentSubstProperties)
            t->AfterCancel = bind(&TdmQuelm::tblAfterCancel);
        t->BeforeDelete = bind(&TdmQuelm::tblBeforeDelete);
    }
    tblRunPrintVariables->BeforeDelete = bind(&TdmQuelm::tblBeforeDelete);
    for (const char* name : kAfterInsertTables)
        TableByName(name)->AfterInsert = bind(&TdmQuelm::tblAfterInsert);
    for (const char* name : kAfterPostTables)
        TableByName(name)->AfterPost = bind(&TdmQuelm::tblAfterPost);
    tblPrintVertProfDates2->OnPostError = [this](TDataSet* ds, EDatabaseError& e, TDataAction& action) {
        tblPrintVertProfDates2PostError(ds, e, action);
    };
    ConnectDeleteEvents();
}

TTable* TdmQuelm::TableByName(const String& name) const
{
    for (TTable* t : tableList_)
        if (SameText(t->Name, name))
            return t;
    return nullptr;
}

TDataSource* TdmQuelm::DataSourceByName(const String& name) const
{
    for (const auto& s : dataSources_)
        if (SameText(s->Name, name))
            return s.get();
    return nullptr;
}

// ---------------------------------------------------------------- start-up

bool TdmQuelm::CheckServer()
{
    std::unique_ptr<TfrmVantorInstall6_5> form(New<TfrmVantorInstall6_5>(nullptr));
    return form->CheckServerInstallation();
}

void TdmQuelm::DataModuleCreate(TObject*)
{
    PendingMessages = std::make_unique<TStringList>();
    Assert(!dbDatabase->Connected(), "", "CommonUnits\\GeneralUnits\\dmQuelm_Unit", __LINE__);
    DatabaseFile.clear();
    if (!CheckServer()) {
        MessageDlg("Vantor installation not finished, exiting " + GetProductName() + " !", mtError, {mbOK}, 0);
        return;
    }
    if (RegistryValueExists(HKEY_CURRENT_USER, REG_DATABASE))
        DatabaseFile = ReadRegistryString(HKEY_CURRENT_USER, REG_DATABASE);
    {
        TDBConnector connector(DatabaseFile);
        if (!connector.Connect(TQuelmIniFile::IsLocalDatabase(), false, dbDatabase)) {
            MessageDlg("You are not connected to a database, exiting " + GetProductName() + " !", mtError, {mbOK}, 0);
            return;
        }
        DatabaseFile = connector.DatabaseFile();
    }
    WriteRegistryString(HKEY_CURRENT_USER, REG_DATABASE, DatabaseFile);
    if (!CheckFirstAccess())
        dbDatabase->Close();
    if (dbDatabase->Connected()) {
        ConfirmSwitch = true;
        std::srand(static_cast<unsigned>(std::time(nullptr)));
    }
}

void TdmQuelm::DataModuleDestroy(TObject*)
{
    PendingMessages.reset();
}

bool TdmQuelm::CheckFirstAccess()
{
    Assert(dbDatabase->Connected(), "", "CommonUnits\\GeneralUnits\\dmQuelm_Unit", __LINE__);
    bool result = true;
    tbldbInfo->Open();
    try {
        if (UpperCase(tbldbInfo->FieldByName("ACCESSED")->AsString()) == "NO") {
            const String title = GetApplicationTitle();
            const String product = GetProductName();
            const String text = "The database \"" + DatabaseFile + "\"\r" +
                                "has never been accessed before by " + title + "\r" +
                                "The " + product + " team offers the possibility to upgrade a " + product +
                                " 1 database to " + title + "\r" +
                                "Accessing this " + title + " database now will invalidate this database as a valid\r" +
                                "target when upgrading a " + product + " 1 database to a " + title + " database.\r" +
                                "\r" +
                                "Do you want to continue ?";
            if (MessageDlg(text, mtWarning, {mbYes, mbNo}, 0) == mrYes) {
                tbldbInfo->Edit();
                tbldbInfo->FieldByName("ACCESSED")->SetAsString("Yes");
                tbldbInfo->Post();
            } else {
                result = false;
            }
        }
    } catch (...) {
        tbldbInfo->Close();
        throw;
    }
    tbldbInfo->Close();
    return result;
}

bool TdmQuelm::OpenOtherDatabase()
{
    TDBConnector connector(DatabaseFile);
    if (connector.Connect(TQuelmIniFile::IsLocalDatabase(), true, dbDatabase)) {
        DatabaseFile = connector.DatabaseFile();
        WriteRegistryString(HKEY_CURRENT_USER, REG_DATABASE, DatabaseFile);
        if (!CheckFirstAccess())
            dbDatabase->Close();
        if (dbDatabase->Connected()) {
            ConfirmSwitch = true;
            std::srand(static_cast<unsigned>(std::time(nullptr)));
        }
    }
    return dbDatabase->Connected();
}

// ---------------------------------------------------------------- per-run queries

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

// ---------------------------------------------------------------- side files

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

// ---------------------------------------------------------------- imports

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

namespace {

// Day, month and year of an import line: decimal integers of at most 65535.
int ImportNumber(const String& text)
{
    const int value = StrToInt(text);
    if (value < 0 || value > 65535)
        throw ERangeError(Format("%d is not within the valid range of 0..65535", {value}));
    return value;
}

} // namespace

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
    struct TRow {
        int line;
        TDateTime day;
        String value;
    };
    std::vector<TRow> rows;
    String problem;
    {
        TDxTextFile file(request.FileName);
        file.SetSeparator("");
        bool inData = false;
        int lineNo = 0;
        while (problem.empty() && file.ReadLine()) {
            ++lineNo;
            const TDxLine& line = file.Line();
            if (line.FieldCount() == 0)
                continue; // an empty line carries nothing
            if (!inData && line.Field(1).compare(0, 1, "*") == 0)
                continue;
            inData = true;
            const String where = Format("Line %d of the file \"%s\" cannot be imported: ", {lineNo, request.FileName});
            if (line.FieldCount() < 4) {
                problem = where + "it must hold a day, a month, a year and a value.";
                break;
            }
            int part[3] = {0, 0, 0};
            for (int i = 0; i < 3 && problem.empty(); ++i)
                if (!TryStrToInt(line.Field(i + 1), part[i]) || part[i] < 0 || part[i] > 65535)
                    problem = where + "'" + line.Field(i + 1) + "' is not a valid day, month or year.";
            TRow row{lineNo, 0, line.Field(4)};
            double value = 0;
            if (problem.empty() && !TryEncodeDate(part[2], part[1], part[0], row.day))
                problem = where + Format("%d %d %d is not a valid date.", {part[0], part[1], part[2]});
            else if (problem.empty() && !TryStrToFloat(row.value, value))
                problem = where + "'" + row.value + "' is not a valid number.";
            if (problem.empty())
                rows.push_back(row);
        }
    }
    if (problem.empty() && rows.empty())
        problem = "The file \"" + request.FileName + "\" holds no data lines; nothing was imported.";
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
        for (const TRow& row : rows) {
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

// ---------------------------------------------------------------- routines of the unit

void OpenOrRefresh(TTable* table)
{
    if (table->Active())
        table->Refresh();
    else
        table->Open();
}

void OpenUnfiltered(TTable* table)
{
    if (table->Filtered())
        table->SetFiltered(false);
    OpenOrRefresh(table);
}

void PostPendingEdits(TTable* table)
{
    if (table->State() == dsEdit || table->State() == dsInsert)
        table->Post();
    else if (dmQuelm)
        dmQuelm->ConfirmOn();
}

TTable* CloneTable(TTable* table)
{
    auto* clone = new TTable();
    clone->DatabaseName = table->DatabaseName;
    clone->TableName = table->TableName;
    clone->IndexFieldNames = table->IndexFieldNames;
    clone->Open();
    clone->First();
    return clone;
}

void CopyFieldValues(TDataSet* source, TDataSet* target)
{
    for (int i = 0; i < source->FieldCount(); ++i) {
        TField* field = target->Fields(i);
        if (SameText(field->FieldName(), "LOCKED"))
            field->SetAsString("No");
        else
            field->SetValue(source->Fields(i)->Value());
    }
}

void LocateIntegerKey(TDataSet* table, int value)
{
    for (table->First(); !table->Eof(); table->Next())
        if (table->Fields(0)->AsInteger() == value)
            return;
    table->First();
}

void EditComment(TDataSource* source)
{
    std::unique_ptr<TfrmComment> form(New<TfrmComment>(nullptr));
    form->SetDataSource(source);
    form->ShowModal();
}

namespace {

// The copy of the rows with one key under another key; `matches` and `setKey` know the key's
// type.
bool CopyRecords(TTable* table, const std::function<bool(TField*)>& matches, const std::function<void(TField*)>& setKey,
                 const String& keyField)
{
    std::unique_ptr<TfrmCopyProgress> progress(New<TfrmCopyProgress>(nullptr));
    progress->Show();
    progress->ShowScanned(0);
    progress->ShowCopied(0);
    table->Close();
    try {
        // All rows in one transaction (or within the caller's): a failure copies nothing.
        TdmQuelm::TTransactionScope transaction(table->Database());
        std::unique_ptr<TTable> reader(CloneTable(table));
        std::unique_ptr<TTable> writer(CloneTable(table));
        int scanned = 0;
        int copied = 0;
        // The reader holds the rows as they were when it opened, so a copied row is never
        // met (and copied) again.
        while (!reader->Eof()) {
            if (matches(reader->FieldByName(keyField))) {
                writer->Insert();
                CopyFieldValues(reader.get(), writer.get());
                setKey(writer->FieldByName(keyField));
                writer->Post();
                progress->ShowCopied(++copied);
            }
            reader->Next();
            progress->ShowScanned(++scanned);
        }
        transaction.Commit();
    } catch (...) {
        table->Open();
        throw;
    }
    progress.reset();
    table->Open();
    return true;
}

} // namespace

bool CopyRecordsWithKey(TTable* table, const String& keyField, const String& oldKey, const String& newKey)
{
    return CopyRecords(
        table, [&](TField* f) { return f->AsString() == oldKey; }, [&](TField* f) { f->SetAsString(newKey); },
        keyField);
}

bool CopyRecordsWithIntegerKey(TTable* table, const String& keyField, int oldKey, int newKey)
{
    return CopyRecords(
        table, [&](TField* f) { return !f->IsNull() && f->AsInteger() == oldKey; },
        [&](TField* f) { f->SetAsInteger(newKey); }, keyField);
}

// ---------------------------------------------------------------- dataset rules

namespace {

String UpperText(TDataSet* ds, const char* field)
{
    TField* f = ds->FindField(field);
    return f ? UpperCase(f->AsString()) : String();
}

// Tables edited together with a partner: before an edit or insert, a partner holding unposted
// changes is posted first, with a line above its save prompt.
struct PartnerRule {
    const char* table;
    const char* partner;
    const char* line;
};
const PartnerRule kPartners[] = {
    {"tblApplicationsAbsolute", "tblApplicationSchemes", "Changes were made to the Application Schemes"},
    {"tblApplicationsRelative", "tblApplicationSchemes", "Changes were made to the Application Schemes"},
    {"tblApplicationSchemes", "tblApplicationsAbsolute", "Changes were made to the Applications"},
    {"tblApplicationSchemes", "tblApplicationsRelative", "Changes were made to the Applications"},
    {"tblTillages", "tblTillageSchemes", "Changes were made to the Tillage Schemes"},
    {"tblTillageSchemes", "tblTillages", "Changes were made to the Tillages"},
    {"tblIrrigations", "tblIrrigationSchemes", "Changes were made to the Irrigation Schemes"},
    {"tblIrrigationSchemes", "tblIrrigations", "Changes were made to the Irrigations"},
    {"tblDepositions", "tblDepositionSchemes", "Changes were made to the Deposition Schemes"},
    {"tblDepositionSchemes", "tblDepositions", "Changes were made to the Depositions"},
    {"tblCntSysEql", "tblCntSysNeq", "Changes were made to the Non-equilibrium domain"},
    {"tblCntSysNeq", "tblCntSysEql", "Changes were made to the Equilibrium domain"},
    {"tblCultivationSeqxCropsA", "tblCultivationSeqs", "Changes were made to the Crop Calendar"},
    {"tblCultivationSeqs", "tblCultivationSeqxCropsA", "Changes were made to the Crops in the Calendar"},
    {"tblSoilProfiles", "tblSoilProfilesxSoilBuildingBlocks", "Changes were made to the Soil building blocks"},
    {"tblSoilProfilesxSoilBuildingBlocks", "tblSoilProfiles", "Changes were made to the Soil profile"},
};

// Default values of a new record. A text of "=today" is today's date without time.
struct DefaultValue {
    const char* field;
    Variant value;
};
const Variant kToday = QStringLiteral("=today");

const std::map<String, std::vector<DefaultValue>>& Defaults()
{
    using V = Variant;
    static const std::map<String, std::vector<DefaultValue>> defaults = {
        {"PROJECTS", {{"DESCRIPTION", V("ProjectID0Description")}, {"CREATIONDATE", kToday}, {"MODIFICATIONDATE", kToday},
                      {"LOCKED", V("No")}}},
        {"RUNS",
         {{"DISABLERESULTS", V("Yes")}, {"ISRESTRICTEDRUN", V("No")}, {"SELECTEDFOREXECUTION", V("Yes")},
          {"CULTIVATIONSEQUENCECODE", V("No")}, {"SUBSTANCECODE", V("No")}, {"APPLICATIONSCHEMECODE", V("No")},
          {"IRRIGATIONSCHEMECODE", V("No")}, {"DEPOSITIONSCHEMECODE", V("No")}, {"TILLAGESCHEMECODE", V("No")},
          {"RESULTSREPORT", V("No")}, {"RESULTSDETAILED", V("NotAvailable")}, {"RESULTSSUMMARY", V("NotAvailable")},
          {"DETAILEDOUTPUT", V("Yes")}, {"PRINTCUMULATIVES", V("Yes")}, {"AMASYSEND", V(0.0)},
          {"OPTDELTIMEVT", V("NoRepeat")}, {"REPEATHYDROLOGY", V("No")}, {"OPTDELTIMPRNCODE", V("Other")},
          {"DELTIMPRN", V(1)}, {"DELTIMSWAMIN", V(1e-7)}, {"DELTIMSWAMAX", V(0.2)}, {"THETATOL", V(0.001)},
          {"OPTDATEFORMATCODE", V("DaysFromSta")}, {"OPTHYD", V("OnLine")}, {"ZGRWLEVSTA", V(-100.0)},
          {"ZFOC", V(1.0)}, {"GWLTOL", V(1.0)}, {"MAXITSWA", V(30)}, {"OPTHYSTERESISCODE", V("No")},
          {"PREHEAWETDRYMIN", V(0.2)}, {"OPTOUTPUTDEPTHTYPECODE", V("Other")}, {"REALFORMAT", V("G12.4")},
          {"CREATIONDATE", kToday}, {"MODIFICATIONDATE", kToday}}},
        {"LOCATIONS",
         {{"LOCATIONCODE", V("Location0")}, {"NAME", V("Location0Name")}, {"COUNTRY", V("The Netherlands")},
          {"LONGITUDE", V(5.5)}, {"LATITUDE", V(52.0)}, {"ALTITUDE", V(0.0)}, {"ZPNDMAX", V(0.0)},
          {"TEMLBOSTA", V(10.0)}, {"THIAIRBOULAY", V(0.01)}, {"CREATIONDATE", kToday}, {"MODIFICATIONDATE", kToday},
          {"OPTDRA", V("No")}, {"LBONAMECODE", V("GrwLev")}, {"MORVAZGRWLEVSTA", V(-9900.0)}, {"MORVASELECTED", V(0)},
          {"LOCKED", V("No")}}},
        {"LOCATIONLBOGROUNDWATERS", {{"LOCKED", V("No")}}},
        {"LOCATIONLBODIRICHLETS", {{"LOCKED", V("No")}}},
        {"LOCATIONLBOGROUNDWATERTS", {{"GRWLEV", V(-100.0)}}},
        {"LOCATIONLBODIRICHLETTS", {{"MVALUE", V(-100.0)}}},
        {"LOCATIONLBOFLUXSINES", {{"FLVLIQLBOAVG", V(-0.25)}, {"FLVLIQLBOAMP", V(0.1)},
                                  {"DATEINYRFLVLIQLBOMAX", V("1 Oct")}, {"LOCKED", V("No")}}},
        {"LOCATIONLBOQHS", {{"COFFNCGRWLEV", V(-0.0112)}, {"EXPFNCGRWLEV", V(-2.5)}, {"LOCKED", V("No")}}},
        {"LOCATIONLBOHEADS", {{"OPTSHAPEGRWLEV", V("ELLIPTIC")}, {"HEADRABASE", V(-1.1)}, {"RSTAQT", V(500.0)},
                              {"HEAAQFAVG", V(-1.4)}, {"HEAAQFAMP", V(0.2)}, {"DATEINYRHEAAQFMAX", V("1 Apr")},
                              {"LOCKED", V("No")}}},
        {"DRAINAGES", {{"DRAINAGELEVEL", V(1)}, {"RSTDRA", V(100.0)}, {"DISTDRA", V(20.0)}, {"RSTINF", V(100.0)},
                       {"ZDRA", V(1.5)}, {"ZSURWAT", V(0.0)}, {"OPTDRAINAGETYPECODE", V("Channel")}}},
        {"LBONAMES", {{"LOCKED", V("No")}}},
        {"IRRIGATIONTYPES", {{"LOCKED", V("No")}}},
        {"APPLICATIONTYPES", {{"LOCKED", V("No")}}},
        {"SUBSTANCETRANSFORMATIONS", {{"LOCKED", V("No")}}},
        {"METEOSTATIONS", {{"METEOSTATIONCODE", V("MetStn0")}, {"NAME", V("MeteoStation0Name")},
                           {"COUNTRY", V("The Netherlands")}, {"LONGITUDE", V(5.5)}, {"LATITUDE", V(52.0)},
                           {"ALTITUDE", V(0.0)}, {"EVAPORATIONOPTIONCODE", V("Input")}, {"LOCKED", V("No")}}},
        {"METEODATA", {{"MDATE", kToday}, {"RDD", V(0.0)}, {"TMMN", V(0.0)}, {"TMMX", V(0.0)}, {"VP", V(0.0)},
                       {"WN", V(0.0)}, {"RAIN", V(0.0)}, {"ETREF", V(0.0)}}},
        {"SOILPROFILES", {{"SOILPROFILECODE", V("Soil0")}, {"NAME", V("Soil0Name")}, {"FACEVPSOL", V(1.0)},
                          {"COFREDEVP", V(0.63)}, {"TORTNAMECODE", V("Currie")}, {"OPTRHO", V("Calculate")},
                          {"LOCKED", V("No")}}},
        {"SOILPROFILESXSOILBUILDINGBLOCKS", {{"HORIZONSEQNO", V(1)}, {"THICKNESS", V(0.1)}, {"COMPARTMENTCNT", V(1)},
                                             {"LENDISLIQ", V(0.05)}, {"FACZTRA", V(1.0)}, {"FACZSOR", V(1.0)}}},
        {"SOILBUILDINGBLOCKS",
         {{"SOILBUILDINGBLOCKCODE", V("SoilBuildingBlock0")}, {"FRASAND", V(0.5)}, {"FRASILT", V(0.3)},
          {"FRACLAY", V(0.2)}, {"CNTOM", V(0.05)}, {"PH", V(7.0)}, {"THETASAT", V(0.5)}, {"THETARES", V(0.02)},
          {"ALPHA", V(0.03)}, {"ALPHAWET", V(0.06)}, {"N", V(3.0)}, {"KSAT", V(5.0)}, {"L", V(0.0)},
          {"RHO", V(1300.0)}, {"LOCKED", V("No")}}},
        {"SOILTORTCURRIE", {{"COFDIFGASCUR", V(2.5)}, {"EXPDIFGASCUR", V(3.0)}, {"COFDIFLIQCUR", V(2.5)},
                            {"EXPDIFLIQCUR", V(3.0)}}},
        {"SOILTORTMILLQUIRK", {{"EXPDIFLIQMILNOM", V(2.0)}, {"EXPDIFLIQMILDEN", V(0.6667)}, {"EXPDIFGASMILNOM", V(2.0)},
                               {"EXPDIFGASMILDEN", V(0.6667)}}},
        {"SOILTORTTROEH", {{"COFDIFGASTRO", V(0.5)}, {"EXPDIFGASTRO", V(1.5)}, {"COFDIFLIQTRO", V(0.5)},
                           {"EXPDIFLIQTRO", V(1.5)}}},
        {"CROPS", {{"CROPCODE", V("Crop0")}, {"NAME", V("Crop0Name")}, {"HLIM1", V(-10.0)}, {"HLIM2", V(-25.0)},
                   {"HLIM3U", V(-1000.0)}, {"HLIM3L", V(-1000.0)}, {"HLIM4", V(-8000.0)}, {"COFEXTRAD", V(0.39)},
                   {"COFEXTDIR", V(1.0)}, {"COFINTCRP", V(0.0001)}, {"RSTEVPCRP", V(70.0)}, {"ZTENSIOMETER", V(0.2)},
                   {"MORVASELECTED", V(0)}, {"LOCKED", V("No")}}},
        {"CROPROOTDENSITIES", {{"RELATIVEDEPTH", V(0.0)}, {"ROOTDENSITY", V(0.0)}}},
        {"CULTIVATIONSEQUENCES", {{"CULTIVATIONSEQUENCECODE", V("CultivationSequence0")},
                                  {"NAME", V("CultivationSequence0Name")}, {"REPEATCROPS", V("Yes")},
                                  {"OPTLENCRP", V("Fixed")}, {"LOCKED", V("No")}}},
        {"CULTIVATIONSEQUENCEXCROPSA", {{"CULTIVATIONSEQNO", V(1)}, {"EMERGENCEYEAROFFSET", V(0)},
                                        {"HARVESTYEAROFFSET", V(0)}, {"LOCKED", V("No")}, {"PREHEAIRRSTA", V(-100.0)},
                                        {"IRGTHRESHOLD", V(15.0)}}},
        {"CULTIVATIONSEQUENCEXCROPSB", {{"DEVELOPMENTSTAGE", V(0.0)}, {"LAI", V(0.0)}, {"FACCRP", V(1.0)},
                                        {"ZROOT", V(0.0)}, {"HEIGHTCRP", V(0.0)}}},
        {"SUBSTANCES",
         {{"ISPARENT", V("Yes")}, {"OPTCNTLIQTRAREF", V("No")}, {"EXPLIQTRA", V(0.7)}, {"CNTLIQTRAREF", V(1.0)},
          {"MOLENTTRA", V(65.4)}, {"OPTCOFFRECODE", V("pH-independent")}, {"PHCORRECTION", V(0.0)},
          {"EXPFRE", V(0.9)}, {"CONLIQREF", V(1.0)}, {"COFDESRAT", V(0.0)}, {"FACSORNEQEQL", V(0.0)},
          {"MOLENTSLB", V(27.0)}, {"MOLENTVAP", V(95.0)}, {"MOLENTSOR", V(0.0)}, {"TEMREFSOR", V(20.0)},
          {"FACUPT", V(0.5)}, {"TEMREFDIF", V(20.0)}, {"COFDIFWATREF", V(4.3e-5)}, {"COFDIFAIRREF", V(0.43)},
          {"OPTDSPCRP", V("Lumped")}, {"DT50DSPCRP", V(1000000.0)}, {"DT50PENCRP", V(1000000.0)},
          {"DT50VOLCRP", V(1000000.0)}, {"DT50TRACRP", V(1000000.0)}, {"FACWASCRP", V(100.0)}, {"LOCKED", V("No")}}},
        {"APPLICATIONSCHEMES", {{"APPLICATIONSCHEMECODE", V("ApplicationScheme0")},
                                {"DESCRIPTION", V("ApplicationScheme0Description")}, {"LOCKED", V("No")}}},
        {"APPLICATIONSABSOLUTE", {{"APPLICATIONTYPECODE", V("AppSolSur")}, {"DOSAGE", V(1.0)},
                                  {"APPLICATIONPARAMETER", V(0.0)}}},
        {"APPLICATIONSRELATIVE", {{"CROPCALENDARSEQNO", V(1)}, {"CROPEVENTCODE", V("Emg")}, {"DATERELATIVE", V(0)},
                                  {"APPLICATIONTYPECODE", V("AppSolSur")}, {"DOSAGE", V(1.0)},
                                  {"APPLICATIONPARAMETER", V(0.0)}}},
        {"IRRIGATIONSCHEMES", {{"IRRIGATIONSCHEMECODE", V("IrrigationScheme0")},
                               {"DESCRIPTION", V("IrrigationScheme0Description")}, {"LOCKED", V("No")}}},
        {"IRRIGATIONS", {{"AMOUNT", V(0.0)}}},
        {"DEPOSITIONSCHEMES", {{"DEPOSITIONSCHEMECODE", V("DepositionScheme0")},
                               {"DESCRIPTION", V("DepositionScheme0Description")}, {"LOCKED", V("No")}}},
        {"DEPOSITIONS", {{"FLMDEP", V(0.0)}}},
        {"TILLAGESCHEMES", {{"TILLAGESCHEMECODE", V("TillageScheme0")}, {"DESCRIPTION", V("TillageScheme0Description")},
                            {"LOCKED", V("No")}}},
        {"TILLAGES", {{"DEPTH", V(0.0)}}},
        {"CNTSYSEQL", {{"Z", V(0.0)}, {"CNTSYSEQL", V(0.0)}}},
        {"CNTSYSNEQ", {{"Z", V(0.0)}, {"CNTSYSNEQ", V(0.0)}}},
        {"RUNPRINTOUTPUTDEPTHS", {{"OUTPUTDEPTH", V(0.05)}}},
        {"RUNPRINTVARIABLESDICTIONARY", {{"DEFAULTVALUE", V("No")}, {"BASICTODISPLAYUNITCONVERSION", V(1.0)},
                                         {"HASDEPTH", V("No")}, {"ISCOMPOUND", V("No")}, {"ISVENNICVARIABLE", V("No")}}},
        {"XYGRAPHTEMPLATES", {{"GRAPHTEMPLATECODE", V("GraphTemplate0")}, {"NAME", V("GraphTemplate0Name")},
                              {"XUSE", V("Yes")}, {"YUSE", V("Yes")}}},
    };
    return defaults;
}

void ApplyDefaults(TDataSet* ds, const std::vector<DefaultValue>& values)
{
    for (const DefaultValue& d : values) {
        TField* f = ds->FindField(d.field);
        if (!f)
            continue;
        if (d.value == kToday)
            f->SetAsDateTime(Date());
        else
            f->SetValue(d.value);
    }
}

} // namespace

bool TdmQuelm::IsRecordLocked(TTable* table)
{
    if (table->FindField("LOCKED"))
        return UpperText(table, "LOCKED") == "YES";
    TDataSet* master = table->MasterSource() ? table->MasterSource()->DataSet() : nullptr;
    return !Trim(table->MasterFields).empty() && master && UpperText(master, "LOCKED") == "YES";
}

void TdmQuelm::CheckRecordNotLocked(TTable* table)
{
    if (!IsRecordLocked(table))
        return;
    MessageDlg("Record is locked because it is a predefined record", mtError, {mbCancel}, 0);
    Abort();
}

void TdmQuelm::CheckMasterNotLocked(TTable* table)
{
    TDataSet* master = table->MasterSource() ? table->MasterSource()->DataSet() : nullptr;
    if (Trim(table->MasterFields).empty() || !master || UpperText(master, "LOCKED") != "YES")
        return;
    MessageDlg("Record is locked because it is a predefined record", mtError, {mbCancel}, 0);
    Abort();
}

void TdmQuelm::StampModificationDate(TTable* table)
{
    table->FieldByName("MODIFICATIONDATE")->SetAsDateTime(Date());
}

void TdmQuelm::PostPartners(TTable* table)
{
    for (const PartnerRule& rule : kPartners) {
        if (!SameText(table->Name, rule.table))
            continue;
        TTable* partner = TableByName(rule.partner);
        if (partner->State() == dsBrowse || partner->State() == dsInactive)
            continue;
        PendingMessages->Add(rule.line);
        partner->Post();
    }
}

void TdmQuelm::tblBeforeInsert(TDataSet* dataSet)
{
    auto* table = static_cast<TTable*>(dataSet);
    PostPartners(table);
    if (ConfirmSwitch)
        CheckMasterNotLocked(table);
}

void TdmQuelm::tblBeforeEdit(TDataSet* dataSet)
{
    auto* table = static_cast<TTable*>(dataSet);
    PostPartners(table);
    if (ConfirmSwitch)
        CheckRecordNotLocked(table);
}

void TdmQuelm::RunsBeforePost()
{
    // The results token: the post that stores a calculation's results comes with "No" and
    // keeps them; every other post of a run makes its results unavailable.
    TField* token = tblRuns->FieldByName("DISABLERESULTS");
    if (UpperCase(token->AsString()) != "YES") {
        token->SetAsString("Yes");
    } else {
        tblRuns->FieldByName("RESULTSSUMMARY")->SetAsString("NotAvailable");
        tblRuns->FieldByName("RESULTSDETAILED")->SetAsString("NotAvailable");
        tblRuns->FieldByName("RESULTSREPORT")->SetAsString("No");
    }
    StampModificationDate(tblRuns);
    tblRuns->FieldByName("CHANGEDETECTION")->SetAsString(FloatToStr(std::rand() / (RAND_MAX + 1.0)));
}

void TdmQuelm::TableBeforePost(TTable* table)
{
    if (table == tblProjects) {
        StampModificationDate(table);
    } else if (table == tblRuns) {
        RunsBeforePost();
    } else if (table == tblSubstances) {
        struct Need {
            const char* option;
            const char* field;
            const char* text;
        };
        static const Need needs[] = {
            {"PH-INDEPENDENT", "KOMEQL", "Kom (coef. for sorption on org. matter) cannot be empty."},
            {"PH-DEPENDENT", "KOMEQLACID", "Kom - acid (coef. for sorption on org. matter) cannot be empty."},
            {"PH-DEPENDENT", "KOMEQLBASE", "Kom - base (coef. for sorption on org. matter) cannot be empty."},
            {"PH-DEPENDENT", "PKA", "pKa cannot be empty."},
            {"USERDEFINED", "KSOREQL", "Kf (Coef. for sorption) cannot be empty."},
        };
        const String option = UpperText(table, "OPTCOFFRECODE");
        bool known = false;
        for (const Need& need : needs) {
            if (option != need.option)
                continue;
            known = true;
            if (table->FieldByName(need.field)->IsNull()) {
                MessageDlg(need.text, mtError, {mbOK}, 0);
                Abort();
            }
        }
        if (!known)
            MessageDlg("Internal error", mtError, {mbOK}, 0);
    } else if (table == tblApplicationsAbsolute || table == tblApplicationsRelative) {
        const String type = UpperText(table, "APPLICATIONTYPECODE");
        if (type == "APPCRPLAI" || type == "APPSOLSUR")
            table->FieldByName("APPLICATIONPARAMETER")->SetAsFloat(0);
        if (table == tblApplicationsRelative && table->FieldByName("CROPCALENDARSEQNO")->AsInteger() != 1) {
            PendingMessages->Add("Warning:");
            PendingMessages->Add("The crop number specifies the sequence number of the crop in the crop calendar.");
            PendingMessages->Add("For Morva-QUELM scenarios this sequence number is 1 if only one crop is grown each year.");
            PendingMessages->Add("Only for the crops beans, cabbage and carrots this sequence number can be either 1 or 2.");
        }
    } else if (table == tblCultivationSeqs) {
        if (table->FieldByName("REPEATCROPS")->AsString() != "Yes") {
            MessageDlg(Format("Repeat crop calendar must be checked for %s", {GetProductName()}), mtError, {mbOK}, 0);
            table->FieldByName("REPEATCROPS")->SetAsString("Yes");
            Abort();
        }
    } else if (table == tblDepthDependentSubstProperties) {
        if (tblSubstances->Active() && tblSoilProfiles->Active() && UpperText(tblSubstances, "LOCKED") == "YES" &&
            UpperText(tblSoilProfiles, "LOCKED") == "YES") {
            ConfirmSwitch = true;
            MessageDlg("Cannot save depth dependent substance properties between MORVA soilprofile and MORVA substance.",
                       mtError, {mbOK}, 0);
            Abort();
        }
    }
}

void TdmQuelm::tblBeforePost(TDataSet* dataSet)
{
    auto* table = static_cast<TTable*>(dataSet);
    TableBeforePost(table);
    if (!ConfirmSwitch) {
        PendingMessages->Clear();
        ConfirmSwitch = true;
        return;
    }
    if (PendingMessages->Count() > 0)
        PendingMessages->Add(" ");
    PendingMessages->Add("Save the changed information ?");
    String text;
    for (int i = 0; i < PendingMessages->Count(); ++i)
        text += (i ? "\r" : "") + (*PendingMessages)[i];
    const int answer = MessageDlg(text, mtConfirmation, mbYesNoCancel, 0);
    if (Screen)
        Screen->SetCursor(crHourGlass);
    PendingMessages->Clear();
    ConfirmSwitch = true;
    if (answer == mrYes)
        return;
    if (answer == mrNo)
        table->Cancel();
    Abort();
}

void TdmQuelm::tblAfterCancel(TDataSet* dataSet)
{
    dataSet->Refresh();
}

void TdmQuelm::tblBeforeDelete(TDataSet* dataSet)
{
    auto* table = static_cast<TTable*>(dataSet);
    if (ConfirmSwitch) {
        CheckRecordNotLocked(table);
        if (MessageDlg("Delete record ?", mtConfirmation, mbYesNo, 0) != mrYes) {
            ConfirmSwitch = true;
            Abort();
        }
    }
    ConfirmSwitch = true;
    if (table == tblProjects) {
        // The runs go here, the project row by the delete that fired this handler; its
        // after-delete commits, a failed delete rolls everything back.
        projectDelete_ = std::make_unique<TTransactionScope>(dbDatabase);
        deletedRuns_.clear();
        try {
            tblRuns->Open();
            while (!tblRuns->IsEmpty()) {
                tblRuns->First();
                ConfirmOff();
                tblRuns->Delete();
            }
        } catch (...) {
            FinishProjectDelete(false);
            throw;
        }
    } else if (table == tblRuns) {
        deletingRun_ = tblRuns->FieldByName("RUNID")->AsInteger();
    }
}

void TdmQuelm::tblAfterInsert(TDataSet* dataSet)
{
    auto* table = static_cast<TTable*>(dataSet);
    auto found = Defaults().find(UpperCase(table->TableName));
    if (found != Defaults().end())
        ApplyDefaults(table, found->second);
    if (table == tblRunPrintVariables) {
        // Every output flag starts as "No"; the vertical-profile flags come from the dictionary
        // when the run's default rows are made.
        for (int i = 1; i < table->FieldCount(); ++i)
            if (!EndsText("_VPRF", table->Fields(i)->FieldName()))
                table->Fields(i)->SetAsString("No");
    }
    struct NewKey {
        TTable* table;
        const char* tableName;
        const char* keyField;
    } const keys[] = {{tblProjects, "Projects", "ProjectID"},
                      {tblRuns, "Runs", "RunID"},
                      {tblCultivationSeqxCropsA, "CULTIVATIONSEQUENCEXCROPSA", "CULTIVATIONSEQUENCEXCROPID"}};
    for (const NewKey& key : keys) {
        if (table != key.table)
            continue;
        const int id = NewKeyValue(key.tableName, key.keyField);
        if (id == -1) {
            table->Cancel();
            throw Exception("Failed to find new ID");
        }
        table->FieldByName(key.keyField)->SetAsInteger(id);
        if (table == tblRuns)
            table->FieldByName("NAME")->SetAsString("Run " + IntToStr(id));
    }
}

void TdmQuelm::InsertDefaultLocationRows()
{
    if (Screen)
        Screen->SetCursor(crHourGlass);
    for (TTable* t : {tblLocLboGroundWaters, tblLocLboGroundWaterTS, tblLocLboFluxSines, tblLocLboQHs,
                      tblLocLboDirichlets, tblLocLboDirichletTS, tblLocLboHeads})
        OpenOrRefresh(t);
    const String code = tblLocations->FieldByName("LOCATIONCODE")->AsString();
    auto insertRow = [this](TTable* t, const std::function<void()>& fill) {
        ConfirmOff();
        t->Insert();
        fill();
        ConfirmOff();
        t->Post();
    };
    auto setCode = [&code](TTable* t) { return [t, &code] { t->FieldByName("LOCATIONCODE")->SetAsString(code); }; };
    auto series = [&](TTable* head, TTable* ts) {
        if (!head->IsEmpty())
            return;
        insertRow(head, setCode(head));
        for (TDateTime day : {EncodeDate(1900, 1, 1), EncodeDate(2099, 12, 31)})
            insertRow(ts, [&, ts, day] {
                setCode(ts)();
                ts->FieldByName("MDATE")->SetAsDateTime(day);
            });
    };
    series(tblLocLboGroundWaters, tblLocLboGroundWaterTS);
    if (tblLocLboFluxSines->IsEmpty())
        insertRow(tblLocLboFluxSines, setCode(tblLocLboFluxSines));
    if (tblLocLboQHs->IsEmpty())
        insertRow(tblLocLboQHs, setCode(tblLocLboQHs));
    series(tblLocLboDirichlets, tblLocLboDirichletTS);
    if (tblLocLboHeads->IsEmpty())
        insertRow(tblLocLboHeads, setCode(tblLocLboHeads));
}

void TdmQuelm::InsertDefaultRunRows()
{
    for (TTable* t : {tblRunPrintVariables, tblPrintOutputDepths, tblCntSysEql, tblCntSysNeq})
        OpenOrRefresh(t);
    const int run = tblRuns->FieldByName("RUNID")->AsInteger();
    if (tblRunPrintVariables->IsEmpty()) {
        ConfirmOff();
        tblRunPrintVariables->Insert();
        tblRunPrintVariables->FieldByName("RUNID")->SetAsInteger(run);
        // The dictionary's defaults win over the after-insert values.
        TQuery query;
        query.DatabaseName = dbDatabase->DatabaseName();
        for (int i = 1; i < tblRunPrintVariables->FieldCount(); ++i) {
            TField* field = tblRunPrintVariables->Fields(i);
            query.Close();
            query.SQL.Clear();
            query.SQL.Add("SELECT DefaultValue FROM RunPrintVariablesDictionary");
            query.SQL.Add("WHERE UPPER(VariableName) = " + QuotedStr(UpperCase(field->FieldName())));
            query.Prepare();
            query.Open();
            field->SetAsString(query.IsEmpty() ? String() : query.Fields(0)->AsString());
        }
        ConfirmOff();
        tblRunPrintVariables->Post();
    }
    auto rows = [this, run](TTable* t, const std::vector<std::pair<const char*, double>>& values,
                            const std::vector<std::vector<double>>& data) {
        if (!t->IsEmpty())
            return;
        for (const auto& row : data) {
            ConfirmOff();
            t->Insert();
            t->FieldByName("RUNID")->SetAsInteger(run);
            for (size_t k = 0; k < values.size(); ++k)
                t->FieldByName(values[k].first)->SetAsFloat(row[k]);
            ConfirmOff();
            t->Post();
        }
    };
    rows(tblPrintOutputDepths, {{"OUTPUTDEPTH", 0}},
         {{0.05}, {0.1}, {0.2}, {0.3}, {0.4}, {0.5}, {0.75}, {1.0}, {2.0}});
    rows(tblCntSysEql, {{"Z", 0}, {"CNTSYSEQL", 0}}, {{0, 0}, {50, 0}});
    rows(tblCntSysNeq, {{"Z", 0}, {"CNTSYSNEQ", 0}}, {{0, 0}, {50, 0}});
}

void TdmQuelm::tblAfterPost(TDataSet* dataSet)
{
    if (dataSet == tblLocations) {
        InsertDefaultLocationRows();
    } else if (dataSet == tblRuns) {
        InsertDefaultRunRows();
    } else if (dataSet == tblCrops) {
        OpenOrRefresh(tblCropRootDensities);
        if (tblCropRootDensities->IsEmpty()) {
            const String crop = tblCrops->FieldByName("CROPCODE")->AsString();
            for (double depth : {0.0, 1.0}) {
                ConfirmOff();
                tblCropRootDensities->Insert();
                tblCropRootDensities->FieldByName("CROPCODE")->SetAsString(crop);
                tblCropRootDensities->FieldByName("RELATIVEDEPTH")->SetAsFloat(depth);
                tblCropRootDensities->FieldByName("ROOTDENSITY")->SetAsFloat(1);
                ConfirmOff();
                tblCropRootDensities->Post();
            }
        }
    } else if (dataSet == tblCultivationSeqxCropsA) {
        if (Screen)
            Screen->SetCursor(crHourGlass);
        TTable* stages = tblCultivationSeqxCropsB2;
        OpenOrRefresh(stages);
        if (stages->IsEmpty()) {
            static const double rows[3][5] = {{0, 0, 1, 0.1, 0}, {0.5, 4, 1, 0.3, 0.1}, {1, 0, 1, 0.6, 0.2}};
            static const char* const fields[5] = {"DEVELOPMENTSTAGE", "LAI", "FACCRP", "ZROOT", "HEIGHTCRP"};
            for (const auto& row : rows) {
                stages->Insert();
                for (int k = 0; k < 5; ++k)
                    stages->FieldByName(fields[k])->SetAsFloat(row[k]);
                stages->Post();
            }
        }
        stages->Close();
    } else if (dataSet == tblSoilProfiles) {
        if (Screen)
            Screen->SetCursor(crHourGlass);
        const String profile = tblSoilProfiles->FieldByName("SOILPROFILECODE")->AsString();
        const std::pair<TTable*, const char*> details[] = {{tblSoilTortCurrie2, "SOILTORTCURRIE"},
                                                           {tblSoilTortMillington2, "SOILTORTMILLQUIRK"},
                                                           {tblSoilTortTroeh2, "SOILTORTTROEH"}};
        for (const auto& [t, name] : details) {
            OpenOrRefresh(t);
            if (!t->IsEmpty())
                continue;
            t->Insert();
            t->FieldByName("SOILPROFILECODE")->SetAsString(profile);
            ApplyDefaults(t, Defaults().at(name));
            t->Post();
        }
    } else if (dataSet == tblMeteoData) {
        DeleteFile(JoinPath(GetWorkDir(), tblMeteoData->FieldByName("METEOSTATIONCODE")->AsString() + ".met"));
    }
}

void TdmQuelm::tblPrintVertProfDates2PostError(TDataSet* dataSet, EDatabaseError&, TDataAction& action)
{
    if (dataSet != tblPrintVertProfDates2)
        return;
    MessageDlg("Error saving the information, probably a duplicate output date has been entered.", mtError, {mbOK}, 0);
    dataSet->Cancel();
    action = daAbort;
}

bool TdmQuelm::CheckDepositionSchemes()
{
    tblDepositionSchemes->First();
    while (!tblDepositionSchemes->Eof()) {
        if (UpperText(tblDepositionSchemes, "DEPOSITIONSCHEMECODE") != "NO" && tblDepositions->IsEmpty()) {
            MessageDlg("Depositions should consist of at least one date.", mtError, {mbOK}, 0);
            return false;
        }
        tblDepositionSchemes->Next();
    }
    return true;
}
