// The program's global cells. They live from the entry routine to the exit
// routine and are shared by the window thread and the workers: the paging
// indices are atomic cells of the runtime's `var` block (a page load reads
// all six once, when it is asked for), the rest are guarded by a lock.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>

#include "program/routines/global_cells.h"
#include "program/routines/guarded.h"
#include "base/bytes.h"
#include "base/text_ops.h"

namespace pixaroo {

// The picture bytes of the picture box right-clicked last; none until then.
inline Guarded<std::optional<base::Bytes>> savedPicture;

// One list position per picture box 图片框1 .. 图片框6, in the `var` cells.
inline GlobalCell pictureIndex1{kCellPictureIndex1};
inline GlobalCell pictureIndex2{kCellPictureIndex1 + 4};
inline GlobalCell pictureIndex3{kCellPictureIndex1 + 8};
inline GlobalCell pictureIndex4{kCellPictureIndex1 + 12};
inline GlobalCell pictureIndex5{kCellPictureIndex1 + 16};
inline GlobalCell pictureIndex6{kCellPictureIndex1 + 20};

// The paging indices in box order.
inline GlobalCell* const kPictureIndices[6] = {&pictureIndex1, &pictureIndex2, &pictureIndex3,
                                               &pictureIndex4, &pictureIndex5, &pictureIndex6};

// The update run's item links of the current list page, and picture sources
// of the current item page. Always exist (possibly empty) between start-up
// and the exit routine.
inline Guarded<base::TextArray> itemLinks;
inline Guarded<base::TextArray> photoSources;

}  // namespace pixaroo
