// Little-endian field reading and writing for the window description.
//
// ByteWriter appends fields to a growing byte set. ByteReader walks a span
// it does not own (the caller keeps the bytes alive while it reads) and
// checks every read against the bytes left. Its error is sticky: after the
// first failure every read returns a zero value and the first error text is
// kept, so a parser can read a run of fields and check Failed() once.
// Error texts give the absolute position: `base` is the offset of the span's
// first byte within the whole description.
//
// Internal to korvex_form. Objects are not shared between threads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "base/bytes.h"
#include "base/hex.h"

namespace korvex::form {

class ByteWriter {
 public:
  void U32(std::uint32_t v);
  void I32(std::int32_t v) { U32(static_cast<std::uint32_t>(v)); }
  void U8(std::uint8_t v) { out_.push_back(v); }
  void Zeros(std::size_t n) { out_.insert(out_.end(), n, 0); }
  void Raw(std::span<const std::uint8_t> bytes) {
    out_.insert(out_.end(), bytes.begin(), bytes.end());
  }
  // A text up to its first NUL, then one NUL.
  void CText(std::string_view text);
  // A 32-bit byte count, then the text's bytes up to its first NUL.
  void PText(std::string_view text);

  std::size_t Size() const { return out_.size(); }
  base::Bytes& Out() { return out_; }

 private:
  base::Bytes out_;
};

class ByteReader {
 public:
  ByteReader(std::span<const std::uint8_t> data, std::size_t base) : data_(data), base_(base) {}

  std::uint32_t U32(const char* what);
  std::int32_t I32(const char* what) { return static_cast<std::int32_t>(U32(what)); }
  std::uint8_t U8(const char* what);
  // Fails unless the next n bytes are all zero.
  void Zeros(std::size_t n, const char* what);
  // n bytes; an empty span once failed.
  std::span<const std::uint8_t> Raw(std::size_t n, const char* what);
  // A NUL-terminated text; the NUL must lie within the span.
  std::string CText(const char* what);
  // A length-prefixed text; the length must fit in the bytes left.
  std::string PText(const char* what);

  std::size_t Remaining() const { return failed_ ? 0 : data_.size() - pos_; }
  std::size_t Position() const { return base_ + pos_; }  // absolute
  bool AtEnd() const { return pos_ == data_.size(); }
  bool Failed() const { return failed_; }
  const std::string& Error() const { return error_; }
  // Records a failure at the current position (the first one wins).
  void Fail(std::string_view message);

 private:
  bool Need(std::size_t n, const char* what);

  std::span<const std::uint8_t> data_;
  std::size_t base_;
  std::size_t pos_ = 0;
  bool failed_ = false;
  std::string error_;
};

// Offsets and ids are said as "0x1A4".
using base::Hex;

}  // namespace korvex::form
