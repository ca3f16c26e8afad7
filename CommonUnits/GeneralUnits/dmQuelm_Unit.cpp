#include "CommonUnits/GeneralUnits/dmQuelm_Unit.h"

#include <algorithm>

#include "CommonUnits/GeneralUnits/TDBConnector_Unit.h"
#include "CommonUnits/GeneralUnits/TQuelmIniFile_Unit.h"
#include "CommonUnits/GeneralUnits/TVersionInfo_Unit.h"
#include "CommonUnits/GeneralUnits/QuelmFileUtils.h"
#include "CommonUnits/GeneralUnits/Comment.h"
#include "CommonUnits/GeneralUnits/DxTxtFle.h"
#include "CommonUnits/GeneralUnits/TfrmCopyProgress_Unit.h"
#include "CommonUnits/GeneralUnits/Utils_Format_Unit.h"
#include "CommonUnits/GeneralUnits/Utils_Sql_Unit.h"
#include "CommonUnits/GeneralUnits/Utils_Registry_Unit.h"
#include "CommonUnits/GeneralUnits/Vantor6_5_Install_Unit.h"
#include "platform/framework/Dialogs.h"
#include "platform/rtl/FileUtils.h"
#include "platform/win/WinEnvironment.h"


#include <cstdlib>
#include <ctime>

TdmQuelm* dmQuelm = nullptr;

namespace {

struct TableSpec {
    const char* component;
    TTable* TdmQuelm::*member;
    const char* table;
    const char* indexFields;
    const char* masterSource;
    const char* masterFields;
    bool filtered;
};

// The table components: table, index order and master link, as the module defines them.
const TableSpec kTables[] = {
    {"tblProjects", &TdmQuelm::tblProjects, "Projects", "PROJECTID", "", "", false},
    {"tblRuns", &TdmQuelm::tblRuns, "Runs", "PROJECTID;RUNID", "dsProjects", "PROJECTID", false},
    {"tblLocations", &TdmQuelm::tblLocations, "Locations", "LOCATIONCODE", "", "", false},
    {"tblLocLboGroundWaters", &TdmQuelm::tblLocLboGroundWaters, "LocationLboGroundWaters", "LOCATIONCODE", "dsLocations", "LocationCode", false},
    {"tblLocLboGroundWaterTS", &TdmQuelm::tblLocLboGroundWaterTS, "LocationLboGroundWaterTS", "LOCATIONCODE;MDATE", "dsLocLboGroundWaters", "LocationCode", false},
    {"tblLocLboFluxSines", &TdmQuelm::tblLocLboFluxSines, "LocationLboFluxSines", "LOCATIONCODE", "dsLocations", "LocationCode", false},
    {"tblLocLboQHs", &TdmQuelm::tblLocLboQHs, "LocationLboQHs", "LOCATIONCODE", "dsLocations", "LocationCode", false},
    {"tblLocLboDirichlets", &TdmQuelm::tblLocLboDirichlets, "LocationLboDirichlets", "LOCATIONCODE", "dsLocations", "LocationCode", false},
    {"tblLocLboDirichletTS", &TdmQuelm::tblLocLboDirichletTS, "LocationLboDirichletTS", "LOCATIONCODE;MDATE", "dsLocLboDirichlets", "LocationCode", false},
    {"tblLocLboHeads", &TdmQuelm::tblLocLboHeads, "LocationLboHeads", "LOCATIONCODE", "dsLocations", "LocationCode", false},
    {"tblDrainages", &TdmQuelm::tblDrainages, "Drainages", "LOCATIONCODE;DRAINAGELEVEL", "dsLocations", "LocationCode", false},
    {"tblLboNames", &TdmQuelm::tblLboNames, "LboNames", "LBONAMECODE", "", "", false},
    {"tblMeteoStations", &TdmQuelm::tblMeteoStations, "MeteoStations", "METEOSTATIONCODE", "", "", false},
    {"tblMeteoData", &TdmQuelm::tblMeteoData, "MeteoData", "METEOSTATIONCODE;MDATE", "dsMeteoStations", "MeteoStationCode", false},
    {"tblSoilProfiles", &TdmQuelm::tblSoilProfiles, "SoilProfiles", "SOILPROFILECODE", "", "", false},
    {"tblSoilProfilesxSoilBuildingBlocks", &TdmQuelm::tblSoilProfilesxSoilBuildingBlocks, "SoilProfilesxSoilBuildingBlocks", "SOILPROFILECODE;HORIZONSEQNO", "dsSoilProfiles", "SoilProfileCode", false},
    {"tblDepthDependentSubstProperties", &TdmQuelm::tblDepthDependentSubstProperties, "DepthDependentSubstProperties", "SOILPROFILECODE;HORIZONSEQNO", "dsSoilProfilesxSoilBuildingBlocks", "SoilProfileCode;HorizonSeqNo", false},
    {"tblSoilBuildingBlocks", &TdmQuelm::tblSoilBuildingBlocks, "SoilBuildingBlocks", "SOILBUILDINGBLOCKCODE", "", "", false},
    {"tblSoilTortMillington", &TdmQuelm::tblSoilTortMillington, "SoilTortMillQuirk", "SOILPROFILECODE", "dsSoilProfiles", "SoilProfileCode", false},
    {"tblSoilTortTroeh", &TdmQuelm::tblSoilTortTroeh, "SoilTortTroeh", "SOILPROFILECODE", "dsSoilProfiles", "SoilProfileCode", false},
    {"tblSoilTortCurrie", &TdmQuelm::tblSoilTortCurrie, "SoilTortCurrie", "SOILPROFILECODE", "dsSoilProfiles", "SoilProfileCode", false},
    {"tblSoilTortMillington2", &TdmQuelm::tblSoilTortMillington2, "SoilTortMillQuirk", "SOILPROFILECODE", "dsSoilProfiles", "SoilProfileCode", false},
    {"tblSoilTortTroeh2", &TdmQuelm::tblSoilTortTroeh2, "SoilTortTroeh", "SOILPROFILECODE", "dsSoilProfiles", "SoilProfileCode", false},
    {"tblSoilTortCurrie2", &TdmQuelm::tblSoilTortCurrie2, "SoilTortCurrie", "SOILPROFILECODE", "dsSoilProfiles", "SoilProfileCode", false},
    {"tblTortNames", &TdmQuelm::tblTortNames, "TortNames", "TORTNAMECODE", "", "", false},
    {"tblCrops", &TdmQuelm::tblCrops, "Crops", "CROPCODE", "", "", false},
    {"tblCropRootDensities", &TdmQuelm::tblCropRootDensities, "CropRootDensities", "CROPCODE;RELATIVEDEPTH", "dsCrops", "CropCode", false},
    {"tblCultivationSeqs", &TdmQuelm::tblCultivationSeqs, "CultivationSequences", "CULTIVATIONSEQUENCECODE", "", "", false},
    {"tblCultivationSeqxCropsA", &TdmQuelm::tblCultivationSeqxCropsA, "CultivationSequencexCropsA", "CULTIVATIONSEQUENCECODE;CULTIVATIONSEQNO", "dsCultivationSeqs", "CultivationSequenceCode", false},
    {"tblCultivationSeqxCropsB", &TdmQuelm::tblCultivationSeqxCropsB, "CultivationSequencexCropsB", "CULTIVATIONSEQUENCEXCROPID;DEVELOPMENTSTAGE", "dsCultivationSeqxCropsA", "CultivationSequencexCropID", false},
    {"tblCultivationSeqxCropsB2", &TdmQuelm::tblCultivationSeqxCropsB2, "CultivationSequencexCropsB", "CULTIVATIONSEQUENCEXCROPID;DEVELOPMENTSTAGE", "dsCultivationSeqxCropsA", "CultivationSequencexCropID", false},
    {"tblCropEvents", &TdmQuelm::tblCropEvents, "CropEvents", "CROPEVENTCODE", "", "", false},
    {"tblSubstances", &TdmQuelm::tblSubstances, "Substances", "SUBSTANCECODE", "", "", false},
    {"tblSubstanceTransformations", &TdmQuelm::tblSubstanceTransformations, "SubstanceTransformations", "SUBSTANCECODEIN;SUBSTANCECODEOUT", "dsSubstances", "SubstanceCode", false},
    {"tblSubstanceTransformations2", &TdmQuelm::tblSubstanceTransformations2, "SubstanceTransformations", "SUBSTANCECODEIN;SUBSTANCECODEOUT", "dsSubstances", "SubstanceCode", false},
    {"tblApplicationSchemes", &TdmQuelm::tblApplicationSchemes, "ApplicationSchemes", "APPLICATIONSCHEMECODE", "", "", false},
    {"tblApplicationsAbsolute", &TdmQuelm::tblApplicationsAbsolute, "ApplicationsAbsolute", "APPLICATIONSCHEMECODE;MDATE;APPLICATIONTYPECODE", "dsApplicationSchemes", "ApplicationSchemeCode", false},
    {"tblApplicationsRelative", &TdmQuelm::tblApplicationsRelative, "ApplicationsRelative", "APPLICATIONSCHEMECODE;CROPCALENDARSEQNO;CROPEVENTCODE;DATERELATIVE", "dsApplicationSchemes", "ApplicationSchemeCode", false},
    {"tblApplicationTypes", &TdmQuelm::tblApplicationTypes, "ApplicationTypes", "APPLICATIONTYPECODE", "", "", false},
    {"tblIrrigationSchemes", &TdmQuelm::tblIrrigationSchemes, "IrrigationSchemes", "IRRIGATIONSCHEMECODE", "", "", false},
    {"tblIrrigations", &TdmQuelm::tblIrrigations, "Irrigations", "IRRIGATIONSCHEMECODE;MDATE", "dsIrrigationSchemes", "IrrigationSchemeCode", false},
    {"tblIrrigationTypes", &TdmQuelm::tblIrrigationTypes, "IrrigationTypes", "IRRIGATIONTYPECODE", "", "", false},
    {"tblDepositionSchemes", &TdmQuelm::tblDepositionSchemes, "DepositionSchemes", "DEPOSITIONSCHEMECODE", "", "", false},
    {"tblDepositions", &TdmQuelm::tblDepositions, "Depositions", "DEPOSITIONSCHEMECODE;MDATE", "dsDepositionSchemes", "DepositionSchemeCode", false},
    {"tblTillageSchemes", &TdmQuelm::tblTillageSchemes, "TillageSchemes", "TILLAGESCHEMECODE", "", "", false},
    {"tblTillages", &TdmQuelm::tblTillages, "Tillages", "TILLAGESCHEMECODE;MDATE", "dsTillageSchemes", "TillageSchemeCode", false},
    {"tblCntSysEql", &TdmQuelm::tblCntSysEql, "CntSysEql", "RUNID;Z", "dsRuns", "RunID", false},
    {"tblCntSysNeq", &TdmQuelm::tblCntSysNeq, "CntSysNeq", "RUNID;Z", "dsRuns", "RunID", false},
    {"tblPrintOutputDepths", &TdmQuelm::tblPrintOutputDepths, "RunPrintOutputDepths", "RUNID;OUTPUTDEPTH", "dsRuns", "RunID", false},
    {"tblPrintOutputDepths2", &TdmQuelm::tblPrintOutputDepths2, "RunPrintOutputDepths", "RUNID;OUTPUTDEPTH", "dsRuns", "RunID", false},
    {"tblRunPrintVariables", &TdmQuelm::tblRunPrintVariables, "RunPrintVariables", "RUNID", "dsRuns", "RunID", false},
    {"tblPrintVertProfDates2", &TdmQuelm::tblPrintVertProfDates2, "RunPrintVertProfDates", "RUNID;OUTPUTDATE", "dsRuns", "RunID", false},
    {"tblRunPrintCategories", &TdmQuelm::tblRunPrintCategories, "RunPrintCategories", "SEQUENCENUMBER", "", "", false},
    {"tblRunPrintVariablesDictionary", &TdmQuelm::tblRunPrintVariablesDictionary, "RunPrintVariablesDictionary", "CATEGORYCODE;VARIABLENAME", "dsRunPrintCategories", "CategoryCode", false},
    {"tblRunPrintVariablesDictionary3", &TdmQuelm::tblRunPrintVariablesDictionary3, "RunPrintVariablesDictionary", "CATEGORYCODE;VARIABLENAME", "", "", true},
    {"tblXYGraphTemplates", &TdmQuelm::tblXYGraphTemplates, "XYGraphTemplates", "GRAPHTEMPLATECODE", "", "", false},
    {"tblDateTimeCounting", &TdmQuelm::tblDateTimeCounting, "DateTimeCounting", "DAYINYEAR", "", "", false},
    {"tblEvapOptions", &TdmQuelm::tblEvapOptions, "EvaporationOptions", "EVAPORATIONOPTIONCODE", "", "", false},
    {"tblOptDspCrps", &TdmQuelm::tblOptDspCrps, "OptDspCrps", "OPTDSPCRP", "", "", false},
    {"tblOptLenCrps", &TdmQuelm::tblOptLenCrps, "OptLenCrps", "OPTLENCRP", "", "", false},
    {"tblOptShapeGrwLevs", &TdmQuelm::tblOptShapeGrwLevs, "OptShapeGrwLevs", "OPTSHAPEGRWLEVCODE", "", "", false},
    {"tblOptCofFres", &TdmQuelm::tblOptCofFres, "OptCofFres", "OPTCOFFRECODE", "", "", false},
    {"tblOptDrainageTypes", &TdmQuelm::tblOptDrainageTypes, "OptDrainageTypes", "OPTDRAINAGETYPECODE", "", "", false},
    {"tblOptDateFormats", &TdmQuelm::tblOptDateFormats, "OptDateFormats", "OPTDATEFORMATCODE", "", "", false},
    {"tblOptHyds", &TdmQuelm::tblOptHyds, "OptHyds", "OPTHYD", "", "", false},
    {"tblOptRhos", &TdmQuelm::tblOptRhos, "OptRhos", "OPTRHO", "", "", false},
    {"tblOptDelTimEvt", &TdmQuelm::tblOptDelTimEvt, "OptDelTimEvts", "OPTDELTIMEVT", "", "", false},
    {"tblOptDelTimPrns", &TdmQuelm::tblOptDelTimPrns, "OptDelTimPrns", "OPTDELTIMPRNCODE", "", "", false},
    {"tblOptHysteresisCodes", &TdmQuelm::tblOptHysteresisCodes, "OptHysteresisCodes", "OPTHYSTERESISCODE", "", "", false},
    {"tblOptOutputDepthTypeCodes", &TdmQuelm::tblOptOutputDepthTypeCodes, "OptOutputDepthTypeCodes", "OPTOUTPUTDEPTHTYPECODE", "", "", false},
    {"tblOptReports", &TdmQuelm::tblOptReports, "OptReports", "OPTREPORTCODE", "", "", false},
    {"tblMorvaOptDelTimEvts", &TdmQuelm::tblMorvaOptDelTimEvts, "MorvaOptDelTimEvts", "OPTDELTIMEVT", "", "", false},
    {"tblMorvaOptDelTimEvt", &TdmQuelm::tblMorvaOptDelTimEvt, "MorvaOptDelTimEvt", "OPTDELTIMEVT", "", "", false},
    {"tblMorvaSubstance", &TdmQuelm::tblMorvaSubstance, "MorvaSubstance", "", "", "", false},
    {"tblMorvaApplicationScheme", &TdmQuelm::tblMorvaApplicationScheme, "MorvaApplicationScheme", "", "", "", false},
    {"tblProjectLast", &TdmQuelm::tblProjectLast, "ProjectLast", "PROJECTID", "", "", false},
    {"tbldbInfo", &TdmQuelm::tbldbInfo, "dbInfo", "", "", "", false},
};

struct SourceSpec {
    const char* name;
    TDataSource* TdmQuelm::*member;
    const char* dataSet;
};

// The data sources and the table each shows (dsCultivationSeqxCropsB shows the calendar
// crops, not the B table; dsCropStages shows the B table).
const SourceSpec kSources[] = {
    {"dsProjects", &TdmQuelm::dsProjects, "tblProjects"},
    {"dsRuns", &TdmQuelm::dsRuns, "tblRuns"},
    {"dsLocations", &TdmQuelm::dsLocations, "tblLocations"},
    {"dsLocLboGroundWaters", &TdmQuelm::dsLocLboGroundWaters, "tblLocLboGroundWaters"},
    {"dsLocLboGroundWaterTS", &TdmQuelm::dsLocLboGroundWaterTS, "tblLocLboGroundWaterTS"},
    {"dsLocLboFluxSines", &TdmQuelm::dsLocLboFluxSines, "tblLocLboFluxSines"},
    {"dsLocLboQHs", &TdmQuelm::dsLocLboQHs, "tblLocLboQHs"},
    {"dsLocLboDirichlets", &TdmQuelm::dsLocLboDirichlets, "tblLocLboDirichlets"},
    {"dsLocLboDirichletsTS", &TdmQuelm::dsLocLboDirichletsTS, "tblLocLboDirichletTS"},
    {"dsLocLboHeads", &TdmQuelm::dsLocLboHeads, "tblLocLboHeads"},
    {"dsDrainages", &TdmQuelm::dsDrainages, "tblDrainages"},
    {"dsLboNames", &TdmQuelm::dsLboNames, "tblLboNames"},
    {"dsMeteoStations", &TdmQuelm::dsMeteoStations, "tblMeteoStations"},
    {"dsMeteoData", &TdmQuelm::dsMeteoData, "tblMeteoData"},
    {"dsSoilProfiles", &TdmQuelm::dsSoilProfiles, "tblSoilProfiles"},
    {"dsSoilProfilesxSoilBuildingBlocks", &TdmQuelm::dsSoilProfilesxSoilBuildingBlocks, "tblSoilProfilesxSoilBuildingBlocks"},
    {"dsDepthDependentSubstProperties", &TdmQuelm::dsDepthDependentSubstProperties, "tblDepthDependentSubstProperties"},
    {"dsSoilBuildingBlocks", &TdmQuelm::dsSoilBuildingBlocks, "tblSoilBuildingBlocks"},
    {"dsMillington", &TdmQuelm::dsMillington, "tblSoilTortMillington"},
    {"dsTroeh", &TdmQuelm::dsTroeh, "tblSoilTortTroeh"},
    {"dsCurrie", &TdmQuelm::dsCurrie, "tblSoilTortCurrie"},
    {"dsTortNames", &TdmQuelm::dsTortNames, "tblTortNames"},
    {"dsCrops", &TdmQuelm::dsCrops, "tblCrops"},
    {"dsCropRootDensities", &TdmQuelm::dsCropRootDensities, "tblCropRootDensities"},
    {"dsCultivationSeqs", &TdmQuelm::dsCultivationSeqs, "tblCultivationSeqs"},
    {"dsCultivationSeqxCropsA", &TdmQuelm::dsCultivationSeqxCropsA, "tblCultivationSeqxCropsA"},
    {"dsCultivationSeqxCropsB", &TdmQuelm::dsCultivationSeqxCropsB, "tblCultivationSeqxCropsA"},
    {"dsCropStages", &TdmQuelm::dsCropStages, "tblCultivationSeqxCropsB"},
    {"dsCropEvents", &TdmQuelm::dsCropEvents, "tblCropEvents"},
    {"dsSubstances", &TdmQuelm::dsSubstances, "tblSubstances"},
    {"dsSubstanceTransformations", &TdmQuelm::dsSubstanceTransformations, "tblSubstanceTransformations"},
    {"dsApplicationSchemes", &TdmQuelm::dsApplicationSchemes, "tblApplicationSchemes"},
    {"dsApplicationsAbsolute", &TdmQuelm::dsApplicationsAbsolute, "tblApplicationsAbsolute"},
    {"dsApplicationsRelative", &TdmQuelm::dsApplicationsRelative, "tblApplicationsRelative"},
    {"dsApplicationTypes", &TdmQuelm::dsApplicationTypes, "tblApplicationTypes"},
    {"dsIrrigationSchemes", &TdmQuelm::dsIrrigationSchemes, "tblIrrigationSchemes"},
    {"dsIrrigations", &TdmQuelm::dsIrrigations, "tblIrrigations"},
    {"dsIrrigationTypes", &TdmQuelm::dsIrrigationTypes, "tblIrrigationTypes"},
    {"dsDepositionSchemes", &TdmQuelm::dsDepositionSchemes, "tblDepositionSchemes"},
    {"dsDepositions", &TdmQuelm::dsDepositions, "tblDepositions"},
    {"dsTillageSchemes", &TdmQuelm::dsTillageSchemes, "tblTillageSchemes"},
    {"dsTillages", &TdmQuelm::dsTillages, "tblTillages"},
    {"dsCntSysEql", &TdmQuelm::dsCntSysEql, "tblCntSysEql"},
    {"dsCntSysNeq", &TdmQuelm::dsCntSysNeq, "tblCntSysNeq"},
    {"dsPrintOutputDepths2", &TdmQuelm::dsPrintOutputDepths2, "tblPrintOutputDepths2"},
    {"dsRunPrintVariables", &TdmQuelm::dsRunPrintVariables, "tblRunPrintVariables"},
    {"dsPrintVertProfDates2", &TdmQuelm::dsPrintVertProfDates2, "tblPrintVertProfDates2"},
    {"dsRunPrintCategories", &TdmQuelm::dsRunPrintCategories, "tblRunPrintCategories"},
    {"dsRunPrintVariablesDictionary", &TdmQuelm::dsRunPrintVariablesDictionary, "tblRunPrintVariablesDictionary"},
    {"dsXYGraphTemplates", &TdmQuelm::dsXYGraphTemplates, "tblXYGraphTemplates"},
    {"dsDateTimeCounting", &TdmQuelm::dsDateTimeCounting, "tblDateTimeCounting"},
    {"dsEvapOptions", &TdmQuelm::dsEvapOptions, "tblEvapOptions"},
    {"dsOptDspCrps", &TdmQuelm::dsOptDspCrps, "tblOptDspCrps"},
    {"dsOptLenCrps", &TdmQuelm::dsOptLenCrps, "tblOptLenCrps"},
    {"dsOptShapeGrwLevs", &TdmQuelm::dsOptShapeGrwLevs, "tblOptShapeGrwLevs"},
    {"dsOptCofFres", &TdmQuelm::dsOptCofFres, "tblOptCofFres"},
    {"dsOptDrainageTypes", &TdmQuelm::dsOptDrainageTypes, "tblOptDrainageTypes"},
    {"dsOptDateFormats", &TdmQuelm::dsOptDateFormats, "tblOptDateFormats"},
    {"dsOptHyds", &TdmQuelm::dsOptHyds, "tblOptHyds"},
    {"dsOptRhos", &TdmQuelm::dsOptRhos, "tblOptRhos"},
    {"dsOptDelTimEvt", &TdmQuelm::dsOptDelTimEvt, "tblOptDelTimEvt"},
    {"dsOptDelTimPrns", &TdmQuelm::dsOptDelTimPrns, "tblOptDelTimPrns"},
    {"dsOptHysteresisCodes", &TdmQuelm::dsOptHysteresisCodes, "tblOptHysteresisCodes"},
    {"dsOptOutputDepthTypeCodes", &TdmQuelm::dsOptOutputDepthTypeCodes, "tblOptOutputDepthTypeCodes"},
    {"dsOptReports", &TdmQuelm::dsOptReports, "tblOptReports"},
    {"dsMorvaOptDelTimEvts", &TdmQuelm::dsMorvaOptDelTimEvts, "tblMorvaOptDelTimEvts"},
    {"dsMorvaOptDelTimEvt", &TdmQuelm::dsMorvaOptDelTimEvt, "tblMorvaOptDelTimEvt"},
    {"dsMorvaSubstance", &TdmQuelm::dsMorvaSubstance, "tblMorvaSubstance"},
    {"dsMorvaApplicationScheme", &TdmQuelm::dsMorvaApplicationScheme, "tblMorvaApplicationScheme"},
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
    CloseTablesDetailsFirst();
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

void TdmQuelm::CloseTablesDetailsFirst() noexcept
{
    // A table closes once no open table takes it as its master, so that no detail reloads for a
    // master that closes; what cannot close cleanly is dropped with its table.
    std::vector<TTable*> open;
    for (const auto& table : tables_)
        if (table->Active())
            open.push_back(table.get());
    while (!open.empty()) {
        std::vector<TTable*> still;
        for (TTable* table : open) {
            const bool isMaster = std::any_of(open.begin(), open.end(), [table](TTable* other) {
                return other != table && other->MasterSource() && other->MasterSource()->DataSet() == table;
            });
            if (isMaster)
                still.push_back(table);
            else {
                try {
                    table->Close();
                } catch (...) {
                }
            }
        }
        if (still.size() == open.size()) { // a ring of masters: close them as they come
            try {
                still.front()->Close();
            } catch (...) {
            }
            still.erase(still.begin());
        }
        open = std::move(still);
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
        this->*entry.member = table.get();
        tableList_.push_back(table.get());
        tables_.push_back(std::move(table));
    }
    for (const SourceSpec& entry : kSources) {
        auto source = std::make_unique<TDataSource>();
        source->Name = entry.name;
        source->SetDataSet(TableByName(entry.dataSet));
        this->*entry.member = source.get();
        dataSources_.push_back(std::move(source));
    }
    for (const TableSpec& entry : kTables)
        if (*entry.masterSource)
            TableByName(entry.component)->SetMasterSource(DataSourceByName(entry.masterSource));
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
