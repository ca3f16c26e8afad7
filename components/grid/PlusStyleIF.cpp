#include "components/grid/PlusStyleIF.h"

#include "platform/framework/Forms.h"
#include "platform/win/WinModule.h"
#include "platform/win/WinUxTheme.h"
#include "platform/win/WinVersion.h"
#include "platform/win/WinWindow.h"

#include <algorithm>
#include <chrono>

namespace {

TThemeNotifier* gNotifier = nullptr;

const char* const kOffice14 = "Software\\Microsoft\\Office\\14.0\\Common";
const char* const kOffice12 = "Software\\Microsoft\\Office\\12.0\\Common";

// Everything the key holds, to tell a change.
String KeySnapshot(const String& path)
{
    TRegistry reg(KEY_READ);
    reg.SetRootKey(HKEY_CURRENT_USER);
    if (!reg.OpenKeyReadOnly(path))
        return "\x01missing";
    TStringList names;
    reg.GetValueNames(names);
    String snapshot;
    for (int i = 0; i < names.Count(); ++i) {
        const String name = names.Get(i);
        snapshot += name + '=';
        try {
            snapshot += std::to_string(reg.ReadInteger(name));
        } catch (const Exception&) {
            try {
                snapshot += reg.ReadString(name);
            } catch (const Exception&) {
            }
        }
        snapshot += '\n';
    }
    return snapshot;
}

} // namespace

bool IsComCtl32V6()
{
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSize("COMCTL32.DLL", &handle);
    int major = 255; // an unreadable version counts as new
    if (size) {
        std::vector<char> block(size);
        void* fixed = nullptr;
        UINT length = 0;
        if (GetFileVersionInfo("COMCTL32.DLL", handle, size, block.data()) &&
            VerQueryValue(block.data(), "\\", &fixed, &length) && fixed)
            major = int((static_cast<VS_FIXEDFILEINFO*>(fixed)->dwFileVersionMS >> 16) & 0xFF);
    }
    return major > 5;
}

bool HasGetLocaleInfoEx()
{
    HMODULE kernel = GetModuleHandle("kernel32");
    return kernel && GetProcAddress(kernel, "GetLocaleInfoEx");
}

bool IsWinXPOrLater()
{
    return true; // the platform stands for a Windows of version 6 or later
}

uint8_t GetXPColorScheme()
{
    if (!IsWinXPOrLater())
        return 0;
    HMODULE library = LoadLibrary("uxtheme.dll");
    if (!library)
        return 0;
    uint8_t result = 0;
    auto isActive = ProcAs<BOOL (*)()>(GetProcAddress(library, "IsThemeActive"));
    auto themeName = ProcAs<HRESULT (*)(LPWSTR, int, LPWSTR, int, LPWSTR, int)>(
        GetProcAddress(library, "GetCurrentThemeName"));
    if (isActive && isActive() && IsComCtl32V6() && themeName) {
        char16_t file[256] = {}, color[256] = {}, size[256] = {};
        if (themeName(file, 255, color, 255, size, 255) == S_OK) {
            const std::u16string scheme(color);
            if (scheme == u"NormalColor")
                result = 1;
            else if (scheme == u"HomeStead")
                result = 2;
            else if (scheme == u"Metallic")
                result = 3;
        }
    }
    FreeLibrary(library);
    return result;
}

uint8_t GetInstalledOfficeVersion()
{
    TRegistry reg(KEY_READ);
    reg.SetRootKey(HKEY_CURRENT_USER);
    uint8_t result = 0;
    reg.KeyExists("Software\\Microsoft\\Office\\11.0\\Common\\General");
    if (reg.KeyExists("Software\\Microsoft\\Office\\12.0\\Common\\General"))
        result = 1;
    if (reg.KeyExists("Software\\Microsoft\\Office\\14.0\\Common\\General"))
        result = 2;
    return result;
}

int ReadOfficeThemeValue(TRegistry* Registry, const String& Key)
{
    int result = -1;
    if (Registry->KeyExists(Key) && Registry->OpenKeyReadOnly(Key)) {
        if (Registry->ValueExists("Theme"))
            result = Registry->ReadInteger("Theme");
        Registry->CloseKey();
    }
    return result;
}

uint8_t GetSystemStyleTheme()
{
    TRegistry reg(KEY_READ);
    reg.SetRootKey(HKEY_CURRENT_USER);
    int v = ReadOfficeThemeValue(&reg, kOffice14);
    if (v >= 1 && v <= 3)
        return uint8_t(6 + v);
    if (v != -1)
        return 0;
    v = ReadOfficeThemeValue(&reg, kOffice12);
    if (v >= 1 && v <= 3)
        return uint8_t(3 + v);
    if (v != -1)
        return 0;
    switch (GetXPColorScheme()) {
    case 1: return 0;
    case 2: return 2;
    case 3: return 1;
    default: return 3;
    }
}

void TThemeNotifierWindow::WndProc(TMessage& Message)
{
    if (Message.Msg == WM_OFFICETHEMECHANGE && OnChange)
        OnChange(this);
    TCustomControl::WndProc(Message);
}

int TThemeNotifier::PollInterval = 250;

TThemeNotifier::TThemeNotifier(TComponent* AOwner) : TComponent(AOwner)
{
    if (ComponentState() & csDesigning)
        return;
    const uint8_t office = GetInstalledOfficeVersion();
    if (office != 1 && office != 2)
        return;
    window_ = new TThemeNotifierWindow(this);
    if (auto* parent = dynamic_cast<TWinControl*>(AOwner))
        window_->SetParent(parent);
    window_->SetVisible(false);
    window_->OnChange = [this](TObject*) { DoThemeChange(this); };
    keyPath_ = office == 2 ? kOffice14 : kOffice12;
    watching_ = true;
    // the key as it is now; the thread reports every later change
    String first = KeySnapshot(keyPath_);
    thread_ = std::thread([this, first] { Watch(first); });
}

TThemeNotifier::~TThemeNotifier()
{
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    if (gNotifier == this)
        gNotifier = nullptr;
}

void TThemeNotifier::Watch(String last)
{
    while (!stop_) {
        for (int waited = 0; waited < PollInterval && !stop_; waited += 10)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (stop_)
            break;
        const String now = KeySnapshot(keyPath_);
        if (now == last)
            continue;
        last = now;
        // the main thread handles each message; the path outlives the notifier's thread
        const LPARAM path = LPARAM(keyPath_.c_str());
        const WPARAM root = WPARAM(HKEY_CURRENT_USER);
        if (window_)
            PostMessage(window_->Handle(), WM_OFFICETHEMECHANGE, root, path);
        for (HWND w : Windows())
            PostMessage(w, WM_OFFICETHEMECHANGE, root, path);
    }
}

void TThemeNotifier::RegisterWindow(HWND Window)
{
    if (!watching_ || !Window)
        return;
    std::lock_guard lock(mutex_);
    if (std::find(windows_.begin(), windows_.end(), Window) == windows_.end())
        windows_.push_back(Window);
}

void TThemeNotifier::UnRegisterWindow(HWND Window)
{
    if (!watching_)
        return;
    std::lock_guard lock(mutex_);
    const auto it = std::find(windows_.begin(), windows_.end(), Window);
    if (it != windows_.end())
        windows_.erase(it);
}

std::vector<HWND> TThemeNotifier::Windows() const
{
    std::lock_guard lock(mutex_);
    return windows_;
}

void TThemeNotifier::DoThemeChange(TObject*)
{
    if (OnOfficeThemeChange)
        OnOfficeThemeChange(this);
}

TThemeNotifier* GetThemeNotifier(TComponent* Caller)
{
    if (gNotifier)
        return gNotifier;
    TComponent* owner = Caller;
    if (Application && Application->MainForm() && Application->MainForm()->Handle())
        owner = Application->MainForm();
    gNotifier = new TThemeNotifier(owner);
    return gNotifier;
}
