#include "mtf/reliability.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "common/number_text.h"

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
    a.mtf50StandardError = crossingStandardError(curve.frequency, curve.value, 0.5, a.noise);
    return a;
}

}  // namespace ctiq
