// The main window opens the catalogue editors from its menu and its "..." buttons, each on
// the current run's code, and shows the change of a code afterwards.
#include "gui/windows/tests/scheme_editor_fixture.h"

#include "gui/windows/AppSchemes.h"
#include "gui/windows/CropCalendar.h"
#include "gui/windows/Depositions.h"
#include "gui/windows/Irrischemes.h"
#include "gui/windows/Main.h"
#include "gui/windows/Substances.h"
#include "gui/windows/TillageSchemes.h"

namespace {

class MainOpensEditorsTest : public EditorWindowTest {};

TEST_F(MainOpensEditorsTest, EachCatalogueEditorOpensOnTheRunsCode)
{
    auto* main = Open<TfrmMain>();
    if (!TVersionInfo::SingletonExists())
        TVersionInfo::CreateSingleton(); // the window frees it when destroyed
    ASSERT_FALSE(module->tblRuns->IsEmpty());
    struct Case {
        const char* title;
        TButton* button;
        TTable* catalogue;
        const char* field;
    };
    const Case cases[] = {
        {"%s - Crop Calendar", main->btnCropCalendars, module->tblCultivationSeqs, "CULTIVATIONSEQUENCECODE"},
        {"%s - Irrigation Schemes", main->btnIrrigationSchemes, module->tblIrrigationSchemes, "IRRIGATIONSCHEMECODE"},
        {"%s - Tillage Schemes", main->btnTillageSchemes, module->tblTillageSchemes, "TILLAGESCHEMECODE"},
        {"%s - Substances", main->btnSubstances, module->tblSubstances, "SUBSTANCECODE"},
        {"%s - Application Schemes", main->btnApplicationSchemes, module->tblApplicationSchemes, "APPLICATIONSCHEMECODE"},
        {"%s - Deposition Schemes", main->btnDepositionSchemes, module->tblDepositionSchemes, "DEPOSITIONSCHEMECODE"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        boxes.Clear();
        String shown;
        WhenShown<TEditorForm>([&](TEditorForm* editor) {
            shown = editor->Caption() + "|" + c.catalogue->FieldByName(c.field)->AsString();
            editor->Close();
        });
        c.button->Click();
        EXPECT_EQ(shown, Format(c.title, {GetApplicationTitle()}) + "|" + module->tblRuns->FieldByName(c.field)->AsString());
        EXPECT_EQ(BoxTexts(), std::vector<String>());
    }
    // the menu command opens the same window
    String shown;
    WhenShown<TfrmSubstances>([&](TfrmSubstances* editor) {
        shown = editor->Caption();
        editor->Close();
    });
    main->mnuEditSubstances->Click();
    EXPECT_EQ(shown, Format("%s - Substances", {GetApplicationTitle()}));
    // the main window offers parent substances only again
    EXPECT_TRUE(module->tblSubstances->Filtered());
}

} // namespace
