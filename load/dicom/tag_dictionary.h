#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

namespace ctiq {

// Names of DICOM elements, looked up in a tab-separated text of "GGGG\tEEEE\tName\tN" lines.
class TagDictionary {
  public:
    // `text` is the whole dictionary, its lines joined by CR LF.
    explicit TagDictionary(std::string text);

    // The dictionary the viewer carries.
    static const TagDictionary& builtIn();
    // One without names: for a header walk that lists no table.
    static const TagDictionary& none();

    // The name of (group, element), or an empty text when the dictionary lacks it. The name is
    // what follows the first occurrence of the key "GGGG\tEEEE" (upper-case hexadecimal) in the
    // text, up to the next tab, within 256 characters.
    std::string lookup(std::uint16_t group, std::uint16_t element) const;

    const std::string& text() const { return text_; }

  private:
    std::string text_;
    // First position of every key-shaped run in the text, so a lookup is one hash probe.
    std::unordered_map<std::string_view, std::size_t> firstKeyPosition_;
};

// "GGGG" style hexadecimal: four upper-case digits with leading zeros.
std::string hex4(std::uint32_t value);

}  // namespace ctiq
