// Routines whose work lives in modules not yet written. Each keeps its name
// and place in the routine table, so the window's wiring is complete; its
// module replaces the body here when it is built.
#include "app/event_routines.h"

namespace pixaroo {

void DoNothing(std::int32_t, std::int32_t, std::int32_t) {}

void OnWindowCreated(std::int32_t, std::int32_t, std::int32_t) {}
void SaveIndexFile(std::int32_t, std::int32_t, std::int32_t) {}
void StartUpdate(std::int32_t, std::int32_t, std::int32_t) {}
void ShowPreviousPage(std::int32_t, std::int32_t, std::int32_t) {}
void ShowNextPage(std::int32_t, std::int32_t, std::int32_t) {}
void PictureRightClick1(std::int32_t, std::int32_t, std::int32_t) {}
void PictureRightClick2(std::int32_t, std::int32_t, std::int32_t) {}
void PictureRightClick3(std::int32_t, std::int32_t, std::int32_t) {}
void PictureRightClick4(std::int32_t, std::int32_t, std::int32_t) {}
void PictureRightClick5(std::int32_t, std::int32_t, std::int32_t) {}
void PictureRightClick6(std::int32_t, std::int32_t, std::int32_t) {}
void OpenSupportChat(std::int32_t, std::int32_t, std::int32_t) {}
void SavePicture(std::int32_t, std::int32_t, std::int32_t) {}

void PageLoaderThread(std::int32_t, std::int32_t, std::int32_t) {}
void UpdateRunThread(std::int32_t, std::int32_t, std::int32_t) {}
void UpdateCompletionThread(std::int32_t, std::int32_t, std::int32_t) {}

}  // namespace pixaroo
