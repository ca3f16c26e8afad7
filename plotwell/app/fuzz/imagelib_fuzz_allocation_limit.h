#pragma once
// Included by each image reader fuzz target (one per program): the target runs with an allocation
// limit of 64 MB unless one is given on the command line, so that a reader allocating more than a
// fuzz input (and the lowered pixel cap) can justify is reported as a finding.
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    for (int i = 1; i < *argc; ++i)
        if (std::strncmp((*argv)[i], "-malloc_limit_mb=", 17) == 0) return 0;
    static std::vector<char*> arguments;
    static char limit[] = "-malloc_limit_mb=64";
    arguments.assign(*argv, *argv + *argc);
    arguments.insert(arguments.begin() + 1, limit);
    arguments.push_back(nullptr);
    *argv = arguments.data();
    *argc += 1;
    return 0;
}
