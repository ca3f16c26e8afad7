#pragma once
// The framework's clipboard object over the API's clipboard (platform/win/WinClipboard.h).
// Between Open and Close (which nest) the first thing put on the clipboard replaces its
// content and the following ones add to it; outside, every setter replaces the content.
#include "platform/rtl/Classes.h"
#include "platform/win/WinClipboard.h"

class TClipboard : public TPersistent {
public:
    String ClassName() const override { return "TClipboard"; }
    // Raises Exception "Cannot open clipboard" when another window holds it.
    void Open();
    void Close();
    void Clear();

    String AsText();
    void SetAsText(const String& text);
    bool HasFormat(UINT format);
    // A block the clipboard owns (valid until the content changes), null when absent.
    HGLOBAL GetAsHandle(UINT format);
    // The clipboard takes the block over.
    void SetAsHandle(UINT format, HGLOBAL memory);
    // Copies up to size-1 characters and a zero; the number of characters copied.
    int GetTextBuf(char* buffer, int size);
    void SetTextBuf(const char* buffer);
    // Bytes of any format (private formats round-trip unchanged).
    void SetBuffer(UINT format, const void* buffer, int size);
    int FormatCount();
    UINT Formats(int index);

private:
    void Adding();
    int openCount_ = 0;
    bool emptied_ = false;
};

// The application's one clipboard object.
TClipboard* Clipboard();
