// The spectrum computation with arbitrary parameters over an arbitrary image, and its tables.
#include <cstddef>
#include <cstdint>

#include "common/app_error.h"
#include "tests/fuzz/fuzz_input.h"
#include "wiener/spectrum.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ctiq;
    fuzz::Input in(data, size);
    SpectrumImage image;
    image.layout.header = in.take<std::int8_t>();
    image.layout.columns = in.take<std::int16_t>();
    image.layout.rows = in.take<std::int16_t>();
    image.rowLength = in.take<std::int16_t>();
    const auto flags = in.take<std::uint8_t>();
    image.layout.format = flags & 1 ? SampleFormat::Byte8 : SampleFormat::Word16;
    image.rule.format = image.layout.format;
    image.rule.swap = flags & 2;
    image.rule.offset = in.take<std::int16_t>();
    image.factor = in.take<std::int8_t>();
    image.roiLeft = in.take<std::int16_t>();
    image.roiTop = in.take<std::int16_t>();
    SpectrumParameters p;
    p.direction = flags & 4 ? SpectrumDirection::Y : SpectrumDirection::X;
    p.window = flags & 8 ? DataWindow::Rect : DataWindow::Hamming;
    p.segmentX = in.take<std::int16_t>();
    p.segmentY = in.take<std::int16_t>();
    p.shiftX = in.take<std::int16_t>();
    p.shiftY = in.take<std::int16_t>();
    p.roiX = in.take<std::int16_t>();
    p.roiY = in.take<std::int16_t>();
    p.maxSegments = in.take<std::uint8_t>();  // keeps a run short
    p.pixelSpacing = in.take<std::int8_t>() / 8.0;
    p.lineTrend = flags & 16;
    p.lineDegree = in.take<std::int8_t>() % 20;
    p.segmentTrend = flags & 32;
    p.segmentDegree = in.take<std::int8_t>() % 20;
    image.data = in.data();
    image.size = in.size();
    try {
        const SpectrumResult r = computeWienerSpectrum(image, p);
        (void)spectrumTableText("f", r.spectrum, r.segmentLength, p.pixelSpacing);
        (void)autocorrelationTableText("f", r.autocorrelation, r.segmentLength, p.pixelSpacing);
        (void)smoothedTableText("f", r.spectrum, r.segmentLength, p.pixelSpacing);
    } catch (const AppError&) {
    }
    return 0;
}
