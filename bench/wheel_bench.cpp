// One notch of the mouse wheel in a folder of 2,000 CT slices, without the window: the folder
// listed in natural order, the next file found and read, its load plan (header scanner and the
// toolkit's check), two renderings and the automatic window. A notch per frame at 60 Hz leaves
// 16 ms for it.
#include <benchmark/benchmark.h>

#include <QTemporaryDir>
#include <fstream>

#include "bench/show_loaded.h"
#include "cli/phantom.h"
#include "common/number_text.h"
#include "load/file_reading.h"
#include "load/load_plan.h"
#include "viewer/auto_window.h"
#include "viewer/file_list.h"
#include "viewer/render.h"

namespace ctiq {
namespace {

void wheelStep2000(benchmark::State& state) {
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString() + "/";
    cli::PhantomSpec spec;
    spec.kind = "noise";
    spec.columns = spec.rows = 512;
    const std::string slice = cli::writePhantom(folder + "IM1000", spec, true);
    for (int i = 1; i <= 2000; ++i) {
        if (i == 1000) continue;
        std::ofstream(folder + "IM" + std::to_string(i) + ".dcm") << "x";  // listed, not loaded
    }
    DisplayBitmap bitmap;
    for (auto _ : state) {
        const std::vector<std::string> files = listFolderFiles(folderPrefix(slice));
        const int at = indexInList(files, slice);
        ImageBytes bytes;
        readWholeFile(files[static_cast<std::size_t>(at)], bytes);
        const LoadPlan plan = planLoad(files[static_cast<std::size_t>(at)], bytes, LoadMode::Dicom);
        requireShowable(plan);
        const StoredImageLayout image{StrToInt(*plan.dicom->fields.header), StrToInt(plan.columns),
                                      StrToInt(plan.rows), SampleFormat::Word16};
        bench::showLoaded(bytes, image, bitmap);
    }
}
BENCHMARK(wheelStep2000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ctiq
