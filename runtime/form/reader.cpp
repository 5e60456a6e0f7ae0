#include "runtime/form/reader.h"

#include <unordered_map>
#include <utility>

#include "runtime/form/byte_io.h"
#include "runtime/form/layout.h"

namespace korvex::form {

namespace {

void ReadMenuFields(ByteReader& r, Unit& u) {
  u.level = r.U32("menu level");
  u.menuFlags = r.U32("menu flag word");
  u.caption = r.CText("menu caption");
  u.routineOffset = r.I32("menu routine offset");
  r.Zeros(kMenuTrailerBytes, "reserved bytes at the end of a menu entry");
  if (!r.Failed() && !r.AtEnd()) {
    r.Fail(std::to_string(r.Remaining()) + " stray bytes after a menu entry");
  }
}

void ReadChildren(ByteReader& r, Unit& u) {
  const std::uint32_t count = r.U32("child count");
  if (count > r.Remaining() / kUnitIdSize) {
    r.Fail("child count " + std::to_string(count) + " overruns the record");
    return;
  }
  u.children.reserve(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    u.children.push_back(r.U32("child unit id"));
  }
}

void ReadEvents(ByteReader& r, Unit& u) {
  const std::uint32_t count = r.U32("event count");
  if (count > r.Remaining() / kEventEntrySize) {
    r.Fail("event count " + std::to_string(count) + " overruns the record");
    return;
  }
  u.events.reserve(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    EventEntry e;
    e.event = r.I32("event number");
    e.routineOffset = r.U32("event routine offset");
    u.events.push_back(e);
  }
}

void ReadUnitFields(ByteReader& r, Unit& u) {
  u.left = r.I32("left");
  u.top = r.I32("top");
  u.width = r.I32("width");
  u.height = r.I32("height");
  r.Zeros(4, "reserved word after the position");
  u.parent = r.U32("parent unit id");
  ReadChildren(r, u);
  if (r.U32("block length") != kRecordBlockSize && !r.Failed()) {
    r.Fail("block length is not " + std::to_string(kRecordBlockSize));
  }
  r.Zeros(kRecordBlockSize, "block bytes");
  u.thirdText = r.CText("third text");
  r.Zeros(4, "reserved word after the third text");
  u.flags = r.U32("flags");
  u.disabled = r.U32("disabled flag");
  ReadEvents(r, u);
  r.Zeros(kRecordTrailerBytes, "reserved bytes after the events");
  const auto settings = r.Raw(r.Remaining(), "type-specific settings");
  u.settings.assign(settings.begin(), settings.end());
}

// Reads one record body (after its length word) into `u`.
void ReadRecord(ByteReader& r, Unit& u) {
  u.typeId = r.U32("type id");
  r.Zeros(kRecordReservedBytes, "reserved bytes after the type id");
  u.name = r.CText("name");
  u.secondText = r.CText("second text");
  r.Zeros(4, "reserved word after the texts");
  if (u.IsMenuEntry()) {
    ReadMenuFields(r, u);
  } else {
    ReadUnitFields(r, u);
  }
}

class Parser {
 public:
  explicit Parser(std::span<const std::uint8_t> data) : data_(data) {}

  FormResult Run() {
    if (data_.size() > kMaxFormSize) {
      return Failure("description of " + std::to_string(data_.size()) + " bytes exceeds the " +
                     std::to_string(kMaxFormSize) + "-byte limit");
    }
    if (!ReadHeader() || !ReadTable() || !ReadRecords() || !CheckMenus() || !CheckTree()) {
      return Failure(error_);
    }
    return std::move(form_);
  }

 private:
  static FormResult Failure(std::string error) { return base::Error{std::move(error)}; }

  bool Fail(std::string message) {
    error_ = std::move(message);
    return false;
  }
  bool Fail(const ByteReader& r) { return Fail(r.Error()); }
  std::string UnitLabel(std::size_t i) const {
    return "unit " + std::to_string(i) + " (id " + Hex(form_.units[i].id) + ")";
  }

  bool ReadHeader() {
    ByteReader r(data_, 0);
    form_.word00 = r.U32("header word");
    form_.windowId = r.U32("window id");
    form_.word08 = r.U32("header word");
    form_.word0C = r.U32("header word");
    form_.word10 = r.U32("header word");
    r.Zeros(kHeaderReservedBytes, "reserved header bytes");
    unitCount_ = r.U32("unit count");
    const std::uint32_t following = r.U32("count of following bytes");
    if (r.Failed()) {
      return Fail("header: " + r.Error());
    }
    if (following != data_.size() - kHeaderSize) {
      return Fail("header: " + std::to_string(following) + " following bytes announced, " +
                  std::to_string(data_.size() - kHeaderSize) + " present");
    }
    if (unitCount_ > kMaxUnits || unitCount_ > following / kTableBytesPerUnit) {
      return Fail("header: unit count " + std::to_string(unitCount_) + " is absurd for " +
                  std::to_string(data_.size()) + " bytes");
    }
    return true;
  }

  bool ReadTable() {
    ByteReader r(data_.subspan(kHeaderSize), kHeaderSize);
    form_.units.resize(unitCount_);
    offsets_.resize(unitCount_);
    for (std::size_t i = 0; i < unitCount_; ++i) {
      form_.units[i].id = r.U32("unit id");
      if (form_.units[i].id == 0) {
        return Fail("id table: unit " + std::to_string(i) + " has id 0");
      }
      if (!index_.emplace(form_.units[i].id, i).second) {
        return Fail("id table: id " + Hex(form_.units[i].id) + " appears twice");
      }
    }
    for (std::size_t i = 0; i < unitCount_; ++i) {
      offsets_[i] = r.U32("record offset");
    }
    areaStart_ = kHeaderSize + kTableBytesPerUnit * unitCount_;
    return !r.Failed() || Fail(r);
  }

  // Records lie back to back in table order and fill the record area.
  bool ReadRecords() {
    const auto area = data_.subspan(areaStart_);
    ByteReader r(area, areaStart_);
    for (std::size_t i = 0; i < unitCount_; ++i) {
      const std::size_t at = r.Position() - areaStart_;
      if (offsets_[i] != at) {
        return Fail(UnitLabel(i) + ": record offset " + Hex(offsets_[i]) +
                    " disagrees with the record's place " + Hex(at));
      }
      const std::uint32_t length = r.U32("record length");
      const auto body = r.Raw(length, "record");
      if (r.Failed()) {
        return Fail(UnitLabel(i) + ": " + r.Error());
      }
      ByteReader rec(body, areaStart_ + at + kRecordLengthSize);
      ReadRecord(rec, form_.units[i]);
      if (rec.Failed()) {
        return Fail(UnitLabel(i) + ": " + rec.Error());
      }
    }
    if (!r.AtEnd()) {
      return Fail(std::to_string(r.Remaining()) + " stray bytes after the last record (at " +
                  Hex(r.Position()) + ")");
    }
    return true;
  }

  // An entry's level is 0 or at most one deeper than the entry before it.
  bool CheckMenus() {
    std::int64_t previous = -1;  // level of the previous record, -1 if not a menu entry
    for (std::size_t i = 0; i < unitCount_; ++i) {
      const Unit& u = form_.units[i];
      if (!u.IsMenuEntry()) {
        previous = -1;
        continue;
      }
      if (u.level > kMaxMenuLevel || static_cast<std::int64_t>(u.level) > previous + 1) {
        return Fail(UnitLabel(i) + ": menu level " + std::to_string(u.level) +
                    " does not follow an entry it could belong to");
      }
      previous = u.level;
    }
    return true;
  }

  bool CheckTree();

  std::span<const std::uint8_t> data_;
  Form form_;
  std::uint32_t unitCount_ = 0;
  std::vector<std::uint32_t> offsets_;
  std::size_t areaStart_ = 0;
  std::unordered_map<std::uint32_t, std::size_t> index_;
  std::string error_;
};

// Parents and child lists agree, name units that exist and are not menu
// entries, and form no cycle.
bool Parser::CheckTree() {
  std::vector<std::size_t> parentOf(unitCount_, unitCount_);  // unitCount_ = the window
  for (std::size_t i = 0; i < unitCount_; ++i) {
    const Unit& u = form_.units[i];
    if (u.IsMenuEntry() || u.parent == 0) {
      continue;
    }
    const auto it = index_.find(u.parent);
    if (it == index_.end() || form_.units[it->second].IsMenuEntry() || it->second == i) {
      return Fail(UnitLabel(i) + ": parent " + Hex(u.parent) + " is not a unit that can hold it");
    }
    parentOf[i] = it->second;
  }
  std::vector<std::size_t> listedBy(unitCount_, unitCount_);
  for (std::size_t i = 0; i < unitCount_; ++i) {
    for (std::uint32_t child : form_.units[i].children) {
      const auto it = index_.find(child);
      if (it == index_.end() || parentOf[it->second] != i || listedBy[it->second] != unitCount_) {
        return Fail(UnitLabel(i) + ": child " + Hex(child) +
                    " is unknown, listed twice or has another parent");
      }
      listedBy[it->second] = i;
    }
  }
  for (std::size_t i = 0; i < unitCount_; ++i) {
    if (parentOf[i] != listedBy[i]) {
      return Fail(UnitLabel(i) + ": its parent does not list it as a child");
    }
    std::size_t p = parentOf[i];
    for (std::size_t steps = 0; p != unitCount_; ++steps, p = parentOf[p]) {
      if (steps >= unitCount_) {
        return Fail(UnitLabel(i) + ": its parents form a cycle");
      }
    }
  }
  return true;
}

}  // namespace

FormResult ReadForm(std::span<const std::uint8_t> data) { return Parser(data).Run(); }

}  // namespace korvex::form
