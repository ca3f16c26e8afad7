#include "platform/win/WinOle.h"

#include <QBuffer>
#include <QImageReader>
#include <algorithm>
#include <cstring>
#include <tiffio.h>

const GUID IID_IPicture{0x7BF80980, 0xBF32, 0x101A, {0x8B, 0xBB, 0x00, 0xAA, 0x00, 0x30, 0x0C, 0xAB}};
const GUID IID_IUnknown{0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

bool GUID::operator==(const GUID& o) const
{
    return Data1 == o.Data1 && Data2 == o.Data2 && Data3 == o.Data3 && std::memcmp(Data4, o.Data4, 8) == 0;
}

ULONG IUnknown::Release()
{
    const ULONG left = --refs_;
    if (left == 0)
        delete this;
    return left;
}

// ---------------------------------------------------------------- streams

HRESULT IStream::Read(void* buffer, ULONG count, ULONG* read)
{
    if (!buffer && count)
        return STG_E_INVALIDPOINTER;
    const size_t n = pos_ < bytes_.size() ? std::min<size_t>(count, bytes_.size() - pos_) : 0;
    if (n)
        std::memcpy(buffer, bytes_.data() + pos_, n);
    pos_ += n;
    if (read)
        *read = ULONG(n);
    return S_OK;
}

HRESULT IStream::Write(const void* buffer, ULONG count, ULONG* written)
{
    if (!buffer && count)
        return STG_E_INVALIDPOINTER;
    if (pos_ + count > bytes_.size())
        bytes_.resize(pos_ + count);
    if (count)
        std::memcpy(bytes_.data() + pos_, buffer, count);
    pos_ += count;
    if (written)
        *written = count;
    return S_OK;
}

HRESULT IStream::Seek(int64_t move, DWORD origin, uint64_t* newPosition)
{
    int64_t base = 0;
    switch (origin) {
    case STREAM_SEEK_SET: base = 0; break;
    case STREAM_SEEK_CUR: base = int64_t(pos_); break;
    case STREAM_SEEK_END: base = int64_t(bytes_.size()); break;
    default: return E_INVALIDARG;
    }
    const int64_t target = base + move;
    if (target < 0)
        return E_INVALIDARG;
    pos_ = size_t(target);
    if (newPosition)
        *newPosition = uint64_t(target);
    return S_OK;
}

IStream* SHCreateMemStream(const BYTE* data, UINT count)
{
    if (!data && count)
        return nullptr;
    return new IStream(std::vector<uint8_t>(data, data + count));
}

// ---------------------------------------------------------------- decoding

namespace {

constexpr int kMaxSide = 16384;
constexpr int64_t kMaxPixels = 128LL * 1024 * 1024;

bool SizeAcceptable(int w, int h)
{
    return w > 0 && h > 0 && w <= kMaxSide && h <= kMaxSide && int64_t(w) * h <= kMaxPixels;
}

// libtiff client procedures over a byte range.
struct TiffSource {
    const uint8_t* data;
    size_t size;
    size_t pos;
};

tsize_t TiffRead(thandle_t h, tdata_t buf, tsize_t n)
{
    auto* s = static_cast<TiffSource*>(h);
    const size_t left = s->pos < s->size ? s->size - s->pos : 0;
    const size_t k = std::min<size_t>(left, size_t(std::max<tsize_t>(n, 0)));
    if (k)
        std::memcpy(buf, s->data + s->pos, k);
    s->pos += k;
    return tsize_t(k);
}
tsize_t TiffWrite(thandle_t, tdata_t, tsize_t) { return 0; }
toff_t TiffSeek(thandle_t h, toff_t off, int whence)
{
    auto* s = static_cast<TiffSource*>(h);
    int64_t base = whence == SEEK_CUR ? int64_t(s->pos) : whence == SEEK_END ? int64_t(s->size) : 0;
    const int64_t target = base + int64_t(off);
    if (target < 0)
        return toff_t(-1);
    s->pos = size_t(target);
    return toff_t(target);
}
int TiffClose(thandle_t) { return 0; }
toff_t TiffSize(thandle_t h) { return toff_t(static_cast<TiffSource*>(h)->size); }
int TiffMap(thandle_t, tdata_t*, toff_t*) { return 0; }
void TiffUnmap(thandle_t, tdata_t, toff_t) {}
void TiffQuiet(const char*, const char*, va_list) {}

QImage DecodeTiff(const uint8_t* data, size_t size)
{
    TIFFSetErrorHandler(TiffQuiet);
    TIFFSetWarningHandler(TiffQuiet);
    TiffSource source{data, size, 0};
    TIFF* tif = TIFFClientOpen("memory", "rm", &source, TiffRead, TiffWrite, TiffSeek, TiffClose, TiffSize,
                               TiffMap, TiffUnmap);
    if (!tif)
        return QImage();
    QImage result;
    uint32_t w = 0, h = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
    if (w <= uint32_t(kMaxSide) && h <= uint32_t(kMaxSide) && SizeAcceptable(int(w), int(h))) {
        std::vector<uint32_t> raster(size_t(w) * h);
        if (TIFFReadRGBAImageOriented(tif, w, h, raster.data(), ORIENTATION_TOPLEFT, 0)) {
            result = QImage(int(w), int(h), QImage::Format_ARGB32);
            for (uint32_t y = 0; y < h; ++y) {
                auto* line = reinterpret_cast<QRgb*>(result.scanLine(int(y)));
                for (uint32_t x = 0; x < w; ++x) {
                    const uint32_t p = raster[size_t(y) * w + x];
                    line[x] = qRgba(int(TIFFGetR(p)), int(TIFFGetG(p)), int(TIFFGetB(p)), int(TIFFGetA(p)));
                }
            }
        }
    }
    TIFFClose(tif);
    return result;
}

// The place of the first image of a GIF in its logical screen; false when the data ends first.
bool FirstGifFrame(const uint8_t* d, size_t n, QRect& frame)
{
    if (n < 13)
        return false;
    size_t i = 13;
    if (d[10] & 0x80)
        i += size_t(3) << ((d[10] & 7) + 1);
    while (i < n) {
        if (d[i] == 0x2C) {
            if (i + 9 > n)
                return false;
            frame = QRect(d[i + 1] | (d[i + 2] << 8), d[i + 3] | (d[i + 4] << 8), d[i + 5] | (d[i + 6] << 8),
                          d[i + 7] | (d[i + 8] << 8));
            return true;
        }
        if (d[i] != 0x21 || i + 2 > n)
            return false;
        i += 2; // introducer and label, then sub-blocks up to an empty one
        while (i < n && d[i] != 0)
            i += size_t(d[i]) + 1;
        ++i;
    }
    return false;
}

} // namespace

QImage DecodePictureBytes(const uint8_t* data, size_t size, int16_t* type)
{
    if (type)
        *type = PICTYPE_NONE;
    if (!data || size < 4 || size > size_t(1) << 30)
        return QImage();
    const bool tiff = (data[0] == 'I' && data[1] == 'I' && data[2] == 42 && data[3] == 0) ||
                      (data[0] == 'M' && data[1] == 'M' && data[2] == 0 && data[3] == 42);
    QImage image;
    if (tiff) {
        image = DecodeTiff(data, size);
    } else {
        QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        reader.setDecideFormatFromContent(true);
        const QSize s = reader.size();
        if (s.isValid() && !SizeAcceptable(s.width(), s.height()))
            return QImage();
        QImageReader::setAllocationLimit(512);
        image = reader.read();
        if (type && !image.isNull())
            *type = reader.format() == "ico" || reader.format() == "cur" ? PICTYPE_ICON : PICTYPE_BITMAP;
        // a GIF's first image, not the logical screen it stands in
        QRect frame;
        if (!image.isNull() && reader.format() == "gif" && FirstGifFrame(data, size, frame) && !frame.isEmpty() &&
            frame != image.rect() && image.rect().contains(frame))
            image = image.copy(frame);
    }
    if (image.isNull() || !SizeAcceptable(image.width(), image.height()))
        return QImage();
    if (type && *type == PICTYPE_NONE)
        *type = PICTYPE_BITMAP;
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// ---------------------------------------------------------------- pictures

namespace {
LONG PixelsToHimetric(int pixels)
{
    return MulDiv(pixels, 2540, 96);
}
} // namespace

HRESULT IPicture::get_Width(OLE_XSIZE_HIMETRIC* width) const
{
    if (!width)
        return E_POINTER;
    *width = PixelsToHimetric(image_.width());
    return S_OK;
}

HRESULT IPicture::get_Height(OLE_YSIZE_HIMETRIC* height) const
{
    if (!height)
        return E_POINTER;
    *height = PixelsToHimetric(image_.height());
    return S_OK;
}

HRESULT IPicture::get_Type(int16_t* type) const
{
    if (!type)
        return E_POINTER;
    *type = type_;
    return S_OK;
}

HRESULT IPicture::Render(HDC dc, LONG x, LONG y, LONG cx, LONG cy, OLE_XPOS_HIMETRIC xSrc, OLE_YPOS_HIMETRIC ySrc,
                         OLE_XSIZE_HIMETRIC cxSrc, OLE_YSIZE_HIMETRIC cySrc, const RECT* bounds)
{
    (void)bounds;
    if (!dc)
        return E_INVALIDARG;
    if (cx == 0 || cy == 0 || cxSrc == 0 || cySrc == 0 || image_.isNull())
        return S_OK;
    TGdiRecord rec = dc->MakeRecord("RenderPicture");
    rec.Rect = RECT{std::min(x, x + cx), std::min(y, y + cy), std::max(x, x + cx), std::max(y, y + cy)};
    dc->Record(rec);
    // source in pixels, top-down
    const double sx0 = std::min(xSrc, xSrc + cxSrc) * 96.0 / 2540.0;
    const double sw = std::abs(cxSrc) * 96.0 / 2540.0;
    const double sh = std::abs(cySrc) * 96.0 / 2540.0;
    const double ySrcTop = std::max(ySrc, ySrc + cySrc); // HIMETRIC y runs upwards from the bottom
    const double sy0 = image_.height() - ySrcTop * 96.0 / 2540.0;
    const bool flipV = !((cy < 0) != (cySrc < 0));
    const bool flipH = (cx < 0) != (cxSrc < 0);
    const QRect source = QRect(int(std::lround(sx0)), int(std::lround(sy0)), std::max(1, int(std::lround(sw))),
                               std::max(1, int(std::lround(sh))))
                             .intersected(image_.rect());
    if (source.isEmpty())
        return S_OK;
    QImage part = image_.copy(source);
    if (flipV || flipH)
        part = part.mirrored(flipH, flipV);
    QPainter* p = BeginGdiPaint(dc);
    if (!p)
        return S_OK;
    const QPoint tl = dc->ToDevice(rec.Rect.left, rec.Rect.top);
    const QPoint br = dc->ToDevice(rec.Rect.right, rec.Rect.bottom);
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    p->setRenderHint(QPainter::SmoothPixmapTransform, true);
    p->drawImage(QRect(tl, br - QPoint(1, 1)), part);
    p->setRenderHint(QPainter::SmoothPixmapTransform, false);
    dc->Flush();
    return S_OK;
}

HRESULT OleLoadPicture(IStream* stream, LONG size, BOOL runMode, REFIID riid, void** picture)
{
    (void)runMode;
    if (!picture)
        return E_POINTER;
    *picture = nullptr;
    if (!stream)
        return E_POINTER;
    if (!(riid == IID_IPicture) && !(riid == IID_IUnknown))
        return E_NOINTERFACE;
    uint64_t start = 0;
    stream->Seek(0, STREAM_SEEK_CUR, &start);
    const uint64_t available = stream->Size() > start ? stream->Size() - start : 0;
    const uint64_t n = size > 0 ? std::min<uint64_t>(uint64_t(size), available) : available;
    std::vector<uint8_t> bytes(static_cast<size_t>(n));
    ULONG read = 0;
    stream->Read(bytes.data(), ULONG(n), &read);
    int16_t type = PICTYPE_NONE;
    QImage image = DecodePictureBytes(bytes.data(), read, &type);
    if (image.isNull())
        return CTL_E_INVALIDPICTURE;
    *picture = new IPicture(std::move(image), type);
    return S_OK;
}

// ---------------------------------------------------------------- drag and drop

#include "platform/win/WinClipboard.h"
#include "platform/win/WinWindow.h"

#include <QApplication>
#include <QCursor>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QMimeData>
#include <QPointer>
#include <QStringDecoder>
#include <QUrl>
#include <QWidget>
#include <map>

void ReleaseStgMedium(STGMEDIUM* medium)
{
    if (!medium)
        return;
    medium->hGlobal.clear();
    medium->tymed = TYMED_NULL;
    if (medium->pUnkForRelease)
        medium->pUnkForRelease->Release();
    medium->pUnkForRelease = nullptr;
}

namespace {

const char* const kPrivateMime = "application/x-quelm-clipboard;format=\"";

String Lower(const String& s)
{
    String out = s;
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return out;
}

QString MimeOf(UINT format)
{
    if (format == OLE_CF_TEXT || format == OLE_CF_UNICODETEXT)
        return "text/plain";
    if (format == OLE_CF_HDROP)
        return "text/uri-list";
    const String name = DragFormatName(format);
    if (name.empty())
        return QString();
    if (Lower(name) == "rich text format")
        return "text/rtf";
    return QString(kPrivateMime) + QString::fromLatin1(name.c_str()) + "\"";
}

QString FromCodePage(const QByteArray& bytes)
{
    QStringDecoder decoder("windows-1252");
    return decoder.isValid() ? QString(decoder(bytes)) : QString::fromLatin1(bytes);
}

QByteArray ToCodePage(const QString& text)
{
    QStringEncoder encoder("windows-1252");
    return encoder.isValid() ? QByteArray(encoder(text)) : text.toLatin1();
}

// The formats of MIME data, as blocks.
class MimeDataObject : public IDataObject {
public:
    explicit MimeDataObject(const QMimeData* mime)
    {
        if (!mime)
            return;
        if (mime->hasFormat("text/plain")) { // not the text form Qt gives a list of URLs
            QByteArray text = ToCodePage(mime->text());
            text.append('\0');
            Add(OLE_CF_TEXT, text);
            const QString t = mime->text();
            QByteArray wide(reinterpret_cast<const char*>(t.utf16()), qsizetype(t.size()) * 2);
            wide.append(2, '\0');
            Add(OLE_CF_UNICODETEXT, wide);
        }
        if (mime->hasUrls()) {
            // DROPFILES: offset of the list, a point, non-client flag, wide flag; then the names
            QByteArray names;
            for (const QUrl& url : mime->urls())
                if (url.isLocalFile()) {
                    names.append(ToCodePage(url.toLocalFile()));
                    names.append('\0');
                }
            if (!names.isEmpty()) {
                names.append('\0');
                QByteArray block(20, '\0');
                block[0] = 20;
                block.append(names);
                Add(OLE_CF_HDROP, block);
            }
        }
        for (const QString& type : mime->formats()) {
            if (type == "text/rtf") {
                QByteArray rtf = mime->data(type);
                rtf.append('\0');
                Add(RegisterDragFormat("Rich Text Format"), rtf);
            } else if (type.startsWith(kPrivateMime) && type.endsWith('"')) {
                const QString name = type.mid(qsizetype(std::strlen(kPrivateMime)),
                                              type.size() - qsizetype(std::strlen(kPrivateMime)) - 1);
                Add(RegisterDragFormat(name.toLatin1().toStdString()), mime->data(type));
            }
        }
    }
    HRESULT GetData(const FORMATETC* format, STGMEDIUM* medium) override
    {
        if (!format || !medium)
            return E_INVALIDARG;
        *medium = STGMEDIUM{};
        if (QueryGetData(format) != S_OK)
            return DV_E_FORMATETC;
        const QByteArray& bytes = blocks_[format->cfFormat];
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal.assign(bytes.begin(), bytes.end());
        return S_OK;
    }
    HRESULT QueryGetData(const FORMATETC* format) override
    {
        if (!format || format->dwAspect != DVASPECT_CONTENT || !(format->tymed & TYMED_HGLOBAL))
            return DV_E_FORMATETC;
        return blocks_.count(format->cfFormat) ? S_OK : DV_E_FORMATETC;
    }
    HRESULT EnumFormatEtc(DWORD direction, IEnumFORMATETC** result) override;

private:
    void Add(UINT format, const QByteArray& bytes)
    {
        if (!format || blocks_.count(format))
            return;
        blocks_[format] = bytes;
        order_.push_back(format);
    }
    std::map<UINT, QByteArray> blocks_;
    std::vector<UINT> order_;
};

class ListEnum : public IEnumFORMATETC {
public:
    ListEnum(std::vector<UINT> formats, size_t position) : formats_(std::move(formats)), pos_(position) {}
    HRESULT Next(ULONG count, FORMATETC* out, ULONG* fetched) override
    {
        ULONG n = 0;
        while (n < count && pos_ < formats_.size() && out) {
            out[n] = FORMATETC{formats_[pos_], nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
            ++n;
            ++pos_;
        }
        if (fetched)
            *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    HRESULT Skip(ULONG count) override
    {
        pos_ += count;
        if (pos_ > formats_.size()) {
            pos_ = formats_.size();
            return S_FALSE;
        }
        return S_OK;
    }
    HRESULT Reset() override
    {
        pos_ = 0;
        return S_OK;
    }
    HRESULT Clone(IEnumFORMATETC** result) override
    {
        if (!result)
            return E_POINTER;
        *result = new ListEnum(formats_, pos_);
        return S_OK;
    }

private:
    std::vector<UINT> formats_;
    size_t pos_;
};

HRESULT MimeDataObject::EnumFormatEtc(DWORD direction, IEnumFORMATETC** result)
{
    if (!result)
        return E_POINTER;
    *result = nullptr;
    if (direction != DATADIR_GET)
        return E_NOTIMPL;
    *result = new ListEnum(order_, 0);
    return S_OK;
}

DWORD EffectOf(Qt::DropAction action)
{
    switch (action) {
    case Qt::CopyAction: return DROPEFFECT_COPY;
    case Qt::MoveAction: return DROPEFFECT_MOVE;
    case Qt::LinkAction: return DROPEFFECT_LINK;
    default: return DROPEFFECT_NONE;
    }
}

Qt::DropActions ActionsOf(DWORD effects)
{
    Qt::DropActions a;
    if (effects & DROPEFFECT_COPY)
        a |= Qt::CopyAction;
    if (effects & DROPEFFECT_MOVE)
        a |= Qt::MoveAction;
    if (effects & DROPEFFECT_LINK)
        a |= Qt::LinkAction;
    return a;
}

Qt::DropAction ActionOf(DWORD effect)
{
    if (effect & DROPEFFECT_MOVE)
        return Qt::MoveAction;
    if (effect & DROPEFFECT_COPY)
        return Qt::CopyAction;
    if (effect & DROPEFFECT_LINK)
        return Qt::LinkAction;
    return Qt::IgnoreAction;
}

DWORD KeysOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons)
{
    DWORD keys = 0;
    if (modifiers & Qt::ControlModifier)
        keys |= MK_CONTROL;
    if (modifiers & Qt::ShiftModifier)
        keys |= MK_SHIFT;
    if (buttons & Qt::LeftButton)
        keys |= MK_LBUTTON;
    if (buttons & Qt::RightButton)
        keys |= MK_RBUTTON;
    return keys;
}

class DropFilter;
std::map<QWidget*, DropFilter*>& Filters()
{
    static std::map<QWidget*, DropFilter*> filters;
    return filters;
}

// Turns Qt's drag events on a registered window into calls of its drop target.
class DropFilter : public QObject {
public:
    DropFilter(QWidget* window, IDropTarget* target) : QObject(window), window_(window), target_(target)
    {
        target_->AddRef();
        Filters()[window] = this;
    }
    ~DropFilter() override
    {
        for (auto it = Filters().begin(); it != Filters().end(); ++it)
            if (it->second == this) {
                Filters().erase(it);
                break;
            }
        target_->Release();
    }
    IDropTarget* Target() const { return target_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != window_)
            return false;
        switch (event->type()) {
        case QEvent::DragEnter: {
            auto* e = static_cast<QDragEnterEvent*>(event);
            IDataObject* data = DataObjectOfMimeData(e->mimeData());
            DWORD effect = EffectOf(e->proposedAction()) | EffectOf(Qt::DropAction(int(e->possibleActions())));
            const QPoint g = window_->mapToGlobal(e->position().toPoint());
            target_->DragEnter(data, KeysOf(e->modifiers(), e->buttons()), POINT{g.x(), g.y()}, &effect);
            data->Release();
            Answer(e, effect);
            return true;
        }
        case QEvent::DragMove: {
            auto* e = static_cast<QDragMoveEvent*>(event);
            DWORD effect = EffectOf(Qt::DropAction(int(e->possibleActions())));
            const QPoint g = window_->mapToGlobal(e->position().toPoint());
            target_->DragOver(KeysOf(e->modifiers(), e->buttons()), POINT{g.x(), g.y()}, &effect);
            Answer(e, effect);
            return true;
        }
        case QEvent::DragLeave:
            target_->DragLeave();
            return true;
        case QEvent::Drop: {
            auto* e = static_cast<QDropEvent*>(event);
            IDataObject* data = DataObjectOfMimeData(e->mimeData());
            DWORD effect = EffectOf(Qt::DropAction(int(e->possibleActions())));
            const QPoint g = window_->mapToGlobal(e->position().toPoint());
            target_->Drop(data, KeysOf(e->modifiers(), e->buttons()), POINT{g.x(), g.y()}, &effect);
            data->Release();
            Answer(e, effect);
            return true;
        }
        default:
            return false;
        }
    }

private:
    static void Answer(QDropEvent* e, DWORD effect)
    {
        if (effect == DROPEFFECT_NONE) {
            e->ignore();
        } else {
            e->setDropAction(ActionOf(effect));
            e->accept();
        }
    }
    QPointer<QWidget> window_;
    IDropTarget* target_;
};

DropFilter* FilterOf(HWND window)
{
    const auto it = Filters().find(window);
    return it == Filters().end() ? nullptr : it->second;
}

} // namespace

UINT RegisterDragFormat(const String& name)
{
    return name.empty() ? 0 : RegisterClipboardFormat(name.c_str());
}

String DragFormatName(UINT format)
{
    char name[256] = {};
    const int n = GetClipboardFormatName(format, name, int(sizeof(name)));
    return n > 0 ? String(name, size_t(n)) : String();
}

QMimeData* MimeDataOfDataObject(IDataObject* data)
{
    auto* mime = new QMimeData;
    if (!data)
        return mime;
    IEnumFORMATETC* formats = nullptr;
    if (data->EnumFormatEtc(DATADIR_GET, &formats) != S_OK || !formats)
        return mime;
    FORMATETC f;
    ULONG fetched = 0;
    while (formats->Next(1, &f, &fetched) == S_OK && fetched == 1) {
        STGMEDIUM medium;
        if (data->GetData(&f, &medium) != S_OK)
            continue;
        const QByteArray bytes(reinterpret_cast<const char*>(medium.hGlobal.data()), qsizetype(medium.hGlobal.size()));
        ReleaseStgMedium(&medium);
        if (f.cfFormat == OLE_CF_TEXT) {
            mime->setText(FromCodePage(bytes.left(bytes.indexOf('\0') < 0 ? bytes.size() : bytes.indexOf('\0'))));
        } else if (f.cfFormat == OLE_CF_UNICODETEXT) {
            if (!mime->hasText()) {
                QString t = QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()), bytes.size() / 2);
                mime->setText(t.left(t.indexOf(QChar(0)) < 0 ? t.size() : t.indexOf(QChar(0))));
            }
        } else {
            const QString type = MimeOf(f.cfFormat);
            if (type == "text/rtf")
                mime->setData(type, bytes.left(bytes.indexOf('\0') < 0 ? bytes.size() : bytes.indexOf('\0')));
            else if (!type.isEmpty() && type != "text/uri-list")
                mime->setData(type, bytes);
        }
    }
    formats->Release();
    return mime;
}

IDataObject* DataObjectOfMimeData(const QMimeData* mime)
{
    return new MimeDataObject(mime);
}

HRESULT RegisterDragDrop(HWND window, IDropTarget* target)
{
    if (!window || !target)
        return E_INVALIDARG;
    if (FilterOf(window))
        return DRAGDROP_E_ALREADYREGISTERED;
    auto* filter = new DropFilter(window, target);
    window->installEventFilter(filter);
    window->setAcceptDrops(true);
    return S_OK;
}

HRESULT RevokeDragDrop(HWND window)
{
    DropFilter* filter = FilterOf(window);
    if (!filter)
        return DRAGDROP_E_NOTREGISTERED;
    window->removeEventFilter(filter);
    window->setAcceptDrops(false);
    delete filter;
    return S_OK;
}

IDropTarget* RegisteredDropTarget(HWND window)
{
    DropFilter* filter = FilterOf(window);
    return filter ? filter->Target() : nullptr;
}

namespace {
TDoDragDropHandler& DragLoopHandler()
{
    static TDoDragDropHandler handler;
    return handler;
}
} // namespace

TDoDragDropHandler SetDoDragDropHandler(TDoDragDropHandler handler)
{
    TDoDragDropHandler before = std::move(DragLoopHandler());
    DragLoopHandler() = std::move(handler);
    return before;
}

HRESULT DoDragDrop(IDataObject* data, IDropSource* source, DWORD okEffects, DWORD* effect)
{
    if (!data || !source || !effect)
        return E_INVALIDARG;
    if (DragLoopHandler())
        return DragLoopHandler()(data, source, okEffects, effect);
    *effect = DROPEFFECT_NONE;
    QWidget* from = qobject_cast<QApplication*>(QCoreApplication::instance()) ? QApplication::widgetAt(QCursor::pos())
                                                                               : nullptr;
    if (!from && qobject_cast<QApplication*>(QCoreApplication::instance()))
        from = QApplication::activeWindow();
    if (!from || QGuiApplication::platformName() == "offscreen") {
        source->QueryContinueDrag(TRUE, 0);
        return DRAGDROP_S_CANCEL;
    }
    auto* drag = new QDrag(from);
    drag->setMimeData(MimeDataOfDataObject(data));
    QObject::connect(drag, &QDrag::actionChanged, [source](Qt::DropAction a) { source->GiveFeedback(EffectOf(a)); });
    const Qt::DropAction done = drag->exec(ActionsOf(okEffects), ActionOf(okEffects & DROPEFFECT_MOVE ? DROPEFFECT_MOVE : okEffects));
    drag->deleteLater();
    if (done == Qt::IgnoreAction) {
        source->QueryContinueDrag(TRUE, 0);
        return DRAGDROP_S_CANCEL;
    }
    source->QueryContinueDrag(FALSE, 0);
    *effect = EffectOf(done);
    return DRAGDROP_S_DROP;
}

DWORD DeliverDrop(HWND window, const QMimeData* mime, POINT point, DWORD keyState, DWORD okEffects)
{
    IDropTarget* target = RegisteredDropTarget(window);
    if (!target)
        return DROPEFFECT_NONE;
    IDataObject* data = DataObjectOfMimeData(mime);
    DWORD effect = okEffects;
    target->DragEnter(data, keyState | MK_LBUTTON, point, &effect);
    if (effect != DROPEFFECT_NONE) {
        effect = okEffects;
        target->DragOver(keyState | MK_LBUTTON, point, &effect);
    }
    if (effect == DROPEFFECT_NONE) {
        target->DragLeave();
    } else {
        effect = okEffects;
        target->Drop(data, keyState, point, &effect);
    }
    data->Release();
    return effect;
}
