// The unit identifiers of the main window, as its description stores them
// and as the program's routines name the units.
#pragma once

#include <array>
#include <cstdint>

#include "runtime/form/unit_types.h"

namespace pixaroo {

namespace unit_id {
inline constexpr std::uint32_t kWindow = korvex::form::kWindowUnitId;
inline constexpr std::uint32_t kQqSupport1 = 0x16017215;       // qq客服1
inline constexpr std::uint32_t kCommonDialog1 = 0x16011AC1;    // 通用对话框1
inline constexpr std::uint32_t kMenuPlay = 0x26011AB6;         // menu "play"
inline constexpr std::uint32_t kMenuSavePicture = 0x26011AB7;  // its entry "保存图片"
inline constexpr std::uint32_t kListBox1 = 0x1601180A;         // 列表框1, the photo index
inline constexpr std::uint32_t kGroupBox3 = 0x16011809;        // 分组框3
inline constexpr std::uint32_t kPictureBox6 = 0x160117F4;      // 图片框6
inline constexpr std::uint32_t kPictureBox5 = 0x160117F3;      // 图片框5
inline constexpr std::uint32_t kPictureBox4 = 0x160117F2;      // 图片框4
inline constexpr std::uint32_t kPictureBox3 = 0x160117F1;      // 图片框3
inline constexpr std::uint32_t kPictureBox2 = 0x160117EF;      // 图片框2
inline constexpr std::uint32_t kPictureBox1 = 0x160117EE;      // 图片框1
inline constexpr std::uint32_t kStatusBar1 = 0x16010021;       // 状态条1
inline constexpr std::uint32_t kButton3 = 0x16010012;          // 按钮3 "下一页"
inline constexpr std::uint32_t kButton2 = 0x16010011;          // 按钮2 "上一页"
inline constexpr std::uint32_t kButton1 = 0x16010010;          // 按钮1 "更新"
inline constexpr std::uint32_t kGroupBox2 = 0x1601000F;        // 分组框2
inline constexpr std::uint32_t kGroupBox1 = 0x16010008;        // 分组框1
}  // namespace unit_id

// The photo page's boxes, 图片框1 first.
inline constexpr std::array<std::uint32_t, 6> kPictureBoxIds = {
    unit_id::kPictureBox1, unit_id::kPictureBox2, unit_id::kPictureBox3,
    unit_id::kPictureBox4, unit_id::kPictureBox5, unit_id::kPictureBox6};

}  // namespace pixaroo
