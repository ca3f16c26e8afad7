#pragma once
// A picture that keeps an image file's bytes as loaded and decodes them through GDI+ only to
// measure and draw: PNG, JPEG, GIF, TIFF, icons; BMP pictures are drawn through the
// framework's bitmap with their bottom-left colour transparent. Saving writes the bytes back
// unchanged.
#include "platform/framework/Graphics.h"

#include <cstdint>
#include <vector>

class IStream;

class TGDIPPicture : public TGraphic {
public:
    TGDIPPicture() = default;
    String ClassName() const override { return "TGDIPPicture"; }

    // None: back to empty (OnChange, then OnClear). A TGDIPPicture: its bytes (empty when it
    // has none). A TBitmap, or a TPicture's graphic: saved as its file. Then measured.
    void Assign(TPersistent* Source) override;
    void Draw(TCanvas* Canvas, const TRect& Rect) override;
    bool Empty() const override { return empty_; }
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    void SetWidth(int) {}
    void SetHeight(int) {}
    // A missing or undecodable file leaves the picture empty; nothing is raised.
    void LoadFromFile(const String& FileName) override;
    void SaveToFile(const String& FileName) override;
    // The whole stream from its start; nothing for a null stream.
    void LoadFromStream(IStream* Stream);
    void SaveToStream(IStream* Stream) const;
    // Stored form data: the bytes without measuring and without events.
    void ReadData(IStream* Stream);
    void WriteData(IStream* Stream) const { SaveToStream(Stream); }
    const std::vector<uint8_t>& Data() const { return data_; }
    TNotifyEvent OnChange;
    TNotifyEvent OnClear;

private:
    bool MeasureImage();
    void Changed()
    {
        if (OnChange)
            OnChange(this);
    }
    std::vector<uint8_t> data_;
    bool empty_ = true;
    int width_ = 0;
    int height_ = 0;
};
