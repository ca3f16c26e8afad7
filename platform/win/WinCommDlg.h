#pragma once
// Common dialogs of the API subset: the open and save file dialogs over Qt's file dialog.
// Tests and batch runs answer them without showing them: TCommonDialogScript (RAII, newest wins)
// gives the next file name, or a cancel.
#include "platform/win/WinDef.h"
#include "platform/win/WinGdi.h"
#include "platform/rtl/System.h"

#include <deque>
#include <optional>

enum : DWORD {
    OFN_READONLY = 0x1, OFN_OVERWRITEPROMPT = 0x2, OFN_HIDEREADONLY = 0x4, OFN_SHAREAWARE = 0x10,
    OFN_PATHMUSTEXIST = 0x800, OFN_FILEMUSTEXIST = 0x1000,
};

struct OPENFILENAMEA {
    DWORD lStructSize = 76;
    HWND hwndOwner = nullptr;
    const char* lpstrFilter = nullptr; // pairs of "description\0pattern\0", ended by "\0"
    DWORD nFilterIndex = 0;
    char* lpstrFile = nullptr;         // in: initial name; out: the chosen name
    DWORD nMaxFile = 0;
    const char* lpstrInitialDir = nullptr;
    const char* lpstrTitle = nullptr;
    DWORD Flags = 0;
    const char* lpstrDefExt = nullptr;
};

BOOL GetOpenFileNameA(OPENFILENAMEA* ofn);
BOOL GetSaveFileNameA(OPENFILENAMEA* ofn);

class TCommonDialogScript {
public:
    TCommonDialogScript();
    ~TCommonDialogScript();
    TCommonDialogScript(const TCommonDialogScript&) = delete;
    TCommonDialogScript& operator=(const TCommonDialogScript&) = delete;
    // The next file dialog confirms `name`; Cancel() makes it cancel.
    void FileName(const String& name) { files.push_back(name); }
    void Cancel() { files.push_back(std::nullopt); }
    std::deque<std::optional<String>> files;
    int FileDialogs = 0;
};
