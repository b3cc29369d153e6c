#include "load/toolkit/declared_lengths.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <string_view>

#include "common/language.h"
#include "load/dicom/vocabulary.h"

namespace ctiq::toolkit {
namespace {

constexpr std::uint32_t kUndefined = 0xFFFFFFFF;

std::uint16_t word(const std::uint8_t* p, bool bigEndian) {
    return static_cast<std::uint16_t>(bigEndian ? p[0] << 8 | p[1] : p[0] | p[1] << 8);
}

std::uint32_t dword(const std::uint8_t* p, bool bigEndian) {
    return bigEndian ? std::uint32_t{word(p, true)} << 16 | word(p + 2, true)
                     : word(p, false) | std::uint32_t{word(p + 2, false)} << 16;
}

// The encoding of the elements at one level of nesting, and where that level ends.
struct Level {
    bool implicitVr;
    bool bigEndian;
    std::uint64_t end;  // for a defined length; kUndefined otherwise
    bool fragments;     // encapsulated pixel data: items hold bytes, not elements
};

// Beyond these no real file goes (an Enhanced CT nests 4 deep; structured reports a few more;
// the largest multi-frame headers hold some 10^5 elements), while the toolkit's own walk of a
// crafted file grows much faster than its size.
constexpr std::size_t kMaxNesting = 64;
constexpr std::size_t kMaxElements = 2'000'000;

enum class Walk { Fits, PastTheEnd, TooDeep, TooMany };

// Keeps the image geometry a top-level element of group 0028 declares.
void noteGeometry(std::uint16_t element, const std::uint8_t* value, std::uint64_t length,
                  bool bigEndian, DeclaredImage& image) {
    if (element == 0x0008) {  // Number of Frames, an integer string
        std::uint64_t frames = 0;
        bool digits = false;
        for (std::uint64_t i = 0; i < length && i < 12; ++i) {
            const char c = static_cast<char>(value[i]);
            if (c >= '0' && c <= '9') {
                frames = frames * 10 + static_cast<std::uint64_t>(c - '0');
                digits = true;
            } else if (c != ' ' && c != '+' && c != '\0') {
                break;
            }
        }
        if (digits && frames > 0) image.frames = frames;
        return;
    }
    if (length != 2) return;
    const std::uint16_t v = word(value, bigEndian);
    if (element == 0x0010) image.rows = v;
    if (element == 0x0011) image.columns = v;
    if (element == 0x0100) image.bitsAllocated = v;
    if (element == 0x0002) image.samplesPerPixel = v;
}

Walk lengthsFit(const std::vector<std::uint8_t>& bytes, std::size_t pos, bool implicitVr,
                bool bigEndian, std::uint16_t lastGroup, DeclaredImage* image = nullptr) {
    const std::size_t size = bytes.size();
    std::vector<Level> levels{{implicitVr, bigEndian, kUndefined, false}};
    std::size_t elements = 0;
    while (pos + 8 <= size) {
        if (levels.size() > kMaxNesting) return Walk::TooDeep;
        if (++elements > kMaxElements) return Walk::TooMany;
        while (levels.size() > 1 && levels.back().end != kUndefined && pos >= levels.back().end)
            levels.pop_back();
        const Level level = levels.back();
        const std::uint8_t* p = bytes.data() + pos;
        const std::uint16_t group = word(p, level.bigEndian);
        const std::uint16_t element = word(p + 2, level.bigEndian);
        if (levels.size() == 1 && group > lastGroup && group != 0xFFFE) return Walk::Fits;
        if (group == 0xFFFE) {  // item and delimitation tags: tag and 32-bit length
            const std::uint32_t length = dword(p + 4, level.bigEndian);
            pos += 8;
            if (element == 0xE0DD) {  // a sequence (or fragments) ends
                if (levels.size() > 1) levels.pop_back();
                continue;
            }
            if (element != 0xE000 || length == kUndefined) continue;
            if (length > size - pos) return Walk::PastTheEnd;
            if (level.fragments) pos += length;  // a fragment's bytes
            // An item of defined length holds elements up to its end.
            else
                levels.push_back({level.implicitVr, level.bigEndian, pos + length, false});
            continue;
        }
        std::uint64_t length;
        bool sequence = false;
        std::string_view vr;
        if (level.implicitVr) {
            length = dword(p + 4, level.bigEndian);
            pos += 8;
            sequence = dicom::dictionaryVr({group, element}) == "SQ";
        } else {
            vr = std::string_view(reinterpret_cast<const char*>(p + 4), 2);
            // The toolkit guesses at a VR it does not know, and may read gigabytes of length.
            if (!dicom::isKnownVr(vr)) return Walk::PastTheEnd;
            if (dicom::hasLongLength(vr)) {
                if (pos + 12 > size) return Walk::PastTheEnd;
                length = dword(p + 8, level.bigEndian);
                pos += 12;
            } else {
                length = word(p + 6, level.bigEndian);
                pos += 8;
            }
            sequence = vr == "SQ";
        }
        if (length == kUndefined) {
            const bool pixels = group == 0x7FE0 && element == 0x0010;
            // UN of undefined length: an implicit VR little-endian sequence, as DICOM has it.
            const bool implicitInside = level.implicitVr || vr == "UN";
            levels.push_back({implicitInside, implicitInside ? false : level.bigEndian, kUndefined,
                              pixels && !sequence});
            continue;
        }
        if (length > size - pos) return Walk::PastTheEnd;
        if (image && levels.size() == 1 && group == 0x0028 && !sequence)
            noteGeometry(element, bytes.data() + pos, length, level.bigEndian, *image);
        if (sequence) {
            levels.push_back({level.implicitVr, level.bigEndian, pos + length, false});
            continue;
        }
        pos += static_cast<std::size_t>(length);
    }
    return Walk::Fits;
}

// The first way of reading that fits, else the most telling reason none does.
bool judged(std::initializer_list<Walk> walks, std::string* why) {
    Walk worst = Walk::PastTheEnd;
    for (Walk w : walks) {
        if (w == Walk::Fits) return true;
        if (w != Walk::PastTheEnd) worst = w;
    }
    if (why)
        *why =
            worst == Walk::TooDeep
                ? inUserLanguage("its sequences nest more than %1 deep, which no real file does",
                                 {std::to_string(kMaxNesting)})
            : worst == Walk::TooMany
                ? inUserLanguage("it holds more than %1 elements, which no real file does",
                                 {std::to_string(kMaxElements)})
                : inUserLanguage("its elements declare lengths that run past the end of the file");
    return false;
}

constexpr const char* kDeflatedSyntax = "1.2.840.10008.1.2.1.99";
constexpr const char* kGePrivateSyntax = "1.2.840.113619.5.2";

}  // namespace

std::uint64_t DeclaredImage::frameSamples() const {
    return std::uint64_t{rows} * columns * std::max<std::uint32_t>(samplesPerPixel, 1);
}

std::uint64_t DeclaredImage::frameBytes() const {
    return frameSamples() * ((std::max<std::uint32_t>(bitsAllocated, 8) + 7) / 8);
}

bool declaredLengthsFit(const std::vector<std::uint8_t>& bytes, std::string& syntax,
                        std::string* why, DeclaredImage* image) {
    std::size_t pos = 0;
    if (bytes.size() >= 132 && std::memcmp(bytes.data() + 128, "DICM", 4) == 0) pos = 132;
    syntax.clear();
    if (pos + 8 <= bytes.size() && word(bytes.data() + pos, false) == 0x0002) {
        if (!judged({lengthsFit(bytes, pos, false, false, 0x0002)}, why)) return false;
        // Find where the meta group ends and which syntax follows.
        while (pos + 8 <= bytes.size() && word(bytes.data() + pos, false) == 0x0002) {
            const std::uint8_t* p = bytes.data() + pos;
            const std::string_view vr(reinterpret_cast<const char*>(p + 4), 2);
            const bool longLength = dicom::hasLongLength(vr);
            const std::size_t header = longLength ? 12 : 8;
            if (pos + header > bytes.size()) return judged({Walk::PastTheEnd}, why);
            const std::uint64_t length = longLength ? dword(p + 8, false) : word(p + 6, false);
            if (length > bytes.size() - pos - header) return judged({Walk::PastTheEnd}, why);
            if (word(p + 2, false) == 0x0010)
                syntax = dicom::trimmedUid(std::string_view(
                    reinterpret_cast<const char*>(p + header), static_cast<std::size_t>(length)));
            pos += header + static_cast<std::size_t>(length);
        }
    }
    if (syntax == kDeflatedSyntax) return true;
    // GE's private syntax has an implicit VR little-endian data set (only its pixels differ).
    if (!syntax.empty())
        return judged({lengthsFit(bytes, pos,
                                  syntax == "1.2.840.10008.1.2" || syntax == kGePrivateSyntax,
                                  syntax == "1.2.840.10008.1.2.2", 0xFFFF, image)},
                      why);
    // Without a meta group the first reading that fits names the geometry.
    DeclaredImage found[3];
    const Walk walks[3] = {lengthsFit(bytes, pos, true, false, 0xFFFF, &found[0]),
                           lengthsFit(bytes, pos, false, false, 0xFFFF, &found[1]),
                           lengthsFit(bytes, pos, false, true, 0xFFFF, &found[2])};
    for (int k = 0; k < 3; ++k)
        if (walks[k] == Walk::Fits) {
            if (image) *image = found[k];
            return true;
        }
    return judged({walks[0], walks[1], walks[2]}, why);
}

}  // namespace ctiq::toolkit
