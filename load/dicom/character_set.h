#pragma once

#include <string>
#include <string_view>

namespace ctiq::dicom {

// Text values in the character sets a data set declares in Specific Character Set (0008,0005),
// turned into UTF-8 for the header table and the fields.
//
// The sets understood: the default repertoire (empty, ISO_IR 6); the single-byte ISO_IR 100, 101,
// 109, 110, 144, 127, 126, 138, 148, 203, 13 (JIS X 0201 katakana) and 166 (Thai); the stand-alone
// multi-byte ISO_IR 192 (UTF-8), GB18030 and GBK; and, with code extensions, "ISO 2022 IR n" for
// all the single-byte n above and for 87 (JIS X 0208), 159 (JIS X 0212), 149 (KS X 1001) and 58
// (GB 2312). Terms are compared by their letters and digits only, ignoring case, so that the
// misspellings seen in files (ISO-IR 100, ISO_IR_100, iso_ir 100) read as meant.

// True for the VRs whose values the character set governs (SH, LO, ST, LT, PN, UC, UT); the other
// text VRs hold the default repertoire only.
bool isCharacterSetText(std::string_view vr);

// True when decodeText understands every term of the (0008,0005) value.
bool isKnownCharacterSet(std::string_view specificCharacterSet);

// The value's bytes decoded through the data set's Specific Character Set into UTF-8.
// `specificCharacterSet` is the raw (0008,0005) value: backslash-separated terms, may be empty
// or padded. `vr` is the element's VR.
//
// With code extensions (several terms, or a term "ISO 2022 ..."), escape sequences switch the sets
// inside the value; any escape sequence of the sets above is obeyed, declared or not (and ESC $ @,
// the older designation of JIS X 0208). The sets of the first term return at CR, LF, TAB and FF,
// at the backslash between values of SH, LO, PN and UC, and at a person name's '^' and '='; inside
// two-byte kanji those bytes are halves of characters. The first term gives the upper half only:
// a two-byte G0 set first would read plain ASCII as kanji. Without code extensions ESC is text,
// and "ISO_IR 149" or "ISO_IR 58" read bytes >= 0x80 as EUC-KR or EUC-CN, as such files mean.
// The stand-alone sets decode the value whole: their second bytes may be 0x5C or 0x5E. JIS X 0201
// Romaji (ESC ( J) is read as ASCII so that 0x5C stays the value delimiter rather than a yen sign.
//
// Nothing is dropped: each byte the set in force cannot decode becomes U+FFFD (both bytes of a
// two-byte character), and so does the ESC of an escape sequence not known here (the bytes after
// it read as text). Bytes >= 0x80 with no set declared for them (the default repertoire, a term
// not known here, or a first term that names no upper-half set) read as Latin-1, as ctiq always
// showed them; so does a run whose converter the C library cannot open.
//
// The value is decoded as given, padding and all: trim after decoding, since a leading ESC is
// part of the text.
std::string decodeText(std::string_view bytes, std::string_view specificCharacterSet,
                       std::string_view vr);

// Opens the calling thread's converters for every set above, so that decoding later needs no
// file: for a process about to give up its file access.
void openEveryCharacterSet();

// Bytes one per character (Latin-1) as UTF-8: how values that no character set governs (codes,
// numbers, binary values shown as bytes) are shown.
std::string latin1ToUtf8(std::string_view bytes);

}  // namespace ctiq::dicom
