#pragma once
// QUELM_INVARIANT(condition, "what holds"): states an invariant that a routine relies on, in
// words, and checks it where the build checks invariants: in Debug builds and in the sanitizer
// build (QUELM_DEBUG_CHECKS), not in the optimised release build, where the condition is not
// evaluated. A broken invariant is a fault of the program, not of its input: the check reports
// the words, the condition and the place on standard error and aborts, so that a test or a
// fuzz target stops right at the broken state instead of going on with it.
#if defined(QUELM_DEBUG_CHECKS) || !defined(NDEBUG)
#define QUELM_CHECKS_INVARIANTS 1
#define QUELM_INVARIANT(condition, what)                                                                \
    ((condition) ? static_cast<void>(0) : ::InvariantBroken((what), #condition, __FILE__, __LINE__))
#else
#define QUELM_CHECKS_INVARIANTS 0
#define QUELM_INVARIANT(condition, what) static_cast<void>(sizeof((condition) ? 1 : 0))
#endif

// Reports "Invariant broken: <what>" with the condition and the place, then aborts.
[[noreturn]] void InvariantBroken(const char* what, const char* condition, const char* file, int line);
