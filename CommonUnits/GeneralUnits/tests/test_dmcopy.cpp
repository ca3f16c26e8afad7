// Copies of detail rows under a new key, and the comment window called by the editors.
#include "CommonUnits/GeneralUnits/tests/dm_fixture.h"

#include "CommonUnits/GeneralUnits/Comment.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

namespace {

class RecordCopies : public DataModuleTest {};

TEST_F(RecordCopies, CopiedRowsGetTheNewKeyAndAreUnlocked)
{
    TTable* transformations = module->tblSubstanceTransformations;
    transformations->Open();
    const int before = Count("SELECT COUNT(*) FROM SUBSTANCETRANSFORMATIONS");
    EXPECT_TRUE(CopyRecordsWithKey(transformations, "SUBSTANCECODEIN", "PARA", "MET2"));
    EXPECT_EQ(Count("SELECT COUNT(*) FROM SUBSTANCETRANSFORMATIONS"), before + 1);
    EXPECT_EQ(Value("SELECT SUBSTANCECODEOUT || ' ' || FRAPRTDAU || ' ' || LOCKED FROM SUBSTANCETRANSFORMATIONS "
                    "WHERE SUBSTANCECODEIN='MET2'"),
              Value("SELECT SUBSTANCECODEOUT || ' ' || FRAPRTDAU FROM SUBSTANCETRANSFORMATIONS WHERE "
                    "SUBSTANCECODEIN='PARA'") +
                  " No");
    EXPECT_EQ(Value("SELECT LOCKED FROM SUBSTANCETRANSFORMATIONS WHERE SUBSTANCECODEIN='PARA'"), "Yes");
    EXPECT_TRUE(transformations->Active());
    EXPECT_EQ(boxes.Count(), 0);
    EXPECT_EQ(Screen->FormCount(), 0) << "the progress window is gone";

    // The key compares with its letter case; nothing matches "para".
    EXPECT_TRUE(CopyRecordsWithKey(transformations, "SUBSTANCECODEIN", "para", "MET2"));
    EXPECT_EQ(Count("SELECT COUNT(*) FROM SUBSTANCETRANSFORMATIONS"), before + 1);
}

TEST_F(RecordCopies, IntegerKeyCopyTakesEveryStageOnce)
{
    const int source = Count("SELECT MIN(CULTIVATIONSEQUENCEXCROPID) FROM CULTIVATIONSEQUENCEXCROPSB");
    const int stages = Count("SELECT COUNT(*) FROM CULTIVATIONSEQUENCEXCROPSB WHERE CULTIVATIONSEQUENCEXCROPID=" +
                             IntToStr(source));
    ASSERT_GT(stages, 1);
    module->dbDatabase->ExecSql("INSERT INTO CULTIVATIONSEQUENCEXCROPSA (CULTIVATIONSEQUENCEXCROPID, "
                                "CULTIVATIONSEQUENCECODE, CULTIVATIONSEQNO, EMERGENCEYEAROFFSET, HARVESTYEAROFFSET, "
                                "LOCKED) VALUES (900, 'Maize', 2, 0, 0, 'No')");
    EXPECT_TRUE(CopyRecordsWithIntegerKey(module->tblCultivationSeqxCropsB, "CULTIVATIONSEQUENCEXCROPID", source, 900));
    EXPECT_EQ(Value("SELECT GROUP_CONCAT(DEVELOPMENTSTAGE || ':' || LAI, ' ') FROM (SELECT * FROM "
                    "CULTIVATIONSEQUENCEXCROPSB WHERE CULTIVATIONSEQUENCEXCROPID=900 ORDER BY DEVELOPMENTSTAGE)"),
              Value("SELECT GROUP_CONCAT(DEVELOPMENTSTAGE || ':' || LAI, ' ') FROM (SELECT * FROM "
                    "CULTIVATIONSEQUENCEXCROPSB WHERE CULTIVATIONSEQUENCEXCROPID=" +
                    IntToStr(source) + " ORDER BY DEVELOPMENTSTAGE)"));
}

TEST_F(RecordCopies, AFailedCopyCopiesNothing)
{
    const int source = Count("SELECT MIN(CULTIVATIONSEQUENCEXCROPID) FROM CULTIVATIONSEQUENCEXCROPSB");
    module->dbDatabase->ExecSql("INSERT INTO CULTIVATIONSEQUENCEXCROPSA (CULTIVATIONSEQUENCEXCROPID, "
                                "CULTIVATIONSEQUENCECODE, CULTIVATIONSEQNO, EMERGENCEYEAROFFSET, HARVESTYEAROFFSET, "
                                "LOCKED) VALUES (900, 'Maize', 2, 0, 0, 'No')");
    // The target already holds the last stage of the source: the copy fails at that row.
    module->dbDatabase->ExecSql("INSERT INTO CULTIVATIONSEQUENCEXCROPSB (CULTIVATIONSEQUENCEXCROPID, DEVELOPMENTSTAGE) "
                                "SELECT 900, MAX(DEVELOPMENTSTAGE) FROM CULTIVATIONSEQUENCEXCROPSB WHERE "
                                "CULTIVATIONSEQUENCEXCROPID=" +
                                IntToStr(source));
    TTable* stages = module->tblCultivationSeqxCropsB;
    EXPECT_THROW(CopyRecordsWithIntegerKey(stages, "CULTIVATIONSEQUENCEXCROPID", source, 900), EDBEngineError);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM CULTIVATIONSEQUENCEXCROPSB WHERE CULTIVATIONSEQUENCEXCROPID=900"), 1);
    EXPECT_TRUE(stages->Active());
    EXPECT_FALSE(module->dbDatabase->InTransaction());
    EXPECT_EQ(Screen->FormCount(), 0);
}

// The editors copy a catalogue record and its detail rows inside one transaction: a detail
// copy that fails takes the new master record with it.
TEST_F(RecordCopies, ACatalogueCopyInOneTransactionIsAllOrNothing)
{
    TTable* schemes = module->tblApplicationSchemes;
    schemes->Open();
    module->tblApplicationsAbsolute->Open();
    module->tblApplicationsRelative->Open();
    ASSERT_TRUE(schemes->Locate("APPLICATIONSCHEMECODE", QString("PARA_Spring"), 0));
    auto copyScheme = [&](const String& newCode) {
        TdmQuelm::TTransactionScope transaction(module->dbDatabase);
        std::unique_ptr<TTable> clone(CloneTable(schemes));
        ASSERT_TRUE(clone->Locate("APPLICATIONSCHEMECODE", QString("PARA_Spring"), 0));
        module->ConfirmOff();
        schemes->Insert();
        CopyFieldValues(clone.get(), schemes);
        schemes->FieldByName("APPLICATIONSCHEMECODE")->SetAsString(newCode);
        module->ConfirmOff();
        schemes->Post();
        CopyRecordsWithKey(module->tblApplicationsAbsolute, "APPLICATIONSCHEMECODE", "PARA_Spring", newCode);
        transaction.Commit();
    };
    const int rows = Count("SELECT COUNT(*) FROM APPLICATIONSABSOLUTE WHERE APPLICATIONSCHEMECODE='PARA_Spring'");
    copyScheme("copy_PARA_Spring");
    EXPECT_EQ(Value("SELECT LOCKED FROM APPLICATIONSCHEMES WHERE APPLICATIONSCHEMECODE='copy_PARA_Spring'"), "No");
    EXPECT_EQ(Count("SELECT COUNT(*) FROM APPLICATIONSABSOLUTE WHERE APPLICATIONSCHEMECODE='copy_PARA_Spring'"), rows);

    // A copy whose second detail row fails.
    module->dbDatabase->ExecSql("CREATE TRIGGER STOP_SECOND BEFORE INSERT ON APPLICATIONSABSOLUTE WHEN "
                                "NEW.APPLICATIONSCHEMECODE='Second' AND (SELECT COUNT(*) FROM APPLICATIONSABSOLUTE "
                                "WHERE APPLICATIONSCHEMECODE='Second') >= 1 BEGIN SELECT RAISE(ABORT, 'stop'); END");
    ASSERT_GT(rows, 1);
    EXPECT_THROW(copyScheme("Second"), EDBEngineError);
    EXPECT_FALSE(module->dbDatabase->InTransaction());
    EXPECT_EQ(Count("SELECT COUNT(*) FROM APPLICATIONSCHEMES WHERE APPLICATIONSCHEMECODE='Second'"), 0);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM APPLICATIONSABSOLUTE WHERE APPLICATIONSCHEMECODE='Second'"), 0);
}

TEST_F(RecordCopies, EditCommentWritesIntoTheCurrentRecord)
{
    module->tblProjects->Open();
    QTimer::singleShot(0, [] {
        TfrmComment* window = nullptr;
        for (int i = 0; i < Screen->FormCount(); ++i)
            if (auto* w = dynamic_cast<TfrmComment*>(Screen->Forms(i)); w && w->Modal())
                window = w;
        ASSERT_NE(window, nullptr);
        window->mmComment->SelectAll();
        window->mmComment->SetSelText("Edited in the comment window");
        window->btnClose->Widget()->click();
    });
    EditComment(module->dsProjects);
    EXPECT_EQ(module->tblProjects->State(), dsEdit);
    EXPECT_EQ(module->tblProjects->FieldByName("COMMENTS")->AsString(), "Edited in the comment window");
    module->ConfirmOff();
    module->tblProjects->Post();
    EXPECT_EQ(Value("SELECT COMMENTS FROM PROJECTS WHERE PROJECTID=1"), "Edited in the comment window");
}

} // namespace
