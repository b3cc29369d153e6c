#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "load/dicom/dicom_tags.h"

namespace ctiq::dicom {

// The one place that says what DICOM's value representations and transfer syntaxes mean, for the
// header scanner, the header table and the toolkit helper alike.

// In explicit VR, these VRs are followed by two reserved bytes and a 32-bit length; all others by
// a 16-bit length.
bool hasLongLength(std::string_view vr);

// A VR of the standard (PS3.5 table 6.2-1).
bool isKnownVr(std::string_view vr);

// The VR the data dictionary gives the element: "" for a private or unknown element, "XS" where
// the pixel representation decides between US and SS.
std::string_view dictionaryVr(Tag tag);

// How a binary VR stores one value; None for text and byte VRs (shown as their bytes).
enum class NumberForm { None, U16, S16, U32, S32, U64, S64, F32, F64, Tag };
NumberForm numberFormOf(std::string_view vr);
std::size_t numberSize(NumberForm form);

struct TransferSyntax {
    const char* uid;
    const char* name;  // for the user
    bool implicitVr;
    bool bigEndian;
    bool deflated;
    bool encapsulated;  // compressed pixel data in fragments
};

// A UID as written, without the NUL or blank that pads it to even length.
std::string trimmedUid(std::string_view uid);

// The syntax of a UID, or nullptr for one this table does not know.
const TransferSyntax* findTransferSyntax(std::string_view uid);

// True for the transfer syntaxes of compressed pixel data (encapsulated or deflated), known or
// not by name: every "1.2.840.10008.1.2.4.*" is a compression.
bool isCompressedSyntax(std::string_view uid);

// The first value of a multi-valued text (values are separated by backslashes).
std::string firstValue(const std::string& text);

// A readable name of a SOP class ("RT Plan Storage"), or the UID itself when not known here.
std::string sopClassName(std::string_view uid);

}  // namespace ctiq::dicom
