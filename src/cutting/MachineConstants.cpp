#include "cutting/MachineConstants.h"

#include "config/Parameters.h"
#include "config/Settings.h"

namespace wirvela {

MachineConstants MachineConstants::Read(const TParameters& p) {
    MachineConstants m;
    m.mmPerStep = p.GetNumber(settings::kMmPerStep);
    m.stepsPerMm = m.mmPerStep != 0 ? 1 / m.mmPerStep : 1;
    m.stepsPer360 = p.GetNumber(settings::kStepsPer360);
    m.defHeating = p.GetNumber(settings::kDefHeating);
    m.defDelay = p.GetNumber(settings::kDefDelay);
    m.defTemp = p.GetNumber(settings::kDefTemp);
    m.defPhases = p.GetNumber(settings::kDefPhases);
    m.defVelocity = p.GetNumber(settings::kDefVelocity);
    m.defRotVelocity = p.GetNumber(settings::kDefRotVelocity);
    return m;
}

}  // namespace wirvela
