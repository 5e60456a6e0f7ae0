// The program image's layout: the named constants of FORMAT.md, shared by
// the writer (the build's image builder) and the reader (the runtime).
//
// Constant data; any thread.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace korvex::image {

// Header.
inline constexpr std::uint8_t kSignature[2] = {'W', 'J'};
inline constexpr std::uint32_t kFirstSegmentField = 0x24;
inline constexpr std::uint32_t kWord28Field = 0x28;
inline constexpr std::uint32_t kWord2CField = 0x2C;
inline constexpr std::uint32_t kReserved30Field = 0x30;
inline constexpr std::uint32_t kImageSizeField = 0x34;
inline constexpr std::uint32_t kDllCountField = 0x38;
inline constexpr std::uint32_t kEntryField = 0x3C;
inline constexpr std::uint32_t kSegmentTableField = 0x40;
inline constexpr std::uint32_t kTablesEndField = 0x54;
inline constexpr std::uint32_t kHeaderSize = 0x58;  // the DLL command table follows
inline constexpr std::uint32_t kWord28 = 1;
inline constexpr std::uint32_t kWord2C = 3;
// The runtime reads at most this many DLL commands; more is a damaged image.
inline constexpr std::uint32_t kMaxDllCommands = 4096;

// Runtime library list: records of five fields separated by CR.
inline constexpr char kFieldSeparator = '\r';
inline constexpr std::size_t kLibraryFields = 5;
inline constexpr std::size_t kLibraryIdDigits = 32;

// Segment header.
inline constexpr std::uint32_t kSegmentHeaderSize = 0x38;  // then 4 bytes per relocation word
inline constexpr std::uint32_t kSegNextField = 0x04;
inline constexpr std::uint32_t kSegFlagsField = 0x08;
inline constexpr std::uint32_t kSegNameField = 0x0C;
inline constexpr std::uint32_t kSegNameSize = 20;
inline constexpr std::uint32_t kSegZero20Field = 0x20;
inline constexpr std::uint32_t kSegMemorySizeField = 0x24;
inline constexpr std::uint32_t kSegStoredSizeField = 0x28;
inline constexpr std::uint32_t kSegStoredOffsetField = 0x2C;
inline constexpr std::uint32_t kSegRelocCountField = 0x30;
inline constexpr std::uint32_t kSegZero34Field = 0x34;
inline constexpr std::uint32_t kNoNextSegment = 0xFFFFFFFF;
inline constexpr std::uint32_t kNotStored = 0xFFFFFFFF;

// Segments, in chain order; the first five are also named by the header's
// segment table.
enum class Seg : std::uint8_t { Const, Form, Help, Code, Var, Reloc, Count };
inline constexpr std::size_t kSegmentCount = static_cast<std::size_t>(Seg::Count);
inline constexpr std::size_t kTabledSegments = 5;
inline constexpr std::array<std::string_view, kSegmentCount> kSegmentNames = {
    "const", "form", "help", "code", "var", "@reloc1"};
inline constexpr std::array<std::uint32_t, kSegmentCount> kSegmentFlags = {1, 1, 1, 5, 0x13, 1};
inline constexpr std::uint32_t kHelpSize = 0x34;
inline constexpr std::uint32_t kVarSize = 0x28;
// The runtime allocates `var` as declared, up to this size; more is damage.
inline constexpr std::uint32_t kMaxVarSize = 1U << 20;
// `@reloc1` declares four bytes less than its lists take.
inline constexpr std::uint32_t kRelocOverhang = 4;
inline constexpr std::size_t kFixupListCount = 4;

// Relocation word: field offset << 3 | kind.
inline constexpr std::uint32_t kKindBits = 3;
inline constexpr std::uint32_t kKindMask = 7;
enum class RelocKind : std::uint8_t { Service = 0, Const = 1, Var = 2, Code = 3 };
// Service slots are 32-bit and lie at 0x00 .. kLastServiceSlot.
inline constexpr std::uint32_t kLastServiceSlot = 0x30;

// Fix-up lists, in `@reloc1` order.
enum class Fixup : std::uint8_t { Unit = 0, DllCommand = 1, Library = 2, Type = 3 };

// `code`: routine records, an end record, then the operand block.
inline constexpr std::uint32_t kRecordSize = 0x40;
inline constexpr std::uint32_t kRecNameField = 0x00;  // const offset of the symbol name (kind 1)
inline constexpr std::uint32_t kRecRoleField = 0x04;
inline constexpr std::uint32_t kRecServicesField = 0x08;  // binding record: service slot (kind 0)
inline constexpr std::uint32_t kRecVarField = 0x0C;       // binding record: var offset (kind 2)
inline constexpr std::uint32_t kEndRecordName = 0xFFFFFFFF;
enum class Role : std::uint32_t {
  Routine = 0,    // void(int32, int32, int32): called by the runtime
  Binding = 1,    // a ProgramBinding: its routine is called once before the entry routine
  Operation = 2,  // an operation of the regular-expression object: the program calls it
                  // through the operation table; the runtime only binds it
};
inline constexpr std::uint32_t kRoleCount = 3;

// The operand block after the end record: these lists in this order, each
// a 32-bit count followed by its entries of kOperandWidth bytes.
enum class Operand : std::uint8_t {
  Unit = 0,        // window id, unit id, unit type id (fix-up lists 1, 1, 4)
  DllCommand = 1,  // a DLL command number (fix-up list 2)
  Routine = 2,     // a routine's code offset, used as a value (kind 3)
  Text = 3,        // a text's place in `const` (kind 1)
};
inline constexpr std::size_t kOperandListCount = 4;
inline constexpr std::array<std::uint32_t, kOperandListCount> kOperandWidth = {12, 4, 4, 4};

// `const`: what opens the segment before the texts.
inline constexpr std::uint32_t kOneDoubleOffset = 0x00;
inline constexpr std::uint32_t kTwoDoubleOffset = 0x08;
inline constexpr std::uint32_t kEmptyArrayOffset = 0x10;
// The regular-expression object's operation table: ten words, each the code
// offset of an Operation record and a kind-3 relocation, in the order of the
// object's operations; `const` has no other relocation.
inline constexpr std::uint32_t kOperationTableOffset = 0x18;
inline constexpr std::uint32_t kOperationCount = 10;

}  // namespace korvex::image
