// drawport: the program's entry and the window that hosts the main window procedure.
#include "drawport/drawport_window.h"

#include "platform/framework/Forms.h"
#include "platform/win/WinLook.h"
#include "platform/win/WinWindow.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QGuiApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <map>

namespace {

class TCanvasWidget : public QWidget {
public:
    explicit TCanvasWidget(QWidget* parent) : QWidget(parent)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setMinimumSize(100, 60);
    }
    HWND window = nullptr;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        const QSize screen = this->screen() ? this->screen()->geometry().size() : QSize(1280, 1024);
        DeviceContext dc(&painter, screen);
        main_window_proc(window, WM_PAINT, WPARAM(&dc), 0);
    }
    void mouseReleaseEvent(QMouseEvent* e) override
    {
        const LPARAM where = MAKELPARAM(WORD(e->position().x()), WORD(e->position().y()));
        if (e->button() == Qt::LeftButton)
            main_window_proc(window, WM_LBUTTONUP, 0, where);
        else if (e->button() == Qt::RightButton)
            main_window_proc(window, WM_RBUTTONUP, 0, where);
    }
};

class TMainWindow : public QMainWindow, public IDrawportHost {
public:
    TMainWindow()
    {
        setWindowTitle(QStringLiteral("drawport converter"));
        canvas_ = new TCanvasWidget(this);
        canvas_->window = this;
        setCentralWidget(canvas_);
        QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
        Item(file, "&Open ...", IDM_OPEN);
        file->addSeparator();
        Item(file, "Save as &Windows Metafile ...", IDM_SAVE_WINDOWS);
        Item(file, "Save as &Enhanced Metafile...", IDM_SAVE_ENHANCED);
        file->addSeparator();
        Item(file, "Print at &Original Size", IDM_PRINT_ORIGINAL, true);
        Item(file, "Print &Stretched to fit into page", IDM_PRINT_STRETCHED, true);
        Item(file, "&Print ...", IDM_PRINT);
        file->addSeparator();
        Item(file, "E&xit", IDM_EXIT);
        QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
        Item(edit, "&Copy", IDM_COPY);
        Item(edit, "&Paste", IDM_PASTE);
        edit->addSeparator();
        Item(edit, "&Zoom to original size", IDM_ZOOM_ORIGINAL);
        edit->addSeparator();
        Item(edit, "Metafile &Info ...", IDM_INFO);
        QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
        Item(help, "&About", IDM_ABOUT);
        for (QMenu* m : {file, edit, help})
            connect(m, &QMenu::aboutToShow, this, [this] { UpdateMenu(); });
        UpdateMenu();
    }

    void Invalidate() override { canvas_->update(); }
    void Close() override { QTimer::singleShot(0, qApp, [] { QApplication::quit(); }); }
    RECT ClientRect() override { return RECT{0, 0, canvas_->width(), canvas_->height()}; }
    RECT WindowRect() override
    {
        const QRect f = frameGeometry();
        // the menu bar counts to the window, as the menu does on the desktop
        return RECT{f.left(), f.top(), f.left() + f.width(), f.top() + f.height()};
    }
    void MoveToTopLeft(int width, int height) override
    {
        const QRect f = frameGeometry();
        const QSize extra = f.size() - size();
        resize(std::max(1, width - extra.width()), std::max(1, height - extra.height()));
        move(0, 0);
        raise();
        show();
    }

    void UpdateMenu()
    {
        main_window_proc(this, WM_INITMENU, 0, 0);
        for (auto& [id, action] : actions_) {
            const TMenuItemState s = menu_item_state(id);
            action->setEnabled(s.enabled);
            if (action->isCheckable())
                action->setChecked(s.checked);
        }
    }

protected:
    void closeEvent(QCloseEvent* e) override
    {
        QMainWindow::closeEvent(e);
        QApplication::quit();
    }

private:
    void Item(QMenu* menu, const char* text, int id, bool checkable = false)
    {
        QAction* a = menu->addAction(QString::fromUtf8(text));
        a->setCheckable(checkable);
        connect(a, &QAction::triggered, this, [this, id] {
            Application->Guard([&] { main_window_proc(this, WM_COMMAND, WPARAM(id), 0); }, nullptr);
            UpdateMenu();
        });
        actions_[id] = a;
    }
    TCanvasWidget* canvas_;
    std::map<int, QAction*> actions_;
};

} // namespace

int main(int argc, char** argv)
{
    TQApplication app(argc, argv);
    ApplyStandardLook();
    Application->SetTitle("drawport");
    TMainWindow window;
    if (!create_main_window(&window, &window))
        return 0;
    window.resize(640, 480);
    window.show();
    // the whole text after the program name is the file name
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            commandLine += ' ';
        commandLine += argv[i];
    }
    open_command_line_file(commandLine.c_str());
    window.UpdateMenu();
    if (const char* grab = std::getenv("DRAWPORT_GRAB")) {
        // batch checks: the window as drawn, into a PNG, then the program ends
        const QString path = QString::fromLocal8Bit(grab);
        QTimer::singleShot(1500, &app, [&window, path] {
            window.grab().save(path);
            QApplication::quit();
        });
    }
    return QApplication::exec();
}
