#pragma once
// The spreadsheet application's automation server ("excel.application"), stood in for by a
// reader of workbook files (.xlsx: a zip archive of XML parts; .xls: the older binary workbook
// in a compound file, read through libfreexl). It answers the late-bound calls
// a workbook import makes, under their names: Application.WorkBooks.Open(file) gives a workbook;
// its Sheets (Count, by 1-based index, Name), ActiveSheet, a sheet's UsedRange.Address
// ("$A$1:$D$10"), Range(address).Value (a 1-based two-dimensional array of values),
// Rows.Cells(row, column), Workbook.Close and Application.Quit.
//
// Reading never trusts the file: every offset, count and length is checked against the bytes
// there before anything is allocated, a part inflates to at most kMaxPartBytes, and a file that
// is not a readable workbook raises EOleException with a message saying what is wrong.
#include "platform/rtl/SysUtils.h"

#include <memory>
#include <string>
#include <vector>

QUELM_DECLARE_EXCEPTION(EOleException, Exception)

class TSpreadsheetSheet;
class TSpreadsheetWorkbook;

// One cell value as the automation server hands it out: empty, a number, a text, a Boolean or
// an error value (#N/A, #DIV/0!...).
struct TSpreadsheetValue {
    enum Kind { vkEmpty, vkNumber, vkText, vkBoolean, vkError } Kind = vkEmpty;
    double Number = 0;
    String Text; // texts and error names, in the system code page
    // The value's string form (numbers with up to 15 significant digits, Booleans
    // "True"/"False").
    String AsString() const;
};

class TSpreadsheetRange {
public:
    // A1 address of the range with dollar signs ("$B$2:$D$4", one cell "$B$2").
    String Address() const;
    // Rows x columns, Value[r][c] 0-based here (the server's array is 1-based).
    std::vector<std::vector<TSpreadsheetValue>> Value() const;
    // One cell relative to the range's top-left corner, 1-based.
    TSpreadsheetValue Cells(int row, int column) const;

    int FirstRow = 1, FirstCol = 1, LastRow = 1, LastCol = 1;
    const TSpreadsheetSheet* Sheet = nullptr;
};

class TSpreadsheetSheet {
public:
    String Name() const { return name_; }
    TSpreadsheetRange UsedRange() const;
    // A range by an A1 address ("B2:D4", "$B$2"); EOleException for a malformed one.
    TSpreadsheetRange Range(const String& address) const;
    TSpreadsheetRange Rows() const;
    TSpreadsheetValue CellValue(int row, int column) const; // 1-based, empty outside

private:
    friend std::unique_ptr<TSpreadsheetWorkbook> ReadWorkbookBytes(const std::string& bytes);
    friend std::unique_ptr<TSpreadsheetWorkbook> ReadBinaryWorkbook(const String& fileName);
    friend std::unique_ptr<TSpreadsheetWorkbook> ReadBinaryWorkbookHere(const String& fileName);
    String name_;
    int maxRow_ = 0, maxCol_ = 0, minRow_ = 0, minCol_ = 0;
    std::vector<std::pair<uint64_t, TSpreadsheetValue>> cells_; // sorted by row << 32 | col
};

class TSpreadsheetWorkbook {
public:
    int SheetCount() const { return int(sheets_.size()); }
    TSpreadsheetSheet* Sheets(int index) const; // 1-based; EOleException out of range
    TSpreadsheetSheet* ActiveSheet() const { return sheets_[size_t(active_)].get(); }
    void Close(bool SaveChanges);

private:
    friend std::unique_ptr<TSpreadsheetWorkbook> ReadWorkbookBytes(const std::string& bytes);
    friend std::unique_ptr<TSpreadsheetWorkbook> ReadBinaryWorkbook(const String& fileName);
    friend std::unique_ptr<TSpreadsheetWorkbook> ReadBinaryWorkbookHere(const String& fileName);
    std::vector<std::unique_ptr<TSpreadsheetSheet>> sheets_;
    int active_ = 0;
};

class TSpreadsheetApplication {
public:
    // WorkBooks.Open: reads the whole workbook, .xlsx or .xls by what the file holds (not by its
    // name); EOleException when it cannot.
    TSpreadsheetWorkbook* OpenWorkbook(const String& FileName);
    void Quit();

private:
    std::vector<std::unique_ptr<TSpreadsheetWorkbook>> books_;
};

// CreateOleObject for the spreadsheet application's ProgID (compared case-blind); null for
// any other ProgID.
std::unique_ptr<TSpreadsheetApplication> CreateSpreadsheetApplication(const String& progID);

// The largest part a workbook may inflate to.
constexpr size_t kMaxPartBytes = size_t(256) << 20;
// Reads a workbook from bytes (the file reader and the fuzz target use it).
std::unique_ptr<TSpreadsheetWorkbook> ReadWorkbookBytes(const std::string& bytes);

// Reads a binary workbook (.xls, a compound file) from a file. Texts come in the system code
// page, dates and times as their ISO text ("2024-01-31", "2024-01-31 08:30:00", "08:30:00").
// The sheet shown first is the active one. EOleException when the file cannot be read.
std::unique_ptr<TSpreadsheetWorkbook> ReadBinaryWorkbook(const String& fileName);
// The first bytes of a compound file (binary workbooks are stored in one).
bool IsCompoundFile(const std::string& bytes);
