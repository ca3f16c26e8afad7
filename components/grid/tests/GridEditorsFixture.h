#pragma once
// A string grid on a shown form, edited with real key and mouse events through the stand-in.
#include "components/grid/PlusGrid.h"

#include "platform/framework/Clipbrd.h"
#include "platform/framework/Forms.h"
#include "platform/rtl/SysUtils.h"

#include <QApplication>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include <string>
#include <vector>

struct GridEditFixture : ::testing::Test {
    GridEditFixture()
    {
        saved = FormatSettings();
        FormatSettings().DecimalSeparator = '.';
        FormatSettings().ThousandSeparator = ',';
        FormatSettings().DateSeparator = '/';
        FormatSettings().TimeSeparator = ':';
        FormatSettings().ShortDateFormat = "dd/mm/yyyy";
        FormatSettings().LongTimeFormat = "hh:nn:ss";
        form.SetBounds(0, 0, 420, 240);
        grid = new TPlusStringGrid(&form);
        grid->SetParent(&form);
        grid->SetBounds(0, 0, 400, 220);
        grid->SetColCount(5);
        grid->SetRowCount(6);
        TGridOptions o = grid->Options();
        o << goEditing;
        grid->SetOptions(o);
        grid->OnGetEditorType = [this](TObject*, int, int, TEditorType& e) { e = editor; };
        grid->OnEditCellDone = [this](TObject*, int c, int r) { Log("done " + std::to_string(c) + "," + std::to_string(r)); };
        grid->OnCellValidate = [this](TObject*, int, int, String& v, bool& valid) {
            Log("validate " + v);
            if (refuse == v) {
                valid = false;
                if (!replacement.empty())
                    v = replacement;
            }
        };
        form.Show();
        QApplication::setActiveWindow(form.Host());
        grid->SetFocus();
        Pump();
    }
    ~GridEditFixture() override { FormatSettings() = saved; }

    void Log(const std::string& s) { events.push_back(s); }
    static void Pump()
    {
        for (int i = 0; i < 3; ++i)
            QApplication::processEvents();
    }
    static QWidget* Target()
    {
        QWidget* w = QApplication::focusWidget();
        return w ? w : nullptr;
    }
    void Key(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        QWidget* w = Target();
        QTest::keyClick(w ? w : grid->Host(), k, m);
        Pump();
    }
    void Type(const QString& text)
    {
        for (QChar c : text) {
            QWidget* w = Target();
            QTest::keyClick(w ? w : grid->Host(), c.toLatin1() ? c.toLatin1() : char(0));
        }
        Pump();
    }
    // Types characters as text input (any Unicode character).
    void TypeUnicode(const QString& text)
    {
        for (QChar c : text) {
            QWidget* w = Target();
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(w ? w : grid->Host(), &press);
            QApplication::sendEvent(w ? w : grid->Host(), &release);
        }
        Pump();
    }
    void Go(int col, int row)
    {
        grid->FocusCell(col, row, true);
        Pump();
    }
    // F2 on the current cell
    void Open()
    {
        Key(Qt::Key_F2);
    }
    bool Logged(const std::string& s) const
    {
        for (const auto& e : events)
            if (e == s)
                return true;
        return false;
    }

    TFormatSettings saved;
    TForm form{nullptr};
    TPlusStringGrid* grid = nullptr;
    TEditorType editor = edNormal;
    String refuse = "\x01";
    String replacement;
    std::vector<std::string> events;
};
