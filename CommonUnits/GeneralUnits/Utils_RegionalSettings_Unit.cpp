#include "CommonUnits/GeneralUnits/Utils_RegionalSettings_Unit.h"

#include "platform/win/WinEnvironment.h"

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

namespace {

// The single-byte form of a separator of the locale; the fallback when it has none.
char SingleByte(DWORD type, char fallback)
{
    const String bytes = GetUserLocaleInfo(type);
    return bytes.size() == 1 && bytes[0] != '?' ? bytes[0] : fallback;
}

} // namespace

void LoadUserRegionalSettings()
{
    TFormatSettings settings = UserFormatSettings();
    settings.DecimalSeparator = SingleByte(LOCALE_SDECIMAL, settings.DecimalSeparator);
    settings.ThousandSeparator = SingleByte(LOCALE_STHOUSAND, settings.ThousandSeparator);
    settings.DateSeparator = SingleByte(LOCALE_SDATE, settings.DateSeparator);
    SetUserFormatSettings(settings, true);
}

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
