// Telling the user that a file could not be written: the one error message
// window a failed save of a picture or of the index shows.
//
// Window thread only (it opens a modal message window).
#pragma once

#include <string_view>

namespace pixaroo {

// Why a write failed with `error` (an errno value), as the user can act on
// it: the folder refuses writes, the disk is full, or any other reason.
std::string_view NotSavedReason(int error);

// Shows the error message window titled `title`: `prefix`, then the reason.
void ShowNotSaved(std::string_view title, std::string_view prefix, int error);

}  // namespace pixaroo
