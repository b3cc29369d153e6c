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

// One group of butterflies of `batch` transforms side by side: sample pairs (i, i + half) for
// i = 0 .. half - 1 (each a row of `batch` values), the pair i turned by angle i (not at all for
// the angle 0).
CTIQ_VECTOR_CLONES void batchButterflies(double* __restrict re, double* __restrict im,
                                         const double* __restrict cosine,
                                         const double* __restrict sine, std::size_t half,
                                         std::size_t batch) {
    for (std::size_t i = 0; i < half; ++i) {
        double* aRe = re + i * batch;
        double* aIm = im + i * batch;
        double* bRe = re + (i + half) * batch;
        double* bIm = im + (i + half) * batch;
        if (i == 0) {
            for (std::size_t k = 0; k < batch; ++k) {
                const double dRe = aRe[k] - bRe[k], dIm = aIm[k] - bIm[k];
                aRe[k] += bRe[k];
                aIm[k] += bIm[k];
                bRe[k] = dRe;
                bIm[k] = dIm;
            }
            continue;
        }
        const double c = cosine[i], sn = sine[i];
        for (std::size_t k = 0; k < batch; ++k) {
            const double dRe = aRe[k] - bRe[k], dIm = aIm[k] - bIm[k];
            aRe[k] += bRe[k];
            aIm[k] += bIm[k];
            bRe[k] = dRe * c + dIm * sn;
            bIm[k] = dIm * c - dRe * sn;
        }
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

void FftPlan::transformBatch(double* re, double* im, std::size_t batch) const {
    std::size_t half = n_;
    for (int stage = 0; stage < stages_; ++stage) {
        half /= 2;
        const std::vector<double>& cosine = cosine_[stage];
        const std::vector<double>& sine = sine_[stage];
        for (std::size_t s = 0; s < n_; s += 2 * half)
            batchButterflies(re + s * batch, im + s * batch, cosine.data(), sine.data(), half,
                             batch);
    }
    for (const auto& [i, j] : swaps_) {
        std::swap_ranges(re + i * batch, re + i * batch + batch, re + j * batch);
        std::swap_ranges(im + i * batch, im + i * batch + batch, im + j * batch);
    }
}

void FFT(std::vector<double>& re, std::vector<double>& im) {
    FftPlan(re.size()).transform(re.data(), im.data());
}

}  // namespace ctiq
