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
#include <streambuf>

#include "common/app_error.h"
#include "common/number_text.h"
#include "load/dicom/header_recorder.h"
#include "load/dicom/tag_dictionary.h"
#include "load/dicom/vocabulary.h"
#include "load/toolkit/codestream_check.h"
#include "load/toolkit/declared_lengths.h"

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

bool startsFrame(const gdcm::Fragment& f) {
    const gdcm::ByteValue* v = f.GetByteValue();
    if (!v || v->GetLength() < 4) return false;
    const auto* b = reinterpret_cast<const std::uint8_t*>(v->GetPointer());
    return (b[0] == 0xFF && (b[1] == 0xD8 || b[1] == 0x4F)) ||       // JPEG SOI, J2K SOC
           (b[0] == 0 && b[1] == 0 && b[2] == 0 && b[3] == 0x0C) ||  // a JP2 file
           (b[1] == 0 && b[2] == 0 && b[3] == 0);                    // an RLE header
}

// The fragments of frame `index` of `frames`: one fragment a frame, or split where a fragment
// starts a new codestream. Empty when the file does not tell.
std::optional<Frame> frameFragments(const gdcm::SequenceOfFragments& all, std::uint32_t index,
                                    std::int64_t frames) {
    const std::size_t n = all.GetNumberOfFragments();
    std::vector<std::size_t> starts;
    if (static_cast<std::int64_t>(n) == frames) {
        for (std::size_t i = 0; i < n; ++i) starts.push_back(i);
    } else if (frames == 1) {
        starts.push_back(0);
    } else {
        for (std::size_t i = 0; i < n; ++i)
            if (startsFrame(all.GetFragment(static_cast<unsigned>(i)))) starts.push_back(i);
        if (static_cast<std::int64_t>(starts.size()) != frames) return std::nullopt;
    }
    if (index >= starts.size()) return std::nullopt;
    starts.push_back(n);
    Frame frame;
    frame.fragments = new gdcm::SequenceOfFragments;
    for (std::size_t i = starts[index]; i < starts[index + 1]; ++i) {
        const gdcm::Fragment& f = all.GetFragment(static_cast<unsigned>(i));
        frame.fragments->AddFragment(f);
        if (const gdcm::ByteValue* v = f.GetByteValue())
            frame.bytes.append(v->GetPointer(), v->GetLength());
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

}  // namespace

ToolkitAnswer readWithToolkit(const dicom::ToolkitRequest& request) {
    gdcm::Trace::SetWarning(false);
    gdcm::Trace::SetDebug(false);
    gdcm::Trace::SetError(false);
    std::string syntax;
    if (!declaredLengthsFit(request.file, syntax))
        return refused("its elements declare lengths that run past the end of the file");

    MemoryBuffer buffer(request.file);
    std::istream in(&buffer);
    gdcm::ImageReader reader;
    reader.SetStream(in);
    const bool read = reader.Read();
    const gdcm::File& file = reader.GetFile();
    const bool hasPixels = file.GetDataSet().FindDataElement(gdcm::Tag(0x7FE0, 0x0010));
    if (!read && !hasPixels && file.GetDataSet().IsEmpty())
        return refused("the DICOM toolkit found no data set in it");

    ToolkitAnswer answer;
    const gdcm::Image& image = reader.GetImage();
    const gdcm::TransferSyntax& ts =
        hasPixels ? image.GetTransferSyntax() : file.GetHeader().GetDataSetTransferSyntax();
    answer.header.pixelDataFound = hasPixels;
    answer.header.walked = true;
    dicom::HeaderRecorder recorder(answer.header, TagDictionary::builtIn(), request.listRows);
    try {
        listDataSet(file.GetHeader(), false, recorder);
        listDataSet(file.GetDataSet(), ts.IsImplicit(), recorder);
        recorder.finish();
    } catch (const AppError& e) {
        recorder.keepPreparedTable();
        answer.header.error = e.what();
    }
    answer.headerRead = true;
    const std::string uid = dicom::trimmedUid(ts.GetString() ? ts.GetString() : "");
    const dicom::TransferSyntax* known = dicom::findTransferSyntax(uid);
    answer.syntaxName = known ? known->name : uid;
    answer.header.compressedSyntax.reset();
    if (!hasPixels) {
        answer.outcome = ToolkitOutcome::NoImage;
        return answer;
    }
    if (!read || image.GetNumberOfDimensions() < 2)
        return answer.reason = "the DICOM toolkit could not read its image", answer;

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
        return answer.reason = "it is a colour image (" + std::to_string(pf.GetSamplesPerPixel()) +
                               " samples per pixel); only grey images can be shown and measured",
               answer;
    // The header's own numbers, as written: the toolkit may have taken some from the stream.
    const DicomImageFacts& said = answer.header.image;
    if (said.columns != answer.columns || said.rows != answer.rows ||
        (said.bitsAllocated != -1 && said.bitsAllocated != pf.GetBitsAllocated()))
        return answer.reason =
                   "its header says " + std::to_string(said.columns) + " × " +
                   std::to_string(said.rows) + " samples of " + std::to_string(said.bitsAllocated) +
                   " bits, its pixel data " + std::to_string(answer.columns) + " × " +
                   std::to_string(answer.rows) + " of " + std::to_string(pf.GetBitsAllocated()),
               answer;
    FrameShape shape{answer.columns, answer.rows, pf.GetBitsAllocated(), 1};
    if (shape.bitsAllocated != 8 && shape.bitsAllocated != 16)
        return answer.reason = "its samples take " + std::to_string(shape.bitsAllocated) +
                               " bits; only 8- and 16-bit samples can be shown and measured",
               answer;
    if (pf.GetBitsStored() > pf.GetBitsAllocated() || pf.GetBitsStored() == 0)
        return answer.reason = "it stores " + std::to_string(pf.GetBitsStored()) +
                               " bits in samples of " + std::to_string(pf.GetBitsAllocated()),
               answer;
    if (request.frame >= static_cast<std::uint32_t>(answer.frames))
        return answer.reason = "it has no frame " + std::to_string(request.frame + 1), answer;

    const std::size_t samples = std::size_t(answer.columns) * std::size_t(answer.rows);
    const std::size_t frameLength = samples * static_cast<std::size_t>(shape.bitsAllocated / 8);
    gdcm::Image one = image;
    one.SetNumberOfDimensions(2);
    if (const gdcm::SequenceOfFragments* all = image.GetDataElement().GetSequenceOfFragments()) {
        const auto frame = frameFragments(*all, request.frame, answer.frames);
        if (!frame) return answer.reason = "it does not say where its frames begin", answer;
        const auto mismatch = codestreamMismatch(
            codestreamOf(uid), reinterpret_cast<const std::uint8_t*>(frame->bytes.data()),
            frame->bytes.size(), shape);
        if (mismatch) return answer.reason = *mismatch, answer;
        gdcm::DataElement pixels(gdcm::Tag(0x7FE0, 0x0010));
        pixels.SetVR(gdcm::VR::OB);
        pixels.SetValue(*frame->fragments);
        one.SetDataElement(pixels);
    } else {
        const gdcm::ByteValue* value = image.GetDataElement().GetByteValue();
        const std::size_t start = frameLength * request.frame;
        if (!value || value->GetLength() < start + frameLength)
            return answer.reason = "its pixel data is shorter than " +
                                   std::to_string(answer.frames) + " frames of " +
                                   std::to_string(answer.columns) + " × " +
                                   std::to_string(answer.rows) + " samples",
                   answer;
        gdcm::DataElement pixels(gdcm::Tag(0x7FE0, 0x0010));
        pixels.SetVR(gdcm::VR::OW);
        pixels.SetByteValue(value->GetPointer() + start, static_cast<std::uint32_t>(frameLength));
        one.SetDataElement(pixels);
    }
    if (one.GetBufferLength() != frameLength)
        return answer.reason = "its decoded frame would take " +
                               std::to_string(one.GetBufferLength()) + " bytes, not the " +
                               std::to_string(frameLength) + " its header gives",
               answer;
    std::vector<char> decoded(frameLength);
    bool ok = false;
    try {
        ok = one.GetBuffer(decoded.data());
    } catch (const std::exception&) {
        ok = false;
    }
    // The decoder may have learnt another sample size from the stream than the header's.
    if (!ok || one.GetPixelFormat().GetBitsAllocated() != pf.GetBitsAllocated())
        return answer.reason = "its pixel data (" + answer.syntaxName + ") could not be decoded",
               answer;
    answer.samples = toLittleEndianWords(decoded, samples, pf.GetBitsAllocated(),
                                         pf.GetPixelRepresentation() == 1);
    answer.outcome = ToolkitOutcome::Decoded;
    return answer;
}

}  // namespace ctiq::toolkit
