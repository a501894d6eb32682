#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <numbers>

// SplitMix64: a small, fast generator whose whole state is one number, so that
// every file and every chunk can have its own reproducible stream derived from
// the workload's seed. Not for cryptography; only for reproducible workloads.
class TRandom {
public:
    explicit TRandom(uint64_t seed) : state_(seed) {}
    // A generator for item `index` of stream `stream`, independent of the order
    // in which items are generated.
    static TRandom For(uint64_t seed, uint64_t stream, uint64_t index) {
        TRandom mix(seed ^ (stream * 0xD1B54A32D192ED03ull));
        mix.state_ ^= index * 0x9E3779B97F4A7C15ull;
        mix.Next();
        return TRandom(mix.Next());
    }

    uint64_t Next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [0, bound); bound > 0.
    uint64_t Below(uint64_t bound) { return Next() % bound; }
    // Uniform in [0, 1).
    double Unit() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
    // Standard normal (Box-Muller).
    double Normal() {
        double u = 1.0 - Unit();  // (0, 1]: log(u) stays finite
        double v = Unit();
        return std::sqrt(-2.0 * std::log(u)) * std::cos(2.0 * std::numbers::pi * v);
    }
    // Fills `size` bytes with the stream's next values.
    void Fill(char* data, size_t size) {
        size_t i = 0;
        for (; i + 8 <= size; i += 8) {
            uint64_t value = Next();
            std::memcpy(data + i, &value, 8);
        }
        if (i < size) {
            uint64_t value = Next();
            std::memcpy(data + i, &value, size - i);
        }
    }

private:
    uint64_t state_;
};
