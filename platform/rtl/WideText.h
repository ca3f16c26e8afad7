#pragma once
// Comparisons of wide (UTF-16) text.
#include "platform/rtl/System.h"

// Case-blind comparison over every Unicode letter: negative, 0 or positive.
int WideCompareText(const WideString& a, const WideString& b);
