#include "platform/testing/journey/JourneyRunner.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QThread>
#include <QUuid>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace journey {

namespace {

constexpr int kDriverFailureStatus = 86;

std::string ReadWhole(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

} // namespace

std::vector<std::string> JourneyResult::WindowsShown(const std::string& program) const
{
    // the drivers' logs are joined as "== <program>-<pid>.log ==" sections of "shown: <title>" lines
    std::vector<std::string> titles;
    std::istringstream in(log);
    std::string line;
    bool inProgram = false;
    while (std::getline(in, line)) {
        if (line.rfind("== ", 0) == 0) {
            inProgram = line.rfind("== " + program + "-", 0) == 0;
            continue;
        }
        if (inProgram && line.rfind("shown: ", 0) == 0)
            titles.push_back(line.substr(7));
    }
    return titles;
}

bool JourneyResult::ShowedWindow(const std::string& program, const std::string& titlePart) const
{
    const auto titles = WindowsShown(program);
    return std::any_of(titles.begin(), titles.end(),
                       [&](const std::string& t) { return t.find(titlePart) != std::string::npos; });
}

std::string JourneyResult::Describe() const
{
    std::ostringstream out;
    out << "exit status " << exitStatus << (timedOut ? " (killed at the deadline)" : "")
        << (driverFailed ? " (a journey step failed)" : "") << "\n";
    if (!failure.empty())
        out << failure << "\n";
    out << "--- driver logs\n" << log << "--- standard error\n" << standardError;
    if (!standardOutput.empty())
        out << "--- standard output\n" << standardOutput;
    return out.str();
}

Journey::Journey(fs::path program) : program_(std::move(program))
{
    std::string pattern = (fs::temp_directory_path() / "quelmjourney-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary folder");
    root_ = pattern;
    for (const char* sub : {"home", "home/.config", "home/.local/share", "home/.cache", "runtime", "tmp", "out"})
        fs::create_directories(root_ / sub);
    ::chmod((root_ / "runtime").c_str(), 0700);
    ::chmod((root_ / "tmp").c_str(), 0700);
}

Journey::~Journey()
{
    // QUELM_JOURNEY_KEEP=1 keeps the home, the logs and the pictures for a look afterwards
    if (qEnvironmentVariableIsSet("QUELM_JOURNEY_KEEP")) {
        std::fprintf(stderr, "journey folder kept: %s\n", root_.c_str());
        return;
    }
    std::error_code ec;
    fs::remove_all(root_, ec);
}

JourneyResult Journey::Run(const std::string& script, const std::vector<std::string>& arguments, int timeoutMs)
{
    JourneyResult result;
    const fs::path scriptFile = root_ / "journey.txt";
    {
        std::ofstream out(scriptFile, std::ios::binary);
        out << script;
        if (!script.empty() && script.back() != '\n')
            out << '\n';
    }

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const auto set = [&env](const char* name, const fs::path& value) {
        env.insert(QString::fromLatin1(name), QString::fromStdString(value.string()));
    };
    set("HOME", Home());
    set("XDG_CONFIG_HOME", Home() / ".config");
    set("XDG_DATA_HOME", Home() / ".local/share");
    set("XDG_CACHE_HOME", Home() / ".cache");
    set("XDG_RUNTIME_DIR", root_ / "runtime");
    set("TMPDIR", Temp());
    env.remove(QStringLiteral("TMP"));
    env.remove(QStringLiteral("TEMP"));
    env.remove(QStringLiteral("QUELM_DATA_DIR"));
    env.remove(QStringLiteral("QUELM_REGISTRY_DIR"));
    env.remove(QStringLiteral("QUELM_WINDIR"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("QT_PLUGIN_PATH"), QStringLiteral(QUELM_JOURNEY_PLUGIN_DIR));
    env.insert(QStringLiteral("QT_QPA_GENERIC_PLUGINS"), QStringLiteral("quelmjourney"));
    set("QUELM_JOURNEY_SCRIPT", scriptFile);
    set("QUELM_JOURNEY_OUT", Out());
    env.insert(QStringLiteral("QUELM_JOURNEY_PROGRAM"), QString::fromStdString(program_.filename().string()));
    for (const auto& [name, value] : env_)
        env.insert(QString::fromStdString(name), QString::fromStdString(value));

    QProcess process;
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(QString::fromStdString(Home().string()));
    process.setProgram(QString::fromStdString(program_.string()));
    QStringList args;
    for (const auto& a : arguments)
        args << QString::fromStdString(a);
    process.setArguments(args);
    // the program and what it starts form a process group of their own, ended together
    process.setChildProcessModifier([] { ::setpgid(0, 0); });
    process.start();
    if (!process.waitForStarted(10000)) {
        result.standardError = "cannot start " + program_.string() + ": " + process.errorString().toStdString();
        return result;
    }
    const qint64 group = process.processId();
    if (!process.waitForFinished(timeoutMs)) {
        result.timedOut = true;
        ::kill(-pid_t(group), SIGKILL);
        process.waitForFinished(5000);
    }
    // programs started by the program and still running (a viewer, plotwell) end with it
    ::kill(-pid_t(group), SIGKILL);

    if (result.timedOut)
        result.exitStatus = 128 + SIGKILL;
    else if (process.exitStatus() == QProcess::CrashExit)
        result.exitStatus = 128 + process.exitCode(); // on a crash, the number of the signal
    else
        result.exitStatus = process.exitCode();
    result.driverFailed = result.exitStatus == kDriverFailureStatus;
    result.standardError = process.readAllStandardError().toStdString();
    result.standardOutput = process.readAllStandardOutput().toStdString();

    std::vector<fs::path> logs;
    for (const auto& entry : fs::directory_iterator(Out())) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() == ".log")
            logs.push_back(entry.path());
        else if (name.rfind("failure-", 0) == 0 && entry.path().extension() == ".txt")
            result.failure += ReadWhole(entry.path());
    }
    std::sort(logs.begin(), logs.end());
    for (const auto& file : logs)
        result.log += "== " + file.filename().string() + " ==\n" + ReadWhole(file);
    return result;
}

std::vector<std::vector<std::string>> QueryDatabase(const fs::path& file, const std::string& sql)
{
    if (!fs::exists(file))
        throw std::runtime_error("no database " + file.string());
    const QString connection = QStringLiteral("journey-") + QUuid::createUuid().toString();
    std::vector<std::vector<std::string>> rows;
    std::string error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(QString::fromStdString(file.string()));
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (!db.open()) {
            error = "cannot open " + file.string() + ": " + db.lastError().text().toStdString();
        } else {
            QSqlQuery query(db);
            if (!query.exec(QString::fromStdString(sql))) {
                error = sql + ": " + query.lastError().text().toStdString();
            } else {
                while (query.next()) {
                    std::vector<std::string> row;
                    for (int i = 0; i < query.record().count(); ++i)
                        row.push_back(query.value(i).isNull() ? std::string() : query.value(i).toString().toStdString());
                    rows.push_back(std::move(row));
                }
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    if (!error.empty())
        throw std::runtime_error(error);
    return rows;
}

bool WaitForFile(const fs::path& file, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!fs::exists(file)) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QThread::msleep(20);
    }
    return true;
}

} // namespace journey
