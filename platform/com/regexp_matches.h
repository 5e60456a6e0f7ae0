// The objects "Execute" hands out: the match collection, a match, and a
// match's sub-match collection. They share one immutable match set, so each
// holds only a reference to it and an index. Owner thread only (dispatch.h).
#pragma once

#include <memory>

#include "platform/com/dispatch.h"
#include "platform/com/regexp_engine.h"

namespace com {

DispatchPtr MakeMatchCollection(std::shared_ptr<const MatchSet> matches);

}  // namespace com
