#include "load/file_reading.h"

#include <filesystem>
#include <fstream>

#include "common/app_error.h"
#include "common/paths.h"

namespace ctiq {

using messages::OpenFailure;

void readWholeFile(const std::string& path, ImageBytes& into) {
    namespace fs = std::filesystem;
    into.clear();
    const fs::path p = pathFromUtf8(path);
    std::error_code ec;
    const fs::file_status status = fs::status(p, ec);
    if (!fs::exists(status)) throw AppError(messages::cannotOpenFile(path, OpenFailure::Missing));
    if (fs::is_directory(status))
        throw AppError(messages::cannotOpenFile(path, OpenFailure::Folder));
    if (!fs::is_regular_file(status))
        throw AppError(messages::cannotOpenFile(path, OpenFailure::NotRegular));
    const std::uintmax_t size = fs::file_size(p, ec);
    if (ec) throw AppError(messages::cannotOpenFile(path));
    if (size > kMaxImageFileBytes) {
        throw AppError(
            "The file %1 holds %2 bytes, more than an image file can (at most %3 "
            "bytes); it was not read.",
            {path, std::to_string(size), std::to_string(kMaxImageFileBytes)});
    }
    std::ifstream in(p, std::ios::binary);
    if (!in) throw AppError(messages::cannotOpenFile(path, OpenFailure::NoPermission));
    into.resize(static_cast<std::size_t>(size));
    in.read(reinterpret_cast<char*>(into.data()), static_cast<std::streamsize>(size));
    if (in.gcount() != static_cast<std::streamsize>(size)) {
        into.clear();
        throw AppError(messages::cannotOpenFile(path));
    }
}

}  // namespace ctiq
