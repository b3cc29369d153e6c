#include "common/companion_program.h"

#include <cstdlib>
#include <filesystem>

namespace ctiq {
namespace {

std::filesystem::path programFolder() {
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : self.parent_path();
}

}  // namespace

std::string companionProgram(const std::string& name, const char* environment,
                             const std::string& buildPath) {
    namespace fs = std::filesystem;
    if (const char* given = std::getenv(environment); given && *given) return given;
    const fs::path folder = programFolder();
    std::error_code ec;
    if (!folder.empty())
        for (const fs::path& candidate : {folder / ".." / "libexec" / "ctiq" / name, folder / name})
            if (fs::is_regular_file(candidate, ec)) return candidate.string();
    return buildPath;
}

}  // namespace ctiq
