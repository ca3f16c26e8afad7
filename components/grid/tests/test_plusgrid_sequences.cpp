// Fixed random sequences of the string grid's structure operations, checked after each
// operation by the same rules the fuzz target applies.
#include "components/grid/fuzz/stringgrid_ops.h"

#include <gtest/gtest.h>
#include <random>

TEST(PlusGridSequences, RandomOperationSequencesKeepTheInvariants)
{
    std::mt19937 random(20261210);
    for (int run = 0; run < 300; ++run) {
        std::vector<uint8_t> bytes(size_t(40 + random() % 200));
        for (auto& b : bytes)
            b = uint8_t(random());
        stringgrid_ops::Run(bytes.data(), bytes.size());
    }
    SUCCEED();
}
