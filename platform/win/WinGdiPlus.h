#pragma once
// The flat function interface of the GDI+ subset the grid components use, over QPainter and
// QImage: graphics on a device context with antialiasing, pens, solid, linear-gradient and
// path-gradient brushes, paths, fonts and string formats, images decoded from streams (the
// decoders of OleLoadPicture) and colour-keyed drawing. Every function returns a status and
// never raises; a null object gives InvalidParameter.
#include "platform/win/WinGdi.h"
#include "platform/win/WinOle.h"

#include <cstdint>

enum GpStatus : int {
    Ok = 0, GenericError = 1, InvalidParameter = 2, OutOfMemory = 3, ObjectBusy = 4, InsufficientBuffer = 5,
    NotImplemented = 6, Win32Error = 7, WrongState = 8, Aborted = 9, FileNotFound = 10, ValueOverflow = 11,
    AccessDenied = 12, UnknownImageFormat = 13, FontFamilyNotFound = 14, FontStyleNotFound = 15,
    NotTrueTypeFont = 16, UnsupportedGdiplusVersion = 17, GdiplusNotInitialized = 18, PropertyNotFound = 19,
    PropertyNotSupported = 20,
};

using ARGB = uint32_t;
using REAL = float;

struct GpPoint {
    int X = 0;
    int Y = 0;
};
struct GpPointF {
    REAL X = 0;
    REAL Y = 0;
};
struct GpRectF {
    REAL X = 0;
    REAL Y = 0;
    REAL Width = 0;
    REAL Height = 0;
};

enum SmoothingMode : int { SmoothingModeInvalid = -1, SmoothingModeDefault = 0, SmoothingModeHighSpeed = 1,
                           SmoothingModeHighQuality = 2, SmoothingModeNone = 3, SmoothingModeAntiAlias = 4 };
enum TextRenderingHint : int { TextRenderingHintSystemDefault = 0, TextRenderingHintSingleBitPerPixelGridFit = 1,
                               TextRenderingHintSingleBitPerPixel = 2, TextRenderingHintAntiAliasGridFit = 3,
                               TextRenderingHintAntiAlias = 4, TextRenderingHintClearTypeGridFit = 5 };
enum GpUnit : int { UnitWorld = 0, UnitDisplay = 1, UnitPixel = 2, UnitPoint = 3, UnitInch = 4, UnitDocument = 5,
                    UnitMillimeter = 6 };
enum GpFillMode : int { FillModeAlternate = 0, FillModeWinding = 1 };
enum LinearGradientMode : int { LinearGradientModeHorizontal = 0, LinearGradientModeVertical = 1,
                                LinearGradientModeForwardDiagonal = 2, LinearGradientModeBackwardDiagonal = 3 };
enum GpWrapMode : int { WrapModeTile = 0 };
enum FontStyle : int { FontStyleRegular = 0, FontStyleBold = 1, FontStyleItalic = 2, FontStyleBoldItalic = 3,
                       FontStyleUnderline = 4, FontStyleStrikeout = 8 };
enum StringAlignment : int { StringAlignmentNear = 0, StringAlignmentCenter = 1, StringAlignmentFar = 2 };
enum StringTrimming : int { StringTrimmingNone = 0, StringTrimmingCharacter = 1, StringTrimmingWord = 2,
                            StringTrimmingEllipsisCharacter = 3, StringTrimmingEllipsisWord = 4,
                            StringTrimmingEllipsisPath = 5 };
enum HotkeyPrefix : int { HotkeyPrefixNone = 0, HotkeyPrefixShow = 1, HotkeyPrefixHide = 2 };
enum StringFormatFlags : int { StringFormatFlagsNoWrap = 0x1000, StringFormatFlagsLineLimit = 0x2000,
                               StringFormatFlagsNoClip = 0x4000 };
enum ColorAdjustType : int { ColorAdjustTypeDefault = 0, ColorAdjustTypeBitmap = 1 };

class GpGraphics;
class GpPen;
class GpBrush;
class GpPath;
class GpFontFamily;
class GpFont;
class GpStringFormat;
class GpImage;
class GpImageAttributes;
class GpFontCollection;
using GpBitmap = GpImage;
using DrawImageAbort = BOOL (*)(void*);

// Start-up and memory.
struct GdiplusStartupInput {
    uint32_t GdiplusVersion = 1;
    void* DebugEventCallback = nullptr;
    BOOL SuppressBackgroundThread = FALSE;
    BOOL SuppressExternalCodecs = FALSE;
};
using NotificationHookProc = GpStatus (*)(uintptr_t* token);
using NotificationUnhookProc = void (*)(uintptr_t token);
struct GdiplusStartupOutput {
    NotificationHookProc NotificationHook = nullptr;
    NotificationUnhookProc NotificationUnhook = nullptr;
};
GpStatus GdiplusStartup(uintptr_t* token, const GdiplusStartupInput* input, GdiplusStartupOutput* output);
void GdiplusShutdown(uintptr_t token);
// Tests: how many start-ups are in force.
int GdiplusStartupCount();
void* GdipAlloc(size_t size);
void GdipFree(void* p);

// Graphics on a device context.
GpStatus GdipCreateFromHDC(HDC dc, GpGraphics** graphics);
GpStatus GdipDeleteGraphics(GpGraphics* graphics);
GpStatus GdipSetSmoothingMode(GpGraphics* graphics, SmoothingMode mode);
GpStatus GdipSetTextRenderingHint(GpGraphics* graphics, TextRenderingHint hint);
GpStatus GdipDrawPath(GpGraphics* graphics, GpPen* pen, GpPath* path);
GpStatus GdipFillPath(GpGraphics* graphics, GpBrush* brush, GpPath* path);
GpStatus GdipFillRectangle(GpGraphics* graphics, GpBrush* brush, REAL x, REAL y, REAL width, REAL height);
GpStatus GdipDrawRectangle(GpGraphics* graphics, GpPen* pen, REAL x, REAL y, REAL width, REAL height);
GpStatus GdipDrawEllipse(GpGraphics* graphics, GpPen* pen, REAL x, REAL y, REAL width, REAL height);
GpStatus GdipFillEllipse(GpGraphics* graphics, GpBrush* brush, REAL x, REAL y, REAL width, REAL height);
// length -1: up to the terminating zero.
GpStatus GdipMeasureString(GpGraphics* graphics, const char16_t* text, int length, const GpFont* font,
                           const GpRectF* layout, const GpStringFormat* format, GpRectF* boundingBox,
                           int* codepointsFitted, int* linesFilled);
GpStatus GdipDrawString(GpGraphics* graphics, const char16_t* text, int length, const GpFont* font,
                        const GpRectF* layout, const GpStringFormat* format, const GpBrush* brush);
GpStatus GdipDrawImageI(GpGraphics* graphics, GpImage* image, int x, int y);
GpStatus GdipDrawImageRect(GpGraphics* graphics, GpImage* image, REAL x, REAL y, REAL width, REAL height);
GpStatus GdipDrawImageRectRect(GpGraphics* graphics, GpImage* image, REAL dx, REAL dy, REAL dw, REAL dh, REAL sx,
                               REAL sy, REAL sw, REAL sh, GpUnit unit, const GpImageAttributes* attributes,
                               DrawImageAbort callback, void* callbackData);

// Pens and brushes.
GpStatus GdipCreatePen1(ARGB color, REAL width, GpUnit unit, GpPen** pen);
GpStatus GdipDeletePen(GpPen* pen);
GpStatus GdipCreateSolidFill(ARGB color, GpBrush** brush);
GpStatus GdipCreateLineBrushFromRect(const GpRectF* rect, ARGB color1, ARGB color2, LinearGradientMode mode,
                                     GpWrapMode wrap, GpBrush** brush);
GpStatus GdipCreatePathGradientFromPath(const GpPath* path, GpBrush** brush);
GpStatus GdipSetPathGradientCenterColor(GpBrush* brush, ARGB color);
GpStatus GdipGetPathGradientPointCount(GpBrush* brush, int* count);
GpStatus GdipSetPathGradientSurroundColorsWithCount(GpBrush* brush, const ARGB* colors, int* count);
GpStatus GdipSetPathGradientCenterPointI(GpBrush* brush, const GpPoint* point);
GpStatus GdipDeleteBrush(GpBrush* brush);

// Paths.
GpStatus GdipCreatePath(GpFillMode mode, GpPath** path);
GpStatus GdipDeletePath(GpPath* path);
GpStatus GdipAddPathLine(GpPath* path, REAL x1, REAL y1, REAL x2, REAL y2);
GpStatus GdipAddPathArc(GpPath* path, REAL x, REAL y, REAL width, REAL height, REAL startAngle, REAL sweepAngle);
GpStatus GdipAddPathEllipse(GpPath* path, REAL x, REAL y, REAL width, REAL height);
GpStatus GdipAddPathPolygon(GpPath* path, const GpPointF* points, int count);
GpStatus GdipClosePathFigure(GpPath* path);

// Fonts and string formats.
GpStatus GdipCreateFontFamilyFromName(const char16_t* name, GpFontCollection* collection, GpFontFamily** family);
GpStatus GdipDeleteFontFamily(GpFontFamily* family);
GpStatus GdipCreateFont(const GpFontFamily* family, REAL size, int style, GpUnit unit, GpFont** font);
GpStatus GdipDeleteFont(GpFont* font);
GpStatus GdipCreateStringFormat(int flags, uint16_t language, GpStringFormat** format);
GpStatus GdipDeleteStringFormat(GpStringFormat* format);
GpStatus GdipSetStringFormatAlign(GpStringFormat* format, StringAlignment align);
GpStatus GdipSetStringFormatLineAlign(GpStringFormat* format, StringAlignment align);
GpStatus GdipSetStringFormatTrimming(GpStringFormat* format, StringTrimming trimming);
GpStatus GdipSetStringFormatHotkeyPrefix(GpStringFormat* format, int prefix);

// Images.
extern const GUID ImageFormatUndefined, ImageFormatMemoryBMP, ImageFormatBMP, ImageFormatEMF, ImageFormatWMF,
    ImageFormatJPEG, ImageFormatPNG, ImageFormatGIF, ImageFormatTIFF, ImageFormatEXIF, ImageFormatIcon;
// The stream is read from its start; bytes that are no picture give UnknownImageFormat.
GpStatus GdipLoadImageFromStream(IStream* stream, GpImage** image);
GpStatus GdipLoadImageFromStreamICM(IStream* stream, GpImage** image);
GpStatus GdipCreateBitmapFromStream(IStream* stream, GpBitmap** bitmap);
GpStatus GdipCreateBitmapFromStreamICM(IStream* stream, GpBitmap** bitmap);
GpStatus GdipDisposeImage(GpImage* image);
GpStatus GdipGetImageWidth(GpImage* image, UINT* width);
GpStatus GdipGetImageHeight(GpImage* image, UINT* height);
GpStatus GdipGetImageRawFormat(GpImage* image, GUID* format);
GpStatus GdipBitmapGetPixel(GpBitmap* bitmap, int x, int y, ARGB* color);
GpStatus GdipCreateImageAttributes(GpImageAttributes** attributes);
GpStatus GdipDisposeImageAttributes(GpImageAttributes* attributes);
GpStatus GdipSetImageAttributesColorKeys(GpImageAttributes* attributes, ColorAdjustType type, BOOL enable,
                                         ARGB low, ARGB high);
