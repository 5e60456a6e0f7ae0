// The units of the main window as the program's routines name them: each a
// (window id, unit id, unit type id) reference to a unit of the window
// description (program/pages/main_window_form.h).
#pragma once

#include <cstdint>

#include "program/routines/unit_ids.h"
#include "runtime/form/unit_types.h"
#include "runtime/services/services.h"

namespace pixaroo {

inline constexpr std::uint32_t kMainWindowId = korvex::form::kMainWindowId;

namespace units {

using korvex::UnitRef;
inline constexpr UnitRef kWindow{kMainWindowId, unit_id::kWindow, korvex::form::kTypeWindow};
inline constexpr UnitRef kSupportPicture{kMainWindowId, unit_id::kQqSupport1,
                                         korvex::form::kTypePictureBox};  // qq客服1
inline constexpr UnitRef kDialog{kMainWindowId, unit_id::kCommonDialog1,
                                 korvex::form::kTypeCommonDialog};  // 通用对话框1
inline constexpr UnitRef kMenuPlay{kMainWindowId, unit_id::kMenuPlay,
                                   korvex::form::kTypeMenuEntry};  // play
inline constexpr UnitRef kMenuSave{kMainWindowId, unit_id::kMenuSavePicture,
                                   korvex::form::kTypeMenuEntry};  // 保存图片
inline constexpr UnitRef kIndexList{kMainWindowId, unit_id::kListBox1,
                                    korvex::form::kTypeListBox};  // 列表框1
inline constexpr UnitRef kPicture6{kMainWindowId, unit_id::kPictureBox6,
                                   korvex::form::kTypePictureBox};  // 图片框6
inline constexpr UnitRef kPicture5{kMainWindowId, unit_id::kPictureBox5,
                                   korvex::form::kTypePictureBox};  // 图片框5
inline constexpr UnitRef kPicture4{kMainWindowId, unit_id::kPictureBox4,
                                   korvex::form::kTypePictureBox};  // 图片框4
inline constexpr UnitRef kPicture3{kMainWindowId, unit_id::kPictureBox3,
                                   korvex::form::kTypePictureBox};  // 图片框3
inline constexpr UnitRef kPicture2{kMainWindowId, unit_id::kPictureBox2,
                                   korvex::form::kTypePictureBox};  // 图片框2
inline constexpr UnitRef kPicture1{kMainWindowId, unit_id::kPictureBox1,
                                   korvex::form::kTypePictureBox};  // 图片框1
inline constexpr UnitRef kStatusBar{kMainWindowId, unit_id::kStatusBar1,
                                    korvex::form::kTypeStatusBar};  // 状态条1
inline constexpr UnitRef kNextButton{kMainWindowId, unit_id::kButton3,
                                     korvex::form::kTypeButton};  // 按钮3 下一页
inline constexpr UnitRef kPreviousButton{kMainWindowId, unit_id::kButton2,
                                         korvex::form::kTypeButton};  // 按钮2 上一页
inline constexpr UnitRef kUpdateButton{kMainWindowId, unit_id::kButton1,
                                       korvex::form::kTypeButton};  // 按钮1 更新

// 图片框1 .. 图片框6 in box order.
inline constexpr UnitRef kPictures[6] = {kPicture1, kPicture2, kPicture3,
                                         kPicture4, kPicture5, kPicture6};

// Every unit the routines name, in the order of the image's unit operands.
inline constexpr UnitRef kAll[] = {
    kWindow,    kSupportPicture, kDialog,         kMenuPlay,     kMenuSave, kIndexList,
    kPicture1,  kPicture2,       kPicture3,       kPicture4,     kPicture5, kPicture6,
    kStatusBar, kNextButton,     kPreviousButton, kUpdateButton,
};

}  // namespace units
}  // namespace pixaroo
