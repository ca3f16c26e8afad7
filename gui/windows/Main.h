#pragma once
// quelmgui's main window: the runs of the current project in a grid, the current run in a
// five-page editor bound to the data module's Runs table, and the commands on them; every
// other window of the program is opened from here. It also hosts the application-wide idle
// handler (default cursor back, confirmation switch re-armed) and the exception handler that
// turns database rule violations into the user's texts of table CONSTRAINTS.
//
// Busy state: while the model kernel runs, the menus and panels are disabled and closing the
// window is refused; the state is taken back however the calculation ends.
#include "platform/dbctrls/DBCtrls.h"
#include "platform/dbctrls/DBGrids.h"
#include "platform/framework/Buttons.h"
#include "platform/framework/ComCtrls.h"
#include "platform/framework/ExtCtrls.h"
#include "platform/framework/Forms.h"
#include "platform/framework/Menus.h"
#include "platform/framework/StdCtrls.h"

#include "platform/db/DBTables.h"

#include <vector>

class TfrmMain : public TForm {
public:
    explicit TfrmMain(TComponent* owner);
    ~TfrmMain() override;
    String ClassName() const override { return "TfrmMain"; }

    // Menus
    TMainMenu* MainMenu1 = nullptr;
    TMenuItem *mnuFile = nullptr, *Opendatabase1 = nullptr, *Exit1 = nullptr;
    TMenuItem *mnuEdit = nullptr, *mnuEditProjects = nullptr, *mnuEditLocations = nullptr,
              *mnuEditCropCalendars = nullptr, *mnuEditIrrigationSchemes = nullptr, *mnuEditSubstances = nullptr,
              *mnuEditApplications = nullptr, *mnuEditDepositionSchemes = nullptr;
    TMenuItem *mnuView = nullptr, *ViewInputFile = nullptr, *ViewSummaryOutputFile = nullptr,
              *ViewDetailedOutputFile = nullptr, *ViewLogFile = nullptr, *ViewErrorFile = nullptr;
    TMenuItem *mnuCalculate = nullptr, *CalculateSelectedRuns1 = nullptr;
    TMenuItem *mnuGraphs = nullptr, *mnuUserdefinedgraphs = nullptr, *GraphTemplates1 = nullptr;
    TMenuItem *mnuRuns = nullptr, *Deleteoutputofselectedrun1 = nullptr, *SelectAllRuns1 = nullptr,
              *DeselectAllRuns1 = nullptr, *mnuRunsArchiveSelectedRun = nullptr,
              *mnuRunsMoveSelectedRunToOtherProject1 = nullptr;
    TMenuItem *mnuHelp = nullptr, *mnuQuelmUserSupport = nullptr, *mnuQuelmTheoryDocument = nullptr,
              *mnuQuelmWebsite = nullptr, *mnuAbout = nullptr;

    // Toolbar
    TPanel* pnlMain = nullptr;
    TSpeedButton *btnExit = nullptr, *btnCalculate = nullptr, *btnProjects = nullptr, *btnCreateRunsWizard = nullptr;

    // Run list
    TGroupBox* gbxBrowseRuns = nullptr;
    TLabel* lblWaitForGrid = nullptr;
    TDBGrid* grdRuns = nullptr;
    TDBNavigator* navRunsFull = nullptr;
    TButton *btnCopy = nullptr, *btnUserDefinedGraphs = nullptr, *btnReports = nullptr;

    // Run editor
    TGroupBox* gbxEditRuns = nullptr;
    TPageControl* PageControl1 = nullptr;
    TTabSheet *tsScenario = nullptr, *tsSimulationControl = nullptr, *tsOutputControl = nullptr,
              *tsHydrology = nullptr, *tsRunStatus = nullptr;
    TDBEdit* edtRunName = nullptr;
    TButton* btnRunComments = nullptr;
    TGroupBox *gbxScenario = nullptr, *gbxPesticide = nullptr;
    TDBLookupComboBox *cbLocations = nullptr, *cbCropCalendars = nullptr, *cbIrrigationSchemes = nullptr,
                      *cbOptDelTimEvt = nullptr, *cbTillageSchemes = nullptr, *cbApplicationSchemes = nullptr,
                      *cbDepositionSchemes = nullptr, *cbSubstances = nullptr;
    TButton *btnLocations = nullptr, *btnCropCalendars = nullptr, *btnIrrigationSchemes = nullptr,
            *btnTillageSchemes = nullptr, *btnApplicationSchemes = nullptr, *btnDepositionSchemes = nullptr,
            *btnSubstances = nullptr, *btnInitialConditionsPest = nullptr, *btnInitialConditionsGroundWater = nullptr;
    TDBEdit* edtAmaSysEnd = nullptr;
    TDBCheckBox* chkRepeatHydrology = nullptr;
    TGroupBox* gbxStartStop = nullptr;
    TDBEdit *dbedtTimStart = nullptr, *dbedtTimEnd = nullptr;
    TButton* btnDetailedOutputOptions = nullptr;
    TGroupBox* gbxGeneral = nullptr;
    TDBLookupComboBox *cbOptDateFormatCode = nullptr, *cbOptDelTimPrn = nullptr;
    TDBEdit *cbRealFormat = nullptr, *dbedtDelTimPrn = nullptr, *edtZFoc = nullptr;
    TCheckBox* cbSummary = nullptr;
    TDBCheckBox *chkDetailedOutput = nullptr, *chkPrintCumulatives = nullptr;
    TGroupBox* gbxHydrology = nullptr;
    TDBEdit *edtDelTimSwaMin = nullptr, *edtDelTimSwaMax = nullptr, *edtThetaTol = nullptr, *edtGWLTol = nullptr,
            *edtMaxItSwa = nullptr, *edtPreHeaWetDryMin = nullptr;
    TDBLookupComboBox *cbOptHyd = nullptr, *cbOptHysteresisCode = nullptr;
    TDBText *txtRunID = nullptr, *txtCreationDate = nullptr, *txtModificationDate = nullptr,
            *txtResultsSummary = nullptr, *txtResultsDetailed = nullptr;
    TDBMemo* memModelErrorText = nullptr;

    TDBEdit* dbedtChangeDetection = nullptr;
    TPanel* pnlOpeningLastSavedProject = nullptr;

    // Window state
    bool FirstActivation = true;
    bool WizardBusy = false;
    bool KernelBusy = false;

    // Handlers
    void FormCreate(TObject* sender);
    void FormActivate(TObject* sender);
    void FormClose(TObject* sender, TCloseAction& action);
    void FormDestroy(TObject* sender);
    void ApplicationEvents1Idle(TObject* sender, bool& done);
    void ApplicationEvents1Exception(TObject* sender, Exception* e);
    void Opendatabase1Click(TObject* sender);
    void Exit1Click(TObject* sender);
    void btnProjectsClick(TObject* sender);
    void btnCreateRunsWizardClick(TObject* sender);
    void CalculateSelectedRuns1Click(TObject* sender);
    void mnuUserdefinedgraphsClick(TObject* sender);
    void GraphTemplates1Click(TObject* sender);
    void btnDetailedOutputOptionsClick(TObject* sender);
    void grdRunsDblClick(TObject* sender);
    void SelectAllRuns1Click(TObject* sender);
    void DeselectAllRuns1Click(TObject* sender);
    void Deleteoutputofselectedrun1Click(TObject* sender);
    void btnCopyClick(TObject* sender);
    void btnReportsClick(TObject* sender);
    void mnuRunsArchiveSelectedRunClick(TObject* sender);
    void mnuRunsMoveSelectedRunToOtherProject1Click(TObject* sender);
    void ViewInputFileClick(TObject* sender);
    void ViewSummaryOutputFileClick(TObject* sender);
    void ViewDetailedOutputFileClick(TObject* sender);
    void ViewLogFileClick(TObject* sender);
    void ViewErrorFileClick(TObject* sender);
    void mnuQuelmWebsiteClick(TObject* sender);
    void mnuQuelmTheoryDocumentClick(TObject* sender);
    void mnuAboutClick(TObject* sender);
    void cbOptDelTimPrnClick(TObject* sender);
    void cbOptHysteresisCodeClick(TObject* sender);
    void cbSummaryClick(TObject* sender);
    void cbSubstancesClick(TObject* sender);
    void edtRunNameChange(TObject* sender);
    void dbedtChangeDetectionChange(TObject* sender);

    void OpenLookupTables();
    // The project window, then the chosen project's runs; the choice is kept in ProjectLast.
    void SelectProject();
    void ShowProjectSummary();
    void UpdateCaption();
    void UpdateControlState();
    void ReconcileRunResults();
    // Menus and panels off (and closing refused) while the kernel runs, and back on.
    void SetKernelBusy(bool busy);
    // The runs grid is hidden during long walks over the runs; its label shows meanwhile.
    void ShowRunsGrid(bool visible);

private:
    void CreateMenus();
    void CreateToolbar();
    void CreateRunList();
    void CreateRunEditor();
    void LayoutRunList();
    // A command that opens a window of a later version: posts the run first when it should.
    void ShowRunFile(const String& path);
    void LockRunControls(bool locked);
    std::vector<TControl*> busyControls_;
    std::vector<TMenuItem*> busyMenus_;
    bool closing_ = false;
};

// Shows a database engine error as the user's text: the violated rule's text from table
// CONSTRAINTS when the engine names a rule that the table knows, else the engine's own text.
void ShowDatabaseError(const EDBEngineError& error);
