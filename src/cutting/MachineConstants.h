#pragma once
// The machine constants of section Ploter as the manual motions, the cutting job, the
// simulation and the rotary projects read them.
namespace wirvela {

class TParameters;

struct MachineConstants {
    double mmPerStep = 1;
    double stepsPerMm = 1;  // 1 / mmPerStep, or 1 when mmPerStep is 0
    double stepsPer360 = 100;
    double defHeating = 100;
    double defDelay = 100;
    double defTemp = 35;
    double defPhases = 10;
    double defVelocity = 10;
    double defRotVelocity = 10;

    static MachineConstants Read(const TParameters& parameters);
};

}  // namespace wirvela
