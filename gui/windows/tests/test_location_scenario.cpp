// Scenarios built only through the editor windows carry runs that the stand-in kernel of the
// build accepts and calculates: a location with its own soil profile (horizons from building
// blocks) and lower boundary, and with it a new substance with a metabolite, a new crop
// calendar and a new application scheme.
#include "CommonUnits/GeneralUnits/tests/dm_fixture.h"

#include "gui/windows/AppSchemes.h"
#include "gui/windows/Boundaries.h"
#include "gui/windows/CropCalendar.h"
#include "CommonUnits/GeneralUnits/KernelRun_Unit.h"
#include "gui/windows/Locations.h"
#include "gui/windows/Main.h"
#include "gui/windows/MetaboliteEditor2.h"
#include "gui/windows/SoilProfiles.h"
#include "gui/windows/Substances.h"
#include "CommonUnits/GeneralUnits/Utils_Misc_Unit.h"

#include "platform/framework/Forms.h"

#include <QTimer>

#include <filesystem>
#include <functional>

namespace {

namespace fs = std::filesystem;

class LocationScenarioTest : public DataModuleTest {
protected:
    void SetUp() override
    {
        DataModuleTest::SetUp();
        SetRunAndWaitPollPeriod(10);
        WriteRegistryString(HKEY_LOCAL_MACHINE, REG_PLOTWELL_DIR, dir.file("plotwell") + "/");
        const fs::path built = fs::path(GetExeDir()) / ".." / ".." / "bin" / "Quelmmodel";
        ASSERT_TRUE(fs::exists(built)) << "no kernel built at " << built;
        if (!fs::exists(fs::symlink_status(GetKernelExeName())))
            fs::create_symlink(fs::canonical(built), GetKernelExeName());
    }
    void TearDown() override
    {
        Application->ProcessMessages();
        windows.clear();
        Application->OnException = nullptr;
        Application->OnIdle = nullptr;
        SetRunAndWaitPollPeriod(100);
        Screen->SetCursor(crDefault);
        DataModuleTest::TearDown();
    }
    template <class T>
    T* Open()
    {
        T* window = New<T>(nullptr);
        windows.emplace_back(window);
        window->Show();
        Application->ProcessMessages();
        module->ConfirmOn();
        return window;
    }
    // Picks the entry of a drop-down that shows the text, as the user does.
    static void Pick(TDBLookupComboBox* list, const String& shown)
    {
        for (int i = 0; i < list->ItemCount(); ++i)
            if (list->Item(i) == shown) {
                list->SelectItem(i);
                return;
            }
        ADD_FAILURE() << "no entry " << shown << " in " << list->Name();
    }

    // The window's edit of a field, typed into as the user does.
    static void Type(TForm* window, const char* field, const String& text)
    {
        for (int i = 0; i < window->ComponentCount(); ++i)
            if (auto* edit = dynamic_cast<TDBEdit*>(window->Components(i)); edit && SameText(edit->DataField(), field)) {
                edit->SetText(text);
                return;
            }
        ADD_FAILURE() << "no edit of " << field << " in " << window->Name();
    }
    // While the next modal window of the class is shown: works in it, then closes it.
    template <class T>
    static void WhenShown(std::function<void(T*)> work)
    {
        QTimer::singleShot(0, [work] {
            for (int i = 0; i < Screen->FormCount(); ++i)
                if (auto* form = dynamic_cast<T*>(Screen->Forms(i)); form && form->Modal()) {
                    work(form);
                    form->Close();
                    return;
                }
            ADD_FAILURE() << "no modal window of the class was shown";
        });
    }
    // A location with its own soil profile and a sine-shaped flux at its bottom, built in the
    // soil profile, location and lower boundary windows; the meteo station is the one of the
    // location of run 1.
    void BuildLocation();

    std::vector<std::unique_ptr<TForm>> windows;
};

void LocationScenarioTest::BuildLocation()
{
    // the soil profile with two horizons
    auto* soils = Open<TfrmSoilProfiles>();
    soils->dbnavSoilProfiles->BtnClick(nbInsert);
    soils->edtCode->SetText("MySoil");
    soils->edtName->SetText("My own soil");
    Pick(soils->dblupTortName, "Troeh relation for the relative diffusion");
    soils->dbnavSoilProfiles->BtnClick(nbPost);
    struct Horizon {
        const char* seqNo;
        const char* block;
        const char* thickness;
        const char* compartments;
    } const horizons[] = {{"1", "Ls_Top", "0.3", "12"}, {"2", "Ls_Sub", "1.2", "24"}};
    for (const Horizon& h : horizons) {
        soils->dbnavHorizonInSoilProfiles->BtnClick(nbInsert);
        soils->edtSeqNr->SetText(h.seqNo);
        Pick(soils->dblupSoilBuildingBlockCode, h.block);
        soils->edtThickness->SetText(h.thickness);
        soils->edtCompartmentCnt->SetText(h.compartments);
        soils->dbnavHorizonInSoilProfiles->BtnClick(nbPost);
    }
    soils->Close();
    ASSERT_FALSE(soils->Visible());
    EXPECT_EQ(Count("SELECT COUNT(*) FROM SOILPROFILESXSOILBUILDINGBLOCKS WHERE SOILPROFILECODE='MySoil'"), 2);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM SOILTORTTROEH WHERE SOILPROFILECODE='MySoil'"), 1);

    OpenOrRefresh(module->tblProjects);
    OpenOrRefresh(module->tblRuns);
    module->tblRuns->Locate("RUNID", Variant(1), 0);
    const String station = Value("SELECT METEOSTATIONCODE FROM LOCATIONS JOIN RUNS USING (LOCATIONCODE) WHERE RUNID=1");
    auto* locations = Open<TfrmLocations>();
    locations->navLocations->BtnClick(nbInsert);
    locations->edtCode->SetText("MyPlace");
    locations->edtName->SetText("My own place");
    Pick(locations->dblupSoilProfileCode, "My own soil");
    Pick(locations->dblupMeteoStationCode,
         Value("SELECT NAME FROM METEOSTATIONS WHERE METEOSTATIONCODE='" + station + "'"));
    Pick(locations->dblupLboNameCode, "Sine-shaped flux");
    locations->navLocations->BtnClick(nbPost);
    EXPECT_EQ(boxes.Count(), 0) << boxes.Last().Text;
    EXPECT_EQ(Value("SELECT SOILPROFILECODE || ',' || LBONAMECODE FROM LOCATIONS WHERE LOCATIONCODE='MyPlace'"),
              "MySoil,Flux");

    auto* boundaries = Open<TfrmBoundaries>();
    EXPECT_EQ(boundaries->pgLBO->ActivePage(), boundaries->tsFlux);
    boundaries->edtFlvLiqLboAvg->SetText("-0.2");
    Pick(boundaries->dblupDateInYrFlvLiqLboMax, "1 Nov");
    boxes.Answer("Yes");
    boundaries->Close();
    ASSERT_FALSE(boundaries->Visible());
    EXPECT_EQ(Value("SELECT FLVLIQLBOAVG || ',' || DATEINYRFLVLIQLBOMAX FROM LOCATIONLBOFLUXSINES WHERE "
                    "LOCATIONCODE='MyPlace'"),
              "-0.2,1 Nov");
    locations->Close();
    ASSERT_FALSE(locations->Visible());
}

TEST_F(LocationScenarioTest, ANewLocationWithItsOwnSoilAndBoundaryIsCalculated)
{
    BuildLocation();

    // the run on the new location, calculated from the main window
    module->dbDatabase->ExecSql("UPDATE RUNS SET SELECTEDFOREXECUTION=' ' WHERE RUNID<>1");
    auto* main = Open<TfrmMain>();
    if (!TVersionInfo::SingletonExists())
        TVersionInfo::CreateSingleton(); // the main window frees it when destroyed
    module->tblRuns->Locate("RUNID", Variant(1), 0);
    Pick(main->cbLocations, "My own place");
    main->navRunsFull->BtnClick(nbPost);
    EXPECT_EQ(Value("SELECT LOCATIONCODE FROM RUNS WHERE RUNID=1"), "MyPlace");
    boxes.Clear();
    main->CalculateSelectedRuns1->Click();
    EXPECT_EQ(boxes.Count(), 0) << boxes.Last().Text;
    EXPECT_EQ(Value("SELECT RESULTSSUMMARY || ',' || RESULTSDETAILED FROM RUNS WHERE RUNID=1"), "Available,Available")
        << ReadTextFile(ErrorFilePath(1));
    const String input = ReadTextFile(InputFilePath(1));
    for (const char* line : {"MySoil_Soil SoilTypeID", "MyPlace Location", "1.2      24"})
        EXPECT_NE(input.find(line), String::npos) << line;
}

} // namespace

namespace {

TEST_F(LocationScenarioTest, AScenarioBuiltOnlyThroughTheEditorWindowsIsCalculated)
{
    BuildLocation();

    // a parent substance that transforms into a metabolite of its own
    auto* substances = Open<TfrmSubstances>();
    boxes.Clear();
    struct Substance {
        const char* code;
        const char* name;
        bool parent;
    } const made[] = {{"MYMET", "My metabolite", false}, {"MYPAR", "My parent", true}};
    for (const Substance& m : made) {
        substances->DBNavigator->BtnClick(nbInsert);
        substances->edtCode->SetText(m.code);
        substances->edtName->SetText(m.name);
        substances->chkbxIsParent->SetChecked(m.parent);
        const std::pair<const char*, const char*> values[] = {
            {"MOLMAS", "250"},   {"KOMEQL", "40"},       {"DT50REF", "30"},   {"TEMREFTRA", "20"},
            {"PREVAPREF", "1E-5"}, {"TEMREFVAP", "20"}, {"SLBWATREF", "90"}, {"TEMREFSLB", "20"}};
        for (const auto& [field, value] : values)
            Type(substances, field, value);
        substances->DBNavigator->BtnClick(nbPost);
        EXPECT_EQ(boxes.Count(), 0) << boxes.Last().Text;
    }
    WhenShown<TfrmMetaboliteEditor2>([](TfrmMetaboliteEditor2* scheme) {
        scheme->DBNavigator->BtnClick(nbInsert);
        Pick(scheme->cbxSubstanceOut, "My metabolite");
        scheme->edtFraPrtDau->SetText("0.6");
        scheme->DBNavigator->BtnClick(nbPost);
    });
    substances->btnTransformationScheme->Click();
    substances->Close();
    ASSERT_FALSE(substances->Visible());
    EXPECT_EQ(Value("SELECT SUBSTANCECODEOUT || ',' || FRAPRTDAU FROM SUBSTANCETRANSFORMATIONS WHERE "
                    "SUBSTANCECODEIN='MYPAR'"),
              "MYMET,0.6");

    // a calendar with one maize crop
    auto* calendars = Open<TfrmCropCalendar>();
    calendars->dbnavCropCalendar2->BtnClick(nbInsert);
    calendars->edtCode->SetText("MyCal");
    calendars->edtName->SetText("My calendar");
    calendars->dbnavCropCalendar2->BtnClick(nbPost);
    calendars->dbnavCropsInCropCalendars2->BtnClick(nbInsert);
    Pick(calendars->cmbCropCode, "Maize");
    Pick(calendars->cmbEmergence, "10 May");
    Pick(calendars->cmbHarvest, "5 Oct");
    calendars->dbnavCropsInCropCalendars2->BtnClick(nbPost);
    calendars->Close();
    ASSERT_FALSE(calendars->Visible());
    EXPECT_EQ(Count("SELECT COUNT(*) FROM CULTIVATIONSEQUENCEXCROPSB JOIN CULTIVATIONSEQUENCEXCROPSA USING "
                    "(CULTIVATIONSEQUENCEXCROPID) WHERE CULTIVATIONSEQUENCECODE='MyCal'"),
              3);

    // an application scheme with one application in the second year of the run
    const String applied = Value("SELECT strftime('%d/%m/%Y', date(TIMSTART, '+400 days')) FROM RUNS WHERE RUNID=1");
    auto* schemes = Open<TfrmApplicationSchemes>();
    schemes->DBNavApplicationSchemes->BtnClick(nbInsert);
    schemes->dbedtCode->SetText("MyApps");
    schemes->dbedtDescription->SetText("My applications");
    schemes->DBNavApplicationSchemes->BtnClick(nbPost);
    schemes->DBNavApplicationsAbsolute->BtnClick(nbInsert);
    schemes->dbedtMDate->SetText(applied);
    schemes->DBNavApplicationsAbsolute->BtnClick(nbPost);
    schemes->Close();
    ASSERT_FALSE(schemes->Visible());
    EXPECT_EQ(Count("SELECT COUNT(*) FROM APPLICATIONSABSOLUTE WHERE APPLICATIONSCHEMECODE='MyApps'"), 1);

    // run 1 on all of them, calculated from the main window
    module->dbDatabase->ExecSql("UPDATE RUNS SET SELECTEDFOREXECUTION=' ' WHERE RUNID<>1");
    auto* main = Open<TfrmMain>();
    if (!TVersionInfo::SingletonExists())
        TVersionInfo::CreateSingleton(); // the main window frees it when destroyed
    module->tblRuns->Locate("RUNID", Variant(1), 0);
    Pick(main->cbLocations, "My own place");
    Pick(main->cbCropCalendars, "My calendar");
    Pick(main->cbSubstances, "My parent");
    Pick(main->cbApplicationSchemes, "My applications");
    main->navRunsFull->BtnClick(nbPost);
    EXPECT_EQ(Value("SELECT LOCATIONCODE || CULTIVATIONSEQUENCECODE || SUBSTANCECODE || APPLICATIONSCHEMECODE "
                    "FROM RUNS WHERE RUNID=1"),
              "MyPlaceMyCalMYPARMyApps");
    boxes.Clear();
    main->CalculateSelectedRuns1->Click();
    EXPECT_EQ(boxes.Count(), 0) << boxes.Last().Text;
    EXPECT_EQ(Value("SELECT RESULTSSUMMARY || ',' || RESULTSDETAILED FROM RUNS WHERE RUNID=1"), "Available,Available")
        << ReadTextFile(ErrorFilePath(1));
    const String input = ReadTextFile(InputFilePath(1));
    for (const char* text : {"MyPlace Location", "MYPAR", "MYMET"})
        EXPECT_NE(input.find(text), String::npos) << text;
}

} // namespace
