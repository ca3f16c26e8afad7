// Time to open the application connection and every table component of the data module on
// the demo database: db_open_bench [runs] [demo database]. Each run starts from a closed
// connection; the median of the runs is reported.
#include "CommonUnits/GeneralUnits/DemoDatabase.h"
#include "CommonUnits/GeneralUnits/TVersionInfo_Unit.h"
#include "CommonUnits/GeneralUnits/TDBConnector_Unit.h"
#include "CommonUnits/GeneralUnits/Utils_Registry_Unit.h"
#include "CommonUnits/GeneralUnits/Vantor6_5_Install_Unit.h"
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

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
    QTemporaryDir work;
    const String folder = FromQString(work.path());
    setenv("QUELM_REGISTRY_DIR", PathJoin(folder, "registry").c_str(), 1);
    const String database = PathJoin(folder, "Projects.vantor");
    if (argc > 2)
        CopyFileTo(argv[2], database, false);
    else
        CreateProjectDatabase(database, true);
    WriteRegistryString(HKEY_CURRENT_USER, REG_DATABASE, database);
    // The install folder with the server check's test database.
    const String install = PathJoin(folder, "install");
    ForceDirectories(PathJoin(install, "Bin"));
    CreateProjectDatabase(PathJoin(PathJoin(install, "Bin"), "ConnectionTest.vantor"), false);
    WriteRegistryString(HKEY_LOCAL_MACHINE, REG_INSTALL_DIR, install + "/");
    TVersionResource version(2, 1, 2, 10);
    TVersionInfo::CreateSingleton();
    TDBConnector::ReconnectWaitMs = 0;

    std::unique_ptr<TdmQuelm> module(New<TdmQuelm>(nullptr));
    if (!module->dbDatabase->Connected()) {
        std::fprintf(stderr, "db_open_bench: the demo database did not open\n");
        return 1;
    }
    std::vector<double> connectMs, tablesMs, totalMs;
    for (int run = 0; run < runs; ++run) {
        module->dbDatabase->Close();
        QElapsedTimer timer;
        timer.start();
        TDBConnector connector(database);
        if (!connector.Connect(true, false, module->dbDatabase))
            return 1;
        const double connected = timer.nsecsElapsed() / 1e6;
        for (TTable* table : module->Tables())
            table->Open();
        const double total = timer.nsecsElapsed() / 1e6;
        connectMs.push_back(connected);
        tablesMs.push_back(total - connected);
        totalMs.push_back(total);
    }
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
    };
    std::printf("runs: %d, tables: %zu\n", runs, module->Tables().size());
    std::printf("connection (test, version check, open): median %.2f ms\n", median(connectMs));
    std::printf("all table components opened:           median %.2f ms\n", median(tablesMs));
    std::printf("connection and tables:                 median %.2f ms\n", median(totalMs));
    return 0;
}
