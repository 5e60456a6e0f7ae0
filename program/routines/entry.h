// The program's entry and exit routines.
//
// EntryRoutine is called once by the runtime on the window thread after the
// runtime's services are bound. It sets up the global cells, registers
// ExitRoutine, opens the main window, binds the paging keys (Page Down and
// the right arrow click 下一页, Page Up and the left arrow 上一页), runs the
// event loop until the window is closed, and ends the program. ExitRoutine
// runs on the window thread after every worker has ended, and releases the
// global cells.
#pragma once

#include <cstdint>

namespace pixaroo {

void EntryRoutine(std::int32_t, std::int32_t, std::int32_t);
void ExitRoutine(std::int32_t, std::int32_t, std::int32_t);

// The program's start hook: nothing to prepare; 0 means "go on".
int StartHook();

}  // namespace pixaroo
