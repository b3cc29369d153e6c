#include "viewer/dicom/toolkit_reader.h"

#include <gdcmDataSet.h>
#include <gdcmImage.h>
#include <gdcmImageReader.h>
#include <gdcmItem.h>
#include <gdcmSequenceOfFragments.h>
#include <gdcmSequenceOfItems.h>
#include <gdcmTrace.h>
#include <gdcmTransferSyntax.h>
#include <gdcmUIDs.h>

#include <algorithm>
#include <cstring>
#include <sstream>
#include <string_view>

#include "common/app_error.h"
#include "common/number_text.h"
#include "viewer/dicom/abort_guard.h"
#include "viewer/dicom/allocation_limit.h"
#include "viewer/dicom/header_recorder.h"
#include "viewer/dicom/tag_dictionary.h"

namespace ctiq {
namespace {

struct SyntaxName {
    const char* uid;
    const char* name;
};

constexpr SyntaxName kSyntaxNames[] = {
    {"1.2.840.10008.1.2", "Implicit VR Little Endian"},
    {"1.2.840.10008.1.2.1", "Explicit VR Little Endian"},
    {"1.2.840.10008.1.2.2", "Explicit VR Big Endian"},
    {"1.2.840.10008.1.2.1.99", "Deflated Explicit VR Little Endian"},
    {"1.2.840.10008.1.2.5", "RLE Lossless"},
    {"1.2.840.10008.1.2.4.50", "JPEG Baseline"},
    {"1.2.840.10008.1.2.4.51", "JPEG Extended"},
    {"1.2.840.10008.1.2.4.57", "JPEG Lossless"},
    {"1.2.840.10008.1.2.4.70", "JPEG Lossless"},
    {"1.2.840.10008.1.2.4.80", "JPEG-LS Lossless"},
    {"1.2.840.10008.1.2.4.81", "JPEG-LS Near-Lossless"},
    {"1.2.840.10008.1.2.4.90", "JPEG 2000 Lossless"},
    {"1.2.840.10008.1.2.4.91", "JPEG 2000"},
};

std::string trimmedUid(const char* uid) {
    std::string s = uid ? uid : "";
    while (!s.empty() && (s.back() == '\0' || s.back() == ' ')) s.pop_back();
    return s;
}

// A stream over the file's bytes without copying them.
class MemoryBuffer : public std::streambuf {
  public:
    explicit MemoryBuffer(const ImageBytes& bytes) {
        char* begin = const_cast<char*>(reinterpret_cast<const char*>(bytes.data()));
        setg(begin, begin, begin + bytes.size());
    }

  protected:
    pos_type seekoff(off_type off, std::ios_base::seekdir dir, std::ios_base::openmode) override {
        char* target = (dir == std::ios_base::beg   ? eback()
                        : dir == std::ios_base::cur ? gptr()
                                                    : egptr()) +
                       off;
        if (target < eback() || target > egptr()) return pos_type(off_type(-1));
        setg(eback(), target, egptr());
        return pos_type(target - eback());
    }
    pos_type seekpos(pos_type pos, std::ios_base::openmode mode) override {
        return seekoff(off_type(pos), std::ios_base::beg, mode);
    }
};

// Lists a data set through the scanner's recorder: elements in order, sequences entered item by
// item. Big-endian binary words are turned around so that numbers read as the scanner reads them.
void listDataSet(const gdcm::DataSet& ds, bool implicitVr, bool bigEndian,
                 dicom::HeaderRecorder& recorder) {
    for (const gdcm::DataElement& de : ds.GetDES()) {
        const dicom::Tag tag{de.GetTag().GetGroup(), de.GetTag().GetElement()};
        const gdcm::VR vr = de.GetVR();
        // The scanner's table leaves out the meta group's length and version.
        if (tag.group == 0x0002 && tag.element < 0x0002) continue;
        // A value the toolkit did not read as a sequence is one only where the file says so.
        gdcm::SmartPointer<gdcm::SequenceOfItems> sq;
        if (de.IsEmpty() && vr != gdcm::VR::SQ) continue;  // no value: no row, as in the scanner
        if ((!de.IsEmpty() && dynamic_cast<const gdcm::SequenceOfItems*>(&de.GetValue())) ||
            vr == gdcm::VR::SQ || (de.IsUndefinedLength() && !de.GetSequenceOfFragments()))
            sq = de.GetValueAsSQ();
        if (sq) {
            recorder.sequence(tag);
            for (gdcm::SequenceOfItems::SizeType i = 1; i <= sq->GetNumberOfItems(); ++i)
                listDataSet(sq->GetItem(i).GetNestedDataSet(), implicitVr, bigEndian, recorder);
            recorder.sequenceEnd();
            continue;
        }
        dicom::RawElement e;
        e.tag = tag;
        if (!implicitVr && vr != gdcm::VR::INVALID) e.vr = gdcm::VR::GetVRString(vr);
        const gdcm::ByteValue* value = de.GetByteValue();
        if (!value || value->GetLength() == 0) continue;  // no value: no row, as in the scanner
        e.shownLength = value->GetLength();
        e.value.assign(value->GetPointer(), value->GetLength());
        if (bigEndian && (vr == gdcm::VR::US || vr == gdcm::VR::SS || vr == gdcm::VR::OW))
            for (std::size_t k = 0; k + 1 < e.value.size(); k += 2)
                std::swap(e.value[k], e.value[k + 1]);
        recorder.element(e);
    }
}

std::uint16_t word(const std::uint8_t* p, bool bigEndian) {
    return static_cast<std::uint16_t>(bigEndian ? p[0] << 8 | p[1] : p[0] | p[1] << 8);
}

std::uint32_t dword(const std::uint8_t* p, bool bigEndian) {
    return bigEndian ? std::uint32_t{word(p, true)} << 16 | word(p + 2, true)
                     : word(p, false) | std::uint32_t{word(p + 2, false)} << 16;
}

bool isLongLengthVr(std::string_view vr) {
    for (std::string_view v :
         {"OB", "OW", "OF", "OD", "OL", "OV", "SQ", "UN", "UT", "UC", "UR", "SV", "UV"})
        if (vr == v) return true;
    return false;
}

bool isShortLengthVr(std::string_view vr) {
    for (std::string_view v : {"AE", "AS", "AT", "CS", "DA", "DS", "DT", "FL", "FD", "IS", "LO",
                               "LT", "PN", "SH", "SL", "SS", "ST", "TM", "UI", "UL", "US"})
        if (vr == v) return true;
    return false;
}

// True when every element from `pos` on declares a length that fits in the bytes that remain
// (sequences and items are entered, not skipped). The toolkit allocates a value's declared
// length before it reads it: a small file must not make it allocate gigabytes.
bool lengthsFit(const ImageBytes& bytes, std::size_t pos, bool implicitVr, bool bigEndian,
                std::uint16_t lastGroup) {
    const std::size_t size = bytes.size();
    bool fragments = false;  // inside encapsulated pixel data: items hold bytes, not elements
    while (pos + 8 <= size) {
        const std::uint8_t* p = bytes.data() + pos;
        const std::uint16_t group = word(p, bigEndian);
        if (group > lastGroup && group != 0xFFFE) return true;  // past the part to check
        const bool structure = group == 0xFFFE;  // item and delimitation tags: tag and length
        if (structure && fragments && word(p + 2, bigEndian) == 0xE0DD) fragments = false;
        std::uint64_t length;
        bool enter = structure && !fragments;
        if (structure || implicitVr) {
            length = dword(p + 4, bigEndian);
            pos += 8;
        } else {
            const std::string_view vr(reinterpret_cast<const char*>(p + 4), 2);
            const bool longLength = isLongLengthVr(vr);
            // The toolkit guesses at a VR it does not know, and may read gigabytes of length.
            if (!longLength && !isShortLengthVr(vr)) return false;
            if (longLength) {
                if (pos + 12 > size) return false;
                length = dword(p + 8, bigEndian);
                pos += 12;
            } else {
                length = word(p + 6, bigEndian);
                pos += 8;
            }
            enter = vr == "SQ";
            if (length == 0xFFFFFFFF && !enter && !structure) fragments = true;
        }
        if (implicitVr && !structure && length == 0xFFFFFFFF && group == 0x7FE0) fragments = true;
        if (length == 0xFFFFFFFF || enter) continue;  // the contents follow as elements
        if (length > size - pos) return false;
        pos += static_cast<std::size_t>(length);
    }
    return true;
}

constexpr const char* kDeflatedSyntax = "1.2.840.10008.1.2.1.99";

// The meta group (explicit VR little endian) and the data set after it, by its transfer syntax.
// A deflated data set cannot be walked here; files without meta are tried in both orders.
// `syntax` receives the meta group's transfer syntax (empty without one).
bool declaredLengthsFit(const ImageBytes& bytes, std::string& syntax) {
    std::size_t pos = 0;
    if (bytes.size() >= 132 && std::memcmp(bytes.data() + 128, "DICM", 4) == 0) pos = 132;
    syntax.clear();
    if (pos + 8 <= bytes.size() && word(bytes.data() + pos, false) == 0x0002) {
        if (!lengthsFit(bytes, pos, false, false, 0x0002)) return false;
        // Find where the meta group ends and which syntax follows.
        while (pos + 8 <= bytes.size() && word(bytes.data() + pos, false) == 0x0002) {
            const std::uint8_t* p = bytes.data() + pos;
            const std::string_view vr(reinterpret_cast<const char*>(p + 4), 2);
            const bool longLength = isLongLengthVr(vr);
            const std::size_t header = longLength ? 12 : 8;
            if (pos + header > bytes.size()) return false;
            const std::uint64_t length = longLength ? dword(p + 8, false) : word(p + 6, false);
            if (length > bytes.size() - pos - header) return false;
            if (word(p + 2, false) == 0x0010)
                syntax = trimmedUid(std::string(reinterpret_cast<const char*>(p + header),
                                                static_cast<std::size_t>(length))
                                        .c_str());
            pos += header + static_cast<std::size_t>(length);
        }
    }
    if (syntax == kDeflatedSyntax) return true;
    if (!syntax.empty())
        return lengthsFit(bytes, pos, syntax == "1.2.840.10008.1.2",
                          syntax == "1.2.840.10008.1.2.2", 0xFFFF);
    return lengthsFit(bytes, pos, true, false, 0xFFFF) ||
           lengthsFit(bytes, pos, false, false, 0xFFFF) ||
           lengthsFit(bytes, pos, false, true, 0xFFFF);
}

// The sample precision of the first JPEG or JPEG-LS frame header that is not 2 … 16 bits, in the
// fragments of encapsulated pixel data; 0 when every header is sound. The toolkit's JPEG decoder
// dereferences a null pointer on such a header (seen with 241 bits), so it must never see one.
// Markers cannot occur inside entropy-coded data (0xFF is stuffed there), so a scan finds them.
int unsoundJpegPrecision(const gdcm::SequenceOfFragments& fragments) {
    for (gdcm::SequenceOfFragments::SizeType i = 0; i < fragments.GetNumberOfFragments(); ++i) {
        const gdcm::ByteValue* value = fragments.GetFragment(i).GetByteValue();
        if (!value) continue;
        const auto* b = reinterpret_cast<const std::uint8_t*>(value->GetPointer());
        const std::size_t n = value->GetLength();
        for (std::size_t k = 0; k + 4 < n; ++k) {
            if (b[k] != 0xFF) continue;
            const std::uint8_t m = b[k + 1];
            const bool frameHeader =
                (m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC) || m == 0xF7;
            if (frameHeader && (b[k + 4] < 2 || b[k + 4] > 16)) return b[k + 4];
        }
    }
    return 0;
}

// What one allocation of the toolkit may take while it reads a file: a value is never longer
// than the file, and a deflated data set is inflated to no more than the largest file we read.
std::size_t parseAllocationLimit(std::size_t fileSize, const std::string& syntax) {
    constexpr std::size_t kSlack = std::size_t{16} << 20;
    return syntax == kDeflatedSyntax ? std::size_t{1} << 30 : 2 * fileSize + kSlack;
}

}  // namespace

struct ToolkitReader::State {
    gdcm::ImageReader reader;
    std::size_t allocationLimit = 0;
};

namespace {
std::mutex& toolkitTurns() {
    static std::mutex turns;
    return turns;
}
}  // namespace

ToolkitReader::ToolkitReader() : turn_(toolkitTurns()) {
    // The toolkit's own warnings about odd files would reach the user's terminal.
    gdcm::Trace::SetWarning(false);
    gdcm::Trace::SetDebug(false);
    gdcm::Trace::SetError(false);
}

ToolkitReader::~ToolkitReader() = default;

bool ToolkitReader::parse(const ImageBytes& bytes) {
    state_.reset();
    std::string syntax;
    if (!declaredLengthsFit(bytes, syntax)) return false;
    state_ = std::make_unique<State>();
    state_->allocationLimit = parseAllocationLimit(bytes.size(), syntax);
    MemoryBuffer buffer(bytes);
    std::istream in(&buffer);
    state_->reader.SetStream(in);
    bool read = false;
    const AllocationLimit limit(state_->allocationLimit);
    auto work = [&] {
        try {
            read = state_->reader.Read();
        } catch (const std::exception&) {
            read = false;
        }
    };
    if (!runSurvivingAbort(work)) read = false;
    // The stream lives on this frame only; what was read stays in the reader's data set.
    if (!read || state_->reader.GetImage().GetNumberOfDimensions() < 2) {
        state_.reset();
        return false;
    }
    return true;
}

std::int32_t ToolkitReader::columns() const {
    return static_cast<std::int32_t>(state_->reader.GetImage().GetDimension(0));
}

std::int32_t ToolkitReader::rows() const {
    return static_cast<std::int32_t>(state_->reader.GetImage().GetDimension(1));
}

std::int32_t ToolkitReader::frames() const {
    const gdcm::Image& image = state_->reader.GetImage();
    return image.GetNumberOfDimensions() > 2 ? static_cast<std::int32_t>(image.GetDimension(2)) : 1;
}

std::string ToolkitReader::transferSyntax() const {
    return trimmedUid(state_->reader.GetImage().GetTransferSyntax().GetString());
}

std::string ToolkitReader::transferSyntaxName() const {
    const std::string uid = transferSyntax();
    for (const SyntaxName& s : kSyntaxNames)
        if (uid == s.uid) return s.name;
    gdcm::UIDs known;
    known.SetFromUID(uid.c_str());
    return known.GetName() && *known.GetName() ? known.GetName() : uid;
}

bool ToolkitReader::pixelDataEquals(const ImageBytes& bytes, std::int64_t offset, std::int32_t cols,
                                    std::int32_t rowCount) const {
    const gdcm::Image& image = state_->reader.GetImage();
    const gdcm::TransferSyntax& ts = image.GetTransferSyntax();
    const gdcm::PixelFormat& pf = image.GetPixelFormat();
    if (ts.IsEncapsulated() || ts.GetSwapCode() == gdcm::SwapCode::BigEndian ||
        pf.GetBitsAllocated() != 16 || pf.GetSamplesPerPixel() != 1)
        return false;
    if (cols != columns() || rowCount != rows() || offset < 0) return false;
    const gdcm::DataElement& pixels = image.GetDataElement();
    const gdcm::ByteValue* value = pixels.GetByteValue();
    const std::uint64_t length = std::uint64_t(cols) * std::uint64_t(rowCount) * 2;
    if (!value || value->GetLength() < length) return false;
    if (static_cast<std::uint64_t>(offset) > bytes.size() ||
        length > bytes.size() - static_cast<std::uint64_t>(offset))
        return false;
    return std::memcmp(bytes.data() + offset, value->GetPointer(), length) == 0;
}

bool ToolkitReader::pixelDataComplete(std::size_t fileSize) const {
    const gdcm::Image& image = state_->reader.GetImage();
    if (image.GetTransferSyntax().IsEncapsulated()) return true;  // decoding tells
    const gdcm::PixelFormat& pf = image.GetPixelFormat();
    const std::uint64_t needed = std::uint64_t(columns()) * std::uint64_t(rows()) *
                                 pf.GetSamplesPerPixel() * ((pf.GetBitsAllocated() + 7) / 8);
    const gdcm::ByteValue* value = image.GetDataElement().GetByteValue();
    // A deflated data set is smaller than its pixels; any other must hold them.
    const bool deflated =
        image.GetTransferSyntax() == gdcm::TransferSyntax::DeflatedExplicitVRLittleEndian;
    return value && value->GetLength() >= needed && (deflated || needed <= fileSize);
}

DicomHeaderResult ToolkitReader::header(bool listRows) const {
    DicomHeaderResult r;
    r.pixelDataFound = true;
    const gdcm::File& file = state_->reader.GetFile();
    const gdcm::TransferSyntax& ts = state_->reader.GetImage().GetTransferSyntax();
    dicom::HeaderRecorder recorder(r, TagDictionary::builtIn(), listRows);
    std::optional<std::string> stopped;
    const AllocationLimit limit(state_->allocationLimit);
    auto work = [&] {
        try {
            listDataSet(file.GetHeader(), false, false, recorder);
            listDataSet(file.GetDataSet(), ts.IsImplicit(),
                        ts.GetSwapCode() == gdcm::SwapCode::BigEndian, recorder);
            recorder.finish();
        } catch (const AppError& e) {
            recorder.keepPreparedTable();
            stopped = e.what();
        }
    };
    if (!runSurvivingAbort(work)) {
        recorder.finish();
        recorder.note("The DICOM toolkit could not list the rest of this header.");
    }
    if (stopped) r.error = *stopped;
    DicomFieldWrites& f = r.fields;
    f.header = "0";
    f.columns = IntToStr(columns());
    f.rows = IntToStr(rows());
    f.swap = false;
    if (!f.offset) f.offset = "0";
    r.compressedSyntax.reset();  // decoded here
    return r;
}

ImageBytes ToolkitReader::decodeFirstFrame() const {
    const gdcm::Image& image = state_->reader.GetImage();
    const gdcm::PixelFormat& pf = image.GetPixelFormat();
    if (pf.GetSamplesPerPixel() != 1) {
        throw AppError("This is a colour image (" + std::to_string(pf.GetSamplesPerPixel()) +
                       " samples per pixel); only grey images can be shown and measured.");
    }
    const unsigned bits = pf.GetBitsAllocated();
    if (bits != 8 && bits != 16) {
        throw AppError("The samples of this image take " + std::to_string(bits) +
                       " bits; only 8- and 16-bit samples can be shown and measured.");
    }
    // Every frame is decoded at once: refuse what no file under the size limit could hold.
    const std::size_t length = image.GetBufferLength();
    if (length > (std::size_t{1} << 30))
        throw AppError("The image's frames take " + std::to_string(length) +
                       " bytes decoded; at most 1 GiB can be decoded.");
    const AllocationLimit limit(
        std::max(state_->allocationLimit, 2 * length + (std::size_t{16} << 20)));
    if (const gdcm::SequenceOfFragments* fragments =
            image.GetDataElement().GetSequenceOfFragments()) {
        const std::string syntax = transferSyntax();
        const bool jpeg = syntax.rfind("1.2.840.10008.1.2.4.5", 0) == 0 ||
                          syntax == "1.2.840.10008.1.2.4.70" ||
                          syntax.rfind("1.2.840.10008.1.2.4.8", 0) == 0;
        if (const int precision = jpeg ? unsoundJpegPrecision(*fragments) : 0)
            throw AppError("The JPEG data of this file is damaged (a frame of " +
                           std::to_string(precision) + "-bit samples); the header is listed.");
    }
    std::vector<char> buffer;
    try {
        buffer.resize(length);
    } catch (const std::bad_alloc&) {
        throw AppError("The decoded image does not fit in memory.");
    }
    bool decoded = false;
    auto work = [&] {
        try {
            decoded = !buffer.empty() && image.GetBuffer(buffer.data());
        } catch (const std::exception&) {
            decoded = false;
        }
    };
    if (!runSurvivingAbort(work) || !decoded) {
        throw AppError("The pixel data (" + transferSyntaxName() +
                       ") could not be decoded; the header is listed.");
    }
    const std::size_t samples = std::size_t(columns()) * std::size_t(rows());
    const std::size_t bytesPerSample = bits / 8;
    if (buffer.size() < samples * bytesPerSample)
        throw AppError("The decoded pixel data is shorter than " + std::to_string(columns()) +
                       " × " + std::to_string(rows()) + " samples.");
    ImageBytes words(samples * 2);
    if (bits == 16) {
        // The toolkit hands the samples in the machine's order: write them little endian.
        for (std::size_t k = 0; k < samples; ++k) {
            std::uint16_t v;
            std::memcpy(&v, buffer.data() + 2 * k, 2);
            words[2 * k] = static_cast<std::uint8_t>(v);
            words[2 * k + 1] = static_cast<std::uint8_t>(v >> 8);
        }
    } else {
        const bool isSigned = pf.GetPixelRepresentation() == 1;
        for (std::size_t k = 0; k < samples; ++k) {
            const auto byte = static_cast<std::uint8_t>(buffer[k]);
            const std::uint16_t v = isSigned ? static_cast<std::uint16_t>(static_cast<std::int16_t>(
                                                   static_cast<std::int8_t>(byte)))
                                             : byte;
            words[2 * k] = static_cast<std::uint8_t>(v);
            words[2 * k + 1] = static_cast<std::uint8_t>(v >> 8);
        }
    }
    return words;
}

}  // namespace ctiq
