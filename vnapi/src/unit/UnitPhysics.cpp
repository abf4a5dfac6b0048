#include "unit/UnitPhysics.h"

#include "docs/Random.h"

namespace virtualunit {

UnitPhysics PhysicsFor(uint16_t generation, uint32_t seed)
{
    DocRandom random = DocRandom::WithState(MixSeed(seed, 0, 7));
    UnitPhysics physics;
    physics.Generation = generation;
    // Heads and belts differ a little from unit to unit.
    physics.RightTrimmer = static_cast<uint8_t>(random.Int(104, 140));
    physics.RightTimeSample = static_cast<uint16_t>(random.Int(384, 416));
    physics.RightImageCalibration = static_cast<uint16_t>(random.Int(1660, 1730));
    return physics;
}

double MicrGain(uint16_t generation, uint8_t trimmer)
{
    const double t = trimmer;
    if (generation == 39)
        return 1.0 + (4700.0 + 39.0 * t) / 3300.0;
    return 1800.0 + 39.0 * t;
}

} // namespace virtualunit
