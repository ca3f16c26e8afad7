#pragma once
// The development stages of the current calendar crop of the crop calendar window: leaf
// area, crop factor, rooting depth and height per development stage.
#include "gui/windows/EditorForm.h"

#include "platform/dbctrls/DBGrids.h"

class TfrmStages : public TEditorForm {
public:
    explicit TfrmStages(TComponent* owner);
    String ClassName() const override { return "TfrmStages"; }

    TDBEdit* dbedtCultivationSequenceCode = nullptr;
    TDBEdit* dbedtCropCode = nullptr;
    TDBEdit* dbedtCultivationSeqNo = nullptr;
    TDBGrid* grdStages = nullptr;
    TDBNavigator* DBNavigator = nullptr;
    TDBEdit* edtDevStage = nullptr;
    TButton* btnComments = nullptr;
    TButton* btnClose = nullptr;
    TButton* btnHelp = nullptr;

protected:
    void OpenTables() override;
    void AfterOpenTables() override;
};
