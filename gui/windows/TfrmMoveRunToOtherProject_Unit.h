#pragma once
// Moves the current run to another project by changing its project key. The caller fills
// edtRunID, edtRunName and CurrentProjectID, shows the window modally and frees it. Closing
// by "&Move" or the close box moves the run to the chosen project; "Cancel" (confirmed when a
// different project is chosen) closes without moving; with no project chosen nothing moves.
#include "platform/framework/Forms.h"
#include "platform/framework/StdCtrls.h"

class TfrmMoveRunToOtherProject : public TForm {
public:
    explicit TfrmMoveRunToOtherProject(TComponent* owner);
    String ClassName() const override { return "TfrmMoveRunToOtherProject"; }

    TGroupBox* gbxRun = nullptr;
    TLabel *lblRunID = nullptr, *lblRunName = nullptr;
    TEdit *edtRunID = nullptr, *edtRunName = nullptr;
    TGroupBox* gbxProject = nullptr;
    TLabel* lblProject = nullptr;
    TComboBox* cbxProjects = nullptr;
    TButton *btnClose = nullptr, *btnCancel = nullptr;

    String CurrentProjectID; // the run's project key as text
    TStringList ProjectIDs;  // the keys of cbxProjects' items, at the same index

    void FormCreate(TObject* sender);
    void FormActivate(TObject* sender);
    void btnCloseClick(TObject* sender);
    void btnCancelClick(TObject* sender);
    void FormClose(TObject* sender, TCloseAction& action);

private:
    enum class TClosing { Move, Cancel };
    TClosing closing_ = TClosing::Move;
};
