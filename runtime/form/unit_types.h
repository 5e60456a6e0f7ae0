// Identifiers of the window description: the window id, the unit type ids,
// the unit flag bits and the event numbers the program's units use.
//
// A unit type id is 0x00LLTTTT: LL is the runtime library that defines the
// type, counted from 1 in the image's library list (1 = the core library,
// 4 = the extended user-interface library), TTTT the type number within it.
// Unit ids are 0x06010000 for the window unit itself, 0x1601xxxx for controls
// and 0x2601xxxx for menu entries, the low 16 bits a serial number.
//
// Constants only; any thread.
#pragma once

#include <cstdint>

namespace korvex::form {

// The one window of the program, as the entry routine names it.
inline constexpr std::uint32_t kMainWindowId = 0x52010001;
// The unit id of a window's own unit.
inline constexpr std::uint32_t kWindowUnitId = 0x06010000;

inline constexpr std::uint32_t kTypeWindow = 0x00010001;
inline constexpr std::uint32_t kTypeMenuEntry = 0x00010003;
inline constexpr std::uint32_t kTypePictureBox = 0x00010006;
inline constexpr std::uint32_t kTypeGroupBox = 0x00010009;
inline constexpr std::uint32_t kTypeButton = 0x0001000B;
inline constexpr std::uint32_t kTypeListBox = 0x0001000F;
inline constexpr std::uint32_t kTypeCommonDialog = 0x0001001F;
inline constexpr std::uint32_t kTypeStatusBar = 0x00040002;

// Unit flag bits.
inline constexpr std::uint32_t kFlagVisible = 1u << 0;
inline constexpr std::uint32_t kFlagTakesFocus = 1u << 2;

// Event numbers as stored in event entries.
inline constexpr std::int32_t kEventWindowCreated = 0;
inline constexpr std::int32_t kEventWindowClosing = 1;
inline constexpr std::int32_t kEventButtonClicked = 0;
inline constexpr std::int32_t kEventLeftButtonDown = -1;
inline constexpr std::int32_t kEventRightButtonDown = -4;

// Routine offset of a menu entry that runs nothing when chosen.
inline constexpr std::int32_t kNoRoutine = -1;

}  // namespace korvex::form
