// The load of a 512 × 512 CT slice as the viewer does it after reading the file: the load plan
// (header scanner, the toolkit's check, decoding where needed), two renderings and the automatic
// window — once for an uncompressed file (the scanner's reading stands) and once for the same
// image in JPEG lossless (the toolkit decodes it).
#include <benchmark/benchmark.h>
#include <gdcmImageChangeTransferSyntax.h>
#include <gdcmImageReader.h>
#include <gdcmImageWriter.h>

#include <QTemporaryDir>
#include <sstream>

#include "bench/show_loaded.h"
#include "cli/phantom.h"
#include "common/number_text.h"
#include "viewer/auto_window.h"
#include "viewer/file_reading.h"
#include "viewer/load_plan.h"
#include "viewer/render.h"

namespace ctiq {
namespace {

ImageBytes phantomSlice() {
    static const ImageBytes bytes = [] {
        QTemporaryDir dir;
        cli::PhantomSpec spec;
        spec.kind = "noise";
        spec.columns = spec.rows = 512;
        ImageBytes b;
        readWholeFile(cli::writePhantom(dir.path().toStdString() + "/slice", spec, true), b);
        return b;
    }();
    return bytes;
}

ImageBytes jpegLosslessSlice() {
    static const ImageBytes bytes = [] {
        const ImageBytes raw = phantomSlice();
        std::istringstream in(std::string(raw.begin(), raw.end()));
        gdcm::ImageReader reader;
        reader.SetStream(in);
        reader.Read();
        gdcm::ImageChangeTransferSyntax change;
        change.SetTransferSyntax(gdcm::TransferSyntax::JPEGLosslessProcess14_1);
        change.SetInput(reader.GetImage());
        change.Change();
        std::ostringstream out;
        gdcm::ImageWriter writer;
        writer.SetFile(reader.GetFile());
        writer.SetImage(change.GetOutput());
        writer.SetStream(out);
        writer.Write();
        const std::string s = out.str();
        return ImageBytes(s.begin(), s.end());
    }();
    return bytes;
}

void loadAndShow(benchmark::State& state, const ImageBytes& file) {
    DisplayBitmap bitmap;
    for (auto _ : state) {
        const LoadPlan plan = planLoad("slice.dcm", file, LoadMode::Dicom);
        requireShowable(plan);
        const ImageBytes& samples = plan.decoded ? plan.decoded->samples : file;
        const StoredImageLayout image{plan.decoded ? 0 : StrToInt(*plan.dicom->fields.header),
                                      StrToInt(plan.columns), StrToInt(plan.rows),
                                      SampleFormat::Word16};
        bench::showLoaded(samples, image, bitmap);
    }
}

void loadUncompressed512(benchmark::State& state) {
    loadAndShow(state, phantomSlice());
}
void loadJpegLossless512(benchmark::State& state) {
    loadAndShow(state, jpegLosslessSlice());
}
BENCHMARK(loadUncompressed512)->Unit(benchmark::kMillisecond);
BENCHMARK(loadJpegLossless512)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ctiq
