// The unit's own random numbers: the same seed gives the same sequence on every
// platform and build, which the standard distributions do not promise.
#pragma once

#include <cstdint>

namespace virtualunit {

class UnitRandom {
public:
    explicit UnitRandom(uint64_t seed) : State(seed) {}

    // SplitMix64.
    uint64_t Next()
    {
        uint64_t z = (State += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // 0 .. bound-1 (bound > 0).
    uint32_t Below(uint32_t bound) { return static_cast<uint32_t>(Next() % bound); }

    // lowest .. highest inclusive.
    int32_t Between(int32_t lowest, int32_t highest)
    {
        return lowest + static_cast<int32_t>(Below(static_cast<uint32_t>(highest - lowest + 1)));
    }

private:
    uint64_t State;
};

// A seed for one item of a seeded family (document n of unit seed s, ...).
inline uint64_t MixSeed(uint64_t seed, uint64_t item, uint64_t salt = 0)
{
    UnitRandom r(seed * 0x100000001B3ull ^ (item + 0x632BE59BD9B4E019ull * (salt + 1)));
    return r.Next();
}

} // namespace virtualunit
