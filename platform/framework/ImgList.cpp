#include "platform/framework/ImgList.h"

#include <algorithm>

TCustomImageList::TCustomImageList(TComponent* owner) : TComponent(owner) {}

TCustomImageList::TCustomImageList(int width, int height, TComponent* owner)
    : TComponent(owner), width_(std::max(1, width)), height_(std::max(1, height))
{
}

void TCustomImageList::SetWidth(int width)
{
    if (width == width_ || width < 1)
        return;
    width_ = width;
    Clear();
}

void TCustomImageList::SetHeight(int height)
{
    if (height == height_ || height < 1)
        return;
    height_ = height;
    Clear();
}

void TCustomImageList::CheckIndex(int index) const
{
    if (index < 0 || index >= Count())
        throw EInvalidOperation("Invalid image list index " + IntToStr(index));
}

int TCustomImageList::AddImage(const QImage& picture)
{
    if (picture.isNull())
        return -1;
    const int first = Count();
    // One image per Width-wide part; a narrower or lower picture sits in the top-left corner.
    const int parts = std::max(1, picture.width() / width_);
    for (int i = 0; i < parts; ++i) {
        QImage image(width_, height_, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(QPoint(0, 0), picture, QRect(i * width_, 0, width_, height_));
        p.end();
        images_.push_back(image);
    }
    Change();
    return first;
}

int TCustomImageList::Add(TBitmap* image, TBitmap* mask)
{
    if (!image || image->Empty())
        return -1;
    QImage picture = image->Image().convertToFormat(QImage::Format_ARGB32);
    if (mask && !mask->Empty()) {
        const QImage& m = mask->Image();
        for (int y = 0; y < picture.height() && y < m.height(); ++y)
            for (int x = 0; x < picture.width() && x < m.width(); ++x)
                if (qGray(m.pixel(x, y)) >= 128)
                    picture.setPixel(x, y, 0);
    }
    return AddImage(picture);
}

int TCustomImageList::AddMasked(TBitmap* image, TColor maskColor)
{
    if (!image || image->Empty())
        return -1;
    QImage picture = image->Image().convertToFormat(QImage::Format_ARGB32);
    const QRgb key = (maskColor == clDefault ? QColor(picture.pixel(0, picture.height() - 1)).rgb()
                                             : ColorRefToQColor(ColorToColorRef(maskColor)).rgb()) & 0xFFFFFF;
    for (int y = 0; y < picture.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x)
            if ((line[x] & 0xFFFFFF) == key)
                line[x] = 0;
    }
    return AddImage(picture);
}

int TCustomImageList::AddIcon(TIcon* icon)
{
    if (!icon || !icon->Handle())
        return -1;
    const QImage scaled = icon->Handle()->image.scaled(width_, height_, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return AddImage(scaled);
}

void TCustomImageList::Replace(int index, TBitmap* image, TBitmap* mask)
{
    CheckIndex(index);
    TCustomImageList scratch(width_, height_, nullptr);
    if (scratch.Add(image, mask) < 0)
        return;
    images_[size_t(index)] = scratch.images_.front();
    Change();
}

void TCustomImageList::Delete(int index)
{
    if (index == -1) {
        Clear();
        return;
    }
    CheckIndex(index);
    images_.erase(images_.begin() + index);
    Change();
}

void TCustomImageList::Clear()
{
    if (images_.empty())
        return;
    images_.clear();
    Change();
}

void TCustomImageList::Move(int from, int to)
{
    CheckIndex(from);
    CheckIndex(to);
    QImage image = images_[size_t(from)];
    images_.erase(images_.begin() + from);
    images_.insert(images_.begin() + to, image);
    Change();
}

const QImage& TCustomImageList::Image(int index) const
{
    CheckIndex(index);
    return images_[size_t(index)];
}

void TCustomImageList::Draw(TCanvas* canvas, int x, int y, int index, bool enabled)
{
    Draw(canvas, x, y, index, DrawingStyle, ImageType, enabled);
}

void TCustomImageList::Draw(TCanvas* canvas, int x, int y, int index, TDrawingStyle, TImageType type, bool enabled)
{
    if (!canvas || index < 0 || index >= Count())
        return;
    canvas->RequiredState();
    HDC dc = canvas->Handle();
    if (!dc)
        return;
    QImage image = images_[size_t(index)];
    if (!enabled) {
        // Grey, keeping the transparency.
        for (int yy = 0; yy < image.height(); ++yy) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(yy));
            for (int xx = 0; xx < image.width(); ++xx) {
                const int g = 128 + qGray(line[xx]) / 2;
                line[xx] = qRgba(g, g, g, qAlpha(line[xx]));
            }
        }
    }
    HICON icon = CreateIconFromImage(image);
    if (BkColor != clNone) {
        HBRUSH brush = CreateSolidBrush(ColorToColorRef(BkColor));
        DrawIconEx(dc, x, y, icon, width_, height_, 0, brush, type == itMask ? DI_MASK : DI_NORMAL);
        DeleteObject(brush);
    } else {
        DrawIconEx(dc, x, y, icon, width_, height_, 0, nullptr, type == itMask || !Masked ? (type == itMask ? DI_MASK : DI_IMAGE) : DI_NORMAL);
    }
    DestroyIcon(icon);
}

bool TCustomImageList::GetBitmap(int index, TBitmap* image)
{
    if (!image || index < 0 || index >= Count())
        return false;
    QImage out(width_, height_, QImage::Format_RGB32);
    out.fill(BkColor == clNone ? QColor(Qt::black) : ColorRefToQColor(ColorToColorRef(BkColor)));
    QPainter p(&out);
    p.drawImage(0, 0, images_[size_t(index)]);
    p.end();
    image->SetImage(out);
    return true;
}

void TCustomImageList::GetIcon(int index, TIcon* icon)
{
    if (!icon || index < 0 || index >= Count())
        return;
    icon->SetHandle(CreateIconFromImage(images_[size_t(index)]));
}

void TCustomImageList::Change()
{
    if (OnChange)
        OnChange(this);
}
