#pragma once
// The process-wide regional settings that quelmgui forces: '/' as date separator,
// "dd/mm/yyyy" as short date format, '.' as decimal and ',' as thousands separator.
#include "platform/rtl/SysUtils.h"

// The user's own settings as they were before the first forcing.
struct TRecordedRegionalSettings {
    char DateSeparator = '/';
    String ShortDateFormat = "dd/mm/yyyy";
    char DecimalSeparator = '.';
    char ThousandSeparator = ',';
};

// Makes the separators of the user's own locale (decimal, thousands, date) the process's
// settings, as a program's settings start out before anything forces its own values. Called
// once at start-up, before the first ForceRegionalSettings, which records them.
void LoadUserRegionalSettings();

// On the first call records the four values then in force; on every call forces the
// standard values. Never restores the user's values.
void ForceRegionalSettings();

// The values recorded by the first ForceRegionalSettings (the current values before it).
TRecordedRegionalSettings RecordedRegionalSettings();
bool RegionalSettingsRecorded();

// Forgets the recorded values, so that the next ForceRegionalSettings records again.
void ResetRecordedRegionalSettingsForTesting();
