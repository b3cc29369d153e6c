#include "load/dicom/tag_dictionary.h"

#include <QFile>
#include <cstdio>
#include <stdexcept>

namespace ctiq {
namespace {

constexpr std::size_t kKeyLength = 9;  // "GGGG\tEEEE"
constexpr std::size_t kNameWindow = 256;

bool isUpperHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

bool isKeyAt(const std::string& t, std::size_t i) {
    for (std::size_t k = 0; k < 4; ++k)
        if (!isUpperHex(t[i + k]) || !isUpperHex(t[i + 5 + k])) return false;
    return t[i + 4] == '\t';
}

std::string loadBuiltInText() {
    QFile file(":/ctiq/tag_dictionary.txt");
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("the built-in DICOM tag dictionary is missing");
    const QByteArray bytes = file.readAll();
    // Lines are joined by CR LF whatever line ends the resource file has.
    std::string text;
    text.reserve(static_cast<std::size_t>(bytes.size()) * 2);
    for (char c : bytes) {
        if (c == '\r') continue;
        if (c == '\n')
            text += "\r\n";
        else
            text += c;
    }
    while (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0)
        text.resize(text.size() - 2);
    return text;
}

}  // namespace

std::string hex4(std::uint32_t value) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04X", static_cast<unsigned>(value));
    return buf;
}

TagDictionary::TagDictionary(std::string text) : text_(std::move(text)) {
    if (text_.size() < kKeyLength) return;
    for (std::size_t i = 0; i + kKeyLength <= text_.size(); ++i) {
        if (isKeyAt(text_, i))
            firstKeyPosition_.try_emplace(std::string_view(text_).substr(i, kKeyLength), i);
    }
}

const TagDictionary& TagDictionary::builtIn() {
    static const TagDictionary dictionary(loadBuiltInText());
    return dictionary;
}

const TagDictionary& TagDictionary::none() {
    static const TagDictionary empty{std::string()};
    return empty;
}

std::string TagDictionary::lookup(std::uint16_t group, std::uint16_t element) const {
    const std::string key = hex4(group) + "\t" + hex4(element);
    const auto found = firstKeyPosition_.find(key);
    if (found == firstKeyPosition_.end()) return {};
    const std::size_t start = found->second + kKeyLength + 1;
    if (start >= text_.size()) return {};
    const std::string_view window = std::string_view(text_).substr(start, kNameWindow);
    const std::size_t tab = window.find('\t');
    if (tab == std::string_view::npos) return {};
    return std::string(window.substr(0, tab));
}

}  // namespace ctiq
