#pragma once
// The initial groundwater level of the current run. The window opens and posts nothing: a
// level typed here leaves the run in edit state, to be saved with the main window's next post.
#include "gui/windows/EditorForm.h"

class TfrmInitialGroundWater : public TEditorForm {
public:
    explicit TfrmInitialGroundWater(TComponent* owner);
    String ClassName() const override { return "TfrmInitialGroundWater"; }

    TDBEdit* edtZGrwLevSta = nullptr;
    TButton *btnClose = nullptr, *btnHelp = nullptr;

protected:
    void BeforeCloseDone() override;
};
