#pragma once
// Reading of the model input file "<RunID>.qmi": the lines are checked against the grammar
// that the input-file writer produces (header, nine numbered sections, keyword lines with
// their value column, code lines, tables closed by "end_table", trailer) and kept as keyword
// entries and tables for the run description to take apart.
//
// Every fault is collected in an ErrorList, never thrown: the kernel reports all faults of a
// file in one error listing.
#include "platform/rtl/DateUtils.h"

#include <map>
#include <vector>

namespace quelmmodel {

struct InputError {
    String file;
    int line = 0; // 0: no particular line
    String text;
};

class ErrorList {
public:
    void Add(const String& file, int line, const String& text);
    bool Empty() const { return errors_.empty(); }
    size_t Count() const { return errors_.size(); }
    const std::vector<InputError>& Items() const { return errors_; }

private:
    std::vector<InputError> errors_;
};

struct KeywordEntry {
    String name;       // as written in the file
    String value;      // value column, trailing blanks removed
    String section;    // "1" .. "8", "4a", "4b"
    int line = 0;
    mutable bool used = false;
};

struct TableRow {
    int line = 0;
    String text; // raw text of the row
};

struct TableEntry {
    String name;     // "SoilProfile", "CrpPar_maize1", ...
    String section;
    int line = 0;
    std::vector<TableRow> rows; // header lines included
    mutable bool used = false;
};

// Blank-separated words of a line (runs of blanks separate).
std::vector<String> Words(const String& line);

// "05-Mar-2003" and "05-Mar": the day, month and year (year 0 for the short form).
bool ParseDateDMY(const String& text, TDateTime& date);
bool ParseDayMonth(const String& text, int& day, int& month);
String FormatDateDMY(TDateTime date);
int YearOf(TDateTime date);
// The text between double quotes.
String Quoted(const String& s);

class InputFile {
public:
    // Reads and checks the file. The file name in error entries is the bare name.
    bool Read(const String& path, ErrorList& errors);
    // The same on text already in memory (tests, fuzzing).
    void Parse(const String& bytes, const String& fileName, ErrorList& errors);

    const String& FileName() const { return fileName_; }

    // The keyword of that name (compared without regard to case), marked as used; null
    // when absent.
    const KeywordEntry* Find(const String& name) const;
    // Every keyword whose name begins with the prefix (case-blind), in file order.
    std::vector<const KeywordEntry*> FindPrefix(const String& prefix) const;
    const TableEntry* FindTable(const String& name) const;
    const std::vector<KeywordEntry>& Keywords() const { return keywords_; }
    const std::vector<TableEntry>& Tables() const { return tables_; }

    // Field values of the run characterisation in the header ("* NAME = value"), by field
    // name in upper case.
    String RunField(const String& fieldName) const;

private:
    void ParseLine(const String& line, int lineNo, ErrorList& errors);
    void ParseComment(const String& line, int lineNo, ErrorList& errors);
    void ParseKeywordLine(const String& line, int lineNo, ErrorList& errors);
    void OpenTable(const String& line, int lineNo, ErrorList& errors);
    void AddKeyword(const String& name, const String& value, int lineNo, ErrorList& errors);

    String fileName_;
    std::vector<KeywordEntry> keywords_;
    std::vector<TableEntry> tables_;
    std::map<String, size_t> keywordIndex_; // upper-case name -> index
    std::map<String, String> runFields_;
    String lastRunField_;
    int openTable_ = -1;
    int sectionIndex_ = -1; // index into the section list, -1 before section 1
    bool sawTitle_ = false;
    bool sawTrailer_ = false;
    bool inCharacterisation_ = false;
};

} // namespace quelmmodel
