// The application scheme window on a copy of the demo database: the parameter rule of the
// application types, the panels that follow the scheme's state and code, the three copies,
// and the prompts of edits, closing and locked schemes.
#include "gui/windows/tests/scheme_editor_fixture.h"

#include "gui/windows/AppSchemes.h"

namespace {

class ApplicationSchemeWindowTest : public EditorWindowTest {
protected:
    TfrmApplicationSchemes* OpenOn(const char* scheme)
    {
        module->tblApplicationSchemes->Open();
        module->tblApplicationSchemes->Locate("APPLICATIONSCHEMECODE", Variant(ToQString(String(scheme))),
                                              loCaseInsensitive);
        return Open<TfrmApplicationSchemes>();
    }
    static void Pick(TDBLookupComboBox* combo, const String& shown)
    {
        for (int i = 0; i < combo->ItemCount(); ++i)
            if (combo->Item(i) == shown) {
                combo->SelectItem(i);
                return;
            }
        ADD_FAILURE() << "no item " << shown;
    }
};

TEST_F(ApplicationSchemeWindowTest, TheParameterFollowsTheApplicationType)
{
    auto* w = OpenOn("MET1_Till");
    EXPECT_EQ(w->Caption(), Format("%s - Application Schemes", {GetApplicationTitle()}));
    TTable* absolute = module->tblApplicationsAbsolute;
    struct Case {
        const char* what;
        std::function<void()> act;
        bool shown;
        const char* label;
    };
    const Case cases[] = {
        {"first row: tillage", [&] { absolute->First(); }, true, "Depth (m):"},
        {"moving to a crop application", [&] { absolute->Last(); }, false, nullptr},
        {"back to tillage", [&] { absolute->First(); }, true, "Depth (m):"},
        {"picking injection", [&] { w->DBNavApplicationsAbsolute->BtnClick(nbInsert); Pick(w->cmbTypeAbsolute, "Injection"); }, true, "Depth (m):"},
        {"picking intercepted fraction", [&] { Pick(w->cmbTypeAbsolute, "Crop canopy, interception given"); }, true, "Fraction intercepted(-):"},
        {"picking interception by leaf area", [&] { Pick(w->cmbTypeAbsolute, "Crop canopy, interception by leaf area"); }, false, nullptr},
        {"picking soil surface", [&] { Pick(w->cmbTypeAbsolute, "Soil surface"); }, false, nullptr},
        {"picking tillage", [&] { Pick(w->cmbTypeAbsolute, "Incorporation by tillage"); }, true, "Depth (m):"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.act();
        Application->ProcessMessages();
        EXPECT_EQ(w->dbedtAppParameterAbsolute->Visible(), c.shown);
        EXPECT_EQ(w->lblAppParameterAbsolute->Visible(), c.shown);
        if (c.label)
            EXPECT_EQ(w->lblAppParameterAbsolute->Caption(), c.label);
    }
    w->DBNavApplicationsAbsolute->BtnClick(nbCancel);

    // the relative rule runs when a type is picked, not when the row changes
    module->tblApplicationSchemes->Locate("APPLICATIONSCHEMECODE", Variant(QString("PARA_Crops")), 0);
    w->cmbTypeRelativeClick(nullptr); // as at activation
    const String before = w->lblAppParameterRelative->Caption();
    const bool shownBefore = w->edtAppParameterRelative->Visible();
    module->tblApplicationsRelative->Last();
    EXPECT_EQ(w->lblAppParameterRelative->Caption(), before);
    EXPECT_EQ(w->edtAppParameterRelative->Visible(), shownBefore);
    EXPECT_TRUE(w->tsAbsolute == w->pgApplications->ActivePage());
    // entering the browse grid of one kind of application shows its page
    w->grdApplicationsRelative->SetFocus();
    Application->ProcessMessages();
    EXPECT_TRUE(w->tsRelative == w->pgApplications->ActivePage());
    w->grdApplicationsAbsolute->SetFocus();
    Application->ProcessMessages();
    EXPECT_TRUE(w->tsAbsolute == w->pgApplications->ActivePage());
}

TEST_F(ApplicationSchemeWindowTest, PanelsFollowTheSchemeNoAndTheSchemesEditState)
{
    auto* w = OpenOn("PARA_Crops");
    EXPECT_FALSE(w->lblMessage->Visible());
    for (const char* code : {"No", "PARA_Crops"}) {
        SCOPED_TRACE(code);
        module->tblApplicationSchemes->Locate("APPLICATIONSCHEMECODE", Variant(ToQString(String(code))), 0);
        const bool none = String(code) == "No";
        EXPECT_EQ(w->grpbxEditApplicationScheme->Visible(), !none);
        EXPECT_EQ(w->pnlApplications->Visible(), !none);
        EXPECT_EQ(w->btnCopyApplicationScheme->Visible(), !none);
    }
    Type(w->dbedtDescription, "x");
    EXPECT_FALSE(w->pnlApplications->Visible());
    EXPECT_TRUE(w->lblMessage->Visible());
    w->DBNavApplicationSchemes->BtnClick(nbCancel);
    EXPECT_TRUE(w->pnlApplications->Visible());
    EXPECT_FALSE(w->lblMessage->Visible());
    EXPECT_EQ(boxes.Count(), 0);
}

TEST_F(ApplicationSchemeWindowTest, CopiesOfSchemesAndOfSingleApplications)
{
    auto* w = OpenOn("PARA_Spring");
    struct Case {
        const char* scheme;
        const char* table;
        int rows;
    };
    const Case cases[] = {{"PARA_Spring", "APPLICATIONSABSOLUTE", 6}, {"PARA_Crops", "APPLICATIONSRELATIVE", 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scheme);
        module->tblApplicationSchemes->Locate("APPLICATIONSCHEMECODE", Variant(ToQString(String(c.scheme))), 0);
        w->btnCopyApplicationScheme->Click();
        const String copy = "copy_" + String(c.scheme);
        EXPECT_EQ(module->tblApplicationSchemes->FieldByName("APPLICATIONSCHEMECODE")->AsString(), copy);
        EXPECT_EQ(Value("SELECT LOCKED || '|' || DESCRIPTION FROM APPLICATIONSCHEMES WHERE APPLICATIONSCHEMECODE='" + copy + "'"),
                  "No|copy_" + Value("SELECT DESCRIPTION FROM APPLICATIONSCHEMES WHERE APPLICATIONSCHEMECODE='" + String(c.scheme) + "'"));
        EXPECT_EQ(Count("SELECT COUNT(*) FROM " + String(c.table) + " WHERE APPLICATIONSCHEMECODE='" + copy + "'"), c.rows);
        EXPECT_EQ(Count("SELECT COUNT(*) FROM APPLICATIONSABSOLUTE A JOIN APPLICATIONSABSOLUTE B ON A.MDATE=B.MDATE AND "
                        "A.DOSAGE=B.DOSAGE WHERE A.APPLICATIONSCHEMECODE='" + copy + "' AND B.APPLICATIONSCHEMECODE='" +
                        String(c.scheme) + "'") +
                      Count("SELECT COUNT(*) FROM APPLICATIONSRELATIVE A JOIN APPLICATIONSRELATIVE B ON "
                            "A.DATERELATIVE=B.DATERELATIVE AND A.CROPEVENTCODE=B.CROPEVENTCODE AND A.DOSAGE=B.DOSAGE WHERE "
                            "A.APPLICATIONSCHEMECODE='" + copy + "' AND B.APPLICATIONSCHEMECODE='" + String(c.scheme) + "'"),
                  c.rows);
        // the copy of a copy's source again meets the first copy's key: nothing of it is stored
        module->tblApplicationSchemes->Locate("APPLICATIONSCHEMECODE", Variant(ToQString(String(c.scheme))), 0);
        EXPECT_ANY_THROW(w->btnCopyApplicationSchemeClick(nullptr));
        module->tblApplicationSchemes->Cancel();
        EXPECT_EQ(Count("SELECT COUNT(*) FROM " + String(c.table) + " WHERE APPLICATIONSCHEMECODE='" + copy + "'"), c.rows);
    }
    EXPECT_EQ(boxes.Count(), 0);

    // one application: the absolute one a day later, the relative one a day later in its period
    module->tblApplicationSchemes->Locate("APPLICATIONSCHEMECODE", Variant(QString("MET1_Till")), 0);
    module->tblApplicationsAbsolute->First();
    w->btnCopyApplicationAbsolute->Click();
    EXPECT_EQ(Value("SELECT APPLICATIONTYPECODE || '|' || DOSAGE || '|' || APPLICATIONPARAMETER FROM APPLICATIONSABSOLUTE "
                    "WHERE APPLICATIONSCHEMECODE='MET1_Till' AND MDATE LIKE '2000-03-21%'"),
              "AppSolTil|0.8|0.1");
    module->tblApplicationSchemes->Locate("APPLICATIONSCHEMECODE", Variant(QString("PARA_Crops")), 0);
    module->tblApplicationsRelative->Locate("DATERELATIVE", Variant(-30), 0);
    w->btnCopyApplicationRelative->Click();
    EXPECT_EQ(Value("SELECT CROPEVENTCODE || '|' || APPLICATIONTYPECODE || '|' || DOSAGE || '|' || APPLICATIONPARAMETER "
                    "FROM APPLICATIONSRELATIVE WHERE APPLICATIONSCHEMECODE='PARA_Crops' AND DATERELATIVE=-29"),
              "Har|AppCrpUsr|0.25|0.6");
    EXPECT_EQ(boxes.Count(), 0);
}

TEST_F(ApplicationSchemeWindowTest, PromptsOfEditsClosingAndLockedSchemes)
{
    auto* w = OpenOn("PARA_Spring");
    struct Step {
        const char* what;
        std::function<void()> act;
        std::vector<String> answers;
        std::vector<String> expected;
    };
    const String locked = "Record is locked because it is a predefined record";
    const std::vector<Step> steps = {
        {"a locked scheme refuses an edit", [&] { User([&] { Type(w->dbedtDescription, "x"); }); }, {}, {locked}},
        {"and an application under it", [&] { User([&] { w->DBNavApplicationsAbsolute->BtnClick(nbInsert); }); }, {}, {locked}},
        {"and its delete", [&] { User([&] { w->DBNavApplicationSchemes->BtnClick(nbDelete); }); }, {}, {locked}},
        {"a new scheme is posted without a question", [&] {
             w->DBNavApplicationSchemes->BtnClick(nbInsert);
             Retype(w->dbedtCode, "Mine");
             w->DBNavApplicationSchemes->BtnClick(nbPost);
         }, {}, {}},
        {"an application of it: closing with it pending asks, No keeps the window open", [&] {
             w->DBNavApplicationsAbsolute->BtnClick(nbInsert);
             Type(w->dbedtMDate, "01/05/2003");
             Pick(w->cmbTypeAbsolute, "Soil surface");
             EXPECT_FALSE(CloseWindow());
         }, {"No"}, {"Save the changed information ?"}},
        {"closing again closes", [&] { EXPECT_TRUE(CloseWindow()); w->Show(); }, {}, {}},
        {"deleting the scheme asks once", [&] {
             module->tblApplicationSchemes->Locate("APPLICATIONSCHEMECODE", Variant(QString("Mine")), 0);
             w->DBNavApplicationSchemes->BtnClick(nbDelete);
         }, {"Yes"}, {"Delete record ?"}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        boxes.Clear();
        for (const String& answer : step.answers)
            boxes.Answer(answer);
        EXPECT_NO_THROW(step.act());
        EXPECT_EQ(BoxTexts(), step.expected);
    }
    EXPECT_EQ(Count("SELECT COUNT(*) FROM APPLICATIONSCHEMES WHERE APPLICATIONSCHEMECODE='Mine'"), 0);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM APPLICATIONSABSOLUTE WHERE APPLICATIONSCHEMECODE='PARA_Spring'"), 6);
}

} // namespace
