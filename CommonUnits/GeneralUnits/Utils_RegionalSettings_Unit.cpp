#include "Utils_RegionalSettings_Unit.h"

#include <QLocale>
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
char SingleByte(const QString& text, char fallback)
{
    const String bytes = FromQString(text);
    return bytes.size() == 1 && bytes[0] != '?' ? bytes[0] : fallback;
}

} // namespace

void LoadUserRegionalSettings()
{
    const QLocale user = QLocale::system();
    TFormatSettings settings = UserFormatSettings();
    settings.DecimalSeparator = SingleByte(user.decimalPoint(), settings.DecimalSeparator);
    settings.ThousandSeparator = SingleByte(user.groupSeparator(), settings.ThousandSeparator);
    const QString dateFormat = user.dateFormat(QLocale::ShortFormat);
    for (QChar c : dateFormat) {
        if (c.isPunct()) { // the first mark between the day, month and year fields
            settings.DateSeparator = SingleByte(QString(c), settings.DateSeparator);
            break;
        }
    }
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
