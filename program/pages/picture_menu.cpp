// The picture boxes' right-click menu and saving a photo.
//
// A right-click pops up the menu "play" and remembers the clicked box's
// picture in savedPicture, and the name of its photo; the menu entry
// "保存图片" asks for a file name (suggesting the photo's own, as .bmp) and
// writes the remembered bytes there, and says so when they could not be
// written. With no picture to save it says that instead of asking. Both run
// on the window thread.
#include <cerrno>
#include <string>
#include <string_view>

#include "program/routines/event_routines.h"
#include "program/routines/globals.h"
#include "program/routines/program_memory.h"
#include "program/routines/runtime_link.h"
#include "program/routines/units.h"
#include "program/routines/write_failure.h"

namespace pixaroo {
namespace {

// Message box flags: an OK button and the information icon.
constexpr int kMessageBoxInformation = 0x40;

// The file name the save dialog suggests for the photo the menu was opened
// on; window thread only.
std::string g_suggestedName;

// The name the save dialog suggests for the photo at `item`: its own file
// name with .bmp.
std::string SaveNameFor(std::string_view item) {
  // The last part of the address, without a query, fragment or extension.
  // '/', '?', '#' and '.' are below GBK's trail bytes: never half a character.
  item = item.substr(0, item.find_first_of("?#"));
  item = item.substr(item.rfind('/') + 1);  // npos + 1 == 0
  const std::size_t dot = item.rfind('.');
  if (dot != std::string_view::npos) item = item.substr(0, dot);
  std::string name(item.empty() ? ImageText(texts::Id::UnnamedPhoto) : item);
  return name + std::string(ImageText(texts::Id::BmpExtension));
}

void RememberPicture(int box) {
  rt::PopupMenu(units::kWindow, units::kMenuPlay);
  // Read after the menu has closed: the chosen entry's routine runs only
  // once this routine has returned, and saves what the box holds now.
  savedPicture.Set(rt::ReadPicture(units::kPictures[box]));
  g_suggestedName = SaveNameFor(rt::ListItem(units::kIndexList, kPictureIndices[box]->load()));
}

}  // namespace

void PictureRightClick1(std::int32_t, std::int32_t, std::int32_t) { RememberPicture(0); }
void PictureRightClick2(std::int32_t, std::int32_t, std::int32_t) { RememberPicture(1); }
void PictureRightClick3(std::int32_t, std::int32_t, std::int32_t) { RememberPicture(2); }
void PictureRightClick4(std::int32_t, std::int32_t, std::int32_t) { RememberPicture(3); }
void PictureRightClick5(std::int32_t, std::int32_t, std::int32_t) { RememberPicture(4); }
void PictureRightClick6(std::int32_t, std::int32_t, std::int32_t) { RememberPicture(5); }

void SavePicture(std::int32_t, std::int32_t, std::int32_t) {
  const auto picture = savedPicture.Get();
  // Nothing to save (no right-click yet, or the box showed no picture): an
  // empty file is no picture and would replace a file the user picked.
  if (!picture || picture->empty()) {
    rt::MessageBox(std::string(ImageText(texts::Id::NothingToSave)), kMessageBoxInformation,
                   std::string(ImageText(texts::Id::SaveTitle)));
    return;
  }
  rt::WriteDialogFileName(units::kDialog, g_suggestedName);
  rt::OpenDialog(units::kDialog);
  const std::string name = rt::ReadDialogFileName(units::kDialog);
  if (name.substr(0, name.find('\0')).empty()) return;  // cancelled
  // The runtime's file write finds the very file the dialog chose, even
  // when its name holds characters GBK cannot spell.
  const base::FileResult written = rt::WriteFile(name, *picture);
  if (written.ok()) return;
  ShowNotSaved(ImageText(texts::Id::SaveTitle), ImageText(texts::Id::NotSavedPrefix),
               written.error().code);
}

}  // namespace pixaroo
