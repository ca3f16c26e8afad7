#pragma once
// The deposition scheme editor: schemes with the date and deposition flux of each
// deposition. The window does not close while a scheme other than "NO" has no deposition.
#include "gui/windows/EditorForm.h"

#include "platform/dbctrls/DBGrids.h"
#include "platform/framework/ExtCtrls.h"

class TfrmDepositions : public TEditorForm {
public:
    explicit TfrmDepositions(TComponent* owner);
    String ClassName() const override { return "TfrmDepositions"; }

    TDBGrid* grdSchemes = nullptr;
    TDBNavigator* dbnavDepositionSchemes = nullptr;
    TGroupBox* grpbxEditDepositionScheme = nullptr;
    TDBEdit* dbedtCode = nullptr;
    TDBEdit* dbedtDescription = nullptr;
    TButton* btnComments = nullptr;
    TPanel* pnlDepositions = nullptr;
    TDBGrid* grdDepositions = nullptr;
    TDBNavigator* dbnavDepositions = nullptr;
    TDBEdit* dbedtDepositionDate = nullptr;
    TLabel* lblMessage = nullptr;
    TButton* btnClose = nullptr;
    TButton* btnHelp = nullptr;

    // Closing: the pending edits are posted, then every scheme but "NO" must have a
    // deposition; the first one without stays current and the window open.
    void FormCloseCheck(TObject* sender, TCloseAction& action);

protected:
    void OpenTables() override;
    void AfterOpenTables() override;
};
