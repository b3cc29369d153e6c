#!/usr/bin/env python3
"""Writes load/dicom/tag_dictionary.txt, the name table of the DICOM header list.

Even groups come from the DICOM data dictionary as Debian's python3-pydicom ships it; each name is
the attribute's words with capitals and without blanks or punctuation. Every group keeps a fixed
number of entries (the ones the header list has always shown), and the names that users and the
scan summary rely on are always kept. Odd groups are one CT maker's private elements, taken
verbatim from private_tags.tsv beside this script.

Run: python3 tools/dictionary/gen_tag_dictionary.py > load/dicom/tag_dictionary.txt
"""
import os
import re
import sys

from pydicom._dicom_dict import DicomDictionary

HERE = os.path.dirname(os.path.abspath(__file__))

ENTRIES_PER_EVEN_GROUP = {
    0x0002: 10, 0x0004: 19, 0x0008: 161, 0x0010: 50, 0x0012: 17, 0x0018: 642, 0x0020: 103,
    0x0022: 48, 0x0028: 177, 0x0032: 27, 0x0038: 26, 0x003A: 38, 0x0040: 219, 0x0042: 5,
    0x0044: 14,
}

# Group lengths, named as the old ACR-NEMA groups were.
GROUP_LENGTHS = {
    0x00080000: "Identifying Group Length",
    0x00100000: "Patient Group Length",
    0x00180000: "Acquisition Group Length",
    0x00200000: "Relationship Group Length",
    0x00280000: "Image Presentation Group Length",
}

# Elements that must always be listed (the scan summary, the fields the reader fills, and the
# names users see first).
ALWAYS = {
    0x00020000, 0x00020001, 0x00020002, 0x00020010, 0x00080000, 0x00080005, 0x00080008,
    0x00080010, 0x0008001A, 0x00080020, 0x0008103E, 0x00081090, 0x00180050, 0x00180060,
    0x00180080, 0x00180081, 0x00180083, 0x00180089, 0x00180091, 0x00180095, 0x00181100,
    0x00181152, 0x00181210, 0x00181250, 0x00181310, 0x00181312, 0x00187022, 0x00187026,
    0x00280010, 0x00280011, 0x00280030, 0x00280100, 0x00280102, 0x00280103, 0x00281050,
    0x00281051, 0x00281052, 0x00281053,
}


def camel(words: str, group: int) -> str:
    if group == 0x0002:
        words = words.replace("Information", "Info")
    words = words.replace("(s)", "s").replace("'", "")
    parts = re.split(r"[^A-Za-z0-9]+", words)
    return "".join(p[:1].upper() + p[1:] for p in parts if p)


def even_entries():
    names = {tag: entry[2] for tag, entry in DicomDictionary.items()}
    names.update(GROUP_LENGTHS)
    for group, count in ENTRIES_PER_EVEN_GROUP.items():
        tags = sorted(t for t in names if t >> 16 == group and camel(names[t], group))
        chosen = [t for t in tags if t in ALWAYS]
        for t in tags:
            if len(chosen) == count:
                break
            if t not in chosen:
                chosen.append(t)
        if len(chosen) != count:
            sys.exit(f"group {group:04X}: only {len(chosen)} of {count} entries")
        for t in sorted(chosen):
            yield t >> 16, t & 0xFFFF, camel(names[t], group)


def odd_entries():
    with open(os.path.join(HERE, "private_tags.tsv"), encoding="ascii") as f:
        for line in f:
            g, e, name = line.rstrip("\n").split("\t")
            yield int(g, 16), int(e, 16), name


def main():
    entries = sorted(list(even_entries()) + list(odd_entries()))
    keys = [(g, e) for g, e, _ in entries]
    assert len(keys) == len(set(keys)), "duplicate key"
    out = sys.stdout
    for g, e, name in entries:
        out.write(f"{g:04X}\t{e:04X}\t{name}\tN\n")


if __name__ == "__main__":
    main()
