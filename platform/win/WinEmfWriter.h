#pragma once
// The recording device context of enhanced metafiles (CreateEnhMetaFileA ... CloseEnhMetaFile):
// a context without a surface whose drawing calls become records. State (mapping, colours,
// modes, clip region, the selected pen, brush and font) is written when it differs from what
// the records so far established, just before the drawing call that uses it.
#include "platform/win/WinMetaSink.h"
#include "platform/win/WinMetafile.h"

#include <QImage>
#include <QRegion>

// A 32-bit bottom-up DIB (header and rows) of an image, as the records carry bitmaps.
std::vector<std::uint8_t> ImageToDib32(const QImage& image);
// The region's rectangles as a region-data block (32-byte header, then the rectangles).
std::vector<std::uint8_t> RegionData(const QRegion& region);
