// The editor windows of locations, drainage levels, lower boundaries, soil profiles and their
// building blocks, relative diffusion, depth-dependent substance properties and initial
// conditions, driven offscreen on a copy of the demo database: what they ask, what they store,
// their copies, their pages and panels, and the refusals of predefined records.
#include "CommonUnits/GeneralUnits/tests/dm_fixture.h"

#include "gui/windows/Boundaries.h"
#include "gui/windows/DepthDependentSubstProperties.h"
#include "gui/windows/Drainage.h"
#include "gui/windows/Initial.h"
#include "gui/windows/InitialGroundWater.h"
#include "gui/windows/Locations.h"
#include "gui/windows/Main.h"
#include "gui/windows/SoilBuildingBlocks.h"
#include "gui/windows/SoilProfiles.h"
#include "gui/windows/Tortuosity.h"

#include "platform/framework/Forms.h"

#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace {

const char* const kSave = "Save the changed information ?";
const char* const kDelete = "Delete record ?";
const char* const kLocked = "Record is locked because it is a predefined record";

class EditorWindowsTest : public DataModuleTest {
protected:
    void TearDown() override
    {
        Application->ProcessMessages();
        windows.clear();
        Screen->SetCursor(crDefault);
        DataModuleTest::TearDown();
    }
    // Creates the window and shows it as its caller does (without the modal loop), which
    // activates it.
    template <class T>
    T* Open()
    {
        T* window = New<T>(nullptr);
        windows.emplace_back(window);
        window->Show();
        Application->ProcessMessages();
        module->ConfirmOn(); // as the main window's idle handler does
        return window;
    }
    // Runs a user's action; a refusal by a rule ends it silently, as in the program.
    void User(const std::function<void()>& action)
    {
        Application->Guard(action);
        module->ConfirmOn();
    }
    // While the next modal window of the class is shown: looks at it, then closes it.
    template <class T>
    void WhenShown(std::function<void(T*)> look)
    {
        QTimer::singleShot(0, [look] {
            for (int i = 0; i < Screen->FormCount(); ++i)
                if (auto* form = dynamic_cast<T*>(Screen->Forms(i)); form && form->Modal()) {
                    look(form);
                    form->Close();
                    return;
                }
            ADD_FAILURE() << "no modal window of the class was shown";
        });
    }
    void Locate(TTable* table, const char* field, const char* value)
    {
        OpenOrRefresh(table);
        ASSERT_TRUE(table->Locate(field, Variant(QString(value)), loCaseInsensitive)) << value;
    }
    std::vector<String> Texts() const { return BoxTexts(); }

    std::vector<std::unique_ptr<TForm>> windows;
};

// ---------------------------------------------------------------- every window

TEST_F(EditorWindowsTest, EveryWindowHasItsCaptionOpensItsTablesAndClosesWithoutAQuestion)
{
    Locate(module->tblLocations, "LOCATIONCODE", "Vellmark");
    Locate(module->tblSoilProfiles, "SOILPROFILECODE", "HeathSand");
    OpenOrRefresh(module->tblProjects);
    OpenOrRefresh(module->tblRuns);
    struct Case {
        const char* caption;
        std::function<TEditorForm*()> open;
        std::vector<TTable*> opened;
    } const cases[] = {
        {"Locations", [this] { return Open<TfrmLocations>(); },
         {module->tblLocations, module->tblSoilProfiles, module->tblMeteoStations, module->tblLboNames}},
        {"Drainage", [this] { return Open<TfrmDrainage>(); }, {module->tblDrainages, module->tblOptDrainageTypes}},
        {"Lower Boundary Conditions", [this] { return Open<TfrmBoundaries>(); },
         {module->tblLocLboDirichlets, module->tblLocLboDirichletTS, module->tblLocLboFluxSines,
          module->tblLocLboGroundWaters, module->tblLocLboGroundWaterTS, module->tblLocLboHeads, module->tblLocLboQHs,
          module->tblOptShapeGrwLevs, module->tblDateTimeCounting}},
        {"Soil Profiles", [this] { return Open<TfrmSoilProfiles>(); },
         {module->tblSoilProfilesxSoilBuildingBlocks, module->tblSoilBuildingBlocks, module->tblOptRhos,
          module->tblDepthDependentSubstProperties}},
        {"Soil Building Blocks", [this] { return Open<TfrmSoilBuildingBlocks>(); }, {module->tblSoilBuildingBlocks}},
        {"Relative Diffusion Coefficient", [this] { return Open<TfrmTortuosity>(); },
         {module->tblSoilTortTroeh, module->tblSoilTortMillington, module->tblSoilTortCurrie}},
        {"Depth Dependent Substance Properties", [this] { return Open<TfrmDepthDependentSubstProperties>(); },
         {module->tblSubstances}},
        {"Initial Conditions for Parent Pesticide", [this] { return Open<TfrmInitial>(); },
         {module->tblCntSysEql, module->tblCntSysNeq}},
        {"Initial Groundwater Level", [this] { return Open<TfrmInitialGroundWater>(); }, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        boxes.Clear();
        TEditorForm* window = c.open();
        EXPECT_EQ(window->Caption(), String("RavuzAVEDE 2.1.2 - ") + c.caption);
        for (TTable* table : c.opened)
            EXPECT_TRUE(table->Active()) << table->TableName;
        EXPECT_EQ(boxes.Count(), 0) << (boxes.Count() ? boxes.Last().Text : String());
        window->Close();
        EXPECT_FALSE(window->Visible());
        EXPECT_EQ(boxes.Count(), 0);
    }
}

// ---------------------------------------------------------------- locations

TEST_F(EditorWindowsTest, LocationsInsertPostAndDeleteAskOnlyTheDeleteQuestion)
{
    auto* window = Open<TfrmLocations>();
    boxes.Clear();
    window->navLocations->BtnClick(nbInsert);
    EXPECT_EQ(module->tblLocations->State(), dsInsert);
    EXPECT_EQ(module->tblLocations->FieldByName("LOCATIONCODE")->AsString(), "Location0");
    window->edtCode->SetText("Mine");
    window->navLocations->BtnClick(nbPost);
    EXPECT_EQ(boxes.Count(), 0);
    EXPECT_EQ(Value("SELECT NAME FROM LOCATIONS WHERE LOCATIONCODE='Mine'"), "Location0Name");
    // the new location has its default lower-boundary rows
    EXPECT_EQ(Count("SELECT COUNT(*) FROM LOCATIONLBOGROUNDWATERTS WHERE LOCATIONCODE='Mine'"), 2);

    boxes.Answer("Yes");
    window->navLocations->BtnClick(nbDelete);
    EXPECT_EQ(Texts(), std::vector<String>{kDelete});
    EXPECT_EQ(Count("SELECT COUNT(*) FROM LOCATIONS WHERE LOCATIONCODE='Mine'"), 0);
}

TEST_F(EditorWindowsTest, ClosingWithAPendingEditAsksAndNoKeepsTheWindowOpen)
{
    Locate(module->tblLocations, "LOCATIONCODE", "Sorvik");
    auto* window = Open<TfrmLocations>();
    boxes.Clear();
    window->edtName->SetText("Sorvik renamed");
    EXPECT_EQ(module->tblLocations->State(), dsEdit);
    boxes.Answer("No");
    window->Close();
    EXPECT_TRUE(window->Visible());
    EXPECT_EQ(Texts(), std::vector<String>{kSave});
    EXPECT_EQ(Value("SELECT NAME FROM LOCATIONS WHERE LOCATIONCODE='Sorvik'"), "Sorvik brook valley");

    window->edtName->SetText("Sorvik renamed");
    boxes.Answer("Yes");
    window->Close();
    EXPECT_FALSE(window->Visible());
    EXPECT_EQ(Value("SELECT NAME FROM LOCATIONS WHERE LOCATIONCODE='Sorvik'"), "Sorvik renamed");
}

TEST_F(EditorWindowsTest, APredefinedLocationRefusesEveryChange)
{
    Locate(module->tblLocations, "LOCATIONCODE", "Vellmark");
    auto* window = Open<TfrmLocations>();
    const String before = Value("SELECT NAME || ZPNDMAX || MODIFICATIONDATE FROM LOCATIONS WHERE LOCATIONCODE='Vellmark'");
    struct Case {
        const char* name;
        std::function<void()> change;
    } const cases[] = {
        {"typing", [&] { window->edtName->SetText("changed"); }},
        {"ticking", [&] { window->cbCalcLateralDrainage->SetChecked(!window->cbCalcLateralDrainage->Checked()); }},
        {"deleting", [&] { window->navLocations->BtnClick(nbDelete); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        boxes.Clear();
        User(c.change);
        EXPECT_EQ(Texts(), std::vector<String>{kLocked});
        EXPECT_EQ(module->tblLocations->State(), dsBrowse);
    }
    EXPECT_EQ(Value("SELECT NAME || ZPNDMAX || MODIFICATIONDATE FROM LOCATIONS WHERE LOCATIONCODE='Vellmark'"), before);

    // nor can its drainage levels be added to
    auto* drainage = Open<TfrmDrainage>();
    boxes.Clear();
    User([&] { drainage->navDrainage->BtnClick(nbInsert); });
    EXPECT_EQ(Texts(), std::vector<String>{kLocked});
    EXPECT_EQ(module->tblDrainages->State(), dsBrowse);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM DRAINAGES WHERE LOCATIONCODE='Vellmark'"), 2);
}

TEST_F(EditorWindowsTest, TheDrainageButtonFollowsTheCheckBoxOfTheCurrentLocation)
{
    Locate(module->tblLocations, "LOCATIONCODE", "Sorvik");
    auto* window = Open<TfrmLocations>();
    EXPECT_FALSE(window->cbCalcLateralDrainage->Checked());
    EXPECT_FALSE(window->btnDrainage->Enabled());
    module->tblLocations->Locate("LOCATIONCODE", Variant(QString("Vellmark")), 0);
    EXPECT_TRUE(window->btnDrainage->Enabled());
    module->tblLocations->Locate("LOCATIONCODE", Variant(QString("Sorvik")), 0);
    EXPECT_FALSE(window->btnDrainage->Enabled());
    window->cbCalcLateralDrainage->SetChecked(true); // the user ticks the box
    EXPECT_TRUE(window->btnDrainage->Enabled());
    EXPECT_EQ(module->tblLocations->FieldByName("OPTDRA")->AsString(), "Yes");
    module->tblLocations->Cancel();
}

// Counts of a location's rows in its child tables.
struct LocationRows {
    int drainages, groundwaterHeads, groundwaterSeries, fluxSines, qhs, dirichletHeads, dirichletSeries, heads;
    bool operator==(const LocationRows&) const = default;
};

void PrintTo(const LocationRows& r, std::ostream* os)
{
    *os << r.drainages << "," << r.groundwaterHeads << "," << r.groundwaterSeries << "," << r.fluxSines << ","
        << r.qhs << "," << r.dirichletHeads << "," << r.dirichletSeries << "," << r.heads;
}

TEST_F(EditorWindowsTest, ACopiedLocationIsUnlockedWithExactlyTheChildRowsOfItsSource)
{
    auto rows = [this](const String& code) {
        auto n = [&](const char* table) {
            return Count(String("SELECT COUNT(*) FROM ") + table + " WHERE LOCATIONCODE='" + code + "'");
        };
        return LocationRows{n("DRAINAGES"),      n("LOCATIONLBOGROUNDWATERS"), n("LOCATIONLBOGROUNDWATERTS"),
                            n("LOCATIONLBOFLUXSINES"), n("LOCATIONLBOQHS"),        n("LOCATIONLBODIRICHLETS"),
                            n("LOCATIONLBODIRICHLETTS"), n("LOCATIONLBOHEADS")};
    };
    // Vellmark has every kind of child row, and pressure heads on the very dates of the
    // default series rows; Sorvik lacks a few child rows, which its copy lacks as well
    for (const char* source : {"Vellmark", "Sorvik"}) {
        SCOPED_TRACE(source);
        Locate(module->tblLocations, "LOCATIONCODE", source);
        auto* window = Open<TfrmLocations>();
        boxes.Clear();
        window->btnCopy->Click();
        const String copy = String("copy_") + source;
        EXPECT_EQ(module->tblLocations->FieldByName("LOCATIONCODE")->AsString(), copy);
        EXPECT_EQ(boxes.Count(), 0);
        EXPECT_EQ(Value("SELECT LOCKED || ',' || MORVASELECTED || ',' || NAME FROM LOCATIONS WHERE LOCATIONCODE='" +
                        copy + "'"),
                  "No,0,copy_" + Value(String("SELECT NAME FROM LOCATIONS WHERE LOCATIONCODE='") + source + "'"));
        EXPECT_EQ(rows(copy), rows(source));
        EXPECT_EQ(Value("SELECT GROUP_CONCAT(MDATE || '=' || GRWLEV) FROM LOCATIONLBOGROUNDWATERTS WHERE "
                        "LOCATIONCODE='" + copy + "'"),
                  Value(String("SELECT GROUP_CONCAT(MDATE || '=' || GRWLEV) FROM LOCATIONLBOGROUNDWATERTS WHERE "
                               "LOCATIONCODE='") + source + "'"));
        EXPECT_EQ(Count("SELECT COUNT(*) FROM LOCATIONLBOHEADS WHERE LOCKED='Yes' AND LOCATIONCODE='" + copy + "'"), 0);
        // the copy is editable at once
        window->edtName->SetText("mine");
        window->navLocations->BtnClick(nbPost);
        EXPECT_EQ(Value("SELECT NAME FROM LOCATIONS WHERE LOCATIONCODE='" + copy + "'"), "mine");
        window->Close();
    }
}

TEST_F(EditorWindowsTest, ASecondCopyUnderTheSameKeyFailsWholeAndWaitsForAnotherKey)
{
    Locate(module->tblLocations, "LOCATIONCODE", "Vellmark");
    auto* window = Open<TfrmLocations>();
    window->btnCopy->Click();
    module->tblLocations->Locate("LOCATIONCODE", Variant(QString("Vellmark")), 0);
    const int locations = Count("SELECT COUNT(*) FROM LOCATIONS");
    const int series = Count("SELECT COUNT(*) FROM LOCATIONLBOGROUNDWATERTS");
    EXPECT_THROW(window->btnCopy->Click(), EDBEngineError);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM LOCATIONS"), locations);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM LOCATIONLBOGROUNDWATERTS"), series);
    EXPECT_EQ(module->tblLocations->State(), dsInsert);
    window->edtCode->SetText("copy_2");
    window->navLocations->BtnClick(nbPost);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM LOCATIONS WHERE LOCATIONCODE='copy_2'"), 1);
}

TEST_F(EditorWindowsTest, ACopyThatFailsInAChildTableLeavesNoPartOfItself)
{
    // the database refuses the copied drainage levels, after the location and its default
    // lower-boundary rows went in
    module->dbDatabase->ExecSql("CREATE TRIGGER REFUSE_COPY BEFORE INSERT ON DRAINAGES WHEN "
                                "NEW.LOCATIONCODE='copy_Vellmark' BEGIN SELECT RAISE(ABORT, 'refused'); END");
    Locate(module->tblLocations, "LOCATIONCODE", "Vellmark");
    auto* window = Open<TfrmLocations>();
    EXPECT_ANY_THROW(window->btnCopy->Click());
    for (const char* table : {"LOCATIONS", "DRAINAGES", "LOCATIONLBOGROUNDWATERS", "LOCATIONLBOGROUNDWATERTS",
                              "LOCATIONLBOFLUXSINES", "LOCATIONLBOQHS", "LOCATIONLBODIRICHLETS",
                              "LOCATIONLBODIRICHLETTS", "LOCATIONLBOHEADS"})
        EXPECT_EQ(Count(String("SELECT COUNT(*) FROM ") + table + " WHERE LOCATIONCODE='copy_Vellmark'"), 0) << table;
    EXPECT_EQ(module->tblLocations->State(), dsBrowse);
    EXPECT_EQ(module->tblLocations->FieldByName("LOCATIONCODE")->AsString(), "Vellmark");
    EXPECT_FALSE(module->tblLocations->Locate("LOCATIONCODE", Variant(QString("copy_Vellmark")), 0));
}

TEST_F(EditorWindowsTest, TheLocationWindowOpensItsChildrenOnTheLocationsOwnRecords)
{
    Locate(module->tblLocations, "LOCATIONCODE", "Torrsund");
    auto* window = Open<TfrmLocations>();
    boxes.Clear();
    String profile;
    WhenShown<TfrmSoilProfiles>([&](TfrmSoilProfiles*) {
        profile = module->tblSoilProfiles->FieldByName("SOILPROFILECODE")->AsString();
    });
    window->btnSoilProfiles->Click();
    EXPECT_EQ(profile, "HeathSand");

    String page, shown;
    WhenShown<TfrmBoundaries>([&](TfrmBoundaries* boundaries) {
        page = boundaries->pgLBO->ActivePage()->Name();
        shown = boundaries->edtLBO->Text();
    });
    window->btnLBOs->Click();
    EXPECT_EQ(page, "tsDirichlet");
    EXPECT_EQ(shown, "Pressure head series");
    EXPECT_EQ(boxes.Count(), 0);
}

// ---------------------------------------------------------------- drainage levels

TEST_F(EditorWindowsTest, DrainageWindowOfALocationWithoutLevels)
{
    Locate(module->tblLocations, "LOCATIONCODE", "Sorvik");
    auto* window = Open<TfrmDrainage>();
    EXPECT_EQ(Texts(), std::vector<String>{"No drainages yet for location. Create drainages with + button."});
    EXPECT_EQ(boxes.Last().Kind, TMessageBoxKind::Information);
    window->TimerTimer(window);
    EXPECT_FALSE(window->GroupBox->Visible()); // an empty grid without edit fields

    boxes.Clear();
    window->navDrainage->BtnClick(nbInsert);
    EXPECT_TRUE(window->GroupBox->Visible());
    window->TimerTimer(window);
    EXPECT_TRUE(window->GroupBox->Visible()); // while the level is inserted
    window->edtRstDra->SetText("250");
    window->navDrainage->BtnClick(nbPost);
    EXPECT_EQ(boxes.Count(), 0);
    EXPECT_EQ(Value("SELECT RSTDRA || ',' || OPTDRAINAGETYPECODE FROM DRAINAGES WHERE LOCATIONCODE='Sorvik'"),
              "250.0,Channel");
    window->TimerTimer(window);
    EXPECT_TRUE(window->GroupBox->Visible());

    boxes.Answer("Yes");
    window->navDrainage->BtnClick(nbDelete);
    EXPECT_EQ(Texts(), std::vector<String>{kDelete});
    EXPECT_EQ(Count("SELECT COUNT(*) FROM DRAINAGES WHERE LOCATIONCODE='Sorvik'"), 0);
    // the timer hides the group again within its period
    QTest::qWait(250);
    EXPECT_FALSE(window->GroupBox->Visible());
}

// ---------------------------------------------------------------- lower boundaries

TEST_F(EditorWindowsTest, TheLowerBoundaryWindowOpensOnThePageOfTheLocationsKindInAnyLetterCase)
{
    struct Case {
        const char* kind;
        const char* page;
    } const cases[] = {{"GrwLev", "tsGrwLev"},       {"FLUX", "tsFlux"},         {"cauchy", "tsCauchy"},
                       {"FncGrwLev", "tsFncGrwLev"}, {"dirichlet", "tsDirichlet"}, {"zeroflux", "tsZeroFlux"},
                       {"FreeDrain", "tsFreeDrain"}, {"LYSIMETER", "tsLysimeter"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        // the kind as the database holds it, in this letter case
        module->dbDatabase->ExecSql(String("DELETE FROM LBONAMES WHERE UPPER(LBONAMECODE)=UPPER('") + c.kind +
                                    "') AND NOT EXISTS (SELECT 1 FROM LOCATIONS WHERE LBONAMECODE=LBONAMES.LBONAMECODE)");
        module->dbDatabase->ExecSql(String("INSERT OR IGNORE INTO LBONAMES (LBONAMECODE, DESCRIPTION, LOCKED) VALUES ('") +
                                    c.kind + "', '" + c.kind + "', 'Yes')");
        module->dbDatabase->ExecSql(String("UPDATE LOCATIONS SET LBONAMECODE='") + c.kind +
                                    "' WHERE LOCATIONCODE='Sorvik'");
        Locate(module->tblLocations, "LOCATIONCODE", "Sorvik");
        auto* window = Open<TfrmBoundaries>();
        EXPECT_EQ(window->pgLBO->ActivePage()->Name(), c.page);
        window->Close();
    }
}

TEST_F(EditorWindowsTest, SeriesRowsAreDeletedAfterTwoQuestionsForGroundwaterAndOneForPressureHeads)
{
    Locate(module->tblLocations, "LOCATIONCODE", "Sorvik");
    // Sorvik's series heads have no rows yet: the program's way gives them the default rows
    module->dbDatabase->ExecSql("INSERT INTO LOCATIONLBOGROUNDWATERTS VALUES ('Sorvik', '2001-01-01', -80)");
    module->dbDatabase->ExecSql("INSERT INTO LOCATIONLBODIRICHLETTS VALUES ('Sorvik', '2001-01-01', -80)");
    auto* window = Open<TfrmBoundaries>();
    struct Case {
        TDBNavigator* navigator;
        const char* table;
        int questions;
    } const cases[] = {{window->DBNavigator1, "LOCATIONLBOGROUNDWATERTS", 2},
                       {window->DBNavigator2, "LOCATIONLBODIRICHLETTS", 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.table);
        boxes.Clear();
        for (int i = 0; i < c.questions; ++i)
            boxes.Answer("Yes");
        User([&] { c.navigator->BtnClick(nbDelete); });
        EXPECT_EQ(boxes.Count(), c.questions);
        EXPECT_EQ(boxes.Last().Text, kDelete);
        EXPECT_EQ(Count(String("SELECT COUNT(*) FROM ") + c.table + " WHERE LOCATIONCODE='Sorvik'"), 0);
    }
}

TEST_F(EditorWindowsTest, ImportsIntoAPredefinedLowerBoundaryAreRefusedBeforeAnything)
{
    Locate(module->tblLocations, "LOCATIONCODE", "Vellmark");
    auto* window = Open<TfrmBoundaries>();
    const int groundwater = Count("SELECT COUNT(*) FROM LOCATIONLBOGROUNDWATERTS");
    const int pressure = Count("SELECT COUNT(*) FROM LOCATIONLBODIRICHLETTS");
    for (TButton* button : {window->btnImportGrwlev, window->btnImportPressureHeadLBO}) {
        boxes.Clear();
        button->Click();
        EXPECT_EQ(Texts(), std::vector<String>{"Data cannot be imported for a predefined record"});
        EXPECT_EQ(boxes.Last().Kind, TMessageBoxKind::Error);
    }
    EXPECT_EQ(Count("SELECT COUNT(*) FROM LOCATIONLBOGROUNDWATERTS"), groundwater);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM LOCATIONLBODIRICHLETTS"), pressure);

    // nor are its parameters and series rows changed by hand
    struct Case {
        const char* name;
        std::function<void()> change;
    } const cases[] = {
        {"sine flux", [&] { window->edtFlvLiqLboAvg->SetText("-0.3"); }},
        {"aquifer head", [&] { window->edtHeaAqfAvg->SetText("-2"); }},
        {"series value", [&] { window->edtGrwLev->SetText("-90"); }},
        {"new series row", [&] { window->DBNavigator1->BtnClick(nbInsert); }},
        {"deleted series row", [&] { window->DBNavigator2->BtnClick(nbDelete); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        boxes.Clear();
        User(c.change);
        ASSERT_GE(boxes.Count(), 1);
        EXPECT_EQ(boxes.Last().Text, kLocked);
    }
    for (TTable* table : window->TablesPostedOnClose)
        EXPECT_EQ(table->State(), dsBrowse) << table->TableName;
    EXPECT_EQ(Count("SELECT COUNT(*) FROM LOCATIONLBOGROUNDWATERTS"), groundwater);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM LOCATIONLBODIRICHLETTS"), pressure);
    EXPECT_EQ(Value("SELECT FLVLIQLBOAVG || HEAAQFAVG FROM LOCATIONLBOFLUXSINES JOIN LOCATIONLBOHEADS USING "
                    "(LOCATIONCODE) WHERE LOCATIONCODE='Vellmark'"),
              "-0.25-1.4");

    // an unlocked location gets to the import's own question, which No ends
    Locate(module->tblLocations, "LOCATIONCODE", "Sorvik");
    boxes.Clear();
    boxes.Answer("No");
    window->btnImportGrwlev->Click();
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Last().Text.rfind("Important:", 0), 0u);
}

TEST_F(EditorWindowsTest, ParametersOfAnUnlockedLowerBoundaryAreSavedOnClose)
{
    Locate(module->tblLocations, "LOCATIONCODE", "Hallmo");
    auto* window = Open<TfrmBoundaries>();
    EXPECT_EQ(window->pgLBO->ActivePage(), window->tsFncGrwLev);
    window->edtCofFncGrwLev->SetText("-0.02");
    boxes.Answer("Yes");
    window->Close();
    EXPECT_FALSE(window->Visible());
    EXPECT_EQ(Texts(), std::vector<String>{kSave});
    EXPECT_EQ(Value("SELECT COFFNCGRWLEV FROM LOCATIONLBOQHS WHERE LOCATIONCODE='Hallmo'"), "-0.02");
}

// ---------------------------------------------------------------- soil profiles

TEST_F(EditorWindowsTest, EditingAProfileHidesItsHorizonsUntilItIsSavedOrCancelled)
{
    module->dbDatabase->ExecSql("UPDATE SOILPROFILES SET LOCKED='No' WHERE SOILPROFILECODE='RiverLoam'");
    Locate(module->tblSoilProfiles, "SOILPROFILECODE", "RiverLoam");
    auto* window = Open<TfrmSoilProfiles>();
    EXPECT_FALSE(window->lblMessage->Visible());
    EXPECT_EQ(module->tblSoilProfilesxSoilBuildingBlocks->RecordCount(), 3);
    for (TNavigateBtn end : {nbCancel, nbPost}) {
        window->edtName->SetText("River loam, edited");
        EXPECT_FALSE(window->pnlHorizonsInSoilProfiles->Visible());
        EXPECT_FALSE(window->pnlDepthEffects->Visible());
        EXPECT_TRUE(window->lblMessage->Visible());
        boxes.Clear();
        window->dbnavSoilProfiles->BtnClick(end);
        EXPECT_EQ(boxes.Count(), 0);
        EXPECT_TRUE(window->pnlHorizonsInSoilProfiles->Visible());
        EXPECT_TRUE(window->pnlDepthEffects->Visible());
        EXPECT_FALSE(window->lblMessage->Visible());
        EXPECT_EQ(module->tblSoilProfilesxSoilBuildingBlocks->RecordCount(), 3);
    }
    EXPECT_EQ(Value("SELECT NAME FROM SOILPROFILES WHERE SOILPROFILECODE='RiverLoam'"), "River loam, edited");
}

TEST_F(EditorWindowsTest, ACopiedProfileHasItsSourcesHorizonsAndDiffusionRowsButNoDepthFactors)
{
    Locate(module->tblSoilProfiles, "SOILPROFILECODE", "HeathSand");
    auto* window = Open<TfrmSoilProfiles>();
    boxes.Clear();
    window->btnCopy->Click();
    EXPECT_EQ(boxes.Count(), 0);
    EXPECT_EQ(module->tblSoilProfiles->FieldByName("SOILPROFILECODE")->AsString(), "copy_HeathSand");
    EXPECT_EQ(Value("SELECT LOCKED || ',' || NAME || ',' || TORTNAMECODE FROM SOILPROFILES WHERE "
                    "SOILPROFILECODE='copy_HeathSand'"),
              "No,copy_Heath sand profile,MillingtonQuirk");
    const char* const rows[] = {
        "SELECT GROUP_CONCAT(HORIZONSEQNO || SOILBUILDINGBLOCKCODE || THICKNESS || COMPARTMENTCNT || FACZTRA) FROM "
        "SOILPROFILESXSOILBUILDINGBLOCKS WHERE SOILPROFILECODE='%s'",
        "SELECT GROUP_CONCAT(EXPDIFLIQMILNOM || EXPDIFLIQMILDEN) FROM SOILTORTMILLQUIRK WHERE SOILPROFILECODE='%s'",
        "SELECT GROUP_CONCAT(COFDIFGASTRO || EXPDIFLIQTRO) FROM SOILTORTTROEH WHERE SOILPROFILECODE='%s'",
        "SELECT GROUP_CONCAT(COFDIFGASCUR || EXPDIFLIQCUR) FROM SOILTORTCURRIE WHERE SOILPROFILECODE='%s'",
    };
    for (const char* sql : rows) {
        SCOPED_TRACE(sql);
        EXPECT_EQ(Value(StringReplace(sql, "%s", "copy_HeathSand", rfReplaceAll)),
                  Value(StringReplace(sql, "%s", "HeathSand", rfReplaceAll)));
    }
    for (const char* table : {"SOILTORTMILLQUIRK", "SOILTORTTROEH", "SOILTORTCURRIE"})
        EXPECT_EQ(Count(String("SELECT COUNT(*) FROM ") + table + " WHERE SOILPROFILECODE='copy_HeathSand'"), 1)
            << table;
    EXPECT_EQ(Count("SELECT COUNT(*) FROM DEPTHDEPENDENTSUBSTPROPERTIES WHERE SOILPROFILECODE='copy_HeathSand'"), 0);
}

TEST_F(EditorWindowsTest, APredefinedProfileRefusesChangesOfItselfAndOfItsHorizons)
{
    Locate(module->tblSoilProfiles, "SOILPROFILECODE", "HeathSand");
    auto* window = Open<TfrmSoilProfiles>();
    struct Case {
        const char* name;
        std::function<void()> change;
    } const cases[] = {
        {"profile name", [&] { window->edtName->SetText("changed"); }},
        {"horizon thickness", [&] { window->edtThickness->SetText("2"); }},
        {"new horizon", [&] { window->dbnavHorizonInSoilProfiles->BtnClick(nbInsert); }},
        {"deleted horizon", [&] { window->dbnavHorizonInSoilProfiles->BtnClick(nbDelete); }},
        {"deleted profile", [&] { window->dbnavSoilProfiles->BtnClick(nbDelete); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        boxes.Clear();
        User(c.change);
        EXPECT_EQ(Texts(), std::vector<String>{kLocked});
        EXPECT_EQ(module->tblSoilProfiles->State(), dsBrowse);
        EXPECT_EQ(module->tblSoilProfilesxSoilBuildingBlocks->State(), dsBrowse);
    }
    EXPECT_EQ(Count("SELECT COUNT(*) FROM SOILPROFILESXSOILBUILDINGBLOCKS WHERE SOILPROFILECODE='HeathSand'"), 3);
}

TEST_F(EditorWindowsTest, TheProfileWindowOpensTheBuildingBlockOfTheCurrentHorizon)
{
    Locate(module->tblSoilProfiles, "SOILPROFILECODE", "HeathSand");
    auto* window = Open<TfrmSoilProfiles>();
    module->tblSoilProfilesxSoilBuildingBlocks->Locate("HORIZONSEQNO", Variant(2), 0);
    String block;
    WhenShown<TfrmSoilBuildingBlocks>([&](TfrmSoilBuildingBlocks* blocks) { block = blocks->edtCode->Text(); });
    window->btnSoilBuildingBlocks->Click();
    EXPECT_EQ(block, "Hv_Sub");
    String caption;
    WhenShown<TfrmDepthDependentSubstProperties>(
        [&](TfrmDepthDependentSubstProperties* properties) { caption = properties->grpbxBrowse->Caption(); });
    window->btnDepthEffect->Click();
    EXPECT_EQ(caption, " Browse Depth dependent Substance Properties for SoilCode: HeathSand, Horizon no.: 2 ");
}

// ---------------------------------------------------------------- soil building blocks

TEST_F(EditorWindowsTest, ACopiedBuildingBlockIsUnlockedAndEditable)
{
    Locate(module->tblSoilBuildingBlocks, "SOILBUILDINGBLOCKCODE", "Hv_Top");
    auto* window = Open<TfrmSoilBuildingBlocks>();
    boxes.Clear();
    User([&] { window->edtPh->SetText("6"); });
    EXPECT_EQ(Texts(), std::vector<String>{kLocked});
    boxes.Clear();
    window->btnCopy->Click();
    EXPECT_EQ(boxes.Count(), 0);
    EXPECT_EQ(window->edtCode->Text(), "copy_Hv_Top");
    EXPECT_EQ(Value("SELECT LOCKED || ',' || PH || ',' || RHO FROM SOILBUILDINGBLOCKS WHERE "
                    "SOILBUILDINGBLOCKCODE='copy_Hv_Top'"),
              "No,5.4,1420.0");
    window->edtPh->SetText("6");
    window->DBNavigator->BtnClick(nbPost);
    EXPECT_EQ(boxes.Count(), 0);
    EXPECT_EQ(Value("SELECT PH FROM SOILBUILDINGBLOCKS WHERE SOILBUILDINGBLOCKCODE='copy_Hv_Top'"), "6");

    // typing a character of code 128 or more into the code takes it out at once
    window->edtCode->SetText("ab\xE9" "c");
    EXPECT_EQ(window->edtCode->Text(), "abc");
    EXPECT_GE(window->edtCode->SelStart(), 0);
    window->DBNavigator->BtnClick(nbCancel);
}

// ---------------------------------------------------------------- relative diffusion

TEST_F(EditorWindowsTest, TheRelativeDiffusionWindowOpensOnTheProfilesModelAndSavesOnAPageChange)
{
    module->dbDatabase->ExecSql("UPDATE SOILPROFILES SET LOCKED='No', TORTNAMECODE='Troeh' WHERE SOILPROFILECODE='RiverLoam'");
    Locate(module->tblSoilProfiles, "SOILPROFILECODE", "HeathSand");
    auto* window = Open<TfrmTortuosity>();
    EXPECT_EQ(window->pgTortuosity->ActivePage(), window->tsMillington);
    EXPECT_EQ(window->EdtTort->Text(), "MillingtonQuirk");

    // the parameters of a predefined profile are its own
    boxes.Clear();
    User([&] { window->edtExpDifGasMilDen->SetText("0.7"); });
    EXPECT_EQ(Texts(), std::vector<String>{kLocked});
    EXPECT_EQ(module->tblSoilTortMillington->State(), dsBrowse);
    window->Close();

    Locate(module->tblSoilProfiles, "SOILPROFILECODE", "RiverLoam");
    window = Open<TfrmTortuosity>();
    EXPECT_EQ(window->pgTortuosity->ActivePage(), window->tsTroeh);
    // the other models' rows of the profile can be edited too
    boxes.Clear();
    window->edtCofDifGasCur->SetText("2.7");
    boxes.Answer("Yes");
    window->pgTortuosityChange(window->pgTortuosity);
    EXPECT_EQ(Texts(), std::vector<String>{kSave});
    EXPECT_EQ(Value("SELECT COFDIFGASCUR FROM SOILTORTCURRIE WHERE SOILPROFILECODE='RiverLoam'"), "2.7");
}

// ---------------------------------------------------------------- depth-dependent properties

TEST_F(EditorWindowsTest, DepthFactorsOfferEverySubstanceAndArePostedWithoutAQuestion)
{
    module->dbDatabase->ExecSql("UPDATE SOILPROFILES SET LOCKED='No' WHERE SOILPROFILECODE='RiverLoam'");
    Locate(module->tblSoilProfiles, "SOILPROFILECODE", "RiverLoam");
    OpenOrRefresh(module->tblSoilProfilesxSoilBuildingBlocks);
    OpenOrRefresh(module->tblDepthDependentSubstProperties); // as the soil profile window leaves it
    TTable* substances = module->tblSubstances;
    substances->SetFilter("IsParent = 'Yes'");
    substances->SetFiltered(true);
    OpenOrRefresh(substances);
    const int parents = substances->RecordCount();
    auto* window = Open<TfrmDepthDependentSubstProperties>();
    EXPECT_FALSE(substances->Filtered());
    EXPECT_EQ(window->dblupSubstanceCode->ItemCount(), Count("SELECT COUNT(*) FROM SUBSTANCES"));
    EXPECT_GT(window->dblupSubstanceCode->ItemCount(), parents);

    boxes.Clear();
    window->dbnav->BtnClick(nbInsert);
    window->dblupSubstanceCode->SelectItem(0);
    window->edtFacZTra->SetText("0.8");
    window->dbnav->BtnClick(nbPost);
    EXPECT_EQ(boxes.Count(), 0) << (boxes.Count() ? boxes.Last().Text : String());
    EXPECT_EQ(module->tblDepthDependentSubstProperties->State(), dsBrowse);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM DEPTHDEPENDENTSUBSTPROPERTIES WHERE SOILPROFILECODE='RiverLoam' AND "
                    "HORIZONSEQNO=1 AND FACZTRA=0.8"),
              1);
}

// ---------------------------------------------------------------- initial conditions

TEST_F(EditorWindowsTest, InitialContentsArePostedByTheNavigatorAndAskedForOnClose)
{
    OpenOrRefresh(module->tblProjects);
    OpenOrRefresh(module->tblRuns);
    module->tblRuns->Locate("RUNID", Variant(1), 0);
    auto* window = Open<TfrmInitial>();
    EXPECT_EQ(module->tblCntSysEql->RecordCount(), 2);
    boxes.Clear();
    window->dbnavCntSysEql->BtnClick(nbInsert);
    module->tblCntSysEql->FieldByName("Z")->SetAsFloat(0.3);
    module->tblCntSysEql->FieldByName("CNTSYSEQL")->SetAsFloat(0.25);
    window->dbnavCntSysEql->BtnClick(nbPost);
    EXPECT_EQ(boxes.Count(), 0);
    EXPECT_EQ(Value("SELECT CNTSYSEQL FROM CNTSYSEQL WHERE RUNID=1 AND Z=0.3"), "0.25");

    window->dbnavCntSysNeq->BtnClick(nbInsert);
    module->tblCntSysNeq->FieldByName("Z")->SetAsFloat(0.4);
    boxes.Answer("No");
    window->Close();
    EXPECT_TRUE(window->Visible());
    EXPECT_EQ(Texts(), std::vector<String>{kSave});
    EXPECT_EQ(Count("SELECT COUNT(*) FROM CNTSYSNEQ WHERE RUNID=1 AND Z=0.4"), 0);
    window->Close();
    EXPECT_FALSE(window->Visible());
}

TEST_F(EditorWindowsTest, TheInitialGroundwaterLevelStaysInTheRunBeingEdited)
{
    OpenOrRefresh(module->tblProjects);
    OpenOrRefresh(module->tblRuns);
    module->tblRuns->Locate("RUNID", Variant(1), 0);
    auto* window = Open<TfrmInitialGroundWater>();
    boxes.Clear();
    window->edtZGrwLevSta->SetText("-150");
    window->Close();
    EXPECT_FALSE(window->Visible());
    EXPECT_EQ(boxes.Count(), 0);
    EXPECT_EQ(module->tblRuns->State(), dsEdit);
    EXPECT_EQ(module->tblRuns->FieldByName("ZGRWLEVSTA")->AsFloat(), -150);
    module->tblRuns->Cancel();
}

// ---------------------------------------------------------------- from the main window

TEST_F(EditorWindowsTest, TheMainWindowOpensTheLocationWindowOnTheRunsLocation)
{
    auto* main = Open<TfrmMain>();
    Application->ProcessMessages();
    if (!TVersionInfo::SingletonExists())
        TVersionInfo::CreateSingleton();
    module->tblRuns->Locate("RUNID", Variant(2), 0);
    const String location = module->tblRuns->FieldByName("LOCATIONCODE")->AsString();
    String shown;
    WhenShown<TfrmLocations>([&](TfrmLocations* window) { shown = window->edtCode->Text(); });
    main->mnuEditLocations->Click();
    EXPECT_EQ(shown, location);

    bool initialShown = false;
    WhenShown<TfrmInitial>([&](TfrmInitial*) { initialShown = true; });
    main->btnInitialConditionsPest->Click();
    EXPECT_TRUE(initialShown);
    bool levelShown = false;
    WhenShown<TfrmInitialGroundWater>([&](TfrmInitialGroundWater*) { levelShown = true; });
    main->btnInitialConditionsGroundWater->Click();
    EXPECT_TRUE(levelShown);
    Application->OnException = nullptr;
    Application->OnIdle = nullptr;
}

} // namespace
