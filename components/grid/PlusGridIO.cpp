// TPlusStringGrid: loading cells from delimited text files.
#include "components/grid/PlusGrid.h"

#include "components/grid/CellText.h"
#include "components/grid/TextRoutines.h"

#include "platform/framework/Forms.h"
#include "platform/win/SpreadsheetAutomation.h"

#include <cmath>
#include <fstream>
#include <filesystem>

namespace {

// The field delimiters tried when none is set, in the order they are preferred.
constexpr char kDelimiterCandidates[] = {',', ';', '#', '\t', '|', '@', '*', '-', '+', '&'};

// Counts the occurrences of ch that are not doubled: a run of ch of odd length counts once, a
// doubled one not at all, and a run that ends the text counts once. Linear in the text's length
// (the same answer as CountUnpairedChars, which copies the text for every hit).
int CountUndoubled(char ch, const String& text)
{
    int count = 0;
    const size_t n = text.size();
    size_t i = 0;
    while (i < n) {
        if (text[i] != ch) {
            ++i;
            continue;
        }
        size_t run = 0;
        while (i < n && text[i] == ch) {
            ++run;
            ++i;
        }
        if (i == n || run % 2 == 1)
            ++count;
    }
    return count;
}

int CountPlain(char ch, const String& text)
{
    int count = 0;
    for (char c : text)
        count += c == ch;
    return count;
}

// The delimiter found in the first two lines: equal counts of undoubled occurrences, then equal
// plain counts, then the larger plain count in either line; the first candidate wins ties.
// '\0' when no candidate occurs at all.
char DetectDelimiter(const String& first, const String& second)
{
    char found = '\0';
    int best = 0;
    // the candidate counted most often, and as often in both lines
    const auto mostEqual = [&](int (*count)(char, const String&)) {
        for (char ch : kDelimiterCandidates) {
            const int a = count(ch, first), b = count(ch, second);
            if (a == b && a > best) {
                found = ch;
                best = a;
            }
        }
    };
    mostEqual(CountUndoubled);
    if (best == 0)
        mostEqual(CountPlain);
    if (best == 0)
        for (char ch : kDelimiterCandidates) {
            const int a = CountPlain(ch, first), b = CountPlain(ch, second);
            if (a > best || b > best) {
                found = ch;
                best = std::max(a, b);
            }
        }
    return found;
}

// The whole file; EFOpenError when it cannot be opened or read.
String ReadWholeFile(const String& fileName)
{
    std::error_code ec;
    if (std::filesystem::is_directory(fileName, ec))
        throw EFOpenError("Cannot open file \"" + fileName + "\"");
    TFileStream stream(fileName, fmOpenRead | fmShareDenyNone);
    String data;
    char buffer[65536];
    for (;;) {
        const long got = stream.Read(buffer, sizeof buffer);
        if (got <= 0)
            break;
        data.append(buffer, size_t(got));
    }
    return data;
}

// Lines end at CR, LF or CR LF; a final line break opens no further line.
std::vector<String> SplitLines(const String& data)
{
    std::vector<String> lines;
    size_t start = 0;
    const size_t n = data.size();
    for (size_t i = 0; i < n; ++i) {
        if (data[i] != '\r' && data[i] != '\n')
            continue;
        lines.emplace_back(data, start, i - start);
        if (data[i] == '\r' && i + 1 < n && data[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.emplace_back(data, start, n - start);
    return lines;
}

// Runs the field scanner over one line, starting inside or outside a quoted field; answers
// whether the line ends inside a quoted field. A quoted field opens with a quote at a field's
// start and closes at a quote that is not doubled.
bool EndsInsideQuotes(const String& line, char delimiter, bool inside)
{
    bool fieldStart = !inside;
    const size_t n = line.size();
    for (size_t i = 0; i < n; ++i) {
        const char ch = line[i];
        if (inside) {
            if (ch == '"') {
                if (i + 1 < n && line[i + 1] == '"')
                    ++i;
                else
                    inside = false;
            }
            continue;
        }
        if (fieldStart && ch == '"') {
            inside = true;
            fieldStart = false;
            continue;
        }
        fieldStart = delimiter != '\0' && ch == delimiter;
    }
    return inside;
}

// The logical records of the file: a line whose quoted field stays open takes the following
// lines (joined with CR LF) up to the one that closes it. When no later line closes it, the line
// stands alone, so a stray quote never swallows the lines after it.
std::vector<String> JoinQuotedLines(std::vector<String>& lines, char delimiter, bool oem)
{
    std::vector<String> records;
    records.reserve(lines.size());
    const size_t n = lines.size();
    // Past this line no open quote can close (a scan from an earlier line ran to the end).
    size_t neverClosesFrom = n + 1;
    for (size_t i = 0; i < n; ++i) {
        String line = std::move(lines[i]);
        if (oem)
            OemToAnsiText(line);
        if (i + 1 < n && i + 1 < neverClosesFrom && EndsInsideQuotes(line, delimiter, false)) {
            size_t j = i + 1;
            bool closed = false;
            for (; j < n; ++j) {
                String next = lines[j];
                if (oem)
                    OemToAnsiText(next);
                if (!EndsInsideQuotes(next, delimiter, true)) {
                    closed = true;
                    break;
                }
            }
            if (closed) {
                for (size_t k = i + 1; k <= j; ++k) {
                    String next = std::move(lines[k]);
                    if (oem)
                        OemToAnsiText(next);
                    line += "\r\n";
                    line += next;
                }
                i = j;
            } else {
                neverClosesFrom = i + 1;
            }
        }
        records.push_back(std::move(line));
    }
    return records;
}

// The text of a quoted field from just after its opening quote: doubled quotes become one, the
// field ends at the first quote that is not doubled. pos moves past the closing quote; closed
// tells whether one was found (without it the field runs to the end of the text).
String ReadQuoted(const String& text, size_t& pos, bool& closed)
{
    String field;
    const size_t n = text.size();
    closed = false;
    while (pos < n) {
        const size_t q = text.find('"', pos);
        if (q == String::npos) {
            field.append(text, pos, n - pos);
            pos = n;
            return field;
        }
        field.append(text, pos, q - pos);
        if (q + 1 < n && text[q + 1] == '"') {
            field += '"';
            pos = q + 2;
            continue;
        }
        pos = q + 1;
        closed = true;
        return field;
    }
    return field;
}

// The fields of one CSV record: quoted fields lose their quotes (doubled quotes made single);
// a delimiter at the very end starts no further field.
std::vector<String> CsvImportFields(const String& line, char delimiter)
{
    std::vector<String> fields;
    const size_t n = line.size();
    size_t pos = 0;
    while (pos < n) {
        String field;
        if (line[pos] == '"') {
            const size_t open = pos;
            ++pos;
            bool closed = false;
            field = ReadQuoted(line, pos, closed);
            size_t p;
            if (closed) {
                // Text after the closing quote, up to the delimiter, stays part of the field.
                p = delimiter ? line.find(delimiter, pos) : String::npos;
                const size_t end = p == String::npos ? n : p;
                field.append(line, pos, end - pos);
            } else {
                // A quote that never closes: the field is the text after it up to the next
                // delimiter, with doubled quotes made single.
                p = delimiter ? line.find(delimiter, open + 1) : String::npos;
                const size_t end = p == String::npos ? n : p;
                field = CollapseDoubledChar('"', line.substr(open + 1, end - open - 1));
            }
            fields.push_back(std::move(field));
            if (p == String::npos)
                break;
            pos = p + 1;
            continue;
        }
        const size_t p = delimiter ? line.find(delimiter, pos) : String::npos;
        if (p == String::npos) {
            field.assign(line, pos, n - pos);
            pos = n;
            fields.push_back(std::move(field));
            break;
        }
        field.assign(line, pos, p - pos);
        pos = p + 1;
        fields.push_back(std::move(field));
    }
    return fields;
}

// A floating footer's row, its texts and records taken out while a CSV file is appended; the
// records not put back are released.
struct CsvImportSavedFooter {
    TPlusStringGrid* grid;
    std::vector<String> texts;
    std::vector<TCellProperties*> records;
    void Restore(int row)
    {
        for (size_t c = 0; c < texts.size(); ++c) {
            grid->SetRawCell(int(c), row, texts[c]);
            if (records[c] && !grid->PutCellProperties(int(c), row, records[c]))
                grid->ReleaseCellProperties(records[c]);
            records[c] = nullptr;
        }
    }
    ~CsvImportSavedFooter()
    {
        for (TCellProperties* record : records)
            if (record)
                grid->ReleaseCellProperties(record);
    }
};

} // namespace

void TPlusStringGrid::LoadCellText(int col, int row, const String& text)
{
    String value = text;
    if (OnLoadCell)
        OnLoadCell(this, col, row, value);
    SetRawCell(col, row, value);
}

void TPlusStringGrid::ImportCsvFile(const String& fileName, bool append, int maxRows)
{
    // Everything that can fail on the file happens before the grid is touched.
    std::vector<String> lines = SplitLines(ReadWholeFile(fileName));
    if (lines.empty())
        throw Exception("File is empty");

    const int col0 = SaveFixedCells ? 0 : FixedCols();
    const int row0 = SaveFixedCells ? 0 : FixedRows();
    int r = append ? RowCount() : row0;
    // A visible floating footer keeps its row last: with append its cells (texts and records,
    // so its calculations stay) are taken out, the row goes, and they come back in the new
    // last row; without append the new last row is an empty footer row.
    const bool footer =
        floatingFooter_ && floatingFooter_->Visible() && floatingFooter_->FooterStyle() == fsFixedLastRow;
    CsvImportSavedFooter saved{this, {}, {}};

    const char kept = Delimiter;
    char delimiter = kept;
    if (delimiter == '\0') {
        String first = lines[0];
        String second = lines.size() > 1 ? lines[1] : String();
        if (OemConvert) {
            OemToAnsiText(first);
            OemToAnsiText(second);
        }
        delimiter = DetectDelimiter(first, second);
    }
    const size_t physicalLines = lines.size();
    std::vector<String> records = JoinQuotedLines(lines, delimiter, OemConvert);
    lines.clear();

    struct Restore {
        TPlusStringGrid* grid;
        char delimiter;
        ~Restore()
        {
            grid->Delimiter = delimiter;
            grid->EndUpdate();
        }
    } restore{this, kept};
    BeginUpdate();
    Delimiter = delimiter;
    if (footer && append && RowCount() > 0) {
        const int last = RowCount() - 1;
        for (int c = 0; c < TotalColCount(); ++c) {
            saved.texts.push_back(GetRawCell(c, last));
            saved.records.push_back(TakeCellProperties(c, last));
        }
        SetRowCount(last);
        r = last;
    }

    size_t index = 0;
    if (!CsvFirstLineIsData)
        index = 1;
    const int total = int(records.size() - std::min(index, records.size()));
    if (OnFileProgress)
        SetRowCount(int(physicalLines) + (append ? RowCount() : row0 + FixedFooters()));
    const int hidden = MapHiddenColumns ? HiddenColumnCount() : 0;
    int lastProgress = -1;
    int read = 0;

    auto convertBreaks = [this](String& field) {
        if (CsvTildeLineBreaks)
            TildeToLineBreaks(field);
        else
            VTabToLineBreaks(field);
    };
    auto store = [&](int c, String& field) {
        convertBreaks(field);
        if (c >= ColCount() + hidden)
            SetColCount(c + 1 - hidden);
        LoadCellText(c, r, field);
    };

    for (; index < records.size() && (maxRows <= 0 || read < maxRows); ++index) {
        ++read;
        const String& line = records[index];
        int c = col0;
        if (r >= RowCount() - FixedFooters())
            SetRowCount(r + 1000);
        for (String& field : CsvImportFields(line, delimiter))
            store(c++, field);
        ++r;
        if (OnFileProgress && total >= 1) {
            const int p = int(std::nearbyint(double(read) / total * 100.0));
            if (p != lastProgress) {
                lastProgress = p;
                OnFileProgress(this, short(p));
            }
        }
    }

    SetRowCount(r + FixedFooters());
    HighestRowCount = RowCount();
    if (footer) {
        const int last = RowCount() - 1;
        for (int c = 0; c < TotalColCount(); ++c)
            SetRawCell(c, last, String());
        saved.Restore(last);
    }
    Delimiter = kept;
    CellsChanged(TRect(0, 0, ColCount(), RowCount()));
}

// ---------------------------------------------------------------- workbook import

namespace {

// Letters of any length ("A" = 1, "AB" = 28); -1 when there are none.
int ColumnNumber(const String& letters)
{
    if (letters.empty())
        return -1;
    int n = 0;
    for (char ch : letters) {
        n = n * 26 + (std::toupper(static_cast<unsigned char>(ch)) - 64);
        if (n > 1 << 20)
            return -1;
    }
    return n;
}

int RowNumber(const String& digits)
{
    int v = 0;
    return !digits.empty() && digits.size() < 8 && TryStrToInt(digits, v) && v > 0 ? v : -1;
}

String ColumnName(int n)
{
    String s;
    while (n > 0) {
        s.insert(s.begin(), char('A' + (n - 1) % 26));
        n = (n - 1) / 26;
    }
    return s;
}

// "$B$2" -> column 2, row 2 (each -1 when missing).
void SplitAbsolute(String half, int& col, int& row)
{
    if (!half.empty() && half[0] == '$')
        half.erase(0, 1);
    const size_t dollar = half.find('$');
    if (dollar == String::npos) {
        col = -1;
        row = RowNumber(half);
        return;
    }
    col = ColumnNumber(half.substr(0, dollar));
    row = RowNumber(half.substr(dollar + 1));
}

} // namespace

void TPlusStringGrid::ImportExcelWorkbook(const String& fileName, const String& sheetName)
{
    const TCursor savedCursor = Screen->Cursor();
    Screen->SetCursor(crHourGlass);
    std::unique_ptr<TSpreadsheetApplication> app = CreateSpreadsheetApplication("excel.application");
    if (!app) {
        Screen->SetCursor(savedCursor);
        throw EPlusGridError("Excel OLE server not found");
    }
    auto finalPart = [&] {
        app->Quit();
        Screen->SetCursor(savedCursor);
        CellsChanged(TRect(0, 0, ColCount(), RowCount()));
    };
    try {
        // a workbook is either a binary one (a compound file) or a zip archive of XML parts;
        // anything else (a text file named .xls, say) is told so
        if (std::ifstream in{fileName, std::ios::binary}) {
            char head[8] = {};
            in.read(head, sizeof head);
            const std::string bytes(head, size_t(in.gcount()));
            const bool zip = bytes.size() >= 4 && bytes.compare(0, 2, "PK") == 0 &&
                             ((bytes[2] == 3 && bytes[3] == 4) || (bytes[2] == 5 && bytes[3] == 6));
            if (!zip && !IsCompoundFile(bytes))
                throw EOleException("Workbook cannot be read: " + fileName +
                                    " is not a workbook (neither a binary .xls nor an .xlsx file)");
        }
        TSpreadsheetWorkbook* book = app->OpenWorkbook(fileName);
        TSpreadsheetSheet* sheet = nullptr;
        if (!sheetName.empty()) {
            for (int i = 1; i <= book->SheetCount(); ++i)
                if (book->Sheets(i)->Name() == sheetName)
                    sheet = book->Sheets(i);
            if (!sheet)
                throw EPlusGridError("Excel worksheet " + sheetName + " not found");
        } else {
            sheet = book->ActiveSheet();
        }
        const String address = sheet->UsedRange().Address();
        int fc = -1, fr = -1, lc = -1, lr = -1;
        const size_t colon = address.find(':');
        if (colon == String::npos) {
            if (address.find('$') == String::npos)
                fc = fr = lc = lr = 1;
            else {
                SplitAbsolute(address, fc, fr);
                lc = fc;
                lr = fr;
            }
        } else {
            String left = address.substr(0, colon), right = address.substr(colon + 1);
            if (!left.empty() && left[0] == '$')
                left.erase(0, 1);
            if (!right.empty() && right[0] == '$')
                right.erase(0, 1);
            if (left.find('$') == String::npos) { // whole rows, such as $1:$5
                fr = RowNumber(left);
                lr = RowNumber(right);
                fc = 1;
                lc = 256;
            } else {
                SplitAbsolute(left, fc, fr);
                SplitAbsolute(right, lc, lr);
            }
        }
        if (fc < 1 || fr < 1 || lc < fc || lr < fr)
            throw EPlusGridError("Incorrect XLS file");
        // every value is read before the grid changes, so a workbook that cannot be read
        // leaves the grid as it was
        std::vector<std::vector<String>> values;
        if (colon == String::npos) {
            values.assign(1, std::vector<String>(1, sheet->Rows().Cells(fr, fc).AsString()));
        } else {
            const String readAddress =
                ColumnName(fc) + std::to_string(fr) + ":" + ColumnName(lc) + std::to_string(lr);
            for (const auto& row : sheet->Range(readAddress).Value()) {
                values.emplace_back();
                for (const TSpreadsheetValue& v : row)
                    values.back().push_back(v.Kind == TSpreadsheetValue::vkError ? String() : v.AsString());
            }
        }
        SetColCount(lc - fc + 1);
        SetRowCount(lr - fr + 1);
        int col0 = 0, row0 = 0;
        if (!SaveFixedCells) {
            col0 = TBaseGrid::FixedCols();
            row0 = TBaseGrid::FixedRows();
            SetColCount(ColCount() + col0);
            SetRowCount(RowCount() + row0);
            if (col0 < ColCount())
                SetFixedCols(col0);
            if (row0 < RowCount())
                SetFixedRows(row0);
        }
        for (size_t r = 0; r < values.size(); ++r)
            for (size_t c = 0; c < values[r].size(); ++c)
                if (!values[r][c].empty())
                    LoadCellText(int(c) + col0, int(r) + row0, values[r][c]);
        book->Close(false);
    } catch (...) {
        finalPart();
        throw;
    }
    finalPart();
}
