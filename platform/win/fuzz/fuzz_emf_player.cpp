// Any bytes that read as an enhanced metafile play onto a small device without faults.
#include "platform/win/WinMetafile.h"

#include <QGuiApplication>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app = (qputenv("QT_QPA_PLATFORM", "offscreen"), new QGuiApplication(argc, argv));
    (void)app;
    HENHMETAFILE emf = EnhMetaFileFromBytes(data, size);
    if (!emf)
        return 0;
    DeviceContext dc(64, 48);
    const RECT rect{0, 0, 64, 48};
    PlayEnhMetaFile(&dc, emf, &rect);
    DeleteEnhMetaFile(emf);
    return 0;
}
