#include "platform/framework/Dialogs.h"
#include "platform/framework/Forms.h"

#include <QApplication>
#include <QGuiApplication>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// Runs `action` once the modal loop has started.
void Later(std::function<void()> action)
{
    QTimer::singleShot(0, std::move(action));
}

struct EventLog {
    std::vector<String> lines;
    void Hook(TForm* f)
    {
        f->OnCreate = [this](TObject*) { lines.push_back("create"); };
        f->OnShow = [this](TObject*) { lines.push_back("show"); };
        f->OnActivate = [this](TObject*) { lines.push_back("activate"); };
        f->OnCloseQuery = [this](TObject*, bool& can) {
            lines.push_back("closequery");
            can = allowClose;
        };
        f->OnClose = [this](TObject*, TCloseAction& a) {
            lines.push_back("close");
            a = action;
        };
    }
    bool allowClose = true;
    TCloseAction action = caHide;
};

} // namespace

TEST(Forms, ShowModalReturnsTheModalResultThatClosedIt)
{
    TForm form(nullptr);
    EventLog log;
    log.Hook(&form);
    form.AfterConstruction();
    Later([&] { form.SetModalResult(mrYes); });
    EXPECT_EQ(form.ShowModal(), mrYes);
    EXPECT_EQ(log.lines, (std::vector<String>{"create", "show", "activate", "closequery", "close"}));
    EXPECT_FALSE(form.Host()->isVisible());
}

TEST(Forms, CloseQueryRefusalKeepsModalFormOpen)
{
    TForm form(nullptr);
    EventLog log;
    log.Hook(&form);
    log.allowClose = false;
    Later([&] {
        form.SetModalResult(mrOk);
        EXPECT_EQ(form.ModalResult(), mrNone);
        EXPECT_TRUE(form.Host()->isVisible());
        log.allowClose = true;
        form.Close(); // a modal form closes with mrCancel
    });
    EXPECT_EQ(form.ShowModal(), mrCancel);
}

TEST(Forms, CloseActionNoneKeepsFormAndFreeReleasesIt)
{
    auto* form = new TForm(nullptr);
    EventLog log;
    log.Hook(form);
    form->Show();
    log.action = caNone;
    form->Close();
    EXPECT_TRUE(form->Host()->isVisible());
    log.action = caFree;
    QPointer<QWidget> host = form->Host();
    form->Close();
    EXPECT_FALSE(host->isVisible());
    QApplication::processEvents();
    EXPECT_TRUE(host.isNull()); // the form was freed after the event
}

TEST(Forms, ClientSizeCaptionAndBorderStyle)
{
    TForm form(nullptr);
    form.SetCaption("Project settings");
    form.SetBorderStyle(bsDialog);
    form.SetClientWidth(400);
    form.SetClientHeight(300);
    EXPECT_EQ(form.ClientWidth(), 400);
    EXPECT_EQ(form.ClientHeight(), 300);
    EXPECT_EQ(form.Host()->windowTitle(), "Project settings");
    EXPECT_EQ(form.Host()->minimumSize(), form.Host()->maximumSize());
}

TEST(Application, ExceptionsFromFormEventsReachOnException)
{
    std::vector<String> seen;
    Application->OnException = [&](TObject* sender, Exception* e) {
        seen.push_back(e->Message());
        EXPECT_NE(sender, nullptr);
    };
    {
        TForm form(nullptr);
        form.OnShow = [](TObject*) { throw EConvertError("'x' is not a valid integer value"); };
        form.OnActivate = [](TObject*) { Abort(); };
        Later([&] { form.SetModalResult(mrOk); });
        form.ShowModal();
    }
    Application->OnException = nullptr;
    EXPECT_EQ(seen, (std::vector<String>{"'x' is not a valid integer value"})); // EAbort is silent
}

TEST(Application, ShowExceptionShowsTheMessageWithAFullStop)
{
    TMessageBoxInterceptor boxes;
    Application->SetTitle("Quelm");
    Application->Guard([] { throw Exception("Table is read only"); });
    Application->Guard([] { throw std::runtime_error("disk full!"); });
    ASSERT_EQ(boxes.Count(), 2);
    EXPECT_EQ(boxes.Boxes()[0].Text, "Table is read only.");
    EXPECT_EQ(boxes.Boxes()[0].Caption, "Quelm");
    EXPECT_EQ(boxes.Boxes()[0].Kind, TMessageBoxKind::Error);
    EXPECT_EQ(boxes.Boxes()[1].Text, "disk full!");
}

TEST(Screen, CursorPutsUpAndTakesDownTheOverrideCursor)
{
    Screen->SetCursor(crHourGlass);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    {
        TCursorScope scope(crSQLWait);
        EXPECT_EQ(Screen->Cursor(), crSQLWait);
    }
    EXPECT_EQ(Screen->Cursor(), crHourGlass);
    Screen->SetCursor(crDefault);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(MessageBoxes, MessageDlgRecordsAndAnswersByScript)
{
    TMessageBoxInterceptor boxes;
    boxes.Answer("No");
    EXPECT_EQ(MessageDlg("Delete the project?", mtConfirmation, mbYesNoCancel, 0), mrNo);
    // unscripted: the default button (Yes before OK before the first)
    EXPECT_EQ(MessageDlg("Save?", mtWarning, TMsgDlgButtons() << mbCancel << mbYes, 0), mrYes);
    boxes.Answer("Retry"); // not on the box: default button, and noted
    EXPECT_EQ(MessageDlg("Failed", mtError, TMsgDlgButtons{mbOK}, 0), mrOk);
    EXPECT_EQ(boxes.Unmatched, (std::vector<String>{"Retry"}));
    ShowMessage("Done");

    ASSERT_EQ(boxes.Count(), 4);
    const auto& first = boxes.Boxes()[0];
    EXPECT_EQ(first.Kind, TMessageBoxKind::Confirmation);
    EXPECT_EQ(first.Caption, "Confirm");
    EXPECT_EQ(first.Text, "Delete the project?");
    EXPECT_EQ(first.Buttons, (std::vector<String>{"Yes", "No", "Cancel"}));
    EXPECT_EQ(boxes.Boxes()[1].Caption, "Warning");
    EXPECT_EQ(boxes.Boxes()[1].Buttons, (std::vector<String>{"Yes", "Cancel"}));
    EXPECT_EQ(boxes.Boxes()[2].Caption, "Error");
    EXPECT_EQ(boxes.Last().Text, "Done");
    EXPECT_EQ(boxes.Last().Buttons, (std::vector<String>{"OK"}));
}

TEST(MessageBoxes, ApplicationMessageBoxFlags)
{
    struct Case {
        UINT flags;
        const char* answer;
        std::vector<String> buttons;
        TMessageBoxKind kind;
        int result;
    };
    const Case cases[] = {
        {MB_OK, "", {"OK"}, TMessageBoxKind::None, IDOK},
        {MB_YESNO | MB_ICONQUESTION, "No", {"Yes", "No"}, TMessageBoxKind::Confirmation, IDNO},
        {MB_YESNOCANCEL | MB_ICONEXCLAMATION | MB_DEFBUTTON3, "", {"Yes", "No", "Cancel"}, TMessageBoxKind::Warning, IDCANCEL},
        {MB_OKCANCEL | MB_ICONINFORMATION, "Cancel", {"OK", "Cancel"}, TMessageBoxKind::Information, IDCANCEL},
        {MB_ABORTRETRYIGNORE | MB_ICONSTOP, "Ignore", {"Abort", "Retry", "Ignore"}, TMessageBoxKind::Error, IDIGNORE},
        {MB_RETRYCANCEL | MB_DEFBUTTON2, "", {"Retry", "Cancel"}, TMessageBoxKind::None, IDCANCEL},
    };
    for (const Case& c : cases) {
        TMessageBoxInterceptor boxes;
        if (*c.answer)
            boxes.Answer(c.answer);
        EXPECT_EQ(Application->MessageBox("text", "caption", c.flags), c.result) << c.flags;
        ASSERT_EQ(boxes.Count(), 1);
        EXPECT_EQ(boxes.Last().Buttons, c.buttons) << c.flags;
        EXPECT_EQ(boxes.Last().Kind, c.kind) << c.flags;
        EXPECT_EQ(boxes.Last().Caption, "caption");
    }
}

TEST(MessageBoxes, WithoutInterceptorOffscreenAnswersTheDefault)
{
    EXPECT_EQ(MessageDlg("Continue?", mtConfirmation, mbYesNo, 0), mrYes);
    EXPECT_EQ(Application->MessageBox("x", "y", MB_YESNO | MB_DEFBUTTON2), IDNO);
}
