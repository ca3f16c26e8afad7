// The data-aware controls other than the edit: navigator, lookup list, memo, check box, text
// and grid, on a small table in a real database file.
#include "platform/dbctrls/DBCtrls.h"
#include "platform/dbctrls/DBGrids.h"

#include "platform/db/DBTables.h"
#include "platform/framework/Forms.h"
#include "platform/rtl/FileUtils.h"
#include "platform/win/WinMessageBox.h"
#include "platform/testing/quelm_test_support.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class DataControlsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const String path = dir.file("controls.vantor");
        WriteStringToFile(path, "");
        db.SetDatabaseName("DataControlsTest");
        db.Params.Add("SERVER NAME=" + path);
        db.Open();
        ExecuteSqlScript(db, "CREATE TABLE RUNS (RUNID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20), "
                             "LOCATIONCODE VARCHAR(10), REPEATHYDROLOGY VARCHAR(3), COMMENTS VARCHAR(40), "
                             "CHANGEDETECTION VARCHAR(10));"
                             "INSERT INTO RUNS VALUES (1, 'First', 'HAM', 'Yes', 'one', 'same');"
                             "INSERT INTO RUNS VALUES (2, 'Second', 'OKE', 'No', NULL, 'same');"
                             "INSERT INTO RUNS VALUES (3, 'Third', 'HAM', 'YES', 'three', 'other');"
                             "CREATE TABLE LOCATIONS (LOCATIONCODE VARCHAR(10) NOT NULL PRIMARY KEY, NAME VARCHAR(20));"
                             "INSERT INTO LOCATIONS VALUES ('HAM', 'Hamburg');"
                             "INSERT INTO LOCATIONS VALUES ('OKE', 'Okehampton');");
        runs.DatabaseName = "DataControlsTest";
        runs.TableName = "RUNS";
        runs.IndexFieldNames = "RUNID";
        runs.Open();
        runsSource.SetDataSet(&runs);
        locations.DatabaseName = "DataControlsTest";
        locations.TableName = "LOCATIONS";
        locations.IndexFieldNames = "LOCATIONCODE";
        locations.Open();
        locationsSource.SetDataSet(&locations);
    }

    String Stored(const String& column, int runId)
    {
        TQuery q;
        q.DatabaseName = "DataControlsTest";
        q.SQL.Add("SELECT " + column + " FROM RUNS WHERE RUNID=" + IntToStr(runId));
        q.Open();
        return q.Fields(0)->AsString();
    }

    quelmtest::TempDir dir;
    TDatabase db;
    TTable runs;
    TTable locations;
    TDataSource runsSource;
    TDataSource locationsSource;
    TForm form{nullptr};
};

} // namespace

// ---------------------------------------------------------------- navigator

TEST_F(DataControlsTest, NavigatorConfirmsDeleteOnlyWhenAsked)
{
    auto* nav = new TDBNavigator(&form);
    nav->SetParent(&form);
    nav->SetDataSource(&runsSource);
    TMessageBoxInterceptor boxes;

    boxes.Answer("Cancel");
    nav->BtnClick(nbDelete);
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Last().Text, "Delete record?");
    EXPECT_EQ(boxes.Last().Caption, "Confirm");
    EXPECT_EQ(runs.RecordCount(), 3) << "Cancel keeps the record";

    boxes.Answer("OK");
    nav->BtnClick(nbDelete);
    EXPECT_EQ(runs.RecordCount(), 2);

    nav->ConfirmDelete = false;
    nav->BtnClick(nbDelete);
    EXPECT_EQ(boxes.Count(), 2) << "no question without ConfirmDelete";
    EXPECT_EQ(runs.RecordCount(), 1);
}

TEST_F(DataControlsTest, NavigatorRunsBeforeActionThenTheActionThenOnClick)
{
    auto* nav = new TDBNavigator(&form);
    nav->SetParent(&form);
    nav->SetDataSource(&runsSource);
    std::vector<String> log;
    nav->BeforeAction = [&](TObject*, TNavigateBtn b) {
        log.push_back("before " + IntToStr(int(b)) + " at " + IntToStr(runs.RecNo()));
        if (b == nbLast)
            Abort(); // stops the action and the click event
    };
    nav->OnClick = [&](TObject*, TNavigateBtn b) {
        log.push_back("click " + IntToStr(int(b)) + " at " + IntToStr(runs.RecNo()));
    };
    nav->BtnClick(nbNext);
    EXPECT_THROW(nav->BtnClick(nbLast), EAbort);
    EXPECT_EQ(runs.RecNo(), 2);
    EXPECT_EQ(log, (std::vector<String>{"before 2 at 1", "click 2 at 2", "before 3 at 2"}));

    // a click on the button itself goes the same way; the abort reaches no box
    TMessageBoxInterceptor boxes;
    log.clear();
    QTest::mouseClick(static_cast<QWidget*>(nav->Controls(nbPrior)->Host()), Qt::LeftButton);
    EXPECT_EQ(runs.RecNo(), 1);
    EXPECT_EQ(log.size(), 2u);
    QTest::mouseClick(static_cast<QWidget*>(nav->Controls(nbLast)->Host()), Qt::LeftButton);
    EXPECT_EQ(runs.RecNo(), 1);
    EXPECT_EQ(boxes.Count(), 0);
}

TEST_F(DataControlsTest, TwoNavigatorsOnOneSourceFollowTheDataset)
{
    auto* full = new TDBNavigator(&form);
    auto* small = new TDBNavigator(&form);
    full->SetParent(&form);
    small->SetParent(&form);
    full->SetDataSource(&runsSource);
    small->SetDataSource(&runsSource);
    small->SetVisibleButtons(TButtonSet() << nbFirst << nbLast << nbInsert << nbDelete << nbPost << nbCancel);
    EXPECT_FALSE(small->ButtonVisible(nbNext));
    EXPECT_TRUE(small->Controls(nbFirst)->Visible());
    EXPECT_FALSE(small->Controls(nbNext)->Visible());

    struct Case {
        const char* what;
        std::function<void()> act;
        bool first, last, post, edit;
    };
    const Case cases[] = {
        {"at the first record", [] {}, false, true, false, true},
        {"at the last record", [&] { full->BtnClick(nbLast); }, true, false, false, true},
        {"while editing", [&] { small->BtnClick(nbInsert); }, false, false, true, false},
        {"after cancel", [&] { full->BtnClick(nbCancel); }, true, false, false, true},
    };
    for (const Case& c : cases) {
        c.act();
        for (TDBNavigator* nav : {full, small}) {
            EXPECT_EQ(nav->ButtonEnabled(nbFirst), c.first) << c.what;
            EXPECT_EQ(nav->ButtonEnabled(nbLast), c.last) << c.what;
            EXPECT_EQ(nav->ButtonEnabled(nbPost), c.post) << c.what;
            EXPECT_EQ(nav->ButtonEnabled(nbCancel), c.post) << c.what;
            EXPECT_EQ(nav->ButtonEnabled(nbEdit), c.edit) << c.what;
        }
    }
    runs.Close();
    EXPECT_FALSE(full->ButtonEnabled(nbInsert));
    EXPECT_FALSE(small->ButtonEnabled(nbFirst));
}

// ---------------------------------------------------------------- lookup list

TEST_F(DataControlsTest, LookupClickFiresOnlyOnTheUsersPick)
{
    auto* box = new TDBLookupComboBox(&form);
    box->SetParent(&form);
    int clicks = 0;
    box->OnClick = [&](TObject*) { ++clicks; };
    box->SetListSource(&locationsSource);
    box->SetKeyField("LOCATIONCODE");
    box->SetListField("NAME");
    box->SetDataSource(&runsSource);
    box->SetDataField("LOCATIONCODE");

    ASSERT_EQ(box->ItemCount(), 2);
    EXPECT_EQ(box->Item(1), "Okehampton");
    EXPECT_EQ(box->Text(), "Hamburg");
    runs.Next();
    EXPECT_EQ(box->Text(), "Okehampton");
    locations.Refresh();
    runs.Prior();
    EXPECT_EQ(clicks, 0) << "moving through the records and the list is no click";

    // the user's pick: the key goes into the record and the click fires once
    QComboBox* widget = box->Widget();
    widget->setFocus();
    QTest::keyClick(widget, Qt::Key_Down);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(runs.State(), dsEdit);
    EXPECT_EQ(runs.FieldByName("LOCATIONCODE")->AsString(), "OKE");
    EXPECT_EQ(box->KeyValue().toString(), "OKE");
    runs.Post();
    EXPECT_EQ(Stored("LOCATIONCODE", 1), "OKE");

    // a key that is not in the list shows nothing
    runs.Edit();
    runs.FieldByName("LOCATIONCODE")->SetAsString("XXX");
    EXPECT_EQ(box->Text(), "");
    runs.Cancel();
    EXPECT_EQ(clicks, 1);
}

// ---------------------------------------------------------------- check box, memo, text

TEST_F(DataControlsTest, CheckBoxWithYesNoValues)
{
    auto* check = new TDBCheckBox(&form);
    check->SetParent(&form);
    check->ValueChecked = "Yes";
    check->ValueUnchecked = "No";
    int clicks = 0;
    check->OnClick = [&](TObject*) { ++clicks; };
    check->SetDataSource(&runsSource);
    check->SetDataField("REPEATHYDROLOGY");

    struct Case {
        int recNo;
        bool checked;
    };
    for (const Case& c : {Case{1, true}, Case{2, false}, Case{3, true} /* "YES": case-blind */}) {
        runs.MoveBy(c.recNo - runs.RecNo());
        EXPECT_EQ(check->Checked(), c.checked) << "record " << c.recNo;
    }
    runs.First();
    clicks = 0;
    QTest::mouseClick(check->Widget(), Qt::LeftButton, {}, QPoint(5, check->Widget()->height() / 2));
    EXPECT_FALSE(check->Checked());
    EXPECT_EQ(runs.FieldByName("REPEATHYDROLOGY")->AsString(), "No");
    EXPECT_EQ(clicks, 1);
    runs.Post();
    EXPECT_EQ(Stored("REPEATHYDROLOGY", 1), "No");
}

TEST_F(DataControlsTest, MemoAndTextShowTheFieldAndTheMemoWritesBack)
{
    auto* memo = new TDBMemo(&form);
    auto* text = new TDBText(&form);
    memo->SetParent(&form);
    text->SetParent(&form);
    memo->SetDataSource(&runsSource);
    memo->SetDataField("COMMENTS");
    text->SetDataSource(&runsSource);
    text->SetDataField("NAME");
    EXPECT_EQ(memo->Text(), "one");
    EXPECT_EQ(text->Caption(), "First");
    runs.Next();
    EXPECT_EQ(memo->Text(), "");
    EXPECT_EQ(text->Caption(), "Second");

    QTest::keyClicks(memo->Host(), "two");
    EXPECT_EQ(runs.State(), dsEdit);
    EXPECT_TRUE(memo->Modified());
    runs.Post(); // the post takes the memo's text
    EXPECT_EQ(Stored("COMMENTS", 2), "two");

    QTest::keyClicks(memo->Host(), "!");
    QTest::keyClick(memo->Host(), Qt::Key_Escape);
    EXPECT_EQ(memo->Text(), "two");
    runs.Cancel();
    runs.Close();
    EXPECT_EQ(memo->Text(), "");
    EXPECT_TRUE(memo->ReadOnly());
}

TEST_F(DataControlsTest, EditChangeFiresOnEveryShownValue)
{
    // a hidden edit on a field that holds the same text on several records still hears of
    // each scroll, post and cancel
    auto* detector = new TDBEdit(&form);
    detector->SetParent(&form);
    detector->SetVisible(false);
    detector->SetDataSource(&runsSource);
    detector->SetDataField("CHANGEDETECTION");
    std::vector<String> seen;
    detector->OnChange = [&seen, detector](TObject*) { seen.push_back(detector->Text()); };

    runs.Next(); // same text
    runs.Next(); // another text
    runs.Prior();
    runs.Edit();  // the record shows again
    runs.FieldByName("NAME")->SetAsString("Renamed");
    runs.Post(); // same text again
    runs.Edit();
    runs.FieldByName("CHANGEDETECTION")->SetAsString("posted");
    runs.Cancel();
    EXPECT_EQ(seen, (std::vector<String>{"same", "other", "same", "same", "same", "same", "posted", "same"}));
    detector->OnChange = nullptr;
}

// ---------------------------------------------------------------- grid

TEST_F(DataControlsTest, GridShowsColumnsTitlesAndFollowsTheRecord)
{
    auto* grid = new TDBGrid(&form);
    grid->SetParent(&form);
    grid->SetBounds(0, 0, 400, 200);
    grid->SetDataSource(&runsSource);
    EXPECT_EQ(grid->VisibleColumnCount(), 6) << "a column per field without customised columns";

    TColumn* id = grid->Columns()->Add();
    id->SetFieldName("RUNID");
    id->Title()->Caption = "RunID";
    TColumn* name = grid->Columns()->Add();
    name->SetFieldName("NAME");
    name->Title()->Caption = "Name";
    grid->SetOptions(grid->Options() << dgRowSelect);
    grid->SetReadOnly(true);

    EXPECT_EQ(grid->VisibleColumnCount(), 2);
    EXPECT_EQ(grid->ColCount(), 3) << "indicator and two columns";
    EXPECT_EQ(grid->RowCount(), 4) << "titles and three rows";
    EXPECT_EQ(grid->CellText(1, 2), "Third");
    EXPECT_EQ(grid->Row(), 1);

    runs.Last();
    EXPECT_EQ(grid->Row(), 3) << "the grid follows the dataset";
    grid->SetRow(2);
    EXPECT_EQ(runs.RecNo(), 2) << "the dataset follows the grid";
    EXPECT_TRUE(grid->Options().Contains(dgRowSelect));
    EXPECT_FALSE(grid->TCustomGrid::Options().Contains(goEditing)) << "a read-only grid opens no editor";

    int doubleClicks = 0;
    grid->OnDblClick = [&](TObject*) { ++doubleClicks; };
    const TRect cell = grid->CellRect(2, 3);
    QTest::mouseDClick(grid->Host(), Qt::LeftButton, {}, QPoint(cell.Left + 5, cell.Top + 5));
    EXPECT_EQ(doubleClicks, 1);
    EXPECT_EQ(runs.RecNo(), 3);

    runs.Insert();
    EXPECT_EQ(grid->RowCount(), 5) << "the new record gets a row";
    EXPECT_EQ(grid->CellText(1, 2), "") << "where it is inserted";
    EXPECT_EQ(grid->CellText(1, 3), "Third");
    runs.Cancel();
    EXPECT_EQ(grid->RowCount(), 4);
}

TEST_F(DataControlsTest, GridEditsInPlace)
{
    auto* grid = new TDBGrid(&form);
    grid->SetParent(&form);
    grid->SetBounds(0, 0, 400, 200);
    TColumn* name = grid->Columns()->Add();
    name->SetFieldName("NAME");
    grid->SetDataSource(&runsSource);
    form.Show();
    grid->SetFocus();
    QApplication::processEvents();

    QTest::keyClick(grid->Host(), Qt::Key_F2);
    ASSERT_TRUE(grid->EditorMode());
    QWidget* editor = grid->InplaceEditor()->Host();
    QTest::keyClick(editor, Qt::Key_End);
    QTest::keyClicks(editor, "ly");
    EXPECT_EQ(runs.State(), dsEdit);
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(runs.FieldByName("NAME")->AsString(), "Firstly");
    runs.Post();
    EXPECT_EQ(Stored("NAME", 1), "Firstly");

    // Escape drops the edit and the record's changes
    QTest::keyClick(grid->Host(), Qt::Key_F2);
    editor = grid->InplaceEditor()->Host();
    QTest::keyClicks(editor, "xx");
    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_EQ(runs.State(), dsBrowse);
    EXPECT_EQ(grid->CellText(0, 0), "Firstly");

    // moving to another row writes the edit, and the move posts it
    QTest::keyClick(grid->Host(), Qt::Key_F2);
    editor = grid->InplaceEditor()->Host();
    QTest::keyClick(editor, Qt::Key_End);
    QTest::keyClicks(editor, "!");
    QTest::keyClick(editor, Qt::Key_Down);
    EXPECT_EQ(runs.RecNo(), 2);
    EXPECT_EQ(Stored("NAME", 1), "Firstly!");
    form.Close();
}

// Typing into an edit or a memo gives the text a person expects, stored as typed, wherever the
// caret stands, even though the first key puts the record into edit state and every change
// writes another field of the record (as a window's change handler does).
TEST_F(DataControlsTest, TypingKeepsTheTextAndTheCaretOfEditsAndMemos)
{
    struct Case {
        const char* what;
        std::vector<std::pair<Qt::Key, Qt::KeyboardModifiers>> keys;
        const char* typed;
        const char* stored;
    };
    const Qt::KeyboardModifiers none = Qt::NoModifier;
    const std::vector<Case> cases = {
        {"at the end", {{Qt::Key_End, none}}, " XYZ", "First XYZ"},
        {"in the middle", {{Qt::Key_Home, none}, {Qt::Key_Right, none}, {Qt::Key_Right, none}}, "ab", "Fiabrst"},
        {"over a selection", {{Qt::Key_Home, none}, {Qt::Key_End, Qt::ShiftModifier}}, "New", "New"},
        {"after backspaces", {{Qt::Key_End, none}, {Qt::Key_Backspace, none}, {Qt::Key_Backspace, none}}, "X", "FirX"},
    };
    for (const bool memo : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(memo ? "memo, " : "edit, ") + c.what);
            ExecuteSqlScript(db, "UPDATE RUNS SET NAME = 'First', COMMENTS = 'First', CHANGEDETECTION = 'same' WHERE RUNID = 1;");
            runs.Refresh();
            runs.First();
            TCustomEdit* control = nullptr;
            const char* field = memo ? "COMMENTS" : "NAME";
            int changes = 0;
            // a change of the user's marks another field of the record, as the main window does
            const auto markChanged = [this, &changes](TObject*) {
                if (runs.State() == dsEdit)
                    runs.FieldByName("CHANGEDETECTION")->SetAsString("changed" + IntToStr(++changes));
            };
            if (memo) {
                auto* m = new TDBMemo(&form);
                m->SetParent(&form);
                m->SetDataSource(&runsSource);
                m->SetDataField(field);
                m->OnChange = markChanged;
                control = m;
            } else {
                auto* e = new TDBEdit(&form);
                e->SetParent(&form);
                e->SetDataSource(&runsSource);
                e->SetDataField(field);
                e->OnChange = markChanged;
                control = e;
            }
            ASSERT_EQ(control->Text(), "First");
            for (const auto& [key, modifiers] : c.keys)
                QTest::keyClick(control->Host(), key, modifiers);
            QTest::keyClicks(control->Host(), c.typed);
            EXPECT_EQ(control->Text(), c.stored);
            EXPECT_GT(changes, 0);
            runs.Post();
            EXPECT_EQ(Stored(field, 1), c.stored);
            EXPECT_EQ(control->Text(), c.stored);
            delete control;
        }
    }
}
