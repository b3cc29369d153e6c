#pragma once

#include <cstddef>
#include <utility>
#include <vector>

namespace ctiq {

// Largest trend degree and fit size the spectrum computation takes.
constexpr int kMaxTrendDegree = 16;
constexpr int kMaxFitPoints = 1025;

// Least-squares polynomial of `degree` through (x[i], y[i]): the normal equations solved by
// Gauss-Jordan elimination without row exchanges. Coefficient d multiplies x^d. A zero pivot is
// a floating-point error (AppError). A negative degree gives no coefficients (the value is 0).
std::vector<double> LSM(const std::vector<double>& x, const std::vector<double>& y, int degree);

// p(x) = Σ coefficient[d] · x^d, with x^0 = 1 also for x = 0.
double polynomialValue(const std::vector<double>& coefficients, double x);

// Replaces v[i] by v[i] - p(i), p fitted to (i, v[i]) with `degree`.
void removeTrend(std::vector<double>& v, int degree);

// Replaces v[i] by v[i] - mean(v).
void removeMean(std::vector<double>& v);

// The mean as removeMean takes it from the sum of `count` values added in order.
double meanFromSum(double sum, std::size_t count);

// The Hamming weights w(t) = 0.54 - 0.46 cos(6.2831852 t / (N - 1)) of one length, and the
// correction factor g = (N - 1) / Σ w(t) summed from t = 0: computed once, applied to every
// segment. N = 1 is a floating-point error (0 / 0).
struct HammingTable {
    explicit HammingTable(std::size_t n);
    std::vector<double> weights;
    double g = 0;
};

// Weights v[t] by the Hamming window of its length and returns g.
double hammingWindow(std::vector<double>& v);

// A radix-2 decimation-in-frequency FFT of one length: forward, natural order, no scaling; the
// twiddle angles accumulate steps of 6.283184 / N. The tables are made once; every transform
// then does the same arithmetic, element by element, as a transform that made them itself.
class FftPlan {
  public:
    explicit FftPlan(std::size_t n);  // n a power of two
    std::size_t size() const { return n_; }
    void transform(double* re, double* im) const;
    // `count` transforms of real samples at once, sample t of transform b at re[t · stride + b]
    // (the machine works on several transforms per step); im is written, never read (taken as
    // zeros). The rows are left in bit-reversed order: frequency t of transform b ends at
    // [outputRow(t) · stride + b]. Each element gets the arithmetic `transform` gives it with
    // zero imaginary parts; pairs of stages are done in one pass.
    void transformRealRows(double* re, double* im, std::size_t stride, std::size_t count) const;
    std::size_t outputRow(std::size_t t) const { return outputRow_[t]; }
    const std::vector<std::size_t>& outputRows() const { return outputRow_; }

  private:
    std::size_t n_ = 0;
    int stages_ = 0;
    // Per stage, the cosines and sines of the butterflies of one group, in order.
    std::vector<std::vector<double>> cosine_, sine_;
    std::vector<std::pair<std::size_t, std::size_t>> swaps_;  // the bit-reversal exchanges
    std::vector<std::size_t> outputRow_;                      // where frequency t ends unswapped
};

// The transform of `re.size()` (a power of two) in place.
void FFT(std::vector<double>& re, std::vector<double>& im);

}  // namespace ctiq
