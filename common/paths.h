#pragma once

#include <filesystem>
#include <string>

namespace ctiq {

// Paths travel as UTF-8 text in fields and lists; these convert at the file-system boundary.
inline std::filesystem::path pathFromUtf8(const std::string& text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

inline std::string utf8FromPath(const std::filesystem::path& path) {
    const std::u8string u = path.u8string();
    return std::string(u.begin(), u.end());
}

}  // namespace ctiq
