#include "gui/windows/CreateRunsWizard.h"

#include "gui/windows/EditorForm.h"
#include "CommonUnits/GeneralUnits/TVersionInfo_Unit.h"
#include "CommonUnits/GeneralUnits/Utils_Format_Unit.h"
#include "CommonUnits/GeneralUnits/Utils_Sql_Unit.h"
#include "CommonUnits/GeneralUnits/dmQuelm_Unit.h"

#include "platform/framework/Dialogs.h"
#include "platform/rtl/DateUtils.h"

namespace {

template <class T>
T* MakeCreateRunsWizardControl(TComponent* owner, TWinControl* parent, const String& name)
{
    auto* control = new T(owner);
    control->SetName(name);
    control->SetParent(parent);
    return control;
}

TLabel* AddLabel(TComponent* owner, TWinControl* parent, const String& caption, int left, int top, int width)
{
    auto* label = new TLabel(owner);
    label->SetParent(parent);
    label->SetCaption(caption);
    label->SetBounds(left, top, width, 17);
    return label;
}

} // namespace

// The key of the record behind a list item; it travels with the item between the lists.
struct TfrmCreateRunsWizard::TRecordKey : TObject {
    explicit TRecordKey(const String& code) : Code(code) {}
    String Code;
};

TfrmCreateRunsWizard::TfrmCreateRunsWizard(TComponent* owner)
    : TForm(owner), ProjectIDs(std::make_unique<TStringList>())
{
    SetName("frmCreateRunsWizard");
    SetCaption(Format("%s - Runs Wizard", {GetApplicationTitle()}));
    SetBorderStyle(bsDialog);
    Position = poScreenCenter;
    SetClientWidth(560);
    SetClientHeight(376);

    auto page = [this](const String& name) {
        auto* panel = MakeCreateRunsWizardControl<TPanel>(this, this, name);
        panel->SetBevelOuter(bvNone);
        panel->SetCaption("");
        panel->SetBounds(0, 0, 560, 328);
        panel->SetVisible(false);
        return panel;
    };
    struct ListPage {
        TPanel** panel;
        const char* name;
        const char* question;
        const char* available;
        const char* chosen;
        TListBox** src;
        TListBox** dst;
        const char* prefix;
        TButton** buttons[4];
    };
    const ListPage listPages[] = {
        {&pnlCrops, "pnlCrops", "Which crops do you want to do calculations for ?", "Available Crops:",
         "Selected Crops:", &CropsSrcList, &CropsDstList, "Crops",
         {&btnCropsInclude, &btnCropsIncludeAll, &btnCropsExclude, &btnCropsExcludeAll}},
        {&pnlLocations, "pnlLocations", "Which locations do you want to do calculations for ?",
         "Available locations:", "Selected Locations:", &LocationsSrcList, &LocationsDstList, "Locations",
         {&btnLocationsInclude, &btnLocationsIncludeAll, &btnLocationsExclude, &btnLocationsExcludeAll}},
    };
    const char* const captions[4] = {">", ">>", "<", "<<"};
    const char* const suffixes[4] = {"Include", "IncludeAll", "Exclude", "ExcludeAll"};
    for (const ListPage& p : listPages) {
        *p.panel = page(p.name);
        AddLabel(this, *p.panel, p.question, 16, 14, 520);
        AddLabel(this, *p.panel, p.available, 16, 44, 220);
        AddLabel(this, *p.panel, p.chosen, 324, 44, 220);
        *p.src = MakeCreateRunsWizardControl<TListBox>(this, *p.panel, String(p.prefix) + "SrcList");
        (*p.src)->SetSorted(true);
        (*p.src)->SetMultiSelect(true);
        (*p.src)->SetBounds(16, 64, 220, 250);
        *p.dst = MakeCreateRunsWizardControl<TListBox>(this, *p.panel, String(p.prefix) + "DstList");
        (*p.dst)->SetMultiSelect(true);
        (*p.dst)->SetBounds(324, 64, 220, 250);
        for (int i = 0; i < 4; ++i) {
            TButton* b = MakeCreateRunsWizardControl<TButton>(this, *p.panel, "btn" + String(p.prefix) + suffixes[i]);
            b->SetCaption(captions[i]);
            b->SetBounds(252, 96 + i * 34 + (i >= 2 ? 24 : 0), 56, 25);
            *p.buttons[i] = b;
        }
    }
    const bool crops = true;
    auto wireList = [this](bool forCrops) {
        TListBox* src = forCrops ? CropsSrcList : LocationsSrcList;
        TListBox* dst = forCrops ? CropsDstList : LocationsDstList;
        auto setItem = [this, forCrops](TListBox* list, int index) {
            forCrops ? CropsSetItem(list, index) : LocationsSetItem(list, index);
        };
        auto move = [this, setItem](TListBox* from, TListBox* to) {
            const int first = GetFirstSelection(from);
            MoveSelected(from, to->Items());
            setItem(from, first);
        };
        TButton* include = forCrops ? btnCropsInclude : btnLocationsInclude;
        TButton* includeAll = forCrops ? btnCropsIncludeAll : btnLocationsIncludeAll;
        TButton* exclude = forCrops ? btnCropsExclude : btnLocationsExclude;
        TButton* excludeAll = forCrops ? btnCropsExcludeAll : btnLocationsExcludeAll;
        include->OnClick = [move, src, dst](TObject*) { move(src, dst); };
        exclude->OnClick = [move, src, dst](TObject*) { move(dst, src); };
        includeAll->OnClick = [this, src, dst, setItem](TObject*) {
            MoveAll(src, dst);
            setItem(src, 0);
        };
        excludeAll->OnClick = [this, src, dst, setItem](TObject*) {
            MoveAll(dst, src);
            setItem(dst, 0);
        };
    };
    wireList(crops);
    wireList(!crops);

    pnlMiscellaneous = page("pnlMiscellaneous");
    AddLabel(this, pnlMiscellaneous, "Which substance, application scheme and", 16, 14, 520);
    AddLabel(this, pnlMiscellaneous, "repeat interval for the application scheme (in years) ?", 16, 32, 520);
    struct Lookup {
        TDBLookupComboBox** combo;
        const char* name;
        const char* label;
        TDataSource* TdmQuelm::*data;
        const char* field;
        TDataSource* TdmQuelm::*list;
        const char* shown;
    } const lookups[] = {
        {&cbxSubstance, "cbxSubstance", "Substance:", &TdmQuelm::dsMorvaSubstance, "SUBSTANCECODE",
         &TdmQuelm::dsSubstances, "NAME"},
        {&cbxApplication, "cbxApplication", "Application scheme:", &TdmQuelm::dsMorvaApplicationScheme,
         "APPLICATIONSCHEMECODE", &TdmQuelm::dsApplicationSchemes, "DESCRIPTION"},
        {&cbxOptDelTimEvt, "cbxOptDelTimEvt", "Repeat interval for years:", &TdmQuelm::dsMorvaOptDelTimEvt,
         "OPTDELTIMEVT", &TdmQuelm::dsMorvaOptDelTimEvts, "OPTDELTIMEVT"},
    };
    int top = 70;
    for (const Lookup& l : lookups) {
        AddLabel(this, pnlMiscellaneous, l.label, 16, top + 3, 180);
        auto* combo = MakeCreateRunsWizardControl<TDBLookupComboBox>(this, pnlMiscellaneous, l.name);
        if (dmQuelm) {
            combo->SetDataSource(dmQuelm->*l.data);
            combo->SetListSource(dmQuelm->*l.list);
        }
        combo->SetDataField(l.field);
        combo->SetKeyField(l.field);
        combo->SetListField(l.shown);
        combo->SetBounds(200, top, 300, 21);
        *l.combo = combo;
        top += 36;
    }

    pnlProjectSpecs = page("pnlProjectSpecs");
    AddLabel(this, pnlProjectSpecs, "What name would you like to give to this project ?", 16, 14, 520);
    rdgrpProject = MakeCreateRunsWizardControl<TRadioGroup>(this, pnlProjectSpecs, "rdgrpProject");
    rdgrpProject->SetCaption("");
    rdgrpProject->Items()->Add("Create New Project");
    rdgrpProject->Items()->Add("Use Existing Project");
    rdgrpProject->SetItemIndex(0);
    rdgrpProject->SetBounds(16, 40, 260, 72);
    rdgrpProject->OnClick = [this](TObject* sender) { rdgrpProjectClick(sender); };
    AddLabel(this, pnlProjectSpecs, "Project Name:", 16, 127, 110);
    edtProjectName = MakeCreateRunsWizardControl<TEdit>(this, pnlProjectSpecs, "edtProjectName");
    edtProjectName->SetText("Project");
    edtProjectName->SetBounds(130, 124, 300, 21);
    edtProjectName->OnChange = [this](TObject* sender) { edtProjectNameChange(sender); };
    cbxProjectDescriptions = MakeCreateRunsWizardControl<TComboBox>(this, pnlProjectSpecs, "cbxProjectDescriptions");
    cbxProjectDescriptions->SetStyle(csDropDownList);
    cbxProjectDescriptions->SetBounds(16, 160, 528, 21);
    cbxProjectDescriptions->OnChange = [this](TObject*) { UpdateNavigation(); };

    auto button = [this](const String& name, const String& caption, int left, std::function<void(TObject*)> click) {
        auto* b = MakeCreateRunsWizardControl<TButton>(this, this, name);
        b->SetCaption(caption);
        b->SetBounds(left, 340, 80, 25);
        b->OnClick = std::move(click);
        return b;
    };
    btnHelp = button("btnHelp", "&Help", 16, nullptr);
    btnHelp->SetVisible(false);
    btnCancel = button("btnCancel", "Cancel", 200, nullptr);
    btnCancel->Cancel = true;
    btnCancel->ModalResult = mrCancel;
    btnBack = button("btnBack", "< Back", 288, [this](TObject* s) { btnBackClick(s); });
    btnNext = button("btnNext", "Next >", 370, [this](TObject* s) { btnNextClick(s); });
    btnFinish = button("btnFinish", "Finish", 464, [this](TObject* s) { btnFinishClick(s); });

    OnActivate = [this](TObject* sender) { FormActivate(sender); };
}

TfrmCreateRunsWizard::~TfrmCreateRunsWizard()
{
    // the list items point at the keys: they go first
    for (TListBox* list : {CropsSrcList, CropsDstList, LocationsSrcList, LocationsDstList})
        list->Items()->Clear();
}

TObject* TfrmCreateRunsWizard::KeyObject(const String& key)
{
    keys_.push_back(std::make_unique<TRecordKey>(key));
    return keys_.back().get();
}

// ---------------------------------------------------------------- pages

void TfrmCreateRunsWizard::FormActivate(TObject*)
{
    TCursorScope busy(crHourGlass);
    ShowPage(pnlCrops);
}

void TfrmCreateRunsWizard::ShowPage(TPanel* page)
{
    for (TPanel* p : {pnlCrops, pnlLocations, pnlMiscellaneous, pnlProjectSpecs})
        p->SetVisible(p == page);
    page_ = page;
    // every page reloads its data when it is shown
    if (page == pnlCrops)
        pnlCropsEnter(page);
    else if (page == pnlLocations)
        pnlLocationsEnter(page);
    else if (page == pnlMiscellaneous)
        pnlMiscellaneousEnter(page);
    else
        pnlProjectSpecsEnter(page);
    UpdateNavigation();
    if (Visible() && page->CanFocus())
        page->SetFocus();
}

void TfrmCreateRunsWizard::UpdateNavigation()
{
    btnBack->SetEnabled(page_ != pnlCrops);
    if (page_ == pnlCrops)
        btnNext->SetEnabled(CropsDstList->Items()->Count() > 0);
    else if (page_ == pnlLocations)
        btnNext->SetEnabled(LocationsDstList->Items()->Count() > 0);
    else
        btnNext->SetEnabled(page_ == pnlMiscellaneous);
    const bool last = page_ == pnlProjectSpecs;
    btnFinish->SetEnabled(last && ProjectChosen());
    btnFinish->SetDefault(last);
    btnNext->SetDefault(!last);
}

void TfrmCreateRunsWizard::FillList(TTable* table, const char* keyField, TListBox* available, TListBox* chosen)
{
    OpenOrRefresh(table);
    available->Items()->Clear();
    chosen->Items()->Clear();
    for (table->First(); !table->Eof(); table->Next()) {
        const int mark = table->FieldByName("MORVASELECTED")->AsInteger();
        if (mark != 1 && mark != 2)
            continue;
        TListBox* list = mark == 1 ? available : chosen;
        list->Items()->AddObject(table->FieldByName("NAME")->AsString(),
                                 KeyObject(table->FieldByName(keyField)->AsString()));
    }
}

void TfrmCreateRunsWizard::pnlCropsEnter(TObject*)
{
    FillList(dmQuelm->tblCrops, "CROPCODE", CropsSrcList, CropsDstList);
    CropsSetButtons();
}

void TfrmCreateRunsWizard::pnlLocationsEnter(TObject*)
{
    FillList(dmQuelm->tblLocations, "LOCATIONCODE", LocationsSrcList, LocationsDstList);
    LocationsSetButtons();
}

void TfrmCreateRunsWizard::pnlMiscellaneousEnter(TObject*)
{
    for (TTable* table : {dmQuelm->tblMorvaOptDelTimEvt, dmQuelm->tblMorvaOptDelTimEvts,
                          dmQuelm->tblMorvaApplicationScheme})
        OpenOrRefresh(table);
    TTable* schemes = dmQuelm->tblApplicationSchemes;
    schemes->SetFilter("ApplicationSchemeCode <> 'NO'");
    schemes->FilterOptions = foCaseInsensitive;
    schemes->SetFiltered(true);
    OpenOrRefresh(schemes);
    OpenOrRefresh(dmQuelm->tblMorvaSubstance);
    TTable* substances = dmQuelm->tblSubstances;
    substances->Close();
    substances->SetFilter("SubstanceCode <> 'NO' and IsParent = 'Yes'");
    substances->FilterOptions = foCaseInsensitive;
    substances->SetFiltered(true);
    substances->Open();
}

void TfrmCreateRunsWizard::pnlProjectSpecsEnter(TObject*)
{
    cbxProjectDescriptions->Items()->Clear();
    ProjectIDs->Clear();
    FillComboFromQuery("theDatabase",
                       "SELECT CAST(DESCRIPTION AS VARCHAR(200))||' (ID='||PROJECTID||')' AS ITEM1, PROJECTID AS ITEM2 "
                       "FROM PROJECTS",
                       cbxProjectDescriptions, false, ProjectIDs.get());
    rdgrpProjectClick(this);
}

void TfrmCreateRunsWizard::rdgrpProjectClick(TObject*)
{
    const bool existing = rdgrpProject->ItemIndex() == 1;
    cbxProjectDescriptions->SetEnabled(existing);
    cbxProjectDescriptions->SetColor(existing ? clWindow : clBtnFace);
    UpdateNavigation();
}

bool TfrmCreateRunsWizard::ProjectChosen() const
{
    if (rdgrpProject->ItemIndex() != 1)
        return true;
    const int index = cbxProjectDescriptions->ItemIndex();
    return index >= 0 && index < ProjectIDs->Count();
}

void TfrmCreateRunsWizard::edtProjectNameChange(TObject*)
{
    TEditorForm::RemoveExtendedChars(edtProjectName);
}

void TfrmCreateRunsWizard::btnNextClick(TObject*)
{
    if (page_ == pnlCrops) {
        CropsSave();
        ShowPage(pnlLocations);
    } else if (page_ == pnlLocations) {
        LocationsSave();
        ShowPage(pnlMiscellaneous);
    } else if (page_ == pnlMiscellaneous) {
        ShowPage(pnlProjectSpecs);
    }
}

void TfrmCreateRunsWizard::btnBackClick(TObject*)
{
    if (page_ == pnlLocations) {
        LocationsSave();
        ShowPage(pnlCrops);
    } else if (page_ == pnlMiscellaneous) {
        ShowPage(pnlLocations);
    } else if (page_ == pnlProjectSpecs) {
        ShowPage(pnlMiscellaneous);
    }
}

void TfrmCreateRunsWizard::btnFinishClick(TObject*)
{
    if (page_ != pnlProjectSpecs)
        return;
    if (!ProjectChosen()) {
        MessageDlg("Please choose the project to add the runs to.", mtWarning, TMsgDlgButtons{mbOK}, 0);
        return;
    }
    GenerateRuns();
    SetModalResult(mrOk);
}

// ---------------------------------------------------------------- the lists

int TfrmCreateRunsWizard::GetFirstSelection(TListBox* list)
{
    for (int i = 0; i < list->Items()->Count(); ++i)
        if (list->Selected(i))
            return i;
    return -1;
}

void TfrmCreateRunsWizard::MoveSelected(TListBox* source, TStrings* target)
{
    for (int i = source->Items()->Count() - 1; i >= 0; --i) {
        if (!source->Selected(i))
            continue;
        target->AddObject(source->Items()->Strings(i), source->Items()->Objects(i));
        source->Items()->Delete(i);
    }
}

void TfrmCreateRunsWizard::MoveAll(TListBox* source, TListBox* target)
{
    for (int i = 0; i < source->Items()->Count(); ++i)
        target->Items()->AddObject(source->Items()->Strings(i), source->Items()->Objects(i));
    source->Items()->Clear();
}

void TfrmCreateRunsWizard::SetItem(TListBox* list, int index)
{
    const int count = list->Items()->Count();
    if (list->CanFocus())
        list->SetFocus();
    if (count > 0) {
        const int item = index < 0 ? 0 : std::min(index, count - 1);
        for (int i = 0; i < count; ++i)
            list->SetSelected(i, i == item);
        list->SetItemIndex(item);
    }
}

void TfrmCreateRunsWizard::CropsSetItem(TListBox* list, int index)
{
    SetItem(list, index);
    CropsSetButtons();
}

void TfrmCreateRunsWizard::LocationsSetItem(TListBox* list, int index)
{
    SetItem(list, index);
    LocationsSetButtons();
}

void TfrmCreateRunsWizard::SetButtons(TListBox* available, TListBox* chosen, TButton* include, TButton* includeAll,
                                      TButton* exclude, TButton* excludeAll)
{
    const bool any = available->Items()->Count() > 0;
    const bool some = chosen->Items()->Count() > 0;
    include->SetEnabled(any);
    includeAll->SetEnabled(any);
    exclude->SetEnabled(some);
    excludeAll->SetEnabled(some);
    UpdateNavigation();
}

void TfrmCreateRunsWizard::CropsSetButtons()
{
    SetButtons(CropsSrcList, CropsDstList, btnCropsInclude, btnCropsIncludeAll, btnCropsExclude, btnCropsExcludeAll);
}

void TfrmCreateRunsWizard::LocationsSetButtons()
{
    SetButtons(LocationsSrcList, LocationsDstList, btnLocationsInclude, btnLocationsIncludeAll, btnLocationsExclude,
               btnLocationsExcludeAll);
}

void TfrmCreateRunsWizard::SaveChoice(const String& table, const String& keyField, TListBox* available,
                                      TListBox* chosen)
{
    // records are marked by their key, given as a parameter: any name is safe, and records
    // that share a name stay apart
    std::unique_ptr<TQuery> query(dmQuelm->NewQuery());
    auto mark = [&](TListBox* list, int to, int from) {
        for (int i = 0; i < list->Items()->Count(); ++i) {
            query->SQL.Clear();
            query->SQL.Add("UPDATE " + table + " SET MORVASELECTED=" + IntToStr(to));
            query->SQL.Add(" WHERE " + keyField + " = :KeyValue");
            query->SQL.Add(" AND MORVASELECTED = " + IntToStr(from));
            query->ParamByName("KeyValue")->SetAsString(static_cast<TRecordKey*>(list->Items()->Objects(i))->Code);
            query->ExecSQL();
        }
    };
    mark(chosen, 2, 1);
    mark(available, 1, 2);
}

void TfrmCreateRunsWizard::CropsSave()
{
    SaveChoice("Crops", "CropCode", CropsSrcList, CropsDstList);
}

void TfrmCreateRunsWizard::LocationsSave()
{
    SaveChoice("Locations", "LocationCode", LocationsSrcList, LocationsDstList);
}

// ---------------------------------------------------------------- the runs

int TfrmCreateRunsWizard::GenerateRuns()
{
    TCursorScope busy(crHourGlass);
    // moving to the first record posts a choice pending in a lookup
    for (TTable* table : {dmQuelm->tblMorvaApplicationScheme, dmQuelm->tblMorvaSubstance,
                          dmQuelm->tblMorvaOptDelTimEvt}) {
        OpenOrRefresh(table);
        table->First();
    }
    TTable* projects = dmQuelm->tblProjects;
    TTable* runs = dmQuelm->tblRuns;
    OpenOrRefresh(projects);
    runs->Close();

    int projectId = 0;
    if (rdgrpProject->ItemIndex() == 1) {
        projectId = StrToInt(ProjectIDs->Strings(cbxProjectDescriptions->ItemIndex()));
    } else {
        projectId = dmQuelm->NewKeyValue("Projects", "ProjectID");
        if (projectId == -1) {
            projects->Cancel();
            throw Exception("Failed to find new ID");
        }
        projects->Insert();
        projects->FieldByName("PROJECTID")->SetAsInteger(projectId);
        projects->FieldByName("CREATIONDATE")->SetAsDateTime(Date());
        projects->FieldByName("MODIFICATIONDATE")->SetAsDateTime(Date());
        projects->FieldByName("DESCRIPTION")->SetAsString(edtProjectName->Text());
        dmQuelm->ConfirmOff();
        projects->Post();
    }
    projects->Refresh();
    // the project that receives the runs is the current one, so that the runs show
    LocateIntegerKey(projects, projectId);
    runs->Open();

    std::unique_ptr<TQuery> pairs(dmQuelm->NewQuery());
    for (const char* line :
         {"SELECT Crops.CropCode || '-' || Locations.LocationCode AS Name, ", "OptDelTimEvts.TimStart, ",
          "OptDelTimEvts.TimEnd, ", "Locations.LocationCode, ", "MorvaCropsxLocations.CultivationSequenceCode, ",
          "MorvaSubstance.SubstanceCode, ", "MorvaApplicationScheme.ApplicationSchemeCode, ",
          "MorvaOptDelTimEvt.OptDelTimEvt, ", "MorvaCropsxLocations.IrrigationSchemeCode, ",
          "Locations.MorvaZGrwLevSta ", "FROM MorvaApplicationScheme, MorvaSubstance, MorvaOptDelTimEvt ",
          "INNER JOIN OptDelTimEvts ON MorvaOptDelTimEvt.OptDelTimEvt = OptDelTimEvts.OptDelTimEvt, ",
          "Locations INNER JOIN (Crops INNER JOIN MorvaCropsxLocations ON ",
          "Crops.CropCode = MorvaCropsxLocations.CropCode) ON ",
          "Locations.LocationCode = MorvaCropsxLocations.LocationCode",
          "WHERE (((Locations.MorvaSelected)=2) AND ((Crops.MorvaSelected)=2))"})
        pairs->SQL.Add(line);
    pairs->Open();

    struct TFixedValue {
        const char* field;
        String text;
    };
    const TFixedValue fixed[] = {
        {"ISRESTRICTEDRUN", "Yes"}, {"SELECTEDFOREXECUTION", "Yes"}, {"OPTHYD", "OnLine"},
        {"DETAILEDOUTPUT", "No"},   {"OPTDELTIMPRNCODE", "Month"},  {"OPTHYSTERESISCODE", "No"},
    };
    int count = 0;
    for (; !pairs->Eof(); pairs->Next()) {
        const int runId = dmQuelm->NewKeyValue("Runs", "RunID");
        if (runId == -1) {
            runs->Cancel();
            throw Exception("Failed to find new ID");
        }
        runs->Insert();
        auto field = [runs](const char* name) { return runs->FieldByName(name); };
        auto pair = [&pairs](const char* name) { return pairs->FieldByName(name); };
        field("RUNID")->SetAsInteger(runId);
        field("PROJECTID")->SetAsInteger(projectId);
        field("NAME")->SetAsString(pair("NAME")->AsString());
        field("TIMSTART")->SetAsDateTime(pair("TIMSTART")->AsDateTime());
        field("TIMEND")->SetAsDateTime(pair("TIMEND")->AsDateTime());
        field("LOCATIONCODE")->SetAsString(pair("LOCATIONCODE")->AsString());
        field("CULTIVATIONSEQUENCECODE")->SetAsString(pair("CULTIVATIONSEQUENCECODE")->AsString());
        field("IRRIGATIONSCHEMECODE")->SetAsString(pair("IRRIGATIONSCHEMECODE")->AsString());
        field("SUBSTANCECODE")->SetAsString(pair("SUBSTANCECODE")->AsString());
        field("APPLICATIONSCHEMECODE")->SetAsString(pair("APPLICATIONSCHEMECODE")->AsString());
        field("OPTDELTIMEVT")->SetAsString(pair("OPTDELTIMEVT")->AsString());
        field("ZGRWLEVSTA")->SetAsFloat(pair("MORVAZGRWLEVSTA")->AsFloat());
        for (const TFixedValue& f : fixed)
            field(f.field)->SetAsString(f.text);
        field("DELTIMPRN")->SetAsInteger(30);
        field("DELTIMSWAMIN")->SetAsFloat(1e-7);
        field("GWLTOL")->SetAsFloat(1.0);
        field("MAXITSWA")->SetAsInteger(30);
        field("PREHEAWETDRYMIN")->SetAsFloat(0.2);
        field("CREATIONDATE")->SetAsDateTime(Date());
        dmQuelm->ConfirmOff();
        runs->Post();
        Application->ProcessMessages();
        ++count;
    }
    pairs->Close();

    if (count == 0)
        MessageDlg("No runs were found in the combination you selected", mtWarning, TMsgDlgButtons{mbOK}, 0);
    else if (count == 1)
        MessageDlg("Generated " + String("1") + " run", mtInformation, TMsgDlgButtons{mbOK}, 0);
    else
        MessageDlg("Generated " + IntToStr(count) + " runs", mtInformation, TMsgDlgButtons{mbOK}, 0);
    return count;
}
