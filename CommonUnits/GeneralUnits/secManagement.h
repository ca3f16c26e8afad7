#pragma once
#include "Section.h"

class TSectionManagement : public TSection {
public:
    using TSection::TSection;
    void WriteBody(TStrings* list, int runId) override;
};
