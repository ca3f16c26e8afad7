#pragma once
// The drainage levels of the current location: a browse grid, the navigator and one edit
// group, which shows while the location has levels or one is being inserted and hides
// within a timer period after the last level went or an insert into an empty list was
// cancelled.
#include "gui/windows/EditorForm.h"

#include "platform/dbctrls/DBGrids.h"
#include "platform/framework/ExtCtrls.h"

class TfrmDrainage : public TEditorForm {
public:
    explicit TfrmDrainage(TComponent* owner);
    String ClassName() const override { return "TfrmDrainage"; }

    TDBGrid* grdDrainage = nullptr;
    TDBNavigator* navDrainage = nullptr;
    TGroupBox* GroupBox = nullptr;
    TDBEdit *edtLevel = nullptr, *edtRstDra = nullptr, *edtRstInf = nullptr, *edtDistDra = nullptr,
            *edtZDra = nullptr;
    TDBLookupComboBox* cbxType = nullptr;
    TTimer* Timer = nullptr;
    TButton *btnClose = nullptr, *btnHelp = nullptr;

    void TimerTimer(TObject* sender);

protected:
    void OpenTables() override;
    void AfterOpenTables() override;
    void BeforeCloseDone() override;
};
