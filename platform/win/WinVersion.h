#pragma once
// File version information. A program carries its version resource compiled in: it
// declares it once with a static TVersionResource (the program's own source), and
// GetFileVersionInfoSize/GetFileVersionInfo/VerQueryValue give it for the program's own
// file. Any other file has no version information (size 0).
#include "platform/win/WinDef.h"
#include "platform/rtl/System.h"

#include <optional>

struct VS_FIXEDFILEINFO {
    DWORD dwSignature = 0xFEEF04BD;
    DWORD dwStrucVersion = 0x00010000;
    DWORD dwFileVersionMS = 0;
    DWORD dwFileVersionLS = 0;
    DWORD dwProductVersionMS = 0;
    DWORD dwProductVersionLS = 0;
    DWORD dwFileFlagsMask = 0x3F;
    DWORD dwFileFlags = 0;
    DWORD dwFileOS = 0x40004; // 32-bit Windows NT
    DWORD dwFileType = 1;     // application
    DWORD dwFileSubtype = 0;
    DWORD dwFileDateMS = 0;
    DWORD dwFileDateLS = 0;
};

// The version resource of the running program: file version a.b.c.d.
class TVersionResource {
public:
    TVersionResource(WORD major, WORD minor, WORD release, WORD build);
    ~TVersionResource();
    TVersionResource(const TVersionResource&) = delete;
    TVersionResource& operator=(const TVersionResource&) = delete;
};

// The declared resource of the running program, if any.
std::optional<VS_FIXEDFILEINFO> ModuleVersionResource();

// Size of the version information of the file; 0 when it has none. handle gets 0.
DWORD GetFileVersionInfoSize(const String& fileName, DWORD* handle);
// Copies the version information into data (at least the size above). FALSE when none.
BOOL GetFileVersionInfo(const String& fileName, DWORD handle, DWORD length, void* data);
// subBlock "\\" gives the fixed file information inside block.
BOOL VerQueryValue(const void* block, const String& subBlock, void** buffer, UINT* length);
