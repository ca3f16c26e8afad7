#pragma once
// The framework's message dialogs. Every box goes through the one presenter of the API
// subset (ShowMessageBoxRequest), so a TMessageBoxInterceptor records and answers these too.
#include "platform/framework/Controls.h"
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

// ---------------------------------------------------------------- file and folder dialogs

#include "platform/framework/Component.h"
#include "platform/rtl/Classes.h"

#include <deque>
#include <memory>
#include <vector>

enum TOpenOption { ofReadOnly, ofOverwritePrompt, ofHideReadOnly, ofNoChangeDir, ofShowHelp, ofNoValidate,
                   ofAllowMultiSelect, ofExtensionDifferent, ofPathMustExist, ofFileMustExist, ofCreatePrompt,
                   ofShareAware, ofNoReadOnlyReturn, ofNoTestFileCreate, ofNoNetworkButton, ofNoLongNames,
                   ofOldStyleDialog, ofNoDereferenceLinks, ofEnableIncludeNotify, ofEnableSizing };
using TOpenOptions = TSet<TOpenOption>;

// An open dialog: Execute shows it and, when the user picks a file, sets FileName (and Files)
// and returns true. Filter holds "description|patterns" pairs joined by '|' (patterns joined
// by ';'); FilterIndex counts from 1. A chosen name without an extension gets DefaultExt.
class TOpenDialog : public TComponent {
public:
    explicit TOpenDialog(TComponent* owner);
    ~TOpenDialog() override;
    String ClassName() const override { return "TOpenDialog"; }
    String Title;
    String FileName;
    String Filter;
    int FilterIndex = 1;
    String InitialDir;
    String DefaultExt;
    TOpenOptions Options;
    TStrings* Files() const { return files_.get(); }
    virtual bool Execute();

protected:
    virtual bool Saving() const { return false; }

private:
    std::unique_ptr<TStringList> files_;
};

// A save dialog: as the open dialog; with ofOverwritePrompt an existing file is confirmed first.
class TSaveDialog : public TOpenDialog {
public:
    explicit TSaveDialog(TComponent* owner) : TOpenDialog(owner) {}
    String ClassName() const override { return "TSaveDialog"; }

protected:
    bool Saving() const override { return true; }
};

// Asks for a folder below `root` (any folder when empty), starting at `directory`; true with
// the chosen folder in `directory`, false when the user cancels.
bool SelectDirectory(const String& caption, const String& root, String& directory);

// What a file or folder dialog asked.
struct TFileDialogRequest {
    String Kind; // "Open", "Save" or "Folder"
    String Title;
    String InitialDir;
    String FileName;
    String Filter;
};

// Tests: while one lives, every file and folder dialog is recorded and answered from its
// script instead of being shown (newest interceptor wins): Answer(path) picks that path,
// Cancel() cancels; with the script empty the dialog is cancelled. Without an interceptor on
// the offscreen platform a dialog is cancelled at once, so no test can hang on one.
class TFileDialogInterceptor {
public:
    TFileDialogInterceptor();
    ~TFileDialogInterceptor();
    TFileDialogInterceptor(const TFileDialogInterceptor&) = delete;
    TFileDialogInterceptor& operator=(const TFileDialogInterceptor&) = delete;
    void Answer(const String& path);
    void Cancel();
    const std::vector<TFileDialogRequest>& Requests() const { return requests_; }
    // Used by the dialogs: records the request; true with the answer, false to cancel.
    bool Take(const TFileDialogRequest& request, String& answer);

private:
    std::vector<TFileDialogRequest> requests_;
    std::deque<std::pair<bool, String>> script_;
    TFileDialogInterceptor* previous_;
};
