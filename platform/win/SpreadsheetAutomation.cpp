#include "platform/win/SpreadsheetAutomation.h"

#include <QByteArray>
#include <QXmlStreamReader>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <freexl.h>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>
#include <map>
#include <zlib.h>

namespace {

[[noreturn]] void Fail(const String& what)
{
    throw EOleException("Workbook cannot be read: " + what);
}

uint32_t U32(const std::string& b, size_t at)
{
    if (at > b.size() || b.size() - at < 4)
        Fail("the zip archive is truncated");
    return uint32_t(uint8_t(b[at])) | uint32_t(uint8_t(b[at + 1])) << 8 | uint32_t(uint8_t(b[at + 2])) << 16 |
           uint32_t(uint8_t(b[at + 3])) << 24;
}

uint16_t U16(const std::string& b, size_t at)
{
    if (at > b.size() || b.size() - at < 2)
        Fail("the zip archive is truncated");
    return uint16_t(uint8_t(b[at]) | uint8_t(b[at + 1]) << 8);
}

// The parts of a zip archive by name, read through its central directory.
class ZipArchive {
public:
    explicit ZipArchive(const std::string& bytes) : b_(bytes)
    {
        if (b_.size() < 22)
            Fail("the file is not a zip archive");
        // the end record lies in the last 22 + 65535 bytes
        size_t end = std::string::npos;
        const size_t lowest = b_.size() > 22 + 65535 ? b_.size() - 22 - 65535 : 0;
        for (size_t i = b_.size() - 22 + 1; i-- > lowest;)
            if (U32(b_, i) == 0x06054b50) {
                end = i;
                break;
            }
        if (end == std::string::npos)
            Fail("the file is not a zip archive");
        const uint16_t count = U16(b_, end + 10);
        size_t at = U32(b_, end + 16);
        for (uint16_t k = 0; k < count; ++k) {
            if (U32(b_, at) != 0x02014b50)
                Fail("the zip directory is damaged");
            Entry e;
            e.method = U16(b_, at + 10);
            e.compressed = U32(b_, at + 20);
            e.size = U32(b_, at + 24);
            const uint16_t nameLen = U16(b_, at + 28), extraLen = U16(b_, at + 30), commentLen = U16(b_, at + 32);
            e.local = U32(b_, at + 42);
            if (at + 46 + nameLen > b_.size())
                Fail("the zip directory is damaged");
            entries_[b_.substr(at + 46, nameLen)] = e;
            at += 46 + size_t(nameLen) + extraLen + commentLen;
        }
    }

    bool Has(const std::string& name) const { return entries_.count(name) > 0; }

    std::string Part(const std::string& name) const
    {
        auto it = entries_.find(name);
        if (it == entries_.end())
            Fail("the part " + name + " is missing");
        const Entry& e = it->second;
        if (U32(b_, e.local) != 0x04034b50)
            Fail("the part " + name + " is damaged");
        const size_t data = size_t(e.local) + 30 + U16(b_, e.local + 26) + U16(b_, e.local + 28);
        if (data > b_.size() || b_.size() - data < e.compressed)
            Fail("the part " + name + " is truncated");
        if (e.size > kMaxPartBytes)
            Fail("the part " + name + " is too large");
        if (e.method == 0) {
            if (e.compressed != e.size)
                Fail("the part " + name + " is damaged");
            return b_.substr(data, e.compressed);
        }
        if (e.method != 8)
            Fail("the part " + name + " uses an unknown compression");
        std::string out(e.size, '\0');
        z_stream z{};
        if (inflateInit2(&z, -MAX_WBITS) != Z_OK)
            Fail("inflate failed");
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(b_.data() + data));
        z.avail_in = e.compressed;
        z.next_out = reinterpret_cast<Bytef*>(out.data());
        z.avail_out = uInt(out.size());
        const int rc = inflate(&z, Z_FINISH);
        const size_t produced = out.size() - z.avail_out;
        inflateEnd(&z);
        if (rc != Z_STREAM_END || produced != e.size)
            Fail("the part " + name + " does not inflate");
        return out;
    }

private:
    struct Entry {
        uint16_t method = 0;
        uint32_t compressed = 0, size = 0, local = 0;
    };
    const std::string& b_;
    std::map<std::string, Entry> entries_;
};

QString Attr(const QXmlStreamReader& x, const char* name)
{
    return x.attributes().value(QLatin1String(name)).toString();
}

String Latin1(const QString& s)
{
    return Utf8ToString(s.toUtf8().toStdString());
}

// Column letters and row of an A1 reference ("$B$12" -> 2, 12); false when malformed.
bool ParseCellRef(const String& ref, int& col, int& row)
{
    size_t i = 0;
    if (i < ref.size() && ref[i] == '$')
        ++i;
    col = 0;
    size_t letters = 0;
    while (i < ref.size() && std::isalpha(static_cast<unsigned char>(ref[i])) && letters < 3) {
        col = col * 26 + (std::toupper(static_cast<unsigned char>(ref[i])) - 'A' + 1);
        ++i;
        ++letters;
    }
    if (i < ref.size() && ref[i] == '$')
        ++i;
    row = 0;
    size_t digits = 0;
    while (i < ref.size() && std::isdigit(static_cast<unsigned char>(ref[i])) && digits < 7) {
        row = row * 10 + (ref[i] - '0');
        ++i;
        ++digits;
    }
    return letters > 0 && digits > 0 && i == ref.size() && row > 0 && col > 0 && col <= 16384 && row <= 1048576;
}

String ColumnLetters(int col)
{
    String s;
    while (col > 0) {
        s.insert(s.begin(), char('A' + (col - 1) % 26));
        col = (col - 1) / 26;
    }
    return s;
}

void CheckXml(const QXmlStreamReader& x, const std::string& part)
{
    if (x.hasError())
        Fail("the part " + part + " is not well-formed XML");
}

std::string PathOf(const std::string& target)
{
    if (!target.empty() && target[0] == '/')
        return target.substr(1);
    return "xl/" + target;
}

} // namespace

String TSpreadsheetValue::AsString() const
{
    switch (Kind) {
    case vkNumber: {
        char buf[40];
        std::snprintf(buf, sizeof buf, "%.15g", Number);
        return buf;
    }
    case vkBoolean: return Number != 0 ? "True" : "False";
    case vkText:
    case vkError: return Text;
    default: return String();
    }
}

String TSpreadsheetRange::Address() const
{
    String a = "$" + ColumnLetters(FirstCol) + "$" + std::to_string(FirstRow);
    if (LastRow != FirstRow || LastCol != FirstCol)
        a += ":$" + ColumnLetters(LastCol) + "$" + std::to_string(LastRow);
    return a;
}

std::vector<std::vector<TSpreadsheetValue>> TSpreadsheetRange::Value() const
{
    std::vector<std::vector<TSpreadsheetValue>> v(size_t(LastRow - FirstRow + 1),
                                                  std::vector<TSpreadsheetValue>(size_t(LastCol - FirstCol + 1)));
    for (int r = FirstRow; r <= LastRow; ++r)
        for (int c = FirstCol; c <= LastCol; ++c)
            v[size_t(r - FirstRow)][size_t(c - FirstCol)] = Sheet->CellValue(r, c);
    return v;
}

TSpreadsheetValue TSpreadsheetRange::Cells(int row, int column) const
{
    return Sheet->CellValue(FirstRow + row - 1, FirstCol + column - 1);
}

TSpreadsheetRange TSpreadsheetSheet::UsedRange() const
{
    TSpreadsheetRange r;
    r.Sheet = this;
    if (maxRow_ > 0) {
        r.FirstRow = minRow_;
        r.FirstCol = minCol_;
        r.LastRow = maxRow_;
        r.LastCol = maxCol_;
    }
    return r;
}

TSpreadsheetRange TSpreadsheetSheet::Range(const String& address) const
{
    TSpreadsheetRange r;
    r.Sheet = this;
    const size_t colon = address.find(':');
    const String a = address.substr(0, colon);
    const String b = colon == String::npos ? a : address.substr(colon + 1);
    if (!ParseCellRef(a, r.FirstCol, r.FirstRow) || !ParseCellRef(b, r.LastCol, r.LastRow) ||
        r.LastRow < r.FirstRow || r.LastCol < r.FirstCol)
        throw EOleException("Invalid range address " + address);
    return r;
}

TSpreadsheetRange TSpreadsheetSheet::Rows() const
{
    TSpreadsheetRange r;
    r.Sheet = this;
    r.LastRow = 1048576;
    r.LastCol = 16384;
    return r;
}

TSpreadsheetValue TSpreadsheetSheet::CellValue(int row, int column) const
{
    const uint64_t key = uint64_t(uint32_t(row)) << 32 | uint32_t(column);
    auto it = std::lower_bound(cells_.begin(), cells_.end(), key,
                               [](const auto& e, uint64_t k) { return e.first < k; });
    return it != cells_.end() && it->first == key ? it->second : TSpreadsheetValue();
}

TSpreadsheetSheet* TSpreadsheetWorkbook::Sheets(int index) const
{
    if (index < 1 || index > SheetCount())
        throw EOleException("Invalid sheet index");
    return sheets_[size_t(index - 1)].get();
}

void TSpreadsheetWorkbook::Close(bool) {}

std::unique_ptr<TSpreadsheetWorkbook> ReadWorkbookBytes(const std::string& bytes)
{
    ZipArchive zip(bytes);
    // shared strings
    std::vector<String> shared;
    if (zip.Has("xl/sharedStrings.xml")) {
        const std::string part = zip.Part("xl/sharedStrings.xml");
        QXmlStreamReader x(QByteArray::fromRawData(part.data(), qsizetype(part.size())));
        QString current;
        bool inSi = false;
        while (!x.atEnd()) {
            x.readNext();
            if (x.isStartElement() && x.name() == QLatin1String("si")) {
                inSi = true;
                current.clear();
            } else if (x.isStartElement() && x.name() == QLatin1String("t") && inSi) {
                current += x.readElementText();
            } else if (x.isStartElement() && x.name() == QLatin1String("rPh")) {
                x.skipCurrentElement(); // phonetic runs are not part of the text
            } else if (x.isEndElement() && x.name() == QLatin1String("si")) {
                shared.push_back(Latin1(current));
                inSi = false;
            }
        }
        CheckXml(x, "xl/sharedStrings.xml");
    }
    // relationships: id -> part
    std::map<QString, std::string> rels;
    {
        const std::string part = zip.Part("xl/_rels/workbook.xml.rels");
        QXmlStreamReader x(QByteArray::fromRawData(part.data(), qsizetype(part.size())));
        while (!x.atEnd()) {
            x.readNext();
            if (x.isStartElement() && x.name() == QLatin1String("Relationship"))
                rels[Attr(x, "Id")] = PathOf(Attr(x, "Target").toStdString());
        }
        CheckXml(x, "xl/_rels/workbook.xml.rels");
    }
    auto book = std::make_unique<TSpreadsheetWorkbook>();
    std::vector<std::pair<String, std::string>> sheetParts;
    {
        const std::string part = zip.Part("xl/workbook.xml");
        QXmlStreamReader x(QByteArray::fromRawData(part.data(), qsizetype(part.size())));
        while (!x.atEnd()) {
            x.readNext();
            if (!x.isStartElement())
                continue;
            if (x.name() == QLatin1String("workbookView"))
                book->active_ = Attr(x, "activeTab").toInt();
            else if (x.name() == QLatin1String("sheet")) {
                QString id;
                for (const auto& a : x.attributes())
                    if (a.name() == QLatin1String("id"))
                        id = a.value().toString();
                auto it = rels.find(id);
                if (it == rels.end())
                    Fail("a sheet has no part");
                sheetParts.emplace_back(Latin1(Attr(x, "name")), it->second);
            }
        }
        CheckXml(x, "xl/workbook.xml");
    }
    if (sheetParts.empty())
        Fail("the workbook has no sheet");
    for (const auto& [name, path] : sheetParts) {
        auto sheet = std::make_unique<TSpreadsheetSheet>();
        sheet->name_ = name;
        const std::string part = zip.Part(path);
        QXmlStreamReader x(QByteArray::fromRawData(part.data(), qsizetype(part.size())));
        while (!x.atEnd()) {
            x.readNext();
            if (!x.isStartElement() || x.name() != QLatin1String("c"))
                continue;
            int col = 0, row = 0;
            if (!ParseCellRef(Latin1(Attr(x, "r")), col, row))
                Fail("a cell of sheet " + name + " has no valid reference");
            const QString type = Attr(x, "t");
            TSpreadsheetValue v;
            QString raw;
            bool hasValue = false;
            while (x.readNextStartElement()) {
                if (x.name() == QLatin1String("v")) {
                    raw = x.readElementText();
                    hasValue = true;
                } else if (x.name() == QLatin1String("is")) {
                    QString text;
                    while (x.readNextStartElement()) {
                        if (x.name() == QLatin1String("t"))
                            text += x.readElementText();
                        else if (x.name() == QLatin1String("r")) {
                            while (x.readNextStartElement())
                                if (x.name() == QLatin1String("t"))
                                    text += x.readElementText();
                                else
                                    x.skipCurrentElement();
                        } else
                            x.skipCurrentElement();
                    }
                    raw = text;
                    hasValue = true;
                } else {
                    x.skipCurrentElement();
                }
            }
            if (!hasValue)
                continue;
            if (type == QLatin1String("s")) {
                bool ok = false;
                const int index = raw.toInt(&ok);
                if (!ok || index < 0 || size_t(index) >= shared.size())
                    Fail("a cell of sheet " + name + " names a missing shared string");
                v.Kind = TSpreadsheetValue::vkText;
                v.Text = shared[size_t(index)];
            } else if (type == QLatin1String("inlineStr") || type == QLatin1String("str")) {
                v.Kind = TSpreadsheetValue::vkText;
                v.Text = Latin1(raw);
            } else if (type == QLatin1String("b")) {
                v.Kind = TSpreadsheetValue::vkBoolean;
                v.Number = raw.trimmed() == QLatin1String("1") ? 1 : 0;
            } else if (type == QLatin1String("e")) {
                v.Kind = TSpreadsheetValue::vkError;
                v.Text = Latin1(raw);
            } else {
                bool ok = false;
                v.Number = raw.toDouble(&ok);
                if (!ok)
                    Fail("a number of sheet " + name + " is not a number");
                v.Kind = TSpreadsheetValue::vkNumber;
            }
            sheet->cells_.emplace_back(uint64_t(uint32_t(row)) << 32 | uint32_t(col), v);
            sheet->maxRow_ = std::max(sheet->maxRow_, row);
            sheet->maxCol_ = std::max(sheet->maxCol_, col);
            sheet->minRow_ = sheet->minRow_ == 0 ? row : std::min(sheet->minRow_, row);
            sheet->minCol_ = sheet->minCol_ == 0 ? col : std::min(sheet->minCol_, col);
        }
        CheckXml(x, path);
        std::sort(sheet->cells_.begin(), sheet->cells_.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
        book->sheets_.push_back(std::move(sheet));
    }
    if (book->active_ < 0 || book->active_ >= book->SheetCount())
        book->active_ = 0;
    return book;
}

bool IsCompoundFile(const std::string& bytes)
{
    static const char signature[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
    return bytes.size() >= 8 && std::memcmp(bytes.data(), signature, 8) == 0;
}

namespace {

String BiffFailure(int code)
{
    switch (code) {
    case FREEXL_FILE_NOT_FOUND: return "the file cannot be opened";
    case FREEXL_INSUFFICIENT_MEMORY: return "it needs more memory than there is";
    case FREEXL_INVALID_CHARACTER:
    case FREEXL_UNSUPPORTED_CHARSET: return "its texts are in a character set that cannot be read";
    case FREEXL_CRAFTED_FILE: return "the workbook is malformed";
    case FREEXL_BIFF_INVALID_SST:
    case FREEXL_BIFF_ILLEGAL_SST_INDEX: return "its shared strings are damaged";
    case FREEXL_BIFF_WORKBOOK_NOT_FOUND: return "the compound file holds no workbook";
    case FREEXL_INVALID_CFBF_HEADER:
    case FREEXL_BIFF_INVALID_BOF:
    case FREEXL_CFBF_EMPTY_FAT_CHAIN:
    case FREEXL_CFBF_ILLEGAL_FAT_ENTRY:
    case FREEXL_CFBF_INVALID_SECTOR_SIZE:
    case FREEXL_CFBF_INVALID_SIGNATURE:
    case FREEXL_CFBF_READ_ERROR:
    case FREEXL_CFBF_SEEK_ERROR: return "the compound file is damaged";
    default: return "the binary workbook is damaged (error " + std::to_string(code) + ")";
    }
}

// Closes the library's handle on every way out.
struct BiffHandle {
    const void* handle = nullptr;
    ~BiffHandle()
    {
        if (handle)
            freexl_close(handle);
    }
};

} // namespace

// Reads a binary workbook in this process. The reading library is not safe on every damaged file
// (it can read outside its buffers), so callers run this in a child process.
std::unique_ptr<TSpreadsheetWorkbook> ReadBinaryWorkbookHere(const String& fileName)
{
    BiffHandle h;
    if (const int rc = freexl_open(fileName.c_str(), &h.handle); rc != FREEXL_OK) {
        h.handle = nullptr; // nothing to close after a failed open
        Fail(BiffFailure(rc));
    }
    unsigned int info = 0;
    if (freexl_get_info(h.handle, FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK && info == FREEXL_BIFF_OBFUSCATED)
        Fail("the workbook is protected by a password");
    unsigned int sheets = 0;
    if (const int rc = freexl_get_info(h.handle, FREEXL_BIFF_SHEET_COUNT, &sheets); rc != FREEXL_OK)
        Fail(BiffFailure(rc));
    if (sheets == 0)
        Fail("the workbook has no sheet");
    auto book = std::make_unique<TSpreadsheetWorkbook>();
    for (unsigned short index = 0; index < sheets; ++index) {
        auto sheet = std::make_unique<TSpreadsheetSheet>();
        const char* name = nullptr;
        if (const int rc = freexl_get_worksheet_name(h.handle, index, &name); rc != FREEXL_OK)
            Fail(BiffFailure(rc));
        sheet->name_ = Latin1(QString::fromUtf8(name ? name : ""));
        if (const int rc = freexl_select_active_worksheet(h.handle, index); rc != FREEXL_OK)
            Fail(BiffFailure(rc));
        unsigned int rows = 0;
        unsigned short cols = 0;
        if (const int rc = freexl_worksheet_dimensions(h.handle, &rows, &cols); rc != FREEXL_OK)
            Fail(BiffFailure(rc));
        for (unsigned int r = 0; r < rows; ++r) {
            for (unsigned short c = 0; c < cols; ++c) {
                FreeXL_CellValue cell{};
                if (const int rc = freexl_get_cell_value(h.handle, r, c, &cell); rc != FREEXL_OK)
                    Fail(BiffFailure(rc));
                TSpreadsheetValue v;
                switch (cell.type) {
                case FREEXL_CELL_INT:
                    v.Kind = TSpreadsheetValue::vkNumber;
                    v.Number = cell.value.int_value;
                    break;
                case FREEXL_CELL_DOUBLE:
                    v.Kind = TSpreadsheetValue::vkNumber;
                    v.Number = cell.value.double_value;
                    break;
                case FREEXL_CELL_TEXT:
                case FREEXL_CELL_SST_TEXT:
                case FREEXL_CELL_DATE:
                case FREEXL_CELL_DATETIME:
                case FREEXL_CELL_TIME:
                    v.Kind = TSpreadsheetValue::vkText;
                    v.Text = Latin1(QString::fromUtf8(cell.value.text_value ? cell.value.text_value : ""));
                    break;
                default: continue; // empty
                }
                const int row = int(r) + 1, col = int(c) + 1;
                sheet->cells_.emplace_back(uint64_t(uint32_t(row)) << 32 | uint32_t(col), v);
                sheet->maxRow_ = std::max(sheet->maxRow_, row);
                sheet->maxCol_ = std::max(sheet->maxCol_, col);
                sheet->minRow_ = sheet->minRow_ == 0 ? row : std::min(sheet->minRow_, row);
                sheet->minCol_ = sheet->minCol_ == 0 ? col : std::min(sheet->minCol_, col);
            }
        }
        book->sheets_.push_back(std::move(sheet)); // cells_ are in row, then column order
    }
    return book;
}

namespace {

// The child's answer on the pipe: 'E' and a message, or 'B' and the workbook, all numbers in
// this machine's byte order (the reader is the same program).
template <class T> void Put(std::string& out, T v)
{
    out.append(reinterpret_cast<const char*>(&v), sizeof v);
}

void PutText(std::string& out, const String& text)
{
    Put<uint32_t>(out, uint32_t(text.size()));
    out += text;
}

class AnswerReader {
public:
    explicit AnswerReader(const std::string& b) : b_(b) {}
    template <class T> T Get()
    {
        T v{};
        Need(sizeof v);
        std::memcpy(&v, b_.data() + at_, sizeof v);
        at_ += sizeof v;
        return v;
    }
    String GetText()
    {
        const uint32_t n = Get<uint32_t>();
        Need(n);
        String s = b_.substr(at_, n);
        at_ += n;
        return s;
    }
    bool AtEnd() const { return at_ == b_.size(); }

private:
    void Need(size_t n)
    {
        if (b_.size() - at_ < n)
            Fail("the reader of binary workbooks stopped early");
    }
    const std::string& b_;
    size_t at_ = 0;
};

// Writes all of <data> to <fd>, across short writes.
void WriteAll(int fd, const std::string& data)
{
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        done += size_t(n);
    }
}

} // namespace

std::unique_ptr<TSpreadsheetWorkbook> ReadBinaryWorkbook(const String& fileName)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        Fail("no pipe for the reader of binary workbooks");
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        Fail("the reader of binary workbooks cannot be started");
    }
    if (child == 0) {
        // The child reads the file and sends its cells; whatever the library does to its memory
        // stays in this process. _exit keeps the parent's exit handlers from running here.
        ::close(fds[0]);
        // what the library or a memory checker would print about a damaged file is not the user's
        if (const int devnull = ::open("/dev/null", O_WRONLY); devnull >= 0)
            ::dup2(devnull, STDERR_FILENO);
        std::string out;
        try {
            const auto book = ReadBinaryWorkbookHere(fileName);
            out += 'B';
            Put<uint32_t>(out, uint32_t(book->sheets_.size()));
            for (const auto& sheet : book->sheets_) {
                PutText(out, sheet->name_);
                for (int v : {sheet->minRow_, sheet->minCol_, sheet->maxRow_, sheet->maxCol_})
                    Put<int32_t>(out, v);
                Put<uint64_t>(out, sheet->cells_.size());
                for (const auto& [key, value] : sheet->cells_) {
                    Put<uint64_t>(out, key);
                    Put<uint8_t>(out, uint8_t(value.Kind));
                    Put<double>(out, value.Number);
                    PutText(out, value.Text);
                }
            }
        } catch (const std::exception& e) {
            out = 'E';
            out += e.what();
        } catch (...) {
            out = "Ethe binary workbook cannot be read";
        }
        WriteAll(fds[1], out);
        ::_exit(0);
    }
    ::close(fds[1]);
    std::string answer;
    char chunk[65536];
    // A damaged file may also send the library into an endless loop: the reader gets a minute
    // without sending anything before it is stopped.
    bool timedOut = false;
    for (;;) {
        pollfd p{fds[0], POLLIN, 0};
        const int ready = ::poll(&p, 1, 60000);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready == 0) {
            timedOut = true;
            ::kill(child, SIGKILL);
            break;
        }
        const ssize_t n = ::read(fds[0], chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        answer.append(chunk, size_t(n));
    }
    ::close(fds[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (timedOut)
        Fail("reading the binary workbook did not end");
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || answer.empty())
        Fail("the binary workbook is damaged");
    if (answer[0] == 'E') {
        // the child's message is the whole text of its exception
        throw EOleException(answer.substr(1));
    }
    if (answer[0] != 'B')
        Fail("the binary workbook is damaged");
    const std::string body = answer.substr(1);
    AnswerReader in(body);
    auto book = std::make_unique<TSpreadsheetWorkbook>();
    const uint32_t sheets = in.Get<uint32_t>();
    for (uint32_t i = 0; i < sheets; ++i) {
        auto sheet = std::make_unique<TSpreadsheetSheet>();
        sheet->name_ = in.GetText();
        sheet->minRow_ = in.Get<int32_t>();
        sheet->minCol_ = in.Get<int32_t>();
        sheet->maxRow_ = in.Get<int32_t>();
        sheet->maxCol_ = in.Get<int32_t>();
        const uint64_t cells = in.Get<uint64_t>();
        for (uint64_t c = 0; c < cells; ++c) {
            const uint64_t key = in.Get<uint64_t>();
            TSpreadsheetValue v;
            const uint8_t kind = in.Get<uint8_t>();
            if (kind > TSpreadsheetValue::vkError)
                Fail("the reader of binary workbooks sent a damaged answer");
            v.Kind = decltype(v.Kind)(kind);
            v.Number = in.Get<double>();
            v.Text = in.GetText();
            sheet->cells_.emplace_back(key, std::move(v));
        }
        book->sheets_.push_back(std::move(sheet));
    }
    if (!in.AtEnd())
        Fail("the reader of binary workbooks sent a damaged answer");
    return book;
}

TSpreadsheetWorkbook* TSpreadsheetApplication::OpenWorkbook(const String& FileName)
{
    std::ifstream in(FileName, std::ios::binary);
    if (!in)
        throw EOleException("Workbook cannot be opened: " + FileName);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    books_.push_back(IsCompoundFile(bytes) ? ReadBinaryWorkbook(FileName) : ReadWorkbookBytes(bytes));
    return books_.back().get();
}

void TSpreadsheetApplication::Quit()
{
    books_.clear();
}

std::unique_ptr<TSpreadsheetApplication> CreateSpreadsheetApplication(const String& progID)
{
    if (CompareText(progID, "excel.application") != 0)
        return nullptr;
    return std::make_unique<TSpreadsheetApplication>();
}
