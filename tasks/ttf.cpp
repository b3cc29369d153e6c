#include "tasks/ttf.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numbers>
#include <optional>
#include <tuple>
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
constexpr int kSectors = 8;
// px: how far the differentiated ESF reaches beyond the edge each side (inside at most R - 1),
// wider than the fit's window: a blur with long tails (an MTF with a kink at zero) loses less.
constexpr double kWideReach = 30;
// px: the last stretch of each side of the wide ESF whose fall gives the tail beyond it.
constexpr double kTailStretch = 5;
// The share of the step the ESF still gains beyond the inside end of its window (extrapolated
// as c / x²) above which the insert is too small to show its plateau.
constexpr double kInsideShareLimit = 0.015;  // angular sectors for the jackknife
// A two-step fit whose residual exceeds the noise by this factor (reduced chi-square) does not
// describe the edge: the differentiated ESF is taken instead.
constexpr double kMisfitLimit = 2.0;
// The jackknife's standard errors above which a figure is flagged: twice the SE stays inside the
// sweep's tolerances for TTF50 and TTF10 (3 %, 5 %), 1.6 times for the curve (0.02), whose
// largest SE over 50 frequencies is itself a high draw.
constexpr double kTtf50SeLimit = 0.015, kTtf10SeLimit = 0.025, kCurveSeLimit = 0.0125;

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

void keepWidthsPositive(Parameters& p, int first, int last, double widest) {
    for (int i = first; i <= last; ++i) p[i] = std::clamp(std::abs(p[i]), 0.02, widest);
}

// Where the curve first falls to the level, interpolated linearly; NaN if it never does.
double crossing(const std::vector<double>& frequency, const std::vector<double>& ttf, double level) {
    for (std::size_t j = 1; j < ttf.size(); ++j)
        if (ttf[j] <= level) {
            const double t = (ttf[j - 1] - level) / (ttf[j - 1] - ttf[j]);
            return frequency[j - 1] + t * (frequency[j] - frequency[j - 1]);
        }
    return std::numeric_limits<double>::quiet_NaN();
}

struct Conditioned {
    std::vector<double> ttf;  // at 0, 0.01, … 0.5 cycles per pixel
    std::vector<double> lsf;  // at the ESF's samples
    double x0 = 0;            // the edge's place in the ESF
    double misfit = 0;        // the two-step fit's reduced chi-square
    double tailShare = 0;     // the share of the edge's step extrapolated beyond the window
    std::vector<double> fitTtf, fitLsf;  // the two steps' TTF and LSF
    std::vector<double> npTtf, npLsf;    // the differentiated ESF's
    bool parametric = true;
    Parameters model{};       // the two steps' fit
};

// The ESF's LSF and TTF. The two blurred steps first (see ttf.h); their widths are kept within
// half the ESF's reach, so that a wide part cannot turn into a ramp or a constant over the
// window (which had collapsed the TTF to a few hundredths of its value). Where the fit misses
// the data by more than their noise (reduced chi-square above kMisfitLimit, the noise variance
// of a bin being noiseVariance over its pixels), the ESF itself is
// differentiated and transformed instead: it holds any blur, and only at such a signal-to-noise
// ratio can its derivative be trusted. `like`: a result on more of the data whose estimate and
// minimum this one follows (the jackknife's subsamples).
Conditioned condition(const std::vector<Sample>& esf, const std::vector<Sample>& wide,
                      const Parameters& edge, double width, double span, double noiseVariance,
                      const Conditioned* like = nullptr) {
    Conditioned out;
    const auto steps = static_cast<std::int32_t>(std::lround(0.5 / kFrequencyStep));
    const double widest = span / 2;
    Fit best{{}, std::numeric_limits<double>::infinity()};
    const auto keep = [&](Parameters& q) { keepWidthsPositive(q, 1, 2, widest); };
    if (like) {
        best = leastSquares(esf, like->model, twoSteps, keep);
    } else {
        // From several starts, the wide part adding blur or taking it away (edge enhancement):
        // the sum of squares has a minimum for each, and the lowest is kept.
        // The last two starts (a narrower wide part) replace an earlier minimum only where they
        // find a clearly lower one, not the same minimum a rounding error lower.
        for (double broad : {2.0, 4.0, 1.4})
            for (double share : {0.2, -0.2}) {
                const Parameters start = {0,
                                          0.8 * width,
                                          std::min(broad * width, widest),
                                          (1 - share) * edge[5],
                                          share * edge[5],
                                          edge[4]};
                const Fit fit = leastSquares(esf, start, twoSteps, keep);
                if (fit.cost < best.cost * (broad == 1.4 ? 1 - 1e-6 : 1)) best = fit;
            }
    }
    const Parameters& model = best.p;
    const double a1 = model[3], a2 = model[4], s1 = model[1], s2 = model[2];
    out.model = model;
    out.x0 = model[0];
    out.misfit = esf.size() > 6 ? best.cost / noiseVariance / double(esf.size() - 6) : 0;
    out.parametric = like ? like->parametric : out.misfit <= kMisfitLimit;
    if (std::abs(a1 + a2) > 0 && std::isfinite(a1 + a2)) {
        for (const Sample& e : esf) {
            const double x = e.x - model[0];
            out.fitLsf.push_back(a1 * normalDensity(x / s1) / s1 + a2 * normalDensity(x / s2) / s2);
        }
        const double pi2 = std::numbers::pi * std::numbers::pi;
        for (std::int32_t j = 0; j <= steps; ++j) {
            const double f = j * kFrequencyStep;  // cycles per pixel
            const double t = a1 * std::exp(-2 * pi2 * s1 * s1 * f * f) +
                             a2 * std::exp(-2 * pi2 * s2 * s2 * f * f);
            out.fitTtf.push_back(std::abs(t / (a1 + a2)));
        }
    } else if (out.parametric) {
        throw AppError("The insert's edge has no contrast to measure a TTF from.");
    }
    // The wide ESF on its full grid of bins (an empty bin, close to a small insert's centre,
    // from its neighbours), differentiated by central differences.
    const double x0 = wide.front().x;
    const auto n = static_cast<std::int32_t>(std::lround((wide.back().x - x0) / kBin)) + 1;
    std::vector<double> grid(n, std::numeric_limits<double>::quiet_NaN());
    for (const Sample& e : wide) grid[std::lround((e.x - x0) / kBin)] = e.value;
    std::int32_t previous = -1;
    for (std::int32_t k = 0; k < n; ++k) {
        if (std::isnan(grid[k])) continue;
        if (previous < 0)
            for (std::int32_t i = 0; i < k; ++i) grid[i] = grid[k];
        else
            for (std::int32_t i = previous + 1; i < k; ++i)
                grid[i] = grid[previous] + (grid[k] - grid[previous]) * (i - previous) /
                                               double(k - previous);
        previous = k;
    }
    for (std::int32_t i = previous + 1; i < n; ++i) grid[i] = grid[previous];
    std::vector<double> lsf(n);
    for (std::int32_t k = 0; k < n; ++k) {
        const std::int32_t a = std::max(0, k - 1), b = std::min(n - 1, k + 1);
        lsf[k] = (grid[a] - grid[b]) / ((b - a) * kBin);  // outwards the edge falls: inside up
    }
    // The tails beyond the window, taken as c / x² (the decay of an LSF whose MTF has a kink at
    // zero; a faster decay leaves next to nothing to add): c from the ESF's fall over the last
    // kTailStretch px of each side. Without them such a blur's TTF came out 3 % high.
    const std::int32_t stretch = std::min(n / 4, static_cast<std::int32_t>(kTailStretch / kBin));
    const double inner = out.x0 - x0, outer = x0 + (n - 1) * kBin - out.x0;
    auto tailConstant = [&](double far, double fall) {
        const double near = far - stretch * kBin;
        return near > kBin ? fall / (1 / near - 1 / far) : 0.0;
    };
    const double cInner = tailConstant(inner, grid[0] - grid[stretch]);
    const double cOuter = tailConstant(outer, grid[n - 1 - stretch] - grid[n - 1]);
    double area = cInner / inner + cOuter / outer;  // the tails' areas
    for (double v : lsf) area += v * kBin;
    if (!(std::abs(area) > 0))
        throw AppError("The insert's edge has no contrast to measure a TTF from.");
    out.tailShare = std::abs((cInner / inner + cOuter / outer) / area);
    for (const Sample& e : wide) out.npLsf.push_back(lsf[std::lround((e.x - x0) / kBin)]);
    constexpr double kTailStep = 0.25, kTailReach = 40;  // px; and in windows' lengths
    for (std::int32_t j = 0; j <= steps; ++j) {
        const double f = j * kFrequencyStep;
        double re = 0, im = 0;
        for (std::int32_t k = 0; k < n; ++k) {
            const double phase = 2 * std::numbers::pi * f * (x0 + k * kBin - out.x0);
            re += lsf[k] * std::cos(phase) * kBin;
            im += lsf[k] * std::sin(phase) * kBin;
        }
        for (const auto& [far, c, sign] : {std::tuple{inner, cInner, -1.0},
                                           std::tuple{outer, cOuter, 1.0}}) {
            if (c == 0) continue;
            for (double x = far + kTailStep / 2; x < kTailReach * far; x += kTailStep) {
                const double phase = 2 * std::numbers::pi * f * sign * x;
                re += c / (x * x) * std::cos(phase) * kTailStep;
                im += c / (x * x) * std::sin(phase) * kTailStep;
            }
            // Beyond kTailReach windows: the rest of the tail's area, at zero frequency only.
            if (j == 0) re += c / (kTailReach * far);
        }
        // The bins (a box of kBin) and the central difference each multiply the transfer by a
        // known factor; divided out.
        const double u = std::numbers::pi * f * kBin;
        const double box = u > 0 ? std::sin(u) / u : 1;
        const double difference = u > 0 ? std::sin(2 * u) / (2 * u) : 1;
        out.npTtf.push_back(std::hypot(re, im) / std::abs(area) / (box * difference));
    }
    out.ttf = out.parametric ? out.fitTtf : out.npTtf;
    out.lsf = out.parametric ? out.fitLsf : out.npLsf;
    return out;
}

// The share of the step the ESF would still gain inside its window's inner end, were it to
// approach its plateau as c / x² (a disk smaller than the blur's reach, or the blur's long
// tails): from the two halves of its innermost stretch, less twice its noise.
double insideShare(const std::vector<Sample>& wide, double step, double noiseSd) {
    const double end = wide.front().x, length = -end;
    const double stretch = std::min(kTailStretch, length / 2);
    double a = 0, b = 0, na = 0, nb = 0;
    for (const Sample& e : wide) {
        if (e.x < end + stretch / 2) a += e.value * e.weight, na += e.weight;
        else if (e.x < end + stretch) b += e.value * e.weight, nb += e.weight;
    }
    if (!(na > 0 && nb > 0) || step == 0) return 0;
    const double fall = (a / na - b / nb) / step;
    const double se = noiseSd * std::sqrt(1 / na + 1 / nb) / std::abs(step);
    const double nearer = length - 0.75 * stretch, farther = length - 0.25 * stretch;
    if (!(nearer > 0)) return 0;
    const double c = (fall - 2 * se) / (1 / nearer - 1 / farther);
    return std::max(0.0, c / length);
}

void checkGeometry(const ImageView& image, const TtfParameters& p) {
    if (image.spacingX != image.spacingY)
        throw AppError("The TTF needs square pixels; this image's are %1 x %2 mm.",
                       {significantText(image.spacingX, 3), significantText(image.spacingY, 3)});
    if (!(std::isfinite(p.radius) && p.radius >= 3 &&
          2 * p.radius < std::min(image.columns, image.rows)))
        throw AppError(
            "The insert's radius is %1 px; it must be at least 3 px and fit in the "
            "image twice over.",
            {significantText(p.radius, 3)});
    if (!(std::isfinite(p.centreX) && std::isfinite(p.centreY) && p.centreX >= 0 &&
          p.centreY >= 0 && p.centreX <= image.columns - 1 && p.centreY <= image.rows - 1))
        throw AppError("The insert's centre (%1, %2) lies outside the image.",
                       {significantText(p.centreX, 3), significantText(p.centreY, 3)});
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
            keepWidthsPositive(q, 3, 3, std::numeric_limits<double>::max());
        }).p;
    const double cx = edge[0], cy = edge[1], radius = edge[2], width = edge[3];
    if (!(std::isfinite(cx) && std::isfinite(cy) && radius > 1 && width < radius &&
          std::hypot(cx - p.centreX, cy - p.centreY) < p.radius && edge[5] != 0))
        throw AppError("No circular edge was found near (%1, %2) with a radius of %3 px.",
                       {significantText(p.centreX, 3), significantText(p.centreY, 3),
                        significantText(p.radius, 3)});

    // The ESF's reach each side of the edge: 8 edge widths, 10 px at least (an edge-enhancing
    // kernel's wide part reaches further than the fitted single edge says), within R - 1.
    const double span = std::min(std::max(8 * width, 10.0), radius - 1);
    if (cx - radius - span < 0 || cy - radius - span < 0 ||
        cx + radius + span > first.columns - 1 || cy + radius + span > first.rows - 1)
        throw AppError(
            "The insert at (%1, %2) lies too close to the image's edge: its edge "
            "profile reaches %3 px from the centre, beyond the image.",
            {significantText(cx, 3), significantText(cy, 3), significantText(radius + span, 3)});

    TtfResult out;
    out.centreX = cx;
    out.centreY = cy;
    // The blurred disk's half-way contour lies σ²/2R inside its edge (curvature): put back.
    out.radius = radius + width * width / (2 * radius);
    out.edgeWidth = width;
    out.spacing = first.spacingX;

    // The bins: the fit's window ±span, and beyond it on the same grid the differentiated ESF's
    // wider one (inside to R - 1, outside as far as the image allows, kWideReach at most).
    const double room = std::min({cx, cy, first.columns - 1 - cx, first.rows - 1 - cy}) - radius;
    const auto extraInside = static_cast<std::int32_t>(
        std::floor((std::max(span, std::min(radius - 1, kWideReach)) - span) / kBin));
    const auto extraOutside = static_cast<std::int32_t>(
        std::floor((std::max(span, std::min(room, kWideReach)) - span) / kBin));
    const auto fitBins = static_cast<std::int32_t>(std::lround(2 * span / kBin)) + 1;
    const std::int32_t bins = extraInside + fitBins + extraOutside;
    std::vector<double> sum(bins, 0.0);
    std::vector<std::int32_t> count(bins, 0);
    std::vector<double> sectorSum(std::size_t(kSectors) * bins, 0.0);
    std::vector<std::int32_t> sectorCount(std::size_t(kSectors) * bins, 0);
    double inside = 0, background = 0, squares = 0;
    std::int64_t nInside = 0, nBackground = 0, annulusPixels = 0;
    const double annulusOuter =
        radius + std::max(span + kAnnulusWidth, span + (extraOutside + 1) * kBin);
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
                const auto k =
                    static_cast<std::int32_t>(std::lround((d + span) / kBin)) + extraInside;
                if (k >= 0 && k < bins) {
                    sum[k] += v, ++count[k];
                    const double angle = std::atan2(r - cy, c - cx) + std::numbers::pi;
                    const int sector = std::min(
                        kSectors - 1, static_cast<int>(angle / (2 * std::numbers::pi) * kSectors));
                    sectorSum[std::size_t(sector) * bins + k] += v;
                    ++sectorCount[std::size_t(sector) * bins + k];
                }
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

    // The binned ESF of all sectors, and of all but one in turn (the jackknife's samples); the
    // fit's window or the wide one.
    auto esfOf = [&](int leftOut, bool wide) {
        std::vector<Sample> e;
        for (std::int32_t k = wide ? 0 : extraInside; k < (wide ? bins : extraInside + fitBins);
             ++k) {
            double v = sum[k];
            std::int32_t n = count[k];
            if (leftOut >= 0) {
                v -= sectorSum[std::size_t(leftOut) * bins + k];
                n -= sectorCount[std::size_t(leftOut) * bins + k];
            }
            if (n > 0) e.push_back({-span + (k - extraInside) * kBin, 0, v / n, double(n)});
        }
        return e;
    };
    const std::vector<Sample> esf = esfOf(-1, false), wide = esfOf(-1, true);
    // Each bin's mean is of `weight` pixels; a floor of 0.1 % of the contrast keeps a noiseless
    // edge's rounding from counting as misfit.
    const double noiseVariance = out.noiseSd * out.noiseSd + std::pow(1e-3 * edge[5], 2);
    const Conditioned all = condition(esf, wide, edge, width, span, noiseVariance);
    out.misfit = all.misfit;
    out.insideShare = insideShare(wide, edge[5], out.noiseSd);
    out.tailShare = all.tailShare;

    // Delete-one-sector jackknife: the spread of the curves when an eighth of the ring is left
    // out, by the same conditioning. It sees noise, correlated noise and an edge that is not
    // round alike, and a fit that lands in another minimum on part of the data.
    std::vector<Conditioned> parts;
    for (int sector = 0; sector < kSectors; ++sector)
        parts.push_back(condition(esfOf(sector, false), esfOf(sector, true), edge, width, span,
                                  noiseVariance, &all));
    auto jackknife = [](const std::vector<double>& v) {
        double mean = 0;
        for (double x : v) mean += x;
        mean /= v.size();
        double spread = 0;
        for (double x : v) spread += (x - mean) * (x - mean);
        return std::sqrt((v.size() - 1.0) / v.size() * spread);  // NaN when one is NaN
    };
    auto curveSes = [&](auto member) {
        std::vector<double> se;
        for (std::size_t j = 0; j < (all.*member).size(); ++j) {
            std::vector<double> column;
            for (const Conditioned& part : parts)  // a part without a fit: no SE
                column.push_back(j < (part.*member).size()
                                     ? (part.*member)[j]
                                     : std::numeric_limits<double>::quiet_NaN());
            se.push_back(jackknife(column));
        }
        return se;
    };
    const bool parametric = all.parametric;
    const auto chosen = parametric ? &Conditioned::fitTtf : &Conditioned::npTtf;
    out.conditioning = parametric ? "two-gaussian-fit" : "differentiated-esf";
    const std::vector<Sample>& shown = parametric ? esf : wide;
    const std::vector<double>& shownLsf = parametric ? all.fitLsf : all.npLsf;
    for (std::size_t k = 0; k < shown.size(); ++k) {
        out.distance.push_back(shown[k].x - all.x0);
        out.esf.push_back(shown[k].value);
        out.lsf.push_back(shownLsf[k]);
    }
    for (std::size_t j = 0; j < (all.*chosen).size(); ++j) {
        out.frequency.push_back(j * kFrequencyStep / out.spacing);
        out.ttf.push_back((all.*chosen)[j]);
    }
    out.ttf50 = crossing(out.frequency, out.ttf, 0.5);
    out.ttf10 = crossing(out.frequency, out.ttf, 0.1);
    std::vector<double> fifties, tens;
    for (const Conditioned& part : parts) {
        fifties.push_back(crossing(out.frequency, part.*chosen, 0.5));
        tens.push_back(crossing(out.frequency, part.*chosen, 0.1));
    }
    auto relativeSe = [&](const std::vector<double>& v, double value) {
        if (!std::isfinite(value)) {
            // No crossing below Nyquist: supported only if no sector finds one either.
            for (double x : v)
                if (std::isfinite(x)) return std::numeric_limits<double>::infinity();
            return 0.0;
        }
        const double se = jackknife(v) / value;
        return std::isfinite(se) ? se : std::numeric_limits<double>::infinity();
    };
    out.ttf50Se = relativeSe(fifties, out.ttf50);
    out.ttf10Se = relativeSe(tens, out.ttf10);
    out.curveSe = 0;
    for (double se : curveSes(chosen)) out.curveSe = std::max(out.curveSe, se);

    const double cnr = out.noiseSd > 0
                           ? std::abs(out.contrast) / out.noiseSd * std::sqrt(double(slices.size()))
                           : std::numeric_limits<double>::infinity();
    if (cnr < kLowContrastLimit)
        out.flags.push_back(
            {kFlagTtfLowContrast, "The contrast-to-noise ratio (" + significantText(cnr, 3) +
                                      " with the slices pooled) is below 15: the TTF's high "
                                      "frequencies are mostly noise."});
    if (!(out.ttf50Se <= kTtf50SeLimit && out.ttf10Se <= kTtf10SeLimit &&
          out.curveSe <= kCurveSeLimit))
        out.flags.push_back(
            {kFlagTtfUnstable,
             "Leaving out an eighth of the ring moves the TTF too far (standard error: TTF50 " +
                 significantText(100 * out.ttf50Se, 2) + " %, TTF10 " +
                 significantText(100 * out.ttf10Se, 2) + " %, curve " +
                 significantText(out.curveSe, 2) + "): the data do not pin it down."});
    if (out.insideShare > kInsideShareLimit)
        out.flags.push_back(
            {kFlagTtfInsertSmall,
             "Inside the edge the profile has not levelled off (about " +
                 significantText(100 * out.insideShare, 2) +
                 " % of the step still to come): the insert is small for this blur, and its "
                 "edge profile is not that of a straight edge."});
    if (*std::max_element(out.ttf.begin(), out.ttf.end()) > 1.05)
        out.flags.push_back(
            {kFlagTtfAboveOne, "The TTF rises above 1.05: an edge-enhancing kernel, or noise."});
    return out;
}

}  // namespace ctiq::tasks
