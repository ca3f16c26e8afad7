#pragma once
// OLE drag and drop of grid data: the drop target and drop source bases that the string grid
// derives from, the data object of a drag that starts in a grid with its format list, the
// reader of a foreign data object, and the two functions that run a drag.
//
// Private formats (bytes as they travel):
//   "Grid Column"            4 bytes: the column, 32-bit little-endian
//   "TPlusStringGrid Cells"  4 bytes N, 32-bit little-endian, then the N bytes of the cell stream
//   "Rich Text Format"       the RTF text and a 0 byte
// and CF_TEXT (code-page text, 0 byte), CF_UNICODETEXT (UTF-16LE, 0 code unit).
// Data from outside is checked before use: a block shorter than its length prefix, a column
// block shorter than 4 bytes or a file list that runs past its block reads as absent.
#include "platform/framework/Controls.h"
#include "platform/rtl/Classes.h"
#include "platform/win/WinOle.h"

#include <cstdint>
#include <memory>
#include <vector>

extern UINT RtfClipFormat;
extern UINT ColumnClipFormat;
extern UINT CellsClipFormat;
extern UINT UrlClipFormat;
extern bool RtfDragDropMode;

void SetDragDropRTFMode(bool On);
// DROPEFFECT_COPY with Ctrl; else DROPEFFECT_MOVE when allowed; else DROPEFFECT_COPY.
DWORD DragDropEffect(TShiftState Shift, DWORD Allowed);

// Reader of a foreign data object.
class TEnumFormats {
public:
    explicit TEnumFormats(IDataObject* DataObject);
    ~TEnumFormats();
    TEnumFormats(const TEnumFormats&) = delete;
    TEnumFormats& operator=(const TEnumFormats&) = delete;
    void Attach(IDataObject* DataObject);
    bool Rewind();
    bool Advance();
    bool Offers(UINT Format);
    UINT CurrentFormatId() const { return currentValid_ ? current_.cfFormat : 0; }
    // -1 / null / "" when not offered or not deliverable
    int FetchInteger(UINT Format);
    std::unique_ptr<IStream, void (*)(IStream*)> FetchStream(UINT Format);
    String FetchText(UINT Format);
    bool FetchFileNames(TStrings* List);
    std::unique_ptr<IStream, void (*)(IStream*)> FetchCells() { return FetchStream(CellsClipFormat); }
    int FetchColumn() { return FetchInteger(ColumnClipFormat); }
    String FetchRTF() { return FetchText(RtfClipFormat); }
    String FetchPlainText() { return FetchText(OLE_CF_TEXT); }
    bool OffersText() { return Offers(OLE_CF_TEXT); }
    bool OffersRTF() { return Offers(RtfClipFormat); }
    bool OffersColumn() { return Offers(ColumnClipFormat); }
    bool OffersFiles() { return Offers(OLE_CF_HDROP); }
    bool OffersURL() { return Offers(UrlClipFormat); }
    bool OffersCells() { return Offers(CellsClipFormat); }
    TStringList* FileNames() { return &fileNames_; }

private:
    bool Fetch(std::vector<uint8_t>& bytes);
    IDataObject* data_ = nullptr;
    IEnumFORMATETC* formats_ = nullptr;
    FORMATETC current_;
    bool currentValid_ = false;
    int counter_ = 0;
    TStringList fileNames_;
};

// Flags of OfferedFormats.
enum : uint8_t { ofText = 1, ofFiles = 2, ofColumn = 4, ofRTF = 8, ofURL = 16, ofCells = 32 };

class TPSGDropTarget : public IDropTarget {
public:
    HRESULT DragEnter(IDataObject* DataObject, DWORD KeyState, POINT Point, DWORD* Effect) override;
    HRESULT DragOver(DWORD KeyState, POINT Point, DWORD* Effect) override;
    HRESULT DragLeave() override;
    HRESULT Drop(IDataObject* DataObject, DWORD KeyState, POINT Point, DWORD* Effect) override;

    bool AcceptsText = true;
    bool AcceptsFiles = true;
    bool AcceptsColumns = false;
    bool AcceptsURLs = true;
    bool FormatAccepted() const { return formatAccepted_; }
    uint8_t OfferedFormats() const { return offered_; }

protected:
    virtual void DropText(POINT, const String&) {}
    // The stream stands at 0 and is freed after the call.
    virtual void DropCells(POINT, IStream*) {}
    virtual void DropColumn(POINT, int) {}
    virtual void DropRTF(POINT, const String&) {}
    virtual void DropFiles(POINT, TStrings*) {}
    virtual void DropURL(POINT, const String&) {}
    virtual void DragOverPoint(POINT, bool&, uint8_t) {}
    virtual void DragEntered() {}
    virtual void DragLeft() {}

private:
    bool formatAccepted_ = false;
    uint8_t offered_ = 0;
};

class TPSGDropSource : public IDropSource {
public:
    HRESULT QueryContinueDrag(BOOL EscapePressed, DWORD KeyState) override;
    HRESULT GiveFeedback(DWORD Effect) override;
    bool DropRefused = false;

protected:
    virtual void DragFinished() {}
    virtual void EffectChanged(int) {}
    virtual void DragQueried() {}
};

class TSourceDataObject : public IDataObject {
public:
    // Cells: the cell stream (kept by the caller), or null.
    TSourceDataObject(const String& Text, const String& RTF, int Column, IStream* Cells);
    HRESULT GetData(const FORMATETC* Format, STGMEDIUM* Medium) override;
    HRESULT QueryGetData(const FORMATETC* Format) override;
    HRESULT EnumFormatEtc(DWORD Direction, IEnumFORMATETC** Result) override;
    HRESULT GetDataHere(const FORMATETC*, STGMEDIUM*) { return DV_E_FORMATETC; }
    HRESULT SetData(const FORMATETC*, STGMEDIUM*, BOOL) { return DV_E_FORMATETC; }
    HRESULT GetCanonicalFormatEtc(const FORMATETC*, FORMATETC* Out)
    {
        if (Out)
            Out->ptd = nullptr;
        return E_NOTIMPL;
    }
    HRESULT DAdvise() { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT DUnadvise() { return OLE_E_ADVISENOTSUPPORTED; }

    String DragText;
    String DragRTF;
    int DragColumn = -1;
    IStream* DragCells = nullptr;
};

class TSourceEnumFormatEtc : public IEnumFORMATETC {
public:
    HRESULT Next(ULONG Count, FORMATETC* Formats, ULONG* Fetched) override;
    HRESULT Skip(ULONG Count) override;
    HRESULT Reset() override;
    HRESULT Clone(IEnumFORMATETC** Result) override;
    int ItemCount() const { return 3 + (WithColumn ? 1 : 0) + (WithCells ? 1 : 0); }
    ULONG Position = 0;
    bool WithColumn = false;
    bool WithCells = false;
};

// Run a drag (DoDragDrop); DRAGDROP_S_CANCEL when the source saw its drop refused.
HRESULT BeginCellTextDrag(TPSGDropSource* DropSource, const String& Text, const String& RTF, IStream* Cells,
                          DWORD AllowedEffects, DWORD& Effect);
HRESULT BeginColumnDrag(TPSGDropSource* DropSource, int Column, DWORD AllowedEffects, DWORD& Effect);
