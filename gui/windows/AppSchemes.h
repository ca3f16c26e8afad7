#pragma once
// The application scheme editor: schemes of pesticide applications on absolute dates or
// relative to a crop event. The parameter of an application (a depth, an intercepted
// fraction or nothing) is shown and labelled after its application type.
#include "gui/windows/EditorForm.h"

#include "platform/dbctrls/DBGrids.h"
#include "platform/framework/ComCtrls.h"
#include "platform/framework/ExtCtrls.h"

class TfrmApplicationSchemes : public TEditorForm {
public:
    explicit TfrmApplicationSchemes(TComponent* owner);
    String ClassName() const override { return "TfrmApplicationSchemes"; }

    TPanel* pnlApplicationSchemes = nullptr;
    TDBGrid* grdSchemes = nullptr;
    TDBNavigator* DBNavApplicationSchemes = nullptr;
    TButton* btnCopyApplicationScheme = nullptr;
    TGroupBox* grpbxEditApplicationScheme = nullptr;
    TDBEdit* dbedtCode = nullptr;
    TDBEdit* dbedtDescription = nullptr;
    TButton* btnSchemeComments = nullptr;

    TPanel* pnlApplications = nullptr;
    TPageControl* pgApplications = nullptr;
    TTabSheet* tsAbsolute = nullptr;
    TTabSheet* tsRelative = nullptr;
    TDBEdit* dbedtMDate = nullptr;
    TDBLookupComboBox* cmbTypeAbsolute = nullptr;
    TLabel* lblAppParameterAbsolute = nullptr;
    TDBEdit* dbedtAppParameterAbsolute = nullptr;
    TDBEdit* dbedtCropCalendarSeqNo = nullptr;
    TDBLookupComboBox* cmbCropEvent = nullptr;
    TDBEdit* dbedtDateRelative = nullptr;
    TDBLookupComboBox* cmbTypeRelative = nullptr;
    TLabel* lblAppParameterRelative = nullptr;
    TDBEdit* edtAppParameterRelative = nullptr;

    TDBGrid* grdApplicationsAbsolute = nullptr;
    TDBNavigator* DBNavApplicationsAbsolute = nullptr;
    TButton* btnCopyApplicationAbsolute = nullptr;
    TDBGrid* grdApplicationsRelative = nullptr;
    TDBNavigator* DBNavApplicationsRelative = nullptr;
    TButton* btnCopyApplicationRelative = nullptr;

    TDBEdit* dbedtApplicationTypeCode = nullptr; // hidden: hears every change of the absolute type
    TLabel* lblMessage = nullptr;
    TButton* btnClose = nullptr;
    TButton* btnHelp = nullptr;

    void cmbTypeAbsoluteClick(TObject* sender);
    void cmbTypeRelativeClick(TObject* sender);
    void pgApplicationsChange(TObject* sender);
    void btnCopyApplicationSchemeClick(TObject* sender);
    void btnCopyApplicationAbsoluteClick(TObject* sender);
    void btnCopyApplicationRelativeClick(TObject* sender);

protected:
    void OpenTables() override;
    void AfterOpenTables() override;

private:
    void CreateSchemePanel();
    void CreateApplicationPanel();
    void ShowPage(TTabSheet* page);
    void CopyApplication(TTable* table, const String& locateFields, const String& shiftedField);
};
