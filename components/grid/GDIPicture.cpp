#include "components/grid/GDIPicture.h"

#include "components/grid/PlusGDIP.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <unistd.h>

namespace {

// A stream over a copy of the bytes, released when it goes out of scope.
struct ImageStream {
    explicit ImageStream(const std::vector<uint8_t>& bytes) : stream(SHCreateMemStream(bytes.data(), UINT(bytes.size())))
    {
        if (!stream)
            throw Exception("Could not allocate memory for image");
    }
    ~ImageStream() { stream->Release(); }
    IStream* stream;
};

std::vector<uint8_t> ReadAll(IStream* stream)
{
    stream->Seek(0, STREAM_SEEK_SET, nullptr);
    std::vector<uint8_t> bytes(static_cast<size_t>(stream->Size()));
    ULONG read = 0;
    stream->Read(bytes.data(), ULONG(bytes.size()), &read);
    bytes.resize(read);
    return bytes;
}

std::vector<uint8_t> FileBytes(const String& name)
{
    std::ifstream in(name, std::ios::binary);
    if (!in)
        throw Exception("Cannot open file \"" + name + "\"");
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A graphic saved as its file, read back as bytes.
std::vector<uint8_t> SavedBytes(TGraphic* graphic, const char* extension)
{
    char name[] = "/tmp/gdipictureXXXXXX";
    const int fd = mkstemp(name);
    if (fd < 0)
        return {};
    close(fd);
    const String file = String(name) + extension;
    std::rename(name, file.c_str());
    std::vector<uint8_t> bytes;
    try {
        graphic->SaveToFile(file);
        bytes = FileBytes(file);
    } catch (const std::exception&) {
    }
    std::remove(file.c_str());
    return bytes;
}

} // namespace

bool TGDIPPicture::MeasureImage()
{
    if (empty_ || data_.empty())
        return false;
    ImageStream s(data_);
    TGPImage image(s.stream);
    width_ = int(image.GdipGetImageWidth());
    height_ = int(image.GdipGetImageHeight());
    return true;
}

void TGDIPPicture::Draw(TCanvas* Canvas, const TRect& Rect)
{
    if (empty_ || data_.empty() || !Canvas)
        return;
    ImageStream s(data_);
    Canvas->RequiredState();
    TGPGraphics graphics(Canvas->Handle());
    TGPImage image(s.stream);
    if (image.ImageKind() == ikBMP) {
        const std::vector<uint8_t> bytes = data_;
        TBitmap bitmap;
        char name[] = "/tmp/gdipbmpXXXXXX";
        const int fd = mkstemp(name);
        if (fd >= 0) {
            close(fd);
            const String file = String(name) + ".bmp";
            std::rename(name, file.c_str());
            {
                std::ofstream out(file, std::ios::binary);
                out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
            }
            try {
                bitmap.LoadFromFile(file);
                bitmap.SetTransparentColor(clDefault);
                bitmap.Transparent = true;
                Canvas->StretchDraw(Rect, &bitmap);
            } catch (const std::exception&) {
            }
            std::remove(file.c_str());
        }
        return;
    }
    if (image.LastStatus() != Ok)
        return;
    width_ = int(image.GdipGetImageWidth());
    height_ = int(image.GdipGetImageHeight());
    graphics.GdipDrawImageRect(&image, Rect.Left, Rect.Top, Rect.Right - Rect.Left, Rect.Bottom - Rect.Top);
}

void TGDIPPicture::Assign(TPersistent* Source)
{
    empty_ = true;
    if (!Source) {
        data_.clear();
        empty_ = true;
        Changed();
        if (OnClear)
            OnClear(this);
        return;
    }
    if (auto* other = dynamic_cast<TGDIPPicture*>(Source)) {
        data_ = other->data_;
        empty_ = data_.empty();
        Changed();
    } else if (auto* bitmap = dynamic_cast<TBitmap*>(Source)) {
        data_ = SavedBytes(bitmap, ".bmp");
        empty_ = data_.empty();
        Changed();
    } else if (auto* picture = dynamic_cast<TPicture*>(Source)) {
        if (picture->Graphic()) {
            data_ = SavedBytes(picture->Graphic(), dynamic_cast<TBitmap*>(picture->Graphic()) ? ".bmp" : ".png");
            empty_ = data_.empty();
        } else {
            data_.clear();
        }
        Changed();
    }
    MeasureImage();
}

void TGDIPPicture::LoadFromFile(const String& FileName)
{
    try {
        data_ = FileBytes(FileName);
        empty_ = false;
        if (OnClear)
            OnClear(this);
        MeasureImage();
        if (width_ == 0 && height_ == 0)
            empty_ = true; // not a picture
        Changed();
    } catch (const std::exception&) {
        empty_ = true;
    }
}

void TGDIPPicture::SaveToFile(const String& FileName)
{
    std::ofstream out(FileName, std::ios::binary);
    out.write(reinterpret_cast<const char*>(data_.data()), std::streamsize(data_.size()));
}

void TGDIPPicture::LoadFromStream(IStream* Stream)
{
    if (!Stream)
        return;
    data_ = ReadAll(Stream);
    empty_ = false;
    MeasureImage();
    Changed();
}

void TGDIPPicture::SaveToStream(IStream* Stream) const
{
    if (Stream && !data_.empty())
        Stream->Write(data_.data(), ULONG(data_.size()), nullptr);
}

void TGDIPPicture::ReadData(IStream* Stream)
{
    if (!Stream)
        return;
    data_ = ReadAll(Stream);
    empty_ = false;
}
