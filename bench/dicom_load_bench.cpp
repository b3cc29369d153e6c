// The load of a 512 × 512 CT slice as the viewer does it after reading the file: the load plan
// (header scanner, its consistency check, the toolkit helper where needed), two renderings and
// the automatic window — once for an uncompressed file (the scanner's reading stands) and once for
// the same image in JPEG lossless (the helper decodes it; its start is paid once, before the
// timing). The JPEG file is made by GDCM's gdcmconv (libgdcm-tools; skipped without it).
#include <benchmark/benchmark.h>

#include <QTemporaryDir>
#include <cstdlib>

#include "bench/show_loaded.h"
#include "cli/phantom.h"
#include "common/number_text.h"
#include "load/file_reading.h"
#include "load/load_plan.h"
#include "viewer/auto_window.h"
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
        QTemporaryDir dir;
        const std::string folder = dir.path().toStdString();
        cli::PhantomSpec spec;
        spec.kind = "noise";
        spec.columns = spec.rows = 512;
        const std::string raw = cli::writePhantom(folder + "/slice", spec, true);
        const std::string command =
            "gdcmconv --jpeg '" + raw + "' '" + folder + "/jpeg.dcm' >/dev/null 2>&1";
        ImageBytes b;
        if (std::system(command.c_str()) == 0) readWholeFile(folder + "/jpeg.dcm", b);
        return b;
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
    if (jpegLosslessSlice().empty()) {
        state.SkipWithError("gdcmconv (libgdcm-tools) is needed to make the JPEG slice");
        return;
    }
    const LoadPlan warm = planLoad("slice.dcm", jpegLosslessSlice(), LoadMode::Dicom);
    (void)warm;  // starts this thread's helper
    loadAndShow(state, jpegLosslessSlice());
}
BENCHMARK(loadUncompressed512)->Unit(benchmark::kMillisecond);
BENCHMARK(loadJpegLossless512)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ctiq
