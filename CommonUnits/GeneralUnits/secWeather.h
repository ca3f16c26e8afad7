#pragma once
// Section "3": the meteo station and irrigation of the run. Writes the station's meteo file
// and, for irrigation from a data series, the scheme's irrigation file into the work folder;
// the input file names both by their bare codes.
#include "CommonUnits/GeneralUnits/Section.h"

class TSectionWeather : public TSection {
public:
    using TSection::TSection;
    void WriteBody(TStrings* list, int runId) override;
};
