#pragma once
// TDxTextFile: reads a text file line by line into its own TDxLine. Lines may end with
// CR LF or LF; the last line may have no end.
#include "CommonUnits/GeneralUnits/DxLine.h"

#include <fstream>
#include <memory>

class TDxTextFile : public TObject {
public:
    // EDxError "File '<name>' not found" when no file exists there.
    explicit TDxTextFile(const String& fileName);
    ~TDxTextFile() override;
    TDxTextFile(const TDxTextFile&) = delete;
    TDxTextFile& operator=(const TDxTextFile&) = delete;

    const String& FileName() const { return fileName_; }
    TDxLine& Line() { return *line_; }
    const TDxLine& Line() const { return *line_; }

    // Reads the next line into Line; false at the end of the file (Line keeps the previous
    // line). A read error raises EInOutError.
    bool ReadLine();
    // Reads until a line matches words[0..lastIndex] (TDxLine::MatchesFields); true when
    // such a line was read (it is the current line).
    bool FindLine(const std::vector<String>& words, int lastIndex);
    bool FindLine(std::initializer_list<String> words);
    bool Eof();
    void SetSeparator(const String& separators) { line_->SeparatorSpec = separators; }

private:
    String fileName_;
    std::ifstream file_;
    std::unique_ptr<TDxLine> line_;
};
