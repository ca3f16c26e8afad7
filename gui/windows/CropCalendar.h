#pragma once
// The crop calendar editor: calendars (cultivation sequences) and the crops of each, with
// their emergence, harvest and irrigation windows. Opens the crop catalogue and the
// development stages of the current calendar crop.
#include "gui/windows/EditorForm.h"

#include "platform/dbctrls/DBGrids.h"
#include "platform/framework/ExtCtrls.h"

class TfrmCropCalendar : public TEditorForm {
public:
    explicit TfrmCropCalendar(TComponent* owner);
    String ClassName() const override { return "TfrmCropCalendar"; }

    TPanel* pnlCropCalendars = nullptr;
    TDBGrid* grdCropCalendar = nullptr;
    TDBNavigator* dbnavCropCalendar1 = nullptr;
    TDBNavigator* dbnavCropCalendar2 = nullptr;
    TGroupBox* GroupBox2 = nullptr;
    TDBEdit* edtCode = nullptr;
    TDBEdit* edtName = nullptr;
    TDBLookupComboBox* cmbOptLenCrp = nullptr;
    TDBCheckBox* chkbxRepeatCrops = nullptr;
    TButton* btnComments = nullptr;

    TPanel* pnlCropsInCropCalendars = nullptr;
    TDBGrid* grdCrops = nullptr;
    TDBNavigator* dbnavCropsInCropCalendars1 = nullptr;
    TDBNavigator* dbnavCropsInCropCalendars2 = nullptr;
    TDBEdit* edtSeqNo = nullptr;
    TDBLookupComboBox* cmbCropCode = nullptr;
    TButton* btnCrops = nullptr;
    TDBLookupComboBox* cmbEmergence = nullptr;
    TDBLookupComboBox* cmbHarvest = nullptr;
    TDBLookupComboBox* cmbIrrigationEarliest = nullptr;
    TDBLookupComboBox* cmbIrrigationLatest = nullptr;
    TButton* btnStages = nullptr;
    TButton* btnCropCalendarComments = nullptr;

    TLabel* lblMessage = nullptr;
    TButton* btnClose = nullptr;
    TButton* btnHelp = nullptr;

    void btnCropsClick(TObject* sender);
    void btnStagesClick(TObject* sender);

protected:
    void OpenTables() override;
    void AfterOpenTables() override;

private:
    void CreateCalendarPanel();
    void CreateCropsPanel();
};
