// The one deterministic random source of the library (SplitMix64): the same
// seed gives the same numbers on every platform and library, so documents,
// images, signals and the unit's own values repeat byte for byte. (The
// standard distributions are implementation-defined.)
#pragma once

#include <cmath>
#include <cstdint>

class DocRandom {
public:
    explicit DocRandom(uint64_t seed) : State(seed ^ Golden) {}

    // A source whose state starts at the given value, unmixed: the unit's
    // families of values are seeded so.
    static DocRandom WithState(uint64_t state) { return DocRandom(state ^ Golden); }

    // Seeds that mix several numbers, e.g. (feeder seed, document index, purpose).
    static uint64_t Mix(uint64_t a, uint64_t b, uint64_t c = 0)
    {
        uint64_t x = a * 0xBF58476D1CE4E5B9ull + b;
        x = Finalise(x ^ (c * 0x94D049BB133111EBull + 0x2545F4914F6CDD1Dull));
        return Finalise(x + a);
    }

    uint64_t Next()
    {
        State += Golden;
        return Finalise(State);
    }

    // Uniform in [0, 1).
    double Uniform() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }
    double Uniform(double lo, double hi) { return lo + (hi - lo) * Uniform(); }

    // Uniform integer in [lo, hi].
    int Int(int lo, int hi)
    {
        const uint64_t span = static_cast<uint64_t>(static_cast<int64_t>(hi) - lo + 1);
        return lo + static_cast<int>(Next() % span);
    }

    // 0 .. bound-1 (bound > 0).
    uint32_t Below(uint32_t bound) { return static_cast<uint32_t>(Next() % bound); }

    // Standard normal (Box-Muller; one value per call keeps the stream simple).
    double Normal()
    {
        double u = Uniform();
        if (u < 1e-300)
            u = 1e-300;
        const double v = Uniform();
        return std::sqrt(-2.0 * std::log(u)) * std::cos(6.283185307179586 * v);
    }

private:
    static constexpr uint64_t Golden = 0x9E3779B97F4A7C15ull;

    static uint64_t Finalise(uint64_t z)
    {
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    uint64_t State;
};

// A seed for one item of a seeded family (document n of unit seed s, ...).
inline uint64_t MixSeed(uint64_t seed, uint64_t item, uint64_t salt = 0)
{
    return DocRandom::WithState(seed * 0x100000001B3ull ^ (item + 0x632BE59BD9B4E019ull * (salt + 1))).Next();
}
