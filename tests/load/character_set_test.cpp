// Text values decoded through (0008,0005) Specific Character Set, against pydicom's decoding of
// its character set files (most are the standard's own examples) and of values Python's codecs
// made; then the rules for what no decoder agrees on: the bytes a set cannot decode.
#include "load/dicom/character_set.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace ctiq::dicom {
namespace {

std::string bytesOfHex(std::string_view hex) {
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes += static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16));
    return bytes;
}

struct Case {
    const char* what;
    const char* characterSet;  // (0008,0005) as written
    const char* vr;
    const char* hex;       // the value's bytes
    const char* expected;  // UTF-8
};

void expectDecoded(const Case& c) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(decodeText(bytesOfHex(c.hex), c.characterSet, c.vr), c.expected);
}

// The output of python3 tools/dicom/charset_reference.py, wrapped by clang-format.
TEST(CharacterSet, DecodesAsPydicomAndPythonsCodecs) {
    const Case table[] = {
        // pydicom's character set files
        {"chrFren.dcm PatientName", "ISO_IR 100", "PN", "4275635e4ae972f46d65", "Buc^Jérôme"},
        {"chrFrenMulti.dcm OtherPatientNames", "ISO_IR 100", "PN",
         "4275635e4ae972f46d655c4275635e4ae972f46d6520", "Buc^Jérôme\\Buc^Jérôme "},
        {"chrGerm.dcm PatientName", "ISO_IR 100", "PN", "c46e6561735e52fc646967657220",
         "Äneas^Rüdiger "},
        {"chrGreek.dcm PatientName", "ISO_IR 126", "PN", "c4e9efedf5f3e9eff220", "Διονυσιος "},
        {"chrRuss.dcm PatientName", "ISO_IR 144", "PN", "bbeeda6365dcd17970d3", "Люкceмбypг"},
        {"chrArab.dcm PatientName", "ISO_IR 127", "PN", "e2c8c7e6ea5ee4e6d2c7d120", "قباني^لنزار "},
        {"chrHbrw.dcm PatientName", "ISO_IR 138", "PN", "f9f8e5ef5ee3e1e5f8e4", "שרון^דבורה"},
        {"chrX1.dcm PatientName", "ISO_IR 192", "PN",
         "57616e675e5869616f446f6e673de78e8b5ee5b08fe69db13d20", "Wang^XiaoDong=王^小東= "},
        {"chrX2.dcm PatientName", "GB18030", "PN", "57616e675e5869616f446f6e673dcdf55ed0a1b6ab3d",
         "Wang^XiaoDong=王^小东="},
        {"chrH31.dcm PatientName", "\\ISO 2022 IR 87", "PN",
         "59616d6164615e5461726f753d1b24423b3345441b28425e1b244242404f3a1b28423d1b24422464245e24401"
         "b28425e1b2442243f246d24261b2842",
         "Yamada^Tarou=山田^太郎=やまだ^たろう"},
        {"chrH32.dcm PatientName", "ISO 2022 IR 13\\ISO 2022 IR 87", "PN",
         "d4cfc0de5ec0dbb33d1b24423b3345441b284a5e1b244242404f3a1b284a3d1b24422464245e24401b284a5e1"
         "b2442243f246d24261b284a",
         "ﾔﾏﾀﾞ^ﾀﾛｳ=山田^太郎=やまだ^たろう"},
        {"chrSQEncoding.dcm RequestedProcedureCodeSequence.PatientName",
         "ISO 2022 IR 13\\ISO 2022 IR 87 ", "PN",
         "d4cfc0de5ec0dbb33d1b24423b3345441b28425e1b244242404f3a1b28423d1b24422464245e24401b28425e1"
         "b2442243f246d24261b2842",
         "ﾔﾏﾀﾞ^ﾀﾛｳ=山田^太郎=やまだ^たろう"},
        {"chrJapMulti.dcm PatientName", "\\ISO 2022 IR 87", "PN",
         "1b24422464245e24401b28425e1b2442243f246d24261b284220", "やまだ^たろう "},
        {"chrJapMulti.dcm OtherPatientNames", "\\ISO 2022 IR 87", "PN",
         "1b24422464245e24401b28425e1b2442243f246d24261b28425c1b24422464245e24401b28425e1b2442243f2"
         "46d24261b284220",
         "やまだ^たろう\\やまだ^たろう "},
        {"chrJapMulti.dcm AdditionalPatientHistory", "\\ISO 2022 IR 87", "LT",
         "1b2442243f246d24261b2842", "たろう"},
        {"chrJapMultiExplicitIR6.dcm PatientName", "ISO 2022 IR 6\\ISO 2022 IR 87", "PN",
         "1b24422464245e24401b28425e1b2442243f246d24261b284220", "やまだ^たろう "},
        {"chrI2.dcm PatientName", "\\ISO 2022 IR 149", "PN",
         "486f6e675e47696c646f6e673d1b242943fbf35e1b242943d1ced4d73d1b242943c8ab5e1b242943b1e6b5bf",
         "Hong^Gildong=洪^吉洞=홍^길동"},
        {"chrKoreanMulti.dcm PatientName", "\\ISO 2022 IR 149", "PN",
         "1b242943b1e8c8f1c1df1b284220", "김희중 "},
        {"chrKoreanMulti.dcm OtherPatientNames", "\\ISO 2022 IR 149", "PN",
         "1b242943b1e8c8f1c1df1b28425c1b242943b1e8c8f1c1df1b284220", "김희중\\김희중 "},
        // made with Python's codecs, decoded by pydicom
        {"ISO_IR 101", "ISO_IR 101", "PN", "5761b3ea73615e4c656368", "Wałęsa^Lech"},
        {"ISO_IR 109", "ISO_IR 109", "PN", "a1616269625ed575bf65707069", "Ħabib^Ġużeppi"},
        {"ISO_IR 110", "ISO_IR 110", "PN", "d3ba6e69f1b95e4ae06e6973", "Ķēniņš^Jānis"},
        {"ISO_IR 148", "ISO_IR 148", "PN", "d67a74fc726b5edefc6b72fc", "Öztürk^Şükrü"},
        {"ISO_IR 166", "ISO_IR 166", "PN", "e3a8b4d55ecac1aad2c2", "ใจดี^สมชาย"},
        {"ISO_IR 13", "ISO_IR 13", "PN", "d4cfc0de5ec0dbb3", "ﾔﾏﾀﾞ^ﾀﾛｳ"},
        {"GBK", "GBK", "PN", "5a68755e526f6e676a693dd6ec5ee946bbf9", "Zhu^Rongji=朱^镕基"},
        {"GB18030, four bytes", "GB18030", "LO", "cdf58139ee39a2e3", "王㐀€"},
        {"Latin-1 and Greek and Cyrillic by escapes",
         "ISO 2022 IR 100\\ISO 2022 IR 126\\ISO 2022 IR 144", "LO",
         "427563204ae972f46d65201b2d46c4e9efedf5f3e9eff2201b2d4cbbeeda6365dcd17970d3",
         "Buc Jérôme Διονυσιος Люкceмбypг"},
        {"JIS X 0208 and JIS X 0212", "\\ISO 2022 IR 87\\ISO 2022 IR 159", "LO",
         "1b24423b3345441b242844302130341b28422059616d616461", "山田丂乚 Yamada"},
        {"KS X 1001 undone by ^ in PN", "\\ISO 2022 IR 149", "PN", "1b242943b1e85eb1e8", "김^±è"},
        {"KS X 1001 kept over ^ in LO", "\\ISO 2022 IR 149", "LO", "1b242943b1e85eb1e8", "김^김"},
        {"KS X 1001 undone by \\ in LO", "\\ISO 2022 IR 149", "LO", "1b242943b1e85cb1e8", "김\\±è"},
        {"Greek 0xAE is no character", "ISO_IR 126", "LO", "41ae42", "A\uFFFDB"},
        {"default repertoire, bytes >= 0x80", "", "PN", "4275635e4ae972f46d65", "Buc^Jérôme"},
        {"unknown term", "ISO_IR 999", "PN", "4275635e4ae972f46d65", "Buc^Jérôme"},
        {"ISO-IR 144 for ISO_IR 144", "ISO-IR 144", "PN", "bbeeda6365dcd17970d3", "Люкceмбypг"},
        {"iso_ir 144 for ISO_IR 144", "iso_ir 144", "PN", "bbeeda6365dcd17970d3", "Люкceмбypг"},
        // made with Python's codecs, expected: the text encoded
        {"ISO_IR 203", "ISO_IR 203", "LO", "bc7576726520a6696d6f6e20b46f66696520323020a4",
         "Œuvre Šimon Žofie 20 €"},
        {"ISO 2022 IR 58", "\\ISO 2022 IR 58", "PN",
         "5a68616e675e5869616f446f6e673d1b242941d5c55e1b242941d0a1b6ab3d",
         "Zhang^XiaoDong=张^小东="},
        {"GB18030, second bytes 0x5C and 0x5E", "GB18030", "PN", "cdf5815c5e815eb6ab", "王乗^乛东"},
        {"GBK, second byte 0x5C", "GBK", "LO", "cdf5815c", "王乗"},
    };
    for (const Case& c : table) expectDecoded(c);
}

// Where decoders differ, these are ctiq's rules (load/dicom/character_set.h): each byte that
// cannot be decoded becomes U+FFFD, both bytes of a two-byte character; the sets of the first
// term return at CR and LF and, for the multi-valued VRs, at the backslash.
TEST(CharacterSet, ReplacesEachByteItCannotDecode) {
    const Case table[] = {
        {"UTF-8, a lead byte without its continuation", "ISO_IR 192", "LO", "41c328", "A\uFFFD("},
        {"UTF-8, cut short", "ISO_IR 192", "LO", "41e282", "A\uFFFD\uFFFD"},
        {"UTF-8, a surrogate", "ISO_IR 192", "LO", "eda08041", "\uFFFD\uFFFD\uFFFDA"},
        {"GB18030, cut short", "GB18030", "LO", "cdf5cd", "王\uFFFD"},
        {"KS X 1001, no such character", "\\ISO 2022 IR 149", "LO", "1b242943fefe41",
         "\uFFFD\uFFFDA"},
        {"KS X 1001, a lone first byte", "\\ISO 2022 IR 149", "LO", "1b242943b1e8b141",
         "김\uFFFDA"},
        {"KS X 1001, a C1 byte", "\\ISO 2022 IR 149", "LO", "1b24294380b1e8", "\uFFFD김"},
        {"JIS X 0208, cut short", "\\ISO 2022 IR 87", "LO", "1b24423b33451b2842", "山\uFFFD"},
        {"JIS X 0201 katakana, no such character", "ISO_IR 13", "LO", "b1e0", "ｱ\uFFFD"},
        {"an escape sequence not known", "\\ISO 2022 IR 87", "LO", "1b285a616263", "\uFFFD(Zabc"},
        {"a lone ESC at the end", "\\ISO 2022 IR 87", "LO", "411b", "A\uFFFD"},
    };
    for (const Case& c : table) expectDecoded(c);
}

TEST(CharacterSet, SwitchesBackWhereTheValueSaysSo) {
    const Case table[] = {
        {"CR LF end the kanji of LT", "\\ISO 2022 IR 87", "LT", "1b24423b3345440d0a546172",
         "山田\r\nTar"},
        {"TAB ends them in LO", "\\ISO 2022 IR 87", "LO", "1b24423b334544095461", "山田\tTa"},
        {"LT has no values to separate", "\\ISO 2022 IR 149", "LT", "1b242943b1e85cb1e8", "김\\김"},
        {"UT neither", "\\ISO 2022 IR 149", "UT", "1b242943b1e85cb1e8", "김\\김"},
        {"UC has", "\\ISO 2022 IR 149", "UC", "1b242943b1e85cb1e8", "김\\±è"},
        {"= ends a component of PN", "\\ISO 2022 IR 149", "PN", "1b242943b1e83db1e8", "김=±è"},
        {"= is text in SH", "\\ISO 2022 IR 149", "SH", "1b242943b1e83db1e8", "김=김"},
        {"back to the first term's upper half", "ISO 2022 IR 100\\ISO 2022 IR 126", "PN",
         "1b2d46c45ec4", "Δ^Ä"},
    };
    for (const Case& c : table) expectDecoded(c);
}

TEST(CharacterSet, ReadsWhatTheTermsDoNotStrictlySay) {
    const Case table[] = {
        {"no code extensions: ESC is text", "ISO_IR 100", "LO", "1b2d46c4", "\033-FÄ"},
        {"the default repertoire: ESC is text", "", "LO", "1b2442", "\033$B"},
        {"ISO_IR 149 as EUC-KR", "ISO_IR 149", "PN", "b1e8c8f1c1df", "김희중"},
        {"an undeclared escape sequence", "\\ISO 2022 IR 87", "LO", "1b242943b1e8", "김"},
        {"JIS C 6226-1978", "\\ISO 2022 IR 87", "LO", "1b24403b3345441b284241", "山田A"},
        {"ISO-IR 166 has 0xA0", "ISO_IR 166", "LO", "a0a1", "\u00A0ก"},
        {"an empty value", "ISO_IR 192", "LO", "", ""},
    };
    for (const Case& c : table) expectDecoded(c);
}

TEST(CharacterSet, KnowsItsTerms) {
    const struct {
        const char* characterSet;
        bool known;
    } table[] = {
        {"", true},
        {"ISO_IR 100", true},
        {"ISO_IR 192 ", true},
        {"\\ISO 2022 IR 87", true},
        {"ISO 2022 IR 13\\ISO 2022 IR 87 ", true},
        {"ISO 2022 IR 6\\ISO 2022 IR 58", true},
        {"GBK", true},
        {"ISO-IR 144", true},
        {"ISO_IR 999", false},
        {"\\ISO 2022 IR 999", false},
        {"WINDOWS-1252", false},
        {"ISO 2022 IR", false},
    };
    for (const auto& row : table)
        EXPECT_EQ(isKnownCharacterSet(row.characterSet), row.known) << row.characterSet;
}

TEST(CharacterSet, GovernsTheTextVrsThatMayLeaveTheDefaultRepertoire) {
    for (const char* vr : {"SH", "LO", "ST", "LT", "PN", "UC", "UT"})
        EXPECT_TRUE(isCharacterSetText(vr)) << vr;
    for (const char* vr : {"AE", "AS", "CS", "DA", "DS", "UI", "UR", "UN", "OB", ""})
        EXPECT_FALSE(isCharacterSetText(vr)) << vr;
}

}  // namespace
}  // namespace ctiq::dicom
