#pragma once
// Modules loaded by name. The platform's libraries that the system binds at run time
// (the visual-style module "UXTHEME.DLL", the window functions of "USER32.DLL", ...) are
// in-process modules: each registers a table of named entry points, and LoadLibrary /
// GetModuleHandle / GetProcAddress look them up by name, case-blind, with or without ".dll".
// A test can hide a module or one of its entries (TModuleOverride) to reach the paths where
// the system finds them missing.
#include "platform/win/WinDef.h"

#include <map>
#include <string>
#include <vector>

struct ModuleObject;
using HMODULE = ModuleObject*;
using HINSTANCE = HMODULE;
using FARPROC = void (*)();

// Registers (or replaces) a module with its entry points. Called at start-up by the units
// that implement a module (see WinUxTheme.cpp); entries are plain function pointers.
void RegisterModule(const std::string& name, const std::vector<std::pair<std::string, FARPROC>>& entries);

// Loaded modules are counted: LoadLibrary adds one, FreeLibrary takes one away.
HMODULE LoadLibraryA(const char* name);
HMODULE LoadLibrary(const char* name);
HMODULE GetModuleHandleA(const char* name); // registered modules count as loaded
HMODULE GetModuleHandle(const char* name);
BOOL FreeLibrary(HMODULE module);
FARPROC GetProcAddress(HMODULE module, const char* name);
int ModuleLoadCount(const char* name); // for tests: LoadLibrary calls not yet freed

// For the lifetime of the object, the named module is absent (LoadLibrary fails) or, with an
// entry name, that entry is missing from it.
class TModuleOverride {
public:
    explicit TModuleOverride(const std::string& module, const std::string& entry = std::string());
    ~TModuleOverride();
    TModuleOverride(const TModuleOverride&) = delete;
    TModuleOverride& operator=(const TModuleOverride&) = delete;

private:
    std::string module_;
    std::string entry_;
};

// Casts an entry point to its signature.
template <class F>
F ProcAs(FARPROC p)
{
    return reinterpret_cast<F>(p);
}
template <class F>
FARPROC AsProc(F f)
{
    return reinterpret_cast<FARPROC>(f);
}
