#pragma once
// The framework's message dialogs. Every box goes through the one presenter of the API
// subset (ShowMessageBoxRequest), so a TMessageBoxInterceptor records and answers these too.
#include "Controls.h"
#include "platform/win/WinMessageBox.h"

#include <initializer_list>

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp };

// A set of buttons: TMsgDlgButtons() << mbYes << mbNo, or {mbYes, mbNo}.
class TMsgDlgButtons {
public:
    TMsgDlgButtons() = default;
    TMsgDlgButtons(std::initializer_list<TMsgDlgBtn> buttons)
    {
        for (TMsgDlgBtn b : buttons)
            *this << b;
    }
    TMsgDlgButtons& operator<<(TMsgDlgBtn b)
    {
        bits_ |= 1u << unsigned(b);
        return *this;
    }
    TMsgDlgButtons& operator>>(TMsgDlgBtn b)
    {
        bits_ &= ~(1u << unsigned(b));
        return *this;
    }
    bool Contains(TMsgDlgBtn b) const { return (bits_ & (1u << unsigned(b))) != 0; }
    bool Empty() const { return bits_ == 0; }

private:
    unsigned bits_ = 0;
};

extern const TMsgDlgButtons mbYesNoCancel;
extern const TMsgDlgButtons mbYesNo;
extern const TMsgDlgButtons mbOKCancel;
extern const TMsgDlgButtons mbAbortRetryIgnore;

// Shows the box captioned "Warning", "Error", "Information", "Confirm" (mtCustom: the
// application title) with the buttons in the order Yes, No, OK, Cancel, Abort, Retry,
// Ignore, All, No to All, Yes to All, Help; returns mrYes, mrNo, mrOk... The default button is
// the first of OK/Yes present (else the first shown); closing the box answers Cancel when
// present, else No, else OK.
int MessageDlg(const String& text, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext);
int MessageDlgPos(const String& text, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext, int x, int y);
// An information-less box with OK, captioned with the application title.
void ShowMessage(const String& text);
// Format + ShowMessage.
void ShowMessageFmt(const String& format, std::initializer_list<TVarRec> args);
