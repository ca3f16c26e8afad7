#include "CommonUnits/GeneralUnits/TDBConnector_Unit.h"

#include "CommonUnits/GeneralUnits/TQuelmIniFile_Unit.h"
#include "CommonUnits/GeneralUnits/TVersionInfo_Unit.h"
#include "CommonUnits/GeneralUnits/TfrmDBUpdate_Unit.h"
#include "platform/framework/Dialogs.h"
#include "platform/framework/Forms.h"
#include "platform/rtl/FileUtils.h"
#include "platform/win/WinCommDlg.h"
#include "platform/win/WinEnvironment.h"

#include <memory>

unsigned TDBConnector::ReconnectWaitMs = 2000;

namespace {

TOpenFileDialog& OpenDialog()
{
    static TOpenFileDialog dialog;
    return dialog;
}

// The program's open-file dialog: the file must exist; the read-only box is not offered.
bool ShowOpenDialog(TOpenFileRequest& request)
{
    // "description|mask;mask|..." becomes the dialog's "description\0mask;mask\0...\0\0", each
    // mask in lower and upper case (file names here are case-sensitive)
    std::string filter;
    const std::vector<String> parts = SplitString(request.Filter, '|');
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        String description = Trim(parts[i]);
        const size_t open = description.find('(');
        if (open != String::npos)
            description = Trim(description.substr(0, open));
        String masks;
        for (const String& mask : SplitString(parts[i + 1], ';'))
            masks += (masks.empty() ? "" : ";") + LowerCase(Trim(mask)) + ";" + UpperCase(Trim(mask));
        filter += description; // the dialog shows the masks after it
        filter += '\0';
        filter += masks;
        filter += '\0';
    }
    filter += '\0';
    char file[4096] = {};
    OPENFILENAMEA ofn;
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    ofn.lpstrInitialDir = request.InitialDir.c_str();
    ofn.lpstrTitle = request.Title.c_str();
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    if (!GetOpenFileNameA(&ofn))
        return false;
    request.FileName = file;
    return true;
}

void Pause(unsigned ms)
{
    Sleep(ms);
}

// The database engine writes the file and, beside it, its journal: both must be writable.
bool DatabaseCannotBeWritten(const String& path)
{
    return FileIsReadOnly(path) || FileIsReadOnly(ExtractFileDir(ExpandFileName(path)));
}

void ReportUnwritableDatabase(const String& path)
{
    MessageDlg(Format("The file \"%s\" cannot be written (the file or its folder is read-only), please select an "
                      "alternative database file.",
                      {path}),
               mtError, {mbOK}, 0);
}

} // namespace

void SetOpenFileDialog(TOpenFileDialog dialog)
{
    OpenDialog() = std::move(dialog);
}

bool ExecuteOpenFileDialog(TOpenFileRequest& request)
{
    return OpenDialog() ? OpenDialog()(request) : ShowOpenDialog(request);
}

TDBConnector::TDBConnector(const String& path) : path_(path) {}

void TDBConnector::ConfigureConnection(TDatabase& database, const String& aliasName, const String& path)
{
    database.DriverName = "VANTOR";
    database.LoginPrompt = false;
    database.SetDatabaseName(aliasName);
    database.Params.Clear();
    const char* const lines[] = {
        "OPEN MODE=READ/WRITE",   "SCHEMA CACHE SIZE=8", "LANGDRIVER=DBWINUS0",   "SQLQRYMODE=SERVER",
        "SQLPASSTHRU MODE=SHARED AUTOCOMMIT", "SCHEMA CACHE TIME=-1", "MAX ROWS=-1", "BATCH COUNT=200",
        "ENABLE SCHEMA CACHE=FALSE", "SCHEMA CACHE DIR=", "ENABLE BCD=FALSE", "BLOBS TO CACHE=64", "BLOB SIZE=32",
        "WAIT ON LOCKS=FALSE",    "COMMIT RETAIN=FALSE", "ROLE NAME=",
    };
    database.Params.Add("SERVER NAME=" + path);
    database.Params.Add("USER NAME=" + TQuelmIniFile::UserName());
    for (const char* line : lines)
        database.Params.Add(line);
    database.Params.Add("PASSWORD=" + TQuelmIniFile::Password());
}

void TDBConnector::ConfigureDatabase(TDatabase& database, const String& aliasName) const
{
    ConfigureConnection(database, aliasName, path_);
}

bool TDBConnector::Connect(bool selectFile, bool force, TDatabase* database)
{
    if (Screen)
        Screen->SetCursor(crHourGlass);
    Assert(database != nullptr, "", "CommonUnits\\GeneralUnits\\TDBConnector_Unit", 51);
    if (!force && database->Connected()) {
        MessageDlg("TDBConnector.Connect: nothing to do !", mtWarning, {mbOK}, 0);
        return false;
    }
    if (selectFile && !SelectDatabaseFile(force))
        return false;
    if (!TestAndUpgradeDatabase())
        return false;
    if (database->Connected()) {
        database->Close();
        Pause(ReconnectWaitMs);
    }
    ConfigureDatabase(*database, "theDatabase");
    try {
        database->Open();
    } catch (const EDatabaseError& e) {
        // The file passed its test a moment ago; report what went wrong instead of leaving
        // the caller with an engine error at start-up.
        MessageDlg(e.Message(), mtError, {mbOK}, 0);
        return false;
    }
    return database->Connected();
}

bool TDBConnector::SelectDatabaseFile(bool force)
{
    bool mustChoose = force || path_.empty();
    if (!mustChoose && !FileExists(path_)) {
        MessageDlg(Format("The file \"%s\" does not exist, please select an alternative database file.", {path_}),
                   mtError, {mbOK}, 0);
        mustChoose = true;
    } else if (!mustChoose && DatabaseCannotBeWritten(path_)) {
        ReportUnwritableDatabase(path_);
        mustChoose = true;
    }
    if (!mustChoose)
        return true;
    TOpenFileRequest request;
    request.Title = "Open " + GetProductName() + " database";
    if (!path_.empty())
        request.InitialDir = ExtractFileDir(path_);
    request.Filter = "Vantor databases (*.vantor) |*.VANTOR|All files (*.*)|*.*";
    // a read-only file is not accepted: the dialog opens again until the user chooses another
    // file or cancels
    while (true) {
        if (!ExecuteOpenFileDialog(request))
            return false;
        if (!FileExists(request.FileName) || !DatabaseCannotBeWritten(request.FileName))
            break;
        ReportUnwritableDatabase(request.FileName);
        request.InitialDir = ExtractFileDir(request.FileName);
    }
    if (request.FileName == path_) {
        MessageDlg("Old and new database file are identical, cancelling opening.", mtWarning, {mbOK}, 0);
        return false;
    }
    path_ = request.FileName;
    return true;
}

bool TDBConnector::TestAndUpgradeDatabase()
{
    bool result = false;
    try {
        TDatabase test;
        ConfigureDatabase(test, "TestConnection");
        test.Open();
        std::unique_ptr<TfrmDBUpdate> form(New<TfrmDBUpdate>(nullptr));
        form->SetDatabase(&test);
        if (!form->NeedsUpgrade(false)) {
            result = true;
        } else if (MessageDlg(Format("The database \"%s\" needs updating.\rPerforming this update could invalidate "
                                     "all output !\r\rDo you want to continue updating this database ?",
                                     {path_}),
                              mtConfirmation, {mbOK, mbCancel}, 0) == mrOk) {
            if (Application)
                Application->ProcessMessages();
            form->UpgradeDatabase();
            result = test.Connected();
        }
        form.reset();
        test.Close();
    } catch (const std::exception& e) {
        MessageDlg(e.what(), mtError, {mbOK}, 0);
        result = false;
    }
    return result;
}
