// Decodes arbitrary bytes as a picture (all formats of the OLE picture loader, GIF frame
// selection) and draws the result.
#include "components/grid/PictureContainer.h"

#include <QGuiApplication>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > 65536)
        return 0;
    THTMLPicture picture;
    try {
        picture.LoadFromBytes(std::vector<uint8_t>(data + 1, data + size));
        picture.FrameCount();
        picture.SetFrame(1 + data[0] % 4);
    } catch (const Exception&) {
    }
    DeviceContext dc(32, 32);
    TCanvas canvas;
    canvas.SetHandle(&dc);
    picture.Draw(&canvas, TRect(0, 0, 32, 32));
    canvas.SetHandle(nullptr);
    return 0;
}
