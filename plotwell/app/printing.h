#pragma once
// Printing the chart as one page. plotwell keeps its printer choice in plotwellPrint.ini (148 bytes
// of device mode, then the device, driver and port names, each ending in a zero byte): the first
// print asks with the system print dialog and saves it; later prints show only the small "Printer
// settings" dialog, and quiet or batch runs print at once.
#include "platform/mfc/AfxWin.h"
#include "platform/win/WinPrint.h"

#include <string>

namespace plotwell {

struct print_settings {
    DEVMODE mode;
    std::string device, driver, port;
};

// Writes the file; false when it cannot be written.
bool write_print_settings(const std::string& path, const print_settings& s);
// Reads the file; false for a missing, short or damaged file (no zero after a name, no port).
bool read_print_settings(const std::string& path, print_settings& s);

// The print state of one print.
struct print_job_state {
    bool abort = false;
    bool colour = true;
    bool open_page_setup = false;
    bool page_setup_used = false;
};

// Sets up a printer context for the window: 1 ready (dc set), 2 cancelled or no printer.
int setup_printer_dc(CWnd* window, HDC& dc, print_job_state& state);

} // namespace plotwell
