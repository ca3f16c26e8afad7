#include "CommonUnits/GeneralUnits/Utils_Sql_Unit.h"

#include "platform/db/DBTables.h"
#include "platform/dbctrls/DBCtrls.h"
#include "platform/framework/Dialogs.h"
#include "platform/framework/StdCtrls.h"

void ExecSql(const String& alias, const String& sql)
{
    TQuery query;
    query.DatabaseName = alias;
    query.SQL.Add(sql);
    query.Prepare();
    query.ExecSQL();
}

int QueryIntegerValue(const String& alias, const String& sql)
{
    TQuery query;
    query.DatabaseName = alias;
    query.SQL.Add(sql);
    query.Open();
    const int value = query.Eof() ? 0 : query.FieldByName("MVALUE")->AsInteger();
    query.Close();
    return value;
}

void FillComboFromQuery(const String& alias, const String& sql, TComboBox* combo, bool keepExisting,
                        TStrings* keys)
{
    TQuery query;
    query.DatabaseName = alias;
    query.SQL.Add(sql);
    query.Open();
    if (!keepExisting) {
        combo->Items()->Clear();
        if (keys)
            keys->Clear();
    }
    int rows = 0;
    if (query.Eof()) {
        MessageDlg("No items found for combo box", mtError, TMsgDlgButtons() << mbOK, 0);
    } else {
        for (; !query.Eof(); query.Next(), ++rows) {
            combo->Items()->Add(query.FieldByName("ITEM1")->AsString());
            if (keys)
                keys->Add(query.FieldByName("ITEM2")->AsString());
        }
        combo->SetItemIndex(0);
    }
    combo->SetDropDownCount(rows);
    query.Close();
}

void EnableDBEdit(TDBEdit* edit, bool enabled)
{
    edit->SetEnabled(enabled);
    edit->SetColor(enabled ? clWindow : clBtnFace);
}
