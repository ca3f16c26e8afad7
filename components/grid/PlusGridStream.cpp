// TPlusStringGrid: the binary cell stream, a sequence of component records ("TPF0" streams), and
// the text cell stream, ANSI lines of the grid's size, column widths and cell texts.
#include "components/grid/PlusGrid.h"

#include "components/grid/CellText.h"

#include <cmath>
#include <cstring>
#include <map>

namespace {

// ---------------------------------------------------------------- names

enum : uint8_t {
    vaNull = 0, vaList = 1, vaInt8 = 2, vaInt16 = 3, vaInt32 = 4, vaExtended = 5, vaString = 6,
    vaIdent = 7, vaFalse = 8, vaTrue = 9, vaBinary = 10, vaSet = 11, vaLString = 12, vaNil = 13,
    vaWString = 18, vaUTF8String = 20
};

// The enumerators' names as the records carry them, in ordinal order.
const char* const kCellTypeNames[] = {
    "ctBitmap", "ctIcon", "ctNone", "ctImageList", "ctCheckBox", "ctDataCheckBox", "ctRotated", "ctDataImage",
    "ctNode", "ctRadio", "ctEmpty", "ctImages", "ctPicture", "ctFilePicture", "ctValue", "ctProgress", "ctComment",
    "ctButton", "ctBitButton", "ctVirtCheckBox", "ctRowCheckBox", "ctProgressPie", "ctSummary",
    "ctRangeIndicator", "ctXPProgress", "ctInterface", "ctScrollbar", "ctRadioButton", "ctBalloon", "ctShape",
    "ctRating"};
const char* const kVAlignNames[] = {"vaTop", "vaBottom", "vaCenter", "vaUnderText", "vaAboveText", "vaFull"};
const char* const kHAlignNames[] = {"haLeft", "haRight", "haCenter", "haBeforeText", "haAfterText", "haFull"};
const char* const kAlignmentNames[] = {"taLeftJustify", "taRightJustify", "taCenter"};
const char* const kBrushStyleNames[] = {"bsSolid",     "bsClear",     "bsHorizontal", "bsVertical",
                                        "bsFDiagonal", "bsBDiagonal", "bsCross",      "bsDiagCross"};
const char* const kFontStyleNames[] = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};
const char* const kGradientNames[] = {"GradientVertical", "GradientHorizontal"};
const char* const kVTextAlignNames[] = {"vtaTop", "vtaCenter", "vtaBottom"};
const char* const kEditorNames[] = {
    "edNormal", "edSpinEdit", "edComboEdit", "edComboList", "edEditBtn", "edCheckBox", "edDateEdit",
    "edDateEditUpDown", "edTimeEdit", "edButton", "edDataCheckBox", "edNumeric", "edPositiveNumeric", "edFloat",
    "edCapital", "edMixedCase", "edPassword", "edUnitEditBtn", "edLowerCase", "edUpperCase", "edFloatSpinEdit",
    "edTimeSpinEdit", "edDateSpinEdit", "edNumericEditBtn", "edFloatEditBtn", "edCustom", "edRichEdit", "edNone",
    "edUniEdit", "edUniComboEdit", "edUniComboList", "edUniEditBtn", "edUniMemo", "edDateTimeEdit",
    "edValidChars", "edTrackbarDropDown", "edMemoDropDown", "edCalculatorDropDown", "edTimePickerDropDown",
    "edDetailDropDown", "edGridDropDown", "edColorPickerDropDown", "edImagePickerDropDown", "edPlusGridDropDown",
    "edPositiveFloat"};

struct NamedColor {
    const char* name;
    uint32_t value;
};
const NamedColor kNamedColors[] = {
    {"clBlack", 0x00000000}, {"clMaroon", 0x00000080}, {"clGreen", 0x00008000}, {"clOlive", 0x00008080},
    {"clNavy", 0x00800000}, {"clPurple", 0x00800080}, {"clTeal", 0x00808000}, {"clGray", 0x00808080},
    {"clSilver", 0x00C0C0C0}, {"clRed", 0x000000FF}, {"clLime", 0x0000FF00}, {"clYellow", 0x0000FFFF},
    {"clBlue", 0x00FF0000}, {"clFuchsia", 0x00FF00FF}, {"clAqua", 0x00FFFF00}, {"clWhite", 0x00FFFFFF},
    {"clMoneyGreen", 0x00C0DCC0}, {"clSkyBlue", 0x00F0CAA6}, {"clCream", 0x00F0FBFF}, {"clMedGray", 0x00A4A0A0},
    {"clActiveBorder", 0xFF00000A}, {"clActiveCaption", 0xFF000002}, {"clAppWorkSpace", 0xFF00000C},
    {"clBackground", 0xFF000001}, {"clBtnFace", 0xFF00000F}, {"clBtnHighlight", 0xFF000014},
    {"clBtnShadow", 0xFF000010}, {"clBtnText", 0xFF000012}, {"clCaptionText", 0xFF000009},
    {"clDefault", 0x20000000}, {"clGradientActiveCaption", 0xFF00001B}, {"clGradientInactiveCaption", 0xFF00001C},
    {"clGrayText", 0xFF000011}, {"clHighlight", 0xFF00000D}, {"clHighlightText", 0xFF00000E},
    {"clHotLight", 0xFF00001A}, {"clInactiveBorder", 0xFF00000B}, {"clInactiveCaption", 0xFF000003},
    {"clInactiveCaptionText", 0xFF000013}, {"clInfoBk", 0xFF000018}, {"clInfoText", 0xFF000017},
    {"clMenu", 0xFF000004}, {"clMenuBar", 0xFF00001E}, {"clMenuHighlight", 0xFF00001D}, {"clMenuText", 0xFF000007},
    {"clNone", 0x1FFFFFFF}, {"clScrollBar", 0xFF000000}, {"cl3DDkShadow", 0xFF000015}, {"cl3DLight", 0xFF000016},
    {"clWindow", 0xFF000005}, {"clWindowFrame", 0xFF000006}, {"clWindowText", 0xFF000008}};

template <size_t N> const char* NameOf(const char* const (&names)[N], int ordinal)
{
    return ordinal >= 0 && size_t(ordinal) < N ? names[ordinal] : names[0];
}

// The ordinal of a name; -1 when the table has no such name.
template <size_t N> int OrdinalOf(const char* const (&names)[N], const String& name)
{
    for (size_t i = 0; i < N; ++i)
        if (name == names[i])
            return int(i);
    return -1;
}

// The 80-bit x87 extended form of a double: sign and 15-bit exponent (bias 16383), then a 64-bit
// mantissa with its integer bit explicit; little-endian.
void EncodeExtended(double value, unsigned char out[10])
{
    std::memset(out, 0, 10);
    const bool negative = std::signbit(value);
    uint16_t exponent = 0;
    uint64_t mantissa = 0;
    if (std::isnan(value)) {
        exponent = 0x7FFF;
        mantissa = 0xC000000000000000ull;
    } else if (std::isinf(value)) {
        exponent = 0x7FFF;
        mantissa = 0x8000000000000000ull;
    } else if (value != 0) {
        int e = 0;
        const double m = std::frexp(std::fabs(value), &e); // 0.5 <= m < 1
        mantissa = uint64_t(std::ldexp(m, 64));
        exponent = uint16_t(e - 1 + 16383);
    }
    for (int i = 0; i < 8; ++i)
        out[i] = uint8_t(mantissa >> (8 * i));
    const uint16_t top = uint16_t(exponent | (negative ? 0x8000 : 0));
    out[8] = uint8_t(top);
    out[9] = uint8_t(top >> 8);
}

double DecodeExtended(const unsigned char in[10])
{
    uint64_t mantissa = 0;
    for (int i = 0; i < 8; ++i)
        mantissa |= uint64_t(in[i]) << (8 * i);
    const uint16_t top = uint16_t(in[8] | in[9] << 8);
    const bool negative = (top & 0x8000) != 0;
    const int exponent = top & 0x7FFF;
    double value;
    if (exponent == 0x7FFF)
        value = (mantissa << 1) != 0 ? std::nan("") : HUGE_VAL;
    else
        value = std::ldexp(double(mantissa), exponent - 16383 - 63);
    return negative ? -value : value;
}

// ---------------------------------------------------------------- writer

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
        IntegerValue(value);
    }
    void Boolean(const String& name, bool value)
    {
        ShortString(name);
        bytes_ += char(value ? vaTrue : vaFalse);
    }
    void Ident(const String& name, const String& ident)
    {
        ShortString(name);
        bytes_ += char(vaIdent);
        ShortString(ident);
    }
    void Colour(const String& name, TColor value)
    {
        for (const NamedColor& c : kNamedColors)
            if (c.value == uint32_t(value)) {
                Ident(name, c.name);
                return;
            }
        Integer(name, int32_t(value));
    }
    void Set(const String& name, const std::vector<String>& members)
    {
        ShortString(name);
        bytes_ += char(vaSet);
        for (const String& m : members)
            ShortString(m);
        ShortString("");
    }
    // Omitted when zero.
    void Extended(const String& name, double value)
    {
        if (value == 0)
            return;
        ShortString(name);
        bytes_ += char(vaExtended);
        unsigned char raw[10];
        EncodeExtended(value, raw);
        bytes_.append(reinterpret_cast<const char*>(raw), 10);
    }
    // Omitted when empty.
    void Binary(const String& name, const String& data)
    {
        if (data.empty())
            return;
        ShortString(name);
        bytes_ += char(vaBinary);
        Raw(int32_t(data.size()));
        bytes_ += data;
    }
    // A string list's lines (omitted when empty): ANSI texts taken to UTF-8 directly.
    void Lines(const String& name, const TStrings& lines)
    {
        if (lines.Count() == 0)
            return;
        ShortString(name);
        bytes_ += char(vaList);
        for (int i = 0; i < lines.Count(); ++i) {
            const String& line = lines.Strings(i);
            const std::string utf8 = StringToUtf8(line);
            if (utf8 == line)
                PlainString(line);
            else {
                bytes_ += char(vaUTF8String);
                Raw(int32_t(utf8.size()));
                bytes_ += utf8;
            }
        }
        bytes_ += char(vaNull);
    }
    // A text property (an ANSI text), omitted when empty: plain ASCII as a short or long string,
    // other texts as UTF-8 unless their UTF-8 form is at least twice their UTF-16 length, then
    // as UTF-16.
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
                PlainString(value);
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
    void IntegerValue(int64_t value)
    {
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
    void PlainString(const String& value)
    {
        if (value.size() <= 255) {
            bytes_ += char(vaString);
            bytes_ += char(uint8_t(value.size()));
        } else {
            bytes_ += char(vaLString);
            Raw(int32_t(value.size()));
        }
        bytes_ += value;
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

// One property value: integers, Booleans, texts, identifiers, floats, binaries, sets (their
// member names) and lists (their texts; other values in a list are checked and skipped).
struct Value {
    enum Kind { Int, Bool, Text, Ident, Float, Binary, Set, List, Other } kind = Other;
    int64_t number = 0;
    double real = 0;
    String text;
    std::vector<String> items;
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
    // Every count is checked against the bytes left before anything is allocated for it.
    String Counted(int64_t count)
    {
        if (count < 0 || count > Left())
            throw EReadError("Stream read error");
        String text(size_t(count), '\0');
        Bytes(text.data(), count);
        return text;
    }
    String ShortString() { return Counted(Byte()); }

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
        case vaExtended: {
            unsigned char raw[10];
            Bytes(raw, 10);
            v.kind = Value::Float;
            v.real = DecodeExtended(raw);
            break;
        }
        case vaBinary: v.kind = Value::Binary; v.text = Counted(Raw<int32_t>()); break;
        case vaNil: break;
        case vaSet:
            v.kind = Value::Set;
            for (String member = ShortString(); !member.empty(); member = ShortString())
                v.items.push_back(member);
            break;
        case vaList:
            if (depth >= 16)
                Malformed();
            v.kind = Value::List;
            for (;;) {
                // a list ends at a 00 tag
                if (Left() < 1)
                    throw EReadError("Stream read error");
                const int64_t at = stream_->Position();
                if (Byte() == vaNull)
                    break;
                stream_->SetPosition(at);
                const Value item = ReadValue(depth + 1);
                if (item.kind == Value::Text)
                    v.items.push_back(item.text);
            }
            break;
        default: Malformed();
        }
        return v;
    }

    TStream* stream_;
};

const Value* Find(const Record& r, const char* name)
{
    auto it = r.find(name);
    return it == r.end() ? nullptr : &it->second;
}

int64_t IntOf(const Record& r, const char* name, int64_t fallback = 0)
{
    const Value* v = Find(r, name);
    if (!v)
        return fallback;
    if (v->kind != Value::Int && v->kind != Value::Bool)
        Malformed();
    return v->number;
}

String TextOf(const Record& r, const char* name)
{
    const Value* v = Find(r, name);
    if (!v)
        return String();
    if (v->kind != Value::Text)
        Malformed();
    return v->text;
}

String IdentOf(const Record& r, const char* name)
{
    const Value* v = Find(r, name);
    return v && v->kind == Value::Ident ? v->text : String();
}

// Sets `field` from an integer property when the record has it.
template <class T> void ReadInt(const Record& r, const char* name, T& field)
{
    if (Find(r, name))
        field = T(IntOf(r, name));
}

void ReadBool(const Record& r, const char* name, bool& field)
{
    if (Find(r, name))
        field = IntOf(r, name) != 0;
}

// An enumeration by its name; an unknown name is a malformed record.
template <class E, size_t N> void ReadEnum(const Record& r, const char* name, const char* const (&names)[N], E& field)
{
    const Value* v = Find(r, name);
    if (!v)
        return;
    const int ordinal = v->kind == Value::Ident ? OrdinalOf(names, v->text) : -1;
    if (ordinal < 0)
        Malformed();
    field = E(ordinal);
}

void ReadColour(const Record& r, const char* name, TColor& field)
{
    const Value* v = Find(r, name);
    if (!v)
        return;
    if (v->kind == Value::Int) {
        field = TColor(int32_t(v->number));
        return;
    }
    if (v->kind == Value::Ident)
        for (const NamedColor& c : kNamedColors)
            if (v->text == c.name) {
                field = TColor(c.value);
                return;
            }
    Malformed();
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

// The types whose graphic carries one record of the object it owns.
bool HasObjectRecord(TCellType type)
{
    return type == ctBitmap || type == ctBitButton || type == ctIcon || type == ctRadio || type == ctImages ||
           type == ctPicture || type == ctFilePicture;
}

// The most columns or rows a full-grid stream may ask for (Col and Row carry 16 bits).
constexpr int64_t kMaxStreamExtent = 65536;

// The bytes a graphic writes to a stream.
String GraphicBytes(TGraphic& graphic)
{
    TMemoryStream out;
    graphic.SaveToStream(&out);
    return String(out.Bytes().begin(), out.Bytes().end());
}

// "Bitmap.Data": a 4-byte length, then the BMP file.
String BitmapData(TBitmap* bitmap)
{
    if (!bitmap || bitmap->Empty())
        return String();
    const String bmp = GraphicBytes(*bitmap);
    String data(4, '\0');
    const int32_t n = int32_t(bmp.size());
    std::memcpy(data.data(), &n, 4);
    return data + bmp;
}

// A graphic read from exactly these bytes; null when they hold no picture it reads.
template <class G> std::unique_ptr<G> GraphicFrom(const String& bytes)
{
    auto graphic = std::make_unique<G>();
    if (bytes.empty())
        return graphic;
    TMemoryStream in;
    in.WriteBuffer(bytes.data(), long(bytes.size()));
    in.SetPosition(0);
    try {
        graphic->LoadFromStream(&in);
    } catch (const Exception&) {
        throw EReadError("Invalid stream format");
    }
    return graphic;
}

// The BMP file inside "Bitmap.Data" (after its length, which must fit the bytes).
String BitmapFile(const String& data)
{
    if (data.empty())
        return String();
    int32_t n = 0;
    if (data.size() < 4)
        Malformed();
    std::memcpy(&n, data.data(), 4);
    if (n < 0 || size_t(n) > data.size() - 4)
        Malformed();
    return data.substr(4, size_t(n));
}


// The records of one cell: the cell, its properties and its graphic with the object it owns.
void WriteCellRecords(TPlusStringGrid& grid, int col, int row, TMemoryStream* stream)
{
    const bool hasProp = grid.HasCellProperties(col, row);
    RecordWriter cell("TGridCellIO");
    cell.Integer("Col", uint16_t(col));
    cell.Integer("Row", uint16_t(row));
    cell.Text("Cell", grid.GetCellText(col, row));
    cell.Boolean("HasProp", hasProp);
    cell.Finish(stream);
    if (!hasProp)
        return;

    const TCellProperties& p = *grid.EnsureCellProperties(col, row);
    TCellGraphic* g = grid.GetCellGraphicOf(col, row);
    bool hasGraphic = g != nullptr;
    if (g && HasObjectRecord(g->CellType))
        hasGraphic = g->CellCreated;
    RecordWriter props("TGridCellPropIO");
    props.Boolean("CellProperties.IsBaseCell", p.IsBaseCell);
    props.Integer("CellProperties.CellSpanX", p.CellSpanX);
    props.Integer("CellProperties.CellSpanY", p.CellSpanY);
    props.Ident("CellProperties.Alignment", NameOf(kAlignmentNames, p.Alignment));
    props.Colour("CellProperties.BorderColor", p.BorderColor);
    props.Integer("CellProperties.BorderWidth", p.BorderWidth);
    props.Colour("CellProperties.BrushColor", p.BrushColor());
    props.Colour("CellProperties.BrushColorTo", p.BrushColorTo());
    props.Ident("CellProperties.BrushStyle", NameOf(kBrushStyleNames, p.BrushStyle));
    // the user's object travels as the writer's reference only; readers never take it back
    props.Integer("CellProperties.CellObject", int32_t(reinterpret_cast<intptr_t>(p.CellObject)));
    props.Colour("CellProperties.FontColor", p.FontColor);
    props.Text("CellProperties.FontName", p.FontName);
    props.Integer("CellProperties.FontSize", p.FontSize);
    std::vector<String> styles;
    for (int s = 0; s < 4; ++s)
        if (p.FontStyle.Contains(TFontStyle(s)))
            styles.push_back(kFontStyleNames[s]);
    props.Set("CellProperties.FontStyle", styles);
    props.Ident("CellProperties.Editor", NameOf(kEditorNames, p.Editor));
    props.Ident("CellProperties.GradientDirection", NameOf(kGradientNames, p.GradientDirection));
    props.Boolean("CellProperties.ReadOnly", p.ReadOnly);
    props.Ident("CellProperties.VAlignment", NameOf(kVTextAlignNames, p.VAlignment()));
    props.Boolean("CellProperties.WordWrap", p.WordWrap());
    props.Integer("CellProperties.NodeLevel", p.NodeLevel);
    if (p.Control && !p.Control->Name().empty())
        props.Ident("CellProperties.Control", p.Control->Name());
    props.Boolean("HasGraphic", hasGraphic);
    props.Finish(stream);
    if (!hasGraphic)
        return;

    RecordWriter graphic("TGridGraphicIO");
    graphic.Ident("CellGraphic.CellType", NameOf(kCellTypeNames, g->CellType));
    graphic.Ident("CellGraphic.CellVAlign", NameOf(kVAlignNames, g->CellVAlign));
    graphic.Ident("CellGraphic.CellHAlign", NameOf(kHAlignNames, g->CellHAlign));
    graphic.Integer("CellGraphic.CellIndex", g->CellIndex);
    graphic.Boolean("CellGraphic.CellTransparent", g->CellTransparent);
    graphic.Boolean("CellGraphic.CellCreated", g->CellCreated);
    graphic.Boolean("CellGraphic.CellBoolean", g->CellBoolean);
    graphic.Integer("CellGraphic.CellAngle", g->CellAngle);
    graphic.Extended("CellGraphic.CellValue", g->CellValue);
    graphic.Integer("CellGraphic.CellErrFrom", g->CellErrFrom);
    graphic.Integer("CellGraphic.CellErrLen", g->CellErrLen);
    graphic.Text("CellGraphic.CellText", g->CellText);
    graphic.Finish(stream);

    switch (g->CellType) {
    case ctBitmap:
    case ctBitButton: {
        RecordWriter io("TGridBMPIO");
        io.Binary("Bitmap.Data", BitmapData(dynamic_cast<TBitmap*>(g->CellData)));
        io.Finish(stream);
        break;
    }
    case ctIcon: {
        RecordWriter io("TGridIconIO");
        auto* icon = dynamic_cast<TIcon*>(g->CellData2);
        io.Binary("Icon.Data", icon && !icon->Empty() ? GraphicBytes(*icon) : String());
        io.Finish(stream);
        break;
    }
    case ctRadio:
    case ctImages: {
        RecordWriter io("TGridSLIO");
        TStringList lines;
        if (auto* captions = dynamic_cast<TStrings*>(g->CellData); captions && g->CellType == ctRadio)
            lines.Assign(*captions);
        if (auto* indexes = dynamic_cast<TIntList*>(g->CellData); indexes && g->CellType == ctImages)
            for (int i = 0; i < indexes->Count(); ++i)
                lines.Add(std::to_string(indexes->GetItem(i)));
        io.Lines("Strings.Strings", lines);
        io.Finish(stream);
        break;
    }
    case ctPicture: {
        RecordWriter io("TGridPicIO");
        auto* picture = dynamic_cast<TPicture*>(g->CellData);
        String data;
        if (picture && picture->Graphic() && !picture->Graphic()->Empty()) {
            TGraphic& inner = *picture->Graphic();
            const String name = inner.ClassName().substr(0, 63);
            data = String(1, char(name.size())) + name;
            if (auto* bitmap = dynamic_cast<TBitmap*>(&inner))
                data += BitmapData(bitmap);
            else
                data += GraphicBytes(inner);
        }
        io.Binary("Picture.Data", data);
        io.Finish(stream);
        break;
    }
    case ctFilePicture: {
        RecordWriter io("TGridFilePicIO");
        if (auto* file = dynamic_cast<TFilePicture*>(g->CellData))
            io.Text("Picture.Filename", file->Filename());
        io.Finish(stream);
        break;
    }
    default: break;
    }
}

void ApplyCellPropertiesRecord(TPlusStringGrid& grid, int col, int row, const Record& record)
{
    // Values absent from the record keep the target's. The merge extent is not taken over as
    // fields: a base cell's extent is merged through the grid's own check (a range that would
    // overlap another or leave the grid is refused), and the user's object reference and the
    // control of the writer are never taken from a stream.
    TCellProperties& p = *grid.EnsureCellProperties(col, row);
    ReadEnum(record, "CellProperties.Alignment", kAlignmentNames, p.Alignment);
    ReadColour(record, "CellProperties.BorderColor", p.BorderColor);
    ReadInt(record, "CellProperties.BorderWidth", p.BorderWidth);
    TColor brush = p.BrushColor(), brushTo = p.BrushColorTo();
    ReadColour(record, "CellProperties.BrushColor", brush);
    ReadColour(record, "CellProperties.BrushColorTo", brushTo);
    p.SetBrushColor(brush);
    p.SetBrushColorTo(brushTo);
    ReadEnum(record, "CellProperties.BrushStyle", kBrushStyleNames, p.BrushStyle);
    ReadColour(record, "CellProperties.FontColor", p.FontColor);
    if (Find(record, "CellProperties.FontName"))
        p.FontName = TextOf(record, "CellProperties.FontName");
    ReadInt(record, "CellProperties.FontSize", p.FontSize);
    if (const Value* styles = Find(record, "CellProperties.FontStyle")) {
        if (styles->kind != Value::Set)
            Malformed();
        TFontStyles set;
        for (const String& name : styles->items) {
            const int s = OrdinalOf(kFontStyleNames, name);
            if (s < 0)
                Malformed();
            set << TFontStyle(s);
        }
        p.FontStyle = set;
    }
    ReadEnum(record, "CellProperties.Editor", kEditorNames, p.Editor);
    ReadEnum(record, "CellProperties.GradientDirection", kGradientNames, p.GradientDirection);
    ReadBool(record, "CellProperties.ReadOnly", p.ReadOnly);
    TVAlignment vAlign = p.VAlignment();
    ReadEnum(record, "CellProperties.VAlignment", kVTextAlignNames, vAlign);
    p.SetVAlignment(vAlign);
    bool wrap = p.WordWrap();
    ReadBool(record, "CellProperties.WordWrap", wrap);
    p.SetWordWrap(wrap);
    ReadInt(record, "CellProperties.NodeLevel", p.NodeLevel);
    const bool base = IntOf(record, "CellProperties.IsBaseCell", 1) != 0;
    const int64_t spanX = IntOf(record, "CellProperties.CellSpanX", -1);
    const int64_t spanY = IntOf(record, "CellProperties.CellSpanY", -1);
    if (base && (spanX > 0 || spanY > 0) && spanX < kMaxStreamExtent && spanY < kMaxStreamExtent &&
        !grid.InMergedRange(col, row))
        grid.MergeCellRange(col, row, int(std::max<int64_t>(spanX, 0) + 1), int(std::max<int64_t>(spanY, 0) + 1));
}

void ApplyCellGraphicRecord(TPlusStringGrid& grid, int col, int row, TCellType type, const Record& record,
                            const Record& object)
{
    // Everything the graphic will own is read before the cell's graphic is replaced.
    std::unique_ptr<TObject> owned;
    switch (type) {
    case ctBitmap:
    case ctBitButton: {
        const Value* data = Find(object, "Bitmap.Data");
        owned = GraphicFrom<TBitmap>(data && data->kind == Value::Binary ? BitmapFile(data->text) : String());
        break;
    }
    case ctIcon: {
        const Value* data = Find(object, "Icon.Data");
        owned = GraphicFrom<TIcon>(data && data->kind == Value::Binary ? data->text : String());
        break;
    }
    case ctRadio:
    case ctImages: {
        std::vector<String> lines;
        if (const Value* v = Find(object, "Strings.Strings")) {
            if (v->kind != Value::List)
                Malformed();
            lines = v->items;
        }
        if (type == ctRadio) {
            auto list = std::make_unique<TStringList>();
            for (const String& line : lines)
                list->Add(line);
            owned = std::move(list);
        } else {
            auto list = std::make_unique<TIntList>(col, row);
            for (const String& line : lines) {
                int index = 0;
                if (!TryStrToInt(line, index))
                    Malformed();
                list->Add(index);
            }
            owned = std::move(list);
        }
        break;
    }
    case ctPicture: {
        auto picture = std::make_unique<TPicture>();
        const Value* data = Find(object, "Picture.Data");
        if (data && data->kind == Value::Binary && !data->text.empty()) {
            const String& bytes = data->text;
            const size_t n = uint8_t(bytes[0]);
            if (n + 1 > bytes.size())
                Malformed();
            const String className = bytes.substr(1, n);
            const String rest = bytes.substr(n + 1);
            if (className == "TBitmap") {
                std::unique_ptr<TBitmap> bitmap = GraphicFrom<TBitmap>(BitmapFile(rest));
                picture->SetGraphic(bitmap.get());
            } else if (className == "TIcon") {
                std::unique_ptr<TIcon> icon = GraphicFrom<TIcon>(rest);
                picture->SetGraphic(icon.get());
            } else {
                Malformed();
            }
        }
        owned = std::move(picture);
        break;
    }
    case ctFilePicture: {
        auto file = std::make_unique<TFilePicture>();
        // a file that cannot be read now keeps its name (the picture has no size then)
        if (Find(object, "Picture.Filename")) {
            try {
                file->SetFilename(TextOf(object, "Picture.Filename"));
            } catch (const Exception&) {
            }
        }
        owned = std::move(file);
        break;
    }
    default: break;
    }

    TCellGraphic* g = grid.CreateCellGraphic(col, row);
    g->CellType = type;
    ReadEnum(record, "CellGraphic.CellVAlign", kVAlignNames, g->CellVAlign);
    ReadEnum(record, "CellGraphic.CellHAlign", kHAlignNames, g->CellHAlign);
    ReadInt(record, "CellGraphic.CellIndex", g->CellIndex);
    ReadBool(record, "CellGraphic.CellTransparent", g->CellTransparent);
    ReadBool(record, "CellGraphic.CellCreated", g->CellCreated);
    ReadBool(record, "CellGraphic.CellBoolean", g->CellBoolean);
    ReadInt(record, "CellGraphic.CellAngle", g->CellAngle);
    if (const Value* v = Find(record, "CellGraphic.CellValue")) {
        if (v->kind != Value::Float && v->kind != Value::Int)
            Malformed();
        g->CellValue = v->kind == Value::Float ? v->real : double(v->number);
    }
    ReadInt(record, "CellGraphic.CellErrFrom", g->CellErrFrom);
    ReadInt(record, "CellGraphic.CellErrLen", g->CellErrLen);
    if (Find(record, "CellGraphic.CellText"))
        g->CellText = TextOf(record, "CellGraphic.CellText");
    if ((type == ctCheckBox || type == ctDataCheckBox || type == ctRadioButton) && g->CellAngle == 1)
        g->CellAngle = 0; // the held object of such a cell is not carried
    if (!owned)
        return;
    g->CellCreated = true;
    if (type == ctIcon)
        g->CellData2 = owned.release();
    else
        g->CellData = owned.release();
}

} // namespace

// ---------------------------------------------------------------- binary cell stream

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
    NotifyProgress(0, rect.Top);

    int lastProgress = -1;
    for (int r = rect.Top; r <= rect.Bottom; ++r) {
        NotifyProgress(5, r);
        for (int c = rect.Left; c <= rect.Right; ++c)
            WriteCellRecords(*this, c, r, stream);
        if (OnFileProgress) {
            const int p = int(std::nearbyint(double(r - rect.Top) / std::max(1, rect.Bottom - rect.Top) * 100.0));
            if (p != lastProgress) {
                lastProgress = p;
                OnFileProgress(this, short(p));
            }
        }
    }
    NotifyProgress(2, -1);
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
        const bool inside = tc >= 0 && tr >= 0 && tc < TotalColCount() && tr < RowCount();
        if (inside)
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
        if (IntOf(cell, "HasProp") == 0)
            continue;
        // the records of a cell outside the grid are read past, so the cells after them land
        const Record props = reader.Read();
        const bool hasGraphic = IntOf(props, "HasGraphic") != 0;
        if (inside)
            ApplyCellPropertiesRecord(*this, tc, tr, props);
        if (!hasGraphic)
            continue;
        const Record graphic = reader.Read();
        TCellType type = ctNone;
        ReadEnum(graphic, "CellGraphic.CellType", kCellTypeNames, type);
        const Record object = HasObjectRecord(type) ? reader.Read() : Record();
        if (inside && type != ctEmpty)
            ApplyCellGraphicRecord(*this, tc, tr, type, graphic, object);
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

// ---------------------------------------------------------------- text cell stream

namespace {

void WriteLine(TStream* stream, const String& line)
{
    const String bytes = line + "\r\n";
    stream->WriteBuffer(bytes.data(), long(bytes.size()));
}

// A line up to a CR or the end of the stream; the byte after the CR (its LF) is skipped.
String ReadLine(TStream* stream)
{
    String line;
    char ch = 0;
    while (stream->Read(&ch, 1) == 1) {
        if (ch == '\r') {
            char lf = 0;
            stream->Read(&lf, 1);
            break;
        }
        line += ch;
    }
    return line;
}

// The most rows a text stream may give the grid (its cells are stored only once written).
constexpr int kMaxTextRows = 10000000;
// A declared area up to this many cells is taken from any stream; a larger one needs room for
// the width lines of its columns, and no stream gives more than the most cells below.
constexpr int64_t kFreeTextCells = 65536;
constexpr int64_t kMinWidthLine = 8;
constexpr int64_t kMaxTextCells = 100000000;

} // namespace

void TPlusStringGrid::WriteTextCellStream(TStream* stream)
{
    const int firstCol = SaveFixedCells ? 0 : TBaseGrid::FixedCols();
    const int firstRow = SaveFixedCells ? 0 : TBaseGrid::FixedRows();
    const int lastCol = SaveFixedCells ? ColCount() - 1 : ColCount() - fixedRightCols_ - 1;
    const int lastRow = SaveFixedCells ? RowCount() - 1 : RowCount() - fixedFooters_ - 1;
    WriteLine(stream, std::to_string(lastCol - firstCol + 1) + "," + std::to_string(lastRow - firstRow + 1));
    for (int c = 0; c < ColCount(); ++c)
        WriteLine(stream, "cw " + std::to_string(c) + "," + std::to_string(ColWidths(c)));
    NotifyProgress(0, firstRow);
    for (int r = firstRow; r <= lastRow; ++r) {
        NotifyProgress(5, r);
        for (int c = firstCol; c <= lastCol; ++c) {
            String text;
            SaveCellText(DisplayToRealColumn(c), r, text);
            if (!text.empty())
                WriteLine(stream, std::to_string(c - firstCol) + "," + std::to_string(r - firstRow) + "," +
                                      EncodeLineBreaks(text));
        }
    }
    NotifyProgress(2, -1);
}

void TPlusStringGrid::ReadTextCellStream(TStream* stream)
{
    const int firstCol = SaveFixedCells ? 0 : TBaseGrid::FixedCols();
    const int firstRow = SaveFixedCells ? 0 : TBaseGrid::FixedRows();
    if (stream->Position() < stream->Size()) {
        const String size = ReadLine(stream);
        const size_t comma = size.find(',');
        if (!size.empty()) {
            const int cols = StrToInt(size.substr(0, comma));
            const int rows = StrToInt(comma == String::npos ? String() : size.substr(comma + 1));
            // the size is checked before the grid grows to it
            if (cols < 0 || rows < 0 || cols > kMaxStreamExtent - firstCol || rows > kMaxTextRows - firstRow)
                throw EReadError("Invalid stream format");
            // a large grid must be backed by the stream: the writer gives every column a width
            // line ("cw 0,0" and its line end at the least)
            const int64_t cells = int64_t(cols) * rows;
            const int64_t left = stream->Size() - stream->Position();
            if (cells > kFreeTextCells && (int64_t(cols) * kMinWidthLine > left || cells > kMaxTextCells))
                throw EReadError("Invalid stream format: its size line declares " + std::to_string(cols) + " x " +
                                 std::to_string(rows) + " cells, more than its " + std::to_string(left) +
                                 " remaining bytes describe");
            SetColCount(cols + firstCol);
            SetRowCount(rows + firstRow);
        }
    }
    while (stream->Position() < stream->Size()) {
        const int64_t at = stream->Position();
        String line = ReadLine(stream);
        if (line.compare(0, 2, "cw") == 0) {
            line.erase(0, std::min<size_t>(3, line.size()));
            const size_t comma = line.find(',');
            const int col = StrToInt(line.substr(0, comma));
            const int width = StrToInt(comma == String::npos ? String() : line.substr(comma + 1));
            if (col >= 0 && col < ColCount() && width >= 0 && width <= 100000)
                SetColWidths(col, width);
            continue;
        }
        const size_t c1 = line.find(',');
        const size_t c2 = c1 == String::npos ? String::npos : line.find(',', c1 + 1);
        if (c1 == String::npos || c1 == 0 || c2 == String::npos || c2 == c1 + 1) {
            stream->SetPosition(at);
            break;
        }
        const int col = StrToInt(line.substr(0, c1)) + firstCol;
        const int row = StrToInt(line.substr(c1 + 1, c2 - c1 - 1)) + firstRow;
        const String text = DecodeLineBreaks(line.substr(c2 + 1), Multilinecells);
        if (col >= 0 && row >= 0 && col < ColCount() && row < RowCount())
            LoadCellText(DisplayToRealColumn(col), row, text);
    }
    CellsChanged(TRect(0, 0, ColCount(), RowCount()));
}

