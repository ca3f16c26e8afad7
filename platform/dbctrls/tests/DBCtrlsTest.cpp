#include "platform/dbctrls/DBCtrls.h"
#include "platform/framework/Forms.h"

#include "platform/db/DBTables.h"
#include "platform/rtl/FileUtils.h"
#include "platform/win/WinMessageBox.h"
#include "platform/testing/quelm_test_support.h"

#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class DBEditTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const String path = dir.file("edit.vantor");
        WriteStringToFile(path, "");
        db.SetDatabaseName("DBEditTest");
        db.Params.Add("SERVER NAME=" + path);
        db.Open();
        ExecuteSqlScript(db, "CREATE TABLE CROPS (CROPCODE VARCHAR(10) NOT NULL PRIMARY KEY, "
                             "DESCRIPTION VARCHAR(20), ROOTS INTEGER);"
                             "INSERT INTO CROPS VALUES ('A', 'Apples', 1);"
                             "INSERT INTO CROPS VALUES ('B', 'Beans', 2);");
        table.DatabaseName = "DBEditTest";
        table.TableName = "CROPS";
        table.IndexFieldNames = "CROPCODE";
        table.Open();
        source.SetDataSet(&table);
        edit = new TDBEdit(&form);
        edit->SetParent(&form);
        edit->SetDataSource(&source);
    }

    String Stored(const String& code)
    {
        TQuery q;
        q.DatabaseName = "DBEditTest";
        q.SQL.Add("SELECT DESCRIPTION FROM CROPS WHERE CROPCODE='" + code + "'");
        q.Open();
        return q.Fields(0)->AsString();
    }

    // Types at the end of the text (setting a text puts the caret at its start).
    void Type(const char* text)
    {
        QTest::keyClick(edit->Host(), Qt::Key_End);
        QTest::keyClicks(edit->Host(), text);
    }

    void LeaveEdit()
    {
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(edit->Host(), &out);
    }

    quelmtest::TempDir dir;
    TDatabase db;
    TTable table;
    TDataSource source;
    TForm form{nullptr};
    TDBEdit* edit = nullptr;
};

} // namespace

TEST_F(DBEditTest, ShowsTheFieldOfTheCurrentRecord)
{
    EXPECT_EQ(edit->Text(), "");
    edit->SetDataField("DESCRIPTION");
    EXPECT_EQ(edit->Text(), "Apples");
    EXPECT_EQ(edit->Color(), clWindow);
    table.Next();
    EXPECT_EQ(edit->Text(), "Beans");
    table.Edit();
    table.FieldByName("DESCRIPTION")->SetAsString("Broad beans");
    EXPECT_EQ(edit->Text(), "Broad beans");
    table.Cancel();
    EXPECT_EQ(edit->Text(), "Beans");
    table.Close();
    EXPECT_EQ(edit->Text(), "");
    EXPECT_TRUE(edit->ReadOnly());
}

TEST_F(DBEditTest, WritesTheEditBackOnExitEnterAndPost)
{
    edit->SetDataField("DESCRIPTION");
    Type("!");
    EXPECT_EQ(table.State(), dsEdit) << "typing puts the dataset in edit";
    EXPECT_EQ(edit->Text(), "Apples!");
    EXPECT_EQ(table.FieldByName("DESCRIPTION")->AsString(), "Apples") << "not before the edit is left";
    LeaveEdit();
    EXPECT_EQ(table.FieldByName("DESCRIPTION")->AsString(), "Apples!");
    table.Post();
    EXPECT_EQ(Stored("A"), "Apples!");

    table.Next();
    Type("?");
    QTest::keyClick(edit->Host(), Qt::Key_Return);
    EXPECT_EQ(table.FieldByName("DESCRIPTION")->AsString(), "Beans?");
    table.Cancel();
    EXPECT_EQ(edit->Text(), "Beans");

    Type("#");
    table.Post(); // a post takes the pending text along
    EXPECT_EQ(Stored("B"), "Beans#");

    Type("x");
    QTest::keyClick(edit->Host(), Qt::Key_Escape);
    EXPECT_EQ(edit->Text(), "Beans#");
    EXPECT_FALSE(edit->Modified());
    table.Cancel();
}

TEST_F(DBEditTest, RefusedTextStaysInTheEdit)
{
    TMessageBoxInterceptor boxes;
    edit->SetDataField("ROOTS");
    EXPECT_EQ(edit->Text(), "1");
    Type("x");
    LeaveEdit();
    EXPECT_EQ(boxes.Count(), 1) << "the field's error is shown";
    EXPECT_EQ(edit->Text(), "1x");
    EXPECT_TRUE(edit->Modified());
    EXPECT_EQ(table.FieldByName("ROOTS")->AsInteger(), 1);
    table.Cancel();
    EXPECT_EQ(edit->Text(), "1");
}

TEST_F(DBEditTest, NoTypingWhereTheRecordCannotChange)
{
    edit->SetDataField("DESCRIPTION");
    source.AutoEdit = false;
    edit->SetDataField("DESCRIPTION");
    EXPECT_TRUE(edit->ReadOnly());
    table.Edit();
    EXPECT_FALSE(edit->ReadOnly());
    table.Cancel();
    EXPECT_TRUE(edit->ReadOnly());
    source.AutoEdit = true;
    table.FieldByName("DESCRIPTION")->ReadOnly = true;
    edit->SetDataField("DESCRIPTION");
    EXPECT_TRUE(edit->ReadOnly());
}
