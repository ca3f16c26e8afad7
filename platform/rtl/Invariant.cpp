#include "platform/rtl/Invariant.h"

#include <cstdio>
#include <cstdlib>

void InvariantBroken(const char* what, const char* condition, const char* file, int line)
{
    std::fprintf(stderr, "Invariant broken: %s\n  condition: %s\n  at %s:%d\n", what, condition, file, line);
    std::fflush(stderr);
    std::abort();
}
