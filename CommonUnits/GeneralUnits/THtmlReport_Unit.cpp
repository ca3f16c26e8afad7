#include "CommonUnits/GeneralUnits/THtmlReport_Unit.h"

#include "CommonUnits/GeneralUnits/DxUtil.h"

#include "platform/framework/Dialogs.h"
#include "platform/framework/Grids.h"
#include "platform/rtl/FileUtils.h"

namespace {

// The pieces of the page's markup; blanks are part of them.
const char* const T1 = "<P class=\"FontTitle1\">";
const char* const T2 = "</P>";
const char* const NB = "&nbsp;";
const char* const BR = "<BR>";
const char* const TB = "<TABLE WIDTH=";
const char* const BO = " BORDER=";
const char* const CS = " CELLSPACING=0>";
const char* const RS = "<TR>";
const char* const RH = "<TR CLASS=\"TableHeaderRow\">";
const char* const RE = "</TR>";
const char* const HR5 = "<TD COLSPAN=\"1\"><HR SIZE=\"5\" NOSHADE></TD>";
const char* const HR1 = "<TD COLSPAN=\"1\"><HR SIZE=\"1\" NOSHADE></TD>";
const char* const TH = "<TH WIDTH=";
const char* const THE = "</TH>";
const char* const THN = "&nbsp</TH>";
const char* const AL = " Align=\"Left\" VAlign=\"Top\"";
const char* const AR = " Align=\"Right\" VAlign=\"Top\"";
const char* const TD = "<TD WIDTH=";
const char* const TDE = "</TD>";
const char* const TDN = "&nbsp</TD>";
const char* const CF = " CLASS=\"TableFirstCell\" Align=\"Left\" VAlign=\"Top\"";
// ten blanks after the class name, so that CF and CT end in the same column
const char* const CT = " CLASS=\"Table\"          Align=\"Right\" VAlign=\"Top\"";
const char* const GT = ">";
const char* const TE = "</TABLE>";

// The style lines pad the class names to one column; "font-size:  8pt" has two blanks.
const char* const kHeadAfterTitle[] = {
    "<META http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\">",
    "<STYLE type=\"text/css\">",
    "<!--",
    ".FontStandard   {font-family: \"Courier New\", Courier, mono; font-size:  8pt}",
    ".FontTitle1     {font-family: Arial, Helvetica, sans-serif; font-size: 14pt}",
    ".FontTitle2     {font-family: Arial, Helvetica, sans-serif; font-size: 12pt}",
    ".FontTitle3     {font-family: Arial, Helvetica, sans-serif; font-size: 10pt}",
    ".TableHeaderRow {font-family: Arial, Helvetica, sans-serif; font-size: 10pt; font-weight: bold; background-color: "
    "#B2B7CA}",
    ".TableFirstCell {font-family: Arial, Helvetica, sans-serif; font-size: 10pt; background-color: #F0F0F0}",
    ".Table          {font-family: Arial, Helvetica, sans-serif; font-size: 10pt}",
    "-->",
    "</STYLE>",
    "</HEAD>",
    "<BODY CLASS=\"FontStandard\" bgcolor=\"#FFFFFF\" text=\"#000000\">",
};

std::vector<int> VisibleColumns(const TStringGrid& grid)
{
    std::vector<int> columns;
    for (int c = 0; c < grid.ColCount(); ++c)
        if (grid.ColWidths(c) > 0)
            columns.push_back(c);
    return columns;
}

} // namespace

String HtmlEscape(const String& text)
{
    String out;
    out.reserve(text.size());
    for (const char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        switch (ch) {
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '&': out += "&amp;"; break;
        case '"': out += "&quot;"; break;
        default:
            if (byte >= 0x80 && byte <= 0x9F) {
                // characters of the code page that ISO 8859-1 has not: by their Unicode number
                const WideString wide = StringToWide(String(1, ch));
                out += "&#" + IntToStr(wide.empty() ? int('?') : int(wide[0])) + ";";
            } else {
                out += ch;
            }
        }
    }
    return out;
}

THtmlReport::THtmlReport(const String& reportName, const String& pageTitle)
    : folder_(GetPrivateTempDir()), fileName_(reportName + ".htm")
{
    lines_.Add("<HTML>");
    lines_.Add("<HEAD>");
    lines_.Add("<TITLE>" + HtmlEscape(pageTitle) + "</TITLE>");
    for (const char* line : kHeadAfterTitle)
        lines_.Add(line);
}

THtmlReport::~THtmlReport() = default;

void THtmlReport::AddTitle(const String& text)
{
    lines_.Add(T1 + HtmlEscape(text) + T2);
}

void THtmlReport::AddLine(const String& text)
{
    String line;
    for (const char ch : HtmlEscape(text))
        line += ch == ' ' ? String(NB) : String(1, ch);
    lines_.Add(line + BR);
}

void THtmlReport::AddGridTable(const TStringGrid& grid, bool withHeaderRow, bool separateLastRow, int borderWidth)
{
    const std::vector<int> columns = VisibleColumns(grid);
    int width = 0;
    for (int c : columns)
        width += grid.ColWidths(c);
    auto ruleRow = [&](const char* rule) {
        String line = RS;
        for (size_t i = 0; i < columns.size(); ++i)
            line += rule;
        lines_.Add(line + RE);
    };

    lines_.Add(TB + IntToStr(width) + BO + IntToStr(borderWidth) + CS);
    ruleRow(HR5);
    int firstDataRow = 0;
    if (withHeaderRow) {
        String line = RH;
        for (int c : columns) {
            const String text = grid.Cells(c, 0);
            line += TH + IntToStr(grid.ColWidths(c)) + (c == 0 ? AL : AR) + GT;
            line += text.empty() ? String(THN) : HtmlEscape(text) + THE;
        }
        lines_.Add(line + RE);
        ruleRow(HR1);
        firstDataRow = 1;
    }
    const int lastRow = grid.RowCount() - 1;
    for (int row = firstDataRow; row <= lastRow; ++row) {
        if (separateLastRow && row == lastRow)
            ruleRow(HR1);
        String line = RS;
        for (int c : columns) {
            const String text = grid.Cells(c, row);
            line += TD + IntToStr(grid.ColWidths(c)) + (c == 0 ? CF : CT) + GT;
            line += text.empty() ? String(TDN) : HtmlEscape(text) + TDE;
        }
        lines_.Add(line + RE);
    }
    ruleRow(HR5);
    lines_.Add(TE);
}

void THtmlReport::Save()
{
    lines_.Add("</BODY>");
    lines_.Add("</HTML>");
    String page;
    for (int i = 0; i < lines_.Count(); ++i)
        page += lines_[i] + "\r\n";
    TFileStream file(FilePath(), fmCreate);
    if (file.Write(page.data(), static_cast<long>(page.size())) != static_cast<long>(page.size()))
        throw EFCreateError("Cannot create file \"" + FilePath() + "\"");
}

void THtmlReport::Show()
{
    if (!ExecuteFileInItsFolder(fileName_, "", folder_))
        MessageDlg("Could not start " + FilePath(), mtError, {mbOK}, 0);
}
