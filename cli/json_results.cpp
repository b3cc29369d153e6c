#include "cli/json_results.h"

#include <QCryptographicHash>
#include <QJsonDocument>

#include "common/version.h"
#include "load/dicom/dicom_header.h"
#include "load/dicom/tag_dictionary.h"
#include "load/file_reading.h"

namespace ctiq::cli {
namespace {

QString utf8(const std::string& s) {
    return QString::fromStdString(s);
}

// A header value as text: the bytes read as Latin-1, without the padding blanks and NULs.
QString headerValue(const std::string& value) {
    return QString::fromLatin1(value.data(), static_cast<qsizetype>(value.size()))
        .remove(QChar(0))
        .trimmed();
}

}  // namespace

bool wantsJson(const CommandLine& line) {
    return line.value("format", "text") == "json";  // checked when the line was parsed
}

QJsonObject inputIdentity(const std::string& path) {
    ImageBytes bytes;
    readWholeFile(path, bytes);
    QJsonObject input{
        {"path", utf8(path)},
        {"size", static_cast<qint64>(bytes.size())},
        {"sha256",
         QString::fromLatin1(
             QCryptographicHash::hash(QByteArrayView(reinterpret_cast<const char*>(bytes.data()),
                                                     static_cast<qsizetype>(bytes.size())),
                                      QCryptographicHash::Sha256)
                 .toHex())},
    };
    if (!looksLikeDicom(bytes.data(), bytes.size())) return input;
    const DicomHeaderResult header =
        readDicomHeader(bytes.data(), bytes.size(), TagDictionary::builtIn(), true);
    struct Wanted {
        const char* group;
        const char* element;
        const char* key;
    };
    const Wanted wanted[] = {
        {"0008", "0018", "sopInstanceUid"},
        {"0020", "000E", "seriesInstanceUid"},
        {"0008", "1090", "model"},
        {"0018", "1210", "kernel"},
        {"0018", "0060", "kvp"},
        {"0018", "1152", "exposureMas"},
        {"0018", "0050", "sliceThickness"},
    };
    QJsonObject dicom;
    for (const Wanted& w : wanted) dicom[w.key] = QJsonValue::Null;
    for (const HeaderRow& row : header.rows)
        for (const Wanted& w : wanted)
            if (row[1] == w.group && row[2] == w.element && dicom[w.key].isNull())
                dicom[w.key] = headerValue(row[6]);
    input["dicom"] = dicom;
    return input;
}

QJsonObject imageParameters(const LoadedImage& image, const RoiPlacement& roi) {
    return {
        {"columns", image.layout.columns},
        {"rows", image.layout.rows},
        {"header", static_cast<qint64>(image.layout.header)},
        {"format", image.layout.format == SampleFormat::Byte8 ? "8bit" : "16bit"},
        {"offset", image.offset},
        {"swap", image.swap},
        {"pixelSpacing", utf8(image.spacingText)},
        {"reader", utf8(image.reader)},
        {"roi", QJsonObject{{"left", roi.imageLeft},
                            {"top", roi.imageTop},
                            {"width", roi.block.nc},
                            {"height", roi.block.nr}}},
    };
}

std::string resultLine(const std::string& command, const std::string& path,
                       const QJsonObject& parameters, const QJsonObject& results,
                       const QJsonObject& summary) {
    const QJsonObject line{
        {"program", QJsonObject{{"name", "ctiq-cli"}, {"version", programVersion()}}},
        {"command", utf8(command)},
        {"input", inputIdentity(path)},
        {"parameters", parameters},
        {"results", results},
        {"summary", summary},
    };
    return QJsonDocument(line).toJson(QJsonDocument::Compact).toStdString() + "\n";
}

}  // namespace ctiq::cli
