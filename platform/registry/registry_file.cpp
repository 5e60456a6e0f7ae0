#include "platform/registry/registry_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "base/files.h"
#include "base/little_endian.h"
#include "base/text_ops.h"

namespace advapi32 {
namespace {

constexpr std::string_view kSzPrefix = "sz:";
constexpr std::string_view kExpandSzPrefix = "expand_sz:";
constexpr std::string_view kDwordPrefix = "dword:";
constexpr std::string_view kBinaryPrefix = "hex:";
constexpr std::string_view kTypedPrefix = "hex(";
constexpr std::size_t kMaxDwordDigits = 8;
constexpr std::size_t kMaxTypeDigits = 10;
constexpr std::size_t kReadChunk = std::size_t{64} * 1024;

bool IsControl(unsigned char b) { return b < 0x20 || b == 0x7F; }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A quoted text starting at line[pos] == '"'; pos ends after the closing quote.
bool ParseQuoted(std::string_view line, std::size_t& pos, std::string& out) {
  if (pos >= line.size() || line[pos] != '"') return false;
  out.clear();
  for (++pos; pos < line.size(); ++pos) {
    const unsigned char c = static_cast<unsigned char>(line[pos]);
    if (c == '"') {
      ++pos;
      return true;
    }
    if (IsControl(c)) return false;
    if (c != '\\') {
      out += static_cast<char>(c);
      continue;
    }
    if (++pos >= line.size()) return false;
    const char e = line[pos];
    if (e == '\\' || e == '"') {
      out += e;
    } else if (e == 'x' && pos + 2 < line.size() && HexDigit(line[pos + 1]) >= 0 &&
               HexDigit(line[pos + 2]) >= 0) {
      const int b = HexDigit(line[pos + 1]) * 16 + HexDigit(line[pos + 2]);
      if (b == 0) return false;  // names and texts end at their first NUL
      out += static_cast<char>(b);
      pos += 2;
    } else {
      return false;
    }
  }
  return false;
}

// "hh,hh,..." (possibly empty) up to the end of `s`.
bool ParseHexBytes(std::string_view s, std::vector<std::uint8_t>& out) {
  out.clear();
  for (std::size_t pos = 0; pos < s.size();) {
    if (!out.empty()) {
      if (s[pos] != ',') return false;
      ++pos;
    }
    if (pos + 1 >= s.size() || HexDigit(s[pos]) < 0 || HexDigit(s[pos + 1]) < 0) return false;
    out.push_back(static_cast<std::uint8_t>(HexDigit(s[pos]) * 16 + HexDigit(s[pos + 1])));
    pos += 2;
  }
  return true;
}

bool ParseNumber(std::string_view s, int base, std::size_t maxDigits, std::uint32_t& out) {
  if (s.empty() || s.size() > maxDigits) return false;
  std::uint64_t v = 0;
  for (const char c : s) {
    const int d = HexDigit(c);
    if (d < 0 || d >= base) return false;
    v = v * static_cast<unsigned>(base) + static_cast<unsigned>(d);
  }
  if (v > 0xFFFFFFFFu) return false;
  out = static_cast<std::uint32_t>(v);
  return true;
}

bool ParseText(std::string_view data, std::uint32_t type, RegistryValue& value) {
  std::size_t pos = 0;
  std::string text;
  if (!ParseQuoted(data, pos, text) || pos != data.size()) return false;
  value.type = type;
  value.data.assign(text.begin(), text.end());
  value.data.push_back(0);
  return true;
}

bool ParseData(std::string_view data, RegistryValue& value) {
  if (data.starts_with(kSzPrefix)) return ParseText(data.substr(kSzPrefix.size()), REG_SZ, value);
  if (data.starts_with(kExpandSzPrefix)) {
    return ParseText(data.substr(kExpandSzPrefix.size()), REG_EXPAND_SZ, value);
  }
  if (data.starts_with(kDwordPrefix)) {
    std::uint32_t v = 0;
    if (!ParseNumber(data.substr(kDwordPrefix.size()), 16, kMaxDwordDigits, v)) return false;
    value.type = REG_DWORD;
    value.data.clear();
    base::PutFixed32(value.data, v);
    return true;
  }
  if (data.starts_with(kBinaryPrefix)) {
    value.type = REG_BINARY;
    return ParseHexBytes(data.substr(kBinaryPrefix.size()), value.data);
  }
  if (!data.starts_with(kTypedPrefix)) return false;
  const std::size_t close = data.find("):");
  if (close == std::string_view::npos) return false;
  const std::string_view digits = data.substr(kTypedPrefix.size(), close - kTypedPrefix.size());
  return ParseNumber(digits, 10, kMaxTypeDigits, value.type) &&
         ParseHexBytes(data.substr(close + 2), value.data);
}

bool ParseValue(std::string_view line, RegistryValue& value) {
  std::size_t pos = 0;
  if (!ParseQuoted(line, pos, value.name)) return false;
  if (pos >= line.size() || line[pos] != '=') return false;
  return ParseData(line.substr(pos + 1), value);
}

// The key line's path; false when the line is no well-formed key line.
bool ParseKey(std::string_view line, std::string& path) {
  const std::size_t close = line.rfind(']');
  if (line.empty() || line[0] != '[' || close == std::string_view::npos) return false;
  if (line.substr(close + 1).find_first_not_of(" \t") != std::string_view::npos) return false;
  const std::string_view inner = line.substr(1, close - 1);
  for (const char c : inner) {
    if (IsControl(static_cast<unsigned char>(c))) return false;
  }
  path.assign(inner);
  return true;
}

void AppendQuoted(std::string& out, std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += '"';
  for (const char ch : text) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += ch;
    } else if (IsControl(c)) {
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += ch;
    }
  }
  out += '"';
}

void AppendHexBytes(std::string& out, const std::vector<std::uint8_t>& data) {
  char buf[4];
  for (std::size_t i = 0; i < data.size(); ++i) {
    std::snprintf(buf, sizeof buf, i == 0 ? "%02x" : ",%02x", data[i]);
    out += i == 0 ? std::string_view(buf, 2) : std::string_view(buf, 3);
  }
}

// A text stored as the sz form writes it: a NUL at the end and nowhere else.
bool IsPlainText(const std::vector<std::uint8_t>& data) {
  if (data.empty() || data.back() != 0) return false;
  for (std::size_t i = 0; i + 1 < data.size(); ++i) {
    if (data[i] == 0) return false;
  }
  return true;
}

void AppendData(std::string& out, const RegistryValue& v) {
  if ((v.type == REG_SZ || v.type == REG_EXPAND_SZ) && IsPlainText(v.data)) {
    out += v.type == REG_SZ ? kSzPrefix : kExpandSzPrefix;
    AppendQuoted(out,
                 std::string_view(reinterpret_cast<const char*>(v.data.data()), v.data.size() - 1));
  } else if (v.type == REG_DWORD && v.data.size() == 4) {
    const std::uint32_t d = base::DecodeFixed32(v.data.data());
    char buf[9];
    std::snprintf(buf, sizeof buf, "%x", d);
    out += kDwordPrefix;
    out += buf;
  } else {
    out += v.type == REG_BINARY ? std::string(kBinaryPrefix)
                                : std::string(kTypedPrefix) + std::to_string(v.type) + "):";
    AppendHexBytes(out, v.data);
  }
}

struct FdCloser {
  void operator()(const int* fd) const {
    ::close(*fd);
    delete fd;
  }
};

// The file's bytes, or why there are none: no regular file, or too large.
base::ErrorOr<std::string> ReadBounded(const std::string& path) {
  const int raw = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (raw < 0) return base::Error{path + " cannot be opened"};
  const std::unique_ptr<int, FdCloser> fd(new int(raw));
  struct stat st {};
  if (::fstat(raw, &st) != 0 || !S_ISREG(st.st_mode)) {
    return base::Error{path + " is not a regular file"};
  }
  std::string bytes;
  char chunk[kReadChunk];
  for (;;) {
    const ssize_t n = ::read(raw, chunk, sizeof chunk);
    if (n < 0) return base::Error{path + " could not be read"};
    if (n == 0) return bytes;
    bytes.append(chunk, static_cast<std::size_t>(n));
    if (bytes.size() > kMaxRegistryFile) {
      return base::Error{path + " is larger than " + std::to_string(kMaxRegistryFile) + " bytes"};
    }
  }
}

}  // namespace

std::vector<RegistryKey> ParseRegistry(std::string_view text) {
  std::vector<RegistryKey> keys;
  bool inKey = false;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    const std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos || line[first] == '#') continue;
    line.remove_prefix(first);
    if (line[0] == '[') {
      std::string path;
      inKey = ParseKey(line, path);
      if (inKey) keys.push_back(RegistryKey{std::move(path), {}});
      continue;
    }
    RegistryValue value;
    if (inKey && ParseValue(line, value)) keys.back().values.push_back(std::move(value));
  }
  return keys;
}

base::ErrorOr<std::string> FormatRegistry(const std::vector<RegistryKey>& keys) {
  std::string out;
  for (const RegistryKey& key : keys) {
    std::string path;
    if (!ParseKey("[" + key.path + "]", path) || path != key.path) {
      return base::Error{"the key path \"" + key.path + "\" cannot be written"};
    }
    out += '[' + key.path + "]\n";
    for (const RegistryValue& v : key.values) {
      if (v.name.find('\0') != std::string::npos) {
        return base::Error{"a value name of key \"" + key.path + "\" holds a NUL"};
      }
      AppendQuoted(out, v.name);
      out += '=';
      AppendData(out, v);
      out += '\n';
    }
  }
  return out;
}

std::string RegistryFilePath() {
  const char* own = std::getenv("PIXAROO_REGISTRY");
  if (own != nullptr && *own != '\0') return own;
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg != nullptr && xdg[0] == '/') return std::string(xdg) + "/pixaroo/registry";
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home != '\0') return std::string(home) + "/.config/pixaroo/registry";
  return {};
}

base::ErrorOr<std::vector<RegistryKey>> LoadRegistryFile(const std::string& path) {
  if (path.empty()) return base::Error{"no registry file is named"};
  const base::ErrorOr<std::string> bytes = ReadBounded(path);
  if (!bytes.ok()) return bytes.error();
  return ParseRegistry(*bytes);
}

bool WriteRegistryFile(const std::string& path, const std::vector<RegistryKey>& keys) {
  const base::ErrorOr<std::string> text = FormatRegistry(keys);
  if (!text.ok() || path.empty()) return false;
  std::error_code ec;
  const std::filesystem::path parent = std::filesystem::path(path).parent_path();
  if (!parent.empty()) std::filesystem::create_directories(parent, ec);
  return base::WriteFileAtomic(path, base::Bytes(text->begin(), text->end())).ok();
}

std::vector<std::string> KeyNames(std::string_view path) {
  std::vector<std::string> names = base::Split(path, "\\");
  for (std::string& name : names) name = base::ToLower(name);
  return names;
}

}  // namespace advapi32
