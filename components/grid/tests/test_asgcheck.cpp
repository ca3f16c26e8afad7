#include "components/grid/asgcheck.h"

#include <gtest/gtest.h>

namespace {

class UpperCorrector : public TPlusStringGridCheck {
public:
    using TPlusStringGridCheck::TPlusStringGridCheck;
    String Correct(int, int, const String& Value) override { return UpperCase(Value); }
};

class ErrorMarker : public TPlusStringGridCheck {
public:
    using TPlusStringGridCheck::TPlusStringGridCheck;
    String MarkError(int, int, const String& Value) override { return "<E>" + Value + "</E>"; }
};

TEST(GridCheck, BaseCheckerKeepsTheTypedText)
{
    TPlusStringGridCheck checker(nullptr);
    EXPECT_FALSE(checker.AutoCorrect);
    EXPECT_FALSE(checker.AutoMarkError);
    EXPECT_FALSE(checker.GotoCell);
    EXPECT_FALSE(checker.UseCorrect);
    EXPECT_FALSE(checker.UseMarkError);
    checker.AutoCorrect = checker.AutoMarkError = true;
    const String typed = " teh  <b>x ";
    EXPECT_EQ(checker.MarkError(1, 2, checker.Correct(1, 2, typed)), typed);
    checker.BeginCheck();
    checker.EndCheck();
}

TEST(GridCheck, DescendantsOverrideOneHookEach)
{
    TComponent owner(nullptr);
    TPlusStringGridCheck* corrector = new UpperCorrector(&owner);
    TPlusStringGridCheck* marker = new ErrorMarker(&owner);
    EXPECT_EQ(corrector->Correct(0, 0, "abc"), "ABC");
    EXPECT_EQ(corrector->MarkError(0, 0, "abc"), "abc");
    EXPECT_EQ(marker->Correct(0, 0, "abc"), "abc");
    EXPECT_EQ(marker->MarkError(0, 0, "abc"), "<E>abc</E>");
    EXPECT_EQ(owner.ComponentCount(), 2);
}

} // namespace
