#pragma once
// plotwell's dialogs: the about box, the Chart Data dialog (titles and classes of a classified map),
// the progress dialog, the PostScript file dialog, and the printer dialogs.
#include "plotwell/app/export_settings_dialogs.h"
#include "plotwell/app/printing.h"

#include <string>
#include <vector>

namespace plotwell {

struct CChartData {
    std::string left, right, title;
    int colour = 1;
};

struct CChartObject {
    std::string main_title, sub_title, legend_title, grid_distance, settings_file;
    bool grid = false, saved_grid = false;
    std::vector<CChartData> classes;
};

// Checks and formats one class. List form: "left<right;title" (">" when right lies below left);
// settings form: "left R= right `title`" or "left ! ! `title`" for equal numbers. Shows "No class
// values have been entered." or "Illegal class values have been entered." and returns false when
// refused.
bool parse_class_values(std::string left, std::string right, const std::string& title, std::string& output,
                        bool settings_form);
// Splits a list entry back into its boundaries and title.
void split_class_entry(const std::string& entry, std::string& left, std::string& right, std::string& title);

class CAboutDlg : public CDialog {
public:
    explicit CAboutDlg(CWnd* parent);
};

// The page set-up of one print: paper and margins in hundredths of a millimetre; the printer's own
// (smallest) margins bound the chosen ones.
struct page_margins {
    long width = 21000, height = 29700;
    long min_left = 0, min_top = 0, min_right = 0, min_bottom = 0;
    long left = 1500, top = 1500, right = 1500, bottom = 1500;
};
// The drawing viewport in percent of the printable area (x from, x to, y from, y to; y from the bottom).
void page_setup_viewport(const page_margins& m, double& x1, double& x2, double& y1, double& y2);

class CPageSetupDlg : public CDialog {
public:
    CPageSetupDlg(CWnd* parent, page_margins& margins);
    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    page_margins& m_margins;
};

// The help viewer: the text of the help file, read-only.
class CHelpViewerDlg : public CDialog {
public:
    CHelpViewerDlg(CWnd* parent, std::string text);
    BOOL OnInitDialog() override;

private:
    std::string m_text;
};

class CChartDataDlg : public CDialog {
public:
    explicit CChartDataDlg(CWnd* parent);
    INT_PTR AskChartData(CChartObject& chart);
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void OnSelChange();
    void OnAdd();
    void OnRemove();
    void OnDrawGrid();
    void OnChangeColor();
    bool CollectChartData();
    const std::vector<int>& colours() const { return m_colours; }
    bool change_mode() const { return m_change; }

    DECLARE_MESSAGE_MAP()

private:
    CChartObject* m_chart = nullptr;
    std::vector<int> m_colours;
    int m_selected = -1;
    bool m_change = false;
    bool m_locked = false;
    void ClearClassFields();
};

class CPostScriptFileDlg : public CDialog {
public:
    explicit CPostScriptFileDlg(CWnd* parent);
    BOOL OnInitDialog() override;
    void OnOK() override;
    // The extra arguments of the PostScript drawing.
    static std::string extra_arguments(const std::string& file, bool portrait, bool colour);
};

class CPrintSetDlg : public CDialog {
public:
    explicit CPrintSetDlg(CWnd* parent);
    // 1 OK, 2 Cancel, 9876 after "Choose Printer" chose a new printer.
    INT_PTR AskSettings(DEVMODE& mode, const std::string& device, print_job_state& state);
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnChoosePrinter();

    DECLARE_MESSAGE_MAP()

private:
    DEVMODE* m_mode = nullptr;
    std::string m_device;
    print_job_state* m_state = nullptr;
};

class CPrintDlgBox : public CDialog {
public:
    CPrintDlgBox(CWnd* parent, print_job_state& state);
    void OnCancel() override;

private:
    print_job_state& m_state;
};

class CFreqDistDlg : public CDialog {
public:
    CFreqDistDlg(CWnd* parent, const std::string& left, const std::string& right);
    BOOL OnInitDialog() override;
    // Shows the step under way and moves the bar.
    void Progress(const std::string& left, const std::string& right, int percent);
    void OnCancel() override;

private:
    std::string m_left, m_right;
};

} // namespace plotwell
