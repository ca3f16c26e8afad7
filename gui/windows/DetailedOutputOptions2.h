#pragma once
// The detailed output options of the current run: which output variables the model kernel
// writes into the run's detailed output, at which intended depths, and at which dates the
// vertical profiles are written.
//
// The choice of variables is edited in the output-variable dictionary, a working copy shared
// by all runs: opening fills it from the run's own record of flags (RunPrintVariables), closing
// writes it back. Depths and dates are the run's detail records, posted through their
// navigators and when the window closes. The vertical-profile variables are switched on and
// off together, and switching them on gives a run without dates its end date.
#include "platform/dbctrls/DBCtrls.h"
#include "platform/dbctrls/DBGrids.h"
#include "platform/framework/ComCtrls.h"
#include "platform/framework/ExtCtrls.h"
#include "platform/framework/Forms.h"
#include "platform/framework/StdCtrls.h"

class TfrmDetailedOutputOptions2 : public TForm {
public:
    explicit TfrmDetailedOutputOptions2(TComponent* owner);
    ~TfrmDetailedOutputOptions2() override;
    String ClassName() const override { return "TfrmDetailedOutputOptions2"; }

    TGroupBox* gbxCategories = nullptr;
    TDBGrid* DBgrdCategories = nullptr;
    TDBEdit* dbedtCategoryCode = nullptr; // hidden: follows the category grid's row
    TDBGrid* DBgrdVariables = nullptr;
    TLabel* lblDepthType = nullptr;
    TDBLookupComboBox* cbOptOutputDepthTypeCode = nullptr;
    TLabel* lblDepths = nullptr;
    TPanel* pnlIntendedDepths = nullptr;
    TDBGrid* grdNodal = nullptr;
    TDBNavigator* dbnavNodal = nullptr;
    TDBEdit* edtOutputDepth = nullptr;
    TPanel* pnlVerticalProfileDates = nullptr;
    TLabel* lblOutputDate = nullptr;
    TDBGrid* grdVerticalProfDates = nullptr;
    TDBNavigator* dbnavVerticalProfDates = nullptr;
    TDBEdit* dbedtOutputDate = nullptr;
    TButton *btnSetDefaults = nullptr, *btnSetAll = nullptr, *btnClearAll = nullptr, *btnAddVennicVariables = nullptr,
            *btnClose = nullptr, *btnHelp = nullptr;
    TStatusBar* StatusBar1 = nullptr;
    int HelpContext = 900;

    // Selection of every row of the whole dictionary: 1 the defaults, 2 all, 3 none, 4 the
    // VENNIC variables added (the others unchanged).
    void SetSelectionForAll(int mode);
    // Counts the rows selected for output and shows the number in the status bar.
    int CountSelectedForOutput();

    void FormActivate(TObject* sender);
    void FormClose(TObject* sender, TCloseAction& action);
    void dbedtCategoryCodeChange(TObject* sender);
    void DBgrdVariablesDblClick(TObject* sender);
    void cbOptOutputDepthTypeCodeClick(TObject* sender);
    void btnCloseClick(TObject* sender) { Close(); }

private:
    void Status(const String& text);
};
