#pragma once
// The relative root density profile of the current crop of the crop window, edited in place
// in its grid.
#include "gui/windows/EditorForm.h"

#include "platform/dbctrls/DBGrids.h"

class TfrmRootDensity : public TEditorForm {
public:
    explicit TfrmRootDensity(TComponent* owner);
    String ClassName() const override { return "TfrmRootDensity"; }

    TDBGrid* grdRoot = nullptr;
    TDBNavigator* DBNavigator = nullptr;
    TButton* btnComments = nullptr;
    TButton* btnClose = nullptr;
    TButton* btnHelp = nullptr;

protected:
    void OpenTables() override;
    void AfterOpenTables() override;
};
