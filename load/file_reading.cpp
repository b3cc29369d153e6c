#include "load/file_reading.h"

#include <filesystem>
#include <fstream>

#include "common/app_error.h"
#include "common/paths.h"

namespace ctiq {

void readWholeFile(const std::string& path, ImageBytes& into) {
    namespace fs = std::filesystem;
    into.clear();
    const fs::path p = pathFromUtf8(path);
    std::error_code ec;
    if (!fs::is_regular_file(p, ec)) throw AppError(messages::cannotOpenFile(path));
    const std::uintmax_t size = fs::file_size(p, ec);
    if (ec) throw AppError(messages::cannotOpenFile(path));
    if (size > kMaxImageFileBytes) {
        throw AppError("The file " + path + " holds " + std::to_string(size) +
                       " bytes, more than an image file can (at most " +
                       std::to_string(kMaxImageFileBytes) + " bytes); it was not read.");
    }
    std::ifstream in(p, std::ios::binary);
    if (!in) throw AppError(messages::cannotOpenFile(path));
    into.resize(static_cast<std::size_t>(size));
    in.read(reinterpret_cast<char*>(into.data()), static_cast<std::streamsize>(size));
    if (in.gcount() != static_cast<std::streamsize>(size)) {
        into.clear();
        throw AppError(messages::cannotOpenFile(path));
    }
}

}  // namespace ctiq
