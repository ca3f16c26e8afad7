#include "Utils_RegionalSettings_Unit.h"

#include <optional>

namespace {

std::optional<TRecordedRegionalSettings>& Recorded()
{
    static std::optional<TRecordedRegionalSettings> recorded;
    return recorded;
}

TRecordedRegionalSettings Current()
{
    const TFormatSettings& fs = FormatSettings();
    return TRecordedRegionalSettings{fs.DateSeparator, fs.ShortDateFormat, fs.DecimalSeparator, fs.ThousandSeparator};
}

} // namespace

void ForceRegionalSettings()
{
    if (!Recorded())
        Recorded() = Current();
    TFormatSettings& fs = FormatSettings();
    fs.DateSeparator = '/';
    fs.ShortDateFormat = String("dd") + fs.DateSeparator + "mm" + fs.DateSeparator + "yyyy";
    fs.DecimalSeparator = '.';
    fs.ThousandSeparator = ',';
}

TRecordedRegionalSettings RecordedRegionalSettings()
{
    return Recorded() ? *Recorded() : Current();
}

bool RegionalSettingsRecorded()
{
    return Recorded().has_value();
}

void ResetRecordedRegionalSettingsForTesting()
{
    Recorded().reset();
}
