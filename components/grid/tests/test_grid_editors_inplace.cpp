// The default in-place editor: which cells it opens on, the characters each text editor type
// takes, validation, Esc and the editing-done notice.
#include "components/grid/tests/GridEditorsFixture.h"
#include "components/grid/GridEditors.h"
#include "components/grid/PlusInplaceEdit.h"

TEST_F(GridEditFixture, TypedTextGoesIntoTheCellAndEnterEndsTheEdit)
{
    Go(1, 1);
    Type("ab");
    ASSERT_TRUE(grid->Editing);
    ASSERT_NE(grid->GetInplaceEditor(), nullptr);
    EXPECT_TRUE(grid->GetInplaceEditor()->Visible());
    Key(Qt::Key_Return);
    EXPECT_EQ(grid->Cells(1, 1), "ab");
    EXPECT_FALSE(grid->Editing);
    EXPECT_TRUE(Logged("validate ab"));
    EXPECT_TRUE(Logged("done 1,1"));
}

// Characters each text editor type takes, typed one by one into an empty cell.
TEST_F(GridEditFixture, EachTextEditorTypeKeepsOnlyItsCharacters)
{
    struct Case {
        TEditorType type;
        QString typed;
        String cell;
        char decimal;
    } cases[] = {
        {edNormal, "a-1.5", "a-1.5", '.'},
        {edNumeric, "-12-3a", "-123", '.'},
        {edNumeric, "12-", "12", '.'},
        {edPositiveNumeric, "-12x", "12", '.'},
        {edFloat, "-1.5.2", "-1.52", '.'},
        {edFloat, "1,5", "15", '.'},
        {edFloat, "1,5,2.3", "1,523", ','},
        {edFloat, "1-2", "12", '.'},
        {edPositiveFloat, "-3.25", "3.25", '.'},
        {edUpperCase, "abC", "ABC", '.'},
        {edCapital, "ab", "AB", '.'},
        {edLowerCase, "AbC", "abc", '.'},
        {edMixedCase, "john smith", "John Smith", '.'},
    };
    int row = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        FormatSettings().DecimalSeparator = c.decimal;
        FormatSettings().ThousandSeparator = c.decimal == ',' ? '.' : ',';
        editor = c.type;
        if (row >= grid->RowCount())
            grid->SetRowCount(row + 1);
        Go(1, row);
        Open();
        ASSERT_TRUE(grid->Editing);
        Type(c.typed);
        Key(Qt::Key_Return);
        EXPECT_EQ(grid->Cells(1, row), c.cell);
        ++row;
    }
}

TEST_F(GridEditFixture, RefusedCharactersOfNumericTypesBeep)
{
    editor = edNumeric;
    Go(1, 1);
    Open();
    const int before = MessageBeepCount();
    Type("12-");
    EXPECT_EQ(MessageBeepCount(), before + 1);
    editor = edPositiveFloat;
    Key(Qt::Key_Return);
    Go(2, 1);
    Open();
    const int later = MessageBeepCount();
    Type("-");
    EXPECT_EQ(MessageBeepCount(), later); // dropped silently
}

TEST_F(GridEditFixture, ASignNeverLandsInTheMiddleOfANumber)
{
    editor = edFloat;
    Go(1, 1);
    Open();
    Type("-5");
    auto* edit = grid->GetInplaceEditor();
    edit->SetSelStart(0);
    edit->SetSelLength(0);
    Type("7.");
    Key(Qt::Key_Return);
    EXPECT_EQ(grid->Cells(1, 1), "-5");
}

TEST_F(GridEditFixture, LengthLimitDropsTheExtraCharacterButReplacesASelection)
{
    grid->MaxEditLength = 3;
    Go(1, 1);
    Open();
    Type("abcd");
    EXPECT_EQ(grid->GetInplaceEditor()->Text(), "abc");
    grid->GetInplaceEditor()->SelectAll();
    Type("x");
    Key(Qt::Key_Return);
    EXPECT_EQ(grid->Cells(1, 1), "x");
}

TEST_F(GridEditFixture, EscPutsBackTheTextTheCellHadWhenEditingBegan)
{
    grid->SetCells(1, 1, "old");
    Go(1, 1);
    Open();
    grid->GetInplaceEditor()->SelectAll();
    Type("new");
    EXPECT_EQ(grid->Cells(1, 1), "new"); // typed text goes through as it is typed
    Key(Qt::Key_Escape);
    EXPECT_EQ(grid->Cells(1, 1), "old");
    EXPECT_FALSE(grid->Editing);
}

TEST_F(GridEditFixture, ARefusedValueNeverStaysInTheCellAndTheEditorStaysOnIt)
{
    grid->SetCells(1, 1, "old");
    refuse = "bad";
    Go(1, 1);
    Open();
    grid->GetInplaceEditor()->SelectAll();
    Type("bad");
    Key(Qt::Key_Return);
    EXPECT_EQ(grid->Cells(1, 1), "old");
    EXPECT_TRUE(grid->GetInplaceEditor()->Visible());
    EXPECT_EQ(grid->Col(), 1);
    EXPECT_EQ(grid->Row(), 1);
    // the handler's replacement is shown, the cell still keeps its old text
    replacement = "fixed?";
    grid->GetInplaceEditor()->SelectAll();
    Type("bad");
    Key(Qt::Key_Return);
    EXPECT_EQ(grid->GetInplaceEditor()->Text(), "fixed?");
    EXPECT_EQ(grid->Cells(1, 1), "old");
    // an accepted value goes in
    grid->GetInplaceEditor()->SelectAll();
    Type("good");
    Key(Qt::Key_Return);
    EXPECT_EQ(grid->Cells(1, 1), "good");
}

TEST_F(GridEditFixture, NoEditorOpensOnEdNoneOrOnAControlCell)
{
    editor = edNone;
    Go(1, 1);
    Open();
    EXPECT_FALSE(grid->Editing);
    editor = edNormal;
    grid->AddCheckBox(2, 1, false);
    Go(2, 1);
    Open();
    EXPECT_FALSE(grid->Editing);
}

TEST_F(GridEditFixture, PasteIntoANumericEditorTakesOnlyNumbers)
{
    editor = edNumeric;
    Go(1, 1);
    Open();
    Clipboard()->SetAsText("123\r\n");
    grid->GetInplaceEditor()->Perform(WM_PASTE, 0, 0);
    EXPECT_EQ(grid->GetInplaceEditor()->Text(), "123");
    Clipboard()->SetAsText("1.5");
    grid->GetInplaceEditor()->Perform(WM_PASTE, 0, 0);
    EXPECT_EQ(grid->GetInplaceEditor()->Text(), "123");
    Key(Qt::Key_Return);
    EXPECT_EQ(grid->Cells(1, 1), "123");
}

TEST_F(GridEditFixture, LookupCompletesTypedTextFromTheItems)
{
    grid->Lookup = true;
    grid->LookupItems()->Add("Apple");
    grid->LookupItems()->Add("Apricot");
    Go(1, 1);
    Type("Ap");
    auto* edit = grid->GetInplaceEditor();
    EXPECT_EQ(edit->Text(), "Apple");
    EXPECT_EQ(edit->SelStart(), 2);
    EXPECT_EQ(edit->SelLength(), 3);
}

// With CursorWalkEditor the caret walks out of the text into another cell: Left from the start
// of the text, Right from its end; anywhere else the arrows move the caret only. The text stays.
TEST_F(GridEditFixture, TheCaretWalksOutOfTheTextOnlyAtItsEnds)
{
    grid->Navigation()->CursorWalkEditor = true;
    struct Case {
        Qt::Key key;
        int caret; // where the caret stands in "abc"
        bool walks;
    } cases[] = {{Qt::Key_Right, 3, true}, {Qt::Key_Left, 0, true}, {Qt::Key_Right, 1, false}, {Qt::Key_Left, 2, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(int(c.key)) + " at " + std::to_string(c.caret));
        grid->SetCells(2, 1, "abc");
        Go(2, 1);
        Open();
        ASSERT_TRUE(grid->Editing);
        grid->GetInplaceEditor()->SetSelStart(c.caret);
        grid->GetInplaceEditor()->SetSelLength(0);
        Key(c.key);
        EXPECT_EQ(grid->Col() != 2, c.walks);
        EXPECT_EQ(grid->Cells(2, 1), "abc");
        grid->HideInplaceEditor();
        grid->SetFocus();
        Pump();
    }
}
