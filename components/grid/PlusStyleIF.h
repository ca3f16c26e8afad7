#pragma once
// Which look the desktop has, for grids that adapt their colours: the visual style's colour
// scheme, the installed Office version and its colour theme (from the Office settings key of
// the registry), one combined style code, and a process-wide notifier that tells windows when
// the Office theme setting changes.
#include "platform/framework/Controls.h"
#include "platform/win/WinRegistry.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// The message a registered window gets when the watched settings key changes: wParam the
// root key, lParam the key path (a zero-terminated byte string, valid during the call).
constexpr UINT WM_OFFICETHEMECHANGE = 2993;

bool IsComCtl32V6();
bool HasGetLocaleInfoEx();
bool IsWinXPOrLater();
// 0 none or another name, 1 "NormalColor", 2 "HomeStead", 3 "Metallic".
uint8_t GetXPColorScheme();
// 0 none, 1 Office 12.0, 2 Office 14.0.
uint8_t GetInstalledOfficeVersion();
// The "Theme" value of the key, or -1 when the key or the value is missing.
int ReadOfficeThemeValue(TRegistry* Registry, const String& Key);
// 0..9: Office 14.0 theme 1..3 gives 7..9, Office 12.0 theme 1..3 gives 4..6 (another theme
// value 0); without either, the visual style's scheme: NormalColor 0, Metallic 1,
// HomeStead 2, none 3.
uint8_t GetSystemStyleTheme();

class TThemeNotifier;

// The invisible window that receives the change message for the notifier.
class TThemeNotifierWindow : public TCustomControl {
public:
    explicit TThemeNotifierWindow(TComponent* AOwner) : TCustomControl(AOwner) {}
    TNotifyEvent OnChange;

protected:
    void WndProc(TMessage& Message) override;
};

// Watches the settings key of the installed Office version (when there is one) from a
// background thread and tells the notifier window and every registered window, on the main
// thread, when the key changes.
class TThemeNotifier : public TComponent {
public:
    explicit TThemeNotifier(TComponent* AOwner);
    ~TThemeNotifier() override;
    String ClassName() const override { return "TThemeNotifier"; }
    void RegisterWindow(HWND Window);
    void UnRegisterWindow(HWND Window);
    void DoThemeChange(TObject* Sender);
    bool Watching() const { return watching_; }
    std::vector<HWND> Windows() const;
    TNotifyEvent OnOfficeThemeChange;
    // How often the background thread looks at the key (milliseconds).
    static int PollInterval;

private:
    void Watch(String last);
    TThemeNotifierWindow* window_ = nullptr;
    bool watching_ = false;
    String keyPath_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<HWND> windows_;
};

// The process-wide notifier, created on first use (owned by the main form once it has a
// window, else by the calling component).
TThemeNotifier* GetThemeNotifier(TComponent* Caller);
