// File-name geometry, the size suggestion and the size prompt's answer.
#include <cstddef>
#include <cstdint>

#include "common/app_error.h"
#include "load/name_geometry.h"
#include "tests/fuzz/fuzz_input.h"
#include "viewer/file_list.h"
#include "viewer/trimming.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ctiq;
    fuzz::Input in(data, size);
    const auto fileSize = in.take<std::int64_t>();
    const auto bytes = in.take<std::uint8_t>();
    const std::string text = in.rest();
    (void)splitNameGeometry(text);
    (void)folderPrefix(text);
    (void)naturalLess(text, text.substr(text.size() / 2));
    (void)trimmedFileName(text, 64, 64, text);
    if (fileSize >= 0) (void)sizeSuggestion(fileSize, bytes % 2 + 1);
    try {
        (void)parseSizeAnswer(text);
    } catch (const AppError&) {
    }
    return 0;
}
