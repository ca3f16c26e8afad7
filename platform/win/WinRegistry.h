#pragma once
// The registry: a store of INI files, one per root, and the framework's TRegistry over it.
//
// Files: HKEY_LOCAL_MACHINE.ini and HKEY_CURRENT_USER.ini in $QUELM_REGISTRY_DIR when set
// (tests, portable installs); otherwise the machine store lies beside the installed
// programs (the folder of the running program file) and the user store in
// $XDG_CONFIG_HOME/quelm/. The store is read afresh on every access and every write goes
// to disk at once (temporary file, then rename, under a lock), so two programs that run
// at the same time see each other's values. Key paths and value names compare without
// regard to letter case, as the registry does; the spelling first written is kept.
//
// File format, one section per key:
//     [SOFTWARE\RIZOZORERU212]
//     "theDatabase"="/home/user/Projects.vantor"
//     "Count"=dword:0000000a
// Inside quotes, \\ \" \n \r \t are escapes. Text is stored as the system's single bytes.
#include "platform/win/WinDef.h"
#include "platform/rtl/Classes.h"

struct HKEY__;
using HKEY = HKEY__*;
inline HKEY const HKEY_CURRENT_USER = reinterpret_cast<HKEY>(uintptr_t(0x80000001u));
inline HKEY const HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(uintptr_t(0x80000002u));

// Path of the file that holds the root's keys (HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER).
// ERegistryException for any other root.
String RegistryStoreFile(HKEY root);
const char* RegistryRootName(HKEY root);

// The framework's registry error.
class ERegistryException : public Exception {
public:
    using Exception::Exception;
};

// Access rights of TRegistry; only "read only" makes a difference here.
constexpr unsigned KEY_READ = 0x20019;
constexpr unsigned KEY_WRITE = 0x20006;
constexpr unsigned KEY_ALL_ACCESS = 0xF003F;

class TRegistry : public TObject {
public:
    TRegistry();                        // root HKEY_CURRENT_USER, all access
    explicit TRegistry(unsigned access);
    ~TRegistry() override;

    HKEY RootKey() const { return root_; }
    void SetRootKey(HKEY root);         // closes an open key
    unsigned Access = KEY_ALL_ACCESS;

    // A key path beginning with '\' is absolute; otherwise it is below the open key.
    // OpenKey with canCreate makes the key when missing (false when the store cannot be
    // written); without it, and OpenKeyReadOnly, give false for a missing key.
    bool OpenKey(const String& key, bool canCreate);
    bool OpenKeyReadOnly(const String& key);
    void CloseKey();
    bool HasOpenKey() const { return open_; }
    String CurrentPath() const { return current_; }

    bool KeyExists(const String& key) const;
    bool ValueExists(const String& name) const;
    // Missing value: empty text. A value of another type: ERegistryException.
    String ReadString(const String& name) const;
    // Missing value or another type: ERegistryException "Invalid data type for '<name>'".
    int ReadInteger(const String& name) const;
    // Failure (no open key, read-only access, store not writable): ERegistryException
    // "Failed to set data for '<name>'".
    void WriteString(const String& name, const String& value);
    void WriteInteger(const String& name, int value);
    bool DeleteValue(const String& name);
    bool DeleteKey(const String& key);
    void GetValueNames(TStrings& names) const;
    void GetKeyNames(TStrings& names) const;

private:
    String Resolve(const String& key) const;

    HKEY root_;
    String current_; // normalised key path without leading '\'; "" is the root itself
    bool open_ = false;
    bool readOnly_ = false;
};
