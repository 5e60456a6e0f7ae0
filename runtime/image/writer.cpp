#include "runtime/image/writer.h"

#include <cstddef>
#include <string>

#include "base/little_endian.h"
namespace korvex::image {
namespace {

// `at` lies inside `out`: the writer sized it.
void Put32(base::Bytes& out, std::size_t at, std::uint32_t v) {
  base::EncodeFixed32(out.data() + at, v);
}

void Append32(base::Bytes& out, std::uint32_t v) { base::PutFixed32(out, v); }

void AppendText(base::Bytes& out, const std::string& text) {
  out.insert(out.end(), text.begin(), text.end());
  out.push_back(0);
}

std::string LibraryRecord(const Library& l) {
  const std::string sep(1, kFieldSeparator);
  return l.name + sep + l.id + sep + l.major + sep + l.minor + sep + l.description;
}

base::Bytes FixupBytes(const Image& image) {
  base::Bytes out;
  for (const auto& list : image.fixups) {
    Append32(out, static_cast<std::uint32_t>(list.size()));
    for (std::uint32_t entry : list) Append32(out, entry);
  }
  return out;
}

// Appends one segment header and its stored bytes; returns the header's offset.
std::uint32_t AppendSegment(base::Bytes& out, const Segment& s, const base::Bytes& stored,
                            std::uint32_t declaredSize) {
  const auto at = static_cast<std::uint32_t>(out.size());
  const auto r = static_cast<std::uint32_t>(s.relocations.size());
  const std::uint32_t headerSize = kSegmentHeaderSize + 4 * r;
  out.resize(out.size() + headerSize, 0);
  Put32(out, at, headerSize);
  Put32(out, at + kSegNextField, kNoNextSegment);  // the next segment patches it
  Put32(out, at + kSegFlagsField, s.flags);
  for (std::size_t i = 0; i < s.name.size() && i < kSegNameSize; ++i) {
    out[at + kSegNameField + i] = static_cast<std::uint8_t>(s.name[i]);
  }
  Put32(out, at + kSegMemorySizeField, s.memorySize);
  Put32(out, at + kSegStoredSizeField, stored.empty() ? 0 : declaredSize);
  Put32(out, at + kSegStoredOffsetField, stored.empty() ? kNotStored : at + headerSize);
  Put32(out, at + kSegRelocCountField, r);
  for (std::uint32_t i = 0; i < r; ++i)
    Put32(out, at + kSegmentHeaderSize + 4 * i, s.relocations[i]);
  out.insert(out.end(), stored.begin(), stored.end());
  return at;
}

}  // namespace

base::Bytes WriteImage(const Image& image) {
  base::Bytes out(kHeaderSize, 0);
  out[0] = kSignature[0];
  out[1] = kSignature[1];
  Put32(out, kWord28Field, image.word28);
  Put32(out, kWord2CField, image.word2C);
  Put32(out, kDllCountField, static_cast<std::uint32_t>(image.dllCommands.size()));
  Put32(out, kEntryField, image.entryOffset);
  for (const DllEntry& d : image.dllCommands) Append32(out, d.fileOffset);
  for (const DllEntry& d : image.dllCommands) Append32(out, d.functionOffset);
  for (const Library& l : image.libraries) AppendText(out, LibraryRecord(l));
  out.push_back(0);  // the empty record ends the list

  const auto first = static_cast<std::uint32_t>(out.size());
  Put32(out, kFirstSegmentField, first);
  Put32(out, kTablesEndField, first);
  std::uint32_t previous = kNoNextSegment;
  for (std::size_t i = 0; i < kSegmentCount; ++i) {
    const Segment& s = image.segments[i];
    base::Bytes stored = s.stored;
    auto declared = static_cast<std::uint32_t>(stored.size());
    Segment header = s;
    if (static_cast<Seg>(i) == Seg::Reloc) {
      stored = FixupBytes(image);
      declared = static_cast<std::uint32_t>(stored.size()) - kRelocOverhang;
      header.memorySize = declared;
    }
    const std::uint32_t at = AppendSegment(out, header, stored, declared);
    if (previous != kNoNextSegment) Put32(out, previous + kSegNextField, at);
    if (i < kTabledSegments) Put32(out, kSegmentTableField + 4 * i, at);
    previous = at;
  }
  Put32(out, kImageSizeField, static_cast<std::uint32_t>(out.size()));
  return out;
}

}  // namespace korvex::image
