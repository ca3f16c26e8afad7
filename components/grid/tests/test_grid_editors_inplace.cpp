// The default in-place editor: which cells it opens on, the characters each text editor type
// takes, validation, Esc and the editing-done notice.
#include "GridEditorsFixture.h"

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
