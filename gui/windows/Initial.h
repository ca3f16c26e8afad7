#pragma once
// The initial contents of the parent substance of the current run, per depth, in the
// equilibrium and the non-equilibrium domain; both grids are edited in place.
#include "gui/windows/EditorForm.h"

#include "platform/dbctrls/DBGrids.h"

class TfrmInitial : public TEditorForm {
public:
    explicit TfrmInitial(TComponent* owner);
    String ClassName() const override { return "TfrmInitial"; }

    TGroupBox *grpEql = nullptr, *grpNeq = nullptr;
    TDBGrid *grdEql = nullptr, *grdNeq = nullptr;
    TDBNavigator *dbnavCntSysEql = nullptr, *dbnavCntSysNeq = nullptr;
    TButton *btnClose = nullptr, *btnHelp = nullptr;

protected:
    void OpenTables() override;
};
