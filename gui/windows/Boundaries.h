#pragma once
// The lower boundary condition of the current location: one page per kind of boundary, each
// with the parameters of its own table; the groundwater-level and pressure-head kinds have a
// time series that can be edited row by row or replaced by an import from a text file. The
// window opens on the page of the location's kind; every page stays reachable by its tab.
#include "gui/windows/EditorForm.h"

#include "platform/dbctrls/DBGrids.h"
#include "platform/framework/ComCtrls.h"

class TfrmBoundaries : public TEditorForm {
public:
    explicit TfrmBoundaries(TComponent* owner);
    String ClassName() const override { return "TfrmBoundaries"; }

    TDBEdit* edtLBO = nullptr;
    TPageControl* pgLBO = nullptr;
    TTabSheet *tsGrwLev = nullptr, *tsFlux = nullptr, *tsCauchy = nullptr, *tsFncGrwLev = nullptr,
              *tsDirichlet = nullptr, *tsZeroFlux = nullptr, *tsFreeDrain = nullptr, *tsLysimeter = nullptr;
    // groundwater levels
    TButton *btnGrwLevComments = nullptr, *btnGrwLevTSComments = nullptr, *btnImportGrwlev = nullptr;
    TDBGrid* grdGrwLevTS = nullptr;
    TDBNavigator* DBNavigator1 = nullptr;
    TDBEdit *edtGrwLev = nullptr, *edtGrwLevDate = nullptr;
    // sine function
    TButton* btnFluxComments = nullptr;
    TDBEdit *edtFlvLiqLboAvg = nullptr, *edtFlvLiqLboAmp = nullptr;
    TDBLookupComboBox* dblupDateInYrFlvLiqLboMax = nullptr;
    // Cauchy
    TButton* btnCauchyComments = nullptr;
    TDBLookupComboBox *dblupOptShapeGrwLev = nullptr, *dblupDateInYrHeaAqfMax = nullptr;
    TDBEdit *edtHeaDraBase = nullptr, *edtRstAqt = nullptr, *edtHeaAqfAvg = nullptr, *edtHeaAqfAmp = nullptr;
    // flux boundary
    TButton* btnFncGrwLevComments = nullptr;
    TDBEdit *edtCofFncGrwLev = nullptr, *edtExpFncGrwLev = nullptr;
    // pressure heads
    TButton *btnDirichletComments = nullptr, *btnDirichletTSComments = nullptr,
            *btnImportPressureHeadLBO = nullptr;
    TDBGrid* grdDirichletTS = nullptr;
    TDBNavigator* DBNavigator2 = nullptr;
    TDBEdit *edtMValue = nullptr, *edtDirichletDate = nullptr;
    TButton *btnClose = nullptr, *btnHelp = nullptr;

    void SelectLboPage();
    void btnImportGrwlevClick(TObject* sender);
    void btnImportPressureHeadLBOClick(TObject* sender);

protected:
    void OpenTables() override;
    void AfterOpenTables() override;

private:
    void BuildSeriesPage(TTabSheet* page, bool groundwater);
};
