#pragma once
// The transformation scheme editor: the metabolites that the current substance of the
// substance window transforms into, each with its fraction. Closing checks the scheme: a row
// that transforms a substance into itself or a fraction of zero or less keeps the window open
// (unless the user ignores it); a fraction above one, or fractions that add up to more than
// one, are warned about.
#include "gui/windows/EditorForm.h"

#include "platform/dbctrls/DBGrids.h"

#include <memory>

class TfrmMetaboliteEditor2 : public TEditorForm {
public:
    explicit TfrmMetaboliteEditor2(TComponent* owner);
    ~TfrmMetaboliteEditor2() override;
    String ClassName() const override { return "TfrmMetaboliteEditor2"; }

    TGroupBox* grpbxSubstance = nullptr;
    TDBEdit* dbedtSubstanceCode = nullptr;
    TDBEdit* dbedtSubstanceName = nullptr;
    TDBCheckBox* chkbxIsParent = nullptr;
    TGraphicControl* imgScheme = nullptr;
    TLabel* lblTransformsInto = nullptr;
    TDBGrid* grdMetabolites = nullptr;
    TDBNavigator* DBNavigator = nullptr;
    TDBEdit* edtFraPrtDau = nullptr;
    TDBLookupComboBox* cbxSubstanceOut = nullptr;
    TButton* btnClose = nullptr;
    TButton* btnHelp = nullptr;

    // The list of metabolites offered: every substance that is not a parent, except "NO"
    // and the current substance.
    TQuery* qryMetabolites() const { return metaboliteQuery_.get(); }

    void FormCloseChecks(TObject* sender, TCloseAction& action);
    void FormDestroy(TObject* sender);

protected:
    void OpenTables() override;
    void AfterOpenTables() override;

private:
    void BuildMetaboliteList();
    std::unique_ptr<TQuery> metaboliteQuery_;
    std::unique_ptr<TDataSource> metaboliteSource_;
};
