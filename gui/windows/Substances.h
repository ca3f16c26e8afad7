#pragma once
// The substance editor: parents and metabolites with their physico-chemical properties,
// sorption, transformation, diffusion and crop processes on five pages; the parts of a page
// that depend on an option follow that option. Opens the transformation scheme editor for
// the current substance.
#include "gui/windows/EditorForm.h"

#include "platform/dbctrls/DBGrids.h"
#include "platform/framework/ComCtrls.h"

class TfrmSubstances : public TEditorForm {
public:
    explicit TfrmSubstances(TComponent* owner);
    String ClassName() const override { return "TfrmSubstances"; }

    TDBGrid* grdSubstances = nullptr;
    TDBNavigator* DBNavigator = nullptr;
    TButton* btnCopy = nullptr;
    TButton* btnTransformationScheme = nullptr;
    TButton* btnClose = nullptr;
    TButton* btnHelp = nullptr;

    TPageControl* pgSubstance = nullptr;
    TTabSheet* tsGeneral = nullptr;
    TTabSheet* tsFreundlich = nullptr;
    TTabSheet* tsPartitioning = nullptr;
    TTabSheet* tsDiffusion = nullptr;
    TTabSheet* tsHalflife = nullptr;

    TDBEdit* edtCode = nullptr;
    TDBEdit* edtName = nullptr;
    TDBCheckBox* chkbxIsParent = nullptr;
    TButton* btnComments = nullptr;

    TDBLookupComboBox* cmbOptCofFre = nullptr;
    TGroupBox* grpbxPHIndependent = nullptr;
    TGroupBox* grpbxPHDependent = nullptr;
    TGroupBox* grpbxKfUserDefined = nullptr;

    TDBCheckBox* chkbxOptCntLiqTraRef = nullptr;
    TDBEdit* dbedtCntLiqTraRef = nullptr;

    TDBLookupComboBox* cmbOptDspCrp = nullptr;
    TDBEdit* edtDt50DspCrp = nullptr;
    TDBEdit* edtDt50PenCrp = nullptr;
    TDBEdit* edtDt50VolCrp = nullptr;
    TDBEdit* edtDt50TraCrp = nullptr;

    TDBEdit* edtChangeDetect = nullptr;  // OPTCOFFRECODE
    TDBEdit* edtChangeDetect2 = nullptr; // OPTDSPCRP

    void btnCopyClick(TObject* sender);
    void btnTransformationSchemeClick(TObject* sender);
    void pgSubstanceChange(TObject* sender);
    // Shows a page as the user's click on its tab does (with the page's rule).
    void ShowPage(TTabSheet* page);

    // The option rules; each acts only while its page is shown.
    void ShowSorptionGroup();
    void EnableLiquidContentEdit();
    void EnableCanopyEdits();

protected:
    void OpenTables() override;
    void AfterOpenTables() override;

private:
    void CreateGeneralPage();
    void CreateFreundlichPage();
    void CreateTransformationPage();
    void CreateDiffusionPage();
    void CreateCropPage();
};
