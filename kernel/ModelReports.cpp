#include "kernel/ModelReports.h"

#include "platform/rtl/FileUtils.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <thread>

namespace quelmmodel {

namespace {

const char* const kProgram = "Quelmmodel";

bool Interrupted(const RunOptions& options)
{
    return options.interrupted && *options.interrupted != 0;
}

String Pad(const String& s, size_t width)
{
    return s.size() >= width ? s + " " : s + String(width - s.size(), ' ');
}

String Fixed(double v, int decimals)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, v);
    return buffer;
}

String DepthText(double z)
{
    return FloatToStr(std::round(z * 1e6) / 1e6);
}

bool LastDayOfMonth(TDateTime date)
{
    int y = 0, m = 0, d = 0;
    DecodeDate(date, y, m, d);
    return d == DaysInAMonth(y, m);
}

bool LastDayOfYear(TDateTime date)
{
    int y = 0, m = 0, d = 0;
    DecodeDate(date, y, m, d);
    return m == 12 && d == 31;
}

// The value at the given percentile of the values (linear between ranks).
double Percentile(std::vector<double> values, double percent)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const double rank = percent / 100 * (values.size() - 1);
    const size_t lo = static_cast<size_t>(std::floor(rank));
    const size_t hi = std::min(lo + 1, values.size() - 1);
    return values[lo] + (rank - lo) * (values[hi] - values[lo]);
}

struct YearLeaching {
    int year = 0;
    double water = 0;           // mm through the target depth
    std::vector<double> mass;   // kg.ha-1 per compound
    double Concentration(size_t k) const { return water > 0 ? mass[k] / water * 1e5 : 0; } // ug.L-1
};

class Run {
public:
    Run(const String& inputPath, const RunOptions& options) : options_(options)
    {
        String folder = ExtractFileDir(inputPath);
        if (folder.empty())
            folder = ".";
        folder_ = folder;
        inputName_ = ExtractFileName(inputPath);
        runId_ = ChangeFileExt(inputName_, "");
        inputPath_ = inputPath;
    }

    RunOutcome Execute();

private:
    String PathOf(const char* ext) const { return PathJoin(folder_, runId_ + ext); }
    void Log(const String& line) { log_.push_back(line); }
    void WriteLog();
    RunOutcome Fail(const std::vector<String>& lines);
    RunOutcome Interrupt(bool empty);
    bool Wait();
    void Simulate(Simulation& sim);
    void WriteOutHeader(TTextWriter& out);
    void WriteSummary(const Simulation& sim);
    // The time column: days since the start (at the end of the day), or with the date
    // format "Calendar" the year with the elapsed fraction of it.
    String TimeText(int index, TDateTime date) const
    {
        if (!SameText(run_.dateFormat, "Calendar"))
            return IntToStr(index + 1);
        int y = 0, m = 0, d = 0;
        DecodeDate(date, y, m, d);
        return Fixed(y + DayOfTheYear(date) / (IsLeapYear(y) ? 366.0 : 365.0), 4);
    }
    String Value(double v) const
    {
        return FormatValue(v, run_.realFormatKind, run_.realFormatWidth, run_.realFormatDigits);
    }

    RunOptions options_;
    String folder_, inputName_, runId_, inputPath_;
    RunDescription run_;
    std::vector<String> log_;
    std::vector<int> depthLayers_;
    std::vector<String> depthTexts_;
    std::vector<YearLeaching> years_;
    int targetLayer_ = 0;
    int printedRows_ = 0, profileRows_ = 0;
};

bool Run::Wait()
{
    using namespace std::chrono;
    const auto until = steady_clock::now() + milliseconds(options_.delayMilliseconds);
    while (steady_clock::now() < until) {
        if (Interrupted(options_))
            return false;
        std::this_thread::sleep_for(milliseconds(10));
    }
    return !Interrupted(options_);
}

void Run::WriteLog()
{
    try {
        TTextWriter log(PathOf(".log"), lbLF);
        for (const auto& line : log_)
            log.WriteLine(line);
        log.Close();
    } catch (const Exception&) {
        // the log is a courtesy; the outcome is decided by the other files
    }
}

RunOutcome Run::Fail(const std::vector<String>& lines)
{
    WriteErrorListing(PathOf(".err"), runId_, lines);
    Log("The run stopped with errors; see " + runId_ + ".err");
    WriteLog();
    return roModelError;
}

RunOutcome Run::Interrupt(bool empty)
{
    DeleteFile(PathOf(".out"));
    WriteInterruptedListing(PathOf(".err"), runId_, empty);
    Log("The run was interrupted");
    WriteLog();
    return roInterrupted;
}

RunOutcome Run::Execute()
{
    if (options_.failMode == "silent")
        return roSucceeded; // touches no file at all, not even an old error file
    // An error listing of an earlier run of this input must not decide this run's outcome.
    DeleteFile(PathOf(".err"));
    Log(String(kProgram) + ": stand-in model kernel (a simple daily water and pesticide balance)");
    const String started = "Run " + runId_ + ", input file " + inputName_ + ", started " + FormatDateTime("dd/mm/yyyy hh:nn:ss", Now());
    Log(started);
    // The console shows the start at once: a user (or a test) knows the run is under way and
    // that an interrupt from the keyboard is now answered with the interruption listing.
    std::printf("%s\n", started.c_str());
    std::fflush(stdout);

    if (options_.failMode == "error")
        return Fail({"Failure requested by QUELMMODEL_FAIL=error."});
    if (options_.failMode == "interrupt")
        return Interrupt(false);
    if (options_.failMode == "interrupt-empty")
        return Interrupt(true);
    if (!options_.failMode.empty())
        Log("Unknown value of QUELMMODEL_FAIL ignored: " + options_.failMode);

    if (!Wait())
        return Interrupt(false);

    ErrorList errors;
    InputFile input;
    input.Read(inputPath_, errors);
    std::vector<String> notes;
    if (errors.Empty())
        BuildRun(input, folder_, runId_, run_, errors, notes);
    if (!errors.Empty()) {
        std::vector<String> lines;
        for (const auto& e : errors.Items())
            lines.push_back(e.file + (e.line > 0 ? ", line " + IntToStr(e.line) : String()) + ": " + e.text);
        return Fail(lines);
    }
    for (const auto& n : notes)
        Log("Note: " + n);
    Log("Input read: " + IntToStr(static_cast<int64_t>(input.Keywords().size())) + " keywords, " +
        IntToStr(static_cast<int64_t>(input.Tables().size())) + " tables");

    try {
        Simulation sim(run_);
        Log("Soil column: " + IntToStr(static_cast<int64_t>(sim.layers.size())) + " layers down to " +
            DepthText(sim.layers.empty() ? 0 : sim.layers.back().bottom) + " m");
        Simulate(sim);
        if (Interrupted(options_))
            return Interrupt(false);
        WriteSummary(sim);
    } catch (const Exception& e) {
        return Fail({"The run could not write its output: " + e.Message()});
    }
    Log("Finished " + FormatDateTime("dd/mm/yyyy hh:nn:ss", Now()) + "; " + IntToStr(printedRows_) +
        " output rows, " + IntToStr(profileRows_) + " profile rows");
    WriteLog();
    return roSucceeded;
}

void Run::WriteOutHeader(TTextWriter& out)
{
    out.WriteLine("* Detailed output of run " + runId_ + " (" + kProgram + ", stand-in model kernel)");
    out.WriteLine("* Input file: " + inputName_);
    out.WriteLine("* Period: " + FormatDateDMY(run_.start) + " to " + FormatDateDMY(run_.end));
    out.WriteLine(SameText(run_.dateFormat, "Calendar")
                      ? String("* Time: the year with the elapsed fraction of it (Calendar); date: dd-Mon-yyyy")
                      : "* Time: days since the start (" + run_.dateFormat + "); date: dd-Mon-yyyy");
    out.WriteLine("* Time-series rows: time, date, variable (with _<compound> for compounds), the value or one value");
    out.WriteLine("*   per output depth in the order of the header line");
    out.WriteLine(String("* Fluxes are ") +
                  (run_.printCumulatives ? "cumulative since the start" : "mean rates over the print interval") +
                  "; water in m (m.d-1), amounts in kg.m-2 (kg.m-2.d-1),");
    out.WriteLine("*   concentrations in kg.m-3, contents ConSys in g.kg-1, pressure heads and levels in m");
    out.WriteLine("* Profile rows: time, date, Profile_<compound>, depth (m), Theta (m3.m-3), PreHea (m), Tem (C),");
    out.WriteLine("*   ConSys, ConSysEql, ConSysNeq (g.kg-1), ConLiq (kg.m-3), ConGas (kg.m-3)");
    out.WriteLine("* The header line names the time and the date/variable column, then the output depths (m)");
    String header = "Time Date/Variable";
    for (const auto& text : depthTexts_)
        header += " " + text;
    out.WriteLine(header);
}

void Run::Simulate(Simulation& sim)
{
    // output depths: the layer holding each intended depth; the header names its centre
    const int layerCount = static_cast<int>(sim.layers.size());
    if (run_.depthMode == OutputDepthMode::All) {
        for (int i = 0; i < layerCount; ++i)
            depthLayers_.push_back(i);
    } else if (run_.depthMode == OutputDepthMode::Other) {
        for (double z : run_.outputDepths) {
            if (layerCount > 0 && z > sim.layers.back().bottom)
                Log("Note: output depth " + DepthText(z) + " m lies below the soil profile; the deepest layer is used");
            depthLayers_.push_back(sim.LayerAtDepth(z));
        }
    }
    for (int li : depthLayers_)
        depthTexts_.push_back(DepthText(sim.layers[li].z));

    // the layer whose bottom lies nearest to the target depth
    for (int i = 0; i < layerCount; ++i)
        if (std::fabs(sim.layers[i].bottom - run_.zTgt) < std::fabs(sim.layers[targetLayer_].bottom - run_.zTgt))
            targetLayer_ = i;

    struct Printed {
        String name; // as written after "print_"
        String upper;
        VariableKind kind;
    };
    std::vector<Printed> printed;
    bool anyProfile = false;
    for (const auto& [name, on] : run_.printVariables) {
        if (!on)
            continue;
        const String upper = UpperCase(name);
        if (upper.size() > 5 && upper.compare(upper.size() - 5, 5, "_VPRF") == 0) {
            anyProfile = true;
            continue;
        }
        const VariableKind kind = KindOfVariable(upper);
        if (!kind.known) {
            Log("Note: this kernel does not compute the output variable " + name + "; it is not written");
            continue;
        }
        if (kind.depth && depthLayers_.empty()) {
            Log("Note: " + name + " is given per output depth, and the run has none; it is not written");
            continue;
        }
        printed.push_back({name, upper, kind});
    }
    for (TDateTime d : run_.profileDates)
        if (anyProfile && (d < run_.start || d > run_.end))
            Log("Note: the profile date " + FormatDateDMY(d) + " lies outside the run's period");

    const String printOption = UpperCase(run_.optDelTimPrn);
    if (printOption != "DAY" && printOption != "MONTH" && printOption != "YEAR" && printOption != "OTHER")
        Log("Note: print option " + run_.optDelTimPrn + " read as every " + IntToStr(run_.delTimPrn) + " day(s)");
    if (!SameText(run_.dateFormat, "DaysFromSta") && !SameText(run_.dateFormat, "Calendar"))
        Log("Note: date format " + run_.dateFormat + " is written as days since the start");

    TTextWriter out(PathOf(".out"), lbLF);
    WriteOutHeader(out);

    const size_t nc = run_.compounds.size();
    std::map<String, double> last; // cumulative values at the previous print
    int lastPrint = -1;
    YearLeaching year;
    double waterAtYearStart = 0;
    std::vector<double> massAtYearStart(nc, 0);
    year.year = YearOf(run_.start);
    year.mass.assign(nc, 0);

    const int days = static_cast<int>(run_.meteo.size());
    for (int index = 0; index < days; ++index) {
        if (Interrupted(options_)) {
            out.Close();
            return;
        }
        sim.Step(index);
        const TDateTime date = run_.meteo[index].date;
        const bool lastDay = index == days - 1;

        // yearly leaching at the target depth
        if (LastDayOfYear(date) || lastDay) {
            const Layer& t = sim.layers[targetLayer_];
            year.water = (t.flowOut - waterAtYearStart) * 1000;
            for (size_t k = 0; k < nc; ++k)
                year.mass[k] = (t.massOut[k] - massAtYearStart[k]) * 10;
            years_.push_back(year);
            waterAtYearStart = t.flowOut;
            massAtYearStart = t.massOut;
            year.year += 1;
        }

        bool print = false;
        if (printOption == "DAY")
            print = true;
        else if (printOption == "MONTH")
            print = LastDayOfMonth(date) || lastDay;
        else if (printOption == "YEAR")
            print = LastDayOfYear(date) || lastDay;
        else
            print = (index + 1) % std::max(run_.delTimPrn, 1) == 0;

        const String time = TimeText(index, date);
        const String prefix = Pad(time, 8) + FormatDateDMY(date) + " ";
        if (print) {
            const double interval = index - lastPrint;
            for (const auto& p : printed) {
                const int compounds = p.kind.compound ? static_cast<int>(nc) : 1;
                for (int k = 0; k < compounds; ++k) {
                    if (p.kind.compound && run_.compounds[k].sink)
                        continue;
                    String line = prefix + (p.kind.compound ? p.name + "_" + run_.compounds[k].code : p.name);
                    const size_t points = p.kind.depth ? depthLayers_.size() : 1;
                    for (size_t di = 0; di < points; ++di) {
                        const int li = p.kind.depth ? depthLayers_[di] : -1;
                        double v = sim.Value(p.upper, k, li);
                        if (p.kind.flux && !run_.printCumulatives) {
                            const String key = p.upper + "|" + IntToStr(k) + "|" + IntToStr(li);
                            const double cumulative = v;
                            v = (cumulative - last[key]) / interval;
                            last[key] = cumulative;
                        }
                        line += Value(v);
                    }
                    out.WriteLine(line);
                    ++printedRows_;
                }
            }
            lastPrint = index;
        }
        if (anyProfile && std::find(run_.profileDates.begin(), run_.profileDates.end(), date) != run_.profileDates.end()) {
            for (size_t k = 0; k < nc; ++k) {
                if (run_.compounds[k].sink)
                    continue;
                for (const auto& layer : sim.layers) {
                    const int kk = static_cast<int>(k);
                    out.WriteLine(prefix + "Profile_" + run_.compounds[k].code + " " + DepthText(layer.z) +
                                  Value(layer.theta) + Value(sim.PressureHead(layer) / 100) + Value(layer.temperature) +
                                  Value(sim.SystemContent(layer, kk, true, true) / 1000) +
                                  Value(sim.SystemContent(layer, kk, true, false) / 1000) +
                                  Value(sim.SystemContent(layer, kk, false, true) / 1000) +
                                  Value(sim.LiquidConcentration(layer, kk) / 1000) +
                                  Value(sim.GasConcentration(layer, kk) / 1000));
                    ++profileRows_;
                }
            }
        }
    }
    out.Close();
}

void Run::WriteSummary(const Simulation& sim)
{
    TTextWriter sum(PathOf(".sum"), lbLF);
    const size_t nc = run_.compounds.size();
    const double targetDepth = sim.layers.empty() ? 0 : sim.layers[targetLayer_].bottom;

    sum.WriteLine("* Summary of run " + runId_ + " (" + kProgram + ", stand-in model kernel)");
    sum.WriteLine("* Period: " + FormatDateDMY(run_.start) + " to " + FormatDateDMY(run_.end) + " (" +
                  IntToStr(static_cast<int64_t>(run_.meteo.size())) + " days)");
    sum.WriteLine("*");
    sum.WriteLine("* Water balance (mm)");
    double drained = 0;
    for (double d : sim.drained)
        drained += d;
    double water = 0;
    for (const auto& l : sim.layers)
        water += l.theta * l.dz;
    const std::pair<const char*, double> balance[] = {
        {"Precipitation", sim.precipitation},
        {"Irrigation", sim.irrigation},
        {"Runoff", sim.runoff},
        {"Soil evaporation", sim.evaporation},
        {"Transpiration", sim.transpiration},
        {"Drainage", drained},
        {"Percolation at the bottom", sim.bottomFlow},
        {"Change of soil water", water - sim.initialWater},
    };
    for (const auto& [label, value] : balance)
        sum.WriteLine("*   " + Pad(label, 30) + Fixed(value * 1000, 1));
    for (size_t k = 0; k < nc; ++k) {
        if (run_.compounds[k].sink)
            continue;
        const int kk = static_cast<int>(k);
        sum.WriteLine("*");
        sum.WriteLine("* Mass balance of " + run_.compounds[k].code + " (kg.ha-1)");
        const std::pair<const char*, double> mass[] = {
            {"Applied to the soil", sim.appliedSoil[k] * 10},
            {"Applied to the crop", sim.appliedCrop[k] * 10},
            {"Formed", sim.formed[k] * 10},
            {"Transformed", sim.transformed[k] * 10},
            {"Taken up", sim.uptake[k] * 10},
            {"Leached at the bottom", sim.leached[k] * 10},
            {"In the soil at the end", sim.Value("AMASYSPRO", kk, -1) * 10000},
            {"On the crop at the end", sim.canopy[k] * 10},
        };
        for (const auto& [label, value] : mass)
            sum.WriteLine("*   " + Pad(label, 30) + Fixed(value, 6));
    }

    if (!(run_.restricted && run_.leachingReport)) {
        sum.Close();
        return;
    }

    // Report blocks: the GUI finds them by their opening and closing lines.
    std::vector<double> percentiles(nc, 0);
    for (size_t k = 0; k < nc; ++k) {
        std::vector<double> conc;
        for (const auto& y : years_)
            conc.push_back(y.Concentration(k));
        percentiles[k] = Percentile(conc, run_.targetPercentile);
    }
    const String percentText = FloatToStr(run_.targetPercentile);
    auto open = [&](const char* block) { sum.WriteLine(String("* QUELM REPORT: ") + block); };
    auto close = [&](const char* block) { sum.WriteLine(String("* End of QUELM REPORT: ") + block); };
    auto item = [&](const String& key, const String& value) { sum.WriteLine("*  " + Pad(key, 22) + value); };

    open("Project_Summary");
    item("Run_ID", runId_);
    item("Result_Text", percentText + "th percentile of the yearly average concentration at " + DepthText(targetDepth) +
                            " m (ug.L-1)");
    item("Substance", run_.substance.empty() ? String("No") : run_.substance);
    int results = 0;
    for (size_t k = 0; k < nc && results < 3; ++k) {
        if (run_.compounds[k].sink)
            continue;
        item("Result_" + run_.compounds[k].code, Fixed(percentiles[k], 6));
        ++results;
    }
    item("Location", run_.location);
    item("Application_Scheme", run_.applicationScheme);
    item("Crop_Calendar", run_.cropCalendar);
    item("Soil_Type", run_.soilProfile);
    item("Meteo_Station", run_.meteoStation);
    item("Irrigation_Scheme", run_.irrigationScheme);
    item("Deposition_Scheme", run_.depositionScheme);
    item("Report_Type", "Leaching");
    close("Project_Summary");

    open("Header");
    sum.WriteLine("*  Leaching report of run " + runId_ + (run_.runName.empty() ? String() : " \"" + run_.runName + "\""));
    sum.WriteLine("*  Calculated by " + String(kProgram) + " (stand-in model kernel) on " +
                  FormatDateTime("dd/mm/yyyy", Now()));
    sum.WriteLine("*  Substance:          " + (run_.substance.empty() ? String("No") : run_.substance));
    sum.WriteLine("*  Location:           " + run_.location);
    sum.WriteLine("*  Soil profile:       " + run_.soilProfile);
    sum.WriteLine("*  Meteo station:      " + run_.meteoStation);
    sum.WriteLine("*  Crop calendar:      " + run_.cropCalendar);
    sum.WriteLine("*  Application scheme: " + run_.applicationScheme);
    sum.WriteLine("*  Irrigation scheme:  " + run_.irrigationScheme);
    sum.WriteLine("*  Period:             " + FormatDateDMY(run_.start) + " to " + FormatDateDMY(run_.end));
    close("Header");

    open("Leaching");
    sum.WriteLine("*  Leaching through " + DepthText(targetDepth) + " m depth per year");
    String heading = "*  Year   Water (mm)";
    for (size_t k = 0; k < nc; ++k)
        if (!run_.compounds[k].sink)
            heading += " " + Pad(run_.compounds[k].code + " (kg.ha-1)", 16) + Pad(run_.compounds[k].code + " (ug.L-1)", 16);
    sum.WriteLine(heading);
    for (const auto& y : years_) {
        String line = "*  " + Pad(IntToStr(y.year), 6) + Pad(Fixed(y.water, 1), 11);
        for (size_t k = 0; k < nc; ++k)
            if (!run_.compounds[k].sink)
                line += " " + Pad(Fixed(y.mass[k], 6), 16) + Pad(Fixed(y.Concentration(k), 6), 16);
        sum.WriteLine(line);
    }
    for (size_t k = 0; k < nc; ++k)
        if (!run_.compounds[k].sink)
            sum.WriteLine("*  " + percentText + "th percentile of " + run_.compounds[k].code + ": " +
                          Fixed(percentiles[k], 6) + " ug.L-1");
    close("Leaching");
    sum.Close();
}

} // namespace

String FormatValue(double value, char kind, int width, int digits)
{
    char buffer[96];
    if (!std::isfinite(value))
        value = 0;
    switch (kind) {
    case 'F':
        std::snprintf(buffer, sizeof buffer, "%*.*f", width, digits, value);
        break;
    case 'E':
        std::snprintf(buffer, sizeof buffer, "%*.*E", width, digits, value);
        break;
    default:
        std::snprintf(buffer, sizeof buffer, "%*.*G", width, std::max(digits, 1), value);
        break;
    }
    return String(" ") + buffer;
}

void WriteErrorListing(const String& path, const String& runId, const std::vector<String>& lines)
{
    std::vector<String> listing;
    listing.push_back("*** " + String(kProgram) + ": run " + runId + " was not calculated ***");
    listing.push_back("Errors:");
    for (const auto& l : lines)
        listing.push_back("  " + l);
    listing.push_back(IntToStr(static_cast<int64_t>(lines.size())) + " error(s).");
    if (listing.size() == 12) // twelve lines would read as an interruption
        listing.push_back("Correct the input and calculate the run again.");
    TTextWriter err(path, lbLF);
    for (const auto& l : listing)
        err.WriteLine(l);
    err.Close();
}

void WriteInterruptedListing(const String& path, const String& runId, bool empty)
{
    TTextWriter err(path, lbLF);
    if (!empty) {
        const String lines[12] = {
            "*** " + String(kProgram) + ": run " + runId + " interrupted ***",
            "The run was stopped from the keyboard (interrupt signal).",
            "No output of this run is complete:",
            "  the detailed output file was removed,",
            "  no summary file was written.",
            "",
            "Calculate the run again to obtain its results.",
            "",
            "Input file: " + runId + ".qmi",
            "Interrupted at: " + FormatDateTime("dd/mm/yyyy hh:nn:ss", Now()),
            "",
            "End of listing.",
        };
        for (const auto& l : lines)
            err.WriteLine(l);
    }
    err.Close();
}

RunOutcome RunModel(const String& inputPath, const RunOptions& options)
{
    Run run(inputPath, options);
    return run.Execute();
}

} // namespace quelmmodel
