#pragma once
// Resources of the program: the files compiled into it stand in for its resource section.
// Resource `name` of type `type` is the embedded file "quelm/resources/<TYPE>/<NAME>" (see
// ReadEmbeddedFile): names and type names are looked up in upper case, as the resource compiler
// stores them; a number (MAKEINTRESOURCE) is "#<number>", and the types of the API have their
// names (RT_RCDATA "RCDATA", RT_BITMAP "BITMAP", RT_ICON "ICON", RT_GROUP_ICON "GROUP_ICON").
// A program adds resources with qt_add_resources(<target> <name> PREFIX
// /quelm/resources/RCDATA ...), a file's alias being its resource name. Every module handle
// (null included) stands for the program: there is one resource section.
#include "platform/win/WinModule.h"

// An integer resource name or type.
inline const char* MAKEINTRESOURCE(int id)
{
    return reinterpret_cast<const char*>(uintptr_t(WORD(id)));
}
inline bool IS_INTRESOURCE(const char* name)
{
    return (reinterpret_cast<uintptr_t>(name) >> 16) == 0;
}
inline const char* const RT_BITMAP = MAKEINTRESOURCE(2);
inline const char* const RT_ICON = MAKEINTRESOURCE(3);
inline const char* const RT_RCDATA = MAKEINTRESOURCE(10);
inline const char* const RT_GROUP_ICON = MAKEINTRESOURCE(14);

struct ResourceObject;
using HRSRC = ResourceObject*;
// A loaded resource: its bytes stay valid while the program runs.
using HRESOURCEDATA = const ResourceObject*;

// The resource, or null when the program has none of that name and type (or a null name).
HRSRC FindResource(HMODULE module, const char* name, const char* type);
DWORD SizeofResource(HMODULE module, HRSRC resource);
HRESOURCEDATA LoadResource(HMODULE module, HRSRC resource);
// The resource's bytes; null for a null handle.
const void* LockResource(HRESOURCEDATA data);
