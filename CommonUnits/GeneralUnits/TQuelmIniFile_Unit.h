#pragma once
// The connection settings that every database connection of quelmgui logs in with.
//
// No file is read: the built-in values are the only values, and every connection goes to a
// database file on the local machine. The embedded engine needs no password, so none is
// built in.
#include "platform/rtl/SysUtils.h"

class TQuelmIniFile : public TObject {
public:
    // The singleton, created on first use and freed at program end.
    static TQuelmIniFile& Instance();
    static String UserName();
    static String Password();
    static bool IsLocalDatabase();

private:
    TQuelmIniFile() = default;
    String userName_ = "DODODO";
    String password_;
    bool localDatabase_ = true;
};
