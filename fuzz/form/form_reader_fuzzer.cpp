// Fuzzes the window description reader. Whatever the bytes, ReadForm must
// return without a fault; a description it accepts must write back to the
// very same bytes, and every typed settings view must re-encode exactly.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "runtime/form/reader.h"
#include "runtime/form/writer.h"

namespace {

using namespace korvex::form;

template <typename View>
void CheckView(const Unit& u, const View& view) {
  if (view && EncodeSettings(*view) != u.settings) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const FormResult r = ReadForm(std::span<const std::uint8_t>(data, size));
  if (!r.ok()) {
    if (r.error().text.empty()) {
      std::abort();
    }
    return 0;
  }
  const base::Bytes again = WriteForm(*r);
  if (again.size() != size || !std::equal(again.begin(), again.end(), data)) {
    std::abort();
  }
  for (const Unit& u : r->units) {
    CheckView(u, ReadWindowSettings(u));
    CheckView(u, ReadPictureBoxSettings(u));
    CheckView(u, ReadListBoxSettings(u));
    CheckView(u, ReadStatusBarSettings(u));
    CheckView(u, ReadButtonSettings(u));
    CheckView(u, ReadDialogSettings(u));
  }
  return 0;
}
