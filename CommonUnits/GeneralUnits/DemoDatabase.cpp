#include "CommonUnits/GeneralUnits/DemoDatabase.h"

#include "CommonUnits/GeneralUnits/Utils_Registry_Unit.h"
#include "platform/db/DBTables.h"
#include "platform/rtl/FileUtils.h"

#include <cstdlib>

String ProjectDatabaseSql(const String& name)
{
    const std::optional<std::string> bytes = ReadEmbeddedFile("quelm/database/" + name);
    if (!bytes)
        throw EInOutError("The database script " + name + " is not part of this program.");
    return Utf8ToString(*bytes);
}

void CreateProjectDatabase(const String& path, bool withDemoData)
{
    if (FileExists(path))
        throw EInOutError("The file " + path + " already exists.");
    const String folder = ExtractFileDir(path);
    if (!folder.empty() && !DirectoryExists(folder) && !ForceDirectories(folder))
        throw EInOutError("Cannot create the folder " + folder + ".");
    // Built under a temporary name and renamed at the end, so that a failure leaves no
    // half-made database behind.
    const String part = path + ".part";
    DeleteFile(part);
    WriteStringToFile(part, String());
    try {
        TDatabase db;
        db.Params.Add("SERVER NAME=" + part);
        db.Open();
        String script = ProjectDatabaseSql("schema.sql") + "\n" + ProjectDatabaseSql("constraints.sql") + "\n";
        if (withDemoData)
            script += ProjectDatabaseSql("demo.sql");
        else
            script += "INSERT INTO DBINFO (DBVERSION, DBDATE, ACCESSED) VALUES (89, CURRENT_TIMESTAMP, 'Yes');\n";
        ExecuteSqlScript(db, script);
        db.Close();
    } catch (...) {
        DeleteFile(part);
        throw;
    }
    if (!RenameFile(part, path)) {
        DeleteFile(part);
        throw EInOutError("Cannot create the file " + path + ".");
    }
}

String DefaultDemoDatabasePath()
{
    String folder;
    if (const char* dir = std::getenv("QUELM_DATA_DIR"); dir && *dir)
        folder = dir;
    else if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg)
        folder = PathJoin(xdg, "quelm");
    else if (const char* home = std::getenv("HOME"); home && *home)
        folder = PathJoin(PathJoin(PathJoin(home, ".local"), "share"), "quelm");
    else
        folder = PathJoin(GetTempDir(), "quelm");
    return PathJoin(folder, "Projects.vantor");
}

namespace {

bool SameFile(const String& a, const String& b)
{
    return !Trim(a).empty() && !Trim(b).empty() && ExpandFileName(a) == ExpandFileName(b);
}

// The machine-wide "theDatabase": the demo database that comes with the programs. It is a
// template that installs and builds replace; nobody works in it.
String DemoTemplatePath()
{
    if (!RegistryValueExists(HKEY_LOCAL_MACHINE, REG_DATABASE))
        return String();
    return ReadRegistryString(HKEY_LOCAL_MACHINE, REG_DATABASE);
}

// The user's own copy of the template (or, without a template, a new demo database), made
// under a temporary name so that it appears whole or not at all.
void MakeUsersDemoDatabase(const String& path, const String& templatePath)
{
    if (templatePath.empty() || !FileExists(templatePath)) {
        CreateProjectDatabase(path, true);
        return;
    }
    const String folder = ExtractFileDir(path);
    if (!folder.empty() && !DirectoryExists(folder) && !ForceDirectories(folder))
        throw EInOutError("Cannot create the folder " + folder + ".");
    const String part = path + ".part";
    DeleteFile(part);
    if (!CopyFileTo(templatePath, part, false) || !RenameFile(part, path)) {
        DeleteFile(part);
        throw EInOutError("Cannot create the file " + path + ".");
    }
}

} // namespace

String ProvideDemoDatabase()
{
    const String templatePath = DemoTemplatePath();
    if (RegistryValueExists(HKEY_CURRENT_USER, REG_DATABASE)) {
        // A registered file that has gone missing is the connection's business: it says so
        // and lets the user choose (the demo database is not slipped in silently). Only the
        // template itself is never used as the user's database.
        const String current = ReadRegistryString(HKEY_CURRENT_USER, REG_DATABASE);
        if (!Trim(current).empty() && !SameFile(current, templatePath))
            return current;
    }
    const String path = DefaultDemoDatabasePath();
    if (!FileExists(path))
        MakeUsersDemoDatabase(path, templatePath);
    WriteRegistryString(HKEY_CURRENT_USER, REG_DATABASE, path);
    return path;
}
