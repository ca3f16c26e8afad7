#include "Utils_Sql_Unit.h"

#include "platform/db/DBTables.h"
#include "platform/rtl/FileUtils.h"
#include "quelm_test_support.h"

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
