#pragma once

// Takes typed values off the front of a fuzz input; what is left is the payload.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace ctiq::fuzz {

class Input {
  public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    template <class T>
    T take() {
        T value{};
        const std::size_t n = std::min(sizeof(T), size_);
        std::memcpy(&value, data_, n);
        data_ += n;
        size_ -= n;
        return value;
    }
    const std::uint8_t* data() const { return data_; }
    std::size_t size() const { return size_; }
    std::string rest() const { return std::string(reinterpret_cast<const char*>(data_), size_); }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
};

}  // namespace ctiq::fuzz
