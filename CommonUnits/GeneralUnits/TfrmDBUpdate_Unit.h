#pragma once
// In-place upgrade of a project database, one schema version at a time, up to version 89.
//
// The form is never shown: it carries, for every step from version n to n + 1 (n = 5..88),
// the step's title (Edit_n_m), its script (Memo_n_m) and a label (Label_n_m), and runs them
// on the connection it is given.
//
// Script language, one memo line at a time: a line starting with "//" is a comment and an
// empty line is skipped; a line that is exactly "<EXECUTE>" or "<COMMIT>" (any letter case,
// nothing else on the line) ends the pending statement; every other line is appended to the
// pending statement, so a statement may span lines. Text still pending after the last line is
// run as well.
//
// Every step runs as one transaction together with its version update: a failing statement
// rolls the whole step back and leaves the version where it was, so no later step runs.
// The step from 76 to 77 runs the file "Update_76_77.txt" of the updates folder instead, one
// statement per line; a failing line is reported and the next one runs.
#include "platform/db/DBTables.h"
#include "platform/framework/Forms.h"

#include <map>

class TfrmDBUpdate : public TForm {
public:
    static constexpr int FirstVersion = 5;
    static constexpr int TargetVersion = 89;

    explicit TfrmDBUpdate(TComponent* owner);

    void SetDatabase(TDatabase* database) { database_ = database; }
    int GetDatabaseVersion();
    void SetDatabaseVersion(int version);
    bool NeedsUpgrade(bool reconnectFirst);
    void UpgradeDatabase();
    int RunUpdateScript(TStrings& memo, int targetVersion);
    void RunUpdateFile(const String& path, int targetVersion);
    void ReportUpgradeStep(int targetVersion, int currentVersion, bool afterStep, const String& title);

    // The components of the step from version n to n + 1.
    String& Edit(int n) { return Step(n).edit; }
    TStringList& Memo(int n) { return Step(n).memo; }
    String& Label(int n) { return Step(n).label; }

private:
    struct TUpdateStep {
        String edit;
        TStringList memo;
        String label;
    };
    TUpdateStep& Step(int n);
    void ShowScriptError(const String& sql, const String& message, int targetVersion);

    TDatabase* database_ = nullptr;
    std::map<int, TUpdateStep> steps_;
};
