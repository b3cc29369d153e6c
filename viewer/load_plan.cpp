#include "viewer/load_plan.h"

#include <algorithm>
#include <array>
#include <fstream>

#include "common/app_error.h"
#include "common/number_text.h"
#include "viewer/dicom/tag_dictionary.h"
#include "viewer/dicom/toolkit_reader.h"
#include "viewer/paths.h"

namespace ctiq {
namespace {

std::optional<std::int32_t> integerOf(const std::optional<std::string>& text) {
    if (!text || text->empty()) return std::nullopt;
    try {
        return StrToInt(*text);
    } catch (const AppError&) {
        return std::nullopt;
    }
}

// True when the scanner's reading of the file is the toolkit's: the same geometry, and the
// samples at its pixel offset are the toolkit's native little-endian 16-bit Pixel Data.
bool scannerReadsRight(const DicomHeaderResult& s, const ImageBytes& bytes,
                       const ToolkitReader& toolkit) {
    if (!s.pixelDataFound || s.error || s.compressedSyntax || s.fields.swap.value_or(false))
        return false;
    const auto columns = integerOf(s.fields.columns), rows = integerOf(s.fields.rows);
    const auto header = integerOf(s.fields.header);
    return columns && rows && header && toolkit.pixelDataEquals(bytes, *header, *columns, *rows);
}

// The toolkit's reading: its fields, its table where the scanner listed none, and its samples.
void takeFromToolkit(LoadPlan& plan, const ToolkitReader& toolkit, bool listHeader) {
    DicomHeaderResult scanned = std::move(*plan.dicom);
    DicomHeaderResult result = toolkit.header(listHeader);
    if (scanned.pixelDataFound && !scanned.rows.empty() && !scanned.error) {
        result.rows = std::move(scanned.rows);
        result.summary = std::move(scanned.summary);
        result.notes = std::move(scanned.notes);
    }
    DecodedImage decoded;
    decoded.transferSyntaxName = toolkit.transferSyntaxName();
    decoded.frames = toolkit.frames();
    std::string line = "decoded: " + decoded.transferSyntaxName;
    if (decoded.frames > 1) line += " (frame 1 of " + std::to_string(decoded.frames) + ")";
    result.summary = line + "\r\n" + result.summary;
    try {
        decoded.samples = toolkit.decodeFirstFrame();
        plan.decoded = std::move(decoded);
    } catch (const AppError& e) {
        plan.refusal = e.what();
    }
    plan.dicom = std::move(result);
}

}  // namespace

std::string LoadPlan::readerName() const {
    if (decoded) return "the DICOM toolkit (" + decoded->transferSyntaxName + ")";
    return dicom ? "the header scanner" : "the file name's geometry";
}

LoadMode modeForFile(const std::string& path) {
    std::ifstream in(pathFromUtf8(path), std::ios::binary);
    std::array<std::uint8_t, 132> start{};
    in.read(reinterpret_cast<char*>(start.data()), start.size());
    const auto got = static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0));
    return looksLikeDicom(start.data(), got) ? LoadMode::Dicom : LoadMode::Word16;
}

LoadPlan planLoad(const std::string& path, const ImageBytes& bytes, LoadMode mode,
                  bool listHeader) {
    LoadPlan plan;
    plan.name = splitNameGeometry(path);
    plan.columns = plan.name.columns;
    plan.rows = plan.name.rows;
    plan.suggestion = plan.name.suggestion;
    if (mode == LoadMode::Dicom && plan.needsSize()) {
        plan.dicom =
            readDicomHeader(bytes.data(), bytes.size(), TagDictionary::builtIn(), listHeader);
        ToolkitReader toolkit;
        // A file cut short inside its pixels keeps the scanner's reading, whose rendering says
        // how much is missing; the toolkit would fill the rest with zeros.
        if (!plan.dicom->pixelDataCutShort && toolkit.parse(bytes) &&
            toolkit.pixelDataComplete(bytes.size()) &&
            !scannerReadsRight(*plan.dicom, bytes, toolkit))
            takeFromToolkit(plan, toolkit, listHeader);
        const DicomFieldWrites& f = plan.dicom->fields;
        if (f.columns) plan.columns = *f.columns;
        if (f.rows) plan.rows = *f.rows;
        plan.suggestion = plan.columns + " " + plan.rows;
    }
    // A suggestion shorter than "N N" says nothing: offer a square that fits the file instead.
    if (plan.needsSize() && plan.suggestion.size() < 4)
        plan.suggestion =
            sizeSuggestion(static_cast<std::int64_t>(bytes.size()), sampleBytes(loadFormat(mode)));
    return plan;
}

void requireShowable(const LoadPlan& plan) {
    if (!plan.dicom) return;
    if (plan.dicom->error) throw AppError(*plan.dicom->error);
    if (plan.refusal) throw AppError(*plan.refusal);
    if (plan.dicom->compressedSyntax)
        throw AppError(compressedImageMessage(*plan.dicom->compressedSyntax));
}

RoiFields defaultRoi(std::int32_t columns, std::int32_t rows) {
    // 256 × 256 at the centre, or the whole image where it is smaller.
    return {columns / 2, rows / 2, std::clamp(columns, 1, 256), std::clamp(rows, 1, 256)};
}

}  // namespace ctiq
