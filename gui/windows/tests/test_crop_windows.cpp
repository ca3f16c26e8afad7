// The crop calendar, crop stage, crop and root density windows on a copy of the demo
// database: panels that follow the calendar, the child windows and what they show, the crop
// copy with its root densities, in-place editing of root densities, prompts and locks.
#include "gui/windows/tests/scheme_editor_fixture.h"

#include "gui/windows/CropCalendar.h"
#include "gui/windows/Crops.h"
#include "gui/windows/RootDensity.h"
#include "gui/windows/Stages.h"

namespace {

class CropWindowTest : public EditorWindowTest {
protected:
    void On(TTable* table, const char* field, const Variant& value)
    {
        table->Open();
        ASSERT_TRUE(table->Locate(field, value, loCaseInsensitive)) << field;
        Application->ProcessMessages();
    }
    static Variant Code(const char* code) { return Variant(ToQString(String(code))); }
};

TEST_F(CropWindowTest, CalendarPanelsFollowTheCalendarAndItsEditState)
{
    On(module->tblCultivationSeqs, "CULTIVATIONSEQUENCECODE", Code("PotCover"));
    auto* w = Open<TfrmCropCalendar>();
    EXPECT_EQ(w->Caption(), Format("%s - Crop Calendar", {GetApplicationTitle()}));
    EXPECT_EQ(w->grdCrops->DataRowCount(), 2);
    for (const char* code : {"No", "PotCover", "NO", "Maize"}) {
        SCOPED_TRACE(code);
        On(module->tblCultivationSeqs, "CULTIVATIONSEQUENCECODE", Code(code));
        const bool none = UpperCase(code) == "NO";
        EXPECT_EQ(w->GroupBox2->Visible(), !none);
        EXPECT_EQ(w->pnlCropsInCropCalendars->Visible(), !none);
    }
    // a new calendar: its crops show once it is posted
    w->dbnavCropCalendar2->BtnClick(nbInsert);
    EXPECT_FALSE(w->pnlCropsInCropCalendars->Visible());
    EXPECT_TRUE(w->lblMessage->Visible());
    Retype(w->edtCode, "Mine");
    w->dbnavCropCalendar2->BtnClick(nbPost);
    EXPECT_TRUE(w->pnlCropsInCropCalendars->Visible());
    EXPECT_FALSE(w->lblMessage->Visible());
    EXPECT_EQ(BoxTexts(), std::vector<String>());
    EXPECT_EQ(Value("SELECT UPPER(LOCKED) FROM CULTIVATIONSEQUENCES WHERE CULTIVATIONSEQUENCECODE='Mine'"), "NO");

    // a crop in it: Insert goes to the crop drop-down, Post asks nothing
    w->dbnavCropsInCropCalendars2->BtnClick(nbInsert);
    w->cmbCropCode->SelectItem(0);
    module->tblCultivationSeqxCropsA->FieldByName("CULTIVATIONSEQNO")->SetAsInteger(1);
    w->dbnavCropsInCropCalendars2->BtnClick(nbPost);
    EXPECT_EQ(BoxTexts(), std::vector<String>());
    EXPECT_EQ(Count("SELECT COUNT(*) FROM CULTIVATIONSEQUENCEXCROPSA WHERE CULTIVATIONSEQUENCECODE='Mine'"), 1);
}

TEST_F(CropWindowTest, CalendarPromptsAndLocks)
{
    On(module->tblCultivationSeqs, "CULTIVATIONSEQUENCECODE", Code("Maize"));
    auto* w = Open<TfrmCropCalendar>();
    struct Step {
        const char* what;
        std::function<void()> act;
        std::vector<String> answers;
        std::vector<String> expected;
    };
    const String locked = "Record is locked because it is a predefined record";
    const std::vector<Step> steps = {
        {"a locked calendar refuses an edit", [&] { User([&] { Type(w->edtName, "x"); }); }, {}, {locked}},
        {"and a crop under it", [&] { User([&] { w->dbnavCropsInCropCalendars2->BtnClick(nbInsert); }); }, {}, {locked}},
        {"and its delete", [&] { User([&] { w->dbnavCropCalendar2->BtnClick(nbDelete); }); }, {}, {locked}},
        {"an unlocked one: closing with an edit asks, No keeps the window open", [&] {
             On(module->tblCultivationSeqs, "CULTIVATIONSEQUENCECODE", Code("PotCover"));
             Type(w->edtName, "x");
             EXPECT_FALSE(CloseWindow());
         }, {"No"}, {"Save the changed information ?"}},
        {"deleting a crop of it asks once", [&] { w->dbnavCropsInCropCalendars2->BtnClick(nbDelete); }, {"Yes"},
         {"Delete record ?"}},
        {"closing closes", [&] { EXPECT_TRUE(CloseWindow()); }, {}, {}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        boxes.Clear();
        for (const String& answer : step.answers)
            boxes.Answer(answer);
        EXPECT_NO_THROW(step.act());
        EXPECT_EQ(BoxTexts(), step.expected);
    }
    EXPECT_EQ(Value("SELECT NAME FROM CULTIVATIONSEQUENCES WHERE CULTIVATIONSEQUENCECODE='PotCover'"),
              "Potatoes and a cover crop every year");
    EXPECT_EQ(Count("SELECT COUNT(*) FROM CULTIVATIONSEQUENCEXCROPSA WHERE CULTIVATIONSEQUENCECODE='PotCover'"), 1);
}

TEST_F(CropWindowTest, TheCalendarOpensTheStagesAndTheCropOfItsCurrentCrop)
{
    On(module->tblCultivationSeqs, "CULTIVATIONSEQUENCECODE", Code("PotCover"));
    auto* w = Open<TfrmCropCalendar>();
    On(module->tblCultivationSeqxCropsA, "CULTIVATIONSEQNO", Variant(2));
    String stages;
    WhenShown<TfrmStages>([&](TfrmStages* s) {
        stages = s->dbedtCultivationSequenceCode->Text() + "|" + s->dbedtCropCode->Text() + "|" +
                 s->dbedtCultivationSeqNo->Text() + "|" + IntToStr(s->grdStages->DataRowCount()) + "|" + s->Caption();
        s->Close();
    });
    w->btnStages->Click();
    EXPECT_EQ(stages, "PotCover|Cereals|2|" +
                          Value("SELECT COUNT(*) FROM CULTIVATIONSEQUENCEXCROPSB WHERE CULTIVATIONSEQUENCEXCROPID=5") +
                          "|" + Format("%s - Crop Stages", {GetApplicationTitle()}));
    String crop;
    WhenShown<TfrmCrops>([&](TfrmCrops* c) {
        crop = c->edtCode->Text();
        c->Close();
    });
    w->btnCrops->Click();
    EXPECT_EQ(crop, "Cereals");
}

TEST_F(CropWindowTest, StagesAreAddedAndChangedUnderAnUnlockedCalendarCrop)
{
    On(module->tblCultivationSeqs, "CULTIVATIONSEQUENCECODE", Code("PotCover"));
    On(module->tblCultivationSeqxCropsA, "CULTIVATIONSEQNO", Variant(1));
    auto* s = Open<TfrmStages>();
    const int before = Count("SELECT COUNT(*) FROM CULTIVATIONSEQUENCEXCROPSB WHERE CULTIVATIONSEQUENCEXCROPID=4");
    s->DBNavigator->BtnClick(nbInsert);
    EXPECT_TRUE(s->edtDevStage->Focused());
    Type(s->edtDevStage, "1.5");
    s->DBNavigator->BtnClick(nbPost);
    EXPECT_EQ(BoxTexts(), std::vector<String>());
    EXPECT_EQ(Count("SELECT COUNT(*) FROM CULTIVATIONSEQUENCEXCROPSB WHERE CULTIVATIONSEQUENCEXCROPID=4"), before + 1);
    EXPECT_FALSE(s->btnComments->Enabled()); // a stage has no comment to edit
    Type(s->edtDevStage, "1");
    boxes.Answer("Cancel");
    EXPECT_FALSE(CloseWindow());
    EXPECT_EQ(BoxTexts(), std::vector<String>{"Save the changed information ?"});
}

TEST_F(CropWindowTest, ACropCopyHasTheRootDensitiesOfItsSourceAndIsNoStandardCrop)
{
    On(module->tblCrops, "CROPCODE", Code("Maize"));
    auto* w = Open<TfrmCrops>();
    EXPECT_EQ(w->Caption(), Format("%s - Crops", {GetApplicationTitle()}));
    const String profile = "SELECT GROUP_CONCAT(RELATIVEDEPTH || '=' || ROOTDENSITY) FROM (SELECT * FROM CROPROOTDENSITIES "
                           "WHERE CROPCODE='%s' ORDER BY RELATIVEDEPTH)";
    w->btnCopy->Click();
    EXPECT_EQ(module->tblCrops->FieldByName("CROPCODE")->AsString(), "copy_Maize");
    EXPECT_EQ(Value("SELECT NAME || '|' || LOCKED || '|' || MORVASELECTED FROM CROPS WHERE CROPCODE='copy_Maize'"),
              "copy_Maize|No|0");
    EXPECT_EQ(Value(Format(profile, {"copy_Maize"})), Value(Format(profile, {"Maize"})));
    EXPECT_EQ(BoxTexts(), std::vector<String>());

    // a second copy fails at the master's post and leaves nothing behind
    On(module->tblCrops, "CROPCODE", Code("Maize"));
    EXPECT_ANY_THROW(w->btnCopyClick(nullptr));
    module->tblCrops->Cancel();
    EXPECT_EQ(Count("SELECT COUNT(*) FROM CROPROOTDENSITIES WHERE CROPCODE='copy_Maize'"), 3);

    // a locked crop refuses a change; the copy takes it
    On(module->tblCrops, "CROPCODE", Code("Maize"));
    boxes.Clear();
    User([&] { Type(w->edtName, "x"); });
    EXPECT_EQ(BoxTexts(), std::vector<String>{"Record is locked because it is a predefined record"});
    On(module->tblCrops, "CROPCODE", Code("copy_Maize"));
    boxes.Clear();
    Type(w->edtName, "x");
    boxes.Answer("Yes");
    EXPECT_TRUE(CloseWindow());
    EXPECT_EQ(BoxTexts(), std::vector<String>{"Save the changed information ?"});
    EXPECT_EQ(Value("SELECT NAME FROM CROPS WHERE CROPCODE='copy_Maize'"), "copy_Maizex");
}

TEST_F(CropWindowTest, RootDensitiesAreTypedInTheGridAndPostedWithoutAQuestion)
{
    On(module->tblCrops, "CROPCODE", Code("Maize"));
    auto* crops = Open<TfrmCrops>();
    crops->btnCopyClick(nullptr);
    String caption;
    WhenShown<TfrmRootDensity>([&](TfrmRootDensity* r) {
        caption = r->Caption() + "|" + IntToStr(r->grdRoot->DataRowCount());
        r->Close();
    });
    crops->BitBtn3->Click();
    EXPECT_EQ(caption, Format("%s - Root Density", {GetApplicationTitle()}) + "|3");
    EXPECT_TRUE(CloseWindow());
    delete form;
    form = nullptr;

    auto* r = Open<TfrmRootDensity>();
    EXPECT_FALSE(r->btnComments->Enabled()); // a root density has no comment to edit
    r->DBNavigator->BtnClick(nbInsert);
    r->grdRoot->SetFocus();
    Application->ProcessMessages();
    auto typeCell = [&](const char* text, bool next) {
        if (!r->grdRoot->EditorMode())
            QTest::keyClick(r->grdRoot->Host(), Qt::Key_F2);
        QWidget* editor = r->grdRoot->InplaceEditor()->Host();
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(editor, text);
        if (next)
            QTest::keyClick(editor, Qt::Key_Tab);
    };
    typeCell("0.25", true);
    typeCell("0.7", false); // the navigator's Post takes the pending cell
    r->DBNavigator->BtnClick(nbPost);
    EXPECT_EQ(BoxTexts(), std::vector<String>());
    EXPECT_EQ(Value("SELECT ROOTDENSITY FROM CROPROOTDENSITIES WHERE CROPCODE='copy_Maize' AND RELATIVEDEPTH=0.25"), "0.7");
    EXPECT_TRUE(CloseWindow());
}

} // namespace
