// The main window's description as the build wrote it (tools/form_writer),
// carried in the executable as constant bytes.
#pragma once

#include <cstdint>
#include <span>

namespace pixaroo {

// Valid for the life of the process; any thread.
std::span<const std::uint8_t> EmbeddedForm();

}  // namespace pixaroo
