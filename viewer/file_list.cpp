#include "viewer/file_list.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "common/app_error.h"
#include "common/paths.h"

namespace ctiq {
namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

bool mayBeAnImage(std::string_view fileName) {
    static constexpr std::string_view kNoImage[] = {
        "bmp", "csv", "gif", "gz", "htm", "html", "ini", "jpeg", "jpg", "json", "jsonl", "log",
        "md",  "pdf", "pgm", "png", "svg", "tar", "tsv", "txt", "xml", "zip"};
    const std::size_t slash = fileName.find_last_of("\\/");
    const std::string_view name =
        slash == std::string_view::npos ? fileName : fileName.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0) return true;
    std::string extension(name.substr(dot + 1));
    for (char& c : extension)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return std::find(std::begin(kNoImage), std::end(kNoImage), extension) == std::end(kNoImage);
}

std::string folderPrefix(std::string_view fileName) {
    const std::size_t sep = fileName.find_last_of("\\/");
    return sep == std::string_view::npos ? std::string() : std::string(fileName.substr(0, sep + 1));
}

bool naturalLess(std::string_view a, std::string_view b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            std::size_t ie = i, je = j;
            while (ie < a.size() && isDigit(a[ie])) ++ie;
            while (je < b.size() && isDigit(b[je])) ++je;
            std::size_t ia = i, jb = j;  // skip leading zeros to compare values
            while (ia + 1 < ie && a[ia] == '0') ++ia;
            while (jb + 1 < je && b[jb] == '0') ++jb;
            const std::string_view na = a.substr(ia, ie - ia), nb = b.substr(jb, je - jb);
            if (na.size() != nb.size()) return na.size() < nb.size();
            if (na != nb) return na < nb;
            i = ie;
            j = je;
            continue;
        }
        if (a[i] != b[j])
            return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]);
        ++i;
        ++j;
    }
    if (i < a.size() || j < b.size()) return j < b.size();
    return a < b;  // equal up to leading zeros: any fixed order
}

std::vector<std::string> listFolderFiles(const std::string& prefix) {
    namespace fs = std::filesystem;
    const fs::path folder = prefix.empty() ? fs::path(".") : pathFromUtf8(prefix);
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec) throw AppError("The folder %1 cannot be listed: %2", {prefix, ec.message()});
    std::vector<std::string> files;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        std::error_code statusError;
        if (it->is_directory(statusError)) continue;
        const std::string name = utf8FromPath(it->path().filename());
        // Stepping through a scan's folder must not stop at its notes or exported tables.
        if (!mayBeAnImage(name)) continue;
        files.push_back(prefix + name);
    }
    if (ec) throw AppError("The folder %1 cannot be listed: %2", {prefix, ec.message()});
    std::sort(files.begin(), files.end(),
              [](const std::string& a, const std::string& b) { return naturalLess(a, b); });
    return files;
}

int indexInList(const std::vector<std::string>& list, std::string_view fileName) {
    const auto found = std::find(list.begin(), list.end(), fileName);
    if (found == list.end()) throw AppError(messages::listIndexOutOfRange(std::ssize(list)));
    return static_cast<int>(found - list.begin());
}

}  // namespace ctiq
