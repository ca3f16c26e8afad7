// Printer device contexts over QPrinter.
#include "platform/win/WinPrint.h"

#include <QApplication>
#include <QPageLayout>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include <cstring>
#include <map>
#include <memory>

namespace {
struct PrinterJob {
    std::unique_ptr<QPrinter> printer;
    QPainter painter;
    std::unique_ptr<DeviceContext> dc;
    bool started = false;
    bool pageOpen = false;
    int pages = 0;
    bool pdf = false;
};

std::map<HDC, std::unique_ptr<PrinterJob>>& Jobs()
{
    static std::map<HDC, std::unique_ptr<PrinterJob>> jobs;
    return jobs;
}

PrinterJob* JobOf(HDC dc)
{
    auto it = Jobs().find(dc);
    return it == Jobs().end() ? nullptr : it->second.get();
}

std::function<PRINTDLG_RESULT(const DEVMODE*)>& Hook()
{
    static std::function<PRINTDLG_RESULT(const DEVMODE*)> hook;
    return hook;
}

void Apply(QPrinter& printer, const DEVMODE* mode)
{
    if (!mode) return;
    printer.setPageOrientation(mode->dmOrientation == DMORIENT_LANDSCAPE ? QPageLayout::Landscape : QPageLayout::Portrait);
    printer.setColorMode(mode->dmColor == DMCOLOR_MONOCHROME ? QPrinter::GrayScale : QPrinter::Color);
    if (mode->dmCopies > 1) printer.setCopyCount(mode->dmCopies);
}

QSize PageSize(const QPrinter& printer)
{
    const QRect r = printer.pageLayout().paintRectPixels(printer.resolution());
    return r.size();
}
} // namespace

HDC CreatePrinterDC(const std::string& device, const DEVMODE* mode)
{
    auto job = std::make_unique<PrinterJob>();
    if (device.rfind("PDF:", 0) == 0) {
        if (device.size() <= 4) return nullptr;
        job->printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        job->printer->setOutputFormat(QPrinter::PdfFormat);
        job->printer->setOutputFileName(QString::fromLocal8Bit(device.substr(4).c_str()));
        job->pdf = true;
    } else {
        const QPrinterInfo info = QPrinterInfo::printerInfo(QString::fromLocal8Bit(device.c_str()));
        if (info.isNull()) return nullptr;
        job->printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    }
    job->printer->setResolution(300);
    job->printer->setPageSize(QPageSize(QPageSize::A4));
    job->printer->setFullPage(false);
    Apply(*job->printer, mode);
    job->dc = std::make_unique<DeviceContext>(&job->painter, PageSize(*job->printer));
    HDC dc = job->dc.get();
    Jobs()[dc] = std::move(job);
    return dc;
}

BOOL DeletePrinterDC(HDC dc)
{
    PrinterJob* job = JobOf(dc);
    if (!job) return FALSE;
    if (job->painter.isActive()) job->painter.end();
    job->dc.reset();
    Jobs().erase(dc);
    return TRUE;
}

bool IsPrinterDC(HDC dc) { return JobOf(dc) != nullptr; }

int GetPrinterDeviceCaps(HDC dc, int index)
{
    PrinterJob* job = JobOf(dc);
    if (!job) return GetDeviceCaps(dc, index);
    const QPrinter& p = *job->printer;
    const QSize size = PageSize(p);
    const QRect full = p.pageLayout().fullRectPixels(p.resolution());
    const QRect paint = p.pageLayout().paintRectPixels(p.resolution());
    switch (index) {
    case LOGPIXELSX: case LOGPIXELSY: return p.resolution();
    case HORZRES: return size.width();
    case VERTRES: return size.height();
    case PHYSICALWIDTH: return full.width();
    case PHYSICALHEIGHT: return full.height();
    case PHYSICALOFFSETX: return paint.left();
    case PHYSICALOFFSETY: return paint.top();
    case HORZSIZE: return int(size.width() * 25.4 / p.resolution());
    case VERTSIZE: return int(size.height() * 25.4 / p.resolution());
    case BITSPIXEL: return p.colorMode() == QPrinter::GrayScale ? 1 : 24;
    case NUMCOLORS: return p.colorMode() == QPrinter::GrayScale ? 2 : -1;
    default: return GetDeviceCaps(dc, index);
    }
}

int StartDoc(HDC dc, const DOCINFO* info)
{
    PrinterJob* job = JobOf(dc);
    if (!job || job->started) return 0;
    if (info && info->lpszDocName) job->printer->setDocName(QString::fromLatin1(info->lpszDocName));
    if (!job->painter.begin(job->printer.get())) return 0;
    job->started = true;
    return 1;
}

int StartPage(HDC dc)
{
    PrinterJob* job = JobOf(dc);
    if (!job || !job->started || job->pageOpen) return 0;
    if (job->pages > 0 && !job->printer->newPage()) return 0;
    job->pageOpen = true;
    return 1;
}

int EndPage(HDC dc)
{
    PrinterJob* job = JobOf(dc);
    if (!job || !job->pageOpen) return 0;
    job->pageOpen = false;
    ++job->pages;
    return 1;
}

int EndDoc(HDC dc)
{
    PrinterJob* job = JobOf(dc);
    if (!job || !job->started) return 0;
    job->started = false;
    return job->painter.end() ? 1 : 0;
}

int AbortDoc(HDC dc)
{
    PrinterJob* job = JobOf(dc);
    if (!job) return 0;
    if (job->painter.isActive()) job->painter.end();
    job->printer->abort();
    job->started = false;
    return 1;
}

int SetAbortProc(HDC dc, ABORTPROC) { return JobOf(dc) ? 1 : 0; }

std::string GetDefaultPrinterName()
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    return info.isNull() ? std::string() : info.printerName().toStdString();
}

void SetPrintDlgHook(std::function<PRINTDLG_RESULT(const DEVMODE*)> hook) { Hook() = std::move(hook); }

PRINTDLG_RESULT PrintDlg(HWND owner, const DEVMODE* initial)
{
    if (Hook()) return Hook()(initial);
    PRINTDLG_RESULT result;
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return result;
    QPrinter printer(QPrinter::HighResolution);
    Apply(printer, initial);
    QPrintDialog dialog(&printer, owner);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setMinMax(1, 1);
    if (dialog.exec() != QDialog::Accepted) return result;
    result.ok = true;
    if (initial) result.mode = *initial;
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty())
        result.device = "PDF:" + printer.outputFileName().toStdString();
    else
        result.device = printer.printerName().toStdString();
    std::strncpy(result.mode.dmDeviceName, result.device.c_str(), sizeof result.mode.dmDeviceName - 1);
    result.mode.dmOrientation = printer.pageLayout().orientation() == QPageLayout::Landscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
    result.mode.dmColor = printer.colorMode() == QPrinter::GrayScale ? DMCOLOR_MONOCHROME : DMCOLOR_COLOR;
    return result;
}
