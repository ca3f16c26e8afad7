#include "kernel/ModelRun.h"

#include "platform/rtl/FileUtils.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <set>

namespace quelmmodel {

namespace {

bool IsUpper(const String& value, const char* word)
{
    return UpperCase(value) == word;
}

// Typed access to the keywords and tables of one input file; every fault is reported with
// the file's name and the line concerned.
class Reader {
public:
    Reader(const InputFile& input, ErrorList& errors) : in_(input), errors_(errors) {}

    void Error(int line, const String& text) { errors_.Add(in_.FileName(), line, text); }

    const KeywordEntry* Entry(const String& name, bool required = true)
    {
        const KeywordEntry* k = in_.Find(name);
        if (!k && required)
            Error(0, "keyword " + Quoted(name) + " is missing");
        return k;
    }

    bool Has(const String& name) const { return in_.Find(name) != nullptr; }

    // The line of a keyword, 0 when it is absent.
    int LineOf(const String& name) const
    {
        const KeywordEntry* k = in_.Find(name);
        return k ? k->line : 0;
    }

    String Text(const String& name, bool required = true)
    {
        const KeywordEntry* k = Entry(name, required);
        if (!k)
            return String();
        if (k->value.empty())
            Error(k->line, "keyword " + Quoted(k->name) + " has no value");
        return k->value;
    }

    double Real(const String& name, double def = 0, bool required = true)
    {
        const KeywordEntry* k = Entry(name, required);
        if (!k)
            return def;
        double v = 0;
        if (!TryStrToFloat(k->value, v) || Trim(k->value) != k->value) {
            Error(k->line, "the value " + Quoted(k->value) + " of " + Quoted(k->name) + " is not a number");
            return def;
        }
        return v;
    }

    int Integer(const String& name, int def = 0)
    {
        const KeywordEntry* k = Entry(name);
        if (!k)
            return def;
        int v = 0;
        if (!TryStrToInt(k->value, v)) {
            Error(k->line, "the value " + Quoted(k->value) + " of " + Quoted(k->name) + " is not an integer");
            return def;
        }
        return v;
    }

    bool YesNo(const String& name)
    {
        const KeywordEntry* k = Entry(name);
        if (!k)
            return false;
        if (k->value != "Yes" && k->value != "No")
            Error(k->line, "the value of " + Quoted(k->name) + " must be \"Yes\" or \"No\", not " + Quoted(k->value));
        return k->value == "Yes";
    }

    TDateTime Date(const String& name)
    {
        const KeywordEntry* k = Entry(name);
        TDateTime d = 0;
        if (k && !ParseDateDMY(k->value, d))
            Error(k->line, "the value " + Quoted(k->value) + " of " + Quoted(k->name) + " is not a date (dd-Mon-yyyy)");
        return d;
    }

    void DayMonth(const String& name, int& day, int& month)
    {
        const KeywordEntry* k = Entry(name);
        if (k && !ParseDayMonth(k->value, day, month))
            Error(k->line, "the value " + Quoted(k->value) + " of " + Quoted(k->name) + " is not a day (dd-Mon)");
    }

    // Data rows of a table after its fixed header lines, which must read as given.
    const TableEntry* Table(const String& name, const std::vector<String>& headers, std::vector<TableRow>& rows,
                            bool required = true)
    {
        rows.clear();
        const TableEntry* t = in_.FindTable(name);
        if (!t) {
            if (required)
                Error(0, "table " + Quoted(name) + " is missing");
            return nullptr;
        }
        for (size_t i = 0; i < t->rows.size(); ++i) {
            if (i < headers.size()) {
                if (t->rows[i].text != headers[i])
                    Error(t->rows[i].line, "the header line of table " + Quoted(name) + " should read " +
                                               Quoted(headers[i]));
                continue;
            }
            rows.push_back(t->rows[i]);
        }
        if (t->rows.size() < headers.size())
            Error(t->line, "table " + Quoted(name) + " lacks its header lines");
        return t;
    }

    // Splits a row into exactly `count` words (or count and count + extra).
    bool Fields(const TableRow& row, const String& table, size_t count, std::vector<String>& words,
                size_t maxCount = 0)
    {
        words = Words(row.text);
        if (maxCount == 0)
            maxCount = count;
        if (words.size() < count || words.size() > maxCount) {
            Error(row.line, "a row of table " + Quoted(table) + " must hold " + IntToStr(static_cast<int64_t>(count)) +
                                (maxCount > count ? " or " + IntToStr(static_cast<int64_t>(maxCount)) : String()) +
                                " values");
            return false;
        }
        return true;
    }

    double Number(const TableRow& row, const String& table, const String& text)
    {
        double v = 0;
        if (!TryStrToFloat(text, v))
            Error(row.line, "table " + Quoted(table) + ": " + Quoted(text) + " is not a number");
        return v;
    }

    TDateTime RowDate(const TableRow& row, const String& table, const String& text)
    {
        TDateTime d = 0;
        if (!ParseDateDMY(text, d))
            Error(row.line, "table " + Quoted(table) + ": " + Quoted(text) + " is not a date (dd-Mon-yyyy)");
        return d;
    }

    void ReportUnused()
    {
        for (const auto& k : in_.Keywords())
            if (!k.used)
                Error(k.line, "keyword " + Quoted(k.name) + " is not expected here");
        for (const auto& t : in_.Tables())
            if (!t.used && !t.name.empty())
                Error(t.line, "table " + Quoted(t.name) + " is not expected here");
    }

private:
    const InputFile& in_;
    ErrorList& errors_;
};

// ---------------------------------------------------------------- side files

std::vector<String> FileLines(const String& path)
{
    std::vector<String> lines;
    const String bytes = ReadFileToString(path);
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t end = bytes.find('\n', pos);
        String line = bytes.substr(pos, end == String::npos ? String::npos : end - pos);
        pos = end == String::npos ? bytes.size() : end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// Side files are named by a code of the input; a code that would reach outside the work
// folder names no side file.
bool SafeFileCode(const String& code)
{
    return !code.empty() && code.find('/') == String::npos && code.find('\\') == String::npos && code != "." &&
           code != "..";
}

// A side file "table <heading>", rows of a date and a value, "end_table".
bool ReadDatedTable(const String& path, const String& heading, std::vector<DatedValue>& values, ErrorList& errors)
{
    const String name = ExtractFileName(path);
    if (!FileExists(path)) {
        errors.Add(name, 0, "the file " + Quoted(name) + " does not exist in the work folder");
        return false;
    }
    const std::vector<String> lines = FileLines(path);
    size_t i = 0;
    while (i < lines.size() && Trim(lines[i]).empty())
        ++i;
    if (i >= lines.size() || lines[i] != heading) {
        errors.Add(name, static_cast<int>(i + 1), "the file must begin with " + Quoted(heading));
        return false;
    }
    bool closed = false;
    const size_t before = errors.Count();
    for (++i; i < lines.size(); ++i) {
        const int lineNo = static_cast<int>(i + 1);
        if (Trim(lines[i]) == "end_table") {
            closed = true;
            ++i;
            break;
        }
        const std::vector<String> w = Words(lines[i]);
        DatedValue v;
        if (w.size() != 2 || !ParseDateDMY(w[0], v.date) || !TryStrToFloat(w[1], v.value)) {
            errors.Add(name, lineNo, "a row must hold a date (dd-Mon-yyyy) and a number: " + Quoted(lines[i]));
            continue;
        }
        if (!values.empty() && v.date <= values.back().date)
            errors.Add(name, lineNo, "the dates must increase: " + w[0]);
        values.push_back(v);
    }
    if (!closed)
        errors.Add(name, static_cast<int>(lines.size()), "the table is not closed by \"end_table\"");
    for (; i < lines.size(); ++i)
        if (!Trim(lines[i]).empty())
            errors.Add(name, static_cast<int>(i + 1), "text after \"end_table\"");
    return errors.Count() == before;
}

void ReadMeteo(const String& path, RunDescription& run, ErrorList& errors)
{
    const String name = ExtractFileName(path);
    if (!FileExists(path)) {
        errors.Add(name, 0, "the meteo file " + Quoted(name) + " does not exist in the work folder");
        return;
    }
    const std::vector<String> lines = FileLines(path);
    std::vector<MeteoDay> days;
    const size_t before = errors.Count();
    for (size_t i = 0; i < lines.size(); ++i) {
        const String& line = lines[i];
        const int lineNo = static_cast<int>(i + 1);
        if (line.empty() || line[0] == '*' || Trim(line).empty())
            continue;
        if (errors.Count() - before >= 10)
            break; // a broken file would otherwise list every line
        if (line[0] != '\'') {
            errors.Add(name, lineNo, "a data line must begin with the station code in single quotes");
            continue;
        }
        const size_t close = line.find('\'', 1);
        if (close == String::npos) {
            errors.Add(name, lineNo, "the station code is not closed by a single quote");
            continue;
        }
        const String station = line.substr(1, close - 1);
        if (!SameText(station, run.meteoStation)) {
            errors.Add(name, lineNo, "data of station " + Quoted(station) + " in the file of station " +
                                         Quoted(run.meteoStation));
            continue;
        }
        const std::vector<String> w = Words(line.substr(close + 1));
        if (w.size() != 10) {
            errors.Add(name, lineNo, "a data line must hold the date (day, month, year) and seven values");
            continue;
        }
        int dd = 0, mm = 0, yyyy = 0;
        double values[7] = {};
        bool ok = TryStrToInt(w[0], dd) && TryStrToInt(w[1], mm) && TryStrToInt(w[2], yyyy);
        for (int k = 0; k < 7 && ok; ++k)
            ok = TryStrToFloat(w[3 + k], values[k]);
        MeteoDay day;
        if (!ok || !TryEncodeDate(yyyy, mm, dd, day.date)) {
            errors.Add(name, lineNo, "a data line holds a value that is not a number or an impossible date");
            continue;
        }
        day.rad = values[0];
        day.tmin = values[1];
        day.tmax = values[2];
        day.hum = values[3];
        day.wind = values[4];
        day.rain = values[5];
        day.etref = values[6];
        if (day.rain < 0)
            errors.Add(name, lineNo, "negative rainfall");
        if (!days.empty() && day.date <= days.back().date)
            errors.Add(name, lineNo, "the dates must increase day by day");
        days.push_back(day);
    }
    if (errors.Count() != before)
        return;
    // The run needs every day of its period.
    run.meteo.clear();
    size_t k = 0;
    for (TDateTime d = run.start; d <= run.end; d += 1) {
        while (k < days.size() && days[k].date < d)
            ++k;
        if (k >= days.size() || days[k].date != d) {
            int missing = 0;
            for (TDateTime e = d; e <= run.end; e += 1)
                if (!std::binary_search(days.begin(), days.end(), MeteoDay{e},
                                        [](const MeteoDay& a, const MeteoDay& b) { return a.date < b.date; }))
                    ++missing;
            errors.Add(name, 0, "the meteo data lack " + IntToStr(missing) + " day(s) of the run's period, the first on " +
                                    FormatDateDMY(d));
            return;
        }
        run.meteo.push_back(days[k]);
    }
}

bool ParseRealFormat(const String& text, RunDescription& run)
{
    // Gw.d, Fw.d or Ew.d
    if (text.size() < 4)
        return false;
    const char kind = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    if (kind != 'G' && kind != 'F' && kind != 'E')
        return false;
    const size_t dot = text.find('.');
    if (dot == String::npos)
        return false;
    int width = 0, digits = 0;
    if (!TryStrToInt(text.substr(1, dot - 1), width) || !TryStrToInt(text.substr(dot + 1), digits))
        return false;
    if (width < 1 || width > 40 || digits < 0 || digits > 20)
        return false;
    run.realFormatKind = kind;
    run.realFormatWidth = width;
    run.realFormatDigits = digits;
    return true;
}

// "01-Emg-05": crop number, event, sign and days.
bool ParseEventReference(const String& text, Application& app, String& event)
{
    const size_t dash = text.find('-');
    if (dash == String::npos || dash == 0)
        return false;
    const size_t sign = text.find_last_of("+-");
    if (sign == String::npos || sign <= dash + 1 || sign + 1 >= text.size())
        return false;
    int seq = 0, days = 0;
    if (!TryStrToInt(text.substr(0, dash), seq) || !TryStrToInt(text.substr(sign + 1), days) || days < 0)
        return false;
    app.cropSeq = seq;
    event = text.substr(dash + 1, sign - dash - 1);
    app.offset = text[sign] == '-' ? -days : days;
    app.relative = true;
    return true;
}

// ---------------------------------------------------------------- the sections

void ReadControl(Reader& r, RunDescription& run, std::vector<String>& notes)
{
    if (r.Text("CallingProgram") != "RAVUZAVEDE" && r.Has("CallingProgram"))
        notes.push_back("calling program " + Quoted(r.Text("CallingProgram")));
    r.Text("CallingProgramVersion");
    r.Integer("InitYears");
    run.start = r.Date("TimStart");
    run.end = r.Date("TimEnd");
    if (run.start != 0 && run.end != 0 && run.end < run.start)
        r.Error(r.LineOf("TimEnd"), "the run ends before it starts");
    r.Real("AmaSysEnd");
    r.Real("ThetaTol");
    run.optDelTimPrn = r.Text("OptDelTimPrn");
    run.delTimPrn = r.Integer("DelTimPrn", 1);
    if (IsUpper(run.optDelTimPrn, "OTHER") && run.delTimPrn < 1)
        r.Error(r.LineOf("DelTimPrn"), "the print time step must be at least 1 day");
    r.YesNo("RepeatHydrology");
    r.Text("OptHyd");
    r.Real("DelTimSwaMin");
    r.Real("DelTimSwaMax");
    run.printCumulatives = r.YesNo("PrintCumulatives");
    r.Real("GWLTol");
    r.Integer("MaxItSwa");
    r.Text("OptHysteresis");
    r.Real("PreHeaWetDryMin");
    r.YesNo("OptScreen");
    r.YesNo("OptPersistency");
    r.Text("OptSys");
    r.YesNo("OptPaddy");
    r.YesNo("OptMacropore");
}

void ReadSoil(Reader& r, RunDescription& run)
{
    run.soilProfile = r.Text("SoilTypeID");
    if (run.soilProfile.size() >= 5 && run.soilProfile.compare(run.soilProfile.size() - 5, 5, "_Soil") == 0)
        run.soilProfile.resize(run.soilProfile.size() - 5);
    run.location = r.Text("Location");

    std::vector<TableRow> rows;
    std::vector<String> w;
    r.Table("SoilProfile", {"ThiHor NumLay", "(m)"}, rows);
    for (const auto& row : rows) {
        if (!r.Fields(row, "SoilProfile", 2, w))
            continue;
        Horizon h;
        h.thickness = r.Number(row, "SoilProfile", w[0]);
        if (!TryStrToInt(w[1], h.layers) || h.layers < 1)
            r.Error(row.line, "table \"SoilProfile\": the number of layers must be a whole number of at least 1");
        if (h.thickness <= 0)
            r.Error(row.line, "table \"SoilProfile\": a horizon must be thicker than 0 m");
        run.horizons.push_back(h);
    }
    if (r.Has("SoilTypeID") && run.horizons.empty())
        r.Error(0, "the soil profile has no horizons");

    // The horizon tables carry the sequence number; they must list the same horizons in the
    // same order as the profile table.
    auto horizonRows = [&](const String& table, const std::vector<String>& headers, size_t count,
                           auto&& assign) {
        r.Table(table, headers, rows);
        if (!rows.empty() && rows.size() != run.horizons.size())
            r.Error(rows.front().line, "table " + Quoted(table) + " has " + IntToStr(static_cast<int64_t>(rows.size())) +
                                           " rows for " + IntToStr(static_cast<int64_t>(run.horizons.size())) +
                                           " horizons");
        for (size_t i = 0; i < rows.size() && i < run.horizons.size(); ++i) {
            if (!r.Fields(rows[i], table, count, w))
                continue;
            int number = 0;
            if (!TryStrToInt(w[0], number) || number < 1) {
                r.Error(rows[i].line, "table " + Quoted(table) + ": " + Quoted(w[0]) + " is not a horizon number");
                continue;
            }
            Horizon& h = run.horizons[i];
            if (h.number == 0) {
                if (i > 0 && number <= run.horizons[i - 1].number)
                    r.Error(rows[i].line, "table " + Quoted(table) + ": the horizon numbers must increase");
                h.number = number;
            } else if (h.number != number) {
                r.Error(rows[i].line, "table " + Quoted(table) + ": horizon " + w[0] + " where horizon " +
                                          IntToStr(h.number) + " is expected");
                continue;
            }
            std::vector<double> v;
            for (size_t k = 1; k < count; ++k)
                v.push_back(r.Number(rows[i], table, w[k]));
            assign(h, v);
        }
    };
    horizonRows("SoilProperties",
                {"Nr     FraSand    FraSilt    FraClay    CntOm         pH",
                 "       (kg.kg-1)  (kg.kg-1)  (kg.kg-1)  (kg.kg-1)     (-)"},
                6, [](Horizon& h, const std::vector<double>& v) {
                    h.fraSand = v[0];
                    h.fraSilt = v[1];
                    h.fraClay = v[2];
                    h.cntOm = v[3];
                    h.pH = v[4];
                });
    horizonRows("VanGenuchtenPar",
                {"Nr     ThetaSat    ThetaRes    AlphaDry    AlphaWet    n       KSat      l",
                 "       (m3.m-3)    (m3.m-3)    (cm-1)      (cm-1)     (-)     (m.d-1)   (-)"},
                8, [](Horizon& h, const std::vector<double>& v) {
                    h.thetaSat = v[0];
                    h.thetaRes = v[1];
                    h.alphaDry = v[2];
                    h.alphaWet = v[3];
                    h.n = v[4];
                    h.kSat = v[5];
                    h.l = v[6];
                });
    r.Text("OptRho");
    horizonRows("Rho", {}, 2, [](Horizon& h, const std::vector<double>& v) { h.rho = v[0]; });
    r.Real("ZPndMax");
    r.Text("OptSolEvp");
    run.facEvpSol = r.Real("FacEvpSol", 1);
    r.Real("CofRedEvp");
    r.Real("PrcMinEvp");
    horizonRows("LenDisLiq", {}, 2, [](Horizon& h, const std::vector<double>& v) { h.lenDisLiq = v[0]; });

    const String tortuosity = r.Text("OptCofDifRel");
    static const std::pair<const char*, std::vector<const char*>> models[] = {
        {"MillingtonQuirk", {"ExpDifLiqMilNom", "ExpDifLiqMilDen", "ExpDifGasMilNom", "ExpDifGasMilDen"}},
        {"Troeh", {"CofDifLiqTro", "ExpDifLiqTro", "CofDifGasTro", "ExpDifGasTro"}},
        {"Currie", {"CofDifLiqCur", "ExpDifLiqCur", "CofDifGasCur", "ExpDifGasCur"}},
    };
    bool known = false;
    for (const auto& m : models)
        if (tortuosity == m.first) {
            known = true;
            for (const char* p : m.second)
                r.Real(p);
        }
    if (!known && r.Has("OptCofDifRel"))
        r.Error(r.LineOf("OptCofDifRel"), "unknown relative-diffusion model " + Quoted(tortuosity));
    r.Text("OptPnd");

    for (const auto& h : run.horizons) {
        if (h.number == 0)
            continue;
        const String at = "horizon " + IntToStr(h.number) + ": ";
        if (!(h.thetaSat > h.thetaRes && h.thetaRes >= 0 && h.thetaSat <= 1))
            r.Error(0, at + "ThetaSat must exceed ThetaRes, both between 0 and 1");
        if (h.n <= 1)
            r.Error(0, at + "the Van Genuchten n must exceed 1");
        if (h.alphaDry <= 0 || h.kSat <= 0)
            r.Error(0, at + "AlphaDry and KSat must be positive");
        if (h.rho <= 0)
            r.Error(0, at + "the bulk density must be positive");
    }
}

void ReadWeather(Reader& r, const String& workDir, RunDescription& run, ErrorList& errors)
{
    run.meteoStation = r.Text("MeteoStation");
    run.optEvp = r.Text("OptEvp");
    if (IsUpper(run.optEvp, "PENMAN")) {
        r.Real("LatMet");
        r.Real("AltMet");
    }
    run.temLboSta = r.Real("TemLboSta", 10);
    run.optIrr = r.Text("OptIrr");
    const String type = UpperCase(run.optIrr);
    const bool withoutData =
        type == "NO" || type == "SPRINKLER_AUTO" || type == "SURFACE_AUTO" || type == "SPRINKLER_WEEKLY";
    String dataScheme;
    if (!withoutData && r.Has("OptIrr"))
        dataScheme = r.Text("IrrigationData");
    run.irrigationScheme = r.Text("IrrigationScheme");
    if (!dataScheme.empty() && !run.irrigationScheme.empty() && dataScheme != run.irrigationScheme)
        r.Error(r.LineOf("IrrigationData"), "the irrigation data name another scheme than \"IrrigationScheme\"");
    run.facPrc = r.Real("FacPrc", 1);
    r.Real("DifTem");
    run.facEvp = r.Real("FacEvp", 1);
    r.YesNo("OptRainfall");
    r.Text("OptMetInp");
    r.Text("OptTraRes");
    r.YesNo("OptRainfallEvents");
    r.YesNo("OptSnow");

    if (!run.meteoStation.empty() && !SafeFileCode(run.meteoStation))
        r.Error(r.LineOf("MeteoStation"), "the meteo station code " + Quoted(run.meteoStation) + " cannot name a file");
    else if (!run.meteoStation.empty() && run.start != 0 && run.end >= run.start)
        ReadMeteo(PathJoin(workDir, run.meteoStation + ".met"), run, errors);
    if (!dataScheme.empty() && !SafeFileCode(dataScheme))
        r.Error(r.LineOf("IrrigationData"), "the irrigation scheme code " + Quoted(dataScheme) + " cannot name a file");
    else if (!dataScheme.empty())
        ReadDatedTable(PathJoin(workDir, dataScheme + ".irr"), "table IrrTab (mm)", run.irrigation, errors);
}

// Day of the year (1..365) of a day and month, in a year without 29 February.
int DayOfYear(int day, int month)
{
    static const int before[] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
    return before[std::clamp(month, 1, 12) - 1] + day;
}

void ReadLowerBoundary(Reader& r, const String& workDir, RunDescription& run, ErrorList& errors)
{
    run.zGrwLevSta = r.Real("ZGrwLevSta");
    run.optLbo = r.Text("OptLbo");
    int day = 1, month = 1;
    if (run.optLbo == "GrwLev" || run.optLbo == "Dirichlet") {
        const int file = r.Integer("LowerBoundaryFile");
        if (r.Has("LowerBoundaryFile")) {
            const String heading = run.optLbo == "GrwLev" ? "table GrwLev (cm)" : "table h (cm)";
            ReadDatedTable(PathJoin(workDir, IntToStr(file) + ".bot"), heading, run.boundary, errors);
            if (run.boundary.empty() && run.optLbo == "GrwLev")
                errors.Add(IntToStr(file) + ".bot", 0, "the groundwater levels hold no value");
        }
    } else if (run.optLbo == "Flux") {
        run.flvLiqLboAvg = r.Real("FlvLiqLboAvg");
        run.flvLiqLboAmp = r.Real("FlvLiqLboAmp");
        r.DayMonth("DayFlvLiqLboMax", day, month);
        run.dayFlvLiqLboMax = DayOfYear(day, month);
        if (r.Text("OptBotFlux") != "Sine" && r.Has("OptBotFlux"))
            r.Error(r.LineOf("OptBotFlux"), "the bottom flux option must be \"Sine\"");
    } else if (run.optLbo == "Cauchy") {
        r.Text("OptShapeGrwLev");
        r.Real("HeaDraBase");
        run.rstAqt = r.Real("RstAqt");
        run.heaAqfAvg = r.Real("HeaAqfAvg");
        run.heaAqfAmp = r.Real("HeaAqfAmp");
        r.DayMonth("DayHeaAqfMax", day, month);
        run.dayHeaAqfMax = DayOfYear(day, month);
        if (r.Has("RstAqt") && run.rstAqt <= 0)
            r.Error(r.LineOf("RstAqt"), "the aquitard resistance must be positive");
    } else if (run.optLbo == "FncGrwLev") {
        run.cofFncGrwLev = r.Real("CofFncGrwLev");
        run.expFncGrwLev = r.Real("ExpFncGrwLev");
    } else if (r.Has("OptLbo")) {
        r.Error(r.LineOf("OptLbo"), "unknown lower boundary condition " + Quoted(run.optLbo));
    }
}

void ReadDrainage(Reader& r, RunDescription& run)
{
    const String opt = r.Text("OptDra");
    if (opt != "Basic" && opt != "No" && r.Has("OptDra"))
        r.Error(r.LineOf("OptDra"), "the drainage option must be \"Basic\" or \"No\"");
    run.drained = opt == "Basic";
    r.Text("OptSurDra");
    const int count = r.Integer("NumDraLev");
    if (!run.drained) {
        if (count != 0)
            r.Error(r.LineOf("NumDraLev"), "an undrained location has 0 drainage levels");
        return;
    }
    for (int n = 1; n <= 5; ++n) {
        const String sn = IntToStr(n);
        const KeywordEntry* sys = r.Entry("SysDra_" + sn, false);
        if (sys && sys->value != sn)
            r.Error(sys->line, "\"SysDra_" + sn + "\" must hold " + sn);
        if (!r.Has("TypDra_" + sn))
            continue;
        if (!sys)
            r.Error(0, "keyword \"SysDra_" + sn + "\" is missing");
        DrainageLevel level;
        level.number = n;
        level.type = r.Text("TypDra_" + sn);
        level.rstDra = r.Real("RstDra_" + sn);
        level.rstInf = r.Real("RstInf_" + sn);
        level.distDra = r.Real("DistDra_" + sn);
        level.zDra = r.Real("ZDra_" + sn);
        r.Real("ZSurWat_" + sn);
        if (level.rstDra <= 0)
            r.Error(0, "drainage level " + sn + ": the drainage resistance must be positive");
        run.drainage.push_back(level);
    }
    if (static_cast<int>(run.drainage.size()) != count)
        r.Error(r.LineOf("NumDraLev"), "\"NumDraLev\" is " + IntToStr(count) + " but " +
                                                IntToStr(static_cast<int64_t>(run.drainage.size())) +
                                                " drainage levels are described");
}

void ReadCompounds(Reader& r, RunDescription& run)
{
    std::vector<TableRow> rows;
    std::vector<String> w;
    r.Table("compounds", {}, rows);
    for (const auto& row : rows) {
        if (!r.Fields(row, "compounds", 1, w))
            continue;
        for (const auto& c : run.compounds)
            if (SameText(c.code, w[0]))
                r.Error(row.line, "compound " + Quoted(w[0]) + " is listed twice");
        Compound c;
        c.code = w[0];
        c.sink = SameText(c.code, "end");
        run.compounds.push_back(c);
    }
    if (run.compounds.empty())
        return; // a run without substance
    run.substance = r.Text("SubstanceName");
    if (!SameText(run.substance, run.compounds.front().code))
        r.Error(0, "the first compound must be the substance " + Quoted(run.substance));

    int phDependent = 0;
    for (auto& c : run.compounds) {
        const String code = c.code;
        if (r.Text("OptDT50_" + code) != "EqlDom_Input" && r.Has("OptDT50_" + code))
            r.Error(r.LineOf("OptDT50_" + code), "\"OptDT50_" + code + "\" must be \"EqlDom_Input\"");
        if (c.sink) {
            // "end" may have no substance row: its lines then carry an empty code.
            for (const String& suffix : {code, String()})
                for (const char* p : {"MolMas_", "OptCntLiqTraRef_", "DT50Ref_", "TemRefTra_", "ExpLiqTra_",
                                      "CntLiqTraRef_", "MolEntTra_", "MolEntSor_", "TemRefSor_", "OptCofFre_",
                                      "KomEql_", "KomEqlMax_", "KomEqlAcid_", "KomEqlBase_", "pKa_", "KSorEql_",
                                      "ConLiqRef_", "ExpFre_", "PreVapRef_", "TemRefVap_", "SlbWatRef_",
                                      "TemRefSlb_", "MolEntSlb_", "MolEntVap_", "CofDesRat_", "FacSorNeqEql_",
                                      "FacUpt_", "OptDspCrp_", "DT50DspCrp_", "DT50PenCrp_", "DT50VolCrp_",
                                      "DT50TraCrp_", "FacWasCrp_", "TemRefDif_", "CofDifWatRef_", "CofDifAirRef_"})
                    if (const KeywordEntry* k = r.Entry(p + suffix, false); k && String(p) == "MolMas_")
                        TryStrToFloat(k->value, c.molMas);
            continue;
        }
        c.molMas = r.Real("MolMas_" + code);
        const String opt = r.Text("OptCntLiqTraRef_" + code);
        if (opt != "OptimumConditions" && opt != "NonOptimumConditions" && r.Has("OptCntLiqTraRef_" + code))
            r.Error(r.LineOf("OptCntLiqTraRef_" + code), "unknown transformation option " + Quoted(opt));
        c.dt50 = r.Real("DT50Ref_" + code);
        c.temRefTra = r.Real("TemRefTra_" + code, 20);
        c.expLiqTra = r.Real("ExpLiqTra_" + code);
        r.Real("CntLiqTraRef_" + code);
        c.molEntTra = r.Real("MolEntTra_" + code);
        c.molEntSor = r.Real("MolEntSor_" + code);
        c.temRefSor = r.Real("TemRefSor_" + code, 20);
        c.sorption = UpperCase(r.Text("OptCofFre_" + code));
        if (c.sorption == "PH-INDEPENDENT") {
            c.komEql = r.Real("KomEql_" + code);
            r.Real("KomEqlMax_" + code);
        } else if (c.sorption == "PH-DEPENDENT") {
            c.komAcid = r.Real("KomEqlAcid_" + code);
            c.komBase = r.Real("KomEqlBase_" + code);
            c.pKa = r.Real("pKa_" + code);
            ++phDependent;
            c.pHCorrection = r.Real(phDependent == 1 ? String("pHCorrection") : "pHCorrection#" + IntToStr(phDependent));
        } else if (c.sorption == "USERDEFINED") {
            c.kSorEql = r.Real("KSorEql_" + code);
        } else if (r.Has("OptCofFre_" + code)) {
            r.Error(r.LineOf("OptCofFre_" + code), "unknown sorption option " + Quoted(c.sorption));
        }
        c.conLiqRef = r.Real("ConLiqRef_" + code, 1);
        c.expFre = r.Real("ExpFre_" + code, 1);
        c.preVap = r.Real("PreVapRef_" + code);
        c.temRefVap = r.Real("TemRefVap_" + code, 20);
        c.slbWat = r.Real("SlbWatRef_" + code, 1);
        r.Real("TemRefSlb_" + code);
        r.Real("MolEntSlb_" + code);
        r.Real("MolEntVap_" + code);
        c.cofDesRat = r.Real("CofDesRat_" + code);
        c.facSorNeqEql = r.Real("FacSorNeqEql_" + code);
        c.facUpt = r.Real("FacUpt_" + code);
        r.Text("OptDspCrp_" + code);
        c.dt50DspCrp = r.Real("DT50DspCrp_" + code);
        r.Real("DT50PenCrp_" + code);
        r.Real("DT50VolCrp_" + code);
        r.Real("DT50TraCrp_" + code);
        c.facWasCrp = r.Real("FacWasCrp_" + code);
        r.Real("TemRefDif_" + code);
        r.Real("CofDifWatRef_" + code);
        r.Real("CofDifAirRef_" + code);
        const String at = "compound " + Quoted(code) + ": ";
        if (c.molMas <= 0)
            r.Error(0, at + "the molar mass must be positive");
        if (c.dt50 <= 0)
            r.Error(0, at + "the half-life DT50Ref must be positive");
        if (c.expFre <= 0 || c.conLiqRef <= 0)
            r.Error(0, at + "the Freundlich exponent and the reference concentration must be positive");
    }
    r.Real("ThiAirBouLay");

    auto indexOf = [&](const String& code) {
        for (size_t i = 0; i < run.compounds.size(); ++i)
            if (SameText(run.compounds[i].code, code))
                return static_cast<int>(i);
        return -1;
    };
    r.Table("FraPrtDau", {}, rows);
    for (const auto& row : rows) {
        if (!r.Fields(row, "FraPrtDau", 4, w))
            continue;
        Transformation t;
        t.fraction = r.Number(row, "FraPrtDau", w[0]);
        t.from = indexOf(w[1]);
        t.to = indexOf(w[3]);
        if (w[2] != "->" || t.from < 0 || t.to < 0) {
            r.Error(row.line, "table \"FraPrtDau\": a row reads <fraction> <compound> -> <compound> of the compound list");
            continue;
        }
        if (t.fraction < 0)
            r.Error(row.line, "table \"FraPrtDau\": a negative fraction");
        if (run.compounds[t.from].sink)
            r.Error(row.line, "table \"FraPrtDau\": \"end\" forms nothing");
        run.transformations.push_back(t);
    }

    for (const char* factor : {"FacZTra", "FacZSor"}) {
        String header = "hor";
        for (const auto& c : run.compounds)
            header += " " + c.code;
        r.Table(factor, {header}, rows);
        if (rows.size() != run.horizons.size())
            r.Error(0, String("table \"") + factor + "\" must have one row per horizon");
        for (size_t i = 0; i < rows.size(); ++i) {
            if (!r.Fields(rows[i], factor, run.compounds.size() + 1, w))
                continue;
            if (i < run.horizons.size() && w[0] != IntToStr(run.horizons[i].number))
                r.Error(rows[i].line, String("table \"") + factor + "\": horizon " + w[0] + " where horizon " +
                                          IntToStr(run.horizons[i].number) + " is expected");
            for (size_t k = 0; k < run.compounds.size(); ++k) {
                const double v = r.Number(rows[i], factor, w[k + 1]);
                (String(factor) == "FacZTra" ? run.compounds[k].facZTra : run.compounds[k].facZSor).push_back(v);
            }
        }
    }
}

void ReadManagement(Reader& r, RunDescription& run, std::vector<String>& notes)
{
    run.applicationScheme = r.Text("ApplicationScheme");
    run.zTgt = r.Real("ZTgt", 1);
    // The repeat interval in years: "1", "2Year", "3Years"...; "NoRepeat" applies once.
    const String repeat = r.Text("DelTimEvt");
    size_t digits = 0;
    while (digits < repeat.size() && std::isdigit(static_cast<unsigned char>(repeat[digits])))
        ++digits;
    const String unit = repeat.substr(digits);
    int years = 0;
    if (digits > 0 && TryStrToInt(repeat.substr(0, digits), years) && years >= 1 &&
        (unit.empty() || SameText(unit, "Year") || SameText(unit, "Years")))
        run.repeatYears = years;
    else if (!SameText(repeat, "NoRepeat") && !repeat.empty())
        notes.push_back("the repeat interval " + Quoted(repeat) + " is not a number of years; applications are not repeated");

    std::vector<TableRow> rows;
    std::vector<String> w;
    r.Table("Applications", {}, rows);
    for (const auto& row : rows) {
        if (!r.Fields(row, "Applications", 3, w, 4))
            continue;
        Application app;
        String event;
        if (ParseDateDMY(w[0], app.date)) {
            app.relative = false;
        } else if (ParseEventReference(w[0], app, event)) {
            if (SameText(event, "Emg"))
                app.atHarvest = false;
            else if (!event.empty() && std::toupper(static_cast<unsigned char>(event[0])) == 'H')
                app.atHarvest = true;
            else
                r.Error(row.line, "table \"Applications\": unknown crop event " + Quoted(event));
        } else {
            r.Error(row.line, "table \"Applications\": " + Quoted(w[0]) +
                                  " is neither a date nor a crop event reference");
            continue;
        }
        app.type = w[1];
        const bool withParameter = app.type == "AppCrpUsr" || app.type == "AppSolTil" || app.type == "AppSolInj";
        const bool known = withParameter || app.type == "AppSolSur" || app.type == "AppCrpLAI";
        if (!known)
            r.Error(row.line, "table \"Applications\": unknown application type " + Quoted(app.type));
        if (withParameter != (w.size() == 4))
            r.Error(row.line, "table \"Applications\": type " + Quoted(app.type) +
                                  (withParameter ? " needs its parameter" : " takes no parameter"));
        app.dosage = r.Number(row, "Applications", w[2]);
        if (w.size() == 4)
            app.parameter = r.Number(row, "Applications", w[3]);
        if (app.dosage < 0)
            r.Error(row.line, "table \"Applications\": a negative dosage");
        run.applications.push_back(app);
    }
    r.Table("TillageDates", {}, rows);
    for (const auto& row : rows)
        if (r.Fields(row, "TillageDates", 2, w))
            run.tillages.push_back({r.RowDate(row, "TillageDates", w[0]), r.Number(row, "TillageDates", w[1])});
    for (const char* name : {"CntSysEql", "CntSysNeq"}) {
        r.Table(name, {}, rows);
        for (const auto& row : rows)
            if (r.Fields(row, name, 2, w))
                (String(name) == "CntSysEql" ? run.cntSysEql : run.cntSysNeq)
                    .push_back({r.Number(row, name, w[0]), r.Number(row, name, w[1])});
    }
    run.depositionScheme = r.Text("DepositionScheme");
    r.Table("FlmDep", {}, rows);
    for (const auto& row : rows)
        if (r.Fields(row, "FlmDep", 2, w))
            run.depositions.push_back({r.RowDate(row, "FlmDep", w[0]), r.Number(row, "FlmDep", w[1])});
    run.zTil = r.Real("ZTil", 0.2);
}

void ReadCrops(Reader& r, RunDescription& run)
{
    run.cropCalendar = r.Text("CropCalendar");
    run.repeatCrops = r.YesNo("RepeatCrops");
    r.Text("OptLenCrp");
    std::vector<TableRow> rows;
    std::vector<String> w;
    // Rows: emergence, harvest, then the crop identifier, which may hold blanks.
    auto identifier = [](const TableRow& row, const std::vector<String>& words) {
        return TrimRight(row.text.substr(row.text.find(words[2], row.text.find(words[1]) + words[1].size())));
    };
    r.Table("Crops", {}, rows);
    for (const auto& row : rows) {
        if (!r.Fields(row, "Crops", 3, w, 99))
            continue;
        Crop crop;
        crop.id = identifier(row, w);
        if (!ParseDayMonth(w[0], crop.emgDay, crop.emgMonth) || !ParseDayMonth(w[1], crop.harDay, crop.harMonth))
            r.Error(row.line, "table \"Crops\": emergence and harvest must be days (dd-Mon)");
        run.crops.push_back(crop);
    }
    const bool irrigated = !IsUpper(run.irrigationScheme, "NO");
    if (r.Table("IrrigationPeriods", {}, rows, irrigated && !run.crops.empty())) {
        if (!irrigated)
            r.Error(0, "table \"IrrigationPeriods\" is not expected without an irrigation scheme");
        for (const auto& row : rows) {
            if (!r.Fields(row, "IrrigationPeriods", 3, w, 99))
                continue;
            const String id = identifier(row, w);
            Crop* crop = nullptr;
            for (auto& c : run.crops)
                if (c.id == id)
                    crop = &c;
            if (!crop) {
                r.Error(row.line, "table \"IrrigationPeriods\": crop " + Quoted(id) + " is not in table \"Crops\"");
                continue;
            }
            crop->irrigationPeriod = true;
            if (!ParseDayMonth(w[0], crop->irrFromDay, crop->irrFromMonth) ||
                !ParseDayMonth(w[1], crop->irrToDay, crop->irrToMonth))
                r.Error(row.line, "table \"IrrigationPeriods\": the period must be given as days (dd-Mon)");
        }
    }
    for (auto& crop : run.crops) {
        const String id = crop.id;
        r.Table("CrpPar_" + id, {}, rows);
        for (const auto& row : rows) {
            if (!r.Fields(row, "CrpPar_" + id, 5, w))
                continue;
            CropStage s;
            s.stage = r.Number(row, "CrpPar_" + id, w[0]);
            s.lai = r.Number(row, "CrpPar_" + id, w[1]);
            s.facCrp = r.Number(row, "CrpPar_" + id, w[2]);
            s.zRoot = r.Number(row, "CrpPar_" + id, w[3]);
            s.height = r.Number(row, "CrpPar_" + id, w[4]);
            if (!crop.stages.empty() && s.stage < crop.stages.back().stage)
                r.Error(row.line, "table \"CrpPar_" + id + "\": the development stages must increase");
            crop.stages.push_back(s);
        }
        r.Table("RootDensity_" + id, {}, rows);
        for (const auto& row : rows)
            if (r.Fields(row, "RootDensity_" + id, 2, w)) {
                r.Number(row, "RootDensity_" + id, w[0]);
                r.Number(row, "RootDensity_" + id, w[1]);
            }
        for (const char* p : {"HLim1_", "HLim2_", "HLim3U_", "HLim3L_", "HLim4_", "RstEvpCrp_", "CofExtDir_",
                              "CofIntCrp_", "TemSumSta_", "TemSumEmgAnt_", "TemSumAntMat_"})
            r.Real(p + id);
        crop.cofExtDif = r.Real("CofExtDif_" + id, 0.6);
        crop.zTensiometer = r.Real("ZTensiometer_" + id);
        crop.preHeaIrrSta = r.Real("PreHeaIrrSta_" + id, -100);
        crop.irgThreshold = r.Real("IrgThreshold_" + id);
    }
}

void ReadOutputControl(Reader& r, RunDescription& run)
{
    std::vector<TableRow> rows;
    std::vector<String> w;
    r.Table("VerticalProfiles", {}, rows);
    for (const auto& row : rows)
        if (r.Fields(row, "VerticalProfiles", 1, w))
            run.profileDates.push_back(r.RowDate(row, "VerticalProfiles", w[0]));
    r.YesNo("OptDelOutFiles");
    run.dateFormat = r.Text("DateFormat");
    const String format = r.Text("RealFormat");
    if (r.Has("RealFormat") && !ParseRealFormat(format, run))
        r.Error(r.LineOf("RealFormat"), "the real format " + Quoted(format) + " is not of the form Gw.d, Fw.d or Ew.d");

    if (r.Table("OutputDepths", {}, rows, false)) {
        run.depthMode = OutputDepthMode::Other;
        for (const auto& row : rows)
            if (r.Fields(row, "OutputDepths", 1, w)) {
                const double z = r.Number(row, "OutputDepths", w[0]);
                if (z < 0)
                    r.Error(row.line, "table \"OutputDepths\": depths are positive, in m below the surface");
                run.outputDepths.push_back(z);
            }
        if (r.Has("OutputDepths"))
            r.Error(r.LineOf("OutputDepths"), "both a table and a line \"OutputDepths\"");
    } else if (const KeywordEntry* k = r.Entry("OutputDepths", false)) {
        if (k->value == "All")
            run.depthMode = OutputDepthMode::All;
        else if (k->value == "None")
            run.depthMode = OutputDepthMode::None;
        else
            r.Error(k->line, "\"OutputDepths\" must be \"All\" or \"None\" or a table");
    }

    r.Text("OptAux");
    r.YesNo("SoilReport");
    run.leachingReport = r.YesNo("LeachingReport");
    run.targetPercentile = r.Real("TargetPercentile", 90);
    if (run.targetPercentile <= 0 || run.targetPercentile >= 100)
        r.Error(r.LineOf("TargetPercentile"),
                "the target percentile must lie between 0 and 100");
    r.YesNo("AirReport");
    r.YesNo("DrainageReport");
}

} // namespace

void BuildRun(const InputFile& input, const String& workDir, const String& runId, RunDescription& run,
              ErrorList& errors, std::vector<String>& notes)
{
    Reader r(input, errors);
    run.runId = runId;
    run.runName = input.RunField("NAME");
    run.restricted = IsUpper(input.RunField("ISRESTRICTEDRUN"), "YES");

    ReadControl(r, run, notes);
    ReadSoil(r, run);
    ReadWeather(r, workDir, run, errors);
    ReadLowerBoundary(r, workDir, run, errors);
    ReadDrainage(r, run);
    ReadCompounds(r, run);
    ReadManagement(r, run, notes);
    ReadCrops(r, run);
    ReadOutputControl(r, run);
    for (const auto& app : run.applications)
        if (app.relative && (app.cropSeq < 1 || static_cast<size_t>(app.cropSeq) > run.crops.size()))
            r.Error(input.FindTable("Applications") ? input.FindTable("Applications")->line : 0,
                    "a relative application refers to crop " + IntToStr(app.cropSeq) + ", which the calendar does not hold");
    for (const KeywordEntry* k : input.FindPrefix("print_")) {
        if (k->value != "Yes" && k->value != "No")
            r.Error(k->line, "the value of " + Quoted(k->name) + " must be \"Yes\" or \"No\"");
        run.printVariables.push_back({k->name.substr(6), k->value == "Yes"});
    }
    r.ReportUnused();
}

} // namespace quelmmodel
