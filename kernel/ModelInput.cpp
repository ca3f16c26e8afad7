#include "kernel/ModelInput.h"

#include "platform/rtl/FileUtils.h"

#include <algorithm>
#include <cctype>

namespace quelmmodel {

namespace {

struct SectionInfo {
    const char* number;
    const char* title;
};

// The nine sections in the order the file holds them (the crop section precedes output control).
const SectionInfo kSections[] = {
    {"1", "Control section"},
    {"2", "Soil section"},
    {"3", "Weather and irrigation section"},
    {"4a", "Lower boundary flux"},
    {"4b", "Drainage/infiltration section"},
    {"5", "Compound section"},
    {"6", "Management section"},
    {"7", "Crop section"},
    {"8", "Output control"},
};
constexpr int kSectionCount = 9;

enum class LineKind {
    Padded, // value column, then the keyword text
    Code,   // code, one blank, keyword
};

// One keyword as the writer spells it. A name ending in '_' takes a suffix (a compound code,
// a crop identifier, a drainage level, an output variable). `tail` is the exact text that
// follows the name. With pad16 the name is padded to 16 characters before the tail.
struct KeywordSpec {
    const char* name;
    const char* tail;
    const char* section;
    LineKind kind;
    bool pad16;
};

const KeywordSpec kKeywords[] = {
    // control section
    {"CallingProgram", "", "1", LineKind::Padded, false},
    {"CallingProgramVersion", " Version of calling program", "1", LineKind::Padded, false},
    {"InitYears", "", "1", LineKind::Padded, false},
    {"TimStart", "", "1", LineKind::Padded, false},
    {"TimEnd", "", "1", LineKind::Padded, false},
    {"AmaSysEnd", " (kg.ha-1)", "1", LineKind::Padded, false},
    {"ThetaTol", " (m3.m-3)", "1", LineKind::Padded, false},
    {"OptDelTimPrn", "", "1", LineKind::Padded, false},
    {"DelTimPrn", "  (d)", "1", LineKind::Padded, false},
    {"RepeatHydrology", "", "1", LineKind::Padded, false},
    {"OptHyd", "", "1", LineKind::Padded, false},
    {"DelTimSwaMin", " (d)", "1", LineKind::Padded, false},
    {"DelTimSwaMax", " (d)", "1", LineKind::Padded, false},
    {"PrintCumulatives", "", "1", LineKind::Padded, false},
    {"GWLTol", " (m)", "1", LineKind::Padded, false},
    {"MaxItSwa", "", "1", LineKind::Padded, false},
    {"OptHysteresis", "", "1", LineKind::Padded, false},
    {"PreHeaWetDryMin", " (cm)", "1", LineKind::Padded, false},
    {"OptScreen", "", "1", LineKind::Padded, false},
    {"OptPersistency", "", "1", LineKind::Padded, false},
    {"OptSys", "", "1", LineKind::Padded, false},
    {"OptPaddy", "", "1", LineKind::Padded, false},
    {"OptMacropore", "", "1", LineKind::Padded, false},
    // soil section
    {"SoilTypeID", "", "2", LineKind::Code, false},
    {"Location", "", "2", LineKind::Code, false},
    {"OptRho", "", "2", LineKind::Padded, false},
    {"ZPndMax", "         (m)", "2", LineKind::Padded, false},
    {"OptSolEvp", "", "2", LineKind::Padded, false},
    {"FacEvpSol", "       (-)", "2", LineKind::Padded, false},
    {"CofRedEvp", "       (cm1/2)", "2", LineKind::Padded, false},
    {"PrcMinEvp", "       (m.d-1)", "2", LineKind::Padded, false},
    {"OptCofDifRel", "", "2", LineKind::Padded, false},
    {"ExpDifLiqMilNom", " (-)", "2", LineKind::Padded, false},
    {"ExpDifLiqMilDen", " (-)", "2", LineKind::Padded, false},
    {"ExpDifGasMilNom", " (-)", "2", LineKind::Padded, false},
    {"ExpDifGasMilDen", " (-)", "2", LineKind::Padded, false},
    {"CofDifLiqTro", " (-)", "2", LineKind::Padded, false},
    {"ExpDifLiqTro", " (-)", "2", LineKind::Padded, false},
    {"CofDifGasTro", " (-)", "2", LineKind::Padded, false},
    {"ExpDifGasTro", " (-)", "2", LineKind::Padded, false},
    {"CofDifLiqCur", " (-)", "2", LineKind::Padded, false},
    {"ExpDifLiqCur", " (-)", "2", LineKind::Padded, false},
    {"CofDifGasCur", " (-)", "2", LineKind::Padded, false},
    {"ExpDifGasCur", " (-)", "2", LineKind::Padded, false},
    {"OptPnd", "", "2", LineKind::Padded, false},
    // weather and irrigation section
    {"MeteoStation", "", "3", LineKind::Padded, false},
    {"OptEvp", "", "3", LineKind::Padded, false},
    {"LatMet", " (degrees)", "3", LineKind::Padded, false},
    {"AltMet", " (m)", "3", LineKind::Padded, false},
    {"TemLboSta", "       (C)", "3", LineKind::Padded, false},
    {"OptIrr", "", "3", LineKind::Padded, false},
    {"IrrigationData", "", "3", LineKind::Padded, false},
    {"IrrigationScheme", "", "3", LineKind::Padded, false},
    {"FacPrc", " (-)", "3", LineKind::Padded, false},
    {"DifTem", " (C)", "3", LineKind::Padded, false},
    {"FacEvp", " (-)", "3", LineKind::Padded, false},
    {"OptRainfall", "", "3", LineKind::Padded, false},
    {"OptMetInp", "", "3", LineKind::Padded, false},
    {"OptTraRes", "", "3", LineKind::Padded, false},
    {"OptRainfallEvents", "", "3", LineKind::Padded, false},
    {"OptSnow", "", "3", LineKind::Padded, false},
    // lower boundary
    {"ZGrwLevSta", " (cm)", "4a", LineKind::Padded, false},
    {"OptLbo", "", "4a", LineKind::Padded, false},
    {"LowerBoundaryFile", "", "4a", LineKind::Padded, false},
    {"FlvLiqLboAvg", " (m.a-1)", "4a", LineKind::Padded, false},
    {"FlvLiqLboAmp", " (m.a-1)", "4a", LineKind::Padded, false},
    {"DayFlvLiqLboMax", "", "4a", LineKind::Padded, false},
    {"OptBotFlux", "", "4a", LineKind::Padded, false},
    {"OptShapeGrwLev", "", "4a", LineKind::Padded, false},
    {"HeaDraBase", " (m)", "4a", LineKind::Padded, false},
    {"RstAqt", " (d)", "4a", LineKind::Padded, false},
    {"HeaAqfAvg", " (m)", "4a", LineKind::Padded, false},
    {"HeaAqfAmp", " (m)", "4a", LineKind::Padded, false},
    {"DayHeaAqfMax", " (d)", "4a", LineKind::Padded, false},
    {"CofFncGrwLev", " (m.d-1)", "4a", LineKind::Padded, false},
    {"ExpFncGrwLev", " (m-1)", "4a", LineKind::Padded, false},
    // drainage
    {"OptDra", "", "4b", LineKind::Padded, false},
    {"OptSurDra", "", "4b", LineKind::Padded, false},
    {"NumDraLev", "", "4b", LineKind::Padded, false},
    {"SysDra_", "", "4b", LineKind::Padded, false},
    {"TypDra_", "", "4b", LineKind::Padded, false},
    {"RstDra_", " (d)", "4b", LineKind::Padded, true},
    {"RstInf_", " (d)", "4b", LineKind::Padded, true},
    {"DistDra_", " (m)", "4b", LineKind::Padded, true},
    {"ZDra_", " (m)", "4b", LineKind::Padded, true},
    {"ZSurWat_", " (m)", "4b", LineKind::Padded, true},
    // compounds
    {"SubstanceName", "", "5", LineKind::Code, false},
    {"OptDT50_", "", "5", LineKind::Code, false},
    {"OptCntLiqTraRef_", "", "5", LineKind::Code, false},
    {"MolMas_", " (g.mol-1)", "5", LineKind::Padded, false},
    {"DT50Ref_", " (d)", "5", LineKind::Padded, false},
    {"TemRefTra_", " (C)", "5", LineKind::Padded, false},
    {"ExpLiqTra_", " (-)", "5", LineKind::Padded, false},
    {"CntLiqTraRef_", " (kg.kg-1)", "5", LineKind::Padded, false},
    {"MolEntTra_", " (kJ.mol-1)", "5", LineKind::Padded, false},
    {"MolEntSor_", " (kJ.mol-1)", "5", LineKind::Padded, false},
    {"TemRefSor_", " (C)", "5", LineKind::Padded, false},
    {"OptCofFre_", "", "5", LineKind::Padded, false},
    {"KomEql_", " (L.kg-1)", "5", LineKind::Padded, false},
    {"KomEqlMax_", " (L.kg-1)", "5", LineKind::Padded, false},
    {"KomEqlAcid_", " (L.kg-1)", "5", LineKind::Padded, false},
    {"KomEqlBase_", " (L.kg-1)", "5", LineKind::Padded, false},
    {"pKa_", " (-)", "5", LineKind::Padded, false},
    {"pHCorrection", " (-)", "5", LineKind::Padded, false},
    {"KSorEql_", " (L.kg-1)", "5", LineKind::Padded, false},
    {"ConLiqRef_", " (mg.L-1)", "5", LineKind::Padded, false},
    {"ExpFre_", " (-)", "5", LineKind::Padded, false},
    {"PreVapRef_", " (Pa)", "5", LineKind::Padded, false},
    {"TemRefVap_", " (C)", "5", LineKind::Padded, false},
    {"SlbWatRef_", " (mg.L-1)", "5", LineKind::Padded, false},
    {"TemRefSlb_", " (C)", "5", LineKind::Padded, false},
    {"MolEntSlb_", " (kJ.mol-1)", "5", LineKind::Padded, false},
    {"MolEntVap_", " (kJ.mol-1)", "5", LineKind::Padded, false},
    {"CofDesRat_", " (d-1)", "5", LineKind::Padded, false},
    {"FacSorNeqEql_", " (-)", "5", LineKind::Padded, false},
    {"FacUpt_", " (-)", "5", LineKind::Padded, false},
    {"ThiAirBouLay", " (m)", "5", LineKind::Padded, false},
    {"OptDspCrp_", "", "5", LineKind::Padded, false},
    {"DT50DspCrp_", " (d)", "5", LineKind::Padded, false},
    {"DT50PenCrp_", " (d)", "5", LineKind::Padded, false},
    {"DT50VolCrp_", " (d)", "5", LineKind::Padded, false},
    {"DT50TraCrp_", " (d)", "5", LineKind::Padded, false},
    {"FacWasCrp_", " (m-1)", "5", LineKind::Padded, false},
    {"TemRefDif_", " (C)", "5", LineKind::Padded, false},
    {"CofDifWatRef_", " (m2.d-1)", "5", LineKind::Padded, false},
    {"CofDifAirRef_", " (m2.d-1)", "5", LineKind::Padded, false},
    // management
    {"ApplicationScheme", "", "6", LineKind::Code, false},
    {"ZTgt", " (m)", "6", LineKind::Padded, false},
    {"DelTimEvt", " (a)", "6", LineKind::Padded, false},
    {"DepositionScheme", "", "6", LineKind::Code, false},
    {"ZTil", " (m)", "6", LineKind::Padded, false},
    // crops
    {"CropCalendar", "", "7", LineKind::Code, false},
    {"RepeatCrops", "", "7", LineKind::Padded, false},
    {"OptLenCrp", "", "7", LineKind::Padded, false},
    {"HLim1_", " (cm)", "7", LineKind::Padded, false},
    {"HLim2_", " (cm)", "7", LineKind::Padded, false},
    {"HLim3U_", " (cm)", "7", LineKind::Padded, false},
    {"HLim3L_", " (cm)", "7", LineKind::Padded, false},
    {"HLim4_", " (cm)", "7", LineKind::Padded, false},
    {"RstEvpCrp_", " (s.m-1)", "7", LineKind::Padded, false},
    {"CofExtDif_", " (-)", "7", LineKind::Padded, false},
    {"CofExtDir_", " (-)", "7", LineKind::Padded, false},
    {"CofIntCrp_", " (cm)", "7", LineKind::Padded, false},
    {"TemSumSta_", " (C)", "7", LineKind::Padded, false},
    {"TemSumEmgAnt_", " (C)", "7", LineKind::Padded, false},
    {"TemSumAntMat_", " (C)", "7", LineKind::Padded, false},
    {"ZTensiometer_", " (m)", "7", LineKind::Padded, false},
    {"PreHeaIrrSta_", " (cm)", "7", LineKind::Padded, false},
    {"IrgThreshold_", " (mm)", "7", LineKind::Padded, false},
    // output control
    {"OptDelOutFiles", "", "8", LineKind::Padded, false},
    {"DateFormat", "", "8", LineKind::Padded, false},
    {"RealFormat", "", "8", LineKind::Padded, false},
    {"OutputDepths", "", "8", LineKind::Code, false},
    {"print_", "", "8", LineKind::Padded, false},
    {"OptAux", "", "8", LineKind::Padded, false},
    {"SoilReport", "", "8", LineKind::Padded, false},
    {"LeachingReport", "", "8", LineKind::Padded, false},
    {"TargetPercentile", " (%)", "8", LineKind::Padded, false},
    {"AirReport", "", "8", LineKind::Padded, false},
    {"DrainageReport", "", "8", LineKind::Padded, false},
};

bool IsSuffixed(const KeywordSpec& known)
{
    const String name = known.name;
    return !name.empty() && name.back() == '_';
}

// What is known of a keyword name as written; exact names first, then suffixed ones.
const KeywordSpec* FindSpec(const String& word)
{
    for (const auto& known : kKeywords)
        if (!IsSuffixed(known) && word == known.name)
            return &known;
    const KeywordSpec* best = nullptr;
    size_t bestLength = 0;
    for (const auto& known : kKeywords) {
        const String prefix = known.name;
        if (IsSuffixed(known) && word.compare(0, prefix.size(), prefix) == 0 && prefix.size() > bestLength) {
            best = &known;
            bestLength = prefix.size();
        }
    }
    return best;
}

String ExpectedKeywordText(const KeywordSpec& known, const String& name)
{
    if (known.pad16) {
        String padded = name;
        if (padded.size() < 16)
            padded.append(16 - padded.size(), ' ');
        return padded + known.tail;
    }
    return name + known.tail;
}

// Table headings as the writer spells them; suffixed names take a crop identifier.
struct TableSpec {
    const char* name;
    const char* heading; // the whole line; for suffixed names the prefix before the suffix
    const char* section;
};

const TableSpec kTables[] = {
    {"SoilProfile", "table SoilProfile", "2"},
    {"SoilProperties", "table  horizon SoilProperties", "2"},
    {"VanGenuchtenPar", "table  horizon VanGenuchtenPar", "2"},
    {"Rho", "table horizon     Rho             (kg.m-3)", "2"},
    {"LenDisLiq", "Table horizon LenDisLiq (m)", "2"},
    {"compounds", "table compounds", "5"},
    {"FraPrtDau", "table FraPrtDau (mol.mol-1)", "5"},
    {"FacZTra", "table horizon FacZTra (-)", "5"},
    {"FacZSor", "table horizon FacZSor (-)", "5"},
    {"Applications", "table Applications", "6"},
    {"TillageDates", "table TillageDates", "6"},
    {"CntSysEql", "table interpolate CntSysEql (mg.kg-1)", "6"},
    {"CntSysNeq", "table interpolate CntSysNeq (mg.kg-1)", "6"},
    {"FlmDep", "table    FlmDep   (kg.ha-1.d-1)", "6"},
    {"Crops", "table  Crops", "7"},
    {"IrrigationPeriods", "table  IrrigationPeriods", "7"},
    {"CrpPar_", "table  CrpPar_", "7"},
    {"RootDensity_", "table  RootDensity_", "7"},
    {"VerticalProfiles", "table VerticalProfiles", "8"},
    {"OutputDepths", "table OutputDepths (m)", "8"},
};

const String kRule = "*" + String(79, '-');

bool StartsWith(const String& s, const String& prefix)
{
    return s.compare(0, prefix.size(), prefix) == 0;
}

} // namespace

// ---------------------------------------------------------------- helpers

void ErrorList::Add(const String& file, int line, const String& text)
{
    errors_.push_back({file, line, text});
}

std::vector<String> Words(const String& line)
{
    std::vector<String> words;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t')
            ++i;
        if (i > start)
            words.push_back(line.substr(start, i - start));
    }
    return words;
}

namespace {

int MonthOfAbbreviation(const String& text)
{
    static const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    for (int m = 0; m < 12; ++m)
        if (text == months[m])
            return m + 1;
    return 0;
}

bool AllDigits(const String& s)
{
    return !s.empty() && std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isdigit(c); });
}

} // namespace

bool ParseDayMonth(const String& text, int& day, int& month)
{
    // "dd-Mon"
    if (text.size() != 6 || text[2] != '-')
        return false;
    const String dd = text.substr(0, 2);
    if (!AllDigits(dd))
        return false;
    day = std::stoi(dd);
    month = MonthOfAbbreviation(text.substr(3, 3));
    if (month == 0 || day < 1)
        return false;
    // 29 February is a valid day in year; any year decides later.
    return day <= DaysInAMonth(2000, month);
}

bool ParseDateDMY(const String& text, TDateTime& date)
{
    // "dd-Mon-yyyy"
    if (text.size() != 11 || text[6] != '-')
        return false;
    int day = 0, month = 0;
    if (!ParseDayMonth(text.substr(0, 6), day, month))
        return false;
    const String yyyy = text.substr(7, 4);
    if (!AllDigits(yyyy))
        return false;
    return TryEncodeDate(std::stoi(yyyy), month, day, date);
}

String FormatDateDMY(TDateTime date)
{
    return FormatDateTime("dd'-'mmm'-'yyyy", date);
}

// ---------------------------------------------------------------- reading

bool InputFile::Read(const String& path, ErrorList& errors)
{
    const String name = ExtractFileName(path);
    if (!FileExists(path)) {
        errors.Add(name, 0, "the input file " + Quoted(path) + " does not exist");
        return false;
    }
    String bytes;
    try {
        bytes = ReadFileToString(path);
    } catch (const Exception& e) {
        errors.Add(name, 0, "the input file cannot be read: " + e.Message());
        return false;
    }
    const size_t before = errors.Count();
    Parse(bytes, name, errors);
    return errors.Count() == before;
}

void InputFile::Parse(const String& bytes, const String& fileName, ErrorList& errors)
{
    fileName_ = fileName;
    keywords_.clear();
    tables_.clear();
    keywordIndex_.clear();
    runFields_.clear();
    openTable_ = -1;
    sectionIndex_ = -1;
    sawTitle_ = sawTrailer_ = inCharacterisation_ = false;
    lastRunField_.clear();

    int lineNo = 0;
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t end = bytes.find('\n', pos);
        String line = bytes.substr(pos, end == String::npos ? String::npos : end - pos);
        pos = end == String::npos ? bytes.size() : end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        ++lineNo;
        ParseLine(line, lineNo, errors);
    }
    if (openTable_ >= 0) {
        const TableEntry& t = tables_[openTable_];
        errors.Add(fileName_, t.line, "table " + Quoted(t.name) + " is not closed by \"end_table\"");
        openTable_ = -1;
    }
    if (!sawTitle_)
        errors.Add(fileName_, 0, "the header line \"* INPUT FILE for RavuzAVEDE calculation kernel\" is missing");
    for (int s = sectionIndex_ + 1; s < kSectionCount; ++s)
        errors.Add(fileName_, 0,
                   String("section ") + kSections[s].number + " (" + kSections[s].title + ") is missing");
    if (!sawTrailer_)
        errors.Add(fileName_, 0, "the file ends without the line \"* End of RavuzAVEDE input file\" (incomplete file)");
}

void InputFile::ParseLine(const String& line, int lineNo, ErrorList& errors)
{
    if (openTable_ >= 0) {
        TableEntry& table = tables_[openTable_];
        const String trimmed = Trim(line);
        if (trimmed == "end_table") {
            openTable_ = -1;
            return;
        }
        if (trimmed.empty()) {
            errors.Add(fileName_, lineNo, "empty line inside table " + Quoted(table.name));
            return;
        }
        if (line[0] == '*') {
            // A comment cannot be a row: the table was left open.
            errors.Add(fileName_, table.line, "table " + Quoted(table.name) + " is not closed by \"end_table\"");
            openTable_ = -1;
            ParseComment(line, lineNo, errors);
            return;
        }
        const std::vector<String> words = Words(line);
        if (SameText(words[0], "table")) {
            errors.Add(fileName_, lineNo,
                       "a table begins before table " + Quoted(table.name) + " (line " + IntToStr(table.line) +
                           ") is closed by \"end_table\"");
            openTable_ = -1;
            OpenTable(line, lineNo, errors);
            return;
        }
        table.rows.push_back({lineNo, line});
        return;
    }
    if (!line.empty() && line[0] == '*') {
        ParseComment(line, lineNo, errors);
        return;
    }
    if (Trim(line).empty())
        return; // spacer lines: empty or one blank
    if (sawTrailer_) {
        errors.Add(fileName_, lineNo, "text after the end of the input file");
        return;
    }
    if (sectionIndex_ < 0 && inCharacterisation_) {
        // A field of the run (its comments) may hold line breaks; its further lines carry no "*".
        if (!lastRunField_.empty())
            runFields_[lastRunField_] += "\n" + line;
        return;
    }
    if (sectionIndex_ < 0) {
        errors.Add(fileName_, lineNo, "text before section 1: " + Quoted(line));
        return;
    }
    const std::vector<String> words = Words(line);
    if (words[0] == "end_table") {
        errors.Add(fileName_, lineNo, "\"end_table\" without a table");
        return;
    }
    if (SameText(words[0], "table")) {
        OpenTable(line, lineNo, errors);
        return;
    }
    ParseKeywordLine(line, lineNo, errors);
}

void InputFile::ParseComment(const String& line, int lineNo, ErrorList& errors)
{
    if (line == kRule) {
        inCharacterisation_ = false;
        return;
    }
    const String text = line.size() >= 2 ? line.substr(2) : String();
    if (StartsWith(line, "* Section ")) {
        const String rest = line.substr(10);
        const size_t colon = rest.find(": ");
        const String number = colon == String::npos ? rest : rest.substr(0, colon);
        const String title = colon == String::npos ? String() : rest.substr(colon + 2);
        int found = -1;
        for (int s = 0; s < kSectionCount; ++s)
            if (number == kSections[s].number)
                found = s;
        if (found < 0) {
            errors.Add(fileName_, lineNo, "unknown section " + Quoted(number));
            return;
        }
        if (title != kSections[found].title)
            errors.Add(fileName_, lineNo,
                       "section " + number + " must be titled " + Quoted(kSections[found].title));
        if (found != sectionIndex_ + 1) {
            const String expected = sectionIndex_ + 1 < kSectionCount ? kSections[sectionIndex_ + 1].number : "none";
            errors.Add(fileName_, lineNo, "section " + number + " is out of order (expected section " + expected + ")");
            if (found <= sectionIndex_)
                return;
            for (int s = sectionIndex_ + 1; s < found; ++s)
                errors.Add(fileName_, lineNo,
                           String("section ") + kSections[s].number + " (" + kSections[s].title + ") is missing");
        }
        sectionIndex_ = found;
        return;
    }
    if (line == "* INPUT FILE for RavuzAVEDE calculation kernel") {
        sawTitle_ = true;
        return;
    }
    if (line == "* Run characterization:") {
        inCharacterisation_ = true;
        return;
    }
    if (line == "* End of RavuzAVEDE input file") {
        if (sectionIndex_ < kSectionCount - 1)
            errors.Add(fileName_, lineNo, "the end line comes before section 8");
        sawTrailer_ = true;
        return;
    }
    if (inCharacterisation_) {
        const size_t eq = text.find(" = ");
        if (eq != String::npos) {
            lastRunField_ = UpperCase(text.substr(0, eq));
            runFields_[lastRunField_] = text.substr(eq + 3);
        } else if (!text.empty() && text.back() == '=' && text.size() >= 2) {
            lastRunField_ = UpperCase(TrimRight(text.substr(0, text.size() - 1)));
            runFields_[lastRunField_] = String();
        }
    }
}

void InputFile::OpenTable(const String& line, int lineNo, ErrorList& errors)
{
    const std::vector<String> words = Words(line);
    size_t i = 1;
    while (i < words.size() && (words[i] == "horizon" || words[i] == "interpolate"))
        ++i;
    if (i >= words.size()) {
        errors.Add(fileName_, lineNo, "table without a name");
        // Still collect its rows so that its end does not look unpaired.
    }
    String name = i < words.size() ? words[i] : String();
    // The per-crop tables end in the crop identifier, which may hold blanks.
    for (const char* prefix : {"CrpPar_", "RootDensity_"})
        if (StartsWith(name, prefix))
            name = TrimRight(line.substr(line.find(name)));
    const TableSpec* known = nullptr;
    for (const auto& t : kTables) {
        const String tname = t.name;
        const bool suffixed = tname.back() == '_';
        if (suffixed ? StartsWith(name, tname) && name.size() > tname.size() : name == tname) {
            known = &t;
            break;
        }
    }
    const String section = sectionIndex_ >= 0 ? kSections[sectionIndex_].number : "";
    if (!name.empty() && !known) {
        errors.Add(fileName_, lineNo, "unknown table " + Quoted(name));
    } else if (known) {
        const String tname = known->name;
        const String expected = tname.back() == '_' ? String(known->heading) + name.substr(tname.size()) : known->heading;
        if (line != expected)
            errors.Add(fileName_, lineNo, "the table heading reads " + Quoted(line) + " instead of " + Quoted(expected));
        if (section != known->section)
            errors.Add(fileName_, lineNo,
                       "table " + Quoted(name) + " belongs in section " + known->section + ", not in section " + section);
    }
    for (const auto& t : tables_)
        if (SameText(t.name, name) && !name.empty()) {
            errors.Add(fileName_, lineNo,
                       "table " + Quoted(name) + " occurs a second time (first on line " + IntToStr(t.line) + ")");
            break;
        }
    TableEntry entry;
    entry.name = name;
    entry.section = section;
    entry.line = lineNo;
    tables_.push_back(entry);
    openTable_ = static_cast<int>(tables_.size()) - 1;
}

void InputFile::ParseKeywordLine(const String& line, int lineNo, ErrorList& errors)
{
    const String section = kSections[sectionIndex_].number;
    const String trimmedRight = TrimRight(line);
    const std::vector<String> words = Words(trimmedRight);

    // A code line: "<code> <keyword>", exactly one blank between them.
    const KeywordSpec* last = FindSpec(words.back());
    if (last && last->kind == LineKind::Code) {
        const String name = words.back();
        if (trimmedRight != line) {
            errors.Add(fileName_, lineNo, "blanks after keyword " + Quoted(name));
            return;
        }
        const String code = line.substr(0, line.size() - name.size());
        if (code.size() < 2 || code.back() != ' ' || code[code.size() - 2] == ' ' || code[0] == ' ') {
            errors.Add(fileName_, lineNo,
                       "keyword " + Quoted(name) + " must follow its code after exactly one blank");
            return;
        }
        if (section != last->section)
            errors.Add(fileName_, lineNo,
                       "keyword " + Quoted(name) + " belongs in section " + last->section + ", not in section " +
                           section);
        AddKeyword(name, code.substr(0, code.size() - 1), lineNo, errors);
        return;
    }

    // A keyword line: value column of 18 characters (17 in the compound section); a value of
    // that length or longer is followed by exactly one blank.
    const size_t width = section == "5" ? 17 : 18;
    String value;
    String rest;
    if (line.size() > width && line[width - 1] == ' ' && line[width] != ' ') {
        const String column = line.substr(0, width);
        value = TrimRight(column);
        if (!value.empty() && value[0] == ' ') {
            errors.Add(fileName_, lineNo, "the value must begin in the first column: " + Quoted(line));
            return;
        }
        rest = line.substr(width);
    } else if (!line.empty() && line[0] != ' ') {
        const size_t blank = line.find(' ');
        value = line.substr(0, blank);
        if (blank == String::npos) {
            errors.Add(fileName_, lineNo, "a value without a keyword: " + Quoted(line));
            return;
        }
        if (value.size() < width) {
            errors.Add(fileName_, lineNo,
                       "the value " + Quoted(value) + " is not padded to the value column of " +
                           IntToStr(static_cast<int64_t>(width)) + " characters");
            return;
        }
        if (blank + 1 >= line.size() || line[blank + 1] == ' ') {
            errors.Add(fileName_, lineNo,
                       "a value of " + IntToStr(static_cast<int64_t>(width)) +
                           " characters or more must be followed by exactly one blank");
            return;
        }
        rest = line.substr(blank + 1);
    } else {
        errors.Add(fileName_, lineNo, "the keyword is not in column " + IntToStr(static_cast<int64_t>(width + 1)) +
                                          ": " + Quoted(line));
        return;
    }

    const std::vector<String> restWords = Words(rest);
    String name = restWords.empty() ? String() : restWords[0];
    const KeywordSpec* known = FindSpec(name);
    // A crop identifier may hold blanks: the name then runs up to the keyword's fixed tail.
    if (known && IsSuffixed(*known) && !known->pad16) {
        const String tail = known->tail;
        if (rest.size() > tail.size() && rest.compare(rest.size() - tail.size(), tail.size(), tail) == 0)
            name = rest.substr(0, rest.size() - tail.size());
    }
    if (!known || known->kind != LineKind::Padded) {
        errors.Add(fileName_, lineNo, "unknown keyword " + Quoted(name));
        return;
    }
    const String expected = ExpectedKeywordText(*known, name);
    if (rest != expected) {
        errors.Add(fileName_, lineNo, "the keyword text reads " + Quoted(rest) + " instead of " + Quoted(expected));
        return;
    }
    if (section != known->section) {
        errors.Add(fileName_, lineNo,
                   "keyword " + Quoted(name) + " belongs in section " + known->section + ", not in section " + section);
        return;
    }
    AddKeyword(name, value, lineNo, errors);
}

void InputFile::AddKeyword(const String& name, const String& value, int lineNo, ErrorList& errors)
{
    String key = UpperCase(name);
    // The pH correction has no compound code: the writer repeats it for every compound with
    // pH-dependent sorption. The k-th repetition is kept as "pHCorrection#k".
    if (key == "PHCORRECTION") {
        for (int k = 2; keywordIndex_.count(key); ++k)
            key = "PHCORRECTION#" + IntToStr(k);
    }
    auto it = keywordIndex_.find(key);
    if (it != keywordIndex_.end()) {
        errors.Add(fileName_, lineNo,
                   "keyword " + Quoted(name) + " occurs a second time (first on line " +
                       IntToStr(keywords_[it->second].line) + ")");
        return;
    }
    KeywordEntry entry;
    entry.name = name;
    entry.value = value;
    entry.section = kSections[sectionIndex_].number;
    entry.line = lineNo;
    keywordIndex_[key] = keywords_.size();
    keywords_.push_back(entry);
}

// ---------------------------------------------------------------- lookups

const KeywordEntry* InputFile::Find(const String& name) const
{
    auto it = keywordIndex_.find(UpperCase(name));
    if (it == keywordIndex_.end())
        return nullptr;
    const KeywordEntry* entry = &keywords_[it->second];
    entry->used = true;
    return entry;
}

std::vector<const KeywordEntry*> InputFile::FindPrefix(const String& prefix) const
{
    std::vector<const KeywordEntry*> found;
    for (const auto& k : keywords_)
        if (StartsText(prefix, k.name)) {
            k.used = true;
            found.push_back(&k);
        }
    return found;
}

const TableEntry* InputFile::FindTable(const String& name) const
{
    for (const auto& t : tables_)
        if (SameText(t.name, name)) {
            t.used = true;
            return &t;
        }
    return nullptr;
}

String InputFile::RunField(const String& fieldName) const
{
    auto it = runFields_.find(UpperCase(fieldName));
    return it == runFields_.end() ? String() : it->second;
}

int YearOf(TDateTime date)
{
    int y = 0, m = 0, d = 0;
    DecodeDate(date, y, m, d);
    return y;
}

String Quoted(const String& s)
{
    return "\"" + s + "\"";
}

} // namespace quelmmodel
