// Reading a program image from its stored bytes (FORMAT.md).
//
// The image is outside input: every offset, size and count is checked
// against the bytes that are really there before it is used, the segment
// chain is followed to its end marker and refused when it loops or leaves
// the image, and every refusal names its reason (Refusal) and where it
// found it. Memory use is bounded by the size of the input.
//
// Pure function; any thread. The result owns its data; `data` need not
// outlive the call.
#pragma once

#include <cstdint>
#include <span>

#include "runtime/image/image.h"

namespace korvex::image {

Result<Image> ReadImage(std::span<const std::uint8_t> data);

}  // namespace korvex::image
