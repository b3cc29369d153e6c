#include "wiener/spectrum.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>

#include "common/app_error.h"
#include "common/checked.h"
#include "common/frequency_axis.h"
#include "common/number_text.h"
#include "common/pixel_spacing.h"
#include "common/vector_clones.h"
#include "wiener/numeric/kernels.h"
#include "wiener/reliability.h"

namespace ctiq {
namespace {

constexpr std::int32_t kMaxStripLength = kSpectrumCapacity;
constexpr std::int32_t kMaxStripLines = 65;
constexpr std::int32_t kMaxSegmentLength = 1024;

// The roles of the fields for the chosen direction.
struct Roles {
    std::int32_t length;   // L: strip length along the direction
    std::int32_t extent;   // W: ROI extent across it
    std::int32_t segment;  // N
    std::int32_t lines;    // strip width across the direction
    std::int32_t segmentStep;
    std::int32_t stripStep;
    const char* along;  // field names for messages
    const char* across;
};

Roles rolesFor(SpectrumParameters p) {
    const SpectrumFieldRoles f = fieldRoles(p);
    const bool alongX = p.direction == SpectrumDirection::X;
    return {alongX ? p.roiX : p.roiY,
            alongX ? p.roiY : p.roiX,
            *f.segment,
            *f.lines,
            *f.segmentStep,
            *f.stripStep,
            alongX ? "X" : "Y",
            alongX ? "Y" : "X"};
}

}  // namespace

SpectrumFieldRoles fieldRoles(SpectrumParameters& p) {
    if (p.direction == SpectrumDirection::X)
        return {&p.segmentX, &p.segmentY, &p.shiftX, &p.shiftY};
    return {&p.segmentY, &p.segmentX, &p.shiftY, &p.shiftX};
}

void turnDirection(SpectrumParameters& p, SpectrumDirection direction) {
    if (p.direction == direction) return;
    std::swap(p.segmentX, p.segmentY);
    std::swap(p.shiftX, p.shiftY);
    p.direction = direction;
}

namespace {

bool isPowerOfTwo(std::int32_t n) {
    return n > 0 && (n & (n - 1)) == 0;
}

[[noreturn]] void refuse(const char* pattern, std::vector<std::string> values = {}) {
    throw AppError(pattern, std::move(values));
}

void checkParameters(const Roles& r, const SpectrumParameters& p) {
    const std::string along = r.along, across = r.across;
    // A segment of one sample has no spectrum: the transform needs two at least.
    if (!isPowerOfTwo(r.segment) || r.segment < 2 || r.segment > kMaxSegmentLength)
        refuse("SegmentSize %1 is %2; it must be a power of two from 2 to 1024.",
               {along, std::to_string(r.segment)});
    if (r.lines < 1 || r.lines > kMaxStripLines)
        refuse("SegmentSize %1 (the strip width) is %2; it must lie from 1 to 65 lines.",
               {across, std::to_string(r.lines)});
    if (r.length > kMaxStripLength)
        refuse("The ROI is %1 pixels long along %2; a strip takes at most %3.",
               {std::to_string(r.length), along, std::to_string(kMaxStripLength)});
    // A step of 0 would take the same segment up to "Segment#" times over.
    if (r.segmentStep < 1)
        refuse("Shift %1 (the step between segments) must be at least 1.", {along});
    if (r.stripStep < 1) refuse("Shift %1 (the step between strips) must be at least 1.", {across});
    // The profiles kept for display are those of every third of the ROI's extent across the
    // strips: below three pixels there is no third to step by.
    if (r.extent < 3)
        refuse("The ROI is %1 pixels wide across the strips (%2); the spectrum needs at least 3.",
               {std::to_string(r.extent), across});
    auto checkDegree = [](bool trend, int degree, const char* name) {
        if (trend && degree > kMaxTrendDegree)
            refuse("The degree of \"%1\" is %2; at most 16 is possible.",
                   {name, std::to_string(degree)});
    };
    checkDegree(p.lineTrend, p.lineDegree, "Trnd");
    checkDegree(p.segmentTrend, p.segmentDegree, "Trnd1");
    requirePixelSpacing(p.pixelSpacing, "mmPS");
}

// How many strips and segments a run takes, as the loops would count them.
struct Plan {
    std::int32_t strips = 0;
    std::int32_t segments = 0;
};

Plan planRun(const Roles& r, std::int32_t maxSegments) {
    std::int64_t perStrip = 0;
    if (r.segment <= r.length)
        perStrip = r.segmentStep == 0 ? std::numeric_limits<std::int64_t>::max()
                                      : (r.length - r.segment) / r.segmentStep + 1;
    Plan plan;
    std::int64_t segments = 0;
    for (std::int64_t v = 0; v + r.lines - 1 < r.extent && segments < maxSegments;
         v += r.stripStep) {
        ++plan.strips;
        segments = std::min<std::int64_t>(maxSegments,
                                          segments + std::min<std::int64_t>(perStrip, maxSegments));
    }
    plan.segments = static_cast<std::int32_t>(segments);
    return plan;
}

void checkStripsInsideImage(const SpectrumImage& im, const Roles& r, const SpectrumParameters& p,
                            const Plan& plan) {
    requireStoredImageInside(im.layout, im.size);
    if (im.rowLength < 0) refuse("The image fields must not be negative.");
    const std::int32_t columns = im.layout.columns, rows = im.layout.rows;
    const std::int64_t samples = std::int64_t{columns} * rows;
    const std::int64_t lastV = std::int64_t{plan.strips - 1} * r.stripStep;
    const bool alongX = p.direction == SpectrumDirection::X;
    // Columns and rows the strips cover, and the highest sample number they read.
    const std::int64_t lastColumn = alongX ? std::int64_t{im.roiLeft} + r.length - 1
                                           : std::int64_t{im.roiLeft} + lastV + r.lines - 1;
    const std::int64_t lastRow = alongX ? std::int64_t{im.roiTop} + lastV + r.lines - 1
                                        : std::int64_t{im.roiTop} + r.length - 1;
    const std::int64_t first = std::int64_t{im.roiTop} * im.rowLength + im.roiLeft;
    const std::int64_t last =
        alongX ? first + lastV * columns + std::int64_t{r.lines - 1} * im.rowLength + r.length - 1
               : first + lastV + std::int64_t{r.length - 1} * columns + r.lines - 1;
    if (im.roiLeft < 0 || im.roiTop < 0 || lastColumn >= columns || lastRow >= rows || first < 0 ||
        last >= samples) {
        refuse(
            "The strips reach outside the image: columns %1 to %2 and rows %3 to %4 of an image "
            "of %5 × %6. Move the ROI inside the image or make it smaller.",
            {std::to_string(im.roiLeft), std::to_string(lastColumn), std::to_string(im.roiTop),
             std::to_string(lastRow), std::to_string(columns), std::to_string(rows)});
    }
}

// Adds the values of `count` little-endian words to `sums`: each word plus the offset, wrapped to
// 16 bits and read as signed (the sample value rule without "Swap").
CTIQ_VECTOR_CLONES void addPlainWords(const std::uint8_t* words, std::int32_t count,
                                      std::uint16_t offset, std::int32_t* __restrict sums) {
    for (std::int32_t a = 0; a < count; ++a) {
        std::uint16_t raw;
        std::memcpy(&raw, words + 2 * static_cast<std::size_t>(a), 2);
        sums[a] += static_cast<std::int16_t>(static_cast<std::uint16_t>(raw + offset));
    }
}

// profile[a] := (sums[a] - mean) / lines, the mean as removeMean takes it. Dividing by a power
// of two and multiplying by its reciprocal round the same exact value. The sums and every
// partial sum of them are integers below 2^53, so the integer total is the very double that
// adding them in order gives.
CTIQ_VECTOR_CLONES std::int64_t integerTotal(const std::int32_t* __restrict sums, std::int32_t L) {
    std::int64_t total = 0;
    for (std::int32_t a = 0; a < L; ++a) total += sums[a];
    return total;
}

CTIQ_VECTOR_CLONES void divideCentred(const std::int32_t* __restrict sums, std::int32_t L,
                                      double mean, double divisor, bool exactInverse,
                                      double* __restrict profile) {
    if (exactInverse) {
        const double inverse = 1.0 / divisor;
        for (std::int32_t a = 0; a < L; ++a)
            profile[a] = (static_cast<double>(sums[a]) - mean) * inverse;
        return;
    }
    for (std::int32_t a = 0; a < L; ++a)
        profile[a] = (static_cast<double>(sums[a]) - mean) / divisor;
}

void centredProfile(const std::int32_t* sums, std::int32_t L, std::int32_t lines, double* profile) {
    const double mean =
        meanFromSum(static_cast<double>(integerTotal(sums, L)), static_cast<std::size_t>(L));
    divideCentred(sums, L, mean, lines, isPowerOfTwo(lines), profile);
}

// re[i] := (re² + im²) · Δ · strip width / N, times g² when `gg` is not 0 (the Hamming window).
CTIQ_VECTOR_CLONES void segmentPowers(double* __restrict re, const double* __restrict im,
                                      std::size_t count, double delta, double stripWidth,
                                      std::int32_t n, double gg) {
    const double inverseN = 1.0 / n;  // N is a power of two
    for (std::size_t i = 0; i < count; ++i) {
        double power = (re[i] * re[i] + im[i] * im[i]) * delta * stripWidth * inverseN;
        if (gg != 0) power *= gg;
        re[i] = power;
    }
}

// Prepares `count` segments lying side by side (value t of segment k at [t·stride + k]) as
// each one always was: its mean (the sum of its values in order) removed when `means` is given,
// then weighted by w[t] when `weights` is given.
CTIQ_VECTOR_CLONES void sumColumns(const double* __restrict x, std::size_t stride,
                                   std::size_t count, std::int32_t n, double* __restrict sums) {
    std::fill(sums, sums + count, 0.0);
    for (std::int32_t t = 0; t < n; ++t)
        for (std::size_t k = 0; k < count; ++k) sums[k] += x[t * stride + k];
}

CTIQ_VECTOR_CLONES void subtractAndWeigh(double* __restrict x, std::size_t stride,
                                         std::size_t count, std::int32_t n,
                                         const double* __restrict means,
                                         const double* __restrict w) {
    for (std::int32_t t = 0; t < n; ++t)
        for (std::size_t k = 0; k < count; ++k)
            x[t * stride + k] = (x[t * stride + k] - means[k]) * w[t];
}

CTIQ_VECTOR_CLONES void subtractColumns(double* __restrict x, std::size_t stride, std::size_t count,
                                        std::int32_t n, const double* __restrict means) {
    for (std::int32_t t = 0; t < n; ++t)
        for (std::size_t k = 0; k < count; ++k) x[t * stride + k] -= means[k];
}

CTIQ_VECTOR_CLONES void weighColumns(double* __restrict x, std::size_t stride, std::size_t count,
                                     std::int32_t n, const double* __restrict w) {
    for (std::int32_t t = 0; t < n; ++t)
        for (std::size_t k = 0; k < count; ++k) x[t * stride + k] *= w[t];
}

// lagSums[lag] := Σ_t profile[t] · profile[t + lag] for t = 0 .. n - 1, lag by lag the same sum
// in order of t as ever; taken for all lags at once per t.
CTIQ_VECTOR_CLONES void stripLagSums(const double* __restrict profile, std::int32_t n,
                                     std::int32_t lags, double* __restrict lagSums) {
    std::fill(lagSums, lagSums + lags, 0.0);
    for (std::int32_t t = 0; t < n; ++t) {
        const double pt = profile[t];
        for (std::int32_t lag = 0; lag < lags; ++lag) lagSums[lag] += pt * profile[t + lag];
    }
}

// Lays `count` segments of n values, stored `pitch` apart, side by side with `stride`.
CTIQ_VECTOR_CLONES void interleave(const double* __restrict segments, std::int32_t n,
                                   std::size_t pitch, std::size_t count, double* __restrict rows,
                                   std::size_t stride) {
    for (std::int32_t t = 0; t < n; ++t)
        for (std::size_t k = 0; k < count; ++k) rows[t * stride + k] = segments[k * pitch + t];
}

// Adds to spectrum[t] the powers of `count` segments, side by side in the transform's output
// rows, in segment order; four frequencies at a time, each its own sum.
void addInSegmentOrder(const double* rows, std::size_t stride, std::size_t count,
                       const FftPlan& fft, double* spectrum) {
    const std::size_t n = fft.size();
    std::size_t t = 0;
    for (; t + 4 <= n; t += 4) {
        const double* r0 = rows + fft.outputRow(t) * stride;
        const double* r1 = rows + fft.outputRow(t + 1) * stride;
        const double* r2 = rows + fft.outputRow(t + 2) * stride;
        const double* r3 = rows + fft.outputRow(t + 3) * stride;
        double s0 = spectrum[t], s1 = spectrum[t + 1], s2 = spectrum[t + 2], s3 = spectrum[t + 3];
        for (std::size_t k = 0; k < count; ++k) {
            s0 += r0[k];
            s1 += r1[k];
            s2 += r2[k];
            s3 += r3[k];
        }
        spectrum[t] = s0, spectrum[t + 1] = s1, spectrum[t + 2] = s2, spectrum[t + 3] = s3;
    }
    for (; t < n; ++t) {
        const double* r = rows + fft.outputRow(t) * stride;
        for (std::size_t k = 0; k < count; ++k) spectrum[t] += r[k];
    }
}

// Adds the squares of the same powers to squares[t], for the spread between segments.
CTIQ_VECTOR_CLONES void addSquares(const double* __restrict rows, std::size_t stride,
                                   std::size_t count, std::size_t n, const std::size_t* rowOf,
                                   double* __restrict squares) {
    for (std::size_t t = 0; t < n; ++t) {
        const double* r = rows + rowOf[t] * stride;
        double sum = 0;
        for (std::size_t k = 0; k < count; ++k) sum += r[k] * r[k];
        squares[t] += sum;
    }
}

void prepareSegments(double* x, std::size_t stride, std::size_t count, std::int32_t n,
                     double* means, const double* weights) {
    if (means) {
        sumColumns(x, stride, count, n, means);
        for (std::size_t k = 0; k < count; ++k)
            means[k] = meanFromSum(means[k], static_cast<std::size_t>(n));
        if (weights)
            subtractAndWeigh(x, stride, count, n, means, weights);
        else
            subtractColumns(x, stride, count, n, means);
    } else if (weights) {
        weighColumns(x, stride, count, n, weights);
    }
}

}  // namespace

SpectrumImage spectrumSource(const ImageBytes& bytes, const StoredImageLayout& layout,
                             const SampleValueRule& rule, std::int32_t roiLeft,
                             std::int32_t roiTop) {
    SpectrumImage source;
    source.data = bytes.data();
    source.size = bytes.size();
    source.layout = layout;
    source.rule = rule;
    source.rowLength = layout.columns;
    source.roiLeft = roiLeft;
    source.roiTop = roiTop;
    return source;
}

SpectrumDefaults spectrumDefaults(std::int32_t roiWidth) {
    SpectrumDefaults d;
    d.segmentX = roiWidth / 4;
    d.segmentY = 16;
    d.shiftX = d.segmentX / 2;
    d.shiftY = d.segmentY / 2;
    return d;
}

SpectrumParameters defaultSpectrumParameters(std::int32_t roiX, std::int32_t roiY,
                                             double pixelSpacing, DataWindow window) {
    const SpectrumDefaults d = spectrumDefaults(roiX);
    SpectrumParameters p;
    p.roiX = roiX;
    p.roiY = roiY;
    p.segmentX = d.segmentX;
    p.segmentY = d.segmentY;
    p.shiftX = d.shiftX;
    p.shiftY = d.shiftY;
    p.pixelSpacing = pixelSpacing;
    p.window = window;
    return p;
}

namespace {

// The strips' profiles: a strip's lines added sample by sample in line order, each line
// detrended first or the sum's mean removed after, then divided by the line count. Two speed
// paths give the very same doubles: integer sums where every value is an integer (factor 1, no
// line trend: a sum of at most 65 lines is then exact in any order), and little-endian words
// read as they lie.
class StripReader {
  public:
    StripReader(const SpectrumImage& im, const Roles& r, const SpectrumParameters& p)
        : im_(im),
          p_(p),
          alongX_(p.direction == SpectrumDirection::X),
          length_(r.length),
          lines_(r.lines),
          first_(std::int64_t{im.roiTop} * im.rowLength + im.roiLeft),
          sampleSize_(static_cast<std::size_t>(sampleBytes(im.layout.format))),
          samples_(im.data + im.layout.header),
          stride_((alongX_ ? std::size_t{1} : static_cast<std::size_t>(im.layout.columns)) *
                  sampleSize_),
          integerSums_(!p.lineTrend && im.factor == 1.0),
          plainWords_(im.rule.format == SampleFormat::Word16 && !im.rule.swap &&
                      std::endian::native == std::endian::little),
          offset16_(static_cast<std::uint16_t>(im.rule.offset)),
          sums_(integerSums_ ? length_ : 0),
          line_(length_) {}

    // The profile of the strip whose first line lies v lines into the ROI.
    void read(std::int64_t v, std::vector<double>& profile) {
        const std::int32_t L = length_;
        if (integerSums_) {
            std::fill(sums_.begin(), sums_.end(), 0);
            for (std::int32_t c = 0; c < lines_; ++c) {
                const std::uint8_t* sample = lineStart(v, c);
                if (plainWords_ && alongX_) {
                    addPlainWords(sample, L, offset16_, sums_.data());
                    continue;
                }
                for (std::int32_t a = 0; a < L; ++a, sample += stride_)
                    sums_[a] += im_.rule.value(sample);
            }
            centredProfile(sums_.data(), L, lines_, profile.data());
            return;
        }
        std::fill(profile.begin(), profile.end(), 0.0);
        for (std::int32_t c = 0; c < lines_; ++c) {
            const std::uint8_t* sample = lineStart(v, c);
            for (std::int32_t a = 0; a < L; ++a, sample += stride_)
                line_[a] = im_.rule.value(sample) * im_.factor;
            if (p_.lineTrend) removeTrend(line_, p_.lineDegree);
            for (std::int32_t a = 0; a < L; ++a) profile[a] += line_[a];
        }
        if (!p_.lineTrend) removeMean(profile);
        for (double& value : profile) value /= lines_;
    }

  private:
    // Where line c of the strip at v starts (its samples lie stride_ bytes apart).
    const std::uint8_t* lineStart(std::int64_t v, std::int32_t c) const {
        const std::int64_t start =
            alongX_ ? first_ + v * im_.layout.columns + std::int64_t{c} * im_.rowLength
                    : first_ + v + c;
        return samples_ + static_cast<std::size_t>(start) * sampleSize_;
    }

    const SpectrumImage& im_;
    const SpectrumParameters& p_;
    const bool alongX_;
    const std::int32_t length_, lines_;
    const std::int64_t first_;
    const std::size_t sampleSize_;
    const std::uint8_t* const samples_;
    const std::size_t stride_;
    const bool integerSums_, plainWords_;
    const std::uint16_t offset16_;
    std::vector<std::int32_t> sums_;
    std::vector<double> line_;
};

// The segments' powers: each segment mean-removed (unless detrended) and windowed on its own,
// transformed, Δ · strip width · |X|² / N (· g² for Hamming); the sums of the powers and of their
// squares, frequency by frequency in segment order. For speed the segments wait in batches and
// are transformed side by side; each gets the arithmetic it would get alone.
class SegmentPowers {
  public:
    SegmentPowers(std::int32_t n, const SpectrumParameters& p, double delta, double stripWidth)
        : n_(n),
          p_(p),
          delta_(delta),
          stripWidth_(stripWidth),
          fft_(static_cast<std::size_t>(n)),
          pitch_(static_cast<std::size_t>(n) + 8),
          waitingSegments_(kBatch * pitch_),
          rowsRe_(kBatch * static_cast<std::size_t>(n)),
          rowsIm_(kBatch * static_cast<std::size_t>(n)),
          means_(kBatch),
          sums_(n, 0.0),
          squares_(n, 0.0) {
        if (p.window == DataWindow::Hamming) window_.emplace(static_cast<std::size_t>(n));
    }

    void add(const double* segment) {
        std::copy(segment, segment + n_, waitingSegments_.begin() + waiting_ * pitch_);
        if (++waiting_ == kBatch) transformWaiting();
    }

    // Transforms what still waits; the sums are then complete.
    void finish() { transformWaiting(); }
    std::vector<double>& sums() { return sums_; }
    const std::vector<double>& squares() const { return squares_; }

  private:
    // Value t of waiting segment k lies at [t·kBatch + k]; one segment after another a little
    // more than N apart, so that reading them side by side does not land every segment's value t
    // in the same cache set.
    static constexpr std::size_t kBatch = 16;

    void transformWaiting() {
        if (waiting_ == 0) return;
        const bool hamming = window_.has_value();
        interleave(waitingSegments_.data(), n_, pitch_, waiting_, rowsRe_.data(), kBatch);
        prepareSegments(rowsRe_.data(), kBatch, waiting_, n_,
                        p_.segmentTrend ? nullptr : means_.data(),
                        hamming ? window_->weights.data() : nullptr);
        fft_.transformRealRows(rowsRe_.data(), rowsIm_.data(), kBatch, waiting_);
        segmentPowers(rowsRe_.data(), rowsIm_.data(), kBatch * n_, delta_, stripWidth_, n_,
                      hamming ? window_->g * window_->g : 0.0);
        addInSegmentOrder(rowsRe_.data(), kBatch, waiting_, fft_, sums_.data());
        addSquares(rowsRe_.data(), kBatch, waiting_, static_cast<std::size_t>(n_),
                   fft_.outputRows().data(), squares_.data());
        waiting_ = 0;
    }

    const std::int32_t n_;
    const SpectrumParameters& p_;
    const double delta_, stripWidth_;
    const FftPlan fft_;  // made once for the run
    std::optional<HammingTable> window_;
    const std::size_t pitch_;
    std::vector<double> waitingSegments_, rowsRe_, rowsIm_, means_;
    std::size_t waiting_ = 0;
    std::vector<double> sums_, squares_;
};

}  // namespace

SpectrumResult computeWienerSpectrum(const SpectrumImage& im, const SpectrumParameters& p) {
    const Roles r = rolesFor(p);
    checkParameters(r, p);
    const Plan plan = planRun(r, p.maxSegments);
    if (plan.segments == 0) {
        throw AppError(
            "No segment fits: %1 strips of %2 pixels for segments of %3 (maximum %4 segments). %5",
            {AppError(std::to_string(plan.strips)), AppError(std::to_string(r.length)),
             AppError(std::to_string(r.segment)), AppError(std::to_string(p.maxSegments)),
             AppError(messages::invalidFloatOperation())});
    }
    checkStripsInsideImage(im, r, p, plan);

    const std::int32_t L = r.length, N = r.segment, lines = r.lines;
    const double delta = p.pixelSpacing;
    const double stripWidth = lines * delta;
    SpectrumResult result;
    result.segmentLength = N;
    StripReader strips(im, r, p);
    SegmentPowers powers(N, p, delta, stripWidth);
    std::vector<double> acf(std::max(N, L - N + 1), 0.0);
    std::vector<double> profile(L), lagSums(L - N + 1), detrended(N);
    std::int32_t segments = 0;
    for (std::int32_t strip = 0; strip < plan.strips; ++strip) {
        const std::int64_t v = std::int64_t{strip} * r.stripStep;
        strips.read(v, profile);
        if (p.autocorrelation) {
            stripLagSums(profile.data(), N, L - N + 1, lagSums.data());
            for (std::int32_t lag = 0; lag <= L - N; ++lag) acf[lag] += lagSums[lag];
        }
        ++result.strips;
        if (v % checkedDiv(r.extent, 3) == 0) result.profiles.push_back(profile);

        const std::int32_t segmentsBefore = segments;
        for (std::int64_t pos = 0; pos + N - 1 < L && segments < p.maxSegments;
             pos += r.segmentStep) {
            const double* segment = profile.data() + pos;
            if (p.segmentTrend) {
                std::copy(segment, segment + N, detrended.begin());
                removeTrend(detrended, p.segmentDegree);
                segment = detrended.data();
            }
            powers.add(segment);
            ++segments;
        }
        result.segmentsPerStrip.push_back(segments - segmentsBefore);
    }
    powers.finish();

    std::vector<double>& spectrum = powers.sums();
    const std::vector<double>& squares = powers.squares();
    for (double& value : spectrum) value /= segments;
    // SE = SD / √K_eff, the SD of the segments' powers around their mean over the root of the
    // number of independent segments they amount to (0 for one segment).
    result.effectiveSegments =
        effectiveSegments(p.window, N, r.segmentStep, lines, r.stripStep, result.segmentsPerStrip);
    result.standardError.assign(N, 0.0);
    if (segments > 1) {
        for (std::int32_t t = 0; t < N; ++t) {
            const double variance =
                (squares[t] / segments - spectrum[t] * spectrum[t]) * segments / (segments - 1.0);
            result.standardError[t] = std::sqrt(std::max(variance, 0.0) / result.effectiveSegments);
        }
    }
    for (std::int32_t t = 0; t < N; ++t) acf[t] = acf[t] * delta * stripWidth / N / result.strips;
    acf.resize(N);
    result.segments = segments;
    result.spectrum = std::move(spectrum);
    result.autocorrelation = std::move(acf);
    return result;
}

namespace {

std::string header(const std::string& fileName) {
    return "c/mm\t" + fileName + "\r\n";
}

std::string line(long double x, long double y) {
    return FloatToStr(x) + "\t" + FloatToStr(y) + "\r\n";
}

double at(const std::vector<double>& values, std::int64_t i) {
    return i >= 0 && i < static_cast<std::int64_t>(values.size()) ? values[i] : 0.0;
}

}  // namespace

std::string spectrumTableText(const std::string& fileName, const std::vector<double>& spectrum,
                              std::int32_t n, double delta) {
    std::string text = header(fileName);
    for (std::int32_t b = 1; b <= n / 2; ++b)
        text += line(binFrequency(b, n, delta), at(spectrum, b));
    return text;
}

std::string autocorrelationTableText(const std::string& fileName, const std::vector<double>& acf,
                                     std::int32_t n, double delta) {
    std::string text = header(fileName);
    for (std::int32_t i = 0; i <= n / 2; ++i) text += line(i * delta, at(acf, i));
    return text;
}

std::string smoothedTableText(const std::string& fileName, const std::vector<double>& ws,
                              std::int32_t n, double delta) {
    std::string text = header(fileName);
    for (std::int64_t k = 1; k <= std::int64_t{n} + 7; ++k) {
        double s;
        if (k == 1) {
            s = 0.7 * at(ws, 1) + 0.3 * at(ws, 2);
        } else {
            const std::int64_t from = k == 2 ? 1 : k == 3 ? 1 : k - 3;
            const std::int64_t to = k == 2 ? 4 : k == 3 ? 6 : k + 4;
            double sum = 0;
            for (std::int64_t i = from; i <= to; ++i) sum += at(ws, i);
            s = sum / static_cast<double>(to - from + 1);
        }
        text += line(binFrequency(k, n, delta), s);
    }
    return text;
}

}  // namespace ctiq
