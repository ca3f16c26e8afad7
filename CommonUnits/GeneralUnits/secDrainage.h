#pragma once
// Section "4b": whether the run's location is drained and the parameters of each drainage
// level by its own number; the kernel knows five levels and those not used are still named.
#include "CommonUnits/GeneralUnits/Section.h"

class TSectionDrainage : public TSection {
public:
    using TSection::TSection;
    void WriteBody(TStrings* list, int runId) override;
};
