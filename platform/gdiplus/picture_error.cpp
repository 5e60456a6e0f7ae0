#include "platform/gdiplus/picture_error.h"

namespace gdiplus {

const char* PictureErrorText(PictureError error) {
  switch (error) {
#define PIXAROO_PICTURE_ERROR(name, opening, saving, text) \
  case PictureError::name:                                 \
    return text;
#include "platform/gdiplus/picture_error_list.def"
  }
  return "unknown";
}

}  // namespace gdiplus
