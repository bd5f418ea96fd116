#pragma once
// The random source of the generated drawings: splitmix64, so that a seed gives the same
// drawing with every compiler and standard library (the distributions of <random> are
// not specified bit for bit).
#include <cstdint>

namespace wirvela::drawinggen {

class DrawingRandom {
public:
    explicit DrawingRandom(std::uint64_t seed) : state_(seed) {}

    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
    // lo … hi, both included (hi >= lo).
    int Int(int lo, int hi) {
        const auto span = static_cast<std::uint64_t>(static_cast<std::int64_t>(hi) - lo + 1);
        return lo + static_cast<int>(Next() % span);
    }
    // [0, 1).
    double Real() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
    double Real(double lo, double hi) { return lo + (hi - lo) * Real(); }
    // true with probability percent / 100.
    bool Chance(int percent) { return Int(0, 99) < percent; }

private:
    std::uint64_t state_;
};

}  // namespace wirvela::drawinggen
