#include "viewer/trimming.h"

#include <QFileInfo>
#include <QTemporaryFile>
#include <algorithm>
#include <csignal>
#include <filesystem>

#if defined(__unix__) || defined(__APPLE__)
#include <unistd.h>
#endif

#include "common/app_error.h"
#include "common/number_text.h"
#include "common/paths.h"

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
    const QString target = QString::fromStdString(path);
    const QFileInfo info(target);
    auto refuse = [&](const std::string& reason) {
        throw AppError("The file " + path + " could not be written: " + reason +
                       ". Nothing was saved.");
    };
    // A file made read-only is not replaced behind its owner's back (root included, for whom the
    // system would allow it).
    const QFileDevice::Permissions anyWrite =
        QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    if (info.exists() &&
        (!info.permission(QFileDevice::WriteUser) || !(info.permissions() & anyWrite)))
        refuse("it is read-only");
#if defined(SIGXFSZ)
    // Past a file-size limit the system would end the program in the middle of the write; ignored,
    // the write fails and is reported like any other.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    // Created exclusively under a random name beside the target: a link planted at a name the
    // writer might use is never followed, and the rename stays on one file system.
    QTemporaryFile temporary(info.absolutePath() + "/" + info.fileName() + ".ctiq-XXXXXX.tmp");
    if (!temporary.open()) refuse("it cannot be created");
    const auto size = static_cast<qint64>(bytes.size());
    if (temporary.write(reinterpret_cast<const char*>(bytes.data()), size) != size ||
        !temporary.flush())
        refuse("the disk refused the data");
#if defined(__unix__) || defined(__APPLE__)
    if (::fsync(temporary.handle()) != 0) refuse("the disk refused the data");
#endif
    // Some writes fail silently part way (a full disk, a size limit): check what arrived.
    if (QFileInfo(temporary.fileName()).size() != size) refuse("the disk took only part of it");
    if (info.exists()) temporary.setPermissions(info.permissions());  // keep the file's mode
    temporary.close();
    std::error_code ec;
    fs::rename(pathFromUtf8(temporary.fileName().toStdString()), pathFromUtf8(path), ec);
    if (ec) refuse(ec.message());
    temporary.setAutoRemove(false);  // it is the target now
}

}  // namespace ctiq
