#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

/// Reads little-endian fields from a request's data, in wire order.
class WireReader {
  public:
    WireReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::int32_t Byte() { return position_ < size_ ? data_[position_++] : 0; }
    bool Bool() { return Byte() != 0; }
    std::int32_t Word() {
        const std::int32_t low = Byte();
        return low | (Byte() << 8);
    }
    /// A 16-bit field the station keeps signed (two's complement on the wire).
    std::int32_t SignedWord() { return static_cast<std::int16_t>(Word()); }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
};

/// Appends little-endian fields to a reply's data; only the low 8 or 16 bits go out.
class WireWriter {
  public:
    explicit WireWriter(Bytes& out) : out_(out) {}

    void Byte(std::int32_t value) { out_.push_back(static_cast<std::uint8_t>(value)); }
    void Bool(bool value) { Byte(value ? 1 : 0); }
    void Word(std::int32_t value) {
        Byte(value);
        Byte(value >> 8);
    }

  private:
    Bytes& out_;
};
