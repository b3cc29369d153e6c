#include "viewer/trimming.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>

#include "common/app_error.h"
#include "common/number_text.h"
#include "viewer/paths.h"

namespace ctiq {

std::string trimmedFileName(std::string_view chosenPath, std::int32_t columns, std::int32_t rows,
                            std::string_view spacingText) {
    // The name is cut at its own first ".", never at one in a folder's name.
    const std::size_t nameStart = chosenPath.find_last_of("/\\") + 1;  // 0 without a folder
    const std::string base(chosenPath.substr(0, chosenPath.find('.', nameStart)));
    std::string spacing(spacingText);
    if (const std::size_t dot = spacing.find('.'); dot != std::string::npos) spacing[dot] = 'p';
    return base + " " + IntToStr(columns) + " " + IntToStr(rows) + " " + spacing + ".bin";
}

std::vector<std::uint8_t> trimmedSamples(const std::uint8_t* data, const StoredImageLayout& image,
                                         const RoiBlock& block) {
    std::vector<std::uint8_t> out(static_cast<std::size_t>(block.nc) * block.nr * 2);
    std::uint8_t* to = out.data();
    for (std::int32_t i = 0; i < block.nr; ++i) {
        const std::uint8_t* row = data + sampleOffset(image, std::int64_t{block.r0} + i, block.c0);
        if (image.format == SampleFormat::Word16) {
            std::copy_n(row, static_cast<std::size_t>(block.nc) * 2, to);
            to += static_cast<std::size_t>(block.nc) * 2;
        } else {
            for (std::int32_t j = 0; j < block.nc; ++j) {
                *to++ = row[j];
                *to++ = 0;
            }
        }
    }
    return out;
}

void saveFileSafely(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    namespace fs = std::filesystem;
    const fs::path target = pathFromUtf8(path);
    // A name beside the target that nothing else uses, so the rename stays on one file system.
    static std::atomic<unsigned> counter{0};
    const fs::path temporary =
        target.parent_path() /
        (target.filename().u8string() + u8".ctiq-" +
         std::u8string(reinterpret_cast<const char8_t*>(std::to_string(counter++).c_str())) +
         u8".tmp");
    auto fail = [&](const std::string& reason) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        throw AppError("The file " + path + " could not be written: " + reason +
                       ". Nothing was saved.");
    };
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) fail("it cannot be created");
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) fail("the disk refused the data");
    }
    // Some writes fail silently part way (a full disk, a size limit): check what arrived.
    std::error_code ec;
    if (fs::file_size(temporary, ec) != bytes.size() || ec) fail("the disk took only part of it");
    fs::rename(temporary, target, ec);
    if (ec) fail(ec.message());
}

}  // namespace ctiq
