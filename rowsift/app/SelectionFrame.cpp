#include "rowsift/app/SelectionFrame.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>

// The client area: three texts centred at half the width, with their baselines at 12/36,
// 22/36 and 32/36 of the height, green (28, 188, 28) on the window colour, opaque so that a
// new counter covers the old one.
class SelectionCanvas : public QWidget {
public:
    explicit SelectionCanvas(QWidget* parent) : QWidget(parent) { setAutoFillBackground(true); }

    bool showTexts = false;
    QString count = QStringLiteral("0");

protected:
    void paintEvent(QPaintEvent*) override
    {
        if (!showTexts)
            return;
        QPainter painter(this);
        painter.setBackgroundMode(Qt::OpaqueMode);
        painter.setBackground(palette().color(QPalette::Window));
        painter.setPen(QColor(28, 188, 28));
        const int w = width();
        const int h = height();
        const QFontMetrics metrics(font());
        auto centred = [&](const QString& text, int baseline) {
            painter.drawText(w / 2 - metrics.horizontalAdvance(text) / 2, baseline, text);
        };
        centred(QStringLiteral("Running data selection; please wait"), h * 12 / 36);
        centred(QStringLiteral("Number of data selected:"), h * 22 / 36);
        centred(count, h * 32 / 36);
    }
};

CSelectionFrame::CSelectionFrame() : canvas_(new SelectionCanvas(this))
{
    setWindowTitle(QStringLiteral("Data selection"));
    setCentralWidget(canvas_);
    // "MainMenu": its one item has no handler, so it stays disabled (the about box never opens).
    QAction* about = menuBar()->addAction(QStringLiteral("&About rowsift...\tF1"));
    about->setShortcut(QKeySequence(Qt::Key_F1));
    about->setEnabled(false);
}

void CSelectionFrame::PlaceOnScreen()
{
    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    const int w = area.width();
    const int h = area.height();
    setGeometry(static_cast<int>(0.25 * w), static_cast<int>(0.3 * h), static_cast<int>(0.5 * w),
                static_cast<int>(0.2 * h));
}

void CSelectionFrame::BeginSelection()
{
    running_ = true;
    canvas_->showTexts = true;
    canvas_->count = QStringLiteral("0");
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    canvas_->update();
    Refresh();
}

void CSelectionFrame::ShowCount(long count)
{
    canvas_->count = QString::number(count);
    canvas_->update();
}

void CSelectionFrame::Refresh()
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void CSelectionFrame::EndSelection()
{
    if (!running_)
        return;
    running_ = false;
    QGuiApplication::restoreOverrideCursor();
}

void CSelectionFrame::closeEvent(QCloseEvent* event)
{
    // The selection runs once and ends the program; closing meanwhile would lose the output.
    if (running_)
        event->ignore();
    else
        event->accept();
}
