#include "runtime/image/reader.h"

#include <set>
#include <string>

#include "base/hex.h"
#include "base/little_endian.h"

namespace korvex::image {
namespace {

using Bytes = std::span<const std::uint8_t>;

using base::Hex;

// True when [at, at + n) lies inside `data`.
bool Inside(Bytes data, std::uint64_t at, std::uint64_t n) {
  return at <= data.size() && n <= data.size() - at;
}

// The field at `at`, which the caller has checked lies Inside.
std::uint32_t U32(Bytes data, std::uint64_t at) { return base::DecodeFixed32(data.data() + at); }

// The NUL-terminated text at `at`, which must end before `end`.
std::optional<std::string> CText(Bytes data, std::uint64_t at, std::uint64_t end) {
  for (std::uint64_t i = at; i < end && i < data.size(); ++i) {
    if (data[i] == 0) return std::string(data.begin() + at, data.begin() + i);
  }
  return std::nullopt;
}

class Reader {
 public:
  explicit Reader(Bytes data) : data_(data) {}

  Result<Image> Read() {
    if (!Header() || !DllTable() || !LibraryList() || !Chain() || !SegmentTable() ||
        !Relocations() || !Fixups() || !DllNames() || !Entry()) {
      return Refused{refusal_, detail_};
    }
    return std::move(image_);
  }

 private:
  bool Fail(Refusal r, std::string detail) {
    refusal_ = r;
    detail_ = std::move(detail);
    return false;
  }
  bool Need(std::uint64_t at, std::uint64_t n, const char* what) {
    if (Inside(data_, at, n)) return true;
    return Fail(Refusal::Truncated, std::string(what) + " at " + Hex(at) + " (" + Hex(n) +
                                        " bytes) lies past the image's end " + Hex(data_.size()));
  }

  bool Header() {
    if (!Need(0, kHeaderSize, "the header")) return false;
    if (data_[0] != kSignature[0] || data_[1] != kSignature[1]) {
      return Fail(Refusal::BadSignature, "the image does not start with \"WJ\"");
    }
    for (std::uint32_t i = 2; i < kFirstSegmentField; ++i) {
      if (data_[i] != 0)
        return Fail(Refusal::BadSignature, "reserved header byte " + Hex(i) + " is set");
    }
    image_.imageSize = U32(data_, kImageSizeField);
    if (image_.imageSize != data_.size()) {
      return Fail(Refusal::BadHeader, "the header gives the image size " + Hex(image_.imageSize) +
                                          ", the image has " + Hex(data_.size()) + " bytes");
    }
    image_.word28 = U32(data_, kWord28Field);
    image_.word2C = U32(data_, kWord2CField);
    if (U32(data_, kReserved30Field) != 0)
      return Fail(Refusal::BadHeader, "header word 0x30 is set");
    if (U32(data_, kFirstSegmentField) != U32(data_, kTablesEndField)) {
      return Fail(Refusal::BadHeader,
                  "the header tables' end (0x54) is not the first segment header");
    }
    image_.entryOffset = U32(data_, kEntryField);
    return true;
  }

  bool DllTable() {
    const std::uint32_t n = U32(data_, kDllCountField);
    if (n > kMaxDllCommands) {
      return Fail(Refusal::BadHeader, "the header names " + std::to_string(n) + " DLL commands");
    }
    if (!Need(kHeaderSize, 8ULL * n, "the DLL command table")) return false;
    image_.dllCommands.resize(n);
    for (std::uint32_t i = 0; i < n; ++i) {
      image_.dllCommands[i].fileOffset = U32(data_, kHeaderSize + 4ULL * i);
      image_.dllCommands[i].functionOffset = U32(data_, kHeaderSize + 4ULL * (n + i));
    }
    tablesEnd_ = kHeaderSize + 8ULL * n;
    return true;
  }

  bool LibraryList() {
    const std::uint64_t end = U32(data_, kTablesEndField);
    std::uint64_t at = tablesEnd_;
    for (;;) {
      const auto record = CText(data_, at, end);
      if (!record) {
        return Fail(Refusal::BadLibraryList, "library record at " + Hex(at) +
                                                 " runs into the segment headers at " + Hex(end));
      }
      if (record->empty()) break;
      Library l;
      std::string* fields[kLibraryFields] = {&l.name, &l.id, &l.major, &l.minor, &l.description};
      std::size_t field = 0, start = 0;
      for (std::size_t i = 0; i <= record->size(); ++i) {
        if (i < record->size() && (*record)[i] != kFieldSeparator) continue;
        if (field == kLibraryFields) break;
        *fields[field++] = record->substr(start, i - start);
        start = i + 1;
      }
      if (field != kLibraryFields || start <= record->size()) {
        return Fail(Refusal::BadLibraryList,
                    "library record at " + Hex(at) + " does not hold five CR-separated fields");
      }
      image_.libraries.push_back(std::move(l));
      at += record->size() + 1;
    }
    if (at + 1 != end) {
      return Fail(Refusal::BadLibraryList, "the library list ends at " + Hex(at + 1) +
                                               ", the segment headers start at " + Hex(end));
    }
    return true;
  }

  bool Chain() {
    std::uint32_t at = U32(data_, kFirstSegmentField);
    std::set<std::uint32_t> seen;
    std::size_t index = 0;
    while (at != kNoNextSegment) {
      if (!seen.insert(at).second) {
        return Fail(Refusal::ChainLoops, "the segment chain comes back to " + Hex(at));
      }
      if (index == kSegmentCount) {
        return Fail(Refusal::WrongSegment, "a seventh segment header at " + Hex(at));
      }
      if (!SegmentHeader(at, index)) return false;
      at = U32(data_, at + kSegNextField);
      ++index;
    }
    if (index != kSegmentCount) {
      return Fail(Refusal::WrongSegment,
                  "the segment chain ends after " + std::to_string(index) + " segments");
    }
    return true;
  }

  bool SegmentHeader(std::uint32_t at, std::size_t index) {
    const std::string where = "segment header " + std::to_string(index) + " at " + Hex(at);
    if (!Need(at, kSegmentHeaderSize, where.c_str())) return false;
    Segment& s = image_.segments[index];
    s.headerOffset = at;
    const std::uint32_t r = U32(data_, at + kSegRelocCountField);
    if (!Need(at + kSegmentHeaderSize, 4ULL * r, (where + ": its relocation words").c_str())) {
      return false;
    }
    if (U32(data_, at) != kSegmentHeaderSize + 4ULL * r) {
      return Fail(Refusal::BadSegmentHeader, where + ": header size is not 0x38 + 4 per word");
    }
    if (U32(data_, at + kSegZero20Field) != 0 || U32(data_, at + kSegZero34Field) != 0) {
      return Fail(Refusal::BadSegmentHeader, where + ": a zero field is set");
    }
    const auto name = CText(data_, at + kSegNameField, at + kSegNameField + kSegNameSize);
    s.name = name.value_or(std::string());
    for (std::size_t i = s.name.size(); i < kSegNameSize; ++i) {
      if (data_[at + kSegNameField + i] != 0) {
        return Fail(Refusal::BadSegmentHeader, where + ": its name is not NUL-padded");
      }
    }
    if (s.name != kSegmentNames[index]) {
      return Fail(Refusal::WrongSegment, where + " is \"" + s.name + "\", expected \"" +
                                             std::string(kSegmentNames[index]) + "\"");
    }
    s.flags = U32(data_, at + kSegFlagsField);
    if (s.flags != kSegmentFlags[index]) {
      return Fail(Refusal::BadSegmentHeader, where + ": flags " + Hex(s.flags));
    }
    s.memorySize = U32(data_, at + kSegMemorySizeField);
    const std::uint32_t storedSize = U32(data_, at + kSegStoredSizeField);
    s.storedOffset = U32(data_, at + kSegStoredOffsetField);
    s.relocations.resize(r);
    for (std::uint32_t i = 0; i < r; ++i) {
      s.relocations[i] = U32(data_, at + kSegmentHeaderSize + 4ULL * i);
    }
    if (storedSize > s.memorySize) {
      return Fail(Refusal::BadSegmentHeader, where + ": stores more than its size");
    }
    if (storedSize == 0) {
      if (s.storedOffset != kNotStored) {
        return Fail(Refusal::BadSegmentHeader,
                    where + ": stores nothing at " + Hex(s.storedOffset));
      }
      return true;
    }
    if (!Need(s.storedOffset, storedSize, (where + ": its bytes").c_str())) return false;
    s.stored.assign(data_.begin() + s.storedOffset, data_.begin() + s.storedOffset + storedSize);
    return true;
  }

  bool SegmentTable() {
    for (std::size_t i = 0; i < kTabledSegments; ++i) {
      if (U32(data_, kSegmentTableField + 4 * i) != image_.segments[i].headerOffset) {
        return Fail(Refusal::SegmentTable, "the header's offset of segment \"" +
                                               std::string(kSegmentNames[i]) +
                                               "\" is not where the chain has it");
      }
    }
    return true;
  }

  std::uint32_t TargetSize(RelocKind kind) const {
    switch (kind) {
      case RelocKind::Service:
        return kLastServiceSlot + 4;
      case RelocKind::Const:
        return image_.At(Seg::Const).memorySize;
      case RelocKind::Var:
        return image_.At(Seg::Var).memorySize;
      case RelocKind::Code:
        return image_.At(Seg::Code).memorySize;
    }
    return 0;
  }

  bool Relocations() {
    for (const Segment& s : image_.segments) {
      for (std::size_t i = 0; i < s.relocations.size(); ++i) {
        const std::uint32_t w = s.relocations[i];
        const std::uint32_t field = w >> kKindBits;
        const std::string where =
            "relocation word " + std::to_string(i) + " of \"" + s.name + "\" (" + Hex(w) + ")";
        if (!Inside(s.stored, field, 4)) {
          return Fail(Refusal::BadRelocation,
                      where + ": its field lies outside the segment's bytes");
        }
        if ((w & kKindMask) > static_cast<std::uint32_t>(RelocKind::Code)) {
          return Fail(Refusal::BadRelocation,
                      where + ": unknown kind " + std::to_string(w & kKindMask));
        }
        const auto kind = static_cast<RelocKind>(w & kKindMask);
        const std::uint32_t value = U32(s.stored, field);
        if (value >= TargetSize(kind) || (kind == RelocKind::Service && value % 4 != 0)) {
          return Fail(Refusal::BadRelocation,
                      where + ": its field holds " + Hex(value) + ", outside what it refers to");
        }
      }
    }
    return true;
  }

  bool Fixups() {
    const Segment& reloc = image_.At(Seg::Reloc);
    if (reloc.stored.empty()) return Fail(Refusal::BadFixupList, "\"@reloc1\" stores nothing");
    // The lists may run kRelocOverhang bytes past the declared size, but
    // never past the image.
    const std::uint64_t start = reloc.storedOffset;
    const std::uint64_t declaredEnd = start + reloc.stored.size();
    const std::uint64_t end = std::min<std::uint64_t>(declaredEnd + kRelocOverhang, data_.size());
    const Segment& code = image_.At(Seg::Code);
    std::uint64_t at = start;
    for (std::size_t list = 0; list < kFixupListCount; ++list) {
      if (at + 4 > end) {
        return Fail(Refusal::BadFixupList, "fix-up list " + std::to_string(list + 1) +
                                               ": its count at " + Hex(at) + " lies outside");
      }
      const std::uint32_t count = U32(data_, at);
      at += 4;
      if (count > (end - at) / 4) {
        return Fail(Refusal::BadFixupList, "fix-up list " + std::to_string(list + 1) + " counts " +
                                               std::to_string(count) + " entries past its end");
      }
      auto& entries = image_.fixups[list];
      entries.resize(count);
      for (std::uint32_t i = 0; i < count; ++i, at += 4) {
        entries[i] = U32(data_, at);
        if (!Inside(code.stored, entries[i], 4)) {
          return Fail(Refusal::BadFixupList, "fix-up list " + std::to_string(list + 1) + " entry " +
                                                 std::to_string(i) + " names " + Hex(entries[i]) +
                                                 ", outside \"code\"");
        }
      }
    }
    if (at < declaredEnd) {
      return Fail(Refusal::BadFixupList,
                  std::to_string(declaredEnd - at) + " bytes of \"@reloc1\" follow its lists");
    }
    return true;
  }

  bool DllNames() {
    const Segment& c = image_.At(Seg::Const);
    for (std::size_t i = 0; i < image_.dllCommands.size(); ++i) {
      DllEntry& d = image_.dllCommands[i];
      const auto file = CText(c.stored, d.fileOffset, c.stored.size());
      const auto function = CText(c.stored, d.functionOffset, c.stored.size());
      if (!file || !function || function->empty()) {
        return Fail(Refusal::BadDllName, "DLL command " + std::to_string(i) +
                                             ": a name offset is not a text in \"const\"");
      }
      d.file = *file;
      d.function = *function;
    }
    return true;
  }

  bool Entry() {
    const Segment& code = image_.At(Seg::Code);
    if (image_.entryOffset % kRecordSize != 0 ||
        !Inside(code.stored, image_.entryOffset, kRecordSize)) {
      return Fail(Refusal::BadEntry, "the entry offset " + Hex(image_.entryOffset) +
                                         " is not a routine record in \"code\"");
    }
    return true;
  }

  Bytes data_;
  Image image_;
  std::uint64_t tablesEnd_ = 0;
  Refusal refusal_ = Refusal::None;
  std::string detail_;
};

}  // namespace

Result<Image> ReadImage(std::span<const std::uint8_t> data) { return Reader(data).Read(); }

const char* RefusalName(Refusal r) {
  switch (r) {
#define KORVEX_REFUSAL(name, text) \
  case Refusal::name:              \
    return text;
#include "runtime/image/refusal_list.def"
  }
  return "unknown";
}

}  // namespace korvex::image
