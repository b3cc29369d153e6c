#include "tasks/dprime.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>
#include <string>

#include "common/app_error.h"
#include "common/locale_free_text.h"

namespace ctiq::tasks {
namespace {

double parseNumber(std::string_view text, std::string_view whole) {
    double v = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(v))
        throw AppError("The task \"%1\" is not disk:DIAMETER_MM:CONTRAST_HU with two numbers.",
                       {std::string(whole)});
    return v;
}

// Linear between the curve's points, the first below them, 0 beyond them.
double ttfAt(const TtfCurve& t, double f) {
    if (f <= t.frequency.front()) return t.value.front();
    if (f > t.frequency.back()) return 0;
    const auto upper = std::lower_bound(t.frequency.begin(), t.frequency.end(), f);
    const auto i = static_cast<std::size_t>(upper - t.frequency.begin());
    const double a = t.frequency[i - 1], b = t.frequency[i];
    return t.value[i - 1] + (t.value[i] - t.value[i - 1]) * (f - a) / (b - a);
}

bool sameSpacing(double a, double b) {
    return std::abs(a - b) <= 1e-6 * std::max(std::abs(a), std::abs(b));
}

}  // namespace

DiskTask parseTask(std::string_view text) {
    constexpr std::string_view prefix = "disk:";
    const auto colon = text.find(':', prefix.size());
    if (text.substr(0, prefix.size()) != prefix || colon == std::string_view::npos)
        throw AppError("The task \"%1\" is not disk:DIAMETER_MM:CONTRAST_HU with two numbers.",
                       {std::string(text)});
    DiskTask task;
    task.diameterMm = parseNumber(text.substr(prefix.size(), colon - prefix.size()), text);
    task.contrastHu = parseNumber(text.substr(colon + 1), text);
    if (!(task.diameterMm > 0))
        throw AppError("The task's disk diameter must be a positive number of millimetres.");
    return task;
}

TtfCurve ttfCurveOf(const TtfResult& ttf) {
    return {ttf.frequency, ttf.ttf, ttf.spacing};
}

NpsGrid npsGridOf(const Nps2dResult& nps) {
    return {nps.roiSize, nps.spacingX, nps.spacingY, nps.spectrum, nps.independentRois};
}

Detectability detectability(const DiskTask& task, const TtfCurve& ttf, const NpsGrid& nps,
                            const EyeFilter& eye) {
    if (ttf.frequency.empty() || ttf.frequency.size() != ttf.value.size())
        throw AppError("The TTF has no values.");
    for (std::size_t i = 1; i < ttf.frequency.size(); ++i)
        if (!(ttf.frequency[i] > ttf.frequency[i - 1]))
            throw AppError("The TTF's frequencies must increase.");
    const std::int32_t n = nps.n;
    if (n < 2 || nps.spectrum.size() != static_cast<std::size_t>(n) * static_cast<std::size_t>(n))
        throw AppError("The NPS is not a square grid of n x n values.");
    if (!sameSpacing(ttf.spacing, nps.spacingX) || !sameSpacing(ttf.spacing, nps.spacingY))
        throw AppError(
            "The TTF comes from images of %1 mm pixels, the NPS from %2 x %3 mm: both "
            "must come from images of one pixel spacing.",
            {significantText(ttf.spacing, 6), significantText(nps.spacingX, 6),
             significantText(nps.spacingY, 6)});

    const double radius = task.diameterMm / 2, pi = std::numbers::pi;
    const double area = pi * radius * radius;
    const double cyclesPerDegreePerCycleMm = eye.viewingDistanceMm * pi / 180 / eye.displayScale;
    const double c = eye.exponent / (2 * eye.peakCyclesPerDegree * eye.peakCyclesPerDegree);
    const double cell = 1 / (n * nps.spacingX) / (n * nps.spacingY);
    double signal = 0, noise = 0, signalEye = 0, noiseEye = 0, noiseSquares = 0, eyeSquares = 0;
    // The rings the detrend lowers, and the mean NPS of the next ones (square-pixel rings).
    const double ringStep = 1 / (n * std::max(nps.spacingX, nps.spacingY));
    double nextSum = 0, lowSignal = 0, lowNoise = 0;
    std::int32_t nextCount = 0;
    for (std::int32_t ky = 0; ky < n; ++ky)
        for (std::int32_t kx = 0; kx < n; ++kx) {
            const double fx = (kx < n / 2 ? kx : kx - n) / (n * nps.spacingX);
            const double fy = (ky < n / 2 ? ky : ky - n) / (n * nps.spacingY);
            const double f = std::hypot(fx, fy);
            const double x = 2 * pi * radius * f;
            const double shape = x == 0 ? 1 : 2 * std::cyl_bessel_j(1.0, x) / x;
            const double w = task.contrastHu * area * shape;
            const double t = ttfAt(ttf, f);
            const double wt = w * w * t * t * cell;
            const double rho = f * cyclesPerDegreePerCycleMm;
            const double e = rho == 0 ? 0 : std::pow(rho, eye.exponent) * std::exp(-c * rho * rho);
            const double power = nps.spectrum[static_cast<std::size_t>(ky) * n + kx];
            const double ring = f / ringStep;
            if (ring < 2.5) lowSignal += wt, lowNoise += wt * power;
            if (ring >= 2.5 && ring < 5.5) nextSum += power, ++nextCount;
            signal += wt;
            noise += wt * power;
            signalEye += wt * e * e;
            noiseEye += wt * power * e * e * e * e;
            noiseSquares += (wt * power) * (wt * power);
            eyeSquares += (wt * power * e * e * e * e) * (wt * power * e * e * e * e);
        }
    if (!(noise > 0) || !(noiseEye > 0))
        throw AppError("The NPS holds no noise where the task has signal; d' would be infinite.");
    Detectability d{signal / std::sqrt(noise), signalEye / std::sqrt(noiseEye), 0, 0, {}};
    if (nps.independentRois > 0) {
        d.npwRelativeSe = 0.5 * std::sqrt(2 * noiseSquares / nps.independentRois) / noise;
        d.npweRelativeSe = 0.5 * std::sqrt(2 * eyeSquares / nps.independentRois) / noiseEye;
    }
    if (nextCount > 0) {
        const double filledNoise = noise - lowNoise + lowSignal * nextSum / nextCount;
        const double filled = signal / std::sqrt(filledNoise);
        const double share = d.npw / filled - 1;
        if (share > kLowRingShare)
            d.flags.push_back(
                {kFlagLowRings,
                 fixedText(100 * share, 1) + " % of d' NPW rests on the rings below " +
                     significantText(2.5 * ringStep, 3) +
                     " c/mm, which the spectrum's detrend empties (with the next rings' level "
                     "there d' NPW would be " +
                     significantText(filled, 4) +
                     "): a larger ROI (--roi-size) puts fewer of the disk's frequencies there."});
    }
    if (std::max(d.npwRelativeSe, d.npweRelativeSe) > kMaxDprimeRelativeSe)
        d.flags.push_back(
            {kFlagDprimeImprecise, "The noise of the NPS moves d' NPW by ± " +
                                 fixedText(100 * d.npwRelativeSe, 1) + " % and d' NPWE by ± " +
                                 fixedText(100 * d.npweRelativeSe, 1) +
                                 " % (standard errors from its " +
                                 fixedText(nps.independentRois, 1) +
                                 " independent ROIs; flagged above " +
                                 fixedText(100 * kMaxDprimeRelativeSe, 1) +
                                 " %): combine more slices, or take a larger region."});
    return d;
}

}  // namespace ctiq::tasks
