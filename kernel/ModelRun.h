#pragma once
// The description of one run, taken apart from a checked input file and its side files
// ("<station>.met", "<scheme>.irr", "<RunID>.bot"). Building it checks every value the
// calculation needs and reports what is missing, malformed or left over.
#include "kernel/ModelInput.h"

namespace quelmmodel {

struct Horizon {
    int number = 0;
    double thickness = 0; // m
    int layers = 0;
    double fraSand = 0, fraSilt = 0, fraClay = 0, cntOm = 0, pH = 7;
    double thetaSat = 0, thetaRes = 0, alphaDry = 0, alphaWet = 0, n = 0, kSat = 0, l = 0;
    double rho = 0; // kg.m-3
    double lenDisLiq = 0;
};

struct DatedValue {
    TDateTime date = 0;
    double value = 0;
};

struct MeteoDay {
    TDateTime date = 0;
    double rad = 0, tmin = 0, tmax = 0, hum = 0, wind = 0, rain = 0, etref = 0;
};

struct DrainageLevel {
    int number = 0;
    String type;
    double rstDra = 0, rstInf = 0, distDra = 0, zDra = 0;
};

struct Compound {
    String code;
    bool sink = false; // "end": formed mass leaves the system
    double molMas = 0;
    double dt50 = 0, temRefTra = 20, expLiqTra = 0, molEntTra = 0;
    double molEntSor = 0, temRefSor = 20;
    String sorption;   // upper case: PH-INDEPENDENT, PH-DEPENDENT, USERDEFINED
    double komEql = 0, komAcid = 0, komBase = 0, pKa = 0, pHCorrection = 0, kSorEql = 0;
    double conLiqRef = 1, expFre = 1;
    double preVap = 0, temRefVap = 20, slbWat = 1;
    double cofDesRat = 0, facSorNeqEql = 0, facUpt = 0;
    double dt50DspCrp = 0, facWasCrp = 0;
    std::vector<double> facZTra, facZSor; // per horizon
};

struct Transformation {
    int from = 0, to = 0; // compound indices
    double fraction = 0;  // mol.mol-1
};

struct Application {
    bool relative = false;
    TDateTime date = 0;     // absolute applications
    int cropSeq = 0;        // relative ones: crop number, event and day offset
    bool atHarvest = false; // event: emergence or harvest
    int offset = 0;
    String type;
    double dosage = 0; // kg.ha-1
    double parameter = 0;
};

struct CropStage {
    double stage = 0, lai = 0, facCrp = 1, zRoot = 0, height = 0;
};

struct Crop {
    String id;
    int emgDay = 1, emgMonth = 1, harDay = 1, harMonth = 1;
    bool irrigationPeriod = false;
    int irrFromDay = 1, irrFromMonth = 1, irrToDay = 1, irrToMonth = 1;
    std::vector<CropStage> stages;
    double cofExtDif = 0.6, preHeaIrrSta = -100, irgThreshold = 0, zTensiometer = 0;
};

enum class OutputDepthMode { Unset, Other, All, None };

struct RunDescription {
    String runId;
    String runName;
    bool restricted = false;

    TDateTime start = 0, end = 0;
    String optDelTimPrn;
    int delTimPrn = 1;
    bool printCumulatives = false;

    String soilProfile, location;
    std::vector<Horizon> horizons;
    double facEvpSol = 1;

    String meteoStation, optEvp;
    std::vector<MeteoDay> meteo; // exactly the days of the run, in order
    double facPrc = 1, facEvp = 1;
    double temLboSta = 10; // C
    String optIrr, irrigationScheme;
    std::vector<DatedValue> irrigation; // mm

    double zGrwLevSta = 0; // cm
    String optLbo;                    // GrwLev, Dirichlet, Flux, Cauchy, FncGrwLev; empty: free drainage
    std::vector<DatedValue> boundary; // cm: groundwater levels (GrwLev) or bottom pressure heads (Dirichlet)
    // Flux: a sine through the year, upward positive, m.a-1, highest on day dayFlvLiqLboMax
    double flvLiqLboAvg = 0, flvLiqLboAmp = 0;
    int dayFlvLiqLboMax = 1; // day of the year
    // Cauchy: exchange with an aquifer of sine-shaped head (m) through a resistance (d)
    double rstAqt = 0, heaAqfAvg = 0, heaAqfAmp = 0;
    int dayHeaAqfMax = 1;
    // FncGrwLev: upward flux Cof * exp(Exp * |groundwater level|), m.d-1
    double cofFncGrwLev = 0, expFncGrwLev = 0;

    bool drained = false;
    std::vector<DrainageLevel> drainage;

    String substance;
    std::vector<Compound> compounds;
    std::vector<Transformation> transformations;

    String applicationScheme, depositionScheme;
    double zTgt = 1, zTil = 0.2;
    int repeatYears = 0; // 0: applications once
    std::vector<Application> applications;
    std::vector<DatedValue> tillages;   // value: depth (m)
    std::vector<DatedValue> depositions; // kg.ha-1.d-1
    std::vector<std::pair<double, double>> cntSysEql, cntSysNeq; // depth, mg.kg-1

    String cropCalendar;
    bool repeatCrops = false;
    std::vector<Crop> crops;

    std::vector<TDateTime> profileDates;
    String dateFormat;
    char realFormatKind = 'G';
    int realFormatWidth = 12, realFormatDigits = 4;
    OutputDepthMode depthMode = OutputDepthMode::Unset;
    std::vector<double> outputDepths;
    std::vector<std::pair<String, bool>> printVariables; // name as written, on
    bool leachingReport = false;
    double targetPercentile = 90;
};

// Takes the input apart. Side files are looked up in workDir. Every fault goes to errors;
// remarks that do not stop the run go to notes (they end up in the log file).
void BuildRun(const InputFile& input, const String& workDir, const String& runId, RunDescription& run,
              ErrorList& errors, std::vector<String>& notes);

} // namespace quelmmodel
