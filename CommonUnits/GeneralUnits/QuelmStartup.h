#pragma once
// quelmgui's program main block: brings the application up in its fixed order and runs the
// message loop.
//
// Order: application object; the process's number locale pinned to C (format settings
// never follow the user's locale); version information; the per-user database value seeded
// from the machine-wide one; the forced regional settings; the start-up window, painted
// once; the user's own copy of the demo database
// for a user who has none; the data module (which finds, checks, upgrades and opens the database); the main
// window, shown; the start-up window freed; the message loop.
#include "platform/rtl/SysUtils.h"

#include <functional>

// The steps that other parts of the program provide. The program installs them before it
// calls RunStartup; a step that is not installed is left out.
struct TStartupSteps {
    std::function<void()> CreateDataModule; // Application->CreateForm of the data module
    std::function<void()> CreateMainForm;   // Application->CreateForm of the main window
};
TStartupSteps& StartupSteps();

// Runs the program; returns its exit code. Without a main window the start-up window stays
// up as the program's only window until the program is ended.
int RunStartup(int& argc, char** argv);
// Everything after the application object: the steps and the message loop.
int StartApplication();

// When the per-user value "theDatabase" is missing, copies the machine-wide one (with the
// messages of ReadRegistryString when that is missing too, then an empty value).
void SeedUserDatabaseValue();

// Makes C the locale of number conversions of the process and of Qt's default locale.
void PinNumberLocale();
