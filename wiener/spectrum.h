#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "image/stored_image.h"

namespace ctiq {

// The capacity of the spectrum window's arrays: a strip of at most 1025 samples, and the spectrum
// and autocorrelation tables of that many bins.
constexpr std::int32_t kSpectrumCapacity = 1025;

// The largest number of segments a run takes unless told otherwise ("Segment#").
constexpr std::int32_t kDefaultMaxSegments = 10000;

enum class SpectrumDirection { X, Y };
enum class DataWindow { Rect, Hamming };

// Where the samples come from: the viewer's image file bytes, its stored image and its value
// rule, each value times the factor C.
struct SpectrumImage {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    StoredImageLayout layout;  // columns: the row length between strips and in Y strips
    SampleValueRule rule;
    std::int32_t rowLength = 0;  // this window's ImageSize: row length within X strips
    double factor = 1.0;
    std::int32_t roiLeft = 0;  // image column and row of the ROI's top-left sample
    std::int32_t roiTop = 0;
};

// The input of a run over the stored image `layout` in `bytes`, from the ROI's top-left sample,
// with row length and factor as a fresh window has them (the image's columns, 1).
SpectrumImage spectrumSource(const ImageBytes& bytes, const StoredImageLayout& layout,
                             const SampleValueRule& rule, std::int32_t roiLeft,
                             std::int32_t roiTop);

struct SpectrumParameters {
    SpectrumDirection direction = SpectrumDirection::X;
    std::int32_t segmentX = 0, segmentY = 0;  // SegmentSize
    std::int32_t shiftX = 0, shiftY = 0;      // Shift
    std::int32_t roiX = 0, roiY = 0;          // the viewer's ROI size
    std::int32_t maxSegments = kDefaultMaxSegments;
    double pixelSpacing = 0;  // mm
    bool lineTrend = false;
    int lineDegree = 1;
    bool segmentTrend = false;
    int segmentDegree = 1;
    DataWindow window = DataWindow::Hamming;
    bool autocorrelation = true;  // also the autocorrelation of the strip profiles
};

struct SpectrumResult {
    std::int32_t segmentLength = 0;       // N
    std::vector<double> spectrum;         // N values, (scaled value)² · mm², at k / (N Δ) c/mm
    std::vector<double> autocorrelation;  // N values, at lag k Δ mm
    // N values: the standard error of each bin, SD of the segments' powers / √effectiveSegments
    // (overlapping segments and strips are not independent).
    std::vector<double> standardError;
    std::int32_t segments = 0;
    double effectiveSegments = 0;
    std::vector<std::int32_t> segmentsPerStrip;
    std::int32_t strips = 0;
    // The strip profiles for the profile chart (those at v mod (W div 3) = 0).
    std::vector<std::vector<double>> profiles;
};

// Which field plays which role for the run's direction: along X the segment length is segmentX
// and the strip width segmentY (the steps likewise), along Y the other way round.
struct SpectrumFieldRoles {
    std::int32_t* segment;
    std::int32_t* lines;
    std::int32_t* segmentStep;
    std::int32_t* stripStep;
};
SpectrumFieldRoles fieldRoles(SpectrumParameters& p);

// The direction changed as the window's "X/Y" does it: the segment and step fields exchange
// between X and Y, so each value keeps its role.
void turnDirection(SpectrumParameters& p, SpectrumDirection direction);

// The segment, strip and step fields that "Load" derives from the ROI width: segments of a quarter
// of it, strips of 16 lines, steps of half of each (as the "X" direction has them).
struct SpectrumDefaults {
    std::int32_t segmentX = 0, segmentY = 0, shiftX = 0, shiftY = 0;
};
SpectrumDefaults spectrumDefaults(std::int32_t roiWidth);

// The parameters of a run with those defaults over an ROI of roiX × roiY, in the "X" direction.
SpectrumParameters defaultSpectrumParameters(std::int32_t roiX, std::int32_t roiY,
                                             double pixelSpacing, DataWindow window);

// The one-dimensional Wiener spectrum of the ROI: strips along the direction, each averaged over
// its lines into a profile (optionally detrended line by line), cut into overlapping segments
// (detrended or mean-removed, windowed, transformed), power Δ · S / N (· g² for Hamming) averaged
// over all segments; and the autocorrelation of the profiles. Parameters that do not fit the
// arrays or the stored image are refused (AppError) before anything is computed.
SpectrumResult computeWienerSpectrum(const SpectrumImage& image, const SpectrumParameters& p);

// The exports: a "c/mm\t<file>" line, then two TAB-separated numbers per line, CR LF.
std::string spectrumTableText(const std::string& fileName, const std::vector<double>& spectrum,
                              std::int32_t segmentLength, double pixelSpacing);
std::string autocorrelationTableText(const std::string& fileName,
                                     const std::vector<double>& autocorrelation,
                                     std::int32_t segmentLength, double pixelSpacing);
std::string smoothedTableText(const std::string& fileName, const std::vector<double>& spectrum,
                              std::int32_t segmentLength, double pixelSpacing);

}  // namespace ctiq
