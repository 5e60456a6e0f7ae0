// The routines the window's events and the worker threads run, declared in
// one place for the routine table; each is defined in its module (ui/,
// update/). Each takes the three 32-bit mouse arguments of the runtime's
// routine calling convention; none reads them.
#pragma once

#include <cstdint>

namespace pixaroo {

#define PIXAROO_ROUTINE(name) void name(std::int32_t, std::int32_t, std::int32_t)

PIXAROO_ROUTINE(DoNothing);
PIXAROO_ROUTINE(OnWindowCreated);   // main window, event 0
PIXAROO_ROUTINE(SaveIndexFile);     // main window, event 1 (closing)
PIXAROO_ROUTINE(StartUpdate);       // 按钮1 "更新"
PIXAROO_ROUTINE(ShowPreviousPage);  // 按钮2 "上一页"
PIXAROO_ROUTINE(ShowNextPage);      // 按钮3 "下一页"
PIXAROO_ROUTINE(PictureRightClick1);
PIXAROO_ROUTINE(PictureRightClick2);
PIXAROO_ROUTINE(PictureRightClick3);
PIXAROO_ROUTINE(PictureRightClick4);
PIXAROO_ROUTINE(PictureRightClick5);
PIXAROO_ROUTINE(PictureRightClick6);
PIXAROO_ROUTINE(OpenSupportChat);   // qq客服1, left button
PIXAROO_ROUTINE(SavePicture);       // menu entry "保存图片"

// Thread routines: small shims that run one work routine and return.
PIXAROO_ROUTINE(PageLoaderThread);
PIXAROO_ROUTINE(UpdateRunThread);
PIXAROO_ROUTINE(UpdateCompletionThread);

#undef PIXAROO_ROUTINE

}  // namespace pixaroo
