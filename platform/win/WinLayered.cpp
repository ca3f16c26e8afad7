#include "platform/win/WinLayered.h"

#include "platform/win/WinModule.h"

#include <QWidget>

#include <memory>

namespace {
const char* const kAttributesSet = "quelmLayeredAttributesSet";
} // namespace

BOOL SetLayeredWindowAttributes(HWND window, COLORREF key, BYTE alpha, DWORD flags)
{
    if (!window)
        return FALSE;
    // from now on the window's look is these attributes: UpdateLayeredWindow refuses it
    window->setProperty(kAttributesSet, true);
    if (auto* layered = dynamic_cast<ILayeredSurface*>(window)) {
        TLayeredLook look;
        look.alpha = (flags & LWA_ALPHA) ? alpha : 255;
        look.useKey = (flags & LWA_COLORKEY) != 0;
        look.key = key & 0xFFFFFF;
        layered->SetLayeredLook(look);
        return TRUE;
    }
    if (flags & LWA_ALPHA)
        window->window()->setWindowOpacity(alpha / 255.0);
    return TRUE;
}

BOOL UpdateLayeredWindow(HWND window, HDC, POINT* destPos, SIZE* size, HDC srcDc, POINT* srcPos, COLORREF key,
                         BLENDFUNCTION* blend, DWORD flags)
{
    if (!window || window->property(kAttributesSet).toBool())
        return FALSE;
    if (destPos)
        window->move(destPos->x, destPos->y);
    if (size)
        window->resize(size->cx, size->cy);
    auto* layered = dynamic_cast<ILayeredSurface*>(window);
    if (!layered) {
        if (blend && (flags & ULW_ALPHA))
            window->window()->setWindowOpacity(blend->SourceConstantAlpha / 255.0);
    }
    TLayeredLook look;
    if (!(flags & ULW_OPAQUE)) {
        look.alpha = (blend && (flags & ULW_ALPHA)) ? blend->SourceConstantAlpha : 255;
        look.perPixelAlpha = blend && (flags & ULW_ALPHA) && (blend->AlphaFormat & AC_SRC_ALPHA);
        look.useKey = (flags & ULW_COLORKEY) != 0;
        look.key = key & 0xFFFFFF;
    }
    if (layered)
        layered->SetLayeredLook(look);
    QImage* source = srcDc ? srcDc->Image() : nullptr;
    if (!source || source->isNull())
        return TRUE;
    srcDc->Flush();
    const QPoint from = srcPos ? QPoint(srcPos->x, srcPos->y) : QPoint(0, 0);
    const QRect area = QRect(from, window->size()).intersected(source->rect());
    if (layered) {
        // a 32-bit source carries its alpha in the fourth byte of each pixel, premultiplied
        QImage pixels = source->copy(area);
        if (pixels.depth() == 32 && look.perPixelAlpha)
            pixels = QImage(pixels.constBits(), pixels.width(), pixels.height(), pixels.bytesPerLine(),
                            QImage::Format_ARGB32_Premultiplied)
                         .copy();
        else
            pixels = pixels.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        layered->SetLayeredImage(pixels);
        return TRUE;
    }
    if (auto* surface = dynamic_cast<IWindowSurface*>(window)) {
        QImage* target = surface->SurfaceImage();
        if (target && !target->isNull()) {
            QPainter p(target);
            p.setCompositionMode(QPainter::CompositionMode_Source);
            p.drawImage(QPoint(0, 0), *source, QRect(from, target->size()));
            p.end();
            surface->SurfaceChanged(QRect());
        }
    }
    return TRUE;
}

int SetWindowRgn(HWND window, HRGN region, BOOL redraw)
{
    if (!window)
        return 0;
    std::unique_ptr<RegionObject> owned(region);
    if (auto* shaped = dynamic_cast<IWindowShape*>(window))
        shaped->SetWindowShape(owned ? &owned->region : nullptr);
    else if (owned)
        window->setMask(owned->region.isEmpty() ? QRegion(-1, -1, 1, 1) : owned->region);
    else
        window->clearMask();
    if (redraw)
        window->update();
    return 1;
}

int GetWindowRgn(HWND window, HRGN region)
{
    if (!window || !region)
        return ERROR_REGION;
    QRegion shape;
    if (auto* shaped = dynamic_cast<IWindowShape*>(window)) {
        if (!shaped->WindowShape(&shape))
            return ERROR_REGION;
    } else if (window->mask().isEmpty()) {
        return ERROR_REGION;
    } else {
        shape = window->mask();
    }
    region->region = shape;
    return shape.isEmpty() ? NULLREGION : shape.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

void RegisterUser32Module()
{
    RegisterModule("USER32.DLL", {
                                     {"SetLayeredWindowAttributes", AsProc(&SetLayeredWindowAttributes)},
                                     {"UpdateLayeredWindow", AsProc(&UpdateLayeredWindow)},
                                     {"SetWindowRgn", AsProc(&SetWindowRgn)},
                                 });
}
