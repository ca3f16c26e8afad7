// The clipboard's enhanced-metafile format over Qt's clipboard: the picture's bytes under a
// MIME type of our own (and the common enhanced-metafile type other programs offer), with a
// PNG of the picture beside them for programs that take images only.
#include "platform/win/WinMetafile.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QMimeData>
#include <algorithm>

namespace {

const QString kOwnType = QStringLiteral("application/x-quelm-enhmetafile");
const QString kCommonType = QStringLiteral("image/x-emf");

QClipboard* Board()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::clipboard() : nullptr;
}

} // namespace

QImage RenderEnhMetaFile(HENHMETAFILE emf, int maxSide)
{
    if (!emf)
        return QImage();
    const ENHMETAHEADER& h = emf->header;
    double w = (double(h.rclFrame.right) - h.rclFrame.left) * 96 / 2540;
    double hh = (double(h.rclFrame.bottom) - h.rclFrame.top) * 96 / 2540;
    if (w < 1 || hh < 1) {
        w = double(h.rclBounds.right) - h.rclBounds.left + 1;
        hh = double(h.rclBounds.bottom) - h.rclBounds.top + 1;
    }
    const double scale = std::min(1.0, double(maxSide) / std::max({w, hh, 1.0}));
    const int iw = std::max(1, int(w * scale)), ih = std::max(1, int(hh * scale));
    DeviceContext dc(iw, ih);
    const RECT rect{0, 0, iw, ih};
    PlayEnhMetaFile(&dc, emf, &rect);
    return dc.Image()->copy();
}

BOOL SetClipboardEnhMetaFile(HENHMETAFILE emf)
{
    QClipboard* board = Board();
    if (!board || !emf)
        return FALSE;
    auto* data = new QMimeData;
    const QByteArray bytes(reinterpret_cast<const char*>(emf->bytes.data()), qsizetype(emf->bytes.size()));
    data->setData(kOwnType, bytes);
    data->setData(kCommonType, bytes);
    data->setImageData(RenderEnhMetaFile(emf, 2048));
    board->setMimeData(data);
    return TRUE;
}

HENHMETAFILE GetClipboardEnhMetaFile()
{
    QClipboard* board = Board();
    const QMimeData* data = board ? board->mimeData() : nullptr;
    if (!data)
        return nullptr;
    for (const QString& type : {kOwnType, kCommonType})
        if (data->hasFormat(type)) {
            const QByteArray bytes = data->data(type);
            return EnhMetaFileFromBytes(reinterpret_cast<const std::uint8_t*>(bytes.constData()), size_t(bytes.size()));
        }
    return nullptr;
}

BOOL IsClipboardEnhMetaFileAvailable()
{
    QClipboard* board = Board();
    const QMimeData* data = board ? board->mimeData() : nullptr;
    return data && (data->hasFormat(kOwnType) || data->hasFormat(kCommonType)) ? TRUE : FALSE;
}
