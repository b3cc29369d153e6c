#include "wiener/numeric/kernels.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "common/app_error.h"
#include "common/checked.h"
#include "common/vector_clones.h"

namespace ctiq {
namespace {

double divide(double a, double b) {
    return static_cast<double>(checkedDivide(a, b));
}

}  // namespace

std::vector<double> LSM(const std::vector<double>& x, const std::vector<double>& y, int n) {
    if (n < 0) return {};
    const std::size_t m = x.size();
    std::vector<double> s(2 * n + 1, 0.0), b(n + 1, 0.0);
    for (int t = 0; t <= 2 * n; ++t)
        for (std::size_t i = 0; i < m; ++i) s[t] += std::pow(x[i], t);
    for (int t = 0; t <= n; ++t)
        for (std::size_t i = 0; i < m; ++i) b[t] += std::pow(x[i], t) * y[i];
    std::vector<std::vector<double>> a(n + 1, std::vector<double>(n + 1));
    for (int r = 0; r <= n; ++r)
        for (int c = 0; c <= n; ++c) a[r][c] = s[r + c];

    for (int k = 0; k < n; ++k) {
        const double p = a[k][k];
        for (int c = k; c <= n; ++c) a[k][c] = divide(a[k][c], p);
        b[k] = divide(b[k], p);
        for (int r = k + 1; r <= n; ++r) {
            const double f = a[r][k];
            for (int c = k; c <= n; ++c) a[r][c] -= f * a[k][c];
            b[r] -= f * b[k];
        }
    }
    for (int k = n; k >= 1; --k) {
        const double p = a[k][k];
        for (int c = k; c >= 0; --c) a[k][c] = divide(a[k][c], p);
        b[k] = divide(b[k], p);
        for (int r = k - 1; r >= 0; --r) {
            const double f = a[r][k];
            for (int c = k; c >= 0; --c) a[r][c] -= f * a[k][c];
            b[r] -= f * b[k];
        }
    }
    if (n == 0) b[0] = divide(b[0], a[0][0]);
    return b;
}

double polynomialValue(const std::vector<double>& coefficients, double x) {
    double sum = 0;
    for (std::size_t d = 0; d < coefficients.size(); ++d)
        sum += coefficients[d] * (d == 0 ? 1.0 : std::pow(x, static_cast<double>(d)));
    return sum;
}

void removeTrend(std::vector<double>& v, int degree) {
    std::vector<double> x(v.size());
    for (std::size_t i = 0; i < v.size(); ++i) x[i] = static_cast<double>(i);
    const std::vector<double> coefficients = LSM(x, v, degree);
    for (std::size_t i = 0; i < v.size(); ++i) v[i] -= polynomialValue(coefficients, x[i]);
}

double meanFromSum(double sum, std::size_t count) {
    return divide(sum, static_cast<double>(count));
}

void removeMean(std::vector<double>& v) {
    double sum = 0;
    for (double value : v) sum += value;
    const double mean = meanFromSum(sum, v.size());
    for (double& value : v) value -= mean;
}

HammingTable::HammingTable(std::size_t size) : weights(size) {
    const double n = static_cast<double>(size);
    double sum = 0;
    for (std::size_t t = 0; t < size; ++t) {
        weights[t] = 0.54 - 0.46 * std::cos(divide(6.2831852 * static_cast<double>(t), n - 1));
        sum += weights[t];
    }
    g = divide(n - 1, sum);
}

double hammingWindow(std::vector<double>& v) {
    const HammingTable table(v.size());
    for (std::size_t t = 0; t < v.size(); ++t) v[t] *= table.weights[t];
    return table.g;
}

namespace {

// One group of butterflies: a and b, half samples apart, become their sum and their difference
// turned by the group's angles. The two halves never overlap, so the loop runs element-parallel
// without changing any element's arithmetic.
void butterflies(double* __restrict aRe, double* __restrict aIm, double* __restrict bRe,
                 double* __restrict bIm, const double* __restrict cosine,
                 const double* __restrict sine, std::size_t half) {
    {  // the first butterfly has the angle 0: no rotation
        const double dRe = aRe[0] - bRe[0], dIm = aIm[0] - bIm[0];
        aRe[0] += bRe[0];
        aIm[0] += bIm[0];
        bRe[0] = dRe;
        bIm[0] = dIm;
    }
    for (std::size_t i = 1; i < half; ++i) {
        const double dRe = aRe[i] - bRe[i], dIm = aIm[i] - bIm[i];
        aRe[i] += bRe[i];
        aIm[i] += bIm[i];
        bRe[i] = dRe * cosine[i] + dIm * sine[i];
        bIm[i] = dIm * cosine[i] - dRe * sine[i];
    }
}

// One butterfly on one element of a batch: a and b become their sum and their difference,
// the difference turned by (c, s) unless the angle is 0.
template <bool Rotate>
inline void butterfly(double& aRe, double& aIm, double& bRe, double& bIm, double c, double s) {
    const double dRe = aRe - bRe, dIm = aIm - bIm;
    aRe += bRe;
    aIm += bIm;
    if constexpr (Rotate) {
        bRe = dRe * c + dIm * s;
        bIm = dIm * c - dRe * s;
    } else {
        bRe = dRe;
        bIm = dIm;
    }
}

// The first stage on real rows a and b: their imaginary parts are zeros (+0), so only the real
// rows are read and the imaginary rows written. dIm · c and dIm · s are taken as the full
// butterfly takes them (0 · c keeps the sign rule of a product), so no element changes by a bit.
CTIQ_VECTOR_CLONES void realRows(double* __restrict aRe, double* __restrict aIm,
                                 double* __restrict bRe, double* __restrict bIm, double c, double s,
                                 bool rotate, std::size_t count) {
    const double dIm = 0.0 - 0.0, sumIm = 0.0 + 0.0;
    if (!rotate) {
        for (std::size_t k = 0; k < count; ++k) {
            const double dRe = aRe[k] - bRe[k];
            aRe[k] += bRe[k];
            aIm[k] = sumIm;
            bRe[k] = dRe;
            bIm[k] = dIm;
        }
        return;
    }
    const double dImC = dIm * c, dImS = dIm * s;
    for (std::size_t k = 0; k < count; ++k) {
        const double dRe = aRe[k] - bRe[k];
        aRe[k] += bRe[k];
        aIm[k] = sumIm;
        bRe[k] = dRe * c + dImS;
        bIm[k] = dImC - dRe * s;
    }
}

// Two stages in one pass over four rows r0..r3 (a quarter of the group apart): the first stage
// pairs (r0, r2) with angle `a02` and (r1, r3) with `a13`, the second pairs (r0, r1) and
// (r2, r3) with `a01`. `first` marks the group's first rows, whose angles a02 and a01 are 0.
struct Turn {
    double c, s;
};
CTIQ_VECTOR_CLONES void fourRows(double* __restrict re0, double* __restrict im0,
                                 double* __restrict re1, double* __restrict im1,
                                 double* __restrict re2, double* __restrict im2,
                                 double* __restrict re3, double* __restrict im3, Turn a02, Turn a13,
                                 Turn a01, bool first, std::size_t count) {
    if (first) {
        for (std::size_t k = 0; k < count; ++k) {
            double r0 = re0[k], i0 = im0[k], r1 = re1[k], i1 = im1[k];
            double r2 = re2[k], i2 = im2[k], r3 = re3[k], i3 = im3[k];
            butterfly<false>(r0, i0, r2, i2, 0, 0);
            butterfly<true>(r1, i1, r3, i3, a13.c, a13.s);
            butterfly<false>(r0, i0, r1, i1, 0, 0);
            butterfly<false>(r2, i2, r3, i3, 0, 0);
            re0[k] = r0, im0[k] = i0, re1[k] = r1, im1[k] = i1;
            re2[k] = r2, im2[k] = i2, re3[k] = r3, im3[k] = i3;
        }
        return;
    }
    for (std::size_t k = 0; k < count; ++k) {
        double r0 = re0[k], i0 = im0[k], r1 = re1[k], i1 = im1[k];
        double r2 = re2[k], i2 = im2[k], r3 = re3[k], i3 = im3[k];
        butterfly<true>(r0, i0, r2, i2, a02.c, a02.s);
        butterfly<true>(r1, i1, r3, i3, a13.c, a13.s);
        butterfly<true>(r0, i0, r1, i1, a01.c, a01.s);
        butterfly<true>(r2, i2, r3, i3, a01.c, a01.s);
        re0[k] = r0, im0[k] = i0, re1[k] = r1, im1[k] = i1;
        re2[k] = r2, im2[k] = i2, re3[k] = r3, im3[k] = i3;
    }
}

// One stage over row pairs (i, i + half) of every group, rows `stride` apart, `count` wide.
CTIQ_VECTOR_CLONES void pairRows(double* __restrict aRe, double* __restrict aIm,
                                 double* __restrict bRe, double* __restrict bIm, Turn turn,
                                 bool rotate, std::size_t count) {
    if (!rotate) {
        for (std::size_t k = 0; k < count; ++k)
            butterfly<false>(aRe[k], aIm[k], bRe[k], bIm[k], 0, 0);
        return;
    }
    for (std::size_t k = 0; k < count; ++k)
        butterfly<true>(aRe[k], aIm[k], bRe[k], bIm[k], turn.c, turn.s);
}

// The passes of transformRealRows over rows `stride` apart, `count` transforms wide: the first
// stage on real rows, two stages at once (`half` the first one's), and one stage.
void realStage(double* re, double* im, std::size_t stride, std::size_t count, std::size_t half,
               const double* cosine, const double* sine) {
    for (std::size_t i = 0; i < half; ++i)
        realRows(re + i * stride, im + i * stride, re + (i + half) * stride,
                 im + (i + half) * stride, cosine[i], sine[i], i != 0, count);
}

void twoStages(double* re, double* im, std::size_t stride, std::size_t count, std::size_t n,
               std::size_t half, const double* c1, const double* s1, const double* c2,
               const double* s2) {
    const std::size_t quarter = half / 2;
    for (std::size_t g = 0; g < n; g += 2 * half)
        for (std::size_t i = 0; i < quarter; ++i) {
            const std::size_t r0 = (g + i) * stride, r1 = r0 + quarter * stride,
                              r2 = r0 + half * stride, r3 = r1 + half * stride;
            fourRows(re + r0, im + r0, re + r1, im + r1, re + r2, im + r2, re + r3, im + r3,
                     {c1[i], s1[i]}, {c1[i + quarter], s1[i + quarter]}, {c2[i], s2[i]}, i == 0,
                     count);
        }
}

void oneStage(double* re, double* im, std::size_t stride, std::size_t count, std::size_t n,
              std::size_t half, const double* cosine, const double* sine) {
    for (std::size_t g = 0; g < n; g += 2 * half)
        for (std::size_t i = 0; i < half; ++i) {
            const std::size_t a = (g + i) * stride, b = a + half * stride;
            pairRows(re + a, im + a, re + b, im + b, {cosine[i], sine[i]}, i != 0, count);
        }
}

}  // namespace

FftPlan::FftPlan(std::size_t n) : n_(n) {
    if (n == 0) return;
    stages_ = static_cast<int>(std::log2(static_cast<double>(n)) / std::log2(2.0));
    std::vector<double> sine(n / 2 + 1), cosine(n / 2 + 1);
    const double delta = 6.283184 / static_cast<double>(n);
    double angle = 0;
    for (std::size_t k = 0; k <= n / 2; ++k) {
        sine[k] = std::sin(angle);
        cosine[k] = std::cos(angle);
        angle += delta;
    }
    std::size_t half = n, step = 1;
    for (int stage = 0; stage < stages_; ++stage) {
        half /= 2;
        std::vector<double> c(half), s(half);
        for (std::size_t i = 0; i < half; ++i) {
            c[i] = cosine[i * step];
            s[i] = sine[i * step];
        }
        cosine_.push_back(std::move(c));
        sine_.push_back(std::move(s));
        step *= 2;
    }
    std::size_t j = n / 2;
    for (std::size_t i = 1; i < n; ++i) {
        if (j < i) swaps_.emplace_back(i, j);
        std::size_t k = n / 2;
        while (k > 0 && k <= j) {
            j -= k;
            k /= 2;
        }
        j += k;
    }
    std::vector<std::size_t> row(n);
    for (std::size_t t = 0; t < n; ++t) row[t] = t;
    for (const auto& [a, b] : swaps_) std::swap(row[a], row[b]);
    outputRow_ = std::move(row);
}

void FftPlan::transform(double* re, double* im) const {
    std::size_t half = n_;
    for (int stage = 0; stage < stages_; ++stage) {
        half /= 2;
        const double* cosine = cosine_[stage].data();
        const double* sine = sine_[stage].data();
        for (std::size_t s = 0; s < n_; s += 2 * half)
            butterflies(re + s, im + s, re + s + half, im + s + half, cosine, sine, half);
    }
    for (const auto& [i, j] : swaps_) {
        std::swap(re[i], re[j]);
        std::swap(im[i], im[j]);
    }
}

void FftPlan::transformRealRows(double* re, double* im, std::size_t stride,
                                std::size_t count) const {
    if (stages_ == 0) return;
    std::size_t half = n_ / 2;
    realStage(re, im, stride, count, half, cosine_[0].data(), sine_[0].data());
    int stage = 1;
    for (; stage + 1 < stages_; stage += 2) {
        half /= 2;
        twoStages(re, im, stride, count, n_, half, cosine_[stage].data(), sine_[stage].data(),
                  cosine_[stage + 1].data(), sine_[stage + 1].data());
        half /= 2;
    }
    if (stage < stages_)  // an odd stage left over
        oneStage(re, im, stride, count, n_, half / 2, cosine_[stage].data(), sine_[stage].data());
}

void FFT(std::vector<double>& re, std::vector<double>& im) {
    FftPlan(re.size()).transform(re.data(), im.data());
}

}  // namespace ctiq
