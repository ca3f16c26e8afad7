// Any bytes: the 16-bit metafile reader refuses them or keeps framed records; they play onto a
// small device without faults.
#include "platform/win/WinMetafile.h"

#include <QGuiApplication>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app = (qputenv("QT_QPA_PLATFORM", "offscreen"), new QGuiApplication(argc, argv));
    (void)app;
    HMETAFILE mf = MetaFileFromBytes(data, size);
    if (!mf)
        return 0;
    DeviceContext dc(64, 48);
    PlayMetaFile(&dc, mf);
    DeleteMetaFile(mf);
    return 0;
}
