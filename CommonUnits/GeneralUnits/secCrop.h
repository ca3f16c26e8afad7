#pragma once
// Section "7": the crop calendar with each crop's emergence, harvest and irrigation period,
// and per calendar crop its stage and root-density tables and parameters. A crop is named by
// its crop code followed by its sequence number in the calendar ("Maize1").
#include "CommonUnits/GeneralUnits/Section.h"

class TSectionCrop : public TSection {
public:
    using TSection::TSection;
    void WriteBody(TStrings* list, int runId) override;
};
