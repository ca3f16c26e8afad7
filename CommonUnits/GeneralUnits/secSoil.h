#pragma once
// Section "2": the soil profile of the run's location as horizon tables, the ponding and
// soil-evaporation parameters and the profile's relative-diffusion model. Values in the
// horizon tables are the database's own texts (no ".0" added), except the bulk density.
#include "CommonUnits/GeneralUnits/Section.h"

class TSectionSoil : public TSection {
public:
    using TSection::TSection;
    void WriteBody(TStrings* list, int runId) override;
};
