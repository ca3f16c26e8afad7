// Drops arbitrary blocks on a grid drop target: the input is split into the blocks of the
// formats a foreign data object offers (text, cells, column, file list, RTF, URL).
#include "components/grid/asgdd.h"

#include <cstddef>
#include <cstdint>
#include <map>

namespace {

class Blocks : public IDataObject {
public:
    std::map<UINT, std::vector<uint8_t>> blocks;
    HRESULT GetData(const FORMATETC* f, STGMEDIUM* m) override
    {
        if (QueryGetData(f) != S_OK)
            return DV_E_FORMATETC;
        m->tymed = TYMED_HGLOBAL;
        m->hGlobal = blocks[f->cfFormat];
        return S_OK;
    }
    HRESULT QueryGetData(const FORMATETC* f) override { return f && blocks.count(f->cfFormat) ? S_OK : DV_E_FORMATETC; }
    HRESULT EnumFormatEtc(DWORD, IEnumFORMATETC** r) override;
};

class List : public IEnumFORMATETC {
public:
    std::vector<UINT> ids;
    size_t pos = 0;
    HRESULT Next(ULONG n, FORMATETC* out, ULONG* fetched) override
    {
        ULONG k = 0;
        while (k < n && pos < ids.size())
            out[k++] = FORMATETC{ids[pos++], nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        if (fetched)
            *fetched = k;
        return k == n ? S_OK : S_FALSE;
    }
    HRESULT Skip(ULONG n) override
    {
        pos += n;
        return S_OK;
    }
    HRESULT Reset() override
    {
        pos = 0;
        return S_OK;
    }
    HRESULT Clone(IEnumFORMATETC**) override { return E_NOTIMPL; }
};

HRESULT Blocks::EnumFormatEtc(DWORD, IEnumFORMATETC** r)
{
    auto* l = new List;
    for (const auto& b : blocks)
        l->ids.push_back(b.first);
    *r = l;
    return S_OK;
}

class Target : public TPSGDropTarget {
protected:
    void DropCells(POINT, IStream* s) override { (void)s->Bytes(); }
    void DropFiles(POINT, TStrings* names) override
    {
        for (int i = 0; i < names->Count(); ++i)
            (void)names->Get(i);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 6 || size > 8192)
        return 0;
    SetDragDropRTFMode(data[0] & 1);
    auto* object = new Blocks;
    (void)TSourceDataObject("", "", -1, nullptr); // registers the private formats
    const UINT formats[6] = {OLE_CF_TEXT, CellsClipFormat, ColumnClipFormat, OLE_CF_HDROP, RtfClipFormat, UrlClipFormat};
    size_t at = 6;
    for (int i = 0; i < 6 && at <= size; ++i) {
        const size_t n = std::min<size_t>(data[i], size - at);
        if (data[0] & (2u << i))
            object->blocks[formats[i]].assign(data + at, data + at + n);
        at += n;
    }
    auto* target = new Target;
    target->AcceptsColumns = true;
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    target->DragEnter(object, 0, POINT{1, 1}, &effect);
    target->DragOver(0, POINT{1, 1}, &effect);
    effect = DROPEFFECT_COPY;
    target->Drop(object, 0, POINT{1, 1}, &effect);
    target->Release();
    object->Release();
    return 0;
}
