#include "Dialogs.h"

#include "Forms.h"

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
