#include "mtf/lsf.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "common/app_error.h"
#include "common/checked.h"
#include "common/frequency_axis.h"
#include "common/number_text.h"
#include "common/rounding.h"

namespace ctiq {
namespace {

std::size_t peakIndex(const std::vector<double>& a) {
    std::size_t p = 0;
    for (std::size_t i = 1; i < a.size(); ++i)
        if (a[i] > a[p]) p = i;
    return p;
}

[[noreturn]] void notFound(const char* what) {
    throw AppError(
        "The LSF cannot be cut: %1. Centre the ROI on the point and make it wider, or lower "
        "\"PSF width\".",
        {AppError(what)});
}

}  // namespace

LineBand bandLines(LsfDirection direction, CellPosition maximum, std::int32_t lines) {
    // Each of the L lines once: the peak line, L - 1 - L div 2 lines on the "+" side (rows below
    // along X, columns to the left along Y) and L div 2 on the "-" side.
    const bool alongX = direction == LsfDirection::X;
    const std::int32_t centre = alongX ? maximum.row : maximum.column;
    const std::int32_t plusReach = lines - 1 - lines / 2, minusReach = lines / 2;
    return {alongX ? centre - minusReach : centre - plusReach,
            alongX ? centre + plusReach : centre + minusReach};
}

std::vector<double> bandSum(const PixelTable& table, LsfDirection direction, CellPosition maximum,
                            std::int32_t lines) {
    const bool alongX = direction == LsfDirection::X;
    const std::int32_t n = (alongX ? table.colCount() : table.rowCount()) - 1;
    const std::int32_t lineCount = (alongX ? table.rowCount() : table.colCount()) - 1;
    if (n > kMaxLsfLength) {
        throw AppError(
            "The pixel table has %1 samples along the LSF; at most %2 fit. Use a "
            "smaller ROI.",
            {std::to_string(n), std::to_string(kMaxLsfLength)});
    }
    if (lines < 1) throw AppError("The DFT line count must be at least 1.");
    const std::int32_t centre = alongX ? maximum.row : maximum.column;
    const std::int32_t plusReach = lines - 1 - lines / 2, minusReach = lines / 2;
    const auto [first, last] = bandLines(direction, maximum, lines);
    if (first < 1 || last > lineCount) {
        throw AppError(alongX ? "The band of %1 lines around the maximum (rows %2 to %3) does not "
                                "fit in the table's %4 rows. Lower \"DFT line#\" or centre the "
                                "ROI on the point."
                              : "The band of %1 lines around the maximum (columns %2 to %3) does "
                                "not fit in the table's %4 columns. Lower \"DFT line#\" or "
                                "centre the ROI on the point.",
                       {std::to_string(lines), std::to_string(first), std::to_string(last),
                        std::to_string(lineCount)});
    }
    auto cell = [&](std::int32_t sample, std::int32_t line) {
        return alongX ? table.value(sample, line) : table.value(line, sample);
    };
    std::vector<double> raw(static_cast<std::size_t>(std::max(n, 0)), 0.0);
    for (std::int32_t s = 1; s <= n; ++s) {
        // Outward from the peak line: first the "+" side, then the "-" side; along Y the "+"
        // side lies to the left, as the band is mirrored there.
        const std::int32_t plus = alongX ? 1 : -1;
        double sum = cell(s, centre);
        for (std::int32_t m = 1; m <= plusReach; ++m) sum += cell(s, centre + plus * m);
        for (std::int32_t m = 1; m <= minusReach; ++m) sum += cell(s, centre - plus * m);
        raw[static_cast<std::size_t>(s - 1)] = sum;
    }
    return raw;
}

void cutBackground(std::vector<double>& a, std::int32_t bumps) {
    if (bumps < 1) throw AppError("\"PSF width\" must be at least 1.");
    const std::int64_t n = static_cast<std::int64_t>(a.size());
    const std::int64_t p = static_cast<std::int64_t>(peakIndex(a));
    if (p - 3 < 0 || p + 3 > n - 1) notFound("the peak lies closer than three samples to an end");

    // Left side: the 10 % point above the first sample, the valley, then `bumps` bumps.
    std::int64_t j = p - 3;
    while (a[j] - a[0] > (a[p] - a[0]) / 10) {
        if (--j < 0) notFound("the left tail never falls to 10 % of the peak");
    }
    auto descendLeft = [&] {
        while (true) {
            if (j == 0) notFound("no valley on the left inside the data");
            if (!(a[j - 1] < a[j])) break;
            --j;
        }
    };
    descendLeft();
    std::int64_t topL = j, valL = j;
    for (std::int32_t b = 0; b < bumps; ++b) {
        const std::int64_t before = j;
        while (j > 0 && a[j - 1] > a[j]) --j;
        topL = j;
        descendLeft();
        valL = j;
        if (j == before) break;  // on a flat stretch: the remaining bumps would not move either
    }
    const std::int64_t iL = (topL + valL) / 2;

    // Right side, mirrored, above the last sample.
    std::int64_t k = p + 3;
    while (a[k] - a[n - 1] > (a[p] - a[n - 1]) / 10) {
        if (++k > n - 1) notFound("the right tail never falls to 10 % of the peak");
    }
    auto descendRight = [&] {
        while (true) {
            if (k == n - 1) notFound("no valley on the right inside the data");
            if (!(a[k + 1] < a[k])) break;
            ++k;
        }
    };
    descendRight();
    std::int64_t topR = k, valR = k;
    for (std::int32_t b = 0; b < bumps; ++b) {
        const std::int64_t before = k;
        while (k < n - 2 && a[k + 1] > a[k]) ++k;
        topR = k;
        descendRight();
        valR = k;
        if (k == before) break;
    }
    const std::int64_t iR = (topR + valR) / 2;

    for (std::int64_t i = 0; i < iL; ++i) a[i] = 0;
    const double baseL = a[iL];
    for (std::int64_t i = iL; i <= p; ++i) a[i] -= baseL;
    const double baseR = a[iR];
    for (std::int64_t i = p + 1; i <= iR; ++i) a[i] -= baseR;
    for (std::int64_t i = iR + 1; i < n; ++i) a[i] = 0;
}

double halfWidthSamples(const std::vector<double>& a) {
    const std::int64_t n = static_cast<std::int64_t>(a.size());
    if (n == 0) return 0;
    const std::int64_t p = static_cast<std::int64_t>(peakIndex(a));
    if (!(a[p] > 0)) throw AppError("The LSF has no peak above zero, so it has no half width.");
    const double h = a[p] / 2;
    std::int64_t j = p;
    while (a[j] > h) {
        if (--j < 0) throw AppError("The LSF does not fall to half its maximum on the left.");
    }
    const double xL = j + static_cast<double>(checkedDivide(h - a[j], a[j + 1] - a[j]));
    std::int64_t k = p;
    while (a[k] > h) {
        if (++k > n - 1) throw AppError("The LSF does not fall to half its maximum on the right.");
    }
    const double xR = (k - 1) + static_cast<double>(checkedDivide(h - a[k - 1], a[k] - a[k - 1]));
    return xR - xL;
}

Spectrum discreteFourierTransform(const std::vector<double>& lsf) {
    const std::size_t n = lsf.size();
    Spectrum s{std::vector<double>(n, 0.0), std::vector<double>(n, 0.0)};
    if (n == 0) return s;
    // θ = 2π·k·n / N depends only on k·n mod N: one exact table instead of N² evaluations.
    std::vector<double> cosine(n), sine(n);
    const long double twoPi = 2 * std::numbers::pi_v<long double>;
    for (std::size_t m = 0; m < n; ++m) {
        const long double theta = twoPi * static_cast<long double>(m) / static_cast<long double>(n);
        cosine[m] = static_cast<double>(std::cos(theta));
        sine[m] = static_cast<double>(std::sin(theta));
    }
    for (std::size_t k = 0; k < n; ++k) {
        double re = 0, im = 0;
        std::size_t angle = 0;  // k·i mod N
        for (std::size_t i = 0; i < n; ++i) {
            re += lsf[i] * cosine[angle];
            im += lsf[i] * sine[angle];
            angle += k;
            if (angle >= n) angle -= n;
        }
        s.re[k] = re;
        s.im[k] = im;
    }
    return s;
}

std::vector<double> magnitude(const Spectrum& s) {
    std::vector<double> m(s.re.size());
    for (std::size_t k = 0; k < m.size(); ++k)
        m[k] = std::sqrt(s.re[k] * s.re[k] + s.im[k] * s.im[k]);
    return m;
}

double round4(double x) {
    return static_cast<double>(roundHalfEven(x * 10000.0)) / 10000.0;
}

std::string lsfMemoText(const std::string& fileName, const std::vector<double>& lsf,
                        double spacing) {
    std::string text = "mm\t" + fileName + "\r\n";
    for (std::size_t i = 0; i < lsf.size(); ++i)
        text += FloatToStr(round4(i * spacing)) + "\t" + FloatToStr(lsf[i]) + "\r\n";
    return text;
}

std::string mtfMemoText(const std::string& fileName, const std::vector<double>& mtfAbs,
                        double spacing) {
    std::string text = "c/mm\t" + fileName + "\r\n";
    const long double n = static_cast<long double>(mtfAbs.size());
    for (std::size_t k = 0; k < mtfAbs.size(); ++k) {
        const double f = static_cast<double>(
            binFrequency(static_cast<std::int64_t>(k), static_cast<std::int64_t>(n), spacing));
        const double m = static_cast<double>(checkedDivide(mtfAbs[k], mtfAbs[0]));
        text += FloatToStr(round4(f)) + "\t" + FloatToStr(round4(m)) + "\r\n";
    }
    return text;
}

MtfResult computeMtf(const PixelTable& table, LsfDirection direction, CellPosition maximum,
                     std::int32_t lines, std::int32_t bumps, long double spacing) {
    MtfResult r;
    r.raw = bandSum(table, direction, maximum, lines);
    r.lsf = r.raw;
    cutBackground(r.lsf, bumps);
    if (!r.lsf.empty()) r.width = static_cast<double>(spacing * halfWidthSamples(r.lsf));
    r.spectrum = discreteFourierTransform(r.lsf);
    r.mtfAbs = magnitude(r.spectrum);
    return r;
}

std::string halfWidthText(double width) {
    return "HWHM=" + FloatToStr(width);
}

std::vector<std::int32_t> tickPositions(double span, double spacing, std::int32_t width) {
    std::vector<std::int32_t> ticks;
    if (!(span > 0) || !(spacing > 0) || span / spacing > width) return ticks;
    for (double x = 0; x < span; x += spacing)
        ticks.push_back(static_cast<std::int32_t>(roundHalfEven(x / span * width)));
    return ticks;
}

PlotPoints lsfPlotPoints(const std::vector<double>& lsf, std::int32_t n, double spacing) {
    PlotPoints p;
    for (std::int32_t i = 0; i < n; ++i) {
        p.x.push_back(i * spacing);
        p.y.push_back(lsf.at(i));
    }
    return p;
}

PlotPoints mtfPlotPoints(const std::vector<double>& mtfAbs, std::int32_t n, double spacing) {
    PlotPoints p;
    for (std::int32_t k = 0; k < n / 2; ++k) {
        p.x.push_back(static_cast<double>(
            binFrequency(k, static_cast<std::int64_t>(mtfAbs.size()), spacing)));
        p.y.push_back(static_cast<double>(checkedDivide(mtfAbs.at(k), mtfAbs.at(0))));
    }
    return p;
}

void requireDataCount(std::int32_t n, std::int32_t computed, const std::string& what) {
    if (n < 0 || n > kMaxLsfLength || n > computed) {
        throw AppError(
            "\"Data#\" is %1, but the computed %2 has %3 points (at most %4).",
            {std::to_string(n), what, std::to_string(computed), std::to_string(kMaxLsfLength)});
    }
}

double tickIntervalFor(double range, double preferred, int maxTicks) {
    double interval = preferred;
    while (std::isfinite(range) && range / interval > maxTicks) interval *= 10;
    return interval;
}

}  // namespace ctiq
