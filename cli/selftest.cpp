#include "cli/selftest.h"

#include <QTemporaryDir>
#include <cmath>
#include <numbers>
#include <sstream>

#include "cli/phantom.h"
#include "common/frequency_axis.h"
#include "common/number_text.h"
#include "image/roi_block.h"
#include "load/headless_load.h"
#include "mtf/lsf.h"
#include "mtf/roi_table.h"
#include "mtf/table_analysis.h"
#include "viewer/load_placement.h"
#include "viewer/render.h"
#include "viewer/roi_statistics.h"
#include "wiener/spectrum.h"

namespace ctiq::cli {
namespace {

constexpr double kPi = std::numbers::pi;

class Report {
  public:
    explicit Report(std::ostream& out) : out_(out) {
        out_ << "check\tmeasured\texpected\ttolerance\tresult\n";
    }
    void check(const std::string& name, double measured, double expected, double tolerance) {
        const bool pass = std::abs(measured - expected) <= tolerance;
        failures_ += pass ? 0 : 1;
        out_ << name << "\t" << FloatToStr(measured) << "\t" << FloatToStr(expected) << "\t"
             << FloatToStr(tolerance) << "\t" << (pass ? "PASS" : "FAIL") << "\n";
    }
    int failures() const { return failures_; }

  private:
    std::ostream& out_;
    int failures_ = 0;
};

struct Measured {
    LoadedImage image;
    RoiPlacement roi;
};

// Loads as the viewer does and places a centred ROI as after a load.
Measured loadWithRoi(const std::string& path, std::int32_t roiSize) {
    Measured m{loadImageHeadless(path, LoadMode::Word16, {}), {}};
    m.roi = placeRoi(m.image.layout, m.image.layout.columns / 2, m.image.layout.rows / 2, roiSize,
                     roiSize);
    return m;
}

SpectrumResult spectrumOf(const Measured& m, DataWindow window) {
    const SpectrumImage source = spectrumSource(m.image.bytes, m.image.layout, m.image.valueRule(),
                                                m.roi.imageLeft, m.roi.imageTop);
    const SpectrumParameters p =
        defaultSpectrumParameters(m.roi.block.nc, m.roi.block.nr,
                                  static_cast<double>(StrToFloat(m.image.spacingText)), window);
    return computeWienerSpectrum(source, p);
}

// Mean of f(k) over the spectrum bins between `from` and `to` of the Nyquist frequency.
template <class F>
double bandMean(const SpectrumResult& r, double from, double to, F f) {
    const int half = r.segmentLength / 2;
    double sum = 0;
    int count = 0;
    for (int k = 1; k <= half; ++k) {
        const double fraction = static_cast<double>(k) / half;
        if (fraction >= from && fraction <= to) {
            sum += f(k);
            ++count;
        }
    }
    return sum / count;
}

double hammingPowerFactor(int n) {
    double weights = 0, squares = 0;
    for (int t = 0; t < n; ++t) {
        const double w = 0.54 - 0.46 * std::cos(6.2831852 * t / (n - 1));
        weights += w;
        squares += w * w;
    }
    const double g = (n - 1) / weights;
    return g * g * squares / n;
}

}  // namespace

int runSelftest(std::ostream& out) {
    QTemporaryDir folder;
    const std::string dir = folder.path().toStdString() + "/";
    Report report(out);
    const double spacing = 0.5, sigmaNoise = 20;

    // MTF of a point-sampled Gaussian spot: exp(-2π²σ²f²), σ in mm.
    PhantomSpec point;
    point.kind = "point";
    point.centreX = 128.3;
    point.centreY = 127.6;
    point.sd = 0;
    const Measured spot = loadWithRoi(writePhantom(dir + "point", point, false), 64);
    requireBlockInside(spot.roi.block, spot.image.layout, spot.image.bytes.size());
    const PixelTable table = roiPixelTable(spot.image.bytes.data(), spot.image.layout,
                                           spot.roi.block, spot.roi.frame, spot.image.valueRule());
    const MtfResult mtf = computeMtf(table, LsfDirection::X, tableMaximum(table), 24, 1, spacing);
    const double sigmaMm = point.sigma * spacing;
    const int n = static_cast<int>(mtf.mtfAbs.size());
    for (int k = 4; k <= n / 4; k += 4) {
        const double f = static_cast<double>(binFrequency(k, n, spacing));
        report.check("MTF at " + FloatToStr(f) + " c/mm (point, sigma 0.6 mm)",
                     mtf.mtfAbs[k] / mtf.mtfAbs[0],
                     std::exp(-2 * kPi * kPi * sigmaMm * sigmaMm * f * f), 0.01);
    }
    report.check("FWHM of the LSF, mm (2.3548 sigma)", mtf.width, 2.3548 * sigmaMm,
                 0.05 * 2.3548 * sigmaMm);

    // A spot that is not separable, exp(-r/b): its LSF-based MTF is the 2-D transform along one
    // axis, (1 + (2πbf)²)^(-3/2) — right only when each line of the band enters once.
    PhantomSpec cusp = point;
    cusp.profile = "exponential";
    cusp.sigma = 1.5;
    const Measured exponential = loadWithRoi(writePhantom(dir + "cusp", cusp, false), 64);
    requireBlockInside(exponential.roi.block, exponential.image.layout,
                       exponential.image.bytes.size());
    const PixelTable cuspTable =
        roiPixelTable(exponential.image.bytes.data(), exponential.image.layout,
                      exponential.roi.block, exponential.roi.frame, exponential.image.valueRule());
    const MtfResult cuspMtf =
        computeMtf(cuspTable, LsfDirection::X, tableMaximum(cuspTable), 24, 1, spacing);
    const int m = static_cast<int>(cuspMtf.mtfAbs.size());
    for (int k = 8; k <= m / 4; k += 8) {
        const double f = static_cast<double>(binFrequency(k, m, spacing));
        const double a = 2 * kPi * cusp.sigma * spacing * f;
        report.check("MTF at " + FloatToStr(f) + " c/mm (exp(-r/1.5 px), not separable)",
                     cuspMtf.mtfAbs[k] / cuspMtf.mtfAbs[0], std::pow(1 + a * a, -1.5), 0.015);
    }

    // White noise: flat at σ²Δ² with "Rect", higher by F(N) with "Haming".
    PhantomSpec white;
    white.kind = "noise";
    white.sd = sigmaNoise;
    const Measured noise = loadWithRoi(writePhantom(dir + "noise", white, false), 256);
    const double flat = sigmaNoise * sigmaNoise * spacing * spacing;
    const SpectrumResult rect = spectrumOf(noise, DataWindow::Rect);
    report.check("white-noise spectrum, Rect, 0.1-0.9 Nyquist (sigma² delta²)",
                 bandMean(rect, 0.1, 0.9, [&](int k) { return rect.spectrum[k]; }), flat,
                 0.05 * flat);
    const SpectrumResult hamming = spectrumOf(noise, DataWindow::Hamming);
    const double withWindow = flat * hammingPowerFactor(rect.segmentLength);
    report.check("white-noise spectrum, Haming (sigma² delta² F(N))",
                 bandMean(hamming, 0.1, 0.9, [&](int k) { return hamming.spectrum[k]; }),
                 withWindow, 0.05 * withWindow);

    // Noise filtered along the rows by (1/4, 1/2, 1/4): shape |H(f)|² = (1/2 + cos(2πfΔ)/2)².
    PhantomSpec filtered = white;
    filtered.kernel = {0.25, 0.5, 0.25};
    filtered.seed = 2;
    const Measured coloured = loadWithRoi(writePhantom(dir + "filtered", filtered, false), 256);
    const SpectrumResult shaped = spectrumOf(coloured, DataWindow::Rect);
    const int segment = shaped.segmentLength;
    report.check("filtered-noise spectrum / sigma² delta² |H(f)|², 0.1-0.6 Nyquist",
                 bandMean(shaped, 0.1, 0.6,
                          [&](int k) {
                              const double h = 0.5 + 0.5 * std::cos(2 * kPi * k / segment);
                              return shaped.spectrum[k] / (flat * h * h);
                          }),
                 1.0, 0.07);

    // ROI statistics against the generating values.
    const RoiBlock central = roiBlock({64, 64, 191, 191}, 0, 0);
    requireBlockInside(central, noise.image.layout, noise.image.bytes.size());
    const RoiStatistics noiseStats = computeRoiStatistics(
        noise.image.bytes.data(), noise.image.layout, central, noise.image.valueRule());
    report.check("ROI mean of white noise (128 x 128)", noiseStats.mean, white.mean, 1.0);
    report.check("ROI SD of white noise (128 x 128)", noiseStats.sd, sigmaNoise, 0.03 * sigmaNoise);
    PhantomSpec flatImage;
    flatImage.kind = "uniform";
    flatImage.value = 1234;
    const Measured uniform = loadWithRoi(writePhantom(dir + "uniform", flatImage, false), 64);
    requireBlockInside(uniform.roi.block, uniform.image.layout, uniform.image.bytes.size());
    const RoiStatistics uniformStats =
        computeRoiStatistics(uniform.image.bytes.data(), uniform.image.layout, uniform.roi.block,
                             uniform.image.valueRule());
    report.check("ROI mean of a uniform image", uniformStats.mean, 1234, 0);
    report.check("ROI SD of a uniform image", uniformStats.sd, 0, 0);
    return report.failures();
}

}  // namespace ctiq::cli
