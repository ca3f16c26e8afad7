#pragma once
// The program's version (from its compiled-in version resource) and its identity texts:
// product name, title, release date, database version, about text, result words.
#include "platform/rtl/SysUtils.h"

// One instance per process, made by CreateSingleton before anything else at start-up.
class TVersionInfo : public TObject {
public:
    // "Error: Object already created, use TVersionInfo.GetSingleton." when one exists.
    static TVersionInfo* CreateSingleton();
    // "Error: Object not created, use TVersionInfo.CreateSingleton." when none exists.
    static TVersionInfo* GetSingleton();
    // Frees the instance when there is one.
    static void DestroySingleton();
    static bool SingletonExists();

    // Direct creation or destruction would bypass the singleton: both raise.
    [[noreturn]] static void Create();
    [[noreturn]] void Destroy();

    const String& Major() const { return major_; }
    const String& Minor() const { return minor_; }
    const String& Release() const { return release_; }
    const String& Build() const { return build_; }

    ~TVersionInfo() override;

private:
    TVersionInfo();

    String major_;
    String minor_;
    String release_;
    String build_;
};

String GetProductName();                // "RavuzAVEDE"
String GetApplicationTitle();           // "RavuzAVEDE 2.1.2"
String GetReleaseDate();                // "April 2016"
String GetApplicationTitleWithDate();   // "RavuzAVEDE 2.1.2 (April 2016)"
String GetAboutText();
// The two result-state words of a run's RESULTSSUMMARY and RESULTSDETAILED.
inline const String ResultAvailable = "Available";
inline const String ResultNotAvailable = "NotAvailable";

// DBVERSION of the open database as text. The data module provides it; until one is
// connected the text is empty.
String GetDatabaseVersionText();
using TDatabaseVersionSource = String (*)();
void SetDatabaseVersionSource(TDatabaseVersionSource source);
