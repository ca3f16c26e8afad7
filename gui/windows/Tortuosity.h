#pragma once
// The current soil profile's parameters of the three relative diffusion models, one page
// each; the window opens on the page of the model the profile uses. Changing the page and
// closing the window save what was changed on any page.
#include "gui/windows/EditorForm.h"

#include "platform/framework/ComCtrls.h"

class TfrmTortuosity : public TEditorForm {
public:
    explicit TfrmTortuosity(TComponent* owner);
    String ClassName() const override { return "TfrmTortuosity"; }

    TDBEdit* EdtTort = nullptr;
    TPageControl* pgTortuosity = nullptr;
    TTabSheet *tsMillington = nullptr, *tsTroeh = nullptr, *tsCurrie = nullptr;
    TDBEdit *edtExpDifLiqMilNom = nullptr, *edtExpDifLiqMilDen = nullptr, *edtExpDifGasMilNom = nullptr,
            *edtExpDifGasMilDen = nullptr;
    TDBEdit *edtCofDifGasTro = nullptr, *edtExpDifGasTro = nullptr, *edtCofDifLiqTro = nullptr,
            *edtExpDifLiqTro = nullptr;
    TDBEdit *edtCofDifGasCur = nullptr, *edtExpDifGasCur = nullptr, *edtCofDifLiqCur = nullptr,
            *edtExpDifLiqCur = nullptr;
    TButton *btnClose = nullptr, *btnHelp = nullptr;

    void SelectTortuosityPage();
    void pgTortuosityChange(TObject* sender);

protected:
    void OpenTables() override;
    void AfterOpenTables() override {}
};
