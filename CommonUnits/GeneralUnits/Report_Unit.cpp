#include "CommonUnits/GeneralUnits/Report_Unit.h"

#include "CommonUnits/GeneralUnits/DxTxtFle.h"
#include "CommonUnits/GeneralUnits/QuelmFileUtils.h"
#include "CommonUnits/GeneralUnits/THtmlReport_Unit.h"
#include "CommonUnits/GeneralUnits/TVersionInfo_Unit.h"
#include "CommonUnits/GeneralUnits/dmQuelm_Unit.h"

#include "platform/framework/Dialogs.h"
#include "platform/framework/Forms.h"

namespace {

std::vector<String> OpeningFields(const String& block)
{
    return {"*", "QUELM", "REPORT:", block};
}

std::vector<String> ClosingFields(const String& block)
{
    return {"*", "End", "of", "QUELM", "REPORT:", block};
}

// Finds the block's opening line from the file's current position. A block whose opening
// line is the file's last line counts as not found: the end of the file has been reached.
bool FindBlock(TDxTextFile& file, const String& block)
{
    const std::vector<String> opening = OpeningFields(block);
    return file.FindLine(opening, int(opening.size()) - 1) && !file.Eof();
}

// The current (opening) line, then every line up to and including the block's closing line;
// a block without closing line runs to the end of the file.
void CollectBlock(TDxTextFile& file, const String& block, std::vector<String>& lines)
{
    const std::vector<String> closing = ClosingFields(block);
    lines.push_back(file.Line().Text());
    while (file.ReadLine()) {
        lines.push_back(file.Line().Text());
        if (file.Line().MatchesFields(closing, int(closing.size()) - 1))
            return;
    }
}

int CurrentRunId()
{
    return dmQuelm->tblRuns->FieldByName("RUNID")->AsInteger();
}

} // namespace

bool IsMorvaRun(int runId)
{
    const String path = SummaryFilePath(runId);
    if (!FileExists(path))
        return false;
    TDxTextFile file(path);
    return file.FindLine({"*", "QUELM", "REPORT:", "Project_Summary"});
}

bool IsMorvaRun()
{
    return IsMorvaRun(CurrentRunId());
}

std::vector<String> RunReportLines(int runId)
{
    if (!IsMorvaRun(runId))
        throw Exception("Internal error: run is not a MORVA run.");
    TDxTextFile file(SummaryFilePath(runId));
    if (!FindBlock(file, "Header"))
        throw Exception("The report header was not found.");
    std::vector<String> lines;
    CollectBlock(file, "Header", lines);
    lines.push_back("");
    lines.push_back("");
    const String leaching = "Leaching";
    if (!FindBlock(file, leaching))
        MessageDlg("The report: " + leaching + " was not found.", mtError, {mbOK}, 0);
    else
        CollectBlock(file, leaching, lines);
    return lines;
}

void ShowRunReport(int runId)
{
    struct CursorBack {
        TCursor saved = Screen->Cursor();
        ~CursorBack() { Screen->SetCursor(saved); }
    } cursorBack;
    Screen->SetCursor(crHourGlass);

    const std::vector<String> lines = RunReportLines(runId);
    THtmlReport report("RAVUZAVEDEReport", Format("%s %s", {GetProductName(), GetApplicationTitle()}));
    for (const String& line : lines)
        report.AddLine(line);
    report.Save();
    report.Show();
}

void ShowRunReport()
{
    ShowRunReport(CurrentRunId());
}
