#pragma once
// An editor window on a copy of the demo database, shown offscreen as its caller shows it
// (activation included), with every message box recorded and answered by script.
#include "CommonUnits/GeneralUnits/tests/dm_fixture.h"

#include "platform/dbctrls/DBCtrls.h"
#include "platform/framework/Forms.h"

#include <QApplication>
#include <QTest>
#include <QTimer>

#include <functional>

class EditorWindowTest : public DataModuleTest {
protected:
    void SetUp() override
    {
        DataModuleTest::SetUp();
        module->ConfirmOn(); // as the main window's idle handler leaves it
    }
    void TearDown() override
    {
        Application->ProcessMessages();
        delete form;
        form = nullptr;
        Application->OnException = nullptr; // a main window's handlers go with it
        Application->OnIdle = nullptr;
        Screen->SetCursor(crDefault);
        DataModuleTest::TearDown();
    }

    // Creates and shows the window; its activation runs.
    template <class T>
    T* Open()
    {
        auto* window = New<T>(nullptr);
        form = window;
        window->Show();
        Application->ProcessMessages();
        return window;
    }
    // Presses the window's close box; true when the window closed.
    bool CloseWindow()
    {
        form->Close();
        Application->ProcessMessages();
        return !form->Visible();
    }

    // Types text at the end of an edit as the user does.
    static void Type(TWinControl* edit, const char* text)
    {
        QTest::keyClick(edit->Host(), Qt::Key_End);
        QTest::keyClicks(edit->Host(), text);
    }
    // Replaces the text of an edit as the user does (select all, type; the first key puts the
    // record into edit state and shows it again, so each key goes to the end).
    static void Retype(TWinControl* edit, const char* text)
    {
        QTest::keyClick(edit->Host(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(edit->Host(), Qt::Key_Delete);
        for (const char* c = text; *c; ++c) {
            QTest::keyClick(edit->Host(), Qt::Key_End);
            QTest::keyClicks(edit->Host(), QString(QChar(*c)));
        }
    }
    // A click of the user on a control.
    static void ClickOn(TControl* control)
    {
        QTest::mouseClick(control->Host(), Qt::LeftButton, Qt::NoModifier, QPoint(8, control->Height() / 2));
    }
    // What the user does, with its exceptions handled as the program's event loop does (a
    // refusal by a dataset rule is silent).
    static void User(const std::function<void()>& action) { Application->Guard(action); }

    // Runs `action` on the next modal window of class T once it shows (then `action` closes it).
    template <class T>
    static void WhenShown(std::function<void(T*)> action)
    {
        QTimer::singleShot(0, [action] {
            for (int i = 0; i < Screen->FormCount(); ++i)
                if (auto* window = dynamic_cast<T*>(Screen->Forms(i)); window && window->Visible()) {
                    action(window);
                    return;
                }
            WhenShown<T>(action);
        });
    }

    TForm* form = nullptr;
};
