// Any bytes: the enhanced-metafile reader refuses them or indexes records that lie inside.
#include "platform/win/WinMetafile.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    HENHMETAFILE emf = EnhMetaFileFromBytes(data, size);
    if (!emf)
        return 0;
    for (const TEmfRecordRef& r : emf->records)
        if (size_t(r.offset) + r.size > emf->bytes.size())
            std::abort();
    ENHMETAHEADER h;
    GetEnhMetaFileHeader(emf, sizeof h, &h);
    char description[64];
    GetEnhMetaFileDescriptionA(emf, sizeof description, description);
    PALETTEENTRY entries[16];
    GetEnhMetaFilePaletteEntries(emf, 16, entries);
    DeleteEnhMetaFile(emf);
    return 0;
}
