#pragma once
// The project database's schema and shipped data, and new databases made from them.
//
// The SQL ships inside the program: "schema.sql" (the tables of schema version 89 with their
// named rules), "constraints.sql" (the user's text for every rule) and "demo.sql" (option
// lists, the output-variable dictionary and the locked demonstration scenario).
#include "platform/rtl/SysUtils.h"

// The text of one shipped script; EInOutError when there is no such script.
String ProjectDatabaseSql(const String& name);

// Makes a new project database file at `path` (its folder is created when missing): the
// schema and rule texts, and with `withDemoData` the shipped data, else only the version row.
// The file appears only when it is complete; an existing file is never touched
// (EInOutError "The file ... already exists.").
void CreateProjectDatabase(const String& path, bool withDemoData);

// Where a user's own demo database lives: $QUELM_DATA_DIR, else $XDG_DATA_HOME/quelm, else
// ~/.local/share/quelm; the file is "Projects.vantor".
String DefaultDemoDatabasePath();

// Start-up: the user works in a database of their own, never in the demo database that comes
// with the programs (the machine-wide "theDatabase", which installs and builds replace). When
// the per-user value "theDatabase" is missing, empty or names that template, the user's own
// copy at DefaultDemoDatabasePath is registered; it is copied from the template (made from the
// shipped SQL when there is none) only when it does not exist yet, so a later build or
// install never touches it. Returns the registered path. Shows no message.
String ProvideDemoDatabase();
