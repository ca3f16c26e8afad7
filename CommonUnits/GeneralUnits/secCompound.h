#pragma once
#include "Section.h"

class TSectionCompound : public TSection {
public:
    using TSection::TSection;
    void WriteBody(TStrings* list, int runId) override;
};
