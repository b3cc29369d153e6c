#pragma once

#include <optional>
#include <string>
#include <vector>

#include "load/dicom/dicom_element.h"
#include "load/dicom/dicom_header.h"
#include "load/dicom/tag_dictionary.h"

namespace ctiq::dicom {

// Lists data elements as the header table shows them and takes the viewer's fields and the scan
// summary from their values: the one set of rules for the header scanner and the DICOM toolkit.
class HeaderRecorder {
  public:
    // Without `listRows` only the fields and the summary are taken (for callers that print no
    // table).
    HeaderRecorder(DicomHeaderResult& result, const TagDictionary& dictionary, bool listRows = true)
        : r_(result), dictionary_(dictionary), listRows_(listRows) {}

    // A sequence's own row (its element number and "SQ"). An entered sequence is open until
    // sequenceEnd(); an empty one (length 0) is listed and not entered.
    void sequence(Tag tag, bool entered = true);
    // The next item of the open sequence begins.
    void item();
    // The row that closes the open sequence.
    void sequenceEnd();
    // An element with a value: its row, the fields it gives, its summary line. Throws AppError
    // when a field's value is not a number (the row then shows its group and VR only).
    void element(const RawElement& e);
    // An element written without a value: no row, but an empty rescale is kept to be refused.
    void emptyElement(Tag tag);
    // A row without number, group or element, after the last listed one, saying why the listing
    // ends there.
    void note(const std::string& text);
    // Drops the row prepared for an element that was not read whole, and adds the notes.
    void finish();
    // A value that is not a number stops the reader; the table keeps the size it was prepared
    // with.
    void keepPreparedTable();

  private:
    static constexpr std::size_t kPreparedRows = 1024;

    bool listing();
    HeaderRow& currentRow();
    void takeFieldValue(Tag tag, const std::string& value, const std::string& trimmed);
    // The value as the table shows it: text as written, binary numbers by their VR.
    std::string valueText(const RawElement& e) const;
    void takeImageFact(Tag tag, const std::string& value);
    // The frame values of an element nested in an Enhanced image's functional groups.
    void takeFunctionalGroupValue(Tag tag, const std::string& trimmed);

    // An open sequence and how many of its items have begun.
    struct OpenSequence {
        Tag tag;
        std::size_t items = 0;
        std::optional<std::string> itemCharacterSet;  // the current item's own (0008,0005)
    };
    // The Specific Character Set in force: the innermost item's own, else the data set's.
    const std::string& characterSet() const;
    // The value as the table and the summary show it, in UTF-8.
    std::string shownText(const RawElement& e, const std::string& value) const;

    DicomHeaderResult& r_;
    const TagDictionary& dictionary_;
    bool listRows_ = true;
    int rowNumber_ = 1;
    bool capped_ = false;
    std::vector<std::string> pendingNotes_;
    std::vector<OpenSequence> open_;
    std::string dataSetCharacterSet_;
};

}  // namespace ctiq::dicom
