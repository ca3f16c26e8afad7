#include "components/grid/PictureContainer.h"

#include "platform/win/WinOle.h"
#include "platform/win/WinResource.h"

#include <fstream>
#include <iterator>

namespace {

// A graphic control extension directly followed by an image descriptor starts at i.
bool FrameStartsAt(const std::vector<uint8_t>& d, size_t i)
{
    return d[i] == 0x21 && d.size() - i > 8 && d[i + 1] == 0xF9 && d[i + 2] == 0x04 && d[i + 8] == 0x2C;
}

int Word16(const std::vector<uint8_t>& d, size_t at)
{
    if (at + 1 >= d.size())
        return 0;
    return d[at] | (d[at + 1] << 8);
}

} // namespace

THTMLPicture::THTMLPicture() = default;

THTMLPicture::~THTMLPicture()
{
    ReleasePicture();
}

void THTMLPicture::ReleasePicture()
{
    if (picture_)
        picture_->Release();
    picture_ = nullptr;
}

bool THTMLPicture::IsGif() const
{
    return data_.size() > 4 && data_[0] == 'G' && data_[1] == 'I' && data_[2] == 'F' && data_[3] == '8';
}

void THTMLPicture::Decode()
{
    frameLeft_ = frameTop_ = 0;
    frameWidth_ = frameHeight_ = 0;
    animWidth_ = animHeight_ = 0;
    std::vector<uint8_t> block;
    if (IsGif() && FrameCount() > 0) {
        animWidth_ = Word16(data_, 6);
        animHeight_ = Word16(data_, 8);
        int frameNumber = 1;
        bool skip = false;
        block.reserve(data_.size());
        for (size_t i = 0; i < data_.size(); ++i) {
            if (FrameStartsAt(data_, i)) {
                if (frameNumber == frame_) {
                    frameLeft_ = Word16(data_, i + 9);
                    frameTop_ = Word16(data_, i + 11);
                    frameWidth_ = Word16(data_, i + 13);
                    frameHeight_ = Word16(data_, i + 15);
                }
                ++frameNumber;
                skip = frame_ >= frameNumber;
            }
            if (!skip)
                block.push_back(data_[i]);
        }
    } else {
        block = data_;
    }
    ReleasePicture();
    IStream* stream = SHCreateMemStream(block.data(), UINT(block.size()));
    if (!stream)
        throw Exception("Could not create image stream");
    void* out = nullptr;
    const HRESULT hr = OleLoadPicture(stream, LONG(block.size()), FALSE, IID_IPicture, &out);
    stream->Release();
    if (FAILED(hr))
        throw Exception("Could not load image. Invalid format");
    if (!out)
        throw Exception("Could not load image");
    picture_ = static_cast<IPicture*>(out);
}

int THTMLPicture::Width() const
{
    if (!picture_)
        return 0;
    OLE_XSIZE_HIMETRIC w = 0;
    picture_->get_Width(&w);
    return MulDiv(w, 96, 2540);
}

int THTMLPicture::Height() const
{
    if (!picture_)
        return 0;
    OLE_YSIZE_HIMETRIC h = 0;
    picture_->get_Height(&h);
    return MulDiv(h, 96, 2540);
}

int THTMLPicture::MaxWidth() const
{
    if (!picture_)
        return 0;
    return animWidth_ ? animWidth_ : Width();
}

int THTMLPicture::MaxHeight() const
{
    if (!picture_)
        return 0;
    return animHeight_ ? animHeight_ : Height();
}

int THTMLPicture::FrameCount()
{
    if (frameCount_ != -1)
        return frameCount_;
    if (!IsGif())
        return -1;
    int count = 0;
    for (size_t i = 0; i < data_.size(); ++i)
        if (FrameStartsAt(data_, i))
            ++count;
    frameCount_ = count;
    return count;
}

void THTMLPicture::Draw(TCanvas* Canvas, const TRect& Rect)
{
    if (empty_ || !picture_ || !Canvas)
        return;
    Canvas->RequiredState();
    HDC dc = Canvas->Handle();
    if (!dc)
        return;
    OLE_XSIZE_HIMETRIC hmWidth = 0;
    OLE_YSIZE_HIMETRIC hmHeight = 0;
    picture_->get_Width(&hmWidth);
    picture_->get_Height(&hmHeight);
    const RECT bounds = Rect;
    if (Stretch) {
        picture_->Render(dc, Rect.Left, Rect.Bottom, Rect.Right - Rect.Left, -(Rect.Bottom - Rect.Top), 0, 0,
                         hmWidth, hmHeight, &bounds);
    } else {
        const int w = MulDiv(hmWidth, GetDeviceCaps(dc, LOGPIXELSX), 2540);
        const int h = MulDiv(hmHeight, GetDeviceCaps(dc, LOGPIXELSY), 2540);
        picture_->Render(dc, Rect.Left, Rect.Top, w, h, 0, hmHeight, hmWidth, -hmHeight, &bounds);
    }
}

void THTMLPicture::LoadFromBytes(const std::vector<uint8_t>& Bytes)
{
    data_ = Bytes;
    empty_ = false;
    frameCount_ = -1;
    Decode();
    if (OnChange)
        OnChange(this);
}

void THTMLPicture::LoadFromStream(IStream* Stream)
{
    if (!Stream)
        return;
    uint64_t pos = 0;
    Stream->Seek(0, STREAM_SEEK_CUR, &pos);
    std::vector<uint8_t> bytes(size_t(Stream->Size() > pos ? Stream->Size() - pos : 0));
    ULONG read = 0;
    Stream->Read(bytes.data(), ULONG(bytes.size()), &read);
    bytes.resize(read);
    LoadFromBytes(bytes);
}

void THTMLPicture::SaveToStream(IStream* Stream) const
{
    if (Stream && !data_.empty())
        Stream->Write(data_.data(), ULONG(data_.size()), nullptr);
}

void THTMLPicture::LoadFromFile(const String& FileName)
{
    try {
        std::ifstream in(FileName, std::ios::binary);
        if (!in)
            throw Exception("Cannot open " + FileName);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        LoadFromBytes(bytes);
    } catch (const std::exception&) {
        empty_ = true;
        ReleasePicture();
    }
}

void THTMLPicture::SaveToFile(const String& FileName)
{
    std::ofstream out(FileName, std::ios::binary);
    out.write(reinterpret_cast<const char*>(data_.data()), std::streamsize(data_.size()));
}

void THTMLPicture::SetFrame(int Value)
{
    frame_ = Value;
    if (!data_.empty()) {
        Decode();
        if (OnFrameChange)
            OnFrameChange(this);
    }
}

void THTMLPicture::Assign(TPersistent* Source)
{
    empty_ = true;
    ReleasePicture();
    frameCount_ = -1;
    SetFrame(1);
    if (!Source) {
        data_.clear();
        return;
    }
    auto* other = dynamic_cast<THTMLPicture*>(Source);
    if (!other)
        return;
    Stretch = other->Stretch;
    frame_ = other->frame_;
    sourceKey_ = other->sourceKey_;
    data_ = other->data_;
    empty_ = false;
    Decode();
    if (OnChange)
        OnChange(this);
}

void THTMLPicture::LoadFromURL(const String& Url)
{
    const String upper = UpperCase(Url);
    if (upper.rfind("RES://", 0) == 0) {
        sourceKey_ = Url;
        const String name = Url.substr(6);
        if (!name.empty())
            LoadFromResourceName(nullptr, name);
    } else if (upper.rfind("FILE://", 0) == 0) {
        sourceKey_ = Url;
        const String name = Url.substr(7);
        if (!name.empty())
            LoadFromFile(name);
    } else if (!Asynch) {
        downloadUrl_ = Url;
        sourceKey_ = Url;
    } else if (!downloadRunning_) {
        // network sources are not fetched: the picture stays empty
        downloadUrl_ = Url;
        downloadRunning_ = true;
    }
}

void THTMLPicture::LoadFromResourceName(HINSTANCE Instance, const String& Name)
{
    HRSRC resource = FindResource(Instance, Name.c_str(), RT_RCDATA);
    if (!resource)
        return;
    const auto* bytes = static_cast<const uint8_t*>(LockResource(LoadResource(Instance, resource)));
    LoadFromBytes(std::vector<uint8_t>(bytes, bytes + SizeofResource(Instance, resource)));
}

THTMLPicture* THTMLPictureCache::AddPicture()
{
    items_.push_back(std::make_unique<THTMLPicture>());
    return items_.back().get();
}

THTMLPicture* THTMLPictureCache::FindPicture(const String& Key) const
{
    for (const auto& p : items_)
        if (p->SourceKey() == Key)
            return p.get();
    return nullptr;
}

void TPictureItem::Assign(TPersistent* Source)
{
    auto* other = dynamic_cast<TPictureItem*>(Source);
    if (!other) {
        TPersistent::Assign(Source);
        return;
    }
    Name = other->Name;
    Tag = other->Tag;
    picture_->Assign(other->Picture());
}

TPictureItem* TPictureCollection::Add()
{
    items_.push_back(std::make_unique<TPictureItem>());
    return items_.back().get();
}

THTMLPicture* TPictureContainer::PictureByName(const String& Name)
{
    const String key = UpperCase(Name);
    for (int i = 0; i < items_.Count(); ++i)
        if (UpperCase(items_.Items(i)->Name) == key)
            return items_.Items(i)->Picture();
    return nullptr;
}
