#pragma once
// One-statement database routines on the alias of a connection, filling a combo box from a
// query, and switching a data-aware edit on and off.
#include "platform/rtl/Classes.h"
#include "platform/rtl/SysUtils.h"

class TComboBox;
class TDBEdit;

// Runs one statement through a temporary query on the alias (set the SQL, prepare,
// execute). The engine's errors reach the caller.
void ExecSql(const String& alias, const String& sql);

// Opens a temporary query on the alias and returns its column "MVALUE" of the first row as
// an integer (0 when that is null or there is no row).
int QueryIntegerValue(const String& alias, const String& sql);

// Fills the combo box from a query whose columns are "ITEM1" (the text shown) and "ITEM2"
// (the key, put in keys at the same index). Unless keepExisting, the items and the keys are
// cleared first. Selects item 0 and sets the drop-down count to the number of rows; a query
// without rows says "No items found for combo box" and adds nothing. The engine's errors
// reach the caller.
void FillComboFromQuery(const String& alias, const String& sql, TComboBox* combo, bool keepExisting,
                        TStrings* keys);

// Enables or disables the edit; an enabled edit is clWindow, a disabled one clBtnFace.
void EnableDBEdit(TDBEdit* edit, bool enabled);
