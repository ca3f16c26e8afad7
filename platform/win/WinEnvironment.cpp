#include "platform/win/WinEnvironment.h"

#include "platform/rtl/FileUtils.h"

#include <QLocale>
#include <QtGlobal>

#include <chrono>
#include <thread>

#include <climits>
#include <cstdlib>
#include <unistd.h>

std::optional<String> GetEnvironmentVariable(const String& name)
{
    const char* value = std::getenv(name.c_str());
    if (!value)
        return std::nullopt;
    return String(value);
}

String ExpandEnvironmentStrings(const String& text)
{
    String result;
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] != '%') {
            result += text[i++];
            continue;
        }
        const size_t close = text.find('%', i + 1);
        if (close == String::npos) {
            result += text.substr(i);
            break;
        }
        const String name = text.substr(i + 1, close - i - 1);
        auto value = name.empty() ? std::nullopt : GetEnvironmentVariable(name);
        if (value) {
            result += *value;
            i = close + 1;
        } else {
            // an unknown reference stays; its closing '%' may open the next one
            result += text.substr(i, close - i);
            i = close;
        }
    }
    return result;
}

String GetModuleFileName()
{
    char buffer[PATH_MAX + 1];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, PATH_MAX);
    if (n <= 0)
        return String();
    return String(buffer, static_cast<size_t>(n));
}

String GetUserConfigDirectory()
{
    String base;
    if (auto xdg = GetEnvironmentVariable("XDG_CONFIG_HOME"); xdg && !xdg->empty())
        base = *xdg;
    else if (auto home = GetEnvironmentVariable("HOME"); home && !home->empty())
        base = PathJoin(*home, ".config");
    else
        base = GetTempDir();
    return IncludeTrailingPathDelimiter(PathJoin(base, "quelm"));
}

String GetWindowsDirectory()
{
    String folder;
    if (auto dir = GetEnvironmentVariable("QUELM_WINDIR"); dir && !dir->empty())
        folder = IncludeTrailingPathDelimiter(*dir);
    else
        folder = GetUserConfigDirectory();
    ForceDirectories(folder);
    return folder;
}

String ExecutableFileName(const String& windowsName)
{
    const String folder = ExtractFilePath(windowsName);
    String name = ExtractFileName(windowsName);
    if (EndsText(".exe", name))
        name.resize(name.size() - 4);
    if (SameText(name, "rowsift32"))
        name = "rowsift";
    return folder + name;
}

void Sleep(DWORD ms)
{
    if (ms)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void OutputDebugString(const String& text)
{
    qInfo("%s", StringToUtf8(text).c_str());
}

String GetUserLocaleInfo(DWORD type)
{
    const QLocale user = QLocale::system();
    switch (type) {
    case LOCALE_SDECIMAL:
        return FromQString(user.decimalPoint());
    case LOCALE_STHOUSAND:
        return FromQString(user.groupSeparator());
    case LOCALE_SSHORTDATE:
        return FromQString(user.dateFormat(QLocale::ShortFormat));
    case LOCALE_SDATE:
        // the first mark between the day, month and year fields of the short date format
        for (const QChar c : user.dateFormat(QLocale::ShortFormat))
            if (c.isPunct())
                return FromQString(QString(c));
        return "/";
    default:
        return {};
    }
}
