// The picture boxes' right-click menu and saving a photo (to be written).
#include "app/event_routines.h"

namespace pixaroo {

void PictureRightClick1(std::int32_t, std::int32_t, std::int32_t) {}
void PictureRightClick2(std::int32_t, std::int32_t, std::int32_t) {}
void PictureRightClick3(std::int32_t, std::int32_t, std::int32_t) {}
void PictureRightClick4(std::int32_t, std::int32_t, std::int32_t) {}
void PictureRightClick5(std::int32_t, std::int32_t, std::int32_t) {}
void PictureRightClick6(std::int32_t, std::int32_t, std::int32_t) {}
void SavePicture(std::int32_t, std::int32_t, std::int32_t) {}

}  // namespace pixaroo
