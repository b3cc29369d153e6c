#include "mtf/reliability.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <numbers>
#include <string>

#include "common/number_text.h"
#include "mtf/combined.h"

namespace ctiq {

BandBackground backgroundOutsideBand(const PixelTable& table, LsfDirection direction,
                                     CellPosition maximum, int lines) {
    const bool alongX = direction == LsfDirection::X;
    const auto [first, last] = bandLines(direction, maximum, lines);
    double sum = 0, squares = 0;
    long count = 0;
    for (int r = 1; r < table.rowCount(); ++r) {
        for (int c = 1; c < table.colCount(); ++c) {
            const int line = alongX ? r : c;
            if (line >= first && line <= last) continue;
            const double v = table.value(c, r);
            sum += v;
            squares += v * v;
            ++count;
        }
    }
    BandBackground b;
    b.cells = count;
    if (count == 0) return b;
    b.mean = sum / static_cast<double>(count);
    b.sd = std::sqrt(std::max(squares / static_cast<double>(count) - b.mean * b.mean, 0.0));
    return b;
}

double mtfNoiseLevel(const MtfResult& r, double backgroundSd, int lines) {
    double area = 0;
    long support = 0;
    for (double v : r.lsf) {
        area += v;
        if (v != 0) ++support;
    }
    if (!(area > 0)) return 0;
    const auto peak =
        static_cast<long>(std::max_element(r.lsf.begin(), r.lsf.end()) - r.lsf.begin());
    double left = 0, right = 0;
    for (long i = 0; i < static_cast<long>(r.lsf.size()); ++i) {
        if (r.lsf[static_cast<std::size_t>(i)] == 0) continue;
        if (i < peak) ++left;
        if (i > peak) ++right;
    }
    const double terms = static_cast<double>(support) / 2 + (left * left + right * right) / 2;
    return backgroundSd * std::sqrt(lines * terms) / area;
}

namespace {

// Least-squares quadratic surface a + bu + cv + du² + euv + fv² through the points: the normal
// equations, solved by Gaussian elimination with partial pivoting.
std::array<double, 6> quadraticTrend(const std::vector<std::array<double, 3>>& points) {
    std::array<std::array<double, 7>, 6> m{};
    for (const auto& p : points) {
        const std::array<double, 6> t = {1, p[0], p[1], p[0] * p[0], p[0] * p[1], p[1] * p[1]};
        for (int i = 0; i < 6; ++i) {
            for (int j = i; j < 6; ++j) m[i][j] += t[i] * t[j];
            m[i][6] += t[i] * p[2];
        }
    }
    // The lower half: the same products added in the same order, so the very same sums.
    for (int i = 0; i < 6; ++i)
        for (int j = 0; j < i; ++j) m[i][j] = m[j][i];
    std::array<double, 6> x{};
    for (int c = 0; c < 6; ++c) {
        int best = c;
        for (int r = c + 1; r < 6; ++r)
            if (std::abs(m[r][c]) > std::abs(m[best][c])) best = r;
        std::swap(m[c], m[best]);
        if (!(std::abs(m[c][c]) > 1e-12)) return {};  // too few points for a surface: no trend
        for (int r = 0; r < 6; ++r) {
            if (r == c) continue;
            const double f = m[r][c] / m[c][c];
            for (int j = c; j < 7; ++j) m[r][j] -= f * m[c][j];
        }
    }
    for (int i = 0; i < 6; ++i) x[i] = m[i][6] / m[i][i];
    return x;
}

}  // namespace

std::vector<double> bandNoiseCovariance(const PixelTable& table, LsfDirection direction,
                                        CellPosition maximum, int lines, int maxLag) {
    const bool alongX = direction == LsfDirection::X;
    const auto [first, last] = bandLines(direction, maximum, lines);
    // u runs along the LSF, v across it (the lines); both from 0.
    const int nu = (alongX ? table.colCount() : table.rowCount()) - 1;
    const int nv = (alongX ? table.rowCount() : table.colCount()) - 1;
    if (nu < 1 || nv < 1) return {};
    auto cell = [&](int u, int v) {
        return alongX ? table.value(u + 1, v + 1) : table.value(v + 1, u + 1);
    };
    auto outside = [&](int v) { return v + 1 < first || v + 1 > last; };
    std::vector<std::array<double, 3>> points;
    points.reserve(static_cast<std::size_t>(nu) * nv);
    int outsideLines = 0;
    for (int v = 0; v < nv; ++v) {
        if (!outside(v)) continue;
        ++outsideLines;
        for (int u = 0; u < nu; ++u)
            points.push_back({(u - nu / 2.0) / nu, (v - nv / 2.0) / nv, cell(u, v)});
    }
    if (outsideLines < 2) return {};
    const std::array<double, 6> t = quadraticTrend(points);
    std::vector<double> e(static_cast<std::size_t>(nu) * nv, 0.0);
    for (int v = 0; v < nv; ++v) {
        if (!outside(v)) continue;
        for (int u = 0; u < nu; ++u) {
            const double x = (u - nu / 2.0) / nu, y = (v - nv / 2.0) / nv;
            e[std::size_t(v) * nu + u] =
                cell(u, v) - (t[0] + t[1] * x + t[2] * y + t[3] * x * x + t[4] * x * y + t[5] * y * y);
        }
    }
    // The cells' covariance at lags (du, dv), du = firstDu … maxLag, for one dv ≥ 0: the mean of
    // e(u, v)·e(u + du, v + dv) over the pairs whose lines both lie outside the band. Each lag's
    // sum is added in the order of v, then u, as a lag on its own adds it; a few lags side by side
    // keep the processor busy where a single sum would wait on its previous addition.
    auto lagCovariances = [&](int dv, int firstDu) {
        std::vector<double> result;
        constexpr int kChunk = 8;
        for (int chunkDu = firstDu; chunkDu <= maxLag; chunkDu += kChunk) {
            const int count = std::min(kChunk, maxLag - chunkDu + 1);
            std::array<double, kChunk> sum{};
            long lineCount = 0;
            for (int v = 0; v + dv < nv; ++v) {
                if (!outside(v) || !outside(v + dv)) continue;
                ++lineCount;
                const double* a = e.data() + std::size_t(v) * nu;
                const double* b = e.data() + std::size_t(v + dv) * nu;
                // u where every lag of the chunk has its partner inside the line, and the ends.
                const int from = std::max(0, -chunkDu), to = std::min(nu, nu - (chunkDu + count - 1));
                auto edge = [&](int u) {
                    for (int l = 0; l < count; ++l) {
                        const int w = u + chunkDu + l;
                        if (w >= 0 && w < nu) sum[l] += a[u] * b[w];
                    }
                };
                int u = 0;
                for (; u < std::min(from, nu); ++u) edge(u);
                for (; u < to; ++u)
                    for (int l = 0; l < count; ++l) sum[l] += a[u] * b[u + chunkDu + l];
                for (; u < nu; ++u) edge(u);
            }
            for (int l = 0; l < count; ++l) {
                const long pairs = lineCount * std::max(0, nu - std::abs(chunkDu + l));
                result.push_back(pairs > 0 ? sum[l] / static_cast<double>(pairs) : 0.0);
            }
        }
        return result;  // [du - firstDu]
    };
    const int acrossLags = std::min(lines - 1, maxLag);
    const std::vector<double> along = lagCovariances(0, 0);
    std::vector<std::vector<double>> across;  // [dv - 1][du + maxLag]
    for (int dv = 1; dv <= acrossLags; ++dv) across.push_back(lagCovariances(dv, -maxLag));
    std::vector<double> covariance(static_cast<std::size_t>(maxLag) + 1, 0.0);
    for (int du = 0; du <= maxLag; ++du) {
        double sum = lines * along[std::size_t(du)];
        for (int dv = 1; dv <= acrossLags; ++dv) {  // C(du, −dv) = C(−du, dv)
            const std::vector<double>& c = across[std::size_t(dv - 1)];
            sum += (lines - dv) * (c[std::size_t(maxLag + du)] + c[std::size_t(maxLag - du)]);
        }
        covariance[static_cast<std::size_t>(du)] = sum;
    }
    return covariance;
}

std::optional<double> crossingStandardErrorFromNoise(const MtfResult& r, double spacing,
                                                     double level,
                                                     const std::vector<double>& covariance) {
    const std::vector<double>& lsf = r.lsf;
    const std::size_t n = lsf.size();
    if (n < 4 || covariance.empty() || !(spacing > 0)) return std::nullopt;
    const MtfCurve curve = mtfCurve(r.mtfAbs, spacing);
    std::size_t k1 = 0;
    for (std::size_t k = 1; k < curve.value.size(); ++k)
        if (curve.value[k] <= level) {
            k1 = k;
            break;
        }
    if (k1 == 0) return std::nullopt;
    // The cut: every sample from iL to the peak lost raw[iL], from the peak + 1 to iR raw[iR].
    const std::size_t p =
        static_cast<std::size_t>(std::max_element(lsf.begin(), lsf.end()) - lsf.begin());
    std::size_t iL = p, iR = p;
    while (iL > 0 && lsf[iL - 1] != 0) --iL;
    if (iL > 0) --iL;
    while (iR + 1 < n && lsf[iR + 1] != 0) ++iR;
    if (iR + 1 < n) ++iR;
    double area = 0;
    for (double v : lsf) area += v;
    if (!(area > 0)) return std::nullopt;
    // d MTF(k) / d raw_j, for the two bins around the crossing.
    auto gradient = [&](std::size_t k) {
        std::vector<std::complex<double>> w(n);
        std::complex<double> transform = 0, left = 0, right = 0;
        for (std::size_t i = 0; i < n; ++i) {
            w[i] = std::polar(1.0, 2 * std::numbers::pi * static_cast<double>((k * i) % n) /
                                       static_cast<double>(n));
            transform += lsf[i] * w[i];
            if (i >= iL && i <= p) left += w[i];
            if (i > p && i <= iR) right += w[i];
        }
        const double value = std::abs(transform) / area;
        const std::complex<double> unit =
            std::abs(transform) > 0 ? std::conj(transform) / std::abs(transform) : 0.0;
        std::vector<double> h(n, 0.0);
        for (std::size_t j = iL; j <= iR; ++j) {
            std::complex<double> g = w[j];
            double g0 = 1;
            if (j == iL) {
                g -= left;
                g0 -= static_cast<double>(p - iL + 1);
            }
            if (j == iR) {
                g -= right;
                g0 -= static_cast<double>(iR - p);
            }
            h[j] = ((unit * g).real() - value * g0) / area;
        }
        return std::pair{h, value};
    };
    const auto [h0, m0] = gradient(k1 - 1);
    const auto [h1, m1] = gradient(k1);
    if (!(m0 > m1)) return std::nullopt;
    // f = f0 + (m0 − level)/(m0 − m1)·Δf: its derivatives by m0 and m1.
    const double df = curve.frequency[k1] - curve.frequency[k1 - 1];
    const double a = df * (level - m1) / ((m0 - m1) * (m0 - m1));
    const double b = df * (m0 - level) / ((m0 - m1) * (m0 - m1));
    double variance = 0;
    const long lags = static_cast<long>(covariance.size()) - 1;
    for (long i = static_cast<long>(iL); i <= static_cast<long>(iR); ++i) {
        const double qi = a * h0[std::size_t(i)] + b * h1[std::size_t(i)];
        if (qi == 0) continue;
        for (long j = std::max(static_cast<long>(iL), i - lags);
             j <= std::min(static_cast<long>(iR), i + lags); ++j) {
            const double qj = a * h0[std::size_t(j)] + b * h1[std::size_t(j)];
            variance += qi * qj * covariance[static_cast<std::size_t>(std::labs(i - j))];
        }
    }
    return std::sqrt(std::max(variance, 0.0));
}

QualityFlags nyquistFlags(std::optional<double> mtf10, double spacing) {
    QualityFlags flags;
    if (!mtf10 || !(spacing > 0)) return flags;
    const double nyquist = 1 / (2 * spacing);
    if (*mtf10 > kMaxMtf10OfNyquist * nyquist)
        flags.push_back({"mtf10-at-nyquist",
                         "MTF10 " + fixedText(*mtf10, 3) + " c/mm lies within " +
                             fixedText(100 * (1 - kMaxMtf10OfNyquist), 0) + " % of Nyquist (" +
                             fixedText(nyquist, 3) +
                             " c/mm), where the point's sub-pixel position sets the value: the "
                             "pixels, not the system, limit it. Use a finer pixel spacing."});
    return flags;
}

QualityFlags precisionFlags(std::optional<double> mtf50, std::optional<double> mtf50Se,
                            std::optional<double> mtf10, std::optional<double> mtf10Se,
                            const std::string& what) {
    QualityFlags flags;
    const bool wide50 = mtf50 && mtf50Se && *mtf50Se > kMaxMtf50RelativeSe * *mtf50;
    const bool wide10 = mtf10 && mtf10Se && *mtf10Se > kMaxMtf10RelativeSe * *mtf10;
    if (!wide50 && !wide10) return flags;
    std::string text = "The noise moves ";
    if (wide50) text += "MTF50 by ± " + fixedText(100 * *mtf50Se / *mtf50, 1) + " %";
    if (wide50 && wide10) text += " and ";
    if (wide10) text += "MTF10 by ± " + fixedText(100 * *mtf10Se / *mtf10, 1) + " %";
    text += " (" + what + "; flagged above " + fixedText(100 * kMaxMtf50RelativeSe, 1) + " % and " +
            fixedText(100 * kMaxMtf10RelativeSe, 1) +
            " %): combine more images or ROIs, or raise the dose.";
    flags.push_back({"mtf-imprecise", text});
    return flags;
}

std::optional<double> crossingStandardError(const std::vector<double>& frequency,
                                            const std::vector<double>& value, double level,
                                            double noise) {
    for (std::size_t i = 1; i < frequency.size() && i < value.size(); ++i) {
        if (value[i] > level) continue;
        const double slope = (value[i] - value[i - 1]) / (frequency[i] - frequency[i - 1]);
        if (!(std::abs(slope) > 0)) return std::nullopt;
        return noise / std::abs(slope);
    }
    return std::nullopt;
}

QualityFlags mtfCurveFlags(const std::vector<double>& frequency, const std::vector<double>& value,
                           const std::vector<double>& noise, std::optional<double> mtf10) {
    QualityFlags flags;
    double highest = 0, lowest = value.empty() ? 0 : value[0];
    double rise = 0, riseAt = 0;
    for (std::size_t k = 1; k < value.size() && k < frequency.size(); ++k) {
        if (mtf10 && frequency[k] > *mtf10) break;
        highest = std::max(highest, value[k]);
        const double allowed = std::max(3 * (k < noise.size() ? noise[k] : 0.0), 0.01);
        if (value[k] - lowest > allowed && value[k] - lowest > rise) {
            rise = value[k] - lowest;
            riseAt = frequency[k];
        }
        lowest = std::min(lowest, value[k]);
    }
    if (highest > kMtfOvershoot)
        flags.push_back({"mtf-overshoot", "The MTF reaches " + fixedText(highest, 3) +
                                              " before MTF10 (above " +
                                              fixedText(kMtfOvershoot, 2) +
                                              "): noise or a wrong background cut, not the "
                                              "system's resolution."});
    if (rise > 0)
        flags.push_back({"mtf-rises", "The MTF climbs back by " + fixedText(rise, 3) + " at " +
                                          fixedText(riseAt, 3) +
                                          " c/mm, more than its noise: MTF50 and MTF10 are only "
                                          "the first crossings."});
    return flags;
}

PointCheck checkPoint(const PixelTable& table, LsfDirection direction, CellPosition maximum,
                      int lines, const MtfResult& r, double spacing) {
    PointCheck check;
    const bool alongX = direction == LsfDirection::X;
    const BandBackground background = backgroundOutsideBand(table, direction, maximum, lines);
    const double peak = table.value(maximum.column, maximum.row);
    check.backgroundSd = background.sd;
    check.peakSnr = background.sd > 0 ? (peak - background.mean) / background.sd
                                      : (peak > background.mean ? HUGE_VAL : 0);
    const int n = static_cast<int>(r.lsf.size());
    const double position = (alongX ? maximum.column : maximum.row) - 1;
    const double clearance = kEdgeClearanceFwhm * (spacing > 0 ? r.width / spacing : 0);
    check.nearEnd = position < clearance || (n - 1 - position) < clearance;
    const int lineCount = (alongX ? table.rowCount() : table.colCount()) - 1;
    const auto [first, last] = bandLines(direction, maximum, lines);
    check.bandAtEdge = first <= 1 || last >= lineCount;
    const auto peakAt = std::max_element(r.lsf.begin(), r.lsf.end()) - r.lsf.begin();
    const double reach = 3 * (spacing > 0 ? r.width / spacing : 0);
    double total = 0, wings = 0;
    for (std::size_t i = 0; i < r.lsf.size(); ++i) {
        total += std::abs(r.lsf[i]);
        if (std::abs(static_cast<double>(i) - static_cast<double>(peakAt)) > reach)
            wings += std::abs(r.lsf[i]);
    }
    check.wingFraction = total > 0 ? wings / total : 0;
    return check;
}

QualityFlags pointFlags(const PointCheck& check) {
    QualityFlags flags;
    if (check.peakSnr < kMinPeakSnr)
        flags.push_back({"low-peak-snr", "The point's peak stands " + fixedText(check.peakSnr, 1) +
                                             " background SDs above the background (below " +
                                             fixedText(kMinPeakSnr, 0) +
                                             "): combine more images or ROIs."});
    if (check.wingFraction > kMaxWingFraction)
        flags.push_back({"lsf-wide-cut", fixedText(100 * check.wingFraction, 0) +
                                             " % of the LSF lies farther than 3 FWHM from its "
                                             "peak: noise kept by the background cut lowers the "
                                             "MTF at low frequencies. Combine several images."});
    if (check.nearEnd)
        flags.push_back({"point-near-edge",
                         "The point lies within " + fixedText(kEdgeClearanceFwhm, 0) +
                             " FWHM of the ROI's end: its tails are cut. Centre the ROI on it."});
    if (check.bandAtEdge)
        flags.push_back({"band-at-edge",
                         "The band of lines reaches the ROI's edge: the point may not lie inside "
                         "it. Centre the ROI on the point or lower the line count."});
    return flags;
}

MtfAssessment assessMtf(const PixelTable& table, LsfDirection direction, CellPosition maximum,
                        int lines, const MtfResult& r, double spacing) {
    MtfAssessment a;
    a.point = checkPoint(table, direction, maximum, lines, r, spacing);
    a.noise = mtfNoiseLevel(r, a.point.backgroundSd, lines);
    const MtfCurve curve = mtfCurve(r.mtfAbs, spacing);
    const std::optional<double> mtf10 = frequencyAtLevel(curve.frequency, curve.value, 0.1);
    a.flags = mtfCurveFlags(curve.frequency, curve.value,
                            std::vector<double>(curve.value.size(), a.noise), mtf10);
    const QualityFlags point = pointFlags(a.point);
    a.flags.insert(a.flags.end(), point.begin(), point.end());
    // From the noise's measured covariance: σ√L of uncorrelated cells understates it.
    const std::vector<double> covariance =
        bandNoiseCovariance(table, direction, maximum, lines, kNoiseCovarianceLags);
    a.mtf50StandardError = crossingStandardErrorFromNoise(r, spacing, 0.5, covariance);
    a.mtf10StandardError = crossingStandardErrorFromNoise(r, spacing, 0.1, covariance);
    const QualityFlags precision =
        precisionFlags(frequencyAtLevel(curve.frequency, curve.value, 0.5), a.mtf50StandardError,
                       mtf10, a.mtf10StandardError, "from the background's noise");
    a.flags.insert(a.flags.end(), precision.begin(), precision.end());
    const QualityFlags nyquist = nyquistFlags(mtf10, spacing);
    a.flags.insert(a.flags.end(), nyquist.begin(), nyquist.end());
    // The cut at the valleys against the band sum kept wider: a sharp kernel's side lobes or a
    // background trend make the figures depend on where the LSF ends.
    const MtfSummary reported = summarizeMtf(r.mtfAbs, spacing, 0);
    auto relative = [](const std::optional<double>& se, const std::optional<double>& f) {
        return se && f && *f > 0 ? *se / *f : 0.0;
    };
    for (double reach : kSingleWiderReachesFwhm) {
        const std::optional<MtfSummary> wide = reachSummary(r, spacing, reach);
        if (!wide) continue;
        const QualityFlags tails =
            reachFlags(reported, *wide, 0, reach, relative(a.mtf50StandardError, reported.mtf50),
                       relative(a.mtf10StandardError, reported.mtf10));
        a.flags.insert(a.flags.end(), tails.begin(), tails.end());
        break;
    }
    return a;
}

}  // namespace ctiq
