#include "gui/windows/MetaboliteEditor2.h"

#include "gui/windows/EditorControls.h"
#include "CommonUnits/GeneralUnits/dmQuelm_Unit.h"

#include "platform/framework/Dialogs.h"

using namespace editor;

namespace {

// The scheme in small: the substance above, an arrow down to its metabolites.
class TSchemePicture : public TGraphicControl {
public:
    using TGraphicControl::TGraphicControl;
    String ClassName() const override { return "TSchemePicture"; }

protected:
    void Paint() override
    {
        TCanvas* canvas = Canvas();
        const int w = Width();
        const int h = Height();
        const int box = std::max(8, h / 4);
        canvas->Pen->Color = clNavy;
        canvas->Brush->Color = clYellow;
        canvas->RoundRect(2, 1, w - 2, 1 + box, 6, 6);
        canvas->Brush->Color = clLime;
        canvas->RoundRect(2, h - 1 - box, w / 2 - 2, h - 1, 6, 6);
        canvas->RoundRect(w / 2 + 2, h - 1 - box, w - 2, h - 1, 6, 6);
        // the arrow from the substance to the metabolites
        const int mid = w / 2;
        const int tipY = h - 3 - box;
        canvas->MoveTo(mid, 1 + box);
        canvas->LineTo(mid, tipY - 2);
        canvas->Brush->Color = clNavy;
        canvas->Polygon({TPoint(mid - 5, tipY - 7), TPoint(mid + 5, tipY - 7), TPoint(mid, tipY)});
    }
};

} // namespace

TfrmMetaboliteEditor2::TfrmMetaboliteEditor2(TComponent* owner)
    : TEditorForm(owner, "%s - Transformation Scheme Editor", 450)
{
    SetName("frmMetaboliteEditor2");
    SetClientWidth(600);
    SetClientHeight(500);
    Position = poScreenCenter;
    TDataSource* substance = dmQuelm ? dmQuelm->dsSubstances : nullptr;
    TDataSource* rows = dmQuelm ? dmQuelm->dsSubstanceTransformations : nullptr;

    grpbxSubstance = Group(this, this, "grpbxSubstance", " Substance ", 8, 8, 584, 110);
    TFieldColumn shown(this, grpbxSubstance, 10, 22, 130, 250);
    dbedtSubstanceCode = shown.Edit("dbedtSubstanceCode", "Substance Code:", substance, "SUBSTANCECODE", 80);
    dbedtSubstanceName = shown.Edit("dbedtSubstanceName", "Substance Name:", substance, "NAME");
    shown.Caption("Is Parent ?:");
    chkbxIsParent = Check(this, grpbxSubstance, "chkbxIsParent", "", substance, "ISPARENT", shown.FieldLeft(),
                          shown.Top(), 24);
    for (TDBEdit* edit : {dbedtSubstanceCode, dbedtSubstanceName}) {
        edit->SetReadOnly(true);
        edit->SetColor(clBtnFace);
    }
    chkbxIsParent->ReadOnly = true;

    imgScheme = Make<TSchemePicture>(this, this, "imgScheme", 16, 124, 64, 48);
    lblTransformsInto = Label(this, this, "Transforms into", 92, 140, 0, "lblTransformsInto");

    auto* browse = Group(this, this, "grpbxBrowseMetabolites", " Browse metabolites  ", 8, 180, 584, 186);
    grdMetabolites = BrowseGrid(this, browse, "grdMetabolites", rows,
                                {{"FRAPRTDAU", "Fraction transformed", 150}, {"SUBSTANCECODEOUT", "To substance", 150}},
                                10, 20, 564, 124);
    DBNavigator = Navigator(this, browse, "DBNavigator", rows, 10, 152);

    auto* edit = Group(this, this, "grpbxEditMetabolite", " Edit metabolite ", 8, 374, 584, 82);
    TFieldColumn fields(this, edit, 10, 22, 170, 250);
    edtFraPrtDau = fields.Edit("edtFraPrtDau", "Fraction transformed:", rows, "FRAPRTDAU", 100);
    cbxSubstanceOut = fields.Lookup("cbxSubstanceOut", "To substance", rows, "SUBSTANCECODEOUT", nullptr,
                                    "SUBSTANCECODE", "NAME");

    btnHelp = Button(this, this, "btnHelp", "Help", 404, 466, 90);
    btnHelp->SetVisible(false);
    btnClose = Button(this, this, "btnClose", "Close", 502, 466, 90);
    btnClose->OnClick = [this](TObject* sender) { btnCloseClick(sender); };

    WireNavigator(DBNavigator);
    TablesPostedOnClose = {dmQuelm ? dmQuelm->tblSubstanceTransformations : nullptr};
    OnClose = [this](TObject* sender, TCloseAction& action) { FormCloseChecks(sender, action); };
    OnDestroy = [this](TObject* sender) { FormDestroy(sender); };
}

TfrmMetaboliteEditor2::~TfrmMetaboliteEditor2()
{
    DoDestroy();
}

void TfrmMetaboliteEditor2::OpenTables()
{
    OpenOrRefresh(dmQuelm->tblSubstanceTransformations);
    OpenOrRefresh(dmQuelm->tblSubstances);
}

void TfrmMetaboliteEditor2::AfterOpenTables()
{
    BuildMetaboliteList();
}

void TfrmMetaboliteEditor2::BuildMetaboliteList()
{
    const String code = dmQuelm->tblSubstances->FieldByName("SUBSTANCECODE")->AsString();
    const String sql = "select SubstanceCode,Name from  Substances where Upper(SubstanceCode) <> " + QuotedStr("NO") +
                       " and   SubstanceCode <> " + QuotedStr(code) + " and   Upper(IsParent) = " + QuotedStr("NO");
    cbxSubstanceOut->SetListSource(nullptr);
    metaboliteSource_.reset();
    metaboliteQuery_ = std::make_unique<TQuery>();
    metaboliteQuery_->SetDatabase(dmQuelm->dbDatabase);
    metaboliteQuery_->SQL.SetText(sql);
    try {
        metaboliteQuery_->Open();
    } catch (...) {
        // the program's database error handler reports it; the drop-down stays without a list
        Application->HandleException(this);
        return;
    }
    metaboliteSource_ = std::make_unique<TDataSource>();
    metaboliteSource_->SetDataSet(metaboliteQuery_.get());
    cbxSubstanceOut->SetListSource(metaboliteSource_.get());
}

void TfrmMetaboliteEditor2::FormDestroy(TObject*)
{
    if (cbxSubstanceOut)
        cbxSubstanceOut->SetListSource(nullptr);
    metaboliteSource_.reset();
    metaboliteQuery_.reset();
}

void TfrmMetaboliteEditor2::FormCloseChecks(TObject* sender, TCloseAction& action)
{
    FormClose(sender, action);
    if (action == caNone)
        return;
    TTable* rows = dmQuelm->tblSubstanceTransformations;
    if (!rows->Active())
        return;
    // a refusal keeps the window open with the offending row current
    auto refused = [&](const String& text) {
        if (MessageDlg(text, mtError, {mbCancel, mbIgnore}, 0) == mrCancel)
            action = caNone;
    };
    for (rows->First(); !rows->Eof(); rows->Next()) {
        if (rows->FieldByName("SUBSTANCECODEIN")->AsString() == rows->FieldByName("SUBSTANCECODEOUT")->AsString()) {
            refused("Input and output substance cannot be the same");
            return;
        }
    }
    double sum = 0;
    for (rows->First(); !rows->Eof(); rows->Next()) {
        const double fraction = rows->FieldByName("FRAPRTDAU")->AsFloat();
        if (fraction <= 0) {
            refused("Fraction transformed less or equal zero.");
            return;
        }
        if (fraction > 1)
            MessageDlg("Fraction transformed greater than one; this seldom occurs.", mtWarning, {mbOK}, 0);
        sum += fraction;
    }
    if (sum > 1)
        MessageDlg("Sum of fractions greater than one; this seldom occurs.", mtWarning, {mbOK}, 0);
}
