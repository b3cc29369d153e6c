#include "wiener/spectrum.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "common/app_error.h"
#include "common/number_text.h"
#include "tests/support/test_files.h"

namespace ctiq {
namespace {

// A 16-bit image held in memory for the computation.
struct Image {
    std::vector<std::uint8_t> bytes;
    std::int32_t columns = 0, rows = 0;

    SpectrumImage view(std::int32_t left = 0, std::int32_t top = 0) const {
        return spectrumSource(bytes, {0, columns, rows, SampleFormat::Word16}, {}, left, top);
    }
};

Image noiseImage(std::int32_t columns, std::int32_t rows, unsigned seed = 1) {
    std::mt19937 random(seed);
    std::normal_distribution<double> noise(1000, 20);
    std::vector<std::int16_t> words(static_cast<std::size_t>(columns) * rows);
    for (auto& w : words) w = static_cast<std::int16_t>(std::lround(noise(random)));
    return {test::wordsLE(words), columns, rows};
}

SpectrumParameters defaults(std::int32_t roiX, std::int32_t roiY) {
    return defaultSpectrumParameters(roiX, roiY, 0.5, DataWindow::Hamming);
}

TEST(WienerSpectrum, DefaultsOn64By64) {
    const Image im = noiseImage(64, 64);
    const SpectrumResult r = computeWienerSpectrum(im.view(), defaults(64, 64));
    EXPECT_EQ(r.segmentLength, 16);
    EXPECT_EQ(r.strips, 7);
    EXPECT_EQ(r.segments, 49);
    EXPECT_EQ(r.profiles.size(), 1u);  // only v = 0 (W div 3 = 21)
    EXPECT_EQ(r.profiles[0].size(), 64u);
    EXPECT_EQ(r.spectrum.size(), 16u);
    EXPECT_EQ(r.autocorrelation.size(), 16u);
}

TEST(WienerSpectrum, ProfilesOfA96HighRoi) {
    const Image im = noiseImage(64, 96);
    const SpectrumResult r = computeWienerSpectrum(im.view(), defaults(64, 96));
    EXPECT_EQ(r.strips, 11);
    EXPECT_EQ(r.profiles.size(), 3u);  // v = 0, 32 and 64
}

TEST(WienerSpectrum, MaxSegmentsStopsTheRun) {
    const Image im = noiseImage(64, 64);
    SpectrumParameters p = defaults(64, 64);
    p.maxSegments = 10;
    const SpectrumResult r = computeWienerSpectrum(im.view(), p);
    EXPECT_EQ(r.segments, 10);
    EXPECT_EQ(r.strips, 2);
    // The autocorrelation is the two strips' sum divided by 2: the mean of the one-strip runs.
    p.maxSegments = 7;
    const SpectrumResult first = computeWienerSpectrum(im.view(), p);
    const SpectrumResult second = computeWienerSpectrum(im.view(0, 8), p);
    for (int t = 0; t < 16; ++t)
        EXPECT_NEAR(r.autocorrelation[t],
                    (first.autocorrelation[t] + second.autocorrelation[t]) / 2,
                    1e-9 * std::abs(first.autocorrelation[0]));
}

TEST(WienerSpectrum, DirectionYOnASquareRoiRunsDownTheColumns) {
    const Image im = noiseImage(64, 64);
    SpectrumParameters p = defaults(64, 64);
    p.direction = SpectrumDirection::Y;
    const SpectrumResult y = computeWienerSpectrum(im.view(), p);
    EXPECT_EQ(y.segments, 49);
    EXPECT_EQ(y.strips, 7);
    const SpectrumResult x = computeWienerSpectrum(im.view(), defaults(64, 64));
    EXPECT_NE(x.spectrum[3], y.spectrum[3]);
}

TEST(WienerSpectrum, UniformImageGivesZeros) {
    Image im{test::wordsLE(std::vector<std::int16_t>(64 * 64, 777)), 64, 64};
    for (DataWindow w : {DataWindow::Rect, DataWindow::Hamming}) {
        for (bool trend : {false, true}) {
            SpectrumParameters p = defaults(64, 64);
            p.window = w;
            p.lineTrend = p.segmentTrend = trend;
            const SpectrumResult r = computeWienerSpectrum(im.view(), p);
            for (double v : r.spectrum) EXPECT_NEAR(v, 0, 1e-12);
            for (double v : r.autocorrelation) EXPECT_NEAR(v, 0, 1e-12);
        }
    }
}

TEST(WienerSpectrum, OffsetWrapsBeforeTheFactor) {
    // Alternating columns 27000 / 28000: with offset 5000 the second wraps to -32536.
    std::vector<std::int16_t> words(64 * 64);
    for (int k = 0; k < 64 * 64; ++k) words[k] = static_cast<std::int16_t>(k % 2 ? 28000 : 27000);
    const Image im{test::wordsLE(words), 64, 64};
    SpectrumParameters p = defaults(64, 64);
    p.window = DataWindow::Rect;
    const SpectrumResult plain = computeWienerSpectrum(im.view(), p);
    SpectrumImage wrapped = im.view();
    wrapped.rule.offset = 5000;
    wrapped.factor = 2;
    const SpectrumResult r = computeWienerSpectrum(wrapped, p);
    const double ratio = 4 * (64536.0 / 1000) * (64536.0 / 1000);
    EXPECT_NEAR(r.spectrum[8] / plain.spectrum[8], ratio, 1e-6 * ratio);
}

TEST(WienerSpectrum, RefusesWhatDoesNotFitBeforeComputing) {
    const Image im = noiseImage(64, 64);
    struct Case {
        const char* what;
        void (*change)(SpectrumParameters&);
    };
    const Case parameters[] = {
        {"segment not a power of two", [](SpectrumParameters& p) { p.segmentX = 12; }},
        {"segment of 0", [](SpectrumParameters& p) { p.segmentX = 0; }},
        {"strip of 66 lines", [](SpectrumParameters& p) { p.segmentY = 66; }},
        {"strip of 1026 pixels", [](SpectrumParameters& p) { p.roiX = 1026; }},
        {"negative segment step", [](SpectrumParameters& p) { p.shiftX = -1; }},
        // Step 0 took the same segment up to Segment# times (10000 FFTs of one segment).
        {"segment step 0", [](SpectrumParameters& p) { p.shiftX = 0; }},
        {"segment of 1", [](SpectrumParameters& p) { p.segmentX = 1; }},
        {"strip step 0", [](SpectrumParameters& p) { p.shiftY = 0; }},
        {"degree 17", [](SpectrumParameters& p) { p.lineTrend = true, p.lineDegree = 17; }},
        {"zero spacing", [](SpectrumParameters& p) { p.pixelSpacing = 0; }},
        {"no segment fits", [](SpectrumParameters& p) { p.segmentX = 128; }},
        {"no segments allowed", [](SpectrumParameters& p) { p.maxSegments = 0; }},
        // A third of 2 pixels is 0: the display profiles' step was a division by zero (SIGFPE).
        {"ROI 2 pixels across",
         [](SpectrumParameters& p) { p.roiY = 2, p.segmentY = 1, p.shiftY = 1; }},
    };
    for (const Case& c : parameters) {
        SpectrumParameters p = defaults(64, 64);
        c.change(p);
        EXPECT_THROW(computeWienerSpectrum(im.view(), p), AppError) << c.what;
    }
    Image small = im;
    small.bytes.resize(100);
    // Strips past the last column, above the image, below it; an image the buffer cannot hold.
    for (const SpectrumImage& view : {im.view(1, 0), im.view(0, -1), im.view(0, 60), small.view()})
        EXPECT_THROW(computeWienerSpectrum(view, defaults(64, 64)), AppError);
}

TEST(WienerSpectrum, EightBitSamplesAreBytes) {
    std::vector<std::uint8_t> bytes(64 * 64);
    std::mt19937 random(5);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(random() % 50);
    Image asWords{{}, 64, 64};
    for (std::uint8_t b : bytes) asWords.bytes.insert(asWords.bytes.end(), {b, 0});
    const StoredImageLayout bytesLayout{0, 64, 64, SampleFormat::Byte8};
    const SpectrumImage byteView =
        spectrumSource(bytes, bytesLayout, {SampleFormat::Byte8, false, 0}, 0, 0);
    const SpectrumResult r8 = computeWienerSpectrum(byteView, defaults(64, 64));
    const SpectrumResult r16 = computeWienerSpectrum(asWords.view(), defaults(64, 64));
    EXPECT_EQ(r8.spectrum, r16.spectrum);
}

// White noise of SD σ has the flat spectrum σ²Δ² (Rect); the Hamming correction restores the
// amplitude, so white noise reads higher by F(N) = g² Σ w² / N.
TEST(WienerSpectrum, WhiteNoisePhantomHasItsKnownSpectrum) {
    const Image phantom{test::readBytes(test::testData("phantoms/noise1 256 256 0p5.raw")), 256,
                        256};
    SpectrumParameters p = defaults(256, 256);  // as "Load" derives them from a 256 × 256 ROI
    ASSERT_EQ(p.segmentX, 64);
    const double expected = 20.0 * 20.0 * 0.5 * 0.5;
    auto bandMean = [](const SpectrumResult& r) {
        const int n = r.segmentLength;
        double sum = 0;
        int count = 0;
        for (int k = 1; k <= n / 2; ++k) {
            const double fraction = k / (n / 2.0);
            if (fraction >= 0.1 && fraction <= 0.9) {
                sum += r.spectrum[k];
                ++count;
            }
        }
        return sum / count;
    };
    p.window = DataWindow::Rect;
    EXPECT_NEAR(bandMean(computeWienerSpectrum(phantom.view(), p)), expected, 0.05 * expected);

    double weights = 0, squares = 0;
    for (int t = 0; t < 64; ++t) {
        const double w = 0.54 - 0.46 * std::cos(6.2831852 * t / 63);
        weights += w;
        squares += w * w;
    }
    const double g = 63 / weights;
    const double f = g * g * squares / 64;
    EXPECT_NEAR(f, 1.336, 0.001);
    p.window = DataWindow::Hamming;
    EXPECT_NEAR(bandMean(computeWienerSpectrum(phantom.view(), p)), expected * f,
                0.05 * expected * f);
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    for (std::size_t s = 0; s < text.size();) {
        const std::size_t e = text.find("\r\n", s);
        out.push_back(text.substr(s, e - s));
        s = e + 2;
    }
    return out;
}

TEST(SpectrumTables, FormatsForSixteenPointsAtHalfAMillimetre) {
    std::vector<double> ws(1025, 0.0), acf(16);
    for (int i = 0; i < 16; ++i) {
        ws[i] = 100 + i;
        acf[i] = 50 - i;
    }
    const auto s = lines(spectrumTableText("a.raw", ws, 16, 0.5));
    ASSERT_EQ(s.size(), 9u);
    EXPECT_EQ(s[0], "c/mm\ta.raw");
    EXPECT_EQ(s[1], "0.125\t101");
    EXPECT_EQ(s[8], "1\t108");
    const auto a = lines(autocorrelationTableText("a.raw", acf, 16, 0.5));
    ASSERT_EQ(a.size(), 10u);
    EXPECT_EQ(a[1], "0\t50");
    EXPECT_EQ(a[9], "4\t42");
    const auto m = lines(smoothedTableText("a.raw", ws, 16, 0.5));
    ASSERT_EQ(m.size(), 24u);
    EXPECT_EQ(m[1], "0.125\t" + FloatToStr(0.7 * 101 + 0.3 * 102));
    EXPECT_EQ(m[2], "0.25\t" + FloatToStr((101 + 102 + 103 + 104) / 4.0));
    EXPECT_EQ(m[23].substr(0, 6), "2.875\t");
    EXPECT_EQ(m[23], "2.875\t0");  // indices 20..27 all lie past N
}

TEST(SpectrumTables, NoComputationYet) {
    const std::vector<double> zeros(1025, 0.0);
    EXPECT_EQ(spectrumTableText("f", zeros, 0, 0.5), "c/mm\tf\r\n");
    EXPECT_EQ(autocorrelationTableText("f", zeros, 0, 0.5), "c/mm\tf\r\n0\t0\r\n");
    EXPECT_THROW(smoothedTableText("f", zeros, 0, 0.5), AppError);
    EXPECT_THROW(spectrumTableText("f", zeros, 16, 0), AppError);
}

}  // namespace
}  // namespace ctiq
