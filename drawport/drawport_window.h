#pragma once
// drawport's main window: program state, the window procedure with its menu commands, zoom and
// pan with the mouse buttons, and the two painting routines.
#include "platform/win/WinMetafile.h"
#include "platform/win/WinWindow.h"

// The program's window as the window procedure needs it; the program's host (its main) gives
// the real window, tests give a fake.
class IDrawportHost {
public:
    virtual ~IDrawportHost() = default;
    virtual void Invalidate() = 0; // the whole window, erased
    virtual void Close() = 0;      // destroys the window and ends the message loop
    virtual RECT ClientRect() = 0;
    virtual RECT WindowRect() = 0;
    // Moves the window to the top-left corner of the screen, on top, shown, with that size.
    virtual void MoveToTopLeft(int width, int height) = 0;
};

enum : UINT { WM_QUERYNEWPALETTE = 0x030F, WM_PALETTECHANGED = 0x0311 };

enum : int {
    IDM_OPEN = 100, IDM_EXIT = 102, IDM_COPY = 500, IDM_PASTE = 501, IDM_ZOOM_ORIGINAL = 502,
    IDM_PRINT_STRETCHED = 503, IDM_SAVE_ENHANCED = 504, IDM_PRINT = 505, IDM_INFO = 506,
    IDM_SAVE_WINDOWS = 508, IDM_ABOUT = 509, IDM_PRINT_ORIGINAL = 511,
};

// Program-wide state.
extern HENHMETAFILE current_picture;
extern HPALETTE current_palette;
extern int zoom_factor;
extern int previous_zoom;
extern int pan_x, pan_y;
extern int click_x, click_y;
extern RECT client_rect;
extern bool reset_view_request;
extern bool original_size_request;
extern bool print_at_original_size;
extern bool printing_in_progress;

// The window of the program and its host; create_main_window remembers them.
int create_main_window(HWND window, IDrawportHost* host);
// Opens the metafile named by the command line (the whole text, unchanged) when it is not empty.
void open_command_line_file(const char* commandLine);
// Clears the program state (a new run; tests).
void reset_program_state();

// Menu state: whether the item is enabled and whether it is checked (WM_INITMENU).
struct TMenuItemState {
    bool enabled = true;
    bool checked = false;
};
TMenuItemState menu_item_state(int id);

// WM_PAINT takes the paint device context in the first parameter; WM_INITMENU only answers 0
// (the host asks menu_item_state for each item).
LRESULT main_window_proc(HWND window, UINT message, WPARAM first, LPARAM second);

int paint_metafile(HDC dc, HENHMETAFILE picture, RECT rect);
int original_size_rect(HDC dc, HENHMETAFILE picture);
