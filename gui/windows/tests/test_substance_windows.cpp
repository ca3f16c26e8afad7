// The substance window and the transformation scheme window on a copy of the demo database:
// the option rules of the pages, the copy with its transformations, the prompts of insert,
// post, delete and close, locked records, the metabolite list and the checks on closing.
#include "gui/windows/tests/scheme_editor_fixture.h"

#include "gui/windows/MetaboliteEditor2.h"
#include "gui/windows/Substances.h"

namespace {

class SubstanceWindowTest : public EditorWindowTest {
protected:
    void Exec(const String& sql)
    {
        TQuery q;
        q.SetDatabase(module->dbDatabase);
        q.SQL.SetText(sql);
        q.ExecSQL();
    }
    // An unlocked parent "TST" made from PARA, without transformations.
    void MakeTestSubstance()
    {
        Exec("CREATE TEMP TABLE T AS SELECT * FROM SUBSTANCES WHERE SUBSTANCECODE='PARA'");
        Exec("UPDATE T SET SUBSTANCECODE='TST', NAME='Test substance', LOCKED='No'");
        Exec("INSERT INTO SUBSTANCES SELECT * FROM T");
        Exec("DROP TABLE T");
    }
    void Show(const char* code)
    {
        ASSERT_TRUE(module->tblSubstances->Locate("SUBSTANCECODE", Variant(ToQString(String(code))), loCaseInsensitive));
        Application->ProcessMessages();
    }
};

TEST_F(SubstanceWindowTest, OptionGroupsAndEditsFollowTheOptionsOfTheSubstanceShown)
{
    auto* w = Open<TfrmSubstances>();
    EXPECT_EQ(w->Caption(), Format("%s - Substances", {GetApplicationTitle()}));
    EXPECT_EQ(w->pgSubstance->ActivePage(), w->tsGeneral);
    w->ShowPage(w->tsFreundlich);
    struct Case {
        const char* code;
        bool independent, dependent, user;
    };
    const Case cases[] = {
        {"PARA", true, false, false},
        {"MET1", false, true, false},
        {"MET2", false, false, true},
        {"PARA", true, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        Show(c.code);
        EXPECT_EQ(w->grpbxPHIndependent->Visible(), c.independent);
        EXPECT_EQ(w->grpbxPHDependent->Visible(), c.dependent);
        EXPECT_EQ(w->grpbxKfUserDefined->Visible(), c.user);
    }
    // a new substance has no option yet: no group, and no message about it
    boxes.Clear();
    w->DBNavigator->BtnClick(nbInsert);
    EXPECT_EQ(module->tblSubstances->State(), dsInsert);
    EXPECT_EQ(w->pgSubstance->ActivePage(), w->tsGeneral); // Insert shows the general page
    w->ShowPage(w->tsFreundlich);
    module->tblSubstances->FieldByName("OPTCOFFRECODE")->Clear();
    EXPECT_FALSE(w->grpbxPHIndependent->Visible() || w->grpbxPHDependent->Visible() || w->grpbxKfUserDefined->Visible());
    EXPECT_EQ(BoxTexts(), std::vector<String>());
    w->DBNavigator->BtnClick(nbCancel);

    // the canopy edits follow the canopy option; the liquid content edit follows its check box
    MakeTestSubstance();
    OpenOrRefresh(module->tblSubstances);
    Show("TST");
    w->ShowPage(w->tsHalflife);
    EXPECT_TRUE(w->edtDt50DspCrp->Enabled());
    EXPECT_FALSE(w->edtDt50PenCrp->Enabled());
    w->cmbOptDspCrp->SelectItem(1); // "Specified"
    EXPECT_EQ(module->tblSubstances->FieldByName("OPTDSPCRP")->AsString(), "Specified");
    EXPECT_FALSE(w->edtDt50DspCrp->Enabled());
    for (TDBEdit* edit : {w->edtDt50PenCrp, w->edtDt50VolCrp, w->edtDt50TraCrp})
        EXPECT_TRUE(edit->Enabled());
    EXPECT_EQ(w->edtDt50DspCrp->Color(), clBtnFace);
    w->ShowPage(w->tsPartitioning);
    EXPECT_TRUE(w->dbedtCntLiqTraRef->Enabled());
    ClickOn(w->chkbxOptCntLiqTraRef);
    EXPECT_EQ(module->tblSubstances->FieldByName("OPTCNTLIQTRAREF")->AsString(), "Yes");
    EXPECT_FALSE(w->dbedtCntLiqTraRef->Enabled());
    EXPECT_EQ(w->dbedtCntLiqTraRef->Color(), clBtnFace);
    w->DBNavigator->BtnClick(nbPost);
    EXPECT_EQ(BoxTexts(), std::vector<String>()); // an explicit post asks nothing
    EXPECT_EQ(Value("SELECT OPTDSPCRP || OPTCNTLIQTRAREF FROM SUBSTANCES WHERE SUBSTANCECODE='TST'"), "SpecifiedYes");
}

TEST_F(SubstanceWindowTest, TheSubstanceNoHidesThePagesAndTheButtons)
{
    auto* w = Open<TfrmSubstances>();
    for (const char* code : {"No", "PARA", "NO", "MET1"}) {
        SCOPED_TRACE(code);
        Show(code);
        const bool none = UpperCase(code) == "NO";
        EXPECT_EQ(w->pgSubstance->Visible(), !none);
        EXPECT_EQ(w->btnCopy->Visible(), !none);
        EXPECT_EQ(w->btnTransformationScheme->Visible(), !none);
    }
}

TEST_F(SubstanceWindowTest, CopyGivesAnUnlockedSubstanceWithTheTransformationsAndASecondCopyLeavesNothing)
{
    auto* w = Open<TfrmSubstances>();
    Show("PARA");
    w->btnCopy->Click();
    EXPECT_EQ(BoxTexts(), std::vector<String>{"It is a good idea to rename your Substance, otherwise future copying will fail."});
    EXPECT_EQ(module->tblSubstances->FieldByName("SUBSTANCECODE")->AsString(), "copy");
    EXPECT_EQ(Value("SELECT NAME || '|' || LOCKED FROM SUBSTANCES WHERE SUBSTANCECODE='copy'"),
              "copy_" + Value("SELECT NAME FROM SUBSTANCES WHERE SUBSTANCECODE='PARA'") + "|No");
    EXPECT_EQ(Value("SELECT GROUP_CONCAT(SUBSTANCECODEOUT || '=' || FRAPRTDAU || '/' || LOCKED) FROM "
                    "SUBSTANCETRANSFORMATIONS WHERE SUBSTANCECODEIN='copy'"),
              "MET1=0.6/No");

    // the copy is editable at once
    boxes.Clear();
    Retype(w->edtName, "Renamed");
    w->DBNavigator->BtnClick(nbPost);
    EXPECT_EQ(Value("SELECT NAME FROM SUBSTANCES WHERE SUBSTANCECODE='copy'"), "Renamed");
    EXPECT_EQ(BoxTexts(), std::vector<String>());

    // a second copy meets the key "copy": the post fails, nothing of it is stored
    Show("MET1");
    EXPECT_ANY_THROW(w->btnCopyClick(nullptr));
    EXPECT_EQ(module->tblSubstances->State(), dsInsert); // for the user to change the key
    module->tblSubstances->Cancel();
    EXPECT_EQ(Count("SELECT COUNT(*) FROM SUBSTANCES WHERE SUBSTANCECODE='copy'"), 1);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM SUBSTANCETRANSFORMATIONS WHERE SUBSTANCECODEIN='copy'"), 1);
}

TEST_F(SubstanceWindowTest, PromptsOfInsertPostDeleteAndClose)
{
    MakeTestSubstance();
    auto* w = Open<TfrmSubstances>();
    struct Step {
        const char* what;
        std::function<void()> act;
        std::vector<String> answers;
        std::vector<String> expected;
    };
    const std::vector<Step> steps = {
        {"a locked substance refuses an edit", [&] { Show("PARA"); User([&] { Type(w->edtName, "x"); }); }, {},
         {"Record is locked because it is a predefined record"}},
        {"a locked substance refuses a delete", [&] { User([&] { w->DBNavigator->BtnClick(nbDelete); }); }, {},
         {"Record is locked because it is a predefined record"}},
        {"an edit of an unlocked one is allowed", [&] { Show("TST"); Type(w->edtName, "x"); }, {}, {}},
        {"closing asks; No keeps the window open", [&] { EXPECT_FALSE(CloseWindow()); }, {"No"},
         {"Save the changed information ?"}},
        {"closing without changes closes", [&] { EXPECT_TRUE(CloseWindow()); w->Show(); }, {}, {}},
        {"insert and post ask nothing", [&] {
             w->DBNavigator->BtnClick(nbInsert);
             Type(w->edtCode, "NEW");
             w->ShowPage(w->tsFreundlich);
             for (int i = 0; i < w->cmbOptCofFre->ItemCount(); ++i)
                 if (w->cmbOptCofFre->Item(i) == "User defined sorption")
                     w->cmbOptCofFre->SelectItem(i);
             EXPECT_TRUE(w->grpbxKfUserDefined->Visible());
             module->tblSubstances->FieldByName("KSOREQL")->SetAsFloat(2);
             w->DBNavigator->BtnClick(nbPost);
         }, {}, {}},
        {"delete asks once", [&] { w->DBNavigator->BtnClick(nbDelete); }, {"Yes"}, {"Delete record ?"}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        boxes.Clear();
        for (const String& answer : step.answers)
            boxes.Answer(answer);
        EXPECT_NO_THROW(step.act());
        EXPECT_EQ(BoxTexts(), step.expected);
    }
    EXPECT_EQ(Value("SELECT NAME FROM SUBSTANCES WHERE SUBSTANCECODE='PARA'"), "Parvolin");
    EXPECT_EQ(Value("SELECT NAME FROM SUBSTANCES WHERE SUBSTANCECODE='TST'"), "Test substance"); // No discarded it
    EXPECT_EQ(Count("SELECT COUNT(*) FROM SUBSTANCES WHERE SUBSTANCECODE='NEW'"), 0);            // deleted
}

// ---------------------------------------------------------------- transformation scheme

class MetaboliteWindowTest : public SubstanceWindowTest {};

TEST_F(MetaboliteWindowTest, TheMetaboliteListOffersNoParentNorTheSubstanceItselfNorNo)
{
    MakeTestSubstance();
    module->tblSubstances->Open();
    struct Case {
        const char* substance;
        std::vector<String> offered;
    };
    const Case cases[] = {{"TST", {"Parvolin-acid", "Parvolin-diol"}}, {"MET1", {"Parvolin-diol"}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.substance);
        Show(c.substance);
        auto* w = Open<TfrmMetaboliteEditor2>();
        EXPECT_EQ(w->Caption(), Format("%s - Transformation Scheme Editor", {GetApplicationTitle()}));
        std::vector<String> offered;
        for (int i = 0; i < w->cbxSubstanceOut->ItemCount(); ++i)
            offered.push_back(w->cbxSubstanceOut->Item(i));
        EXPECT_EQ(offered, c.offered);
        EXPECT_TRUE(CloseWindow());
        delete form;
        form = nullptr;
    }
}

TEST_F(MetaboliteWindowTest, ClosingChecksTheScheme)
{
    MakeTestSubstance();
    Exec("PRAGMA ignore_check_constraints = 1"); // rows that the checks on closing are there for
    struct Case {
        const char* what;
        std::vector<std::pair<const char*, double>> rows; // metabolite, fraction
        std::vector<String> answers;
        std::vector<String> expected;
        bool closes;
    };
    const String same = "Input and output substance cannot be the same";
    const String zero = "Fraction transformed less or equal zero.";
    const String above = "Fraction transformed greater than one; this seldom occurs.";
    const String sum = "Sum of fractions greater than one; this seldom occurs.";
    const Case cases[] = {
        {"no transformations", {}, {}, {}, true},
        {"a fraction of exactly one passes", {{"MET1", 1.0}}, {}, {}, true},
        {"0.6 and 0.6 warn of the sum once", {{"MET1", 0.6}, {"MET2", 0.6}}, {}, {sum}, true},
        {"zero: Cancel keeps it open", {{"MET1", 0.0}}, {"Cancel"}, {zero}, false},
        {"zero: Ignore closes", {{"MET1", 0.0}}, {"Ignore"}, {zero}, true},
        {"above one warns, then the sum", {{"MET1", 1.5}}, {}, {above, sum}, true},
        {"the same substance comes before any fraction", {{"MET1", 0.0}, {"TST", 0.5}}, {"Cancel"}, {same}, false},
        {"the same substance: Ignore closes", {{"TST", 0.5}}, {"Ignore"}, {same}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Exec("DELETE FROM SUBSTANCETRANSFORMATIONS WHERE SUBSTANCECODEIN='TST'");
        for (const auto& [out, fraction] : c.rows)
            Exec("INSERT INTO SUBSTANCETRANSFORMATIONS VALUES ('TST', '" + String(out) + "', " + FloatToStr(fraction) +
                 ", NULL, 'No')");
        module->tblSubstances->Open();
        Show("TST");
        auto* w = Open<TfrmMetaboliteEditor2>();
        EXPECT_EQ(w->grdMetabolites->DataRowCount(), int(c.rows.size()));
        boxes.Clear();
        for (const String& answer : c.answers)
            boxes.Answer(answer);
        EXPECT_EQ(CloseWindow(), c.closes);
        EXPECT_EQ(BoxTexts(), c.expected);
        delete form;
        form = nullptr;
    }
}

TEST_F(MetaboliteWindowTest, EditsOfTransformationsAndTheirPrompts)
{
    MakeTestSubstance();
    module->tblSubstances->Open();
    Show("PARA");
    auto* w = Open<TfrmMetaboliteEditor2>();
    // PARA is predefined: no transformation can be added under it
    User([&] { w->DBNavigator->BtnClick(nbInsert); });
    EXPECT_EQ(BoxTexts(), std::vector<String>{"Record is locked because it is a predefined record"});
    EXPECT_NE(module->tblSubstanceTransformations->State(), dsInsert);
    EXPECT_TRUE(CloseWindow());
    delete form;
    form = nullptr;

    Show("TST");
    w = Open<TfrmMetaboliteEditor2>();
    boxes.Clear();
    w->DBNavigator->BtnClick(nbInsert);
    Type(w->edtFraPrtDau, "0.25");
    w->cbxSubstanceOut->SelectItem(0);
    w->DBNavigator->BtnClick(nbPost);
    EXPECT_EQ(BoxTexts(), std::vector<String>());
    EXPECT_EQ(Value("SELECT SUBSTANCECODEOUT || '=' || FRAPRTDAU FROM SUBSTANCETRANSFORMATIONS WHERE SUBSTANCECODEIN='TST'"),
              "MET1=0.25");
    // a pending change asks on closing; No keeps the window open
    Retype(w->edtFraPrtDau, "0.5");
    boxes.Answer("No");
    EXPECT_FALSE(CloseWindow());
    EXPECT_EQ(BoxTexts(), std::vector<String>{"Save the changed information ?"});
    boxes.Clear();
    boxes.Answer("Yes");
    w->DBNavigator->BtnClick(nbDelete);
    EXPECT_EQ(BoxTexts(), std::vector<String>{"Delete record ?"});
    EXPECT_EQ(Count("SELECT COUNT(*) FROM SUBSTANCETRANSFORMATIONS WHERE SUBSTANCECODEIN='TST'"), 0);
    EXPECT_TRUE(CloseWindow());
}

TEST_F(MetaboliteWindowTest, TheSubstanceWindowOpensTheSchemeOfItsCurrentSubstance)
{
    auto* w = Open<TfrmSubstances>();
    Show("PARA");
    String shown;
    WhenShown<TfrmMetaboliteEditor2>([&](TfrmMetaboliteEditor2* editor) {
        shown = editor->dbedtSubstanceCode->Text() + ":" + IntToStr(editor->grdMetabolites->DataRowCount());
        editor->Close();
    });
    w->btnTransformationScheme->Click();
    EXPECT_EQ(shown, "PARA:1");
}

} // namespace
