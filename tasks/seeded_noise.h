#pragma once

#include <cstdint>

namespace ctiq::tasks {

// Reproducible Gaussian noise: the same numbers for a seed on every machine and compiler.
// splitmix64 (each seed mixed first, so neighbouring seeds give unrelated streams), and a normal
// deviate as the sum of 12 uniforms minus 6: variance exactly 1, only additions, no maths library.
// The same stream as ctiq-cli's phantoms draw for the same seed.
class SeededNoise {
  public:
    explicit SeededNoise(std::uint64_t seed) : state_(mix(seed ^ 0x6A09E667F3BCC909ULL)) {}

    // Uniform in [0, 1) with 53 random bits.
    double uniform() {
        state_ += 0x9E3779B97F4A7C15ULL;
        return static_cast<double>(mix(state_) >> 11) / 9007199254740992.0;
    }
    double gaussian() {
        double sum = 0;
        for (int i = 0; i < 12; ++i) sum += uniform();
        return sum - 6;
    }

  private:
    static std::uint64_t mix(std::uint64_t z) {
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    std::uint64_t state_;
};

}  // namespace ctiq::tasks
