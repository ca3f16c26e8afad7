// Any bytes through both converters: 16-bit → enhanced when they read as a 16-bit metafile,
// enhanced → 16-bit when they read as an enhanced one; each result reads back.
#include "platform/win/WinMetafile.h"

#include <QGuiApplication>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app = (qputenv("QT_QPA_PLATFORM", "offscreen"), new QGuiApplication(argc, argv));
    (void)app;
    METAFILEPICT picture;
    picture.mm = MM_ANISOTROPIC;
    picture.xExt = 1000;
    picture.yExt = 1000;
    if (HENHMETAFILE emf = SetWinMetaFileBits(UINT(size), data, nullptr, &picture))
        DeleteEnhMetaFile(emf);
    if (HENHMETAFILE emf = EnhMetaFileFromBytes(data, size)) {
        const UINT n = GetWinMetaFileBits(emf, 0, nullptr, MM_ANISOTROPIC, nullptr);
        std::vector<BYTE> bits(n);
        if (n && GetWinMetaFileBits(emf, n, bits.data(), MM_ANISOTROPIC, nullptr) != n)
            std::abort();
        if (n) {
            HMETAFILE back = SetMetaFileBitsEx(n, bits.data());
            if (!back)
                std::abort();
            DeleteMetaFile(back);
        }
        DeleteEnhMetaFile(emf);
    }
    return 0;
}
