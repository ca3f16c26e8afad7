#pragma once
// A plain daily water and pesticide balance of a layered soil column: rain and irrigation
// in, evaporation and transpiration out, percolation from layer to layer above field
// capacity, drainage; application, first-order transformation with depth factors, linear or
// Freundlich sorption, a non-equilibrium domain, formation of daughters by the
// transformation fractions and leaching with the percolating water. It stands in for the
// model; it is not the model.
#include "kernel/ModelRun.h"

#include <functional>

namespace quelmmodel {

struct Layer {
    int horizon = 0; // index into RunDescription::horizons
    double top = 0, bottom = 0, dz = 0, z = 0; // m below the surface; z the centre
    double theta = 0, thetaFc = 0, thetaWp = 0;
    double temperature = 10;
    double drainRate = 0, uptakeRate = 0; // d-1, of the last day
    std::vector<double> eql, neq; // g.m-2 per compound
    // cumulative since the start
    double flowOut = 0;             // m of water through the bottom of the layer
    std::vector<double> massOut;    // g.m-2 per compound through the bottom
};

// How an output variable is laid out in the output file.
struct VariableKind {
    bool known = false;
    bool depth = false;    // one value per output depth
    bool compound = false; // one row per compound, named <name>_<compound>
    bool flux = false;     // cumulative in the state; printed as a rate unless cumulative
};

VariableKind KindOfVariable(const String& name);

// The moisture a layer holds with a water table at `levelDepth` (m): saturation below it,
// field capacity above it, in proportion for the layer it crosses.
double HeldMoisture(const Layer& layer, double thetaSat, double levelDepth);

class Simulation {
public:
    explicit Simulation(const RunDescription& run);

    // Computes day `index` (0 = the start date).
    void Step(int index);

    // Value of a variable in the basic units of the output (fluxes cumulative since the
    // start): water in m (rates m.d-1), amounts in kg.m-2, concentrations in kg.m-3,
    // contents ConSys in g.kg-1, pressure heads and levels in m.
    double Value(const String& upperName, int compound, int layer) const;

    double PressureHead(const Layer& layer) const; // cm
    double LiquidConcentration(const Layer& layer, int compound) const; // g.m-3 = mg.L-1
    double GasConcentration(const Layer& layer, int compound) const;   // g.m-3
    double SystemContent(const Layer& layer, int compound, bool eql, bool neq) const; // mg.kg-1

    int LayerAtDepth(double z) const;

    const RunDescription& run;
    std::vector<Layer> layers;

    // water, cumulative in m
    double precipitation = 0, irrigation = 0, infiltration = 0, evaporation = 0, evaporationPot = 0;
    double transpiration = 0, transpirationPot = 0, bottomFlow = 0, runoff = 0;
    std::vector<double> drained; // per drainage level
    double initialWater = 0;
    // crop
    double lai = 0, facCrp = 0, zRoot = 0, fracCov = 0;
    double groundwater = 0; // m, negative below the surface
    // per compound, cumulative in g.m-2
    std::vector<double> canopy, appliedSoil, appliedCrop, transformed, formed, uptake, washed, dissipated,
        harvested, deposited, leached, sinkMass;
    std::vector<std::vector<double>> drainedMass; // [level][compound]

private:
    double ThetaSat(size_t layer) const;
    // Index of the top layer of the saturated zone that reaches up from the bottom (the layer
    // count when the bottom layer is not saturated), and the depth of the water table (m):
    // the top of that zone less the wet part of the layer above it; the profile's bottom
    // without a saturated zone.
    size_t SaturatedZoneTop() const;
    double GroundwaterDepth() const;
    // Takes up to `amount` m of water from the groundwater, from the water table downwards and
    // only from layers that start above `aboveDepth`; says where each part came from.
    double TakeFromGroundwater(double amount, double aboveDepth, const std::function<void(size_t, double)>& taken);
    // The flux through the bottom of the profile under a flux, Cauchy or groundwater-function
    // boundary, m.d-1, downward positive.
    double BottomFluxDown(TDateTime date) const;
    double Kd(const Layer& layer, int compound) const; // L.kg-1 at the reference concentration
    double Solve(const Layer& layer, int compound, double total) const;
    void Apply(const Application& app, double dosage);
    void AddToDepth(int compound, double mass, double depth, bool spread);
    int ActiveCrop(TDateTime date, double& stage) const;
    bool InIrrigationPeriod(const Crop& crop, TDateTime date) const;
    void Irrigate(int index, TDateTime date, int crop, double& amount);
};

// The Freundlich/linear solution used for every layer: total content (g.m-3 of soil) to the
// liquid concentration, exposed for the tests.
double SolveLiquidConcentration(double theta, double rho, double kd, double conLiqRef, double expFre,
                                double total);

} // namespace quelmmodel
