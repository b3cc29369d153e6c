#include "tests/support/test_files.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace ctiq::test {

std::string testData(const std::string& relative) {
    return std::string(CTIQ_TEST_DATA_DIR) + "/" + relative;
}

std::vector<std::uint8_t> readBytes(const std::string& path) {
    std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(std::filesystem::u8path(path), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::uint8_t> wordsLE(const std::vector<std::int16_t>& words) {
    std::vector<std::uint8_t> bytes;
    for (std::int16_t w : words) {
        const auto u = static_cast<std::uint16_t>(w);
        bytes.push_back(static_cast<std::uint8_t>(u & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(u >> 8));
    }
    return bytes;
}

}  // namespace ctiq::test
