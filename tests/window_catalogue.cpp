#include "tests/window_catalogue.h"

#include "platform/win/WinVersion.h"

#include "CommonUnits/GeneralUnits/About.h"
#include "CommonUnits/GeneralUnits/Comment.h"
#include "CommonUnits/GeneralUnits/FileView.h"
#include "CommonUnits/GeneralUnits/TForm_Splash_Unit.h"
#include "CommonUnits/GeneralUnits/TfrmCopyProgress_Unit.h"
#include "CommonUnits/GeneralUnits/TVersionInfo_Unit.h"
#include "CommonUnits/GeneralUnits/TfrmDBUpdate_Unit.h"
#include "CommonUnits/GeneralUnits/Vantor6_5_Install_Unit.h"
#include "CommonUnits/GeneralUnits/tests/dm_fixture.h"
#include "gui/windows/CreateRunsWizard.h"
#include "gui/windows/DetailedOutputGraphs2.h"
#include "gui/windows/DetailedOutputOptions2.h"
#include "gui/windows/GraphTemplates.h"
#include "gui/windows/GraphUsingTemplate.h"
#include "gui/windows/Main.h"
#include "gui/windows/Projects.h"
#include "gui/windows/TfrmArchiveDirectory_Unit.h"
#include "gui/windows/TfrmMoveRunToOtherProject_Unit.h"
#include "gui/windows/TfrmMultipleRunOptions_Unit.h"
#include "gui/windows/TfrmProjectSummary_Unit.h"
#include "gui/windows/TfrmReportOptions_Unit.h"

#if __has_include("gui/windows/Substances.h")
#define QUELM_HAS_EDITOR_WINDOWS 1
#include "gui/windows/AppSchemes.h"
#include "gui/windows/CropCalendar.h"
#include "gui/windows/Crops.h"
#include "gui/windows/Depositions.h"
#include "gui/windows/Irrischemes.h"
#include "gui/windows/MetaboliteEditor2.h"
#include "gui/windows/RootDensity.h"
#include "gui/windows/Stages.h"
#include "gui/windows/Substances.h"
#include "gui/windows/TillageSchemes.h"
#endif

#if __has_include("gui/windows/Locations.h")
#define QUELM_HAS_LOCATION_WINDOWS 1
#include "gui/windows/Boundaries.h"
#include "gui/windows/DepthDependentSubstProperties.h"
#include "gui/windows/Drainage.h"
#include "gui/windows/Initial.h"
#include "gui/windows/InitialGroundWater.h"
#include "gui/windows/Locations.h"
#include "gui/windows/SoilBuildingBlocks.h"
#include "gui/windows/SoilProfiles.h"
#include "gui/windows/Tortuosity.h"
#endif

#include <cstdlib>
#include <functional>
#include <tuple>

// What the windows of the catalogue need around them: the program's version information, a
// settings store of their own and the data module on a fresh copy of the demo database.
struct TWindowCatalogue::Fixtures {
    Fixtures()
    {
        TVersionInfo::DestroySingleton();
        TVersionInfo::CreateSingleton();
        setenv("QUELM_REGISTRY_DIR", dir.file("registry").c_str(), 1);
        setenv("QUELM_WINDIR", dir.file("windows").c_str(), 1);
        setenv("QUELM_DATA_DIR", dir.file("data").c_str(), 1);
        SetDatabaseFileNameSource([this] { return databaseFile; });
        PrepareEmbeddedEngine(dir);
        CopyFileTo(DemoTemplate(), databaseFile, false);
        WriteRegistryString(HKEY_CURRENT_USER, REG_DATABASE, databaseFile);
        module.reset(New<TdmQuelm>(nullptr));
        module->ConfirmOn();
    }
    ~Fixtures()
    {
        module.reset();
        ResetEmbeddedServer();
        SetDatabaseFileNameSource(nullptr);
        unsetenv("QUELM_REGISTRY_DIR");
        unsetenv("QUELM_WINDIR");
        unsetenv("QUELM_DATA_DIR");
        TVersionInfo::DestroySingleton();
    }
    TVersionResource version{2, 1, 2, 10};
    TMessageBoxInterceptor boxes;
    quelmtest::TempDir dir;
    String databaseFile = dir.file("Projects.vantor");
    std::unique_ptr<TdmQuelm> module;
};

TWindowCatalogue::TWindowCatalogue() : fixtures_(std::make_unique<Fixtures>())
{
    entries_ = {
        {"About", [] { return New<TfrmAbout>(nullptr); }, {}},
        {"Comment", [] { return New<TfrmComment>(nullptr); }, {}},
        {"FileView", [] { return New<TfrmFileView>(nullptr); }, {}},
        {"Splash", [] { return New<TForm_Splash>(nullptr); }, {}},
        {"CopyProgress", [] { return New<TfrmCopyProgress>(nullptr); }, {}},
        {"DBUpdate", [] { return New<TfrmDBUpdate>(nullptr); }, {}},
        {"ServerInstall", [] { return New<TfrmVantorInstall6_5>(nullptr); }, {}},
        {"ArchiveDirectory", [] { return New<TfrmArchiveDirectory>(nullptr); }, {}},
        {"ReportOptions", [] { return New<TfrmReportOptions>(nullptr); }, {}},
        {"Projects", [] { return New<TfrmProjects>(nullptr); }, {}},
        {"MoveRunToOtherProject",
         [] {
             auto* move = New<TfrmMoveRunToOtherProject>(nullptr);
             move->edtRunID->SetText("1");
             move->edtRunName->SetText("Maize on Vellmark loam");
             move->CurrentProjectID = "1";
             return static_cast<TForm*>(move);
         },
         {}},
        {"ProjectSummary",
         [] {
             auto* summary = New<TfrmProjectSummary>(nullptr);
             summary->SetProjectInfo(1, "Demonstration project");
             return static_cast<TForm*>(summary);
         },
         {{"lblWait", "pnlGrid"}}},
        {"Main", [] { return New<TfrmMain>(nullptr); }, {}},
        {"MultipleRunOptions", [] { return New<TfrmMultipleRunOptions>(nullptr); }, {}},
        // the profile dates take the place of the depths; the two never show together
        {"DetailedOutputGraphs2",
         [] {
             // the first run with the header of its detailed output, as the graph window reads it
             OpenOrRefresh(dmQuelm->tblProjects);
             OpenOrRefresh(dmQuelm->tblRuns);
             dmQuelm->tblRuns->First();
             quelmtest::WriteFileBytes(OutputFilePath(dmQuelm->tblRuns->FieldByName("RUNID")->AsInteger()),
                                       "* output\nTime Date/Variable 0.05 0.15 0.5\n");
             return static_cast<TForm*>(New<TfrmDetailedOutputGraphs2>(nullptr));
         },
         {{"pnlIntendedDepths", "pnlVerticalProfileDates"}}},
        {"GraphTemplates", [] { return New<TfrmGraphTemplates>(nullptr); }, {}},
        {"GraphUsingTemplate", [] { return New<TfrmGraphUsingTemplate>(nullptr); }, {}},
        {"DetailedOutputOptions2",
         [] {
             OpenOrRefresh(dmQuelm->tblProjects);
             OpenOrRefresh(dmQuelm->tblRuns);
             dmQuelm->tblRuns->First();
             OpenOrRefresh(dmQuelm->tblOptOutputDepthTypeCodes);
             return static_cast<TForm*>(New<TfrmDetailedOutputOptions2>(nullptr));
         },
         {{"pnlIntendedDepths", "pnlVerticalProfileDates"}}},
        // the wizard's pages lie on one another; one shows at a time
        {"CreateRunsWizard", [] { return New<TfrmCreateRunsWizard>(nullptr); }, {}},
    };
#ifdef QUELM_HAS_EDITOR_WINDOWS
    // Editor windows, each on a record that shows all of its editing controls.
    auto on = [](TTable* table, const char* field, const char* code) {
        table->Open();
        table->Locate(field, Variant(ToQString(String(code))), loCaseInsensitive);
    };
    TdmQuelm* dm = fixtures_->module.get();
    entries_.push_back({"Substances", [dm, on] {
                            on(dm->tblSubstances, "SUBSTANCECODE", "PARA");
                            return New<TfrmSubstances>(nullptr);
                        }, {}});
    entries_.push_back({"MetaboliteEditor2", [dm, on] {
                            on(dm->tblSubstances, "SUBSTANCECODE", "PARA");
                            return New<TfrmMetaboliteEditor2>(nullptr);
                        }, {}});
    entries_.push_back({"AppSchemes", [dm, on] {
                            on(dm->tblApplicationSchemes, "APPLICATIONSCHEMECODE", "PARA_Spring");
                            return New<TfrmApplicationSchemes>(nullptr);
                        }, {}});
    entries_.push_back({"CropCalendar", [dm, on] {
                            on(dm->tblCultivationSeqs, "CULTIVATIONSEQUENCECODE", "PotCover");
                            return New<TfrmCropCalendar>(nullptr);
                        }, {}});
    entries_.push_back({"Stages", [dm, on] {
                            on(dm->tblCultivationSeqs, "CULTIVATIONSEQUENCECODE", "PotCover");
                            dm->tblCultivationSeqxCropsA->Open();
                            return New<TfrmStages>(nullptr);
                        }, {}});
    entries_.push_back({"Crops", [dm, on] {
                            on(dm->tblCrops, "CROPCODE", "Maize");
                            return New<TfrmCrops>(nullptr);
                        }, {}});
    entries_.push_back({"RootDensity", [dm, on] {
                            on(dm->tblCrops, "CROPCODE", "Maize");
                            return New<TfrmRootDensity>(nullptr);
                        }, {}});
    entries_.push_back({"IrrigationSchemes", [dm, on] {
                            on(dm->tblIrrigationSchemes, "IRRIGATIONSCHEMECODE", "Summer_Data");
                            return New<TfrmIrrigationSchemes>(nullptr);
                        }, {{"cbxAction", "pnlHideActionCheckbox"}}});
    entries_.push_back({"TillageSchemes", [dm, on] {
                            on(dm->tblTillageSchemes, "TILLAGESCHEMECODE", "Plough");
                            return New<TfrmTillageSchemes>(nullptr);
                        }, {}});
    entries_.push_back({"Depositions", [dm, on] {
                            on(dm->tblDepositionSchemes, "DEPOSITIONSCHEMECODE", "Drift_Low");
                            return New<TfrmDepositions>(nullptr);
                        }, {}});
#endif
#ifdef QUELM_HAS_LOCATION_WINDOWS
    // Windows of a location, its soil and a run's initial conditions, on predefined records
    // that have every kind of row; the message label of the soil profile window waits behind
    // the horizons panel it stands for.
    TdmQuelm* data = fixtures_->module.get();
    auto at = [data](const char* location, const char* profile, std::function<TForm*()> create) {
        return [data, location, profile, create] {
            for (auto [table, field, code] : {std::tuple{data->tblLocations, "LOCATIONCODE", location},
                                              std::tuple{data->tblSoilProfiles, "SOILPROFILECODE", profile}}) {
                OpenOrRefresh(table);
                table->Locate(field, Variant(ToQString(String(code))), loCaseInsensitive);
            }
            OpenOrRefresh(data->tblProjects);
            OpenOrRefresh(data->tblRuns);
            OpenOrRefresh(data->tblSoilProfilesxSoilBuildingBlocks);
            OpenOrRefresh(data->tblDepthDependentSubstProperties);
            return create();
        };
    };
    const std::vector<TWindowEntry> locationWindows = {
        {"Locations", at("Vellmark", "RiverLoam", [] { return New<TfrmLocations>(nullptr); }), {}},
        {"Drainage", at("Vellmark", "RiverLoam", [] { return New<TfrmDrainage>(nullptr); }), {}},
        {"Boundaries", at("Vellmark", "RiverLoam", [] { return New<TfrmBoundaries>(nullptr); }), {}},
        {"SoilProfiles", at("Vellmark", "HeathSand", [] { return New<TfrmSoilProfiles>(nullptr); }),
         {{"lblMessage", "pnlHorizonsInSoilProfiles"}}},
        {"SoilBuildingBlocks", at("Vellmark", "HeathSand", [] { return New<TfrmSoilBuildingBlocks>(nullptr); }), {}},
        {"Tortuosity", at("Vellmark", "HeathSand", [] { return New<TfrmTortuosity>(nullptr); }), {}},
        {"DepthDependentSubstProperties",
         at("Vellmark", "HeathSand", [] { return New<TfrmDepthDependentSubstProperties>(nullptr); }), {}},
        {"Initial", at("Vellmark", "HeathSand", [] { return New<TfrmInitial>(nullptr); }), {}},
        {"InitialGroundWater", at("Vellmark", "HeathSand", [] { return New<TfrmInitialGroundWater>(nullptr); }), {}},
    };
    entries_.insert(entries_.end(), locationWindows.begin(), locationWindows.end());
#endif
    // The main window frees the program's version information when it is destroyed, as at
    // the program's end; every window of the check finds it in place.
    for (TWindowEntry& entry : entries_)
        entry.Create = [create = entry.Create] {
            if (!TVersionInfo::SingletonExists())
                TVersionInfo::CreateSingleton();
            return create();
        };
}

TWindowCatalogue::~TWindowCatalogue() = default;
