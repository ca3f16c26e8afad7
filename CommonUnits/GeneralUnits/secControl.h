#pragma once
// Section "1": the calling program, the simulation period, print options, the hydrological
// solver's time steps and tolerances, and fixed switches, from the run's record.
#include "CommonUnits/GeneralUnits/Section.h"

class TSectionControl : public TSection {
public:
    using TSection::TSection;
    void WriteBody(TStrings* list, int runId) override;
};
