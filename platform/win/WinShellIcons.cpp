#include "platform/win/WinShellIcons.h"

#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <array>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

// A system image list: its icons, drawn once.
struct IMAGELIST_PLACEHOLDER {
    int side = 16;
    std::vector<QImage> images;
    std::vector<std::unique_ptr<IconObject>> icons; // for drawing, one per image
};

namespace {

enum FileKind { kDocument, kFolder, kProgram, kText, kPicture, kWebPage, kKindCount };

// One icon of a kind, drawn on a 16-unit grid scaled to the side.
QImage DrawKind(FileKind kind, int side)
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.scale(side / 16.0, side / 16.0);
    const QPen outline(QColor(0x55, 0x55, 0x55), 1.0);
    if (kind == kFolder) {
        QPainterPath folder;
        folder.moveTo(1.5, 3.5);
        folder.lineTo(6, 3.5);
        folder.lineTo(7.5, 5);
        folder.lineTo(14.5, 5);
        folder.lineTo(14.5, 13.5);
        folder.lineTo(1.5, 13.5);
        folder.closeSubpath();
        p.setPen(QPen(QColor(0xA8, 0x82, 0x1E), 1.0));
        p.setBrush(QColor(0xF6, 0xCB, 0x52));
        p.drawPath(folder);
        p.setBrush(QColor(0xFB, 0xDD, 0x7E));
        p.drawRect(QRectF(1.5, 6.5, 13, 7));
        return image;
    }
    if (kind == kProgram) {
        p.setPen(outline);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(1.5, 2.5, 13, 11));
        p.fillRect(QRectF(2, 3, 12, 3), QColor(0x2D, 0x5F, 0xB8));
        p.fillRect(QRectF(3, 8, 6, 1), QColor(0x88, 0x88, 0x88));
        p.fillRect(QRectF(3, 10, 8, 1), QColor(0x88, 0x88, 0x88));
        return image;
    }
    // a page with a folded corner and the kind's mark on it
    QPainterPath page;
    page.moveTo(3.5, 1.5);
    page.lineTo(10, 1.5);
    page.lineTo(13.5, 5);
    page.lineTo(13.5, 14.5);
    page.lineTo(3.5, 14.5);
    page.closeSubpath();
    p.setPen(outline);
    p.setBrush(Qt::white);
    p.drawPath(page);
    p.drawPolyline(QPolygonF({QPointF(10, 1.5), QPointF(10, 5), QPointF(13.5, 5)}));
    switch (kind) {
    case kText:
        for (int y = 7; y <= 12; y += 2)
            p.fillRect(QRectF(5, y, 7, 1), QColor(0x70, 0x70, 0x70));
        break;
    case kPicture:
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xE8, 0xA3, 0x1C));
        p.drawEllipse(QPointF(7, 8), 1.5, 1.5);
        p.setBrush(QColor(0x3C, 0x9A, 0x3C));
        p.drawPolygon(QPolygonF({QPointF(4.5, 13.5), QPointF(8, 9.5), QPointF(10, 11.5), QPointF(11, 10.5),
                                 QPointF(12.5, 13.5)}));
        break;
    case kWebPage:
        p.setPen(QPen(QColor(0x2D, 0x5F, 0xB8), 1.0));
        p.setBrush(QColor(0xB9, 0xD3, 0xF2));
        p.drawEllipse(QPointF(8.5, 9.5), 3.5, 3.5);
        p.drawLine(QPointF(5, 9.5), QPointF(12, 9.5));
        p.drawEllipse(QPointF(8.5, 9.5), 1.5, 3.5);
        break;
    default: break;
    }
    return image;
}

IMAGELIST_PLACEHOLDER* SystemList(bool small)
{
    static std::array<std::unique_ptr<IMAGELIST_PLACEHOLDER>, 2> lists;
    auto& list = lists[small ? 0 : 1];
    if (!list) {
        list = std::make_unique<IMAGELIST_PLACEHOLDER>();
        list->side = small ? 16 : 32;
        for (int k = 0; k < kKindCount; ++k) {
            list->images.push_back(DrawKind(FileKind(k), list->side));
            auto icon = std::make_unique<IconObject>();
            icon->image = list->images.back().convertToFormat(QImage::Format_ARGB32);
            list->icons.push_back(std::move(icon));
        }
    }
    return list.get();
}

// A handle of one of the two lists, else null (never touched).
IMAGELIST_PLACEHOLDER* ListOf(HIMAGELIST handle)
{
    if (handle && (handle == SystemList(true) || handle == SystemList(false)))
        return handle;
    return nullptr;
}

FileKind KindOfName(const QString& name)
{
    static const char* const programs[] = {"exe", "com", "bat", "cmd", "sh"};
    static const char* const texts[] = {"txt", "log", "ini", "csv", "sum", "out", "err", "qmi", "set", "arg", "xy"};
    static const char* const pictures[] = {"bmp", "png", "jpg", "jpeg", "gif", "tif", "tiff", "ico",
                                           "emf", "wmf", "pcx", "tga", "psd"};
    static const char* const pages[] = {"htm", "html"};
    const QString ext = QFileInfo(name).suffix().toLower();
    auto in = [&](const auto& list) {
        for (const char* e : list)
            if (ext == QLatin1String(e))
                return true;
        return false;
    };
    if (ext.isEmpty())
        return kDocument;
    if (in(programs))
        return kProgram;
    if (in(texts))
        return kText;
    if (in(pictures))
        return kPicture;
    if (in(pages))
        return kWebPage;
    return kDocument;
}

} // namespace

uintptr_t SHGetFileInfo(const char* path, DWORD attributes, SHFILEINFO* info, UINT size, UINT flags)
{
    if (!path || (info && size < sizeof(SHFILEINFO)))
        return 0;
    const QString name = QString::fromUtf8(path);
    IMAGELIST_PLACEHOLDER* list = SystemList((flags & SHGFI_SMALLICON) != 0);
    if (name.isEmpty())
        return (flags & SHGFI_SYSICONINDEX) ? reinterpret_cast<uintptr_t>(list) : 0;
    FileKind kind = kDocument;
    if (flags & SHGFI_USEFILEATTRIBUTES) {
        kind = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? kFolder : KindOfName(name);
    } else {
        const QFileInfo file(name);
        if (!file.exists())
            return 0;
        kind = file.isDir() ? kFolder : KindOfName(name);
        if (kind == kDocument && file.isExecutable())
            kind = kProgram;
    }
    if (info) {
        info->iIcon = kind;
        info->dwAttributes = kind == kFolder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
        if (flags & SHGFI_ICON)
            info->hIcon = ImageList_GetIcon(list, kind, 0);
    }
    return (flags & SHGFI_SYSICONINDEX) ? reinterpret_cast<uintptr_t>(list) : 1;
}

BOOL ImageList_GetIconSize(HIMAGELIST handle, int* cx, int* cy)
{
    IMAGELIST_PLACEHOLDER* list = ListOf(handle);
    if (!list || !cx || !cy)
        return FALSE;
    *cx = *cy = list->side;
    return TRUE;
}

int ImageList_GetImageCount(HIMAGELIST handle)
{
    IMAGELIST_PLACEHOLDER* list = ListOf(handle);
    return list ? int(list->images.size()) : 0;
}

BOOL ImageList_Draw(HIMAGELIST handle, int index, HDC dc, int x, int y, UINT)
{
    IMAGELIST_PLACEHOLDER* list = ListOf(handle);
    if (!list || !dc || index < 0 || index >= int(list->icons.size()))
        return FALSE;
    return DrawIconEx(dc, x, y, list->icons[size_t(index)].get(), 0, 0, 0, nullptr, DI_NORMAL);
}

HICON ImageList_GetIcon(HIMAGELIST handle, int index, UINT)
{
    IMAGELIST_PLACEHOLDER* list = ListOf(handle);
    if (!list || index < 0 || index >= int(list->images.size()))
        return nullptr;
    return CreateIconFromImage(list->images[size_t(index)]);
}
