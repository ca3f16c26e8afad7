#include "CommonUnits/GeneralUnits/TQuelmIniFile_Unit.h"

TQuelmIniFile& TQuelmIniFile::Instance()
{
    static TQuelmIniFile instance;
    return instance;
}

String TQuelmIniFile::UserName()
{
    return Instance().userName_;
}

String TQuelmIniFile::Password()
{
    return Instance().password_;
}

bool TQuelmIniFile::IsLocalDatabase()
{
    return Instance().localDatabase_;
}
