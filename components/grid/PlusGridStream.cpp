// TPlusStringGrid: the binary cell stream, a sequence of component records ("TPF0" streams).
#include "PlusGrid.h"

#include <cmath>
#include <cstring>
#include <map>
#include <variant>

namespace {

// ---------------------------------------------------------------- writer

enum : uint8_t {
    vaNull = 0, vaList = 1, vaInt8 = 2, vaInt16 = 3, vaInt32 = 4, vaExtended = 5, vaString = 6,
    vaIdent = 7, vaFalse = 8, vaTrue = 9, vaBinary = 10, vaSet = 11, vaLString = 12, vaNil = 13,
    vaWString = 18, vaUTF8String = 20
};

class RecordWriter {
public:
    explicit RecordWriter(const String& className)
    {
        bytes_ = "TPF0";
        ShortString(className);
        ShortString(""); // the component's name
    }
    void Integer(const String& name, int64_t value)
    {
        ShortString(name);
        if (value >= -128 && value <= 127) {
            bytes_ += char(vaInt8);
            bytes_ += char(int8_t(value));
        } else if (value >= -32768 && value <= 32767) {
            bytes_ += char(vaInt16);
            Raw(int16_t(value));
        } else {
            bytes_ += char(vaInt32);
            Raw(int32_t(value));
        }
    }
    void Boolean(const String& name, bool value)
    {
        ShortString(name);
        bytes_ += char(value ? vaTrue : vaFalse);
    }
    // A text property (an ANSI text): plain ASCII as a short or long string, other texts as UTF-8 unless their
    // UTF-8 form is at least twice their UTF-16 length, then as UTF-16.
    void Text(const String& name, const String& value)
    {
        if (value.empty())
            return;
        ShortString(name);
        const WideString wide = StringToWide(value);
        const std::string utf8 = StringToUtf8(value);
        if (utf8.size() < 2 * wide.size()) {
            bool ascii = true;
            for (char ch : value)
                ascii = ascii && static_cast<unsigned char>(ch) < 0x80;
            if (ascii) {
                if (value.size() <= 255) {
                    bytes_ += char(vaString);
                    bytes_ += char(uint8_t(value.size()));
                } else {
                    bytes_ += char(vaLString);
                    Raw(int32_t(value.size()));
                }
                bytes_ += value;
            } else {
                bytes_ += char(vaUTF8String);
                Raw(int32_t(utf8.size()));
                bytes_ += utf8;
            }
            return;
        }
        bytes_ += char(vaWString);
        Raw(int32_t(wide.size()));
        for (char16_t unit : wide)
            Raw(uint16_t(unit));
    }
    // Ends the properties and the (empty) child list, then appends the record to the stream.
    void Finish(TStream* stream)
    {
        bytes_ += '\0';
        bytes_ += '\0';
        stream->WriteBuffer(bytes_.data(), long(bytes_.size()));
    }

private:
    template <class T> void Raw(T value)
    {
        char buffer[sizeof(T)];
        std::memcpy(buffer, &value, sizeof(T)); // little-endian machines only, as the format
        bytes_.append(buffer, sizeof(T));
    }
    void ShortString(const String& text)
    {
        const size_t n = std::min<size_t>(text.size(), 255);
        bytes_ += char(uint8_t(n));
        bytes_.append(text, 0, n);
    }
    String bytes_;
};

// ---------------------------------------------------------------- reader

// One property value as the grid needs it: integers, Booleans, texts and identifiers; lists,
// sets, floats, binaries and nil are checked and skipped.
struct Value {
    enum Kind { Int, Bool, Text, Ident, Other } kind = Other;
    int64_t number = 0;
    String text;
};

using Record = std::map<String, Value>;

[[noreturn]] void Malformed()
{
    throw EReadError("Invalid stream format");
}

class RecordReader {
public:
    explicit RecordReader(TStream* stream) : stream_(stream) {}

    // One record: signature, class name (ignored), component name, properties, child list end.
    Record Read()
    {
        char signature[4];
        Bytes(signature, 4);
        if (std::memcmp(signature, "TPF0", 4) != 0)
            Malformed();
        ShortString(); // the class name: the property names decide
        ShortString(); // the component's name
        Record record;
        for (;;) {
            const String name = ShortString();
            if (name.empty())
                break;
            record[name] = ReadValue(0);
        }
        if (Byte() != vaNull) // the child components: always none
            Malformed();
        return record;
    }

private:
    int64_t Left() { return stream_->Size() - stream_->Position(); }
    void Bytes(void* buffer, int64_t count)
    {
        if (count < 0 || count > Left())
            throw EReadError("Stream read error");
        stream_->ReadBuffer(buffer, long(count));
    }
    uint8_t Byte()
    {
        uint8_t b = 0;
        Bytes(&b, 1);
        return b;
    }
    template <class T> T Raw()
    {
        T value{};
        Bytes(&value, sizeof(T));
        return value;
    }
    String Counted(int64_t count)
    {
        if (count < 0 || count > Left()) // before allocating
            throw EReadError("Stream read error");
        String text(size_t(count), '\0');
        Bytes(text.data(), count);
        return text;
    }
    String ShortString() { return Counted(Byte()); }
    void Skip(int64_t count)
    {
        if (count < 0 || count > Left())
            throw EReadError("Stream read error");
        stream_->Seek(count, soCurrent);
    }

    Value ReadValue(int depth)
    {
        Value v;
        const uint8_t tag = Byte();
        switch (tag) {
        case vaInt8: v.kind = Value::Int; v.number = Raw<int8_t>(); break;
        case vaInt16: v.kind = Value::Int; v.number = Raw<int16_t>(); break;
        case vaInt32: v.kind = Value::Int; v.number = Raw<int32_t>(); break;
        case vaFalse: v.kind = Value::Bool; v.number = 0; break;
        case vaTrue: v.kind = Value::Bool; v.number = 1; break;
        case vaString: v.kind = Value::Text; v.text = ShortString(); break;
        case vaIdent: v.kind = Value::Ident; v.text = ShortString(); break;
        case vaLString: v.kind = Value::Text; v.text = Counted(Raw<int32_t>()); break;
        case vaUTF8String: v.kind = Value::Text; v.text = Utf8ToString(Counted(Raw<int32_t>())); break;
        case vaWString: {
            const int64_t units = Raw<int32_t>();
            if (units < 0 || units > Left() / 2)
                throw EReadError("Stream read error");
            const String raw = Counted(units * 2);
            WideString wide(size_t(units), u'\0');
            for (int64_t i = 0; i < units; ++i)
                wide[size_t(i)] = char16_t(uint8_t(raw[size_t(2 * i)]) | uint8_t(raw[size_t(2 * i + 1)]) << 8);
            v.kind = Value::Text;
            v.text = WideToString(wide);
            break;
        }
        case vaExtended: Skip(10); break;
        case vaBinary: Skip(Raw<int32_t>()); break;
        case vaNil: break;
        case vaSet:
            while (!ShortString().empty()) {
            }
            break;
        case vaList:
            if (depth >= 16)
                Malformed();
            for (;;) {
                // a list ends at a 00 tag
                if (Left() < 1)
                    throw EReadError("Stream read error");
                const int64_t at = stream_->Position();
                if (Byte() == vaNull)
                    break;
                stream_->SetPosition(at);
                ReadValue(depth + 1);
            }
            break;
        default: Malformed();
        }
        return v;
    }

    TStream* stream_;
};

int64_t IntOf(const Record& r, const char* name, int64_t fallback = 0)
{
    auto it = r.find(name);
    if (it == r.end())
        return fallback;
    if (it->second.kind != Value::Int && it->second.kind != Value::Bool)
        Malformed();
    return it->second.number;
}

String TextOf(const Record& r, const char* name)
{
    auto it = r.find(name);
    if (it == r.end())
        return String();
    if (it->second.kind != Value::Text)
        Malformed();
    return it->second.text;
}

String IdentOf(const Record& r, const char* name)
{
    auto it = r.find(name);
    return it != r.end() && it->second.kind == Value::Ident ? it->second.text : String();
}

// The decimal items of a "," list; EReadError when one is not a number or there are fewer than
// `count`.
std::vector<int> SizeList(const String& text, int count)
{
    std::vector<int> items;
    size_t start = 0;
    while (start <= text.size() && int(items.size()) < count) {
        size_t comma = text.find(',', start);
        if (comma == String::npos)
            comma = text.size();
        const String item = text.substr(start, comma - start);
        char* end = nullptr;
        const long value = std::strtol(item.c_str(), &end, 10);
        if (item.empty() || *end != '\0' || value < 0 || value > 100000)
            throw EReadError("Invalid stream format");
        items.push_back(int(value));
        start = comma + 1;
    }
    if (int(items.size()) < count)
        throw EReadError("Invalid stream format");
    return items;
}

// The types whose graphic is followed by one record of its own object.
bool HasObjectRecord(const String& cellType)
{
    return cellType == "ctBitmap" || cellType == "ctBitButton" || cellType == "ctIcon" || cellType == "ctRadio" ||
           cellType == "ctImages" || cellType == "ctPicture" || cellType == "ctFilePicture";
}

// The most columns or rows a full-grid stream may ask for (Col and Row carry 16 bits).
constexpr int64_t kMaxStreamExtent = 65536;

} // namespace

void TPlusStringGrid::WriteBinaryCellStream(const TRect& rect, TMemoryStream* stream)
{
    const int cols = rect.Right - rect.Left + 1;
    const int rows = rect.Bottom - rect.Top + 1;
    String widths, heights;
    for (int c = rect.Left; c <= rect.Right; ++c)
        widths += (c > rect.Left ? "," : "") + std::to_string(ColWidths(c));
    for (int r = rect.Top; r <= rect.Bottom; ++r)
        heights += (r > rect.Top ? "," : "") + std::to_string(RowHeights(r));
    const bool full = SaveFixedCells ? rows == RowCount() && cols == ColCount()
                                     : rows == RowCount() - FixedRows() && cols == ColCount() - FixedCols();
    RecordWriter header("TGridPropIO");
    header.Integer("ColCount", cols);
    header.Integer("RowCount", rows);
    header.Text("ColWidths", widths);
    header.Text("RowHeights", heights);
    header.Boolean("FullGrid", full);
    header.Integer("ID", StreamID());
    header.Finish(stream);

    int lastProgress = -1;
    for (int r = rect.Top; r <= rect.Bottom; ++r) {
        for (int c = rect.Left; c <= rect.Right; ++c) {
            RecordWriter cell("TGridCellIO");
            cell.Integer("Col", uint16_t(c));
            cell.Integer("Row", uint16_t(r));
            cell.Text("Cell", GetCellText(c, r));
            cell.Boolean("HasProp", false);
            cell.Finish(stream);
        }
        if (OnFileProgress) {
            const int p = int(std::nearbyint(double(r - rect.Top) / std::max(1, rect.Bottom - rect.Top) * 100.0));
            if (p != lastProgress) {
                lastProgress = p;
                OnFileProgress(this, short(p));
            }
        }
    }
}

void TPlusStringGrid::ReadBinaryCellStream(TStream* stream, TPoint at)
{
    RecordReader reader(stream);
    const Record header = reader.Read();
    const bool full = IntOf(header, "FullGrid") != 0;
    if (full) {
        const int64_t cols = IntOf(header, "ColCount"), rows = IntOf(header, "RowCount");
        if (cols < 1 || rows < 1 || cols > kMaxStreamExtent || rows > kMaxStreamExtent)
            throw EReadError("Invalid stream format");
        const std::vector<int> widths = SizeList(TextOf(header, "ColWidths"), int(cols));
        const std::vector<int> heights = SizeList(TextOf(header, "RowHeights"), int(rows));
        ClearAll();
        SetRowCount(int(rows));
        SetColCount(int(cols));
        for (int i = 0; i < int(cols); ++i)
            SetColWidths(i, widths[size_t(i)]);
        for (int i = 0; i < int(rows); ++i)
            SetRowHeights(i, heights[size_t(i)]);
    }

    TPoint origin{0, 0};
    bool first = true;
    int lastRow = -1, lastProgress = -1;
    while (stream->Position() < stream->Size() - 1) {
        const Record cell = reader.Read();
        const int col = int(IntOf(cell, "Col")), row = int(IntOf(cell, "Row"));
        if (first && !full)
            origin = TPoint{col, row};
        first = false;
        const int tc = col + at.X - origin.X, tr = row + at.Y - origin.Y;
        if (tc >= 0 && tr >= 0 && tc < ColCount() && tr < RowCount())
            SetCellText(tc, tr, TextOf(cell, "Cell"));
        if (tr != lastRow) {
            lastRow = tr;
            const int p = int(std::nearbyint(double(tr) / std::max(1, RowCount()) * 100.0));
            if (p != lastProgress) {
                lastProgress = p;
                if (OnFileProgress)
                    OnFileProgress(this, short(p));
            }
        }
        // Properties and graphics written by other writers are read past, so the cells after
        // them still land.
        if (IntOf(cell, "HasProp") != 0) {
            const Record props = reader.Read();
            if (IntOf(props, "HasGraphic") != 0) {
                const Record graphic = reader.Read();
                if (HasObjectRecord(IdentOf(graphic, "CellGraphic.CellType")))
                    reader.Read();
            }
        }
    }
}

bool TPlusStringGrid::ReadBinaryCellStreamHeader(TStream* stream, int& cols, int& rows, int32_t& id)
{
    try {
        RecordReader reader(stream);
        const Record header = reader.Read();
        cols = int(IntOf(header, "ColCount"));
        rows = int(IntOf(header, "RowCount"));
        id = int32_t(IntOf(header, "ID"));
        return cols >= 0 && rows >= 0;
    } catch (const EReadError&) {
        return false;
    }
}
