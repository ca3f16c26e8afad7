#pragma once
// The catalogue of soil building blocks, the materials of the horizons, with their basic and
// Van Genuchten parameters; a block is copied under "copy_" + its code.
#include "gui/windows/EditorForm.h"

#include "platform/dbctrls/DBGrids.h"

class TfrmSoilBuildingBlocks : public TEditorForm {
public:
    explicit TfrmSoilBuildingBlocks(TComponent* owner);
    String ClassName() const override { return "TfrmSoilBuildingBlocks"; }

    TDBGrid* grdHorizont = nullptr;
    TDBNavigator* DBNavigator = nullptr;
    TButton *btnCopy = nullptr, *btnComments = nullptr;
    TDBEdit* edtCode = nullptr;
    TGroupBox *grpBasic = nullptr, *grpVanGenuchten = nullptr;
    TDBEdit *edtFraSand = nullptr, *edtFraSilt = nullptr, *edtFraClay = nullptr, *edtCntOm = nullptr,
            *edtPh = nullptr, *edtRho = nullptr;
    TDBEdit *edtThetaSat = nullptr, *edtThetaRes = nullptr, *edtAlpha = nullptr, *edtAlphaWet = nullptr,
            *edtN = nullptr, *edtKSat = nullptr, *edtL = nullptr;
    TButton *btnOK = nullptr, *btnHelp = nullptr;

    void btnCopyClick(TObject* sender);
    void btnOKClick(TObject* sender) { Close(); }

protected:
    void OpenTables() override;
};
