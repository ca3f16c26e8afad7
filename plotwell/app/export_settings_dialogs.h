#pragma once
// The export settings dialog ("Settings outputfile") and the colour chooser ("Choose a Color").
#include "platform/mfc/AfxWin.h"

namespace plotwell {

// File type codes of picture exports.
enum : int { TYPE_BMP = 1, TYPE_GIF = 2, TYPE_JPEG = 3, TYPE_PNG = 4, TYPE_PCX = 5, TYPE_TIFF = 6, TYPE_EMF = 8,
             TYPE_PSD = 10, TYPE_TGA = 14 };

class COrientMetaDlg : public CDialog {
public:
    explicit COrientMetaDlg(CWnd* parent);
    // Runs the dialog on the given settings; IDOK stores them, IDCANCEL leaves them.
    INT_PTR AskSettings(int* orientation, int* resolution, int* transparent, int* depth, long* width, long* height,
                        int file_type);
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnOrientation();
    void OnFree();
    void OnResolution();
    // The colour-export choice that OK stores (Grey scale unticked).
    bool colour_export = true;

    DECLARE_MESSAGE_MAP()

private:
    int* m_orientation = nullptr;
    int* m_resolution = nullptr;
    int* m_transparent = nullptr;
    int* m_depth = nullptr;
    long* m_width = nullptr;
    long* m_height = nullptr;
    int m_type = 0;
    void FillPixels();
};

// Width and height from the pixel fields: one given makes the other by 3:2; none gives 1600 x 1200.
void complete_pixel_size(long& width, long& height);

// The colour box: the 256 colours of the colour table as 16 x 16 cells of 18 pixels from client
// pixel (10, 40). Mode 0 picks a colour; mode 1 shows the table and its OK button prints it.
class CColorBoxDlg : public CDialog {
public:
    CColorBoxDlg(CWnd* parent, int mode);
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnLButtonUp(UINT flags, CPoint point) override;
    void OnPaint() override;
    // The cell rectangle of a colour index (client pixels).
    static RECT cell_rect(int index);
    // The cell under a client point.
    static int index_at(int x, int y);
    int selected() const { return m_new; }

private:
    int m_mode;
    int m_old = 0, m_new = 0;
    // Prints the colour table on a printer the user chooses.
    void print_palette();
};

// The process-wide current colour number that the colour box reads and writes.
int& current_colour_number();

} // namespace plotwell
