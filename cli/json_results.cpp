#include "cli/json_results.h"

#include <QStringDecoder>

#include <nettle/sha2.h>

#include <QJsonDocument>
#include <array>
#include <cmath>

#include "common/version.h"
#include "load/dicom/dicom_header.h"
#include "load/dicom/tag_dictionary.h"
#include "load/file_reading.h"

namespace ctiq::cli {
namespace {

QString utf8(const std::string& s) {
    return QString::fromStdString(s);
}

// A path as JSON text, every character kept: a leading U+FEFF too, which QString's plain UTF-8
// reading drops as a byte-order mark (two names would read alike).
QString pathText(const std::string& path) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decoder(QByteArrayView(path.data(), static_cast<qsizetype>(path.size())));
}

// A header value as text (the table's UTF-8), without the padding blanks and NULs.
QString headerValue(const std::string& value) {
    return QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size()))
        .remove(QChar(0))
        .trimmed();
}

// Well-formed UTF-8 (RFC 3629): no overlong forms, no surrogates, nothing above U+10FFFF.
bool isUtf8(const std::string& text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n;) {
        const unsigned char c = p[i];
        std::size_t extra;
        unsigned char low = 0x80, high = 0xBF;  // the range of the byte after the first
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            if (c == 0xE0) low = 0xA0;
            if (c == 0xED) high = 0x9F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            if (c == 0xF0) low = 0x90;
            if (c == 0xF4) high = 0x8F;
        } else {
            return false;
        }
        if (n - i <= extra || p[i + 1] < low || p[i + 1] > high) return false;
        for (std::size_t k = 2; k <= extra; ++k)
            if (p[i + k] < 0x80 || p[i + k] > 0xBF) return false;
        i += extra + 1;
    }
    return true;
}

// A path whose bytes are not UTF-8 (a name from an old system or another code page), without
// loss: printable ASCII as it is, a backslash as "\\", every other byte as "\xNN".
QString escapedBytes(const std::string& text) {
    QString out;
    for (const char ch : text) {
        const auto b = static_cast<unsigned char>(ch);
        if (b == '\\') {
            out += "\\\\";
        } else if (b >= 0x20 && b < 0x7F) {
            out += QLatin1Char(static_cast<char>(b));
        } else {
            out += QString("\\x%1").arg(b, 2, 16, QLatin1Char('0'));
        }
    }
    return out;
}

// A result line: the program, the command, its input or inputs, then its figures.
template <typename Input>
std::string jsonLine(const std::string& command, const char* inputKey, const Input& input,
                     const QJsonObject& parameters, const QJsonObject& results,
                     const QJsonObject& summary) {
    const QJsonObject line{
        {"program", QJsonObject{{"name", "ctiq-cli"}, {"version", programVersion()}}},
        {"command", utf8(command)},
        {inputKey, input},
        {"parameters", parameters},
        {"results", results},
        {"summary", summary},
    };
    return QJsonDocument(line).toJson(QJsonDocument::Compact).toStdString() + "\n";
}

// The file's SHA-256 in hexadecimal, by Nettle: Qt's own transform is some seven times slower,
// and a batch of JSON results spent most of its time there.
std::string sha256Hex(const ImageBytes& bytes) {
    sha256_ctx context;
    sha256_init(&context);
    sha256_update(&context, bytes.size(), bytes.data());
    std::array<std::uint8_t, SHA256_DIGEST_SIZE> digest{};
    sha256_digest(&context, digest.size(), digest.data());
    static constexpr char kHex[] = "0123456789abcdef";
    std::string hex;
    for (std::size_t i = 0; i < digest.size(); ++i) {
        hex += kHex[digest[i] >> 4];
        hex += kHex[digest[i] & 15];
    }
    return hex;
}

}  // namespace

bool wantsJson(const CommandLine& line) {
    return line.value("format", "text") == "json";  // checked when the line was parsed
}

QJsonObject inputIdentity(const std::string& path) {
    ImageBytes bytes;
    readWholeFile(path, bytes);
    QJsonObject input{
        {"path", pathText(path)},
        {"size", static_cast<qint64>(bytes.size())},
        {"sha256", QString::fromStdString(sha256Hex(bytes))},
    };
    // JSON stays valid UTF-8; the path's own bytes go beside it where "path" cannot carry them.
    if (!isUtf8(path)) input["pathBytes"] = escapedBytes(path);
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
        {"0008", "0070", "manufacturer"},
        {"0008", "1010", "stationName"},
        {"0008", "0020", "studyDate"},
        {"0008", "0022", "acquisitionDate"},
        {"0008", "0032", "acquisitionTime"},
        {"0018", "0015", "bodyPart"},
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
        {"frame", static_cast<qint64>(image.frame) + 1},
        {"frames", static_cast<qint64>(image.frames)},
        {"roi", QJsonObject{{"left", roi.imageLeft},
                            {"top", roi.imageTop},
                            {"width", roi.block.nc},
                            {"height", roi.block.nr}}},
    };
}

std::string resultLine(const std::string& command, const std::string& path,
                       const QJsonObject& parameters, const QJsonObject& results,
                       const QJsonObject& summary) {
    return resultLine(command, inputIdentity(path), parameters, results, summary);
}

std::string resultLine(const std::string& command, const QJsonObject& input,
                       const QJsonObject& parameters, const QJsonObject& results,
                       const QJsonObject& summary) {
    return jsonLine(command, "input", input, parameters, results, summary);
}

QJsonArray flagsJson(const QualityFlags& flags) {
    QJsonArray array;
    for (const QualityFlag& f : flags)
        array.append(QJsonObject{{"code", utf8(f.code)}, {"text", utf8(f.text)}});
    return array;
}

std::string combinedResultLine(const std::string& command, const QJsonArray& inputs,
                               const QJsonObject& parameters, const QJsonObject& results,
                               const QJsonObject& summary) {
    return jsonLine(command, "inputs", inputs, parameters, results, summary);
}

void noteFlags(const std::string& what, const QualityFlags& flags, std::string& notes) {
    for (const QualityFlag& f : flags) notes += what + ": " + f.code + ": " + f.text + "\n";
}

QJsonValue numberOrNull(double v) {
    return std::isfinite(v) ? QJsonValue(v) : QJsonValue(QJsonValue::Null);
}

QJsonValue numberOrNull(const std::optional<double>& v) {
    return v ? numberOrNull(*v) : QJsonValue(QJsonValue::Null);
}

QJsonArray numbersOf(const std::vector<double>& values) {
    QJsonArray array;
    for (double v : values) array.append(numberOrNull(v));
    return array;
}

}  // namespace ctiq::cli
