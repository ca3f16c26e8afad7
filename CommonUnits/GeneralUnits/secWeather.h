#pragma once
#include "Section.h"

class TSectionWeather : public TSection {
public:
    using TSection::TSection;
    void WriteBody(TStrings* list, int runId) override;
};
