#pragma once
// The runs wizard: a batch of runs for the predefined scenario data. The user chooses crops and
// locations, one substance, one application scheme and one repeat interval, and a new or an
// existing project; "Finish" creates one run for every chosen crop-location pair that the
// scenario table MorvaCropsxLocations defines, with the pair's cultivation sequence and
// irrigation scheme and fixed model options.
//
// The choice of crops and locations lives in the database (MORVASELECTED: 1 offered, 2
// chosen) and is written whenever its page is left, also before "Cancel": the next wizard
// opens with it. The lists show the records' names and keep each record's key, by which the
// records are marked. Four pages show one at a time.
#include "platform/db/DBTables.h"
#include "platform/dbctrls/DBCtrls.h"
#include "platform/framework/ExtCtrls.h"
#include "platform/framework/Forms.h"
#include "platform/framework/StdCtrls.h"

#include <memory>
#include <vector>

class TfrmCreateRunsWizard : public TForm {
public:
    explicit TfrmCreateRunsWizard(TComponent* owner);
    ~TfrmCreateRunsWizard() override;
    String ClassName() const override { return "TfrmCreateRunsWizard"; }

    TPanel *pnlCrops = nullptr, *pnlLocations = nullptr, *pnlMiscellaneous = nullptr, *pnlProjectSpecs = nullptr;
    TListBox *CropsSrcList = nullptr, *CropsDstList = nullptr;
    TButton *btnCropsInclude = nullptr, *btnCropsIncludeAll = nullptr, *btnCropsExclude = nullptr,
            *btnCropsExcludeAll = nullptr;
    TListBox *LocationsSrcList = nullptr, *LocationsDstList = nullptr;
    TButton *btnLocationsInclude = nullptr, *btnLocationsIncludeAll = nullptr, *btnLocationsExclude = nullptr,
            *btnLocationsExcludeAll = nullptr;
    TDBLookupComboBox *cbxSubstance = nullptr, *cbxApplication = nullptr, *cbxOptDelTimEvt = nullptr;
    TRadioGroup* rdgrpProject = nullptr;
    TEdit* edtProjectName = nullptr;
    TComboBox* cbxProjectDescriptions = nullptr;
    TButton *btnCancel = nullptr, *btnBack = nullptr, *btnNext = nullptr, *btnFinish = nullptr, *btnHelp = nullptr;
    int HelpContext = 930;

    // The project IDs of the items of cbxProjectDescriptions, at the same index.
    std::unique_ptr<TStringList> ProjectIDs;

    // Moves the selected items of the source (text and key, last first) to the end of target.
    void MoveSelected(TListBox* source, TStrings* target);
    int GetFirstSelection(TListBox* list); // -1 when nothing is selected
    void CropsSetButtons();
    void LocationsSetButtons();
    void CropsSetItem(TListBox* list, int index);
    void LocationsSetItem(TListBox* list, int index);
    void CropsSave();
    void LocationsSave();
    // The runs behind "Finish"; gives the number generated.
    int GenerateRuns();

    TPanel* ActivePage() const { return page_; }
    void ShowPage(TPanel* page);

    void FormActivate(TObject* sender);
    void pnlCropsEnter(TObject* sender);
    void pnlLocationsEnter(TObject* sender);
    void pnlMiscellaneousEnter(TObject* sender);
    void pnlProjectSpecsEnter(TObject* sender);
    void btnNextClick(TObject* sender);
    void btnBackClick(TObject* sender);
    void btnFinishClick(TObject* sender);
    void rdgrpProjectClick(TObject* sender);
    void edtProjectNameChange(TObject* sender);

private:
    struct TRecordKey;
    void FillList(TTable* table, const char* keyField, TListBox* available, TListBox* chosen);
    void SaveChoice(const String& table, const String& keyField, TListBox* available, TListBox* chosen);
    void SetButtons(TListBox* available, TListBox* chosen, TButton* include, TButton* includeAll,
                    TButton* exclude, TButton* excludeAll);
    void SetItem(TListBox* list, int index);
    void MoveAll(TListBox* source, TListBox* target);
    void UpdateNavigation();
    bool ProjectChosen() const;
    TObject* KeyObject(const String& key);
    std::vector<std::unique_ptr<TObject>> keys_;
    TPanel* page_ = nullptr;
};
