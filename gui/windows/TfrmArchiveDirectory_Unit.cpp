#include "gui/windows/TfrmArchiveDirectory_Unit.h"

#include "CommonUnits/GeneralUnits/QuelmFileUtils.h"
#include "CommonUnits/GeneralUnits/TVersionInfo_Unit.h"
#include "CommonUnits/GeneralUnits/dmQuelm_Unit.h"

#include "platform/framework/Dialogs.h"

#include <memory>

namespace {

template <class T>
T* MakeArchiveDirectoryControl(TForm* form, const String& name)
{
    auto* control = new T(form);
    control->SetName(name);
    control->SetParent(form);
    return control;
}

// One text field of the first row of a per-run query; empty when the query has no row.
String QueryText(bool (TdmQuelm::*query)(int, TQuery*), int runId, const char* field)
{
    std::unique_ptr<TQuery> q(dmQuelm->NewQuery());
    if (!(dmQuelm->*query)(runId, q.get()) || q->IsEmpty())
        return String();
    return q->FieldByName(field)->AsString();
}

} // namespace

TfrmArchiveDirectory::TfrmArchiveDirectory(TComponent* owner) : TForm(owner)
{
    SetName("frmArchiveDirectory");
    Position = poScreenCenter;
    SetClientWidth(604);
    SetClientHeight(550);

    lblSelect = MakeArchiveDirectoryControl<TLabel>(this, "lblSelect");
    lblSelect->SetCaption("Select the drive and directory where the archive should be placed");
    DirectoryListBox = MakeArchiveDirectoryControl<TDirectoryTreeView>(this, "DirectoryListBox");
    lblArchiveDirectory = MakeArchiveDirectoryControl<TLabel>(this, "lblArchiveDirectory");
    lblArchiveDirectory->SetCaption("Archive directory:");
    edtArchiveDirectory = MakeArchiveDirectoryControl<TEdit>(this, "edtArchiveDirectory");
    edtArchiveDirectory->SetReadOnly(true);
    lblArchiveLog = MakeArchiveDirectoryControl<TLabel>(this, "lblArchiveLog");
    lblArchiveLog->SetCaption("Archive log:");
    memoLog = MakeArchiveDirectoryControl<TMemo>(this, "memoLog");
    memoLog->SetReadOnly(true);
    memoLog->SetScrollBars(ssVertical);

    btnArchive = MakeArchiveDirectoryControl<TButton>(this, "btnArchive");
    btnArchive->SetCaption("&Archive");
    btnArchive->SetDefault(true);
    btnArchive->OnClick = [this](TObject* sender) { btnArchiveClick(sender); };
    btnClose = MakeArchiveDirectoryControl<TButton>(this, "btnClose");
    btnClose->SetCaption("Cancel");
    btnClose->Cancel = true;
    btnClose->OnClick = [this](TObject*) { Close(); };
    btnHelp = MakeArchiveDirectoryControl<TButton>(this, "btnHelp");
    btnHelp->SetCaption("&Help");
    btnHelp->SetVisible(false); // the program has no help file

    DirectoryListBox->OnChange = [this](TObject* sender) { DirectoryListBoxClick(sender); };
    OnCreate = [this](TObject* sender) { FormCreate(sender); };
    OnResize = [this](TObject*) { LayOut(); };
    LayOut();
}

void TfrmArchiveDirectory::LayOut()
{
    const int w = ClientWidth(), h = ClientHeight();
    const int inner = std::max(200, w - 24);
    const int buttonsTop = h - 37;
    const int logHeight = std::max(60, (h - 160) / 3);
    const int logTop = buttonsTop - 8 - logHeight;
    lblSelect->SetBounds(12, 10, inner, 17);
    edtArchiveDirectory->SetBounds(12, logTop - 24 - 21 - 8, inner, 21);
    lblArchiveDirectory->SetBounds(12, edtArchiveDirectory->Top() - 19, inner, 17);
    DirectoryListBox->SetBounds(12, 32, inner, std::max(60, lblArchiveDirectory->Top() - 8 - 32));
    lblArchiveLog->SetBounds(12, logTop - 19, inner, 17);
    memoLog->SetBounds(12, logTop, inner, logHeight);
    btnHelp->SetBounds(w - 12 - 75, buttonsTop, 75, 25);
    btnClose->SetBounds(w - 12 - 75 - 8 - 75, buttonsTop, 75, 25);
    btnArchive->SetBounds(btnClose->Left() - 8 - 75, buttonsTop, 75, 25);
}

void TfrmArchiveDirectory::FormCreate(TObject* sender)
{
    SetCaption(Format("%s - Archive run", {GetApplicationTitle()}));
    DirectoryListBoxClick(sender);
}

void TfrmArchiveDirectory::SetRunID(int runId)
{
    runId_ = runId;
    SetCaption(Format("%s - Archive Run: %d", {GetProductName(), runId}));
}

void TfrmArchiveDirectory::DirectoryListBoxClick(TObject*)
{
    edtArchiveDirectory->SetText(DirectoryListBox->Directory());
}

String TfrmArchiveDirectory::ArchiveFolder() const
{
    return JoinPath(edtArchiveDirectory->Text(), GetDatabaseName() + "_Run" + IntToStr(runId_));
}

std::vector<TfrmArchiveDirectory::TRunFile> TfrmArchiveDirectory::RunFiles(int runId)
{
    const String id = IntToStr(runId);
    const String location = QueryText(&TdmQuelm::QueryLocationOfRun, runId, "LOCATIONCODE");
    const String boundary = dmQuelm->LookupStringByCode(dmQuelm->tblLocations, location, "LboNameCode", "LocationCode");
    const String station = QueryText(&TdmQuelm::QueryMeteoStationOfRun, runId, "METEOSTATIONCODE");
    const String irrigationType = QueryText(&TdmQuelm::QueryIrrigationTypeOfRun, runId, "IRRIGATIONTYPECODE");
    const String irrigationScheme = QueryText(&TdmQuelm::QueryIrrigationTypeOfRun, runId, "IRRIGATIONSCHEMECODE");

    std::vector<TRunFile> files{{InputFileName(runId), true}};
    // the boundary series file: the same name as the kernel reads it
    if (boundary == "GrwLev" || boundary == "Dirichlet")
        files.push_back({id + ".bot", true});
    files.push_back({SummaryFileName(runId), true});
    files.push_back({OutputFileName(runId), false});
    files.push_back({id + ".log", false});
    files.push_back({station + ".met", true});
    if (UpperCase(irrigationType) != "NO")
        files.push_back({irrigationScheme + ".irr", true});
    return files;
}

void TfrmArchiveDirectory::Log(const String& line)
{
    memoLog->Lines()->Add(line);
}

void TfrmArchiveDirectory::btnArchiveClick(TObject*)
{
    const String folder = ArchiveFolder();
    if (DirectoryExists(folder)) {
        if (MessageDlg("The archive directory '" + folder + "' already exists.\r\rOverwrite existing files ?",
                       mtWarning, {mbOK, mbCancel}, 0) != mrOk)
            return;
        const int deleted = DeleteFilesByMask(folder, "*.*");
        if (deleted > 0)
            Log("Deleted " + IntToStr(deleted) + " file(s)");
    } else {
        CreateDir(folder); // a failure shows in the copies below
    }
    Log("Archiving to " + folder);

    bool complete = true;
    const String work = GetWorkDir();
    for (const TRunFile& file : RunFiles(runId_)) {
        const String source = JoinPath(work, file.Name);
        if (!file.Essential && !FileExists(source))
            continue;
        if (FileExists(source) && CopyFileTo(source, JoinPath(folder, file.Name), false)) {
            Log("Copied " + file.Name);
            continue;
        }
        Log("Could not copy " + file.Name + " !!!");
        if (file.Essential)
            complete = false;
    }

    btnClose->SetCaption("Close");
    DirectoryListBox->Refresh();
    if (DirectoryListBox->SetDirectory(folder))
        edtArchiveDirectory->SetText(DirectoryListBox->Directory());
    Log("FINISHED");

    if (complete) {
        MessageDlg("Finished archiving.", mtInformation, {mbOK}, 0);
        return;
    }
    MessageDlg("Archive of this run is missing one or more essential files.", mtError, {mbOK}, 0);
    MessageDlg("Finished archiving with errors.", mtInformation, {mbOK}, 0);
}
