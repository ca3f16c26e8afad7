#pragma once
// The run archive: copies every file that makes up one calculated run from the database's
// work folder into "<database name>_Run<RunID>" below a folder of the user's choice, and logs
// what it did. The files, in order (essential ones marked *): <RunID>.qmi*, <RunID>.bot* (for
// a lower boundary of a groundwater-level or pressure-head series), <RunID>.sum*, <RunID>.out,
// <RunID>.log, <station>.met*, <scheme>.irr* (for a run with irrigation). An archive missing
// an essential file is reported incomplete.
#include "platform/framework/FileCtrl.h"
#include "platform/framework/Forms.h"
#include "platform/framework/StdCtrls.h"

#include <vector>

class TfrmArchiveDirectory : public TForm {
public:
    explicit TfrmArchiveDirectory(TComponent* owner);
    String ClassName() const override { return "TfrmArchiveDirectory"; }
    static constexpr int HelpContext = 940;

    TLabel *lblSelect = nullptr, *lblArchiveDirectory = nullptr, *lblArchiveLog = nullptr;
    TDirectoryTreeView* DirectoryListBox = nullptr;
    TEdit* edtArchiveDirectory = nullptr;
    TMemo* memoLog = nullptr;
    TButton *btnArchive = nullptr, *btnClose = nullptr, *btnHelp = nullptr;

    // The run to archive; the caption names it.
    void SetRunID(int runId);
    int RunID() const { return runId_; }

    void FormCreate(TObject* sender);
    void DirectoryListBoxClick(TObject* sender);
    void btnArchiveClick(TObject* sender);

    // A file of the run as the archive takes it: its name in the work folder and whether the
    // archive is incomplete without it.
    struct TRunFile {
        String Name;
        bool Essential = true;
    };
    // The run's files in the order they are copied.
    static std::vector<TRunFile> RunFiles(int runId);
    // The folder the run is archived into, below the chosen folder.
    String ArchiveFolder() const;

private:
    void LayOut();
    void Log(const String& line);
    int runId_ = 0;
};
