#include "load/dicom/toolkit_wire.h"

#include <cstring>
#include <stdexcept>

namespace ctiq::dicom {
namespace {

class Writer {
  public:
    void u8(std::uint8_t v) { out_.push_back(static_cast<char>(v)); }
    void u32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i) u8(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    void u64(std::uint64_t v) {
        for (int i = 0; i < 8; ++i) u8(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    void i64(std::int64_t v) { u64(static_cast<std::uint64_t>(v)); }
    void bytes(const void* data, std::size_t n) {
        u64(n);
        out_.append(static_cast<const char*>(data), n);
    }
    void text(const std::string& s) { bytes(s.data(), s.size()); }
    void maybe(const std::optional<std::string>& s) {
        u8(s ? 1 : 0);
        if (s) text(*s);
    }
    void maybe(const std::optional<bool>& b) { u8(b ? (*b ? 2 : 1) : 0); }
    std::string take() { return std::move(out_); }

  private:
    std::string out_;
};

class Reader {
  public:
    explicit Reader(const std::string& in) : in_(in) {}
    std::uint8_t u8() {
        need(1);
        return static_cast<std::uint8_t>(in_[pos_++]);
    }
    std::uint32_t u32() {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v |= std::uint32_t{u8()} << (8 * i);
        return v;
    }
    std::uint64_t u64() {
        std::uint64_t v = 0;
        for (int i = 0; i < 8; ++i) v |= std::uint64_t{u8()} << (8 * i);
        return v;
    }
    std::int64_t i64() { return static_cast<std::int64_t>(u64()); }
    std::string text() {
        const std::uint64_t n = u64();
        need(n);
        std::string s = in_.substr(pos_, static_cast<std::size_t>(n));
        pos_ += static_cast<std::size_t>(n);
        return s;
    }
    std::vector<std::uint8_t> byteVector() {
        const std::uint64_t n = u64();
        need(n);
        std::vector<std::uint8_t> v(in_.begin() + static_cast<std::ptrdiff_t>(pos_),
                                    in_.begin() + static_cast<std::ptrdiff_t>(pos_ + n));
        pos_ += static_cast<std::size_t>(n);
        return v;
    }
    std::optional<std::string> maybeText() {
        if (u8() == 0) return std::nullopt;
        return text();
    }
    std::optional<bool> maybeBool() {
        const std::uint8_t v = u8();
        if (v > 2) throw std::runtime_error("malformed toolkit message");
        if (v == 0) return std::nullopt;
        return v == 2;
    }
    // A count of things that take at least `each` bytes: never more than what is left.
    std::size_t count(std::size_t each) {
        const std::uint64_t n = u64();
        if (n > (in_.size() - pos_) / each) throw std::runtime_error("malformed toolkit message");
        return static_cast<std::size_t>(n);
    }
    void end() const {
        if (pos_ != in_.size()) throw std::runtime_error("malformed toolkit message");
    }

  private:
    void need(std::uint64_t n) const {
        if (n > in_.size() - pos_) throw std::runtime_error("malformed toolkit message");
    }
    const std::string& in_;
    std::size_t pos_ = 0;
};

constexpr std::uint32_t kRequestMagic = 0x32515443;  // "CTQ2"
constexpr std::uint32_t kAnswerMagic = 0x32415443;   // "CTA2"

void writeValues(Writer& w, const FrameValueTexts& v) {
    for (const auto* s : {&v.rescaleSlope, &v.rescaleIntercept, &v.pixelSpacing, &v.windowCenter,
                          &v.windowWidth})
        w.maybe(*s);
}

void readValues(Reader& r, FrameValueTexts& v) {
    for (auto* s : {&v.rescaleSlope, &v.rescaleIntercept, &v.pixelSpacing, &v.windowCenter,
                    &v.windowWidth})
        *s = r.maybeText();
}

void writeHeader(Writer& w, const DicomHeaderResult& h) {
    const DicomFieldWrites& f = h.fields;
    for (const auto* s : {&f.header, &f.columns, &f.rows, &f.fieldOfView, &f.offset,
                          &f.pixelSpacing, &f.windowLevel, &f.windowWidth})
        w.maybe(*s);
    w.maybe(f.swap);
    w.u8(h.pixelDataFound);
    w.u8(h.walked);
    w.u8(h.noPixelData);
    w.u64(h.rows.size());
    for (const HeaderRow& row : h.rows)
        for (const std::string& cell : row) w.text(cell);
    w.text(h.summary);
    w.maybe(h.error);
    w.u64(h.notes.size());
    for (const std::string& n : h.notes) w.text(n);
    w.u8(h.pixelDataCutShort);
    w.text(h.transferSyntax);
    w.maybe(h.compressedSyntax);
    const DicomImageFacts& i = h.image;
    for (std::int64_t v : {i.columns, i.rows, i.bitsAllocated, i.bitsStored, i.samplesPerPixel,
                           i.pixelRepresentation, i.highBit, i.frames, i.pixelDataLength})
        w.i64(v);
    w.text(i.sopClassUid);
    w.text(i.photometric);
    writeValues(w, h.dataSet);
    w.u8(h.groups.present);
    writeValues(w, h.groups.shared);
    w.u64(h.groups.perFrame.size());
    for (const FrameValueTexts& frame : h.groups.perFrame) writeValues(w, frame);
    w.u8(h.modalityLut);
    w.i64(h.brokenAtTag);
}

void readHeader(Reader& r, DicomHeaderResult& h) {
    DicomFieldWrites& f = h.fields;
    for (auto* s : {&f.header, &f.columns, &f.rows, &f.fieldOfView, &f.offset, &f.pixelSpacing,
                    &f.windowLevel, &f.windowWidth})
        *s = r.maybeText();
    f.swap = r.maybeBool();
    h.pixelDataFound = r.u8() != 0;
    h.walked = r.u8() != 0;
    h.noPixelData = r.u8() != 0;
    h.rows.resize(r.count(7 * 8));
    for (HeaderRow& row : h.rows)
        for (std::string& cell : row) cell = r.text();
    h.summary = r.text();
    h.error = r.maybeText();
    h.notes.resize(r.count(8));
    for (std::string& n : h.notes) n = r.text();
    h.pixelDataCutShort = r.u8() != 0;
    h.transferSyntax = r.text();
    h.compressedSyntax = r.maybeText();
    DicomImageFacts& i = h.image;
    for (std::int64_t* v :
         {&i.columns, &i.rows, &i.bitsAllocated, &i.bitsStored, &i.samplesPerPixel,
          &i.pixelRepresentation, &i.highBit, &i.frames, &i.pixelDataLength})
        *v = r.i64();
    i.sopClassUid = r.text();
    i.photometric = r.text();
    readValues(r, h.dataSet);
    h.groups.present = r.u8() != 0;
    readValues(r, h.groups.shared);
    h.groups.perFrame.resize(r.count(5));
    for (FrameValueTexts& frame : h.groups.perFrame) readValues(r, frame);
    h.modalityLut = r.u8() != 0;
    h.brokenAtTag = r.i64();
}

}  // namespace

std::string encodeRequest(const std::vector<std::uint8_t>& file, std::uint32_t frame,
                          bool listRows) {
    Writer w;
    w.u32(kRequestMagic);
    w.u32(frame);
    w.u8(listRows);
    w.bytes(file.data(), file.size());
    return w.take();
}

std::string encodeRequest(const ToolkitRequest& request) {
    return encodeRequest(request.file, request.frame, request.listRows);
}

ToolkitRequest decodeRequest(const std::string& message) {
    Reader r(message);
    if (r.u32() != kRequestMagic) throw std::runtime_error("not a toolkit request");
    ToolkitRequest request;
    request.frame = r.u32();
    request.listRows = r.u8() != 0;
    request.file = r.byteVector();
    r.end();
    return request;
}

std::string encodeAnswer(const ToolkitAnswer& a) {
    Writer w;
    w.u32(kAnswerMagic);
    w.u8(static_cast<std::uint8_t>(a.outcome));
    w.text(a.reason);
    w.u8(a.headerRead);
    if (a.headerRead) writeHeader(w, a.header);
    w.text(a.syntaxName);
    w.u32(static_cast<std::uint32_t>(a.columns));
    w.u32(static_cast<std::uint32_t>(a.rows));
    w.u32(static_cast<std::uint32_t>(a.frames));
    w.bytes(a.samples.data(), a.samples.size());
    return w.take();
}

ToolkitAnswer decodeAnswer(const std::string& message) {
    Reader r(message);
    if (r.u32() != kAnswerMagic) throw std::runtime_error("not a toolkit answer");
    ToolkitAnswer a;
    const std::uint8_t outcome = r.u8();
    if (outcome < 1 || outcome > 3) throw std::runtime_error("malformed toolkit message");
    a.outcome = static_cast<ToolkitOutcome>(outcome);
    a.reason = r.text();
    a.headerRead = r.u8() != 0;
    if (a.headerRead) readHeader(r, a.header);
    a.syntaxName = r.text();
    a.columns = static_cast<std::int32_t>(r.u32());
    a.rows = static_cast<std::int32_t>(r.u32());
    a.frames = static_cast<std::int32_t>(r.u32());
    a.samples = r.byteVector();
    r.end();
    return a;
}

}  // namespace ctiq::dicom
