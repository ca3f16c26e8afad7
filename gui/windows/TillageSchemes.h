#pragma once
// The tillage scheme editor: schemes with the date and depth of each tillage.
#include "gui/windows/EditorForm.h"

#include "platform/dbctrls/DBGrids.h"
#include "platform/framework/ExtCtrls.h"

class TfrmTillageSchemes : public TEditorForm {
public:
    explicit TfrmTillageSchemes(TComponent* owner);
    String ClassName() const override { return "TfrmTillageSchemes"; }

    TDBGrid* grdSchemes = nullptr;
    TDBNavigator* dbnavTillageSchemes = nullptr;
    TGroupBox* grpbxEditTillageScheme = nullptr;
    TDBEdit* DBEdtCode = nullptr;
    TDBEdit* DBEdtDescription = nullptr;
    TButton* btnComments = nullptr;
    TPanel* pnlTillages = nullptr;
    TDBGrid* grdTillages = nullptr;
    TDBNavigator* dbnavTillages = nullptr;
    TDBEdit* DBEdtTillageDate = nullptr;
    TLabel* lblMessage = nullptr;
    TButton* btnClose = nullptr;
    TButton* btnHelp = nullptr;

protected:
    void OpenTables() override;
    void AfterOpenTables() override;
};
