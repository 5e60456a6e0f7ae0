// The program's 32-bit global cells, which live in the `var` block the
// runtime allocates (zero-filled) when it loads the program image and hands
// over through the binding routine. The binding states kVarSize as the size
// the cells need, and the runtime refuses an image whose `var` is smaller.
// Using a cell before a block is bound is a programming error and aborts.
//
// Every access is atomic; any thread.
#pragma once

#include <cstdint>

namespace pixaroo {

// The `var` block's size and its cells' offsets. The byte set and the two
// text arrays are objects of the program (their addresses do not fit a
// 32-bit cell); their cells stay zero.
inline constexpr std::uint32_t kVarSize = 0x28;
inline constexpr std::uint32_t kCellSavedPicture = 0x00;
inline constexpr std::uint32_t kCellPictureIndex1 = 0x04;  // .. pictureIndex6 at 0x18
inline constexpr std::uint32_t kCellItemLinks = 0x1C;
inline constexpr std::uint32_t kCellPhotoSources = 0x20;

// Makes `var` (at least kVarSize bytes, 4-byte aligned, zero-filled, alive
// until the process ends) the block the cells live in. Called by the binding
// routine before the entry routine runs.
void BindGlobalCells(void* var);

// One 32-bit integer cell at an offset of the `var` block.
class GlobalCell {
 public:
  explicit constexpr GlobalCell(std::uint32_t offset) : offset_(offset) {}
  GlobalCell(const GlobalCell&) = delete;
  GlobalCell& operator=(const GlobalCell&) = delete;

  std::int32_t load() const;
  void store(std::int32_t v);
  std::int32_t fetch_add(std::int32_t v);
  std::int32_t fetch_sub(std::int32_t v);
  GlobalCell& operator=(std::int32_t v) {
    store(v);
    return *this;
  }

 private:
  std::int32_t* Cell() const;
  std::uint32_t offset_;
};

}  // namespace pixaroo
