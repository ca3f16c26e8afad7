// Any bytes as a model input file: reading and taking apart collect errors and never fail
// otherwise. The work folder does not exist, so no side file is found.
#include "kernel/ModelRun.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    quelmmodel::InputFile input;
    quelmmodel::ErrorList errors;
    input.Parse(String(reinterpret_cast<const char*>(data), size), "fuzz.qmi", errors);
    quelmmodel::RunDescription run;
    std::vector<String> notes;
    quelmmodel::BuildRun(input, "/nonexistent-quelm-work-folder", "1", run, errors, notes);
    return 0;
}
