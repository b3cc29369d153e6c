#include "load/toolkit/htj2k.h"

#include <openjpeg.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string_view>

#include "common/language.h"
#include "load/dicom/vocabulary.h"

namespace ctiq::toolkit {
namespace {

constexpr char kHtj2kPrefix[] = "1.2.840.10008.1.2.4.20";
// The same 24 bytes: 22 characters and two NULs, which the toolkit trims.
constexpr char kJpeg2000Lossless[24] = "1.2.840.10008.1.2.4.90\0";

std::uint16_t le16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

struct Reading {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at = 0;
};

OPJ_SIZE_T readBytes(void* into, OPJ_SIZE_T n, void* user) {
    auto* r = static_cast<Reading*>(user);
    const std::size_t count = std::min<std::size_t>(n, r->size - r->at);
    if (count == 0) return static_cast<OPJ_SIZE_T>(-1);
    std::memcpy(into, r->data + r->at, count);
    r->at += count;
    return count;
}

OPJ_OFF_T skipBytes(OPJ_OFF_T n, void* user) {
    auto* r = static_cast<Reading*>(user);
    if (n < 0) return -1;
    const std::size_t count = std::min<std::size_t>(static_cast<std::size_t>(n), r->size - r->at);
    r->at += count;
    return static_cast<OPJ_OFF_T>(count);
}

OPJ_BOOL seekTo(OPJ_OFF_T position, void* user) {
    auto* r = static_cast<Reading*>(user);
    if (position < 0 || static_cast<std::size_t>(position) > r->size) return OPJ_FALSE;
    r->at = static_cast<std::size_t>(position);
    return OPJ_TRUE;
}

void quiet(const char*, void*) {}

struct CodecDeleter {
    void operator()(opj_codec_t* c) const { opj_destroy_codec(c); }
};
struct StreamDeleter {
    void operator()(opj_stream_t* s) const { opj_stream_destroy(s); }
};
struct ImageDeleter {
    void operator()(opj_image_t* i) const { opj_image_destroy(i); }
};

bool isJp2File(const std::uint8_t* d, std::size_t n) {
    return n >= 8 && d[4] == 'j' && d[5] == 'P' && d[6] == ' ' && d[7] == ' ';
}

std::optional<std::string> copySamples(const opj_image_t& image, const FrameShape& shape,
                                       std::vector<char>& out) {
    if (image.numcomps != 1 || !image.comps)
        return inUserLanguage("its decoded JPEG 2000 image has %1 components, the header says 1",
                              {std::to_string(image.numcomps)});
    const opj_image_comp_t& c = image.comps[0];
    if (!c.data || c.w != std::uint32_t(shape.columns) || c.h != std::uint32_t(shape.rows) ||
        c.prec < 1 || c.prec > std::uint32_t(shape.bitsAllocated))
        return inUserLanguage("its decoded JPEG 2000 image is not the header's");
    // OpenJPEG 2.5.0 (Debian 12) decodes every negative sample of a signed HTJ2K stream as the
    // largest positive one (checked against OpenJPH's decoder): such values are refused, never
    // measured.
    if (c.sgnd)
        return inUserLanguage(
            "its HTJ2K samples are signed, which this system's OpenJPEG does not decode "
            "reliably (negative values come out clipped)");
    const std::size_t samples = std::size_t(shape.columns) * std::size_t(shape.rows);
    out.assign(samples * std::size_t(shape.bitsAllocated / 8), 0);
    for (std::size_t k = 0; k < samples; ++k) {
        if (shape.bitsAllocated == 16) {
            const auto word = static_cast<std::uint16_t>(c.data[k]);
            std::memcpy(out.data() + 2 * k, &word, 2);
        } else {
            out[k] = static_cast<char>(c.data[k]);
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> relabelledAsJpeg2000(
    const std::vector<std::uint8_t>& file) {
    std::size_t pos =
        file.size() >= 132 && std::memcmp(file.data() + 128, "DICM", 4) == 0 ? 132 : 0;
    // The meta group is explicit VR little endian; its elements are walked by their lengths.
    while (pos + 8 <= file.size() && le16(file.data() + pos) == 0x0002) {
        const std::uint8_t* p = file.data() + pos;
        const bool longLength =
            dicom::hasLongLength(std::string_view(reinterpret_cast<const char*>(p + 4), 2));
        const std::size_t header = longLength ? 12 : 8;
        if (pos + header > file.size()) return std::nullopt;
        const std::size_t length =
            longLength ? std::size_t(le16(p + 8)) | std::size_t(le16(p + 10)) << 16 : le16(p + 6);
        if (length > file.size() - pos - header) return std::nullopt;
        if (le16(p + 2) == 0x0010) {
            const char* value = reinterpret_cast<const char*>(p + header);
            if (length != sizeof kJpeg2000Lossless ||
                std::memcmp(value, kHtj2kPrefix, sizeof kHtj2kPrefix - 1) != 0)
                return std::nullopt;
            std::vector<std::uint8_t> copy = file;
            std::memcpy(copy.data() + pos + header, kJpeg2000Lossless, length);
            return copy;
        }
        pos += header + length;
    }
    return std::nullopt;
}

std::optional<std::string> decodeWithOpenJpeg(const std::uint8_t* data, std::size_t size,
                                              const FrameShape& shape, std::vector<char>& out) {
    Reading reading{data, size};
    std::unique_ptr<opj_stream_t, StreamDeleter> stream(
        opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, OPJ_TRUE));
    std::unique_ptr<opj_codec_t, CodecDeleter> codec(
        opj_create_decompress(isJp2File(data, size) ? OPJ_CODEC_JP2 : OPJ_CODEC_J2K));
    if (!stream || !codec) return inUserLanguage("OpenJPEG could not be set up");
    opj_stream_set_user_data(stream.get(), &reading, nullptr);
    opj_stream_set_user_data_length(stream.get(), size);
    opj_stream_set_read_function(stream.get(), readBytes);
    opj_stream_set_skip_function(stream.get(), skipBytes);
    opj_stream_set_seek_function(stream.get(), seekTo);
    opj_set_info_handler(codec.get(), quiet, nullptr);
    opj_set_warning_handler(codec.get(), quiet, nullptr);
    opj_set_error_handler(codec.get(), quiet, nullptr);
    opj_dparameters_t parameters;
    opj_set_default_decoder_parameters(&parameters);
    opj_image_t* raw = nullptr;
    const bool headerRead = opj_setup_decoder(codec.get(), &parameters) &&
                            opj_read_header(stream.get(), codec.get(), &raw);
    std::unique_ptr<opj_image_t, ImageDeleter> image(raw);
    if (!headerRead || !image || !opj_decode(codec.get(), stream.get(), image.get()) ||
        !opj_end_decompress(codec.get(), stream.get()))
        return inUserLanguage("OpenJPEG could not decode its codestream");
    return copySamples(*image, shape, out);
}

}  // namespace ctiq::toolkit
