// The automation-object commands as the service table offers them: each
// ObjectHandle is a heap box around one owned Object reference, made and
// freed here, so the program holds references without holding any of the
// runtime's types.
//
// Threads: as automation.h (an object belongs to the thread that made it).
#pragma once

#include "runtime/services/services.h"

namespace korvex {

ObjectCommands MakeObjectCommands();

}  // namespace korvex
