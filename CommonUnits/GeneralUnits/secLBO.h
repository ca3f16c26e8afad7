#pragma once
// Section "4a": the initial groundwater level and the lower boundary condition of the run's
// location. A measured groundwater level or a pressure-head series is written to the
// boundary file "<RunID>.bot" in the work folder, which the section names.
#include "CommonUnits/GeneralUnits/Section.h"

class TSectionLBO : public TSection {
public:
    using TSection::TSection;
    void WriteBody(TStrings* list, int runId) override;
};

// The location's groundwater level on a date, linear between the nearest measurements on
// either side; the nearest level when the date lies outside them, -99.0 without any.
double InterpolateGroundwaterLevel(const String& locationCode, TDateTime date);
