#include "load/dicom/character_set.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace ctiq::dicom {

namespace {

// The graphic sets a value may use. G0 sets hold bytes 0x21-0x7E, G1 sets bytes >= 0x80; the
// stand-alone sets hold the whole value and are never switched.
enum class Graphic : std::uint8_t {
    Ascii,  // also JIS X 0201 Romaji, read as ASCII
    Latin1,
    Latin2,
    Latin3,
    Latin4,
    Cyrillic,
    Arabic,
    Greek,
    Hebrew,
    Latin5,
    Latin9,
    Thai,
    Katakana,
    Jis0208,
    Jis0212,
    Ksx1001,
    Gb2312,
    Utf8,
    Gb18030,
    Gbk,
};
constexpr std::size_t kGraphicCount = static_cast<std::size_t>(Graphic::Gbk) + 1;

// How a set's bytes reach iconv. The ISO 2022 forms are decoded through their EUC form: a G0
// two-byte set gets the high bit set, JIS X 0201 katakana and JIS X 0212 the single shift EUC-JP
// puts before them.
struct Coding {
    const char* iconvName;  // nullptr for ASCII, passed through as it is
    std::uint8_t width;     // bytes a character takes; 1 for the variable-width stand-alone sets
    char singleShift;       // put before each character, or 0
    bool setHighBit;
};

constexpr std::array<Coding, kGraphicCount> kCodings = {{
    {nullptr, 1, 0, false},        // Ascii
    {"ISO-8859-1", 1, 0, false},   // Latin1
    {"ISO-8859-2", 1, 0, false},   // Latin2
    {"ISO-8859-3", 1, 0, false},   // Latin3
    {"ISO-8859-4", 1, 0, false},   // Latin4
    {"ISO-8859-5", 1, 0, false},   // Cyrillic
    {"ISO-8859-6", 1, 0, false},   // Arabic
    {"ISO-8859-7", 1, 0, false},   // Greek
    {"ISO-8859-8", 1, 0, false},   // Hebrew
    {"ISO-8859-9", 1, 0, false},   // Latin5
    {"ISO-8859-15", 1, 0, false},  // Latin9
    {"ISO-8859-11", 1, 0, false},  // Thai: ISO-IR 166 is a 96-set, 0xA0 included
    {"EUC-JP", 1, '\x8E', false},  // Katakana
    {"EUC-JP", 2, 0, true},        // Jis0208
    {"EUC-JP", 2, '\x8F', true},   // Jis0212
    {"EUC-KR", 2, 0, false},       // Ksx1001
    {"EUC-CN", 2, 0, false},       // Gb2312
    {"UTF-8", 1, 0, false},        // Utf8
    {"GB18030", 1, 0, false},      // Gb18030
    {"GBK", 1, 0, false},          // Gbk
}};

const Coding& codingOf(Graphic g) {
    return kCodings[static_cast<std::size_t>(g)];
}

bool isTwoByteG0(Graphic g) {
    return g == Graphic::Jis0208 || g == Graphic::Jis0212;
}

bool isTwoByteG1(Graphic g) {
    return g == Graphic::Ksx1001 || g == Graphic::Gb2312;
}

enum class Element : std::uint8_t { G0, G1 };

// A set of the ISO 2022 forms: the number of its term ("ISO_IR n", "ISO 2022 IR n"), where it
// goes and the escape sequence that puts it there.
struct Iso2022Set {
    std::string_view number;
    Element element;
    Graphic graphic;
    std::string_view escape;
};

constexpr std::array<Iso2022Set, 19> kIso2022Sets = {{
    {"6", Element::G0, Graphic::Ascii, "\x1b(B"},
    {"14", Element::G0, Graphic::Ascii, "\x1b(J"},
    {"13", Element::G1, Graphic::Katakana, "\x1b)I"},
    {"100", Element::G1, Graphic::Latin1, "\x1b-A"},
    {"101", Element::G1, Graphic::Latin2, "\x1b-B"},
    {"109", Element::G1, Graphic::Latin3, "\x1b-C"},
    {"110", Element::G1, Graphic::Latin4, "\x1b-D"},
    {"144", Element::G1, Graphic::Cyrillic, "\x1b-L"},
    {"127", Element::G1, Graphic::Arabic, "\x1b-G"},
    {"126", Element::G1, Graphic::Greek, "\x1b-F"},
    {"138", Element::G1, Graphic::Hebrew, "\x1b-H"},
    {"148", Element::G1, Graphic::Latin5, "\x1b-M"},
    {"203", Element::G1, Graphic::Latin9, "\x1b-b"},
    {"166", Element::G1, Graphic::Thai, "\x1b-T"},
    {"87", Element::G0, Graphic::Jis0208, "\x1b$B"},
    {"159", Element::G0, Graphic::Jis0212, "\x1b$(D"},
    {"149", Element::G1, Graphic::Ksx1001, "\x1b$)C"},
    {"58", Element::G1, Graphic::Gb2312, "\x1b$)A"},
    // JIS C 6226-1978, the older name of JIS X 0208, as some Japanese writers still designate it.
    {"", Element::G0, Graphic::Jis0208, "\x1b$@"},
}};

struct Designation {
    Graphic g0 = Graphic::Ascii;
    Graphic g1 = Graphic::Latin1;  // no upper half declared: Latin-1, as ctiq always read it
};

// What a (0008,0005) value asks for.
struct Declared {
    Designation initial;
    bool codeExtensions = false;
    std::optional<Graphic> standAlone;
    bool known = true;
};

// A term by its ASCII letters and digits, upper case: "ISO_IR 100", "ISO-IR 100" and "iso_ir_100"
// all give "ISOIR100". Not <cctype>: the locale the program runs in must not change the key.
std::string termKey(std::string_view term) {
    std::string key;
    for (char c : term) {
        if (c >= 'a' && c <= 'z') {
            key += static_cast<char>(c - 'a' + 'A');
        } else if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
            key += c;
        }
    }
    return key;
}

std::vector<std::string> termKeys(std::string_view specificCharacterSet) {
    std::vector<std::string> keys;
    std::size_t start = 0;
    while (true) {
        const std::size_t bs = specificCharacterSet.find('\\', start);
        keys.push_back(termKey(specificCharacterSet.substr(start, bs - start)));
        if (bs == std::string_view::npos) return keys;
        start = bs + 1;
    }
}

std::optional<Graphic> standAloneOf(std::string_view key) {
    if (key == "ISOIR192") return Graphic::Utf8;
    if (key == "GB18030") return Graphic::Gb18030;
    if (key == "GBK") return Graphic::Gbk;
    return std::nullopt;
}

const Iso2022Set* iso2022SetOf(std::string_view key) {
    if (key.empty()) return &kIso2022Sets[0];  // the default repertoire
    std::string_view number;
    if (key.starts_with("ISO2022IR")) {
        number = key.substr(9);
    } else if (key.starts_with("ISOIR")) {
        number = key.substr(5);
    } else {
        return nullptr;
    }
    for (const Iso2022Set& s : kIso2022Sets)
        if (!s.number.empty() && s.number == number) return &s;
    return nullptr;
}

// A two-byte G0 set as the first term would read plain ASCII as kanji: the first term names only
// an upper half, if any.
Designation initialDesignation(const Iso2022Set* first) {
    Designation d;
    if (first && first->element == Element::G1) d.g1 = first->graphic;
    return d;
}

Declared declaredBy(std::string_view specificCharacterSet) {
    const std::vector<std::string> keys = termKeys(specificCharacterSet);
    Declared declared;
    for (const std::string& key : keys) {
        const std::optional<Graphic> standAlone = standAloneOf(key);
        const Iso2022Set* set = iso2022SetOf(key);
        if (standAlone && !declared.standAlone) declared.standAlone = standAlone;
        if (!standAlone && !set) declared.known = false;
        // A two-byte G0 set is reached only by its escape sequence, however the term is spelt.
        if (key.starts_with("ISO2022") || (set && isTwoByteG0(set->graphic)))
            declared.codeExtensions = true;
    }
    if (keys.size() > 1) declared.codeExtensions = true;
    declared.initial = initialDesignation(iso2022SetOf(keys.front()));
    return declared;
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

void appendReplacements(std::string& out, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) appendUtf8(out, U'\uFFFD');
}

void appendLatin1(std::string& out, std::string_view bytes) {
    for (char c : bytes) appendUtf8(out, static_cast<unsigned char>(c));
}

// One iconv conversion, opened on first use. It converts into UTF-32 rather than straight into
// UTF-8: glibc's UTF-8 reader passes sequences beyond U+10FFFF, its UTF-32 writer refuses them.
class Converter {
  public:
    Converter() = default;
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    ~Converter() {
        if (isOpen()) iconv_close(cd_);
    }

    bool open(const char* from) {
        if (!isOpen() && !failed_) {
            cd_ = iconv_open("UTF-32LE", from);
            failed_ = !isOpen();
        }
        return isOpen();
    }

    // Appends `encoded` to `out` in UTF-8, read in units of `unitSize` bytes (one character where
    // the set's characters have a fixed width, else one byte): each unit that starts no character
    // gives `replacements` U+FFFD.
    void append(std::string_view encoded, std::size_t unitSize, std::size_t replacements,
                std::string& out) {
        std::size_t done = 0;
        while (done < encoded.size()) {
            done += appendPrefix(encoded.substr(done), out);
            if (done >= encoded.size()) return;
            appendReplacements(out, replacements);
            done = (done / unitSize + 1) * unitSize;
        }
    }

  private:
    bool isOpen() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts from the start up to the first byte that does not start a (whole) character;
    // returns how many bytes were converted.
    std::size_t appendPrefix(std::string_view bytes, std::string& out) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        // iconv's input is not const in its signature but is only read.
        char* in = const_cast<char*>(bytes.data());
        std::size_t inLeft = bytes.size();
        std::array<char, 1024> buffer;
        while (inLeft > 0) {
            char* outPos = buffer.data();
            std::size_t outLeft = buffer.size();
            const std::size_t r = iconv(cd_, &in, &inLeft, &outPos, &outLeft);
            const bool full = r == static_cast<std::size_t>(-1) && errno == E2BIG;
            appendUtf32(std::string_view(buffer.data(), buffer.size() - outLeft), out);
            if (!full) break;
        }
        return bytes.size() - inLeft;
    }

    static void appendUtf32(std::string_view utf32le, std::string& out) {
        for (std::size_t k = 0; k + 4 <= utf32le.size(); k += 4) {
            char32_t c = 0;
            for (std::size_t b = 0; b < 4; ++b)
                c |= static_cast<char32_t>(static_cast<unsigned char>(utf32le[k + b])) << (8 * b);
            appendUtf8(out, c);
        }
    }

    iconv_t cd_ = reinterpret_cast<iconv_t>(-1);
    bool failed_ = false;
};

// Each thread's converters, opened on first use and kept: opening one loads the C library's
// conversion module from disk, which a sandboxed reader may no longer do.
Converter* openConverter(Graphic g) {
    thread_local std::array<Converter, kGraphicCount> converters;
    Converter& c = converters[static_cast<std::size_t>(g)];
    const char* name = kCodings[static_cast<std::size_t>(g)].iconvName;
    return name && c.open(name) ? &c : nullptr;
}

// One character of a set as its EUC form knows it.
void appendEucForm(std::string& encoded, std::string_view character, const Coding& coding) {
    if (coding.singleShift) encoded += coding.singleShift;
    for (char c : character)
        encoded += coding.setHighBit ? static_cast<char>(static_cast<unsigned char>(c) | 0x80) : c;
}

// Decodes the value byte by byte, gathering runs of one set for iconv.
class Decoder {
  public:
    Decoder(const Declared& declared, std::string_view vr) : declared_(declared), vr_(vr) {}

    std::string decode(std::string_view bytes) {
        if (declared_.standAlone) {
            decodeStandAlone(bytes, *declared_.standAlone);
            return std::move(out_);
        }
        state_ = declared_.initial;
        std::size_t i = 0;
        while (i < bytes.size()) i = take(bytes, i);
        flush();
        return std::move(out_);
    }

  private:
    // Takes the byte at `i` (with the rest of its escape sequence); returns where the next starts.
    std::size_t take(std::string_view bytes, std::size_t i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b == 0x1B && declared_.codeExtensions) return takeEscape(bytes, i);
        if (b >= 0x80) {
            takeUpperHalf(bytes[i]);
        } else if (isTwoByteG0(state_.g0) && b >= 0x21 && b <= 0x7E) {
            addToRun(state_.g0, bytes[i]);
        } else {
            addToRun(Graphic::Ascii, bytes[i]);
            if (declared_.codeExtensions && resetsSets(bytes[i])) state_ = declared_.initial;
        }
        return i + 1;
    }

    std::size_t takeEscape(std::string_view bytes, std::size_t i) {
        // An escape sequence: ESC, intermediate bytes 0x20-0x2F, one final byte 0x30-0x7E.
        std::size_t end = i + 1;
        while (end < bytes.size() && bytes[end] >= 0x20 && bytes[end] <= 0x2F) ++end;
        if (end < bytes.size() && bytes[end] >= 0x30 && bytes[end] <= 0x7E) {
            const std::string_view sequence = bytes.substr(i, end + 1 - i);
            for (const Iso2022Set& s : kIso2022Sets) {
                if (s.escape != sequence) continue;
                (s.element == Element::G0 ? state_.g0 : state_.g1) = s.graphic;
                return end + 1;
            }
        }
        flush();
        appendReplacements(out_, 1);
        return i + 1;
    }

    void takeUpperHalf(char byte) {
        const auto b = static_cast<unsigned char>(byte);
        // A 94x94 set has no characters at 0x80-0xA0 and 0xFF; glibc's EUC-KR would pass the C1
        // controls, which would shift the pairs of the run.
        if (isTwoByteG1(state_.g1) && (b < 0xA1 || b > 0xFE)) {
            flush();
            appendReplacements(out_, 1);
            return;
        }
        addToRun(state_.g1, byte);
    }

    bool resetsSets(char c) const {
        if (c == '\r' || c == '\n' || c == '\t' || c == '\f') return true;
        if (c == '\\') return vr_ == "SH" || vr_ == "LO" || vr_ == "PN" || vr_ == "UC";
        if (c == '^' || c == '=') return vr_ == "PN";
        return false;
    }

    void addToRun(Graphic g, char byte) {
        if (g != runSet_) flush();
        runSet_ = g;
        run_ += byte;
    }

    void flush() {
        if (!run_.empty()) decodeRun(run_, runSet_);
        run_.clear();
    }

    Converter* converterFor(Graphic g) { return openConverter(g); }

    void decodeRun(std::string_view run, Graphic g) {
        const Coding& coding = codingOf(g);
        Converter* converter = coding.iconvName ? converterFor(g) : nullptr;
        if (!converter) {  // ASCII as it is; a set the C library cannot convert as Latin-1
            appendLatin1(out_, run);
            return;
        }
        const std::size_t whole = run.size() - run.size() % coding.width;
        std::string encoded;
        for (std::size_t k = 0; k < whole; k += coding.width)
            appendEucForm(encoded, run.substr(k, coding.width), coding);
        const std::size_t unitSize = coding.width + (coding.singleShift ? 1 : 0);
        converter->append(encoded, unitSize, coding.width, out_);
        appendReplacements(out_, run.size() - whole);  // a character cut short
    }

    void decodeStandAlone(std::string_view bytes, Graphic g) {
        if (Converter* converter = converterFor(g)) {
            converter->append(bytes, 1, 1, out_);
        } else {
            appendLatin1(out_, bytes);
        }
    }

    const Declared& declared_;
    std::string_view vr_;
    Designation state_;
    Graphic runSet_ = Graphic::Ascii;
    std::string run_;
    std::string out_;
};

}  // namespace

bool isCharacterSetText(std::string_view vr) {
    static constexpr std::array<std::string_view, 7> kVrs = {"SH", "LO", "ST", "LT",
                                                             "PN", "UC", "UT"};
    return std::find(kVrs.begin(), kVrs.end(), vr) != kVrs.end();
}

bool isKnownCharacterSet(std::string_view specificCharacterSet) {
    return declaredBy(specificCharacterSet).known;
}

std::string decodeText(std::string_view bytes, std::string_view specificCharacterSet,
                       std::string_view vr) {
    const Declared declared = declaredBy(specificCharacterSet);
    return Decoder(declared, vr).decode(bytes);
}

void openEveryCharacterSet() {
    for (std::size_t g = 0; g < kGraphicCount; ++g) openConverter(static_cast<Graphic>(g));
}

std::string latin1ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    appendLatin1(out, bytes);
    return out;
}

}  // namespace ctiq::dicom
