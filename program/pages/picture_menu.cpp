// The picture boxes' right-click menu and saving a photo.
//
// A right-click pops up the menu "play" and remembers the clicked box's
// picture in savedPicture; the menu entry "保存图片" asks for a file name and
// writes the remembered bytes there, and says so when they could not be
// written. Both run on the window thread.
#include <cerrno>
#include <string>

#include "program/routines/event_routines.h"
#include "program/routines/globals.h"
#include "program/routines/program_memory.h"
#include "program/routines/runtime_link.h"
#include "program/routines/units.h"
#include "program/routines/write_failure.h"

namespace pixaroo {
namespace {

void RememberPicture(int box) {
  rt::PopupMenu(units::kWindow, units::kMenuPlay);
  // Read after the menu has closed: the chosen entry's routine runs only
  // once this routine has returned, and saves what the box holds now.
  savedPicture.Set(rt::ReadPicture(units::kPictures[box]));
}

}  // namespace

void PictureRightClick1(std::int32_t, std::int32_t, std::int32_t) { RememberPicture(0); }
void PictureRightClick2(std::int32_t, std::int32_t, std::int32_t) { RememberPicture(1); }
void PictureRightClick3(std::int32_t, std::int32_t, std::int32_t) { RememberPicture(2); }
void PictureRightClick4(std::int32_t, std::int32_t, std::int32_t) { RememberPicture(3); }
void PictureRightClick5(std::int32_t, std::int32_t, std::int32_t) { RememberPicture(4); }
void PictureRightClick6(std::int32_t, std::int32_t, std::int32_t) { RememberPicture(5); }

void SavePicture(std::int32_t, std::int32_t, std::int32_t) {
  rt::OpenDialog(units::kDialog);
  const std::string name = rt::ReadDialogFileName(units::kDialog);
  if (name.substr(0, name.find('\0')).empty()) return;  // cancelled
  const auto picture = savedPicture.Get();
  // Nothing to save (no right-click yet, or the box showed no picture): an
  // empty file is no picture and would replace a file the user picked.
  if (!picture || picture->empty()) return;
  // The runtime's file write finds the very file the dialog chose, even
  // when its name holds characters GBK cannot spell.
  int error = 0;
  if (rt::WriteFile(name, *picture, &error)) return;
  ShowNotSaved(ImageText(texts::Id::SaveTitle), ImageText(texts::Id::NotSavedPrefix), error);
}

}  // namespace pixaroo
