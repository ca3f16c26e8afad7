#include "platform/framework/Clipbrd.h"

#include <algorithm>
#include <cstring>
#include <memory>

void TClipboard::Open()
{
    if (openCount_ == 0) {
        if (!OpenClipboard(nullptr))
            throw Exception("Cannot open clipboard");
        emptied_ = false;
    }
    ++openCount_;
}

void TClipboard::Close()
{
    if (openCount_ == 0)
        return;
    if (--openCount_ == 0)
        CloseClipboard();
}

void TClipboard::Clear()
{
    Open();
    EmptyClipboard();
    Close();
}

void TClipboard::Adding()
{
    if (openCount_ > 0 && !emptied_) {
        EmptyClipboard();
        emptied_ = true;
    }
}

String TClipboard::AsText()
{
    Open();
    String text;
    if (HGLOBAL handle = GetClipboardData(CF_TEXT)) {
        const auto* bytes = static_cast<const char*>(GlobalLock(handle));
        if (bytes)
            text.assign(bytes, strnlen(bytes, GlobalSize(handle)));
        GlobalUnlock(handle);
    }
    Close();
    return text;
}

void TClipboard::SetAsText(const String& text)
{
    SetBuffer(CF_TEXT, text.c_str(), static_cast<int>(text.size()) + 1);
}

bool TClipboard::HasFormat(UINT format)
{
    return IsClipboardFormatAvailable(format) != FALSE;
}

HGLOBAL TClipboard::GetAsHandle(UINT format)
{
    Open();
    HGLOBAL handle = GetClipboardData(format);
    Close();
    return handle;
}

void TClipboard::SetAsHandle(UINT format, HGLOBAL memory)
{
    try {
        Open();
    } catch (...) {
        GlobalFree(memory);
        throw;
    }
    try {
        Adding();
        if (!SetClipboardData(format, memory))
            GlobalFree(memory);
    } catch (...) {
        Close();
        throw;
    }
    Close();
}

int TClipboard::GetTextBuf(char* buffer, int size)
{
    if (!buffer || size <= 0)
        return 0;
    const String text = AsText();
    const int n = std::min(static_cast<int>(text.size()), size - 1);
    std::memcpy(buffer, text.data(), static_cast<size_t>(n));
    buffer[n] = '\0';
    return n;
}

void TClipboard::SetTextBuf(const char* buffer)
{
    SetAsText(buffer ? String(buffer) : String());
}

void TClipboard::SetBuffer(UINT format, const void* buffer, int size)
{
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, static_cast<SIZE_T>(std::max(size, 0)));
    if (!memory)
        throw EOutOfMemory("Out of memory");
    if (size > 0) {
        std::memcpy(GlobalLock(memory), buffer, static_cast<size_t>(size));
        GlobalUnlock(memory);
    }
    SetAsHandle(format, memory);
}

int TClipboard::FormatCount()
{
    return CountClipboardFormats();
}

UINT TClipboard::Formats(int index)
{
    Open();
    UINT format = EnumClipboardFormats(0);
    for (int i = 0; i < index && format != 0; ++i)
        format = EnumClipboardFormats(format);
    Close();
    if (format == 0)
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    return format;
}

TClipboard* Clipboard()
{
    static std::unique_ptr<TClipboard> clipboard = std::make_unique<TClipboard>();
    return clipboard.get();
}
