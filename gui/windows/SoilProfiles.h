#pragma once
// The soil profile window: the catalogue of soil profiles with its copy, the horizons of the
// current profile, and the depth factors of the current horizon (its own defaults and the
// non-default factors per substance). While the profile is being edited the horizons and the
// depth factors are hidden behind a message; they show again, refreshed, once it is saved or
// cancelled. It opens the soil building block, relative diffusion and depth-dependent
// substance property windows.
#include "gui/windows/EditorForm.h"

#include "platform/dbctrls/DBGrids.h"
#include "platform/framework/ExtCtrls.h"

class TfrmSoilProfiles : public TEditorForm {
public:
    explicit TfrmSoilProfiles(TComponent* owner);
    ~TfrmSoilProfiles() override;
    String ClassName() const override { return "TfrmSoilProfiles"; }

    TPanel *pnlSoilProfiles = nullptr, *pnlHorizonsInSoilProfiles = nullptr, *pnlDepthEffects = nullptr;
    TDBGrid *grdSoils = nullptr, *grdHorizons = nullptr, *grdDepthEffects = nullptr;
    TDBNavigator *dbnavSoilProfiles = nullptr, *dbnavHorizonInSoilProfiles = nullptr;
    TButton *btnCopy = nullptr, *btnComments = nullptr, *btnTortuosities = nullptr;
    TDBEdit *edtCode = nullptr, *edtName = nullptr, *edtFacEvpSol = nullptr, *edtCofRedEvp = nullptr;
    TDBLookupComboBox *dblupOptRho = nullptr, *dblupTortName = nullptr;
    TDBEdit *edtSeqNr = nullptr, *edtThickness = nullptr, *edtCompartmentCnt = nullptr, *edtLenDisLiq = nullptr;
    TDBLookupComboBox* dblupSoilBuildingBlockCode = nullptr;
    TButton *btnSoilBuildingBlocks = nullptr, *btnHorizonComments = nullptr, *btnDepthEffect = nullptr;
    TDBEdit *edtFacZTra = nullptr, *edtFacZSor = nullptr;
    TLabel* lblMessage = nullptr;
    TButton *btnClose = nullptr, *btnHelp = nullptr;

    void dsSoilProfilesStateChange(TObject* sender);
    void btnCopyClick(TObject* sender);
    void btnSoilBuildingBlocksClick(TObject* sender);
    void btnTortuositiesClick(TObject* sender);
    void btnDepthEffectClick(TObject* sender);

protected:
    void OpenTables() override;
    void AfterOpenTables() override;
    void BeforeCloseDone() override;

private:
    bool stateHandlerAttached_ = false;
};
