#include "platform/framework/Dialogs.h"

#include "platform/framework/Forms.h"

#include <QApplication>

const TMsgDlgButtons mbYesNoCancel{mbYes, mbNo, mbCancel};
const TMsgDlgButtons mbYesNo{mbYes, mbNo};
const TMsgDlgButtons mbOKCancel{mbOK, mbCancel};
const TMsgDlgButtons mbAbortRetryIgnore{mbAbort, mbRetry, mbIgnore};

namespace {

struct ButtonInfo {
    TMsgDlgBtn Button;
    const char* Name;
    const char* Caption;
    int Result;
};

// in the order the buttons are shown
const ButtonInfo kButtons[] = {
    {mbYes, "Yes", "&Yes", mrYes},
    {mbNo, "No", "&No", mrNo},
    {mbOK, "OK", "OK", mrOk},
    {mbCancel, "Cancel", "Cancel", mrCancel},
    {mbAbort, "Abort", "&Abort", mrAbort},
    {mbRetry, "Retry", "&Retry", mrRetry},
    {mbIgnore, "Ignore", "&Ignore", mrIgnore},
    {mbAll, "All", "&All", mrAll},
    {mbNoToAll, "No to All", "N&o to All", mrNoToAll},
    {mbYesToAll, "Yes to All", "Yes to &All", mrYesToAll},
    {mbHelp, "Help", "&Help", mrNone},
};

TMessageBoxRequest BuildRequest(const String& text, TMsgDlgType type, TMsgDlgButtons buttons)
{
    TMessageBoxRequest request;
    request.Text = text;
    request.Owner = QApplication::activeWindow();
    switch (type) {
    case mtWarning: request.Kind = TMessageBoxKind::Warning; request.Caption = "Warning"; break;
    case mtError: request.Kind = TMessageBoxKind::Error; request.Caption = "Error"; break;
    case mtInformation: request.Kind = TMessageBoxKind::Information; request.Caption = "Information"; break;
    case mtConfirmation: request.Kind = TMessageBoxKind::Confirmation; request.Caption = "Confirm"; break;
    case mtCustom: request.Kind = TMessageBoxKind::None; request.Caption = Application->Title(); break;
    }
    if (buttons.Empty())
        buttons << mbOK;
    for (const ButtonInfo& b : kButtons)
        if (buttons.Contains(b.Button))
            request.Buttons.push_back({b.Name, b.Caption, b.Result});
    request.DefaultButton = 0;
    for (size_t i = 0; i < request.Buttons.size(); ++i)
        if (request.Buttons[i].Result == mrOk || request.Buttons[i].Result == mrYes) {
            request.DefaultButton = int(i);
            break;
        }
    request.EscapeResult = buttons.Contains(mbCancel) ? mrCancel
                         : buttons.Contains(mbNo)     ? mrNo
                         : buttons.Contains(mbOK)     ? mrOk
                                                      : mrCancel;
    return request;
}

} // namespace

int MessageDlg(const String& text, TMsgDlgType type, TMsgDlgButtons buttons, int /*helpContext*/)
{
    return ShowMessageBoxRequest(BuildRequest(text, type, buttons));
}

int MessageDlgPos(const String& text, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext, int, int)
{
    return MessageDlg(text, type, buttons, helpContext);
}

void ShowMessage(const String& text)
{
    TMessageBoxRequest request = BuildRequest(text, mtCustom, TMsgDlgButtons{mbOK});
    ShowMessageBoxRequest(request);
}

void ShowMessageFmt(const String& format, std::initializer_list<TVarRec> args)
{
    ShowMessage(Format(format, args));
}

// ---------------------------------------------------------------- file and folder dialogs

#include "platform/rtl/FileUtils.h"

#include <QFileDialog>
#include <QGuiApplication>

namespace {

TFileDialogInterceptor* currentFileInterceptor = nullptr;

bool ShowsDialogs()
{
    // a journey driver answers the dialogs on a screen-less platform as a person would
    if (QCoreApplication::instance() && QCoreApplication::instance()->property("quelmDrivenWindows").toBool())
        return true;
    const QString platform = QGuiApplication::platformName();
    return platform != "offscreen" && platform != "minimal";
}

// "Text files|*.txt;*.dat|All|*.*" as Qt's "Text files (*.txt *.dat);;All (*.*)".
QString QtFilter(const String& filter, int index, QString& selected)
{
    QStringList parts = ToQString(filter).split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        out << parts[i] + " (" + patterns + ")";
        if (i / 2 + 1 == index)
            selected = out.back();
    }
    return out.join(QLatin1String(";;"));
}

// Runs the request through the interceptor or, with none, through a Qt dialog.
bool RunFileDialog(const TFileDialogRequest& request, bool mustExist, bool overwritePrompt, int filterIndex,
                   String& answer)
{
    if (currentFileInterceptor)
        return currentFileInterceptor->Take(request, answer);
    if (!ShowsDialogs())
        return false;
    QString selected;
    const QString filter = QtFilter(request.Filter, filterIndex, selected);
    QString start = ToQString(request.InitialDir);
    if (!request.FileName.empty())
        start = start.isEmpty() ? ToQString(request.FileName) : start + "/" + ToQString(ExtractFileName(request.FileName));
    QString chosen;
    if (request.Kind == "Folder") {
        chosen = QFileDialog::getExistingDirectory(QApplication::activeWindow(), ToQString(request.Title), start);
    } else if (request.Kind == "Save") {
        chosen = QFileDialog::getSaveFileName(QApplication::activeWindow(), ToQString(request.Title), start, filter,
                                              &selected, overwritePrompt ? QFileDialog::Options() : QFileDialog::DontConfirmOverwrite);
    } else {
        (void)mustExist; // the open dialog offers existing files only
        chosen = QFileDialog::getOpenFileName(QApplication::activeWindow(), ToQString(request.Title), start, filter,
                                              &selected);
    }
    if (chosen.isEmpty())
        return false;
    answer = FromQString(chosen);
    return true;
}

} // namespace

TFileDialogInterceptor::TFileDialogInterceptor() : previous_(currentFileInterceptor)
{
    currentFileInterceptor = this;
}

TFileDialogInterceptor::~TFileDialogInterceptor()
{
    currentFileInterceptor = previous_;
}

void TFileDialogInterceptor::Answer(const String& path) { script_.emplace_back(true, path); }
void TFileDialogInterceptor::Cancel() { script_.emplace_back(false, String()); }

bool TFileDialogInterceptor::Take(const TFileDialogRequest& request, String& answer)
{
    requests_.push_back(request);
    if (script_.empty())
        return false;
    auto [ok, path] = script_.front();
    script_.pop_front();
    if (ok)
        answer = path;
    return ok;
}

TOpenDialog::TOpenDialog(TComponent* owner) : TComponent(owner), files_(std::make_unique<TStringList>())
{
    Options << ofHideReadOnly << ofEnableSizing;
}

TOpenDialog::~TOpenDialog() = default;

bool TOpenDialog::Execute()
{
    TFileDialogRequest request{Saving() ? "Save" : "Open", Title, InitialDir, FileName, Filter};
    String answer;
    if (!RunFileDialog(request, Options.Contains(ofFileMustExist), Options.Contains(ofOverwritePrompt), FilterIndex,
                       answer))
        return false;
    if (!DefaultExt.empty() && ExtractFileExt(answer).empty())
        answer += (DefaultExt[0] == '.' ? "" : ".") + DefaultExt;
    FileName = answer;
    files_->Clear();
    files_->Add(answer);
    return true;
}

bool SelectDirectory(const String& caption, const String& root, String& directory)
{
    TFileDialogRequest request{"Folder", caption, directory.empty() ? root : directory, String(), String()};
    String answer;
    if (!RunFileDialog(request, true, false, 0, answer))
        return false;
    directory = answer;
    return true;
}
