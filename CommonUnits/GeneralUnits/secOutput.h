#pragma once
// Section "8": vertical-profile dates, formats, output depths, the print switch of every
// output variable of the run and fixed report options. Called without a list it fails its
// assertion.
#include "CommonUnits/GeneralUnits/Section.h"

class TSectionOutput : public TSection {
public:
    using TSection::TSection;
    void WriteBody(TStrings* list, int runId) override;
};
