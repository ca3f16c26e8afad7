#include "components/grid/asgcheck.h"

TPlusStringGridCheck::TPlusStringGridCheck(TComponent* AOwner)
    : TComponent(AOwner)
{
}

String TPlusStringGridCheck::MarkError(int, int, const String& Value)
{
    return Value;
}

String TPlusStringGridCheck::Correct(int, int, const String& Value)
{
    return Value;
}

void TPlusStringGridCheck::BeginCheck()
{
}

void TPlusStringGridCheck::EndCheck()
{
}
