#include "mtf/combined.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

#include "common/app_error.h"
#include "common/frequency_axis.h"
#include "common/number_text.h"
#include "common/sample_spread.h"

namespace ctiq {
namespace {

std::optional<double> spread(const std::vector<double>& values) {
    const SampleSpread s = sampleSpread(values);
    return s.spread ? std::optional<double>(s.sd) : std::nullopt;
}

}  // namespace

std::string combinedMtfText(const CombinedMtf& c) {
    std::string text = "Combined MTF\t" + std::to_string(c.images) + " images\r\n";
    text += "c/mm\tMTF\tSE\r\n";
    for (std::size_t k = 0; k < c.frequency.size(); ++k)
        text += fixedText(c.frequency[k], 4) + "\t" + fixedText(c.value[k], 4) + "\t" +
                fixedText(c.standardError[k], 4) + "\r\n";
    auto figure = [](const char* name, const std::optional<double>& value,
                     const std::optional<double>& spread, const char* unit) {
        std::string t = std::string(name) + " " + (value ? fixedText(*value, 3) : "–");
        if (value && spread) t += " ± " + fixedText(*spread, 3);
        return t + " " + unit;
    };
    text += figure("MTF50", c.summary.mtf50, c.mtf50Spread, "c/mm") + " · " +
            figure("MTF10", c.summary.mtf10, c.mtf10Spread, "c/mm") + " · " +
            figure("FWHM", c.summary.fwhm, c.fwhmSpread, "mm") + " (± the SD over the images)\r\n";
    return text;
}

double peakCentroid(const std::vector<double>& lsf) {
    if (lsf.empty()) throw AppError("The LSF is empty.");
    const std::size_t peak =
        static_cast<std::size_t>(std::max_element(lsf.begin(), lsf.end()) - lsf.begin());
    const double half = lsf[peak] / 2;
    if (!(lsf[peak] > 0)) throw AppError("The LSF has no peak above zero, so it has no centroid.");
    double sum = 0, moment = 0;
    for (std::size_t i = peak; i < lsf.size() && lsf[i] > half; ++i) {
        sum += lsf[i] - half;
        moment += static_cast<double>(i) * (lsf[i] - half);
    }
    for (std::size_t i = peak; i-- > 0 && lsf[i] > half;) {
        sum += lsf[i] - half;
        moment += static_cast<double>(i) * (lsf[i] - half);
    }
    return moment / sum;
}

namespace {

// An image's band sum less its far background, kept within the reach of its peak.
std::vector<double> backgroundFreeLsf(const MtfResult& r, double spacing, double reachFwhm) {
    const std::vector<double>& raw = r.raw;
    const std::size_t peak =
        static_cast<std::size_t>(std::max_element(r.lsf.begin(), r.lsf.end()) - r.lsf.begin());
    const double reach = std::max(reachFwhm * r.width / spacing, 3.0);
    double sum = 0;
    int count = 0;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (std::abs(static_cast<double>(i) - static_cast<double>(peak)) <= reach) continue;
        sum += raw[i];
        ++count;
    }
    if (count < 4)
        throw AppError(
            "The ROI leaves fewer than 4 samples farther than %1 FWHM from the point "
            "for its background: use a larger ROI.",
            {fixedText(reachFwhm, 0)});
    const double background = sum / count;
    std::vector<double> lsf(raw.size(), 0.0);
    for (std::size_t i = 0; i < raw.size(); ++i)
        if (std::abs(static_cast<double>(i) - static_cast<double>(peak)) <= reach)
            lsf[i] = raw[i] - background;
    return lsf;
}

// The FWHM of the averaged LSF, in samples, from the LSF between its samples: its transform's
// trigonometric interpolation on a grid of a twentieth of a sample around the peak (a linear
// interpolation of the samples overstates the width of a narrow LSF by several per cent).
double fineHalfWidth(const std::vector<std::complex<double>>& transform,
                     const std::vector<double>& lsf) {
    const std::size_t n = lsf.size();
    const double coarse = halfWidthSamples(lsf);
    const std::size_t peak =
        static_cast<std::size_t>(std::max_element(lsf.begin(), lsf.end()) - lsf.begin());
    constexpr double kStep = 0.05;
    const double reach = 2 * coarse + 2;
    std::vector<double> fine;
    for (double t = static_cast<double>(peak) - reach; t <= static_cast<double>(peak) + reach;
         t += kStep) {
        double x = 0;
        for (std::size_t k = 0; k < n; ++k) {
            // Signed frequencies, so the interpolant is the smoothest one; the real part takes
            // the Nyquist term of an even length as a cosine.
            const double signedK = k <= n / 2 ? static_cast<double>(k)
                                              : static_cast<double>(k) - static_cast<double>(n);
            const double turn = -2 * std::numbers::pi * signedK * t / static_cast<double>(n);
            x += (transform[k] * std::polar(1.0, turn)).real();
        }
        fine.push_back(x / static_cast<double>(n));
    }
    return halfWidthSamples(fine) * kStep;
}

// The shift (samples) of LSF b from LSF a, starting from `start`: the phase of b·conj(a) after
// undoing `start`, unwrapped bin by bin, fitted by 2πk·δ/N through zero.
double refinedShift(const Spectrum& a, const Spectrum& b, double start) {
    const std::size_t n = a.re.size();
    const double twoPi = 2 * std::numbers::pi;
    double numerator = 0, denominator = 0, previous = 0;
    for (std::size_t k = 1; k <= n / 2; ++k) {
        const std::complex<double> ta(a.re[k], a.im[k]), tb(b.re[k], b.im[k]);
        if (!(std::abs(ta) > 0.1 * a.re[0]) || !(std::abs(tb) > 0.1 * b.re[0])) break;
        const double turn = -twoPi * static_cast<double>(k) * start / static_cast<double>(n);
        double phase = std::arg(tb * std::conj(ta) * std::polar(1.0, turn));
        while (phase - previous > std::numbers::pi) phase -= twoPi;
        while (phase - previous < -std::numbers::pi) phase += twoPi;
        previous = phase;
        const double w = std::abs(ta) * std::abs(tb);
        const double x = twoPi * static_cast<double>(k) / static_cast<double>(n);
        numerator += w * x * phase;
        denominator += w * x * x;
    }
    return denominator > 0 ? start + numerator / denominator : start;
}

}  // namespace

double fineHalfWidthSamples(const std::vector<double>& lsf) {
    const std::size_t n = lsf.size();
    if (n == 0) return 0;
    // The angle depends only on k·m mod N: N turns, each as the sum's term computed it.
    std::vector<std::complex<double>> turns(n);
    for (std::size_t j = 0; j < n; ++j)
        turns[j] = std::polar(1.0, 2 * std::numbers::pi * static_cast<double>(j) /
                                       static_cast<double>(n));
    std::vector<std::complex<double>> transform(n);
    for (std::size_t k = 0; k < n; ++k)
        for (std::size_t m = 0; m < n; ++m) transform[k] += lsf[m] * turns[(k * m) % n];
    return fineHalfWidth(transform, lsf);
}

CombinedMtf combineMtf(const std::vector<MtfResult>& images, double spacing, double reachFwhm) {
    CombinedMtf c;
    if (images.empty()) throw AppError("No image to combine.");
    const std::size_t n = images[0].raw.size();
    for (const MtfResult& r : images)
        if (r.raw.size() != n)
            throw AppError(
                "The images' LSFs differ in length (%1 and %2 samples): a combined MTF "
                "needs ROIs of one size.",
                {std::to_string(n), std::to_string(r.raw.size())});
    if (n == 0) throw AppError("The LSF is empty.");
    c.images = static_cast<int>(images.size());
    std::vector<Spectrum> transforms;
    for (const MtfResult& r : images) {
        const std::vector<double> lsf = backgroundFreeLsf(r, spacing, reachFwhm);
        c.centroids.push_back(peakCentroid(lsf));
        transforms.push_back(discreteFourierTransform(lsf));
        if (!(transforms.back().re[0] > 0))
            throw AppError("An image's LSF has no positive area above its background.");
    }
    const double reference = c.centroids[0];
    // The half-maximum centroid of a narrow LSF moves with how the samples fall on it (a few
    // tenths of a sample at σ 0.85), and a misalignment widens the average. The shift left after
    // it is read from the slope of the transforms' phase difference, weighted by their
    // magnitudes, over the bins where both stand above a tenth of their area.
    for (std::size_t i = 1; i < images.size(); ++i)
        c.centroids[i] = reference + refinedShift(transforms[0], transforms[i],
                                                  c.centroids[i] - reference);

    // The transforms here are e^{+iθ} sums (re = Σ x cos θ, im = Σ x sin θ): moving an LSF by d
    // samples toward lower indices multiplies its transform by e^{-2πikd/N}.
    const double twoPi = 2 * std::numbers::pi;
    std::vector<std::complex<double>> sum(n);
    for (std::size_t i = 0; i < images.size(); ++i) {
        const Spectrum& s = transforms[i];
        const double area = s.re[0];
        const double d = c.centroids[i] - reference;
        for (std::size_t k = 0; k < n; ++k) {
            const std::complex<double> value(s.re[k] / area, s.im[k] / area);
            // Signed frequencies above N/2: the shifted transform stays that of a real LSF (with
            // k itself there, the averaged LSF came back with a sawtooth pedestal that widened
            // its FWHM by several per cent; the MTF up to N/2 is the same either way).
            const double signedK = k <= n / 2 ? static_cast<double>(k)
                                              : static_cast<double>(k) - static_cast<double>(n);
            const double turn = -twoPi * signedK * d / static_cast<double>(n);
            sum[k] += value * std::polar(1.0, turn);
        }
    }
    const double count = static_cast<double>(images.size());
    for (auto& v : sum) v /= count;

    // The averaged LSF, back from its transform (the inverse of the e^{+iθ} sums).
    std::vector<std::complex<double>> turns(n);  // by k·m mod N, the only thing the angle needs
    for (std::size_t j = 0; j < n; ++j)
        turns[j] = std::polar(1.0, -twoPi * static_cast<double>(j) / static_cast<double>(n));
    c.lsf.assign(n, 0.0);
    for (std::size_t m = 0; m < n; ++m) {
        double x = 0;
        for (std::size_t k = 0; k < n; ++k) x += (sum[k] * turns[(k * m) % n]).real();
        c.lsf[m] = x / static_cast<double>(n);
    }

    // Each image's own MTF (as today's single-image method gives it) for the standard error.
    std::vector<MtfCurve> own;
    for (const MtfResult& r : images) own.push_back(mtfCurve(r.mtfAbs, spacing));
    for (std::size_t k = 0; k <= n / 2; ++k) {
        c.frequency.push_back(static_cast<double>(
            binFrequency(static_cast<std::int64_t>(k), static_cast<std::int64_t>(n), spacing)));
        c.value.push_back(std::abs(sum[k]) / std::abs(sum[0]));
        std::vector<double> at;
        for (const MtfCurve& curve : own)
            if (k < curve.value.size()) at.push_back(curve.value[k]);
        c.standardError.push_back(sampleSpread(at).standardError);
    }

    c.summary.mtf50 = frequencyAtLevel(c.frequency, c.value, 0.5);
    c.summary.mtf10 = frequencyAtLevel(c.frequency, c.value, 0.1);
    c.summary.fwhm = spacing * fineHalfWidth(sum, c.lsf);
    std::vector<double> mtf50s, mtf10s, fwhms;
    for (const MtfResult& r : images) {
        const double fine = r.fineWidthSamples ? *r.fineWidthSamples : fineHalfWidthSamples(r.lsf);
        const MtfSummary s = summarizeMtf(r.mtfAbs, spacing, spacing * fine);
        if (s.mtf50) mtf50s.push_back(*s.mtf50);
        if (s.mtf10) mtf10s.push_back(*s.mtf10);
        fwhms.push_back(s.fwhm);
    }
    c.mtf50Spread = spread(mtf50s);
    c.mtf10Spread = spread(mtf10s);
    c.fwhmSpread = spread(fwhms);
    return c;
}

}  // namespace ctiq

namespace ctiq {

QualityFlags combinedMtfFlags(const std::vector<MtfResult>& images, const CombinedMtf& c,
                              double spacing) {
    QualityFlags flags = mtfCurveFlags(c.frequency, c.value, c.standardError, c.summary.mtf10);
    const double root = std::sqrt(static_cast<double>(std::max(c.images, 1)));
    auto over = [&](const std::optional<double>& spread) {
        return spread ? std::optional<double>(*spread / root) : std::nullopt;
    };
    const QualityFlags precision =
        precisionFlags(c.summary.mtf50, over(c.mtf50Spread), c.summary.mtf10, over(c.mtf10Spread),
                       "the images' spread / √" + std::to_string(c.images));
    flags.insert(flags.end(), precision.begin(), precision.end());
    const QualityFlags nyquist = nyquistFlags(c.summary.mtf10, spacing);
    flags.insert(flags.end(), nyquist.begin(), nyquist.end());
    // The same images with the widest reach the ROI holds.
    for (double wider : kWiderReachesFwhm) {
        CombinedMtf w;
        try {
            w = combineMtf(images, spacing, wider);
        } catch (const AppError&) {
            continue;
        }
        const QualityFlags tails = reachFlags(c.summary, w.summary, kCombinedReachFwhm, wider);
        flags.insert(flags.end(), tails.begin(), tails.end());
        break;
    }
    return flags;
}

QualityFlags reachFlags(const MtfSummary& kept, const MtfSummary& wider, double keptReach,
                        double widerReach, double noise50, double noise10) {
    auto moved = [](const std::optional<double>& a, const std::optional<double>& b,
                    double limit) {
        if (!a || !b) return a.has_value() != b.has_value();
        return std::abs(*a - *b) > limit * *b;
    };
    QualityFlags flags;
    if (moved(kept.mtf50, wider.mtf50, std::max(kMaxReachChangeMtf50, 2 * noise50)) ||
        moved(kept.mtf10, wider.mtf10, std::max(kMaxReachChangeMtf10, 2 * noise10))) {
        auto text = [](const std::optional<double>& f) {
            return f ? fixedText(*f, 3) + " c/mm" : std::string("–");
        };
        flags.push_back(
            {"mtf-tails-matter",
             "MTF50 " + text(kept.mtf50) + " and MTF10 " + text(kept.mtf10) + " become " +
                 text(wider.mtf50) + " and " + text(wider.mtf10) + " when the LSF is kept to " +
                 fixedText(widerReach, 1) + " FWHM instead of " +
                 (keptReach > 0 ? fixedText(keptReach, 1) + " FWHM" : "cut at its valleys") +
                 ": its tails (or a background trend) carry part of the MTF, so the figures "
                 "depend on the ROI size. Use a larger ROI, check the background."});
    }
    return flags;
}

std::optional<MtfSummary> reachSummary(const MtfResult& r, double spacing, double reachFwhm) {
    std::vector<double> lsf;
    try {
        lsf = backgroundFreeLsf(r, spacing, reachFwhm);
    } catch (const AppError&) {
        return std::nullopt;
    }
    const std::vector<double> abs = magnitude(discreteFourierTransform(lsf));
    if (abs.empty() || !(abs[0] > 0)) return std::nullopt;
    return summarizeMtf(abs, spacing, 0);
}

}  // namespace ctiq
