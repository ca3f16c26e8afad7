#include "platform/win/WinResource.h"

#include "platform/rtl/FileUtils.h"
#include "platform/rtl/SysUtils.h"

#include <map>
#include <memory>
#include <optional>
#include <string>

struct ResourceObject {
    std::string bytes;
};

namespace {

// The name as the resource section spells it: upper case, or "#n" for a number.
std::string ResourceKey(const char* name)
{
    if (IS_INTRESOURCE(name))
        return "#" + std::to_string(reinterpret_cast<uintptr_t>(name));
    return UpperCase(String(name));
}

std::string TypeKey(const char* type)
{
    if (IS_INTRESOURCE(type)) {
        switch (reinterpret_cast<uintptr_t>(type)) {
        case 2: return "BITMAP";
        case 3: return "ICON";
        case 10: return "RCDATA";
        case 14: return "GROUP_ICON";
        default: break;
        }
    }
    return ResourceKey(type);
}

// Resources once found stay: their bytes are handed out without an end.
std::map<std::string, std::unique_ptr<ResourceObject>>& Found()
{
    static std::map<std::string, std::unique_ptr<ResourceObject>> found;
    return found;
}

} // namespace

HRSRC FindResource(HMODULE, const char* name, const char* type)
{
    if (!name || !type)
        return nullptr;
    const std::string path = "quelm/resources/" + TypeKey(type) + "/" + ResourceKey(name);
    auto& found = Found();
    if (auto it = found.find(path); it != found.end())
        return it->second.get();
    std::optional<std::string> bytes = ReadEmbeddedFile(path);
    if (!bytes)
        return nullptr;
    auto object = std::make_unique<ResourceObject>();
    object->bytes = std::move(*bytes);
    return found.emplace(path, std::move(object)).first->second.get();
}

DWORD SizeofResource(HMODULE, HRSRC resource)
{
    return resource ? DWORD(resource->bytes.size()) : 0;
}

HRESOURCEDATA LoadResource(HMODULE, HRSRC resource)
{
    return resource;
}

const void* LockResource(HRESOURCEDATA data)
{
    return data ? data->bytes.data() : nullptr;
}
