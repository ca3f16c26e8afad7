#pragma once
// The irrigation scheme editor: schemes with their type and, for the types that list them,
// the irrigations by date and amount. Schemes are only browsed and changed here (no insert,
// delete or post of a scheme); the controls follow the scheme's state and type whenever the
// program is idle.
#include "gui/windows/EditorForm.h"

#include "platform/dbctrls/DBGrids.h"
#include "platform/framework/ActnList.h"
#include "platform/framework/ExtCtrls.h"

class TfrmIrrigationSchemes : public TEditorForm {
public:
    explicit TfrmIrrigationSchemes(TComponent* owner);
    String ClassName() const override { return "TfrmIrrigationSchemes"; }

    TPanel* pnlIrrigationSchemes = nullptr;
    TDBGrid* grdSchemes = nullptr;
    TDBNavigator* dbnavIrrigationSchemes = nullptr;
    TButton* btnCopy = nullptr;
    TDBEdit* dbedtCode = nullptr;
    TDBEdit* dbedtDescription = nullptr;
    TDBLookupComboBox* cmbIrrigationType = nullptr;
    TButton* btnSchemeComments = nullptr;

    TPanel* pnlIrrigations = nullptr;
    TGroupBox* gbxIrrigations = nullptr;
    TDBGrid* grdIrrigation = nullptr;
    TDBNavigator* dbnavIrrigations = nullptr;
    TDBEdit* dbedtMDate = nullptr;
    TButton* btnIrrigationComments = nullptr;
    TMemo* memoIrrigations1 = nullptr;
    TMemo* memoIrrigations2 = nullptr;

    TActionList* alSetControls = nullptr;
    TAction* actSetControls = nullptr;
    TCheckBox* cbxAction = nullptr;
    TPanel* pnlHideActionCheckbox = nullptr;
    TButton* btnClose = nullptr;
    TButton* btnHelp = nullptr;

    // The idle update: the irrigations, the two notes and the copy button follow the
    // scheme's state and type.
    void alSetControlsUpdate(TAction* action, bool& handled);
    void btnCopyClick(TObject* sender);

protected:
    void OpenTables() override;
    void AfterOpenTables() override;
};
