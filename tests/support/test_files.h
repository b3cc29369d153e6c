#pragma once

#include <QTemporaryDir>
#include <cstdint>
#include <string>
#include <vector>

namespace ctiq::test {

// A file under tests/data.
std::string testData(const std::string& relative);

std::vector<std::uint8_t> readBytes(const std::string& path);
void writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

// 16-bit little-endian words as bytes.
std::vector<std::uint8_t> wordsLE(const std::vector<std::int16_t>& words);

// A fresh temporary folder; its path ends without a separator.
class TempFolder {
  public:
    std::string path() const { return dir_.path().toStdString(); }
    std::string file(const std::string& name) const { return path() + "/" + name; }

  private:
    QTemporaryDir dir_;
};

}  // namespace ctiq::test
