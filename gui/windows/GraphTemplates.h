#pragma once
// The graph template editor: templates are stored sets of plotwell settings that a
// user-defined graph can take on (table XYGraphTemplates): a range with divisions for the
// time axis and for the y axis, each used only when switched on, and free lines in plotwell's
// settings language. Every control is bound to the table; posting from the navigator asks
// no confirmation.
#include "gui/windows/EditorForm.h"

#include "platform/dbctrls/DBCtrls.h"
#include "platform/dbctrls/DBGrids.h"

class TfrmGraphTemplates : public TEditorForm {
public:
    explicit TfrmGraphTemplates(TComponent* owner);
    String ClassName() const override { return "TfrmGraphTemplates"; }

    TGroupBox *gbxEditTemplate = nullptr, *gbxTimeAxis = nullptr, *gbxYAxis = nullptr, *gbxBrowse = nullptr;
    TDBEdit* DBEdit10 = nullptr; // NAME
    TDBEdit* DBEdit9 = nullptr;  // GRAPHTEMPLATECODE
    TDBMemo* DBMemoFreeText = nullptr;
    TDBEdit *edtXMin = nullptr, *edtXMax = nullptr, *edtXMajorDiv = nullptr, *edtXMinorDiv = nullptr;
    TDBCheckBox* chkXUse = nullptr;
    TDBEdit *edtY1Min = nullptr, *edtY1Max = nullptr, *edtY1MajorDiv = nullptr, *edtY1MinorDiv = nullptr;
    TDBCheckBox* chkYUse = nullptr;
    TDBGrid* grdTemplates = nullptr;
    TDBNavigator* DBNavigator = nullptr;
    TButton *btnClose = nullptr, *btnHelp = nullptr;

protected:
    void OpenTables() override;
};
