#pragma once
// Printing of the Windows API subset over Qt's print support: printer device contexts, documents
// and pages, the device mode record as stored by programs, the default printer and the system print
// dialog. A printer named "PDF:<path>" prints into that PDF file, so that tests and batch runs need
// no printer. A printer context draws through the GDI stand-in like any other context; it has
// 300 device units per inch.
#include "platform/win/WinGdi.h"

#include <cstdint>
#include <functional>
#include <string>

#pragma pack(push, 1)
// The device mode in its 148-byte layout (the offsets programs rely on: orientation at 44, print
// quality at 58, colour at 60, Y resolution at 64).
struct DEVMODE {
    char dmDeviceName[32] = {};
    std::uint16_t dmSpecVersion = 0x0401;
    std::uint16_t dmDriverVersion = 0;
    std::uint16_t dmSize = 148;
    std::uint16_t dmDriverExtra = 0;
    std::uint32_t dmFields = 0;
    std::int16_t dmOrientation = 1;
    std::int16_t dmPaperSize = 9;
    std::int16_t dmPaperLength = 0;
    std::int16_t dmPaperWidth = 0;
    std::int16_t dmScale = 100;
    std::int16_t dmCopies = 1;
    std::int16_t dmDefaultSource = 0;
    std::int16_t dmPrintQuality = 300;
    std::int16_t dmColor = 2;
    std::int16_t dmDuplex = 1;
    std::int16_t dmYResolution = 300;
    std::int16_t dmTTOption = 0;
    std::int16_t dmCollate = 0;
    char dmFormName[32] = {};
    std::uint16_t dmLogPixels = 0;
    std::uint32_t dmBitsPerPel = 0;
    std::uint32_t dmPelsWidth = 0;
    std::uint32_t dmPelsHeight = 0;
    std::uint32_t dmDisplayFlags = 0;
    std::uint32_t dmDisplayFrequency = 0;
    std::uint32_t dmICMMethod = 0;
    std::uint32_t dmICMIntent = 0;
    std::uint32_t dmMediaType = 0;
    std::uint32_t dmDitherType = 0;
    std::uint32_t dmReserved1 = 0;
    std::uint32_t dmReserved2 = 0;
};
#pragma pack(pop)
static_assert(sizeof(DEVMODE) == 148);
enum : std::int16_t { DMORIENT_PORTRAIT = 1, DMORIENT_LANDSCAPE = 2, DMCOLOR_MONOCHROME = 1, DMCOLOR_COLOR = 2 };

struct DOCINFO {
    const char* lpszDocName = nullptr;
    const char* lpszOutput = nullptr;
};

// A printer context for the device name with the device mode's orientation and colour; null when
// the printer is unknown.
HDC CreatePrinterDC(const std::string& device, const DEVMODE* mode);
BOOL DeletePrinterDC(HDC dc);
bool IsPrinterDC(HDC dc);
// Device capabilities of a printer context (LOGPIXELSX/Y, HORZRES, VERTRES, PHYSICAL*); other
// contexts answer as GetDeviceCaps.
int GetPrinterDeviceCaps(HDC dc, int index);
int StartDoc(HDC dc, const DOCINFO* info); // > 0 on success
int StartPage(HDC dc);
int EndPage(HDC dc);
int EndDoc(HDC dc);
int AbortDoc(HDC dc);
using ABORTPROC = BOOL (*)(HDC, int);
int SetAbortProc(HDC dc, ABORTPROC proc);

// The name of the system's default printer; empty when there is none.
std::string GetDefaultPrinterName();

// The system print dialog: on OK the chosen device name and its device mode. Tests and batch runs
// install a hook (newest wins) that answers instead of the dialog.
struct PRINTDLG_RESULT {
    bool ok = false;
    std::string device;
    DEVMODE mode;
};
PRINTDLG_RESULT PrintDlg(HWND owner, const DEVMODE* initial);
void SetPrintDlgHook(std::function<PRINTDLG_RESULT(const DEVMODE*)> hook);
