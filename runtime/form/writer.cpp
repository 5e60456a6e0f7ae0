#include "runtime/form/writer.h"

#include "base/little_endian.h"
#include "runtime/form/byte_io.h"
#include "runtime/form/layout.h"

namespace korvex::form {

namespace {

void WriteMenuFields(const Unit& u, ByteWriter& w) {
  w.U32(u.level);
  w.U32(u.menuFlags);
  w.CText(u.caption);
  w.I32(u.routineOffset);
  w.Zeros(kMenuTrailerBytes);
}

void WriteUnitFields(const Unit& u, ByteWriter& w) {
  w.I32(u.left);
  w.I32(u.top);
  w.I32(u.width);
  w.I32(u.height);
  w.U32(0);
  w.U32(u.parent);
  w.U32(static_cast<std::uint32_t>(u.children.size()));
  for (std::uint32_t child : u.children) {
    w.U32(child);
  }
  w.U32(kRecordBlockSize);
  w.Zeros(kRecordBlockSize);
  w.CText(u.thirdText);
  w.U32(0);
  w.U32(u.flags);
  w.U32(u.disabled);
  w.U32(static_cast<std::uint32_t>(u.events.size()));
  for (const EventEntry& e : u.events) {
    w.I32(e.event);
    w.U32(e.routineOffset);
  }
  w.Zeros(kRecordTrailerBytes);
  w.Raw(u.settings);
}

// One record, its length word included.
void WriteRecord(const Unit& u, ByteWriter& w) {
  const std::size_t lengthAt = w.Size();
  w.U32(0);  // patched below
  w.U32(u.typeId);
  w.Zeros(kRecordReservedBytes);
  w.CText(u.name);
  w.CText(u.secondText);
  w.U32(0);
  if (u.IsMenuEntry()) {
    WriteMenuFields(u, w);
  } else {
    WriteUnitFields(u, w);
  }
  const auto length = static_cast<std::uint32_t>(w.Size() - lengthAt - kRecordLengthSize);
  base::EncodeFixed32(w.Out().data() + lengthAt, length);
}

}  // namespace

base::Bytes WriteForm(const Form& form) {
  ByteWriter records;
  std::vector<std::uint32_t> offsets;
  offsets.reserve(form.units.size());
  for (const Unit& u : form.units) {
    offsets.push_back(static_cast<std::uint32_t>(records.Size()));
    WriteRecord(u, records);
  }

  const std::size_t count = form.units.size();
  ByteWriter w;
  w.U32(form.word00);
  w.U32(form.windowId);
  w.U32(form.word08);
  w.U32(form.word0C);
  w.U32(form.word10);
  w.Zeros(kHeaderReservedBytes);
  w.U32(static_cast<std::uint32_t>(count));
  w.U32(static_cast<std::uint32_t>(kTableBytesPerUnit * count + records.Size()));
  for (const Unit& u : form.units) {
    w.U32(u.id);
  }
  for (std::uint32_t offset : offsets) {
    w.U32(offset);
  }
  w.Raw(records.Out());
  return std::move(w.Out());
}

}  // namespace korvex::form
