#pragma once
// rowsift's only window, titled "Data selection": while the selection runs it shows what
// is going on and how many rows have been selected so far.
#include <QMainWindow>
#include <QString>

class SelectionCanvas;

class CSelectionFrame : public QMainWindow {
    Q_OBJECT
public:
    CSelectionFrame();

    // Places the window at a quarter of the screen width and 0.3 of its height, half the
    // screen wide and 0.2 of it high.
    void PlaceOnScreen();
    // Shows the progress texts with the counter "0".
    void BeginSelection();
    // The counter text; the window shows it at its next repaint.
    void ShowCount(long count);
    // Lets the window repaint (throttled by the caller); user input waits.
    void Refresh();
    void EndSelection();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    SelectionCanvas* canvas_;
    bool running_ = false;
};
