#include "platform/win/WinMessageBox.h"

#include "platform/rtl/SysUtils.h"

#include <QApplication>
#include <algorithm>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <cstdio>

namespace {

TMessageBoxInterceptor* currentInterceptor = nullptr;

bool CanShowWindows()
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return false;
    // a journey driver answers the boxes on a screen-less platform as a person would
    if (QCoreApplication::instance()->property("quelmDrivenWindows").toBool())
        return true;
    const QString platform = QGuiApplication::platformName();
    return platform != "offscreen" && platform != "minimal";
}

const TMessageBoxButton kOk{"OK", "OK", IDOK};
const TMessageBoxButton kCancel{"Cancel", "Cancel", IDCANCEL};
const TMessageBoxButton kAbort{"Abort", "&Abort", IDABORT};
const TMessageBoxButton kRetry{"Retry", "&Retry", IDRETRY};
const TMessageBoxButton kIgnore{"Ignore", "&Ignore", IDIGNORE};
const TMessageBoxButton kYes{"Yes", "&Yes", IDYES};
const TMessageBoxButton kNo{"No", "&No", IDNO};

} // namespace

const char* MessageBoxKindName(TMessageBoxKind kind)
{
    switch (kind) {
    case TMessageBoxKind::Error: return "Error";
    case TMessageBoxKind::Warning: return "Warning";
    case TMessageBoxKind::Information: return "Information";
    case TMessageBoxKind::Confirmation: return "Confirmation";
    case TMessageBoxKind::None: break;
    }
    return "None";
}

TMessageBoxInterceptor::TMessageBoxInterceptor() : previous_(currentInterceptor)
{
    currentInterceptor = this;
}

TMessageBoxInterceptor::~TMessageBoxInterceptor()
{
    if (currentInterceptor == this)
        currentInterceptor = previous_;
}

const TMessageBoxRecord& TMessageBoxInterceptor::Last() const
{
    if (boxes_.empty())
        throw Exception("No message box was shown");
    return boxes_.back();
}

int TMessageBoxInterceptor::Handle(const TMessageBoxRequest& request)
{
    TMessageBoxRecord record{request.Kind, request.Caption, request.Text, {}};
    for (const auto& b : request.Buttons)
        record.Buttons.push_back(b.Name);
    boxes_.push_back(record);

    int chosen = request.DefaultButton;
    if (!script_.empty()) {
        const String answer = script_.front();
        script_.pop_front();
        bool found = false;
        for (size_t i = 0; i < request.Buttons.size(); ++i) {
            if (SameText(request.Buttons[i].Name, answer)) {
                chosen = int(i);
                found = true;
                break;
            }
        }
        if (!found)
            Unmatched.push_back(answer);
    }
    if (chosen < 0 || chosen >= int(request.Buttons.size()))
        return request.Buttons.empty() ? request.EscapeResult : request.Buttons.front().Result;
    return request.Buttons[size_t(chosen)].Result;
}

int ShowMessageBoxRequest(const TMessageBoxRequest& request)
{
    if (currentInterceptor)
        return currentInterceptor->Handle(request);

    const int defaultResult = request.Buttons.empty()
        ? request.EscapeResult
        : request.Buttons[size_t(std::clamp(request.DefaultButton, 0, int(request.Buttons.size()) - 1))].Result;
    if (!CanShowWindows()) {
        std::fprintf(stderr, "[message box %s] %s: %s\n", MessageBoxKindName(request.Kind),
                     StringToUtf8(request.Caption).c_str(), StringToUtf8(request.Text).c_str());
        return defaultResult;
    }

    QMessageBox box(request.Owner);
    box.setWindowTitle(ToQString(request.Caption));
    box.setText(ToQString(request.Text));
    switch (request.Kind) {
    case TMessageBoxKind::Error: box.setIcon(QMessageBox::Critical); break;
    case TMessageBoxKind::Warning: box.setIcon(QMessageBox::Warning); break;
    case TMessageBoxKind::Information: box.setIcon(QMessageBox::Information); break;
    case TMessageBoxKind::Confirmation: box.setIcon(QMessageBox::Question); break;
    case TMessageBoxKind::None: break;
    }
    std::vector<QPushButton*> buttons;
    QPushButton* escape = nullptr;
    for (size_t i = 0; i < request.Buttons.size(); ++i) {
        const auto& b = request.Buttons[i];
        QPushButton* button = box.addButton(ToQString(b.Caption), QMessageBox::ActionRole);
        buttons.push_back(button);
        if (int(i) == request.DefaultButton)
            box.setDefaultButton(button);
        if (b.Result == request.EscapeResult)
            escape = button;
    }
    if (escape)
        box.setEscapeButton(escape);
    box.exec();
    for (size_t i = 0; i < buttons.size(); ++i)
        if (box.clickedButton() == buttons[i])
            return request.Buttons[i].Result;
    return request.EscapeResult;
}

int MessageBox(HWND owner, const String& text, const String& caption, UINT flags)
{
    TMessageBoxRequest request;
    request.Owner = owner;
    request.Text = text;
    request.Caption = caption;
    switch (flags & 0x0F) {
    case MB_OKCANCEL: request.Buttons = {kOk, kCancel}; break;
    case MB_ABORTRETRYIGNORE: request.Buttons = {kAbort, kRetry, kIgnore}; break;
    case MB_YESNOCANCEL: request.Buttons = {kYes, kNo, kCancel}; break;
    case MB_YESNO: request.Buttons = {kYes, kNo}; break;
    case MB_RETRYCANCEL: request.Buttons = {kRetry, kCancel}; break;
    default: request.Buttons = {kOk}; break;
    }
    switch (flags & 0xF0) {
    case MB_ICONHAND: request.Kind = TMessageBoxKind::Error; break;
    case MB_ICONQUESTION: request.Kind = TMessageBoxKind::Confirmation; break;
    case MB_ICONEXCLAMATION: request.Kind = TMessageBoxKind::Warning; break;
    case MB_ICONASTERISK: request.Kind = TMessageBoxKind::Information; break;
    default: break;
    }
    request.DefaultButton = int((flags & 0xF00) >> 8);
    if (request.DefaultButton >= int(request.Buttons.size()))
        request.DefaultButton = 0;
    // Closing the box answers Cancel where the box has one (OK for a lone OK), else nothing.
    request.EscapeResult = 0;
    for (const auto& b : request.Buttons)
        if (b.Result == IDCANCEL)
            request.EscapeResult = IDCANCEL;
    if ((flags & 0x0F) == MB_OK)
        request.EscapeResult = IDOK;
    if ((flags & 0x0F) == MB_YESNO)
        request.EscapeResult = IDNO;
    return ShowMessageBoxRequest(request);
}
