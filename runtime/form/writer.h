// Writing a window description in its stored layout (FORMAT.md).
//
// WriteForm lays out the header, the unit id table, the record offsets and
// one record per unit in the order of Form::units. A menu entry (typeId
// kTypeMenuEntry) gets a menu-entry record, every other unit a full record.
// Texts are written up to their first NUL byte, so a text can never end a
// record field early. For every form that ReadForm accepts,
// WriteForm(*ReadForm(bytes)) == bytes.
//
// Pure function; any thread.
#pragma once

#include "base/bytes.h"
#include "runtime/form/form.h"

namespace korvex::form {

base::Bytes WriteForm(const Form& form);

}  // namespace korvex::form
