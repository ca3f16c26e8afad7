#pragma once
#include "Section.h"

class TSectionOutput : public TSection {
public:
    using TSection::TSection;
    void WriteBody(TStrings* list, int runId) override;
};
