#pragma once
// Selects, tests, upgrades and opens the project database file for the data module.
//
// One connector lives for one call: the data module makes one at start-up and one when the
// user opens another database, and reads the chosen path back after Connect.
#include "platform/db/DBTables.h"

#include <functional>

// What an open-file dialog of the program is asked (the database selection, the imports);
// FileName is the answer.
struct TOpenFileRequest {
    String Title;
    String InitialDir;
    String Filter; // "Description|mask|Description|mask"
    String FileName;
};
// The dialog: true when the user chose an existing file. Tests install their own; an empty
// function restores the program's dialog.
using TOpenFileDialog = std::function<bool(TOpenFileRequest&)>;
void SetOpenFileDialog(TOpenFileDialog dialog);
bool ExecuteOpenFileDialog(TOpenFileRequest& request);

class TDBConnector : public TObject {
public:
    explicit TDBConnector(const String& path);

    // True when the database connection is open at the end. selectFile: the local-database
    // setting; force: the user picks another file (false at start-up).
    bool Connect(bool selectFile, bool force, TDatabase* database);
    // True when a usable path is set. The user chooses (open-file dialog) when forced, when the
    // path is empty, names no file, or names a file that cannot be written (the file or its
    // folder read-only; reported by name); a chosen file that cannot be written is reported and
    // the dialog opens again.
    bool SelectDatabaseFile(bool force);
    bool TestAndUpgradeDatabase();
    // The connection's configuration for this connector's file under the given alias.
    void ConfigureDatabase(TDatabase& database, const String& aliasName) const;
    // The same for any file (the server check configures its test connection this way).
    static void ConfigureConnection(TDatabase& database, const String& aliasName, const String& path);

    String DatabaseFile() const { return path_; }

    // The pause after closing the open connection before the new one is made.
    static unsigned ReconnectWaitMs;

private:
    String path_;
};
