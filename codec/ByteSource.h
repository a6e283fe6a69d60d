// Little-endian field access and a checked byte source, so that every short read is caught in
// one place. The codec reads memory blocks; the file layer adds a source over a file.
#pragma once

#include <cstdint>
#include <cstring>
#include <span>

namespace zarn::detail {

inline std::uint16_t LoadU16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t LoadU32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline std::int32_t LoadI32(const std::uint8_t* p) {
  return static_cast<std::int32_t>(LoadU32(p));
}

inline void StoreU16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void StoreU32(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
  p[2] = static_cast<std::uint8_t>(v >> 16);
  p[3] = static_cast<std::uint8_t>(v >> 24);
}
inline void StoreI32(std::uint8_t* p, std::int32_t v) {
  StoreU32(p, static_cast<std::uint32_t>(v));
}

class TByteSource {
 public:
  virtual ~TByteSource() = default;
  // Fills `out` completely, or returns false (the content of `out` is then unspecified).
  virtual bool Read(std::span<std::uint8_t> out) = 0;
  // Bytes from the current position to the end.
  virtual std::uint64_t Remaining() = 0;
  // Moves to `offset` bytes from the start; false when that is past the end.
  virtual bool Seek(std::uint64_t offset) = 0;
  virtual std::uint64_t Size() = 0;
};

class TMemorySource final : public TByteSource {
 public:
  explicit TMemorySource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  bool Read(std::span<std::uint8_t> out) override {
    if (out.size() > bytes_.size() - pos_) return false;
    if (!out.empty()) std::memcpy(out.data(), bytes_.data() + pos_, out.size());
    pos_ += out.size();
    return true;
  }
  std::uint64_t Remaining() override { return bytes_.size() - pos_; }
  bool Seek(std::uint64_t offset) override {
    if (offset > bytes_.size()) return false;
    pos_ = static_cast<std::size_t>(offset);
    return true;
  }
  std::uint64_t Size() override { return bytes_.size(); }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t pos_ = 0;
};

}  // namespace zarn::detail
