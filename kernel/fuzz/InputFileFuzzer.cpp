// Any bytes as a model input file: the reader collects errors and never fails otherwise.
#include "ModelInput.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    quelmmodel::InputFile input;
    quelmmodel::ErrorList errors;
    input.Parse(String(reinterpret_cast<const char*>(data), size), "fuzz.qmi", errors);
    return 0;
}
