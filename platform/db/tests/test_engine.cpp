#include "platform/db/DBTables.h"
#include "platform/rtl/FileUtils.h"
#include "platform/testing/quelm_test_support.h"

#include <gtest/gtest.h>

namespace {

const char* kSchema = R"sql(
CREATE TABLE SCHEMES (
  SCHEMECODE   VARCHAR(10) NOT NULL,
  DESCRIPTION  VARCHAR(20),
  LOCKED       VARCHAR(3) NOT NULL,
  CONSTRAINT SCHEMES_PK PRIMARY KEY (SCHEMECODE),
  CONSTRAINT SCHEMES_UQ UNIQUE (DESCRIPTION),
  CONSTRAINT SCHEMES_1 CHECK (UPPER(LOCKED) IN ('YES','NO'))
);
CREATE TABLE EVENTS (
  SCHEMECODE  VARCHAR(10) NOT NULL,
  MDATE       TIMESTAMP NOT NULL,
  AMOUNT      DOUBLE PRECISION,
  REPEATS     INTEGER,
  CONSTRAINT EVENTS_PK PRIMARY KEY (SCHEMECODE, MDATE),
  CONSTRAINT EVENTS_FK_1 FOREIGN KEY (SCHEMECODE) REFERENCES SCHEMES (SCHEMECODE) ON UPDATE CASCADE,
  CONSTRAINT RC_EVENTS CHECK (AMOUNT IS NULL OR AMOUNT >= 0)
);
INSERT INTO SCHEMES VALUES ('No', 'No scheme', 'Yes');
INSERT INTO SCHEMES VALUES ('Wet', 'Wet summers', 'Yes');
INSERT INTO SCHEMES VALUES ('dry', 'Dry summers', 'No');
INSERT INTO EVENTS VALUES ('Wet', '2001-06-01', 10, 1);
INSERT INTO EVENTS VALUES ('Wet', '2001-05-01', 5, 2);
INSERT INTO EVENTS VALUES ('dry', '2002-07-01', 1.5, 3);
)sql";

class Engine : public ::testing::Test {
protected:
    void SetUp() override
    {
        path_ = dir_.file("test.vantor");
        WriteStringToFile(path_, "");
        db_.SetDatabaseName("EngineTest");
        db_.Params.Add("SERVER NAME=" + path_);
        db_.Open();
        ExecuteSqlScript(db_, kSchema);
    }

    // Runs `action`, expects an engine error and returns it.
    static EDBEngineError Failure(const std::function<void()>& action)
    {
        try {
            action();
        } catch (const EDBEngineError& e) {
            return e;
        }
        ADD_FAILURE() << "no engine error";
        return EDBEngineError({});
    }

    quelmtest::TempDir dir_;
    String path_;
    TDatabase db_;
};

TEST_F(Engine, TableReturnsRowsInIndexOrderAndMasterRange)
{
    TTable schemes;
    schemes.DatabaseName = "EngineTest";
    schemes.TableName = "Schemes";
    schemes.IndexFieldNames = "SCHEMECODE";
    TDataSource dsSchemes(&schemes);
    TTable events;
    events.DatabaseName = "EngineTest";
    events.TableName = "Events";
    events.IndexFieldNames = "SCHEMECODE;MDATE";
    events.SetMasterSource(&dsSchemes);
    events.MasterFields = "SchemeCode";
    schemes.Open();
    events.Open();

    // Binary order: upper case before lower case, as the file sorts texts.
    EXPECT_EQ(schemes.FieldByName("SCHEMECODE")->AsString(), "No");
    EXPECT_EQ(events.RecordCount(), 0);
    schemes.Next();
    EXPECT_EQ(schemes.FieldByName("SchemeCode")->AsString(), "Wet");
    ASSERT_EQ(events.RecordCount(), 2);
    EXPECT_EQ(events.FieldByName("MDATE")->AsDateTime(), EncodeDate(2001, 5, 1));
    events.Next();
    EXPECT_EQ(events.FieldByName("AMOUNT")->AsFloat(), 10.0);
    events.Next();
    EXPECT_TRUE(events.Eof());

    // A new detail row starts with its master's key.
    events.Insert();
    EXPECT_EQ(events.FieldByName("SCHEMECODE")->AsString(), "Wet");
    events.FieldByName("MDATE")->SetAsDateTime(EncodeDate(2001, 5, 15));
    events.Post();
    EXPECT_EQ(events.RecNo(), 2); // placed between the two other rows
    schemes.Close();
    events.Refresh(); // without an open master the detail shows every row
    EXPECT_EQ(events.RecordCount(), 4);
}

// Tearing down master-detail links never throws, whichever goes first, even where a detail
// cannot reload any more (its table is gone, as when the connection has gone away).
TEST_F(Engine, TearingDownMasterDetailLinksNeverThrows)
{
    for (const char* first : {"master", "source", "detail"}) {
        SCOPED_TRACE(first);
        ExecuteSqlScript(db_, "DROP TABLE IF EXISTS EVENTS2; CREATE TABLE EVENTS2 AS SELECT * FROM EVENTS;");
        auto schemes = std::make_unique<TTable>();
        schemes->DatabaseName = "EngineTest";
        schemes->TableName = "Schemes";
        schemes->IndexFieldNames = "SCHEMECODE";
        auto dsSchemes = std::make_unique<TDataSource>(schemes.get());
        auto events = std::make_unique<TTable>();
        events->DatabaseName = "EngineTest";
        events->TableName = "Events2";
        events->IndexFieldNames = "SCHEMECODE;MDATE";
        events->SetMasterSource(dsSchemes.get());
        events->MasterFields = "SchemeCode";
        schemes->Open();
        events->Open();
        ExecuteSqlScript(db_, "DROP TABLE EVENTS2;");
        // a destructor that throws ends the program
        if (std::string(first) == "master")
            schemes.reset();
        else if (std::string(first) == "source")
            dsSchemes.reset();
        else
            events.reset();
        events.reset();
        dsSchemes.reset();
        schemes.reset();
    }
}

TEST_F(Engine, LocateFiltersAndBookmarks)
{
    TTable t;
    t.DatabaseName = "EngineTest";
    t.TableName = "SCHEMES";
    t.IndexFieldNames = "SCHEMECODE";
    t.Open();
    struct Case {
        const char* fields;
        std::vector<Variant> values;
        TLocateOptions options;
        bool found;
        const char* code;
    } cases[] = {
        {"SCHEMECODE", {QString("wet")}, loCaseInsensitive, true, "Wet"},
        {"SCHEMECODE", {QString("wet")}, 0, false, nullptr},
        {"SCHEMECODE;LOCKED", {QString("DRY"), QString("no")}, loCaseInsensitive, true, "dry"},
        {"DESCRIPTION", {QString("wet s")}, loCaseInsensitive | loPartialKey, true, "Wet"},
    };
    for (const Case& c : cases) {
        t.First();
        EXPECT_EQ(t.Locate(c.fields, c.values, c.options), c.found) << c.fields;
        if (c.found)
            EXPECT_EQ(t.FieldByName("SCHEMECODE")->AsString(), c.code);
        else
            EXPECT_EQ(t.RecNo(), 1); // a failed locate does not move
    }

    TBookmark mark = t.GetBookmark();
    t.First();
    t.GotoBookmark(mark);
    EXPECT_EQ(t.FieldByName("SCHEMECODE")->AsString(), "Wet");

    t.FilterOptions = foCaseInsensitive;
    t.SetFilter("SchemeCode <> 'NO' and Locked = 'yes'");
    t.SetFiltered(true);
    EXPECT_EQ(t.RecordCount(), 1);
    EXPECT_EQ(t.FieldByName("SCHEMECODE")->AsString(), "Wet");
    t.FilterOptions = 0;
    t.SetFilter("Locked = 'yes'");
    EXPECT_EQ(t.RecordCount(), 0);
    t.SetFiltered(false);
    EXPECT_EQ(t.RecordCount(), 3);
}

TEST_F(Engine, EventsFireInTheFrameworkOrder)
{
    TTable t;
    t.DatabaseName = "EngineTest";
    t.TableName = "SCHEMES";
    t.IndexFieldNames = "SCHEMECODE";
    std::vector<String> log;
    auto note = [&log](const char* what) { return [&log, what](TDataSet*) { log.push_back(what); }; };
    t.BeforeInsert = note("BeforeInsert");
    t.OnNewRecord = note("OnNewRecord");
    t.AfterInsert = note("AfterInsert");
    t.BeforeEdit = note("BeforeEdit");
    t.AfterEdit = note("AfterEdit");
    t.BeforePost = note("BeforePost");
    t.AfterPost = note("AfterPost");
    t.BeforeCancel = note("BeforeCancel");
    t.AfterCancel = note("AfterCancel");
    t.BeforeDelete = note("BeforeDelete");
    t.AfterDelete = note("AfterDelete");
    t.Open();

    t.Insert();
    t.FieldByName("SCHEMECODE")->SetAsString("Zz");
    t.FieldByName("LOCKED")->SetAsString("No");
    t.Post();
    t.Edit();
    t.FieldByName("DESCRIPTION")->SetAsString("changed");
    t.Cancel();
    t.Delete();
    EXPECT_EQ(log, (std::vector<String>{"BeforeInsert", "OnNewRecord", "AfterInsert", "BeforePost", "AfterPost",
                                        "BeforeEdit", "AfterEdit", "BeforeCancel", "AfterCancel", "BeforeDelete",
                                        "AfterDelete"}));
    EXPECT_EQ(t.RecordCount(), 3);

    // A refused post (a handler aborts) leaves the record in edit state with its changes.
    t.BeforePost = [](TDataSet*) { Abort(); };
    t.Edit();
    t.FieldByName("DESCRIPTION")->SetAsString("kept");
    EXPECT_THROW(t.Post(), EAbort);
    EXPECT_EQ(t.State(), dsEdit);
    EXPECT_EQ(t.FieldByName("DESCRIPTION")->AsString(), "kept");
}

TEST_F(Engine, AssignmentsAreCheckedAgainstDeclaredWidthAndType)
{
    TTable t;
    t.DatabaseName = "EngineTest";
    t.TableName = "EVENTS";
    t.Open();
    t.Edit();
    EXPECT_THROW(t.FieldByName("SCHEMECODE")->SetAsString("ABCDEFGHIJK"), EDBEngineError); // 11 > 10
    t.FieldByName("SCHEMECODE")->SetAsString("ABCDEFGHIJ");
    EXPECT_THROW(t.FieldByName("AMOUNT")->SetAsString("lots"), EConvertError);
    EXPECT_THROW(t.FieldByName("REPEATS")->SetAsString("2.5"), EConvertError);
    EXPECT_THROW(t.FieldByName("MDATE")->SetAsString("not a date"), EConvertError);
    t.FieldByName("AMOUNT")->SetAsString("2.25");
    EXPECT_EQ(t.FieldByName("AMOUNT")->AsFloat(), 2.25);
    t.FieldByName("AMOUNT")->SetAsString("");
    EXPECT_TRUE(t.FieldByName("AMOUNT")->IsNull());
    t.Cancel();
    EXPECT_EQ(t.FieldByName("SCHEMECODE")->AsString(), "Wet");
}

TEST_F(Engine, ConstraintViolationsNameTheConstraint)
{
    struct Case {
        const char* sql;
        uint8_t category;
        const char* name;
        const char* second;
    } cases[] = {
        {"UPDATE EVENTS SET AMOUNT=-1", kCategoryGeneralSql, "RC_EVENTS",
         "Operation violates CHECK constraint RC_EVENTS on view or table EVENTS"},
        {"INSERT INTO SCHEMES VALUES ('No', 'x', 'No')", kCategoryIntegrity, "SCHEMES_PK",
         "violation of PRIMARY or UNIQUE KEY constraint \"SCHEMES_PK\" on table \"SCHEMES\""},
        {"UPDATE SCHEMES SET DESCRIPTION='Wet summers' WHERE SCHEMECODE='No'", kCategoryIntegrity, "SCHEMES_UQ",
         "violation of PRIMARY or UNIQUE KEY constraint \"SCHEMES_UQ\" on table \"SCHEMES\""},
        {"INSERT INTO EVENTS VALUES ('Nowhere', '2001-01-01', 1, 1)", kCategoryIntegrity, "EVENTS_FK_1",
         "violation of FOREIGN KEY constraint \"EVENTS_FK_1\" on table \"EVENTS\""},
        {"DELETE FROM SCHEMES WHERE SCHEMECODE='Wet'", kCategoryIntegrity, "EVENTS_FK_1",
         "violation of FOREIGN KEY constraint \"EVENTS_FK_1\" on table \"EVENTS\""},
    };
    for (const Case& c : cases) {
        EDBEngineError e = Failure([&] { db_.ExecSql(c.sql); });
        ASSERT_GE(e.ErrorCount(), 2) << c.sql;
        EXPECT_EQ(e.Errors(0).Category(), c.category) << c.sql;
        EXPECT_EQ(e.Errors(1).Message, c.second) << c.sql;
        EXPECT_EQ(e.ConstraintName(), c.name);
        // What the application's handler does: the text between " CONSTRAINT " and " ON ".
        const String upper = UpperCase(e.Errors(1).Message);
        const size_t from = upper.find(" CONSTRAINT ") + 12;
        String name = upper.substr(from, upper.find(" ON ") - from);
        if (!name.empty() && name.front() == '"')
            name = name.substr(1, name.size() - 2);
        EXPECT_EQ(name, UpperCase(c.name));
    }
    // Nothing of the failed statements stayed behind.
    TQuery q;
    q.SetDatabase(&db_);
    q.SQL.Add("SELECT COUNT(*) AS N FROM EVENTS WHERE AMOUNT < 0 OR SCHEMECODE = 'Nowhere'");
    q.Open();
    EXPECT_EQ(q.FieldByName("N")->AsInteger(), 0);
}

TEST_F(Engine, PostErrorsReachTheHandler)
{
    TTable t;
    t.DatabaseName = "EngineTest";
    t.TableName = "SCHEMES";
    t.Open();
    bool seen = false;
    t.OnPostError = [&](TDataSet* ds, EDatabaseError& e, TDataAction& action) {
        seen = dynamic_cast<EDBEngineError*>(&e) != nullptr;
        ds->Cancel();
        action = daAbort;
    };
    t.Insert();
    t.FieldByName("SCHEMECODE")->SetAsString("Wet");
    t.FieldByName("LOCKED")->SetAsString("No");
    EXPECT_THROW(t.Post(), EAbort);
    EXPECT_TRUE(seen);
    EXPECT_EQ(t.State(), dsBrowse);
    EXPECT_EQ(t.RecordCount(), 3);
}

TEST_F(Engine, DatesCompareExactlyWithDateLiterals)
{
    TQuery q;
    q.DatabaseName = "EngineTest";
    q.SQL.Add("SELECT COUNT(*) AS MVALUE FROM EVENTS WHERE SCHEMECODE='Wet' AND   MDATE<='2001-06-01'");
    q.Open();
    EXPECT_EQ(q.FieldByName("MVALUE")->AsInteger(), 2);
    q.Close();
    q.SQL.Clear();
    q.SQL.Add("SELECT MAX(MDATE) AS MVALUE FROM EVENTS WHERE SCHEMECODE=:qName");
    q.ParamByName("qName")->SetAsString("Wet");
    q.Open();
    EXPECT_EQ(q.FieldByName("MVALUE")->AsDateTime(), EncodeDate(2001, 6, 1));
    q.Close();
    // A date written through a field is stored as the day itself.
    TTable t;
    t.DatabaseName = "EngineTest";
    t.TableName = "EVENTS";
    t.Open();
    t.Insert();
    t.FieldByName("SCHEMECODE")->SetAsString("No");
    t.FieldByName("MDATE")->SetAsDateTime(EncodeDate(2003, 2, 5));
    t.Post();
    q.SQL.Clear();
    q.SQL.Add("SELECT AMOUNT FROM EVENTS WHERE MDATE='2003-02-05'");
    q.Open();
    EXPECT_EQ(q.RecordCount(), 1);
    EXPECT_TRUE(q.FieldByName("AMOUNT")->IsNull());
}

TEST_F(Engine, ScriptsAndTransactionsHappenWhole)
{
    EXPECT_THROW(ExecuteSqlScript(db_, "INSERT INTO SCHEMES VALUES ('A', 'a', 'No');\n"
                                       "INSERT INTO SCHEMES VALUES ('B', 'b', 'Maybe');"),
                 EDBEngineError);
    TQuery q;
    q.SetDatabase(&db_);
    q.SQL.Add("SELECT COUNT(*) FROM SCHEMES");
    q.Open();
    EXPECT_EQ(q.Fields(0)->AsInteger(), 3);
    q.Close();
    db_.StartTransaction();
    db_.ExecSql("DELETE FROM EVENTS");
    db_.Rollback();
    q.SQL.SetText("SELECT COUNT(*) FROM EVENTS");
    q.Open();
    EXPECT_EQ(q.Fields(0)->AsInteger(), 3);
}

TEST_F(Engine, ConnectingNeedsAnExistingDatabaseFile)
{
    struct Case {
        String path;
        const char* bytes;
    } cases[] = {{dir_.file("missing.vantor"), nullptr}, {dir_.file("text.vantor"), "this is no database file at all"}};
    for (const Case& c : cases) {
        if (c.bytes)
            WriteStringToFile(c.path, c.bytes);
        TDatabase other;
        other.Params.Add("SERVER NAME=" + c.path);
        EDBEngineError e = Failure([&] { other.Open(); });
        EXPECT_GE(e.ErrorCount(), 2);
        EXPECT_FALSE(other.Connected());
    }
    EXPECT_FALSE(FileExists(dir_.file("missing.vantor"))); // no empty file left behind
}

TEST_F(Engine, ClosingTheConnectionClosesItsDatasets)
{
    TTable t;
    t.DatabaseName = "EngineTest";
    t.TableName = "SCHEMES";
    t.Open();
    db_.Close();
    EXPECT_FALSE(t.Active());
    EXPECT_THROW(t.First(), EDatabaseError);
}

TEST_F(Engine, ASecondCursorSeesWritesAfterRefreshAndSourcesReportChanges)
{
    TTable a, b;
    for (TTable* t : {&a, &b}) {
        t->DatabaseName = "EngineTest";
        t->TableName = "SCHEMES";
        t->IndexFieldNames = "SCHEMECODE";
        t->Open();
    }
    TDataSource source(&a);
    std::vector<TDataSetState> states;
    int changes = 0;
    source.OnStateChange = [&](TObject*) { states.push_back(source.State()); };
    source.OnDataChange = [&](TObject*, TField*) { ++changes; };

    a.Last();
    a.Edit();
    a.FieldByName("DESCRIPTION")->SetAsString("Very dry");
    a.Post();
    EXPECT_EQ(states, (std::vector<TDataSetState>{dsEdit, dsBrowse}));
    EXPECT_GE(changes, 3); // scroll, field change, post

    ASSERT_TRUE(b.Locate("SCHEMECODE", QString("dry"), 0));
    EXPECT_EQ(b.FieldByName("DESCRIPTION")->AsString(), "Dry summers"); // its own snapshot
    b.Refresh();
    EXPECT_EQ(b.FieldByName("SCHEMECODE")->AsString(), "dry"); // stays on its row
    EXPECT_EQ(b.FieldByName("DESCRIPTION")->AsString(), "Very dry");

    // Rows by position, for grids, without moving the cursor.
    EXPECT_EQ(a.RecIndex(), 2);
    EXPECT_EQ(a.RowText(0, a.FieldByName("SCHEMECODE")->Index()), "No");
    EXPECT_EQ(a.RowText(2, a.FieldByName("DESCRIPTION")->Index()), "Very dry");
    EXPECT_TRUE(VarIsNull(a.RowValue(3, 0)));
    a.MoveToRecord(1);
    EXPECT_EQ(a.FieldByName("SCHEMECODE")->AsString(), "Wet");

    // With controls disabled nothing is reported until they are enabled again.
    changes = 0;
    a.DisableControls();
    a.First();
    a.Next();
    EXPECT_EQ(changes, 0);
    a.EnableControls();
    EXPECT_EQ(changes, 1);
}

} // namespace

namespace {

// SQLite renames a column of a flattened nested join ("SCHEMECODE:1"); the query's field
// keeps the name the statement gives it, unless another result column has that name.
TEST_F(Engine, NestedJoinColumnsKeepTheirNames)
{
    TQuery q;
    q.SetDatabase(&db_);
    q.SQL.SetText("SELECT SCHEMES.SchemeCode, EVENTS.Amount FROM EVENTS INNER JOIN ((SCHEMES INNER JOIN EVENTS E2 "
                  "ON SCHEMES.SCHEMECODE = E2.SCHEMECODE)) ON EVENTS.SCHEMECODE = SCHEMES.SCHEMECODE "
                  "WHERE SCHEMES.SCHEMECODE='dry'");
    q.Open();
    ASSERT_NE(q.FindField("SCHEMECODE"), nullptr);
    EXPECT_EQ(q.FieldByName("SCHEMECODE")->AsString(), "dry");
    EXPECT_EQ(q.FieldByName("AMOUNT")->AsFloat(), 1.5);

    TQuery both;
    both.SetDatabase(&db_);
    both.SQL.SetText("SELECT 1 AS A, 2 AS \"A:1\"");
    both.Open();
    EXPECT_EQ(both.Fields(0)->FieldName(), "A");
    EXPECT_EQ(both.Fields(1)->FieldName(), "A:1");
}

} // namespace

namespace {

TEST(SqlDateText, StoredDatesAndDateTimesReadBack)
{
    TDateTime dt = 0;
    ASSERT_TRUE(SqlTextToDateTime(QStringLiteral("2001-03-05"), dt));
    EXPECT_EQ(dt, EncodeDate(2001, 3, 5));
    ASSERT_TRUE(SqlTextToDateTime(QStringLiteral("2001-03-05 12:00:00"), dt));
    EXPECT_EQ(dt, EncodeDate(2001, 3, 5) + 0.5);
    EXPECT_FALSE(SqlTextToDateTime(QStringLiteral("2001-02-30"), dt));
    EXPECT_FALSE(SqlTextToDateTime(QStringLiteral("2001-0a-05"), dt));
    EXPECT_FALSE(SqlTextToDateTime(QStringLiteral("05/03/2001"), dt));
    EXPECT_EQ(DateTimeToSqlText(EncodeDate(1999, 12, 31)), QStringLiteral("1999-12-31"));
}

} // namespace
