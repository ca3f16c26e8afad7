#pragma once
// TImageList: a list of images of one size (Width x Height), each with its transparency,
// drawn by index. Adding a picture wider than Width adds one image per Width-wide part of it.
#include "platform/framework/Graphics.h"

#include <QImage>
#include <vector>

enum TDrawingStyle { dsFocus, dsSelected, dsNormal, dsTransparent };
enum TImageType { itImage, itMask };

class TCustomImageList : public TComponent {
public:
    explicit TCustomImageList(TComponent* owner);
    TCustomImageList(int width, int height, TComponent* owner);
    String ClassName() const override { return "TCustomImageList"; }

    int Width() const { return width_; }
    int Height() const { return height_; }
    // Changing the size empties the list, as the framework does.
    void SetWidth(int width);
    void SetHeight(int height);
    int Count() const { return static_cast<int>(images_.size()); }

    // Indexes of the first image added; -1 when nothing was added. The mask's white pixels
    // (or the picture's pixels of maskColor) are transparent; a bitmap of an alpha picture
    // keeps that alpha.
    int Add(TBitmap* image, TBitmap* mask);
    int AddMasked(TBitmap* image, TColor maskColor);
    int AddIcon(TIcon* icon);
    void Replace(int index, TBitmap* image, TBitmap* mask);
    void Delete(int index); // -1 clears the list
    void Clear();
    void Move(int from, int to);

    // Draws the image at x, y; disabled images are drawn grey. Nothing for a bad index.
    void Draw(TCanvas* canvas, int x, int y, int index, bool enabled = true);
    void Draw(TCanvas* canvas, int x, int y, int index, TDrawingStyle style, TImageType type, bool enabled);
    // The image on the background colour (clNone: black behind transparent pixels).
    bool GetBitmap(int index, TBitmap* image);
    void GetIcon(int index, TIcon* icon);
    // The pixels with alpha (tests and drawing code).
    const QImage& Image(int index) const;

    TColor BkColor = clNone;
    TColor BlendColor = clNone;
    TDrawingStyle DrawingStyle = dsNormal;
    TImageType ImageType = itImage;
    bool Masked = true;
    TNotifyEvent OnChange;

protected:
    virtual void Change();

private:
    int AddImage(const QImage& picture);
    void CheckIndex(int index) const;
    int width_ = 16;
    int height_ = 16;
    std::vector<QImage> images_;
};

class TImageList : public TCustomImageList {
public:
    using TCustomImageList::TCustomImageList;
    String ClassName() const override { return "TImageList"; }
};
