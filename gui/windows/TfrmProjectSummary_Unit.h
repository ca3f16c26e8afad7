#pragma once
// The project summary: one row per calculated run of a project with the run's key data and up
// to three result values, read from the "Project_Summary" report block of each run's summary
// file "<RunID>.sum". The user copies the table to the clipboard or opens it as an HTML page.
//
// Block lines: field 1 is not examined, field 2 is the key (compared in upper case), the value
// is the rest of the line from the start of field 3 (blanks inside and at the end kept); lines
// of fewer than 3 fields are skipped. Keys "Result_<name>" are results, at most three a run.
//
// Each summary file is read once: the result columns are gathered from the blocks read, and
// the rows are filled from them; a message about one file shows once. "Runs found" counts the
// rows that a block filled.
#include "platform/framework/ComCtrls.h"
#include "platform/framework/ExtCtrls.h"
#include "platform/framework/Forms.h"
#include "platform/framework/StdCtrls.h"

#include "components/grid/PlusGrid.h"

#include <array>
#include <vector>

class TfrmProjectSummary : public TForm {
public:
    explicit TfrmProjectSummary(TComponent* owner);
    String ClassName() const override { return "TfrmProjectSummary"; }
    static constexpr int HelpContext = 950;

    TLabel* lblWait = nullptr;
    TPanel* pnlGrid = nullptr;
    TPlusStringGrid* grdSummary = nullptr;
    TStatusBar* StatusBar1 = nullptr;
    TButton *btnShowInBrowser = nullptr, *btnCopyToClipboard = nullptr, *btnClose = nullptr, *btnHelp = nullptr;

    // The project whose runs are shown; the caption names it.
    void SetProjectInfo(int projectId, const String& description);
    void FillSummaryGrid();

    // The values of one block.
    static constexpr int MaxResults = 3;
    struct TResult {
        bool Present = false;
        String Name; // upper case, without "RESULT_"
        String Value;
    };
    struct TSummaryBlock {
        std::array<String, 11> Values; // in the order of StandardColumns()
        std::array<TResult, MaxResults> Results;
    };
    // The standard columns: "RUN_ID", "RESULT_TEXT", "SUBSTANCE", then (after the results)
    // the other eight keys in upper case.
    static const std::array<const char*, 11>& StandardColumns();
    // Reads the Project_Summary block of the file at SummaryFilePath into Block; false (after
    // the message "Internal error, project summary not found") when the file has none.
    bool ReadSummaryBlock();
    String SummaryFilePath;
    TSummaryBlock Block;

    void FormCreate(TObject* sender);
    void FormActivate(TObject* sender);
    void btnCopyToClipboardClick(TObject* sender);
    void btnShowInBrowserClick(TObject* sender);
    // What a click on the header of the column does (the grid sorts on the user's clicks
    // itself): sorts the rows by it alone (again: the other way round); with Shift it adds the
    // column as a further sort key (again: flips its direction). The header shows each sort
    // column's place and direction.
    void HeaderClick(int col, bool shift);

private:
    void LayOut();
    void FitColumns();
    int ColumnOf(const String& name) const;
    int projectId_ = 0;
    String projectDescription_;
    bool filled_ = false;
};
