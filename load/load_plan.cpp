#include "load/load_plan.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>

#include "common/app_error.h"
#include "common/language.h"
#include "common/number_text.h"
#include "common/paths.h"
#include "load/dicom/tag_dictionary.h"
#include "load/dicom/vocabulary.h"
#include "load/modality_values.h"
#include "load/toolkit_client.h"

namespace ctiq {
namespace {

std::optional<std::int64_t> integerOf(const std::optional<std::string>& text) {
    if (!text || text->empty()) return std::nullopt;
    try {
        return StrToInt(*text);
    } catch (const AppError&) {
        return std::nullopt;
    }
}

// The toolkit's reading: its fields, its table where the scanner listed none, and its samples or
// why there are none.
void takeFromToolkit(LoadPlan& plan, dicom::ToolkitAnswer answer) {
    DicomHeaderResult scanned = std::move(*plan.dicom);
    if (!answer.headerRead) {
        // The helper failed before it read anything: the scanner's table stays, the image is
        // refused.
        scanned.compressedSyntax.reset();
        plan.dicom = std::move(scanned);
        plan.refusal = answer.reason;
        return;
    }
    DicomHeaderResult result = std::move(answer.header);
    if (scanned.pixelDataFound && !scanned.rows.empty() && !scanned.error &&
        scanned.notes.empty() && !scanned.fields.swap.value_or(false)) {
        result.rows = std::move(scanned.rows);
        result.summary = std::move(scanned.summary);
    }
    if (answer.outcome == dicom::ToolkitOutcome::NoImage) {
        plan.noImage = true;
        plan.refusal = messages::noImageInFile(dicom::sopClassName(result.image.sopClassUid));
        plan.dicom = std::move(result);
        return;
    }
    DecodedImage decoded;
    decoded.transferSyntaxName = answer.syntaxName;
    decoded.frames = answer.frames;
    std::string line = "decoded: " + decoded.transferSyntaxName;
    if (decoded.frames > 1)
        line += " (frame " + std::to_string(plan.frame + 1) + " of " +
                std::to_string(decoded.frames) + ")";
    result.summary = line + "\r\n" + result.summary;
    if (answer.outcome == dicom::ToolkitOutcome::Decoded) {
        decoded.samples = std::move(answer.samples);
        plan.decoded = std::move(decoded);
        plan.readByToolkit = true;
    } else {
        plan.refusal = answer.reason;
    }
    plan.dicom = std::move(result);
}

bool isUncompressedLittleEndian(const std::string& syntax) {
    // No meta group: the scanner's walk found a little-endian data set at byte 0.
    return syntax.empty() || syntax == "1.2.840.10008.1.2" || syntax == "1.2.840.10008.1.2.1";
}

struct ScannedGeometry {
    std::int64_t columns, rows, header;
};

// The scanner's columns, rows and header length where it found uncompressed little-endian Pixel
// Data and read all three as positive numbers.
std::optional<ScannedGeometry> scannedGeometry(const DicomHeaderResult& s) {
    if (!s.pixelDataFound || s.error || s.compressedSyntax || s.fields.swap.value_or(false) ||
        !isUncompressedLittleEndian(s.transferSyntax))
        return std::nullopt;
    const auto columns = integerOf(s.fields.columns), rows = integerOf(s.fields.rows);
    const auto header = integerOf(s.fields.header);
    if (!columns || !rows || !header || *columns <= 0 || *rows <= 0 || *header < 0)
        return std::nullopt;
    return ScannedGeometry{*columns, *rows, *header};
}

// The walk broke inside an element before every value the CT values need was read: the pixel
// description and rescale (group 0028), and an Enhanced image's functional groups. Elements come
// in ascending order, so a break past the last of them lost none.
bool brokeBeforeNeededValues(const DicomHeaderResult& s) {
    if (s.brokenAtTag < 0) return false;
    const bool enhanced = s.groups.present || s.image.frames > 1 ||
                          s.image.sopClassUid == "1.2.840.10008.5.1.4.1.1.2.1";
    const std::int64_t lastNeeded = enhanced ? 0x52009230 : 0x0028FFFF;
    return s.brokenAtTag <= lastNeeded;
}

std::string brokenHeaderMessage(std::int64_t tag) {
    char name[16];
    std::snprintf(name, sizeof name, "(%04X,%04X)", unsigned(tag >> 16), unsigned(tag & 0xFFFF));
    return inUserLanguage(
        "The DICOM header breaks inside element %1, before every value its CT "
        "values need was read (the pixel description, the rescale); it cannot "
        "be measured. The header is listed as far as it could be read.",
        {name});
}

// A scanner's reading that fits the file: it stands where the toolkit cannot read the file at all.
bool scannerPlausible(const DicomHeaderResult& s, std::size_t fileSize) {
    const auto g = scannedGeometry(s);
    return g && !brokeBeforeNeededValues(s) &&
           std::uint64_t(g->header) + std::uint64_t(g->columns) * std::uint64_t(g->rows) * 2 <=
               fileSize;
}

// The frame's own spacing and window where an Enhanced image's functional groups give them.
void takeFrameFields(DicomFieldWrites& fields, const FrameValueTexts& frame) {
    if (frame.pixelSpacing) fields.pixelSpacing = dicom::firstValue(*frame.pixelSpacing);
    if (frame.windowCenter) fields.windowLevel = dicom::firstValue(*frame.windowCenter);
    if (frame.windowWidth) fields.windowWidth = dicom::firstValue(*frame.windowWidth);
}

// Where the frame's stored words lie: the toolkit's decoded frame, else the file's Pixel Data.
struct FrameWords {
    const std::uint8_t* data = nullptr;
    std::size_t count = 0;
    bool swap = false;
};

FrameWords frameWords(LoadPlan& plan, const ImageBytes& bytes, std::size_t samples) {
    if (plan.decoded) return {plan.decoded->samples.data(), plan.decoded->samples.size() / 2, false};
    DicomFieldWrites& f = plan.dicom->fields;
    const auto header = integerOf(f.header);
    if (!header || *header < 0) return {};
    const std::uint64_t start = std::uint64_t(*header) + std::uint64_t(plan.frame) * samples * 2;
    if (plan.frame > 0) f.header = std::to_string(start);
    if (start >= bytes.size()) return {};
    const std::size_t available = (bytes.size() - start) / 2;
    return {bytes.data() + start, std::min(samples, available), f.swap.value_or(false)};
}

// Settles the frame: its position, its values and how its samples become CT values; a value that
// cannot be used refuses the image, naming it.
void settleFrame(LoadPlan& plan, const ImageBytes& bytes) {
    DicomHeaderResult& header = *plan.dicom;
    const DicomImageFacts& facts = header.image;
    std::optional<AppError> problem = pixelDescriptionProblem(facts);
    // A Modality LUT maps stored values by a table; the measurements know only the rescale.
    if (!problem && header.modalityLut)
        problem = AppError(
            "its stored values are mapped through a Modality LUT Sequence, which is "
            "not supported (only Rescale Slope and Intercept)");
    if (problem) {
        plan.refusal = inUserLanguage(AppError("This image cannot be measured: %1.", {*problem}));
        return;
    }
    plan.frames = plan.decoded ? plan.decoded->frames : frameCount(facts);
    if (plan.frame >= plan.frames) {
        plan.refusal =
            inUserLanguage(plan.frames == 1 ? "The file holds %1 frame; there is no frame %2."
                                            : "The file holds %1 frames; there is no frame %2.",
                           {std::to_string(plan.frames), std::to_string(plan.frame + 1)});
        return;
    }
    const FrameValueTexts values = frameValueTexts(header, plan.frame);
    takeFrameFields(header.fields, values);
    const auto columns = integerOf(header.fields.columns), rows = integerOf(header.fields.rows);
    if (!columns || !rows || *columns <= 0 || *rows <= 0) return;
    try {
        plan.rescale = modalityRescale(values);
        const FrameWords words = frameWords(plan, bytes, std::size_t(*columns) * std::size_t(*rows));
        SampleCoding coding;
        coding.isSigned = facts.pixelRepresentation != 0;
        // 8-bit samples come from the toolkit widened to 16 bits; unknown: all 16 bits.
        if (facts.bitsStored > 0 && facts.bitsStored <= 16) coding.bitsStored = int(facts.bitsStored);
        ModalityValues mv =
            modalityValues(words.data, words.count, words.swap, coding, plan.rescale);
        if (!mv.rescaled) {
            header.fields.offset = IntToStr(mv.offset);
            return;
        }
        if (words.count != std::size_t(*columns) * std::size_t(*rows)) {
            plan.refusal = inUserLanguage(
                "The file ends inside the pixels of this image, whose CT values must be computed "
                "from its rescale; it cannot be measured.");
            return;
        }
        DecodedImage computed;
        computed.transferSyntaxName = plan.decoded ? plan.decoded->transferSyntaxName : "";
        computed.frames = static_cast<std::int32_t>(plan.frames);
        computed.samples = std::move(*mv.rescaled);
        plan.decoded = std::move(computed);
        plan.valuesComputed = true;
        plan.valuesRounded = mv.rounded;
        header.fields.header = "0";
        header.fields.offset = "0";
        header.fields.swap = false;
    } catch (const AppError& e) {
        plan.refusal = inUserLanguage(e);
    }
}

}  // namespace

std::string whyScannerCannotServe(const DicomHeaderResult& s, std::size_t fileSize) {
    if (s.compressedSyntax || !isUncompressedLittleEndian(s.transferSyntax))
        return "the transfer syntax " + s.transferSyntax + " is not uncompressed little endian";
    if (!s.pixelDataFound) return "it found no Pixel Data in the first half of the file";
    if (s.error) return "a value stopped its walk";
    if (!s.notes.empty()) return "its walk ended early: " + s.notes.front();
    const auto g = scannedGeometry(s);
    if (!g) return "the header gives no positive Rows and Columns";
    const DicomImageFacts& f = s.image;
    // Without BitsAllocated the scanner's 16-bit reading stands when the length agrees with it.
    if (f.bitsAllocated != -1 && f.bitsAllocated != 16)
        return "its samples take " + std::to_string(f.bitsAllocated) + " bits, not 16";
    if (f.samplesPerPixel != -1 && f.samplesPerPixel != 1)
        return std::to_string(f.samplesPerPixel) + " samples per pixel";
    const std::int64_t frames = f.frames == -1 ? 1 : f.frames;
    if (frames < 1) return "its Number of Frames is not positive";
    if (f.pixelDataLength < 0) return "its Pixel Data has an undefined length";
    const std::uint64_t expected =
        std::uint64_t(g->columns) * std::uint64_t(g->rows) * 2 * std::uint64_t(frames);
    if (std::uint64_t(f.pixelDataLength) != expected)
        return "its Pixel Data holds " + std::to_string(f.pixelDataLength) + " bytes, not the " +
               std::to_string(expected) + " of " + std::to_string(frames) + " frame(s) of " +
               std::to_string(g->columns) + " × " + std::to_string(g->rows) + " 16-bit samples";
    if (std::uint64_t(g->header) + expected > fileSize) return "the file ends inside its pixels";
    return {};
}

bool scannerServes(const DicomHeaderResult& s, std::size_t fileSize) {
    return whyScannerCannotServe(s, fileSize).empty();
}

std::string LoadPlan::readerName() const {
    std::string reader = readByToolkit ? "the DICOM toolkit (" + decoded->transferSyntaxName + ")"
                         : dicom       ? "the header scanner"
                                       : "the file name's geometry";
    if (valuesComputed)
        reader += ", CT values computed as Rescale Slope " + rescale.slopeText +
                " × stored value + Rescale Intercept " + rescale.interceptText +
                (valuesRounded ? ", rounded to whole units" : "");
    return reader;
}

LoadMode modeForFile(const std::string& path) {
    std::ifstream in(pathFromUtf8(path), std::ios::binary);
    std::array<std::uint8_t, 132> start{};
    in.read(reinterpret_cast<char*>(start.data()), start.size());
    const auto got = static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0));
    return looksLikeDicom(start.data(), got) ? LoadMode::Dicom : LoadMode::Word16;
}

LoadPlan planLoad(const std::string& path, const ImageBytes& bytes, LoadMode mode,
                  bool listHeader, std::uint32_t frame) {
    LoadPlan plan;
    plan.frame = frame;
    plan.name = splitNameGeometry(path);
    // A name gives a geometry only with whole numbers for its columns and rows ("CT head 2
    // mm.dcm" gives none), and never to a DICOM file read as DICOM: its header says what it is
    // ("slice 256 256 0p5.dcm" with a preamble is no raw image).
    if (!carriesGeometry(plan.name) ||
        (mode == LoadMode::Dicom && looksLikeDicom(bytes.data(), bytes.size())))
        plan.name = NameGeometry{plan.name.label, {}, {}, {}, {}};
    plan.columns = plan.name.columns;
    plan.rows = plan.name.rows;
    plan.suggestion = plan.name.suggestion;
    if (mode == LoadMode::Dicom && plan.needsSize()) {
        // Names are looked up only for a listed table: a measurement need not build them.
        plan.dicom = readDicomHeader(bytes.data(), bytes.size(),
                                     listHeader ? TagDictionary::builtIn() : TagDictionary::none(),
                                     listHeader);
        const DicomHeaderResult& s = *plan.dicom;
        const bool dicomFile = looksLikeDicom(bytes.data(), bytes.size()) || s.pixelDataFound;
        if (s.noPixelData && isUncompressedLittleEndian(s.transferSyntax) && !s.error &&
            s.notes.empty()) {
            // Walked to its end without Pixel Data: a plan, a report, a structure set.
            plan.noImage = true;
            plan.refusal = messages::noImageInFile(dicom::sopClassName(s.image.sopClassUid));
        } else if (s.pixelDataCutShort ||
                   (plan.scannerDeclined = whyScannerCannotServe(s, bytes.size())).empty()) {
            // A file cut short inside its pixels keeps the scanner's reading, whose rendering
            // says how much is missing.
        } else if (dicomFile) {
            dicom::ToolkitAnswer answer = readWithToolkitHelper(bytes, listHeader, frame);
            // Where the toolkit could not read the file at all, the scanner's reading stands.
            const bool toolkitReadNothing =
                answer.outcome == dicom::ToolkitOutcome::Refused && !answer.headerRead;
            if (!(toolkitReadNothing && scannerPlausible(s, bytes.size())))
                takeFromToolkit(plan, std::move(answer));
            if (toolkitReadNothing && brokeBeforeNeededValues(*plan.dicom))
                plan.refusal = brokenHeaderMessage(plan.dicom->brokenAtTag);
        }
        if (!plan.refusal && !plan.noImage && !plan.dicom->error && plan.dicom->pixelDataFound)
            settleFrame(plan, bytes);
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

bool refusesTheImage(const LoadPlan& plan) {
    return plan.dicom && (plan.dicom->error || plan.refusal || plan.dicom->compressedSyntax);
}

void requireShowable(const LoadPlan& plan) {
    if (!refusesTheImage(plan)) return;
    if (plan.dicom->error) throw AppError(*plan.dicom->error);
    if (plan.refusal) throw AppError(*plan.refusal);
    if (plan.dicom->compressedSyntax) throw compressedImageMessage(*plan.dicom->compressedSyntax);
}

}  // namespace ctiq
