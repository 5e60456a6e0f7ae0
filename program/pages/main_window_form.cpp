#include "program/pages/main_window_form.h"

#include <string>
#include <utility>
#include <vector>

#include "program/routines/routine_ids.h"

namespace pixaroo {

namespace {

using korvex::form::EventEntry;
using korvex::form::Unit;
namespace kf = korvex::form;

constexpr std::uint32_t kVisible = kf::kFlagVisible;
constexpr std::uint32_t kVisibleFocus = kf::kFlagVisible | kf::kFlagTakesFocus;

struct Rect {
  std::int32_t left, top, width, height;
};

// A unit of type UnitTypeOf(id), the one list of units' (unit_list.def).
Unit Control(std::uint32_t id, std::string name, std::uint32_t parent, Rect r,
             std::uint32_t flags) {
  Unit u;
  u.id = id;
  u.typeId = UnitTypeOf(id);
  u.name = std::move(name);
  u.left = r.left;
  u.top = r.top;
  u.width = r.width;
  u.height = r.height;
  u.parent = parent;
  u.flags = flags;
  return u;
}

Unit MenuEntry(std::uint32_t id, std::uint32_t level, std::uint32_t menuFlags, std::string caption,
               std::int32_t routineOffset) {
  Unit u;
  u.id = id;
  u.typeId = UnitTypeOf(id);
  u.level = level;
  u.menuFlags = menuFlags;
  u.caption = std::move(caption);
  u.routineOffset = routineOffset;
  return u;
}

EventEntry On(std::int32_t event, Routine routine) { return {event, RoutineOffset(routine)}; }

Unit WindowUnit() {
  Unit u = Control(unit_id::kWindow, "", 0, {50, 50, 517, 637}, kVisible);
  u.events = {On(kf::kEventWindowCreated, Routine::OnWindowCreated),
              On(kf::kEventWindowClosing, Routine::SaveIndexFile)};
  kf::WindowSettings s;
  s.words = {6, 2, 1, 0xFF000000, 0, 1, 1, 1, 1, 0, 0, 1, 0, 0, 1};  // then eight zero words
  s.title = "Vexora-QQPixaroo";
  u.settings = kf::EncodeSettings(s);
  return u;
}

Unit SupportPicture() {
  Unit u = Control(unit_id::kQqSupport1,
                   "qq\xBF\xCD\xB7\xFE"
                   "1",  // qq客服1
                   0, {424, 536, 74, 22}, kVisible);
  u.events = {On(kf::kEventLeftButtonDown, Routine::OpenSupportChat)};
  return u;
}

Unit FileDialog() {
  Unit u = Control(unit_id::kCommonDialog1,
                   "\xCD\xA8\xD3\xC3\xB6\xD4\xBB\xB0\xBF\xF2"
                   "1",  // 通用对话框1
                   unit_id::kGroupBox1, {472, -24, 24, 16}, 0);
  kf::DialogSettings s;
  s.words = {1, 1, 0, 0, 1, 1, 1};  // then eleven zero words
  s.filter =
      "\xCE\xBB\xCD\xBC\xA3\xA8"
      "*.bmp)|*.bmp";  // 位图（*.bmp)|*.bmp
  s.defaultSuffix = "*.bmp";
  u.settings = kf::EncodeSettings(s);
  return u;
}

Unit IndexList() {
  Unit u = Control(unit_id::kListBox1,
                   "\xC1\xD0\xB1\xED\xBF\xF2"
                   "1",  // 列表框1
                   unit_id::kGroupBox3, {8, 8, 280, 560}, kVisibleFocus);
  kf::ListBoxSettings s;
  s.words = {3, 1, 0, 0, 1, 0x00FF0000, 0x00C0C0C0, 0, 0xFFFFFFFF};
  s.tail.assign(22, 0);
  u.settings = kf::EncodeSettings(s);
  return u;
}

Unit GroupBox(std::uint32_t id, char digit, Rect r, std::vector<std::uint32_t> children) {
  Unit u = Control(id, std::string("\xB7\xD6\xD7\xE9\xBF\xF2") + digit,  // 分组框N
                   0, r, kVisible);
  u.children = std::move(children);
  return u;
}

// 图片框N; `leftClick` says whether a left click has an (empty) handler.
Unit PictureBox(int n, std::uint32_t id, Rect r, bool leftClick) {
  Unit u =
      Control(id, std::string("\xCD\xBC\xC6\xAC\xBF\xF2") + static_cast<char>('0' + n),  // 图片框N
              unit_id::kGroupBox1, r, kVisible);
  const auto rightClick =
      static_cast<Routine>(static_cast<std::uint32_t>(Routine::PictureRightClick1) + n - 1);
  u.events = {On(kf::kEventRightButtonDown, rightClick)};
  if (leftClick) {
    u.events.push_back(On(kf::kEventLeftButtonDown, Routine::DoNothing));
  }
  kf::PictureBoxSettings s;
  s.words = {2, 5, 0xFF000000, 0, 1, 0, 0, 0};
  u.settings = kf::EncodeSettings(s);
  return u;
}

Unit StatusBar() {
  Unit u = Control(unit_id::kStatusBar1,
                   "\xD7\xB4\xCC\xAC\xCC\xF5"
                   "1",  // 状态条1
                   0, {0, 565, 637, 20}, kVisible);
  kf::StatusBarSettings s;
  s.lead = {1, 0xFF000000, 0, 0};
  s.font.height = -12;
  s.font.weight = 400;
  s.font.charSet = 134;  // GB2312
  s.font.outPrecision = 3;
  s.font.clipPrecision = 2;
  s.font.quality = 1;
  s.font.pitchAndFamily = 2;
  s.font.SetFaceName("\xCB\xCE\xCC\xE5");  // 宋体
  s.trail = {0, 18, 1, 636, 0, 0xFFFFFFFF};
  // One zero byte ends the settings: with it the description comes to
  // exactly kMainWindowFormSize bytes, the size of its segment.
  s.tail.assign(1, 0);
  u.settings = kf::EncodeSettings(s);
  return u;
}

Unit Button(char digit, std::uint32_t id, std::int32_t left, Routine onClick, std::string caption) {
  Unit u = Control(id, std::string("\xB0\xB4\xC5\xA5") + digit,  // 按钮N
                   unit_id::kGroupBox2, {left, 16, 80, 32}, kVisibleFocus);
  u.events = {On(kf::kEventButtonClicked, onClick)};
  kf::ButtonSettings s;
  s.words = {1, 0, 1, 1, 0, 0};
  s.caption = std::move(caption);
  u.settings = kf::EncodeSettings(s);
  return u;
}

}  // namespace

korvex::form::Form MainWindowForm() {
  kf::Form form;
  form.windowId = kf::kMainWindowId;
  form.units = {
      WindowUnit(),
      SupportPicture(),
      FileDialog(),
      MenuEntry(unit_id::kMenuPlay, 0, 1, "play", kf::kNoRoutine),
      MenuEntry(unit_id::kMenuSavePicture, 1, 0, "\xB1\xA3\xB4\xE6\xCD\xBC\xC6\xAC",  // 保存图片
                static_cast<std::int32_t>(RoutineOffset(Routine::SavePicture))),
      IndexList(),
      GroupBox(unit_id::kGroupBox3, '3', {512, 8, 312, 576}, {unit_id::kListBox1}),
      PictureBox(6, unit_id::kPictureBox6, {344, 264, 150, 230}, true),
      PictureBox(5, unit_id::kPictureBox5, {176, 264, 150, 230}, true),
      PictureBox(4, unit_id::kPictureBox4, {8, 264, 150, 230}, false),
      PictureBox(3, unit_id::kPictureBox3, {344, 24, 150, 230}, false),
      PictureBox(2, unit_id::kPictureBox2, {176, 24, 150, 230}, true),
      PictureBox(1, unit_id::kPictureBox1, {8, 24, 150, 230}, true),
      StatusBar(),
      Button('3', unit_id::kButton3, 304, Routine::ShowNextPage,
             "\xCF\xC2\xD2\xBB\xD2\xB3"),  // 下一页
      Button('2', unit_id::kButton2, 136, Routine::ShowPreviousPage,
             "\xC9\xCF\xD2\xBB\xD2\xB3"),                                            // 上一页
      Button('1', unit_id::kButton1, 16, Routine::StartUpdate, "\xB8\xFC\xD0\xC2"),  // 更新
      GroupBox(unit_id::kGroupBox2, '2', {8, 520, 496, 64},
               {unit_id::kButton3, unit_id::kButton2, unit_id::kButton1}),
      GroupBox(unit_id::kGroupBox1, '1', {8, 8, 504, 504},
               {unit_id::kCommonDialog1, unit_id::kPictureBox6, unit_id::kPictureBox5,
                unit_id::kPictureBox4, unit_id::kPictureBox3, unit_id::kPictureBox2,
                unit_id::kPictureBox1}),
  };
  return form;
}

}  // namespace pixaroo
