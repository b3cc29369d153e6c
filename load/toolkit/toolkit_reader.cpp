#include "load/toolkit/toolkit_reader.h"

#include <gdcmDataSet.h>
#include <gdcmImage.h>
#include <gdcmImageReader.h>
#include <gdcmItem.h>
#include <gdcmSequenceOfFragments.h>
#include <gdcmSequenceOfItems.h>
#include <gdcmTrace.h>
#include <gdcmTransferSyntax.h>
#include <gdcmUIDs.h>

#include <cstring>
#include <istream>
#include <set>
#include <streambuf>
#include <variant>

#include "common/app_error.h"
#include "common/language.h"
#include "common/number_text.h"
#include "load/dicom/header_recorder.h"
#include "load/dicom/tag_dictionary.h"
#include "load/dicom/vocabulary.h"
#include "load/toolkit/codestream_check.h"
#include "load/toolkit/declared_lengths.h"
#include "load/toolkit/frame_locator.h"
#include "load/toolkit/htj2k.h"

namespace ctiq::toolkit {
namespace {

using dicom::ToolkitAnswer;
using dicom::ToolkitOutcome;

// A stream over the file's bytes without copying them.
class MemoryBuffer : public std::streambuf {
  public:
    explicit MemoryBuffer(const std::vector<std::uint8_t>& bytes) {
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
// item. The toolkit hands the values of a big-endian file in the machine's order already.
void listDataSet(const gdcm::DataSet& ds, bool implicitVr, dicom::HeaderRecorder& recorder) {
    for (const gdcm::DataElement& de : ds.GetDES()) {
        const dicom::Tag tag{de.GetTag().GetGroup(), de.GetTag().GetElement()};
        const gdcm::VR vr = de.GetVR();
        // The scanner's table leaves out the meta group's length and version.
        if (tag.group == 0x0002 && tag.element < 0x0002) continue;
        gdcm::SmartPointer<gdcm::SequenceOfItems> sq;
        if (de.IsEmpty() && vr != gdcm::VR::SQ) {  // no value: no row, as in the scanner
            recorder.emptyElement(tag);
            continue;
        }
        if ((!de.IsEmpty() && dynamic_cast<const gdcm::SequenceOfItems*>(&de.GetValue())) ||
            vr == gdcm::VR::SQ || (de.IsUndefinedLength() && !de.GetSequenceOfFragments()))
            sq = de.GetValueAsSQ();
        if (sq) {
            recorder.sequence(tag);
            for (gdcm::SequenceOfItems::SizeType i = 1; i <= sq->GetNumberOfItems(); ++i) {
                recorder.item();
                listDataSet(sq->GetItem(i).GetNestedDataSet(), implicitVr, recorder);
            }
            recorder.sequenceEnd();
            continue;
        }
        dicom::RawElement e;
        e.tag = tag;
        if (!implicitVr && vr != gdcm::VR::INVALID && vr != gdcm::VR::UN)
            e.vr = gdcm::VR::GetVRString(vr);
        const gdcm::ByteValue* value = de.GetByteValue();
        if (!value || value->GetLength() == 0) continue;
        e.shownLength = value->GetLength();
        e.value.assign(value->GetPointer(), value->GetLength());
        recorder.element(e);
    }
}

struct Frame {
    gdcm::SmartPointer<gdcm::SequenceOfFragments> fragments;  // the frame's own
    std::string bytes;                                        // their bytes, joined
};

std::vector<FragmentView> fragmentViews(const gdcm::SequenceOfFragments& all) {
    std::vector<FragmentView> views;
    std::uint64_t position = 0;
    for (unsigned i = 0; i < all.GetNumberOfFragments(); ++i) {
        const gdcm::ByteValue* v = all.GetFragment(i).GetByteValue();
        FragmentView view;
        view.position = position;
        if (v) {
            view.data = reinterpret_cast<const std::uint8_t*>(v->GetPointer());
            view.size = v->GetLength();
        }
        views.push_back(view);
        position += 8 + view.size;  // the item's tag and length, then its bytes
    }
    return views;
}

std::vector<std::uint64_t> offsetsOf(const gdcm::ByteValue* value, int width) {
    if (!value) return {};
    return offsetValues(reinterpret_cast<const std::uint8_t*>(value->GetPointer()),
                        value->GetLength(), width);
}

OffsetTables offsetTablesOf(const gdcm::SequenceOfFragments& all, const gdcm::DataSet& ds) {
    OffsetTables t;
    t.basic = offsetsOf(all.GetTable().GetByteValue(), 4);
    const gdcm::Tag extended(0x7FE0, 0x0001), lengths(0x7FE0, 0x0002);
    if (ds.FindDataElement(extended))
        t.extended = offsetsOf(ds.GetDataElement(extended).GetByteValue(), 8);
    if (ds.FindDataElement(lengths))
        t.extendedLengths = offsetsOf(ds.GetDataElement(lengths).GetByteValue(), 8);
    return t;
}

// The fragments of frame `index`, or why the file does not say which they are.
std::variant<Frame, std::string> frameFragments(const gdcm::SequenceOfFragments& all,
                                                const gdcm::DataSet& ds, std::uint32_t index,
                                                std::int64_t frames, Codestream kind) {
    const std::vector<FragmentView> views = fragmentViews(all);
    const FrameRanges ranges = locateFrames(views, offsetTablesOf(all, ds), frames, kind);
    if (ranges.refusal) return *ranges.refusal;
    const std::size_t end =
        index + 1 < ranges.first.size() ? ranges.first[index + 1] : views.size();
    Frame frame;
    frame.fragments = new gdcm::SequenceOfFragments;
    for (std::size_t i = ranges.first[index]; i < end; ++i) {
        frame.fragments->AddFragment(all.GetFragment(static_cast<unsigned>(i)));
        if (views[i].size > 0)
            frame.bytes.append(reinterpret_cast<const char*>(views[i].data), views[i].size);
    }
    return frame;
}

ToolkitAnswer refused(std::string reason) {
    ToolkitAnswer a;
    a.outcome = ToolkitOutcome::Refused;
    a.reason = std::move(reason);
    return a;
}

std::vector<std::uint8_t> toLittleEndianWords(const std::vector<char>& buffer, std::size_t samples,
                                              unsigned bits, bool isSigned) {
    std::vector<std::uint8_t> words(samples * 2);
    for (std::size_t k = 0; k < samples; ++k) {
        std::uint16_t v;
        if (bits == 16) {
            std::memcpy(&v, buffer.data() + 2 * k, 2);  // the toolkit's samples: machine order
        } else {
            const auto byte = static_cast<std::uint8_t>(buffer[k]);
            v = isSigned ? static_cast<std::uint16_t>(
                               static_cast<std::int16_t>(static_cast<std::int8_t>(byte)))
                         : byte;
        }
        words[2 * k] = static_cast<std::uint8_t>(v);
        words[2 * k + 1] = static_cast<std::uint8_t>(v >> 8);
    }
    return words;
}

// Puts the file's own transfer syntax back into the meta group the header table lists.
void restoreSyntax(gdcm::File& file, const std::string& uid) {
    std::string value = uid;
    if (value.size() % 2) value.push_back('\0');
    gdcm::DataElement element(gdcm::Tag(0x0002, 0x0010));
    element.SetVR(gdcm::VR::UI);
    element.SetByteValue(value.data(), static_cast<std::uint32_t>(value.size()));
    file.GetHeader().Replace(element);
}

constexpr const char* kGePrivateSyntax = "1.2.840.113619.5.2";

// A name for the syntaxes the program's table leaves out because only the helper reads them.
std::string syntaxName(const std::string& uid) {
    if (const dicom::TransferSyntax* known = dicom::findTransferSyntax(uid)) return known->name;
    if (uid == "1.2.840.10008.1.2.4.201") return "HTJ2K Lossless";
    if (uid == "1.2.840.10008.1.2.4.202") return "HTJ2K Lossless RPCL";
    if (uid == "1.2.840.10008.1.2.4.203") return "HTJ2K";
    if (uid == kGePrivateSyntax) return "GE Implicit VR Big Endian";
    return uid;
}

// A value of group 0028 as the header writes it (the toolkit hands values in machine order).
std::optional<std::uint16_t> imageValue(const gdcm::DataSet& ds, std::uint16_t element) {
    const gdcm::Tag tag(0x0028, element);
    if (!ds.FindDataElement(tag)) return std::nullopt;
    const gdcm::ByteValue* v = ds.GetDataElement(tag).GetByteValue();
    if (!v || v->GetLength() < 2) return std::nullopt;
    std::uint16_t value;
    std::memcpy(&value, v->GetPointer(), 2);
    return value;
}

std::string photometricOf(const gdcm::DataSet& ds) {
    const gdcm::Tag tag(0x0028, 0x0004);
    if (!ds.FindDataElement(tag)) return "";
    const gdcm::ByteValue* v = ds.GetDataElement(tag).GetByteValue();
    if (!v) return "";
    std::string text(v->GetPointer(), v->GetLength());
    while (!text.empty() && (text.back() == ' ' || text.back() == '\0')) text.pop_back();
    return text;
}

// Why the header's own description of a sample rules the image out, as it writes it.
std::optional<std::string> sampleDescriptionFault(const gdcm::DataSet& ds) {
    const auto perPixel = imageValue(ds, 0x0002);
    if (perPixel && *perPixel != 1)
        return inUserLanguage(
            "it is a colour image (%1 samples per pixel); only grey images can "
            "be shown and measured",
            {std::to_string(*perPixel)});
    const std::string photometric = photometricOf(ds);
    if (!photometric.empty() && photometric != "MONOCHROME1" && photometric != "MONOCHROME2")
        return inUserLanguage(
            "its photometric interpretation is %1; only MONOCHROME1 and "
            "MONOCHROME2 images can be shown and measured",
            {photometric});
    const auto allocated = imageValue(ds, 0x0100), stored = imageValue(ds, 0x0101);
    const auto highBit = imageValue(ds, 0x0102), representation = imageValue(ds, 0x0103);
    if (allocated && stored && *stored > *allocated)
        return inUserLanguage(
            "its header says it stores %1 bits (BitsStored) in samples of %2 (BitsAllocated)",
            {std::to_string(*stored), std::to_string(*allocated)});
    if (stored && highBit && *highBit + 1 != *stored)
        return inUserLanguage(
            "its header gives HighBit %1 for %2 bits stored; it must be %3",
            {std::to_string(*highBit), std::to_string(*stored), std::to_string(*stored - 1)});
    if (representation && *representation > 1)
        return inUserLanguage(
            "its header gives PixelRepresentation %1; only 0 (unsigned) and 1 "
            "(signed) are defined",
            {std::to_string(*representation)});
    return std::nullopt;
}

std::optional<std::string> sampleDescriptionFault(std::istream& in) {
    gdcm::Reader reader;
    reader.SetStream(in);
    const std::set<gdcm::Tag> tags = {{0x0028, 0x0002}, {0x0028, 0x0004}, {0x0028, 0x0100},
                                      {0x0028, 0x0101}, {0x0028, 0x0102}, {0x0028, 0x0103}};
    if (!reader.ReadSelectedTags(tags)) return std::nullopt;
    return sampleDescriptionFault(reader.GetFile().GetDataSet());
}

// The header's rows, its fields and the syntax's name, as the answer carries them.
void listHeader(const gdcm::File& file, bool hasPixels, bool implicitVr, const std::string& uid,
                bool listRows, ToolkitAnswer& answer) {
    answer.header.pixelDataFound = hasPixels;
    answer.header.walked = true;
    dicom::HeaderRecorder recorder(answer.header, TagDictionary::builtIn(), listRows);
    try {
        listDataSet(file.GetHeader(), false, recorder);
        listDataSet(file.GetDataSet(), implicitVr, recorder);
        recorder.finish();
    } catch (const AppError& e) {
        recorder.keepPreparedTable();
        answer.header.error = inUserLanguage(e);
    }
    answer.headerRead = true;
    answer.syntaxName = syntaxName(uid);
    answer.header.compressedSyntax.reset();
}

// Why the image as the toolkit sees it cannot be shown, or nullopt; sets its size and fields.
std::optional<std::string> imageFault(const gdcm::Image& image, ToolkitAnswer& answer) {
    const gdcm::PixelFormat& pf = image.GetPixelFormat();
    answer.columns = static_cast<std::int32_t>(image.GetDimension(0));
    answer.rows = static_cast<std::int32_t>(image.GetDimension(1));
    answer.frames =
        image.GetNumberOfDimensions() > 2 ? static_cast<std::int32_t>(image.GetDimension(2)) : 1;
    DicomFieldWrites& f = answer.header.fields;
    f.header = "0";
    f.columns = IntToStr(answer.columns);
    f.rows = IntToStr(answer.rows);
    f.swap = false;
    if (!f.offset) f.offset = "0";
    if (pf.GetSamplesPerPixel() != 1)
        return inUserLanguage(
            "it is a colour image (%1 samples per pixel); only grey images can "
            "be shown and measured",
            {std::to_string(pf.GetSamplesPerPixel())});
    // The header's own numbers, as written: the toolkit may have taken some from the stream.
    const DicomImageFacts& said = answer.header.image;
    if (said.columns != answer.columns || said.rows != answer.rows ||
        (said.bitsAllocated != -1 && said.bitsAllocated != pf.GetBitsAllocated()))
        return inUserLanguage(
            "its header says %1 × %2 samples of %3 bits, its pixel data %4 × %5 of %6",
            {std::to_string(said.columns), std::to_string(said.rows),
             std::to_string(said.bitsAllocated), std::to_string(answer.columns),
             std::to_string(answer.rows), std::to_string(pf.GetBitsAllocated())});
    if (pf.GetBitsAllocated() != 8 && pf.GetBitsAllocated() != 16)
        return inUserLanguage(
            "its samples take %1 bits; only 8- and 16-bit samples can be shown and measured",
            {std::to_string(pf.GetBitsAllocated())});
    if (pf.GetBitsStored() > pf.GetBitsAllocated() || pf.GetBitsStored() == 0)
        return inUserLanguage(
            "it stores %1 bits in samples of %2",
            {std::to_string(pf.GetBitsStored()), std::to_string(pf.GetBitsAllocated())});
    return std::nullopt;
}

struct FrameToDecode {
    const gdcm::Image& image;
    const gdcm::DataSet& dataSet;
    std::string uid;
    std::uint32_t index;
    std::int32_t frames;
    FrameShape shape;
};

// Decodes the one-frame image with the toolkit into `decoded`, whose size the header gives.
std::optional<std::string> decodeWithToolkit(gdcm::Image& one, const FrameToDecode& f,
                                             std::vector<char>& decoded) {
    if (one.GetBufferLength() != decoded.size())
        return inUserLanguage(
            "its decoded frame would take %1 bytes, not the %2 its header gives",
            {std::to_string(one.GetBufferLength()), std::to_string(decoded.size())});
    bool ok = false;
    try {
        ok = one.GetBuffer(decoded.data());
    } catch (const std::exception&) {
        ok = false;
    }
    // The decoder may have learnt another sample size from the stream than the header's.
    if (!ok || one.GetPixelFormat().GetBitsAllocated() != f.shape.bitsAllocated)
        return inUserLanguage("its pixel data (%1) could not be decoded", {syntaxName(f.uid)});
    return std::nullopt;
}

// Frame `index` of encapsulated pixel data, decoded into `decoded` (machine order).
std::optional<std::string> decodeFragments(const gdcm::SequenceOfFragments& all,
                                           const FrameToDecode& f, std::vector<char>& decoded) {
    const Codestream kind = codestreamOf(f.uid);
    auto located = frameFragments(all, f.dataSet, f.index, f.frames, kind);
    if (auto* why = std::get_if<std::string>(&located)) return *why;
    const Frame& frame = std::get<Frame>(located);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(frame.bytes.data());
    if (auto mismatch = codestreamMismatch(kind, bytes, frame.bytes.size(), f.shape))
        return mismatch;
    // The toolkit does not know HTJ2K; OpenJPEG decodes its codestreams.
    if (isHtj2k(f.uid)) return decodeWithOpenJpeg(bytes, frame.bytes.size(), f.shape, decoded);
    gdcm::Image one = f.image;
    one.SetNumberOfDimensions(2);
    gdcm::DataElement pixels(gdcm::Tag(0x7FE0, 0x0010));
    pixels.SetVR(gdcm::VR::OB);
    pixels.SetValue(*frame.fragments);
    one.SetDataElement(pixels);
    return decodeWithToolkit(one, f, decoded);
}

// Frame `index` of native pixel data. The toolkit turned the big-endian words of GE's private
// syntax around as it read them.
std::optional<std::string> decodeNative(const FrameToDecode& f, std::vector<char>& decoded) {
    const std::size_t length = decoded.size();
    const std::size_t start = length * f.index;
    const gdcm::ByteValue* value = f.image.GetDataElement().GetByteValue();
    if (!value || value->GetLength() < start + length)
        return inUserLanguage("its pixel data is shorter than %1 frames of %2 × %3 samples",
                              {std::to_string(f.frames), std::to_string(f.shape.columns),
                               std::to_string(f.shape.rows)});
    gdcm::Image one = f.image;
    one.SetNumberOfDimensions(2);
    gdcm::DataElement pixels(gdcm::Tag(0x7FE0, 0x0010));
    pixels.SetVR(gdcm::VR::OW);
    pixels.SetByteValue(value->GetPointer() + start, static_cast<std::uint32_t>(length));
    one.SetDataElement(pixels);
    return decodeWithToolkit(one, f, decoded);
}

// The asked frame of a file whose header was listed, decoded into the answer, or why not.
ToolkitAnswer decodeFrame(const gdcm::Image& image, const gdcm::File& file, bool read,
                          const std::string& uid, std::uint32_t index, ToolkitAnswer answer) {
    if (!read || image.GetNumberOfDimensions() < 2)
        return answer.reason = inUserLanguage("the DICOM toolkit could not read its image"), answer;
    if (auto fault = imageFault(image, answer)) return answer.reason = *fault, answer;
    if (index >= static_cast<std::uint32_t>(answer.frames))
        return answer.reason = inUserLanguage("it has no frame %1", {std::to_string(index + 1)}),
               answer;

    const gdcm::PixelFormat& pf = image.GetPixelFormat();
    const FrameShape shape{answer.columns, answer.rows, pf.GetBitsAllocated(), 1};
    const FrameToDecode frame{image, file.GetDataSet(), uid, index, answer.frames, shape};
    const std::size_t samples = std::size_t(answer.columns) * std::size_t(answer.rows);
    std::vector<char> decoded(samples * static_cast<std::size_t>(pf.GetBitsAllocated() / 8));
    const gdcm::SequenceOfFragments* all = image.GetDataElement().GetSequenceOfFragments();
    if (auto why = all ? decodeFragments(*all, frame, decoded) : decodeNative(frame, decoded))
        return answer.reason = *why, answer;
    answer.samples = toLittleEndianWords(decoded, samples, pf.GetBitsAllocated(),
                                         pf.GetPixelRepresentation() == 1);
    answer.outcome = ToolkitOutcome::Decoded;
    return answer;
}

}  // namespace

ToolkitAnswer readWithToolkit(const dicom::ToolkitRequest& request) {
    gdcm::Trace::SetWarning(false);
    gdcm::Trace::SetDebug(false);
    gdcm::Trace::SetError(false);
    std::string syntax, why;
    DeclaredImage declared;
    if (!declaredLengthsFit(request.file, syntax, &why, &declared)) return refused(why);
    if (declared.frameBytes() > kMaxFrameBytes)
        return refused(inUserLanguage(
            "it declares frames of %1 MiB, more than the %2 MiB any CT image needs",
            {std::to_string(declared.frameBytes() >> 20), std::to_string(kMaxFrameBytes >> 20)}));
    // The toolkit stops on its own assertion for a sample count no DICOM image has (it knows
    // 1, 3 and 4); such a file is refused by name before it sees it.
    if (const std::uint32_t spp = declared.samplesPerPixel; spp != 1 && spp != 3 && spp != 4)
        return refused(inUserLanguage(
            "it has %1 samples per pixel; only grey images (1 sample per pixel) can be shown and "
            "measured",
            {std::to_string(spp)}));
    // The toolkit refuses a file whose syntax it does not know: HTJ2K is read as JPEG 2000.
    std::optional<std::vector<std::uint8_t>> relabelled;
    if (isHtj2k(syntax) && !(relabelled = relabelledAsJpeg2000(request.file)))
        return refused(
            inUserLanguage("its transfer syntax %1 is not supported as written (its UID "
                           "element is not 24 bytes long)",
                           {syntaxName(syntax)}));

    MemoryBuffer buffer(relabelled ? *relabelled : request.file);
    std::istream in(&buffer);
    // Read first on its own: the toolkit's image reading may crash on what it describes (a
    // palette without its tables); such a file is read without its image.
    const std::optional<std::string> fault = sampleDescriptionFault(in);
    in.clear();
    in.seekg(0);
    gdcm::ImageReader imageReader;
    gdcm::Reader dataSetReader;
    gdcm::Reader& reader = fault ? dataSetReader : imageReader;
    reader.SetStream(in);
    const bool read = reader.Read();
    gdcm::File& file = reader.GetFile();
    const bool hasPixels = file.GetDataSet().FindDataElement(gdcm::Tag(0x7FE0, 0x0010));
    if (!read && !hasPixels && file.GetDataSet().IsEmpty())
        return refused(
            syntax.empty() || dicom::findTransferSyntax(syntax)
                ? inUserLanguage("the DICOM toolkit found no data set in it")
                : inUserLanguage("its transfer syntax %1 is not supported", {syntaxName(syntax)}));
    if (relabelled) restoreSyntax(file, syntax);

    ToolkitAnswer answer;
    const gdcm::Image& image = imageReader.GetImage();
    const gdcm::TransferSyntax& ts = hasPixels && !fault
                                         ? image.GetTransferSyntax()
                                         : file.GetHeader().GetDataSetTransferSyntax();
    // The meta group's syntax names the file's: the toolkit may report another for the image.
    const std::string uid =
        syntax.empty() ? dicom::trimmedUid(ts.GetString() ? ts.GetString() : "") : syntax;
    listHeader(file, hasPixels, ts.IsImplicit(), uid, request.listRows, answer);
    if (!hasPixels) {
        answer.outcome = ToolkitOutcome::NoImage;
        return answer;
    }
    if (fault) return answer.reason = *fault, answer;
    return decodeFrame(image, file, read, uid, request.frame, std::move(answer));
}

}  // namespace ctiq::toolkit
