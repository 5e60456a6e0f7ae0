#include "platform/gdiplus/picture_status.h"

namespace gdiplus {

Status StatusOf(PictureError error, PictureStep step) {
  switch (error) {
#define PIXAROO_PICTURE_ERROR(name, opening, saving, text) \
  case PictureError::name:                                 \
    return step == PictureStep::kOpening ? opening : saving;
#include "platform/gdiplus/picture_error_list.def"
  }
  return GenericError;
}

}  // namespace gdiplus
