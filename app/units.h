// The units of the main window as the program names them: each a
// (window id, unit id, unit type id) reference, fixed by the window
// description.
#pragma once

#include <cstdint>

#include "runtime/core/unit_types.h"
#include "runtime/services/services.h"

namespace pixaroo {

inline constexpr std::uint32_t kMainWindowId = 0x52010001;

namespace units {

using korvex::UnitRef;
inline constexpr UnitRef kWindow{kMainWindowId, 0x06010000, korvex::kTypeWindow};
inline constexpr UnitRef kSupportPicture{kMainWindowId, 0x16017215, korvex::kTypePictureBox};  // qq客服1
inline constexpr UnitRef kDialog{kMainWindowId, 0x16011AC1, korvex::kTypeCommonDialog};  // 通用对话框1
inline constexpr UnitRef kMenuPlay{kMainWindowId, 0x26011AB6, korvex::kTypeMenuEntry};   // play
inline constexpr UnitRef kMenuSave{kMainWindowId, 0x26011AB7, korvex::kTypeMenuEntry};   // 保存图片
inline constexpr UnitRef kIndexList{kMainWindowId, 0x1601180A, korvex::kTypeListBox};    // 列表框1
inline constexpr UnitRef kPicture6{kMainWindowId, 0x160117F4, korvex::kTypePictureBox};  // 图片框6
inline constexpr UnitRef kPicture5{kMainWindowId, 0x160117F3, korvex::kTypePictureBox};  // 图片框5
inline constexpr UnitRef kPicture4{kMainWindowId, 0x160117F2, korvex::kTypePictureBox};  // 图片框4
inline constexpr UnitRef kPicture3{kMainWindowId, 0x160117F1, korvex::kTypePictureBox};  // 图片框3
inline constexpr UnitRef kPicture2{kMainWindowId, 0x160117EF, korvex::kTypePictureBox};  // 图片框2
inline constexpr UnitRef kPicture1{kMainWindowId, 0x160117EE, korvex::kTypePictureBox};  // 图片框1
inline constexpr UnitRef kStatusBar{kMainWindowId, 0x16010021, korvex::kTypeStatusBar};  // 状态条1
inline constexpr UnitRef kNextButton{kMainWindowId, 0x16010012, korvex::kTypeButton};    // 按钮3 下一页
inline constexpr UnitRef kPreviousButton{kMainWindowId, 0x16010011, korvex::kTypeButton};  // 按钮2 上一页
inline constexpr UnitRef kUpdateButton{kMainWindowId, 0x16010010, korvex::kTypeButton};  // 按钮1 更新

// 图片框1 .. 图片框6 in box order.
inline constexpr UnitRef kPictures[6] = {kPicture1, kPicture2, kPicture3,
                                         kPicture4, kPicture5, kPicture6};

}  // namespace units
}  // namespace pixaroo
