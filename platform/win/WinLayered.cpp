#include "WinLayered.h"

#include "WinModule.h"

#include <QWidget>

BOOL SetLayeredWindowAttributes(HWND window, COLORREF, BYTE alpha, DWORD flags)
{
    if (!window)
        return FALSE;
    if (flags & LWA_ALPHA)
        window->window()->setWindowOpacity(alpha / 255.0);
    return TRUE;
}

BOOL UpdateLayeredWindow(HWND window, HDC, POINT* destPos, SIZE* size, HDC srcDc, POINT* srcPos, COLORREF,
                         BLENDFUNCTION* blend, DWORD flags)
{
    if (!window)
        return FALSE;
    if (destPos)
        window->move(destPos->x, destPos->y);
    if (size)
        window->resize(size->cx, size->cy);
    if (blend && (flags & ULW_ALPHA))
        window->window()->setWindowOpacity(blend->SourceConstantAlpha / 255.0);
    if (srcDc && srcDc->Image()) {
        if (auto* surface = dynamic_cast<IWindowSurface*>(window)) {
            QImage* target = surface->SurfaceImage();
            if (target && !target->isNull()) {
                const QPoint from = srcPos ? QPoint(srcPos->x, srcPos->y) : QPoint(0, 0);
                QPainter p(target);
                p.setCompositionMode(QPainter::CompositionMode_Source);
                p.drawImage(QPoint(0, 0), *srcDc->Image(), QRect(from, target->size()));
                p.end();
                surface->SurfaceChanged(QRect());
            }
        }
    }
    return TRUE;
}

void RegisterUser32Module()
{
    RegisterModule("USER32.DLL", {
                                     {"SetLayeredWindowAttributes", AsProc(&SetLayeredWindowAttributes)},
                                     {"UpdateLayeredWindow", AsProc(&UpdateLayeredWindow)},
                                 });
}
