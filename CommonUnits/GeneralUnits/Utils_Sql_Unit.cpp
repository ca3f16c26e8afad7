#include "Utils_Sql_Unit.h"

#include "platform/db/DBTables.h"

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
