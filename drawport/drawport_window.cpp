#include "drawport/drawport_window.h"

#include "drawport/drawport_metafile.h"
#include "drawport/drawport_output.h"
#include "platform/win/WinPrint.h"
#include "platform/win/WinWindow.h"

#include <cmath>
#include <cstring>

HENHMETAFILE current_picture = nullptr;
HPALETTE current_palette = nullptr;
int zoom_factor = 1;
int previous_zoom = 1;
int pan_x = 0, pan_y = 0;
int click_x = 0, click_y = 0;
RECT client_rect{};
bool reset_view_request = true;
bool original_size_request = false;
bool print_at_original_size = false;
bool printing_in_progress = false;

namespace {

HWND main_window = nullptr;
IDrawportHost* main_host = nullptr;

void invalidate()
{
    if (main_host)
        main_host->Invalidate();
}

void drop_picture()
{
    if (current_picture)
        DeleteEnhMetaFile(current_picture);
    if (current_palette)
        DeleteObject(current_palette);
    current_picture = nullptr;
    current_palette = nullptr;
}

RECT host_client()
{
    return main_host ? main_host->ClientRect() : RECT{};
}

// Fits the window to the screen with the picture's aspect ratio when the client area's ratio
// differs by more than 0.01. A frame or client area without height never resizes the window.
void fit_window(HDC dc, const ENHMETAHEADER& header)
{
    client_rect = host_client();
    const RECT window = main_host ? main_host->WindowRect() : RECT{};
    const int client_w = client_rect.right - client_rect.left, client_h = client_rect.bottom - client_rect.top;
    const int extra_w = (window.right - window.left) - client_w;
    const int extra_h = (window.bottom - window.top) - client_h;
    const double frame_w = double(header.rclFrame.right) - header.rclFrame.left;
    const double frame_h = double(header.rclFrame.bottom) - header.rclFrame.top;
    if (client_h <= 0 || frame_h <= 0 || frame_w <= 0)
        return;
    const float window_aspect = float(client_w) / float(client_h);
    const float picture_aspect = float(frame_w / frame_h);
    if (std::fabs(window_aspect - picture_aspect) <= 0.01f || picture_kind == 3)
        return;
    const float avail_w = float(GetDeviceCaps(dc, HORZRES) - extra_w);
    const float avail_h = float(GetDeviceCaps(dc, VERTRES) - extra_h);
    if (avail_w <= 0 || avail_h <= 0)
        return;
    int new_w, new_h;
    if (avail_w / avail_h < picture_aspect) {
        new_w = int(avail_w) + extra_w;
        new_h = int(avail_w / picture_aspect) + extra_h;
    } else {
        new_w = int(avail_h * picture_aspect) + extra_w;
        new_h = int(avail_h) + extra_h;
    }
    if (new_w - extra_w < 1 || new_h - extra_h < 1)
        return;
    if (main_host)
        main_host->MoveToTopLeft(new_w, new_h);
}

void paint_window(HDC dc)
{
    if (!current_picture) {
        const char* text = "No Metafile Selected";
        SIZE size{};
        GetTextExtentPoint32(dc, text, int(std::strlen(text)), &size);
        const RECT r = host_client();
        TextOut(dc, r.left + (r.right - r.left - size.cx) / 2, r.top + (r.bottom - r.top - size.cy) / 2, text,
                int(std::strlen(text)));
        return;
    }
    ENHMETAHEADER header{};
    header.nSize = 88;
    if (GetEnhMetaFileHeader(current_picture, 88, &header))
        fit_window(dc, header);
    HPALETTE previous = nullptr;
    if (current_palette) {
        previous = SelectPalette(dc, current_palette, FALSE);
        RealizePalette(dc);
    }
    if (original_size_request) {
        original_size_rect(dc, current_picture);
        original_size_request = false;
    } else if (picture_kind == 3) {
        original_size_rect(dc, current_picture);
    } else {
        const RECT r = host_client();
        SetStretchBltMode(dc, COLORONCOLOR);
        paint_metafile(dc, current_picture, r);
    }
    if (current_palette)
        SelectPalette(dc, previous, FALSE);
}

// The palette comes first on the window's device: realized as the foreground palette (the
// window is repainted when that changed any entry), then set back as a background palette.
void realize_own_palette(HWND window)
{
    if (!current_palette)
        return;
    HDC dc = GetDC(window);
    if (!dc)
        return;
    HPALETTE previous = SelectPalette(dc, current_palette, FALSE);
    const UINT changed = RealizePalette(dc);
    if (changed != 0 && changed != 0xFFFFFFFFu)
        invalidate();
    SelectPalette(dc, previous, TRUE);
    RealizePalette(dc);
    ReleaseDC(window, dc);
}

void store_click(LPARAM second)
{
    client_rect = host_client();
    click_x = int(LOWORD(second));
    click_y = int(HIWORD(second));
}

void command(HWND window, int id)
{
    char name[260] = {};
    switch (id) {
    case IDM_OPEN:
        if (choose_metafile_name(window, name, 0)) {
            drop_picture();
            current_picture = open_metafile(name, window);
            current_palette = metafile_palette(current_picture);
            reset_view_request = true;
            invalidate();
        }
        break;
    case IDM_EXIT:
        if (main_host)
            main_host->Close();
        break;
    case IDM_COPY: copy_metafile(window, current_picture); break;
    case IDM_PASTE:
        drop_picture();
        current_picture = paste_metafile(window);
        current_palette = metafile_palette(current_picture);
        invalidate();
        break;
    case IDM_ZOOM_ORIGINAL:
        reset_view_request = true;
        zoom_factor = 1;
        original_size_request = true;
        invalidate();
        break;
    case IDM_PRINT_STRETCHED: print_at_original_size = false; break;
    case IDM_SAVE_ENHANCED:
        if (choose_metafile_name(window, name, 1))
            DeleteEnhMetaFile(CopyEnhMetaFileA(current_picture, name));
        break;
    case IDM_PRINT: print_metafile(); break;
    case IDM_INFO: header_dialog(window, current_picture); break;
    case IDM_SAVE_WINDOWS:
        if (choose_metafile_name(window, name, 1))
            save_windows_metafile(current_picture, name);
        break;
    case IDM_ABOUT: about_dialog(window); break;
    case IDM_PRINT_ORIGINAL: print_at_original_size = true; break;
    default: break;
    }
}

} // namespace

int create_main_window(HWND window, IDrawportHost* host)
{
    main_window = window;
    main_host = host;
    return host ? 1 : 0;
}

void reset_program_state()
{
    drop_picture();
    picture_kind = 0;
    zoom_factor = previous_zoom = 1;
    pan_x = pan_y = click_x = click_y = 0;
    client_rect = RECT{};
    reset_view_request = true;
    original_size_request = print_at_original_size = printing_in_progress = false;
}

void open_command_line_file(const char* commandLine)
{
    if (!commandLine || !*commandLine)
        return;
    current_picture = open_metafile(commandLine, main_window);
    current_palette = metafile_palette(current_picture);
    invalidate();
}

TMenuItemState menu_item_state(int id)
{
    TMenuItemState s;
    const bool picture = current_picture != nullptr;
    switch (id) {
    case IDM_SAVE_WINDOWS: s.enabled = picture && picture_kind == 1; break;
    case IDM_SAVE_ENHANCED: s.enabled = picture && picture_kind > 1; break;
    case IDM_PRINT: case IDM_COPY: case IDM_ZOOM_ORIGINAL: case IDM_INFO: s.enabled = picture; break;
    case IDM_PRINT_STRETCHED: s.enabled = picture, s.checked = !print_at_original_size; break;
    case IDM_PRINT_ORIGINAL: s.enabled = picture, s.checked = print_at_original_size; break;
    case IDM_PASTE: s.enabled = IsClipboardEnhMetaFileAvailable() != 0; break;
    default: break;
    }
    return s;
}

LRESULT main_window_proc(HWND window, UINT message, WPARAM first, LPARAM second)
{
    switch (message) {
    case WM_INITMENU: return 0;
    case WM_COMMAND: command(window, int(LOWORD(first))); return 0;
    case WM_LBUTTONUP:
        store_click(second);
        if (zoom_factor == 1) {
            previous_zoom = 1;
            pan_x = pan_y = 0;
        }
        ++zoom_factor;
        invalidate();
        return 0;
    case WM_RBUTTONUP:
        store_click(second);
        --zoom_factor;
        if (zoom_factor == 1) {
            previous_zoom = 1;
            pan_x = pan_y = 0;
        }
        if (zoom_factor <= 0) {
            zoom_factor = 1;
            return 0;
        }
        invalidate();
        return 0;
    case WM_PAINT:
        paint_window(reinterpret_cast<HDC>(first));
        return 0;
    case WM_QUERYNEWPALETTE:
        realize_own_palette(window);
        return 0;
    case WM_PALETTECHANGED:
        if (reinterpret_cast<HWND>(first) != window)
            realize_own_palette(window);
        return 0;
    case WM_CLOSE:
        if (main_host)
            main_host->Close();
        return 0;
    default: return 0;
    }
}

int paint_metafile(HDC dc, HENHMETAFILE picture, RECT rect)
{
    if (!picture)
        return 1;
    ENHMETAHEADER header{};
    header.nSize = 88;
    if (GetEnhMetaFileHeader(picture, 88, &header) == 0)
        return 0;
    if (reset_view_request) {
        reset_view_request = false;
        pan_x = pan_y = 0;
        zoom_factor = previous_zoom = 1;
    }
    if (zoom_factor == 1 || printing_in_progress) {
        pan_x = pan_y = 0;
    } else {
        const int w = client_rect.right - client_rect.left, h = client_rect.bottom - client_rect.top;
        const int z = zoom_factor;
        pan_x += int(std::trunc((w / 2.0 - click_x) / previous_zoom));
        pan_y += int(std::trunc((h / 2.0 - click_y) / previous_zoom));
        const long long half_x = (long long)rect.right * (z - 1) / 2, half_y = (long long)rect.bottom * (z - 1) / 2;
        rect = RECT{int(z * (long long)rect.left + (long long)z * pan_x - half_x),
                    int(z * (long long)rect.top + (long long)z * pan_y - half_y),
                    int(z * (long long)rect.right + (long long)z * pan_x - half_x),
                    int(z * (long long)rect.bottom + (long long)z * pan_y - half_y)};
        previous_zoom = z;
    }
    return PlayEnhMetaFile(dc, picture, &rect);
}

int original_size_rect(HDC dc, HENHMETAFILE picture)
{
    if (!picture)
        return 1;
    ENHMETAHEADER header{};
    header.nSize = 88;
    if (GetEnhMetaFileHeader(picture, 88, &header) == 0)
        return 0;
    const double horzres = GetPrinterDeviceCaps(dc, HORZRES), vertres = GetPrinterDeviceCaps(dc, VERTRES);
    const double horzsize = std::max(1, GetPrinterDeviceCaps(dc, HORZSIZE)),
                 vertsize = std::max(1, GetPrinterDeviceCaps(dc, VERTSIZE));
    const RECT rect{int(std::trunc(header.rclFrame.left * horzres / (horzsize * 100))),
                    int(std::trunc(header.rclFrame.top * vertres / (vertsize * 100))),
                    int(std::trunc(header.rclFrame.right * horzres / (horzsize * 100))),
                    int(std::trunc(header.rclFrame.bottom * vertres / (vertsize * 100)))};
    return PlayEnhMetaFile(dc, picture, &rect);
}
