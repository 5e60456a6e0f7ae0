// The reasons of the picture codecs (picture_error_list.def): every decoder
// and encoder inside the GDI+-shaped layer returns its value or one of them
// (PictureOr), and only the flat API (gdiplus.cpp) turns a reason into the
// Status its callers know (picture_status.h). Pure; any thread.
#pragma once

#include "base/error_or.h"

namespace gdiplus {

enum class PictureError {
#define PIXAROO_PICTURE_ERROR(name, opening, saving, text) name,
#include "platform/gdiplus/picture_error_list.def"
};

template <typename T>
using PictureOr = base::ErrorOr<T, PictureError>;
// What a step that gives nothing but its success returns.
using PictureResult = PictureOr<base::Done>;

// The reason as the list says it, e.g. "the data is cut short".
const char* PictureErrorText(PictureError error);

}  // namespace gdiplus
