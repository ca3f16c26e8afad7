#include "gui/windows/Main.h"

#include "CommonUnits/GeneralUnits/About.h"
#include "gui/windows/AppSchemes.h"
#include "gui/windows/CropCalendar.h"
#include "gui/windows/Depositions.h"
#include "gui/windows/CreateRunsWizard.h"
#include "gui/windows/DetailedOutputGraphs2.h"
#include "gui/windows/DetailedOutputOptions2.h"
#include "gui/windows/GraphTemplates.h"
#include "gui/windows/EditorForm.h"
#include "gui/windows/Initial.h"
#include "gui/windows/InitialGroundWater.h"
#include "gui/windows/Irrischemes.h"
#include "gui/windows/Substances.h"
#include "gui/windows/TillageSchemes.h"
#include "CommonUnits/GeneralUnits/InputFile.h"
#include "gui/windows/Locations.h"
#include "CommonUnits/GeneralUnits/QuelmFileUtils.h"
#include "CommonUnits/GeneralUnits/TVersionInfo_Unit.h"
#include "gui/windows/Projects.h"
#include "CommonUnits/GeneralUnits/Report_Unit.h"
#include "gui/windows/TfrmArchiveDirectory_Unit.h"
#include "gui/windows/TfrmMoveRunToOtherProject_Unit.h"
#include "gui/windows/TfrmMultipleRunOptions_Unit.h"
#include "gui/windows/TfrmProjectSummary_Unit.h"
#include "gui/windows/TfrmReportOptions_Unit.h"
#include "CommonUnits/GeneralUnits/Utils_Misc_Unit.h"
#include "CommonUnits/GeneralUnits/Utils_RegionalSettings_Unit.h"
#include "CommonUnits/GeneralUnits/dmQuelm_Unit.h"

#include "platform/framework/Dialogs.h"
#include "platform/win/WinShell.h"

#include <memory>

namespace {

// Rows of the run editor's pages: a label and its control.
constexpr int kRowHeight = 28;
constexpr int kMainControlHeight = 21;

template <class T>
T* MakeMainControl(TComponent* owner, TWinControl* parent, const String& name)
{
    auto* control = new T(owner);
    control->SetName(name);
    control->SetParent(parent);
    return control;
}

TLabel* AddMainLabel(TForm* form, TWinControl* parent, const String& caption, int left, int top, int width)
{
    auto* label = new TLabel(form);
    label->SetParent(parent);
    label->SetCaption(caption);
    label->SetBounds(left, top + 3, width, 17);
    return label;
}

String UpperField(TDataSet* ds, const char* field)
{
    return UpperCase(ds->FieldByName(field)->AsString());
}

// Shows an editor window modally and frees it when it closes.
template <class TEditor>
void ShowEditor()
{
    std::unique_ptr<TEditor> editor(New<TEditor>(nullptr));
    editor->ShowModal();
}

// A catalogue editor opens on the run's own record of the catalogue, after the run is posted;
// the main window activates again after it, to show what changed.
template <class TEditor>
void OpenCatalogueEditor(TfrmMain* main, TTable* catalogue, const char* codeField)
{
    TTable* runs = dmQuelm->tblRuns;
    PostPendingEdits(runs);
    OpenOrRefresh(catalogue);
    if (runs->Active() && !runs->IsEmpty())
        catalogue->Locate(codeField, Variant(ToQString(runs->FieldByName(codeField)->AsString())), loCaseInsensitive);
    ShowEditor<TEditor>();
    main->FormActivate(main);
}

// The catalogue editors that the Edit menu and the "..." buttons beside a run's choices open.
using TCatalogueOpener = void (*)(TfrmMain*);

void OpenLocations(TfrmMain* main)
{
    OpenCatalogueEditor<TfrmLocations>(main, dmQuelm->tblLocations, "LOCATIONCODE");
}
void OpenCropCalendars(TfrmMain* main)
{
    OpenCatalogueEditor<TfrmCropCalendar>(main, dmQuelm->tblCultivationSeqs, "CULTIVATIONSEQUENCECODE");
}
void OpenIrrigationSchemes(TfrmMain* main)
{
    OpenCatalogueEditor<TfrmIrrigationSchemes>(main, dmQuelm->tblIrrigationSchemes, "IRRIGATIONSCHEMECODE");
}
void OpenTillageSchemes(TfrmMain* main)
{
    OpenCatalogueEditor<TfrmTillageSchemes>(main, dmQuelm->tblTillageSchemes, "TILLAGESCHEMECODE");
}
void OpenSubstances(TfrmMain* main)
{
    OpenCatalogueEditor<TfrmSubstances>(main, dmQuelm->tblSubstances, "SUBSTANCECODE");
}
void OpenApplicationSchemes(TfrmMain* main)
{
    OpenCatalogueEditor<TfrmApplicationSchemes>(main, dmQuelm->tblApplicationSchemes, "APPLICATIONSCHEMECODE");
}
void OpenDepositionSchemes(TfrmMain* main)
{
    OpenCatalogueEditor<TfrmDepositions>(main, dmQuelm->tblDepositionSchemes, "DEPOSITIONSCHEMECODE");
}

} // namespace

// ---------------------------------------------------------------- construction

TfrmMain::TfrmMain(TComponent* owner) : TForm(owner)
{
    SetName("frmMain");
    SetCaption("Main");
    SetClientWidth(1160);
    SetClientHeight(660);
    Position = poScreenCenter;

    CreateMenus();
    CreateToolbar();
    CreateRunList();
    CreateRunEditor();

    dbedtChangeDetection = MakeMainControl<TDBEdit>(this, this, "dbedtChangeDetection");
    dbedtChangeDetection->SetVisible(false);
    dbedtChangeDetection->SetBounds(0, 0, 10, 10);

    pnlOpeningLastSavedProject = MakeMainControl<TPanel>(this, this, "pnlOpeningLastSavedProject");
    pnlOpeningLastSavedProject->SetCaption("Opening last used project ...");
    pnlOpeningLastSavedProject->SetBounds(356, 280, 300, 60);
    pnlOpeningLastSavedProject->SetVisible(false);

    OnCreate = [this](TObject* sender) { FormCreate(sender); };
    OnActivate = [this](TObject* sender) { FormActivate(sender); };
    OnClose = [this](TObject* sender, TCloseAction& action) { FormClose(sender, action); };
    OnDestroy = [this](TObject* sender) { FormDestroy(sender); };
    OnResize = [this](TObject*) {
        // the two groups share the width below the toolbar
        const int top = pnlMain->Height() + 4;
        const int height = std::max(100, ClientHeight() - top - 4);
        gbxBrowseRuns->SetBounds(4, top, 448, height);
        gbxEditRuns->SetBounds(456, top, std::max(200, ClientWidth() - 460), height);
    };
}

TfrmMain::~TfrmMain()
{
    DoDestroy(); // FormDestroy belongs to this window: it runs while the window is whole
    if (Application->OnIdle && Application->MainForm() == this)
        Application->OnIdle = nullptr;
}

void TfrmMain::CreateMenus()
{
    MainMenu1 = new TMainMenu(this);
    MainMenu1->SetName("MainMenu1");
    auto item = [this](TMenuItem* parent, const String& name, const String& caption,
                       std::function<void(TObject*)> onClick = nullptr) {
        auto* menuItem = new TMenuItem(this);
        menuItem->SetName(name);
        menuItem->SetCaption(caption);
        if (onClick)
            menuItem->OnClick = std::move(onClick);
        (parent ? parent : MainMenu1->Items())->Add(menuItem);
        return menuItem;
    };
    auto handler = [this](void (TfrmMain::*method)(TObject*)) {
        return [this, method](TObject* sender) { (this->*method)(sender); };
    };
    mnuFile = item(nullptr, "mnuFile", "&File");
    Opendatabase1 = item(mnuFile, "Opendatabase1", "&Open RAVUZAVEDE database...", handler(&TfrmMain::Opendatabase1Click));
    Exit1 = item(mnuFile, "Exit1", "E&xit", handler(&TfrmMain::Exit1Click));

    mnuEdit = item(nullptr, "mnuEdit", "&Edit");
    mnuEditProjects = item(mnuEdit, "mnuEditProjects", "&Projects...", handler(&TfrmMain::btnProjectsClick));
    auto opens = [this](TCatalogueOpener open) { return [this, open](TObject*) { open(this); }; };
    mnuEditLocations = item(mnuEdit, "mnuEditLocations", "Locations...", opens(OpenLocations));
    mnuEditCropCalendars = item(mnuEdit, "mnuEditCropCalendars", "Crop Calendars...", opens(OpenCropCalendars));
    mnuEditIrrigationSchemes =
        item(mnuEdit, "mnuEditIrrigationSchemes", "Irrigation Schemes...", opens(OpenIrrigationSchemes));
    mnuEditSubstances = item(mnuEdit, "mnuEditSubstances", "Substances...", opens(OpenSubstances));
    mnuEditApplications =
        item(mnuEdit, "mnuEditApplications", "Application Schemes...", opens(OpenApplicationSchemes));
    mnuEditDepositionSchemes =
        item(mnuEdit, "mnuEditDepositionSchemes", "Deposition Schemes...", opens(OpenDepositionSchemes));

    mnuView = item(nullptr, "mnuView", "&View");
    ViewInputFile = item(mnuView, "ViewInputFile", "Input File", handler(&TfrmMain::ViewInputFileClick));
    ViewSummaryOutputFile =
        item(mnuView, "ViewSummaryOutputFile", "Summary Output File", handler(&TfrmMain::ViewSummaryOutputFileClick));
    ViewDetailedOutputFile = item(mnuView, "ViewDetailedOutputFile", "Detailed Output File",
                                  handler(&TfrmMain::ViewDetailedOutputFileClick));
    ViewLogFile = item(mnuView, "ViewLogFile", "Log File", handler(&TfrmMain::ViewLogFileClick));
    ViewErrorFile = item(mnuView, "ViewErrorFile", "Error File", handler(&TfrmMain::ViewErrorFileClick));

    mnuCalculate = item(nullptr, "mnuCalculate", "&Calculate");
    CalculateSelectedRuns1 = item(mnuCalculate, "CalculateSelectedRuns1", "&Calculate Selected Runs",
                                  handler(&TfrmMain::CalculateSelectedRuns1Click));
    CalculateSelectedRuns1->SetShortCut(TextToShortCut("F9"));

    mnuGraphs = item(nullptr, "mnuGraphs", "&Graphs");
    mnuUserdefinedgraphs = item(mnuGraphs, "mnuUserdefinedgraphs", "&User Defined Graphs...",
                                handler(&TfrmMain::mnuUserdefinedgraphsClick));
    GraphTemplates1 =
        item(mnuGraphs, "GraphTemplates1", "Graph &Templates...", handler(&TfrmMain::GraphTemplates1Click));

    mnuRuns = item(nullptr, "mnuRuns", "&Runs");
    Deleteoutputofselectedrun1 = item(mnuRuns, "Deleteoutputofselectedrun1", "&Delete Output of Selected Run",
                                      handler(&TfrmMain::Deleteoutputofselectedrun1Click));
    SelectAllRuns1 =
        item(mnuRuns, "SelectAllRuns1", "Select &All Runs for execution", handler(&TfrmMain::SelectAllRuns1Click));
    DeselectAllRuns1 = item(mnuRuns, "DeselectAllRuns1", "D&eselect All Runs for execution",
                            handler(&TfrmMain::DeselectAllRuns1Click));
    mnuRunsArchiveSelectedRun = item(mnuRuns, "mnuRunsArchiveSelectedRun", "Archive Selected Run...",
                                     handler(&TfrmMain::mnuRunsArchiveSelectedRunClick));
    mnuRunsMoveSelectedRunToOtherProject1 =
        item(mnuRuns, "mnuRunsMoveSelectedRunToOtherProject1", "Move Selected Run to other Project...",
             handler(&TfrmMain::mnuRunsMoveSelectedRunToOtherProject1Click));

    mnuHelp = item(nullptr, "mnuHelp", "&Help");
    mnuQuelmUserSupport = item(mnuHelp, "mnuQuelmUserSupport", "QUELM User Support");
    mnuQuelmTheoryDocument = item(mnuQuelmUserSupport, "mnuQuelmTheoryDocument", "QUELM Theory Document...",
                                  handler(&TfrmMain::mnuQuelmTheoryDocumentClick));
    mnuQuelmWebsite =
        item(mnuQuelmUserSupport, "mnuQuelmWebsite", "QUELM website...", handler(&TfrmMain::mnuQuelmWebsiteClick));
    mnuAbout = item(mnuHelp, "mnuAbout", "&About RAVUZAVEDE 2.1.2...", handler(&TfrmMain::mnuAboutClick));
    MainMenu1->SetForm(this);

    busyMenus_ = {mnuFile, mnuEdit, mnuView, mnuCalculate, mnuGraphs, mnuRuns, mnuHelp};
}

void TfrmMain::CreateToolbar()
{
    pnlMain = MakeMainControl<TPanel>(this, this, "pnlMain");
    pnlMain->Align = alTop;
    pnlMain->SetBounds(0, 0, ClientWidth(), 36);
    struct Button {
        TSpeedButton** field;
        const char* name;
        const char* caption;
        const char* hint;
        void (TfrmMain::*click)(TObject*);
    } const buttons[] = {
        {&btnExit, "btnExit", "Exit", "Exits the application", &TfrmMain::Exit1Click},
        {&btnCalculate, "btnCalculate", "Calculate", "Simulate selected runs", &TfrmMain::CalculateSelectedRuns1Click},
        {&btnProjects, "btnProjects", "Projects", "Select or Edit Projects", &TfrmMain::btnProjectsClick},
        {&btnCreateRunsWizard, "btnCreateRunsWizard", "Runs Wizard", "Generate runs with the wizard",
         &TfrmMain::btnCreateRunsWizardClick},
    };
    int left = 4;
    for (const Button& b : buttons) {
        auto* button = MakeMainControl<TSpeedButton>(this, pnlMain, b.name);
        button->SetCaption(b.caption);
        button->SetHint(b.hint);
        button->SetShowHint(true);
        button->SetBounds(left, 4, 90, 28);
        auto click = b.click;
        button->OnClick = [this, click](TObject* sender) { (this->*click)(sender); };
        *b.field = button;
        left += 94;
    }
}

void TfrmMain::CreateRunList()
{
    gbxBrowseRuns = MakeMainControl<TGroupBox>(this, this, "gbxBrowseRuns");
    gbxBrowseRuns->SetCaption(" Browse Runs ");
    gbxBrowseRuns->SetBounds(4, 40, 448, 616);

    lblWaitForGrid = MakeMainControl<TLabel>(this, gbxBrowseRuns, "lblWaitForGrid");
    lblWaitForGrid->SetCaption("Wait for grid to be displayed ...");
    lblWaitForGrid->SetVisible(false); // it shows while the grid is hidden
    lblWaitForGrid->SetBounds(150, 200, 200, 17);

    grdRuns = MakeMainControl<TDBGrid>(this, gbxBrowseRuns, "grdRuns");
    grdRuns->SetDataSource(dmQuelm ? dmQuelm->dsRuns : nullptr);
    grdRuns->SetReadOnly(true);
    grdRuns->SetOptions(TDBGridOptions{dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines, dgRowSelect,
                                       dgAlwaysShowSelection});
    grdRuns->SetHint("Double click to select for execution");
    grdRuns->ShowHint = true;
    struct Column {
        const char* field;
        const char* title;
        int width;
    } const columns[] = {{"RUNID", "RunID", 42},
                         {"SELECTEDFOREXECUTION", "Selected", 52},
                         {"NAME", "Name", 130},
                         {"RESULTSSUMMARY", "ResultsSummary", 88},
                         {"RESULTSDETAILED", "ResultsDetailed", 88}};
    for (const Column& c : columns) {
        TColumn* column = grdRuns->Columns()->Add();
        column->SetFieldName(c.field);
        column->Title()->Caption = c.title;
        column->SetWidth(c.width);
    }
    grdRuns->OnDblClick = [this](TObject* sender) { grdRunsDblClick(sender); };

    navRunsFull = MakeMainControl<TDBNavigator>(this, gbxBrowseRuns, "navRunsFull");
    navRunsFull->SetDataSource(dmQuelm ? dmQuelm->dsRuns : nullptr);
    navRunsFull->SetVisibleButtons(TButtonSet{nbFirst, nbLast, nbInsert, nbDelete, nbPost, nbCancel});
    navRunsFull->SetShowHint(true);
    TEditorForm::WireNavigator(navRunsFull, nullptr, nullptr, [this] { UpdateControlState(); });

    btnCopy = MakeMainControl<TButton>(this, gbxBrowseRuns, "btnCopy");
    btnCopy->SetCaption("Copy");
    btnCopy->SetHint("Copies the selected run");
    btnCopy->ShowHint = true;
    btnCopy->OnClick = [this](TObject* sender) { btnCopyClick(sender); };

    btnUserDefinedGraphs = MakeMainControl<TButton>(this, gbxBrowseRuns, "btnUserDefinedGraphs");
    btnUserDefinedGraphs->SetCaption("Graphs, user defined");
    btnUserDefinedGraphs->SetHint("Show user defined graphs of the selected run");
    btnUserDefinedGraphs->ShowHint = true;
    btnUserDefinedGraphs->OnClick = [this](TObject* sender) { mnuUserdefinedgraphsClick(sender); };

    btnReports = MakeMainControl<TButton>(this, gbxBrowseRuns, "btnReports");
    btnReports->SetCaption("Reports");
    btnReports->SetHint("Shows a report of the selected run");
    btnReports->ShowHint = true;
    btnReports->OnClick = [this](TObject* sender) { btnReportsClick(sender); };

    gbxBrowseRuns->OnResize = [this](TObject*) { LayoutRunList(); };
    LayoutRunList();
}

void TfrmMain::LayoutRunList()
{
    const TRect area = gbxBrowseRuns->ClientRect();
    const int width = area.Right - area.Left - 16;
    const int bottom = area.Bottom - 8;
    btnCopy->SetBounds(area.Left + 8, bottom - 25, 80, 25);
    btnUserDefinedGraphs->SetBounds(area.Left + 94, bottom - 25, 150, 25);
    btnReports->SetBounds(area.Left + 250, bottom - 25, 80, 25);
    navRunsFull->SetBounds(area.Left + 8, bottom - 59, 240, 25);
    grdRuns->SetBounds(area.Left + 8, area.Top + 4, width, std::max(40, bottom - 67 - area.Top - 4));
    lblWaitForGrid->SetBounds(area.Left + 8 + std::max(0, width - 200) / 2, area.Top + 60, 200, 17);
}

void TfrmMain::CreateRunEditor()
{
    gbxEditRuns = MakeMainControl<TGroupBox>(this, this, "gbxEditRuns");
    gbxEditRuns->SetCaption(" Edit Run ");
    gbxEditRuns->SetBounds(456, 40, 700, 616);

    PageControl1 = MakeMainControl<TPageControl>(this, gbxEditRuns, "PageControl1");
    PageControl1->Align = alClient;
    auto page = [this](const char* name, const char* caption, int help) {
        auto* sheet = new TTabSheet(this);
        sheet->SetName(name);
        sheet->SetCaption(caption);
        sheet->HelpContext = help;
        sheet->SetPageControl(PageControl1);
        return sheet;
    };
    tsScenario = page("tsScenario", "Scenario", 300);
    tsSimulationControl = page("tsSimulationControl", "Simulation Control", 400);
    tsOutputControl = page("tsOutputControl", "Output Control", 500);
    tsHydrology = page("tsHydrology", "Aquenta Hydrological Module", 405);
    tsRunStatus = page("tsRunStatus", "Run Status", 600);

    TDataSource* runs = dmQuelm ? dmQuelm->dsRuns : nullptr;
    auto edit = [&](TWinControl* parent, const String& name, const String& field, int left, int top, int width) {
        auto* control = MakeMainControl<TDBEdit>(this, parent, name);
        control->SetDataSource(runs);
        control->SetDataField(field);
        control->SetBounds(left, top, width, kMainControlHeight);
        return control;
    };
    auto lookup = [&](TWinControl* parent, const String& name, const String& field, TDataSource* list,
                      const String& key, const String& shown, int left, int top, int width) {
        auto* control = MakeMainControl<TDBLookupComboBox>(this, parent, name);
        control->SetDataSource(runs);
        control->SetDataField(field);
        control->SetListSource(list);
        control->SetKeyField(key);
        control->SetListField(shown);
        control->SetBounds(left, top, width, kMainControlHeight);
        return control;
    };
    auto button = [&](TWinControl* parent, const String& name, const String& caption, int left, int top, int width,
                      std::function<void(TObject*)> click) {
        auto* control = MakeMainControl<TButton>(this, parent, name);
        control->SetCaption(caption);
        control->SetBounds(left, top, width, 25);
        control->OnClick = std::move(click);
        return control;
    };
    auto check = [&](TWinControl* parent, const String& name, const String& field, int left, int top) {
        auto* control = MakeMainControl<TDBCheckBox>(this, parent, name);
        control->SetDataSource(runs);
        control->SetDataField(field);
        control->ValueChecked = "Yes";
        control->ValueUnchecked = "No";
        control->SetBounds(left, top, 20, kMainControlHeight);
        return control;
    };
    auto opens = [this](TCatalogueOpener open) { return [this, open](TObject*) { open(this); }; };
    TDataSource* none = nullptr;
    auto ds = [&](TDataSource* TdmQuelm::*member) { return dmQuelm ? dmQuelm->*member : none; };

    // Scenario
    int y = 8;
    AddMainLabel(this, tsScenario, "Name:", 8, y, 60);
    edtRunName = edit(tsScenario, "edtRunName", "NAME", 72, y, 330);
    edtRunName->OnChange = [this](TObject* sender) { edtRunNameChange(sender); };
    btnRunComments = button(tsScenario, "btnRunComments", "Comments...", 410, y - 2, 100, nullptr);
    if (runs)
        TEditorForm::WireCommentsButton(btnRunComments, runs);

    gbxScenario = MakeMainControl<TGroupBox>(this, tsScenario, "gbxScenario");
    gbxScenario->SetCaption(" Scenario ");
    gbxScenario->SetBounds(8, 40, 512, 176);
    struct Row {
        TDBLookupComboBox** combo;
        TButton** more;
        const char* name;
        const char* label;
        const char* field;
        TDataSource* TdmQuelm::*list;
        const char* key;
        const char* shown;
        const char* moreName;
        TCatalogueOpener open;
    };
    const Row scenarioRows[] = {
        {&cbLocations, &btnLocations, "cbLocations", "Location:", "LOCATIONCODE", &TdmQuelm::dsLocations,
         "LOCATIONCODE", "NAME", "btnLocations", OpenLocations},
        {&cbCropCalendars, &btnCropCalendars, "cbCropCalendars", "Crop calendar:", "CULTIVATIONSEQUENCECODE",
         &TdmQuelm::dsCultivationSeqs, "CULTIVATIONSEQUENCECODE", "NAME", "btnCropCalendars", OpenCropCalendars},
        {&cbIrrigationSchemes, &btnIrrigationSchemes, "cbIrrigationSchemes", "Irrigation scheme:",
         "IRRIGATIONSCHEMECODE", &TdmQuelm::dsIrrigationSchemes, "IRRIGATIONSCHEMECODE", "DESCRIPTION",
         "btnIrrigationSchemes", OpenIrrigationSchemes},
        {&cbOptDelTimEvt, nullptr, "cbOptDelTimEvt", "Repeat interval for application events (a):", "OPTDELTIMEVT",
         &TdmQuelm::dsOptDelTimEvt, "OPTDELTIMEVT", "OPTDELTIMEVT", nullptr, nullptr},
        {&cbTillageSchemes, &btnTillageSchemes, "cbTillageSchemes", "Tillage scheme:", "TILLAGESCHEMECODE",
         &TdmQuelm::dsTillageSchemes, "TILLAGESCHEMECODE", "DESCRIPTION", "btnTillageSchemes", OpenTillageSchemes},
    };
    y = 22;
    for (const Row& row : scenarioRows) {
        AddMainLabel(this, gbxScenario, row.label, 10, y, 262);
        *row.combo = lookup(gbxScenario, row.name, row.field, ds(row.list), row.key, row.shown, 276, y, 190);
        if (row.more)
            *row.more = button(gbxScenario, row.moreName, "...", 472, y - 2, 30, opens(row.open));
        y += kRowHeight;
    }

    gbxPesticide = MakeMainControl<TGroupBox>(this, tsScenario, "gbxPesticide");
    gbxPesticide->SetCaption(" Pesticide and scenario dependent ");
    gbxPesticide->SetBounds(8, 224, 512, 152);
    const Row pesticideRows[] = {
        {&cbApplicationSchemes, &btnApplicationSchemes, "cbApplicationSchemes", "Application scheme:",
         "APPLICATIONSCHEMECODE", &TdmQuelm::dsApplicationSchemes, "APPLICATIONSCHEMECODE", "DESCRIPTION",
         "btnApplicationSchemes", OpenApplicationSchemes},
        {&cbDepositionSchemes, &btnDepositionSchemes, "cbDepositionSchemes", "Deposition scheme:",
         "DEPOSITIONSCHEMECODE", &TdmQuelm::dsDepositionSchemes, "DEPOSITIONSCHEMECODE", "DESCRIPTION",
         "btnDepositionSchemes", OpenDepositionSchemes},
        {&cbSubstances, &btnSubstances, "cbSubstances", "Substance:", "SUBSTANCECODE", &TdmQuelm::dsSubstances,
         "SUBSTANCECODE", "NAME", "btnSubstances", OpenSubstances},
    };
    y = 22;
    for (const Row& row : pesticideRows) {
        AddMainLabel(this, gbxPesticide, row.label, 10, y, 262);
        *row.combo = lookup(gbxPesticide, row.name, row.field, ds(row.list), row.key, row.shown, 276, y, 190);
        *row.more = button(gbxPesticide, row.moreName, "...", 472, y - 2, 30, opens(row.open));
        y += kRowHeight;
    }
    cbSubstances->OnClick = [this](TObject* sender) { cbSubstancesClick(sender); };
    btnInitialConditionsPest = button(gbxPesticide, "btnInitialConditionsPest", "Initial conditions for pesticides...",
                                      10, y + 2, 240, [this](TObject*) {
                                          PostPendingEdits(dmQuelm->tblRuns);
                                          ShowEditor<TfrmInitial>();
                                          OpenLookupTables();
                                      });
    // the level typed there stays in the run's record until the next post of the run
    btnInitialConditionsGroundWater =
        button(gbxPesticide, "btnInitialConditionsGroundWater", "Initial conditions for groundwater...", 258, y + 2,
               244, [this](TObject*) {
                   ShowEditor<TfrmInitialGroundWater>();
                   OpenLookupTables();
               });

    // Simulation Control
    y = 8;
    AddMainLabel(this, tsSimulationControl, "Stop criterion (kg ha-1):", 8, y, 262);
    edtAmaSysEnd = edit(tsSimulationControl, "edtAmaSysEnd", "AMASYSEND", 276, y, 120);
    y += kRowHeight;
    AddMainLabel(this, tsSimulationControl, "Repeat hydrology:", 8, y, 262);
    chkRepeatHydrology = check(tsSimulationControl, "chkRepeatHydrology", "REPEATHYDROLOGY", 276, y);
    gbxStartStop = MakeMainControl<TGroupBox>(this, tsSimulationControl, "gbxStartStop");
    gbxStartStop->SetCaption(" Start / Stop ");
    gbxStartStop->SetBounds(8, 72, 512, 90);
    AddMainLabel(this, gbxStartStop, "Start date (dd/mm/yyyy):", 10, 22, 262);
    dbedtTimStart = edit(gbxStartStop, "dbedtTimStart", "TIMSTART", 276, 22, 120);
    AddMainLabel(this, gbxStartStop, "Stop date (dd/mm/yyyy):", 10, 50, 262);
    dbedtTimEnd = edit(gbxStartStop, "dbedtTimEnd", "TIMEND", 276, 50, 120);

    // Output Control
    btnDetailedOutputOptions = button(tsOutputControl, "btnDetailedOutputOptions", "Detailed output options ...", 8, 8,
                                      200, [this](TObject* sender) { btnDetailedOutputOptionsClick(sender); });
    gbxGeneral = MakeMainControl<TGroupBox>(this, tsOutputControl, "gbxGeneral");
    gbxGeneral->SetCaption(" General");
    gbxGeneral->SetBounds(8, 42, 512, 248);
    y = 22;
    AddMainLabel(this, gbxGeneral, "Date format:", 10, y, 262);
    cbOptDateFormatCode = lookup(gbxGeneral, "cbOptDateFormatCode", "OPTDATEFORMATCODE", ds(&TdmQuelm::dsOptDateFormats),
                                 "OPTDATEFORMATCODE", "DESCRIPTION", 276, y, 190);
    y += kRowHeight;
    AddMainLabel(this, gbxGeneral, "Real format:", 10, y, 262);
    cbRealFormat = edit(gbxGeneral, "cbRealFormat", "REALFORMAT", 276, y, 120);
    y += kRowHeight;
    AddMainLabel(this, gbxGeneral, "Print method:", 10, y, 262);
    cbOptDelTimPrn = lookup(gbxGeneral, "cbOptDelTimPrn", "OPTDELTIMPRNCODE", ds(&TdmQuelm::dsOptDelTimPrns),
                            "OPTDELTIMPRNCODE", "OPTDELTIMPRNCODE", 276, y, 190);
    cbOptDelTimPrn->OnClick = [this](TObject* sender) { cbOptDelTimPrnClick(sender); };
    y += kRowHeight;
    AddMainLabel(this, gbxGeneral, "Print timestep (d):", 10, y, 262);
    dbedtDelTimPrn = edit(gbxGeneral, "dbedtDelTimPrn", "DELTIMPRN", 276, y, 120);
    y += kRowHeight;
    AddMainLabel(this, gbxGeneral, "Summary output:", 10, y, 262);
    cbSummary = MakeMainControl<TCheckBox>(this, gbxGeneral, "cbSummary");
    cbSummary->SetChecked(true);
    cbSummary->SetBounds(276, y, 20, kMainControlHeight);
    cbSummary->OnClick = [this](TObject* sender) { cbSummaryClick(sender); };
    y += kRowHeight;
    AddMainLabel(this, gbxGeneral, "Detailed output:", 10, y, 262);
    chkDetailedOutput = check(gbxGeneral, "chkDetailedOutput", "DETAILEDOUTPUT", 276, y);
    y += kRowHeight;
    AddMainLabel(this, gbxGeneral, "Depth of target layer (m):", 10, y, 262);
    edtZFoc = edit(gbxGeneral, "edtZFoc", "ZFOC", 276, y, 120);
    y += kRowHeight;
    AddMainLabel(this, gbxGeneral, "Output cumulative:", 10, y, 262);
    chkPrintCumulatives = check(gbxGeneral, "chkPrintCumulatives", "PRINTCUMULATIVES", 276, y);

    // Hydrological module
    gbxHydrology = MakeMainControl<TGroupBox>(this, tsHydrology, "gbxHydrology");
    gbxHydrology->SetCaption("Aquenta Control Parameters");
    gbxHydrology->SetBounds(8, 8, 512, 248);
    struct HydrologyRow {
        const char* label;
        TDBEdit** edit;
        TDBLookupComboBox** combo;
        const char* name;
        const char* field;
    } const hydrologyRows[] = {
        {"Minimum time step (d):", &edtDelTimSwaMin, nullptr, "edtDelTimSwaMin", "DELTIMSWAMIN"},
        {"Maximum time step (d):", &edtDelTimSwaMax, nullptr, "edtDelTimSwaMax", "DELTIMSWAMAX"},
        {"Tolerance in Aquenta (-):", &edtThetaTol, nullptr, "edtThetaTol", "THETATOL"},
        {"Hydraulic option:", nullptr, &cbOptHyd, "cbOptHyd", "OPTHYD"},
        {"Tolerance of the groundwater level (cm):", &edtGWLTol, nullptr, "edtGWLTol", "GWLTOL"},
        {"Maximum number of iterations (-):", &edtMaxItSwa, nullptr, "edtMaxItSwa", "MAXITSWA"},
        {"Hysteresis:", nullptr, &cbOptHysteresisCode, "cbOptHysteresisCode", "OPTHYSTERESISCODE"},
        {"Minimum pressure head to switch drying/wetting (cm):", &edtPreHeaWetDryMin, nullptr, "edtPreHeaWetDryMin",
         "PREHEAWETDRYMIN"},
    };
    y = 22;
    for (const HydrologyRow& row : hydrologyRows) {
        AddMainLabel(this, gbxHydrology, row.label, 10, y, 330);
        if (row.edit)
            *row.edit = edit(gbxHydrology, row.name, row.field, 344, y, 120);
        y += kRowHeight;
    }
    cbOptHyd = lookup(gbxHydrology, "cbOptHyd", "OPTHYD", ds(&TdmQuelm::dsOptHyds), "OPTHYD", "DESCRIPTION", 344,
                      22 + 3 * kRowHeight, 160);
    cbOptHysteresisCode = lookup(gbxHydrology, "cbOptHysteresisCode", "OPTHYSTERESISCODE",
                                 ds(&TdmQuelm::dsOptHysteresisCodes), "OPTHYSTERESISCODE", "DESCRIPTION", 344,
                                 22 + 6 * kRowHeight, 160);
    cbOptHysteresisCode->OnClick = [this](TObject* sender) { cbOptHysteresisCodeClick(sender); };

    // Run Status (read-only)
    auto text = [&](const String& name, const String& field, int left, int top, int width) {
        auto* control = MakeMainControl<TDBText>(this, tsRunStatus, name);
        control->SetDataSource(runs);
        control->SetDataField(field);
        control->SetBounds(left, top + 3, width, 17);
        return control;
    };
    AddMainLabel(this, tsRunStatus, "RunID:", 8, 8, 160);
    txtRunID = text("txtRunID", "RUNID", 176, 8, 120);
    AddMainLabel(this, tsRunStatus, "QUELM error messages:", 8, 36, 200);
    memModelErrorText = MakeMainControl<TDBMemo>(this, tsRunStatus, "memModelErrorText");
    memModelErrorText->SetDataSource(runs);
    memModelErrorText->SetDataField("MODELERRORTEXT");
    memModelErrorText->SetReadOnly(true);
    memModelErrorText->SetBounds(8, 60, 512, 200);
    AddMainLabel(this, tsRunStatus, "Creation date:", 8, 270, 160);
    txtCreationDate = text("txtCreationDate", "CREATIONDATE", 176, 270, 200);
    AddMainLabel(this, tsRunStatus, "Modification date:", 8, 298, 160);
    txtModificationDate = text("txtModificationDate", "MODIFICATIONDATE", 176, 298, 200);
    AddMainLabel(this, tsRunStatus, "Summary results:", 8, 326, 160);
    txtResultsSummary = text("txtResultsSummary", "RESULTSSUMMARY", 176, 326, 200);
    AddMainLabel(this, tsRunStatus, "Detailed results:", 8, 354, 160);
    txtResultsDetailed = text("txtResultsDetailed", "RESULTSDETAILED", 176, 354, 200);

    busyControls_ = {pnlMain, gbxBrowseRuns, gbxEditRuns};
}

// ---------------------------------------------------------------- life cycle

void TfrmMain::FormCreate(TObject*)
{
    Screen->SetCursor(crHourGlass);
    Application->OnException = [this](TObject* sender, Exception* e) { ApplicationEvents1Exception(sender, e); };
    Application->OnIdle = [this](TObject* sender, bool& done) { ApplicationEvents1Idle(sender, done); };
    if (!dmQuelm || !dmQuelm->dbDatabase->Connected())
        return;
    WizardBusy = false;
    KernelBusy = false;
    FirstActivation = true;
    SyncPlotIniFile();
    PageControl1->SetActivePage(tsScenario);
    dbedtChangeDetection->SetDataSource(dmQuelm->dsRuns);
    dbedtChangeDetection->SetDataField("CHANGEDETECTION");
    dbedtChangeDetection->OnChange = [this](TObject* sender) { dbedtChangeDetectionChange(sender); };
}

void TfrmMain::FormActivate(TObject*)
{
    Screen->SetCursor(crHourGlass);
    if (!dmQuelm || !dmQuelm->dbDatabase->Connected()) {
        // the data module has told the user why; the program ends without a working window
        Application->Terminate();
        return;
    }
    Invalidate();
    if (FirstActivation)
        pnlOpeningLastSavedProject->SetVisible(true);
    OpenLookupTables();
    UpdateCaption();
    UpdateControlState();
    if (FirstActivation) {
        ReconcileRunResults();
        pnlOpeningLastSavedProject->SetVisible(false);
    }
    if (dmQuelm->tblRuns->IsEmpty())
        MessageDlg("No runs yet in project. Create runs with + button first.", mtInformation, {mbOK}, 0);
    FirstActivation = false;
}

void TfrmMain::FormClose(TObject*, TCloseAction& action)
{
    if (KernelBusy) {
        action = caNone;
        return;
    }
    if (MessageDlg(Format("Close %s application ?", {GetProductName()}), mtConfirmation, mbYesNo, 0) != mrYes) {
        action = caNone;
        return;
    }
    if (dmQuelm && dmQuelm->tblRuns->Active())
        PostPendingEdits(dmQuelm->tblRuns);
}

void TfrmMain::FormDestroy(TObject*)
{
    TVersionInfo::DestroySingleton();
}

void TfrmMain::ApplicationEvents1Idle(TObject*, bool&)
{
    Screen->SetCursor(crDefault);
    if (dmQuelm && !dmQuelm->ConfirmEnabled())
        dmQuelm->ConfirmOn();
}

void TfrmMain::ApplicationEvents1Exception(TObject*, Exception* e)
{
    if (auto* engine = dynamic_cast<EDBEngineError*>(e)) {
        ShowDatabaseError(*engine);
        return;
    }
    MessageDlg(e->Message(), mtError, {mbOK}, 0);
}

// ---------------------------------------------------------------- the window's own routines

void TfrmMain::OpenLookupTables()
{
    for (TTable* table : {dmQuelm->tblApplicationSchemes, dmQuelm->tblCultivationSeqs, dmQuelm->tblDepositionSchemes,
                          dmQuelm->tblIrrigationSchemes, dmQuelm->tblLocations})
        OpenUnfiltered(table);
    // only parent substances are offered
    TTable* substances = dmQuelm->tblSubstances;
    substances->SetFilter("IsParent = 'Yes'");
    substances->FilterOptions = foCaseInsensitive;
    substances->SetFiltered(true);
    OpenOrRefresh(substances);
    for (TTable* table : {dmQuelm->tblTortNames, dmQuelm->tblTillageSchemes, dmQuelm->tblOptDelTimEvt,
                          dmQuelm->tblOptHyds, dmQuelm->tblOptDateFormats, dmQuelm->tblOptReports,
                          dmQuelm->tblOptDelTimPrns, dmQuelm->tblOptHysteresisCodes,
                          dmQuelm->tblOptOutputDepthTypeCodes})
        OpenUnfiltered(table);
    if (!dmQuelm->tblProjects->Active())
        dmQuelm->tblProjects->Open();
    if (!dmQuelm->tblProjectLast->Active()) {
        dmQuelm->tblProjectLast->Open();
        if (!dmQuelm->tblProjectLast->IsEmpty())
            dmQuelm->tblProjects->Locate("PROJECTID", dmQuelm->tblProjectLast->FieldByName("PROJECTID")->Value(), 0);
    }
    OpenOrRefresh(dmQuelm->tblRuns);
    gbxEditRuns->SetVisible(false);
    gbxEditRuns->SetVisible(true);
}

void TfrmMain::UpdateCaption()
{
    const String project = dmQuelm->tblProjects->Active() && !dmQuelm->tblProjects->IsEmpty()
                               ? dmQuelm->tblProjects->FieldByName("DESCRIPTION")->AsString()
                               : String();
    SetCaption(Format("%s - Database: %s, Project: %s",
                      {GetApplicationTitle(), dmQuelm->DatabaseFileName(), project}));
}

void TfrmMain::LockRunControls(bool locked)
{
    const TColor colour = locked ? clBtnFace : clWindow;
    for (TDBLookupComboBox* combo : {cbLocations, cbCropCalendars, cbIrrigationSchemes, cbTillageSchemes,
                                     cbDepositionSchemes, cbOptDelTimEvt, cbOptHysteresisCode}) {
        combo->SetEnabled(!locked);
        combo->SetColor(colour);
    }
    for (TDBEdit* edit : {dbedtTimStart, dbedtTimEnd, edtDelTimSwaMin, edtDelTimSwaMax, edtThetaTol, edtMaxItSwa,
                          edtPreHeaWetDryMin, edtAmaSysEnd}) {
        edit->SetEnabled(!locked);
        edit->SetColor(colour);
    }
    btnInitialConditionsPest->SetEnabled(!locked);
    btnInitialConditionsGroundWater->SetEnabled(!locked);
    chkRepeatHydrology->SetEnabled(!locked);
    // the groundwater tolerance is never edited here; only its colour follows the lock
    edtGWLTol->SetEnabled(false);
    edtGWLTol->SetColor(colour);
}

void TfrmMain::UpdateControlState()
{
    for (TControl* control : std::initializer_list<TControl*>{btnCopy, btnCalculate, btnReports, btnUserDefinedGraphs})
        control->SetEnabled(false);
    const std::vector<TMenuItem*> commands = {mnuEditLocations, mnuEditCropCalendars, mnuEditIrrigationSchemes,
                                              mnuEditSubstances, mnuEditApplications, mnuEditDepositionSchemes,
                                              ViewInputFile, ViewSummaryOutputFile, ViewDetailedOutputFile,
                                              ViewLogFile, ViewErrorFile, CalculateSelectedRuns1,
                                              mnuUserdefinedgraphs, Deleteoutputofselectedrun1, SelectAllRuns1,
                                              DeselectAllRuns1, mnuRunsArchiveSelectedRun,
                                              mnuRunsMoveSelectedRunToOtherProject1};
    for (TMenuItem* item : commands)
        item->SetEnabled(false);
    LockRunControls(true);
    Invalidate();

    if (!dmQuelm || !dmQuelm->tblProjects->Active() || !dmQuelm->tblRuns->Active() || WizardBusy)
        return;
    TTable* runs = dmQuelm->tblRuns;
    const bool restricted = UpperField(runs, "ISRESTRICTEDRUN") == "YES";
    const bool hasRuns = !runs->IsEmpty() || runs->State() == dsInsert;
    if (!hasRuns) {
        gbxEditRuns->SetVisible(false);
    } else {
        gbxEditRuns->SetVisible(true);
        for (TMenuItem* item : {mnuEditLocations, mnuEditCropCalendars, mnuEditIrrigationSchemes, mnuEditSubstances,
                                mnuEditApplications, mnuEditDepositionSchemes, ViewInputFile, CalculateSelectedRuns1,
                                Deleteoutputofselectedrun1, SelectAllRuns1, DeselectAllRuns1,
                                mnuRunsArchiveSelectedRun, mnuRunsMoveSelectedRunToOtherProject1})
            item->SetEnabled(true);
        btnCopy->SetEnabled(true);
        btnCalculate->SetEnabled(true);
        const int runId = runs->FieldByName("RUNID")->AsInteger();
        ViewSummaryOutputFile->SetEnabled(UpperField(runs, "RESULTSSUMMARY") == "AVAILABLE");
        const bool detailed = UpperField(runs, "RESULTSDETAILED") == "AVAILABLE";
        ViewDetailedOutputFile->SetEnabled(detailed);
        btnUserDefinedGraphs->SetEnabled(detailed);
        mnuUserdefinedgraphs->SetEnabled(detailed);
        ViewLogFile->SetEnabled(LogFileExists(runId));
        ViewErrorFile->SetEnabled(ErrorFileExists(runId));
        btnReports->SetEnabled(UpperField(runs, "RESULTSREPORT") == "YES");
    }
    if (!restricted)
        LockRunControls(false);
    cbOptDelTimPrnClick(this);
    cbOptHysteresisCodeClick(this);
}

void TfrmMain::ReconcileRunResults()
{
    ShowRunsGrid(false);
    Invalidate();
    try {
        dmQuelm->ReconcileRunResults();
    } catch (...) {
        ShowRunsGrid(true);
        throw;
    }
    ShowRunsGrid(true);
}

void TfrmMain::ShowRunsGrid(bool visible)
{
    grdRuns->SetVisible(visible);
    lblWaitForGrid->SetVisible(!visible);
}

void TfrmMain::SetKernelBusy(bool busy)
{
    for (TMenuItem* menu : busyMenus_)
        menu->SetEnabled(!busy);
    for (TControl* control : busyControls_)
        control->SetEnabled(!busy);
    KernelBusy = busy;
}

// ---------------------------------------------------------------- commands

void TfrmMain::Opendatabase1Click(TObject*)
{
    PostPendingEdits(dmQuelm->tblRuns);
    MessageBeep(0);
    if (MessageDlg("This is for advanced users only !!\r\rDo you want to continue opening another database ?",
                   mtWarning, mbYesNo, 0) != mrYes)
        return;
    if (!dmQuelm->OpenOtherDatabase()) {
        Application->Terminate();
        return;
    }
    pnlOpeningLastSavedProject->SetVisible(true);
    Invalidate();
    OpenLookupTables();
    UpdateCaption();
    ReconcileRunResults();
    UpdateControlState();
    pnlOpeningLastSavedProject->SetVisible(false);
}

void TfrmMain::Exit1Click(TObject*)
{
    Close();
}

void TfrmMain::btnProjectsClick(TObject*)
{
    PostPendingEdits(dmQuelm->tblRuns);
    SelectProject();
}

void TfrmMain::SelectProject()
{
    Application->SetTitle(GetApplicationTitle());
    {
        std::unique_ptr<TfrmProjects> projects(New<TfrmProjects>(nullptr));
        projects->ShowModal();
    }
    UpdateCaption();
    Invalidate();
    Screen->SetCursor(crHourGlass);
    ReconcileRunResults();
    UpdateControlState();
    TTable* last = dmQuelm->tblProjectLast;
    OpenOrRefresh(last);
    if (!last->IsEmpty()) {
        last->First();
        last->Edit();
        last->FieldByName("PROJECTID")->SetAsInteger(dmQuelm->tblProjects->FieldByName("PROJECTID")->AsInteger());
        dmQuelm->ConfirmOff();
        last->Post();
    }
    if (dmQuelm->tblRuns->IsEmpty())
        MessageDlg("No runs yet in project. Create runs with + button first", mtInformation, {mbOK}, 0);
}

void TfrmMain::btnCreateRunsWizardClick(TObject*)
{
    PostPendingEdits(dmQuelm->tblRuns);
    WizardBusy = true;
    try {
        std::unique_ptr<TfrmCreateRunsWizard> wizard(New<TfrmCreateRunsWizard>(nullptr));
        wizard->ShowModal();
    } catch (...) {
        WizardBusy = false;
        throw;
    }
    UpdateCaption();
    OpenLookupTables();
    gbxEditRuns->SetVisible(false);
    gbxEditRuns->SetVisible(true);
    if (dmQuelm->tblRuns->Active())
        dmQuelm->tblRuns->First();
    WizardBusy = false;
    UpdateControlState();
    // the project shown (the wizard's own when it made runs) is the one opened next time
    TTable* last = dmQuelm->tblProjectLast;
    OpenOrRefresh(last);
    if (!last->IsEmpty() && dmQuelm->tblProjects->Active() && !dmQuelm->tblProjects->IsEmpty()) {
        last->First();
        last->Edit();
        last->FieldByName("PROJECTID")->SetAsInteger(dmQuelm->tblProjects->FieldByName("PROJECTID")->AsInteger());
        dmQuelm->ConfirmOff();
        last->Post();
    }
}

void TfrmMain::mnuUserdefinedgraphsClick(TObject*)
{
    PostPendingEdits(dmQuelm->tblRuns);
    {
        std::unique_ptr<TfrmDetailedOutputGraphs2> graphs(New<TfrmDetailedOutputGraphs2>(nullptr));
        graphs->ShowModal();
    }
    OpenLookupTables();
}

void TfrmMain::btnDetailedOutputOptionsClick(TObject*)
{
    PostPendingEdits(dmQuelm->tblRuns);
    {
        std::unique_ptr<TfrmDetailedOutputOptions2> options(New<TfrmDetailedOutputOptions2>(nullptr));
        options->ShowModal();
    }
    OpenLookupTables();
}

void TfrmMain::GraphTemplates1Click(TObject*)
{
    PostPendingEdits(dmQuelm->tblRuns);
    {
        std::unique_ptr<TfrmGraphTemplates> templates(New<TfrmGraphTemplates>(nullptr));
        templates->ShowModal();
    }
    OpenLookupTables();
}

void TfrmMain::CalculateSelectedRuns1Click(TObject*)
{
    TdmQuelm::TCalculationView view;
    view.AskRunOptions = [](TdmQuelm::TRunOptions& options) {
        std::unique_ptr<TfrmMultipleRunOptions> form(New<TfrmMultipleRunOptions>(nullptr));
        if (form->ShowModal() != mrOk)
            return false;
        options.WindowMode = static_cast<TRunWindowMode>(std::max(0, form->rgWindowType->ItemIndex()));
        options.StopOnError = form->cbxStopOnError->Checked();
        return true;
    };
    view.SetBusy = [this](bool busy) { SetKernelBusy(busy); };
    view.ShowRunsGrid = [this](bool visible) { ShowRunsGrid(visible); };
    view.ShowRunStatus = [this] { PageControl1->SetActivePage(tsRunStatus); };
    view.Repaint = [this] { Invalidate(); };
    view.OpenLookupTables = [this] { OpenLookupTables(); };
    view.UpdateControlState = [this] { UpdateControlState(); };
    dmQuelm->CalculateSelectedRuns(view);
}

void TfrmMain::grdRunsDblClick(TObject*)
{
    dmQuelm->ToggleRunSelection();
    UpdateControlState();
}

void TfrmMain::SelectAllRuns1Click(TObject*)
{
    ShowRunsGrid(false);
    Invalidate();
    dmQuelm->SetAllRunsSelected(true);
    ShowRunsGrid(true);
    UpdateControlState();
}

void TfrmMain::DeselectAllRuns1Click(TObject*)
{
    ShowRunsGrid(false);
    Invalidate();
    dmQuelm->SetAllRunsSelected(false);
    ShowRunsGrid(true);
    UpdateControlState();
}

void TfrmMain::Deleteoutputofselectedrun1Click(TObject*)
{
    dmQuelm->DeleteRunFiles();
    UpdateControlState();
}

void TfrmMain::btnCopyClick(TObject*)
{
    dmQuelm->CopyCurrentRun();
    UpdateControlState();
}

void TfrmMain::btnReportsClick(TObject*)
{
    PostPendingEdits(dmQuelm->tblRuns);
    int choice = -1;
    {
        std::unique_ptr<TfrmReportOptions> options(New<TfrmReportOptions>(nullptr));
        if (options->ShowModal() == mrOk)
            choice = options->ReportOptions->ItemIndex();
    }
    if (choice >= 0) {
        if (RecordedRegionalSettings().DecimalSeparator != '.')
            MessageDlg("Please take note that the Decimal Separator character\rof this report is a dot !! (So two and "
                       "a half is presented as 2.5)",
                       mtInformation, {mbOK}, 0);
        if (choice == TfrmReportOptions::RunReport)
            ShowRunReport();
        else if (choice == TfrmReportOptions::ProjectSummary)
            ShowProjectSummary();
    }
    OpenLookupTables();
}

void TfrmMain::ShowProjectSummary()
{
    std::unique_ptr<TfrmProjectSummary> summary(New<TfrmProjectSummary>(nullptr));
    const int projectId = dmQuelm->tblRuns->FieldByName("PROJECTID")->AsInteger();
    summary->SetProjectInfo(projectId,
                            dmQuelm->LookupString(dmQuelm->tblProjects, projectId, "DESCRIPTION", "PROJECTID"));
    summary->ShowModal();
}

void TfrmMain::mnuRunsArchiveSelectedRunClick(TObject*)
{
    PostPendingEdits(dmQuelm->tblRuns);
    std::unique_ptr<TfrmArchiveDirectory> archive(New<TfrmArchiveDirectory>(nullptr));
    archive->SetRunID(dmQuelm->tblRuns->FieldByName("RUNID")->AsInteger());
    archive->ShowModal();
}

void TfrmMain::mnuRunsMoveSelectedRunToOtherProject1Click(TObject*)
{
    TTable* runs = dmQuelm->tblRuns;
    PostPendingEdits(runs);
    const int runId = runs->FieldByName("RUNID")->AsInteger();
    {
        std::unique_ptr<TfrmMoveRunToOtherProject> move(New<TfrmMoveRunToOtherProject>(nullptr));
        move->edtRunID->SetText(IntToStr(runId));
        move->edtRunName->SetText(runs->FieldByName("NAME")->AsString());
        move->CurrentProjectID = runs->FieldByName("PROJECTID")->AsString();
        move->ShowModal();
    }
    runs->Refresh();
    FormActivate(this);
    if (!runs->Locate("RUNID", Variant(runId), 0))
        MessageDlg("Internal error", mtError, {mbOK}, 0);
}

void TfrmMain::ShowRunFile(const String& path)
{
    PostPendingEdits(dmQuelm->tblRuns);
    ShowFileInViewer(path);
}

void TfrmMain::ViewInputFileClick(TObject*)
{
    PostPendingEdits(dmQuelm->tblRuns);
    const int runId = dmQuelm->tblRuns->FieldByName("RUNID")->AsInteger();
    {
        TInputFile writer(runId, InputFilePath(runId));
        writer.WriteInputFile();
    }
    ShowFileInViewer(InputFilePath(runId));
}

void TfrmMain::ViewSummaryOutputFileClick(TObject*)
{
    ShowRunFile(SummaryFilePath(dmQuelm->tblRuns->FieldByName("RUNID")->AsInteger()));
}

void TfrmMain::ViewDetailedOutputFileClick(TObject*)
{
    ShowRunFile(OutputFilePath(dmQuelm->tblRuns->FieldByName("RUNID")->AsInteger()));
}

void TfrmMain::ViewLogFileClick(TObject*)
{
    ShowRunFile(LogFilePath(dmQuelm->tblRuns->FieldByName("RUNID")->AsInteger()));
}

void TfrmMain::ViewErrorFileClick(TObject*)
{
    ShowRunFile(ErrorFilePath(dmQuelm->tblRuns->FieldByName("RUNID")->AsInteger()));
}

void TfrmMain::mnuQuelmWebsiteClick(TObject*)
{
    OpenOrRefresh(dmQuelm->tbldbInfo);
    dmQuelm->tbldbInfo->First();
    ShellExecute(Handle(), "Open", dmQuelm->tbldbInfo->FieldByName("WEBSITE")->AsString(), "", "", SW_SHOWNORMAL);
}

void TfrmMain::mnuQuelmTheoryDocumentClick(TObject*)
{
    OpenOrRefresh(dmQuelm->tbldbInfo);
    dmQuelm->tbldbInfo->First();
    ShellExecute(Handle(), "Open", dmQuelm->tbldbInfo->FieldByName("WEBSITE")->AsString() + "/pdf/quelmthe.pdf", "",
                 "", SW_SHOWNORMAL);
}

void TfrmMain::mnuAboutClick(TObject*)
{
    std::unique_ptr<TfrmAbout> about(New<TfrmAbout>(nullptr));
    about->ShowModal();
}

// ---------------------------------------------------------------- field rules

void TfrmMain::cbOptDelTimPrnClick(TObject*)
{
    dbedtDelTimPrn->SetEnabled(cbOptDelTimPrn->Text() == "Other");
}

void TfrmMain::cbOptHysteresisCodeClick(TObject*)
{
    // the list shows the descriptions; the rule is about the chosen code
    const bool none = dmQuelm && dmQuelm->tblRuns->Active() && !dmQuelm->tblRuns->IsEmpty() &&
                      UpperField(dmQuelm->tblRuns, "OPTHYSTERESISCODE") == "NO";
    if (UpperField(dmQuelm->tblRuns, "ISRESTRICTEDRUN") != "YES")
        edtPreHeaWetDryMin->SetEnabled(!none);
}

void TfrmMain::cbSummaryClick(TObject*)
{
    if (cbSummary->Checked())
        return;
    MessageDlg("Switching off Summary output not possible yet", mtError, {mbOK}, 0);
    cbSummary->SetChecked(true);
}

void TfrmMain::cbSubstancesClick(TObject*)
{
    TTable* runs = dmQuelm->tblRuns;
    if (UpperField(runs, "SUBSTANCECODE") != "NO")
        return;
    if (runs->State() == dsBrowse)
        runs->Edit();
    runs->FieldByName("APPLICATIONSCHEMECODE")->SetAsString("No");
    MessageDlg("Changed also Application Scheme to \"No\"", mtInformation, {mbYes}, 0);
}

void TfrmMain::edtRunNameChange(TObject*)
{
    // renaming a run keeps its results (only the user's typing counts, not the value shown
    // again when the record changes state)
    if (dmQuelm && dmQuelm->tblRuns->State() == dsEdit && edtRunName->Modified())
        dmQuelm->tblRuns->FieldByName("DISABLERESULTS")->SetAsString("No");
    TEditorForm::RemoveExtendedChars(edtRunName);
}

void TfrmMain::dbedtChangeDetectionChange(TObject*)
{
    UpdateControlState();
}

// ---------------------------------------------------------------- database errors

void ShowDatabaseError(const EDBEngineError& error)
{
    bool shown = false;
    const String name = UpperCase(error.ConstraintName());
    if (error.ErrorCount() >= 1 && !name.empty() && dmQuelm && dmQuelm->dbDatabase->Connected()) {
        const uint8_t category = error.Errors(0).Category();
        const String quoted = "'" + StringReplace(name, "'", "''", rfReplaceAll) + "'";
        std::unique_ptr<TQuery> query(dmQuelm->NewQuery());
        if (category == kCategoryGeneralSql) {
            query->SQL.SetText("SELECT XCONSTRAINT,XTEXT FROM CONSTRAINTS WHERE UPPER(CODE)=" + quoted);
            query->Open();
            if (!query->IsEmpty()) {
                const String text = query->FieldByName("XTEXT")->AsString();
                if (!text.empty())
                    MessageDlg(text, mtError, {mbOK}, 0);
                else
                    MessageDlg("One or more values are prohibited by the validation rule \"" +
                                   query->FieldByName("XCONSTRAINT")->AsString() + "\".",
                               mtError, {mbOK}, 0);
                shown = true;
            }
        } else if (category == kCategoryIntegrity) {
            query->SQL.SetText("SELECT XTEXT FROM CONSTRAINTS WHERE UPPER(CODE)=" + quoted);
            query->Open();
            if (!query->IsEmpty()) {
                const String text = query->FieldByName("XTEXT")->AsString();
                if (!text.empty()) {
                    MessageDlg(text, mtError, {mbOK}, 0);
                    shown = true;
                } else {
                    MessageDlg("Internal error", mtError, {mbOK}, 0);
                }
            }
        }
    }
    if (!shown)
        MessageDlg(error.Message(), mtError, {mbOK}, 0);
}
