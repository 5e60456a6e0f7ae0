#include "program/routines/write_failure.h"

#include <cerrno>
#include <string>

#include "program/routines/program_memory.h"
#include "program/routines/runtime_link.h"

namespace pixaroo {
namespace {

// Message box flags: an OK button and the error icon.
constexpr int kMessageBoxError = 0x10;

}  // namespace

std::string_view NotSavedReason(int error) {
  switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
      return ImageText(texts::Id::NotSavedFolder);
    case ENOSPC:
    case EDQUOT:
      return ImageText(texts::Id::NotSavedDiskFull);
    default:
      return ImageText(texts::Id::NotSavedOther);
  }
}

void ShowNotSaved(std::string_view title, std::string_view prefix, int error) {
  std::string message(prefix);
  message += NotSavedReason(error);
  rt::MessageBox(message, kMessageBoxError, std::string(title));
}

}  // namespace pixaroo
