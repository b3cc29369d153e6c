// Images for the task-metric tests, made from ctiq's seeded noise so every run sees the same.
#pragma once

#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "tasks/image_view.h"
#include "tasks/seeded_noise.h"

namespace ctiq::tasks::test {

struct Slice {
    std::vector<double> samples;
    std::int32_t columns = 0, rows = 0;
    double spacingX = 0.5, spacingY = 0.5;

    ImageView view() const { return {samples, columns, rows, spacingX, spacingY}; }
    double& at(std::int32_t c, std::int32_t r) {
        return samples[static_cast<std::size_t>(r) * columns + c];
    }
};

inline Slice whiteNoise(std::int32_t columns, std::int32_t rows, double sd, std::uint64_t seed,
                        double mean = 0) {
    Slice s{std::vector<double>(static_cast<std::size_t>(columns) * rows), columns, rows};
    SeededNoise noise(seed);
    for (double& v : s.samples) v = mean + sd * noise.gaussian();
    return s;
}

// A small 2-D kernel (odd sizes, centred), applied with wrap-around so the noise stays
// stationary up to the image's borders.
struct Kernel {
    std::int32_t width = 1, height = 1;
    std::vector<double> taps;  // row by row
};

inline Kernel separable(const std::vector<double>& alongX, const std::vector<double>& alongY) {
    Kernel k{
        static_cast<std::int32_t>(alongX.size()), static_cast<std::int32_t>(alongY.size()), {}};
    for (double y : alongY)
        for (double x : alongX) k.taps.push_back(x * y);
    return k;
}

inline Slice filtered(const Slice& in, const Kernel& k) {
    Slice out = in;
    const std::int32_t hx = k.width / 2, hy = k.height / 2;
    for (std::int32_t r = 0; r < in.rows; ++r)
        for (std::int32_t c = 0; c < in.columns; ++c) {
            double sum = 0;
            for (std::int32_t j = 0; j < k.height; ++j)
                for (std::int32_t i = 0; i < k.width; ++i) {
                    const std::int32_t rr = (r + j - hy + in.rows) % in.rows;
                    const std::int32_t cc = (c + i - hx + in.columns) % in.columns;
                    sum += k.taps[static_cast<std::size_t>(j) * k.width + i] *
                           in.samples[static_cast<std::size_t>(rr) * in.columns + cc];
                }
            out.at(c, r) = sum;
        }
    return out;
}

// One pass of a 1-D kernel (odd length, centred) along rows (alongX) or columns, wrapping round.
inline Slice pass(const Slice& in, const std::vector<double>& taps, bool alongX) {
    Slice out = in;
    const auto half = static_cast<std::int32_t>(taps.size()) / 2;
    const std::int32_t length = alongX ? in.columns : in.rows;
    const std::size_t stride = alongX ? 1 : static_cast<std::size_t>(in.columns);
    const std::size_t lines = alongX ? in.rows : in.columns;
    const std::size_t lineStep = alongX ? static_cast<std::size_t>(in.columns) : 1;
    // Where tap i of sample k reads, wrapped once for all lines.
    std::vector<std::size_t> from(static_cast<std::size_t>(length) * taps.size());
    for (std::int32_t k = 0; k < length; ++k)
        for (std::size_t i = 0; i < taps.size(); ++i)
            from[k * taps.size() + i] =
                static_cast<std::size_t>((k + static_cast<std::int32_t>(i) - half + length) %
                                         length) *
                stride;
    const double* source = in.samples.data();
    double* target = out.samples.data();
    for (std::size_t line = 0; line < lines; ++line) {
        const double* src = source + line * lineStep;
        for (std::int32_t k = 0; k < length; ++k) {
            const std::size_t* at = &from[k * taps.size()];
            double sum = 0;
            for (std::size_t i = 0; i < taps.size(); ++i) sum += taps[i] * src[at[i]];
            target[line * lineStep + k * stride] = sum;
        }
    }
    return out;
}

// The DTFT of a centred 1-D kernel at f cycles per pixel (real for a symmetric one).
inline double transfer1d(const std::vector<double>& taps, double f) {
    double sum = 0;
    const auto half = static_cast<std::int32_t>(taps.size()) / 2;
    for (std::int32_t i = 0; i < static_cast<std::int32_t>(taps.size()); ++i)
        sum += taps[i] * std::cos(2 * std::numbers::pi * f * (i - half));
    return sum;
}

// The kernel's transfer at (fx, fy) in cycles per pixel: Σ h(i, j) e^{-2πi(fx i + fy j)}.
inline double transferSquared(const Kernel& k, double fx, double fy) {
    double re = 0, im = 0;
    for (std::int32_t j = 0; j < k.height; ++j)
        for (std::int32_t i = 0; i < k.width; ++i) {
            const double phase =
                -2 * std::numbers::pi * (fx * (i - k.width / 2) + fy * (j - k.height / 2));
            re += k.taps[static_cast<std::size_t>(j) * k.width + i] * std::cos(phase);
            im += k.taps[static_cast<std::size_t>(j) * k.width + i] * std::sin(phase);
        }
    return re * re + im * im;
}

}  // namespace ctiq::tasks::test
