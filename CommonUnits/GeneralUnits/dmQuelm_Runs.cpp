// The runs of the current project: selection for execution, result states kept honest
// against the files in the work folder, a run's files, the copy of a run, and the
// calculation of the selected runs.
#include "CommonUnits/GeneralUnits/dmQuelm_Unit.h"

#include "CommonUnits/GeneralUnits/InputFile.h"
#include "CommonUnits/GeneralUnits/QuelmFileUtils.h"
#include "CommonUnits/GeneralUnits/Report_Unit.h"
#include "CommonUnits/GeneralUnits/TVersionInfo_Unit.h"

#include "platform/framework/Dialogs.h"
#include "platform/framework/Forms.h"
#include "platform/win/WinWindow.h"

#include <algorithm>
#include <memory>

namespace {

const char* const kRunDetailTables[] = {"tblCntSysEql", "tblCntSysNeq", "tblPrintOutputDepths", "tblRunPrintVariables"};

void Call(const std::function<void()>& step)
{
    if (step)
        step();
}

void Call(const std::function<void(bool)>& step, bool value)
{
    if (step)
        step(value);
}

// The busy state of a kernel run, taken back however the run ends.
class TBusyScope {
public:
    explicit TBusyScope(const std::function<void(bool)>& setBusy) : setBusy_(setBusy) { Call(setBusy_, true); }
    ~TBusyScope()
    {
        try {
            Call(setBusy_, false);
        } catch (...) {
        }
    }
    TBusyScope(const TBusyScope&) = delete;
    TBusyScope& operator=(const TBusyScope&) = delete;

private:
    const std::function<void(bool)>& setBusy_;
};

} // namespace

bool TdmQuelm::IsSelectedForExecution(TDataSet* runs)
{
    return UpperCase(runs->FieldByName("SELECTEDFOREXECUTION")->AsString()) == "YES";
}

int TdmQuelm::CountSelectedRuns()
{
    TBookmark bookmark = tblRuns->GetBookmark();
    int count = 0;
    for (tblRuns->First(); !tblRuns->Eof(); tblRuns->Next())
        count += IsSelectedForExecution(tblRuns);
    if (tblRuns->BookmarkValid(bookmark))
        tblRuns->GotoBookmark(bookmark);
    return count;
}

void TdmQuelm::ToggleRunSelection()
{
    Screen->SetCursor(crHourGlass);
    PostPendingEdits(tblRuns);
    if (tblRuns->IsEmpty())
        return;
    const bool selected = IsSelectedForExecution(tblRuns);
    ConfirmOff();
    tblRuns->Edit();
    tblRuns->FieldByName("SELECTEDFOREXECUTION")->SetAsString(selected ? " " : "Yes");
    tblRuns->FieldByName("DISABLERESULTS")->SetAsString("No");
    ConfirmOff();
    tblRuns->Post();
}

void TdmQuelm::SetAllRunsSelected(bool selected)
{
    PostPendingEdits(tblRuns);
    for (tblRuns->First(); !tblRuns->Eof(); tblRuns->Next()) {
        ConfirmOff();
        tblRuns->Edit();
        tblRuns->FieldByName("SELECTEDFOREXECUTION")->SetAsString(selected ? "Yes" : " ");
        tblRuns->FieldByName("DISABLERESULTS")->SetAsString("No");
        ConfirmOff();
        tblRuns->Post();
    }
    tblRuns->First();
}

void TdmQuelm::ReconcileRunResult()
{
    if (tblRuns->IsEmpty())
        return;
    const int runId = tblRuns->FieldByName("RUNID")->AsInteger();
    auto keep = [&](const char* field, const char* value) {
        ConfirmOff();
        tblRuns->Edit();
        tblRuns->FieldByName(field)->SetAsString(value);
        tblRuns->FieldByName("DISABLERESULTS")->SetAsString("No");
        ConfirmOff();
        tblRuns->Post();
    };
    if (UpperCase(tblRuns->FieldByName("RESULTSSUMMARY")->AsString()) == "AVAILABLE" && !SummaryFileExists(runId))
        keep("RESULTSSUMMARY", "NotAvailable");
    if (UpperCase(tblRuns->FieldByName("RESULTSDETAILED")->AsString()) == "AVAILABLE" && !OutputFileExists(runId))
        keep("RESULTSDETAILED", "NotAvailable");
    if (UpperCase(tblRuns->FieldByName("RESULTSREPORT")->AsString()) == "YES" && !IsMorvaRun(runId))
        keep("RESULTSREPORT", "No");
}

void TdmQuelm::ReconcileRunResults()
{
    Screen->SetCursor(crHourGlass);
    for (tblRuns->First(); !tblRuns->Eof(); tblRuns->Next())
        ReconcileRunResult();
    tblRuns->First();
}

void TdmQuelm::DeleteRunFiles()
{
    PostPendingEdits(tblRuns);
    if (tblRuns->IsEmpty())
        return;
    const int runId = tblRuns->FieldByName("RUNID")->AsInteger();
    DeleteAllRunFiles(runId);
    ReconcileRunResult();
    MessageDlg("Deleted output files for Run : " + IntToStr(runId), mtInformation, {mbOK}, 0);
}

int TdmQuelm::CopyCurrentRun()
{
    Screen->SetCursor(crHourGlass);
    PostPendingEdits(tblRuns);
    std::unique_ptr<TTable> source(CloneTable(tblRuns));
    const int oldId = tblRuns->FieldByName("RUNID")->AsInteger();
    if (!source->Locate("RUNID", Variant(oldId), 0))
        throw Exception("Internal error");
    const String oldName = source->FieldByName("NAME")->AsString();

    // The run and its detail rows are one change: a failure anywhere leaves no part of it.
    int newId = 0;
    try {
        TTransactionScope transaction(dbDatabase);
        tblRuns->Insert();
        newId = tblRuns->FieldByName("RUNID")->AsInteger();
        CopyFieldValues(source.get(), tblRuns);
        tblRuns->FieldByName("RUNID")->SetAsInteger(newId);
        tblRuns->FieldByName("NAME")->SetAsString("copy_" + oldName);
        tblRuns->FieldByName("RESULTSSUMMARY")->SetAsString(ResultNotAvailable);
        tblRuns->FieldByName("RESULTSDETAILED")->SetAsString(ResultNotAvailable);
        tblRuns->FieldByName("ISRESTRICTEDRUN")->SetAsString("No");
        ConfirmOff();
        tblRuns->Post();
        source.reset();
        tblRuns->Refresh();
        // the default rows that posting the new run made give way to the copied ones
        for (const char* name : kRunDetailTables) {
            TTable* detail = TableByName(name);
            OpenOrRefresh(detail);
            while (detail->Locate("RUNID", Variant(newId), 0)) {
                ConfirmOff();
                detail->Delete();
            }
            CopyRecordsWithIntegerKey(detail, "RUNID", oldId, newId);
        }
        transaction.Commit();
    } catch (...) {
        // rolled back by now; the rows the datasets hold must forget the copy too
        ConfirmOn();
        if (tblRuns->State() == dsInsert || tblRuns->State() == dsEdit)
            tblRuns->Cancel();
        tblRuns->Refresh();
        tblRuns->Locate("RUNID", Variant(oldId), 0);
        for (const char* name : kRunDetailTables)
            if (TableByName(name)->Active())
                TableByName(name)->Refresh();
        throw;
    }
    tblRuns->Locate("RUNID", Variant(newId), 0);
    return newId;
}

String TdmQuelm::ModelErrorText(int runId)
{
    const String errorFile = ErrorFilePath(runId);
    const String text = ReadTextFile(errorFile);
    const int size = tblRuns->FieldByName("MODELERRORTEXT")->Size();
    const int limit = size - 200;
    if (static_cast<int>(text.size()) <= limit)
        return text;
    String note = Format("< Listing not complete, see the Aquenta log file \"%s\" for complete information >", {errorFile});
    // the listing gives way to the whole note, however long the error file's path, so that
    // the stored text never exceeds the field
    if (static_cast<int>(note.size()) > size - 1)
        note.resize(static_cast<size_t>(std::max(0, size - 1)));
    const int keep = std::max(0, std::min(limit, size - 1 - static_cast<int>(note.size())));
    return text.substr(0, static_cast<size_t>(keep)) + "\r" + note;
}

TRunResultState TdmQuelm::CalculateRun(const TRunOptions& options, const TCalculationView& view)
{
    const int runId = tblRuns->FieldByName("RUNID")->AsInteger();
    ConfirmOff();
    tblRuns->Edit();
    tblRuns->FieldByName("RESULTSSUMMARY")->SetAsString(ResultNotAvailable);
    tblRuns->FieldByName("RESULTSDETAILED")->SetAsString(ResultNotAvailable);
    tblRuns->FieldByName("RESULTSREPORT")->SetAsString("No");
    tblRuns->FieldByName("MODELERRORTEXT")->SetAsString("");
    ConfirmOff();
    tblRuns->Post();
    Call(view.Repaint);

    // an error file of an earlier run must never be taken for this run's outcome
    DeleteRunOutputFiles(runId);
    DeleteFile(ErrorFilePath(runId));
    {
        TInputFile writer(runId, InputFilePath(runId));
        Call(view.Repaint);
        writer.WriteInputFile();
    }

    TRunResultState state;
    {
        TBusyScope busy(view.SetBusy);
        state = RunKernel(InputFileName(runId), options.WindowMode);
    }

    String message;
    TMsgDlgType messageType = mtError;
    ConfirmOff();
    tblRuns->Edit();
    tblRuns->FieldByName("DISABLERESULTS")->SetAsString("No");
    auto results = [&](const String& value) {
        tblRuns->FieldByName("RESULTSSUMMARY")->SetAsString(value);
        tblRuns->FieldByName("RESULTSDETAILED")->SetAsString(value);
        tblRuns->FieldByName("RESULTSREPORT")->SetAsString("No");
    };
    switch (state) {
    case rsSucceeded:
        if (SummaryFileExists(runId))
            tblRuns->FieldByName("RESULTSSUMMARY")->SetAsString(ResultAvailable);
        if (OutputFileExists(runId))
            tblRuns->FieldByName("RESULTSDETAILED")->SetAsString(ResultAvailable);
        tblRuns->FieldByName("MODELERRORTEXT")->SetAsString("");
        tblRuns->FieldByName("SELECTEDFOREXECUTION")->SetAsString(" ");
        tblRuns->FieldByName("RESULTSREPORT")->SetAsString(IsMorvaRun(runId) ? "Yes" : "No");
        break;
    case rsModelError:
        results("Error");
        tblRuns->FieldByName("MODELERRORTEXT")->SetAsString(ModelErrorText(runId));
        if (options.StopOnError)
            message = tblRuns->FieldByName("MODELERRORTEXT")->AsString();
        break;
    case rsNotStarted:
        results("Error");
        message = "Run interrupted, could not create process";
        tblRuns->FieldByName("MODELERRORTEXT")->SetAsString(message);
        break;
    case rsInterrupted:
        results("Error");
        message = "Run interrupted, possibly by ^C from keyboard";
        messageType = mtWarning;
        tblRuns->FieldByName("MODELERRORTEXT")->SetAsString(message);
        break;
    }
    ConfirmOff();
    tblRuns->Post();
    // the outcome is stored before the user is told
    if (!message.empty())
        MessageDlg(message, messageType, {mbOK}, 0);
    return state;
}

void TdmQuelm::CalculateSelectedRuns(const TCalculationView& view)
{
    Screen->SetCursor(crHourGlass);
    PostPendingEdits(tblRuns);
    TBookmark bookmark = tblRuns->GetBookmark();

    Call(view.ShowRunsGrid, false);
    const int selected = CountSelectedRuns();
    Call(view.ShowRunsGrid, true);

    // Puts the window back on the run it showed; runs after the calculation, also when the
    // calculation ended in an exception.
    auto restore = [&] {
        Application->ProcessMessages();
        Call(view.OpenLookupTables);
        if (tblRuns->Active() && tblRuns->BookmarkValid(bookmark))
            tblRuns->GotoBookmark(bookmark);
        tblRuns->FreeBookmark(bookmark);
        Call(view.UpdateControlState);
    };

    TRunOptions options;
    if (selected == 0) {
        MessageDlg("No runs selected in this project. Select a run by double clicking on the grid.", mtError, {mbOK}, 0);
        restore();
        return;
    }
    if (selected > 1 && view.AskRunOptions && !view.AskRunOptions(options))
        return;

    try {
        Screen->SetCursor(crHourGlass);
        bool stop = false;
        tblRuns->First();
        Call(view.ShowRunStatus);
        while (!tblRuns->Eof() && !stop) {
            if (IsSelectedForExecution(tblRuns)) {
                const TRunResultState state = CalculateRun(options, view);
                stop = state == rsNotStarted || state == rsInterrupted || (state == rsModelError && options.StopOnError);
            }
            if (!stop)
                tblRuns->Next();
            Application->ProcessMessages();
        }
    } catch (...) {
        ConfirmOn();
        if (tblRuns->State() == dsEdit || tblRuns->State() == dsInsert)
            tblRuns->Cancel();
        try {
            restore();
        } catch (...) {
        }
        throw;
    }
    if (selected > 1)
        MessageBeep(0);
    restore();
}
