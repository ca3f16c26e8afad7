#include "platform/win/WinClipboard.h"

#include "platform/win/WinBitmap.h"
#include "platform/rtl/SysUtils.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPointer>
#include <QWidget>
#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

// ---------------------------------------------------------------- global memory

namespace {

struct GlobalBlock {
    std::vector<char> bytes;
    int locks = 0;
    bool clipboardOwned = false;
};

std::mutex& BlockMutex()
{
    static std::mutex m;
    return m;
}

std::map<HGLOBAL, std::unique_ptr<GlobalBlock>>& Blocks()
{
    static std::map<HGLOBAL, std::unique_ptr<GlobalBlock>> blocks;
    return blocks;
}

GlobalBlock* FindBlock(HGLOBAL memory)
{
    const auto it = Blocks().find(memory);
    return it == Blocks().end() ? nullptr : it->second.get();
}

HGLOBAL NewBlock(const char* data, size_t size, bool clipboardOwned)
{
    auto block = std::make_unique<GlobalBlock>();
    block->bytes.assign(data, data + size);
    block->clipboardOwned = clipboardOwned;
    HGLOBAL handle = block.get();
    std::lock_guard lock(BlockMutex());
    Blocks().emplace(handle, std::move(block));
    return handle;
}

void ReleaseBlock(HGLOBAL memory)
{
    std::lock_guard lock(BlockMutex());
    Blocks().erase(memory);
}

} // namespace

HGLOBAL GlobalAlloc(UINT, SIZE_T bytes)
{
    // Every block starts zeroed: GMEM_ZEROINIT or not, a block never shows stale bytes.
    auto block = std::make_unique<GlobalBlock>();
    try {
        block->bytes.assign(bytes, '\0');
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    HGLOBAL handle = block.get();
    std::lock_guard lock(BlockMutex());
    Blocks().emplace(handle, std::move(block));
    return handle;
}

void* GlobalLock(HGLOBAL memory)
{
    std::lock_guard lock(BlockMutex());
    GlobalBlock* block = FindBlock(memory);
    if (!block)
        return nullptr;
    ++block->locks;
    // A zero-sized block still has an address while locked.
    return block->bytes.empty() ? static_cast<void*>(block) : block->bytes.data();
}

BOOL GlobalUnlock(HGLOBAL memory)
{
    std::lock_guard lock(BlockMutex());
    GlobalBlock* block = FindBlock(memory);
    if (!block || block->locks == 0)
        return FALSE;
    return --block->locks > 0 ? TRUE : FALSE;
}

SIZE_T GlobalSize(HGLOBAL memory)
{
    std::lock_guard lock(BlockMutex());
    GlobalBlock* block = FindBlock(memory);
    return block ? block->bytes.size() : 0;
}

HGLOBAL GlobalFree(HGLOBAL memory)
{
    if (!memory)
        return nullptr;
    std::lock_guard lock(BlockMutex());
    GlobalBlock* block = FindBlock(memory);
    if (!block || block->clipboardOwned)
        return memory;
    Blocks().erase(memory);
    return nullptr;
}

int GlobalBlockCount()
{
    std::lock_guard lock(BlockMutex());
    return static_cast<int>(Blocks().size());
}

// ---------------------------------------------------------------- clipboard

namespace {

constexpr UINT kFirstRegistered = 0xC000;

struct ClipboardState {
    bool open = false;
    QPointer<QWidget> openWindow;
    bool openedWithWindow = false;
    QPointer<QWidget> owner;
    std::vector<String> names; // registered formats, id = kFirstRegistered + index
    std::vector<HGLOBAL> handedOut; // blocks the clipboard owns (set or given out)
    std::vector<HBITMAP> bitmaps;   // bitmaps the clipboard owns (set or given out)
    // The bitmaps still owned when the program ends go with it.
    ~ClipboardState()
    {
        for (HBITMAP bitmap : bitmaps)
            DeleteObject(bitmap);
    }
};

ClipboardState& State()
{
    static ClipboardState state;
    return state;
}

QClipboard* QtClipboard()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::clipboard() : nullptr;
}

// The blocks the clipboard owns go when its content changes.
void DropOwnedBlocks()
{
    for (HGLOBAL handle : State().handedOut)
        ReleaseBlock(handle);
    State().handedOut.clear();
    for (HBITMAP bitmap : State().bitmaps)
        DeleteObject(bitmap);
    State().bitmaps.clear();
}

QString MimeOfRegistered(const String& name)
{
    if (CompareText(name, "Rich Text Format") == 0)
        return "text/rtf";
    if (CompareText(name, "HTML Format") == 0)
        return "text/html";
    return "application/x-quelm-clipboard;format=\"" + ToQString(name) + "\"";
}

// The MIME type of a format; empty for formats that have none.
QString MimeOfFormat(UINT format)
{
    if (format == CF_TEXT || format == CF_UNICODETEXT || format == CF_OEMTEXT)
        return "text/plain";
    if (format >= kFirstRegistered && format - kFirstRegistered < State().names.size())
        return MimeOfRegistered(State().names[format - kFirstRegistered]);
    return QString();
}

bool IsText(UINT format)
{
    return format == CF_TEXT || format == CF_UNICODETEXT || format == CF_OEMTEXT;
}

QMimeData* CopyOfCurrent()
{
    auto* copy = new QMimeData;
    QClipboard* clipboard = QtClipboard();
    if (!clipboard)
        return copy;
    if (const QMimeData* current = clipboard->mimeData()) {
        for (const QString& mime : current->formats())
            copy->setData(mime, current->data(mime));
        if (current->hasText())
            copy->setText(current->text());
    }
    return copy;
}

bool OpenByCaller()
{
    return State().open;
}

} // namespace

BOOL OpenClipboard(HWND owner)
{
    ClipboardState& state = State();
    // A window that was freed while it held the clipboard open lets go of it.
    if (state.open && state.openedWithWindow && !state.openWindow)
        state.open = false;
    if (state.open) {
        // Another window holding it keeps it closed to the caller.
        if (!state.openedWithWindow && !owner)
            return TRUE;
        if (state.openedWithWindow && state.openWindow && state.openWindow == owner)
            return TRUE;
        return FALSE;
    }
    state.open = true;
    state.openWindow = owner;
    state.openedWithWindow = owner != nullptr;
    return TRUE;
}

BOOL CloseClipboard()
{
    ClipboardState& state = State();
    if (!state.open)
        return FALSE;
    state.open = false;
    state.openWindow = nullptr;
    state.openedWithWindow = false;
    return TRUE;
}

BOOL EmptyClipboard()
{
    if (!OpenByCaller())
        return FALSE;
    DropOwnedBlocks();
    State().owner = State().openWindow;
    if (QClipboard* clipboard = QtClipboard())
        clipboard->setMimeData(new QMimeData);
    return TRUE;
}

HGLOBAL SetClipboardData(UINT format, HGLOBAL memory)
{
    if (!OpenByCaller() || !memory)
        return nullptr;
    if (format == CF_BITMAP) {
        // The handle is a bitmap: the clipboard owns it from now on and offers its pixels as an image.
        auto* bitmap = static_cast<HBITMAP>(memory);
        State().bitmaps.push_back(bitmap);
        if (QClipboard* clipboard = QtClipboard()) {
            QMimeData* data = CopyOfCurrent();
            data->setImageData(bitmap->image.convertToFormat(QImage::Format_RGB32));
            clipboard->setMimeData(data);
        }
        return memory;
    }
    const QString mime = MimeOfFormat(format);
    if (mime.isEmpty())
        return nullptr;
    QByteArray bytes;
    {
        std::lock_guard lock(BlockMutex());
        GlobalBlock* block = FindBlock(memory);
        if (!block)
            return nullptr;
        bytes = QByteArray(block->bytes.data(), static_cast<qsizetype>(block->bytes.size()));
        block->clipboardOwned = true;
    }
    State().handedOut.push_back(memory);
    QClipboard* clipboard = QtClipboard();
    if (!clipboard)
        return memory;
    QMimeData* data = CopyOfCurrent();
    if (format == CF_UNICODETEXT) {
        const auto* units = reinterpret_cast<const char16_t*>(bytes.constData());
        qsizetype n = 0;
        const qsizetype max = bytes.size() / 2;
        while (n < max && units[n] != 0)
            ++n;
        data->setText(QString::fromUtf16(units, n));
    } else if (IsText(format)) {
        data->setText(ToQString(String(bytes.constData(), strnlen(bytes.constData(), size_t(bytes.size())))));
    } else {
        data->setData(mime, bytes);
    }
    clipboard->setMimeData(data);
    return memory;
}

HGLOBAL GetClipboardData(UINT format)
{
    if (!OpenByCaller() || !IsClipboardFormatAvailable(format))
        return nullptr;
    QClipboard* clipboard = QtClipboard();
    const QMimeData* current = clipboard ? clipboard->mimeData() : nullptr;
    if (!current)
        return nullptr;
    if (format == CF_BITMAP) {
        auto bitmap = std::make_unique<BitmapObject>();
        bitmap->image = qvariant_cast<QImage>(current->imageData()).convertToFormat(QImage::Format_RGB32);
        if (bitmap->image.isNull())
            return nullptr;
        State().bitmaps.push_back(bitmap.get());
        return static_cast<void*>(bitmap.release());
    }
    QByteArray bytes;
    if (format == CF_UNICODETEXT) {
        const QString text = current->text();
        bytes = QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
        bytes.append(2, '\0');
    } else if (IsText(format)) {
        const String text = FromQString(current->text());
        bytes = QByteArray(text.data(), static_cast<qsizetype>(text.size()));
        bytes.append('\0');
    } else {
        bytes = current->data(MimeOfFormat(format));
    }
    HGLOBAL handle = NewBlock(bytes.constData(), static_cast<size_t>(bytes.size()), true);
    State().handedOut.push_back(handle);
    return handle;
}

BOOL IsClipboardFormatAvailable(UINT format)
{
    QClipboard* clipboard = QtClipboard();
    const QMimeData* current = clipboard ? clipboard->mimeData() : nullptr;
    if (!current)
        return FALSE;
    if (IsText(format))
        return current->hasText() ? TRUE : FALSE;
    if (format == CF_BITMAP)
        return current->hasImage() ? TRUE : FALSE;
    const QString mime = MimeOfFormat(format);
    return !mime.isEmpty() && current->hasFormat(mime) ? TRUE : FALSE;
}

UINT RegisterClipboardFormat(const char* name)
{
    if (!name || !*name)
        return 0;
    auto& names = State().names;
    for (size_t i = 0; i < names.size(); ++i)
        if (CompareText(names[i], name) == 0)
            return kFirstRegistered + static_cast<UINT>(i);
    if (names.size() >= 0x4000)
        return 0;
    names.emplace_back(name);
    return kFirstRegistered + static_cast<UINT>(names.size() - 1);
}

int GetClipboardFormatName(UINT format, char* name, int size)
{
    if (format < kFirstRegistered || format - kFirstRegistered >= State().names.size() || !name || size <= 0)
        return 0;
    const String& text = State().names[format - kFirstRegistered];
    const int n = std::min(static_cast<int>(text.size()), size - 1);
    std::memcpy(name, text.data(), static_cast<size_t>(n));
    name[n] = '\0';
    return n;
}

namespace {

std::vector<UINT> AvailableFormats()
{
    std::vector<UINT> formats;
    for (UINT f : {CF_TEXT, CF_BITMAP, CF_UNICODETEXT})
        if (IsClipboardFormatAvailable(f))
            formats.push_back(f);
    for (size_t i = 0; i < State().names.size(); ++i)
        if (IsClipboardFormatAvailable(kFirstRegistered + static_cast<UINT>(i)))
            formats.push_back(kFirstRegistered + static_cast<UINT>(i));
    return formats;
}

} // namespace

int CountClipboardFormats()
{
    return static_cast<int>(AvailableFormats().size());
}

UINT EnumClipboardFormats(UINT format)
{
    if (!OpenByCaller())
        return 0;
    const std::vector<UINT> formats = AvailableFormats();
    if (format == 0)
        return formats.empty() ? 0 : formats.front();
    const auto it = std::find(formats.begin(), formats.end(), format);
    return it == formats.end() || it + 1 == formats.end() ? 0 : *(it + 1);
}

HWND GetClipboardOwner()
{
    return State().owner;
}

HWND GetOpenClipboardWindow()
{
    return State().open ? State().openWindow.data() : nullptr;
}
