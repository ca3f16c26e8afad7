#pragma once
// Section "5": the run's substance and every metabolite that can form from it (the
// transformation tree), with their parameters and the depth factors per horizon. The value
// column of this section is 17 characters wide.
#include "CommonUnits/GeneralUnits/Section.h"

class TSectionCompound : public TSection {
public:
    using TSection::TSection;
    void WriteBody(TStrings* list, int runId) override;
};
