// The comment window on a real table of the demo database, and the copy-progress window.
#include "CommonUnits/GeneralUnits/tests/settings_fixture.h"

#include "CommonUnits/GeneralUnits/Comment.h"
#include "CommonUnits/GeneralUnits/DemoDatabase.h"
#include "CommonUnits/GeneralUnits/TVersionInfo_Unit.h"
#include "CommonUnits/GeneralUnits/TfrmCopyProgress_Unit.h"

#include "platform/db/DBTables.h"
#include "platform/win/WinVersion.h"


#include <memory>

namespace {

class CommentWindow : public SettingsTest {
protected:
    void SetUp() override
    {
        SettingsTest::SetUp();
        if (!TVersionInfo::SingletonExists())
            TVersionInfo::CreateSingleton();
        CreateProjectDatabase(databaseFile, true);
        db.Params.Add("SERVER NAME=" + databaseFile);
        db.Open();
        projects.SetDatabase(&db);
        projects.TableName = "Projects";
        projects.Open();
        source.SetDataSet(&projects);
        form.reset(New<TfrmComment>(nullptr));
        form->SetDataSource(&source);
    }
    void TearDown() override
    {
        form.reset();
        TVersionInfo::DestroySingleton();
        SettingsTest::TearDown();
    }

    // Types or pastes text at the caret, as the user does.
    // Types or pastes text at the caret, as the user does (the text replaces the selection).
    void InsertAtCaret(const String& text) { form->mmComment->SetSelText(text); }
    int Caret() const { return form->mmComment->SelStart(); }
    void PutCaret(int position) { form->mmComment->SetSelStart(position); }
    String Shown() const { return form->mmComment->Text(); }

    TVersionResource version{2, 1, 2, 10};
    TDatabase db;
    TTable projects;
    TDataSource source;
    std::unique_ptr<TfrmComment> form;
};

TEST_F(CommentWindow, ShowsTheRecordsCommentAndItsCaption)
{
    EXPECT_EQ(form->Caption(), GetApplicationTitle() + " - Comment");
    EXPECT_EQ(form->Width(), 600);
    EXPECT_EQ(form->Height(), 250);
    EXPECT_EQ(form->btnClose->Caption(), "&Close");
    EXPECT_EQ(Shown(), "Three runs on the invented scenarios");
}

TEST_F(CommentWindow, PastedExtendedCharactersAreDroppedAndTheCaretGoesOneBack)
{
    form->mmComment->SetText("abc"); // as a paste over the whole text
    EXPECT_EQ(projects.State(), dsEdit);
    PutCaret(1);
    InsertAtCaret("x\xE9y"); // "xéy" in the single-byte code page: caret after it at 4
    EXPECT_EQ(Shown(), "axybc");
    EXPECT_EQ(Caret(), 3);
    EXPECT_EQ(projects.FieldByName("COMMENTS")->AsString(), "axybc");
}

TEST_F(CommentWindow, SevenBitTypingIsLeftAlone)
{
    form->mmComment->SetText("");
    for (const char* piece : {"Plain ", "text, ", "typed."})
        InsertAtCaret(piece);
    EXPECT_EQ(Shown(), "Plain text, typed.");
    EXPECT_EQ(Caret(), 18);
}

TEST_F(CommentWindow, SavesThroughTheCallersPost)
{
    form->mmComment->SetText("A new comment");
    EXPECT_EQ(projects.State(), dsEdit);
    projects.Post();
    TQuery q;
    q.SetDatabase(&db);
    q.SQL.SetText("SELECT COMMENTS FROM PROJECTS WHERE PROJECTID=1");
    q.Open();
    EXPECT_EQ(q.Fields(0)->AsString(), "A new comment");
    // The text is cut to the width of the field.
    form->mmComment->SetText(String(300, 'x'));
    EXPECT_EQ(projects.FieldByName("COMMENTS")->AsString(), String(250, 'x'));
}

TEST_F(CommentWindow, ARecordThatRefusesEditKeepsItsComment)
{
    projects.BeforeEdit = [](TDataSet*) { Abort(); };
    // typing goes through the application's guard, which drops the silent refusal
    Application->Guard([&] { InsertAtCaret("more"); });
    EXPECT_EQ(Shown(), "Three runs on the invented scenarios");
    EXPECT_EQ(projects.State(), dsBrowse);
}

TEST_F(CommentWindow, ATableWithoutCommentsCannotBeBound)
{
    TTable info;
    info.SetDatabase(&db);
    info.TableName = "DBINFO";
    info.Open();
    TDataSource other(&info);
    EXPECT_THROW(form->SetDataSource(&other), EDatabaseError);
}

TEST(CopyProgressWindow, CaptionLabelsAndCounts)
{
    TVersionResource version{2, 1, 2, 10};
    if (!TVersionInfo::SingletonExists())
        TVersionInfo::CreateSingleton();
    std::unique_ptr<TfrmCopyProgress> form(New<TfrmCopyProgress>(nullptr));
    EXPECT_EQ(form->Caption(), GetApplicationTitle() + " - Copy progress");
    EXPECT_EQ(form->Width(), 315);
    EXPECT_EQ(form->Height(), 127);
    EXPECT_EQ(form->edtRecordsProcessed->Text(), "0");
    EXPECT_FALSE(form->edtRecordsProcessed->Enabled());
    form->ShowScanned(1234);
    form->ShowCopied(7);
    EXPECT_EQ(form->edtRecordsProcessed->Text(), "1234");
    EXPECT_EQ(form->edtRecordsCopied->Text(), "7");
    TVersionInfo::DestroySingleton();
}

} // namespace
