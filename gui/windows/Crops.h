#pragma once
// The crop catalogue: water uptake limits, interception, canopy resistance and temperature
// sums of each crop. Opens the relative root density profile of the current crop.
#include "gui/windows/EditorForm.h"

#include "platform/dbctrls/DBGrids.h"

class TfrmCrops : public TEditorForm {
public:
    explicit TfrmCrops(TComponent* owner);
    String ClassName() const override { return "TfrmCrops"; }

    TDBGrid* grdVariety = nullptr;
    TDBNavigator* DBNavigator = nullptr;
    TButton* btnCopy = nullptr;
    TDBEdit* edtCode = nullptr;
    TDBEdit* edtName = nullptr;
    TButton* BitBtn3 = nullptr; // "Root density..."
    TButton* btnComments = nullptr;
    TButton* btnClose = nullptr;
    TButton* btnHelp = nullptr;

    void BitBtn3Click(TObject* sender);
    void btnCopyClick(TObject* sender);

protected:
    void OpenTables() override;
};
