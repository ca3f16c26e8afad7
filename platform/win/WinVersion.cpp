#include "platform/win/WinVersion.h"

#include "platform/win/WinEnvironment.h"

#include <cstring>

namespace {

// The block handed out by GetFileVersionInfo: a tag and the fixed information.
struct VersionBlock {
    char tag[16] = "VS_VERSION_INFO";
    VS_FIXEDFILEINFO fixed;
};

std::optional<VS_FIXEDFILEINFO>& Declared()
{
    static std::optional<VS_FIXEDFILEINFO> declared;
    return declared;
}

bool IsOwnProgram(const String& fileName)
{
    return !fileName.empty() && fileName == GetModuleFileName();
}

} // namespace

TVersionResource::TVersionResource(WORD major, WORD minor, WORD release, WORD build)
{
    VS_FIXEDFILEINFO info;
    info.dwFileVersionMS = (DWORD(major) << 16) | minor;
    info.dwFileVersionLS = (DWORD(release) << 16) | build;
    info.dwProductVersionMS = info.dwFileVersionMS;
    info.dwProductVersionLS = info.dwFileVersionLS;
    Declared() = info;
}

TVersionResource::~TVersionResource()
{
    Declared().reset();
}

std::optional<VS_FIXEDFILEINFO> ModuleVersionResource()
{
    return Declared();
}

DWORD GetFileVersionInfoSize(const String& fileName, DWORD* handle)
{
    if (handle)
        *handle = 0;
    if (!Declared() || !IsOwnProgram(fileName))
        return 0;
    return sizeof(VersionBlock);
}

BOOL GetFileVersionInfo(const String& fileName, DWORD /*handle*/, DWORD length, void* data)
{
    if (!Declared() || !IsOwnProgram(fileName) || length < sizeof(VersionBlock) || !data)
        return FALSE;
    VersionBlock block;
    block.fixed = *Declared();
    std::memcpy(data, &block, sizeof block);
    return TRUE;
}

BOOL VerQueryValue(const void* block, const String& subBlock, void** buffer, UINT* length)
{
    if (!block || !buffer || subBlock != "\\")
        return FALSE;
    auto* versionBlock = static_cast<const VersionBlock*>(block);
    if (std::strcmp(versionBlock->tag, "VS_VERSION_INFO") != 0)
        return FALSE;
    *buffer = const_cast<VS_FIXEDFILEINFO*>(&versionBlock->fixed);
    if (length)
        *length = sizeof(VS_FIXEDFILEINFO);
    return TRUE;
}
