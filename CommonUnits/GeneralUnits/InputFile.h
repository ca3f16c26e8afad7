#pragma once
// The model kernel's input file "<RunID>.qmi": a comment header that characterises the run,
// the nine numbered sections, and a trailer. Every line is single-byte text ending in CR LF.
//
// The header's run characterisation comes from the current record of the data module's
// Runs table (the caller positions it on the run); the section bodies look every run value
// up by RunID. Sections that need side files (.met, .irr, .bot) write them while the input
// file is written.
#include "CommonUnits/GeneralUnits/Section.h"

#include "platform/rtl/FileUtils.h"

#include <memory>
#include <vector>

class TInputFile : public TObject {
public:
    TInputFile(int runId, String filePath);
    ~TInputFile() override;

    // Creates or replaces the file and writes header, sections and trailer. A file that cannot
    // be created or written raises EInOutError at once and stays partly written.
    void WriteInputFile();

    int RunID() const { return runId_; }
    const String& FilePath() const { return filePath_; }
    // The section writers in file order.
    const std::vector<std::unique_ptr<TSection>>& Sections() const { return sections_; }

    void WriteRule();
    void WriteComment(const String& text); // "* " + text
    void WriteEmptyLine();
    void WriteLines(const TStrings& lines);

private:
    void WriteFileHeader();
    void WriteFileTrailer();
    void WriteSectionToFile(TSection* section);

    int runId_;
    String filePath_;
    std::unique_ptr<TTextWriter> file_;
    std::vector<std::unique_ptr<TSection>> sections_;
};
