// The one place where a picture reason (picture_error.h) becomes the Status
// of the flat API, as picture_error_list.def pairs them. Pure; any thread.
#pragma once

#include "platform/gdiplus/picture_error.h"
#include "platform/gdiplus/status.h"

namespace gdiplus {

// Which flat-API call failed: opening a picture or saving it.
enum class PictureStep { kOpening, kSaving };

// The Status `step` gives for `error`.
Status StatusOf(PictureError error, PictureStep step);

}  // namespace gdiplus
