#pragma once
// Pictures that mini-HTML texts show: THTMLPicture keeps the bytes of an image file as
// loaded and decodes them with the OLE picture loader (BMP, PNG, JPEG, GIF with a choice of
// frame, icons, TIFF); THTMLPictureCache keeps pictures by the URL they came from;
// TPictureContainer holds named pictures that the renderer looks up by name.
//
// Bytes that do not decode leave the picture without an image: it measures 0 x 0 and draws
// nothing.
#include "platform/framework/Component.h"
#include "platform/framework/Graphics.h"
#include "platform/win/WinModule.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class IPicture;
class IStream;

class THTMLPicture : public TGraphic {
public:
    THTMLPicture();
    ~THTMLPicture() override;
    THTMLPicture(const THTMLPicture&) = delete;
    THTMLPicture& operator=(const THTMLPicture&) = delete;
    String ClassName() const override { return "THTMLPicture"; }

    // Empties the picture and resets the frame to 1; a THTMLPicture source gives its bytes,
    // stretch flag, frame and source key, which are then decoded (a decoding failure raises).
    void Assign(TPersistent* Source) override;
    void Draw(TCanvas* Canvas, const TRect& Rect) override;
    bool Empty() const override { return empty_; }
    // Pixels at 96 per inch; 0 without a decoded picture.
    int Width() const override;
    int Height() const override;
    // The GIF's logical screen where there is one, else Width and Height.
    int MaxWidth() const;
    int MaxHeight() const;
    // Number of GIF frames (graphic control extensions directly followed by an image); -1
    // for data that is no GIF.
    int FrameCount();
    int FrameLeft() const { return frameLeft_; }
    int FrameTop() const { return frameTop_; }
    int FrameWidth() const { return frameWidth_; }
    int FrameHeight() const { return frameHeight_; }

    // A file that cannot be read or decoded leaves the picture empty; nothing is raised.
    void LoadFromFile(const String& FileName) override;
    // Writes the picture's bytes unchanged.
    void SaveToFile(const String& FileName) override;
    // The rest of the stream; a null stream does nothing. Raises Exception with the
    // decoder's message when the bytes are no picture ("Could not load image. Invalid format").
    void LoadFromStream(IStream* Stream);
    void LoadFromBytes(const std::vector<uint8_t>& Bytes);
    void SaveToStream(IStream* Stream) const;
    // The program's RT_RCDATA resource of that name (its bytes as by LoadFromStream); without
    // one the picture stays as it was.
    void LoadFromResourceName(HINSTANCE Instance, const String& Name);
    // "RES://name" (the program's resource of that name), "FILE://path", anything else: kept
    // as the download URL and left empty.
    void LoadFromURL(const String& Url);
    const std::vector<uint8_t>& Data() const { return data_; }

    bool Stretch = false;
    bool Asynch = true;
    int Frame() const { return frame_; }
    void SetFrame(int Value);
    const String& SourceKey() const { return sourceKey_; }
    const String& DownloadUrl() const { return downloadUrl_; }
    TNotifyEvent OnFrameChange;
    TNotifyEvent OnChange;

private:
    void Decode();
    void ReleasePicture();
    bool IsGif() const;
    std::vector<uint8_t> data_;
    bool empty_ = true;
    IPicture* picture_ = nullptr;
    String downloadUrl_;
    String sourceKey_;
    bool downloadRunning_ = false;
    int frame_ = 1;
    int frameCount_ = -1;
    int frameLeft_ = 0, frameTop_ = 0, frameWidth_ = 0, frameHeight_ = 0;
    int animWidth_ = 0, animHeight_ = 0;
};

class THTMLPictureCache {
public:
    ~THTMLPictureCache() { ClearPictures(); }
    THTMLPicture* AddPicture();
    // The first picture whose source key equals the key exactly (letter case counts).
    THTMLPicture* FindPicture(const String& Key) const;
    THTMLPicture* GetPicture(int Index) const { return items_.at(size_t(Index)).get(); }
    int Count() const { return int(items_.size()); }
    void ClearPictures() { items_.clear(); }

private:
    std::vector<std::unique_ptr<THTMLPicture>> items_;
};

class TPictureItem : public TPersistent {
public:
    String ClassName() const override { return "TPictureItem"; }
    // Another TPictureItem: its name, tag and picture; any other source raises EConvertError.
    void Assign(TPersistent* Source) override;
    THTMLPicture* Picture() const { return picture_.get(); }
    void SetPicture(THTMLPicture* Value) { picture_->Assign(Value); }
    String Name;
    int Tag = 0;

private:
    std::unique_ptr<THTMLPicture> picture_ = std::make_unique<THTMLPicture>();
};

class TPictureCollection {
public:
    TPictureItem* Add();
    int Count() const { return int(items_.size()); }
    TPictureItem* Items(int Index) const { return items_.at(size_t(Index)).get(); }
    void Delete(int Index) { items_.erase(items_.begin() + Index); }
    void Clear() { items_.clear(); }

private:
    std::vector<std::unique_ptr<TPictureItem>> items_;
};

class TPictureContainer : public TComponent {
public:
    explicit TPictureContainer(TComponent* AOwner) : TComponent(AOwner) {}
    String ClassName() const override { return "TPictureContainer"; }
    TPictureCollection* Items() { return &items_; }
    // The picture of the first item whose name equals Name, compared upper-cased.
    virtual THTMLPicture* PictureByName(const String& Name);
    String Version() const { return "1.0.0.0"; }
    void SetVersion(const String&) {}

private:
    TPictureCollection items_;
};
