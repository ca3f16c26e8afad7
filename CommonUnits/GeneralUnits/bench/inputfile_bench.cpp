// Time to write one run's model input file with its side files (.qmi, .bot, .met, .irr) on
// a copy of the demo database whose run 1 spans 20 years of daily weather:
// inputfile_bench [runs] [run id]. Each run writes every file anew; the median is reported.
#include "CommonUnits/GeneralUnits/DemoDatabase.h"
#include "CommonUnits/GeneralUnits/InputFile.h"
#include "CommonUnits/GeneralUnits/QuelmFileUtils.h"
#include "CommonUnits/GeneralUnits/TDBConnector_Unit.h"
#include "CommonUnits/GeneralUnits/TVersionInfo_Unit.h"
#include "CommonUnits/GeneralUnits/Utils_Registry_Unit.h"
#include "CommonUnits/GeneralUnits/Vantor6_5_Install_Unit.h"
#include "CommonUnits/GeneralUnits/dmQuelm_Unit.h"

#include "platform/db/DBTables.h"
#include "platform/rtl/FileUtils.h"
#include "platform/win/WinVersion.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <vector>

namespace {

// 20 years of daily weather for the run's station, from smooth seasonal cycles, and the run's
// period stretched over them.
const char* const kTwentyYears[] = {
    "DELETE FROM METEODATA WHERE METEOSTATIONCODE='Brimvek'",
    "INSERT INTO METEODATA (METEOSTATIONCODE, MDATE, RDD, TMMN, TMMX, VP, WN, RAIN, ETREF) "
    "WITH RECURSIVE N(I) AS (SELECT 0 UNION ALL SELECT I + 1 FROM N WHERE I < 7304), "
    "D(I, DAY, SEASON) AS (SELECT I, DATE('1990-01-01', '+' || I || ' days'), "
    "1.0 - ABS(((I + 10) % 365) - 182.5) / 91.25 FROM N) "
    "SELECT 'Brimvek', DAY, ROUND(9000 + 7000 * SEASON + ((I * 37) % 11) * 150, 0), "
    "ROUND(2.8 + 7.5 * SEASON + ((I * 13) % 7) * 0.4, 1), ROUND(9.0 + 9.0 * SEASON + ((I * 17) % 9) * 0.5, 1), "
    "ROUND(1.05 + 0.55 * SEASON + ((I * 7) % 5) * 0.03, 2), ROUND(3.6 - 1.1 * SEASON + ((I * 11) % 6) * 0.3, 1), "
    "CASE WHEN ((I * 7) % 10) < 4 THEN ROUND((((I * 31) % 23) + 1) * 0.45, 1) ELSE 0.0 END, "
    "ROUND(0.3 + 1.7 * (1.0 + SEASON) + ((I * 5) % 4) * 0.15, 1) FROM D",
    "UPDATE RUNS SET TIMSTART='1990-01-01', TIMEND='2009-12-31', IRRIGATIONSCHEMECODE='Summer_Data' WHERE RUNID=1",
};

// CPU time of the process in ms: what a write costs whatever else the machine runs.
double CpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 21;
    const int runId = argc > 2 ? std::atoi(argv[2]) : 1;
    QTemporaryDir work;
    const String folder = FromQString(work.path());
    setenv("QUELM_REGISTRY_DIR", PathJoin(folder, "registry").c_str(), 1);
    const String database = PathJoin(folder, "Projects.vantor");
    CreateProjectDatabase(database, true);
    {
        TDatabase db;
        db.Params.Add("SERVER NAME=" + database);
        db.Open();
        for (const char* sql : kTwentyYears)
            db.ExecSql(sql);
    }
    WriteRegistryString(HKEY_CURRENT_USER, REG_DATABASE, database);
    const String install = PathJoin(folder, "install");
    ForceDirectories(PathJoin(install, "Bin"));
    CreateProjectDatabase(PathJoin(PathJoin(install, "Bin"), "ConnectionTest.vantor"), false);
    WriteRegistryString(HKEY_LOCAL_MACHINE, REG_INSTALL_DIR, install + "/");
    TVersionResource version(2, 1, 2, 10);
    TVersionInfo::CreateSingleton();
    TDBConnector::ReconnectWaitMs = 0;

    std::unique_ptr<TdmQuelm> module(New<TdmQuelm>(nullptr));
    if (!module->dbDatabase->Connected()) {
        std::fprintf(stderr, "inputfile_bench: the demo database did not open\n");
        return 1;
    }
    module->tblProjects->Open();
    module->tblRuns->Open();
    const int project = module->LookupInteger(module->tblRuns, runId, "ProjectID", "RunID");
    if (!module->tblProjects->Locate("PROJECTID", Variant(project), 0) ||
        !module->tblRuns->Locate("RUNID", Variant(runId), 0)) {
        std::fprintf(stderr, "inputfile_bench: no run %d\n", runId);
        return 1;
    }
    std::vector<double> times, cpuTimes;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        const double cpu = CpuMs();
        TInputFile file(runId, InputFilePath(runId));
        file.WriteInputFile();
        cpuTimes.push_back(CpuMs() - cpu);
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    // Where the time goes: each section alone (the weather section includes the side files
    // it writes), and the meteo file alone.
    std::vector<std::vector<double>> sectionTimes;
    std::vector<double> meteoTimes;
    const TInputFile sections(runId, InputFilePath(runId));
    for (int run = 0; run < runs; ++run) {
        sectionTimes.resize(sections.Sections().size());
        for (size_t i = 0; i < sections.Sections().size(); ++i) {
            TStringList lines;
            QElapsedTimer timer;
            timer.start();
            sections.Sections()[i]->WriteSection(&lines, runId);
            sectionTimes[i].push_back(timer.nsecsElapsed() / 1e6);
        }
        QElapsedTimer timer;
        timer.start();
        module->WriteMeteoFile("Brimvek");
        meteoTimes.push_back(timer.nsecsElapsed() / 1e6);
    }
    int64_t bytes = 0;
    for (const String& name : {InputFileName(runId), IntToStr(runId) + ".bot", String("Brimvek.met"), String("Summer_Data.irr")}) {
        const String path = JoinPath(GetWorkDir(), name);
        if (FileExists(path))
            bytes += FileSize(path);
    }
    std::printf("run %d, 20 years of daily meteo data, %d writes, %lld bytes written per write\n", runId, runs,
                static_cast<long long>(bytes));
    std::printf("input file with side files: median %.2f ms (min %.2f, max %.2f)\n", Median(times),
                *std::min_element(times.begin(), times.end()), *std::max_element(times.begin(), times.end()));
    std::printf("  CPU time per write: median %.2f ms\n", Median(cpuTimes));
    for (size_t i = 0; i < sectionTimes.size(); ++i)
        std::printf("  section %-3s %-32s median %6.2f ms\n", sections.Sections()[i]->Number().c_str(),
                    sections.Sections()[i]->Title().c_str(), Median(sectionTimes[i]));
    std::printf("  meteo file alone                     median %6.2f ms\n", Median(meteoTimes));
    return 0;
}
