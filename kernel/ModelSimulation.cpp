#include "kernel/ModelSimulation.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace quelmmodel {

namespace {

constexpr double kGasConstant = 8.314;   // J.mol-1.K-1
constexpr double kKelvin = 273.15;
constexpr double kLn2 = 0.6931471805599453;
constexpr double kPi = 3.14159265358979323846;

double VanGenuchtenTheta(const Horizon& h, double headCm)
{
    if (headCm >= 0)
        return h.thetaSat;
    const double m = 1 - 1 / h.n;
    return h.thetaRes + (h.thetaSat - h.thetaRes) / std::pow(1 + std::pow(h.alphaDry * -headCm, h.n), m);
}

double Interpolate(const std::vector<std::pair<double, double>>& table, double x)
{
    if (table.empty())
        return 0;
    if (x <= table.front().first)
        return table.front().second;
    for (size_t i = 1; i < table.size(); ++i)
        if (x <= table[i].first) {
            const auto& a = table[i - 1];
            const auto& b = table[i];
            return b.first == a.first ? b.second : a.second + (x - a.first) * (b.second - a.second) / (b.first - a.first);
        }
    return table.back().second;
}

// Day of a dd-Mon in a year; 29 February falls on 1 March in common years.
TDateTime DayInYear(int year, int month, int day)
{
    TDateTime d = 0;
    if (!TryEncodeDate(year, month, day, d))
        TryEncodeDate(year, 3, 1, d);
    return d;
}

TDateTime AddYears(TDateTime date, int years)
{
    int y = 0, m = 0, d = 0;
    DecodeDate(date, y, m, d);
    return DayInYear(y + years, m, d);
}

// Names of the output variables as the output-control section spells them, in upper case.
struct VariableRow {
    const char* name;
    bool depth, compound, flux;
};

const VariableRow kVariables[] = {
    {"AMAAPPCRP", false, true, false},  {"AMAAPPSOL", false, true, false},  {"AMACRP", false, true, false},
    {"AMADRA_1", false, true, false},   {"AMADRA_2", false, true, false},   {"AMADRA_3", false, true, false},
    {"AMADRA_4", false, true, false},   {"AMADRA_5", false, true, false},   {"AMADSPCRP", false, true, false},
    {"AMAEQLPRO", false, true, false},  {"AMAEQLTGT", false, true, false},  {"AMAEQLTIL", false, true, false},
    {"AMAERRMIC", false, true, false},  {"AMAFORPRO", false, true, false},  {"AMAHARCRP", false, true, false},
    {"AMANEQPRO", false, true, false},  {"AMANEQTGT", false, true, false},  {"AMANEQTIL", false, true, false},
    {"AMASYSPRO", false, true, false},  {"AMASYSTGT", false, true, false},  {"AMASYSTIL", false, true, false},
    {"AMATRAPRO", false, true, false},  {"AMAUPTPRO", false, true, false},  {"AMAWASCRP", false, true, false},
    {"AVOLIQERR", false, false, false}, {"AVOLIQSOL", false, false, false}, {"CONGAS", true, true, false},
    {"CONLIQ", true, true, false},      {"CONLIQDRA", false, true, false},  {"CONLIQDRA_1", false, true, false},
    {"CONLIQDRA_2", false, true, false}, {"CONLIQDRA_3", false, true, false}, {"CONLIQDRA_4", false, true, false},
    {"CONLIQDRA_5", false, true, false}, {"CONLIQLBO", false, true, false}, {"CONLIQSATAVG", false, true, false},
    {"CONSYS", true, true, false},      {"CONSYSEQL", true, true, false},   {"CONSYSNEQ", true, true, false},
    {"DELTIMQMI", false, false, false}, {"EPS", true, false, false},       {"FACCRPEVP", false, false, false},
    {"FLMDEPCRP", false, true, true},   {"FLMGAS", true, true, true},       {"FLMGASVOL", false, true, true},
    {"FLMLIQ", true, true, true},       {"FLMLIQINFSYS", false, true, true}, {"FLMLIQLBO", false, true, true},
    {"FLMSYS", true, true, true},       {"FLVLIQ", true, false, true},      {"FLVLIQDRA_1", false, false, true},
    {"FLVLIQDRA_2", false, false, true}, {"FLVLIQDRA_3", false, false, true}, {"FLVLIQDRA_4", false, false, true},
    {"FLVLIQDRA_5", false, false, true}, {"FLVLIQEVPINTIRR", false, false, true},
    {"FLVLIQEVPINTPRC", false, false, true}, {"FLVLIQEVPSOL", false, false, true},
    {"FLVLIQEVPSOLPOT", false, false, true}, {"FLVLIQGRW", false, false, true}, {"FLVLIQGRWSUR", false, false, true},
    {"FLVLIQINF", false, false, true},  {"FLVLIQIRR", false, false, true},  {"FLVLIQLBO", false, false, true},
    {"FLVLIQPRC", false, false, true},  {"FLVLIQTRP", false, false, true},  {"FLVLIQTRPPOT", false, false, true},
    {"FRACOVCRP", false, false, false}, {"GRWLEV", false, false, false},    {"LAI", false, false, false},
    {"PREHEA", true, false, false},     {"RSTAIRLAM", false, false, false}, {"STOCAP", false, false, false},
    {"TEM", true, false, false},        {"THETA", true, false, false},      {"VVRLIQDRA", true, false, false},
    {"VVRLIQUPT", true, false, false},  {"ZPND", false, false, false},      {"ZROOT", false, false, false},
};

} // namespace

VariableKind KindOfVariable(const String& name)
{
    const String upper = UpperCase(name);
    for (const auto& v : kVariables)
        if (upper == v.name)
            return {true, v.depth, v.compound, v.flux};
    return {};
}

double SolveLiquidConcentration(double theta, double rho, double kd, double conLiqRef, double expFre, double total)
{
    if (total <= 0)
        return 0;
    // theta * c + rho / 1000 * kd * conLiqRef * (c / conLiqRef)^expFre = total   (g.m-3)
    const double a = rho / 1000 * kd;
    if (a <= 0)
        return total / theta;
    if (std::fabs(expFre - 1) < 1e-12)
        return total / (theta + a);
    auto f = [&](double c) { return theta * c + a * conLiqRef * std::pow(c / conLiqRef, expFre) - total; };
    double lo = 0, hi = total / theta;
    for (int i = 0; i < 200 && hi - lo > 1e-12 * hi; ++i) {
        const double mid = (lo + hi) / 2;
        (f(mid) > 0 ? hi : lo) = mid;
    }
    return (lo + hi) / 2;
}

Simulation::Simulation(const RunDescription& r) : run(r)
{
    const size_t nc = run.compounds.size();
    double top = 0;
    for (size_t h = 0; h < run.horizons.size(); ++h) {
        const Horizon& hor = run.horizons[h];
        const double dz = hor.thickness / hor.layers;
        for (int k = 0; k < hor.layers; ++k) {
            Layer layer;
            layer.horizon = static_cast<int>(h);
            layer.top = top;
            layer.dz = dz;
            layer.bottom = top + dz;
            layer.z = top + dz / 2;
            layer.thetaFc = VanGenuchtenTheta(hor, -100);
            layer.thetaWp = VanGenuchtenTheta(hor, -16000);
            // saturated below the initial groundwater level, at field capacity above it
            layer.theta = HeldMoisture(layer, hor.thetaSat, -r.zGrwLevSta / 100);
            layer.temperature = run.temLboSta;
            layer.eql.assign(nc, 0);
            layer.neq.assign(nc, 0);
            layer.massOut.assign(nc, 0);
            // initial contents of the substance (mg.kg-1 -> g.m-2)
            if (nc > 0) {
                layer.eql[0] = Interpolate(run.cntSysEql, layer.z) * hor.rho * dz / 1000;
                layer.neq[0] = Interpolate(run.cntSysNeq, layer.z) * hor.rho * dz / 1000;
            }
            initialWater += layer.theta * dz;
            layers.push_back(layer);
            top = layer.bottom;
        }
    }
    drained.assign(run.drainage.size(), 0);
    drainedMass.assign(run.drainage.size(), std::vector<double>(nc, 0));
    for (auto* v : {&canopy, &appliedSoil, &appliedCrop, &transformed, &formed, &uptake, &washed, &dissipated,
                    &harvested, &deposited, &leached, &sinkMass})
        v->assign(nc, 0);
    groundwater = run.zGrwLevSta / 100;
}

double HeldMoisture(const Layer& layer, double thetaSat, double levelDepth)
{
    if (layer.top >= levelDepth)
        return thetaSat;
    if (layer.bottom <= levelDepth)
        return layer.thetaFc;
    return layer.thetaFc + (thetaSat - layer.thetaFc) * (layer.bottom - levelDepth) / layer.dz;
}

double Simulation::ThetaSat(size_t i) const
{
    return run.horizons[layers[i].horizon].thetaSat;
}

size_t Simulation::SaturatedZoneTop() const
{
    size_t g = layers.size();
    while (g > 0 && layers[g - 1].theta >= ThetaSat(g - 1) * (1 - 1e-9))
        --g;
    return g;
}

double Simulation::GroundwaterDepth() const
{
    const size_t g = SaturatedZoneTop();
    if (g == layers.size())
        return layers.empty() ? 0 : layers.back().bottom;
    double depth = layers[g].top;
    if (g > 0) {
        const Layer& l = layers[g - 1];
        const double span = ThetaSat(g - 1) - l.thetaFc;
        if (span > 0)
            depth -= std::clamp((l.theta - l.thetaFc) / span, 0.0, 1.0) * l.dz;
    }
    return depth;
}

double Simulation::TakeFromGroundwater(double amount, double aboveDepth, const std::function<void(size_t, double)>& taken)
{
    const size_t nl = layers.size();
    const size_t g = SaturatedZoneTop();
    if (g == nl || amount <= 0)
        return 0;
    // the water table falls: water goes first from the fringe above the saturated zone, then
    // from its top layer downwards, each layer down to field capacity
    double remaining = amount;
    for (size_t j = g > 0 ? g - 1 : 0; j < nl && remaining > 0 && layers[j].top < aboveDepth; ++j) {
        Layer& l = layers[j];
        const double a = std::min(remaining, std::max(0.0, (l.theta - l.thetaFc) * l.dz));
        if (a <= 0)
            continue;
        l.theta -= a / l.dz;
        remaining -= a;
        taken(j, a);
    }
    return amount - remaining;
}

double Simulation::BottomFluxDown(TDateTime date) const
{
    const double year = 2 * kPi / 365;
    const int doy = static_cast<int>(date - DayInYear(YearOf(date), 1, 1)) + 1;
    if (run.optLbo == "Flux")
        return -(run.flvLiqLboAvg + run.flvLiqLboAmp * std::cos(year * (doy - run.dayFlvLiqLboMax))) / 365;
    const double depth = GroundwaterDepth();
    if (run.optLbo == "Cauchy") {
        const double aquifer = run.heaAqfAvg + run.heaAqfAmp * std::cos(year * (doy - run.dayHeaAqfMax));
        return (-depth - aquifer) / run.rstAqt;
    }
    if (run.optLbo == "FncGrwLev")
        return -run.cofFncGrwLev * std::exp(run.expFncGrwLev * depth);
    return 0;
}

int Simulation::LayerAtDepth(double z) const
{
    for (size_t i = 0; i < layers.size(); ++i)
        if (z <= layers[i].bottom + 1e-9)
            return static_cast<int>(i);
    return static_cast<int>(layers.size()) - 1;
}

double Simulation::PressureHead(const Layer& layer) const
{
    const Horizon& h = run.horizons[layer.horizon];
    const double se = (layer.theta - h.thetaRes) / (h.thetaSat - h.thetaRes);
    if (se >= 1)
        return 0;
    if (se <= 1e-9)
        return -1e7;
    const double m = 1 - 1 / h.n;
    return -std::pow(std::pow(se, -1 / m) - 1, 1 / h.n) / h.alphaDry;
}

double Simulation::Kd(const Layer& layer, int compound) const
{
    const Compound& c = run.compounds[compound];
    const Horizon& h = run.horizons[layer.horizon];
    double kd = 0;
    if (c.sorption == "PH-INDEPENDENT") {
        kd = c.komEql * h.cntOm;
    } else if (c.sorption == "PH-DEPENDENT") {
        const double x = std::pow(10.0, h.pH - c.pHCorrection - c.pKa);
        kd = (c.komAcid + c.komBase * x) / (1 + x) * h.cntOm;
    } else if (c.sorption == "USERDEFINED") {
        kd = c.kSorEql;
    }
    const double factor = static_cast<size_t>(layer.horizon) < c.facZSor.size() ? c.facZSor[layer.horizon] : 1;
    return kd * factor;
}

double Simulation::Solve(const Layer& layer, int compound, double total) const
{
    const Compound& c = run.compounds[compound];
    return SolveLiquidConcentration(std::max(layer.theta, 1e-6), run.horizons[layer.horizon].rho, Kd(layer, compound),
                                    c.conLiqRef, c.expFre, total);
}

double Simulation::LiquidConcentration(const Layer& layer, int compound) const
{
    if (run.compounds[compound].sink)
        return 0;
    return Solve(layer, compound, layer.eql[compound] / layer.dz);
}

double Simulation::GasConcentration(const Layer& layer, int compound) const
{
    const Compound& c = run.compounds[compound];
    if (c.sink || c.slbWat <= 0)
        return 0;
    const double henry = c.preVap * c.molMas / (c.slbWat * kGasConstant * (layer.temperature + kKelvin));
    return henry * LiquidConcentration(layer, compound);
}

double Simulation::SystemContent(const Layer& layer, int compound, bool eql, bool neq) const
{
    const double mass = (eql ? layer.eql[compound] : 0) + (neq ? layer.neq[compound] : 0);
    return mass * 1000 / (run.horizons[layer.horizon].rho * layer.dz);
}

int Simulation::ActiveCrop(TDateTime date, double& stage) const
{
    const int year = YearOf(date);
    const int firstYear = YearOf(run.start);
    for (size_t i = 0; i < run.crops.size(); ++i) {
        const Crop& crop = run.crops[i];
        for (int y = year - 1; y <= year; ++y) {
            if (!run.repeatCrops && y != firstYear)
                continue;
            const TDateTime emergence = DayInYear(y, crop.emgMonth, crop.emgDay);
            TDateTime harvest = DayInYear(y, crop.harMonth, crop.harDay);
            if (harvest <= emergence)
                harvest = DayInYear(y + 1, crop.harMonth, crop.harDay);
            if (date >= emergence && date <= harvest) {
                stage = 2 * (date - emergence) / (harvest - emergence);
                return static_cast<int>(i);
            }
        }
    }
    return -1;
}

bool Simulation::InIrrigationPeriod(const Crop& crop, TDateTime date) const
{
    if (!crop.irrigationPeriod)
        return false;
    const int year = YearOf(date);
    const TDateTime from = DayInYear(year, crop.irrFromMonth, crop.irrFromDay);
    const TDateTime to = DayInYear(year, crop.irrToMonth, crop.irrToDay);
    return from <= to ? date >= from && date <= to : date >= from || date <= to;
}

void Simulation::AddToDepth(int compound, double mass, double depth, bool spread)
{
    if (layers.empty() || mass <= 0)
        return;
    if (!spread) {
        layers[LayerAtDepth(depth)].eql[compound] += mass;
        return;
    }
    const int last = LayerAtDepth(std::max(depth, 1e-9));
    double thickness = 0;
    for (int i = 0; i <= last; ++i)
        thickness += layers[i].dz;
    for (int i = 0; i <= last; ++i)
        layers[i].eql[compound] += mass * layers[i].dz / thickness;
}

void Simulation::Apply(const Application& app, double dosage)
{
    const double mass = dosage / 10; // kg.ha-1 -> g.m-2
    double toCrop = 0;
    if (app.type == "AppCrpLAI")
        toCrop = fracCov;
    else if (app.type == "AppCrpUsr")
        toCrop = std::clamp(app.parameter, 0.0, 1.0);
    canopy[0] += mass * toCrop;
    appliedCrop[0] += mass * toCrop;
    const double soil = mass * (1 - toCrop);
    appliedSoil[0] += soil;
    if (app.type == "AppSolInj")
        AddToDepth(0, soil, app.parameter, false);
    else if (app.type == "AppSolTil")
        AddToDepth(0, soil, app.parameter, true);
    else
        AddToDepth(0, soil, 0, false);
}

void Simulation::Irrigate(int index, TDateTime date, int crop, double& amount)
{
    const String type = UpperCase(run.optIrr);
    for (const auto& i : run.irrigation)
        if (i.date == date)
            amount += i.value / 1000;
    if (crop < 0 || (type != "SPRINKLER_AUTO" && type != "SURFACE_AUTO" && type != "SPRINKLER_WEEKLY"))
        return;
    const Crop& c = run.crops[crop];
    if (!InIrrigationPeriod(c, date))
        return;
    double deficit = 0;
    for (const auto& layer : layers)
        if (layer.top < std::max(zRoot, 0.05))
            deficit += std::max(0.0, (layer.thetaFc - layer.theta) * layer.dz);
    bool due = false;
    if (type == "SPRINKLER_WEEKLY") {
        due = index % 7 == 0;
    } else {
        const Layer& sensor = layers[LayerAtDepth(std::fabs(c.zTensiometer))];
        due = PressureHead(sensor) < c.preHeaIrrSta;
    }
    if (due && deficit > 0)
        amount += std::max(deficit, c.irgThreshold / 1000);
}

void Simulation::Step(int index)
{
    const MeteoDay& day = run.meteo[index];
    const TDateTime date = day.date;
    const size_t nc = run.compounds.size();
    const size_t nl = layers.size();

    // crop
    double stage = 0;
    const int crop = ActiveCrop(date, stage);
    lai = facCrp = zRoot = fracCov = 0;
    if (crop >= 0) {
        const Crop& c = run.crops[crop];
        std::vector<std::pair<double, double>> t;
        auto interpolate = [&](auto member) {
            t.clear();
            for (const auto& s : c.stages)
                t.push_back({s.stage, s.*member});
            return Interpolate(t, stage);
        };
        lai = interpolate(&CropStage::lai);
        facCrp = c.stages.empty() ? 1 : interpolate(&CropStage::facCrp);
        zRoot = std::fabs(interpolate(&CropStage::zRoot));
        fracCov = 1 - std::exp(-c.cofExtDif * lai);
    }
    if (crop < 0) {
        for (size_t k = 0; k < nc; ++k) {
            harvested[k] += canopy[k];
            canopy[k] = 0;
        }
    }

    // a prescribed groundwater level: from the levels, or from the pressure head at the bottom
    const bool prescribedLevel = (run.optLbo == "GrwLev" || run.optLbo == "Dirichlet") && !run.boundary.empty() &&
                                 !layers.empty();
    if (prescribedLevel) {
        std::vector<std::pair<double, double>> t;
        for (const auto& b : run.boundary)
            t.push_back({b.date, b.value / 100});
        groundwater = Interpolate(t, date);
        if (run.optLbo == "Dirichlet")
            groundwater -= layers.back().bottom;
    }

    // applications, depositions, tillage
    if (nc > 0) {
        const int year = YearOf(date);
        const int firstYear = YearOf(run.start);
        for (const auto& app : run.applications) {
            bool due = false;
            if (!app.relative) {
                if (run.repeatYears > 0) {
                    for (TDateTime d = app.date; d <= date; d = AddYears(d, run.repeatYears))
                        due = due || d == date;
                } else {
                    due = app.date == date;
                }
            } else if (app.cropSeq >= 1 && static_cast<size_t>(app.cropSeq) <= run.crops.size()) {
                const Crop& c = run.crops[app.cropSeq - 1];
                for (int y = year - 1; y <= year + 1 && !due; ++y) {
                    if (run.repeatYears > 0 ? (y - firstYear) % run.repeatYears != 0 : y != firstYear)
                        continue;
                    const TDateTime emergence = DayInYear(y, c.emgMonth, c.emgDay);
                    TDateTime event = app.atHarvest ? DayInYear(y, c.harMonth, c.harDay) : emergence;
                    if (app.atHarvest && event <= emergence)
                        event = DayInYear(y + 1, c.harMonth, c.harDay);
                    due = event + app.offset == date;
                }
            }
            if (due)
                Apply(app, app.dosage);
        }
        for (const auto& d : run.depositions)
            if (d.date == date) {
                AddToDepth(0, d.value / 10, 0, false);
                deposited[0] += d.value / 10;
            }
        for (const auto& t : run.tillages)
            if (t.date == date) {
                const int last = LayerAtDepth(std::max(t.value, 1e-9));
                for (size_t k = 0; k < nc; ++k) {
                    double eql = 0, neq = 0, thickness = 0;
                    for (int i = 0; i <= last; ++i) {
                        eql += layers[i].eql[k];
                        neq += layers[i].neq[k];
                        thickness += layers[i].dz;
                    }
                    for (int i = 0; i <= last; ++i) {
                        layers[i].eql[k] = eql * layers[i].dz / thickness;
                        layers[i].neq[k] = neq * layers[i].dz / thickness;
                    }
                }
            }
    }

    // water in
    const double rain = std::max(0.0, day.rain * run.facPrc / 1000);
    double irr = 0;
    if (!layers.empty())
        Irrigate(index, date, crop, irr);
    precipitation += rain;
    irrigation += irr;
    const double input = rain + irr;

    // wash-off and dissipation on the canopy
    for (size_t k = 0; k < nc; ++k) {
        const Compound& c = run.compounds[k];
        if (canopy[k] <= 0)
            continue;
        const double wash = canopy[k] * (1 - std::exp(-c.facWasCrp * input));
        canopy[k] -= wash;
        washed[k] += wash;
        if (!layers.empty())
            layers[0].eql[k] += wash;
        if (c.dt50DspCrp > 0) {
            const double loss = canopy[k] * (1 - std::exp(-kLn2 / c.dt50DspCrp));
            canopy[k] -= loss;
            dissipated[k] += loss;
        }
    }
    if (layers.empty())
        return;

    // potential evapotranspiration
    double etref = day.etref;
    if (UpperCase(run.optEvp) != "INPUT") {
        const double tav = (day.tmin + day.tmax) / 2;
        const double ratio = std::clamp(0.4 + 0.015 * tav, 0.3, 0.9);
        etref = std::max(0.0, 0.65 * ratio * day.rad / 1000 / 2.45);
    }
    const double etp = std::max(0.0, etref) * run.facEvp / 1000 * (crop >= 0 ? facCrp : 1);
    const double tp = etp * fracCov;
    const double ep = (etp - tp) * run.facEvpSol;
    evaporationPot += ep;
    transpirationPot += tp;

    std::vector<double> flow(nl, 0);       // m through the bottom of each layer today
    std::vector<double> drain(nl, 0);      // m to the drains from each layer
    std::vector<int> drainLevel(nl, -1);
    std::vector<double> extract(nl, 0);    // m taken up by the roots

    // Each layer holds water up to field capacity; below a prescribed groundwater level it holds
    // saturation (the partly saturated layer in proportion), so percolating water passes through
    // the groundwater instead of churning it.
    const bool fluxBoundary = run.optLbo == "Flux" || run.optLbo == "Cauchy" || run.optLbo == "FncGrwLev";
    std::vector<double> hold(nl);
    for (size_t i = 0; i < nl; ++i)
        hold[i] = prescribedLevel ? HeldMoisture(layers[i], ThetaSat(i), -groundwater) : layers[i].thetaFc;
    // water passing down through the bottom of layers j..nl-1 (negative: coming up from below)
    auto throughBottom = [&](size_t j, double amount) {
        for (size_t i = j; i < nl; ++i)
            flow[i] += amount;
    };

    // infiltration and percolation of what a layer does not hold. What a layer can pass down in
    // a day is bounded by its conductivity and by what the layers below can take (fill up to
    // saturation and pass on), so that no layer below the top ends above saturation. Under a
    // flux boundary the bottom passes nothing by percolation: the water table builds up and
    // the boundary flux alone takes water out.
    std::vector<double> passable(nl, 0);
    for (size_t i = nl; i-- > 0;) {
        const double below = i + 1 < nl ? std::max(0.0, (ThetaSat(i + 1) - layers[i + 1].theta) * layers[i + 1].dz) +
                                              passable[i + 1]
                                        : fluxBoundary ? 0.0 : std::numeric_limits<double>::infinity();
        passable[i] = std::min(run.horizons[layers[i].horizon].kSat, below);
    }
    layers[0].theta += input / layers[0].dz;
    infiltration += input;
    for (size_t i = 0; i < nl; ++i) {
        Layer& l = layers[i];
        const double move = std::min(std::max(0.0, (l.theta - hold[i]) * l.dz), passable[i]);
        if (i + 1 < nl)
            layers[i + 1].theta += move / layers[i + 1].dz;
        l.theta -= move / l.dz;
        flow[i] += move;
    }
    // water above saturation goes back up layer by layer; what the top layer cannot hold runs off
    for (size_t i = nl; i-- > 0;) {
        Layer& l = layers[i];
        const double surplus = (l.theta - ThetaSat(i)) * l.dz;
        if (surplus <= 0)
            continue;
        l.theta -= surplus / l.dz;
        if (i > 0) {
            layers[i - 1].theta += surplus / layers[i - 1].dz;
            flow[i - 1] -= surplus;
        } else {
            infiltration -= surplus;
            runoff += surplus;
        }
    }
    // the lower boundary
    if (prescribedLevel) {
        // the groundwater comes up from below to the prescribed level
        for (size_t i = 0; i < nl; ++i) {
            const double a = (hold[i] - layers[i].theta) * layers[i].dz;
            if (hold[i] > layers[i].thetaFc && a > 0) {
                layers[i].theta = hold[i];
                throughBottom(i, -a);
            }
        }
    } else if (fluxBoundary) {
        const double down = BottomFluxDown(date);
        if (down > 0) {
            TakeFromGroundwater(down, std::numeric_limits<double>::infinity(),
                                [&](size_t j, double a) { throughBottom(j, a); });
        } else {
            // seepage from below fills the profile from its bottom; a full profile takes no more
            double remaining = -down;
            for (size_t i = nl; i-- > 0 && remaining > 0;) {
                Layer& l = layers[i];
                const double a = std::min(remaining, std::max(0.0, (ThetaSat(i) - l.theta) * l.dz));
                l.theta += a / l.dz;
                remaining -= a;
                throughBottom(i, -a);
            }
        }
    }
    // drains below the water table take (drain depth - water table depth) / drainage resistance a
    // day from the groundwater above them
    for (size_t d = 0; d < run.drainage.size(); ++d) {
        const DrainageLevel& level = run.drainage[d];
        const double zDra = std::fabs(level.zDra);
        if (SaturatedZoneTop() == nl)
            break;
        const double head = zDra - GroundwaterDepth();
        if (head <= 0)
            continue;
        drained[d] += TakeFromGroundwater(head / level.rstDra, zDra, [&](size_t j, double a) {
            drain[j] += a;
            drainLevel[j] = static_cast<int>(d);
        });
    }
    if (!prescribedLevel)
        groundwater = -GroundwaterDepth();
    // soil evaporation from the top layer, transpiration from the root zone
    {
        Layer& l = layers[0];
        const double ea = std::min(ep, std::max(0.0, (l.theta - run.horizons[l.horizon].thetaRes) * l.dz * 0.5));
        l.theta -= ea / l.dz;
        evaporation += ea;
    }
    if (tp > 0) {
        double available = 0;
        for (size_t i = 0; i < nl && layers[i].top < zRoot; ++i)
            available += std::max(0.0, (layers[i].theta - layers[i].thetaWp) * layers[i].dz);
        const double ta = std::min(tp, available);
        for (size_t i = 0; i < nl && layers[i].top < zRoot && available > 0; ++i) {
            const double share = std::max(0.0, (layers[i].theta - layers[i].thetaWp) * layers[i].dz) / available;
            extract[i] = ta * share;
            layers[i].theta -= extract[i] / layers[i].dz;
        }
        transpiration += ta;
    }
    bottomFlow += flow[nl - 1];
    for (size_t i = 0; i < nl; ++i) {
        layers[i].flowOut += flow[i];
        layers[i].drainRate = drain[i] / layers[i].dz;
        layers[i].uptakeRate = extract[i] / layers[i].dz;
    }

    // temperature: damped from the air downwards, held at the boundary temperature below
    {
        double above = (day.tmin + day.tmax) / 2;
        for (size_t i = 0; i < nl; ++i) {
            const double weight = std::exp(-layers[i].z / 0.5);
            layers[i].temperature += 0.3 * (above - layers[i].temperature) * weight +
                                     0.02 * (run.temLboSta - layers[i].temperature);
            above = layers[i].temperature;
        }
    }

    if (nc == 0)
        return;

    // transport with the water, bottom layer first so that mass moves one layer a day
    for (size_t k = 0; k < nc; ++k) {
        if (run.compounds[k].sink)
            continue;
        for (size_t ii = nl; ii-- > 0;) {
            Layer& l = layers[ii];
            if (l.eql[k] <= 0)
                continue;
            const double c = LiquidConcentration(l, static_cast<int>(k));
            double out = std::max(0.0, flow[ii]) * c;
            double toDrain = drain[ii] * c;
            double up = extract[ii] * c * run.compounds[k].facUpt;
            const double total = out + toDrain + up;
            if (total > l.eql[k]) {
                const double f = l.eql[k] / total;
                out *= f;
                toDrain *= f;
                up *= f;
            }
            l.eql[k] -= out + toDrain + up;
            l.massOut[k] += out;
            uptake[k] += up;
            if (drainLevel[ii] >= 0)
                drainedMass[drainLevel[ii]][k] += toDrain;
            if (ii + 1 < nl)
                layers[ii + 1].eql[k] += out;
            else
                leached[k] += out;
        }
    }

    // transformation and formation of daughters, non-equilibrium exchange
    std::vector<double> lost(nc);
    for (auto& l : layers) {
        for (size_t k = 0; k < nc; ++k) {
            lost[k] = 0;
            const Compound& c = run.compounds[k];
            if (c.sink || l.eql[k] <= 0)
                continue;
            const double fT = std::exp(c.molEntTra * 1000 / kGasConstant *
                                       (1 / (c.temRefTra + kKelvin) - 1 / (l.temperature + kKelvin)));
            const double fTheta = std::min(1.0, std::pow(std::max(l.theta, 1e-6) / l.thetaFc, c.expLiqTra));
            const double fZ = static_cast<size_t>(l.horizon) < c.facZTra.size() ? c.facZTra[l.horizon] : 1;
            const double rate = kLn2 / c.dt50 * fT * fTheta * fZ;
            lost[k] = l.eql[k] * (1 - std::exp(-rate));
        }
        for (size_t k = 0; k < nc; ++k) {
            l.eql[k] -= lost[k];
            transformed[k] += lost[k];
        }
        for (const auto& t : run.transformations) {
            const double mass = lost[t.from] * t.fraction * run.compounds[t.to].molMas /
                                std::max(run.compounds[t.from].molMas, 1e-9);
            if (run.compounds[t.to].sink) {
                sinkMass[t.to] += mass;
                continue;
            }
            l.eql[t.to] += mass;
            formed[t.to] += mass;
        }
        for (size_t k = 0; k < nc; ++k) {
            const Compound& c = run.compounds[k];
            if (c.sink || c.cofDesRat <= 0)
                continue;
            const double cl = LiquidConcentration(l, static_cast<int>(k));
            const double sorbed = std::max(0.0, l.eql[k] - l.theta * cl * l.dz);
            const double exchange = (1 - std::exp(-c.cofDesRat)) * (c.facSorNeqEql * sorbed - l.neq[k]);
            const double moved = std::clamp(exchange, -l.neq[k], l.eql[k]);
            l.eql[k] -= moved;
            l.neq[k] += moved;
        }
    }
}

double Simulation::Value(const String& name, int k, int li) const
{
    const Layer* layer = li >= 0 && static_cast<size_t>(li) < layers.size() ? &layers[li] : nullptr;
    auto sumLayers = [&](double below, bool eql, bool neq) {
        double sum = 0;
        for (const auto& l : layers)
            if (l.top < below - 1e-9)
                sum += (eql ? l.eql[k] : 0) + (neq ? l.neq[k] : 0);
        return sum / 1000; // g.m-2 -> kg.m-2
    };
    auto level = [&](const String& n) { return n.back() - '1'; };
    const double profile = layers.empty() ? 0 : layers.back().bottom;
    const Layer* bottom = layers.empty() ? nullptr : &layers.back();

    if (name == "AMAAPPCRP") return appliedCrop[k] / 1000;
    if (name == "AMAAPPSOL") return appliedSoil[k] / 1000;
    if (name == "AMACRP") return canopy[k] / 1000;
    if (name.rfind("AMADRA_", 0) == 0) {
        const int d = level(name);
        for (size_t i = 0; i < run.drainage.size(); ++i)
            if (run.drainage[i].number == d + 1)
                return drainedMass[i][k] / 1000;
        return 0;
    }
    if (name == "AMADSPCRP") return dissipated[k] / 1000;
    if (name == "AMAEQLPRO") return sumLayers(profile + 1, true, false);
    if (name == "AMAEQLTGT") return sumLayers(run.zTgt, true, false);
    if (name == "AMAEQLTIL") return sumLayers(run.zTil, true, false);
    if (name == "AMAERRMIC") return 0;
    if (name == "AMAFORPRO") return formed[k] / 1000;
    if (name == "AMAHARCRP") return harvested[k] / 1000;
    if (name == "AMANEQPRO") return sumLayers(profile + 1, false, true);
    if (name == "AMANEQTGT") return sumLayers(run.zTgt, false, true);
    if (name == "AMANEQTIL") return sumLayers(run.zTil, false, true);
    if (name == "AMASYSPRO") return sumLayers(profile + 1, true, true);
    if (name == "AMASYSTGT") return sumLayers(run.zTgt, true, true);
    if (name == "AMASYSTIL") return sumLayers(run.zTil, true, true);
    if (name == "AMATRAPRO") return transformed[k] / 1000;
    if (name == "AMAUPTPRO") return uptake[k] / 1000;
    if (name == "AMAWASCRP") return washed[k] / 1000;
    if (name == "AVOLIQSOL" || name == "AVOLIQERR") {
        double water = 0;
        for (const auto& l : layers)
            water += l.theta * l.dz;
        if (name == "AVOLIQSOL")
            return water;
        double out = evaporation + transpiration + bottomFlow;
        for (double d : drained)
            out += d;
        return water - initialWater - (infiltration - out);
    }
    if (name == "CONGAS") return layer ? GasConcentration(*layer, k) / 1000 : 0;
    if (name == "CONLIQ") return layer ? LiquidConcentration(*layer, k) / 1000 : 0;
    if (name == "CONLIQDRA" || name.rfind("CONLIQDRA_", 0) == 0) {
        double mass = 0, water = 0;
        for (size_t i = 0; i < run.drainage.size(); ++i)
            if (name == "CONLIQDRA" || run.drainage[i].number == level(name) + 1) {
                mass += drainedMass[i][k];
                water += drained[i];
            }
        return water > 0 ? mass / water / 1000 : 0;
    }
    if (name == "CONLIQLBO" || name == "CONLIQSATAVG") return bottom ? LiquidConcentration(*bottom, k) / 1000 : 0;
    if (name == "CONSYS") return layer ? SystemContent(*layer, k, true, true) / 1000 : 0;
    if (name == "CONSYSEQL") return layer ? SystemContent(*layer, k, true, false) / 1000 : 0;
    if (name == "CONSYSNEQ") return layer ? SystemContent(*layer, k, false, true) / 1000 : 0;
    if (name == "DELTIMQMI") return 1;
    if (name == "EPS") return layer ? std::max(0.0, run.horizons[layer->horizon].thetaSat - layer->theta) : 0;
    if (name == "FACCRPEVP") return facCrp;
    if (name == "FLMDEPCRP" || name == "FLMGAS" || name == "FLMGASVOL" || name == "FLMLIQINFSYS") return 0;
    if (name == "FLMLIQ" || name == "FLMSYS") return layer ? layer->massOut[k] / 1000 : 0;
    if (name == "FLMLIQLBO") return leached[k] / 1000;
    if (name == "FLVLIQ") return layer ? layer->flowOut : 0;
    if (name.rfind("FLVLIQDRA_", 0) == 0) {
        for (size_t i = 0; i < run.drainage.size(); ++i)
            if (run.drainage[i].number == level(name) + 1)
                return drained[i];
        return 0;
    }
    if (name == "FLVLIQEVPINTIRR" || name == "FLVLIQEVPINTPRC" || name == "FLVLIQGRWSUR") return 0;
    if (name == "FLVLIQEVPSOL") return evaporation;
    if (name == "FLVLIQEVPSOLPOT") return evaporationPot;
    if (name == "FLVLIQGRW" || name == "FLVLIQLBO") return bottomFlow;
    if (name == "FLVLIQINF") return infiltration;
    if (name == "FLVLIQIRR") return irrigation;
    if (name == "FLVLIQPRC") return precipitation;
    if (name == "FLVLIQTRP") return transpiration;
    if (name == "VVRLIQUPT") return layer ? layer->uptakeRate : 0;
    if (name == "FLVLIQTRPPOT") return transpirationPot;
    if (name == "VVRLIQDRA") return layer ? layer->drainRate : 0;
    if (name == "FRACOVCRP") return fracCov;
    if (name == "GRWLEV") return groundwater;
    if (name == "LAI") return lai;
    if (name == "PREHEA") return layer ? PressureHead(*layer) / 100 : 0;
    if (name == "RSTAIRLAM") return 0;
    if (name == "STOCAP") {
        double room = 0;
        for (const auto& l : layers)
            room += std::max(0.0, run.horizons[l.horizon].thetaSat - l.theta) * l.dz;
        return room;
    }
    if (name == "TEM") return layer ? layer->temperature : 0;
    if (name == "THETA") return layer ? layer->theta : 0;
    if (name == "ZPND") return 0;
    if (name == "ZROOT") return zRoot;
    return 0;
}

} // namespace quelmmodel
