#pragma once
// The user-defined graphs window of the current run. The user picks output variables of the
// variable dictionary (only those the run writes are listed), and for them output depths, one
// substance or one vertical-profile date; the window writes the job file
// "UserDefinedGraph.set" into the work folder in plotwell's settings language and starts
// plotwell on it without waiting ("Graph..."), or starts rowsift on it and waits, to export
// the selected data as a text table ("Export to file ...").
//
// The data lines of the job file are at the same time rowsift's settings lines: the run's
// "<RunID>.out" (named without folder: both programs run in the work folder), the x column,
// the y expression, then column/value conditions. A time-series line takes column 1 as x and
// the scaled value of the rows whose third field is the variable; a profile line takes the
// scaled value as x and minus the depth as y from the rows of one substance and date.
//
// The graph choice (SELECTEDFORGRAPH) lives in the shared dictionary, so the next opening
// shows it again, less the variables the run does not write. Vertical-profile variables are
// never mixed with time-series variables.
#include "platform/dbctrls/DBCtrls.h"
#include "platform/dbctrls/DBGrids.h"
#include "platform/framework/CheckLst.h"
#include "platform/framework/ComCtrls.h"
#include "platform/framework/Dialogs.h"
#include "platform/framework/ExtCtrls.h"
#include "platform/framework/Forms.h"
#include "platform/framework/StdCtrls.h"

#include <cstdint>

class TfrmDetailedOutputGraphs2 : public TForm {
public:
    explicit TfrmDetailedOutputGraphs2(TComponent* owner);
    ~TfrmDetailedOutputGraphs2() override;
    String ClassName() const override { return "TfrmDetailedOutputGraphs2"; }

    TDBGrid* DBgrdCategories = nullptr;
    TDBGrid* DBgrdVariables = nullptr;
    TDBEdit* DBedtVariableName = nullptr; // hidden: follows the variables grid's row
    TPanel* pnlIntendedDepths = nullptr;
    TLabel* lblIntendedDepths = nullptr;
    TCheckListBox* clbRealOutputDepths = nullptr;
    TPanel* pnlSubstances = nullptr;
    TLabel* lblSubstances = nullptr;
    TCheckListBox* clbSubstances = nullptr;
    TPanel* pnlVerticalProfileDates = nullptr;
    TLabel* lblVerticalProfileDates = nullptr;
    TCheckListBox* clbVertProfDates = nullptr;
    TButton *btnGraph = nullptr, *btnGraphUsingTemplate = nullptr, *btnExport = nullptr, *btnClearAll = nullptr,
            *btnClose = nullptr, *btnHelp = nullptr;
    TStatusBar* StatusBar1 = nullptr;
    TSaveDialog* SaveDialog1 = nullptr;
    int HelpContext = 910;

    // Window state, recomputed by UpdateGraphSelectionState from the rows selected for graph.
    bool Cumulative = false;
    int SelectedCount = 0;
    bool DepthFlag = false;
    bool SubstanceFlag = false;
    bool ProfileFlag = false;

    // Writes the job file and gives its full path (work folder + "UserDefinedGraph.set").
    // With useTemplate, the current record of XYGraphTemplates adds its axes and free text.
    // The file is closed on every path; a failure raises an exception with the user's text.
    void CreateXYSetFile(bool useTemplate, String& jobPath);
    // Sum of the soil horizons' thickness of the run (m).
    double ProfileDepth();
    void UpdateGraphSelectionState();
    // Edits and posts SELECTEDFORGRAPH of the grid's current row.
    void SetSelectedForGraph(const String& value);

    void FormActivate(TObject* sender);
    void FormClose(TObject* sender, TCloseAction& action);
    void DBgrdVariablesDblClick(TObject* sender);
    void DBedtVariableNameChange(TObject* sender);
    void btnGraphClick(TObject* sender);
    void btnGraphUsingTemplateClick(TObject* sender);
    void btnExportClick(TObject* sender);
    void btnClearAllClick(TObject* sender);
    void btnCloseClick(TObject* sender) { Close(); }
    void clbSingleCheck(TCheckListBox* list);

private:
    void Status(const String& text);
    void ShowCategoryPanels();
    void ClearAllSelections();
    void LocateVariable(const String& name);
    bool updatingPanels_ = false;
};

// The value column of a vertical-profile variable in "<RunID>.out" (5 for THETA_VPRF up to
// 12 for CONGAS_VPRF, names compared in upper case); any other name raises
// "TfrmDetailedOutputGraphs2.CreateXYSetFile : internal error".
int ProfileColumn(const String& variableName);

// The line that a template adds for one axis: keyword, minimum, maximum, major and minor
// divisions, an empty value written as "!".
String TemplateAxisLine(const String& keyword, const String& minimum, const String& maximum, const String& major,
                        const String& minor);
// The template's free text as the job file's last line: one trailing line break (CR LF, LF
// or CR) is dropped, never any other character.
String TemplateFreeText(const String& text);

// Starts plotwell (plotwell's folder + "plotwell") with -c and the job path in double quotes,
// in the work folder, without waiting. A start that fails is reported to the user. Returns the
// shell's result code (above 32: started).
intptr_t StartPlotter(const String& jobPath);

// Runs rowsift on the job file (named without folder, in the work folder) in its "-xy" mode
// and waits for it, writing the selected data to exportPath. A failed start, a non-zero exit
// or an export file that is missing or empty afterwards is reported to the user, and the
// result is false; an earlier file at exportPath is removed first, so that it can never pass
// for this export.
bool ExportGraphData(const String& jobPath, const String& exportPath);
