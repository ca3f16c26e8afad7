#include "components/grid/asgdd.h"

#include <cstring>

UINT RtfClipFormat = 0;
UINT ColumnClipFormat = 0;
UINT CellsClipFormat = 0;
UINT UrlClipFormat = 0;
bool RtfDragDropMode = false;

namespace {

void RegisterFormats()
{
    RtfClipFormat = RegisterDragFormat("Rich Text Format");
    ColumnClipFormat = RegisterDragFormat("Grid Column");
    CellsClipFormat = RegisterDragFormat("TPlusStringGrid Cells");
    UrlClipFormat = RegisterDragFormat("UniformResourceLocator");
}

void FreeStream(IStream* s)
{
    if (s)
        s->Release();
}

uint32_t LittleEndian32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

void PutLittleEndian32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(v >> (8 * i)));
}

// Text of the code page from UTF-16 (characters outside it become "?").
String NarrowOf(const char16_t* p, size_t n)
{
    String out;
    for (size_t i = 0; i < n; ++i)
        out += p[i] < 0x100 ? char(p[i]) : '?';
    return out;
}

} // namespace

void SetDragDropRTFMode(bool On)
{
    RtfDragDropMode = On;
}

DWORD DragDropEffect(TShiftState Shift, DWORD Allowed)
{
    if (Shift.Contains(ssCtrl))
        return DROPEFFECT_COPY;
    if (Allowed & DROPEFFECT_MOVE)
        return DROPEFFECT_MOVE;
    return DROPEFFECT_COPY;
}

// ---------------------------------------------------------------- reader

TEnumFormats::TEnumFormats(IDataObject* DataObject)
{
    Attach(DataObject);
    RegisterFormats();
}

TEnumFormats::~TEnumFormats()
{
    if (formats_)
        formats_->Release();
    if (data_)
        data_->Release();
}

void TEnumFormats::Attach(IDataObject* DataObject)
{
    if (formats_)
        formats_->Release();
    if (data_)
        data_->Release();
    formats_ = nullptr;
    data_ = DataObject;
    if (!data_)
        return;
    data_->AddRef();
    if (data_->EnumFormatEtc(DATADIR_GET, &formats_) != S_OK || !formats_) {
        data_->Release(); // the reader does not live on to release it
        data_ = nullptr;
        throw EAssertionFailed("Cannot get the format enumerator");
    }
    Rewind();
}

bool TEnumFormats::Rewind()
{
    currentValid_ = false;
    counter_ = 0;
    return formats_ && formats_->Reset() == S_OK;
}

bool TEnumFormats::Advance()
{
    ++counter_;
    ULONG fetched = 0;
    currentValid_ = formats_ && formats_->Next(1, &current_, &fetched) == S_OK && fetched == 1;
    return currentValid_;
}

bool TEnumFormats::Offers(UINT Format)
{
    if (Format == 0 || !Rewind())
        return false;
    while (Advance())
        if (current_.cfFormat == Format)
            return true;
    return false;
}

bool TEnumFormats::Fetch(std::vector<uint8_t>& bytes)
{
    if (!currentValid_ || !(current_.tymed & TYMED_HGLOBAL) || !data_)
        return false;
    FORMATETC f = current_;
    f.tymed = TYMED_HGLOBAL;
    STGMEDIUM medium;
    if (data_->GetData(&f, &medium) != S_OK)
        return false;
    bytes = medium.hGlobal;
    ReleaseStgMedium(&medium);
    return true;
}

int TEnumFormats::FetchInteger(UINT Format)
{
    std::vector<uint8_t> b;
    if (!Offers(Format) || !Fetch(b) || b.size() < 4)
        return -1;
    return int32_t(LittleEndian32(b.data()));
}

std::unique_ptr<IStream, void (*)(IStream*)> TEnumFormats::FetchStream(UINT Format)
{
    std::unique_ptr<IStream, void (*)(IStream*)> none(nullptr, FreeStream);
    std::vector<uint8_t> b;
    if (!Offers(Format) || !Fetch(b) || b.size() < 4)
        return none;
    const uint32_t n = LittleEndian32(b.data());
    if (n > b.size() - 4)
        return none; // the length prefix promises more than the block holds
    return std::unique_ptr<IStream, void (*)(IStream*)>(SHCreateMemStream(b.data() + 4, n), FreeStream);
}

String TEnumFormats::FetchText(UINT Format)
{
    std::vector<uint8_t> b;
    if (!Offers(Format) || !Fetch(b))
        return String();
    const auto end = std::find(b.begin(), b.end(), uint8_t(0));
    return String(b.begin(), end);
}

bool TEnumFormats::FetchFileNames(TStrings* List)
{
    List->Clear();
    std::vector<uint8_t> b;
    if (!currentValid_ || current_.cfFormat != OLE_CF_HDROP || !Fetch(b) || b.size() < 20)
        return false;
    size_t at = LittleEndian32(b.data());
    const bool wide = LittleEndian32(b.data() + 16) != 0;
    while (at < b.size()) {
        if (wide) {
            std::u16string name;
            while (at + 1 < b.size()) {
                const char16_t c = char16_t(b[at] | (b[at + 1] << 8));
                at += 2;
                if (c == 0)
                    break;
                name += c;
            }
            if (name.empty())
                break;
            List->Add(NarrowOf(name.data(), name.size()));
        } else {
            const auto end = std::find(b.begin() + std::ptrdiff_t(at), b.end(), uint8_t(0));
            const String name(b.begin() + std::ptrdiff_t(at), end);
            if (name.empty())
                break;
            List->Add(name);
            at += name.size() + 1;
        }
    }
    return List->Count() > 0;
}

// ---------------------------------------------------------------- drop target

HRESULT TPSGDropTarget::DragEnter(IDataObject* DataObject, DWORD KeyState, POINT, DWORD* Effect)
{
    TEnumFormats reader(DataObject);
    const bool text = reader.OffersText(), files = reader.OffersFiles(), rtf = reader.OffersRTF(),
               column = reader.OffersColumn(), url = reader.OffersURL(), cells = reader.OffersCells();
    formatAccepted_ = (text && AcceptsText) || (files && AcceptsFiles) || (rtf && RtfDragDropMode && AcceptsText) ||
                      (column && AcceptsColumns) || (url && AcceptsURLs) || cells;
    offered_ = uint8_t((text ? ofText : 0) | (files ? ofFiles : 0) | (column ? ofColumn : 0) | (rtf ? ofRTF : 0) |
                       (url ? ofURL : 0) | (cells ? ofCells : 0));
    if (Effect)
        *Effect = formatAccepted_ ? DragDropEffect(KeysToShiftState(KeyState), *Effect) : DROPEFFECT_NONE;
    DragEntered();
    return S_OK;
}

HRESULT TPSGDropTarget::DragOver(DWORD KeyState, POINT Point, DWORD* Effect)
{
    DWORD effect = Effect ? *Effect : DROPEFFECT_NONE;
    effect = formatAccepted_ ? DragDropEffect(KeysToShiftState(KeyState), effect) : DROPEFFECT_NONE;
    bool allow = effect != DROPEFFECT_NONE;
    DragOverPoint(Point, allow, offered_);
    if (!allow)
        effect = DROPEFFECT_NONE;
    if (Effect)
        *Effect = effect;
    return S_OK;
}

HRESULT TPSGDropTarget::DragLeave()
{
    DragLeft();
    return S_OK;
}

HRESULT TPSGDropTarget::Drop(IDataObject* DataObject, DWORD KeyState, POINT Point, DWORD* Effect)
{
    if (!formatAccepted_) {
        if (Effect)
            *Effect = DROPEFFECT_NONE;
        return S_OK;
    }
    {
        TEnumFormats reader(DataObject);
        if (reader.OffersColumn()) {
            const int column = reader.FetchColumn();
            if (column >= 0)
                DropColumn(Point, column);
        } else {
            if (reader.OffersCells()) {
                if (auto cells = reader.FetchCells())
                    DropCells(Point, cells.get());
            } else if (reader.OffersRTF() && RtfDragDropMode) {
                DropRTF(Point, reader.FetchRTF());
            } else if (reader.OffersText()) {
                DropText(Point, reader.FetchPlainText());
            }
            if (reader.OffersFiles() && reader.FetchFileNames(reader.FileNames()))
                DropFiles(Point, reader.FileNames());
            if (reader.OffersURL())
                DropURL(Point, reader.FetchPlainText());
        }
    }
    if (Effect)
        *Effect = DragDropEffect(KeysToShiftState(KeyState), *Effect);
    return S_OK;
}

// ---------------------------------------------------------------- drop source

HRESULT TPSGDropSource::QueryContinueDrag(BOOL EscapePressed, DWORD KeyState)
{
    HRESULT result = S_OK;
    if (EscapePressed) {
        DragFinished();
        result = DRAGDROP_S_CANCEL;
    } else if (!(KeyState & MK_LBUTTON)) {
        result = DRAGDROP_S_DROP;
        DragFinished();
    }
    DragQueried();
    return result;
}

HRESULT TPSGDropSource::GiveFeedback(DWORD Effect)
{
    DropRefused = Effect == DROPEFFECT_NONE;
    EffectChanged(int(Effect));
    return DRAGDROP_S_USEDEFAULTCURSORS;
}

// ---------------------------------------------------------------- data object

TSourceDataObject::TSourceDataObject(const String& Text, const String& RTF, int Column, IStream* Cells)
    : DragText(Text), DragRTF(RTF), DragColumn(Column), DragCells(Cells)
{
    RegisterFormats();
}

HRESULT TSourceDataObject::QueryGetData(const FORMATETC* Format)
{
    if (!Format || Format->dwAspect != DVASPECT_CONTENT || Format->tymed != TYMED_HGLOBAL)
        return DV_E_FORMATETC;
    const UINT f = Format->cfFormat;
    const bool available = ((f == OLE_CF_TEXT || f == OLE_CF_UNICODETEXT) && !DragText.empty()) ||
                           (f == RtfClipFormat && f && !DragText.empty() && RtfDragDropMode) ||
                           (f == CellsClipFormat && f && DragCells) || (f == ColumnClipFormat && f && DragColumn != -1);
    return available ? S_OK : DV_E_FORMATETC;
}

HRESULT TSourceDataObject::GetData(const FORMATETC* Format, STGMEDIUM* Medium)
{
    if (!Medium)
        return E_INVALIDARG;
    *Medium = STGMEDIUM{};
    if (QueryGetData(Format) != S_OK)
        return DV_E_FORMATETC;
    std::vector<uint8_t> block;
    const UINT f = Format->cfFormat;
    if (f == OLE_CF_TEXT) {
        block.assign(DragText.begin(), DragText.end());
        block.push_back(0);
    } else if (f == OLE_CF_UNICODETEXT) {
        for (char c : DragText) {
            const char16_t w = static_cast<unsigned char>(c);
            block.push_back(uint8_t(w));
            block.push_back(uint8_t(w >> 8));
        }
        block.push_back(0);
        block.push_back(0);
    } else if (f == RtfClipFormat) {
        block.assign(DragRTF.begin(), DragRTF.end());
        block.push_back(0);
    } else if (f == ColumnClipFormat) {
        PutLittleEndian32(block, uint32_t(DragColumn));
    } else if (f == CellsClipFormat) {
        const std::vector<uint8_t>& bytes = DragCells->Bytes();
        PutLittleEndian32(block, uint32_t(bytes.size()));
        block.insert(block.end(), bytes.begin(), bytes.end());
    }
    Medium->tymed = TYMED_HGLOBAL;
    Medium->hGlobal = std::move(block);
    return S_OK;
}

HRESULT TSourceDataObject::EnumFormatEtc(DWORD Direction, IEnumFORMATETC** Result)
{
    if (!Result)
        return E_POINTER;
    *Result = nullptr;
    if (Direction != DATADIR_GET)
        return E_NOTIMPL;
    auto* e = new TSourceEnumFormatEtc;
    e->WithColumn = DragColumn != -1;
    e->WithCells = DragCells != nullptr;
    *Result = e;
    return S_OK;
}

HRESULT TSourceEnumFormatEtc::Next(ULONG Count, FORMATETC* Formats, ULONG* Fetched)
{
    ULONG n = 0;
    const ULONG count = ULONG(ItemCount());
    while (n < Count && Position < count && Formats) {
        UINT id = OLE_CF_TEXT;
        if (Position == 1)
            id = OLE_CF_UNICODETEXT;
        else if (Position == 2)
            id = RtfClipFormat;
        else if (Position == 3 && WithColumn)
            id = ColumnClipFormat;
        if (Position == count - 1 && WithCells)
            id = CellsClipFormat;
        Formats[n] = FORMATETC{id, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        ++n;
        ++Position;
    }
    if (Fetched)
        *Fetched = n;
    return n == Count ? S_OK : S_FALSE;
}

HRESULT TSourceEnumFormatEtc::Skip(ULONG Count)
{
    Position += Count;
    if (Position > ULONG(ItemCount())) {
        Position = ULONG(ItemCount());
        return S_FALSE;
    }
    return S_OK;
}

HRESULT TSourceEnumFormatEtc::Reset()
{
    Position = 0;
    return S_OK;
}

HRESULT TSourceEnumFormatEtc::Clone(IEnumFORMATETC** Result)
{
    if (!Result)
        return E_POINTER;
    auto* e = new TSourceEnumFormatEtc;
    e->WithColumn = WithColumn;
    e->WithCells = WithCells;
    e->Position = Position;
    *Result = e;
    return S_OK;
}

// ---------------------------------------------------------------- drags

namespace {

HRESULT RunDrag(TPSGDropSource* source, TSourceDataObject* data, DWORD allowed, DWORD& effect)
{
    source->AddRef(); // the caller keeps its own reference
    const HRESULT result = DoDragDrop(data, source, allowed, &effect);
    data->Release();
    const bool refused = source->DropRefused;
    source->Release();
    return refused ? DRAGDROP_S_CANCEL : result;
}

} // namespace

HRESULT BeginCellTextDrag(TPSGDropSource* DropSource, const String& Text, const String& RTF, IStream* Cells,
                          DWORD AllowedEffects, DWORD& Effect)
{
    return RunDrag(DropSource, new TSourceDataObject(Text, RTF, -1, Cells), AllowedEffects, Effect);
}

HRESULT BeginColumnDrag(TPSGDropSource* DropSource, int Column, DWORD AllowedEffects, DWORD& Effect)
{
    return RunDrag(DropSource, new TSourceDataObject("", "", Column, nullptr), AllowedEffects, Effect);
}
