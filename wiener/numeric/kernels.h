#pragma once

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

// Weights v[t] by 0.54 - 0.46 cos(6.2831852 t / (N - 1)) and returns the correction factor
// g = (N - 1) / Σ w(t). One value is a floating-point error (0 / 0).
double hammingWindow(std::vector<double>& v);

// Radix-2 decimation-in-frequency FFT in place, forward, natural order, no scaling; the twiddle
// angles accumulate steps of 6.283184 / N. `re.size()` must be a power of two.
void FFT(std::vector<double>& re, std::vector<double>& im);

}  // namespace ctiq
