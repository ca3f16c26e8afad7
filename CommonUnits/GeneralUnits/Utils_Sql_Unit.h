#pragma once
// One-statement database routines on the alias of a connection.
#include "platform/rtl/SysUtils.h"

// Runs one statement through a temporary query on the alias (set the SQL, prepare,
// execute). The engine's errors reach the caller.
void ExecSql(const String& alias, const String& sql);

// Opens a temporary query on the alias and returns its column "MVALUE" of the first row as
// an integer (0 when that is null or there is no row).
int QueryIntegerValue(const String& alias, const String& sql);
