#include "tasks/ttf.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numbers>
#include <string>

#include "common/app_error.h"
#include "common/locale_free_text.h"

namespace ctiq::tasks {
namespace {

constexpr double kBin = 0.1;             // px: the ESF's bins
constexpr double kFitMargin = 8;         // px beyond the guessed radius that the centre fit sees
constexpr double kAnnulusWidth = 5;      // px: the background annulus
constexpr double kFrequencyStep = 0.01;  // cycles per pixel
constexpr double kLowContrastLimit = 15;

struct Sample {
    double x, y, value, weight;
};

using Parameters = std::array<double, 6>;

double normalCdf(double z) {
    return 0.5 * std::erfc(-z / std::numbers::sqrt2);
}

double normalDensity(double z) {
    return std::exp(-z * z / 2) / std::sqrt(2 * std::numbers::pi);
}

// Solves a 6 × 6 system by elimination with partial pivoting; false when it is singular.
bool solve(std::array<std::array<double, 7>, 6> m, Parameters& x) {
    for (int col = 0; col < 6; ++col) {
        int pivot = col;
        for (int row = col + 1; row < 6; ++row)
            if (std::abs(m[row][col]) > std::abs(m[pivot][col])) pivot = row;
        if (!(std::abs(m[pivot][col]) > 0)) return false;
        std::swap(m[col], m[pivot]);
        for (int row = col + 1; row < 6; ++row) {
            const double f = m[row][col] / m[col][col];
            for (int k = col; k < 7; ++k) m[row][k] -= f * m[col][k];
        }
    }
    for (int row = 5; row >= 0; --row) {
        double v = m[row][6];
        for (int k = row + 1; k < 6; ++k) v -= m[row][k] * x[k];
        x[row] = v / m[row][row];
    }
    return true;
}

// Weighted least squares of a model with six parameters by Levenberg–Marquardt, until no step
// moves a parameter by more than 1e-9 of its size. model(sample, p, gradient) gives the value
// and its derivatives; keep(p) puts a trial back into the parameters' domain.
struct Fit {
    Parameters p;
    double cost;
};

template <class Model, class Keep>
Fit leastSquares(const std::vector<Sample>& samples, Parameters p, Model model, Keep keep) {
    auto cost = [&](const Parameters& q) {
        double sum = 0;
        Parameters unused;
        for (const Sample& s : samples) {
            const double d = s.value - model(s, q, unused);
            sum += s.weight * d * d;
        }
        return sum;
    };
    double lambda = 1e-3, current = cost(p);
    for (int iteration = 0; iteration < 500; ++iteration) {
        std::array<std::array<double, 7>, 6> normal{};
        for (const Sample& s : samples) {
            Parameters j;
            const double residual = s.value - model(s, p, j);
            for (int a = 0; a < 6; ++a) {
                for (int b = 0; b < 6; ++b) normal[a][b] += s.weight * j[a] * j[b];
                normal[a][6] += s.weight * j[a] * residual;
            }
        }
        bool improved = false;
        while (!improved && lambda < 1e15) {
            auto damped = normal;
            for (int a = 0; a < 6; ++a) damped[a][a] = damped[a][a] * (1 + lambda) + 1e-300;
            Parameters step{};
            if (solve(damped, step)) {
                Parameters trial = p;
                for (int a = 0; a < 6; ++a) trial[a] += step[a];
                keep(trial);
                const double next = cost(trial);
                if (next <= current) {
                    bool settled = true;
                    for (int a = 0; a < 6; ++a)
                        settled =
                            settled && std::abs(trial[a] - p[a]) <= 1e-9 * (1 + std::abs(p[a]));
                    p = trial;
                    current = next;
                    lambda = std::max(lambda / 3, 1e-12);
                    improved = true;
                    if (settled) return {p, current};
                    continue;
                }
            }
            lambda *= 4;
        }
        if (!improved) return {p, current};  // no step lowers the sum: a minimum
    }
    return {p, current};
}

// The blurred circular edge b + C Φ((R - r) / s) around (cx, cy): p = cx, cy, R, s, b, C.
double circularEdge(const Sample& s, const Parameters& p, Parameters& gradient) {
    const double dx = s.x - p[0], dy = s.y - p[1], r = std::hypot(dx, dy);
    const double z = (p[2] - r) / p[3];
    const double slope = p[5] * normalDensity(z) / p[3];
    gradient = {
        r > 0 ? slope * dx / r : 0, r > 0 ? slope * dy / r : 0, slope, -slope * z, 1, normalCdf(z)};
    return p[4] + p[5] * normalCdf(z);
}

// The radial ESF as two blurred steps at one place: b + a₁ Φ((x₀ - x) / s₁) + a₂ Φ((x₀ - x) / s₂),
// p = x₀, s₁, s₂, a₁, a₂, b. Its LSF is a sum of two Gaussians: a narrow and a wide part, either
// sign, so blur with long tails and edge enhancement (a dip beside the edge) are both in reach.
double twoSteps(const Sample& s, const Parameters& p, Parameters& gradient) {
    const double z1 = (p[0] - s.x) / p[1], z2 = (p[0] - s.x) / p[2];
    const double g1 = normalDensity(z1) / p[1], g2 = normalDensity(z2) / p[2];
    gradient = {p[3] * g1 + p[4] * g2, -p[3] * g1 * z1, -p[4] * g2 * z2,
                normalCdf(z1),         normalCdf(z2),   1};
    return p[5] + p[3] * normalCdf(z1) + p[4] * normalCdf(z2);
}

void keepWidthsPositive(Parameters& p, int first, int last) {
    for (int i = first; i <= last; ++i) p[i] = std::max(std::abs(p[i]), 0.02);
}

void checkGeometry(const ImageView& image, const TtfParameters& p) {
    if (image.spacingX != image.spacingY)
        throw AppError("The TTF needs square pixels; this image's are " +
                       significantText(image.spacingX, 3) + " x " +
                       significantText(image.spacingY, 3) + " mm.");
    if (!(std::isfinite(p.radius) && p.radius >= 3 &&
          2 * p.radius < std::min(image.columns, image.rows)))
        throw AppError("The insert's radius is " + significantText(p.radius, 3) +
                       " px; it must be at least 3 px and fit in the image twice over.");
    if (!(std::isfinite(p.centreX) && std::isfinite(p.centreY) && p.centreX >= 0 &&
          p.centreY >= 0 && p.centreX <= image.columns - 1 && p.centreY <= image.rows - 1))
        throw AppError("The insert's centre (" + significantText(p.centreX, 3) + ", " +
                       significantText(p.centreY, 3) + ") lies outside the image.");
}

// A first edge from the means inside and outside the guessed circle.
Parameters firstGuess(const std::vector<Sample>& samples, const TtfParameters& p) {
    double inside = 0, outside = 0;
    int nInside = 0, nOutside = 0;
    for (const Sample& s : samples) {
        const double r = std::hypot(s.x - p.centreX, s.y - p.centreY);
        if (r < p.radius - 2) inside += s.value, ++nInside;
        if (r > p.radius + 2) outside += s.value, ++nOutside;
    }
    const double b = nOutside ? outside / nOutside : 0;
    const double c = p.contrastHint ? *p.contrastHint : (nInside ? inside / nInside : b) - b;
    return {p.centreX, p.centreY, p.radius, 1.0, b, c};
}

}  // namespace

TtfResult computeTtf(std::span<const ImageView> slices, const TtfParameters& p) {
    requireSameGeometry(slices);
    const ImageView& first = slices.front();
    checkGeometry(first, p);
    const double reach = p.radius + kFitMargin;

    // The slices' mean within reach of the guess: one model fits all slices, so its least
    // squares over all of them are those over their mean.
    std::vector<Sample> samples;
    const auto c0 = static_cast<std::int32_t>(std::max(0.0, std::floor(p.centreX - reach)));
    const auto c1 =
        static_cast<std::int32_t>(std::min(first.columns - 1.0, std::ceil(p.centreX + reach)));
    const auto r0 = static_cast<std::int32_t>(std::max(0.0, std::floor(p.centreY - reach)));
    const auto r1 =
        static_cast<std::int32_t>(std::min(first.rows - 1.0, std::ceil(p.centreY + reach)));
    for (std::int32_t r = r0; r <= r1; ++r)
        for (std::int32_t c = c0; c <= c1; ++c) {
            if (std::hypot(c - p.centreX, r - p.centreY) > reach) continue;
            double sum = 0;
            for (const ImageView& s : slices) sum += s.at(c, r);
            samples.push_back({double(c), double(r), sum / slices.size(), 1});
        }
    const Parameters edge =
        leastSquares(samples, firstGuess(samples, p), circularEdge, [](Parameters& q) {
            keepWidthsPositive(q, 3, 3);
        }).p;
    const double cx = edge[0], cy = edge[1], radius = edge[2], width = edge[3];
    if (!(std::isfinite(cx) && std::isfinite(cy) && radius > 1 && width < radius &&
          std::hypot(cx - p.centreX, cy - p.centreY) < p.radius && edge[5] != 0))
        throw AppError("No circular edge was found near (" + significantText(p.centreX, 3) + ", " +
                       significantText(p.centreY, 3) + ") with a radius of " +
                       significantText(p.radius, 3) + " px.");

    // The ESF's reach each side of the edge: 8 edge widths, 10 px at least (an edge-enhancing
    // kernel's wide part reaches further than the fitted single edge says), within R - 1.
    const double span = std::min(std::max(8 * width, 10.0), radius - 1);
    if (cx - radius - span < 0 || cy - radius - span < 0 ||
        cx + radius + span > first.columns - 1 || cy + radius + span > first.rows - 1)
        throw AppError("The insert at (" + significantText(cx, 3) + ", " + significantText(cy, 3) +
                       ") lies too close to the image's edge: its edge profile reaches " +
                       significantText(radius + span, 3) +
                       " px from the centre, beyond the image.");

    TtfResult out;
    out.centreX = cx;
    out.centreY = cy;
    out.radius = radius;
    out.edgeWidth = width;
    out.spacing = first.spacingX;

    const auto bins = static_cast<std::int32_t>(std::lround(2 * span / kBin)) + 1;
    std::vector<double> sum(bins, 0.0);
    std::vector<std::int32_t> count(bins, 0);
    double inside = 0, background = 0, squares = 0;
    std::int64_t nInside = 0, nBackground = 0, annulusPixels = 0;
    const double annulusOuter = radius + span + kAnnulusWidth;
    const auto lo = [](double v) { return static_cast<std::int32_t>(std::floor(v)); };
    for (const ImageView& s : slices) {
        double sliceSum = 0, sliceSquares = 0;
        std::int64_t sliceCount = 0;
        for (std::int32_t r = std::max(0, lo(cy - annulusOuter));
             r <= std::min(first.rows - 1, lo(cy + annulusOuter) + 1); ++r)
            for (std::int32_t c = std::max(0, lo(cx - annulusOuter));
                 c <= std::min(first.columns - 1, lo(cx + annulusOuter) + 1); ++c) {
                const double d = std::hypot(c - cx, r - cy) - radius;
                const double v = s.at(c, r);
                const auto k = static_cast<std::int32_t>(std::lround((d + span) / kBin));
                if (k >= 0 && k < bins) sum[k] += v, ++count[k];
                if (d < -span) inside += v, ++nInside;
                if (d >= span && d < span + kAnnulusWidth) {
                    sliceSum += v;
                    sliceSquares += v * v;
                    ++sliceCount;
                }
            }
        // Each slice about its own mean: slices may differ in their level, not in their noise.
        if (sliceCount > 0) {
            const double mean = sliceSum / sliceCount;
            squares += sliceSquares - sliceCount * mean * mean;
            background += sliceSum;
            nBackground += sliceCount;
            annulusPixels += sliceCount - 1;
        }
    }
    // Pixels of the whole annulus, to tell whether the image cut it.
    std::int64_t fullAnnulus = 0;
    for (std::int32_t r = lo(cy - annulusOuter); r <= lo(cy + annulusOuter) + 1; ++r)
        for (std::int32_t c = lo(cx - annulusOuter); c <= lo(cx + annulusOuter) + 1; ++c) {
            const double d = std::hypot(c - cx, r - cy) - radius;
            if (d >= span && d < span + kAnnulusWidth) ++fullAnnulus;
        }
    if (nBackground < fullAnnulus * static_cast<std::int64_t>(slices.size()))
        out.flags.push_back({kFlagTtfNearImageEdge,
                             "Part of the background ring lies outside the image; contrast and "
                             "noise come from the part inside."});
    out.contrast = (nInside ? inside / nInside : edge[4] + edge[5]) -
                   (nBackground ? background / nBackground : edge[4]);
    out.noiseSd = annulusPixels > 0 ? std::sqrt(std::max(0.0, squares) / annulusPixels) : 0;

    // The binned ESF, each bin weighted by its pixels (empty bins, close to a small insert's
    // centre, drop out), and the two-step model fitted to it from the circular edge's values.
    std::vector<Sample> esf;
    for (std::int32_t k = 0; k < bins; ++k)
        if (count[k] > 0) esf.push_back({-span + k * kBin, 0, sum[k] / count[k], double(count[k])});
    // From several starts, the wide part adding blur or taking it away (edge enhancement): the
    // sum of squares has a minimum for each, and the lowest is kept.
    Fit best{{}, std::numeric_limits<double>::infinity()};
    for (double wide : {2.0, 4.0})
        for (double share : {0.2, -0.2}) {
            const Parameters start = {
                0, 0.8 * width, wide * width, (1 - share) * edge[5], share * edge[5], edge[4]};
            const Fit fit = leastSquares(esf, start, twoSteps,
                                         [](Parameters& q) { keepWidthsPositive(q, 1, 2); });
            if (fit.cost < best.cost) best = fit;
        }
    const Parameters& model = best.p;
    const double a1 = model[3], a2 = model[4], s1 = model[1], s2 = model[2];
    if (!(std::abs(a1 + a2) > 0) || !std::isfinite(a1 + a2))
        throw AppError("The insert's edge has no contrast to measure a TTF from.");
    for (const Sample& e : esf) {
        const double x = e.x - model[0];
        out.distance.push_back(x);
        out.esf.push_back(e.value);
        out.lsf.push_back(a1 * normalDensity(x / s1) / s1 + a2 * normalDensity(x / s2) / s2);
    }
    const auto steps = static_cast<std::int32_t>(std::lround(0.5 / kFrequencyStep));
    const double pi2 = std::numbers::pi * std::numbers::pi;
    for (std::int32_t j = 0; j <= steps; ++j) {
        const double f = j * kFrequencyStep;  // cycles per pixel
        const double t =
            a1 * std::exp(-2 * pi2 * s1 * s1 * f * f) + a2 * std::exp(-2 * pi2 * s2 * s2 * f * f);
        out.frequency.push_back(f / out.spacing);
        out.ttf.push_back(std::abs(t / (a1 + a2)));
    }
    auto crossing = [&](double level) {
        for (std::size_t j = 1; j < out.ttf.size(); ++j)
            if (out.ttf[j] <= level) {
                const double t = (out.ttf[j - 1] - level) / (out.ttf[j - 1] - out.ttf[j]);
                return out.frequency[j - 1] + t * (out.frequency[j] - out.frequency[j - 1]);
            }
        return std::numeric_limits<double>::quiet_NaN();
    };
    out.ttf50 = crossing(0.5);
    out.ttf10 = crossing(0.1);

    const double cnr = out.noiseSd > 0
                           ? std::abs(out.contrast) / out.noiseSd * std::sqrt(double(slices.size()))
                           : std::numeric_limits<double>::infinity();
    if (cnr < kLowContrastLimit)
        out.flags.push_back(
            {kFlagTtfLowContrast, "The contrast-to-noise ratio (" + significantText(cnr, 3) +
                                      " with the slices pooled) is below 15: the TTF's high "
                                      "frequencies are mostly noise."});
    if (*std::max_element(out.ttf.begin(), out.ttf.end()) > 1.05)
        out.flags.push_back(
            {kFlagTtfAboveOne, "The TTF rises above 1.05: an edge-enhancing kernel, or noise."});
    return out;
}

}  // namespace ctiq::tasks
