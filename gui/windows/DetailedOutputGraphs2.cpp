#include "gui/windows/DetailedOutputGraphs2.h"

#include "CommonUnits/GeneralUnits/DxUtil.h"
#include "gui/windows/GraphUsingTemplate.h"
#include "CommonUnits/GeneralUnits/KernelRun_Unit.h"
#include "CommonUnits/GeneralUnits/Metaboliet.h"
#include "CommonUnits/GeneralUnits/QuelmFileUtils.h"
#include "CommonUnits/GeneralUnits/TVersionInfo_Unit.h"
#include "CommonUnits/GeneralUnits/Utils_Format_Unit.h"
#include "CommonUnits/GeneralUnits/Utils_Misc_Unit.h"
#include "CommonUnits/GeneralUnits/Utils_Sql_Unit.h"
#include "CommonUnits/GeneralUnits/dmQuelm_Unit.h"

#include "platform/win/WinEnvironment.h"
#include "platform/win/WinShell.h"

#include <fstream>
#include <memory>
#include <vector>

namespace {

const char* const kJobFileName = "UserDefinedGraph.set";

// Profile rows of "<RunID>.out": time, date, "Profile_<substance>", depth, then these values.
struct TProfileColumn {
    const char* name;
    int column;
};
const TProfileColumn kProfileColumns[] = {
    {"THETA_VPRF", 5},  {"PREHEA_VPRF", 6}, {"TEM_VPRF", 7},    {"CONSYS_VPRF", 8},
    {"CONSYSEQL_VPRF", 9}, {"CONSYSNEQ_VPRF", 10}, {"CONLIQ_VPRF", 11}, {"CONGAS_VPRF", 12},
};

bool Reads(TDataSet* ds, const char* field, const String& upper)
{
    return UpperCase(ds->FieldByName(field)->AsString()) == upper;
}

template <class T>
T* MakeDetailedOutputGraphs2Control(TComponent* owner, TWinControl* parent, const String& name)
{
    auto* control = new T(owner);
    control->SetName(name);
    control->SetParent(parent);
    return control;
}

String Quote(const String& text)
{
    return "'" + text + "'";
}

// A dictionary row selected for the graph, read before the file is written.
struct TGraphVariable {
    String category;
    String name;
    String descriptionNormal, unitNormal, descriptionCumulative, unitCumulative;
    String factor;
    bool hasDepth = false;
    bool isCompound = false;
};

std::vector<TGraphVariable> SelectedGraphVariables()
{
    std::unique_ptr<TQuery> query(dmQuelm->NewQuery());
    query->SQL.Add("SELECT CATEGORYCODE, VARIABLENAME, DESCRIPTIONNORMAL, UNITXYNORMAL, DESCRIPTIONCUMULATIVE,");
    query->SQL.Add("UNITXYCUMULATIVE, BASICTODISPLAYUNITCONVERSION, HASDEPTH, ISCOMPOUND");
    query->SQL.Add("FROM RunPrintVariablesDictionary WHERE UPPER(SelectedForGraph) = 'YES'");
    query->SQL.Add("ORDER BY CategoryCode, VariableName");
    query->Open();
    std::vector<TGraphVariable> rows;
    for (; !query->Eof(); query->Next()) {
        TGraphVariable v;
        v.category = query->FieldByName("CATEGORYCODE")->AsString();
        v.name = query->FieldByName("VARIABLENAME")->AsString();
        v.descriptionNormal = query->FieldByName("DESCRIPTIONNORMAL")->AsString();
        v.unitNormal = query->FieldByName("UNITXYNORMAL")->AsString();
        v.descriptionCumulative = query->FieldByName("DESCRIPTIONCUMULATIVE")->AsString();
        v.unitCumulative = query->FieldByName("UNITXYCUMULATIVE")->AsString();
        v.factor = query->FieldByName("BASICTODISPLAYUNITCONVERSION")->AsString();
        v.hasDepth = !Reads(query.get(), "HASDEPTH", NO_UPPER);
        v.isCompound = Reads(query.get(), "ISCOMPOUND", YES_UPPER);
        rows.push_back(v);
    }
    return rows;
}

// The items of a check list whose mark is set.
std::vector<String> CheckedItems(TCheckListBox* list)
{
    std::vector<String> items;
    for (int i = 0; i < list->Items()->Count(); ++i)
        if (list->Checked(i))
            items.push_back(list->Items()->Strings(i));
    return items;
}

} // namespace

// ---------------------------------------------------------------- free routines

int ProfileColumn(const String& variableName)
{
    const String upper = UpperCase(variableName);
    for (const TProfileColumn& c : kProfileColumns)
        if (upper == c.name)
            return c.column;
    throw Exception("TfrmDetailedOutputGraphs2.CreateXYSetFile : internal error");
}

String TemplateAxisLine(const String& keyword, const String& minimum, const String& maximum, const String& major,
                        const String& minor)
{
    auto given = [](const String& value) { return value.empty() ? String("!") : value; };
    return keyword + " " + minimum + " " + maximum + " " + given(major) + " " + given(minor);
}

String TemplateFreeText(const String& text)
{
    String line = text;
    if (line.size() >= 2 && line.compare(line.size() - 2, 2, "\r\n") == 0)
        line.resize(line.size() - 2);
    else if (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    return line;
}

intptr_t StartPlotter(const String& jobPath)
{
    const String program = JoinPath(GetPlotwellDir(), "plotwell");
    const int result = ShellExecuteFile(program, "-c \"" + jobPath + "\"", GetWorkDir(), SW_SHOW);
    if (result <= 32)
        MessageDlg("plotwell could not be started (" + program + ").", mtError, TMsgDlgButtons{mbOK}, 0);
    return result;
}

bool ExportGraphData(const String& jobPath, const String& exportPath)
{
    const String program = GetRowsiftExeName();
    const String arguments =
        ExtractFileName(jobPath) + " -o " + Quote(StringReplace(exportPath, "'", "''", rfReplaceAll)) + " -xy";
    if (FileExists(exportPath) && !DeleteFile(exportPath)) {
        MessageDlg("The file \"" + exportPath + "\" could not be replaced; the data were not exported.", mtError,
                   TMsgDlgButtons{mbOK}, 0);
        return false;
    }
    if (!RunAndWait(program, arguments, GetWorkDir(), 0)) {
        MessageDlg("rowsift could not be started (" + program + "); the data were not exported.", mtError,
                   TMsgDlgButtons{mbOK}, 0);
        return false;
    }
    const int exitCode = LastRunExitCode();
    if (exitCode != 0) {
        MessageDlg("rowsift ended with exit code " + IntToStr(exitCode) + "; the data were not exported.", mtError,
                   TMsgDlgButtons{mbOK}, 0);
        return false;
    }
    if (!FileExists(exportPath) || FileSize(exportPath) == 0) {
        MessageDlg("rowsift wrote no data to \"" + exportPath + "\"; the export failed.", mtError,
                   TMsgDlgButtons{mbOK}, 0);
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- construction

TfrmDetailedOutputGraphs2::TfrmDetailedOutputGraphs2(TComponent* owner) : TForm(owner)
{
    SetName("frmDetailedOutputGraphs2");
    SetCaption(Format("%s - User Defined Graphs", {GetApplicationTitle()}));
    SetBorderStyle(bsSingle);
    Position = poScreenCenter;
    SetClientWidth(800);
    SetClientHeight(520);

    TDataSource* categories = dmQuelm ? dmQuelm->dsRunPrintCategories : nullptr;
    TDataSource* variables = dmQuelm ? dmQuelm->dsRunPrintVariablesDictionary : nullptr;

    DBgrdCategories = MakeDetailedOutputGraphs2Control<TDBGrid>(this, this, "DBgrdCategories");
    DBgrdCategories->SetDataSource(categories);
    DBgrdCategories->SetReadOnly(true);
    DBgrdCategories->SetOptions(
        TDBGridOptions{dgTitles, dgIndicator, dgColLines, dgRowLines, dgRowSelect, dgAlwaysShowSelection});
    TColumn* category = DBgrdCategories->Columns()->Add();
    category->SetFieldName("DESCRIPTION");
    category->Title()->Caption = "Category";
    category->SetWidth(170);
    DBgrdCategories->SetBounds(8, 8, 206, 270);

    DBgrdVariables = MakeDetailedOutputGraphs2Control<TDBGrid>(this, this, "DBgrdVariables");
    DBgrdVariables->SetDataSource(variables);
    DBgrdVariables->SetReadOnly(true);
    DBgrdVariables->SetOptions(
        TDBGridOptions{dgTitles, dgIndicator, dgColLines, dgRowLines, dgRowSelect, dgAlwaysShowSelection});
    DBgrdVariables->SetHint("Double click to select for graph");
    DBgrdVariables->ShowHint = true;
    struct Column {
        const char* field;
        const char* title;
        int width;
    } const columns[] = {{"SELECTEDFORGRAPH", "Graph", 40},
                         {"DESCRIPTIONNORMAL", "Description Normal", 290},
                         {"HASDEPTH", "HasDepth", 60},
                         {"ISCOMPOUND", "IsCompound", 80},
                         {"ISVERTPROFVARIABLE", "VertProf", 60}};
    for (const Column& c : columns) {
        TColumn* column = DBgrdVariables->Columns()->Add();
        column->SetFieldName(c.field);
        column->Title()->Caption = c.title;
        column->SetWidth(c.width);
    }
    DBgrdVariables->SetBounds(222, 8, 570, 270);
    DBgrdVariables->OnDblClick = [this](TObject* sender) { DBgrdVariablesDblClick(sender); };

    DBedtVariableName = MakeDetailedOutputGraphs2Control<TDBEdit>(this, this, "DBedtVariableName");
    DBedtVariableName->SetDataSource(variables);
    DBedtVariableName->SetDataField("VARIABLENAME");
    DBedtVariableName->SetVisible(false);
    DBedtVariableName->SetBounds(0, 0, 10, 10);
    DBedtVariableName->OnChange = [this](TObject* sender) { DBedtVariableNameChange(sender); };

    auto listPanel = [this](const String& name, const String& caption, int left, TPanel*& panel, TLabel*& label,
                            TCheckListBox*& list, const String& listName) {
        panel = MakeDetailedOutputGraphs2Control<TPanel>(this, this, name);
        panel->SetBevelOuter(bvNone);
        panel->SetCaption("");
        panel->SetBounds(left, 286, 200, 196);
        label = MakeDetailedOutputGraphs2Control<TLabel>(this, panel, "lbl" + name.substr(3));
        label->SetCaption(caption);
        label->SetBounds(0, 0, 200, 17);
        list = MakeDetailedOutputGraphs2Control<TCheckListBox>(this, panel, listName);
        list->SetBounds(0, 20, 200, 176);
    };
    listPanel("pnlIntendedDepths", "Real output depths (m):", 8, pnlIntendedDepths, lblIntendedDepths,
              clbRealOutputDepths, "clbRealOutputDepths");
    listPanel("pnlSubstances", "Substances:", 216, pnlSubstances, lblSubstances, clbSubstances, "clbSubstances");
    listPanel("pnlVerticalProfileDates", "Output dates:", 424, pnlVerticalProfileDates, lblVerticalProfileDates,
              clbVertProfDates, "clbVertProfDates");
    clbSubstances->OnClickCheck = [this](TObject*) { clbSingleCheck(clbSubstances); };
    clbVertProfDates->OnClickCheck = [this](TObject*) { clbSingleCheck(clbVertProfDates); };

    auto button = [this](const String& name, const String& caption, int top, std::function<void(TObject*)> click) {
        auto* b = MakeDetailedOutputGraphs2Control<TButton>(this, this, name);
        b->SetCaption(caption);
        b->SetBounds(642, top, 150, 25);
        b->OnClick = std::move(click);
        return b;
    };
    btnGraph = button("btnGraph", "Graph...", 286, [this](TObject* s) { btnGraphClick(s); });
    btnGraph->SetDefault(true);
    btnGraphUsingTemplate =
        button("btnGraphUsingTemplate", "Graph Using Templ...", 317, [this](TObject* s) { btnGraphUsingTemplateClick(s); });
    btnExport = button("btnExport", "Export to file ...", 348, [this](TObject* s) { btnExportClick(s); });
    btnClearAll = button("btnClearAll", "Clear All Variables", 379, [this](TObject* s) { btnClearAllClick(s); });
    btnClose = button("btnClose", "&Close", 426, [this](TObject* s) { btnCloseClick(s); });
    btnClose->Cancel = true;
    btnHelp = button("btnHelp", "&Help", 457, nullptr);
    btnHelp->SetVisible(false);

    StatusBar1 = MakeDetailedOutputGraphs2Control<TStatusBar>(this, this, "StatusBar1");
    StatusBar1->SetSimplePanel(true);
    StatusBar1->Align = alBottom;
    StatusBar1->SetBounds(0, 500, 800, 20);

    SaveDialog1 = new TSaveDialog(this);
    SaveDialog1->SetName("SaveDialog1");

    OnActivate = [this](TObject* sender) { FormActivate(sender); };
    OnClose = [this](TObject* sender, TCloseAction& action) { FormClose(sender, action); };
}

TfrmDetailedOutputGraphs2::~TfrmDetailedOutputGraphs2()
{
    // the hidden edit hears of every record change; it must not call back into a dying window
    DBedtVariableName->OnChange = nullptr;
}

void TfrmDetailedOutputGraphs2::Status(const String& text)
{
    StatusBar1->SetSimpleText(text);
}

// ---------------------------------------------------------------- opening and closing

void TfrmDetailedOutputGraphs2::FormActivate(TObject*)
{
    TCursorScope busy(crHourGlass);
    TTable* runs = dmQuelm->tblRuns;
    const int runId = runs->FieldByName("RUNID")->AsInteger();

    // the dates never show together with the depths: they take the same place
    pnlVerticalProfileDates->SetBounds(pnlIntendedDepths->Left(), pnlIntendedDepths->Top(),
                                       pnlIntendedDepths->Width(), pnlIntendedDepths->Height());

    Cumulative = Reads(runs, "PRINTCUMULATIVES", YES_UPPER);
    TColumn* description = DBgrdVariables->Columns()->Items(1);
    description->SetFieldName(Cumulative ? "DESCRIPTIONCUMULATIVE" : "DESCRIPTIONNORMAL");
    description->Title()->Caption = Cumulative ? "Description Cumulative" : "Description Normal";

    const struct {
        const char* status;
        TTable* table;
    } tables[] = {
        {"Activating table RunPrintCategories...", dmQuelm->tblRunPrintCategories},
        {"Activating table RunPrintVariables...", dmQuelm->tblRunPrintVariables},
        {"Activating table RunPrintVariablesDictionary...", dmQuelm->tblRunPrintVariablesDictionary},
        {"Activating table RunPrintVertProfDates...", dmQuelm->tblPrintVertProfDates2},
    };
    for (const auto& t : tables) {
        Status(t.status);
        OpenOrRefresh(t.table);
    }

    // the dictionary is a working copy: it takes the run's own choice of variables
    Status("Updating list of selected variables for output...");
    const String alias = dmQuelm->dbDatabase->DatabaseName();
    TTable* printVariables = dmQuelm->tblRunPrintVariables;
    for (int i = 1; i < printVariables->FieldCount(); ++i) {
        TField* field = printVariables->Fields(i);
        const bool printed = UpperCase(field->AsString()) == YES_UPPER;
        ExecSql(alias, "UPDATE RunPrintVariablesDictionary SET SelectedForPrint=" +
                           String(printed ? "'Yes'" : "' '") +
                           " WHERE UPPER(VariableName) = " + Quote(UpperCase(field->FieldName())));
    }
    ExecSql(alias, "UPDATE RunPrintVariablesDictionary SET SelectedForGraph=' ' WHERE UPPER(SelectedForPrint) <> 'YES'");

    Status("Activating variable dictionary...");
    TTable* dictionary = dmQuelm->tblRunPrintVariablesDictionary;
    dictionary->Close();
    dictionary->SetFilter("SelectedForPrint='Yes'");
    dictionary->FilterOptions = foCaseInsensitive;
    dictionary->SetFiltered(true);
    dictionary->Open();

    Status("Filling output depth list...");
    clbRealOutputDepths->Items()->Clear();
    LoadOutputHeaderItems(!Reads(runs, "OPTOUTPUTDEPTHTYPECODE", "ALL"), OutputFilePath(runId), clbRealOutputDepths);

    Status("Filling list of substances...");
    clbSubstances->Items()->Clear();
    {
        const TMetaboliet tree(runs->FieldByName("SUBSTANCECODE")->AsString());
        TStringList codes;
        CollectCompounds(tree, codes);
        for (int i = 0; i < codes.Count(); ++i)
            clbSubstances->SetChecked(clbSubstances->Items()->Add(codes[i]), i == 0);
    }

    clbVertProfDates->Items()->Clear();
    TTable* dates = dmQuelm->tblPrintVertProfDates2;
    for (dates->First(); !dates->Eof(); dates->Next())
        clbVertProfDates->Items()->Add(FormatDateDMY(dates->FieldByName("OUTPUTDATE")->AsDateTime()));
    if (clbVertProfDates->Items()->Count() > 0)
        clbVertProfDates->SetChecked(clbVertProfDates->Items()->Count() - 1, true);

    UpdateGraphSelectionState();
    ShowCategoryPanels();
}

void TfrmDetailedOutputGraphs2::FormClose(TObject*, TCloseAction&)
{
    DBedtVariableName->OnChange = nullptr;
    dmQuelm->tblRunPrintVariablesDictionary->Close();
    dmQuelm->tblRunPrintVariablesDictionary3->Close();
    dmQuelm->tblPrintVertProfDates2->Close();
    dmQuelm->tblRunPrintVariables->Close();
    dmQuelm->tblRunPrintCategories->Close();
}

// ---------------------------------------------------------------- selection

void TfrmDetailedOutputGraphs2::UpdateGraphSelectionState()
{
    Status("Counting number of selected variables for graph...");
    std::unique_ptr<TQuery> query(dmQuelm->NewQuery());
    query->SQL.Add("SELECT HASDEPTH, ISCOMPOUND, ISVERTPROFVARIABLE FROM RunPrintVariablesDictionary");
    query->SQL.Add("WHERE UPPER(SelectedForGraph) = 'YES'");
    query->Open();
    SelectedCount = query->RecordCount();

    const bool any = SelectedCount > 0;
    for (TButton* b : {btnGraph, btnExport, btnGraphUsingTemplate, btnClearAll})
        b->SetEnabled(any);
    for (TCheckListBox* list : {clbRealOutputDepths, clbSubstances, clbVertProfDates}) {
        list->SetEnabled(false);
        list->SetColor(clBtnFace);
    }

    // the flags say what the current selection holds, so they start cleared each time
    Status("Determining overall status...");
    DepthFlag = SubstanceFlag = ProfileFlag = false;
    auto enable = [](TCheckListBox* list) {
        list->SetEnabled(true);
        list->SetColor(clWindow);
    };
    for (query->First(); !query->Eof(); query->Next()) {
        if (Reads(query.get(), "HASDEPTH", YES_UPPER)) {
            enable(clbRealOutputDepths);
            DepthFlag = true;
        }
        if (Reads(query.get(), "ISCOMPOUND", YES_UPPER)) {
            enable(clbSubstances);
            SubstanceFlag = true;
        }
        if (Reads(query.get(), "ISVERTPROFVARIABLE", YES_UPPER)) {
            enable(clbVertProfDates);
            ProfileFlag = true;
            enable(clbSubstances);
            SubstanceFlag = true;
        }
    }
    Status("Number of selected variables: " + IntToStr(SelectedCount));
}

void TfrmDetailedOutputGraphs2::SetSelectedForGraph(const String& value)
{
    TTable* dictionary = dmQuelm->tblRunPrintVariablesDictionary;
    dictionary->Edit();
    dictionary->FieldByName("SELECTEDFORGRAPH")->SetAsString(value);
    dictionary->Post();
}

void TfrmDetailedOutputGraphs2::ShowCategoryPanels()
{
    TTable* dictionary = dmQuelm->tblRunPrintVariablesDictionary;
    const bool row = dictionary->Active() && !dictionary->IsEmpty();
    const bool profile = row && Reads(dictionary, "ISVERTPROFVARIABLE", YES_UPPER);
    const bool depth = row && Reads(dictionary, "HASDEPTH", YES_UPPER);
    const bool compound = row && Reads(dictionary, "ISCOMPOUND", YES_UPPER);
    pnlVerticalProfileDates->SetVisible(profile);
    pnlIntendedDepths->SetVisible(depth);
    pnlSubstances->SetVisible(compound || profile);
}

void TfrmDetailedOutputGraphs2::DBedtVariableNameChange(TObject*)
{
    if (dmQuelm && Visible())
        ShowCategoryPanels();
}

void TfrmDetailedOutputGraphs2::LocateVariable(const String& name)
{
    TTable* dictionary = dmQuelm->tblRunPrintVariablesDictionary;
    dictionary->Refresh();
    dictionary->Locate("VARIABLENAME", Variant(ToQString(name)), 0);
}

void TfrmDetailedOutputGraphs2::ClearAllSelections()
{
    ExecSql(dmQuelm->dbDatabase->DatabaseName(), "UPDATE RunPrintVariablesDictionary SET SelectedForGraph=' '");
}

void TfrmDetailedOutputGraphs2::DBgrdVariablesDblClick(TObject*)
{
    TTable* dictionary = dmQuelm->tblRunPrintVariablesDictionary;
    if (!dictionary->Active() || dictionary->IsEmpty())
        return;
    const String name = dictionary->FieldByName("VARIABLENAME")->AsString();
    const bool profileRow = Reads(dictionary, "ISVERTPROFVARIABLE", YES_UPPER);
    auto clearAndSelect = [&] {
        ClearAllSelections();
        LocateVariable(name);
        SetSelectedForGraph(YES_TEXT);
    };
    if (Reads(dictionary, "SELECTEDFORGRAPH", YES_UPPER)) {
        SetSelectedForGraph(" ");
    } else if (SelectedCount == 0) {
        SetSelectedForGraph(YES_TEXT);
    } else if (!ProfileFlag && profileRow) {
        if (MessageDlg("A vertical profile variable cannot be mixed with another variable.\r\rDo you want to clear "
                       "the other variable(s) ?",
                       mtConfirmation, TMsgDlgButtons{mbOK, mbCancel}, 0) == mrOk)
            clearAndSelect();
    } else if (ProfileFlag && !profileRow) {
        if (MessageDlg("A normal time series variable cannot be mixed with a vertical profile variable.\r\rDo you "
                       "want to clear the other variable(s) ?",
                       mtConfirmation, TMsgDlgButtons{mbOK, mbCancel}, 0) == mrOk)
            clearAndSelect();
    } else {
        SetSelectedForGraph(YES_TEXT);
    }
    UpdateGraphSelectionState();
}

void TfrmDetailedOutputGraphs2::btnClearAllClick(TObject*)
{
    TTable* dictionary = dmQuelm->tblRunPrintVariablesDictionary;
    const String name = dictionary->IsEmpty() ? String() : dictionary->FieldByName("VARIABLENAME")->AsString();
    ClearAllSelections();
    LocateVariable(name);
    UpdateGraphSelectionState();
}

void TfrmDetailedOutputGraphs2::clbSingleCheck(TCheckListBox* list)
{
    const int index = list->ItemIndex();
    if (index < 0)
        return;
    for (int i = 0; i < list->Items()->Count(); ++i)
        if (i != index)
            list->SetChecked(i, false);
}

// ---------------------------------------------------------------- the job file

double TfrmDetailedOutputGraphs2::ProfileDepth()
{
    std::unique_ptr<TQuery> query(dmQuelm->NewQuery());
    double depth = 0;
    if (dmQuelm->QuerySoilHorizonsOfRun(dmQuelm->tblRuns->FieldByName("RUNID")->AsInteger(), query.get()))
        for (query->First(); !query->Eof(); query->Next())
            depth += query->FieldByName("THICKNESS")->AsFloat();
    return depth;
}

void TfrmDetailedOutputGraphs2::CreateXYSetFile(bool useTemplate, String& jobPath)
{
    TCursorScope busy(crHourGlass);
    TTable* runs = dmQuelm->tblRuns;
    const int runId = runs->FieldByName("RUNID")->AsInteger();
    const String runName = runs->FieldByName("NAME")->AsString();
    const String parentCode = Reads(runs, "SUBSTANCECODE", NO_UPPER) ? String() : runs->FieldByName("SUBSTANCECODE")->AsString();
    const String outputName = OutputFileName(runId);
    TTable* graphTemplate = dmQuelm->tblXYGraphTemplates;

    std::vector<String> lines = {"escape=^", "open_graph", "no_legendbox", "legend_columns 1"};
    bool templateY = false;
    if (useTemplate) {
        auto text = [graphTemplate](const char* field) { return graphTemplate->FieldByName(field)->AsString(); };
        if (Reads(graphTemplate, "XUSE", YES_UPPER))
            lines.push_back(TemplateAxisLine("x_axis", text("XMIN"), text("XMAX"), text("XMAJORDIV"), text("XMINORDIV")));
        templateY = Reads(graphTemplate, "YUSE", YES_UPPER);
        if (templateY)
            lines.push_back(
                TemplateAxisLine("y1_axis", text("Y1MIN"), text("Y1MAX"), text("Y1MAJORDIV"), text("Y1MINORDIV")));
    }

    String graphSubstance;
    if (SubstanceFlag) {
        const std::vector<String> checked = CheckedItems(clbSubstances);
        if (checked.size() > 1)
            throw Exception("Internal error: more than one substance selected");
        if (!checked.empty())
            graphSubstance = checked.front();
    }

    String legend = "legend";
    auto addLegend = [&legend](const String& entry) { legend = Format("%s %s%s%s", {legend, "'", entry, "'"}); };
    const String title1 = Format("title_1 Run %s: \"%s\", substance code of parent: %s, substance code for graph: %s",
                                 {IntToStr(runId), runName, parentCode, graphSubstance});
    String title2, xText, yAxis, yText;
    const std::vector<TGraphVariable> selected = SelectedGraphVariables();

    if (ProfileFlag) {
        if (clbVertProfDates->Items()->Count() == 0)
            throw Exception(
                "No dates for vertical profiles were found, please provide one or more dates and run again.");
        const std::vector<String> dates = CheckedItems(clbVertProfDates);
        const String date = dates.empty() ? String() : dates.front();
        if (date.empty())
            throw Exception("Internal error");
        title2 = "title_2 'Profile at " + date + "'";
        yText = "y1_text Depth (m)";
        for (const TGraphVariable& v : selected) {
            QUELM_ASSERT(v.category == VERTICAL_PROFILE_CATEGORY, "");
            addLegend(v.descriptionNormal + " (" + v.unitNormal + ")");
            if (!templateY)
                yAxis = Format("y1_axis %.2f 0 ! ! ! !", {ProfileDepth()});
            lines.push_back(Format("data %s %s*$%d -1.0*$4 3 Profile_%s 2 %s",
                                   {outputName, v.factor, ProfileColumn(v.name), graphSubstance, date}));
        }
    } else {
        xText = "x_text " + dmQuelm->DateFormatOfRun(runId);
        const std::vector<String> depths = [this] {
            std::vector<String> all;
            for (int i = 0; i < clbRealOutputDepths->Items()->Count(); ++i)
                all.push_back(clbRealOutputDepths->Checked(i) ? clbRealOutputDepths->Items()->Strings(i) : String());
            return all;
        }();
        for (const TGraphVariable& v : selected) {
            QUELM_ASSERT(v.category != VERTICAL_PROFILE_CATEGORY, "");
            const String variable = v.isCompound ? v.name + "_" + graphSubstance : v.name;
            const String& description = Cumulative ? v.descriptionCumulative : v.descriptionNormal;
            const String& unit = Cumulative ? v.unitCumulative : v.unitNormal;
            if (v.hasDepth) {
                title2 += (title2.empty() ? "title_2 Depth variable(s): " : ", ") + description + " (" + unit + ")";
                for (size_t i = 0; i < depths.size(); ++i) {
                    if (depths[i].empty())
                        continue;
                    addLegend(depths[i] + " m");
                    lines.push_back(Format("data %s 1 %s*$%d 3 %s",
                                           {outputName, v.factor, static_cast<int>(i) + 4, variable}));
                }
            } else {
                addLegend(description + " (" + unit + ")");
                lines.push_back(Format("data %s 1 %s*$4 3 %s", {outputName, v.factor, variable}));
            }
        }
    }

    QUELM_ASSERT(!title1.empty() && !legend.empty(), "");
    lines.push_back(title1);
    for (const String* line : {&title2, &xText, &yAxis, &yText})
        if (!line->empty())
            lines.push_back(*line);
    lines.push_back(legend);
    if (useTemplate)
        // the memo's CR LF lines become lines of the file
        lines.push_back(StringReplace(TemplateFreeText(graphTemplate->FieldByName("FREETEXT")->AsString()), "\r\n",
                                      "\n", rfReplaceAll));

    jobPath = JoinPath(GetWorkDir(), kJobFileName);
    std::ofstream file(jobPath, std::ios::binary | std::ios::trunc);
    if (!file)
        throw EInOutError("Cannot create file \"" + jobPath + "\"");
    for (const String& line : lines)
        file << line << '\n';
    file.close();
    if (!file)
        throw EInOutError("Cannot write file \"" + jobPath + "\"");
}

// ---------------------------------------------------------------- commands

void TfrmDetailedOutputGraphs2::btnGraphClick(TObject*)
{
    String jobPath;
    CreateXYSetFile(false, jobPath);
    StartPlotter(jobPath);
    UpdateGraphSelectionState();
}

void TfrmDetailedOutputGraphs2::btnGraphUsingTemplateClick(TObject*)
{
    {
        std::unique_ptr<TfrmGraphUsingTemplate> chooser(New<TfrmGraphUsingTemplate>(nullptr));
        chooser->GraphsWindow = this;
        chooser->ShowModal();
    }
    UpdateGraphSelectionState();
}

void TfrmDetailedOutputGraphs2::btnExportClick(TObject*)
{
    SaveDialog1->Title = "Save Export as";
    SaveDialog1->FileName = "RAVUZAVEDEExport.txt";
    // the user's home folder stands for the root of the system drive
    SaveDialog1->InitialDir = GetEnvironmentVariable("HOME").value_or("/");
    SaveDialog1->Filter = "Text files (*.txt) |*.TXT|All files (*.*)|*.*";
    SaveDialog1->Options << ofOverwritePrompt;
    if (!SaveDialog1->Execute())
        return;
    String jobPath;
    CreateXYSetFile(false, jobPath);
    ExportGraphData(jobPath, SaveDialog1->FileName);
}
