#pragma once
// Message boxes: the API's MessageBox and the one presenter that every message box of the
// system goes through (the framework's MessageDlg/ShowMessage/Application->MessageBox too),
// with an interceptor that tests install to record boxes and answer them by script.
#include "platform/win/WinDef.h"
#include "platform/rtl/System.h"

#include <deque>
#include <functional>
#include <vector>

// MessageBox flags
constexpr UINT MB_OK = 0x0;
constexpr UINT MB_OKCANCEL = 0x1;
constexpr UINT MB_ABORTRETRYIGNORE = 0x2;
constexpr UINT MB_YESNOCANCEL = 0x3;
constexpr UINT MB_YESNO = 0x4;
constexpr UINT MB_RETRYCANCEL = 0x5;
constexpr UINT MB_ICONHAND = 0x10;
constexpr UINT MB_ICONERROR = MB_ICONHAND;
constexpr UINT MB_ICONSTOP = MB_ICONHAND;
constexpr UINT MB_ICONQUESTION = 0x20;
constexpr UINT MB_ICONEXCLAMATION = 0x30;
constexpr UINT MB_ICONWARNING = MB_ICONEXCLAMATION;
constexpr UINT MB_ICONASTERISK = 0x40;
constexpr UINT MB_ICONINFORMATION = MB_ICONASTERISK;
constexpr UINT MB_DEFBUTTON1 = 0x0;
constexpr UINT MB_DEFBUTTON2 = 0x100;
constexpr UINT MB_DEFBUTTON3 = 0x200;
constexpr UINT MB_APPLMODAL = 0x0;
constexpr UINT MB_SYSTEMMODAL = 0x1000;
constexpr UINT MB_TASKMODAL = 0x2000;
constexpr UINT MB_SETFOREGROUND = 0x10000;
constexpr UINT MB_TOPMOST = 0x40000;

// MessageBox results
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Kind of a box: its icon.
enum class TMessageBoxKind { None, Error, Warning, Information, Confirmation };
const char* MessageBoxKindName(TMessageBoxKind kind); // "None", "Error", "Warning"...

// One button of a box: its plain name ("OK", "Cancel", "Yes", "No", "Abort", "Retry",
// "Ignore", "All", "No to All", "Yes to All", "Help"), the caption shown (with an '&'
// accelerator) and the code the caller gets back when it is chosen.
struct TMessageBoxButton {
    String Name;
    String Caption;
    int Result = 0;
};

struct TMessageBoxRequest {
    TMessageBoxKind Kind = TMessageBoxKind::None;
    String Caption;
    String Text;
    std::vector<TMessageBoxButton> Buttons; // in the order shown
    int DefaultButton = 0;                  // index into Buttons
    int EscapeResult = 0;                   // result when the box is closed without a button
    HWND Owner = nullptr;
};

// Shows the box (or hands it to the interceptor) and returns the chosen button's Result.
// Without an interceptor on a platform that cannot show windows (offscreen, minimal), the
// box is written to standard error and answered with its default button, so that a test
// never waits for a hand that will not come.
int ShowMessageBoxRequest(const TMessageBoxRequest& request);

// The API call: buttons and icon from the flags; returns IDOK, IDYES...
int MessageBox(HWND owner, const String& text, const String& caption, UINT flags);

// What the interceptor saw of a box.
struct TMessageBoxRecord {
    TMessageBoxKind Kind = TMessageBoxKind::None;
    String Caption;
    String Text;
    std::vector<String> Buttons; // plain names, in the order shown
};

// Installed for its lifetime (the newest one wins): records every box and answers it with
// the next scripted button name, or with the box's default button when the script is empty
// or names a button the box does not have (recorded in Unmatched).
class TMessageBoxInterceptor {
public:
    TMessageBoxInterceptor();
    ~TMessageBoxInterceptor();
    TMessageBoxInterceptor(const TMessageBoxInterceptor&) = delete;
    TMessageBoxInterceptor& operator=(const TMessageBoxInterceptor&) = delete;

    // Queue the answer for the next box ("Yes", "No", "OK", "Cancel"...).
    void Answer(const String& buttonName) { script_.push_back(buttonName); }
    const std::vector<TMessageBoxRecord>& Boxes() const { return boxes_; }
    const TMessageBoxRecord& Last() const; // Exception when no box was shown
    int Count() const { return int(boxes_.size()); }
    std::vector<String> Unmatched;         // scripted answers the box had no button for
    void Clear() { boxes_.clear(); }

    int Handle(const TMessageBoxRequest& request); // used by ShowMessageBoxRequest

private:
    std::vector<TMessageBoxRecord> boxes_;
    std::deque<String> script_;
    TMessageBoxInterceptor* previous_ = nullptr;
};
