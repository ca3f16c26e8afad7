// Time to open quelmgui's main window on the demo database (created, shown and activated:
// lookup tables, runs, result check, control state, first paint) and to switch through its
// five pages, each painted as a user's switch paints it: main_window_bench [runs] [demo
// database]. Each run opens a new window on an
// open data module; the median of the runs is reported.
#include "CommonUnits/GeneralUnits/DemoDatabase.h"
#include "gui/windows/Main.h"
#include "CommonUnits/GeneralUnits/TDBConnector_Unit.h"
#include "CommonUnits/GeneralUnits/TVersionInfo_Unit.h"
#include "CommonUnits/GeneralUnits/Utils_Registry_Unit.h"
#include "CommonUnits/GeneralUnits/dmQuelm_Unit.h"

#include "platform/framework/Forms.h"
#include "platform/rtl/FileUtils.h"
#include "platform/win/WinVersion.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TQApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
    QTemporaryDir work;
    const String folder = FromQString(work.path());
    setenv("QUELM_REGISTRY_DIR", PathJoin(folder, "registry").c_str(), 1);
    setenv("QUELM_WINDIR", PathJoin(folder, "windows").c_str(), 1);
    const String database = PathJoin(folder, "Projects.vantor");
    if (argc > 2)
        CopyFileTo(argv[2], database, false);
    else
        CreateProjectDatabase(database, true);
    WriteRegistryString(HKEY_CURRENT_USER, REG_DATABASE, database);
    const String install = PathJoin(folder, "install");
    ForceDirectories(PathJoin(install, "Bin"));
    CreateProjectDatabase(PathJoin(PathJoin(install, "Bin"), "ConnectionTest.vantor"), false);
    WriteRegistryString(HKEY_LOCAL_MACHINE, REG_INSTALL_DIR, install + "/");
    WriteRegistryString(HKEY_LOCAL_MACHINE, "plotwellDir", install + "/");
    TVersionResource version(2, 1, 2, 10);
    TDBConnector::ReconnectWaitMs = 0;
    TVersionInfo::CreateSingleton();

    std::unique_ptr<TdmQuelm> module(New<TdmQuelm>(nullptr));
    if (!module->dbDatabase->Connected()) {
        std::fprintf(stderr, "main_window_bench: the demo database did not open\n");
        return 1;
    }
    std::vector<double> openMs, pagesMs, totalMs;
    for (int run = 0; run < runs; ++run) {
        if (!TVersionInfo::SingletonExists())
            TVersionInfo::CreateSingleton(); // the window frees it
        QElapsedTimer timer;
        timer.start();
        std::unique_ptr<TfrmMain> window(New<TfrmMain>(nullptr));
        window->Show();
        Application->ProcessMessages(); // activation and the first paint
        const double opened = timer.nsecsElapsed() / 1e6;
        for (int page = 0; page < window->PageControl1->PageCount(); ++page) {
            window->PageControl1->SetActivePageIndex(page);
            Application->ProcessMessages(); // the page's paint
        }
        const double total = timer.nsecsElapsed() / 1e6;
        openMs.push_back(opened);
        pagesMs.push_back(total - opened);
        totalMs.push_back(total);
        window->Hide();
        window.reset();
        Application->OnException = nullptr;
        Application->OnIdle = nullptr;
        Application->ProcessMessages();
    }
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
    };
    std::printf("runs: %d\n", runs);
    std::printf("main window opened on the demo project: median %.2f ms\n", median(openMs));
    std::printf("five pages shown in turn:               median %.2f ms\n", median(pagesMs));
    std::printf("together (target under 150 ms):         median %.2f ms\n", median(totalMs));
    return 0;
}
