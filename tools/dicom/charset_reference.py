#!/usr/bin/env python3
"""Text values in DICOM's character sets and their decoding by pydicom, to check ctiq's against.

Prints one row of the table of tests/load/character_set_test.cpp per value:
  {"what", "(0008,0005) as written", "VR", "value bytes in hex", "expected UTF-8"},

The values are those of pydicom's character set files (Debian's python3-pydicom ships them; most
are the examples of the standard's annexes on character sets), and values made here with Python's
codecs for the sets those files lack. The expected text is pydicom's decoding of the bytes as
given, padding included, split as pydicom splits them: multi-valued VRs at 0x5C, a person name's
components at 0x3D, each piece through pydicom.charset.decode_bytes. Where pydicom cannot be the
judge, the rows come last and the expected text is the text Python's codecs encoded:
  - ISO_IR 203: pydicom 2.3 does not know the term;
  - ISO 2022 IR 58: pydicom keeps the escape sequences in the text;
  - GBK/GB18030 with 0x5C as a second byte: pydicom splits the value there before decoding.

  python3 tools/dicom/charset_reference.py   (Debian's python3 with python3-pydicom)
"""
import os
import warnings

import pydicom
from pydicom.charset import convert_encodings, decode_bytes
from pydicom.valuerep import PN_DELIMS, TEXT_VR_DELIMS

FILES = os.path.join(os.path.dirname(pydicom.__file__), "data", "charset_files")
MULTI_VALUED = {"SH", "LO", "PN", "UC"}
ESC = b"\x1b"


def pydicom_decode(raw, charset, vr):
    encodings = convert_encodings([t.strip() for t in charset.split("\\")])

    def piece(b):
        if vr == "PN":
            return "=".join(decode_bytes(c, encodings, PN_DELIMS) for c in b.split(b"="))
        return decode_bytes(b, encodings, TEXT_VR_DELIMS)

    values = raw.split(b"\\") if vr in MULTI_VALUED else [raw]
    return "\\".join(piece(v) for v in values)


def charset_text(item):
    """(0008,0005) as written where pydicom has not read it yet, else its terms joined."""
    value = item.value
    if isinstance(value, bytes):
        return value.decode("ascii")
    return value if isinstance(value, str) else "\\".join(value)


def file_value(name, path):
    """The raw bytes of an element (keyword, or "Sequence.Keyword" into the first item) and the
    character set in force there."""
    ds = pydicom.dcmread(os.path.join(FILES, name))
    charset = charset_text(ds.get_item(0x00080005))
    for keyword in path.split(".")[:-1]:
        ds = ds[keyword].value[0]
        own = ds.get_item(0x00080005)
        if own is not None:
            charset = charset_text(own)
    keyword = path.split(".")[-1]
    tag = pydicom.datadict.tag_for_keyword(keyword)
    return charset, pydicom.datadict.dictionary_VR(tag), ds.get_item(tag).value


def c_string(text):
    out = []
    for ch in text:
        if ch in '\\"':
            out.append("\\" + ch)
        elif ch == "\ufffd":
            out.append("\\uFFFD")
        elif ord(ch) < 0x20 or ord(ch) == 0x7F:
            out.append("\\%03o" % ord(ch))
        else:
            out.append(ch)
    return '"' + "".join(out) + '"'


def row(what, charset, vr, raw, expected):
    print("        {%s, %s, %s, \"%s\", %s}," % (c_string(what), c_string(charset), c_string(vr),
                                              raw.hex(), c_string(expected)))


FILE_ROWS = [
    ("chrFren.dcm", "PatientName"),
    ("chrFrenMulti.dcm", "OtherPatientNames"),
    ("chrGerm.dcm", "PatientName"),
    ("chrGreek.dcm", "PatientName"),
    ("chrRuss.dcm", "PatientName"),
    ("chrArab.dcm", "PatientName"),
    ("chrHbrw.dcm", "PatientName"),
    ("chrX1.dcm", "PatientName"),
    ("chrX2.dcm", "PatientName"),
    ("chrH31.dcm", "PatientName"),
    ("chrH32.dcm", "PatientName"),
    ("chrSQEncoding.dcm", "RequestedProcedureCodeSequence.PatientName"),
    ("chrJapMulti.dcm", "PatientName"),
    ("chrJapMulti.dcm", "OtherPatientNames"),
    ("chrJapMulti.dcm", "AdditionalPatientHistory"),
    ("chrJapMultiExplicitIR6.dcm", "PatientName"),
    ("chrI2.dcm", "PatientName"),
    ("chrKoreanMulti.dcm", "PatientName"),
    ("chrKoreanMulti.dcm", "OtherPatientNames"),
]


def made(*pieces):
    """Bytes from pieces: bytes as they are, (text, codec) encoded by Python's codec."""
    return b"".join(p if isinstance(p, bytes) else p[0].encode(p[1]) for p in pieces)


def text_of(*pieces):
    return "".join(p.decode("ascii") if isinstance(p, bytes) else p[0] for p in pieces)


GB_5C = "\u4e57"  # 乗: 0x81 0x5C in GBK and GB18030
GB_5E = "\u4e5b"  # 乛: 0x81 0x5E
GB_FOUR_BYTES = "\u3400"  # 㐀: four bytes in GB18030

# (what, charset, VR, pieces) decoded by pydicom.
PYDICOM_ROWS = [
    ("ISO_IR 101", "ISO_IR 101", "PN", [("Wałęsa^Lech", "iso8859_2")]),
    ("ISO_IR 109", "ISO_IR 109", "PN", [("Ħabib^Ġużeppi", "iso8859_3")]),
    ("ISO_IR 110", "ISO_IR 110", "PN", [("Ķēniņš^Jānis", "iso8859_4")]),
    ("ISO_IR 148", "ISO_IR 148", "PN", [("Öztürk^Şükrü", "iso8859_9")]),
    ("ISO_IR 166", "ISO_IR 166", "PN", [("ใจดี^สมชาย", "tis_620")]),
    ("ISO_IR 13", "ISO_IR 13", "PN", [bytes.fromhex("d4cfc0de5ec0dbb3")]),
    ("GBK", "GBK", "PN", [b"Zhu^Rongji=", ("朱^镕基", "gbk")]),
    ("GB18030, four bytes", "GB18030", "LO", [("王" + GB_FOUR_BYTES + "€", "gb18030")]),
    ("Latin-1 and Greek and Cyrillic by escapes", "ISO 2022 IR 100\\ISO 2022 IR 126\\ISO 2022 IR 144",
     "LO", [b"Buc ", ("Jérôme ", "latin_1"), ESC + b"-F", ("Διονυσιος ", "iso8859_7"),
            ESC + b"-L", ("Люкceмбypг", "iso8859_5")]),
    ("JIS X 0208 and JIS X 0212", "\\ISO 2022 IR 87\\ISO 2022 IR 159", "LO",
     [ESC + b"$B", bytes.fromhex("3b334544"), ESC + b"$(D", bytes.fromhex("30213034"),
      ESC + b"(B", b" Yamada"]),
    ("KS X 1001 undone by ^ in PN", "\\ISO 2022 IR 149", "PN",
     [ESC + b"$)C", ("김", "euc_kr"), b"^", ("김", "euc_kr")]),
    ("KS X 1001 kept over ^ in LO", "\\ISO 2022 IR 149", "LO",
     [ESC + b"$)C", ("김", "euc_kr"), b"^", ("김", "euc_kr")]),
    ("KS X 1001 undone by \\ in LO", "\\ISO 2022 IR 149", "LO",
     [ESC + b"$)C", ("김", "euc_kr"), b"\\", ("김", "euc_kr")]),
    ("Greek 0xAE is no character", "ISO_IR 126", "LO", [b"A\xaeB"]),
    ("default repertoire, bytes >= 0x80", "", "PN", [("Buc^Jérôme", "latin_1")]),
    ("unknown term", "ISO_IR 999", "PN", [("Buc^Jérôme", "latin_1")]),
    ("ISO-IR 144 for ISO_IR 144", "ISO-IR 144", "PN", [bytes.fromhex("bbeeda6365dcd17970d3")]),
    ("iso_ir 144 for ISO_IR 144", "iso_ir 144", "PN", [bytes.fromhex("bbeeda6365dcd17970d3")]),
]

# (what, charset, VR, pieces) whose expected text is the text the pieces were encoded from.
CODEC_ROWS = [
    ("ISO_IR 203", "ISO_IR 203", "LO", [("Œuvre Šimon Žofie 20 €", "iso8859_15")]),
    ("ISO 2022 IR 58", "\\ISO 2022 IR 58", "PN",
     [b"Zhang^XiaoDong=", ESC + b"$)A", ("张", "gb2312"), b"^", ESC + b"$)A", ("小东", "gb2312"),
      b"="]),
    ("GB18030, second bytes 0x5C and 0x5E", "GB18030", "PN",
     [("王" + GB_5C + "^" + GB_5E + "东", "gb18030")]),
    ("GBK, second byte 0x5C", "GBK", "LO", [("王" + GB_5C, "gbk")]),
]


def main():
    warnings.simplefilter("ignore")
    print("        // pydicom's character set files")
    for name, path in FILE_ROWS:
        charset, vr, raw = file_value(name, path)
        row(name + " " + path, charset, vr, raw, pydicom_decode(raw, charset, vr))
    print("        // made with Python's codecs, decoded by pydicom")
    for what, charset, vr, pieces in PYDICOM_ROWS:
        raw = made(*pieces)
        row(what, charset, vr, raw, pydicom_decode(raw, charset, vr))
    print("        // made with Python's codecs, expected: the text encoded")
    for what, charset, vr, pieces in CODEC_ROWS:
        escapes_out = [p for p in pieces if not (isinstance(p, bytes) and p.startswith(ESC))]
        row(what, charset, vr, made(*pieces), text_of(*escapes_out))


if __name__ == "__main__":
    main()
