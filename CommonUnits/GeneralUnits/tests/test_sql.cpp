#include "CommonUnits/GeneralUnits/Utils_Sql_Unit.h"

#include "platform/db/DBTables.h"
#include "platform/dbctrls/DBCtrls.h"
#include "platform/framework/Forms.h"
#include "platform/win/WinMessageBox.h"
#include "platform/rtl/FileUtils.h"
#include "platform/testing/quelm_test_support.h"

#include <gtest/gtest.h>

namespace {

class SqlRoutines : public ::testing::Test {
protected:
    void SetUp() override
    {
        const String path = dir.file("sql.vantor");
        WriteStringToFile(path, "");
        db.SetDatabaseName("SqlTest");
        db.Params.Add("SERVER NAME=" + path);
        db.Open();
        ExecuteSqlScript(db, "CREATE TABLE PROJECTS (PROJECTID INTEGER NOT NULL PRIMARY KEY, "
                             "DESCRIPTION VARCHAR(40), CONSTRAINT RC_PROJECTS CHECK (PROJECTID > 0));");
    }

    quelmtest::TempDir dir;
    TDatabase db;
};

} // namespace

TEST_F(SqlRoutines, StatementsRunAndIntegersComeBack)
{
    EXPECT_EQ(QueryIntegerValue("SqlTest", "SELECT MAX(PROJECTID) AS MVALUE FROM PROJECTS"), 0);
    ExecSql("SqlTest", "INSERT INTO PROJECTS VALUES (4, 'A')");
    ExecSql("SqlTest", "INSERT INTO PROJECTS VALUES (9, 'B')");
    EXPECT_EQ(QueryIntegerValue("SqlTest", "SELECT MAX(PROJECTID) AS MVALUE FROM PROJECTS"), 9);
    EXPECT_EQ(QueryIntegerValue("SqlTest", "SELECT COUNT(*) AS MVALUE FROM PROJECTS"), 2);
    EXPECT_EQ(QueryIntegerValue("SqlTest", "SELECT PROJECTID AS MVALUE FROM PROJECTS WHERE PROJECTID > 100"), 0);
    ExecSql("SqlTest", "DELETE FROM PROJECTS WHERE PROJECTID=4");
    EXPECT_EQ(QueryIntegerValue("SqlTest", "SELECT COUNT(*) AS MVALUE FROM PROJECTS"), 1);
}

TEST_F(SqlRoutines, EngineErrorsReachTheCaller)
{
    EXPECT_THROW(ExecSql("SqlTest", "INSERT INTO PROJECTS VALUES (-1, 'x')"), EDBEngineError);
    EXPECT_THROW(ExecSql("SqlTest", "UPDATE NO_SUCH_TABLE SET A=1"), EDBEngineError);
    EXPECT_ANY_THROW(QueryIntegerValue("NoSuchAlias", "SELECT 1 AS MVALUE"));
}

TEST_F(SqlRoutines, ComboBoxesFillFromQueries)
{
    ExecSql("SqlTest", "INSERT INTO PROJECTS VALUES (7, 'Seven')");
    ExecSql("SqlTest", "INSERT INTO PROJECTS VALUES (3, 'Three')");
    ExecSql("SqlTest", "INSERT INTO PROJECTS VALUES (5, 'Five')");
    const String sql = "SELECT DESCRIPTION AS ITEM1, PROJECTID AS ITEM2 FROM PROJECTS ";
    TForm form(nullptr);
    auto* combo = new TComboBox(&form);
    TStringList keys;
    TMessageBoxInterceptor boxes;
    combo->Items()->Add("stale");
    keys.Add("0");

    FillComboFromQuery("SqlTest", sql + "ORDER BY PROJECTID", combo, false, &keys);
    EXPECT_EQ(combo->Items()->CommaText(), "Three,Five,Seven");
    EXPECT_EQ(keys.CommaText(), "3,5,7");
    EXPECT_EQ(combo->ItemIndex(), 0);
    EXPECT_EQ(combo->Text(), "Three");
    EXPECT_EQ(combo->DropDownCount(), 3);

    FillComboFromQuery("SqlTest", sql + "WHERE PROJECTID > 4 ORDER BY PROJECTID DESC", combo, true, &keys);
    EXPECT_EQ(combo->Items()->CommaText(), "Three,Five,Seven,Seven,Five");
    EXPECT_EQ(keys.CommaText(), "3,5,7,7,5");
    EXPECT_EQ(combo->DropDownCount(), 2) << "the rows of this query";
    EXPECT_EQ(boxes.Count(), 0);

    FillComboFromQuery("SqlTest", sql + "WHERE PROJECTID > 100", combo, true, &keys);
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Last().Text, "No items found for combo box");
    EXPECT_EQ(boxes.Last().Caption, "Error");
    EXPECT_EQ(boxes.Last().Buttons, std::vector<String>{"OK"});
    EXPECT_EQ(combo->Items()->Count(), 5) << "kept items stay";

    FillComboFromQuery("SqlTest", sql + "WHERE PROJECTID > 100", combo, false, &keys);
    EXPECT_EQ(boxes.Count(), 2);
    EXPECT_EQ(combo->Items()->Count(), 0);
    EXPECT_EQ(keys.Count(), 0);
    EXPECT_EQ(combo->ItemIndex(), -1);
    EXPECT_EQ(combo->DropDownCount(), 0);

    EXPECT_THROW(FillComboFromQuery("SqlTest", "SELECT ITEM1 FROM NO_SUCH_TABLE", combo, false, &keys),
                 EDBEngineError);
    EXPECT_THROW(FillComboFromQuery("SqlTest", "SELECT DESCRIPTION AS ITEM1 FROM PROJECTS", combo, false, &keys),
                 EDatabaseError) << "a query without ITEM2";
}

TEST(DBEditSwitch, EnabledEditsAreWindowColouredDisabledOnesButtonFace)
{
    TForm form(nullptr);
    auto* edit = new TDBEdit(&form);
    EnableDBEdit(edit, false);
    EXPECT_FALSE(edit->Enabled());
    EXPECT_EQ(edit->Color(), clBtnFace);
    EnableDBEdit(edit, true);
    EXPECT_TRUE(edit->Enabled());
    EXPECT_EQ(edit->Color(), clWindow);
}
