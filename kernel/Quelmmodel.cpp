// Quelmmodel: the stand-in model kernel. Command line: Quelmmodel <RunID>.qmi, started in the
// work folder. It writes <RunID>.out, .sum and .log, or the error listing <RunID>.err.
//
// Environment switches for testing the calculation road:
//   QUELMMODEL_DELAY_MS=<n>  wait n milliseconds before calculating (a slow run);
//   QUELMMODEL_FAIL=error    end with a model error listing;
//   QUELMMODEL_FAIL=interrupt / interrupt-empty  end as if stopped from the keyboard
//                            (an error file of 12 lines / an empty one);
//   QUELMMODEL_FAIL=silent   end at once without touching any file (an error file of an
//                            earlier run stays).
#include "kernel/ModelReports.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace {

volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void OnInterrupt(int)
{
    g_interrupted = 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: Quelmmodel <RunID>.qmi\n");
        return 2;
    }
    std::signal(SIGINT, OnInterrupt);

    quelmmodel::RunOptions options;
    options.interrupted = &g_interrupted;
    if (const char* delay = std::getenv("QUELMMODEL_DELAY_MS"))
        options.delayMilliseconds = std::max(0, std::atoi(delay));
    if (const char* fail = std::getenv("QUELMMODEL_FAIL"))
        options.failMode = fail;
    try {
        return quelmmodel::RunModel(argv[1], options);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "Quelmmodel: %s\n", e.what());
        return 1;
    }
}
