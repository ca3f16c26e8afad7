// Draws, measures and hit-tests arbitrary mini-HTML on a recording canvas. Input: two bytes
// for the point and the switches, then the text.
#include "components/grid/HtmlRender.h"
#include "components/grid/PictureContainer.h"

#include <QApplication>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2 || size > 4096)
        return 0;
    const String text(reinterpret_cast<const char*>(data + 2), size - 2);
    DeviceContext dc(120, 60);
    TGdiRecorder log;
    dc.Recorder = &log;
    TCanvas canvas;
    canvas.SetHandle(&dc);
    TPictureContainer pictures(nullptr);
    pictures.Items()->Add()->Name = "P";
    THTMLPictureCache cache;

    THtmlDrawArgs args;
    args.Pictures = &pictures;
    args.PictureCache = &cache;
    args.HitX = data[0] % 120;
    args.HitY = data[1] % 60;
    args.WrapWords = (data[1] & 0x80) == 0;
    args.UnderlineOnHover = (data[0] & 0x80) != 0;
    args.HoverLink = 1;
    args.FocusLink = 0;
    const TRect rect(0, 0, 100 + data[0] % 20, 50);
    THtmlDrawResult r;
    DrawHtml(&canvas, text, rect, args, r);
    args.MeasureOnly = true;
    if (DrawHtml(&canvas, text, rect, args, r))
        std::abort(); // measuring never reports a hit
    args.MeasureOnly = false;
    args.HitTestOnly = true;
    DrawHtml(&canvas, text, rect, args, r);
    canvas.SetHandle(nullptr);
    return 0;
}
