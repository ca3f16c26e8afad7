// A scenario put together only in the editor windows (a location copied with its boundary
// and given a copied soil profile, a substance with a metabolite, a new application scheme,
// a new crop calendar) gives a run whose input file the stand-in kernel of the build
// calculates.
#include "gui/windows/tests/scheme_editor_fixture.h"

#include "gui/windows/AppSchemes.h"
#include "gui/windows/CropCalendar.h"
#include "gui/windows/Locations.h"
#include "gui/windows/Main.h"
#include "gui/windows/MetaboliteEditor2.h"
#include "CommonUnits/GeneralUnits/QuelmStartup.h"
#include "gui/windows/SoilProfiles.h"
#include "gui/windows/Substances.h"
#include "CommonUnits/GeneralUnits/Utils_Misc_Unit.h"

#include <filesystem>

namespace {

namespace fs = std::filesystem;

class ScenarioFromEditorsTest : public EditorWindowTest {
protected:
    void SetUp() override
    {
        EditorWindowTest::SetUp();
        SetRunAndWaitPollPeriod(10);
        WriteRegistryString(HKEY_LOCAL_MACHINE, REG_PLOTWELL_DIR, dir.file("plotwell") + "/");
        const fs::path built = fs::path(GetExeDir()) / ".." / ".." / "bin" / "Quelmmodel";
        ASSERT_TRUE(fs::exists(built)) << "no kernel built at " << built;
        if (!fs::exists(fs::symlink_status(GetKernelExeName())))
            fs::create_symlink(fs::canonical(built), GetKernelExeName());
    }
    void TearDown() override
    {
        SetRunAndWaitPollPeriod(100);
        EditorWindowTest::TearDown();
    }
    void Done()
    {
        EXPECT_TRUE(CloseWindow());
        delete form;
        form = nullptr;
    }
    void On(TTable* table, const char* field, const char* code)
    {
        table->Open();
        ASSERT_TRUE(table->Locate(field, Variant(ToQString(String(code))), loCaseInsensitive)) << code;
    }
    static void Pick(TDBLookupComboBox* combo, const String& shown)
    {
        for (int i = 0; i < combo->ItemCount(); ++i)
            if (combo->Item(i) == shown || (shown == "copy_*" && combo->Item(i).rfind("copy_", 0) == 0)) {
                combo->SelectItem(i);
                return;
            }
        ADD_FAILURE() << "no item " << shown;
    }
};

TEST_F(ScenarioFromEditorsTest, ARunOfAScenarioMadeInTheEditorsIsCalculated)
{
    // location: a copy of Vellmark with its lower boundary, on a copy of its soil profile
    On(module->tblLocations, "LOCATIONCODE", "Vellmark");
    auto* locations = Open<TfrmLocations>();
    locations->btnCopy->Click();
    ASSERT_EQ(module->tblLocations->FieldByName("LOCATIONCODE")->AsString(), "copy_Vellmark");
    String profile;
    WhenShown<TfrmSoilProfiles>([&](TfrmSoilProfiles* profiles) {
        profiles->btnCopy->Click();
        profile = module->tblSoilProfiles->FieldByName("SOILPROFILECODE")->AsString();
        profiles->Close();
    });
    locations->btnSoilProfiles->Click();
    ASSERT_EQ(profile, "copy_" + Value("SELECT SOILPROFILECODE FROM LOCATIONS WHERE LOCATIONCODE='Vellmark'"));
    Pick(locations->dblupSoilProfileCode, "copy_*");
    locations->navLocations->BtnClick(nbPost);
    Done();
    EXPECT_EQ(Value("SELECT SOILPROFILECODE FROM LOCATIONS WHERE LOCATIONCODE='copy_Vellmark'"), profile);

    // substance: a parent made from PARA, transforming into MET1 at a fraction of its own
    On(module->tblSubstances, "SUBSTANCECODE", "PARA");
    auto* substances = Open<TfrmSubstances>();
    substances->btnCopy->Click();
    Retype(substances->edtCode, "E2E");
    substances->DBNavigator->BtnClick(nbPost);
    WhenShown<TfrmMetaboliteEditor2>([&](TfrmMetaboliteEditor2* scheme) {
        Retype(scheme->edtFraPrtDau, "0.5");
        scheme->DBNavigator->BtnClick(nbPost);
        scheme->Close();
    });
    substances->btnTransformationScheme->Click();
    Done();
    EXPECT_EQ(Value("SELECT SUBSTANCECODEOUT || '=' || FRAPRTDAU FROM SUBSTANCETRANSFORMATIONS WHERE SUBSTANCECODEIN='E2E'"),
              "MET1=0.5");

    // application scheme: a new one with one application on the soil
    auto* schemes = Open<TfrmApplicationSchemes>();
    schemes->DBNavApplicationSchemes->BtnClick(nbInsert);
    Retype(schemes->dbedtCode, "E2E");
    schemes->DBNavApplicationSchemes->BtnClick(nbPost);
    schemes->DBNavApplicationsAbsolute->BtnClick(nbInsert);
    Retype(schemes->dbedtMDate, "15/04/2001");
    Pick(schemes->cmbTypeAbsolute, "Soil surface");
    module->tblApplicationsAbsolute->FieldByName("DOSAGE")->SetAsFloat(1.5);
    schemes->DBNavApplicationsAbsolute->BtnClick(nbPost);
    Done();
    EXPECT_EQ(Count("SELECT COUNT(*) FROM APPLICATIONSABSOLUTE WHERE APPLICATIONSCHEMECODE='E2E'"), 1);

    // crop calendar: a new one with maize every year
    auto* calendars = Open<TfrmCropCalendar>();
    calendars->dbnavCropCalendar2->BtnClick(nbInsert);
    Retype(calendars->edtCode, "E2E");
    calendars->dbnavCropCalendar2->BtnClick(nbPost);
    calendars->dbnavCropsInCropCalendars2->BtnClick(nbInsert);
    Pick(calendars->cmbCropCode, "Maize");
    Retype(calendars->edtSeqNo, "1");
    Pick(calendars->cmbEmergence, "15 May");
    Pick(calendars->cmbHarvest, "1 Oct");
    calendars->dbnavCropsInCropCalendars2->BtnClick(nbPost);
    Done();
    EXPECT_GT(Count("SELECT COUNT(*) FROM CULTIVATIONSEQUENCEXCROPSB B JOIN CULTIVATIONSEQUENCEXCROPSA A ON "
                    "A.CULTIVATIONSEQUENCEXCROPID=B.CULTIVATIONSEQUENCEXCROPID WHERE A.CULTIVATIONSEQUENCECODE='E2E'"),
              0);
    // the one message on the way: the advice to rename a copied substance (done above)
    EXPECT_EQ(BoxTexts(), std::vector<String>{"It is a good idea to rename your Substance, otherwise future copying will fail."});

    // the run on the new scenario, the only one selected
    module->dbDatabase->ExecSql("UPDATE RUNS SET SELECTEDFOREXECUTION=' ' WHERE RUNID<>1");
    module->dbDatabase->ExecSql("UPDATE RUNS SET LOCATIONCODE='copy_Vellmark', SUBSTANCECODE='E2E', "
                                "APPLICATIONSCHEMECODE='E2E', CULTIVATIONSEQUENCECODE='E2E', SELECTEDFOREXECUTION='Yes' "
                                "WHERE RUNID=1");
    auto* main = Open<TfrmMain>();
    if (!TVersionInfo::SingletonExists())
        TVersionInfo::CreateSingleton(); // the window frees it when destroyed
    boxes.Clear();
    main->CalculateSelectedRuns1->Click();
    EXPECT_EQ(Value("SELECT RESULTSSUMMARY || '|' || RESULTSDETAILED || '|' || COALESCE(MODELERRORTEXT, '') FROM RUNS "
                    "WHERE RUNID=1"),
              "Available|Available|");
    const String input = ReadTextFile(JoinPath(GetWorkDir(), "1.qmi"));
    for (const char* code : {"E2E", "MET1"})
        EXPECT_NE(input.find(code), String::npos) << code;
    EXPECT_EQ(BoxTexts(), std::vector<String>());
}

} // namespace
