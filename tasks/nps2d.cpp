#include "tasks/nps2d.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <string>

#include "common/app_error.h"
#include "common/locale_free_text.h"
#include "common/spectrum_peak.h"
#include "tasks/fft_plans.h"

namespace ctiq::tasks {
namespace {

PixelRegion regionFor(const ImageView& image, const Nps2dParameters& p) {
    if (p.region) return *p.region;
    const std::int32_t w = std::min(256, image.columns), h = std::min(256, image.rows);
    return {image.columns / 2 - w / 2, image.rows / 2 - h / 2, w, h};
}

void checkParameters(const ImageView& image, const PixelRegion& r, std::int32_t n,
                     std::int32_t step) {
    if (n < 8 || n % 2 != 0)
        throw AppError("The ROI size is %1; it must be an even number of at least 8 pixels.",
                       {std::to_string(n)});
    if (step < 1)
        throw AppError("The grid step is %1; it must be at least 1.", {std::to_string(step)});
    if (r.width < 1 || r.height < 1 || r.x < 0 || r.y < 0 || r.x > image.columns - r.width ||
        r.y > image.rows - r.height)
        throw AppError(
            "The region %1 x %2 at (%3, %4) does not lie inside the image of %5 x %6 "
            "pixels.",
            {std::to_string(r.width), std::to_string(r.height), std::to_string(r.x),
             std::to_string(r.y), std::to_string(image.columns), std::to_string(image.rows)});
    if (r.width < n || r.height < n)
        throw AppError("The region %1 x %2 is smaller than one ROI of %3 x %3 pixels.",
                       {std::to_string(r.width), std::to_string(r.height), std::to_string(n)});
}

// The region of the ROIs, refused (AppError) with the parameters before anything is computed.
PixelRegion checkedRegion(const ImageView& image, const Nps2dParameters& p) {
    const std::int32_t n = p.roiSize;
    const PixelRegion region = regionFor(image, p);
    checkParameters(image, region, n, p.gridStep == 0 ? n / 2 : p.gridStep);
    return region;
}

// Signed transform index as numpy.fft.fftfreq orders it.
std::int32_t signedIndex(std::int32_t k, std::int32_t n) {
    return k < n / 2 ? k : k - n;
}

// Where each point of the stored half plane goes in the radial average, and how many points of
// the full grid it stands for: columns 1 … n/2 - 1 also stand for their mirrors, columns 0 and
// n/2 hold their mirrors themselves.
struct HalfPlaneRings {
    std::vector<std::int32_t> bin;
    std::vector<double> weight;
    std::vector<double> count;  // full-grid points per ring
};

HalfPlaneRings ringsFor(std::int32_t n, double dx, double dy, double d) {
    const std::int32_t columns = n / 2 + 1;
    HalfPlaneRings rings;
    rings.bin.resize(static_cast<std::size_t>(n) * columns);
    rings.weight.resize(rings.bin.size());
    const double stepX = 1.0 / (n * dx), stepY = 1.0 / (n * dy);
    std::int32_t last = 0;
    for (std::int32_t ky = 0; ky < n; ++ky)
        for (std::int32_t kx = 0; kx < columns; ++kx) {
            // √(fx² + fy²) rather than hypot (ten times slower): the two differ in the last bit
            // at most, and |f| n Δ never comes that close to a half-integer (for square pixels
            // it is √(kx² + ky²), at least 1 / (4k) away).
            const double fx = signedIndex(kx, n) * stepX, fy = signedIndex(ky, n) * stepY;
            const double f = std::sqrt(fx * fx + fy * fy);
            const auto b = static_cast<std::int32_t>(std::rint(f * n * d));
            const std::size_t i = static_cast<std::size_t>(ky) * columns + kx;
            rings.bin[i] = b;
            rings.weight[i] = (kx == 0 || kx == n / 2) ? 1 : 2;
            last = std::max(last, b);
        }
    rings.count.assign(static_cast<std::size_t>(last) + 1, 0);
    for (std::size_t i = 0; i < rings.bin.size(); ++i) rings.count[rings.bin[i]] += rings.weight[i];
    return rings;
}

// K² / Σ ρ² over the pairs of ROIs of one slice (ρ: the share of pixels two ROIs have in
// common, whose powers then correlate by ρ²), times the slices: the independent ROIs.
double independentRois(const PixelRegion& region, std::int32_t n, std::int32_t step,
                       std::int32_t slices) {
    const std::int32_t across = (region.width - n) / step + 1, down = (region.height - n) / step + 1;
    auto overlap = [&](std::int32_t cells, std::int32_t count) {
        double sum = 0;  // Σ over ordered pairs along one axis of ((n − |shift|) / n)²
        for (std::int32_t a = 0; a < count; ++a)
            for (std::int32_t b = 0; b < count; ++b) {
                const std::int64_t shift = std::int64_t{std::abs(a - b)} * step;
                if (shift < cells) {
                    const double share = static_cast<double>(cells - shift) / cells;
                    sum += share * share;
                }
            }
        return sum;
    };
    const double rois = static_cast<double>(across) * down;
    return slices * rois * rois / (overlap(n, across) * overlap(n, down));
}

// The peak and the mean frequency of the radial profile at or below the Nyquist frequency.
// Mean: ∫ f·NPS df / ∫ NPS df by the trapezoid over 0 … Nyquist, each ring divided by the share of
// a white noise the detrend keeps there; the rings it empties below kMinKeptShare (0 and 1 under a
// plane or quadratic fit) take the first ring above's value. The plain Σ f·NPS / Σ NPS over the
// rings read white noise 2/n high and, with the rings the detrend empties, low-pass noise up to
// 10 % high; and from the rings less the leakage of the ROI's edges (leakageCorrectedRings). Peak:
// SpectrumPeak over the rings from ring 1 on.
// Each ring's SE, NPS / √(independent ROIs · samples / 2) (the samples come in mirrored pairs),
// gives the figures' standard errors and the flags.
// The rings of 2P − P ⊛ K: the spectrum less the leakage of the ROI's edges, estimated by leaking
// the measured spectrum once more. An unwindowed ROI's periodogram is the spectrum seen through
// the Fejér kernel sin²(πu) / (n² sin²(πu/n)) along each axis (u in grid steps); over a grid step
// about each offset m ≠ 0 it averages about 1/(2π²m²) and carries a spectrum's low frequencies
// out to the rings near Nyquist: (¼, ½, ¼) low-pass noise in a 64-pixel ROI reads 1.4–4.9 times
// its spectrum above 0.8 Nyquist and its mean frequency 1.6 % high. Leaking it once more moves it
// about as far again; the difference takes that back (within 0.3 % in the sweep).
std::vector<double> leakageCorrectedRings(const Nps2dResult& r, std::size_t rings, double d) {
    const std::int32_t n = r.roiSize;
    std::vector<double> kernel(static_cast<std::size_t>(n), 0.0);
    constexpr int kSteps = 64;
    for (std::int32_t k = 0; k < n; ++k) {
        const double m = k <= n / 2 ? k : k - n;
        double sum = 0;
        for (int i = 0; i < kSteps; ++i) {
            const double u = m - 0.5 + (i + 0.5) / kSteps;
            const double below = std::sin(std::numbers::pi * u / n);
            const double above = std::sin(std::numbers::pi * u);
            sum += std::abs(below) < 1e-12 ? 1.0 : above * above / (n * n * below * below);
        }
        kernel[static_cast<std::size_t>(k)] = sum / kSteps;
    }
    // P ⊛ K, circular, along the rows and then the columns.
    const std::size_t size = static_cast<std::size_t>(n) * n;
    std::vector<double> rows(size, 0.0), both(size, 0.0);
    for (std::int32_t y = 0; y < n; ++y)
        for (std::int32_t x = 0; x < n; ++x) {
            double sum = 0;
            for (std::int32_t k = 0; k < n; ++k)
                sum += kernel[static_cast<std::size_t>(k)] *
                       r.spectrum[static_cast<std::size_t>(y) * n + (x - k + n) % n];
            rows[static_cast<std::size_t>(y) * n + x] = sum;
        }
    for (std::int32_t y = 0; y < n; ++y)
        for (std::int32_t x = 0; x < n; ++x) {
            double sum = 0;
            for (std::int32_t k = 0; k < n; ++k)
                sum += kernel[static_cast<std::size_t>(k)] *
                       rows[static_cast<std::size_t>((y - k + n) % n) * n + x];
            both[static_cast<std::size_t>(y) * n + x] = sum;
        }
    std::vector<double> ring(rings, 0.0), count(rings, 0.0);
    for (std::int32_t ky = 0; ky < n; ++ky)
        for (std::int32_t kx = 0; kx < n; ++kx) {
            const double fx = r.frequencyX(kx), fy = r.frequencyY(ky);
            const auto b = static_cast<std::size_t>(std::rint(std::sqrt(fx * fx + fy * fy) * n * d));
            if (b >= rings) continue;
            const std::size_t i = static_cast<std::size_t>(ky) * n + kx;
            ring[b] += 2 * r.spectrum[i] - both[i];
            count[b] += 1;
        }
    for (std::size_t b = 0; b < rings; ++b)
        ring[b] = count[b] > 0 ? ring[b] / count[b] : std::numeric_limits<double>::quiet_NaN();
    return ring;
}

// Each ROI's own ring sums of |X|² (rois × bins), for the figures' scatter over the ROIs.
struct RoiRings {
    const std::vector<double>& sums;
    std::size_t bins;
    const std::vector<double>& count;  // grid points per ring
    double scale;                      // Δx Δy / n²
};

void summarizeRings(Nps2dResult& r, const std::vector<double>& kept, double independent,
                    double d, const RoiRings& rois) {
    std::vector<double> frequency, value, error;
    for (const RadialBin& b : r.radial) {
        if (b.frequency > r.nyquist) break;
        frequency.push_back(b.frequency);
        value.push_back(b.samples == 0 ? std::numeric_limits<double>::quiet_NaN() : b.value);
        error.push_back(b.samples == 0 ? std::numeric_limits<double>::quiet_NaN()
                                       : b.value / std::sqrt(independent * b.samples / 2));
    }
    const std::size_t last = frequency.size() - 1;
    if (last >= 1) {
        const SpectrumPeak peak = spectrumPeak(frequency, value, error, 1, last);
        r.peakFrequency = peak.frequency;
        r.peakFrequencyRelativeSe = peak.frequency > 0 ? peak.standardError / peak.frequency : 0;
        // Flat from the first ring the detrend keeps on (white noise): no peak to speak of.
        std::size_t kept0 = 1;
        while (kept0 < last && kept[kept0] < kMinKeptShare) ++kept0;
        if (spectrumPeak(frequency, value, {}, kept0, last).flat) r.peakFrequencyRelativeSe = 0;
    }
    // The mean frequency from the rings less the leakage (the peak, where the spectrum is
    // largest, hardly has any).
    const std::vector<double> unleaked = leakageCorrectedRings(r, value.size(), d);
    for (std::size_t b = 0; b < value.size(); ++b)
        if (!std::isnan(value[b]) && value[b] > 0) {
            error[b] *= std::abs(unleaked[b]) / value[b];
            value[b] = unleaked[b];
        }
    std::size_t first = 0;
    while (first < last && (std::isnan(value[first]) || kept[first] < kMinKeptShare)) ++first;
    std::vector<double> corrected(value.size()), weight(value.size()), se(value.size());
    double mass = 0, moment = 0;
    for (std::size_t b = 0; b <= last; ++b) {
        const std::size_t from = std::max(b, first);
        corrected[b] = value[from] / kept[from];
        se[b] = error[from] / kept[from];
        weight[b] = (b == 0 || b == last) ? 0.5 : 1;
        if (std::isnan(corrected[b])) continue;
        mass += weight[b] * corrected[b];
        moment += weight[b] * frequency[b] * corrected[b];
    }
    if (!(mass > 0)) return;
    r.meanFrequency = moment / mass;
    // d mean / d ring: the rings below `first` are ring `first` again.
    std::vector<double> gradient(value.size(), 0.0);
    for (std::size_t b = 0; b <= last; ++b)
        if (!std::isnan(corrected[b]))
            gradient[std::max(b, first)] += weight[b] * (frequency[b] - r.meanFrequency) / mass;
    double variance = 0;
    for (std::size_t b = first; b <= last; ++b)
        if (!std::isnan(se[b])) variance += gradient[b] * gradient[b] * se[b] * se[b];
    // The same from the ROIs' own rings: their scatter holds what the rings share (an ROI's low
    // frequencies moving its whole profile), which the rings' separate errors miss — low-pass
    // noise's mean frequency scatters twice as far as they say. The larger of the two.
    if (r.rois > 1) {
        std::vector<double> residual;
        for (std::int32_t i = 0; i < r.rois; ++i) {
            double e = 0;
            for (std::size_t b = first; b <= last; ++b)
                if (gradient[b] != 0 && rois.count[b] > 0)
                    e += gradient[b] / kept[b] * rois.sums[static_cast<std::size_t>(i) * rois.bins + b] *
                         rois.scale / rois.count[b];
            residual.push_back(e);
        }
        double mean = 0, squares = 0;
        for (double e : residual) mean += e / r.rois;
        for (double e : residual) squares += (e - mean) * (e - mean);
        variance = std::max(variance, squares / (r.rois - 1) / independent);
    }
    r.meanFrequencyRelativeSe = r.meanFrequency > 0 ? std::sqrt(variance) / r.meanFrequency : 0;
}

}  // namespace

double Nps2dResult::frequencyX(std::int32_t k) const {
    return signedIndex(k, roiSize) / (roiSize * spacingX);
}

double Nps2dResult::frequencyY(std::int32_t k) const {
    return signedIndex(k, roiSize) / (roiSize * spacingY);
}

std::vector<double> Nps2dResult::shifted() const {
    const std::int32_t n = roiSize;
    std::vector<double> out(spectrum.size());
    for (std::int32_t ky = 0; ky < n; ++ky)
        for (std::int32_t kx = 0; kx < n; ++kx)
            out[static_cast<std::size_t>((ky + n / 2) % n) * n + (kx + n / 2) % n] =
                spectrum[static_cast<std::size_t>(ky) * n + kx];
    return out;
}

// What the ROIs leave behind: the plans and buffers made at the first slice, and the sums.
struct Nps2dEnsemble::Sums {
    Sums(const ImageView& first, const Nps2dParameters& p)
        : geometry{{}, first.columns, first.rows, first.spacingX, first.spacingY},
          n(p.roiSize),
          step(p.gridStep == 0 ? n / 2 : p.gridStep),
          region(checkedRegion(first, p)),
          dx(first.spacingX),
          dy(first.spacingY),
          d(std::max(dx, dy)),
          columns(n / 2 + 1),
          half(static_cast<std::size_t>(n) * columns),
          rings(ringsFor(n, dx, dy, d)),
          bins(rings.count.size()),
          fft(n),
          fit(n, p.detrend),
          sum(half, 0.0),
          dof(static_cast<double>(n) * n - fit.parameters()) {}

    const ImageView geometry;  // the first slice's size and spacing, without its samples
    const std::int32_t n, step;
    const PixelRegion region;
    const double dx, dy, d;
    const std::int32_t columns;
    const std::size_t half;
    const HalfPlaneRings rings;
    const std::size_t bins;
    RealFft2d fft;
    SurfaceFit fit;
    std::vector<double> sum;
    std::vector<double> profiles;  // rois × bins: each ROI's own ring sums of |X|²
    std::vector<double> means;
    double sdSum = 0, rawSdSum = 0;
    const double dof;
};

Nps2dEnsemble::Nps2dEnsemble(const Nps2dParameters& parameters) : p_(parameters) {}

Nps2dEnsemble::~Nps2dEnsemble() = default;

void Nps2dEnsemble::add(const ImageView& image) {
    requireValidImage(image, static_cast<std::size_t>(slices_) + 1);
    if (sums_)
        requireSameGeometryAs(sums_->geometry, image, static_cast<std::size_t>(slices_) + 1);
    else
        sums_ = std::make_unique<Sums>(image, p_);
    Sums& s = *sums_;
    const std::int32_t n = s.n;
    const PixelRegion& region = s.region;
    for (std::int32_t top = region.y; top <= region.y + region.height - n; top += s.step)
        for (std::int32_t left = region.x; left <= region.x + region.width - n; left += s.step) {
            double* roi = s.fft.input();
            for (std::int32_t y = 0; y < n; ++y)
                std::copy_n(&image.samples[static_cast<std::size_t>(top + y) * image.columns +
                                           static_cast<std::size_t>(left)],
                            n, roi + static_cast<std::size_t>(y) * n);
            double roiSum = 0, squares = 0;
            for (std::size_t i = 0; i < static_cast<std::size_t>(n) * n; ++i) roiSum += roi[i];
            const double roiMean = roiSum / (static_cast<double>(n) * n);
            for (std::size_t i = 0; i < static_cast<std::size_t>(n) * n; ++i)
                squares += (roi[i] - roiMean) * (roi[i] - roiMean);
            s.rawSdSum += std::sqrt(squares / (static_cast<double>(n) * n - 1));
            const SurfaceFit::Removed removed = s.fit.removeFrom(roi);
            s.means.push_back(removed.mean);
            s.sdSum += std::sqrt(removed.sumOfSquares / s.dof);
            s.fft.execute();
            const std::complex<double>* out = s.fft.output();
            const std::size_t at = s.profiles.size();
            s.profiles.resize(at + s.bins, 0.0);
            for (std::size_t i = 0; i < s.half; ++i) {
                const double power = std::norm(out[i]);
                s.sum[i] += power;
                s.profiles[at + s.rings.bin[i]] += s.rings.weight[i] * power;
            }
        }
    ++slices_;
}

Nps2dResult computeNps2d(std::span<const ImageView> images, const Nps2dParameters& p) {
    requireSameGeometry(images);
    Nps2dEnsemble ensemble(p);
    for (const ImageView& image : images) ensemble.add(image);
    return ensemble.result();
}

Nps2dResult Nps2dEnsemble::result() const {
    if (!sums_) throw AppError("No image was given.");
    const Sums& s = *sums_;
    const std::int32_t n = s.n, columns = s.columns;
    const std::size_t half = s.half, bins = s.bins;
    const double dx = s.dx, dy = s.dy, d = s.d;
    const HalfPlaneRings& rings = s.rings;
    const std::vector<double>& sum = s.sum;
    const std::vector<double>& profiles = s.profiles;
    const std::vector<double>& means = s.means;
    const double sdSum = s.sdSum, rawSdSum = s.rawSdSum;

    Nps2dResult r;
    r.roiSize = n;
    r.spacingX = dx;
    r.spacingY = dy;
    r.rois = static_cast<std::int32_t>(means.size());
    const double scale = dx * dy / (static_cast<double>(n) * n);
    const double perRoi = scale / r.rois;

    r.spectrum.resize(static_cast<std::size_t>(n) * n);
    for (std::int32_t ky = 0; ky < n; ++ky)
        for (std::int32_t kx = 0; kx < n; ++kx) {
            // Columns past n/2 are the mirrors of the stored half plane.
            const std::size_t i = kx < columns ? static_cast<std::size_t>(ky) * columns + kx
                                               : static_cast<std::size_t>((n - ky) % n) * columns +
                                                     static_cast<std::size_t>(n - kx);
            r.spectrum[static_cast<std::size_t>(ky) * n + kx] = sum[i] * perRoi;
        }

    // The share of each ring a locally white noise keeps through the detrend, and the number of
    // independent ROIs the overlapping ones amount to (for the figures' standard errors).
    std::vector<double> kept(bins, 0.0);
    for (std::int32_t ky = 0; ky < n; ++ky)
        for (std::int32_t kx = 0; kx < columns; ++kx) {
            const std::size_t i = static_cast<std::size_t>(ky) * columns + kx;
            kept[rings.bin[i]] += rings.weight[i] * (1 - s.fit.removedShare(kx, ky));
        }
    for (std::size_t b = 0; b < bins; ++b)
        if (rings.count[b] > 0) kept[b] /= rings.count[b];
    const double independent =
        independentRois(s.region, n, s.step, static_cast<std::int32_t>(slices_));

    std::vector<double> ring(bins, 0.0);
    double total = 0;
    for (std::size_t i = 0; i < half; ++i) {
        ring[rings.bin[i]] += rings.weight[i] * sum[i];
        total += rings.weight[i] * sum[i];
    }
    r.radial.resize(bins);
    for (std::size_t b = 0; b < bins; ++b) {
        RadialBin& out = r.radial[b];
        out.frequency = static_cast<double>(b) / (n * d);
        out.samples = static_cast<std::int32_t>(rings.count[b]);
        if (rings.count[b] == 0) {  // only where the spacings differ
            out.value = out.standardError = std::numeric_limits<double>::quiet_NaN();
            continue;
        }
        out.value = ring[b] * perRoi / rings.count[b];
        double scatter = 0;
        for (std::int32_t k = 0; k < r.rois; ++k) {
            const double v =
                profiles[static_cast<std::size_t>(k) * bins + b] * scale / rings.count[b];
            scatter += (v - out.value) * (v - out.value);
        }
        out.standardError = r.rois > 1 ? std::sqrt(scatter / (r.rois - 1) / r.rois)
                                       : std::numeric_limits<double>::quiet_NaN();
    }

    r.nyquist = 1 / (2 * d);
    r.sdFromSpectrum = std::sqrt(total * perRoi / ((n * dx) * (n * dy)));
    r.meanRoiSd = sdSum / r.rois;
    r.rawRoiSd = rawSdSum / r.rois;
    r.independentRois = independent;
    summarizeRings(r, kept, independent, d, {profiles, bins, rings.count, scale});

    // A stationary noise moves the mean of n² pixels by about σ/n; a shading small against the
    // noise moves it by less than σ. ROI means a whole pixel SD apart are different materials.
    const auto [lowest, highest] = std::minmax_element(means.begin(), means.end());
    if (*highest - *lowest > r.meanRoiSd)
        r.flags.push_back({kFlagNonUniformRegion,
                           "The ROI means differ by " + significantText(*highest - *lowest, 3) +
                               " HU, more than the pixel noise (" +
                               significantText(r.meanRoiSd, 3) +
                               " HU): the region is not one uniform material."});

    // Rings 1 and 2 against rings 3 … 6 (all below the Nyquist frequency for n ≥ 16). A region
    // of more than one material is flagged as such already.
    if (r.flags.empty() && bins > 6 && 6 / (n * d) <= r.nyquist) {
        double next = 0;
        for (std::size_t b = 3; b <= 6; ++b) next += r.radial[b].value / 4;
        const RadialBin& low = r.radial[1].value >= r.radial[2].value ? r.radial[1] : r.radial[2];
        const double error = std::isnan(low.standardError) ? 0 : low.standardError;
        const double share =
            r.meanRoiSd > 0 ? r.rawRoiSd * r.rawRoiSd / (r.meanRoiSd * r.meanRoiSd) - 1 : 0;
        if (next > 0 && low.value > kLowRingStep * next && low.value - next > 3 * error)
            r.flags.push_back(
                {kFlagShading, "The spectrum at " + significantText(low.frequency, 3) +
                                   " c/mm stands " + fixedText(low.value / next, 1) +
                                   " times above the next rings: shading the detrend leaves, not "
                                   "noise; the peak and the low frequencies are not the noise's."});
        else if (share > kTrendVarianceShare)
            r.flags.push_back(
                {kFlagShading, "The fitted surfaces carry " + fixedText(100 * share, 1) +
                                   " % of the noise variance (ROI SD " +
                                   significantText(r.rawRoiSd, 3) + " HU before the detrend, " +
                                   significantText(r.meanRoiSd, 3) +
                                   " HU after): shading, or noise so low-pass that the detrend "
                                   "takes part of it; the low frequencies are not the noise's."});
    }
    // A region of more than one material has no noise figures to be precise about (flagged
    // already, as the shading is not beside it).
    const bool oneMaterial = std::none_of(r.flags.begin(), r.flags.end(), [](const QualityFlag& f) {
        return f.code == kFlagNonUniformRegion;
    });
    if (oneMaterial && r.meanFrequencyRelativeSe > kMaxMeanFrequencyRelativeSe)
        r.flags.push_back(
            {kFlagImprecise, "The noise of the spectrum moves the mean frequency (" +
                                 fixedText(r.meanFrequency, 3) + " c/mm) by ± " +
                                 fixedText(100 * r.meanFrequencyRelativeSe, 1) +
                                 " % (standard error; flagged above " +
                                 fixedText(100 * kMaxMeanFrequencyRelativeSe, 1) +
                                 " %): combine more slices, or take a larger region."});
    if (oneMaterial && r.peakFrequency > 0 && r.peakFrequencyRelativeSe > kMaxPeakRelativeSe)
        r.flags.push_back({kFlagPeakImprecise, peakImpreciseText(r.peakFrequency,
                                                                 r.peakFrequencyRelativeSe,
                                                                 kMaxPeakRelativeSe)});
    return r;
}

}  // namespace ctiq::tasks
