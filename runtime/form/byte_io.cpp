#include "runtime/form/byte_io.h"

#include <algorithm>

#include "base/little_endian.h"

namespace korvex::form {

namespace {

std::string_view UpToNul(std::string_view text) {
  const std::size_t nul = text.find('\0');
  return nul == std::string_view::npos ? text : text.substr(0, nul);
}

}  // namespace

void ByteWriter::U32(std::uint32_t v) { base::PutFixed32(out_, v); }

void ByteWriter::CText(std::string_view text) {
  const std::string_view t = UpToNul(text);
  out_.insert(out_.end(), t.begin(), t.end());
  out_.push_back(0);
}

void ByteWriter::PText(std::string_view text) {
  const std::string_view t = UpToNul(text);
  U32(static_cast<std::uint32_t>(t.size()));
  out_.insert(out_.end(), t.begin(), t.end());
}

void ByteReader::Fail(std::string_view message) {
  if (failed_) {
    return;
  }
  failed_ = true;
  error_ = std::string(message) + " (at " + Hex(Position()) + ")";
}

bool ByteReader::Need(std::size_t n, const char* what) {
  if (failed_) {
    return false;
  }
  if (data_.size() - pos_ < n) {
    Fail(std::string(what) + ": needs " + std::to_string(n) + " bytes, " +
         std::to_string(data_.size() - pos_) + " left");
    return false;
  }
  return true;
}

std::uint32_t ByteReader::U32(const char* what) {
  if (!Need(4, what)) {
    return 0;
  }
  const std::uint32_t v = base::DecodeFixed32(data_.data() + pos_);
  pos_ += 4;
  return v;
}

std::uint8_t ByteReader::U8(const char* what) {
  if (!Need(1, what)) {
    return 0;
  }
  return data_[pos_++];
}

void ByteReader::Zeros(std::size_t n, const char* what) {
  const auto bytes = Raw(n, what);
  if (!failed_ && std::any_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b != 0; })) {
    pos_ -= n;  // report the start of the field
    Fail(std::string(what) + ": reserved bytes are not zero");
  }
}

std::span<const std::uint8_t> ByteReader::Raw(std::size_t n, const char* what) {
  if (!Need(n, what)) {
    return {};
  }
  const auto bytes = data_.subspan(pos_, n);
  pos_ += n;
  return bytes;
}

std::string ByteReader::CText(const char* what) {
  if (!Need(1, what)) {
    return {};
  }
  const auto rest = data_.subspan(pos_);
  const auto nul = std::find(rest.begin(), rest.end(), std::uint8_t{0});
  if (nul == rest.end()) {
    Fail(std::string(what) + ": text has no terminating NUL within its record");
    return {};
  }
  std::string text(rest.begin(), nul);
  pos_ += text.size() + 1;
  return text;
}

std::string ByteReader::PText(const char* what) {
  const std::uint32_t n = U32(what);
  if (failed_) {
    return {};
  }
  if (n > data_.size() - pos_) {
    pos_ -= 4;
    Fail(std::string(what) + ": text length " + std::to_string(n) + " overruns the " +
         std::to_string(data_.size() - pos_ - 4) + " bytes left");
    return {};
  }
  const auto bytes = data_.subspan(pos_, n);
  if (std::find(bytes.begin(), bytes.end(), std::uint8_t{0}) != bytes.end()) {
    pos_ -= 4;
    Fail(std::string(what) + ": length-prefixed text contains a NUL byte");
    return {};
  }
  pos_ += n;
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace korvex::form
