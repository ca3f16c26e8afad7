#include "drawport/drawport_metafile.h"

#include "platform/win/WinCommDlg.h"
#include "platform/win/WinMessageBox.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

int picture_kind = 0;

namespace {

void error_box(HWND owner, const char* text, const char* caption)
{
    MessageBox(owner, text, caption, MB_OK);
}

} // namespace

HENHMETAFILE open_metafile(const char* name, HWND owner)
{
    if (HENHMETAFILE picture = GetEnhMetaFileA(name)) {
        picture_kind = 1;
        return picture;
    }
    picture_kind = 2;
    if (HMETAFILE windows = GetMetaFileA(name)) {
        const UINT size = GetMetaFileBitsEx(windows, 0, nullptr);
        if (size == 0) {
            DeleteMetaFile(windows);
            error_box(owner, "Failed to Get MetaFile Bits Size", "Error Reading MetaFile");
            return nullptr;
        }
        std::vector<BYTE> bits(size);
        if (GetMetaFileBitsEx(windows, size, bits.data()) == 0) {
            DeleteMetaFile(windows);
            error_box(owner, "Failed to Get MetaFile Bits", "Error Reading MetaFile");
            return nullptr;
        }
        METAFILEPICT description;
        description.mm = MM_ANISOTROPIC;
        description.xExt = 1000;
        description.yExt = 1000;
        HENHMETAFILE picture = SetWinMetaFileBits(size, bits.data(), nullptr, &description);
        DeleteMetaFile(windows);
        if (!picture)
            error_box(owner, "Failed to Create MetaFile from Bits", "Error Reading MetaFile");
        return picture;
    }
    // placeable: the 22-byte header, then a 16-bit metafile
    std::ifstream file(name ? name : "", std::ios::binary);
    if (!name || !file) {
        error_box(owner, "Error Opening File", name ? name : "");
        return nullptr;
    }
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    TPlaceableHeader header;
    if (!ReadPlaceableHeader(bytes.data(), bytes.size(), &header)) {
        error_box(owner, "Not a Valid Metafile", name);
        return nullptr;
    }
    // A header without a size (no units per inch, an empty or inverted box) cannot give the
    // picture's extent: refused like a file without the key.
    if (header.unitsPerInch == 0 || header.right <= header.left || header.bottom <= header.top) {
        error_box(owner, "Not a Valid Metafile", name);
        return nullptr;
    }
    METAFILEPICT description;
    description.mm = MM_ANISOTROPIC;
    description.xExt = (int(header.right) - header.left) * 2540 / header.unitsPerInch;
    description.yExt = (int(header.bottom) - header.top) * 2540 / header.unitsPerInch;
    HENHMETAFILE picture = SetWinMetaFileBits(UINT(bytes.size() - 22), bytes.data() + 22, nullptr, &description);
    picture_kind = 3;
    if (!picture)
        error_box(owner, "Failed to Create MetaFile from Bits", "Error Reading MetaFile");
    return picture;
}

int save_windows_metafile(HENHMETAFILE picture, const char* name)
{
    const UINT size = GetWinMetaFileBits(picture, 0, nullptr, MM_ANISOTROPIC, nullptr);
    std::vector<BYTE> bits(size);
    if (size)
        GetWinMetaFileBits(picture, size, bits.data(), MM_ANISOTROPIC, nullptr);
    if (name && size)
        WriteFileAtomically(name, bits.data(), bits.size());
    return 1;
}

int choose_metafile_name(HWND owner, char* buffer, int save)
{
    OPENFILENAMEA ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = "All Metafiles (*.?MF)\0*.?MF\0\0";
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = buffer;
    ofn.nMaxFile = 260;
    if (save) {
        ofn.Flags = OFN_OVERWRITEPROMPT | OFN_SHAREAWARE | OFN_PATHMUSTEXIST;
        return GetSaveFileNameA(&ofn);
    }
    ofn.Flags = OFN_SHAREAWARE | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    return GetOpenFileNameA(&ofn);
}

HPALETTE metafile_palette(HENHMETAFILE picture)
{
    ENHMETAHEADER header{};
    if (!picture || GetEnhMetaFileHeader(picture, 88, &header) == 0 || header.nPalEntries == 0 ||
        header.nPalEntries > 0xFFFF)
        return nullptr;
    const UINT n = header.nPalEntries;
    std::vector<std::uint8_t> block(4 + 4 * size_t(n));
    auto* palette = reinterpret_cast<LOGPALETTE*>(block.data());
    palette->palVersion = 0x300;
    palette->palNumEntries = WORD(n);
    if (GetEnhMetaFilePaletteEntries(picture, n, palette->palPalEntry) == GDI_ERROR)
        return nullptr;
    return CreatePalette(palette);
}
