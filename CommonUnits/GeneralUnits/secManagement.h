#pragma once
// Section "6": applications (dated and relative to crop events), tillage dates, initial
// concentration profiles, depositions and the tillage depth.
#include "CommonUnits/GeneralUnits/Section.h"

class TSectionManagement : public TSection {
public:
    using TSection::TSection;
    void WriteBody(TStrings* list, int runId) override;
};
