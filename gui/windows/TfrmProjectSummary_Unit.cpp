#include "gui/windows/TfrmProjectSummary_Unit.h"

#include "CommonUnits/GeneralUnits/DxTxtFle.h"
#include "CommonUnits/GeneralUnits/QuelmFileUtils.h"
#include "CommonUnits/GeneralUnits/THtmlReport_Unit.h"
#include "CommonUnits/GeneralUnits/TVersionInfo_Unit.h"
#include "CommonUnits/GeneralUnits/dmQuelm_Unit.h"

#include "platform/framework/Clipbrd.h"
#include "platform/framework/Dialogs.h"
#include "platform/rtl/DateUtils.h"

#include <memory>

namespace {

template <class T>
T* MakeProjectSummaryControl(TComponent* owner, TWinControl* parent, const String& name)
{
    auto* control = new T(owner);
    control->SetName(name);
    control->SetParent(parent);
    return control;
}

// The standard keys in upper case: the first three lead the columns, the rest follow the results.
const std::array<const char*, 11> kStandard = {"RUN_ID",           "RESULT_TEXT",  "SUBSTANCE",
                                               "LOCATION",         "APPLICATION_SCHEME",
                                               "CROP_CALENDAR",    "SOIL_TYPE",    "METEO_STATION",
                                               "IRRIGATION_SCHEME", "DEPOSITION_SCHEME", "REPORT_TYPE"};
constexpr int kLeadingColumns = 3;
const String kResultPrefix = "RESULT_";

} // namespace

const std::array<const char*, 11>& TfrmProjectSummary::StandardColumns()
{
    return kStandard;
}

TfrmProjectSummary::TfrmProjectSummary(TComponent* owner) : TForm(owner)
{
    SetName("frmProjectSummary");
    Position = poScreenCenter;
    SetClientWidth(750);
    SetClientHeight(550);

    StatusBar1 = MakeProjectSummaryControl<TStatusBar>(this, this, "StatusBar1");
    StatusBar1->Panels()->Add()->SetWidth(300);

    lblWait = MakeProjectSummaryControl<TLabel>(this, this, "lblWait");
    lblWait->SetCaption("Wait for the grid to be displayed...");
    pnlGrid = MakeProjectSummaryControl<TPanel>(this, this, "pnlGrid");
    pnlGrid->SetBevelOuter(bvLowered);
    pnlGrid->SetCaption("");
    grdSummary = MakeProjectSummaryControl<TPlusStringGrid>(this, pnlGrid, "grdSummary");
    grdSummary->Align = alClient;
    grdSummary->SetFixedCols(0);
    // rows of 17 pixels, higher where the font needs it to show descenders and underscores
    {
        TBitmap measure;
        measure.SetSize(1, 1);
        measure.Canvas()->Font->Assign(grdSummary->FixedFont());
        grdSummary->SetDefaultRowHeight(std::max(17, measure.Canvas()->TextHeight("Wg_") + 2 * grdSummary->XYOffset.Y + 1));
    }
    grdSummary->SetOptions(TGridOptions{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goColSizing,
                                        goColMoving, goRowSelect});
    grdSummary->SetHint("Click on column header to sort on that column and <Shift> click for two or more columns");
    grdSummary->ShowHint = true;
    grdSummary->SetVisible(false);
    grdSummary->SortSettings()->Show = true;
    grdSummary->SortSettings()->IndexShow = true;

    btnShowInBrowser = MakeProjectSummaryControl<TButton>(this, this, "btnShowInBrowser");
    btnShowInBrowser->SetCaption("Show in Internet Browser");
    btnShowInBrowser->OnClick = [this](TObject* sender) { btnShowInBrowserClick(sender); };
    btnCopyToClipboard = MakeProjectSummaryControl<TButton>(this, this, "btnCopyToClipboard");
    btnCopyToClipboard->SetCaption("Copy to Clipboard");
    btnCopyToClipboard->OnClick = [this](TObject* sender) { btnCopyToClipboardClick(sender); };
    btnClose = MakeProjectSummaryControl<TButton>(this, this, "btnClose");
    btnClose->SetCaption("&Close");
    btnClose->ModalResult = mrOk;
    btnClose->Cancel = true;
    btnHelp = MakeProjectSummaryControl<TButton>(this, this, "btnHelp");
    btnHelp->SetCaption("&Help");
    btnHelp->SetVisible(false); // the program has no help file

    OnCreate = [this](TObject* sender) { FormCreate(sender); };
    OnActivate = [this](TObject* sender) { FormActivate(sender); };
    OnResize = [this](TObject*) { LayOut(); };
    LayOut();
}

void TfrmProjectSummary::LayOut()
{
    const int w = ClientWidth();
    const int bottom = ClientHeight() - StatusBar1->Height();
    const int buttonsTop = bottom - 8 - 25;
    pnlGrid->SetBounds(8, 8, std::max(100, w - 16), std::max(60, buttonsTop - 8 - 8));
    lblWait->SetBounds(std::max(8, w / 2 - 110), pnlGrid->Top() + pnlGrid->Height() / 2 - 8, 220, 17);
    btnShowInBrowser->SetBounds(8, buttonsTop, 170, 25);
    btnCopyToClipboard->SetBounds(186, buttonsTop, 130, 25);
    btnClose->SetBounds(w - 8 - 75, buttonsTop, 75, 25);
    btnHelp->SetBounds(w - 8 - 75 - 8 - 75, buttonsTop, 75, 25);
}

void TfrmProjectSummary::FormCreate(TObject*)
{
    SetCaption(Format("%s - Overview of results of MORVA runs in project", {GetApplicationTitle()}));
}

void TfrmProjectSummary::FormActivate(TObject*)
{
    if (filled_)
        return;
    filled_ = true;
    FillSummaryGrid();
}

void TfrmProjectSummary::SetProjectInfo(int projectId, const String& description)
{
    projectId_ = projectId;
    projectDescription_ = description;
    SetCaption(Caption() + ": " + description);
}

bool TfrmProjectSummary::ReadSummaryBlock()
{
    Block = TSummaryBlock();
    TDxTextFile file(SummaryFilePath);
    if (!file.FindLine({"*", "QUELM", "REPORT:", "Project_Summary"}) || file.Eof()) {
        MessageDlg("Internal error, project summary not found", mtError, {mbOK}, 0);
        return false;
    }
    const std::vector<String> closing = {"*", "End", "of", "QUELM", "REPORT:", "Project_Summary"};
    int results = 0;
    while (file.ReadLine()) {
        const TDxLine& line = file.Line();
        if (line.MatchesFields(closing, int(closing.size()) - 1) || file.Eof())
            break; // a last line of the file without closing line is not used
        if (line.FieldCount() < 3)
            continue;
        const String key = UpperCase(line.Field(2));
        const String value = line.RestFrom(3);
        if (key.rfind(kResultPrefix, 0) == 0 && key != "RESULT_TEXT") {
            if (results == MaxResults) {
                MessageDlg("More than 3 results, ignoring", mtError, {mbOK}, 0);
                continue;
            }
            Block.Results[results++] = {true, key.substr(kResultPrefix.size()), value};
            continue;
        }
        for (size_t i = 0; i < kStandard.size(); ++i)
            if (key == kStandard[i])
                Block.Values[i] = value; // a key met twice keeps its last value
    }
    return true;
}

int TfrmProjectSummary::ColumnOf(const String& name) const
{
    for (int c = 0; c < grdSummary->ColCount(); ++c)
        if (grdSummary->Cells(c, 0) == name)
            return c;
    return -1;
}

void TfrmProjectSummary::FitColumns()
{
    // every column as wide as its widest text, measured off the grid's own picture; the
    // header in the header's font, with room for the sort indicator
    constexpr int kPadding = 8;
    constexpr int kSortIndicator = 20;
    TBitmap measure;
    measure.SetSize(1, 1);
    TCanvas* canvas = measure.Canvas();
    std::vector<int> widths(size_t(grdSummary->ColCount()), 20);
    canvas->Font->Assign(grdSummary->FixedFont());
    for (int c = 0; c < grdSummary->ColCount(); ++c)
        widths[size_t(c)] =
            std::max(widths[size_t(c)], canvas->TextWidth(grdSummary->Cells(c, 0)) + kPadding + kSortIndicator);
    canvas->Font->Assign(grdSummary->Font());
    for (int c = 0; c < grdSummary->ColCount(); ++c) {
        for (int r = 1; r < grdSummary->RowCount(); ++r)
            widths[size_t(c)] = std::max(widths[size_t(c)], canvas->TextWidth(grdSummary->Cells(c, r)) + kPadding);
        grdSummary->SetColWidths(c, widths[size_t(c)]);
    }
}

void TfrmProjectSummary::FillSummaryGrid()
{
    Repaint();
    std::unique_ptr<TQuery> runs(dmQuelm->OpenSql("SELECT RUNID FROM RUNS WHERE PROJECTID=" + IntToStr(projectId_) +
                                                  " AND UPPER(RESULTSSUMMARY)=" +
                                                  QuotedStr(UpperCase(ResultAvailable))));

    // every summary file read once; a run without file or block keeps an empty row
    struct TRunRow {
        bool Filled = false;
        TSummaryBlock Block;
    };
    std::vector<TRunRow> rows;
    std::vector<String> resultNames;
    for (; !runs->Eof(); runs->Next()) {
        TRunRow row;
        const int runId = runs->FieldByName("RUNID")->AsInteger();
        if (SummaryFileExists(runId)) {
            SummaryFilePath = ::SummaryFilePath(runId);
            row.Filled = ReadSummaryBlock();
            row.Block = Block;
            for (const TResult& result : Block.Results) {
                if (!result.Present)
                    continue;
                bool known = false;
                for (const String& name : resultNames)
                    known = known || SameText(name, result.Name);
                if (!known)
                    resultNames.push_back(result.Name);
            }
        }
        rows.push_back(std::move(row));
    }

    std::vector<String> columns(kStandard.begin(), kStandard.begin() + kLeadingColumns);
    columns.insert(columns.end(), resultNames.begin(), resultNames.end());
    columns.insert(columns.end(), kStandard.begin() + kLeadingColumns, kStandard.end());
    grdSummary->SetRowCount(2);
    grdSummary->SetColCount(int(columns.size()));
    grdSummary->SetFixedRows(1);
    for (size_t c = 0; c < columns.size(); ++c)
        grdSummary->SetCellText(int(c), 0, columns[c]);
    FitColumns();
    grdSummary->SetCol(0); // the first column in view, not the one current while the grid had a fixed column
    grdSummary->SetLeftCol(0);
    grdSummary->SetVisible(true);

    auto write = [this](const String& column, int row, const String& value) {
        const int c = ColumnOf(column);
        if (c < 0) {
            MessageDlg("Internal error", mtError, {mbOK}, 0);
            return;
        }
        grdSummary->SetCellText(c, row, value);
    };
    int shown = 0;
    for (size_t n = 1; n <= rows.size(); ++n) {
        grdSummary->SetRowCount(int(n) + 1);
        const TRunRow& row = rows[n - 1];
        if (!row.Filled)
            continue;
        ++shown;
        for (size_t i = 0; i < kStandard.size(); ++i)
            write(kStandard[i], int(n), row.Block.Values[i]);
        for (const TResult& result : row.Block.Results)
            if (result.Present)
                write(result.Name, int(n), result.Value);
    }
    FitColumns();
    grdSummary->Invalidate();
    StatusBar1->Panels()->Items(0)->SetText("Runs found: " + IntToStr(shown));
    if (shown == 0)
        MessageDlg("No valid output found for project summary report", mtWarning, {mbOK}, 0);
}

void TfrmProjectSummary::HeaderClick(int col, bool shift)
{
    // a plain click sorts by the column alone (a second one turns it round), Shift adds the
    // column to the sort list or turns a listed one round
    grdSummary->SortByHeaderClick(col, shift);
}

void TfrmProjectSummary::btnCopyToClipboardClick(TObject*)
{
    grdSummary->CopyWholeGridToClipboard();
}

void TfrmProjectSummary::btnShowInBrowserClick(TObject*)
{
    const String title = "Project summary report of project: " + projectDescription_;
    THtmlReport report("RAZADEZORAZaridivUzidozi", title);
    report.AddTitle(title);
    report.AddLine("Date: " + FormatDateTime("dd/mm/yyyy", Date()));
    report.AddLine(" ");
    report.AddGridTable(*grdSummary, true, false, 0);
    report.Save();
    report.Show();
}
