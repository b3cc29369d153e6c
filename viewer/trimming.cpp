#include "viewer/trimming.h"

#include <QSaveFile>

#include "common/app_error.h"
#include "common/number_text.h"

namespace ctiq {

std::string trimmedFileName(std::string_view chosenPath, std::int32_t columns, std::int32_t rows,
                            std::string_view spacingText) {
    const std::string base(chosenPath.substr(0, chosenPath.find('.')));
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
    QSaveFile file(QString::fromStdString(path));
    auto fail = [&] {
        const std::string reason = file.errorString().toStdString();
        file.cancelWriting();
        throw AppError("The file " + path + " could not be written: " + reason +
                       ". Nothing was saved.");
    };
    if (!file.open(QIODevice::WriteOnly)) fail();
    const auto size = static_cast<qint64>(bytes.size());
    if (file.write(reinterpret_cast<const char*>(bytes.data()), size) != size) fail();
    if (!file.commit()) {
        throw AppError("The file " + path + " could not be written: " +
                       file.errorString().toStdString() + ". Nothing was saved.");
    }
}

}  // namespace ctiq
