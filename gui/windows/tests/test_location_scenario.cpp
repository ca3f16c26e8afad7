// A location built only through the editor windows (its soil profile with horizons from
// building blocks, its lower boundary with parameters typed in) carries a run that the
// stand-in kernel of the build accepts and calculates.
#include "CommonUnits/GeneralUnits/tests/dm_fixture.h"

#include "Boundaries.h"
#include "KernelRun_Unit.h"
#include "Locations.h"
#include "Main.h"
#include "SoilProfiles.h"
#include "Utils_Misc_Unit.h"

#include "platform/framework/Forms.h"

#include <filesystem>

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

    std::vector<std::unique_ptr<TForm>> windows;
};

TEST_F(LocationScenarioTest, ANewLocationWithItsOwnSoilAndBoundaryIsCalculated)
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

    // the location on that soil, with the meteo station of the run, and a sine-shaped flux
    // at its bottom
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
