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
// Writes the file, making its folder first when it is missing (a fresh account has none): an empty
// text on success, else a message naming the file and the reason.
std::string save_print_settings(const std::string& path, const print_settings& s);
// Reads the file; false for a missing, short or damaged file (no zero after a name, no port).
bool read_print_settings(const std::string& path, print_settings& s);

// The print state of one print.
struct print_job_state {
    bool abort = false;
    bool colour = true;
    bool open_page_setup = false;
    bool page_setup_used = false;
    // The printer chosen with the system dialog during this print; it is printed to even when it
    // could not be saved.
    bool chosen_now = false;
    print_settings chosen;
    // The printer of this print, and why it failed when it did.
    std::string device;
    std::string failure;
};

// Sets up a printer context for the window: 1 ready (dc set), 2 cancelled or no printer.
int setup_printer_dc(CWnd* window, HDC& dc, print_job_state& state);

// Prints the chart of the main (1) or the Statistics window (2) as one page: 1 printed, 0 failed
// (the reason in `failure`), 2 cancelled or no printer chosen.
int print_chart(CWnd* window, int target_window, std::string* failure);

// The message of a failed print: "Not able to print chart." and the reason on a line of its own.
std::string print_failure_text(const std::string& failure);

} // namespace plotwell
