// The irrigation, tillage and deposition scheme windows on a copy of the demo database: rows
// that follow the scheme's type, code and state, the irrigation scheme copy, the prompts of
// edits, closing and locked schemes, and the deposition window's check on closing.
#include "gui/windows/tests/scheme_editor_fixture.h"

#include "gui/windows/Depositions.h"
#include "gui/windows/Irrischemes.h"
#include "gui/windows/TillageSchemes.h"

namespace {

class DatedSchemeWindowTest : public EditorWindowTest {
protected:
    void On(TTable* table, const char* field, const char* code)
    {
        table->Open();
        ASSERT_TRUE(table->Locate(field, Variant(ToQString(String(code))), loCaseInsensitive)) << code;
        Application->ProcessMessages();
    }
    struct Step {
        const char* what;
        std::function<void()> act;
        std::vector<String> answers;
        std::vector<String> expected;
    };
    void Run(const std::vector<Step>& steps)
    {
        for (const Step& step : steps) {
            SCOPED_TRACE(step.what);
            boxes.Clear();
            for (const String& answer : step.answers)
                boxes.Answer(answer);
            EXPECT_NO_THROW(step.act());
            EXPECT_EQ(BoxTexts(), step.expected);
        }
    }
    const String locked = "Record is locked because it is a predefined record";
};

TEST_F(DatedSchemeWindowTest, IrrigationsFollowTheSchemesTypeAndState)
{
    On(module->tblIrrigationSchemes, "IRRIGATIONSCHEMECODE", "Summer_Data");
    auto* w = Open<TfrmIrrigationSchemes>();
    EXPECT_EQ(w->Caption(), Format("%s - Irrigation Schemes", {GetApplicationTitle()}));
    EXPECT_EQ(w->pnlHideActionCheckbox->Caption(), "");
    for (TNavigateBtn b : {nbFirst, nbLast, nbInsert, nbDelete, nbPost, nbCancel})
        EXPECT_EQ(w->dbnavIrrigationSchemes->ButtonVisible(b), b == nbFirst || b == nbLast) << int(b);
    struct Case {
        const char* scheme;
        bool rows;
    };
    for (const Case& c : {Case{"Summer_Data", true}, Case{"Summer_Auto", false}, Case{"No", false},
                          Case{"MORVA", false}, Case{"Summer_Data", true}}) {
        SCOPED_TRACE(c.scheme);
        On(module->tblIrrigationSchemes, "IRRIGATIONSCHEMECODE", c.scheme);
        w->alSetControls->UpdateActions();
        EXPECT_EQ(w->gbxIrrigations->Visible(), c.rows);
        EXPECT_EQ(w->memoIrrigations2->Visible(), !c.rows);
        EXPECT_EQ(w->btnCopy->Enabled(), c.rows);
        EXPECT_FALSE(w->memoIrrigations1->Visible());
    }

    // the copy: unlocked, with every irrigation
    w->btnCopy->Click();
    EXPECT_EQ(Value("SELECT LOCKED || '|' || DESCRIPTION || '|' || IRRIGATIONTYPECODE FROM IRRIGATIONSCHEMES WHERE "
                    "IRRIGATIONSCHEMECODE='copy_Summer_Data'"),
              "No|copy_Sprinkler gifts on given summer days|Sprinkler");
    EXPECT_EQ(Count("SELECT COUNT(*) FROM IRRIGATIONS WHERE IRRIGATIONSCHEMECODE='copy_Summer_Data'"),
              Count("SELECT COUNT(*) FROM IRRIGATIONS WHERE IRRIGATIONSCHEMECODE='Summer_Data'"));
    EXPECT_EQ(module->tblIrrigationSchemes->FieldByName("IRRIGATIONSCHEMECODE")->AsString(), "copy_Summer_Data");

    // a scheme being edited hides its irrigations until the change is saved
    Type(w->dbedtDescription, "!");
    w->alSetControls->UpdateActions();
    EXPECT_FALSE(w->gbxIrrigations->Visible());
    EXPECT_FALSE(w->memoIrrigations2->Visible());
    EXPECT_TRUE(w->memoIrrigations1->Visible());
    EXPECT_FALSE(w->btnCopy->Enabled());
    boxes.Answer("Yes");
    EXPECT_TRUE(CloseWindow());
    EXPECT_EQ(BoxTexts(), std::vector<String>{"Save the changed information ?"});
    EXPECT_EQ(Value("SELECT DESCRIPTION FROM IRRIGATIONSCHEMES WHERE IRRIGATIONSCHEMECODE='copy_Summer_Data'"),
              "copy_Sprinkler gifts on given summer days!");
}

TEST_F(DatedSchemeWindowTest, IrrigationPromptsAndLocks)
{
    On(module->tblIrrigationSchemes, "IRRIGATIONSCHEMECODE", "Summer_Data");
    auto* w = Open<TfrmIrrigationSchemes>();
    Run({
        {"a locked scheme refuses an edit", [&] { User([&] { Type(w->dbedtDescription, "x"); }); }, {}, {locked}},
        {"and an irrigation under it", [&] { User([&] { w->dbnavIrrigations->BtnClick(nbInsert); }); }, {}, {locked}},
        {"and a change of an irrigation", [&] { User([&] { w->dbnavIrrigations->BtnClick(nbDelete); }); }, {}, {locked}},
        {"the copy takes irrigations; insert and post ask nothing", [&] {
             w->btnCopyClick(nullptr);
             w->dbnavIrrigations->BtnClick(nbInsert);
             EXPECT_TRUE(w->dbedtMDate->Focused());
             Type(w->dbedtMDate, "01/08/2003");
             w->dbnavIrrigations->BtnClick(nbPost);
         }, {}, {}},
        {"closing with a pending edit asks; No keeps the window open", [&] {
             Retype(w->dbedtMDate, "02/08/2003");
             EXPECT_FALSE(CloseWindow());
         }, {"No"}, {"Save the changed information ?"}},
        {"delete asks once", [&] { w->dbnavIrrigations->BtnClick(nbDelete); }, {"Yes"}, {"Delete record ?"}},
        {"closing closes", [&] { EXPECT_TRUE(CloseWindow()); }, {}, {}},
    });
    EXPECT_EQ(Count("SELECT COUNT(*) FROM IRRIGATIONS WHERE IRRIGATIONSCHEMECODE='copy_Summer_Data'"),
              Count("SELECT COUNT(*) FROM IRRIGATIONS WHERE IRRIGATIONSCHEMECODE='Summer_Data'"));
}

TEST_F(DatedSchemeWindowTest, TillageRowsFollowTheSchemeAndItsEditState)
{
    On(module->tblTillageSchemes, "TILLAGESCHEMECODE", "Plough");
    auto* w = Open<TfrmTillageSchemes>();
    EXPECT_EQ(w->Caption(), Format("%s - Tillage Schemes", {GetApplicationTitle()}));
    EXPECT_FALSE(w->lblMessage->Visible());
    for (const char* code : {"No", "Plough", "NO", "Plough"}) {
        SCOPED_TRACE(code);
        On(module->tblTillageSchemes, "TILLAGESCHEMECODE", code);
        const bool none = UpperCase(code) == "NO";
        EXPECT_EQ(w->pnlTillages->Visible(), !none);
        EXPECT_EQ(w->grpbxEditTillageScheme->Visible(), !none);
    }
    EXPECT_EQ(w->grdTillages->DataRowCount(), 6);
    Run({
        {"a locked scheme refuses an edit", [&] { User([&] { Type(w->DBEdtCode, "x"); }); }, {}, {locked}},
        {"a new scheme hides the rows until it is posted", [&] {
             w->dbnavTillageSchemes->BtnClick(nbInsert);
             EXPECT_TRUE(w->DBEdtCode->Focused());
             EXPECT_FALSE(w->pnlTillages->Visible());
             EXPECT_TRUE(w->lblMessage->Visible());
             Retype(w->DBEdtCode, "Mine");
             w->dbnavTillageSchemes->BtnClick(nbPost);
             EXPECT_TRUE(w->pnlTillages->Visible());
             EXPECT_FALSE(w->lblMessage->Visible());
         }, {}, {}},
        {"a tillage of it", [&] {
             w->dbnavTillages->BtnClick(nbInsert);
             EXPECT_TRUE(w->DBEdtTillageDate->Focused());
             Type(w->DBEdtTillageDate, "01/10/2003");
             module->tblTillages->FieldByName("DEPTH")->SetAsFloat(0.2);
             w->dbnavTillages->BtnClick(nbPost);
         }, {}, {}},
        {"editing the code hides the rows; Cancel shows them", [&] {
             Type(w->DBEdtCode, "2");
             EXPECT_FALSE(w->pnlTillages->Visible());
             w->dbnavTillageSchemes->BtnClick(nbCancel);
             EXPECT_TRUE(w->pnlTillages->Visible());
             EXPECT_TRUE(w->grdSchemes->Focused());
         }, {}, {}},
        {"closing with an edit asks; No keeps the window open", [&] {
             Type(w->DBEdtCode, "2");
             EXPECT_FALSE(CloseWindow());
         }, {"No"}, {"Save the changed information ?"}},
        {"deleting the scheme asks once", [&] { w->dbnavTillageSchemes->BtnClick(nbDelete); }, {"Yes"},
         {"Delete record ?"}},
        {"closing closes", [&] { EXPECT_TRUE(CloseWindow()); }, {}, {}},
    });
    EXPECT_EQ(Count("SELECT COUNT(*) FROM TILLAGESCHEMES WHERE TILLAGESCHEMECODE LIKE 'Mine%'"), 0);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM TILLAGES WHERE TILLAGESCHEMECODE='Mine'"), 0);
}

TEST_F(DatedSchemeWindowTest, TheDepositionWindowRefusesToCloseForASchemeWithoutDepositions)
{
    On(module->tblDepositionSchemes, "DEPOSITIONSCHEMECODE", "Drift_Low");
    auto* w = Open<TfrmDepositions>();
    EXPECT_EQ(w->Caption(), Format("%s - Deposition Schemes", {GetApplicationTitle()}));
    const String missing = "Depositions should consist of at least one date.";
    Run({
        {"the scheme No without depositions does not keep it open", [&] {
             EXPECT_TRUE(CloseWindow());
             w->Show();
             Application->ProcessMessages();
         }, {}, {}},
        {"a new scheme without depositions does", [&] {
             w->dbnavDepositionSchemes->BtnClick(nbInsert);
             Retype(w->dbedtCode, "Mine");
             w->dbnavDepositionSchemes->BtnClick(nbPost);
             On(module->tblDepositionSchemes, "DEPOSITIONSCHEMECODE", "Drift_Low");
             EXPECT_FALSE(CloseWindow());
             // the offending scheme is shown, with its (empty) rows and its edit group
             EXPECT_EQ(module->tblDepositionSchemes->FieldByName("DEPOSITIONSCHEMECODE")->AsString(), "Mine");
             EXPECT_TRUE(w->pnlDepositions->Visible());
             EXPECT_TRUE(w->grpbxEditDepositionScheme->Visible());
         }, {}, {missing}},
        {"the handlers are back: editing the scheme hides its rows", [&] {
             Type(w->dbedtDescription, "x");
             EXPECT_FALSE(w->pnlDepositions->Visible());
             w->dbnavDepositionSchemes->BtnClick(nbPost);
             EXPECT_TRUE(w->pnlDepositions->Visible());
         }, {}, {}},
        {"with a deposition it closes", [&] {
             w->dbnavDepositions->BtnClick(nbInsert);
             Type(w->dbedtDepositionDate, "01/05/2003");
             module->tblDepositions->FieldByName("FLMDEP")->SetAsFloat(0.01);
             w->dbnavDepositions->BtnClick(nbPost);
             EXPECT_TRUE(CloseWindow());
         }, {}, {}},
    });
    EXPECT_EQ(Count("SELECT COUNT(*) FROM DEPOSITIONS WHERE DEPOSITIONSCHEMECODE='Mine'"), 1);
    EXPECT_TRUE(module->tblDepositionSchemes->Eof() || module->tblDepositionSchemes->RecNo() ==
                                                           module->tblDepositionSchemes->RecordCount());

    // a locked scheme refuses its rows' changes
    w->Show();
    Application->ProcessMessages();
    On(module->tblDepositionSchemes, "DEPOSITIONSCHEMECODE", "Drift_Low");
    boxes.Clear();
    User([&] { w->dbnavDepositions->BtnClick(nbDelete); });
    EXPECT_EQ(BoxTexts(), std::vector<String>{locked});
}

} // namespace
