// The comment window on a real table of the demo database, and the copy-progress window.
#include "settings_fixture.h"

#include "Comment.h"
#include "DemoDatabase.h"
#include "TVersionInfo_Unit.h"
#include "TfrmCopyProgress_Unit.h"

#include "platform/db/DBTables.h"
#include "platform/win/WinVersion.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>

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
    void InsertAtCaret(const QString& text) { form->Memo()->textCursor().insertText(text); }
    int Caret() const { return form->Memo()->textCursor().position(); }
    void PutCaret(int position)
    {
        QTextCursor cursor = form->Memo()->textCursor();
        cursor.setPosition(position);
        form->Memo()->setTextCursor(cursor);
    }

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
    EXPECT_EQ(form->CloseButton()->text(), QString("&Close"));
    EXPECT_EQ(form->Memo()->toPlainText(), QString("Three runs on the invented scenarios"));
}

TEST_F(CommentWindow, PastedExtendedCharactersAreDroppedAndTheCaretGoesOneBack)
{
    form->Memo()->setPlainText("abc");
    EXPECT_EQ(projects.State(), dsEdit);
    PutCaret(1);
    InsertAtCaret(QString::fromUtf8("x\xC3\xA9y")); // "xéy": caret after it at 4
    EXPECT_EQ(form->Memo()->toPlainText(), QString("axybc"));
    EXPECT_EQ(Caret(), 3);
    EXPECT_EQ(projects.FieldByName("COMMENTS")->AsString(), "axybc");
}

TEST_F(CommentWindow, SevenBitTypingIsLeftAlone)
{
    form->Memo()->setPlainText("");
    for (const char* piece : {"Plain ", "text, ", "typed."})
        InsertAtCaret(piece);
    EXPECT_EQ(form->Memo()->toPlainText(), QString("Plain text, typed."));
    EXPECT_EQ(Caret(), 18);
}

TEST_F(CommentWindow, SavesThroughTheCallersPost)
{
    form->Memo()->setPlainText("A new comment");
    EXPECT_EQ(projects.State(), dsEdit);
    projects.Post();
    TQuery q;
    q.SetDatabase(&db);
    q.SQL.SetText("SELECT COMMENTS FROM PROJECTS WHERE PROJECTID=1");
    q.Open();
    EXPECT_EQ(q.Fields(0)->AsString(), "A new comment");
    // The text is cut to the width of the field.
    form->Memo()->setPlainText(QString(300, QChar('x')));
    EXPECT_EQ(projects.FieldByName("COMMENTS")->AsString(), String(250, 'x'));
}

TEST_F(CommentWindow, ARecordThatRefusesEditKeepsItsComment)
{
    projects.BeforeEdit = [](TDataSet*) { Abort(); };
    InsertAtCaret("more"); // the refusal is silent
    EXPECT_EQ(form->Memo()->toPlainText(), QString("Three runs on the invented scenarios"));
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
    EXPECT_EQ(form->ScannedEdit()->text(), QString("0"));
    EXPECT_FALSE(form->ScannedEdit()->isEnabled());
    form->ShowScanned(1234);
    form->ShowCopied(7);
    EXPECT_EQ(form->ScannedEdit()->text(), QString("1234"));
    EXPECT_EQ(form->CopiedEdit()->text(), QString("7"));
    TVersionInfo::DestroySingleton();
}

} // namespace
