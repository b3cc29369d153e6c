#include "common/safe_file.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <csignal>
#include <filesystem>

#if defined(__unix__) || defined(__APPLE__)
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "common/app_error.h"
#include "common/paths.h"

namespace ctiq {
namespace {

[[noreturn]] void refuse(const std::string& path, AppError reason) {
    throw AppError("The file %1 could not be written: %2. Nothing was saved.",
                   {AppError(path), std::move(reason)});
}

// What the target is when it is no regular file, by name; null for a regular file or none.
const char* otherKind(const std::filesystem::file_status& s) {
    namespace fs = std::filesystem;
    switch (s.type()) {
        case fs::file_type::symlink:
            return messagePattern("it is a symbolic link");
        case fs::file_type::directory:
            return messagePattern("it is a folder");
        case fs::file_type::fifo:
            return messagePattern("it is a FIFO (named pipe)");
        case fs::file_type::character:
        case fs::file_type::block:
            return messagePattern("it is a device");
        case fs::file_type::socket:
            return messagePattern("it is a socket");
        case fs::file_type::regular:
        case fs::file_type::not_found:
        case fs::file_type::none:
            return nullptr;
        default:
            return messagePattern("it is not a regular file");
    }
}

// The mode a new file gets from the user's umask, as any tool's would.
QFileDevice::Permissions modeForNewFile() {
#if defined(__unix__) || defined(__APPLE__)
    const mode_t mask = ::umask(0);
    ::umask(mask);
    const mode_t mode = 0666 & ~mask;
    QFileDevice::Permissions p;
    if (mode & S_IRUSR) p |= QFileDevice::ReadOwner | QFileDevice::ReadUser;
    if (mode & S_IWUSR) p |= QFileDevice::WriteOwner | QFileDevice::WriteUser;
    if (mode & S_IRGRP) p |= QFileDevice::ReadGroup;
    if (mode & S_IWGRP) p |= QFileDevice::WriteGroup;
    if (mode & S_IROTH) p |= QFileDevice::ReadOther;
    if (mode & S_IWOTH) p |= QFileDevice::WriteOther;
    return p;
#else
    return QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser |
           QFileDevice::WriteUser;
#endif
}

// The folders of devices and of the kernel's own files: a writer that names a device there
// (/dev/full → /dev/full.dcm) would create an ordinary file among them, as root even.
bool isSystemFolder(const std::filesystem::path& folder) {
    for (const char* system : {"/dev", "/proc", "/sys"}) {
        const std::filesystem::path root(system);
        auto f = folder.begin();
        auto r = root.begin();
        while (r != root.end() && f != folder.end() && *f == *r) ++f, ++r;
        if (r == root.end()) return true;
    }
    return false;
}

}  // namespace

void saveFileSafely(const std::string& path, const void* data, std::size_t size) {
    namespace fs = std::filesystem;
    const fs::path target = pathFromUtf8(path);
    std::error_code ec;
    const fs::file_status kind = fs::symlink_status(target, ec);
    if (const char* other = otherKind(kind)) refuse(path, AppError(other));
    const fs::path folder = fs::weakly_canonical(fs::absolute(target, ec), ec).parent_path();
    if (isSystemFolder(folder))
        refuse(path, AppError("its folder %1 holds devices or kernel files", {folder.string()}));
    const QString name = QString::fromStdString(path);
    const QFileInfo info(name);
    const bool exists = kind.type() == fs::file_type::regular;
    // A file made read-only is not replaced behind its owner's back (root included, for whom the
    // system would allow it).
    const QFileDevice::Permissions anyWrite =
        QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    if (exists && (!info.permission(QFileDevice::WriteUser) || !(info.permissions() & anyWrite)))
        refuse(path, AppError("it is read-only"));
#if defined(SIGXFSZ)
    // Past a file-size limit the system would end the program in the middle of the write; ignored,
    // the write fails and is reported like any other.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    // Created exclusively under a random name beside the target: a link planted at a name the
    // writer might use is never followed, and the rename stays on one file system.
    QTemporaryFile temporary(info.absolutePath() + "/" + info.fileName() + ".ctiq-XXXXXX.tmp");
    if (!temporary.open()) refuse(path, AppError("it cannot be created"));
    const auto length = static_cast<qint64>(size);
    if (temporary.write(static_cast<const char*>(data), length) != length || !temporary.flush())
        refuse(path, AppError("the disk refused the data"));
#if defined(__unix__) || defined(__APPLE__)
    if (::fsync(temporary.handle()) != 0) refuse(path, AppError("the disk refused the data"));
#endif
    // Some writes fail silently part way (a full disk, a size limit): check what arrived.
    if (QFileInfo(temporary.fileName()).size() != length)
        refuse(path, AppError("the disk took only part of it"));
    temporary.setPermissions(exists ? info.permissions() : modeForNewFile());
    temporary.close();
    fs::rename(pathFromUtf8(temporary.fileName().toStdString()), target, ec);
    if (ec) refuse(path, AppError(ec.message()));
    temporary.setAutoRemove(false);  // it is the target now
}

void saveFileSafely(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    saveFileSafely(path, bytes.data(), bytes.size());
}

}  // namespace ctiq
