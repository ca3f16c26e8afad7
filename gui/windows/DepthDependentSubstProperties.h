#pragma once
// The non-default factors for the effect of depth on transformation and sorption of the
// current horizon, one row per substance. Every substance is offered, also when another
// window left the substance table filtered.
#include "gui/windows/EditorForm.h"

#include "platform/dbctrls/DBGrids.h"

class TfrmDepthDependentSubstProperties : public TEditorForm {
public:
    explicit TfrmDepthDependentSubstProperties(TComponent* owner);
    String ClassName() const override { return "TfrmDepthDependentSubstProperties"; }

    TGroupBox *grpbxBrowse = nullptr, *grpEdit = nullptr;
    TDBGrid* grdDepthDependentSubstProperties = nullptr;
    TDBNavigator* dbnav = nullptr;
    TDBLookupComboBox* dblupSubstanceCode = nullptr;
    TDBEdit *edtFacZTra = nullptr, *edtFacZSor = nullptr;
    TButton *btnClose = nullptr, *btnHelp = nullptr;

    void RefreshSubstanceList();

protected:
    void AfterOpenTables() override { RefreshSubstanceList(); }
};
