#include "gui/windows/DetailedOutputOptions2.h"

#include "CommonUnits/GeneralUnits/TVersionInfo_Unit.h"
#include "CommonUnits/GeneralUnits/Utils_Format_Unit.h"
#include "CommonUnits/GeneralUnits/Utils_Sql_Unit.h"
#include "CommonUnits/GeneralUnits/dmQuelm_Unit.h"

#include "platform/framework/Dialogs.h"

#include <memory>

namespace {

template <class T>
T* Make(TComponent* owner, TWinControl* parent, const String& name)
{
    auto* control = new T(owner);
    control->SetName(name);
    control->SetParent(parent);
    return control;
}

bool ReadsOption(TDataSet* ds, const char* field, const String& upper)
{
    return UpperCase(ds->FieldByName(field)->AsString()) == upper;
}

String Quoted(const String& text)
{
    return "'" + text + "'";
}

TDBGrid* Grid(TComponent* owner, TWinControl* parent, const String& name, TDataSource* source, bool rowSelect)
{
    auto* grid = Make<TDBGrid>(owner, parent, name);
    grid->SetDataSource(source);
    TDBGridOptions options{dgTitles, dgIndicator, dgColLines, dgRowLines, dgAlwaysShowSelection};
    if (rowSelect)
        options << dgRowSelect;
    grid->SetOptions(options);
    grid->SetReadOnly(rowSelect);
    return grid;
}

void AddColumn(TDBGrid* grid, const String& field, const String& title, int width)
{
    TColumn* column = grid->Columns()->Add();
    column->SetFieldName(field);
    column->Title()->Caption = title;
    column->SetWidth(width);
}

void EnableInWindowColour(TControl* control, bool enabled)
{
    control->SetEnabled(enabled);
    control->SetColor(enabled ? clWindow : clBtnFace);
}

} // namespace

TfrmDetailedOutputOptions2::TfrmDetailedOutputOptions2(TComponent* owner) : TForm(owner)
{
    SetName("frmDetailedOutputOptions2");
    SetCaption(Format("%s - Detailed Output Options", {GetApplicationTitle()}));
    SetBorderStyle(bsSingle);
    Position = poScreenCenter;
    SetClientWidth(800);
    SetClientHeight(560);

    auto ds = [](TDataSource* TdmQuelm::*member) { return dmQuelm ? dmQuelm->*member : nullptr; };

    gbxCategories = Make<TGroupBox>(this, this, "gbxCategories");
    gbxCategories->SetCaption(" Categories of variables available for output ");
    gbxCategories->SetBounds(8, 8, 300, 250);
    DBgrdCategories = Grid(this, gbxCategories, "DBgrdCategories", ds(&TdmQuelm::dsRunPrintCategories), true);
    AddColumn(DBgrdCategories, "DESCRIPTION", "Category", 250);
    DBgrdCategories->SetBounds(8, 22, 284, 218);

    dbedtCategoryCode = Make<TDBEdit>(this, this, "dbedtCategoryCode");
    dbedtCategoryCode->SetDataSource(ds(&TdmQuelm::dsRunPrintCategories));
    dbedtCategoryCode->SetDataField("CATEGORYCODE");
    dbedtCategoryCode->SetVisible(false);
    dbedtCategoryCode->SetBounds(0, 0, 10, 10);
    dbedtCategoryCode->OnChange = [this](TObject* sender) { dbedtCategoryCodeChange(sender); };

    DBgrdVariables = Grid(this, this, "DBgrdVariables", ds(&TdmQuelm::dsRunPrintVariablesDictionary), true);
    DBgrdVariables->SetHint("Double click to select for detailed output");
    DBgrdVariables->ShowHint = true;
    AddColumn(DBgrdVariables, "SELECTEDFORPRINT", "Output", 46);
    AddColumn(DBgrdVariables, "DESCRIPTIONNORMAL", "Description Normal", 214);
    AddColumn(DBgrdVariables, "HASDEPTH", "HasDepth", 60);
    AddColumn(DBgrdVariables, "ISCOMPOUND", "IsCompound", 80);
    AddColumn(DBgrdVariables, "DEFAULTVALUE", "Default", 52);
    DBgrdVariables->SetBounds(316, 14, 476, 244);
    DBgrdVariables->OnDblClick = [this](TObject* sender) { DBgrdVariablesDblClick(sender); };

    lblDepthType = Make<TLabel>(this, this, "lblDepthType");
    lblDepthType->SetCaption("Output depths:");
    lblDepthType->SetBounds(8, 272, 100, 17);
    cbOptOutputDepthTypeCode = Make<TDBLookupComboBox>(this, this, "cbOptOutputDepthTypeCode");
    cbOptOutputDepthTypeCode->SetDataSource(ds(&TdmQuelm::dsRuns));
    cbOptOutputDepthTypeCode->SetDataField("OPTOUTPUTDEPTHTYPECODE");
    cbOptOutputDepthTypeCode->SetListSource(ds(&TdmQuelm::dsOptOutputDepthTypeCodes));
    cbOptOutputDepthTypeCode->SetKeyField("OPTOUTPUTDEPTHTYPECODE");
    cbOptOutputDepthTypeCode->SetListField("OPTOUTPUTDEPTHTYPECODE");
    cbOptOutputDepthTypeCode->SetBounds(112, 269, 150, 21);
    cbOptOutputDepthTypeCode->OnClick = [this](TObject* sender) { cbOptOutputDepthTypeCodeClick(sender); };

    lblDepths = Make<TLabel>(this, this, "lblDepths");
    lblDepths->SetCaption("Depths:");
    lblDepths->SetBounds(8, 302, 100, 17);

    auto datesOrDepths = [this](const String& panelName, TPanel*& panel, TDBGrid*& grid, const String& gridName,
                                TDataSource* source, const String& field, const String& title, TDBNavigator*& nav,
                                const String& navName, TDBEdit*& edit, const String& editName) {
        panel = Make<TPanel>(this, this, panelName);
        panel->SetBevelOuter(bvNone);
        panel->SetCaption("");
        panel->SetBounds(112, 298, 260, 212);
        grid = Grid(this, panel, gridName, source, false);
        AddColumn(grid, field, title, 180);
        grid->SetBounds(0, 24, 220, 150);
        nav = Make<TDBNavigator>(this, panel, navName);
        nav->SetDataSource(source);
        nav->SetVisibleButtons(TButtonSet{nbInsert, nbDelete, nbPost, nbCancel});
        nav->SetShowHint(true);
        nav->SetBounds(0, 182, 160, 25);
        edit = Make<TDBEdit>(this, panel, editName);
        edit->SetDataSource(source);
        edit->SetDataField(field);
    };
    datesOrDepths("pnlIntendedDepths", pnlIntendedDepths, grdNodal, "grdNodal", ds(&TdmQuelm::dsPrintOutputDepths2),
                  "OUTPUTDEPTH", "Intended depths (m)", dbnavNodal, "dbnavNodal", edtOutputDepth, "edtOutputDepth");
    edtOutputDepth->SetBounds(0, 0, 120, 21);
    datesOrDepths("pnlVerticalProfileDates", pnlVerticalProfileDates, grdVerticalProfDates, "grdVerticalProfDates",
                  ds(&TdmQuelm::dsPrintVertProfDates2), "OUTPUTDATE", "Output dates", dbnavVerticalProfDates,
                  "dbnavVerticalProfDates", dbedtOutputDate, "dbedtOutputDate");
    lblOutputDate = Make<TLabel>(this, pnlVerticalProfileDates, "lblOutputDate");
    lblOutputDate->SetCaption("Output date (dd/mm/yyyy)");
    lblOutputDate->SetBounds(0, 3, 150, 17);
    dbedtOutputDate->SetBounds(154, 0, 100, 21);
    pnlVerticalProfileDates->SetVisible(false);
    for (TDBNavigator* nav : {dbnavNodal, dbnavVerticalProfDates}) {
        nav->ConfirmDelete = false;
        nav->OnClick = [](TObject*, TNavigateBtn) { dmQuelm->ConfirmOn(); };
    }

    auto button = [this](const String& name, const String& caption, int left, int top,
                         std::function<void(TObject*)> click) {
        auto* b = Make<TButton>(this, this, name);
        b->SetCaption(caption);
        b->SetBounds(left, top, 150, 25);
        b->OnClick = std::move(click);
        return b;
    };
    btnSetDefaults = button("btnSetDefaults", "Set Defaults", 642, 272, [this](TObject*) { SetSelectionForAll(1); });
    btnSetAll = button("btnSetAll", "Set All Variables", 642, 303, [this](TObject*) { SetSelectionForAll(2); });
    btnClearAll = button("btnClearAll", "Clear All Variables", 642, 334, [this](TObject*) { SetSelectionForAll(3); });
    btnAddVennicVariables =
        button("btnAddVennicVariables", "Add VENNIC Variables", 642, 365, [this](TObject*) { SetSelectionForAll(4); });
    btnClose = button("btnClose", "&Close", 642, 500, [this](TObject* s) { btnCloseClick(s); });
    btnClose->Cancel = true;
    btnHelp = button("btnHelp", "&Help", 642, 469, nullptr);
    btnHelp->SetVisible(false);

    StatusBar1 = Make<TStatusBar>(this, this, "StatusBar1");
    StatusBar1->SetSimplePanel(true);
    StatusBar1->Align = alBottom;
    StatusBar1->SetBounds(0, 540, 800, 20);

    OnActivate = [this](TObject* sender) { FormActivate(sender); };
    OnClose = [this](TObject* sender, TCloseAction& action) { FormClose(sender, action); };
}

TfrmDetailedOutputOptions2::~TfrmDetailedOutputOptions2()
{
    dbedtCategoryCode->OnChange = nullptr;
}

void TfrmDetailedOutputOptions2::Status(const String& text)
{
    StatusBar1->SetSimpleText(text);
}

// ---------------------------------------------------------------- opening and closing

void TfrmDetailedOutputOptions2::FormActivate(TObject*)
{
    TCursorScope busy(crHourGlass);
    pnlVerticalProfileDates->SetBounds(pnlIntendedDepths->Left(), pnlIntendedDepths->Top(),
                                       pnlIntendedDepths->Width(), pnlIntendedDepths->Height());

    const bool cumulative = ReadsOption(dmQuelm->tblRuns, "PRINTCUMULATIVES", YES_UPPER);
    TColumn* description = DBgrdVariables->Columns()->Items(1);
    description->SetFieldName(cumulative ? "DESCRIPTIONCUMULATIVE" : "DESCRIPTIONNORMAL");
    description->Title()->Caption = cumulative ? "Description Cumulative" : "Description Normal";

    const struct {
        const char* status;
        TTable* table;
    } tables[] = {
        {"Activating table RunPrintCategories...", dmQuelm->tblRunPrintCategories},
        {"Activating table RunPrintVariables...", dmQuelm->tblRunPrintVariables},
        {"Activating table RunPrintVariablesDictionary...", dmQuelm->tblRunPrintVariablesDictionary},
        {"Activating table RunPrintOutputDepths...", dmQuelm->tblPrintOutputDepths2},
        {"Activating table RunPrintVertProfDates...", dmQuelm->tblPrintVertProfDates2},
    };
    for (const auto& t : tables) {
        Status(t.status);
        OpenOrRefresh(t.table);
        Invalidate();
    }
    OpenOrRefresh(dmQuelm->tblOptOutputDepthTypeCodes);

    // the dictionary is a working copy: it takes the run's own choice
    Status("Updating list of selected variables for output...");
    const String alias = dmQuelm->dbDatabase->DatabaseName();
    TTable* printVariables = dmQuelm->tblRunPrintVariables;
    for (int i = 1; i < printVariables->FieldCount(); ++i) {
        TField* field = printVariables->Fields(i);
        const bool printed = UpperCase(field->AsString()) == YES_UPPER;
        ExecSql(alias, "UPDATE RunPrintVariablesDictionary SET SelectedForPrint=\n" +
                           String(printed ? "'Yes'" : "' '") + "\nWHERE UPPER(VariableName) = " +
                           Quoted(UpperCase(field->FieldName())));
    }

    Status("Activating variable dictionary...");
    OpenUnfiltered(dmQuelm->tblRunPrintVariablesDictionary);
    CountSelectedForOutput();
    cbOptOutputDepthTypeCodeClick(this);
    dbedtCategoryCodeChange(this);
}

void TfrmDetailedOutputOptions2::FormClose(TObject*, TCloseAction&)
{
    TCursorScope busy(crHourGlass);
    Status("Updating list of selected variables for output...");
    TTable* printVariables = dmQuelm->tblRunPrintVariables;
    std::unique_ptr<TQuery> query(dmQuelm->NewQuery());
    for (int i = 1; i < printVariables->FieldCount(); ++i) {
        TField* field = printVariables->Fields(i);
        query->Close();
        query->SQL.Clear();
        query->SQL.Add("SELECT SelectedForPrint FROM RunPrintVariablesDictionary");
        query->SQL.Add("WHERE UPPER(VariableName) = " + Quoted(UpperCase(field->FieldName())));
        query->Open();
        const bool printed = !query->IsEmpty() && ReadsOption(query.get(), "SELECTEDFORPRINT", YES_UPPER);
        printVariables->Edit();
        field->SetAsString(printed ? YES_TEXT : NO_TEXT);
        printVariables->Post();
    }
    PostPendingEdits(dmQuelm->tblPrintOutputDepths2);
    dbedtCategoryCode->OnChange = nullptr;
    for (TTable* table : {dmQuelm->tblRunPrintCategories, dmQuelm->tblRunPrintVariables,
                          dmQuelm->tblRunPrintVariablesDictionary, dmQuelm->tblRunPrintVariablesDictionary3,
                          dmQuelm->tblPrintOutputDepths2, dmQuelm->tblPrintVertProfDates2})
        table->Close();
}

// ---------------------------------------------------------------- selection

int TfrmDetailedOutputOptions2::CountSelectedForOutput()
{
    Status("Counting number of selected variables for graph...");
    const int count = QueryIntegerValue(dmQuelm->dbDatabase->DatabaseName(),
                                        "SELECT COUNT(*) AS MVALUE FROM RunPrintVariablesDictionary WHERE "
                                        "UPPER(SelectedForPrint) = 'YES'");
    Status("Number of selected variables: " + IntToStr(count));
    return count;
}

void TfrmDetailedOutputOptions2::dbedtCategoryCodeChange(TObject*)
{
    if (!dmQuelm)
        return;
    TTable* categories = dmQuelm->tblRunPrintCategories;
    const bool profiles = categories->Active() && !categories->IsEmpty() &&
                          UpperCase(categories->FieldByName("CATEGORYCODE")->AsString()) ==
                              UpperCase(VERTICAL_PROFILE_CATEGORY);
    cbOptOutputDepthTypeCode->SetVisible(!profiles);
    lblDepthType->SetVisible(!profiles);
    pnlIntendedDepths->SetVisible(!profiles);
    lblDepths->SetVisible(!profiles);
    pnlVerticalProfileDates->SetVisible(profiles);
}

void TfrmDetailedOutputOptions2::DBgrdVariablesDblClick(TObject*)
{
    TTable* dictionary = dmQuelm->tblRunPrintVariablesDictionary;
    if (!dictionary->Active() || dictionary->IsEmpty())
        return;
    const bool profiles =
        UpperCase(dictionary->FieldByName("CATEGORYCODE")->AsString()) == UpperCase(VERTICAL_PROFILE_CATEGORY);
    if (!profiles) {
        const bool selected = ReadsOption(dictionary, "SELECTEDFORPRINT", YES_UPPER);
        dictionary->Edit();
        dictionary->FieldByName("SELECTEDFORPRINT")->SetAsString(selected ? String(" ") : YES_TEXT);
        dictionary->Post();
        CountSelectedForOutput();
        return;
    }

    if (MessageDlg("Switching a \"Quelm Vertical Profiles\" variable on/off switches them ALL on/off.", mtInformation,
                   TMsgDlgButtons{mbOK, mbCancel}, 0) == mrOk) {
        const bool switchOn = !ReadsOption(dictionary, "SELECTEDFORPRINT", YES_UPPER);
        const String clicked = dictionary->FieldByName("VARIABLENAME")->AsString();
        dictionary->DisableControls();
        try {
            for (dictionary->First(); !dictionary->Eof(); dictionary->Next()) {
                dictionary->Edit();
                dictionary->FieldByName("SELECTEDFORPRINT")->SetAsString(switchOn ? YES_TEXT : String(" "));
                dictionary->Post();
            }
            dictionary->Locate("VARIABLENAME", Variant(ToQString(clicked)), 0);
        } catch (...) {
            dictionary->EnableControls();
            throw;
        }
        dictionary->EnableControls();

        TTable* dates = dmQuelm->tblPrintVertProfDates2;
        OpenOrRefresh(dates);
        if (switchOn && dates->IsEmpty()) {
            dates->Insert();
            dates->FieldByName("RUNID")->SetAsInteger(dmQuelm->tblRuns->FieldByName("RUNID")->AsInteger());
            dates->FieldByName("OUTPUTDATE")->SetAsDateTime(dmQuelm->tblRuns->FieldByName("TIMEND")->AsDateTime());
            dates->Post();
            MessageDlg("No output dates for Vertical Profiles added yet, added the last day of simulation of this run.",
                       mtInformation, TMsgDlgButtons{mbOK}, 0);
        }
    }
    CountSelectedForOutput();
}

void TfrmDetailedOutputOptions2::SetSelectionForAll(int mode)
{
    TTable* all = dmQuelm->tblRunPrintVariablesDictionary3;
    OpenUnfiltered(all);
    all->DisableControls();
    try {
        for (all->First(); !all->Eof(); all->Next()) {
            String value;
            switch (mode) {
            case 1: value = ReadsOption(all, "DEFAULTVALUE", YES_UPPER) ? YES_TEXT : String(" "); break;
            case 2: value = YES_TEXT; break;
            case 3: value = " "; break;
            case 4:
                if (!ReadsOption(all, "ISVENNICVARIABLE", YES_UPPER))
                    continue; // the others keep their choice
                value = YES_TEXT;
                break;
            default: return;
            }
            all->Edit();
            all->FieldByName("SELECTEDFORPRINT")->SetAsString(value);
            all->Post();
        }
    } catch (...) {
        all->EnableControls();
        throw;
    }
    all->EnableControls();
    dmQuelm->tblRunPrintVariablesDictionary->Refresh();
    CountSelectedForOutput();
}

void TfrmDetailedOutputOptions2::cbOptOutputDepthTypeCodeClick(TObject*)
{
    const bool other = cbOptOutputDepthTypeCode->Text() == "Other";
    EnableInWindowColour(grdNodal, other);
    EnableInWindowColour(edtOutputDepth, other);
    dbnavNodal->SetEnabled(other);
    dmQuelm->ConfirmOff();
    PostPendingEdits(dmQuelm->tblRuns);
}
