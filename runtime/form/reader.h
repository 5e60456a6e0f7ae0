// Reading a window description from its stored bytes.
//
// The bytes usually come from the program image, which is outside input:
// every count, offset, length and text is checked against the bytes that
// are really there before it is used, and a damaged description gives an
// error text that says what is wrong and where, never a crash. Memory use is
// bounded by the size of the input.
//
// Pure function; any thread. The result owns its data; `data` need not
// outlive the call.
#pragma once

#include <cstdint>
#include <span>

#include "base/error_or.h"
#include "runtime/form/form.h"

namespace korvex::form {

// The form, or what is wrong and where, e.g. "unit 3 (record at 0x104): ...".
using FormResult = base::ErrorOr<Form>;

FormResult ReadForm(std::span<const std::uint8_t> data);

}  // namespace korvex::form
