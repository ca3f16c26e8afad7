#include "platform/win/WinModule.h"

#include <algorithm>
#include <cctype>
#include <set>

struct ModuleObject {
    std::string name;
    std::map<std::string, FARPROC> entries;
    int loads = 0;
};

namespace {

struct Registry {
    std::map<std::string, ModuleObject*> modules; // objects live for the process
    std::set<std::string> hiddenModules;
    std::set<std::pair<std::string, std::string>> hiddenEntries;
};

void RegisterBuiltinModules();

Registry& Modules()
{
    static Registry* registry = new Registry;
    return *registry;
}

void EnsureBuiltins()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    RegisterBuiltinModules();
}

std::string Key(const char* name)
{
    std::string key = name ? name : "";
    std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return char(std::toupper(c)); });
    const auto slash = key.find_last_of("\\/");
    if (slash != std::string::npos)
        key = key.substr(slash + 1);
    if (key.size() > 4 && key.compare(key.size() - 4, 4, ".DLL") == 0)
        key.resize(key.size() - 4);
    return key;
}

HMODULE Find(const char* name)
{
    EnsureBuiltins();
    const std::string key = Key(name);
    auto& r = Modules();
    if (r.hiddenModules.count(key))
        return nullptr;
    const auto it = r.modules.find(key);
    return it == r.modules.end() ? nullptr : it->second;
}

} // namespace

// The modules of the platform itself; listed here so that the linker keeps them.
void RegisterUxThemeModule();
void RegisterUser32Module();

namespace {
void RegisterBuiltinModules()
{
    RegisterUxThemeModule();
    RegisterUser32Module();
}
} // namespace

void RegisterModule(const std::string& name, const std::vector<std::pair<std::string, FARPROC>>& entries)
{
    const std::string key = Key(name.c_str());
    ModuleObject*& m = Modules().modules[key];
    if (!m)
        m = new ModuleObject;
    m->name = key;
    m->entries.clear();
    for (const auto& [entry, proc] : entries)
        m->entries[entry] = proc;
}

HMODULE LoadLibraryA(const char* name)
{
    HMODULE m = Find(name);
    if (m)
        ++m->loads;
    return m;
}

HMODULE LoadLibrary(const char* name)
{
    return LoadLibraryA(name);
}

HMODULE GetModuleHandleA(const char* name)
{
    return Find(name);
}

HMODULE GetModuleHandle(const char* name)
{
    return Find(name);
}

BOOL FreeLibrary(HMODULE module)
{
    if (!module || module->loads <= 0)
        return FALSE;
    --module->loads;
    return TRUE;
}

FARPROC GetProcAddress(HMODULE module, const char* name)
{
    if (!module || !name)
        return nullptr;
    if (Modules().hiddenEntries.count({module->name, name}))
        return nullptr;
    const auto it = module->entries.find(name);
    return it == module->entries.end() ? nullptr : it->second;
}

int ModuleLoadCount(const char* name)
{
    EnsureBuiltins();
    const auto it = Modules().modules.find(Key(name));
    return it == Modules().modules.end() ? 0 : it->second->loads;
}

TModuleOverride::TModuleOverride(const std::string& module, const std::string& entry)
    : module_(Key(module.c_str())), entry_(entry)
{
    EnsureBuiltins();
    if (entry_.empty())
        Modules().hiddenModules.insert(module_);
    else
        Modules().hiddenEntries.insert({module_, entry_});
}

TModuleOverride::~TModuleOverride()
{
    if (entry_.empty())
        Modules().hiddenModules.erase(module_);
    else
        Modules().hiddenEntries.erase({module_, entry_});
}
