// The program's one window, as a window description.
//
// MainWindowForm() builds the description the program image carries: the
// nineteen units of the main window with their ids, types, names, positions,
// parents, children, flags, event entries (routine offsets of
// app/routine_table.h) and type-specific settings. The build writes the same
// bytes to form.bin for inspection. The unit ids below are how the program's
// routines name the units.
//
// Constants and a pure function; any thread.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "runtime/form/form.h"

namespace pixaroo {

namespace unit {
inline constexpr std::uint32_t kWindow = korvex::form::kWindowUnitId;
inline constexpr std::uint32_t kQqSupport1 = 0x16017215;     // qq客服1
inline constexpr std::uint32_t kCommonDialog1 = 0x16011AC1;  // 通用对话框1
inline constexpr std::uint32_t kMenuPlay = 0x26011AB6;       // menu "play"
inline constexpr std::uint32_t kMenuSavePicture = 0x26011AB7;  // its entry "保存图片"
inline constexpr std::uint32_t kListBox1 = 0x1601180A;       // 列表框1, the photo index
inline constexpr std::uint32_t kGroupBox3 = 0x16011809;      // 分组框3
inline constexpr std::uint32_t kPictureBox6 = 0x160117F4;    // 图片框6
inline constexpr std::uint32_t kPictureBox5 = 0x160117F3;    // 图片框5
inline constexpr std::uint32_t kPictureBox4 = 0x160117F2;    // 图片框4
inline constexpr std::uint32_t kPictureBox3 = 0x160117F1;    // 图片框3
inline constexpr std::uint32_t kPictureBox2 = 0x160117EF;    // 图片框2
inline constexpr std::uint32_t kPictureBox1 = 0x160117EE;    // 图片框1
inline constexpr std::uint32_t kStatusBar1 = 0x16010021;     // 状态条1
inline constexpr std::uint32_t kButton3 = 0x16010012;        // 按钮3 "下一页"
inline constexpr std::uint32_t kButton2 = 0x16010011;        // 按钮2 "上一页"
inline constexpr std::uint32_t kButton1 = 0x16010010;        // 按钮1 "更新"
inline constexpr std::uint32_t kGroupBox2 = 0x1601000F;      // 分组框2
inline constexpr std::uint32_t kGroupBox1 = 0x16010008;      // 分组框1
}  // namespace unit

// The photo page's boxes, 图片框1 first.
inline constexpr std::array<std::uint32_t, 6> kPictureBoxIds = {
    unit::kPictureBox1, unit::kPictureBox2, unit::kPictureBox3,
    unit::kPictureBox4, unit::kPictureBox5, unit::kPictureBox6};

// Size of the stored description.
inline constexpr std::size_t kMainWindowFormSize = 0xC29;

// The main window's description (window id korvex::form::kMainWindowId).
korvex::form::Form MainWindowForm();

}  // namespace pixaroo
